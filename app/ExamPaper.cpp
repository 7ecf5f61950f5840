// The paper of a mock exam (see ExamPaper.h).
#include "ExamPaper.h"

#include <algorithm>
#include <numeric>
#include "AppQueries.h"
#include "ExamRules.h"
#include "PracticeCore.h"
#include "Ucommon.h"
#include "Uprogress.h"
#include "classlib/ado/ADOX.h"
#include "classlib/system/SysDate.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysFormat.h"
#include "dm.h"

namespace {

const wchar_t* const kSubjectNames[] = {L"大学英语四级·听力", L"资产评估师·经济法", L"资产评估师·财务会计",
                                         L"资产评估师·机电设备", L"资产评估师·建筑工程"};
const wchar_t* const kSubjectPrefixes[] = {L"7", L"2", L"3", L"4", L"5"};

struct TTypeQuota {
  int Subject;
  int TypeCode;
  int Count;
};
const TTypeQuota kQuotas[] = {{1, 67, 10}, {1, 68, 5},  {1, 69, 5},  {2, 11, 60}, {2, 14, 35}, {3, 11, 60},
                              {3, 14, 35}, {4, 11, 60}, {4, 14, 35}, {5, 22, 5}};

// The columns Allow Zero Length is set on.
const wchar_t* const kZeroLengthColumns[] = {L"A2", L"A14", L"E2", L"E2_1", L"csbs"};

void SetProgressText(const String& text) {
  if (!FrmProgress) return;
  FrmProgress->Label1->SetCaption(text);
  Application->ProcessMessages();
}

void ShowProgress() {
  if (!FrmProgress) return;
  FrmProgress->Show();
  FrmProgress->Update();
}

void HideProgress() {
  if (FrmProgress) FrmProgress->Hide();
}

void ErrorDlg(const String& text) { ShowDlg(L"错误", text, 1, 2, L"NO"); }

void RunCommand(TADOQuery* query, const String& sql) {
  query->Close();
  query->GetSQL()->Clear();
  query->GetSQL()->Add(sql);
  query->ExecSQL();
}

// Closes a data set and lets go of its filter.
void CloseUnfiltered(TADOQuery* query) {
  query->Close();
  query->SetFilter(L"");
  query->SetFiltered(false);
}

}  // namespace

String ExamSubjectNameOf(int subject) {
  return subject >= 1 && subject <= 5 ? String(kSubjectNames[subject - 1]) : String();
}

String ExamCategoryPrefix(int subject) {
  return subject >= 1 && subject <= 5 ? String(kSubjectPrefixes[subject - 1]) : String();
}

int ExamTypeQuota(int subject, int typeCode) {
  for (const TTypeQuota& quota : kQuotas)
    if (quota.Subject == subject && quota.TypeCode == typeCode) return quota.Count;
  return 0;
}

String PaperTableStatement(const String& paperTable) {
  return L"CREATE TABLE " + paperTable +
         L" (A1 TEXT(20) NOT NULL PRIMARY KEY,A2 TEXT(100),A2_1 SMALLINT,"
         L"K3 TEXT(9),K4 TEXT(9),K5 TEXT(9),K6 TEXT(9),K7 TEXT(9),K8 TEXT(9),K9 TEXT(9),K10 TEXT(9),K11 TEXT(9),"
         L"K12 TEXT(9)"
         L",A10 TEXT(6),A13 SMALLINT,A14 MEMO,E1 DATETIME,E2 TEXT(100),"
         L"E2_1 TEXT(100),E3 SMALLINT,E4 SMALLINT,jx IMAGE,csbs TEXT(2),"
         L"F1 SMALLINT)";
}

int64_t PaperTableNumber(const String& paperTable) {
  const String name = Trim(paperTable);
  if (!IsPaperTableName(name)) return -1;
  int64_t number = 0;
  return TryStrToInt64(name.substr(8), number) ? number : -1;
}

// ---- TExamPaper ----------------------------------------------------------------------------

bool TExamPaper::Setup(const String& paperTable, const String& title, const String& elapsed, double score,
                       const String& mode) {
  PaperTable = paperTable;
  Title = title;
  Elapsed = elapsed;
  Score = score;
  Mode = mode;
  if (mode != L"new") return true;
  FRandom.seed(static_cast<uint32_t>(::GetTickCount()) ^ static_cast<uint32_t>(std::random_device{}()));
  const int subject = ExamSubjectNo;
  const String prefix = ExamCategoryPrefix(subject);
  TADOQuery* pool = DM1->Cn1Query_tm;
  CloseUnfiltered(pool);
  if (prefix.empty()) {
    ErrorDlg(L"没有发现题目！");
    return false;
  }
  RunQuery(pool, L"select * from tab_answ where (Left(A10,1) = " + QuotedStr(prefix) +
                     L") and (f1 <> 1) order by E3");
  if (pool->GetRecordCount() == 0) {
    ErrorDlg(L"没有发现题目！");
    return false;
  }
  try {
    TADOTable* types = DM1->Cn1Table_tx;
    if (!types->GetActive()) types->Open();
    std::vector<int> codes;
    for (types->First(); !types->GetEof(); types->Next())
      if (types->FieldByName(L"B2")->GetAsInteger() > 0) codes.push_back(types->FieldByName(L"A1")->GetAsInteger());
    for (int code : codes) AddTypeQuota(subject, paperTable, code);
  } catch (const Exception&) {
    ErrorDlg(L"提取数据时发生错误！");
    return false;
  }
  pool->SetFilter(L"");
  pool->SetFiltered(true);
  // A subject whose questions are all of types without a quota gives an empty paper, which
  // cannot be opened.
  RunQuery(DM1->Cn1Query1, L"select count(*) as n from " + paperTable);
  const int drawn = DM1->Cn1Query1->FieldByName(L"n")->GetAsInteger();
  DM1->Cn1Query1->Close();
  if (drawn == 0) {
    ErrorDlg(L"无法打开试卷！");
    return false;
  }
  return true;
}

void TExamPaper::Resume(const String& paperTable, const String& title) {
  PaperTable = paperTable;
  Title = title;
  Elapsed = L"0:00:00";
  Score = 0;
  Mode = L"new";
  LowScore = false;
  Resumed = true;
  TADOQuery* pool = DM1->Cn1Query_tm;
  CloseUnfiltered(pool);
  if (!IsPaperTableName(paperTable)) return;
  try {
    RunQuery(pool, L"select * from tab_answ where A1 in (select A1 from " + paperTable + L")");
  } catch (const Exception&) {
    // The paper cannot be read either: OpenPaper says so.
    pool->Close();
  }
}

void TExamPaper::AddTypeQuota(int subject, const String& paperTable, int typeCode) {
  const int quota = ExamTypeQuota(subject, typeCode);
  if (quota == 0) return;
  InsertQuestions(paperTable, PickRandom(typeCode, quota, ExamCategoryPrefix(subject)));
}

String TExamPaper::PickRandom(int typeCode, int quota, const String& prefix) {
  FLastPicks.clear();
  TADOQuery* pool = DM1->Cn1Query_tm;
  // One pass over the pool: the filter text first, then filtering on (a no-op when on).
  pool->SetFilter(L"A13=" + IntToStr(typeCode) + L" and a10 like " + QuotedStr(prefix + L"*") + L" and f1<>1");
  pool->SetFiltered(true);
  const int n = pool->GetRecordCount();
  const int count = std::min(std::max(quota, 0), n);
  // A partial shuffle of the record numbers: the first count are distinct and uniform,
  // and the draw ends however few questions are eligible.
  std::vector<int> numbers(n);
  std::iota(numbers.begin(), numbers.end(), 1);
  String list;
  for (int i = 0; i < count; ++i) {
    std::uniform_int_distribution<int> pick(i, n - 1);
    std::swap(numbers[i], numbers[pick(FRandom)]);
    pool->SetRecNo(numbers[i]);
    const String id = pool->FieldByName(L"A1")->GetAsString();
    FLastPicks.push_back(id);
    if (!list.empty()) list += L" or ";
    list += L"a.A1=" + QuotedStr(id);
  }
  return list.empty() ? list : L" " + list;
}

void TExamPaper::InsertQuestions(const String& paperTable, const String& idList) {
  if (idList.empty()) return;
  RunCommand(DM1->Cn1Query1,
             L"insert into " + paperTable +
                 L"(a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,E3,E4,JX,CSBS,F1)"
                 L" Select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,"
                 L"b.jx as jx,a.csbs as csbs,a.f1 as f1 "
                 L" from tab_answ a,tab_exer b where a.a1=b.a1 and (" +
                 idList + L")");
}

bool TExamPaper::OpenPaper() {
  SetProgressText(Mode == L"new" ? L"正在出卷..." : L"正在提取试卷...");
  TADOQuery* exam = DM1->Cn1Query_exam;
  bool open = false;
  try {
    if (IsPaperTableName(PaperTable)) {
      if (Mode == L"new" && !Resumed) {
        CloseUnfiltered(exam);
        RunCommand(DM1->Cn1Query1, L"Update " + PaperTable + L" set E2_1= ''");
      }
      CloseUnfiltered(exam);
      RunQuery(exam, L"select * from " + PaperTable + L" order by A13,A1");
      open = exam->GetRecordCount() > 0;
    }
  } catch (const Exception&) {
    open = false;
  }
  if (!open) {
    exam->Close();
    ErrorDlg(L"无法打开试卷！");
  }
  return open;
}

int TExamPaper::CountUnanswered() {
  TADOQuery* query = DM1->Cn1Query1;
  RunQuery(query, L"select count(*) as n from " + PaperTable + L" where E2_1 = '' or E2_1 is null");
  const int n = query->FieldByName(L"n")->GetAsInteger();
  query->Close();
  return n;
}

int TExamPaper::CountQuestions() {
  TADOQuery* query = DM1->Cn1Query1;
  RunQuery(query, L"select count(*) as n from " + PaperTable);
  const int n = query->FieldByName(L"n")->GetAsInteger();
  query->Close();
  return n;
}

double TExamPaper::Grade(const String& elapsed) {
  if (!IsPaperTableName(PaperTable)) throw Exception(L"not a paper table: " + PaperTable);
  const String& p = PaperTable;
  TADOQuery* query = DM1->Cn1Query1;
  RunQuery(query, L"select sum(tab_tx.B3) as ZFS from " + p + L",tab_tx where " + p + L".A13 = tab_tx.A1 and " + p +
                      L".A2 = " + p + L".E2_1");
  TField* sum = query->FieldByName(L"ZFS");
  const double score = sum->GetIsNull() ? 0.0 : sum->GetAsFloat();
  query->Close();
  TADOTable* records = DM1->Cn1Table_cj;
  if (!records->GetActive()) records->Open();
  if (records->Locate(L"A1", Variant(PaperTable), TLocateOptions{loCaseInsensitive})) {
    records->Edit();
    records->FieldByName(L"A6")->SetAsFloat(score);
    records->FieldByName(L"D2")->SetAsString(elapsed);
    records->Post();
  }
  Score = score;
  Elapsed = elapsed;
  LowScore = IsLowScore(score);
  Mode = L"old";
  return score;
}

int TExamPaper::ToggleQuestionVoid() {
  TADOQuery* exam = DM1->Cn1Query_exam;
  if (!exam->GetActive() || exam->GetRecordCount() == 0) return -1;
  const String id = exam->FieldByName(L"A1")->GetAsString();
  const int voided = ToggleVoidRow(exam);
  TADOQuery* query = DM1->Cn1Query1;
  RunQuery(query, L"select * from tab_answ where a1=" + QuotedStr(id));
  // The bank follows the paper; a row already in that state is left alone.
  if (!query->GetEof() && (query->FieldByName(L"F1")->GetAsInteger() == 1) != (voided == 1)) ToggleVoidRow(query);
  query->Close();
  return voided;
}

bool TExamPaper::CopyNoteToBank() {
  TADOQuery* exam = DM1->Cn1Query_exam;
  if (!exam->GetActive() || exam->GetRecordCount() == 0) return false;
  TField* note = exam->FieldByName(L"A14");
  TADOQuery* query = DM1->Cn1Query1;
  RunQuery(query, L"select A1, A14 from tab_answ where a1=" + QuotedStr(exam->FieldByName(L"A1")->GetAsString()));
  const bool found = !query->GetEof();
  if (found) {
    query->Edit();
    if (note->GetIsNull()) query->FieldByName(L"A14")->Clear();
    else query->FieldByName(L"A14")->SetAsString(note->GetAsString());
    query->Post();
  }
  query->Close();
  return found;
}

// ---- Starting a mock exam --------------------------------------------------------------------

void AllowZeroLength(const String& tableName, const String& connectionString) {
  TADOXCatalog catalog;
  // The open connection serves when it is the one named: no second login to the same file.
  if (DM1 && DM1->ADOCn1->GetConnected() && DM1->ADOCn1->GetConnectionString() == connectionString)
    catalog.SetActiveConnection(DM1->ADOCn1);
  else
    catalog.SetActiveConnection(connectionString);
  TADOXTable& table = catalog.GetTable(tableName);
  for (const wchar_t* column : kZeroLengthColumns)
    table.GetColumn(column).GetProperty(L"Jet OLEDB:Allow Zero Length").SetValue(Variant(true));
}

void DropPaper(const String& paperTable) {
  // A data set still reading the table would keep it from being dropped.
  CloseUnfiltered(DM1->Cn1Query_exam);
  CloseUnfiltered(DM1->ADOQ_kl);
  DM1->Cn1Query1->Close();
  DropTableIfExists(paperTable);
}

namespace {

// The sequence and the paper table name of the next exam, from the newest record: its
// sequence + 1 and its table's number + 1 (1 and tab_exam1 without records). A newest
// record whose table name has no number gives the number after the highest of all records:
// raising there would stop every later exam, as that record stays the newest.
void NextPaper(int& sequence, String& paperTable) {
  TADOQuery* query = DM1->Cn1Query1;
  RunQuery(query, L"select A1, A3_1 from tab_cj order by A3_1 desc");
  sequence = 1;
  int64_t number = 1;
  if (!query->GetEof()) {
    sequence = query->FieldByName(L"A3_1")->GetAsInteger() + 1;
    const int64_t newest = PaperTableNumber(query->FieldByName(L"A1")->GetAsString());
    if (newest >= 0) {
      number = newest + 1;
    } else {
      int64_t highest = 0;
      for (; !query->GetEof(); query->Next())
        highest = std::max(highest, PaperTableNumber(query->FieldByName(L"A1")->GetAsString()));
      number = highest + 1;
    }
  }
  query->Close();
  paperTable = L"tab_exam" + IntToStr(number);
}

void AppendRecord(const String& paperTable, const String& title, int sequence) {
  TADOQuery* query = DM1->Cn1Query1;
  RunQuery(query, L"select * from tab_cj where 1=0");
  query->Append();
  query->FieldByName(L"A1")->SetAsString(paperTable);
  query->FieldByName(L"A3")->SetAsString(title);
  query->FieldByName(L"A3_1")->SetAsInteger(sequence);
  query->FieldByName(L"D1")->SetAsDateTime(DM1->Today());
  query->Post();
  query->Close();
}

}  // namespace

bool PrepareMockExam(int subject, TExamPaper& paper) {
  ShowProgress();
  SetProgressText(L"正在初始化数据...");
  ExamSubjectNo = subject;
  if (subject >= 1 && subject <= 5) ExamSubjectName = ExamSubjectNameOf(subject);
  int sequence = 0;
  String paperTable;
  NextPaper(sequence, paperTable);
  const String title =
      FormatDateTime(L"yyyy\"年\"mm\"月\"dd\"日\"", DM1->Today()) + ExamSubjectName + L"[" + IntToStr(sequence) + L"]";
  SetProgressText(L"正在建立数据表...");
  try {
    // A stale table of this name goes first, with a record of its own, so that the record
    // appended next is never the one removed.
    DropPaper(paperTable);
    AppendRecord(paperTable, title, sequence);
    DM1->ADOCn1->Execute(PaperTableStatement(paperTable), TExecuteOptions{eoExecuteNoRecords});
    AllowZeroLength(paperTable, DM1->ADOCn1->GetConnectionString());
  } catch (const Exception&) {
    DropPaper(paperTable);
    try {
      RunCommand(DM1->Cn1Query1, L"delete from tab_cj where A1=" + QuotedStr(paperTable));
    } catch (const Exception&) {
      // the program ends next; a record left behind lists a paper that cannot be opened
    }
    HideProgress();
    ErrorDlg(L"建立数据表时发生错误！");
    Application->Terminate();
    return false;
  }
  SetProgressText(L"正在整理数据...");
  if (!paper.Setup(paperTable, title, L"0:00:00", 0, L"new") || !paper.OpenPaper()) {
    CloseUnfiltered(DM1->Cn1Query_tm);
    DropPaper(paperTable);
    HideProgress();
    return false;
  }
  return true;
}
