// Colour reduction: the six mapping methods on raw pixels, and a bitmap reduced to a stream.
#include <gtest/gtest.h>

#include <set>

#include "classlib/graphics/Canvas.h"
#include "classlib/system/SysExceptions.h"
#include "controls/extended/RxGraph.h"

namespace {

struct TPicture24 {
  int Width, Height;
  std::vector<uint8_t> Pixels;  // bottom-up rows, padded
  size_t Row() const { return (size_t(Width) * 24 + 31) / 32 * 4; }
  TPicture24(int w, int h) : Width(w), Height(h), Pixels(Row() * h, 0) {}
  void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = Pixels.data() + Row() * y + 3 * x;
    p[0] = b;
    p[1] = g;
    p[2] = r;
  }
};

struct TMapped {
  std::vector<uint8_t> Indices;
  RGBQUAD Palette[256];
  int Used;
  size_t Row;
  uint8_t At(int x, int y) const { return Indices[Row * y + x]; }
};

TMapped Map(const TPicture24& picture, TMappingMethod method) {
  TMapped m;
  m.Row = (size_t(picture.Width) * 8 + 31) / 32 * 4;
  m.Indices.assign(m.Row * picture.Height, 0);
  m.Used = MapPixels(picture.Pixels.data(), picture.Width, picture.Height, method, m.Indices.data(), m.Palette);
  return m;
}

}  // namespace

TEST(ColourReduction, MostFrequentKeepsUpTo256ColoursExactly) {
  TPicture24 picture(32, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 32; ++x) picture.Set(x, y, uint8_t(x * 8), uint8_t(y * 30), uint8_t(x ^ y));
  const TMapped m = Map(picture, mmMostFrequent);
  EXPECT_EQ(m.Used, 256);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 32; ++x) {
      const RGBQUAD& q = m.Palette[m.At(x, y)];
      EXPECT_EQ(q.rgbRed, x * 8);
      EXPECT_EQ(q.rgbGreen, y * 30);
      EXPECT_EQ(q.rgbBlue, x ^ y);
    }
  // Many more colours than the palette holds: every pixel gets an entry in use.
  TPicture24 many(100, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) many.Set(x, y, uint8_t(x * 2), uint8_t(y * 2), uint8_t(x + y));
  const TMapped n = Map(many, mmMostFrequent);
  EXPECT_EQ(n.Used, 256);
  std::set<int> used;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) used.insert(n.At(x, y));
  EXPECT_GT(used.size(), 100u);
}

TEST(ColourReduction, MedianCutFixedPalettesRampsAndGreys) {
  TPicture24 one(5, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) one.Set(x, y, 200, 100, 50);
  const TMapped single = Map(one, mmMedianCut);
  EXPECT_EQ(single.Used, 1);
  EXPECT_EQ(single.Palette[0].rgbRed, (12 * 16 + 15));
  for (int i = 1; i < 256; ++i) EXPECT_EQ(single.Palette[i].rgbRed + single.Palette[i].rgbGreen, 0);

  TPicture24 dark(2, 1);
  dark.Set(0, 0, 8, 8, 8);
  dark.Set(1, 0, 250, 250, 250);
  const TMapped d = Map(dark, mmMedianCut);
  const RGBQUAD& black = d.Palette[d.At(0, 0)];
  EXPECT_EQ(black.rgbRed + black.rgbGreen + black.rgbBlue, 0);  // near-black becomes black
  EXPECT_NE(d.At(0, 0), d.At(1, 0));

  TPicture24 grey(3, 1);
  grey.Set(0, 0, 255, 255, 255);
  grey.Set(1, 0, 0x55, 0x80, 0xFF);
  grey.Set(2, 0, 100, 100, 100);
  EXPECT_EQ(Map(grey, mmGrayscale).At(0, 0), 255);
  EXPECT_EQ(Map(grey, mmFixed784).At(1, 0), (2 * 8 + 4) * 4 + 3);
  EXPECT_EQ(Map(grey, mmFixed666).At(0, 0), 215);
  const TMapped ramps = Map(grey, mmChannelRamps);
  EXPECT_EQ(ramps.At(0, 0), 255 >> 2);          // red
  EXPECT_EQ(ramps.At(1, 0), (0x80 >> 2) + 64);  // green
  EXPECT_EQ(ramps.At(2, 0), (100 >> 2) + 128);  // blue
}

TEST(ColourReduction, BitmapsBecomeBmpStreamsOfTheTargetDepth) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(20, 10);
  bitmap.GetCanvas()->GetBrush()->SetColor(clRed);
  bitmap.GetCanvas()->FillRect(TRect{0, 0, 20, 10});
  bitmap.GetCanvas()->GetBrush()->SetColor(clBlue);
  bitmap.GetCanvas()->FillRect(TRect{10, 0, 20, 10});
  for (TPixelFormat target : {pf1bit, pf4bit, pf8bit}) {
    std::unique_ptr<TMemoryStream> stream = ReduceBitmapToStream(&bitmap, target, mmMostFrequent);
    TBitmap back;
    back.LoadFromStream(*stream);
    EXPECT_EQ(back.GetPixelFormat(), target);
    EXPECT_EQ(back.GetWidth(), 20);
    if (target == pf8bit) {
      EXPECT_EQ(back.GetCanvas()->GetPixels(2, 2), clRed);
      EXPECT_EQ(back.GetCanvas()->GetPixels(15, 2), clBlue);
    }
  }
  String shown;
  auto saved = NotImplementedResponder;
  NotImplementedResponder = [&](const String& msg) { shown = msg; };
  EXPECT_THROW(ReduceBitmapToStream(&bitmap, pf16bit, mmMostFrequent), EAbort);
  NotImplementedResponder = saved;
  EXPECT_EQ(shown, L"Function not yet implemented");
  TBitmap empty;
  EXPECT_THROW(ReduceBitmapToStream(&empty, pf8bit, mmMostFrequent), EInvalidGraphic);
}
