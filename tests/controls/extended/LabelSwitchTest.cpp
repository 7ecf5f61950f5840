// The shadowed label (shadow positions, the disabled look, sizing, layouts) and the switch
// (clicks, the toggle key, events, its pictures and their stored set, the greyed picture).
#include <gtest/gtest.h>

#include "ExtendedTestSupport.h"
#include "classlib/classes/Layouts.h"
#include "classlib/classes/Streams.h"
#include "classlib/controls/ControlTestSupport.h"
#include "classlib/stdctrls/Edits.h"
#include "controls/extended/RXLabel.h"
#include "controls/extended/RXSwitch.h"

using control_tests::TTestHost;
using extended_tests::BoundsOf;
using extended_tests::PaintInto;

namespace {

TRxLabel* MakeLabel(TTestHost& host, const String& caption) {
  auto* label = new TRxLabel(&host);
  label->SetParent(&host);
  label->SetColor(clWhite);
  label->GetFont()->SetColor(clBlack);
  label->SetShadowColor(clRed);
  label->SetCaption(caption);
  return label;
}

}  // namespace

TEST(RxLabel, TheShadowLiesTowardsItsCorner) {
  TTestHost host;
  TRxLabel* label = MakeLabel(host, L"IIII");
  label->SetShadowSize(2);
  // Centred in a larger label, so that no shadow side is cut by the label's own edge
  // whatever the font's side bearings.
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 80, 30);
  label->SetAlignment(taCenter);
  label->SetLayout(tlCenter);
  struct Case {
    TShadowPosition pos;
    int dx, dy;
  } cases[] = {{spLeftTop, -2, -2}, {spLeftBottom, -2, 2}, {spRightBottom, 2, 2},
               {spRightTop, 2, -2}};
  for (const Case& c : cases) {
    label->SetShadowPos(c.pos);
    MemorySurface surface(80, 30, clWhite);
    PaintInto(label, surface);
    // The text covers the shadow where they overlap, so compare the outer edges.
    const TRect text = BoundsOf(surface, clBlack), shadow = BoundsOf(surface, clRed);
    ASSERT_FALSE(text == TRect());
    ASSERT_FALSE(shadow == TRect());
    if (c.dx < 0) {
      EXPECT_EQ(shadow.Left, text.Left - 2) << c.pos;
    } else {
      EXPECT_EQ(shadow.Right, text.Right + 2) << c.pos;
    }
    if (c.dy < 0) {
      EXPECT_EQ(shadow.Top, text.Top - 2) << c.pos;
    } else {
      EXPECT_EQ(shadow.Bottom, text.Bottom + 2) << c.pos;
    }
  }
}

TEST(RxLabel, ADisabledLabelIsGreyWithAHighlightDownRight) {
  TTestHost host;
  TRxLabel* label = MakeLabel(host, L"IIII");
  label->SetColor(clBlue);  // neither the grey text nor the highlight
  label->SetShadowSize(0);
  MemorySurface surface(80, 30, clBlue);
  PaintInto(label, surface);
  EXPECT_EQ(BoundsOf(surface, clRed), TRect()) << "no shadow while enabled";
  label->SetEnabled(false);
  PaintInto(label, surface);
  const TColor grey = ColorFromInt(static_cast<int32_t>(ColorToRGB(clGrayText)));
  const TColor highlight = ColorFromInt(static_cast<int32_t>(ColorToRGB(clBtnHighlight)));
  const TRect text = BoundsOf(surface, grey), shadow = BoundsOf(surface, highlight);
  ASSERT_FALSE(text == TRect());
  EXPECT_EQ(shadow.Right, text.Right + 1);
  EXPECT_EQ(shadow.Bottom, text.Bottom + 1);
  EXPECT_EQ(BoundsOf(surface, clBlack), TRect());
}

TEST(RxLabel, SizesToItsTextWithAPixelOfRoom) {
  TTestHost host;
  TRxLabel* label = MakeLabel(host, L"");
  const int lineHeight = label->GetHeight();
  EXPECT_GT(lineHeight, 2) << "an empty caption is one line high";
  label->SetCaption(L"Wide text");
  EXPECT_EQ(label->GetHeight(), lineHeight);
  const int width = label->GetWidth();
  label->SetAlignment(taRightJustify);
  label->SetBounds(100, 10, width, lineHeight);
  label->SetCaption(L"Wider text still");
  EXPECT_GT(label->GetWidth(), width);
  EXPECT_EQ(label->GetLeft() + label->GetWidth(), 100 + width) << "the right edge stays";
}

TEST(RxLabel, LayoutTextSetsTheShadow) {
  TTestHost host;
  const String text =
      L"object Host: TTestHost\n"
      L"  object RxLabel1: TRxLabel\n"
      L"    Caption = 'Name'\n"
      L"    ShadowColor = clRed\n"
      L"    ShadowPos = spRightBottom\n"
      L"    ShadowSize = 3\n"
      L"    ShowFocus = True\n"
      L"  end\n"
      L"end\n";
  TStringStream stream(text);
  ReadComponentFromStream(stream, &host);
  auto* label = dynamic_cast<TRxLabel*>(host.FindComponent(L"RxLabel1"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->GetShadowSize(), 3);
  const String written = ComponentToText(&host);
  EXPECT_NE(written.find(L"ShadowPos = spRightBottom"), String::npos);
  EXPECT_EQ(written.find(L"AutoSize"), String::npos) << "defaults are not stored";
}

// ---- Switch -----------------------------------------------------------------------------------

class SwitchTest : public edit_tests::EditFormTest {
 protected:
  TRxSwitch* ReadSwitch(const String& properties) {
    ReadLayout(L"object EditsForm: TEditsForm\n  object Switch1: TRxSwitch\n" + properties +
               L"    OnOn = Clicked\n    OnOff = Changed\n  end\nend\n");
    return Find<TRxSwitch>(L"Switch1");
  }
  int Ons(TRxSwitch* s) { return Form->Count(L"Click", s); }
  int Offs(TRxSwitch* s) { return Form->Count(L"Change", s); }
};

TEST_F(SwitchTest, StateReadFromTheLayoutFiresNothing) {
  TRxSwitch* sw = ReadSwitch(L"    StateOn = True\n");
  EXPECT_TRUE(sw->GetStateOn());
  EXPECT_EQ(Ons(sw), 0);
  sw->SetStateOn(true);  // no change, no event
  EXPECT_EQ(Ons(sw), 0);
  sw->SetStateOn(false);
  EXPECT_EQ(Offs(sw), 1);
}

TEST_F(SwitchTest, ClickAndToggleKeyFlipIt) {
  TRxSwitch* sw = ReadSwitch(L"    Left = 10\n    Top = 10\n");
  ShowForm();
  edit_tests::ClickWindow(sw->GetHandle(), 20, 20);
  EXPECT_TRUE(sw->GetStateOn());
  EXPECT_EQ(Ons(sw), 1);
  EXPECT_TRUE(sw->Focused()) << "a click focuses it";
  extended_tests::SaveScreenshot(Form->GetHandle(), "switch_on");
  ::PostMessageW(sw->GetHandle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  ::PostMessageW(sw->GetHandle(), WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  stdctrl_tests::Pump();
  EXPECT_TRUE(sw->GetStateOn()) << "the right button does not toggle";
  ASSERT_TRUE(edit_tests::FocusOn(sw));
  edit_tests::PressKey(VK_SPACE);
  EXPECT_FALSE(sw->GetStateOn());
  EXPECT_EQ(Offs(sw), 1);
  edit_tests::PressKey(VK_RETURN);
  EXPECT_FALSE(sw->GetStateOn());
  sw->SetToggleKey(ShortCut(VK_RETURN, TShiftState{}));
  edit_tests::PressKey(VK_RETURN);
  EXPECT_TRUE(sw->GetStateOn());
}

TEST_F(SwitchTest, SuppliedPicturesAreStoredAndNilRestoresTheBuiltIn) {
  TRxSwitch* sw = ReadSwitch(L"");
  EXPECT_EQ(sw->GetGlyphOn()->GetHeight(), 48) << "the built-in pictures, not stored";
  EXPECT_EQ(ComponentToText(Form).find(L"Data"), String::npos);
  TBitmap red;
  red.SetSize(10, 10);
  red.GetCanvas()->GetBrush()->SetColor(clRed);
  red.GetCanvas()->FillRect(Rect(0, 0, 10, 10));
  sw->SetGlyphOn(&red);
  EXPECT_EQ(sw->GetUserPictures(), 2);
  const String written = ComponentToText(Form);
  EXPECT_NE(written.find(L"Data = {"), String::npos);
  EXPECT_NE(written.find(L"GlyphOn.Data"), String::npos);
  // Read back: the picture and its mark come back.
  delete Form;
  Form = TCustomForm::Create<edit_tests::TEditsForm>(nullptr);
  ReadLayout(written);
  sw = Find<TRxSwitch>(L"Switch1");
  EXPECT_EQ(sw->GetUserPictures(), 2);
  EXPECT_EQ(sw->GetGlyphOn()->GetWidth(), 10);
  EXPECT_EQ(sw->GetGlyphOff()->GetWidth(), 32);
  sw->SetGlyphOn(nullptr);
  EXPECT_EQ(sw->GetUserPictures(), 0);
  EXPECT_EQ(sw->GetGlyphOn()->GetWidth(), 32);
  EXPECT_EQ(ComponentToText(Form).find(L"Data"), String::npos);
}

TEST_F(SwitchTest, AStoredPictureSetOfAWrongLengthIsRefused) {
  EXPECT_THROW(ReadSwitch(L"    Data = {0200}\n"), Exception);
}

TEST_F(SwitchTest, PicturesOnAMemorySurface) {
  TRxSwitch* sw = ReadSwitch(L"    Color = clWhite\n");
  MemorySurface surface(50, 60, clBlack);
  PaintInto(sw, surface);
  // The built-in off picture: its lower half red, centred (9, 6); magenta is transparent.
  EXPECT_EQ(surface.At(25, 45), clRed);
  EXPECT_EQ(surface.At(25, 15), clGray);
  EXPECT_EQ(surface.At(10, 4), clWhite) << "the picture's magenta shows the control's colour";
  EXPECT_EQ(surface.CountOf(ColorFromInt(0xFF00FF), Rect(0, 0, 50, 60)), 0);
  EXPECT_EQ(sw->GetPalette(), sw->GetGlyphOff()->GetPalette());
  ASSERT_NE(sw->GetPalette(), nullptr) << "the 16-colour picture's";
  sw->SetStateOn(true);
  PaintInto(sw, surface);
  EXPECT_EQ(surface.At(25, 15), ColorFromInt(0x00FF00));
  EXPECT_EQ(sw->GetPalette(), sw->GetGlyphOn()->GetPalette());
  sw->SetEnabled(false);
  EXPECT_EQ(sw->GetPalette(), nullptr) << "none while disabled";
  PaintInto(sw, surface);
  // Greyed: only the picture's black outline remains, in the shadow and highlight colours.
  EXPECT_EQ(surface.CountOf(ColorFromInt(0x00FF00), Rect(0, 0, 50, 60)), 0);
  const TColor shadow = ColorFromInt(static_cast<int32_t>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(surface.At(13, 10), shadow) << "the frame's corner (picture at 9, 6)";
  EXPECT_EQ(surface.At(25, 15), clWhite) << "the rest is transparent";
}

// A picture whose transparent colour was fixed is keyed on that colour, not on its
// bottom-left pixel.
TEST_F(SwitchTest, APicturesFixedTransparentColourIsTheKey) {
  TRxSwitch* sw = ReadSwitch(L"    Color = clWhite\n");
  TBitmap picture;
  picture.SetSize(10, 10);
  picture.GetCanvas()->GetBrush()->SetColor(clBlue);
  picture.GetCanvas()->FillRect(Rect(0, 0, 10, 10));
  picture.GetCanvas()->SetPixels(0, 9, clRed);
  picture.SetTransparentColor(clBlue);
  sw->SetGlyphOff(&picture);
  MemorySurface surface(50, 60, clBlack);
  PaintInto(sw, surface);
  // The picture centred at (20, 25).
  EXPECT_EQ(surface.At(25, 30), clWhite) << "the fixed colour shows the control's colour";
  EXPECT_EQ(surface.At(20, 34), clRed) << "the bottom-left pixel is drawn";
  EXPECT_EQ(surface.CountOf(clBlue, Rect(0, 0, 50, 60)), 0);
}

TEST_F(SwitchTest, CaptionBesideThePicture) {
  TRxSwitch* sw = ReadSwitch(L"    Caption = 'Music'\n    TextPosition = tpRight\n"
                             L"    Width = 120\n    Color = clWhite\n");
  sw->GetFont()->SetColor(clBlue);
  MemorySurface surface(120, 60, clBlack);
  PaintInto(sw, surface);
  const TRect text = BoundsOf(surface, clBlue);
  ASSERT_FALSE(text == TRect());
  EXPECT_GE(text.Left, 32) << "the text is right of the picture";
  EXPECT_EQ(surface.At(16, 45), clRed) << "the picture at the left edge";
}

// ---- Label with a focus control ----------------------------------------------------------------

TEST_F(SwitchTest, TheLabelFocusesItsControlAndFramesItWhileFocused) {
  ReadLayout(
      L"object EditsForm: TEditsForm\n"
      L"  object Label1: TRxLabel\n    Left = 10\n    Top = 10\n    Caption = '&Name'\n"
      L"    FocusControl = Edit1\n    ShowFocus = True\n    Color = clWhite\n  end\n"
      L"  object Edit1: TEdit\n    Left = 10\n    Top = 40\n  end\n"
      L"  object Edit2: TEdit\n    Left = 10\n    Top = 70\n  end\n"
      L"end\n");
  auto* label = Find<TRxLabel>(L"Label1");
  auto* edit1 = Find<TEdit>(L"Edit1");
  auto* edit2 = Find<TEdit>(L"Edit2");
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit2));
  TMessage accel{CM_DIALOGCHAR, L'n', 0, 0};
  label->Dispatch(accel);
  stdctrl_tests::Pump();
  EXPECT_EQ(accel.Result, 1);
  EXPECT_TRUE(edit1->Focused()) << "the accelerator focuses the focus control";
  const int w = label->GetWidth(), h = label->GetHeight();
  MemorySurface surface(w, h, clBlue);
  // A focus rectangle at the top or bottom edge.
  const auto framed = [&] {
    surface.Fill(clBlue);
    PaintInto(label, surface);
    return surface.CountOf(clBlack, Rect(0, 0, w, 1)) +
               surface.CountOf(clBlack, Rect(0, h - 1, w, h)) > 0;
  };
  EXPECT_TRUE(framed());
  // Another focus control, or none, repaints the label at once: the rectangle goes.
  for (TWinControl* other : {static_cast<TWinControl*>(edit2), static_cast<TWinControl*>(nullptr)}) {
    label->SetFocusControl(edit1);
    ::UpdateWindow(Form->GetHandle());
    label->SetFocusControl(other);
    RECT pending{};
    EXPECT_TRUE(::GetUpdateRect(Form->GetHandle(), &pending, FALSE)) << "repainted";
    EXPECT_FALSE(framed()) << "edit2 does not have the focus";
  }
  ASSERT_TRUE(edit_tests::FocusOn(edit1));
  label->SetFocusControl(edit1);
  EXPECT_TRUE(framed()) << "edit1 has it";
  ASSERT_TRUE(edit_tests::FocusOn(edit2));
  EXPECT_FALSE(framed()) << "gone with the focus";
  delete edit1;
  EXPECT_EQ(label->GetFocusControl(), nullptr) << "a freed focus control is forgotten";
}
