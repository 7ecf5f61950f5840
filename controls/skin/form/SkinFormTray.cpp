// Where the decorated form meets the taskbar: the notification-area (tray) icon of the tray
// state with its hidden window, and the application's minimize and restore, which the
// component joins through the application's multicast events.
#include "SkinForm.h"
#include "classlib/forms/Forms.h"

namespace {

TSeTrayResponder& TrayResponder() {
  static TSeTrayResponder responder = [](DWORD message, NOTIFYICONDATAW& data) {
    return ::Shell_NotifyIconW(message, &data) != FALSE;
  };
  return responder;
}

// The small icon of a window: its own, its class's, else the system's application icon.
HICON SmallIconOf(HWND wnd) {
  HICON icon = reinterpret_cast<HICON>(::SendMessageW(wnd, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(::GetClassLongPtrW(wnd, GCLP_HICONSM));
  if (!icon) icon = reinterpret_cast<HICON>(::GetClassLongPtrW(wnd, GCLP_HICON));
  return icon ? icon : ::LoadIconW(nullptr, IDI_APPLICATION);  // shared: never destroyed
}

// The shell announces a new taskbar (after it restarted) with this registered message.
UINT TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

}  // namespace

TSeTrayResponder SetTrayResponder(TSeTrayResponder responder) {
  TSeTrayResponder previous = std::move(TrayResponder());
  TrayResponder() = std::move(responder);
  return previous;
}

void CopyTrayTip(const String& text, wchar_t* tip, size_t capacity) {
  if (!tip || capacity == 0) return;
  size_t count = std::min(text.size(), capacity - 1);
  // The first half of a surrogate pair never ends the tip.
  if (count > 0 && count < text.size() && IS_HIGH_SURROGATE(text[count - 1])) --count;
  text.copy(tip, count);
  tip[count] = L'\0';
}

// ---- Tray icon ---------------------------------------------------------------------------------

bool TSeCustomForm::MakeTrayWindow() {
  if (FTrayWnd) return true;
  if (GetComponentState().Contains(csDesigning)) return false;
  try {
    FTrayWnd = AllocateHWnd([this](TMessage& message) { TrayWndProc(message); });
  } catch (const Exception&) {
    return false;  // no window, no icon: the caller keeps the form as it is
  }
  return true;
}

bool TSeCustomForm::TrayIcon(DWORD message) {
  // The window is made with the first icon: most forms, and every menu window, never need it.
  if (message == NIM_ADD ? !MakeTrayWindow() : !FTrayWnd) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = FTrayWnd;
  data.uID = static_cast<UINT>(reinterpret_cast<uintptr_t>(this));
  // Taking the icon away needs no form (the form may be gone already).
  if (message != NIM_DELETE) {
    TCustomForm* form = GetForm();
    if (!form) return false;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = SE_FORM_TRAYNOTIFY;
    data.hIcon = form->HandleAllocated() ? SmallIconOf(form->GetHandle()) : nullptr;
    const String tip = FMinimizeApplication && Application ? Application->GetTitle() : GetCaption();
    CopyTrayTip(tip, data.szTip, 64);
  }
  const bool done = TrayResponder() ? TrayResponder()(message, data) : false;
  if (message == NIM_ADD) FTrayShown = done;
  if (message == NIM_DELETE) FTrayShown = false;
  return done;
}

void TSeCustomForm::TrayWndProc(TMessage& message) {
  const UINT id = static_cast<UINT>(reinterpret_cast<uintptr_t>(this));
  // The window has no default processing: what it does not answer is answered 0, so that a
  // WM_CLOSE sent to it, say, does not destroy it under the icon.
  message.Result = 0;
  switch (message.Msg) {
    case WM_QUERYENDSESSION: message.Result = 1; break;
    case WM_ENDSESSION:
      // Only a session that really ends takes the icon away; a cancelled end keeps it.
      if (message.WParam && FTrayShown) TrayIcon(NIM_DELETE);
      break;
    case SE_FORM_TRAYNOTIFY:
      if (message.WParam != id) break;
      if (message.LParam == WM_LBUTTONDBLCLK && FState == vwsTray) Restore();
      else if (message.LParam == WM_RBUTTONUP) ShowSystemMenu();
      break;
    default:
      // A restarted shell has lost every icon: ours is added again, or the form comes back.
      if (message.Msg == TaskbarCreatedMessage() && FTrayShown) {
        if (!TrayIcon(NIM_ADD) && FState == vwsTray) Restore();
      }
      break;
  }
  // Then the component's own handlers see it, as they see the form's messages.
  Dispatch(message);
}

void TSeCustomForm::LeaveTrayForGood() {
  if (FTrayShown) TrayIcon(NIM_DELETE);
  if (FState != vwsTray) return;
  FState = vwsNormal;
  // What MinToTray hid is shown again: nothing else could bring it back.
  const auto show = [](TCustomForm* form) {
    if (form && form->HandleAllocated() && !form->GetComponentState().Contains(csDestroying))
      ::ShowWindow(form->GetHandle(), SW_SHOW);
  };
  if (FMinimizeApplication && Application) show(Application->GetMainForm());
  show(dynamic_cast<TCustomForm*>(GetOwner()));
}

// ---- Application minimize and restore ---------------------------------------------------------------

void TSeCustomForm::HookApplication() {
  if (FAppHooked || !Application || GetComponentState().Contains(csDesigning)) return;
  FAppHooked = true;
  FAppMinimizeKey = Application->GetOnMinimize().Add([this](TObject* sender) { ApplicationMinimize(sender); });
  FAppRestoreKey = Application->GetOnRestore().Add([this](TObject* sender) { ApplicationRestore(sender); });
}

void TSeCustomForm::UnhookApplication() {
  if (!FAppHooked) return;
  FAppHooked = false;
  if (!Application) return;
  Application->GetOnMinimize().Remove(FAppMinimizeKey);
  Application->GetOnRestore().Remove(FAppRestoreKey);
}

void TSeCustomForm::ApplicationMinimize(TObject*) {
  if (FInAppHook) return;
  TFlagScope scope(FInAppHook);
  if (FState != vwsMinimized && FState != vwsTray) Minimize();
}

void TSeCustomForm::ApplicationRestore(TObject*) {
  if (FInAppHook) return;
  TFlagScope scope(FInAppHook);
  if (FState != vwsMinimized) return;
  Restore();
  PaintNonClient();
}

void TSeCustomForm::RestoreApplication() {
  TFlagScope scope(FInAppHook);
  if (Application) Application->Restore();
}
