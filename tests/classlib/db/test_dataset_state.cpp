#include "TestDataSet.h"

namespace {

using DataSetStateTest = DBTest;

TEST_F(DataSetStateTest, OpenAndCloseChangeStateAndFields) {
  EXPECT_TRUE(Data.IsEmpty());
  Data.Open();
  EXPECT_EQ(Data.GetFieldCount(), 7);
  EXPECT_EQ(Data.GetRecordCount(), 5);
  EXPECT_EQ(Data.FieldByName(L"A1")->GetAsString(), L"Apple");
  Data.Close();
  EXPECT_EQ(Data.GetState(), dsInactive);
  EXPECT_EQ(Data.GetFieldCount(), 0);
  EXPECT_EQ(DatabaseErrorText([&] { Data.GetRecordCount(); }),
            L"Cannot perform this operation on a closed dataset");
}

TEST_F(DataSetStateTest, NavigationSetsBofAndEof) {
  Data.Open();
  Data.Last();
  EXPECT_TRUE(Data.GetEof());
  EXPECT_EQ(Data.GetRecNo(), 5);
  Data.Prior();
  EXPECT_FALSE(Data.GetEof());
  EXPECT_EQ(Data.MoveBy(-10), -3);
  EXPECT_TRUE(Data.GetBof());
  EXPECT_EQ(Data.GetRecNo(), 1);
  Data.SetRecNo(5);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Date");
  Data.SetRecNo(9);  // out of range: ignored
  EXPECT_EQ(Data.GetRecNo(), 5);
  Data.Next();
  EXPECT_TRUE(Data.GetEof());
  EXPECT_EQ(Data.GetRecNo(), 5);
}

TEST_F(DataSetStateTest, EmptyDataSet) {
  while (Data.Backing->GetRowCount() > 0) Data.Backing->RemoveRow(Data.Backing->GetRow(0).Id);
  Data.Open();
  EXPECT_TRUE(Data.IsEmpty());
  EXPECT_TRUE(Data.GetBof());
  EXPECT_TRUE(Data.GetEof());
  EXPECT_EQ(Data.GetRecNo(), 0);
  EXPECT_TRUE(Data.FieldByName(L"a1")->GetIsNull());
  EXPECT_EQ(Data.FieldByName(L"e3")->GetAsInteger(), 0);
  EXPECT_EQ(DatabaseErrorText([&] { Data.Delete(); }),
            L"Cannot perform this operation on an empty dataset");
  Data.Edit();  // edit on an empty data set inserts
  EXPECT_EQ(Data.GetState(), dsInsert);
}

TEST_F(DataSetStateTest, EditPostWritesBackAndCancelRestores) {
  Data.Open();
  Data.Next();
  Data.Edit();
  EXPECT_EQ(Data.GetState(), dsEdit);
  Data.FieldByName(L"a1")->SetAsString(L"Blueberry");
  EXPECT_TRUE(Data.GetModified());
  Data.Post();
  EXPECT_EQ(Data.GetState(), dsBrowse);
  EXPECT_EQ(Data.Log.back(), L"post 2");
  EXPECT_EQ(Data.Backing->GetRow(1).Values[1].AsString(), L"Blueberry");

  Data.Edit();
  Data.FieldByName(L"a1")->SetAsString(L"Gone");
  Data.Cancel();
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Blueberry");
  EXPECT_EQ(Data.Backing->GetRow(1).Values[1].AsString(), L"Blueberry");
}

TEST_F(DataSetStateTest, InsertAndAppendPlaceTheNewRow) {
  Data.Open();
  Data.Next();
  Data.Insert();
  EXPECT_EQ(Data.GetRecNo(), -1);
  EXPECT_FALSE(Data.GetBof());
  EXPECT_FALSE(Data.GetEof());
  Data.FieldByName(L"a1")->SetAsString(L"Inserted");
  Data.Post();
  EXPECT_EQ(Data.GetRecNo(), 2);
  EXPECT_EQ(Data.FieldByName(L"id")->GetAsInteger(), 100);  // key given by the writer
  Data.Append();
  EXPECT_TRUE(Data.GetEof());
  Data.FieldByName(L"a1")->SetAsString(L"Appended");
  Data.Post();
  EXPECT_EQ(Data.GetRecNo(), 7);
  EXPECT_EQ(Names(Data), L"Apple,Inserted,banana,Cherry,apricot,Date,Appended");
  EXPECT_EQ(Data.Backing->GetRowCount(), 7);
}

TEST_F(DataSetStateTest, DeleteMovesToTheNextRowAndAtTheEndSetsEof) {
  Data.Open();
  Data.Next();
  Data.Delete();
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Cherry");
  EXPECT_EQ(Data.Log.back(), L"delete 2");
  Data.Last();
  Data.Delete();
  EXPECT_TRUE(Data.GetEof());
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"apricot");
  // The usual loop deleting rows ends.
  Data.First();
  int steps = 0;
  while (!Data.GetEof() && steps++ < 10) Data.Delete();
  EXPECT_TRUE(Data.IsEmpty());
  EXPECT_EQ(Data.Backing->GetRowCount(), 0);
}

TEST_F(DataSetStateTest, MovingClosingOrRefreshingPostsAModifiedRecord) {
  Data.Open();
  Data.Edit();
  Data.FieldByName(L"e3")->SetAsInteger(9);
  Data.Next();
  EXPECT_EQ(Data.GetState(), dsBrowse);
  EXPECT_EQ(Data.Log.back(), L"post 1");

  Data.Edit();
  Data.FieldByName(L"e3")->SetAsInteger(8);
  Data.Close();
  EXPECT_EQ(Data.Backing->GetRow(1).Values[2].AsInteger(), 8);

  Data.Open();
  Data.Edit();
  Data.FieldByName(L"e3")->SetAsInteger(7);
  Data.Refresh();
  EXPECT_EQ(Data.GetState(), dsBrowse);
  EXPECT_EQ(Data.Log.back(), L"post 1");
  EXPECT_EQ(Data.FieldByName(L"e3")->GetAsInteger(), 7);

  // An insert nobody typed into is dropped, not posted.
  Data.Append();
  Data.First();
  EXPECT_EQ(Data.GetRecordCount(), 5);
}

TEST_F(DataSetStateTest, RefreshReadsTheRowsAgain) {
  Data.Open();
  Data.Next();
  Data.Backing->GetRow(1).Values[1] = L"changed elsewhere";
  Data.Backing->RemoveRow(Data.Backing->GetRow(0).Id);
  Data.Refresh();
  EXPECT_EQ(Data.GetRecordCount(), 4);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"changed elsewhere");
}

// Requery runs the data set again: rows added where they are stored come in.
TEST_F(DataSetStateTest, RequeryPostsFirstAndReadsEveryRowAgain) {
  Data.Open();
  Data.SetRecNo(2);
  Data.Edit();
  Data.FieldByName(L"a1")->SetAsString(L"Blackberry");
  Data.Backing->AddRow({6, L"Elder", 1, Variant::Null(), false, 0.5, Variant::Null()});
  Data.Requery();
  EXPECT_EQ(Data.GetState(), dsBrowse);
  std::vector<String> tail(Data.Log.end() - 3, Data.Log.end());
  EXPECT_EQ(tail, (std::vector<String>{L"post 2", L"close", L"open"}));
  EXPECT_EQ(Data.GetRecordCount(), 6);
  EXPECT_EQ(Data.GetRecNo(), 1);
  EXPECT_EQ(Data.Lookup(L"id", 2, L"a1").AsString(), L"Blackberry");
}

TEST_F(DataSetStateTest, ErrorsCarryTheDataSetName) {
  Data.SetName(L"Cn1Query1");
  Data.Open();
  EXPECT_EQ(DatabaseErrorText([&] { Data.Post(); }),
            L"Cn1Query1: Dataset not in edit or insert mode");
  EXPECT_EQ(DatabaseErrorText([&] { Data.FieldByName(L"A9"); }), L"Cn1Query1: Field 'A9' not found");
  EXPECT_EQ(DatabaseErrorText([&] { Data.FieldByName(L"a1")->SetAsString(L"x"); }),
            L"Cn1Query1: Dataset not in edit or insert mode");
  EXPECT_EQ(Data.FindField(L"A9"), nullptr);
  Data.ReadOnlyMode = true;
  EXPECT_EQ(DatabaseErrorText([&] { Data.Edit(); }), L"Cn1Query1: Cannot modify a read-only dataset");
  EXPECT_EQ(DatabaseErrorText([&] { Data.Append(); }), L"Cn1Query1: Cannot modify a read-only dataset");
  EXPECT_EQ(DatabaseErrorText([&] { Data.Delete(); }), L"Cn1Query1: Cannot modify a read-only dataset");
  EXPECT_EQ(Data.GetState(), dsBrowse);
}

TEST_F(DataSetStateTest, FailedPostStaysInEditMode) {
  Data.Open();
  Data.Edit();
  Data.FieldByName(L"a1")->SetAsString(L"kept");
  Data.FailNextPost = true;
  EXPECT_EQ(DatabaseErrorText([&] { Data.Post(); }), L"write failed");
  EXPECT_EQ(Data.GetState(), dsEdit);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"kept");
  Data.Post();
  EXPECT_EQ(Data.Backing->GetRow(0).Values[1].AsString(), L"kept");
}

TEST_F(DataSetStateTest, RequiredAndReadOnlyColumns) {
  Data.Backing->GetColumn(1).Required = true;
  Data.Backing->GetColumn(0).ReadOnly = true;
  Data.Open();
  Data.Append();
  EXPECT_EQ(DatabaseErrorText([&] { Data.FieldByName(L"id")->SetAsInteger(5); }),
            L"Field 'id' cannot be modified");
  Data.FieldByName(L"e3")->SetAsInteger(1);
  EXPECT_EQ(DatabaseErrorText([&] { Data.Post(); }), L"Field 'a1' must have a value");
  EXPECT_FALSE(Data.FieldByName(L"id")->GetCanModify());
  EXPECT_TRUE(Data.FieldByName(L"a1")->GetCanModify());
}

TEST_F(DataSetStateTest, EventsComeInTheClassLibrarysOrder) {
  std::vector<std::wstring> events;
  const std::pair<TDataSetNotifyEvent*, const wchar_t*> handlers[] = {
      {&Data.BeforeOpen, L"BeforeOpen"},     {&Data.AfterOpen, L"AfterOpen"},
      {&Data.BeforeScroll, L"BeforeScroll"}, {&Data.AfterScroll, L"AfterScroll"},
      {&Data.BeforeInsert, L"BeforeInsert"}, {&Data.AfterInsert, L"AfterInsert"},
      {&Data.BeforePost, L"BeforePost"},     {&Data.AfterPost, L"AfterPost"},
      {&Data.BeforeEdit, L"BeforeEdit"},     {&Data.AfterEdit, L"AfterEdit"},
      {&Data.BeforeCancel, L"BeforeCancel"}, {&Data.AfterCancel, L"AfterCancel"},
      {&Data.BeforeDelete, L"BeforeDelete"}, {&Data.AfterDelete, L"AfterDelete"},
      {&Data.BeforeClose, L"BeforeClose"},   {&Data.AfterClose, L"AfterClose"}};
  for (const auto& [handler, name] : handlers)
    *handler = [&events, name = name](TDataSet*) { events.push_back(name); };
  Data.OnNewRecord = [&events](TDataSet* ds) {
    events.push_back(L"OnNewRecord");
    ds->FieldByName(L"e3")->SetAsInteger(0);
  };
  Data.Open();
  Data.Next();
  Data.Insert();
  EXPECT_FALSE(Data.GetModified());  // defaults of OnNewRecord are no change
  Data.FieldByName(L"a1")->SetAsString(L"n");
  Data.Post();
  Data.Edit();
  Data.Cancel();
  Data.Delete();
  Data.Close();
  std::vector<std::wstring> expected = {
      L"BeforeOpen", L"AfterOpen", L"AfterScroll", L"BeforeScroll", L"AfterScroll",
      L"BeforeInsert", L"BeforeScroll", L"OnNewRecord", L"AfterInsert", L"AfterScroll",
      L"BeforePost", L"AfterPost", L"BeforeEdit", L"AfterEdit", L"BeforeCancel", L"AfterCancel",
      L"BeforeDelete", L"BeforeScroll", L"AfterDelete", L"AfterScroll", L"BeforeClose",
      L"AfterClose"};
  EXPECT_EQ(events, expected);
}

TEST_F(DataSetStateTest, CalculatedFieldsAreSetInCalcState) {
  auto* doubled = new TIntegerField(nullptr);
  doubled->SetFieldName(L"doubled");
  doubled->SetFieldKind(fkCalculated);
  std::unique_ptr<TField> owner(doubled);
  for (const wchar_t* name : {L"id", L"a1", L"e3"}) {
    TField* field = name == std::wstring(L"a1") ? static_cast<TField*>(new TStringField(&Data))
                                                : new TIntegerField(&Data);
    field->SetFieldName(name);
    field->SetDataSet(&Data);
  }
  doubled->SetDataSet(&Data);
  TDataSetState seen = dsInactive;
  Data.OnCalcFields = [&](TDataSet* ds) {
    seen = ds->GetState();
    ds->FieldByName(L"doubled")->SetAsInteger(ds->FieldByName(L"e3")->GetAsInteger() * 2);
  };
  Data.Open();
  EXPECT_EQ(Data.GetFieldCount(), 4);  // persistent fields only
  EXPECT_EQ(doubled->GetAsInteger(), 6);
  EXPECT_EQ(seen, dsCalcFields);
  EXPECT_EQ(Data.GetState(), dsBrowse);
  Data.Next();
  EXPECT_EQ(doubled->GetAsInteger(), 0);
  Data.Edit();
  Data.FieldByName(L"e3")->SetAsInteger(21);
  EXPECT_EQ(doubled->GetAsInteger(), 42);
  EXPECT_FALSE(doubled->GetCanModify());
  Data.Cancel();
  Data.Close();
  doubled->SetDataSet(nullptr);
}

TEST_F(DataSetStateTest, PersistentFieldMissingFromTheRowsFailsTheOpen) {
  Data.SetName(L"Q");
  auto* field = new TStringField(&Data);
  field->SetFieldName(L"nope");
  field->SetDataSet(&Data);
  EXPECT_EQ(DatabaseErrorText([&] { Data.Open(); }), L"Q: Field 'nope' not found");
  EXPECT_FALSE(Data.GetActive());
  EXPECT_EQ(DatabaseErrorText([&] {
    Data.Backing->AddColumn(Column(L"nope", ftString));
    Data.Open();
    field->SetDataSet(nullptr);
  }), L"Q: Cannot perform this operation on an open dataset");
}

}  // namespace
