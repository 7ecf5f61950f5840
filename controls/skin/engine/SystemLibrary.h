// Loading a system DLL at run time: by its full path in the system folder (never by bare name,
// which would also search the program's folder), with entry points looked up by name.
#pragma once
#include "classlib/system/Win.h"

// The DLL of that file name from the system folder; nullptr when it is not there. The caller
// owns the handle and frees it with FreeLibrary.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// The entry point `name` of module as a pointer of type F; nullptr when the module is nullptr
// or does not export it.
template <class F>
F SystemProc(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
