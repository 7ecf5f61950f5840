// The law-text browser, its article detail panel and the law-point picker, on a copy of the
// demo bank with a few laws of the test's own, in both screen layouts, with screenshots.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/Laws.h"
#include "app/UselectFg.h"
#include "app/Ucommon.h"
#include "app/details.h"
#include "classlib/system/SysFormat.h"
#include "app/start.h"
#include "tests/ApplicationTestSupport.h"

namespace {

// ---- Pure rules ---------------------------------------------------------------------------------

TEST(LawRules, KeyPointMinimumIsQuestionsDivArticlesAtLeastOne) {
  EXPECT_EQ(2, KeyPointMinimum(L"10", 4));
  EXPECT_EQ(1, KeyPointMinimum(L"3", 5));
  EXPECT_EQ(1, KeyPointMinimum(L"10", 0)) << "no articles";
  EXPECT_EQ(1, KeyPointMinimum(L"", 4)) << "an unreadable count";
  EXPECT_EQ(1, KeyPointMinimum(L"x7", 4));
  EXPECT_EQ(3, KeyPointMinimum(L" 12 ", 4));
}

TEST(LawRules, ArticleItemsAndTheirNumbers) {
  EXPECT_EQ(L"第一条(3)", ArticleItemText(L"第一条   ", 3));
  EXPECT_EQ(L"第二条", ArticleItemText(L"第二条", 0));
  EXPECT_EQ(L"第一条", ArticleNumberOfItem(L"第一条(3)"));
  EXPECT_EQ(L"第二条", ArticleNumberOfItem(L"第二条"));
  EXPECT_EQ(L"", ArticleNumberOfItem(L"(3)"));
  EXPECT_EQ(L"虽然针对该内容的习题没有，您仍要仔细阅读！", ArticleNoteText(nullptr));
}

TEST(LawRules, PracticeQueryQuotesTheArticleId) {
  EXPECT_NE(String::npos, LawPracticeQueryText(L"11'01").find(L" '11''01' in (k3,"));
}

// ---- Windows ------------------------------------------------------------------------------------

// The windows of this process's thread and their children: a window left behind by a
// freed window shows here.
BOOL CALLBACK CountChild(HWND, LPARAM param) {
  ++*reinterpret_cast<int*>(param);
  return TRUE;
}
BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
  ++*reinterpret_cast<int*>(param);
  ::EnumChildWindows(window, CountChild, param);
  return TRUE;
}
int ThreadWindowCount() {
  int count = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&count));
  return count;
}

// The grid row of the law named name in the browser; -1 when it is not listed.
int GridRowOf(TfrmLawsFaGui* form, const String& name) {
  for (int row = 1; row < form->m_grid->GetRowCount(); ++row)
    if (form->m_grid->GetCells(0, row) == name) return row;
  return -1;
}

// A practice window that records what the browser asks of it.
struct TFakePractice : TLawPractice {
  bool Loaded = true;                   // what LoadQuestions answers
  std::function<void()> WhileShown;     // runs inside ShowModal
  String* Heading;
  explicit TFakePractice(String* heading) : Heading(heading) {}
  bool LoadQuestions() override { return Loaded; }
  void SetHeading(const String& heading) override { *Heading = heading; }
  void ShowModal() override {
    if (WhileShown) WhileShown();
  }
};

class LawBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    ScreenMode = L"1024";
    // A law group of the test's own with three laws: 10 questions over 4 articles, a law
    // whose articles have no questions, and a law without articles.
    Exec(L"insert into tab_fgmc (id, n, bh, q, q1, q2, q4) values ('9', '测试法规组', 9000, 12, 0, 0, 0)");
    Exec(L"insert into tab_fgmc (id, n, bh, q, q1, q2, q4) values ('9901', '测试法规甲', 9001, 10, 1, 2, 1)");
    Exec(L"insert into tab_fgmc (id, n, bh, q, q1, q2, q4) values ('9902', '测试法规乙', 9002, 0, 0, 0, 0)");
    Exec(L"insert into tab_fgmc (id, n, bh, q, q1, q2, q4) values ('9903', '测试法规丙', 9003, 0, 0, 0, 0)");
    const int counts[] = {1, 2, 3, 4};
    for (int i = 0; i < 4; ++i)
      Exec(L"insert into tab_rule (id, ftid, sn, n, q, q1, q2, q4) values ('9901', '990100" + IntToStr(i + 1) +
           L"', '第" + IntToStr(i + 1) + L"条  ', " + GbkBlob(L"第" + IntToStr(i + 1) + L"条的内容") + L", " + IntToStr(counts[i]) +
           L", 1, 2, 1)");
    for (int i = 0; i < 2; ++i)
      Exec(L"insert into tab_rule (id, ftid, sn, n, q) values ('9902', '990200" + IntToStr(i + 1) + L"', '条" +
           IntToStr(i + 1) + L"', " + GbkBlob(L"无题的条文") + L", 0)");
  }
  void TearDown() override {
    SetLawPracticeWindowMaker(nullptr);
    delete std::exchange(FForm, nullptr);
    ScreenMode = L"";
  }
  void Exec(const String& sql) { Data.Exec(sql); }
  TfrmLawsFaGui* Open() {
    delete FForm;
    FForm = TCustomForm::Create<TfrmLawsFaGui>(Application);
    FForm->Show();
    Pump();
    return FForm;
  }
  void Pump() { PumpApplicationUntil([] { return false; }, 100, 10); }
  int RowOf(const String& name) { return GridRowOf(FForm, name); }
  void OpenLaw(const String& name) {
    FForm->m_grid->SetRow(RowOf(name));
    FForm->m_btnSelectClick(FForm->m_btnSelect);
    Pump();
  }
  std::vector<String> Items() {
    std::vector<String> items;
    TStrings* list = FForm->GetDetail()->m_LBmenu->GetItems();
    for (int i = 0; i < list->GetCount(); ++i) items.push_back(list->Get(i));
    return items;
  }
  String Note() { return FForm->GetDetail()->m_pNote->GetCaption(); }
  void ClickItem(int index) {
    TListBox* list = FForm->GetDetail()->m_LBmenu;
    list->SetItemIndex(index);
    FForm->GetDetail()->m_lBmenuClick(list);
  }
  void Shot(const String& name) {
    Pump();
    EXPECT_TRUE(SaveWindowShot(FForm->GetHandle(), name + L"_" + ScreenMode));
  }

  TProgramData Data;
  TRecordingResponders Responders;
  TfrmLawsFaGui* FForm = nullptr;
};

TEST_F(LawBrowser, ListsEveryLawInOrderWithItsCountersAndLayoutsOfBothScreens) {
  const int laws = SelectInt(Data.Cn(), L"select count(*) from tab_fgmc");
  for (const wchar_t* mode : {L"1024", L"800"}) {
    ScreenMode = mode;
    auto* form = Open();
    EXPECT_EQ(laws + 1, form->m_grid->GetRowCount());
    EXPECT_EQ(laws, form->LawIds.GetCount());
    const int row = RowOf(L"测试法规甲");
    ASSERT_GT(row, 0);
    EXPECT_EQ(L"9901", form->LawIds.Get(row - 1));
    EXPECT_EQ(L"10", form->m_grid->GetCells(1, row));
    EXPECT_EQ(L"2", form->m_grid->GetCells(3, row));
    EXPECT_EQ(L"9", form->LawIds.Get(laws - 4)) << "ordered by bh";
    EXPECT_EQ(ScreenMode == L"800" ? 36 : 43, form->m_grid->GetRowHeights(1));
    EXPECT_FALSE(form->m_btnMost->GetEnabled());
    EXPECT_FALSE(form->m_btnQuestion->GetEnabled());
    EXPECT_FALSE(form->m_btnBack->GetVisible());
    Shot(L"law_browser");
    // A law of the demo bank, with its stored article texts.
    OpenLaw(L"中华人民共和国资产评估法");
    ASSERT_NE(nullptr, form->GetDetail());
    EXPECT_EQ(SelectInt(Data.Cn(), L"select count(*) from tab_rule where id='1101'"),
              form->GetDetail()->m_LBmenu->GetCount());
    Shot(L"law_detail_demo");
  }
}

TEST_F(LawBrowser, SearchFindsTheFirstMatchingRowAndBlankOrUnknownTextDoesNothing) {
  auto* form = Open();
  form->m_grid->SetRow(1);
  form->m_editFind->SetText(L"   ");
  form->m_btnFindClick(form->m_btnFind);
  EXPECT_EQ(1, form->m_grid->GetRow());
  form->m_editFind->SetText(L"没有这样的法规");
  EXPECT_EQ(-1, form->FindLawRow());
  form->m_editFind->SetText(L" 测试法规 ");
  EXPECT_EQ(RowOf(L"测试法规组"), form->FindLawRow()) << "the first row containing the text";
  // Enter in the edit searches, as the button does.
  form->m_editFind->SetText(L"法规乙");
  WORD key = VK_RETURN;
  form->m_editFindKeyDown(form->m_editFind, key, {});
  EXPECT_EQ(RowOf(L"测试法规乙"), form->m_grid->GetRow());
}

TEST_F(LawBrowser, HeadingRowIsRefusedAndAnEmptyLawTableDoesNothing) {
  auto* form = Open();
  OpenLaw(L"测试法规组");
  EXPECT_EQ((std::vector<String>{L"提示|请选择具体章节!|3|1|"}), Responders.Log.Dialogs);
  EXPECT_EQ(nullptr, form->GetDetail());
  EXPECT_TRUE(form->m_grid->GetVisible());

  Exec(L"delete from tab_fgmc");
  Responders.Log.Clear();
  form = Open();
  EXPECT_EQ(0, form->LawIds.GetCount());
  form->m_btnSelectClick(form->m_btnSelect);
  form->m_gridDblClick(form->m_grid);
  EXPECT_TRUE(Responders.Log.Empty());
  EXPECT_EQ(nullptr, form->GetDetail());
}

TEST_F(LawBrowser, ArticleViewCountersKeyPointsAndBack) {
  for (const wchar_t* mode : {L"1024", L"800"}) {
    ScreenMode = mode;
    auto* form = Open();
    const int row = RowOf(L"测试法规甲");
    OpenLaw(L"测试法规甲");
    ASSERT_NE(nullptr, form->GetDetail());
    EXPECT_EQ(2, form->KeyPointMin) << "10 questions over 4 articles";
    EXPECT_EQ(L"测试法规甲", form->m_Ltiltle->GetCaption());
    EXPECT_EQ((std::vector<String>{L"第1条(1)", L"第2条(2)", L"第3条(3)", L"第4条(4)"}), Items());
    EXPECT_EQ(L"相关题数：1题  已做题数：1题  已做道次：2次  做错道次：1次", Note());
    EXPECT_TRUE(form->m_btnQuestion->GetEnabled());
    EXPECT_TRUE(form->m_btnMost->GetEnabled());
    EXPECT_TRUE(form->m_btnBack->GetVisible());
    EXPECT_FALSE(form->m_grid->GetVisible());
    EXPECT_FALSE(form->m_btnSelect->GetVisible());
    EXPECT_EQ(form->m_pMuLu, form->GetDetail()->m_Pdetail->GetParent());
    EXPECT_EQ(L"第1条的内容", form->GetDetail()->Re->GetText());
    ClickItem(2);
    EXPECT_EQ(L"第3条的内容", form->GetDetail()->Re->GetText());
    EXPECT_EQ(L"相关题数：3题  已做题数：1题  已做道次：2次  做错道次：1次", Note());
    Shot(L"law_detail");

    form->m_btnMostClick(form->m_btnMost);
    EXPECT_EQ((std::vector<String>{L"第2条(2)", L"第3条(3)", L"第4条(4)"}), Items());
    EXPECT_EQ(L"全部(&A)", form->m_btnMost->GetCaption());
    ClickItem(1);
    EXPECT_EQ(L"第3条的内容", form->GetDetail()->Re->GetText()) << "item i is record i + 1 of the key points";
    form->m_btnMostClick(form->m_btnMost);
    EXPECT_EQ(4u, Items().size());
    EXPECT_EQ(L"重点(&M)", form->m_btnMost->GetCaption());
    form->m_btnMostClick(form->m_btnMost);

    form->m_btnBackClick(form->m_btnBack);
    EXPECT_EQ(nullptr, form->GetDetail());
    EXPECT_EQ(row, form->m_grid->GetRow());
    EXPECT_EQ(L"考点目录", form->m_Ltiltle->GetCaption());
    EXPECT_EQ(L"重点(&M)", form->m_btnMost->GetCaption());
    EXPECT_EQ(0, form->m_btnMost->GetTag());
    EXPECT_EQ(ScreenMode == L"800" ? 36 : 43, form->m_grid->GetRowHeights(1)) << "rows as high as before Back";
    EXPECT_TRUE(form->m_grid->GetVisible() && form->m_btnSelect->GetVisible());
    EXPECT_FALSE(form->m_btnMost->GetEnabled() || form->m_btnBack->GetVisible());
    EXPECT_TRUE(Responders.Log.Empty());
  }
}

// Every column ends inside the grid's client area (beside its vertical scroll bar), and
// the grid needs no horizontal scrolling: each counter column reads whole.
void ExpectColumnsInsideTheGrid(TStringGrid* grid) {
  const int right = grid->GetClientWidth();
  for (int col = 0; col < grid->GetColCount(); ++col) {
    const TRect cell = grid->CellRect(col, 0);
    EXPECT_GT(cell.Right, cell.Left) << "column " << col << " in sight";
    EXPECT_LE(cell.Right, right) << "column " << col;
  }
  int low = 0, high = 0;
  ::GetScrollRange(grid->GetHandle(), SB_HORZ, &low, &high);
  EXPECT_EQ(low, high) << "no horizontal scrolling";
  EXPECT_GE(grid->GetColWidths(4), 80);
}

// Clicks a cell of the grid with real mouse messages, sent.
void ClickCell(TStringGrid* grid, int col, int row) {
  const TRect cell = grid->CellRect(col, row);
  ASSERT_GT(cell.Bottom, cell.Top) << "the cell is in sight";
  const LPARAM at = MAKELPARAM((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  ::SendMessageW(grid->GetHandle(), WM_MOUSEMOVE, 0, at);
  ::SendMessageW(grid->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(grid->GetHandle(), WM_LBUTTONUP, 0, at);
  PumpAWhile();
}

TEST_F(LawBrowser, BackByClicksLeavesTheListAsItWasWithEveryColumnWhole) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    ScreenMode = mode;
    auto* form = Open();
    ExpectColumnsInsideTheGrid(form->m_grid);
    const String heading = form->m_Ltiltle->GetCaption();
    EXPECT_EQ(L"考点目录", heading);
    const int headingRow = form->m_grid->GetRowHeights(0);
    const int lawRow = form->m_grid->GetRowHeights(1);
    std::vector<int> widths;
    for (int col = 0; col < 5; ++col) widths.push_back(form->m_grid->GetColWidths(col));

    const int row = RowOf(L"测试法规甲");
    form->m_grid->SetRow(row + 1);  // scrolls the test's laws into sight, the law wholly
    ClickCell(form->m_grid, 2, row);
    EXPECT_EQ(row, form->m_grid->GetRow()) << "the click selects the law";
    ClickControl(form->m_btnSelect);
    ASSERT_NE(nullptr, form->GetDetail());
    EXPECT_EQ(L"测试法规甲", form->m_Ltiltle->GetCaption());
    ClickControl(form->m_btnBack);
    ASSERT_EQ(nullptr, form->GetDetail());

    EXPECT_EQ(heading, form->m_Ltiltle->GetCaption());
    EXPECT_EQ(headingRow, form->m_grid->GetRowHeights(0));
    for (int r = 1; r < form->m_grid->GetRowCount(); ++r) ASSERT_EQ(lawRow, form->m_grid->GetRowHeights(r)) << r;
    for (int col = 0; col < 5; ++col) EXPECT_EQ(widths[col], form->m_grid->GetColWidths(col)) << col;
    EXPECT_EQ(row, form->m_grid->GetRow());
    ExpectColumnsInsideTheGrid(form->m_grid);
    Shot(L"law_browser_after_back");
  }
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(LawBrowser, LawsWithoutQuestionsOrArticlesSaySo) {
  auto* form = Open();
  OpenLaw(L"测试法规乙");
  EXPECT_EQ(1, form->KeyPointMin);
  EXPECT_EQ((std::vector<String>{L"条1", L"条2"}), Items()) << "no count without questions";
  EXPECT_EQ(L"虽然针对该内容的习题没有，您仍要仔细阅读！", Note());
  EXPECT_FALSE(form->m_btnQuestion->GetEnabled());
  form->m_btnMostClick(form->m_btnMost);
  EXPECT_EQ((std::vector<String>{L"提示|此法规暂无重点内容！|64"}), Responders.Log.Boxes);
  EXPECT_EQ(2u, Items().size()) << "the full list stays";
  EXPECT_EQ(L"重点(&M)", form->m_btnMost->GetCaption());
  ClickItem(1);
  EXPECT_EQ(L"无题的条文", form->GetDetail()->Re->GetText());

  form->m_btnBackClick(form->m_btnBack);
  Responders.Log.Clear();
  OpenLaw(L"测试法规丙");
  EXPECT_EQ((std::vector<String>{L"提示|找不到法规!|64"}), Responders.Log.Boxes);
  ASSERT_NE(nullptr, form->GetDetail());
  EXPECT_TRUE(Items().empty());
  EXPECT_FALSE(form->m_btnQuestion->GetEnabled());
  form->m_btnQuestionClick(form->m_btnQuestion);  // no article: nothing
  Shot(L"law_detail_empty");
}

TEST_F(LawBrowser, PractisingOneArticleBuildsItsQueryAndRereadsItsCounters) {
  String heading;
  bool hiddenMeanwhile = false;
  int made = 0;
  bool loaded = true;
  SetLawPracticeWindowMaker([&]() -> std::unique_ptr<TLawPractice> {
    ++made;
    auto practice = std::make_unique<TFakePractice>(&heading);
    practice->Loaded = loaded;
    practice->WhileShown = [&] {
      hiddenMeanwhile = !FForm->GetVisible();
      Exec(L"update tab_rule set q1=q1+1, q2=q2+5 where ftid='9901003'");
    };
    return practice;
  });
  auto* form = Open();
  OpenLaw(L"测试法规甲");
  ClickItem(2);
  form->m_btnQuestionClick(form->m_btnQuestion);
  EXPECT_EQ(1, made);
  EXPECT_EQ(LawPracticeQueryText(L"9901003"), PracticeSQL);
  EXPECT_EQ(L"第3条", heading) << "the number without its count";
  EXPECT_TRUE(hiddenMeanwhile);
  EXPECT_TRUE(form->GetVisible());
  EXPECT_EQ(L"相关题数：3题  已做题数：2题  已做道次：7次  做错道次：1次", Note());
  EXPECT_EQ(2, form->GetDetail()->m_LBmenu->GetItemIndex());

  loaded = false;
  form->m_btnQuestionClick(form->m_btnQuestion);
  EXPECT_EQ((std::vector<String>{L"提示|恭喜你，习题已做完！|1|0|NO"}), Responders.Log.Dialogs);
  EXPECT_EQ(crDefault, Screen->GetCursor());

  // An item whose article is gone practises nothing: no query of every unlinked question.
  Exec(L"delete from tab_rule where ftid='9901003'");
  PracticeSQL = L"";
  form->m_btnQuestionClick(form->m_btnQuestion);
  EXPECT_EQ(L"", PracticeSQL);
  EXPECT_EQ(2, made);
}

TEST_F(LawBrowser, MenuOpensTheBrowserModallyAndExitFromTheArticleViewLeavesNothing) {
  FrmStart = TCustomForm::Create<TFrmStart>(nullptr);
  int before = 0;
  for (int round = 0; round < 3; ++round) {
    bool shown = false;
    TModalDriver driver({[&] {
                           if (!frmLawsFaGui || !frmLawsFaGui->GetVisible()) return false;
                           shown = true;
                           frmLawsFaGui->m_grid->SetRow(GridRowOf(frmLawsFaGui, L"测试法规甲"));
                           ClickButton(frmLawsFaGui->m_btnSelect->GetHandle());
                           return true;
                         },
                         [&] {
                           if (!frmLawsFaGui->GetDetail()) return false;
                           ClickButton(frmLawsFaGui->m_btnExit->GetHandle());
                           return true;
                         }});
    FrmStart->ShockwaveFlash1FSCommand(FrmStart->ShockwaveFlash1, L"zsd", L"");
    EXPECT_TRUE(shown);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(nullptr, frmLawsFaGui);
    Pump();
    if (round == 0) before = ThreadWindowCount();
    else EXPECT_EQ(before, ThreadWindowCount()) << "round " << round;
  }
  delete std::exchange(FrmStart, nullptr);
}

// ---- The law-point picker ------------------------------------------------------------------------

class LawPointPicker : public LawBrowser {
 protected:
  void TearDown() override {
    delete std::exchange(FPicker, nullptr);
    LawPointCount = 0;
    LawPointMode = 0;
    SetLawPointPicker(nullptr);
    LawBrowser::TearDown();
  }
  TFrmSelectFG* OpenPicker(int page) {
    delete FPicker;
    FPicker = TCustomForm::Create<TFrmSelectFG>(Application);
    FPicker->Notebook1->SetPageIndex(page);
    FPicker->Show();
    Pump();
    return FPicker;
  }
  // Selects the law named name in the combo box as the user does.
  void PickLaw(const String& name) {
    const int index = FPicker->ComboBox1->GetItems()->IndexOf(name);
    ASSERT_GE(index, 0);
    FPicker->ComboBox1->SetItemIndex(index);
    FPicker->ComboBox1Change(FPicker->ComboBox1);
  }
  // A click on the check box of item index, as the mouse gives it.
  void Tick(int index) {
    HWND list = FPicker->CheckListBox1->GetHandle();
    RECT item{};
    ASSERT_NE(LB_ERR, ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)));
    const LPARAM at = MAKELPARAM(item.left + 6, (item.top + item.bottom) / 2);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
  }
  std::vector<String> TickedIds() {
    std::vector<String> ids;
    for (int i = 0; i < FPicker->CheckListBox2->GetCount(); ++i)
      if (FPicker->CheckListBox2->GetChecked(i)) ids.push_back(FPicker->CheckListBox2->GetItems()->Get(i));
    return ids;
  }
  TFrmSelectFG* FPicker = nullptr;
};

TEST_F(LawPointPicker, ListsGroupsAndLawsAndTheArticlesOfTheChosenOne) {
  auto* picker = OpenPicker(0);
  const int listed = SelectInt(Data.Cn(), L"select count(*) from tab_fgmc where len(id) = 4 or len(id) = 1");
  EXPECT_EQ(listed, picker->ComboBox1->GetItems()->GetCount());
  EXPECT_EQ(listed, picker->ComboBox2->GetItems()->GetCount());
  EXPECT_EQ(0, picker->ComboBox1->GetItemIndex());
  PickLaw(L"测试法规甲");
  EXPECT_EQ(L"9901", picker->ComboBox2->GetItems()->Get(picker->ComboBox2->GetItemIndex()));
  ASSERT_EQ(4, picker->CheckListBox1->GetCount());
  EXPECT_EQ(L"9901002", picker->CheckListBox2->GetItems()->Get(1));
  EXPECT_EQ(0, picker->CheckListBox1->GetItemIndex());
  Pump();
  EXPECT_TRUE(SaveShotsOverMenu(picker->GetHandle(), L"law_picker"));
  PickLaw(L"测试法规丙");
  EXPECT_EQ(0, picker->CheckListBox1->GetCount());
  picker->epEfButton1Click(picker->epEfButton1);
  EXPECT_EQ((std::vector<String>{L"提示|请选择对应考点，退出请按关闭按钮！|64"}), Responders.Log.Boxes);
  EXPECT_EQ(mrNone, picker->GetModalResult());
}

TEST_F(LawPointPicker, TicksOfItemsThatAreNotSelectedAreTheOnesReturned) {
  LawPointCount = 5;
  auto* picker = OpenPicker(0);
  PickLaw(L"测试法规甲");
  picker->CheckListBox1->SetItemIndex(0);
  Tick(2);
  Tick(3);
  EXPECT_TRUE(picker->CheckListBox1->GetChecked(2) && picker->CheckListBox1->GetChecked(3));
  picker->epEfButton1Click(picker->epEfButton1);
  EXPECT_TRUE(Responders.Log.Empty());
  EXPECT_EQ(mrOk, picker->GetModalResult()) << "5 points and 2 more";
  EXPECT_EQ((std::vector<String>{L"9901003", L"9901004"}), TickedIds());
}

TEST_F(LawPointPicker, RefusesMoreThanSevenPointsAndDropsMarksOfAnotherLaw) {
  LawPointCount = 5;
  auto* picker = OpenPicker(0);
  PickLaw(L"测试法规甲");
  for (int i : {0, 1, 2}) Tick(i);
  picker->epEfButton1Click(picker->epEfButton1);
  EXPECT_EQ((std::vector<String>{L"提示|对应考点最多不能超过7条，已有考点5条！|64"}), Responders.Log.Boxes)
      << "5 points and 3 more";
  EXPECT_EQ(mrNone, picker->GetModalResult());
  // Another law and back: nothing is marked any more.
  PickLaw(L"测试法规乙");
  PickLaw(L"测试法规甲");
  for (int i = 0; i < picker->CheckListBox1->GetCount(); ++i) EXPECT_FALSE(picker->CheckListBox1->GetChecked(i));
  EXPECT_TRUE(TickedIds().empty());

  LawPointCount = 7;
  Responders.Log.Clear();
  Tick(0);
  picker->epEfButton1Click(picker->epEfButton1);
  EXPECT_EQ((std::vector<String>{L"提示|对应考点最多不能超过7条，已有考点7条！|64"}), Responders.Log.Boxes);
}

// The entry window's add-points button opens the installed picker: two articles ticked with
// the mouse and confirmed reach both of its lists; with points listed already a choice past
// seven is refused and adds nothing, and at seven the picker is not opened at all.
TEST_F(LawPointPicker, TheEntryWindowAddsTheArticlesTickedInThePicker) {
  InstallLawPointPicker();
  LawPointMode = 1;
  std::unique_ptr<TFrmInPut> entry(TCustomForm::Create<TFrmInPut>(Application));
  entry->Show();
  Pump();
  HWND shown = nullptr;
  const auto opened = [&] { return FrmSelectFG && (shown = FindOwnWindow(L"欢迎")) != nullptr; };
  {
    TModalDriver driver({opened, [&] {
                           FPicker = FrmSelectFG;
                           PickLaw(L"测试法规甲");
                           Tick(1);
                           Tick(3);
                           ::UpdateWindow(shown);
                           EXPECT_TRUE(SaveShotsOverMenu(shown, L"law_picker_from_entry"));
                           ClickGraphic(std::exchange(FPicker, nullptr)->epEfButton1);
                           return true;
                         }});
    ClickGraphic(entry->BtnAddFg);
    EXPECT_TRUE(driver.Done());
  }
  EXPECT_EQ(nullptr, FrmSelectFG);
  EXPECT_TRUE(Responders.Log.Empty());
  ASSERT_EQ(2, entry->ListBox1->GetItems()->GetCount());
  EXPECT_EQ(L"测试法规甲[第2条]", entry->ListBox1->GetItems()->Get(0));
  EXPECT_EQ(L"测试法规甲[第4条]", entry->ListBox1->GetItems()->Get(1));
  EXPECT_EQ((std::vector<String>{L"9901002", L"9901004"}),
            (std::vector<String>{entry->ListBox2->GetItems()->Get(0), entry->ListBox2->GetItems()->Get(1)}));
  Pump();
  EXPECT_TRUE(SaveShotsOverMenu(entry->GetHandle(), L"entry_window_picked_points"));

  // Six listed and two more ticked: the picker says so and stays open; 关闭 adds nothing.
  for (int i = 0; i < 4; ++i) {
    entry->ListBox2->GetItems()->Add(L"990100" + IntToStr(i + 1));
    entry->ListBox1->GetItems()->Add(L"测试法规甲[第" + IntToStr(i + 1) + L"条]");
  }
  {
    TModalDriver driver({opened, [&] {
                           FPicker = FrmSelectFG;
                           PickLaw(L"测试法规甲");
                           Tick(0);
                           Tick(2);
                           ClickGraphic(FPicker->epEfButton1);
                           EXPECT_EQ(mrNone, FPicker->GetModalResult());
                           return true;
                         },
                         [&] {
                           EXPECT_EQ(shown, FindOwnWindow(L"欢迎"));
                           ClickGraphic(std::exchange(FPicker, nullptr)->epEfButton2);
                           return true;
                         }});
    ClickGraphic(entry->BtnAddFg);
    EXPECT_TRUE(driver.Done());
  }
  EXPECT_EQ((std::vector<String>{L"提示|对应考点最多不能超过7条，已有考点6条！|64"}), Responders.Log.Boxes);
  EXPECT_EQ(6, entry->ListBox1->GetItems()->GetCount());
  EXPECT_EQ(6, entry->ListBox2->GetItems()->GetCount());

  // At seven the entry window refuses before any picker is made.
  entry->ListBox2->GetItems()->Add(L"9902001");
  entry->ListBox1->GetItems()->Add(L"测试法规乙[条1]");
  Responders.Log.Clear();
  ClickGraphic(entry->BtnAddFg);
  EXPECT_EQ(nullptr, FindOwnWindow(L"欢迎"));
  ASSERT_EQ(1u, Responders.Log.Boxes.size());
  EXPECT_NE(String::npos, Responders.Log.Boxes[0].find(L"试题对应考点最多为7条！"));
  EXPECT_EQ(7, entry->ListBox1->GetItems()->GetCount());
}

TEST_F(LawPointPicker, InstructionsPageAndCloseGiveNoResult) {
  auto* picker = OpenPicker(1);
  EXPECT_EQ(0, picker->ComboBox1->GetItems()->GetCount()) << "the instructions page lists no laws";
  EXPECT_EQ(L"使用方法如下：", picker->Memo1->GetLines()->Get(0));
  EXPECT_TRUE(SaveShotsOverMenu(picker->GetHandle(), L"law_picker_help"));
  picker->epEfButton3Click(picker->epEfButton3);
  EXPECT_NE(mrOk, picker->GetModalResult());
}

// The practice query of a demo article runs on the bank and holds exactly the questions
// linked to the article in any of the ten columns, with the columns the window reads.
TEST_F(LawBrowser, PracticeQueryOfADemoArticleHoldsEveryLinkedQuestion) {
  const String article = SelectText(
      Data.Cn(), L"select top 1 k3 from tab_answ where k3 is not null and k3<>'' order by a1");
  ASSERT_FALSE(article.empty());
  // A second link in a later column, so that more than k3 is looked at.
  const String other = SelectText(Data.Cn(), L"select top 1 a1 from tab_answ where k3<>" + QuotedStr(article) +
                                                 L" and (k4 is null or k4='') order by a1");
  ASSERT_FALSE(other.empty());
  Exec(L"update tab_answ set k4=" + QuotedStr(article) + L" where a1=" + QuotedStr(other));
  String anyColumn;
  for (int column = 3; column <= 12; ++column)
    anyColumn += String(column > 3 ? L" or " : L"") + L"k" + IntToStr(column) + L"=" + QuotedStr(article);
  const int linked =
      SelectInt(Data.Cn(), L"select count(*) from tab_answ a, tab_exer b where a.a1=b.a1 and (" + anyColumn + L")");
  TADOQuery* set = DM1->Cn1Query_tm;
  set->Close();
  set->GetSQL()->SetText(LawPracticeQueryText(article));
  set->Open();
  EXPECT_EQ(linked, set->GetRecordCount());
  EXPECT_GE(set->GetRecordCount(), 2);
  for (const wchar_t* column : {L"a1", L"a2", L"a2_1", L"k12", L"a13", L"e2_1", L"f1", L"csbs", L"jx", L"A15"})
    EXPECT_NE(nullptr, set->FindField(column)) << StringToUtf8(column);
  EXPECT_EQ(nullptr, set->FindField(L"xx"));
  EXPECT_EQ(nullptr, set->FindField(L"ecount"));
  EXPECT_TRUE(set->Locate(L"a1", Variant(other), {}));
  set->Close();
}

}  // namespace
