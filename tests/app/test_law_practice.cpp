// The law-article practice window as a real window, opened from the law browser's 练习 on a
// copy of the demo bank: an article of the test's own (its id holds a quote) linked to a
// single choice, a self-assessed question and three members of question groups; the practice
// query, the group stems in two views, the messages, the three grades, the buttons that follow
// an answer, the counters of the article afterwards; an empty set; a group stem that cannot
// be read; the explanation, notes and linked-articles windows over it; screenshots at both
// screen sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "WindowTestSupport.h"
#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcImgBtn.h"
#include "app/Laws.h"
#include "app/PracticeControls.h"
#include "app/UanswFagui.h"
#include "app/Ubj.h"
#include "app/Ucommon.h"
#include "app/Ujx.h"
#include "app/details.h"
#include "app/dm.h"
#include "app/uRulelxxt.h"
#include "classlib/forms/HintWindow.h"
#include "classlib/ado/ADODB.h"
#include "classlib/graphics/Bitmap.h"
#include "tests/ApplicationTestSupport.h"

namespace {

// The article practised: its id holds a quote, so that every query built from it must quote it.
const wchar_t kArticle[] = L"9901'01";
const wchar_t kGroupStem[] = L"题组的共同题干";
const wchar_t kOwnStem[] = L"本题自己的题干";

class LawPractice : public ::testing::Test {
 protected:
  void SetUp() override {
    FScreenMode = ScreenMode;
    FTypeIds = TypeIds;
    FTypeTimes = TypeTimes;
    ScreenMode = L"1024";
    TypeIds.clear();
    TypeTimes.clear();
    InstallLawPracticeWindow();
    Exec(L"insert into tab_fgmc (id, n, bh, q, q1, q2, q4) values ('9', '测试法规组', 9000, 6, 0, 0, 0)");
    Exec(L"insert into tab_fgmc (id, n, bh, q, q1, q2, q4) values ('9901', '测试法规甲', 9001, 6, 0, 0, 0)");
    Exec(L"insert into tab_rule (id, ftid, sn, n, q, q1, q2, q4) values ('9901', '9901''01', '第1条  ', " +
         GbkBlob(L"第1条的内容") + L", 5, 0, 0, 0)");
    Exec(L"insert into tab_rule (id, ftid, sn, n, q, q1, q2, q4) values ('9901', '9901002', '第2条', " +
         GbkBlob(L"第2条的内容") + L", 1, 0, 0, 0)");
    // An article whose count says it has a question, but none is linked to it.
    Exec(L"insert into tab_rule (id, ftid, sn, n, q, q1, q2, q4) values ('9901', '9901003', '第3条', " +
         GbkBlob(L"第3条的内容") + L", 1, 0, 0, 0)");

    // A single choice linked in its last law column, with every column between set.
    Single = Text(L"select top 1 a1 from tab_answ where a13=11 and k3<>'' order by a1");
    Exec(L"update tab_answ set k4='9901002',k5='9901002',k6='9901002',k7='9901002',k8='9901002',"
         L"k9='9901002',k10='9901002',k11='9901002',k12='9901''01' where a1=" + QuotedStr(Single));
    SelfAssessed = Text(L"select top 1 a1 from tab_answ where a13=64 order by a1");
    Link(SelfAssessed);
    // Two members of one group of type 68 and one of a group of type 69.
    const std::vector<String> members =
        SelectColumn(FData.Cn(), L"select a1 from tab_answ where a13=68 and a1 like '%-%' order by a1");
    ASSERT_GE(members.size(), 2u);
    Member1 = members[0];
    Member2 = members[1];
    ASSERT_EQ(Member1.substr(0, 16), Member2.substr(0, 16));
    Dictation = Text(L"select top 1 a1 from tab_answ where a13=69 and a1 like '%-%' order by a1");
    for (const String& id : {Member1, Member2, Dictation}) Link(id);
    Exec(L"update tab_title set A15=" + GbkBlob(kGroupStem) + L" where A1=" + QuotedStr(Member1.substr(0, 16)));
    Exec(L"update tab_exer set A15=" + GbkBlob(kOwnStem) + L" where a1=" + QuotedStr(Member1));
  }
  void TearDown() override {
    SetLawPracticeWindowMaker(nullptr);
    delete std::exchange(Browser, nullptr);
    ScreenMode = FScreenMode;
    TypeIds = FTypeIds;
    TypeTimes = FTypeTimes;
  }

  void Exec(const String& sql) { FData.Exec(sql); }
  int Int(const String& sql) { return SelectInt(FData.Cn(), sql); }
  String Text(const String& sql) { return SelectText(FData.Cn(), sql); }
  String Of(const String& column, const String& id) {
    return Text(L"select " + column + L" from tab_answ where a1 = " + QuotedStr(id));
  }
  // Links the question to the article in its first law column.
  void Link(const String& id) { Exec(L"update tab_answ set k3='9901''01' where a1=" + QuotedStr(id)); }

  // Opens the browser on the article view of the test's law, with the item index selected.
  void OpenArticle(int index) {
    delete Browser;
    Browser = TCustomForm::Create<TfrmLawsFaGui>(Application);
    Browser->Show();
    Browser->m_editFind->SetText(L"测试法规甲");
    Browser->m_btnFindClick(Browser->m_btnFind);
    Browser->m_btnSelectClick(Browser->m_btnSelect);
    ASSERT_NE(nullptr, Browser->GetDetail());
    TListBox* list = Browser->GetDetail()->m_LBmenu;
    list->SetItemIndex(index);
    Browser->GetDetail()->m_lBmenuClick(list);
  }
  // Practises the selected article and runs steps while the practice window is shown.
  void Practise(std::vector<std::function<bool()>> steps) {
    steps.insert(steps.begin(), [] { return FrmRuleLxxt && FrmRuleLxxt->GetVisible(); });
    TModalDriver driver(std::move(steps));
    ClickButton(Browser->m_btnQuestion->GetHandle());
    PumpApplicationUntil([&] { return driver.Done(); }, 60000, 10);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(nullptr, FrmRuleLxxt);
  }

  TFrmRuleLxxt* W() { return FrmRuleLxxt; }
  String Current(const wchar_t* field) { return DM1->Cn1Query_tm->FieldByName(field)->GetAsString(); }
  // The record number of a question in the practice set (the set stays where it was).
  int RecordOf(const String& id) {
    TADOQuery* set = DM1->Cn1Query_tm;
    const int at = set->GetRecNo();
    int found = 0;
    for (int recNo = 1; recNo <= set->GetRecordCount() && !found; ++recNo) {
      set->SetRecNo(recNo);
      if (set->FieldByName(L"a1")->GetAsString() == id) found = recNo;
    }
    set->SetRecNo(at);
    return found;
  }
  // Clicks the pad button of the question id; true once it is on display.
  bool ShowQuestion(const String& id) {
    if (Current(L"a1") == id && W()->Session().GetCurrent() == RecordOf(id)) return true;
    const int recNo = RecordOf(id);
    EXPECT_GT(recNo, 0) << StringToUtf8(id);
    if (recNo <= 0) return true;
    ClickButton(W()->Navigator().Pad().Button(W()->Session().GetGroup().ButtonOfRecord(recNo))->GetHandle());
    return false;
  }
  bool Down(TfcButtonGroup* group, int index) {
    return group->GetButtonItems()->GetItem(index)->GetButton()->GetDown();
  }
  void Choose(TfcButtonGroup* group, int index) {
    ClickButton(group->GetButtonItems()->GetItem(index)->GetButton()->GetHandle());
  }
  void Shot(const String& name) {
    ::RedrawWindow(W()->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(SaveWindowShot(W()->GetHandle(), name));
  }

  TProgramData FData;
  TRecordingResponders Responders;
  TfrmLawsFaGui* Browser = nullptr;
  String Single, SelfAssessed, Member1, Member2, Dictation;
  String FScreenMode;
  std::vector<int> FTypeIds, FTypeTimes;
};

// The pad at the article's 5 questions and at 45: twenty buttons in rows of five, numbered
// 1..20 in every group, the last group's buttons past the set's end disabled.
TEST_F(LawPractice, ThePadReadsInRowsOfFiveAtFiveAndFortyFiveQuestions) {
  auto pad = [&](int i) { return W()->Navigator().Pad().Button(i); };
  for (int count : {5, 45}) {
    SCOPED_TRACE(count);
    if (count == 45) {
      const std::vector<String> more = SelectColumn(
          FData.Cn(), L"select a1 from tab_answ where a13=11 and a1<>" + QuotedStr(Single) + L" order by a1");
      ASSERT_GE(more.size(), 40u);
      for (size_t i = 0; i < 40; ++i) Link(more[i]);
    }
    OpenArticle(0);
    Practise({
      [&] {
        EXPECT_EQ(IntToStr(count), W()->Label5->GetCaption());
        if (count == 45) {
          ClickGraphic(W()->FlatSpeedButton2);  // 下一组->
          ClickGraphic(W()->FlatSpeedButton2);
        }
        return true;
      },
      [&] {
        if (W()->Session().GetCurrent() != count - 4) return false;
        ExpectPadInReadingOrder(pad, 20, 5, 1);
        for (int i = 0; i < 20; ++i) EXPECT_EQ(i < 5, pad(i)->GetEnabled()) << i;
        Shot(L"law_practice_pad_" + IntToStr(count));
        ClickButton(pad(4)->GetHandle());
        return true;
      },
      [&] {
        if (W()->Session().GetCurrent() != count) return false;
        ClickGraphic(W()->epEfTrBtn7);  // 关闭
        return true;
      },
    });
  }
}

// 上一题 on the first question of a group opens the previous group at its first question,
// as in the practice window.
TEST_F(LawPractice, BackFromAGroupsFirstQuestionOpensThePreviousGroupAtItsStart) {
  const std::vector<String> more = SelectColumn(
      FData.Cn(), L"select a1 from tab_answ where a13=11 and a1<>" + QuotedStr(Single) + L" order by a1");
  ASSERT_GE(more.size(), 20u);
  for (size_t i = 0; i < 20; ++i) Link(more[i]);
  for (const wchar_t* mode : {L"1024", L"800"}) {
    SCOPED_TRACE(StringToUtf8(mode));
    ScreenMode = mode;
    OpenArticle(0);
    Practise({
      [&] {
        EXPECT_EQ(L"25", W()->Label5->GetCaption());
        ClickGraphic(W()->FlatSpeedButton2);  // 下一组->: question 21
        ClickGraphic(W()->epEfTrBtn2);        // 下一题: 22
        ClickGraphic(W()->epEfTrBtn1);        // 上一题 inside the group
        EXPECT_EQ(21, W()->Session().GetCurrent());
        ClickGraphic(W()->epEfTrBtn1);  // 上一题 from the group's first question
        EXPECT_EQ(1, W()->Session().GetCurrent());
        EXPECT_EQ(L"1", W()->Label8->GetCaption());
        EXPECT_EQ(L"1", W()->Label12->GetCaption());
        EXPECT_TRUE(W()->Navigator().Pad().Button(0)->GetDown());
        EXPECT_FALSE(W()->FlatSpeedButton1->GetEnabled());
        EXPECT_TRUE(W()->FlatSpeedButton2->GetEnabled());
        EXPECT_FALSE(W()->epEfTrBtn1->GetEnabled());
        Shot(L"law_practice_back_to_previous_group_" + String(mode));
        ClickGraphic(W()->epEfTrBtn7);  // 关闭
        return true;
      },
    });
  }
}

// The type names that the side column of the small screen writes smaller.
const std::vector<String> kSmallShrunk = {L"不定项选择题", L"长对话与短文"};

void ExpectTypeCaptionsReadWhole(TfcButtonGroup* bar, const std::vector<String>& shrunk = {});

TEST_F(LawPractice, PractisingOneArticleFromTheBrowser) {
  OpenArticle(0);
  ASSERT_TRUE(Browser->m_btnQuestion->GetEnabled());
  int ownStemHeight = 0;
  Practise({
    [&] {
      EXPECT_EQ(L"select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,"
                L"a.csbs as csbs,b.jx as jx,b.A15 as A15 from tab_answ a,tab_exer b where a.a1=b.a1 and "
                L"'9901''01' in (k3,k4,k5,k6,k7,k8,k9,k10,k11,k12)",
                PracticeSQL);
      EXPECT_FALSE(Browser->GetVisible()) << "the browser hides while the practice runs";
      EXPECT_EQ(L"第1条", W()->epLabel2->GetCaption());
      EXPECT_EQ(L"", W()->GetCaption());
      EXPECT_EQ(L"5", W()->Label5->GetCaption());
      EXPECT_EQ(L"1", W()->Label3->GetCaption());
      EXPECT_FALSE(W()->FlatSpeedButton2->GetEnabled());
      EXPECT_TRUE(W()->epEfTrBtn9->GetVisible()) << "考点 is there from the start";
      EXPECT_FALSE(W()->epEfTrBtn9->GetEnabled());
      EXPECT_FALSE(W()->epEfTrBtn4->GetEnabled());
      ExpectTypeCaptionsReadWhole(W()->fcBG_tx);
      ShowQuestion(Single);
      return true;
    },
    [&] {
      if (!ShowQuestion(Single)) return false;
      EXPECT_EQ(apSingle, W()->Notebook1->GetPageIndex());
      EXPECT_EQ(0, W()->Re2->GetHeight()) << "one stem view without a group";
      EXPECT_EQ(0, W()->FlatSplitter1->GetHeight());
      ClickGraphic(W()->epEfTrBtn3);  // 完成 without an answer
      EXPECT_EQ(std::vector<String>{L"提示|题还没做呢！|1|1|NO"}, Responders.Log.Dialogs);
      EXPECT_EQ(0, Int(L"select count(*) from tab_rz"));
      EXPECT_EQ(L"", Of(L"e2_1", Single));
      Choose(W()->fcBG_one, Current(L"a2")[0] - L'A');
      return true;
    },
    [&] {
      if (!Down(W()->fcBG_one, Of(L"a2", Single)[0] - L'A')) return false;
      ClickGraphic(W()->epEfTrBtn3);  // 完成: right; ten law columns are counted without error
      EXPECT_EQ(Of(L"a2", Single), Of(L"e2", Single));
      EXPECT_EQ(L"0", Of(L"e4", Single));
      EXPECT_TRUE(W()->epEfTrBtn6->GetVisible() && W()->epEfTrBtn6->GetEnabled());
      EXPECT_TRUE(W()->epEfTrBtn9->GetEnabled()) << "linked articles after an answer";
      EXPECT_EQ(!Current(L"jx").empty(), W()->epEfTrBtn4->GetEnabled());
      ShowQuestion(Member1);
      return true;
    },
    [&] {
      if (!ShowQuestion(Member1)) return false;
      // The group's stem above, the question's own below.
      EXPECT_EQ(DM1->Cn1DS2, W()->Re1->GetDataSource());
      EXPECT_EQ(kGroupStem, W()->Re1->GetText());
      EXPECT_EQ(DM1->Cn1DS_tm, W()->Re2->GetDataSource());
      EXPECT_EQ(kOwnStem, W()->Re2->GetText());
      EXPECT_EQ(150, W()->Re2->GetHeight());
      EXPECT_EQ(6, W()->FlatSplitter1->GetHeight());
      EXPECT_LT(W()->Re1->GetTop(), W()->FlatSplitter1->GetTop());
      EXPECT_LT(W()->FlatSplitter1->GetTop(), W()->Re2->GetTop());
      EXPECT_TRUE(W()->Re1->GetReadOnly() && W()->Re2->GetReadOnly());
      Shot(L"law_practice_group_1024x768");
      ExpectTimeGaugeTurnsRed(W()->epIndiGauge1);
      HoverOver(W()->fcBG_one->GetButtonItems()->GetItem(1)->GetButton(), 12, 12);
      PumpAWhile();
      Shot(L"law_practice_pad_hover_1024x768");
      // A wrong answer, saved by moving on.
      Choose(W()->fcBG_one, Current(L"a2")[0] == L'A' ? 1 : 0);
      W()->Re2->SetHeight(120);  // as the user drags the splitter
      ownStemHeight = W()->Re2->GetHeight();
      return true;
    },
    [&] {
      return Down(W()->fcBG_one, Of(L"a2", Member1)[0] == L'A' ? 1 : 0);
    },
    [&] {
      if (!ShowQuestion(Member2)) return false;
      EXPECT_EQ(L"-3", Of(L"e4", Member1)) << "the wrong answer was saved on moving on";
      EXPECT_EQ(ownStemHeight, W()->Re2->GetHeight()) << "a further group question keeps the height";
      ShowQuestion(SelfAssessed);
      return true;
    },
    [&] {
      if (!ShowQuestion(SelfAssessed)) return false;
      EXPECT_EQ(0, W()->Re2->GetHeight()) << "a question without a group closes the lower view";
      EXPECT_EQ(apSelf, W()->Notebook1->GetPageIndex());
      EXPECT_FALSE(W()->epEfTrBtn6->GetVisible()) << "no key for type 64";
      TStrings* grades = W()->FlatComboBox1->GetItems();
      EXPECT_EQ((std::vector<String>{L"不会", L"了解", L"熟悉"}),
                (std::vector<String>{grades->Get(0), grades->Get(1), grades->Get(2)}));
      ::SendMessageW(W()->FlatComboBox1->GetHandle(), CB_SETCURSEL, 2, 0);  // 熟悉
      ClickGraphic(W()->epEfTrBtn3);
      EXPECT_EQ(L"2", Of(L"e2", SelfAssessed));
      EXPECT_EQ(L"0", Of(L"e4", SelfAssessed)) << "the best grade is right, not in the wrong set";
      EXPECT_FALSE(W()->epEfTrBtn6->GetVisible());
      Shot(L"law_practice_self_1024x768");
      ShowQuestion(Dictation);
      return true;
    },
    [&] {
      if (!ShowQuestion(Dictation)) return false;
      EXPECT_TRUE(W()->epEfTrBtn6->GetVisible()) << "type 69 has its 答案 button";
      EXPECT_FALSE(W()->epEfTrBtn6->GetEnabled());
      ::SendMessageW(W()->FlatComboBox1->GetHandle(), CB_SETCURSEL, 0, 0);  // 不会
      ClickGraphic(W()->epEfTrBtn3);
      EXPECT_EQ(L"-3", Of(L"e4", Dictation));
      ClickGraphic(W()->epEfTrBtn6);  // 答案
      EXPECT_EQ(L"很遗憾，做错了，请继续努力！", W()->Lb_answtip->GetCaption());
      ClickGraphic(W()->epEfTrBtn6);  // 返回
      ClickGraphic(W()->epEfTrBtn7);  // 关闭
      return true;
    },
  });
  EXPECT_EQ(1u, Responders.Log.Dialogs.size());
  EXPECT_FALSE(DM1->Cn1Query_tm->GetActive());
  // Four questions answered for the first time, two of them wrong, all linked to the article.
  const String article = L" from tab_rule where ftid='9901''01'";
  EXPECT_EQ(4, Int(L"select q2" + article));
  EXPECT_EQ(4, Int(L"select q1" + article));
  EXPECT_EQ(2, Int(L"select q4" + article));
  EXPECT_EQ(4, Int(L"select q2 from tab_fgmc where id='9901'"));
  EXPECT_EQ(4, Int(L"select sum(A2) from tab_rz"));
  // The browser comes back with the article's note read again.
  EXPECT_TRUE(Browser->GetVisible());
  EXPECT_EQ(L"相关题数：5题  已做题数：4题  已做道次：4次  做错道次：2次", Browser->GetDetail()->m_pNote->GetCaption());
}

// Each self-assessed question after one graded 了解 shows its box empty, and the first Down
// picks 不会, the box closed or opened by a click, Alt+Down or F4; the grades chosen are saved.
TEST_F(LawPractice, TheClockWaitsForTheShow) {
  const std::unique_ptr<TFrmRuleLxxt> window(TCustomForm::Create<TFrmRuleLxxt>(Application));
  EXPECT_FALSE(window->KZTimeCounter1->GetEnabled());
  EXPECT_FALSE(window->KZTimeCounter1->GetCounting());
}

TEST_F(LawPractice, EveryGradeBoxStartsAtTheFirstGrade) {
  std::vector<String> graded{SelfAssessed, Dictation};
  for (const String& id : SelectColumn(FData.Cn(), L"select top 3 a1 from tab_answ where a13 in (22,64,65) and a1<>" +
                                                       QuotedStr(SelfAssessed) + L" order by a1")) {
    Link(id);
    graded.push_back(id);
  }
  ASSERT_EQ(5u, graded.size());
  OpenArticle(0);
  Practise({
    [&] { return ShowQuestion(graded[0]); },
    [&] {
      ExpectEveryGradeBoxStartsAtTheFirst(W(), W()->FlatComboBox1, [&](int question) {
        const String& id = graded[static_cast<size_t>(question)];
        const int recNo = RecordOf(id);
        ClickButton(W()->Navigator().Pad().Button(W()->Session().GetGroup().ButtonOfRecord(recNo))->GetHandle());
        PumpApplicationUntil([&] { return W()->Session().GetCurrent() == recNo; }, 5000, 10);
        EXPECT_EQ(id, Current(L"a1"));
        EXPECT_EQ(apSelf, W()->Notebook1->GetPageIndex());
      }, L"law_practice_grade_list_1024x768");
      ClickGraphic(W()->epEfTrBtn7);  // 关闭 saves the last
      return true;
    },
  });
  for (const String& id : graded) EXPECT_EQ(L"1", Of(L"e2", id)) << StringToUtf8(id);
}

TEST_F(LawPractice, AnArticleWithoutQuestionsSaysSoAndShowsNothing) {
  OpenArticle(2);
  ASSERT_TRUE(Browser->m_btnQuestion->GetEnabled());
  Browser->m_btnQuestionClick(Browser->m_btnQuestion);
  EXPECT_EQ(std::vector<String>{L"提示|恭喜你，习题已做完！|1|0|NO"}, Responders.Log.Dialogs);
  EXPECT_EQ(nullptr, FrmRuleLxxt);
  EXPECT_TRUE(Browser->GetVisible());
  EXPECT_EQ(crDefault, Screen->GetCursor());
}

// A question left alone times out once and is marked; one answered (with its letter key, the
// focus in the stem view) never times out.
// The mouse over the answer pages brings the hint of the page on screen: the single choice's
// and the self-assessment's.
TEST_F(LawPractice, TheAnswerPagesHintWhatTheyAskFor) {
  OpenArticle(0);
  std::vector<int> pages;
  auto hover = [&] {
    TNotebook* notebook = W()->Notebook1;
    HoverOver(notebook, 2, notebook->GetHeight() - 2);  // beside the options
    return true;
  };
  auto hinted = [&] {
    const int page = W()->Notebook1->GetPageIndex();
    if (!HintShows(AnswerPageHint(page))) return false;
    EXPECT_EQ(AnswerPageHint(page), W()->Notebook1->GetHint());
    if (pages.empty()) Shot(L"law_practice_page_hint");
    pages.push_back(page);
    return true;
  };
  Practise({[&] { return ShowQuestion(Single); }, hover, hinted, [&] { return ShowQuestion(SelfAssessed); }, hover,
            hinted, [&] {
              ClickGraphic(W()->epEfTrBtn7);
              return true;
            }});
  EXPECT_EQ((std::vector<int>{apSingle, apSelf}), pages);
}

// At 800 × 600 the page's hint, shown below the mouse resting on the answer page, lies over
// the buttons' row: a press on 关闭 where the hint covers it goes to 关闭 and ends the hint.
TEST_F(LawPractice, APressWhereTheHintLiesGoesToTheButtonUnderIt) {
  ScreenMode = L"800";
  OpenArticle(0);
  auto hover = [&] {
    HoverOver(W()->Notebook1, 2, W()->Notebook1->GetHeight() - 2);  // beside the options
    return true;
  };
  int waits = 0;
  Practise({[&] { return ShowQuestion(Single); }, hover, [&] { return HintShows(AnswerPageHint(apSingle)); },
            [&] { return ShowQuestion(SelfAssessed); }, hover,
            [&] {
              if (!HintShows(AnswerPageHint(apSelf))) return false;
              RECT hint{}, covered{};
              ::GetWindowRect(Application->GetHintWindow()->GetHandle(), &hint);
              TControl* close = W()->epEfTrBtn7;
              const TPoint topLeft = close->ClientToScreen(TPoint(0, 0));
              const RECT button{topLeft.X, topLeft.Y, topLeft.X + close->GetWidth(), topLeft.Y + close->GetHeight()};
              EXPECT_TRUE(::IntersectRect(&covered, &hint, &button)) << "the hint lies over 关闭";
              Shot(L"law_practice_hint_over_close_800x600");
              const TPoint at((covered.left + covered.right) / 2, (covered.top + covered.bottom) / 2);
              ::SetCursorPos(at.X, at.Y);
              INPUT press[2]{};
              press[0].type = press[1].type = INPUT_MOUSE;
              press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
              press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
              EXPECT_EQ(2u, ::SendInput(2, press, sizeof(INPUT)));
              return true;
            },
            [&] {
              // The press closes the window; one that went to the hint leaves it open.
              if (!W() || !W()->GetVisible()) return true;
              if (++waits < 100) return false;
              ADD_FAILURE() << "the press went to the hint";
              ClickGraphic(W()->epEfTrBtn7);
              return true;
            }});
}

TEST_F(LawPractice, TimeRunsOutOnceAndNeverAfterTheAnswer) {
  TypeIds = {11, 64, 68, 69};
  TypeTimes = {1, 1, 1, 1};  // 100 ticks of 1 ms
  OpenArticle(0);
  String first, target;
  DWORD answeredAt = 0;
  Practise({
    [&] {
      first = Current(L"a1");
      return !Responders.Log.Dialogs.empty();
    },
    [&] {
      EXPECT_EQ(std::vector<String>{L"提示|到时间了|1|1|NO"}, Responders.Log.Dialogs);
      EXPECT_EQ(L"Y", Of(L"csbs", first));
      target = first == Single ? Member1 : Single;  // two single choices
      TypeTimes = {20, 20, 20, 20};                  // two seconds from now on
      ShowQuestion(target);
      return true;
    },
    [&] {
      if (!ShowQuestion(target)) return false;
      // The key of the option, while the read-only stem view has the focus.
      ::SetFocus(W()->Re1->GetHandle());
      EXPECT_TRUE(PostKey(Current(L"a2")[0]));
      return true;
    },
    [&] {
      if (!Down(W()->fcBG_one, Of(L"a2", target)[0] - L'A')) return false;
      ClickGraphic(W()->epEfTrBtn3);  // 完成 at once: the time limit stops
      answeredAt = ::GetTickCount();
      return true;
    },
    [&] { return ::GetTickCount() - answeredAt > 3000; },
    [&] {
      EXPECT_EQ(1u, Responders.Log.Dialogs.size()) << "no time-out after the answer";
      EXPECT_NE(L"Y", Of(L"csbs", target));
      ClickGraphic(W()->epEfTrBtn7);
      return true;
    },
  });
}

// Pixels of the window's client area that match, read from the window's own DC once it has
// painted, so that another program's window over it changes nothing. Only the area shrunk by
// inset on every side and by insetRight more on the right counts.
int CountPixels(HWND window, const std::function<bool(COLORREF)>& match, int inset = 0, int insetRight = 0) {
  ::UpdateWindow(window);
  RECT r{};
  ::GetClientRect(window, &r);
  HDC dc = ::GetDC(window);
  int count = 0;
  for (int y = inset; y < r.bottom - inset; ++y)
    for (int x = inset; x < r.right - inset - insetRight; ++x) count += match(::GetPixel(dc, x, y));
  ::ReleaseDC(window, dc);
  return count;
}
bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 0x78; }

// Pixels in the highlight colour just below and right of dark ink: an embossed caption's edge.
int EmbossedPixels(HWND window) {
  ::UpdateWindow(window);
  RECT r{};
  ::GetClientRect(window, &r);
  const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
  HDC dc = ::GetDC(window);
  int count = 0;
  for (int y = 1; y < r.bottom; ++y)
    for (int x = 1; x < r.right; ++x) count += ::GetPixel(dc, x, y) == highlight && Dark(::GetPixel(dc, x - 1, y - 1));
  ::ReleaseDC(window, dc);
  return count;
}

// A type button's face as it is drawn (the box of its window region, the whole button when it
// has none) and the caption's ink on it (the plain black or grey pixels inside the face's
// edge), as the screen shows them, in the button's client coordinates.
struct TCaptionOnFace {
  RECT Face{};
  int InkLeft = 0;
  int InkRight = -1;  // inclusive; below InkLeft when there is no ink
  int InkPixels = 0;
};
TCaptionOnFace CaptionOnFace(TWinControl* button) {
  TCaptionOnFace result;
  ::RedrawWindow(button->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  if (::GetWindowRgn(button->GetHandle(), region) == ERROR || !::GetRgnBox(region, &result.Face))
    ::GetClientRect(button->GetHandle(), &result.Face);
  ::DeleteObject(region);
  const TClientPixels screen = GrabClient(button->GetHandle());
  result.InkLeft = screen.Width;
  for (int y = result.Face.top + 1; y < std::min<int>(result.Face.bottom - 1, screen.Height); ++y)
    for (int x = result.Face.left + 1; x < std::min<int>(result.Face.right - 1, screen.Width); ++x) {
      const COLORREF c = screen.At(x, y);
      if (GetRValue(c) != GetGValue(c) || GetGValue(c) != GetBValue(c) || GetRValue(c) >= 0x78) continue;
      ++result.InkPixels;
      result.InkLeft = std::min(result.InkLeft, x);
      result.InkRight = std::max(result.InkRight, x);
    }
  return result;
}

// Every type button's caption reads whole in the window's own font size (those named
// shrunk in a smaller one, 10 pixels at least), centred on the face the button draws with a
// margin of 4 pixels or more on each side, and a button that cannot be pressed still writes
// its caption in dark ink, plain, not embossed.
void ExpectTypeCaptionsReadWhole(TfcButtonGroup* bar, const std::vector<String>& shrunk) {
  TfcButtonGroupItems* items = bar->GetButtonItems();
  ASSERT_GT(items->GetCount(), 9);
  int dimmed = 0, found = 0;
  for (int i = 0; i < items->GetCount(); ++i) {
    TWinControl* button = items->GetItem(i)->GetButton();
    const std::string caption = StringToUtf8(button->GetCaption());
    const int height = std::abs(button->GetFont()->GetHeight());
    if (std::find(shrunk.begin(), shrunk.end(), button->GetCaption()) != shrunk.end()) {
      EXPECT_TRUE(height >= 10 && height < 12) << caption << ": shrunk to " << height;
      ++found;
    }
    else
      EXPECT_EQ(12, height) << caption << ": not shrunk";
    const TCaptionOnFace drawn = CaptionOnFace(button);
    ASSERT_LE(drawn.InkLeft, drawn.InkRight) << caption << ": no ink";
    const int left = drawn.InkLeft - drawn.Face.left, right = drawn.Face.right - 1 - drawn.InkRight;
    EXPECT_GE(left, 4) << caption << " on a face " << drawn.Face.right - drawn.Face.left << " wide";
    EXPECT_GE(right, 4) << caption << " on a face " << drawn.Face.right - drawn.Face.left << " wide";
    // Centred to within the half pixel of an odd width and the glyphs' own side bearings.
    EXPECT_LE(std::abs(left - right), 2) << caption << ": centred, " << left << " and " << right;
    if (button->GetEnabled()) continue;
    ++dimmed;
    EXPECT_GT(drawn.InkPixels, 40) << caption;
    EXPECT_EQ(0, EmbossedPixels(button->GetHandle())) << caption << ": plain grey, not embossed";
  }
  EXPECT_GT(dimmed, 0) << "a type without questions";
  EXPECT_EQ(static_cast<int>(shrunk.size()), found) << "the longer names are on the bar";
}

// Pixels in the colour of a selection (see CountPixels).
int SelectionPixels(HWND window, int inset = 0, int insetRight = 0) {
  const COLORREF selection = ::GetSysColor(COLOR_HIGHLIGHT);
  return CountPixels(window, [selection](COLORREF c) { return c == selection; }, inset, insetRight);
}

// The self-assessment page at both sizes: its heading reads down beside the grades,
// and the grades' box, focused with nothing chosen, shows its focus frame but no selection
// until a grade is; Alt+F4 typed in the box closes the window.
TEST_F(LawPractice, TheSelfAssessmentPageReadsWholeAndAnEmptyBoxShowsNoSelection) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    ScreenMode = mode;
    const String size = String(mode) == L"800" ? L"800x600" : L"1024x768";
    OpenArticle(0);
    Practise({
        [&] {
          ShowQuestion(SelfAssessed);
          return true;
        },
        [&] {
          if (!ShowQuestion(SelfAssessed)) return false;
          EXPECT_EQ(apSelf, W()->Notebook1->GetPageIndex());
          // The heading stands one character under the other, whole inside its bounds.
          TLabel* heading = W()->Label20;
          String caption = heading->GetCaption();
          caption.erase(std::remove_if(caption.begin(), caption.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }),
                        caption.end());
          EXPECT_EQ(L"主观", caption);
          TBitmap measure;
          measure.GetCanvas()->GetFont()->Assign(heading->GetFont());
          const TSize one = measure.GetCanvas()->TextExtent(L"主");
          RECT drawn{0, 0, heading->GetWidth(), 0};
          ::DrawTextW(measure.GetCanvas()->GetHandle(), heading->GetCaption().c_str(), -1, &drawn, DT_CALCRECT);
          EXPECT_LT(drawn.right, 2 * one.cx) << "one character wide";
          EXPECT_GE(drawn.bottom, 2 * one.cy) << "two lines";
          EXPECT_LE(drawn.right, heading->GetWidth());
          EXPECT_LE(drawn.bottom, heading->GetHeight());
          TFlatComboBox* grades = W()->FlatComboBox1;
          EXPECT_LE(heading->GetLeft() + heading->GetWidth(), grades->GetLeft());
          EXPECT_LE(grades->GetLeft() + grades->GetWidth(), W()->Notebook1->GetWidth()) << "inside the page";
          // Opened and closed with the mouse and Escape: focused, nothing chosen.
          EXPECT_EQ(-1, grades->GetItemIndex());
          ClickControl(grades);
          PostKey(VK_ESCAPE);
          PumpApplicationUntil([&] { return ::GetFocus() == grades->GetHandle() && !grades->GetDroppedDown(); },
                               3000, 10);
          PumpAWhile();
          EXPECT_EQ(grades->GetHandle(), ::GetFocus());
          EXPECT_FALSE(grades->GetDroppedDown());
          EXPECT_EQ(-1, grades->GetItemIndex());
          Shot(L"law_practice_self_empty_" + size);
          // The focus frame shows (one pixel, 3 in from the edges and left of the button);
          // inside it nothing is selected.
          EXPECT_GT(SelectionPixels(grades->GetHandle()), 20) << "the focus frame";
          EXPECT_EQ(0, SelectionPixels(grades->GetHandle(), 4, 13)) << "no selection bar without a grade";
          // A grade chosen with the keyboard is shown selected, as the system's box does.
          PostKey(VK_DOWN);
          PumpApplicationUntil([&] { return grades->GetItemIndex() == 0; }, 3000, 10);
          PumpAWhile();
          EXPECT_EQ(0, grades->GetItemIndex());
          EXPECT_GT(SelectionPixels(grades->GetHandle()), 20) << "the chosen grade is selected";
          Shot(L"law_practice_self_chosen_" + size);
          ::SetForegroundWindow(W()->GetHandle());
          EXPECT_TRUE(TypeChord({VK_MENU, VK_F4}));  // closes from the box too
          return true;
        },
    });
  }
}

// A caption of "题" and "2" whose width in font is least to most pixels; empty when none is.
String CaptionOfWidth(TFont* font, int least, int most) {
  TBitmap measure;
  TCanvas* canvas = measure.GetCanvas();
  canvas->GetFont()->Assign(font);
  for (int wide = 1; wide <= 12; ++wide)
    for (int digits = 0; digits <= 3; ++digits) {
      const String caption = String(static_cast<size_t>(wide), L'题') + String(static_cast<size_t>(digits), L'2');
      const int width = canvas->TextWidth(caption);
      if (width >= least && width <= most) return caption;
    }
  return L"";
}

// At 800 × 600 a type name that the buttons hold, but not with their margins, is written
// smaller, as far as it must, and keeps its margins; so is one that leaves room for the
// margin of one side only.
TEST_F(LawPractice, ALongerTypeNameIsWrittenSmallerToKeepItsMargins) {
  const String longer = L"不定项选择题2";
  Exec(L"update tab_tx set B1=" + QuotedStr(longer) + L" where A1=62");
  if (DM1->Cn1Table_tx->GetActive()) DM1->Cn1Table_tx->Requery();
  ScreenMode = L"800";
  OpenArticle(0);
  Practise({[&] {
    ExpectTypeCaptionsReadWhole(W()->fcBG_tx, {L"长对话与短文", longer});
    // A bar whose buttons are 80 wide, written anew in the window's size: the font's glyphs
    // (6 and 12 pixels wide) make a caption 4 to 7 pixels narrower than that.
    TfcButtonGroupItems* items = W()->fcBG_tx->GetButtonItems();
    W()->fcBG_tx->SetBounds(610, 58, 161, 112);
    for (int i = 0; i < items->GetCount(); ++i) items->GetItem(i)->GetButton()->GetFont()->SetHeight(-12);
    TTypeBar(W()->fcBG_tx).FitCaptions();
    TfcCustomBitBtn* button = nullptr;
    for (int i = 0; i < items->GetCount(); ++i)
      if (items->GetItem(i)->GetButton()->GetCaption() == longer) button = items->GetItem(i)->GetButton();
    EXPECT_TRUE(button);
    if (!button) return true;
    button->GetFont()->Assign(items->GetItem(0)->GetButton()->GetFont());  // the window's size again
    // Buttons of 80 pixels, for which a caption of those glyphs falls between the margins.
    W()->fcBG_tx->SetWidth(160);
    items->UpdateLayout();
    const int width = button->GetWidth();
    const String tight = CaptionOfWidth(button->GetFont(), width - 7, width - 4);
    EXPECT_FALSE(tight.empty()) << "a caption 4 to 7 pixels narrower than " << width;
    button->SetCaption(tight);
    TTypeBar(W()->fcBG_tx).FitCaptions();
    ExpectTypeCaptionsReadWhole(W()->fcBG_tx, {tight});
    ClickGraphic(W()->epEfTrBtn7);
    return true;
  }});
}

// A caption that leaves the button 8 pixels in all on a button of odd width would keep 3 on
// one side where the button places it: it is written smaller and keeps 4 on each side.
TEST_F(LawPractice, EachSideOfATypeNameKeepsItsMarginOnAnOddWidth) {
  ScreenMode = L"800";
  OpenArticle(0);
  Practise({[&]() -> bool {
    TfcButtonGroup* bar = W()->fcBG_tx;
    TfcButtonGroupItems* items = bar->GetButtonItems();
    TfcCustomBitBtn* button = items->GetItem(1)->GetButton();
    for (int wider = 0; wider < 4 && button->GetWidth() % 2 == 0; ++wider) {
      bar->SetWidth(bar->GetWidth() + 1);
      items->UpdateLayout();
    }
    const int width = button->GetWidth();
    EXPECT_EQ(1, width % 2) << "an odd width";
    // A proportional face reaches every width: a caption of exactly width - 8 pixels.
    button->GetFont()->SetName(L"DejaVu Sans");
    button->GetFont()->SetHeight(-12);
    TBitmap measure;
    measure.GetCanvas()->GetFont()->Assign(button->GetFont());
    String caption;
    for (int wide = 0; wide <= 12 && caption.empty(); ++wide)
      for (int narrow = 0; narrow <= 30 && caption.empty(); ++narrow) {
        const String c = String(static_cast<size_t>(wide), L'm') + String(static_cast<size_t>(narrow), L'i');
        if (measure.GetCanvas()->TextWidth(c) == width - 8) caption = c;
      }
    EXPECT_FALSE(caption.empty()) << "no caption " << width - 8 << " pixels wide";
    button->SetCaption(caption);
    TTypeBar(bar).FitCaptions();
    ::RedrawWindow(button->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const TRect& drawn = button->GetTextRect();
    EXPECT_GE(drawn.Left, 4) << "left of " << StringToUtf8(caption) << " on " << width;
    EXPECT_LE(drawn.Right, width - 4) << "right of " << StringToUtf8(caption) << " on " << width;
    EXPECT_LT(std::abs(button->GetFont()->GetHeight()), 12) << "written smaller";
    ClickGraphic(W()->epEfTrBtn7);
    return true;
  }});
}

// Every enabled command button reads blue under the mouse, 设置 among them, at both sizes.
TEST_F(LawPractice, EveryCommandButtonTurnsBlueUnderTheMouse) {
  for (const wchar_t* mode : {L"1024", L"800"}) {
    ScreenMode = mode;
    OpenArticle(0);
    Practise({[&] {
      ExpectCommandButtonsGlowBlue(W(), W()->epEfTrBtn8,
                                   String(L"law_practice_settings_hovered_") + (ScreenMode == L"800" ? L"800x600" : L"1024x768"));
      ClickGraphic(W()->epEfTrBtn7);
      return true;
    }});
  }
}

// A group stem that cannot be read says so; the question stays on display and the window
// still answers and closes. The small screen's layout, with a group question on display.
TEST_F(LawPractice, AnUnreadableGroupStemAndTheSmallScreen) {
  ScreenMode = L"800";
  OpenArticle(0);
  Practise({
    [&] {
      EXPECT_EQ(774, W()->GetWidth());
      EXPECT_EQ(489, W()->GetHeight());
      EXPECT_EQ(TRect(21, 42, 611, 426), W()->Panel1->GetBoundsRect());
      EXPECT_EQ(TRect(619, 4, 772, 430), W()->epBevel2->GetBoundsRect());
      EXPECT_EQ(435, W()->epEfTrBtn1->GetTop());
      ExpectTypeCaptionsReadWhole(W()->fcBG_tx, kSmallShrunk);
      ShowQuestion(Member1);
      return true;
    },
    [&] {
      if (!ShowQuestion(Member1)) return false;
      EXPECT_EQ(kGroupStem, W()->Re1->GetText());
      EXPECT_EQ(588, W()->Re2->GetWidth());
      Shot(L"law_practice_group_800x600");
      FData.Exec(L"drop table tab_title");
      ShowQuestion(Member2);
      return true;
    },
    [&] {
      if (!ShowQuestion(Member2)) return false;
      EXPECT_EQ(std::vector<String>{L"错误|无法打开试题！|1|2|NO"}, Responders.Log.Dialogs);
      EXPECT_EQ(Member2, Current(L"a1"));
      Shot(L"law_practice_single_800x600");
      ExpectPicturePads({W()->fcBG_one, W()->fcBG_many, W()->fcBG_yn, W()->fcBG_pw});
      EXPECT_EQ(0, W()->fcBG_tx->GetControlSpacing()) << "the type bar's buttons touch";
      ExpectTimeGaugeTurnsRed(W()->epIndiGauge1);
      HoverOver(W()->fcBG_one->GetButtonItems()->GetItem(1)->GetButton(), 12, 12);
      PumpAWhile();
      Shot(L"law_practice_pad_hover_800x600");
      ClickGraphic(W()->epEfTrBtn7);
      return true;
    },
  });
  EXPECT_FALSE(DM1->Cn1Query_tm->GetActive());
}

// Leaving a group for a question of no group, with the focus in the group member's own stem
// view and by a button that takes no focus: the focus goes up to the stem view, and the
// collapsed view is no tab stop.
TEST_F(LawPractice, LeavingAGroupFromTheOwnStemViewHandsTheFocusUp) {
  OpenArticle(0);
  String from, to;
  TepEfTrBtn* move = nullptr;
  Practise({
    [&] {
      // A group member next to a question of no group, and the button that goes there.
      TADOQuery* set = DM1->Cn1Query_tm;
      const int at = set->GetRecNo();
      std::vector<String> ids;
      for (int recNo = 1; recNo <= set->GetRecordCount(); ++recNo) {
        set->SetRecNo(recNo);
        ids.push_back(Current(L"a1"));
      }
      set->SetRecNo(at);
      auto grouped = [](const String& id) { return id.find(L'-') != String::npos; };
      for (size_t i = 0; i + 1 < ids.size() && !move; ++i) {
        if (grouped(ids[i]) == grouped(ids[i + 1])) continue;
        from = grouped(ids[i]) ? ids[i] : ids[i + 1];
        to = grouped(ids[i]) ? ids[i + 1] : ids[i];
        move = grouped(ids[i]) ? W()->epEfTrBtn2 : W()->epEfTrBtn1;  // 下一题 or 上一题
      }
      EXPECT_NE(nullptr, move);
      if (move) ShowQuestion(from);
      return true;
    },
    [&] {
      if (move && !ShowQuestion(from)) return false;
      if (move) {
        EXPECT_GT(W()->Re2->GetHeight(), 0);
        EXPECT_TRUE(W()->Re2->GetTabStop());
        ::SetForegroundWindow(W()->GetHandle());
        ::SetFocus(W()->Re2->GetHandle());
        EXPECT_EQ(W()->Re2, FocusedControl());
        ClickGraphic(move);
        EXPECT_EQ(to, Current(L"a1"));
        EXPECT_EQ(0, W()->Re2->GetHeight());
        EXPECT_EQ(W()->Re1, FocusedControl());
        EXPECT_FALSE(W()->Re2->GetTabStop());
      }
      ClickGraphic(W()->epEfTrBtn7);
      return true;
    },
  });
}

// Once a question is answered, 解析, 笔记 and 考点 open their windows over the practice, each
// on the question on display; all three are shot at both screen sizes.
TEST_F(LawPractice, TheExplanationNotesAndLinkedArticlesWindowsAtBothSizes) {
  Exec(L"update tab_exer set jx=" + GbkBlob(L"单选题的解析") + L" where a1=" + QuotedStr(Single));
  for (const wchar_t* mode : {L"1024", L"800"}) {
    ScreenMode = mode;
    const String size = String(mode) == L"800" ? L"800x600" : L"1024x768";
    Exec(L"update tab_answ set e2_1='' where a1=" + QuotedStr(Single));
    OpenArticle(0);
    HWND window = nullptr;
    // Waits for the window titled title, runs check on it, shoots it and closes it with close.
    auto inspect = [&](const wchar_t* title, const String& shot, const std::function<TepEfTrBtn*(TControl*)>& check) {
      return std::vector<std::function<bool()>>{
          [&window, title] { return (window = FindOwnWindow(title)) != nullptr; },
          [&window, shot, check] {
            TepEfTrBtn* close = check(FindControl(window));
            ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            EXPECT_TRUE(SaveWindowShot(window, shot));
            if (close)
              ClickGraphic(close);
            else
              ::PostMessageW(window, WM_CLOSE, 0, 0);
            return true;
          },
          [title] { return FindOwnWindow(title) == nullptr; }};
    };
    std::vector<std::function<bool()>> steps{
        [&] { return ShowQuestion(Single); },
        [&] {
          EXPECT_FALSE(W()->epEfTrBtn4->GetEnabled());
          Choose(W()->fcBG_one, Current(L"a2")[0] - L'A');
          return true;
        },
        [&] {
          if (!Down(W()->fcBG_one, Current(L"a2")[0] - L'A')) return false;
          ClickGraphic(W()->epEfTrBtn3);  // 完成
          EXPECT_TRUE(W()->epEfTrBtn4->GetEnabled());
          EXPECT_TRUE(W()->epEfTrBtn9->GetEnabled());
          PostGraphicClick(W()->epEfTrBtn4);  // 解析, shown modally once this step is over
          return true;
        }};
    auto add = [&](std::vector<std::function<bool()>> more) {
      for (auto& step : more) steps.push_back(std::move(step));
    };
    add(inspect(L"解析", L"law_practice_explanation_" + size, [](TControl* control) -> TepEfTrBtn* {
      auto* form = dynamic_cast<TFrmJx*>(control);
      EXPECT_NE(nullptr, form) << "the explanation window is not a TFrmJx";
      if (!form) return nullptr;
      EXPECT_NE(String::npos, form->Re->GetText().find(L"单选题的解析"));
      return form->epEfTrBtn1;
    }));
    steps.push_back([&] {
      PostGraphicClick(W()->epEfTrBtn5);  // 笔记
      return true;
    });
    add(inspect(L"笔记", L"law_practice_notes_" + size, [](TControl* control) -> TepEfTrBtn* {
      auto* form = dynamic_cast<TFrmBj*>(control);
      EXPECT_NE(nullptr, form) << "the notes window is not a TFrmBj";
      return form ? form->epEfTrBtn1 : nullptr;
    }));
    steps.push_back([&] {
      EXPECT_EQ(Single, Current(L"a1"));
      PostGraphicClick(W()->epEfTrBtn9);  // 考点
      return true;
    });
    add(inspect(L"相关考点", L"law_practice_articles_" + size, [](TControl* control) -> TepEfTrBtn* {
      auto* form = dynamic_cast<TfrmAnswFagui*>(control);
      EXPECT_NE(nullptr, form) << "the linked-articles window is not a TfrmAnswFagui";
      if (!form) return nullptr;
      // The question's bank link (k3) and the test's two articles.
      EXPECT_EQ(3, form->ListBox1->GetItems()->GetCount());
      EXPECT_FALSE(form->epLabel1->GetCaption().empty()) << "the first article's law";
      return form->epEfTrBtn1;
    }));
    steps.push_back([&] {
      ClickGraphic(W()->epEfTrBtn7);  // 关闭
      return true;
    });
    Practise(std::move(steps));
  }
  EXPECT_TRUE(Responders.Log.Dialogs.empty());
}

// 下一题 from a self-assessed question graded in its box but not finished, onto another that
// asks for a grade: the box, still focused, shows its focus frame but no selection.
TEST_F(LawPractice, MovingOnFromAGradedBoxShowsTheNextBoxEmpty) {
  Exec(L"update tab_answ set a13=64 where a1=" + QuotedStr(Single));  // now follows the dictation
  for (const wchar_t* mode : {L"800", L"1024"}) {
    ScreenMode = mode;
    OpenArticle(0);
    Practise({
        [&] { return ShowQuestion(Dictation); },
        [&] {
          TFlatComboBox* grades = W()->FlatComboBox1;
          ClickControl(grades);
          PostKey(VK_ESCAPE);
          PostKey(VK_DOWN);
          PumpApplicationUntil([&] { return grades->GetItemIndex() == 0 && !grades->GetDroppedDown(); }, 3000, 10);
          ClickGraphic(W()->epEfTrBtn2);  // 下一题
          PumpAWhile();
          EXPECT_EQ(apSelf, W()->Notebook1->GetPageIndex());
          EXPECT_EQ(grades->GetHandle(), ::GetFocus());
          EXPECT_GT(SelectionPixels(grades->GetHandle()), 20) << "the focus frame";
          EXPECT_EQ(0, SelectionPixels(grades->GetHandle(), 4, 13)) << "no selection inside it";
          Shot(L"law_practice_self_moved_on_" + String(mode));
          ClickGraphic(W()->epEfTrBtn7);  // 关闭
          return true;
        },
    });
  }
}

}  // namespace
