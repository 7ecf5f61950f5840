// TfcCollection and TfcCollectionItem: the collection base of the image-button library, a
// collection that knows the object that owns it (for name paths and for its items to reach
// it). There is no design-time item editor here, so the items keep no link to one.
#pragma once
#include "classlib/classes/Collection.h"

class TfcCollection : public TOwnedCollection {
  CLASSLIB_CLASS(TfcCollection, TOwnedCollection)
  TfcCollection(TPersistent* owner, TCollectionItemFactory factory)
      : TOwnedCollection(owner, std::move(factory)) {}
};

class TfcCollectionItem : public TCollectionItem {
  CLASSLIB_CLASS(TfcCollectionItem, TCollectionItem)
  explicit TfcCollectionItem(TCollection* collection) : TCollectionItem(collection) {}
};
