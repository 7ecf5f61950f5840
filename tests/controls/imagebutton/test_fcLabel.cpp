// TfcLabel on a real form: sizing to its (turned) caption, keeping its right edge when it is
// right-justified, reading from a layout without sizing before Loaded, painting, and the
// accelerator that focuses another control.
#include <gtest/gtest.h>

#include "classlib/classes/ClassRegistry.h"
#include "classlib/stdctrls/CheckBoxes.h"
#include "controls/imagebutton/fcLabel.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"

using namespace button_tests;

namespace {

// The unturned size of text in the label's font, measured on a memory DC.
TSize CaptionSize(TfcLabel* label, const String& text) {
  MemorySurface surface(1, 1);
  surface.Canvas.SetFont(label->GetFont());
  return surface.Canvas.TextExtent(text);
}

class FcLabelTest : public FormTest {
 protected:
  TfcLabel* NewLabel(int left, int top) {
    auto* label = new TfcLabel(Form);
    label->SetParent(Form);
    label->SetLeft(left);
    label->SetTop(top);
    return label;
  }
};

TEST_F(FcLabelTest, AutoSizeFollowsTheCaptionTurnedOrNot) {
  TfcLabel* label = NewLabel(10, 10);
  EXPECT_EQ(label->GetWidth(), 65);
  EXPECT_EQ(label->GetHeight(), 17);
  label->SetCaption(L"Question &bank");
  const TSize text = CaptionSize(label, L"Question bank");  // the mark is not measured
  EXPECT_EQ(label->GetWidth(), text.cx);
  EXPECT_EQ(label->GetHeight(), text.cy);
  label->GetTextOptions()->SetRotation(90);
  EXPECT_EQ(label->GetWidth(), text.cy);
  EXPECT_EQ(label->GetHeight(), text.cx);
  label->GetTextOptions()->SetRotation(0);
  label->GetTextOptions()->GetShadow()->SetEnabled(true);  // 10, 10 more
  EXPECT_EQ(label->GetWidth(), text.cx + 10);
  EXPECT_EQ(label->GetHeight(), text.cy + 10);
  label->GetFont()->SetHeight(-30);
  EXPECT_EQ(label->GetHeight(), CaptionSize(label, L"Question bank").cy + 10);
  // Lines are stacked with LineSpacing (5) between them; the widest one gives the width.
  label->GetTextOptions()->GetShadow()->SetEnabled(false);
  label->SetCaption(L"One\r\nThree");
  EXPECT_EQ(label->GetHeight(), CaptionSize(label, L"One").cy * 2 + 5);
  EXPECT_EQ(label->GetWidth(), CaptionSize(label, L"Three").cx);
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 50, 40);
  label->SetCaption(L"A much longer caption than before");
  EXPECT_EQ(label->GetBoundsRect(), Bounds(10, 10, 50, 40));
}

TEST_F(FcLabelTest, ARightJustifiedLabelKeepsItsRightEdgeWhenTheCaptionGrows) {
  ShowForm();
  TfcLabel* label = NewLabel(300, 20);
  label->GetTextOptions()->SetAlignment(taRightJustify);
  label->SetCaption(L"Q");
  const int right = label->GetLeft() + label->GetWidth();
  EXPECT_EQ(right, 300 + 65);  // the right edge of the new label stayed
  label->SetCaption(L"Question bank of the year");
  EXPECT_EQ(label->GetWidth(), CaptionSize(label, L"Question bank of the year").cx);
  EXPECT_EQ(label->GetLeft() + label->GetWidth(), right);
  EXPECT_LT(label->GetLeft(), 300);
  label->GetTextOptions()->SetAlignment(taLeftJustify);
  const int left = label->GetLeft();
  label->SetCaption(L"Q");
  EXPECT_EQ(label->GetLeft(), left);  // a left-justified one keeps its left edge
}

TEST_F(FcLabelTest, ALabelReadFromALayoutIsSizedOnlyWhenLoaded) {
  const String layout =
      L"object Form1: TButtonsForm\n"
      L"  object Label1: TfcLabel\n"
      L"    Left = 200\n    Top = 8\n    Width = 150\n    Height = 60\n    Caption = 'Hello'\n"
      L"    TextOptions.Alignment = taRightJustify\n    TextOptions.Rotation = -90\n"
      L"    TextOptions.Shadow.Enabled = True\n    TextOptions.Shadow.XOffset = 3\n"
      L"    TextOptions.Options = [toShowAccel, toShowEllipsis]\n    Transparent = True\n"
      L"  end\n"
      L"end\n";
  TGlobalLoading loading;
  ReadLayout(layout);
  auto* label = Find<TfcLabel>(L"Label1");
  ASSERT_NE(label, nullptr);
  // Read, but not yet Loaded: the stored bounds stand.
  EXPECT_EQ(label->GetBoundsRect(), Bounds(200, 8, 150, 60));
  loading.Finish();
  EXPECT_EQ(label->GetTextOptions()->GetRotation(), 270);
  EXPECT_TRUE(label->GetTextOptions()->GetDrawFlags() & DT_END_ELLIPSIS);
  EXPECT_TRUE(label->GetTransparent());
  // Loaded sized it: turned, with the shadow's 3 and 10, keeping the right edge at 350.
  const TSize text = CaptionSize(label, L"Hello");
  EXPECT_EQ(label->GetWidth(), text.cy + 10);
  EXPECT_EQ(label->GetHeight(), text.cx + 3);
  EXPECT_EQ(label->GetLeft() + label->GetWidth(), 350);
  // Written out, only what differs from the defaults is kept.
  const String written = ComponentToText(Form);
  EXPECT_NE(written.find(L"TextOptions.Rotation = 270"), String::npos) << StringToUtf8(written);
  EXPECT_NE(written.find(L"TextOptions.Shadow.XOffset = 3"), String::npos);
  EXPECT_EQ(written.find(L"TextOptions.Shadow.YOffset"), String::npos);
  EXPECT_EQ(written.find(L"TextOptions.LineSpacing"), String::npos);
}

TEST_F(FcLabelTest, PaintsItsColourAndItsCaption) {
  TfcLabel* label = NewLabel(0, 0);
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 120, 40);
  label->SetColor(clWhite);
  label->GetFont()->SetColor(clBlack);
  label->GetFont()->SetHeight(-24);
  label->SetCaption(L"WWW");
  MemorySurface opaque(120, 40, clRed);
  PaintInto(label, opaque);
  EXPECT_EQ(opaque.CountOf(clRed, Rect(0, 0, 120, 40)), 0);
  EXPECT_GT(opaque.CountOf(clBlack, Rect(0, 0, 120, 40)), 0);
  label->SetTransparent(true);
  MemorySurface clear(120, 40, clRed);
  PaintInto(label, clear);
  EXPECT_GT(clear.CountOf(clRed, Rect(0, 0, 120, 40)), 120 * 40 / 2);
  EXPECT_GT(clear.CountOf(clBlack, Rect(0, 0, 120, 40)), 0);
  // Every paint makes a turned font and lets it go again.
  label->GetTextOptions()->SetRotation(30);
  ResourceProbe probe;
  for (int i = 0; i < 500; ++i) PaintInto(label, clear);
  probe.ExpectNoLeak();
  label->GetTextOptions()->SetRotation(0);
  label->SetEnabled(false);  // embossed in the disabled colours
  label->GetTextOptions()->GetDisabledColors()->SetShadeColor(clBlue);
  MemorySurface disabled(120, 40, clRed);
  PaintInto(label, disabled);
  EXPECT_EQ(disabled.CountOf(clBlack, Rect(0, 0, 120, 40)), 0);
  EXPECT_GT(disabled.CountOf(clBlue, Rect(0, 0, 120, 40)), 0);
}

TEST_F(FcLabelTest, TheAcceleratorFocusesTheFocusControlAndIsForgottenWithIt) {
  TfcLabel* label = NewLabel(8, 8);
  label->SetCaption(L"&Name");
  auto* first = new TCheckBox(Form);
  first->SetParent(Form);
  first->SetBounds(8, 40, 100, 20);
  auto* second = new TCheckBox(Form);
  second->SetParent(Form);
  second->SetBounds(8, 70, 100, 20);
  label->SetFocusControl(second);
  ShowForm();
  first->SetFocus();
  ASSERT_TRUE(first->Focused());
  PressAltChar(L'n');
  EXPECT_TRUE(second->Focused());
  delete second;
  EXPECT_EQ(label->GetFocusControl(), nullptr);
  first->SetFocus();
  PressAltChar(L'n');
  EXPECT_TRUE(first->Focused());
  // Without toShowAccel the "&" is text and no accelerator.
  label->SetFocusControl(first);
  label->GetTextOptions()->SetOptions(TfcTextOptions{});
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, L'N', 0), 0);
}

}  // namespace
