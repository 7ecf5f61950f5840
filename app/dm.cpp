// The data module: its components from dm.layout, the connection to the question bank, and
// the study-record bookkeeping.
#include "dm.h"

#include "Ucommon.h"
#include "Ukmmc.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysFiles.h"
#include "classlib/system/SysFormat.h"
#include "data/BankSchema.h"

TDM1* DM1 = nullptr;

namespace {

const TLocateOptions kExactCaseless{loCaseInsensitive};

int IntOf(TDataSet* table, const wchar_t* column) {
  return table->FieldByName(column)->GetAsInteger();  // a NULL reads as 0
}

void AddTo(TDataSet* table, const wchar_t* column, int delta) {
  TField* field = table->FieldByName(column);
  field->SetAsInteger(field->GetAsInteger() + delta);
}

void OpenIfClosed(TDataSet* table) {
  if (!table->GetActive()) table->Open();
}

// A part of a time text: one to nine decimal digits (so that hours * 3600 cannot overflow).
int64_t TimePart(const String& text) {
  bool valid = !text.empty() && text.size() <= 9;
  for (wchar_t ch : text) valid = valid && ch >= L'0' && ch <= L'9';
  if (!valid) throw EConvertError(L"'%s' is not a valid integer value", {text});
  return StrToInt64(text);
}

String TwoDigits(int64_t value) {
  return value < 10 ? L"0" + IntToStr(value) : IntToStr(value);
}

// The study time already stored for the day. A text that cannot be read counts as no time,
// so that one damaged row does not stop every later session from being recorded.
int64_t StoredSeconds(const String& text) {
  try {
    return TimeStrToSeconds(text);
  } catch (const EConvertError&) {
    return 0;
  }
}

}  // namespace

// ---- Helpers ---------------------------------------------------------------------------------

String BankFileOf(const String& appDir) { return IncludeTrailingBackslash(appDir) + kBankFileName; }

String DbConnectionString(const String& dbFile, const String& password) {
  return L"Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=" + dbFile + L";" +
         L"Mode=Share Deny None;Extended Properties=\"\";" +
         L"Locale Identifier=2052;Persist Security Info=False;" +
         L"Jet OLEDB:System database=\"\";Jet OLEDB:Registry Path=\"\";" +
         L"Jet OLEDB:Database Password=" + password + L";" +
         L"Jet OLEDB:Engine Type=5;Jet OLEDB:Database Locking Mode=0;" +
         L"Jet OLEDB:Global Partial Bulk Ops=2;" +
         L"Jet OLEDB:Global Bulk Transactions=1;" +
         L"Jet OLEDB:New Database Password=\"\";" +
         L"Jet OLEDB:Create System Database=False;" +
         L"Jet OLEDB:Encrypt Database=False;" +
         L"Jet OLEDB:Don't Copy Locale on Compact=False;" +
         L"Jet OLEDB:Compact Without Replica Repair=False;" +
         L"Jet OLEDB:SFP=False";
}

int64_t TimeStrToSeconds(const String& s) {
  int64_t total = 0;
  int part = 0;
  String rest = s;
  // Each turn removes at least the colon, so the loop ends.
  for (size_t colon = rest.find(L':'); colon != String::npos; colon = rest.find(L':')) {
    const String head = rest.substr(0, colon);
    rest.erase(0, colon + 1);
    if (part == 0)
      total += TimePart(head) * 3600;
    else if (part == 1)
      total += TimePart(head) * 60;
    else
      rest.clear();
    ++part;
  }
  if (part == 2) total += TimePart(rest.substr(0, 2));
  return total;
}

String SecondsToTimeStr(int64_t seconds) {
  const int64_t total = seconds < 0 ? 0 : seconds;
  const int64_t hours = total / 3600;
  const int64_t minutes = (total - hours * 3600) / 60;
  const int64_t rest = total - hours * 3600 - minutes * 60;
  return TwoDigits(hours) + L":" + TwoDigits(minutes) + L":" + TwoDigits(rest);
}

String AccuracyText(int answers, int wrong) {
  if (answers < 1) return L"0";
  const double accuracy = static_cast<double>(answers - wrong) / answers * 100;
  return Format(L"%2.2f", {accuracy});
}

// ---- TDM1 ---------------------------------------------------------------------------------------

const TPropertyTable* TDM1::PublishedProperties() {
  using P = TPublish<TDM1>;
  static const TPropertyTable table(
      {}, {P::Field(L"ADOCn1", &TDM1::ADOCn1),
           P::Field(L"Cn1Query1", &TDM1::Cn1Query1),
           P::Field(L"Cn1DS1", &TDM1::Cn1DS1),
           P::Field(L"Cn1Table_kmmc", &TDM1::Cn1Table_kmmc),
           P::Field(L"Cn1Table_tx", &TDM1::Cn1Table_tx),
           P::Field(L"Cn1Query_tm", &TDM1::Cn1Query_tm),
           P::Field(L"Cn1Query2", &TDM1::Cn1Query2),
           P::Field(L"Cn1DS2", &TDM1::Cn1DS2),
           P::Field(L"Cn1DS_tm", &TDM1::Cn1DS_tm),
           P::Field(L"Cn1Table_rz", &TDM1::Cn1Table_rz),
           P::Field(L"Cn1DS_rz", &TDM1::Cn1DS_rz),
           P::Field(L"Cn1DS_kmmc", &TDM1::Cn1DS_kmmc),
           P::Field(L"Cn1Query_exam", &TDM1::Cn1Query_exam),
           P::Field(L"Cn1DS_exam", &TDM1::Cn1DS_exam),
           P::Field(L"Cn1Table_cj", &TDM1::Cn1Table_cj),
           P::Field(L"Cn1DS_cj", &TDM1::Cn1DS_cj),
           P::Field(L"ADOQ_kmmc", &TDM1::ADOQ_kmmc),
           P::Field(L"ADOCn2", &TDM1::ADOCn2),
           P::Field(L"Cn2Query1", &TDM1::Cn2Query1),
           P::Field(L"m_queryDetail", &TDM1::m_queryDetail),
           P::Field(L"m_query", &TDM1::m_query),
           P::Field(L"ADOQuery3", &TDM1::ADOQuery3),
           P::Field(L"m_query_DS", &TDM1::m_query_DS),
           P::Field(L"ADOQ_kl", &TDM1::ADOQ_kl),
           P::Field(L"Ds_kl", &TDM1::Ds_kl),
           P::Field(L"Cn1Table_fgmc", &TDM1::Cn1Table_fgmc),
           P::Field(L"Cn1Query3", &TDM1::Cn1Query3),
           P::Field(L"Cn1DS3", &TDM1::Cn1DS3),
           P::Field(L"DS_0", &TDM1::DS_0),
           P::Field(L"ADO_0", &TDM1::ADO_0),
           P::Field(L"cn1query_nr", &TDM1::cn1query_nr),
           P::Field(L"Cn1DS_nr", &TDM1::Cn1DS_nr),
           P::Field(L"Cn1Table_plan", &TDM1::Cn1Table_plan)});
  return &table;
}

TDM1::TDM1(TComponent* owner) : TDataModule(owner) {
  RegisterHandlers();
  LoadLayout();
}

void TDM1::RegisterHandlers() {
  using M = TPublishMethods<TDM1>;
  RegisterMethods<TDM1>({M::Handler(L"DataModuleCreate", &TDM1::DataModuleCreate),
                         M::Handler(L"Cn1DS_kmmcDataChange", &TDM1::Cn1DS_kmmcDataChange)});
}

void TDM1::DataModuleCreate(TObject*) {
  try {
    AppPath = IncludeTrailingBackslash(ExtractFilePath(ProgramFileName()));
    const String connectionString = DbConnectionString(BankFileOf(AppPath), kBankPassword);
    if (ADOCn1->GetConnected()) ADOCn1->SetConnected(false);
    ADOCn1->SetConnectionString(connectionString);
    ADOCn1->SetConnected(true);
    DbReady = true;
  } catch (...) {
    // The start-up sequence reports a module that could not connect.
    DbReady = false;
  }
}

void TDM1::Cn1DS_kmmcDataChange(TObject*, TField*) {
  if (!Cn1Table_kmmc->GetActive()) return;
  CurChapterCode = Cn1Table_kmmc->FieldByName(L"C1_1")->GetAsString();
  // The chooser's guidance button serves only chapters that have guidance.
  if (ChooserShown && Frmkmmc && Frmkmmc->epEfButton4) {
    TField* guidance = Cn1Table_kmmc->FieldByName(L"jx");
    Frmkmmc->epEfButton4->SetEnabled(!guidance->GetIsNull() && !guidance->GetAsString().empty());
  }
}

// ---- Study records ---------------------------------------------------------------------------

bool TDM1::LocateToday() {
  OpenIfClosed(Cn1Table_rz);
  return Cn1Table_rz->Locate(L"A1", Variant::FromDateTime(Today()), kExactCaseless);
}

void TDM1::LogDailyAnswer(int todayFlag, int result, int prevResult) {
  TADOTable* log = Cn1Table_rz;
  if (LocateToday()) {
    log->Edit();
    AddTo(log, L"A2", 1);
    if (result == 2) AddTo(log, L"A3", 1);
    if (todayFlag == 2) {
      AddTo(log, L"B1", 1);
      if (result == 2) AddTo(log, L"B2", 1);
    } else if (prevResult == 1 && result == 2) {
      AddTo(log, L"B2", 1);
    } else if (prevResult == 2 && result == 1 && IntOf(log, L"B2") > 0) {
      // The count of questions now wrong never goes below none.
      AddTo(log, L"B2", -1);
    }
    log->Post();
    return;
  }
  // The first answer of the day. The wrong counters are written only for a wrong answer:
  // after a right one they stay empty, which every sum and read takes as 0.
  log->Append();
  log->FieldByName(L"A1")->SetAsDateTime(Today());
  log->FieldByName(L"A2")->SetAsInteger(1);
  if (result == 2) {
    log->FieldByName(L"A3")->SetAsInteger(1);
    log->FieldByName(L"B2")->SetAsInteger(1);
  }
  log->FieldByName(L"B1")->SetAsInteger(1);
  log->Post();
  log->Close();
}

void TDM1::CountChapterRow(int firstFlag, int result) {
  TADOTable* chapters = Cn1Table_kmmc;
  chapters->Edit();
  if (firstFlag == 2) AddTo(chapters, L"C4", 1);
  AddTo(chapters, L"D1", 1);
  if (result == 2) AddTo(chapters, L"D2", 1);
  chapters->Post();
}

void TDM1::CountChapterAnswer(const String& code, int firstFlag, int result) {
  OpenIfClosed(Cn1Table_kmmc);
  if (Cn1Table_kmmc->Locate(L"C1", code, kExactCaseless)) CountChapterRow(firstFlag, result);
  // Every node counts what is below it: the parents are the prefixes of the code.
  for (int length = static_cast<int>(code.size()) - 1; length >= 1; --length)
    if (Cn1Table_kmmc->Locate(L"C1", code.substr(0, static_cast<size_t>(length)), kExactCaseless))
      CountChapterRow(firstFlag, result);
}

void TDM1::RunRuleStatement(const String& sql) {
  ADOQuery3->Close();
  ADOQuery3->GetSQL()->SetText(sql);
  ADOQuery3->ExecSQL();
}

void TDM1::CountRuleHits(const String& articles, const String& laws, const String& groups,
                         int firstFlag, int wrongFlag) {
  auto countIn = [&](const wchar_t* column) {
    RunRuleStatement(L"update tab_rule set " + String(column) + L"=" + column + L"+1 where ftid in " + articles);
    RunRuleStatement(L"update tab_fgmc set " + String(column) + L"=" + column + L"+1 where id in " + laws);
    RunRuleStatement(L"update tab_fgmc set " + String(column) + L"=" + column + L"+1 where id in " + groups);
  };
  countIn(L"q2");
  if (firstFlag == 2) countIn(L"q1");
  if (wrongFlag == 2) countIn(L"q4");
}

void TDM1::CloseSessionStats(const String& elapsedTime) {
  if (LocateToday()) {
    TADOTable* log = Cn1Table_rz;
    const String accuracy = AccuracyText(IntOf(log, L"A2"), IntOf(log, L"A3"));
    const int64_t total =
        StoredSeconds(log->FieldByName(L"D1")->GetAsString()) + TimeStrToSeconds(elapsedTime);
    log->Edit();
    log->FieldByName(L"A4")->SetAsString(accuracy);
    log->FieldByName(L"D1")->SetAsString(SecondsToTimeStr(total));
    log->Post();
  }

  TADOTable* chapters = Cn1Table_kmmc;
  OpenIfClosed(chapters);
  chapters->DisableControls();
  try {
    chapters->First();
    const int rowCount = chapters->GetRecordCount();
    for (int row = 0; row < rowCount && !chapters->GetEof(); ++row) {
      const String accuracy = AccuracyText(IntOf(chapters, L"D1"), IntOf(chapters, L"D2"));
      TField* c6 = chapters->FieldByName(L"C6");
      // Rows whose text is already right are not written again.
      if (c6->GetIsNull() || c6->GetAsString() != accuracy) {
        chapters->Edit();
        c6->SetAsString(accuracy);
        chapters->Post();
      }
      chapters->Next();
    }
  } catch (...) {
    chapters->EnableControls();
    throw;
  }
  chapters->EnableControls();
}
