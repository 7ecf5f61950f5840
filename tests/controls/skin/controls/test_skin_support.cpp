// The library's support: option clamps and change notices, the stopwatch, the visual-styles
// binding's reference count, nested capture, and the shared drawing routines.
#include <gtest/gtest.h>

#include "controls/skin/controls/SkinOptions.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"
#include "tests/ErrorMessages.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace {

TEST(SkinOptions, WritersClampAndNotify) {
  TSeBlending blending;
  int notices = 0;
  blending.OnChange = [&](TObject*) { ++notices; };
  blending.SetValue(300);
  EXPECT_EQ(blending.GetValue(), 255);
  blending.SetValue(-5);
  EXPECT_EQ(blending.GetValue(), 0);
  blending.SetValue(0);  // unchanged: no notice
  EXPECT_EQ(notices, 2);

  TSeShadow shadow;
  shadow.SetEnabled(true);
  shadow.SetSize(0);
  EXPECT_FALSE(shadow.GetEnabled());
  shadow.SetSize(25);
  EXPECT_EQ(shadow.GetSize(), 20);

  TSeAnimation animation;
  animation.SetTime(10);
  animation.SetResolution(0);
  animation.SetTileCount(99);
  EXPECT_EQ(animation.GetTime(), 50);
  EXPECT_EQ(animation.GetResolution(), 1);
  EXPECT_EQ(animation.GetTileCount(), 20);
  TSeGravitation gravitation;
  gravitation.SetSize(70);
  EXPECT_EQ(gravitation.GetSize(), 50);
}

TEST(SkinOptions, AssignCopiesTheSameClassOnly) {
  TSeFormOptions a, b;
  a.GetBlending()->SetEnabled(true);
  a.GetShadow()->SetSize(9);
  a.GetAnimation()->SetEffect(veDiamondIn);
  int notices = 0;
  b.OnChange = [&](TObject*) { ++notices; };
  b.Assign(&a);
  EXPECT_TRUE(b.GetBlending()->GetEnabled());
  EXPECT_EQ(b.GetShadow()->GetSize(), 9);
  EXPECT_EQ(b.GetAnimation()->GetEffect(), veDiamondIn);
  EXPECT_EQ(notices, 1);
  TSeShadow shadow;
  TSeBlending blending;
  EXPECT_EQ(ErrorMessageOf<EConvertError>([&] { blending.Assign(&shadow); }, L"none"),
            L"Cannot assign a TSeShadow to a TSeBlending");
}

TEST(SkinOptions, StopwatchStartsOnDemand) {
  std::unique_ptr<TSeTimer> timer;
  EXPECT_EQ(StopTimer(timer), 0.0f);
  EXPECT_FALSE(timer);
  StartTimer(timer);
  ::Sleep(20);
  const float elapsed = StopTimer(timer);
  EXPECT_GT(elapsed, 0.015f);
  EXPECT_LT(elapsed, 2.0f);
}

TEST(ThemeBinding, ReferencesKeepTheLibraryLoadedAndNeverGoBelowZero) {
  const int start = ThemeLibraryReferences();
  ASSERT_GE(start, 1);  // the module's own reference
  const bool loaded = InitThemeLibrary();
  InitThemeLibrary();
  FreeThemeLibrary();
  EXPECT_EQ(ThemeLibraryReferences(), start + 1);
  EXPECT_EQ(ThemeApi().OpenThemeData != nullptr, loaded);
  // Dropping every reference unloads the library: the controls then draw classically.
  while (ThemeLibraryReferences() > 0) FreeThemeLibrary();
  FreeThemeLibrary();
  EXPECT_EQ(ThemeLibraryReferences(), 0);
  EXPECT_EQ(ThemeApi().OpenThemeData, nullptr);
  EXPECT_FALSE(UseThemes());
  for (int i = 0; i < start; ++i) InitThemeLibrary();
  EXPECT_EQ(ThemeApi().DrawThemeBackground != nullptr, loaded);
}

TEST(SkinDrawing, CaptureNestsAndAnUnmatchedEndReleasesNothing) {
  HWND wnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                               nullptr, nullptr, nullptr);
  EndCapture();
  EXPECT_EQ(CaptureDepth(), 0);
  BeginCapture(wnd);
  BeginCapture(wnd);
  EndCapture();
  EXPECT_EQ(CaptureDepth(), 1);
  EndCapture();
  EndCapture();
  EXPECT_EQ(CaptureDepth(), 0);
  BeginCapture(wnd);  // works again after the extra End
  EXPECT_EQ(CaptureDepth(), 1);
  EndCapture();
  ::DestroyWindow(wnd);
}

TEST(SkinDrawing, GradientBandsRunFromColourToColour) {
  MemorySurface surface(12, 3, clWhite);
  FillGradient(&surface.Canvas, TRect(1, 0, 11, 3), RGBColor(0, 0, 0), false, RGBColor(90, 180, 9));
  EXPECT_EQ(surface.At(1, 1), RGBColor(0, 0, 0));
  EXPECT_EQ(surface.At(10, 1), RGBColor(81, 162, 8));  // band 9 of 10: i * (c2 - c1) / 10
  EXPECT_EQ(surface.At(5, 2), RGBColor(36, 72, 4));
  EXPECT_EQ(surface.At(0, 1), clWhite);
  EXPECT_EQ(surface.At(11, 1), clWhite);
  FillGradient(&surface.Canvas, TRect(5, 5, 5, 9), clRed, true, clBlue);  // empty: nothing
}

TEST(SkinDrawing, EllipsisKeepsWhatFits) {
  MemorySurface surface(10, 10);
  HDC dc = surface.DC();
  SIZE dots{};
  ::GetTextExtentPoint32W(dc, L"...", 3, &dots);
  EXPECT_EQ(EllipsisText(dc, L"short", 1000), L"short");
  EXPECT_EQ(EllipsisText(dc, L"Wide text", dots.cx), L"...");
  const String cut = EllipsisText(dc, L"abcdefghijklmnop", dots.cx * 3);
  EXPECT_EQ(cut.substr(cut.size() - 3), L"...");
  EXPECT_LT(cut.size(), 19u);
}

TEST(SkinDrawing, RegionsCoverEveryPixelThatIsNotClear) {
  TSeBitmap b;
  b.SetSize(5, 3);
  b.Clear(SeClearPixel);
  b.FillRect(TRect(1, 0, 3, 1), TPixel32{1, 1, 1, 255});
  b.SetPixel(4, 2, TPixel32{0, 0, 0, 0});
  UniqueRegion region(CreateRegionFromBitmap(b, 10, 20));
  ASSERT_TRUE(region);
  EXPECT_TRUE(::PtInRegion(region.get(), 11, 20));
  EXPECT_TRUE(::PtInRegion(region.get(), 12, 20));
  EXPECT_TRUE(::PtInRegion(region.get(), 14, 22));
  EXPECT_FALSE(::PtInRegion(region.get(), 10, 20));
  EXPECT_FALSE(::PtInRegion(region.get(), 13, 20));
  TSeBitmap clear;
  clear.SetSize(2, 2);
  clear.Clear(SeClearPixel);
  EXPECT_EQ(CreateRegionFromBitmap(clear, 0, 0), nullptr);
  EXPECT_EQ(CreateRegionFromBitmap(TSeBitmap(), 0, 0), nullptr);
}

TEST(SkinDrawing, GlyphsAreMadeOnceAndOutOfRangeKindsAreEmpty) {
  TBitmap* ok = GetButtonGlyph(bkOK);
  EXPECT_FALSE(ok->GetEmpty());
  EXPECT_EQ(GetButtonGlyph(bkOK), ok);
  EXPECT_TRUE(GetButtonGlyph(bkCustom)->GetEmpty());
  EXPECT_TRUE(GetButtonGlyph(static_cast<TBitBtnKind>(60))->GetEmpty());
}

}  // namespace
