// The bank tools: rich text, the source reader, the schema and the writer, the generator.
#include <gtest/gtest.h>
#include "BankChecks.h"
#include "BankTestFiles.h"
#include "data/tools/BankSource.h"
#include "data/tools/LargeBank.h"
#include "data/tools/Rtf.h"
#include "classlib/system/SysDate.h"

namespace {

// ---- Rich text -----------------------------------------------------------------------------

TEST(BankRtf, TextComesBackFromItsRtf) {
  const String text = L"资产评估法于（　）起施行。\nA. 2016年12月1日 {x} \\y\n\tm² 与 ≥ 号\n\nEnglish: 100%";
  std::string rtf = TextToRtf(text);
  EXPECT_EQ(rtf.find_first_of("\x80\xff"), std::string::npos) << "RTF is 7-bit text";
  EXPECT_NE(rtf.find("\\ansicpg936"), std::string::npos);
  EXPECT_NE(rtf.find("\\fcharset134"), std::string::npos);
  EXPECT_NE(rtf.find("\\'d7\\'ca"), std::string::npos) << "资 as its GBK bytes";
  TRtfContent read = ReadRtf(rtf);
  EXPECT_TRUE(read.Valid);
  EXPECT_TRUE(read.Cp936);
  ASSERT_EQ(read.Fonts.size(), 1u);
  EXPECT_EQ(read.Fonts[0], L"宋体");
  EXPECT_EQ(read.Text, text);
}

TEST(BankRtf, TheReaderRefusesWhatIsNotWholeRtf) {
  EXPECT_FALSE(ReadRtf("plain text").Valid);
  EXPECT_FALSE(ReadRtf("{\\rtf1 open").Valid);
  EXPECT_FALSE(ReadRtf("{\\rtf1 a}}").Valid);
  EXPECT_FALSE(ReadRtf("{\\rtf1 a} trailing").Valid);
  EXPECT_FALSE(ReadRtf(std::string(200, '{')).Valid);
  EXPECT_TRUE(ReadRtf("{\\rtf1 a}\r\n").Valid);
}

// ---- The source reader ---------------------------------------------------------------------

const char kTypes[] =
    "@type 11 单项选择题 exam=60 points=1 time=1 answer=single\n"
    "@type 14 多项选择题 exam=35 points=2 time=2 answer=multiple\n"
    "@type 69 复合式听写 exam=5 points=4 time=1 answer=self\n"
    "@lawgroup 1 法律\n@law 1101 某法\n@article 1101001 第一条\n条文一。\n@article 1101002 第二条\n条文二。\n"
    "@law 1102 另一法\n@article 1102001 第一条\n条文。\n";

TBankContent Parse(const std::string& subject) {
  return ParseBankSources({{L"types.txt", kTypes}, {L"s.txt", subject}}, EncodeDate(2024, 5, 7));
}

String ErrorOf(const std::string& subject) {
  try {
    Parse(subject);
  } catch (const EBankSourceError& e) {
    return e.Message();
  }
  return L"(no error)";
}

TEST(BankSource, GivesIdsOptionCountsAndLinks) {
  TBankContent c = Parse(
      "@subject 2 经济法\n@chapter 21 第一章\n@chapter 210101 第一节\n@guide\n要点。\n"
      "@question 11 laws=1101002,1102001\n题干？\nA. 甲\nB. 乙\nC. 丙\n@key C\n@explain\n解析。\n"
      "@group 14\n材料。\n@question 14\n问一\nA、一\nB、二\n@key AB\n@question 69\n问二\n@endgroup\n");
  ASSERT_EQ(c.Questions.size(), 3u);
  EXPECT_EQ(c.Questions[0].Id, L"QB21010111000001");
  EXPECT_EQ(c.Questions[0].OptionCount, 3);
  EXPECT_EQ(c.Questions[0].Order, 1);
  EXPECT_EQ(c.Questions[0].Articles, (std::vector<String>{L"1101002", L"1102001"}));
  EXPECT_EQ(c.Questions[0].Explanation, L"解析。");
  ASSERT_EQ(c.Groups.size(), 1u);
  EXPECT_EQ(c.Groups[0].Id, L"QB21010114000002");
  EXPECT_EQ(c.Questions[1].Id, L"QB21010114000002-01");
  EXPECT_EQ(c.Questions[2].Id, L"QB21010114000002-02");
  EXPECT_EQ(c.Questions[2].Key, L"1") << "a self-assessed key is 1";
  EXPECT_EQ(c.Questions[2].OptionCount, 1);
  EXPECT_EQ(c.Chapters[2].Guide, L"要点。");
  EXPECT_EQ(c.Articles[0].Text, L"条文一。");
}

TEST(BankSource, RefusesWhatTheProgramCouldNotUse) {
  const std::string head = "@subject 2 经济法\n@chapter 21 第一章\n@chapter 210101 第一节\n";
  const std::string choice = "题干\nA. 甲\nB. 乙\n";
  EXPECT_EQ(ErrorOf(head + "@question 11\n" + choice + "@key C\n"),
            L"s.txt(4): the key C names an option the question does not have");
  EXPECT_EQ(ErrorOf(head + "@question 11\n" + choice + "@key AB\n"), L"s.txt(4): the key AB does not fit the type 单项选择题");
  EXPECT_EQ(ErrorOf(head + "@question 14\n" + choice + "@key BA\n"), L"s.txt(4): the key's letters go in A-F order, once each");
  EXPECT_EQ(ErrorOf(head + "@question 11 laws=1101001,1101002\n" + choice + "@key A\n"),
            L"s.txt(4): two linked articles of one law: 1101002");
  EXPECT_EQ(ErrorOf(head + "@question 11 laws=9999001\n" + choice + "@key A\n"), L"s.txt(4): no article 9999001");
  EXPECT_EQ(ErrorOf(head + "@question 12\n" + choice + "@key A\n"), L"s.txt(4): no type 12");
  EXPECT_EQ(ErrorOf("@subject 2 经济法\n@chapter 21 第一章\n@question 11\n"),
            L"s.txt(3): questions go into a chapter with a six-character code");
  EXPECT_EQ(ErrorOf(head + "@question 11\n" + choice + "@key A\n@chapter 2101011 更深\n"),
            L"s.txt(9): a chapter's code has 2 to 6 characters");
  EXPECT_EQ(ErrorOf("@subject 7 听力 listening\n@chapter 71 一\n@chapter 710101 二\n@question 11\n" + choice + "@key A\n"),
            L"s.txt(4): a listening question needs its script (@voice)");
  EXPECT_EQ(ErrorOf(head + "@group 11\n材料\n@question 11\n" + choice + "@key A\n"),
            L"s.txt(4): @group without @endgroup");
  EXPECT_EQ(ErrorOf(head + "loose text\n"), L"s.txt(4): text outside a text block");
}

TEST(BankSource, RefusesTextOutsideCodePage936WithFileLineAndColumn) {
  const std::string head = "@subject 2 经济法\n@chapter 21 第一章\n@chapter 210101 第一节\n";
  const std::string choice = "题干\nA. 甲\nB. 乙\n@key A\n";
  const wchar_t* const tail = L" is not in code page 936, the program's text encoding";
  // The mathematical minus in an explanation, an emoji (a surrogate pair) in a stem, a
  // non-breaking hyphen in a chapter's name.
  EXPECT_EQ(ErrorOf(head + "@question 11\n" + choice + "@explain\n差 = 5 \xe2\x88\x92 3\n"),
            String(L"s.txt(10): U+2212 at column 7") + tail);
  EXPECT_EQ(ErrorOf(head + "@question 11\n题\xf0\x9f\x98\x80干\nA. 甲\nB. 乙\n@key A\n"),
            String(L"s.txt(5): U+1F600 at column 2") + tail);
  EXPECT_EQ(ErrorOf("@subject 2 经济法\n@chapter 21 第\xe2\x80\x91一章\n"), String(L"s.txt(2): U+2011 at column 14") + tail);
  // What code page 936 holds passes: the full-width minus, ×, ÷, ≈, the middle dot and '?'.
  EXPECT_EQ(ErrorOf(head + "@question 11\n" + choice + "@explain\n5 － 3 × 2 ÷ 1 ≈ 0·5?\n"), L"(no error)");
  // Comments never reach the bank.
  EXPECT_EQ(ErrorOf("# \xe2\x88\x92\n" + head + "@question 11\n" + choice), L"(no error)");
}

// ---- The schema and the writer -------------------------------------------------------------

TEST(BankSchema, SplitsTheScriptIntoStatements) {
  auto statements = SplitSqlScript(L"-- note\nCREATE TABLE t (\n  a TEXT(5)\n);\n\n-- x;\nCREATE INDEX i ON t (a);\n");
  ASSERT_EQ(statements.size(), 2u);
  EXPECT_EQ(statements[0], L"CREATE TABLE t (\n  a TEXT(5)\n)");
  EXPECT_EQ(statements[1], L"CREATE INDEX i ON t (a)");
  EXPECT_GE(BankSchemaStatements().size(), 11u);
}

TEST(BankSchema, CountersReadZeroTextIgnoresCaseAndPapersCanBeMade) {
  TTempBankFile file;
  GenerateLargeBank(file.Name(), 30);
  TADOConnection cn(nullptr);
  cn.SetLoginPrompt(false);
  cn.SetConnectionString(BankConnectionString(file.Name(), kBankPassword));
  cn.Open();
  // A day appended with its date only: its counts read 0; the wrong counters stay empty
  // until a wrong answer.
  TADOQuery log(nullptr);
  log.SetConnection(&cn);
  log.GetSQL()->SetText(L"select * from tab_rz");
  log.Open();
  log.Append();
  log.FieldByName(L"A1")->SetAsDateTime(EncodeDate(2024, 5, 7));
  log.Post();
  log.Close();
  auto day = SelectRows(cn, L"select A2,B1,A3,B2 from tab_rz");
  ASSERT_EQ(day.size(), 1u);
  ASSERT_EQ(day[0].size(), 4u);
  EXPECT_EQ(day[0][0], Variant(0));
  EXPECT_EQ(day[0][1], Variant(0));
  EXPECT_TRUE(day[0][2].IsNull());
  EXPECT_TRUE(day[0][3].IsNull());
  // Codes and ids compare without regard to case.
  String id = SelectValue(cn, L"select a1 from tab_exer where jx is not null order by a1").AsString();
  EXPECT_EQ(SelectValue(cn, L"select count(*) from tab_answ where a1 = " + QuotedStr(LowerCase(id))), Variant(1));
  // A mock-exam paper as the program makes and fills it.
  cn.Execute(PaperTableSql(L"tab_exam1"));
  int copied = cn.Execute(
      L"insert into tab_exam1(a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,E3,E4,JX,CSBS,F1)"
      L" Select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,b.jx as jx,"
      L"a.csbs as csbs,a.f1 as f1  from tab_answ a,tab_exer b where a.a1=b.a1 and ( a.A1=" + QuotedStr(id) + L")");
  EXPECT_EQ(copied, 1);
  EXPECT_EQ(SelectValue(cn, L"select A2 from tab_exam1"), SelectValue(cn, L"select a2 from tab_answ where a1 = " + QuotedStr(id)));
  EXPECT_EQ(SelectValue(cn, L"select count(*) from tab_exam1 a, tab_exer b where a.A1 = b.a1 and a.jx = b.jx"), Variant(1))
      << "the explanation is copied byte for byte";
}

TEST(BankWriter, ReplacesAnOlderBankOnlyWhenTheNewOneIsComplete) {
  TTempBankFile file;
  GenerateLargeBank(file.Name(), 10);
  TBankContent broken = MakeLargeBankContent(10);
  broken.Questions.push_back(broken.Questions.front());  // the same id twice
  EXPECT_THROW(WriteBank(broken, file.Name(), kBankPassword), EDatabaseError);
  auto cn = OpenBank(file.Name(), kBankPassword);
  EXPECT_EQ(SelectValue(*cn, L"select count(*) from tab_answ"), Variant(10));
  EXPECT_FALSE(FileExists(file.Name() + L".new"));
}

// ---- Large banks ---------------------------------------------------------------------------

TEST(LargeBank, MakesTheQuestionsAskedForConsistently) {
  TTempBankFile file;
  GenerateLargeBank(file.Name(), 3000);
  auto cn = OpenBank(file.Name(), kBankPassword);
  EXPECT_EQ(SelectValue(*cn, L"select count(*) from tab_answ"), Variant(3000));
  EXPECT_EQ(SelectValue(*cn, L"select count(*) from tab_exer"), Variant(3000));
  EXPECT_GT(SelectValue(*cn, L"select count(*) from tab_title").AsInteger(), 10);
  EXPECT_GT(SelectValue(*cn, L"select count(*) from tab_answ where k3 is not null").AsInteger(), 300);
  EXPECT_TRUE(CheckChapters(*cn).empty());
  EXPECT_TRUE(CheckLinkedArticles(*cn).empty());
  EXPECT_TRUE(CheckGroups(*cn).empty());
  EXPECT_TRUE(CheckCounters(*cn).empty());
  EXPECT_TRUE(CheckTypesAndKeys(*cn).empty());
  EXPECT_TRUE(CheckMockExamQuotas(*cn).empty());
  EXPECT_THROW(OpenBank(file.Name(), L"wrongpassword1"), EDatabaseError);
}

}  // namespace
