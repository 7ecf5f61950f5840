// Test support for the extended controls: locale settings set for one test and put back, a
// form fixture with them, keys and clicks, screenshots, and a deadline for hang tests.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "classlib/controls/Controls.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/MemorySurface.h"
#include "classlib/system/SysLocale.h"
#include "controls/extended/DateUtil.h"
#include "tests/classlib/stdctrls/EditTestSupport.h"

namespace extended_tests {

// Sets FormatSettings to the fixed English (United States) settings for the test's
// lifetime, then puts the machine's back.
class FixedLocale {
 public:
  FixedLocale() : FSaved(FormatSettings) {
    FormatSettings = DefaultFormatSettings();
    ReadDateSettings();
  }
  ~FixedLocale() {
    FormatSettings = FSaved;
    ReadDateSettings();
  }
  FixedLocale(const FixedLocale&) = delete;
  FixedLocale& operator=(const FixedLocale&) = delete;

 private:
  TFormatSettings FSaved;
};

// Paints a control into the surface, its top-left corner at (0, 0).
inline void PaintInto(TControl* control, MemorySurface& surface) {
  control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  ::GdiFlush();
}

// The smallest rectangle holding every pixel of the colour; empty when there is none.
inline TRect BoundsOf(const MemorySurface& surface, TColor color) {
  TRect r(surface.Width(), surface.Height(), -1, -1);
  for (int y = 0; y < surface.Height(); ++y)
    for (int x = 0; x < surface.Width(); ++x)
      if (surface.At(x, y) == color) {
        r.Left = x < r.Left ? x : r.Left;
        r.Top = y < r.Top ? y : r.Top;
        r.Right = x + 1 > r.Right ? x + 1 : r.Right;
        r.Bottom = y + 1 > r.Bottom ? y + 1 : r.Bottom;
      }
  return r.Right < 0 ? TRect() : r;
}

// Saves what the screen shows of a window as screenshots/<name>.bmp under the test's
// working folder (the build folder), to be looked at.
inline void SaveScreenshot(HWND wnd, const char* name) {
  RECT r{};
  if (!wnd || !::GetWindowRect(wnd, &r)) return;
  ::CreateDirectoryW(L"screenshots", nullptr);
  TBitmap shot;
  shot.SetSize(r.right - r.left, r.bottom - r.top);
  const HDC screen = ::GetDC(nullptr);
  ::BitBlt(shot.GetCanvas()->GetHandle(), 0, 0, r.right - r.left, r.bottom - r.top, screen,
           r.left, r.top, SRCCOPY);
  ::ReleaseDC(nullptr, screen);
  shot.SaveToFile(L"screenshots\\" + Utf8ToString(name) + L".bmp");
}


// Keys to post to the active window once a modal loop runs, one every timer tick.
inline std::vector<WORD>& PendingKeys() {
  static std::vector<WORD> keys;
  return keys;
}

inline void CALLBACK PostPendingKey(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND active = ::GetActiveWindow();
  if (PendingKeys().empty() || !active) return;
  const HWND focus = ::GetFocus() ? ::GetFocus() : active;
  const WORD vk = PendingKeys().front();
  PendingKeys().erase(PendingKeys().begin());
  ::PostMessageW(focus, WM_KEYDOWN, vk, static_cast<LPARAM>(1 | (::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16)));
  ::PostMessageW(focus, WM_KEYUP, vk, static_cast<LPARAM>(1 | (::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16) | 0xC0000000u));
  if (PendingKeys().empty()) ::KillTimer(nullptr, timer);
}

// Runs run() with keys typed into whatever window is active meanwhile.
inline void WithKeys(std::vector<WORD> keys, const std::function<void()>& run) {
  PendingKeys() = std::move(keys);
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 60, PostPendingKey);
  run();
  ::KillTimer(nullptr, timer);
  PendingKeys().clear();
}

// A form test under the fixed English settings.
class LocaleFormTest : public edit_tests::EditFormTest {
 protected:
  void SetUp() override {
    EditFormTest::SetUp();
    Locale = std::make_unique<FixedLocale>();
  }
  void TearDown() override {
    EditFormTest::TearDown();
    Locale.reset();
  }
  template <class T>
  T* Add(int left, int top, int width, int height) {
    auto* control = new T(Form);
    control->SetParent(Form);
    control->SetBounds(left, top, width, height);
    return control;
  }
  std::unique_ptr<FixedLocale> Locale;
};

// Alt+Down posted to a window, as a drop-down's opening key, then the messages pumped.
inline void PressAltDown(HWND wnd) {
  ::PostMessageW(wnd, WM_SYSKEYDOWN, VK_DOWN, stdctrl_tests::KeyData(VK_DOWN, false) | (1 << 29));
  stdctrl_tests::Pump();
}

// A left click on a (possibly windowless) control, as its parent window receives it.
inline void ClickControl(TControl* control) {
  const TPoint at = control->GetParent()->ScreenToClient(control->ClientToScreen(TPoint(4, 4)));
  edit_tests::ClickWindow(control->GetParent()->GetHandle(), at.X, at.Y);
}

// Ends the process when the body makes no progress for ms: a hang or a deadlock is a
// failure, while a slow machine only stretches the run.
class TDeadline {
 public:
  explicit TDeadline(DWORD ms)
      : FThread([this, ms] {
          while (!FDone) {
            if (::GetTickCount() - FLast.load() > ms) {
              std::fprintf(stderr, "no progress within %lu ms: %s input %u\n", ms, FWhat.load(), FInput.load());
              std::fflush(stderr);
              ::TerminateProcess(::GetCurrentProcess(), 3);
            }
            ::Sleep(50);
          }
        }) {}
  ~TDeadline() {
    FDone = true;
    FThread.join();
  }
  // The body calls this at each step it completes.
  void Progress(const char* what = "", unsigned input = 0) {
    FWhat = what;
    FInput = input;
    FLast = ::GetTickCount();
  }

 private:
  std::atomic<bool> FDone{false};
  std::atomic<DWORD> FLast{::GetTickCount()};
  std::atomic<const char*> FWhat{""};
  std::atomic<unsigned> FInput{0};
  std::thread FThread;  // last: it starts once the fields are set
};

}  // namespace extended_tests
