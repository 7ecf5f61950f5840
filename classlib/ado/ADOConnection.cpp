// TParameter, TParameters, TADOConnection and TADOCommand.
#include <sqlite3.h>
#include <algorithm>
#include "../system/SysFiles.h"
#include "ADODB.h"
#include "ADOInternal.h"
#include "DbPassword.h"
#include "JetDates.h"
#include "JetFunctions.h"

namespace ado_internal {

namespace {

bool IsBlobType(TFieldType type) {
  return type == ftBlob || type == ftGraphic || type == ftBytes || type == ftVarBytes ||
         type == ftTypedBinary || type == ftParadoxOle || type == ftDBaseOle;
}

bool IsTextType(TFieldType type) {
  return type == ftString || type == ftWideString || type == ftMemo || type == ftFmtMemo ||
         type == ftFixedChar;
}

bool IsDateType(TFieldType type) { return type == ftDate || type == ftTime || type == ftDateTime; }

}  // namespace

void BindVariant(TSqliteStatement& statement, int index, const Variant& value, TFieldType type) {
  switch (value.GetVarType()) {
    case varEmpty:
    case varNull:
      statement.BindNull(index);
      break;
    case varInt64:
      if (IsDateType(type)) statement.BindText(index, DateTimeToIso(double(value.AsInt64())));
      else statement.BindInt64(index, value.AsInt64());
      break;
    case varBoolean:
      statement.BindInt64(index, value.AsBoolean() ? -1 : 0);
      break;
    case varDouble:
      if (IsDateType(type)) statement.BindText(index, DateTimeToIso(value.AsDouble()));
      else statement.BindDouble(index, value.AsDouble());
      break;
    case varCurrency:
      statement.BindDouble(index, value.AsCurrency());
      break;
    case varDate:
      statement.BindText(index, DateTimeToIso(value.AsDateTime()));
      break;
    case varString:
      if (IsBlobType(type)) {
        std::string bytes = StringToCp936(value.AsString());
        statement.BindBlob(index, bytes.data(), bytes.size());
      } else {
        statement.BindText(index, value.AsString());
      }
      break;
    case varBytes: {
      const TBytes& bytes = *value.BytesPtr();
      if (IsTextType(type)) {
        statement.BindText(
            index, Cp936ToString(std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                                  bytes.size())));
      } else {
        statement.BindBlob(index, bytes.data(), bytes.size());
      }
      break;
    }
    default:
      statement.BindText(index, VarToStr(value));
      break;
  }
}

void BindParameters(TSqliteStatement& statement, const TJetTranslation& t,
                    const TParameters* params) {
  for (size_t i = 0; i < t.ParamNames.size(); ++i) {
    const String& name = t.ParamNames[i];
    TParameter* param = params && !name.empty() ? params->FindParam(name) : nullptr;
    if (!param && params && int(i) < params->GetCount()) param = params->GetItem(int(i));
    if (!param || param->GetValue().IsEmpty())
      throw EDatabaseError(L"No value given for one or more required parameters.");
    BindVariant(statement, int(i) + 1, param->GetValue(), param->GetDataType());
  }
}

int RowsAffected(TJetStatementKind kind, int64_t changes) {
  bool counts = kind == TJetStatementKind::Insert || kind == TJetStatementKind::Update ||
                kind == TJetStatementKind::Delete;
  return counts ? int(changes) : 0;
}

String QuoteName(const String& name) {
  String out = L"\"";
  for (wchar_t c : name) {
    out += c;
    if (c == L'"') out += c;
  }
  return out + L"\"";
}

}  // namespace ado_internal

using namespace ado_internal;

// ---- TParameter -------------------------------------------------------------------------

TParameter::TParameter(TCollection* collection) : TCollectionItem(collection) {}

void TParameter::SetValue(const Variant& value) {
  FValue = value;
  if (!FDataTypeGiven) {
    FDataType = ftUnknown;
    switch (value.GetVarType()) {
      case varInt64: FDataType = ftInteger; break;
      case varDouble: FDataType = ftFloat; break;
      case varCurrency: FDataType = ftCurrency; break;
      case varBoolean: FDataType = ftBoolean; break;
      case varDate: FDataType = ftDateTime; break;
      case varString: FDataType = ftWideString; break;
      case varBytes: FDataType = ftBlob; break;
      default: break;
    }
  }
}

void TParameter::LoadFromStream(TStream& stream, TFieldType dataType) {
  stream.SetPosition(0);
  int64_t size = stream.GetSize();
  if (size < 0 || size > 0x7FFFFFFF) throw EDatabaseError(L"The stream is too large for a parameter.");
  TBytes bytes(static_cast<size_t>(size));
  if (size > 0) stream.ReadBuffer(bytes.data(), int(size));
  SetDataType(dataType);
  FValue = Variant(std::move(bytes));
}

void TParameter::LoadFromFile(const String& fileName, TFieldType dataType) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream, dataType);
}

void TParameter::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TParameter*>(source)) {
    FName = other->FName;
    FDataType = other->FDataType;
    FDataTypeGiven = other->FDataTypeGiven;
    FDirection = other->FDirection;
    FSize = other->FSize;
    FValue = other->FValue;
    return;
  }
  TCollectionItem::Assign(source);
}

// ---- TParameters -------------------------------------------------------------------------

TParameters::TParameters(TPersistent* owner)
    : TOwnedCollection(owner, TCollectionItemClass<TParameter>{}) {}

TParameter* TParameters::CreateParameter(const String& name, TFieldType dataType,
                                         TParameterDirection direction, int size,
                                         const Variant& value) {
  TParameter* param = AddParameter();
  param->SetName(name);
  param->SetDataType(dataType);
  param->SetDirection(direction);
  param->SetSize(size);
  param->SetValue(value);
  return param;
}

TParameter* TParameters::FindParam(const String& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (SameText(GetItem(i)->GetName(), name)) return GetItem(i);
  return nullptr;
}

TParameter* TParameters::ParamByName(const String& name) const {
  TParameter* param = FindParam(name);
  if (!param) throw EDatabaseError(L"Parameter '" + name + L"' not found");
  return param;
}

String TParameters::ParseSQL(const String& sql, bool doCreate) {
  // Files named by IN '<file>' are not opened for this: only the names matter.
  TJetTranslation t = TranslateJetSql(sql, [](const String&) { return String(L"ext"); });
  if (doCreate) {
    BeginUpdate();
    Clear();
    for (const String& name : t.ParamNames) AddParameter()->SetName(name);
    EndUpdate();
  }
  return sql;
}

// ---- TADOConnection: the connection string -----------------------------------------------

namespace {

// Splits "key=value;key=value" with values optionally in double or single quotes (a
// doubled quote inside stands for one).
std::vector<std::pair<String, String>> SplitConnectionString(const String& text) {
  std::vector<std::pair<String, String>> pairs;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eq = text.find(L'=', pos);
    size_t semi = text.find(L';', pos);
    if (eq == String::npos || (semi != String::npos && semi < eq)) {
      pos = semi == String::npos ? text.size() : semi + 1;  // a part without '=' is skipped
      continue;
    }
    String key = Trim(text.substr(pos, eq - pos));
    pos = eq + 1;
    while (pos < text.size() && text[pos] == L' ') ++pos;
    String value;
    if (pos < text.size() && (text[pos] == L'"' || text[pos] == L'\'')) {
      wchar_t quote = text[pos++];
      while (pos < text.size()) {
        if (text[pos] == quote) {
          if (pos + 1 < text.size() && text[pos + 1] == quote) {
            value += quote;
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        value += text[pos++];
      }
      size_t next = text.find(L';', pos);
      pos = next == String::npos ? text.size() : next + 1;
    } else {
      size_t next = text.find(L';', pos);
      size_t end = next == String::npos ? text.size() : next;
      value = Trim(text.substr(pos, end - pos));
      pos = next == String::npos ? text.size() : next + 1;
    }
    pairs.emplace_back(key, value);
  }
  return pairs;
}

bool IsJetProvider(const String& provider) {
  String p = UpperCase(Trim(provider));
  return p.empty() || p.rfind(L"MICROSOFT.JET.OLEDB", 0) == 0 ||
         p.rfind(L"MICROSOFT.ACE.OLEDB", 0) == 0;
}


}  // namespace

TADOConnection::TSettings TADOConnection::ParseConnectionString(const String& connectionString) {
  TSettings settings;
  for (const auto& [key, value] : SplitConnectionString(connectionString)) {
    if (SameText(key, L"Provider")) settings.Provider = value;
    else if (SameText(key, L"Data Source")) settings.DataSource = value;
    else if (SameText(key, L"Jet OLEDB:Database Password")) settings.Password = value;
  }
  return settings;
}

// ---- TADOConnection ------------------------------------------------------------------------

TADOConnection::TADOConnection(TComponent* owner) : TComponent(owner) {}

TADOConnection::~TADOConnection() {
  Destroying();
  try {
    Close();
  } catch (...) {
  }
}

void TADOConnection::SetConnectionString(const String& value) {
  if (value == FConnectionString) return;
  Close();
  FConnectionString = value;
}

void TADOConnection::SetConnected(bool value) {
  if (value) Open();
  else Close();
}

void TADOConnection::SetMode(TConnectMode value) {
  if (value == FMode) return;
  Close();
  FMode = value;
}

String TADOConnection::GetProvider() const { return ParseConnectionString(FConnectionString).Provider; }

void TADOConnection::SetProvider(const String& value) {
  String rest;
  for (const auto& [key, v] : SplitConnectionString(FConnectionString)) {
    if (SameText(key, L"Provider")) continue;
    String quoted = v.find_first_of(L";\"'") == String::npos ? v : L"\"" + StringReplace(v, L"\"", L"\"\"", rfReplaceAll) + L"\"";
    rest += L";" + key + L"=" + quoted;
  }
  SetConnectionString(L"Provider=" + value + rest);
}

void TADOConnection::Open() { DoConnect(); }

void TADOConnection::DoConnect() {
  if (FDb.IsOpen()) return;
  TSettings settings = ParseConnectionString(FConnectionString);
  if (!IsJetProvider(settings.Provider))
    throw EDatabaseError(L"Provider cannot be found. It may not be properly installed.");
  if (Trim(settings.DataSource).empty())
    throw EDatabaseError(L"No database file is named in the connection string (Data Source).");
  if (BeforeConnect) BeforeConnect(this);
  String fileName = ExpandFileName(Trim(settings.DataSource));
  TEventStatus status = esOK;
  try {
    FDb.Open(fileName, FMode == cmRead);
    {
      // Reading the schema tells a database from any other file ("Unrecognized database
      // format") and finds a file locked by another process.
      TSqliteStatement probe(FDb, L"SELECT count(*) FROM sqlite_master", String());
      probe.Step();
    }
    CheckDatabasePassword(FDb, settings.Password);
    RegisterJetFunctions(FDb.Handle());
    if (FMode == cmShareExclusive) {
      // Exclusive locking keeps every lock once taken; an empty exclusive transaction takes
      // the write lock now, so others are kept out from the opening on, not from the first
      // change.
      FDb.Exec(L"PRAGMA locking_mode = EXCLUSIVE");
      FDb.Exec(L"BEGIN EXCLUSIVE");
      FDb.Exec(L"COMMIT");
    }
  } catch (const Exception& e) {
    FDb.Close();
    status = esErrorsOccured;
    if (OnConnectComplete) OnConnectComplete(this, &e, status);
    throw;
  }
  ++FGeneration;
  FTransLevel = 0;
  FBeginPending = false;
  if (OnConnectComplete) OnConnectComplete(this, nullptr, status);
  if (AfterConnect) AfterConnect(this);
}

void TADOConnection::Close() {
  if (!FDb.IsOpen() || FClosing) return;
  FClosing = true;
  try {
    std::vector<TCustomADODataSet*> dataSets = FDataSets;
    for (TCustomADODataSet* dataSet : dataSets)
      if (dataSet->GetActive()) dataSet->Close();
  } catch (...) {
    FClosing = false;
    throw;
  }
  Disconnect();
  FClosing = false;
}

void TADOConnection::Disconnect() {
  if (!FDb.IsOpen()) return;
  if (BeforeDisconnect) BeforeDisconnect(this);
  // An open transaction ends unfinished: closing rolls it back.
  if (FDb.InTransaction()) {
    try {
      FDb.Exec(L"ROLLBACK");
    } catch (...) {
    }
  }
  FDb.Close();
  FTransLevel = 0;
  FBeginPending = false;
  FAttached.clear();
  FAttachedFiles.clear();
  if (AfterDisconnect) AfterDisconnect(this);
}

void TADOConnection::CheckActive() {
  if (FDb.IsOpen()) return;
  if (FConnectionString.empty()) throw EDatabaseError(L"Missing Connection or ConnectionString");
  DoConnect();
}

int TADOConnection::Execute(const String& commandText, TExecuteOptions options) {
  CheckActive();
  TJetTranslation t = Translate(commandText);
  if (t.Kind == TJetStatementKind::AlterDatabasePassword) {
    ChangePassword(t.NewPassword, t.OldPassword);
    return 0;
  }
  if (!t.ParamNames.empty())
    throw EDatabaseError(L"No value given for one or more required parameters.\nSQL: " + commandText);
  TStatementScope scope(*this);
  TSqliteStatement statement(FDb, t.Sql, commandText);
  return RowsAffected(t.Kind, statement.ExecuteNonQuery());
}

void TADOConnection::Execute(const String& commandText, int& recordsAffected,
                             TExecuteOptions options) {
  recordsAffected = Execute(commandText, options);
}

int TADOConnection::BeginTrans() {
  CheckActive();
  if (FTransLevel == 0) {
    // BEGIN waits for the first statement: files named by IN '<file>' in it can still be
    // attached, which SQLite refuses inside a transaction.
    FBeginPending = true;
    FTransLevel = 1;
    return FTransLevel;
  }
  if (FBeginPending) {
    FDb.Exec(L"BEGIN");
    FBeginPending = false;
  }
  FDb.Exec(L"SAVEPOINT trans" + IntToStr(int64_t(FTransLevel + 1)));
  return ++FTransLevel;
}

void TADOConnection::CommitTrans() {
  if (FTransLevel == 0 || !FDb.IsOpen()) throw EDatabaseError(L"No transaction is active.");
  if (FTransLevel > 1) {
    FDb.Exec(L"RELEASE trans" + IntToStr(int64_t(FTransLevel)));
    --FTransLevel;
    return;
  }
  if (FBeginPending) {
    FBeginPending = false;
  } else if (FDb.InTransaction()) {
    FDb.Exec(L"COMMIT");  // on failure the transaction stays open for a rollback
  }
  FTransLevel = 0;
  AfterStatement();
}

void TADOConnection::RollbackTrans() {
  if (FTransLevel == 0 || !FDb.IsOpen()) throw EDatabaseError(L"No transaction is active.");
  if (FTransLevel > 1) {
    String name = L"trans" + IntToStr(int64_t(FTransLevel));
    --FTransLevel;
    if (FDb.InTransaction()) {
      FDb.Exec(L"ROLLBACK TO " + name);
      FDb.Exec(L"RELEASE " + name);
    }
    return;
  }
  FTransLevel = 0;
  if (FBeginPending) {
    FBeginPending = false;
  } else if (FDb.InTransaction()) {  // SQLite may have rolled back already after an error
    FDb.Exec(L"ROLLBACK");
  }
  AfterStatement();
}

void TADOConnection::GetTableNames(TStrings* list, bool systemTables) {
  if (!list) return;
  CheckActive();
  TSqliteStatement query(FDb,
                         L"SELECT name FROM sqlite_master WHERE type = 'table' "
                         L"ORDER BY name COLLATE NOCASE",
                         String());
  list->BeginUpdate();
  try {
    list->Clear();
    while (query.Step()) {
      String name = query.ColumnText(0);
      if (SameText(name, kPasswordTable)) continue;
      if (!systemTables && SameText(Copy(name, 1, 7), L"sqlite_")) continue;
      list->Add(name);
    }
  } catch (...) {
    list->EndUpdate();
    throw;
  }
  list->EndUpdate();
}

TJetTranslation TADOConnection::Translate(const String& jetSql) {
  return TranslateJetSql(
      jetSql, [this](const String& file) { return SchemaOfFile(file); },
      [this](const String& schema, const String& table) { return TableColumns(schema, table); });
}

std::vector<String> TADOConnection::TableColumns(const String& schema, const String& table) {
  CheckActive();
  TSqliteStatement info(FDb, L"PRAGMA " + QuoteName(schema.empty() ? String(L"main") : schema) +
                                 L".table_info(" + QuoteName(table) + L")",
                        String());
  std::vector<String> names;
  while (info.Step()) names.push_back(info.ColumnText(1));
  return names;
}

String TADOConnection::SchemaOfFile(const String& fileName) {
  CheckActive();
  String full = ExpandFileName(Trim(fileName));
  String key = AnsiUpperCase(full);
  auto found = FAttached.find(key);
  if (found != FAttached.end()) return found->second;
  if (FDb.InTransaction())
    throw EDatabaseError(L"The database file '" + full +
                         L"' cannot be opened inside a transaction that has already run a "
                         L"statement; name it in the transaction's first statement.");
  if (!FileExists(full)) throw EDatabaseError(L"Could not find file '" + full + L"'.");
  String schema = L"ext" + IntToStr(int64_t(FNextSchema++));
  TSqliteStatement attach(FDb, L"ATTACH DATABASE ? AS " + QuoteName(schema), String());
  attach.BindText(1, full);
  attach.ExecuteNonQuery();
  try {
    try {
      TSqliteStatement probe(FDb, L"SELECT count(*) FROM " + QuoteName(schema) + L".sqlite_master",
                             String());
      probe.Step();
    } catch (const EDatabaseError&) {
      if ((sqlite3_extended_errcode(FDb.Handle()) & 0xFF) == SQLITE_NOTADB)
        throw EDatabaseError(L"Unrecognized database format '" + full + L"'.");
      throw;
    }
    // IN '<file>' gives no password: a file that has one cannot be read this way.
    CheckDatabasePassword(FDb, String(), schema);
  } catch (...) {
    try {
      FDb.Exec(L"DETACH DATABASE " + QuoteName(schema));
    } catch (...) {
    }
    throw;
  }
  FAttached[key] = schema;
  FAttachedFiles[schema] = full;
  return schema;
}

String TADOConnection::FileOfSchema(const String& schema) const {
  for (const auto& [name, file] : FAttachedFiles)
    if (SameText(name, schema)) return file;
  return String();
}

void TADOConnection::BeforeStatement() {
  CheckActive();
  if (FBeginPending) {
    FDb.Exec(L"BEGIN");
    FBeginPending = false;
  }
}

void TADOConnection::AfterStatement() {
  if (FTransLevel == 0 && FDb.IsOpen() && !FDb.InTransaction()) DetachAll();
}

void TADOConnection::DetachAll() {
  for (auto it = FAttachedFiles.begin(); it != FAttachedFiles.end();) {
    try {
      FDb.Exec(L"DETACH DATABASE " + QuoteName(it->first));
    } catch (const EDatabaseError&) {
      ++it;  // still in use by a statement: kept until the next chance
      continue;
    }
    FAttached.erase(AnsiUpperCase(it->second));
    it = FAttachedFiles.erase(it);
  }
}

void TADOConnection::RegisterDataSet(TCustomADODataSet* dataSet) {
  if (std::find(FDataSets.begin(), FDataSets.end(), dataSet) == FDataSets.end())
    FDataSets.push_back(dataSet);
}

void TADOConnection::UnregisterDataSet(TCustomADODataSet* dataSet) {
  FDataSets.erase(std::remove(FDataSets.begin(), FDataSets.end(), dataSet), FDataSets.end());
}

void TADOConnection::DataSetClosed(TCustomADODataSet* dataSet) {
  if (FKeepConnection || FClosing || FTransLevel > 0 || !FDb.IsOpen()) return;
  for (TCustomADODataSet* other : FDataSets)
    if (other != dataSet && other->GetActive()) return;
  Disconnect();
}

void TADOConnection::ChangePassword(const String& newPassword, const String& oldPassword) {
  CheckActive();
  TStatementScope scope(*this);
  SetDatabasePassword(FDb, newPassword, oldPassword);
}

// ---- TADOCommand ---------------------------------------------------------------------------

TADOCommand::TADOCommand(TComponent* owner)
    : TComponent(owner), FParameters(std::make_unique<TParameters>(this)) {}

TADOCommand::~TADOCommand() {
  FStatement.reset();
  if (FConnection) FConnection->RemoveFreeNotification(this);
}

void TADOCommand::SetConnection(TADOConnection* value) {
  if (value == FConnection) return;
  SetPrepared(false);
  if (FConnection) FConnection->RemoveFreeNotification(this);
  FConnection = value;
  if (FConnection) FConnection->FreeNotification(this);
}

void TADOCommand::SetCommandText(const String& value) {
  SetPrepared(false);
  FCommandText = value;
  if (FParamCheck) FParameters->ParseSQL(value, true);
}

void TADOCommand::SetPrepared(bool value) {
  if (!value) {
    FStatement.reset();
    FTranslation.reset();
    return;
  }
  if (FStatement && FConnection && FGeneration == FConnection->GetGeneration()) return;
  if (!FConnection) throw EDatabaseError(L"Missing Connection or ConnectionString");
  FConnection->CheckActive();
  auto translation = std::make_unique<TJetTranslation>(FConnection->Translate(FCommandText));
  if (translation->Kind == TJetStatementKind::AlterDatabasePassword) return;
  FStatement = std::make_unique<TSqliteStatement>(FConnection->GetDatabase(), translation->Sql,
                                                  FCommandText);
  FTranslation = std::move(translation);
  FGeneration = FConnection->GetGeneration();
}

int TADOCommand::Execute() {
  if (!FConnection) throw EDatabaseError(L"Missing Connection or ConnectionString");
  FConnection->CheckActive();
  std::unique_ptr<TSqliteStatement> once;
  std::unique_ptr<TJetTranslation> onceTranslation;
  TSqliteStatement* statement = FStatement.get();
  const TJetTranslation* t = FTranslation.get();
  if (!statement || FGeneration != FConnection->GetGeneration()) {
    FStatement.reset();
    onceTranslation = std::make_unique<TJetTranslation>(FConnection->Translate(FCommandText));
    t = onceTranslation.get();
    if (t->Kind == TJetStatementKind::AlterDatabasePassword) {
      FConnection->ChangePassword(t->NewPassword, t->OldPassword);
      return 0;
    }
  }
  TStatementScope scope(*FConnection);
  if (!statement || onceTranslation) {
    once = std::make_unique<TSqliteStatement>(FConnection->GetDatabase(), t->Sql, FCommandText);
    statement = once.get();
  }
  statement->Reset();
  statement->ClearBindings();
  BindParameters(*statement, *t, FParameters.get());
  int64_t changes = statement->ExecuteNonQuery();
  statement->Reset();
  return RowsAffected(t->Kind, changes);
}

void TADOCommand::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FConnection) {
    FStatement.reset();
    FTranslation.reset();
    FConnection = nullptr;
  }
}
