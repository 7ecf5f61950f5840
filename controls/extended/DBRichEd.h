// TRxDBRichEdit: the rich-text edit bound to one field of a data set. A blob field is moved
// as a whole through Lines: RTF stored in it shows formatted, plain text (code page 936)
// shows as text, and posting writes the content back as RTF (plain text with PlainText).
// Any other field shows as plain text.
//
// The window is read-only unless the link is editing and the field's content is loaded;
// every typed character (from U+0020 up, input-method results included), a deletion, a cut
// or a paste asks the data source to edit first. A field whose content failed to load shows
// "(message)" and is never written back; neither is anything the user did not edit (a new
// window, a default font). With the focus in the view, the form's actions on a data source
// (post, cancel and the like) reach the view's link.
#pragma once
#include "RxRichEd.h"
#include "classlib/db/DBCtrls.h"

class TRxDBRichEdit : public TRxCustomRichEdit, public TFieldLinkOwner {
  CLASSLIB_CLASS(TRxDBRichEdit, TRxCustomRichEdit)
  static const TPropertyTable* PublishedProperties();
  explicit TRxDBRichEdit(TComponent* owner);
  ~TRxDBRichEdit() override;

  // The link's read-only flag: a read-only view never writes its field back.
  bool GetReadOnly() const { return FDataLink->GetReadOnly(); }
  void SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }
  // Load a blob field as soon as the record changes (else on a double-click or Enter).
  bool GetAutoDisplay() const { return FAutoDisplay; }
  void SetAutoDisplay(bool value);
  void SetPlainText(bool value) override;

  // Loads the blob field's content when it is not loaded yet.
  virtual void LoadMemo();
  // Puts the data set into edit mode when it is not; true when the link is editing.
  virtual bool EditCanModify();
  // The content shown is the field's (not the "(label)" or "(error)" stand-in).
  bool GetMemoLoaded() const { return FMemoLoaded; }
  // The data-aware rule: right to left unless the field's kind keeps its own alignment.
  bool UseRightToLeftAlignment() const override;
  // The link carries out (or updates) an action that works on its data source; false when
  // the action is not one of those.
  virtual bool ExecuteAction(TBasicAction* action);
  virtual bool UpdateAction(TBasicAction* action);

  void Dispatch(TMessage& message) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Change() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  void CMEnter(TMessage& message) override;
  void CMExit(TMessage& message) override;

 private:
  void DataChange(TObject* sender) override;
  void EditingChange(TObject* sender) override;
  void UpdateData(TObject* sender) override;
  void SetFocused(bool value);
  // Shows a stand-in text (the text of an unbound, unloaded or failed field).
  void ShowStandIn(const String& text);
  // A message that edits the text asks the data source to edit first.
  void EditingMessage(TMessage& message);
  void FormatMessage(TMessage& message);

  bool FMemoLoading = false;  // LoadMemo runs (its text changes are no edits)
  bool FDataSaving = false;   // EditCanModify runs
  bool FMemoLoaded = false;   // the field's content is shown
  bool FAutoDisplay = true;
  bool FFocused = false;      // the control has the focus (edit text rather than display text)
  TBytes FOldBytes;           // the blob field's bytes when EditCanModify began
};
