// Test support for the media player, the dialogs, the clipboard and the printer: pumping
// messages with a time limit, files in the temporary folder that go away with the test,
// and a driver that works modal dialogs from a timer so that a test never waits for a user.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "classlib/controls/Controls.h"
#include "classlib/forms/Forms.h"
#include "tests/classlib/stdctrls/StdCtrlsTestSupport.h"

namespace dialog_tests {

using stdctrl_tests::PumpUntil;
using stdctrl_tests::WindowText;

// Handles messages for about ms milliseconds.
inline void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

// A file in the temporary folder with the given bytes, deleted when the object goes.
class TTempFile {
 public:
  TTempFile(const String& name, const std::vector<uint8_t>& bytes) {
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, folder);
    FPath = String(folder) + L"examprep_" + IntToStr(::GetCurrentProcessId()) + L"_" + name;
    HANDLE file = ::CreateFileW(FPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
  }
  ~TTempFile() { ::DeleteFileW(FPath.c_str()); }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;

  const String& Path() const { return FPath; }
  // The folder of the file, with its trailing backslash.
  String Folder() const { return FPath.substr(0, FPath.rfind(L'\\') + 1); }
  String Name() const { return FPath.substr(FPath.rfind(L'\\') + 1); }

 private:
  String FPath;
};

// ---- Finding the windows of a modal dialog --------------------------------------------------------

inline String WindowClass(HWND wnd) {
  wchar_t name[64] = {};
  ::GetClassNameW(wnd, name, 64);
  return name;
}

struct TWindowSearch {
  const std::function<bool(HWND)>* Test;
  std::vector<HWND> Found;
};

inline BOOL CALLBACK CollectWindow(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<TWindowSearch*>(param);
  if (::IsWindowVisible(wnd) && (*search->Test)(wnd)) search->Found.push_back(wnd);
  return TRUE;
}

// The visible top-level windows of this thread that pass the test, topmost first.
inline std::vector<HWND> ThreadWindows(const std::function<bool(HWND)>& test) {
  TWindowSearch search{&test, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// The system dialog (class #32770) of this thread that takes input now (the others are
// disabled under it); nullptr when none is shown.
inline HWND ActiveSystemDialog() {
  const auto found = ThreadWindows(
      [](HWND wnd) { return WindowClass(wnd) == L"#32770" && ::IsWindowEnabled(wnd); });
  return found.empty() ? nullptr : found.front();
}

// The shown form of this thread whose window class is className; nullptr when none.
inline TCustomForm* ShownForm(const String& className) {
  const auto found = ThreadWindows([&](HWND wnd) {
    return SameText(WindowClass(wnd), className) && dynamic_cast<TCustomForm*>(FindControl(wnd));
  });
  return found.empty() ? nullptr : dynamic_cast<TCustomForm*>(FindControl(found.front()));
}

// Clicks a button of a dialog as its own BN_CLICKED would (posted: the dialog's loop runs it).
inline void PostDialogCommand(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// ---- TDialogDriver ------------------------------------------------------------------------------------
// Runs steps from a timer while a modal dialog's own message loop runs. Each tick the current
// step is called; it returns true when it has done its work (the next step then waits for
// the next tick). After timeoutMs every system dialog and modal form still shown is
// cancelled, so that the test goes on, and TimedOut() tells the test it failed.
class TDialogDriver {
 public:
  using TStep = std::function<bool()>;

  explicit TDialogDriver(std::vector<TStep> steps, DWORD timeoutMs = 8000)
      : FSteps(std::move(steps)), FTimeoutMs(timeoutMs) {
    FWindow = AllocateHWnd([this](TMessage& message) { WndProc(message); });
    FStart = ::GetTickCount();
    ::SetTimer(FWindow, 1, 40, nullptr);
  }
  ~TDialogDriver() { DeallocateHWnd(FWindow); }
  TDialogDriver(const TDialogDriver&) = delete;
  TDialogDriver& operator=(const TDialogDriver&) = delete;

  bool TimedOut() const { return FTimedOut; }
  // The steps that have done their work.
  size_t StepsDone() const { return FNext; }

 private:
  void WndProc(TMessage& message) {
    if (message.Msg != WM_TIMER) {
      message.Result = ::DefWindowProcW(FWindow, message.Msg, message.WParam, message.LParam);
      return;
    }
    if (::GetTickCount() - FStart > FTimeoutMs) {
      FTimedOut = FNext < FSteps.size();
      CancelEverything();
      return;
    }
    if (FNext < FSteps.size() && !FBusy) {
      FBusy = true;  // a step may run a nested loop that ticks again
      if (FSteps[FNext]()) ++FNext;
      FBusy = false;
    }
  }

  static void CancelEverything() {
    for (HWND dialog : ThreadWindows([](HWND wnd) { return WindowClass(wnd) == L"#32770"; }))
      ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; Screen && i < Screen->GetCustomFormCount(); ++i) {
      TCustomForm* form = Screen->GetCustomForms(i);
      if (form->GetFormState().Contains(fsModal)) form->SetModalResult(mrCancel);
    }
  }

  HWND FWindow = nullptr;
  std::vector<TStep> FSteps;
  size_t FNext = 0;
  DWORD FStart = 0;
  DWORD FTimeoutMs;
  bool FTimedOut = false;
  bool FBusy = false;
};

}  // namespace dialog_tests
