// Test support for the owner-drawn controls: a form with the library's classes registered,
// the controls painted into memory surfaces, the visual-styles binding switched off and on,
// and screenshots of the shown form saved under the build folder.
#pragma once
#include <gtest/gtest.h>

#include <functional>

#include "classlib/graphics/Bitmap.h"
#include "classlib/system/SysString.h"
#include "controls/skin/SkinRegistration.h"
#include "controls/skin/ThemeBinding.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"

namespace skin_tests {

using namespace button_tests;

class SkinFormTest : public FormTest {
 protected:
  void SetUp() override {
    RegisterSkinClasses();
    FormTest::SetUp();
  }
};

// Paints a windowed control into the surface at (0, 0) through its own paint pipeline.
inline void PaintWindowInto(TWinControl* control, MemorySurface& surface) {
  control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  ::GdiFlush();
}

// Runs draw with the visual-styles binding unloaded (classic drawing), then loads it again.
inline void WithoutThemes(const std::function<void()>& draw) {
  const int references = ThemeLibraryReferences();
  while (ThemeLibraryReferences() > 0) FreeThemeLibrary();
  draw();
  for (int i = 0; i < references; ++i) InitThemeLibrary();
}

// Saves what the window shows as build/<config>/screenshots/<name>.bmp (beside the tests).
inline void SaveScreenshot(HWND wnd, const String& name) {
  ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  RECT r{};
  ::GetWindowRect(wnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  TBitmap shot;
  shot.SetPixelFormat(pf24bit);
  shot.SetSize(w, h);
  HDC screen = ::GetDC(nullptr);
  ::BitBlt(shot.GetCanvas()->GetHandle(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  ::ReleaseDC(nullptr, screen);
  wchar_t path[MAX_PATH]{};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  String folder(path);
  folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"..\\screenshots";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  shot.SaveToFile(folder + L"\\" + name + L".bmp");
}

// The pixels of a rectangle of a surface equal those of another surface.
inline int DifferentPixels(const MemorySurface& a, const MemorySurface& b, const TRect& r) {
  int count = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) count += a.At(x, y) == b.At(x, y) ? 0 : 1;
  return count;
}

}  // namespace skin_tests
