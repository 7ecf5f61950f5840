// TCustomADODataSet, TADOQuery and TADOTable.
//
// Opening: the Jet text is translated; for a single-table-row query (TJetTranslation::
// SimpleSelect) the row id of every table of its FROM clause is added to the select list as
// a hidden column "__rowidN". SQLite's column metadata then tells, for each result column,
// the table and column it comes from and its declared type, which gives the field type.
// Columns computed by expressions get their type from the values read.
#include <sqlite3.h>
#include <algorithm>
#include <unordered_map>
#include "../system/SysMath.h"
#include "ADODB.h"
#include "ADOInternal.h"
#include "JetDates.h"
#include "JetFunctions.h"

using namespace ado_internal;

namespace {

constexpr const wchar_t* kRowNotFound =
    L"Row cannot be located for updating. Some values may have been changed since it was last read.";


// The field type of a column declared as decl (as JetTypeToDeclaration writes them, and
// the usual SQL names besides); size gets the characters of a text type.
TFieldType FieldTypeOfDeclaration(const String& decl, int& size) {
  String d = UpperCase(Trim(decl));
  size = 0;
  size_t paren = d.find(L'(');
  String name = Trim(d.substr(0, paren));
  if (paren != String::npos) size = StrToIntDef(Trim(d.substr(paren + 1, d.find_first_of(L",)", paren) - paren - 1)), 0);
  size_t blank = name.find(L' ');
  if (blank != String::npos) name = name.substr(0, blank);
  if (name == L"LONGTEXT" || name == L"MEMO" || name == L"CLOB" || name == L"NTEXT") return ftMemo;
  if (name == L"TEXT" || name == L"VARCHAR" || name == L"CHAR" || name == L"NVARCHAR" ||
      name == L"NCHAR" || name == L"CHARACTER" || name == L"STRING") {
    if (size <= 0) size = 255;
    return ftWideString;
  }
  if (name == L"BLOB" || name == L"IMAGE" || name == L"LONGBINARY" || name == L"OLEOBJECT" ||
      name == L"BINARY" || name == L"VARBINARY")
    return ftBlob;
  if (name == L"SMALLINT" || name == L"TINYINT" || name == L"SHORT") return ftSmallint;
  if (name == L"INTEGER" || name == L"INT" || name == L"LONG" || name == L"MEDIUMINT") return ftInteger;
  if (name == L"BIGINT") return ftLargeint;
  if (name == L"DATETIME" || name == L"DATE" || name == L"TIME" || name == L"TIMESTAMP") return ftDateTime;
  if (name == L"REAL" || name == L"DOUBLE" || name == L"FLOAT" || name == L"NUMERIC" ||
      name == L"DECIMAL" || name == L"SINGLE")
    return ftFloat;
  if (name == L"CURRENCY" || name == L"MONEY") return ftCurrency;
  if (name == L"BOOLEAN" || name == L"BIT" || name == L"YESNO" || name == L"LOGICAL") return ftBoolean;
  if (name.find(L"INT") != String::npos) return ftInteger;
  if (name.find(L"CHAR") != String::npos || name.find(L"TEXT") != String::npos) {
    if (size <= 0) size = 255;
    return ftWideString;
  }
  return ftUnknown;
}

bool TryTextToInt64(const String& text, int64_t& value) { return TryStrToInt64(Trim(text), value); }

bool TryTextToDouble(const String& text, double& value) {
  String s = Trim(text);
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  value = std::wcstod(s.c_str(), &end);
  return end && *end == 0;
}

// One cell of the current row as the column's field type keeps it. Values that do not fit
// the type (text in a number column, as SQLite allows) stay as they are, so that reading
// the field reports them.
Variant ReadCell(const TSqliteStatement& s, int i, TFieldType type) {
  int kind = s.ColumnType(i);
  if (kind == SQLITE_NULL) return Variant::Null();
  switch (type) {
    case ftString:
    case ftWideString:
    case ftFixedChar:
    case ftMemo:
    case ftFmtMemo:
      return Variant(s.ColumnText(i));
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: {
      if (kind == SQLITE_INTEGER) return Variant(static_cast<long long>(s.ColumnInt64(i)));
      if (kind == SQLITE_FLOAT) return Variant(static_cast<long long>(Round(s.ColumnDouble(i))));
      String text = s.ColumnText(i);
      int64_t value;
      if (TryTextToInt64(text, value)) return Variant(static_cast<long long>(value));
      return Variant(text);
    }
    case ftFloat:
    case ftBCD:
    case ftCurrency: {
      double value;
      if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) value = s.ColumnDouble(i);
      else if (!TryTextToDouble(s.ColumnText(i), value)) return Variant(s.ColumnText(i));
      return type == ftCurrency ? Variant::FromCurrency(value) : Variant(value);
    }
    case ftBoolean: {
      if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) return Variant(s.ColumnDouble(i) != 0);
      String text = s.ColumnText(i);
      double value;
      if (TryTextToDouble(text, value)) return Variant(value != 0);
      if (SameText(Trim(text), L"true") || SameText(Trim(text), L"yes")) return Variant(true);
      if (SameText(Trim(text), L"false") || SameText(Trim(text), L"no")) return Variant(false);
      return Variant(text);
    }
    case ftDate:
    case ftTime:
    case ftDateTime: {
      if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT)
        return Variant::FromDateTime(s.ColumnDouble(i));
      String text = s.ColumnText(i);
      TDateTime dt;
      if (TryIsoToDateTime(Trim(text), dt)) return Variant::FromDateTime(dt);
      return Variant(text);
    }
    case ftBlob:
    case ftGraphic:
    case ftBytes:
    case ftVarBytes:
    case ftTypedBinary: {
      std::string bytes = s.ColumnBlob(i);
      return Variant(TBytes(bytes.begin(), bytes.end()));
    }
    default:
      break;
  }
  // An expression: its value as SQLite gives it.
  switch (kind) {
    case SQLITE_INTEGER:
      return Variant(static_cast<long long>(s.ColumnInt64(i)));
    case SQLITE_FLOAT:
      return Variant(s.ColumnDouble(i));
    case SQLITE_BLOB: {
      std::string bytes = s.ColumnBlob(i);
      return Variant(TBytes(bytes.begin(), bytes.end()));
    }
    default:
      return Variant(s.ColumnText(i));
  }
}

// Whether text has exactly the stored date form 'yyyy-mm-dd hh:nn:ss'.
bool LooksLikeStoredDate(const String& text) {
  TDateTime dt;
  return text.size() == 19 && text[4] == L'-' && text[10] == L' ' && TryIsoToDateTime(text, dt);
}

// Gives an expression column (read with ftUnknown) its type from the values read, and
// converts the values to it.
void SettleExpressionColumn(TClientRows& rows, int column) {
  bool anyInt = false, anyFloat = false, anyText = false, anyBytes = false, allDates = true;
  bool bigInt = false;
  size_t maxLength = 0;
  for (int r = 0; r < rows.GetRowCount(); ++r) {
    const Variant& v = rows.GetRow(r).Values[size_t(column)];
    switch (v.GetVarType()) {
      case varInt64: {
        anyInt = true;
        int64_t value = v.AsInt64();
        if (value < INT32_MIN || value > INT32_MAX) bigInt = true;
        break;
      }
      case varDouble: anyFloat = true; break;
      case varString: {
        anyText = true;
        String text = v.AsString();
        maxLength = Max(maxLength, text.size());
        if (!LooksLikeStoredDate(text)) allDates = false;
        break;
      }
      case varBytes: anyBytes = true; break;
      default: break;
    }
  }
  TColumnInfo& info = rows.GetColumn(column);
  if (anyBytes) {
    info.DataType = ftBlob;
  } else if (anyText && allDates && !anyInt && !anyFloat) {
    info.DataType = ftDateTime;
  } else if (anyText) {
    info.DataType = maxLength > 255 ? ftMemo : ftWideString;
    info.Size = int(Max<size_t>(maxLength, 1));
  } else if (anyFloat) {
    info.DataType = ftFloat;
  } else if (anyInt) {
    info.DataType = bigInt ? ftLargeint : ftInteger;
  } else {
    info.DataType = ftFloat;  // only Nulls: sums and averages over no rows
  }
  for (int r = 0; r < rows.GetRowCount(); ++r) {
    Variant& v = rows.GetRow(r).Values[size_t(column)];
    if (v.IsNull()) continue;
    if (info.DataType == ftDateTime) {
      TDateTime dt;
      if (TryIsoToDateTime(v.AsString(), dt)) v = Variant::FromDateTime(dt);
    } else if ((info.DataType == ftWideString || info.DataType == ftMemo) &&
               v.GetVarType() != varString) {
      v = Variant(v.GetVarType() == varDouble ? JetNumberText(v.AsDouble()) : v.AsString());
    } else if (info.DataType == ftFloat && v.GetVarType() == varInt64) {
      v = Variant(double(v.AsInt64()));
    }
  }
}

}  // namespace

// ---- Table descriptions ----------------------------------------------------------------------

namespace {

TTableDescription ReadTableDescription(TSqliteDatabase& db, const String& schema, const String& table) {
  TTableDescription description;
  TSqliteStatement info(db, L"PRAGMA " + QuoteName(schema) + L".table_info(" + QuoteName(table) + L")",
                        String());
  int keyColumns = 0;
  String keyName;
  while (info.Step()) {
    TTableColumn column;
    column.Type = info.ColumnText(2);
    column.NotNull = info.ColumnInt64(3) != 0;
    column.HasDefault = info.ColumnType(4) != SQLITE_NULL;
    column.IsKey = info.ColumnInt64(5) > 0;
    String name = info.ColumnText(1);
    if (column.IsKey) {
      ++keyColumns;
      keyName = name;
    }
    description[AnsiUpperCase(name)] = column;
  }
  if (keyColumns == 1) {
    TTableColumn& key = description[AnsiUpperCase(keyName)];
    key.RowIdAlias = SameText(Trim(key.Type), L"INTEGER");
    int autoinc = 0;
    key.AutoIncrement =
        key.RowIdAlias &&
        sqlite3_table_column_metadata(db.Handle(), StringToUtf8(schema).c_str(), StringToUtf8(table).c_str(),
                                      StringToUtf8(keyName).c_str(), nullptr, nullptr, nullptr,
                                      nullptr, &autoinc) == SQLITE_OK &&
        autoinc;
  }
  return description;
}

}  // namespace

void TDescriptionCache::Clear() {
  Tables.clear();
  Statements.clear();
  SchemaVersion = -1;
}

TDescriptionCache& ado_internal::CurrentDescriptions(TADOConnection& connection) {
  TDescriptionCache& cache = connection.GetDescriptionCache();
  if (!cache.VersionQuery)
    cache.VersionQuery =
        std::make_unique<TSqliteStatement>(connection.GetDatabase(), L"PRAGMA main.schema_version", String());
  int64_t version = -1;
  cache.VersionQuery->Reset();
  if (cache.VersionQuery->Step()) version = cache.VersionQuery->ColumnInt64(0);
  cache.VersionQuery->Reset();  // holds no read lock between statements
  if (version != cache.SchemaVersion) {
    cache.Clear();
    cache.SchemaVersion = version;
  }
  return cache;
}

std::shared_ptr<const TTableDescription> ado_internal::DescribeTable(TADOConnection& connection,
                                                                     TDescriptionCache& cache,
                                                                     const String& schema,
                                                                     const String& table) {
  TSqliteDatabase& db = connection.GetDatabase();
  if (!SameText(schema, L"main"))  // attached files come and go: read each time
    return std::make_shared<const TTableDescription>(ReadTableDescription(db, schema, table));
  std::shared_ptr<const TTableDescription>& described = cache.Tables[AnsiUpperCase(table)];
  if (!described)
    described = std::make_shared<const TTableDescription>(ReadTableDescription(db, schema, table));
  return described;
}

// ---- TCustomADODataSet ---------------------------------------------------------------------

TCustomADODataSet::TCustomADODataSet(TComponent* owner)
    : TDataSet(owner), FParameters(std::make_unique<TParameters>(this)) {}

TCustomADODataSet::~TCustomADODataSet() {
  // TDataSet's destructor closes without posting; nothing is written from here.
  FStatementCache.clear();
  FPrepared.reset();
  if (FConnection) {
    FConnection->UnregisterDataSet(this);
    FConnection->RemoveFreeNotification(this);
  }
}

void TCustomADODataSet::SetConnection(TADOConnection* value) {
  if (value == FConnection) return;
  Close();
  Unprepare();
  if (FConnection) {
    FConnection->UnregisterDataSet(this);
    FConnection->RemoveFreeNotification(this);
  }
  FConnection = value;
  if (FConnection) {
    FConnection->RegisterDataSet(this);
    FConnection->FreeNotification(this);
  }
}

void TCustomADODataSet::Notification(TComponent* component, TOperation operation) {
  TDataSet::Notification(component, operation);
  if (operation == opRemove && component == FConnection) {
    FStatementCache.clear();
    FPrepared.reset();
    FPreparedTranslation.reset();
    FConnection = nullptr;
  }
}

TADOConnection& TCustomADODataSet::Connection() {
  if (!FConnection) DatabaseError(L"Missing Connection or ConnectionString", this);
  return *FConnection;
}

bool TCustomADODataSet::GetCanModify() const {
  if (FLockType == ltReadOnly) return false;
  return !GetActive() || !FSources.empty();
}

void TCustomADODataSet::Clone(TDataSet* source) {
  if (auto* other = dynamic_cast<TCustomADODataSet*>(source)) {
    if (other->FConnection != FConnection) SetConnection(other->FConnection);
    TDataSet::Clone(source);
    FSources = other->FSources;
    return;
  }
  TDataSet::Clone(source);
}

// ---- Statements without rows ---------------------------------------------------------------

void TCustomADODataSet::Unprepare() {
  FPrepared.reset();
  FPreparedTranslation.reset();
}

void TCustomADODataSet::SetPreparedStatement(bool value) {
  if (!value) {
    Unprepare();
    return;
  }
  TADOConnection& c = Connection();
  if (FPrepared && FPreparedGeneration == c.GetGeneration()) return;
  c.CheckActive();
  String text = GetCommandText();
  auto translation = std::make_unique<TJetTranslation>(c.Translate(text));
  if (translation->Kind == TJetStatementKind::AlterDatabasePassword) return;
  FPrepared = std::make_unique<TSqliteStatement>(c.GetDatabase(), translation->Sql, text);
  FPreparedTranslation = std::move(translation);
  FPreparedGeneration = c.GetGeneration();
}

int TCustomADODataSet::ExecuteCommand() {
  TADOConnection& c = Connection();
  c.CheckActive();
  String text = GetCommandText();
  std::unique_ptr<TJetTranslation> onceTranslation;
  const TJetTranslation* t = FPreparedTranslation.get();
  bool usePrepared = FPrepared && FPreparedGeneration == c.GetGeneration();
  if (!usePrepared) {
    Unprepare();
    onceTranslation = std::make_unique<TJetTranslation>(c.Translate(text));
    t = onceTranslation.get();
    if (t->Kind == TJetStatementKind::AlterDatabasePassword) {
      c.ChangePassword(t->NewPassword, t->OldPassword);
      FRowsAffected = 0;
      return 0;
    }
  }
  TStatementScope scope(c);
  std::unique_ptr<TSqliteStatement> once;
  TSqliteStatement* statement = FPrepared.get();
  if (!usePrepared) {
    once = std::make_unique<TSqliteStatement>(c.GetDatabase(), t->Sql, text);
    statement = once.get();
  }
  statement->Reset();
  statement->ClearBindings();
  BindParameters(*statement, *t, FParameters.get());
  int64_t changes = statement->ExecuteNonQuery();
  statement->Reset();
  FRowsAffected = RowsAffected(t->Kind, changes);
  return FRowsAffected;
}

// ---- Opening ---------------------------------------------------------------------------------

std::unique_ptr<TSqliteStatement> TCustomADODataSet::PrepareWithRowIds(const TJetTranslation& t) {
  TADOConnection& c = Connection();
  String text = GetCommandText();
  FSources.clear();
  if (t.SimpleSelect && t.ExtraColumnsAt != String::npos && FLockType != ltReadOnly) {
    String extra;
    for (size_t k = 0; k < t.Sources.size(); ++k)
      extra += L", " + QuoteName(t.Sources[k].Alias) + L".rowid AS " +
               QuoteName(L"__rowid" + IntToStr(int64_t(k)));
    String sql = t.Sql;
    sql.insert(t.ExtraColumnsAt, extra);
    try {
      auto statement = std::make_unique<TSqliteStatement>(c.GetDatabase(), sql, text);
      for (const TJetSource& source : t.Sources) {
        TSource s;
        s.Table = source.Table;
        s.File = source.Schema.empty() || SameText(source.Schema, L"main")
                     ? String()
                     : c.FileOfSchema(source.Schema);
        FSources.push_back(s);
      }
      return statement;
    } catch (const EDatabaseError&) {
      // A view or a table without row ids: the rows are read-only.
      FSources.clear();
    }
  }
  return std::make_unique<TSqliteStatement>(c.GetDatabase(), t.Sql, text);
}

void TCustomADODataSet::DescribeColumns(TSqliteStatement& statement, const TJetTranslation& t,
                                        TClientRows& rows, int visibleCount) {
  TADOConnection& c = Connection();
  TDescriptionCache& cache = CurrentDescriptions(c);
  const char* sqlText = sqlite3_sql(statement.Handle());
  const std::string key = sqlText ? sqlText : "";
  auto cached = cache.Statements.find(key);
  if (cached != cache.Statements.end() && cached->second.Sources.size() == FSources.size()) {
    for (const TColumnInfo& info : cached->second.Columns) rows.AddColumn(info);
    for (size_t k = 0; k < FSources.size(); ++k) {
      FSources[k].Columns = cached->second.Sources[k].Columns;
      FSources[k].RowIdAlias = cached->second.Sources[k].RowIdAlias;
      FSources[k].KeyColumn = cached->second.Sources[k].KeyColumn;
    }
    return;
  }
  bool mainFileOnly = true;  // what else is attached may differ next time
  for (const TJetSource& s : t.Sources)
    if (!s.Schema.empty() && !SameText(s.Schema, L"main")) mainFileOnly = false;
  std::unordered_map<std::wstring, std::shared_ptr<const TTableDescription>> tables;  // "schema.table"
  std::vector<String> names;
  std::vector<int> sourceOf;
  for (int i = 0; i < visibleCount; ++i) {
    TColumnInfo info;
    info.Name = statement.ColumnName(i);
    String table = statement.ColumnTableName(i);
    String origin = statement.ColumnOriginName(i);
    String schema = statement.ColumnDatabaseName(i);
    String decl = statement.ColumnDeclType(i);
    int source = -1;
    if (!table.empty()) {
      info.BaseTable = table;
      info.BaseColumn = origin;
      // The source of this column: the one table of FROM with that name in that schema.
      int matches = 0;
      for (size_t k = 0; k < t.Sources.size() && !FSources.empty(); ++k) {
        const TJetSource& s = t.Sources[k];
        bool sameSchema = s.Schema.empty() ? SameText(schema, L"main") : SameText(schema, s.Schema);
        if (sameSchema && SameText(s.Table, table)) {
          source = int(k);
          ++matches;
        }
      }
      if (matches != 1) source = -1;  // a table joined with itself: which row is unknown
      String key = AnsiUpperCase(schema + L"." + table);
      std::shared_ptr<const TTableDescription>& described = tables[key];
      if (!described) described = DescribeTable(c, cache, schema, table);
      if (!SameText(schema, L"main")) mainFileOnly = false;
      const TTableDescription& description = *described;
      auto column = description.find(AnsiUpperCase(origin));
      int size = 0;
      info.DataType = FieldTypeOfDeclaration(decl, size);
      info.Size = size;
      if (column != description.end()) {
        const TTableColumn& col = column->second;
        const bool rowIdAlias = col.RowIdAlias;
        info.IsKey = col.IsKey;
        info.Required = col.NotNull && !col.HasDefault && !rowIdAlias;
        if (col.AutoIncrement) info.DataType = ftAutoInc;
        if (source >= 0) {
          FSources[size_t(source)].Columns.push_back(i);
          FSources[size_t(source)].RowIdAlias.push_back(rowIdAlias);
        }
      }
      if (info.DataType == ftUnknown) {  // a type of no known name: kept as text
        info.DataType = ftWideString;
        info.Size = 255;
      }
    }
    info.ReadOnly = source < 0 || info.DataType == ftAutoInc;
    names.push_back(info.Name);
    sourceOf.push_back(source);
    rows.AddColumn(info);
  }
  // Jet names a column that occurs twice (SELECT * over a join) by its table: "a.a1".
  for (int i = 0; i < visibleCount; ++i) {
    bool duplicate = false;
    for (int j = 0; j < visibleCount; ++j)
      if (i != j && SameText(names[size_t(i)], names[size_t(j)])) duplicate = true;
    if (!duplicate) continue;
    TColumnInfo& info = rows.GetColumn(i);
    String prefix = sourceOf[size_t(i)] >= 0 ? t.Sources[size_t(sourceOf[size_t(i)])].Alias
                                             : info.BaseTable;
    info.Name = prefix.empty() ? info.Name + L"_" + IntToStr(int64_t(i)) : prefix + L"." + info.Name;
  }
  // The hidden row ids.
  for (size_t k = 0; k < FSources.size(); ++k) {
    TColumnInfo info;
    info.Name = L"__rowid" + IntToStr(int64_t(k));
    info.DataType = ftLargeint;
    info.BaseTable = FSources[k].Table;
    info.IsKey = true;
    info.ReadOnly = true;
    info.Hidden = true;
    FSources[k].KeyColumn = rows.AddColumn(info);
  }
  if (!mainFileOnly) return;
  TDescriptionCache::TStatement described;
  for (int i = 0; i < rows.GetColumnCount(); ++i) described.Columns.push_back(rows.GetColumn(i));
  for (const TSource& source : FSources)
    described.Sources.push_back({source.Columns, source.RowIdAlias, source.KeyColumn});
  constexpr size_t kMaxStatements = 256;
  if (cache.Statements.size() >= kMaxStatements) cache.Statements.clear();
  cache.Statements[key] = std::move(described);
}

void TCustomADODataSet::ReadRows(TSqliteStatement& statement, TClientRows& rows, bool atRow) {
  int count = rows.GetColumnCount();
  std::vector<TFieldType> types(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) types[size_t(i)] = rows.GetColumn(i).BaseTable.empty() && !rows.GetColumn(i).Hidden
                                                       ? ftUnknown
                                                       : rows.GetColumn(i).DataType;
  for (; atRow; atRow = statement.Step()) {
    std::vector<Variant> values;
    values.reserve(size_t(count));
    for (int i = 0; i < count; ++i) values.push_back(ReadCell(statement, i, types[size_t(i)]));
    rows.AddRow(std::move(values));
  }
  for (int i = 0; i < count; ++i)
    if (types[size_t(i)] == ftUnknown) SettleExpressionColumn(rows, i);
}

std::shared_ptr<TClientRows> TCustomADODataSet::InternalOpenRows() {
  TADOConnection& c = Connection();
  c.CheckActive();
  String text = GetCommandText();
  TJetTranslation t = c.Translate(text);
  if (t.Kind != TJetStatementKind::Select)
    throw EDatabaseError(L"CommandText does not return a result set\nSQL: " + text);
  auto rows = std::make_shared<TClientRows>();
  TStatementScope scope(c);
  std::unique_ptr<TSqliteStatement> statement = PrepareWithRowIds(t);
  try {
    BindParameters(*statement, t, FParameters.get());
    int visible = statement->ColumnCount() - int(FSources.size());
    // The first step takes the file's read lock and checks its schema; the description
    // (whose cache asks for the schema version) then costs no second locking of the file.
    const bool atRow = statement->Step();
    DescribeColumns(*statement, t, *rows, visible);
    ReadRows(*statement, *rows, atRow);
  } catch (...) {
    FSources.clear();
    throw;
  }
  // Sources none of whose columns were read cannot be written; keep them only for their keys.
  return rows;
}

void TCustomADODataSet::InternalClose() {
  FSources.clear();
  FStatementCache.clear();
  if (FConnection) FConnection->DataSetClosed(this);
}

// ---- Writing back -----------------------------------------------------------------------------

String TCustomADODataSet::TableReference(const TSource& source) {
  if (source.File.empty()) return QuoteName(source.Table);
  return QuoteName(Connection().SchemaOfFile(source.File)) + L"." + QuoteName(source.Table);
}

int TCustomADODataSet::SourceOfColumn(int column) const {
  for (size_t k = 0; k < FSources.size(); ++k)
    for (int c : FSources[k].Columns)
      if (c == column) return int(k);
  return -1;
}

TSqliteStatement& TCustomADODataSet::CachedStatement(const String& sql) {
  TADOConnection& c = Connection();
  if (FCacheGeneration != c.GetGeneration()) {
    FStatementCache.clear();
    FCacheGeneration = c.GetGeneration();
  }
  std::unique_ptr<TSqliteStatement>& statement = FStatementCache[sql];
  if (!statement) statement = std::make_unique<TSqliteStatement>(c.GetDatabase(), sql, sql);
  statement->Reset();
  statement->ClearBindings();
  return *statement;
}

void TCustomADODataSet::UpdateSource(TSource& source, TClientRow& row) {
  const TClientRows& rows = *GetRows();
  const Variant& key = row.Values[size_t(source.KeyColumn)];
  if (key.IsNull() || key.IsEmpty()) DatabaseError(kRowNotFound, this);
  String sql = L"UPDATE " + TableReference(source) + L" SET ";
  std::vector<int> changed;
  bool keyChanged = false;
  for (size_t n = 0; n < source.Columns.size(); ++n) {
    int column = source.Columns[n];
    if (size_t(column) >= row.Modified.size() || !row.Modified[size_t(column)]) continue;
    if (!changed.empty()) sql += L", ";
    sql += QuoteName(rows.GetColumn(column).BaseColumn) + L" = ?";
    changed.push_back(column);
    if (source.RowIdAlias[n]) keyChanged = true;
  }
  if (changed.empty()) return;
  sql += L" WHERE rowid = ?";
  TSqliteStatement& update = CachedStatement(sql);
  int index = 1;
  for (int column : changed)
    BindVariant(update, index++, row.Values[size_t(column)], rows.GetColumn(column).DataType);
  update.BindInt64(index, key.AsInt64());
  if (update.ExecuteNonQuery() == 0) DatabaseError(kRowNotFound, this);
  if (keyChanged) {
    for (size_t n = 0; n < source.Columns.size(); ++n)
      if (source.RowIdAlias[n]) row.Values[size_t(source.KeyColumn)] = row.Values[size_t(source.Columns[n])];
  }
}

void TCustomADODataSet::InsertIntoSource(TSource& source, TClientRow& row) {
  const TClientRows& rows = *GetRows();
  std::vector<int> assigned;
  for (int column : source.Columns)
    if (size_t(column) < row.Modified.size() && row.Modified[size_t(column)]) assigned.push_back(column);
  String sql = L"INSERT INTO " + TableReference(source);
  if (assigned.empty()) {
    sql += L" DEFAULT VALUES";
  } else {
    String names, marks;
    for (int column : assigned) {
      if (!names.empty()) names += L", ", marks += L", ";
      names += QuoteName(rows.GetColumn(column).BaseColumn);
      marks += L"?";
    }
    sql += L" (" + names + L") VALUES (" + marks + L")";
  }
  TSqliteStatement& insert = CachedStatement(sql);
  int index = 1;
  for (int column : assigned)
    BindVariant(insert, index++, row.Values[size_t(column)], rows.GetColumn(column).DataType);
  insert.ExecuteNonQuery();
  row.Values[size_t(source.KeyColumn)] =
      Variant(static_cast<long long>(Connection().GetDatabase().LastInsertRowId()));
  if (!source.Columns.empty()) {  // defaults and counters the database filled in
    ReadSourceRow(source, row, SelectSourceRow(source));
  }
}

TSqliteStatement& TCustomADODataSet::SelectSourceRow(const TSource& source) {
  const TClientRows& rows = *GetRows();
  String names;
  for (int column : source.Columns) {
    if (!names.empty()) names += L", ";
    names += QuoteName(rows.GetColumn(column).BaseColumn);
  }
  String sql = L"SELECT " + names + L" FROM " + TableReference(source) + L" WHERE rowid = ?";
  return CachedStatement(sql);
}

bool TCustomADODataSet::ReadSourceRow(const TSource& source, TClientRow& row,
                                      TSqliteStatement& select) {
  const Variant& key = row.Values[size_t(source.KeyColumn)];
  if (key.IsNull() || key.IsEmpty()) return false;
  const TClientRows& rows = *GetRows();
  select.Reset();
  select.BindInt64(1, key.AsInt64());
  bool found = select.Step();
  if (found) {
    for (size_t n = 0; n < source.Columns.size(); ++n) {
      int column = source.Columns[n];
      row.Values[size_t(column)] = ReadCell(select, int(n), rows.GetColumn(column).DataType);
    }
  }
  select.Reset();
  return found;
}

void TCustomADODataSet::InternalPostRow(TClientRow& row, const TClientRow* oldRow, bool isInsert) {
  if (FSources.empty() || FLockType == ltReadOnly) DatabaseError(DBText::DataSetReadOnly, this);
  TADOConnection& c = Connection();
  TStatementScope scope(c);
  if (!isInsert) {
    for (TSource& source : FSources) UpdateSource(source, row);
    return;
  }
  std::vector<size_t> targets;
  for (size_t k = 0; k < FSources.size(); ++k)
    for (int column : FSources[k].Columns)
      if (size_t(column) < row.Modified.size() && row.Modified[size_t(column)]) {
        targets.push_back(k);
        break;
      }
  if (targets.size() > 1)
    DatabaseError(L"Cannot insert one row into several tables of a join", this);
  InsertIntoSource(FSources[targets.empty() ? 0 : targets[0]], row);
}

void TCustomADODataSet::InternalDeleteRow(const TClientRow& row) {
  if (FSources.empty() || FLockType == ltReadOnly) DatabaseError(DBText::DataSetReadOnly, this);
  TADOConnection& c = Connection();
  TStatementScope scope(c);
  // A row of a join is deleted from the first table of the FROM clause only; the rows it
  // was joined with stay.
  TSource& source = FSources[0];
  const Variant& key = row.Values[size_t(source.KeyColumn)];
  if (key.IsNull() || key.IsEmpty()) DatabaseError(kRowNotFound, this);
  String sql = L"DELETE FROM " + TableReference(source) + L" WHERE rowid = ?";
  TSqliteStatement& remove = CachedStatement(sql);
  remove.BindInt64(1, key.AsInt64());
  if (remove.ExecuteNonQuery() == 0) DatabaseError(kRowNotFound, this);
}

bool TCustomADODataSet::InternalRefreshRow(TClientRow& row) {
  if (FSources.empty()) return true;
  TADOConnection& c = Connection();
  TStatementScope scope(c);
  bool exists = true;
  for (size_t k = 0; k < FSources.size(); ++k) {
    if (FSources[k].Columns.empty()) continue;
    if (!ReadSourceRow(FSources[k], row, SelectSourceRow(FSources[k])) && k == 0) exists = false;
  }
  return exists;
}

void TCustomADODataSet::InternalRefresh() {
  TADOConnection& c = Connection();
  TClientRows& rows = *GetRows();
  if (FSources.empty()) {
    // Rows without keys: the statement runs again and its rows replace the old ones.
    String text = GetCommandText();
    TJetTranslation t = c.Translate(text);
    TStatementScope scope(c);
    TSqliteStatement statement(c.GetDatabase(), t.Sql, text);
    BindParameters(statement, t, FParameters.get());
    rows.Clear();
    int count = rows.GetColumnCount();
    while (statement.Step()) {
      std::vector<Variant> values;
      values.reserve(size_t(count));
      for (int i = 0; i < count && i < statement.ColumnCount(); ++i)
        values.push_back(ReadCell(statement, i, rows.GetColumn(i).DataType));
      rows.AddRow(std::move(values));
    }
    return;
  }
  // Each row read again by its row id, with one prepared statement per table.
  TStatementScope scope(c);
  std::vector<TSqliteStatement*> selects;
  for (const TSource& source : FSources)
    selects.push_back(source.Columns.empty() ? nullptr : &SelectSourceRow(source));
  std::vector<int64_t> gone;
  for (int r = 0; r < rows.GetRowCount(); ++r) {
    TClientRow& row = rows.GetRow(r);
    for (size_t k = 0; k < FSources.size(); ++k) {
      if (!selects[k]) continue;
      if (!ReadSourceRow(FSources[k], row, *selects[k]) && k == 0) gone.push_back(row.Id);
    }
  }
  for (int64_t id : gone) rows.RemoveRow(id);
}

// ---- TADOQuery -------------------------------------------------------------------------------

TADOQuery::TADOQuery(TComponent* owner)
    : TCustomADODataSet(owner), FSQL(std::make_unique<TStringList>()) {
  FSQL->OnChange = [this](TObject*) { SQLChanged(); };
}

TADOQuery::~TADOQuery() { FSQL->OnChange = nullptr; }

void TADOQuery::SetSQL(TStrings* value) { FSQL->Assign(value); }

String TADOQuery::GetCommandText() const { return FSQL->GetText(); }

void TADOQuery::SQLChanged() {
  if (!GetComponentState().Contains(csLoading)) Close();
  Unprepare();
  if (GetParamCheck()) GetParameters()->ParseSQL(FSQL->GetText(), true);
}

int TADOQuery::ExecSQL() { return ExecuteCommand(); }

// ---- TADOTable -------------------------------------------------------------------------------

TADOTable::TADOTable(TComponent* owner) : TCustomADODataSet(owner) {}

void TADOTable::SetTableName(const String& value) {
  if (value == FTableName) return;
  CheckInactive();
  FTableName = value;
}

void TADOTable::SetIndexFieldNames(const String& value) {
  FIndexFieldNames = value;
  String sort;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(L';', start);
    if (end == String::npos) end = value.size();
    String name = Trim(value.substr(start, end - start));
    if (!name.empty()) sort += (sort.empty() ? L"" : L", ") + name + L" ASC";
    start = end + 1;
  }
  SetSort(sort);
}

bool TADOTable::GetCanModify() const { return !FReadOnly && TCustomADODataSet::GetCanModify(); }

String TADOTable::GetCommandText() const {
  if (Trim(FTableName).empty()) DatabaseError(L"Missing TableName property", this);
  return L"select * from [" + FTableName + L"]";
}
