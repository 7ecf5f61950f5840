// TCollection: an ordered list of items of one class that the collection creates and
// frees; TCollectionItem: one such item, with an index and a unique ID. Collections are
// how layouts store lists of sub-objects (columns, panels, series).
#pragma once
#include <functional>
#include <utility>
#include <vector>
#include "Persistent.h"

class TCollection;

class TCollectionItem : public TPersistent {
  CLASSLIB_CLASS(TCollectionItem, TPersistent)

  // Adds the new item to collection (when not nullptr), which then frees it.
  explicit TCollectionItem(TCollection* collection);
  // Removes the item from its collection first.
  ~TCollectionItem() override;

  // ---- Attributes -------------------------------------------------------------
  TCollection* GetCollection() const { return FCollection; }
  // Moves the item to value (or out of any collection when nullptr); value then frees it.
  void SetCollection(TCollection* value);
  // The position in the collection; -1 outside any collection.
  int GetIndex() const;
  // Moves the item to position value; EListError when value is outside the collection.
  virtual void SetIndex(int value);
  // Given by the collection when the item joins it; never reused in that collection.
  int GetID() const { return FID; }
  // The text a list of the items shows; the class name unless a derived class says.
  virtual String GetDisplayName() const { return ClassName(); }
  TPersistent* GetOwner() const override;
  // "<collection's name path>[<index>]", or the class name outside a collection.
  String GetNamePath() const override;

 protected:
  // Tells the collection that this item (or every item) changed, unless it is updating.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;  // the collection that lists and frees this item
  int FID = 0;                         // unique within FCollection
};

// Creates an item of the collection's item class in the given collection.
using TCollectionItemFactory = std::function<TCollectionItem*(TCollection*)>;

// Names the item class of a collection: TCollection coll(TCollectionItemClass<TMyItem>{}).
template <class TItem>
struct TCollectionItemClass {};

class TCollection : public TPersistent {
  CLASSLIB_CLASS(TCollection, TPersistent)

  // ---- Construction -------------------------------------------------------------
  // factory creates one item in the collection it is given (normally `new TItem(c)`).
  explicit TCollection(TCollectionItemFactory factory);
  template <class TItem>
  explicit TCollection(TCollectionItemClass<TItem>)
      : TCollection([](TCollection* c) -> TCollectionItem* { return new TItem(c); }) {}
  // Frees every item without calling Update.
  ~TCollection() override;

  // ---- Attributes -------------------------------------------------------------------
  int GetCount() const { return static_cast<int>(FItems.size()); }
  // The item at index; EListError "List index out of bounds (%d)" when bad.
  TCollectionItem* GetItem(int index) const;
  // Assigns source to the item at index.
  void SetItem(int index, TCollectionItem* source);
  // The item with that ID; nullptr if none.
  TCollectionItem* FindItemID(int id) const;
  // The owner's property that holds this collection, used in the name path.
  const String& GetPropName() const { return FPropName; }
  void SetPropName(const String& value) { FPropName = value; }
  String GetNamePath() const override;

  // ---- Operations ---------------------------------------------------------------------
  // Creates a new item at the end; the collection owns it. EInvalidOperation when the
  // factory makes no item.
  TCollectionItem* Add();
  // Creates a new item at index (0..GetCount()); EListError when index is outside.
  TCollectionItem* Insert(int index);
  // Frees the item at index; EListError when index is bad.
  void Delete(int index);
  // Frees every item (Update is called once).
  void Clear();
  // Replaces the items by copies of source's (each copied by the item's Assign) when
  // source is a collection; otherwise as TPersistent::Assign.
  void Assign(TPersistent* source) override;

  // Changes made between BeginUpdate and the matching EndUpdate are announced once, by
  // one Update(nullptr) at the outermost EndUpdate. Calls nest.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int GetUpdateCount() const { return FUpdateCount; }

 protected:
  // Told that item changed, or that the items or their order changed (item nullptr).
  virtual void Update(TCollectionItem* item) {}
  // Calls Update(nullptr) unless an update is in progress.
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);  // lists item and gives it an ID
  void RemoveItem(TCollectionItem* item);  // takes item from the list; does not free it
  void CheckIndex(int index) const;        // EListError unless 0 <= index < GetCount()

  TCollectionItemFactory FItemFactory;   // makes the items Add creates
  std::vector<TCollectionItem*> FItems;  // the items, owned by the collection
  int FNextID = 0;                       // the ID the next item gets
  bool FMakingItem = false;  // Add is running the factory: the item is not built yet
  int FUpdateCount = 0;                  // BeginUpdate calls not yet ended
  String FPropName;                      // see GetPropName
};

// A collection that belongs to another object (for its name path), such as a column list
// belonging to a grid. The owner is not freed by the collection.
class TOwnedCollection : public TCollection {
  CLASSLIB_CLASS(TOwnedCollection, TCollection)

  TOwnedCollection(TPersistent* owner, TCollectionItemFactory factory)
      : TCollection(std::move(factory)), FOwner(owner) {}
  template <class TItem>
  TOwnedCollection(TPersistent* owner, TCollectionItemClass<TItem> itemClass)
      : TCollection(itemClass), FOwner(owner) {}

  TPersistent* GetOwner() const override { return FOwner; }

 private:
  TPersistent* FOwner;  // names the collection; not owned
};
