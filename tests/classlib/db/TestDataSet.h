// A data set over rows kept in memory, standing in for a database table: opening copies
// the backing rows, posting and deleting write them back by the key column "id", and a
// refresh reads them again. Every hook call is logged.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/db/DB.h"
#include "classlib/system/SysDate.h"
#include "tests/ErrorMessages.h"

class TTestDataSet : public TDataSet {
  CLASSLIB_CLASS(TTestDataSet, TDataSet)
  explicit TTestDataSet(TComponent* owner = nullptr) : TDataSet(owner) {}
  ~TTestDataSet() override {
    Destroying();
    Close();
  }

  std::shared_ptr<TClientRows> Backing = std::make_shared<TClientRows>();  // the "table"
  bool ReadOnlyMode = false;
  bool FailNextPost = false;          // InternalPostRow raises once
  std::vector<String> Log;            // "open", "post 3", "insert", "delete 2", "close"
  int64_t NextKey = 100;              // keys given to inserted rows without one

  bool GetCanModify() const override { return !ReadOnlyMode; }

 protected:
  std::shared_ptr<TClientRows> InternalOpenRows() override {
    Log.push_back(L"open");
    auto rows = std::make_shared<TClientRows>();
    for (int i = 0; i < Backing->GetColumnCount(); ++i) rows->AddColumn(Backing->GetColumn(i));
    for (int i = 0; i < Backing->GetRowCount(); ++i) rows->AddRow(Backing->GetRow(i).Values);
    return rows;
  }
  void InternalClose() override { Log.push_back(L"close"); }
  void InternalPostRow(TClientRow& row, const TClientRow* oldRow, bool isInsert) override {
    if (FailNextPost) {
      FailNextPost = false;
      throw EDatabaseError(L"write failed");
    }
    int key = Backing->IndexOfColumn(L"id");
    if (isInsert) {
      if (row.Values[key].IsNull()) row.Values[key] = static_cast<long long>(NextKey++);
      Backing->AddRow(row.Values);
      Log.push_back(L"insert " + VarToStr(row.Values[key]));
      return;
    }
    TClientRow* stored = FindBacking(oldRow->Values[key]);
    ASSERT_NE(stored, nullptr);
    stored->Values = row.Values;
    Log.push_back(L"post " + VarToStr(oldRow->Values[key]));
  }
  void InternalDeleteRow(const TClientRow& row) override {
    int key = Backing->IndexOfColumn(L"id");
    TClientRow* stored = FindBacking(row.Values[key]);
    if (stored) Backing->RemoveRow(stored->Id);
    Log.push_back(L"delete " + VarToStr(row.Values[key]));
  }
  bool InternalRefreshRow(TClientRow& row) override {
    TClientRow* stored = FindBacking(row.Values[Backing->IndexOfColumn(L"id")]);
    if (!stored) return false;
    row.Values = stored->Values;
    return true;
  }

 private:
  TClientRow* FindBacking(const Variant& key) {
    int column = Backing->IndexOfColumn(L"id");
    for (int i = 0; i < Backing->GetRowCount(); ++i)
      if (Backing->GetRow(i).Values[column] == key) return &Backing->GetRow(i);
    return nullptr;
  }
};

inline TColumnInfo Column(const wchar_t* name, TFieldType type, int size = 0) {
  TColumnInfo column;
  column.Name = name;
  column.DataType = type;
  column.Size = size;
  return column;
}

// A small question table: id, a1 (text), e3 (small integer), e1 (date), ok (boolean),
// score (float), note (memo).
inline void FillQuestions(TClientRows& rows) {
  rows.AddColumn(Column(L"id", ftInteger));
  rows.AddColumn(Column(L"a1", ftString, 20));
  rows.AddColumn(Column(L"e3", ftSmallint));
  rows.AddColumn(Column(L"e1", ftDateTime));
  rows.AddColumn(Column(L"ok", ftBoolean));
  rows.AddColumn(Column(L"score", ftFloat));
  rows.AddColumn(Column(L"note", ftMemo));
  auto date = [](int y, int m, int d) { return Variant::FromDateTime(EncodeDate(y, m, d)); };
  rows.AddRow({1, L"Apple", 3, date(2024, 1, 5), true, 1.5, L"first"});
  rows.AddRow({2, L"banana", 0, date(2024, 2, 1), false, 2.5, Variant::Null()});
  rows.AddRow({3, L"Cherry", 7, Variant::Null(), true, 0.25, L"it's"});
  rows.AddRow({4, L"apricot", 3, date(2024, 1, 5), false, 10.0, Variant::Null()});
  rows.AddRow({5, L"Date", -2, date(2023, 12, 31), true, 3.0, L"last"});
}

// Fixes the locale settings for the test and restores them afterwards.
class DBTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FSaved = FormatSettings;
    FormatSettings = DefaultFormatSettings();
    FillQuestions(*Data.Backing);
  }
  void TearDown() override { FormatSettings = FSaved; }

  // The a1 values of the view, in order, joined with ','.
  std::wstring Names(TDataSet& ds) {
    std::wstring names;
    ds.First();
    for (int guard = 0; !ds.GetEof() && guard < 1000; ++guard) {
      if (!names.empty()) names += L',';
      names += ds.FieldByName(L"a1")->GetAsString();
      ds.Next();
    }
    return names;
  }

  TTestDataSet Data;

 private:
  TFormatSettings FSaved;
};

// The message of the EDatabaseError action raises ("no error" when none).
inline String DatabaseErrorText(const std::function<void()>& action) {
  return ErrorMessageOf<EDatabaseError>(action, L"no error");
}
