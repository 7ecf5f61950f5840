// The button core on a real form, driven by the mouse and key messages the system would
// deliver: the group rules of Down (press, drag out, release outside, AllowAllUp), toggling
// on release, a cancelled press, the right button, Enter and Esc, accelerators and bold
// captions.
#include <gtest/gtest.h>

#include <map>

#include "controls/imagebutton/fcButton.h"
#include "tests/classlib/stdctrls/ButtonsTestSupport.h"
#include "tests/controls/imagebutton/WindowTestSupport.h"

using namespace button_tests;

namespace {

class FcButtonTest : public FormTest {
 protected:
  TfcCustomBitBtn* NewButton(int left, int top, int groupIndex, const String& caption = L"") {
    auto* button = new TfcCustomBitBtn(Form);
    button->SetParent(Form);
    button->SetBounds(left, top, 60, 30);
    button->SetGroupIndex(groupIndex);
    button->SetCaption(caption);
    button->SetOnClick([this](TObject* sender) { ++Clicks[sender]; });
    button->OnSelChange = [this](TObject* sender) { ++SelChanges[sender]; };
    return button;
  }
  static void Post(TWinControl* c, UINT msg, WPARAM keys, int x, int y) {
    ::PostMessageW(c->GetHandle(), msg, keys, At(x, y));
    Pump();
  }
  static void Press(TWinControl* c, int x, int y) { Post(c, WM_LBUTTONDOWN, MK_LBUTTON, x, y); }
  static void Drag(TWinControl* c, int x, int y) { Post(c, WM_MOUSEMOVE, MK_LBUTTON, x, y); }
  static void Release(TWinControl* c, int x, int y) { Post(c, WM_LBUTTONUP, 0, x, y); }
  static void Click(TWinControl* c) {
    Press(c, 10, 10);
    Release(c, 10, 10);
  }
  void ResetCounts() {
    Clicks.clear();
    SelChanges.clear();
  }

  std::map<TObject*, int> Clicks;
  std::map<TObject*, int> SelChanges;
};

TEST_F(FcButtonTest, GroupedButtonsAreMutuallyExclusiveAndTellBothSides) {
  ShowForm();
  TfcCustomBitBtn* a = NewButton(10, 10, 1);
  TfcCustomBitBtn* b = NewButton(80, 10, 1);
  TfcCustomBitBtn* other = NewButton(150, 10, 2);
  other->SetDown(true);
  Pump();
  ResetCounts();
  Click(a);
  EXPECT_TRUE(a->GetDown());
  EXPECT_TRUE(a->GetSelected());
  EXPECT_EQ(Clicks[a], 1);
  EXPECT_EQ(SelChanges[a], 1);
  ResetCounts();
  Click(b);
  EXPECT_TRUE(b->GetDown());
  EXPECT_FALSE(a->GetDown());
  EXPECT_FALSE(a->GetSelected());
  EXPECT_EQ(SelChanges[a], 1);  // released by b
  EXPECT_EQ(SelChanges[b], 1);
  EXPECT_EQ(SelChanges[other], 0);
  EXPECT_TRUE(other->GetDown());  // another group is not touched
  // Setting Down in code does the same.
  ResetCounts();
  a->SetDown(true);
  EXPECT_FALSE(b->GetDown());
  EXPECT_EQ(SelChanges[b], 1);
  EXPECT_EQ(SelChanges[a], 1);
}

TEST_F(FcButtonTest, ADownRadioButtonStaysDownUnlessAllUpIsAllowed) {
  ShowForm();
  TfcCustomBitBtn* a = NewButton(10, 10, 1);
  a->SetDown(true);
  ResetCounts();
  Click(a);
  EXPECT_TRUE(a->GetDown());
  EXPECT_EQ(SelChanges[a], 0);
  EXPECT_EQ(Clicks[a], 1);
  a->SetAllowAllUp(true);
  Click(a);
  EXPECT_FALSE(a->GetDown());
  EXPECT_EQ(SelChanges[a], 1);
}

TEST_F(FcButtonTest, APressDraggedOutAndReleasedOutsideLeavesTheGroupAsItWas) {
  ShowForm();
  TfcCustomBitBtn* a = NewButton(10, 10, 1);
  TfcCustomBitBtn* b = NewButton(80, 10, 1);
  b->SetDown(true);
  ResetCounts();
  Press(a, 10, 10);
  EXPECT_TRUE(a->GetDown());       // follows the pointer in...
  EXPECT_FALSE(a->GetSelected());  // ...but nothing is recorded yet
  Drag(a, 200, 10);
  EXPECT_FALSE(a->GetDown());      // ...and out
  Drag(a, 20, 12);
  EXPECT_TRUE(a->GetDown());
  Drag(a, -40, 12);
  Release(a, -40, 12);
  EXPECT_FALSE(a->GetDown());
  EXPECT_TRUE(b->GetDown());
  EXPECT_EQ(Clicks[a], 0);
  EXPECT_EQ(SelChanges[a] + SelChanges[b], 0);
  // Released outside without a move first: put back all the same.
  Press(a, 10, 10);
  Release(a, 300, 200);
  EXPECT_FALSE(a->GetDown());
  EXPECT_TRUE(b->GetDown());
  EXPECT_EQ(Clicks[a], 0);
}

TEST_F(FcButtonTest, AnUngroupedButtonSpringsBackAndNeverStaysDown) {
  ShowForm();
  TfcCustomBitBtn* a = NewButton(10, 10, 0);
  Press(a, 5, 5);
  EXPECT_TRUE(a->GetDown());
  Release(a, 5, 5);
  EXPECT_FALSE(a->GetDown());
  EXPECT_EQ(Clicks[a], 1);
  a->SetDown(true);
  EXPECT_FALSE(a->GetDown());
}

TEST_F(FcButtonTest, ToggleOnUpTogglesAtTheReleaseEvenOutside) {
  ShowForm();
  TfcCustomBitBtn* a = NewButton(10, 10, 1);
  a->SetAllowAllUp(true);
  a->SetOptions(TfcButtonOptions{boToggleOnUp});
  Press(a, 5, 5);
  EXPECT_FALSE(a->GetDown());
  Release(a, 250, 150);
  EXPECT_TRUE(a->GetDown());
  EXPECT_EQ(Clicks[a], 1);
  Click(a);
  EXPECT_FALSE(a->GetDown());
}

TEST_F(FcButtonTest, ACancelledPressAndTheRightButtonDoNotClick) {
  CursorRestore pointer;
  ShowForm();
  TfcCustomBitBtn* a = NewButton(10, 10, 1);
  Press(a, 5, 5);
  ASSERT_TRUE(a->GetDown());
  // The pointer is over the button, where a faked release would click.
  ::SetCursorPos(Form->GetLeft() + 15, Form->GetTop() + 15);
  ::SendMessageW(a->GetHandle(), WM_CANCELMODE, 0, 0);
  Pump();
  EXPECT_FALSE(a->GetDown());
  EXPECT_EQ(Clicks[a], 0);
  Release(a, 5, 5);
  EXPECT_EQ(Clicks[a], 0);
  ::PostMessageW(a->GetHandle(), WM_RBUTTONDOWN, MK_RBUTTON, At(5, 5));
  ::PostMessageW(a->GetHandle(), WM_RBUTTONUP, 0, At(5, 5));
  Pump();
  EXPECT_EQ(Clicks[a], 0);
  EXPECT_FALSE(a->GetDown());
}

TEST_F(FcButtonTest, EnterClicksTheActiveDefaultButtonAndEscTheCancelButton) {
  ShowForm();
  TfcCustomBitBtn* ok = NewButton(10, 10, 0, L"OK");
  TfcCustomBitBtn* cancel = NewButton(80, 10, 0, L"Cancel");
  ok->SetDefault(true);
  cancel->SetCancel(true);
  ok->SetModalResult(mrOk);
  Form->SetFocus();
  Pump();
  EXPECT_TRUE(ok->GetActive());
  PressKey(VK_RETURN);
  EXPECT_EQ(Clicks[ok], 1);
  EXPECT_EQ(Form->GetModalResult(), mrOk);
  EXPECT_EQ(Clicks[cancel], 0);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(Clicks[cancel], 1);
  EXPECT_EQ(Clicks[ok], 1);
  // Turned into a cancel kind on screen, the button answers Esc and no longer Enter.
  ok->SetKind(bkOK);
  ok->SetKind(bkCancel);
  Form->SetModalResult(mrNone);
  PressKey(VK_RETURN);
  EXPECT_EQ(Clicks[ok], 1);
  EXPECT_EQ(Form->GetModalResult(), mrNone);
}

TEST_F(FcButtonTest, AnAcceleratorClicksButDoesNotReleaseADownRadioButton) {
  ShowForm();
  TfcCustomBitBtn* a = NewButton(10, 10, 1, L"&A");
  TfcCustomBitBtn* b = NewButton(80, 10, 1, L"&B");
  a->SetDown(true);
  Form->SetFocus();
  Pump();
  ResetCounts();
  PressAltChar(L'a');
  EXPECT_TRUE(a->GetDown());
  EXPECT_EQ(Clicks[a], 1);
  PressAltChar(L'b');
  EXPECT_TRUE(b->GetDown());
  EXPECT_FALSE(a->GetDown());
  EXPECT_EQ(Clicks[b], 1);
}

TEST_F(FcButtonTest, AutoBoldFollowsDownOnGroupedButtons) {
  TfcCustomBitBtn* a = NewButton(10, 10, 1, L"A");
  TfcCustomBitBtn* b = NewButton(80, 10, 1, L"B");
  a->SetOptions(TfcButtonOptions{boAutoBold});
  b->SetOptions(TfcButtonOptions{boAutoBold});
  a->SetDown(true);
  EXPECT_TRUE(a->GetFont()->GetStyle().Contains(fsBold));
  b->SetDown(true);
  EXPECT_FALSE(a->GetFont()->GetStyle().Contains(fsBold));
  EXPECT_TRUE(b->GetFont()->GetStyle().Contains(fsBold));
  b->SetOptions(TfcButtonOptions{});
  EXPECT_TRUE(b->GetFont()->GetStyle().Contains(fsBold));  // stays as it was
}

TEST_F(FcButtonTest, AGlyphAtAnOddPlaceIsDrawnOnePixelFurtherLeft) {
  TfcCustomBitBtn* a = NewButton(10, 10, 0);  // 60 x 30: a 16-wide glyph starts at 22
  TBitmap glyph;
  glyph.SetPixelFormat(pf24bit);
  glyph.SetSize(16, 16);
  glyph.GetCanvas()->GetBrush()->SetColor(clRed);
  glyph.GetCanvas()->FillRect(TRect(0, 0, 16, 16));
  glyph.GetCanvas()->SetPixels(0, 15, clWhite);  // the bottom-left pixel: transparent
  a->SetGlyph(&glyph);
  const auto firstRed = [&] {
    MemorySurface face(60, 30);
    a->PaintToDC(face.DC());
    for (int x = 0; x < 60; ++x)
      if (face.At(x, 15) == clRed) return x;
    return -1;
  };
  EXPECT_EQ(firstRed(), 22);
  a->GetOffsets()->SetGlyphX(1);
  EXPECT_EQ(firstRed(), 22);  // 23 is odd
  a->GetOffsets()->SetGlyphX(2);
  EXPECT_EQ(firstRed(), 24);
}

TEST_F(FcButtonTest, KindsSetTheirValuesAndTurnCustomWhenOneChanges) {
  TfcCustomBitBtn* a = NewButton(10, 10, 0);
  a->SetKind(bkOK);
  EXPECT_TRUE(a->GetDefault());
  EXPECT_EQ(a->GetModalResult(), mrOk);
  EXPECT_EQ(a->GetCaption(), BitBtnCaption(bkOK));
  EXPECT_EQ(a->GetKind(), bkOK);  // before it turns custom below
  a->SetDefault(false);
  EXPECT_EQ(a->GetKind(), bkCustom);
  a->SetMargin(-5);
  EXPECT_EQ(a->GetMargin(), -1);
  a->SetNumGlyphs(9);
  EXPECT_EQ(a->GetNumGlyphs(), 4);
}

}  // namespace
