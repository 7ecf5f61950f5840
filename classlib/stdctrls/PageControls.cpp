// TPageControl over the system's tab control, and its pages, TTabSheet.
#include "PageControls.h"

#include <commctrl.h>
#include "../system/SysMath.h"

namespace {

// The outermost parent: the control whose focused control is the window's.
TWinControl* RootOf(TWinControl* control) {
  for (int depth = 0; control->GetParent() && depth < 1000; ++depth) control = control->GetParent();
  return control;
}

[[noreturn]] void ListIndexError(int index) {
  throw EListError(L"List index out of bounds (%d)", {index});
}

}  // namespace

// ---- TTabSheet ------------------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  SetVisible(false);
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  SetAlign(alClient);
}

TTabSheet::~TTabSheet() {
  Destroying();
  // Leave the page list while this is still a sheet (the parent's own removal comes later).
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* value) {
  if (value == FPageControl) return;
  SetParent(value);  // the page lists follow through CM_CONTROLCHANGE
}

int TTabSheet::GetPageIndex() const {
  return FPageControl ? FPageControl->FPages.IndexOf(this) : -1;
}

void TTabSheet::SetPageIndex(int value) {
  if (!FPageControl) return;
  const int maxPageIndex = FPageControl->GetPageCount() - 1;
  if (value > maxPageIndex)
    throw EListError(L"%d is an invalid PageIndex value.  PageIndex must be between 0 and %d",
                     {value, maxPageIndex});
  if (value < 0) ListIndexError(value);
  FPageControl->MovePage(GetPageIndex(), value);
}

void TTabSheet::SetTabVisible(bool value) {
  if (value == FTabVisible) return;
  FTabVisible = value;
  if (FPageControl) FPageControl->UpdateTabs();
}

int TTabSheet::GetTabIndex() const {
  if (!FPageControl || !FTabVisible) return -1;
  int index = 0;
  for (int i = 0; i < FPageControl->GetPageCount(); ++i) {
    const TTabSheet* page = FPageControl->GetPages(i);
    if (page == this) return index;
    if (page->FTabVisible) ++index;
  }
  return -1;
}

void TTabSheet::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  if (FPageControl) FPageControl->UpdateTabs();
}

// ---- TPageControl: construction -------------------------------------------------------------------------

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls} - TControlStyle{csSetCaption});
  SetBounds(GetLeft(), GetTop(), 289, 193);
  SetTabStop(true);
}

TPageControl::~TPageControl() {
  Destroying();
  // The sheets outlive the list (they go with their owners or this control's children).
  for (int i = 0; i < GetPageCount(); ++i) GetPages(i)->FPageControl = nullptr;
  FPages.StoreIndex(-1);
}

void TPageControl::CreateParams(TCreateParams& params) {
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&init);
  inherited::CreateParams(params);
  CreateSubClass(params, WC_TABCONTROLW);
  if (FMultiLine) params.Style |= TCS_MULTILINE;
  switch (FTabPosition) {
    case tpTop: break;
    case tpBottom: params.Style |= TCS_BOTTOM; break;
    case tpLeft: params.Style |= TCS_VERTICAL | TCS_MULTILINE; break;
    case tpRight: params.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE; break;
  }
  if (FStyle == tsButtons) params.Style |= TCS_BUTTONS;
  if (FStyle == tsFlatButtons) params.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
  if (FHotTrack) params.Style |= TCS_HOTTRACK;
  if (FTabWidth > 0) params.Style |= TCS_FIXEDWIDTH;
}

void TPageControl::CreateWnd() {
  inherited::CreateWnd();
  if (FTabWidth > 0 || FTabHeight > 0)
    ::SendMessageW(GetHandle(), TCM_SETITEMSIZE, 0, MAKELPARAM(FTabWidth, FTabHeight));
  UpdateTabs();
}

// ---- Pages ---------------------------------------------------------------------------------------------------

TTabSheet* TPageControl::GetPages(int index) const {
  // Only TTabSheets join the list: CMControlChange takes no other.
  return static_cast<TTabSheet*>(FPages.GetPage(index));
}

void TPageControl::RemovePage(TTabSheet* page) {
  if (FPages.IndexOf(page) < 0) return;
  TTabSheet* next = nullptr;
  if (page == GetActivePage() && !GetComponentState().Contains(csDestroying)) {
    next = FindNextPage(page, true, true);
    if (next == page) next = nullptr;
  }
  // None shows when it was the page shown: it is leaving, so it need not be hidden.
  FPages.ControlRemoved(page);
  page->FPageControl = nullptr;
  if (next) SetActivePage(next);
  UpdateTabs();
}

void TPageControl::MovePage(int curIndex, int newIndex) {
  FPages.Move(curIndex, newIndex);
  UpdateTabs();
}

void TPageControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CN_NOTIFY: CNNotify(message); break;
    case CM_CONTROLCHANGE: CMControlChange(message); break;
    default: inherited::Dispatch(message); break;
  }
}

void TPageControl::CMControlChange(TMessage& message) {
  auto* control = reinterpret_cast<TControl*>(message.WParam);
  if (message.LParam) {
    auto* page = dynamic_cast<TTabSheet*>(control);
    if (FPages.ControlInserted(page)) {
      page->FPageControl = this;
      UpdateTabs();
    }
    return;
  }
  // A sheet leaving; matched by address, as it may already be half destroyed.
  const int index = FPages.IndexOf(control);
  if (index >= 0) RemovePage(GetPages(index));
}

void TPageControl::GetChildren(const TGetChildProc& proc, TComponent*) { FPages.GetChildren(proc); }

void TPageControl::SetChildOrder(TComponent* child, int order) {
  if (FPages.SetChildOrder(child, order)) UpdateTabs();
}

// ---- Showing pages -------------------------------------------------------------------------------------------

TTabSheet* TPageControl::GetActivePage() const {
  const int index = FPages.GetPageIndex();
  return index >= 0 ? GetPages(index) : nullptr;
}

void TPageControl::SetActivePage(TTabSheet* value) {
  if (value && value->FPageControl != this) return;
  ChangeActivePage(value);
  if (!value)
    SetTabIndex(-1);
  else if (value == GetActivePage())
    SetTabIndex(value->GetTabIndex());
}

int TPageControl::GetActivePageIndex() const { return FPages.GetPageIndex(); }

void TPageControl::SetActivePageIndex(int value) {
  SetActivePage(value >= 0 && value < GetPageCount() ? GetPages(value) : nullptr);
}

// The stack's Show is not used: a page control shows no page for an index outside the
// pages, and takes the focus off the page that goes only.
void TPageControl::ChangeActivePage(TTabSheet* page) {
  TTabSheet* const shown = GetActivePage();
  if (page == shown) return;
  TWinControl* const root = RootOf(this);
  TWinControl* focused = root->GetFocusedControl();
  const bool focusInside = shown && focused && shown->ContainsControl(focused);
  // The focus may not stay on a page that is hidden: the page control takes it meanwhile.
  if (focusInside && CanFocus()) SetFocus();
  if (page) {
    page->BringToFront();
    page->SetVisible(true);
  }
  if (shown) shown->SetVisible(false);
  FPages.StoreIndex(page ? FPages.IndexOf(page) : -1);  // page is one of the sheets
  if (focusInside && page && root->GetFocusedControl() == this) page->SelectFirst();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward,
                                      bool checkTabVisible) const {
  const int count = GetPageCount();
  if (count == 0) return nullptr;
  const int listed = FPages.IndexOf(current);
  int i = listed < 0 ? (goForward ? count - 1 : 0) : listed;
  for (int step = 0; step < count; ++step) {
    if (goForward) {
      i = i + 1 == count ? 0 : i + 1;
    } else {
      i = i == 0 ? count - 1 : i - 1;
    }
    TTabSheet* page = GetPages(i);
    if (!checkTabVisible || page->FTabVisible) return page;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool goForward) {
  TTabSheet* page = FindNextPage(GetActivePage(), goForward, true);
  if (!page || page == GetActivePage() || !CanChange()) return;
  SetActivePage(page);
  Change();
}

bool TPageControl::CanChange() {
  bool allowChange = true;
  if (FOnChanging) FOnChanging(this, allowChange);
  return allowChange;
}

void TPageControl::Change() {
  const int tabIndex = GetTabIndex();
  if (tabIndex >= 0) {
    for (int i = 0; i < GetPageCount(); ++i) {
      if (GetPages(i)->GetTabIndex() == tabIndex) {
        ChangeActivePage(GetPages(i));
        break;
      }
    }
  }
  if (FOnChange) FOnChange(this);
}

// ---- Tabs ----------------------------------------------------------------------------------------------------

int TPageControl::GetTabIndex() const {
  if (HandleAllocated())
    return static_cast<int>(::SendMessageW(const_cast<TPageControl*>(this)->GetHandle(),
                                           TCM_GETCURSEL, 0, 0));
  const TTabSheet* shown = GetActivePage();
  return shown ? shown->GetTabIndex() : -1;
}

void TPageControl::SetTabIndex(int value) {
  if (HandleAllocated()) ::SendMessageW(GetHandle(), TCM_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void TPageControl::UpdateTabs() {
  if (!HandleAllocated() || GetComponentState().Contains(csDestroying)) return;
  const HWND wnd = GetHandle();
  ::SendMessageW(wnd, TCM_DELETEALLITEMS, 0, 0);
  int index = 0;
  for (int i = 0; i < GetPageCount(); ++i) {
    TTabSheet* page = GetPages(i);
    if (!page->FTabVisible) continue;
    String caption = page->GetCaption();
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    ::SendMessageW(wnd, TCM_INSERTITEMW, static_cast<WPARAM>(index++),
                   reinterpret_cast<LPARAM>(&item));
  }
  const TTabSheet* shown = GetActivePage();
  ::SendMessageW(wnd, TCM_SETCURSEL, static_cast<WPARAM>(shown ? shown->GetTabIndex() : -1), 0);
  Realign();  // the rows of tabs, and so the pages' room, may have changed
}

TRect TPageControl::GetDisplayRect() {
  TRect rect = GetClientRect();
  AdjustClientRect(rect);
  return rect;
}

void TPageControl::AdjustClientRect(TRect& rect) {
  if (!HandleAllocated()) return;
  RECT r = rect;
  ::SendMessageW(GetHandle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  rect = r;
}

void TPageControl::SetMultiLine(bool value) {
  if (value == FMultiLine) return;
  FMultiLine = value;
  RecreateWnd();
}

void TPageControl::SetTabPosition(TTabPosition value) {
  if (value == FTabPosition) return;
  FTabPosition = value;
  RecreateWnd();
}

void TPageControl::SetStyle(TTabStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  RecreateWnd();
}

void TPageControl::SetHotTrack(bool value) {
  if (value == FHotTrack) return;
  FHotTrack = value;
  RecreateWnd();
}

void TPageControl::SetTabHeight(int value) {
  value = Max(0, value);
  if (value == FTabHeight) return;
  FTabHeight = value;
  RecreateWnd();
}

void TPageControl::SetTabWidth(int value) {
  value = Max(0, value);
  if (value == FTabWidth) return;
  FTabWidth = value;
  RecreateWnd();
}

// ---- Messages ---------------------------------------------------------------------------------------------------

void TPageControl::CNNotify(TMessage& message) {
  const NMHDR* header = TWMNotify(message).GetNMHdr();
  if (!header) return;
  switch (header->code) {
    case TCN_SELCHANGING: message.Result = CanChange() ? 0 : 1; break;
    case TCN_SELCHANGE: Change(); break;
    default: break;
  }
}

void TPageControl::CMDialogKey(TMessage& message) {
  TWinControl* focused = RootOf(this)->GetFocusedControl();
  const bool inside = focused && ContainsControl(focused);
  if (inside && TWMKey(message).GetCharCode() == VK_TAB && ::GetKeyState(VK_CONTROL) < 0) {
    SelectNextPage(::GetKeyState(VK_SHIFT) >= 0);
    message.Result = 1;
    return;
  }
  inherited::CMDialogKey(message);
}
