#include "ChildProcess.h"
#include "classlib/ado/ADODB.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/Win.h"
#include "AdoTestFiles.h"

namespace {

const wchar_t kChildSwitch[] = L"--child-transaction";

// The quoted arguments after the switch: "<database>" "<signal>".
bool ParseChildArguments(const String& commandLine, String& database, String& signal) {
  size_t at = commandLine.find(kChildSwitch);
  if (at == String::npos) return false;
  String rest = commandLine.substr(at + wcslen(kChildSwitch));
  String* targets[] = {&database, &signal};
  size_t pos = 0;
  for (String* target : targets) {
    size_t open = rest.find(L'"', pos);
    if (open == String::npos) return false;
    size_t close = rest.find(L'"', open + 1);
    if (close == String::npos) return false;
    *target = rest.substr(open + 1, close - open - 1);
    pos = close + 1;
  }
  return true;
}

int RunChild(const String& database, const String& signal) {
  try {
    TADOConnection connection(nullptr);
    connection.SetConnectionString(JetConnectionString(database, String()));
    connection.Open();
    // A small page cache makes SQLite write changed pages into the file before the commit,
    // so that the kill really leaves a half-written file behind.
    connection.Execute(L"PRAGMA cache_size = 10");
    connection.BeginTrans();
    String filler(1000, L'x');
    for (int i = 0; i < 2000; ++i)
      connection.Execute(L"insert into t (n, s) values (" + IntToStr(int64_t(i)) + L", '" +
                         filler + L"')");
    connection.Execute(L"update t set s = 'changed'");
    HANDLE file = CreateFileW(signal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    for (int waited = 0; waited < 600; ++waited) Sleep(100);  // the parent kills it first
    return 3;
  } catch (const std::exception&) {
    return 2;
  }
}

}  // namespace

bool RunChildModeIfAsked(int& result) {
  String database, signal;
  if (!ParseChildArguments(GetCommandLineW(), database, signal)) return false;
  result = RunChild(database, signal);
  return true;
}

void* StartTransactionChild(const String& database, const String& signalFile) {
  String commandLine = L"\"" + ProgramFileName() + L"\" " + kChildSwitch + L" \"" + database +
                       L"\" \"" + signalFile + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return nullptr;
  CloseHandle(info.hThread);
  return info.hProcess;
}
