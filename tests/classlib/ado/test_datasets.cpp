// Queries and tables on real database files: field types, writing back (also through a
// join), BLOBs byte for byte, parameters, filters, Locate and Refresh.
#include <gtest/gtest.h>
#include "AdoTestFiles.h"
#include "classlib/system/SysDate.h"

namespace {

class ADODataSets : public ::testing::Test {
 protected:
  void SetUp() override {
    FormatSettings = DefaultFormatSettings();
    db = std::make_unique<TTempDatabase>(L"sets");
    db->Exec(L"CREATE TABLE tab_answ (a1 TEXT(20) NOT NULL PRIMARY KEY, a2 TEXT(100), "
             L"a10 TEXT(6), a13 SMALLINT, a14 MEMO, e1 DATETIME, e3 SMALLINT NOT NULL DEFAULT 0, "
             L"w DOUBLE, ok YESNO)");
    db->Exec(L"CREATE TABLE tab_exer (a1 TEXT(20) NOT NULL PRIMARY KEY, a15 IMAGE, jx IMAGE)");
    db->Exec(L"CREATE TABLE tab_kmmc (bh LONG, C1 TEXT(6), C2 TEXT(50), C3 LONG)");
    const wchar_t* ids[] = {L"7A0101-0001", L"7A0101-0002", L"7A0102-0001", L"8B0101-0001"};
    for (int i = 0; i < 4; ++i) {
      String id = ids[i];
      db->Exec(L"insert into tab_answ (a1, a2, a10, a13, e1, w) values ('" + id + L"', 'A', '" +
               Copy(id, 1, 6) + L"', " + IntToStr(int64_t(67 + i % 2)) + L", #5/" +
               IntToStr(int64_t(i + 1)) + L"/2024#, " + IntToStr(int64_t(i)) + L".5)");
      db->Exec(L"insert into tab_exer (a1, jx) values ('" + id + L"', 'jx" + IntToStr(int64_t(i)) + L"')");
    }
    const wchar_t* chapters[][2] = {{L"7", L"Economics"}, {L"7A", L"Law"}, {L"7A01", L"Contracts"},
                                    {L"8", L"Finance"}};
    for (int i = 0; i < 4; ++i)
      db->Exec(L"insert into tab_kmmc values (" + IntToStr(int64_t(4 - i)) + L", '" +
               chapters[i][0] + L"', '" + chapters[i][1] + L"', " + IntToStr(int64_t(i * 10)) + L")");
    query = std::make_unique<TADOQuery>(nullptr);
    query->SetConnection(&db->Connection());
  }
  void Open(const String& sql) {
    query->Close();
    query->GetSQL()->Clear();
    query->GetSQL()->Add(sql);
    query->Open();
  }
  String Rows(const String& sql) { return Column0(db->Connection(), sql); }

  std::unique_ptr<TTempDatabase> db;
  std::unique_ptr<TADOQuery> query;
};

TEST_F(ADODataSets, EveryJetColumnTypeKeepsItsValuesAndGivesItsFieldKind) {
  db->Exec(L"CREATE TABLE tab_types (id COUNTER PRIMARY KEY, t TEXT(8) NOT NULL, m MEMO, "
           L"img IMAGE, s SMALLINT, i INTEGER, l LONG, d DATETIME, f SINGLE, g DOUBLE, "
           L"c CURRENCY, b YESNO)");
  EXPECT_EQ(db->Exec(L"insert into tab_types (t, m, img, s, i, l, d, f, g, c, b) values ('Abc', "
                     L"'memo', 'xyz', -7, 70000, 2000000000, #12/31/2023 23:59:59#, 1.5, 0.125, "
                     L"12.3456, true)"),
            1);
  EXPECT_TRUE(Contains(MessageOf([&] { db->Exec(L"insert into tab_types (m) values ('no t')"); }),
                       L"NOT NULL constraint failed"));
  Open(L"select * from tab_types where t = 'ABC'");
  ASSERT_EQ(query->GetRecordCount(), 1);
  const std::pair<const wchar_t*, const wchar_t*> kinds[] = {
      {L"id", L"TAutoIncField"},   {L"t", L"TWideStringField"}, {L"m", L"TMemoField"},
      {L"img", L"TBlobField"},     {L"s", L"TSmallintField"},   {L"i", L"TIntegerField"},
      {L"l", L"TIntegerField"},    {L"d", L"TDateTimeField"},   {L"f", L"TFloatField"},
      {L"g", L"TFloatField"},      {L"c", L"TCurrencyField"},   {L"b", L"TBooleanField"}};
  for (const auto& [name, kind] : kinds)
    EXPECT_EQ(query->FieldByName(name)->ClassName(), kind) << StringToUtf8(name);
  EXPECT_EQ(query->FieldByName(L"id")->GetAsInteger(), 1);
  EXPECT_EQ(query->FieldByName(L"t")->GetSize(), 8);
  EXPECT_TRUE(query->FieldByName(L"t")->GetRequired());
  EXPECT_EQ(query->FieldByName(L"m")->GetAsString(), L"memo");
  EXPECT_EQ(static_cast<TBlobField*>(query->FieldByName(L"img"))->GetBlobSize(), 3);
  EXPECT_EQ(query->FieldByName(L"s")->GetAsInteger(), -7);
  EXPECT_EQ(query->FieldByName(L"i")->GetAsInteger(), 70000);
  EXPECT_EQ(query->FieldByName(L"l")->GetAsInteger(), 2000000000);
  EXPECT_DOUBLE_EQ(query->FieldByName(L"d")->GetAsDateTime(), EncodeDate(2023, 12, 31) + EncodeTime(23, 59, 59, 0));
  EXPECT_EQ(query->FieldByName(L"f")->GetAsFloat(), 1.5);
  EXPECT_EQ(query->FieldByName(L"g")->GetAsFloat(), 0.125);
  EXPECT_DOUBLE_EQ(query->FieldByName(L"c")->GetAsCurrency(), 12.3456);
  EXPECT_TRUE(query->FieldByName(L"b")->GetAsBoolean());

  // A table keyed by text: its hidden row id is no field; a column with a default is not required.
  Open(L"select * from tab_answ order by a1");
  EXPECT_EQ(query->GetRecordCount(), 4);
  EXPECT_EQ(query->GetFieldCount(), 9);
  EXPECT_EQ(query->FieldByName(L"e1")->GetAsDateTime(), EncodeDate(2024, 5, 1));
  EXPECT_TRUE(query->FieldByName(L"a14")->GetIsNull());
  EXPECT_TRUE(query->FieldByName(L"A1")->GetRequired());
  EXPECT_FALSE(query->FieldByName(L"e3")->GetRequired());
  EXPECT_EQ(MessageOf([&] { query->FieldByName(L"nope"); }), L"Field 'nope' not found");
}

TEST_F(ADODataSets, ExpressionColumnsTakeTheirKindsFromTheValues) {
  Open(L"select sum(C3) as count_c3, max(e1) as last, count(*) as n, 'x' & C2 as t "
       L"from tab_kmmc, tab_answ where len(C1) > 1 and tab_answ.a13 = 67");
  EXPECT_TRUE(query->FieldByName(L"count_c3")->Is<TIntegerField>());
  EXPECT_EQ(query->FieldByName(L"count_c3")->GetAsInteger(), 60);
  EXPECT_TRUE(query->FieldByName(L"last")->Is<TDateTimeField>());
  EXPECT_EQ(query->FieldByName(L"last")->GetAsDateTime(), EncodeDate(2024, 5, 3));
  EXPECT_FALSE(query->GetCanModify());
  EXPECT_EQ(MessageOf([&] { query->Edit(); }), L"Cannot modify a read-only dataset");

  // Rows without keys are read again whole.
  db->Exec(L"update tab_kmmc set C3 = C3 + 1");
  query->Refresh();
  EXPECT_EQ(query->FieldByName(L"count_c3")->GetAsInteger(), 64);  // (11 + 21) x 2

  Open(L"select sum(C3) as s from tab_kmmc where C1 = 'none'");
  EXPECT_TRUE(query->FieldByName(L"s")->GetIsNull());
  EXPECT_EQ(query->FieldByName(L"s")->GetAsInteger(), 0);
}

TEST_F(ADODataSets, EditPostWritesBackAndRefreshSeesTheStoredRow) {
  Open(L"select a1, a2, e1, e3, w, ok from tab_answ where a10 = '7a0101' order by a1");
  ASSERT_EQ(query->GetRecordCount(), 2);
  query->Next();
  query->Edit();
  query->FieldByName(L"a2")->SetAsString(L"BCD");
  query->FieldByName(L"e1")->SetAsDateTime(EncodeDate(2025, 1, 2) + EncodeTime(3, 4, 5, 0));
  query->FieldByName(L"e3")->SetAsInteger(query->FieldByName(L"e3")->GetAsInteger() + 1);
  query->FieldByName(L"ok")->SetAsBoolean(true);
  query->Post();
  EXPECT_EQ(Rows(L"select a2 & '|' & e1 & '|' & e3 & '|' & ok from tab_answ where a1 = '7A0101-0002'"),
            L"BCD|2025-01-02 03:04:05|1|-1");
  EXPECT_EQ(Rows(L"select a2 from tab_answ where a1 = '7A0101-0001'"), L"A");  // untouched

  db->Exec(L"update tab_answ set w = 99 where a1 = '7A0101-0002'");
  db->Exec(L"delete from tab_answ where a1 = '7A0101-0001'");
  query->Refresh();
  EXPECT_EQ(query->GetRecordCount(), 1);
  EXPECT_EQ(query->FieldByName(L"a1")->GetAsString(), L"7A0101-0002");
  EXPECT_EQ(query->FieldByName(L"w")->GetAsFloat(), 99.0);
}

TEST_F(ADODataSets, PostThroughAJoinWritesTheTableOwningTheColumns) {
  Open(L"select a.a1 as a1,a2,a13,b.jx as jx from tab_answ a,tab_exer b "
       L"where a.a1=b.a1 order by a.a1");
  ASSERT_EQ(query->GetRecordCount(), 4);
  ASSERT_TRUE(query->Locate(L"a1", Variant(L"7a0102-0001"), TLocateOptions{loCaseInsensitive}));
  query->Edit();
  query->FieldByName(L"a2")->SetAsString(L"C");
  TBlobField* jx = static_cast<TBlobField*>(query->FieldByName(L"jx"));
  jx->SetAsBytes(TBytes{'n', 'e', 'w'});
  query->Post();
  EXPECT_EQ(Rows(L"select a2 from tab_answ where a1 = '7A0102-0001'"), L"C");
  EXPECT_EQ(Rows(L"select jx from tab_exer where a1 = '7A0102-0001'"), L"new");
  EXPECT_EQ(Rows(L"select count(*) from tab_answ where a2 = 'C'"), L"1");

  // Only the row's own table loses the row on Delete.
  query->Delete();
  EXPECT_EQ(Rows(L"select count(*) from tab_answ"), L"3");
  EXPECT_EQ(Rows(L"select count(*) from tab_exer"), L"4");

  // Columns of the same name from both tables are qualified.
  Open(L"select * from tab_answ a, tab_exer b where a.a1 = b.a1");
  EXPECT_NE(query->FindField(L"a.a1"), nullptr);
  EXPECT_NE(query->FindField(L"b.a1"), nullptr);
  EXPECT_NE(query->FindField(L"a15"), nullptr);
}

TEST_F(ADODataSets, ARowChangedAwayGivesTheUpdateError) {
  Open(L"select a1, a2 from tab_answ order by a1");
  query->Edit();
  query->FieldByName(L"a2")->SetAsString(L"Z");
  db->Exec(L"delete from tab_answ where a1 = '7A0101-0001'");
  EXPECT_EQ(MessageOf([&] { query->Post(); }),
            L"Row cannot be located for updating. Some values may have been changed since it "
            L"was last read.");
  query->Cancel();
}

TEST_F(ADODataSets, RtfBytesComeBackByteForByte) {
  // Rich text as the editor saves it, with GBK bytes, NUL and high bytes in it.
  std::string rtf = "{\\rtf1\\ansi\\ansicpg936 \\'c4\\'e3\\'ba\\'c3 ";
  rtf += std::string("\xC4\xE3\xBA\xC3\x00\xFF\r\n\x01", 10);
  for (int i = 0; i < 3000; ++i) rtf += char(i * 7);
  rtf += "}";
  TMemoryStream stream;
  stream.WriteBuffer(rtf.data(), int(rtf.size()));

  TADOQuery insert(nullptr);
  insert.SetConnection(&db->Connection());
  insert.GetSQL()->Add(L"insert into tab_exer (a1,a15,jx) values('U1',:A15,:jx)");
  ASSERT_EQ(insert.GetParameters()->GetCount(), 2);
  insert.SetPrepared(true);
  insert.GetParameters()->GetItem(0)->LoadFromStream(stream, ftBlob);
  insert.GetParameters()->GetItem(1)->LoadFromStream(stream, ftBlob);
  EXPECT_EQ(insert.ExecSQL(), 1);

  Open(L"select * from tab_exer where A1 = 'u1'");
  TBlobField* a15 = static_cast<TBlobField*>(query->FieldByName(L"a15"));
  TMemoryStream back;
  a15->SaveToStream(back);
  ASSERT_EQ(back.GetSize(), int64_t(rtf.size()));
  EXPECT_EQ(std::string(static_cast<const char*>(back.GetMemory()), rtf.size()), rtf);
  std::unique_ptr<TStream> blob = query->CreateBlobStream(query->FieldByName(L"jx"), bmRead);
  std::string read(rtf.size(), '\0');
  blob->ReadBuffer(read.data(), int(read.size()));
  EXPECT_EQ(read, rtf);

  // Written back through the data set, the bytes stay as they are too.
  query->Edit();
  a15->LoadFromStream(stream);
  query->Post();
  query->Refresh();
  TMemoryStream again;
  a15->SaveToStream(again);
  EXPECT_EQ(std::string(static_cast<const char*>(again.GetMemory()), size_t(again.GetSize())), rtf);
}

TEST_F(ADODataSets, AQuoteInAParameterIsStoredAsTyped) {
  String typed = L"it's \"x\" '; drop table tab_answ; -- 中文";
  TADOQuery insert(nullptr);
  insert.SetConnection(&db->Connection());
  insert.GetSQL()->Add(L"insert into tab_answ (a1, a2) values (:id, :key)");
  insert.ParamByName(L"id")->SetValue(Variant(L"Q1"));
  insert.ParamByName(L"key")->SetValue(Variant(typed));
  EXPECT_EQ(insert.ExecSQL(), 1);
  query->GetSQL()->SetText(L"select * from tab_answ where a1 = :a1");
  EXPECT_EQ(MessageOf([&] { query->Open(); }),
            L"No value given for one or more required parameters.");
  query->GetParameters()->GetItem(0)->SetValue(Variant(L"q1"));
  query->Open();
  ASSERT_EQ(query->GetRecordCount(), 1);
  EXPECT_EQ(query->FieldByName(L"a2")->GetAsString(), typed);
  EXPECT_EQ(Rows(L"select count(*) from tab_answ"), L"5");

  // A parameter's type follows its value until the program sets one.
  TParameter* param = insert.ParamByName(L"key");
  param->SetValue(Variant(TBytes{1, 2}));
  EXPECT_EQ(param->GetDataType(), ftBlob);
  param->SetDataType(ftMemo);
  param->SetValue(Variant(7));
  EXPECT_EQ(param->GetDataType(), ftMemo);

  insert.GetSQL()->SetText(L"delete from tab_answ where a1 = :gone");
  EXPECT_EQ(MessageOf([&] { insert.ExecSQL(); }),
            L"No value given for one or more required parameters.");
}

TEST_F(ADODataSets, TableSortsByIndexFieldNamesFiltersAndLocates) {
  TADOTable table(nullptr);
  table.SetConnection(&db->Connection());
  table.SetTableName(L"tab_kmmc");
  table.SetIndexFieldNames(L"bh");
  table.Open();
  EXPECT_EQ(table.FieldByName(L"C1")->GetAsString(), L"8");  // bh 1
  table.SetFilter(L"c1<>'xx' and C1 like '7*'");
  table.SetFiltered(true);
  EXPECT_EQ(table.GetRecordCount(), 3);
  table.Last();
  EXPECT_EQ(table.GetRecNo(), 3);
  EXPECT_EQ(table.FieldByName(L"C1")->GetAsString(), L"7");
  ASSERT_TRUE(table.Locate(L"C1", Variant(L"7a"), TLocateOptions{loCaseInsensitive}));
  EXPECT_EQ(table.GetRecNo(), 2);
  table.Edit();
  table.FieldByName(L"C3")->SetAsInteger(table.FieldByName(L"C3")->GetAsInteger() + 1);
  table.Post();
  EXPECT_EQ(Rows(L"select C3 from tab_kmmc where C1 = '7A'"), L"11");

  table.SetFiltered(false);
  table.Append();
  table.FieldByName(L"C1")->SetAsString(L"9");
  table.FieldByName(L"bh")->SetAsInteger(9);
  table.Post();
  EXPECT_EQ(Rows(L"select count(*) from tab_kmmc where C1 = '9' and C3 is null"), L"1");
  table.Delete();
  EXPECT_EQ(Rows(L"select count(*) from tab_kmmc"), L"4");
}

TEST_F(ADODataSets, AppendFillsWhatTheDatabaseAssigns) {
  db->Exec(L"create table tab_cj (id COUNTER PRIMARY KEY, A1 TEXT(20), A3_1 LONG, D1 DATETIME, "
           L"n LONG DEFAULT 5)");
  Open(L"select * from tab_cj order by A3_1 desc");
  EXPECT_TRUE(query->FieldByName(L"id")->Is<TAutoIncField>());
  query->Append();
  query->FieldByName(L"A1")->SetAsString(L"tab_exam1");
  query->FieldByName(L"A3_1")->SetAsInteger(1);
  query->FieldByName(L"D1")->SetAsDateTime(EncodeDate(2024, 5, 7));
  query->Post();
  EXPECT_EQ(query->FieldByName(L"id")->GetAsInteger(), 1);
  EXPECT_EQ(query->FieldByName(L"n")->GetAsInteger(), 5);
  EXPECT_EQ(Rows(L"select A1 & D1 from tab_cj where D1 = #5/7/2024#"), L"tab_exam12024-05-07 00:00:00");
  query->Edit();
  query->FieldByName(L"A1")->SetAsString(L"tab_exam2");
  query->Post();
  EXPECT_EQ(Rows(L"select A1 from tab_cj"), L"tab_exam2");
}

TEST_F(ADODataSets, ACloneWritesBackAsItsSourceDoes) {
  Open(L"select * from tab_answ order by a1");
  TADOQuery clone(nullptr);
  clone.Clone(query.get());
  clone.Last();
  clone.Edit();
  clone.FieldByName(L"a2")->SetAsString(L"D");
  clone.Post();
  EXPECT_EQ(Rows(L"select a2 from tab_answ where a1 = '8B0101-0001'"), L"D");
  EXPECT_EQ(query->GetRecordCount(), 4);
}

TEST_F(ADODataSets, WithoutKeepConnectionTheLastCloseDisconnects) {
  TADOConnection& c = db->Connection();
  c.SetKeepConnection(false);
  Open(L"select * from tab_answ");
  EXPECT_TRUE(c.GetConnected());
  query->Close();
  EXPECT_FALSE(c.GetConnected());
  query->Open();  // connects again
  EXPECT_TRUE(c.GetConnected());
  EXPECT_EQ(query->GetRecordCount(), 4);
  c.Close();      // closing the connection closes its data sets
  EXPECT_FALSE(query->GetActive());
}

}  // namespace

// ---- Described columns kept between openings --------------------------------------------------

namespace {

class ADOSchemaChanges : public ADODataSets {
 protected:
  // The opened statement's field names and kinds, "name:Kind" joined by blanks.
  String Fields(const String& sql) {
    Open(sql);
    String text;
    for (int i = 0; i < query->GetFieldCount(); ++i) {
      TField* field = query->GetFields()->GetField(i);
      text += (text.empty() ? L"" : L" ") + field->GetFieldName() + L":" + field->ClassName();
    }
    query->Close();
    return text;
  }
};

TEST_F(ADODataSets, ParametersFollowTheTextAssigned) {
  auto count = [&](const String& sql) {
    query->GetSQL()->SetText(sql);
    return query->GetParameters()->GetCount();
  };
  EXPECT_EQ(count(L"select * from tab_answ where a1 = :id and a13 > ? and a10 = :ID"), 2);
  EXPECT_EQ(count(L"select * from tab_answ where a2 = '10:30?'"), 0) << "inside a string";
  EXPECT_EQ(count(L"select * from tab_answ where a1 = :id"), 1);
  EXPECT_EQ(count(L"select * from tab_answ"), 0) << "no marks: the old ones go";
}

TEST_F(ADODataSets, StoredTextIsReadAsTheProgramWroteIt) {
  db->Exec(L"insert into tab_kmmc values (9, '7B', '第一章 \U0001F600 é', 0)");
  Open(L"select C2, C1 & '' as code from tab_kmmc where bh = 9");
  EXPECT_EQ(query->FieldByName(L"C2")->GetAsString(), L"第一章 \U0001F600 é");
  EXPECT_EQ(query->FieldByName(L"code")->GetAsString(), L"7B");
  // Bytes that are no UTF-8 read as the replacement character, not as nothing.
  Open(L"select cast(x'41ff42e4b8' as text) as bad");
  const String bad = query->FieldByName(L"bad")->GetAsString();
  EXPECT_EQ(bad.substr(0, 3), L"A\xFFFD" L"B");
  EXPECT_EQ(bad.find(L'\xFFFD', 3), 3u);
}

TEST_F(ADOSchemaChanges, TablesChangedThroughTheConnectionAreDescribedAnew) {
  const String sql = L"select * from tab_kmmc";
  const String before = L"bh:TIntegerField C1:TWideStringField C2:TWideStringField C3:TIntegerField";
  EXPECT_EQ(Fields(sql), before);
  EXPECT_EQ(Fields(sql), before) << "the same again from what was kept";
  db->Exec(L"ALTER TABLE tab_kmmc ADD COLUMN C4 DATETIME");
  EXPECT_EQ(Fields(sql), before + L" C4:TDateTimeField");
  db->Exec(L"DROP TABLE tab_kmmc");
  db->Exec(L"CREATE TABLE tab_kmmc (bh COUNTER PRIMARY KEY, C1 MEMO NOT NULL)");
  db->Exec(L"insert into tab_kmmc (C1) values ('x')");
  EXPECT_EQ(Fields(sql), L"bh:TAutoIncField C1:TMemoField");
  Open(sql);
  EXPECT_TRUE(query->FieldByName(L"bh")->GetReadOnly());
  EXPECT_TRUE(query->FieldByName(L"C1")->GetRequired());
  query->Close();
}

TEST_F(ADOSchemaChanges, ChangesOfTheCatalogAnotherConnectionAndARollbackAreSeen) {
  const String sql = L"select * from tab_exer";
  EXPECT_EQ(Fields(sql), L"a1:TWideStringField a15:TBlobField jx:TBlobField");
  {
    TADOXCatalog catalog;
    catalog.SetActiveConnection(&db->Connection());
    catalog.DeleteTable(L"tab_exer");
  }
  EXPECT_TRUE(Contains(MessageOf([&] { Open(sql); }), L"no such table"));
  {
    TADOConnection other(nullptr);
    other.SetLoginPrompt(false);
    other.SetConnectionString(db->Connection().GetConnectionString());
    other.Open();
    other.Execute(L"CREATE TABLE tab_exer (a1 LONG, n TEXT(4))");
    other.Close();
  }
  EXPECT_EQ(Fields(sql), L"a1:TIntegerField n:TWideStringField");
  db->Connection().BeginTrans();
  db->Exec(L"ALTER TABLE tab_exer ADD COLUMN z YESNO");
  EXPECT_EQ(Fields(sql), L"a1:TIntegerField n:TWideStringField z:TBooleanField");
  db->Connection().RollbackTrans();
  EXPECT_EQ(Fields(sql), L"a1:TIntegerField n:TWideStringField");
}

}  // namespace
