// The Jet-to-SQLite translation on its own (no database): what each form becomes.
#include <gtest/gtest.h>
#include "classlib/ado/JetDates.h"
#include "classlib/ado/JetFunctions.h"
#include "classlib/ado/JetSql.h"
#include "classlib/ado/Sha256.h"
#include "classlib/system/SysExceptions.h"

namespace {

String Sql(const String& jet) {
  return TranslateJetSql(jet, [](const String& file) { return String(L"ext1"); }).Sql;
}

TEST(JetSql, LiteralsAndNamesBecomeSqliteForms) {
  EXPECT_EQ(Sql(L"select [my col] from [tab 1] where a = \"it's\""),
            L"select \"my col\" from \"tab 1\" where a = 'it''s' COLLATE NOCASE");
  EXPECT_EQ(Sql(L"select * from t where d = #5/7/2024#"),
            L"select * from t where d = '2024-05-07 00:00:00' COLLATE NOCASE");
  EXPECT_EQ(Sql(L"select * from t where d >= #2024-05-07 13:04:05#"),
            L"select * from t where d >= '2024-05-07 13:04:05' COLLATE NOCASE");
  EXPECT_EQ(Sql(L"update t set f = TRUE, g = false where n mod 2 = 1"),
            L"update t set f = -1, g = 0 where n % 2 = 1");
}

TEST(JetSql, NothingInsideStringsOrNamesIsRewritten) {
  EXPECT_EQ(Sql(L"select 'a & b', [x & y] from t where s = 'TOP 5 #1/1/2000# :p'"),
            L"select 'a & b' COLLATE NOCASE, \"x & y\" from t where s = 'TOP 5 #1/1/2000# :p' "
            L"COLLATE NOCASE");
}

TEST(JetSql, TopBecomesLimitAtTheEndOfItsSelect) {
  EXPECT_EQ(Sql(L"select top 3 a from t order by a desc"),
            L"select a from t order by a desc LIMIT 3");
  EXPECT_EQ(Sql(L"select * from t where a in (select top 2 a from u order by a)"),
            L"select * from t where a in (select a from u order by a LIMIT 2)");
  EXPECT_THROW(Sql(L"select top 10 percent a from t"), EDatabaseError);
}

TEST(JetSql, ConcatenationGroupsItsOperands) {
  // & binds looser than + and tighter than =, as in Jet.
  EXPECT_EQ(Sql(L"select a & 'x' & b + 1 as c from t"),
            L"select JETCONCAT(a, 'x' COLLATE NOCASE, b + 1) as c from t");
  EXPECT_EQ(Sql(L"select * from t where a & b = 'xy'"),
            L"select * from t where JETCONCAT(a, b) = 'xy' COLLATE NOCASE");
}

TEST(JetSql, DeleteStarAndKeywordFunctions) {
  EXPECT_EQ(Sql(L"delete * from tab_cj where A1='x'"),
            L"delete from tab_cj where A1='x' COLLATE NOCASE");
  EXPECT_EQ(Sql(L"delete t.* from t"), L"delete from t");
  EXPECT_EQ(Sql(L"select left(a,2), right(a,1) from t left join u on t.k = u.k"),
            L"select \"LEFT\"(a,2), \"RIGHT\"(a,1) from t left join u on t.k = u.k");
}

TEST(JetSql, ParametersAreNumberedByDistinctName) {
  TJetTranslation t = TranslateJetSql(
      L"insert into tab_sj(sjbs,cpbs) values(:sjbs,:cpbs+:SJBS)", nullptr);
  ASSERT_EQ(t.ParamNames.size(), 2u);
  EXPECT_EQ(t.ParamNames[0], L"sjbs");
  EXPECT_EQ(t.ParamNames[1], L"cpbs");
  EXPECT_EQ(t.Sql, L"insert into tab_sj(sjbs,cpbs) values(?1,?2+?1)");
  t = TranslateJetSql(L"update t set a = ? where b = :b and c = ?", nullptr);
  ASSERT_EQ(t.ParamNames.size(), 3u);
  EXPECT_EQ(t.ParamNames[1], L"b");
  EXPECT_EQ(t.Sql, L"update t set a = ?1 where b = ?2 and c = ?3");
}

TEST(JetSql, InFileQualifiesTheTablesOfItsFromClause) {
  std::vector<String> asked;
  TJetTranslation t = TranslateJetSql(
      L"insert into tab_kmmc select * from tab_kmmc in 'C:\\x\\up.mdb'",
      [&](const String& file) {
        asked.push_back(file);
        return String(L"ext7");
      });
  EXPECT_EQ(t.Sql, L"insert into tab_kmmc select * from \"ext7\".tab_kmmc");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], L"C:\\x\\up.mdb");
}

TEST(JetSql, SimpleSelectReportsItsTablesAndWhereColumnsMayBeAdded) {
  TJetTranslation t = TranslateJetSql(
      L"select a.a1 as a1,a2,b.jx as jx from tab_answ a,tab_exer b where a.a1=b.a1", nullptr);
  ASSERT_TRUE(t.SimpleSelect);
  ASSERT_EQ(t.Sources.size(), 2u);
  EXPECT_EQ(t.Sources[0].Table + L" " + t.Sources[0].Alias + L"," + t.Sources[1].Alias, L"tab_answ a,b");
  EXPECT_EQ(t.Sql.substr(t.ExtraColumnsAt, 6), L" from ");
  EXPECT_FALSE(TranslateJetSql(L"select count(*) as c from t", nullptr).SimpleSelect);
  EXPECT_FALSE(TranslateJetSql(L"select distinct a from t", nullptr).SimpleSelect);
  EXPECT_FALSE(TranslateJetSql(L"select a from t group by a", nullptr).SimpleSelect);
  EXPECT_FALSE(TranslateJetSql(L"select a from t union select a from u", nullptr).SimpleSelect);
}

TEST(JetSql, CreateTableMapsJetTypes) {
  String sql = Sql(L"CREATE TABLE tab_exam1 (A1 TEXT(20) NOT NULL PRIMARY KEY,A2 TEXT(100),"
                   L"A2_1 SMALLINT,A14 MEMO,E1 DATETIME,jx IMAGE,n LONG,f YESNO,m CURRENCY,"
                   L"s SINGLE,d DOUBLE,id COUNTER)");
  EXPECT_EQ(sql,
            L"CREATE TABLE tab_exam1 (A1 TEXT(20) COLLATE NOCASE NOT NULL PRIMARY KEY,"
            L"A2 TEXT(100) COLLATE NOCASE,A2_1 SMALLINT,A14 LONGTEXT COLLATE NOCASE,"
            L"E1 DATETIME,jx BLOB,n INTEGER,f BOOLEAN DEFAULT 0,m CURRENCY,s REAL,d DOUBLE,"
            L"id INTEGER)");  // the table has a primary key already: the counter cannot be it
  EXPECT_EQ(Sql(L"create table c (id counter primary key, t text)"),
            L"create table c (id INTEGER PRIMARY KEY AUTOINCREMENT, t TEXT(255) COLLATE NOCASE)");
}

TEST(JetSql, BadTextRaisesDatabaseErrors) {
  EXPECT_THROW(Sql(L"select 'unterminated from t"), EDatabaseError);
  EXPECT_THROW(Sql(L"select [unterminated from t"), EDatabaseError);
  EXPECT_THROW(Sql(L"select * from t where d = #13/45/2024#"), EDatabaseError);
  EXPECT_THROW(Sql(L"select (a from t"), EDatabaseError);
  EXPECT_THROW(Sql(L"select a) from t"), EDatabaseError);
}

TEST(JetDates, LiteralAndStoredForms) {
  TDateTime dt;
  ASSERT_TRUE(TryJetDateLiteral(L"12/31/1999 11:30 PM", dt));
  EXPECT_EQ(DateTimeToIso(dt), L"1999-12-31 23:30:00");
  ASSERT_TRUE(TryJetDateLiteral(L"10:20:30", dt));
  EXPECT_EQ(DateTimeToIso(dt), L"1899-12-30 10:20:30");
  EXPECT_FALSE(TryJetDateLiteral(L"2/30/2024", dt));
  ASSERT_TRUE(TryIsoToDateTime(L"2024-02-29", dt));
  EXPECT_EQ(dt, EncodeDate(2024, 2, 29));
  EXPECT_FALSE(TryIsoToDateTime(L"2023-02-29", dt));
  // Just under a whole day rounds up into the next day, not to 24:00:00.
  EXPECT_EQ(DateTimeToIso(EncodeDate(2024, 1, 1) + 0.9999999), L"2024-01-02 00:00:00");
}

TEST(JetLike, WildcardsAndCharacterLists) {
  bool valid = true;
  const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
      {L"7A0101", L"7*", true}, {L"abc", L"A?C", true},     {L"abc", L"%B%", true},
      {L"a1c", L"a#c", true},   {L"abc", L"a#c", false},    {L"bat", L"[a-c]at", true},
      {L"cat", L"[!a-c]at", false}, {L"a*b", L"a[*]b", true}, {L"axb", L"a[*]b", false},
      {L"", L"*", true},        {L"abc", L"ab", false}};
  for (const auto& [text, pattern, match] : cases)
    EXPECT_EQ(JetLike(text, pattern, valid), match) << StringToUtf8(pattern);
  EXPECT_TRUE(valid);
  JetLike(L"abc", L"a[bc", valid);
  EXPECT_FALSE(valid);
}

TEST(Sha256, KnownDigests) {
  auto hex = [](const TSha256Digest& d) {
    std::string out;
    const char* digits = "0123456789abcdef";
    for (uint8_t b : d) out += digits[b >> 4], out += digits[b & 15];
    return out;
  };
  EXPECT_EQ(hex(Sha256("", 0)),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(hex(Sha256("abc", 3)),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(hex(Sha256(twoBlocks.data(), twoBlocks.size())),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  std::string million(1000000, 'a');
  EXPECT_EQ(hex(Sha256(million.data(), million.size())),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace

namespace {

TEST(JetSql, InsertSelectStarMatchesColumnsByName) {
  auto columns = [](const String& schema, const String& table) -> std::vector<String> {
    if (table == L"t") return {L"a", L"b", L"c"};
    if (schema == L"ext1" && table == L"s") return {L"C", L"a", L"b", L"extra"};
    if (table == L"short") return {L"a", L"b"};
    return {};
  };
  auto translate = [&](const String& jet) {
    return TranslateJetSql(jet, [](const String&) { return String(L"ext1"); }, columns).Sql;
  };
  EXPECT_EQ(translate(L"insert into t select * from s in 'f.mdb'"),
            L"insert into t (\"a\", \"b\", \"c\") select \"a\", \"b\", \"c\" from \"ext1\".s");
  EXPECT_EQ(translate(L"insert into t select * from s in 'f.mdb' where a = 1"),
            L"insert into t (\"a\", \"b\", \"c\") select \"a\", \"b\", \"c\" from \"ext1\".s where a = 1");
  // A source without one of the target's columns fails rather than filling by position.
  EXPECT_THROW(translate(L"insert into t select * from short in 'f.mdb'"), EDatabaseError);
  EXPECT_THROW(translate(L"insert into t select * from nothing in 'f.mdb'"), EDatabaseError);
  // Listed columns and no resolver keep their form.
  EXPECT_EQ(translate(L"insert into t (a) select a from s in 'f.mdb'"), L"insert into t (a) select a from \"ext1\".s");
  EXPECT_EQ(Sql(L"insert into t select * from s in 'f.mdb'"), L"insert into t select * from \"ext1\".s");
}

}  // namespace
