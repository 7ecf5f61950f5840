#include "CheckListBox.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../classes/StringList.h"
#include "../system/SysMath.h"

namespace {

constexpr int CheckBoxSize = 13;  // the side of the drawn box

// The height of a line of text in the font, on the screen.
int FontLineHeight(TFont* font) {
  HDC dc = ::GetDC(nullptr);
  if (!dc) return 0;
  HGDIOBJ saved = ::SelectObject(dc, font->GetHandle());
  SIZE size{};
  ::GetTextExtentPoint32W(dc, L"Wg", 2, &size);
  ::SelectObject(dc, saved);
  ::ReleaseDC(nullptr, dc);
  return size.cy;
}

}  // namespace

int CheckListBoxCheckWidth() { return CheckBoxSize + 2; }

TCheckListBox::TCheckListBox(TComponent* owner) : TCustomListBox(owner) {}

TCheckListBox::~TCheckListBox() {
  try {
    for (int i = GetCount() - 1; i >= 0; --i) FreeItem(i);
  } catch (...) {
    ApplicationHandleException(nullptr);
  }
}

// ---- Check states -------------------------------------------------------------------------------

TCheckListBox::TCheckItem* TCheckListBox::ItemOf(int index, bool create) {
  auto* item = reinterpret_cast<TCheckItem*>(InternalGetItemData(index));
  if (!item && create) {
    item = new TCheckItem;
    InternalSetItemData(index, reinterpret_cast<LRESULT>(item));
  }
  return item;
}

void TCheckListBox::FreeItem(int index) {
  TCheckItem* item = ItemOf(index, false);
  if (!item) return;
  InternalSetItemData(index, 0);
  delete item;
}

TCheckBoxState TCheckListBox::GetState(int index) {
  CheckItemIndex(index);
  const TCheckItem* item = ItemOf(index, false);
  return item ? item->State : cbUnchecked;
}

void TCheckListBox::SetState(int index, TCheckBoxState value) {
  CheckItemIndex(index);
  TCheckItem* item = ItemOf(index, true);
  if (item->State == value) return;
  item->State = value;
  InvalidateCheck(index);
}

bool TCheckListBox::GetChecked(int index) { return GetState(index) == cbChecked; }

void TCheckListBox::SetChecked(int index, bool value) {
  SetState(index, value ? cbChecked : cbUnchecked);
}

void TCheckListBox::ToggleClickCheck(int index) {
  if (index < 0 || index >= GetCount()) return;
  SetState(index, GetState(index) == cbChecked ? cbUnchecked : cbChecked);
  ClickCheck();
}

void TCheckListBox::ClickCheck() {
  if (FOnClickCheck) FOnClickCheck(this);
}

void TCheckListBox::InvalidateCheck(int index) {
  if (!HandleAllocated()) return;
  TRect rect = ItemRect(index);
  rect.Right = rect.Left + CheckListBoxCheckWidth();
  const RECT area = rect;
  ::InvalidateRect(GetHandle(), &area, FALSE);
}

// ---- Item data ----------------------------------------------------------------------------------

LRESULT TCheckListBox::GetItemData(int index) {
  const TCheckItem* item = ItemOf(index, false);
  return item ? item->Data : 0;
}

void TCheckListBox::SetItemData(int index, LRESULT data) {
  if (TCheckItem* item = ItemOf(index, data != 0)) item->Data = data;
}

void TCheckListBox::DeleteString(int index) {
  FreeItem(index);
  inherited::DeleteString(index);
}

void TCheckListBox::ResetContent() {
  for (int i = GetCount() - 1; i >= 0; --i) FreeItem(i);
  inherited::ResetContent();
}

// ---- Drawing ------------------------------------------------------------------------------------

void TCheckListBox::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  if ((params.Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) == 0)
    params.Style |= LBS_OWNERDRAWFIXED;
}

void TCheckListBox::CNDrawItem(TMessage& message) {
  if (auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam))
    item->rcItem.left += CheckListBoxCheckWidth();
  inherited::CNDrawItem(message);
}

void TCheckListBox::CNMeasureItem(TMessage& message) {
  inherited::CNMeasureItem(message);
  auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
  if (item && GetStyle() == lbStandard)
    item->itemHeight = static_cast<UINT>(Max(FontLineHeight(GetFont()), CheckBoxSize + 2));
}

void TCheckListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  TCanvas* canvas = GetCanvas();
  const HDC dc = canvas->GetHandle();
  // The box stands on the list's own colour, also for a selected item.
  const RECT boxArea{rect.Left - CheckListBoxCheckWidth(), rect.Top, rect.Left, rect.Bottom};
  ::FillRect(dc, &boxArea, GetBrush()->GetHandle());
  const int top = boxArea.top + Div(boxArea.bottom - boxArea.top - CheckBoxSize, 2);
  RECT box{boxArea.left + 1, top, boxArea.left + 1 + CheckBoxSize, top + CheckBoxSize};
  UINT flags = DFCS_BUTTONCHECK;
  const TCheckBoxState checkState = GetState(index);
  if (checkState == cbChecked) flags |= DFCS_CHECKED;
  if (checkState == cbGrayed) flags = DFCS_BUTTON3STATE | DFCS_CHECKED;
  if (!GetEnabled()) flags |= DFCS_INACTIVE;
  ::DrawFrameControl(dc, &box, DFC_BUTTON, flags);
  inherited::DrawItem(index, rect, state);
}

// ---- Input --------------------------------------------------------------------------------------

void TCheckListBox::WMLButtonDown(TMessage& message) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::WMLButtonDown(message);
  if (alive.expired()) return;
  const TPoint pos = LParamToPoint(message.LParam);
  const int index = ItemAtPos(pos, true);
  if (index < 0) return;
  if (pos.X - ItemRect(index).Left < CheckListBoxCheckWidth()) ToggleClickCheck(index);
}

void TCheckListBox::KeyPress(wchar_t& key) {
  if (key == L' ') ToggleClickCheck(GetItemIndex());
  inherited::KeyPress(key);
}

// ---- Stored layouts -----------------------------------------------------------------------------

namespace {

const bool CheckListBoxRegistered = [] {
  try {
    RegisterClass<TCheckListBox>();
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

}  // namespace

const TPropertyTable* TCheckListBox::PublishedProperties() {
  using P = TPublish<TCheckListBox>;
  using C = TCheckListBox;
  static const TPropertyTable table{
      P::Method(L"OnClickCheck", &C::GetOnClickCheck, &C::SetOnClickCheck),
  };
  return &table;
}
