// TDataSet: the cursor over a TClientRows store, its state machine and its events.
#include <algorithm>
#include <cmath>
#include "../classes/StringList.h"
#include "DB.h"
#include "DBFilter.h"

namespace {

const Variant& NullValue() {
  static const Variant null = Variant::Null();
  return null;
}

bool IsEditState(TDataSetState state) { return state == dsEdit || state == dsInsert; }

// Splits "a;b; c" into trimmed names, dropping empty ones.
std::vector<String> SplitFieldNames(const String& names) {
  std::vector<String> result;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(L';', start);
    if (end == String::npos) end = names.size();
    String name = Trim(names.substr(start, end - start));
    if (!name.empty()) result.push_back(name);
    start = end + 1;
  }
  return result;
}

}  // namespace

// ---- Errors ---------------------------------------------------------------------------------

void DatabaseError(const String& message, const TComponent* component) {
  if (component && !component->GetName().empty())
    throw EDatabaseError(component->GetName() + L": " + message);
  throw EDatabaseError(message);
}

void DatabaseErrorFmt(const String& format, std::initializer_list<TVarRec> args,
                      const TComponent* component) {
  DatabaseError(Format(format, args), component);
}

// ---- The blob stream ---------------------------------------------------------------------------

// A memory stream over a copy of a blob field's bytes; a writing stream stores its bytes
// into the field when it is destroyed.
class TBlobStreamImpl : public TMemoryStream {
 public:
  TBlobStreamImpl(TBlobField* field, TBlobStreamMode mode) : FField(field), FMode(mode) {
    if (mode != bmWrite) {
      TBytes bytes = field->GetAsBytes();
      if (!bytes.empty()) TMemoryStream::Write(bytes.data(), static_cast<int>(bytes.size()));
      Seek(0, soBeginning);
    }
    FModified = mode == bmWrite;
  }
  ~TBlobStreamImpl() override {
    if (!FModified) return;
    try {
      const auto* begin = static_cast<const uint8_t*>(GetMemory());
      TBytes bytes(begin, begin + GetSize());
      FField->SetAsBytes(bytes);
    } catch (...) {
      // Nothing can be reported from a destructor; the data set left edit mode meanwhile.
    }
  }
  int Write(const void* buffer, int count) override {
    if (FMode == bmRead) throw EStreamError(L"Cannot write to a read-only blob stream");
    FModified = true;
    return TMemoryStream::Write(buffer, count);
  }
  void SetSize(int64_t newSize) override {
    if (FMode == bmRead) throw EStreamError(L"Cannot write to a read-only blob stream");
    FModified = true;
    TMemoryStream::SetSize(newSize);
  }

 private:
  TBlobField* FField;       // the field written back; not owned
  TBlobStreamMode FMode;
  bool FModified = false;   // bytes to store on destruction
};

// ---- Construction --------------------------------------------------------------------------

TDataSet::TDataSet(TComponent* owner) : TComponent(owner), FFields(std::make_unique<TFields>(this)) {}

TDataSet::~TDataSet() {
  Destroying();
  // Derived parts are gone: close without posting and without virtual calls.
  if (FState != dsInactive) {
    FState = dsInactive;
    FEditRow.reset();
  }
  std::vector<TDataSource*> sources = FDataSources;
  for (TDataSource* source : sources) source->SetDataSet(nullptr);
  DestroyFields();
  std::vector<TField*> persistent = FFields->FList;
  for (TField* field : persistent) field->FDataSet = nullptr;
  FFields->Clear();
  FRows.reset();
  FView.clear();
}

void TDataSet::CheckActive() const {
  if (FState == dsInactive) DatabaseError(DBText::DataSetClosed, this);
}

void TDataSet::CheckInactive() const {
  if (FState != dsInactive) DatabaseError(DBText::DataSetOpen, this);
}

// ---- Opening and closing ---------------------------------------------------------------------

void TDataSet::SetActive(bool value) {
  if (value == GetActive()) return;
  if (value) SetActiveTrue();
  else SetActiveFalse();
}

void TDataSet::SetActiveTrue() {
  DoEvent(BeforeOpen);
  try {
    OpenCursor();
  } catch (...) {
    CloseCursor();
    throw;
  }
  FBof = true;
  FEof = FView.empty();
  SetState(dsBrowse);
  DoEvent(AfterOpen);
  if (!IsEmpty()) DoEvent(AfterScroll);
}

void TDataSet::SetActiveFalse() {
  // A data set being destroyed drops an unposted edit and runs no events: nothing could
  // report a failure from a destructor.
  bool destroying = GetComponentState().Contains(csDestroying);
  if (IsEditState(FState) && !destroying) CheckBrowseMode();
  if (!destroying) DoEvent(BeforeClose);
  FEditRow.reset();
  SetState(dsInactive);
  CloseCursor();
  if (!destroying) DoEvent(AfterClose);
}

void TDataSet::OpenCursor() {
  if (FCloneRows) {
    FRows = std::move(FCloneRows);
    FCloneRows.reset();
  } else {
    FRows = InternalOpenRows();
  }
  if (!FRows) DatabaseError(L"No rows were read", this);
  CreateFields();
  BindFilterAndSort();
  RebuildView(0);
  FCurrent = FView.empty() ? -1 : 0;
}

void TDataSet::CloseCursor() {
  InternalClose();
  DestroyFields();
  FRows.reset();
  FView.clear();
  FCurrent = -1;
  FInsertIndex = -1;
  FEditRow.reset();
  FModified = false;
  FDisplayIndex = -1;
  FCalcRowId = -1;
  FBof = FEof = true;
}

void TDataSet::CreateFields() {
  bool persistent = !FFields->FList.empty();
  if (persistent) {
    BindFields();
    return;
  }
  FDefaultFields = true;
  for (int i = 0; i < FRows->GetColumnCount(); ++i) {
    const TColumnInfo& column = FRows->GetColumn(i);
    if (column.Hidden) continue;
    TField* field = CreateFieldFor(column);
    field->FFieldName = column.Name;
    field->FSize = column.Size;
    field->FReadOnly = column.ReadOnly;
    field->FRequired = column.Required;
    field->FColumn = i;
    field->FDataSet = this;
    FFields->Add(field);
  }
}

void TDataSet::BindFields() {
  FCalcFieldCount = 0;
  for (TField* field : FFields->FList) {
    if (field->FFieldKind != fkData) {
      field->FColumn = -1;
      field->FCalcIndex = FCalcFieldCount++;
      continue;
    }
    int column = FRows->IndexOfColumn(field->FFieldName);
    if (column < 0) DatabaseErrorFmt(DBText::FieldNotFound, {field->FFieldName}, this);
    field->FColumn = column;
    const TColumnInfo& info = FRows->GetColumn(column);
    if (info.ReadOnly) field->FReadOnly = true;
    if (field->FSize == 0) field->FSize = info.Size;
  }
  FCalcValues.assign(static_cast<size_t>(FCalcFieldCount), Variant::Null());
}

void TDataSet::DestroyFields() {
  if (FDefaultFields) {
    std::vector<TField*> fields = FFields->FList;
    FFields->Clear();
    for (TField* field : fields) {
      field->FDataSet = nullptr;
      delete field;
    }
    FDefaultFields = false;
  } else {
    for (TField* field : FFields->FList) field->FColumn = -1;
  }
}

TField* TDataSet::CreateFieldFor(const TColumnInfo& column) {
  switch (column.DataType) {
    case ftString:
    case ftFixedChar: return new TStringField(this);
    case ftWideString: return new TWideStringField(this);
    case ftSmallint:
    case ftWord: return new TSmallintField(this);
    case ftInteger:
    case ftLargeint: return new TIntegerField(this);
    case ftAutoInc: return new TAutoIncField(this);
    case ftBoolean: return new TBooleanField(this);
    case ftFloat:
    case ftBCD: return new TFloatField(this);
    case ftCurrency: return new TCurrencyField(this);
    case ftDate:
    case ftTime:
    case ftDateTime: return new TDateTimeField(this);
    case ftMemo:
    case ftFmtMemo: return new TMemoField(this);
    case ftGraphic: return new TGraphicField(this);
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
    case ftTypedBinary: return new TBlobField(this);
    default: return new TWideStringField(this);
  }
}

void TDataSet::AddField(TField* field) {
  CheckInactive();
  FFields->Add(field);
  field->FDataSet = this;
}

void TDataSet::RemoveField(TField* field) {
  FFields->Remove(field);
  field->FDataSet = nullptr;
}

void TDataSet::SetState(TDataSetState value) {
  if (FState == value) return;
  FState = value;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

void TDataSet::Clone(TDataSet* source) {
  if (!source || !source->GetActive()) DatabaseError(DBText::DataSetClosed, source ? source : this);
  if (source == this) return;
  Close();
  FFilterText.clear();
  FFilter.reset();
  FFiltered = false;
  FSortText.clear();
  FSortKeys.clear();
  FCloneRows = source->FRows;
  Open();
}

void TDataSet::Requery() {
  if (GetActive()) CheckBrowseMode();
  Close();
  Open();
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  DoEvent(BeforeRefresh);
  EnsureView();
  int64_t keep = FCurrent >= 0 ? FView[static_cast<size_t>(FCurrent)]->Id : 0;
  InternalRefresh();
  RebuildView(keep);
  FCalcRowId = -1;
  FBof = FEof = FView.empty();
  DataEvent(deDataSetChange, 0);
  DoEvent(AfterRefresh);
}

void TDataSet::InternalRefresh() {
  std::vector<int64_t> gone;
  for (int i = 0; i < FRows->GetRowCount(); ++i) {
    TClientRow& row = FRows->GetRow(i);
    if (!InternalRefreshRow(row)) gone.push_back(row.Id);
  }
  for (int64_t id : gone) FRows->RemoveRow(id);
}

// ---- The view --------------------------------------------------------------------------------

void TDataSet::EnsureView() const {
  if (FRows && FViewVersion != FRows->GetStructureVersion()) {
    auto* self = const_cast<TDataSet*>(this);
    int64_t keep = FCurrent >= 0 && FCurrent < static_cast<int>(FView.size())
                       ? FView[static_cast<size_t>(FCurrent)]->Id
                       : 0;
    self->RebuildView(keep);
  }
}

void TDataSet::BindFilterAndSort() {
  if (!FRows) return;
  if (FFilter) DBFilter::Bind(*FFilter, *FRows, this, FFilterOptions);
  FSortKeys.clear();
  String text = FSortText;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L',', start);
    if (end == String::npos) end = text.size();
    String part = Trim(text.substr(start, end - start));
    start = end + 1;
    if (part.empty()) continue;
    bool descending = false;
    size_t space = part.find_last_of(L" \t");
    if (space != String::npos) {
      String direction = part.substr(space + 1);
      if (SameText(direction, L"DESC") || SameText(direction, L"ASC")) {
        descending = SameText(direction, L"DESC");
        part = Trim(part.substr(0, space));
      }
    }
    if (part.size() >= 2 && part.front() == L'[' && part.back() == L']')
      part = part.substr(1, part.size() - 2);
    int column = FRows->IndexOfColumn(part);
    if (column < 0) DatabaseErrorFmt(DBText::FieldNotFound, {part}, this);
    FSortKeys.push_back({column, descending});
  }
}

bool TDataSet::RowPassesFilter(const TClientRow& row) {
  if (!FFiltered) return true;
  if (FFilter && !DBFilter::Evaluate(*FFilter, row)) return false;
  if (OnFilterRecord) {
    bool accept = true;
    TDataSetState savedTemp = FTempState;
    const TClientRow* savedRow = FTempRow;
    FTempState = dsFilter;
    FTempRow = &row;
    try {
      OnFilterRecord(this, accept);
    } catch (...) {
      FTempState = savedTemp;
      FTempRow = savedRow;
      throw;
    }
    FTempState = savedTemp;
    FTempRow = savedRow;
    return accept;
  }
  return true;
}

void TDataSet::SortView() {
  if (FSortKeys.empty()) return;
  std::vector<TFieldType> types;
  for (const TSortKey& key : FSortKeys) types.push_back(FRows->GetColumn(key.Column).DataType);
  std::stable_sort(FView.begin(), FView.end(),
                   [&](const std::shared_ptr<TClientRow>& a, const std::shared_ptr<TClientRow>& b) {
                     for (size_t k = 0; k < FSortKeys.size(); ++k) {
                       size_t column = static_cast<size_t>(FSortKeys[k].Column);
                       int c = DBFilter::CompareValues(a->Values[column], b->Values[column], types[k]);
                       if (c != 0) return FSortKeys[k].Descending ? c > 0 : c < 0;
                     }
                     return false;
                   });
}

void TDataSet::RebuildView(int64_t keepRowId) {
  int oldCurrent = FCurrent;
  FView.clear();
  if (!FRows) return;
  FView.reserve(static_cast<size_t>(FRows->GetRowCount()));
  for (int i = 0; i < FRows->GetRowCount(); ++i) {
    std::shared_ptr<TClientRow> row = FRows->GetRowPtr(i);
    if (RowPassesFilter(*row)) FView.push_back(std::move(row));
  }
  SortView();
  FViewVersion = FRows->GetStructureVersion();
  int found = keepRowId ? IndexOfRowId(keepRowId) : -1;
  if (found >= 0) FCurrent = found;
  else if (FView.empty()) FCurrent = -1;
  else FCurrent = std::clamp(oldCurrent, 0, static_cast<int>(FView.size()) - 1);
}

void TDataSet::ApplyFilterAndSort() {
  BindFilterAndSort();
  RebuildView(0);
  FCalcRowId = -1;
  GoToEnd(false);
}

int TDataSet::IndexOfRowId(int64_t id) const {
  for (size_t i = 0; i < FView.size(); ++i)
    if (FView[i]->Id == id) return static_cast<int>(i);
  return -1;
}

const TClientRow* TDataSet::RowAtIndex(int index) const {
  if (FState == dsInsert) {
    if (index == FInsertIndex) return FEditRow.get();
    if (index > FInsertIndex) --index;
  } else if (FState == dsEdit && index == FCurrent) {
    return FEditRow.get();
  }
  if (index < 0 || index >= static_cast<int>(FView.size())) return nullptr;
  return FView[static_cast<size_t>(index)].get();
}

const TClientRow* TDataSet::RowForRead() const {
  if (FTempRow) return FTempRow;
  if (FState == dsInactive) return nullptr;
  EnsureView();
  return RowAtIndex(FDisplayIndex >= 0 ? FDisplayIndex : GetCurrentIndex());
}

TClientRow* TDataSet::GetCurrentRow() const {
  if (FState == dsInactive) return nullptr;
  EnsureView();
  if (FCurrent < 0 || FCurrent >= static_cast<int>(FView.size())) return nullptr;
  return FView[static_cast<size_t>(FCurrent)].get();
}

int TDataSet::GetCurrentIndex() const {
  if (FState == dsInactive) return -1;
  EnsureView();
  return FState == dsInsert ? FInsertIndex : FCurrent;
}

int TDataSet::GetViewCount() const {
  if (FState == dsInactive) return 0;
  EnsureView();
  return static_cast<int>(FView.size()) + (FState == dsInsert ? 1 : 0);
}

void TDataSet::SetDisplayIndex(int index) {
  FDisplayIndex = (index < 0 || index == GetCurrentIndex()) ? -1 : index;
}

// ---- Navigation ------------------------------------------------------------------------------

bool TDataSet::IsEmpty() const {
  if (FState == dsInactive) return true;
  if (FState == dsInsert) return false;
  EnsureView();
  return FView.empty();
}

int TDataSet::GetRecordCount() const {
  CheckActive();
  EnsureView();
  return static_cast<int>(FView.size());
}

int TDataSet::GetRecNo() const {
  CheckActive();
  if (FState == dsInsert) return -1;
  EnsureView();
  return FCurrent + 1;
}

void TDataSet::SetRecNo(int value) {
  CheckBrowseMode();
  EnsureView();
  if (value < 1 || value > static_cast<int>(FView.size()) || value - 1 == FCurrent) return;
  MoveTo(value - 1, deDataSetChange);
}

void TDataSet::MoveTo(int index, TDataEvent event) {
  DoEvent(BeforeScroll);
  int distance = index - FCurrent;
  FCurrent = index;
  FBof = FEof = false;
  DataEvent(event, distance);
  DoEvent(AfterScroll);
}

void TDataSet::GoToEnd(bool last) {
  DoEvent(BeforeScroll);
  EnsureView();
  int count = static_cast<int>(FView.size());
  FCurrent = count == 0 ? -1 : (last ? count - 1 : 0);
  FBof = last ? count == 0 : true;
  FEof = last ? true : count == 0;
  DataEvent(deDataSetChange, 0);
  DoEvent(AfterScroll);
}

void TDataSet::First() {
  CheckBrowseMode();
  GoToEnd(false);
}

void TDataSet::Last() {
  CheckBrowseMode();
  GoToEnd(true);
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  EnsureView();
  if (distance == 0 || (distance > 0 && FEof) || (distance < 0 && FBof)) return 0;
  int count = static_cast<int>(FView.size());
  DoEvent(BeforeScroll);
  FBof = FEof = false;
  int target;
  if (count == 0) {
    target = -1;
    FBof = FEof = true;
  } else {
    int64_t wanted = static_cast<int64_t>(FCurrent) + distance;
    if (wanted >= count) {
      wanted = count - 1;
      FEof = true;
    } else if (wanted < 0) {
      wanted = 0;
      FBof = true;
    }
    target = static_cast<int>(wanted);
  }
  int moved = target - FCurrent;
  FCurrent = target;
  if (moved != 0) DataEvent(deDataSetScroll, moved);
  DoEvent(AfterScroll);
  return moved;
}

// ---- Editing ---------------------------------------------------------------------------------

void TDataSet::Edit() {
  if (IsEditState(FState)) return;
  CheckActive();
  EnsureView();
  if (FView.empty()) {
    Insert();
    return;
  }
  CheckBrowseMode();
  if (!GetCanModify()) DatabaseError(DBText::DataSetReadOnly, this);
  DoEvent(BeforeEdit);
  const TClientRow& current = *FView[static_cast<size_t>(FCurrent)];
  FEditRow = std::make_unique<TClientRow>(current);
  FEditRow->Modified.assign(current.Values.size(), false);
  FCalcRowId = -1;
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  DoEvent(AfterEdit);
}

void TDataSet::Insert() { BeginInsert(false); }

void TDataSet::Append() { BeginInsert(true); }

void TDataSet::BeginInsert(bool atEnd) {
  CheckBrowseMode();
  if (!GetCanModify()) DatabaseError(DBText::DataSetReadOnly, this);
  DoEvent(BeforeInsert);
  DoEvent(BeforeScroll);
  EnsureView();
  if (atEnd)
    FInsertIndex = static_cast<int>(FView.size());
  else
    FInsertIndex = FCurrent < 0 ? 0 : FCurrent;
  ResetEditState();
  FBof = false;
  FEof = atEnd;
  SetState(dsInsert);
  try {
    DoEvent(OnNewRecord);
  } catch (...) {
    FEditRow.reset();
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    throw;
  }
  FModified = false;
  DataEvent(deDataSetChange, 0);
  DoEvent(AfterInsert);
  DoEvent(AfterScroll);
}

void TDataSet::ResetEditState() {
  size_t columns = static_cast<size_t>(FRows->GetColumnCount());
  FEditRow = std::make_unique<TClientRow>();
  FEditRow->Values.assign(columns, Variant::Null());
  FEditRow->Modified.assign(columns, false);
  FCalcRowId = -1;
}

void TDataSet::UpdateRecord() {
  if (!IsEditState(FState)) DatabaseError(DBText::NotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckRequiredFields() {
  for (TField* field : FFields->FList) {
    if (field->FRequired && !field->FReadOnly && field->FFieldKind == fkData &&
        field->GetIsNull()) {
      field->FocusControl();
      DatabaseErrorFmt(DBText::FieldRequired, {field->GetDisplayName()});
    }
  }
}

void TDataSet::Post() {
  CheckActive();
  UpdateRecord();
  DataEvent(deCheckBrowseMode, 0);
  DoEvent(BeforePost);
  if (!IsEditState(FState)) return;  // BeforePost cancelled the edit
  CheckRequiredFields();
  EnsureView();
  if (FState == dsInsert) {
    InternalPostRow(*FEditRow, nullptr, true);
    int64_t beforeId = 0;
    if (FInsertIndex < static_cast<int>(FView.size()))
      beforeId = FView[static_cast<size_t>(FInsertIndex)]->Id;
    std::shared_ptr<TClientRow> row = FRows->InsertRow(std::move(FEditRow->Values), beforeId);
    int index = std::clamp(FInsertIndex, 0, static_cast<int>(FView.size()));
    FView.insert(FView.begin() + index, row);
    FViewVersion = FRows->GetStructureVersion();
    FCurrent = index;
  } else {
    // The row may have been deleted through a clone meanwhile; never write over another.
    TClientRow* stored = GetCurrentRow();
    if (!stored || stored->Id != FEditRow->Id) DatabaseError(DBText::RecordNotFound, this);
    InternalPostRow(*FEditRow, stored, false);
    stored->Values = std::move(FEditRow->Values);  // the buffer is dropped just below
  }
  FEditRow.reset();
  FInsertIndex = -1;
  FCalcRowId = -1;
  SetState(dsBrowse);
  DataEvent(deDataSetChange, 0);
  DoEvent(AfterPost);
}

void TDataSet::Cancel() {
  if (!IsEditState(FState)) return;
  DataEvent(deCheckBrowseMode, 0);
  DoEvent(BeforeCancel);
  bool wasInsert = FState == dsInsert;
  FEditRow.reset();
  FInsertIndex = -1;
  FCalcRowId = -1;
  SetState(dsBrowse);
  if (wasInsert) {
    EnsureView();
    FBof = FEof = FView.empty();
  }
  DataEvent(deDataSetChange, 0);
  DoEvent(AfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert) {
    Cancel();
    return;
  }
  EnsureView();
  if (FView.empty()) DatabaseError(DBText::DataSetEmpty, this);
  if (!GetCanModify()) DatabaseError(DBText::DataSetReadOnly, this);
  DataEvent(deCheckBrowseMode, 0);
  DoEvent(BeforeDelete);
  DoEvent(BeforeScroll);
  std::shared_ptr<TClientRow> row = FView[static_cast<size_t>(FCurrent)];
  InternalDeleteRow(*row);
  FRows->RemoveRow(row->Id);
  FView.erase(FView.begin() + FCurrent);
  FViewVersion = FRows->GetStructureVersion();
  bool wasLast = FCurrent >= static_cast<int>(FView.size());
  if (wasLast) FCurrent = static_cast<int>(FView.size()) - 1;
  FEditRow.reset();
  FCalcRowId = -1;
  FBof = FView.empty();
  FEof = FView.empty() || wasLast;
  if (FState != dsBrowse) SetState(dsBrowse);
  DataEvent(deDataSetChange, 0);
  DoEvent(AfterDelete);
  DoEvent(AfterScroll);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  if (IsEditState(FState)) {
    UpdateRecord();
    if (FModified) Post();
    else Cancel();
  }
}

void TDataSet::ClearFields() {
  if (!IsEditState(FState)) DatabaseError(DBText::NotEditing, this);
  DataEvent(deCheckBrowseMode, 0);
  for (TField* field : FFields->FList) {
    if (field->FColumn < 0 || field->FReadOnly) continue;
    FEditRow->Values[static_cast<size_t>(field->FColumn)] = Variant::Null();
    FEditRow->Modified[static_cast<size_t>(field->FColumn)] = true;
  }
  FCalcRowId = -1;
  DataEvent(deRecordChange, 0);
}

// ---- Reading and writing values ------------------------------------------------------------------

const Variant& TDataSet::ReadValue(const TField* field) const {
  const TClientRow* row = RowForRead();
  if (!row) return NullValue();
  if (field->FFieldKind != fkData) {
    if (field->FCalcIndex < 0) return NullValue();
    CalculateFields(row);
    return FCalcValues[static_cast<size_t>(field->FCalcIndex)];
  }
  if (field->FColumn < 0 || field->FColumn >= static_cast<int>(row->Values.size()))
    return NullValue();
  return row->Values[static_cast<size_t>(field->FColumn)];
}

void TDataSet::CalculateFields(const TClientRow* row) const {
  if (FCalcFieldCount == 0) return;
  if (FTempState == dsCalcFields) return;  // a calculated field read inside OnCalcFields
  if (FCalcRowId == row->Id) return;       // already calculated for this row
  auto* self = const_cast<TDataSet*>(this);
  FCalcValues.assign(static_cast<size_t>(FCalcFieldCount), Variant::Null());
  FCalcRowId = row->Id;
  if (!OnCalcFields) return;
  TDataSetState savedTemp = FTempState;
  const TClientRow* savedRow = FTempRow;
  self->FTempState = dsCalcFields;
  FTempRow = row;
  try {
    OnCalcFields(self);
  } catch (...) {
    self->FTempState = savedTemp;
    FTempRow = savedRow;
    throw;
  }
  self->FTempState = savedTemp;
  FTempRow = savedRow;
}

void TDataSet::WriteValue(TField* field, const Variant& value) {
  if (field->FFieldKind != fkData) {
    if (FTempState != dsCalcFields || field->FCalcIndex < 0)
      DatabaseErrorFmt(DBText::FieldReadOnly, {field->GetDisplayName()});
    FCalcValues[static_cast<size_t>(field->FCalcIndex)] = value;
    return;
  }
  if (FTempState != dsInactive || !IsEditState(FState)) DatabaseError(DBText::NotEditing, this);
  if (FDisplayIndex >= 0) DatabaseError(DBText::NotEditing, this);
  if (field->FReadOnly) DatabaseErrorFmt(DBText::FieldReadOnly, {field->GetDisplayName()});
  if (field->FColumn < 0) DatabaseErrorFmt(DBText::FieldNotFound, {field->FFieldName}, this);
  size_t column = static_cast<size_t>(field->FColumn);
  Variant old = FEditRow->Values[column];
  FEditRow->Values[column] = value;
  if (field->OnValidate) {
    try {
      field->OnValidate(field);
    } catch (...) {
      if (FEditRow) FEditRow->Values[column] = old;
      throw;
    }
  }
  FEditRow->Modified[column] = true;
  FCalcRowId = -1;
  DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  auto* blob = dynamic_cast<TBlobField*>(field);
  if (!blob) DatabaseErrorFmt(DBText::FieldAccessError, {field ? field->GetDisplayName() : L"", L"BLOB"});
  if (mode != bmRead) {
    if (!IsEditState(FState)) DatabaseError(DBText::NotEditing, this);
    if (blob->GetReadOnly()) DatabaseErrorFmt(DBText::FieldReadOnly, {blob->GetDisplayName()});
  }
  return std::make_unique<TBlobStreamImpl>(blob, mode);
}

void TDataSet::GetFieldNames(TStrings* list) const {
  if (!list) return;
  list->BeginUpdate();
  list->Clear();
  for (TField* field : FFields->FList) list->Add(field->GetFieldName());
  list->EndUpdate();
}

// ---- Searching -------------------------------------------------------------------------------------

std::vector<TField*> TDataSet::FieldList(const String& names) const {
  std::vector<TField*> fields;
  for (const String& name : SplitFieldNames(names)) fields.push_back(FieldByName(name));
  return fields;
}

namespace {

// Whether a stored value matches a key as Locate compares them for a field of type.
bool KeyMatches(const Variant& value, const Variant& key, TFieldType type, TLocateOptions options) {
  bool keyNull = key.IsNull() || key.IsEmpty();
  bool valueNull = value.IsNull() || value.IsEmpty();
  if (keyNull || valueNull) return keyNull && valueNull;
  if (DBFilter::IsTextType(type) || type == ftUnknown) {
    String text = VarToStr(value), keyText = VarToStr(key);
    bool caseless = options.Contains(loCaseInsensitive);
    if (options.Contains(loPartialKey)) {
      if (caseless) return DBFilter::StartsWithCI(text, keyText);
      return text.compare(0, keyText.size(), keyText) == 0 && keyText.size() <= text.size();
    }
    return caseless ? DBFilter::CompareTextCI(text, keyText) == 0 : text == keyText;
  }
  try {
    if (DBFilter::IsDateType(type))
      return std::fabs(value.AsDateTime() - key.AsDateTime()) < 0.5 / MSecsPerDay;
    if (type == ftBoolean) return value.AsBoolean() == key.AsBoolean();
    if (DBFilter::IsNumberType(type)) return value.AsDouble() == key.AsDouble();
    if (const TBytes* bytes = value.BytesPtr()) return *bytes == key.AsBytes();
  } catch (const EVariantError&) {
    return false;  // a key that cannot be of the field's kind matches nothing
  }
  return value == key;
}

}  // namespace

int TDataSet::FindMatch(const std::vector<TField*>& fields, const Variants& values,
                        TLocateOptions options) const {
  if (fields.size() != values.size())
    DatabaseError(L"The number of key values does not match the number of key fields", this);
  EnsureView();
  for (size_t i = 0; i < FView.size(); ++i) {
    const TClientRow& row = *FView[i];
    bool all = true;
    for (size_t k = 0; k < fields.size() && all; ++k) {
      const TField* field = fields[k];
      const Variant& value = field->FColumn >= 0 ? row.Values[static_cast<size_t>(field->FColumn)]
                                                 : NullValue();
      all = KeyMatches(value, values[k], field->GetDataType(), options);
    }
    if (all) return static_cast<int>(i);
  }
  return -1;
}

bool TDataSet::Locate(const String& keyFields, const Variant& keyValue, TLocateOptions options) {
  return LocateKeys(keyFields, Variants{keyValue}, options);
}

bool TDataSet::Locate(const String& keyFields, const Variants& keyValues, TLocateOptions options) {
  return LocateKeys(keyFields, keyValues, options);
}

bool TDataSet::LocateKeys(const String& keyFields, const Variants& keyValues,
                          TLocateOptions options) {
  CheckBrowseMode();
  int found = FindMatch(FieldList(keyFields), keyValues, options);
  if (found < 0) return false;
  MoveTo(found, deDataSetChange);
  return true;
}

Variant TDataSet::Lookup(const String& keyFields, const Variant& keyValue, const String& resultField) {
  return LookupKeys(keyFields, Variants{keyValue}, resultField);
}

Variant TDataSet::Lookup(const String& keyFields, const Variants& keyValues,
                         const String& resultField) {
  return LookupKeys(keyFields, keyValues, resultField);
}

Variant TDataSet::LookupKeys(const String& keyFields, const Variants& keyValues,
                             const String& resultField) {
  CheckActive();
  TField* result = FieldByName(Trim(resultField));
  int found = FindMatch(FieldList(keyFields), keyValues, TLocateOptions());
  if (found < 0) return Variant::Null();
  int savedDisplay = FDisplayIndex;
  int index = (FState == dsInsert && found >= FInsertIndex) ? found + 1 : found;
  FDisplayIndex = index == GetCurrentIndex() ? -1 : index;
  Variant value;
  try {
    value = result->GetAsVariant();
  } catch (...) {
    FDisplayIndex = savedDisplay;
    throw;
  }
  FDisplayIndex = savedDisplay;
  return value;
}

// ---- Bookmarks ----------------------------------------------------------------------------------

TBookmark TDataSet::GetBookmark() const {
  if (FState == dsInsert) return TBookmark();
  TClientRow* row = GetCurrentRow();
  return row ? TBookmark{row->Id} : TBookmark();
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  CheckBrowseMode();
  EnsureView();
  int index = bookmark.IsEmpty() ? -1 : IndexOfRowId(bookmark.RowId);
  if (index < 0) DatabaseError(DBText::RecordNotFound, this);
  MoveTo(index, deDataSetChange);
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) const {
  if (FState == dsInactive || bookmark.IsEmpty()) return false;
  EnsureView();
  return IndexOfRowId(bookmark.RowId) >= 0;
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  if (a.IsEmpty() || b.IsEmpty()) return a.IsEmpty() == b.IsEmpty() ? 0 : (a.IsEmpty() ? -1 : 1);
  EnsureView();
  int x = IndexOfRowId(a.RowId), y = IndexOfRowId(b.RowId);
  return x < y ? -1 : (x > y ? 1 : 0);
}

// ---- Filter and sort -------------------------------------------------------------------------------

void TDataSet::SetFilter(const String& value) {
  std::shared_ptr<TDBFilterNode> parsed = DBFilter::Parse(value);
  if (GetActive() && parsed) DBFilter::Bind(*parsed, *FRows, this, FFilterOptions);
  if (GetActive() && FFiltered) CheckBrowseMode();
  FFilterText = value;
  FFilter = parsed;
  if (GetActive() && FFiltered) ApplyFilterAndSort();
}

void TDataSet::SetFiltered(bool value) {
  if (value == FFiltered) return;
  if (GetActive()) CheckBrowseMode();
  FFiltered = value;
  if (GetActive()) ApplyFilterAndSort();
}

void TDataSet::SetFilterOptions(TFilterOptions value) {
  if (value == FFilterOptions) return;
  if (GetActive()) CheckBrowseMode();
  FFilterOptions = value;
  if (GetActive() && FFiltered) ApplyFilterAndSort();
}

void TDataSet::SetSort(const String& value) {
  if (GetActive()) CheckBrowseMode();
  String previous = FSortText;
  FSortText = value;
  if (!GetActive()) return;
  try {
    BindFilterAndSort();
  } catch (...) {
    FSortText = previous;
    BindFilterAndSort();
    throw;
  }
  ApplyFilterAndSort();
}

// ---- Controls ----------------------------------------------------------------------------------------

void TDataSet::DisableControls() {
  if (FDisableCount == 0) {
    FDisableState = FState;
    FEnableEvent = deDataSetChange;
  }
  ++FDisableCount;
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0) return;
  if (--FDisableCount > 0) return;
  if (FDisableState != FState) DataEvent(deUpdateState, 0);
  if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent, 0);
}

bool TDataSet::IsLinkedTo(const TDataSource* dataSource) const {
  return dataSource && dataSource->GetDataSet() == this;
}

void TDataSet::AddDataSource(TDataSource* source) {
  if (std::find(FDataSources.begin(), FDataSources.end(), source) == FDataSources.end())
    FDataSources.push_back(source);
}

void TDataSet::RemoveDataSource(TDataSource* source) {
  FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), source),
                     FDataSources.end());
}

void TDataSet::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deFieldChange) {
    auto* field = reinterpret_cast<TField*>(info);
    if (field && field->FFieldKind == fkData) FModified = true;
    if (field && field->OnChange) field->OnChange(field);
  }
  if (FDisableCount == 0) {
    if (FDataSources.size() == 1) {
      FDataSources.front()->DataEvent(event, info);  // the list is not touched after the call
    } else if (!FDataSources.empty()) {
      // A source may leave the list while it handles the event.
      std::vector<TDataSource*> sources = FDataSources;
      for (TDataSource* source : sources) source->DataEvent(event, info);
    }
  } else if ((event == deUpdateState && FState == dsInactive) || event == deLayoutChange) {
    FEnableEvent = deLayoutChange;
  }
}
