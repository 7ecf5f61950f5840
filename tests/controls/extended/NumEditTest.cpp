// The number edit as the settings window uses it (created in code, its range and format set,
// its value set and read), typing filtered by real key messages, leaving the box out of
// range, pasting, and the drop-down calculator of the combo edit opened by its button and by
// Alt+Down with the focus staying in the edit.
#include <gtest/gtest.h>

#include "ExtendedTestSupport.h"
#include "classlib/stdctrls/Clipboard.h"
#include "controls/extended/CurrEdit.h"
#include "tests/classlib/stdctrls/EditTestSupport.h"

using extended_tests::FixedLocale;
using stdctrl_tests::Pump;

namespace {

LPARAM AltKeyData(WORD vk) { return stdctrl_tests::KeyData(vk, false) | (1 << 29); }

}  // namespace

TEST(ComboEdit, DropDownOpensBelowOrAboveAndStaysOnTheScreen) {
  struct Case {
    TRect edit;
    TSize popup;
    TPopupAlign align;
    TPoint expected;
  } cases[] = {
      {TRect(100, 100, 200, 121), TSize(150, 80), epaRight, TPoint(50, 121)},   // right edges line up
      {TRect(100, 100, 200, 121), TSize(150, 80), epaLeft, TPoint(100, 121)},
      {TRect(20, 100, 120, 121), TSize(150, 80), epaRight, TPoint(20, 121)},    // would go below 0
      {TRect(100, 700, 200, 721), TSize(150, 80), epaRight, TPoint(50, 620)},   // opens above
      {TRect(950, 100, 1020, 121), TSize(150, 80), epaLeft, TPoint(870, 121)},  // pulled left
      {TRect(0, 100, 50, 121), TSize(2000, 80), epaLeft, TPoint(-976, 121)},    // wider than the screen
  };
  for (const Case& c : cases) {
    const TPoint p = TCustomComboEdit::DropDownOrigin(c.edit, c.popup, c.align, 1024, 768);
    EXPECT_EQ(p, c.expected) << c.edit.Left << "," << c.edit.Top;
  }
}

class NumEditTest : public edit_tests::EditFormTest {
 protected:
  void SetUp() override {
    EditFormTest::SetUp();
    Locale = std::make_unique<FixedLocale>();
  }
  void TearDown() override {
    EditFormTest::TearDown();
    Locale.reset();
  }
  // As the settings window makes its answer-time edits.
  TCurrencyEdit* MakeTimeEdit(int row) {
    auto* edit = new TCurrencyEdit(Form);
    edit->SetName(L"Currencyedit" + IntToStr(row));
    edit->SetParent(Form);
    edit->SetBounds(10, 10 + 20 * (row - 1), 40, 20);
    edit->SetDisplayFormat(L"0.0");
    edit->SetMinValue(0.1);
    edit->SetMaxValue(30);
    return edit;
  }
  std::unique_ptr<FixedLocale> Locale;
};

TEST_F(NumEditTest, TheSettingsWindowsRoad) {
  TCurrencyEdit* edit = MakeTimeEdit(1);
  EXPECT_EQ(edit->GetButtonWidth(), 0);
  EXPECT_EQ(edit->GetPopup(), nullptr) << "no calculator window";
  EXPECT_EQ(edit->GetValue(), 0.1) << "setting the range re-clamps the value at once";
  edit->SetValue(45);
  EXPECT_EQ(edit->GetValue(), 30);
  edit->SetValue(0);
  EXPECT_EQ(edit->GetValue(), 0.1);
  edit->SetValue(2.5);
  EXPECT_EQ(edit->GetValue(), 2.5);
  EXPECT_EQ(edit->GetText(), L"2.5");
  EXPECT_EQ(edit->GetPaintText(), L"2.5");
  edit->SetValue(12);
  EXPECT_EQ(edit->GetPaintText(), L"12.0");
  edit->SetMaxValue(10);
  EXPECT_EQ(edit->GetValue(), 10);
  // A text that does not convert leaves the value stored last, never the minimum.
  edit->TCustomComboEdit::SetText(L"abc");
  EXPECT_EQ(edit->GetValue(), 10);
  EXPECT_THROW(edit->SetText(L"abc"), EConvertError);
  EXPECT_THROW(edit->SetText(L"1E999"), EConvertError) << "never infinity";
  edit->SetText(L"");
  EXPECT_EQ(edit->GetValue(), 0.1) << "an empty text reads as 0, then clamped";
}

TEST_F(NumEditTest, ZeroEmptyAndTheDefaultFormat) {
  auto* edit = new TCurrencyEdit(Form);
  edit->SetParent(Form);
  edit->SetDisplayFormat(L",0.##");
  EXPECT_EQ(edit->GetText(), L"") << "0 with ZeroEmpty";
  EXPECT_EQ(edit->GetPaintText(), L"0");
  edit->SetValue(1234.5);
  EXPECT_EQ(edit->GetText(), L"1234.5");
  EXPECT_EQ(edit->GetPaintText(), L"1,234.5");
  edit->SetZeroEmpty(false);
  edit->SetValue(0);
  EXPECT_EQ(edit->GetText(), L"0");
  edit->SetDecimalPlaces(0);
  edit->SetValue(2.6);
  EXPECT_EQ(edit->GetText(), L"3");
  EXPECT_EQ(edit->GetValue(), 3) << "the value follows the edit text when read";
  auto* currency = new TCurrencyEdit(Form);
  EXPECT_EQ(currency->GetDisplayFormat(), L"$,0.00;-$,0.00");
}

TEST_F(NumEditTest, TypingKeepsOnlyNumbers) {
  TCurrencyEdit* edit = MakeTimeEdit(1);
  edit->SetMinValue(0);
  edit->SetMaxValue(0);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit->SelectAll();
  edit_tests::Type(L"12a.3,45");
  EXPECT_EQ(edit->GetText(), L"12.34") << "a letter, a second separator and a third decimal refused";
  edit_tests::Type(L"x");
  EXPECT_EQ(edit->GetText(), L"12.34");
  edit->SelectAll();
  edit_tests::Type(L"-5");
  EXPECT_EQ(edit->GetText(), L"-5") << "negative numbers when the range allows them";
  edit->SetMinValue(0.1);
  edit->SetMaxValue(30);
  edit->SelectAll();
  edit_tests::Type(L"-");
  EXPECT_EQ(edit->GetText(), L"-") << "'-' alone reads as -0";
  edit_tests::Type(L"5");
  EXPECT_EQ(edit->GetText(), L"-") << "but not a negative number";
  extended_tests::SaveScreenshot(Form->GetHandle(), "number_edit_typing");
}

TEST_F(NumEditTest, LeavingOutOfRangeWithCheckOnExitReportsAndKeepsTheFocus) {
  TCurrencyEdit* edit = MakeTimeEdit(1);
  TCurrencyEdit* other = MakeTimeEdit(2);
  edit->SetCheckOnExit(true);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit->SelectAll();
  edit_tests::Type(L"45");
  String reported;
  Application->SetOnException([&](TObject*, Exception& e) { reported = e.Message(); });
  other->SetFocus();
  Pump();
  FailTestsOnApplicationExceptions();
  EXPECT_EQ(reported, L"Value must be between 0.10 and 30.00");
  EXPECT_EQ(::GetFocus(), edit->GetHandle()) << "the focus comes back";
  // Without CheckOnExit the value is clamped silently.
  edit->SetCheckOnExit(false);
  other->SetFocus();
  Pump();
  EXPECT_EQ(edit->GetValue(), 30);
  EXPECT_EQ(edit->GetText(), L"30");
}

TEST_F(NumEditTest, AnUnreadablePasteComesBack) {
  TCurrencyEdit* edit = MakeTimeEdit(1);
  edit->SetValue(5);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  Clipboard()->SetAsText(L"five");
  edit->SelectAll();
  ::SendMessageW(edit->GetHandle(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit->GetText(), L"5");
  EXPECT_EQ(edit->GetValue(), 5);
  Clipboard()->SetAsText(L"7.5");
  edit->SelectAll();
  ::SendMessageW(edit->GetHandle(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit->GetValue(), 7.5);
}

TEST_F(NumEditTest, TheCalculatorDropsDownAndReturnsItsValue) {
  auto* edit = new TCustomNumEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 10, 120, 21);
  auto* other = new TCurrencyEdit(Form);
  other->SetParent(Form);
  other->SetBounds(10, 60, 60, 21);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  ASSERT_NE(edit->GetPopup(), nullptr);
  EXPECT_GE(edit->GetButtonWidth(), 20);
  // The button opens it; the edit keeps the focus.
  TEditButton* button = edit->GetButton();
  const TPoint onButton = button->ClientToScreen(TPoint(5, 5));
  const TPoint inFrame = button->GetParent()->ScreenToClient(onButton);
  edit_tests::ClickWindow(button->GetParent()->GetHandle(), inFrame.X, inFrame.Y);
  ASSERT_TRUE(edit->GetPopupVisible());
  EXPECT_TRUE(::IsWindowVisible(edit->GetPopup()->GetHandle()));
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
  EXPECT_EQ(::GetActiveWindow(), Form->GetHandle()) << "the drop-down takes no activation";
  RECT popup{}, box{};
  ::GetWindowRect(edit->GetPopup()->GetHandle(), &popup);
  ::GetWindowRect(edit->GetHandle(), &box);
  EXPECT_EQ(popup.top, box.bottom) << "under the edit";
  extended_tests::SaveScreenshot(Form->GetHandle(), "calculator_dropdown");
  ::Sleep(50);
  {
    // The whole screen, with the drop-down over the form.
    extended_tests::SaveScreenshot(::GetDesktopWindow(), "calculator_dropdown_screen");
  }
  // Keys typed in the edit go to the calculator; '=' finishes and the value comes back.
  edit_tests::KeyTargetRef() = edit->GetHandle();
  edit_tests::Type(L"2+3=");
  stdctrl_tests::PumpUntil([&] { return !edit->GetPopupVisible(); }, 2000);
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetValue(), 5);
  // Alt+Down opens it again; Escape closes it and keeps the value.
  ::PostMessageW(edit->GetHandle(), WM_SYSKEYDOWN, VK_DOWN, AltKeyData(VK_DOWN));
  Pump();
  ASSERT_TRUE(edit->GetPopupVisible());
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
  edit_tests::Type(L"9");
  edit_tests::PressKey(VK_ESCAPE);
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetValue(), 5);
  // A click on another control closes it without taking its value.
  ::PostMessageW(edit->GetHandle(), WM_SYSKEYDOWN, VK_DOWN, AltKeyData(VK_DOWN));
  Pump();
  ASSERT_TRUE(edit->GetPopupVisible());
  edit_tests::Type(L"7");
  edit_tests::ClickWindow(other->GetHandle(), 5, 5);
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetValue(), 5);
  EXPECT_FALSE(::IsWindowVisible(edit->GetPopup()->GetHandle()));
  // Keys of the drop-down clicked with the mouse; '=' returns the value.
  ::PostMessageW(edit->GetHandle(), WM_SYSKEYDOWN, VK_DOWN, AltKeyData(VK_DOWN));
  Pump();
  ASSERT_TRUE(edit->GetPopupVisible());
  auto* calculator = dynamic_cast<TPopupCalculator*>(edit->GetPopup());
  ASSERT_NE(calculator, nullptr);
  for (int kind : {5, 14, 4, 20}) {  // 4 * 3 =
    TCalcButton* key = calculator->GetCalculator()->KeyOfKind(kind);
    ASSERT_NE(key, nullptr);
    const TPoint at = key->GetParent()->ScreenToClient(key->ClientToScreen(TPoint(5, 5)));
    edit_tests::ClickWindow(key->GetParent()->GetHandle(), at.X, at.Y);
  }
  edit_tests::KeyTargetRef() = edit->GetHandle();
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetValue(), 12);
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
}

TEST_F(NumEditTest, AltDownWithoutAButtonDoesNothing) {
  TCurrencyEdit* edit = MakeTimeEdit(1);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  ::PostMessageW(edit->GetHandle(), WM_SYSKEYDOWN, VK_DOWN, AltKeyData(VK_DOWN));
  Pump();
  EXPECT_FALSE(edit->GetPopupVisible());
}
