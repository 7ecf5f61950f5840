// The flat-style controls: the advanced-colour rule against hand-worked HSL values, the
// embossed glyph and the button layout; flat buttons, edit, combo box and splitter as real
// windows on a form driven by real messages.
#include <gtest/gtest.h>

#include "EffectControlsTestSupport.h"
#include "controls/effects/FlatButtons.h"
#include "controls/effects/FlatComboBox.h"
#include "controls/effects/FlatEdit.h"
#include "controls/effects/FlatSplitter.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/StringList.h"
#include "classlib/stdctrls/StdPanels.h"
#include "tests/KeyInput.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"

using button_tests::Pump;
using button_tests::Rgb;

namespace {

// The colour the screen shows at a point of a window (its non-client area included).
TColor ScreenPixel(HWND wnd, int x, int y) {
  RECT r{};
  ::GetWindowRect(wnd, &r);
  const HDC screen = ::GetDC(nullptr);
  const COLORREF c = ::GetPixel(screen, r.left + x, r.top + y);
  ::ReleaseDC(nullptr, screen);
  return ColorFromInt(static_cast<int32_t>(c));
}

// The colour a window has drawn at a point of its client area, read from its own DC.
TColor WindowPixel(HWND wnd, int x, int y) {
  const HDC dc = ::GetDC(wnd);
  const COLORREF c = ::GetPixel(dc, x, y);
  ::ReleaseDC(wnd, dc);
  return ColorFromInt(static_cast<int32_t>(c));
}

}  // namespace

// ---- The shared rules ---------------------------------------------------------------------------------

TEST(FlatColours, AdvancedColoursShiftTheParentsLightnessOnTheRangeScale) {
  // $E1EAEB (R 235, G 234, B 225): H 0.15 → 36, S 0.2 → 48, L 0.902 → 216 of 240.
  // Darken 50: L 216 + 10 - 50 = 176; m2 = 0.7867, m1 = 0.68 → R 201, G 198, B 173.
  EXPECT_EQ(CalcAdvancedColor(ColorFromInt(0xE1EAEB), clRed, 50, darken), RGBColor(201, 198, 173));
  EXPECT_EQ(CalcAdvancedColor(ColorFromInt(0xE1EAEB), clRed, 0, darken), clRed);  // 0: unchanged
  // A near-white parent lightened: L 226 + 10 + 10 held at 100 of 240, a mid grey (106.25).
  EXPECT_EQ(CalcAdvancedColor(RGBColor(240, 240, 240), clRed, 10, lighten),
            RGBColor(106, 106, 106));
  // L 19 + 10 - 50 below 0: black at that hue.
  EXPECT_EQ(CalcAdvancedColor(RGBColor(40, 0, 0), clRed, 50, darken), clBlack);
  // A system colour is resolved first.
  EXPECT_EQ(CalcAdvancedColor(clBtnFace, clRed, 30, darken),
            CalcAdvancedColor(Rgb(clBtnFace), clRed, 30, darken));
}

TEST(FlatColours, TheDisabledGlyphIsEmbossedFromTheOutlinePixels) {
  TBitmap glyph;
  glyph.SetSize(4, 4);
  glyph.GetCanvas()->GetBrush()->SetColor(clWhite);
  glyph.GetCanvas()->FillRect(Rect(0, 0, 4, 4));
  glyph.GetCanvas()->SetPixels(1, 1, clBlack);
  const auto embossed = CreateDisabledBitmap(&glyph, clBlack, clSilver, clYellow, clNavy, true);
  ASSERT_EQ(embossed->GetWidth(), 4);
  EXPECT_EQ(embossed->GetCanvas()->GetPixels(1, 1), clNavy);    // shadow on the pixel
  EXPECT_EQ(embossed->GetCanvas()->GetPixels(2, 2), clYellow);  // highlight moved by (1, 1)
  EXPECT_EQ(embossed->GetCanvas()->GetPixels(0, 0), clSilver);
  const auto flat = CreateDisabledBitmap(&glyph, clBlack, clSilver, clYellow, clNavy, false);
  EXPECT_EQ(flat->GetCanvas()->GetPixels(2, 2), clSilver);
  TBitmap empty;
  EXPECT_TRUE(CreateDisabledBitmap(&empty, clBlack, clSilver, clYellow, clNavy, true)->GetEmpty());
}

TEST(FlatLayout, GlyphAndCaptionShareTheRoomAsAsked) {
  MemorySurface surface(10, 10);
  TBitmap glyph;
  glyph.SetSize(32, 16);  // two glyphs of 16 × 16
  // Glyph alone on the left of 40 × 40: no caption, so no spacing; centred, (40 - 16 + 1) div 2.
  TFlatButtonLayout l = CalcFlatButtonLayout(&surface.Canvas, Rect(0, 0, 40, 40), Point(0, 0),
                                             L"", blGlyphLeft, -1, -1, &glyph, 2);
  EXPECT_EQ(l.GlyphPos, Point(12, 12));
  // Pressed: moved by (1, 1), and by the client's origin.
  l = CalcFlatButtonLayout(&surface.Canvas, Rect(2, 3, 42, 43), Point(1, 1), L"", blGlyphLeft,
                           -1, -1, &glyph, 2);
  EXPECT_EQ(l.GlyphPos, Point(15, 16));
  // Glyph and caption with margin and spacing shared out: a third of the room left each.
  const int gw = surface.Canvas.TextWidth(L"Go");
  const int third = (100 - 16 - gw) / 3;
  l = CalcFlatButtonLayout(&surface.Canvas, Rect(0, 0, 100, 30), Point(0, 0), L"Go", blGlyphLeft,
                           -1, -1, &glyph, 2);
  EXPECT_EQ(l.GlyphPos.X, third);
  EXPECT_EQ(l.TextBounds.Left, third + 16 + third);
  // A caption alone on top with margin -1: centred both ways, spacing dropped.
  const int th = surface.Canvas.TextHeight(L"Go"), tw = surface.Canvas.TextWidth(L"Go");
  l = CalcFlatButtonLayout(&surface.Canvas, Rect(0, 0, 60, 30), Point(0, 0), L"Go", blGlyphTop,
                           -1, 4, nullptr, 1);
  EXPECT_EQ(l.TextBounds, Bounds((60 - tw + 1) / 2, (30 - th + 1) / 2, tw, th));
  EXPECT_EQ(ChooseFlatGlyph(1, bsDisabled), 1);
  EXPECT_EQ(ChooseFlatGlyph(2, bsDisabled), 2);
  EXPECT_EQ(ChooseFlatGlyph(3, bsExclusive), 3);
  EXPECT_EQ(ChooseFlatGlyph(4, bsExclusive), 4);
  EXPECT_EQ(ChooseFlatGlyph(4, bsDown), 3);
  EXPECT_EQ(FlatDropDownHeight(8, 3, 14), 46);
  EXPECT_EQ(FlatDropDownHeight(8, 0, 14), 10);  // an empty list opens 10 pixels tall
  EXPECT_EQ(FlatDropDownHeight(2, 9, 14), 32);
}

// ---- Buttons ----------------------------------------------------------------------------------------------

namespace {

class FlatForm : public button_tests::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ReadLayout(L"object Form1: TButtonsForm\n"
               L"  Color = clWhite\n"
               L"  object Prev: TFlatSpeedButton\n    Left = 8\n    Top = 8\n    Width = 70\n"
               L"    Caption = '<-上一组'\n    GroupIndex = 1\n    OnClick = ControlClick\n  end\n"
               L"  object Next: TFlatSpeedButton\n    Left = 90\n    Top = 8\n    Width = 70\n"
               L"    Caption = '下一组->'\n    GroupIndex = 1\n    OnClick = ControlClick\n  end\n"
               L"  object Practise: TFlatButton\n    Left = 170\n    Top = 8\n    Width = 70\n"
               L"    Caption = '练习(&P)'\n    ModalResult = 1\n    OnClick = ControlClick\n  end\n"
               L"  object Answer: TFlatEdit\n    Left = 8\n    Top = 50\n  end\n"
               L"  object Other: TFlatEdit\n    Left = 150\n    Top = 50\n  end\n"
               L"  object Tunes: TFlatComboBox\n    Left = 8\n    Top = 90\n    Width = 120\n"
               L"    Style = csDropDownList\n    Color = clWindow\n    ItemHeight = 14\n"
               L"    Items.Strings = (\n      '乐曲01'\n      '乐曲02'\n      '乐曲03')\n  end\n"
               L"end\n");
    Prev = Find<TFlatSpeedButton>(L"Prev");
    Next = Find<TFlatSpeedButton>(L"Next");
    Practise = Find<TFlatButton>(L"Practise");
    Answer = Find<TFlatEdit>(L"Answer");
    Other = Find<TFlatEdit>(L"Other");
    Tunes = Find<TFlatComboBox>(L"Tunes");
    ShowForm();
  }
  void MoveTo(TControl* control, int dx = 5, int dy = 5) {
    const TPoint p = control->ClientToScreen(Point(dx, dy));
    ::SetCursorPos(p.X, p.Y);
    const TPoint onForm = Form->ScreenToClient(p);
    ::SendMessageW(Form->GetHandle(), WM_MOUSEMOVE, 0, button_tests::At(onForm.X, onForm.Y));
  }

  TFlatSpeedButton* Prev = nullptr;
  TFlatSpeedButton* Next = nullptr;
  TFlatButton* Practise = nullptr;
  TFlatEdit* Answer = nullptr;
  TFlatEdit* Other = nullptr;
  TFlatComboBox* Tunes = nullptr;
};

}  // namespace

TEST_F(FlatForm, GroupedButtonsKeepOneDownAndUngroupedOnesStayUp) {
  ASSERT_TRUE(Prev && Next && Practise);
  button_tests::ClickControl(Prev);
  EXPECT_TRUE(Prev->GetDown());
  EXPECT_EQ(Prev->GetState(), bsExclusive);
  button_tests::ClickControl(Prev);  // AllowAllUp is False: it stays down
  EXPECT_TRUE(Prev->GetDown());
  button_tests::ClickControl(Next);
  EXPECT_TRUE(Next->GetDown());
  EXPECT_FALSE(Prev->GetDown());
  EXPECT_EQ(Form->ClicksOf(Prev), 2);
  Practise->SetDown(true);  // no group: cannot be down
  EXPECT_FALSE(Practise->GetDown());
  // Pressed, dragged out and released: no click, and up again.
  ::PostMessageW(Practise->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, button_tests::At(5, 5));
  Pump();
  EXPECT_EQ(Practise->GetState(), bsDown);
  ::PostMessageW(Practise->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, button_tests::At(300, 5));
  Pump();
  EXPECT_EQ(Practise->GetState(), bsUp);
  ::PostMessageW(Practise->GetHandle(), WM_LBUTTONUP, 0, button_tests::At(300, 5));
  Pump();
  EXPECT_EQ(Form->ClicksOf(Practise), 0);
  button_tests::PressAltChar(L'p');  // the accelerator clicks, and gives the modal result
  EXPECT_EQ(Form->ClicksOf(Practise), 1);
  EXPECT_EQ(Form->GetModalResult(), 1);
  // A windowed button in the speed buttons' group: the down state moves across the classes.
  Practise->SetGroupIndex(1);
  button_tests::ClickControl(Practise);
  EXPECT_TRUE(Practise->GetDown());
  EXPECT_FALSE(Next->GetDown());
  button_tests::ClickControl(Prev);
  EXPECT_TRUE(Prev->GetDown());
  EXPECT_FALSE(Practise->GetDown());
}

// A double click as the system delivers it: press, release, double-click press, release.
static void DoubleClickAt(HWND wnd, int x, int y) {
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, button_tests::At(x, y));
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, button_tests::At(x, y));
  ::PostMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, button_tests::At(x, y));
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, button_tests::At(x, y));
  Pump();
}

TEST_F(FlatForm, ADoubleClickOnADownButtonRaisesOnDblClick) {
  ASSERT_TRUE(Prev && Next && Practise);
  std::map<TObject*, int> doubles;
  for (TControl* c : std::initializer_list<TControl*>{Prev, Next, Practise})
    c->SetOnDblClick([&doubles](TObject* sender) { ++doubles[sender]; });
  // Prev is up: its first click puts it down, so the double click lands on a down button.
  DoubleClickAt(Form->GetHandle(), Prev->GetLeft() + 5, Prev->GetTop() + 5);
  EXPECT_TRUE(Prev->GetDown());
  EXPECT_EQ(doubles[Prev], 1);
  EXPECT_EQ(Form->ClicksOf(Prev), 2) << "each release inside is still a click";
  // An ungrouped button is never down: its double click raises nothing.
  DoubleClickAt(Practise->GetHandle(), 5, 5);
  EXPECT_EQ(doubles[Practise], 0);
  EXPECT_EQ(Form->ClicksOf(Practise), 2);
  Next->SetDown(true);
  DoubleClickAt(Form->GetHandle(), Next->GetLeft() + 5, Next->GetTop() + 5);
  EXPECT_EQ(doubles[Next], 1);
  EXPECT_FALSE(Prev->GetDown());
  EXPECT_EQ(doubles[Prev], 1);
}

TEST_F(FlatForm, AGlyphStripTellsItsCountUnlessItHasNoHeight) {
  TBitmap strip;
  strip.SetSize(64, 16);
  Prev->SetGlyph(&strip);
  EXPECT_EQ(Prev->GetNumGlyphs(), 4);
  strip.SetSize(80, 16);  // 5 would be above 4
  Prev->SetGlyph(&strip);
  EXPECT_EQ(Prev->GetNumGlyphs(), 1);
  Prev->SetNumGlyphs(2);
  strip.SetSize(80, 0);
  Prev->SetGlyph(&strip);
  EXPECT_EQ(Prev->GetNumGlyphs(), 2);
}

TEST_F(FlatForm, HoverTrackingStopsWhenTheTrackedButtonIsFreed) {
  MoveTo(Prev);
  if (!Application->GetActive()) GTEST_SKIP() << "the test's window is not active";
  EXPECT_TRUE(Prev->GetMouseInControl());
  EXPECT_EQ(TFlatSpeedButton::TrackedButton(), Prev);
  EXPECT_TRUE(TFlatSpeedButton::TrackTimerRunning());
  MoveTo(Next);  // the tracked button moves on
  EXPECT_FALSE(Prev->GetMouseInControl());
  EXPECT_EQ(TFlatSpeedButton::TrackedButton(), Next);
  delete Next;
  Next = nullptr;
  EXPECT_EQ(TFlatSpeedButton::TrackedButton(), nullptr);
  EXPECT_FALSE(TFlatSpeedButton::TrackTimerRunning());
  ::Sleep(150);  // a tick after the free finds nothing to touch
  Pump();
}

TEST_F(FlatForm, UseAdvColorsDerivesTheButtonColoursFromTheParent) {
  Practise->SetUseAdvColors(true);
  EXPECT_EQ(Practise->GetColor(), clWhite);  // follows the parent again
  EXPECT_EQ(Practise->GetColorBorder(), CalcAdvancedColor(clWhite, clRed, 50, darken));
  EXPECT_EQ(Practise->GetColorFocused(), CalcAdvancedColor(clWhite, clRed, 10, lighten));
  Form->SetColor(RGBColor(40, 60, 200));
  EXPECT_EQ(Practise->GetColorDown(), CalcAdvancedColor(RGBColor(40, 60, 200), clRed, 10, darken));
  Practise->SetAdvColorBorder(250);
  EXPECT_EQ(Practise->GetAdvColorBorder(), 100);
}

TEST(FlatButtonFace, FrameAndFillFollowTheStateAndADisabledGlyphIsEmbossed) {
  control_tests::TTestHost host;
  host.SetColor(clWhite);
  auto* button = new TFlatSpeedButton(&host);
  button->SetParent(&host);
  button->SetBounds(0, 0, 40, 30);
  MemorySurface surface(40, 30, clBlue);
  effect_tests::PaintInto(button, surface);
  effect_tests::ExpectPixels(surface, {{0, 0, ColorFromInt(0x8396A0)}, {39, 29, ColorFromInt(0x8396A0)},
                                       {5, 5, clWhite}});  // flat border, the parent's colour
  button->SetGroupIndex(1);
  button->SetDown(true);  // down in its group: sunken, ColorDown
  effect_tests::PaintInto(button, surface);
  effect_tests::ExpectPixels(surface, {{0, 0, clBlack}, {39, 29, clWhite},
                                       {5, 5, ColorFromInt(0xC5D6D9)}});
  TBitmap glyph;  // one 16 × 16 glyph: a black square on white
  glyph.SetSize(16, 16);
  glyph.GetCanvas()->GetBrush()->SetColor(clWhite);
  glyph.GetCanvas()->FillRect(Rect(0, 0, 16, 16));
  glyph.GetCanvas()->GetBrush()->SetColor(clBlack);
  glyph.GetCanvas()->FillRect(Rect(4, 4, 12, 12));
  button->SetGlyph(&glyph);
  button->SetEnabled(false);
  effect_tests::PaintInto(button, surface);
  EXPECT_EQ(button->GetState(), bsDisabled);
  EXPECT_EQ(surface.At(0, 0), ColorFromInt(0x8396A0));  // flat again
  EXPECT_GT(effect_tests::CountAll(surface, Rgb(clBtnShadow)), 40);  // the embossed square
  EXPECT_EQ(effect_tests::CountAll(surface, clBlack), 0);
}

// ---- Edit ---------------------------------------------------------------------------------------------------

TEST_F(FlatForm, TheEditDrawsItsFlatBorderAndTakesTheFocusedLook) {
  ASSERT_TRUE(Answer && Other);
  Answer->GetFont()->SetSize(9);
  const int h9 = FontTextHeight(Answer->GetFont()) + 6;
  EXPECT_EQ(Answer->GetHeight(), h9);
  Answer->GetFont()->SetSize(12);
  EXPECT_EQ(Answer->GetHeight(), FontTextHeight(Answer->GetFont()) + 6);
  EXPECT_GT(Answer->GetHeight(), h9);
  EXPECT_EQ(Answer->GetColorFlat(), clWhite);  // the parent's colour
  Answer->SetFocus();
  Pump();
  EXPECT_TRUE(Answer->HasFocusedLook());
  EXPECT_EQ(Answer->GetColor(), Answer->GetColorFocused());
  ::RedrawWindow(Answer->GetHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(ScreenPixel(Answer->GetHandle(), 0, 0), Rgb(Answer->GetColorBorder()));
  EXPECT_EQ(ScreenPixel(Answer->GetHandle(), 1, 5), clWhite);
  // The mouse over the other one while a flat edit is the active control: it stays flat.
  Other->SetColorFlat(clSilver);
  Other->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_FALSE(Other->HasFocusedLook());
  EXPECT_EQ(Other->GetColor(), clSilver);
  // ColorFlat was written: a new parent colour leaves it alone.
  EXPECT_FALSE(Other->GetParentColor());
  Form->SetColor(clYellow);
  EXPECT_EQ(Other->GetColorFlat(), clSilver);
  EXPECT_EQ(Answer->GetColorFlat(), clYellow);
}

// ---- Combo box ------------------------------------------------------------------------------------------------

TEST_F(FlatForm, TheDropDownListIsSizedToItsItemsAndSelectsByMouseAndKeys) {
  ASSERT_TRUE(Tunes);
  Tunes->SetFocus();
  Pump();
  Tunes->SetDroppedDown(true);
  Pump();
  const HWND list = Tunes->GetListHandle();
  ASSERT_TRUE(list && ::IsWindowVisible(list));
  RECT r{};
  ::GetWindowRect(list, &r);
  const int row = FlatFontHeight(Tunes->GetFont()) - 2;
  EXPECT_EQ(r.bottom - r.top, 3 * row + 4);
  EXPECT_TRUE(SaveWindowScreenshot(Form->GetHandle(), L"flat_controls"));
  // A click on the second row picks it.
  ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, button_tests::At(10, row + row / 2));
  ::SendMessageW(list, WM_LBUTTONUP, 0, button_tests::At(10, row + row / 2));
  Pump();
  EXPECT_EQ(Tunes->GetItemIndex(), 1);
  EXPECT_FALSE(Tunes->GetDroppedDown());
  button_tests::PressKey(VK_DOWN);  // and the keys move on
  EXPECT_EQ(Tunes->GetItemIndex(), 2);
  EXPECT_EQ(Tunes->GetText(), L"乐曲03");
}

// Focused with nothing chosen, the box shows the highlight frame but no filled selection;
// the frame goes with the focus.
TEST_F(FlatForm, AnEmptyFocusedComboShowsTheFocusFrameWithoutASelectionBar) {
  ASSERT_EQ(Tunes->GetItemIndex(), -1);
  const HWND wnd = Tunes->GetHandle();
  const int right = Tunes->GetClientWidth(), midY = Tunes->GetClientHeight() / 2;
  for (TWinControl* focused : std::initializer_list<TWinControl*>{Tunes, Other}) {
    focused->SetFocus();
    Pump();
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    const TColor frame = Rgb(focused == Tunes ? clHighlight : Tunes->GetColor());
    EXPECT_EQ(ScreenPixel(wnd, 3, midY), frame);           // the frame's left side
    EXPECT_EQ(ScreenPixel(wnd, right - 17, midY), frame);  // and its right side
    EXPECT_EQ(ScreenPixel(wnd, 20, 3), frame);             // and its top
    EXPECT_EQ(ScreenPixel(wnd, 20, midY), Rgb(Tunes->GetColor()));          // no filled field
    EXPECT_EQ(ScreenPixel(wnd, right - 19, midY), Rgb(Tunes->GetColor()));  // nor strip
    if (focused == Tunes) EXPECT_TRUE(SaveWindowScreenshot(Form->GetHandle(), L"flat_combo_empty_focused"));
  }
}

// The strip beside the button and the field show the box's colour unfocused and the
// selection focused, however the selection came: set in code too, which the system draws at
// once (the whole field highlighted, chosen item or not) and tells no one of.
TEST_F(FlatForm, TheStripAndFieldShowTheSelectionHoweverItIsSet) {
  Tunes->SetColor(ColorFromInt(0xE1EAEB));  // not white: the system's own edges show against it
  const HWND wnd = Tunes->GetHandle();
  const int right = Tunes->GetClientWidth(), bottom = Tunes->GetClientHeight();
  const TColor face = Rgb(Tunes->GetColor()), highlight = Rgb(clHighlight);
  // Pixels of the strip and of the gap on to the frame that are not as they should be; the
  // focus frame's sides (x = right - 17, the top and bottom rows) are left out.
  const auto stripIs = [&](TColor color) {
    int wrong = 0;
    for (int y = 4; y < bottom - 4; ++y)
      for (int x = right - 21; x < right - 13; ++x)
        if (x != right - 17) wrong += WindowPixel(wnd, x, y) != (x < right - 17 ? color : face);
    return wrong;
  };
  const auto highlightInField = [&] {
    int count = 0;
    for (int y = 4; y < bottom - 4; ++y)
      for (int x = 4; x < right - 17; ++x) count += WindowPixel(wnd, x, y) == highlight;
    return count;
  };
  Tunes->SetItemIndex(1);
  Pump();
  EXPECT_EQ(stripIs(face), 0) << "unfocused";
  Tunes->SetFocus();
  Pump();
  Tunes->SetItemIndex(-1);
  EXPECT_EQ(highlightInField(), 0) << "cleared in code: no selection fill";
  EXPECT_EQ(WindowPixel(wnd, 3, bottom / 2), highlight) << "the focus frame stays";
  EXPECT_EQ(stripIs(face), 0) << "cleared in code";
  Tunes->SetItemIndex(2);
  EXPECT_EQ(stripIs(highlight), 0) << "set in code";
  EXPECT_GT(highlightInField(), 500) << "set in code";
  Pump();
  EXPECT_TRUE(SaveWindowScreenshot(Form->GetHandle(), L"flat_combo_set_in_code"));
  // By keys: the system draws the field, its dotted focus rectangle too, after it told the
  // box; the highlight frame (one pixel, 3 in, left of the button) stays whole over it.
  const auto frameWrong = [&] {
    int wrong = 0;
    for (int x = 3; x <= right - 17; ++x)
      wrong += (WindowPixel(wnd, x, 3) != highlight) + (WindowPixel(wnd, x, bottom - 4) != highlight);
    for (int y = 4; y < bottom - 4; ++y)
      wrong += (WindowPixel(wnd, 3, y) != highlight) + (WindowPixel(wnd, right - 17, y) != highlight);
    return wrong;
  };
  Tunes->GetItems()->Add(L"Jazz");
  ::SetForegroundWindow(Form->GetHandle());
  for (WORD key : std::initializer_list<WORD>{VK_UP, VK_DOWN, 'J', VK_HOME, VK_HOME}) {
    SCOPED_TRACE(key);
    EXPECT_TRUE(TypeChord({key}));
    Pump();
    EXPECT_EQ(frameWrong(), 0);
    EXPECT_EQ(stripIs(highlight), 0);
  }
  EXPECT_EQ(Tunes->GetItemIndex(), 0);
  EXPECT_TRUE(SaveWindowScreenshot(Form->GetHandle(), L"flat_combo_set_by_keys"));
}

TEST_F(FlatForm, AComboMadeAgainWhileDroppedKeepsWorking) {
  Tunes->SetFocus();
  Pump();
  Tunes->SetDroppedDown(true);
  Pump();
  Tunes->GetFont()->SetSize(11);  // a font change makes the window again
  Pump();
  EXPECT_EQ(Tunes->GetItems()->GetCount(), 3);
  Tunes->SetDroppedDown(true);
  Pump();
  RECT r{};
  ::GetWindowRect(Tunes->GetListHandle(), &r);
  EXPECT_EQ(r.bottom - r.top, 3 * (FlatFontHeight(Tunes->GetFont()) - 2) + 4);
  Tunes->SetDroppedDown(false);
  delete Tunes;  // the list's procedure is given back before the windows go
  Tunes = nullptr;
  Pump();
}

// The system keys a combo box does not use itself reach the window from a combo box of
// either kind and style, its list closed or open: Alt+F4 closes, Alt+Space opens the system
// menu, Alt alone and F10 the menus; Alt+Down still opens the list and Alt+Up closes it.
TEST_F(FlatForm, SystemKeysInAComboBoxReachTheWindow) {
  auto* drop = new TComboBox(Form);  // owned and freed by the form
  drop->SetParent(Form);
  drop->SetBounds(150, 90, 100, 25);
  auto* list = new TComboBox(Form);
  list->SetParent(Form);
  list->SetBounds(260, 90, 100, 25);
  list->SetStyle(csDropDownList);
  for (TCustomComboBox* box : {drop, list}) box->GetItems()->SetText(L"一\n二\n");
  std::vector<String> commands;  // "command,character" of each system command the form got
  const TWndMethod formProc = Form->GetWindowProc();
  Form->SetWindowProc([&](TMessage& message) {
    if (message.Msg == WM_SYSCOMMAND)
      commands.push_back(IntToStr(static_cast<int>(message.WParam & 0xFFF0)) + L"," +
                         IntToStr(static_cast<int>(message.LParam)));
    else
      formProc(message);
  });
  ::SetForegroundWindow(Form->GetHandle());
  const std::vector<String> expected{IntToStr(SC_CLOSE) + L",0", IntToStr(SC_KEYMENU) + L",32",
                                     IntToStr(SC_KEYMENU) + L",0", IntToStr(SC_KEYMENU) + L",0"};
  for (TCustomComboBox* box : std::initializer_list<TCustomComboBox*>{Tunes, drop, list})
    for (bool dropped : {false, true}) {
      SCOPED_TRACE(StringToUtf8(box->ClassName()) + (box == drop ? " drop-down" : " list") +
                   (dropped ? ", open" : ", closed"));
      box->SetFocus();
      box->SetDroppedDown(dropped);
      Pump();
      commands.clear();
      for (auto chord : {std::initializer_list<WORD>{VK_MENU, VK_F4}, {VK_MENU, VK_SPACE}, {VK_MENU}, {VK_F10}}) {
        EXPECT_TRUE(TypeChord(chord));
        Pump();
      }
      EXPECT_EQ(commands, expected);
      box->SetDroppedDown(false);
      EXPECT_TRUE(TypeChord({VK_MENU, VK_DOWN}));
      Pump();
      EXPECT_TRUE(box->GetDroppedDown()) << "Alt+Down is the box's own";
      EXPECT_TRUE(TypeChord({VK_MENU, VK_UP}));
      Pump();
      EXPECT_FALSE(box->GetDroppedDown()) << "so is Alt+Up";
      box->SetDroppedDown(false);
    }
  Form->SetWindowProc(formProc);
}

// ---- Splitter -------------------------------------------------------------------------------------------------

namespace {

// A form with a panel aligned to the bottom (100 high), a bottom splitter above it and a
// panel filling the rest: the practice windows' stem and answer areas.
class FlatSplit : public button_tests::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    RegisterClass<TPanel>();
    ReadLayout(L"object Form1: TButtonsForm\n"
               L"  object Answers: TPanel\n    Align = alBottom\n    Height = 100\n  end\n"
               L"  object Split: TFlatSplitter\n    Align = alBottom\n    Height = 5\n    Cursor = crVSplit\n"
               L"    OnMoved = SplitterMoved\n  end\n"
               L"  object Stem: TPanel\n    Align = alClient\n  end\n"
               L"end\n");
    Answers = Find<TPanel>(L"Answers");
    Split = Find<TFlatSplitter>(L"Split");
    ShowForm();
  }
  // The splitter's top on the form: 300 - 100 - its height.
  int SplitTop() const { return Split->GetTop(); }
  void Send(UINT msg, int y, WPARAM keys = 0) {
    ::SendMessageW(Form->GetHandle(), msg, keys, button_tests::At(50, y));
  }
  void Drag(int fromY, int toY) {
    Send(WM_LBUTTONDOWN, fromY, MK_LBUTTON);
    Send(WM_MOUSEMOVE, toY, MK_LBUTTON);
  }
  int Moves() const {
    const auto it = Form->Moves.find(Split);
    return it == Form->Moves.end() ? 0 : it->second;
  }

  TPanel* Answers = nullptr;
  TFlatSplitter* Split = nullptr;
};

}  // namespace

TEST_F(FlatSplit, DraggingUpGrowsTheControlBelowWithinMinSizeAndTheRoomLeft) {
  ASSERT_TRUE(Answers && Split);
  EXPECT_EQ(Split->GetHeight(), 5);
  const int y = SplitTop() + 2;
  Drag(y, y - 40);
  EXPECT_TRUE(Split->GetSizing());
  EXPECT_EQ(Split->GetNewSize(), 140);
  Send(WM_LBUTTONUP, y - 40);
  EXPECT_FALSE(Split->GetSizing());
  EXPECT_EQ(Answers->GetHeight(), 140);
  EXPECT_EQ(Moves(), 1);
  const int y2 = SplitTop() + 2;
  Drag(y2, y2 + 500);  // far down: stops at MinSize
  Send(WM_LBUTTONUP, y2 + 500);
  EXPECT_EQ(Answers->GetHeight(), 30);
  const int y3 = SplitTop() + 2;
  Drag(y3, -1000);  // far up: what leaves MinSize to the rest, 300 - 30 - 5
  Send(WM_LBUTTONUP, -1000);
  EXPECT_EQ(Answers->GetHeight(), 265);
  EXPECT_EQ(Moves(), 3);
}

TEST_F(FlatSplit, EscapeAndALostCaptureEndTheDragWithoutAChange) {
  const int y = SplitTop() + 2;
  Drag(y, y - 40);
  ASSERT_TRUE(Split->GetSizing());
  ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_ESCAPE, stdctrl_tests::KeyData(VK_ESCAPE, false));
  Pump();
  EXPECT_FALSE(Split->GetSizing());
  Send(WM_LBUTTONUP, y - 40);
  EXPECT_EQ(Answers->GetHeight(), 100);
  Drag(y, y - 40);
  ASSERT_TRUE(Split->GetSizing());
  ::ReleaseCapture();  // another window took the mouse
  Pump();
  EXPECT_FALSE(Split->GetSizing());
  Send(WM_LBUTTONUP, y - 40);
  EXPECT_EQ(Answers->GetHeight(), 100);
  EXPECT_EQ(Moves(), 0);
}

TEST_F(FlatSplit, NoDragStartsWhenThereIsNoRoomAboveMinSize) {
  Split->SetMinSize(250);  // 300 - 250 - 5 - 100 leaves less than 250 for the answers
  const int y = SplitTop() + 2;
  Drag(y, y - 40);
  EXPECT_FALSE(Split->GetSizing());
  Send(WM_LBUTTONUP, y - 40);
  EXPECT_EQ(Answers->GetHeight(), 100);
  EXPECT_EQ(Moves(), 0);
}

using FlatSplitLeft = button_tests::FormTest;

TEST_F(FlatSplitLeft, ALeftSplitterSizesTheControlOnItsLeft) {
  RegisterClass<TPanel>();
  ReadLayout(L"object Form1: TButtonsForm\n"
             L"  object Tree: TPanel\n    Align = alLeft\n    Width = 100\n  end\n"
             L"  object Split: TFlatSplitter\n    Left = 100\n  end\n"
             L"  object Text: TPanel\n    Align = alClient\n  end\n"
             L"end\n");
  auto* tree = Find<TPanel>(L"Tree");
  auto* split = Find<TFlatSplitter>(L"Split");
  ASSERT_TRUE(tree && split);
  ShowForm();
  EXPECT_EQ(split->GetAlign(), alLeft);
  EXPECT_EQ(split->GetWidth(), 5);
  const int x = split->GetLeft() + 2;
  ::SendMessageW(Form->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, button_tests::At(x, 50));
  ::SendMessageW(Form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, button_tests::At(x + 30, 50));
  ::SendMessageW(Form->GetHandle(), WM_LBUTTONUP, 0, button_tests::At(x + 30, 50));
  EXPECT_EQ(tree->GetWidth(), 130);
  EXPECT_EQ(split->GetLeft(), 130);  // the alignment put the splitter after it
}
