// The date edit: a masked box for one date with a calendar button that drops the month
// calendar under it. Its mask and date format follow the system's short date format (the
// order of day, month and year, and two- or four-digit years unless YearDigits says), and
// are rebuilt, keeping the date, when the system's settings change while the program runs.
// Keypad plus and minus step a day, 'T' gives today.
//
// With CalendarStyle csDialog the button runs the select-date dialog instead.
#pragma once
#include "PickDate.h"
#include "ToolEdit.h"
#include "classlib/classes/StringList.h"

enum TYearDigits { dyDefault, dyFour, dyTwo };
enum TCalendarStyle { csPopup, csDialog };
using TExecDateDialog = std::function<void(TObject* sender, TDateTime& date, bool& accept)>;

class TCustomDateEdit : public TCustomComboEdit {
  CLASSLIB_CLASS(TCustomDateEdit, TCustomComboEdit)
  explicit TCustomDateEdit(TComponent* owner);
  ~TCustomDateEdit() override;

  // ---- Attributes --------------------------------------------------------------------
  // The date of the text: the null date (0), or today with DefaultToday, when it is none.
  TDateTime GetDateValue();
  void SetDateValue(TDateTime value);
  bool GetDefaultToday() const { return FDefaultToday; }
  void SetDefaultToday(bool value) { FDefaultToday = value; }
  wchar_t GetBlanksChar() const { return FBlanksChar; }
  void SetBlanksChar(wchar_t value);  // below 32 counts as a space
  TYearDigits GetYearDigits() const { return FYearDigits; }
  void SetYearDigits(TYearDigits value);
  bool GetCheckOnExit() const { return FCheckOnExit; }
  void SetCheckOnExit(bool value) { FCheckOnExit = value; }
  TColor GetPopupColor() const;
  void SetPopupColor(TColor value);
  TDayOfWeekName GetStartOfWeek() const { return FStartOfWeek; }
  void SetStartOfWeek(TDayOfWeekName value);
  TDaysOfWeek GetWeekends() const { return FWeekends; }
  void SetWeekends(TDaysOfWeek value);
  TColor GetWeekendColor() const { return FWeekendColor; }
  void SetWeekendColor(TColor value);
  TStrings* GetCalendarHints() const { return FCalendarHints.get(); }
  void SetCalendarHints(TStrings* value);
  String GetDialogTitle() const { return FDialogTitle; }
  void SetDialogTitle(const String& value) { FDialogTitle = value; }
  // The current date format ("DD/MM/YYYY"...).
  const String& GetDateFormat() const { return FDateFormat; }
  // Every character is a blank, a space or the date separator.
  bool IsBlank();
  const TExecDateDialog& GetOnAcceptDate() const { return FOnAcceptDate; }
  void SetOnAcceptDate(TExecDateDialog handler) { FOnAcceptDate = std::move(handler); }
  TPopupCalendar* GetCalendarPopup() const { return dynamic_cast<TPopupCalendar*>(GetPopup()); }
  // csPopup exactly while a drop-down calendar exists; csDialog frees it.
  TCalendarStyle GetCalendarStyle() const { return GetPopup() ? csPopup : csDialog; }
  void SetCalendarStyle(TCalendarStyle value);

  // ---- Operations --------------------------------------------------------------------
  virtual void ApplyDateAndSelect(TDateTime value);
  // Recomputes the format and the mask from the settings and shows the same date again.
  virtual void RebuildEditMask();


 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  void CMExit(TMessage& message) override;
  void RunButtonAction() override;
  void Change() override;
  TBitmap* GetDefaultGlyph(bool& destroyNeeded) override;
  bool CanAcceptValue(Variant& value) override;
  void ApplyChosenValue(const Variant& value) override;
  void PassValueToDropDown(const Variant& value) override;

 private:
  bool FourDigitYear() const;
  void CreateCalendar();
  void FreeCalendar();
  void RefreshCalendar();
  void HintsChanged();
  TDateTime DateOf(const Variant& value);

  String FDialogTitle = L"Select a Date";
  TExecDateDialog FOnAcceptDate;
  bool FDefaultToday = false;
  int FHookKey = 0;                  // the application window hook; 0 when none
  TColor FPopupColor = clBtnFace;
  bool FCheckOnExit = false;
  wchar_t FBlanksChar = L' ';
  std::unique_ptr<TStringList> FCalendarHints;  // hints of the navigation buttons
  TDayOfWeekName FStartOfWeek = Mon;
  TDaysOfWeek FWeekends = 1u << Sun;
  TColor FWeekendColor = clRed;
  TYearDigits FYearDigits = dyDefault;
  String FDateFormat;                // "DD/MM/YYYY"...
  bool FFormatting = false;          // the control writes its own text
};

class TDateEdit : public TCustomDateEdit {
  CLASSLIB_CLASS(TDateEdit, TCustomDateEdit)
  static const TPropertyTable* PublishedProperties();
  explicit TDateEdit(TComponent* owner);
};
