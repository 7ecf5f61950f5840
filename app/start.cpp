// The main window and the start-up checks.
#include "start.h"

#include "MenuMovie.h"
#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/system/SysFiles.h"

TFrmStart* FrmStart = nullptr;

// ---- Start-up checks ---------------------------------------------------------------------------

namespace {

// What EnumWindows looks for and what it found.
struct TInstanceSearch {
  HWND Own = nullptr;      // this program's application window
  String ClassName;        // its class
  String Title;            // its text
  int Count = 0;           // windows with both
  HWND Other = nullptr;    // such a window that is not Own
};

String WindowClassOf(HWND wnd) {
  wchar_t buffer[256] = {};
  const int length = ::GetClassNameW(wnd, buffer, 256);
  return String(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

String WindowTextOf(HWND wnd) {
  wchar_t buffer[256] = {};
  const int length = ::GetWindowTextW(wnd, buffer, 256);
  return String(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

BOOL CALLBACK CountInstance(HWND wnd, LPARAM param) {
  // No exception may leave this callback; the only one possible is running out of memory.
  try {
    auto* search = reinterpret_cast<TInstanceSearch*>(param);
    const String className = WindowClassOf(wnd);
    const String title = WindowTextOf(wnd);
    if (!className.empty() && !title.empty() && className == search->ClassName &&
        title == search->Title) {
      ++search->Count;
      if (wnd != search->Own) search->Other = wnd;
    }
  } catch (...) {
  }
  return TRUE;
}

}  // namespace

bool CheckPrevInstance() {
  TInstanceSearch search;
  search.Own = Application->GetHandle();
  search.ClassName = WindowClassOf(search.Own);
  search.Title = WindowTextOf(search.Own);
  ::EnumWindows(&CountInstance, reinterpret_cast<LPARAM>(&search));
  if (search.Count < 2 || !search.Other) return false;
  HWND popup = ::GetLastActivePopup(search.Other);
  ::BringWindowToTop(search.Other);
  if (::IsIconic(popup))
    ::ShowWindow(popup, SW_RESTORE);
  else
    ::SetForegroundWindow(popup);
  Application->Terminate();
  return true;
}

bool IsFlashInstalled() { return IsMenuMovieFile(ProgramDir() + kMenuMovieFile); }

bool IsSmallFonts() {
  HDC screen = ::GetDC(nullptr);
  if (!screen) return false;
  const bool small = ::GetDeviceCaps(screen, LOGPIXELSX) == 96;
  ::ReleaseDC(nullptr, screen);
  return small;
}

String ScreenModeFor(int screenWidth, int screenHeight) {
  return screenWidth == 800 || screenHeight == 600 ? L"800" : L"1024";
}

// ---- TFrmStart -------------------------------------------------------------------------------------

TFrmStart::TFrmStart(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmStart::RegisterHandlers() {
  using M = TPublishMethods<TFrmStart>;
  RegisterMethods<TFrmStart>({M::Handler(L"FormCreate", &TFrmStart::FormCreate)});
}

void TFrmStart::FormCreate(TObject*) {
  if (!IsSmallFonts()) {
    ::MessageBoxW(Application->GetHandle(), L"推荐您在小字体下使用本软件，请在设置后重新运行！",
                  L"提示", MB_OK | MB_ICONEXCLAMATION);
    Application->Terminate();
    return;
  }
  FScreenWidth = Screen->GetWidth();
  FScreenHeight = Screen->GetHeight();
  ScreenMode = ScreenModeFor(FScreenWidth, FScreenHeight);
  if (ScreenMode == L"800") {
    SetWidth(800);
    SetHeight(600);
  } else {
    SetWidth(1024);
    SetHeight(768);
  }
}
