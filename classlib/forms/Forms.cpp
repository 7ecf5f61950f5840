// TCustomForm: a top-level window of the program with its border, position, window state,
// modal loop, closing rules, activation and focus bookkeeping, MDI frame and children.
#include "Forms.h"
#include <algorithm>
#include "../controls/ActnList.h"
#include "../controls/ControlPaint.h"
#include "../controls/Menus.h"
#include "FormsInternal.h"
#include "HintWindow.h"
#include "ModuleEvents.h"
#include "OleForm.h"
#include "Scaling.h"

using namespace forms_internal;

namespace {

constexpr const wchar_t* SCannotFocus = L"Cannot focus a disabled or invisible window";
constexpr const wchar_t* SCannotShowModal = L"Cannot make a visible window modal";
constexpr const wchar_t* SVisibleChanged = L"Cannot change Visible in OnShow or OnHide";
constexpr const wchar_t* SNoMDIForm = L"Cannot create form. No MDI forms are currently active";
constexpr UINT MDIFirstChildId = 0xFF00;  // command ids of the MDI children's window menu

TLayoutReader& LayoutReader() {
  static TLayoutReader reader;
  return reader;
}

// The show command of each window state.
int ShowCommand(TWindowState state) {
  switch (state) {
    case wsMinimized: return SW_SHOWMINNOACTIVE;
    case wsMaximized: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
  }
}

}  // namespace

// ---- Shared helpers -------------------------------------------------------------------------------

void ScaleControl(TControl* control, int m, int d) {
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (windowed) {
    windowed->DisableAlign();
    for (int i = 0; i < windowed->GetControlCount(); ++i)
      if (TControl* child = windowed->GetControl(i)) ScaleControl(child, m, d);
  }
  TSizeConstraints* constraints = control->GetConstraints();
  if (constraints) {
    constraints->SetMinWidth(::MulDiv(constraints->GetMinWidth(), m, d));
    constraints->SetMinHeight(::MulDiv(constraints->GetMinHeight(), m, d));
    constraints->SetMaxWidth(::MulDiv(constraints->GetMaxWidth(), m, d));
    constraints->SetMaxHeight(::MulDiv(constraints->GetMaxHeight(), m, d));
  }
  const TControlStyle style = control->GetControlStyle();
  const int left = control->GetLeft();
  const int top = control->GetTop();
  const int x = ::MulDiv(left, m, d);
  const int y = ::MulDiv(top, m, d);
  const int width = style.Contains(csFixedWidth)
                        ? control->GetWidth()
                        : ::MulDiv(left + control->GetWidth(), m, d) - x;
  const int height = style.Contains(csFixedHeight)
                         ? control->GetHeight()
                         : ::MulDiv(top + control->GetHeight(), m, d) - y;
  control->SetBounds(x, y, width, height);
  if (!control->GetParentFont())
    control->GetFont()->SetSize(::MulDiv(control->GetFont()->GetSize(), m, d));
  if (windowed) windowed->EnableAlign();
}

namespace {

BOOL CALLBACK CollectEnabledWindow(HWND wnd, LPARAM param) {
  if (::IsWindowVisible(wnd) && ::IsWindowEnabled(wnd))
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
  return TRUE;
}

struct TTopMostSearch {
  HWND Exclude;
  HWND Skip1;
  HWND Skip2;
  HWND Found;
};

BOOL CALLBACK FindTopMostProc(HWND wnd, LPARAM param) {
  auto* s = reinterpret_cast<TTopMostSearch*>(param);
  if (wnd != s->Exclude && wnd != s->Skip1 && wnd != s->Skip2 && ::IsWindowVisible(wnd) &&
      ::IsWindowEnabled(wnd)) {
    s->Found = wnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

namespace forms_internal {

TTaskWindowList::TTaskWindowList() {
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabledWindow,
                      reinterpret_cast<LPARAM>(&FWindows));
  for (HWND wnd : FWindows) ::EnableWindow(wnd, FALSE);
}

void TTaskWindowList::Enable() {
  for (HWND wnd : FWindows)
    if (::IsWindow(wnd)) ::EnableWindow(wnd, TRUE);
  FWindows.clear();
}

HWND FindTopMostWindow(HWND exclude) {
  TTopMostSearch search{exclude, nullptr, nullptr, nullptr};
  if (Application && Application->HandleAllocated()) search.Skip1 = Application->GetHandle();
  if (Application && Application->GetHintWindow() &&
      Application->GetHintWindow()->HandleAllocated())
    search.Skip2 = Application->GetHintWindow()->GetHandle();
  ::EnumThreadWindows(::GetCurrentThreadId(), FindTopMostProc,
                      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

int& FocusCount() {
  static int count = 0;
  return count;
}

}  // namespace forms_internal

// ---- Free functions -----------------------------------------------------------------------------

TCustomForm* GetParentForm(TControl* control) {
  if (!control) return nullptr;
  for (int depth = 0; control->GetParent() && depth < 1000; ++depth)
    control = control->GetParent();
  return dynamic_cast<TCustomForm*>(control);
}

void SetLayoutReader(TLayoutReader reader) { LayoutReader() = std::move(reader); }

// ---- Construction --------------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* owner)
    : TScrollingWinControl(owner),
      FIcon(std::make_unique<TIcon>()),
      FCanvas(std::make_unique<TControlCanvas>()) {
  FIcon->OnChange = [this](TObject* sender) { IconChanged(sender); };
  FCanvas->SetControlDC(
      [this]() -> HDC {
        HWND window = nullptr;
        HDC dc = GetDeviceContext(window);
        FCanvasWindow = window;
        return dc;
      },
      [this](HDC dc) {
        ::ReleaseDC(FCanvasWindow, dc);
        FCanvasWindow = nullptr;
      });
  SetControlStyle(
      TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
  SetParentColor(false);
  SetParentFont(false);
  SetColor(clBtnFace);
  if (Screen) {
    FPixelsPerInch = Screen->GetPixelsPerInch();
    Screen->AddForm(this);
  }
}

TCustomForm::~TCustomForm() {
  Destroying();
  DoDestroy();
  if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
  if (Screen) Screen->RemoveForm(this);
  // The window goes now, while the form's own handlers and members still exist.
  try {
    if (HandleAllocated()) DestroyHandle();
  } catch (...) {
    ApplicationHandleException(nullptr);
  }
  FCanvas->FreeHandle();
  if (FOleForm) FOleForm->Detach();
  if (FMenu) FMenu->RemoveFreeNotification(this);
}

void TCustomForm::AfterConstruction() {
  FFormState.Exclude(fsCreating);
  if (FCreated) return;
  FCreated = true;
  DoCreate();
}

void TCustomForm::DoCreate() { NotifyHandlingExceptions(FOnCreate, this); }

void TCustomForm::DoDestroy() { NotifyOnce(FDestroyed, FOnDestroy, this); }

bool TCustomForm::LoadLayout() {
  const TLayoutReader& reader = LayoutReader();
  return reader && reader(this);
}

void TCustomForm::Loaded() {
  // The menu is known only now that references are resolved.
  if (FReadClientWidth > 0) inherited::SetClientWidth(FReadClientWidth);
  if (FReadClientHeight > 0) inherited::SetClientHeight(FReadClientHeight);
  FReadClientWidth = 0;
  FReadClientHeight = 0;
  inherited::Loaded();
  const int screenPixels = Screen ? Screen->GetPixelsPerInch() : FPixelsPerInch;
  if (FScaled && FPixelsPerInch > 0 && FPixelsPerInch != screenPixels)
    ScaleBy(screenPixels, FPixelsPerInch);
  FPixelsPerInch = screenPixels;
}

TRect TCustomForm::GetClientRect() {
  if (HandleAllocated() || GetParent()) return inherited::GetClientRect();
  return ClientRectFromStyle(FMenu != nullptr);
}

void TCustomForm::SetClientWidth(int value) {
  if (GetControlState().Contains(csReadingState))
    FReadClientWidth = value;
  else
    inherited::SetClientWidth(value);
}

void TCustomForm::SetClientHeight(int value) {
  if (GetControlState().Contains(csReadingState))
    FReadClientHeight = value;
  else
    inherited::SetClientHeight(value);
}

// ---- Appearance ---------------------------------------------------------------------------------------

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (FBorderStyle == value) return;
  FBorderStyle = value;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (FBorderIcons == value) return;
  FBorderIcons = value;
  RecreateWnd();
}

void TCustomForm::SetPosition(TPosition value) { FPosition = value; }

void TCustomForm::SetWindowState(TWindowState value) {
  if (FWindowState == value) return;
  FWindowState = value;
  if (HandleAllocated() && GetShowing()) ::ShowWindow(GetHandle(), ShowCommand(value));
}

void TCustomForm::SetFormStyle(TFormStyle value) {
  if (FFormStyle == value) return;
  if (value == fsMDIChild &&
      !(Application && Application->GetMainForm() &&
        Application->GetMainForm()->GetFormStyle() == fsMDIForm))
    throw EInvalidOperation(SNoMDIForm);
  const TFormStyle old = FFormStyle;
  FFormStyle = value;
  if (!HandleAllocated()) return;
  if (old == fsMDIChild || old == fsMDIForm || value == fsMDIChild || value == fsMDIForm) {
    RecreateWnd();
  } else if (!GetParent()) {
    ::SetWindowPos(GetHandle(), value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0,
                   0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TCustomForm::SetIcon(TIcon* value) { FIcon->Assign(value); }

void TCustomForm::IconChanged(TObject*) {
  if (!GetComponentState().Contains(csDestroying)) Perform(CM_ICONCHANGED, 0, 0);
}

HICON TCustomForm::WindowIcon() {
  try {
    if (!FIcon->GetEmpty()) return FIcon->GetHandle();
    if (Application && !Application->GetIcon()->GetEmpty())
      return Application->GetIcon()->GetHandle();
  } catch (const EInvalidGraphic&) {
    // A damaged icon shows as no icon rather than failing the window.
  }
  return nullptr;
}

void TCustomForm::CMIconChanged(TMessage&) {
  if (!HandleAllocated()) return;
  const LPARAM icon = reinterpret_cast<LPARAM>(WindowIcon());
  ::SendMessageW(GetHandle(), WM_SETICON, ICON_BIG, icon);
  ::SendMessageW(GetHandle(), WM_SETICON, ICON_SMALL, icon);
}

void TCustomForm::SetMenu(TMainMenu* value) {
  if (FMenu == value) return;
  if (FMenu) {
    if (HandleAllocated() && FMenu->GetWindowHandle() == GetHandle()) {
      ::SetMenu(GetHandle(), nullptr);
      FMenu->SetWindowHandle(nullptr);
    }
    FMenu->RemoveFreeNotification(this);
  }
  FMenu = value;
  if (!FMenu) return;
  FMenu->FreeNotification(this);
  if (HandleAllocated() && FFormStyle != fsMDIChild) {
    ::SetMenu(GetHandle(), FMenu->GetHandle());
    FMenu->SetWindowHandle(GetHandle());
  }
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FMenu) {
    if (HandleAllocated()) ::SetMenu(GetHandle(), nullptr);
    FMenu = nullptr;
  }
  if (component == FActiveControl) FActiveControl = nullptr;
  if (component == FActiveOleControl) FActiveOleControl = nullptr;
}

TOleForm* TCustomForm::GetOleFormObject() {
  if (!FOleForm) FOleForm = new TOleForm(this);
  return FOleForm;
}

void TCustomForm::SetActiveOleControl(TWinControl* control) {
  if (FActiveOleControl == control) return;
  TWinControl* previous = FActiveOleControl;
  FActiveOleControl = control;
  if (control) control->FreeNotification(this);
  // The object active in the control before gives up its user interface.
  if (previous) previous->Perform(CM_UIDEACTIVATE, 0, 0);
}

void TCustomForm::SetPixelsPerInch(int value) {
  if (value >= 36) FPixelsPerInch = value;
}

// ---- Scaling ------------------------------------------------------------------------------------------

void TCustomForm::ScaleBy(int m, int d) {
  if (m == d || d == 0 || m == 0) return;
  const bool visible = HandleAllocated() && ::IsWindowVisible(GetHandle());
  constexpr UINT quiet = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  if (visible) ::SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0, quiet | SWP_HIDEWINDOW);
  const TRect bounds = GetBoundsRect();
  ChangeScale(m, d);
  SetBounds(bounds.Left, bounds.Top, GetWidth(), GetHeight());
  if (visible) ::SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0, quiet | SWP_SHOWWINDOW);
}

void TCustomForm::ChangeScale(int m, int d) {
  DisableAlign();
  try {
    for (int i = 0; i < GetControlCount(); ++i)
      if (TControl* child = GetControl(i)) ScaleControl(child, m, d);
    const int clientWidth = GetClientWidth();
    const int clientHeight = GetClientHeight();
    SetClientWidth(::MulDiv(clientWidth, m, d));
    SetClientHeight(::MulDiv(clientHeight, m, d));
    if (!GetParentFont()) GetFont()->SetSize(::MulDiv(GetFont()->GetSize(), m, d));
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
}

// ---- Window ----------------------------------------------------------------------------------------------

bool TCustomForm::IsMainForm() const { return Application && Application->FMainForm == this; }

void TCustomForm::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style &= ~static_cast<DWORD>(WS_VISIBLE);
  params.WindowClass.style = CS_DBLCLKS;
  const bool topLevel = !GetParent() && !GetParentWindow();
  if (!GetParent()) {
    params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_GROUP | WS_TABSTOP);
    if (topLevel) params.WndParent = Application ? Application->GetHandle() : nullptr;
    if (FPosition == poDefault || FPosition == poDefaultPosOnly) {
      params.X = CW_USEDEFAULT;
      params.Y = CW_USEDEFAULT;
    }
    if (FPosition == poDefault || FPosition == poDefaultSizeOnly) {
      params.Width = CW_USEDEFAULT;
      params.Height = CW_USEDEFAULT;
    }
  }
  const bool tool = FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin;
  switch (FBorderStyle) {
    case bsNone:
      if (topLevel) params.Style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow: params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable:
    case bsSizeToolWin: params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION;
      params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      params.WindowClass.style |= CS_SAVEBITS | CS_BYTEALIGNWINDOW;
      break;
  }
  if (tool) params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FBorderStyle != bsNone) {
    TBorderIcons icons = FBorderIcons;
    if (FBorderStyle == bsDialog || FBorderStyle == bsToolWindow)
      icons = icons * TBorderIcons{biSystemMenu, biHelp};
    else if (FBorderStyle == bsSizeToolWin)
      icons = icons * TBorderIcons{biSystemMenu};
    if (icons.Contains(biSystemMenu)) params.Style |= WS_SYSMENU;
    if (icons.Contains(biMinimize)) params.Style |= WS_MINIMIZEBOX;
    if (icons.Contains(biMaximize)) params.Style |= WS_MAXIMIZEBOX;
    if (icons.Contains(biHelp) &&
        (FBorderStyle == bsDialog || !(icons.Contains(biMinimize) || icons.Contains(biMaximize))))
      params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (FFormStyle == fsStayOnTop && topLevel) params.ExStyle |= WS_EX_TOPMOST;
  if (FFormStyle == fsMDIForm) params.Style |= WS_CLIPCHILDREN;
  if (FFormStyle == fsMDIChild && Application && Application->GetMainForm() &&
      Application->GetMainForm()->GetClientHandle()) {
    params.ExStyle |= WS_EX_MDICHILD;
    params.Style |= WS_CHILD | WS_CLIPSIBLINGS;
    params.Style &= ~static_cast<DWORD>(WS_POPUP);
    params.WndParent = Application->GetMainForm()->GetClientHandle();
  }
  if (FWindowState == wsMinimized) params.Style |= WS_MINIMIZE;
  if (FWindowState == wsMaximized) params.Style |= WS_MAXIMIZE;
  // The hidden application window owns the forms, so the main form asks for the taskbar
  // button itself.
  if (IsMainForm() && topLevel) params.ExStyle |= WS_EX_APPWINDOW;
}

void TCustomForm::CreateWnd() {
  inherited::CreateWnd();
  HWND wnd = GetHandle();
  if (::GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_MDICHILD) FFormState.Include(fsCreatedMDIChild);
  if (FFormStyle == fsMDIForm) CreateMDIClient();
  Perform(CM_ICONCHANGED, 0, 0);
  if (FMenu && FFormStyle != fsMDIChild) {
    ::SetMenu(wnd, FMenu->GetHandle());
    FMenu->SetWindowHandle(wnd);
  }
}

void TCustomForm::CreateWindowHandle(const TCreateParams& params) {
  if (FFormStyle == fsMDIChild && !(params.ExStyle & WS_EX_MDICHILD))
    throw EInvalidOperation(SNoMDIForm);
  inherited::CreateWindowHandle(params);
}

void TCustomForm::CreateMDIClient() {
  CLIENTCREATESTRUCT client{};
  client.hWindowMenu = nullptr;
  client.idFirstChild = MDIFirstChildId;
  const TRect area = GetClientRect();
  FClientHandle = ::CreateWindowExW(
      WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
      WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
          WS_HSCROLL | WS_VSCROLL,
      0, 0, area.Width(), area.Height(), GetHandle(), nullptr, ::GetModuleHandleW(nullptr),
      &client);
  if (!FClientHandle) RaiseLastOSError();
}

void TCustomForm::AlignControls(TControl* control, TRect& rect) {
  // Without aligned children the rectangle comes empty: the client then has the whole area.
  const bool whole = rect == TRect();
  inherited::AlignControls(control, rect);
  if (!FClientHandle) return;
  const TRect area = whole ? GetClientRect() : rect;
  ::SetWindowPos(FClientHandle, nullptr, area.Left, area.Top, std::max(0, area.Width()),
                 std::max(0, area.Height()), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::DestroyWnd() {
  FCanvas->FreeHandle();
  inherited::DestroyWnd();
}

void TCustomForm::DestroyWindowHandle() {
  HWND wnd = GetHandle();
  // The menu belongs to the TMainMenu: take it off before the window would destroy it.
  if (FMenu && ::GetMenu(wnd) == FMenu->GetHandle()) ::SetMenu(wnd, nullptr);
  if (FMenu) FMenu->SetWindowHandle(nullptr);
  if (FFormState.Contains(fsCreatedMDIChild)) {
    FFormState.Exclude(fsCreatedMDIChild);
    // An MDI child leaves through its client, which keeps the list of its children.
    if (HWND client = ::GetParent(wnd)) {
      SetControlState(GetControlState() + TControlState{csDestroyingHandle});
      ::SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(wnd), 0);
      SetControlState(GetControlState() - TControlState{csDestroyingHandle});
      if (!HandleAllocated()) return;
    }
  }
  inherited::DestroyWindowHandle();
}

void TCustomForm::WMDestroy(TMessage& message) {
  if (HandleAllocated()) {
    HWND wnd = GetHandle();
    if (FMenu && ::GetMenu(wnd) == FMenu->GetHandle()) ::SetMenu(wnd, nullptr);
  }
  FClientHandle = nullptr;
  inherited::WMDestroy(message);
}

void TCustomForm::DefaultHandler(TMessage& message) {
  if (HandleAllocated() && (FClientHandle || FFormState.Contains(fsCreatedMDIChild))) {
    // The messages MDI frames and children must hand to their own default procedures.
    switch (message.Msg) {
      case WM_COMMAND:
      case WM_MENUCHAR:
      case WM_NCACTIVATE:
      case WM_NEXTMENU:
      case WM_SETFOCUS:
      case WM_SIZE:
      case WM_SYSCOMMAND:
      case WM_GETMINMAXINFO:
      case WM_MOVE:
      case WM_CHILDACTIVATE:
      case WM_SETTEXT:
        if (FClientHandle)
          message.Result = ::DefFrameProcW(GetHandle(), FClientHandle, message.Msg,
                                           message.WParam, message.LParam);
        else
          message.Result =
              ::DefMDIChildProcW(GetHandle(), message.Msg, message.WParam, message.LParam);
        return;
    }
  }
  inherited::DefaultHandler(message);
}

// ---- Painting -------------------------------------------------------------------------------------------

void TCustomForm::PaintWindow(HDC dc) {
  PaintOnCanvas(*FCanvas, dc, [this] { Paint(); });
}

void TCustomForm::WMPaint(TMessage& message) {
  // The form paints itself (OnPaint) even without children.
  PaintWithCustomPaint(*this, [this, &message] { inherited::WMPaint(message); });
}

void TCustomForm::Paint() {
  if (FOnPaint) FOnPaint(this);
}

// ---- Showing --------------------------------------------------------------------------------------------

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::DoShow() {
  if (FOnShow) FOnShow(this);
}

void TCustomForm::DoHide() {
  if (FOnHide) FOnHide(this);
}

void TCustomForm::ApplyPosition() {
  if (FPosition != poScreenCenter && FPosition != poDesktopCenter &&
      FPosition != poMainFormCenter && FPosition != poOwnerFormCenter)
    return;
  int x = 0;
  int y = 0;
  TCustomForm* mainForm = Application ? Application->GetMainForm() : nullptr;
  if (FFormStyle == fsMDIChild && mainForm) {
    x = (mainForm->GetClientWidth() - GetWidth()) / 2;
    y = (mainForm->GetClientHeight() - GetHeight()) / 2;
  } else if (FPosition == poScreenCenter) {
    x = (Screen->GetWidth() - GetWidth()) / 2;
    y = (Screen->GetHeight() - GetHeight()) / 2;
  } else if (FPosition == poDesktopCenter) {
    x = Screen->GetDesktopLeft() + Screen->GetDesktopWidth() / 2 - GetWidth() / 2;
    y = Screen->GetDesktopTop() + Screen->GetDesktopHeight() / 2 - GetHeight() / 2;
  } else {
    TCustomForm* center = mainForm;
    if (FPosition == poOwnerFormCenter)
      if (auto* owner = dynamic_cast<TCustomForm*>(GetOwner())) center = owner;
    if (center && center != this) {
      x = (center->GetWidth() - GetWidth()) / 2 + center->GetLeft();
      y = (center->GetHeight() - GetHeight()) / 2 + center->GetTop();
    } else {
      x = (Screen->GetWidth() - GetWidth()) / 2;
      y = (Screen->GetHeight() - GetHeight()) / 2;
    }
  }
  x = std::max(x, 0);
  y = std::max(y, 0);
  SetBounds(x, y, GetWidth(), GetHeight());
  // Centred once: later showings keep wherever the user moved the form.
  FPosition = poDesigned;
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (FFormState.Contains(fsShowing)) throw EInvalidOperation(SVisibleChanged);
  FFormState.Include(fsShowing);
  struct ShowingScope {
    TFormState& State;
    ~ShowingScope() { State.Exclude(fsShowing); }
  } scope{FFormState};
  HWND wnd = GetHandle();
  if (GetShowing()) {
    try {
      DoShow();
    } catch (...) {
      ApplicationHandleException(this);
    }
    ApplyPosition();
    ::ShowWindow(wnd, ShowCommand(FWindowState));
    if (FFormState.Contains(fsCreatedMDIChild))
      if (HWND client = ::GetParent(wnd))
        ::SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(wnd), 0);
  } else {
    try {
      DoHide();
    } catch (...) {
      ApplicationHandleException(this);
    }
    HWND next = nullptr;
    if (!FFormState.Contains(fsCreatedMDIChild) && ::GetActiveWindow() == wnd &&
        !::IsIconic(wnd))
      next = FindTopMostWindow(wnd);
    if (next) {
      // Hidden without activating anything, then the window that should come next.
      ::SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      ::SetActiveWindow(next);
    } else {
      ::ShowWindow(wnd, SW_HIDE);
    }
  }
}

void TCustomForm::WMSize(TMessage& message) {
  switch (message.WParam) {
    case SIZE_RESTORED: FWindowState = wsNormal; break;
    case SIZE_MINIMIZED: FWindowState = wsMinimized; break;
    case SIZE_MAXIMIZED: FWindowState = wsMaximized; break;
  }
  inherited::WMSize(message);
}

// ---- Closing ------------------------------------------------------------------------------------------------

bool TCustomForm::CloseQuery() {
  if (FFormStyle == fsMDIForm) {
    for (int i = 0; i < GetMDIChildCount(); ++i)
      if (TCustomForm* child = GetMDIChildren(i); child && !child->CloseQuery()) return false;
  }
  bool canClose = true;
  if (FOnCloseQuery) FOnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (FOnClose) FOnClose(this, action);
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  if (FFormStyle == fsMDIChild) action = FBorderIcons.Contains(biMinimize) ? caMinimize : caNone;
  DoClose(action);
  if (action == caNone) return;
  if (IsMainForm())
    Application->Terminate();
  else if (action == caHide)
    Hide();
  else if (action == caMinimize)
    SetWindowState(wsMinimized);
  else
    Release();
}

void TCustomForm::Release() {
  // Freed from the application window's queue, after the messages posted before it; the
  // window handle (rather than the pointer) finds the form then, so a form freed meanwhile
  // is simply not found.
  if (Application) ::PostMessageW(Application->GetHandle(), CM_RELEASE, 0,
                                  reinterpret_cast<LPARAM>(GetHandle()));
}

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone)
      FModalResult = mrNone;
    else if (action == caFree)
      Release();
  } catch (...) {
    FModalResult = mrNone;
    ApplicationHandleException(this);
  }
}

TModalResult TCustomForm::ShowModal() {
  if (GetVisible() || !GetEnabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
    throw EInvalidOperation(SCannotShowModal);
  if (HWND capture = ::GetCapture()) ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
  ::ReleaseCapture();
  TApplication* const app = Application;
  TScreen* const screen = Screen;
  app->ModalStarted();
  const std::weak_ptr<int> alive = GetLifeToken();
  FFormState.Include(fsModal);
  HWND activeWindow = ::GetActiveWindow();
  screen->FSaveFocusedList.insert(screen->FSaveFocusedList.begin(), screen->FFocusedForm);
  screen->FFocusedForm = this;
  const TCursor saveCursor = screen->GetCursor();
  screen->SetCursor(crDefault);
  const int saveCursorCount = screen->FCursorCount;
  TTaskWindowList disabledWindows;
  TModalResult result = mrCancel;
  std::exception_ptr failure;
  try {
    Show();
    FModalResult = mrNone;
    Perform(CM_ACTIVATE, 0, 0);
    // Ends when ModalResult is set (and CloseModal keeps it), when the program is
    // terminated, or when the form is freed meanwhile.
    while (!alive.expired()) {
      try {
        app->HandleMessage();
      } catch (...) {
        app->HandleException(alive.expired() ? nullptr : this);
      }
      if (alive.expired()) break;
      if (app->FTerminated)
        FModalResult = mrCancel;
      else if (FModalResult != mrNone)
        CloseModal();
      if (FModalResult != mrNone) break;
    }
    if (!alive.expired()) {
      result = FModalResult;
      Perform(CM_DEACTIVATE, 0, 0);
      if (::GetActiveWindow() != GetHandle()) activeWindow = nullptr;
    }
  } catch (...) {
    failure = std::current_exception();
  }
  if (!alive.expired()) {
    try {
      Hide();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (screen->FCursorCount == saveCursorCount)
    screen->SetCursor(saveCursor);
  else
    screen->SetCursor(crDefault);
  disabledWindows.Enable();
  if (!screen->FSaveFocusedList.empty()) {
    screen->FFocusedForm = screen->FSaveFocusedList.front();
    screen->FSaveFocusedList.erase(screen->FSaveFocusedList.begin());
  } else {
    screen->FFocusedForm = nullptr;
  }
  if (activeWindow && ::IsWindow(activeWindow)) ::SetActiveWindow(activeWindow);
  if (!alive.expired()) FFormState.Exclude(fsModal);
  app->ModalFinished();
  // This loop took the quit message: it goes back into the queue for the loops outside.
  if (app->FTerminated) ::PostQuitMessage(0);
  if (failure) std::rethrow_exception(failure);
  return result;
}

void TCustomForm::SetModalResult(TModalResult value) {
  FModalResult = value;
  if (value != mrNone && FFormState.Contains(fsModal) && HandleAllocated())
    ::PostMessageW(GetHandle(), WM_NULL, 0, 0);
}

// ---- Activation and focus -------------------------------------------------------------------------------

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (FActiveControl == control) return;
  if (control && !(control != this && GetParentForm(control) == this &&
                   (GetComponentState().Contains(csLoading) || control->CanFocus())))
    throw EInvalidOperation(SCannotFocus);
  FActiveControl = control;
  if (!GetComponentState().Contains(csLoading) && FActive) SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  HWND focus = FActiveControl ? FActiveControl->GetHandle() : GetHandle();
  if (focus) ::SetFocus(focus);
}

void TCustomForm::SetActive(bool value) {
  FActive = value;
  if (!value) return;
  if (!FActiveControl) FActiveControl = FindNextControl(nullptr, true, true, false);
  SetWindowFocus();
}

void TCustomForm::SetFocus() {
  if (FActive) return;
  if (!(GetVisible() && GetEnabled())) throw EInvalidOperation(SCannotFocus);
  SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* control) {
  const bool wasActive = FActive;
  SetActiveControl(control);
  if (!wasActive) SetFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  if (!control) return false;
  const int focusCount = ++FocusCount();
  if (!GetComponentState().Contains(csDestroying) && Screen) {
    FActiveControl = control != this ? control : nullptr;
    Screen->FocusChanged(this, control);
    if (!control->GetControlState().Contains(csFocusing) && Screen->FFocusedForm != this) {
      if (TCustomForm* previous = Screen->FFocusedForm) {
        Screen->FFocusedForm = nullptr;
        previous->Perform(CM_DEACTIVATE, 0, 0);
        if (FocusCount() != focusCount) return false;
      }
      Screen->FFocusedForm = this;
      Perform(CM_ACTIVATE, 0, 0);
      if (FocusCount() != focusCount) return false;
    }
  }
  const bool result = inherited::SetFocusedControl(control);
  if (Screen) Screen->UpdateLastActive();
  return result;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  inherited::DefocusControl(control, removing);
  if (!control) return;
  if (Screen && Screen->FActiveControl && control->ContainsControl(Screen->FActiveControl))
    Screen->FActiveControl = nullptr;
  if (FActiveControl && control->ContainsControl(FActiveControl)) {
    FActiveControl = nullptr;
    if (FActive && HandleAllocated() && !GetComponentState().Contains(csDestroying))
      SetWindowFocus();
  }
}

void TCustomForm::Activate() {
  if (FOnActivate) FOnActivate(this);
}

void TCustomForm::Deactivate() {
  if (FOnDeactivate) FOnDeactivate(this);
}

void TCustomForm::CMActivate(TMessage&) {
  if (GetComponentState().Contains(csDestroying)) return;
  FFormState.Include(fsActivated);
  Activate();
}

void TCustomForm::CMDeactivate(TMessage&) {
  if (GetComponentState().Contains(csDestroying)) return;
  Deactivate();
}

void TCustomForm::WMActivate(TMessage& message) {
  if (GetComponentState().Contains(csDestroying)) {
    DefaultHandler(message);
    return;
  }
  if (FFormStyle == fsMDIForm) {
    DefaultHandler(message);
    return;
  }
  // Not the system's handling: that would focus the form rather than its active control.
  SetActive(LOWORD(message.WParam) != WA_INACTIVE);
}

void TCustomForm::WMMDIActivate(TMessage& message) {
  DefaultHandler(message);
  if (FFormStyle != fsMDIChild || !HandleAllocated()) return;
  const bool active = reinterpret_cast<HWND>(message.LParam) == GetHandle();
  SetActive(active);
  // An object active in place in the child hears of its document window.
  if (FActiveOleControl) FActiveOleControl->Perform(CM_DOCWINDOWACTIVATE, active ? 1 : 0, 0);
}

bool TCustomForm::IsShortCut(TMessage& message) {
  bool handled = false;
  if (FOnShortCut) FOnShortCut(message, handled);
  if (handled) return true;
  const TWMKey key(message);
  if (FMenu && FMenu->GetWindowHandle() && FMenu->IsShortCut(key)) return true;
  for (int i = 0; i < GetComponentCount(); ++i)
    if (auto* list = dynamic_cast<TCustomActionList*>(GetComponent(i)); list && list->IsShortCut(key))
      return true;
  return false;
}

void TCustomForm::CMActionDispatch(TMessage& message) {
  message.Result = 0;
  if (FActiveControl && FActiveControl->Perform(message.Msg, message.WParam, message.LParam) == 1)
    message.Result = 1;
}

// ---- Message handlers ------------------------------------------------------------------------------------

void TCustomForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_ACTIVATE: WMActivate(message); break;
    case WM_CLOSE: WMClose(message); break;
    case WM_QUERYENDSESSION: WMQueryEndSession(message); break;
    case WM_SYSCOMMAND: WMSysCommand(message); break;
    case WM_INITMENUPOPUP: WMInitMenuPopup(message); break;
    case WM_MENUSELECT: WMMenuSelect(message); break;
    case WM_GETMINMAXINFO: WMGetMinMaxInfo(message); break;
    case WM_MDIACTIVATE: WMMDIActivate(message); break;
    case CM_ACTIVATE: CMActivate(message); break;
    case CM_DEACTIVATE: CMDeactivate(message); break;
    case CM_ICONCHANGED: CMIconChanged(message); break;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE: CMActionDispatch(message); break;
    default: inherited::Dispatch(message); break;
  }
}

void TCustomForm::WMClose(TMessage& message) {
  // The system's handling would destroy the window; closing is the form's decision.
  message.Result = 0;
  Close();
}

void TCustomForm::WMQueryEndSession(TMessage& message) { message.Result = CloseQuery() ? 1 : 0; }

void TCustomForm::WMSysCommand(TMessage& message) {
  if (IsMainForm() && HandleAllocated()) {
    switch (message.WParam & 0xFFF0) {
      case SC_MINIMIZE:
        Application->Minimize();
        message.Result = 0;
        return;
      case SC_RESTORE:
        if (::IsIconic(GetHandle())) {
          Application->Restore();
          message.Result = 0;
          return;
        }
        break;
    }
  }
  DefaultHandler(message);
}

void TCustomForm::WMCommand(TMessage& message) {
  const TWMCommand command(message);
  if (command.GetCtl() == nullptr && command.GetNotifyCode() == 0 && FMenu &&
      FMenu->DispatchCommand(command.GetItemID()))
    return;
  inherited::WMCommand(message);
}

void TCustomForm::WMInitMenuPopup(TMessage& message) {
  if (FMenu) FMenu->DispatchPopup(reinterpret_cast<HMENU>(message.WParam));
  DefaultHandler(message);
}

void TCustomForm::WMMenuSelect(TMessage& message) {
  if (FMenu && Application) {
    const WORD id = LOWORD(message.WParam);
    const WORD flags = HIWORD(message.WParam);
    TMenuItem* item = nullptr;
    if (flags != 0xFFFF || id != 0) {
      if (flags & MF_POPUP) {
        HMENU sub = ::GetSubMenu(reinterpret_cast<HMENU>(message.LParam), id);
        item = FMenu->FindItem(reinterpret_cast<UINT_PTR>(sub), fkHandle);
      } else {
        item = FMenu->FindItem(id, fkCommand);
      }
    }
    Application->SetHint(item ? GetLongHint(item->GetHint()) : String());
  }
  DefaultHandler(message);
}

void TCustomForm::WMGetMinMaxInfo(TMessage& message) {
  DefaultHandler(message);
  auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
  TSizeConstraints* constraints = GetConstraints();
  if (!info || !constraints) return;
  if (constraints->GetMinWidth() > 0) info->ptMinTrackSize.x = constraints->GetMinWidth();
  if (constraints->GetMinHeight() > 0) info->ptMinTrackSize.y = constraints->GetMinHeight();
  if (constraints->GetMaxWidth() > 0) info->ptMaxTrackSize.x = constraints->GetMaxWidth();
  if (constraints->GetMaxHeight() > 0) info->ptMaxTrackSize.y = constraints->GetMaxHeight();
}

// ---- MDI ----------------------------------------------------------------------------------------------------

int TCustomForm::GetMDIChildCount() const {
  int count = 0;
  for (int i = 0; FClientHandle && Screen && i < Screen->GetCustomFormCount(); ++i) {
    TCustomForm* form = Screen->GetCustomForms(i);
    if (form && form->FFormState.Contains(fsCreatedMDIChild) && form->HandleAllocated() &&
        ::GetParent(form->GetHandle()) == FClientHandle)
      ++count;
  }
  return count;
}

TCustomForm* TCustomForm::GetMDIChildren(int index) const {
  int count = 0;
  for (int i = 0; FClientHandle && Screen && i < Screen->GetCustomFormCount(); ++i) {
    TCustomForm* form = Screen->GetCustomForms(i);
    if (form && form->FFormState.Contains(fsCreatedMDIChild) && form->HandleAllocated() &&
        ::GetParent(form->GetHandle()) == FClientHandle) {
      if (count == index) return form;
      ++count;
    }
  }
  return nullptr;
}

TCustomForm* TCustomForm::GetActiveMDIChild() const {
  if (!FClientHandle) return nullptr;
  HWND active = reinterpret_cast<HWND>(::SendMessageW(FClientHandle, WM_MDIGETACTIVE, 0, 0));
  return dynamic_cast<TCustomForm*>(FindControl(active));
}

void TCustomForm::Cascade() {
  if (FClientHandle) ::SendMessageW(FClientHandle, WM_MDICASCADE, 0, 0);
}

void TCustomForm::Tile() {
  if (FClientHandle) ::SendMessageW(FClientHandle, WM_MDITILE, MDITILE_HORIZONTAL, 0);
}

void TCustomForm::ArrangeIcons() {
  if (FClientHandle) ::SendMessageW(FClientHandle, WM_MDIICONARRANGE, 0, 0);
}

void TCustomForm::Next() {
  if (FClientHandle) ::SendMessageW(FClientHandle, WM_MDINEXT, 0, 0);
}

void TCustomForm::Previous() {
  if (FClientHandle) ::SendMessageW(FClientHandle, WM_MDINEXT, 0, 1);
}
