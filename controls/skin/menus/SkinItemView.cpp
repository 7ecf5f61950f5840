// The item view: layout of one level of an item tree, hit-testing, keyboard selection,
// scrolling, opening of child popups and the modal loop of an open menu.
#include <algorithm>

#include "SkinItems.h"
#include "SkinMenuData.h"
#include "SkinMenus.h"
#include "classlib/forms/Forms.h"
#include "controls/skin/controls/SkinOpenDropDown.h"
#include "controls/skin/engine/SkinDrawing.h"

namespace {

constexpr int ScrollButtonHeight = 10;
constexpr unsigned ScrollInterval = 100;
// The longest a pass of the menu loop waits for a message before it looks at the
// activation again (a menu of a background window gets no message when another program
// is clicked).
constexpr DWORD LoopWaitMs = 100;

bool IsOwnWindow(HWND wnd) {
  return wnd && ::GetWindowThreadProcessId(wnd, nullptr) == ::GetCurrentThreadId();
}

// The first form among component and its owners; nullptr when none.
TCustomForm* OwningForm(TComponent* component) {
  for (int depth = 0; component && depth < 64; ++depth, component = component->GetOwner())
    if (auto* form = dynamic_cast<TCustomForm*>(component)) return form;
  return nullptr;
}

}  // namespace

TSeItemView::TSeItemView(TComponent* owner, bool horizontal, bool menuBarLook)
    : TComponent(owner), FMenuBarLook(menuBarLook), FHorizontal(horizontal) {}

TSeItemView::~TSeItemView() {
  StopScrollTimer();
  if (FParentView && FParentView->FChildView == this) FParentView->FChildView = nullptr;
}

TCanvas* TSeItemView::GetMeasureCanvas() {
  if (!FMeasureBitmap) {
    FMeasureBitmap = std::make_unique<TBitmap>();
    FMeasureBitmap->SetSize(1, 1);
  }
  return FMeasureBitmap->GetCanvas();
}

HWND TSeItemView::HostHandle() const {
  if (auto* windowed = dynamic_cast<TWinControl*>(FHost)) return windowed->GetHandle();
  if (FHost && FHost->GetParent()) return FHost->GetParent()->GetHandle();
  return nullptr;
}

TRect TSeItemView::HostToScreen(const TRect& r) const {
  if (!FHost) return r;
  const TPoint topLeft = FHost->ClientToScreen(TPoint(r.Left, r.Top));
  return TRect(topLeft.X, topLeft.Y, topLeft.X + RectWidth(r), topLeft.Y + RectHeight(r));
}

void TSeItemView::PostKey(WORD vk) const {
  if (HWND wnd = HostHandle()) ::PostMessageW(wnd, WM_KEYDOWN, vk, 1);
}

// ---- Layout -------------------------------------------------------------------------------------------

bool TSeItemView::IsScrolledList() const {
  return FItem && FItem->GetScrolled() && FItem->GetScrollCount() >= 1 && !FHorizontal;
}

int TSeItemView::FirstShownRow() const {
  return FItem && FItem->GetScrolled() && FItem->GetScrollCount() >= 1 ? FItem->GetTopIndex() : 0;
}

int TSeItemView::ShownRowCount() const {
  if (!FItem) return 0;
  const int count = FItem->GetCount();
  if (!FItem->GetScrolled() || FItem->GetScrollCount() < 1) return count;
  return std::max(0, std::min(FItem->GetScrollCount(), count - FItem->GetTopIndex()));
}

TRect TSeItemView::ScrollButtonRect(int direction) const {
  if (!IsScrolledList()) return TRect();
  const int x = FOrigin.X, y = FOrigin.Y;
  if (direction == 1) return TRect(x, y, x + FViewWidth, y + ScrollButtonHeight);
  return TRect(x, y + FViewHeight - ScrollButtonHeight, x + FViewWidth, y + FViewHeight);
}

void TSeItemView::Layout() {
  FViewWidth = FViewHeight = 0;
  if (FItem) {
    TCanvas* canvas = GetMeasureCanvas();
    const int count = FItem->GetCount();
    std::vector<TSize> sizes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      TSeCustomItem* child = FItem->GetItem(i);
      child->SetBoundsRect(TRect());
      if (child->GetVisible()) child->MeasureItem(canvas, this, sizes[i].cy, sizes[i].cx);
    }
    const int first = FirstShownRow(), last = first + ShownRowCount();
    if (!FHorizontal) {
      for (const TSize& size : sizes) FViewWidth = std::max(FViewWidth, size.cx);
      const int buttons = IsScrolledList() ? ScrollButtonHeight : 0;
      int y = FOrigin.Y + buttons;
      for (int i = first; i < last; ++i) {
        TSeCustomItem* child = FItem->GetItem(i);
        if (!child->GetVisible()) continue;
        child->SetBoundsRect(TRect(FOrigin.X, y, FOrigin.X + FViewWidth, y + sizes[i].cy));
        y += sizes[i].cy;
      }
      FViewHeight = y - FOrigin.Y + buttons;
    } else {
      int x = FOrigin.X;
      for (int i = first; i < last; ++i) {
        TSeCustomItem* child = FItem->GetItem(i);
        if (!child->GetVisible()) continue;
        FViewHeight = std::max(FViewHeight, sizes[i].cy);
        const TSeSystemKind kind = child->GetSystemKind();
        if (kind != sysNone && kind != sysChildIcon) continue;  // placed at the right edge below
        child->SetBoundsRect(TRect(x, FOrigin.Y, x + sizes[i].cx, FOrigin.Y));
        x += sizes[i].cx;
      }
      FViewWidth = x - FOrigin.X;
      // The MDI child's buttons: minimize, restore, close against the bar's right edge.
      const int right = FBarControl ? FBarControl->GetWidth() : FHost ? FHost->GetWidth() : FViewWidth;
      for (int i = first; i < last; ++i) {
        TSeCustomItem* child = FItem->GetItem(i);
        TRect r = child->GetBoundsRect();
        const TSeSystemKind kind = child->GetSystemKind();
        if (child->GetVisible() && kind != sysNone && kind != sysChildIcon) {
          const int place = kind;  // close 1 is last, restore 2 before it, minimize 3 before that
          r = TRect(right - place * FViewHeight, FOrigin.Y, right - (place - 1) * FViewHeight, FOrigin.Y);
        }
        if (child->GetVisible()) child->SetBoundsRect(TRect(r.Left, FOrigin.Y, r.Right, FOrigin.Y + FViewHeight));
      }
    }
  }
  SizeChanged(TSize(FViewWidth, FViewHeight));
}

// ---- Painting --------------------------------------------------------------------------------------------

void TSeItemView::Paint(TCanvas* canvas) {
  if (!FItem) return;
  canvas->SetFont(MenuFont());
  canvas->GetFont()->SetColor(clMenuText);
  if (IsScrolledList()) {
    FItem->DrawScrollButton(canvas, this, FScrollDirection == 1, 1, ScrollButtonRect(1));
    FItem->DrawScrollButton(canvas, this, FScrollDirection == 2, 2, ScrollButtonRect(2));
  }
  const int first = FirstShownRow(), last = first + ShownRowCount();
  for (int i = first; i < last; ++i) {
    TSeCustomItem* child = FItem->GetItem(i);
    if (child->GetVisible() && !child->GetExcluded())
      child->DrawItem(canvas, this, child->GetBoundsRect(), child == FSelected, !FDropped);
  }
}

void TSeItemView::RepaintItemAt(int index) {
  if (FItem && index >= 0 && index < FItem->GetCount()) RepaintItem(FItem->GetItem(index));
}

void TSeItemView::InitiateAction() {
  if (!FItem) return;
  for (int i = 0; i < FItem->GetCount(); ++i) FItem->GetItem(i)->InitiateAction();
}

// ---- Selection ----------------------------------------------------------------------------------------------

void TSeItemView::Select(TSeCustomItem* item) {
  TSeCustomItem* old = FSelected;
  FSelected = item;
  if (old != item) SelectionChanged(old);
}

void TSeItemView::SelectionChanged(TSeCustomItem* old) {
  if (old) RepaintItem(old);
  if (FSelected) RepaintItem(FSelected);
  if (Application) Application->SetHint(FSelected ? FSelected->GetHint() : String());
}

void TSeItemView::HitTest(const TPoint& screenPoint) {
  if (!FItem) return;
  const TPoint p = FHost ? FHost->ScreenToClient(screenPoint) : screenPoint;
  TSeCustomItem* old = FSelected;
  if (!FTracking) {
    FSelected = nullptr;
    if (Application) Application->SetHint(String());
  }
  if (IsScrolledList()) {
    const int direction = PtInRect(ScrollButtonRect(1), p) ? 1 : PtInRect(ScrollButtonRect(2), p) ? 2 : 0;
    if (direction != FScrollDirection) {
      FScrollDirection = direction;
      RepaintScrollButton(1);
      RepaintScrollButton(2);
    }
    if (direction) StartScrollTimer();
    else StopScrollTimer();
  }
  const int first = FirstShownRow(), last = first + ShownRowCount();
  for (int i = first; i < last; ++i) {
    TSeCustomItem* child = FItem->GetItem(i);
    if (child->GetVisible() && PtInRect(child->GetBoundsRect(), p)) {
      FSelected = child;
      if (Application) Application->SetHint(child->GetHint());
      break;
    }
  }
  if (FSelected != old) {
    if (old) RepaintItem(old);
    if (FSelected) RepaintItem(FSelected);
  }
}

void TSeItemView::SelectNext() { Step(true); }
void TSeItemView::SelectPrevious() { Step(false); }

void TSeItemView::Step(bool forward) {
  if (!FItem || FItem->GetCount() == 0) return;
  const int count = FItem->GetCount();
  int index = FSelected ? FItem->IndexOf(FSelected) : -1;
  TSeCustomItem* found = nullptr;
  for (int turn = 0; turn < count && !found; ++turn) {  // one full turn at most
    index = forward ? (index + 1) % count : (index <= 0 ? count - 1 : index - 1);
    if (FItem->GetItem(index)->IsSelectable()) found = FItem->GetItem(index);
  }
  if (found && ScrollToSelected(index)) RepaintView();
  if (found == FSelected) return;
  Select(found);
  if (FDropped && found) OpenSelected();
}

bool TSeItemView::ScrollToSelected(int index) {
  if (!FItem->GetScrolled() || FItem->GetScrollCount() < 1) return false;
  const int count = FItem->GetCount(), rows = FItem->GetScrollCount();
  int top = FItem->GetTopIndex();
  if (index == 0) top = 0;
  else if (index == count - 1) top = std::max(0, count - rows);
  else if (index >= top + rows) top = index - rows + 1;
  else if (index < top) top = index;
  if (top == FItem->GetTopIndex()) return false;
  FItem->SetTopIndex(top);
  Layout();
  return true;
}

// ---- Scrolling --------------------------------------------------------------------------------------------------

bool TSeItemView::ScrollTimerRunning() const { return FScrollTimer && FScrollTimer->GetEnabled(); }

void TSeItemView::StartScrollTimer() {
  if (FChildView) FChildView->PostKey(VK_ESCAPE);
  if (!FScrollTimer) {
    FScrollTimer = new TTimer(this);
    FScrollTimer->SetEnabled(false);
    FScrollTimer->SetInterval(ScrollInterval);
    FScrollTimer->SetOnTimer([this](TObject* sender) { ScrollTimerTick(sender); });
  }
  FScrollTimer->SetEnabled(true);
}

void TSeItemView::StopScrollTimer() {
  if (FScrollTimer) FScrollTimer->SetEnabled(false);
}

void TSeItemView::ScrollTimerTick(TObject*) {
  if (!FItem) return;
  if (FScrollDirection == 1 && FItem->GetTopIndex() > 0) SelectPrevious();
  else if (FScrollDirection == 2 && FItem->GetCount() > FItem->GetTopIndex() + FItem->GetScrollCount())
    SelectNext();
}

// ---- Opening ------------------------------------------------------------------------------------------------------

bool TSeItemView::OpenSelected() {
  if (!FSelected || !FSelected->GetEnabled() || FSelected->GetCount() == 0 || ScrollTimerRunning()) return false;
  const TRect r = HostToScreen(FSelected->GetBoundsRect());
  const TPoint anchor = FHorizontal ? TPoint(r.Left, r.Bottom) : TPoint(r.Right, r.Top);
  const uint32_t serial = FSelected->GetSerial();
  FDropped = true;
  const bool shown = FSelected->Popup(this, anchor.X, anchor.Y, r);
  if (!TSeCustomItem::FromSerial(serial)) FSelected = nullptr;  // freed while open
  return shown;
}


bool TSeCustomItem::Popup(TSeItemView* parentView, int x, int y, const TRect& itemRect) {
  if (!HasVisibleChild()) return false;
  // A menu popping up (not a submenu) closes an open drop-down list first.
  if (!parentView) CloseOpenDropDown(this);
  const uint32_t serial = FSerial;
  if (OnBeforeDropDown) OnBeforeDropDown(this);
  if (!FromSerial(serial) || !HasVisibleChild()) return false;  // the handler took them away
  TSePopupWindow* window = PopupWindowClass()(GetOwner(), parentView, this);
  window->LayoutView();
  const int width = window->GetWidth(), height = window->GetHeight();
  // The work area of the nearest owning form's monitor; without such a form, the screen.
  TRect work(0, 0, Screen->GetWidth(), Screen->GetHeight());
  if (TCustomForm* form = OwningForm(GetOwner()); form && form->HandleAllocated()) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(::MonitorFromWindow(form->GetHandle(), MONITOR_DEFAULTTONEAREST), &info))
      work = info.rcWork;
  }
  int left = x, top = y;
  if (!RectIsEmpty(itemRect)) {
    if (!parentView || parentView->GetMenuBarLook()) {
      left = itemRect.Left;
      top = itemRect.Bottom;
      if (left + width > work.Right) left = itemRect.Right - width;
      if (top + height > work.Bottom) top = itemRect.Top - height;
      if (top < 0) top = work.Top;
    } else {
      left = itemRect.Right;
      top = itemRect.Top;
      if (left + width > work.Right) left = itemRect.Left - width;
      if (top + height > work.Bottom) top = itemRect.Bottom - height;
    }
    if (left + width > work.Right) left = work.Right - width;
    if (top + height > work.Bottom) top = work.Bottom - height;
  } else {
    if (left + width > work.Right) left = x - width;
    if (top + height > work.Bottom) top = y - height;
  }
  window->ShowPopup(left, top, FForegroundOnPopup);
  if (parentView) parentView->SetChildView(window->GetView());
  window->GetView()->Track();
  if (parentView) parentView->SetChildView(nullptr);
  delete window;
  return true;
}

// ---- The menu loop ---------------------------------------------------------------------------------------------------

void TSeItemView::CloseAll() {
  for (TSeItemView* view = this; view; view = view->FParentView) {
    view->FSelected = nullptr;
    view->FDropped = false;
    view->FTracking = false;
    if (!view->ClosesWithLoop()) view->RepaintView();
  }
}

bool TSeItemView::InSelected(const TPoint& screen) const {
  return FSelected && PtInRect(HostToScreen(FSelected->GetBoundsRect()), screen);
}

void TSeItemView::ForwardClick(const MSG& msg) const {
  HWND target = ::WindowFromPoint(msg.pt);
  for (const TSeItemView* view = this; view; view = view->FParentView)
    if (view->HostHandle() == target && view->FParentView) return;  // a menu window that goes
  if (!target) return;
  POINT client = msg.pt;
  ::ScreenToClient(target, &client);
  RECT area{};
  ::GetClientRect(target, &area);
  // Only clicks on a window's client area are handed on; the frame is left alone.
  if (::PtInRect(&area, client)) ::PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
}

void TSeItemView::Track() {
  FTracking = true;
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
  if (FItem && FItem->GetCount() > 0) {
    const int count = FItem->GetCount();
    const int top = FItem->GetTopIndex() < count ? FItem->GetTopIndex() : count - 1;
    FSelected = FItem->GetItem(top);
    // Past an MDI button, and also past a hidden item or a separator: Return on a hidden item
    // would run a command nobody sees.
    if (FSelected->GetSystemKind() != sysNone || !FSelected->IsSelectable()) {
      const bool dropped = FDropped;
      FDropped = false;  // selecting the first item does not open it
      Step(true);
      FDropped = dropped;
    }
    if (FSelected) RepaintItem(FSelected);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    HitTest(TPoint(cursor.x, cursor.y));
  }
  BeginCapture(HostHandle());
  const HWND captured = ::GetCapture();
  const HWND foreground = ::GetForegroundWindow();
  POINT cursor{};
  ::GetCursorPos(&cursor);
  TPoint lastMouse(cursor.x, cursor.y);
  bool idle = false;
  while (FTracking && captured && ::GetCapture() == captured) {
    const HWND now = ::GetForegroundWindow();
    if (now && now != foreground && !IsOwnWindow(now)) {  // another program was activated
      CloseAll();
      break;
    }
    if (idle) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, LoopWaitMs, QS_ALLINPUT);
    MSG msg;
    idle = !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    if (!idle && !HandleLoopMessage(msg, lastMouse)) break;
  }
  if (FParentView) FParentView->RepaintView();
  FTracking = false;
  StopScrollTimer();
  FScrollDirection = 0;
  EndCapture();
}

bool TSeItemView::HandleLoopMessage(MSG& msg, TPoint& lastMouse) {
  const TPoint screen(msg.pt.x, msg.pt.y);
  switch (msg.message) {
    case WM_QUIT:  // left in the queue: the program's own loop ends on it
    case WM_WINDOWPOSCHANGING:
      CloseAll();
      return false;
    case WM_LBUTTONDOWN:
      ::PeekMessageW(&msg, nullptr, msg.message, msg.message, PM_REMOVE);
      if (InSelected(screen)) {
        PostKey(VK_RETURN);
        return true;
      }
      for (TSeItemView* view = FParentView; view; view = view->FParentView)
        if (view->InSelected(screen)) return true;
      CloseAll();
      ForwardClick(msg);
      return false;
    default:
      if (msg.message >= WM_NCLBUTTONDOWN && msg.message <= WM_NCMBUTTONDBLCLK) {
        CloseAll();  // left in the queue for the window it was meant for
        return false;
      }
  }
  if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
  if (msg.message == WM_CONTEXTMENU) return true;
  if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
    if (::GetKeyState(VK_LBUTTON) < 0) return true;
    if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
      if (TSeCustomItem* child = FItem ? FItem->FindByAccelerator(static_cast<wchar_t>(msg.wParam)) : nullptr) {
        Select(child);
        PostKey(VK_RETURN);
      }
      return true;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) return HandleKey(msg);
    return true;
  }
  switch (msg.message) {
    case WM_MOUSEMOVE:
      if (screen == lastMouse) return true;
      lastMouse = screen;
      return HandleMouseMove(screen);
    case WM_LBUTTONUP:
      if (InSelected(screen)) {
        PostKey(VK_RETURN);
        return true;
      }
      for (TSeItemView* view = FParentView; view; view = view->FParentView)
        if (view->InSelected(screen)) return true;
      CloseAll();
      return false;
    case SE_OPENSELECTED:
      if (msg.hwnd == HostHandle()) OpenSelected();
      return true;
    default:
      ::DispatchMessageW(&msg);
      return true;
  }
}

bool TSeItemView::HandleKey(MSG& msg) {
  switch (msg.wParam) {
    case VK_LEFT:
      if (FMenuBarLook) {
        SelectPrevious();
      } else if (FParentView) {
        if (FParentView->FMenuBarLook) {
          FParentView->PostKey(VK_LEFT);
          return false;
        }
        PostKey(VK_ESCAPE);
      }
      return true;
    case VK_RIGHT:
      if (FMenuBarLook) {
        SelectNext();
      } else if (FParentView && !OpenSelected()) {
        if (FParentView->FMenuBarLook) {
          FParentView->PostKey(VK_RIGHT);
          return false;
        }
        PostKey(VK_ESCAPE);
      }
      return true;
    case VK_UP:
      if (!FHorizontal) SelectPrevious();
      return true;
    case VK_DOWN:
      if (FMenuBarLook) OpenSelected();
      else SelectNext();
      return true;
    case VK_ESCAPE:
      if (FParentView) FParentView->FDropped = false;
      FSelected = nullptr;
      if (!ClosesWithLoop()) RepaintView();
      return false;
    case VK_RETURN: {
      if (!FSelected) return true;
      const uint32_t serial = FSelected->GetSerial();
      FSelected->Click();
      TSeCustomItem* item = TSeCustomItem::FromSerial(serial);
      if (item != FSelected) FSelected = nullptr;  // the click freed it
      if (item && OpenSelected()) return true;
      if (item && item->GetEnabled() && !item->IsSeparator()) {
        CloseAll();
        return false;
      }
      return true;
    }
    case VK_MENU:
    case VK_F10:
      CloseAll();
      return false;
    case VK_TAB:
      return true;
    default:
      ::TranslateMessage(&msg);
      return true;
  }
}

bool TSeItemView::HandleMouseMove(const TPoint& screen) {
  TSeItemView* root = this;
  while (root->FParentView) root = root->FParentView;
  for (TSeItemView* view = root; view; view = view->FChildView) {
    TSeCustomItem* old = view->FSelected;
    view->HitTest(screen);
    if (view != this && view->FSelected != old) {
      // Another item of a view above was chosen: the views below it close, it opens the new one.
      for (TSeItemView* below = this; below && below != view; below = below->FParentView)
        below->PostKey(VK_ESCAPE);
      ::PostMessageW(view->HostHandle(), SE_OPENSELECTED, 0, 0);
      return false;
    }
    if (view == this) break;
  }
  return true;
}
