// The 3-D label and the bevel: caption placement and outline copies, gradient and
// half-transparent backgrounds, the bevel's shapes in its two colours, their properties in
// layouts, and a window with a picture background under a transparent label.
#include <gtest/gtest.h>

#include "EffectControlsTestSupport.h"
#include "classlib/stdctrls/Images.h"
#include "controls/effects/EPCtrls.h"
#include "controls/effects/EPLabels.h"

using namespace effect_tests;
using control_tests::TTestHost;

namespace {

const TRect kLabel(0, 0, 80, 20);

// A label on an unshown host, with plain colours that a surface reads back exactly.
TepLabel* MakeLabel(TTestHost& host, const String& caption) {
  auto* label = new TepLabel(&host);
  label->SetParent(&host);
  label->SetBounds(0, 0, 80, 20);
  label->SetColor(clWhite);
  label->GetFont()->SetColor(clBlack);
  label->SetInnerColor(clRed);
  label->SetOuterColor(clBlue);
  label->SetCaption(caption);
  return label;
}

// The first and last columns of the label that hold the colour; -1 when none.
std::pair<int, int> ColumnsOf(const MemorySurface& surface, TColor color) {
  int first = -1, last = -1;
  for (int x = 0; x < 80; ++x)
    if (surface.CountOf(color, Rect(x, 0, x + 1, 20)) > 0) {
      if (first < 0) first = x;
      last = x;
    }
  return {first, last};
}

}  // namespace

TEST(EffectLabel, CaptionPositionFollowsTheAlignment) {
  // Height 17, text 13 high: y = 8 - 6 = 2.
  EXPECT_EQ(TepCustomLabel::CaptionPos(taLeftJustify, 65, 17, 30, 13), Point(2, 2));
  EXPECT_EQ(TepCustomLabel::CaptionPos(taRightJustify, 65, 17, 30, 13), Point(33, 2));
  EXPECT_EQ(TepCustomLabel::CaptionPos(taCenter, 65, 17, 31, 13), Point(17, 2));  // 32 - 15
}

TEST(EffectLabel, OutlineCopiesSitUpLeftAndDownRightWhenAskedFor) {
  TTestHost host;
  TepLabel* label = MakeLabel(host, L"HI");
  MemorySurface surface(90, 30, clGray);
  PaintInto(label, surface);
  ASSERT_GT(surface.CountOf(clBlack, kLabel), 0);
  EXPECT_EQ(ColumnsOf(surface, clRed).first, ColumnsOf(surface, clBlack).first - 1);
  EXPECT_EQ(ColumnsOf(surface, clBlue).second, ColumnsOf(surface, clBlack).second + 1);
  label->SetUseInnerColor(false);
  PaintInto(label, surface);
  EXPECT_EQ(surface.CountOf(clRed, kLabel), 0);
  EXPECT_GT(surface.CountOf(clBlue, kLabel), 0);
  label->SetUseInnerColor(true);
  label->SetText3D(false);  // no copies, even with both colours on
  PaintInto(label, surface);
  EXPECT_EQ(surface.CountOf(clRed, kLabel) + surface.CountOf(clBlue, kLabel), 0);
  EXPECT_GT(surface.CountOf(clBlack, kLabel), 0);
  label->SetCaption(L"");  // an empty caption: only the background
  PaintInto(label, surface);
  EXPECT_EQ(surface.CountOf(clWhite, kLabel), 1600);
}

TEST(EffectLabel, AGradientRunsFromItsColourIntoTheLabelsColour) {
  TTestHost host;
  TepLabel* label = MakeLabel(host, L"");
  label->SetGradEffect(true);
  label->SetGradKind(gdLeft);
  label->SetGradColor(clBlack);
  MemorySurface surface(90, 30, clGray);
  PaintInto(label, surface);
  // The off-screen bitmap is 81 wide: t grows by 1/80 per column from the left
  // (127.5 to even at 40, 255 × 79 / 80 = 251.8 at 79).
  ExpectPixels(surface, {{0, 5, clBlack}, {40, 5, RGBColor(128, 128, 128)},
                         {79, 5, RGBColor(252, 252, 252)}});
  // Half-transparent: a gradient over the control's own 80 columns, averaged with what lies
  // behind (the host's blue); without a gradient, the label's colour averaged with it.
  host.SetColor(clBlue);
  label->SetTransparent(true);
  label->SetMiddleTransparent(true);
  PaintInto(label, surface);
  ExpectPixels(surface, {{0, 5, RGBColor(0, 0, 127)}, {79, 5, RGBColor(127, 127, 255)}});
  label->SetGradEffect(false);
  PaintInto(label, surface);
  ExpectPixels(surface, {{0, 5, RGBColor(127, 127, 255)}, {79, 19, RGBColor(127, 127, 255)}});
}

// ---- Bevel ------------------------------------------------------------------------------------

TEST(EffectBevel, EachShapeTakesItsTwoColoursOnItsSides) {
  TTestHost host;
  auto* bevel = new TepBevel(&host);  // 50 x 50
  bevel->SetParent(&host);
  bevel->SetInnerColor(clRed);
  bevel->SetOuterColor(clBlue);
  MemorySurface surface(50, 50);
  const auto paint = [&](TepBevelShape shape, TepBevelStyle style) {
    bevel->SetShape(shape);
    bevel->SetStyle(style);
    surface.Fill(clWhite);
    PaintInto(bevel, surface);
  };
  // Raised takes the inner colour first. A box's first line starts at the bottom-left
  // corner, the second at the top-right one.
  paint(TepBevelShape::bsBox, TepBevelStyle::bsRaised);
  ExpectPixels(surface, {{0, 49, clRed}, {0, 0, clRed}, {49, 0, clBlue}, {49, 49, clBlue}});
  EXPECT_EQ(surface.CountOf(clWhite, Rect(1, 1, 49, 49)), 48 * 48);
  paint(TepBevelShape::bsBox, TepBevelStyle::bsLowered);
  ExpectPixels(surface, {{0, 25, clBlue}, {49, 25, clRed}});
  // A lowered frame: the outer outline on (0, 0, 48, 48) is drawn last, all in the first
  // colour (blue); the inner one on (1, 1, 49, 49) all in the second.
  paint(TepBevelShape::bsFrame, TepBevelStyle::bsLowered);
  ExpectPixels(surface, {{48, 0, clBlue}, {48, 25, clBlue}, {49, 25, clRed}, {1, 25, clRed},
                         {49, 0, clWhite}});
  EXPECT_EQ(surface.CountOf(clWhite, Rect(2, 2, 48, 48)), 46 * 46);
  // Lines: the first colour along the edge, the second beside it.
  const struct {
    TepBevelShape Shape;
    PixelIs First, Second;
  } lines[] = {
      {TepBevelShape::bsTopLine, {25, 0, clRed}, {25, 1, clBlue}},
      {TepBevelShape::bsBottomLine, {25, 48, clRed}, {25, 49, clBlue}},
      {TepBevelShape::bsLeftLine, {0, 25, clRed}, {1, 25, clBlue}},
      {TepBevelShape::bsRightLine, {48, 25, clRed}, {49, 25, clBlue}},
  };
  for (const auto& line : lines) {
    paint(line.Shape, TepBevelStyle::bsRaised);
    ExpectPixels(surface, {line.First, line.Second});
    EXPECT_EQ(CountAll(surface, clRed), 50);
    EXPECT_EQ(CountAll(surface, clBlue), 50);
  }
}

TEST(EffectLayouts, LabelAndBevelReadAndWriteTheirProperties) {
  TTestHost host;
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object Title: TepLabel\n    Caption = '模拟考试'\n    Text3D = False\n"
             L"    InnerColor = clYellow\n    GradKind = gdVCenter\n  end\n"
             L"  object Frame: TepBevel\n    Shape = bsTopLine\n    Style = bsRaised\n  end\n"
             L"end\n");
  auto* label = dynamic_cast<TepLabel*>(host.FindComponent(L"Title"));
  auto* bevel = dynamic_cast<TepBevel*>(host.FindComponent(L"Frame"));
  ASSERT_TRUE(label && bevel);
  EXPECT_EQ(bevel->GetShape(), TepBevelShape::bsTopLine);
  // Written back: the values read are kept, the defaults left out, Transparent always there.
  bevel->SetShape(TepBevelShape::bsBox);
  const String text = ComponentToText(&host);
  for (const wchar_t* kept : {L"Text3D = False", L"GradKind = gdVCenter", L"Style = bsRaised",
                              L"Transparent = False", L"InnerColor = clYellow"})
    EXPECT_NE(text.find(kept), String::npos) << StringToUtf8(kept);
  for (const wchar_t* left : {L"OuterColor", L"UseInnerColor", L"Shape"})
    EXPECT_EQ(text.find(left), String::npos) << StringToUtf8(left);
}

// ---- Picture background under a transparent label ---------------------------------------------

namespace {

// A picture whose every pixel differs from its neighbours: red from x, green from y.
TColor PatternAt(int x, int y) {
  return RGBColor(static_cast<uint8_t>(x * 2), static_cast<uint8_t>(y * 3), 60);
}

}  // namespace

TEST(EffectWindow, ATransparentLabelOverAPictureShowsThePictureOutsideItsFace) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBorderStyle(bsNone);
  form->SetBounds(100, 100, 120, 80);
  auto* image = new TImage(form.get());
  image->SetParent(form.get());
  image->SetBounds(0, 0, 120, 80);
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(120, 80);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) picture.GetCanvas()->SetPixels(x, y, PatternAt(x, y));
  image->GetPicture()->SetBitmap(&picture);
  auto* label = new TepLabel(form.get());  // its face is the caption alone
  label->SetParent(form.get());
  label->SetBounds(20, 20, 60, 20);
  label->SetTransparent(true);
  label->SetText3D(false);
  label->GetFont()->SetColor(clBlack);
  label->SetCaption(L"W");
  form->Show();
  Pump();

  // What the window paints, into a memory surface. The caption's own box (one pixel more
  // on every side, for smoothed glyph edges) is the face; everything else is the picture.
  MemorySurface surface(120, 80, clWhite);
  PaintInto(form.get(), surface);
  surface.Canvas.SetFont(label->GetFont());
  const TSize text = surface.Canvas.TextExtent(L"W");
  const TPoint at = TepCustomLabel::CaptionPos(taLeftJustify, 60, 20, text.cx, text.cy);
  const TRect face(20 + at.X - 1, 20 + at.Y - 1, 20 + at.X + text.cx + 1, 20 + at.Y + text.cy + 1);
  int faceInk = 0;
  for (int y = 20; y < 40; ++y)
    for (int x = 20; x < 80; ++x) {
      if (PtInRect(face, Point(x, y)))
        faceInk += surface.At(x, y) == PatternAt(x, y) ? 0 : 1;
      else
        ASSERT_EQ(surface.At(x, y), PatternAt(x, y)) << x << "," << y;
    }
  EXPECT_GT(faceInk, 0);
  // And on the screen, as the window shows it.
  form->Repaint();
  WindowDC screen = WindowDC::FromClient(form->GetHandle());
  ASSERT_TRUE(screen);
  MemorySurface shown(120, 80, clWhite);
  ::BitBlt(shown.DC(), 0, 0, 120, 80, screen.get(), 0, 0, SRCCOPY);
  ExpectPixels(shown, {{75, 37, PatternAt(75, 37)}, {21, 39, PatternAt(21, 39)}});
}
