#include "TestDataSet.h"

namespace {

using LocateTest = DBTest;

TEST_F(LocateTest, LocateWithAndWithoutCase) {
  Data.Open();
  EXPECT_FALSE(Data.Locate(L"a1", L"cherry", {}));
  EXPECT_EQ(Data.GetRecNo(), 1);  // stays where it was
  EXPECT_TRUE(Data.Locate(L"a1", L"cherry", {loCaseInsensitive}));
  EXPECT_EQ(Data.GetRecNo(), 3);
  EXPECT_TRUE(Data.Locate(L"a1", L"Apr", {loCaseInsensitive, loPartialKey}));
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"apricot");
  EXPECT_FALSE(Data.Locate(L"a1", L"Apr", {loPartialKey}));
  Data.Last();
  EXPECT_TRUE(Data.Locate(L"a1", L"APPLE", {loCaseInsensitive, loPartialKey}));  // whole value
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Apple");
  EXPECT_FALSE(Data.Locate(L"A1", L"中文", {loCaseInsensitive}));
}

TEST_F(LocateTest, LocateOnSeveralFieldsNumbersDatesAndNull) {
  Data.Open();
  EXPECT_TRUE(Data.Locate(L"e3;ok", Variants{3, false}, {}));
  EXPECT_EQ(Data.FieldByName(L"id")->GetAsInteger(), 4);
  EXPECT_TRUE(Data.Locate(L"e1", Variant::FromDateTime(EncodeDate(2023, 12, 31)), {}));
  EXPECT_EQ(Data.FieldByName(L"id")->GetAsInteger(), 5);
  EXPECT_TRUE(Data.Locate(L"e1", L"2024-02-01", {}));  // dates given as text
  EXPECT_EQ(Data.FieldByName(L"id")->GetAsInteger(), 2);
  EXPECT_TRUE(Data.Locate(L"e1", Variant::Null(), {}));
  EXPECT_EQ(Data.FieldByName(L"id")->GetAsInteger(), 3);
  EXPECT_TRUE(Data.Locate(L"score", L"0.25", {}));
  EXPECT_EQ(Data.FieldByName(L"id")->GetAsInteger(), 3);
  EXPECT_THROW(Data.Locate(L"e3;ok", Variant(3), {}), EDatabaseError);
  EXPECT_THROW(Data.Locate(L"zz", Variant(3), {}), EDatabaseError);
}

TEST_F(LocateTest, LocatePostsAndFiresScrollEvents) {
  Data.Open();
  int scrolls = 0;
  Data.AfterScroll = [&scrolls](TDataSet*) { ++scrolls; };
  Data.Edit();
  Data.FieldByName(L"e3")->SetAsInteger(1);
  EXPECT_TRUE(Data.Locate(L"id", 4, {}));
  EXPECT_EQ(Data.Log.back(), L"post 1");
  EXPECT_EQ(scrolls, 1);
}

TEST_F(LocateTest, LookupDoesNotMove) {
  Data.Open();
  Data.Next();
  Variant found = Data.Lookup(L"a1", L"Cherry", L"score");
  EXPECT_DOUBLE_EQ(found.AsDouble(), 0.25);
  EXPECT_EQ(Data.GetRecNo(), 2);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"banana");
  EXPECT_TRUE(VarIsNull(Data.Lookup(L"a1", L"Nothing", L"score")));
  EXPECT_TRUE(VarIsNull(Data.Lookup(L"a1", L"banana", L"note")));
}

using BookmarkTest = DBTest;

TEST_F(BookmarkTest, ReturnsToTheMarkedRowAfterSortingAndInserting) {
  Data.Open();
  Data.SetRecNo(4);
  TBookmark mark = Data.GetBookmark();
  Data.First();
  Data.Insert();
  Data.FieldByName(L"a1")->SetAsString(L"new");
  Data.Post();
  Data.SetSort(L"a1 desc");
  EXPECT_TRUE(Data.BookmarkValid(mark));
  Data.GotoBookmark(mark);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"apricot");
  TBookmark other = Data.GetBookmark();
  Data.First();
  EXPECT_EQ(Data.CompareBookmarks(Data.GetBookmark(), other), -1);
}

TEST_F(BookmarkTest, DeletedOrFilteredRowIsNotFound) {
  Data.SetName(L"Q");
  Data.Open();
  Data.Next();
  TBookmark mark = Data.GetBookmark();
  Data.SetFilter(L"id <> 2");
  Data.SetFiltered(true);
  EXPECT_FALSE(Data.BookmarkValid(mark));
  EXPECT_EQ(DatabaseErrorText([&] { Data.GotoBookmark(mark); }), L"Q: Record not found");
  Data.SetFiltered(false);
  Data.GotoBookmark(mark);
  Data.Delete();
  EXPECT_FALSE(Data.BookmarkValid(mark));
  EXPECT_THROW(Data.GotoBookmark(TBookmark()), EDatabaseError);
}

using CloneTest = DBTest;

TEST_F(CloneTest, CloneIsAnIndependentCursorOnTheSameRows) {
  Data.Open();
  Data.SetFilter(L"e3 = 3");
  Data.SetFiltered(true);
  TTestDataSet clone;
  clone.Backing = Data.Backing;  // the same table behind both
  clone.Clone(&Data);
  EXPECT_EQ(clone.GetRecordCount(), 5);  // the clone has no filter
  EXPECT_EQ(clone.Log.size(), 0u);       // and reads nothing itself
  clone.Last();
  EXPECT_EQ(Data.GetRecNo(), 1);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Apple");

  // A change through the clone is seen through the source, and bookmarks carry over.
  clone.SetRecNo(4);
  TBookmark mark = clone.GetBookmark();
  clone.Edit();
  clone.FieldByName(L"a1")->SetAsString(L"Apricot!");
  clone.Post();
  Data.GotoBookmark(mark);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Apricot!");

  // Rows deleted or added through one cursor leave or join the other.
  clone.First();
  clone.Delete();
  EXPECT_EQ(Data.GetRecordCount(), 1);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Apricot!");
  clone.Append();
  clone.FieldByName(L"a1")->SetAsString(L"Fig");
  clone.FieldByName(L"e3")->SetAsInteger(3);
  clone.Post();
  EXPECT_EQ(clone.GetRecordCount(), 5);
  Data.SetFiltered(false);
  Data.SetFiltered(true);
  EXPECT_EQ(Data.GetRecordCount(), 2);

  // Closing the source leaves the clone's rows alone.
  Data.Close();
  EXPECT_EQ(clone.GetRecordCount(), 5);
  EXPECT_EQ(clone.FieldByName(L"a1")->GetAsString(), L"Fig");
}

TEST_F(CloneTest, CloneOfAClosedDataSetFails) {
  TTestDataSet clone;
  EXPECT_EQ(DatabaseErrorText([&] { clone.Clone(&Data); }),
            L"Cannot perform this operation on a closed dataset");
}

// Rows are found by Id (bookmarks name rows so) through insertions, removals and Clear;
// Ids are never given twice, and values are fitted to the columns.
TEST(ClientRowsTest, FindsRowsByIdThroughInsertsRemovalsAndClear) {
  TClientRows rows;
  rows.AddColumn(Column(L"id", ftInteger));
  rows.AddColumn(Column(L"name", ftString, 10));
  const int64_t first = rows.AddRow({Variant(1), Variant(L"a")}).Id;
  const int64_t second = rows.AddRow({Variant(2)}).Id;  // name padded with Null
  const int64_t inserted = rows.InsertRow({Variant(3), Variant(L"c"), Variant(L"extra")}, second)->Id;
  const int64_t atEnd = rows.InsertRow({Variant(4)}, 999)->Id;  // unknown: appended
  ASSERT_EQ(rows.GetRowCount(), 4);
  EXPECT_EQ(rows.GetRow(1).Id, inserted);
  EXPECT_EQ(rows.GetRow(3).Id, atEnd);
  EXPECT_TRUE(rows.FindRow(second)->Values[1].IsNull());
  EXPECT_EQ(rows.FindRow(inserted)->Values.size(), 2u);
  for (int64_t id : {int64_t{0}, int64_t{-1}, atEnd + 1}) EXPECT_EQ(rows.FindRow(id), nullptr) << id;

  rows.RemoveRow(first);
  rows.RemoveRow(first);  // already gone: ignored
  EXPECT_EQ(rows.FindRow(first), nullptr);
  EXPECT_EQ(rows.FindRow(inserted)->Values[0].AsInteger(), 3);
  EXPECT_EQ(rows.GetRowCount(), 3);

  rows.Clear();
  const int64_t after = rows.AddRow({Variant(5), Variant(L"e")}).Id;
  EXPECT_GT(after, atEnd);
  for (int64_t id : {first, second, inserted, atEnd}) EXPECT_EQ(rows.FindRow(id), nullptr) << id;
  ASSERT_NE(rows.FindRow(after), nullptr);
  EXPECT_EQ(rows.FindRow(after)->Values[1].AsString(), L"e");
}

}  // namespace
