// The shared routines: colour adjustments, geometry and text helpers, text measuring,
// regions taken from pictures, transparent, disabled and dithered drawing, and the placing of
// a glyph beside its caption.
#include <gtest/gtest.h>

#include "classlib/controls/Controls.h"
#include "controls/imagebutton/fcBitmap.h"
#include "controls/imagebutton/fcChangeLink.h"
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

TEST(FcCommonColors, VersionAndImageListColours) {
  EXPECT_EQ(L"2000.5", fcVersion);
  EXPECT_EQ(CLR_NONE, ImageListColor(clNone));
  EXPECT_EQ(CLR_DEFAULT, ImageListColor(clDefault));
  EXPECT_EQ(::GetSysColor(COLOR_WINDOW), ImageListColor(clWindow));
  EXPECT_EQ(RGB(1, 2, 3), ImageListColor(RGBColor(1, 2, 3)));
}

TEST(FcCommonColors, AdjustColorByStepsAndByPercent) {
  EXPECT_EQ(RGBColor(100, 0, 255), AdjustColor(RGBColor(100, 0, 255), 0, false));
  // Green is 0 beside a full blue: it is set to the amount instead of raised.
  EXPECT_EQ(RGBColor(110, 10, 255), AdjustColor(RGBColor(100, 0, 255), 10, false));
  EXPECT_EQ(RGBColor(90, 0, 245), AdjustColor(RGBColor(100, 0, 255), -10, false));
  // Percent: toward white by half the distance; toward black by half the value.
  EXPECT_EQ(RGBColor(177, 227, 152), AdjustColor(RGBColor(100, 200, 50), 50, true));
  EXPECT_EQ(RGBColor(50, 100, 25), AdjustColor(RGBColor(100, 200, 50), -50, true));
  EXPECT_EQ(RGBColor(255, 127, 127), AdjustColor(RGBColor(255, 0, 0), 50, true));
}

TEST(FcCommonGeometry, FitRectProportionalAndSmallRoutines) {
  EXPECT_EQ(TRect(0, 0, 50, 50), FitRectProportional(TRect(0, 0, 100, 50), 20, 20));
  EXPECT_EQ(TRect(10, 10, 110, 35), FitRectProportional(TRect(10, 10, 110, 60), 40, 10));
  // Nothing to divide by: the rectangle as it is.
  EXPECT_EQ(TRect(0, 0, 0, 50), FitRectProportional(TRect(0, 0, 0, 50), 20, 20));
  EXPECT_EQ(TRect(0, 0, 10, 10), FitRectProportional(TRect(0, 0, 10, 10), 0, 5));
  EXPECT_EQ(7, RectWidth(TRect(3, 4, 10, 20)));
  EXPECT_EQ(16, RectHeight(TRect(3, 4, 10, 20)));
  EXPECT_EQ(5, IfThen(true, 5, 6));
  uint32_t set = 0x1;
  SetSetBit(true, set, 0x4);
  EXPECT_EQ(0x5u, set);
  SetSetBit(false, set, 0x1);
  EXPECT_EQ(0x4u, set);
}

TEST(FcCommonText, PiecesPositionsAndAccelerators) {
  EXPECT_EQ(L"File & Exit", StripAccelerators(L"&File && Exit"));
  EXPECT_EQ(L"", StripAccelerators(L"&"));
  EXPECT_EQ(0, CountPieces(L"", L","));
  EXPECT_EQ(1, CountPieces(L"abc", L","));
  EXPECT_EQ(4, CountPieces(L"a,b,,c", L","));
  EXPECT_EQ(L"b", GetPiece(L"a,b,,c", L",", 1));
  EXPECT_EQ(L"", GetPiece(L"a,b,,c", L",", 2));
  EXPECT_EQ(L"c", GetPiece(L"a,b,,c", L",", 3));
  EXPECT_EQ(L"", GetPiece(L"a,b,,c", L",", 4));
  EXPECT_EQ(L"", GetPiece(L"a,b", L",", -1));
  EXPECT_EQ(2, PieceIndex(L"a;;b;;c", L";;", L"c"));
  EXPECT_EQ(-1, PieceIndex(L"a,b,c", L",", L"x"));
  EXPECT_EQ(4, NthPos(L",", L"a,b,c", 2));
  EXPECT_EQ(0, NthPos(L",", L"a,b,c", 3));
  EXPECT_EQ(4, PosFrom(L"b", L"abcb", 3));
  EXPECT_EQ(0, PosFrom(L"b", L"abcb", 5));
  EXPECT_EQ(L"bcd", CopyBetween(L"abcdef", 2, 4));
  EXPECT_EQ(L"cdef", CopyBetween(L"abcdef", 3, 0));
  EXPECT_EQ(L"x-y-z", ReplaceAll(L"x+y+z", L"+", L"-"));
  EXPECT_EQ(L"xyz", ReplaceAll(L"xyz", L"", L"-"));
}

TEST(FcCommonText, UniqueNamesAndClassNames) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  a->SetName(L"Button1");
  auto* b = new TComponent(&owner);
  b->SetName(L"Button2");
  auto* c = new TComponent(&owner);
  c->SetName(L"button3");  // names compare case-sensitively
  EXPECT_EQ(L"Button3", UniqueComponentName(&owner, L"Button"));
  EXPECT_EQ(L"Image1", UniqueComponentName(&owner, L"Image"));
  EXPECT_EQ(L"Image1", UniqueComponentName(nullptr, L"Image"));

  EXPECT_TRUE(IsClassNamed(TfcBitmap::StaticClassInfo(), L"tgraphic"));
  EXPECT_TRUE(IsClassNamed(TfcBitmap::StaticClassInfo(), L"TfcBitmap"));
  EXPECT_FALSE(IsClassNamed(TfcBitmap::StaticClassInfo(), L"TBitmap"));
  EXPECT_FALSE(IsClassNamed(nullptr, L"TObject"));
}

TEST(FcCommonText, MeasureTextAddsLineSpacingBetweenLines) {
  MemorySurface surface(200, 100);
  const TSize a = surface.Canvas.TextExtent(L"Wide line");
  const TSize b = surface.Canvas.TextExtent(L"x");
  const TSize both = MeasureText(&surface.Canvas, L"Wide line\r\nx", 5, 0, 0);
  EXPECT_EQ(a.cx, both.cx);
  EXPECT_EQ(a.cy + b.cy + 5, both.cy);
  EXPECT_EQ(a.cy, MeasureText(&surface.Canvas, L"Wide line", 5, 0, 0).cy);
  // Wrapped at a narrow width, a line takes more height.
  const int one = LineHeight(&surface.Canvas, DT_WORDBREAK, 1000, L"aaa bbb ccc");
  EXPECT_EQ(a.cy, one);
  EXPECT_GT(LineHeight(&surface.Canvas, DT_WORDBREAK, 5, L"aaa bbb ccc"), one);
  EXPECT_GT(MeasureText(&surface.Canvas, L"aaa bbb ccc", 0, DT_WORDBREAK, 5).cy, one);
}

TEST(FcCommonLayout, GlyphAndTextAroundTheCentre) {
  TRect a, b;
  // A left of B: the row is 16 + 4 + 30 wide; A's height counts one more pixel.
  LayoutGlyphAndText(TPoint(50, 50), 4, 0, TSize(16, 16), TSize(30, 10), &a, &b);
  EXPECT_EQ(TRect(25, 42, 41, 58), a);
  EXPECT_EQ(TRect(45, 45, 75, 55), b);
  LayoutGlyphAndText(TPoint(50, 50), 4, 1, TSize(16, 16), TSize(30, 10), &a, &b);
  EXPECT_EQ(TRect(59, 42, 75, 58), a);
  EXPECT_EQ(TRect(25, 45, 55, 55), b);
  // A above B, then A below B: the column is 17 + 4 + 10 high.
  LayoutGlyphAndText(TPoint(50, 50), 4, 2, TSize(16, 16), TSize(30, 10), &a, &b);
  EXPECT_EQ(TRect(42, 35, 58, 51), a);
  EXPECT_EQ(TRect(35, 56, 65, 66), b);
  LayoutGlyphAndText(TPoint(50, 50), 4, 3, TSize(16, 16), TSize(30, 10), &a, &b);
  EXPECT_EQ(TRect(42, 49, 58, 65), a);
  EXPECT_EQ(TRect(35, 35, 65, 45), b);
  // Without a glyph the spacing becomes (4 - 6) div 2 = -1.
  LayoutGlyphAndText(TPoint(50, 50), 4, 0, TSize(0, 0), TSize(30, 10), nullptr, &b);
  EXPECT_EQ(TRect(35, 45, 65, 55), b);
}

// ---- Regions ----------------------------------------------------------------------------------

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
  TfcChangeLink link;
  int changes = 0;
  link.OnChange = [&](TObject*) { ++changes; };
  image.RegisterChanges(&link);
  UniqueRegion inner(::CreateRectRgn(1, 1, 3, 3));
  FillOutsideRegion(&image, inner.get());
  EXPECT_EQ(1, changes);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
      EXPECT_EQ(inside ? fcWhitePixel : ColorToBytes(clRed), image.GetPixel(x, y));
    }
  image.UnRegisterChanges(&link);
}

// ---- Drawing -------------------------------------------------------------------------------------

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
  image.SetSize(3, 1);
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
  const TColor face = ColorFromInt(static_cast<int32_t>(::GetSysColor(COLOR_BTNFACE)));
  const TColor shadow = ColorFromInt(static_cast<int32_t>(::GetSysColor(COLOR_BTNSHADOW)));
  const TColor light = ColorFromInt(static_cast<int32_t>(::GetSysColor(COLOR_BTNHIGHLIGHT)));
  EXPECT_EQ(shadow, canvas->GetPixels(1, 1));
  EXPECT_EQ(light, canvas->GetPixels(2, 2));
  EXPECT_EQ(face, canvas->GetPixels(0, 0));
  EXPECT_EQ(face, canvas->GetPixels(3, 3));
  EXPECT_EQ(face, canvas->GetPixels(2, 1));
}

TEST(FcCommonDrawing, FillDitherCheckersTwoColoursOrOneOverTheTarget) {
  MemorySurface surface(4, 4, clLime);
  FillDither(&surface.Canvas, Rect(0, 0, 4, 4), clRed, clBlue);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ((x + y) % 2 == 0 ? clRed : clBlue, surface.At(x, y)) << x << "," << y;

  surface.Fill(clLime);
  FillDither(&surface.Canvas, Rect(0, 0, 4, 4), clNone, clBlue);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ((x + y) % 2 == 0 ? clLime : clBlue, surface.At(x, y)) << x << "," << y;

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
  EXPECT_EQ(clRed, surface.At(1, 1));
  EXPECT_EQ(clRed, surface.At(3, 3));
  EXPECT_EQ(clRed, surface.At(5, 3));
  EXPECT_EQ(clWhite, surface.At(2, 2));
}
