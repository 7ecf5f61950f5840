// The mock-exam window's own rules that need neither a window nor a database: the section
// title above a question, what hand-in does with a paper, the score line of the review, the
// low-score limit, and the void line and button of a question under review. Answer pads,
// judging, paging and keys are the answering core's (PracticeCore).
#pragma once
#include "classlib/system/SysString.h"

// "单选 每题1分 共20分": the type's name ("未知题型" when empty), its points per question and
// points × count, both as shortest decimal text.
String ExamSectionTitle(const String& typeName, double points, int count);

// What hand-in does with a paper of total questions of which unanswered have no answer.
enum class THandInStep {
  Discard,  // kDiscardGaps or more gaps and nothing answered: dropped without asking
  Ask,      // the hand-in dialog asks (确定 / 作废 / 取消)
};
// The gaps from which an unanswered paper is dropped without asking.
constexpr int kDiscardGaps = 20;
THandInStep HandInStepOf(int unanswered, int total);
// The hand-in dialog's question: "你还有19道题未做，确定要交卷吗？" or, with nothing left,
// "恭喜你已经做完试卷，确定要交卷吗？".
String HandInPrompt(int unanswered);

// A paper is handed in once its record holds the time used (tab_cj.D2); a record without it
// is of a paper the program left while it was being sat (ended, killed, the machine off).
bool IsHandedIn(const String& timeUsed);
// The SQL condition on tab_cj of the records of handed-in papers.
String HandedInCondition();
// What the records list shows as the score of a paper not handed in.
inline constexpr wchar_t kNotHandedIn[] = L"未交卷";

// "得分：85 分": the score as shortest decimal text.
String ExamScoreText(double score);
// A graded paper below 50 points is dropped when its review closes.
constexpr double kKeepScore = 50.0;
bool IsLowScore(double score);

// The message line and void button of a question under review, by its f1.
struct TReviewVoidLook {
  String Message;  // Label1
  String Button;   // the void button's caption
};
TReviewVoidLook ReviewVoidLookOf(int voided);
// After the void button was used: voiding and restoring each have their own message.
TReviewVoidLook VoidToggledLookOf(bool nowVoided);
