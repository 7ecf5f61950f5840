// The effect control bases: the layout routine and glyph choice of the buttons, the painting
// sequence into a memory DC (background, face, effects, one copy), the transparent
// background with the siblings below only, repaints that leave the parent unerased, and the
// button state machine driven by mouse messages.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EffectControlsTestSupport.h"
#include "controls/effects/VCLBase.h"

using namespace effect_tests;
using control_tests::TLogGraphic;
using control_tests::TTestHost;

namespace {

// A windowless effect control that records its painting steps and paints a square face.
class TProbeEffect : public TEffectGControl {
  CLASSLIB_CLASS(TProbeEffect, TEffectGControl)
  TProbeEffect(TComponent* owner, TWinControl* parent, const TRect& bounds)
      : TEffectGControl(owner) {
    SetBoundsRect(bounds);
    SetParent(parent);
  }
  std::vector<std::string> Steps;
  TRect Face = Rect(4, 4, 8, 8);  // filled with FaceColor on the off-screen bitmap
  TColor FaceColor = clRed;
  bool UseEffects = true;          // PaintFace runs the effect step
  TSize BitmapSize;                // the off-screen bitmap's size, as PaintFace saw it
  TSize EffectSize;                // the effect buffer's size, as ApplyEffects saw it
  bool HasBitmap() const { return GetBitmap() != nullptr; }
  std::function<void()> OnStep;    // called at every step (nothing is on the target yet)

 protected:
  void PaintFace() override {
    Steps.push_back("face");
    if (OnStep) OnStep();
    BitmapSize = TSize(GetBitmap()->GetWidth(), GetBitmap()->GetHeight());
    TCanvas* canvas = GetBitmap()->GetCanvas();
    canvas->GetBrush()->SetColor(FaceColor);
    canvas->FillRect(Face);
    if (UseEffects) EffectStep();
    Steps.push_back(GetEffectBmp() ? "buffer kept" : "buffer freed");
  }
  void ApplyEffects() override {
    Steps.push_back("effects");
    if (OnStep) OnStep();
    EffectSize = TSize(GetEffectBmp()->GetWidth(), GetEffectBmp()->GetHeight());
    GetEffectBmp()->MixColor(clWhite);
  }
};

// Counts the players' plays (they are disabled: BeforePlay runs, nothing sounds).
struct SoundProbe {
  explicit SoundProbe(TComponent* owner) : Player(new TepWavePlayer(owner)) {
    Player->SetEnabled(false);
    Player->SetBeforePlay([this](TObject*) { ++Plays; });
  }
  TepWavePlayer* Player;
  int Plays = 0;
};

}  // namespace

// ---- Pure rules --------------------------------------------------------------------------------

TEST(EffectLayout, PlacesGlyphAndCaptionByLayoutMarginAndSpacing) {
  // Client 75 x 25 (centre 37, 12), glyph 16 x 16, caption 31 x 13; halves towards zero.
  struct Case {
    TLayout Layout;
    int Margin, Spacing;
    TPoint Glyph, Caption;
  };
  const Case cases[] = {
      {blGlyphLeft, -1, 4, {12, 4}, {31, 6}},  // block 51, half 25
      {blGlyphRight, -1, 4, {46, 4}, {12, 6}},
      {blGlyphTop, -1, 4, {29, -4}, {22, 15}},  // block 33, half 16
      {blGlyphBottom, -1, 4, {29, 12}, {22, -4}},
      {blGlyphLeft, 3, 2, {3, 4}, {21, 6}},
      {blGlyphRight, 3, 2, {56, 4}, {23, 6}},
      {blGlyphTop, 0, 1, {29, 0}, {22, 17}},
      {blGlyphBottom, 0, 1, {29, 9}, {22, -5}},
  };
  for (const Case& c : cases) {
    const TEffectButtonLayout l = CalcEffectLayout(Rect(0, 0, 75, 25), TSize(16, 16), TSize(31, 13),
                                                   c.Layout, c.Margin, c.Spacing);
    EXPECT_EQ(l.Glyph, c.Glyph) << c.Layout << " margin " << c.Margin;
    EXPECT_EQ(l.Caption, c.Caption) << c.Layout << " margin " << c.Margin;
  }
}

TEST(EffectGlyphChoice, FollowsTheButtonsState) {
  EXPECT_EQ(ChooseEffectGlyph(4, true, true, true), 3);
  EXPECT_EQ(ChooseEffectGlyph(3, true, true, true), 2);  // no third glyph for pressed
  EXPECT_EQ(ChooseEffectGlyph(3, true, false, true), 2);
  EXPECT_EQ(ChooseEffectGlyph(2, true, false, true), 1);  // the mouse over an enabled button
  EXPECT_EQ(ChooseEffectGlyph(2, false, false, false), 2);  // disabled: the last glyph
  EXPECT_EQ(ChooseEffectGlyph(4, false, false, false), 4);
  EXPECT_EQ(ChooseEffectGlyph(1, false, false, true), 1);
}

// ---- Painting ------------------------------------------------------------------------------------

TEST(EffectPaint, FaceAndEffectsGoIntoABitmapThatIsCopiedOnce) {
  // What one copy of a bitmap does to a canvas's change count.
  int oneDraw = 0;
  {
    MemorySurface reference(4, 4);
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    reference.Canvas.SetOnChange([&](TObject*) { ++oneDraw; });
    reference.Canvas.Draw(0, 0, &bitmap);
    reference.Canvas.SetOnChange(nullptr);
  }
  TTestHost host;
  auto* probe = new TProbeEffect(&host, &host, Bounds(0, 0, 20, 20));
  probe->SetColor(clBlack);
  int drawings = 0;
  probe->GetCanvas()->SetOnChange([&](TObject*) { ++drawings; });
  MemorySurface surface(30, 30, clBlue);
  probe->OnStep = [&] { EXPECT_EQ(surface.CountOf(clBlue, Rect(0, 0, 30, 30)), 900); };
  PaintInto(probe, surface);

  EXPECT_EQ(probe->Steps, (std::vector<std::string>{"face", "effects", "buffer freed"}));
  EXPECT_EQ(probe->BitmapSize, TSize(21, 21));  // one pixel larger than the control
  EXPECT_EQ(probe->EffectSize, TSize(21, 21));
  EXPECT_FALSE(probe->HasBitmap());
  EXPECT_EQ(drawings, oneDraw);  // the control's canvas saw one drawing: the copy
  // Black background and red face, both mixed half with white by the effect.
  EXPECT_EQ(surface.At(1, 1), RGBColor(127, 127, 127));
  EXPECT_EQ(surface.At(19, 19), RGBColor(127, 127, 127));
  EXPECT_EQ(surface.At(5, 5), RGBColor(255, 127, 127));
  EXPECT_EQ(surface.At(25, 25), clBlue);  // nothing beyond the bitmap
}

TEST(EffectPaint, ATransparentControlShowsTheParentAndTheSiblingsBelowItOnly) {
  TTestHost host(100, 100, 100, 100);
  host.SetColor(clYellow);
  new TLogGraphic(&host, &host, Bounds(10, 10, 20, 20), clLime);  // below, overlaps top-left
  auto* probe = new TProbeEffect(&host, &host, Bounds(20, 20, 20, 20));
  new TLogGraphic(&host, &host, Bounds(30, 30, 20, 20), clBlue);  // above, overlaps bottom-right
  probe->UseEffects = false;
  probe->Face = Rect(2, 14, 6, 18);
  probe->SetTransparent(true);
  EXPECT_FALSE(probe->GetControlStyle().Contains(csOpaque));

  MemorySurface surface(30, 30, clWhite);
  PaintInto(probe, surface);
  EXPECT_EQ(surface.At(3, 3), clLime);     // the sibling below shows through
  EXPECT_EQ(surface.At(9, 9), clLime);
  EXPECT_EQ(surface.At(10, 3), clYellow);  // the parent's background
  EXPECT_EQ(surface.At(15, 15), clYellow); // the sibling above does not show
  EXPECT_EQ(surface.At(3, 15), clRed);     // the face

  probe->SetTransparent(false);
  EXPECT_TRUE(probe->GetControlStyle().Contains(csOpaque));
}

TEST(EffectPaint, TransparentRepaintsLeaveTheParentUnerased) {
  TTestHost host(100, 100, 200, 100);
  auto* probe = new TProbeEffect(&host, &host, Bounds(10, 10, 40, 20));
  auto* plain = new TLogGraphic(&host, &host, Bounds(100, 10, 40, 20));
  host.ShowHost();
  probe->SetTransparent(true);
  // Nothing pending (the display may still be exposing the new window).
  const auto settle = [&] {
    Pump();
    host.Update();
    ::ValidateRect(host.GetHandle(), nullptr);
    host.Log.Clear();
  };

  settle();
  probe->Invalidate();
  EXPECT_FALSE(probe->GetControlStyle().Contains(csOpaque));  // opaque only for the moment
  host.Update();
  EXPECT_EQ(host.Log.Count(WM_PAINT), 1);
  EXPECT_EQ(host.Log.Count(WM_ERASEBKGND), 0);

  settle();
  plain->Invalidate();  // an ordinary see-through control has the parent erased under it
  host.Update();
  EXPECT_EQ(host.Log.Count(WM_ERASEBKGND), 1);
}

// ---- The button state machine ------------------------------------------------------------------

namespace {

class EffectButton : public ::testing::Test {
 protected:
  void SetUp() override {
    Host = std::make_unique<TTestHost>(100, 100, 300, 200);
    Button = new TButtonGControl(Host.get());
    Button->SetBounds(50, 50, 80, 30);
    Button->SetParent(Host.get());
    Click = std::make_unique<SoundProbe>(Host.get());
    Hover = std::make_unique<SoundProbe>(Host.get());
    Button->SetClickSound(Click->Player);
    Button->SetActiveSound(Hover->Player);
    Button->SetOnClick([this](TObject*) { ++Clicks; });
    Host->ShowHost();
    ::SetCursorPos(0, 0);  // away from the host, so that leave messages find nothing there
  }
  void TearDown() override {
    ::ReleaseCapture();
    Host.reset();
  }
  void Send(UINT msg, int x, int y, WPARAM keys = 0) {
    ::SendMessageW(Host->GetHandle(), msg, keys, control_tests::At(x, y));
  }
  void Move(int x, int y, WPARAM keys = 0) { Send(WM_MOUSEMOVE, x, y, keys); }
  void Press(int x, int y) { Send(WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
  void Release(int x, int y) { Send(WM_LBUTTONUP, x, y); }

  std::unique_ptr<TTestHost> Host;
  TButtonGControl* Button = nullptr;
  std::unique_ptr<SoundProbe> Click;
  std::unique_ptr<SoundProbe> Hover;
  int Clicks = 0;
};

}  // namespace

TEST_F(EffectButton, EnterPlaysTheHoverSoundOncePerEntryWhenEnabled) {
  Move(10, 10);
  EXPECT_FALSE(Button->GetMouseInside());
  Move(60, 60);
  EXPECT_TRUE(Button->GetMouseInside());
  Move(70, 65);  // moving inside plays nothing more
  Move(71, 66);
  EXPECT_EQ(Hover->Plays, 1);
  Move(200, 150);  // leave
  EXPECT_FALSE(Button->GetMouseInside());
  Move(60, 60);
  EXPECT_EQ(Hover->Plays, 2);
  Move(200, 150);
  Button->SetEnabled(false);  // a disabled button is never hot
  Move(60, 60);
  EXPECT_FALSE(Button->GetMouseInside());
  EXPECT_EQ(Hover->Plays, 2);
  EXPECT_EQ(Clicks, 0);
  EXPECT_EQ(Click->Plays, 0);
}

TEST_F(EffectButton, PressAndReleaseInsideClicksWithTheClickSound) {
  Move(60, 60);
  Press(60, 60);
  EXPECT_TRUE(Button->GetPressed());
  EXPECT_TRUE(Button->GetMouseInside());
  Release(61, 61);
  EXPECT_FALSE(Button->GetPressed());
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(Click->Plays, 1);
}

TEST_F(EffectButton, LeavingWhilePressedAndReleasingOutsideClicksNothing) {
  Move(60, 60);
  Press(60, 60);
  Move(200, 150, MK_LBUTTON);  // out, the mouse still captured
  EXPECT_FALSE(Button->GetMouseInside());
  EXPECT_TRUE(Button->GetPressed());
  Release(200, 150);
  EXPECT_FALSE(Button->GetPressed());
  EXPECT_EQ(Clicks, 0);
  EXPECT_EQ(Click->Plays, 0);
}

TEST_F(EffectButton, APressThatStartedElsewhereDoesNotClickOnRelease) {
  Move(10, 10);
  Press(10, 10);  // on the host
  Move(60, 60, MK_LBUTTON);
  EXPECT_TRUE(Button->GetMouseInside());
  ::ReleaseCapture();  // so that the release reaches the button under the mouse
  Release(60, 60);
  EXPECT_FALSE(Button->GetPressed());
  EXPECT_EQ(Clicks, 0);
  EXPECT_EQ(Click->Plays, 0);
  // The button's own next press and release click as usual.
  Move(61, 61);
  Press(61, 61);
  Release(61, 61);
  EXPECT_EQ(Clicks, 1);
}

TEST_F(EffectButton, ThePressMustHitTheButtonsInnerArea) {
  Move(50, 50);  // (0, 0) of the button: outside its hit test
  EXPECT_TRUE(Button->GetMouseInside());
  Press(50, 50);
  EXPECT_FALSE(Button->GetPressed());
  Release(50, 50);
  EXPECT_EQ(Clicks, 0);
  EXPECT_FALSE(Button->HitTest(0, 5));
  EXPECT_TRUE(Button->HitTest(1, 1));
  EXPECT_FALSE(Button->HitTest(80, 5));
  EXPECT_TRUE(Button->HitTest(79, 29));
}

namespace {

// A windowed button with an elliptic window region.
class TRoundProbe : public TButtonCControl {
  CLASSLIB_CLASS(TRoundProbe, TButtonCControl)
  explicit TRoundProbe(TComponent* owner) : TButtonCControl(owner) {}
  bool Round = true;
  int Made = 0;  // regions made so far
  using TButtonCControl::UpdateButtonRegion;

 protected:
  UniqueRegion CreateButtonRegion() override {
    if (!Round) return UniqueRegion();
    ++Made;
    return UniqueRegion(::CreateEllipticRgn(1, 1, GetWidth(), GetHeight()));
  }
};

// The bounding box of a window's region; empty when it has none.
TRect WindowRegionBox(HWND wnd) {
  RECT box{};
  if (::GetWindowRgnBox(wnd, &box) == ERROR) return TRect();
  return box;
}

}  // namespace

TEST(EffectWindowedButton, TheWindowRegionFollowsTheSizeAndCanBeTakenAway) {
  TTestHost host(100, 100, 300, 200);
  auto* button = new TRoundProbe(&host);
  button->SetBounds(10, 10, 60, 40);
  button->SetParent(&host);
  host.ShowHost();
  const HWND wnd = button->GetHandle();
  EXPECT_GE(button->Made, 1);
  EXPECT_EQ(WindowRegionBox(wnd), TRect(1, 1, 59, 39));  // an ellipse leaves out its last row and column
  const int made = button->Made;
  button->SetBounds(10, 10, 80, 50);
  EXPECT_GT(button->Made, made);
  EXPECT_EQ(WindowRegionBox(wnd), TRect(1, 1, 79, 49));
  button->Round = false;
  button->UpdateButtonRegion();
  EXPECT_EQ(WindowRegionBox(wnd), TRect());

  auto* plain = new TButtonCControl(&host);  // a rectangular button gets no region
  plain->SetBounds(100, 10, 60, 40);
  plain->SetParent(&host);
  EXPECT_EQ(WindowRegionBox(plain->GetHandle()), TRect());
}

// ---- Layouts ---------------------------------------------------------------------------------------

TEST(EffectBaseLayouts, ButtonsReadTheirPropertiesAndSoundReferences) {
  TTestHost host;
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object Go: TButtonGControl\n"
             L"    Caption = '开始'\n"
             L"    Transparent = True\n"
             L"    ClickSound = Ding\n"
             L"    NumGlyphs = 2\n"
             L"    ActiveTextColor = clBlue\n"
             L"    Margin = 3\n"
             L"    Layout = blGlyphTop\n"
             L"  end\n"
             L"  object Back: TButtonCControl\n"
             L"    Transparent = True\n"
             L"  end\n"
             L"  object Ding: TepWavePlayer\n"
             L"  end\n"
             L"end\n");
  auto* go = dynamic_cast<TButtonGControl*>(host.FindComponent(L"Go"));
  auto* back = dynamic_cast<TButtonCControl*>(host.FindComponent(L"Back"));
  auto* ding = dynamic_cast<TepWavePlayer*>(host.FindComponent(L"Ding"));
  ASSERT_TRUE(go && back && ding);
  EXPECT_EQ(go->GetCaption(), L"开始");
  EXPECT_FALSE(go->GetControlStyle().Contains(csOpaque));
  EXPECT_EQ(go->GetClickSound(), ding);  // a reference to a component read after it
  EXPECT_EQ(go->GetNumGlyphs(), 2);
  EXPECT_EQ(go->GetActiveTextColor(), clBlue);
  EXPECT_EQ(go->GetMargin(), 3);
  EXPECT_EQ(go->GetLayout(), blGlyphTop);
  EXPECT_TRUE(back->GetTransparent());

  const String text = ComponentToText(&host);
  EXPECT_NE(text.find(L"ClickSound = Ding"), String::npos);
  EXPECT_EQ(text.find(L"Spacing"), String::npos);  // 0 is the default
  delete ding;  // the buttons let go of a sound that goes
  EXPECT_EQ(go->GetClickSound(), nullptr);
}
