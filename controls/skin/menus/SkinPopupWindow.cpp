#include "SkinPopupWindow.h"

#include "SkinMenuData.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {

// The windowed control among component and its owner, for keeping its caption active.
TWinControl* WindowedOwner(TComponent* component) {
  if (!component) return nullptr;
  if (auto* owner = dynamic_cast<TWinControl*>(component->GetOwner())) return owner;
  return dynamic_cast<TWinControl*>(component);
}

// The form decoration found through a menu's host component, nullptr when none.
TSeCustomForm* HostDecoration(TComponent* host) {
  if (auto* skin = dynamic_cast<TSeCustomForm*>(host)) return skin->GetActive() ? skin : nullptr;
  if (auto* control = dynamic_cast<TControl*>(host)) return FindFormSkin(control);
  return nullptr;
}

// The size a layout computation pretends the form has, so that the frame's margins can be
// read off the client rectangle.
constexpr int MeasureSize = 1000;

}  // namespace

TSePopupWindowClass TSeCustomItem::PopupWindowClass() const { return &TSePopupWindow::Make; }

// ---- TSePopupForm ---------------------------------------------------------------------------------------

TSePopupForm::TSePopupForm(TSePopupWindow* window) : TSeCustomForm(window), FPopupWindow(window) {
  SetBorderIcons(TSeBorderIcons{});
  SetBorderStyle(vbsNone);
  GetDragging()->SetSizeable(false);
  GetDragging()->SetMoveable(false);
  SetPerformance(vxfpNoBuffer);
  // A menu window never minimizes the program nor answers the program's minimize.
  SetMinimizeApplication(false);
  SetActive(true);
}

TRect TSePopupForm::ClientRectOf(const TSeFrameLayout& layout) const {
  return TRect(FrameWidth, FrameWidth, layout.Width - FrameWidth, layout.Height - FrameWidth);
}

TSize TSePopupForm::GetMinTrackSize() const { return TSize(10, 10); }

void TSePopupForm::PaintFrame(TCanvas* canvas) {
  TSeItemView* view = FPopupWindow ? FPopupWindow->GetView() : nullptr;
  if (!canvas || !view || !view->GetItem() || view->GetItem()->GetCount() == 0) return;
  const TSeFrameLayout layout = FrameLayout();
  TRect r(0, 0, layout.Width, layout.Height);
  if (!UseThemes()) {
    FrameRectColor(canvas, r, clBtnFace);
    r = RectInflated(r, -1);
    DrawFrameLines(canvas, r, clBtnHighlight, clBtnShadow);
  } else {
    FrameRectColor(canvas, r, clBtnShadow);
    r = RectInflated(r, -1);
    FrameRectColor(canvas, r, clMenu);
  }
  FrameRectColor(canvas, RectInflated(r, -1), clMenu);
}

void TSePopupForm::PaintClient(TCanvas* canvas) {
  if (!canvas) return;
  const TRect c = GetFrameClientRect();
  FillRectColor(canvas, TRect(0, 0, c.Width(), c.Height()), clMenu);
  if (TSeItemView* view = FPopupWindow ? FPopupWindow->GetView() : nullptr) view->Paint(canvas);
}

void TSePopupForm::PaintItemNow(TSeCustomItem* item) {
  HWND wnd = GetHandle();
  TSeItemView* view = FPopupWindow ? FPopupWindow->GetView() : nullptr;
  if (!wnd || !view || !item || !::IsWindowVisible(wnd) || RectIsEmpty(item->GetBoundsRect())) return;
  HDC dc = ::GetDC(wnd);  // the client area's
  if (!dc) return;
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.SetFont(MenuFont());
  canvas.GetFont()->SetColor(clMenuText);
  item->DrawItem(&canvas, view, item->GetBoundsRect(), item == view->GetSelected(), !view->GetDropped());
  canvas.SetHandle(nullptr);
  ::ReleaseDC(wnd, dc);
}

void TSePopupForm::RepaintClientRect(const TRect& r) {
  // The decoration repaints just that part of the client through its buffer (and blending).
  if (GetHandle() && !RectIsEmpty(r)) PaintWindowRect(r);
}

void TSePopupForm::RepaintAll() {
  if (HWND wnd = GetHandle())
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

void TSePopupForm::Dispatch(TMessage& message) {
  // The owner's caption stays drawn active while its menu is open.
  if ((message.Msg == WM_ACTIVATE || message.Msg == WM_MOUSEACTIVATE) && FOwnerWindow)
    ::SendMessageW(FOwnerWindow, WM_NCACTIVATE, 1, 0);
  inherited::Dispatch(message);
}

// ---- TSePopupWindow ------------------------------------------------------------------------------------

TSePopupWindow::TSePopupWindow(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item,
                               TSePopupFormClass decorationClass)
    : TForm(owner) {
  SetColor(clMenu);
  // The decoration is set up as if read from a layout: its properties only store (the window
  // is not made yet), and its Loaded makes and hooks the window and applies the frame once.
  IncludeComponentState(csLoading);
  FDecoration = (decorationClass ? decorationClass : &TSePopupForm::Make)(this);
  FDecoration->SetStayOnTop(true);
  if (TSePopupMenuOptions* options = item->GetPopupOptions()) {
    FDecoration->SetBlending(options->GetBlending());
    FDecoration->SetShadow(options->GetShadow());
    // Only the first popup of a menu activation plays the show effect.
    TSeCustomItem* root = item->GetRoot();
    if (!root->GetMenuMode() || root->GetAnimateNext()) {
      FDecoration->SetAnimation(options->GetAnimation());
      (item->GetParent() ? item->GetParent() : item)->SetAnimateNext(false);
    }
  }
  ExcludeComponentState(csLoading);
  static_cast<TComponent*>(FDecoration)->Loaded();
  TWinControl* ownerControl = WindowedOwner(owner);
  if (!ownerControl) ownerControl = WindowedOwner(item->GetOwnerControl());
  if (ownerControl && ownerControl->HandleAllocated()) FDecoration->SetOwnerWindow(ownerControl->GetHandle());
  FView = new TSePopupView(this, parentView, item);
  SetCursor(crDefault);
}

TSePopupWindow::~TSePopupWindow() {
  Destroying();  // the decoration leaves the window as it is
  delete FView;
  FView = nullptr;
  delete FDecoration;
  FDecoration = nullptr;
}

TSePopupWindow* TSePopupWindow::Make(TComponent* owner, TSeItemView* parentView, TSeCustomItem* item) {
  return new TSePopupWindow(owner, parentView, item);
}

TSeItemView* TSePopupWindow::GetView() const { return FView; }

void TSePopupWindow::LayoutView() {
  if (FView && FDecoration) FView->Layout();
}

void TSePopupWindow::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style = WS_POPUP | WS_CLIPSIBLINGS;
  params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
}

void TSePopupWindow::ShowPopup(bool foreground) { ShowPopup(GetLeft(), GetTop(), foreground); }

void TSePopupWindow::ShowPopup(int left, int top, bool foreground) {
  TSeCustomForm* host = HostDecoration(FView ? FView->GetItem()->GetHostComponent() : nullptr);
  if (host) host->DisableFramePaint();
  // Moved and shown in one step; the window's bounds follow from WM_WINDOWPOSCHANGED.
  ::SetWindowPos(GetHandle(), HWND_TOPMOST, left, top, GetWidth(), GetHeight(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (foreground) ::SetForegroundWindow(GetHandle());
  if (host) host->EnableFramePaint();
  ::UpdateWindow(GetHandle());
}

void TSePopupWindow::Withdraw() {
  if (FView) FView->CloseAll();
  if (HandleAllocated())
    ::SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
}

void TSePopupWindow::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEACTIVATE:
      message.Result = MA_NOACTIVATE;  // a menu window never takes activation
      return;
    case CM_SHOWINGCHANGED:
      if (HandleAllocated())
        ::SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                           (GetVisible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
      return;
  }
  inherited::Dispatch(message);
}

// ---- TSePopupView ---------------------------------------------------------------------------------------

TSePopupView::TSePopupView(TSePopupWindow* window, TSeItemView* parentView, TSeCustomItem* item)
    : TSeItemView(nullptr, false, false), FWindow(window) {
  SetItem(item);
  SetHost(window);
  SetParentView(parentView);
}

void TSePopupView::SizeChanged(const TSize& size) {
  TSePopupForm* decoration = FWindow->GetDecoration();
  TSeFrameLayout layout = decoration->FrameLayout();
  layout.Width = layout.Height = MeasureSize;
  const TRect c = decoration->ClientRectOf(layout);
  const TSeShadow* shadow = decoration->GetShadow();
  const int s = shadow->GetEnabled() ? shadow->GetSize() : 0;
  FWindow->SetBounds(FWindow->GetLeft(), FWindow->GetTop(), size.cx + c.Left + (MeasureSize - c.Right) + s,
                     size.cy + c.Top + (MeasureSize - c.Bottom) + s);
}

void TSePopupView::MoveTo(int x, int y) {
  const TRect c = FWindow->GetDecoration()->GetFrameClientRect();
  FWindow->SetBounds(x - c.Left, y - c.Top, FWindow->GetWidth(), FWindow->GetHeight());
}

void TSePopupView::RepaintView() { FWindow->GetDecoration()->RepaintAll(); }

void TSePopupView::RepaintItem(TSeCustomItem* item) {
  if (!item) return;
  TSePopupForm* decoration = FWindow->GetDecoration();
  if (decoration->GetPerformance() == vxfpNoBuffer && !decoration->GetBlending()->GetEnabled())
    decoration->PaintItemNow(item);
  else
    decoration->RepaintClientRect(item->GetBoundsRect());
}

void TSePopupView::RepaintScrollButton(int direction) {
  FWindow->GetDecoration()->RepaintClientRect(ScrollButtonRect(direction));
}
