// The transparent blit of the system's image library (msimg32.dll), bound at run time from
// the system folder. Where the library or the entry point is missing, the skin bitmap draws
// transparently by its own software path.
#pragma once
#include "classlib/system/Win.h"

using TTransparentBltProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
using TAlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                      BLENDFUNCTION);

// The entry points, nullptr when not available (or switched off for a test).
TTransparentBltProc SystemTransparentBlt();
TAlphaBlendProc SystemAlphaBlend();
// Switches the use of the system entry points off (false) or back on; for tests of the
// software path.
void SetSystemBlitsEnabled(bool enabled);
