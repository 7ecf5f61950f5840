// Helpers shared by the connection, the command and the data sets (not for the program).
#pragma once
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
#include "../db/DB.h"
#include "ADODB.h"
#include "../system/Variant.h"
#include "JetSql.h"
#include "SqliteDb.h"

namespace ado_internal {

// Brackets the running of statements on a connection: the constructor starts a transaction
// begun with BeginTrans, the destructor (also when a statement raised) lets attached files go.
// Statements must be destroyed before their scope ends.
class TStatementScope {
 public:
  explicit TStatementScope(TADOConnection& connection) : FConnection(connection) {
    FConnection.BeforeStatement();
  }
  ~TStatementScope() {
    try {
      FConnection.AfterStatement();
    } catch (...) {
    }
  }
  TStatementScope(const TStatementScope&) = delete;
  TStatementScope& operator=(const TStatementScope&) = delete;

 private:
  TADOConnection& FConnection;
};

// Binds value to the statement's parameter index (from 1): Null and Empty as Null, booleans
// as -1/0 (Jet's true), dates as ISO text, bytes as a BLOB; type (the parameter's or the
// field's) turns text into bytes for BLOB kinds, bytes into text for text kinds, and numbers
// into dates for date kinds.
void BindVariant(TSqliteStatement& statement, int index, const Variant& value, TFieldType type);

// Binds the :name parameters of t from params: by name, else by position. EDatabaseError
// "No value given for one or more required parameters." when one has no value.
void BindParameters(TSqliteStatement& statement, const TJetTranslation& t,
                    const TParameters* params);

// The rows a statement of this kind reports as affected (0 for DDL and SELECT).
int RowsAffected(TJetStatementKind kind, int64_t changes);

// "name" with inner quotes doubled.
String QuoteName(const String& name);

// A column of a table as PRAGMA table_info describes it.
struct TTableColumn {
  String Type;
  bool NotNull = false;
  bool HasDefault = false;
  bool IsKey = false;          // part of the primary key
  bool RowIdAlias = false;     // the one INTEGER PRIMARY KEY column: the row id itself
  bool AutoIncrement = false;  // a row id alias declared AUTOINCREMENT
};

using TTableDescription = std::unordered_map<std::wstring, TTableColumn>;  // by upper-cased name

// Tables of the connection's main file described once per schema version of the file: any
// change of a table, through this connection, the catalog or another one, changes the
// version and the descriptions are read again.
struct TDescriptionCache {
  // The result columns of a statement over the main file's tables, with the columns each
  // table of its FROM clause owns, as a data set opening it describes them.
  struct TStatement {
    std::vector<TColumnInfo> Columns;  // the hidden row ids included
    struct TSourceColumns {
      std::vector<int> Columns;
      std::vector<bool> RowIdAlias;
      int KeyColumn = -1;
    };
    std::vector<TSourceColumns> Sources;
  };

  std::unique_ptr<TSqliteStatement> VersionQuery;  // PRAGMA main.schema_version
  int64_t SchemaVersion = -1;
  std::unordered_map<std::wstring, std::shared_ptr<const TTableDescription>> Tables;  // upper-cased
  std::unordered_map<std::string, TStatement> Statements;  // by the statement's SQLite text

  void Clear();
};

// The connection's cache, emptied first when the main file's schema version changed.
TDescriptionCache& CurrentDescriptions(TADOConnection& connection);

// The columns of schema.table; those of the main file from cache (CurrentDescriptions).
std::shared_ptr<const TTableDescription> DescribeTable(TADOConnection& connection,
                                                       TDescriptionCache& cache,
                                                       const String& schema, const String& table);

}  // namespace ado_internal
