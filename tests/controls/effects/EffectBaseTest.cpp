// The effect control bases: the layout routine and glyph choice of the buttons, the painting
// sequence into a memory DC, repaints of transparent controls that leave the parent
// window unerased, the button state machine driven by mouse messages, and window regions.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "EffectControlsTestSupport.h"
#include "controls/effects/VCLBase.h"

using namespace effect_tests;
using control_tests::TLogGraphic;
using control_tests::TTestHost;

namespace {

// A windowless effect control that records its painting steps, paints a red square face
// at (4, 4) and mixes everything half with white as its effect.
class TProbeEffect : public TEffectGControl {
  CLASSLIB_CLASS(TProbeEffect, TEffectGControl)
  TProbeEffect(TWinControl* parent, const TRect& bounds) : TEffectGControl(parent) {
    SetBoundsRect(bounds);
    SetParent(parent);
  }
  std::vector<std::string> Steps;
  TSize BitmapSize;              // the off-screen bitmap's size, as PaintFace saw it
  std::function<void()> OnStep;  // called at every step (nothing is on the target yet)

 protected:
  void PaintFace() override {
    Step("face");
    BitmapSize = TSize(GetBitmap()->GetWidth(), GetBitmap()->GetHeight());
    GetBitmap()->GetCanvas()->GetBrush()->SetColor(clRed);
    GetBitmap()->GetCanvas()->FillRect(Rect(4, 4, 8, 8));
    EffectStep();
    Step(GetEffectBmp() ? "buffer kept" : "buffer freed");
  }
  void ApplyEffects() override {
    Step("effects");
    GetEffectBmp()->MixColor(clWhite);
  }
  void Step(const char* name) {
    Steps.push_back(name);
    if (OnStep) OnStep();
  }
};

}  // namespace

TEST(EffectLayout, PlacesGlyphAndCaptionAndChoosesTheGlyph) {
  // Client 75 x 25 (centre 37, 12), glyph 16 x 16, caption 31 x 13; halves towards zero.
  const struct {
    TLayout Layout;
    int Margin, Spacing;
    TPoint Glyph, Caption;
  } cases[] = {
      {blGlyphLeft, -1, 4, {12, 4}, {31, 6}},  // block 51, half 25
      {blGlyphRight, 3, 2, {56, 4}, {23, 6}},
      {blGlyphTop, -1, 4, {29, -4}, {22, 15}},  // block 33, half 16
      {blGlyphBottom, 0, 1, {29, 9}, {22, -5}},
  };
  for (const auto& c : cases) {
    const TEffectButtonLayout l = CalcEffectLayout(Rect(0, 0, 75, 25), TSize(16, 16),
                                                   TSize(31, 13), c.Layout, c.Margin, c.Spacing);
    EXPECT_EQ(l.Glyph, c.Glyph) << c.Layout;
    EXPECT_EQ(l.Caption, c.Caption) << c.Layout;
  }
  EXPECT_EQ(ChooseEffectGlyph(4, true, true, true), 3);
  EXPECT_EQ(ChooseEffectGlyph(3, true, true, true), 2);  // no third glyph for pressed
  EXPECT_EQ(ChooseEffectGlyph(2, false, false, false), 2);  // disabled: the last glyph
  EXPECT_EQ(ChooseEffectGlyph(1, false, false, true), 1);
}

TEST(EffectPaint, FaceAndEffectsGoIntoABitmapThatIsCopiedAtTheEnd) {
  TTestHost host;
  auto* probe = new TProbeEffect(&host, Bounds(0, 0, 20, 20));
  probe->SetColor(clBlack);
  // Nothing reaches the target before the finished bitmap is copied.
  MemorySurface surface(30, 30, clBlue);
  probe->OnStep = [&] { EXPECT_EQ(CountAll(surface, clBlue), 900); };
  PaintInto(probe, surface);
  EXPECT_EQ(probe->Steps, (std::vector<std::string>{"face", "effects", "buffer freed"}));
  EXPECT_EQ(probe->BitmapSize, TSize(21, 21));  // one pixel larger than the control
  ExpectPixels(surface, {{19, 19, RGBColor(127, 127, 127)}, {5, 5, RGBColor(255, 127, 127)},
                         {25, 25, clBlue}});
}

// Erase messages of a window's own background (not the ones asking for it in a bitmap, which
// carry the DC in both parameters).
static int WindowErases(const control_tests::MessageLog& log) {
  return static_cast<int>(std::count_if(log.Messages.begin(), log.Messages.end(), [](const TMessage& m) {
    return m.Msg == WM_ERASEBKGND && m.WParam != static_cast<WPARAM>(m.LParam);
  }));
}

TEST(EffectPaint, TransparentRepaintsLeaveTheParentUnerased) {
  TTestHost host(100, 100, 200, 100);
  auto* probe = new TProbeEffect(&host, Bounds(10, 10, 40, 20));
  auto* plain = new TLogGraphic(&host, &host, Bounds(100, 10, 40, 20));
  host.ShowHost();
  probe->SetTransparent(true);
  const auto settle = [&] {  // nothing pending (the display may still be exposing the window)
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
  // The parent paints its background into the control's bitmap only (the bitmap's DC in
  // both parameters); its window is not erased.
  EXPECT_EQ(WindowErases(host.Log), 0);
  EXPECT_EQ(host.Log.Count(WM_ERASEBKGND), 1);
  settle();
  plain->Invalidate();  // an ordinary see-through control has the parent erased under it
  host.Update();
  EXPECT_EQ(WindowErases(host.Log), 1);
  probe->SetTransparent(false);
  EXPECT_TRUE(probe->GetControlStyle().Contains(csOpaque));
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
    Button->SetClickSound(CountingSound(ClickPlays));
    Button->SetActiveSound(CountingSound(HoverPlays));
    Button->SetOnClick([this](TObject*) { ++Clicks; });
    Host->ShowHost();
    ::SetCursorPos(0, 0);  // away from the host, so that leave messages find nothing there
  }
  void TearDown() override {
    ::ReleaseCapture();
    Host.reset();
  }
  // A disabled player (BeforePlay runs, nothing sounds) that counts its plays.
  TepWavePlayer* CountingSound(int& plays) {
    auto* player = new TepWavePlayer(Host.get());
    player->SetEnabled(false);
    player->SetBeforePlay([&plays](TObject*) { ++plays; });
    return player;
  }
  void Send(UINT msg, int x, int y, WPARAM keys = 0) {
    ::SendMessageW(Host->GetHandle(), msg, keys, control_tests::At(x, y));
  }
  void Move(int x, int y, WPARAM keys = 0) { Send(WM_MOUSEMOVE, x, y, keys); }
  void Press(int x, int y) { Send(WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
  void Release(int x, int y) { Send(WM_LBUTTONUP, x, y); }
  std::pair<int, int> ClicksAndSounds() const { return {Clicks, ClickPlays}; }

  std::unique_ptr<TTestHost> Host;
  TButtonGControl* Button = nullptr;
  int Clicks = 0, ClickPlays = 0, HoverPlays = 0;
};

}  // namespace

TEST_F(EffectButton, EnterPlaysTheHoverSoundOncePerEntryWhenEnabled) {
  Move(60, 60);
  EXPECT_TRUE(Button->GetMouseInside());
  Move(70, 65);  // moving inside plays nothing more
  EXPECT_EQ(HoverPlays, 1);
  Move(200, 150);
  EXPECT_FALSE(Button->GetMouseInside());
  Move(60, 60);
  EXPECT_EQ(HoverPlays, 2);
  Move(200, 150);
  Button->SetEnabled(false);  // a disabled button is never hot
  Move(60, 60);
  EXPECT_FALSE(Button->GetMouseInside());
  EXPECT_EQ(HoverPlays, 2);
  EXPECT_EQ(ClicksAndSounds(), std::make_pair(0, 0));
}

TEST_F(EffectButton, AReleaseClicksOnlyWhenThePressAndItBothLieOnTheButton) {
  Move(60, 60);
  Press(60, 60);
  EXPECT_TRUE(Button->GetPressed());
  String order;  // the click sound first, then OnMouseUp, then OnClick
  Button->SetOnMouseUp([&](TObject*, TMouseButton, TShiftState, int, int) {
    order += L"up " + std::to_wstring(ClickPlays) + L"," + std::to_wstring(Clicks) + L";";
  });
  Release(61, 61);
  EXPECT_EQ(order, L"up 1,0;");
  EXPECT_FALSE(Button->GetPressed());
  EXPECT_EQ(ClicksAndSounds(), std::make_pair(1, 1));
  Button->SetOnMouseUp(nullptr);
  Press(60, 60);  // leaving while pressed (the mouse still captured), released outside
  Move(200, 150, MK_LBUTTON);
  EXPECT_FALSE(Button->GetMouseInside());
  EXPECT_TRUE(Button->GetPressed());
  Release(200, 150);
  EXPECT_FALSE(Button->GetPressed());
  Move(50, 50);  // (0, 0) of the button is outside its hit test: a press there does not count
  Press(50, 50);
  EXPECT_FALSE(Button->GetPressed());
  Release(50, 50);
  EXPECT_EQ(ClicksAndSounds(), std::make_pair(1, 1));
  EXPECT_TRUE(Button->HitTest(1, 1));
  EXPECT_FALSE(Button->HitTest(80, 5));
  EXPECT_TRUE(Button->HitTest(79, 29));
}

TEST_F(EffectButton, APressThatStartedElsewhereDoesNotClickOnRelease) {
  Move(10, 10);
  Press(10, 10);  // on the host
  Move(60, 60, MK_LBUTTON);
  EXPECT_TRUE(Button->GetMouseInside());
  ::ReleaseCapture();  // so that the release reaches the button under the mouse
  Release(60, 60);
  EXPECT_FALSE(Button->GetPressed());
  EXPECT_EQ(ClicksAndSounds(), std::make_pair(0, 0));
  Move(61, 61);  // the button's own next press and release click as usual
  Press(61, 61);
  Release(61, 61);
  EXPECT_EQ(ClicksAndSounds(), std::make_pair(1, 1));
}

namespace {

// A windowed button with an elliptic window region, or none when not Round.
class TRoundProbe : public TButtonCControl {
  CLASSLIB_CLASS(TRoundProbe, TButtonCControl)
  explicit TRoundProbe(TComponent* owner) : TButtonCControl(owner) {}
  bool Round = true;
  using TButtonCControl::UpdateButtonRegion;

 protected:
  UniqueRegion CreateButtonRegion() override {
    return UniqueRegion(Round ? ::CreateEllipticRgn(1, 1, GetWidth(), GetHeight()) : nullptr);
  }
};

}  // namespace

TEST(EffectWindowedButton, TheWindowRegionFollowsTheSizeAndCanBeTakenAway) {
  TTestHost host(100, 100, 300, 200);
  auto* button = new TRoundProbe(&host);
  button->SetBounds(10, 10, 60, 40);
  button->SetParent(&host);
  host.ShowHost();
  const HWND wnd = button->GetHandle();
  EXPECT_EQ(RegionBox(wnd), TRect(1, 1, 59, 39));  // without its last row and column
  button->SetBounds(10, 10, 80, 50);
  EXPECT_EQ(RegionBox(wnd), TRect(1, 1, 79, 49));
  button->Round = false;
  button->UpdateButtonRegion();
  EXPECT_EQ(RegionBox(wnd), TRect());
  auto* plain = new TButtonCControl(&host);  // a rectangular button gets no region
  plain->SetParent(&host);
  EXPECT_EQ(RegionBox(plain->GetHandle()), TRect());
}

TEST(EffectBaseLayouts, ButtonsReadTheirPropertiesAndSoundReferences) {
  TTestHost host;
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object Go: TButtonGControl\n    Caption = '开始'\n    Transparent = True\n"
             L"    ClickSound = Ding\n    Layout = blGlyphTop\n  end\n"
             L"  object Ding: TepWavePlayer\n  end\n"
             L"end\n");
  auto* go = dynamic_cast<TButtonGControl*>(host.FindComponent(L"Go"));
  auto* ding = dynamic_cast<TepWavePlayer*>(host.FindComponent(L"Ding"));
  ASSERT_TRUE(go && ding);
  EXPECT_FALSE(go->GetControlStyle().Contains(csOpaque));
  EXPECT_EQ(go->GetClickSound(), ding);  // a reference to a component read after it
  const String text = ComponentToText(&host);
  EXPECT_NE(text.find(L"ClickSound = Ding"), String::npos);
  EXPECT_NE(text.find(L"Layout = blGlyphTop"), String::npos);
  EXPECT_EQ(text.find(L"Spacing"), String::npos);  // 0 is the default
  delete ding;  // the buttons let go of a sound that goes
  EXPECT_EQ(go->GetClickSound(), nullptr);
}
