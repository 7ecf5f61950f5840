#include "SqliteDb.h"
#include <sqlite3.h>
#include "../system/SysFiles.h"
#include "../system/Win.h"

namespace {

// How long a statement waits for another connection's lock before it gives up.
constexpr int kBusyTimeoutMs = 2000;

String Utf16Of(const void* text) {
  return text ? String(static_cast<const wchar_t*>(text)) : String();
}

// The length of a well-formed UTF-8 sequence starting with lead, and the character it
// holds (0 when malformed: overlong, a surrogate, past the last character, cut short).
int Utf8Sequence(const unsigned char* text, size_t left, uint32_t& code) {
  const unsigned char lead = text[0];
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
  if (extra < 0 || lead > 0xF4 || size_t(extra) >= left) return 0;
  code = lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    if ((text[k] & 0xC0) != 0x80) return 0;
    code = (code << 6) | (text[k] & 0x3F);
  }
  if ((extra == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
      (extra == 3 && (code < 0x10000 || code > 0x10FFFF)))
    return 0;
  return extra + 1;
}

// Decodes well-formed UTF-8 into out (characters beyond the basic plane as surrogate
// pairs); false on any malformed sequence, which the system's decoder then replaces as it
// does everywhere else. The first pass checks and counts, so out gets its exact length.
bool DecodeUtf8(const unsigned char* text, size_t bytes, String& out) {
  // ASCII (codes, numbers, most short texts) is only widened.
  size_t ascii = 0;
  while (ascii < bytes && text[ascii] < 0x80) ++ascii;
  if (ascii == bytes) {
    out.assign(text, text + bytes);
    return true;
  }
  size_t units = 0;
  uint32_t code = 0;
  for (size_t i = 0; i < bytes;) {
    const int length = Utf8Sequence(text + i, bytes - i, code);
    if (length == 0) return false;
    units += code >= 0x10000 ? 2 : 1;
    i += size_t(length);
  }
  out.resize(units);
  size_t n = 0;
  for (size_t i = 0; i < bytes;) {
    i += size_t(Utf8Sequence(text + i, bytes - i, code));
    if (code >= 0x10000) {
      out[n++] = wchar_t(0xD800 + ((code - 0x10000) >> 10));
      out[n++] = wchar_t(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out[n++] = wchar_t(code);
    }
  }
  return true;
}

}  // namespace

// ---- TSqliteDatabase ------------------------------------------------------------------------

TSqliteDatabase::~TSqliteDatabase() { Close(); }

void TSqliteDatabase::Open(const String& fileName, bool readOnly, bool create) {
  Close();
  if (!create && !FileExists(fileName))
    throw EDatabaseError(L"Could not find file '" + fileName + L"'.");
  // A write-protected file is opened for reading, as the system would allow no more (also
  // where the system does not enforce the attribute, as for an administrator under Wine).
  DWORD attributes = GetFileAttributesW(fileName.c_str());
  if (!create && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    readOnly = true;
  int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (create && !readOnly) flags |= SQLITE_OPEN_CREATE;
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(StringToUtf8(fileName).c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    String reason = db ? Utf8ToString(sqlite3_errmsg(db)) : L"out of memory";
    sqlite3_close_v2(db);
    throw EDatabaseError(L"Cannot open the database file '" + fileName + L"': " + reason);
  }
  FDb = db;
  FFileName = fileName;
  sqlite3_extended_result_codes(FDb, 1);
  sqlite3_busy_timeout(FDb, kBusyTimeoutMs);
}

void TSqliteDatabase::Close() {
  if (!FDb) return;
  sqlite3_close_v2(FDb);  // statements still alive keep it until they are finalized
  FDb = nullptr;
}

bool TSqliteDatabase::InTransaction() const { return FDb && !sqlite3_get_autocommit(FDb); }

bool TSqliteDatabase::IsReadOnly() const { return FDb && sqlite3_db_readonly(FDb, "main") == 1; }

int64_t TSqliteDatabase::Changes() const { return FDb ? sqlite3_changes64(FDb) : 0; }

int64_t TSqliteDatabase::LastInsertRowId() const {
  return FDb ? sqlite3_last_insert_rowid(FDb) : 0;
}

void TSqliteDatabase::Exec(const String& sql, const String& shownSql) {
  if (!FDb) throw EDatabaseError(L"The database is not open.");
  int rc = sqlite3_exec(FDb, StringToUtf8(sql).c_str(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) RaiseError(rc, shownSql);
}

void TSqliteDatabase::RaiseError(int rc, const String& shownSql) const {
  String detail = FDb ? Utf8ToString(sqlite3_errmsg(FDb)) : Utf8ToString(sqlite3_errstr(rc));
  String message;
  switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      message = L"The database file '" + FFileName +
                L"' is locked by another process or connection; try again later.";
      break;
    case SQLITE_READONLY:
      message = L"Cannot update: the database file '" + FFileName + L"' is read-only.";
      break;
    case SQLITE_NOTADB:
      message = L"Unrecognized database format '" + FFileName + L"'.";
      break;
    case SQLITE_CORRUPT:
      message = L"The database file '" + FFileName + L"' is damaged.";
      break;
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
    case SQLITE_FULL:
      message = L"Cannot read or write the database file '" + FFileName + L"'.";
      break;
    case SQLITE_CONSTRAINT:
      message = L"The change was refused by a rule of the table";
      break;
    default:
      message = L"The SQL statement failed";
      break;
  }
  if (message.back() != L'.') message += L": " + detail;
  else message += L" (" + detail + L")";
  if (!shownSql.empty()) message += L"\nSQL: " + shownSql;
  throw EDatabaseError(message);
}

// ---- TSqliteStatement -----------------------------------------------------------------------

TSqliteStatement::TSqliteStatement(TSqliteDatabase& db, const String& sql, const String& shownSql)
    : FDb(db), FShownSql(shownSql) {
  if (!db.IsOpen()) throw EDatabaseError(L"The database is not open.");
  const void* tail = nullptr;
  int rc = sqlite3_prepare16_v2(db.Handle(), sql.c_str(), int(sql.size() * sizeof(wchar_t)),
                                &FStmt, &tail);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(FStmt);
    FStmt = nullptr;
    db.RaiseError(rc, shownSql);
  }
  // Only blanks and semicolons may follow: one statement at a time, as Jet takes them.
  for (const wchar_t* rest = static_cast<const wchar_t*>(tail); rest && *rest; ++rest)
    if (*rest != L' ' && *rest != L';' && *rest != L'\r' && *rest != L'\n' && *rest != L'\t') {
      sqlite3_finalize(FStmt);
      FStmt = nullptr;
      throw EDatabaseError(L"Characters found after end of SQL statement.\nSQL: " + shownSql);
    }
  if (!FStmt) throw EDatabaseError(L"The SQL statement is empty.\nSQL: " + shownSql);
}

TSqliteStatement::~TSqliteStatement() { sqlite3_finalize(FStmt); }

void TSqliteStatement::Check(int rc) const {
  if (rc != SQLITE_OK) FDb.RaiseError(rc, FShownSql);
}

int TSqliteStatement::ParameterCount() const { return sqlite3_bind_parameter_count(FStmt); }
void TSqliteStatement::BindNull(int index) { Check(sqlite3_bind_null(FStmt, index)); }
void TSqliteStatement::BindInt64(int index, int64_t value) {
  Check(sqlite3_bind_int64(FStmt, index, value));
}
void TSqliteStatement::BindDouble(int index, double value) {
  Check(sqlite3_bind_double(FStmt, index, value));
}
void TSqliteStatement::BindText(int index, const String& value) {
  Check(sqlite3_bind_text16(FStmt, index, value.data(), int(value.size() * sizeof(wchar_t)),
                            SQLITE_TRANSIENT));
}
void TSqliteStatement::BindBlob(int index, const void* data, size_t size) {
  // A zero-length BLOB is still a BLOB, not Null.
  static const char kEmpty = 0;
  Check(sqlite3_bind_blob64(FStmt, index, size ? data : &kEmpty, size, SQLITE_TRANSIENT));
}
void TSqliteStatement::ClearBindings() { sqlite3_clear_bindings(FStmt); }

bool TSqliteStatement::Step() {
  int rc = sqlite3_step(FStmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(FStmt);
  FDb.RaiseError(rc, FShownSql);
}

void TSqliteStatement::Reset() { sqlite3_reset(FStmt); }

int64_t TSqliteStatement::ExecuteNonQuery() {
  while (Step()) {
  }
  return IsReadOnly() ? 0 : FDb.Changes();
}

bool TSqliteStatement::IsReadOnly() const { return sqlite3_stmt_readonly(FStmt) != 0; }

int TSqliteStatement::ColumnCount() const { return sqlite3_column_count(FStmt); }
int TSqliteStatement::ColumnType(int index) const { return sqlite3_column_type(FStmt, index); }
String TSqliteStatement::ColumnName(int index) const {
  return Utf16Of(sqlite3_column_name16(FStmt, index));
}
int64_t TSqliteStatement::ColumnInt64(int index) const {
  return sqlite3_column_int64(FStmt, index);
}
double TSqliteStatement::ColumnDouble(int index) const {
  return sqlite3_column_double(FStmt, index);
}
String TSqliteStatement::ColumnText(int index) const {
  if (sqlite3_column_type(FStmt, index) != SQLITE_BLOB) {
    // Stored text is UTF-8: read where it lies rather than through a UTF-16 copy of
    // SQLite's. Codes and numbers (most texts) are ASCII and only widened.
    const unsigned char* text = sqlite3_column_text(FStmt, index);
    if (!text) return String();
    const size_t bytes = size_t(sqlite3_column_bytes(FStmt, index));
    String result;
    if (DecodeUtf8(text, bytes, result)) return result;
    return Utf8ToString(std::string_view(reinterpret_cast<const char*>(text), bytes));
  }
  const void* text = sqlite3_column_text16(FStmt, index);
  int bytes = sqlite3_column_bytes16(FStmt, index);
  return text ? String(static_cast<const wchar_t*>(text), size_t(bytes) / sizeof(wchar_t))
              : String();
}
std::string TSqliteStatement::ColumnBlob(int index) const {
  const void* data = sqlite3_column_blob(FStmt, index);
  int bytes = sqlite3_column_bytes(FStmt, index);
  return data ? std::string(static_cast<const char*>(data), size_t(bytes)) : std::string();
}
String TSqliteStatement::ColumnDeclType(int index) const {
  return Utf16Of(sqlite3_column_decltype16(FStmt, index));
}
String TSqliteStatement::ColumnTableName(int index) const {
  return Utf16Of(sqlite3_column_table_name16(FStmt, index));
}
String TSqliteStatement::ColumnOriginName(int index) const {
  return Utf16Of(sqlite3_column_origin_name16(FStmt, index));
}
String TSqliteStatement::ColumnDatabaseName(int index) const {
  return Utf16Of(sqlite3_column_database_name16(FStmt, index));
}
