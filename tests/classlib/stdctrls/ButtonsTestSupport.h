// Test support for the static and button controls: a form shown at a known place, layouts
// read into it, mouse and key input delivered as real messages through the application's
// message loop, windowless controls painted into a memory surface, and counted events.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

#include "classlib/classes/Layouts.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Streams.h"
#include "classlib/forms/Forms.h"
#include "tests/classlib/graphics/MemorySurface.h"
#include "tests/classlib/stdctrls/StdCtrlsTestSupport.h"

namespace button_tests {

using stdctrl_tests::KeyData;
using stdctrl_tests::Pump;

// Calls fn from the message loop that runs after ms milliseconds (a modal loop, say), once.
class TLaterCall {
 public:
  TLaterCall(std::function<void()> fn, UINT ms) : FFn(std::move(fn)) {
    FWindow = AllocateHWnd([this](TMessage& message) {
      if (message.Msg == WM_TIMER) {
        ::KillTimer(FWindow, 1);
        if (FFn) std::exchange(FFn, nullptr)();
        return;
      }
      message.Result = ::DefWindowProcW(FWindow, message.Msg, message.WParam, message.LParam);
    });
    ::SetTimer(FWindow, 1, ms, nullptr);
  }
  ~TLaterCall() { DeallocateHWnd(FWindow); }
  TLaterCall(const TLaterCall&) = delete;
  TLaterCall& operator=(const TLaterCall&) = delete;

 private:
  HWND FWindow = nullptr;
  std::function<void()> FFn;
};

// A form whose layout names these handlers; each counts its calls per sender.
class TButtonsForm : public TForm {
  CLASSLIB_CLASS(TButtonsForm, TForm)
  explicit TButtonsForm(TComponent* owner) : TForm(owner) {}

  void ControlClick(TObject* sender) { ++Clicks[sender]; }
  void SplitterMoved(TObject* sender) { ++Moves[sender]; }

  int ClicksOf(TObject* sender) const {
    const auto it = Clicks.find(sender);
    return it == Clicks.end() ? 0 : it->second;
  }
  std::map<TObject*, int> Clicks;
  std::map<TObject*, int> Moves;

  static void RegisterHandlers() {
    using M = TPublishMethods<TButtonsForm>;
    RegisterMethods<TButtonsForm>({
        M::Handler(L"ControlClick", &TButtonsForm::ControlClick),
        M::Handler(L"SplitterMoved", &TButtonsForm::SplitterMoved),
    });
  }
};

// A test with a form at (100, 100), 400 x 300 client, made before and freed after.
class FormTest : public stdctrl_tests::LayoutFormTest<TButtonsForm> {
 protected:
  // Shows the form with the keyboard focus in it.
  void ShowForm() {
    Form->Show();
    Pump();
    Form->SetFocus();
    Pump();
  }
};

inline LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// A left click at a client point of a window, as the system delivers it.
inline void ClickWindow(HWND wnd, int x, int y) {
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, At(x, y));
  Pump();
}

// A left click in the middle of a control (a windowless one through its parent's window).
inline void ClickControl(TControl* control) {
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    ClickWindow(windowed->GetHandle(), windowed->GetWidth() / 2, windowed->GetHeight() / 2);
  } else {
    ClickWindow(control->GetParent()->GetHandle(),
                control->GetLeft() + control->GetWidth() / 2,
                control->GetTop() + control->GetHeight() / 2);
  }
}

// A key pressed and released on the window that has the focus, through the message loop.
inline void PressKey(WORD vk) {
  const HWND focus = ::GetFocus();
  ASSERT_NE(focus, nullptr);
  ::PostMessageW(focus, WM_KEYDOWN, vk, KeyData(vk, false));
  ::PostMessageW(focus, WM_KEYUP, vk, KeyData(vk, true));
  Pump();
}

// Alt with a character, as the system delivers it to the focused window (an accelerator).
inline void PressAltChar(wchar_t ch) {
  const HWND focus = ::GetFocus();
  ASSERT_NE(focus, nullptr);
  ::PostMessageW(focus, WM_SYSCHAR, ch, 0x20000001);
  Pump();
}

// Paints a windowless control into the surface, its top-left corner at (0, 0).
inline void PaintInto(TControl* control, MemorySurface& surface) {
  control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  ::GdiFlush();
}

// True when some pixel of r differs from the colour.
inline bool AnyPixelOtherThan(const MemorySurface& surface, TColor color, const TRect& r) {
  return surface.CountOf(color, r) < r.Width() * r.Height();
}

// The plain colour a system colour stands for now (what a surface pixel reads as).
inline TColor Rgb(TColor color) { return ColorFromInt(static_cast<int32_t>(ColorToRGB(color))); }

}  // namespace button_tests
