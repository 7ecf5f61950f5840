// Every Jet form the program's SQL uses, run against a real database file, with the rows
// it must give.
#include <gtest/gtest.h>
#include "AdoTestFiles.h"
#include "classlib/ado/JetDates.h"
#include "classlib/system/SysDate.h"

namespace {

class JetForms : public ::testing::Test {
 protected:
  void SetUp() override {
    FormatSettings = DefaultFormatSettings();  // FORMAT of numbers follows the settings
    db = std::make_unique<TTempDatabase>(L"forms");
    db->Exec(L"CREATE TABLE tab_answ (a1 TEXT(20) NOT NULL PRIMARY KEY, a2 TEXT(100), "
             L"a10 TEXT(6), a13 SMALLINT, e1 DATETIME, e2 TEXT(100), e3 SMALLINT, e4 SMALLINT, "
             L"f1 SMALLINT, k3 TEXT(9), k4 TEXT(9), ok YESNO, price CURRENCY, w DOUBLE)");
    db->Exec(L"insert into tab_answ (a1,a2,a10,a13,e1,e2,e3,e4,f1,k3,k4,w) values "
             L"('7A0101-0001','A','7A0101',67,#5/7/2024#,'A',2,0,0,'00010001',NULL,2.5)");
    db->Exec(L"insert into tab_answ (a1,a2,a10,a13,e1,e2,e3,e4,f1,k3,k4,w) values "
             L"('U67A01010002','acd','7A0101',68,#2024-05-08 10:30:00#,'B',1,-3,2,NULL,'00010001',3.5)");
    db->Exec(L"insert into tab_answ (a1,a2,a10,a13,e2,e3,f1,w) values "
             L"('U67A01010010','B','8B0202',67,NULL,0,1,-2.5)");
  }
  String Rows(const String& sql) { return Column0(db->Connection(), sql); }

  std::unique_ptr<TTempDatabase> db;
};

TEST_F(JetForms, TopAndOrder) {
  EXPECT_EQ(Rows(L"select top 2 a1 from tab_answ order by a1 desc"), L"U67A01010010|U67A01010002");
  EXPECT_EQ(Rows(L"select top 1 a13 from tab_answ order by e3"), L"67");
}

TEST_F(JetForms, TextFunctions) {
  EXPECT_EQ(Rows(L"select left(a1, 1) & '/' & right(a1, 4) from tab_answ order by a1"),
            L"7/0001|U/0002|U/0010");
  EXPECT_EQ(Rows(L"select mid(a10, 2, 3) & mid(a10, 5) from tab_answ where a1 = '7A0101-0001'"),
            L"A0101");
  EXPECT_EQ(Rows(L"select len(a10) from tab_answ where len(a1) = 12 order by a1"), L"6|6");
  EXPECT_EQ(Rows(L"select '[' & trim('  x  ') & rtrim(' y ') & ltrim(' z ') & ']'"),
            L"[x yz ]");
  EXPECT_EQ(Rows(L"select ucase(a2) & lcase('XY') from tab_answ where a1 like 'U*2'"), L"ACDxy");
  EXPECT_EQ(Rows(L"select len(null)"), L"<null>");
  // Characters of the program's strings: Chinese text, a character beyond the basic plane
  // (two units), numbers as their text.
  EXPECT_EQ(Rows(L"select len('第一章') & '|' & len('a\U0001F600b') & '|' & len('') & '|' & len(12.5)"),
            L"3|4|0|4");
  // Left of ASCII, of Chinese text, of text shorter than asked, across a character beyond
  // the basic plane, of a number and of Null.
  EXPECT_EQ(Rows(L"select left('2A01', 1) & '|' & left('第一章', 2) & '|' & left('ab', 5) & '|' & "
                 L"left('a\U0001F600b', 3) & '|' & left(12.5, 2) & '|' & left('', 0) & '|' & left('ab第', 2)"),
            L"2|第一|ab|a\U0001F600|12||ab");
  EXPECT_EQ(Rows(L"select left(null, 1)"), L"<null>");
}

TEST_F(JetForms, ConversionsRoundHalvesToEven) {
  EXPECT_EQ(Rows(L"select cint(w) from tab_answ order by a1"), L"2|4|-2");
  EXPECT_EQ(Rows(L"select clng('12345678.5')"), L"12345678");
  EXPECT_EQ(Rows(L"select cstr(w) & '|' & cstr(a13) from tab_answ where a1 = '7A0101-0001'"),
            L"2.5|67");
  // The program's next user serial.
  EXPECT_EQ(Rows(L"select MAX(CINT(Right(A1,4))) as r4m from tab_answ where Left(A1,1) = 'U'"),
            L"10");
  EXPECT_EQ(Rows(L"select MAX(CINT(Right(A1,4))) from tab_answ where Left(A1,1) = 'Q'"),
            L"<null>");
  EXPECT_EQ(Rows(L"select iif(e4 < 0, 'wrong', 'right') from tab_answ where e4 is not null order by a1"),
            L"right|wrong");
  EXPECT_EQ(Rows(L"select nz(e2) & '/' & nz(e2, 'none') from tab_answ order by a1"),
            L"A/A|B/B|/none");
  EXPECT_THROW(Rows(L"select cint(40000)"), EDatabaseError);
}

TEST_F(JetForms, DatesAreStoredAsIsoTextAndComparedAsDates) {
  EXPECT_EQ(Rows(L"select e1 from tab_answ where e1 is not null order by e1"),
            L"2024-05-07 00:00:00|2024-05-08 10:30:00");
  EXPECT_EQ(Rows(L"select a1 from tab_answ where e1 >= #5/8/2024#"), L"U67A01010002");
  EXPECT_EQ(Rows(L"select a1 from tab_answ where e1 between #2024-05-07# and #2024-05-07 23:59:59#"),
            L"7A0101-0001");
  EXPECT_EQ(Rows(L"select year(e1) & '-' & month(e1) & '-' & day(e1) from tab_answ where a13 = 68"),
            L"2024-5-8");
  EXPECT_EQ(Rows(L"select format(e1, 'yyyy\"年\"mm\"月\"dd\"日\" hh:nn') from tab_answ where a13 = 68"),
            L"2024年05月08日 10:30");
  EXPECT_EQ(Rows(L"select format(w, '0.00') from tab_answ order by a1"), L"2.50|3.50|-2.50");
  // NOW() and DATE() give today.
  String today = DateTimeToIso(Date());
  EXPECT_EQ(Rows(L"select date()"), today);
  EXPECT_EQ(Rows(L"select left(now(), 10)"), today.substr(0, 10));
}

TEST_F(JetForms, TextComparesWithoutRegardToCase) {
  EXPECT_EQ(Rows(L"select a1 from tab_answ where a2 = 'ACD'"), L"U67A01010002");
  EXPECT_EQ(Rows(L"select a1 from tab_answ where left(a1, 1) = 'u' order by a1"),
            L"U67A01010002|U67A01010010");
  EXPECT_EQ(Rows(L"select a1 from tab_answ where a1 = \"u67a01010010\""), L"U67A01010010");
  EXPECT_EQ(Rows(L"select a1 from tab_answ where a10 like '7*' and a1 like '?67*'"), L"U67A01010002");
  EXPECT_EQ(Rows(L"select count(*) from tab_answ where a10 like '[78]?0*'"), L"3");
  EXPECT_EQ(Rows(L"select a1 from tab_answ where '00010001' in (k3,k4) order by a1"),
            L"7A0101-0001|U67A01010002");
}

TEST_F(JetForms, UpdatesDeletesAndBooleans) {
  EXPECT_EQ(db->Exec(L"Update tab_answ set e2 = ''"), 3);
  EXPECT_EQ(db->Exec(L"update tab_answ set ok = true where a13 = 67"), 2);
  EXPECT_EQ(Rows(L"select a1 from tab_answ where ok = true order by a1"), L"7A0101-0001|U67A01010010");
  EXPECT_EQ(Rows(L"select count(*) from tab_answ where ok = false"), L"1");  // YESNO starts as No
  EXPECT_EQ(db->Exec(L"delete * from tab_answ where a10 = '8b0202'"), 1);
  EXPECT_EQ(Rows(L"select count(*) from tab_answ"), L"2");
}

TEST_F(JetForms, PaperTablesAreMadeCopiedAndDropped) {
  db->Exec(L"CREATE TABLE tab_exer (a1 TEXT(20) PRIMARY KEY, a15 IMAGE, jx IMAGE)");
  db->Exec(L"insert into tab_exer (a1, jx) values ('7A0101-0001', 'explained')");
  db->Exec(L"insert into tab_exer (a1, jx) values ('U67A01010002', NULL)");
  db->Exec(L"CREATE TABLE tab_exam1 (A1 TEXT(20) NOT NULL PRIMARY KEY,A2 TEXT(100),A10 TEXT(6),"
           L"A13 SMALLINT,E1 DATETIME,E2 TEXT(100),E3 SMALLINT,E4 SMALLINT,jx IMAGE,F1 SMALLINT)");
  EXPECT_EQ(db->Exec(L"insert into tab_exam1(a1,a2,a10,a13,e1,e2,E3,E4,JX,F1) Select a.a1 as a1,a2,"
                     L"a10,a13,e1,e2,e3,e4,b.jx as jx,a.f1 as f1  from tab_answ a,tab_exer b "
                     L"where a.a1=b.a1 and ( a.A1='7a0101-0001' or a.A1='U67A01010002')"),
            2);
  EXPECT_EQ(Rows(L"select a1 & ':' & nz(jx, '-') from tab_exam1 order by A13,A1"),
            L"7A0101-0001:explained|U67A01010002:-");
  EXPECT_EQ(Rows(L"select sum(tab_tx.B3) as ZFS from tab_exam1, (select 67 as A1, 2.5 as B3) "
                 L"tab_tx where tab_exam1.A13 = tab_tx.A1 and tab_exam1.A2 = tab_exam1.E2"),
            L"2.5");
  db->Exec(L"drop table tab_exam1");
  TStringList names;
  db->Connection().GetTableNames(&names);
  EXPECT_EQ(names.IndexOf(L"tab_exam1"), -1);
}

TEST_F(JetForms, CatalogDropsTablesAndAcceptsAllowZeroLength) {
  db->Exec(L"CREATE TABLE tab_exam2 (A1 TEXT(20), A2 TEXT(100), A14 MEMO)");
  TADOXCatalog catalog;
  catalog.SetActiveConnection(JetConnectionString(db->Name(), L""));
  TADOXTable& table = catalog.GetTable(L"TAB_EXAM2");
  for (const wchar_t* column : {L"A2", L"A14"})
    table.GetColumn(column).GetProperty(L"Jet OLEDB:Allow Zero Length").SetValue(true);
  EXPECT_THROW(table.GetColumn(L"nope"), EDatabaseError);
  EXPECT_THROW(table.GetColumn(L"A2").GetProperty(L"No Such Property"), EDatabaseError);
  db->Exec(L"insert into tab_exam2 values ('x', '', '')");
  EXPECT_EQ(Rows(L"select count(*) from tab_exam2 where a2 = '' and a14 = ''"), L"1");
  catalog.DeleteTable(L"tab_exam2");
  EXPECT_THROW(catalog.GetTable(L"tab_exam2"), EDatabaseError);
  EXPECT_THROW(catalog.DeleteTable(L"tab_exam2"), EDatabaseError);
}

}  // namespace
