#include "SkinForm.h"

#include <algorithm>

// clang-format off
#include "controls/skin/engine/ThemeBinding.h"
#include <vssym32.h>
// clang-format on

#include "SkinFormShadow.h"
#include "SkinTransitions.h"
#include "classlib/controls/Menus.h"
#include "classlib/forms/Monitors.h"
#include "controls/skin/controls/SkinOpenDropDown.h"
#include "controls/skin/controls/SkinStatusBar.h"
#include "controls/skin/engine/SkinActiveObjects.h"
#include "controls/skin/engine/SkinBitmap.h"
#include "controls/skin/engine/SkinDrawing.h"

namespace {

// The signed coordinates packed in a mouse message's lParam.
TPoint PointOf(LPARAM lParam) {
  return TPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

// The caption fonts of the system's non-client metrics.
LOGFONTW CaptionLogFont(bool small) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    return font;
  }
  return small ? metrics.lfSmCaptionFont : metrics.lfCaptionFont;
}

// Dispatches the thread's pending paint messages, at most a bounded number, so that a
// rectangle just applied shows at once.
void DispatchPendingPaints() {
  MSG msg;
  for (int i = 0; i < 64 && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
    // The quit flag comes with any filter: it is put back for the program's own loop.
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ::DispatchMessageW(&msg);
  }
}

// A caption button: its icon, its frame zone and how each drawing names it.
struct TCaptionButton {
  TSeBorderIcon Icon;
  TSeFrameZone Zone;
};
// The order buttons are drawn in.
constexpr TCaptionButton CaptionButtons[] = {
    {vbiClose, fzClose},   {vbiSystemMenu, fzSystemMenu}, {vbiMinimize, fzMinimize},
    {vbiMaximize, fzMaximize}, {vbiRollup, fzRollup},     {vbiTray, fzTray},
    {vbiHelp, fzHelp}};

// The black glyphs of the roll-up and tray buttons (the system has none for them).
void DrawRollupGlyph(HDC dc, TRect r, bool pressed, bool down) {
  InflateRect(r, -4, -5);
  if (!pressed) OffsetRect(r, -1, -1);
  if (IsRectEmpty(r)) return;
  const int mid = (r.Left + r.Right) / 2;
  POINT points[3];
  if (down) {
    points[0] = {r.Left, r.Top};
    points[1] = {r.Right, r.Top};
    points[2] = {mid, r.Bottom};
  } else {
    points[0] = {r.Left, r.Bottom};
    points[1] = {r.Right, r.Bottom};
    points[2] = {mid, r.Top};
  }
  HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(BLACK_BRUSH));
  HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
  ::Polygon(dc, points, 3);
  ::SelectObject(dc, oldPen);
  ::SelectObject(dc, oldBrush);
}

void DrawTrayGlyph(HDC dc, TRect r, bool pressed) {
  InflateRect(r, -5, -5);
  OffsetRect(r, 0, 2);
  if (pressed) OffsetRect(r, 1, 1);
  if (IsRectEmpty(r)) return;
  const RECT bar{r.Left, r.Bottom - 2, r.Right, r.Bottom};
  ::FillRect(dc, &bar, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

}  // namespace


// ---- Construction -----------------------------------------------------------------------------

const TPropertyTable* TSeCustomForm::PublishedProperties() {
  using P = TPublish<TSeCustomForm>;
  using C = TSeCustomForm;
  static const TPropertyTable table{
      P::Boolean(L"Active", &C::GetActive, &C::SetActive).Default(true),
      P::Persistent(L"Animation", &C::GetAnimation, &C::SetAnimation),
      P::Persistent(L"Blending", &C::GetBlending, &C::SetBlending),
      P::Set(L"BorderIcons", SeBorderIconIdents, &C::GetBorderIcons, &C::SetBorderIcons),
      P::Enum(L"BorderStyle", SeBorderStyleIdents, &C::GetBorderStyle, &C::SetBorderStyle)
          .Default(vbsStandard),
      P::WideText(L"Caption", &C::GetCaption, &C::SetCaption),
      P::Persistent(L"Dragging", &C::GetDragging, &C::SetDragging),
      P::Persistent(L"Gravitation", &C::GetGravitation, &C::SetGravitation),
      P::Persistent(L"Constraints", &C::GetConstraints, &C::SetConstraints),
      MenuBarProperty(),
      P::Persistent(L"SystemMenuOptions", &C::GetSystemMenuOptions, &C::SetSystemMenuOptions),
      P::Persistent(L"TrayMenuOptions", &C::GetTrayMenuOptions, &C::SetTrayMenuOptions),
      P::Component(L"SystemMenuLink", &C::GetSystemMenuLink, &C::SetSystemMenuLink),
      P::Component(L"TrayMenuLink", &C::GetTrayMenuLink, &C::SetTrayMenuLink),
      P::Boolean(L"MinimizeApplication", &C::GetMinimizeApplication, &C::SetMinimizeApplication)
          .Default(true),
      P::Enum(L"Performance", SeFormPerformanceIdents, &C::GetPerformance, &C::SetPerformance)
          .Default(vxfpNoBuffer),
      P::Persistent(L"Shadow", &C::GetShadow, &C::SetShadow),
      P::Boolean(L"StayOnTop", &C::GetStayOnTop, &C::SetStayOnTop).Default(false),
      P::Boolean(L"StretchBackground", &C::GetStretchBackground, &C::SetStretchBackground)
          .Default(false),
      P::Enum(L"WindowState", SeWindowStateIdents, &C::GetWindowState, &C::SetWindowState)
          .Default(vwsNormal),
      P::Method(L"OnCreate", &C::OnCreate, &C::OnCreate),
      P::Method(L"OnPaint", &C::OnPaint, &C::OnPaint),
      P::Method(L"OnResize", &C::OnResize, &C::OnResize),
      P::Method(L"OnClose", &C::OnClose, &C::OnClose),
      P::Method(L"OnMinimize", &C::OnMinimize, &C::OnMinimize),
      P::Method(L"OnMaximize", &C::OnMaximize, &C::OnMaximize),
      P::Method(L"OnRollup", &C::OnRollup, &C::OnRollup),
      P::Method(L"OnMinToTray", &C::OnMinToTray, &C::OnMinToTray),
  };
  return &table;
}

TSeCustomForm::TSeCustomForm(TComponent* owner)
    : TSeHook(owner),
      FCanvas(std::make_unique<TCanvas>()),
      FConstraints(std::make_unique<TSizeConstraints>(nullptr)),
      FAnimation(std::make_unique<TSeAnimation>()),
      FBlending(std::make_unique<TSeBlending>()),
      FShadow(std::make_unique<TSeShadow>()),
      FGravitation(std::make_unique<TSeGravitation>()),
      FDragging(std::make_unique<TSeDragging>()),
      FSystemMenuOptions(std::make_unique<TSePopupMenuOptions>()),
      FTrayMenuOptions(std::make_unique<TSePopupMenuOptions>()),
      FMetrics(SystemFrameMetrics()) {
  FShadow->OnChange = [this](TObject*) { ShadowChanged(); };
  FBlending->OnChange = [this](TObject*) { ShadowChanged(); };
  TCustomForm* form = dynamic_cast<TCustomForm*>(owner);
  if (!form) return;
  if (form->GetFormStyle() == fsMDIChild) {
    FMinimizeApplication = false;
    FGravitation->SetSize(9);
    FBorderIcons.Exclude(vbiTray);
  }
  FConstraints->Assign(form->GetConstraints());
  // The system keeps the sizing styles (for the taskbar and snapping); its frame is ours.
  form->SetBorderStyle(bsSizeable);
  form->SetBorderIcons(TBorderIcons{});
  // The system would draw scroll bars inside our frame, where no bar fits.
  form->SetAutoScroll(false);
  if (!form->GetComponentState().Contains(csLoading)) AttachToForm();
}

TSeCustomForm::~TSeCustomForm() {
  CancelDrag();
  LeaveTrayForGood();
  UnhookApplication();
  UnsubclassMDIClient();
  MDIChildGoing();
  SystemMenuGoes();
  FSystemMenu.reset();
  DeallocateHWnd(FTrayWnd);
  FreeCaptionFonts();
  if (FCaptionIcon) ::DestroyIcon(FCaptionIcon);
  TCustomForm* form = GetForm();
  SetControl(nullptr);
  // The saved handler comes back only where ours still is: one the program set since stays.
  auto* owner = dynamic_cast<TCustomForm*>(GetOwner());
  if (FShortCutLink) {
    FShortCutLink->Skin = nullptr;
    const auto* hook = owner ? owner->GetOnShortCut().target<TShortCutHook>() : nullptr;
    if (hook && hook->Link == FShortCutLink && !owner->GetComponentState().Contains(csDestroying))
      owner->SetOnShortCut(std::move(FShortCutLink->Saved));
  }
  // The system's own frame comes back.
  if (form && form->HandleAllocated() && !form->GetComponentState().Contains(csDestroying)) {
    ::SetWindowLongW(form->GetHandle(), GWL_STYLE,
                     ::GetWindowLongW(form->GetHandle(), GWL_STYLE) | WS_CAPTION);
    ::SetWindowRgn(form->GetHandle(), nullptr, TRUE);
    ::SetWindowPos(form->GetHandle(), nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TSeCustomForm::AttachToForm() {
  TCustomForm* form = dynamic_cast<TCustomForm*>(GetOwner());
  if (!form || GetComponentState().Contains(csDesigning)) return;
  SetControl(form);
  // The menu bar's shortcuts come before the form's own handler.
  if (!FShortCutLink) {
    FShortCutLink = std::make_shared<TShortCutLink>(TShortCutLink{this, form->GetOnShortCut()});
    form->SetOnShortCut(TShortCutHook{FShortCutLink});
  }
  RECT r{};
  ::GetWindowRect(form->GetHandle(), &r);
  FWindowWidth = r.right - r.left;
  FWindowHeight = r.bottom - r.top;
  SubclassMDIClient();
  RefreshFrame();
  if (OnCreate) OnCreate(this);
  // A window made topmost (a menu's) is not placed again.
  if (FStayOnTop && !(::GetWindowLongW(form->GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST)) SetStayOnTop(true);
}

void TSeCustomForm::TShortCutHook::operator()(TMessage& message, bool& handled) const {
  const TSeCustomForm* skin = Link->Skin;
  if (skin && skin->MenuBarShortCut(message)) {
    handled = true;
    return;
  }
  if (Link->Saved) Link->Saved(message, handled);
}

void TSeCustomForm::Loaded() {
  TSeHook::Loaded();
  TCustomForm* form = dynamic_cast<TCustomForm*>(GetOwner());
  if (!form) return;
  // A stored state is applied at the first show; the normal bounds are the stored ones.
  if (FRequestedState != vwsNormal) FSavedBounds = form->GetBoundsRect();
  AttachToForm();
}

void TSeCustomForm::ShadowChanged() {
  FPersistentKey = TFrameKey();
  if (GetComponentState().Contains(csLoading)) return;
  // The frame comes again at the same form size: the window grows or shrinks by the shadow.
  RefreshFrame();
}

void TSeCustomForm::Notification(TComponent* component, TOperation operation) {
  TSeHook::Notification(component, operation);
  if (operation != opRemove) return;
  if (IsMenuBar(component)) FMenuBar = nullptr;
  if (component == FSystemMenuLink) FSystemMenuLink = nullptr;
  if (component == FTrayMenuLink) FTrayMenuLink = nullptr;
  if (component == FMDIParent) FMDIParent = nullptr;
}

// ---- Properties ------------------------------------------------------------------------------

void TSeCustomForm::SetBorderStyle(TSeBorderStyle value) {
  if (value < vbsNone || value > vbsToolWindow || value == FBorderStyle) return;
  FBorderStyle = value;
  if (!GetComponentState().Contains(csLoading)) RefreshFrame();
}

void TSeCustomForm::SetBorderIcons(TSeBorderIcons value) {
  if (value == FBorderIcons) return;
  FBorderIcons = value;
  if (!GetComponentState().Contains(csLoading)) RefreshFrame();
}

void TSeCustomForm::SetPerformance(TSeFormPerformance value) {
  if (value < vxfpNoBuffer || value > vxfpDoubleBuffer) return;
  FPerformance = value;
  if (value != vxfpPersistentBuffer) FPersistentBuffer.reset();
  FPersistentKey = TFrameKey();
}

String TSeCustomForm::GetCaption() const {
  if (auto* form = dynamic_cast<TCustomForm*>(GetOwner())) return form->GetCaption();
  return FCaption;
}

void TSeCustomForm::SetCaption(const String& value) {
  FCaption = value;
  if (auto* form = dynamic_cast<TCustomForm*>(GetOwner())) {
    form->SetCaption(value);
    PaintNonClient();
    if (form->GetFormStyle() == fsMDIChild && IsMDIChildMaximized()) UpdateMDICaption();
  }
}

void TSeCustomForm::SetStayOnTop(bool value) {
  FStayOnTop = value;
  TCustomForm* form = GetForm();
  if (!form || !form->HandleAllocated() || GetComponentState().Contains(csDesigning)) return;
  ::SetWindowPos(form->GetHandle(), value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void TSeCustomForm::SetConstraints(TSizeConstraints* value) {
  FConstraints->Assign(value);
  TCustomForm* form = GetForm();
  if (!form) return;
  const int minWidth = FConstraints->GetMinWidth(), minHeight = FConstraints->GetMinHeight();
  if (minWidth > form->GetWidth()) form->SetWidth(minWidth);
  if (minHeight > form->GetHeight()) form->SetHeight(minHeight);
  if (!GetComponentState().Contains(csLoading)) RefreshFrame();
}

void TSeCustomForm::SetSystemMenuLink(TPopupMenu* value) {
  if (FSystemMenuLink) FSystemMenuLink->RemoveFreeNotification(this);
  FSystemMenuLink = value;
  if (value) value->FreeNotification(this);
}

void TSeCustomForm::SetTrayMenuLink(TPopupMenu* value) {
  if (FTrayMenuLink) FTrayMenuLink->RemoveFreeNotification(this);
  FTrayMenuLink = value;
  if (value) value->FreeNotification(this);
}

void TSeCustomForm::SetWindowState(TSeWindowState value) {
  if (value < vwsNormal || value > vwsTray) return;  // a bad stored value is ignored
  if (value == FState) return;
  if (GetComponentState().Contains(csDesigning)) {
    FState = value;
    return;
  }
  if (GetComponentState().Contains(csLoading)) {
    FRequestedState = value;
    return;
  }
  switch (value) {
    case vwsNormal: Restore(); break;
    case vwsMaximized: Maximize(); break;
    case vwsMinimized: Minimize(); break;
    case vwsRollup: Rollup(); break;
    case vwsTray: MinToTray(); break;
  }
}

bool TSeCustomForm::HasBorderIcon(TBorderIcon icon) const {
  static constexpr TSeBorderIcon map[] = {vbiSystemMenu, vbiMinimize, vbiMaximize, vbiHelp,
                                          vbiRollup,     vbiTray,     vbiClose};
  return icon >= biSystemMenu && icon <= biClose && FBorderIcons.Contains(map[icon]);
}

// ---- Geometry --------------------------------------------------------------------------------

TSeFrameLayout TSeCustomForm::FrameLayout() const {
  TSeFrameLayout l;
  l.Width = FormWidth();
  l.Height = FormHeight();
  l.BorderStyle = FBorderStyle;
  l.BorderIcons = FBorderIcons;
  l.State = FState;
  l.Themed = UseThemes();
  TCustomForm* form = GetForm();
  l.MaximizedMDIChild = form && form->GetFormStyle() == fsMDIChild && FState == vwsMaximized;
  l.Metrics = FMetrics;
  return l;
}

TSeFrameLayout TSeCustomForm::FrameLayoutWithClient() const {
  TSeFrameLayout l = FrameLayout();
  l.Client = ClientRectOf(l);
  return l;
}

TRect TSeCustomForm::GetRollupRect() const {
  TCustomForm* form = GetForm();
  TRect r = FrameRollupRect(FrameLayoutWithClient(), form ? form->GetLeft() : 0, form ? form->GetTop() : 0);
  // The window keeps its shadow.
  r.Right += ShadowSize();
  r.Bottom += ShadowSize();
  return r;
}

HWND TSeCustomForm::ParentWindow() const {
  TCustomForm* form = GetForm();
  if (!form || !form->HandleAllocated()) return nullptr;
  HWND wnd = form->GetHandle();
  return (::GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(wnd) : nullptr;
}

TRect TSeCustomForm::WorkArea() const {
  if (HWND parent = ParentWindow()) {
    RECT r{};
    ::GetClientRect(parent, &r);
    return r;
  }
  TCustomForm* form = GetForm();
  return MonitorWorkAreaOf(form && form->HandleAllocated() ? form->GetHandle() : nullptr);
}

TRect TSeCustomForm::GetMinimizedRect() const {
  TRect r = FrameMinimizedRect(FrameLayoutWithClient(), ::GetSystemMetrics(SM_CXMINIMIZED), WorkArea());
  r.Right += ShadowSize();
  r.Bottom += ShadowSize();
  return r;
}

TRect TSeCustomForm::GetMaximizedRect() const {
  TCustomForm* form = GetForm();
  if (!form || form->GetFormStyle() == fsMDIChild) {
    HWND parent = form && form->HandleAllocated() ? ::GetParent(form->GetHandle()) : nullptr;
    RECT r{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (parent) ::GetClientRect(parent, &r);
    return FrameMaximizedRect(FrameLayoutWithClient(), r);
  }
  HWND wnd = form->HandleAllocated() ? form->GetHandle() : nullptr;
  TRect area = FStayOnTop ? TRect(0, 0, 10000, 10000) : MonitorWorkAreaOf(wnd);
  TRect onMonitor;
  if (!IntersectRect(onMonitor, area, MonitorRectOf(wnd))) onMonitor = area;
  return FrameMaximizedRect(FrameLayoutWithClient(), onMonitor);
}

TSize TSeCustomForm::GetMaxTrackSize() const {
  const TRect r = GetMaximizedRect();
  TSize size(r.Width(), r.Height());
  if (FConstraints->GetMaxWidth() > 0) size.cx = FConstraints->GetMaxWidth();
  if (FConstraints->GetMaxHeight() > 0) size.cy = FConstraints->GetMaxHeight();
  return size;
}

TSize TSeCustomForm::GetMinTrackSize() const {
  TSize size(150, 40);
  if (FConstraints->GetMinWidth() > 0) size.cx = FConstraints->GetMinWidth();
  if (FConstraints->GetMinHeight() > 0) size.cy = FConstraints->GetMinHeight();
  return size;
}

TSeFrameZone TSeCustomForm::HitTest(int x, int y) const {
  TSeButtonRects buttons;
  for (int icon = vbiClose; icon <= vbiTray; ++icon)
    buttons[icon] = GetButtonRect(static_cast<TSeBorderIcon>(icon));
  return FrameHitTest(FrameLayoutWithClient(), TPoint(x, y), buttons, GripRect());
}

TRect TSeCustomForm::GripRect() const {
  TCustomForm* form = GetForm();
  TSeCustomStatusBar* bar = form ? FindSizeGrip(form) : nullptr;
  if (!bar) return TRect();
  // Both corners to the screen, then to window coordinates.
  const TRect grip = bar->GetSizeGripRect();
  return TRect(ScreenToWindow(bar->ClientToScreen(grip.TopLeft())),
               ScreenToWindow(bar->ClientToScreen(grip.BottomRight())));
}

bool TSeCustomForm::AllowsSizing() const {
  return FDragging->GetSizeable() && (FState == vwsNormal || FState == vwsTray);
}

TPoint TSeCustomForm::ScreenToWindow(TPoint screen) const {
  RECT r{};
  if (HWND wnd = GetHandle()) ::GetWindowRect(wnd, &r);
  return TPoint(screen.X - r.left, screen.Y - r.top);
}

// ---- Messages --------------------------------------------------------------------------------

void TSeCustomForm::AfterMessage(TMessage& message, bool&) {
  // A caption set through the window (the form's own setter does not come this way; the
  // caption is read from the form at every paint), a new icon or colours.
  if (message.Msg == WM_SETICON) FPersistentKey = TFrameKey();
  if (message.Msg == WM_SYSCOLORCHANGE) ForgetKeptLook();
  // WM_SETTEXT keeps the system's answer (TRUE): 0 would tell SetWindowText it failed.
  if (message.Msg == WM_SETTEXT || message.Msg == WM_SETICON) PaintNonClient();
  // Context help is the form's procedure's to handle; the frame is drawn again after it.
  if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_CONTEXTHELP) PaintNonClient();
  TCustomForm* form = GetForm();
  if (!form) return;
  const bool mdiChild = form->GetFormStyle() == fsMDIChild;
  if (message.Msg == WM_SIZE && form->GetFormStyle() == fsMDIForm) MDIParentResized();
  if (message.Msg == WM_SETTEXT && mdiChild && IsMDIChildMaximized()) UpdateMDICaption();
  if (message.Msg == WM_NCACTIVATE && mdiChild && GetHandle()) {
    PaintNonClient();
    ::PostMessageW(GetHandle(), SE_FORM_CAPTIONBACK, 0, 0);
  }
}

void TSeCustomForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_NCCALCSIZE: WMNCCalcSize(message); break;
    case WM_NCPAINT:
      PaintNonClient();
      message.Result = 0;
      MessageHandled();
      break;
    case WM_NCACTIVATE: WMNCActivate(message); break;
    case WM_NCHITTEST: WMNCHitTest(message); break;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: WMNCMouse(message); break;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
          if (FFrameButtons.Contains(ssLeft)) CancelDrag();
      break;
    case WM_ACTIVATE:
      // The minimized flag of an already minimized window restores nothing.
      if (!FFormActive && HIWORD(message.WParam) && FState != vwsMinimized) Minimize();
      break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); break;
    case WM_WINDOWPOSCHANGING: WMWindowPosChanging(message); break;
    case WM_SYSCOMMAND: WMSysCommand(message); break;
    case WM_MDIACTIVATE: WMMDIActivate(message); break;
    case WM_THEMECHANGED:
      ForgetKeptLook();
      FMetrics = SystemFrameMetrics();
      FreeCaptionFonts();
      // The frame's margins and region follow the new look (themed corners come or go).
      RefreshFrame();
      // Passed on to the form, which tells its windowless children (their kept parts are
      // as old as the frame's); its answer is 0 as well.
      message.Result = 0;
      break;
    case SE_FORM_CAPTIONBACK:
      PaintNonClient();
      MessageHandled();
      break;
    case SE_FORM_MAXIMIZE:
      Maximize();
      MessageHandled();
      break;
    case SE_FORM_SETSTATE:
      if (message.WParam <= vwsTray) SetWindowState(static_cast<TSeWindowState>(message.WParam));
      MessageHandled();
      break;
    case SE_FORM_PAINTTO:
      if (message.LParam)
        PaintTo(reinterpret_cast<HDC>(message.LParam), static_cast<short>(LOWORD(message.WParam)),
                static_cast<short>(HIWORD(message.WParam)));
      message.Result = 1;
      MessageHandled();
      break;
    case SE_GETFORMSKIN:
      message.Result = reinterpret_cast<LRESULT>(static_cast<TSeFormSkin*>(this));
      MessageHandled();
      break;
    default: break;
  }
}

void TSeCustomForm::WMNCCalcSize(TMessage& message) {
  // With wParam 0 too: the system's frame calculation would give a client of another size.
  RECT* proposed = reinterpret_cast<RECT*>(message.LParam);
  if (!proposed) return;
  // The margins of the frame at the proposed size.
  // The shadow lies outside the form, right of and below it.
  const int shadow = ShadowSize();
  TSeFrameLayout layout = FrameLayout();
  layout.Width = std::max(0, static_cast<int>(proposed->right - proposed->left) - shadow);
  layout.Height = std::max(0, static_cast<int>(proposed->bottom - proposed->top) - shadow);
  const TRect c = ClientRectOf(layout);
  const RECT window = *proposed;
  RECT client{window.left + c.Left, window.top + c.Top,
              window.right - (layout.Width - c.Right) - shadow,
              window.bottom - (layout.Height - c.Bottom) - shadow};
  if (client.right < client.left) client.right = client.left;
  if (client.bottom < client.top) client.bottom = client.top;
  *proposed = client;
  if (message.WParam) {
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam);
    params->rgrc[1] = params->rgrc[0];
  }
  message.Result = 0;
  MessageHandled();
}

void TSeCustomForm::WMNCActivate(TMessage& message) {
  FFormActive = message.WParam != 0;
  if (FMinimizeApplication && GetForm()) HookApplication();
  // An MDI child's activation goes on to the system (it keeps the MDI client's order).
  if (FFormActive && GetForm() && GetForm()->GetFormStyle() == fsMDIChild) {
    message.Result = 0;
    return;
  }
  PaintNonClient();
  message.Result = FFormActive ? 0 : 1;
  MessageHandled();
}

void TSeCustomForm::WMNCHitTest(TMessage& message) {
  const TPoint p = ScreenToWindow(PointOf(message.LParam));
  // The shadow is no part of the form: a click there does nothing.
  if (p.X >= FormWidth() || p.Y >= FormHeight()) {
    message.Result = HTNOWHERE;
    MessageHandled();
    return;
  }
  message.Result = FrameZoneHitCode(HitTest(p.X, p.Y), FDragging->GetMoveable(),
                                    FDragging->GetSizeable(), FState == vwsMaximized);
  MessageHandled();
}

void TSeCustomForm::WMNCMouse(TMessage& message) {
  // A release can open the system menu, whose loop may free the form and this component.
  const std::weak_ptr<int> alive = GetLifeToken();
  const TPoint lp = PointOf(message.LParam);
  const bool client = message.Msg == WM_MOUSEMOVE || message.Msg == WM_LBUTTONUP;
  TPoint p;
  if (client) {
    // Client points while the frame holds the capture.
    const TRect c = GetFrameClientRect();
    p = TPoint(lp.X + c.Left, lp.Y + c.Top);
  } else {
    p = ScreenToWindow(lp);
  }
  switch (message.Msg) {
    case WM_NCMOUSEMOVE: FrameMouseMove(FFrameButtons, p.X, p.Y); break;
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN: {
      const bool left = message.Msg == WM_NCLBUTTONDOWN;
      if (!FFormActive && GetHandle()) ::SetFocus(GetHandle());
      CloseOpenDropDown(this);  // an open drop-down list goes first
      FFrameButtons = TShiftState{left ? ssLeft : ssRight};
      FrameMouseDown(left ? mbLeft : mbRight, FFrameButtons, p.X, p.Y);
      break;
    }
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONUP:
      FFrameButtons = TShiftState{};
      FrameMouseUp(message.Msg == WM_NCLBUTTONUP ? mbLeft : mbRight, TShiftState{}, p.X, p.Y);
      break;
    case WM_NCLBUTTONDBLCLK:
      message.Result = 1;
      FrameMouseDown(mbLeft, TShiftState{ssLeft, ssDouble}, p.X, p.Y);
      FrameMouseUp(mbLeft, TShiftState{ssLeft, ssDouble}, p.X, p.Y);
      if (alive.expired()) return;
      FFrameButtons = TShiftState{};
      MessageHandled();
      return;
    case WM_MOUSEMOVE:
      if (!FFrameButtons.Contains(ssLeft)) {
        if (FHotZone != fzNone) {
          FHotZone = fzNone;
          PaintNonClient();
        }
      } else if (GetHandle() && ::GetCapture() == GetHandle()) {
        FrameMouseMove(FFrameButtons, p.X, p.Y);
      }
      return;  // passed on
    case WM_LBUTTONUP:
      if (!FFrameButtons.Empty()) {
        FFrameButtons = TShiftState{};
        FrameMouseUp(mbLeft, TShiftState{}, p.X, p.Y);
      }
      return;  // passed on
  }
  message.Result = 0;
  if (!alive.expired()) MessageHandled();
}

void TSeCustomForm::WMWindowPosChanging(TMessage& message) {
  auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
  message.Result = 0;
  MessageHandled();
  if (!pos) return;
  const int shadow = ShadowSize();
  if (!(pos->flags & SWP_NOSIZE)) {
    // The limits are the form's; the shadow comes on top of them.
    int cx = pos->cx - shadow, cy = pos->cy - shadow;
    const TSize maxTrack = GetMaxTrackSize();
    cx = std::min(cx, maxTrack.cx);
    cy = std::min(cy, maxTrack.cy);
    if (FState != vwsRollup && FState != vwsMinimized) {
      const TSize minTrack = GetMinTrackSize();
      cx = std::max(cx, minTrack.cx);
      cy = std::max(cy, minTrack.cy);
    }
    pos->cx = std::max(cx, 0) + shadow;
    pos->cy = std::max(cy, 0) + shadow;
    const bool changed = pos->cx != FWindowWidth || pos->cy != FWindowHeight;
    FWindowWidth = pos->cx;
    FWindowHeight = pos->cy;
    if (changed) UpdateWindowRegion();
  }
  const bool moves = (pos->flags & (SWP_NOSIZE | SWP_NOMOVE)) != (SWP_NOSIZE | SWP_NOMOVE);
  const bool shows = (pos->flags & SWP_SHOWWINDOW) && GetHandle() && !::IsWindowVisible(GetHandle());
  if (Composed() && GetHandle() && (moves || shows)) {
    // The screen beneath the window's new place, for the shadow and translucency; at a show
    // all of it is taken afresh.
    if (shows) FCaptureRect = TRect();
    CaptureBackground(NewWindowRect(*pos));
  }
  if (Composed()) pos->flags |= SWP_NOCOPYBITS;
  // A state stored in the layout is applied once the form is first shown.
  if ((pos->flags & SWP_SHOWWINDOW) && FRequestedState != vwsNormal && GetHandle()) {
    ::PostMessageW(GetHandle(), SE_FORM_SETSTATE, FRequestedState, 0);
    FRequestedState = vwsNormal;
  } else if ((pos->flags & SWP_SHOWWINDOW) && FAnimation->GetEnabled() && GetHandle() &&
             !::IsWindowVisible(GetHandle())) {
    PlayShowAnimation(NewWindowRect(*pos));
  }
}

TRect TSeCustomForm::NewWindowRect(const WINDOWPOS& pos) const {
  HWND wnd = GetHandle();
  RECT now{};
  if (wnd) ::GetWindowRect(wnd, &now);
  TRect r = now;
  if (!(pos.flags & SWP_NOMOVE)) {
    // A child window's position is in its parent's client coordinates.
    POINT at{pos.x, pos.y};
    if (HWND parent = wnd && (::GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(wnd) : nullptr)
      ::ClientToScreen(parent, &at);
    OffsetRect(r, at.x - r.Left, at.y - r.Top);
  }
  if (!(pos.flags & SWP_NOSIZE)) r.Right = r.Left + pos.cx, r.Bottom = r.Top + pos.cy;
  return r;
}

void TSeCustomForm::WMSysCommand(TMessage& message) {
  const WPARAM command = message.WParam & 0xFFF0;
  // Alt with a letter opens the menu bar at that letter; Alt alone or F10 (key 0) enters it.
  if (command == SC_KEYMENU && message.LParam != ' ' && message.LParam != '-' && !::GetCapture() &&
      FMenuBar && GetHandle()) {
    ::PostMessageW(GetHandle(), WM_CHAR, message.LParam, 0);
    EnterMenuBar();
    message.Result = 1;
    MessageHandled();
    return;
  }
  if ((command == SC_KEYMENU && message.LParam == ' ') || command == SC_MOUSEMENU) ShowSystemMenu();
}

void TSeCustomForm::WMEraseBkgnd(TMessage& message) {
  message.Result = 1;
  MessageHandled();
  // Only the device context in wParam is read: the class library and the control base put a
  // device context in lParam, which is no request of ours.
  EraseClient(reinterpret_cast<HDC>(message.WParam), nullptr);
}

void TSeCustomForm::PaintWindowRect(const TRect& r) { EraseClient(nullptr, &r); }

void TSeCustomForm::EraseClient(HDC dc, const TRect* part) {
  TCustomForm* form = GetForm();
  if (!form || !form->HandleAllocated() || !FFramePaint) return;
  if (part && form->GetFormStyle() == fsMDIForm) return;
  const TRect c = GetFrameClientRect();
  TRect area(0, 0, c.Width(), c.Height());
  if (part && !IntersectRect(area, area, *part)) return;
  if (IsRectEmpty(area)) return;
  const bool blend = FBlending->GetEnabled();
  if (FAnimating && FAnimationFrame) {
    RenderClient(FAnimationFrame->GetDC(), c.TopLeft());
    if (blend && FBackground) {
      ::GdiFlush();
      BlendOverBackground(*FAnimationFrame, c, FBlending->GetValue(), *FBackground, BackgroundOrigin());
    }
    return;
  }
  HWND wnd = form->GetHandle();
  HDC own = dc ? nullptr : ::GetDC(wnd);
  if (!dc) dc = own;
  if (!dc) return;
  std::unique_ptr<TSeBitmap> temporary;
  TSeBitmap* image = FPerformance != vxfpNoBuffer || blend ? PaintBuffer(temporary) : nullptr;
  if (!image || !image->GetDC()) {
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, area.Left, area.Top, area.Right, area.Bottom);
    RenderClient(dc, TPoint(0, 0));
    ::RestoreDC(dc, saved);
  } else {
    RenderClient(image->GetDC(), c.TopLeft());
    if (blend && FBackground) {
      ::GdiFlush();
      BlendOverBackground(*image, c, FBlending->GetValue(), *FBackground, BackgroundOrigin());
    }
    ::BitBlt(dc, area.Left, area.Top, area.Width(), area.Height(), image->GetDC(),
             c.Left + area.Left, c.Top + area.Top, SRCCOPY);
  }
  if (own) ::ReleaseDC(wnd, own);
}

void TSeCustomForm::RenderClient(HDC target, TPoint origin) {
  const TRect c = GetFrameClientRect();
  const int saved = ::SaveDC(target);
  ::OffsetViewportOrgEx(target, origin.X, origin.Y, nullptr);
  ::IntersectClipRect(target, 0, 0, c.Width(), c.Height());
  FCanvas->SetHandle(target);
  FPainting = true;
  if (OnPaint && !GetComponentState().Contains(csLoading)) OnPaint(this);
  else PaintClient(FCanvas.get());
  FPainting = false;
  FCanvas->SetHandle(nullptr);
  ::RestoreDC(target, saved);
}

void TSeCustomForm::PaintTo(HDC dc, int x, int y) {
  TCustomForm* form = GetForm();
  if (!form || FormWidth() <= 0) return;
  const int saved = ::SaveDC(dc);
  POINT old{};
  ::OffsetViewportOrgEx(dc, x, y, &old);
  FCanvas->SetHandle(dc);
  FPainting = true;
  PaintFrame(FCanvas.get());
  FPainting = false;
  FCanvas->SetHandle(nullptr);
  RenderClient(dc, GetFrameClientRect().TopLeft());
  ::RestoreDC(dc, saved);
}

// ---- Frame mouse -----------------------------------------------------------------------------

void TSeCustomForm::FrameMouseDown(TMouseButton button, TShiftState, int x, int y) {
  if (button != mbLeft) return;
  FPressedZone = FHotZone = HitTest(x, y);
  FPressPoint = FLastPoint = TPoint(x, y);
  PaintNonClient();
  if (FPressedZone >= fzCaption && FPressedZone <= fzBottomRight) {
    FDragging_ = true;
    FOutlineRect = TRect();
    if (FDragging->GetDragMode() == vfdmBorder) {
      DisableFramePaint();
      FOutlineMode = true;
    }
  }
  if (GetHandle()) ::SetCapture(GetHandle());
}

TRect TSeCustomForm::DragTarget(TPoint last, bool outline, TPoint p) const {
  TCustomForm* form = GetForm();
  if (!form) return TRect();
  // The limits are the form's; the window is the shadow larger.
  const int shadow = ShadowSize();
  TSeFrameDrag drag;
  drag.Zone = FPressedZone;
  drag.Press = FPressPoint;
  drag.Last = last;
  drag.Outline = outline;
  drag.Moveable = FDragging->GetMoveable();
  drag.Sizeable = FDragging->GetSizeable();
  drag.State = FState;
  drag.MinTrack = GetMinTrackSize();
  drag.MinTrack.cx += shadow;
  drag.MinTrack.cy += shadow;
  const TRect r = FrameDragRect(form->GetBoundsRect(), drag, p);
  // Only a move snaps: a maximized form or one that may not be moved stays where it is.
  if (FPressedZone != fzCaption || !drag.Moveable || FState == vwsMaximized || !FGravitation->GetEnabled())
    return r;
  return SnapToWorkArea(r, WorkArea(), FGravitation->GetSize(), shadow);
}

void TSeCustomForm::FrameMouseMove(TShiftState shift, int x, int y) {
  TCustomForm* form = GetForm();
  if (!form) return;
  if (FDragging_ && shift.Contains(ssLeft)) {
    const TRect r = DragTarget(FLastPoint, FOutlineMode, TPoint(x, y));
    if (FOutlineMode) {
      DrawOutline(r);
    } else if (!(r == form->GetBoundsRect())) {
      ApplyRect(r);
      FHotZone = HitTest(x, y);
      PaintNonClient();
    }
    FLastPoint = TPoint(x, y);
    return;
  }
  const TSeFrameZone zone = HitTest(x, y);
  if (zone != FHotZone) {
    FHotZone = zone;
    PaintNonClient();
  }
}

void TSeCustomForm::FrameMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const TSeFrameZone zone = HitTest(x, y);
  const TSeFrameZone pressed = FPressedZone;
  if (button == mbLeft && GetHandle() && ::GetCapture() == GetHandle()) ::ReleaseCapture();
  // The drag ends before any action runs: an action may close or free the form.
  if (FDragging_) {
    TCustomForm* form = GetForm();
    if (FOutlineMode) {
      DrawOutline(TRect());
      if (form && !shift.Contains(ssDouble)) {
        // From the press point: the window has not moved, and stepping from the last point
        // (as a full drag does) would leave the right and bottom edges where they were.
        ApplyRect(DragTarget(FPressPoint, true, TPoint(x, y)));
      }
      FOutlineMode = false;
      EnableFramePaint();
      if (form) form->Invalidate();
    }
    FDragging_ = false;
  }
  FPressedZone = fzNone;
  PaintNonClient();
  if (button == mbRight) {
    if (zone != fzCaption) return;
    // The menu opens where the caption was clicked.
    const TRect c = GetFrameClientRect();
    POINT at{x - c.Left, y - c.Top};
    if (GetHandle()) ::ClientToScreen(GetHandle(), &at);
    FPopupPoint = TPoint(at.x, at.y);
    ShowSystemMenu();  // may free the component: nothing of it is used after
    return;
  }
  if (button != mbLeft) return;
  if (shift.Contains(ssDouble)) {
    if (zone == fzCaption && FBorderIcons.Contains(vbiMaximize)) {
      if (FState == vwsMinimized) Restore();
      else Maximize();
      return;
    }
    if (zone == fzSystemMenu) {
      CloseForm();
      return;
    }
  }
  if (zone != pressed) return;
  switch (zone) {
    case fzClose: CloseForm(); break;
    case fzHelp: ShowContextHelp(); break;
    case fzMinimize: Minimize(); break;
    case fzMaximize: Maximize(); break;
    case fzRollup: Rollup(); break;
    case fzTray: MinToTray(); break;
    case fzSystemMenu: ShowSystemMenu(); break;
    default: break;
  }
}

void TSeCustomForm::CancelDrag() {
  if (FOutlineMode) DrawOutline(TRect());
  const bool was = FDragging_ || FPressedZone != fzNone;
  FOutlineMode = false;
  FDragging_ = false;
  FPressedZone = fzNone;
  FFrameButtons = TShiftState{};
  EnableFramePaint();
  if (was) PaintNonClient();
}

void TSeCustomForm::DrawOutline(const TRect& r) {
  if (FState == vwsMaximized && !IsRectEmpty(r)) return;
  // The outline is drawn where the form's bounds are measured: in the parent window's client
  // area (an MDI child's MDI client), or on the screen for a top-level form. The parent's DC
  // does not clip its children, so the outline shows over the form and its siblings.
  HWND parent = ParentWindow();
  HWND target = parent ? parent : ::GetDesktopWindow();
  HDC dc = ::GetDCEx(target, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE | (parent ? 0 : DCX_WINDOW));
  if (!dc) dc = ::GetWindowDC(target);
  if (!dc) return;
  HPEN pen = ::CreatePen(PS_INSIDEFRAME, 2, RGB(255, 255, 255));
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
  const int oldRop = ::SetROP2(dc, R2_XORPEN);
  if (!IsRectEmpty(FOutlineRect))
    ::Rectangle(dc, FOutlineRect.Left, FOutlineRect.Top, FOutlineRect.Right, FOutlineRect.Bottom);
  if (!IsRectEmpty(r)) ::Rectangle(dc, r.Left, r.Top, r.Right, r.Bottom);
  FOutlineRect = r;
  ::SetROP2(dc, oldRop);
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(pen);
  ::ReleaseDC(target, dc);
}

// ---- State machine ---------------------------------------------------------------------------

bool TSeCustomForm::Allowed(const TSeFormActionEvent& event) {
  FHotZone = fzNoHot;
  bool allow = true;
  if (event) event(this, allow);
  return allow;
}

void TSeCustomForm::SaveBounds() {
  if (TCustomForm* form = GetForm()) FSavedBounds = form->GetBoundsRect();
}

// Leaving the minimized or tray state: back to maximized or rolled up when the form was so
// before, else to its saved normal bounds.
void TSeCustomForm::ReturnToPreviousState() {
  if (FPreviousState == vwsMaximized) {
    Maximize();
    FPreviousState = vwsNormal;
  } else if (FPreviousState == vwsRollup) {
    Rollup();
    FPreviousState = vwsNormal;
  } else {
    FState = vwsNormal;
    ApplyRect(FSavedBounds);
  }
}

void TSeCustomForm::ApplyRect(const TRect& r) {
  TCustomForm* form = GetForm();
  if (!form) return;
  form->SetBoundsRect(r);
  // A state change can take the shadow away (or bring it back) at an unchanged size.
  if (FRegionShadow != ShadowSize()) UpdateWindowRegion();
  DispatchPendingPaints();
}

bool TSeCustomForm::EnterState(TSeWindowState state) {
  if (FState == state) {
    Restore();
    return false;
  }
  FPreviousState = FState;
  // Coming back from another state the normal bounds are already saved.
  if (FPreviousState == vwsNormal) SaveBounds();
  return true;
}

void TSeCustomForm::Maximize() {
  TCustomForm* form = GetForm();
  if (!form || !Allowed(OnMaximize) || !EnterState(vwsMaximized)) return;
  if (form->HandleAllocated() && ::IsIconic(form->GetHandle()))
    ::ShowWindow(form->GetHandle(), SW_RESTORE);
  FState = vwsMaximized;
  ApplyRect(GetMaximizedRect());
  form->Invalidate();
  PaintNonClient();
  if (form->GetFormStyle() == fsMDIChild) MDIChildMaximized();
  FRequestedState = vwsNormal;
}

void TSeCustomForm::Minimize() {
  TCustomForm* form = GetForm();
  if (!form || form->GetFormState().Contains(fsModal) || !Allowed(OnMinimize) || !EnterState(vwsMinimized))
    return;
  FState = vwsMinimized;
  if (form->GetFormStyle() == fsMDIChild) MDIChildLeftMaximized();
  if (FMinimizeApplication) {
    // The main form carries the program's taskbar button.
    if (Application && Application->GetMainForm()) Application->Minimize();
    if (form->HandleAllocated() && !::IsIconic(form->GetHandle()))
      ::ShowWindow(form->GetHandle(), SW_MINIMIZE);
  } else {
    ApplyRect(GetMinimizedRect());
  }
  PaintNonClient();
  FRequestedState = vwsNormal;
}

void TSeCustomForm::Rollup() {
  TCustomForm* form = GetForm();
  if (!form || !Allowed(OnRollup) || !EnterState(vwsRollup)) return;
  FState = vwsRollup;
  ApplyRect(GetRollupRect());
  FRequestedState = vwsNormal;
}

void TSeCustomForm::MinToTray() {
  TCustomForm* form = GetForm();
  if (!form || form->GetFormState().Contains(fsModal) || !Allowed(OnMinToTray)) return;
  const TSeWindowState previous = FPreviousState;
  if (!EnterState(vwsTray)) return;
  // The icon comes first: without one in the tray nothing is hidden (the form could not be
  // brought back).
  if (!TrayIcon(NIM_ADD)) {
    FPreviousState = previous;
    return;
  }
  FState = vwsTray;
  // With MinimizeApplication the main form, which carries the taskbar button, goes too.
  TCustomForm* main = Application ? Application->GetMainForm() : nullptr;
  if (FMinimizeApplication && main && main != form && main->HandleAllocated())
    ::ShowWindow(main->GetHandle(), SW_HIDE);
  if (form->HandleAllocated()) ::ShowWindow(form->GetHandle(), SW_HIDE);
  FRequestedState = vwsNormal;
}

void TSeCustomForm::Restore() {
  TCustomForm* form = GetForm();
  if (!form) return;
  FHotZone = fzNoHot;
  const HWND wnd = form->HandleAllocated() ? form->GetHandle() : nullptr;
  switch (FState) {
    case vwsNormal: ApplyRect(FSavedBounds); break;
    case vwsMaximized:
      // Also with MinimizeApplication: doing nothing then would leave Restore without effect
      // until another state change.
      if (FPreviousState == vwsMinimized) {
        FState = vwsNormal;
        ApplyRect(FSavedBounds);
        Maximize();
      } else if (FPreviousState == vwsRollup) {
        FState = vwsNormal;
        ApplyRect(FSavedBounds);
        Rollup();
      } else {
        FPreviousState = vwsMaximized;
        FState = vwsNormal;
        ApplyRect(FSavedBounds);
        if (form->GetFormStyle() == fsMDIChild) MDIChildLeftMaximized();
      }
      break;
    case vwsMinimized:
      if (wnd && ::IsIconic(wnd)) {
        if (Application && Application->GetMainForm() == form) RestoreApplication();
        if (::IsIconic(wnd)) ::ShowWindow(wnd, SW_RESTORE);
      }
      ReturnToPreviousState();
      break;
    case vwsRollup:
      if (GetMaximizedRect().Width() == form->GetWidth() || FPreviousState == vwsMaximized) {
        Maximize();
        FPreviousState = vwsNormal;
      } else {
        // The rolled-up form keeps the place it was moved to.
        FState = vwsNormal;
        TRect r = FSavedBounds;
        OffsetRect(r, form->GetLeft() - r.Left, form->GetTop() - r.Top);
        ApplyRect(r);
      }
      break;
    case vwsTray:
      if (TCustomForm* main = Application ? Application->GetMainForm() : nullptr;
          FMinimizeApplication && main && main != form && main->HandleAllocated())
        ::ShowWindow(main->GetHandle(), SW_RESTORE);
      if (wnd) {
        ::ShowWindow(wnd, SW_RESTORE);
        ::SetForegroundWindow(wnd);
      }
      if (FTrayShown) TrayIcon(NIM_DELETE);
      ReturnToPreviousState();
      break;
  }
  form->Invalidate();
  PaintNonClient();
}

void TSeCustomForm::CloseForm() {
  TCustomForm* form = GetForm();
  if (!form || !Allowed(OnClose)) return;
  if (form->GetFormState().Contains(fsModal)) {
    form->SetModalResult(mrCancel);
    return;
  }
  if (!form->CloseQuery()) return;
  // The form's own Close would read its border icons, which the frame of ours has emptied,
  // and would minimize through the system, leaving WindowState normal so that Restore could
  // not bring the form back: the close action is carried out here.
  TCloseAction action = caHide;
  if (form->GetFormStyle() == fsMDIChild) action = FBorderIcons.Contains(vbiMinimize) ? caMinimize : caNone;
  if (const TCloseEvent onClose = form->GetOnClose()) onClose(form, action);
  if (action == caNone) return;
  if (Application && Application->GetMainForm() == form) {
    Application->Terminate();
    return;
  }
  if (action == caMinimize) {
    Minimize();
    return;
  }
  UnmergeFromMenuBar(ActiveFormSkinOf(MDIParentOf(form)));
  RestoreMaximizedChildren();
  // Hidden first also when freed: the form goes from the screen at once, not when the
  // posted release is handled.
  form->Hide();
  if (action == caFree) form->Release();
}

void TSeCustomForm::ShowContextHelp() {
  if (HWND wnd = GetHandle()) ::SendMessageW(wnd, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
}

void TSeCustomForm::RefreshFrame() {
  TCustomForm* form = GetForm();
  if (!GetActive() || !form || !form->HandleAllocated() ||
      GetComponentState().Contains(csDesigning))
    return;
  // The system draws its own caption (on WM_SETTEXT, WM_SETICON, activation) whenever the
  // window has one: the style goes while the frame is ours.
  const LONG style = ::GetWindowLongW(form->GetHandle(), GWL_STYLE);
  if ((style & WS_CAPTION) == WS_CAPTION)
    ::SetWindowLongW(form->GetHandle(), GWL_STYLE, (style & ~WS_CAPTION) | WS_BORDER);
  // The screen beneath is taken again at the new size (a shadow switched on grows the
  // window): composing over an older, smaller picture would show garbage there.
  RECT before{};
  ::GetClientRect(form->GetHandle(), &before);
  ::SetWindowPos(form->GetHandle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT after{};
  ::GetClientRect(form->GetHandle(), &after);
  const int dw = before.right - after.right, dh = before.bottom - after.bottom;
  if ((dw || dh) && before.right > 0 && before.bottom > 0)
    form->SetBounds(form->GetLeft(), form->GetTop(), form->GetWidth() + dw, form->GetHeight() + dh);
  UpdateWindowRegion();
  ::RedrawWindow(form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

HRGN TSeCustomForm::CreateWindowRegion() const {
  const TRect whole(0, 0, FormWidth(), FormHeight());
  if (UseThemes() && FBorderStyle != vbsNone && ThemeApi().GetThemeBackgroundRegion) {
    const TThemeScope theme(L"Window");
    HRGN region = nullptr;
    HDC dc = ::GetDC(nullptr);
    const RECT r = whole;
    const int part = FBorderStyle == vbsStandard ? WP_CAPTION : WP_SMALLCAPTION;
    const HRESULT hr = theme.Get() ? ThemeApi().GetThemeBackgroundRegion(theme.Get(), dc, part,
                                                                        CS_ACTIVE, &r, &region)
                                   : E_FAIL;
    ::ReleaseDC(nullptr, dc);
    if (SUCCEEDED(hr) && region) return region;
    if (region) ::DeleteObject(region);
  }
  // A theme that gives no region gets the rectangle.
  return ::CreateRectRgn(whole.Left, whole.Top, whole.Right, whole.Bottom);
}

namespace {
// Whether region is exactly the rectangle (0, 0, width, height).
bool IsWholeRect(HRGN region, int width, int height) {
  HRGN whole = ::CreateRectRgn(0, 0, width, height);
  const bool equal = whole && ::EqualRgn(region, whole);
  if (whole) ::DeleteObject(whole);
  return equal;
}
}  // namespace

HRGN TSeCustomForm::WindowRegion() const {
  HRGN region = CreateWindowRegion();
  const int s = ShadowSize();
  if (!region || s <= 0) return region;
  HRGN moved = ::CreateRectRgn(0, 0, 0, 0);
  if (moved && ::CombineRgn(moved, region, nullptr, RGN_COPY) != ERROR) {
    ::OffsetRgn(moved, s, s);
    ::CombineRgn(region, region, moved, RGN_OR);
  }
  if (moved) ::DeleteObject(moved);
  return region;
}

void TSeCustomForm::UpdateWindowRegion() {
  HWND wnd = GetHandle();
  if (!wnd || FormWidth() <= 0 || FormHeight() <= 0) return;
  if (FPerformance == vxfpPersistentBuffer) {
    if (!FPersistentBuffer) FPersistentBuffer = std::make_unique<TSeBitmap>();
    FPersistentKey = TFrameKey();
    FPersistentBuffer->SetSize(FWindowWidth, FWindowHeight);
  }
  FRegionShadow = ShadowSize();
  DisableFramePaint();
  HRGN region = WindowRegion();
  // Without a shadow or a themed frame, a region that is the whole form is no region: the
  // window keeps none then.
  const bool shaped = FRegionShadow > 0 || (UseThemes() && FBorderStyle != vbsNone);
  if (region && !shaped && IsWholeRect(region, FormWidth(), FormHeight())) {
    ::DeleteObject(region);
    region = nullptr;
  }
  if (region) {
    // The system owns the region from here on.
    if (!::SetWindowRgn(wnd, region, TRUE)) ::DeleteObject(region);
    else FRegionSet = true;
  } else if (FRegionSet) {
    ::SetWindowRgn(wnd, nullptr, TRUE);
    FRegionSet = false;
  }
  EnableFramePaint();
  if (OnResize) OnResize(this);
}

// ---- Painting --------------------------------------------------------------------------------

void TSeCustomForm::PaintClient(TCanvas* canvas) {
  TCustomForm* form = GetForm();
  if (!form || !canvas) return;
  const TRect c = GetFrameClientRect();
  FillRectColor(canvas, TRect(0, 0, c.Width(), c.Height()), form->GetColor());
}

void TSeCustomForm::PaintFrame(TCanvas* canvas) {
  if (!canvas || FBorderStyle == vbsNone || FormWidth() <= 0) return;
  const TSeFrameLayout layout = FrameLayoutWithClient();
  const TRect c = FrameClientRect(layout);
  HDC dc = canvas->GetHandle();
  // One theme handle serves the whole frame.
  std::unique_ptr<TThemeScope> opened;
  if (layout.Themed) opened = std::make_unique<TThemeScope>(L"Window");
  if (layout.Themed) {
    // The parts are kept as pictures: the theme library draws each size once.
    const auto draw = [&](int part, int state, const TRect& r) {
      FFrameParts.Draw(*opened, dc, part, state, r);
    };
    const int state = FFormActive ? 1 : 2;
    const bool small = FBorderStyle == vbsToolWindow;
    draw(small ? WP_SMALLFRAMELEFT : WP_FRAMELEFT, state, TRect(0, c.Top, c.Left, c.Bottom));
    draw(small ? WP_SMALLFRAMERIGHT : WP_FRAMERIGHT, state, TRect(c.Right, c.Top, layout.Width, c.Bottom));
    draw(small ? WP_SMALLFRAMEBOTTOM : WP_FRAMEBOTTOM, state, TRect(0, c.Bottom, layout.Width, layout.Height));
    // Straight onto the window the caption part is drawn with the caption, in its picture.
    if (!FStraightOnWindow) draw(small ? WP_SMALLCAPTION : WP_CAPTION, state, TRect(0, 0, layout.Width, c.Top));
  } else {
    RECT edge{0, 0, layout.Width, layout.Height};
    ::DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    TRect r(2, 2, layout.Width - 2, layout.Height - 2);
    // Straight onto the window the band is left to the caption's picture, which is filled
    // with clBtnFace itself: filled here first, it would flash grey at every repaint.
    const TRect band = FrameCaptionBand(layout);
    const int saved = ::SaveDC(dc);
    if (FStraightOnWindow) ::ExcludeClipRect(dc, band.Left, band.Top, band.Right, band.Bottom);
    FillRectXY(canvas, r.Left, r.Top, r.Right, c.Top, clBtnFace);
    ::RestoreDC(dc, saved);
    FillRectXY(canvas, r.Left, c.Top, c.Left, c.Bottom, clBtnFace);
    FillRectXY(canvas, c.Right, c.Top, r.Right, c.Bottom, clBtnFace);
    FillRectXY(canvas, r.Left, c.Bottom, r.Right, r.Bottom, clBtnFace);
  }
  if (FStraightOnWindow && PaintCaptionInPicture(canvas, layout, opened.get())) return;
  if (FStraightOnWindow && opened)  // no picture to be had: the caption part drawn in place
    FFrameParts.Draw(*opened, dc, FBorderStyle == vbsToolWindow ? WP_SMALLCAPTION : WP_CAPTION,
                     FFormActive ? 1 : 2, TRect(0, 0, layout.Width, c.Top));
  PaintCaption(canvas, layout, opened.get());
  PaintButtons(canvas, layout, opened.get());
}

bool TSeCustomForm::PaintCaptionInPicture(TCanvas* canvas, const TSeFrameLayout& layout,
                                          const TThemeScope* theme) {
  // Themed, the caption part covers the frame's whole top; classic, the band inside the edge.
  const TRect area = theme ? TRect(0, 0, layout.Width, FrameClientRect(layout).Top) : FrameCaptionBand(layout);
  if (IsRectEmpty(area)) return true;
  TSeBitmap picture;
  try {
    picture.SetSize(area.Width(), area.Height());
  } catch (const Exception&) {
    return false;  // no picture to be had: drawn in place
  }
  HDC dc = picture.GetDC();
  if (!dc) return false;
  // The picture takes window coordinates, so the caption and buttons draw as they would in
  // place.
  ::SetWindowOrgEx(dc, area.Left, area.Top, nullptr);
  TCanvas inPicture;
  inPicture.SetHandle(dc);
  FillRectColor(&inPicture, area, clBtnFace);
  if (theme)
    FFrameParts.Draw(*theme, dc, FBorderStyle == vbsToolWindow ? WP_SMALLCAPTION : WP_CAPTION,
                     FFormActive ? 1 : 2, area);
  PaintCaption(&inPicture, layout, theme);
  PaintButtons(&inPicture, layout, theme);
  inPicture.SetHandle(nullptr);
  ::SetWindowOrgEx(dc, 0, 0, nullptr);
  ::GdiFlush();
  ::BitBlt(canvas->GetHandle(), area.Left, area.Top, area.Width(), area.Height(), dc, 0, 0, SRCCOPY);
  return true;
}

void TSeCustomForm::PaintCaption(TCanvas* canvas, const TSeFrameLayout& layout,
                                 const TThemeScope* theme) {
  const TRect band = FrameCaptionBand(layout);
  if (IsRectEmpty(band)) return;
  HDC dc = canvas->GetHandle();
  COLORREF textColor;
  if (theme) {
    const int index = FFormActive ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT;
    textColor = theme->Get() && ThemeApi().GetThemeSysColor
                    ? ThemeApi().GetThemeSysColor(theme->Get(), index)
                    : ::GetSysColor(index);
  } else {
    FillGradient(canvas, band, FFormActive ? clActiveCaption : clInactiveCaption, false,
                 FFormActive ? clGradientActiveCaption : clGradientInactiveCaption);
    textColor = ColorToRGB(FFormActive ? clCaptionText : clInactiveCaptionText);
  }
  // Only the left end moves past the system-menu button: the whole rectangle moved would
  // draw a long caption over the right frame edge.
  TRect text = band;
  if (FBorderIcons.Contains(vbiSystemMenu) && FBorderStyle != vbsToolWindow) text.Left += band.Height();
  InflateRect(text, -2, 0);
  const bool small = FBorderStyle == vbsToolWindow;
  if (!FCaptionFonts[small]) {
    const LOGFONTW logFont = CaptionLogFont(small);
    FCaptionFonts[small] = ::CreateFontIndirectW(&logFont);
  }
  HGDIOBJ oldFont = ::SelectObject(dc, FCaptionFonts[small]);
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = ::SetTextColor(dc, textColor);
  RECT r = text;
  // No prefix: an "&" in the caption is shown as it stands, as the system's captions do.
  UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
  // The classic caption follows the form's reading order and alignment; the themed one not.
  TCustomForm* form = GetForm();
  if (form && !theme) flags = form->DrawTextBiDiModeFlags(flags);
  const String caption = GetCaption();
  // Themed, the theme draws the text first (with its own caption font and colour where it
  // defines them); the plain drawing over it keeps the text in the caption font everywhere.
  if (theme)
    theme->DrawText(dc, WP_CAPTION, FFormActive ? CS_ACTIVE : CS_INACTIVE, caption.c_str(),
                    static_cast<int>(caption.size()), flags, r);
  ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, flags);
  ::SetTextColor(dc, oldColor);
  ::SetBkMode(dc, oldMode);
  ::SelectObject(dc, oldFont);
}

void TSeCustomForm::FreeCaptionFonts() {
  for (HFONT& font : FCaptionFonts) {
    if (font) ::DeleteObject(font);
    font = nullptr;
  }
}

void TSeCustomForm::PaintButtons(TCanvas* canvas, const TSeFrameLayout& layout,
                                 const TThemeScope* theme) {
  if (layout.MaximizedMDIChild) return;
  HDC dc = canvas->GetHandle();
  const bool themed = theme != nullptr;
  for (const TCaptionButton& b : CaptionButtons) {
    const TRect r = GetButtonRect(b.Icon);
    if (IsRectEmpty(r)) continue;
    const bool pressed = FFrameButtons.Contains(ssLeft) && FPressedZone == b.Zone && FHotZone == b.Zone;
    const bool hot = FHotZone == b.Zone && !FDragging_;
    if (b.Icon == vbiSystemMenu) {
      PaintCaptionIcon(dc, r);
      continue;
    }
    if (themed) {
      int part = 0;
      switch (b.Icon) {
        case vbiClose: part = WP_CLOSEBUTTON; break;
        case vbiMinimize: part = FState == vwsMinimized ? WP_RESTOREBUTTON : WP_MINBUTTON; break;
        case vbiMaximize: part = FState == vwsMaximized ? WP_RESTOREBUTTON : WP_MAXBUTTON; break;
        case vbiHelp: part = WP_HELPBUTTON; break;
        default: break;
      }
      if (!part) continue;
      const int state = !FFormActive ? 5 : pressed ? 3 : hot ? 2 : 1;
      FButtonParts.Draw(*theme, dc, part, state, r);
      continue;
    }
    RECT rect = r;
    const UINT push = pressed ? DFCS_PUSHED : 0;
    switch (b.Icon) {
      case vbiClose: ::DrawFrameControl(dc, &rect, DFC_CAPTION, DFCS_CAPTIONCLOSE | push); break;
      case vbiMinimize:
        ::DrawFrameControl(dc, &rect, DFC_CAPTION,
                           (FState == vwsMinimized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN) | push);
        break;
      case vbiMaximize:
        ::DrawFrameControl(dc, &rect, DFC_CAPTION,
                           (FState == vwsMaximized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) | push);
        break;
      case vbiHelp: ::DrawFrameControl(dc, &rect, DFC_CAPTION, DFCS_CAPTIONHELP | push); break;
      case vbiRollup:
        ::DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | push);
        DrawRollupGlyph(dc, r, pressed, FState == vwsRollup);
        break;
      case vbiTray:
        ::DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | push);
        DrawTrayGlyph(dc, r, pressed);
        break;
      default: break;
    }
  }
}

void TSeCustomForm::PaintCaptionIcon(HDC dc, const TRect& r) {
  // The window's icon: the form's, else the application's (the form sets it so).
  HWND wnd = GetHandle();
  HICON source = wnd ? reinterpret_cast<HICON>(::SendMessageW(wnd, WM_GETICON, ICON_SMALL, 0)) : nullptr;
  if (!source && wnd) source = reinterpret_cast<HICON>(::SendMessageW(wnd, WM_GETICON, ICON_BIG, 0));
  if (!source) source = ::LoadIconW(nullptr, IDI_APPLICATION);  // shared: never destroyed
  if (source != FCaptionIconSource) {
    if (FCaptionIcon) ::DestroyIcon(FCaptionIcon);
    int w = ::GetSystemMetrics(SM_CXSMICON), h = ::GetSystemMetrics(SM_CYSMICON);
    if (w == 0 || h == 0) {
      w = ::GetSystemMetrics(SM_CXSIZE);
      h = ::GetSystemMetrics(SM_CYSIZE);
    }
    // The icon's own small image where it has one (a resource), else its image scaled.
    FCaptionIcon = static_cast<HICON>(::CopyImage(source, IMAGE_ICON, w, h, LR_COPYFROMRESOURCE));
    if (!FCaptionIcon) FCaptionIcon = static_cast<HICON>(::CopyImage(source, IMAGE_ICON, w, h, 0));
    FCaptionIconSource = source;
  }
  if (FCaptionIcon) ::DrawIconEx(dc, r.Left, r.Top, FCaptionIcon, r.Width(), r.Height(), 0, nullptr, DI_NORMAL);
}

void TSeCustomForm::ForgetKeptLook() {
  FPersistentKey = TFrameKey();
  FFrameParts.Clear();
  FButtonParts.Clear();
}

TSeCustomForm::TFrameKey TSeCustomForm::FrameKey(const TSeFrameLayout& layout) const {
  TFrameKey key;
  key.Width = layout.Width;
  key.Height = layout.Height;
  key.Look = layout.BorderStyle | layout.State << 4 | layout.Themed << 8 | FFormActive << 9 |
             FDragging_ << 10 | FFrameButtons.Contains(ssLeft) << 11 | FPressedZone << 12 |
             FHotZone << 20;
  key.Icons = 0;
  for (int i = vbiClose; i <= vbiTray; ++i)
    if (layout.BorderIcons.Contains(static_cast<TSeBorderIcon>(i))) key.Icons |= 1u << i;
  key.Caption = GetCaption();
  return key;
}

int TSeCustomForm::ShadowSize() const {
  return FShadow->GetEnabled() && FShadow->GetSize() > 0 && FState != vwsMaximized ? FShadow->GetSize() : 0;
}

bool TSeCustomForm::Composed() const { return FBlending->GetEnabled() || ShadowSize() > 0; }

TPoint TSeCustomForm::BackgroundOrigin() const {
  // The show animation captures exactly the rectangle the window is about to take.
  if (FAnimating) return TPoint(0, 0);
  RECT r{};
  if (HWND wnd = GetHandle()) ::GetWindowRect(wnd, &r);
  return TPoint(FCaptureRect.Left - r.left, FCaptureRect.Top - r.top);
}

TSeBitmap* TSeCustomForm::PaintBuffer(std::unique_ptr<TSeBitmap>& temporary) {
  const int w = FWindowWidth, h = FWindowHeight;
  switch (FPerformance) {
    case vxfpSharedBuffer: {
      TSeBitmap& shared = SharedPaintBuffer();
      if (shared.GetWidth() >= w && shared.GetHeight() >= h) return &shared;
      break;
    }
    case vxfpPersistentBuffer:
      if (!FPersistentBuffer) {
        FPersistentBuffer = std::make_unique<TSeBitmap>();
        FPersistentKey = TFrameKey();
      }
      if (FPersistentBuffer->GetWidth() != w || FPersistentBuffer->GetHeight() != h)
        FPersistentKey = TFrameKey();
      FPersistentBuffer->SetSize(w, h);
      return FPersistentBuffer.get();
    default: break;
  }
  temporary = std::make_unique<TSeBitmap>();
  temporary->SetSize(w, h);
  return temporary.get();
}

void TSeCustomForm::RenderFrame(HDC target, TSeBitmap* image) {
  const TSeFrameLayout layout = FrameLayout();
  const TRect c = ClientRectOf(layout);
  const TSeBitmap* background = image ? FBackground.get() : nullptr;
  if (background && ShadowSize() > 0) {
    ::GdiFlush();
    TSeShadowLayout shadow;
    shadow.Width = layout.Width;
    shadow.Height = layout.Height;
    shadow.Size = ShadowSize();
    shadow.Client = c;
    shadow.Region = layout.Themed && FBorderStyle != vbsNone;
    PaintFormShadow(*image, shadow, *background, BackgroundOrigin());
  }
  const int saved = ::SaveDC(target);
  ::ExcludeClipRect(target, c.Left, c.Top, c.Right, c.Bottom);
  FCanvas->SetHandle(target);
  FPainting = true;
  PaintFrame(FCanvas.get());
  FPainting = false;
  FCanvas->SetHandle(nullptr);
  ::RestoreDC(target, saved);
  if (background && FBlending->GetEnabled()) {
    ::GdiFlush();
    const TRect strips[] = {TRect(0, 0, layout.Width, c.Top), TRect(0, c.Bottom, layout.Width, layout.Height),
                            TRect(0, c.Top, c.Left, c.Bottom), TRect(c.Right, c.Top, layout.Width, c.Bottom)};
    for (const TRect& strip : strips)
      BlendOverBackground(*image, strip, FBlending->GetValue(), *background, BackgroundOrigin());
  }
}

void TSeCustomForm::PaintNonClient() {
  TCustomForm* form = GetForm();
  if (!form || !form->HandleAllocated() || !FFramePaint || FormWidth() <= 0 || FormHeight() <= 0)
    return;
  const TSeFrameLayout layout = FrameLayout();
  if (layout.MaximizedMDIChild) return;
  const TRect c = ClientRectOf(layout);
  if (c.Left == 0 && c.Top == 0 && ShadowSize() == 0) return;
  if (FAnimating && FAnimationFrame) {
    RenderFrame(FAnimationFrame->GetDC(), FAnimationFrame);
    return;
  }
  const bool composed = Composed();
  // Shadow and translucency are composed over the screen beneath: a picture of it is needed.
  if (composed && !FBackground) {
    RECT r{};
    ::GetWindowRect(form->GetHandle(), &r);
    CaptureBackground(r);
  }
  HWND wnd = form->GetHandle();
  HDC windowDC = ::GetWindowDC(wnd);
  if (!windowDC) return;
  // The buffer by Performance; none paints straight onto the window.
  std::unique_ptr<TSeBitmap> temporary;
  TSeBitmap* buffer = FPerformance != vxfpNoBuffer || composed ? PaintBuffer(temporary) : nullptr;
  if (buffer && !buffer->GetDC()) buffer = nullptr;
  HDC target = buffer ? buffer->GetDC() : windowDC;
  // The persistent buffer is kept between paints: when nothing the frame shows has changed
  // it is copied out again as it is (not when the screen beneath shows through).
  const TFrameKey key = FrameKey(layout);
  const bool kept = buffer && buffer == FPersistentBuffer.get();
  if (!kept || composed || !(FPersistentKey == key)) {
    // Straight onto the window the caption is drawn through a picture of it, so that it
    // never shows half drawn (it flickered at every hot change over its buttons).
    FStraightOnWindow = !buffer;
    RenderFrame(target, buffer);
    FStraightOnWindow = false;
    if (kept) FPersistentKey = composed ? TFrameKey() : key;
  }
  if (buffer) {
    // Four strips, so that the client area is never overwritten.
    const int ww = FWindowWidth, wh = FWindowHeight;
    const TRect strips[] = {TRect(0, 0, ww, c.Top), TRect(0, c.Bottom, ww, wh),
                            TRect(0, c.Top, c.Left, c.Bottom), TRect(c.Right, c.Top, ww, c.Bottom)};
    for (const TRect& strip : strips)
      if (!IsRectEmpty(strip))
        ::BitBlt(windowDC, strip.Left, strip.Top, strip.Width(), strip.Height(), target, strip.Left,
                 strip.Top, SRCCOPY);
  }
  ::ReleaseDC(wnd, windowDC);
}

// ---- Background and show animation ----------------------------------------------------------

void TSeCustomForm::CaptureBackground(const TRect& r) {
  // The remembered states are left alone: a capture only reads the screen.
  if (!GetForm() || IsRectEmpty(r) || (r == FCaptureRect && FBackground)) return;
  auto image = std::make_unique<TSeBitmap>();
  image->SetSize(r.Width(), r.Height());
  HDC screen = ::GetDC(nullptr);
  if (!screen) return;
  ::BitBlt(image->GetDC(), 0, 0, r.Width(), r.Height(), screen, r.Left, r.Top, SRCCOPY);
  ::ReleaseDC(nullptr, screen);
  // Where the window itself covers the screen, the earlier capture holds what lies beneath.
  TRect overlap;
  if (FBackground && IntersectRect(overlap, r, FCaptureRect) && ::IsWindowVisible(GetHandle()))
    ::BitBlt(image->GetDC(), overlap.Left - r.Left, overlap.Top - r.Top, overlap.Width(),
             overlap.Height(), FBackground->GetDC(), overlap.Left - FCaptureRect.Left,
             overlap.Top - FCaptureRect.Top, SRCCOPY);
  ::GdiFlush();
  FBackground = std::move(image);
  FCaptureRect = r;
}

void TSeCustomForm::PlayShowAnimation(const TRect& windowRect) {
  TCustomForm* form = GetForm();
  if (!form || FAnimating || IsRectEmpty(windowRect)) return;
  // No messages are dispatched here: the form could be freed inside its own handler.
  TSeBitmap frame;
  frame.SetSize(windowRect.Width(), windowRect.Height());
  if (!frame.GetDC()) return;
  struct TAnimating {
    TSeCustomForm& Form;
    const bool Active;
    const int Width, Height;
    TAnimating(TSeCustomForm& form, TSeBitmap& frame)
        : Form(form), Active(form.FFormActive), Width(form.FWindowWidth), Height(form.FWindowHeight) {
      Form.FAnimating = true;
      Form.FAnimationFrame = &frame;
      Form.FFormActive = true;
    }
    ~TAnimating() {
      Form.FAnimating = false;
      Form.FAnimationFrame = nullptr;
      Form.FFormActive = Active;
      Form.FWindowWidth = Width;
      Form.FWindowHeight = Height;
    }
  } animating(*this, frame);
  FCaptureRect = TRect();
  CaptureBackground(windowRect);
  if (!FBackground) return;
  FWindowWidth = windowRect.Width();
  FWindowHeight = windowRect.Height();
  // The form's look as it will show: frame, shadow, client and children.
  PaintNonClient();
  EraseClient(frame.GetDC(), nullptr);
  const TRect c = GetFrameClientRect();
  const int saved = ::SaveDC(frame.GetDC());
  ::SetViewportOrgEx(frame.GetDC(), c.Left, c.Top, nullptr);
  ::IntersectClipRect(frame.GetDC(), 0, 0, c.Width(), c.Height());
  form->PaintControls(frame.GetDC(), nullptr);
  for (int i = 0; i < form->GetControlCount(); ++i) {
    auto* child = dynamic_cast<TWinControl*>(form->GetControl(i));
    if (child && child->GetVisible() && child->HandleAllocated())
      child->PaintTo(frame.GetDC(), child->GetLeft(), child->GetTop());
  }
  ::RestoreDC(frame.GetDC(), saved);
  ::GdiFlush();
  // What lies outside the window's region keeps the screen.
  if (ShadowSize() > 0 || (UseThemes() && FBorderStyle != vbsNone)) {
    HRGN outside = ::CreateRectRgn(0, 0, frame.GetWidth(), frame.GetHeight());
    HRGN region = WindowRegion();
    HBRUSH clear = ::CreateSolidBrush(RGB(SeClearPixel.R, SeClearPixel.G, SeClearPixel.B));
    if (outside && region && clear && ::CombineRgn(outside, outside, region, RGN_DIFF) != ERROR)
      ::FillRgn(frame.GetDC(), outside, clear);
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(outside), static_cast<HGDIOBJ>(region),
                           static_cast<HGDIOBJ>(clear)})
      if (object) ::DeleteObject(object);
    ::GdiFlush();
  }
  HDC screen = ::GetDC(nullptr);
  if (screen) {
    PlayTransition(screen, windowRect.Left, windowRect.Top, *FAnimation, frame, *FBackground);
    ::ReleaseDC(nullptr, screen);
  }
}

// ---- Lookups ---------------------------------------------------------------------------------

TSeCustomStatusBar* FindSizeGrip(TWinControl* parent) {
  if (!parent) return nullptr;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    auto* child = dynamic_cast<TWinControl*>(parent->GetControl(i));
    if (!child || !child->GetVisible()) continue;
    if (auto* bar = dynamic_cast<TSeCustomStatusBar*>(child); bar && bar->SizeGripShows()) return bar;
    if (TSeCustomStatusBar* inner = FindSizeGrip(child)) return inner;
  }
  return nullptr;
}

TSeCustomForm* FindFormSkin(TControl* control) {
  while (control && control->GetParent()) control = control->GetParent();
  return ActiveFormSkinOf(dynamic_cast<TCustomForm*>(control));
}

TSeCustomForm* ActiveFormSkinOf(TCustomForm* form) {
  if (!form) return nullptr;
  for (int i = 0; i < form->GetComponentCount(); ++i)
    if (auto* skin = dynamic_cast<TSeCustomForm*>(form->GetComponent(i)))
      if (skin->GetActive()) return skin;
  return nullptr;
}

namespace {
// The controls' drop-down windows hold back the frame of their decoration while they come up.
const struct TDropDownFrameHoldStarter {
  TDropDownFrameHoldStarter() {
    SetDropDownFrameHold([](TControl* window) -> std::function<void()> {
      TSeCustomForm* skin = FindFormSkin(window);
      if (!skin || !skin->GetFramePaint()) return {};
      skin->DisableFramePaint();
      return [skin] {
        skin->EnableFramePaint();
        skin->PaintNonClient();
      };
    });
  }
} gDropDownFrameHoldStarter;
}  // namespace
