#include "TestDataSet.h"

#include "classlib/controls/ActnList.h"

namespace {

// A control's side of a field link: shows the field's text and writes back what was typed.
struct TFakeEdit {
  TFieldDataLink Link;
  String Text;            // what the control shows
  std::vector<std::wstring> Events;

  TFakeEdit() {
    Link.OnDataChange = [this](TObject*) {
      Text = Link.GetField() ? Link.GetField()->GetText() : L"";
      Events.push_back(L"data");
    };
    Link.OnEditingChange = [this](TObject*) {
      Events.push_back(Link.GetEditing() ? L"editing" : L"browsing");
    };
    Link.OnUpdateData = [this](TObject*) {
      Link.GetField()->SetText(Text);
      Events.push_back(L"update");
    };
    Link.OnActiveChange = [this](TObject*) { Events.push_back(Link.GetActive() ? L"active" : L"inactive"); };
  }
  // The user types: the control asks to edit, then keeps the text until the record posts.
  void Type(const String& text) {
    if (Link.Edit()) {
      Text = text;
      Link.Modified();
    }
  }
};

class DataSourceTest : public DBTest {
 protected:
  void SetUp() override {
    DBTest::SetUp();
    Source.SetDataSet(&Data);
    Edit.Link.SetDataSource(&Source);
    Edit.Link.SetFieldName(L"a1");
  }
  TDataSource Source{nullptr};
  TFakeEdit Edit;
};

TEST_F(DataSourceTest, LinkFollowsOpenScrollAndClose) {
  EXPECT_FALSE(Edit.Link.GetActive());
  Data.Open();
  EXPECT_TRUE(Edit.Link.GetActive());
  EXPECT_EQ(Edit.Link.GetField(), Data.FieldByName(L"a1"));
  EXPECT_EQ(Edit.Text, L"Apple");
  Data.Next();
  EXPECT_EQ(Edit.Text, L"banana");
  Data.Close();
  EXPECT_EQ(Edit.Link.GetField(), nullptr);
  std::vector<std::wstring> expected = {L"data", L"active", L"data", L"data", L"inactive"};
  EXPECT_EQ(Edit.Events, expected);
}

TEST_F(DataSourceTest, TypingEditsAndPostingWritesTheControlsText) {
  Data.Open();
  Source.SetAutoEdit(false);  // without AutoEdit a control starts no edit
  EXPECT_FALSE(Edit.Link.Edit());
  EXPECT_EQ(Data.GetState(), dsBrowse);
  Source.SetAutoEdit(true);
  Edit.Events.clear();
  Edit.Type(L"Avocado");
  EXPECT_EQ(Data.GetState(), dsEdit);
  EXPECT_TRUE(Edit.Link.GetEditing());
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Apple");  // not written yet
  Data.Next();  // posts: the link writes its text first
  EXPECT_EQ(Data.Backing->GetRow(0).Values[1].AsString(), L"Avocado");
  // Edit re-shows the record before the text is typed; the move then posts and scrolls.
  std::vector<std::wstring> expected = {L"editing", L"data", L"update", L"browsing", L"data", L"data"};
  EXPECT_EQ(Edit.Events, expected);
}

TEST_F(DataSourceTest, SourceEventsAndEnabled) {
  std::vector<std::wstring> events;
  Source.OnStateChange = [&](TObject*) { events.push_back(L"state " + std::to_wstring(Source.GetState())); };
  Source.OnDataChange = [&](TObject*, TField* field) {
    events.push_back(field ? L"field " + field->GetFieldName() : L"data");
  };
  Source.OnUpdateData = [&](TObject*) { events.push_back(L"update"); };
  Data.Open();
  Data.Edit();
  Data.FieldByName(L"e3")->SetAsInteger(4);
  Data.Post();
  std::vector<std::wstring> expected = {L"state 1", L"data", L"state 2", L"data", L"field e3",
                                        L"update", L"state 1", L"data"};
  EXPECT_EQ(events, expected);
  events.clear();
  Source.SetEnabled(false);
  EXPECT_EQ(Source.GetState(), dsInactive);
  EXPECT_FALSE(Edit.Link.GetActive());
  Data.Next();
  EXPECT_EQ(events, std::vector<std::wstring>{L"state 0"});
  Source.SetEnabled(true);
  EXPECT_EQ(Edit.Text, L"banana");
}

TEST_F(DataSourceTest, DisableControlsSendsOneChangeWhenEnabled) {
  Data.Open();
  Edit.Events.clear();
  Data.DisableControls();
  Data.DisableControls();
  for (int i = 0; i < 3; ++i) Data.Next();
  Data.EnableControls();
  EXPECT_TRUE(Edit.Events.empty());
  Data.EnableControls();
  EXPECT_EQ(Edit.Events, std::vector<std::wstring>{L"data"});
  EXPECT_EQ(Edit.Text, L"apricot");
  EXPECT_FALSE(Data.ControlsDisabled());
}

TEST_F(DataSourceTest, MissingFieldNamesTheControl) {
  TComponent control(nullptr);
  control.SetName(L"DBEdit1");
  Edit.Link.SetControl(&control);
  Edit.Link.SetFieldName(L"zz");
  EXPECT_EQ(DatabaseErrorText([&] { Data.Open(); }), L"DBEdit1: Field 'zz' not found");
}

TEST_F(DataSourceTest, FreeingTheDataSetOrSourceUnlinks) {
  auto* data = new TTestDataSet(nullptr);
  FillQuestions(*data->Backing);
  data->Open();
  Source.SetDataSet(data);
  EXPECT_TRUE(Edit.Link.GetActive());
  delete data;
  EXPECT_EQ(Source.GetDataSet(), nullptr);
  EXPECT_FALSE(Edit.Link.GetActive());
  {
    TDataSource temporary(nullptr);
    Edit.Link.SetDataSource(&temporary);
  }
  EXPECT_EQ(Edit.Link.GetDataSource(), nullptr);
}

// The window of rows a grid shows: which row is active and what the others hold.
TEST_F(DataSourceTest, BufferWindowFollowsTheCurrentRow) {
  TDataLink grid;
  grid.SetBufferCount(3);
  grid.SetDataSource(&Source);
  Data.Open();
  EXPECT_EQ(grid.GetRecordCount(), 3);
  EXPECT_EQ(grid.GetActiveRecord(), 0);
  Data.Last();
  EXPECT_EQ(grid.GetFirstRecord(), 2);
  EXPECT_EQ(grid.GetActiveRecord(), 2);
  grid.SetActiveRecord(0);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Cherry");
  grid.SetActiveRecord(2);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Date");
  Data.First();
  EXPECT_EQ(grid.GetFirstRecord(), 0);
  Data.Append();  // the new row shows at the end of the window
  EXPECT_EQ(grid.GetFirstRecord(), 3);
  EXPECT_EQ(grid.GetActiveRecord(), 2);
  grid.SetActiveRecord(1);
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Date");
  grid.SetActiveRecord(2);
  Data.Cancel();
  EXPECT_EQ(grid.GetRecordCount(), 3);
  grid.SetDataSource(nullptr);
}

// An action aimed at data sources, as navigation actions are.
class TNextAction : public TBasicAction {
 public:
  using TBasicAction::TBasicAction;
  bool HandlesTarget(TObject* target) override { return dynamic_cast<TDataSource*>(target) != nullptr; }
  void ExecuteTarget(TObject* target) override { static_cast<TDataSource*>(target)->GetDataSet()->Next(); }
  void UpdateTarget(TObject* target) override {
    AtEnd = static_cast<TDataSource*>(target)->GetDataSet()->GetEof() ? 1 : 0;
  }
  int AtEnd = -1;  // what the last update found: 1 at the end, 0 not, -1 not updated
};

TEST_F(DataSourceTest, ActionsReachTheDataSource) {
  Data.Open();
  TNextAction action(nullptr);
  EXPECT_TRUE(Edit.Link.ExecuteAction(&action));
  EXPECT_EQ(Data.GetRecNo(), 2);
  EXPECT_TRUE(Edit.Link.UpdateAction(&action));
  EXPECT_EQ(action.AtEnd, 0);
  Data.Last();
  Data.Next();
  EXPECT_TRUE(Edit.Link.UpdateAction(&action));
  EXPECT_EQ(action.AtEnd, 1);
  TBasicAction other(nullptr);
  EXPECT_FALSE(Edit.Link.ExecuteAction(&other));
  EXPECT_FALSE(Edit.Link.UpdateAction(&other));
}

}  // namespace
