// The five effect buttons: their faces painted on memory DCs (over a picture when
// transparent), their window regions and hit tests, and, as real windows on a form, mouse
// clicks, Space, Enter and accelerators, focus marks and the stored layout.
#include <gtest/gtest.h>

#include "EffectControlsTestSupport.h"
#include "classlib/controls/ActnList.h"
#include "tests/classlib/controls/ImageListTestSupport.h"
#include "controls/effects/EPButtons.h"
#include "controls/effects/EffBtns.h"
#include "classlib/stdctrls/Images.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"

using control_tests::TTestHost;
using effect_tests::CountAll;
using effect_tests::ExpectPixels;
using effect_tests::PaintInto;
using effect_tests::RegionBox;
using button_tests::Rgb;

namespace {

// Exposes the button flags, so that a face can be painted in each state.
template <class B>
class TStateProbe : public B {
 public:
  explicit TStateProbe(TComponent* owner) : B(owner) {}
  void SetState(bool inside, bool pressed) { this->SetButtonState(inside, pressed); }
};

// Whether each channel is within 1 of the expected one (the display may round a picture).
bool Near(TColor actual, TColor expected) {
  const auto close = [](int a, int b) { return a - b <= 1 && b - a <= 1; };
  return close(GetRedValue(actual), GetRedValue(expected)) &&
         close(GetGreenValue(actual), GetGreenValue(expected)) &&
         close(GetBlueValue(actual), GetBlueValue(expected));
}

// The average brightness of a row of a surface, x from 4 to width - 4.
int RowLevel(const MemorySurface& s, int y) {
  int sum = 0;
  for (int x = 4; x < s.Width() - 4; ++x) sum += GetGreenValue(s.At(x, y));
  return sum / (s.Width() - 8);
}

}  // namespace

// ---- Actions ------------------------------------------------------------------------------------------

// An empty glyph takes the action's image, and the image of a later ImageIndex; a glyph the
// button was given since stays.
TEST(EffectButtonActions, TheGlyphFollowsTheActionsImageUntilOneOfItsOwn) {
  TTestHost host;
  TImageList images(nullptr);
  control_tests::AddSolidImages(images, 8, {clBlue, clLime});
  TActionList list(nullptr);
  list.SetImages(&images);
  auto* action = new TAction(&list);
  action->SetActionList(&list);
  action->SetImageIndex(0);
  auto* button = new TepEfButton(&host);
  button->SetParent(&host);
  button->SetAction(action);
  EXPECT_EQ(button->GetGlyph()->GetCanvas()->GetPixels(4, 4), clBlue);
  action->SetImageIndex(1);
  EXPECT_EQ(button->GetGlyph()->GetCanvas()->GetPixels(4, 4), clLime);
  TBitmap own;
  own.SetSize(8, 8);
  own.GetCanvas()->GetBrush()->SetColor(clRed);
  own.GetCanvas()->FillRect(Rect(0, 0, 8, 8));
  button->SetGlyph(&own);
  action->SetImageIndex(0);
  EXPECT_EQ(button->GetGlyph()->GetCanvas()->GetPixels(4, 4), clRed);
  list.SetImages(nullptr);
}

// ---- Faces on memory DCs ----------------------------------------------------------------------------

TEST(EffectButtonFaces, ATransparentButtonBlendsThePictureBehindItHalfWithItsColour) {
  TTestHost host(100, 100, 200, 100);
  host.SetColor(clWhite);
  auto* image = new TImage(&host);  // the picture: red on the left, blue on the right
  image->SetParent(&host);
  image->SetBounds(0, 0, 200, 100);
  TBitmap picture;
  picture.SetSize(200, 100);
  picture.GetCanvas()->GetBrush()->SetColor(clRed);
  picture.GetCanvas()->FillRect(Rect(0, 0, 100, 100));
  picture.GetCanvas()->GetBrush()->SetColor(clBlue);
  picture.GetCanvas()->FillRect(Rect(100, 0, 200, 100));
  image->GetPicture()->SetBitmap(&picture);
  auto* button = new TStateProbe<TepEfTrBtn>(&host);
  button->SetParent(&host);
  button->SetBounds(60, 20, 80, 40);  // over both halves
  button->SetColor(clWhite);
  MemorySurface surface(81, 41, clBlack);
  PaintInto(button, surface);
  EXPECT_TRUE(Near(surface.At(20, 20), RGBColor(255, 127, 127)));
  EXPECT_TRUE(Near(surface.At(60, 20), RGBColor(127, 127, 255)));
  // Raised: the top edge lighter than the bottom one; pressed with the mouse inside: sunken.
  button->SetColor(clGray);
  PaintInto(button, surface);
  EXPECT_GT(RowLevel(surface, 1), RowLevel(surface, 37));
  button->SetState(true, true);
  PaintInto(button, surface);
  EXPECT_LT(RowLevel(surface, 1), RowLevel(surface, 37));
  button->SetNoise(true);  // the grain changes on every repaint
  MemorySurface again(81, 41, clBlack);
  PaintInto(button, again);
  EXPECT_FALSE(surface.SameAs(again));
}

TEST(EffectButtonFaces, TheFramedButtonKeepsSharpRingsOverItsBlurredFace) {
  TTestHost host;
  auto* button = new TStateProbe<TepEfButton>(&host);
  button->SetParent(&host);
  button->SetColor(clBtnFace);  // a system colour: resolved before its channels shift
  const TColor face = Rgb(clBtnFace);
  const TColor dark = RGBColor(GetRedValue(face) - 65, GetGreenValue(face) - 65,
                               GetBlueValue(face) - 65);
  const TColor light = RGBColor(Min(255, GetRedValue(face) + 65),
                                Min(255, GetGreenValue(face) + 65),
                                Min(255, GetBlueValue(face) + 65));
  MemorySurface surface(66, 26, clWhite);
  PaintInto(button, surface);
  ExpectPixels(surface, {{0, 0, dark}, {10, 0, dark}, {64, 24, light}, {10, 24, light},
                         {2, 2, clBlack}, {62, 22, clBlack}});
  button->SetFrameWidth(0);  // no sharp ring after the blur: the black ring is blurred
  PaintInto(button, surface);
  EXPECT_NE(surface.At(10, 0), dark);
  button->SetFrameWidth(70);
  EXPECT_EQ(button->GetFrameWidth(), 50);  // its own range, 0..50
  auto* tr = new TepEfTrBtn(&host);
  tr->SetFrameWidth(70);
  EXPECT_EQ(tr->GetFrameWidth(), 70);  // 0..100 on this one
}

TEST(EffectButtonFaces, TheCaptionTakesActiveTextColorUnderTheMouseAndMovesWhenPressed) {
  TTestHost host;
  auto* button = new TStateProbe<TepEfTrBtn>(&host);
  button->SetParent(&host);
  button->SetTransparent(false);
  button->SetColor(clWhite);
  button->SetCaption(L"W");
  button->SetActiveTextColor(clBlue);
  MemorySurface normal(76, 26, clBlack), hot(76, 26, clBlack), pressed(76, 26, clBlack);
  PaintInto(button, normal);
  EXPECT_EQ(CountAll(normal, clBlue), 0);
  button->SetState(true, false);
  PaintInto(button, hot);
  EXPECT_GT(CountAll(hot, clBlue), 0);
  const TPoint up = button->GetCaptionPos();
  button->SetState(true, true);
  PaintInto(button, pressed);
  EXPECT_EQ(button->GetCaptionPos(), Point(up.X + 1, up.Y + 1));
}

TEST(EffectButtonFaces, FocusableButtonsDrawFramesByState) {
  TTestHost host;
  auto* tb = new TStateProbe<TepTransparentBtn>(&host);
  tb->SetParent(&host);
  tb->SetColor(clWhite);
  MemorySurface surface(76, 26, clBlue);
  PaintInto(tb, surface);
  ExpectPixels(surface, {{0, 0, clWhite}, {1, 1, clBlack}, {73, 23, clBlack}, {5, 5, clWhite}});
  tb->SetState(true, false);  // under the mouse: the outline moves out to the edge
  PaintInto(tb, surface);
  ExpectPixels(surface, {{0, 0, clBlack}, {74, 24, clBlack}, {1, 1, clWhite}});
  tb->SetState(false, false);
  tb->SetEnabled(false);
  PaintInto(tb, surface);
  EXPECT_EQ(surface.At(1, 1), Rgb(clBtnShadow));

  auto* fb = new TStateProbe<TepFocusButton>(&host);
  fb->SetParent(&host);
  fb->SetColor(clWhite);
  fb->SetInnerColor(clYellow);
  fb->SetOuterColor(clNavy);
  PaintInto(fb, surface);
  ExpectPixels(surface, {{0, 0, clYellow}, {74, 24, clNavy}, {37, 12, clWhite}});
  fb->SetState(true, true);  // sunken
  PaintInto(fb, surface);
  ExpectPixels(surface, {{0, 0, clNavy}, {74, 24, clYellow}});
  fb->SetState(false, false);
  fb->SetGradEffect(true);  // black at the left, the face's own colour at the right
  fb->SetGradKind(gdLeft);
  PaintInto(fb, surface);
  EXPECT_LT(GetRedValue(surface.At(2, 12)), 10);
  EXPECT_GT(GetRedValue(surface.At(72, 12)), 240);
  fb->SetActiveGradColor(clRed);  // under the mouse the gradient takes ActiveGradColor
  fb->SetState(true, false);
  PaintInto(fb, surface);
  EXPECT_GT(GetRedValue(surface.At(2, 12)), 240);
  EXPECT_LT(GetGreenValue(surface.At(2, 12)), 10);
}

TEST(EffectButtonFaces, RoundFocusMarksNeverTurnInsideOut) {
  const TRoundFocusMark tiny = RoundFocusMark(Rect(4, 4, 6, 6), 1);
  EXPECT_EQ(tiny.CornerSize, 0);  // 2 × 1 - 5 held at 0
  EXPECT_GE(tiny.Rect.Right, tiny.Rect.Left);
  EXPECT_GE(tiny.Rect.Bottom, tiny.Rect.Top);
  const TRoundFocusMark usual = RoundFocusMark(Rect(4, 4, 71, 21), 5);
  EXPECT_EQ(usual.Rect, Rect(5, 5, 69, 19));
  EXPECT_EQ(usual.CornerSize, 5);
}

// ---- Regions and hit tests ----------------------------------------------------------------------------

TEST(EffectButtonRegions, RoundButtonsShapeTheirWindowAndTheirHitTest) {
  TTestHost host(100, 100, 300, 200);
  auto* round = new TepEfRndBtn(&host);
  round->SetParent(&host);
  round->SetBounds(10, 10, 65, 65);
  host.ShowHost();
  EXPECT_EQ(RegionBox(round->GetHandle()), TRect(1, 1, 64, 64));
  EXPECT_FALSE(round->HitTest(4, 4));  // a corner of the rectangle, outside the ellipse
  EXPECT_TRUE(round->HitTest(32, 32));
  // A point in the corner belongs to the parent's window on the screen.
  EXPECT_EQ(::WindowFromPoint(POINT{100 + 10 + 3, 100 + 10 + 3}), host.GetHandle());
  EXPECT_EQ(::WindowFromPoint(POINT{100 + 10 + 32, 100 + 10 + 32}), round->GetHandle());
  round->SetBtnKind(bkRndRect);
  round->SetRadius(0);  // a plain rectangle without region
  EXPECT_EQ(RegionBox(round->GetHandle()), TRect());
  EXPECT_TRUE(round->HitTest(1, 1));
  round->SetRadius(10);
  EXPECT_EQ(RegionBox(round->GetHandle()), TRect(1, 1, 64, 64));
  EXPECT_FALSE(round->HitTest(2, 2));

  auto* pill = new TepTransparentBtn(&host);
  pill->SetParent(&host);
  pill->SetBounds(100, 10, 75, 25);
  pill->SetFrameRnd(true);  // corners of 10-pixel ellipses; clicks only in the pill
  EXPECT_EQ(RegionBox(pill->GetHandle()), TRect(0, 0, 74, 24));
  EXPECT_FALSE(pill->HitTest(4, 3));  // inside the region's corner, outside radius 11
  EXPECT_TRUE(pill->HitTest(37, 12));
  pill->SetFrame(false);  // also drops the rounding and the region
  EXPECT_FALSE(pill->GetFrameRnd());
  EXPECT_EQ(RegionBox(pill->GetHandle()), TRect());
}

// ---- Real windows on a form ----------------------------------------------------------------------------

namespace {

class EffectButtonForm : public button_tests::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ReadLayout(L"object Form1: TButtonsForm\n"
               L"  object Tr: TepEfTrBtn\n    Left = 8\n    Top = 8\n    Caption = '确定'\n"
               L"    ActiveTextColor = clBlue\n    FrameWidth = 2\n    Noise = False\n"
               L"    Transparent = True\n    OnClick = ControlClick\n  end\n"
               L"  object Ef: TepEfButton\n    Left = 100\n    Top = 8\n    Caption = '退出'\n"
               L"    BtnColor = clSilver\n    EfCaption = True\n    OnClick = ControlClick\n  end\n"
               L"  object Rnd: TepEfRndBtn\n    Left = 200\n    Top = 8\n    Caption = 'O'\n"
               L"    BtnKind = bkEllipse\n    ShadowOffset = 3\n    OnClick = ControlClick\n  end\n"
               L"  object Tb: TepTransparentBtn\n    Left = 8\n    Top = 100\n"
               L"    Caption = '保存(&S)'\n    FrameRnd = True\n    Frame3D = True\n"
               L"    OnClick = ControlClick\n  end\n"
               L"  object Fb: TepFocusButton\n    Left = 100\n    Top = 100\n    Caption = 'Go'\n"
               L"    GradEffect = True\n    GradKind = gdLeft\n    OnClick = ControlClick\n"
               L"    ClickSound = Ding\n  end\n"
               L"  object Ding: TepWavePlayer\n    Enabled = False\n  end\n"
               L"end\n");
    Tr = Find<TepEfTrBtn>(L"Tr");
    Ef = Find<TepEfButton>(L"Ef");
    Rnd = Find<TepEfRndBtn>(L"Rnd");
    Tb = Find<TepTransparentBtn>(L"Tb");
    Fb = Find<TepFocusButton>(L"Fb");
    auto* ding = Find<TepWavePlayer>(L"Ding");
    ding->SetBeforePlay([this](TObject*) { ++Sounds; });
    ShowForm();
  }
  int Clicks(TObject* button) const { return Form->ClicksOf(button); }
  // A key down and up on the focused window, with something in between.
  void SpaceAround(const std::function<void()>& between) {
    const HWND focus = ::GetFocus();
    ::PostMessageW(focus, WM_KEYDOWN, VK_SPACE, stdctrl_tests::KeyData(VK_SPACE, false));
    button_tests::Pump();
    between();
    ::PostMessageW(focus, WM_KEYUP, VK_SPACE, stdctrl_tests::KeyData(VK_SPACE, true));
    button_tests::Pump();
  }

  TepEfTrBtn* Tr = nullptr;
  TepEfButton* Ef = nullptr;
  TepEfRndBtn* Rnd = nullptr;
  TepTransparentBtn* Tb = nullptr;
  TepFocusButton* Fb = nullptr;
  int Sounds = 0;
};

}  // namespace

TEST_F(EffectButtonForm, EveryButtonIsReadFromItsLayoutAndClicksWithTheMouse) {
  ASSERT_TRUE(Tr && Ef && Rnd && Tb && Fb);
  EXPECT_TRUE(Tb->GetTabStop());
  EXPECT_TRUE(SaveWindowScreenshot(Form->GetHandle(), L"effect_buttons"));
  for (TControl* button : std::initializer_list<TControl*>{Tr, Ef, Rnd, Tb, Fb}) {
    button_tests::ClickControl(button);
    EXPECT_EQ(Clicks(button), 1) << StringToUtf8(button->GetName());
  }
  EXPECT_TRUE(Tb->Focused() || Fb->Focused());  // a press focuses a focusable button first
  EXPECT_EQ(Sounds, 1);
  const String text = ComponentToText(Form);
  for (const wchar_t* stored :
       {L"FrameWidth = 2", L"Noise = False", L"BtnKind = bkEllipse", L"FrameRnd = True",
        L"GradKind = gdLeft", L"ClickSound = Ding", L"BtnColor = clSilver", L"ShadowOffset = 3",
        L"Transparent = True"})
    EXPECT_NE(text.find(stored), String::npos) << StringToUtf8(stored);
  EXPECT_EQ(text.find(L"ShowFocus"), String::npos);  // True is the default
}

TEST_F(EffectButtonForm, SpaceClicksOnReleaseThroughTheSameRoutineAsTheMouse) {
  Fb->SetFocus();
  button_tests::Pump();
  ASSERT_TRUE(Fb->Focused());
  SpaceAround([&] {
    EXPECT_TRUE(Fb->GetPressed() && Fb->GetKeyPressed());
    EXPECT_EQ(Clicks(Fb), 0);
    ::SetCursorPos(900, 700);  // the mouse elsewhere, and mouse messages ignored meanwhile
    ::SendMessageW(Fb->GetHandle(), WM_LBUTTONUP, 0, button_tests::At(5, 5));
  });
  EXPECT_FALSE(Fb->GetPressed());
  EXPECT_FALSE(Fb->GetMouseInside());
  EXPECT_EQ(Clicks(Fb), 1);
  EXPECT_EQ(Sounds, 1);  // the click sound, as for the mouse
  // The focus going away during a press ends it without a click.
  SpaceAround([&] { Tb->SetFocus(); });
  EXPECT_FALSE(Fb->GetPressed() || Fb->GetKeyPressed());
  EXPECT_EQ(Clicks(Fb), 1);
}

TEST_F(EffectButtonForm, EnterAndTheAcceleratorClickTheFocusableButtons) {
  Fb->SetFocus();
  button_tests::Pump();
  button_tests::PressKey(VK_RETURN);
  EXPECT_EQ(Clicks(Fb), 1);
  EXPECT_EQ(Clicks(Tb), 0);
  button_tests::PressAltChar(L's');  // 保存(&S)
  EXPECT_EQ(Clicks(Tb), 1);
  EXPECT_EQ(Clicks(Fb), 1);
}

TEST_F(EffectButtonForm, TheFocusMarkShowsOnlyOnTheFocusedButton) {
  MemorySurface unfocused(76, 26, clBlack), focused(76, 26, clBlack);
  Fb->SetFocus();
  button_tests::Pump();
  ASSERT_FALSE(Tb->GetHasFocus());
  PaintInto(Tb, unfocused);
  Tb->SetFocus();
  button_tests::Pump();
  ASSERT_TRUE(Tb->GetHasFocus());
  PaintInto(Tb, focused);
  EXPECT_FALSE(unfocused.SameAs(focused));
  Tb->SetShowFocus(false);
  MemorySurface hidden(76, 26, clBlack);
  PaintInto(Tb, hidden);
  EXPECT_TRUE(unfocused.SameAs(hidden));
}
