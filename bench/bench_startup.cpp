// Start-up time: from starting the program to its menu painted on the screen.
//
// Starts app\examprep.exe beside this benchmark's folder (the build's program with its own
// bank and menu movie) N times, one after the other. Each run is timed from just before
// CreateProcess until the main window is visible and the screen under it shows the menu's
// background (a pixel near its top-left corner is no longer the window's white); then the
// main window is closed and the program's end awaited. The first run warms Wine up and is
// printed apart. Prints the best and the median of the other runs. Needs a display.
// Usage: bench_startup [runs] (default 6, the first of them the warm-up).
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>
#include "BenchTiming.h"

namespace {

constexpr DWORD kTimeoutMs = 60000;

struct TFind {
  DWORD Pid;
  HWND Found;
};

BOOL CALLBACK FindMainWindow(HWND wnd, LPARAM param) {
  auto* find = reinterpret_cast<TFind*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(wnd, &pid);
  wchar_t name[64] = {};
  ::GetClassNameW(wnd, name, 64);
  if (pid == find->Pid && ::IsWindowVisible(wnd) && std::wstring(name) == L"TFrmStart") {
    find->Found = wnd;
    return FALSE;
  }
  return TRUE;
}

bool MenuPainted(HWND wnd) {
  RECT r{};
  if (!::GetWindowRect(wnd, &r)) return false;
  HDC screen = ::GetDC(nullptr);
  const COLORREF pixel = ::GetPixel(screen, r.left + 10, r.top + 10);
  ::ReleaseDC(nullptr, screen);
  return pixel != CLR_INVALID && pixel != RGB(255, 255, 255) && pixel != RGB(0, 0, 0);
}

// Milliseconds from the start to the painted menu; throws when the menu never comes.
double OneStart(const std::wstring& exe, const std::wstring& folder) {
  LARGE_INTEGER frequency, start, now;
  ::QueryPerformanceFrequency(&frequency);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + exe + L"\"";
  ::QueryPerformanceCounter(&start);
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process))
    throw std::runtime_error("the program could not be started");
  double elapsed = -1;
  for (DWORD waited = 0; waited < kTimeoutMs && elapsed < 0; waited += 2) {
    TFind find{process.dwProcessId, nullptr};
    ::EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&find));
    if (find.Found && MenuPainted(find.Found)) {
      ::QueryPerformanceCounter(&now);
      elapsed = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
      ::PostMessageW(find.Found, WM_CLOSE, 0, 0);
      break;
    }
    if (::WaitForSingleObject(process.hProcess, 2) == WAIT_OBJECT_0) break;
  }
  if (::WaitForSingleObject(process.hProcess, kTimeoutMs) != WAIT_OBJECT_0) ::TerminateProcess(process.hProcess, 1);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  if (elapsed < 0) throw std::runtime_error("the menu was not painted");
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_startup", 6, 100, [](int runs) {
    wchar_t self[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    folder = folder.substr(0, folder.rfind(L'\\'));          // ...\bench
    folder = folder.substr(0, folder.rfind(L'\\')) + L"\\app\\";
    const std::wstring exe = folder + L"examprep.exe";
    std::printf("bench_startup (%s): from starting the program to its menu painted\n", BuildKind());
    std::printf("first start (Wine warming up): %8.1f ms\n", OneStart(exe, folder));
    std::vector<double> times;
    for (int i = 1; i < runs; ++i) times.push_back(OneStart(exe, folder));
    if (times.empty()) return 0;
    std::sort(times.begin(), times.end());
    std::printf("warm starts (%d): best %8.1f ms  median %8.1f ms\n", static_cast<int>(times.size()), times.front(),
                times[times.size() / 2]);
    return times[times.size() / 2] < 1000.0 ? 0 : 1;
  });
}
