// The data module: its stored layout, its connection, and the study-record bookkeeping on a
// bank written by the test.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/Ucommon.h"
#include "classlib/system/SysDate.h"
#include "classlib/system/SysFiles.h"

namespace {

// ---- Time texts and accuracy -------------------------------------------------------------------

TEST(TimeTexts, SecondsOfHoursMinutesAndSeconds) {
  EXPECT_EQ(3723, TimeStrToSeconds(L"1:02:03"));
  EXPECT_EQ(3909, TimeStrToSeconds(L"01:05:09"));
  EXPECT_EQ(360000, TimeStrToSeconds(L"100:00:00"));
  EXPECT_EQ(3723, TimeStrToSeconds(L"1:02:03xyz")) << "only two characters of the seconds count";
  EXPECT_EQ(3723, TimeStrToSeconds(L"1:02:3")) << "a one-digit seconds part";
  EXPECT_EQ(5 * 3600, TimeStrToSeconds(L"5:30")) << "one colon: the head counts as hours";
  EXPECT_EQ(0, TimeStrToSeconds(L"")) << "no colon";
  EXPECT_EQ(0, TimeStrToSeconds(L"12345"));
  EXPECT_EQ(3720, TimeStrToSeconds(L"1:02:03:04")) << "three colons: no seconds";
  EXPECT_EQ(3720, TimeStrToSeconds(L"1:02:03:04:05"));
  EXPECT_EQ(int64_t(999999999) * 3600, TimeStrToSeconds(L"999999999:00:00"));
}

TEST(TimeTexts, PartsThatAreNoNumbersRaise) {
  EXPECT_THROW(TimeStrToSeconds(L"a:00:00"), EConvertError);
  EXPECT_THROW(TimeStrToSeconds(L"1:02:"), EConvertError) << "empty seconds";
  EXPECT_THROW(TimeStrToSeconds(L":02:03"), EConvertError) << "empty hours";
  EXPECT_THROW(TimeStrToSeconds(L"-1:00:00"), EConvertError);
  EXPECT_THROW(TimeStrToSeconds(L"1:02:x3"), EConvertError);
  EXPECT_THROW(TimeStrToSeconds(L"1234567890:00:00"), EConvertError) << "too long to be hours";
}

TEST(TimeTexts, WrittenWithTwoDigitsAtLeast) {
  EXPECT_EQ(L"00:00:00", SecondsToTimeStr(0));
  EXPECT_EQ(L"01:05:09", SecondsToTimeStr(3909));
  EXPECT_EQ(L"24:00:05", SecondsToTimeStr(86405));
  EXPECT_EQ(L"100:00:00", SecondsToTimeStr(360000));
  EXPECT_EQ(L"00:00:00", SecondsToTimeStr(-5));
  for (int64_t seconds : {0, 59, 60, 3599, 3600, 86399, 86400, 359999, 360000})
    EXPECT_EQ(seconds, TimeStrToSeconds(SecondsToTimeStr(seconds)));
}

TEST(TimeTexts, AccuracyIsTwoDecimalsOrZero) {
  EXPECT_EQ(L"83.33", AccuracyText(6, 1));
  EXPECT_EQ(L"100.00", AccuracyText(3, 0));
  EXPECT_EQ(L"33.33", AccuracyText(3, 2));
  EXPECT_EQ(L"66.67", AccuracyText(3, 1));
  EXPECT_EQ(L"0.00", AccuracyText(1, 1));
  EXPECT_EQ(L"0", AccuracyText(0, 0));
}

// ---- Connection ---------------------------------------------------------------------------------

TEST(DataModule, BankPathHasOneBackslashBeforeData) {
  EXPECT_EQ(L"C:\\prog\\data\\QB480172.mdb", BankFileOf(L"C:\\prog\\"));
  EXPECT_EQ(L"C:\\prog\\data\\QB480172.mdb", BankFileOf(L"C:\\prog"));
}

TEST(DataModule, ConnectionStringNamesFileProviderAndPassword) {
  const String cs = DbConnectionString(L"C:\\prog\\data\\QB480172.mdb", kBankPassword);
  TADOConnection::TSettings settings = TADOConnection::ParseConnectionString(cs);
  EXPECT_EQ(L"Microsoft.Jet.OLEDB.4.0", settings.Provider);
  EXPECT_EQ(L"C:\\prog\\data\\QB480172.mdb", settings.DataSource);
  EXPECT_EQ(L"qerdaxuvomtils", settings.Password);
  EXPECT_NE(cs.find(L";Locale Identifier=2052;"), String::npos);
  EXPECT_NE(cs.find(L";Jet OLEDB:Engine Type=5;"), String::npos);
  EXPECT_EQ(L"", TADOConnection::ParseConnectionString(DbConnectionString(L"u.mdb", L"")).Password);
}

TEST(DataModule, LayoutWiresEveryDataSetToItsConnection) {
  TDM1 module(nullptr);
  ASSERT_EQ(33, module.GetComponentCount());
  int dataSets = 0;
  for (int i = 0; i < module.GetComponentCount(); ++i)
    if (auto* dataSet = dynamic_cast<TCustomADODataSet*>(module.GetComponent(i))) {
      ++dataSets;
      EXPECT_EQ(dataSet == module.Cn2Query1 ? module.ADOCn2 : module.ADOCn1, dataSet->GetConnection())
          << StringToUtf8(dataSet->GetName());
    }
  EXPECT_EQ(19, dataSets);
  EXPECT_TRUE(static_cast<bool>(module.Cn1DS_kmmc->OnDataChange));
  EXPECT_EQ(module.ADO_0, module.DS_0->GetDataSet()) << "a reference to a later component";
  EXPECT_FALSE(module.DbReady);
}

TEST(DataModule, CreationWithoutABankLeavesItNotReady) {
  TDM1 module(nullptr);
  module.AfterConstruction();  // DataModuleCreate: the test program's folder has no bank
  EXPECT_FALSE(module.DbReady);
  EXPECT_FALSE(module.ADOCn1->GetConnected());
  EXPECT_EQ(ProgramDir(), AppPath);
  EXPECT_EQ(L"\\", AppPath.substr(AppPath.size() - 1));
  EXPECT_EQ(BankFileOf(AppPath),
            TADOConnection::ParseConnectionString(module.ADOCn1->GetConnectionString()).DataSource);
}

// ---- Study records ------------------------------------------------------------------------------

class StudyRecords : public TTestBankModule {
 protected:
  // A column of the study-log row of the pinned day.
  int Log(const wchar_t* column) {
    return Int(L"select " + String(column) + L" from tab_rz where A1 = #2024-05-07#");
  }
  int Chapter(const String& code, const wchar_t* column) {
    return Int(L"select " + String(column) + L" from tab_kmmc where C1 = '" + code + L"'");
  }
  int Rule(const String& ftid, const wchar_t* column) {
    return Int(L"select " + String(column) + L" from tab_rule where ftid = '" + ftid + L"'");
  }
  int Law(const String& id, const wchar_t* column) {
    return Int(L"select " + String(column) + L" from tab_fgmc where id = '" + id + L"'");
  }
};

TEST_F(StudyRecords, FirstAnswerOfEachDayStartsItsRowWrongCountersOnlyWhenWrong) {
  DM().LogDailyAnswer(2, 2, 2);  // wrong
  EXPECT_EQ(1, Int(L"select count(*) from tab_rz"));
  for (const wchar_t* column : {L"A2", L"A3", L"B1", L"B2"}) EXPECT_EQ(1, Log(column)) << StringToUtf8(column);
  EXPECT_FALSE(DM().Cn1Table_rz->GetActive()) << "closed after appending the day";
  DM().SetToday(kDay + 1);
  DM().LogDailyAnswer(2, 1, 2);  // right, the next day
  EXPECT_EQ(2, Int(L"select count(*) from tab_rz"));
  EXPECT_EQ(1, Log(L"A2")) << "the first day is untouched";
  const String nextDay = L" from tab_rz where A1 = #2024-05-08#";
  EXPECT_EQ(1, Int(L"select A2" + nextDay));
  EXPECT_EQ(1, Int(L"select B1" + nextDay));
  EXPECT_EQ(1, Int(L"select count(*)" + nextDay + L" and A3 is null and B2 is null")) << "right: left empty";
  // An empty counter counts as none: a wrong answer later that day raises it to one, and the
  // day's accuracy reads the right day as all right.
  DM().CloseSessionStats(L"0:01:00");
  EXPECT_EQ(L"100.00", Text(L"select A4" + nextDay));
  DM().LogDailyAnswer(2, 2, 2);
  EXPECT_EQ(1, Int(L"select A3" + nextDay));
  EXPECT_EQ(1, Int(L"select B2" + nextDay));
}

TEST_F(StudyRecords, WrongQuestionsOfTheDayFollowTheLatestAnswer) {
  DM().LogDailyAnswer(2, 2, 2);  // question 1, wrong
  DM().LogDailyAnswer(1, 1, 2);  // question 1 again, right: no longer wrong
  EXPECT_EQ(2, Log(L"A2"));
  EXPECT_EQ(1, Log(L"A3"));
  EXPECT_EQ(1, Log(L"B1")) << "the same question";
  EXPECT_EQ(0, Log(L"B2"));
  DM().LogDailyAnswer(1, 2, 1);  // question 1 again, wrong after right
  EXPECT_EQ(1, Log(L"B2"));
  DM().LogDailyAnswer(2, 1, 1);  // question 2, first today, right
  EXPECT_EQ(4, Log(L"A2"));
  EXPECT_EQ(2, Log(L"A3"));
  EXPECT_EQ(2, Log(L"B1"));
  EXPECT_EQ(1, Log(L"B2"));
  EXPECT_TRUE(DM().Cn1Table_rz->GetActive()) << "stays open after editing the day";
}

TEST_F(StudyRecords, WrongQuestionsOfTheDayNeverGoBelowNone) {
  DM().LogDailyAnswer(2, 1, 2);
  DM().LogDailyAnswer(1, 1, 2);  // "was wrong" although the day counted none wrong
  EXPECT_EQ(0, Log(L"B2"));
}

TEST_F(StudyRecords, ChapterAnswerCountsInTheChapterAndEachPrefixThatExists) {
  DM().CountChapterAnswer(L"210101", 2, 2);
  for (const wchar_t* code : {L"210101", L"2101", L"21", L"2"}) {
    EXPECT_EQ(1, Chapter(code, L"C4")) << StringToUtf8(code);
    EXPECT_EQ(1, Chapter(code, L"D1")) << StringToUtf8(code);
    EXPECT_EQ(1, Chapter(code, L"D2")) << StringToUtf8(code);
  }
  for (const wchar_t* code : {L"210102", L"3", L"31", L"310101"})
    EXPECT_EQ(0, Chapter(code, L"D1")) << StringToUtf8(code);
  EXPECT_EQ(L"2", CurChapterCode) << "left on the last row located";

  DM().CountChapterAnswer(L"210101", 1, 1);  // the same question again, right
  EXPECT_EQ(1, Chapter(L"210101", L"C4")) << "a question is done once";
  EXPECT_EQ(2, Chapter(L"2", L"D1"));
  EXPECT_EQ(1, Chapter(L"2", L"D2"));
  EXPECT_EQ(0, Int(L"select count(*) from tab_kmmc where C4 is null or D1 is null or D2 is null"));
}

TEST_F(StudyRecords, OneCharacterCodeCountsOnlyItsRow) {
  DM().CountChapterAnswer(L"3", 2, 1);
  EXPECT_EQ(1, Chapter(L"3", L"D1"));
  EXPECT_EQ(0, Chapter(L"31", L"D1"));
  EXPECT_EQ(0, Chapter(L"2", L"D1"));
}

TEST_F(StudyRecords, RuleHitsCountInArticlesLawsAndGroups) {
  const int linked = Rule(L"1101002", L"q");
  DM().CountRuleHits(L"('1101002','1102001')", L"('1101','1102')", L"('1','1')", 2, 2);
  for (const wchar_t* ftid : {L"1101002", L"1102001"}) {
    EXPECT_EQ(1, Rule(ftid, L"q2")) << StringToUtf8(ftid);
    EXPECT_EQ(1, Rule(ftid, L"q1")) << StringToUtf8(ftid);
    EXPECT_EQ(1, Rule(ftid, L"q4")) << StringToUtf8(ftid);
  }
  for (const wchar_t* id : {L"1101", L"1102", L"1"}) {
    EXPECT_EQ(1, Law(id, L"q2")) << StringToUtf8(id) << " (an id twice in a list counts once)";
    EXPECT_EQ(1, Law(id, L"q1")) << StringToUtf8(id);
    EXPECT_EQ(1, Law(id, L"q4")) << StringToUtf8(id);
  }
  EXPECT_EQ(0, Rule(L"1101001", L"q2"));
  EXPECT_EQ(0, Law(L"2201", L"q2"));
  EXPECT_EQ(0, Law(L"2", L"q2"));
  EXPECT_EQ(linked, Rule(L"1101002", L"q")) << "the linked-question count is not the answers'";

  DM().CountRuleHits(L"('1101002','1102001')", L"('1101','1102')", L"('1','1')", 1, 1);
  EXPECT_EQ(2, Rule(L"1101002", L"q2"));
  EXPECT_EQ(1, Rule(L"1101002", L"q1")) << "a question is done once";
  EXPECT_EQ(1, Rule(L"1101002", L"q4"));
  EXPECT_EQ(2, Law(L"1", L"q2"));
  EXPECT_EQ(1, Law(L"1", L"q1"));
}

TEST_F(StudyRecords, ClosingSumsTheDaysTimeAndSetsItsAccuracy) {
  DM().LogDailyAnswer(2, 2, 2);
  Cn().Execute(L"update tab_rz set A2 = 6, A3 = 1, D1 = '23:59:50'");
  DM().CloseSessionStats(L"0:00:15");
  EXPECT_EQ(L"24:00:05", Text(L"select D1 from tab_rz")) << "a day may hold more than 24 hours";
  EXPECT_EQ(L"83.33", Text(L"select A4 from tab_rz"));
  DM().CloseSessionStats(L"1:00:00");
  EXPECT_EQ(L"25:00:05", Text(L"select D1 from tab_rz"));
}

TEST_F(StudyRecords, ClosingStartsAddsToOrReplacesADamagedTime) {
  const struct {
    const wchar_t *Stored, *Session, *Sum;
  } cases[] = {{nullptr, L"0:12:05", L"00:12:05"},  // the first session of the day
               {L"99:00:00", L"1:00:00", L"100:00:00"},
               {L"x:y:z", L"0:10:00", L"00:10:00"}};
  for (int i = 0; i < 3; ++i) {
    DM().SetToday(kDay + i);
    DM().LogDailyAnswer(2, 1, 2);
    const String where = L" where A1 = #" + FormatDateTime(L"yyyy-mm-dd", kDay + i) + L"#";
    if (cases[i].Stored) Cn().Execute(L"update tab_rz set D1 = '" + String(cases[i].Stored) + L"'" + where);
    DM().CloseSessionStats(cases[i].Session);
    EXPECT_EQ(cases[i].Sum, Text(L"select D1 from tab_rz" + where)) << i;
    EXPECT_EQ(L"100.00", Text(L"select A4 from tab_rz" + where)) << i;
  }
}

TEST_F(StudyRecords, ClosingWithAnUnreadableElapsedTimeWritesNothing) {
  DM().LogDailyAnswer(2, 1, 2);
  Cn().Execute(L"update tab_rz set D1 = '01:00:00'");
  EXPECT_THROW(DM().CloseSessionStats(L"1:xx:00"), EConvertError);
  EXPECT_EQ(L"01:00:00", Text(L"select D1 from tab_rz"));
  EXPECT_EQ(L"", Text(L"select A4 from tab_rz"));
}

TEST_F(StudyRecords, ClosingADayWithoutAnswersStillSetsEveryChaptersAccuracy) {
  Cn().Execute(L"update tab_kmmc set D1 = 3, D2 = 1 where C1 = '21'");
  Cn().Execute(L"update tab_kmmc set D1 = 4, D2 = 0 where C1 = '2'");
  Cn().Execute(L"update tab_kmmc set C6 = '12.00' where C1 = '3'");
  DM().CloseSessionStats(L"0:05:00");
  EXPECT_EQ(0, Int(L"select count(*) from tab_rz")) << "no row is made for the day";
  EXPECT_EQ(L"66.67", Text(L"select C6 from tab_kmmc where C1 = '21'"));
  EXPECT_EQ(L"100.00", Text(L"select C6 from tab_kmmc where C1 = '2'"));
  EXPECT_EQ(L"0", Text(L"select C6 from tab_kmmc where C1 = '3'")) << "no answers: 0";
  EXPECT_EQ(0, Int(L"select count(*) from tab_kmmc where C6 is null or C6 <> '0' and D1 = 0"));
}

TEST_F(StudyRecords, CurrentChapterFollowsTheChapterTable) {
  CurChapterCode.clear();
  TADOTable* chapters = DM().Cn1Table_kmmc;
  chapters->Open();
  EXPECT_EQ(L"2", CurChapterCode) << "first row by bh";
  ASSERT_TRUE(chapters->Locate(L"C1", String(L"210102"), TLocateOptions{}));
  EXPECT_EQ(L"210102", CurChapterCode);
  chapters->Next();
  EXPECT_EQ(chapters->FieldByName(L"C1_1")->GetAsString(), CurChapterCode);
  chapters->Close();
}

}  // namespace
