// TApplication: the hidden application window, the message loop with its key, hint and
// idle processing, exception reporting, and the hints that follow the mouse.
#include <algorithm>
#include "../classes/Threads.h"
#include "../controls/ActnList.h"
#include "../system/SysLocale.h"
#include "Forms.h"
#include "FloatingHost.h"
#include "FormsInternal.h"
#include "HintWindow.h"

using namespace forms_internal;

namespace {

constexpr const wchar_t* ApplicationWindowClass = L"TApplication";
constexpr UINT_PTR HintTimerId = 0x4854;  // the application window's only timer

HINSTANCE ModuleInstance() { return ::GetModuleHandleW(nullptr); }

// The first hint text found from control outwards through its parents.
String HintOf(TControl* control) {
  for (int depth = 0; control && depth < 1000; ++depth, control = control->GetParent())
    if (!control->GetHint().empty()) return control->GetHint();
  return String();
}

// The control whose hint shows for control: it or the nearest parent with ShowHint.
TControl* HintControlOf(TControl* control) {
  for (int depth = 0; control && depth < 1000; ++depth, control = control->GetParent())
    if (control->GetShowHint())
      return control->GetComponentState().Contains(csDesigning) ? nullptr : control;
  return nullptr;
}

// How far below the mouse a hint goes: the height of the arrow cursor.
int CursorHeightMargin() { return ::GetSystemMetrics(SM_CYCURSOR) * 3 / 4; }

}  // namespace

// The application window's procedure: the application's WndProc, no exception leaving.
LRESULT CALLBACK ApplicationWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TApplication* app = Application;
  if (!app || app->FHandle != wnd) return ::DefWindowProcW(wnd, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  try {
    app->WndProc(message);
  } catch (...) {
    app->HandleException(app);
  }
  return message.Result;
}

// ---- Construction ---------------------------------------------------------------------------------

TApplication::TApplication(TComponent* owner)
    : TComponent(owner), FIcon(std::make_unique<TIcon>()) {
  const String exeName = GetExeName();
  String title = exeName.substr(exeName.find_last_of(L"\\/") + 1);
  if (const size_t dot = title.rfind(L'.'); dot != String::npos) title.erase(dot);
  FTitle = title;
  FIcon->OnChange = [this](TObject*) {
    if (FHandle) {
      HICON icon = nullptr;
      try {
        icon = FIcon->GetEmpty() ? nullptr : FIcon->GetHandle();
      } catch (const EInvalidGraphic&) {
      }
      ::SendMessageW(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
      ::SendMessageW(FHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    for (int i = 0; Screen && i < Screen->GetCustomFormCount(); ++i)
      if (TCustomForm* form = Screen->GetCustomForms(i)) form->Perform(CM_ICONCHANGED, 0, 0);
  };
  TControlHooks& hooks = ControlHooks();
  hooks.HandleException = [](TObject* sender) {
    if (Application) Application->HandleException(sender);
  };
  hooks.MouseMessage = [](TControl* control, TMessage& message) {
    if (Application) Application->HintMouseMessage(control, message);
  };
  hooks.FloatControl = &FloatControl;
}

TApplication::~TApplication() {
  Destroying();
  TControlHooks& hooks = ControlHooks();
  hooks.HandleException = nullptr;
  hooks.MouseMessage = nullptr;
  hooks.FloatControl = nullptr;
  ActionExecuteTargetHook = nullptr;
  ActionUpdateTargetHook = nullptr;
  StopHintTimer();
  SetHintControl(nullptr);
  DestroyComponents();
  FMainForm = nullptr;
  FHintWindow = nullptr;
  if (FHandle) {
    HWND wnd = FHandle;
    FHandle = nullptr;
    ::DestroyWindow(wnd);
  }
}

void TApplication::Initialize() {
  CreateHandle();
  if (FIcon->GetEmpty()) {
    // The program's icon resource, when the executable has one.
    if (auto icon = static_cast<HICON>(::LoadImageW(ModuleInstance(), L"MAINICON", IMAGE_ICON,
                                                    0, 0, LR_DEFAULTSIZE)))
      FIcon->SetHandle(icon);
  }
}

void TApplication::CreateHandle() {
  if (FHandle) return;
  // Installed here rather than in the constructor: the constructor runs while the program's
  // static objects are made, and these globals of another unit may not be made yet.
  ActionExecuteTargetHook = [](TBasicAction* action) {
    return Application && Application->DispatchAction(CM_ACTIONEXECUTE, action);
  };
  ActionUpdateTargetHook = [](TBasicAction* action) {
    return Application && Application->DispatchAction(CM_ACTIONUPDATE, action);
  };
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ApplicationWindowProc;
  windowClass.hInstance = ModuleInstance();
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = ApplicationWindowClass;
  WNDCLASSW registered{};
  if (!::GetClassInfoW(ModuleInstance(), ApplicationWindowClass, &registered) &&
      !::RegisterClassW(&windowClass))
    RaiseLastOSError();
  HWND wnd = ::CreateWindowExW(
      0, ApplicationWindowClass, FTitle.c_str(),
      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
      ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
      nullptr, ModuleInstance(), nullptr);
  if (!wnd) RaiseLastOSError();
  FHandle = wnd;
}

HWND TApplication::GetHandle() {
  CreateHandle();
  return FHandle;
}

void TApplication::SetTitle(const String& value) {
  FTitle = value;
  if (FHandle) ::SetWindowTextW(FHandle, value.c_str());
}

void TApplication::SetIcon(TIcon* value) { FIcon->Assign(value); }

String TApplication::GetExeName() const {
  std::wstring buffer(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return String();
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
  return String();
}

void TApplication::FormCreated(TCustomForm* form) {
  if (FMainForm || !form) return;
  FMainForm = form;
  if (form->HandleAllocated()) {
    // Made before it became the main form: it still needs its taskbar button.
    HWND wnd = form->GetHandle();
    ::SetWindowLongW(wnd, GWL_EXSTYLE, ::GetWindowLongW(wnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
  } else {
    form->HandleNeeded();
  }
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FMainForm) FMainForm = nullptr;
  if (component == FHintWindow) FHintWindow = nullptr;
  if (component == FHintControl) {
    FHintControl = nullptr;
    FHintActive = false;
    StopHintTimer();
    HideHint();
  }
}

// ---- The message loop ---------------------------------------------------------------------------------

void TApplication::Run() {
  if (!FMainForm) return;
  FRunning = true;
  struct RunningScope {
    bool& Running;
    ~RunningScope() { Running = false; }
  } scope{FRunning};
  if (FShowMainForm) {
    if (FMainForm->GetWindowState() == wsMinimized)
      Minimize();
    else
      FMainForm->SetVisible(true);
  }
  while (!FTerminated) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::Terminate() { ::PostQuitMessage(0); }

void TApplication::HandleMessage() {
  MSG msg{};
  if (!ProcessMessage(msg)) Idle(msg);
}

void TApplication::ProcessMessages() {
  constexpr LONG MaxMilliseconds = 500;
  const DWORD start = ::GetTickCount();
  MSG msg{};
  while (ProcessMessage(msg)) {
    if (msg.message == WM_QUIT) break;
    if (static_cast<LONG>(::GetTickCount() - start) > MaxMilliseconds) break;
  }
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool handled = false;
  if (FOnMessage) FOnMessage(msg, handled);
  if (IsHintMsg(msg) || handled || IsMDIMsg(msg) || IsKeyMsg(msg) || IsDlgMsg(msg)) return true;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
  return true;
}

void TApplication::Idle(const MSG&) {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  TControl* control = FindDragTarget(cursor, true);
  if (control && control->GetComponentState().Contains(csDesigning)) control = nullptr;
  if (FShowHint && !control) CancelHint();
  SetHint(GetLongHint(HintOf(control)));
  bool done = true;
  if (FOnIdle) FOnIdle(this, done);
  if (done) UpdateActionsOnIdle();
  if (::GetCurrentThreadId() == GetMainThreadID() && CheckSynchronize()) done = false;
  if (done) ::WaitMessage();
}

bool TApplication::IsKeyMsg(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  HWND target = ::GetCapture();
  if (target) {
    // A window of this program that captured the mouse sees the key first.
    if (reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(target, GWLP_HINSTANCE)) !=
        ModuleInstance())
      return false;
  } else {
    target = msg.hwnd;
    if (FMainForm && FMainForm->GetClientHandle() && target == FMainForm->GetClientHandle()) {
      target = FMainForm->GetHandle();
    } else {
      // The nearest window of ours: other windows would not know the CN_ messages.
      HWND wnd = target;
      for (int depth = 0; wnd && !IsControlWindow(wnd) && depth < 256; ++depth)
        wnd = ::GetParent(wnd);
      if (wnd) target = wnd;
    }
  }
  if (!target) return false;
  return ::SendMessageW(target, CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::IsDlgMsg(MSG& msg) {
  return FDialogHandle && ::IsWindow(FDialogHandle) && ::IsDialogMessageW(FDialogHandle, &msg);
}

bool TApplication::IsMDIMsg(MSG& msg) {
  if (!FMainForm || FMainForm->GetFormStyle() != fsMDIForm || !FMainForm->GetClientHandle())
    return false;
  TCustomForm* active = Screen ? Screen->GetActiveCustomForm() : nullptr;
  return active && active->GetFormStyle() == fsMDIChild &&
         ::TranslateMDISysAccel(FMainForm->GetClientHandle(), &msg);
}

bool TApplication::IsHintMsg(MSG& msg) {
  if (FHintWindow && FHintWindow->IsHintMsg(msg)) CancelHint();
  return false;
}

// ---- Application window --------------------------------------------------------------------------------

void TApplication::WndProc(TMessage& message) {
  // The user changed the regional settings: numbers and dates follow them from now on,
  // and the hooks below already see the new ones.
  if (message.Msg == WM_SETTINGCHANGE) GetFormatSettings();
  const auto hooks = FWindowHooks;
  for (const auto& hook : hooks)
    if (hook.second && hook.second(message)) return;
  switch (message.Msg) {
    case WM_ACTIVATEAPP:
      message.Result = ::DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
      FActive = message.WParam != 0;
      ::PostMessageW(FHandle, FActive ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
      return;
    case CM_ACTIVATE:
      if (FOnActivate) FOnActivate(this);
      return;
    case CM_DEACTIVATE:
      if (FOnDeactivate) FOnDeactivate(this);
      return;
    case CM_RELEASE:
      // Release of a form: found again by its window, in case it is gone already.
      if (auto* form = dynamic_cast<TCustomForm*>(
              FindControl(reinterpret_cast<HWND>(message.LParam))))
        form->Free();
      return;
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      return;
    case WM_SYSCOMMAND:
      switch (message.WParam & 0xFFF0) {
        case SC_MINIMIZE: Minimize(); return;
        case SC_RESTORE: Restore(); return;
      }
      break;
    case WM_TIMER:
      if (message.WParam == HintTimerId) {
        HintTimerExpired();
        return;
      }
      break;
    case WM_NULL:
      if (::GetCurrentThreadId() == GetMainThreadID()) CheckSynchronize();
      return;
  }
  message.Result = ::DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
}

int TApplication::HookMainWindow(TWindowHook hook) {
  FWindowHooks.emplace_back(++FLastHookKey, std::move(hook));
  return FLastHookKey;
}

void TApplication::UnhookMainWindow(int key) {
  std::erase_if(FWindowHooks, [key](const auto& entry) { return entry.first == key; });
}

// ---- Exceptions ------------------------------------------------------------------------------------------

void TApplication::HandleException(TObject* sender) {
  if (!std::current_exception()) return;
  if (HWND capture = ::GetCapture()) ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
  const auto report = [this, sender](Exception& e) {
    try {
      if (FOnException)
        FOnException(sender, e);
      else
        ShowException(e);
    } catch (const Exception& failure) {
      // The handler itself failed: its failure is shown rather than lost.
      Exception copy(failure.Message());
      try {
        ShowException(copy);
      } catch (...) {
      }
    } catch (...) {
    }
  };
  try {
    throw;
  } catch (const EAbort&) {
    // The silent exception.
  } catch (Exception& e) {
    report(e);
  } catch (const std::exception& e) {
    Exception wrapped(Utf8ToString(e.what()));
    report(wrapped);
  } catch (...) {
    Exception wrapped(L"Unknown exception");
    report(wrapped);
  }
}

void TApplication::ShowException(Exception& e) {
  String text = e.Message();
  if (!text.empty() && text.back() > L'.') text += L'.';
  MessageBox(text, GetTitle(), MB_OK | MB_ICONSTOP);
}

// ---- Windows -----------------------------------------------------------------------------------------------

void TApplication::Minimize() {
  if (FMainForm && FMainForm->HandleAllocated())
    ::ShowWindow(FMainForm->GetHandle(), SW_MINIMIZE);
  FOnMinimize(this);
}

void TApplication::Restore() {
  if (FMainForm && FMainForm->HandleAllocated() && ::IsIconic(FMainForm->GetHandle()))
    ::ShowWindow(FMainForm->GetHandle(), SW_RESTORE);
  FOnRestore(this);
}

void TApplication::BringToFront() {
  if (!FHandle) return;
  HWND top = ::GetLastActivePopup(FHandle);
  if ((!top || top == FHandle) && FMainForm && FMainForm->HandleAllocated())
    top = FMainForm->GetHandle();
  if (top && top != FHandle && ::IsWindowVisible(top) && ::IsWindowEnabled(top))
    ::SetForegroundWindow(top);
}

int TApplication::MessageBox(const String& text, const String& caption, UINT flags) {
  HWND active = ::GetActiveWindow();
  HWND owner = active ? active : GetHandle();
  int result = 0;
  {
    TTaskWindowList disabled;
    result = ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
  }
  if (active && ::IsWindow(active)) ::SetActiveWindow(active);
  return result;
}

bool TApplication::HelpContext(int context) {
  bool callHelp = true;
  bool result = false;
  if (FOnHelp) result = FOnHelp(HELP_CONTEXT, context, callHelp);
  if (callHelp && !FHelpFile.empty())
    result = ::WinHelpW(GetHandle(), FHelpFile.c_str(), HELP_CONTEXT,
                        static_cast<ULONG_PTR>(context)) != FALSE;
  return result;
}

bool TApplication::DispatchAction(UINT msg, TBasicAction* action) {
  TCustomForm* form = Screen ? Screen->GetActiveCustomForm() : nullptr;
  const LPARAM param = reinterpret_cast<LPARAM>(action);
  if (form && form->Perform(msg, 0, param) == 1) return true;
  return FMainForm && FMainForm != form && FMainForm->Perform(msg, 0, param) == 1;
}

// ---- Hints ---------------------------------------------------------------------------------------------------

void TApplication::SetHint(const String& value) {
  if (FHint == value) return;
  FHint = value;
  if (FOnHint) FOnHint(this);
}

void TApplication::SetShowHint(bool value) {
  if (FShowHint == value) return;
  FShowHint = value;
  if (!value) {
    CancelHint();
    if (FHintWindow) {
      THintWindow* window = FHintWindow;
      FHintWindow = nullptr;
      delete window;
    }
  }
}

void TApplication::SetHintControl(TControl* control) {
  if (FHintControl == control) return;
  if (FHintControl) FHintControl->RemoveFreeNotification(this);
  FHintControl = control;
  if (FHintControl) FHintControl->FreeNotification(this);
}

void TApplication::StartHintTimer(int milliseconds, THintTimerMode mode) {
  StopHintTimer();
  if (!::SetTimer(GetHandle(), HintTimerId, static_cast<UINT>(std::max(milliseconds, 1)), nullptr))
    return;  // no timer left: the hint is simply not shown
  FHintTimerMode = mode;
}

void TApplication::StopHintTimer() {
  if (FHintTimerMode == htmNone) return;
  FHintTimerMode = htmNone;
  if (FHandle) ::KillTimer(FHandle, HintTimerId);
}

void TApplication::HintTimerExpired() {
  const THintTimerMode mode = FHintTimerMode;
  StopHintTimer();
  if (mode == htmHide) {
    HideHint();
  } else if (mode == htmShow) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ActivateHint(cursor);
  }
}

void TApplication::HideHint() {
  if (FHintWindow && FHintWindow->HandleAllocated() &&
      ::IsWindowVisible(FHintWindow->GetHandle()))
    ::ShowWindow(FHintWindow->GetHandle(), SW_HIDE);
}

void TApplication::CancelHint() {
  if (FHintControl) {
    HideHint();
    SetHintControl(nullptr);
    FHintActive = false;
  }
  StopHintTimer();
}

void TApplication::HintMouseMessage(TControl* control, TMessage& message) {
  if (!FShowHint || !control) return;
  TPoint pos;
  try {
    pos = control->ClientToScreen(LParamToPoint(message.LParam));
  } catch (const Exception&) {
    return;  // a control on no window has no hint to show
  }
  TControl* hintControl = HintControlOf(FindDragTarget(pos, true));
  if (!hintControl) {
    CancelHint();
    return;
  }
  if (message.Msg != WM_MOUSEMOVE) {
    // A press ends the hint; the next move starts waiting again.
    CancelHint();
    return;
  }
  if (hintControl == FHintControl && PtInRect(FHintCursorRect, pos)) return;
  const bool wasActive = FHintActive;
  int pause = wasActive ? FHintShortPause : FHintPause;
  hintControl->Perform(CM_HINTSHOWPAUSE, wasActive ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
  if (wasActive && pause == 0) {
    FHintActive = wasActive;
    SetHintControl(hintControl);
    ActivateHint(pos);
  } else {
    CancelHint();
    FHintActive = wasActive;
    SetHintControl(hintControl);
    StartHintTimer(pause, htmShow);
  }
}

void TApplication::ActivateHint(const TPoint& cursorPos) {
  if (!FHintControl) return;
  if (HintControlOf(FindDragTarget(cursorPos, true)) != FHintControl) {
    CancelHint();
    return;
  }
  THintInfo info;
  info.HintControl = FHintControl;
  info.HintPos = TPoint(cursorPos.X, cursorPos.Y + CursorHeightMargin());
  info.HintMaxWidth = Screen ? Screen->GetWidth() : ::GetSystemMetrics(SM_CXSCREEN);
  info.HintColor = FHintColor;
  info.CursorRect = FHintControl->GetClientRect();
  info.CursorPos = FHintControl->ScreenToClient(cursorPos);
  info.HintStr = GetShortHint(HintOf(FHintControl));
  info.ReshowTimeout = 0;
  info.HideTimeout = FHintHidePause;
  bool canShow = FHintControl->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && FOnShowHint) FOnShowHint(info.HintStr, canShow, info);
  if (!FHintControl) return;  // a handler freed the control
  FHintActive = canShow;
  if (!canShow || info.HintStr.empty()) {
    HideHint();
    return;
  }
  ShowHintWindow(info);
  const TPoint topLeft = FHintControl->ClientToScreen(info.CursorRect.TopLeft());
  const TPoint bottomRight = FHintControl->ClientToScreen(info.CursorRect.BottomRight());
  FHintCursorRect = TRect(topLeft, bottomRight);
  if (info.ReshowTimeout > 0)
    StartHintTimer(info.ReshowTimeout, htmShow);
  else
    StartHintTimer(info.HideTimeout > 0 ? info.HideTimeout : FHintHidePause, htmHide);
}

void TApplication::ShowHintWindow(THintInfo& info) {
  if (!FHintWindow) FHintWindow = new THintWindow(this);
  FHintWindow->SetColor(info.HintColor);
  TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(r, info.HintPos.X, info.HintPos.Y);
  FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
}
