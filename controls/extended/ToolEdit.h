// The combo edit: a single-line masked edit with a push button inside its right edge and a
// drop-down window that opens under it. The drop-down (a TPopupWindow) never takes the
// activation, so the edit keeps the focus while it is open; the button, Alt+Down (ClickKey)
// or a descendant opens it; Enter closes it accepting its value, Escape, a click elsewhere
// or the edit losing the focus close it without.
//
// On a right-to-left system the edit follows BiDiMode: its painted text is aligned mirrored
// and its window takes the reading order's extended style; the drop-down gets its BiDiMode.
#pragma once
#include "RXSpeedButton.h"
#include "classlib/stdctrls/MaskEdit.h"
#include "classlib/system/Variant.h"

class TCustomComboEdit;

enum TPopupAlign { epaRight, epaLeft };
enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };

// The base of every drop-down of the edits.
class TPopupWindow : public TCustomControl {
  CLASSLIB_CLASS(TPopupWindow, TCustomControl)
  // owner is the edit the drop-down belongs to (also its parent).
  explicit TPopupWindow(TWinControl* owner);

  // The value the user chose, and the one the drop-down starts from.
  virtual void GetChosenValue(Variant& value) { value = Variant(); }
  virtual void SetStartValue(const Variant& value) {}
  // Ends a choice: fires OnSelectionDone (sender, accept).
  virtual void FinishSelection(bool accept);
  // The text the edit shows while the drop-down is open.
  virtual String GetDisplayValueText() { return String(); }

  // Shows the window with its top-left corner at a screen point, without activating it.
  void ShowAt(const TPoint& origin);
  void HideWindow();
  // Repaints the edit's text area at once (the drop-down's value changed).
  void RepaintEditorText();
  TWinControl* GetEditor() const { return FEditor; }

  std::function<void(TObject* sender, bool accept)> OnSelectionDone;

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  TWinControl* FEditor;  // the edit; not owned
};

// The button of a combo edit.
class TEditButton : public TRxSpeedButton {
  CLASSLIB_CLASS(TEditButton, TRxSpeedButton)
  TEditButton(TComponent* owner, TCustomComboEdit* edit);

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void Click() override;

 private:
  TCustomComboEdit* FEdit;  // the edit the button belongs to; not owned
  bool FNoAction = false;   // the press closed the drop-down: the click that follows is not one
};

class TCustomComboEdit : public TCustomMaskEdit {
  CLASSLIB_CLASS(TCustomComboEdit, TCustomMaskEdit)
  explicit TCustomComboEdit(TComponent* owner);
  ~TCustomComboEdit() override;

  // ---- Attributes --------------------------------------------------------------------
  int GetButtonWidth() const;
  // 0 or 1 hides the button; a width not below the client width is refused.
  void SetButtonWidth(int value);
  TBitmap* GetGlyph() const;
  void SetGlyph(TBitmap* value);  // makes GlyphKind gkCustom
  int GetNumGlyphs() const;
  void SetNumGlyphs(int value);
  TGlyphKind GetGlyphKind() const { return FGlyphKind; }
  void SetGlyphKind(TGlyphKind value);
  TShortCut GetClickKey() const { return FClickKey; }
  void SetClickKey(TShortCut value) { FClickKey = value; }
  bool GetDirectInput() const { return FDirectInput; }
  void SetDirectInput(bool value);
  bool GetEditReadOnly() const { return FReadOnly; }
  void SetEditReadOnly(bool value);
  TPopupAlign GetPopupAlign() const { return FPopupAlign; }
  void SetPopupAlign(TPopupAlign value) { FPopupAlign = value; }
  String GetButtonHint() const;
  void SetButtonHint(const String& value);
  bool GetPopupVisible() const { return FPopupVisible; }
  TPopupWindow* GetPopup() const { return FPopup; }
  TEditButton* GetButton() const { return FButton; }
  const TNotifyEvent& GetOnButtonClick() const { return FOnButtonClick; }
  void SetOnButtonClick(TNotifyEvent handler) { FOnButtonClick = std::move(handler); }

  // The width a layout need not store: for gkDefault with a glyph max(cell width + 6, 21),
  // for gkDropDown the scroll-bar width, else 21.
  int NaturalButtonWidth() const;

  // ---- Operations --------------------------------------------------------------------
  // The button was clicked: its action runs unless the edit is read-only.
  void ButtonClicked();
  // Closes the drop-down; with accept its value goes into the edit.
  void CloseDropDown(bool accept);
  virtual void OpenDropDown(bool disableEdit);
  // Where the drop-down opens for the edit's screen rectangle: under it, or above when it
  // does not fit, kept on a screen of screenWidth x screenHeight.
  static TPoint DropDownOrigin(const TRect& editOnScreen, TSize popupSize, TPopupAlign align,
                               int screenWidth, int screenHeight);
  // Selects all when typing is allowed.
  void SelectAll();

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void CMEnter(TMessage& message) override;
  void Change() override;
  bool EditCanModify() override { return !FReadOnly; }

  // OnButtonClick, then the drop-down opened or closed (accepting).
  virtual void RunButtonAction();
  virtual TBitmap* GetDefaultGlyph(bool& destroyNeeded) { return nullptr; }
  virtual void ShowDropDownAt(const TPoint& origin);
  virtual void HideDropDown();
  virtual bool CanAcceptValue(Variant& value) { return true; }
  virtual void ApplyChosenValue(const Variant& value);
  virtual void PassValueToDropDown(const Variant& value);
  virtual void TakeValueFromDropDown(Variant& value);
  virtual void DropDownChanged() {}
  virtual bool IsReadOnly() { return FReadOnly; }
  // Lays out the button frame and the text rectangle.
  void UpdateButtonLayout();
  void SetPopup(TPopupWindow* popup) { FPopup = popup; }
  // The drop-down counts as open while its window is visible (a chosen value is applied
  // after the window was hidden, so that its change reaches OnChange).
  void SyncPopupVisible() { FPopupVisible = FPopup && FPopup->GetVisible(); }
  void SetDefaultNumGlyphs(int value) { FDefNumGlyphs = value; }
  // After a value that could not be taken on leaving: the text selected and the focus
  // back in the edit, so that the user can mend it.
  void RefocusAfterError();
  // The edit or one of its parents is being destroyed: leaving it checks nothing.
  bool Closing() const;
  // The smallest height that shows a line of text.
  int MinimumHeight();
  // The text's left and top margins inside the client area.
  TPoint TextMargins();
  // Paints text as the unfocused edit shows it (alignment, the button's room); false when
  // the edit's own painting is to run instead (standardPaint).
  // Under right-to-left alignment the alignment is mirrored.
  bool PaintEditText(const String& text, TAlignment alignment, bool standardPaint, HDC dc);
  // Gives the window the extended style bits of its reading order (right-to-left reading,
  // left scroll bar, right alignment), rewritten only when they differ; right-to-left
  // systems only.
  void UpdateBiDiExStyle();
  void RebuildGlyph();

 private:
  void UpdateInnerReadOnly();
  void MakeCaret();

  TEditButton* FButton = nullptr;      // owned (a component of this edit)
  TWinControl* FButtonFrame = nullptr; // holds the button at the right edge; owned
  TNotifyEvent FOnButtonClick;
  TShortCut FClickKey = 32808;         // Alt+Down
  bool FReadOnly = false;
  bool FDirectInput = true;
  TAlignment FAlignment = taLeftJustify;  // of the window text
  bool FPopupVisible = false;
  bool FFocused = false;               // between WM_SETFOCUS and WM_KILLFOCUS
  TPopupAlign FPopupAlign = epaRight;
  TGlyphKind FGlyphKind = gkCustom;
  TPopupWindow* FPopup = nullptr;      // the drop-down; owned by descendants (as a component)
  int FDefNumGlyphs = 1;
  bool FClosing = false;               // CloseDropDown is running
  wchar_t FClosedByKey = 0;            // Escape closed the drop-down: its character follows
 protected:
  void SetEditAlignment(TAlignment value);
};
