#include "DateEdit.h"

#include "DateUtil.h"
#include "StrUtils.h"
#include "RxIdents.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/forms/Forms.h"

using namespace StrUtils;

namespace {

const wchar_t* const YearDigitsNames[] = {L"dyDefault", L"dyFour", L"dyTwo"};
const TEnumInfo YearDigitsIdents = MakeEnumInfo(YearDigitsNames);
const wchar_t* const GlyphKindNames[] = {L"gkCustom", L"gkDefault", L"gkDropDown", L"gkEllipsis"};
const TEnumInfo GlyphKindIdents = MakeEnumInfo(GlyphKindNames);
const wchar_t* const PopupAlignNames[] = {L"epaRight", L"epaLeft"};
const TEnumInfo PopupAlignIdents = MakeEnumInfo(PopupAlignNames);
const wchar_t* const CalendarStyleNames[] = {L"csPopup", L"csDialog"};
const TEnumInfo CalendarStyleIdents = MakeEnumInfo(CalendarStyleNames);
const wchar_t* const DayNames[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
const TEnumInfo DayIdents = MakeEnumInfo(DayNames);

const bool DateEditClassesRegistered = [] {
  RegisterClass<TDateEdit>();
  return true;
}();

TBitmap* SharedDateGlyph() {
  static const std::unique_ptr<TBitmap> glyph = [] {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromResourceName(::GetModuleHandleW(nullptr), L"DEDITBMP");
    return bitmap;
  }();
  return glyph.get();
}

}  // namespace

TCustomDateEdit::TCustomDateEdit(TComponent* owner)
    : TCustomComboEdit(owner), FCalendarHints(std::make_unique<TStringList>()) {
  SetDefaultNumGlyphs(2);
  FCalendarHints->OnChange = [this](TObject*) { HintsChanged(); };
  SetControlState(GetControlState() + TControlState{csCreating});
  FDateFormat = DefaultDateFormat(FourDigitYear());
  CreateCalendar();
  SetGlyphKind(gkDefault);
  SetControlState(GetControlState() - TControlState{csCreating});
}

TCustomDateEdit::~TCustomDateEdit() {
  Destroying();
  if (FHookKey && Application) Application->UnhookMainWindow(FHookKey);
  FHookKey = 0;
  FreeCalendar();
  FCalendarHints->OnChange = nullptr;
}

void TCustomDateEdit::CreateCalendar() {
  if (GetPopup()) return;
  TPopupCalendar* calendar = NewDropDownCalendar(this, GetBiDiMode());
  calendar->OnSelectionDone = [this](TObject*, bool accept) { CloseDropDown(accept); };
  calendar->SetColor(FPopupColor);
  SetPopup(calendar);
}

void TCustomDateEdit::FreeCalendar() {
  if (TPopupWindow* popup = GetPopup()) {
    CloseDropDown(false);
    popup->OnSelectionDone = nullptr;
    SetPopup(nullptr);
    delete popup;
  }
}

void TCustomDateEdit::SetCalendarStyle(TCalendarStyle value) {
  if (value == csPopup) {
    CreateCalendar();
    RefreshCalendar();
  } else {
    FreeCalendar();
  }
}

void TCustomDateEdit::RunButtonAction() {
  inherited::RunButtonAction();
  if (GetCalendarStyle() != csDialog) return;
  TDateTime date = GetDateValue();
  const bool confirmed = RunDateDialog(date, FDialogTitle, FStartOfWeek, FWeekends,
                                       FWeekendColor, FCalendarHints.get());
  if (CanFocus()) SetFocus();
  if (!confirmed) return;
  bool accept = true;
  if (FOnAcceptDate) FOnAcceptDate(this, date, accept);
  if (!accept) return;
  SetDateValue(date);
  if (Focused()) SelectAll();
}

void TCustomDateEdit::HintsChanged() {
  if (GetComponentState().Contains(csDesigning)) return;
  // At most four hints, one a button; trimming the list must not call this again.
  FCalendarHints->OnChange = nullptr;
  while (FCalendarHints->GetCount() > 4) FCalendarHints->Delete(FCalendarHints->GetCount() - 1);
  FCalendarHints->OnChange = [this](TObject*) { HintsChanged(); };
  RefreshCalendar();
}

TBitmap* TCustomDateEdit::GetDefaultGlyph(bool& destroyNeeded) {
  destroyNeeded = false;
  return SharedDateGlyph();
}

bool TCustomDateEdit::FourDigitYear() const {
  return FYearDigits == dyFour || (FYearDigits == dyDefault && UseFourDigitYear);
}

// ---- The date ------------------------------------------------------------------------------

TDateTime TCustomDateEdit::GetDateValue() {
  TDateTime date = 0;
  if (!TryTextToDate(IsBlank() ? String() : TrimBlanks(GetText()), FDateFormat, date) || date == 0)
    return FDefaultToday ? Date() : 0;
  return date;
}

void TCustomDateEdit::SetDateValue(TDateTime value) {
  if (value == 0 || !IsValidDateTime(value)) value = FDefaultToday ? Date() : 0;
  const TDateTime before = GetDateValue();
  const bool was = FFormatting;
  FFormatting = true;
  SetText(DateToText(Int(value), FDateFormat));
  FFormatting = was;
  SetModified(GetDateValue() != before);
}

bool TCustomDateEdit::IsBlank() {
  for (wchar_t c : GetEditText())
    if (c != 0 && c != L' ' && c != FBlanksChar && c != FormatSettings.DateSeparator) return false;
  return true;
}

void TCustomDateEdit::ApplyDateAndSelect(TDateTime value) {
  SetDateValue(value);
  SelectAll();
}

void TCustomDateEdit::RebuildEditMask() {
  const TDateTime date = GetDateValue();
  FDateFormat = DefaultDateFormat(FourDigitYear());
  const String mask = DefaultDateMask(FBlanksChar, FourDigitYear());
  if (mask != GetEditMask()) {
    const bool was = FFormatting;
    FFormatting = true;
    SetEditMask(String());
    SetEditMask(mask);
    FFormatting = was;
  }
  RefreshCalendar();
  SetDateValue(date);
}

void TCustomDateEdit::SetBlanksChar(wchar_t value) {
  if (value < 32) value = L' ';
  if (value == FBlanksChar) return;
  FBlanksChar = value;
  RebuildEditMask();
}

void TCustomDateEdit::SetYearDigits(TYearDigits value) {
  if (value == FYearDigits) return;
  FYearDigits = value;
  RebuildEditMask();
}

TColor TCustomDateEdit::GetPopupColor() const {
  return GetPopup() ? GetPopup()->GetColor() : FPopupColor;
}

void TCustomDateEdit::SetPopupColor(TColor value) {
  FPopupColor = value;
  if (GetPopup()) GetPopup()->SetColor(value);
}

void TCustomDateEdit::SetStartOfWeek(TDayOfWeekName value) {
  FStartOfWeek = value;
  RefreshCalendar();
}

void TCustomDateEdit::SetWeekends(TDaysOfWeek value) {
  FWeekends = value;
  RefreshCalendar();
}

void TCustomDateEdit::SetWeekendColor(TColor value) {
  FWeekendColor = value;
  RefreshCalendar();
}

void TCustomDateEdit::SetCalendarHints(TStrings* value) { FCalendarHints->Assign(value); }

void TCustomDateEdit::RefreshCalendar() {
  ConfigureDropDownCalendar(GetPopup(), FStartOfWeek, FWeekends, FWeekendColor,
                            FCalendarHints.get());
}

// ---- Window and the settings ------------------------------------------------------------

void TCustomDateEdit::CreateWnd() {
  inherited::CreateWnd();
  RebuildEditMask();
  if (!GetComponentState().Contains(csDesigning) && !FHookKey && Application) {
    // The system's date settings may change while the program runs: the application
    // re-reads them on WM_SETTINGCHANGE before its hooks see the message.
    FHookKey = Application->HookMainWindow([this](TMessage& message) {
      if (message.Msg == WM_SETTINGCHANGE) RebuildEditMask();
      return false;
    });
  }
}

void TCustomDateEdit::DestroyWnd() {
  if (FHookKey && Application) Application->UnhookMainWindow(FHookKey);
  FHookKey = 0;
  inherited::DestroyWnd();
}

// ---- The drop-down --------------------------------------------------------------------------

TDateTime TCustomDateEdit::DateOf(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return 0;
  if (value.GetVarType() == varString) {
    TDateTime date = 0;
    return TryTextToDate(TrimBlanks(value.AsString()), FDateFormat, date) ? date
           : FDefaultToday                                                ? Date()
                                                                          : 0;
  }
  return value.AsDouble();
}

void TCustomDateEdit::PassValueToDropDown(const Variant& value) {
  TDateTime date = 0;
  if (!TryTextToDate(IsBlank() ? String() : TrimBlanks(GetText()), FDateFormat, date) || date == 0)
    date = Date();
  if (GetPopup()) GetPopup()->SetStartValue(Variant(date));
}

bool TCustomDateEdit::CanAcceptValue(Variant& value) {
  if (!FOnAcceptDate) return true;
  TDateTime date = DateOf(value);
  bool accept = true;
  FOnAcceptDate(this, date, accept);
  if (accept) value = Variant(date);
  return accept;
}

void TCustomDateEdit::ApplyChosenValue(const Variant& value) {
  SetDateValue(DateOf(value));
  SyncPopupVisible();
  if (GetModified()) inherited::Change();
}

// ---- Keys and focus -------------------------------------------------------------------------

void TCustomDateEdit::KeyDown(WORD& key, TShiftState shift) {
  const bool calendarKey = key == VK_PRIOR || key == VK_NEXT || key == VK_LEFT || key == VK_UP ||
                           key == VK_RIGHT || key == VK_DOWN || key == VK_ADD || key == VK_SUBTRACT;
  // With Alt too: Alt+Down while the calendar is open goes to it, not to the button.
  if (calendarKey && GetPopupVisible()) {
    if (TPopupCalendar* calendar = GetCalendarPopup()) calendar->PopupKeyDown(key, shift);
    key = 0;
  } else if ((key == VK_ADD || key == VK_SUBTRACT) && shift == TShiftState{} && GetDirectInput()) {
    const TDateTime date = GetDateValue() == 0 ? Now() : GetDateValue();
    ApplyDateAndSelect(Int(date) + (key == VK_ADD ? 1 : -1));
    key = 0;
  }
  inherited::KeyDown(key, shift);
}

void TCustomDateEdit::KeyPress(wchar_t& key) {
  const bool special = key == L'T' || key == L't' || key == L'+' || key == L'-';
  if (special && GetPopupVisible()) {
    if (TPopupCalendar* calendar = GetCalendarPopup()) calendar->PopupKeyPress(key);
    key = 0;
    return;
  }
  if (special && GetDirectInput()) {
    if (key == L'T' || key == L't') ApplyDateAndSelect(Date());
    key = 0;
    return;
  }
  inherited::KeyPress(key);
}

void TCustomDateEdit::CMExit(TMessage& message) {
  // A window being closed checks nothing; a text that is no date keeps the focus, to be
  // mended, as the number edit's does.
  if (!GetComponentState().Contains(csDesigning) && FCheckOnExit && !Closing() && !IsBlank()) {
    TDateTime date = 0;
    try {
      date = TextToDateStrict(TrimBlanks(GetText()), FDateFormat);
    } catch (...) {
      RefocusAfterError();
      throw;
    }
    const bool was = FFormatting;
    FFormatting = true;
    SetDateValue(date);
    FFormatting = was;
  }
  inherited::CMExit(message);
}

void TCustomDateEdit::Change() {
  if (!FFormatting) inherited::Change();
}

// ---- TDateEdit ------------------------------------------------------------------------------

TDateEdit::TDateEdit(TComponent* owner) : TCustomDateEdit(owner) { RebuildEditMask(); }

const TPropertyTable* TDateEdit::PublishedProperties() {
  using P = TPublish<TDateEdit>;
  using C = TDateEdit;
  static const TPropertyTable table{
      P::WChar(L"BlanksChar", &C::GetBlanksChar, &C::SetBlanksChar).Default(L' '),
      P::Text(L"ButtonHint", &C::GetButtonHint, &C::SetButtonHint),
      P::Integer(L"ButtonWidth", &C::GetButtonWidth, &C::SetButtonWidth)
          .Stored([](C* c) { return c->GetButtonWidth() != c->NaturalButtonWidth(); }),
      P::Enum(L"GlyphKind", GlyphKindIdents, &C::GetGlyphKind, &C::SetGlyphKind).Default(gkDefault),
      P::Persistent(L"Glyph", &C::GetGlyph, &C::SetGlyph)
          .Stored([](C* c) { return c->GetGlyphKind() == gkCustom; }),
      P::Enum(L"PopupAlign", PopupAlignIdents, &C::GetPopupAlign, &C::SetPopupAlign).Default(epaRight),
      P::Method(L"OnButtonClick", &C::GetOnButtonClick, &C::SetOnButtonClick),
      P::Method(L"OnAcceptDate", &C::GetOnAcceptDate, &C::SetOnAcceptDate),
      P::Strings(L"CalendarHints", &C::GetCalendarHints, &C::SetCalendarHints),
      P::Enum(L"CalendarStyle", CalendarStyleIdents, &C::GetCalendarStyle, &C::SetCalendarStyle)
          .Default(csPopup),
      P::Boolean(L"CheckOnExit", &C::GetCheckOnExit, &C::SetCheckOnExit).Default(false),
      P::ShortCut(L"ClickKey", &C::GetClickKey, &C::SetClickKey).Default(32808),
      P::Boolean(L"DefaultToday", &C::GetDefaultToday, &C::SetDefaultToday).Default(false),
      P::Text(L"DialogTitle", &C::GetDialogTitle, &C::SetDialogTitle)
          .Stored([](C* c) { return !c->GetDialogTitle().empty() && c->GetDialogTitle() != L"Select a Date"; }),
      P::Boolean(L"DirectInput", &C::GetDirectInput, &C::SetDirectInput).Default(true),
      P::Integer(L"NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(2),
      P::Color(L"PopupColor", &C::GetPopupColor, &C::SetPopupColor).Default(clBtnFace),
      P::Boolean(L"ReadOnly", &C::GetEditReadOnly, &C::SetEditReadOnly).Default(false),
      P::Enum(L"StartOfWeek", DayIdents, &C::GetStartOfWeek, &C::SetStartOfWeek).Default(Mon),
      P::Color(L"WeekendColor", &C::GetWeekendColor, &C::SetWeekendColor).Default(clRed),
      P::Set(L"Weekends", DayIdents, &C::GetWeekends, &C::SetWeekends).Default(1u << Sun),
      P::Enum(L"YearDigits", YearDigitsIdents, &C::GetYearDigits, &C::SetYearDigits)
          .Default(dyDefault),
      P::Text(L"Text", &C::GetText, &C::SetText).Stored([](C* c) { return !c->IsBlank(); }),
  };
  return &table;
}
