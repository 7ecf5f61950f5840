// TSeCustomEdit: a single-line edit that keeps its own wide text and draws text, selection,
// caret and password cells itself, with clipboard commands, an undo history
// (TEditActionStack), input-method results and a context menu of the library's own popup.
//
// Positions count UTF-16 units; the caret, the selection's ends and the first visible
// character always stay within the text, and the caret never rests inside a surrogate pair
// through keys. Only changes that took effect are recorded for undo; a change made through
// the Text writer (or the case) clears the history.
//
// Not done: ImeMode and ImeName are kept and stored only; focusing the edit switches no
// input method.
#pragma once
#include <memory>

#include "EditUndo.h"
#include "SkinControl.h"
#include "classlib/stdctrls/Edits.h"

class TSeCustomPopupMenu;
class TSeCustomItem;
class TSePopupMenuOptions;

// Scoped: the stored names (pkNone ...) would clash with the property kinds' names.
enum class TPasswordKind { pkNone, pkChar, pkRect, pkRoundRect, pkCircle, pkTriangle };
extern const TEnumInfo PasswordKindIdents;

// Word positions over text (spaces are the only separators): where Ctrl+Right and Ctrl+Left
// take a caret at position (0 .. length).
int EditNextWord(const String& text, int position);
int EditPreviousWord(const String& text, int position);
// text cut at its first line break (CR or LF).
String FirstLine(const String& text);

// The context menu's commands, in menu order ("-" items are separators).
enum TEditMenuCommand { emUndo, emCut, emCopy, emPaste, emDelete, emSelectAll };

class TSeCustomEdit : public TSeCustomControl, public TEditUndoTarget {
  CLASSLIB_CLASS(TSeCustomEdit, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomEdit(TComponent* owner);
  ~TSeCustomEdit() override;

  // ---- Text ---------------------------------------------------------------------------------
  const String& GetText() const { return FText; }
  // Sets the text (cased by CharCase) when CanChangeText agrees; clears the undo history and
  // keeps caret and selection within the new text.
  void SetText(const String& value);
  TEditCharCase GetCharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase value);
  int GetMaxLength() const { return FMaxLength; }
  void SetMaxLength(int value);  // below 0 is taken as 0 (no limit)
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  bool GetAutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool value) { FAutoSelect = value; }
  bool GetHideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  wchar_t GetPasswordWideChar() const { return FPasswordWideChar; }
  void SetPasswordWideChar(wchar_t value);
  TPasswordKind GetPasswordKind() const { return FPasswordKind; }
  void SetPasswordKind(TPasswordKind value);
  TAlignment GetTextAlignment() const { return FTextAlignment; }
  void SetTextAlignment(TAlignment value);
  TSePopupMenuOptions* GetContextMenuOptions() const { return FContextMenuOptions.get(); }
  void SetContextMenuOptions(TSePopupMenuOptions* value);
  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }
  // The edit's writer of Cursor (also the stored one): the default cursor becomes the I-beam.
  void SetCursor(TCursor value) { TSeCustomControl::SetCursor(value == crDefault ? crIBeam : value); }

  // ---- Caret and selection ----------------------------------------------------------------------
  int GetCaretPosition() const { return FCaretPosition; }
  int GetFirstVisible() const { return FFirstVisible; }
  int GetSelStart() const;
  int GetSelLength() const { return FSelLength < 0 ? -FSelLength : FSelLength; }
  String GetSelText() const;
  void SetCaretPosition(int position);
  void SetSelStart(int position);
  void SetSelLength(int length);
  void SelectAll();
  void SelectWord();

  // ---- Commands -----------------------------------------------------------------------------
  void ClearSelection();
  // False when there was nothing to copy (no selection, password mode); raises when the
  // clipboard refuses.
  bool CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  // Replaces the selection by s (typing, paste, input method) unless read-only or past
  // MaxLength; recorded for undo when it took effect.
  void InsertText(const String& s);
  // False when there was nothing to undo or the edit refused the step.
  bool Undo();
  bool CanUndo() const { return !FReadOnly && !FUndoStack.Empty(); }
  const TEditActionStack& GetUndoStack() const { return FUndoStack; }

  // ---- Undo steps (refused on a read-only edit or past MaxLength) -----------------------------
  bool UndoInsertText(int position, const String& s, bool select) override;
  bool UndoDeleteText(int position, int count, bool select) override;

  // ---- Measures -----------------------------------------------------------------------------
  virtual TRect GetTextRect();
  virtual int GetPasswordCharWidth();
  virtual TRect GetSelectionRect();
  // x of the caret before position (0 .. length) in client coordinates.
  int CaretX(int position);
  // The character boundary nearest to a client x.
  int PositionAt(int x);

  // ---- Context menu -------------------------------------------------------------------------------
  // Builds the menu when missing and sets each item's Enabled state; the menu (owned).
  virtual void UpdateContextMenu();
  TSeCustomPopupMenu* GetContextMenu() const { return FContextMenu; }
  void RunMenuCommand(TEditMenuCommand command);

  void Loaded() override;
  void Dispatch(TMessage& message) override;

 protected:
  void PaintFace() override;
  void FrameChanged() override;
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoFocusIn() override;
  void DoFocusOut() override;
  void CMFontChanged(TMessage& message) override;
  void CMTextChanged(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void WMContextMenu(TMessage& message) override;

  virtual void DrawText(TCanvas* canvas, const TRect& r);
  virtual void FillBackground(TCanvas* canvas, const TRect& r);
  virtual void DrawSelectedText(TCanvas* canvas, const TRect& r);
  virtual void DrawPasswordChar(TCanvas* canvas, const TRect& cell, bool selected);
  // Asked with the new text before every change of the text; true allows it.
  virtual bool CanChangeText(const String& value);
  virtual TSeCustomPopupMenu* CreateContextMenu();
  virtual TSeCustomItem* CreateContextMenuItem(TSeCustomPopupMenu* menu);
  virtual void ShowTextCaret();
  virtual void HideTextCaret();
  virtual void Change();

  bool PasswordMode() const { return FPasswordKind != TPasswordKind::pkNone; }
  // Replaces the whole text as one undo step (a choice from a list, a completion); false when
  // refused.
  bool ReplaceAllText(const String& value);
  // Stores the text without recording it; see StoreText.
  bool StoreTextUnrecorded(const String& value) { return StoreText(value); }
  // True for a descendant that draws its own content (the combo box's list-only style).
  virtual bool PaintsOwnContent() const { return false; }

 private:
  // Stores value (cased) when CanChangeText agrees; runs Change when it differs. False when
  // refused. Leaves the undo history alone.
  bool StoreText(const String& value);
  // Keeps caret, selection and first visible within the text.
  void ClampPositions();
  // Moves the selection's moving end as a Shift+arrow does, or drops the selection.
  void FollowSelection(int oldCaret, bool extend);
  // Widths of the first count characters from start (0-based): out[i] = width of i + 1 of
  // them; in password mode i + 1 cells.
  void MeasureRun(int start, int count, std::vector<int>& out);
  int TextWidth(int start, int count);
  // The edit's own memory DC with the font copy selected (made on first use, kept until the
  // edit goes), and the width of a piece of text on it.
  HDC MeasureDC();
  int MeasureText(const wchar_t* text, int length);
  int AlignmentOffset();
  void PlaceCaret();
  void MakeCaret();
  void DeleteBackward();
  void DeleteForward();
  // s in place of the selection, as one undo step; when limited, refused (the selection only
  // dropped) when the text would pass MaxLength.
  void ReplaceSelection(const String& s, bool limited);
  // The visible text (or password cells) drawn from the first visible character, clipped.
  void DrawVisible(TCanvas* canvas, const TRect& r, const TRect& clip, bool selected);
  void ImeStartComposition();
  bool ImeComposition(TMessage& message);
  String FittingPart(const String& s) const;

  std::unique_ptr<TFont> FFontCopy;
  HDC FMeasureDC = nullptr;         // owned; see MeasureDC
  HGDIOBJ FMeasureOldFont = nullptr;
  HFONT FMeasureFont = nullptr;     // the font selected into FMeasureDC
  String FText;
  bool FMouseSelecting = false;
  int FCaretPosition = 0;   // characters before the caret
  int FSelEnd = 0;          // the selection's moving end
  int FSelLength = 0;       // signed distance from the moving end to the fixed end
  int FFirstVisible = 1;    // 1-based first character shown
  TSeCustomPopupMenu* FContextMenu = nullptr;  // owned as a component, made on first use
  bool FAutoSelect = true;
  TEditCharCase FCharCase = ecNormal;
  bool FHideSelection = true;
  int FMaxLength = 0;
  bool FReadOnly = false;
  TNotifyEvent FOnChange;
  wchar_t FPasswordWideChar = 0;
  TPasswordKind FPasswordKind = TPasswordKind::pkNone;
  TAlignment FTextAlignment = taLeftJustify;
  TEditActionStack FUndoStack{this};
  std::unique_ptr<TSePopupMenuOptions> FContextMenuOptions;
  bool FHasCaret = false;   // a system caret exists for the window
  wchar_t FPendingHigh = 0; // first half of a typed surrogate pair
};
