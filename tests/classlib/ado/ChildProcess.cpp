#include "ChildProcess.h"
#include "classlib/ado/ADODB.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/Win.h"
#include "AdoTestFiles.h"

#include <shellapi.h>

namespace {

const wchar_t kChildSwitch[] = L"--child-transaction";

// The command line of the child: <program> --child-transaction <database> <signal>.
bool ParseChildArguments(String& database, String& signal) {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return false;
  const bool child = count == 4 && String(args[1]) == kChildSwitch;
  if (child) {
    database = args[2];
    signal = args[3];
  }
  LocalFree(args);
  return child;
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
  if (!ParseChildArguments(database, signal)) return false;
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
