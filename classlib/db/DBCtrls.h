// Data-aware controls that show one field of the current record: TDBText (a label), TDBEdit
// (one line of text) and TDBMemo (several lines, or a memo field as a whole).
//
// Each keeps a TFieldDataLink to its DataSource and DataField (TFieldLinkOwner, a second
// base beside the control class) and answers CM_GETDATALINK with it. The link tells the
// control when the record or the field changed (it shows the value again), when editing
// started or ended (the edit windows are read-only unless the link is editing, so typing
// first asks the data source to edit), and when the data set is about to post (the control
// writes its text into the field). Leaving an edit control writes its text into the field
// as well.
//
// Not done: edit masks (the field's EditMask), painting the text of an edit aligned as the
// field is while it has no focus, the IME conversion modes (ImeMode).
#pragma once
#include <memory>
#include "../stdctrls/Edits.h"
#include "../stdctrls/StdLabels.h"
#include "DB.h"

// ---- TFieldLinkOwner -----------------------------------------------------------------------------
// The part TDBText, TDBEdit and TDBMemo share: the field data link the control owns, the
// properties that reach it (DataSource, DataField, Field) and the link's callbacks, which the
// control overrides. A control derives from it second, after its control class, so that its
// TObject stays first; its Notification calls DropRemovedSource and its Dispatch
// AnswerDataLink.
class TFieldLinkOwner {
 public:
  // The source of the record shown; not owned (a free notification clears it).
  TDataSource* GetDataSource() const { return FDataLink->GetDataSource(); }
  void SetDataSource(TDataSource* value);
  // The field's name; empty shows nothing. EDatabaseError when the open data set has no
  // such field.
  const String& GetDataField() const { return FDataLink->GetFieldName(); }
  void SetDataField(const String& value) { FDataLink->SetFieldName(value); }
  TField* GetField() const { return FDataLink->GetField(); }

  TFieldLinkOwner(const TFieldLinkOwner&) = delete;
  TFieldLinkOwner& operator=(const TFieldLinkOwner&) = delete;

 protected:
  // control is the control itself (the link's Control and the data source's free-notification
  // client); not owned.
  explicit TFieldLinkOwner(TComponent* control);
  // Stops the link from calling back into the control, then frees it. The control calls
  // Destroying before this runs.
  ~TFieldLinkOwner();

  // Forgets the data source when component is it and is being freed.
  void DropRemovedSource(TComponent* component, TOperation operation);
  // Answers CM_GETDATALINK with the link; false (message untouched) for any other message.
  bool AnswerDataLink(TMessage& message);
  // What a control shows without a field: its name while designing, nothing otherwise.
  String UnboundText() const;

  const std::unique_ptr<TFieldDataLink> FDataLink;  // owned; its Control is the control

 private:
  // The link's OnDataChange: show the field's value of the current record.
  virtual void DataChange(TObject* sender) = 0;
  // The link's OnEditingChange: the link started or stopped editing.
  virtual void EditingChange(TObject* sender) {}
  // The link's OnUpdateData: write the control's value into the field.
  virtual void UpdateData(TObject* sender) {}

  TComponent* const FControl;  // the control this is part of; not owned
};

// Right-to-left alignment of a data-aware control: the control's own rule (a right-to-left
// BiDiMode on a system that supports it), except for a field whose alignment belongs to its
// kind (numbers, currencies, dates and times, counters), which keeps its alignment.
bool DBUseRightToLeftAlignment(const TControl* control, const TField* field);

// ---- TDBText ------------------------------------------------------------------------------------
// A label showing the display text of a field of the current record.
class TDBText : public TCustomLabel, public TFieldLinkOwner {
  CLASSLIB_CLASS(TDBText, TCustomLabel)
  static const TPropertyTable* PublishedProperties();  // DBCtrls.cpp
  // Not auto-sized, '&' drawn as it is.
  explicit TDBText(TComponent* owner);
  ~TDBText() override;

  void Dispatch(TMessage& message) override;
  void Loaded() override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // The text of the field of the current record ('' without one).
  String GetFieldText() const;
  void DataChange(TObject* sender) override;
};

// ---- TDBEdit ------------------------------------------------------------------------------------
// An edit of the text of a field. It shows the display text, and the edit text while it has
// the focus and the field can be changed.
class TDBEdit : public TCustomEdit, public TFieldLinkOwner {
  CLASSLIB_CLASS(TDBEdit, TCustomEdit)
  static const TPropertyTable* PublishedProperties();  // DBCtrls.cpp
  explicit TDBEdit(TComponent* owner);
  ~TDBEdit() override;

  // The control never changes the field when true. (The window itself is read-only
  // whenever the link is not editing.)
  bool GetReadOnly() const { return FDataLink->GetReadOnly(); }
  void SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }

  // Shows the field's value again, dropping what was typed.
  void Reset();

  void Dispatch(TMessage& message) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // What was typed is kept for the field (the link's Modified).
  void Change() override;
  // Delete and Shift+Insert ask the data source to edit.
  void KeyDown(WORD& key, TShiftState shift) override;
  // Characters the field refuses beep; others ask the data source to edit; Escape resets.
  void KeyPress(wchar_t& key) override;
  void CMEnter(TMessage& message) override;
  // Writes the text into the field; on failure the focus stays and the error goes on.
  void CMExit(TMessage& message) override;

 private:
  void DataChange(TObject* sender) override;
  void EditingChange(TObject* sender) override;
  void UpdateData(TObject* sender) override;
  void SetFocused(bool value);
  // Cut, paste, undo and clear change the text: the data source is asked to edit first.
  void EditingMessage(TMessage& message);

  bool FFocused = false;  // the control has the focus (edit text shown)
};

// ---- TDBMemo ------------------------------------------------------------------------------------
// A memo of a field. A memo (blob) field is loaded as a whole; with AutoDisplay off it is
// loaded only on a double-click or Enter, showing "(label)" until then.
class TDBMemo : public TCustomMemo, public TFieldLinkOwner {
  CLASSLIB_CLASS(TDBMemo, TCustomMemo)
  static const TPropertyTable* PublishedProperties();  // DBCtrls.cpp
  explicit TDBMemo(TComponent* owner);
  ~TDBMemo() override;

  // As TDBEdit's.
  bool GetReadOnly() const { return FDataLink->GetReadOnly(); }
  void SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }
  bool GetAutoDisplay() const { return FAutoDisplay; }
  void SetAutoDisplay(bool value);
  // The name of the input method (as Screen->GetImes lists them) switched to while the
  // memo has the focus; empty, or a name that is not installed, leaves the input as it is.
  const String& GetImeName() const { return FImeName; }
  void SetImeName(const String& value);

  // Loads the blob field's text when it is not loaded yet.
  void LoadMemo();

  void Dispatch(TMessage& message) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Change() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  // As TDBEdit's; before the memo is loaded, Enter loads it and other keys are ignored.
  void KeyPress(wchar_t& key) override;
  void CMEnter(TMessage& message) override;
  void CMExit(TMessage& message) override;
  void WMSetFocus(TMessage& message) override;
  void WMKillFocus(TMessage& message) override;

 private:
  void DataChange(TObject* sender) override;
  void EditingChange(TObject* sender) override;
  void UpdateData(TObject* sender) override;
  void SetFocused(bool value);
  void EditingMessage(TMessage& message);
  // Switches to the input method named ImeName, and back to the default one.
  void ActivateIme();
  void RestoreIme();

  bool FAutoDisplay = true;
  bool FFocused = false;       // the control has the focus
  bool FMemoLoaded = false;    // the text shown is the field's (not the "(label)" stand-in)
  String FImeName;
  bool FImeActivated = false;  // ActivateIme switched the layout; RestoreIme switches back
};
