// Our GIF codec against the reference decoder, on the reference package's own test images:
// every frame decoded by both, pixel for pixel; our encoder's output (of those images, and of
// noise and ramps at every depth) decoded by the reference decoder back to the same pixels.
#include <gtest/gtest.h>

#include <random>

#include "GifTestSupport.h"
#include "classlib/graphics/Bitmap.h"

using namespace giftest;

namespace {

// The colour of every pixel of a bitmap, row by row from the top.
std::vector<COLORREF> BitmapColors(TBitmap* source) {
  TBitmap copy;
  copy.Assign(source);
  copy.SetPixelFormat(pf24bit);
  std::vector<COLORREF> colors;
  for (int y = 0; y < copy.GetHeight(); ++y) {
    const auto* line = static_cast<const uint8_t*>(copy.GetScanLine(y));
    for (int x = 0; x < copy.GetWidth(); ++x)
      colors.push_back(RGB(line[3 * x + 2], line[3 * x + 1], line[3 * x]));
  }
  return colors;
}

COLORREF RefColor(const TRefFrame& frame, uint8_t index) {
  if (index >= frame.Colors.size()) return RGB(128, 128, 128);
  return RGB(frame.Colors[index].Red, frame.Colors[index].Green, frame.Colors[index].Blue);
}

// A GIF of one frame around encoded data (the code size byte through the terminator).
Bytes WrapFrame(int width, int height, const std::vector<GifColorType>& colors, const Bytes& data,
                bool interlaced) {
  TGifBuilder gif;
  gif.Text("GIF89a").Word(width).Word(height).Raw({0xF7, 0, 0});
  for (int i = 0; i < 256; ++i) {
    const GifColorType c = i < int(colors.size()) ? colors[i] : GifColorType{0, 0, 0};
    gif.Raw({c.Red, c.Green, c.Blue});
  }
  gif.Raw({0x2C}).Word(0).Word(0).Word(width).Word(height).Raw({interlaced ? 0x40 : 0});
  gif.Data.insert(gif.Data.end(), data.begin(), data.end());
  gif.Trailer();
  return gif.Data;
}

}  // namespace

TEST(GifReference, EveryTestImageDecodesAsTheReferenceDecodesIt) {
  for (const char* name : ReferenceImageNames()) {
    SCOPED_TRACE(name);
    const Bytes bytes = ReadFileBytes(ReferenceImage(name));
    ASSERT_FALSE(bytes.empty());
    const TRefImage ref = ReferenceDecode(bytes);
    ASSERT_TRUE(ref.Ok);
    TGIFImage image;
    LoadImage(image, bytes);
    ASSERT_EQ(image.GetCount(), int(ref.Frames.size()));
    EXPECT_EQ(image.GetScreenWidth(), ref.Width);
    EXPECT_EQ(image.GetScreenHeight(), ref.Height);
    EXPECT_FALSE(image.GetCorrupted());
    for (int i = 0; i < image.GetCount(); ++i) {
      SCOPED_TRACE(i);
      TGIFFrame* frame = image.GetFrame(i);
      const TRefFrame& r = ref.Frames[size_t(i)];
      EXPECT_EQ(frame->GetOrigin().X, r.Left);
      EXPECT_EQ(frame->GetOrigin().Y, r.Top);
      EXPECT_EQ(frame->GetItem()->Size.X, r.Width);
      EXPECT_EQ(frame->GetItem()->Size.Y, r.Height);
      EXPECT_EQ(frame->GetInterlaced(), r.Interlaced);
      EXPECT_EQ(frame->GetAnimateInterval(), uint32_t(r.Delay) * 10);
      EXPECT_EQ(frame->GetDisposalMethod(), r.Disposal);
      EXPECT_EQ(frame->GetTransparentIndex(), r.TransparentIndex);
      bool corrupt = true;
      EXPECT_EQ(OurIndices(frame, &corrupt), r.Indices);
      EXPECT_FALSE(corrupt);
      // The whole road: the frame's bitmap shows the reference's colours.
      const std::vector<COLORREF> colors = BitmapColors(frame->GetBitmap());
      ASSERT_EQ(colors.size(), r.Indices.size());
      int mismatches = 0;
      for (size_t p = 0; p < colors.size(); ++p) {
        if (r.Indices[p] == r.TransparentIndex) {
          mismatches += colors[p] != COLORREF(ColorToRGB(frame->GetTransparentColor())) ? 1 : 0;
        } else {
          mismatches += colors[p] != RefColor(r, r.Indices[p]) ? 1 : 0;
        }
      }
      EXPECT_EQ(mismatches, 0);
      EXPECT_FALSE(frame->GetCorrupted());
    }
  }
}

TEST(GifReference, SavedImagesReadBackInTheReferenceDecoderWithTheirColours) {
  for (const char* name : ReferenceImageNames()) {
    SCOPED_TRACE(name);
    const Bytes bytes = ReadFileBytes(ReferenceImage(name));
    const TRefImage ref = ReferenceDecode(bytes);
    TGIFImage loaded;
    LoadImage(loaded, bytes);
    // Frames rebuilt from their bitmaps, so that the encoder (and the colour reduction of
    // device bitmaps) writes every one of them.
    TGIFImage rebuilt;
    for (int i = 0; i < loaded.GetCount(); ++i) {
      TBitmap* bitmap = loaded.GetFrame(i)->GetBitmap();
      rebuilt.AddFrame(bitmap);
    }
    const TRefImage back = ReferenceDecode(SaveImage(rebuilt));
    ASSERT_TRUE(back.Ok);
    ASSERT_EQ(back.Frames.size(), ref.Frames.size());
    for (size_t i = 0; i < ref.Frames.size(); ++i) {
      const TRefFrame& a = ref.Frames[i];
      const TRefFrame& b = back.Frames[i];
      ASSERT_EQ(a.Indices.size(), b.Indices.size());
      int mismatches = 0;
      for (size_t p = 0; p < a.Indices.size(); ++p)
        if (int(a.Indices[p]) != a.TransparentIndex)
          mismatches += RefColor(a, a.Indices[p]) != RefColor(b, b.Indices[p]) ? 1 : 0;
      EXPECT_EQ(mismatches, 0) << "frame " << i;
    }
  }
}

TEST(GifReference, EncoderCoversEveryDepthAndTableResets) {
  std::mt19937 random(7);
  struct Case {
    int Width, Height, Depth;
    bool Noise;
  };
  for (const Case c : {Case{333, 211, 8, true}, Case{640, 480, 8, false}, Case{97, 45, 4, true},
                       Case{101, 77, 1, true}, Case{1, 1, 1, false}, Case{3, 3, 8, true}}) {
    SCOPED_TRACE(testing::Message() << c.Width << "x" << c.Height << "@" << c.Depth);
    std::vector<uint8_t> indices(size_t(c.Width) * c.Height);
    const int colors = 1 << c.Depth;
    for (size_t i = 0; i < indices.size(); ++i)
      indices[i] = static_cast<uint8_t>(c.Noise ? random() % colors : (i / 7) % colors);
    std::vector<GifColorType> table(256);
    for (int i = 0; i < 256; ++i) table[i] = GifColorType{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)};
    for (bool interlaced : {false, true}) {
      const Bytes data = Encode(indices, c.Width, c.Height, c.Depth, interlaced);
      EXPECT_EQ(data[0], c.Depth == 1 ? 2 : c.Depth);  // 1-bit frames use code size 2
      const TRefImage back = ReferenceDecode(WrapFrame(c.Width, c.Height, table, data, interlaced));
      ASSERT_TRUE(back.Ok);
      EXPECT_EQ(back.Frames[0].Indices, indices);
    }
  }
}
