// The mock-exam window's rules: section titles, the hand-in step and prompt, the score line,
// the low-score limit and the void line of a question under review.
#include <gtest/gtest.h>

#include "app/ExamRules.h"

namespace {

TEST(ExamRules, SectionTitleUsesTheTypesPointsAndCount) {
  EXPECT_EQ(L"单选 每题1分 共20分", ExamSectionTitle(L"单选", 1, 20));
  EXPECT_EQ(L"完形填空 每题0.5分 共10分", ExamSectionTitle(L"完形填空", 0.5, 20));
  EXPECT_EQ(L"未知题型 每题2分 共0分", ExamSectionTitle(L"", 2, 0)) << "a type without a row";
}

TEST(ExamRules, OnlyABlankPaperOfTwentyOrMoreIsDiscardedUnasked) {
  EXPECT_EQ(THandInStep::Discard, HandInStepOf(20, 20));
  EXPECT_EQ(THandInStep::Ask, HandInStepOf(19, 20));
  // A long paper with 75 answers and 20 gaps must not be thrown away without asking.
  EXPECT_EQ(THandInStep::Ask, HandInStepOf(20, 95));
  EXPECT_EQ(THandInStep::Ask, HandInStepOf(94, 95));
  EXPECT_EQ(THandInStep::Discard, HandInStepOf(95, 95));
  EXPECT_EQ(THandInStep::Discard, HandInStepOf(0, 0)) << "an empty paper is never graded";
  EXPECT_EQ(THandInStep::Ask, HandInStepOf(0, 20));
  // Fewer than twenty gaps always ask, even when nothing was answered.
  EXPECT_EQ(THandInStep::Ask, HandInStepOf(5, 5)) << "a five-question paper left blank";
  EXPECT_EQ(THandInStep::Ask, HandInStepOf(19, 19));
}

TEST(ExamRules, HandInPromptNamesTheGapsOrCongratulates) {
  EXPECT_EQ(L"你还有19道题未做，确定要交卷吗？", HandInPrompt(19));
  EXPECT_EQ(L"你还有1道题未做，确定要交卷吗？", HandInPrompt(1));
  EXPECT_EQ(L"恭喜你已经做完试卷，确定要交卷吗？", HandInPrompt(0));
}

TEST(ExamRules, APaperIsHandedInOnceItsRecordHoldsTheTimeUsed) {
  EXPECT_FALSE(IsHandedIn(L""));
  EXPECT_FALSE(IsHandedIn(L"   ")) << "blanks are no time";
  EXPECT_TRUE(IsHandedIn(L"0:00:00")) << "handed in at once";
  EXPECT_TRUE(IsHandedIn(L"1:10:05"));
}

TEST(ExamRules, ScoreLineAndLowScoreLimit) {
  EXPECT_EQ(L"得分：85 分", ExamScoreText(85));
  EXPECT_EQ(L"得分：49.5 分", ExamScoreText(49.5));
  EXPECT_EQ(L"得分：0 分", ExamScoreText(0));
  EXPECT_TRUE(IsLowScore(49.5));
  EXPECT_FALSE(IsLowScore(50));
}

TEST(ExamRules, VoidLineOfAQuestionUnderReview) {
  EXPECT_EQ(L"本题已被您作废！", ReviewVoidLookOf(1).Message);
  EXPECT_EQ(L"取消作废", ReviewVoidLookOf(1).Button);
  EXPECT_EQ(L"本题是您加入的题目！", ReviewVoidLookOf(2).Message);
  EXPECT_EQ(L"本题作废", ReviewVoidLookOf(2).Button);
  EXPECT_EQ(L"", ReviewVoidLookOf(0).Message);
  EXPECT_EQ(L"本题曾被作废，现已被您取消！", VoidToggledLookOf(false).Message);
  EXPECT_EQ(L"本题作废", VoidToggledLookOf(false).Button);
  EXPECT_EQ(L"取消作废", VoidToggledLookOf(true).Button);
}

}  // namespace
