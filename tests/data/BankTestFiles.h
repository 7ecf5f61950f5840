// Where the build put the shipped bank, and temporary bank files for the tests.
#pragma once
#include <atomic>
#include "classlib/system/SysFiles.h"
#include "classlib/system/Win.h"
#include "data/BankSchema.h"
#include "tests/BuildFolder.h"

// The program's folder in the test program's build (app\), with a trailing backslash.
inline String BuiltAppFolder() { return TestBuildFolder() + L"app\\"; }
// The bank as that build shipped it (the program's own copy may hold study records).
inline String BuiltBankFile() { return TestBuildFolder() + L"shipped\\QB480172.mdb"; }

// A bank file name under the temporary folder, deleted (with its journal) at the end.
class TTempBankFile {
 public:
  TTempBankFile() {
    static std::atomic<int> counter{0};
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, folder);
    FName = IncludeTrailingBackslash(folder) + L"banktest_" + IntToStr(int64_t(GetCurrentProcessId())) + L"_" +
            IntToStr(int64_t(++counter)) + L".mdb";
  }
  ~TTempBankFile() {
    DeleteFileW(FName.c_str());
    DeleteFileW((FName + L"-journal").c_str());
  }
  TTempBankFile(const TTempBankFile&) = delete;
  TTempBankFile& operator=(const TTempBankFile&) = delete;
  const String& Name() const { return FName; }

 private:
  String FName;
};
