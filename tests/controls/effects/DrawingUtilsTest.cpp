// The drawing routines of the effect controls on memory device contexts: 3-D frames,
// ellipse and rounded-rectangle frames, transparent bitmap drawing, glyph strips, and the
// parent background beneath a windowless control.
#include <gtest/gtest.h>

#include "EffectControlsTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "controls/effects/BMPUtils.h"
#include "controls/effects/GrUtils.h"

using namespace effect_tests;
using control_tests::TLogGraphic;

namespace {

TEST(DrawFrame3D, RingsSplitAtTheCornersAndNestInward) {
  MemorySurface surface(12, 12, clWhite);
  TRect r(1, 1, 11, 11);
  DrawFrame3D(&surface.Canvas, r, clRed, clBlue, 1);
  EXPECT_EQ(r, TRect(2, 2, 10, 10));
  // Top and left in red up to the top-right and bottom-left corners, which are blue.
  ExpectPixels(surface, {{9, 1, clRed}, {10, 1, clBlue}, {1, 9, clRed}, {1, 10, clBlue},
                         {10, 10, clBlue}, {0, 10, clWhite}, {11, 11, clWhite}});
  EXPECT_EQ(CountAll(surface, clRed) + CountAll(surface, clBlue), 36);
  DrawFrame3D(&surface.Canvas, r, clRed, clBlue, 3);
  EXPECT_EQ(r, TRect(5, 5, 7, 7));
  ExpectPixels(surface, {{4, 4, clRed}, {7, 7, clBlue}, {5, 5, clWhite}, {6, 6, clWhite}});
}

TEST(DrawEllipseAndRoundRectFrames, UpperLeftLightLowerRightDark) {
  MemorySurface surface(41, 41, clWhite);
  DrawEllipseFrame(&surface.Canvas, clRed, clBlue, 1, Rect(0, 0, 41, 41));
  DrawEllipseFrame(&surface.Canvas, clLime, clLime, 1, Rect(5, 5, 5, 9));  // empty: nothing
  const TRect top(0, 0, 41, 4), right(37, 0, 41, 41);
  EXPECT_TRUE(surface.CountOf(clRed, top) > 0 && surface.CountOf(clBlue, top) == 0);
  EXPECT_TRUE(surface.CountOf(clBlue, right) > 0 && surface.CountOf(clRed, right) == 0);
  EXPECT_EQ(CountAll(surface, clLime), 0);
  EXPECT_EQ(surface.At(20, 20), clWhite);

  // Round rectangle, pen width 1 (odd): L, T = 0, 0; R, B = 39, 29; h = 5.
  MemorySurface box(40, 30, clWhite);
  DrawRoundRectFrame(&box.Canvas, Rect(0, 0, 40, 30), clRed, clBlue, 10, 1);
  EXPECT_EQ(box.CountOf(clRed, Rect(5, 0, 34, 1)), 29);
  EXPECT_EQ(box.CountOf(clBlue, Rect(39, 5, 40, 24)), 19);
  ExpectPixels(box, {{0, 0, clWhite}, {39, 29, clWhite}});
  EXPECT_EQ(box.CountOf(clBlue, Rect(0, 0, 5, 5)) + box.CountOf(clRed, Rect(35, 25, 40, 30)), 0);
  const TRect bottomLeft(0, 25, 5, 30);  // both colours here
  EXPECT_TRUE(box.CountOf(clRed, bottomLeft) > 0 && box.CountOf(clBlue, bottomLeft) > 0);
  // clNone leaves its half out; an even pen width moves the left and top edges in by one.
  box.Fill(clWhite);
  DrawRoundRectFrame(&box.Canvas, Rect(0, 0, 40, 30), clRed, clNone, 10, 2);
  ExpectPixels(box, {{1, 15, clRed}, {39, 15, clWhite}});
}

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

TEST(DrawTransparentBitmap, KeyColourLeavesTheDestinationAndTheSourceIsClipped) {
  TBitmap picture, empty;
  MakePicture(picture);
  MemorySurface surface(12, 12, clWhite);
  DrawTransparentBitmap(&surface.Canvas, 2, 3, clFuchsia, &picture);
  ExpectPixels(surface, {{2, 3, clWhite}, {4, 3, clRed}, {2, 6, clLime}});
  EXPECT_EQ(CountAll(surface, clRed), 8);
  EXPECT_EQ(picture.GetCanvas()->GetPixels(1, 1), clFuchsia);  // the picture is unchanged
  surface.Fill(clWhite);  // stretched to 8 × 8
  DrawTransparentBitmap(&surface.Canvas, 0, 0, clFuchsia, &picture, TRect(), 8, 8);
  EXPECT_EQ(CountAll(surface, clRed), 32);
  EXPECT_EQ(CountAll(surface, clLime), 4);
  // A source reaching beyond the bitmap is cut to it; one entirely outside, an empty
  // bitmap and none draw nothing.
  surface.Fill(clWhite);
  StretchBltTransparent(surface.DC(), picture.GetHandle(), 0, 0, TRect(2, 0, 10, 10), 0, 0,
                        ColorToRGB(clFuchsia));
  StretchBltTransparent(surface.DC(), picture.GetHandle(), 5, 5, TRect(5, 5, 9, 9), 0, 0, 0);
  DrawTransparentBitmap(&surface.Canvas, 0, 0, clNone, &empty);
  DrawTransparentBitmap(&surface.Canvas, 0, 0, clDefault, &empty);
  DrawTransparentBitmap(&surface.Canvas, 0, 0, clNone, nullptr);
  EXPECT_EQ(CountAll(surface, clRed), 8);
  ExpectPixels(surface, {{0, 0, clRed}, {2, 0, clWhite}});
  // clNone copies everything; clDefault keys on the bottom-left pixel.
  surface.Fill(clWhite);
  DrawTransparentBitmap(&surface.Canvas, 0, 0, clNone, &picture);
  DrawTransparentBitmap(&surface.Canvas, 6, 0, clDefault, &picture);
  EXPECT_EQ(CountAll(surface, clFuchsia), 7 + 7);
  ExpectPixels(surface, {{0, 3, clLime}, {6, 3, clWhite}});
  EXPECT_EQ(BottomLeftColor(&empty), clNone);
}

TEST(DrawGlyph, CutsTheGlyphAndKeysOnItsBottomLeftPixel) {
  // Three 3 × 2 glyphs in red, green and blue; the second has a yellow bottom-left key.
  TBitmap strip, empty;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(9, 2);
  const TColor colours[3] = {clRed, clLime, clBlue};
  for (int k = 0; k < 3; ++k) {
    strip.GetCanvas()->GetBrush()->SetColor(colours[k]);
    strip.GetCanvas()->FillRect(Rect(3 * k, 0, 3 * k + 3, 2));
  }
  strip.GetCanvas()->SetPixels(3, 1, clYellow);
  MemorySurface surface(6, 4, clWhite);
  DrawGlyph(&surface.Canvas, 1, 1, 3, 2, &strip);
  // Glyph numbers outside the strip, a bad count, a glyph width 0 and an empty strip.
  DrawGlyph(&surface.Canvas, 0, 0, 3, 0, &strip);
  DrawGlyph(&surface.Canvas, 0, 0, 3, 4, &strip);
  DrawGlyph(&surface.Canvas, 0, 0, 0, 1, &strip);
  DrawGlyph(&surface.Canvas, 0, 0, 20, 1, &strip);
  DrawGlyph(&surface.Canvas, 0, 0, 1, 1, &empty);
  EXPECT_EQ(CountAll(surface, clLime), 5);
  EXPECT_EQ(CountAll(surface, clWhite), 19);
  EXPECT_EQ(surface.At(1, 2), clWhite);
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

// A silver parent that paints a blue band across rows 70..79 of its own window.
class TBandedParent : public control_tests::TTestHost {
  CLASSLIB_CLASS(TBandedParent, control_tests::TTestHost)
  TBandedParent() : TTestHost(100, 100, 200, 100) { SetColor(clSilver); }

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
  new control_tests::TLogWindow(&parent, &parent, Rect(0, 0, 100, 100), clAqua);  // skipped
  parent.ShowHost();
  TLogGraphic* const siblings[4] = {below, apart, above, hidden};
  int paints[4];
  for (int i = 0; i < 4; ++i) paints[i] = siblings[i]->Paints;

  // A white area: the parent's background is erased into it.
  MemorySurface surface(50, 50, clWhite);
  parent.Log.Clear();
  PaintParentBackground(control, &surface.Canvas);
  // The control's (0, 0) is the parent's (30, 30): the sibling below to (49, 49), not the
  // hidden one nor the one above, then the parent's colour and its own band at (40, 75).
  ExpectPixels(surface, {{0, 0, clLime}, {19, 19, clLime}, {15, 15, clLime},
                         {20, 20, clSilver}, {10, 45, clBlue}});
  EXPECT_EQ(CountAll(surface, clWhite), 0) << "the parent's background under all of it";
  for (TColor never : {clRed, clAqua, clBlack})
    EXPECT_EQ(CountAll(surface, never), 0) << ColorToInt(never);
  // The parent was asked for its background and its drawing, never with a paint message.
  // Only the sibling below that overlaps is asked, once.
  EXPECT_EQ(parent.Log.Count(WM_ERASEBKGND), 1);
  EXPECT_EQ(parent.Log.Count(WM_PAINT), 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(siblings[i]->Paints, paints[i] + (i == 0 ? 1 : 0)) << i;

  // Nothing without a parent; afterwards the canvas draws at its own coordinates again.
  TLogGraphic orphan(nullptr, nullptr, Rect(0, 0, 10, 10), clRed);
  PaintParentBackground(&orphan, &surface.Canvas);
  EXPECT_EQ(CountAll(surface, clRed), 0);
  surface.Canvas.GetBrush()->SetColor(clRed);
  surface.Canvas.FillRect(Rect(0, 0, 50, 50));
  EXPECT_EQ(CountAll(surface, clRed), 2500);
}

}  // namespace
