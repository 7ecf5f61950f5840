// The combo edit's button and typing rules, typing with thousands grouping, the currency
// edit read from a layout, and the calculator keypad in its dialog layout clicked with the
// mouse and typed at.
#include <gtest/gtest.h>

#include "ExtendedTestSupport.h"
#include "classlib/stdctrls/Clipboard.h"
#include "controls/extended/CurrEdit.h"
#include "tests/classlib/stdctrls/EditTestSupport.h"

using extended_tests::FixedLocale;
using stdctrl_tests::Pump;

class ComboEditTest : public edit_tests::EditFormTest {
 protected:
  void SetUp() override {
    EditFormTest::SetUp();
    Locale = std::make_unique<FixedLocale>();
  }
  void TearDown() override {
    EditFormTest::TearDown();
    Locale.reset();
  }
  // A left click on a windowless control, as its parent window receives it.
  void ClickControl(TControl* control) {
    const TPoint at = control->GetParent()->ScreenToClient(control->ClientToScreen(TPoint(4, 4)));
    edit_tests::ClickWindow(control->GetParent()->GetHandle(), at.X, at.Y);
  }
  std::unique_ptr<FixedLocale> Locale;
};

TEST_F(ComboEditTest, ButtonWidthAndGlyphKinds) {
  auto* edit = new TCustomNumEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 10, 100, 21);
  ShowForm();
  EXPECT_EQ(edit->GetGlyphKind(), gkDefault);
  EXPECT_EQ(edit->GetNumGlyphs(), 2);
  edit->SetButtonWidth(100);
  EXPECT_EQ(edit->GetButtonWidth(), 20) << "not below the client width: refused";
  edit->SetButtonWidth(1);
  EXPECT_EQ(edit->GetButtonWidth(), 1);
  EXPECT_FALSE(edit->GetButton()->GetParent()->GetVisible()) << "0 or 1 hides the button";
  edit->SetButtonWidth(21);
  EXPECT_TRUE(edit->GetButton()->GetParent()->GetVisible());
  edit->SetGlyphKind(gkEllipsis);
  EXPECT_EQ(edit->GetGlyph()->GetWidth(), 15);
  EXPECT_EQ(edit->GetGlyph()->GetHeight(), 4);
  EXPECT_EQ(edit->GetNumGlyphs(), 1);
  edit->SetGlyphKind(gkDropDown);
  EXPECT_EQ(edit->GetButtonWidth(), ::GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_FALSE(edit->GetGlyph()->GetEmpty());
  edit->SetHeight(4);
  EXPECT_GT(edit->GetHeight(), 10) << "never lower than a line of text";
  TBitmap own;
  own.SetSize(8, 8);
  edit->SetGlyph(&own);
  EXPECT_EQ(edit->GetGlyphKind(), gkCustom);
}

TEST_F(ComboEditTest, WithoutDirectInputOnlyTheDropDownChangesTheText) {
  auto* edit = new TCustomNumEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 10, 100, 21);
  edit->SetValue(4);
  edit->SetDirectInput(false);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit_tests::Type(L"7");
  Clipboard()->SetAsText(L"9");
  ::SendMessageW(edit->GetHandle(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit->GetText(), L"4");
  edit->SelectAll();
  EXPECT_EQ(edit_tests::EditSelection(edit->GetHandle()).second -
                edit_tests::EditSelection(edit->GetHandle()).first,
            0)
      << "select-all selects nothing";
  ::PostMessageW(edit->GetHandle(), WM_SYSKEYDOWN, VK_DOWN,
                 stdctrl_tests::KeyData(VK_DOWN, false) | (1 << 29));
  Pump();
  ASSERT_TRUE(edit->GetPopupVisible());
  edit_tests::KeyTargetRef() = edit->GetHandle();
  edit_tests::Type(L"*2=");
  EXPECT_EQ(edit->GetValue(), 8);
  edit->SetEditReadOnly(true);
  edit->ButtonClicked();
  EXPECT_FALSE(edit->GetPopupVisible()) << "a read-only edit opens nothing";
}

TEST_F(ComboEditTest, FormatOnEditingGroupsThousandsWhileTyping) {
  auto* edit = new TCurrencyEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 10, 100, 21);
  edit->SetDisplayFormat(L",0.##");
  edit->SetFormatOnEditing(true);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit->SelectAll();
  edit_tests::Type(L"1234567.5");
  EXPECT_EQ(edit->GetText(), L"1,234,567.5");
  EXPECT_EQ(edit->GetValue(), 1234567.5);
}

TEST_F(ComboEditTest, CurrencyEditFromALayout) {
  ReadLayout(
      L"object EditsForm: TEditsForm\n"
      L"  object Currencyedit1: TCurrencyEdit\n"
      L"    Left = 10\n    Top = 10\n    Width = 40\n    Height = 20\n"
      L"    DisplayFormat = '0.0'\n    MaxValue = 30\n    MinValue = 0.1\n    Value = 12.5\n"
      L"    DecimalPlaces = 1\n    OnChange = Changed\n    Text = 'abc'\n"
      L"  end\n"
      L"end\n");
  auto* edit = Find<TCurrencyEdit>(L"Currencyedit1");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetValue(), 12.5);
  EXPECT_EQ(edit->GetPaintText(), L"12.5");
  EXPECT_EQ(edit->GetDecimalPlaces(), 1u);
  const String written = ComponentToText(Form);
  EXPECT_NE(written.find(L"DisplayFormat = '0.0'"), String::npos);
  EXPECT_EQ(written.find(L"BeepOnError"), String::npos);
  EXPECT_EQ(written.find(L"Text ="), String::npos);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  Form->Reset();
  edit->SelectAll();
  edit_tests::Type(L"3");
  EXPECT_EQ(Form->Count(L"Change", edit), 1) << "typing changes; the control's own writes do not";
}

TEST_F(ComboEditTest, TheDialogKeypadByMouseAndKeyboard) {
  auto* panel = new TCalculatorPanel(Form, clDialog);
  panel->SetParent(Form);
  panel->SetBounds(10, 10, 240, 129);
  int oks = 0;
  panel->OnOk = [&](TObject*) { ++oks; };
  ShowForm();
  extended_tests::SaveScreenshot(Form->GetHandle(), "calculator_dialog_layout");
  EXPECT_FALSE(panel->KeyOfKind(27)->GetGlyph()->GetEmpty()) << "OK shows a glyph";
  EXPECT_EQ(panel->KeyOfKind(17)->GetCaption(), L"sqrt");
  EXPECT_EQ(panel->KeyOfKind(13)->GetFont()->GetColor(), clPurple);
  EXPECT_EQ(panel->KeyOfKind(22)->GetFont()->GetColor(), clMaroon);
  EXPECT_EQ(panel->KeyOfKind(23)->GetFont()->GetColor(), clNavy);
  ClickControl(panel->KeyOfKind(2));   // 1
  ClickControl(panel->KeyOfKind(16));  // +
  ClickControl(panel->KeyOfKind(3));   // 2
  ClickControl(panel->KeyOfKind(20));  // =
  EXPECT_EQ(panel->Engine().GetText(), L"3");
  ClickControl(panel->KeyOfKind(24));  // MS
  EXPECT_EQ(panel->GetMemoryText(), L"M");
  panel->CalcKeyPress(L'c');
  ClickControl(panel->KeyOfKind(25));  // MR
  EXPECT_EQ(panel->Engine().GetText(), L"3");
  ClickControl(panel->KeyOfKind(26));  // MC
  EXPECT_EQ(panel->GetMemoryText(), L"");
  for (wchar_t ch : String(L"C9,5*2\r")) panel->CalcKeyPress(ch);
  EXPECT_EQ(panel->Engine().GetText(), L"19");
  panel->Copy();
  EXPECT_EQ(Clipboard()->GetAsText(), L"19");
  Clipboard()->SetAsText(L" $42.5 ");
  panel->Paste();
  EXPECT_EQ(panel->Engine().GetText(), L"42.5");
  Clipboard()->SetAsText(L"forty");
  panel->Paste();
  EXPECT_EQ(panel->Engine().GetText(), L"0");
  ClickControl(panel->KeyOfKind(27));
  EXPECT_EQ(oks, 1);
  panel->CalcKeyPress(L'/');
  panel->CalcKeyPress(L'0');
  panel->CalcKeyPress(L'=');
  ClickControl(panel->KeyOfKind(27));
  EXPECT_EQ(oks, 1) << "OK in the error state only beeps";
  panel->SetCtl3D(false);
  EXPECT_EQ(panel->KeyOfKind(5)->GetStyle(), bsWin31);
  panel->SetCtl3D(true);
  EXPECT_EQ(panel->KeyOfKind(5)->GetStyle(), bsNew);
}
