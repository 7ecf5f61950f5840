#include "app/PracticeCore.h"

#include <algorithm>
#include "app/Ucommon.h"
#include "app/dm.h"
#include "classlib/ado/ADODB.h"
#include "classlib/db/DB.h"
#include "classlib/system/SysMath.h"

const wchar_t kVoidMarker[] = L"zero";

namespace {

const wchar_t kOptionLetters[] = L"ABCDEF";

int ClampedOptions(int optionCount) { return std::clamp(optionCount, 0, kOptionButtons); }

bool IsOptionPage(int page) { return page == apSingle || page == apMultiple || page == apMatch; }

}  // namespace

// ---- Answer pages ---------------------------------------------------------------------------

bool IsRightAnswer(const String& answer, const String& key, TSelfGrades grades, bool selfPage) {
  if (answer == key) return true;
  return grades == TSelfGrades::Three && selfPage && key == L"1" && answer == L"2";
}

bool GradesThreeOnSelfPage(TSelfGrades grades, int typeCode) {
  return grades == TSelfGrades::Three && AnswerPageOfType(typeCode) == apSelf;
}

int ShownAnswerPage(int typeCode, int currentPage) {
  const int page = AnswerPageOfType(typeCode);
  if (page >= 0 && page < kAnswerPages) return page;
  return currentPage >= 0 && currentPage < kAnswerPages ? currentPage : apSelf;
}

String AnswerPageHint(int page) {
  static const wchar_t* const hints[kAnswerPages] = {
      L"选择一个选项作为正确答案", L"选择两个或者多个选项作为正确答案", L"填写正确答案，答案间用“,”隔开",
      L"根据判断选择“正确”或者“错误”", L"根据自己实际情况选择“会”或者“不会”", L"配伍"};
  return page >= 0 && page < kAnswerPages ? hints[page] : L"";
}

String ReadAnswer(const TAnswerPad& pad) {
  String answer;
  switch (pad.Page) {
    case apSingle:
    case apMatch:
    case apMultiple:
      for (int i = 0; i < ClampedOptions(pad.OptionCount); ++i) {
        if (!pad.Visible[i] || !pad.Down[i]) continue;
        answer += kOptionLetters[i];
        if (pad.Page != apMultiple) break;
      }
      return answer;
    case apFill: return Trim(pad.Text);
    case apTrueFalse: return pad.Down[0] ? L"A" : pad.Down[1] ? L"B" : L"";
    case apSelf: {
      const int items = pad.Grades == TSelfGrades::Three ? 3 : 2;
      return pad.ItemIndex >= 0 && pad.ItemIndex < items ? IntToStr(pad.ItemIndex) : L"";
    }
    default: return answer;
  }
}

TAnswerPad RestoreAnswer(int page, int optionCount, const String& stored, TSelfGrades grades) {
  TAnswerPad pad;
  pad.Page = page;
  pad.Grades = grades;
  pad.OptionCount = ClampedOptions(optionCount);
  const String answer = stored == kVoidMarker ? String() : stored;
  if (IsOptionPage(page)) {
    for (int i = 0; i < pad.OptionCount; ++i) {
      pad.Visible[i] = true;
      const String letter(1, kOptionLetters[i]);
      pad.Down[i] = page == apMultiple ? answer.find(kOptionLetters[i]) != String::npos : answer == letter;
    }
  } else if (page == apFill) {
    pad.Text = answer;
  } else if (page == apTrueFalse) {
    pad.Down[0] = answer == L"A";
    pad.Down[1] = answer == L"B";
  } else if (page == apSelf) {
    pad.ItemIndex = answer == L"0" ? 0 : answer == L"1" ? 1 : answer == L"2" && grades == TSelfGrades::Three ? 2 : -1;
  }
  return pad;
}

String ShownAnswer(const TAnswerPad& pad) {
  if (IsOptionPage(pad.Page)) return ReadAnswer(pad);
  if (pad.Page == apTrueFalse) return ShownKey(apTrueFalse, ReadAnswer(pad));
  return String();
}

String ShownKey(int page, const String& key) {
  if (page != apTrueFalse) return key;
  return key == L"A" ? L"对" : key == L"B" ? L"错" : key;
}

TAnswerButtons AnswerButtonsOf(const String& practiceAnswer, bool hasExplanation, const String& firstRule,
                               int typeCode, const String& note) {
  TAnswerButtons buttons;
  const bool answered = !practiceAnswer.empty();
  buttons.Explanation = answered && hasExplanation;
  buttons.LinkedRules = answered && !Trim(firstRule).empty();
  buttons.Key = answered && !IsSelfAssessedType(typeCode);
  buttons.HasNote = !Trim(note).empty();
  return buttons;
}

String VerdictText(const String& answer, const String& key, TSelfGrades grades, bool selfPage) {
  return IsRightAnswer(answer, key, grades, selfPage) ? L"恭喜你，做对了！" : L"很遗憾，做错了，请继续努力！";
}

// ---- Judging ------------------------------------------------------------------------------

bool IsNeverAnswered(const String& lastAnswer) { return lastAnswer.empty() || lastAnswer == kVoidMarker; }

TJudgement JudgeAnswer(const TAnswerHistory& history, const String& answer, TDateTime today,
                       TSelfGrades grades, bool selfPage) {
  TJudgement j;
  j.Balance = history.Balance;
  j.Answers = history.Answers;
  if (answer.empty() || answer == history.PracticeAnswer) return j;
  j.Counts = true;
  j.Right = IsRightAnswer(answer, history.Key, grades, selfPage);
  j.Result = j.Right ? 1 : 2;
  j.TodayFlag = history.LastDate != 0 && Trunc(history.LastDate) == Trunc(today) ? 1 : 2;
  j.Previous = IsRightAnswer(history.LastAnswer, history.Key, grades, selfPage) ? 1 : 2;
  if (IsNeverAnswered(history.LastAnswer)) {
    j.First = 2;
    j.Balance = j.Right ? 0 : -3;
  } else {
    j.First = 1;
    if (!j.Right) --j.Balance;
    else if (j.Balance < 0) ++j.Balance;
  }
  ++j.Answers;
  return j;
}

// ---- Law points ---------------------------------------------------------------------------

String SqlQuoted(const String& text) { return QuotedStr(text); }

String SqlInList(const std::vector<String>& items) {
  String list = L"(";
  for (size_t i = 0; i < items.size(); ++i) list += (i ? L"," : L"") + SqlQuoted(items[i]);
  return list + L")";
}

TRuleLists RuleListsOf(const std::vector<String>& linked) {
  TRuleLists lists;
  std::vector<String> laws, groups;
  for (const String& raw : linked) {
    const String id = Trim(raw);
    if (id.empty()) break;
    lists.Articles.push_back(id);
    laws.push_back(id.substr(0, 4));
    groups.push_back(id.substr(0, 1));
  }
  lists.ArticleList = SqlInList(lists.Articles);
  lists.LawList = SqlInList(laws);
  lists.GroupList = SqlInList(groups);
  return lists;
}

std::vector<String> LinkedRuleIds(const std::vector<String>& linked) {
  std::vector<String> ids;
  for (const String& raw : linked)
    if (!Trim(raw).empty()) ids.push_back(Trim(raw));
  return ids;
}

std::vector<TLinkedArticle> LinkedArticlesOf(TADOConnection& cn, const String& questionId) {
  std::vector<TLinkedArticle> articles;
  TADOQuery query(nullptr);
  query.SetConnection(&cn);
  query.GetSQL()->SetText(L"select k3,k4,k5,k6,k7,k8,k9,k10,k11,k12 from tab_answ where a1=" + SqlQuoted(questionId));
  query.Open();
  if (query.IsEmpty()) return articles;
  std::vector<String> columns;
  for (int i = 0; i < query.GetFields()->GetCount(); ++i) {
    TField* field = query.GetFields()->GetField(i);
    columns.push_back(field->GetIsNull() ? String() : field->GetAsString());
  }
  const std::vector<String> ids = LinkedRuleIds(columns);
  if (ids.empty()) return articles;

  query.Close();
  query.GetSQL()->SetText(L"select id,ftid,sn from tab_rule where ftid in " + SqlInList(ids));
  query.Open();
  std::vector<std::pair<size_t, TLinkedArticle>> found;
  for (query.First(); !query.GetEof(); query.Next()) {
    TLinkedArticle article;
    article.LawId = query.FieldByName(L"id")->GetAsString();
    article.ArticleId = query.FieldByName(L"ftid")->GetAsString();
    article.Number = query.FieldByName(L"sn")->GetAsString();
    // The bank compares ids without regard to case.
    size_t position = 0;
    while (position < ids.size() && CompareText(ids[position], article.ArticleId) != 0) ++position;
    found.emplace_back(position, std::move(article));
  }
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [position, article] : found) {
    query.Close();
    query.GetSQL()->SetText(L"select n from tab_fgmc where id=" + SqlQuoted(article.LawId));
    query.Open();
    if (!query.IsEmpty()) article.LawTitle = query.FieldByName(L"n")->GetAsString();
    articles.push_back(std::move(article));
  }
  return articles;
}

// ---- Group paging -------------------------------------------------------------------------

int TQuestionGroup::RecordOfButton(int button) const {
  return button >= 0 && button < Count ? Start + button : 0;
}

int TQuestionGroup::ButtonOfRecord(int recNo) const {
  return Count > 0 && recNo >= Start && recNo <= End() ? recNo - Start : -1;
}

TQuestionGroup QuestionGroupOf(int total, int group) {
  TQuestionGroup g;
  g.Total = std::max(total, 0);
  g.Groups = g.Total / kGroupSize + (g.Total % kGroupSize != 0 ? 1 : 0);
  if (g.Groups == 0) return g;
  g.Group = std::clamp(group, 1, g.Groups);
  g.Start = (g.Group - 1) * kGroupSize + 1;
  g.Count = std::min(kGroupSize, g.Total - g.Start + 1);
  return g;
}

TQuestionGroup QuestionGroupOfRecord(int total, int recNo) {
  return QuestionGroupOf(total, recNo <= 0 ? 1 : (recNo - 1) / kGroupSize + 1);
}

// ---- Keys ---------------------------------------------------------------------------------

TKeyAction KeyActionOf(const TKeyContext& context, unsigned key) {
  TKeyAction action;
  if (context.ModifierDown || context.Typing || (context.Page != apSingle && context.Page != apMultiple))
    return action;
  if (key >= 'A' && key <= 'F') {
    const int option = static_cast<int>(key - 'A');
    if (!context.OptionUsable[option]) return action;
    action.Kind = context.Page == apSingle ? TKeyActionKind::PressOption : TKeyActionKind::ToggleOption;
    action.Option = option;
  } else if (key == 8 && context.PreviousEnabled) {
    action.Kind = TKeyActionKind::Previous;
  } else if (key == 13 && context.NextEnabled) {
    action.Kind = TKeyActionKind::Next;
  }
  return action;
}

// ---- Time limit, voiding, the answer panel ---------------------------------------------------

int AnswerInterval(int typeCode, const std::vector<int>& typeIds, const std::vector<int>& typeTimes) {
  const size_t count = std::min(typeIds.size(), typeTimes.size());
  for (size_t i = 0; i < count; ++i)
    if (typeIds[i] == typeCode) return std::max(typeTimes[i], 0);
  return 600;
}

TVoidMarks VoidMarksOf(const String& lastAnswer) {
  return {1, lastAnswer.empty() ? String(kVoidMarker) : lastAnswer};
}

TVoidMarks RestoreMarksOf(const String& lastAnswer) {
  return {0, lastAnswer == kVoidMarker ? String() : lastAnswer};
}

std::vector<int> SlideWidths(int width, int target) {
  constexpr int kMaxSteps = 64;
  std::vector<int> widths;
  target = std::max(target, 0);
  int step = 0;
  while (width != target && static_cast<int>(widths.size()) < kMaxSteps - 1) {
    step += 20;
    width = width < target ? std::min(width + step, target) : std::max(width - step, target);
    widths.push_back(width);
  }
  if (width != target) widths.push_back(target);
  return widths;
}

// ---- Saving -------------------------------------------------------------------------------

namespace {

String TextOf(TDataSet* set, const wchar_t* column) {
  TField* field = set->FieldByName(column);
  return field->GetIsNull() ? String() : field->GetAsString();
}

TAnswerHistory HistoryOf(TDataSet* set) {
  TAnswerHistory h;
  h.Key = TextOf(set, L"A2");
  h.LastAnswer = TextOf(set, L"E2");
  h.PracticeAnswer = TextOf(set, L"E2_1");
  h.Answers = set->FieldByName(L"E3")->GetAsInteger();
  h.Balance = set->FieldByName(L"E4")->GetAsInteger();
  TField* date = set->FieldByName(L"E1");
  h.LastDate = date->GetIsNull() ? 0 : date->GetAsDateTime();
  return h;
}

std::vector<String> LinkedColumns(TDataSet* set) {
  std::vector<String> linked;
  for (int k = 3; k <= 12; ++k) linked.push_back(TextOf(set, (L"k" + IntToStr(k)).c_str()));
  return linked;
}

}  // namespace

namespace {

// Saves answer into set; with examPaper, set is a mock exam's paper, which keeps only the
// answer and its date, and the answer counters (E3, E4) are judged from and written to bank,
// the question's own row (nullptr when the bank has none: no counters are kept then).
// Otherwise set keeps its counters itself.
TSaveResult SaveAnswerInto(TDM1& dm, TDataSet* set, TDataSet* bank, bool examPaper, const String& answer,
                           TSelfGrades grades) {
  TAnswerHistory history = HistoryOf(set);
  if (answer.empty()) {
    if (!history.PracticeAnswer.empty()) {
      set->Edit();
      set->FieldByName(L"E2_1")->SetAsString(String());
      set->Post();
    }
    return TSaveResult::Empty;
  }
  const TDateTime today = dm.Today();
  const bool selfPage =
      grades == TSelfGrades::Three && GradesThreeOnSelfPage(grades, set->FieldByName(L"A13")->GetAsInteger());
  // The study records' flags come from set's row; the bank's counters from the bank's own
  // history (a paper sat again later may be behind the bank's last answer).
  TJudgement j = JudgeAnswer(history, answer, today, grades, selfPage);
  if (!j.Counts) return TSaveResult::Unchanged;
  if (bank) {
    TAnswerHistory own = HistoryOf(bank);
    own.PracticeAnswer = history.PracticeAnswer;
    const TJudgement counters = JudgeAnswer(own, answer, today, grades, selfPage);
    j.Answers = counters.Answers;
    j.Balance = counters.Balance;
  }

  TADOConnection* cn = dm.ADOCn1;
  cn->BeginTrans();
  try {
    dm.LogDailyAnswer(j.TodayFlag, j.Result, j.Previous);
    dm.CountChapterAnswer(TextOf(set, L"A10"), j.First, j.Result);
    const TRuleLists rules = RuleListsOf(LinkedColumns(set));
    if (!rules.IsEmpty())
      dm.CountRuleHits(rules.ArticleList, rules.LawList, rules.GroupList, j.First, j.Result);
    for (TDataSet* row : {set, bank}) {
      if (!row) continue;
      row->Edit();
      row->FieldByName(L"E2_1")->SetAsString(answer);
      row->FieldByName(L"E2")->SetAsString(answer);
      row->FieldByName(L"E1")->SetAsDateTime(Trunc(today));
      if (row == bank || !examPaper) {
        row->FieldByName(L"E3")->SetAsInteger(j.Answers);
        row->FieldByName(L"E4")->SetAsInteger(j.Balance);
      }
      row->Post();
    }
    cn->CommitTrans();
  } catch (...) {
    for (TDataSet* row : {set, bank})
      if (row && row->GetState() == dsEdit) row->Cancel();
    if (cn->GetInTransaction()) cn->RollbackTrans();
    // The records' tables hold rows as they were written inside the transaction.
    dm.Cn1Table_rz->Close();
    dm.Cn1Table_kmmc->Close();
    throw;
  }
  return j.Right ? TSaveResult::Right : TSaveResult::Wrong;
}

}  // namespace

TSaveResult SaveAnswerRow(TDM1& dm, TDataSet* set, const String& answer, TSelfGrades grades) {
  return SaveAnswerInto(dm, set, nullptr, false, answer, grades);
}

TSaveResult SaveExamAnswerRow(TDM1& dm, TDataSet* paper, TDataSet* bank, const String& answer) {
  return SaveAnswerInto(dm, paper, bank, true, answer, TSelfGrades::Two);
}

void MarkTimedOut(TDataSet* set) {
  set->Edit();
  set->FieldByName(L"CSBS")->SetAsString(L"Y");
  set->Post();
}

int ToggleVoidRow(TDataSet* set) {
  const bool voided = set->FieldByName(L"F1")->GetAsInteger() == 1;
  const String lastAnswer = TextOf(set, L"E2");
  const TVoidMarks marks = voided ? RestoreMarksOf(lastAnswer) : VoidMarksOf(lastAnswer);
  set->Edit();
  set->FieldByName(L"F1")->SetAsInteger(marks.Voided);
  TField* e2 = set->FieldByName(L"E2");
  if (marks.LastAnswer.empty()) e2->Clear();
  else e2->SetAsString(marks.LastAnswer);
  set->Post();
  return marks.Voided;
}
