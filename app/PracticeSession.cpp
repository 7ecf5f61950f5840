#include "app/PracticeSession.h"

#include "app/dm.h"
#include "classlib/ado/ADODB.h"
#include "classlib/forms/Forms.h"

namespace {

String FilterOfType(int typeCode) { return typeCode == 0 ? String() : L"A13=" + IntToStr(typeCode); }

// Runs step; an error goes to the application's handler.
template <class F>
void Guarded(F step) {
  try {
    step();
  } catch (...) {
    Application->HandleException(nullptr);
  }
}

}  // namespace

TPadMark PadMarkOf(const String& practiceAnswer, const String& key, TSelfGrades grades, bool selfPage) {
  if (practiceAnswer.empty()) return TPadMark::Unanswered;
  return IsRightAnswer(practiceAnswer, key, grades, selfPage) ? TPadMark::Right : TPadMark::Wrong;
}

TPracticeSession::TPracticeSession(TDM1& dm, TADOQuery* set) : FDm(dm), FSet(set) {}

bool TPracticeSession::Load(const String& sql) {
  FSet->Close();
  FSet->SetFilter(String());
  FSet->SetFiltered(false);
  FType = 0;
  FCurrent = 0;
  FGroup = TQuestionGroup{};
  FDm.ADOCn1->Execute(L"Update tab_answ set E2_1= ''");
  FSet->GetSQL()->SetText(sql);
  FSet->Open();
  if (FSet->IsEmpty()) return false;
  FGroup = QuestionGroupOf(Total(), 1);
  return true;
}

int TPracticeSession::Total() const { return FSet->GetActive() ? FSet->GetRecordCount() : 0; }

bool TPracticeSession::HasType(int typeCode) {
  const String before = FSet->GetFilter();
  const bool filtered = FSet->GetFiltered();
  FSet->SetFilter(FilterOfType(typeCode));
  FSet->SetFiltered(true);
  const bool has = !FSet->IsEmpty();
  FSet->SetFilter(before);
  FSet->SetFiltered(filtered);
  if (FCurrent > 0) FSet->SetRecNo(FCurrent);
  return has;
}

bool TPracticeSession::ApplyType(int typeCode) {
  if (!HasType(typeCode)) return false;
  if (FSet->GetFilter() != FilterOfType(typeCode)) {
    FSet->SetFilter(FilterOfType(typeCode));
    FSet->SetFiltered(true);
  }
  FType = typeCode;
  FCurrent = 0;
  ShowGroup(1);
  return true;
}

void TPracticeSession::MoveTo(int recNo) {
  FCurrent = recNo;
  FSet->SetRecNo(recNo);
}

void TPracticeSession::ShowGroup(int group) {
  FGroup = QuestionGroupOf(Total(), group);
  if (FGroup.Count > 0) MoveTo(FGroup.Start);
}

bool TPracticeSession::Show(int recNo) {
  if (recNo < 1 || recNo > Total()) return false;
  if (FGroup.ButtonOfRecord(recNo) < 0) FGroup = QuestionGroupOfRecord(Total(), recNo);
  MoveTo(recNo);
  return true;
}

TSaveResult TPracticeSession::SaveCurrent(const String& answer) {
  if (FCurrent <= 0 || FCurrent > Total()) return TSaveResult::Empty;
  FSet->SetRecNo(FCurrent);
  return SaveAnswerRow(FDm, FSet, answer, FGrades);
}

TPadMark TPracticeSession::MarkOf(int recNo) {
  if (recNo < 1 || recNo > Total()) return TPadMark::Unanswered;
  FSet->SetRecNo(recNo);
  const bool selfPage =
      FGrades == TSelfGrades::Three && GradesThreeOnSelfPage(FGrades, FSet->FieldByName(L"A13")->GetAsInteger());
  const TPadMark mark = PadMarkOf(FSet->FieldByName(L"E2_1")->GetAsString(), FSet->FieldByName(L"A2")->GetAsString(),
                                  FGrades, selfPage);
  if (FCurrent > 0) FSet->SetRecNo(FCurrent);
  return mark;
}

int TPracticeSession::ToggleVoid() {
  if (FCurrent <= 0 || FCurrent > Total()) return 0;
  FSet->SetRecNo(FCurrent);
  return ToggleVoidRow(FSet);
}

void TPracticeSession::Finish(const String& answer, const String& elapsed) {
  Guarded([&] {
    if (FSet->GetActive()) SaveCurrent(answer);
  });
  Guarded([&] { FDm.CloseSessionStats(elapsed); });
  for (TDataSet* set : {static_cast<TDataSet*>(FDm.Cn1Query1), static_cast<TDataSet*>(FDm.Cn1Query2),
                        static_cast<TDataSet*>(FSet), static_cast<TDataSet*>(FDm.Cn1Table_cj),
                        static_cast<TDataSet*>(FDm.Cn1Table_tx)})
    Guarded([&] { set->Close(); });
  FCurrent = 0;
}
