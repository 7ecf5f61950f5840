// The month calendar (layout of the weeks, navigation, the years 1 to 9999, read-only) and
// the date edit: its mask and format by the system's date order, reading and writing dates,
// the drop-down calendar picked with keys and with the mouse while the edit keeps the
// focus, the day keys, and a change of the regional settings while it runs.
#include <gtest/gtest.h>

#include "ExtendedTestSupport.h"
#include "controls/extended/DateEdit.h"
#include "controls/extended/RxUtils.h"
#include "tests/KeyInput.h"

using extended_tests::FixedLocale;
using extended_tests::PressAltDown;
using stdctrl_tests::Pump;

namespace {

String Ymd(TDateTime date) { return FormatDateTime(L"yyyy-mm-dd", date); }

// Runs run() with chords typed on the keyboard, one every timer tick, into whatever window
// is active meanwhile (a modal dialog); focus gets the focused window before the last chord.
std::vector<std::vector<WORD>> PendingChords;
HWND* FocusBeforeLast = nullptr;

void CALLBACK TypePendingChord(HWND, UINT, UINT_PTR timer, DWORD) {
  if (PendingChords.empty() || !::GetActiveWindow()) return;
  const std::vector<WORD> chord = PendingChords.front();
  PendingChords.erase(PendingChords.begin());
  if (PendingChords.empty()) {
    if (FocusBeforeLast) *FocusBeforeLast = ::GetFocus();
    ::KillTimer(nullptr, timer);
  }
  if (chord.size() == 1) TypeChord({chord[0]});
  if (chord.size() == 2) TypeChord({chord[0], chord[1]});
}

void RunWithChords(std::vector<std::vector<WORD>> chords, const std::function<void()>& run,
                   HWND* focusBeforeLast) {
  PendingChords = std::move(chords);
  FocusBeforeLast = focusBeforeLast;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, TypePendingChord);
  run();
  ::KillTimer(nullptr, timer);
  PendingChords.clear();
  FocusBeforeLast = nullptr;
}

int CurrentYear() {
  int y, m, d;
  DecodeDate(Date(), y, m, d);
  return y;
}

}  // namespace

TEST(RxCalendar, WeeksStartOnTheChosenDay) {
  FixedLocale locale;
  TRxCalendar calendar(nullptr);
  calendar.SetCalendarDate(EncodeDate(2026, 3, 15));  // 1 March 2026 is a Sunday
  EXPECT_EQ(calendar.CellText(0, 0), L"Mon");
  EXPECT_EQ(calendar.CellText(6, 0), L"Sun");
  EXPECT_EQ(calendar.CellText(6, 1), L"1") << "the 1st in the last column of the first row";
  EXPECT_EQ(calendar.CellText(0, 1), L"");
  EXPECT_EQ(calendar.CellText(1, 6), L"31") << "the 31st in the sixth week row";
  EXPECT_TRUE(calendar.IsWeekend(6));
  EXPECT_FALSE(calendar.IsWeekend(5));
  EXPECT_EQ(calendar.GetCol(), 6);
  EXPECT_EQ(calendar.GetRow(), 3) << "the 15th is selected";
  calendar.SetStartOfWeek(Sun);
  EXPECT_EQ(calendar.CellText(0, 1), L"1");
  EXPECT_TRUE(calendar.IsWeekend(0));
}

TEST(RxCalendar, NavigationKeepsTheDayWithinTheMonth) {
  TRxCalendar calendar(nullptr);
  int changes = 0;
  calendar.SetOnChange([&](TObject*) { ++changes; });
  calendar.SetCalendarDate(EncodeDate(2024, 2, 29));
  calendar.NextYear();
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"2025-02-28");
  calendar.SetCalendarDate(EncodeDate(2024, 2, 29));
  calendar.SetYear(2023);
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"2023-02-28") << "a year without 29 February";
  calendar.SetCalendarDate(EncodeDate(2024, 3, 31));
  calendar.PrevMonth();
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"2024-02-29");
  calendar.SetCalendarDate(EncodeDate(2025, 3, 31));
  calendar.PrevMonth();
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"2025-02-28");
  calendar.SetCalendarDate(EncodeDate(2025, 1, 31));
  calendar.NextMonth();
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"2025-02-28");
  calendar.SetMonth(12);
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"2025-12-28");
  calendar.SetDay(31);
  calendar.SetDay(32);  // refused
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"2025-12-31");
  EXPECT_GT(changes, 5);
  EXPECT_FALSE(calendar.GetUseCurrentDate());
}

TEST(RxCalendar, DatesStayBetweenTheYears1And9999) {
  TRxCalendar calendar(nullptr);
  calendar.SetCalendarDate(EncodeDate(9999, 12, 31));
  calendar.NextMonth();
  calendar.NextYear();
  calendar.SetYear(10000);
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"9999-12-31");
  WORD right = VK_RIGHT;
  calendar.CalendarKeyDown(right, TShiftState{});
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"9999-12-31");
  calendar.SetCalendarDate(EncodeDate(1, 1, 1));
  calendar.PrevMonth();
  calendar.PrevYear();
  calendar.SetYear(0);
  WORD left = VK_LEFT;
  calendar.CalendarKeyDown(left, TShiftState{});
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"0001-01-01");
  calendar.SetCalendarDate(1e9);
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"0001-01-01");
}

TEST(RxCalendar, ReadOnlyRefusesCellsButNotKeys) {
  TRxCalendar calendar(nullptr);
  calendar.SetCalendarDate(EncodeDate(2026, 5, 10));
  calendar.SetReadOnly(true);
  calendar.MoveColRow(0, 4, false, false);
  EXPECT_EQ(calendar.GetDay(), 10);
  WORD key = VK_ADD;
  calendar.CalendarKeyDown(key, TShiftState{});
  EXPECT_EQ(calendar.GetDay(), 11);
  for (int i = 0; i < 2; ++i) {
    key = VK_LEFT;
    calendar.CalendarKeyDown(key, TShiftState{});
  }
  EXPECT_EQ(calendar.GetDay(), 9);
  calendar.SetCalendarDate(EncodeDate(2026, 5, 1));
  key = VK_LEFT;
  calendar.CalendarKeyDown(key, TShiftState{});
  EXPECT_EQ(Ymd(calendar.GetCalendarDate()), L"2026-04-30");
}

// ---- Date edit ---------------------------------------------------------------------------------

class DateEditTest : public extended_tests::LocaleFormTest {
 protected:
  void SetUp() override {
    LocaleFormTest::SetUp();
    FormatSettings.ShortDateFormat = L"d/M/yyyy";
    ReadDateSettings();
  }
  TDateEdit* MakeEdit() { return Add<TDateEdit>(10, 10, 120, 21); }
};

TEST_F(DateEditTest, MaskAndFormatFollowTheDateOrder) {
  TDateEdit* edit = MakeEdit();
  EXPECT_EQ(edit->GetEditMask(), L"!99/99/9999;1; ");
  EXPECT_EQ(edit->GetDateFormat(), L"DD/MM/YYYY");
  edit->SetDateValue(EncodeDate(2026, 5, 1));
  EXPECT_EQ(edit->GetText(), L"01/05/2026");
  EXPECT_EQ(Ymd(edit->GetDateValue()), L"2026-05-01");
  edit->SetYearDigits(dyTwo);
  EXPECT_EQ(edit->GetEditMask(), L"!99/99/99;1; ");
  EXPECT_EQ(edit->GetText(), L"01/05/26") << "the same date in the new format";
  edit->SetYearDigits(dyDefault);
  FormatSettings.ShortDateFormat = L"yyyy-MM-dd";
  FormatSettings.DateSeparator = L'-';
  edit->RebuildEditMask();
  EXPECT_EQ(edit->GetEditMask(), L"!9999/99/99;1; ");
  EXPECT_EQ(edit->GetDateFormat(), L"YYYY/MM/DD");
  EXPECT_EQ(edit->GetText(), L"2026-05-01");
  // The order follows the settings; the year's width stays the one read at the start.
  FormatSettings.ShortDateFormat = L"M-d-yy";
  edit->RebuildEditMask();
  EXPECT_EQ(edit->GetDateFormat(), L"MM/DD/YYYY");
}

TEST_F(DateEditTest, NullDatesAndInvalidTexts) {
  TDateEdit* edit = MakeEdit();
  EXPECT_EQ(edit->GetDateValue(), 0);
  EXPECT_TRUE(edit->IsBlank());
  edit->SetText(L"31/02/2026");
  EXPECT_EQ(edit->GetDateValue(), 0) << "not a date reads as the null date";
  edit->SetText(L"12/05/");
  EXPECT_EQ(Ymd(edit->GetDateValue()), Ymd(EncodeDate(CurrentYear(), 5, 12)))
      << "a blank year is this year";
  edit->SetDateValue(0);
  EXPECT_TRUE(edit->IsBlank());
  edit->SetDefaultToday(true);
  EXPECT_EQ(edit->GetDateValue(), Date());
  edit->SetDateValue(0);
  EXPECT_EQ(edit->GetDateValue(), Date()) << "with DefaultToday the text written is today";
  EXPECT_FALSE(edit->IsBlank());
}

TEST_F(DateEditTest, TypingADateThroughTheMask) {
  TDateEdit* edit = MakeEdit();
  edit->SetCheckOnExit(true);
  auto* other = MakeEdit();
  other->SetTop(50);
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit_tests::PressKey(VK_HOME);
  edit_tests::Type(L"01x052026");
  EXPECT_EQ(edit->GetText(), L"01/05/2026") << "the letter is refused, the separators skipped";
  EXPECT_EQ(Ymd(edit->GetDateValue()), L"2026-05-01");
  extended_tests::SaveScreenshot(Form->GetHandle(), "date_edit_typed");
  // Day and month alone are a date of this year.
  edit->SetText(String());
  edit_tests::PressKey(VK_HOME);
  edit_tests::Type(L"0304");
  EXPECT_EQ(Ymd(edit->GetDateValue()), Ymd(EncodeDate(CurrentYear(), 4, 3)));
  edit->SetDateValue(EncodeDate(2026, 5, 1));
  // Leaving with an impossible date reports it and keeps the focus.
  edit_tests::PressKey(VK_HOME);
  edit_tests::Type(L"31022026");
  String reported;
  Application->SetOnException([&](TObject*, Exception& e) { reported = e.Message(); });
  other->SetFocus();
  Pump();
  FailTestsOnApplicationExceptions();
  EXPECT_EQ(reported, L"'31/02/2026' is not a valid date");
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
}

// An input method's completed result is typed through the mask as keys would be: digits fill
// the positions from the caret, a line break and a Chinese character are refused, and the
// text keeps the mask's form while the composition is being made too.
TEST_F(DateEditTest, AnInputMethodsResultIsTypedThroughTheMask) {
  TDateEdit* edit = MakeEdit();
  edit->SetDateValue(EncodeDate(2026, 5, 1));
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  const auto composeAtStart = [&](const String& text) {
    edit_tests::PressKey(VK_HOME);
    EXPECT_TRUE(edit_tests::CompleteComposition(edit->GetHandle(), text));
    return edit->GetText();
  };
  EXPECT_EQ(composeAtStart(L"12"), L"12/05/2026");
  EXPECT_EQ(edit->GetCaretPosition(), 3) << "past the separator";
  EXPECT_EQ(composeAtStart(L"\r\n"), L"12/05/2026");
  EXPECT_EQ(composeAtStart(L"\u4e2d"), L"12/05/2026");
  EXPECT_EQ(composeAtStart(L"3\u4e2d0"), L"30/05/2026") << "the refused character is left out";
  EXPECT_EQ(Ymd(edit->GetDateValue()), L"2026-05-30");
  // Characters an input method sends one by one meet the mask too.
  edit_tests::PressKey(VK_HOME);
  ::SendMessageW(edit->GetHandle(), WM_IME_CHAR, L'\u4e2d', 1);
  ::SendMessageW(edit->GetHandle(), WM_IME_CHAR, L'2', 1);
  EXPECT_EQ(edit->GetText(), L"20/05/2026");
}

TEST_F(DateEditTest, DayKeys) {
  TDateEdit* edit = MakeEdit();
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit_tests::PressKey(VK_ADD);
  EXPECT_EQ(edit->GetDateValue(), Date() + 1) << "keypad plus on an empty box gives tomorrow";
  edit_tests::PressKey(VK_SUBTRACT);
  edit_tests::PressKey(VK_SUBTRACT);
  EXPECT_EQ(edit->GetDateValue(), Date() - 1);
  edit_tests::Type(L"t");
  EXPECT_EQ(edit->GetDateValue(), Date());
}

TEST_F(DateEditTest, TheDropDownCalendarPicksWithKeysAndMouse) {
  TDateEdit* edit = MakeEdit();
  edit->SetDateValue(EncodeDate(2026, 5, 10));
  int changes = 0;
  edit->SetOnChange([&](TObject*) { ++changes; });
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  TPopupCalendar* popup = edit->GetCalendarPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(::GetFocus(), edit->GetHandle()) << "the edit keeps the focus";
  EXPECT_EQ(Ymd(popup->GetCalendar()->GetCalendarDate()), L"2026-05-10");
  EXPECT_EQ(popup->GetTitle()->GetCaption(), L"May, 2026");
  extended_tests::SaveScreenshot(::GetDesktopWindow(), "date_dropdown_screen");
  // Keys typed in the edit move the calendar; Enter takes its date.
  edit_tests::PressKey(VK_RIGHT);
  edit_tests::PressKey(VK_NEXT);
  EXPECT_EQ(Ymd(popup->GetCalendar()->GetCalendarDate()), L"2026-06-11");
  EXPECT_EQ(popup->GetTitle()->GetCaption(), L"June, 2026");
  edit_tests::PressKey(VK_RETURN);
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetText(), L"11/06/2026");
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
  EXPECT_EQ(changes, 1) << "the date taken is a change";
  // Alt+Down while it is open goes to the calendar (a week on); Escape closes it without
  // taking its date.
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  PressAltDown(edit->GetHandle());
  EXPECT_TRUE(edit->GetPopupVisible());
  EXPECT_EQ(Ymd(popup->GetCalendar()->GetCalendarDate()), L"2026-06-18");
  edit_tests::PressKey(VK_RIGHT);
  edit_tests::PressKey(VK_ESCAPE);
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetText(), L"11/06/2026");
  EXPECT_EQ(changes, 1);
  // A click on a day of the drop-down picks it.
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  TLocCalendar* calendar = popup->GetCalendar();
  int col = -1, row = -1;
  for (int r = 1; r < 7 && col < 0; ++r)
    for (int c = 0; c < 7; ++c)
      if (calendar->DayAt(c, r) == 20) {
        col = c;
        row = r;
        break;
      }
  ASSERT_GE(col, 0);
  const TRect cell = calendar->CellRect(col, row);
  edit_tests::ClickWindow(calendar->GetHandle(), cell.Left + 3, cell.Top + 3);
  edit_tests::KeyTargetRef() = edit->GetHandle();
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetText(), L"20/06/2026");
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
}

// Typed digits, Backspace and Delete reach the text only while typing is allowed: not while
// the calendar is open, nor without DirectInput, where only the drop-down changes the date.
// Escape with the calendar open closes it, leaving the date, and OnKeyDown sees it.
TEST_F(DateEditTest, TheTextTakesNoTypingWhileTheCalendarIsOpenOrWithoutDirectInput) {
  TDateEdit* edit = MakeEdit();
  edit->SetDateValue(EncodeDate(2026, 5, 10));
  std::vector<WORD> keysDown;
  edit->SetOnKeyDown([&](TObject*, WORD& key, TShiftState) { keysDown.push_back(key); });
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  const auto typeEditingKeys = [&] {
    for (const WORD key : {WORD('2'), WORD(VK_NUMPAD7), WORD(VK_BACK), WORD(VK_DELETE)}) {
      EXPECT_TRUE(TypeChord({VK_HOME}));
      EXPECT_TRUE(TypeChord({key}));
      Pump();
    }
  };
  const auto openWithKeys = [&] {
    EXPECT_TRUE(TypeChord({VK_MENU, VK_DOWN}));
    Pump();
    return edit->GetPopupVisible();
  };
  ASSERT_TRUE(openWithKeys());
  typeEditingKeys();
  extended_tests::SaveScreenshot(::GetDesktopWindow(), "date_dropdown_typed_at");
  EXPECT_EQ(edit->GetText(), L"10/05/2026") << "the calendar is open";
  keysDown.clear();
  EXPECT_TRUE(TypeChord({VK_ESCAPE}));
  Pump();
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetText(), L"10/05/2026");
  EXPECT_EQ(keysDown, std::vector<WORD>{VK_ESCAPE}) << "OnKeyDown sees the Escape that closes";
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
  // Typing works again once it is closed.
  EXPECT_TRUE(TypeChord({VK_HOME}));
  EXPECT_TRUE(TypeChord({'2'}));
  Pump();
  EXPECT_EQ(edit->GetText(), L"20/05/2026");
  // Without DirectInput the keys change nothing, closed or open; the calendar still does.
  edit->SetDirectInput(false);
  typeEditingKeys();
  EXPECT_EQ(edit->GetText(), L"20/05/2026") << "no direct input";
  ASSERT_TRUE(openWithKeys());
  typeEditingKeys();
  EXPECT_TRUE(TypeChord({VK_RIGHT}));
  EXPECT_TRUE(TypeChord({VK_RETURN}));
  Pump();
  EXPECT_FALSE(edit->GetPopupVisible());
  EXPECT_EQ(edit->GetText(), L"21/05/2026") << "the calendar's date is taken";
}

TEST_F(DateEditTest, AcceptDateMayChangeOrRefuseTheChoice) {
  TDateEdit* edit = MakeEdit();
  edit->SetDateValue(EncodeDate(2026, 5, 10));
  bool refuse = true;
  edit->SetOnAcceptDate([&](TObject*, TDateTime& date, bool& accept) {
    if (refuse)
      accept = false;
    else
      date = EncodeDate(2030, 1, 1);
  });
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  for (int pass = 0; pass < 2; ++pass) {
    PressAltDown(edit->GetHandle());
    edit_tests::PressKey(VK_RIGHT);
    edit_tests::PressKey(VK_RETURN);
    EXPECT_EQ(edit->GetText(), pass == 0 ? L"10/05/2026" : L"01/01/2030");
    refuse = false;
  }
}

TEST_F(DateEditTest, ARegionalSettingsChangeRebuildsTheMask) {
  const TFormatSettings saved = FormatSettings;
  wchar_t oldFormat[80] = {}, oldSeparator[8] = {};
  ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, oldFormat, 80);
  ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, oldSeparator, 8);
  ASSERT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, L"dd.MM.yyyy"));
  ::SendMessageW(Application->GetHandle(), WM_SETTINGCHANGE, 0,
                 reinterpret_cast<LPARAM>(L"intl"));
  TDateEdit* edit = MakeEdit();
  ShowForm();
  edit->SetDateValue(EncodeDate(2026, 5, 1));
  EXPECT_EQ(edit->GetText(), L"01.05.2026");
  ASSERT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, L"yyyy/M/d"));
  ::SendMessageW(Application->GetHandle(), WM_SETTINGCHANGE, 0,
                 reinterpret_cast<LPARAM>(L"intl"));
  EXPECT_EQ(edit->GetDateFormat(), L"YYYY/MM/DD");
  EXPECT_EQ(edit->GetText(), L"2026/05/01") << "the same date in the new order";
  EXPECT_EQ(Ymd(edit->GetDateValue()), L"2026-05-01");
  ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, oldFormat);
  ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, oldSeparator);
  FormatSettings = saved;
}

TEST_F(DateEditTest, TheSelectDateDialogStepsAndConfirms) {
  TDateTime date = EncodeDate(2026, 5, 10);
  bool confirmed = false;
  extended_tests::WithKeys({VK_NEXT, VK_NEXT, VK_RIGHT, VK_RETURN}, [&] {
    confirmed = RunDateDialog(date, L"考试日期", Mon, 1u << Sun, clRed, nullptr);
  });
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(Ymd(date), L"2026-07-11");
  extended_tests::WithKeys({VK_NEXT, VK_ESCAPE}, [&] {
    confirmed = RunDateDialog(date, L"", Mon, 1u << Sun, clRed, nullptr);
  });
  EXPECT_FALSE(confirmed);
  EXPECT_EQ(Ymd(date), L"2026-07-11") << "cancelled: the date stays";
  std::unique_ptr<TSelectDateDlg> dialog(TCustomForm::Create<TSelectDateDlg>(nullptr));
  EXPECT_EQ(dialog->GetCaption(), L"Select a Date");
  EXPECT_EQ(dialog->GetDate(), Date());
  dialog->SetDate(EncodeDate(2026, 2, 3));
  EXPECT_EQ(dialog->GetTitle()->GetCaption(), L"February, 2026");
  // Tab and Shift+Tab typed on the keyboard step the month; the focus stays on the calendar.
  HWND focusAfterTabs = nullptr;
  RunWithChords({{VK_TAB}, {VK_TAB}, {VK_SHIFT, VK_TAB}, {VK_RETURN}}, [&] {
    date = EncodeDate(2026, 5, 10);
    confirmed = RunDateDialog(date, L"", Mon, 1u << Sun, clRed, nullptr);
  }, &focusAfterTabs);
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(Ymd(date), L"2026-06-10");
  wchar_t focusClass[64] = {};
  ::GetClassNameW(focusAfterTabs, focusClass, 64);
  EXPECT_STRNE(focusClass, L"Button") << "Tab moved the focus instead";
  WORD key = VK_TAB;
  dialog->FormKeyDown(nullptr, key, TShiftState{ssShift});
  EXPECT_EQ(Ymd(dialog->GetDate()), L"2026-01-03");
  EXPECT_EQ(dialog->GetTitle()->GetCaption(), L"January, 2026");
  key = VK_NEXT;
  dialog->FormKeyDown(nullptr, key, TShiftState{ssCtrl});
  EXPECT_EQ(Ymd(dialog->GetDate()), L"2027-01-03");
}

TEST_F(DateEditTest, DialogStyleRunsTheDialogFromTheButton) {
  TDateEdit* edit = MakeEdit();
  edit->SetCalendarStyle(csDialog);
  EXPECT_EQ(edit->GetPopup(), nullptr);
  edit->SetDateValue(EncodeDate(2026, 5, 10));
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  extended_tests::WithKeys({VK_NEXT, VK_RETURN}, [&] { edit->ButtonClicked(); });
  EXPECT_EQ(edit->GetText(), L"10/06/2026");
  EXPECT_EQ(::GetFocus(), edit->GetHandle());
  edit->SetCalendarStyle(csPopup);
  ASSERT_NE(edit->GetCalendarPopup(), nullptr);
}

TEST_F(DateEditTest, TheStudyPlanLayout) {
  ReadLayout(
      L"object EditsForm: TEditsForm\n"
      L"  object DateEdit1: TDateEdit\n"
      L"    Left = 10\n    Top = 10\n    Width = 121\n    Height = 21\n"
      L"    Enabled = False\n    NumGlyphs = 2\n    PopupColor = 13749952\n"
      L"    StartOfWeek = Sun\n    Weekends = [Sun, Sat]\n    YearDigits = dyFour\n"
      L"    CalendarHints.Strings = (\n      'one'\n      ''\n      'three'\n      'four'\n      'five')\n"
      L"  end\n"
      L"  object Calendar1: TRxCalendar\n    Left = 10\n    Top = 40\n"
      L"    UseCurrentDate = False\n    Year = 2030\n    Month = 2\n    Day = 14\n  end\n"
      L"end\n");
  EXPECT_EQ(Ymd(Find<TRxCalendar>(L"Calendar1")->GetCalendarDate()), L"2030-02-14")
      << "the date's views read from a layout";
  auto* edit = Find<TDateEdit>(L"DateEdit1");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetCalendarPopup()->GetColor(), ColorFromInt(13749952));
  EXPECT_EQ(edit->GetCalendarPopup()->GetCalendar()->GetStartOfWeek(), Sun);
  EXPECT_EQ(edit->GetCalendarPopup()->GetCalendar()->GetWeekends(), (1u << Sun) | (1u << Sat));
  EXPECT_EQ(edit->GetCalendarHints()->GetCount(), 4) << "at most four hints";
  EXPECT_EQ(edit->GetCalendarPopup()->GetButton(0)->GetHint(), L"one");
  EXPECT_EQ(edit->GetCalendarPopup()->GetButton(1)->GetHint(), L"Previous Month|") << "empty keeps the default";
  EXPECT_EQ(edit->GetGlyph()->GetWidth(), 26);
  const String written = ComponentToText(Form);
  EXPECT_NE(written.find(L"PopupColor = 13749952"), String::npos);
  EXPECT_EQ(written.find(L"Text ="), String::npos) << "a blank text is not stored";
  EXPECT_EQ(written.find(L"DialogTitle"), String::npos);
  EXPECT_EQ(written.find(L"ButtonWidth"), String::npos) << "the natural width";
  EXPECT_EQ(written.find(L"Glyph.Data"), String::npos) << "the built-in glyph";
  EXPECT_EQ(written.find(L"NumGlyphs"), String::npos);
  EXPECT_EQ(written.find(L"Day ="), String::npos) << "views of the date are not written";
  EXPECT_NE(written.find(L"CalendarDate ="), String::npos);
  EXPECT_EQ(edit->GetButtonWidth(), 21);
}

TEST_F(DateEditTest, TheDropDownsDayNamesTakeThePopupColour) {
  ReadLayout(
      L"object EditsForm: TEditsForm\n"
      L"  object DateEdit1: TDateEdit\n"
      L"    Left = 10\n    Top = 10\n    Width = 121\n    Height = 21\n"
      L"    PopupColor = 13749952\n"
      L"  end\n"
      L"end\n");
  auto* edit = Find<TDateEdit>(L"DateEdit1");
  ASSERT_NE(edit, nullptr);
  edit->SetDateValue(EncodeDate(2026, 5, 10));
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  TLocCalendar* calendar = edit->GetCalendarPopup()->GetCalendar();
  const TColor plan = ColorFromInt(13749952);
  EXPECT_EQ(calendar->GetColor(), plan);
  EXPECT_EQ(calendar->GetFixedColor(), plan);
  extended_tests::SaveScreenshot(edit->GetPopup()->GetHandle(), "date_dropdown_popup_color");
  MemorySurface surface(calendar->GetWidth(), calendar->GetHeight());
  extended_tests::PaintInto(calendar, surface);
  const TRect names = calendar->CellRect(3, 0), days = calendar->CellRect(3, 3);
  EXPECT_EQ(surface.At(names.Left + 1, names.Top + 1), plan) << "the day-name row";
  EXPECT_EQ(surface.At(days.Left + 1, days.Top + 1), plan) << "the days";
  // Disabled again, its window still takes the mouse.
  calendar->SetEnabled(true);
  calendar->SetEnabled(false);
  EXPECT_TRUE(::IsWindowEnabled(calendar->GetHandle()));
  edit_tests::PressKey(VK_ESCAPE);
  // The select-date dialog is in the default font.
  std::unique_ptr<TSelectDateDlg> dialog(TCustomForm::Create<TSelectDateDlg>(Application));
  TFont systemFont;
  SetDefaultFont(&systemFont);
  EXPECT_EQ(dialog->GetFont()->GetName(), systemFont.GetName());
  EXPECT_EQ(dialog->GetFont()->GetHeight(), systemFont.GetHeight());
}

TEST_F(DateEditTest, TheDropDownFollowsTheEditsReadingOrderAndTheScreensResolution) {
  TDateEdit* edit = MakeEdit();
  edit->SetDateValue(EncodeDate(2026, 5, 10));
  TPopupCalendar* popup = edit->GetCalendarPopup();
  ASSERT_NE(popup, nullptr);
  edit->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(popup->GetBiDiMode(), bdRightToLeft);
  edit->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(popup->GetBiDiMode(), bdLeftToRight);
  // Laid out for 120 dpi: everything a quarter larger, but the font is the system's again
  // (already right for the screen), and the calendar uses it.
  TFont systemFont;
  SetDefaultFont(&systemFont);
  EXPECT_EQ(popup->GetFont()->GetHeight(), systemFont.GetHeight());
  ScaleDropDownCalendar(popup, 96);
  EXPECT_EQ(popup->GetWidth(), 270) << "nothing to do at 96 dpi";
  ScaleDropDownCalendar(popup, 120);
  EXPECT_EQ(popup->GetWidth(), 338);
  EXPECT_EQ(popup->GetHeight(), 175);
  EXPECT_EQ(popup->GetButton(1)->GetBoundsRect(), TRect(15, -1, 33, 16));
  EXPECT_EQ(popup->GetFont()->GetHeight(), systemFont.GetHeight()) << "not scaled twice";
  EXPECT_EQ(popup->GetFont()->GetName(), systemFont.GetName());
  EXPECT_TRUE(popup->GetCalendar()->GetParentFont());
  EXPECT_EQ(popup->GetCalendar()->GetFont()->GetHeight(), systemFont.GetHeight());
  EXPECT_EQ(popup->GetTitle()->GetFont()->GetHeight(), systemFont.GetHeight());
  ShowForm();
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  PressAltDown(edit->GetHandle());
  ASSERT_TRUE(edit->GetPopupVisible());
  EXPECT_EQ(popup->GetCalendar()->GetWidth(), popup->GetClientWidth()) << "the grid fills the window";
  extended_tests::SaveScreenshot(popup->GetHandle(), "date_dropdown_120dpi");
  edit_tests::PressKey(VK_ESCAPE);
}
