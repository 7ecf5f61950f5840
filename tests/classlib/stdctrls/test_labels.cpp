// Labels: sizing to the text, where the text is painted, and the accelerator that focuses
// another control.
#include <gtest/gtest.h>

#include "ButtonsTestSupport.h"
#include "classlib/stdctrls/CheckBoxes.h"
#include "classlib/stdctrls/StdLabels.h"

using namespace button_tests;

namespace {

// The size DrawText gives the text in the label's font.
TSize TextSize(TLabel* label, const String& text, UINT flags = 0, int width = 0) {
  MemorySurface surface(1, 1);
  surface.Canvas.SetFont(label->GetFont());
  RECT r{0, 0, width, 0};
  ::DrawTextW(surface.Canvas.GetHandle(), text.c_str(), -1, &r, DT_CALCRECT | DT_EXPANDTABS | flags);
  return TSize(r.right, r.bottom);
}

// The rows of the surface (within the label's width) that have a pixel of the colour.
std::pair<int, int> InkRows(const MemorySurface& surface, TColor ink) {
  int first = -1;
  int last = -1;
  for (int y = 0; y < surface.Height(); ++y) {
    if (surface.CountOf(ink, Rect(0, y, surface.Width(), y + 1)) > 0) {
      if (first < 0) first = y;
      last = y;
    }
  }
  return {first, last};
}

class LabelTest : public FormTest {
 protected:
  TLabel* AddLabel(const TRect& bounds, bool autoSize) {
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetAutoSize(autoSize);
    label->SetBoundsRect(bounds);
    return label;
  }
};

TEST_F(LabelTest, AutoSizeFollowsTextAndFontAndKeepsTheRightEdgeOfARightAlignedLabel) {
  TLabel* label = AddLabel(Bounds(200, 10, 65, 17), true);
  label->SetCaption(L"Question bank");
  const TSize size = TextSize(label, L"Question bank");
  EXPECT_EQ(label->GetBoundsRect(), Bounds(200, 10, size.cx, size.cy));

  label->GetFont()->SetSize(20);  // a bigger font makes a bigger label
  EXPECT_EQ(label->GetHeight(), TextSize(label, L"Question bank").cy);
  EXPECT_GT(label->GetHeight(), size.cy);

  label->GetFont()->SetSize(9);
  label->SetAlignment(taRightJustify);
  const int right = label->GetLeft() + label->GetWidth();
  label->SetCaption(L"Q");
  EXPECT_EQ(label->GetLeft() + label->GetWidth(), right);
  EXPECT_EQ(label->GetWidth(), TextSize(label, L"Q").cx);

  // An empty caption keeps the height of a line.
  label->SetCaption(L"");
  EXPECT_EQ(label->GetHeight(), TextSize(label, L" ").cy);
  EXPECT_GT(label->GetHeight(), 0);

  // Without AutoSize the bounds stay.
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 50, 40);
  label->SetCaption(L"A much longer caption than before");
  EXPECT_EQ(label->GetBoundsRect(), Bounds(10, 10, 50, 40));
}

TEST_F(LabelTest, WordWrapKeepsTheWidthAndGrowsTheHeight) {
  TLabel* label = AddLabel(Bounds(10, 10, 60, 17), false);
  label->SetCaption(L"one two three four five six");
  label->SetWordWrap(true);
  label->SetAutoSize(true);
  EXPECT_EQ(label->GetWidth(), TextSize(label, label->GetCaption(), DT_WORDBREAK, 60).cx);
  EXPECT_LE(label->GetWidth(), 60);
  EXPECT_EQ(label->GetHeight(), TextSize(label, label->GetCaption(), DT_WORDBREAK, 60).cy);
  EXPECT_GT(label->GetHeight(), TextSize(label, L"one").cy);
}

TEST_F(LabelTest, PaintsTheTextWhereLayoutAndAlignmentSay) {
  TLabel* label = AddLabel(Rect(0, 0, 120, 60), false);
  label->SetColor(clWhite);
  label->GetFont()->SetColor(clBlack);
  label->SetCaption(L"WWW");
  const TSize text = TextSize(label, L"WWW");

  // The ink of the text drawn at the top of a rectangle by the system: a label aligned to
  // the top has exactly these rows, one aligned to the bottom has them moved down by the
  // whole spare height (its text cell touches the bottom edge).
  MemorySurface reference(120, 60, clWhite);
  reference.Canvas.SetFont(label->GetFont());
  RECT cell{0, 0, 120, 60};
  ::DrawTextW(reference.Canvas.GetHandle(), L"WWW", -1, &cell, DT_EXPANDTABS);
  const auto referenceRows = InkRows(reference, clBlack);
  ASSERT_GE(referenceRows.first, 0);
  const int spare = 60 - text.cy;

  MemorySurface top(120, 60, clRed);
  PaintInto(label, top);
  EXPECT_EQ(top.CountOf(clRed, Rect(0, 0, 120, 60)), 0);  // opaque: filled with Color
  const auto topRows = InkRows(top, clBlack);
  EXPECT_EQ(topRows, referenceRows);
  // Left-justified: no ink in the right half.
  EXPECT_EQ(top.CountOf(clBlack, Rect(text.cx + 1, 0, 120, 60)), 0);

  label->SetLayout(tlBottom);
  label->SetAlignment(taRightJustify);
  MemorySurface bottom(120, 60, clRed);
  PaintInto(label, bottom);
  const auto bottomRows = InkRows(bottom, clBlack);
  EXPECT_EQ(bottomRows, std::make_pair(referenceRows.first + spare, referenceRows.second + spare));
  EXPECT_EQ(bottom.CountOf(clBlack, Rect(0, 0, 120 - text.cx - 1, 60)), 0);

  label->SetLayout(tlCenter);
  MemorySurface centre(120, 60, clRed);
  PaintInto(label, centre);
  const auto centreRows = InkRows(centre, clBlack);
  EXPECT_EQ(centreRows,
            std::make_pair(referenceRows.first + spare / 2, referenceRows.second + spare / 2));

  // A transparent label leaves what is under it.
  label->SetTransparent(true);
  MemorySurface clear(120, 60, clRed);
  PaintInto(label, clear);
  EXPECT_GT(clear.CountOf(clRed, Rect(0, 0, 120, 60)), 120 * 60 / 2);
  EXPECT_GT(clear.CountOf(clBlack, Rect(0, 0, 120, 60)), 0);
}

TEST_F(LabelTest, AcceleratorFocusesTheFocusControlAndForgetsItWhenItGoes) {
  ReadLayout(
      L"object Form1: TButtonsForm\n"
      L"  object Label1: TLabel\n"
      L"    Left = 8\n    Top = 8\n    Caption = '&Name'\n    FocusControl = CheckBox2\n  end\n"
      L"  object CheckBox1: TCheckBox\n    Left = 8\n    Top = 40\n    Caption = 'First'\n  end\n"
      L"  object CheckBox2: TCheckBox\n    Left = 8\n    Top = 70\n    Caption = 'Second'\n  end\n"
      L"end\n");
  auto* label = Find<TLabel>(L"Label1");
  auto* first = Find<TCheckBox>(L"CheckBox1");
  auto* second = Find<TCheckBox>(L"CheckBox2");
  ASSERT_TRUE(label && first && second);
  EXPECT_EQ(label->GetFocusControl(), second);
  // Loaded sized the label to its caption.
  EXPECT_EQ(label->GetHeight(), TextSize(label, L"&Name").cy);
  ShowForm();
  first->SetFocus();
  ASSERT_TRUE(first->Focused());

  PressAltChar(L'n');
  EXPECT_TRUE(second->Focused());
  EXPECT_EQ(second->GetState(), cbUnchecked);  // focusing does not click it

  delete second;
  EXPECT_EQ(label->GetFocusControl(), nullptr);
  first->SetFocus();
  PressAltChar(L'n');  // nothing to focus now; nothing breaks
  EXPECT_TRUE(first->Focused());

  // Without ShowAccelChar the '&' is text and no accelerator.
  label->SetFocusControl(first);
  label->SetShowAccelChar(false);
  EXPECT_EQ(label->GetWidth(), TextSize(label, L"&&Name").cx);
}

}  // namespace
