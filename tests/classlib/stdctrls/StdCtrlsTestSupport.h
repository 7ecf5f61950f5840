// Test support shared by the helpers of the standard controls' tests: the application's
// message loop pumped, the key data of key messages, the text of a window, and a test
// fixture with a borderless form that layouts are read into.
#pragma once
#include <gtest/gtest.h>

#include <functional>

#include "classlib/classes/Layouts.h"
#include "classlib/classes/Streams.h"
#include "classlib/forms/Forms.h"
#include "tests/ApplicationTestSupport.h"

namespace stdctrl_tests {

// Handles what is queued, through the application (so keys take the CN_ route).
inline void Pump() {
  for (int i = 0; i < 20; ++i) Application->ProcessMessages();
}

// Handles messages through the application until done() or timeoutMs passed; false on the
// timeout.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
  return PumpApplicationUntil(done, timeoutMs, 5);
}

// The key data of a key message for vk (repeat count 1, its scan code; released keys with
// the previous-state and transition bits).
inline LPARAM KeyData(WORD vk, bool up) {
  const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  return static_cast<LPARAM>(1 | (scan << 16) | (up ? 0xC0000000u : 0u));
}

// The text of any window.
inline String WindowText(HWND wnd) {
  wchar_t buffer[512] = {};
  ::GetWindowTextW(wnd, buffer, 512);
  return buffer;
}

// A test with a borderless form of class F at (100, 100), 400 x 300, made before and freed
// after. F::RegisterHandlers registers the handlers its layouts name.
template <class F>
class LayoutFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    F::RegisterHandlers();
    Form = TCustomForm::Create<F>(nullptr);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(100, 100, 400, 300);
  }
  void TearDown() override {
    delete Form;
    Pump();
  }
  // Reads a layout text of the form (its object first) into Form.
  void ReadLayout(const String& text) {
    TStringStream stream(text);
    ReadComponentFromStream(stream, Form);
  }
  template <class T>
  T* Find(const wchar_t* name) {
    T* control = dynamic_cast<T*>(Form->FindComponent(name));
    EXPECT_NE(control, nullptr) << StringToUtf8(name);
    return control;
  }

  F* Form = nullptr;
};

}  // namespace stdctrl_tests
