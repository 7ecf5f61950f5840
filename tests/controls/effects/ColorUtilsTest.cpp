// The colour and shape routines of the effect controls: HSL conversion (plain and range
// forms), the colour shift and the rounded-rectangle and ellipse hit tests.
#include <gtest/gtest.h>

#include "controls/effects/GrUtils.h"
#include "controls/effects/HSLUtils.h"
#include "controls/effects/PtInForm.h"

namespace {

TEST(HSLUtils, ConversionsTakeEachBranchRoundAndClamp) {
  double h, s, l;
  RGBToHSL(RGBColor(255, 0, 128), h, s, l);  // red the maximum, (g - b) / delta < 0: + 1
  EXPECT_NEAR(h, 1 - (128.0 / 255.0) / 6, 1e-12);
  RGBToHSL(RGBColor(255, 153, 153), h, s, l);  // light: 0.4 / (2 - 1.6)
  EXPECT_NEAR(s, 1, 1e-12);
  RGBToHSL(clBtnFace, h, s, l);  // $8000000F is taken as red 15, not as the button face
  EXPECT_DOUBLE_EQ(l, 7.5 / 255);
  EXPECT_EQ(HSLToRGB(0, 0, 0.5), RGBColor(128, 128, 128));   // 127.5 to even
  EXPECT_EQ(HSLToRGB(0, 1, 0.75), RGBColor(255, 128, 128));  // m2 = L + S - L × S
  EXPECT_EQ(HSLToRGB(0, 3, 0.5), clRed);  // a saturation beyond 1 is clamped, not wrapped
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 17)
      for (int b = 0; b < 256; b += 51) {
        RGBToHSL(RGBColor(r, g, b), h, s, l);
        ASSERT_EQ(HSLToRGB(h, s, l), RGBColor(r, g, b)) << r << "," << g << "," << b;
      }
}

TEST(HSLUtils, RangeFormsScaleHueBy239) {
  int h, s, l;
  RGBToHSLRange(RGBColor(128, 128, 128), h, s, l);
  EXPECT_EQ(h + s, 0);
  EXPECT_EQ(l, 120);  // 128/255 × 240 = 120.47
  // Blue's hue 2/3 becomes Round(159.33) = 159, and comes back as 159 / 239: green gets
  // 255 × (2/3 - 0.66527) × 6 = 2.13 -> 2.
  RGBToHSLRange(clBlue, h, s, l);
  EXPECT_EQ(h, 159);
  EXPECT_EQ(s, 240);
  EXPECT_EQ(HSLRangeToRGB(h, s, l), RGBColor(0, 2, 255));
  EXPECT_EQ(HSLRangeToRGB(0, 0, 240), clWhite);
}

TEST(GrUtils, ShiftColorClampsEachChannelAndKeepsTheTopByte) {
  EXPECT_EQ(ShiftColor(RGBColor(250, 5, 100), 10, -10, 0), RGBColor(255, 0, 100));
  EXPECT_EQ(ShiftColor(RGBColor(0, 0, 0), -128, 127, -1), RGBColor(0, 127, 0));
  EXPECT_EQ(ColorToInt(ShiftColor(clBtnFace, 1, 0, 0)), static_cast<int32_t>(0x80000010u));
}

TEST(PtInForm, RoundRectStaysInsideItsRectangle) {
  const TRect r(10, 20, 30, 40);
  for (int y = 15; y < 45; ++y)
    for (int x = 5; x < 35; ++x)
      ASSERT_EQ(PtInRoundRect(x, y, 0, r), PtInRect(r, TPoint(x, y))) << x << "," << y;
  // Corner centres (5, 5), (5, 15), (15, 15), (15, 5); the corner circles reach the right
  // and bottom edges, which stay outside.
  const TRect box(0, 0, 20, 20);
  for (const TPoint out : {Point(20, 5), Point(5, 20), Point(19, 20), Point(1, 1), Point(19, 19)})
    EXPECT_FALSE(PtInRoundRect(out.X, out.Y, 5, box)) << out.X << "," << out.Y;
  EXPECT_TRUE(PtInRoundRect(1, 3, 5, box));  // 16 + 4 <= 25
  EXPECT_TRUE(PtInRoundRect(18, 18, 5, box));
  // Flatter than its corners: the middle rows are covered by the side corner circles.
  EXPECT_TRUE(PtInRoundRect(1, 3, 5, TRect(0, 0, 40, 6)));
  EXPECT_FALSE(PtInRoundRect(0, 3, 5, TRect(0, 0, 40, 6)));
}

TEST(PtInForm, Ellipse) {
  const TRect r(0, 0, 20, 10);  // a = 10, b = 5, centre (10, 5)
  EXPECT_TRUE(PtInEllipse(0, 5, r));   // exactly on the edge
  EXPECT_FALSE(PtInEllipse(1, 1, r));  // 0.81 + 0.64
  EXPECT_TRUE(PtInEllipse(3, 3, r));   // 0.49 + 0.16
  // One pixel wide: a = 0 becomes 1, centre (1, 5); an empty rectangle crashes nothing.
  EXPECT_TRUE(PtInEllipse(0, 5, TRect(0, 0, 1, 10)));
  EXPECT_FALSE(PtInEllipse(0, 4, TRect(0, 0, 1, 10)));
  EXPECT_TRUE(PtInEllipse(1, 1, TRect(0, 0, 0, 0)));
  EXPECT_FALSE(PtInEllipse(0, 0, TRect(0, 0, 0, 0)));
}

}  // namespace
