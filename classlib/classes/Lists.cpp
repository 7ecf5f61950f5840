#include "Lists.h"

#include <algorithm>

// ---- TList -------------------------------------------------------------------

TList::~TList() { Clear(); }

void TList::Error(const wchar_t* format, int value) { throw EListError(format, {value}); }

void TList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) Error(L"List index out of bounds (%d)", index);
}

void TList::SetCapacity(int newCapacity) {
  if (newCapacity < GetCount() || newCapacity > MaxListSize)
    Error(L"List capacity out of bounds (%d)", newCapacity);
  if (newCapacity == FCapacity) return;
  if (newCapacity > FCapacity) {
    FItems.reserve(static_cast<size_t>(newCapacity));
  } else {
    FItems.shrink_to_fit();
    FItems.reserve(static_cast<size_t>(newCapacity));
  }
  FCapacity = newCapacity;
}

void TList::SetCount(int newCount) {
  if (newCount < 0 || newCount > MaxListSize) Error(L"List count out of bounds (%d)", newCount);
  if (newCount > FCapacity) SetCapacity(newCount);
  if (newCount > GetCount()) {
    FItems.resize(static_cast<size_t>(newCount), nullptr);
  } else {
    // Deleted one by one from the end so that a descendant is told of each.
    for (int i = GetCount() - 1; i >= newCount; --i) Delete(i);
  }
}

void* TList::GetItem(int index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)];
}

void TList::SetItem(int index, void* item) {
  CheckIndex(index);
  void* old = FItems[static_cast<size_t>(index)];
  if (old == item) return;
  FItems[static_cast<size_t>(index)] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

void TList::Grow() {
  int delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
  SetCapacity(std::min(FCapacity + delta, MaxListSize));
}

int TList::Add(void* item) {
  int index = GetCount();
  if (index == FCapacity) Grow();
  if (index == FCapacity) Error(L"List count out of bounds (%d)", index + 1);
  FItems.push_back(item);
  if (item) Notify(item, lnAdded);
  return index;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > GetCount()) Error(L"List index out of bounds (%d)", index);
  if (GetCount() == FCapacity) Grow();
  if (GetCount() == FCapacity) Error(L"List count out of bounds (%d)", GetCount() + 1);
  FItems.insert(FItems.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  CheckIndex(index);
  void* item = FItems[static_cast<size_t>(index)];
  FItems.erase(FItems.begin() + index);
  if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  FItems.erase(FItems.begin() + index);
  if (item) Notify(item, lnExtracted);
  return item;
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

int TList::IndexOf(void* item) const {
  auto found = std::find(FItems.begin(), FItems.end(), item);
  return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

void TList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(FItems[static_cast<size_t>(index1)], FItems[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  void* item = FItems[static_cast<size_t>(curIndex)];
  FItems.erase(FItems.begin() + curIndex);
  FItems.insert(FItems.begin() + newIndex, item);
}

void* TList::First() const { return GetItem(0); }

void* TList::Last() const { return GetItem(GetCount() - 1); }

TList* TList::Expand() {
  if (GetCount() == FCapacity) Grow();
  return this;
}

void TList::Pack() {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end());
}

void TList::Sort(const TListSortCompare& compare) {
  if (!compare || GetCount() < 2) return;
  // Sorted in a copy: a merge sort stays within bounds even for an inconsistent compare,
  // and an exception from compare leaves the list as it was.
  std::vector<void*> sorted = FItems;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [&compare](void* a, void* b) { return compare(a, b) < 0; });
  FItems.swap(sorted);
}

// ---- TBits -------------------------------------------------------------------

void TBits::Error() { throw EBitsError(L"Bits index out of range"); }

void TBits::SetSize(int newSize) {
  if (newSize < 0 || newSize > MaxBitFlags) Error();
  size_t words = (static_cast<size_t>(newSize) + 31) / 32;
  if (newSize < FSize && newSize % 32 != 0) {
    // Clear the bits past the new end in the last kept word, so that growing again
    // brings them back false.
    FWords[words - 1] &= (1u << (newSize % 32)) - 1;
  }
  FWords.resize(words, 0);
  FSize = newSize;
}

bool TBits::GetBit(int index) const {
  if (index < 0 || index >= FSize) Error();
  return (FWords[static_cast<size_t>(index) / 32] >> (index % 32)) & 1u;
}

void TBits::SetBit(int index, bool value) {
  if (index < 0 || index >= MaxBitFlags) Error();
  if (index >= FSize) SetSize(index + 1);
  unsigned mask = 1u << (index % 32);
  unsigned& word = FWords[static_cast<size_t>(index) / 32];
  word = value ? (word | mask) : (word & ~mask);
}

int TBits::OpenBit() const {
  for (size_t w = 0; w < FWords.size(); ++w) {
    if (FWords[w] == 0xFFFFFFFFu) continue;
    for (int bit = 0; bit < 32; ++bit) {
      int index = static_cast<int>(w * 32) + bit;
      if (index >= FSize) return FSize;
      if (!((FWords[w] >> bit) & 1u)) return index;
    }
  }
  return FSize;
}
