// The number edit: TCustomNumEdit holds a floating-point value, shows it with DisplayFormat
// while it does not have the focus and plainly while it has, lets only texts that read as
// numbers with at most DecimalPlaces decimals be typed (a refused key beeps and changes
// nothing; a line break, a tab or a space never goes in, typed or pasted; an input method's
// result is filtered as typed keys, and its composition is shown in the input method's own
// window, never in the text), and keeps the value within MinValue..MaxValue. It can drop a
// calculator from its button; TCurrencyEdit, the published form, has no button.
//
// Reading Value while the text does not convert gives the value stored last, not MinValue:
// deleting is not filtered (removing the "5" of "1E5" leaves "1E"), and a window that saves
// what it reads would otherwise replace the value set before with the minimum. A text that
// would overflow is refused. Leaving the box with a text out of range (CheckOnExit) raises
// the range error, which the window procedure hands to the application; the focus stays.
#pragma once
#include "RxCalc.h"
#include "ToolEdit.h"

class TCustomNumEdit : public TCustomComboEdit {
  CLASSLIB_CLASS(TCustomNumEdit, TCustomComboEdit)
  // withCalculator: the button drops a calculator.
  explicit TCustomNumEdit(TComponent* owner, bool withCalculator = true);
  ~TCustomNumEdit() override;

  // ---- Attributes --------------------------------------------------------------------
  // The value; reading it first takes in what was typed.
  double GetValue();
  void SetValue(double value);  // clamped to the range
  double GetMinValue() const { return FMinValue; }
  void SetMinValue(double value);  // re-clamps the value
  double GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(double value);
  unsigned GetDecimalPlaces() const { return FDecimalPlaces; }
  void SetDecimalPlaces(unsigned value);
  String GetDisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& value);
  TAlignment GetAlignment() const { return FNumAlignment; }
  void SetAlignment(TAlignment value);
  bool GetBeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(bool value);
  bool GetCheckOnExit() const { return FCheckOnExit; }
  void SetCheckOnExit(bool value) { FCheckOnExit = value; }
  bool GetZeroEmpty() const { return FZeroEmpty; }
  void SetZeroEmpty(bool value);
  bool GetFormatOnEditing() const { return FFormatOnEditing; }
  void SetFormatOnEditing(bool value);
  // The edit text; setting it sets the value (EConvertError when it is not a number).
  String GetText() { return TCustomComboEdit::GetText(); }
  void SetText(const String& value);
  // What the box shows while it does not have the focus.
  virtual String GetPaintText() { return FormatValue(FValue); }
  String FormatValue(double value) const;
  bool IsDisplayFormatStored() { return FDisplayFormat != GetDefaultDisplayFormat(); }

  // ---- Operations --------------------------------------------------------------------
  void Clear() { SetText(String()); }
  // The edit text rebuilt from the value, and selected (when typing is allowed); Escape
  // runs it.
  void Reset() override;
  // Takes in the edit text: the value it reads as, clamped (EConvertError when it does not
  // read as a number).
  void CommitEditText();

  void Dispatch(TMessage& message) override;

 protected:
  virtual void ValueToEditText();
  virtual String GetDefaultDisplayFormat() const { return L",0.##"; }
  virtual bool IsAcceptableChar(wchar_t key);
  void UpdateCalculatorPopup();
  void KeyPress(wchar_t& key) override;
  void CMEnter(TMessage& message) override;
  void CMExit(TMessage& message) override;
  void Change() override;
  TBitmap* GetDefaultGlyph(bool& destroyNeeded) override;
  void ReformatWhileEditing();

 private:
  double ClampValue(double x, bool raise) const;
  void SetEditTextGuarded(const String& text);
  void PaintUnfocused(TMessage& message);
  void Paste(TMessage& message);

  TAlignment FNumAlignment = taRightJustify;  // of the unfocused display
  bool FNumFocused = false;                   // between entering and leaving
  double FValue = 0;                          // the committed value
  double FMinValue = 0, FMaxValue = 0;
  unsigned FDecimalPlaces = 2;                // decimals that may be typed
  bool FBeepOnError = true;
  bool FCheckOnExit = false;
  bool FZeroEmpty = true;
  bool FFormatOnEditing = false;
  bool FFormatting = false;                   // the control is writing its own text
  String FDisplayFormat;
};

class TCurrencyEdit : public TCustomNumEdit {
  CLASSLIB_CLASS(TCurrencyEdit, TCustomNumEdit)
  static const TPropertyTable* PublishedProperties();
  // A plain box: no button.
  explicit TCurrencyEdit(TComponent* owner);

 protected:
  String GetDefaultDisplayFormat() const override;
};
