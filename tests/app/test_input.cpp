// What the entry window saves, on a copy of the shipped bank: ids and serials, the rows and
// counters of one save, rich text read back byte for byte, and a failing save that leaves
// nothing behind.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/UInPut.h"
#include "classlib/system/SysExceptions.h"

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Chapter = SelectText(Data.Cn(), L"select top 1 C1 from tab_kmmc where len(C1) = 6 order by C1");
    OtherChapter = SelectText(Data.Cn(), L"select top 1 C1 from tab_kmmc where len(C1) = 6 order by C1 desc");
    Type = SelectText(Data.Cn(), L"select top 1 A1 from tab_tx order by A1");
  }
  TNewQuestion Question(const String& chapter) const {
    TNewQuestion q;
    q.ChapterCode = chapter;
    q.OptionCount = 4;
    q.TypeCode = Type;
    q.Key = L" A'B ";
    q.StemRtf = "{\\rtf1\\ansi\\ansicpg936 {\\f0 \xd6\xd0\xce\xc4} stem\\par}";  // 中文 in GBK
    return q;
  }
  int C3(const String& code) { return SelectInt(Data.Cn(), L"select c3 from tab_kmmc where C1 = " + QuotedStr(code)); }

  TProgramData Data;
  String Chapter, OtherChapter, Type;
};

}  // namespace

TEST_F(InputTest, IdsAndSerialsContinueOverChaptersAndSkipOtherIds) {
  EXPECT_EQ(NextUserSerial(Data.Cn()), 1);
  EXPECT_EQ(UserQuestionId(4, L"11", L"201010", 1), L"U4112010100001");
  const String first = UserQuestionId(4, Type, Chapter, NextUserSerial(Data.Cn()));
  InsertUserQuestion(Data.Cn(), Question(Chapter), first);
  EXPECT_EQ(first.substr(first.size() - 4), L"0001");
  // Ids that are not of the user form do not stop the count.
  Data.Exec(L"insert into tab_answ(a1,a10,f1) values('Ufree-text','" + Chapter + L"',2)");
  Data.Exec(L"insert into tab_answ(a1,a10,f1) values('U','" + Chapter + L"',2)");
  EXPECT_EQ(NextUserSerial(Data.Cn()), 2);
  const String second = UserQuestionId(4, Type, OtherChapter, NextUserSerial(Data.Cn()));
  InsertUserQuestion(Data.Cn(), Question(OtherChapter), second);
  EXPECT_EQ(second.substr(second.size() - 4), L"0002");
  Data.Exec(L"insert into tab_answ(a1,a10,f1) values('U4" + Type + Chapter + L"9999','" + Chapter + L"',2)");
  EXPECT_GT(NextUserSerial(Data.Cn()), kMaxUserSerial);

  EXPECT_TRUE(IsSelfAssessedTypeName(L"简答"));
  EXPECT_TRUE(IsSelfAssessedTypeName(L"综合题"));
  EXPECT_TRUE(IsSelfAssessedTypeName(L"计算题"));
  EXPECT_FALSE(IsSelfAssessedTypeName(L"单选题"));
  EXPECT_FALSE(IsSelfAssessedTypeName(L"题"));
}

TEST_F(InputTest, OneSaveWritesItsRowsAndCountersAndRichTextExactly) {
  // A level of four characters between the chapter and its two-character parent.
  Data.Exec(L"insert into tab_kmmc(bh,C1,C1_1,C2,C3) values(9999," + QuotedStr(Chapter.substr(0, 4)) + L"," +
            QuotedStr(Chapter.substr(0, 4)) + L",'中间层',5)");
  const int chapterBefore = C3(Chapter), parentBefore = C3(Chapter.substr(0, 3)), rootBefore = C3(Chapter.substr(0, 2));
  const int subjectBefore = C3(Chapter.substr(0, 1));
  const int untouched = SelectInt(Data.Cn(), L"select sum(c3) from tab_kmmc where C1 <> " + QuotedStr(Chapter) +
                                                 L" and C1 <> " + QuotedStr(Chapter.substr(0, 4)) + L" and C1 <> " +
                                                 QuotedStr(Chapter.substr(0, 2)) + L" and C1 <> " +
                                                 QuotedStr(Chapter.substr(0, 1)));
  const String article1 = SelectText(Data.Cn(), L"select top 1 ftid from tab_rule order by ftid");
  const String article2 =
      SelectText(Data.Cn(), L"select top 1 ftid from tab_rule where left(ftid,4) = '" + article1.substr(0, 4) +
                                L"' and ftid <> '" + article1 + L"' order by ftid");
  ASSERT_FALSE(article2.empty());
  const String law = article1.substr(0, 4);
  const int lawBefore = SelectInt(Data.Cn(), L"select q from tab_fgmc where id = '" + law + L"'");
  TNewQuestion q = Question(Chapter);
  q.ExplanationRtf = "{\\rtf1 explanation \\'d6\\'d0}";
  q.LawPointIds = {article1, article2};
  const String id = UserQuestionId(4, Type, Chapter, NextUserSerial(Data.Cn()));
  InsertUserQuestion(Data.Cn(), q, id);

  EXPECT_EQ(SelectText(Data.Cn(), L"select a2 from tab_answ where a1 = '" + id + L"'"), L"A'B");
  EXPECT_EQ(SelectInt(Data.Cn(), L"select f1 from tab_answ where a1 = '" + id + L"'"), 2);
  EXPECT_EQ(SelectText(Data.Cn(), L"select k4 from tab_answ where a1 = '" + id + L"'"), article2);
  EXPECT_EQ(SelectBytes(Data.Cn(), L"select a15 from tab_exer where a1 = '" + id + L"'"), q.StemRtf);
  EXPECT_EQ(SelectBytes(Data.Cn(), L"select jx from tab_exer where a1 = '" + id + L"'"), q.ExplanationRtf);
  // The chapter and every row above it (subject included) count the question; only rows
  // that exist are counted, and no other row changes.
  EXPECT_EQ(C3(Chapter), chapterBefore + 1);
  EXPECT_EQ(C3(Chapter.substr(0, 4)), 6);
  const int parentRows = SelectInt(Data.Cn(), L"select count(*) from tab_kmmc where C1 = " + QuotedStr(Chapter.substr(0, 3)));
  EXPECT_EQ(C3(Chapter.substr(0, 3)), parentBefore + parentRows);
  EXPECT_EQ(C3(Chapter.substr(0, 2)), rootBefore + 1);
  EXPECT_EQ(C3(Chapter.substr(0, 1)), subjectBefore + 1);
  EXPECT_EQ(SelectInt(Data.Cn(), L"select sum(c3) from tab_kmmc where C1 <> " + QuotedStr(Chapter) + L" and C1 <> " +
                                     QuotedStr(Chapter.substr(0, 4)) + L" and C1 <> " + QuotedStr(Chapter.substr(0, 2)) +
                                     L" and C1 <> " + QuotedStr(Chapter.substr(0, 1))),
            untouched);
  // Two articles of one law raise the law once.
  EXPECT_EQ(SelectInt(Data.Cn(), L"select q from tab_fgmc where id = '" + law + L"'"), lawBefore + 1);
}

TEST_F(InputTest, AFailureInsideTheSaveLeavesNoRowAndNoCounter) {
  const int questions = SelectInt(Data.Cn(), L"select count(*) from tab_answ");
  const int texts = SelectInt(Data.Cn(), L"select count(*) from tab_exer");
  const int counters = SelectInt(Data.Cn(), L"select sum(c3) from tab_kmmc");
  const String id = UserQuestionId(4, Type, Chapter, NextUserSerial(Data.Cn()));
  // The text row exists already, so its insert fails after the question row was written.
  Data.Exec(L"insert into tab_exer(a1) values('" + id + L"')");
  EXPECT_THROW(InsertUserQuestion(Data.Cn(), Question(Chapter), id), EDatabaseError);
  EXPECT_FALSE(Data.Cn().GetInTransaction());
  EXPECT_EQ(SelectInt(Data.Cn(), L"select count(*) from tab_answ"), questions);
  EXPECT_EQ(SelectInt(Data.Cn(), L"select count(*) from tab_exer"), texts + 1);
  EXPECT_EQ(SelectInt(Data.Cn(), L"select sum(c3) from tab_kmmc"), counters) << "no level of the tree counted";

  // A failure after the tree's counters were raised: the law table is gone.
  const String article = SelectText(Data.Cn(), L"select top 1 ftid from tab_rule order by ftid");
  const int articleCount = SelectInt(Data.Cn(), L"select q from tab_rule where ftid = " + QuotedStr(article));
  Data.Exec(L"drop table tab_fgmc");
  TNewQuestion linked = Question(Chapter);
  linked.LawPointIds = {article};
  const String other = UserQuestionId(4, Type, Chapter, NextUserSerial(Data.Cn()) + 1);
  EXPECT_THROW(InsertUserQuestion(Data.Cn(), linked, other), EDatabaseError);
  EXPECT_FALSE(Data.Cn().GetInTransaction());
  EXPECT_EQ(SelectInt(Data.Cn(), L"select sum(c3) from tab_kmmc"), counters) << "the raised counters rolled back";
  EXPECT_EQ(SelectInt(Data.Cn(), L"select q from tab_rule where ftid = " + QuotedStr(article)), articleCount);
  EXPECT_EQ(SelectInt(Data.Cn(), L"select count(*) from tab_answ"), questions);
}
