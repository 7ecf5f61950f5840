// The practice session on a copy of the shipped bank: loading clears the last practice,
// type filters, groups of twenty, moving and saving, pad marks, voiding, and ending a
// practice whatever fails; the pictures of the pad's marks under each look.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/AnswerPadView.h"
#include "app/PracticeSession.h"
#include "app/dm.h"
#include "tests/ApplicationTestSupport.h"

namespace {

const wchar_t kAll[] = L"select * from tab_answ order by a13, a1";
const wchar_t kFirst45[] = L"select top 45 * from tab_answ where a13 = 11 order by a1";

class Session : public ::testing::Test {
 protected:
  TPracticeSession& S() { return FSession; }
  String Field(const wchar_t* name) { return DM1->Cn1Query_tm->FieldByName(name)->GetAsString(); }
  int Int(const String& sql) { return SelectInt(FData.Cn(), sql); }

  TProgramData FData;
  TPracticeSession FSession{*DM1, DM1->Cn1Query_tm};
};

TEST_F(Session, LoadingClearsTheLastPracticeAndShowsNothing) {
  FData.Exec(L"update tab_answ set e2_1 = 'A'");
  ASSERT_TRUE(S().Load(kAll));
  EXPECT_EQ(0, Int(L"select count(*) from tab_answ where e2_1 <> ''"));
  EXPECT_EQ(420, S().Total());
  EXPECT_EQ(0, S().GetCurrent());
  EXPECT_FALSE(S().Load(L"select * from tab_answ where a13 = 99"));
}

TEST_F(Session, TypeFilterKeepsTheOldOneWhenTheTypeHasNone) {
  ASSERT_TRUE(S().Load(kAll));
  ASSERT_TRUE(S().ApplyType(14));
  EXPECT_EQ(122, S().Total());
  EXPECT_EQ(1, S().GetCurrent()) << "numbering restarts in the filtered set";
  EXPECT_EQ(7, S().GetGroup().Groups);
  EXPECT_FALSE(S().HasType(21));
  EXPECT_FALSE(S().ApplyType(21));
  EXPECT_EQ(14, S().GetType());
  EXPECT_EQ(122, S().Total());
  EXPECT_EQ(L"14", Field(L"a13"));
  EXPECT_TRUE(S().ApplyType(0));
  EXPECT_EQ(420, S().Total());
}

// A type check that left the set on another row would hand the windows, which read the key
// and the note from the set's current row, another question's.
TEST_F(Session, TypeCheckLeavesTheSetOnTheQuestionShown) {
  ASSERT_TRUE(S().Load(kAll));
  ASSERT_TRUE(S().ApplyType(14));
  ASSERT_TRUE(S().Show(5));
  const String id = Field(L"a1");
  EXPECT_TRUE(S().HasType(11));
  EXPECT_EQ(5, DM1->Cn1Query_tm->GetRecNo());
  EXPECT_EQ(id, Field(L"a1"));
  EXPECT_FALSE(S().HasType(21));
  EXPECT_EQ(5, DM1->Cn1Query_tm->GetRecNo());
  EXPECT_EQ(id, Field(L"a1"));
  EXPECT_EQ(122, S().Total()) << "the filter as it was";
}

TEST_F(Session, GroupsAndMovesOnFortyFiveQuestions) {
  ASSERT_TRUE(S().Load(kFirst45));
  ASSERT_TRUE(S().ApplyType(0));
  EXPECT_EQ(3, S().GetGroup().Groups);
  S().ShowGroup(3);
  EXPECT_EQ(41, S().GetCurrent());
  EXPECT_EQ(5, S().GetGroup().Count);
  EXPECT_TRUE(S().Show(45));
  EXPECT_EQ(0, S().NextRecord());
  EXPECT_TRUE(S().Show(S().PreviousRecord()));
  EXPECT_EQ(44, S().GetCurrent());
  EXPECT_TRUE(S().Show(20));
  EXPECT_EQ(1, S().GetGroup().Group) << "the group follows the question";
  EXPECT_TRUE(S().Show(S().NextRecord()));
  EXPECT_EQ(2, S().GetGroup().Group);
  EXPECT_FALSE(S().Show(46));
  EXPECT_EQ(21, S().GetCurrent());
}

TEST_F(Session, SavingMarksTheQuestionsOfThePractice) {
  ASSERT_TRUE(S().Load(kFirst45));
  ASSERT_TRUE(S().ApplyType(0));
  const String key = Field(L"a2");
  EXPECT_EQ(TSaveResult::Right, S().SaveCurrent(key));
  S().Show(2);
  EXPECT_EQ(TSaveResult::Wrong, S().SaveCurrent(L"不是答案"));
  S().Show(3);
  EXPECT_EQ(TPadMark::Right, S().MarkOf(1));
  EXPECT_EQ(TPadMark::Wrong, S().MarkOf(2));
  EXPECT_EQ(TPadMark::Unanswered, S().MarkOf(3));
  EXPECT_EQ(3, DM1->Cn1Query_tm->GetRecNo()) << "marks leave the set on the question shown";
  EXPECT_EQ(2, Int(L"select sum(A2) from tab_rz"));
  EXPECT_EQ(1, S().ToggleVoid());
  EXPECT_EQ(L"zero", Field(L"e2"));
  EXPECT_EQ(0, S().ToggleVoid());
  EXPECT_EQ(L"", Field(L"e2"));
}

TEST_F(Session, AMultipleChoiceAnswerMissingOrAddingAnOptionIsWrongEverywhere) {
  // Only the whole key is right, as the mock exam grades: the save, the verdict, the pad
  // mark, the row's balance and the day's log all say wrong.
  FData.Exec(L"update tab_answ set a2 = 'ACD', a2_1 = 5, e1 = null, e2 = '', e3 = 0, e4 = 0 where a13 = 14");
  ASSERT_TRUE(S().Load(L"select top 5 * from tab_answ where a13 = 14 order by a1"));
  ASSERT_TRUE(S().ApplyType(0));
  const String answers[] = {L"A", L"AC", L"CD", L"ACDE"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(StringToUtf8(answers[i]));
    S().Show(i + 1);
    const String row = L" from tab_answ where a1 = '" + Field(L"a1") + L"'";
    EXPECT_EQ(TSaveResult::Wrong, S().SaveCurrent(answers[i]));
    EXPECT_EQ(L"很遗憾，做错了，请继续努力！", VerdictText(answers[i], L"ACD"));
    EXPECT_EQ(-3, Int(L"select e4" + row)) << "a first wrong answer";
    EXPECT_EQ(answers[i], SelectText(FData.Cn(), L"select e2" + row));
    EXPECT_EQ(TPadMark::Wrong, S().MarkOf(i + 1));
  }
  S().Show(5);
  EXPECT_EQ(TSaveResult::Right, S().SaveCurrent(L"ACD"));
  EXPECT_EQ(TPadMark::Right, S().MarkOf(5));
  EXPECT_EQ(5, Int(L"select sum(A2) from tab_rz"));
  EXPECT_EQ(4, Int(L"select sum(A3) from tab_rz")) << "four wrong answers in the day's log";
}

TEST_F(Session, ThreeGradesMarkBothKnowingGradesRight) {
  FData.Exec(L"update tab_answ set a2 = '1', a13 = 64 where a13 = 11");
  const int wrongBefore = Int(L"select count(*) from tab_answ where e4 < 0");
  ASSERT_TRUE(S().Load(L"select top 3 * from tab_answ where a13 = 64 order by a1"));
  ASSERT_TRUE(S().ApplyType(0));
  S().SetSelfGrades(TSelfGrades::Three);
  EXPECT_EQ(TSaveResult::Right, S().SaveCurrent(L"2"));
  S().Show(2);
  EXPECT_EQ(TSaveResult::Right, S().SaveCurrent(L"1"));
  S().Show(3);
  EXPECT_EQ(TSaveResult::Wrong, S().SaveCurrent(L"0"));
  EXPECT_EQ(TPadMark::Right, S().MarkOf(1));
  EXPECT_EQ(TPadMark::Right, S().MarkOf(2));
  EXPECT_EQ(TPadMark::Wrong, S().MarkOf(3));
  EXPECT_EQ(wrongBefore + 1, Int(L"select count(*) from tab_answ where e4 < 0")) << "only 不会 joins the wrong-answer set";
  S().SetSelfGrades(TSelfGrades::Two);
  EXPECT_EQ(TPadMark::Wrong, S().MarkOf(1)) << "two grades judge literally";
}

TEST_F(Session, FinishingRightAfterOpeningAddsNoTimeWithoutALogRow) {
  ASSERT_TRUE(S().Load(kFirst45));
  ASSERT_TRUE(S().ApplyType(0));
  S().Finish(L"", L"0:05:00");
  EXPECT_EQ(0, Int(L"select count(*) from tab_rz"));
  EXPECT_FALSE(DM1->Cn1Query_tm->GetActive());
}

TEST_F(Session, FinishingSavesTheLastAnswerAndAddsTheTime) {
  ASSERT_TRUE(S().Load(kFirst45));
  ASSERT_TRUE(S().ApplyType(0));
  S().Show(4);
  S().Finish(L"A", L"0:05:00");
  EXPECT_EQ(L"00:05:00", SelectText(FData.Cn(), L"select D1 from tab_rz"));
  EXPECT_EQ(1, Int(L"select sum(e3) from tab_answ"));
}

TEST_F(Session, FinishingReportsAFailureAndStillClosesTheSets) {
  ASSERT_TRUE(S().Load(kFirst45));
  ASSERT_TRUE(S().ApplyType(0));
  DM1->Cn1Table_tx->Open();
  FData.Exec(L"drop table tab_rz");  // both the save and the study time fail
  std::vector<String> reported;
  Application->SetOnException([&](TObject*, Exception& e) { reported.push_back(e.Message()); });
  S().Finish(L"A", L"0:05:00");
  FailTestsOnApplicationExceptions();
  EXPECT_EQ(2u, reported.size());
  EXPECT_FALSE(DM1->Cn1Query_tm->GetActive());
  EXPECT_FALSE(DM1->Cn1Table_tx->GetActive());
  EXPECT_EQ(0, Int(L"select sum(e3) from tab_answ")) << "the failed save left nothing";
}

// A practice shows each mark; an exam being sat only whether a question is answered; its
// review counts an unanswered question wrong.
TEST(PadLooks, EachLookPicturesTheMarks) {
  TPadPictures p;
  for (auto* picture : {&p.Up, &p.Down, &p.Right, &p.Wrong, &p.Answered}) *picture = std::make_unique<TfcBitmap>();
  struct Case {
    TPadLook Look;
    TfcBitmap *Unanswered, *Right, *Wrong;
  };
  const Case cases[] = {{TPadLook::Marks, p.Up.get(), p.Right.get(), p.Wrong.get()},
                        {TPadLook::Sitting, p.Up.get(), p.Answered.get(), p.Answered.get()},
                        {TPadLook::Review, p.Wrong.get(), p.Right.get(), p.Wrong.get()}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.Unanswered, p.Of(TPadMark::Unanswered, c.Look)) << static_cast<int>(c.Look);
    EXPECT_EQ(c.Right, p.Of(TPadMark::Right, c.Look)) << static_cast<int>(c.Look);
    EXPECT_EQ(c.Wrong, p.Of(TPadMark::Wrong, c.Look)) << static_cast<int>(c.Look);
  }
}

}  // namespace
