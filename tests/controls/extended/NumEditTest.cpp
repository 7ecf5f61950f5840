// The number edit as the settings window uses it (created in code, its range and format set,
// its value set and read), typing filtered by real key messages (line breaks, tabs and spaces
// kept out, an input method's result filtered too), leaving the box out of range, pasting,
// the drop-down calculator of the combo edit opened by its button and by Alt+Down with the
// focus staying in the edit; the combo edit's button and typing rules, thousands grouping
// while typing, the currency edit read from a layout, and the calculator keypad in its dialog
// layout clicked with the mouse and typed at.
#include <gtest/gtest.h>

#include "ExtendedTestSupport.h"
#include "classlib/controls/MiddleEast.h"
#include "classlib/stdctrls/Buttons.h"
#include "classlib/stdctrls/Clipboard.h"
#include "controls/extended/CurrEdit.h"
#include "tests/KeyInput.h"

using extended_tests::BoundsOf;
using extended_tests::ClickControl;
using extended_tests::PaintInto;
using extended_tests::PressAltDown;
using stdctrl_tests::Pump;

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

class NumEditTest : public extended_tests::LocaleFormTest {
 protected:
  // As the settings window makes its answer-time edits.
  TCurrencyEdit* MakeTimeEdit(int row) {
    auto* edit = Add<TCurrencyEdit>(10, 10 + 20 * (row - 1), 40, 20);
    edit->SetName(L"Currencyedit" + IntToStr(row));
    edit->SetDisplayFormat(L"0.0");
    edit->SetMinValue(0.1);
    edit->SetMaxValue(30);
    return edit;
  }
};
class ComboEditTest : public NumEditTest {};

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
  auto* edit = Add<TCurrencyEdit>(10, 10, 100, 21);
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
  PressAltDown(edit->GetHandle());
  EXPECT_FALSE(edit->GetPopupVisible()) << "no button, no drop-down";
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
  // Characters past the single bytes meet the filter too, typed or from an input method.
  edit->SelectAll();
  edit_tests::Type(L"5\u3002\uff11\u4e2d\uff0e");
  for (const wchar_t ch : String(L"\uff11\u4e2d.2")) ::PostMessageW(edit->GetHandle(), WM_IME_CHAR, ch, 1);
  Pump();
  EXPECT_EQ(edit->GetText(), L"5.2") << "full-width digits and points, 。 and Chinese text refused";
  extended_tests::SaveScreenshot(Form->GetHandle(), "number_edit_typing");
}

// The box is a multi-line window (the button's room needs one). Line feeds (Ctrl+Enter,
// Ctrl+J), tabs (Tab, Ctrl+I) and spaces typed on the keyboard before, inside or after the
// number put nothing into it, nor does a paste with a space; Backspace and the clipboard and
// undo keys still work.
TEST_F(NumEditTest, NoLineBreakTabOrSpaceGoesIntoTheBox) {
  TCurrencyEdit* edit = MakeTimeEdit(1);
  edit->SetValue(12);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  const auto caretAt = [&](int at) {
    edit->SetValue(12);
    edit->SetSelStart(at);
    Pump();
  };
  const std::initializer_list<WORD> chords[] = {
      {VK_CONTROL, VK_RETURN}, {VK_CONTROL, 'J'}, {VK_TAB}, {VK_CONTROL, 'I'}, {VK_SPACE}};
  for (const int at : {2, 1, 0})
    for (const auto& chord : chords) {
      caretAt(at);
      EXPECT_TRUE(TypeChord(chord));
      Pump();
      EXPECT_EQ(edit->GetText(), L"12") << "key " << *(chord.end() - 1) << " at " << at;
    }
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
  // Pasted blanks are undone as an unreadable paste is.
  for (const wchar_t* pasted : {L"3 ", L" 3"}) {
    Clipboard()->SetAsText(pasted);
    caretAt(0);
    edit->SelectAll();
    ::SendMessageW(edit->GetHandle(), WM_PASTE, 0, 0);
    EXPECT_EQ(edit->GetText(), L"12") << StringToUtf8(pasted);
  }
  // The keys that edit without typing a character.
  caretAt(2);
  EXPECT_TRUE(TypeChord({VK_BACK}));
  Pump();
  EXPECT_EQ(edit->GetText(), L"1");
  edit->SelectAll();
  EXPECT_TRUE(TypeChord({VK_CONTROL, 'C'}));
  Pump();
  EXPECT_EQ(Clipboard()->GetAsText(), L"1");
  EXPECT_TRUE(TypeChord({VK_CONTROL, 'X'}));
  Pump();
  EXPECT_EQ(edit->GetText(), L"");
  EXPECT_TRUE(TypeChord({VK_CONTROL, 'V'}));
  EXPECT_TRUE(TypeChord({VK_CONTROL, 'V'}));
  Pump();
  EXPECT_EQ(edit->GetText(), L"11");
  EXPECT_TRUE(TypeChord({VK_CONTROL, 'Z'}));
  Pump();
  EXPECT_NE(edit->GetText(), L"11") << "undone";
}

// An input method's result goes through the typing filter character by character: after
// "1", a completed "2中" gives "12" (the system's input method context of the window,
// given a composition and told to complete it).
TEST_F(NumEditTest, AnInputMethodsResultIsFilteredNotDropped) {
  TCurrencyEdit* edit = MakeTimeEdit(1);
  edit->SetValue(1);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit->SetSelStart(1);
  EXPECT_TRUE(edit_tests::CompleteComposition(edit->GetHandle(), L"2\u4e2d"));
  EXPECT_EQ(edit->GetText(), L"12");
}

// A composition being made is shown in the input method's own window, not in the box: "zh"
// begun after "1" leaves the text "1", and Tab leaves the box with no error.
TEST_F(NumEditTest, ACompositionBeingMadeStaysOutOfTheText) {
  TCurrencyEdit* edit = MakeTimeEdit(1);
  TCurrencyEdit* other = MakeTimeEdit(2);
  edit->SetValue(1);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit->SetSelStart(1);
  ASSERT_TRUE(edit_tests::StartComposition(edit->GetHandle(), L"zh"));
  EXPECT_EQ(edit->GetText(), L"1");
  String reported;
  Application->SetOnException([&](TObject*, Exception& e) { reported = e.Message(); });
  edit_tests::PressKey(VK_TAB);
  FailTestsOnApplicationExceptions();
  EXPECT_EQ(reported, L"");
  EXPECT_EQ(edit->GetText(), L"1");
  EXPECT_EQ(edit->GetValue(), 1);
  EXPECT_EQ(::GetFocus(), other->GetHandle()) << "the focus moves on";
}

// Deleting is not filtered: "1E5" less its last digit is a text that does not convert. The
// settings window saves what it then reads: the time set before, not the minimum.
TEST_F(NumEditTest, AnUnconvertibleTypedTextReadsAsTheValueStoredLast) {
  TCurrencyEdit* edit = MakeTimeEdit(1);
  edit->SetValue(12);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit->SelectAll();
  edit_tests::Type(L"15");
  edit_tests::PressKey(VK_LEFT);
  edit_tests::Type(L"E");
  edit_tests::PressKey(VK_DELETE);
  EXPECT_EQ(edit->GetText(), L"1E");
  EXPECT_EQ(edit->GetValue(), 12);
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
  auto* edit = Add<TCustomNumEdit>(10, 10, 120, 21);
  auto* other = Add<TCurrencyEdit>(10, 60, 60, 21);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  ASSERT_NE(edit->GetPopup(), nullptr);
  EXPECT_GE(edit->GetButtonWidth(), 20);
  // The button opens it; the edit keeps the focus.
  ClickControl(edit->GetButton());
  ASSERT_TRUE(edit->GetPopupVisible());
  EXPECT_TRUE(::IsWindowVisible(edit->GetPopup()->GetHandle()));
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
  EXPECT_EQ(::GetActiveWindow(), Form->GetHandle()) << "the drop-down takes no activation";
  RECT popup{}, box{};
  ::GetWindowRect(edit->GetPopup()->GetHandle(), &popup);
  ::GetWindowRect(edit->GetHandle(), &box);
  EXPECT_EQ(popup.top, box.bottom) << "under the edit";
  ::Sleep(50);
  // The whole screen, with the drop-down over the form.
  extended_tests::SaveScreenshot(::GetDesktopWindow(), "calculator_dropdown_screen");
  // Keys typed in the edit go to the calculator; '=' finishes and the value comes back.
  edit_tests::KeyTargetRef() = edit->GetHandle();
  edit_tests::Type(L"2+3=");
  stdctrl_tests::PumpUntil([&] { return !edit->GetPopupVisible(); }, 2000);
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetValue(), 5);
  // Alt+Down opens it again; Escape closes it and keeps the value.
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
  edit_tests::Type(L"9");
  edit_tests::PressKey(VK_ESCAPE);
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetValue(), 5);
  // A click on another control closes it without taking its value.
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  edit_tests::Type(L"7");
  edit_tests::ClickWindow(other->GetHandle(), 5, 5);
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetValue(), 5);
  EXPECT_FALSE(::IsWindowVisible(edit->GetPopup()->GetHandle()));
  // Keys of the drop-down clicked with the mouse; '=' returns the value.
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  auto* calculator = dynamic_cast<TPopupCalculator*>(edit->GetPopup());
  ASSERT_NE(calculator, nullptr);
  EXPECT_FALSE(calculator->GetCalculator()->GetEnabled()) << "it never takes the focus";
  EXPECT_TRUE(::IsWindowEnabled(calculator->GetCalculator()->GetHandle())) << "but the mouse";
  for (int kind : {5, 14, 4, 20}) {  // 4 * 3 =
    TCalcButton* key = calculator->GetCalculator()->KeyOfKind(kind);
    ASSERT_NE(key, nullptr);
    ClickControl(key);
  }
  edit_tests::KeyTargetRef() = edit->GetHandle();
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetValue(), 12);
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
}

TEST_F(NumEditTest, EnterIsTheCalculatorsEqualsAndAnErrorWaitsForClear) {
  auto* edit = Add<TCustomNumEdit>(10, 10, 120, 21);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  auto* calculator = dynamic_cast<TPopupCalculator*>(edit->GetPopup());
  ASSERT_NE(calculator, nullptr);
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  edit_tests::Type(L"2+3");
  edit_tests::PressKey(VK_RETURN);  // a real key: its character comes from the message loop
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetValue(), 5) << "Enter finishes the pending addition";
  // 1/0= shows the error; digits and Enter change nothing and the drop-down stays open.
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  edit_tests::Type(L"1/0=");
  EXPECT_EQ(calculator->GetDisplayValueText(), L"Error");
  edit_tests::Type(L"7.");
  edit_tests::PressKey(VK_RETURN);
  EXPECT_TRUE(edit->GetPopupVisible());
  EXPECT_EQ(calculator->GetDisplayValueText(), L"Error");
  ClickControl(calculator->GetCalculator()->KeyOfKind(2));  // the key "1" as well
  EXPECT_EQ(calculator->GetDisplayValueText(), L"Error");
  edit_tests::KeyTargetRef() = edit->GetHandle();
  // C leaves it; the next calculation comes back into the edit.
  edit_tests::Type(L"c4*2");
  edit_tests::PressKey(VK_RETURN);
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetValue(), 8);
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
}

// With the drop-down closed, Enter and Escape press the form's default and cancel buttons and
// then go on as typed: Enter reaches OnKeyPress, Escape also puts back the value's text.
TEST_F(NumEditTest, EnterAndEscapePressTheFormsButtonsAndGoOn) {
  TCurrencyEdit* edit = MakeTimeEdit(1);
  edit->SetValue(5);
  auto* ok = Add<TButton>(10, 40, 75, 25);
  auto* cancel = Add<TButton>(90, 40, 75, 25);
  ok->SetDefault(true);
  cancel->SetCancel(true);
  int oks = 0, cancels = 0, enters = 0;
  ok->SetOnClick([&](TObject*) { ++oks; });
  cancel->SetOnClick([&](TObject*) { ++cancels; });
  edit->SetOnKeyPress([&](TObject*, wchar_t& key) { enters += key == 13; });
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit_tests::PressKey(VK_RETURN);
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(enters, 1) << "Enter goes on to the edit's own handling";
  edit->SelectAll();
  edit_tests::Type(L"7");
  edit_tests::PressKey(VK_ESCAPE);
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(edit->GetText(), L"5") << "Escape goes on: the text of the value again";
  // Reset in code does what Escape does: the text of the value, selected.
  edit->SelectAll();
  edit_tests::Type(L"7");
  ASSERT_EQ(edit->GetText(), L"7");
  edit->Reset();
  EXPECT_EQ(edit->GetText(), L"5");
  EXPECT_EQ(edit_tests::EditSelection(edit->GetHandle()), std::make_pair(0, 1));
}

TEST_F(ComboEditTest, TheCaretIsMadeWhenTheEditTakesTheFocus) {
  auto* edit = Add<TCustomNumEdit>(10, 10, 120, 21);
  edit->GetFont()->SetStyle(TFontStyles{fsBold});
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(::GetGUIThreadInfo(::GetCurrentThreadId(), &info));
  EXPECT_EQ(info.hwndCaret, edit->GetHandle());
  EXPECT_EQ(info.rcCaret.right - info.rcCaret.left, 2) << "two pixels wide for a bold font";
}

TEST_F(ComboEditTest, ButtonWidthAndGlyphKinds) {
  auto* edit = Add<TCustomNumEdit>(10, 10, 100, 21);
  auto* windowless = new TCustomNumEdit(Form);
  windowless->SetBounds(0, 0, 100, 21);
  windowless->SetButtonWidth(100);
  EXPECT_EQ(windowless->GetButtonWidth(), 20) << "refused also before the window exists";
  ShowForm();
  edit->SetButtonWidth(100);
  EXPECT_EQ(edit->GetButtonWidth(), 20) << "not below the client width: refused";
  const auto textRight = [&] {
    RECT r{};
    ::SendMessageW(edit->GetHandle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r.right;
  };
  edit->SetButtonWidth(0);
  const LONG withoutButton = textRight();
  edit->SetButtonWidth(1);
  EXPECT_EQ(edit->GetButtonWidth(), 1);
  EXPECT_FALSE(edit->GetButton()->GetParent()->GetVisible()) << "0 or 1 hides the button";
  EXPECT_EQ(textRight(), withoutButton - 1) << "the text keeps clear of the hidden frame's width";
  edit->SetButtonWidth(21);
  EXPECT_TRUE(edit->GetButton()->GetParent()->GetVisible());
  edit->SetGlyphKind(gkEllipsis);
  EXPECT_EQ(edit->GetGlyph()->GetWidth(), 15);
  EXPECT_EQ(edit->GetGlyph()->GetHeight(), 4);
  EXPECT_EQ(edit->GetNumGlyphs(), 1);
  edit->SetGlyphKind(gkDropDown);
  EXPECT_EQ(edit->GetButtonWidth(), ::GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_FALSE(edit->GetGlyph()->GetEmpty());
  // The arrow keeps its width when the form is scaled; a width set again scales.
  Form->ScaleBy(3, 2);
  EXPECT_EQ(edit->GetButtonWidth(), ::GetSystemMetrics(SM_CXVSCROLL));
  edit->SetButtonWidth(24);
  Form->ScaleBy(3, 2);
  EXPECT_EQ(edit->GetButtonWidth(), 36);
  edit->SetHeight(4);
  EXPECT_GT(edit->GetHeight(), 10) << "never lower than a line of text";
  TBitmap own;
  own.SetSize(8, 8);
  edit->SetGlyph(&own);
  EXPECT_EQ(edit->GetGlyphKind(), gkCustom);
}

TEST_F(ComboEditTest, WithoutDirectInputOnlyTheDropDownChangesTheText) {
  auto* edit = Add<TCustomNumEdit>(10, 10, 100, 21);
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
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  edit_tests::KeyTargetRef() = edit->GetHandle();
  edit_tests::Type(L"*2=");
  EXPECT_EQ(edit->GetValue(), 8);
  edit->SetEditReadOnly(true);
  edit->ButtonClicked();
  EXPECT_FALSE(edit->GetPopupVisible()) << "a read-only edit opens nothing";
}

TEST_F(ComboEditTest, FormatOnEditingGroupsThousandsWhileTyping) {
  auto* edit = Add<TCurrencyEdit>(10, 10, 100, 21);
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
  auto* panel = new TCalculatorPanel(Form, clDialog);  // its keypad in the dialog layout
  panel->SetParent(Form);
  panel->SetBounds(10, 10, 240, 129);
  int oks = 0;
  panel->OnOk = [&](TObject*) { ++oks; };
  ShowForm();
  extended_tests::SaveScreenshot(Form->GetHandle(), "calculator_dialog_layout");
  EXPECT_FALSE(panel->KeyOfKind(27)->GetGlyph()->GetEmpty()) << "OK shows a glyph";
  EXPECT_FALSE(panel->GetMemoryLabel()->GetFont()->GetStyle().Contains(fsBold)) << "plain";
  EXPECT_TRUE(panel->KeyOfKind(5)->GetFont()->GetStyle().Contains(fsBold));
  Form->SetColor(clAqua);
  EXPECT_EQ(panel->GetColor(), clAqua) << "the panel takes its parent's colour";
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
  // The keys follow the panel's font, each in the colour of its kind.
  panel->GetFont()->SetSize(12);
  const struct {
    int Kind;
    TColor Color;
  } keys[] = {{5, clBtnText}, {17, clNavy}, {25, clNavy}, {16, clPurple}, {20, clPurple}, {22, clMaroon}};
  for (const auto& key : keys) {
    TCalcButton* button = panel->KeyOfKind(key.Kind);
    EXPECT_EQ(button->GetFont()->GetSize(), 12) << key.Kind;
    EXPECT_EQ(button->GetFont()->GetColor(), key.Color) << key.Kind;
    EXPECT_TRUE(button->GetParentFont()) << key.Kind;
  }
}

// The keypad's events carry the panel as sender; a display control mirrors the display text
// until it is freed.
TEST_F(ComboEditTest, TheKeypadsEventsAndItsDisplayControl) {
  auto* panel = new TCalculatorPanel(Form, clPopup);
  panel->SetParent(Form);
  auto* display = new TLabel(Form);
  display->SetParent(Form);
  display->SetBounds(120, 10, 100, 20);
  panel->SetDisplayControl(display);
  EXPECT_EQ(display->GetCaption(), L"0");
  std::vector<String> events;
  const auto record = [&](const wchar_t* name) {
    return [&events, panel, name](TObject* sender) {
      EXPECT_EQ(sender, panel) << StringToUtf8(name);
      events.push_back(name);
    };
  };
  panel->OnError = record(L"error");
  panel->OnResult = record(L"result");
  panel->OnDisplayChange = record(L"display");
  panel->OnTextChange = [&](TObject*) { events.push_back(L"text:" + display->GetCaption()); };
  panel->OnKey = [&](TObject* sender, wchar_t& key) {
    EXPECT_EQ(sender, panel);
    if (key == L'9') key = L'8';  // a handler may change the key
  };
  ShowForm();
  for (wchar_t ch : String(L"9+2=")) panel->CalcKeyPress(ch);
  EXPECT_EQ(display->GetCaption(), L"10");
  Form->Repaint();
  extended_tests::SaveScreenshot(Form->GetHandle(), "calculator_display_control");
  EXPECT_EQ(events, (std::vector<String>{L"text:8", L"text:0", L"text:2", L"text:10", L"display", L"result"}));
  events.clear();
  for (wchar_t ch : String(L"/0=")) panel->CalcKeyPress(ch);
  EXPECT_EQ(display->GetCaption(), L"Error");
  EXPECT_EQ(events, (std::vector<String>{L"text:0", L"text:Error", L"error", L"result"}));
  panel->OnTextChange = nullptr;
  delete display;
  EXPECT_EQ(panel->GetDisplayControl(), nullptr);
  panel->CalcKeyPress(L'C');
  EXPECT_EQ(panel->Engine().GetText(), L"0");
}

TEST_F(ComboEditTest, RightToLeftMirrorsTheTextAndTheWindowsReadingOrder) {
  SetSysMiddleEast(true);
  struct Back {
    ~Back() { SetSysMiddleEast(std::nullopt); }
  } back;
  auto* edit = Add<TCurrencyEdit>(10, 10, 100, 21);
  auto* other = Add<TCurrencyEdit>(10, 40, 100, 21);
  edit->SetColor(clWhite);
  edit->GetFont()->SetColor(clBlue);
  edit->SetValue(12);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(other));
  // Unfocused, the right-aligned value is painted at the left under right-to-left alignment.
  MemorySurface surface(100, 21, clWhite);
  PaintInto(edit, surface);
  const TRect ltr = BoundsOf(surface, clBlue);
  ASSERT_FALSE(ltr == TRect());
  EXPECT_GT(ltr.Left, 50);
  edit->SetBiDiMode(bdRightToLeft);
  surface.Fill(clWhite);
  PaintInto(edit, surface);
  const TRect rtl = BoundsOf(surface, clBlue);
  ASSERT_FALSE(rtl == TRect());
  EXPECT_LT(rtl.Right, 50);
  // Focused, the window itself paints, carrying the reading order in its extended style.
  constexpr LONG_PTR bits = WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT;
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  PaintInto(edit, surface);
  EXPECT_EQ(::GetWindowLongPtrW(edit->GetHandle(), GWL_EXSTYLE) & bits, bits);
  edit->SetBiDiMode(bdRightToLeftReadingOnly);
  PaintInto(edit, surface);
  EXPECT_EQ(::GetWindowLongPtrW(edit->GetHandle(), GWL_EXSTYLE) & bits, WS_EX_RTLREADING);
  extended_tests::SaveScreenshot(Form->GetHandle(), "numedit_right_to_left");
}

TEST_F(ComboEditTest, ADisabledEditsTextIsGreyUnlessItsBackgroundIs) {
  auto* edit = Add<TCurrencyEdit>(10, 10, 100, 21);
  edit->GetFont()->SetColor(clBlue);
  ShowForm();
  MemorySurface surface(4, 4);
  const auto textColour = [&] {
    TMessage message{CN_CTLCOLOREDIT, reinterpret_cast<WPARAM>(surface.DC()),
                     reinterpret_cast<LPARAM>(edit->GetHandle()), 0};
    edit->Dispatch(message);
    EXPECT_EQ(message.Result, reinterpret_cast<LRESULT>(edit->GetBrush()->GetHandle()));
    return ::GetTextColor(surface.DC());
  };
  EXPECT_EQ(textColour(), ColorToRGB(clBlue));
  edit->SetEnabled(false);
  EXPECT_EQ(textColour(), ColorToRGB(clGrayText));
  edit->SetColor(clGrayText);
  EXPECT_EQ(textColour(), ColorToRGB(clBlue)) << "grey on grey would not show";
}
