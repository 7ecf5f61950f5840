// The main menu: the shipped movie against the dispatcher's table, every command with its
// windows and shell calls observed through the responders, the quit check, the 24-hour
// rule and the answer times; and the shared routines the menu and the windows use.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include "WindowTestSupport.h"
#include "app/MenuMovie.h"
#include "app/Uabout.h"
#include "app/Ucommon.h"
#include "app/start.h"
#include "classlib/classes/StringList.h"
#include "classlib/standins/MenuMovie.h"

namespace {

// ---- Shared routines ---------------------------------------------------------------------------------

TEST(SharedRoutines, AnswerPageOfEveryTypeCode) {
  struct {
    int Code, Page;
  } const cases[] = {{62, 1}, {64, 4}, {65, 4}, {67, 0}, {68, 0}, {69, 4}, {11, 0}, {14, 1},
                     {20, 4}, {21, 4}, {22, 4}, {66, 99}, {70, 99}, {0, 99}, {12, 99}, {-1, 99}};
  for (const auto& c : cases) EXPECT_EQ(c.Page, AnswerPageOfType(c.Code)) << c.Code;
  for (int code : {64, 65, 69, 20, 21, 22}) EXPECT_TRUE(IsSelfAssessedType(code)) << code;
  for (int code : {11, 14, 62, 67, 66}) EXPECT_FALSE(IsSelfAssessedType(code)) << code;
}

TEST(SharedRoutines, AnswerTimeTicksAreExactForTenthsOfMinutes) {
  EXPECT_EQ(420, AnswerTimeTicks(0.7)) << "0.7 × 600 is 419.99999999999994 as a double";
  for (int tenths = 1; tenths <= 300; ++tenths)
    EXPECT_EQ(tenths * 60, AnswerTimeTicks(tenths / 10.0)) << tenths;
  EXPECT_EQ(0, AnswerTimeTicks(0));
  EXPECT_EQ(450, AnswerTimeTicks(0.75));
  EXPECT_EQ(100, AnswerTimeTicks(0.1668)) << "truncated, not rounded";
}

TEST(SharedRoutines, WaveVolumeLevels) {
  EXPECT_EQ(0u, WaveVolumeOfLevel(1));
  EXPECT_EQ(0u, WaveVolumeOfLevel(0)) << "clamped to level 1";
  EXPECT_EQ(0u, WaveVolumeOfLevel(-5));
  EXPECT_EQ(0x11111111u, WaveVolumeOfLevel(2));
  EXPECT_EQ(0x99999999u, WaveVolumeOfLevel(10));
  EXPECT_EQ(0xFFFFFFFFu, WaveVolumeOfLevel(16));
  EXPECT_EQ(0xFFFFFFFFu, WaveVolumeOfLevel(40));
  SetWaveVolume(10);  // with or without a device, never fails
}

TEST(SharedRoutines, OnlyPaperTablesAreDroppable) {
  EXPECT_TRUE(IsPaperTableName(L"tab_exam1"));
  EXPECT_TRUE(IsPaperTableName(L"TAB_EXAM20240507"));
  for (const wchar_t* name : {L"tab_exam", L"tab_answ", L"tab_exam1;drop table tab_answ", L"tab_exam1 ",
                              L"tab_exam1]", L"tab_examx", L"xtab_exam1", L"", L"tab_exam12345678901"})
    EXPECT_FALSE(IsPaperTableName(name)) << StringToUtf8(name);
}

class PaperTables : public ::testing::Test {
 protected:
  int Count(const String& sql) { return SelectInt(Data.Cn(), sql); }
  bool HasTable(const String& name) {
    TStringList tables;
    Data.Cn().GetTableNames(&tables, false);
    return tables.IndexOf(name) >= 0;
  }
  TProgramData Data;
};

TEST_F(PaperTables, DropRemovesTheTableAndItsRecord) {
  Data.Exec(L"create table tab_exam7 (a1 text)");
  DM1->Cn1Table_cj->Open();  // opened before the record is added: it is read again
  Data.Exec(L"insert into tab_cj (A1, A3) values ('tab_exam7', '模拟考试')");
  Data.Exec(L"insert into tab_cj (A1, A3) values ('tab_exam8', '模拟考试')");
  DropTableIfExists(L"TAB_EXAM7");
  EXPECT_FALSE(HasTable(L"tab_exam7"));
  EXPECT_EQ(0, Count(L"select count(*) from tab_cj where A1 = 'tab_exam7'"));
  EXPECT_EQ(1, Count(L"select count(*) from tab_cj where A1 = 'tab_exam8'")) << "another paper's record";

  DropTableIfExists(L"tab_exam8");  // a record without a table: nothing changes
  EXPECT_EQ(1, Count(L"select count(*) from tab_cj where A1 = 'tab_exam8'"));
  DropTableIfExists(L"tab_answ");
  EXPECT_TRUE(HasTable(L"tab_answ")) << "only paper tables are dropped";
  DropTableIfExists(L"tab_exam9]; drop table [tab_answ");
  EXPECT_TRUE(HasTable(L"tab_answ"));
}

// ---- The shipped movie -----------------------------------------------------------------------------

TEST(ShippedMenu, EveryCommandOfTheTableHasOneButton) {
  const TMenuMovie movie = LoadMenuMovie(BuiltAppFolder() + kMenuMovieFile);
  std::multiset<String> sent;
  for (const TMenuButton& button : movie.Buttons) {
    sent.insert(button.Command);
    EXPECT_FALSE(button.Caption.empty()) << StringToUtf8(button.Command);
  }
  const std::vector<String> table = MenuCommandNames();
  EXPECT_EQ(23u, table.size());
  for (const String& name : table) EXPECT_EQ(1u, sent.count(name)) << StringToUtf8(name);
  EXPECT_EQ(table.size(), sent.size()) << "no button sends a command the table does not know";
  EXPECT_EQ(1024, movie.DesignWidth);
  EXPECT_EQ(768, movie.DesignHeight);
}

// ---- The main window ---------------------------------------------------------------------------------

class MainMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    FrmStart = TCustomForm::Create<TFrmStart>(nullptr);
    ASSERT_NE(nullptr, FrmStart);
  }
  void TearDown() override { delete std::exchange(FrmStart, nullptr); }
  void Dispatch(const String& command) { FrmStart->ShockwaveFlash1FSCommand(FrmStart->ShockwaveFlash1, command, L""); }
  // Shows the menu (FormShow runs), connected to the bank.
  void ShowMenu() {
    if (!DM1->ADOCn1->GetConnected()) DM1->ADOCn1->SetConnected(true);
    if (!FrmStart->GetVisible()) FrmStart->Show();
  }
  // Today's study-log row with answers and a study time.
  void SetToday(int answers, const String& time) {
    Data.Exec(L"delete from tab_rz");
    Data.Exec(L"insert into tab_rz (A1, A2, A3, B1, B2, D1) values (#2024-05-07#, " + IntToStr(answers) +
              L", 0, 0, 0, '" + time + L"')");
    if (DM1->Cn1Table_rz->GetActive()) DM1->Cn1Table_rz->Requery();
  }
  void SetPlan(const String& values) {
    Data.Exec(L"delete from tab_plan");
    if (!values.empty())
      Data.Exec(L"insert into tab_plan (PlanMark, PlanAmount, PlanTime) values (" + values + L")");
    if (DM1->Cn1Table_plan->GetActive()) DM1->Cn1Table_plan->Requery();
  }

  TProgramData Data;
  TRecordingResponders Responders;
};

TEST_F(MainMenu, ShowingLoadsTheAnswerTimesAndPlaysTheMenu) {
  Data.Exec(L"update tab_tx set [time] = 0.7");
  ShowMenu();
  const int types = SelectInt(Data.Cn(), L"select count(*) from tab_tx");
  ASSERT_GT(types, 0);
  EXPECT_EQ(static_cast<size_t>(types), TypeTimes.size());
  EXPECT_EQ(TypeTimes.size(), TypeIds.size());
  for (int ticks : TypeTimes) EXPECT_EQ(420, ticks);
  FrmStart->LoadAnswerTimes();
  EXPECT_EQ(static_cast<size_t>(types), TypeTimes.size()) << "emptied before they are filled";
  Data.Exec(L"delete from tab_tx");
  FrmStart->LoadAnswerTimes();
  EXPECT_EQ(static_cast<size_t>(types), TypeTimes.size()) << "no type rows: the times read before stay";
  EXPECT_EQ(TypeTimes.size(), TypeIds.size());
  EXPECT_TRUE(FrmStart->ShockwaveFlash1->GetPlaying());
  EXPECT_EQ(Screen->GetWidth(), FrmStart->GetWidth());
}

TEST_F(MainMenu, TwentyFourHourRule) {
  SetToday(0, L"24:00:00");
  EXPECT_TRUE(FrmStart->StudyDayFull());
  SetToday(0, L"23:59:59");
  EXPECT_FALSE(FrmStart->StudyDayFull());
  SetToday(0, L"30:00:00");
  EXPECT_TRUE(FrmStart->StudyDayFull());
  Data.Exec(L"delete from tab_rz");
  DM1->Cn1Table_rz->Requery();
  EXPECT_FALSE(FrmStart->StudyDayFull()) << "no row today";

  // A damaged time counts as none: the menu still loads the answer times and plays.
  SetToday(0, L"2x:00:00");
  EXPECT_FALSE(FrmStart->StudyDayFull());
  TypeTimes.clear();
  ShowMenu();
  EXPECT_FALSE(TypeTimes.empty());
  EXPECT_TRUE(FrmStart->ShockwaveFlash1->GetPlaying());
  EXPECT_FALSE(Application->GetTerminated());
}

TEST_F(MainMenu, DocumentsOpenWithTheShellMaximised) {
  const String max = L"|" + IntToStr(SW_SHOWMAXIMIZED);
  Dispatch(L"ksdg");
  Dispatch(L"fg");
  Dispatch(L"help");
  ASSERT_EQ(3u, Responders.Log.Shell.size());
  EXPECT_EQ(AppPath + L"\\htm\\考试大纲.htm" + max, Responders.Log.Shell[0]);
  EXPECT_EQ(AppPath + L"\\htm\\全国注册资产评估师考试相关法规汇编.htm" + max, Responders.Log.Shell[1]);
  EXPECT_EQ(AppPath + L"xqhelp.chm" + max, Responders.Log.Shell[2]);
  EXPECT_TRUE(FileExists(AppPath + L"htm\\考试大纲.htm")) << "the pages ship beside the program";
  EXPECT_TRUE(FileExists(AppPath + L"htm\\全国注册资产评估师考试相关法规汇编.htm"));
  char head[4] = {};
  HANDLE help = ::CreateFileW((AppPath + L"xqhelp.chm").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, help) << "the help file ships too";
  DWORD read = 0;
  ::ReadFile(help, head, 4, &read, nullptr);
  ::CloseHandle(help);
  EXPECT_EQ("ITSF", std::string(head, read)) << "a compiled help file";
}

TEST_F(MainMenu, CommandsWhoseWindowsComeLaterAndUnknownNamesDoNothing) {
  for (const String& name : MenuCommandNames()) {
    if (IsMenuCommandActive(name)) continue;
    Dispatch(name);
  }
  for (const wchar_t* name : {L"Quit", L"LX", L"lx6", L"", L"about ", L"ABOUT"}) {
    EXPECT_FALSE(IsMenuCommand(name)) << StringToUtf8(name);
    Dispatch(name);
  }
  EXPECT_TRUE(Responders.Log.Empty());
  EXPECT_EQ(nullptr, FrmAbout);
  EXPECT_EQ(crDefault, Screen->GetCursor());
  std::vector<String> active;
  for (const String& name : MenuCommandNames())
    if (IsMenuCommandActive(name)) active.push_back(name);
  EXPECT_EQ((std::vector<String>{L"ksdg", L"zsd", L"lx", L"lx2", L"lx3", L"lx4", L"lx5", L"rz", L"tj", L"sj",
                                 L"music", L"szlx", L"szjh", L"fg", L"help", L"about", L"quit", L"cj", L"mnks",
                                 L"mnks2", L"mnks3", L"mnks4", L"mnks5"}),
            active);
}

TEST_F(MainMenu, AboutBoxOpensModallyAndIsFreedAndNoSecondCommandRunsMeanwhile) {
  bool sawBox = false;
  TModalDriver driver({[&] {
    HWND box = FindOwnWindow(L"关于");
    if (!box || !FrmAbout) return false;
    sawBox = true;
    EXPECT_TRUE(FrmStart->GetCommandRunning());
    Dispatch(L"ksdg");  // chosen again while the box is open: dropped
    EXPECT_TRUE(SaveShotsOverMenu(box, L"about"));
    EXPECT_TRUE(FrmAbout->epTransparentBtn5->GetVisible());
    EXPECT_TRUE(FrmAbout->epTransparentBtn5->GetFrameRnd()) << "a rounded, raised close button";
    for (TepTransparentBtn* hidden : {FrmAbout->epTransparentBtn1, FrmAbout->epTransparentBtn2,
                                      FrmAbout->epTransparentBtn3})
      EXPECT_FALSE(hidden->GetVisible());
    ClickButton(FrmAbout->epTransparentBtn5->GetHandle());
    return true;
  }});
  Dispatch(L"about");
  EXPECT_TRUE(sawBox);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(nullptr, FrmAbout) << "freed and reset";
  EXPECT_EQ(crDefault, Screen->GetCursor());
  EXPECT_FALSE(FrmStart->GetCommandRunning());
  EXPECT_TRUE(Responders.Log.Shell.empty());
  Dispatch(L"ksdg");
  EXPECT_EQ(1u, Responders.Log.Shell.size()) << "commands run again afterwards";
}

TEST_F(MainMenu, AboutBoxClosesFromTheKeyboard) {
  for (WORD key : {VK_RETURN, VK_SPACE}) {
    TModalDriver driver({[&] {
      if (!FindOwnWindow(L"关于") || !FrmAbout || ::GetFocus() != FrmAbout->epTransparentBtn5->GetHandle())
        return false;  // the close button has the focus
      return PostKey(key);
    }});
    Dispatch(L"about");
    EXPECT_TRUE(driver.Done()) << key;
    EXPECT_EQ(nullptr, FrmAbout);
  }
}

// The quit check with a plan, today's answers and study time, and the user's answer.
struct TQuitCase {
  const char* What;
  const wchar_t* Plan;      // PlanMark, PlanAmount, PlanTime ("" for no row)
  int Answers;              // today's A2 (-1: no row today)
  const wchar_t* Time;      // today's D1
  int BoxAnswer;
  const wchar_t* Box;       // the box shown ("" for none)
  bool Closes;
};

const wchar_t kAsk[] = L"提示|还未完成今日学习计划，要退出么？|65";
const wchar_t kDone[] = L"提示|恭喜完成今日学习计划！|64";
const wchar_t kMore[] = L"提示|超额完成学习计划，要注意休息呦！|64";

const TQuitCase kQuitCases[] = {
    {"answers below the plan, OK", L"0, 10, 30", 3, L"00:00:00", IDOK, kAsk, true},
    {"answers below the plan, Cancel", L"0, 10, 30", 3, L"00:00:00", IDCANCEL, kAsk, false},
    {"answers as planned", L"0, 3, 30", 3, L"00:00:00", IDOK, kDone, true},
    {"answers beyond the plan", L"0, 1, 30", 3, L"00:00:00", IDOK, kMore, true},
    {"no log today, a plan of 0 answers", L"0, 0, 30", -1, L"", IDOK, kDone, true},
    {"no log today, a plan of 10 answers", L"0, 10, 30", -1, L"", IDCANCEL, kAsk, false},
    {"minutes below the plan", L"1, 0, 30", 50, L"00:29:59", IDCANCEL, kAsk, false},
    {"minutes as planned", L"1, 0, 30", 0, L"00:30:59", IDOK, kDone, true},
    {"minutes beyond the plan", L"1, 0, 30", 0, L"01:00:00", IDOK, kMore, true},
    {"a damaged time counts as no minutes", L"1, 0, 30", 0, L"x:00:00", IDCANCEL, kAsk, false},
    {"another plan kind does nothing", L"2, 10, 30", 3, L"00:00:00", IDOK, L"", false},
    {"no plan row closes without a word", L"", 3, L"00:00:00", IDOK, L"", true},
};

TEST_F(MainMenu, QuitComparesTodayWithThePlan) {
  for (const TQuitCase& c : kQuitCases) {
    SCOPED_TRACE(c.What);
    ShowMenu();
    SetPlan(c.Plan);
    if (c.Answers < 0) {
      Data.Exec(L"delete from tab_rz");
      if (DM1->Cn1Table_rz->GetActive()) DM1->Cn1Table_rz->Requery();
    } else {
      SetToday(c.Answers, c.Time);
    }
    Responders.Log.Clear();
    Responders.Log.BoxAnswer = c.BoxAnswer;
    Dispatch(L"quit");
    if (String(c.Box).empty())
      EXPECT_TRUE(Responders.Log.Boxes.empty());
    else
      EXPECT_EQ(std::vector<String>{c.Box}, Responders.Log.Boxes);
    EXPECT_EQ(c.Closes, !FrmStart->GetVisible());
    EXPECT_EQ(c.Closes, !DM1->ADOCn1->GetConnected()) << "closing closes the connection";
  }
}

TEST_F(MainMenu, NoSoundDeviceOrUnplayableTuneIsTold) {
  FrmStart->PlayMusic(AppPath + L"sound\\no such tune.mid", true);
  ASSERT_EQ(1u, Responders.Log.Dialogs.size());
  const String told = Responders.Log.Dialogs[0];
  EXPECT_TRUE(told == L"提示|无法播放背景音乐！|1|1|NO" || told == L"提示|没发现声卡！|1|1|NO") << StringToUtf8(told);
  Responders.Log.Clear();
  FrmStart->PlayMusic(L"", false);  // stopping what does not play is quiet
  EXPECT_TRUE(Responders.Log.Dialogs.empty() ||
              Responders.Log.Dialogs[0] == L"提示|没发现声卡！|1|1|NO");
  EXPECT_TRUE(FileExists(AppPath + L"sound\\乐曲01.mid"));
  EXPECT_TRUE(FileExists(AppPath + L"sound\\乐曲06.mid"));
}

TEST_F(MainMenu, ScreenshotsAtBothScreenSizes) {
  ShowMenu();
  TShockwaveFlash* player = FrmStart->ShockwaveFlash1;
  for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{800, 600}}) {
    EXPECT_TRUE(SaveDrawnShot(width, height, [&](HDC dc) { player->RenderTo(dc, width, height); },
                              L"menu_" + IntToStr(width) + L"x" + IntToStr(height)));
  }
}

}  // namespace
