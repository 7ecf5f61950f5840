// Speed buttons clicked with the mouse on their parent's window: plain clicks, groups that
// keep one button down, AllowAllUp, flat buttons following the mouse, and how a held-down
// button is painted.
#include <gtest/gtest.h>

#include "ButtonsTestSupport.h"
#include "classlib/stdctrls/SpeedButton.h"

using namespace button_tests;

namespace {

class SpeedButtonTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ReadLayout(
        L"object Form1: TButtonsForm\n"
        L"  object Plain: TSpeedButton\n    Left = 8\n    Caption = '&Go'\n"
        L"    OnClick = ControlClick\n  end\n"
        L"  object Bold: TSpeedButton\n    Left = 40\n    GroupIndex = 1\n    Down = True\n"
        L"    OnClick = ControlClick\n  end\n"
        L"  object Italic: TSpeedButton\n    Left = 70\n    GroupIndex = 1\n"
        L"    OnClick = ControlClick\n  end\n"
        L"end\n");
    Plain = Find<TSpeedButton>(L"Plain");
    Bold = Find<TSpeedButton>(L"Bold");
    Italic = Find<TSpeedButton>(L"Italic");
    ShowForm();
  }
  TSpeedButton* Plain = nullptr;
  TSpeedButton* Bold = nullptr;
  TSpeedButton* Italic = nullptr;
};

TEST_F(SpeedButtonTest, AClickOnTheParentsWindowClicksTheButtonUnderTheMouse) {
  ASSERT_TRUE(Plain && Bold && Italic);
  EXPECT_EQ(Plain->GetBoundsRect(), Bounds(8, 0, 23, 22));
  ClickControl(Plain);
  EXPECT_EQ(Form->ClicksOf(Plain), 1);
  EXPECT_FALSE(Plain->GetDown());  // a button of no group never stays down
  EXPECT_EQ(Plain->GetState(), bsUp);

  // Pressed, then released away from it: it comes up without a click.
  const HWND wnd = Form->GetHandle();
  ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
  EXPECT_EQ(Plain->GetState(), bsDown);
  ::SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, At(200, 200));
  EXPECT_EQ(Plain->GetState(), bsUp);
  ::SendMessageW(wnd, WM_LBUTTONUP, 0, At(200, 200));
  Pump();
  EXPECT_EQ(Form->ClicksOf(Plain), 1);

  PressAltChar(L'g');
  EXPECT_EQ(Form->ClicksOf(Plain), 2);
  Plain->SetDown(true);
  EXPECT_FALSE(Plain->GetDown());
}

TEST_F(SpeedButtonTest, AGroupKeepsOneButtonDown) {
  EXPECT_TRUE(Bold->GetDown());  // read from the layout after its group
  ClickControl(Italic);
  EXPECT_TRUE(Italic->GetDown());
  EXPECT_FALSE(Bold->GetDown());
  EXPECT_EQ(Form->ClicksOf(Italic), 1);

  // The down button stays down when clicked again (no AllowAllUp), but it is clicked.
  ClickControl(Italic);
  EXPECT_TRUE(Italic->GetDown());
  EXPECT_EQ(Form->ClicksOf(Italic), 2);
  Italic->SetDown(false);
  EXPECT_TRUE(Italic->GetDown());

  // AllowAllUp is told to the whole group; then a click lets the down one up.
  Bold->SetAllowAllUp(true);
  EXPECT_TRUE(Italic->GetAllowAllUp());
  ClickControl(Italic);
  EXPECT_FALSE(Italic->GetDown() || Bold->GetDown());

  Bold->SetDown(true);
  EXPECT_TRUE(Bold->GetDown());
  Italic->SetDown(true);
  EXPECT_FALSE(Bold->GetDown());
  EXPECT_EQ(Form->ClicksOf(Bold), 0);  // setting Down in code is no click
}

TEST_F(SpeedButtonTest, AFlatButtonShowsItsEdgeOnlyWithTheMouseOver) {
  Plain->SetFlat(true);
  const HWND wnd = Form->GetHandle();
  EXPECT_FALSE(Plain->GetMouseInControl());
  ::SendMessageW(wnd, WM_MOUSEMOVE, 0, At(15, 15));
  EXPECT_TRUE(Plain->GetMouseInControl());
  MemorySurface over(23, 22, clRed);
  PaintInto(Plain, over);
  EXPECT_EQ(over.At(5, 0), Rgb(clBtnHighlight));  // a raised edge

  ::SendMessageW(wnd, WM_MOUSEMOVE, 0, At(300, 200));
  EXPECT_FALSE(Plain->GetMouseInControl());
  MemorySurface away(23, 22, clRed);
  PaintInto(Plain, away);
  EXPECT_EQ(away.At(5, 0), clRed);  // transparent, no edge
}

TEST_F(SpeedButtonTest, AHeldDownButtonIsPaintedSunkenWithACheckeredFace) {
  Bold->SetTransparent(false);
  MemorySurface surface(23, 22, clRed);
  PaintInto(Bold, surface);
  EXPECT_EQ(surface.CountOf(clRed, Rect(0, 0, 23, 22)), 0);
  const TColor face = Rgb(clBtnFace);
  const TColor highlight = Rgb(clBtnHighlight);
  // Inside the edge, neighbouring pixels alternate between face and highlight.
  const TColor a = surface.At(10, 10);
  const TColor b = surface.At(11, 10);
  EXPECT_TRUE((a == face && b == highlight) || (a == highlight && b == face));

  Bold->SetEnabled(false);
  Bold->SetNumGlyphs(0);
  EXPECT_EQ(Bold->GetNumGlyphs(), 1);
  Bold->SetNumGlyphs(9);
  EXPECT_EQ(Bold->GetNumGlyphs(), 4);
  MemorySurface disabled(23, 22, clRed);
  PaintInto(Bold, disabled);  // no glyph, no caption: nothing breaks
  EXPECT_EQ(Bold->GetState(), bsDisabled);
}

}  // namespace
