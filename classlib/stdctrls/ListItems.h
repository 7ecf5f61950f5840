// The items of the list controls (list box, combo box), shared by both; not for use
// outside classlib/stdctrls.
//
// The items live in the control's window while it has one; before the window is made, and
// while it is made again, they are kept here (text, item data, selected flag) and handed to
// the new window. A sorted list keeps its kept items in the order the window would give
// them (case-insensitive, as the system's sorted lists compare).
#pragma once
#include <vector>
#include "../classes/StringList.h"
#include "../controls/Controls.h"

// The messages of one kind of list window.
struct TListMessages {
  UINT AddString;
  UINT InsertString;
  UINT DeleteString;
  UINT ResetContent;
  UINT GetCount;
  UINT GetText;
  UINT GetTextLen;
  UINT GetItemData;
  UINT SetItemData;
};
extern const TListMessages ListBoxMessages;
extern const TListMessages ComboBoxMessages;

// One item while there is no window.
struct TKeptItem {
  String Text;
  LRESULT Data = 0;       // the item data (an object, or a wrapper of a derived control)
  bool Selected = false;  // selected in a multiple-selection list
};

class TListItemStore {
 public:
  // control is the list control; not owned.
  TListItemStore(TWinControl* control, const TListMessages& messages)
      : FControl(control), FMessages(messages) {}

  // ---- Items (valid indexes only; the strings adapter checks them) -------------------------
  int Count() const;
  String Get(int index) const;
  LRESULT GetData(int index) const;
  void SetData(int index, LRESULT data);
  // Appends, or inserts at the sorted place of a sorted list; the index, or -1 when the
  // window refused the item.
  int Add(const String& s, bool sorted);
  // Inserts at index (the end for index == Count()); the index, or -1 when refused.
  int Insert(int index, const String& s);
  void Delete(int index);
  void Clear();

  // ---- Kept items ------------------------------------------------------------------------------
  bool Windowed() const { return FControl->HandleAllocated(); }
  std::vector<TKeptItem>& Kept() { return FKept; }
  // A list that becomes sorted sorts the kept items.
  void SortKept();
  // Reads the window's items into the kept ones (the window is about to go).
  void TakeFromWindow();
  // Puts the kept items into the new window (added in order, sorted by the window when
  // sorted) and forgets them; gives the index in the window of each kept item.
  std::vector<int> PutIntoWindow(bool sorted);

 private:
  LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) const;

  TWinControl* FControl;           // the list control; not owned
  const TListMessages& FMessages;  // its window's messages
  std::vector<TKeptItem> FKept;    // the items while there is no window
};

// The Items of a list control: a TStrings over a TListItemStore. Objects are kept as the
// item data; a derived control that keeps other data there (a check list's states) wraps
// it through the hooks.
class TListControlStrings : public TStrings {
  CLASSLIB_CLASS(TListControlStrings, TStrings)
  TListControlStrings(TWinControl* control, TListItemStore* store)
      : FControl(control), FStore(store) {}

  int GetCount() const override { return FStore->Count(); }
  String Get(int index) const override;
  // Replaces the text and keeps the item's data (and the selection).
  void Put(int index, const String& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* obj) override;
  int Add(const String& s) override;
  void Insert(int index, const String& s) override;
  void Delete(int index) override;
  void Clear() override;
  // Both keep the items' data.
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;

 protected:
  // ---- Hooks of the owning control ----------------------------------------------------------
  virtual bool Sorted() const = 0;
  // The object of an item from its data, and the data for an object.
  virtual LRESULT GetItemData(int index) const { return FStore->GetData(index); }
  virtual void SetItemData(int index, LRESULT data) { FStore->SetData(index, data); }
  // Frees what the control keeps for an item, then removes it.
  virtual void DeleteString(int index) { FStore->Delete(index); }
  virtual void ResetContent() { FStore->Clear(); }
  // The selected item, to keep it selected across Put.
  virtual int GetItemIndex() const = 0;
  virtual void SetItemIndex(int index) = 0;

  void SetUpdateState(bool updating) override;
  void CheckIndex(int index, int limit) const;  // EStringListError unless 0 <= index < limit

  TWinControl* FControl;   // the list control; not owned
  TListItemStore* FStore;  // its items; not owned
};
