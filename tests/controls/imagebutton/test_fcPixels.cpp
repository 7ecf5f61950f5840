// The pixel loops on plain memory: colour helpers, every effect, the smooth stretch and the
// region runs. Expected pixels are worked out by hand from the effects' arithmetic.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "classlib/system/SysMath.h"
#include "controls/imagebutton/fcBitmapPixels.h"

namespace {

TfcColor Gray(int v) { return TfcColor{uint8_t(v), uint8_t(v), uint8_t(v)}; }

// A width x height buffer of gray pixels, given row by row.
TfcPixelBuffer GrayImage(int width, int height, std::initializer_list<int> values) {
  TfcPixelBuffer buffer(width, height);
  int i = 0;
  for (int v : values) {
    buffer.At(i % width, i / width) = Gray(v);
    ++i;
  }
  return buffer;
}

// The blue channel of every pixel, row by row.
std::vector<int> Blues(TfcPixelBuffer& buffer) {
  std::vector<int> out;
  for (int y = 0; y < buffer.GetHeight(); ++y)
    for (int x = 0; x < buffer.GetWidth(); ++x) out.push_back(buffer.At(x, y).B);
  return out;
}

// A buffer whose pixels all differ: blue = 10 x column + row + 1, green 7, red 9.
TfcPixelBuffer Numbered(int width, int height) {
  TfcPixelBuffer buffer(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) buffer.At(x, y) = TfcColor{uint8_t(10 * x + y + 1), 7, 9};
  return buffer;
}

bool SamePixels(TfcPixelBuffer& a, TfcPixelBuffer& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      if (!(a.At(x, y) == b.At(x, y))) return false;
  return true;
}

}  // namespace

// ---- Colours and buffers ---------------------------------------------------------------------

TEST(FcColors, SwapColorEntriesSwapsRedAndBlueAndClearsTheTopByte) {
  uint32_t entries[3] = {0x00112233u, 0xFF112233u, 0x00000000u};
  SwapColorEntries(entries, 3);
  EXPECT_EQ(0x00332211u, entries[0]);
  EXPECT_EQ(0x00332211u, entries[1]);
  EXPECT_EQ(0u, entries[2]);
  SwapColorEntries(nullptr, 4);  // nothing to do, no crash
}

TEST(FcColors, BytesPackingAndQuads) {
  EXPECT_EQ((TfcColor{0x33, 0x22, 0x11}), ColorToBytes(RGBColor(0x11, 0x22, 0x33)));
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ((TfcColor{GetBValue(face), GetGValue(face), GetRValue(face)}), ColorToBytes(clBtnFace));
  EXPECT_EQ(RGBColor(0x11, 0x22, 0x33), PackedToColor(0x112233));
  EXPECT_EQ(0x112233u, PackPixel(TfcColor{0x33, 0x22, 0x11}));
  EXPECT_EQ((TfcColor{0x33, 0x22, 0x11}), UnpackPixel(0xFF112233u));
  const TfcColorQuad quad = ColorToRGBQuad(RGBColor(1, 2, 3));
  EXPECT_EQ(0, quad.High);
  EXPECT_EQ(3, quad.Blue);
  EXPECT_EQ(2, quad.Green);
  EXPECT_EQ(1, quad.Red);
  EXPECT_EQ(0, ClampByte(-5));
  EXPECT_EQ(255, ClampByte(300));
  EXPECT_EQ(7, ClampRange(7, 0, 9));
  EXPECT_EQ(9, ClampRange(12, 0, 9));
  EXPECT_EQ(0, ClampRange(-1, 0, 9));
}

TEST(FcBuffers, RowsArePaddedToFourBytes) {
  EXPECT_EQ(4, fcRowStride(1));
  EXPECT_EQ(8, fcRowStride(2));
  EXPECT_EQ(12, fcRowStride(3));
  EXPECT_EQ(12, fcRowStride(4));
  EXPECT_EQ(16, fcRowStride(5));
  EXPECT_EQ(120, fcRowStride(40));
  TfcPixelBuffer empty(0, 5);
  EXPECT_TRUE(empty.View().Empty());
  fcPixels::GrayScale(empty.View());  // every effect accepts an empty image
  fcPixels::Wave(empty.View(), 1, 1, 1, true);
  fcPixels::Rotate(empty.View(), TPoint(-1, -1), 30);
}

TEST(FcBuffers, EffectsLeaveTheRowPaddingAlone) {
  TfcPixelBuffer image(1, 3, Gray(100));  // 3 bytes of pixel and 1 of padding per row
  TfcPixelView view = image.View();
  for (int y = 0; y < 3; ++y) view.Row(y)[3] = 0xAB;
  fcPixels::Invert(view);
  fcPixels::Emboss(view);
  fcPixels::GaussianBlur(view, 3);
  fcPixels::Sharpen(view, 2);
  fcPixels::Flip(view, false);
  fcPixels::Wave(view, 2, 2, 3, true);
  fcPixels::Rotate(view, TPoint(-1, -1), 45);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(0xAB, view.Row(y)[3]) << "row " << y;
}

// Images of one or two pixels in a block with guard bytes before the first row, in every
// row's padding and after the last row: no effect may write outside the pixels.
class GuardedImage {
 public:
  static constexpr uint8_t kGuard = 0x5A;
  static constexpr size_t kMargin = 64;
  GuardedImage(int width, int height, int grey)
      : FWidth(width), FHeight(height),
        FBytes(kMargin * 2 + static_cast<size_t>(fcRowStride(width)) * height, kGuard) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) View().At(x, y) = Gray(grey + 10 * x + 20 * y);
  }
  TfcPixelView View() {
    return TfcPixelView{FBytes.data() + kMargin, FWidth, FHeight, fcRowStride(FWidth)};
  }
  bool GuardsIntact() const {
    const size_t stride = static_cast<size_t>(fcRowStride(FWidth));
    for (size_t i = 0; i < FBytes.size(); ++i) {
      const bool inImage = i >= kMargin && i < kMargin + stride * FHeight &&
                           (i - kMargin) % stride < static_cast<size_t>(3 * FWidth);
      if (!inImage && FBytes[i] != kGuard) return false;
    }
    return true;
  }

 private:
  int FWidth, FHeight;
  std::vector<uint8_t> FBytes;
};

TEST(FcBuffers, EveryEffectOnTinyImagesWritesOnlyItsPixels) {
  const int sizes[][2] = {{1, 1}, {3, 1}, {1, 3}, {2, 2}};
  for (const auto& size : sizes) {
    const int w = size[0], h = size[1];
    GuardedImage image(w, h, 60), blend(w, h, 200), small(1, 1, 90), large(5, 4, 30);
    const TfcPixelView v = image.View();
    const TfcColor key = Gray(60);
    fcPixels::GrayScale(v);
    fcPixels::Lightness(v, 40);
    fcPixels::Contrast(v, -30);
    fcPixels::Saturation(v, 50);
    fcPixels::Colorize(v, 220, 10, 0, &key);
    fcPixels::AddColor(v, 5, -5, 300);
    fcPixels::Invert(v);
    fcPixels::Emboss(v);
    fcPixels::BlurStep(v, 2);
    fcPixels::GaussianBlur(v, 5);
    fcPixels::Sharpen(v, 3);
    RandSeed = 7;
    fcPixels::Sponge(v, 20);
    fcPixels::Flip(v, true);
    fcPixels::Flip(v, false);
    fcPixels::Wave(v, 1, 1, 4, true);
    fcPixels::Wave(v, 3, 2, -5, false);
    fcPixels::Rotate(v, TPoint(-1, -1), 90);
    fcPixels::Rotate(v, TPoint(w, h), 33);
    fcPixels::AlphaBlend(v, blend.View(), 128, &key);
    fcPixels::ReplaceColor(v, Gray(1), key);
    fcPixels::MaskByColor(v, Gray(1));
    fcPixels::SmoothStretch(small.View(), v);
    fcPixels::SmoothStretch(v, large.View());
    fcPixels::SmoothStretch(large.View(), v);
    EXPECT_TRUE(image.GuardsIntact()) << w << "x" << h;
    EXPECT_TRUE(blend.GuardsIntact()) << w << "x" << h;
    EXPECT_TRUE(small.GuardsIntact()) << w << "x" << h;
    EXPECT_TRUE(large.GuardsIntact()) << w << "x" << h;
  }
}

// ---- Channel maps -----------------------------------------------------------------------------

TEST(FcEffects, GrayScaleSumsThirds) {
  TfcPixelBuffer image(3, 1);
  image.At(0, 0) = TfcColor{10, 20, 30};     // 3 + 6 + 10
  image.At(1, 0) = TfcColor{255, 255, 255};  // 85 x 3
  image.At(2, 0) = TfcColor{1, 1, 2};        // thirds of 1 and 2 are 0
  fcPixels::GrayScale(image.View());
  EXPECT_EQ(Gray(19), image.At(0, 0));
  EXPECT_EQ(Gray(255), image.At(1, 0));
  EXPECT_EQ(Gray(0), image.At(2, 0));
}

TEST(FcEffects, LightnessLightensTowardWhiteAndDarkensTowardBlack) {
  TfcPixelBuffer light = GrayImage(3, 1, {0, 100, 255});
  fcPixels::Lightness(light.View(), 128);  // i + (255 - i) * 128 shr 8
  EXPECT_EQ((std::vector<int>{127, 177, 255}), Blues(light));
  TfcPixelBuffer dark = GrayImage(3, 1, {0, 100, 255});
  fcPixels::Lightness(dark.View(), -128);  // i - 128 * i shr 8
  EXPECT_EQ((std::vector<int>{0, 50, 128}), Blues(dark));
  TfcPixelBuffer same = Numbered(3, 2), original = Numbered(3, 2);
  fcPixels::Lightness(same.View(), 0);
  EXPECT_TRUE(SamePixels(same, original));
}

TEST(FcEffects, ContrastSpreadsAroundTheMiddleAndTruncatesTowardZero) {
  TfcPixelBuffer image = GrayImage(5, 1, {0, 100, 127, 200, 255});
  fcPixels::Contrast(image.View(), 128);
  EXPECT_EQ((std::vector<int>{0, 86, 127, 236, 255}), Blues(image));
  TfcPixelBuffer flat = GrayImage(3, 1, {100, 126, 200});
  fcPixels::Contrast(flat.View(), -256);  // everything meets at 128
  EXPECT_EQ((std::vector<int>{128, 128, 128}), Blues(flat));
  // 28 x -100 / 256 = -10.9: truncated to -10, so 100 becomes 110 (flooring would give 111).
  TfcPixelBuffer soft = GrayImage(1, 1, {100});
  fcPixels::Contrast(soft.View(), -100);
  EXPECT_EQ(110, soft.At(0, 0).B);
  TfcPixelBuffer same = Numbered(3, 2), original = Numbered(3, 2);
  fcPixels::Contrast(same.View(), 0);
  EXPECT_TRUE(SamePixels(same, original));
}

TEST(FcEffects, SaturationMovesChannelsAwayFromOrTowardTheGray) {
  auto saturated = [](int amount) {
    TfcPixelBuffer image(1, 1);
    image.At(0, 0) = TfcColor{10, 20, 30};  // gray 19
    fcPixels::Saturation(image.View(), amount);
    return image.At(0, 0);
  };
  EXPECT_EQ((TfcColor{10, 20, 30}), saturated(256));
  EXPECT_EQ(Gray(19), saturated(0));
  EXPECT_EQ((TfcColor{1, 21, 41}), saturated(512));   // 19 + 2c - 38
  EXPECT_EQ((TfcColor{15, 20, 25}), saturated(128));  // 19 + c/2 - 9
  // Saturation 0 is the gray scale.
  TfcPixelBuffer a = Numbered(4, 3), b = Numbered(4, 3);
  fcPixels::Saturation(a.View(), 0);
  fcPixels::GrayScale(b.View());
  EXPECT_TRUE(SamePixels(a, b));
}

TEST(FcEffects, ColorizeShiftsByTheColourLess192AndSparesTheKey) {
  TfcPixelBuffer image(2, 1);
  image.At(0, 0) = TfcColor{50, 150, 250};
  image.At(1, 0) = TfcColor{1, 2, 3};
  const TfcColor key{1, 2, 3};
  fcPixels::Colorize(image.View(), 200, 100, 192, &key);
  EXPECT_EQ((TfcColor{50, 58, 255}), image.At(0, 0));
  EXPECT_EQ(key, image.At(1, 0));
  TfcPixelBuffer same = Numbered(3, 3), original = Numbered(3, 3);
  fcPixels::Colorize(same.View(), 192, 192, 192, nullptr);
  EXPECT_TRUE(SamePixels(same, original));
}

TEST(FcEffects, AddColorAndInvert) {
  TfcPixelBuffer image(1, 1);
  image.At(0, 0) = TfcColor{50, 10, 250};
  fcPixels::AddColor(image.View(), 10, -20, 300);
  EXPECT_EQ((TfcColor{255, 0, 255}), image.At(0, 0));
  image.At(0, 0) = TfcColor{0, 15, 200};
  fcPixels::Invert(image.View());
  EXPECT_EQ((TfcColor{255, 240, 55}), image.At(0, 0));
}

// ---- Neighbourhood effects ---------------------------------------------------------------------

TEST(FcEffects, EmbossUsesTheLowerRightNeighbourAndOneFixedPixelForTheLastTwoRows) {
  TfcPixelBuffer image = GrayImage(3, 3, {10, 20, 30, 40, 50, 60, 70, 80, 90});
  fcPixels::Emboss(image.View());
  // Row 0 against (1,1) = 50, (2,1) = 60, (2,1) = 60; rows 1 and 2 against the last row's
  // pixel 1 as it was (80): (c + 255 - n) shr 1.
  EXPECT_EQ((std::vector<int>{107, 107, 112, 107, 112, 117, 122, 127, 132}), Blues(image));
}

TEST(FcEffects, EmbossOfOnePixelWideOrHighImagesStaysInside) {
  TfcPixelBuffer dot = GrayImage(1, 1, {100});
  fcPixels::Emboss(dot.View());
  EXPECT_EQ(127, dot.At(0, 0).B);  // against itself: (100 + 155) shr 1
  TfcPixelBuffer column = GrayImage(1, 3, {10, 40, 70});
  fcPixels::Emboss(column.View());
  // Row 0 against (0,1) = 40; rows 1 and 2 against the last row's (clamped) pixel, 70.
  EXPECT_EQ((std::vector<int>{112, 112, 127}), Blues(column));
  TfcPixelBuffer row = GrayImage(3, 1, {10, 40, 70});
  fcPixels::Emboss(row.View());
  EXPECT_EQ((std::vector<int>{112, 127, 142}), Blues(row));  // all against pixel 1 (40)
}

TEST(FcEffects, BlurStepAveragesFourPixelsReadingWhatItHasAlreadyWritten) {
  TfcPixelBuffer image = GrayImage(3, 1, {0, 100, 200});
  fcPixels::BlurStep(image.View(), 1);
  // x0: (100+100+0+0)/4; x1 reads the new x0: (200+200+50+50)/4; x2: (200+200+125+125)/4.
  EXPECT_EQ((std::vector<int>{50, 125, 162}), Blues(image));
  TfcPixelBuffer same = Numbered(3, 3), original = Numbered(3, 3);
  fcPixels::BlurStep(same.View(), 0);
  EXPECT_TRUE(SamePixels(same, original));
}

TEST(FcEffects, GaussianBlurRunsTheStepsFromTheLargestRadiusDown) {
  TfcPixelBuffer image = GrayImage(3, 1, {0, 100, 200});
  fcPixels::GaussianBlur(image.View(), 2);  // radius 2 gives 100 150 150, then radius 1
  EXPECT_EQ((std::vector<int>{125, 137, 143}), Blues(image));
  TfcPixelBuffer same = Numbered(3, 3), original = Numbered(3, 3);
  fcPixels::GaussianBlur(same.View(), 0);
  fcPixels::GaussianBlur(same.View(), -4);
  EXPECT_TRUE(SamePixels(same, original));
}

TEST(FcEffects, SharpenDoublesTheCentreLessTheMeanOfItsNeighbours) {
  TfcPixelBuffer image = GrayImage(3, 1, {0, 100, 200});
  fcPixels::Sharpen(image.View(), 1);
  // x0: (0 - 16 x 300) / 128 < 0; x1: (25600 - 16 x 800) / 128; x2: (51200 - 16 x 1300) / 128.
  EXPECT_EQ((std::vector<int>{0, 100, 237}), Blues(image));
  TfcPixelBuffer spot = GrayImage(3, 3, {50, 50, 50, 50, 200, 50, 50, 50, 50});
  fcPixels::Sharpen(spot.View(), 1);
  EXPECT_EQ(31, spot.At(0, 0).B);   // (12800 - 16 x 550) / 128
  EXPECT_EQ(255, spot.At(1, 1).B);  // clamped
  TfcPixelBuffer same = Numbered(3, 3), original = Numbered(3, 3);
  fcPixels::Sharpen(same.View(), 0);
  EXPECT_TRUE(SamePixels(same, original));
}

TEST(FcEffects, SpongeDrawsThreeNumbersPerPixelAndAmountZeroChangesNothing) {
  TfcPixelBuffer same = Numbered(4, 3), original = Numbered(4, 3);
  RandSeed = 1234;
  fcPixels::Sponge(same.View(), 0);
  EXPECT_TRUE(SamePixels(same, original));
  fcPixels::Sponge(same.View(), 1);  // k is always 0
  EXPECT_TRUE(SamePixels(same, original));

  RandSeed = 99;
  TfcPixelBuffer a = Numbered(4, 3);
  fcPixels::Sponge(a.View(), 3);
  const int32_t after = RandSeed;
  RandSeed = 99;
  for (int i = 0; i < 3 * 12; ++i) Random(10);
  EXPECT_EQ(RandSeed, after);
  // The same seed gives the same picture; every pixel comes from the picture itself.
  RandSeed = 99;
  TfcPixelBuffer b = Numbered(4, 3);
  fcPixels::Sponge(b.View(), 3);
  EXPECT_TRUE(SamePixels(a, b));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(7, a.At(x, y).G);
      const int blue = a.At(x, y).B;
      EXPECT_TRUE(blue % 10 >= 1 && blue % 10 <= 3 && blue / 10 <= 3) << blue;
    }
}

// ---- Geometry ---------------------------------------------------------------------------------------

TEST(FcEffects, FlipMirrorsAndTwiceRestores) {
  TfcPixelBuffer odd = GrayImage(3, 1, {1, 2, 3});
  fcPixels::Flip(odd.View(), true);
  EXPECT_EQ((std::vector<int>{3, 2, 1}), Blues(odd));
  TfcPixelBuffer even = GrayImage(4, 1, {1, 2, 3, 4});
  fcPixels::Flip(even.View(), true);
  EXPECT_EQ((std::vector<int>{4, 3, 2, 1}), Blues(even));
  TfcPixelBuffer column = GrayImage(1, 3, {1, 2, 3});
  fcPixels::Flip(column.View(), false);
  EXPECT_EQ((std::vector<int>{3, 2, 1}), Blues(column));
  TfcPixelBuffer twice = Numbered(5, 4), original = Numbered(5, 4);
  fcPixels::Flip(twice.View(), true);
  fcPixels::Flip(twice.View(), true);
  fcPixels::Flip(twice.View(), false);
  fcPixels::Flip(twice.View(), false);
  EXPECT_TRUE(SamePixels(twice, original));
}

// XDiv = 2 / pi makes the column offsets sin(x pi / 2) = 0, 1, 0, -1; a huge YDiv makes the
// row offsets 0. Pixel (x, y) comes from row y + offset of column x.
TEST(FcEffects, WaveMovesColumnsAndLeavesUncoveredPixelsWhite) {
  const double quarter = 2.0 / 3.14159265358979323846;
  TfcPixelBuffer image = Numbered(4, 4), source = Numbered(4, 4);
  fcPixels::Wave(image.View(), quarter, 1e9, 1, false);
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(source.At(0, y), image.At(0, y));
    EXPECT_EQ(source.At(2, y), image.At(2, y));
  }
  EXPECT_EQ(source.At(1, 1), image.At(1, 0));
  EXPECT_EQ(source.At(1, 3), image.At(1, 2));
  EXPECT_EQ(fcWhitePixel, image.At(1, 3));  // row 4 is outside
  EXPECT_EQ(fcWhitePixel, image.At(3, 0));  // row -1 is outside
  EXPECT_EQ(source.At(3, 0), image.At(3, 1));
  EXPECT_EQ(source.At(3, 2), image.At(3, 3));
}

TEST(FcEffects, WaveWrapIsATrueModulo) {
  const double quarter = 2.0 / 3.14159265358979323846;
  TfcPixelBuffer image = Numbered(4, 4), source = Numbered(4, 4);
  fcPixels::Wave(image.View(), quarter, 1e9, 1, true);
  EXPECT_EQ(source.At(1, 0), image.At(1, 3));  // row 4 wraps to row 0
  EXPECT_EQ(source.At(3, 3), image.At(3, 0));  // row -1 wraps to row 3
  EXPECT_EQ(source.At(3, 0), image.At(3, 1));
  // Row offsets 0, 1, 0, -1 move pixels along the rows, wrapping the same way.
  TfcPixelBuffer rows = Numbered(4, 4);
  fcPixels::Wave(rows.View(), 1e9, quarter, 1, true);
  EXPECT_EQ(source.At(1, 1), rows.At(0, 1));
  EXPECT_EQ(source.At(0, 1), rows.At(3, 1));  // column 4 wraps to column 0
  EXPECT_EQ(source.At(3, 3), rows.At(0, 3));  // column -1 wraps to column 3
  // A zero divisor does nothing.
  TfcPixelBuffer same = Numbered(4, 4);
  fcPixels::Wave(same.View(), 0, 5, 3, true);
  fcPixels::Wave(same.View(), 5, 0, 3, false);
  EXPECT_TRUE(SamePixels(same, source));
}

TEST(FcEffects, RotateTurnsAboutTheCentreAndFillsWithTheTopLeftColour) {
  TfcPixelBuffer same = Numbered(4, 3), source = Numbered(3, 3);
  TfcPixelBuffer original = Numbered(4, 3);
  fcPixels::Rotate(same.View(), TPoint(-1, -1), 0);
  EXPECT_TRUE(SamePixels(same, original));

  // About (1, 1) by 90 degrees: pixel (x, y) comes from (y, 1 - x).
  TfcPixelBuffer image = Numbered(3, 3);
  fcPixels::Rotate(image.View(), TPoint(-1, -1), 90);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(source.At(y, 1), image.At(0, y)) << y;
    EXPECT_EQ(source.At(y, 0), image.At(1, y)) << y;
    EXPECT_EQ(source.At(0, 0), image.At(2, y)) << y;  // uncovered: the top-left colour
  }
}

TEST(FcEffects, MaskAndReplaceColor) {
  TfcPixelBuffer image(3, 1);
  image.At(0, 0) = TfcColor{1, 2, 3};
  image.At(1, 0) = TfcColor{1, 2, 4};
  image.At(2, 0) = TfcColor{1, 2, 3};
  TfcPixelBuffer mask = image;
  fcPixels::MaskByColor(mask.View(), TfcColor{1, 2, 3});
  EXPECT_EQ(fcBlackPixel, mask.At(0, 0));
  EXPECT_EQ(fcWhitePixel, mask.At(1, 0));
  EXPECT_EQ(fcBlackPixel, mask.At(2, 0));
  fcPixels::ReplaceColor(image.View(), TfcColor{9, 9, 9}, TfcColor{1, 2, 3});
  EXPECT_EQ(Gray(9), image.At(0, 0));
  EXPECT_EQ((TfcColor{1, 2, 4}), image.At(1, 0));
  EXPECT_EQ(Gray(9), image.At(2, 0));
}

TEST(FcEffects, AlphaBlendAddsTheFlooredShareOfTheDifference) {
  TfcPixelBuffer image = GrayImage(4, 1, {100, 200, 0, 255});
  TfcPixelBuffer blend = GrayImage(4, 1, {200, 100, 255, 0});
  fcPixels::AlphaBlend(image.View(), blend.View(), 128, nullptr);
  // +50, -50, floor(127.5) = 127, floor(-127.5) = -128.
  EXPECT_EQ((std::vector<int>{150, 150, 127, 127}), Blues(image));

  TfcPixelBuffer full = GrayImage(1, 1, {0});
  TfcPixelBuffer white = GrayImage(1, 1, {255});
  fcPixels::AlphaBlend(full.View(), white.View(), 255, nullptr);
  EXPECT_EQ(254, full.At(0, 0).B);

  TfcPixelBuffer same = Numbered(3, 2), original = Numbered(3, 2);
  TfcPixelBuffer other(3, 2, Gray(0));
  fcPixels::AlphaBlend(same.View(), other.View(), 0, nullptr);
  EXPECT_TRUE(SamePixels(same, original));

  // Blend pixels of the key leave the image alone.
  TfcPixelBuffer keyed = GrayImage(2, 1, {100, 100});
  TfcPixelBuffer overlay = GrayImage(2, 1, {7, 200});
  const TfcColor key = Gray(7);
  fcPixels::AlphaBlend(keyed.View(), overlay.View(), 128, &key);
  EXPECT_EQ((std::vector<int>{100, 150}), Blues(keyed));
}

// ---- Resampling and regions ----------------------------------------------------------------------

TEST(FcResampling, SmoothStretchInterpolatesInFixedPoint) {
  TfcPixelBuffer wide = GrayImage(2, 1, {0, 200});
  TfcPixelBuffer wider(4, 1);
  fcPixels::SmoothStretch(wide.View(), wider.View());  // step 1/4 of the first gap
  EXPECT_EQ((std::vector<int>{0, 50, 100, 150}), Blues(wider));

  TfcPixelBuffer tall = GrayImage(1, 2, {0, 200});
  TfcPixelBuffer taller(1, 4);
  fcPixels::SmoothStretch(tall.View(), taller.View());  // one pixel wide: no right neighbour
  EXPECT_EQ((std::vector<int>{0, 50, 100, 150}), Blues(taller));

  TfcPixelBuffer four = GrayImage(4, 1, {0, 40, 80, 120});
  TfcPixelBuffer two(2, 1);
  fcPixels::SmoothStretch(four.View(), two.View());  // step 1.5: pixel 0, then 1.5
  EXPECT_EQ((std::vector<int>{0, 60}), Blues(two));

  TfcPixelBuffer dot = GrayImage(1, 1, {77});
  TfcPixelBuffer block(3, 3, Gray(0));
  fcPixels::SmoothStretch(dot.View(), block.View());
  EXPECT_EQ((std::vector<int>(9, 77)), Blues(block));
}

TEST(FcRegions, RunsAreThePixelsThatDifferFromTheKeyRowByRow) {
  TfcPixelBuffer image(5, 3, fcWhitePixel);
  image.At(1, 0) = Gray(0);
  image.At(2, 0) = Gray(0);
  image.At(4, 0) = Gray(9);
  image.At(0, 2) = Gray(1);
  const std::vector<TRect> runs = fcPixels::RegionRuns(image.View(), fcWhitePixel);
  const std::vector<TRect> expected = {TRect(1, 0, 3, 1), TRect(4, 0, 5, 1), TRect(0, 2, 1, 3)};
  EXPECT_EQ(expected, runs);
  TfcPixelBuffer clear(4, 2, fcWhitePixel);
  EXPECT_TRUE(fcPixels::RegionRuns(clear.View(), fcWhitePixel).empty());
  const std::vector<TRect> full = fcPixels::RegionRuns(clear.View(), Gray(3));
  EXPECT_EQ((std::vector<TRect>{TRect(0, 0, 4, 1), TRect(0, 1, 4, 2)}), full);
}
