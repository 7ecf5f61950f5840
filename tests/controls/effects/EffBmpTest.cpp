// The effect bitmap's pixel operations on plain memory (no window, no device context), with
// values worked out by hand, and the DIB-section buffer's round trip through GDI.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/MemorySurface.h"
#include "classlib/system/SysMath.h"
#include "controls/effects/EffBmp.h"

namespace {

using Row = std::vector<int>;
using Rgb = std::array<int, 3>;

// Rows of 24-bit pixels in a vector, with guard bytes in every row's padding and a guard
// area after the image, so that a write outside the pixels shows.
struct TestImage {
  static constexpr uint8_t kGuard = 0xA5;
  TestImage(int width, int height, uint8_t grey = 0)
      : Width(width), Height(height), RowBytes(EffectRowBytes(width)),
        Bytes(static_cast<size_t>(RowBytes) * height + 64, kGuard) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) Set(x, y, grey, grey, grey);
  }
  TEffectPixels View() { return TEffectPixels(Bytes.data(), Width, Height); }
  uint8_t* Pixel(int x, int y) { return &Bytes[static_cast<size_t>(y) * RowBytes + 3 * x]; }
  void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t bgr[3] = {b, g, r};
    std::memcpy(Pixel(x, y), bgr, 3);
  }
  Rgb At(int x, int y) { return {Pixel(x, y)[2], Pixel(x, y)[1], Pixel(x, y)[0]}; }
  // The pixels from (x, y) on, a step (dx, dy) apart, as greys; -1 where the channels differ.
  Row Greys(int x, int y, int dx, int dy) {
    Row greys;
    for (; x < Width && y < Height; x += dx, y += dy) {
      const Rgb c = At(x, y);
      greys.push_back(c[0] == c[1] && c[1] == c[2] ? c[0] : -1);
    }
    return greys;
  }
  Row GreyRow(int y) { return Greys(0, y, 1, 0); }
  Row GreyColumn(int x) { return Greys(x, 0, 0, 1); }
  // True when no byte outside the pixels was changed.
  bool GuardsIntact() const {
    for (size_t i = 0; i < Bytes.size(); ++i)
      if ((i >= static_cast<size_t>(RowBytes) * Height || i % RowBytes >= 3u * Width) &&
          Bytes[i] != kGuard)
        return false;
    return true;
  }

  int Width, Height, RowBytes;
  std::vector<uint8_t> Bytes;
};

TEST(EffBmpLayout, RowsArePaddedAndRowAccessChecksItsArguments) {
  EXPECT_EQ(EffectRowBytes(5), 16);
  EXPECT_EQ(EffectRowBytes(1), 4);
  TestImage image(2, 2);
  image.Set(1, 1, 10, 20, 30);
  std::vector<uint8_t> line(6);
  image.View().GetLine(1, line);
  EXPECT_EQ(line, (std::vector<uint8_t>{0, 0, 0, 30, 20, 10}));
  EXPECT_THROW(image.View().ScanLine(2), ERangeError);
  EXPECT_THROW(image.View().ScanLine(-1), ERangeError);
  line.resize(5);
  EXPECT_THROW(image.View().GetLine(0, line), ERangeError);
  EXPECT_THROW(image.View().SetLine(0, line), ERangeError);
  EXPECT_TRUE(image.GuardsIntact());
  TEffectPixels empty;  // every operation on an empty view does nothing
  empty.AddColorNoise(30);
  empty.MixColor(clWhite);
  empty.Blur(1);
  empty.FillGradient(clBlack, gdLeft);
  empty.MixBitmap(empty);
  EXPECT_THROW(empty.ScanLine(0), ERangeError);
}

// ---- Gradients ----------------------------------------------------------------------------

// A white line of `length` pixels along the kind's direction (three pixels across it) under
// a black gradient: the greys along its middle, or {} when a guard byte changed.
Row GradientLine(TGradKind kind, int length) {
  const bool row = kind == gdLeft || kind == gdRight || kind == gdVCenter;
  TestImage image(row ? length : 3, row ? 3 : length, 255);
  image.View().FillGradient(clBlack, kind);
  return image.GuardsIntact() ? (row ? image.GreyRow(1) : image.GreyColumn(1)) : Row{};
}

TEST(EffBmpGradient, EachDirectionEvenSizesAndColours) {
  // Weights 0, 0.25, 0.5, 0.75, 1: 255 × t = 0, 63.75, 127.5 (to even), 191.25, 255.
  const Row up{0, 64, 128, 191, 255}, down{255, 191, 128, 64, 0};
  EXPECT_EQ(GradientLine(gdLeft, 5), up);
  EXPECT_EQ(GradientLine(gdRight, 5), down);
  EXPECT_EQ(GradientLine(gdTop, 5), up);
  EXPECT_EQ(GradientLine(gdBottom, 5), down);
  // Odd centre runs share the step 1 / 2: columns 2, 1, 0 at 0, 0.5, 1, then 3, 4 again from
  // 0 at 0, 0.5; rows 2, 3, 4 at 0, 0.5, 1, then 1, 0 at 0, 0.5.
  EXPECT_EQ(GradientLine(gdVCenter, 5), (Row{255, 128, 0, 0, 128}));
  EXPECT_EQ(GradientLine(gdHCenter, 5), (Row{128, 0, 0, 128, 255}));
  // Even centre runs have their own steps: width 6 runs left 3, 2, 1, 0 at 0, 1/3, 2/3, 1
  // and right 4, 5 at 0.5, 1; height 4 runs up 2, 1, 0 at 0, 0.5, 1, down to row 3 at 1.
  EXPECT_EQ(GradientLine(gdVCenter, 6), (Row{255, 170, 85, 0, 128, 255}));
  EXPECT_EQ(GradientLine(gdHCenter, 4), (Row{255, 128, 0, 255}));
  // Colour channels mix separately (3.5 -> 4); a system colour is resolved first. Large
  // images (300 pixels sharing a weight) use result tables and give the same values.
  TestImage colour(3, 300, 0), system(3, 1, 0);
  colour.View().FillGradient(RGBColor(200, 100, 7), gdLeft);
  EXPECT_EQ(colour.At(1, 299), (Rgb{100, 50, 4}));
  EXPECT_TRUE(colour.GuardsIntact());
  system.View().FillGradient(clBtnShadow, gdLeft);
  const COLORREF shadow = ColorToRGB(clBtnShadow);
  EXPECT_EQ(system.At(0, 0), (Rgb{GetRValue(shadow), GetGValue(shadow), GetBValue(shadow)}));
}

TEST(EffBmpGradient, OneAndTwoPixelDirectionsStayInsideAndReachTheEnds) {
  for (TGradKind kind : {gdLeft, gdRight, gdTop, gdBottom, gdVCenter, gdHCenter}) {
    // One pixel along the direction: the gradient colour covers it (t = 0).
    EXPECT_EQ(GradientLine(kind, 1), Row{0}) << kind;
    // Two pixels: from the gradient colour to the image. The centre kinds' middle is
    // column (row) 1 at t = 0, and the run towards column (row) 0 ends there at 1.
    const bool fromStart = kind == gdLeft || kind == gdTop;
    EXPECT_EQ(GradientLine(kind, 2), fromStart ? (Row{0, 255}) : (Row{255, 0})) << kind;
  }
}

TEST(EffBmpGradient, WeightsNeverLeaveZeroToOneAndCentresReachTheirEnds) {
  for (int kind = gdRight; kind <= gdHCenter; ++kind)
    for (int size = 1; size <= 40; ++size)
      for (int i = 0; i < size; ++i) {
        const double t =
            TEffectPixels::GradientWeight(static_cast<TGradKind>(kind), size, size, i);
        ASSERT_TRUE(t >= 0.0 && t <= 1.0) << kind << " " << size << " " << i << ": " << t;
        // The centre kinds' first run ends at exactly 1 on its outer column (row) from three
        // on; the second does on even sizes, and one step short of 1 on odd ones.
        if (kind < gdVCenter || size < 3) continue;
        const bool firstEnd = i == (kind == gdVCenter ? 0 : size - 1);
        const bool secondEnd = i == (kind == gdVCenter ? size - 1 : 0);
        if (firstEnd || (secondEnd && size % 2 == 0))
          EXPECT_EQ(t, 1.0) << kind << " " << size << " " << i;
        else if (secondEnd)
          EXPECT_DOUBLE_EQ(t, 1.0 - 1.0 / ((size - 1) / 2)) << kind << " " << size << " " << i;
      }
  TestImage image(3, 1, 77);  // an unknown kind leaves the image alone
  image.View().FillGradient(clBlack, static_cast<TGradKind>(6));
  EXPECT_EQ(image.GreyRow(0), (Row{77, 77, 77}));
}

// ---- Mixing, noise, blur ---------------------------------------------------------------------

TEST(EffBmpMix, MixColorAndMixBitmapHalveDownward) {
  TestImage image(2, 1, 0);
  image.Set(1, 0, 255, 10, 3);
  image.View().MixColor(RGBColor(0, 20, 0));
  EXPECT_EQ(image.At(1, 0), (Rgb{127, 15, 1}));
  // Same-sized buffers only; the other buffer is only read.
  TestImage a(3, 2, 10), b(3, 2, 255), other(2, 3, 255);
  b.Set(2, 1, 0, 1, 2);
  a.View().MixBitmap(other.View());
  EXPECT_EQ(a.GreyRow(0), (Row{10, 10, 10}));
  a.View().MixBitmap(b.View());
  EXPECT_EQ(a.GreyRow(0), (Row{132, 132, 132}));  // 265 div 2
  EXPECT_EQ(a.At(2, 1), (Rgb{5, 5, 6}));
  EXPECT_EQ(b.GreyRow(0), (Row{255, 255, 255}));
  EXPECT_TRUE(a.GuardsIntact() && image.GuardsIntact());
}

TEST(EffBmpNoise, ThreeDrawsPerPixelRedFirstClamped) {
  // From seed 12345 the generator gives Random(30) = 11, 8, 2, 16, 19, 10, so the deltas
  // (r - 15) are -4, -7, -13 for the first pixel and +1, +4, -5 for the second.
  TestImage image(2, 1, 100);
  RandSeed = 12345;
  image.View().AddColorNoise(30);
  EXPECT_EQ(image.At(0, 0), (Rgb{96, 93, 87}));
  EXPECT_EQ(image.At(1, 0), (Rgb{101, 104, 95}));
  EXPECT_EQ(RandSeed, 1467157059);  // six draws, no more; amount 0 draws none
  image.View().AddColorNoise(0);
  EXPECT_EQ(RandSeed, 1467157059);
  EXPECT_TRUE(image.GuardsIntact());
  image.Set(0, 0, 5, 250, 250);  // seed 0 gives 0, 0, 25: deltas -15, -15, +10
  RandSeed = 0;
  image.View().AddColorNoise(30);
  EXPECT_EQ(image.At(0, 0), (Rgb{0, 235, 255}));
}

TEST(EffBmpBlur, InPlaceFromTheTopWithOwnRowsAndColumnsAtTheEdges) {
  // 0   40  80         row 0 uses itself as the upper row, row 1 as the lower one;
  // 120 160 200   ->   row 1 reads the already blurred row 0; row 2 reads blurred row 1
  // 240 20  60         and itself (unchanged until it is written) as the lower row.
  TestImage image(3, 3);
  const uint8_t values[3][3] = {{0, 40, 80}, {120, 160, 200}, {240, 20, 60}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) image.Set(x, y, values[y][x], values[y][x], values[y][x]);
  image.View().Blur(1);
  EXPECT_EQ(image.GreyRow(0), (Row{80, 100, 120}));
  EXPECT_EQ(image.GreyRow(1), (Row{110, 125, 75}));
  EXPECT_EQ(image.GreyRow(2), (Row{123, 121, 70}));  // 495 div 4, 485 div 4, 280 div 4
  EXPECT_TRUE(image.GuardsIntact());
  // One pixel wide: row 0 (0 + 100) × 2 div 4; row 1 upper 50, lower 0; row 2 upper 25, itself 0.
  TestImage column(1, 3);
  column.Set(0, 1, 100, 100, 100);
  column.View().Blur(1);
  EXPECT_EQ(column.GreyColumn(0), (Row{50, 25, 12}));
  EXPECT_TRUE(column.GuardsIntact());
}

TEST(EffBmpBlur, DistanceZeroOrBeyondTheImageChangesNothing) {
  TestImage image(3, 2);
  image.Set(1, 0, 200, 200, 200);
  image.View().Blur(0);
  image.View().Blur(-3);
  image.View().Blur(1000000);  // every neighbour outside: four copies of the pixel itself
  EXPECT_EQ(image.GreyRow(0), (Row{0, 200, 0}));
  EXPECT_TRUE(image.GuardsIntact());
}

// ---- The DIB section --------------------------------------------------------------------

TEST(TEffectBmp, CopiesABitmapRunsEffectsAndDrawsBack) {
  // An off-screen bitmap as a control's paint makes it, of an odd width (padded rows).
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(5, 3);
  TCanvas* canvas = bitmap.GetCanvas();
  canvas->GetBrush()->SetColor(clWhite);
  canvas->FillRect(Rect(0, 0, 5, 3));
  canvas->SetPixels(4, 2, RGBColor(10, 20, 30));
  auto effect = TEffectBmp::CreateFromBitmap(bitmap.GetHandle());
  ASSERT_EQ(effect->GetImageSize(), 48);
  const uint8_t* last = effect->ScanLine(2) + 3 * 4;
  EXPECT_EQ((Rgb{last[2], last[1], last[0]}), (Rgb{10, 20, 30}));
  effect->FillGradient(clBlack, gdLeft);
  effect->Draw(canvas->GetHandle(), 0, 0);
  EXPECT_EQ(canvas->GetPixels(2, 1), RGBColor(128, 128, 128));
  EXPECT_EQ(canvas->GetPixels(4, 2), RGBColor(10, 20, 30));
  MemorySurface surface(10, 10, clBlue);  // drawn at an offset without stretching
  effect->Draw(surface.DC(), 4, 5);
  EXPECT_EQ(surface.CountOf(RGBColor(128, 128, 128), Rect(6, 5, 7, 8)), 3);
  EXPECT_EQ(surface.CountOf(clBlue, Rect(0, 0, 10, 10)), 85);
}

TEST(TEffectBmp, BadInputAndNoObjectLeftBehind) {
  EXPECT_THROW(TEffectBmp::CreateFromBitmap(nullptr), EInvalidGraphic);
  EXPECT_THROW(TEffectBmp::CreateFromBitmap(reinterpret_cast<HBITMAP>(0x1234)), EInvalidGraphic);
  EXPECT_THROW(TEffectBmp(100000000, 100000000), EOutOfResources);
  TEffectBmp empty(0, 5);
  EXPECT_EQ(empty.GetHandle(), nullptr);
  MemorySurface surface(2, 2, clBlue);
  empty.Draw(surface.DC(), 0, 0);
  EXPECT_EQ(surface.At(0, 0), clBlue);
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
