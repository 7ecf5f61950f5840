#include "TestDataSet.h"

namespace {

class FilterTest : public DBTest {
 protected:
  // The a1 values of the rows the filter lets through.
  std::wstring Filtered(TTestDataSet& data, const wchar_t* filter) {
    data.SetFilter(filter);
    data.SetFiltered(true);
    return Names(data);
  }
};

TEST_F(FilterTest, ComparisonsLikeNullsDatesAndParentheses) {
  Data.Open();
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"e3 <> 3", L"banana,Cherry,Date"},          {L"e3 > 0 and e3 <= 3", L"Apple,apricot"},
      {L"e3 < 0 or e3 >= 7", L"Cherry,Date"},       {L"score >= 2.5", L"banana,apricot,Date"},
      {L"ok = true", L"Apple,Cherry,Date"},         {L"a1 LIKE '%rr%'", L"Cherry"},
      {L"a1 like '*e'", L"Apple,Date"},             {L"a1 not like '*a*'", L"Cherry"},
      {L"note is not null", L"Apple,Cherry,Date"},  {L"e1 = null", L"Cherry"},
      {L"e1 = #2024-01-05#", L"Apple,apricot"},     {L"e1 < #1/1/2024#", L"Date"},
      {L"a1 like 'a*'", L"Apple,apricot"},
      {L"(e3 = 3 or e3 = 7) and (ok = false or a1 like 'c*')", L"Cherry,apricot"}};
  for (const auto& [filter, rows] : cases) EXPECT_EQ(Filtered(Data, filter), rows) << StringToUtf8(filter);
}

TEST_F(FilterTest, TextIsComparedWithoutRegardToCase) {
  Data.Open();
  EXPECT_EQ(Filtered(Data, L"a1 = 'APPLE'"), L"Apple");
  EXPECT_EQ(Filtered(Data, L"[a1] = \"banana\""), L"banana");
  EXPECT_EQ(Filtered(Data, L"a1 > 'b'"), L"banana,Cherry,Date");
  EXPECT_EQ(Filtered(Data, L"note = 'it''s'"), L"Cherry");
  EXPECT_EQ(Filtered(Data, L"a1 = 'ap*'"), L"Apple,apricot");  // partial compare
  EXPECT_EQ(Filtered(Data, L"a1 = 'Apple*'"), L"Apple");  // the whole value is a prefix too
  Data.SetFilterOptions({foNoPartialCompare});
  EXPECT_EQ(Filtered(Data, L"a1 = 'ap*'"), L"");
}

TEST_F(FilterTest, RecNoAndRecordCountCountTheFilteredRows) {
  Data.Open();
  Data.SetFilter(L"ok = true");
  Data.SetFiltered(true);
  EXPECT_EQ(Data.GetRecordCount(), 3);
  Data.Last();
  EXPECT_EQ(Data.GetRecNo(), 3);
  Data.SetRecNo(2);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Cherry");
  // A posted change does not drop the row from the view until the filter is set again.
  Data.Edit();
  Data.FieldByName(L"ok")->SetAsBoolean(false);
  Data.Post();
  EXPECT_EQ(Data.GetRecordCount(), 3);
  Data.SetFiltered(false);
  Data.SetFiltered(true);
  EXPECT_EQ(Data.GetRecordCount(), 2);
  Data.SetFiltered(false);
  EXPECT_EQ(Data.GetRecordCount(), 5);
}

TEST_F(FilterTest, OnFilterRecordJoinsTheFilterText) {
  Data.Open();
  TDataSetState state = dsInactive;
  Data.OnFilterRecord = [&state](TDataSet* ds, bool& accept) {
    state = ds->GetState();
    accept = ds->FieldByName(L"score")->GetAsFloat() < 5;
  };
  EXPECT_EQ(Filtered(Data, L"e3 = 3"), L"Apple");
  EXPECT_EQ(state, dsFilter);
}

TEST_F(FilterTest, BadFiltersAreRefusedAndTheOldOneKept) {
  Data.SetName(L"T");
  Data.Open();
  Data.SetFilter(L"e3 = 3");
  Data.SetFiltered(true);
  for (const wchar_t* bad : {L"e3 = ", L"e3 = 'x", L"(e3 = 3", L"e3 3", L"e3 = 3 and", L"e3 ~ 1",
                             L"e3 = #13/45/2020#", L"e3 = 'abc'"}) {
    EXPECT_THROW(Data.SetFilter(bad), EDatabaseError) << std::wstring(bad).size();
  }
  EXPECT_EQ(DatabaseErrorText([&] { Data.SetFilter(L"zz = 1"); }), L"T: Field 'zz' not found");
  EXPECT_EQ(Data.GetFilter(), L"e3 = 3");
  EXPECT_EQ(Data.GetRecordCount(), 2);
  std::wstring deep(200, L'(');
  EXPECT_THROW(Data.SetFilter(deep + L"e3 = 1"), EDatabaseError);
}

using SortTest = DBTest;

TEST_F(SortTest, SortsByOneOrMoreFields) {
  Data.SetSort(L"a1");  // set before the open, applied by it
  Data.Open();
  EXPECT_EQ(Names(Data), L"Apple,apricot,banana,Cherry,Date");
  Data.SetSort(L"e3 DESC, a1 ASC");
  EXPECT_EQ(Names(Data), L"Cherry,Apple,apricot,banana,Date");
  Data.SetSort(L"[e1] asc");
  EXPECT_EQ(Names(Data), L"Cherry,Date,Apple,apricot,banana");  // Null first, ties kept in order
  Data.SetSort(L"");
  EXPECT_EQ(Names(Data), L"Apple,banana,Cherry,apricot,Date");
}

TEST_F(SortTest, SortAndFilterTogetherAndUnknownField) {
  Data.Open();
  Data.SetFilter(L"e3 >= 0");
  Data.SetFiltered(true);
  Data.SetSort(L"score DESC");
  EXPECT_EQ(Names(Data), L"apricot,banana,Apple,Cherry");
  EXPECT_THROW(Data.SetSort(L"nothing"), EDatabaseError);
  EXPECT_EQ(Data.GetSort(), L"score DESC");
  EXPECT_EQ(Names(Data), L"apricot,banana,Apple,Cherry");
}

}  // namespace
