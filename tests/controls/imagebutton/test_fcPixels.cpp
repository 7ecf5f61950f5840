// The pixel loops on plain memory: colour helpers, every effect, the smooth stretch and the
// region runs. Expected pixels are worked out by hand from the effects' arithmetic.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <vector>

#include "classlib/system/SysMath.h"
#include "controls/imagebutton/fcBitmapPixels.h"

namespace {

using Effect = std::function<void(const TfcPixelView&)>;
using Blues = std::vector<int>;

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
Blues BluesOf(TfcPixelBuffer& buffer) {
  Blues out;
  for (int y = 0; y < buffer.GetHeight(); ++y)
    for (int x = 0; x < buffer.GetWidth(); ++x) out.push_back(buffer.At(x, y).B);
  return out;
}

// The blue channels after the effect ran on a gray image given row by row.
Blues Applied(int width, int height, std::initializer_list<int> values, const Effect& effect) {
  TfcPixelBuffer image = GrayImage(width, height, values);
  effect(image.View());
  return BluesOf(image);
}

// The pixel the effect makes of a one-pixel image.
TfcColor Applied(TfcColor pixel, const Effect& effect) {
  TfcPixelBuffer image(1, 1, pixel);
  effect(image.View());
  return image.At(0, 0);
}

// The blue channels of a one-row gray image after a gray blend of its size was mixed in.
Blues Blended(std::initializer_list<int> image, std::initializer_list<int> blend, int amount,
              const TfcColor* key = nullptr) {
  TfcPixelBuffer overlay = GrayImage(static_cast<int>(blend.size()), 1, blend);
  return Applied(static_cast<int>(image.size()), 1, image,
                 [&](auto v) { fcPixels::AlphaBlend(v, overlay.View(), amount, key); });
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

const double kQuarter = 2.0 / 3.14159265358979323846;  // a wave divisor giving 0, 1, 0, -1

}  // namespace

TEST(FcColors, SwappingUnpackingAndSystemColours) {
  uint32_t entries[2] = {0x00112233u, 0xFF112233u};
  SwapColorEntries(entries, 2);
  EXPECT_EQ(0x00332211u, entries[0]);
  EXPECT_EQ(0x00332211u, entries[1]);  // the top byte cleared
  SwapColorEntries(nullptr, 4);
  EXPECT_EQ((TfcColor{0x33, 0x22, 0x11}), ColorToBytes(RGBColor(0x11, 0x22, 0x33)));
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ((TfcColor{GetBValue(face), GetGValue(face), GetRValue(face)}), ColorToBytes(clBtnFace));
  EXPECT_EQ((TfcColor{0x33, 0x22, 0x11}), UnpackPixel(0xFF112233u));
  EXPECT_EQ(0, ColorToRGBQuad(clBtnFace).High);  // translated first
}

TEST(FcBuffers, EveryEffectAcceptsAnEmptyImage) {
  TfcPixelBuffer empty(0, 5);
  EXPECT_TRUE(empty.View().Empty());
  fcPixels::GrayScale(empty.View());
  fcPixels::Wave(empty.View(), 1, 1, 1, true);
  fcPixels::Rotate(empty.View(), TPoint(-1, -1), 30);
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

TEST(FcEffects, NeutralAmountsAndZeroDivisorsChangeNothing) {
  TfcPixelBuffer other(4, 3, Gray(0));
  const Effect effects[] = {
      [](auto v) { fcPixels::Lightness(v, 0); },
      [](auto v) { fcPixels::Contrast(v, 0); },
      [](auto v) { fcPixels::Saturation(v, 256); },
      [](auto v) { fcPixels::Colorize(v, 192, 192, 192, nullptr); },
      [](auto v) { fcPixels::BlurStep(v, 0); },
      [](auto v) { fcPixels::GaussianBlur(v, 0); },
      [](auto v) { fcPixels::GaussianBlur(v, -4); },
      [](auto v) { fcPixels::Sharpen(v, 0); },
      [](auto v) { fcPixels::Sponge(v, 0); },
      [](auto v) { fcPixels::Sponge(v, 1); },  // its offset is always 0
      [](auto v) { fcPixels::Wave(v, 0, 5, 3, true); },
      [](auto v) { fcPixels::Wave(v, 5, 0, 3, false); },
      [](auto v) { fcPixels::Rotate(v, TPoint(-1, -1), 0); },
      [&](auto v) { fcPixels::AlphaBlend(v, other.View(), 0, nullptr); },
  };
  RandSeed = 1234;
  for (size_t i = 0; i < std::size(effects); ++i) {
    TfcPixelBuffer image = Numbered(4, 3), original = Numbered(4, 3);
    effects[i](image.View());
    EXPECT_TRUE(SamePixels(image, original)) << "effect " << i;
  }
}

TEST(FcEffects, ChannelMaps) {
  TfcPixelBuffer gray(3, 1);
  gray.At(0, 0) = TfcColor{10, 20, 30};     // 3 + 6 + 10
  gray.At(1, 0) = TfcColor{255, 255, 255};  // 85 x 3
  gray.At(2, 0) = TfcColor{1, 1, 2};        // thirds of 1 and 2 are 0
  fcPixels::GrayScale(gray.View());
  EXPECT_EQ((Blues{19, 255, 0}), BluesOf(gray));
  // i + (255 - i) * 128 shr 8, and i - 128 * i shr 8.
  EXPECT_EQ((Blues{127, 177, 255}),
            Applied(3, 1, {0, 100, 255}, [](auto v) { fcPixels::Lightness(v, 128); }));
  EXPECT_EQ((Blues{0, 50, 128}),
            Applied(3, 1, {0, 100, 255}, [](auto v) { fcPixels::Lightness(v, -128); }));
  EXPECT_EQ((Blues{0, 86, 127, 236, 255}),
            Applied(5, 1, {0, 100, 127, 200, 255}, [](auto v) { fcPixels::Contrast(v, 128); }));
  EXPECT_EQ((Blues{128, 128, 128}),
            Applied(3, 1, {100, 126, 200}, [](auto v) { fcPixels::Contrast(v, -256); }));
  // 28 x -100 / 256 = -10.9: truncated to -10, so 100 becomes 110 (flooring would give 111).
  EXPECT_EQ((Blues{110}), Applied(1, 1, {100}, [](auto v) { fcPixels::Contrast(v, -100); }));
  EXPECT_EQ((TfcColor{255, 0, 255}),
            Applied(TfcColor{50, 10, 250}, [](auto v) { fcPixels::AddColor(v, 10, -20, 300); }));
  EXPECT_EQ((TfcColor{255, 240, 55}), Applied(TfcColor{0, 15, 200}, fcPixels::Invert));
}

TEST(FcEffects, SaturationAndColorize) {
  const TfcColor pixel{10, 20, 30};  // gray 19
  EXPECT_EQ((TfcColor{1, 21, 41}),  // 19 + 2c - 38
            Applied(pixel, [](auto v) { fcPixels::Saturation(v, 512); }));
  EXPECT_EQ((TfcColor{15, 20, 25}),  // 19 + c/2 - 9
            Applied(pixel, [](auto v) { fcPixels::Saturation(v, 128); }));
  TfcPixelBuffer a = Numbered(4, 3), b = Numbered(4, 3);
  fcPixels::Saturation(a.View(), 0);  // the gray scale
  fcPixels::GrayScale(b.View());
  EXPECT_TRUE(SamePixels(a, b));
  // Shifted by the colour less 192; the key is spared.
  TfcPixelBuffer image(2, 1);
  image.At(0, 0) = TfcColor{50, 150, 250};
  image.At(1, 0) = TfcColor{1, 2, 3};
  const TfcColor key{1, 2, 3};
  fcPixels::Colorize(image.View(), 200, 100, 192, &key);
  EXPECT_EQ((TfcColor{50, 58, 255}), image.At(0, 0));
  EXPECT_EQ(key, image.At(1, 0));
}

TEST(FcEffects, EmbossUsesTheLowerRightNeighbourAndStaysInsideThinImages) {
  // Row 0 against (1,1) = 50, (2,1) = 60, (2,1) = 60; rows 1 and 2 against the last row's
  // pixel 1 as it was (80): (c + 255 - n) shr 1.
  const Effect emboss = [](auto v) { fcPixels::Emboss(v); };
  EXPECT_EQ((Blues{107, 107, 112, 107, 112, 117, 122, 127, 132}),
            Applied(3, 3, {10, 20, 30, 40, 50, 60, 70, 80, 90}, emboss));
  EXPECT_EQ((Blues{127}), Applied(1, 1, {100}, emboss));  // against itself
  // Row 0 against (0,1) = 40; rows 1 and 2 against the last row's (clamped) pixel, 70.
  EXPECT_EQ((Blues{112, 112, 127}), Applied(1, 3, {10, 40, 70}, emboss));
  EXPECT_EQ((Blues{112, 127, 142}), Applied(3, 1, {10, 40, 70}, emboss));  // all against 40
}

TEST(FcEffects, BlursAndSharpen) {
  // x0: (100+100+0+0)/4; x1 reads the new x0: (200+200+50+50)/4; x2: (200+200+125+125)/4.
  EXPECT_EQ((Blues{50, 125, 162}),
            Applied(3, 1, {0, 100, 200}, [](auto v) { fcPixels::BlurStep(v, 1); }));
  // Radius 2 gives 100 150 150, then radius 1.
  EXPECT_EQ((Blues{125, 137, 143}),
            Applied(3, 1, {0, 100, 200}, [](auto v) { fcPixels::GaussianBlur(v, 2); }));
  // x0: (0 - 16 x 300) / 128 < 0; x1: (25600 - 16 x 800) / 128; x2: (51200 - 16 x 1300) / 128.
  EXPECT_EQ((Blues{0, 100, 237}),
            Applied(3, 1, {0, 100, 200}, [](auto v) { fcPixels::Sharpen(v, 1); }));
  // (12800 - 16 x 550) / 128 at a corner; the centre clamped.
  const Blues spot = Applied(3, 3, {50, 50, 50, 50, 200, 50, 50, 50, 50},
                             [](auto v) { fcPixels::Sharpen(v, 1); });
  EXPECT_EQ(31, spot[0]);
  EXPECT_EQ(255, spot[4]);
}

TEST(FcEffects, SpongeDrawsThreeNumbersPerPixelFromThePictureItself) {
  RandSeed = 99;
  TfcPixelBuffer a = Numbered(4, 3);
  fcPixels::Sponge(a.View(), 3);
  const int32_t after = RandSeed;
  RandSeed = 99;
  for (int i = 0; i < 3 * 12; ++i) Random(10);
  EXPECT_EQ(RandSeed, after);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(7, a.At(x, y).G);
      const int blue = a.At(x, y).B;
      EXPECT_TRUE(blue % 10 >= 1 && blue % 10 <= 3 && blue / 10 <= 3) << blue;
    }
}

TEST(FcEffects, FlipMirrorsAndTwiceRestores) {
  EXPECT_EQ((Blues{3, 2, 1}), Applied(3, 1, {1, 2, 3}, [](auto v) { fcPixels::Flip(v, true); }));
  EXPECT_EQ((Blues{4, 3, 2, 1}),
            Applied(4, 1, {1, 2, 3, 4}, [](auto v) { fcPixels::Flip(v, true); }));
  EXPECT_EQ((Blues{3, 2, 1}), Applied(1, 3, {1, 2, 3}, [](auto v) { fcPixels::Flip(v, false); }));
  TfcPixelBuffer twice = Numbered(5, 4), original = Numbered(5, 4);
  for (bool horizontal : {true, true, false, false}) fcPixels::Flip(twice.View(), horizontal);
  EXPECT_TRUE(SamePixels(twice, original));
}

// Column offsets 0, 1, 0, -1 and row offsets 0: pixel (x, y) comes from row y + offset of x.
// Uncovered pixels turn white, or with wrapping come from a true modulo.
TEST(FcEffects, WaveMovesColumnsAndWrapsAsATrueModulo) {
  TfcPixelBuffer image = Numbered(4, 4), source = Numbered(4, 4), wrapped = Numbered(4, 4);
  fcPixels::Wave(image.View(), kQuarter, 1e9, 1, false);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(source.At(2, y), image.At(2, y));
  EXPECT_EQ(source.At(1, 1), image.At(1, 0));
  EXPECT_EQ(fcWhitePixel, image.At(1, 3));  // row 4 is outside
  EXPECT_EQ(fcWhitePixel, image.At(3, 0));  // row -1 is outside
  EXPECT_EQ(source.At(3, 2), image.At(3, 3));
  fcPixels::Wave(wrapped.View(), kQuarter, 1e9, 1, true);
  EXPECT_EQ(source.At(1, 0), wrapped.At(1, 3));  // row 4 wraps to row 0
  EXPECT_EQ(source.At(3, 3), wrapped.At(3, 0));  // row -1 wraps to row 3
  EXPECT_EQ(source.At(3, 0), wrapped.At(3, 1));
  // Row offsets 0, 1, 0, -1 move pixels along the rows, wrapping the same way.
  TfcPixelBuffer rows = Numbered(4, 4);
  fcPixels::Wave(rows.View(), 1e9, kQuarter, 1, true);
  EXPECT_EQ(source.At(1, 1), rows.At(0, 1));
  EXPECT_EQ(source.At(0, 1), rows.At(3, 1));  // column 4 wraps to column 0
  EXPECT_EQ(source.At(3, 3), rows.At(0, 3));  // column -1 wraps to column 3
}

TEST(FcEffects, RotateTurnsAboutTheCentreAndFillsWithTheTopLeftColour) {
  // About (1, 1) by 90 degrees: pixel (x, y) comes from (y, 1 - x).
  TfcPixelBuffer image = Numbered(3, 3), source = Numbered(3, 3);
  fcPixels::Rotate(image.View(), TPoint(-1, -1), 90);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(source.At(y, 1), image.At(0, y)) << y;
    EXPECT_EQ(source.At(y, 0), image.At(1, y)) << y;
    EXPECT_EQ(source.At(0, 0), image.At(2, y)) << y;  // uncovered: the top-left colour
  }
}

TEST(FcEffects, MaskReplaceAndAlphaBlend) {
  TfcPixelBuffer image(3, 1);
  image.At(0, 0) = image.At(2, 0) = TfcColor{1, 2, 3};
  image.At(1, 0) = TfcColor{1, 2, 4};
  TfcPixelBuffer mask = image;
  fcPixels::MaskByColor(mask.View(), TfcColor{1, 2, 3});
  EXPECT_EQ((Blues{0, 255, 0}), BluesOf(mask));
  fcPixels::ReplaceColor(image.View(), TfcColor{9, 9, 9}, TfcColor{1, 2, 3});
  EXPECT_EQ(Gray(9), image.At(0, 0));
  EXPECT_EQ((TfcColor{1, 2, 4}), image.At(1, 0));
  EXPECT_EQ(Gray(9), image.At(2, 0));
  // +50, -50, floor(127.5) = 127, floor(-127.5) = -128; at 255 white over black is 254.
  EXPECT_EQ((Blues{150, 150, 127, 127}), Blended({100, 200, 0, 255}, {200, 100, 255, 0}, 128));
  EXPECT_EQ((Blues{254}), Blended({0}, {255}, 255));
  const TfcColor key = Gray(7);  // blend pixels of the key leave the image alone
  EXPECT_EQ((Blues{100, 150}), Blended({100, 100}, {7, 200}, 128, &key));
}

TEST(FcResampling, SmoothStretchInterpolatesInFixedPoint) {
  auto stretched = [](TfcPixelBuffer source, int width, int height) {
    TfcPixelBuffer target(width, height, Gray(0));
    fcPixels::SmoothStretch(source.View(), target.View());
    return BluesOf(target);
  };
  // Steps of 1/4 of the first gap, across and (one pixel wide: no right neighbour) down.
  EXPECT_EQ((Blues{0, 50, 100, 150}), stretched(GrayImage(2, 1, {0, 200}), 4, 1));
  EXPECT_EQ((Blues{0, 50, 100, 150}), stretched(GrayImage(1, 2, {0, 200}), 1, 4));
  EXPECT_EQ((Blues{0, 60}), stretched(GrayImage(4, 1, {0, 40, 80, 120}), 2, 1));  // step 1.5
  EXPECT_EQ((Blues(9, 77)), stretched(GrayImage(1, 1, {77}), 3, 3));
}

TEST(FcRegions, RunsAreThePixelsThatDifferFromTheKeyRowByRow) {
  TfcPixelBuffer image(5, 3, fcWhitePixel);
  image.At(1, 0) = image.At(2, 0) = Gray(0);
  image.At(4, 0) = Gray(9);
  image.At(0, 2) = Gray(1);
  const std::vector<TRect> expected = {TRect(1, 0, 3, 1), TRect(4, 0, 5, 1), TRect(0, 2, 1, 3)};
  EXPECT_EQ(expected, fcPixels::RegionRuns(image.View(), fcWhitePixel));
  TfcPixelBuffer clear(4, 2, fcWhitePixel);
  EXPECT_TRUE(fcPixels::RegionRuns(clear.View(), fcWhitePixel).empty());
  EXPECT_EQ((std::vector<TRect>{TRect(0, 0, 4, 1), TRect(0, 1, 4, 2)}),
            fcPixels::RegionRuns(clear.View(), Gray(3)));
}
