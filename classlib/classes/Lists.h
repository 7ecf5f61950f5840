// TList, a growable list of untyped pointers that tells a descendant when a pointer enters
// or leaves it, and TBits, a growable array of bits.
#pragma once
#include <functional>
#include <vector>
#include "Object.h"

CLASSLIB_EXCEPTION(EBitsError, Exception)

// Largest number of items a TList holds (the class library's limit for 32-bit programs).
constexpr int MaxListSize = 0x7FFFFFFF / 16;

// What happened to a pointer, as Notify reports it.
enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Orders two items of a list: negative, zero or positive, as the first is before, equal to
// or after the second.
using TListSortCompare = std::function<int(void* item1, void* item2)>;

// A list of pointers. The list never owns what the pointers point to; a descendant that does
// frees them in Notify when they are deleted. Notify is not called for nullptr items.
// The destructor clears the list, but from there Notify is TList's own: a descendant that
// must see the deletions clears the list in its own destructor.
class TList : public TObject {
  CLASSLIB_CLASS(TList, TObject)
  TList() = default;
  ~TList() override;

  // ---- Attributes ------------------------------------------------------------
  int GetCount() const { return static_cast<int>(FItems.size()); }
  // Grows with nullptr items or deletes items from the end; EListError outside 0..MaxListSize.
  void SetCount(int newCount);
  int GetCapacity() const { return FCapacity; }
  // EListError when below Count or above MaxListSize.
  void SetCapacity(int newCapacity);
  void* GetItem(int index) const;            // EListError when out of bounds
  void SetItem(int index, void* item);       // notifies lnDeleted for the old, lnAdded for the new

  // ---- Operations ------------------------------------------------------------
  int Add(void* item);                       // returns the index of the new item
  void Insert(int index, void* item);        // index 0..Count
  void Delete(int index);
  int Remove(void* item);                    // index the item had, or -1
  void* Extract(void* item);                 // the item removed (lnExtracted), or nullptr
  virtual void Clear();
  int IndexOf(void* item) const;             // first index holding item, or -1
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  void* First() const;                       // EListError on an empty list
  void* Last() const;
  TList* Expand();                           // grows the capacity when the list is full
  void Pack();                               // drops the nullptr items
  void Sort(const TListSortCompare& compare);  // stable; a throwing compare leaves it unchanged

 protected:
  // Called after a non-null pointer was added, and after one was extracted or deleted.
  virtual void Notify(void* ptr, TListNotification action) {}
  // Grows the capacity by the class library's steps (4, 16, then a quarter).
  virtual void Grow();
  [[noreturn]] static void Error(const wchar_t* format, int value);

 private:
  void CheckIndex(int index) const;

  std::vector<void*> FItems;  // the pointers, in order
  int FCapacity = 0;          // the capacity as the list reports it (storage is reserved for it)
};

// A growable array of bits, all false when they come into existence.
class TBits : public TObject {
  CLASSLIB_CLASS(TBits, TObject)
  // Largest number of bits an instance holds.
  static constexpr int MaxBitFlags = 0x7FFFFFFF - 1;

  int GetSize() const { return FSize; }
  void SetSize(int newSize);                 // EBitsError when negative or too large
  bool GetBit(int index) const;              // EBitsError outside 0..Size-1
  void SetBit(int index, bool value);        // grows the array when index >= Size
  int OpenBit() const;                       // first false bit, or Size when there is none

 private:
  [[noreturn]] static void Error();

  std::vector<unsigned> FWords;  // the bits, 32 to a word, lowest bit first
  int FSize = 0;                 // number of bits in use
};
