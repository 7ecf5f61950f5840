// Panels, group boxes and splitters read from layouts: where their aligned children go, the
// group box's accelerator, and a splitter dragged with the mouse.
#include <gtest/gtest.h>

#include "ButtonsTestSupport.h"
#include "classlib/stdctrls/Buttons.h"
#include "classlib/stdctrls/CheckBoxes.h"
#include "classlib/stdctrls/Splitter.h"
#include "classlib/stdctrls/StdPanels.h"

using namespace button_tests;

namespace {

class PanelTest : public FormTest {};

TEST_F(PanelTest, PanelFromALayoutKeepsItsChildrenInsideItsFrameAndWritesOnlyWhatDiffers) {
  ReadLayout(
      L"object Form1: TButtonsForm\n"
      L"  object Panel1: TPanel\n    Width = 200\n    Height = 100\n    BevelInner = bvRaised\n"
      L"    BevelOuter = bvLowered\n    BorderWidth = 3\n"
      L"    object Button1: TButton\n      Align = alClient\n    end\n  end\n"
      L"end\n");
  auto* panel = Find<TPanel>(L"Panel1");
  auto* button = Find<TButton>(L"Button1");
  ASSERT_TRUE(panel && button);
  ShowForm();
  EXPECT_EQ(button->GetParent(), panel);
  EXPECT_EQ(button->GetBoundsRect(), Rect(5, 5, 195, 95));  // 1 + 3 + 1 inside each edge

  const std::string text = StringToUtf8(ComponentToText(Form));
  EXPECT_NE(text.find("BevelOuter = bvLowered"), std::string::npos) << text;
  EXPECT_NE(text.find("BorderWidth = 3"), std::string::npos);
  EXPECT_EQ(text.find("BevelWidth"), std::string::npos);   // the default
  EXPECT_EQ(text.find("FullRepaint"), std::string::npos);  // the default
}

TEST_F(PanelTest, GroupBoxLaysOutBelowItsCaptionAndItsAcceleratorFocusesTheFirstChild) {
  ReadLayout(
      L"object Form1: TButtonsForm\n"
      L"  object GroupBox1: TGroupBox\n    Width = 200\n    Height = 120\n    Caption = '&Options'\n"
      L"    object CheckBox1: TCheckBox\n      Height = 20\n      Align = alTop\n    end\n  end\n"
      L"  object Button1: TButton\n    Left = 250\n  end\n"
      L"end\n");
  auto* box = Find<TGroupBox>(L"GroupBox1");
  auto* check = Find<TCheckBox>(L"CheckBox1");
  auto* button = Find<TButton>(L"Button1");
  ASSERT_TRUE(box && check && button);
  ShowForm();
  MemorySurface measure(1, 1);
  measure.Canvas.SetFont(box->GetFont());
  const int captionHeight = measure.Canvas.TextHeight(L"0");
  // The caption's line, then the frame (two pixels with the 3-D look).
  EXPECT_EQ(check->GetBoundsRect(), Rect(2, captionHeight + 2, 198, captionHeight + 22));

  button->SetFocus();
  PressAltChar(L'o');
  EXPECT_TRUE(check->Focused());
}

// A form with a left panel, a splitter beside it and a client panel.
class SplitterTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ReadLayout(
        L"object Form1: TButtonsForm\n"
        L"  object PanelLeft: TPanel\n    Width = 100\n    Align = alLeft\n  end\n"
        L"  object Splitter1: TSplitter\n    Left = 100\n    OnMoved = SplitterMoved\n  end\n"
        L"  object PanelClient: TPanel\n    Align = alClient\n  end\n"
        L"end\n");
    Left = Find<TPanel>(L"PanelLeft");
    Splitter = Find<TSplitter>(L"Splitter1");
    Client = Find<TPanel>(L"PanelClient");
    ShowForm();
  }
  // A press, a move with the button held, or the release at (x, 150) of the form.
  void Mouse(UINT msg, int x) {
    ::SendMessageW(Form->GetHandle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, At(x, 150));
  }
  // Presses at x on the splitter, moves to each x given, releases at the last.
  void Drag(int fromX, std::initializer_list<int> toXs) {
    Mouse(WM_LBUTTONDOWN, fromX);
    int last = fromX;
    for (int x : toXs) Mouse(WM_MOUSEMOVE, last = x);
    Mouse(WM_LBUTTONUP, last);
    Pump();
  }
  int Moves() { return Form->Moves[Splitter]; }

  TPanel* Left = nullptr;
  TSplitter* Splitter = nullptr;
  TPanel* Client = nullptr;
};

TEST_F(SplitterTest, DraggingResizesTheControlBesideItAndTellsOnMoved) {
  ASSERT_TRUE(Left && Splitter && Client);
  EXPECT_EQ(Splitter->GetAlign(), alLeft);
  EXPECT_EQ(Splitter->GetCursor(), crHSplit);
  EXPECT_EQ(Splitter->GetBoundsRect(), Rect(100, 0, 103, 300));

  Drag(101, {121, 141});
  EXPECT_EQ(Left->GetWidth(), 140);
  EXPECT_EQ(Splitter->GetLeft(), 140);
  EXPECT_EQ(Client->GetBoundsRect(), Rect(143, 0, 400, 300));
  EXPECT_EQ(Moves(), 1);
  EXPECT_EQ(Splitter->GetSizedControl(), nullptr);  // the drag is over

  // Never wider than what leaves MinSize for the rest.
  Drag(141, {600});
  EXPECT_EQ(Left->GetWidth(), 400 - 30 - 3);
  EXPECT_EQ(Moves(), 2);
}

TEST_F(SplitterTest, BelowMinSizeSnapsShutAndOnCanResizeMayRefuse) {
  Drag(101, {31});  // 30 pixels: at MinSize, so it snaps
  EXPECT_EQ(Left->GetWidth(), 0);

  Splitter->SetAutoSnap(false);
  Drag(Splitter->GetLeft() + 1, {Splitter->GetLeft() + 61});
  EXPECT_EQ(Left->GetWidth(), 60);  // a shut control opens again

  int asked = 0;
  Splitter->SetOnCanResize([&asked](TObject*, int& newSize, bool& accept) {
    ++asked;
    accept = newSize < 100;
  });
  Drag(Splitter->GetLeft() + 1, {Splitter->GetLeft() + 11, Splitter->GetLeft() + 101});
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(Left->GetWidth(), 70);  // the first move was allowed, the second refused

  Splitter->SetMinSize(-5);
  EXPECT_EQ(Splitter->GetMinSize(), 1);
}

TEST_F(SplitterTest, UpdateStyleResizesWhileMovingAndCancelModeEndsTheDragUnchanged) {
  Splitter->SetResizeStyle(rsUpdate);
  Mouse(WM_LBUTTONDOWN, 101);
  Mouse(WM_MOUSEMOVE, 151);
  EXPECT_EQ(Left->GetWidth(), 150);  // already, before the release
  Mouse(WM_LBUTTONUP, 151);
  Pump();
  EXPECT_EQ(Left->GetWidth(), 150);

  Splitter->SetResizeStyle(rsPattern);
  Mouse(WM_LBUTTONDOWN, 151);
  Mouse(WM_MOUSEMOVE, 201);
  EXPECT_EQ(Splitter->GetSizedControl(), Left);
  const int moves = Moves();
  ::SendMessageW(Form->GetHandle(), WM_CANCELMODE, 0, 0);
  Pump();
  EXPECT_EQ(Splitter->GetSizedControl(), nullptr);
  EXPECT_EQ(Left->GetWidth(), 150);
  EXPECT_EQ(Moves(), moves);
  Mouse(WM_LBUTTONUP, 201);  // a late release does nothing
  EXPECT_EQ(Left->GetWidth(), 150);
}

TEST_F(SplitterTest, ARightAlignedSplitterKeepsTheFarEdgeOfItsControl) {
  Client->SetAlign(alRight);
  Client->SetWidth(100);
  auto* splitter = new TSplitter(Form);
  splitter->SetAlign(alRight);
  splitter->SetBounds(290, 0, 3, 300);
  splitter->SetParent(Form);
  ASSERT_EQ(splitter->GetBoundsRect(), Rect(297, 0, 300, 300));
  Drag(298, {248});
  EXPECT_EQ(Client->GetBoundsRect(), Rect(250, 0, 400, 300));
  EXPECT_EQ(splitter->GetLeft(), 247);

  // A splitter turned to the top takes the up-and-down cursor.
  splitter->SetAlign(alTop);
  EXPECT_EQ(splitter->GetCursor(), crVSplit);
}

}  // namespace
