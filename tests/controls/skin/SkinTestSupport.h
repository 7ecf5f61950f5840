// Test support for the owner-drawn controls: a form with the library's classes registered,
// the controls painted into memory surfaces, the visual-styles binding switched off and on,
// and screenshots of the shown form saved under the build folder's tests\screenshots.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/system/SysString.h"
#include "controls/skin/SkinRegistration.h"
#include "controls/skin/engine/ThemeBinding.h"
#include "tests/ScreenShots.h"
#include "tests/classlib/controls/ControlTestSupport.h"
#include "tests/classlib/forms/FormsTestSupport.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"

namespace skin_tests {

using namespace button_tests;

class SkinFormTest : public FormTest {
 protected:
  void SetUp() override {
    control_tests::PutPointerAway();  // hot and pressed states come only from the test's input
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

// The theme library's part drawing replaced by Derived::Drawing for the object's life;
// Real() is the drawing it replaced (each kind keeps its own, so one may run inside another).
template <class Derived>
class ThemeDrawingSwap {
 public:
  ThemeDrawingSwap(const ThemeDrawingSwap&) = delete;
  ThemeDrawingSwap& operator=(const ThemeDrawingSwap&) = delete;

 protected:
  using Proc = decltype(&::DrawThemeBackground);
  ThemeDrawingSwap() {
    Real() = Entry();
    Entry() = &Derived::Drawing;
  }
  ~ThemeDrawingSwap() { Entry() = Real(); }
  static Proc& Real() {
    static Proc real = nullptr;
    return real;
  }

 private:
  static Proc& Entry() { return const_cast<TThemeApi&>(ThemeApi()).DrawThemeBackground; }
};

// So that what the theme draws can change between two paints as it does when the user picks
// another theme or other colours: with a look set, every part is drawn by the library and
// then covered with that colour; without one (clNone) it is the library's own drawing.
class ThemeLookSwap : public ThemeDrawingSwap<ThemeLookSwap> {
 public:
  ThemeLookSwap() = default;
  ~ThemeLookSwap() { Look() = clNone; }
  void SetLook(TColor color) { Look() = color; }

  static HRESULT WINAPI Drawing(HTHEME theme, HDC dc, int part, int state, LPCRECT r, LPCRECT clip) {
    const HRESULT result = Real()(theme, dc, part, state, r, clip);
    if (SUCCEEDED(result) && Look() != clNone && r) {
      HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Look())));
      ::FillRect(dc, r, brush);
      ::DeleteObject(brush);
    }
    return result;
  }

 private:
  static TColor& Look() {
    static TColor look = clNone;
    return look;
  }
};

// Notes each part, state and rectangle the theme draws, in order (the drawing still happens).
class ThemePartLog : public ThemeDrawingSwap<ThemePartLog> {
 public:
  struct Call {
    int Part, State;
    TRect Rect;
  };
  ThemePartLog() { Calls().clear(); }
  static std::vector<Call>& Calls() {
    static std::vector<Call> calls;
    return calls;
  }

  static HRESULT WINAPI Drawing(HTHEME theme, HDC dc, int part, int state, LPCRECT r, LPCRECT clip) {
    if (r) Calls().push_back(Call{part, state, TRect(r->left, r->top, r->right, r->bottom)});
    return Real()(theme, dc, part, state, r, clip);
  }
};

// Saves what the window shows, repainted, as screenshots\<name>.bmp.
inline void SaveScreenshot(HWND wnd, const String& name) {
  ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  EXPECT_TRUE(SaveWindowScreenshot(wnd, name)) << StringToUtf8(name);
}

// How many forms of class Form are on the screen (made and visible).
template <class Form>
int FormsOnScreen() {
  int count = 0;
  for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
    if (auto* form = dynamic_cast<Form*>(Screen->GetCustomForms(i)))
      count += form->HandleAllocated() && ::IsWindowVisible(form->GetHandle()) ? 1 : 0;
  return count;
}

// Real mouse input: the cursor goes to the screen point, then the event (a button or a move)
// is sent as the user's hand would, and the messages it makes are handled.
inline void MouseInputAt(const TPoint& screen, DWORD flags) {
  ::SetCursorPos(screen.X, screen.Y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof(INPUT));
  Pump();
}

// Makes the list's images 16 × 16 and adds one filled with colour.
inline void AddSolidImage(TImageList& images, TColor color) {
  images.SetWidth(16);
  images.SetHeight(16);
  TBitmap solid;
  solid.SetSize(16, 16);
  solid.GetCanvas()->GetBrush()->SetColor(color);
  solid.GetCanvas()->FillRect(TRect(0, 0, 16, 16));
  images.Add(&solid, nullptr);
}

// How many pixels of a rectangle differ between two surfaces.
inline int DifferentPixels(const MemorySurface& a, const MemorySurface& b, const TRect& r) {
  int count = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) count += a.At(x, y) == b.At(x, y) ? 0 : 1;
  return count;
}

// Draws the part into r through the kept parts and through the library, each over stripes of
// two colours (what lies under a transparent pixel must show through): the same answer and
// the same pixels.
inline void ExpectKeptDrawsAsTheLibrary(TThemePartCache& cache, const TThemeScope& theme, int part,
                                        int state, const RECT& r, int w, int h) {
  MemorySurface direct(w, h), kept(w, h);
  for (MemorySurface* s : {&direct, &kept})
    for (int x = 0; x < w; x += 3) {
      RECT stripe{x, 0, x + 3, h};
      ::SetBkColor(s->DC(), (x / 3) % 2 ? RGB(200, 40, 90) : RGB(20, 160, 220));
      ::ExtTextOutW(s->DC(), 0, 0, ETO_OPAQUE, &stripe, nullptr, 0, nullptr);
    }
  const bool drawn = theme.DrawBackground(direct.DC(), part, state, r);
  EXPECT_EQ(cache.Draw(theme, kept.DC(), part, state, r), drawn);
  ::GdiFlush();
  EXPECT_EQ(DifferentPixels(direct, kept, TRect(0, 0, w, h)), 0)
      << "part " << part << " state " << state << " at " << r.left << "," << r.top << " "
      << r.right - r.left << " x " << r.bottom - r.top;
}

// Runs cycle once to settle caches, then rounds times: the GDI and user objects must come
// out exactly as many as went in.
inline void ExpectNoLeaks(const std::function<void()>& cycle, int rounds = 1000) {
  cycle();
  Pump();
  const int gdi = control_tests::GdiObjectCount(), user = forms_tests::UserObjectCount();
  for (int i = 0; i < rounds; ++i) cycle();
  Pump();
  EXPECT_EQ(control_tests::GdiObjectCount(), gdi) << "GDI objects leak";
  EXPECT_EQ(forms_tests::UserObjectCount(), user) << "user objects leak";
}

}  // namespace skin_tests
