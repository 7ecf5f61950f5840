// The statements the program's windows run, each as the window builds it (values filled into
// the texts it concatenates), run through the data-access layer the way the window runs it:
// queries opened, commands executed, rows edited and posted through the data sets. The
// database is made from the bank's own schema script, protected by the bank's password.
#include <gtest/gtest.h>
#include "AdoTestFiles.h"
#include "classlib/classes/Streams.h"
#include "classlib/system/SysDate.h"
#include "classlib/system/SysMath.h"
#include "data/BankSchema.h"
#include "data/tools/BankWriter.h"

namespace {

// Question ids as the bank builds them ("QB" + chapter + type + serial), two members of a
// question group ("-" + number) and the group's id.
const String kQ1 = L"QB21010111000001";     // single choice, never answered, linked to 1101001
const String kQ2 = L"QB21010111000002";     // single choice, answered wrong once, two articles
const String kQ3 = L"QB21010214000003";     // multiple choice, voided
const String kQ4a = L"QB71010167000004-01";  // listening group members
const String kQ4b = L"QB71010167000004-02";
const String kQ5 = L"QB71010169000005";     // self-assessed
const String kGroup = L"QB71010167000004";

TBytes Rtf(const std::string& text) {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg936 " + text + "\\par }";
  return TBytes(rtf.begin(), rtf.end());
}

// The program's quoting of a value in a statement: single quotes, inner quotes doubled.
String Q(const String& value) { return QuotedStr(value); }

// The parenthesised list of quoted values that the program hands to IN.
String InList(const std::vector<String>& values) {
  String list;
  for (const String& v : values) list += (list.empty() ? L"" : L",") + Q(v);
  return L"(" + list + L")";
}

// The practice set of the chooser for a mode (1 new, 2 wrong, 3 done) and a chapter code.
String PracticeSql(int mode, const String& code) {
  String n = IntToStr(int64_t(code.size()));
  switch (mode) {
    case 1:
      return L"select a1 ,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,"
             L"xx,csbs,ecount from tab_answ where (left(A10," + n + L") = " + Q(code) +
             L") and (E2 = '' or E2 is null) " + L" and (f1<>1) " + L" order by a13,a10,a1,xx";
    case 2:
      return L"select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,"
             L"xx,csbs,ecount from tab_answ  where (left(A10," + n + L") = " + Q(code) +
             L") and (E4 < 0) " + L" and (f1<>1)" + L" order by a13,a1,e3,e4,e1,xx";
    default:
      return L"select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,"
             L"xx,csbs,ecount from tab_answ where (left(A10," + n + L") = " + Q(code) +
             L") and (E2 <> '' and E2 is not null) " + L"order by a13,a1,e3,e4,e1,xx";
  }
}

// The practice set of the law browser: every question linked to the article.
String LawPracticeSql(const String& articleId) {
  return L"select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,"
         L"e4,f1,a.csbs as csbs,b.jx as jx,b.A15 as A15 from tab_answ a,tab_exer b where "
         L"a.a1=b.a1 and " + Q(articleId) + L" in (k3,k4,k5,k6,k7,k8,k9,k10,k11,k12)";
}

class ProgramSql : public ::testing::Test {
 protected:
  void SetUp() override {
    FormatSettings = DefaultFormatSettings();
    CreateDatabase(file.Name(), kBankPassword);
    cn.SetLoginPrompt(false);
    cn.SetConnectionString(JetConnectionString(file.Name(), kBankPassword));
    cn.Open();
    for (const String& statement : BankSchemaStatements()) cn.Execute(statement);
    for (TADOQuery* q : {&query1, &query2, &queryTm, &queryNr, &queryExam, &query3})
      q->SetConnection(&cn);
    FillBank(cn);
    cn.SetKeepConnection(false);  // as the data module has it
  }

  // A small bank: two subjects with their chapters, two law groups with a law and articles
  // each, six questions with their texts, one question group, the types, plan and upgrade.
  static void FillBank(TADOConnection& c) {
    Insert(c, L"tab_tx", L"A1,B1,B2,B3,[time]",
           {{11, L"单项选择题", 60, 1, 1.0}, {14, L"多项选择题", 35, 2, 2.0},
            {64, L"简答题", 0, 10, 8.0}, {67, L"短对话", 10, 5, 0.5}, {69, L"复合式听写", 5, 4, 1.0}});
    Insert(c, L"tab_kmmc", L"bh,C1,C1_1,C2,C3,D1,D2,C6,C7,jx",
           {{1, L"2", L"2", L"资产评估师·经济法", 3, 4, 1, L"0", L"1", Variant::Null()},
            {2, L"21", L"21", L"资产评估法律制度", 3, 4, 1, L"0", L"0", Variant::Null()},
            {3, L"210101", L"210101", L"资产评估法总则", 2, 4, 1, L"0", L"1", Rtf("guide")},
            {4, L"210102", L"210102", L"评估机构与评估程序", 1, 0, 0, L"0", L"1", Variant::Null()},
            {5, L"7", L"7", L"大学英语四级·听力", 3, 0, 0, L"0", L"1", Variant::Null()},
            {6, L"71", L"71", L"短对话", 3, 0, 0, L"0", L"0", Variant::Null()},
            {7, L"710101", L"710101", L"校园生活", 3, 0, 0, L"0", L"1", Variant::Null()}});
    Insert(c, L"tab_fgmc", L"id,n,bh,q",
           {{L"1", L"资产评估法律制度", 1, 3}, {L"1101", L"中华人民共和国资产评估法", 2, 3},
            {L"2", L"公司与合伙企业法律制度", 3, 1}, {L"2101", L"中华人民共和国公司法", 4, 1}});
    Insert(c, L"tab_rule", L"id,ftid,sn,n,q",
           {{L"1101", L"1101001", L"资产评估的定义", Rtf("definition"), 1},
            {L"1101", L"1101002", L"自愿评估与法定评估", Rtf("voluntary"), 2},
            {L"2101", L"2101001", L"公司设立 ", Rtf("founding"), 1}});
    Variant null = Variant::Null();
    Variant answered = Variant::FromDateTime(EncodeDate(2024, 5, 6));
    Insert(c, L"tab_answ", L"a1,a2,a2_1,a10,a13,xx,k3,k4,e1,e2,e3,e4,f1",
           {{kQ1, L"D", 4, L"210101", 11, 1, L"1101001", null, null, null, 0, 0, 0},
            {kQ2, L"B", 4, L"210101", 11, 2, L"1101002", L"2101001", answered, L"A", 1, -3, 0},
            {kQ3, L"ABD", 4, L"210102", 14, 1, L"1101002", null, answered, L"zero", 1, 0, 1},
            {kQ4a, L"A", 4, L"710101", 67, 1, null, null, null, null, 0, 0, 0},
            {kQ4b, L"C", 4, L"710101", 67, 2, null, null, null, null, 0, 0, 0},
            {kQ5, L"1", 1, L"710101", 69, 3, null, null, null, null, 0, 0, 0}});
    for (const String& id : {kQ1, kQ2, kQ3, kQ4a, kQ4b, kQ5}) {
      bool explained = id == kQ1 || id == kQ2;
      Insert(c, L"tab_exer", L"a1,a15,jx",
             {{id, Rtf("stem " + StringToUtf8(id)), explained ? Variant(Rtf("explained")) : null}});
    }
    Insert(c, L"tab_title", L"A1,A15", {{kGroup, Rtf("group stem")}});
    Insert(c, L"tab_plan", L"PlanMark,PlanAmount,PlanTime,ExamDate",
           {{0, 50, 60, Variant::FromDateTime(EncodeDate(2030, 6, 1))}});
    Insert(c, L"tab_sj", L"sjbs,cpbs", {{String(kBankBaseUpgradeId), String(kBankProductId)}});
  }

  // Rows into a table through a prepared command, values in the order of columns.
  static void Insert(TADOConnection& c, const String& table, const String& columns,
                     const std::vector<std::vector<Variant>>& rows) {
    TADOCommand command(nullptr);
    command.SetConnection(&c);
    String marks;
    for (size_t i = 0; i < rows.at(0).size(); ++i)
      marks += (i ? L",:p" : L":p") + IntToStr(int64_t(i));
    command.SetCommandText(L"insert into " + table + L" (" + columns + L") values (" + marks + L")");
    for (const std::vector<Variant>& row : rows) {
      for (size_t i = 0; i < row.size(); ++i)
        command.GetParameters()->GetItem(int(i))->SetValue(row[i]);
      command.Execute();
    }
  }

  // As a window does it: close the query and replace its text, then open or execute it
  // (with the value of the statement's first parameter).
  static TADOQuery& SetSql(TADOQuery& q, const String& sql) {
    q.Close();
    q.GetSQL()->Clear();
    q.GetSQL()->Add(sql);
    return q;
  }
  static void Open(TADOQuery& q, const String& sql) { SetSql(q, sql).Open(); }
  static void Open(TADOQuery& q, const String& sql, const String& parameter) {
    SetSql(q, sql).GetParameters()->GetItem(0)->SetValue(Variant(parameter));
    q.Open();
  }
  static int ExecSQL(TADOQuery& q, const String& sql) { return SetSql(q, sql).ExecSQL(); }

  // Sets fields of the row being edited or appended, each with the setter of its value's
  // kind (text, integer, float or date) as the windows write them, and posts the row.
  using TFieldValues = std::initializer_list<std::pair<const wchar_t*, Variant>>;
  static void SetAndPost(TDataSet& set, TFieldValues values) {
    for (const auto& [name, value] : values) {
      TField* field = set.FieldByName(name);
      switch (value.GetVarType()) {
        case varInt64: field->SetAsInteger(value.AsInteger()); break;
        case varDouble: field->SetAsFloat(value.AsDouble()); break;
        case varDate: field->SetAsDateTime(value.AsDateTime()); break;
        default: field->SetAsString(value.AsString());
      }
    }
    set.Post();
  }
  static void EditPost(TDataSet& set, TFieldValues values) {
    set.Edit();
    SetAndPost(set, values);
  }
  static int Int(TDataSet& set, const wchar_t* field) { return set.FieldByName(field)->GetAsInteger(); }
  static TBytes Bytes(TDataSet& set, const wchar_t* field) {
    return static_cast<TBlobField*>(set.FieldByName(field))->GetAsBytes();
  }
  static Variant Today() { return Variant::FromDateTime(Date()); }
  static void Filter(TDataSet& set, const String& filter) {
    set.SetFilter(filter);
    set.SetFiltered(true);
  }
  // Saves a question's first answer, a right one, on the current row as the windows do:
  // E4 0, one more try in E3, the answer in E2_1 and E2, and today in E1.
  static void SaveFirstRightAnswer(TADOQuery& q, const String& answer) {
    EditPost(q, {{L"E4", 0}, {L"E3", Int(q, L"E3") + 1}, {L"E2_1", answer}, {L"E2", answer},
                 {L"E1", Today()}});
  }
  // A field of every row of an open data set, joined with '|'.
  static String Column(TDataSet& set, const String& field) {
    String out;
    set.First();
    for (int n = 0; n < 1000 && !set.GetEof(); ++n, set.Next())
      out += (out.empty() ? L"" : L"|") + set.FieldByName(field)->GetAsString();
    set.First();
    return out;
  }
  // Rows read straight from the file, to see what a statement or a post stored.
  String Rows(const String& sql) {
    cn.CheckActive();
    return Column0(cn, sql);
  }
  TADOTable& Table(TADOTable& table, const String& name) {
    table.SetConnection(&cn);
    table.SetTableName(name);
    table.Open();
    return table;
  }

  // The start of a mock exam up to its empty paper: the record row and the paper table.
  String StartMockExam(const String& subjectName) {
    String title = FormatDateTime(L"yyyy\"年\"mm\"月\"dd\"日\"", Now()) + subjectName;
    Open(query1, L"select * from tab_cj order by A3_1 desc");
    int sequence = query1.IsEmpty() ? 1 : query1.FieldByName(L"A3_1")->GetAsInteger() + 1;
    title += L"[" + IntToStr(int64_t(sequence)) + L"]";
    Open(query1, L"select * from tab_cj order by A3_1 desc");
    String paper = L"tab_exam1";
    if (!query1.IsEmpty()) {
      String newest = Trim(query1.FieldByName(L"A1")->GetAsString());
      paper = L"tab_exam" + IntToStr(int64_t(StrToInt(Copy(newest, 9, int(newest.size()))) + 1));
    }
    query1.Append();
    SetAndPost(query1, {{L"A1", paper}, {L"A3", title}, {L"A3_1", sequence}, {L"D1", Today()}});
    DropTableIfExists(paper);
    cn.Execute(PaperTableSql(paper), {eoExecuteNoRecords});
    TADOXCatalog catalog;
    catalog.SetActiveConnection(cn.GetConnectionString());
    TADOXTable& table = catalog.GetTable(paper);
    for (const wchar_t* column : {L"A2", L"A14", L"E2", L"E2_1", L"csbs"})
      table.GetColumn(column).GetProperty(L"Jet OLEDB:Allow Zero Length").SetValue(true);
    return paper;
  }

  bool HasTable(const String& name) {
    TStringList names;
    cn.GetTableNames(&names);
    return names.IndexOf(name) >= 0;
  }
  // A paper table with its record row dropped, through the catalog and the record table.
  void DropTableIfExists(const String& tableName) {
    if (!HasTable(tableName)) return;
    {
      TADOXCatalog catalog;
      catalog.SetActiveConnection(cn.GetConnectionString());
      catalog.DeleteTable(tableName);
    }
    TADOTable& records = tableCj.GetActive() ? tableCj : Table(tableCj, L"tab_cj");
    if (records.Locate(L"A1", Variant(tableName), TLocateOptions{loCaseInsensitive})) records.Delete();
  }

  // The draw's id list: " a.A1='x' or a.A1='y'", the latest pick first.
  static String PickList(const std::vector<String>& picks) {
    String list;
    for (const String& id : picks) list = L"' or a.A1='" + id + list;
    return list.substr(4) + L"'";
  }
  static String PaperInsertSql(const String& paper, const String& list) {
    return L"insert into " + paper +
           L"(a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,E3,E4,JX,CSBS,F1)" +
           L" Select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,"
           L"e3,e4,b.jx as jx,a.csbs as csbs,a.f1 as f1 " +
           L" from tab_answ a,tab_exer b where a.a1=b.a1 and (" + list + L")";
  }

  TTempFile file{L"program"};  // destroyed last: everything below closes first
  TADOConnection cn{nullptr};
  // Named after the data module's objects they stand for.
  TADOQuery query1{nullptr};     // Cn1Query1
  TADOQuery query2{nullptr};     // Cn1Query2
  TADOQuery queryTm{nullptr};    // Cn1Query_tm: the practice set or the exam's pool
  TADOQuery queryNr{nullptr};    // cn1query_nr: the current question's text
  TADOQuery queryExam{nullptr};  // Cn1Query_exam: the open paper
  TADOQuery query3{nullptr};     // ADOQuery3
  TADOTable tableCj{nullptr};    // Cn1Table_cj
};

TEST_F(ProgramSql, MainMenuReadsTheAnswerTimesAndThePlan) {
  Open(query1, L"select * from tab_tx");
  ASSERT_EQ(query1.GetRecordCount(), 5);
  String times;
  for (query1.First(); !query1.GetEof(); query1.Next())
    times += IntToStr(int64_t(query1.FieldByName(L"A1")->GetAsInteger())) + L":" +
             IntToStr(Trunc(query1.FieldByName(L"time")->GetAsFloat() * 600.0)) + L" ";
  EXPECT_EQ(times, L"11:600 14:1200 64:4800 67:300 69:600 ");

  // The settings window writes a type's answer time back; the exam window finds a type.
  TADOTable types(nullptr);
  Table(types, L"tab_tx").SetSort(L"A1 ASC");
  ASSERT_TRUE(types.Locate(L"A1", Variant(67), TLocateOptions{loCaseInsensitive}));
  EditPost(types, {{L"time", 0.8}});
  EXPECT_EQ(Rows(L"select [time] from tab_tx where A1 = 67"), L"0.8");

  // The plan as the quit check reads it and the plan window saves it (texts of its edits).
  TADOTable plan(nullptr);
  Table(plan, L"tab_plan").First();
  EXPECT_EQ(plan.FieldByName(L"PlanMark")->GetAsInteger(), 0);
  EXPECT_EQ(plan.FieldByName(L"PlanAmount")->GetAsInteger(), 50);
  EXPECT_EQ(plan.FieldByName(L"ExamDate")->GetAsDateTime(), EncodeDate(2030, 6, 1));
  EditPost(plan, {{L"PlanAmount", L"80"}, {L"PlanTime", L"90"},
                  {L"ExamDate", DateToStr(EncodeDate(2031, 4, 20))}, {L"PlanMark", 1}});
  EXPECT_EQ(Rows(L"select PlanMark & '|' & PlanAmount & '|' & PlanTime & '|' & ExamDate from tab_plan"),
            L"1|80|90|2031-04-20 00:00:00");
}

TEST_F(ProgramSql, ChooserTotalsAndThePracticeSetsOfItsThreeModes) {
  Open(query1, L"select sum(C3) as count_c3,sum(D1) as count_d1,sum(D2) as count_d2 from tab_kmmc "
               L"where len(c1)>2");
  EXPECT_EQ(query1.FieldByName(L"count_c3")->GetAsInteger(), 6);  // leaf chapters only
  EXPECT_EQ(query1.FieldByName(L"count_d1")->GetAsInteger(), 4);
  EXPECT_EQ(query1.FieldByName(L"count_d2")->GetAsInteger(), 1);

  struct TCase { int Mode; const wchar_t* Code; String Ids; };
  const TCase cases[] = {
      {1, L"2", kQ1},                                   // answered and voided ones left out
      {1, L"210101", kQ1},
      {1, L"7", kQ4a + L"|" + kQ4b + L"|" + kQ5},       // by type, then chapter and id
      {2, L"2", kQ2},                                   // in the wrong set, not voided
      {2, L"7", L""},
      {3, L"21", kQ2 + L"|" + kQ3},                     // done, voided ones included
      {3, L"210102", kQ3},
      {3, L"710101", L""}};
  for (const TCase& c : cases) {
    Open(queryTm, PracticeSql(c.Mode, c.Code));
    EXPECT_EQ(Column(queryTm, L"a1"), c.Ids) << "mode " << c.Mode << " chapter " << StringToUtf8(c.Code);
  }
  // A cleared answer ('') was never given: a new question, not a done one.
  EXPECT_EQ(ExecSQL(query3, L"update tab_answ set e2 = '' where a1 = " + Q(kQ5)), 1);
  Open(queryTm, PracticeSql(3, L"710101"));
  EXPECT_EQ(Column(queryTm, L"a1"), L"");
  Open(queryTm, PracticeSql(1, L"710101"));
  EXPECT_EQ(Column(queryTm, L"a1"), kQ4a + L"|" + kQ4b + L"|" + kQ5);
}

TEST_F(ProgramSql, PracticeWindowLoadsShowsAndSavesAnswers) {
  ExecSQL(queryTm, L"Update tab_answ set E2_1= 'X'");  // answers left by an earlier practice
  EXPECT_EQ(ExecSQL(queryTm, L"Update tab_answ set E2_1= ''"), 6);
  Open(queryTm, PracticeSql(1, L"7"));
  ASSERT_EQ(queryTm.GetRecordCount(), 3);
  Filter(queryTm, L"A13=67");
  EXPECT_EQ(queryTm.GetRecordCount(), 2);
  queryTm.SetFilter(L"A13=11");
  EXPECT_TRUE(queryTm.IsEmpty());
  queryTm.SetFilter(L"");
  EXPECT_EQ(queryTm.GetRecordCount(), 3);

  // The text row of a question, by each of the three forms the window writes.
  for (const String& sql : {L"select * from tab_exer where A1 = " + Q(kQ4a),
                            L"select * from tab_exer where A1=" + Q(kQ4a),
                            L"select * from tab_exer where a1 =" + Q(LowerCase(kQ4a))}) {
    Open(queryNr, sql);
    ASSERT_EQ(queryNr.GetRecordCount(), 1) << StringToUtf8(sql);
    EXPECT_EQ(Bytes(queryNr, L"A15"), Rtf("stem " + StringToUtf8(kQ4a)));
    EXPECT_TRUE(queryNr.FieldByName(L"jx")->GetIsNull());
  }

  // Saving a first, right answer; then the time-out mark, a note and voiding.
  ASSERT_TRUE(queryTm.Locate(L"a1", Variant(kQ4a), {}));
  SaveFirstRightAnswer(queryTm, L"A");
  EditPost(queryTm, {{L"CSBS", L"Y"}});
  EditPost(queryTm, {{L"A14", L"听清数字"}});
  EditPost(queryTm, {{L"f1", 1}, {L"e2", L"zero"}});
  EXPECT_EQ(Rows(L"select e2_1 & '|' & e2 & '|' & e3 & '|' & e4 & '|' & csbs & '|' & f1 & '|' & a14 "
                 L"from tab_answ where a1 = " + Q(kQ4a)),
            L"A|zero|1|0|Y|1|听清数字");
  EXPECT_EQ(Rows(L"select a1 from tab_answ where e1 = date()"), kQ4a);
  Open(queryTm, PracticeSql(1, L"7"));  // voided: no longer a new question
  EXPECT_EQ(Column(queryTm, L"a1"), kQ4b + L"|" + kQ5);

  // The next load clears the practice answers again.
  EXPECT_EQ(ExecSQL(queryTm, L"Update tab_answ set E2_1= ''"), 6);
  EXPECT_EQ(Rows(L"select count(*) from tab_answ where E2_1 = ''"), L"6");
}

TEST_F(ProgramSql, StudyRecordsCountTheLinkedArticlesTheDayAndTheChapters) {
  // A question with two articles of two laws of two groups, first answered and wrong.
  String articles = InList({L"1101002", L"2101001"});
  String laws = InList({L"1101", L"2101"});
  String groups = InList({L"1", L"2"});
  for (const wchar_t* column : {L"q2", L"q1", L"q4"}) {
    String c = column;
    EXPECT_EQ(ExecSQL(query3, L"update tab_rule set " + c + L"=" + c + L"+1 where ftid in " + articles), 2);
    EXPECT_EQ(ExecSQL(query3, L"update tab_fgmc set " + c + L"=" + c + L"+1 where id in " + laws), 2);
    EXPECT_EQ(ExecSQL(query3, L"update tab_fgmc set " + c + L"=" + c + L"+1 where id in " + groups), 2);
  }
  // Two articles of one law count that law once per statement.
  EXPECT_EQ(ExecSQL(query3, L"update tab_fgmc set q2=q2+1 where id in " + InList({L"1101", L"1101"})), 1);
  EXPECT_EQ(Rows(L"select id & ':' & q1 & q2 & q4 from tab_fgmc order by bh"),
            L"1:111|1101:121|2:111|2101:111");
  EXPECT_EQ(Rows(L"select ftid & ':' & q1 & q2 & q4 from tab_rule order by ftid"),
            L"1101001:000|1101002:111|2101001:111");

  // The day's row: appended on the first answer, found again by today's date.
  TADOTable log(nullptr);
  Table(log, L"tab_rz");
  EXPECT_FALSE(log.Locate(L"A1", Today(), {}));
  log.Append();
  SetAndPost(log, {{L"A1", Today()}, {L"A2", 1}, {L"A3", 1}, {L"B2", 1}, {L"B1", 1}});
  log.Close();
  Table(log, L"tab_rz");
  ASSERT_TRUE(log.Locate(L"A1", Today(), {}));
  EditPost(log, {{L"A2", Int(log, L"A2") + 1}, {L"A4", L"50.00"}, {L"D1", L"00:01:05"}});
  EXPECT_EQ(Rows(L"select A2 & '|' & A3 & '|' & B1 & '|' & A4 & '|' & D1 from tab_rz where A1 = date()"),
            L"2|1|1|50.00|00:01:05");

  // The chapter and every prefix of its code that has a row.
  TADOTable chapters(nullptr);
  chapters.SetIndexFieldNames(L"bh");
  Table(chapters, L"tab_kmmc");
  String code = L"710101";
  int counted = 0;
  for (int length = int(code.size()); length >= 1; --length) {
    if (!chapters.Locate(L"C1", Variant(Copy(code, 1, length)), TLocateOptions{loCaseInsensitive})) continue;
    EditPost(chapters, {{L"C4", Int(chapters, L"C4") + 1}, {L"D1", Int(chapters, L"D1") + 1}});
    ++counted;
  }
  EXPECT_EQ(counted, 3);
  EXPECT_EQ(Rows(L"select C1 from tab_kmmc where C4 = 1 and D1 = 1 order by bh"), L"7|71|710101");
}

TEST_F(ProgramSql, LinkedArticlesWindowListsTheArticlesOfAQuestion) {
  Open(query1, L"select k3,k4,k5,k6,k7,k8,k9,k10,k11,k12 from tab_answ where a1=" + Q(kQ2));
  ASSERT_EQ(query1.GetRecordCount(), 1);
  EXPECT_EQ(query1.FieldByName(L"k3")->GetAsString(), L"1101002");
  EXPECT_EQ(query1.FieldByName(L"k4")->GetAsString(), L"2101001");
  EXPECT_TRUE(query1.FieldByName(L"k5")->GetIsNull());

  Open(query1, L"select id,n,sn from tab_rule where ftid in" + InList({L"1101002", L"2101001"}));
  EXPECT_EQ(Column(query1, L"sn"), L"自愿评估与法定评估|公司设立 ");
  EXPECT_EQ(Bytes(query1, L"n"), Rtf("voluntary"));
  Open(query2, L"select * from tab_fgmc where id=" + Q(query1.FieldByName(L"id")->GetAsString()));
  EXPECT_EQ(query2.FieldByName(L"n")->GetAsString(), L"中华人民共和国资产评估法");
}

TEST_F(ProgramSql, LawBrowserOpensALawItsKeyPointsAndPractisesAnArticle) {
  TADOQuery lawList(nullptr), articles(nullptr);
  lawList.SetConnection(&cn);
  articles.SetConnection(&cn);
  Open(lawList, L"select * from tab_fgmc order by bh");
  EXPECT_EQ(Column(lawList, L"id"), L"1|1101|2|2101");

  Open(query1, L"select count(*) as icou1 from tab_rule where (id = " + Q(L"1101") + L")");
  EXPECT_EQ(query1.FieldByName(L"icou1")->GetAsInteger(), 2);
  Open(articles, L"select * from tab_rule where id='" + String(L"1101") + L"'" + L" order by ftid");
  EXPECT_EQ(Column(articles, L"ftid"), L"1101001|1101002");
  Filter(articles, L"q >=2");  // key points: 3 questions div 2 articles
  EXPECT_EQ(Column(articles, L"ftid"), L"1101002");
  articles.SetFilter(L"");

  // The practice of one article, found by its number without the trailing blanks.
  Open(lawList, L"select * from tab_rule where Rtrim(sn)=" + Q(L"公司设立") + L" and id=" + Q(L"2101"));
  ASSERT_EQ(lawList.GetRecordCount(), 1);
  EXPECT_EQ(lawList.FieldByName(L"ftid")->GetAsString(), L"2101001");

  EXPECT_EQ(ExecSQL(queryTm, L"Update tab_answ set E2_1= ''"), 6);
  Open(queryTm, LawPracticeSql(L"1101002"));
  EXPECT_EQ(Column(queryTm, L"a1"), kQ2 + L"|" + kQ3);
  Filter(queryTm, L"A13=14");
  EXPECT_EQ(queryTm.GetRecordCount(), 1);
  queryTm.SetFilter(L"");
  queryTm.First();
  EXPECT_EQ(Bytes(queryTm, L"jx"), Rtf("explained"));

  // A group member's shared stem.
  Open(query2, L"select * from tab_title where A1=:A1", Copy(kQ4b, 1, 16));
  EXPECT_EQ(Bytes(query2, L"A15"), Rtf("group stem"));

  // Saving through the join writes the question's own row.
  ASSERT_TRUE(queryTm.Locate(L"a1", Variant(kQ2), {}));
  EditPost(queryTm, {{L"E4", Int(queryTm, L"E4") + 1}, {L"E3", Int(queryTm, L"E3") + 1}, {L"E2_1", L"B"},
                     {L"E2", L"B"}, {L"E1", Today()}, {L"csbs", L"Y"}, {L"A14", L"法定评估"}});
  EXPECT_EQ(Rows(L"select e2_1 & e2 & e3 & e4 & csbs & a14 from tab_answ where a1 = " + Q(kQ2)),
            L"BB2-2Y法定评估");
  EXPECT_EQ(Rows(L"select count(*) from tab_answ where e1 = date()"), L"1");
}

TEST_F(ProgramSql, LawPointPickerListsLawsAndTheirArticles) {
  Open(query1, L"select * from tab_fgmc where len(id) = 4 or len(id)=1");
  EXPECT_EQ(Column(query1, L"n"), L"资产评估法律制度|中华人民共和国资产评估法|公司与合伙企业法律制度|中华人民共和国公司法");
  Open(query2, L"select * from tab_rule where id = " + Q(L"2101"));
  EXPECT_EQ(Column(query2, L"ftid"), L"2101001");
}

TEST_F(ProgramSql, MockExamStartNumbersItsRecordsAndPapers) {
  String first = StartMockExam(L"资产评估师·经济法");
  EXPECT_EQ(first, L"tab_exam1");
  String second = StartMockExam(L"资产评估师·经济法");
  EXPECT_EQ(second, L"tab_exam2");
  EXPECT_EQ(Rows(L"select right(A3, 3) & A3_1 & ':' & A1 from tab_cj order by A3_1"),
            L"[1]1:tab_exam1|[2]2:tab_exam2");
  EXPECT_EQ(Rows(L"select count(*) from tab_cj where D1 = date() and A3 like '*经济法*'"), L"2");
  // Empty text is stored as such in the columns the paper allows it in.
  cn.Execute(L"insert into tab_exam2 (A1, A2, E2_1, csbs) values ('x', '', '', '')");
  EXPECT_EQ(Rows(L"select count(*) from tab_exam2 where A2 = '' and E2_1 = '' and csbs = ''"), L"1");

  // A stale paper table without its record is replaced, and the new record goes with it.
  cn.Execute(PaperTableSql(L"tab_exam3"));
  cn.Execute(L"insert into tab_exam3 (A1) values ('stale')");
  EXPECT_EQ(StartMockExam(L"资产评估师·经济法"), L"tab_exam3");
  EXPECT_EQ(Rows(L"select A1 from tab_cj order by A3_1"), L"tab_exam1|tab_exam2");
  EXPECT_EQ(Rows(L"select count(*) from tab_exam3"), L"0");
}

TEST_F(ProgramSql, PaperAssemblyCopiesTheDrawAndTheExamSavesItsAnswers) {
  String paper = StartMockExam(L"资产评估师·经济法");
  Open(queryTm, L"select * from tab_answ where (Left(A10,1) = '2') and (f1 <> 1) order by E3");
  EXPECT_EQ(Column(queryTm, L"a1"), kQ1 + L"|" + kQ2);
  Filter(queryTm, L"");
  Filter(queryTm, L"A13=11 and a10 like '2*' and f1<>1");
  EXPECT_EQ(queryTm.GetRecordCount(), 2);
  queryTm.SetFilter(L"A13=14 and a10 like '2*' and f1<>1");  // the only one is voided
  EXPECT_TRUE(queryTm.IsEmpty());
  queryTm.SetFilter(L"");

  EXPECT_EQ(ExecSQL(query1, PaperInsertSql(paper, PickList({kQ1, kQ2}))), 2);
  EXPECT_EQ(ExecSQL(queryExam, L"Update " + paper + L" set E2_1= ''"), 2);
  Open(queryExam, L"select * from " + paper + L" order by A13,A1");
  EXPECT_EQ(Column(queryExam, L"A1"), kQ1 + L"|" + kQ2);
  EXPECT_EQ(Bytes(queryExam, L"jx"), Rtf("explained"));
  EXPECT_EQ(queryExam.FieldByName(L"K4")->GetAsString(), L"");

  // The stem of the question on display, and a group's stem, by parameter.
  Open(query1, L"select * from tab_exer where A1=:A1", kQ2);
  EXPECT_EQ(Bytes(query1, L"A15"), Rtf("stem " + StringToUtf8(kQ2)));
  Open(query2, L"select * from tab_title where A1=:A1", Copy(kQ4a, 1, 16));
  EXPECT_EQ(query2.GetRecordCount(), 1);

  // Leaving question 1 answered: the paper row, and the question's state through the pool.
  queryExam.First();
  EditPost(queryExam, {{L"E2_1", L"D"}, {L"E2", L"D"}, {L"E1", Today()}});
  ASSERT_TRUE(queryTm.Locate(L"a1", Variant(LowerCase(kQ1)), TLocateOptions{loCaseInsensitive}));
  SaveFirstRightAnswer(queryTm, L"D");
  EXPECT_EQ(Rows(L"select E2_1 & E2 & E3 & E4 from tab_answ where a1 = " + Q(kQ1)), L"DD10");
  EXPECT_EQ(Rows(L"select A1 from " + paper + L" where E1 = date()"), kQ1);

  // Hand-in: the unanswered count and the score.
  Open(query3, L"select A1 from " + paper + L" where E2_1 = '' or E2_1 is null");
  EXPECT_EQ(Column(query3, L"A1"), kQ2);
  String score = L"select sum(tab_tx.B3) as ZFS from " + paper + L",tab_tx where " + paper +
                 L".A13 = tab_tx.A1 and " + paper + L".A2 = " + paper + L".E2_1";
  Open(query1, score);
  EXPECT_EQ(query1.FieldByName(L"ZFS")->GetAsFloat(), 1.0);
  queryExam.Last();
  EditPost(queryExam, {{L"E2_1", L"C"}});  // wrong
  Open(query1, score);
  EXPECT_EQ(query1.FieldByName(L"ZFS")->GetAsFloat(), 1.0);
  Open(query3, L"select A1 from " + paper + L" where E2_1 = '' or E2_1 is null");
  EXPECT_TRUE(query3.IsEmpty());

  TADOTable& records = Table(tableCj, L"tab_cj");
  ASSERT_TRUE(records.Locate(L"A1", Variant(UpperCase(paper)), TLocateOptions{loCaseInsensitive}));
  EditPost(records, {{L"A6", 1.0}, {L"D2", L"0:12:30"}});
  EXPECT_EQ(Rows(L"select A6 & '|' & D2 from tab_cj where A1 = " + Q(paper)), L"1|0:12:30");

  // Voiding in the review: the paper row and the question's own row.
  queryExam.First();
  EditPost(queryExam, {{L"f1", 1}, {L"E2", L"zero"}});
  Open(query3, L"select * from tab_answ where a1=" + Q(kQ1));
  EditPost(query3, {{L"f1", 1}, {L"E2", L"zero"}});
  EXPECT_EQ(Rows(L"select count(*) from tab_answ where f1 = 1 and E2 = 'ZERO'"), L"2");
  EXPECT_EQ(Rows(L"select F1 & E2 from " + paper + L" where A1 = " + Q(kQ1)), L"1zero");

  // A paper discarded at hand-in goes while the window still has it and the pool open.
  DropTableIfExists(paper);
  EXPECT_FALSE(HasTable(paper));
  EXPECT_EQ(Rows(L"select count(*) from tab_cj"), L"0");
  queryExam.Close();
  queryTm.Close();
}

TEST_F(ProgramSql, ExamRecordsWordExportAndDeletingAPaper) {
  String paper = StartMockExam(L"资产评估师·经济法");
  ExecSQL(query1, PaperInsertSql(paper, PickList({kQ2})));
  cn.Execute(L"update tab_cj set A6 = 59.5 where A1 = " + Q(paper));
  Insert(cn, L"tab_cj", L"A1,A3,A3_1,A6,D1,D2",
         {{L"tab_exam7", L"2024年05月07日资产评估师·经济法[2]", 2, 60.0,
           Variant::FromDateTime(EncodeDate(2024, 5, 7)), L"1:00:00"},
          {L"tab_exam8", L"2024年05月08日资产评估师·经济法[3]", 3, 75.0,
           Variant::FromDateTime(EncodeDate(2024, 5, 8)), L"0:45:10"}});

  TADOTable& records = Table(tableCj, L"tab_cj");
  records.SetSort(L"A3_1 DESC");
  EXPECT_EQ(Column(records, L"A1"), L"tab_exam8|tab_exam7|" + paper);
  Filter(records, L"A6 >=60");
  EXPECT_EQ(records.GetRecordCount(), 2);
  records.SetFilter(L"");
  Open(query1, L"select avg(A6) as avg_fs from tab_cj");
  EXPECT_EQ(Round(query1.FieldByName(L"avg_fs")->GetAsFloat()), 65);

  // The export reads the paper through a clone, each stem, group stem and linked article.
  Open(queryExam, L"select * from " + paper + L" order by A13,A1");
  TADOQuery clone(nullptr);
  clone.Clone(&queryExam);
  ASSERT_EQ(clone.GetRecordCount(), 1);
  String id = clone.FieldByName(L"a1")->GetAsString();
  Open(query3, L"select a15 from tab_title where a1=" + Q(Copy(id, 1, 16)));
  EXPECT_TRUE(query3.IsEmpty());  // not a group member
  Open(query3, L"select a15 from tab_title where a1=" + Q(Copy(kQ4a, 1, 16)));
  EXPECT_EQ(query3.GetRecordCount(), 1);
  Open(query3, L"select a15 from tab_exer where a1=" + Q(id));
  EXPECT_EQ(Bytes(query3, L"a15"), Rtf("stem " + StringToUtf8(kQ2)));
  TADOTable laws(nullptr);
  Table(laws, L"tab_fgmc");
  for (const wchar_t* k : {L"k3", L"k4"}) {
    String v = Trim(clone.FieldByName(k)->GetAsString());
    Open(query2, L"select * from tab_rule where ftid=" + Q(v));
    ASSERT_EQ(query2.GetRecordCount(), 1) << StringToUtf8(v);
    EXPECT_TRUE(laws.Locate(L"id", Variant(Copy(v, 1, 4)), TLocateOptions{loCaseInsensitive}));
  }
  clone.Close();

  // Deleting: the paper with its record, then the statement for the record.
  queryExam.Close();
  DropTableIfExists(paper);
  EXPECT_EQ(ExecSQL(query3, L"delete * from tab_cj where A1='" + paper + L"'"), 0);
  EXPECT_EQ(ExecSQL(query3, L"delete * from tab_cj where A1='" + String(L"tab_exam7") + L"'"), 1);
  EXPECT_FALSE(HasTable(paper));
  EXPECT_EQ(Rows(L"select A1 from tab_cj"), L"tab_exam8");
}

TEST_F(ProgramSql, QuestionEntrySavesAQuestionInOneTransaction) {
  const String readSerial =
      L"select MAX(CINT(Right(A1,4))) as r4m from tab_answ where Left(A1,1) = 'U'";
  auto nextSerial = [&] {
    Open(query1, readSerial);
    return query1.FieldByName(L"r4m")->GetAsInteger() + 1;
  };
  auto save = [&](const String& key, const std::vector<String>& points, bool explained) {
    String serial = FormatFloat(L"0000", nextSerial());
    String chapter = L"210101";
    String id = L"U" + String(L"4") + L"11" + chapter + serial;
    String columns = L"(a1,a2,a2_1,a10,a13";
    String values = L" values (" + Q(id) + L"," + Q(key) + L"," + Q(L"4") + L"," + Q(chapter) + L"," + L"11";
    std::vector<String> full, law, group;
    for (size_t i = 0; i < points.size(); ++i) {
      columns += L",k" + IntToStr(int64_t(i + 3));
      values += L"," + Q(points[i]);
      full.push_back(points[i]);
      law.push_back(Copy(points[i], 1, 4));
      group.push_back(Copy(points[i], 1, 1));
    }
    columns += L",f1)";
    values += L",2)";
    TMemoryStream stem, explanation;
    TBytes stemBytes = Rtf("user stem " + StringToUtf8(id));
    stem.WriteBuffer(stemBytes.data(), int(stemBytes.size()));
    explanation.WriteBuffer("{\\rtf1 why}", 11);
    cn.BeginTrans();
    try {
      ExecSQL(query1, L"insert into tab_answ " + columns + values);
      SetSql(query1, L"insert into tab_exer " + String(explained ? L"(a1,a15,jx)" : L"(a1,a15)") +
                         L" values(" + Q(id) + L",:A15" + (explained ? L",:jx" : L"") + L")");
      query1.SetPrepared(true);
      query1.GetParameters()->GetItem(0)->LoadFromStream(stem, ftBlob);
      if (explained) query1.GetParameters()->GetItem(1)->LoadFromStream(explanation, ftBlob);
      query1.ExecSQL();
      query1.SetPrepared(false);
      EXPECT_EQ(ExecSQL(query1, L"update tab_kmmc set c3=c3+1 where (C1 = " + Q(chapter) + L") or " +
                                    L"(C1 = " + Q(Copy(chapter, 1, 3)) + L") or " + L"(C1 = " +
                                    Q(Copy(chapter, 1, 2)) + L")"),
                2);  // 210101 and 21: there is no row 210
      if (!law.empty()) {
        ExecSQL(query1, L"update tab_rule set q=q+1 where ftid in " + InList(full));
        ExecSQL(query1, L"update tab_fgmc set q=q+1 where id in " + InList(law));
        ExecSQL(query1, L"update tab_fgmc set q=q+1 where id in " + InList(group));
      }
      cn.CommitTrans();
    } catch (...) {
      query1.SetPrepared(false);
      cn.RollbackTrans();
      throw;
    }
    return id;
  };

  EXPECT_EQ(nextSerial(), 1);
  String first = save(L"A'C", {L"1101001", L"2101001"}, true);
  EXPECT_EQ(first, L"U4112101010001");
  EXPECT_EQ(Rows(L"select a2 & '|' & typeof(a2_1) & a2_1 & '|' & a13 & '|' & k3 & '|' & k4 & '|' & f1 "
                 L"from tab_answ where a1 = " + Q(first)),
            L"A'C|integer4|11|1101001|2101001|2");
  Open(queryNr, L"select * from tab_exer where A1=" + Q(first));
  EXPECT_EQ(Bytes(queryNr, L"a15"), Rtf("user stem " + StringToUtf8(first)));
  EXPECT_EQ(queryNr.FieldByName(L"jx")->GetAsString(), L"{\\rtf1 why}");
  EXPECT_EQ(Rows(L"select C1 & ':' & C3 from tab_kmmc where C1 like '2*' order by bh"),
            L"2:3|21:4|210101:3|210102:1");
  EXPECT_EQ(Rows(L"select id & ':' & q from tab_fgmc order by bh"), L"1:4|1101:4|2:2|2101:2");
  EXPECT_EQ(Rows(L"select ftid & ':' & q from tab_rule order by ftid"),
            L"1101001:2|1101002:2|2101001:2");

  // The serial continues; a question without explanation stores none.
  String second = save(L"B", {}, false);
  EXPECT_EQ(second, L"U4112101010002");
  EXPECT_EQ(Rows(L"select count(*) from tab_exer where a1 = " + Q(second) + L" and jx is null"), L"1");
  EXPECT_EQ(nextSerial(), 3);

  // A failing statement rolls the whole save back.
  cn.Execute(L"insert into tab_exer (a1) values ('U4112101010003')");
  EXPECT_THROW(save(L"C", {L"1101001"}, true), EDatabaseError);
  EXPECT_EQ(Rows(L"select count(*) from tab_answ where a1 = 'U4112101010003'"), L"0");
  EXPECT_EQ(Rows(L"select C3 from tab_kmmc where C1 = '210101'"), L"4");
  EXPECT_EQ(Rows(L"select q from tab_rule where ftid = '1101001'"), L"2");
}

TEST_F(ProgramSql, QuestionEditWritesBothRowsAndRecountsTheArticles) {
  Open(queryTm, PracticeSql(1, L"210101"));
  ASSERT_EQ(queryTm.GetRecordCount(), 1);
  Open(queryNr, L"select * from tab_exer where a1 =" + Q(kQ1));

  // The listed law points, as the window loads them.
  String point = queryTm.FieldByName(L"k3")->GetAsString();
  Open(query1, L"select * from tab_rule where ftid='" + point + L"'");
  String lawId = query1.FieldByName(L"id")->GetAsString();
  EXPECT_EQ(query1.FieldByName(L"sn")->GetAsString(), L"资产评估的定义");
  Open(query2, L"select * from tab_fgmc where id='" + lawId + L"'");
  EXPECT_EQ(query2.FieldByName(L"n")->GetAsString(), L"中华人民共和国资产评估法");

  EditPost(queryNr, {{L"a15", L"根据资产评估法，下列各项中属于评估对象的是"}, {L"jx", L"企业价值是评估对象"}});
  Open(query1, L"select * from tab_tx where b1='" + String(L"多项选择题") + L"'");
  int type = query1.FieldByName(L"a1")->GetAsInteger();
  EXPECT_EQ(type, 14);
  queryTm.Edit();
  for (int k = 4; k <= 12; ++k) queryTm.FieldByName(L"k" + IntToStr(int64_t(k)))->SetAsString(L"");
  SetAndPost(queryTm, {{L"a2_1", 5}, {L"a2", L"ACE"}, {L"a13", type}, {L"k3", L"1101002"},
                       {L"ecount", Int(queryTm, L"ecount") + 1}});
  EXPECT_EQ(Rows(L"select a2 & a2_1 & a13 & k3 & '/' & k4 & '/' & ecount from tab_answ where a1 = " + Q(kQ1)),
            L"ACE5141101002//1");
  Open(query1, L"select * from tab_exer where A1=" + Q(kQ1));
  EXPECT_EQ(query1.FieldByName(L"a15")->GetAsString(), L"根据资产评估法，下列各项中属于评估对象的是");
  EXPECT_EQ(query1.FieldByName(L"jx")->GetAsString(), L"企业价值是评估对象");

  Open(query1, L"select count(*) as c from tab_answ where '" + String(L"1101002") +
                   L"' in (k3,k4,k5,k6,k7,k8,k9,k10,k11,k12) ");
  String c = query1.FieldByName(L"c")->GetAsString();
  EXPECT_EQ(c, L"3");
  EXPECT_EQ(ExecSQL(query2, L"update tab_rule set q=" + c + L" where ftid='" + String(L"1101002") + L"'"), 1);
  EXPECT_EQ(Rows(L"select q from tab_rule where ftid = '1101002'"), L"3");
}

TEST_F(ProgramSql, UpgradeAppendsTheRowsOfAnUpgradeFileOnce) {
  // An upgrade file: the bank's schema, an empty password, new rows and its own tab_sj row.
  TTempFile upgrade(L"升级 update");
  CreateDatabase(upgrade.Name(), L"");
  {
    TADOConnection maker(nullptr);
    maker.SetLoginPrompt(false);
    maker.SetConnectionString(JetConnectionString(upgrade.Name(), L""));
    for (const String& statement : BankSchemaStatements()) maker.Execute(statement);
    Insert(maker, L"tab_kmmc", L"bh,C1,C1_1,C2,C3,C7", {{8, L"210103", L"210103", L"评估报告", 1, L"1"}});
    Insert(maker, L"tab_answ", L"a1,a2,a2_1,a10,a13,xx,k3",
           {{L"QB21010311000101", L"C", 4, L"210103", 11, 1, L"2102001"}});
    Insert(maker, L"tab_exer", L"a1,a15", {{L"QB21010311000101", Rtf("new stem")}});
    Insert(maker, L"tab_rule", L"id,ftid,sn,n,q", {{L"2102", L"2102001", L"合伙协议", Rtf("deed"), 1}});
    Insert(maker, L"tab_fgmc", L"id,n,bh,q", {{L"2102", L"中华人民共和国合伙企业法", 5, 1}});
    Insert(maker, L"tab_sj", L"sjbs,cpbs", {{L"QB480172-UPD-01", String(kBankProductId)}});
  }

  // The second connection reads the upgrade's ids, with the quoted empty password.
  TADOConnection cn2(nullptr);
  cn2.SetLoginPrompt(false);
  cn2.SetConnectionString(JetConnectionString(upgrade.Name(), L"\"\""));
  cn2.Open();
  TADOQuery cn2Query1(nullptr);
  cn2Query1.SetConnection(&cn2);
  Open(cn2Query1, L"select * from tab_sj");
  String sjbs = cn2Query1.FieldByName(L"sjbs")->GetAsString();
  String cpbs = cn2Query1.FieldByName(L"cpbs")->GetAsString();
  EXPECT_EQ(sjbs, L"QB480172-UPD-01");

  auto rowsOf = [&](const String& sql, const String& name, const String& value) {
    SetSql(query1, sql).ParamByName(name)->SetValue(Variant(value));
    query1.Open();
    return query1.GetRecordCount();
  };
  EXPECT_EQ(rowsOf(L"select * from tab_sj where cpbs=:cpbs", L"cpbs", cpbs), 1);
  EXPECT_EQ(rowsOf(L"select * from tab_sj where cpbs=:cpbs", L"cpbs", L"OTHER-PRODUCT"), 0);
  EXPECT_EQ(rowsOf(L"select * from tab_sj where sjbs=:sjbs", L"sjbs", sjbs), 0);

  cn.BeginTrans();
  try {
    for (const wchar_t* table : {L"tab_kmmc", L"tab_exer", L"tab_answ", L"tab_rule", L"tab_fgmc"}) {
      String t = table;
      EXPECT_EQ(cn.Execute(L"insert into " + t + L" select * from " + t + L" in '" + upgrade.Name() + L"'"), 1)
          << StringToUtf8(t);
    }
    SetSql(query1, L"insert into tab_sj(sjbs,cpbs) values(:sjbs,:cpbs)");
    query1.GetParameters()->GetItem(0)->SetValue(Variant(sjbs));
    query1.GetParameters()->GetItem(1)->SetValue(Variant(cpbs));
    EXPECT_EQ(query1.ExecSQL(), 1);
    cn.CommitTrans();
  } catch (...) {
    cn.RollbackTrans();
    throw;
  }
  EXPECT_EQ(Rows(L"select count(*) from tab_answ"), L"7");
  EXPECT_EQ(Rows(L"select C2 from tab_kmmc where C1 = '210103'"), L"评估报告");
  EXPECT_EQ(Rows(L"select sjbs from tab_sj order by sjbs"), String(kBankBaseUpgradeId) + L"|QB480172-UPD-01");
  EXPECT_EQ(rowsOf(L"select * from tab_sj where sjbs=:sjbs", L"sjbs", sjbs), 1);  // applied once
  cn2.Close();
}

TEST_F(ProgramSql, StudyLogAndChartsTotals) {
  Open(query1, L"select sum(A2) as count_d1,sum(A3) as count_d2 from tab_rz ");
  EXPECT_EQ(query1.FieldByName(L"count_d1")->GetAsInteger(), 0);  // an empty log
  EXPECT_EQ(query1.FieldByName(L"count_d2")->GetAsInteger(), 0);
  Insert(cn, L"tab_rz", L"A1,A2,A3,A4,B1,B2,D1",
         {{Variant::FromDateTime(EncodeDate(2024, 5, 6)), 120, 30, L"75.00", 100, 20, L"01:05:09"},
          {Variant::FromDateTime(EncodeDate(2024, 5, 7)), 80, 20, L"75.00", 70, 15, L"00:40:00"}});
  Open(query1, L"select sum(A2) as count_d1,sum(A3) as count_d2 from tab_rz ");
  EXPECT_EQ(query1.FieldByName(L"count_d1")->GetAsInteger(), 200);
  EXPECT_EQ(query1.FieldByName(L"count_d2")->GetAsInteger(), 50);
  TADOTable log(nullptr);
  Table(log, L"tab_rz").SetSort(L"A1 DESC");
  log.First();
  EXPECT_EQ(log.FieldByName(L"A1")->GetAsDateTime(), EncodeDate(2024, 5, 7));

  TADOQuery chapters(nullptr);
  chapters.SetConnection(&cn);
  Open(chapters, L"select * from tab_kmmc where C7='0'");
  EXPECT_EQ(Column(chapters, L"C2"), L"资产评估法律制度|短对话");
  EXPECT_EQ(chapters.FieldByName(L"C3")->GetAsInteger(), 3);
  Open(query1, L"select sum(C3) as sumc3 from tab_kmmc where C7='0'");
  EXPECT_EQ(query1.FieldByName(L"sumc3")->GetAsString(), L"6");
}

}  // namespace
