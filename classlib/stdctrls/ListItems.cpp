#include "ListItems.h"

#include <algorithm>
#include "../system/SysMath.h"

const TListMessages ListBoxMessages{LB_ADDSTRING,    LB_INSERTSTRING, LB_DELETESTRING,
                                    LB_RESETCONTENT, LB_GETCOUNT,     LB_GETTEXT,
                                    LB_GETTEXTLEN,   LB_GETITEMDATA,  LB_SETITEMDATA};
const TListMessages ComboBoxMessages{CB_ADDSTRING,    CB_INSERTSTRING, CB_DELETESTRING,
                                     CB_RESETCONTENT, CB_GETCOUNT,     CB_GETLBTEXT,
                                     CB_GETLBTEXTLEN, CB_GETITEMDATA,  CB_SETITEMDATA};

// ---- TListItemStore -----------------------------------------------------------------------------

LRESULT TListItemStore::Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return FControl->Perform(msg, wParam, lParam);
}

int TListItemStore::Count() const {
  if (!Windowed()) return static_cast<int>(FKept.size());
  return static_cast<int>(Max<LRESULT>(0, Send(FMessages.GetCount, 0, 0)));
}

String TListItemStore::Get(int index) const {
  if (!Windowed()) return FKept.at(static_cast<size_t>(index)).Text;
  const LRESULT length = Send(FMessages.GetTextLen, static_cast<WPARAM>(index), 0);
  if (length <= 0) return String();
  String text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      Send(FMessages.GetText, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(Max<LRESULT>(0, Min(copied, length))));
  return text;
}

LRESULT TListItemStore::GetData(int index) const {
  if (!Windowed()) return FKept.at(static_cast<size_t>(index)).Data;
  return Send(FMessages.GetItemData, static_cast<WPARAM>(index), 0);
}

void TListItemStore::SetData(int index, LRESULT data) {
  if (!Windowed()) {
    FKept.at(static_cast<size_t>(index)).Data = data;
    return;
  }
  Send(FMessages.SetItemData, static_cast<WPARAM>(index), data);
}

int TListItemStore::Add(const String& s, bool sorted) {
  if (Windowed()) {
    const LRESULT index = Send(FMessages.AddString, 0, reinterpret_cast<LPARAM>(s.c_str()));
    return index < 0 ? -1 : static_cast<int>(index);
  }
  size_t place = FKept.size();
  if (sorted) {
    // After the items that compare equal or less, as the window places a new item.
    place = static_cast<size_t>(std::upper_bound(FKept.begin(), FKept.end(), s,
                                                 [](const String& value, const TKeptItem& item) {
                                                   return AnsiCompareText(value, item.Text) < 0;
                                                 }) -
                                FKept.begin());
  }
  FKept.insert(FKept.begin() + static_cast<ptrdiff_t>(place), TKeptItem{s});
  return static_cast<int>(place);
}

int TListItemStore::Insert(int index, const String& s) {
  if (Windowed()) {
    const LRESULT result = Send(FMessages.InsertString, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(s.c_str()));
    return result < 0 ? -1 : static_cast<int>(result);
  }
  index = Max(0, Min(index, static_cast<int>(FKept.size())));
  FKept.insert(FKept.begin() + index, TKeptItem{s});
  return index;
}

void TListItemStore::Delete(int index) {
  if (Windowed()) {
    Send(FMessages.DeleteString, static_cast<WPARAM>(index), 0);
    return;
  }
  if (index >= 0 && static_cast<size_t>(index) < FKept.size()) FKept.erase(FKept.begin() + index);
}

void TListItemStore::Clear() {
  if (Windowed())
    Send(FMessages.ResetContent, 0, 0);
  else
    FKept.clear();
}

void TListItemStore::SortKept() {
  std::stable_sort(FKept.begin(), FKept.end(), [](const TKeptItem& a, const TKeptItem& b) {
    return AnsiCompareText(a.Text, b.Text) < 0;
  });
}

void TListItemStore::TakeFromWindow() {
  if (!Windowed()) return;
  const int count = Count();
  std::vector<TKeptItem> items;
  items.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) items.push_back(TKeptItem{Get(i), GetData(i)});
  FKept = std::move(items);
}

std::vector<int> TListItemStore::PutIntoWindow(bool sorted) {
  std::vector<int> places;
  if (!Windowed()) return places;
  std::vector<TKeptItem> items = std::move(FKept);
  FKept.clear();
  places.reserve(items.size());
  for (const TKeptItem& item : items) {
    const LRESULT index =
        sorted ? Send(FMessages.AddString, 0, reinterpret_cast<LPARAM>(item.Text.c_str()))
               : Send(FMessages.InsertString, static_cast<WPARAM>(-1),
                      reinterpret_cast<LPARAM>(item.Text.c_str()));
    if (index < 0) {
      places.push_back(-1);
      continue;
    }
    // An item added in front of earlier ones moves them down.
    for (int& place : places)
      if (place >= static_cast<int>(index)) ++place;
    places.push_back(static_cast<int>(index));
    Send(FMessages.SetItemData, static_cast<WPARAM>(index), item.Data);
  }
  return places;
}

// ---- TListControlStrings ------------------------------------------------------------------------

void TListControlStrings::CheckIndex(int index, int limit) const {
  if (index < 0 || index >= limit)
    throw EStringListError(L"List index out of bounds (%d)", {index});
}

String TListControlStrings::Get(int index) const {
  CheckIndex(index, GetCount());
  return FStore->Get(index);
}

TObject* TListControlStrings::GetObject(int index) const {
  CheckIndex(index, GetCount());
  return reinterpret_cast<TObject*>(GetItemData(index));
}

void TListControlStrings::PutObject(int index, TObject* obj) {
  CheckIndex(index, GetCount());
  SetItemData(index, reinterpret_cast<LRESULT>(obj));
}

void TListControlStrings::Put(int index, const String& s) {
  CheckIndex(index, GetCount());
  const int selected = GetItemIndex();
  // The raw data goes with the new text; the item is emptied first so that deleting it
  // frees nothing.
  const LRESULT data = FStore->GetData(index);
  FStore->SetData(index, 0);
  DeleteString(index);
  const int placed = FStore->Insert(index, s);
  if (placed < 0) throw EOutOfResources(L"Unable to insert a line");
  FStore->SetData(placed, data);
  SetItemIndex(selected);
}

int TListControlStrings::Add(const String& s) {
  const int index = FStore->Add(s, Sorted());
  if (index < 0) throw EOutOfResources(L"Unable to insert a line");
  return index;
}

void TListControlStrings::Insert(int index, const String& s) {
  CheckIndex(index, GetCount() + 1);
  if (FStore->Insert(index, s) < 0) throw EOutOfResources(L"Unable to insert a line");
}

void TListControlStrings::Delete(int index) {
  CheckIndex(index, GetCount());
  DeleteString(index);
}

void TListControlStrings::Clear() { ResetContent(); }

void TListControlStrings::Exchange(int index1, int index2) {
  const int count = GetCount();
  CheckIndex(index1, count);
  CheckIndex(index2, count);
  if (index1 == index2) return;
  BeginUpdate();
  try {
    const String text1 = FStore->Get(index1);
    const String text2 = FStore->Get(index2);
    const LRESULT data1 = FStore->GetData(index1);
    const LRESULT data2 = FStore->GetData(index2);
    FStore->SetData(index1, 0);
    FStore->SetData(index2, 0);
    Put(index1, text2);
    Put(index2, text1);
    FStore->SetData(index1, data2);
    FStore->SetData(index2, data1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TListControlStrings::Move(int curIndex, int newIndex) {
  const int count = GetCount();
  CheckIndex(curIndex, count);
  CheckIndex(newIndex, count);
  if (curIndex == newIndex) return;
  BeginUpdate();
  try {
    const String text = FStore->Get(curIndex);
    const LRESULT data = FStore->GetData(curIndex);
    FStore->SetData(curIndex, 0);
    DeleteString(curIndex);
    const int placed = FStore->Insert(newIndex, text);
    if (placed < 0) throw EOutOfResources(L"Unable to insert a line");
    FStore->SetData(placed, data);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TListControlStrings::SetUpdateState(bool updating) {
  if (!FControl->HandleAllocated()) return;
  ::SendMessageW(FControl->GetHandle(), WM_SETREDRAW, updating ? FALSE : TRUE, 0);
  if (!updating) FControl->Invalidate();
}
