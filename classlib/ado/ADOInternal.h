// Helpers shared by the connection, the command and the data sets (not for the program).
#pragma once
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

}  // namespace ado_internal
