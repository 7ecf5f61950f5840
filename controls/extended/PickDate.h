// The month calendar (TRxCalendar: a header row of short day names and six week rows, the
// week starting on StartOfWeek, weekend days in WeekendColor) and its borderless form
// inside the date edit's drop-down (TPopupCalendar: a title with the month and year and four
// auto-repeating buttons for the previous and next year and month).
//
// TSelectDateDlg is the same calendar in a small modal dialog with OK and Cancel, run by
// RunDateDialog. The calendar keeps its date between the years 1 and 9999.
#pragma once
#include "RXSpeedButton.h"
#include "ToolEdit.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/Buttons.h"
#include "classlib/stdctrls/Grids.h"
#include "classlib/stdctrls/StdLabels.h"
#include "classlib/stdctrls/StdPanels.h"

enum TDayOfWeekName { Sun, Mon, Tue, Wed, Thu, Fri, Sat };
// A set of days: bit n for TDayOfWeekName n.
using TDaysOfWeek = unsigned;

class TRxCalendar : public TCustomGrid {
  CLASSLIB_CLASS(TRxCalendar, TCustomGrid)
  static const TPropertyTable* PublishedProperties();
  explicit TRxCalendar(TComponent* owner);

  // ---- Attributes --------------------------------------------------------------------
  TDateTime GetCalendarDate() const { return FDate; }
  void SetCalendarDate(TDateTime value);  // a date outside the years 1..9999 is refused
  int GetDay() const;
  void SetDay(int value);
  int GetMonth() const;
  void SetMonth(int value);
  int GetYear() const;
  void SetYear(int value);  // 29 February becomes 28 in a year without it
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  TDayOfWeekName GetStartOfWeek() const { return FStartOfWeek; }
  void SetStartOfWeek(TDayOfWeekName value);
  bool GetUseCurrentDate() const { return FUseCurrentDate; }
  void SetUseCurrentDate(bool value);
  TDaysOfWeek GetWeekends() const { return FWeekends; }
  void SetWeekends(TDaysOfWeek value);
  TColor GetWeekendColor() const { return FWeekendColor; }
  void SetWeekendColor(TColor value);
  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }
  // The text of a cell: a short day name in row 0, the day number or "" below.
  String CellText(int col, int row) const;
  // The day shown in a cell (0 for a cell of no day).
  int DayAt(int col, int row) const;
  bool IsWeekend(int col) const;

  // ---- Operations --------------------------------------------------------------------
  void NextMonth() { ShiftMonth(1); }
  void PrevMonth() { ShiftMonth(-1); }
  void NextYear() { SetYear(GetYear() + 1); }
  void PrevYear() { SetYear(GetYear() - 1); }
  void ShiftMonth(int delta);
  virtual void RecalcLayout();
  // The keys of the calendar (the drop-down passes the edit's keys here).
  void CalendarKeyDown(WORD& key, TShiftState shift) { KeyDown(key, shift); }
  void CalendarKeyPress(wchar_t& key) { KeyPress(key); }

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  void Click() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  virtual void Change();

 private:
  void ChangeDate(int year, int month, int day);

  TDateTime FDate = 0;                 // the date shown
  int FMonthOffset = 0;                // day = offset + col + 7 (row - 1)
  TNotifyEvent FOnChange;
  bool FReadOnly = false;
  TDayOfWeekName FStartOfWeek = Mon;
  bool FUpdating = false;              // the control moves the selection itself
  bool FUseCurrentDate = true;
  TDaysOfWeek FWeekends = 1u << Sun;
  TColor FWeekendColor = clRed;
};

// The borderless calendar of the drop-down: takes the mouse, never the focus; frames today.
class TLocCalendar : public TRxCalendar {
  CLASSLIB_CLASS(TLocCalendar, TRxCalendar)
  explicit TLocCalendar(TComponent* owner);

  // Its window stays enabled whatever Enabled says; its day-name row takes the colour it
  // takes from its parent.
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
};

class TPopupCalendar : public TPopupWindow {
  CLASSLIB_CLASS(TPopupCalendar, TPopupWindow)
  explicit TPopupCalendar(TWinControl* owner);

  void GetChosenValue(Variant& value) override;
  void SetStartValue(const Variant& value) override;
  TLocCalendar* GetCalendar() const { return FCalendar; }
  TLabel* GetTitle() const { return FTitle; }
  // 0 previous year, 1 previous month, 2 next month, 3 next year.
  TRxTimerSpeedButton* GetButton(int index) const { return FButtons[index]; }
  // Keys typed in the edit while the drop-down is open.
  void PopupKeyDown(WORD& key, TShiftState shift);
  void PopupKeyPress(wchar_t& key);

 private:
  void RefreshTitle();

  TLocCalendar* FCalendar = nullptr;        // owned as components, as the rest
  TLabel* FTitle = nullptr;
  TRxTimerSpeedButton* FButtons[4] = {};
};

// A drop-down calendar for an edit in its reading order (scaled on screens that are not at
// 96 dpi).
TPopupCalendar* NewDropDownCalendar(TWinControl* owner, TBiDiMode bidiMode);
// Lays a drop-down calendar made for 96 dpi out for a screen of pixelsPerInch: scaled, the
// calendar on the window's font, which is the default font again.
void ScaleDropDownCalendar(TPopupCalendar* popup, int pixelsPerInch);
// Passes the week settings and up to four non-empty button hints to a drop-down calendar.
void ConfigureDropDownCalendar(TPopupWindow* popup, TDayOfWeekName startOfWeek,
                               TDaysOfWeek weekends, TColor weekendColor, TStrings* hints);

// The select-date dialog, made in code: a title with the month and year and the four
// buttons over the calendar, OK and Cancel below. Enter is OK, Escape Cancel; Page Up and
// Page Down (with Ctrl: a year) and Tab, Shift+Tab step the month.
class TSelectDateDlg : public TForm {
  CLASSLIB_CLASS(TSelectDateDlg, TForm)
  explicit TSelectDateDlg(TComponent* owner);

  TDateTime GetDate() const { return FCalendar->GetCalendarDate(); }
  void SetDate(TDateTime value);  // the null date is today
  TRxCalendar* GetCalendar() const { return FCalendar; }
  TLabel* GetTitle() const { return FTitle; }
  TRxSpeedButton* GetButton(int index) const { return FButtons[index]; }

  void PrevMonthBtnClick(TObject*);
  void NextMonthBtnClick(TObject*);
  void PrevYearBtnClick(TObject*);
  void NextYearBtnClick(TObject*);
  void CalendarChange(TObject*);
  void CalendarDblClick(TObject*);
  void TopPanelDblClick(TObject*);
  void FormKeyDown(TObject*, WORD& key, TShiftState shift);

 protected:
  // Tab and Shift+Tab reach the key preview (a month on or back) rather than moving the focus.
  void CMDialogKey(TMessage& message) override;

 private:
  TRxCalendar* FCalendar = nullptr;   // the controls are owned as components of the form
  TLabel* FTitle = nullptr;
  TRxSpeedButton* FButtons[4] = {};
};

// Runs the dialog on date; true and the chosen date when it closes with OK. A non-empty
// caption replaces "Select a Date"; up to four non-empty hints go to the buttons.
bool RunDateDialog(TDateTime& date, const String& caption, TDayOfWeekName startOfWeek,
                   TDaysOfWeek weekends, TColor weekendColor, TStrings* hints);
