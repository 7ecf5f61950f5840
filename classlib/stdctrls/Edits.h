// The edit controls over the system's EDIT window class: TCustomEdit/TEdit (one line of
// text) and TCustomMemo/TMemo (several lines, with Lines as a list of strings over the
// window's text).
//
// Text lives in the window once it exists; before that (and between a window's destruction
// and its re-creation) the control keeps it, with Modified, and hands it to the new window.
// The selection and the undo buffer exist only with a window: without one SelStart and
// SelLength are 0 and the clipboard operations do nothing.
//
// Not done: the right-to-left caret handling of the system's own EDIT is all there is; so
// is its input-method handling, unless a descendant keeps the input method apart
// (KeepImeApart); Memo.Lines counts the window's visual lines when WordWrap wraps them (as
// the system reports them), and only the hard lines while there is no window.
#pragma once
#include <memory>
#include "../controls/Controls.h"
#include "../classes/Properties.h"
#include "../controls/Panels.h"

class TStrings;

// Letter case the window forces on the text typed or set.
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
// Stored names of the case and the alignment (taLeftJustify ...).
extern const TEnumInfo EditCharCaseIdents;
extern const TEnumInfo EditAlignmentIdents;

// Which scroll bars a control shows. Shared with the grids; declared once for both.
#ifndef CLASSLIB_TSCROLLSTYLE_DECLARED
#define CLASSLIB_TSCROLLSTYLE_DECLARED
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
#endif

// The height an auto-sized single-line edit takes: the font's tmHeight plus the border
// (8 border units with a 3-D border, 6 without; a unit is SM_CYBORDER pixels).
int EditAutoHeight(int fontTextHeight, bool ctl3D, int borderUnit);

// ---- TCustomEdit ------------------------------------------------------------------------------
class TCustomEdit : public TWinControl {
  CLASSLIB_CLASS(TCustomEdit, TWinControl)
  static const TPropertyTable* PublishedProperties();
  // 121 wide, auto-sized height, single border, tab stop, clWindow, AutoSelect and
  // HideSelection on.
  explicit TCustomEdit(TComponent* owner);

  // ---- Attributes ----------------------------------------------------------------------
  // The most characters the user may type; 0 means the system's limit. Negative values
  // count as 0. Text set by the program is not cut.
  int GetMaxLength() const { return FMaxLength; }
  virtual void SetMaxLength(int value);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  // Changing it also converts the present text.
  TEditCharCase GetCharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase value);
  // The character shown for every character of the text; 0 shows the text.
  wchar_t GetPasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(wchar_t value);
  // Entering the control (not by a mouse click) selects all its text (single line only).
  bool GetAutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool value) { FAutoSelect = value; }
  // bsNone or bsSingle; other values are ignored. Changing it makes the window again.
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  // The selection stays visible while the control has no focus when false.
  bool GetHideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  // The text typed is converted to the OEM code page and back (ES_OEMCONVERT).
  bool GetOEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool value);
  // The user changed the text since Modified was last cleared.
  bool GetModified();
  void SetModified(bool value);
  bool GetCanUndo();

  // ---- Selection (needs the window; 0 and no-ops without one) -----------------------------
  // Virtual so that a control over another window class can use that class's messages.
  virtual int GetSelStart();
  virtual void SetSelStart(int value);  // also collapses the selection there
  virtual int GetSelLength();
  // Selects value characters from SelStart; a negative value selects backwards (not past
  // the text's start).
  virtual void SetSelLength(int value);
  virtual String GetSelText();
  void SetSelText(const String& value);  // replaces the selection (or inserts at the caret)
  // Copies the selected text into buffer (at most bufSize - 1 characters and a
  // terminating zero) and returns the count copied; 0 when buffer is null or bufSize < 1.
  virtual int GetSelTextBuf(wchar_t* buffer, int bufSize);
  void SetSelTextBuf(const wchar_t* buffer);  // nullptr replaces with nothing

  // ---- Operations ---------------------------------------------------------------------------
  virtual void Clear();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  void ClearUndo();
  void SelectAll();

  // ---- Events -------------------------------------------------------------------------------
  // The text changed (typed, pasted or set by the program).
  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }

  void Dispatch(TMessage& message) override;

 protected:
  // EDIT with the styles of the attributes; a 3-D single border becomes a client edge.
  // Derived controls add their own styles after calling this.
  void CreateParams(TCreateParams& params) override;
  // Gives the new window the limit, the password character and the kept Modified.
  void CreateWnd() override;
  // Keeps Modified for the next window.
  void DestroyWnd() override;
  // The text changed: CM_CHANGED to the control, then OnChange. Override to react to
  // every change of the text (call the inherited one to keep OnChange).
  virtual void Change();
  // The height for the font when AutoSize and BorderStyle is bsSingle.
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  // AutoSelect.
  void CMEnter(TMessage& message) override;
  // A change of the text without a window, or of a multi-line window (which sends no
  // EN_CHANGE for text set by the program), calls Change.
  void CMTextChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void CMCtl3DChanged(TMessage& message) override;
  // EN_CHANGE from the window calls Change.
  virtual void CNCommand(TMessage& message);
  // True while the window is being made (it may report changes then that are none).
  bool Creating() const { return GetControlState().Contains(csCreating); }

  // ---- Input methods (for descendants that filter what is typed) ---------------------------
  // Types the characters of an input method's message (the result string of a
  // WM_IME_COMPOSITION, the character of a WM_IME_CHAR) into the control as WM_CHAR
  // messages, so that KeyPress takes or refuses each as a typed key, instead of the system's
  // edit inserting them past it; clears the result's flags from message. True when nothing
  // of the message is left for the window (or a key handler freed the control); false when
  // it is to be passed on (another message, or other flags of a composition).
  bool TypeImeText(TMessage& message);
  // An input method's composition message handled by the system (the composition shown in
  // the input method's own window), not by the window's edit, which shows it in the text.
  void ImeCompositionApart(TMessage& message);
  // An input method's messages kept from the window's edit: its result typed (TypeImeText),
  // the composition being made shown in the input method's own window, so that nothing but
  // typed characters enters the text. False when message is no input method's message
  // (nothing done).
  bool KeepImeApart(TMessage& message);

 private:
  int FMaxLength = 0;
  bool FReadOnly = false;
  TEditCharCase FCharCase = ecNormal;
  wchar_t FPasswordChar = 0;
  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = bsSingle;
  bool FHideSelection = true;
  bool FOEMConvert = false;
  bool FModified = false;  // Modified while there is no window
  TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
  CLASSLIB_CLASS(TEdit, TCustomEdit)
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// ---- TCustomMemo -------------------------------------------------------------------------------
class TMemoStrings;

class TCustomMemo : public TCustomEdit {
  CLASSLIB_CLASS(TCustomMemo, TCustomEdit)
  static const TPropertyTable* PublishedProperties();
  // 185 x 89, no auto size, word wrap, wants returns.
  explicit TCustomMemo(TComponent* owner);
  ~TCustomMemo() override;

  // The lines of the text. Owned; SetLines copies value.
  TStrings* GetLines() const;
  void SetLines(TStrings* value);

  // The next four make the window again when changed.
  TScrollStyle GetScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  // Enter breaks the line when true; otherwise it goes to the form (a default button).
  bool GetWantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value) { FWantReturns = value; }
  // Tab types a tab when true; otherwise it moves the focus.
  bool GetWantTabs() const { return FWantTabs; }
  void SetWantTabs(bool value) { FWantTabs = value; }

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  // Without WantReturns an Enter does not reach the window.
  void KeyPress(wchar_t& key) override;
  // The system's dialog code, with DLGC_WANTTAB and DLGC_WANTALLKEYS as the Want
  // properties say.
  virtual void WMGetDlgCode(TMessage& message);
  // Replaces the lines object by one of a descendant's (over another window class); the
  // memo owns it from then on. Call from the descendant's constructor.
  void SetLinesObject(std::unique_ptr<TStrings> lines);

 private:
  std::unique_ptr<TStrings> FLines;  // the lines over the window's text
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  TAlignment FAlignment = taLeftJustify;
  bool FWantReturns = true;
  bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
  CLASSLIB_CLASS(TMemo, TCustomMemo)
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

// ---- Lines of a text (pure; used by the memo while it has no window) -----------------------
// The text of a multi-line edit as the window sees it: lines end with CR LF; a lone CR or
// LF is part of a line. Offsets count UTF-16 characters from 0.
class TTextLines {
 public:
  explicit TTextLines(String text) : FText(std::move(text)) {}
  const String& GetText() const { return FText; }
  // The number of lines: breaks + 1 (an empty text has one empty line).
  int LineCount() const;
  // The offset where line starts; -1 when there is no such line.
  int LineIndex(int line) const;
  // The length of the line holding offset (without its break); 0 outside the text.
  int LineLength(int offset) const;
  // Replaces the characters [start, end) (clamped to the text) with s.
  void Replace(int start, int end, const String& s);

 private:
  String FText;
};

// The text with every lone CR, lone LF and LF CR made a CR LF.
String AdjustLineBreaks(const String& text);
