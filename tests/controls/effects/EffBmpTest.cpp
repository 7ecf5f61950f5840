// The effect bitmap's pixel operations on plain memory (no window, no device context), with
// values worked out by hand, and the DIB-section buffer's round trip through GDI.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/MemorySurface.h"
#include "classlib/system/SysMath.h"
#include "controls/effects/EffBmp.h"

namespace {

constexpr uint8_t kGuard = 0xA5;  // in the row padding and after the last row

// Rows of 24-bit pixels in a vector, with guard bytes in every row's padding and a guard
// area after the image, so that a write outside the pixels shows.
class TestImage {
 public:
  TestImage(int width, int height, uint8_t grey = 0)
      : FWidth(width), FHeight(height),
        FBytes(static_cast<size_t>(EffectRowBytes(width)) * height + 64, kGuard) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) Set(x, y, grey, grey, grey);
  }
  TEffectPixels View() { return TEffectPixels(FBytes.data(), FWidth, FHeight); }
  void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = &FBytes[static_cast<size_t>(y) * EffectRowBytes(FWidth) + 3 * x];
    p[0] = b;
    p[1] = g;
    p[2] = r;
  }
  void SetGrey(int x, int y, uint8_t v) { Set(x, y, v, v, v); }
  // Red, green, blue of a pixel.
  std::array<int, 3> At(int x, int y) const {
    const uint8_t* p = &FBytes[static_cast<size_t>(y) * EffectRowBytes(FWidth) + 3 * x];
    return {p[2], p[1], p[0]};
  }
  // The pixel's value when its three channels agree; -1 otherwise.
  int Grey(int x, int y) const {
    const auto c = At(x, y);
    return c[0] == c[1] && c[1] == c[2] ? c[0] : -1;
  }
  std::vector<int> GreyRow(int y) const {
    std::vector<int> row;
    for (int x = 0; x < FWidth; ++x) row.push_back(Grey(x, y));
    return row;
  }
  std::vector<int> GreyColumn(int x) const {
    std::vector<int> column;
    for (int y = 0; y < FHeight; ++y) column.push_back(Grey(x, y));
    return column;
  }
  // True when no byte outside the pixels was changed.
  bool GuardsIntact() const {
    const int rowBytes = EffectRowBytes(FWidth);
    for (int y = 0; y < FHeight; ++y)
      for (int i = 3 * FWidth; i < rowBytes; ++i)
        if (FBytes[static_cast<size_t>(y) * rowBytes + i] != kGuard) return false;
    for (size_t i = static_cast<size_t>(rowBytes) * FHeight; i < FBytes.size(); ++i)
      if (FBytes[i] != kGuard) return false;
    return true;
  }

 private:
  int FWidth, FHeight;
  std::vector<uint8_t> FBytes;
};

using Row = std::vector<int>;

TEST(EffBmpLayout, RowsArePaddedToFourBytes) {
  EXPECT_EQ(EffectRowBytes(5), 16);
  EXPECT_EQ(EffectRowBytes(4), 12);
  EXPECT_EQ(EffectRowBytes(1), 4);
  EXPECT_EQ(EffectRowBytes(2), 8);
  EXPECT_EQ(EffectRowBytes(3), 12);
  EXPECT_EQ(EffectRowBytes(0), 0);
  TestImage image(5, 3);
  EXPECT_EQ(image.View().GetImageSize(), 48);
}

TEST(EffBmpLayout, RowAccessChecksItsArguments) {
  TestImage image(2, 2);
  image.Set(1, 1, 10, 20, 30);
  std::vector<uint8_t> line(6);
  image.View().GetLine(1, line);
  EXPECT_EQ(line, (std::vector<uint8_t>{0, 0, 0, 30, 20, 10}));
  line = {1, 2, 3, 4, 5, 6};
  image.View().SetLine(0, line);
  EXPECT_EQ(image.At(0, 0), (std::array<int, 3>{3, 2, 1}));
  EXPECT_THROW(image.View().ScanLine(2), ERangeError);
  EXPECT_THROW(image.View().ScanLine(-1), ERangeError);
  std::vector<uint8_t> tooShort(5);
  EXPECT_THROW(image.View().GetLine(0, tooShort), ERangeError);
  EXPECT_THROW(image.View().SetLine(0, tooShort), ERangeError);
  EXPECT_TRUE(image.GuardsIntact());
}

// ---- Gradients ----------------------------------------------------------------------------

TEST(EffBmpGradient, LeftAndRightOnFivePixels) {
  // Weights 0, 0.25, 0.5, 0.75, 1: 255 × t = 0, 63.75, 127.5 (to even), 191.25, 255.
  TestImage left(5, 2, 255);
  left.View().FillGradient(clBlack, gdLeft);
  EXPECT_EQ(left.GreyRow(0), (Row{0, 64, 128, 191, 255}));
  EXPECT_EQ(left.GreyRow(1), (Row{0, 64, 128, 191, 255}));
  EXPECT_TRUE(left.GuardsIntact());

  TestImage right(5, 1, 255);
  right.View().FillGradient(clBlack, gdRight);
  EXPECT_EQ(right.GreyRow(0), (Row{255, 191, 128, 64, 0}));
}

TEST(EffBmpGradient, TopAndBottomOnFiveRows) {
  TestImage top(2, 5, 255);
  top.View().FillGradient(clBlack, gdTop);
  EXPECT_EQ(top.GreyColumn(0), (Row{0, 64, 128, 191, 255}));
  EXPECT_EQ(top.GreyColumn(1), (Row{0, 64, 128, 191, 255}));

  TestImage bottom(1, 5, 255);
  bottom.View().FillGradient(clBlack, gdBottom);
  EXPECT_EQ(bottom.GreyColumn(0), (Row{255, 191, 128, 64, 0}));
  EXPECT_TRUE(bottom.GuardsIntact());
}

TEST(EffBmpGradient, ColourChannelsMixSeparately) {
  // A black image under (200, 100, 7) from the left over 3 pixels: t = 0, 0.5, 1.
  TestImage image(3, 1, 0);
  image.View().FillGradient(RGBColor(200, 100, 7), gdLeft);
  EXPECT_EQ(image.At(0, 0), (std::array<int, 3>{200, 100, 7}));
  EXPECT_EQ(image.At(1, 0), (std::array<int, 3>{100, 50, 4}));  // 3.5 -> 4
  EXPECT_EQ(image.At(2, 0), (std::array<int, 3>{0, 0, 0}));
  // A system colour is resolved first.
  TestImage a(3, 1, 0), b(3, 1, 0);
  a.View().FillGradient(clBtnShadow, gdLeft);
  b.View().FillGradient(ColorFromInt(static_cast<int32_t>(ColorToRGB(clBtnShadow))), gdLeft);
  EXPECT_EQ(a.At(0, 0), b.At(0, 0));
  EXPECT_EQ(a.At(1, 0), b.At(1, 0));
}

TEST(EffBmpGradient, VerticalCentre) {
  // Width 5: middle column 2; t = 1, 0.5, 0, 0.5, 1 (both runs end at the image's own colour).
  TestImage odd(5, 1, 255);
  odd.View().FillGradient(clBlack, gdVCenter);
  EXPECT_EQ(odd.GreyRow(0), (Row{255, 128, 0, 128, 255}));
  // Width 3: t = 1, 0, 1.
  TestImage three(3, 2, 255);
  three.View().FillGradient(clBlack, gdVCenter);
  EXPECT_EQ(three.GreyRow(1), (Row{255, 0, 255}));
  // Width 4: left run over columns 2, 1, 0 at 0, 0.5, 1; right run of one step, column 3 at 1.
  TestImage even(4, 1, 100);
  even.View().FillGradient(clWhite, gdVCenter);
  EXPECT_EQ(even.GreyRow(0), (Row{100, 178, 255, 100}));  // 100 × 0.5 + 255 × 0.5 = 177.5
  // Width 6: left 3, 2, 1, 0 at 0, 1/3, 2/3, 1; right 4, 5 at 0.5, 1.
  TestImage six(6, 1, 255);
  six.View().FillGradient(clBlack, gdVCenter);
  EXPECT_EQ(six.GreyRow(0), (Row{255, 170, 85, 0, 128, 255}));
  EXPECT_TRUE(six.GuardsIntact());
  // Width 7: middle 3, t = 1, 2/3, 1/3, 0, 1/3, 2/3, 1 (255 / 3 = 85, 510 / 3 = 170).
  TestImage seven(7, 1, 255);
  seven.View().FillGradient(clBlack, gdVCenter);
  EXPECT_EQ(seven.GreyRow(0), (Row{255, 170, 85, 0, 85, 170, 255}));
  EXPECT_TRUE(seven.GuardsIntact());
}

TEST(EffBmpGradient, HorizontalCentre) {
  // Height 5: middle row 2; t = 1, 0.5, 0, 0.5, 1 from the top.
  TestImage odd(1, 5, 255);
  odd.View().FillGradient(clBlack, gdHCenter);
  EXPECT_EQ(odd.GreyColumn(0), (Row{255, 128, 0, 128, 255}));
  // Height 4: upward run over rows 2, 1, 0 at 0, 0.5, 1; row 3 at 1.
  TestImage even(3, 4, 255);
  even.View().FillGradient(clBlack, gdHCenter);
  EXPECT_EQ(even.GreyColumn(2), (Row{255, 128, 0, 255}));
  EXPECT_TRUE(even.GuardsIntact());
}

TEST(EffBmpGradient, OneAndTwoPixelDirectionsStayInsideAndReachTheEnds) {
  // One pixel along the direction: the gradient colour covers it (t = 0).
  for (TGradKind kind : {gdLeft, gdRight, gdVCenter}) {
    TestImage image(1, 3, 255);
    image.View().FillGradient(clBlack, kind);
    EXPECT_EQ(image.GreyColumn(0), (Row{0, 0, 0})) << kind;
    EXPECT_TRUE(image.GuardsIntact()) << kind;
  }
  for (TGradKind kind : {gdTop, gdBottom, gdHCenter}) {
    TestImage image(3, 1, 255);
    image.View().FillGradient(clBlack, kind);
    EXPECT_EQ(image.GreyRow(0), (Row{0, 0, 0})) << kind;
    EXPECT_TRUE(image.GuardsIntact()) << kind;
  }
  // Two pixels: from the gradient colour to the image.
  TestImage left(2, 1, 255), right(2, 1, 255), top(1, 2, 255), bottom(1, 2, 255);
  left.View().FillGradient(clBlack, gdLeft);
  right.View().FillGradient(clBlack, gdRight);
  top.View().FillGradient(clBlack, gdTop);
  bottom.View().FillGradient(clBlack, gdBottom);
  EXPECT_EQ(left.GreyRow(0), (Row{0, 255}));
  EXPECT_EQ(right.GreyRow(0), (Row{255, 0}));
  EXPECT_EQ(top.GreyColumn(0), (Row{0, 255}));
  EXPECT_EQ(bottom.GreyColumn(0), (Row{255, 0}));
  // Centre kinds over two pixels: the middle is column (row) 1 at t = 0 and the run towards
  // column (row) 0 ends there at 1.
  TestImage vcenter(2, 1, 255), hcenter(1, 2, 255);
  vcenter.View().FillGradient(clBlack, gdVCenter);
  hcenter.View().FillGradient(clBlack, gdHCenter);
  EXPECT_EQ(vcenter.GreyRow(0), (Row{255, 0}));
  EXPECT_EQ(hcenter.GreyColumn(0), (Row{255, 0}));
  EXPECT_TRUE(vcenter.GuardsIntact());
  EXPECT_TRUE(hcenter.GuardsIntact());
}

TEST(EffBmpGradient, LargeImagesGiveTheSameValues) {
  // 260 pixels share each weight here, enough for the operation to use its result tables.
  TestImage columns(5, 260, 255);
  columns.View().FillGradient(clBlack, gdLeft);
  EXPECT_EQ(columns.GreyRow(0), (Row{0, 64, 128, 191, 255}));
  EXPECT_EQ(columns.GreyRow(259), (Row{0, 64, 128, 191, 255}));
  TestImage rows(260, 5, 255);
  rows.View().FillGradient(clBlack, gdHCenter);
  EXPECT_EQ(rows.GreyColumn(0), (Row{255, 128, 0, 128, 255}));
  EXPECT_EQ(rows.GreyColumn(259), (Row{255, 128, 0, 128, 255}));
  TestImage colour(3, 300, 0);
  colour.View().FillGradient(RGBColor(200, 100, 7), gdLeft);
  EXPECT_EQ(colour.At(1, 299), (std::array<int, 3>{100, 50, 4}));
  EXPECT_TRUE(colour.GuardsIntact());
}

TEST(EffBmpGradient, WeightsNeverLeaveZeroToOne) {
  for (int kind = gdRight; kind <= gdHCenter; ++kind)
    for (int size = 1; size <= 40; ++size)
      for (int i = 0; i < size; ++i) {
        const double t =
            TEffectPixels::GradientWeight(static_cast<TGradKind>(kind), size, size, i);
        ASSERT_GE(t, 0.0) << kind << " " << size << " " << i;
        ASSERT_LE(t, 1.0) << kind << " " << size << " " << i;
      }
  // The centre kinds end at exactly 1 on both outer columns (rows) from three pixels on.
  for (TGradKind kind : {gdVCenter, gdHCenter})
    for (int size = 3; size <= 40; ++size) {
      EXPECT_EQ(TEffectPixels::GradientWeight(kind, size, size, 0), 1.0) << kind << " " << size;
      EXPECT_EQ(TEffectPixels::GradientWeight(kind, size, size, size - 1), 1.0)
          << kind << " " << size;
    }
  // An unknown kind leaves the image alone.
  TestImage image(3, 1, 77);
  image.View().FillGradient(clBlack, static_cast<TGradKind>(6));
  EXPECT_EQ(image.GreyRow(0), (Row{77, 77, 77}));
}

// ---- Mixing -----------------------------------------------------------------------------

TEST(EffBmpMix, MixColorHalvesDownward) {
  TestImage image(1, 1, 0);
  image.View().MixColor(clWhite);
  EXPECT_EQ(image.Grey(0, 0), 127);  // (0 + 255) div 2
  TestImage colour(2, 1, 0);
  colour.Set(1, 0, 255, 10, 3);
  colour.View().MixColor(RGBColor(0, 20, 0));
  EXPECT_EQ(colour.At(0, 0), (std::array<int, 3>{0, 10, 0}));
  EXPECT_EQ(colour.At(1, 0), (std::array<int, 3>{127, 15, 1}));
  EXPECT_TRUE(colour.GuardsIntact());
}

TEST(EffBmpMix, MixBitmapAveragesSameSizedBuffersOnly) {
  TestImage a(3, 2, 10), b(3, 2, 255), other(2, 3, 255);
  b.Set(2, 1, 0, 1, 2);
  a.View().MixBitmap(other.View());
  EXPECT_EQ(a.GreyRow(0), (Row{10, 10, 10}));
  a.View().MixBitmap(b.View());
  EXPECT_EQ(a.GreyRow(0), (Row{132, 132, 132}));  // 265 div 2
  EXPECT_EQ(a.At(2, 1), (std::array<int, 3>{5, 5, 6}));
  EXPECT_EQ(b.Grey(0, 0), 255);  // the other buffer is only read
  EXPECT_TRUE(a.GuardsIntact());
}

// ---- Blur -------------------------------------------------------------------------------

TEST(EffBmpBlur, InPlaceFromTheTopWithOwnRowsAndColumnsAtTheEdges) {
  // 0   40  80         row 0 uses itself as the upper row, row 1 as the lower one;
  // 120 160 200   ->   row 1 reads the already blurred row 0; row 2 reads blurred row 1
  // 240 20  60         and itself (unchanged until it is written) as the lower row.
  TestImage image(3, 3);
  const int values[3][3] = {{0, 40, 80}, {120, 160, 200}, {240, 20, 60}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) image.SetGrey(x, y, static_cast<uint8_t>(values[y][x]));
  image.View().Blur(1);
  EXPECT_EQ(image.GreyRow(0), (Row{80, 100, 120}));
  EXPECT_EQ(image.GreyRow(1), (Row{110, 125, 75}));
  EXPECT_EQ(image.GreyRow(2), (Row{123, 121, 70}));  // 495 div 4, 485 div 4, 280 div 4
  EXPECT_TRUE(image.GuardsIntact());
}

TEST(EffBmpBlur, DistanceZeroOrBeyondTheImageChangesNothing) {
  TestImage image(3, 2);
  image.SetGrey(1, 0, 200);
  image.View().Blur(0);
  EXPECT_EQ(image.GreyRow(0), (Row{0, 200, 0}));
  image.View().Blur(-3);
  EXPECT_EQ(image.GreyRow(0), (Row{0, 200, 0}));
  // Every neighbour lies outside: each pixel averages four copies of itself.
  image.View().Blur(1000000);
  EXPECT_EQ(image.GreyRow(0), (Row{0, 200, 0}));
  EXPECT_TRUE(image.GuardsIntact());
}

TEST(EffBmpBlur, OnePixelWideAndHigh) {
  TestImage column(1, 3);
  column.SetGrey(0, 1, 100);
  column.View().Blur(1);
  // Row 0: (0 + 100) × 2 div 4 = 50; row 1: upper row 0 (now 50), lower row 2 (0): 25;
  // row 2: upper row 1 (now 25), lower itself (0): 12.
  EXPECT_EQ(column.GreyColumn(0), (Row{50, 25, 12}));
  EXPECT_TRUE(column.GuardsIntact());
}

// ---- Noise ------------------------------------------------------------------------------

TEST(EffBmpNoise, ThreeDrawsPerPixelRedFirst) {
  // From seed 12345 the generator gives Random(30) = 11, 8, 2, 16, 19, 10, so the deltas
  // (r - 15) are -4, -7, -13 for the first pixel and +1, +4, -5 for the second.
  TestImage image(2, 1, 100);
  RandSeed = 12345;
  image.View().AddColorNoise(30);
  EXPECT_EQ(image.At(0, 0), (std::array<int, 3>{96, 93, 87}));
  EXPECT_EQ(image.At(1, 0), (std::array<int, 3>{101, 104, 95}));
  EXPECT_EQ(RandSeed, 1467157059);  // six draws, no more
  EXPECT_TRUE(image.GuardsIntact());
}

TEST(EffBmpNoise, ClampsAndAmountZeroChangesNothing) {
  // Seed 0 gives 0, 0, 25: deltas -15, -15, +10.
  TestImage image(1, 1);
  image.Set(0, 0, 5, 250, 250);
  RandSeed = 0;
  image.View().AddColorNoise(30);
  EXPECT_EQ(image.At(0, 0), (std::array<int, 3>{0, 235, 255}));
  RandSeed = 99;
  image.View().AddColorNoise(0);
  EXPECT_EQ(image.At(0, 0), (std::array<int, 3>{0, 235, 255}));
  EXPECT_EQ(RandSeed, 99);
}

TEST(EffBmpEmpty, OperationsOnAnEmptyViewDoNothing) {
  TEffectPixels empty;
  EXPECT_TRUE(empty.GetEmpty());
  empty.AddColorNoise(30);
  empty.MixColor(clWhite);
  empty.Blur(1);
  empty.FillGradient(clBlack, gdLeft);
  empty.MixBitmap(empty);
  EXPECT_THROW(empty.ScanLine(0), ERangeError);
}

// ---- The DIB section --------------------------------------------------------------------

TEST(TEffectBmp, CopiesABitmapRunsEffectsAndDrawsBack) {
  // An off-screen bitmap as a control's paint makes it, of an odd width (padded rows).
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(5, 3);
  bitmap.GetCanvas()->GetBrush()->SetColor(clWhite);
  bitmap.GetCanvas()->FillRect(Rect(0, 0, 5, 3));
  bitmap.GetCanvas()->SetPixels(4, 2, RGBColor(10, 20, 30));
  auto effect = TEffectBmp::CreateFromBitmap(bitmap.GetHandle());
  ASSERT_EQ(effect->GetWidth(), 5);
  ASSERT_EQ(effect->GetHeight(), 3);
  EXPECT_EQ(effect->GetImageSize(), 48);
  const uint8_t* last = effect->ScanLine(2) + 3 * 4;
  EXPECT_EQ(last[0], 30);  // blue, green, red
  EXPECT_EQ(last[1], 20);
  EXPECT_EQ(last[2], 10);

  effect->FillGradient(clBlack, gdLeft);
  effect->Draw(bitmap.GetCanvas()->GetHandle(), 0, 0);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(0, 0), clBlack);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(2, 1), RGBColor(128, 128, 128));
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(4, 0), clWhite);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(4, 2), RGBColor(10, 20, 30));
}

TEST(TEffectBmp, DrawsAtAnOffsetWithoutStretching) {
  MemorySurface surface(10, 10, clBlue);
  TEffectBmp effect(3, 2);  // black
  effect.MixColor(clWhite);  // 127 everywhere
  effect.Draw(surface.DC(), 4, 5);
  EXPECT_EQ(surface.At(4, 5), RGBColor(127, 127, 127));
  EXPECT_EQ(surface.At(6, 6), RGBColor(127, 127, 127));
  EXPECT_EQ(surface.At(7, 6), clBlue);
  EXPECT_EQ(surface.At(4, 7), clBlue);
  EXPECT_EQ(surface.At(3, 5), clBlue);
  EXPECT_EQ(surface.CountOf(RGBColor(127, 127, 127), Rect(0, 0, 10, 10)), 6);
}

TEST(TEffectBmp, MixBitmapAndBadInput) {
  TEffectBmp a(2, 2), b(2, 2), c(3, 2);
  b.MixColor(clWhite);  // 127
  b.MixColor(clWhite);  // 191
  a.MixBitmap(b);
  EXPECT_EQ(a.ScanLine(1)[3], 95);
  a.MixBitmap(c);
  EXPECT_EQ(a.ScanLine(1)[3], 95);
  EXPECT_THROW(TEffectBmp::CreateFromBitmap(nullptr), EInvalidGraphic);
  EXPECT_THROW(TEffectBmp::CreateFromBitmap(reinterpret_cast<HBITMAP>(0x1234)), EInvalidGraphic);
  TEffectBmp empty(0, 5);
  EXPECT_EQ(empty.GetWidth(), 0);
  EXPECT_EQ(empty.GetHandle(), nullptr);
  MemorySurface surface(2, 2, clBlue);
  empty.Draw(surface.DC(), 0, 0);
  EXPECT_EQ(surface.At(0, 0), clBlue);
  EXPECT_THROW(TEffectBmp(100000000, 100000000), EOutOfResources);
}

TEST(TEffectBmp, LeavesNoObjectBehind) {
  ResourceProbe probe;
  for (int i = 0; i < 200; ++i) {
    TBitmap bitmap;
    bitmap.SetSize(8, 8);
    auto effect = TEffectBmp::CreateFromBitmap(bitmap.GetHandle());
    effect->Blur(1);
    effect->Draw(bitmap.GetCanvas()->GetHandle(), 0, 0);
  }
  probe.ExpectNoLeak();
}

}  // namespace
