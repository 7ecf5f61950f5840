#include "DBRichEd.h"

#include <imm.h>

#include "classlib/controls/Messages.h"

namespace {

// Keys that delete or paste (through KeyDown).
bool DeletesOrPastes(WORD key, TShiftState shift) {
  return key == VK_BACK || key == VK_CLEAR || key == VK_DELETE ||
         (key == VK_INSERT && shift.Contains(ssShift)) ||
         ((key == 'V' || key == 'X') && shift.Contains(ssCtrl));
}

// Characters that change the text: every character from U+0020 up (Chinese ones and the
// results of an input method alike), Backspace, Tab, line feed, Enter, Ctrl+V and Ctrl+X.
bool EditsText(wchar_t key) {
  return key >= 32 || key == 8 || key == 9 || key == 10 || key == 13 || key == 22 || key == 24;
}

bool IsBlob(const TField* field) { return field && field->GetIsBlob(); }

// Keys a stand-in leaves to the window, as a loaded view does: the Alt chords (Alt+F4 closing
// the window, Alt+Space its menu), F10 for the menu bar, and Shift+F10 and the context-menu
// key for the context menu.
bool WindowKey(WORD key, TShiftState shift) {
  return shift.Contains(ssAlt) || key == VK_F10 || key == VK_APPS;
}

}  // namespace

TRxDBRichEdit::TRxDBRichEdit(TComponent* owner) : TRxCustomRichEdit(owner), TFieldLinkOwner(this) {
  TCustomEdit::SetReadOnly(true);  // until the link edits
}

TRxDBRichEdit::~TRxDBRichEdit() { Destroying(); }

void TRxDBRichEdit::Loaded() {
  inherited::Loaded();
  if (GetComponentState().Contains(csDesigning)) DataChange(this);
}

void TRxDBRichEdit::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  DropRemovedSource(component, operation);
}

bool TRxDBRichEdit::UseRightToLeftAlignment() const {
  return DBUseRightToLeftAlignment(this, FDataLink ? FDataLink->GetField() : nullptr);
}

void TRxDBRichEdit::SetAutoDisplay(bool value) {
  if (FAutoDisplay == value) return;
  FAutoDisplay = value;
  if (value) LoadMemo();
}

void TRxDBRichEdit::SetPlainText(bool value) {
  if (value == GetPlainText()) return;
  inherited::SetPlainText(value);
  if (FMemoLoaded) FDataLink->Reset();
}

void TRxDBRichEdit::ShowStandIn(const String& text) {
  GetLines()->SetText(text);
  FMemoLoaded = false;
}

// ---- Loading --------------------------------------------------------------------------------------

void TRxDBRichEdit::LoadMemo() {
  TField* field = FDataLink->GetField();
  if (FMemoLoaded || !IsBlob(field)) return;
  FMemoLoading = true;
  try {
    try {
      GetLines()->Assign(field);
      FMemoLoaded = true;
    } catch (const std::exception& error) {
      // Whatever the content did, the view shows why and keeps the field as it is.
      const Exception* known = dynamic_cast<const Exception*>(&error);
      ShowStandIn(L"(" + (known ? known->Message() : String(L"Failed to Load Stream")) + L")");
    }
    EditingChange(this);
  } catch (...) {
    FMemoLoading = false;
    FMemoLoaded = false;
    throw;
  }
  FMemoLoading = false;
}

void TRxDBRichEdit::DataChange(TObject*) {
  TField* field = FDataLink->GetField();
  if (!field) {
    ShowStandIn(UnboundText());
  } else if (IsBlob(field)) {
    if (FAutoDisplay || (FDataLink->GetEditing() && FMemoLoaded)) {
      // The edit mode that a keystroke asked for reports the same record again: the content
      // shown is still the field's, and reloading it would lose the caret and the keystroke.
      if (FDataSaving && !FOldBytes.empty() &&
          FOldBytes == static_cast<TBlobField*>(field)->GetAsBytes())
        return;
      FMemoLoaded = false;
      LoadMemo();
    } else {
      ShowStandIn(L"(" + field->GetDisplayLabel() + L")");
    }
  } else {
    if (FDataLink->GetCanModify()) {
      if (FDataSaving) return;
      TRxCustomRichEdit::SetPlainText(true);
      GetLines()->SetText(FFocused ? field->GetText() : field->GetDisplayText());
    } else {
      TRxCustomRichEdit::SetPlainText(true);
      GetLines()->SetText(field->GetDisplayText());
    }
    FMemoLoaded = true;
  }
  EditingChange(this);
  if (HandleAllocated())
    ::RedrawWindow(GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void TRxDBRichEdit::EditingChange(TObject*) {
  TCustomEdit::SetReadOnly(!(FDataLink->GetEditing() && FMemoLoaded));
}

void TRxDBRichEdit::UpdateData(TObject*) {
  TField* field = FDataLink->GetField();
  // A stand-in is never the field's content.
  if (!field || !FMemoLoaded) return;
  if (IsBlob(field)) field->Assign(GetLines());
  else field->SetText(GetText());
}

bool TRxDBRichEdit::EditCanModify() {
  FDataSaving = true;
  bool result = false;
  try {
    result = FDataLink->GetEditing();
    TField* field = FDataLink->GetField();
    if (!result && field) {
      if (IsBlob(field)) FOldBytes = static_cast<TBlobField*>(field)->GetAsBytes();
      result = FDataLink->Edit();
      FOldBytes.clear();
    }
  } catch (...) {
    FOldBytes.clear();
    FDataSaving = false;
    throw;
  }
  FDataSaving = false;
  return result;
}

// ---- Edits ------------------------------------------------------------------------------------------

void TRxDBRichEdit::Change() {
  // Loading the field and showing a stand-in are no edits of the user's.
  if (!FMemoLoading) {
    if (FMemoLoaded) FDataLink->Modified();
    FMemoLoaded = true;
  }
  inherited::Change();
}

void TRxDBRichEdit::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (!FMemoLoaded) {
    // A stand-in takes no keys of its own; the window's still go on. An empty, unbound view
    // (a group stem pane collapsed to no height) may hold the window's first focus.
    if (!WindowKey(key, shift)) key = 0;
  } else if (DeletesOrPastes(key, shift)) {
    EditCanModify();
  }
}

void TRxDBRichEdit::KeyPress(wchar_t& key) {
  inherited::KeyPress(key);
  if (!FMemoLoaded) {
    if (key == 13) {
      LoadMemo();
      if (FMemoLoaded) key = 0;
    }
    return;
  }
  TField* field = FDataLink->GetField();
  if (key >= 32 && field && !field->IsValidChar(key)) {
    ::MessageBeep(0);
    key = 0;
  }
  if (key == 27) FDataLink->Reset();
  else if (key != 0 && EditsText(key)) EditCanModify();
}

bool TRxDBRichEdit::ExecuteAction(TBasicAction* action) {
  return FDataLink && FDataLink->ExecuteAction(action);
}

bool TRxDBRichEdit::UpdateAction(TBasicAction* action) {
  return FDataLink && FDataLink->UpdateAction(action);
}

void TRxDBRichEdit::SetFocused(bool value) {
  if (FFocused == value) return;
  FFocused = value;
  if (!IsBlob(FDataLink->GetField())) FDataLink->Reset();
}

void TRxDBRichEdit::CMEnter(TMessage& message) {
  SetFocused(true);
  inherited::CMEnter(message);
  // The window stays read-only while the data set browses, on a DBCS system too: an input
  // method's composition starts with WM_IME_STARTCOMPOSITION, which puts the data set into
  // edit mode (and so makes the window writable) before the window composes.
}

void TRxDBRichEdit::CMExit(TMessage& message) {
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    if (CanFocus()) SetFocus();
    throw;
  }
  SetFocused(false);
  inherited::CMExit(message);
}

void TRxDBRichEdit::EditingMessage(TMessage& message) {
  if (FMemoLoaded) EditCanModify();
  inherited::Dispatch(message);
}

void TRxDBRichEdit::FormatMessage(TMessage& message) {
  // Formatting the selection is an edit; the default font that a new window or a font change
  // gives the whole text is not.
  const bool selection = message.Msg == EM_SETPARAFORMAT || (message.WParam & SCF_SELECTION) != 0;
  if (selection && FMemoLoaded && !FMemoLoading && !Creating() && EditCanModify()) Change();
  inherited::Dispatch(message);
}

void TRxDBRichEdit::Dispatch(TMessage& message) {
  if (AnswerDataLink(message)) return;
  switch (message.Msg) {
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE: {
      // The form asks its active control; 1 tells it the action was handled here.
      auto* action = reinterpret_cast<TBasicAction*>(message.LParam);
      const bool handled =
          message.Msg == CM_ACTIONEXECUTE ? ExecuteAction(action) : UpdateAction(action);
      message.Result = handled ? 1 : 0;
      return;
    }
    case WM_CUT:
    case WM_PASTE:
      // Asked for edit mode also over a stand-in, which stays read-only and is never written.
      EditCanModify();
      inherited::Dispatch(message);
      return;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_CHAR:
      EditingMessage(message);
      return;
    case WM_IME_COMPOSITION:
      if (message.LParam & GCS_RESULTSTR) EditingMessage(message);
      else inherited::Dispatch(message);
      return;
    case WM_LBUTTONDBLCLK:
      if (FMemoLoaded) inherited::Dispatch(message);
      else LoadMemo();
      return;
    case EM_SETCHARFORMAT:
    case EM_SETPARAFORMAT:
      FormatMessage(message);
      return;
    default: inherited::Dispatch(message); return;
  }
}
