#include "CurrEdit.h"

#include "NumberText.h"
#include "RxIdents.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"

namespace {

const bool NumEditClassesRegistered = [] {
  RegisterClass<TCurrencyEdit>();
  return true;
}();

// The calculator glyph every number edit shares; freed at program end.
TBitmap* SharedCalculatorGlyph() {
  static const std::unique_ptr<TBitmap> glyph = [] {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromResourceName(::GetModuleHandleW(nullptr), L"CEDITBMP");
    return bitmap;
  }();
  return glyph.get();
}

// A character no number holds and the check of a typed key would not always catch: a line
// break, a tab or a space.
bool IsBlank(wchar_t ch) { return ch == L'\n' || ch == L'\r' || ch == L'\t' || ch == L' '; }

bool HasBlank(const String& text) {
  for (const wchar_t ch : text)
    if (IsBlank(ch)) return true;
  return false;
}

double ReadNumber(const String& text) {
  double value = 0;
  if (!TryParseFloat(NormalizeNumberText(text), value))
    throw EConvertError(L"'%s' is not a valid floating point value", {text});
  return value;
}

}  // namespace

TCustomNumEdit::TCustomNumEdit(TComponent* owner, bool withCalculator)
    : TCustomComboEdit(owner) {
  TControlStyle style = GetControlStyle();
  style.Exclude(csSetCaption);
  SetControlStyle(style);
  SetMaxLength(0);
  FDisplayFormat = GetDefaultDisplayFormat();
  SetDefaultNumGlyphs(2);
  ValueToEditText();
  SetControlState(GetControlState() + TControlState{csCreating});
  SetGlyphKind(gkDefault);
  SetButtonWidth(20);
  SetControlState(GetControlState() - TControlState{csCreating});
  if (withCalculator) {
    auto* calculator = new TPopupCalculator(this);
    calculator->OnSelectionDone = [this](TObject*, bool accept) { CloseDropDown(accept); };
    SetPopup(calculator);
    UpdateCalculatorPopup();
  }
}

TCustomNumEdit::~TCustomNumEdit() {
  Destroying();
  if (TPopupWindow* popup = GetPopup()) {
    popup->OnSelectionDone = nullptr;
    SetPopup(nullptr);
    delete popup;
  }
}

TBitmap* TCustomNumEdit::GetDefaultGlyph(bool& destroyNeeded) {
  destroyNeeded = false;
  return SharedCalculatorGlyph();
}

// ---- Value and range --------------------------------------------------------------------

double TCustomNumEdit::ClampValue(double x, bool raise) const {
  const double result = ClampToRange(x, FMinValue, FMaxValue);
  if (raise && result != x) throw ERangeError(RangeErrorText(FDecimalPlaces, FMinValue, FMaxValue));
  return result;
}

void TCustomNumEdit::CommitEditText() {
  ValidateEdit();
  FValue = ClampValue(ReadNumber(TCustomComboEdit::GetText()), false);
}

double TCustomNumEdit::GetValue() {
  if (!GetComponentState().Contains(csDesigning)) {
    try {
      CommitEditText();
    } catch (const Exception&) {
      // The text does not read as a number (see the header): the value is the one stored last.
    }
  }
  return FValue;
}

void TCustomNumEdit::SetValue(double value) {
  FValue = ClampValue(value, false);
  ValueToEditText();
  Invalidate();
}

void TCustomNumEdit::SetMinValue(double value) {
  if (value == FMinValue) return;
  FMinValue = value;
  SetValue(FValue);
}

void TCustomNumEdit::SetMaxValue(double value) {
  if (value == FMaxValue) return;
  FMaxValue = value;
  SetValue(FValue);
}

void TCustomNumEdit::SetDecimalPlaces(unsigned value) {
  if (value == FDecimalPlaces) return;
  FDecimalPlaces = value;
  ValueToEditText();
  Invalidate();
}

void TCustomNumEdit::SetDisplayFormat(const String& value) {
  if (value == FDisplayFormat) return;
  FDisplayFormat = value;
  Invalidate();
  ValueToEditText();
}

void TCustomNumEdit::SetAlignment(TAlignment value) {
  if (value == FNumAlignment) return;
  FNumAlignment = value;
  Invalidate();
}

void TCustomNumEdit::SetBeepOnError(bool value) {
  if (value == FBeepOnError) return;
  FBeepOnError = value;
  UpdateCalculatorPopup();
}

void TCustomNumEdit::SetZeroEmpty(bool value) {
  if (value == FZeroEmpty) return;
  FZeroEmpty = value;
  ValueToEditText();
}

void TCustomNumEdit::SetFormatOnEditing(bool value) {
  if (value == FFormatOnEditing) return;
  FFormatOnEditing = value;
  SetEditAlignment(value ? FNumAlignment : taLeftJustify);
  if (value && FNumFocused) {
    ReformatWhileEditing();
  } else if (FNumFocused) {
    CommitEditText();
    ValueToEditText();
  }
}

void TCustomNumEdit::SetText(const String& value) {
  if (GetComponentState().Contains(csReading)) return;
  FValue = ClampValue(ReadNumber(value), false);
  ValueToEditText();
  Invalidate();
}

String TCustomNumEdit::FormatValue(double value) const { return FormatNumberValue(value, FDisplayFormat); }

void TCustomNumEdit::UpdateCalculatorPopup() {
  ConfigureCalculatorPopup(GetPopup(), 15, FBeepOnError);
}

void TCustomNumEdit::SetEditTextGuarded(const String& text) {
  const bool was = FFormatting;
  FFormatting = true;
  try {
    TCustomComboEdit::SetText(text);
  } catch (...) {
    FFormatting = was;
    throw;
  }
  FFormatting = was;
}

void TCustomNumEdit::ValueToEditText() {
  SetEditTextGuarded(NumberEditText(FValue, FDecimalPlaces, FZeroEmpty));
}

bool TCustomNumEdit::IsAcceptableChar(wchar_t key) {
  String text = TCustomComboEdit::GetText();
  int start = 0, length = 0;
  if (HandleAllocated()) {
    start = GetSelStart();
    length = GetSelLength();
  }
  if (start > static_cast<int>(text.size())) start = static_cast<int>(text.size());
  text.erase(start, length);
  text.insert(text.begin() + start, key);
  return IsAcceptableNumberText(text, FDecimalPlaces, FMinValue, FMaxValue);
}

void TCustomNumEdit::ReformatWhileEditing() {
  if (!HandleAllocated()) return;
  const bool was = FFormatting;
  FFormatting = true;
  String text = TCustomComboEdit::GetText();
  const int before = static_cast<int>(text.size());
  const int caret = GetSelStart();
  if (!(text.empty() || text == L"-")) text = NormalizeNumberText(text);
  text = GroupThousands(text, FDisplayFormat.find(L',') != String::npos);
  TCustomComboEdit::SetText(text);
  if (Focused() && !GetComponentState().Contains(csDesigning)) {
    const int at = caret + static_cast<int>(text.size()) - before;
    SetSelStart(at < 0 ? 0 : at);
  }
  FFormatting = was;
}

// ---- Keys, focus and painting ------------------------------------------------------------

void TCustomNumEdit::KeyPress(wchar_t& key) {
  if (GetPopupVisible()) {
    const wchar_t upper = key >= L'a' && key <= L'z' ? static_cast<wchar_t>(key - 32) : key;
    if ((upper >= L'0' && upper <= L'9') || String(L"%*+,-./=CQR_").find(upper) != String::npos ||
        upper == 8 || upper == 13 || upper == FormatSettings.DecimalSeparator) {
      if (auto* calculator = dynamic_cast<TPopupCalculator*>(GetPopup()))
        calculator->PopupKeyPress(key);
      key = 0;
      return;
    }
  }
  if (key == L'.' || key == L',') key = FormatSettings.DecimalSeparator;
  inherited::KeyPress(key);
  // Every character from the space up is checked, full-width digits and Chinese text too.
  // Blanks are refused outright: the window is multi-line (for the button's room), so it
  // would take Ctrl+Enter's line feed or a tab as text, and a space at either end would pass
  // the check (reading trims it) and stay in the box.
  if (IsBlank(key) || (key >= 32 && !IsAcceptableChar(key))) {
    key = 0;
    if (FBeepOnError) ::MessageBeep(0);
  } else if (key == 27) {
    Reset();
    key = 0;
  }
}

void TCustomNumEdit::Reset() {
  ValueToEditText();
  SelectAll();
}

void TCustomNumEdit::CMEnter(TMessage& message) {
  // Coming back after a failed exit keeps what the user typed, to be mended.
  const bool returning = FNumFocused;
  FNumFocused = true;
  Invalidate();
  if (!returning) ValueToEditText();
  if (FFormatOnEditing) ReformatWhileEditing();
  inherited::CMEnter(message);
}

void TCustomNumEdit::CMExit(TMessage& message) {
  // A window being closed checks nothing: the value stays the one taken last.
  if (!Closing()) {
    try {
      if (!GetComponentState().Contains(csDesigning) && FCheckOnExit)
        ClampValue(ReadNumber(TCustomComboEdit::GetText()), true);
      CommitEditText();
    } catch (...) {
      RefocusAfterError();
      throw;
    }
  }
  FNumFocused = false;
  Invalidate();
  ValueToEditText();
  if (HandleAllocated()) SetSelStart(0);
  inherited::CMExit(message);
}

void TCustomNumEdit::Change() {
  if (FFormatting) return;
  if (FFormatOnEditing && FNumFocused) ReformatWhileEditing();
  inherited::Change();
}

void TCustomNumEdit::PaintUnfocused(TMessage& message) {
  const bool popupOpen = GetPopupVisible() && GetPopup();
  const String text = popupOpen ? GetPopup()->GetDisplayValueText() : GetPaintText();
  if (!PaintEditText(text, FNumAlignment, FNumFocused && !popupOpen,
                     reinterpret_cast<HDC>(message.WParam)))
    inherited::Dispatch(message);
}

void TCustomNumEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT: PaintUnfocused(message); break;
    case WM_PASTE: Paste(message); break;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
      // An input method's result meets the same filter as typed characters; the composition
      // being made stays in the input method's window, out of the text read on leaving.
      KeepImeApart(message);
      break;
    case CM_ENABLEDCHANGED:
      // Focused, the window's own painting shows the text, and it repaints itself.
      inherited::Dispatch(message);
      if (!FNumFocused) Invalidate();
      break;
    case CM_FONTCHANGED:
      inherited::Dispatch(message);
      Invalidate();
      break;
    default: inherited::Dispatch(message);
  }
}

// A paste that does not read as a number, or that brings a blank (reading would trim a
// space and keep it in the box), is undone with a beep.
void TCustomNumEdit::Paste(TMessage& message) {
  const String before = TCustomComboEdit::GetText();
  bool taken = false;
  try {
    inherited::Dispatch(message);
    if (!HasBlank(TCustomComboEdit::GetText())) {
      CommitEditText();
      taken = true;
    }
  } catch (const Exception&) {
    // Not a number: undone below.
  }
  if (taken) return;
  SetEditTextGuarded(before);
  RefocusAfterError();
  if (FBeepOnError) ::MessageBeep(0);
}

// ---- TCurrencyEdit -------------------------------------------------------------------------

TCurrencyEdit::TCurrencyEdit(TComponent* owner) : TCustomNumEdit(owner, false) {
  SetControlState(GetControlState() + TControlState{csCreating});
  SetButtonWidth(0);
  SetControlState(GetControlState() - TControlState{csCreating});
  SetDisplayFormat(GetDefaultDisplayFormat());
}

String TCurrencyEdit::GetDefaultDisplayFormat() const { return CurrencyDisplayFormat(); }

const TPropertyTable* TCurrencyEdit::PublishedProperties() {
  using P = TPublish<TCurrencyEdit>;
  using C = TCurrencyEdit;
  static const TPropertyTable table{
      P::Enum(L"Alignment", RxAlignmentIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(taRightJustify),
      P::Boolean(L"BeepOnError", &C::GetBeepOnError, &C::SetBeepOnError).Default(true),
      P::Boolean(L"CheckOnExit", &C::GetCheckOnExit, &C::SetCheckOnExit).Default(false),
      P::Cardinal(L"DecimalPlaces", &C::GetDecimalPlaces, &C::SetDecimalPlaces).Default(2),
      P::Text(L"DisplayFormat", &C::GetDisplayFormat, &C::SetDisplayFormat)
          .Stored([](C* c) { return c->IsDisplayFormatStored(); }),
      P::Boolean(L"FormatOnEditing", &C::GetFormatOnEditing, &C::SetFormatOnEditing).Default(false),
      P::Float(L"MaxValue", &C::GetMaxValue, &C::SetMaxValue),
      P::Float(L"MinValue", &C::GetMinValue, &C::SetMinValue),
      P::Boolean(L"ReadOnly", &C::GetEditReadOnly, &C::SetEditReadOnly).Default(false),
      // The value is what a layout keeps; a text read from one is ignored.
      P::Text(L"Text", &C::GetText, &C::SetText).Stored([](C*) { return false; }),
      P::Float(L"Value", &C::GetValue, &C::SetValue),
      P::Boolean(L"ZeroEmpty", &C::GetZeroEmpty, &C::SetZeroEmpty).Default(true),
  };
  return &table;
}
