// Test support for the static and button controls: a form shown at a known place, layouts
// read into it, mouse and key input delivered as real messages through the application's
// message loop, windowless controls painted into a memory surface, and counted events.
#pragma once
#include <gtest/gtest.h>

#include <map>

#include "classlib/classes/Layouts.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Streams.h"
#include "classlib/forms/Forms.h"
#include "tests/classlib/graphics/MemorySurface.h"
#include "tests/classlib/stdctrls/StdCtrlsTestSupport.h"

namespace button_tests {

using stdctrl_tests::KeyData;
using stdctrl_tests::Pump;

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

// The plain colour a system colour stands for now (what a surface pixel reads as).
inline TColor Rgb(TColor color) { return ColorFromInt(static_cast<int32_t>(ColorToRGB(color))); }

}  // namespace button_tests
