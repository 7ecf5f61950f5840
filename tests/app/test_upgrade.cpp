// The upgrade window on a copy of the shipped bank: a good upgrade appends all five tables
// once; every refused or failing file leaves the bank exactly as it was; downloads are
// applied only when that run fetched the whole file.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include "app/ProgramClasses.h"
#include "LoopbackServer.h"
#include "WindowTestSupport.h"
#include "app/dm.h"
#include "app/ustxz.h"
#include "classlib/system/SysFiles.h"
#include "data/tools/BankWriter.h"
#include "tests/ApplicationTestSupport.h"

#include <shellapi.h>  // after the windows headers it needs

namespace {

const wchar_t* const kTables[] = {L"tab_kmmc", L"tab_exer", L"tab_answ", L"tab_rule", L"tab_fgmc", L"tab_sj"};

// A folder of the test's own whose name holds a quote and Chinese characters.
class TUpgradeFolder : public TTestFolder {
 public:
  TUpgradeFolder() : TTestFolder(L"升级 it's_") {}
};

// Writes an upgrade file: the bank's schema without a password, one row in each of the five
// tables and tab_sj naming the upgrade and the product.
void WriteUpgradeFile(const String& file, const String& sjbs, const String& cpbs, const String& questionId = L"UPG0001") {
  WriteBank(TBankContent{}, file, L"");
  TADOConnection cn(nullptr);
  cn.SetConnectionString(BankConnectionString(file, L""));
  cn.Open();
  cn.Execute(L"delete from tab_sj");
  cn.Execute(L"delete from tab_plan");
  if (!sjbs.empty()) cn.Execute(L"insert into tab_sj(sjbs,cpbs) values(" + QuotedStr(sjbs) + L"," + QuotedStr(cpbs) + L")");
  cn.Execute(L"insert into tab_kmmc(bh,C1,C1_1,C2) values(990,'Z9','Z9','升级章节')");
  cn.Execute(L"insert into tab_exer(a1,a15,jx) values(" + QuotedStr(questionId) + L",'{\\rtf1 题干}','{\\rtf1 解析}')");
  cn.Execute(L"insert into tab_answ(a1,a2,a10,a13) values(" + QuotedStr(questionId) + L",'A','Z9',11)");
  cn.Execute(L"insert into tab_rule(id,ftid,sn) values('Z901','Z90100001','第一条')");
  cn.Execute(L"insert into tab_fgmc(id,n) values('Z901','升级法规')");
  cn.Close();
}

std::string FileBytes(const String& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const String& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class UpgradeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Window = TCustomForm::Create<Tfrmstxz>(Application);
    Window->DownloadDir = Folder.Path();
    Window->RadioGroup1->SetItemIndex(0);
  }
  void TearDown() override { delete Window; }

  std::map<String, int> Counts() {
    std::map<String, int> counts;
    for (const wchar_t* table : kTables) counts[table] = SelectInt(Data.Cn(), L"select count(*) from " + String(table));
    return counts;
  }
  String Integrity() { return SelectText(Data.Cn(), L"select integrity_check from pragma_integrity_check"); }
  // The text of the last message shown.
  String LastMessage() const {
    if (Responders.Log.Dialogs.empty()) return String();
    const String& d = Responders.Log.Dialogs.back();
    const size_t first = d.find(L'|');
    return d.substr(first + 1, d.find(L'|', first + 1) - first - 1);
  }

  TProgramData Data;
  TRecordingResponders Responders;
  TUpgradeFolder Folder;
  Tfrmstxz* Window = nullptr;
};

}  // namespace

// The button the "choose a file" message names shows a folder, drawn over the window with the
// picture's background left out, and goes with the file box when the network is chosen.
TEST_F(UpgradeTest, TheFileButtonShowsAFolder) {
  Window->Show();
  PumpAWhile();
  TSpeedButton* button = Window->SpeedButton1;
  ASSERT_TRUE(button->GetVisible());
  EXPECT_TRUE(button->GetCaption().empty());
  auto count = [&](const std::function<bool(COLORREF)>& match) {
    ::RedrawWindow(Window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const TClientPixels screen = GrabClient(Window->GetHandle());
    int n = 0;
    for (int y = button->GetTop(); y < button->GetTop() + button->GetHeight(); ++y)
      for (int x = button->GetLeft(); x < button->GetLeft() + button->GetWidth(); ++x) n += match(screen.At(x, y));
    return n;
  };
  auto folderYellow = [](COLORREF c) { return GetRValue(c) > 220 && GetGValue(c) > 180 && GetBValue(c) < 130; };
  auto outline = [](COLORREF c) { return GetRValue(c) < 150 && GetGValue(c) < 110 && GetBValue(c) < 40; };
  auto key = [](COLORREF c) { return c == RGB(255, 0, 255); };
  EXPECT_GT(count(folderYellow), 60) << "the folder's face";
  EXPECT_GT(count(outline), 40) << "its outline";
  EXPECT_EQ(0, count(key)) << "the picture's background is not drawn";
  EXPECT_TRUE(SaveShotsOverMenu(Window->GetHandle(), L"upgrade_window_local"));

  Window->RadioGroup1->SetItemIndex(1);
  Window->RadioGroup1Click(Window->RadioGroup1);
  EXPECT_FALSE(button->GetVisible());
  EXPECT_EQ(0, count(folderYellow)) << "hidden with the file box";
  Window->Hide();
}

TEST_F(UpgradeTest, GoodFileAppendsEveryTableOnceThroughAQuotedChinesePath) {
  const String file = Folder.Path() + L"升级'题库.mdb";
  WriteUpgradeFile(file, L"UPG-TEST-01", kBankProductId);
  std::map<String, int> before = Counts();
  Window->Edit1->SetText(L"  " + file + L" ");
  Window->epFocusButton1Click(nullptr);
  EXPECT_EQ(LastMessage(), L"升级成功！");
  std::map<String, int> after = Counts();
  for (const wchar_t* table : kTables) EXPECT_EQ(after[table], before[table] + 1) << table;
  EXPECT_EQ(SelectText(Data.Cn(), L"select a2 from tab_answ where a1='UPG0001'"), L"A");
  EXPECT_EQ(SelectText(Data.Cn(), L"select n from tab_fgmc where id='Z901'"), L"升级法规");
  EXPECT_FALSE(DM1->ADOCn2->GetConnected());

  EXPECT_FALSE(Window->ApplyUpgrade(file));
  EXPECT_EQ(LastMessage(), L"您已升级过了！");
  EXPECT_EQ(Counts(), after);
  // The file is not held open: it can be deleted.
  EXPECT_TRUE(DeleteFileW(file.c_str()));
}

TEST_F(UpgradeTest, RefusedAndFailingFilesLeaveTheBankAsItWas) {
  const std::map<String, int> before = Counts();
  const String good = Folder.Path() + L"good.mdb";
  WriteUpgradeFile(good, L"UPG-TEST-02", kBankProductId);
  const std::string goodBytes = FileBytes(good);

  // Message nullptr: the file opens but cannot be read, or is refused either way.
  struct Case {
    const wchar_t* Name;
    std::function<void(const String&)> Make;
    const wchar_t* Message;
  };
  const std::vector<Case> cases = {
      {L"other.mdb", [](const String& f) { WriteUpgradeFile(f, L"UPG-OTHER", L"ANOTHER-PRODUCT"); }, L"升级文件不属于本软件！"},
      {L"nosj.mdb", [](const String& f) { WriteUpgradeFile(f, L"", L""); }, L"升级文件不属于本软件！"},
      {L"text.mdb", [](const String& f) { WriteBytes(f, "this is a text file, not a question bank\r\n"); }, L"无法打开升级文件！"},
      // An empty file opens as a database without tables.
      {L"empty.mdb", [](const String& f) { WriteBytes(f, ""); }, nullptr},
      {L"half.mdb", [&](const String& f) { WriteBytes(f, goodBytes.substr(0, goodBytes.size() / 2)); }, nullptr},
      {L"protected.mdb", [](const String& f) { CopyFileW(BuiltBankFile().c_str(), f.c_str(), FALSE); }, L"无法打开升级文件！"},
      // A question the bank has already: the insert fails and everything is rolled back.
      {L"duplicate.mdb",
       [&](const String& f) {
         WriteUpgradeFile(f, L"UPG-DUP", kBankProductId, SelectText(Data.Cn(), L"select top 1 a1 from tab_answ"));
       },
       L"升级失败！"},
      {L"missing.mdb", [](const String&) {}, L"无法打开升级文件！"},
  };
  for (const Case& c : cases) {
    const String file = Folder.Path() + c.Name;
    c.Make(file);
    Responders.Log.Clear();
    bool raised = false;
    try {
      EXPECT_FALSE(Window->ApplyUpgrade(file)) << StringToUtf8(c.Name);
    } catch (const std::exception&) {
      raised = true;
    }
    if (c.Message) {
      EXPECT_FALSE(raised) << StringToUtf8(c.Name);
      EXPECT_EQ(LastMessage(), c.Message) << StringToUtf8(c.Name);
    } else if (!raised) {
      EXPECT_TRUE(LastMessage() == L"无法打开升级文件！" || LastMessage() == L"升级失败！") << StringToUtf8(c.Name);
    }
    EXPECT_EQ(Counts(), before) << StringToUtf8(c.Name);
    EXPECT_EQ(Integrity(), L"ok") << StringToUtf8(c.Name);
    EXPECT_FALSE(DM1->ADOCn2->GetConnected());
  }
  // A file that opens but has no tab_sj to read: the error is not the window's to tell; it
  // reaches the application's error message, and the file is let go.
  const String noTable = Folder.Path() + L"notable.mdb";
  WriteUpgradeFile(noTable, L"UPG-NOTABLE", kBankProductId);
  {
    TADOConnection cn(nullptr);
    cn.SetConnectionString(BankConnectionString(noTable, L""));
    cn.Open();
    cn.Execute(L"drop table tab_sj");
  }
  Responders.Log.Clear();
  EXPECT_THROW(Window->ApplyUpgrade(noTable), std::exception);
  EXPECT_EQ(LastMessage(), L"") << "the window says nothing of it";
  EXPECT_EQ(Counts(), before);
  EXPECT_FALSE(DM1->ADOCn2->GetConnected());

  // An empty path asks for a file.
  Window->Edit1->SetText(L"   ");
  Window->epFocusButton1Click(nullptr);
  EXPECT_EQ(LastMessage(), L"请点击文件夹按钮选择升级文件！");
}

TEST_F(UpgradeTest, ColumnsInAnotherOrderLandInTheirOwnColumns) {
  const String file = Folder.Path() + L"reordered.mdb";
  WriteUpgradeFile(file, L"UPG-TEST-03", kBankProductId);
  {
    TADOConnection cn(nullptr);
    cn.SetConnectionString(BankConnectionString(file, L""));
    cn.Open();
    std::vector<String> columns = cn.TableColumns(L"", L"tab_fgmc");
    String reversed;
    for (auto c = columns.rbegin(); c != columns.rend(); ++c) reversed += (reversed.empty() ? L"" : L",") + *c;
    cn.Execute(L"create table fg2 as select " + reversed + L" from tab_fgmc");
    cn.Execute(L"drop table tab_fgmc");
    cn.Execute(L"alter table fg2 rename to tab_fgmc");
    ASSERT_EQ(cn.TableColumns(L"", L"tab_fgmc").front(), columns.back());
  }
  EXPECT_TRUE(Window->ApplyUpgrade(file));
  EXPECT_EQ(SelectText(Data.Cn(), L"select n from tab_fgmc where id='Z901'"), L"升级法规");
}

TEST_F(UpgradeTest, DownloadIsAppliedOnlyWhenThatRunSucceeded) {
  UnsetProxyVariables();
  TLoopbackHttpServer server;
  const String made = Folder.Path() + L"made.mdb";
  WriteUpgradeFile(made, L"UPG-TEST-04", kBankProductId);
  server.Script("/update/Updbexer.mdb", {200, FileBytes(made)});
  const String base = L"http://127.0.0.1:" + std::to_wstring(server.Port());
  const String target = Folder.Path() + kUpgradeFileName;
  Window->Show();
  Window->RadioGroup1->SetItemIndex(1);
  // The start button has the focus, as after a click.
  Window->epFocusButton1->SetFocus();
  const DWORD shown = GetTickCount();
  PumpApplicationUntil([&] { return GetTickCount() - shown > 300; }, 2000, 10);
  SaveWindowShot(Window->GetHandle(), L"upgrade_window");

  // A stale good file in the folder and a 404: the file is never applied.
  CopyFileW(made.c_str(), target.c_str(), FALSE);
  const std::map<String, int> before = Counts();
  Window->ComboBox1->SetText(base + L"/missing/Updbexer.mdb");
  Window->epFocusButton1Click(nullptr);
  EXPECT_TRUE(Window->GetDownloading());
  EXPECT_FALSE(Window->epFocusButton3->GetEnabled());
  EXPECT_FALSE(Window->CloseQuery());
  ASSERT_TRUE(PumpApplicationUntil([&] { return !Responders.Log.Dialogs.empty(); }, 20000, 5));
  EXPECT_EQ(LastMessage(), L"未找到升级文件,请查看升级地址是否正确！");
  EXPECT_EQ(Counts(), before);
  EXPECT_FALSE(FileExists(target));
  EXPECT_TRUE(Window->epFocusButton1->GetEnabled());
  EXPECT_EQ(Window->RadioGroup1->GetItemIndex(), 1);

  // The right address: downloaded and applied end to end.
  Responders.Log.Clear();
  Window->ComboBox1->SetText(base + L"/update/Updbexer.mdb");
  Window->epFocusButton1Click(nullptr);
  ASSERT_TRUE(PumpApplicationUntil([&] { return !Responders.Log.Dialogs.empty(); }, 20000, 5));
  EXPECT_EQ(LastMessage(), L"升级成功！");
  EXPECT_EQ(Counts()[L"tab_sj"], before.at(L"tab_sj") + 1);
  EXPECT_TRUE(Window->CloseQuery());

  // An empty address puts the default back.
  Responders.Log.Clear();
  Window->ComboBox1->SetText(L"  ");
  Window->epFocusButton1Click(nullptr);
  EXPECT_EQ(LastMessage(), L"请选择升级文件所在网络地址！");
  EXPECT_EQ(Window->ComboBox1->GetText(), kDefaultUpgradeAddress);
  Window->Hide();
}

TEST_F(UpgradeTest, AFileAppearingWhileAFailingDownloadRunsIsNotApplied) {
  UnsetProxyVariables();
  TLoopbackHttpServer server;
  const String made = Folder.Path() + L"made.mdb";
  WriteUpgradeFile(made, L"UPG-TEST-05", kBankProductId);
  const std::string body = FileBytes(made);
  // The reply stops after a few bytes and, once let go, closes short of its length.
  TReply reply{200, body};
  reply.StallAfter = 64;
  server.Script("/update/Updbexer.mdb", reply);
  const String target = Folder.Path() + kUpgradeFileName;
  const std::map<String, int> before = Counts();
  Window->Show();
  Window->RadioGroup1->SetItemIndex(1);
  Window->ComboBox1->SetText(L"http://127.0.0.1:" + std::to_wstring(server.Port()) + L"/update/Updbexer.mdb");
  Window->epFocusButton1Click(nullptr);
  ASSERT_TRUE(Window->GetDownloading());
  ASSERT_TRUE(PumpApplicationUntil([&] { return server.Requests() > 0; }, 10000, 5));
  // A good upgrade file lands at the target while the run is still going.
  ASSERT_TRUE(CopyFileW(made.c_str(), target.c_str(), FALSE));
  server.Release();
  ASSERT_TRUE(PumpApplicationUntil([&] { return !Responders.Log.Dialogs.empty(); }, 20000, 5));
  EXPECT_EQ(LastMessage(), L"未找到升级文件,请查看升级地址是否正确！");
  EXPECT_EQ(Counts(), before) << "the file this run did not fetch is never applied";
  EXPECT_FALSE(Window->GetDownloading());
  Window->Hide();
}

// ---- Killed in the middle --------------------------------------------------------------------

// The child mode: "--apply-upgrade BANK FILE EVENT" applies FILE to BANK through the window,
// signalling the named event just before, and exits 0 when the bank was upgraded.
bool RunUpgradeChildIfAsked(int& result) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 5 || String(argv[1]) != L"--apply-upgrade") {
    if (argv) LocalFree(argv);
    return false;
  }
  const String bank = argv[2];
  const String file = argv[3];
  const String started = argv[4];
  LocalFree(argv);
  Application->Initialize();
  RegisterLayoutClasses();
  SetShowDlgResponder([](const String&, const String&, int, int, const String&) { return 1; });
  DM1 = new TDM1(nullptr);
  DM1->ADOCn1->SetConnectionString(DbConnectionString(bank, kBankPassword));
  DM1->ADOCn1->SetConnected(true);
  auto* window = TCustomForm::Create<Tfrmstxz>(Application);
  if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, started.c_str())) {
    SetEvent(event);
    CloseHandle(event);
  }
  result = window->ApplyUpgrade(file) ? 0 : 1;
  return true;
}

namespace {

// Starts this executable in the child mode; the process handle, or nullptr.
const String kStartedEvent = L"ExamPrepUpgradeStarted_" + std::to_wstring(GetCurrentProcessId());

HANDLE StartUpgradeChild(const String& bank, const String& file) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  String command = L"\"" + String(self) + L"\" --apply-upgrade \"" + bank + L"\" \"" + file + L"\" " + kStartedEvent;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

int CountIn(const String& bank, const String& table) {
  TADOConnection cn(nullptr);
  cn.SetConnectionString(DbConnectionString(bank, kBankPassword));
  cn.Open();
  return SelectInt(cn, L"select count(*) from " + table);
}

}  // namespace

TEST(UpgradeKill, KilledAtAnyMomentTheBankIsUpgradedOrUntouched) {
  TUpgradeFolder folder;
  const String file = folder.Path() + L"kill.mdb";
  WriteUpgradeFile(file, L"UPG-KILL", kBankProductId);
  {
    // Enough rows that the inserts take a while.
    TADOConnection cn(nullptr);
    cn.SetConnectionString(BankConnectionString(file, L""));
    cn.Open();
    cn.BeginTrans();
    const String rtf = L"'{\\rtf1 " + String(2000, L'x') + L"}'";
    for (int i = 2; i <= 3000; ++i) {
      const String id = QuotedStr(L"UPG" + IntToStr(int64_t(10000 + i)));
      cn.Execute(L"insert into tab_exer(a1,a15,jx) values(" + id + L"," + rtf + L"," + rtf + L")");
      cn.Execute(L"insert into tab_answ(a1,a2,a10,a13) values(" + id + L",'A','Z9',11)");
    }
    cn.CommitTrans();
  }
  const String bank = folder.Path() + L"bank.mdb";
  // How long a whole run takes, to spread the kills over it.
  ASSERT_TRUE(CopyFileW(BuiltBankFile().c_str(), bank.c_str(), FALSE));
  const int before = CountIn(bank, L"tab_answ");
  HANDLE started = CreateEventW(nullptr, FALSE, FALSE, kStartedEvent.c_str());
  HANDLE whole = StartUpgradeChild(bank, file);
  ASSERT_NE(whole, nullptr);
  ASSERT_EQ(WaitForSingleObject(started, 60000), WAIT_OBJECT_0);
  const DWORD start = GetTickCount();
  ASSERT_EQ(WaitForSingleObject(whole, 60000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(whole, &code);
  CloseHandle(whole);
  const DWORD span = GetTickCount() - start;
  ASSERT_EQ(code, 0u);
  ASSERT_EQ(CountIn(bank, L"tab_answ"), before + 3000);

  srand(static_cast<unsigned>(start));
  int upgraded = 0, untouched = 0;
  for (int round = 0; round < 30; ++round) {
    ASSERT_TRUE(CopyFileW(BuiltBankFile().c_str(), bank.c_str(), FALSE));
    DeleteFileW((bank + L"-journal").c_str());
    HANDLE child = StartUpgradeChild(bank, file);
    ASSERT_NE(child, nullptr);
    HANDLE both[] = {started, child};
    WaitForMultipleObjects(2, both, FALSE, 60000);
    if (WaitForSingleObject(child, static_cast<DWORD>(rand()) % (span + 1)) == WAIT_TIMEOUT) {
      TerminateProcess(child, 9);
    }
    WaitForSingleObject(child, 10000);
    CloseHandle(child);
    const int answ = CountIn(bank, L"tab_answ");
    const int exer = CountIn(bank, L"tab_exer");
    const int sj = CountIn(bank, L"tab_sj");
    if (answ == before) {
      ++untouched;
      EXPECT_EQ(sj, 1) << round;
    } else {
      ++upgraded;
      EXPECT_EQ(answ, before + 3000) << round;
      EXPECT_EQ(sj, 2) << round;
    }
    EXPECT_EQ(exer - answ, CountIn(BuiltBankFile(), L"tab_exer") - before) << round;
    TADOConnection cn(nullptr);
    cn.SetConnectionString(DbConnectionString(bank, kBankPassword));
    cn.Open();
    EXPECT_EQ(SelectText(cn, L"select integrity_check from pragma_integrity_check"), L"ok") << round;
  }
  CloseHandle(started);
  DeleteFileW(bank.c_str());
  DeleteFileW((bank + L"-journal").c_str());
}
