#include "SystemBlits.h"

#include "SystemLibrary.h"

namespace {

// The library and its two entry points, loaded once and freed when the program ends. Only
// NT systems of version 5 or later have the library's entry points working.
struct TSystemBlits {
  TSystemBlits() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&version)) return;
#pragma GCC diagnostic pop
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT || version.dwMajorVersion < 5) return;
    Library = LoadSystemLibrary(L"msimg32.dll");
    TransparentBlt = SystemProc<TTransparentBltProc>(Library, "TransparentBlt");
    AlphaBlend = SystemProc<TAlphaBlendProc>(Library, "AlphaBlend");
  }
  ~TSystemBlits() {
    if (Library) ::FreeLibrary(Library);
  }
  HMODULE Library = nullptr;                     // msimg32.dll; owned
  TTransparentBltProc TransparentBlt = nullptr;  // nullptr when missing
  TAlphaBlendProc AlphaBlend = nullptr;
  bool Enabled = true;                           // false: tests take the software path
};

TSystemBlits& Blits() {
  static TSystemBlits blits;
  return blits;
}

}  // namespace

TTransparentBltProc SystemTransparentBlt() {
  return Blits().Enabled ? Blits().TransparentBlt : nullptr;
}

TAlphaBlendProc SystemAlphaBlend() { return Blits().Enabled ? Blits().AlphaBlend : nullptr; }

void SetSystemBlitsEnabled(bool enabled) { Blits().Enabled = enabled; }
