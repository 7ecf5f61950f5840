// Pixel maths of the owner-drawn library against tables: blending at the three alpha bands,
// hue steps and their wrap, HSL round trips, the colour key and channel clamping.
#include <gtest/gtest.h>

#include "controls/skin/engine/SkinBitmap.h"
#include "controls/skin/engine/SkinColors.h"

namespace {

TPixel32 Px(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) { return TPixel32{b, g, r, a}; }

TEST(SkinPixels, BlendAtNoneHalfAndFullAlpha) {
  const TPixel32 dest = Px(10, 200, 255, 255);
  struct Row {
    TPixel32 Source;
    TPixel32 Expected;
  };
  const Row rows[] = {
      {Px(250, 0, 100, 0), dest},                  // alpha 0: the destination
      {Px(250, 0, 100, 255), Px(250, 0, 100, 255)},  // alpha 255: the source
      // alpha 128: floor((s*128+128)/256) + floor((d*127+128)/256) per channel
      {Px(250, 0, 100, 128), Px(130, 99, 177, 191)},
      {Px(0, 0, 0, 128), Px(5, 99, 127, 191)},
  };
  for (const Row& row : rows) {
    const TPixel32 got = BlendPixel(row.Source, dest);
    EXPECT_EQ(got, row.Expected) << int(got.R) << "," << int(got.G) << "," << int(got.B) << ","
                                 << int(got.A);
  }
}

TEST(SkinPixels, HueStepsWrapByTwoHundredFiftyFiveAndKeepAlpha) {
  // Pure colours sit on known hue steps: red 0, green 85, blue 170.
  struct Row {
    TPixel32 Pixel;
    int Delta;
    int ExpectedStep;
  };
  const Row rows[] = {{Px(255, 0, 0), 85, 85},    {Px(0, 255, 0), 85, 170},
                      {Px(0, 0, 255), 85, 255},   {Px(0, 0, 255), 86, 1},
                      {Px(0, 0, 255), -170, 0},   {Px(255, 0, 0), -10, 245},
                      {Px(255, 0, 0), 255 * 40 + 85, 85}};
  for (const Row& row : rows) {
    const TPixel32 shifted = ShiftHue(row.Pixel, row.Delta);
    const THSL hsl = RGBToHSL(shifted);
    EXPECT_NEAR(hsl.H * 255, row.ExpectedStep % 255, 0.51) << row.Delta;
  }
  // Each pixel keeps its own alpha; a grey (saturation 0) keeps its colour.
  const TPixel32 half = ShiftHue(Px(255, 0, 0, 77), 85);
  EXPECT_EQ(half.A, 77);
  EXPECT_EQ(ShiftHue(Px(90, 90, 90, 10), 40), Px(90, 90, 90, 10));
}

TEST(SkinPixels, HslRoundTripsGiveTheSamePixel) {
  const TPixel32 pixels[] = {Px(0, 0, 0),      Px(255, 255, 255), Px(255, 0, 0),
                             Px(12, 200, 99),  Px(128, 128, 64),  Px(1, 2, 3),
                             Px(250, 128, 5),  Px(127, 0, 127),   Px(60, 180, 240)};
  for (const TPixel32& p : pixels) {
    const THSL hsl = RGBToHSL(p);
    EXPECT_EQ(HSLToRGB(hsl.L, hsl.S, hsl.H), p) << int(p.R) << "," << int(p.G) << "," << int(p.B);
  }
  const THSL red = RGBToHSL(Px(255, 0, 0));
  EXPECT_FLOAT_EQ(red.H, 0);
  EXPECT_FLOAT_EQ(red.S, 1);
  EXPECT_FLOAT_EQ(red.L, 0.5f);
}

TEST(SkinPixels, PackingClampsAndConversionsSwapRedAndBlue) {
  EXPECT_EQ(PackPixel(300, -5, 128, 9), Px(255, 0, 128, 9));
  EXPECT_EQ(SubtractPixel(Px(10, 20, 30, 40), 20, 5, -300, 1), Px(0, 15, 255, 39));
  EXPECT_EQ(ColorToPixel(RGBColor(1, 2, 3)), Px(1, 2, 3, 255));
  EXPECT_EQ(PixelToColor(Px(1, 2, 3, 0)), RGBColor(1, 2, 3));
  const COLORREF face = ColorToRGB(clBtnFace);
  EXPECT_EQ(ColorToPixel(clBtnFace), Px(GetRValue(face), GetGValue(face), GetBValue(face)));
}

TEST(SkinPixels, ColorKeyTakesPixelsWithinFiveOnEachChannel) {
  TSeBitmap bitmap;
  bitmap.SetSize(4, 1);
  bitmap.SetPixel(0, 0, Px(250, 5, 251, 200));  // within 5 of magenta: keyed out
  bitmap.SetPixel(1, 0, Px(249, 0, 255, 255));  // red 6 away: kept
  bitmap.SetPixel(2, 0, Px(255, 0, 255, 0));    // alpha is not compared
  bitmap.SetPixel(3, 0, Px(255, 6, 255, 255));  // green 6 away: kept
  bitmap.ApplyColorKey(RGBColor(255, 0, 255));
  EXPECT_EQ(bitmap.GetPixel(0, 0), SeClearPixel);
  EXPECT_EQ(bitmap.GetPixel(1, 0), Px(249, 0, 255, 255));
  EXPECT_EQ(bitmap.GetPixel(2, 0), SeClearPixel);
  EXPECT_EQ(bitmap.GetPixel(3, 0), Px(255, 6, 255, 255));
}

}  // namespace
