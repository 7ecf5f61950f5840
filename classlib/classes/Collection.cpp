#include "Collection.h"
#include <algorithm>

// ---- TCollectionItem ------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() {
  if (!FCollection) return;
  try {
    SetCollection(nullptr);
  } catch (...) {
    // Update failed after the item left the list; a destructor cannot pass that on.
  }
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (FCollection == value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (value) value->InsertItem(this);
}

int TCollectionItem::GetIndex() const {
  if (!FCollection) return -1;
  const auto& items = FCollection->FItems;
  const auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  const int current = GetIndex();
  if (current < 0 || current == value) return;
  FCollection->CheckIndex(value);
  auto& items = FCollection->FItems;
  items.erase(items.begin() + current);
  items.insert(items.begin() + value, this);
  Changed(true);
}

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

String TCollectionItem::GetNamePath() const {
  if (!FCollection) return ClassName();
  return Format(L"%s[%d]", {FCollection->GetNamePath(), GetIndex()});
}

void TCollectionItem::Changed(bool allItems) {
  if (FCollection && FCollection->FUpdateCount == 0)
    FCollection->Update(allItems ? nullptr : this);
}

// ---- TCollection ------------------------------------------------------------------------

TCollection::TCollection(TCollectionItemFactory factory) : FItemFactory(std::move(factory)) {}

TCollection::~TCollection() {
  // Held in an update for good: a collection being destroyed announces nothing.
  FUpdateCount = 1;
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::GetItem(int index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)];
}

void TCollection::SetItem(int index, TCollectionItem* source) { GetItem(index)->Assign(source); }

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == id) return item;
  return nullptr;
}

String TCollection::GetNamePath() const {
  const TPersistent* owner = GetOwner();
  if (!owner || FPropName.empty()) return ClassName();
  const String ownerPath = owner->GetNamePath();
  if (ownerPath.empty()) return ClassName();
  return ownerPath + L"." + FPropName;
}

TCollectionItem* TCollection::Add() {
  // The item joins the list from its base constructor; the change is announced once the
  // whole item is built, so that Update never reads a half-made item.
  TCollectionItem* item = nullptr;
  {
    const bool wasMaking = FMakingItem;
    FMakingItem = true;
    try {
      item = FItemFactory ? FItemFactory(this) : nullptr;
    } catch (...) {
      FMakingItem = wasMaking;
      throw;
    }
    FMakingItem = wasMaking;
  }
  if (!item) throw EInvalidOperation(L"%s cannot create an item", {ClassName()});
  // A factory that made the item outside any collection still gives it to this one.
  if (item->FCollection != this)
    item->SetCollection(this);
  else
    Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  // Checked before the item is made, so that a bad index adds nothing.
  if (index < 0 || index > GetCount()) throw EListError(L"List index out of bounds (%d)", {index});
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) { delete GetItem(index); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();
  EndUpdate();
}

void TCollection::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCollection*>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  // Copying a collection into itself would clear the very items it copies.
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (int i = 0; i < other->GetCount(); ++i) Add()->Assign(other->FItems[static_cast<size_t>(i)]);
  } catch (...) {
    try {
      EndUpdate();
    } catch (...) {
      // The first failure is the one worth reporting.
    }
    throw;
  }
  EndUpdate();
}

void TCollection::EndUpdate() {
  // An unmatched EndUpdate must not leave the count below zero, which would silence
  // every later change.
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
  if (!FMakingItem) Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), item), FItems.end());
  item->FCollection = nullptr;
  Changed();
}

void TCollection::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError(L"List index out of bounds (%d)", {index});
}
