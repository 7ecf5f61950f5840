// The monitor a window is on: its whole rectangle and its work area (without the taskbar),
// in screen coordinates. A window off every monitor gets the nearest one.
#pragma once
#include "classlib/graphics/Types.h"

TRect MonitorRectOf(HWND wnd);
TRect MonitorWorkAreaOf(HWND wnd);
