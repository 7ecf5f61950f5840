// Test support for the grid, page and common-control tests: a host window (the controls
// tests' TTestHost), reading a layout text into it, keys and clicks delivered as real
// messages through the application's message loop, and the state of Shift and Ctrl.
#pragma once
#include <gtest/gtest.h>

#include <functional>

#include "classlib/classes/Layouts.h"
#include "classlib/classes/Streams.h"
#include "classlib/forms/Forms.h"
#include "tests/classlib/controls/ControlTestSupport.h"
#include "tests/classlib/graphics/MemorySurface.h"
#include "tests/classlib/stdctrls/StdCtrlsTestSupport.h"

namespace grid_tests {

using stdctrl_tests::PumpUntil;

// The controls tests' host window, which also gives the focus back to the control that had
// it when the window is activated again (as a form does). Activation arrives late under X,
// and without this the window itself would take the focus then.
class TTestHost : public control_tests::TTestHost {
  CLASSLIB_CLASS(TTestHost, control_tests::TTestHost)
  using control_tests::TTestHost::TTestHost;
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_ACTIVATE && LOWORD(message.WParam) != WA_INACTIVE) {
      TWinControl* focused = GetFocusedControl();
      if (focused && focused != this && focused->HandleAllocated() &&
          ::IsWindowVisible(focused->GetHandle())) {
        ::SetFocus(focused->GetHandle());
        message.Result = 0;
        return;
      }
    }
    inherited::WndProc(message);
  }
};

// Handles what is queued, through the application (so keys take the CN_ route).
inline void Pump() {
  for (int i = 0; i < 50; ++i) Application->ProcessMessages();
}

// Makes host the active window and waits until the system says so, so that tests that
// check the focus start from a settled window.
inline void ActivateHost(TWinControl* host) {
  const HWND wnd = host->GetHandle();
  ::SetForegroundWindow(wnd);
  ::SetActiveWindow(wnd);
  PumpUntil([wnd] { return ::GetActiveWindow() == wnd; }, 2000);
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < 100) {
    Application->ProcessMessages();
    ::Sleep(5);
  }
}

// Reads a layout text (the object of the host first, the controls inside it) into host.
inline void ReadLayout(TComponent* host, const String& text) {
  TStringStream stream(text);
  ReadComponentFromStream(stream, host);
}

// Holds Shift and/or Ctrl down in this thread's keyboard state while it lives.
class HeldKeys {
 public:
  HeldKeys(bool shift, bool ctrl) {
    ::GetKeyboardState(FSaved);
    BYTE state[256];
    ::GetKeyboardState(state);
    if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    if (ctrl) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    ::SetKeyboardState(state);
  }
  ~HeldKeys() { ::SetKeyboardState(FSaved); }
  HeldKeys(const HeldKeys&) = delete;
  HeldKeys& operator=(const HeldKeys&) = delete;

 private:
  BYTE FSaved[256] = {};
};

// A key pressed and released on the window, through the message loop.
inline void PressKey(HWND wnd, WORD key) {
  ::PostMessageW(wnd, WM_KEYDOWN, key, 1);
  ::PostMessageW(wnd, WM_KEYUP, key, 0xC0000001);
  Pump();
}

// A left click at a client point; keys are MK_xxx flags held with it.
inline void Click(HWND wnd, int x, int y, WPARAM keys = 0) {
  ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(x, y));
  ::SendMessageW(wnd, WM_LBUTTONUP, keys, MAKELPARAM(x, y));
  Pump();
}

// Paints a windowed control into a memory surface of its size (WM_PAINT with the DC).
inline void PaintInto(TWinControl* control, MemorySurface& surface) {
  control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  ::GdiFlush();
}

}  // namespace grid_tests
