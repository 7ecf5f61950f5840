// The program's entry: the start-up checks in their order, the windows that live for the
// whole run, and the message loop. Every check that fails ends the program; none retries.
#include "ProgramClasses.h"
#include "Responders.h"
#include "UInPut.h"
#include "UselectFg.h"
#include "Udlg.h"
#include "Ulxxt.h"
#include "Uprogress.h"
#include "dm.h"
#include "start.h"
#include "uRulelxxt.h"

namespace {

// A message of the start-up, in the system's message box owned by the application window.
void StartupMessage(const wchar_t* text, const wchar_t* caption, UINT icon) {
  AppMessageBox(text, caption, MB_OK | icon);
}

void RunProgram() {
  Application->Initialize();
  RegisterLayoutClasses();
  InstallPracticeWindow();
  InstallLawPracticeWindow();
  InstallEntryWindow();
  InstallLawPointPicker();
  Application->SetTitle(kAppTitle);
  if (CheckPrevInstance()) {
    // No main form: the loop returns at once and the program ends without a word.
    Application->Run();
    return;
  }
  if (!IsFlashInstalled()) {
    StartupMessage(L"请安装解压目录下Flash6插件.exe文件！", L"提示", MB_ICONEXCLAMATION);
    return;
  }
  Application->CreateForm(DM1);
  if (!DM1->DbReady) {
    FreeAndNil(DM1);
    StartupMessage(L"无法连接数据库！", L"错误", MB_ICONHAND);
    return;
  }
  Application->CreateForm(FrmStart);
  Application->CreateForm(FrmProgress);
  Application->CreateForm(FrmDlg);
  Application->Run();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    RunProgram();
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
  }
  DoneApplication();
  return 0;
}
