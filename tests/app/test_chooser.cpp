// The subject and chapter chooser on a copy of the shipped bank: the practice sets of its
// three modes with rows arranged by hand, the empty-set messages, the totals, the return
// to the chapter practised, practice and entry windows that fail, the guidance button, and
// the window itself opened from the menu at both screen layouts.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/Uconfig.h"
#include "app/Ucommon.h"
#include "app/Ukmmc.h"
#include "app/start.h"

namespace {

// Question ids of a query's rows, joined by "|".
String Ids(TADOQuery& query) {
  String ids;
  for (query.First(); !query.GetEof(); query.Next())
    ids += (ids.empty() ? L"" : L"|") + query.FieldByName(L"a1")->GetAsString();
  return ids;
}

bool Has(const String& ids, const String& id) { return (L"|" + ids + L"|").find(L"|" + id + L"|") != String::npos; }

// What the practice windows made by FakePracticeMaker did.
struct TPracticeLog {
  int Made = 0, Freed = 0, Shown = 0;
  std::vector<String> Captions;
  std::vector<String> Sets;          // ids of each loaded set
  bool ChooserHiddenWhileShown = false;
  bool ThrowOnLoad = false, ThrowOnShow = false;
  std::function<void()> WhileShown;  // runs while "shown"
};

// A practice window that loads PracticeSQL on the practice query, as the real one does.
class TFakePractice : public TChooserPractice {
 public:
  explicit TFakePractice(TPracticeLog& log) : FLog(log) { ++FLog.Made; }
  ~TFakePractice() override { ++FLog.Freed; }
  void SetCaption(const String& caption) override { FLog.Captions.push_back(caption); }
  bool LoadQuestions() override {
    if (FLog.ThrowOnLoad) throw Exception(L"the set could not be loaded");
    TADOQuery* query = DM1->Cn1Query_tm;
    query->Close();
    query->GetSQL()->SetText(PracticeSQL);
    query->Open();
    FLog.Sets.push_back(Ids(*query));
    return !query->IsEmpty();
  }
  void ShowModal() override {
    ++FLog.Shown;
    FLog.ChooserHiddenWhileShown = !Frmkmmc->GetVisible() && !ChooserShown;
    if (FLog.WhileShown) FLog.WhileShown();
    if (FLog.ThrowOnShow) throw Exception(L"the practice window failed");
  }

 private:
  TPracticeLog& FLog;
};

struct TEntryLog {
  int Made = 0, Freed = 0;
  String Heading, Code;
  int Saved = 0;
  bool ThrowOnShow = false;
};

class TFakeEntry : public TChooserEntry {
 public:
  explicit TFakeEntry(TEntryLog& log) : FLog(log) { ++FLog.Made; }
  ~TFakeEntry() override { ++FLog.Freed; }
  void Prepare(const String& heading, const String& code) override {
    FLog.Heading = heading;
    FLog.Code = code;
  }
  void ShowModal() override {
    if (FLog.ThrowOnShow) throw Exception(L"the entry window failed");
  }
  int GetSavedCount() const override { return FLog.Saved; }

 private:
  TEntryLog& FLog;
};

class Chooser : public ::testing::Test {
 protected:
  void SetUp() override {
    ScreenMode = L"1024";
    PracticeSQL.clear();
    ChooserShown = false;
    Frmkmmc = TCustomForm::Create<TFrmkmmc>(Application);
  }
  void TearDown() override {
    SetPracticeWindowMaker(nullptr);
    SetEntryWindowMaker(nullptr);
    delete std::exchange(Frmkmmc, nullptr);
    ChooserShown = false;
    Screen->SetCursor(crDefault);
  }
  void UsePractice() {
    SetPracticeWindowMaker([this] { return std::make_unique<TFakePractice>(Practice); });
  }
  void UseEntry() {
    SetEntryWindowMaker([this] { return std::make_unique<TFakeEntry>(Entry); });
  }
  void ShowChooser() {
    if (Frmkmmc->GetVisible())
      Frmkmmc->Hide();
    Frmkmmc->Show();
  }
  void Select(const String& code) {
    ASSERT_TRUE(DM1->Cn1Table_kmmc->Locate(L"C1", Variant(code), {})) << StringToUtf8(code);
  }
  String Current(const wchar_t* column) { return DM1->Cn1Table_kmmc->FieldByName(column)->GetAsString(); }
  // Practises the chapter in a mode through its speed button; the loaded set's ids.
  String Practise(const String& code, int mode) {
    Select(code);
    TSpeedButton* buttons[] = {Frmkmmc->SpeedButton1, Frmkmmc->SpeedButton2, Frmkmmc->SpeedButton3};
    const size_t before = Practice.Sets.size();
    buttons[mode - 1]->Click();
    return Practice.Sets.size() > before ? Practice.Sets.back() : L"(not loaded)";
  }
  std::vector<String> Questions(const String& chapter) {
    return SelectColumn(Data.Cn(), L"select a1 from tab_answ where a10 = '" + chapter + L"' order by a1");
  }

  TProgramData Data;
  TRecordingResponders Responders;
  TPracticeLog Practice;
  TEntryLog Entry;
};

TEST_F(Chooser, OnlyTheThreeModesHaveAQuery) {
  for (int mode : {1, 2, 3}) EXPECT_NE(String::npos, PracticeQueryText(mode, L"21'9").find(L"(left(A10,4) = '21''9')"));
  EXPECT_EQ(L"", PracticeQueryText(0, L"21"));
  EXPECT_EQ(L"", PracticeQueryText(4, L"21"));
}

TEST_F(Chooser, EachModeTakesItsQuestionsOfTheChapterAndItsSubChapters) {
  Data.Exec(L"update tab_answ set e2 = null, e3 = 0, e4 = 0, f1 = 0");
  const std::vector<String> first = Questions(L"210101"), second = Questions(L"210102");
  const std::vector<String> other = Questions(L"220101");
  ASSERT_GE(first.size(), 2u);
  ASSERT_GE(second.size(), 3u);
  ASSERT_GE(other.size(), 1u);
  const String right = first[0], wrong = first[1];
  const String voidedNew = second[0], voidedWrong = second[1], cleared = second[2], outside = other[0];
  auto set = [&](const String& id, const String& values) {
    Data.Exec(L"update tab_answ set " + values + L" where a1 = '" + id + L"'");
  };
  set(right, L"e2 = 'A', e3 = 1, e4 = 0");
  set(wrong, L"e2 = 'B', e3 = 2, e4 = -3");
  set(voidedNew, L"f1 = 1");
  set(voidedWrong, L"e2 = 'C', e3 = 1, e4 = -1, f1 = 1");
  set(cleared, L"e2 = ''");
  set(outside, L"e2 = 'D', e3 = 1, e4 = -3");
  UsePractice();
  ShowChooser();

  const String fresh = Practise(L"21", 1);
  for (const String& id : {right, wrong, voidedNew, voidedWrong, outside})
    EXPECT_FALSE(Has(fresh, id)) << StringToUtf8(id);
  EXPECT_TRUE(Has(fresh, cleared)) << "a cleared answer is a new question";
  const size_t leaves = first.size() + second.size();
  EXPECT_EQ(leaves - 4, static_cast<size_t>(std::count(fresh.begin(), fresh.end(), L'|') + 1));
  EXPECT_TRUE(Has(Practise(L"2", 1), cleared)) << "a subject takes every chapter below it";
  EXPECT_FALSE(Has(Practise(L"210101", 1), cleared));

  EXPECT_EQ(wrong, Practise(L"21", 2)) << "voided and outside wrong questions are left out";
  const String wrongOfSubject = Practise(L"2", 2);
  EXPECT_TRUE(Has(wrongOfSubject, wrong) && Has(wrongOfSubject, outside));
  EXPECT_EQ(1, std::count(wrongOfSubject.begin(), wrongOfSubject.end(), L'|'));

  const String doneOfLeaf = Practise(L"210101", 3);
  EXPECT_TRUE(Has(doneOfLeaf, right) && Has(doneOfLeaf, wrong));
  EXPECT_EQ(1, std::count(doneOfLeaf.begin(), doneOfLeaf.end(), L'|'));
  const String done = Practise(L"21", 3);
  EXPECT_TRUE(Has(done, voidedWrong)) << "the done set includes voided questions";
  EXPECT_FALSE(Has(done, cleared)) << "a cleared answer was never given";
  EXPECT_FALSE(Has(done, voidedNew));
  EXPECT_EQ(3, std::count(done.begin(), done.end(), L'|') + 1);

  EXPECT_EQ(L"21", Frmkmmc->GetLastChapter());
  EXPECT_EQ(L"习题重温", Practice.Captions.back());
  EXPECT_EQ(Practice.Made, Practice.Freed);
  EXPECT_TRUE(Practice.ChooserHiddenWhileShown);
  EXPECT_TRUE(Frmkmmc->GetVisible());
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(Chooser, EmptySetsAreToldWithTheirIconsAndNothingIsShown) {
  Data.Exec(L"update tab_answ set e2 = 'A', e3 = 1, e4 = 0 where left(a10, 6) = '210101'");
  UsePractice();
  ShowChooser();
  EXPECT_EQ(L"", Practise(L"210101", 1));
  EXPECT_EQ(L"", Practise(L"210101", 2));
  EXPECT_EQ(L"", Practise(L"220101", 3));
  Select(L"210101");
  Frmkmmc->DBGrid1DblClick(Frmkmmc->DBGrid1);
  EXPECT_EQ((std::vector<String>{L"提示|恭喜，习题已做完！|1|0|NO", L"提示|本章节下没有错题！|1|1|NO",
                                 L"提示|本章节习题还未曾做过！|1|1|NO", L"提示|恭喜，习题已做完！|1|0|NO"}),
            Responders.Log.Dialogs);
  EXPECT_EQ(0, Practice.Shown);
  EXPECT_EQ(4, Practice.Freed);
  EXPECT_EQ(crDefault, Screen->GetCursor());
}

TEST_F(Chooser, QuotedCodesEmptyTablesAndNoPracticeWindowYet) {
  ShowChooser();
  Select(L"210101");
  Frmkmmc->SpeedButton2->Click();  // no practice window is installed: the query only
  EXPECT_EQ(PracticeQueryText(2, L"210101"), PracticeSQL);
  EXPECT_TRUE(Responders.Log.Empty());

  UsePractice();
  Data.Exec(L"insert into tab_kmmc (bh, C1, C1_1, C2, C3, D1, D2) values (999, '21''9', '21''9', 'q', 0, 0, 0)");
  ShowChooser();
  EXPECT_EQ(L"", Practise(L"21'9", 1));
  EXPECT_NE(String::npos, PracticeSQL.find(L"= '21''9')"));

  // With no chapter at all nothing is selected, not the whole bank.
  Data.Exec(L"delete from tab_kmmc");
  ShowChooser();
  PracticeSQL = L"unchanged";
  const int made = Practice.Made;
  Frmkmmc->SpeedButton1->Click();
  Frmkmmc->SpeedButton5->Click();
  EXPECT_EQ(L"unchanged", PracticeSQL);
  EXPECT_EQ(made, Practice.Made);
  EXPECT_EQ(1u, Responders.Log.Dialogs.size());
  EXPECT_TRUE(Responders.Log.Boxes.empty());
}

TEST_F(Chooser, APracticeWindowThatFailsLeavesTheChooserAsItWas) {
  UsePractice();
  ShowChooser();
  Practice.ThrowOnLoad = true;
  Select(L"210101");
  EXPECT_THROW(Frmkmmc->SpeedButton1->Click(), Exception);
  EXPECT_TRUE(Frmkmmc->GetVisible());
  EXPECT_EQ(crDefault, Screen->GetCursor());
  EXPECT_EQ(1, Practice.Freed);

  Practice.ThrowOnLoad = false;
  Practice.ThrowOnShow = true;
  EXPECT_THROW(Frmkmmc->SpeedButton1->Click(), Exception);
  EXPECT_EQ(1, Practice.Shown);
  EXPECT_TRUE(Frmkmmc->GetVisible()) << "shown again after hiding for the practice";
  EXPECT_TRUE(ChooserShown);
  EXPECT_EQ(crDefault, Screen->GetCursor());
  EXPECT_EQ(2, Practice.Freed);
}

TEST_F(Chooser, TotalsAccuracyAndWhatThePanelsCanShow) {
  Data.Exec(L"update tab_kmmc set C3 = 0, D1 = 0, D2 = 0");
  Data.Exec(L"update tab_kmmc set C3 = 5, D1 = 3, D2 = 1 where C1 = '210101'");
  Data.Exec(L"update tab_kmmc set C3 = 2, D1 = 0, D2 = 0 where C1 = '310101'");
  Data.Exec(L"update tab_kmmc set C3 = 70, D1 = 700, D2 = 7 where len(C1) <= 2");  // subjects and parts
  ShowChooser();
  EXPECT_EQ(7, Frmkmmc->epNum_all->GetValue());
  EXPECT_EQ(3, Frmkmmc->epNum_ok->GetValue());
  EXPECT_EQ(1, Frmkmmc->epNum_Err->GetValue());
  EXPECT_EQ(L"66.67", Frmkmmc->Lb_fs->GetCaption());

  Data.Exec(L"update tab_kmmc set C3 = 12000, D1 = 123456, D2 = 100000 where C1 = '210101'");
  ShowChooser();
  EXPECT_EQ(10000, Frmkmmc->epNum_all->GetValue());
  EXPECT_EQ(99999, Frmkmmc->epNum_ok->GetValue());
  EXPECT_EQ(99999, Frmkmmc->epNum_Err->GetValue());
  EXPECT_EQ(L"19.00", Frmkmmc->Lb_fs->GetCaption());

  Data.Exec(L"update tab_kmmc set D1 = 0, D2 = 0");
  ShowChooser();
  EXPECT_EQ(L"19.00", Frmkmmc->Lb_fs->GetCaption()) << "no answers: the text stays";
  EXPECT_EQ(0, NumPanelValue(-4, 5));
  EXPECT_EQ(999, NumPanelValue(5000, 3));
}

TEST(ChooserLevels, ALevelCountsTheCodesAboveThatExist) {
  const std::set<String> codes{L"7", L"71", L"710101", L"2", L"21", L"2101", L"210101", L"A1"};
  EXPECT_EQ(0, ChapterLevel(L"7", codes));
  EXPECT_EQ(1, ChapterLevel(L"71", codes));
  EXPECT_EQ(2, ChapterLevel(L"710101", codes)) << "no rows of 3 to 5 characters between";
  EXPECT_EQ(3, ChapterLevel(L"210101", codes));
  EXPECT_EQ(1, ChapterLevel(L"a1b", codes)) << "codes compare without case";
  EXPECT_EQ(0, ChapterLevel(L"9", codes));
  EXPECT_EQ(0, ChapterLevel(L"", codes));
  EXPECT_EQ(0, ChapterLevel(L"91", {}));
}

// The leftmost pixel of a grid cell on screen that differs from the cell's own background
// (read at its right end), or -1.
int InkLeft(HWND grid, const TRect& cell) {
  HDC dc = ::GetDC(grid);
  const COLORREF background = ::GetPixel(dc, cell.Right - 3, (cell.Top + cell.Bottom) / 2);
  int found = -1;
  for (int x = cell.Left + 1; x < cell.Right - 3 && found < 0; ++x)
    for (int y = cell.Top + 1; y < cell.Bottom - 1; ++y)
      if (::GetPixel(dc, x, y) != background) {
        found = x;
        break;
      }
  ::ReleaseDC(grid, dc);
  return found;
}

TEST_F(Chooser, ChapterNamesAreIndentedByTheirLevelOnly) {
  ShowChooser();
  // The first rows: a subject, its first chapter and that chapter's first sub-chapter; the
  // current row (drawn selected) is further down.
  const std::vector<String> codes = SelectColumn(Data.Cn(), L"select top 6 C1 from tab_kmmc order by bh");
  ASSERT_EQ(6u, codes.size());
  Select(codes[5]);
  PumpAWhile();
  ASSERT_EQ(1u, codes[0].size());
  std::set<String> all;
  for (const String& code : SelectColumn(Data.Cn(), L"select C1 from tab_kmmc")) all.insert(UpperCase(code));
  ASSERT_EQ(1, ChapterLevel(codes[1], all));
  ASSERT_EQ(2, ChapterLevel(codes[2], all));
  TDBGrid* grid = Frmkmmc->DBGrid1;
  int ink[3];
  for (int row = 1; row <= 3; ++row) ink[row - 1] = InkLeft(grid->GetHandle(), grid->CellRect(1, row));
  ASSERT_GE(ink[0], 0);
  const int step = ink[1] - ink[0];
  EXPECT_GE(step, 10) << "about one wide space per level";
  EXPECT_NEAR(2 * step, ink[2] - ink[0], 3);
  // Display only: the names and codes in the table are as stored.
  Select(codes[2]);
  EXPECT_EQ(Current(L"C2"), Trim(Current(L"C2")));
  EXPECT_EQ(SelectText(Data.Cn(), L"select C2 from tab_kmmc where C1 = '" + codes[2] + L"'"), Current(L"C2"));
  EXPECT_EQ(codes[2], CurChapterCode);
}

TEST_F(Chooser, AfterAPracticeTheGridIsBackOnTheChapterWithNewCounts) {
  ShowChooser();
  DM1->Cn1Table_kmmc->First();
  const String first = Current(L"C1");
  UsePractice();
  // The practice counts its answers in the bank behind the chooser's back.
  Practice.WhileShown = [&] {
    Data.Exec(L"update tab_kmmc set D1 = D1 + 5, D2 = D2 + 1 where C1 = '220102'");
    DM1->Cn1Table_kmmc->First();
  };
  const int answersBefore = Frmkmmc->epNum_ok->GetValue();
  Select(L"220102");
  const int rowBefore = DM1->Cn1Table_kmmc->FieldByName(L"D1")->GetAsInteger();
  ASSERT_NE(L"", Practise(L"220102", 1));
  EXPECT_EQ(L"220102", Current(L"C1"));
  EXPECT_EQ(rowBefore + 5, DM1->Cn1Table_kmmc->FieldByName(L"D1")->GetAsInteger());
  EXPECT_EQ(answersBefore + 5, Frmkmmc->epNum_ok->GetValue());

  // A new chooser starts on the first row.
  delete std::exchange(Frmkmmc, TCustomForm::Create<TFrmkmmc>(Application));
  ShowChooser();
  EXPECT_EQ(first, Current(L"C1"));
}

TEST_F(Chooser, EntryOnlyIntoALeafChapterAndAFailingEntryWindowIsAbsorbed) {
  UseEntry();
  ShowChooser();
  Select(L"21");
  Frmkmmc->SpeedButton5->Click();
  EXPECT_EQ(0, Entry.Made);
  ASSERT_EQ(1u, Responders.Log.Boxes.size());
  EXPECT_EQ(L"提示|请选择具体章节目录！|" + IntToStr(int64_t(MB_OK | MB_ICONINFORMATION)), Responders.Log.Boxes[0]);

  Select(L"210102");
  const String name = Current(L"C2");
  const int total = Frmkmmc->epNum_all->GetValue();
  Entry.Saved = 2;
  Frmkmmc->SpeedButton5->Click();
  EXPECT_EQ(L"试题录入 [" + name + L"]", Entry.Heading);
  EXPECT_EQ(L"210102", Entry.Code);
  EXPECT_EQ(total + 2, Frmkmmc->epNum_all->GetValue());
  EXPECT_EQ(L"210102", Current(L"C1"));

  Entry.ThrowOnShow = true;
  Entry.Saved = 1;
  Frmkmmc->SpeedButton5->Click();
  EXPECT_EQ(total + 3, Frmkmmc->epNum_all->GetValue()) << "what was saved before the failure counts";
  ASSERT_EQ(2u, Responders.Log.Boxes.size());
  EXPECT_EQ(L"提示|录入试题后出现异常!|" + IntToStr(int64_t(MB_OK | MB_ICONEXCLAMATION)), Responders.Log.Boxes[1]);
  EXPECT_EQ(Entry.Made, Entry.Freed);
  EXPECT_TRUE(Frmkmmc->GetVisible());
  EXPECT_EQ(crDefault, Screen->GetCursor());
}

TEST_F(Chooser, GuidanceButtonFollowsTheRowOnlyWhileTheChooserShows) {
  Data.Exec(L"update tab_kmmc set jx = null where C1 = '21'");
  ShowChooser();
  ASSERT_FALSE(SelectText(Data.Cn(), L"select C1 from tab_kmmc where C1 = '210101' and jx is not null").empty());
  Select(L"210101");
  EXPECT_TRUE(Frmkmmc->epEfButton4->GetEnabled());
  EXPECT_EQ(L"210101", CurChapterCode);
  Select(L"21");
  EXPECT_FALSE(Frmkmmc->epEfButton4->GetEnabled());
  Frmkmmc->Hide();
  EXPECT_FALSE(ChooserShown);
  Select(L"210101");
  EXPECT_EQ(L"210101", CurChapterCode);
  EXPECT_FALSE(Frmkmmc->epEfButton4->GetEnabled()) << "a hidden chooser is left alone";
}

TEST_F(Chooser, SettingsOpenOnTheMusicPageAndAreFreedAfterwards) {
  ShowChooser();
  ExpectMusicSettingsFrom(Frmkmmc, [] { Frmkmmc->SpeedButton4->Click(); });
}

// ---- From the menu ----------------------------------------------------------------------------------

class ChooserFromMenu : public ::testing::Test {
 protected:
  void SetUp() override { FrmStart = TCustomForm::Create<TFrmStart>(nullptr); }
  void TearDown() override {
    delete std::exchange(FrmStart, nullptr);
    ScreenMode = L"1024";
  }
  void Dispatch(const String& command) { FrmStart->ShockwaveFlash1FSCommand(FrmStart->ShockwaveFlash1, command, L""); }
  // Opens the chooser from the menu at a layout, saves its picture and closes it.
  // A number panel on screen shows its value in light cyan over grey unlit segments on black.
  static void ExpectPanelColours(TepNumPanel* panel) {
    SCOPED_TRACE(StringToUtf8(panel->GetName()));
    constexpr COLORREF kLit = 0xFFFF80, kUnlit = 0x808080, kBack = 0x000000;
    const TClientPixels screen = GrabClient(panel->GetParent()->GetHandle());
    int lit = 0, unlit = 0, other = 0;
    for (int y = panel->GetTop(); y < panel->GetTop() + panel->GetHeight() && y < screen.Height; ++y)
      for (int x = panel->GetLeft(); x < panel->GetLeft() + panel->GetWidth() && x < screen.Width; ++x) {
        const COLORREF c = screen.At(x, y);
        if (c == kLit) ++lit;
        else if (c == kUnlit) ++unlit;
        else if (c != kBack) ++other;
      }
    EXPECT_GT(lit, 20) << "the value";
    EXPECT_GT(unlit, 100) << "the unlit segments";
    EXPECT_EQ(0, other);
  }

  void OpenAndShoot(const String& mode, const String& command, int subject) {
    ScreenMode = mode;
    HWND window = nullptr;
    TModalDriver driver({[&] { return (window = FindOwnWindow(L"章节练习")) != nullptr && Frmkmmc; },
                         [&] {
                           ::UpdateWindow(window);
                           EXPECT_EQ(subject, SubjectNo);
                           EXPECT_TRUE(ChooserShown);
                           EXPECT_EQ(mode == L"800", Frmkmmc->Image1->GetVisible());
                           if (mode == L"800") {
                             // The client holds the small picture whole, whatever the frame takes.
                             EXPECT_EQ(761, Frmkmmc->GetClientWidth());
                             EXPECT_EQ(460, Frmkmmc->GetClientHeight());
                           }
                           EXPECT_TRUE(SaveWindowShot(window, L"chooser_" + mode));
                           for (TepNumPanel* panel : {Frmkmmc->epNum_all, Frmkmmc->epNum_ok, Frmkmmc->epNum_Err})
                             ExpectPanelColours(panel);
                           Frmkmmc->SpeedButton6->Click();
                           return true;
                         }});
    Dispatch(command);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(nullptr, Frmkmmc);
    EXPECT_FALSE(ChooserShown);
    EXPECT_EQ(crDefault, Screen->GetCursor());
  }

  TProgramData Data;
  TRecordingResponders Responders;
};

TEST_F(ChooserFromMenu, EachSubjectOpensTheChooserAtBothLayouts) {
  OpenAndShoot(L"1024", L"lx2", 2);
  OpenAndShoot(L"800", L"lx5", 5);
  OpenAndShoot(L"1024", L"lx", 1);
  EXPECT_TRUE(Responders.Log.Empty());
  EXPECT_FALSE(DM1->Cn1Table_kmmc->GetActive()) << "closing closes the chapter table";
}

}  // namespace
