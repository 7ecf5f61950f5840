// TDBText, TDBEdit and TDBMemo: standard controls driven by a field data link, their
// stored properties and their registration.
#include "DBCtrls.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../controls/Messages.h"
#include "../forms/Forms.h"

namespace {

const wchar_t* const AlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
const TEnumInfo AlignmentIdents = MakeEnumInfo(AlignmentNames);

const bool DBControlsRegistered = [] {
  try {
    RegisterClasses({TDBText::StaticClassInfo(), TDBEdit::StaticClassInfo(),
                     TDBMemo::StaticClassInfo()});
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

// Control characters that change the text of an edit: Backspace, Ctrl+V, Ctrl+X.
bool EditsText(wchar_t key) { return key == 8 || key == 22 || key == 24 || key >= 32; }

// Delete and Shift+Insert change the text of an edit.
bool DeletesOrPastes(WORD key, TShiftState shift) {
  return key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift));
}

// The clipboard and undo messages, which change the text of an edit.
bool IsEditingMessage(UINT msg) {
  return msg == WM_CUT || msg == WM_PASTE || msg == WM_UNDO || msg == WM_CLEAR;
}

// A printable character the field refuses beeps and is dropped (key becomes 0).
void RefuseInvalidChar(const TField* field, wchar_t& key) {
  if (key >= 32 && field && !field->IsValidChar(key)) {
    ::MessageBeep(0);
    key = 0;
  }
}

// The text an edit shows of the link's field: the edit text while it has the focus and the
// field can be changed, the display text otherwise. The link has a field.
String ShownText(const TFieldDataLink& link, bool focused) {
  TField* field = link.GetField();
  return focused && link.GetCanModify() ? field->GetText() : field->GetDisplayText();
}

}  // namespace

// ---- TFieldLinkOwner ------------------------------------------------------------------------------

bool DBUseRightToLeftAlignment(const TControl* control, const TField* field) {
  if (!control || !control->TControl::UseRightToLeftAlignment()) return false;
  if (!field) return true;
  switch (field->GetDataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD:
    case ftDate: case ftTime: case ftDateTime: case ftAutoInc: case ftLargeint:
      return false;
    default: return true;
  }
}

TFieldLinkOwner::TFieldLinkOwner(TComponent* control)
    : FDataLink(std::make_unique<TFieldDataLink>()), FControl(control) {
  FDataLink->SetControl(control);
  FDataLink->OnDataChange = [this](TObject* sender) { DataChange(sender); };
  FDataLink->OnEditingChange = [this](TObject* sender) { EditingChange(sender); };
  FDataLink->OnUpdateData = [this](TObject* sender) { UpdateData(sender); };
}

TFieldLinkOwner::~TFieldLinkOwner() {
  FDataLink->OnDataChange = nullptr;
  FDataLink->OnEditingChange = nullptr;
  FDataLink->OnUpdateData = nullptr;
  FDataLink->OnActiveChange = nullptr;
}

// The data source is asked to tell the control when it is freed.
void TFieldLinkOwner::SetDataSource(TDataSource* value) {
  if (value == FDataLink->GetDataSource()) return;
  if (TDataSource* old = FDataLink->GetDataSource()) old->RemoveFreeNotification(FControl);
  FDataLink->SetDataSource(value);
  if (value) value->FreeNotification(FControl);
}

void TFieldLinkOwner::DropRemovedSource(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == GetDataSource()) SetDataSource(nullptr);
}

bool TFieldLinkOwner::AnswerDataLink(TMessage& message) {
  if (message.Msg != CM_GETDATALINK) return false;
  message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
  return true;
}

String TFieldLinkOwner::UnboundText() const {
  return FControl->GetComponentState().Contains(csDesigning) ? FControl->GetName() : String();
}

// ---- TDBText --------------------------------------------------------------------------------------

TDBText::TDBText(TComponent* owner) : TCustomLabel(owner), TFieldLinkOwner(this) {
  // The text is the field's; it never follows the name.
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  SetAutoSize(false);
  SetShowAccelChar(false);
}

TDBText::~TDBText() { Destroying(); }

void TDBText::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  DropRemovedSource(component, operation);
}

String TDBText::GetFieldText() const {
  if (TField* field = FDataLink->GetField()) return field->GetDisplayText();
  return UnboundText();
}

void TDBText::DataChange(TObject*) { SetCaption(GetFieldText()); }

void TDBText::Loaded() {
  inherited::Loaded();
  if (GetComponentState().Contains(csDesigning)) DataChange(this);
}

void TDBText::Dispatch(TMessage& message) {
  if (!AnswerDataLink(message)) inherited::Dispatch(message);
}

// ---- TDBEdit --------------------------------------------------------------------------------------

TDBEdit::TDBEdit(TComponent* owner) : TCustomEdit(owner), TFieldLinkOwner(this) {
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  TCustomEdit::SetReadOnly(true);  // until the link edits
}

TDBEdit::~TDBEdit() { Destroying(); }

void TDBEdit::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  DropRemovedSource(component, operation);
}

void TDBEdit::Reset() {
  FDataLink->Reset();
  SelectAll();
}

void TDBEdit::DataChange(TObject*) {
  TField* field = FDataLink->GetField();
  if (!field) {
    SetMaxLength(0);
    SetText(UnboundText());
    return;
  }
  const TFieldType type = field->GetDataType();
  SetMaxLength(type == ftString || type == ftWideString ? field->GetSize() : 0);
  SetText(ShownText(*FDataLink, FFocused));
}

void TDBEdit::EditingChange(TObject*) { TCustomEdit::SetReadOnly(!FDataLink->GetEditing()); }

void TDBEdit::UpdateData(TObject*) {
  if (TField* field = FDataLink->GetField()) field->SetText(GetText());
}

void TDBEdit::Change() {
  FDataLink->Modified();
  inherited::Change();
}

void TDBEdit::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (DeletesOrPastes(key, shift)) FDataLink->Edit();
}

void TDBEdit::KeyPress(wchar_t& key) {
  inherited::KeyPress(key);
  RefuseInvalidChar(FDataLink->GetField(), key);
  if (key == 27) {
    Reset();
    key = 0;
  } else if (key != 0 && EditsText(key)) {
    FDataLink->Edit();
  }
}

void TDBEdit::SetFocused(bool value) {
  if (FFocused == value) return;
  FFocused = value;
  FDataLink->Reset();  // the edit text while focused, the display text otherwise
}

void TDBEdit::CMEnter(TMessage& message) {
  SetFocused(true);
  inherited::CMEnter(message);
}

void TDBEdit::CMExit(TMessage& message) {
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    SelectAll();
    if (CanFocus()) SetFocus();
    throw;
  }
  SetFocused(false);
  inherited::CMExit(message);
}

void TDBEdit::EditingMessage(TMessage& message) {
  FDataLink->Edit();
  inherited::Dispatch(message);
}

void TDBEdit::Dispatch(TMessage& message) {
  if (AnswerDataLink(message)) return;
  if (IsEditingMessage(message.Msg)) EditingMessage(message);
  else inherited::Dispatch(message);
}

// ---- TDBMemo --------------------------------------------------------------------------------------

TDBMemo::TDBMemo(TComponent* owner) : TCustomMemo(owner), TFieldLinkOwner(this) {
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  TCustomEdit::SetReadOnly(true);  // until the link edits
}

TDBMemo::~TDBMemo() { Destroying(); }

void TDBMemo::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  DropRemovedSource(component, operation);
}

void TDBMemo::SetAutoDisplay(bool value) {
  if (FAutoDisplay == value) return;
  FAutoDisplay = value;
  if (value) LoadMemo();
}

void TDBMemo::LoadMemo() {
  TField* field = FDataLink->GetField();
  if (FMemoLoaded || !field || !field->GetIsBlob()) return;
  SetText(field->GetAsString());
  FMemoLoaded = true;
  EditingChange(this);
}

void TDBMemo::DataChange(TObject*) {
  TField* field = FDataLink->GetField();
  if (!field) {
    SetText(UnboundText());
    FMemoLoaded = false;
  } else if (field->GetIsBlob()) {
    if (FAutoDisplay || (FDataLink->GetEditing() && FMemoLoaded)) {
      FMemoLoaded = false;
      LoadMemo();
    } else {
      SetText(L"(" + field->GetDisplayLabel() + L")");
      FMemoLoaded = false;
    }
  } else {
    SetText(ShownText(*FDataLink, FFocused));
    FMemoLoaded = true;
  }
  EditingChange(this);
}

void TDBMemo::EditingChange(TObject*) {
  TCustomEdit::SetReadOnly(!(FDataLink->GetEditing() && FMemoLoaded));
}

void TDBMemo::UpdateData(TObject*) {
  if (TField* field = FDataLink->GetField()) field->SetAsString(GetText());
}

void TDBMemo::Change() {
  // The stand-in "(label)" and the loading of the field are no edits of the user's.
  if (FMemoLoaded) FDataLink->Modified();
  FMemoLoaded = true;
  inherited::Change();
}

void TDBMemo::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (FMemoLoaded && DeletesOrPastes(key, shift)) FDataLink->Edit();
}

void TDBMemo::KeyPress(wchar_t& key) {
  inherited::KeyPress(key);
  if (!FMemoLoaded) {
    if (key == 13) LoadMemo();
    key = 0;
    return;
  }
  RefuseInvalidChar(FDataLink->GetField(), key);
  if (key == 27)
    FDataLink->Reset();
  else if (key != 0 && (EditsText(key) || key == 9 || key == 10 || key == 13))
    FDataLink->Edit();
}

void TDBMemo::SetFocused(bool value) {
  if (FFocused == value) return;
  FFocused = value;
  TField* field = FDataLink->GetField();
  if (!field || !field->GetIsBlob()) FDataLink->Reset();
}

void TDBMemo::CMEnter(TMessage& message) {
  SetFocused(true);
  inherited::CMEnter(message);
}

void TDBMemo::CMExit(TMessage& message) {
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    if (CanFocus()) SetFocus();
    throw;
  }
  SetFocused(false);
  inherited::CMExit(message);
}

void TDBMemo::EditingMessage(TMessage& message) {
  if (FMemoLoaded) FDataLink->Edit();
  inherited::Dispatch(message);
}

void TDBMemo::Dispatch(TMessage& message) {
  if (AnswerDataLink(message)) return;
  if (IsEditingMessage(message.Msg))
    EditingMessage(message);
  else if (message.Msg == WM_LBUTTONDBLCLK && !FMemoLoaded && FDataLink->GetField())
    LoadMemo();  // the double-click loads it
  else
    inherited::Dispatch(message);
}

// ---- TDBMemo: the input method ------------------------------------------------------------------------

void TDBMemo::SetImeName(const String& value) {
  if (FImeName == value) return;
  FImeName = value;
  if (HandleAllocated() && Focused()) {
    RestoreIme();
    ActivateIme();
  }
}

void TDBMemo::ActivateIme() {
  if (FImeName.empty() || !Screen || FImeActivated) return;
  TStrings* imes = Screen->GetImes();
  const int index = imes ? imes->IndexOf(FImeName) : -1;
  if (index < 0) return;
  HKL layout = reinterpret_cast<HKL>(imes->GetObject(index));
  if (layout && ::ActivateKeyboardLayout(layout, 0)) FImeActivated = true;
}

void TDBMemo::RestoreIme() {
  if (!FImeActivated) return;
  FImeActivated = false;
  if (Screen && Screen->GetDefaultKbLayout())
    ::ActivateKeyboardLayout(Screen->GetDefaultKbLayout(), 0);
}

void TDBMemo::WMSetFocus(TMessage& message) {
  inherited::WMSetFocus(message);
  ActivateIme();
}

void TDBMemo::WMKillFocus(TMessage& message) {
  RestoreIme();
  inherited::WMKillFocus(message);
}

// ---- Stored layouts --------------------------------------------------------------------------------------

const TPropertyTable* TDBText::PublishedProperties() {
  using P = TPublish<TDBText>;
  using C = TDBText;
  static const TPropertyTable table{
      P::Enum(L"Alignment", AlignmentIdents, &C::GetAlignment, &C::SetAlignment).Default(taLeftJustify),
      P::Boolean(L"AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(false),
      // The text is the field's.
      P::Text(L"Caption", &C::GetCaption, &C::SetCaption).Stored(false),
      P::Text(L"DataField", &C::GetDataField, &C::SetDataField),
      P::Component(L"DataSource", &C::GetDataSource, &C::SetDataSource),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(false),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
  };
  return &table;
}

const TPropertyTable* TDBEdit::PublishedProperties() {
  using P = TPublish<TDBEdit>;
  using C = TDBEdit;
  static const TPropertyTable table{
      P::Text(L"DataField", &C::GetDataField, &C::SetDataField),
      P::Component(L"DataSource", &C::GetDataSource, &C::SetDataSource),
      P::Boolean(L"ReadOnly", &C::GetReadOnly, &C::SetReadOnly).Default(false),
      // The text is the field's.
      P::Text(L"Text", [](C* c) { return c->GetText(); }, [](C* c, const String& v) { c->SetText(v); })
          .Stored(false),
  };
  return &table;
}

const TPropertyTable* TDBMemo::PublishedProperties() {
  using P = TPublish<TDBMemo>;
  using C = TDBMemo;
  static const TPropertyTable table{
      P::Boolean(L"AutoDisplay", &C::GetAutoDisplay, &C::SetAutoDisplay).Default(true),
      P::Text(L"DataField", &C::GetDataField, &C::SetDataField),
      P::Component(L"DataSource", &C::GetDataSource, &C::SetDataSource),
      P::Text(L"ImeName", &C::GetImeName, &C::SetImeName),
      // The lines are the field's.
      P::Strings(L"Lines", &C::GetLines, &C::SetLines).Stored(false),
      P::Boolean(L"ReadOnly", &C::GetReadOnly, &C::SetReadOnly).Default(false),
  };
  return &table;
}
