// The main window and the start-up checks.
#include "start.h"

#include "MenuMovie.h"
#include "Responders.h"
#include "Uabout.h"
#include "Uplan.h"
#include "Urz.h"
#include "Ucheck.h"
#include "Uexam.h"
#include "Uconfig.h"
#include "Laws.h"
#include "Ukmmc.h"
#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysFiles.h"
#include "dm.h"
#include "uchart.h"
#include "ustxz.h"

#include <mmsystem.h>  // after the windows headers it needs

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

// ---- The command table ---------------------------------------------------------------------------

namespace {

// Opens a modal window the menu offers: the hourglass while it is built, then it is shown
// modally with the normal cursor (the hourglass over a window waiting for input would say
// it is busy); whatever happens, the cursor comes back, the window is freed and its global
// reset. An exception then goes on to the application's handler.
// prepare, when given, runs on the new window before it is shown.
template <class TWindow>
void OpenModalWindow(TWindow*& global, void (*prepare)(TWindow&) = nullptr) {
  Screen->SetCursor(crHourGlass);
  try {
    global = TCustomForm::Create<TWindow>(Application);
    Screen->SetCursor(crDefault);
    if (prepare) prepare(*global);
    global->ShowModal();
  } catch (...) {
    Screen->SetCursor(crDefault);
    delete std::exchange(global, nullptr);
    throw;
  }
  Screen->SetCursor(crDefault);
  delete std::exchange(global, nullptr);
}

// A document the menu opens with the shell, maximised. AppPath ends with a backslash, so a
// path that starts with one has it doubled, which the shell accepts.
void OpenDocument(const String& relative) { ShellOpen(AppPath + relative, SW_SHOWMAXIMIZED); }

// The chooser of a subject (1 to 5).
void OpenChooser(int subject) {
  SubjectNo = subject;
  OpenModalWindow(Frmkmmc);
}

// The settings window: the music page (mode 0) or the answer-time page alone (mode 1).
void OpenSettings(int mode) {
  ConfigMode = mode;
  OpenModalWindow(FrmConfig, mode == 1 ? +[](TFrmConfig& window) { window.ShowAnswerTimesOnly(); } : nullptr);
}

// One command of the menu: its name and what it does (nullptr: its window comes later).
struct TMenuCommand {
  const wchar_t* Name;
  void (*Run)(TFrmStart& menu);
};

const TMenuCommand kMenuCommands[] = {
    {L"ksdg", [](TFrmStart&) { OpenDocument(L"\\htm\\考试大纲.htm"); }},
    {L"zsd", [](TFrmStart&) { OpenModalWindow(frmLawsFaGui); }},
    {L"lx", [](TFrmStart&) { OpenChooser(1); }},
    {L"lx2", [](TFrmStart&) { OpenChooser(2); }},
    {L"lx3", [](TFrmStart&) { OpenChooser(3); }},
    {L"lx4", [](TFrmStart&) { OpenChooser(4); }},
    {L"lx5", [](TFrmStart&) { OpenChooser(5); }},
    {L"rz", [](TFrmStart&) { OpenModalWindow(FrmRz); }},
    {L"tj", [](TFrmStart&) { OpenModalWindow(frmchart); }},
    {L"sj", [](TFrmStart&) { OpenModalWindow(frmstxz); }},
    {L"music", [](TFrmStart&) { OpenSettings(0); }},
    {L"szlx", [](TFrmStart&) { OpenSettings(1); }},
    {L"szjh", [](TFrmStart&) { OpenModalWindow(Frmplan); }},
    {L"fg", [](TFrmStart&) { OpenDocument(L"\\htm\\全国注册资产评估师考试相关法规汇编.htm"); }},
    {L"help", [](TFrmStart&) { OpenDocument(L"xqhelp.chm"); }},
    {L"about", [](TFrmStart&) { OpenModalWindow(FrmAbout); }},
    {L"quit", [](TFrmStart& menu) { menu.QuitPlanCheck(); }},
    {L"cj", [](TFrmStart&) { OpenModalWindow(FrmCheck); }},
    {L"mnks", [](TFrmStart& menu) { menu.mnks(1); }},
    {L"mnks2", [](TFrmStart& menu) { menu.mnks(2); }},
    {L"mnks3", [](TFrmStart& menu) { menu.mnks(3); }},
    {L"mnks4", [](TFrmStart& menu) { menu.mnks(4); }},
    {L"mnks5", [](TFrmStart& menu) { menu.mnks(5); }},
};

const TMenuCommand* FindMenuCommand(const String& command) {
  for (const TMenuCommand& entry : kMenuCommands)
    if (command == entry.Name) return &entry;
  return nullptr;
}

}  // namespace

std::vector<String> MenuCommandNames() {
  std::vector<String> names;
  for (const TMenuCommand& entry : kMenuCommands) names.emplace_back(entry.Name);
  return names;
}

bool IsMenuCommand(const String& command) { return FindMenuCommand(command) != nullptr; }

bool IsMenuCommandActive(const String& command) {
  const TMenuCommand* entry = FindMenuCommand(command);
  return entry && entry->Run;
}

// ---- TFrmStart -------------------------------------------------------------------------------------

const TPropertyTable* TFrmStart::PublishedProperties() {
  using P = TPublish<TFrmStart>;
  static const TPropertyTable table({}, {P::Field(L"MidiMediaPlayer", &TFrmStart::MidiMediaPlayer),
                                         P::Field(L"ShockwaveFlash1", &TFrmStart::ShockwaveFlash1)});
  return &table;
}

TFrmStart::TFrmStart(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TFrmStart::RegisterHandlers() {
  using M = TPublishMethods<TFrmStart>;
  RegisterMethods<TFrmStart>({M::Handler(L"FormCreate", &TFrmStart::FormCreate),
                              M::Handler(L"FormShow", &TFrmStart::FormShow),
                              M::Handler(L"FormCloseQuery", &TFrmStart::FormCloseQuery),
                              M::Handler(L"FormClose", &TFrmStart::FormClose),
                              M::Handler(L"ShockwaveFlash1FSCommand", &TFrmStart::ShockwaveFlash1FSCommand)});
}

void TFrmStart::FormCreate(TObject*) {
  if (!IsSmallFonts()) {
    AppMessageBox(L"推荐您在小字体下使用本软件，请在设置后重新运行！", L"提示", MB_OK | MB_ICONEXCLAMATION);
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

bool TFrmStart::StudyDayFull() {
  try {
    if (!DM1->LocateToday()) return false;
    return TimeStrToSeconds(DM1->Cn1Table_rz->FieldByName(L"D1")->GetAsString()) / 86400 >= 1;
  } catch (const Exception&) {
    return false;  // a damaged time must not keep the student out of the program
  }
}

void TFrmStart::LoadAnswerTimes() {
  TADOQuery* query = DM1->Cn1Query1;
  query->Close();
  query->GetSQL()->Clear();
  query->GetSQL()->Add(L"select * from tab_tx");
  query->Open();
  // A type table without rows leaves the times read before.
  if (query->IsEmpty()) return;
  TypeTimes.clear();
  TypeIds.clear();
  for (query->First(); !query->GetEof(); query->Next()) {
    TypeTimes.push_back(AnswerTimeTicks(query->FieldByName(L"time")->GetAsFloat()));
    TypeIds.push_back(query->FieldByName(L"A1")->GetAsInteger());
  }
}

void TFrmStart::FormShow(TObject*) {
  // The rule ends the program, but the rest still runs, as the program ends only when the
  // message loop sees the request.
  if (StudyDayFull()) Application->Terminate();
  SetWidth(Screen->GetWidth());
  SetHeight(Screen->GetHeight());
  MusicOn = true;
  VolumeLevel = 10;
  SetWaveVolume(VolumeLevel);
  LoadAnswerTimes();
  ShockwaveFlash1->SetMovie(AppPath + kMenuMovieFile);
  ShockwaveFlash1->Play();
}

void TFrmStart::FormCloseQuery(TObject*, bool& canClose) {
  try {
    if (DM1) DM1->ADOCn1->Close();
  } catch (const Exception&) {
  }
  canClose = true;
}

void TFrmStart::FormClose(TObject*, TCloseAction&) {}

void TFrmStart::ShockwaveFlash1FSCommand(TObject*, const String& command, const String&) {
  // One command at a time: a second one while the first still runs (a button chosen again
  // while a wait box shows) is dropped rather than run inside the first.
  if (FCommandRunning) return;
  const TMenuCommand* entry = FindMenuCommand(command);
  if (!entry || !entry->Run) return;
  FCommandRunning = true;
  try {
    entry->Run(*this);
  } catch (...) {
    FCommandRunning = false;
    throw;
  }
  FCommandRunning = false;
}

void TFrmStart::PlayMusic(const String& fileName, bool playOn) {
  if (::waveOutGetNumDevs() == 0) {
    ShowDlg(L"提示", L"没发现声卡！", 1, 1, L"NO");
    return;
  }
  try {
    MidiMediaPlayer->Close();
    if (playOn) {
      MidiMediaPlayer->SetFileName(fileName);
      MidiMediaPlayer->Open();
      MidiMediaPlayer->Play();
    }
  } catch (const Exception&) {
    ShowDlg(L"提示", L"无法播放背景音乐！", 1, 1, L"NO");
  }
}

void TFrmStart::mnks(int subject) { StartMockExam(subject); }

void TFrmStart::QuitPlanCheck() {
  TADOTable* plan = DM1->Cn1Table_plan;
  if (!plan->GetActive()) plan->Open();
  plan->First();
  const bool noPlan = plan->GetEof() || plan->FieldByName(L"PlanMark")->GetIsNull() ||
                      plan->FieldByName(L"PlanAmount")->GetIsNull() ||
                      plan->FieldByName(L"PlanTime")->GetIsNull();
  if (noPlan) {
    // Nothing to compare with: the student asked to quit, so the program closes.
    Close();
    return;
  }
  const int mark = plan->FieldByName(L"PlanMark")->GetAsInteger();
  const int amount = plan->FieldByName(L"PlanAmount")->GetAsInteger();
  const int minutes = plan->FieldByName(L"PlanTime")->GetAsInteger();
  int answers = 0;
  int64_t studied = 0;
  if (DM1->LocateToday()) {
    TADOTable* log = DM1->Cn1Table_rz;
    answers = log->FieldByName(L"A2")->GetAsInteger();
    try {
      studied = TimeStrToSeconds(log->FieldByName(L"D1")->GetAsString()) / 60;
    } catch (const EConvertError&) {
      studied = 0;  // a damaged time counts as none, as the 24-hour rule counts it
    }
  }
  int64_t done = 0, goal = 0;
  if (mark == 0) {
    done = answers;
    goal = amount;
  } else if (mark == 1) {
    done = studied;
    goal = minutes;
  } else {
    return;
  }
  int answer = IDOK;
  if (done < goal)
    answer = AppMessageBox(L"还未完成今日学习计划，要退出么？", L"提示", MB_OKCANCEL | MB_ICONINFORMATION);
  else if (done == goal)
    answer = AppMessageBox(L"恭喜完成今日学习计划！", L"提示", MB_OK | MB_ICONINFORMATION);
  else
    answer = AppMessageBox(L"超额完成学习计划，要注意休息呦！", L"提示", MB_OK | MB_ICONINFORMATION);
  if (answer == IDOK) Close();
}
