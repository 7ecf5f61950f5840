#include "ComboBoxes.h"

#include <utility>

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../system/SysMath.h"
#include "ListItems.h"

namespace {

// Window properties of a hooked edit or list: the combo box, and the procedure replaced.
const wchar_t* const ComboOwnerProp = L"ExamPrepComboBox";
const wchar_t* const ComboProcProp = L"ExamPrepComboProc";

}  // namespace

// ---- The hooked windows -------------------------------------------------------------------------
// The procedure of the edit and the list inside a combo box: their messages go to the
// control's EditWndProc / ListWndProc. No exception leaves it.

LRESULT CALLBACK ComboChildWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* combo = static_cast<TCustomComboBox*>(::GetPropW(wnd, ComboOwnerProp));
  const auto original = reinterpret_cast<WNDPROC>(::GetPropW(wnd, ComboProcProp));
  if (!combo) {
    return original ? ::CallWindowProcW(original, wnd, msg, wParam, lParam)
                    : ::DefWindowProcW(wnd, msg, wParam, lParam);
  }
  TMessage message{msg, wParam, lParam, 0};
  const std::weak_ptr<int> alive = combo->GetLifeToken();
  try {
    if (wnd == combo->FEditHandle)
      combo->EditWndProc(message);
    else
      combo->ListWndProc(message);
  } catch (...) {
    ApplicationHandleException(alive.expired() ? nullptr : combo);
  }
  if (msg == WM_NCDESTROY) {
    ::RemovePropW(wnd, ComboOwnerProp);
    ::RemovePropW(wnd, ComboProcProp);
    if (!alive.expired()) {
      if (combo->FEditHandle == wnd) combo->FEditHandle = nullptr;
      if (combo->FListHandle == wnd) combo->FListHandle = nullptr;
    }
  }
  return message.Result;
}

// ---- TComboBoxStrings ---------------------------------------------------------------------------

class TComboBoxStrings : public TListControlStrings {
  CLASSLIB_CLASS(TComboBoxStrings, TListControlStrings)
  TComboBoxStrings(TCustomComboBox* comboBox, TListItemStore* store)
      : TListControlStrings(comboBox, store), FComboBox(comboBox) {}

  void Delete(int index) override {
    CheckIndex(index, GetCount());
    FStore->Delete(index);
    if (!FStore->Windowed()) {
      int& kept = FComboBox->FKeptItemIndex;
      if (index == kept)
        kept = -1;
      else if (index < kept)
        --kept;
    }
  }
  void Clear() override {
    FStore->Clear();
    FComboBox->FKeptItemIndex = -1;
  }

 protected:
  bool Sorted() const override { return FComboBox->FSorted; }
  int GetItemIndex() const override { return FComboBox->GetItemIndex(); }
  void SetItemIndex(int index) override { FComboBox->SetItemIndex(index); }

 private:
  TCustomComboBox* FComboBox;  // owns this object
};

// ---- Construction -------------------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner),
      FStore(std::make_unique<TListItemStore>(this, ComboBoxMessages)),
      FItems(std::make_unique<TComboBoxStrings>(this, FStore.get())),
      FOwnerDraw(this, FItems.get()) {
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight});
  SetBounds(GetLeft(), GetTop(), 145, 25);
  SetTabStop(true);
  SetParentColor(false);
}

TCustomComboBox::~TCustomComboBox() { UnhookChildren(); }

// ---- Window -------------------------------------------------------------------------------------

void TCustomComboBox::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, L"COMBOBOX");
  params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
  switch (FStyle) {
    case csDropDown: params.Style |= CBS_DROPDOWN; break;
    case csSimple: params.Style |= CBS_SIMPLE; break;
    case csDropDownList: params.Style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED; break;
    case csOwnerDrawVariable: params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE; break;
  }
  if (FSorted) params.Style |= CBS_SORT;
  // A drop-down combo box takes the height it is made with as its height when dropped.
  if (FStyle != csSimple) params.Height = DroppedHeight(FDropDownCount);
}

void TCustomComboBox::CreateWnd() {
  // The system does not take the text a combo box is made with; it is given afterwards.
  const String text = GetStoredText();
  inherited::CreateWnd();
  Perform(CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  HookChildren();
  const std::vector<int> places = FStore->PutIntoWindow(FSorted);
  FSelecting = true;  // what follows is no change by the user
  try {
    if (FKeptItemIndex >= 0 && static_cast<size_t>(FKeptItemIndex) < places.size() &&
        places[static_cast<size_t>(FKeptItemIndex)] >= 0)
      Perform(CB_SETCURSEL, static_cast<WPARAM>(places[static_cast<size_t>(FKeptItemIndex)]), 0);
    if (!IsListStyle() && !text.empty() && GetText() != text)
      Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  } catch (...) {
    FSelecting = false;
    throw;
  }
  FSelecting = false;
}

void TCustomComboBox::WMDestroy(TMessage& message) {
  if (HandleAllocated()) {
    FKeptItemIndex = GetItemIndex();
    FStore->TakeFromWindow();
  }
  UnhookChildren();
  inherited::WMDestroy(message);
}

void TCustomComboBox::HookChildren() {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetComboBoxInfo(GetHandle(), &info)) return;
  const auto hook = [this](HWND wnd, WNDPROC& defProc) {
    ::SetPropW(wnd, ComboOwnerProp, this);
    defProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboChildWindowProc)));
    ::SetPropW(wnd, ComboProcProp, reinterpret_cast<HANDLE>(defProc));
  };
  // A list style has no edit (the system may name the combo box itself instead).
  if (!IsListStyle() && info.hwndItem && info.hwndItem != GetHandle()) {
    FEditHandle = info.hwndItem;
    hook(FEditHandle, FDefEditProc);
  }
  if (info.hwndList) {
    FListHandle = info.hwndList;
    hook(FListHandle, FDefListProc);
  }
}

void TCustomComboBox::UnhookChildren() {
  const auto unhook = [](HWND& wnd, WNDPROC& defProc) {
    if (wnd && ::IsWindow(wnd)) {
      if (::GetWindowLongPtrW(wnd, GWLP_WNDPROC) ==
          reinterpret_cast<LONG_PTR>(&ComboChildWindowProc))
        ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defProc));
      ::RemovePropW(wnd, ComboOwnerProp);
      ::RemovePropW(wnd, ComboProcProp);
    }
    wnd = nullptr;
    defProc = nullptr;
  };
  unhook(FEditHandle, FDefEditProc);
  unhook(FListHandle, FDefListProc);
}

// ---- The edit's and the list's messages ---------------------------------------------------------

void TCustomComboBox::EditWndProc(TMessage& message) {
  ComboWndProc(message, FEditHandle, FDefEditProc);
}

void TCustomComboBox::ListWndProc(TMessage& message) {
  ComboWndProc(message, FListHandle, FDefListProc);
}

void TCustomComboBox::ComboWndProc(TMessage& message, HWND comboWnd, WNDPROC comboProc) {
  switch (message.Msg) {
    case WM_SETFOCUS: {
      TWinControl* root = this;
      while (root->GetParent()) root = root->GetParent();
      if (!root->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (GetControlState().Contains(csFocusing)) return;
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (comboWnd != FListHandle && DoKeyDown(message)) return;
      break;
    case WM_CHAR: {
      if (DoKeyPress(message)) return;
      const WORD key = LOWORD(message.WParam);
      if ((key == VK_RETURN || key == VK_ESCAPE) && GetDroppedDown()) {
        SetDroppedDown(false);
        return;
      }
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(message)) return;
      break;
    case CN_KEYDOWN:
    case CN_CHAR:
    case CN_SYSKEYDOWN:
    case CN_SYSCHAR: WndProc(message); return;
  }
  if (!comboProc) {
    message.Result = ::DefWindowProcW(comboWnd, message.Msg, message.WParam, message.LParam);
    return;
  }
  message.Result =
      ::CallWindowProcW(comboProc, comboWnd, message.Msg, message.WParam, message.LParam);
  if (message.Msg == WM_GETDLGCODE) message.Result |= DroppedDownDlgCode();
  if (message.Msg == WM_LBUTTONDBLCLK && GetControlStyle().Contains(csDoubleClicks)) DblClick();
}

// ---- Items, selection and text ------------------------------------------------------------------

TStrings* TCustomComboBox::GetItems() const { return FItems.get(); }

void TCustomComboBox::SetItems(TStrings* value) {
  if (value) FItems->Assign(value);
}

int TCustomComboBox::GetItemIndex() {
  if (!HandleAllocated()) return FKeptItemIndex;
  return static_cast<int>(Perform(CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int value) {
  if (GetComponentState().Contains(csLoading)) {
    FLoadedItemIndex = value;  // the items may not be read yet
    return;
  }
  if (value < -1 || value >= FItems->GetCount()) value = -1;
  if (!HandleAllocated()) {
    FKeptItemIndex = value;
    return;
  }
  if (GetItemIndex() != value) Perform(CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void TCustomComboBox::Loaded() {
  inherited::Loaded();
  if (FLoadedItemIndex == -2) return;
  const int value = FLoadedItemIndex;
  FLoadedItemIndex = -2;
  SetItemIndex(value);
}

void TCustomComboBox::Clear() {
  if (!IsListStyle()) TControl::SetText(String());
  FItems->Clear();
}

String TCustomComboBox::GetText() {
  if (IsListStyle() && !HandleAllocated()) {
    const std::vector<TKeptItem>& kept = FStore->Kept();
    return FKeptItemIndex >= 0 && static_cast<size_t>(FKeptItemIndex) < kept.size()
               ? kept[static_cast<size_t>(FKeptItemIndex)].Text
               : String();
  }
  return TControl::GetText();
}

void TCustomComboBox::SetText(const String& value) {
  if (IsListStyle()) {
    SetItemIndex(FItems->IndexOf(value));
    return;
  }
  // Text set by the program is no edit by the user: no OnChange.
  const bool selecting = FSelecting;
  FSelecting = true;
  try {
    TControl::SetText(value);
  } catch (...) {
    FSelecting = selecting;
    throw;
  }
  FSelecting = selecting;
}

// ---- Attributes ---------------------------------------------------------------------------------

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (FStyle == value) return;
  FStyle = value;
  RecreateWnd();
}

int TCustomComboBox::GetItemHeight() {
  if (HandleAllocated() && FStyle != csOwnerDrawFixed && FStyle != csOwnerDrawVariable)
    return static_cast<int>(Perform(CB_GETITEMHEIGHT, 0, 0));
  return FItemHeight;
}

void TCustomComboBox::SetItemHeight(int value) {
  if (value < 1 || value == FItemHeight) return;
  FItemHeight = value;
  RecreateWnd();
}

void TCustomComboBox::SetDropDownCount(int value) { FDropDownCount = Max(value, 1); }

LRESULT TCustomComboBox::DroppedDownDlgCode() {
  // While the list is open, Enter and Escape close it rather than act on the form; the
  // arrows the system asks for stay asked for, so they move the list's choice.
  return GetDroppedDown() ? DLGC_WANTALLKEYS | DLGC_WANTARROWS : 0;
}

bool TCustomComboBox::GetDroppedDown() {
  return HandleAllocated() && Perform(CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value) {
  if (HandleAllocated() && FStyle != csSimple) Perform(CB_SHOWDROPDOWN, value ? TRUE : FALSE, 0);
}

void TCustomComboBox::SetSorted(bool value) {
  if (FSorted == value) return;
  FSorted = value;
  if (HandleAllocated())
    RecreateWnd();  // the new window sorts the items as they are handed to it
  else if (value)
    FStore->SortKept();
}

void TCustomComboBox::SetMaxLength(int value) {
  value = Max(value, 0);
  FMaxLength = value;
  if (HandleAllocated()) Perform(CB_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TCustomComboBox::AdjustDropDown() {
  if (!HandleAllocated() || FStyle == csSimple) return;
  const int count = Max(1, Min(FItems->GetCount(), FDropDownCount));
  // Sizing a drop-down combo box taller sets its dropped height; the box keeps its own.
  FDroppingDown = true;
  ::SetWindowPos(GetHandle(), nullptr, 0, 0, GetWidth(), DroppedHeight(count),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  FDroppingDown = false;
  // The list is never narrower than the box (the system's rule), and wide enough for its
  // widest item.
  Perform(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(Max(GetWidth(), ItemsWidth())), 0);
}

int TCustomComboBox::ItemsWidth() {
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) return 0;  // the owner's
  const HFONT font = reinterpret_cast<HFONT>(Perform(WM_GETFONT, 0, 0));
  const HDC dc = ::GetDC(GetHandle());
  if (!dc) return 0;
  const HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
  int widest = 0;
  const int count = FItems->GetCount();
  for (int i = 0; i < count; ++i) {
    const String text = FItems->Get(i);
    SIZE size{};
    if (::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size))
      widest = Max(widest, static_cast<int>(size.cx));
  }
  if (old) ::SelectObject(dc, old);
  ::ReleaseDC(GetHandle(), dc);
  // A little room each side of the text, the list's border, and its scroll bar when not
  // every item shows at once.
  constexpr int kTextMargin = 3;
  widest += 2 * (kTextMargin + ::GetSystemMetrics(SM_CXBORDER));
  if (count > FDropDownCount) widest += ::GetSystemMetrics(SM_CXVSCROLL);
  return widest;
}

int TCustomComboBox::DroppedHeight(int count) {
  // In 64 bits and within the screen's reach: a huge count must not wrap around.
  const int64_t height = static_cast<int64_t>(GetItemHeight()) * count + GetHeight() + 2;
  return static_cast<int>(Min<int64_t>(height, 32767));
}

void TCustomComboBox::WMWindowPosChanging(TMessage& message) {
  if (FDroppingDown) {
    DefaultHandler(message);  // not the control's size: no constraints apply
    return;
  }
  inherited::WMWindowPosChanging(message);
}

void TCustomComboBox::WMSysKeyDown(TMessage& message) {
  if (DoKeyDown(message)) return;
  // The system's box keeps the system keys it is given, also those it has no use for.
  const WORD key = TWMKey(message).GetCharCode();
  if (key == VK_UP || key == VK_DOWN)
    DefaultHandler(message);
  else
    message.Result = ::DefWindowProcW(GetHandle(), message.Msg, message.WParam, message.LParam);
}

// ---- Overridable behaviour ----------------------------------------------------------------------

void TCustomComboBox::Change() {
  const std::weak_ptr<int> alive = GetLifeToken();
  Changed();
  if (!alive.expired() && FOnChange) FOnChange(this);
}

void TCustomComboBox::Select() {
  if (FOnSelect)
    FOnSelect(this);
  else
    Change();
}

void TCustomComboBox::DropDown() {
  if (FOnDropDown) FOnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (FOnCloseUp) FOnCloseUp(this);
}

void TCustomComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  FOwnerDraw.DrawItem(index, rect, state);
}

void TCustomComboBox::MeasureItem(int index, int& height) { FOwnerDraw.MeasureItem(index, height); }

// ---- Messages -----------------------------------------------------------------------------------

void TCustomComboBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CB_SETCURSEL: SetCurSel(message); return;
    case CN_COMMAND: CNCommand(message); return;
    case CN_DRAWITEM: CNDrawItem(message); return;
    case CN_MEASUREITEM: CNMeasureItem(message); return;
    case WM_GETDLGCODE:
      inherited::Dispatch(message);
      message.Result |= DroppedDownDlgCode();
      return;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
      // The edit and the list inside take the control's colours.
      const HDC dc = reinterpret_cast<HDC>(message.WParam);
      ::SetTextColor(dc, ColorToRGB(GetFont()->GetColor()));
      ::SetBkColor(dc, ColorToRGB(GetBrush()->GetColor()));
      message.Result = reinterpret_cast<LRESULT>(GetBrush()->GetHandle());
      return;
    }
  }
  inherited::Dispatch(message);
}

void TCustomComboBox::SetCurSel(TMessage& message) {
  inherited::Dispatch(message);
  // Clearing the selection leaves the system's list its caret, the item the first arrow key
  // picks when nothing is selected: a box emptied after a choice would pick that choice again
  // rather than the first item. The caret goes back to the first item, as in a new box.
  if (static_cast<int>(message.WParam) < 0 && FListHandle)
    ::SendMessageW(FListHandle, LB_SETCARETINDEX, 0, FALSE);
}

void TCustomComboBox::CNCommand(TMessage& message) {
  const std::weak_ptr<int> alive = GetLifeToken();
  switch (HIWORD(message.WParam)) {
    case CBN_DBLCLK: DblClick(); break;
    case CBN_EDITCHANGE:
      if (!FSelecting) Change();
      break;
    case CBN_DROPDOWN:
      FDropIndex = GetItemIndex();
      FDropText = GetText();
      FCancelDrop = false;
      DropDown();
      if (!alive.expired()) AdjustDropDown();
      break;
    case CBN_CLOSEUP:
      if (std::exchange(FCancelDrop, false)) RestoreDropChoice();
      if (!alive.expired()) CloseUp();
      break;
    case CBN_SELCHANGE: {
      // The edit shows the picked item before the events run.
      const int index = GetItemIndex();
      if (index >= 0 && !IsListStyle()) {
        FSelecting = true;
        try {
          TControl::SetText(FItems->Get(index));
        } catch (...) {
          FSelecting = false;
          throw;
        }
        FSelecting = false;
      }
      Click();
      if (!alive.expired()) Select();
      break;
    }
  }
}

void TCustomComboBox::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  // Escape on the open list closes it (the system's part) and cancels what the keys chose.
  if (key == VK_ESCAPE && GetDroppedDown()) FCancelDrop = true;
}

void TCustomComboBox::RestoreDropChoice() {
  const int index = GetItemIndex();
  if (index == FDropIndex && GetText() == FDropText) return;
  // Text typed into the edit while the list was open is the user's own, and stays.
  if (!IsListStyle() && (index < 0 || GetText() != FItems->Get(index))) return;
  FSelecting = true;
  try {
    SetItemIndex(FDropIndex);
    if (!IsListStyle()) TControl::SetText(FDropText);
  } catch (...) {
    FSelecting = false;
    throw;
  }
  FSelecting = false;
  Select();  // the events see the choice again, as they saw the ones the keys made
}

void TCustomComboBox::CNDrawItem(TMessage& message) {
  FOwnerDraw.DrawRequested(message, [this](int index, const TRect& rect, TOwnerDrawState state) {
    DrawItem(index, rect, state);
  });
}

void TCustomComboBox::CNMeasureItem(TMessage& message) {
  FOwnerDraw.MeasureRequested(message, FItemHeight, FStyle == csOwnerDrawVariable,
                              [this](int index, int& height) { MeasureItem(index, height); });
}

// ---- Stored layouts -----------------------------------------------------------------------------

namespace {

const wchar_t* const ComboBoxStyleNames[] = {L"csDropDown", L"csSimple", L"csDropDownList",
                                             L"csOwnerDrawFixed", L"csOwnerDrawVariable"};
const TEnumInfo ComboBoxStyleIdents = MakeEnumInfo(ComboBoxStyleNames);

const bool ComboBoxRegistered = [] {
  try {
    RegisterClass<TComboBox>();
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

}  // namespace

const TPropertyTable* TCustomComboBox::PublishedProperties() {
  using P = TPublish<TCustomComboBox>;
  using C = TCustomComboBox;
  static const TPropertyTable table{
      // The text is the control's Text (or nothing); no caption is kept.
      P::Text(L"Caption", &C::GetCaption, &C::SetCaption).Stored(false),
      P::Integer(L"DropDownCount", &C::GetDropDownCount, &C::SetDropDownCount).Default(8),
      // A standard style's height is the system's; only an owner-draw one's is stored.
      P::Integer(L"ItemHeight", &C::GetItemHeight, &C::SetItemHeight).Default(16).Stored([](C* c) {
        return c->GetStyle() == csOwnerDrawFixed || c->GetStyle() == csOwnerDrawVariable;
      }),
      P::Strings(L"Items", &C::GetItems, &C::SetItems),
      P::Integer(L"ItemIndex", &C::GetItemIndex, &C::SetItemIndex).Default(-1),
      P::Integer(L"MaxLength", &C::GetMaxLength, &C::SetMaxLength).Default(0),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(false),
      P::Boolean(L"Sorted", &C::GetSorted, &C::SetSorted).Default(false),
      P::Enum(L"Style", ComboBoxStyleIdents, &C::GetStyle, &C::SetStyle).Default(csDropDown),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      // A list style's text is its selected item.
      P::Text(
          L"Text", [](C* c) { return c->GetText(); }, [](C* c, const String& v) { c->SetText(v); })
          .Stored([](C* c) { return c->GetStyle() == csDropDown || c->GetStyle() == csSimple; }),
      P::Method(L"OnChange", &C::GetOnChange, &C::SetOnChange),
      P::Method(L"OnCloseUp", &C::GetOnCloseUp, &C::SetOnCloseUp),
      P::Method(L"OnDrawItem", &C::GetOnDrawItem, &C::SetOnDrawItem),
      P::Method(L"OnDropDown", &C::GetOnDropDown, &C::SetOnDropDown),
      P::Method(L"OnMeasureItem", &C::GetOnMeasureItem, &C::SetOnMeasureItem),
      P::Method(L"OnSelect", &C::GetOnSelect, &C::SetOnSelect),
  };
  return &table;
}
