// Owners of a SQLite connection and of its prepared statements. Every failure becomes an
// EDatabaseError whose message says what went wrong in words the user can act on, followed
// by SQLite's own message and the statement as the program wrote it.
#pragma once
#include <cstdint>
#include <string>
#include "../system/SysExceptions.h"
#include "../system/SysString.h"

struct sqlite3;
struct sqlite3_stmt;

class TSqliteDatabase {
 public:
  // ---- Construction ----------------------------------------------------------------------
  TSqliteDatabase() = default;
  TSqliteDatabase(const TSqliteDatabase&) = delete;
  TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;
  ~TSqliteDatabase();  // closes the connection (rolling back an open transaction)

  // Opens an existing file (create false) or creates it (create true). A write-protected file
  // opens for reading only. EDatabaseError when the file is missing or cannot be opened.
  void Open(const String& fileName, bool readOnly, bool create = false);
  void Close();

  // ---- Attributes ----------------------------------------------------------------------------
  bool IsOpen() const { return FDb != nullptr; }
  sqlite3* Handle() const { return FDb; }
  const String& GetFileName() const { return FFileName; }
  bool InTransaction() const;          // a BEGIN has not been committed or rolled back
  bool IsReadOnly() const;             // the main file was opened for reading only
  int64_t Changes() const;             // rows changed by the last INSERT, UPDATE or DELETE
  int64_t LastInsertRowId() const;

  // ---- Operations -----------------------------------------------------------------------------
  // Runs statements that return no rows. shownSql is the text errors quote (the program's).
  void Exec(const String& sql, const String& shownSql);
  void Exec(const String& sql) { Exec(sql, sql); }
  // Raises the EDatabaseError for SQLite result code rc.
  [[noreturn]] void RaiseError(int rc, const String& shownSql) const;

 private:
  sqlite3* FDb = nullptr;  // the connection; owned
  String FFileName;        // the main file, for messages
};

class TSqliteStatement {
 public:
  // ---- Construction ------------------------------------------------------------------------
  // Prepares exactly one statement; EDatabaseError for a syntax error or for text after it.
  TSqliteStatement(TSqliteDatabase& db, const String& sql, const String& shownSql);
  TSqliteStatement(const TSqliteStatement&) = delete;
  TSqliteStatement& operator=(const TSqliteStatement&) = delete;
  ~TSqliteStatement();

  // ---- Binding (indexes from 1) ------------------------------------------------------------
  int ParameterCount() const;
  void BindNull(int index);
  void BindInt64(int index, int64_t value);
  void BindDouble(int index, double value);
  void BindText(int index, const String& value);
  void BindBlob(int index, const void* data, size_t size);
  void ClearBindings();

  // ---- Stepping --------------------------------------------------------------------------------
  // True when a row is ready, false when the statement has finished.
  bool Step();
  void Reset();
  // Steps to the end; the rows changed.
  int64_t ExecuteNonQuery();
  bool IsReadOnly() const;  // the statement does not write the database

  // ---- Columns of the current row (indexes from 0) ------------------------------------------
  int ColumnCount() const;
  int ColumnType(int index) const;  // SQLITE_INTEGER, _FLOAT, _TEXT, _BLOB or _NULL
  String ColumnName(int index) const;
  int64_t ColumnInt64(int index) const;
  double ColumnDouble(int index) const;
  String ColumnText(int index) const;
  std::string ColumnBlob(int index) const;
  // The declared type of the column the result column comes from ("" for an expression),
  // its table, its column and its schema ("main" or an attached one).
  String ColumnDeclType(int index) const;
  String ColumnTableName(int index) const;
  String ColumnOriginName(int index) const;
  String ColumnDatabaseName(int index) const;

  sqlite3_stmt* Handle() const { return FStmt; }
  const String& GetShownSql() const { return FShownSql; }

 private:
  void Check(int rc) const;  // raises for anything but SQLITE_OK

  TSqliteDatabase& FDb;           // the connection; not owned, must outlive the statement
  sqlite3_stmt* FStmt = nullptr;  // owned
  String FShownSql;               // the program's text, for messages
};
