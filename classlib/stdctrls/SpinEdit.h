// TSpinEdit: an edit of a whole number with up and down arrows (the common controls'
// up-down window, inside the edit at its right edge) that add or take away Increment.
// The Up and Down keys do the same. The value is kept between MinValue and MaxValue when
// they differ (when the arrows are used, when Value is set, and when the control is left).
// Only what reads as a whole number goes in: a typed key is refused, with a beep, when the
// text it makes is not a sign and digits (a sign after a digit, a number past int), and a
// paste when the text it makes is not a whole number within the limits (" 3", "1 2", "12"
// in 1..6); an input method's result is typed as keys, and its composition is shown in the
// input method's own window, never in the text. Leaving the control with a text that is
// not a whole number within the limits (emptied, a lone sign, a number typed past them)
// shows the value that text reads as, so that what shows is what Value gives.
//
// Not done: auto-repeat timing is the up-down window's own.
#pragma once
#include "Edits.h"

class TSpinEdit : public TCustomEdit {
  CLASSLIB_CLASS(TSpinEdit, TCustomEdit)
  static const TPropertyTable* PublishedProperties();
  // Value 0, Increment 1, no limits (MinValue = MaxValue = 0).
  explicit TSpinEdit(TComponent* owner);

  // ---- Attributes ----------------------------------------------------------------------
  int GetMinValue() const { return FMinValue; }
  void SetMinValue(int value) { FMinValue = value; }
  int GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(int value) { FMaxValue = value; }
  int GetIncrement() const { return FIncrement; }
  void SetIncrement(int value) { FIncrement = value; }
  // The number in the text; MinValue when the text is no number.
  int GetValue();
  // Shows value, brought within the limits.
  void SetValue(int value);
  // False: the value changes only by the arrows and keys; nothing can be typed or pasted.
  bool GetEditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool value) { FEditorEnabled = value; }
  // value within MinValue..MaxValue, unless they are equal (no limits).
  int CheckValue(int value) const;
  // True when text is an optional sign and decimal digits, nothing else, of a number that
  // CheckValue keeps as it is.
  bool IsWholeNumberText(const String& text) const;
  // True when text is empty, a sign, or a sign and decimal digits of a number within int.
  bool CanBeginNumberText(const String& text) const;
  // The up-down window (nullptr while the edit has no window).
  HWND GetButtonHandle() const { return FButton; }

  void Dispatch(TMessage& message) override;

 protected:
  // Value + Increment (a beep when ReadOnly).
  virtual void UpClick();
  // Value - Increment (a beep when ReadOnly).
  virtual void DownClick();
  // Digits, '+', '-' and control keys other than Enter; with EditorEnabled false none
  // that would change the text. KeyPress also refuses a valid character that makes a text
  // CanBeginNumberText refuses.
  virtual bool IsValidChar(wchar_t key);
  // The edit clips its child, the arrows: otherwise the edit's own painting (a click into
  // it, the caret, a selection) covers them until they paint again.
  void CreateParams(TCreateParams& params) override;
  // Makes the arrows inside the new window.
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  // A text that is no whole number within the limits is replaced by the value (GetValue).
  void CMExit(TMessage& message) override;
  void WMSize(TMessage& message) override;

 private:
  // Places the arrows at the right edge and keeps the text clear of them.
  void LayoutButton();
  // The up-down window told of a click (UDN_DELTAPOS); true when it was ours.
  bool ButtonNotify(TMessage& message);
  // The text with the selection replaced by inserted.
  String EditedText(const String& inserted);
  // A paste whose text would not read as a whole number within the limits is refused.
  void Paste(TMessage& message);
  void Step(int64_t delta);

  int FMinValue = 0;
  int FMaxValue = 0;
  int FIncrement = 1;
  bool FEditorEnabled = true;
  HWND FButton = nullptr;  // the up-down window, a child of the edit's window (destroyed with it)
};
