#include "app/ExamRules.h"

String ExamSectionTitle(const String& typeName, double points, int count) {
  const String name = Trim(typeName).empty() ? String(L"未知题型") : typeName;
  return name + L" 每题" + FloatToStr(points) + L"分 共" + FloatToStr(points * count) + L"分";
}

THandInStep HandInStepOf(int unanswered, int total) {
  if (total <= 0) return THandInStep::Discard;
  // Twenty or more gaps throw the paper away unasked, but only when nothing at all was
  // answered: on a longer paper twenty gaps may sit beside many answers, which are worth
  // a question. A short paper is always asked about.
  if (unanswered >= kDiscardGaps && unanswered >= total) return THandInStep::Discard;
  return THandInStep::Ask;
}

String HandInPrompt(int unanswered) {
  if (unanswered <= 0) return L"恭喜你已经做完试卷，确定要交卷吗？";
  return L"你还有" + IntToStr(unanswered) + L"道题未做，确定要交卷吗？";
}

bool IsHandedIn(const String& timeUsed) { return !Trim(timeUsed).empty(); }

String HandedInCondition() { return L"(D2 is not null and Trim(D2) <> '')"; }

String ExamScoreText(double score) { return L"得分：" + FloatToStr(score) + L" 分"; }

bool IsLowScore(double score) { return score < kKeepScore; }

TReviewVoidLook ReviewVoidLookOf(int voided) {
  if (voided == 1) return {L"本题已被您作废！", L"取消作废"};
  if (voided == 2) return {L"本题是您加入的题目！", L"本题作废"};
  return {L"", L"本题作废"};
}

TReviewVoidLook VoidToggledLookOf(bool nowVoided) {
  if (nowVoided) return {L"本题已被您作废！", L"取消作废"};
  return {L"本题曾被作废，现已被您取消！", L"本题作废"};
}
