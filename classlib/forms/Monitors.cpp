#include "Monitors.h"

namespace {
// The monitor's information; the primary screen when the system has none to give.
MONITORINFO MonitorInfoOf(HWND wnd) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  HMONITOR monitor = ::MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST);
  if (!monitor || !::GetMonitorInfoW(monitor, &info)) {
    info.rcMonitor = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0)) info.rcWork = info.rcMonitor;
  }
  return info;
}
}  // namespace

TRect MonitorRectOf(HWND wnd) { return MonitorInfoOf(wnd).rcMonitor; }

TRect MonitorWorkAreaOf(HWND wnd) { return MonitorInfoOf(wnd).rcWork; }
