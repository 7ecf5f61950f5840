// The build folder a test program belongs to, found from the program's own file at run time.
// Every test program is built into the build folder's tests\, so the folder above the
// program's is its build: the program, the shipped bank and the screenshots of that build,
// wherever the build folder was copied to.
#pragma once
#include "classlib/system/SysString.h"
#include "classlib/system/Win.h"

// The folder above the one that holds programFile ("C:\b\tests\t.exe" gives "C:\b\"), with a
// trailing backslash; "" when the path has no such folder.
inline String BuildFolderOf(const String& programFile) {
  const size_t name = programFile.find_last_of(L"\\/");
  if (name == String::npos || name == 0) return L"";
  const size_t tests = programFile.find_last_of(L"\\/", name - 1);
  return tests == String::npos ? L"" : programFile.substr(0, tests + 1);
}

// BuildFolderOf the running program's own file; "" when the system does not give its name.
inline String TestBuildFolder() {
  String path(MAX_PATH, L'\0');
  // The buffer doubles until the name fits, up to the longest path the system knows.
  for (int tries = 0; tries < 8; ++tries) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"";
    if (length < path.size()) return BuildFolderOf(path.substr(0, length));
    path.resize(path.size() * 2);
  }
  return L"";
}
