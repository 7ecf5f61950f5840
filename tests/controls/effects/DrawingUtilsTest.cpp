// The drawing routines of the effect controls on memory device contexts: 3-D frames,
// ellipse and rounded-rectangle frames, transparent bitmap drawing, glyph strips, and the
// parent background beneath a windowless control.
#include <gtest/gtest.h>

#include "classlib/controls/ControlTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/MemorySurface.h"
#include "controls/effects/BMPUtils.h"
#include "controls/effects/GrUtils.h"

namespace {

using control_tests::TLogGraphic;
using control_tests::TLogWindow;

// ---- Frames -----------------------------------------------------------------------------

TEST(DrawFrame3D, OneRingSplitsAtTheCorners) {
  MemorySurface surface(12, 12, clWhite);
  TRect r(1, 1, 11, 11);
  DrawFrame3D(&surface.Canvas, r, clRed, clBlue, 1);
  EXPECT_EQ(r, TRect(2, 2, 10, 10));
  // Top and left in red up to the top-right and bottom-left corners, which are blue.
  EXPECT_EQ(surface.At(1, 1), clRed);
  EXPECT_EQ(surface.At(9, 1), clRed);
  EXPECT_EQ(surface.At(10, 1), clBlue);
  EXPECT_EQ(surface.At(1, 9), clRed);
  EXPECT_EQ(surface.At(1, 10), clBlue);
  EXPECT_EQ(surface.At(10, 10), clBlue);
  EXPECT_EQ(surface.At(5, 10), clBlue);
  EXPECT_EQ(surface.At(10, 5), clBlue);
  // Nothing outside the rectangle, nothing inside the frame.
  EXPECT_EQ(surface.At(0, 10), clWhite);
  EXPECT_EQ(surface.At(11, 11), clWhite);
  EXPECT_EQ(surface.CountOf(clWhite, Rect(2, 2, 10, 10)), 64);
  EXPECT_EQ(surface.CountOf(clRed, Rect(0, 0, 12, 12)) +
                surface.CountOf(clBlue, Rect(0, 0, 12, 12)),
            36);
}

TEST(DrawFrame3D, RingsNestInward) {
  MemorySurface surface(10, 10, clWhite);
  TRect r(0, 0, 10, 10);
  DrawFrame3D(&surface.Canvas, r, clRed, clBlue, 3);
  EXPECT_EQ(r, TRect(3, 3, 7, 7));
  EXPECT_EQ(surface.At(2, 2), clRed);
  EXPECT_EQ(surface.At(7, 7), clBlue);
  EXPECT_EQ(surface.CountOf(clWhite, Rect(0, 0, 10, 10)), 16);
  // The form for a rectangle the caller does not keep.
  MemorySurface other(10, 10, clWhite);
  DrawFrame3D(&other.Canvas, Rect(0, 0, 10, 10), clRed, clBlue, 3);
  EXPECT_TRUE(other.SameAs(surface));
}

TEST(DrawEllipseFrame, UpperLeftLightLowerRightDark) {
  MemorySurface surface(41, 41, clWhite);
  DrawEllipseFrame(&surface.Canvas, clRed, clBlue, 1, Rect(0, 0, 41, 41));
  // Top and left quarters light only, bottom and right quarters dark only.
  EXPECT_GT(surface.CountOf(clRed, Rect(0, 0, 41, 4)), 0);
  EXPECT_EQ(surface.CountOf(clBlue, Rect(0, 0, 41, 4)), 0);
  EXPECT_GT(surface.CountOf(clRed, Rect(0, 0, 4, 41)), 0);
  EXPECT_EQ(surface.CountOf(clBlue, Rect(0, 0, 4, 41)), 0);
  EXPECT_GT(surface.CountOf(clBlue, Rect(0, 37, 41, 41)), 0);
  EXPECT_EQ(surface.CountOf(clRed, Rect(0, 37, 41, 41)), 0);
  EXPECT_GT(surface.CountOf(clBlue, Rect(37, 0, 41, 41)), 0);
  EXPECT_EQ(surface.CountOf(clRed, Rect(37, 0, 41, 41)), 0);
  // The inside is not filled.
  EXPECT_EQ(surface.At(20, 20), clWhite);
  // A tall ellipse (a < b) and a wide one draw both halves as well; an empty box nothing.
  MemorySurface tall(20, 40, clWhite);
  DrawEllipseFrame(&tall.Canvas, clRed, clBlue, 2, Rect(0, 0, 20, 40));
  EXPECT_GT(tall.CountOf(clRed, Rect(0, 0, 20, 5)), 0);
  EXPECT_GT(tall.CountOf(clBlue, Rect(0, 35, 20, 40)), 0);
  MemorySurface empty(10, 10, clWhite);
  DrawEllipseFrame(&empty.Canvas, clRed, clBlue, 1, Rect(5, 5, 5, 9));
  EXPECT_EQ(empty.CountOf(clWhite, Rect(0, 0, 10, 10)), 100);
}

TEST(DrawRoundRectFrame, EdgesAndColourSplit) {
  MemorySurface surface(40, 30, clWhite);
  // Pen width 1 (odd): L, T = 0, 0; R, B = 39, 29; h = 5.
  DrawRoundRectFrame(&surface.Canvas, Rect(0, 0, 40, 30), clRed, clBlue, 10, 1);
  // The edges run from L + h (T + h) to R - h (B - h), their end pixels left to the arcs.
  for (int x = 5; x < 34; ++x) ASSERT_EQ(surface.At(x, 0), clRed) << x;
  for (int y = 5; y < 24; ++y) ASSERT_EQ(surface.At(0, y), clRed) << y;
  for (int y = 5; y < 24; ++y) ASSERT_EQ(surface.At(39, y), clBlue) << y;
  for (int x = 5; x < 34; ++x) ASSERT_EQ(surface.At(x, 29), clBlue) << x;
  // The corners are rounded: the rectangle's own corners stay empty.
  EXPECT_EQ(surface.At(0, 0), clWhite);
  EXPECT_EQ(surface.At(39, 29), clWhite);
  // Upper-left corner light, lower-right dark; the other two corners hold both colours.
  EXPECT_GT(surface.CountOf(clRed, Rect(0, 0, 5, 5)), 0);
  EXPECT_EQ(surface.CountOf(clBlue, Rect(0, 0, 5, 5)), 0);
  EXPECT_GT(surface.CountOf(clBlue, Rect(35, 25, 40, 30)), 0);
  EXPECT_EQ(surface.CountOf(clRed, Rect(35, 25, 40, 30)), 0);
  EXPECT_GT(surface.CountOf(clRed, Rect(0, 25, 5, 30)), 0);
  EXPECT_GT(surface.CountOf(clBlue, Rect(0, 25, 5, 30)), 0);
  EXPECT_GT(surface.CountOf(clRed, Rect(35, 0, 40, 5)), 0);
  EXPECT_GT(surface.CountOf(clBlue, Rect(35, 0, 40, 5)), 0);
}

TEST(DrawRoundRectFrame, NoColourLeavesItsHalfOut) {
  MemorySurface lightOnly(40, 30, clWhite);
  DrawRoundRectFrame(&lightOnly.Canvas, Rect(0, 0, 40, 30), clRed, clNone, 10, 1);
  EXPECT_EQ(lightOnly.CountOf(clWhite, Rect(0, 0, 40, 30)) +
                lightOnly.CountOf(clRed, Rect(0, 0, 40, 30)),
            1200);
  EXPECT_EQ(lightOnly.At(39, 15), clWhite);
  MemorySurface darkOnly(40, 30, clWhite);
  DrawRoundRectFrame(&darkOnly.Canvas, Rect(0, 0, 40, 30), clNone, clBlue, 10, 1);
  EXPECT_EQ(darkOnly.CountOf(clRed, Rect(0, 0, 40, 30)), 0);
  EXPECT_EQ(darkOnly.At(0, 15), clWhite);
  EXPECT_EQ(darkOnly.At(39, 15), clBlue);
  // An even pen width moves the left and top edges in by one.
  MemorySurface even(40, 30, clWhite);
  DrawRoundRectFrame(&even.Canvas, Rect(0, 0, 40, 30), clRed, clNone, 10, 2);
  EXPECT_EQ(even.At(1, 15), clRed);
}

// ---- Transparent bitmaps ----------------------------------------------------------------

// A 4 × 4 picture: magenta (the key) on the left half, red on the right half, a green
// bottom-left pixel.
void MakePicture(TBitmap& picture) {
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(4, 4);
  TCanvas* canvas = picture.GetCanvas();
  canvas->GetBrush()->SetColor(clFuchsia);
  canvas->FillRect(Rect(0, 0, 2, 4));
  canvas->GetBrush()->SetColor(clRed);
  canvas->FillRect(Rect(2, 0, 4, 4));
  canvas->SetPixels(0, 3, clLime);
}

TEST(StretchBltTransparent, KeyColourLeavesTheDestination) {
  TBitmap picture;
  MakePicture(picture);
  MemorySurface surface(12, 12, clWhite);
  StretchBltTransparent(surface.DC(), picture.GetHandle(), 2, 3, TRect(), 0, 0,
                        ColorToRGB(clFuchsia));
  EXPECT_EQ(surface.At(2, 3), clWhite);   // key
  EXPECT_EQ(surface.At(3, 5), clWhite);
  EXPECT_EQ(surface.At(4, 3), clRed);
  EXPECT_EQ(surface.At(5, 6), clRed);
  EXPECT_EQ(surface.At(2, 6), clLime);
  EXPECT_EQ(surface.CountOf(clRed, Rect(0, 0, 12, 12)), 8);
  // The picture itself is unchanged.
  EXPECT_EQ(picture.GetCanvas()->GetPixels(1, 1), clFuchsia);
}

TEST(StretchBltTransparent, StretchesAndClipsTheSource) {
  TBitmap picture;
  MakePicture(picture);
  MemorySurface surface(12, 12, clWhite);
  StretchBltTransparent(surface.DC(), picture.GetHandle(), 0, 0, TRect(), 8, 8,
                        ColorToRGB(clFuchsia));
  EXPECT_EQ(surface.CountOf(clRed, Rect(0, 0, 12, 12)), 32);
  EXPECT_EQ(surface.CountOf(clLime, Rect(0, 0, 12, 12)), 4);
  // A source reaching beyond the bitmap is cut to it: only columns 2..3 are drawn.
  MemorySurface part(12, 12, clWhite);
  StretchBltTransparent(part.DC(), picture.GetHandle(), 0, 0, TRect(2, 0, 10, 10), 0, 0,
                        ColorToRGB(clFuchsia));
  EXPECT_EQ(part.CountOf(clRed, Rect(0, 0, 12, 12)), 8);
  EXPECT_EQ(part.At(0, 0), clRed);
  EXPECT_EQ(part.At(2, 0), clWhite);
  // A source entirely outside draws nothing.
  MemorySurface none(12, 12, clWhite);
  StretchBltTransparent(none.DC(), picture.GetHandle(), 0, 0, TRect(5, 5, 9, 9), 0, 0, 0);
  EXPECT_EQ(none.CountOf(clWhite, Rect(0, 0, 12, 12)), 144);
}

TEST(DrawTransparentBitmap, NoneDefaultAndGivenColours) {
  TBitmap picture;
  MakePicture(picture);
  // clNone copies everything.
  MemorySurface all(8, 8, clWhite);
  DrawTransparentBitmap(&all.Canvas, 1, 1, clNone, &picture);
  EXPECT_EQ(all.CountOf(clFuchsia, Rect(0, 0, 8, 8)), 7);
  EXPECT_EQ(all.CountOf(clRed, Rect(0, 0, 8, 8)), 8);
  // clDefault keys on the bottom-left pixel (green).
  MemorySurface byCorner(8, 8, clWhite);
  DrawTransparentBitmap(&byCorner.Canvas, 0, 0, clDefault, &picture);
  EXPECT_EQ(byCorner.At(0, 3), clWhite);
  EXPECT_EQ(byCorner.At(0, 0), clFuchsia);
  // A given colour, and a source part stretched to 4 × 2.
  MemorySurface given(8, 8, clWhite);
  DrawTransparentBitmap(&given.Canvas, 0, 0, clFuchsia, &picture, Rect(1, 0, 3, 1), 4, 2);
  EXPECT_EQ(given.CountOf(clRed, Rect(0, 0, 8, 8)), 4);
  EXPECT_EQ(given.CountOf(clWhite, Rect(0, 0, 8, 8)), 60);
  // clNone with a source part and a size.
  MemorySurface stretched(8, 8, clWhite);
  DrawTransparentBitmap(&stretched.Canvas, 0, 0, clNone, &picture, Rect(2, 0, 4, 2), 4, 4);
  EXPECT_EQ(stretched.CountOf(clRed, Rect(0, 0, 8, 8)), 16);
  // An empty bitmap draws nothing.
  TBitmap empty;
  MemorySurface untouched(8, 8, clWhite);
  DrawTransparentBitmap(&untouched.Canvas, 0, 0, clNone, &empty);
  DrawTransparentBitmap(&untouched.Canvas, 0, 0, clDefault, &empty);
  DrawTransparentBitmap(&untouched.Canvas, 0, 0, clNone, nullptr);
  EXPECT_EQ(untouched.CountOf(clWhite, Rect(0, 0, 8, 8)), 64);
  EXPECT_EQ(BottomLeftColor(&picture), clLime);
  EXPECT_EQ(BottomLeftColor(&empty), clNone);
}

TEST(DrawGlyph, CutsTheGlyphAndKeysOnItsBottomLeftPixel) {
  // Three 3 × 2 glyphs: each has its key in the bottom-left pixel and one colour elsewhere.
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(9, 2);
  const TColor colours[3] = {clRed, clLime, clBlue};
  for (int k = 0; k < 3; ++k) {
    strip.GetCanvas()->GetBrush()->SetColor(colours[k]);
    strip.GetCanvas()->FillRect(Rect(3 * k, 0, 3 * k + 3, 2));
  }
  strip.GetCanvas()->SetPixels(3, 1, clYellow);  // the second glyph's key
  MemorySurface surface(6, 4, clWhite);
  DrawGlyph(&surface.Canvas, 1, 1, 3, 2, &strip);
  EXPECT_EQ(surface.CountOf(clLime, Rect(0, 0, 6, 4)), 5);
  EXPECT_EQ(surface.At(1, 2), clWhite);
  EXPECT_EQ(surface.CountOf(clRed, Rect(0, 0, 6, 4)), 0);
  EXPECT_EQ(surface.CountOf(clBlue, Rect(0, 0, 6, 4)), 0);
  // Glyph numbers outside the strip, a bad count and an empty strip draw nothing.
  MemorySurface untouched(6, 4, clWhite);
  DrawGlyph(&untouched.Canvas, 0, 0, 3, 0, &strip);
  DrawGlyph(&untouched.Canvas, 0, 0, 3, 4, &strip);
  DrawGlyph(&untouched.Canvas, 0, 0, 0, 1, &strip);
  DrawGlyph(&untouched.Canvas, 0, 0, 20, 1, &strip);  // glyph width 0
  TBitmap empty;
  DrawGlyph(&untouched.Canvas, 0, 0, 1, 1, &empty);
  EXPECT_EQ(untouched.CountOf(clWhite, Rect(0, 0, 6, 4)), 24);
}

TEST(DrawTransparentBitmap, LeavesNoObjectBehind) {
  TBitmap picture;
  MakePicture(picture);
  MemorySurface surface(8, 8, clWhite);
  ResourceProbe probe;
  for (int i = 0; i < 200; ++i) {
    DrawTransparentBitmap(&surface.Canvas, 0, 0, clFuchsia, &picture, TRect(), 6, 6);
    DrawGlyph(&surface.Canvas, 0, 0, 2, 2, &picture);
  }
  probe.ExpectNoLeak();
}

// ---- Parent background --------------------------------------------------------------------

// A parent that paints a blue band across rows 70..79 of its own window.
class TBandedParent : public control_tests::TTestHost {
  CLASSLIB_CLASS(TBandedParent, control_tests::TTestHost)
  TBandedParent() : TTestHost(100, 100, 200, 100) { SetColor(clWhite); }

 protected:
  void PaintWindow(HDC dc) override {
    const RECT band{0, 70, 200, 80};
    UniqueBrush brush(::CreateSolidBrush(RGB(0, 0, 255)));
    ::FillRect(dc, &band, brush.get());
  }
};

TEST(PaintParentBackground, ParentThenSiblingsBelowOnly) {
  TBandedParent parent;
  auto* below = new TLogGraphic(&parent, &parent, Rect(10, 10, 50, 50), clLime);
  auto* hidden = new TLogGraphic(&parent, &parent, Rect(30, 30, 40, 40), clYellow);
  hidden->SetVisible(false);
  auto* apart = new TLogGraphic(&parent, &parent, Rect(150, 0, 160, 10), clFuchsia);
  auto* control = new TLogGraphic(&parent, &parent, Rect(30, 30, 80, 80), clBlack);
  auto* above = new TLogGraphic(&parent, &parent, Rect(40, 40, 60, 60), clRed);
  new TLogWindow(&parent, &parent, Rect(0, 0, 100, 100), clAqua);  // windowed: skipped
  parent.ShowHost();
  const int belowPaints = below->Paints;
  const int apartPaints = apart->Paints;
  const int abovePaints = above->Paints;
  const int hiddenPaints = hidden->Paints;

  // The caller fills the area with the parent's colour first, as the effect controls do.
  MemorySurface surface(50, 50, clWhite);
  parent.Log.Clear();
  PaintParentBackground(control, &surface.Canvas);
  // The control's (0, 0) is the parent's (30, 30).
  EXPECT_EQ(surface.At(0, 0), clLime);     // the sibling below, at (30, 30)
  EXPECT_EQ(surface.At(19, 19), clLime);   // its last pixel, (49, 49)
  EXPECT_EQ(surface.At(20, 20), clWhite);  // the parent's colour, as filled, at (50, 50)
  EXPECT_EQ(surface.At(15, 15), clLime);   // not the hidden sibling nor the one above
  EXPECT_EQ(surface.At(25, 25), clWhite);  // the sibling above never shows
  EXPECT_EQ(surface.At(10, 45), clBlue);   // the parent's own drawing at (40, 75)
  EXPECT_EQ(surface.CountOf(clRed, Rect(0, 0, 50, 50)), 0);
  EXPECT_EQ(surface.CountOf(clAqua, Rect(0, 0, 50, 50)), 0);
  EXPECT_EQ(surface.CountOf(clBlack, Rect(0, 0, 50, 50)), 0);
  // The parent was asked for nothing but its drawing: no erase, no paint message.
  EXPECT_EQ(parent.Log.Count(WM_ERASEBKGND), 0);
  EXPECT_EQ(parent.Log.Count(WM_PAINT), 0);
  // Each sibling below that overlaps is asked once; the others not at all.
  EXPECT_EQ(below->Paints, belowPaints + 1);
  EXPECT_EQ(apart->Paints, apartPaints);
  EXPECT_EQ(above->Paints, abovePaints);
  EXPECT_EQ(hidden->Paints, hiddenPaints);
}

TEST(PaintParentBackground, NothingWithoutAParentAndTheDCIsRestored) {
  TLogGraphic orphan(nullptr, nullptr, Rect(0, 0, 10, 10), clRed);
  MemorySurface surface(10, 10, clBlack);
  PaintParentBackground(&orphan, &surface.Canvas);
  EXPECT_EQ(surface.CountOf(clBlack, Rect(0, 0, 10, 10)), 100);

  TBandedParent parent;
  auto* control = new TLogGraphic(&parent, &parent, Rect(5, 60, 25, 90), clBlack);
  parent.ShowHost();
  MemorySurface after(20, 30, clBlack);
  PaintParentBackground(control, &after.Canvas);
  EXPECT_EQ(after.At(0, 15), clBlue);  // (5, 75)
  // The canvas draws at its own coordinates again: origin and clipping were restored.
  after.Canvas.GetBrush()->SetColor(clRed);
  after.Canvas.FillRect(Rect(0, 0, 20, 30));
  EXPECT_EQ(after.CountOf(clRed, Rect(0, 0, 20, 30)), 600);
}

}  // namespace
