// The speed button: glyph cells and the shared cache, groups and clicks by real mouse
// messages, the repeat timing, and the greyed and inactive glyphs on a memory surface.
#include <gtest/gtest.h>

#include <vector>

#include "ExtendedTestSupport.h"
#include "classlib/controls/ControlTestSupport.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/Streams.h"
#include "classlib/controls/ActnList.h"
#include "classlib/controls/Menus.h"
#include "controls/extended/RXSpeedButton.h"

using control_tests::TTestHost;
using extended_tests::PaintInto;

namespace {

// A strip of cells cells, each a square of size in colour on the transparent fuchsia.
void MakeStrip(TBitmap& strip, int cells, int size, TColor colour) {
  strip.SetSize(cells * size, size);
  TCanvas* c = strip.GetCanvas();
  c->GetBrush()->SetColor(clFuchsia);
  c->FillRect(Rect(0, 0, cells * size, size));
  c->GetBrush()->SetColor(colour);
  for (int i = 0; i < cells; ++i) c->FillRect(Rect(i * size + 4, 4, i * size + size - 4, size - 4));
}

TColor Rgb(int r, int g, int b) { return ColorFromInt(static_cast<int32_t>(RGB(r, g, b))); }

// A panel that paints a red square at (20, 20), 20 x 20, over its colour.
class TPaintingPanel : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    GetCanvas()->GetBrush()->SetColor(clRed);
    GetCanvas()->FillRect(Rect(20, 20, 40, 40));
  }
};

TRxSpeedButton* PlaceButton(TTestHost& host, int width, int height) {
  auto* button = new TRxSpeedButton(&host);
  button->SetParent(&host);
  button->SetBounds(0, 0, width, height);
  return button;
}

}  // namespace

TEST(RxSpeedButton, GlyphCellsCountByTheStripsShape) {
  TRxButtonGlyph glyph;
  TBitmap strip;
  MakeStrip(strip, 4, 16, clBlack);
  glyph.SetGlyph(&strip);
  EXPECT_EQ(glyph.GetNumGlyphs(), 4);
  MakeStrip(strip, 6, 16, clBlack);  // more than five cells: one picture
  glyph.SetGlyph(&strip);
  EXPECT_EQ(glyph.GetNumGlyphs(), 1);
  glyph.SetNumGlyphs(3);
  TBitmap flat;
  flat.SetSize(30, 0);  // no height: the count stays
  glyph.SetGlyph(&flat);
  EXPECT_EQ(glyph.GetNumGlyphs(), 3);
  EXPECT_EQ(glyph.CreateButtonGlyph(bsUp), -1);
}

TEST(RxSpeedButton, TheLastButtonFreesTheGlyphCache) {
  ASSERT_EQ(RxSpeedButtonCount(), 0);
  TTestHost host;
  TBitmap strip;
  MakeStrip(strip, 1, 16, clBlack);
  auto* a = new TRxSpeedButton(&host);
  auto* b = new TRxSpeedButton(&host);
  a->SetGlyph(&strip);
  b->SetGlyph(&strip);
  ASSERT_NE(GlyphCache(), nullptr);
  EXPECT_GE(a->GetButtonGlyph()->CreateButtonGlyph(bsUp), 0);
  EXPECT_GE(b->GetButtonGlyph()->CreateButtonGlyph(bsUp), 0);
  EXPECT_EQ(GlyphCache()->ListCount(), 1) << "one list for one size";
  EXPECT_EQ(a->GetButtonGlyph()->GetGlyphList(), b->GetButtonGlyph()->GetGlyphList());
  EXPECT_EQ(a->GetButtonGlyph()->GetGlyphList()->GetUsedCount(), 2);
  delete a;
  ASSERT_NE(GlyphCache(), nullptr);
  EXPECT_EQ(b->GetButtonGlyph()->GetGlyphList()->GetUsedCount(), 1);
  delete b;
  EXPECT_EQ(GlyphCache(), nullptr);
  EXPECT_EQ(RxSpeedButtonCount(), 0);
}

TEST(RxSpeedButton, DisabledAndInactiveGlyphsOnAMemorySurface) {
  TTestHost host;
  auto* button = PlaceButton(host, 30, 30);
  TBitmap strip;
  MakeStrip(strip, 1, 16, clBlack);
  button->SetGlyph(&strip);
  MemorySurface surface(30, 30);
  PaintInto(button, surface);
  EXPECT_EQ(surface.At(15, 15), clBlack) << "the glyph, centred";
  EXPECT_EQ(surface.CountOf(clFuchsia, Rect(0, 0, 30, 30)), 0) << "fuchsia is transparent";
  button->SetEnabled(false);
  PaintInto(button, surface);
  const TColor shadow = ColorFromInt(static_cast<int32_t>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(surface.CountOf(clBlack, Rect(2, 2, 28, 28)), 0);
  EXPECT_EQ(surface.At(15, 15), shadow) << "greyed";
  // A flat button without the mouse shows its glyph in grey levels.
  MakeStrip(strip, 1, 16, clRed);
  button->SetGlyph(&strip);
  button->SetEnabled(true);
  button->SetFlat(true);
  PaintInto(button, surface);
  EXPECT_EQ(surface.At(15, 15), Rgb(76, 76, 76)) << "255 x 77 / 256";
  // Held down in its group it stays inactive, inside the pressed frame on the checkerboard.
  button->SetGroupIndex(1);
  button->SetDown(true);
  PaintInto(button, surface);
  EXPECT_EQ(surface.At(16, 16), Rgb(76, 76, 76)) << "the inactive glyph, moved by the press";
  const TColor light = ColorFromInt(static_cast<int32_t>(ColorToRGB(clBtnHighlight)));
  EXPECT_GT(surface.CountOf(light, Rect(2, 2, 8, 8)), 10) << "the held-down checkerboard";
  button->SetAllowAllUp(true);
  button->SetDown(false);
  button->SetGrayedInactive(false);
  PaintInto(button, surface);
  EXPECT_EQ(surface.At(15, 15), clRed);
}

class SpeedButtonWindowTest : public edit_tests::EditFormTest {
 protected:
  TRxSpeedButton* AddButton(int left, int group) {
    auto* button = new TRxSpeedButton(Form);
    button->SetParent(Form);
    button->SetBounds(left, 10, 40, 25);
    button->SetGroupIndex(group);
    button->SetCaption(L"B" + IntToStr(left));
    button->SetOnClick([this](TObject* sender) {
      Clicks.push_back(::GetTickCount());
      Form->Clicked(sender);
    });
    return button;
  }
  void Press(int x, int y) {
    ::PostMessageW(Form->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    stdctrl_tests::Pump();
  }
  void Release(int x, int y) {
    ::PostMessageW(Form->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    stdctrl_tests::Pump();
  }
  std::vector<DWORD> Clicks;
};

TEST_F(SpeedButtonWindowTest, GroupsKeepOneButtonDown) {
  TRxSpeedButton* a = AddButton(10, 1);
  TRxSpeedButton* b = AddButton(60, 1);
  ShowForm();
  Press(20, 20);
  EXPECT_EQ(a->GetState(), bsDown);
  Release(20, 20);
  EXPECT_TRUE(a->GetDown());
  EXPECT_EQ(Form->Count(L"Click", a), 1);
  Press(70, 20);
  Release(70, 20);
  EXPECT_TRUE(b->GetDown());
  EXPECT_FALSE(a->GetDown()) << "pressing one releases the other";
  Press(70, 20);
  Release(70, 20);
  EXPECT_TRUE(b->GetDown()) << "without AllowAllUp the down button stays down";
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->GetAllowAllUp()) << "the group shares the rule";
  Press(70, 20);
  Release(70, 20);
  EXPECT_FALSE(b->GetDown());
  extended_tests::SaveScreenshot(Form->GetHandle(), "speedbuttons");
}

TEST_F(SpeedButtonWindowTest, ReleasingOutsideDoesNotClick) {
  TRxSpeedButton* a = AddButton(10, 0);
  ShowForm();
  Press(20, 20);
  ::PostMessageW(Form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 200));
  stdctrl_tests::Pump();
  EXPECT_EQ(a->GetState(), bsUp);
  Release(200, 200);
  EXPECT_EQ(Form->Count(L"Click", a), 0);
  Press(20, 20);
  Release(20, 20);
  EXPECT_EQ(Form->Count(L"Click", a), 1);
  // A second press already queued on the button when the first is taken is dropped.
  int presses = 0;
  a->SetOnMouseDown([&presses](TObject*, TMouseButton, TShiftState, int, int) { ++presses; });
  POINT at{20, 20};
  ::ClientToScreen(Form->GetHandle(), &at);
  ::SetCursorPos(at.x, at.y);
  ::PostMessageW(Form->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  ::PostMessageW(Form->GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
  Release(20, 20);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(Form->Count(L"Click", a), 2);
}

TEST_F(SpeedButtonWindowTest, HoldingRepeatsAfterTheInitialPauseThenEveryInterval) {
  TRxSpeedButton* a = AddButton(10, 0);
  a->SetAllowTimer(true);
  ShowForm();
  const DWORD start = ::GetTickCount();
  Press(20, 20);
  ASSERT_NE(a->GetRepeatTimer(), nullptr);
  EXPECT_EQ(a->GetRepeatTimer()->GetInterval(), 500u);
  stdctrl_tests::PumpUntil([&] { return Clicks.size() >= 4; }, 3000);
  Release(20, 20);
  ASSERT_GE(Clicks.size(), 4u);
  EXPECT_GE(Clicks[0] - start, 450u) << "the first repeat waits for the initial pause";
  EXPECT_LE(Clicks[0] - start, 900u);
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_GE(Clicks[i] - Clicks[i - 1], 70u);
    EXPECT_LE(Clicks[i] - Clicks[i - 1], 300u);
  }
  EXPECT_EQ(a->GetRepeatTimer()->GetInterval(), 100u);
  EXPECT_FALSE(a->GetRepeatTimer()->GetEnabled()) << "the release stops the timer";
  const size_t afterRelease = Clicks.size();
  stdctrl_tests::PumpUntil([] { return false; }, 300);
  EXPECT_EQ(Clicks.size(), afterRelease);
  a->SetAllowTimer(false);
  EXPECT_EQ(a->GetRepeatTimer(), nullptr);
}

TEST(RxSpeedButton, ATransparentButtonShowsItsParentUnderneath) {
  TTestHost host;
  host.SetColor(clGreen);
  PlaceButton(host, 10, 30);  // a sibling below, partly covered
  auto* button = PlaceButton(host, 30, 30);
  button->SetFlat(true);
  button->SetTransparent(true);
  host.ShowHost();
  MemorySurface surface(30, 30, clBlack);
  PaintInto(button, surface);
  EXPECT_EQ(surface.At(25, 25), clGreen) << "the parent's colour";
  const TColor face = ColorFromInt(static_cast<int32_t>(ColorToRGB(clBtnFace)));
  EXPECT_EQ(surface.At(5, 15), face) << "the sibling below shows too";
  button->SetTransparent(false);
  PaintInto(button, surface);
  EXPECT_EQ(surface.At(25, 25), face);

  // Over a panel that paints itself, the panel's own painting shows, not only its colour.
  auto* panel = new TPaintingPanel(&host);
  panel->SetParent(&host);
  panel->SetBounds(40, 0, 60, 60);
  panel->SetColor(clGreen);
  auto* over = new TRxSpeedButton(&host);
  over->SetParent(panel);
  over->SetBounds(10, 10, 30, 30);
  over->SetFlat(true);
  over->SetTransparent(true);
  MemorySurface painted(30, 30, clBlack);
  PaintInto(over, painted);
  EXPECT_EQ(painted.At(2, 2), clGreen);
  EXPECT_EQ(painted.At(15, 15), clRed) << "the panel's own painting";
}

TEST(RxSpeedButton, AnActionGivesItsCheckStateAndImage) {
  TTestHost host;
  auto* images = new TCustomImageList(&host);
  images->SetWidth(12);
  images->SetHeight(12);
  TBitmap picture;
  MakeStrip(picture, 1, 12, clBlue);
  images->AddMasked(&picture, clFuchsia);
  TBitmap second;
  MakeStrip(second, 1, 12, clLime);
  images->AddMasked(&second, clFuchsia);
  auto* list = new TActionList(&host);
  list->SetImages(images);
  auto* action = new TAction(&host);
  action->SetActionList(list);
  action->SetImageIndex(0);
  action->SetChecked(true);
  action->SetCaption(L"Go");
  auto* button = new TRxSpeedButton(&host);
  button->SetParent(&host);
  button->SetGroupIndex(1);
  button->SetAction(action);
  EXPECT_TRUE(button->GetDown());
  EXPECT_EQ(button->GetCaption(), L"Go");
  ASSERT_EQ(button->GetGlyph()->GetWidth(), 12);
  EXPECT_EQ(button->GetGlyph()->GetCanvas()->GetPixels(6, 6), clBlue);
  EXPECT_EQ(button->GetGlyph()->GetCanvas()->GetPixels(0, 0), clFuchsia);
  action->SetImageIndex(1);  // a later image replaces the action's own
  EXPECT_EQ(button->GetGlyph()->GetCanvas()->GetPixels(6, 6), clLime);

  // Later changes of the check follow: another action of the group checked takes its
  // button down and this one up; an unlinked button no longer follows.
  auto* other = new TAction(&host);
  other->SetActionList(list);
  action->SetGroupIndex(1);
  other->SetGroupIndex(1);
  auto* otherButton = new TRxSpeedButton(&host);
  otherButton->SetParent(&host);
  otherButton->SetGroupIndex(1);
  otherButton->SetAction(other);
  host.ShowHost();  // a group is released through its parent's window
  EXPECT_FALSE(otherButton->GetDown());
  other->SetChecked(true);
  EXPECT_TRUE(otherButton->GetDown());
  EXPECT_FALSE(button->GetDown());
  EXPECT_FALSE(action->GetChecked());
  action->SetChecked(true);
  EXPECT_TRUE(button->GetDown());
  EXPECT_FALSE(otherButton->GetDown());
  otherButton->SetAction(nullptr);
  other->SetChecked(true);
  EXPECT_FALSE(otherButton->GetDown()) << "unlinked";
  delete other;
  delete action;
  EXPECT_TRUE(button->GetDown()) << "a freed action leaves the button as it was";
}

TEST(RxSpeedButton, ThePaletteIsTheGlyphs) {
  TTestHost host;
  auto* button = PlaceButton(host, 30, 30);
  EXPECT_EQ(button->GetPalette(), nullptr) << "no glyph";
  TBitmap glyph;  // a 16-colour picture with its colour table
  glyph.LoadFromResourceName(::GetModuleHandleW(nullptr), L"SWITCH_ON");
  button->SetGlyph(&glyph);
  ASSERT_NE(button->GetPalette(), nullptr);
  EXPECT_EQ(button->GetPalette(), button->GetGlyph()->GetPalette());
  PALETTEENTRY entries[16]{};
  EXPECT_EQ(::GetPaletteEntries(button->GetPalette(), 0, 16, entries), 16u);
}

TEST(RxSpeedButton, ALayoutAndTheTimerButtonsOwnDefaults) {
  TTestHost host;
  const String text =
      L"object Host: TTestHost\n"
      L"  object Button1: TRxSpeedButton\n"
      L"    Caption = 'Go'\n    Flat = True\n    GroupIndex = 2\n    Down = True\n"
      L"    AllowTimer = True\n    InitPause = 300\n    RepeatInterval = 50\n"
      L"    Layout = blGlyphLeft\n    Spacing = 4\n    MenuPosition = dmpRight\n"
      L"    Style = bsNew\n    ModalResult = 1\n  end\n"
      L"  object Button2: TRxTimerSpeedButton\n  end\n"
      L"end\n";
  TStringStream stream(text);
  ReadComponentFromStream(stream, &host);
  auto* a = dynamic_cast<TRxSpeedButton*>(host.FindComponent(L"Button1"));
  auto* b = dynamic_cast<TRxTimerSpeedButton*>(host.FindComponent(L"Button2"));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(a->GetDown()) << "down in its group";
  EXPECT_EQ(a->GetMenuPosition(), dmpRight);
  EXPECT_TRUE(b->GetAllowTimer());
  EXPECT_EQ(b->GetStyle(), bsWin31);
  const String written = ComponentToText(&host);
  EXPECT_NE(written.find(L"InitPause = 300"), String::npos);
  EXPECT_EQ(written.find(L"Spacing = 1"), String::npos);
  const size_t second = written.find(L"Button2");
  EXPECT_EQ(written.find(L"AllowTimer", second), String::npos) << "the timer button's default";
  EXPECT_EQ(written.find(L"Style", second), String::npos);
}

TEST(RxSpeedButton, ButtonClickAndTheDropDownMark) {
  TTestHost host;
  auto* button = PlaceButton(host, 40, 25);
  button->SetCaption(L"");
  int clicks = 0;
  button->SetOnClick([&](TObject*) { ++clicks; });
  button->ButtonClick();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(button->GetState(), bsUp);
  button->SetGroupIndex(3);
  button->ButtonClick();
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(button->GetDown()) << "in a group it toggles";
  button->SetAllowAllUp(true);
  button->SetDown(false);
  button->SetGroupIndex(0);
  // With a drop-down menu the mark is drawn: a triangle in the button text colour.
  auto* menu = new TPopupMenu(&host);
  button->SetDropDownMenu(menu);
  MemorySurface surface(40, 25, clWhite);
  PaintInto(button, surface);
  const TColor text = ColorFromInt(static_cast<int32_t>(ColorToRGB(clBtnText)));
  EXPECT_EQ(surface.CountOf(text, Rect(0, 0, 40, 25)), 7 + 5 + 3 + 1);
  button->SetMarkDropDown(false);
  PaintInto(button, surface);
  EXPECT_EQ(surface.CountOf(text, Rect(2, 2, 38, 23)), 0);
  button->ButtonClick();
  EXPECT_EQ(clicks, 2) << "a button with an automatic drop-down menu is not clicked in code";
  delete menu;
  EXPECT_EQ(button->GetDropDownMenu(), nullptr);
}
