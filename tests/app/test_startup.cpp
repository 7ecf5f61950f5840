// The start-up decisions: the screen-size rule, and the program itself started as a child
// process from a folder of its own, ending with the right message when something it needs
// is missing, and bringing the running copy forward instead of starting twice.
#include <gtest/gtest.h>

#include <functional>
#include <vector>
#include "AppTestSupport.h"
#include "app/MenuMovie.h"
#include "app/start.h"
#include "classlib/standins/MenuMovie.h"
#include "classlib/system/SysDate.h"
#include "classlib/system/SysFiles.h"
#include "tests/ScreenShots.h"

namespace {

TEST(ScreenMode, EightHundredWhenWidthIs800OrHeightIs600) {
  EXPECT_EQ(L"800", ScreenModeFor(800, 600));
  EXPECT_EQ(L"800", ScreenModeFor(800, 768));
  EXPECT_EQ(L"800", ScreenModeFor(1280, 600));
  EXPECT_EQ(L"1024", ScreenModeFor(1024, 768));
  EXPECT_EQ(L"1024", ScreenModeFor(1280, 1024));
  EXPECT_EQ(L"1024", ScreenModeFor(640, 480));
}

// ---- The menu movie ---------------------------------------------------------------------------

// Writes bytes as the whole of file; false when it could not.
bool WriteBytes(const String& file, const std::string& bytes) {
  HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(handle);
  return written == bytes.size();
}

// Reads the whole of file into bytes; false when it could not.
bool ReadBytes(const String& file, std::string& bytes) {
  HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  bytes.assign(::GetFileSize(handle, nullptr), '\0');
  DWORD read = 0;
  ::ReadFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  ::CloseHandle(handle);
  return read == bytes.size();
}

// A file under the temporary folder, removed at the end.
class TTempFile {
 public:
  explicit TTempFile(const std::string& bytes) {
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, folder);
    static int counter = 0;
    FName = IncludeTrailingBackslash(folder) + L"movie_" + IntToStr(int64_t(::GetCurrentProcessId())) +
            L"_" + IntToStr(int64_t(++counter)) + L".swf";
    WriteBytes(FName, bytes);
  }
  ~TTempFile() { ::DeleteFileW(FName.c_str()); }
  const String& Name() const { return FName; }

 private:
  String FName;
};

TEST(MenuMovie, KnownByItsSignatureAndWhole) {
  EXPECT_FALSE(IsMenuMovieFile(TTempFile(std::string("EXMENU1\0rest", 12)).Name())) << "a signature alone";
  EXPECT_TRUE(IsMenuMovieFile(BuiltAppFolder() + kMenuMovieFile)) << "the movie the build ships";
  EXPECT_FALSE(IsMenuMovieFile(TTempFile("FWS\x06 a movie of another player").Name()));
  EXPECT_FALSE(IsMenuMovieFile(TTempFile(std::string("EXMENU1", 7)).Name())) << "cut short";
  EXPECT_FALSE(IsMenuMovieFile(TTempFile("").Name()));
  EXPECT_FALSE(IsMenuMovieFile(L"C:\\no such folder\\main.swf"));
  EXPECT_FALSE(IsMenuMovieFile(BuiltAppFolder() + L"pic")) << "a folder";
}

// ---- The program as a child process ---------------------------------------------------------

constexpr DWORD kTimeoutMs = 60000;

// A program folder under the temporary folder: examprep.exe and whatever a test adds.
class TProgramFolder : public TTestFolder {
 public:
  TProgramFolder() : TTestFolder(L"examprep_") { Copy(BuiltAppFolder() + L"examprep.exe", L"examprep.exe"); }

  String Path(const String& relative) const { return TTestFolder::Path() + relative; }
  String Exe() const { return Path(L"examprep.exe"); }

  void AddMenuMovie() { Copy(BuiltAppFolder() + kMenuMovieFile, kMenuMovieFile); }
  void AddShippedBank() { Copy(BuiltBankFile(), kBankFileName); }
  // The pictures of the answering windows' pads and type bar.
  void AddPadPictures() {
    for (const wchar_t* name : {L"qorbup.bmp", L"qorbdw.bmp", L"qorbyes.bmp", L"qorbno.bmp", L"qorbover.bmp",
                                L"qorbtxup.bmp", L"qorbtxdw.bmp", L"qorbopup.bmp", L"qorbopdw.bmp"})
      Copy(BuiltAppFolder() + L"pic\\" + name, String(L"pic\\") + name);
  }
  void AddBank(const String& password) {
    ForceDirectories(ExtractFilePath(Path(kBankFileName)));
    WriteTestBank(Path(kBankFileName), password);
  }
  void Copy(const String& from, const String& relative) {
    ForceDirectories(ExtractFilePath(Path(relative)));
    ASSERT_TRUE(::CopyFileW(from.c_str(), Path(relative).c_str(), FALSE)) << StringToUtf8(from);
  }
};

String ClassOf(HWND wnd) {
  wchar_t buffer[256] = {};
  return String(buffer, static_cast<size_t>(std::max(0, ::GetClassNameW(wnd, buffer, 256))));
}

String TextOf(HWND wnd) {
  wchar_t buffer[512] = {};
  return String(buffer, static_cast<size_t>(std::max(0, ::GetWindowTextW(wnd, buffer, 512))));
}

// The visible top-level windows of a process (of every process for kAnyProcess).
constexpr DWORD kAnyProcess = 0;
struct TWindowSearch {
  DWORD Pid;
  std::vector<HWND> Found;
};

BOOL CALLBACK AddVisibleWindow(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<TWindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(wnd, &owner);
  if ((search->Pid == kAnyProcess || owner == search->Pid) && ::IsWindowVisible(wnd)) search->Found.push_back(wnd);
  return TRUE;
}

std::vector<HWND> VisibleWindowsOf(DWORD pid) {
  TWindowSearch search{pid, {}};
  ::EnumWindows(&AddVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

BOOL CALLBACK AddStaticText(HWND child, LPARAM param) {
  if (CompareText(ClassOf(child), L"Static") == 0 && !TextOf(child).empty())
    *reinterpret_cast<String*>(param) += TextOf(child) + L"\n";
  return TRUE;
}

// The texts of a dialog's static controls, each followed by a line break.
String StaticTexts(HWND dialog) {
  String texts;
  ::EnumChildWindows(dialog, &AddStaticText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

// One run of the program; ended by force if a test leaves it running.
class TProgramRun {
 public:
  explicit TProgramRun(const TProgramFolder& folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    String commandLine = L"\"" + folder.Exe() + L"\"";
    const String directory = folder.Path(L"");
    if (!::CreateProcessW(folder.Exe().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, directory.c_str(), &startup, &FInfo))
      FInfo = PROCESS_INFORMATION{};
  }
  ~TProgramRun() {
    if (!FInfo.hProcess) return;
    if (::WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(FInfo.hProcess, 1);
      ::WaitForSingleObject(FInfo.hProcess, kTimeoutMs);
    }
    ::CloseHandle(FInfo.hThread);
    ::CloseHandle(FInfo.hProcess);
  }
  TProgramRun(const TProgramRun&) = delete;
  TProgramRun& operator=(const TProgramRun&) = delete;

  bool Started() const { return FInfo.hProcess != nullptr; }
  DWORD Pid() const { return FInfo.dwProcessId; }

  // The first visible top-level window of the program of that class; nullptr after the
  // time-out or when the program ended first.
  HWND WaitForWindow(const String& className) {
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 50) {
      for (HWND wnd : VisibleWindowsOf(Pid()))
        if (ClassOf(wnd) == className) return wnd;
      if (::WaitForSingleObject(FInfo.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
  }
  // Waits for the end; true when the program ended with exit code 0. Every visible window
  // seen meanwhile is added to seen.
  bool WaitForCleanExit(std::vector<String>* seen = nullptr) {
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 50) {
      if (seen)
        for (HWND wnd : VisibleWindowsOf(Pid())) seen->push_back(ClassOf(wnd) + L" " + TextOf(wnd));
      if (::WaitForSingleObject(FInfo.hProcess, 50) == WAIT_OBJECT_0) {
        DWORD code = 1;
        ::GetExitCodeProcess(FInfo.hProcess, &code);
        return code == 0;
      }
    }
    return false;
  }

 private:
  PROCESS_INFORMATION FInfo{};
};

// What the program showed before it ended: the caption and the text of its message box.
struct TEndMessage {
  String Caption;
  String Text;
  bool EndedCleanly = false;
};

TEndMessage RunUntilItsMessage(const TProgramFolder& folder) {
  TEndMessage message;
  TProgramRun run(folder);
  if (!run.Started()) return message;
  HWND box = run.WaitForWindow(L"#32770");
  if (!box) return message;
  message.Caption = TextOf(box);
  message.Text = StaticTexts(box);
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  message.EndedCleanly = run.WaitForCleanExit();
  return message;
}

TEST(StartUp, MissingMenuMovieEndsWithThePlayerMessage) {
  TProgramFolder folder;
  folder.AddShippedBank();
  TEndMessage message = RunUntilItsMessage(folder);
  EXPECT_EQ(L"提示", message.Caption);
  EXPECT_EQ(L"请安装解压目录下Flash6插件.exe文件！\n", message.Text);
  EXPECT_TRUE(message.EndedCleanly);

  // A movie that is not a whole menu movie is no better (which ones are not: MenuMovie above).
  ForceDirectories(folder.Path(L"pic"));
  ASSERT_TRUE(WriteBytes(folder.Path(kMenuMovieFile), std::string("FWS\x06\x10\x00\x00\x00", 8)));
  EXPECT_EQ(L"请安装解压目录下Flash6插件.exe文件！\n", RunUntilItsMessage(folder).Text);
}

TEST(StartUp, MissingDatabaseOrWrongPasswordEndsWithTheConnectionMessage) {
  for (bool wrongPassword : {false, true}) {
    TProgramFolder folder;
    folder.AddMenuMovie();
    if (wrongPassword) folder.AddBank(L"notthepassword");
    TEndMessage message = RunUntilItsMessage(folder);
    EXPECT_EQ(L"错误", message.Caption) << wrongPassword;
    EXPECT_EQ(L"无法连接数据库！\n", message.Text) << wrongPassword;
    EXPECT_TRUE(message.EndedCleanly) << wrongPassword;
  }
}

TEST(StartUp, DamagedBankShowsTheSystemMessageBoxInChinese) {
  TProgramFolder folder;
  folder.AddMenuMovie();
  ForceDirectories(ExtractFilePath(folder.Path(kBankFileName)));
  ASSERT_TRUE(WriteBytes(folder.Path(kBankFileName), "not a question bank at all"));
  TProgramRun run(folder);
  ASSERT_TRUE(run.Started());
  HWND box = run.WaitForWindow(L"#32770");
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(L"无法连接数据库！\n", StaticTexts(box));
  EXPECT_EQ(L"确定", TextOf(::GetDlgItem(box, IDOK)));  // the system's own Chinese button
  ::Sleep(500);  // the other process paints it meanwhile
  EXPECT_TRUE(SaveWindowScreenshot(box, L"startup_damaged_bank_message"));
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(run.WaitForCleanExit());
}

TEST(StartUp, SecondCopyBringsTheFirstForwardAndEndsSilently) {
  TProgramFolder folder;
  folder.AddMenuMovie();
  folder.AddShippedBank();
  TProgramRun first(folder);
  ASSERT_TRUE(first.Started());
  HWND mainWindow = first.WaitForWindow(L"TFrmStart");
  ASSERT_NE(nullptr, mainWindow) << "the program starts on the shipped bank";
  EXPECT_EQ(kAppTitle, TextOf(mainWindow));
  RECT bounds{};
  ::GetWindowRect(mainWindow, &bounds);
  EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), bounds.right - bounds.left) << "maximised";

  ::ShowWindow(mainWindow, SW_MINIMIZE);
  for (int i = 0; i < 100 && !::IsIconic(mainWindow); ++i) ::Sleep(50);
  ASSERT_TRUE(::IsIconic(mainWindow));

  std::vector<String> shown;
  {
    TProgramRun second(folder);
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(second.WaitForCleanExit(&shown));
  }
  EXPECT_TRUE(shown.empty()) << "the second copy showed " << StringToUtf8(shown.front());
  for (int i = 0; i < 100 && ::IsIconic(mainWindow); ++i) ::Sleep(50);
  EXPECT_FALSE(::IsIconic(mainWindow)) << "the first copy is restored";
  EXPECT_TRUE(::IsWindow(mainWindow)) << "and keeps running";

  ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_TRUE(first.WaitForCleanExit()) << "closing the main window ends the program";
}

// ---- Whole journeys ------------------------------------------------------------------------------

struct TChildSearch {
  const std::function<bool(HWND)>* Match;
  HWND Found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<TChildSearch*>(param);
  if (!(*search->Match)(child)) return TRUE;
  search->Found = child;
  return FALSE;
}

// The first child window of parent that match accepts, once it exists (a window can show a
// moment before its children are made): up to five seconds.
HWND WaitForChild(HWND parent, const std::function<bool(HWND)>& match) {
  TChildSearch search{&match, nullptr};
  for (int tries = 0; tries < 100 && !search.Found; ++tries) {
    ::EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&search));
    if (!search.Found) ::Sleep(50);
  }
  return search.Found;
}

// The menu player inside the main window.
HWND WaitForPlayer(HWND mainWindow) {
  return WaitForChild(mainWindow, [](HWND child) { return ClassOf(child) == L"TShockwaveFlash"; });
}

// Clicks the window at a point of its client area with posted mouse messages.
void PostClick(HWND wnd, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  ::PostMessageW(wnd, WM_MOUSEMOVE, 0, at);
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, at);
}

// Clicks a window in its middle.
void PostClickMiddle(HWND wnd) {
  RECT face{};
  ::GetClientRect(wnd, &face);
  PostClick(wnd, face.right / 2, face.bottom / 2);
}

// The centre of the menu button that sends command, in the player's client coordinates.
POINT ButtonCentre(HWND player, const String& command) {
  const TMenuMovie movie = LoadMenuMovie(BuiltAppFolder() + kMenuMovieFile);
  RECT client{};
  ::GetClientRect(player, &client);
  for (const TMenuButton& button : movie.Buttons)
    if (button.Command == command)
      return POINT{::MulDiv(button.Bounds.Left + button.Bounds.Width / 2, client.right, movie.DesignWidth),
                   ::MulDiv(button.Bounds.Top + button.Bounds.Height / 2, client.bottom, movie.DesignHeight)};
  ADD_FAILURE() << "no button sends " << StringToUtf8(command);
  return POINT{};
}

TEST(Journey, MenuButtonOpensTheAboutBoxWhichCloses) {
  TProgramFolder folder;
  folder.AddMenuMovie();
  folder.AddShippedBank();
  TProgramRun run(folder);
  ASSERT_TRUE(run.Started());
  HWND mainWindow = run.WaitForWindow(L"TFrmStart");
  ASSERT_NE(nullptr, mainWindow);
  HWND player = WaitForPlayer(mainWindow);
  ASSERT_NE(nullptr, player) << "the menu player fills the main window";
  const POINT about = ButtonCentre(player, L"about");
  PostClick(player, about.x, about.y);
  HWND box = run.WaitForWindow(L"TFrmAbout");
  ASSERT_NE(nullptr, box) << "the about box opens";
  EXPECT_EQ(L"关于", TextOf(box));
  EXPECT_FALSE(::IsWindowEnabled(mainWindow)) << "modally";

  HWND close = WaitForChild(box, [](HWND child) { return TextOf(child) == L"关    闭"; });
  ASSERT_NE(nullptr, close);
  PostClickMiddle(close);
  for (int i = 0; i < 200 && ::IsWindowVisible(box); ++i) ::Sleep(50);
  EXPECT_FALSE(::IsWindowVisible(box)) << "and closes";
  for (int i = 0; i < 100 && !::IsWindowEnabled(mainWindow); ++i) ::Sleep(50);
  EXPECT_TRUE(::IsWindowEnabled(mainWindow)) << "the menu is back";

  ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.WaitForCleanExit());
}

TEST(Journey, FullStudyDayEndsTheProgramSilently) {
  TProgramFolder folder;
  folder.AddMenuMovie();
  folder.AddShippedBank();
  {
    TADOConnection cn(nullptr);
    cn.SetConnectionString(DbConnectionString(folder.Path(kBankFileName), kBankPassword));
    cn.SetConnected(true);
    cn.Execute(L"insert into tab_rz (A1, A2, A3, B1, B2, D1) values (#" + FormatDateTime(L"yyyy-mm-dd", Date()) +
               L"#, 0, 0, 0, 0, '24:00:00')");
  }
  TProgramRun run(folder);
  ASSERT_TRUE(run.Started());
  std::vector<String> shown;
  EXPECT_TRUE(run.WaitForCleanExit(&shown));
  for (const String& window : shown) EXPECT_EQ(0u, window.find(L"TFrmStart")) << StringToUtf8(window);
}

bool WaitVisible(HWND wnd, bool visible) {
  for (int i = 0; i < 200 && bool(::IsWindowVisible(wnd)) != visible; ++i) ::Sleep(50);
  return bool(::IsWindowVisible(wnd)) == visible;
}

TEST(Journey, MenuChooserPracticeThreeAnswersAndBack) {
  TProgramFolder folder;
  folder.AddMenuMovie();
  folder.AddShippedBank();
  folder.AddPadPictures();
  TProgramRun run(folder);
  ASSERT_TRUE(run.Started());
  HWND mainWindow = run.WaitForWindow(L"TFrmStart");
  ASSERT_NE(nullptr, mainWindow);
  HWND player = WaitForPlayer(mainWindow);
  ASSERT_NE(nullptr, player) << "the menu player fills the main window";
  const POINT lx2 = ButtonCentre(player, L"lx2");
  PostClick(player, lx2.x, lx2.y);
  HWND chooser = run.WaitForWindow(L"TFrmkmmc");
  ASSERT_NE(nullptr, chooser) << "the chooser opens";
  ::Sleep(300);
  PostClick(chooser, 20 + 55, 496 + 18);  // 练习新题
  HWND practice = run.WaitForWindow(L"TFrmLxxt");
  ASSERT_NE(nullptr, practice) << "the practice window opens";

  for (int answer = 0; answer < 3; ++answer) {
    HWND option =
        WaitForChild(practice, [](HWND child) { return TextOf(child) == L"A" && ::IsWindowVisible(child); });
    ASSERT_NE(nullptr, option) << "answer " << answer;
    PostClickMiddle(option);
    ::Sleep(300);
    if (answer < 2)
      PostClick(practice, 216 + 78 + 37, 548 + 12);  // 下一题
    else
      PostClick(practice, 216 + 2 * 78 + 37, 584 + 12);  // 关闭
    ::Sleep(300);
  }
  EXPECT_TRUE(WaitVisible(practice, false)) << "the practice window closes";
  EXPECT_TRUE(WaitVisible(chooser, true)) << "the chooser comes back";
  PostClick(chooser, 770 + 55, 496 + 18);  // 关闭
  EXPECT_TRUE(WaitVisible(chooser, false));
  for (int i = 0; i < 100 && !::IsWindowEnabled(mainWindow); ++i) ::Sleep(50);
  EXPECT_TRUE(::IsWindowEnabled(mainWindow)) << "the menu is back";
  ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.WaitForCleanExit());

  TADOConnection cn(nullptr);
  cn.SetConnectionString(DbConnectionString(folder.Path(kBankFileName), kBankPassword));
  cn.SetConnected(true);
  EXPECT_EQ(3, SelectInt(cn, L"select sum(e3) from tab_answ"));
  EXPECT_EQ(3, SelectInt(cn, L"select count(*) from tab_answ where e2 = 'A'"));
  EXPECT_EQ(3, SelectInt(cn, L"select sum(A2) from tab_rz"));
  EXPECT_EQ(3, SelectInt(cn, L"select sum(D1) from tab_kmmc where len(C1) = 6"));
}

// Closes the viewer windows the shell opened on a document named text (there may be none when
// the system has no viewer); gives them up to ten seconds to appear.
void CloseViewersOf(const String& text, DWORD program) {
  for (int tries = 0; tries < 40; ++tries) {
    bool closed = false;
    for (HWND wnd : VisibleWindowsOf(kAnyProcess)) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(wnd, &owner);
      if (owner == program || TextOf(wnd).find(text) == String::npos) continue;
      ::PostMessageW(wnd, WM_CLOSE, 0, 0);
      closed = true;
    }
    if (closed) return;
    ::Sleep(250);
  }
}

TEST(Journey, MenuMockExamTenAnswersHandInReviewExportAndRecords) {
  TProgramFolder folder;
  folder.AddMenuMovie();
  folder.AddShippedBank();
  folder.AddPadPictures();
  TProgramRun run(folder);
  ASSERT_TRUE(run.Started());
  HWND mainWindow = run.WaitForWindow(L"TFrmStart");
  ASSERT_NE(nullptr, mainWindow);
  HWND player = WaitForPlayer(mainWindow);
  ASSERT_NE(nullptr, player);
  const POINT mnks2 = ButtonCentre(player, L"mnks2");
  PostClick(player, mnks2.x, mnks2.y);
  HWND exam = run.WaitForWindow(L"TFrmExam");
  ASSERT_NE(nullptr, exam) << "the exam window opens";
  EXPECT_EQ(L"正在答卷", TextOf(exam));
  // The window's face: every command is drawn on it.
  HWND face = WaitForChild(exam, [](HWND child) {
    RECT r{};
    ::GetClientRect(child, &r);
    return ClassOf(child) == L"TPanel" && r.right == 1000;
  });
  ASSERT_NE(nullptr, face);
  ::Sleep(300);
  for (int answer = 0; answer < 10; ++answer) {
    HWND option = WaitForChild(exam, [](HWND child) { return TextOf(child) == L"A" && ::IsWindowVisible(child); });
    ASSERT_NE(nullptr, option) << "answer " << answer;
    PostClickMiddle(option);
    ::Sleep(200);
    PostClick(face, 456 + 50, 606 + 18);  // 下一题
    ::Sleep(300);
  }
  PostClick(face, 580 + 50, 600 + 14);  // 交卷
  HWND dialog = run.WaitForWindow(L"TFrmDlg");
  ASSERT_NE(nullptr, dialog) << "the hand-in dialog asks";
  HWND confirm = WaitForChild(dialog, [](HWND child) { return TextOf(child) == L"确定" && ::IsWindowVisible(child); });
  ASSERT_NE(nullptr, confirm);
  PostClickMiddle(confirm);
  for (int i = 0; i < 200 && TextOf(exam) != L"查阅试卷"; ++i) ::Sleep(50);
  ASSERT_EQ(L"查阅试卷", TextOf(exam)) << "graded, the paper is reviewed";
  EXPECT_TRUE(WaitVisible(exam, true));
  ::Sleep(300);
  PostClick(face, 788 + 50, 600 + 14);  // 生成文档
  const String document = folder.Path(L"data\\tab_exam1.rtf");
  for (int i = 0; i < 200 && !FileExists(document); ++i) ::Sleep(50);
  EXPECT_TRUE(FileExists(document)) << "the paper is exported";
  CloseViewersOf(L"tab_exam1", run.Pid());
  ::Sleep(300);
  PostClick(face, 860 + 66, 636 + 14);  // 关闭
  EXPECT_TRUE(WaitVisible(exam, false)) << "the review closes";
  for (int i = 0; i < 100 && !::IsWindowEnabled(mainWindow); ++i) ::Sleep(50);

  const POINT cj = ButtonCentre(player, L"cj");
  PostClick(player, cj.x, cj.y);
  HWND records = run.WaitForWindow(L"TFrmCheck");
  ASSERT_NE(nullptr, records) << "the records open";
  ::Sleep(300);
  ::PostMessageW(records, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitVisible(records, false));
  for (int i = 0; i < 100 && !::IsWindowEnabled(mainWindow); ++i) ::Sleep(50);
  EXPECT_TRUE(::IsWindowEnabled(mainWindow)) << "the menu is back";
  ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.WaitForCleanExit());

  std::string rtf;
  ASSERT_TRUE(ReadBytes(document, rtf));
  EXPECT_EQ(0u, rtf.find("{\\rtf1"));
  TADOConnection cn(nullptr);
  cn.SetConnectionString(DbConnectionString(folder.Path(kBankFileName), kBankPassword));
  cn.SetConnected(true);
  EXPECT_EQ(10, SelectInt(cn, L"select sum(A2) from tab_rz")) << "ten answers counted";
  EXPECT_EQ(10, SelectInt(cn, L"select count(*) from tab_answ where e2 = 'A'"));
  // Ten answers earn at most 10 points: the paper went with its record when its review closed.
  EXPECT_EQ(0, SelectInt(cn, L"select count(*) from tab_cj"));
  EXPECT_NE(L"", SelectText(cn, L"select D1 from tab_rz")) << "the exam's time is in the log";
}

}  // namespace
