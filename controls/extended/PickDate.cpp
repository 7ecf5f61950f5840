#include "PickDate.h"

#include "DateUtil.h"
#include "RxUtils.h"
#include "StrUtils.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/classes/StringList.h"
#include "classlib/forms/Forms.h"
#include "classlib/forms/Scaling.h"

using namespace StrUtils;

namespace {

const wchar_t* const DayNames[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
const TEnumInfo DayOfWeekIdents = MakeEnumInfo(DayNames);

const bool CalendarClassesRegistered = [] {
  RegisterClass<TRxCalendar>();
  return true;
}();

void Split(TDateTime date, int& y, int& m, int& d) { DecodeDate(date, y, m, d); }

}  // namespace

// ---- TRxCalendar ----------------------------------------------------------------------------

TRxCalendar::TRxCalendar(TComponent* owner) : TCustomGrid(owner) {
  SetFixedCols(0);
  SetFixedRows(1);
  SetColCount(7);
  SetRowCount(7);
  SetScrollBars(ssNone);
  TGridOptions options = GetOptions();
  options.Exclude(goRangeSelect);
  options.Include(goDrawFocusSelected);
  SetOptions(options);
  SetControlStyle(GetControlStyle() + TControlStyle{csFramed});
  FDate = Date();
  RecalcLayout();
}

void TRxCalendar::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= WS_BORDER;
  params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

int TRxCalendar::GetDay() const {
  int y, m, d;
  Split(FDate, y, m, d);
  return d;
}

int TRxCalendar::GetMonth() const {
  int y, m, d;
  Split(FDate, y, m, d);
  return m;
}

int TRxCalendar::GetYear() const {
  int y, m, d;
  Split(FDate, y, m, d);
  return y;
}

void TRxCalendar::ChangeDate(int year, int month, int day) {
  TDateTime date = 0;
  if (!IsValidDate(year, month, day) || !TryEncodeDate(year, month, day, date)) return;
  const bool dayOnly = year == GetYear() && month == GetMonth();
  FDate = date;
  FUseCurrentDate = false;
  if (dayOnly) {
    // Only the selected cell moves.
    FUpdating = true;
    const int offset = GetDay() - FMonthOffset;
    MoveColRow(offset % 7, offset / 7 + 1, false, false);
    FUpdating = false;
  } else {
    RecalcLayout();
  }
  Change();
}

void TRxCalendar::SetDay(int value) {
  if (value < 1 || value == GetDay()) return;
  if (value > DaysInMonth(GetYear(), GetMonth())) return;
  ChangeDate(GetYear(), GetMonth(), value);
}

void TRxCalendar::SetMonth(int value) {
  if (value < 1 || value > 12 || value == GetMonth()) return;
  const int last = DaysInMonth(GetYear(), value);
  ChangeDate(GetYear(), value, GetDay() > last ? last : GetDay());
}

void TRxCalendar::SetYear(int value) {
  if (value < 1 || value > 9999 || value == GetYear()) return;
  // 29 February has no place in a year without it.
  const int last = DaysInMonth(value, GetMonth());
  ChangeDate(value, GetMonth(), GetDay() > last ? last : GetDay());
}

void TRxCalendar::SetCalendarDate(TDateTime value) {
  if (value == FDate || !IsValidDateTime(value)) return;
  FDate = Int(value);
  RecalcLayout();
  Change();
}

void TRxCalendar::SetStartOfWeek(TDayOfWeekName value) {
  if (value == FStartOfWeek) return;
  FStartOfWeek = value;
  RecalcLayout();
}

void TRxCalendar::SetWeekends(TDaysOfWeek value) {
  if (value == FWeekends) return;
  FWeekends = value;
  RecalcLayout();
}

void TRxCalendar::SetWeekendColor(TColor value) {
  if (value == FWeekendColor) return;
  FWeekendColor = value;
  Invalidate();
}

void TRxCalendar::SetUseCurrentDate(bool value) {
  FUseCurrentDate = value;
  if (value) {
    FDate = Date();
    RecalcLayout();
  }
}

void TRxCalendar::Change() {
  if (FOnChange) FOnChange(this);
}

void TRxCalendar::RecalcLayout() {
  int y, m, d;
  Split(FDate, y, m, d);
  const int first = DayOfWeek(EncodeDate(y, m, 1));  // 1 = Sunday
  FMonthOffset = 2 - ((first - static_cast<int>(FStartOfWeek) + 7) % 7);
  // The 1st falls in the first week row, never alone in a second one.
  if (FMonthOffset == 2) FMonthOffset = -5;
  FUpdating = true;
  const int cell = d - FMonthOffset;
  MoveColRow(cell % 7, cell / 7 + 1, false, false);
  FUpdating = false;
  Invalidate();
}

int TRxCalendar::DayAt(int col, int row) const {
  if (row < 1) return 0;
  const int day = FMonthOffset + col + 7 * (row - 1);
  int y, m, d;
  Split(FDate, y, m, d);
  return day >= 1 && day <= DaysInMonth(y, m) ? day : 0;
}

String TRxCalendar::CellText(int col, int row) const {
  if (row == 0) return FormatSettings.ShortDayNames[(static_cast<int>(FStartOfWeek) + col) % 7];
  const int day = DayAt(col, row);
  return day ? IntToStr(day) : String();
}

bool TRxCalendar::IsWeekend(int col) const {
  return (FWeekends >> ((static_cast<int>(FStartOfWeek) + col) % 7)) & 1u;
}

void TRxCalendar::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  TCanvas* canvas = GetCanvas();
  if (IsWeekend(col) && !state.Contains(gdSelected)) canvas->GetFont()->SetColor(FWeekendColor);
  const String text = CellText(col, row);
  canvas->TextRect(rect, rect.Left + (rect.Width() - canvas->TextWidth(text)) / 2,
                   rect.Top + (rect.Height() - canvas->TextHeight(text)) / 2, text);
}

bool TRxCalendar::SelectCell(int col, int row) {
  if (!FUpdating && FReadOnly) return false;
  return DayAt(col, row) != 0;
}

void TRxCalendar::Click() {
  inherited::Click();
  if (const int day = DayAt(GetCol(), GetRow())) SetDay(day);
}

void TRxCalendar::ShiftMonth(int delta) {
  int y, m, d;
  Split(FDate, y, m, d);
  // From the month's edge, delta days land in the next or the previous month.
  TDateTime edge = EncodeDate(y, m, delta > 0 ? DaysInMonth(y, m) : 1) + delta;
  if (!IsValidDateTime(edge)) return;
  int ny, nm, nd;
  Split(edge, ny, nm, nd);
  const int last = DaysInMonth(ny, nm);
  SetCalendarDate(EncodeDate(ny, nm, d < last ? d : last));
}

void TRxCalendar::KeyDown(WORD& key, TShiftState shift) {
  if (shift == TShiftState{}) {
    if (key == VK_LEFT || key == VK_SUBTRACT) {
      if (GetDay() > 1)
        SetDay(GetDay() - 1);
      else
        SetCalendarDate(FDate - 1);
      key = 0;
      return;
    }
    if (key == VK_RIGHT || key == VK_ADD) {
      if (GetDay() < DaysInMonth(GetYear(), GetMonth()))
        SetDay(GetDay() + 1);
      else
        SetCalendarDate(FDate + 1);
      key = 0;
      return;
    }
  }
  inherited::KeyDown(key, shift);
}

void TRxCalendar::KeyPress(wchar_t& key) {
  if (key == L'T' || key == L't') {
    SetCalendarDate(Date());
    key = 0;
    return;
  }
  inherited::KeyPress(key);
}

void TRxCalendar::Dispatch(TMessage& message) {
  if (message.Msg == WM_SIZE) {
    inherited::Dispatch(message);
    const TGridOptions options = GetOptions();
    const int lines = options.Contains(goVertLine) || options.Contains(goFixedVertLine)
                          ? 6 * GetGridLineWidth()
                          : 0;
    const int width = LOWORD(message.LParam), height = HIWORD(message.LParam);
    SetDefaultColWidth((width - lines) / 7 > 0 ? (width - lines) / 7 : 1);
    SetDefaultRowHeight((height - 6 * GetGridLineWidth()) / 7 > 0 ? (height - 6 * GetGridLineWidth()) / 7 : 1);
    return;
  }
  inherited::Dispatch(message);
}

const TPropertyTable* TRxCalendar::PublishedProperties() {
  using P = TPublish<TRxCalendar>;
  using C = TRxCalendar;
  static const TPropertyTable table{
      P::Float(L"CalendarDate", &C::GetCalendarDate, &C::SetCalendarDate)
          .Stored([](C* c) { return !c->GetUseCurrentDate(); }),
      // Views of the date: read from a layout when there, never written.
      P::Integer(L"Day", &C::GetDay, &C::SetDay).Stored([](C*) { return false; }),
      P::Integer(L"Month", &C::GetMonth, &C::SetMonth).Stored([](C*) { return false; }),
      P::Integer(L"Year", &C::GetYear, &C::SetYear).Stored([](C*) { return false; }),
      P::Boolean(L"ReadOnly", &C::GetReadOnly, &C::SetReadOnly).Default(false),
      P::Enum(L"StartOfWeek", DayOfWeekIdents, &C::GetStartOfWeek, &C::SetStartOfWeek).Default(Mon),
      P::Boolean(L"UseCurrentDate", &C::GetUseCurrentDate, &C::SetUseCurrentDate).Default(true),
      P::Color(L"WeekendColor", &C::GetWeekendColor, &C::SetWeekendColor).Default(clRed),
      P::Set(L"Weekends", DayOfWeekIdents, &C::GetWeekends, &C::SetWeekends).Default(1u << Sun),
      P::Method(L"OnChange", &C::GetOnChange, &C::SetOnChange),
  };
  return &table;
}

// ---- TLocCalendar ----------------------------------------------------------------------------

TLocCalendar::TLocCalendar(TComponent* owner) : TRxCalendar(owner) {
  SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csReplicatable});
  SetCtl3D(false);
  SetEnabled(false);
  SetBorderStyle(bsNone);
  SetParentColor(true);
  SetCalendarDate(Date());
  SetUseCurrentDate(false);
  SetFixedColor(GetColor());
  SetOptions(TGridOptions{goFixedHorzLine});
  SetTabStop(false);
}

void TLocCalendar::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style &= ~(WS_DISABLED | WS_BORDER | WS_TABSTOP);
}

void TLocCalendar::CreateWnd() {
  inherited::CreateWnd();
  EnableWindowForMouse(this);
}

void TLocCalendar::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(message);
      EnableWindowForMouse(this);
      break;
    case CM_PARENTCOLORCHANGED:
      inherited::Dispatch(message);
      if (GetParentColor()) SetFixedColor(GetColor());
      break;
    default: inherited::Dispatch(message);
  }
}

void TLocCalendar::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  inherited::DrawCell(col, row, rect, state);
  int y, m, d;
  DecodeDate(Date(), y, m, d);
  if (row > 0 && GetYear() == y && GetMonth() == m && DayAt(col, row) == d) {
    TRect r = rect;
    Frame3D(GetCanvas(), r, clBtnShadow, clBtnHighlight, 1);
  }
}

// ---- TPopupCalendar -------------------------------------------------------------------------

TPopupCalendar::TPopupCalendar(TWinControl* owner) : TPopupWindow(owner) {
  SetBounds(0, 0, 270, 140);
  SetColor(clBtnFace);
  SetDefaultFont(GetFont());
  SetShowHint(owner ? owner->GetShowHint() : true);
  auto* back = new TPanel(this);
  back->SetAlign(alClient);
  back->SetBevelOuter(bvNone);
  back->SetParentColor(true);
  back->SetCaption(String());
  back->SetParent(this);
  auto* header = new TPanel(this);
  header->SetAlign(alTop);
  header->SetBounds(0, 0, GetWidth() - 4, 18);
  header->SetBevelOuter(bvNone);
  header->SetParentColor(true);
  header->SetCaption(String());
  header->SetParent(back);
  FCalendar = new TLocCalendar(this);
  FCalendar->SetAlign(alClient);
  FCalendar->SetOnChange([this](TObject*) { RefreshTitle(); });
  FCalendar->SetOnMouseUp([this](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    int col = 0, row = 0;
    FCalendar->MouseToCell(x, y, col, row);
    if (button == mbLeft && shift == TShiftState{} && row > 0 && FCalendar->DayAt(col, row))
      FinishSelection(true);
  });
  FCalendar->SetParent(back);
  const wchar_t* const glyphs[] = {L"PREV2", L"PREV1", L"NEXT1", L"NEXT2"};
  const wchar_t* const hints[] = {L"Previous Year|", L"Previous Month|", L"Next Month|",
                                  L"Next Year|"};
  const int width = header->GetWidth();
  const int lefts[] = {-1, 12, width - 26, width - 13};
  for (int i = 0; i < 4; ++i) {
    auto* button = new TRxTimerSpeedButton(this);
    button->SetBounds(lefts[i], -1, 14, 14);
    TBitmap glyph;
    glyph.LoadFromResourceName(::GetModuleHandleW(nullptr), glyphs[i]);
    button->SetGlyph(&glyph);
    button->SetHint(hints[i]);
    button->SetParent(header);
    FButtons[i] = button;
  }
  FButtons[0]->SetOnClick([this](TObject*) { FCalendar->PrevYear(); });
  FButtons[1]->SetOnClick([this](TObject*) { FCalendar->PrevMonth(); });
  FButtons[2]->SetOnClick([this](TObject*) { FCalendar->NextMonth(); });
  FButtons[3]->SetOnClick([this](TObject*) { FCalendar->NextYear(); });
  FTitle = new TLabel(this);
  FTitle->SetAutoSize(false);
  FTitle->SetAlignment(taCenter);
  FTitle->SetTransparent(true);
  FTitle->SetBounds(29, 1, width - 58, 14);
  FTitle->SetOnDblClick([this](TObject*) { FCalendar->SetCalendarDate(Date()); });
  FTitle->SetParent(header);
  RefreshTitle();
}

void TPopupCalendar::RefreshTitle() {
  FTitle->SetCaption(FormatDateTime(L"mmmm, yyyy", FCalendar->GetCalendarDate()));
}

void TPopupCalendar::GetChosenValue(Variant& value) { value = Variant(FCalendar->GetCalendarDate()); }

void TPopupCalendar::SetStartValue(const Variant& value) {
  TDateTime date = Date();
  try {
    if (value.IsNull() || value.IsEmpty()) {
      date = Date();
    } else if (value.GetVarType() == varString) {
      const String text = TrimBlanks(DeleteChars(value.AsString(), FormatSettings.DateSeparator));
      if (!text.empty()) date = StrToDate(value.AsString());
    } else {
      date = value.AsDouble();
    }
  } catch (const Exception&) {
    date = Date();
  }
  if (!IsValidDateTime(date) || date == 0) date = Date();
  FCalendar->SetCalendarDate(date);
  RefreshTitle();
}

void TPopupCalendar::PopupKeyDown(WORD& key, TShiftState shift) {
  const bool ctrl = shift.Contains(ssCtrl);
  if (key == VK_PRIOR) {
    ctrl ? FCalendar->PrevYear() : FCalendar->PrevMonth();
    key = 0;
  } else if (key == VK_NEXT) {
    ctrl ? FCalendar->NextYear() : FCalendar->NextMonth();
    key = 0;
  } else {
    FCalendar->CalendarKeyDown(key, shift);
  }
}

void TPopupCalendar::PopupKeyPress(wchar_t& key) { FCalendar->CalendarKeyPress(key); }

namespace {

// After scaling a window laid out at 96 dpi: the calendar takes the window's font, and that
// is the default font again (the system's font already suits the screen; scaled, it would
// be too large).
void ResetCalendarFont(TWinControl* window, TRxCalendar* calendar) {
  calendar->SetParentFont(true);
  SetDefaultFont(window->GetFont());
}

}  // namespace

void ScaleDropDownCalendar(TPopupCalendar* popup, int pixelsPerInch) {
  if (pixelsPerInch == 96) return;
  ScaleControl(popup, pixelsPerInch, 96);
  ResetCalendarFont(popup, popup->GetCalendar());
}

TPopupCalendar* NewDropDownCalendar(TWinControl* owner, TBiDiMode bidiMode) {
  auto* popup = new TPopupCalendar(owner);
  if (owner && !owner->GetComponentState().Contains(csDesigning) && Screen)
    ScaleDropDownCalendar(popup, Screen->GetPixelsPerInch());
  popup->SetBiDiMode(bidiMode);
  return popup;
}

void ConfigureDropDownCalendar(TPopupWindow* popup, TDayOfWeekName startOfWeek,
                               TDaysOfWeek weekends, TColor weekendColor, TStrings* hints) {
  auto* calendar = dynamic_cast<TPopupCalendar*>(popup);
  if (!calendar) return;
  calendar->GetCalendar()->SetStartOfWeek(startOfWeek);
  calendar->GetCalendar()->SetWeekendColor(weekendColor);
  calendar->GetCalendar()->SetWeekends(weekends);
  if (!hints) return;
  for (int i = 0; i < hints->GetCount() && i < 4; ++i)
    if (!hints->Get(i).empty()) calendar->GetButton(i)->SetHint(hints->Get(i));
}

// ---- TSelectDateDlg -------------------------------------------------------------------------

TSelectDateDlg::TSelectDateDlg(TComponent* owner) : TForm(owner) {
  SetCaption(L"Select a Date");
  SetBorderStyle(bsToolWindow);
  SetBorderIcons(TBorderIcons{biSystemMenu});
  SetClientWidth(222);
  SetClientHeight(154);
  SetDefaultFont(GetFont());
  SetColor(clBtnFace);
  SetPosition(poScreenCenter);
  SetShowHint(true);
  SetKeyPreview(true);
  SetOnKeyDown([this](TObject* sender, WORD& key, TShiftState shift) { FormKeyDown(sender, key, shift); });
  auto* top = new TPanel(this);
  top->SetBounds(0, 0, 222, 22);
  top->SetAlign(alTop);
  top->SetBevelInner(bvLowered);
  top->SetCaption(String());
  top->SetParent(this);
  FTitle = new TLabel(this);
  FTitle->SetAutoSize(false);
  FTitle->SetBounds(35, 4, 152, 14);
  FTitle->SetAlignment(taCenter);
  FTitle->GetFont()->SetColor(clBlue);
  FTitle->GetFont()->SetStyle(TFontStyles{fsBold});
  FTitle->SetTransparent(true);
  FTitle->SetOnDblClick([this](TObject* sender) { TopPanelDblClick(sender); });
  FTitle->SetParent(top);
  const wchar_t* const glyphs[] = {L"PREV2", L"PREV1", L"NEXT1", L"NEXT2"};
  const wchar_t* const hints[] = {L"Previous Year|", L"Previous Month|", L"Next Month|",
                                  L"Next Year|"};
  const int lefts[] = {3, 18, 188, 203};
  for (int i = 0; i < 4; ++i) {
    auto* button = new TRxTimerSpeedButton(this);
    button->SetBounds(lefts[i], 3, 16, 16);
    TBitmap glyph;
    glyph.LoadFromResourceName(::GetModuleHandleW(nullptr), glyphs[i]);
    button->SetGlyph(&glyph);
    button->SetHint(hints[i]);
    button->SetParent(top);
    FButtons[i] = button;
  }
  FButtons[0]->SetOnClick([this](TObject* s) { PrevYearBtnClick(s); });
  FButtons[1]->SetOnClick([this](TObject* s) { PrevMonthBtnClick(s); });
  FButtons[2]->SetOnClick([this](TObject* s) { NextMonthBtnClick(s); });
  FButtons[3]->SetOnClick([this](TObject* s) { NextYearBtnClick(s); });
  auto* bottom = new TPanel(this);
  bottom->SetBounds(0, 133, 222, 21);
  bottom->SetAlign(alBottom);
  bottom->SetBevelOuter(bvNone);
  bottom->SetCaption(String());
  bottom->SetParent(this);
  auto* ok = new TButton(this);
  ok->SetBounds(0, 0, 112, 21);
  ok->SetCaption(L"OK");
  ok->SetModalResult(mrOk);
  ok->SetParent(bottom);
  auto* cancel = new TButton(this);
  cancel->SetBounds(111, 0, 111, 21);
  cancel->SetCaption(L"Cancel");
  cancel->SetModalResult(mrCancel);
  cancel->SetCancel(true);
  cancel->SetParent(bottom);
  auto* middle = new TPanel(this);
  middle->SetBounds(0, 22, 222, 111);
  middle->SetAlign(alClient);
  middle->SetBevelInner(bvLowered);
  middle->SetCaption(String());
  middle->SetParent(this);
  FCalendar = new TRxCalendar(this);
  FCalendar->SetBounds(2, 2, 218, 113);
  FCalendar->SetAlign(alClient);
  FCalendar->SetColor(clWhite);
  FCalendar->SetUseCurrentDate(false);
  FCalendar->SetOnChange([this](TObject* s) { CalendarChange(s); });
  FCalendar->SetOnDblClick([this](TObject* s) { CalendarDblClick(s); });
  FCalendar->SetParent(middle);
  SetDate(Date());
  SetActiveControl(FCalendar);
}

void TSelectDateDlg::SetDate(TDateTime value) {
  if (value == 0) value = Date();
  FCalendar->SetCalendarDate(value);
  CalendarChange(nullptr);
}

void TSelectDateDlg::CalendarChange(TObject*) {
  FTitle->SetCaption(FormatDateTime(L"mmmm, yyyy", FCalendar->GetCalendarDate()));
}

void TSelectDateDlg::PrevMonthBtnClick(TObject*) { FCalendar->PrevMonth(); }
void TSelectDateDlg::NextMonthBtnClick(TObject*) { FCalendar->NextMonth(); }
void TSelectDateDlg::PrevYearBtnClick(TObject*) { FCalendar->PrevYear(); }
void TSelectDateDlg::NextYearBtnClick(TObject*) { FCalendar->NextYear(); }
void TSelectDateDlg::CalendarDblClick(TObject*) { SetModalResult(mrOk); }
void TSelectDateDlg::TopPanelDblClick(TObject*) { SetDate(Date()); }

void TSelectDateDlg::FormKeyDown(TObject*, WORD& key, TShiftState shift) {
  const bool ctrl = shift.Contains(ssCtrl);
  switch (key) {
    case VK_RETURN: SetModalResult(mrOk); break;
    case VK_ESCAPE: SetModalResult(mrCancel); break;
    case VK_NEXT: ctrl ? FCalendar->NextYear() : FCalendar->NextMonth(); break;
    case VK_PRIOR: ctrl ? FCalendar->PrevYear() : FCalendar->PrevMonth(); break;
    case VK_TAB:
      shift.Contains(ssShift) ? FCalendar->PrevMonth() : FCalendar->NextMonth();
      break;
    default: return;
  }
  key = 0;
  FTitle->Update();
}

void TSelectDateDlg::CMDialogKey(TMessage& message) {
  // A focused control hands Tab to the form as a dialog key before any key-down runs, so the
  // key preview would never see it: the form's key-down takes it here first.
  const TWMKey key(message);
  WORD code = key.GetCharCode();
  if (code == VK_TAB && GetKeyPreview()) {
    KeyDown(code, KeyDataToShiftState(key.GetKeyData()));
    if (code == 0) {
      message.Result = 1;
      return;
    }
  }
  inherited::CMDialogKey(message);
}

bool RunDateDialog(TDateTime& date, const String& caption, TDayOfWeekName startOfWeek,
                   TDaysOfWeek weekends, TColor weekendColor, TStrings* hints) {
  std::unique_ptr<TSelectDateDlg> dialog(TCustomForm::Create<TSelectDateDlg>(Application));
  if (!caption.empty()) dialog->SetCaption(caption);
  if (Screen && Screen->GetPixelsPerInch() != 96) {
    dialog->ScaleBy(Screen->GetPixelsPerInch(), 96);
    ResetCalendarFont(dialog.get(), dialog->GetCalendar());  // centred on the screen when shown
  }
  dialog->SetDate(date);
  dialog->GetCalendar()->SetStartOfWeek(startOfWeek);
  dialog->GetCalendar()->SetWeekends(weekends);
  dialog->GetCalendar()->SetWeekendColor(weekendColor);
  if (hints)
    for (int i = 0; i < hints->GetCount() && i < 4; ++i)
      if (!hints->Get(i).empty()) dialog->GetButton(i)->SetHint(hints->Get(i));
  if (dialog->ShowModal() != mrOk) return false;
  date = dialog->GetDate();
  return true;
}
