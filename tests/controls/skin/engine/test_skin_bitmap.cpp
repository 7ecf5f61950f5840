// The skin bitmap: sizes, every copying operation clipped at the four edges of a small
// destination with the pixels outside left alone, empty rectangles, the fixed-point stepping
// of scaled copies, the software transparent path against the system's, and stream records,
// sound and damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "classlib/stdctrls/Clipboard.h"
#include "controls/skin/engine/SkinBitmap.h"
#include "controls/skin/engine/SkinStreams.h"
#include "controls/skin/engine/SystemBlits.h"
#include "controls/skin/engine/ZlibStreams.h"
#include "tests/ErrorMessages.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace {

template <class F>
String MessageOf(F&& action) {
  return ErrorMessageOf<Exception>(action, L"(no error)");
}

constexpr TPixel32 Red{0, 0, 255, 255};
constexpr TPixel32 Blue{255, 0, 0, 255};
constexpr TPixel32 HalfGreen{0, 200, 0, 128};

std::unique_ptr<TSeBitmap> Filled(int w, int h, TPixel32 pixel, bool alpha = false) {
  auto b = std::make_unique<TSeBitmap>();
  b->SetSize(w, h);
  b->Clear(pixel);
  b->SetAlphaBlend(alpha);
  return b;
}

// How many pixels of the bitmap differ from `background` outside r.
int ChangedOutside(const TSeBitmap& b, TPixel32 background, const TRect& r) {
  int count = 0;
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x)
      count += !(b.GetPixel(x, y) == background) && !PtInRect(r, TPoint(x, y));
  return count;
}

TEST(SkinBitmap, SizesAreAbsoluteAndZeroChangesNothing) {
  TSeBitmap b;
  int changes = 0, beforeChanges = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.OnBeforeChange = [&](TObject*) { ++beforeChanges; };
  b.SetSize(-10, 20);
  EXPECT_EQ(b.GetWidth(), 10);
  EXPECT_EQ(b.GetHeight(), 20);
  b.SetSize(0, 5);
  b.SetSize(10, -20);
  EXPECT_EQ(b.GetWidth(), 10);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(beforeChanges, 1);
  EXPECT_EQ(b.GetPixel(10, 0), SeOutOfRangePixel);
  EXPECT_EQ(b.GetPixel(-1, 3), SeOutOfRangePixel);
  EXPECT_EQ(TSeBitmap().GetPixel(0, 0), SeOutOfRangePixel);
  // A size no DIB can have fails cleanly and leaves the bitmap empty.
  EXPECT_EQ(MessageOf([&] { b.SetSize(100000, 100000); }), L"Can't allocate the DIB handle");
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.GetWidth(), 0);
}

// Each operation draws a 6 x 6 source into an 8 x 8 destination at the four edges and past
// them; what changes must lie inside the destination's part the source covers.
TEST(SkinBitmap, EveryCopyClipsAtAllFourEdges) {
  struct Op {
    const char* Name;
    std::function<void(TSeBitmap& src, TSeBitmap& dst, int x, int y)> Run;
  };
  const Op ops[] = {
      {"DrawTo copy", [](TSeBitmap& s, TSeBitmap& d, int x, int y) { s.DrawTo(d, x, y, TRect(0, 0, 6, 6)); }},
      {"DrawTo blend", [](TSeBitmap& s, TSeBitmap& d, int x, int y) {
         s.SetAlphaBlend(true);
         s.DrawTo(d, x, y, TRect(-3, -3, 9, 9));
       }},
      {"StretchTo blend", [](TSeBitmap& s, TSeBitmap& d, int x, int y) {
         s.SetAlphaBlend(true);
         s.StretchTo(d, Bounds(x, y, 6, 6), TRect(0, 0, 3, 3));
       }},
      {"StretchTo copy", [](TSeBitmap& s, TSeBitmap& d, int x, int y) {
         s.StretchTo(d, Bounds(x, y, 6, 6), TRect(0, 0, 12, 12));
       }},
      {"MergeAt", [](TSeBitmap& s, TSeBitmap& d, int x, int y) { s.MergeAt(d, x, y); }},
      {"TransparentCopy", [](TSeBitmap& s, TSeBitmap& d, int x, int y) {
         TransparentCopy(s, TRect(0, 0, 6, 6), d, Bounds(x, y, 6, 6), PixelRGB(SeClearPixel));
       }},
      {"FillRect", [](TSeBitmap&, TSeBitmap& d, int x, int y) { d.FillRect(Bounds(x, y, 6, 6), Red); }},
  };
  const TPoint places[] = {{-4, 1}, {1, -4}, {6, 1}, {1, 6}, {-4, -4}, {6, 6}, {-100, 2},
                           {2, 100}, {INT32_MIN / 2, 0}, {INT32_MAX - 2, INT32_MAX - 2}};
  for (const Op& op : ops) {
    for (const TPoint& at : places) {
      auto src = Filled(6, 6, Red);
      const TPixel32 clearBlue{255, 0, 0, 0};  // alpha 0, so that MergeAt writes everywhere
      auto dst = Filled(8, 8, clearBlue);
      op.Run(*src, *dst, at.X, at.Y);
      // The covered part, within 0..8 (the far places' sums do not fit in 32 bits).
      const auto clamp = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, 8)); };
      const TRect covered(clamp(at.X), clamp(at.Y), clamp(int64_t{at.X} + 6), clamp(int64_t{at.Y} + 6));
      EXPECT_EQ(ChangedOutside(*dst, clearBlue, covered), 0) << op.Name << " at " << at.X << "," << at.Y;
    }
  }
}

// The same for drawing on a DC: an 8 x 8 surface, the copies at and past its edges, with the
// software transparent path as well as the system's.
TEST(SkinBitmap, DrawingOnADCStaysInsideTheCoveredPart) {
  struct Op {
    const char* Name;
    std::function<void(TSeBitmap& src, MemorySurface& dst, int x, int y)> Run;
  };
  const Op ops[] = {
      {"DrawRect", [](TSeBitmap& s, MemorySurface& d, int x, int y) { s.DrawRect(d.DC(), x, y, TRect(0, 0, 9, 9), false); }},
      {"DrawRect transparent", [](TSeBitmap& s, MemorySurface& d, int x, int y) { s.DrawRect(d.DC(), x, y, TRect(0, 0, 6, 6), true); }},
      {"StretchDraw transparent", [](TSeBitmap& s, MemorySurface& d, int x, int y) {
         s.StretchDraw(d.DC(), Bounds(x, y, 6, 6), TRect(0, 0, 3, 3), true);
       }},
      {"TileTo", [](TSeBitmap& s, MemorySurface& d, int x, int y) {
         s.TileTo(&d.Canvas, Bounds(x, y, 6, 6), TRect(0, 0, 4, 4), true);
       }},
      {"DeviceDraw", [](TSeBitmap& s, MemorySurface& d, int x, int y) {
         s.SetMaskedDraw(1);
         s.DeviceDraw(d.DC(), Bounds(x, y, 6, 6), TRect(0, 0, 6, 6), true);
       }},
      {"DeviceTile", [](TSeBitmap& s, MemorySurface& d, int x, int y) {
         s.DeviceTile(d.DC(), Bounds(x, y, 6, 6), TRect(0, 0, 4, 4));
       }},
  };
  const TPoint places[] = {{-4, 1}, {1, -4}, {6, 1}, {1, 6}, {-4, -4}, {6, 6}, {-100000, 2},
                           {2, 100000}};
  for (bool system : {true, false}) {
    SetSystemBlitsEnabled(system);
    for (const Op& op : ops) {
      for (const TPoint& at : places) {
        auto src = Filled(6, 6, Red);
        src->SetPixel(1, 1, SeClearPixel);
        src->UpdateDeviceCopy();
        MemorySurface dst(8, 8, clBlue);
        op.Run(*src, dst, at.X, at.Y);
        const int right = std::min(at.X + 6, 8), bottom = std::min(at.Y + 6, 8);
        int outside = 0;
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x)
            if (dst.At(x, y) != clBlue && (x < at.X || x >= right || y < at.Y || y >= bottom))
              ++outside;
        EXPECT_EQ(outside, 0) << op.Name << " at " << at.X << "," << at.Y << " system " << system;
      }
    }
  }
  SetSystemBlitsEnabled(true);
}

TEST(SkinBitmap, EmptyRectanglesAndEmptyBitmapsDoNothing) {
  auto src = Filled(4, 4, Red, true);
  auto dst = Filled(4, 4, Blue);
  TSeBitmap empty;
  src->StretchTo(*dst, TRect(0, 0, 0, 4), TRect(0, 0, 4, 4));
  src->StretchTo(*dst, TRect(0, 0, 4, 4), TRect(2, 2, 2, 2));
  src->StretchTo(*dst, TRect(4, 4, 0, 0), TRect(0, 0, 4, 4));
  src->DrawTo(*dst, 0, 0, TRect(3, 0, 1, 4));
  src->DrawTo(empty, 0, 0, TRect(0, 0, 4, 4));
  empty.DrawTo(*dst, 0, 0, TRect(0, 0, 4, 4));
  empty.MergeAt(*dst, 0, 0);
  dst->FillRect(TRect(3, 3, 1, 1), Red);
  MemorySurface surface(4, 4, clWhite);
  src->TileTo(&surface.Canvas, TRect(0, 0, 4, 4), TRect(1, 1, 1, 3), false);
  src->TileTo(&surface.Canvas, TRect(0, 0, 4, 4), TRect(10, 10, 14, 14), false);
  src->StretchDraw(surface.DC(), TRect(0, 0, 4, 4), TRect(0, 0, 0, 0), true);
  EXPECT_EQ(ChangedOutside(*dst, Blue, TRect()), 0);
  EXPECT_EQ(surface.CountOf(clWhite, TRect(0, 0, 4, 4)), 16);
}

// Scaled copies step through the source in 16.16 fixed point: a 3 -> 9 stretch reads
// 0 0 0 0 1 1 1 2 2 (not 0 0 0 1 1 1 2 2 2), and a clipped destination starts at
// MulDiv(skipped * source size, 65535, destination size). Checked pixel by pixel on the
// blended StretchTo and on the software transparent blit; an axis of equal sizes is one to one.
TEST(SkinBitmap, ScaledCopiesStepInFixedPointAlsoWhenClipped) {
  // A 9 x 9 opaque picture whose pixels all differ (none is the clear colour).
  auto src = Filled(9, 9, Red);
  const auto at = [](int x, int y) {
    return TPixel32{0x10, static_cast<uint8_t>(25 * y), static_cast<uint8_t>(25 * x), 255};
  };
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) src->SetPixel(x, y, at(x, y));
  struct Case {
    const char* What;
    TRect Source, Dest;
    std::vector<int> Columns, Rows;  // the source offset each destination pixel shows
  };
  const std::vector<int> up{0, 0, 0, 0, 1, 1, 1, 2, 2};
  const Case cases[] = {
      {"3 -> 9", TRect(0, 0, 3, 3), TRect(0, 0, 9, 9), up, up},
      {"3 -> 9 cut by 4", TRect(0, 0, 3, 3), TRect(-4, -4, 5, 5), {1, 1, 1, 2, 2}, {1, 1, 1, 2, 2}},
      {"9 -> 3 cut by 1", TRect(0, 0, 9, 9), TRect(-1, -1, 2, 2), {2, 5}, {2, 5}},
      {"3 -> 3 cut by 1, 3 -> 9", TRect(0, 0, 3, 3), TRect(-1, 0, 2, 9), {1, 2}, up},
  };
  for (const Case& c : cases) {
    const int w = static_cast<int>(c.Columns.size()), h = static_cast<int>(c.Rows.size());
    auto dst = Filled(w, h, Blue);
    src->SetAlphaBlend(true);
    src->StretchTo(*dst, c.Dest, c.Source);
    SetSystemBlitsEnabled(false);
    MemorySurface surface(w, h, clWhite);
    src->StretchDraw(surface.DC(), c.Dest, c.Source, true);
    SetSystemBlitsEnabled(true);
    int wrong = 0, wrongSoftware = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const TPixel32 want = at(c.Columns[x], c.Rows[y]);
        wrong += !(dst->GetPixel(x, y) == want);
        wrongSoftware += surface.At(x, y) != PixelToColor(want);
      }
    EXPECT_EQ(wrong, 0) << c.What;
    EXPECT_EQ(wrongSoftware, 0) << c.What;
  }
}

TEST(SkinBitmap, BlendedCopiesMixByEachPixelsAlpha) {
  auto src = Filled(2, 1, HalfGreen, true);
  src->SetPixel(1, 0, SeClearPixel);  // alpha 0: the destination shows through
  auto dst = Filled(2, 1, Red);
  src->DrawTo(*dst, 0, 0, TRect(0, 0, 2, 1));
  EXPECT_EQ(dst->GetPixel(0, 0), BlendPixel(HalfGreen, Red));
  EXPECT_EQ(dst->GetPixel(1, 0), Red);
  // MergeAt: alpha 0 takes the source, below 255 mixes, 255 keeps.
  auto under = Filled(3, 1, Blue);
  under->SetPixel(0, 0, TPixel32{0, 0, 0, 0});
  under->SetPixel(1, 0, HalfGreen);
  Filled(3, 1, Red)->MergeAt(*under, 0, 0);
  EXPECT_EQ(under->GetPixel(0, 0), Red);
  EXPECT_EQ(under->GetPixel(1, 0), BlendPixel(HalfGreen, Red));
  EXPECT_EQ(under->GetPixel(2, 0), Blue);
}

TEST(SkinBitmap, TilesRepeatAndStopAtTheDestinationEdge) {
  auto tile = Filled(3, 2, Red);
  tile->SetPixel(0, 0, Blue);
  MemorySurface surface(12, 8, clWhite);
  tile->TileTo(&surface.Canvas, TRect(1, 1, 8, 6), TRect(0, 0, 3, 2), false);
  EXPECT_EQ(surface.At(1, 1), clBlue);
  EXPECT_EQ(surface.At(4, 3), clBlue);   // second column, second row
  EXPECT_EQ(surface.At(7, 5), clBlue);   // third column cut after one pixel, third row cut
  EXPECT_EQ(surface.At(8, 1), clWhite);  // right of dest
  EXPECT_EQ(surface.At(1, 6), clWhite);  // below dest
  EXPECT_EQ(surface.CountOf(clWhite, TRect(0, 0, 12, 8)), 12 * 8 - 7 * 5);
}

TEST(SkinBitmap, TransparentDrawingLeavesOutTheClearColourOnBothPaths) {
  auto src = Filled(4, 4, Red);
  src->FillRect(TRect(1, 1, 3, 3), SeClearPixel);
  for (bool system : {true, false}) {
    SetSystemBlitsEnabled(system);
    MemorySurface surface(6, 6, clWhite);
    src->Draw(surface.DC(), 1, 1, true);
    src->Draw(surface.DC(), 4, 4, true);  // cut at the right and bottom edge
    SetSystemBlitsEnabled(true);
    EXPECT_EQ(surface.At(1, 1), clRed) << system;
    EXPECT_EQ(surface.At(2, 2), clWhite) << system;  // the clear colour left out
    EXPECT_EQ(surface.At(3, 3), clWhite) << system;
    EXPECT_EQ(surface.At(5, 5), clWhite) << system;  // the second copy's clear part
    EXPECT_EQ(surface.At(4, 4), clRed) << system;
    EXPECT_EQ(surface.At(0, 0), clWhite) << system;
  }
  // From the device copy, through its mask.
  src->UpdateDeviceCopy();
  src->SetMaskedDraw(1);
  MemorySurface surface(6, 6, clWhite);
  src->DeviceDrawAt(surface.DC(), 1, 1, TRect(0, 0, 4, 4), true);
  EXPECT_EQ(surface.At(1, 1), clRed);
  EXPECT_EQ(surface.At(2, 2), clWhite);
  EXPECT_EQ(surface.At(4, 4), clRed);
  src->SetMaskedDraw(0);  // without the mask the device copy is drawn opaque
  src->DeviceDrawAt(surface.DC(), 1, 1, TRect(0, 0, 4, 4), true);
  EXPECT_EQ(surface.At(2, 2), PixelToColor(SeClearPixel));
}

TEST(SkinBitmap, StreamRecordRoundTripsAndZeroSizeReadsNoPixels) {
  auto b = Filled(3, 2, HalfGreen);
  b->SetName(L"按钮");
  b->SetPixel(2, 1, Red);
  TMemoryStream stream;
  b->SaveToStream(stream);
  EXPECT_EQ(stream.GetSize(), 4 + 4 + 8 + 3 * 2 * 4);
  stream.SetPosition(0);
  TSeBitmap copy;
  copy.LoadFromStream(stream);
  EXPECT_EQ(copy.GetName(), L"按钮");
  EXPECT_EQ(copy.GetPixel(2, 1), Red);
  EXPECT_EQ(copy.GetPixel(0, 0), HalfGreen);

  TMemoryStream zero;
  WriteStreamString(zero, L"z");
  const int32_t sizes[2] = {0, 7};
  zero.WriteBuffer(sizes, sizeof(sizes));
  zero.WriteBuffer("tail", 4);
  zero.SetPosition(0);
  TSeBitmap none;
  none.LoadFromStream(zero);
  EXPECT_TRUE(none.Empty());
  EXPECT_EQ(zero.GetPosition(), 4 + 1 + 8);
  // Into a bitmap that holds a picture: the picture goes, as the record says, and each
  // listener is told once.
  int beforeChanges = 0, changes = 0;
  copy.OnBeforeChange = [&](TObject*) { ++beforeChanges; };
  copy.OnChange = [&](TObject*) { ++changes; };
  zero.SetPosition(0);
  copy.LoadFromStream(zero);
  copy.OnBeforeChange = nullptr;
  copy.OnChange = nullptr;
  EXPECT_EQ(beforeChanges, 1);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(copy.Empty());
  EXPECT_EQ(copy.GetWidth(), 0);
  EXPECT_EQ(copy.GetPixel(0, 0), SeOutOfRangePixel);
  EXPECT_EQ(copy.GetName(), L"z");
}

// A record whose lengths do not fit the stream is refused at once, before anything of its
// claimed size is allocated.
TEST(SkinBitmap, DamagedStreamRecordsAreRejectedQuickly) {
  auto record = [](int32_t nameLength, int32_t width, int32_t height, int pixelBytes) {
    auto s = std::make_unique<TMemoryStream>();
    s->WriteBuffer(&nameLength, 4);
    s->WriteBuffer("ab", 2);
    s->WriteBuffer(&width, 4);
    s->WriteBuffer(&height, 4);
    std::string pixels(static_cast<size_t>(pixelBytes), '\x11');
    if (pixelBytes > 0) s->WriteBuffer(pixels.data(), pixelBytes);
    s->SetPosition(0);
    return s;
  };
  struct Case {
    const char* What;
    int32_t Name, Width, Height;
    int Pixels;
  };
  const Case cases[] = {
      {"negative name length", -1, 1, 1, 4},
      {"name longer than the stream", 0x7FFFFFF0, 1, 1, 4},
      {"negative width", 2, -3, 1, 12},
      {"negative height", 2, 1, INT32_MIN, 4},
      {"huge size", 2, 0x7FFFFFFF, 0x7FFFFFFF, 4},
      {"size whose product wraps in 32 bits", 2, 65536, 65536, 4},
      {"pixels cut short", 2, 4, 4, 60},
  };
  for (const Case& c : cases) {
    auto stream = record(c.Name, c.Width, c.Height, c.Pixels);
    TSeBitmap b;
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(MessageOf([&] { b.LoadFromStream(*stream); }), L"Stream read error");
    EXPECT_LT(::GetTickCount() - start, 200u) << c.What;
    EXPECT_TRUE(b.Empty()) << c.What;
  }
}

TEST(SkinBitmap, StreamStringsTakeAMaximumAndRefuseShortReads) {
  TMemoryStream stream;
  WriteStreamString(stream, L"abcdef");
  stream.SetPosition(0);
  EXPECT_EQ(MessageOf([&] { ReadStreamString(stream, 5); }), L"Stream read error");
  stream.SetPosition(0);
  EXPECT_EQ(ReadStreamString(stream, 6), L"abcdef");
  stream.SetSize(8);  // the count says 6, two bytes are there
  stream.SetPosition(0);
  EXPECT_EQ(MessageOf([&] { ReadStreamString(stream, 100); }), L"Stream read error");
}

// A program's own skin format writes records through the compression stream and reads them
// back through the decompression stream, which cannot tell its size.
TEST(SkinBitmap, RecordsAndStringsReadBackThroughTheDecompressionStream) {
  auto first = Filled(5, 3, HalfGreen);
  first->SetName(L"按钮");
  first->SetPixel(4, 2, Red);
  auto second = Filled(2, 7, Blue);
  second->SetName(L"Frame");
  TMemoryStream packed;
  {
    TCompressionStream z(1, packed);
    WriteStreamString(z, L"皮肤");
    first->SaveToStream(z);
    second->SaveToStream(z);
    WriteStreamString(z, L"cut");  // a record whose pixels stop after 64 bytes
    const int32_t sides[2] = {100, 100};
    z.WriteBuffer(sides, sizeof sides);
    const std::string few(64, '\x11');
    z.WriteBuffer(few.data(), 64);
    z.Finish();
  }
  packed.SetPosition(0);
  TDecompressionStream body(packed);
  EXPECT_EQ(ReadStreamString(body, 100), L"皮肤");
  TSeBitmap a, b, c;
  a.LoadFromStream(body);
  b.LoadFromStream(body);
  EXPECT_EQ(a.GetName(), L"按钮");
  ASSERT_EQ(a.GetWidth(), 5);
  ASSERT_EQ(a.GetHeight(), 3);
  EXPECT_EQ(a.GetPixel(4, 2), Red);
  EXPECT_EQ(a.GetPixel(0, 0), HalfGreen);
  EXPECT_EQ(b.GetName(), L"Frame");
  ASSERT_EQ(b.GetHeight(), 7);
  EXPECT_EQ(b.GetPixel(1, 6), Blue);
  EXPECT_EQ(MessageOf([&] { c.LoadFromStream(body); }), L"Stream read error");
}

// How many pixels device drawing of the whole bitmap shows other than the bitmap's own.
int DeviceDrawnWrong(TSeBitmap& b) {
  MemorySurface surface(b.GetWidth(), b.GetHeight(), clWhite);
  const TRect all(0, 0, b.GetWidth(), b.GetHeight());
  b.DeviceDraw(surface.DC(), all, all, false);
  int wrong = 0;
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) wrong += surface.At(x, y) != PixelToColor(b.GetPixel(x, y));
  return wrong;
}

// After a resize the device copy is made again at the new size, also when only one side
// changed, and after a hue shift from the shifted pixels, so that device drawing shows the
// bitmap's pixels.
TEST(SkinBitmap, DeviceCopyFollowsAResizeOfEitherSideAndAHueShift) {
  auto b = Filled(4, 4, Red);
  b->UpdateDeviceCopy();
  for (const TSize size : {TSize(9, 4), TSize(9, 7)}) {
    b->SetSize(size.cx, size.cy);
    b->Clear(Red);
    for (int y = 0; y < size.cy; ++y) b->SetPixel(size.cx - 1, y, Blue);  // the last column
    b->UpdateDeviceCopy();
    ASSERT_TRUE(b->GetDeviceCopy());
    EXPECT_EQ(b->GetDeviceCopy()->GetWidth(), size.cx);
    EXPECT_EQ(b->GetDeviceCopy()->GetHeight(), size.cy);
    EXPECT_EQ(DeviceDrawnWrong(*b), 0) << size.cx << " x " << size.cy;
  }
  b->ShiftHue(85);  // red to green, blue to red
  EXPECT_EQ(b->GetPixel(0, 0), PackPixel(0, 255, 0, 255));
  EXPECT_EQ(DeviceDrawnWrong(*b), 0) << "after the hue shift";

  // Loaded from a stream, or given a picture, with no copy asked for: device drawing shows
  // the new pixels, also over a copy made of the old ones.
  TMemoryStream record;
  b->SaveToStream(record);
  for (bool hadCopy : {false, true}) {
    TSeBitmap loaded, assigned;
    if (hadCopy) {
      loaded.SetSize(9, 7);
      loaded.Clear(Red);
      loaded.UpdateDeviceCopy();
    }
    record.SetPosition(0);
    loaded.LoadFromStream(record);
    EXPECT_EQ(DeviceDrawnWrong(loaded), 0) << "loaded, had a copy " << hadCopy;
    TBitmap picture;
    picture.SetSize(5, 3);
    picture.GetCanvas()->GetBrush()->SetColor(clLime);
    picture.GetCanvas()->FillRect(TRect(0, 0, 5, 3));
    if (hadCopy) {
      assigned.SetSize(5, 3);
      assigned.Clear(Red);
      assigned.UpdateDeviceCopy();
    }
    assigned.Assign(&picture);
    EXPECT_EQ(DeviceDrawnWrong(assigned), 0) << "assigned, had a copy " << hadCopy;
  }
}

TEST(SkinBitmap, LinksPointIntoTheLastBitmapOfTheName) {
  TSeBitmapList list;
  auto first = Filled(2, 2, Red);
  first->SetName(L"Face");
  auto second = Filled(2, 2, Blue);
  second->SetName(L"FACE");
  TSeBitmap* later = second.get();
  list.Add(std::move(first));
  list.Add(std::move(second));
  auto link = list.GetBitmapLink(L"face", TRect(0, 0, 2, 1));
  ASSERT_TRUE(link);
  EXPECT_EQ(link->GetBitmap(), later);
  EXPECT_TRUE(link->Valid());
  EXPECT_FALSE(list.GetBitmapLink(L"other", TRect(0, 0, 1, 1)));
  EXPECT_EQ(list.Get(2), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  link->SetRect(TRect(1, 1, 1, 2));
  EXPECT_FALSE(link->Valid());
}

TEST(SkinBitmap, AssignTakesAPictureWithOpaqueAlphaAndGivesItBack) {
  TBitmap picture;
  picture.SetSize(3, 3);
  picture.GetCanvas()->GetBrush()->SetColor(clLime);
  picture.GetCanvas()->FillRect(TRect(0, 0, 3, 3));
  TSeBitmap b;
  b.Assign(&picture);
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(b.GetPixel(1, 1), (TPixel32{0, 255, 0, 255}));
  TBitmap back;
  back.Assign(&b);
  EXPECT_EQ(back.GetCanvas()->GetPixels(2, 2), clLime);
  Clipboard()->Assign(&b);
  TBitmap pasted;
  pasted.Assign(Clipboard());
  EXPECT_EQ(pasted.GetWidth(), 3);
  EXPECT_EQ(pasted.GetCanvas()->GetPixels(1, 1), clLime);
}

}  // namespace
