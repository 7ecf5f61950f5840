// The input-method calls the owner-drawn edit makes, gathered in one replaceable table so that
// tests can hand an edit a composition result on a display without an input method.
#pragma once
// clang-format off
#include "classlib/system/Win.h"
#include <imm.h>
// clang-format on

#include "classlib/system/SysString.h"

struct TEditImeApi {
  HIMC(WINAPI* GetContext)(HWND) = nullptr;
  BOOL(WINAPI* ReleaseContext)(HWND, HIMC) = nullptr;
  LONG(WINAPI* GetCompositionString)(HIMC, DWORD, LPVOID, DWORD) = nullptr;
  BOOL(WINAPI* SetCompositionFont)(HIMC, LPLOGFONTW) = nullptr;
  BOOL(WINAPI* SetCompositionWindow)(HIMC, LPCOMPOSITIONFORM) = nullptr;
};

// The table in use: the system's imm32 entries unless replaced.
const TEditImeApi& EditImeApi();
// Replaces the table; returns the one it replaced (hand it back when done).
TEditImeApi SetEditImeApi(const TEditImeApi& api);
// The system's own entries.
TEditImeApi SystemEditImeApi();

// The result string of the composition in context, read by the byte length the call returns;
// empty when there is none or the call fails.
String ReadCompositionResult(const TEditImeApi& api, HIMC context);
