// TPageControl over the system's tab control, and its pages, TTabSheet.
#include "PageControls.h"

#include <algorithm>
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
  if (!FPageControl) return -1;
  const auto& pages = FPageControl->FPages;
  const auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
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
  for (const TTabSheet* page : FPageControl->FPages) {
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
  for (TTabSheet* page : FPages) page->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
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
  if (index < 0 || index >= GetPageCount()) ListIndexError(index);
  return FPages[static_cast<size_t>(index)];
}

void TPageControl::InsertPage(TTabSheet* page) {
  FPages.push_back(page);
  page->FPageControl = this;
  UpdateTabs();
}

void TPageControl::RemovePage(TTabSheet* page) {
  const auto it = std::find(FPages.begin(), FPages.end(), page);
  if (it == FPages.end()) return;
  TTabSheet* next = nullptr;
  if (page == FActivePage && !GetComponentState().Contains(csDestroying)) {
    next = FindNextPage(page, true, true);
    if (next == page) next = nullptr;
  }
  FPages.erase(it);
  page->FPageControl = nullptr;
  if (page == FActivePage) {
    FActivePage = nullptr;  // it is leaving: it need not be hidden
    if (next) SetActivePage(next);
  }
  UpdateTabs();
}

void TPageControl::MovePage(int curIndex, int newIndex) {
  if (curIndex < 0 || curIndex >= GetPageCount()) ListIndexError(curIndex);
  if (newIndex < 0 || newIndex >= GetPageCount()) ListIndexError(newIndex);
  TTabSheet* const page = FPages[static_cast<size_t>(curIndex)];
  FPages.erase(FPages.begin() + curIndex);
  FPages.insert(FPages.begin() + newIndex, page);
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
    if (page && std::find(FPages.begin(), FPages.end(), page) == FPages.end()) InsertPage(page);
    return;
  }
  // A sheet leaving; matched by address, as it may already be half destroyed.
  for (TTabSheet* page : FPages) {
    if (static_cast<TControl*>(page) == control) {
      RemovePage(page);
      return;
    }
  }
}

void TPageControl::GetChildren(const TGetChildProc& proc, TComponent*) {
  const std::vector<TTabSheet*> pages = FPages;
  for (TTabSheet* page : pages) proc(page);
}

void TPageControl::SetChildOrder(TComponent* child, int order) {
  if (auto* page = dynamic_cast<TTabSheet*>(child); page && page->FPageControl == this &&
                                                    order >= 0 && order < GetPageCount())
    MovePage(page->GetPageIndex(), order);
}

// ---- Showing pages -------------------------------------------------------------------------------------------

void TPageControl::SetActivePage(TTabSheet* value) {
  if (value && value->FPageControl != this) return;
  ChangeActivePage(value);
  if (!value)
    SetTabIndex(-1);
  else if (value == FActivePage)
    SetTabIndex(value->GetTabIndex());
}

int TPageControl::GetActivePageIndex() const {
  return FActivePage ? FActivePage->GetPageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int value) {
  SetActivePage(value >= 0 && value < GetPageCount() ? FPages[static_cast<size_t>(value)] : nullptr);
}

void TPageControl::ChangeActivePage(TTabSheet* page) {
  if (page == FActivePage) return;
  TWinControl* const root = RootOf(this);
  TWinControl* focused = root->GetFocusedControl();
  const bool focusInside = FActivePage && focused && FActivePage->ContainsControl(focused);
  // The focus may not stay on a page that is hidden: the page control takes it meanwhile.
  if (focusInside && CanFocus()) SetFocus();
  if (page) {
    page->BringToFront();
    page->SetVisible(true);
  }
  if (FActivePage) FActivePage->SetVisible(false);
  FActivePage = page;
  if (focusInside && page && root->GetFocusedControl() == this) page->SelectFirst();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward,
                                      bool checkTabVisible) const {
  const int count = GetPageCount();
  if (count == 0) return nullptr;
  const auto it = std::find(FPages.begin(), FPages.end(), current);
  int start = it == FPages.end() ? (goForward ? count - 1 : 0)
                                 : static_cast<int>(it - FPages.begin());
  int i = start;
  for (int step = 0; step < count; ++step) {
    if (goForward) {
      i = i + 1 == count ? 0 : i + 1;
    } else {
      i = i == 0 ? count - 1 : i - 1;
    }
    TTabSheet* page = FPages[static_cast<size_t>(i)];
    if (!checkTabVisible || page->FTabVisible) return page;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool goForward) {
  TTabSheet* page = FindNextPage(FActivePage, goForward, true);
  if (!page || page == FActivePage || !CanChange()) return;
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
    for (TTabSheet* page : FPages) {
      if (page->GetTabIndex() == tabIndex) {
        ChangeActivePage(page);
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
  return FActivePage ? FActivePage->GetTabIndex() : -1;
}

void TPageControl::SetTabIndex(int value) {
  if (HandleAllocated()) ::SendMessageW(GetHandle(), TCM_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void TPageControl::UpdateTabs() {
  if (!HandleAllocated() || GetComponentState().Contains(csDestroying)) return;
  const HWND wnd = GetHandle();
  ::SendMessageW(wnd, TCM_DELETEALLITEMS, 0, 0);
  int index = 0;
  for (TTabSheet* page : FPages) {
    if (!page->FTabVisible) continue;
    String caption = page->GetCaption();
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    ::SendMessageW(wnd, TCM_INSERTITEMW, static_cast<WPARAM>(index++),
                   reinterpret_cast<LPARAM>(&item));
  }
  ::SendMessageW(wnd, TCM_SETCURSEL,
                 static_cast<WPARAM>(FActivePage ? FActivePage->GetTabIndex() : -1), 0);
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
