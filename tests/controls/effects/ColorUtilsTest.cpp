// The colour and shape routines of the effect controls: HSL conversion (plain and range
// forms), the colour shift and the rounded-rectangle and ellipse hit tests.
#include <gtest/gtest.h>

#include "controls/effects/GrUtils.h"
#include "controls/effects/HSLUtils.h"
#include "controls/effects/PtInForm.h"

namespace {

TEST(HSLUtils, RGBToHSLOfPrimariesAndGreys) {
  double h, s, l;
  RGBToHSL(clRed, h, s, l);
  EXPECT_DOUBLE_EQ(h, 0);
  EXPECT_DOUBLE_EQ(s, 1);
  EXPECT_DOUBLE_EQ(l, 0.5);
  RGBToHSL(clWhite, h, s, l);
  EXPECT_DOUBLE_EQ(h, 0);
  EXPECT_DOUBLE_EQ(s, 0);
  EXPECT_DOUBLE_EQ(l, 1);
  // Blue is the maximum: 4 + (r - g) / delta = 4, / 6.
  RGBToHSL(clBlue, h, s, l);
  EXPECT_DOUBLE_EQ(h, 4.0 / 6.0);
  // Magenta-red (255, 0, 128): red is the maximum, (g - b) / delta < 0, so 1 is added.
  RGBToHSL(RGBColor(255, 0, 128), h, s, l);
  EXPECT_NEAR(h, 1 - (128.0 / 255.0) / 6, 1e-12);
  // Dark (L < 0.5) and light (L >= 0.5) saturations take different denominators.
  RGBToHSL(RGBColor(0, 0, 102), h, s, l);  // max 0.4, min 0
  EXPECT_DOUBLE_EQ(s, 1);
  RGBToHSL(RGBColor(255, 153, 153), h, s, l);  // max 1, min 0.6: 0.4 / (2 - 1.6)
  EXPECT_NEAR(s, 1, 1e-12);
  EXPECT_NEAR(l, 0.8, 1e-12);
}

TEST(HSLUtils, SystemColoursAreTakenAsTheyAre) {
  double h, s, l;
  // clBtnFace is $8000000F: red 15, green and blue 0; not the button face's colour.
  RGBToHSL(clBtnFace, h, s, l);
  EXPECT_DOUBLE_EQ(h, 0);
  EXPECT_DOUBLE_EQ(l, 7.5 / 255);
}

TEST(HSLUtils, HSLToRGB) {
  EXPECT_EQ(HSLToRGB(0, 1, 0.5), clRed);
  EXPECT_EQ(HSLToRGB(1.0 / 3.0, 1, 0.5), clLime);
  // Grey: 255 × 0.5 = 127.5 goes to the even 128.
  EXPECT_EQ(HSLToRGB(0, 0, 0.5), RGBColor(128, 128, 128));
  EXPECT_EQ(HSLToRGB(0.7, 0, 1), clWhite);
  // Light colours use m2 = L + S - L × S: (0, 1, 0.75) is (255, 127.5 -> 128, 127.5 -> 128).
  EXPECT_EQ(HSLToRGB(0, 1, 0.75), RGBColor(255, 128, 128));
  // A saturation beyond 1 is clamped per channel, not wrapped.
  EXPECT_EQ(GetRedValue(HSLToRGB(0, 3, 0.5)), 255);
  EXPECT_EQ(GetGreenValue(HSLToRGB(0, 3, 0.5)), 0);
}

TEST(HSLUtils, PlainRoundTripKeepsEveryColour) {
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 17)
      for (int b = 0; b < 256; b += 51) {
        const TColor color = RGBColor(r, g, b);
        double h, s, l;
        RGBToHSL(color, h, s, l);
        ASSERT_EQ(HSLToRGB(h, s, l), color) << r << "," << g << "," << b;
      }
}

TEST(HSLUtils, RangeFormsScaleHueBy239) {
  EXPECT_EQ(HSLRange, 240);
  int h, s, l;
  RGBToHSLRange(clRed, h, s, l);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 240);
  EXPECT_EQ(l, 120);
  // Blue's hue 2/3 becomes Round(159.33) = 159, not 160.
  RGBToHSLRange(clBlue, h, s, l);
  EXPECT_EQ(h, 159);
  // White: L = 240.
  RGBToHSLRange(clWhite, h, s, l);
  EXPECT_EQ(l, 240);
  // Grey 128: L = 128/255 × 240 = 120.47 -> 120.
  RGBToHSLRange(RGBColor(128, 128, 128), h, s, l);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(l, 120);
}

TEST(HSLUtils, RangeRoundTripShowsTheHueQuirk) {
  int h, s, l;
  // Red has hue 0 and survives.
  RGBToHSLRange(clRed, h, s, l);
  EXPECT_EQ(HSLRangeToRGB(h, s, l), clRed);
  // Blue comes back with hue 159 / 239 = 0.66527: green gets
  // 255 × (2/3 - 0.66527) × 6 = 2.13 -> 2.
  RGBToHSLRange(clBlue, h, s, l);
  EXPECT_EQ(HSLRangeToRGB(h, s, l), RGBColor(0, 2, 255));
  // Lime: hue Round(79.67) = 80, 80 / 239 = 0.33473; blue gets 255 × 6 × 0.0014 = 2.1 -> 2.
  RGBToHSLRange(clLime, h, s, l);
  EXPECT_EQ(h, 80);
  EXPECT_EQ(HSLRangeToRGB(h, s, l), RGBColor(0, 255, 2));
  // Greys have no hue and come back exactly when their lightness is on the scale.
  EXPECT_EQ(HSLRangeToRGB(0, 0, 120), RGBColor(128, 128, 128));  // 127.5 -> 128
  EXPECT_EQ(HSLRangeToRGB(0, 0, 240), clWhite);
}

TEST(GrUtils, ShiftColorClampsEachChannel) {
  EXPECT_EQ(ShiftColor(RGBColor(250, 5, 100), 10, -10, 0), RGBColor(255, 0, 100));
  EXPECT_EQ(ShiftColor(RGBColor(100, 100, 100), -65, -65, -65), RGBColor(35, 35, 35));
  EXPECT_EQ(ShiftColor(RGBColor(200, 200, 200), 65, 65, 65), RGBColor(255, 255, 255));
  EXPECT_EQ(ShiftColor(RGBColor(0, 0, 0), -128, 127, -1), RGBColor(0, 127, 0));
  // The top byte stays; a system colour's index is shifted as a red channel.
  EXPECT_EQ(ColorToInt(ShiftColor(clBtnFace, 1, 0, 0)), static_cast<int32_t>(0x80000010u));
}

TEST(PtInForm, RoundRectWithRadiusZeroIsThePlainRectangle) {
  const TRect r(10, 20, 30, 40);
  for (int y = 15; y < 45; ++y)
    for (int x = 5; x < 35; ++x)
      ASSERT_EQ(PtInRoundRect(x, y, 0, r), PtInRect(r, TPoint(x, y))) << x << "," << y;
}

TEST(PtInForm, RoundRectCorners) {
  const TRect r(0, 0, 20, 20);  // corner centres (5, 5), (5, 15), (15, 15), (15, 5)
  EXPECT_FALSE(PtInRoundRect(0, 0, 5, r));    // 25 + 25 > 25
  EXPECT_FALSE(PtInRoundRect(1, 1, 5, r));    // 16 + 16 > 25
  EXPECT_TRUE(PtInRoundRect(1, 3, 5, r));     // 16 + 4 <= 25
  EXPECT_TRUE(PtInRoundRect(0, 5, 5, r));     // on the rectangle narrowed at top and bottom
  EXPECT_TRUE(PtInRoundRect(5, 0, 5, r));     // on the one narrowed left and right
  EXPECT_TRUE(PtInRoundRect(18, 18, 5, r));   // 9 + 9 <= 25
  EXPECT_FALSE(PtInRoundRect(19, 19, 5, r));  // 16 + 16 > 25
  EXPECT_TRUE(PtInRoundRect(10, 10, 5, r));
  // The corner circles reach the right and bottom edges, which stay outside.
  EXPECT_FALSE(PtInRoundRect(20, 5, 5, r));
  EXPECT_FALSE(PtInRoundRect(5, 20, 5, r));
  EXPECT_FALSE(PtInRoundRect(19, 20, 5, r));
}

TEST(PtInForm, RoundRectFlatterThanItsCorners) {
  // Height 6 < 2 × radius: the top/bottom-narrowed rectangle is empty and left out; the
  // middle rows are still covered by the side corner circles.
  const TRect r(0, 0, 40, 6);
  EXPECT_TRUE(PtInRoundRect(1, 3, 5, r));  // near the corner centres (5, 5) and (5, 1)
  EXPECT_TRUE(PtInRoundRect(20, 0, 5, r));
  EXPECT_FALSE(PtInRoundRect(0, 3, 5, r));  // 25 + 4 from both left centres
  EXPECT_FALSE(PtInRoundRect(20, 6, 5, r));
}

TEST(PtInForm, Ellipse) {
  const TRect r(0, 0, 20, 10);  // a = 10, b = 5, centre (10, 5)
  EXPECT_TRUE(PtInEllipse(10, 5, r));
  EXPECT_TRUE(PtInEllipse(0, 5, r));    // exactly on the edge: 1 + 0
  EXPECT_TRUE(PtInEllipse(10, 0, r));
  EXPECT_FALSE(PtInEllipse(1, 1, r));   // 0.81 + 0.64
  EXPECT_TRUE(PtInEllipse(3, 3, r));    // 0.49 + 0.16
  EXPECT_FALSE(PtInEllipse(21, 5, r));
  // Odd sizes: width 21 still gives a = 10 around Left + 10.
  EXPECT_TRUE(PtInEllipse(20, 5, TRect(0, 0, 21, 10)));
  EXPECT_FALSE(PtInEllipse(21, 5, TRect(0, 0, 21, 10)));
}

TEST(PtInForm, EllipseOnePixelWideUsesAOf1) {
  const TRect r(0, 0, 1, 10);  // a = 0 -> 1, b = 5, centre (1, 5)
  EXPECT_TRUE(PtInEllipse(0, 5, r));   // |0 - 1| / 1 = 1
  EXPECT_TRUE(PtInEllipse(1, 9, r));   // 0 + 0.64
  EXPECT_FALSE(PtInEllipse(0, 4, r));  // 1 + 0.04
  EXPECT_FALSE(PtInEllipse(3, 5, r));
  // An empty rectangle: a = b = 1 around its corner; nothing crashes.
  EXPECT_TRUE(PtInEllipse(1, 1, TRect(0, 0, 0, 0)));
  EXPECT_FALSE(PtInEllipse(0, 0, TRect(0, 0, 0, 0)));
}

}  // namespace
