// The exam records window on a copy of the shipped bank: counters, layouts and review.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "WindowTestSupport.h"
#include "app/Ucheck.h"
#include "app/Ucommon.h"
#include "app/Uexam.h"
#include "classlib/classes/StringList.h"
#include "tests/ApplicationTestSupport.h"

namespace {

TEST(ExamRecordsArithmetic, AverageRoundsHalfToEven) {
  EXPECT_EQ(0, AverageScoreShown(Variant::Null()));
  EXPECT_EQ(65, AverageScoreShown(Variant((59.5 + 60 + 75) / 3)));
  EXPECT_EQ(62, AverageScoreShown(Variant(62.5)));
  EXPECT_EQ(64, AverageScoreShown(Variant(63.5)));
  EXPECT_EQ(100, AverageScoreShown(Variant(100.0)));
}

class ExamRecords : public ::testing::Test {
 protected:
  void SetUp() override { ScreenMode = L"800"; }
  void TearDown() override {
    if (FForm) {
      FForm->Close();
      delete FForm;
    }
    ScreenMode = L"";
    ExamSubjectNo = 0;
  }
  TFrmCheck* Open() {
    delete FForm;
    FForm = TCustomForm::Create<TFrmCheck>(Application);
    FForm->Show();
    Pump();
    return FForm;
  }
  void Pump() { PumpAWhile(); }
  // timeUsed is an SQL literal.
  void Record(const String& table, const String& title, int sequence, const String& score,
              const String& timeUsed = L"'0:45:10'") {
    Data.Exec(L"insert into tab_cj (A1, A3, A3_1, A6, D1, D2) values ('" + table + L"', '" + title + L"', " +
              IntToStr(sequence) + L", " + score + L", #2024-05-07#, " + timeUsed + L")");
  }

  TProgramData Data;
  TRecordingResponders Responders;
  TFrmCheck* FForm = nullptr;
};

TEST_F(ExamRecords, NoExamTakenShowsZerosAndNoReview) {
  auto* form = Open();
  EXPECT_EQ(L"查阅试卷", form->GetCaption());
  EXPECT_EQ(0, form->epNumPanel1->GetValue());
  EXPECT_EQ(0, form->epNumPanel2->GetValue());
  EXPECT_EQ(0, form->epNumPanel3->GetValue());
  EXPECT_FALSE(form->epEfTrBtn1->GetEnabled());
  EXPECT_FALSE(form->SpeedButton2->GetEnabled());
  TExamPaper paper;
  EXPECT_FALSE(form->ReviewSelected(paper));
  EXPECT_TRUE(Responders.Log.Empty());
  EXPECT_TRUE(SaveWindowShot(form->GetHandle(), L"exam_records_empty"));
}

TEST_F(ExamRecords, CountersNewestFirstAndColumnsInBothLayouts) {
  Record(L"tab_exam1", L"2024年05月05日资产评估师·经济法[1]", 1, L"59.5");
  Record(L"tab_exam2", L"2024年05月06日资产评估师·经济法[2]", 2, L"60");
  Record(L"tab_exam3", L"2024年05月07日资产评估师·财务会计[3]", 3, L"75");
  const wchar_t* fields[] = {L"A3", L"A6", L"D2"};
  for (const wchar_t* mode : {L"800", L"1024"}) {
    ScreenMode = mode;
    const bool small = String(mode) == L"800";
    auto* form = Open();
    EXPECT_EQ(3, form->epNumPanel1->GetValue());
    EXPECT_EQ(2, form->epNumPanel2->GetValue()) << "60 passes, 59.5 does not";
    EXPECT_EQ(65, form->epNumPanel3->GetValue());
    EXPECT_TRUE(form->SpeedButton2->GetEnabled());
    TADOTable* records = DM1->Cn1Table_cj;
    EXPECT_EQ(3, records->GetRecordCount()) << "the pass filter is cleared again";
    records->First();
    EXPECT_EQ(L"tab_exam3", records->FieldByName(L"A1")->GetAsString()) << "newest first";
    TDBGridColumns* columns = form->DBGrid1->GetColumns();
    ASSERT_EQ(3, columns->GetCount());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(fields[i], columns->GetItem(i)->GetFieldName()) << i;
    EXPECT_TRUE(form->DBGrid1->GetReadOnly());
    EXPECT_EQ(small, form->Image1->GetVisible());
    EXPECT_EQ(!small, form->Image2->GetVisible());
    EXPECT_FALSE(form->SpeedButton4->GetVisible());
    if (small) {
      const TRect review = form->SpeedButton2->GetBoundsRect();
      EXPECT_EQ(TRect(229, 427, 377, 450), review) << "查阅 under the grid, inside the window";
    }
    EXPECT_TRUE(SaveWindowShot(form->GetHandle(), L"exam_records_" + String(mode)));
    form->epEfTrBtn2Click(nullptr);
    Pump();
    EXPECT_FALSE(records->GetActive()) << "closing lets go of the records";
    EXPECT_EQ(L"", records->GetFilter());
  }
  EXPECT_TRUE(Responders.Log.Empty());
}

// A record whose time used is missing, empty or only blanks was never handed in: it is
// listed as 未交卷 and counts in none of the three counters.
TEST_F(ExamRecords, ARecordWithoutATimeUsedIsNotHandedIn) {
  Record(L"tab_exam1", L"handed in", 1, L"80");
  Record(L"tab_exam2", L"no time", 2, L"90", L"null");
  Record(L"tab_exam3", L"empty time", 3, L"90", L"''");
  Record(L"tab_exam4", L"blank time", 4, L"90", L"'   '");
  auto* form = Open();
  EXPECT_EQ(1, form->epNumPanel1->GetValue());
  EXPECT_EQ(1, form->epNumPanel2->GetValue());
  EXPECT_EQ(80, form->epNumPanel3->GetValue());
  TADOTable* records = DM1->Cn1Table_cj;
  for (const wchar_t* table : {L"tab_exam2", L"tab_exam3", L"tab_exam4"}) {
    ASSERT_TRUE(records->Locate(L"A1", Variant(table), {}));
    EXPECT_EQ(L"未交卷", records->FieldByName(L"A6")->GetDisplayText()) << StringToUtf8(table);
  }
  ASSERT_TRUE(records->Locate(L"A1", Variant(L"tab_exam1"), {}));
  EXPECT_EQ(L"80", records->FieldByName(L"A6")->GetDisplayText());
}

// A paper left without hand-in, continued from the records, handed in below 50 and closed
// goes with its record: the records window then lists what is left, here nothing, and
// 查阅 is off and looks so.
TEST_F(ExamRecords, AContinuedPaperThatGoesLeavesNoRowBehind) {
  TExamPaper left;
  ASSERT_TRUE(PrepareMockExam(2, left));
  DM1->Cn1Query_exam->Close();
  const String paper = left.PaperTable;
  // One wrong answer, not on the question shown first (the hand-in saves that one as shown).
  Data.Exec(L"update " + paper + L" set E2_1 = 'Z' where A1 = (select max(A1) from " + paper + L")");
  ASSERT_EQ(L"", SelectText(Data.Cn(), L"select D2 from tab_cj where A1 = " + QuotedStr(paper)));

  std::unique_ptr<TFrmCheck> records(TCustomForm::Create<TFrmCheck>(Application));
  TADOTable* table = DM1->Cn1Table_cj;
  std::vector<std::function<bool()>> steps{
      [&] { return records->GetVisible(); },
      [&] {
        EXPECT_TRUE(table->Locate(L"A1", Variant(paper), {}));
        PostGraphicClick(records->SpeedButton2);  // 查阅
        return true;
      },
      [&] { return FrmExam && FrmExam->GetVisible() && FrmExam->Shown() == 1; },
      [&] {
        Responders.Log.DialogAnswer = 1;  // 确定
        ClickGraphic(FrmExam->epEfTrBtn3);  // 交卷
        return true;
      },
      [&] { return FrmExam && FrmExam->GetVisible() && FrmExam->GetCaption() == L"查阅试卷"; },
      [&] {
        EXPECT_TRUE(FrmExam->Paper().LowScore);
        ClickGraphic(FrmExam->epEfTrBtn7);  // 关闭
        return true;
      },
      [&] {
        if (FrmExam || !records->GetVisible()) return false;
        EXPECT_EQ(0, table->GetRecordCount()) << "the record went with its paper";
        EXPECT_FALSE(records->SpeedButton2->GetEnabled());
        EXPECT_FALSE(records->SpeedButton2->GetCaption().empty()) << "drawn by itself, 查阅 looks disabled";
        EXPECT_FALSE(records->epEfTrBtn1->GetEnabled());
        EXPECT_EQ(0, records->epNumPanel1->GetValue());
        EXPECT_TRUE(SaveWindowShot(records->GetHandle(), L"exam_records_after_continued_paper_went"));
        records->Close();
        return true;
      },
  };
  TModalDriver driver(std::move(steps));
  records->ShowModal();
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0, SelectInt(Data.Cn(), L"select count(*) from tab_cj"));
}

TEST_F(ExamRecords, ReviewOpensThePaperTwiceAndRefusesAMissingOne) {
  TExamPaper sat;
  ASSERT_TRUE(PrepareMockExam(2, sat));
  Data.Exec(L"update tab_cj set A6=75, D2='0:30:00' where A1='tab_exam1'");
  Data.Exec(L"update tab_exam1 set E2_1='A'");
  Record(L"tab_exam9", L"dropped", 9, L"40");  // its paper was dropped
  auto* form = Open();
  EXPECT_EQ(2, form->epNumPanel1->GetValue()) << "a record whose paper was dropped still counts";
  TADOTable* records = DM1->Cn1Table_cj;
  ASSERT_TRUE(records->Locate(L"A1", Variant(L"tab_exam1"), {}));
  for (int round = 0; round < 2; ++round) {
    TExamPaper paper;
    ASSERT_TRUE(form->ReviewSelected(paper)) << round;
    EXPECT_EQ(L"tab_exam1", paper.PaperTable);
    EXPECT_EQ(L"old", paper.Mode);
    EXPECT_EQ(75.0, paper.Score);
    EXPECT_EQ(L"0:30:00", paper.Elapsed);
    EXPECT_EQ(sat.Title, paper.Title);
    EXPECT_EQ(L"A", DM1->Cn1Query_exam->FieldByName(L"E2_1")->GetAsString()) << "answers are kept";
    EXPECT_TRUE(form->GetVisible()) << "the records window comes back";
    DM1->Cn1Query_exam->Close();
  }
  EXPECT_TRUE(Responders.Log.Empty());
  ASSERT_TRUE(records->Locate(L"A1", Variant(L"tab_exam9"), {}));
  TExamPaper missing;
  EXPECT_FALSE(form->ReviewSelected(missing));
  ASSERT_EQ(1u, Responders.Log.Dialogs.size());
  EXPECT_EQ(L"错误|无法打开试卷！|1|2|NO", Responders.Log.Dialogs[0]);
  EXPECT_TRUE(form->GetVisible());
  // The delete of the hidden button: paper and record go.
  ASSERT_TRUE(records->Locate(L"A1", Variant(L"tab_exam1"), {}));
  form->SpeedButton4Click(nullptr);
  EXPECT_EQ(0, SelectInt(Data.Cn(), L"select count(*) from tab_cj where A1='tab_exam1'"));
  TStringList tables;
  Data.Cn().GetTableNames(&tables, false);
  EXPECT_LT(tables.IndexOf(L"tab_exam1"), 0);
}

}  // namespace
