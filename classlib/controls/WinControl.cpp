// TWinControl: the window (class registration, creation, the window procedure that finds
// the control, destruction), the list of children, the message dispatch, reflection of
// notifications to the child as CN_xxx, showing, and the utility windows.
#include <algorithm>
#include "../system/SysMath.h"
#include "Controls.h"
#include "ControlsInternal.h"
#include "WindowTable.h"

using namespace controls_internal;

namespace {

// The control of each window of ours, by handle; an entry goes with the window's last
// message (WM_NCDESTROY). Never freed: windows may still be destroyed while the program's
// statics go.
TWindowTable<TWinControl>& ControlWindows() {
  static auto* windows = new TWindowTable<TWinControl>;
  return *windows;
}

// The control whose window CreateWindowEx is making: its first message binds it.
TWinControl* gCreationControl = nullptr;
// The control whose window is being made until CreateWindowEx returns (owner-drawn list
// controls ask their parent to measure items before the window has its id).
TWinControl* gCreatingControl = nullptr;

HINSTANCE ModuleInstance() { return ::GetModuleHandleW(nullptr); }

// Ends a BeginPaint when it goes.
class PaintScope {
 public:
  explicit PaintScope(HWND wnd) : FWnd(wnd), FDC(::BeginPaint(wnd, &FPaint)) {}
  ~PaintScope() { ::EndPaint(FWnd, &FPaint); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC DC() const { return FDC; }

 private:
  HWND FWnd;
  PAINTSTRUCT FPaint{};
  HDC FDC;
};

// Sends msg to the windowless children in controls (a parent's live list): the system tells
// every window of a new theme, and what draws with it without a window of its own hears it
// from its parent. A child freed by a handler meanwhile is no longer listed and not told.
void TellWindowlessControls(const std::vector<TControl*>& controls, UINT msg) {
  const std::vector<TControl*> told = controls;
  for (TControl* control : told)
    if (std::find(controls.begin(), controls.end(), control) != controls.end())
      control->Perform(msg, 0, 0);
}

}  // namespace

// The window procedure of every control window: binds a new window to the control being
// created, then runs the control's WindowProc. No exception leaves it.
LRESULT CALLBACK ControlWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = ControlWindows().Find(wnd);
  if (!control) {
    if (!gCreationControl) return ::DefWindowProcW(wnd, msg, wParam, lParam);
    control = gCreationControl;
    gCreationControl = nullptr;
    control->FHandle = wnd;
    ControlWindows().Bind(wnd, control);
  }
  const std::weak_ptr<int> alive = control->GetLifeToken();
  LRESULT result = 0;
  try {
    result = control->Perform(msg, wParam, lParam);
  } catch (...) {
    ApplicationHandleException(alive.expired() ? nullptr : control);
  }
  if (msg == WM_NCDESTROY) ControlWindows().Take(wnd);  // the handle may be used again
  return result;
}

// ---- Finding controls --------------------------------------------------------------------------

TWinControl* FindControl(HWND handle) {
  if (!handle) return nullptr;
  DWORD process = 0;
  ::GetWindowThreadProcessId(handle, &process);
  if (process != ::GetCurrentProcessId()) return nullptr;
  return ControlWindows().Find(handle);
}

bool IsControlWindow(HWND handle) { return FindControl(handle) != nullptr; }

TWinControl* FindVCLWindow(const TPoint& pos) {
  HWND wnd = ::WindowFromPoint(pos);
  for (int depth = 0; wnd && depth < 256; ++depth) {
    if (TWinControl* control = FindControl(wnd)) return control;
    wnd = ::GetParent(wnd);
  }
  return nullptr;
}

TControl* FindDragTarget(const TPoint& pos, bool allowDisabled) {
  TWinControl* window = FindVCLWindow(pos);
  if (!window) return nullptr;
  if (TControl* control = window->ControlAtPos(window->ScreenToClient(pos), allowDisabled))
    return control;
  return window;
}

// ---- Construction ---------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner)
    : TControl(owner), FBrush(std::make_unique<TBrush>()) {
  FBrush->SetColor(GetColor());
}

TWinControl::~TWinControl() {
  Destroying();
  ForgetControl(this);
  try {
    if (GetParent())
      GetParent()->RemoveControl(this);  // also destroys the window
    else
      DestroyHandle();
  } catch (...) {
    ApplicationHandleException(nullptr);
  }
  // The children go with their parent, also those another component owns (the owner
  // hears of it through the component's own destructor).
  for (int guard = 0; guard < 100000 && (!FControls.empty() || !FWinControls.empty());
       ++guard) {
    TControl* child = !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back())
                                            : FControls.back();
    Remove(child);
    delete child;
  }
  if (FHandle) ::DestroyWindow(FHandle);  // a child may have made it again meanwhile
}

// ---- Window -----------------------------------------------------------------------------------------

HWND TWinControl::GetHandle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (GetParent()) GetParent()->HandleNeeded();
  if (!FHandle) CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params = TCreateParams();
  params.Caption = GetStoredText();
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (UseRightToLeftReading()) params.ExStyle |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (GetControlStyle().Contains(csAcceptsControls)) {
    params.Style |= WS_CLIPCHILDREN;
    params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!GetEnabled()) params.Style |= WS_DISABLED;
  if (FTabStop) params.Style |= WS_TABSTOP;
  params.X = GetLeft();
  params.Y = GetTop();
  params.Width = GetWidth();
  params.Height = GetHeight();
  // Measuring the frame must not make the parent's window.
  params.WndParent = GetParent() && !FMeasuringFrame ? GetParent()->GetHandle() : FParentWindow;
  params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  params.WindowClass.lpfnWndProc = ::DefWindowProcW;
  static const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);  // shared, never freed
  params.WindowClass.hCursor = arrow;
  params.WindowClass.hbrBackground = nullptr;
  params.WindowClass.hInstance = ModuleInstance();
  params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& params, const wchar_t* controlClassName) {
  if (!controlClassName) return;
  const HINSTANCE saveInstance = params.WindowClass.hInstance;
  WNDCLASSW systemClass{};
  if (::GetClassInfoW(saveInstance, controlClassName, &systemClass) ||
      ::GetClassInfoW(nullptr, controlClassName, &systemClass)) {
    params.WindowClass = systemClass;
  }
  params.WindowClass.hInstance = saveInstance;
  params.WindowClass.style =
      (params.WindowClass.style & ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS)) |
      CS_VREDRAW | CS_HREDRAW;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & WS_CHILD))
    throw EInvalidOperation(L"Control '%s' has no parent window", {GetName()});
  FDefWndProc = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc
                                                : ::DefWindowProcW;
  WNDCLASSW registered{};
  const bool classRegistered = ::GetClassInfoW(params.WindowClass.hInstance,
                                               params.WinClassName.c_str(), &registered);
  if (!classRegistered || registered.lpfnWndProc != ControlWindowProc) {
    if (classRegistered)
      ::UnregisterClassW(params.WinClassName.c_str(), params.WindowClass.hInstance);
    WNDCLASSW windowClass = params.WindowClass;
    windowClass.lpfnWndProc = ControlWindowProc;
    windowClass.lpszClassName = params.WinClassName.c_str();
    windowClass.lpszMenuName = nullptr;
    if (!::RegisterClassW(&windowClass)) RaiseLastOSError();
  }
  TControlState state = GetControlState();
  SetControlState(state + TControlState{csCreating});
  TWinControl* const previousCreating = gCreatingControl;
  gCreationControl = this;
  gCreatingControl = this;
  try {
    CreateWindowHandle(params);
  } catch (...) {
    gCreationControl = nullptr;
    gCreatingControl = previousCreating;
    SetControlState(GetControlState() - TControlState{csCreating});
    throw;
  }
  gCreationControl = nullptr;
  gCreatingControl = previousCreating;
  SetControlState(GetControlState() - TControlState{csCreating});
  if (!FHandle) RaiseLastOSError();
  if ((::GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) &&
      ::GetWindowLongPtrW(FHandle, GWLP_ID) == 0)
    ::SetWindowLongPtrW(FHandle, GWLP_ID, reinterpret_cast<LONG_PTR>(FHandle));
  SetStoredText(String());  // the window holds the text from now on
  UpdateBounds();
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(GetFont()->GetHandle()), 1);
  if (GetAutoSize()) AdjustSize();
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  HWND wnd = ::CreateWindowExW(params.ExStyle, params.WinClassName.c_str(),
                               params.Caption.c_str(), params.Style, params.X, params.Y,
                               params.Width, params.Height, params.WndParent, nullptr,
                               params.WindowClass.hInstance, params.Param);
  FHandle = wnd;
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  if (GetParent())
    ::SetWindowPos(FHandle, GetParent()->PrecedingWindow(this), 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (int i = 0; i < GetControlCount(); ++i)
    if (TControl* child = GetControl(i)) child->UpdateAnchorRules();
}

void TWinControl::DestroyWnd() {
  SetStoredText(GetText());
  FreeDeviceContexts(FHandle);
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  SetControlState(GetControlState() + TControlState{csDestroyingHandle});
  const BOOL destroyed = ::DestroyWindow(FHandle);
  SetControlState(GetControlState() - TControlState{csDestroyingHandle});
  if (!destroyed) RaiseLastOSError();
  FHandle = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  SetControlState(GetControlState() + TControlState{csDestroyingHandle});
  try {
    const std::vector<TWinControl*> children = FWinControls;
    for (TWinControl* child : children) child->DestroyHandle();
    DestroyWnd();
  } catch (...) {
    SetControlState(GetControlState() - TControlState{csDestroyingHandle});
    throw;
  }
  SetControlState(GetControlState() - TControlState{csDestroyingHandle});
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  const bool wasFocused = Focused();
  DestroyHandle();
  UpdateControlState();
  if (wasFocused && FHandle) ::SetFocus(FHandle);
}

void TWinControl::SetParentWindow(HWND value) {
  if (GetParent() || FParentWindow == value) return;
  if (FHandle && FParentWindow && value) {
    FParentWindow = value;
    ::SetParent(FHandle, value);
  } else {
    DestroyHandle();
    FParentWindow = value;
  }
  UpdateControlState();
}

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  RECT r{};
  if (::IsIconic(FHandle)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(FHandle, &placement);
    r = placement.rcNormalPosition;
  } else {
    ::GetWindowRect(FHandle, &r);
    if (::GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) {
      if (HWND parent = ::GetParent(FHandle))
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    }
  }
  UpdateBoundsRect(r);
}

TRect TWinControl::GetClientRect() {
  if (!FHandle) return ClientRectFromStyle(false);
  RECT r{};
  ::GetClientRect(FHandle, &r);
  return r;
}

RECT WindowFrameOfStyle(DWORD style, DWORD exStyle, bool hasMenu) {
  constexpr DWORD kFrameStyles = WS_BORDER | WS_DLGFRAME | WS_THICKFRAME;
  constexpr DWORD kFrameExStyles =
      WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;
  RECT frame{0, 0, 0, 0};
  if (!hasMenu && !(style & kFrameStyles) && !(exStyle & kFrameExStyles)) return frame;
  if (!::AdjustWindowRectEx(&frame, style & ~static_cast<DWORD>(WS_VISIBLE), hasMenu, exStyle))
    return RECT{0, 0, 0, 0};
  return frame;
}

// The frame is what AdjustWindowRectEx adds for the styles CreateParams gives, plus the scroll
// bars the styles ask for; so ClientWidth and ClientHeight mean the same before the window
// exists as after.
TRect TWinControl::ClientRectFromStyle(bool hasMenu) {
  TCreateParams params;
  FMeasuringFrame = true;
  try {
    CreateParams(params);
  } catch (...) {
    FMeasuringFrame = false;
    throw;
  }
  FMeasuringFrame = false;
  const RECT frame = WindowFrameOfStyle(params.Style, params.ExStyle, hasMenu);
  int width = GetWidth() - (frame.right - frame.left);
  int height = GetHeight() - (frame.bottom - frame.top);
  if (params.Style & WS_VSCROLL) width -= ::GetSystemMetrics(SM_CXVSCROLL);
  if (params.Style & WS_HSCROLL) height -= ::GetSystemMetrics(SM_CYHSCROLL);
  return Rect(0, 0, std::max(width, 0), std::max(height, 0));
}

TPoint TWinControl::GetClientOrigin() {
  POINT origin{0, 0};
  ::ClientToScreen(GetHandle(), &origin);
  return origin;
}

HDC TWinControl::GetDeviceContext(HWND& windowHandle) {
  HDC dc = ::GetDC(GetHandle());
  if (!dc) throw EOutOfResources(L"Error creating window device context");
  windowHandle = FHandle;
  return dc;
}

// ---- Children -----------------------------------------------------------------------------------

int TWinControl::GetControlCount() const {
  return static_cast<int>(FControls.size() + FWinControls.size());
}

TControl* TWinControl::GetControl(int index) const {
  if (index < 0) return nullptr;
  const size_t i = static_cast<size_t>(index);
  if (i < FControls.size()) return FControls[i];
  if (i - FControls.size() < FWinControls.size()) return FWinControls[i - FControls.size()];
  return nullptr;
}

void TWinControl::Insert(TControl* control) {
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    FWinControls.push_back(windowed);
    FTabList.push_back(windowed);
  } else {
    FControls.push_back(control);
  }
  control->FParent = this;
  if (control->TakesAlignWork()) ++FAlignWorkChildren;
}

void TWinControl::Remove(TControl* control) {
  // From the end, where the newest children are and where freeing starts.
  const auto drop = [control](auto& list) {
    const auto it = std::find(list.rbegin(), list.rend(), control);
    if (it != list.rend()) list.erase(std::next(it).base());
  };
  drop(FControls);
  drop(FWinControls);
  drop(FTabList);
  if (control->TakesAlignWork()) --FAlignWorkChildren;
  control->FParent = nullptr;
}

void TWinControl::InsertControl(TControl* control) {
  if (!control || control->FParent == this) return;
  if (control->FParent) control->FParent->RemoveControl(control);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), TRUE);
  Insert(control);
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    if (windowed->FParentWindow) {
      windowed->DestroyHandle();
      windowed->FParentWindow = nullptr;
    }
  }
  if (!control->GetComponentState().Contains(csReading)) {
    control->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    control->Perform(CM_PARENTFONTCHANGED, 0, 0);
    control->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    control->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    control->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
      windowed->UpdateControlState();
    else if (HandleAllocated())
      control->Invalidate();
    AlignControl(control);
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), TRUE);
}

void TWinControl::RemoveControl(TControl* control) {
  if (!control || control->FParent != this) return;
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), FALSE);
  const auto windowed = std::find(FWinControls.begin(), FWinControls.end(), control);
  if (windowed != FWinControls.end()) {
    TWinControl* child = *windowed;
    child->RemoveFocus(true);
    child->DestroyHandle();
  } else {
    FreeControlDC(control);
    if (HandleAllocated()) control->InvalidateControl(control->GetVisible(), false);
  }
  Remove(control);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), FALSE);
  Realign();
}

void TWinControl::SetChildOrder(TComponent* child, int order) {
  if (auto* control = dynamic_cast<TControl*>(child); control && control->FParent == this)
    control->SetZOrderPosition(order);
}

HWND TWinControl::PrecedingWindow(TWinControl* control) const {
  const auto it = std::find(FWinControls.begin(), FWinControls.end(), control);
  if (it != FWinControls.end()) {
    for (auto next = it + 1; next != FWinControls.end(); ++next)
      if ((*next)->FHandle) return (*next)->FHandle;
  }
  return HWND_TOP;
}

void TWinControl::SetZOrder(bool topMost) {
  if (GetParent()) {
    SetZOrderPosition(topMost ? static_cast<int>(GetParent()->FWinControls.size()) - 1 : 0);
  } else if (FHandle) {
    // A window already on top and active (a form just shown) has nothing to gain: the
    // call would cost a round trip to the display for nothing.
    if (topMost && ::GetTopWindow(nullptr) == FHandle && ::GetActiveWindow() == FHandle) return;
    ::SetWindowPos(FHandle, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE);
  }
}

void TWinControl::SetZOrderPosition(int position) {
  TWinControl* parent = GetParent();
  if (!parent) return;
  auto& list = parent->FWinControls;
  const auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  const int count = static_cast<int>(list.size());
  position = Max(0, Min(position, count - 1));
  if (position != static_cast<int>(it - list.begin())) {
    list.erase(it);
    list.insert(list.begin() + position, this);
  }
  if (FHandle)
    ::SetWindowPos(FHandle, parent->PrecedingWindow(this), 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TWinControl::ContainsControl(TControl* control) const {
  for (int depth = 0; control && depth < 1000; ++depth) {
    if (control == this) return true;
    control = control->FParent;
  }
  return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& pos, bool allowDisabled,
                                    bool allowWinControls) {
  const auto hit = [&](TControl* control) {
    const TPoint p(pos.X - control->FLeft, pos.Y - control->FTop);
    return PtInRect(control->GetClientRect(), p) && control->FVisible &&
           (control->GetEnabled() || allowDisabled) &&
           control->Perform(CM_HITTEST, 0, PointToLParam(p)) != 0;
  };
  if (allowWinControls) {
    for (size_t i = FWinControls.size(); i-- > 0;)
      if (i < FWinControls.size() && hit(FWinControls[i])) return FWinControls[i];
  }
  for (size_t i = FControls.size(); i-- > 0;)
    if (i < FControls.size() && hit(FControls[i])) return FControls[i];
  return nullptr;
}

TControl* TWinControl::FindChildControl(const String& controlName) const {
  for (int i = 0; i < GetControlCount(); ++i) {
    TControl* control = GetControl(i);
    if (control && CompareText(control->GetName(), controlName) == 0) return control;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
  for (int i = 0; i < GetControlCount(); ++i) {
    TControl* control = GetControl(i);
    if (!control) break;
    control->FWindowProc(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT msg) {
  TMessage message{msg, 0, 0, 0};
  Broadcast(message);
}

void TWinControl::ShowControl(TControl*) {
  if (GetParent()) GetParent()->ShowControl(this);
}

// ---- Showing ------------------------------------------------------------------------------------------

void TWinControl::UpdateShowing() {
  const TComponentState componentState = GetComponentState();
  const bool show = GetVisible() && !componentState.Contains(csLoading) &&
                    !componentState.Contains(csDestroying) &&
                    !GetControlState().Contains(csReadingState) &&
                    (!GetParent() || GetParent()->FShowing);
  if (show && !FHandle) CreateHandle();
  if (FHandle && FShowing != show) {
    FShowing = show;
    try {
      Perform(CM_SHOWINGCHANGED, 0, 0);
    } catch (...) {
      FShowing = !show;
      throw;
    }
  }
  const std::vector<TWinControl*> children = FWinControls;
  for (TWinControl* child : children)
    if (child->FParent == this) child->UpdateShowing();
}

void TWinControl::UpdateControlState() {
  TWinControl* control = this;
  while (control->GetParent()) {
    control = control->GetParent();
    if (!control->FShowing) return;
  }
  if (control->IsTopLevelControl() || control->FParentWindow) UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&) {
  const UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
  ::SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, flags);
}

void TWinControl::CMVisibleChanged(TMessage&) {
  if (!GetVisible() && GetParent()) RemoveFocus(false);
  UpdateControlState();
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!GetEnabled() && GetParent()) RemoveFocus(false);
  if (FHandle) ::EnableWindow(FHandle, GetEnabled() ? TRUE : FALSE);
  Invalidate();
}

void TWinControl::CMColorChanged(TMessage& message) {
  inherited::CMColorChanged(message);
  FBrush->SetColor(GetColor());
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(GetFont()->GetHandle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMCtl3DChanged(TMessage& message) {
  inherited::CMCtl3DChanged(message);
  NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMShowHintChanged(TMessage&) { NotifyControls(CM_PARENTSHOWHINTCHANGED); }

void TWinControl::CMBiDiModeChanged(TMessage& message) {
  inherited::CMBiDiModeChanged(message);
  NotifyControls(CM_PARENTBIDIMODECHANGED);
}

void TWinControl::CMSysColorChange(TMessage& message) { Broadcast(message); }

void TWinControl::WMSysColorChange(TMessage& message) {
  DefaultHandler(message);
  Perform(CM_SYSCOLORCHANGE, 0, 0);
}

void TWinControl::Loaded() {
  inherited::Loaded();
  FixupTabList();
  UpdateControlState();
  Realign();
}

// ---- Message procedure ------------------------------------------------------------------------------

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_SETFOCUS: {
      TWinControl* root = RootParent(this);
      if (root && !root->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (GetControlState().Contains(csFocusing)) return;
      break;
    case WM_NCHITTEST: {
      inherited::WndProc(message);
      if (message.Result == HTTRANSPARENT && FHandle) {
        POINT p = LParamToPoint(message.LParam);
        ::ScreenToClient(FHandle, &p);
        if (ControlAtPos(p, false)) message.Result = HTCLIENT;
      }
      return;
    }
    case WM_CANCELMODE: {
      TControl* captured = CaptureControlRef();
      if (FHandle && ::GetCapture() == FHandle && captured && captured->GetParent() == this)
        captured->Perform(WM_CANCELMODE, 0, 0);
      break;
    }
    default:
      if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST &&
          message.Msg != WM_MOUSEWHEEL && message.Msg != WM_MOUSEHWHEEL) {
        const std::weak_ptr<int> alive = GetLifeToken();
        if (message.Msg == WM_MOUSEMOVE && FHandle) TrackMouseMove(message);
        if (alive.expired()) return;
        if (IsControlMouseMsg(message)) {
          // The message went to a windowless child; the window still does the system's
          // part (WM_RBUTTONUP makes WM_CONTEXTMENU), unless the child answered it.
          if (message.Result == 0 && !alive.expired() && FHandle)
            ::DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
          return;
        }
      } else if (message.Msg >= WM_KEYFIRST && message.Msg <= WM_KEYLAST) {
        if (Dragging()) return;
      }
      break;
  }
  inherited::WndProc(message);
}

void TWinControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT: WMPaint(message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); break;
    case WM_COMMAND: WMCommand(message); break;
    case WM_NOTIFY: WMNotify(message); break;
    case WM_DRAWITEM: WMDrawItem(message); break;
    case WM_MEASUREITEM: WMMeasureItem(message); break;
    case WM_COMPAREITEM: WMCompareItem(message); break;
    case WM_DELETEITEM: WMDeleteItem(message); break;
    case WM_CHARTOITEM: WMCharToItem(message); break;
    case WM_VKEYTOITEM: WMVKeyToItem(message); break;
    case WM_HSCROLL: WMHScroll(message); break;
    case WM_VSCROLL: WMVScroll(message); break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: WMCtlColor(message); break;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: CNCtlColor(message); break;
    case WM_SIZE: WMSize(message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(message); break;
    case WM_WINDOWPOSCHANGING: WMWindowPosChanging(message); break;
    case WM_SETCURSOR: WMSetCursor(message); break;
    case WM_SETFOCUS: WMSetFocus(message); break;
    case WM_KILLFOCUS: WMKillFocus(message); break;
    case WM_KEYDOWN: WMKeyDown(message); break;
    case WM_KEYUP: WMKeyUp(message); break;
    case WM_CHAR: WMChar(message); break;
    case WM_SYSKEYDOWN: WMSysKeyDown(message); break;
    case WM_SYSKEYUP: WMSysKeyUp(message); break;
    case WM_SYSCHAR: WMSysChar(message); break;
    case WM_NCHITTEST: WMNCHitTest(message); break;
    case WM_CONTEXTMENU: WMContextMenu(message); break;
    case WM_MOUSELEAVE: WMMouseLeave(message); break;
    case WM_SYSCOLORCHANGE: WMSysColorChange(message); break;
    case WM_THEMECHANGED:
      TellWindowlessControls(FControls, WM_THEMECHANGED);
      DefaultHandler(message);
      break;
    case WM_DESTROY: WMDestroy(message); break;
    case WM_NCDESTROY: WMNCDestroy(message); break;
    case CN_KEYDOWN: CNKeyDown(message); break;
    case CN_KEYUP: CNKeyUp(message); break;
    case CN_CHAR: CNChar(message); break;
    case CN_SYSKEYDOWN: CNSysKeyDown(message); break;
    case CN_SYSCHAR: CNSysChar(message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(message); break;
    case CM_DIALOGKEY: CMDialogKey(message); break;
    case CM_DIALOGCHAR: CMDialogChar(message); break;
    case CM_CHILDKEY: CMChildKey(message); break;
    case CM_ENTER: CMEnter(message); break;
    case CM_EXIT: CMExit(message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(message); break;
    case CM_INVALIDATE: CMInvalidate(message); break;
    case CM_RECREATEWND: CMRecreateWnd(message); break;
    case CM_TABSTOPCHANGED: CMTabStopChanged(message); break;
    default: inherited::Dispatch(message); break;
  }
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (!FHandle) {
    inherited::DefaultHandler(message);
    return;
  }
  if (message.Msg == WM_CONTEXTMENU && GetParent()) {
    message.Result = GetParent()->Perform(message.Msg, message.WParam, message.LParam);
    if (message.Result != 0) return;
  }
  message.Result = ::CallWindowProcW(FDefWndProc ? FDefWndProc : ::DefWindowProcW, FHandle,
                                     message.Msg, message.WParam, message.LParam);
}

void TWinControl::WMDestroy(TMessage& message) {
  // Keep the text also when the system destroys the window (with its parent, say).
  SetStoredText(GetText());
  DefaultHandler(message);
}

void TWinControl::WMNCDestroy(TMessage& message) {
  const HWND wnd = FHandle;
  DefaultHandler(message);
  if (wnd && TrackedWindowRef() == wnd) TrackedWindowRef() = nullptr;
  FHandle = nullptr;
  FShowing = false;
}

// ---- Reflection --------------------------------------------------------------------------------------

bool TWinControl::DoControlMsg(HWND control, TMessage& message) {
  TWinControl* target = FindControl(control);
  if (!target) return false;
  message.Result = target->Perform(message.Msg + CN_BASE, message.WParam, message.LParam);
  return true;
}

void TWinControl::WMCommand(TMessage& message) {
  if (!DoControlMsg(TWMCommand(message).GetCtl(), message)) DefaultHandler(message);
}

void TWinControl::WMNotify(TMessage& message) {
  const NMHDR* header = TWMNotify(message).GetNMHdr();
  if (!header || !DoControlMsg(header->hwndFrom, message)) DefaultHandler(message);
}

void TWinControl::WMDrawItem(TMessage& message) {
  const DRAWITEMSTRUCT* item = TWMDrawItem(message).GetDrawItemStruct();
  if (item && item->CtlType != ODT_MENU && DoControlMsg(item->hwndItem, message)) return;
  DefaultHandler(message);
}

void TWinControl::WMMeasureItem(TMessage& message) {
  const MEASUREITEMSTRUCT* item = TWMMeasureItem(message).GetMeasureItemStruct();
  if (item && item->CtlType != ODT_MENU && FHandle) {
    HWND child = ::GetDlgItem(FHandle, static_cast<int>(item->CtlID));
    if (child && DoControlMsg(child, message)) return;
    // A list control asks before its window has its id: it is the one being made.
    if (!child && gCreatingControl && gCreatingControl->GetParent() == this) {
      message.Result =
          gCreatingControl->Perform(CN_MEASUREITEM, message.WParam, message.LParam);
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMCompareItem(TMessage& message) {
  const auto* item = reinterpret_cast<const COMPAREITEMSTRUCT*>(message.LParam);
  if (!item || !DoControlMsg(item->hwndItem, message)) DefaultHandler(message);
}

void TWinControl::WMDeleteItem(TMessage& message) {
  const auto* item = reinterpret_cast<const DELETEITEMSTRUCT*>(message.LParam);
  if (!item || !DoControlMsg(item->hwndItem, message)) DefaultHandler(message);
}

void TWinControl::WMCharToItem(TMessage& message) {
  if (!DoControlMsg(reinterpret_cast<HWND>(message.LParam), message)) DefaultHandler(message);
}

void TWinControl::WMVKeyToItem(TMessage& message) {
  if (!DoControlMsg(reinterpret_cast<HWND>(message.LParam), message)) DefaultHandler(message);
}

void TWinControl::WMHScroll(TMessage& message) {
  if (!DoControlMsg(TWMScroll(message).GetScrollBar(), message)) DefaultHandler(message);
}

void TWinControl::WMVScroll(TMessage& message) {
  if (!DoControlMsg(TWMScroll(message).GetScrollBar(), message)) DefaultHandler(message);
}

void TWinControl::WMCtlColor(TMessage& message) {
  if (!DoControlMsg(TWMCtlColor(message).GetChildWnd(), message)) DefaultHandler(message);
}

void TWinControl::CNCtlColor(TMessage& message) {
  const HDC dc = TWMCtlColor(message).GetChildDC();
  ::SetTextColor(dc, ColorToRGB(GetFont()->GetColor()));
  ::SetBkColor(dc, ColorToRGB(FBrush->GetColor()));
  message.Result = reinterpret_cast<LRESULT>(FBrush->GetHandle());
}

// ---- Size and position -------------------------------------------------------------------------------

void TWinControl::WMSize(TMessage& message) {
  UpdateBounds();
  DefaultHandler(message);
  Realign();
  if (!GetComponentState().Contains(csLoading)) Resize();
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  const WINDOWPOS* pos = TWMWindowPosMsg(message).GetWindowPos();
  if (!pos) {
    DefaultHandler(message);
    return;
  }
  const bool framed = GetCtl3D() && GetControlStyle().Contains(csFramed) && GetParent() &&
                      !(pos->flags & SWP_NOREDRAW);
  const bool visible = FHandle && ::IsWindowVisible(FHandle);
  const bool moved = !(pos->flags & SWP_NOMOVE) && visible;
  const bool sized = !(pos->flags & SWP_NOSIZE) && visible;
  const auto invalidateFrame = [this]() {
    if (!GetParent() || !GetParent()->FHandle) return;
    TRect r = GetBoundsRect();
    InflateRect(r, 1, 1);
    const RECT rect = r;
    ::InvalidateRect(GetParent()->FHandle, &rect, TRUE);
  };
  if (framed && (moved || sized)) invalidateFrame();
  if (!GetControlState().Contains(csDestroyingHandle)) UpdateBounds();
  DefaultHandler(message);
  if (framed && (moved || sized || (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))))
    invalidateFrame();
}

void TWinControl::WMWindowPosChanging(TMessage& message) {
  WINDOWPOS* pos = TWMWindowPosMsg(message).GetWindowPos();
  const TComponentState state = GetComponentState();
  if (pos && !state.Contains(csReading) && !state.Contains(csDestroying) &&
      !(pos->flags & SWP_NOSIZE)) {
    int width = pos->cx;
    int height = pos->cy;
    if (!CheckNewSize(width, height))
      pos->flags |= SWP_NOSIZE;
    else {
      pos->cx = width;
      pos->cy = height;
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMSetCursor(TMessage& message) {
  const TWMSetCursor setCursor(message);
  if (setCursor.GetCursorWnd() == FHandle && setCursor.GetHitTest() == HTCLIENT) {
    const TControlHooks& hooks = ControlHooks();
    TCursor cursor = hooks.ScreenCursor ? hooks.ScreenCursor() : crDefault;
    if (cursor == crDefault) {
      POINT p{};
      ::GetCursorPos(&p);
      ::ScreenToClient(FHandle, &p);
      if (TControl* control = ControlAtPos(p, false)) cursor = control->GetCursor();
      if (cursor == crDefault) cursor = GetCursor();
    }
    if (cursor != crDefault) {
      ::SetCursor(hooks.CursorHandle ? hooks.CursorHandle(cursor) : StandardCursorHandle(cursor));
      message.Result = 1;
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMNCHitTest(TMessage& message) { DefaultHandler(message); }

// ---- Utility windows ------------------------------------------------------------------------------------

namespace {

const wchar_t* const UtilWindowClass = L"ExamPrepUtilWindow";

LRESULT CALLBACK UtilWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* method = reinterpret_cast<TWndMethod*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!method || !*method) return ::DefWindowProcW(wnd, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  try {
    (*method)(message);
  } catch (...) {
    ApplicationHandleException(nullptr);
  }
  return message.Result;
}

bool RegisterUtilWindowClass() {
  WNDCLASSW registered{};
  if (::GetClassInfoW(ModuleInstance(), UtilWindowClass, &registered)) return true;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = UtilWindowProc;
  windowClass.hInstance = ModuleInstance();
  windowClass.lpszClassName = UtilWindowClass;
  return ::RegisterClassW(&windowClass) != 0;
}

}  // namespace

HWND AllocateHWnd(TWndMethod method) {
  if (!RegisterUtilWindowClass()) RaiseLastOSError();
  HWND wnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, UtilWindowClass, L"", WS_POPUP, 0, 0, 0, 0,
                               nullptr, nullptr, ModuleInstance(), nullptr);
  if (!wnd) RaiseLastOSError();
  auto holder = std::make_unique<TWndMethod>(std::move(method));
  ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(holder.release()));
  return wnd;
}

void DeallocateHWnd(HWND wnd) {
  if (!wnd) return;
  std::unique_ptr<TWndMethod> holder(
      reinterpret_cast<TWndMethod*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA)));
  ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
  ::DestroyWindow(wnd);
}
