// The common dialogs of the system as components: TOpenDialog and TSaveDialog (the file
// dialogs), TFindDialog and TReplaceDialog (the modeless find and replace dialogs).
//
// Execute shows a dialog. The file dialogs are modal: the program's other windows are
// disabled meanwhile, and Execute returns true when the user chose a file (FileName, Files
// and FilterIndex then hold the choice) and false when the dialog was cancelled or could not
// be shown. The find dialogs are modeless: Execute shows the dialog (or brings it to the
// front) and returns at once; the user's buttons arrive as OnFind and OnReplace, and its
// keys go through the application's dialog-message handling while it is active.
//
// Filter is the class library's form: "description|pattern|description|pattern", the
// patterns of one entry separated by ';'. FilterIndex counts entries from 1.
//
// Not done: help buttons and their events, the file dialogs' notifications while they are
// shown (OnCanClose, OnFolderChange, OnSelectionChange, OnTypeChange), HistoryList, several
// files chosen in the old-style dialog (which separates them by spaces).
#pragma once
#include <memory>
#include <vector>
#include "../classes/StringList.h"
#include "../controls/Controls.h"

// ---- TCommonDialog ------------------------------------------------------------------------------
class TCommonDialog : public TComponent {
  CLASSLIB_CLASS(TCommonDialog, TComponent)
  static const TPropertyTable* PublishedProperties();
  explicit TCommonDialog(TComponent* owner) : TComponent(owner) {}

  bool GetCtl3D() const { return FCtl3D; }
  void SetCtl3D(bool value) { FCtl3D = value; }
  int GetHelpContext() const { return FHelpContext; }
  void SetHelpContext(int value) { FHelpContext = value; }
  // The dialog's window while it is shown; nullptr otherwise.
  HWND GetHandle() const { return FHandle; }

  // Shows the dialog; see the top of this header for what the result means.
  virtual bool Execute() = 0;

  // Called when the dialog's window has been made (before the user sees it) and when it
  // goes away.
  const TNotifyEvent& GetOnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent handler) { FOnShow = std::move(handler); }
  const TNotifyEvent& GetOnClose() const { return FOnClose; }
  void SetOnClose(TNotifyEvent handler) { FOnClose = std::move(handler); }

 protected:
  // The window the dialog belongs to: the active window of the program, else the
  // application's window.
  static HWND OwnerWindow();
  void SetHandle(HWND value) { FHandle = value; }
  virtual void DoShow();
  virtual void DoClose();

 private:
  bool FCtl3D = true;
  int FHelpContext = 0;
  HWND FHandle = nullptr;  // the system's dialog window while shown; not owned
  TNotifyEvent FOnShow;
  TNotifyEvent FOnClose;
};

// ---- TOpenDialog / TSaveDialog --------------------------------------------------------------------
enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
  ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
  ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
  ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing,
  ofDontAddToRecent, ofForceShowHidden
};
using TOpenOptions = TSet<TOpenOption>;

// The system's OFN_ flags of the options (without OFN_EXPLORER).
DWORD OpenOptionsToFlags(TOpenOptions options);
// The file dialog's filter text of a class-library filter: the '|' become NULs and the text
// ends with two NULs. An empty filter gives an empty text.
String DialogFilterText(const String& filter);
// The files of the file dialog's result buffer (the folder and the names after it, each
// ended by NUL, for a multiple choice; one full path otherwise) as full paths.
std::vector<String> SplitDialogFiles(const wchar_t* buffer, size_t size);

class TOpenDialog : public TCommonDialog {
  CLASSLIB_CLASS(TOpenDialog, TCommonDialog)
  static const TPropertyTable* PublishedProperties();
  // Options [ofHideReadOnly, ofEnableSizing], FilterIndex 1.
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;

  // ---- Attributes -----------------------------------------------------------------------
  // Added to a file name typed without an extension (without its dot: "txt").
  const String& GetDefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const String& value) { FDefaultExt = value; }
  // The file shown first; after Execute the first file chosen.
  const String& GetFileName() const { return FFileName; }
  void SetFileName(const String& value) { FFileName = value; }
  // Every file chosen (one unless ofAllowMultiSelect); owned.
  TStrings* GetFiles() const { return FFiles.get(); }
  const String& GetFilter() const { return FFilter; }
  void SetFilter(const String& value) { FFilter = value; }
  int GetFilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int value) { FFilterIndex = value; }
  const String& GetInitialDir() const { return FInitialDir; }
  void SetInitialDir(const String& value) { FInitialDir = value; }
  TOpenOptions GetOptions() const { return FOptions; }
  void SetOptions(TOpenOptions value) { FOptions = value; }
  // The dialog's caption; empty for the system's ("Open", "Save As").
  const String& GetTitle() const { return FTitle; }
  void SetTitle(const String& value) { FTitle = value; }

  // ---- Operations -------------------------------------------------------------------------
  // The open dialog.
  bool Execute() override;

 protected:
  // Shows the open or the save dialog and takes the choice.
  bool DoExecute(bool save);

 private:
  // The hook of the dialog: tells the component about the dialog's window.
  static UINT_PTR CALLBACK DialogHook(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

  String FDefaultExt;
  String FFileName;
  std::unique_ptr<TStringList> FFiles;
  String FFilter;
  int FFilterIndex = 1;
  String FInitialDir;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
  String FTitle;
};

class TSaveDialog : public TOpenDialog {
  CLASSLIB_CLASS(TSaveDialog, TOpenDialog)
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
  // The save dialog (asks before a file is replaced with ofOverwritePrompt).
  bool Execute() override;
};

// ---- TFindDialog / TReplaceDialog -------------------------------------------------------------------
enum TFindOption {
  frDown, frFindNext, frHideMatchCase, frHideWholeWord, frHideUpDown, frMatchCase,
  frDisableMatchCase, frDisableUpDown, frDisableWholeWord, frReplace, frReplaceAll,
  frWholeWord, frShowHelp
};
using TFindOptions = TSet<TFindOption>;

// The system's FR_ flags of the options, and back.
DWORD FindOptionsToFlags(TFindOptions options);
TFindOptions FlagsToFindOptions(DWORD flags);

struct TFindDialogState;  // the system's structure and text buffers of a shown dialog

class TFindDialog : public TCommonDialog {
  CLASSLIB_CLASS(TFindDialog, TCommonDialog)
  static const TPropertyTable* PublishedProperties();
  // Options [frDown], at the system's place.
  explicit TFindDialog(TComponent* owner);
  // Destroys a dialog still shown.
  ~TFindDialog() override;

  // ---- Attributes -----------------------------------------------------------------------
  // The text to find; after a button of the dialog, what the user typed. At most 255
  // characters are shown.
  const String& GetFindText() const { return FFindText; }
  void SetFindText(const String& value);
  // The options the dialog starts with; after a button, the ones the user chose.
  TFindOptions GetOptions() const { return FOptions; }
  void SetOptions(TFindOptions value) { FOptions = value; }
  // Where the dialog's top-left corner is on the screen (while it is shown) or goes when it
  // is shown; -1 leaves it to the system.
  int GetLeft() const { return GetPosition().X; }
  void SetLeft(int value) { SetPosition(TPoint(value, GetPosition().Y)); }
  int GetTop() const { return GetPosition().Y; }
  void SetTop(int value) { SetPosition(TPoint(GetPosition().X, value)); }
  TPoint GetPosition() const;
  void SetPosition(const TPoint& value);

  // ---- Operations -------------------------------------------------------------------------
  // Shows the dialog (brings it to the front when it is shown already); true when it shows.
  bool Execute() override;
  // Closes the dialog when it is shown (OnClose runs).
  void CloseDialog();

  // ---- Events -------------------------------------------------------------------------------
  // The user pressed Find Next.
  const TNotifyEvent& GetOnFind() const { return FOnFind; }
  void SetOnFind(TNotifyEvent handler) { FOnFind = std::move(handler); }

 protected:
  // Calls OnFind.
  virtual void Find();
  // Calls OnReplace of the replace dialog; nothing here.
  virtual void Replace() {}
  // True for the replace dialog, which shows the replacement text too.
  virtual bool IsReplaceDialog() const { return false; }
  // The replacement text (after a button of the dialog, what the user typed).
  const String& GetReplaceTextValue() const { return FReplaceText; }
  void SetReplaceTextValue(const String& value);

 private:
  static UINT_PTR CALLBACK DialogHook(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The owner window's messages: the dialog's notifications.
  void OwnerWndProc(TMessage& message);
  // Takes the texts and options from the shown dialog's structure.
  void TakeDialogState();
  // The dialog's window went away: the state is dropped, OnClose runs.
  void DialogGone();
  // Moves the shown dialog to Position (when it is set).
  void MoveDialog();

  std::unique_ptr<TFindDialogState> FState;         // of the dialog shown last
  std::unique_ptr<TFindDialogState> FRetiredState;  // of the one before
  HWND FOwnerWindow = nullptr;               // gets the notifications; freed by the destructor
  String FFindText;
  String FReplaceText;                       // of the replace dialog
  TFindOptions FOptions{frDown};
  TPoint FPosition{-1, -1};
  TNotifyEvent FOnFind;
};

class TReplaceDialog : public TFindDialog {
  CLASSLIB_CLASS(TReplaceDialog, TFindDialog)
  static const TPropertyTable* PublishedProperties();
  explicit TReplaceDialog(TComponent* owner) : TFindDialog(owner) {}

  // The replacement text; after a button of the dialog, what the user typed.
  const String& GetReplaceText() const { return GetReplaceTextValue(); }
  void SetReplaceText(const String& value) { SetReplaceTextValue(value); }

  // The user pressed Replace or Replace All (frReplace or frReplaceAll in Options).
  const TNotifyEvent& GetOnReplace() const { return FOnReplace; }
  void SetOnReplace(TNotifyEvent handler) { FOnReplace = std::move(handler); }

 protected:
  void Replace() override;
  bool IsReplaceDialog() const override { return true; }

 private:
  TNotifyEvent FOnReplace;
};
