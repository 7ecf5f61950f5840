// Database files for the tests: made under the temporary folder with unique names and
// deleted (with their journals) when the test ends.
#pragma once
#include <sqlite3.h>
#include <atomic>
#include <functional>
#include "classlib/ado/ADODB.h"
#include "classlib/ado/ADOX.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/Win.h"
#include "data/tools/BankWriter.h"
#include "tests/ErrorMessages.h"

inline String TempFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, path);
  return IncludeTrailingBackslash(path);
}

// A file name under the temporary folder that no other test (or test process) uses.
inline String UniqueTempName(const String& stem, const String& ext) {
  static std::atomic<int> counter{0};
  return TempFolder() + L"adotest_" + stem + L"_" + IntToStr(int64_t(GetCurrentProcessId())) +
         L"_" + IntToStr(int64_t(++counter)) + ext;
}

class TTempFile {
 public:
  explicit TTempFile(const String& stem, const String& ext = L".mdb")
      : FName(UniqueTempName(stem, ext)) {}
  ~TTempFile() {
    SetFileAttributesW(FName.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(FName.c_str());
    DeleteFileW((FName + L"-journal").c_str());
  }
  const String& Name() const { return FName; }

 private:
  String FName;
};

// The connection string the program builds, on fileName and password (the bank writer
// connects with the same one).
inline String JetConnectionString(const String& fileName, const String& password) {
  return BankConnectionString(fileName, password);
}

// A new database file with that password.
inline void CreateDatabase(const String& fileName, const String& password = String()) {
  TADOXCatalog catalog;
  catalog.Create(JetConnectionString(fileName, password));
}

// A temporary database with an open connection.
class TTempDatabase {
 public:
  explicit TTempDatabase(const String& stem, const String& password = String())
      : FFile(stem), FConnection(nullptr) {
    CreateDatabase(FFile.Name(), password);
    FConnection.SetLoginPrompt(false);
    FConnection.SetConnectionString(JetConnectionString(FFile.Name(), password));
    FConnection.Open();
  }
  ~TTempDatabase() { FConnection.Close(); }
  const String& Name() const { return FFile.Name(); }
  TADOConnection& Connection() { return FConnection; }
  int Exec(const String& sql) { return FConnection.Execute(sql); }

 private:
  TTempFile FFile;              // destroyed last: the connection closes first
  TADOConnection FConnection;
};

// The message of the EDatabaseError action raises.
inline String MessageOf(const std::function<void()>& action) {
  return ErrorMessageOf<EDatabaseError>(action, L"(no EDatabaseError)");
}
inline bool Contains(const String& text, const String& part) { return text.find(part) != String::npos; }

// The first column of every row of a query, as text joined with '|'.
inline String Column0(TADOConnection& connection, const String& sql) {
  TSqliteStatement statement(connection.GetDatabase(), connection.Translate(sql).Sql, sql);
  String out;
  while (statement.Step()) {
    if (!out.empty()) out += L"|";
    out += statement.ColumnType(0) == SQLITE_NULL ? String(L"<null>") : statement.ColumnText(0);
  }
  return out;
}
