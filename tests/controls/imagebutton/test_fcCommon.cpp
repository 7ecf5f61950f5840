// The shared routines: colour adjustments, geometry and text helpers, text measuring,
// regions taken from pictures, transparent, disabled and dithered drawing, and the placing of
// a glyph beside its caption.
#include <gtest/gtest.h>

#include "classlib/controls/Controls.h"
#include "controls/imagebutton/fcBitmap.h"
#include "controls/imagebutton/fcCommon.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace {

// True when the region holds exactly the pixels of the image that differ from key.
void ExpectRegionIsShape(HRGN region, TfcBitmap& image, TfcColor key) {
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x)
      EXPECT_EQ(!(image.GetPixel(x, y) == key), ::PtInRegion(region, x, y) != FALSE)
          << "pixel " << x << "," << y;
}

}  // namespace

TEST(FcCommonColors, ImageListColoursAndAdjustColorByStepsAndByPercent) {
  EXPECT_EQ(CLR_NONE, ImageListColor(clNone));
  EXPECT_EQ(CLR_DEFAULT, ImageListColor(clDefault));
  EXPECT_EQ(::GetSysColor(COLOR_WINDOW), ImageListColor(clWindow));
  // Green is 0 beside a full blue: it is set to the amount instead of raised.
  EXPECT_EQ(RGBColor(110, 10, 255), AdjustColor(RGBColor(100, 0, 255), 10, false));
  EXPECT_EQ(RGBColor(90, 0, 245), AdjustColor(RGBColor(100, 0, 255), -10, false));
  // Percent: toward white by half the distance; toward black by half the value.
  EXPECT_EQ(RGBColor(177, 227, 152), AdjustColor(RGBColor(100, 200, 50), 50, true));
  EXPECT_EQ(RGBColor(50, 100, 25), AdjustColor(RGBColor(100, 200, 50), -50, true));
}

TEST(FcCommonGeometry, FitRectProportionalKeepsTheAspectAndNeverDividesByZero) {
  EXPECT_EQ(TRect(0, 0, 50, 50), FitRectProportional(TRect(0, 0, 100, 50), 20, 20));
  EXPECT_EQ(TRect(10, 10, 110, 35), FitRectProportional(TRect(10, 10, 110, 60), 40, 10));
  // Nothing to divide by: the rectangle as it is.
  EXPECT_EQ(TRect(0, 0, 0, 50), FitRectProportional(TRect(0, 0, 0, 50), 20, 20));
  EXPECT_EQ(TRect(0, 0, 10, 10), FitRectProportional(TRect(0, 0, 10, 10), 0, 5));
}

TEST(FcCommonText, PiecesPositionsAndAccelerators) {
  EXPECT_EQ(L"File & Exit", StripAccelerators(L"&File && Exit"));
  EXPECT_EQ(L"", StripAccelerators(L"&"));
  EXPECT_EQ(0, CountPieces(L"", L","));
  EXPECT_EQ(4, CountPieces(L"a,b,,c", L","));
  EXPECT_EQ(L"c", GetPiece(L"a,b,,c", L",", 3));
  EXPECT_EQ(L"", GetPiece(L"a,b", L",", -1));
  EXPECT_EQ(2, PieceIndex(L"a;;b;;c", L";;", L"c"));
  EXPECT_EQ(-1, PieceIndex(L"a,b,c", L",", L"x"));
  EXPECT_EQ(4, NthPos(L",", L"a,b,c", 2));
  EXPECT_EQ(0, NthPos(L",", L"a,b,c", 3));
  EXPECT_EQ(4, PosFrom(L"b", L"abcb", 3));
  EXPECT_EQ(L"cdef", CopyBetween(L"abcdef", 3, 0));
  EXPECT_EQ(L"x-y-z", ReplaceAll(L"x+y+z", L"+", L"-"));
  EXPECT_EQ(L"xyz", ReplaceAll(L"xyz", L"", L"-"));
}

TEST(FcCommonText, UniqueNamesAndClassNames) {
  TComponent owner(nullptr);
  for (const wchar_t* name : {L"Button1", L"Button2", L"button3"})
    (new TComponent(&owner))->SetName(name);
  EXPECT_EQ(L"Button3", UniqueComponentName(&owner, L"Button"));  // names compare with case
  EXPECT_EQ(L"Image1", UniqueComponentName(nullptr, L"Image"));
  EXPECT_TRUE(IsClassNamed(TfcBitmap::StaticClassInfo(), L"tgraphic"));
  EXPECT_FALSE(IsClassNamed(TfcBitmap::StaticClassInfo(), L"TBitmap"));
  EXPECT_FALSE(IsClassNamed(nullptr, L"TObject"));
}

TEST(FcCommonText, MeasureTextAddsLineSpacingBetweenLines) {
  MemorySurface surface(200, 100);
  const TSize a = surface.Canvas.TextExtent(L"Wide line");
  const TSize both = MeasureText(&surface.Canvas, L"Wide line\r\nx", 5, 0, 0);
  EXPECT_EQ(a.cx, both.cx);
  EXPECT_EQ(a.cy + surface.Canvas.TextExtent(L"x").cy + 5, both.cy);
  // Wrapped at a narrow width, a line takes more height.
  const int one = LineHeight(&surface.Canvas, DT_WORDBREAK, 1000, L"aaa bbb ccc");
  EXPECT_EQ(a.cy, one);
  EXPECT_GT(LineHeight(&surface.Canvas, DT_WORDBREAK, 5, L"aaa bbb ccc"), one);
  EXPECT_GT(MeasureText(&surface.Canvas, L"aaa bbb ccc", 0, DT_WORDBREAK, 5).cy, one);
}

TEST(FcCommonLayout, GlyphAndTextAroundTheCentre) {
  // A left of, right of, above and below B. A row is 16 + 4 + 30 wide, a column 17 + 4 + 10
  // high: A's height counts one more pixel.
  const TRect expected[4][2] = {{TRect(25, 42, 41, 58), TRect(45, 45, 75, 55)},
                                {TRect(59, 42, 75, 58), TRect(25, 45, 55, 55)},
                                {TRect(42, 35, 58, 51), TRect(35, 56, 65, 66)},
                                {TRect(42, 49, 58, 65), TRect(35, 35, 65, 45)}};
  TRect a, b;
  for (int layout = 0; layout < 4; ++layout) {
    LayoutGlyphAndText(TPoint(50, 50), 4, layout, TSize(16, 16), TSize(30, 10), &a, &b);
    EXPECT_EQ(expected[layout][0], a) << layout;
    EXPECT_EQ(expected[layout][1], b) << layout;
  }
  // Without a glyph the spacing becomes (4 - 6) div 2 = -1.
  LayoutGlyphAndText(TPoint(50, 50), 4, 0, TSize(0, 0), TSize(30, 10), nullptr, &b);
  EXPECT_EQ(TRect(35, 45, 65, 55), b);
}

TEST(FcCommonRegions, TheRegionOfAPictureIsItsShape) {
  TfcBitmap image;
  image.SetSize(6, 4);  // white
  const TfcPixelView pixels = image.GetPixels();
  pixels.At(1, 1) = pixels.At(2, 1) = pixels.At(1, 2) = pixels.At(2, 2) = ColorToBytes(clRed);
  pixels.At(4, 3) = ColorToBytes(clBlue);
  pixels.At(5, 0) = ColorToBytes(clRed);
  UniqueRegion region = CreateRegionFromBitmap(&image, clWhite);
  ASSERT_TRUE(region);
  ExpectRegionIsShape(region.get(), image, fcWhitePixel);
  RECT box;
  ::GetRgnBox(region.get(), &box);
  EXPECT_EQ(TRect(1, 0, 6, 4), TRect(box));
  // -1 keys on the top-left pixel (white here as well).
  UniqueRegion same = CreateRegionFromBitmap(&image, ColorFromInt(-1));
  ASSERT_TRUE(same);
  EXPECT_TRUE(::EqualRgn(region.get(), same.get()));
}

TEST(FcCommonRegions, SystemColourKeysAndMarkers) {
  TfcBitmap image;
  image.SetSize(4, 3);
  fcPixels::Fill(image.GetPixels(), ColorToBytes(clBtnFace));
  image.GetPixels().At(2, 1) = ColorToBytes(clBlack);
  UniqueRegion region = CreateRegionFromBitmap(&image, clBtnFace);
  ASSERT_TRUE(region);
  ExpectRegionIsShape(region.get(), image, ColorToBytes(clBtnFace));
  // clNone is no pixel colour: every pixel is inside.
  UniqueRegion full = CreateRegionFromBitmap(&image, clNone);
  ASSERT_TRUE(full);
  RECT box;
  EXPECT_EQ(SIMPLEREGION, ::GetRgnBox(full.get(), &box));
  EXPECT_EQ(TRect(0, 0, 4, 3), TRect(box));
  // Every pixel transparent, or an empty image: no region.
  fcPixels::Fill(image.GetPixels(), fcWhitePixel);
  EXPECT_FALSE(CreateRegionFromBitmap(&image, clWhite));
  TfcBitmap empty;
  EXPECT_FALSE(CreateRegionFromBitmap(&empty, clWhite));
}

TEST(FcCommonRegions, FillOutsideRegionPaintsTheTransparentColour) {
  TfcBitmap image;
  image.SetSize(4, 4);
  image.SetTransparentColor(clRed);
  int changes = 0;
  image.OnChange = [&](TObject*) { ++changes; };
  UniqueRegion inner(::CreateRectRgn(1, 1, 3, 3));
  FillOutsideRegion(&image, inner.get());
  EXPECT_EQ(1, changes);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
      EXPECT_EQ(inside ? fcWhitePixel : ColorToBytes(clRed), image.GetPixel(x, y));
    }
}

TEST(FcCommonDrawing, TransparentBlitLeavesTheTargetWhereTheMaskIsBlack) {
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(2, 1);
  picture.GetCanvas()->SetPixels(0, 0, clRed);
  picture.GetCanvas()->SetPixels(1, 0, clLime);
  TfcBitmap shape;
  shape.SetSize(2, 1);
  shape.GetPixels().At(0, 0) = fcBlackPixel;  // black: leave the target
  std::unique_ptr<TBitmap> mask = CreateMaskBitmap(shape.GetPixels(), fcBlackPixel);
  ASSERT_TRUE(mask);
  for (bool offScreen : {false, true}) {
    MemorySurface surface(3, 1, clBlue);
    TransparentBlit(&surface.Canvas, Rect(1, 0, 3, 1), &picture, offScreen, mask.get());
    EXPECT_EQ(clBlue, surface.At(0, 0));
    EXPECT_EQ(clBlue, surface.At(1, 0)) << offScreen;
    EXPECT_EQ(clLime, surface.At(2, 0)) << offScreen;
  }
}

TEST(FcCommonDrawing, DrawTransparentImageKeysOnTheGivenOrTopLeftColour) {
  TfcBitmap image;
  image.SetSize(3, 1);  // red, lime, white
  image.GetPixels().At(0, 0) = ColorToBytes(clRed);
  image.GetPixels().At(1, 0) = ColorToBytes(clLime);
  MemorySurface surface(3, 1, clBlue);
  DrawTransparentImage(&surface.Canvas, Rect(0, 0, 3, 1), &image, ColorFromInt(-1));
  EXPECT_EQ(clBlue, surface.At(0, 0));
  EXPECT_EQ(clLime, surface.At(1, 0));
  EXPECT_EQ(clWhite, surface.At(2, 0));
  surface.Fill(clBlue);
  DrawTransparentImage(&surface.Canvas, Rect(0, 0, 3, 1), &image, clWhite);
  EXPECT_EQ(clRed, surface.At(0, 0));
  EXPECT_EQ(clBlue, surface.At(2, 0));
}

TEST(FcCommonDrawing, DisabledGlyphEmbossesTheShape) {
  TBitmap source;
  source.SetPixelFormat(pf24bit);
  source.SetSize(4, 4);  // white
  source.GetCanvas()->SetPixels(1, 1, clBlack);
  TBitmap dest;
  dest.SetPixelFormat(pf24bit);
  DrawDisabledGlyph(&source, &dest);
  ASSERT_EQ(4, dest.GetWidth());
  ASSERT_EQ(4, dest.GetHeight());
  TCanvas* canvas = dest.GetCanvas();
  auto system = [](int index) { return ColorFromInt(static_cast<int32_t>(::GetSysColor(index))); };
  EXPECT_EQ(system(COLOR_BTNSHADOW), canvas->GetPixels(1, 1));
  EXPECT_EQ(system(COLOR_BTNHIGHLIGHT), canvas->GetPixels(2, 2));
  for (TPoint p : {TPoint(0, 0), TPoint(3, 3), TPoint(2, 1)})
    EXPECT_EQ(system(COLOR_BTNFACE), canvas->GetPixels(p.X, p.Y));
}

TEST(FcCommonDrawing, FillDitherCheckersTwoColoursOrOneOverTheTarget) {
  // With clNone as the first colour the target shows through.
  for (TColor first : {clRed, clNone}) {
    MemorySurface surface(4, 4, clLime);
    FillDither(&surface.Canvas, Rect(0, 0, 4, 4), first, clBlue);
    const TColor even = first == clNone ? clLime : first;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ((x + y) % 2 == 0 ? even : clBlue, surface.At(x, y)) << x << "," << y;
  }
  MemorySurface surface(4, 4);
  try {
    FillDither(&surface.Canvas, Rect(0, 0, 4, 4), clRed, clNone);
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(L"Color2 cannot be clNone", e.Message());
  }
  EXPECT_TRUE(CheckerBrush());
}

TEST(FcCommonDrawing, TileGraphicCoversTheRectangle) {
  TfcBitmap tile;
  tile.SetSize(2, 2);
  tile.GetPixels().At(0, 0) = ColorToBytes(clRed);
  MemorySurface surface(6, 5, clBlue);
  TileGraphic(&tile, &surface.Canvas, Rect(1, 1, 6, 5));
  EXPECT_EQ(clBlue, surface.At(0, 0));
  EXPECT_EQ(clRed, surface.At(5, 3));
  EXPECT_EQ(clWhite, surface.At(2, 2));
  EXPECT_EQ(6, surface.CountOf(clRed, Rect(0, 0, 6, 5)));
}
