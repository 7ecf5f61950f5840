// TCustomMaskEdit/TMaskEdit: an edit whose text follows an edit mask (MaskUtils.h).
//
// With a mask the window always holds the edit text: every position of the mask, literals
// in place and blanks where nothing was entered. The control does the editing itself: a
// typed character goes to the position under the caret (skipping literals) when the mask
// allows it there and is refused with a beep otherwise; Backspace and Delete blank
// positions rather than closing them up; the caret sits on one position, shown as that
// character selected. Text is the edit text as the mask's second field says (with or
// without literals, blanks as spaces). Leaving the control validates it (ValidateEdit),
// and Escape puts back the text it had when it was entered. The focus leaving because the
// control or its form is being destroyed validates nothing.
//
// Without a mask (EditMask empty) the control is a plain edit.
//
// Shift with the arrows, Home and End extends the selection over positions from where it
// began: the position under the caret stays selected, Shift+Home selects up to and
// including it, Shift+End from it to the end. A typed character replaces the selection.
//
// An input method's completed result is typed through the mask character by character, as
// keys would be; the composition being made is shown in the input method's own window, not
// inline in the mask.
//
// Not done: double-byte (lead byte) positions.
#pragma once
#include "Edits.h"
#include "MaskUtils.h"

// Raised by ValidateEdit.
CLASSLIB_EXCEPTION(EDBEditError, Exception)

class TCustomMaskEdit : public TCustomEdit {
  CLASSLIB_CLASS(TCustomMaskEdit, TCustomEdit)
  static const TPropertyTable* PublishedProperties();
  explicit TCustomMaskEdit(TComponent* owner);

  // ---- Mask and texts -----------------------------------------------------------------------
  // Setting a mask keeps the characters entered so far where the new mask allows them.
  const String& GetEditMask() const { return FEditMask; }
  void SetEditMask(const String& value);
  bool IsMasked() const { return FMask.IsMasked(); }
  // The parsed mask (empty when not masked).
  const TEditMask& GetMask() const { return FMask; }
  // The text as the window shows it (literals and blanks included).
  String GetEditText();
  void SetEditText(const String& value);  // made to fit the mask
  // The text as the mask's second field says; the window's text when not masked. These
  // hide TControl's GetText/SetText, which give the edit text.
  String GetText();
  void SetText(const String& value);

  // ---- Operations -------------------------------------------------------------------------------
  // Raises EDBEditError "Invalid input value.  Use escape key to abandon changes" when the
  // user changed the text (Modified) and a required position is still blank; the focus
  // comes back to the control and the caret goes to that position first.
  virtual void ValidateEdit();
  // Puts back the text the control had when it was entered, when it was modified since.
  // Escape runs it; a descendant that keeps a value of its own rebuilds the text from that.
  virtual void Reset();
  // The position the caret is on (a masked edit shows it as one selected character).
  int GetCaretPosition() const { return FCaretPos; }
  // While masked the window's limit is the mask's length; the value is kept for later.
  void SetMaxLength(int value) override;

  void Dispatch(TMessage& message) override;

 protected:
  void CreateWnd() override;
  // Arrows, Home, End, Delete and Backspace move over and blank positions of the mask.
  void KeyDown(WORD& key, TShiftState shift) override;
  // A typed character is entered through the mask (and never reaches the window).
  void KeyPress(wchar_t& key) override;
  void CMEnter(TMessage& message) override;
  // Validates before the control is left.
  void CMExit(TMessage& message) override;
  // A click puts the caret on a position.
  void WMLButtonUp(TMessage& message) override;
  // Beeps and raises the validation error.
  virtual void ValidateError();
  // False refuses every change by the user (ReadOnly by default).
  virtual bool EditCanModify();
  // EditCanModify, and the window not made read-only (EM_SETREADONLY): what the user's
  // typing, deleting, cutting and pasting through the mask ask.
  bool UserCanEdit();
  // Puts the caret on position pos (clamped to the edit text): that character selected,
  // the caret before it; at the end, nothing selected.
  void SetMaskCursor(int pos);

 private:
  // The control or a parent is being destroyed.
  bool Closing() const;
  // The selection of the window: start and end (end >= start).
  void GetSel(int& start, int& stop);
  // A position was clicked or the focus came without a selection: show the caret on it.
  void CheckCursor();
  // Replaces the window's text with text, changing only what differs (one change
  // notification) and marking the control modified.
  void ApplyEdit(const String& text);
  // A character typed by the user.
  void InputChar(wchar_t ch);
  // Delete or Backspace.
  void DeleteKeys(WORD key);
  void ArrowKeys(WORD key);
  // Shift with an arrow, Home or End: the selection runs from its anchor to the moved end.
  void ExtendSelection(WORD key);
  // The selected positions become blanks.
  String ClearRange(const String& text, int start, int stop) const;
  void PasteText();  // the clipboard's text entered through the mask

  String FEditMask;           // the mask as given
  TEditMask FMask;            // the mask parsed
  String FOldValue;           // the edit text when the control was entered (Reset)
  int FCaretPos = 0;          // where the caret is on the mask (the moving end of a selection)
  int FSelAnchor = 0;         // the position a selection extended by keys began on
  bool FReEnter = false;      // the focus comes back after a failed validation
  bool FNormalizing = false;  // our own WM_SETTEXT is passing
};

class TMaskEdit : public TCustomMaskEdit {
  CLASSLIB_CLASS(TMaskEdit, TCustomMaskEdit)
  explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};
