#include "ListBoxes.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../controls/ControlIdents.h"
#include "../system/SysMath.h"
#include "ListItems.h"

// ---- TListBoxStrings ----------------------------------------------------------------------------
// Items of a list box: the list box's own item-data hooks, sort order and selection.

class TListBoxStrings : public TListControlStrings {
  CLASSLIB_CLASS(TListBoxStrings, TListControlStrings)
  TListBoxStrings(TCustomListBox* listBox, TListItemStore* store)
      : TListControlStrings(listBox, store), FListBox(listBox) {}

 protected:
  bool Sorted() const override { return FListBox->FSorted; }
  LRESULT GetItemData(int index) const override { return FListBox->GetItemData(index); }
  void SetItemData(int index, LRESULT data) override { FListBox->SetItemData(index, data); }
  void DeleteString(int index) override { FListBox->DeleteString(index); }
  void ResetContent() override { FListBox->ResetContent(); }
  int GetItemIndex() const override { return FListBox->GetItemIndex(); }
  void SetItemIndex(int index) override { FListBox->SetItemIndex(index); }

 private:
  TCustomListBox* FListBox;  // owns this object
};

// ---- Construction -------------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner),
      FStore(std::make_unique<TListItemStore>(this, ListBoxMessages)),
      FItems(std::make_unique<TListBoxStrings>(this, FStore.get())),
      FOwnerDraw(this, FItems.get()) {
  SetControlStyle(TControlStyle{csDoubleClicks, csOpaque});
  SetBounds(GetLeft(), GetTop(), 121, 97);
  SetTabStop(true);
  SetParentColor(false);
}

TCustomListBox::~TCustomListBox() = default;

// ---- Window -------------------------------------------------------------------------------------

void TCustomListBox::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, L"LISTBOX");
  params.Style |= WS_HSCROLL | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  if (FStyle == lbOwnerDrawFixed) params.Style |= LBS_OWNERDRAWFIXED;
  if (FStyle == lbOwnerDrawVariable) params.Style |= LBS_OWNERDRAWVARIABLE;
  if (FSorted) params.Style |= LBS_SORT;
  if (FMultiSelect) params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (FColumns != 0) params.Style |= LBS_MULTICOLUMN;
  if (FBorderStyle == bsSingle) {
    if (GetCtl3D())
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListBox::CreateWnd() {
  inherited::CreateWnd();
  SetColumnWidth();
  std::vector<bool> selected;
  for (const TKeptItem& item : FStore->Kept()) selected.push_back(item.Selected);
  const std::vector<int> places = FStore->PutIntoWindow(FSorted);
  if (FMultiSelect) {
    for (size_t k = 0; k < places.size() && k < selected.size(); ++k)
      if (selected[k] && places[k] >= 0) Perform(LB_SETSEL, TRUE, places[k]);
  }
  if (FKeptItemIndex >= 0 && static_cast<size_t>(FKeptItemIndex) < places.size() &&
      places[static_cast<size_t>(FKeptItemIndex)] >= 0) {
    const int index = places[static_cast<size_t>(FKeptItemIndex)];
    Perform(FMultiSelect ? LB_SETCARETINDEX : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  if (FKeptTopIndex > 0) Perform(LB_SETTOPINDEX, static_cast<WPARAM>(FKeptTopIndex), 0);
}

void TCustomListBox::WMDestroy(TMessage& message) {
  if (HandleAllocated()) {
    FKeptItemIndex = GetItemIndex();
    FKeptTopIndex = GetTopIndex();
    std::vector<bool> selected;
    if (FMultiSelect)
      for (int i = 0; i < GetCount(); ++i)
        selected.push_back(Perform(LB_GETSEL, static_cast<WPARAM>(i), 0) > 0);
    FStore->TakeFromWindow();
    std::vector<TKeptItem>& kept = FStore->Kept();
    for (size_t k = 0; k < kept.size() && k < selected.size(); ++k) kept[k].Selected = selected[k];
  }
  inherited::WMDestroy(message);
}

void TCustomListBox::WMSize(TMessage& message) {
  inherited::WMSize(message);
  SetColumnWidth();
}

void TCustomListBox::SetColumnWidth() {
  if (!HandleAllocated() || FColumns <= 0) return;
  // In 64 bits: a huge column count must not wrap the sum around.
  const int64_t width = (static_cast<int64_t>(GetWidth()) + FColumns - 3) / FColumns;
  Perform(LB_SETCOLUMNWIDTH, static_cast<WPARAM>(Max<int64_t>(1, width)), 0);
}

// ---- Items and selection ------------------------------------------------------------------------

TStrings* TCustomListBox::GetItems() const { return FItems.get(); }

void TCustomListBox::SetItems(TStrings* value) {
  if (value) FItems->Assign(value);
}

int TCustomListBox::GetCount() const { return FStore->Count(); }

void TCustomListBox::CheckItemIndex(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError(L"List index out of bounds (%d)", {index});
}

int TCustomListBox::GetItemIndex() {
  if (!HandleAllocated()) return FKeptItemIndex;
  if (GetCount() == 0) return -1;
  return static_cast<int>(Perform(FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int value) {
  if (GetComponentState().Contains(csLoading)) {
    FLoadedItemIndex = value;  // the items may not be read yet
    return;
  }
  if (value < -1 || value >= GetCount()) value = -1;
  if (!HandleAllocated()) {
    FKeptItemIndex = value;
    return;
  }
  if (GetItemIndex() == value) return;
  if (FMultiSelect) {
    if (value >= 0) Perform(LB_SETCARETINDEX, static_cast<WPARAM>(value), FALSE);
  } else {
    Perform(LB_SETCURSEL, static_cast<WPARAM>(value), 0);
  }
}

void TCustomListBox::Loaded() {
  inherited::Loaded();
  if (FLoadedItemIndex == -2) return;
  const int value = FLoadedItemIndex;
  FLoadedItemIndex = -2;
  SetItemIndex(value);
}

bool TCustomListBox::GetSelected(int index) {
  CheckItemIndex(index);
  if (HandleAllocated()) return Perform(LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
  if (FMultiSelect) return FStore->Kept().at(static_cast<size_t>(index)).Selected;
  return index == FKeptItemIndex;
}

void TCustomListBox::SetSelected(int index, bool value) {
  CheckItemIndex(index);
  if (FMultiSelect) {
    if (HandleAllocated())
      Perform(LB_SETSEL, value ? TRUE : FALSE, index);
    else
      FStore->Kept().at(static_cast<size_t>(index)).Selected = value;
    return;
  }
  if (value)
    SetItemIndex(index);
  else if (GetItemIndex() == index)
    SetItemIndex(-1);
}

int TCustomListBox::GetTopIndex() {
  if (!HandleAllocated()) return FKeptTopIndex;
  return static_cast<int>(Perform(LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int value) {
  value = Max(value, 0);
  if (!HandleAllocated()) {
    FKeptTopIndex = value;
    return;
  }
  if (GetTopIndex() != value) Perform(LB_SETTOPINDEX, static_cast<WPARAM>(value), 0);
}

void TCustomListBox::Clear() { FItems->Clear(); }

int TCustomListBox::ItemAtPos(const TPoint& pos, bool existing) {
  if (!HandleAllocated()) return -1;
  if (PtInRect(GetClientRect(), pos)) {
    const int count = GetCount();
    for (int index = Max(GetTopIndex(), 0); index < count; ++index)
      if (PtInRect(ItemRect(index), pos)) return index;
    if (!existing) return count;
  }
  return -1;
}

TRect TCustomListBox::ItemRect(int index) {
  if (!HandleAllocated() || index < 0 || index >= GetCount()) return TRect();
  RECT rect{};
  Perform(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  return rect;
}

// ---- Item data ----------------------------------------------------------------------------------

LRESULT TCustomListBox::GetItemData(int index) { return InternalGetItemData(index); }

void TCustomListBox::SetItemData(int index, LRESULT data) { InternalSetItemData(index, data); }

LRESULT TCustomListBox::InternalGetItemData(int index) { return FStore->GetData(index); }

void TCustomListBox::InternalSetItemData(int index, LRESULT data) { FStore->SetData(index, data); }

void TCustomListBox::DeleteString(int index) {
  FStore->Delete(index);
  if (HandleAllocated()) return;
  if (index == FKeptItemIndex)
    FKeptItemIndex = -1;
  else if (index < FKeptItemIndex)
    --FKeptItemIndex;
}

void TCustomListBox::ResetContent() {
  FStore->Clear();
  FKeptItemIndex = -1;
  FKeptTopIndex = 0;
}

// ---- Attributes ---------------------------------------------------------------------------------

void TCustomListBox::SetStyle(TListBoxStyle value) {
  if (FStyle == value) return;
  FStyle = value;
  RecreateWnd();
}

int TCustomListBox::GetItemHeight() {
  if (HandleAllocated() && FStyle == lbStandard)
    return static_cast<int>(Perform(LB_GETITEMHEIGHT, 0, 0));
  return FItemHeight;
}

void TCustomListBox::SetItemHeight(int value) {
  if (value < 1 || value == FItemHeight) return;
  FItemHeight = value;
  RecreateWnd();
}

void TCustomListBox::SetMultiSelect(bool value) {
  if (FMultiSelect == value) return;
  FMultiSelect = value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool value) {
  if (FExtendedSelect == value) return;
  FExtendedSelect = value;
  RecreateWnd();
}

void TCustomListBox::SetSorted(bool value) {
  if (FSorted == value) return;
  FSorted = value;
  if (HandleAllocated())
    RecreateWnd();  // the new window sorts the items as they are handed to it
  else if (value)
    FStore->SortKept();
}

void TCustomListBox::SetColumns(int value) {
  value = Max(value, 0);
  if (FColumns == value) return;
  const bool styleChanges = FColumns == 0 || value == 0;
  FColumns = value;
  if (styleChanges)
    RecreateWnd();
  else
    SetColumnWidth();
}

void TCustomListBox::SetBorderStyle(TBorderStyle value) {
  if ((value != bsNone && value != bsSingle) || value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
}

// ---- Messages -----------------------------------------------------------------------------------

void TCustomListBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CN_COMMAND: CNCommand(message); break;
    case CN_DRAWITEM: CNDrawItem(message); break;
    case CN_MEASUREITEM: CNMeasureItem(message); break;
    default: inherited::Dispatch(message); break;
  }
}

void TCustomListBox::CNCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case LBN_SELCHANGE: {
      const std::weak_ptr<int> alive = GetLifeToken();
      Changed();
      if (!alive.expired()) Click();
      break;
    }
    case LBN_DBLCLK: DblClick(); break;
  }
}

void TCustomListBox::CNDrawItem(TMessage& message) {
  FOwnerDraw.DrawRequested(message, [this](int index, const TRect& rect, TOwnerDrawState state) {
    DrawItem(index, rect, state);
  });
}

void TCustomListBox::CNMeasureItem(TMessage& message) {
  FOwnerDraw.MeasureRequested(message, FItemHeight, FStyle == lbOwnerDrawVariable,
                              [this](int index, int& height) { MeasureItem(index, height); });
}

void TCustomListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  FOwnerDraw.DrawItem(index, rect, state);
}

void TCustomListBox::MeasureItem(int index, int& height) { FOwnerDraw.MeasureItem(index, height); }

// ---- Stored layouts -----------------------------------------------------------------------------

namespace {

const wchar_t* const ListBoxStyleNames[] = {L"lbStandard", L"lbOwnerDrawFixed",
                                            L"lbOwnerDrawVariable"};
const TEnumInfo ListBoxStyleIdents = MakeEnumInfo(ListBoxStyleNames);

const bool ListBoxRegistered = [] {
  try {
    RegisterClass<TListBox>();
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

}  // namespace

const TPropertyTable* TCustomListBox::PublishedProperties() {
  using P = TPublish<TCustomListBox>;
  using C = TCustomListBox;
  static const TPropertyTable table{
      // The text is the control's Text (or nothing); no caption is kept.
      P::Text(L"Caption", &C::GetCaption, &C::SetCaption).Stored(false),
      P::Enum(L"BorderStyle", BorderStyleIdents, &C::GetBorderStyle, &C::SetBorderStyle)
          .Default(bsSingle),
      P::Integer(L"Columns", &C::GetColumns, &C::SetColumns).Default(0),
      P::Boolean(L"ExtendedSelect", &C::GetExtendedSelect, &C::SetExtendedSelect).Default(true),
      // A standard list's height is the system's; only an owner-draw list's is stored.
      P::Integer(L"ItemHeight", &C::GetItemHeight, &C::SetItemHeight).Default(16).Stored([](C* c) {
        return c->GetStyle() != lbStandard;
      }),
      P::Strings(L"Items", &C::GetItems, &C::SetItems),
      P::Integer(L"ItemIndex", &C::GetItemIndex, &C::SetItemIndex).Default(-1),
      P::Boolean(L"MultiSelect", &C::GetMultiSelect, &C::SetMultiSelect).Default(false),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(false),
      P::Boolean(L"Sorted", &C::GetSorted, &C::SetSorted).Default(false),
      P::Enum(L"Style", ListBoxStyleIdents, &C::GetStyle, &C::SetStyle).Default(lbStandard),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Method(L"OnDrawItem", &C::GetOnDrawItem, &C::SetOnDrawItem),
      P::Method(L"OnMeasureItem", &C::GetOnMeasureItem, &C::SetOnMeasureItem),
  };
  return &table;
}
