// TDataSource, TDataLink and TFieldDataLink: how data set events reach the controls.
#include <algorithm>
#include "../controls/ActnList.h"
#include "../controls/Controls.h"
#include "../controls/Messages.h"
#include "DB.h"

// ---- TDataSource ----------------------------------------------------------------------------

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  Destroying();
  OnStateChange = nullptr;
  OnDataChange = nullptr;
  SetDataSet(nullptr);
  while (!FDataLinks.empty()) RemoveDataLink(FDataLinks.back());
}

void TDataSource::SetDataSet(TDataSet* value) {
  if (value == FDataSet) return;
  if (FDataSet) {
    FDataSet->RemoveDataSource(this);
    FDataSet->RemoveFreeNotification(this);
  }
  FDataSet = value;
  if (FDataSet) {
    FDataSet->AddDataSource(this);
    FDataSet->FreeNotification(this);
  }
  UpdateState();
}

void TDataSource::SetEnabled(bool value) {
  FEnabled = value;
  UpdateState();
}

void TDataSource::Edit() {
  if (FAutoEdit && FState == dsBrowse && FDataSet) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(const TDataSet* dataSet) const {
  return dataSet && FDataSet == dataSet;
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FDataSet) SetDataSet(nullptr);
}

void TDataSource::UpdateState() {
  SetState(FEnabled && FDataSet ? FDataSet->GetState() : dsInactive);
}

void TDataSource::SetState(TDataSetState value) {
  if (FState == value) return;
  TDataSetState prior = FState;
  FState = value;
  NotifyDataLinks(deUpdateState, prior);
  if (GetComponentState().Contains(csDestroying)) return;
  if (OnStateChange) OnStateChange(this);
  if (prior == dsInactive && OnDataChange) OnDataChange(this, nullptr);
}

void TDataSource::NotifyDataLinks(TDataEvent event, intptr_t info) {
  std::vector<TDataLink*> links = FDataLinks;
  for (TDataLink* link : links)
    if (std::find(FDataLinks.begin(), FDataLinks.end(), link) != FDataLinks.end())
      link->DataEvent(event, info);
}

void TDataSource::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive) return;
  NotifyDataLinks(event, info);
  switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange)
        OnDataChange(this, event == deFieldChange ? reinterpret_cast<TField*>(info) : nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default: break;
  }
}

void TDataSource::AddDataLink(TDataLink* link) {
  if (std::find(FDataLinks.begin(), FDataLinks.end(), link) == FDataLinks.end())
    FDataLinks.push_back(link);
  link->FDataSource = this;
  link->UpdateActiveAndEditing();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
  FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), link), FDataLinks.end());
  if (link->FDataSource == this) {
    link->FDataSource = nullptr;
    link->UpdateActiveAndEditing();
  }
}

// ---- TDataLink ------------------------------------------------------------------------------

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (FDataSource) FDataSource->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* value) {
  if (value == FDataSource) return;
  if (FDataSource) FDataSource->RemoveDataLink(this);
  if (value) value->AddDataLink(this);
}

TDataSet* TDataLink::GetDataSet() const { return FDataSource ? FDataSource->GetDataSet() : nullptr; }

void TDataLink::SetReadOnly(bool value) {
  if (FReadOnly == value) return;
  FReadOnly = value;
  UpdateActiveAndEditing();
}

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource) FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord() {
  FUpdating = true;
  try {
    UpdateData();
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

void TDataLink::UpdateActiveAndEditing() {
  TDataSetState state = FDataSource ? FDataSource->GetState() : dsInactive;
  bool active = state != dsInactive;
  bool editing = (state == dsEdit || state == dsInsert) && !FReadOnly;
  if (FActive != active) {
    FActive = active;
    FFirstRecord = 0;
    if (active) ScrollWindow();
    ActiveChanged();
  }
  if (FEditing != editing) {
    FEditing = editing;
    EditingChanged();
  }
}

int TDataLink::ScrollWindow() {
  TDataSet* dataSet = GetDataSet();
  if (!dataSet || !FActive) return 0;
  int old = FFirstRecord;
  int count = dataSet->GetViewCount();
  int current = dataSet->GetCurrentIndex();
  if (current >= 0) {
    if (current < FFirstRecord) FFirstRecord = current;
    if (current >= FFirstRecord + FBufferCount) FFirstRecord = current - FBufferCount + 1;
  }
  FFirstRecord = std::max(0, std::min(FFirstRecord, count - FBufferCount));
  return FFirstRecord - old;
}

void TDataLink::SetBufferCount(int value) {
  FBufferCount = std::max(1, value);
  ScrollWindow();
}

int TDataLink::GetActiveRecord() const {
  TDataSet* dataSet = GetDataSet();
  if (!dataSet || !FActive) return 0;
  int current = dataSet->GetDisplayIndex() >= 0 ? dataSet->GetDisplayIndex() : dataSet->GetCurrentIndex();
  return std::max(0, current - FFirstRecord);
}

void TDataLink::SetActiveRecord(int value) {
  TDataSet* dataSet = GetDataSet();
  if (!dataSet || !FActive) return;
  dataSet->SetDisplayIndex(FFirstRecord + value);
}

int TDataLink::GetRecordCount() const {
  TDataSet* dataSet = GetDataSet();
  if (!dataSet || !FActive) return 0;
  return std::max(0, std::min(FBufferCount, dataSet->GetViewCount() - FFirstRecord));
}

bool TDataLink::ExecuteAction(TBasicAction* action) {
  if (action && FDataSource && action->HandlesTarget(FDataSource)) {
    action->ExecuteTarget(FDataSource);
    return true;
  }
  return false;
}

bool TDataLink::UpdateAction(TBasicAction* action) {
  if (action && FDataSource && action->HandlesTarget(FDataSource)) {
    action->UpdateTarget(FDataSource);
    return true;
  }
  return false;
}

void TDataLink::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateActiveAndEditing();
    return;
  }
  if (!FActive) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      int scrolled = ScrollWindow();
      if (event == deDataSetScroll) DataSetScrolled(scrolled);
      else if (event == deLayoutChange) LayoutChanged();
      else DataSetChanged();
      break;
    }
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(reinterpret_cast<TField**>(info)); break;
    default: break;
  }
}

// ---- TFieldDataLink ---------------------------------------------------------------------------

void TFieldDataLink::SetFieldName(const String& value) {
  if (FFieldName == value) return;
  FFieldName = value;
  UpdateField();
}

bool TFieldDataLink::GetCanModify() const {
  return !GetReadOnly() && FField && FField->GetCanModify();
}

bool TFieldDataLink::Edit() {
  if (GetCanModify()) TDataLink::Edit();
  return FFieldEditing;
}

void TFieldDataLink::UpdateField() {
  if (GetActive() && !FFieldName.empty()) {
    FField = nullptr;
    TField* field = GetDataSet()->FindField(FFieldName);
    if (!field) DatabaseErrorFmt(DBText::FieldNotFound, {FFieldName}, FControl);
    SetField(field);
  } else {
    SetField(nullptr);
  }
}

void TFieldDataLink::SetField(TField* value) {
  if (FField == value) return;
  FField = value;
  EditingChanged();
  RecordChanged(nullptr);
}

void TFieldDataLink::SetFieldEditing(bool value) {
  if (FFieldEditing == value) return;
  FFieldEditing = value;
  FModified = false;
  if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { SetFieldEditing(TDataLink::GetEditing() && GetCanModify()); }

void TFieldDataLink::FocusControl(TField** field) {
  if (!field || !*field || *field != FField) return;
  auto* control = dynamic_cast<TWinControl*>(FControl);
  if (control && control->CanFocus()) {
    *field = nullptr;
    control->SetFocus();
  }
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field) {
  if (field && field != FField) return;
  if (OnDataChange) OnDataChange(this);
  FModified = false;
}

void TFieldDataLink::UpdateData() {
  if (!FModified) return;
  if (FField && OnUpdateData) OnUpdateData(this);
  FModified = false;
}

// ---- CM_GETDATALINK -----------------------------------------------------------------------------

TDataLink* GetDataLinkOf(TControl* control) {
  if (!control) return nullptr;
  return reinterpret_cast<TDataLink*>(control->Perform(CM_GETDATALINK, 0, 0));
}
