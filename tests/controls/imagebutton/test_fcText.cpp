// The caption renderer: the placement arithmetic of turned captions, the setters' notices
// to the owner, and what the styles paint on a memory DC.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "controls/imagebutton/fcText.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace {

// A renderer whose text has a fixed unturned size, so that sizes and places can be worked
// out by hand.
class TFixedText : public TfcText {
 public:
  TFixedText(TFont* font, TSize extent, TfcTextCallbacks callbacks = {})
      : TfcText(std::move(callbacks), font, nullptr), Extent(extent) {}
  TSize GetTextExtent() override { return Extent; }
  TSize Extent;
};

TEST(CaptionArithmetic, NearFloorAndRotationNormalising) {
  EXPECT_EQ(NearFloor(2.99995), 3);  // within 0.0001 below an integer
  EXPECT_EQ(NearFloor(2.9990), 2);
  EXPECT_EQ(NearFloor(-0.5), -1);
  EXPECT_EQ(NearFloor(6e-15), 0);  // cos 90 degrees is not quite 0
  // A whole turn back is 0, not 360; the lowest int does not overflow.
  const int turns[][2] = {{-90, 270}, {360, 0}, {-360, 0}, {-1, 359}, {725, 5},
                          {-2147483647 - 1, 232}};
  for (const auto& t : turns) EXPECT_EQ(NormalizeRotation(t[0]), t[1]) << t[0];
}

TEST(CaptionArithmetic, RotatedExtentsCoverTheTurnedBox) {
  EXPECT_EQ(RotatedExtent(TSize(100, 20), 270), TSize(20, 100));
  EXPECT_EQ(RotatedExtent(TSize(100, 20), 45), TSize(84, 84));  // 120 * 0.7071 = 84.85
  EXPECT_EQ(RotatedExtent(TSize(100, 20), 30), TSize(96, 67));  // 86.6 + 10, 50 + 17.3
}

TEST(CaptionArithmetic, ShadowCountsOnlyWhereTheExtrusionDoesNotCoverIt) {
  EXPECT_EQ(EffectiveShadowOffset(false, 10, 10, false, fcBottomRight), TPoint(0, 0));
  EXPECT_EQ(EffectiveShadowOffset(true, -3, 4, false, fcBottomRight), TPoint(-3, 4));
  // Extruded towards bottom-right (steps -1, -1): a shadow that way is covered.
  EXPECT_EQ(EffectiveShadowOffset(true, 10, 10, true, fcBottomRight), TPoint(0, 0));
  EXPECT_EQ(EffectiveShadowOffset(true, -3, -4, true, fcBottomRight), TPoint(-3, -4));
  EXPECT_EQ(EffectiveShadowOffset(true, 10, 10, true, fcTopLeft), TPoint(10, 10));
  EXPECT_EQ(EffectiveShadowOffset(true, -3, 10, true, fcTop), TPoint(0, 10));
  EXPECT_EQ(CaptionEffectsExtent(TPoint(10, 0), true, 5, fcBottomRight, true), TSize(17, 7));
  EXPECT_EQ(CaptionEffectsExtent(TPoint(-4, 3), true, 5, fcRight, false), TSize(9, 3));
  EXPECT_EQ(CaptionEffectsExtent(TPoint(0, 0), false, 5, fcRight, false), TSize(0, 0));
}

TEST(CaptionArithmetic, OriginCentresTheTurnedText) {
  const TRect layout = Rect(0, 0, 200, 100);
  EXPECT_EQ(CaptionOrigin(layout, TSize(100, 20), 0, TPoint(0, 0), false, 0), TPoint(50, 40));
  // Turned a quarter to the left the text runs upwards from its bottom-left corner.
  EXPECT_EQ(CaptionOrigin(layout, TSize(100, 20), 90, TPoint(0, 0), false, 0), TPoint(90, 100));
  // Upside down it runs leftwards from its bottom-right corner.
  EXPECT_EQ(CaptionOrigin(layout, TSize(100, 20), 180, TPoint(0, 0), false, 0), TPoint(150, 60));
  // Back by half the shadow offset and half the depth.
  EXPECT_EQ(CaptionOrigin(layout, TSize(100, 20), 0, TPoint(10, 6), true, 7), TPoint(42, 34));
}

TEST(CaptionArithmetic, ExtrusionLayersRunFromFarToNear) {
  const TColor nearColor = RGBColor(200, 100, 0);
  const TColor farColor = RGBColor(0, 100, 200);
  EXPECT_EQ(ExtrusionLayerColor(nearColor, farColor, 1, 4, false), RGBColor(50, 100, 150));
  EXPECT_EQ(ExtrusionLayerColor(nearColor, farColor, 2, 4, false), RGBColor(100, 100, 100));
  EXPECT_EQ(ExtrusionLayerColor(nearColor, farColor, 4, 4, false), nearColor);
  // Striated: every even layer is divided by 4, every channel wraps at 256.
  EXPECT_EQ(ExtrusionLayerColor(nearColor, farColor, 2, 4, true), RGBColor(25, 50, 75));
  EXPECT_EQ(ExtrusionLayerColor(nearColor, farColor, 3, 4, true), RGBColor(150, 44, 194));
  EXPECT_EQ(ExtrusionLayerColor(nearColor, farColor, 1, 0, true), nearColor);  // no division by 0
}

TEST(CaptionRenderer, TurnedSizesIncludeTheEffectsAndAreClippedToTheLayout) {
  TFont font;
  TFixedText text(&font, TSize(100, 20));
  text.SetLayoutRect(Rect(0, 0, 200, 100));
  EXPECT_EQ(text.GetRotatedSize(true), TSize(100, 20));
  text.GetShadow()->SetEnabled(true);  // offset 10, 10
  EXPECT_EQ(text.GetRotatedSize(true), TSize(110, 30));
  text.SetRotation(-90);
  EXPECT_EQ(text.GetRotation(), 270);
  EXPECT_EQ(text.GetRotatedSize(true), TSize(30, 110));
  EXPECT_EQ(text.GetRotatedSize(false), TSize(30, 100));  // limited to the layout's height
  text.SetStyle(fclsOutline);
  EXPECT_EQ(text.GetRotatedSize(true), TSize(32, 112));
  text.SetRotation(0);
  text.SetStyle(fclsDefault);
  TRect r;
  text.CalcTextRect(r, false);
  EXPECT_EQ(r, Rect(45, 35, 155, 65));  // text and shadow centred together
  text.GetShadow()->SetEnabled(false);
  text.SetLayoutRect(Rect(0, 0, 40, 40));
  text.CalcTextRect(r, false);
  EXPECT_EQ(r, Rect(0, 10, 40, 30));  // too wide: starts at the layout's left, clipped
  text.CalcTextRect(r, true);
  EXPECT_EQ(r, Rect(0, 10, 100, 30));
}

TEST(CaptionRenderer, SettersTellTheOwnerWhatChanged) {
  TFont font;
  int changes = 0, recalcs = 0;
  TfcTextCallbacks callbacks;
  callbacks.OnChange = [&] { ++changes; };
  callbacks.OnRecalc = [&] { ++recalcs; };
  TfcCaptionText text(callbacks, &font, nullptr);
  text.SetRotation(-90);
  text.SetRotation(270 + 360);  // the same angle: no notice
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(recalcs, 1);
  text.SetOptions(TfcTextOptions{toShowEllipsis});
  EXPECT_TRUE(text.GetDrawFlags() & DT_NOPREFIX);
  EXPECT_TRUE(text.GetDrawFlags() & DT_END_ELLIPSIS);
  EXPECT_EQ(recalcs, 2);
  text.SetOptions(TfcTextOptions{toShowAccel});
  EXPECT_FALSE(text.GetDrawFlags() & DT_NOPREFIX);
  EXPECT_FALSE(text.GetDrawFlags() & DT_END_ELLIPSIS);
  changes = recalcs = 0;
  text.SetWordWrap(true);
  EXPECT_TRUE(text.GetDrawFlags() & DT_WORDBREAK);
  text.SetStyle(fclsRaised);
  text.GetShadow()->SetColor(clRed);
  text.GetExtrudeEffects()->SetStriated(true);
  text.GetDisabledColors()->SetShadeColor(clRed);
  text.SetScaleByScreen(true);
  EXPECT_EQ(changes, 6);
  EXPECT_EQ(recalcs, 0);  // none of these asks the owner for a new layout
  changes = recalcs = 0;
  text.GetShadow()->SetXOffset(3);
  text.GetExtrudeEffects()->SetDepth(4);
  text.GetExtrudeEffects()->SetOrientation(fcLeft);
  text.GetExtrudeEffects()->SetDepth(-2);
  EXPECT_EQ(text.GetExtrudeEffects()->GetDepth(), 0);
  EXPECT_EQ(recalcs, 4);
  EXPECT_EQ(changes, 4);
  changes = recalcs = 0;
  text.SetText(L"New");
  EXPECT_EQ(changes + recalcs, 0);  // the owner sets the text before it draws
}

TEST(CaptionRenderer, TheFontIsTheOwnersTurnedByTheRotation) {
  TFont font;
  font.SetName(L"Arial");
  font.SetHeight(-20);
  font.SetStyle(TFontStyles{fsBold, fsItalic});
  font.SetCharset(DEFAULT_CHARSET);
  TfcCaptionText text({}, &font, nullptr);
  LOGFONTW lf = text.GetLogFont();
  EXPECT_EQ(lf.lfHeight, -20);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);  // the default character set is asked as 0
  EXPECT_EQ(lf.lfOutPrecision, OUT_TT_PRECIS);
  EXPECT_EQ(String(lf.lfFaceName), L"Arial");
  text.SetRotation(-30);
  lf = text.GetLogFont();
  EXPECT_EQ(lf.lfEscapement, 3300);
  EXPECT_EQ(lf.lfOrientation, 3300);
  EXPECT_EQ(lf.lfOutPrecision, OUT_TT_ONLY_PRECIS);  // only outline fonts turn
  text.SetScaleByScreen(true);
  EXPECT_EQ(text.GetLogFont().lfHeight, NearFloor(-20.0 * ScreenLogPixels() / 96));
}

TEST(CaptionRenderer, AssignCopiesTheLookButNotTheAlignment) {
  TFont font;
  TfcCaptionText source({}, &font, nullptr);
  source.SetRotation(45);
  source.GetShadow()->SetYOffset(-4);
  source.SetAlignment(taRightJustify);
  TfcCaptionText dest({}, &font, nullptr);
  dest.Assign(&source);
  EXPECT_EQ(dest.GetRotation(), 45);
  EXPECT_EQ(dest.GetShadow()->GetYOffset(), -4);  // the nested parts too
  EXPECT_EQ(dest.GetAlignment(), taLeftJustify);
}

// The bounding box of the pixels of exactly one colour; empty when there are none.
TRect InkBox(const MemorySurface& surface, TColor ink) {
  TRect box(surface.Width(), surface.Height(), -1, -1);
  for (int y = 0; y < surface.Height(); ++y)
    for (int x = 0; x < surface.Width(); ++x)
      if (surface.At(x, y) == ink) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box.Right < 0 ? TRect() : box;
}

class CaptionDrawing : public ::testing::Test {
 protected:
  CaptionDrawing() : Surface(160, 80) {
    Font.SetName(L"Arial");
    Font.SetHeight(-40);
    Font.SetStyle(TFontStyles{fsBold});
    Font.SetColor(clBlack);
    TfcTextCallbacks callbacks;
    callbacks.IsEnabled = [this] { return Enabled; };
    Text = std::make_unique<TfcCaptionText>(callbacks, &Font, &Surface.Canvas);
    Text->SetAlignment(taCenter);
    Text->SetVAlignment(vaVCenter);
    Text->SetText(L"HI");
  }
  void Draw() {
    Surface.Fill(clWhite);
    Surface.Canvas.GetBrush()->SetStyle(bsClear);
    Text->SetLayoutRect(Rect(0, 0, Surface.Width(), Surface.Height()));
    Text->Draw();
    ::GdiFlush();
  }

  MemorySurface Surface;
  TFont Font;
  bool Enabled = true;
  std::unique_ptr<TfcCaptionText> Text;
};

TEST_F(CaptionDrawing, ADisabledCaptionIsEmbossedInTheDisabledColours) {
  Draw();
  const TRect face = InkBox(Surface, clBlack);
  ASSERT_FALSE(IsRectEmpty(face));
  Enabled = false;
  Text->GetDisabledColors()->SetHighlightColor(clRed);
  Text->GetDisabledColors()->SetShadeColor(clBlue);
  Draw();
  EXPECT_TRUE(IsRectEmpty(InkBox(Surface, clBlack)));
  const TRect shade = InkBox(Surface, clBlue);
  const TRect highlight = InkBox(Surface, clRed);
  EXPECT_EQ(shade, face);  // the face in the disabled shade
  // One copy in the disabled highlight, one pixel down and right, under the face.
  EXPECT_EQ(highlight.Right, face.Right + 1);
  EXPECT_EQ(highlight.Bottom, face.Bottom + 1);
  EXPECT_GE(highlight.Left, face.Left);
}

TEST_F(CaptionDrawing, ShadowOutlineAndExtrusionDrawWhereTheySay) {
  Text->GetShadow()->SetEnabled(true);
  Text->GetShadow()->SetColor(clRed);
  Text->GetShadow()->SetXOffset(4);
  Text->GetShadow()->SetYOffset(3);
  Draw();
  const TRect face = InkBox(Surface, clBlack);
  const TRect shadow = InkBox(Surface, clRed);
  EXPECT_EQ(shadow.Right, face.Right + 4);
  EXPECT_EQ(shadow.Bottom, face.Bottom + 3);
  Text->GetShadow()->SetEnabled(false);
  Text->SetStyle(fclsOutline);
  Text->SetOutlineColor(clBlue);
  Draw();
  const TRect outlined = InkBox(Surface, clBlack);
  const TRect outline = InkBox(Surface, clBlue);
  EXPECT_EQ(outline, Rect(outlined.Left - 1, outlined.Top - 1, outlined.Right + 1,
                          outlined.Bottom + 1));
  // An extrusion of depth 0 draws no layers.
  Text->SetStyle(fclsDefault);
  Text->GetExtrudeEffects()->SetEnabled(true);
  Text->GetExtrudeEffects()->SetNearColor(clLime);
  Text->GetExtrudeEffects()->SetFarColor(clLime);
  Text->GetExtrudeEffects()->SetDepth(0);
  Draw();
  EXPECT_TRUE(IsRectEmpty(InkBox(Surface, clLime)));
  Text->GetExtrudeEffects()->SetDepth(5);
  Draw();
  EXPECT_FALSE(IsRectEmpty(InkBox(Surface, clLime)));
}

TEST_F(CaptionDrawing, TurnedCaptionsIgnoreLeftAndRightAlignment) {
  Text->SetAlignment(taRightJustify);
  Draw();
  EXPECT_TRUE(Text->GetDrawFlags() & DT_RIGHT);
  const TRect upright = InkBox(Surface, clBlack);
  EXPECT_GT(upright.Left, Surface.Width() / 2);  // pushed to the right
  Text->SetRotation(90);
  Draw();
  EXPECT_FALSE(Text->GetDrawFlags() & (DT_RIGHT | DT_CENTER));
  const TRect turned = InkBox(Surface, clBlack);
  ASSERT_FALSE(IsRectEmpty(turned));
  EXPECT_GT(turned.Height(), turned.Width());  // the text now runs upwards
}

TEST_F(CaptionDrawing, AcceleratorMarksAreTextWithoutShowAccel) {
  Text->SetText(L"&W");
  TRect withMarks;
  Text->SetLayoutRect(Rect(0, 0, Surface.Width(), Surface.Height()));
  Text->CalcRect(true, withMarks);
  Text->SetOptions(TfcTextOptions{});
  TRect literal;
  Text->CalcRect(true, literal);
  EXPECT_GT(literal.Width(), withMarks.Width());  // "&" measured and drawn as a character
  EXPECT_EQ(withMarks.Width(), Surface.Canvas.TextWidth(L"W"));
}

}  // namespace
