// Test support for the forms tests: running the application's message loop until something
// happened, calls made later from inside a (modal) message loop, a push button that sets
// its form's ModalResult, a recorder of the exceptions that reach the application, and the
// user object count of the process (the GDI object count is in ControlTestSupport.h).
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "classlib/controls/Controls.h"
#include "classlib/forms/Forms.h"
#include "tests/classlib/controls/ControlTestSupport.h"
#include "tests/ApplicationTestSupport.h"

namespace forms_tests {

// Handles messages until done() is true; false when timeoutMs passed first.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
  return PumpApplicationUntil(done, timeoutMs, 2);
}

// Handles messages for about ms milliseconds.
inline void PumpFor(DWORD ms) {
  const DWORD start = ::GetTickCount();
  do {
    Application->ProcessMessages();
    ::Sleep(2);
  } while (::GetTickCount() - start < ms);
}

// Calls that run later from whatever message loop runs then: at once (posted) or after a
// delay (a system timer). Pending calls are dropped with the object.
class TLaterCalls {
 public:
  TLaterCalls() {
    FWindow = AllocateHWnd([this](TMessage& message) { WndProc(message); });
  }
  ~TLaterCalls() { DeallocateHWnd(FWindow); }
  TLaterCalls(const TLaterCalls&) = delete;
  TLaterCalls& operator=(const TLaterCalls&) = delete;

  void Post(std::function<void()> call, UINT delayMs = 0) {
    const UINT_PTR id = ++FLastId;
    FCalls[id] = std::move(call);
    if (delayMs == 0)
      ::PostMessageW(FWindow, WM_APP, id, 0);
    else
      ::SetTimer(FWindow, id, delayMs, nullptr);
  }

 private:
  void WndProc(TMessage& message) {
    if (message.Msg == WM_APP || message.Msg == WM_TIMER) {
      if (message.Msg == WM_TIMER) ::KillTimer(FWindow, message.WParam);
      const auto it = FCalls.find(message.WParam);
      if (it == FCalls.end()) return;
      const std::function<void()> call = std::move(it->second);
      FCalls.erase(it);
      call();
      return;
    }
    message.Result = ::DefWindowProcW(FWindow, message.Msg, message.WParam, message.LParam);
  }

  HWND FWindow = nullptr;
  UINT_PTR FLastId = 0;
  std::map<UINT_PTR, std::function<void()>> FCalls;
};

// A push button (the system's BUTTON class) that sets its form's ModalResult when clicked.
class TTestButton : public TWinControl {
  CLASSLIB_CLASS(TTestButton, TWinControl)
  TTestButton(TWinControl* parent, const TRect& bounds, TModalResult result = mrNone)
      : TWinControl(parent), ModalResult(result) {
    // The system's button clicks by itself (BN_CLICKED), so not also on the mouse.
    SetControlStyle(GetControlStyle() - TControlStyle{csClickEvents});
    SetBoundsRect(bounds);
    SetTabStop(true);
    SetParent(parent);
  }
  void Click() override {
    if (ModalResult != mrNone)
      if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(ModalResult);
    inherited::Click();
  }
  TModalResult ModalResult;

 protected:
  void CreateParams(TCreateParams& params) override {
    inherited::CreateParams(params);
    CreateSubClass(params, L"BUTTON");
    params.Style |= BS_PUSHBUTTON;
  }
  void Dispatch(TMessage& message) override {
    if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) {
      Click();
      return;
    }
    inherited::Dispatch(message);
  }
};

// Collects what reaches Application->OnException while it exists (and restores the handler
// that was there before).
class TExceptionRecorder {
 public:
  TExceptionRecorder() : FSaved(Application->GetOnException()) {
    Application->SetOnException([this](TObject* sender, Exception& e) {
      Messages.push_back(e.Message());
      ClassNames.push_back(e.ClassName());
      Senders.push_back(sender);
    });
  }
  ~TExceptionRecorder() { Application->SetOnException(FSaved); }
  TExceptionRecorder(const TExceptionRecorder&) = delete;
  TExceptionRecorder& operator=(const TExceptionRecorder&) = delete;

  std::vector<String> Messages;
  std::vector<String> ClassNames;
  std::vector<TObject*> Senders;

 private:
  TExceptionEvent FSaved;
};

// Clicks at a screen point with synthesised mouse input.
inline void ClickAt(const TPoint& screenPoint) {
  ::SetCursorPos(screenPoint.X, screenPoint.Y);
  INPUT inputs[2]{};
  inputs[0].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].type = INPUT_MOUSE;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, inputs, sizeof(INPUT));
}

// The centre of a control on the screen.
inline TPoint ScreenCentre(TControl* control) {
  return control->ClientToScreen(TPoint(control->GetWidth() / 2, control->GetHeight() / 2));
}

// The user objects of the process: the system's count, or (where the system does not
// count) the windows of this thread and all their child windows.
inline int UserObjectCount() {
  if (const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)) return count;
  return control_tests::ThreadWindowCount();
}

}  // namespace forms_tests
