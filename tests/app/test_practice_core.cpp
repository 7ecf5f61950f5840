// The answering core: answer pads, judging, law lists, paging, keys, time limit, voiding,
// the slide, and saving one answer with its bookkeeping on a bank written by the test.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/ExamPaper.h"
#include "app/PracticeControls.h"
#include "app/PracticeCore.h"
#include "app/Responders.h"
#include "app/Ucommon.h"
#include "classlib/forms/Timer.h"
#include "controls/effects/IndiCtrls.h"

namespace {

// ---- Answer pads ---------------------------------------------------------------------------

TEST(AnswerPads, PageShownIsTheMappedOneOrTheOneOnScreen) {
  EXPECT_EQ(apSingle, ShownAnswerPage(11, apSelf));
  EXPECT_EQ(apMultiple, ShownAnswerPage(14, apSelf));
  for (int type : {20, 21, 22, 64, 65, 69}) EXPECT_EQ(apSelf, ShownAnswerPage(type, apSingle));
  EXPECT_EQ(apFill, ShownAnswerPage(99, apFill)) << "an unmapped type keeps the page on screen";
  EXPECT_EQ(apSelf, ShownAnswerPage(99, 99)) << "never 99";
}

struct TPadCase {
  int Page;
  int Options;
  const wchar_t* Stored;   // restored into the pad
  const wchar_t* Read;     // read back from it
};

TEST(AnswerPads, EveryPageReadsBackWhatItRestored) {
  const TPadCase cases[] = {
      {apSingle, 4, L"C", L"C"},       {apSingle, 4, L"E", L""},      {apSingle, 6, L"F", L"F"},
      {apMultiple, 4, L"BD", L"BD"},   {apMultiple, 5, L"EAC", L"ACE"}, {apMultiple, 4, L"ABEF", L"AB"},
      {apFill, 0, L"1,2", L"1,2"},     {apTrueFalse, 0, L"A", L"A"},  {apTrueFalse, 0, L"B", L"B"},
      {apTrueFalse, 0, L"C", L""},     {apSelf, 0, L"1", L"1"},       {apSelf, 0, L"0", L"0"},
      {apSelf, 0, L"2", L""},          {apMatch, 3, L"B", L"B"},      {apMatch, 9, L"F", L"F"},
      {apSingle, 4, L"zero", L""},     {apMultiple, 4, L"", L""},     {apFill, 0, L"zero", L""},
  };
  for (const TPadCase& c : cases) {
    const TAnswerPad pad = RestoreAnswer(c.Page, c.Options, c.Stored);
    EXPECT_EQ(String(c.Read), ReadAnswer(pad)) << "page " << c.Page << " " << StringToUtf8(c.Stored);
  }
}

TEST(AnswerPads, ThreeGradesReadTheThirdItemAndJudgeBothKnowingGradesRight) {
  const TAnswerPad pad = RestoreAnswer(apSelf, 0, L"2", TSelfGrades::Three);
  EXPECT_EQ(2, pad.ItemIndex);
  EXPECT_EQ(L"2", ReadAnswer(pad)) << "熟悉 is kept as its own grade";
  TAnswerPad tooFar = pad;
  tooFar.ItemIndex = 3;
  EXPECT_EQ(L"", ReadAnswer(tooFar));
  EXPECT_TRUE(IsRightAnswer(L"1", L"1", TSelfGrades::Three, true));
  EXPECT_TRUE(IsRightAnswer(L"2", L"1", TSelfGrades::Three, true)) << "熟悉 counts as right";
  EXPECT_FALSE(IsRightAnswer(L"0", L"1", TSelfGrades::Three, true));
  EXPECT_FALSE(IsRightAnswer(L"2", L"1", TSelfGrades::Three, false)) << "a fill-in answer stays literal";
  EXPECT_FALSE(IsRightAnswer(L"2", L"1")) << "two grades: literal";
  EXPECT_TRUE(GradesThreeOnSelfPage(TSelfGrades::Three, 64));
  EXPECT_FALSE(GradesThreeOnSelfPage(TSelfGrades::Three, 11));
  EXPECT_FALSE(GradesThreeOnSelfPage(TSelfGrades::Two, 64));
  EXPECT_EQ(L"恭喜你，做对了！", VerdictText(L"2", L"1", TSelfGrades::Three, true));
  TAnswerHistory history;
  history.Key = L"1";
  const TDateTime day = EncodeDate(2024, 5, 7);
  EXPECT_TRUE(JudgeAnswer(history, L"2", day, TSelfGrades::Three, true).Right);
  EXPECT_EQ(0, JudgeAnswer(history, L"2", day, TSelfGrades::Three, true).Balance) << "not in the wrong-answer set";
  history.LastAnswer = L"2";
  history.Balance = -2;
  history.Answers = 1;
  const TJudgement again = JudgeAnswer(history, L"1", day, TSelfGrades::Three, true);
  EXPECT_EQ(1, again.Previous) << "the last grade was right too";
  EXPECT_EQ(-1, again.Balance);
}

TEST(AnswerPads, HiddenOptionsAreNeverRead) {
  TAnswerPad pad = RestoreAnswer(apMultiple, 4, L"BD");
  EXPECT_TRUE(pad.Visible[3]);
  EXPECT_FALSE(pad.Visible[4]);
  EXPECT_FALSE(pad.Visible[5]);
  pad.Down[4] = pad.Down[5] = true;  // left pressed by an earlier six-option question
  EXPECT_EQ(L"BD", ReadAnswer(pad));
  pad.Page = apSingle;
  EXPECT_EQ(L"B", ReadAnswer(pad)) << "the first pressed one";
  pad.Visible[1] = false;
  EXPECT_EQ(L"D", ReadAnswer(pad));
}

TEST(AnswerPads, FillInIsTrimmedAndNothingChosenIsEmpty) {
  TAnswerPad pad;
  pad.Page = apFill;
  pad.Text = L"  甲,乙 \t";
  EXPECT_EQ(L"甲,乙", ReadAnswer(pad));
  pad.Text = L"   ";
  EXPECT_EQ(L"", ReadAnswer(pad));
  pad = TAnswerPad{};
  EXPECT_EQ(L"", ReadAnswer(pad)) << "self-assessment without an item";
  pad.Page = 7;
  EXPECT_EQ(L"", ReadAnswer(pad));
}

TEST(AnswerPads, PanelShowsTrueFalseInWords) {
  EXPECT_EQ(L"对", ShownAnswer(RestoreAnswer(apTrueFalse, 0, L"A")));
  EXPECT_EQ(L"错", ShownKey(apTrueFalse, L"B"));
  EXPECT_EQ(L"AC", ShownAnswer(RestoreAnswer(apMultiple, 4, L"AC")));
  EXPECT_EQ(L"", ShownAnswer(RestoreAnswer(apFill, 0, L"x"))) << "only choices are shown";
  EXPECT_EQ(L"A", ShownKey(apSingle, L"A"));
}

TEST(AnswerPads, ButtonsFollowTheAnswerTheTypeAndTheNote) {
  const TAnswerButtons none = AnswerButtonsOf(L"", true, L"1101001", 11, L"记");
  EXPECT_FALSE(none.Explanation || none.LinkedRules || none.Key);
  EXPECT_TRUE(none.HasNote);
  const TAnswerButtons answered = AnswerButtonsOf(L"A", true, L"1101001", 11, L"  ");
  EXPECT_TRUE(answered.Explanation && answered.LinkedRules && answered.Key);
  EXPECT_FALSE(answered.HasNote) << "a note of blanks";
  EXPECT_FALSE(AnswerButtonsOf(L"1", true, L"", 65, L"").Key) << "self-assessed";
  EXPECT_FALSE(AnswerButtonsOf(L"1", true, L" ", 65, L"").LinkedRules);
  EXPECT_FALSE(AnswerButtonsOf(L"A", false, L"", 11, L"").Explanation);
  EXPECT_EQ(L"恭喜你，做对了！", VerdictText(L"AC", L"AC"));
  EXPECT_EQ(L"很遗憾，做错了，请继续努力！", VerdictText(L"", L"AC"));
}

// ---- Judging -------------------------------------------------------------------------------

const TDateTime kToday = EncodeDate(2024, 5, 7);

TAnswerHistory History(const wchar_t* last, int balance, int answers = 0, TDateTime date = 0,
                       const wchar_t* practice = L"") {
  return TAnswerHistory{L"B", last, practice, answers, balance, date};
}

TEST(Judging, FirstAnswerSetsTheBalance) {
  TJudgement wrong = JudgeAnswer(History(L"", 0), L"A", kToday);
  EXPECT_TRUE(wrong.Counts);
  EXPECT_EQ(-3, wrong.Balance);
  EXPECT_EQ(1, wrong.Answers);
  EXPECT_EQ(2, wrong.First);
  EXPECT_EQ(2, wrong.Result);
  EXPECT_EQ(2, wrong.TodayFlag);
  TJudgement right = JudgeAnswer(History(L"", 0), L"B", kToday);
  EXPECT_EQ(0, right.Balance);
  EXPECT_EQ(1, right.Result);
  EXPECT_TRUE(right.Right);
}

TEST(Judging, LaterAnswersMoveTheBalance) {
  EXPECT_EQ(-2, JudgeAnswer(History(L"A", -3, 1), L"B", kToday).Balance) << "right raises a negative balance";
  EXPECT_EQ(0, JudgeAnswer(History(L"B", 0, 1), L"B", kToday).Balance) << "right at 0 stays";
  EXPECT_EQ(2, JudgeAnswer(History(L"B", 2, 1), L"B", kToday).Balance);
  EXPECT_EQ(-1, JudgeAnswer(History(L"B", 0, 1), L"A", kToday).Balance) << "wrong lowers it";
  EXPECT_EQ(-4, JudgeAnswer(History(L"A", -3, 1), L"C", kToday).Balance);
  const TJudgement again = JudgeAnswer(History(L"B", 0, 4), L"A", kToday);
  EXPECT_EQ(1, again.First);
  EXPECT_EQ(1, again.Previous) << "the last answer was right";
  EXPECT_EQ(5, again.Answers);
}

TEST(Judging, SameAnswerInThisPracticeCountsOnceAChangedOneAgain) {
  EXPECT_FALSE(JudgeAnswer(History(L"A", -3, 1, kToday, L"A"), L"A", kToday).Counts);
  EXPECT_FALSE(JudgeAnswer(History(L"A", -3, 1, kToday, L"A"), L"", kToday).Counts);
  const TJudgement changed = JudgeAnswer(History(L"A", -3, 1, kToday, L"A"), L"B", kToday);
  EXPECT_TRUE(changed.Counts);
  EXPECT_EQ(-2, changed.Balance);
  EXPECT_EQ(2, changed.Previous);
}

TEST(Judging, VoidMarkerCountsAsNeverAnswered) {
  const TJudgement j = JudgeAnswer(History(L"zero", 0), L"A", kToday);
  EXPECT_EQ(2, j.First);
  EXPECT_EQ(-3, j.Balance);
  EXPECT_TRUE(IsNeverAnswered(L"zero"));
  EXPECT_FALSE(IsNeverAnswered(L"zer"));
}

TEST(Judging, TodayComparesDatesOnly) {
  EXPECT_EQ(1, JudgeAnswer(History(L"A", 0, 1, kToday + 0.75), L"B", kToday + 0.1).TodayFlag);
  EXPECT_EQ(2, JudgeAnswer(History(L"A", 0, 1, kToday - 0.25), L"B", kToday).TodayFlag);
  EXPECT_EQ(2, JudgeAnswer(History(L"A", 0, 1, 0), L"B", kToday).TodayFlag);
}

// ---- Law points ----------------------------------------------------------------------------

TEST(LawLists, StopAtTheFirstEmptyColumnWithQuotedIds) {
  const TRuleLists lists = RuleListsOf({L"1101002", L"2201001", L"", L"1102001", L"", L"", L"", L"", L"", L""});
  EXPECT_EQ(L"('1101002','2201001')", lists.ArticleList);
  EXPECT_EQ(L"('1101','2201')", lists.LawList);
  EXPECT_EQ(L"('1','2')", lists.GroupList);
  EXPECT_TRUE(RuleListsOf({L"", L"1101002"}).IsEmpty());
  EXPECT_EQ(L"()", RuleListsOf({}).ArticleList);
  EXPECT_EQ(L"('O''1')", RuleListsOf({L"O'1"}).ArticleList) << "quotes doubled";
  EXPECT_EQ(L"('ab')", RuleListsOf({L"ab"}).LawList) << "short ids stay whole";
}

TEST(LawLists, LinkedIdsSkipEmptyColumns) {
  std::vector<String> columns(10);
  columns[0] = L"1101001";
  columns[1] = L"1101002";
  columns[7] = L"2201001";
  columns[8] = L"  ";
  const std::vector<String> ids = LinkedRuleIds(columns);
  ASSERT_EQ(3u, ids.size());
  EXPECT_EQ(L"2201001", ids[2]);
  EXPECT_EQ(L"('1101001','1101002','2201001')", SqlInList(ids));
}

// ---- Group paging --------------------------------------------------------------------------

TEST(GroupPaging, GroupsOfTwenty) {
  const TQuestionGroup one = QuestionGroupOf(1, 1);
  EXPECT_EQ(1, one.Groups);
  EXPECT_EQ(1, one.Count);
  EXPECT_FALSE(one.HasNext());
  EXPECT_EQ(0, one.RecordOfButton(1));

  const TQuestionGroup twenty = QuestionGroupOf(20, 1);
  EXPECT_EQ(1, twenty.Groups);
  EXPECT_EQ(20, twenty.Count);
  EXPECT_EQ(20, twenty.End());
  EXPECT_FALSE(twenty.HasNext());

  const TQuestionGroup last21 = QuestionGroupOf(21, 2);
  EXPECT_EQ(2, last21.Groups);
  EXPECT_EQ(21, last21.Start);
  EXPECT_EQ(1, last21.Count);
  EXPECT_TRUE(last21.HasPrevious());
  EXPECT_FALSE(last21.HasNext());

  const TQuestionGroup third = QuestionGroupOf(45, 3);
  EXPECT_EQ(3, third.Groups);
  EXPECT_EQ(41, third.Start);
  EXPECT_EQ(5, third.Count);
  EXPECT_EQ(45, third.RecordOfButton(4));
  EXPECT_EQ(0, third.RecordOfButton(5)) << "buttons 6 to 20 stand for nothing";
  EXPECT_EQ(-1, third.ButtonOfRecord(40));
  EXPECT_EQ(2, QuestionGroupOf(45, 2).Group);
  EXPECT_EQ(20, QuestionGroupOf(45, 2).Count);
  EXPECT_EQ(3, QuestionGroupOf(45, 9).Group) << "past the last group";
  EXPECT_EQ(1, QuestionGroupOf(45, 0).Group);
  EXPECT_EQ(2, QuestionGroupOfRecord(45, 21).Group);
  EXPECT_EQ(1, QuestionGroupOfRecord(45, 20).Group);
  EXPECT_EQ(0, QuestionGroupOf(0, 1).Groups);
  EXPECT_EQ(-1, QuestionGroupOf(0, 1).ButtonOfRecord(0));
}

// ---- Keys ----------------------------------------------------------------------------------

TKeyContext Keys(int page, int usable) {
  TKeyContext context;
  context.Page = page;
  for (int i = 0; i < usable; ++i) context.OptionUsable[i] = true;
  context.PreviousEnabled = context.NextEnabled = true;
  return context;
}

TEST(PadKeys, LettersPressOrToggleUsableOptions) {
  EXPECT_EQ(TKeyActionKind::PressOption, KeyActionOf(Keys(apSingle, 4), 'D').Kind);
  EXPECT_EQ(3, KeyActionOf(Keys(apSingle, 4), 'D').Option);
  EXPECT_EQ(TKeyActionKind::None, KeyActionOf(Keys(apSingle, 4), 'E').Kind) << "no fifth option";
  EXPECT_EQ(TKeyActionKind::ToggleOption, KeyActionOf(Keys(apMultiple, 6), 'F').Kind);
  EXPECT_EQ(TKeyActionKind::None, KeyActionOf(Keys(apMultiple, 6), 'G').Kind);
  for (int page : {apFill, apTrueFalse, apSelf, apMatch})
    EXPECT_EQ(TKeyActionKind::None, KeyActionOf(Keys(page, 6), 'A').Kind) << page;
}

TEST(PadKeys, BackSpaceAndEnterMoveWhileTheirButtonsAreEnabled) {
  TKeyContext context = Keys(apSingle, 4);
  EXPECT_EQ(TKeyActionKind::Previous, KeyActionOf(context, 8).Kind);
  EXPECT_EQ(TKeyActionKind::Next, KeyActionOf(context, 13).Kind);
  context.PreviousEnabled = context.NextEnabled = false;
  EXPECT_EQ(TKeyActionKind::None, KeyActionOf(context, 8).Kind);
  EXPECT_EQ(TKeyActionKind::None, KeyActionOf(context, 13).Kind);
}

TEST(PadKeys, NothingWhileAModifierIsHeldOrTextIsTyped) {
  for (bool TKeyContext::*flag : {&TKeyContext::ModifierDown, &TKeyContext::Typing}) {
    TKeyContext context = Keys(apSingle, 4);
    context.*flag = true;  // the desktop command's Windows+D; letters typed into an edit
    EXPECT_EQ(TKeyActionKind::None, KeyActionOf(context, 'D').Kind);
    EXPECT_EQ(TKeyActionKind::None, KeyActionOf(context, 8).Kind);
    EXPECT_EQ(TKeyActionKind::None, KeyActionOf(context, 13).Kind);
  }
}

TEST(PadKeys, DesktopCommandSendsWindowsDAndItsDPressesNoOption) {
  std::vector<TKeyStroke> sent;
  const TKeySender before = SetKeySender([&](const std::vector<TKeyStroke>& strokes) { sent = strokes; });
  SendKeyStrokes(ShowDesktopStrokes());
  SetKeySender(before);
  const std::vector<TKeyStroke> expected{{91, false}, {68, false}, {68, true}, {91, true}};
  EXPECT_EQ(expected, sent);

  BYTE keys[256] = {};
  ASSERT_TRUE(::GetKeyboardState(keys));
  BYTE held[256];
  std::copy(std::begin(keys), std::end(keys), held);
  for (int key : {VK_LWIN, VK_CONTROL, VK_MENU}) {
    held[key] = 0x80;
    ASSERT_TRUE(::SetKeyboardState(held));
    TKeyContext context = Keys(apSingle, 4);
    context.ModifierDown = ModifierKeyDown();
    EXPECT_EQ(TKeyActionKind::None, KeyActionOf(context, 'D').Kind) << key;
    held[key] = 0;
  }
  ASSERT_TRUE(::SetKeyboardState(held));
  EXPECT_FALSE(ModifierKeyDown());
  ::SetKeyboardState(keys);
}

// ---- Time limit, voiding, slide --------------------------------------------------------------

TEST(TimeLimit, IntervalOfTheFirstMatchingTypeElseOneMinute) {
  const std::vector<int> ids{11, 14, 11, 20};
  const std::vector<int> times{300, 1200, 999, 0};
  EXPECT_EQ(300, AnswerInterval(11, ids, times));
  EXPECT_EQ(1200, AnswerInterval(14, ids, times));
  EXPECT_EQ(600, AnswerInterval(62, ids, times));
  EXPECT_EQ(0, AnswerInterval(20, ids, times)) << "no time limit";
  EXPECT_EQ(600, AnswerInterval(11, ids, {})) << "arrays of different lengths";
}

// The tick that fills the gauge ends the time, once: 100 ticks last the answer time.
TEST(TimeLimit, TheHundredthTickEndsTheTimeOnce) {
  const std::vector<int> ids = TypeIds, times = TypeTimes;
  TypeIds = {11};
  TypeTimes = {300};
  TepIndiGauge gauge(nullptr);
  TTimer timer(nullptr);
  TTimeLimit limit(&gauge, &timer);
  limit.Start(11, false);
  EXPECT_EQ(300u, timer.GetInterval());
  int ticks = 0;
  while (ticks < 200 && !limit.Tick()) ++ticks;
  EXPECT_EQ(99, ticks) << "the 100th tick is the last";
  EXPECT_EQ(100, gauge.GetProgress());
  EXPECT_FALSE(limit.Running());
  EXPECT_FALSE(limit.Tick()) << "once";
  limit.Start(11, true);
  EXPECT_FALSE(limit.Running()) << "an answered question has no time limit";
  EXPECT_EQ(0, gauge.GetProgress());
  TypeIds = ids;
  TypeTimes = times;
}

TEST(Voiding, MarkerOnlyInAnEmptyLastAnswerAndClearedOnRestore) {
  EXPECT_EQ(L"zero", VoidMarksOf(L"").LastAnswer);
  EXPECT_EQ(1, VoidMarksOf(L"").Voided);
  EXPECT_EQ(L"AC", VoidMarksOf(L"AC").LastAnswer) << "the student's answer is kept";
  EXPECT_EQ(L"", RestoreMarksOf(L"zero").LastAnswer);
  EXPECT_EQ(0, RestoreMarksOf(L"zero").Voided);
  EXPECT_EQ(L"AC", RestoreMarksOf(L"AC").LastAnswer);
}

TEST(AnswerPanel, SlideGrowsItsStepsAndEndsOnTheTarget) {
  EXPECT_EQ((std::vector<int>{20, 60, 120, 200, 300, 420, 500}), SlideWidths(0, 500));
  EXPECT_EQ((std::vector<int>{480, 440, 380, 300, 200, 80, 0}), SlideWidths(500, 0));
  EXPECT_TRUE(SlideWidths(300, 300).empty());
  const std::vector<int> huge = SlideWidths(0, 100000000);
  EXPECT_LE(huge.size(), 64u);
  EXPECT_EQ(100000000, huge.back());
  EXPECT_EQ(0, SlideWidths(10, -5).back());
}

// ---- Saving on a bank ----------------------------------------------------------------------

class SavingAnswers : public TTestBankModule {
 protected:
  void SetUp() override {
    TTestBankModule::SetUp();
    Set()->GetSQL()->SetText(L"select * from tab_answ where a10 = '210101'");  // linked to two articles
    Set()->Open();
    ASSERT_EQ(1, Set()->GetRecordCount());
  }

  TADOQuery* Set() { return FModule->Cn1Query_tm; }
  int Question(const wchar_t* column) {
    return Int(L"select " + String(column) + L" from tab_answ where a10 = '210101'");
  }
  int Chapter(const wchar_t* code, const wchar_t* column) {
    return Int(L"select " + String(column) + L" from tab_kmmc where C1 = '" + code + L"'");
  }
  int Log(const wchar_t* column) { return Int(L"select " + String(column) + L" from tab_rz"); }
  int Rule(const wchar_t* ftid, const wchar_t* column) {
    return Int(L"select " + String(column) + L" from tab_rule where ftid = '" + ftid + L"'");
  }
};

TEST_F(SavingAnswers, FirstWrongAnswerWritesTheRowAndEveryCounter) {
  EXPECT_EQ(TSaveResult::Wrong, SaveAnswerRow(*FModule, Set(), L"B"));
  EXPECT_EQ(-3, Question(L"e4"));
  EXPECT_EQ(1, Question(L"e3"));
  EXPECT_EQ(L"B", Text(L"select e2 from tab_answ where a10 = '210101'"));
  EXPECT_EQ(L"B", Text(L"select e2_1 from tab_answ where a10 = '210101'"));
  EXPECT_EQ(1, Int(L"select count(*) from tab_answ where e1 = #2024-05-07#"));
  EXPECT_EQ(1, Log(L"A2"));
  EXPECT_EQ(1, Log(L"A3"));
  for (const wchar_t* code : {L"210101", L"2101", L"21", L"2"}) {
    EXPECT_EQ(1, Chapter(code, L"C4")) << StringToUtf8(code);
    EXPECT_EQ(1, Chapter(code, L"D2")) << StringToUtf8(code);
  }
  EXPECT_EQ(1, Rule(L"1101002", L"q4"));
  EXPECT_EQ(1, Rule(L"1102001", L"q1"));
  EXPECT_EQ(0, Rule(L"1101001", L"q2"));
}

TEST_F(SavingAnswers, SameAnswerCountsOnceChangedAgainEmptyClearsThePracticeAnswer) {
  SaveAnswerRow(*FModule, Set(), L"B");
  EXPECT_EQ(TSaveResult::Unchanged, SaveAnswerRow(*FModule, Set(), L"B"));
  EXPECT_EQ(1, Log(L"A2"));
  EXPECT_EQ(TSaveResult::Right, SaveAnswerRow(*FModule, Set(), L"A"));
  EXPECT_EQ(2, Log(L"A2"));
  EXPECT_EQ(1, Log(L"A3"));
  EXPECT_EQ(0, Log(L"B2")) << "wrong, then right today";
  EXPECT_EQ(-2, Question(L"e4"));
  EXPECT_EQ(2, Chapter(L"2", L"D1"));
  EXPECT_EQ(1, Chapter(L"2", L"C4"));
  EXPECT_EQ(TSaveResult::Empty, SaveAnswerRow(*FModule, Set(), L""));
  EXPECT_EQ(L"", Text(L"select e2_1 from tab_answ where a10 = '210101'"));
  EXPECT_EQ(L"A", Text(L"select e2 from tab_answ where a10 = '210101'"));
  EXPECT_EQ(2, Log(L"A2"));
}

TEST_F(SavingAnswers, FailureLeavesNoneOfTheWrites) {
  FModule->ADOCn1->Execute(L"drop table tab_fgmc");  // the law counters fail after the others
  EXPECT_ANY_THROW(SaveAnswerRow(*FModule, Set(), L"B"));
  EXPECT_FALSE(FModule->ADOCn1->GetInTransaction());
  EXPECT_EQ(0, Int(L"select count(*) from tab_rz"));
  EXPECT_EQ(0, Chapter(L"2", L"D1"));
  EXPECT_EQ(0, Rule(L"1101002", L"q2"));
  EXPECT_EQ(0, Question(L"e3"));
  EXPECT_EQ(L"", Set()->FieldByName(L"E2")->GetAsString()) << "the cursor keeps the stored row";
  EXPECT_EQ(dsBrowse, Set()->GetState());
}

TEST_F(SavingAnswers, ThreeGradesSaveTheBestGradeAsRightOnlyForSelfAssessedTypes) {
  FModule->ADOCn1->Execute(L"update tab_answ set a2 = '1', a13 = 64 where a10 = '210101'");
  Set()->Close();
  Set()->Open();
  EXPECT_EQ(TSaveResult::Wrong, SaveAnswerRow(*FModule, Set(), L"2")) << "two grades: literal";
  EXPECT_EQ(TSaveResult::Wrong, SaveAnswerRow(*FModule, Set(), L"0", TSelfGrades::Three));
  EXPECT_EQ(TSaveResult::Right, SaveAnswerRow(*FModule, Set(), L"2", TSelfGrades::Three));
  EXPECT_EQ(-3, Question(L"e4")) << "right raises the balance by one from -4";
  EXPECT_EQ(L"2", Text(L"select e2 from tab_answ where a10 = '210101'")) << "the grade itself is stored";
  FModule->ADOCn1->Execute(L"update tab_answ set a13 = 11 where a10 = '210101'");
  Set()->Close();
  Set()->Open();
  EXPECT_EQ(TSaveResult::Wrong, SaveAnswerRow(*FModule, Set(), L"3", TSelfGrades::Three)) << "not self-assessed";
}

TEST_F(SavingAnswers, ExamAnswerGoesToThePaperAndItsCountersToTheBank) {
  FModule->ADOCn1->Execute(PaperTableStatement(L"tab_exam1"));
  FModule->ADOCn1->Execute(
      L"insert into tab_exam1 (a1,a2,a2_1,k3,k4,a10,a13,e2,e2_1,e3,e4,f1) "
      L"select a1,a2,a2_1,k3,k4,a10,a13,e2,e2_1,e3,e4,f1 from tab_answ where a10 = '210101'");
  TADOQuery* paper = FModule->Cn1Query_exam;
  paper->GetSQL()->SetText(L"select * from tab_exam1");
  paper->Open();
  const String paperAnswer = L"select e2_1 from tab_exam1";
  EXPECT_EQ(TSaveResult::Wrong, SaveExamAnswerRow(*FModule, paper, Set(), L"B"));
  EXPECT_EQ(L"B", Text(paperAnswer));
  EXPECT_EQ(0, Int(L"select e3 from tab_exam1")) << "the paper keeps no counters";
  EXPECT_EQ(1, Question(L"e3"));
  EXPECT_EQ(-3, Question(L"e4"));
  EXPECT_EQ(L"B", Text(L"select e2 from tab_answ where a10 = '210101'"));
  EXPECT_EQ(1, Log(L"A2"));
  EXPECT_EQ(1, Rule(L"1101002", L"q4"));
  EXPECT_EQ(TSaveResult::Unchanged, SaveExamAnswerRow(*FModule, paper, Set(), L"B"));
  EXPECT_EQ(TSaveResult::Right, SaveExamAnswerRow(*FModule, paper, Set(), L"A"));
  EXPECT_EQ(2, Question(L"e3"));
  EXPECT_EQ(-2, Question(L"e4")) << "judged from the bank's balance, not the paper's copy";
  EXPECT_EQ(TSaveResult::Empty, SaveExamAnswerRow(*FModule, paper, Set(), L""));
  EXPECT_EQ(L"", Text(paperAnswer));
  EXPECT_EQ(L"A", Text(L"select e2_1 from tab_answ where a10 = '210101'")) << "the bank keeps the answer";
  // A question the bank no longer has still gets its answer on the paper, and no counters.
  EXPECT_EQ(TSaveResult::Wrong, SaveExamAnswerRow(*FModule, paper, nullptr, L"C"));
  EXPECT_EQ(L"C", Text(paperAnswer));
  EXPECT_EQ(0, Int(L"select e3 from tab_exam1")) << "the paper keeps no counters without the bank either";
  EXPECT_EQ(0, Int(L"select e4 from tab_exam1"));

  // A paper sat again later: the bank was answered since the paper was drawn, so a right
  // answer raises the bank's balance by one rather than starting it afresh.
  FModule->ADOCn1->Execute(L"update tab_exam1 set e2 = '', e2_1 = ''");
  FModule->ADOCn1->Execute(L"update tab_answ set e2 = 'B', e4 = -5 where a10 = '210101'");
  paper->Close();
  paper->Open();
  Set()->Close();
  Set()->Open();
  EXPECT_EQ(TSaveResult::Right, SaveExamAnswerRow(*FModule, paper, Set(), L"A"));
  EXPECT_EQ(-4, Question(L"e4")) << "judged as a later answer of the bank's question";
}

TEST_F(SavingAnswers, TimeOutIsKeptEvenWhenAnsweredRightAfterwards) {
  MarkTimedOut(Set());
  SaveAnswerRow(*FModule, Set(), L"A");
  EXPECT_EQ(L"Y", Text(L"select csbs from tab_answ where a10 = '210101'"));
  EXPECT_EQ(0, Question(L"e4"));
}

TEST_F(SavingAnswers, VoidingAndRestoringAQuestionNeverAnswered) {
  EXPECT_EQ(1, ToggleVoidRow(Set()));
  EXPECT_EQ(L"zero", Text(L"select e2 from tab_answ where a10 = '210101'"));
  EXPECT_EQ(0, ToggleVoidRow(Set()));
  EXPECT_EQ(1, Int(L"select count(*) from tab_answ where a10 = '210101' and (E2 = '' or E2 is null) and f1 <> 1"))
      << "back among the new questions";
  SaveAnswerRow(*FModule, Set(), L"B");
  EXPECT_EQ(1, ToggleVoidRow(Set()));
  EXPECT_EQ(L"B", Text(L"select e2 from tab_answ where a10 = '210101'")) << "the answer is kept";
}

TEST_F(SavingAnswers, LinkedArticlesOfTwoLawsEachWithItsOwnTitle) {
  TADOConnection& cn = *FModule->ADOCn1;
  const String id = Text(L"select a1 from tab_answ where a10 = '210101'");
  std::vector<TLinkedArticle> articles = LinkedArticlesOf(cn, id);
  ASSERT_EQ(2u, articles.size());
  EXPECT_EQ(L"1101002", articles[0].ArticleId);
  EXPECT_EQ(L"第二条", articles[0].Number);
  EXPECT_EQ(L"甲法", articles[0].LawTitle);
  EXPECT_EQ(L"1102001", articles[1].ArticleId);
  EXPECT_EQ(L"乙法", articles[1].LawTitle) << "the second article's title is its own law's";

  // Columns with gaps, in column order; an id the bank lacks is left out.
  cn.Execute(L"update tab_answ set k3 = '2201001', k4 = '1101001', k5 = null, k10 = '1101002', "
             L"k11 = 'no''such' where a1 = " + SqlQuoted(id));
  articles = LinkedArticlesOf(cn, id);
  ASSERT_EQ(3u, articles.size());
  EXPECT_EQ(L"2201001", articles[0].ArticleId);
  EXPECT_EQ(L"丙规", articles[0].LawTitle);
  EXPECT_EQ(L"1101001", articles[1].ArticleId);
  EXPECT_EQ(L"1101002", articles[2].ArticleId);

  EXPECT_TRUE(LinkedArticlesOf(cn, Text(L"select a1 from tab_answ where a10 = '210102'")).empty());
  EXPECT_TRUE(LinkedArticlesOf(cn, L"x' or '1'='1").empty()) << "the id is quoted";
}

}  // namespace
