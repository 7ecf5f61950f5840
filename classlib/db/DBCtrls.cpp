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

// Makes control the field data link's client and sets the data source, asking the source
// to tell control when it is freed.
void LinkDataSource(TComponent* control, TFieldDataLink& link, TDataSource* value) {
  if (value == link.GetDataSource()) return;
  if (TDataSource* old = link.GetDataSource()) old->RemoveFreeNotification(control);
  link.SetDataSource(value);
  if (value) value->FreeNotification(control);
}

// Stops the link from calling back into a control that is being destroyed, then frees it.
void ReleaseLink(std::unique_ptr<TFieldDataLink>& link) {
  link->OnDataChange = nullptr;
  link->OnEditingChange = nullptr;
  link->OnUpdateData = nullptr;
  link->OnActiveChange = nullptr;
  link.reset();
}

}  // namespace

// ---- TDBText --------------------------------------------------------------------------------------

TDBText::TDBText(TComponent* owner)
    : TCustomLabel(owner), FDataLink(std::make_unique<TFieldDataLink>()) {
  // The text is the field's; it never follows the name.
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  SetAutoSize(false);
  SetShowAccelChar(false);
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject* sender) { DataChange(sender); };
}

TDBText::~TDBText() {
  Destroying();
  ReleaseLink(FDataLink);
}

void TDBText::SetDataSource(TDataSource* value) { LinkDataSource(this, *FDataLink, value); }

void TDBText::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && FDataLink && component == GetDataSource()) SetDataSource(nullptr);
}

String TDBText::GetFieldText() const {
  if (TField* field = FDataLink->GetField()) return field->GetDisplayText();
  return GetComponentState().Contains(csDesigning) ? GetName() : String();
}

void TDBText::DataChange(TObject*) { SetCaption(GetFieldText()); }

void TDBText::Loaded() {
  inherited::Loaded();
  if (GetComponentState().Contains(csDesigning)) DataChange(this);
}

void TDBText::Dispatch(TMessage& message) {
  if (message.Msg == CM_GETDATALINK) {
    message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
    return;
  }
  inherited::Dispatch(message);
}

// ---- TDBEdit --------------------------------------------------------------------------------------

TDBEdit::TDBEdit(TComponent* owner)
    : TCustomEdit(owner), FDataLink(std::make_unique<TFieldDataLink>()) {
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  TCustomEdit::SetReadOnly(true);  // until the link edits
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject* sender) { DataChange(sender); };
  FDataLink->OnEditingChange = [this](TObject* sender) { EditingChange(sender); };
  FDataLink->OnUpdateData = [this](TObject* sender) { UpdateData(sender); };
}

TDBEdit::~TDBEdit() {
  Destroying();
  ReleaseLink(FDataLink);
}

void TDBEdit::SetDataSource(TDataSource* value) { LinkDataSource(this, *FDataLink, value); }

void TDBEdit::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && FDataLink && component == GetDataSource()) SetDataSource(nullptr);
}

void TDBEdit::Reset() {
  FDataLink->Reset();
  SelectAll();
}

void TDBEdit::DataChange(TObject*) {
  TField* field = FDataLink->GetField();
  if (!field) {
    SetMaxLength(0);
    SetText(GetComponentState().Contains(csDesigning) ? GetName() : String());
    return;
  }
  const TFieldType type = field->GetDataType();
  SetMaxLength(type == ftString || type == ftWideString ? field->GetSize() : 0);
  SetText(FFocused && FDataLink->GetCanModify() ? field->GetText() : field->GetDisplayText());
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
  if (key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift))) FDataLink->Edit();
}

void TDBEdit::KeyPress(wchar_t& key) {
  inherited::KeyPress(key);
  TField* field = FDataLink->GetField();
  if (key >= 32 && field && !field->IsValidChar(key)) {
    ::MessageBeep(0);
    key = 0;
  }
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
  switch (message.Msg) {
    case CM_GETDATALINK: message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); break;
    case WM_CUT:
    case WM_PASTE:
    case WM_UNDO:
    case WM_CLEAR: EditingMessage(message); break;
    default: inherited::Dispatch(message); break;
  }
}

// ---- TDBMemo --------------------------------------------------------------------------------------

TDBMemo::TDBMemo(TComponent* owner)
    : TCustomMemo(owner), FDataLink(std::make_unique<TFieldDataLink>()) {
  SetControlStyle(GetControlStyle() - TControlStyle{csSetCaption});
  TCustomEdit::SetReadOnly(true);  // until the link edits
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject* sender) { DataChange(sender); };
  FDataLink->OnEditingChange = [this](TObject* sender) { EditingChange(sender); };
  FDataLink->OnUpdateData = [this](TObject* sender) { UpdateData(sender); };
}

TDBMemo::~TDBMemo() {
  Destroying();
  ReleaseLink(FDataLink);
}

void TDBMemo::SetDataSource(TDataSource* value) { LinkDataSource(this, *FDataLink, value); }

void TDBMemo::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && FDataLink && component == GetDataSource()) SetDataSource(nullptr);
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
    SetText(GetComponentState().Contains(csDesigning) ? GetName() : String());
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
    SetText(FFocused && FDataLink->GetCanModify() ? field->GetText() : field->GetDisplayText());
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
  if (FMemoLoaded && (key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift))))
    FDataLink->Edit();
}

void TDBMemo::KeyPress(wchar_t& key) {
  inherited::KeyPress(key);
  if (!FMemoLoaded) {
    if (key == 13) LoadMemo();
    key = 0;
    return;
  }
  TField* field = FDataLink->GetField();
  if (key >= 32 && field && !field->IsValidChar(key)) {
    ::MessageBeep(0);
    key = 0;
  }
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
  switch (message.Msg) {
    case CM_GETDATALINK: message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); break;
    case WM_CUT:
    case WM_PASTE:
    case WM_UNDO:
    case WM_CLEAR: EditingMessage(message); break;
    case WM_LBUTTONDBLCLK:
      if (!FMemoLoaded && FDataLink->GetField()) LoadMemo();  // the double-click loads it
      else inherited::Dispatch(message);
      break;
    default: inherited::Dispatch(message); break;
  }
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
