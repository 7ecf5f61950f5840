// The 3-D label and the bevel: caption placement and outline copies, gradient and
// half-transparent backgrounds, the bevel's shapes in its two colours, their properties in
// layouts, and a window with a picture background under a transparent effect control.
#include <gtest/gtest.h>

#include "EffectControlsTestSupport.h"
#include "classlib/stdctrls/Images.h"
#include "controls/effects/EPCtrls.h"
#include "controls/effects/EPLabels.h"

using namespace effect_tests;
using control_tests::TTestHost;

namespace {

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

}  // namespace

// ---- Label -----------------------------------------------------------------------------------

TEST(EffectLabel, CaptionPositionFollowsTheAlignment) {
  // Height 17, text 13 high: y = 8 - 6 = 2.
  EXPECT_EQ(TepCustomLabel::CaptionPos(taLeftJustify, 65, 17, 30, 13), Point(2, 2));
  EXPECT_EQ(TepCustomLabel::CaptionPos(taRightJustify, 65, 17, 30, 13), Point(33, 2));
  EXPECT_EQ(TepCustomLabel::CaptionPos(taCenter, 65, 17, 31, 13), Point(17, 2));  // 32 - 15
}

TEST(EffectLabel, OutlineCopiesSitUpLeftAndDownRight) {
  TTestHost host;
  TepLabel* label = MakeLabel(host, L"HI");
  MemorySurface surface(90, 30, clGray);
  PaintInto(label, surface);
  const TRect all(0, 0, 80, 20);
  ASSERT_GT(surface.CountOf(clBlack, all), 0);
  ASSERT_GT(surface.CountOf(clRed, all), 0);
  ASSERT_GT(surface.CountOf(clBlue, all), 0);
  // The first column with ink: the red copy, one pixel left of the black one.
  int firstRed = -1, firstBlack = -1, lastBlue = -1, lastBlack = -1;
  for (int x = 0; x < 80; ++x) {
    for (int y = 0; y < 20; ++y) {
      if (surface.At(x, y) == clRed && firstRed < 0) firstRed = x;
      if (surface.At(x, y) == clBlack && firstBlack < 0) firstBlack = x;
      if (surface.At(x, y) == clBlue) lastBlue = x;
      if (surface.At(x, y) == clBlack) lastBlack = x;
    }
  }
  EXPECT_EQ(firstRed, firstBlack - 1);
  EXPECT_EQ(lastBlue, lastBlack + 1);
}

TEST(EffectLabel, WithoutOutlineColoursOnlyThePlainCaptionIsDrawnAndNothingWithoutOne) {
  TTestHost host;
  TepLabel* label = MakeLabel(host, L"HI");
  label->SetUseInnerColor(false);
  label->SetUseOuterColor(false);
  MemorySurface surface(90, 30);
  PaintInto(label, surface);
  const TRect all(0, 0, 80, 20);
  EXPECT_GT(surface.CountOf(clBlack, all), 0);
  EXPECT_EQ(surface.CountOf(clRed, all) + surface.CountOf(clBlue, all), 0);

  label->SetText3D(false);  // also with both colours on
  label->SetUseInnerColor(true);
  label->SetUseOuterColor(true);
  MemorySurface flat(90, 30);
  PaintInto(label, flat);
  EXPECT_EQ(flat.CountOf(clRed, all) + flat.CountOf(clBlue, all), 0);
  EXPECT_EQ(flat.CountOf(clBlack, all), surface.CountOf(clBlack, all));

  label->SetCaption(L"");  // an empty caption: only the background
  MemorySurface empty(90, 30, clGray);
  PaintInto(label, empty);
  EXPECT_EQ(empty.CountOf(clWhite, all), 1600);
}

TEST(EffectLabel, AGradientRunsFromItsColourIntoTheLabelsColour) {
  TTestHost host;
  TepLabel* label = MakeLabel(host, L"");
  label->SetGradEffect(true);
  label->SetGradKind(gdLeft);
  label->SetGradColor(clBlack);
  MemorySurface surface(90, 30, clGray);
  PaintInto(label, surface);
  // The off-screen bitmap is 81 wide: t grows by 1/80 per column from the left.
  EXPECT_EQ(surface.At(0, 5), clBlack);
  EXPECT_EQ(surface.At(40, 5), RGBColor(128, 128, 128));  // 127.5 to even
  EXPECT_EQ(surface.At(79, 5), RGBColor(252, 252, 252));  // 255 * 79 / 80 = 251.8
  for (int x = 1; x < 80; ++x) EXPECT_GE(GetRedValue(surface.At(x, 5)), GetRedValue(surface.At(x - 1, 5)));

  // Half-transparent: a gradient over the control's own 80 columns, averaged with what lies
  // behind (the host's blue).
  host.SetColor(clBlue);
  label->SetTransparent(true);
  label->SetMiddleTransparent(true);
  MemorySurface mixed(90, 30, clGray);
  PaintInto(label, mixed);
  EXPECT_EQ(mixed.At(0, 5), RGBColor(0, 0, 127));
  EXPECT_EQ(mixed.At(79, 5), RGBColor(127, 127, 255));
}

// ---- Bevel ------------------------------------------------------------------------------------

namespace {

// A 50 x 50 bevel with plain colours painted into a fresh surface.
void PaintBevel(TepBevelShape shape, TepBevelStyle style, MemorySurface& surface) {
  TTestHost host;
  auto* bevel = new TepBevel(&host);
  bevel->SetParent(&host);
  bevel->SetInnerColor(clRed);
  bevel->SetOuterColor(clBlue);
  bevel->SetShape(shape);
  bevel->SetStyle(style);
  PaintInto(bevel, surface);
}

}  // namespace

TEST(EffectBevel, ABoxIsOneColourAtTopLeftAndTheOtherAtBottomRight) {
  MemorySurface surface(50, 50, clWhite);
  PaintBevel(TepBevelShape::bsBox, TepBevelStyle::bsRaised, surface);
  EXPECT_EQ(surface.At(0, 25), clRed);
  EXPECT_EQ(surface.At(25, 0), clRed);
  EXPECT_EQ(surface.At(0, 0), clRed);
  EXPECT_EQ(surface.At(0, 49), clRed);   // the first line starts at the bottom-left corner
  EXPECT_EQ(surface.At(49, 0), clBlue);  // the second starts at the top-right corner
  EXPECT_EQ(surface.At(49, 25), clBlue);
  EXPECT_EQ(surface.At(25, 49), clBlue);
  EXPECT_EQ(surface.At(49, 49), clBlue);
  EXPECT_EQ(surface.CountOf(clWhite, Rect(1, 1, 49, 49)), 48 * 48);
  MemorySurface lowered(50, 50, clWhite);  // lowered: the colours the other way round
  PaintBevel(TepBevelShape::bsBox, TepBevelStyle::bsLowered, lowered);
  EXPECT_EQ(lowered.At(0, 25), clBlue);
  EXPECT_EQ(lowered.At(49, 25), clRed);
}

TEST(EffectBevel, AFrameIsTwoOffsetOutlinesEachInOneColour) {
  MemorySurface surface(50, 50, clWhite);
  PaintBevel(TepBevelShape::bsFrame, TepBevelStyle::bsLowered, surface);
  // Lowered: first colour OuterColor (blue), second InnerColor (red). The outer outline on
  // (0, 0, 48, 48) is drawn last, all in the first colour; the inner one on (1, 1, 49, 49)
  // all in the second.
  EXPECT_EQ(surface.At(0, 0), clBlue);
  EXPECT_EQ(surface.At(48, 0), clBlue);
  EXPECT_EQ(surface.At(0, 48), clBlue);
  EXPECT_EQ(surface.At(48, 25), clBlue);
  EXPECT_EQ(surface.At(49, 25), clRed);
  EXPECT_EQ(surface.At(25, 49), clRed);
  EXPECT_EQ(surface.At(1, 25), clRed);
  EXPECT_EQ(surface.At(25, 1), clRed);
  EXPECT_EQ(surface.At(49, 0), clWhite);
  EXPECT_EQ(surface.CountOf(clWhite, Rect(2, 2, 48, 48)), 46 * 46);
}

TEST(EffectBevel, LinesLieAlongTheirEdge) {
  struct Case {
    TepBevelShape Shape;
    TPoint First, Second;
  };
  const Case cases[] = {
      {TepBevelShape::bsTopLine, Point(25, 0), Point(25, 1)},
      {TepBevelShape::bsBottomLine, Point(25, 48), Point(25, 49)},
      {TepBevelShape::bsLeftLine, Point(0, 25), Point(1, 25)},
      {TepBevelShape::bsRightLine, Point(48, 25), Point(49, 25)},
  };
  for (const Case& c : cases) {
    MemorySurface surface(50, 50, clWhite);
    PaintBevel(c.Shape, TepBevelStyle::bsRaised, surface);
    EXPECT_EQ(surface.At(c.First.X, c.First.Y), clRed);
    EXPECT_EQ(surface.At(c.Second.X, c.Second.Y), clBlue);
    EXPECT_EQ(surface.CountOf(clRed, Rect(0, 0, 50, 50)), 50);
    EXPECT_EQ(surface.CountOf(clBlue, Rect(0, 0, 50, 50)), 50);
  }
}

// ---- Layouts ---------------------------------------------------------------------------------

TEST(EffectLayouts, LabelAndBevelKeepTheirPropertiesByName) {
  TTestHost host;
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object Title: TepLabel\n"
             L"    Caption = '模拟考试'\n"
             L"    Transparent = True\n"
             L"    Text3D = False\n"
             L"    InnerColor = clYellow\n"
             L"    Alignment = taCenter\n"
             L"    GradEffect = True\n"
             L"    GradKind = gdVCenter\n"
             L"    MiddleTransparent = True\n"
             L"  end\n"
             L"  object Frame: TepBevel\n"
             L"    Shape = bsTopLine\n"
             L"    Style = bsRaised\n"
             L"  end\n"
             L"end\n");
  auto* label = dynamic_cast<TepLabel*>(host.FindComponent(L"Title"));
  auto* bevel = dynamic_cast<TepBevel*>(host.FindComponent(L"Frame"));
  ASSERT_TRUE(label && bevel);
  EXPECT_EQ(label->GetCaption(), L"模拟考试");
  EXPECT_TRUE(label->GetTransparent());
  EXPECT_FALSE(label->GetText3D());
  EXPECT_EQ(label->GetInnerColor(), clYellow);
  EXPECT_EQ(label->GetOuterColor(), clLime);  // the initial value
  EXPECT_EQ(label->GetAlignment(), taCenter);
  EXPECT_TRUE(label->GetGradEffect());
  EXPECT_EQ(label->GetGradKind(), gdVCenter);
  EXPECT_TRUE(label->GetMiddleTransparent());
  EXPECT_EQ(bevel->GetShape(), TepBevelShape::bsTopLine);
  EXPECT_EQ(bevel->GetStyle(), TepBevelStyle::bsRaised);

  // Written back: the values read are kept, the defaults left out, Transparent always there.
  label->SetTransparent(false);
  bevel->SetShape(TepBevelShape::bsBox);
  const String text = ComponentToText(&host);
  for (const wchar_t* kept : {L"Text3D = False", L"GradKind = gdVCenter", L"Style = bsRaised",
                              L"Transparent = False", L"InnerColor = clYellow"})
    EXPECT_NE(text.find(kept), String::npos) << StringToUtf8(kept);
  for (const wchar_t* left : {L"OuterColor", L"UseInnerColor", L"Shape"})
    EXPECT_EQ(text.find(left), String::npos) << StringToUtf8(left);
  TTestHost copy;
  ReadLayout(&copy, text);
  auto* read = dynamic_cast<TepLabel*>(copy.FindComponent(L"Title"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetGradKind(), gdVCenter);
  EXPECT_FALSE(read->GetTransparent());
}

// ---- A picture background under a transparent effect control ------------------------------------

namespace {

// A picture whose every pixel differs from its neighbours: red from x, green from y.
void FillPattern(TBitmap& picture, int width, int height) {
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(picture.GetScanLine(y));
    for (int x = 0; x < width; ++x) {
      row[3 * x] = 60;                                  // blue
      row[3 * x + 1] = static_cast<uint8_t>(y * 3);     // green
      row[3 * x + 2] = static_cast<uint8_t>(x * 2);     // red
    }
  }
}

TColor PatternAt(int x, int y) { return RGBColor(static_cast<uint8_t>(x * 2), static_cast<uint8_t>(y * 3), 60); }

}  // namespace

TEST(EffectWindow, ATransparentControlOverAPictureShowsThePictureOutsideItsFace) {
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(100, 100, 120, 80);
  auto* image = new TImage(form);
  image->SetParent(form);
  image->SetBounds(0, 0, 120, 80);
  TBitmap picture;
  FillPattern(picture, 120, 80);
  image->GetPicture()->SetBitmap(&picture);

  auto* label = new TepLabel(form);  // its face is the caption alone
  label->SetParent(form);
  label->SetBounds(20, 20, 60, 20);
  label->SetTransparent(true);
  label->SetText3D(false);
  label->GetFont()->SetColor(clBlack);
  label->SetCaption(L"W");
  auto* half = new TepLabel(form);  // half-transparent: the picture mixed with white
  half->SetParent(form);
  half->SetBounds(20, 50, 60, 20);
  half->SetColor(clWhite);
  half->SetTransparent(true);
  half->SetMiddleTransparent(true);
  form->Show();
  Pump();

  // What the window paints, into a memory surface. The caption's own box (one pixel more
  // on every side, for smoothed glyph edges) is the face; everything else is the picture.
  MemorySurface surface(120, 80, clWhite);
  form->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  ::GdiFlush();
  surface.Canvas.SetFont(label->GetFont());
  const TSize text = surface.Canvas.TextExtent(L"W");
  const TPoint at = TepCustomLabel::CaptionPos(taLeftJustify, 60, 20, text.cx, text.cy);
  const TRect face(20 + at.X - 1, 20 + at.Y - 1, 20 + at.X + text.cx + 1, 20 + at.Y + text.cy + 1);
  int faceInk = 0;
  for (int y = 20; y < 40; ++y) {
    for (int x = 20; x < 80; ++x) {
      if (PtInRect(face, Point(x, y))) {
        faceInk += surface.At(x, y) == PatternAt(x, y) ? 0 : 1;
        continue;
      }
      ASSERT_EQ(surface.At(x, y), PatternAt(x, y)) << x << "," << y;
    }
  }
  EXPECT_GT(faceInk, 0);
  for (int y = 50; y < 70; y += 3)
    for (int x = 20; x < 80; x += 7)
      EXPECT_EQ(surface.At(x, y), RGBColor(static_cast<uint8_t>((x * 2 + 255) / 2),
                                           static_cast<uint8_t>((y * 3 + 255) / 2), (60 + 255) / 2));
  EXPECT_EQ(surface.At(5, 5), PatternAt(5, 5));

  // And on the screen, as the window shows it.
  form->Repaint();
  WindowDC screen = WindowDC::FromClient(form->GetHandle());
  ASSERT_TRUE(screen);
  MemorySurface shown(120, 80, clWhite);
  ::BitBlt(shown.DC(), 0, 0, 120, 80, screen.get(), 0, 0, SRCCOPY);
  ::GdiFlush();
  EXPECT_EQ(shown.At(75, 37), PatternAt(75, 37));
  EXPECT_EQ(shown.At(21, 39), PatternAt(21, 39));
  delete form;
  Pump();
}
