// The mock exam's paper: starting an exam (record row and paper table) and drawing the paper
// from a copy of the shipped bank.
#include <gtest/gtest.h>

#include <set>
#include "WindowTestSupport.h"
#include "app/ExamPaper.h"
#include "app/Ucommon.h"
#include "classlib/ado/ADOX.h"

namespace {

TEST(ExamPaperNames, SubjectsPrefixesQuotasAndTableNumbers) {
  EXPECT_EQ(L"大学英语四级·听力", ExamSubjectNameOf(1));
  EXPECT_EQ(L"资产评估师·建筑工程", ExamSubjectNameOf(5));
  EXPECT_EQ(L"", ExamSubjectNameOf(6));
  EXPECT_EQ(L"7", ExamCategoryPrefix(1)) << "listening questions have chapters beginning with 7";
  EXPECT_EQ(L"2", ExamCategoryPrefix(2));
  EXPECT_EQ(L"", ExamCategoryPrefix(0));
  EXPECT_EQ(10, ExamTypeQuota(1, 67));
  EXPECT_EQ(60, ExamTypeQuota(4, 11));
  EXPECT_EQ(35, ExamTypeQuota(3, 14));
  EXPECT_EQ(5, ExamTypeQuota(5, 22));
  EXPECT_EQ(0, ExamTypeQuota(5, 11));
  EXPECT_EQ(0, ExamTypeQuota(2, 67));
  EXPECT_EQ(12, PaperTableNumber(L"tab_exam12"));
  EXPECT_EQ(7, PaperTableNumber(L" tab_exam7 "));
  EXPECT_EQ(-1, PaperTableNumber(L"tab_examx"));
  EXPECT_EQ(-1, PaperTableNumber(L"tab_exam"));
  EXPECT_EQ(-1, PaperTableNumber(L"tab_answ"));
}

class ExamPaperTest : public ::testing::Test {
 protected:
  void TearDown() override { ExamSubjectNo = 0; }
  int Int(const String& sql) { return SelectInt(Data.Cn(), sql); }
  String Text(const String& sql) { return SelectText(Data.Cn(), sql); }
  bool HasTable(const String& name) {
    TStringList tables;
    Data.Cn().GetTableNames(&tables, false);
    return tables.IndexOf(name) >= 0;
  }
  // Eligible questions of a type of the subject: its chapters, not voided.
  int Eligible(int subject, int type) {
    return Int(L"select count(*) from tab_answ where a13=" + IntToStr(type) + L" and left(a10,1)='" +
               ExamCategoryPrefix(subject) + L"' and f1<>1");
  }
  bool Prepare(int subject) {
    Paper = TExamPaper();
    return PrepareMockExam(subject, Paper);
  }

  TProgramData Data;
  TRecordingResponders Responders;
  TExamPaper Paper;
};

TEST_F(ExamPaperTest, EverySubjectGetsItsQuotasOfDistinctUnvoidedQuestions) {
  const int types[] = {11, 14, 22, 62, 64, 65, 67, 68, 69};
  for (int subject = 1; subject <= 5; ++subject) {
    SCOPED_TRACE(subject);
    // One voided question of each of the subject's types must never be drawn.
    for (int type : types)
      Data.Exec(L"update tab_answ set f1=1 where a1=(select min(a1) from tab_answ where a13=" + IntToStr(type) +
                L" and left(a10,1)='" + ExamCategoryPrefix(subject) + L"')");
    ASSERT_TRUE(Prepare(subject));
    const String table = Paper.PaperTable;
    int total = 0;
    for (int type : types) {
      const int expected = std::min(ExamTypeQuota(subject, type), Eligible(subject, type));
      EXPECT_EQ(expected, Int(L"select count(*) from " + table + L" where a13=" + IntToStr(type))) << type;
      total += expected;
    }
    EXPECT_GT(total, 0);
    EXPECT_EQ(total, Int(L"select count(*) from " + table));
    EXPECT_EQ(total, Int(L"select count(distinct a1) from " + table));
    EXPECT_EQ(0, Int(L"select count(*) from " + table + L" where f1=1"));
    EXPECT_EQ(0, Int(L"select count(*) from " + table + L" where left(a10,1)<>'" + ExamCategoryPrefix(subject) + L"'"));
    EXPECT_EQ(0, Int(L"select count(*) from " + table + L" where e2_1<>''")) << "a new paper starts unanswered";
    EXPECT_EQ(total, Int(L"select count(*) from " + table + L" p, tab_exer x where p.a1=x.a1 and "
                         L"((p.jx is null and x.jx is null) or p.jx=x.jx)"))
        << "explanations come along";
    EXPECT_EQ(total, DM1->Cn1Query_exam->GetRecordCount()) << "the paper is open";
    EXPECT_EQ(ExamSubjectNameOf(subject), ExamSubjectName);
    EXPECT_EQ(L"2024年05月07日" + ExamSubjectNameOf(subject) + L"[" + IntToStr(subject) + L"]", Paper.Title);
    EXPECT_EQ(Paper.Title, Text(L"select A3 from tab_cj where A1='" + table + L"'"));
    EXPECT_EQ(subject, Int(L"select A3_1 from tab_cj where A1='" + table + L"'"));
    EXPECT_EQ(L"new", Paper.Mode);
  }
  EXPECT_TRUE(Responders.Log.Empty());
}

TEST_F(ExamPaperTest, PaperTableAllowsEmptyText) {
  ASSERT_TRUE(Prepare(2));
  EXPECT_EQ(L"tab_exam1", Paper.PaperTable);
  TADOXCatalog catalog;
  catalog.SetActiveConnection(DM1->ADOCn1);
  TADOXTable& table = catalog.GetTable(L"tab_exam1");
  for (const wchar_t* name : {L"A2", L"A14", L"E2", L"E2_1", L"csbs"})
    EXPECT_TRUE(table.GetColumn(name).GetProperty(L"Jet OLEDB:Allow Zero Length").GetValue().AsBoolean()) << name;
  Data.Exec(L"update tab_exam1 set E2_1='', A14='', csbs=''");
}

TEST_F(ExamPaperTest, NamesFollowTheNewestRecordAndStaleTablesGoFirst) {
  // The newest record names tab_exam7 while tab_exam9 exists: the next paper is tab_exam8.
  Data.Exec(L"insert into tab_cj (A1,A3,A3_1) values ('tab_exam7','x',4)");
  Data.Exec(L"create table tab_exam9 (A1 TEXT(20))");
  // A stale tab_exam8 without a record is dropped, and the new record survives it.
  Data.Exec(L"create table tab_exam8 (A1 TEXT(20))");
  ASSERT_TRUE(Prepare(3));
  EXPECT_EQ(L"tab_exam8", Paper.PaperTable);
  EXPECT_EQ(5, Int(L"select A3_1 from tab_cj where A1='tab_exam8'"));
  EXPECT_EQ(2, Int(L"select count(*) from tab_cj"));
  EXPECT_GT(Int(L"select count(*) from tab_exam8"), 0);
  EXPECT_TRUE(HasTable(L"tab_exam9"));
}

TEST_F(ExamPaperTest, NewestRecordWithoutANumberFollowsTheHighestNumber) {
  Data.Exec(L"insert into tab_cj (A1,A3,A3_1) values ('tab_exam3','x',1)");
  Data.Exec(L"insert into tab_cj (A1,A3,A3_1) values ('broken','x',2)");
  ASSERT_TRUE(Prepare(2));
  EXPECT_EQ(L"tab_exam4", Paper.PaperTable);
}

TEST_F(ExamPaperTest, DroppedPaperGoesWithItsRecordAndItsNameIsReused) {
  ASSERT_TRUE(Prepare(2));
  ASSERT_EQ(L"tab_exam1", Paper.PaperTable);
  DropPaper(L"tab_exam1");
  EXPECT_FALSE(HasTable(L"tab_exam1"));
  EXPECT_FALSE(DM1->Cn1Query_exam->GetActive()) << "the paper is closed before it is dropped";
  EXPECT_EQ(0, Int(L"select count(*) from tab_cj"));
  ASSERT_TRUE(Prepare(2));
  EXPECT_EQ(L"tab_exam1", Paper.PaperTable);
  EXPECT_EQ(L"2024年05月07日资产评估师·经济法[1]", Paper.Title);
  ASSERT_TRUE(Prepare(4));
  EXPECT_EQ(L"tab_exam2", Paper.PaperTable);
  EXPECT_EQ(L"2024年05月07日资产评估师·机电设备[2]", Paper.Title);
}

TEST_F(ExamPaperTest, EmptySubjectOrEmptyPaperLeavesNothingBehind) {
  // Every question voided: no questions; then questions there are, but none of a type in the
  // subject's exam: a paper that cannot be opened.
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {{L"f1=1", L"错误|没有发现题目！|1|2|NO"},
                                                             {L"f1=0, a13=62", L"错误|无法打开试卷！|1|2|NO"}};
  for (const auto& [change, said] : cases) {
    Data.Exec(L"update tab_answ set " + String(change) + L" where left(a10,1)='5'");
    Responders.Log.Clear();
    EXPECT_FALSE(Prepare(5));
    EXPECT_EQ((std::vector<String>{said}), Responders.Log.Dialogs);
    EXPECT_FALSE(HasTable(L"tab_exam1"));
    EXPECT_EQ(0, Int(L"select count(*) from tab_cj"));
  }
  EXPECT_TRUE(Prepare(2)) << "the next exam starts normally";
}

TEST_F(ExamPaperTest, DrawEndsWithFewerEligibleThanTheQuotaAndQuotesIds) {
  // Leave three multiple-choice questions of subject 2, one with a quote in its id.
  Data.Exec(L"update tab_answ set f1=1 where a13=14 and left(a10,1)='2'");
  Data.Exec(L"update tab_answ set f1=0 where a1 in (select a1 from tab_answ where a13=14 and left(a10,1)='2' "
            L"order by a1 limit 2)");
  Data.Exec(L"insert into tab_answ (a1,a2,a10,a13) values ('2Q''1','AB','201010',14)");
  Data.Exec(L"insert into tab_exer (a1) values ('2Q''1')");
  ASSERT_TRUE(Prepare(2));
  EXPECT_EQ(3, Int(L"select count(*) from tab_exam1 where a13=14"));
  EXPECT_EQ(1, Int(L"select count(*) from tab_exam1 where a1='2Q''1'"));
  // The draw itself: every eligible question once, however large the quota.
  DM1->Cn1Query_tm->Close();
  DM1->Cn1Query_tm->GetSQL()->Clear();
  DM1->Cn1Query_tm->GetSQL()->Add(L"select * from tab_answ where f1<>1");
  DM1->Cn1Query_tm->Open();
  const String list = Paper.PickRandom(14, 1000, L"2");
  EXPECT_EQ(3u, Paper.LastPicks().size());
  EXPECT_EQ(3u, std::set<String>(Paper.LastPicks().begin(), Paper.LastPicks().end()).size());
  EXPECT_NE(String::npos, list.find(L"a.A1='2Q''1'"));
  EXPECT_EQ(L"", Paper.PickRandom(14, 5, L"9")) << "nothing eligible";
  EXPECT_EQ(L"", Paper.PickRandom(14, 0, L"2"));
}

TEST_F(ExamPaperTest, DrawsDifferWithTheSeedAndCoverThePool) {
  DM1->Cn1Query_tm->GetSQL()->Add(L"select * from tab_answ where f1<>1");
  DM1->Cn1Query_tm->Open();
  std::set<String> seen;
  const int eligible = Eligible(2, 11);
  ASSERT_GT(eligible, 3);
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    Paper.Seed(seed);
    Paper.PickRandom(11, 10, L"2");
    seen.insert(Paper.LastPicks().begin(), Paper.LastPicks().end());
  }
  EXPECT_EQ(size_t(eligible), seen.size()) << "every eligible question can be drawn";
}

TEST_F(ExamPaperTest, OpeningKeepsOldAnswersAndRefusesAMissingPaper) {
  ASSERT_TRUE(Prepare(2));
  Data.Exec(L"update tab_exam1 set e2_1='A'");
  TExamPaper old;
  old.Setup(L"tab_exam1", Paper.Title, L"0:10:00", 75, L"old");
  ASSERT_TRUE(old.OpenPaper());
  EXPECT_EQ(L"A", DM1->Cn1Query_exam->FieldByName(L"E2_1")->GetAsString());
  // Ordered by type, then id.
  int lastType = 0;
  String lastId;
  for (DM1->Cn1Query_exam->First(); !DM1->Cn1Query_exam->GetEof(); DM1->Cn1Query_exam->Next()) {
    const int type = DM1->Cn1Query_exam->FieldByName(L"A13")->GetAsInteger();
    const String id = DM1->Cn1Query_exam->FieldByName(L"A1")->GetAsString();
    ASSERT_TRUE(type > lastType || (type == lastType && id > lastId));
    lastType = type;
    lastId = id;
  }
  ASSERT_TRUE(Paper.OpenPaper());
  EXPECT_EQ(0, Int(L"select count(*) from tab_exam1 where e2_1<>''")) << "a new paper clears its answers";
  EXPECT_TRUE(Responders.Log.Empty());
  TExamPaper missing;
  missing.Setup(L"tab_exam99", L"x", L"0:00:00", 0, L"old");
  EXPECT_FALSE(missing.OpenPaper());
  TExamPaper notAPaper;
  notAPaper.Setup(L"tab_answ", L"x", L"0:00:00", 0, L"old");
  EXPECT_FALSE(notAPaper.OpenPaper());
  ASSERT_EQ(2u, Responders.Log.Dialogs.size());
  EXPECT_EQ(L"错误|无法打开试卷！|1|2|NO", Responders.Log.Dialogs[1]);
}


// Hand-in: the gaps are counted, and grading scores each right answer with its type's points
// and writes score and time into the paper's record.
TEST_F(ExamPaperTest, HandInCountsGapsAndGradesIntoTheRecord) {
  ASSERT_TRUE(Prepare(2));
  const int total = Paper.CountQuestions();
  ASSERT_GT(total, 20);
  EXPECT_EQ(total, Paper.CountUnanswered()) << "a new paper has no answers";
  // Every single-choice question answered right, one multiple-choice question right, one wrong.
  Data.Exec(L"update tab_exam1 set e2_1=a2 where a13=11");
  const String right = Text(L"select top 1 a1 from tab_exam1 where a13=14 order by a1");
  const String wrong = Text(L"select top 1 a1 from tab_exam1 where a13=14 order by a1 desc");
  Data.Exec(L"update tab_exam1 set e2_1=a2 where a1='" + right + L"'");
  Data.Exec(L"update tab_exam1 set e2_1='Z' where a1='" + wrong + L"'");
  const int answered = Int(L"select count(*) from tab_exam1 where e2_1<>''");
  EXPECT_EQ(total - answered, Paper.CountUnanswered());
  const int singles = Int(L"select count(*) from tab_exam1 where a13=11");
  const double expected = singles * Int(L"select B3 from tab_tx where A1=11") + Int(L"select B3 from tab_tx where A1=14");
  ASSERT_GT(expected, 0);
  EXPECT_DOUBLE_EQ(expected, Paper.Grade(L"0:12:30"));
  EXPECT_EQ(L"old", Paper.Mode);
  EXPECT_EQ(L"0:12:30", Paper.Elapsed);
  EXPECT_EQ(expected < 50, Paper.LowScore);
  EXPECT_EQ(L"0:12:30", Text(L"select D2 from tab_cj where A1='tab_exam1'"));
  EXPECT_EQ(int(expected), Int(L"select A6 from tab_cj where A1='tab_exam1'"));
}

TEST_F(ExamPaperTest, NothingRightScoresZeroAndIsLow) {
  ASSERT_TRUE(Prepare(3));
  Data.Exec(L"update tab_exam1 set e2_1='Z'");
  EXPECT_EQ(0, Paper.CountUnanswered());
  EXPECT_DOUBLE_EQ(0.0, Paper.Grade(L"0:01:00"));
  EXPECT_TRUE(Paper.LowScore);
  TExamPaper gone;
  gone.Setup(L"tab_exam99", L"x", L"0:00:00", 0, L"old");
  gone.Mode = L"new";
  EXPECT_ANY_THROW(gone.Grade(L"0:01:00")) << "a missing paper fails the grading";
  EXPECT_EQ(L"new", gone.Mode) << "and leaves the paper as it was";
  EXPECT_FALSE(gone.LowScore);
}


TEST_F(ExamPaperTest, VoidingUnderReviewMarksPaperAndBankAlike) {
  ASSERT_TRUE(Prepare(2));
  const String id = DM1->Cn1Query_exam->FieldByName(L"A1")->GetAsString();
  const String where = L" where a1='" + id + L"'";
  EXPECT_EQ(1, Paper.ToggleQuestionVoid());
  EXPECT_EQ(1, Int(L"select f1 from tab_exam1" + where));
  EXPECT_EQ(1, Int(L"select f1 from tab_answ" + where));
  EXPECT_EQ(L"zero", Text(L"select e2 from tab_answ" + where)) << "never answered: the void marker";
  EXPECT_EQ(0, Paper.ToggleQuestionVoid());
  EXPECT_EQ(0, Int(L"select f1 from tab_answ" + where));
  EXPECT_EQ(L"", Text(L"select e2 from tab_answ" + where)) << "the marker goes with the void";
  // An answered question keeps its answer in both.
  Data.Exec(L"update tab_answ set e2='B'" + where);
  Data.Exec(L"update tab_exam1 set e2='B'" + where);
  ASSERT_TRUE(Paper.OpenPaper());
  DM1->Cn1Query_exam->Locate(L"A1", Variant(id), TLocateOptions{loCaseInsensitive});
  EXPECT_EQ(1, Paper.ToggleQuestionVoid());
  EXPECT_EQ(L"B", Text(L"select e2 from tab_answ" + where));
  EXPECT_EQ(L"B", Text(L"select e2 from tab_exam1" + where));
  DropPaper(Paper.PaperTable);
  EXPECT_EQ(-1, Paper.ToggleQuestionVoid()) << "no paper open";
}


TEST_F(ExamPaperTest, ExamNoteOutlivesTheDroppedPaper) {
  ASSERT_TRUE(Prepare(2));
  TADOQuery* exam = DM1->Cn1Query_exam;
  const String id = exam->FieldByName(L"A1")->GetAsString();
  exam->Edit();
  exam->FieldByName(L"A14")->SetAsString(L"记住：'第三条'");
  exam->Post();
  EXPECT_TRUE(Paper.CopyNoteToBank());
  DropPaper(Paper.PaperTable);
  EXPECT_EQ(L"记住：'第三条'", Text(L"select A14 from tab_answ where a1='" + id + L"'"));
  EXPECT_FALSE(Paper.CopyNoteToBank()) << "no paper open";
}

}  // namespace
