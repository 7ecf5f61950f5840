// The data-aware label, edit and memo as real windows over the questions data set: they
// follow the record, typing puts the data set into edit mode and the text reaches the
// table on post, read-only links and data sets refuse typing, and layouts keep them.
#include "DBWindowTestSupport.h"

#include "classlib/classes/Layouts.h"
#include "classlib/db/DBCtrls.h"
#include "classlib/db/DBGrids.h"

using namespace db_window_tests;

namespace {

class DBControlTest : public DBWindowTest {
 protected:
  // A data-aware edit on field a1, over the open data set, in the shown host.
  TDBEdit* ShownEdit(bool readOnly = false) {
    auto* edit = Place<TDBEdit>(Rect(10, 10, 160, 35));
    edit->SetDataSource(Source);
    edit->SetDataField(L"a1");
    edit->SetReadOnly(readOnly);
    Data.Open();
    ShowHost();
    return edit;
  }
};

TEST_F(DBControlTest, TextFollowsTheRecordAndAnswersWithItsLink) {
  auto* text = Place<TDBText>(Rect(10, 10, 200, 30));
  text->SetDataField(L"a1");
  text->SetDataSource(Source);
  EXPECT_EQ(text->GetCaption(), L"");  // the data set is closed
  Data.Open();
  EXPECT_EQ(text->GetCaption(), L"Apple");
  Data.Next();
  EXPECT_EQ(text->GetCaption(), L"banana");
  text->SetDataField(L"e1");
  EXPECT_EQ(text->GetCaption(), L"2/1/2024");
  auto* link = dynamic_cast<TFieldDataLink*>(GetDataLinkOf(text));
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->GetField(), Data.FieldByName(L"e1"));

  EXPECT_EQ(DatabaseErrorText([&] { text->SetDataField(L"nope"); }), L"Field 'nope' not found");
  text->SetDataField(L"a1");
  Data.Close();
  EXPECT_EQ(text->GetCaption(), L"");
  delete Source;  // the label lets go of the freed source
  EXPECT_EQ(text->GetDataSource(), nullptr);
}

TEST_F(DBControlTest, EditTypingEditsTheRecordAndPostingWritesTheTable) {
  auto* other = Place<TEdit>(Rect(10, 50, 160, 75));
  auto* edit = ShownEdit();
  EXPECT_EQ(edit->GetText(), L"Apple");
  EXPECT_EQ(edit->GetMaxLength(), 20);  // the field's size
  EXPECT_TRUE(WindowReadOnly(edit));   // until the record is edited

  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit_tests::PressKey(VK_END);
  edit_tests::Type(L"s");
  EXPECT_EQ(Data.GetState(), dsEdit);
  EXPECT_FALSE(WindowReadOnly(edit));
  EXPECT_EQ(edit->GetText(), L"Apples");
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Apple");  // not written yet

  // Leaving the edit writes its text into the field; posting writes the table.
  ASSERT_TRUE(edit_tests::FocusOn(other));
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Apples");
  Data.Post();
  EXPECT_EQ(Data.Log.back(), L"post 1");
  EXPECT_EQ(VarToStr(Data.Backing->GetRow(0).Values[1]), L"Apples");
  EXPECT_TRUE(WindowReadOnly(edit));

  // The next record shows; typed text then Escape goes back to the field's text.
  Data.Next();
  EXPECT_EQ(edit->GetText(), L"banana");
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit_tests::PressKey(VK_END);
  edit_tests::Type(L"xy");
  EXPECT_EQ(edit->GetText(), L"bananaxy");
  edit_tests::PressKey(VK_ESCAPE);
  EXPECT_EQ(edit->GetText(), L"banana");
  // A post made elsewhere takes what the edit holds first.
  edit_tests::Type(L"Z");
  Data.Post();
  EXPECT_EQ(VarToStr(Data.Backing->GetRow(1).Values[1]), L"Z");
}

// Clear, paste and undo change the text without a key: the record is put in edit mode first,
// so that the read-only window takes the change.
TEST_F(DBControlTest, ClipboardMessagesEditTheRecordFirst) {
  auto* edit = ShownEdit();
  HWND wnd = edit->GetHandle();
  ::SendMessageW(wnd, EM_SETSEL, 0, 2);
  ::SendMessageW(wnd, WM_CLEAR, 0, 0);
  EXPECT_EQ(Data.GetState(), dsEdit);
  EXPECT_EQ(edit->GetText(), L"ple");
  Data.Cancel();
  EXPECT_EQ(edit->GetText(), L"Apple");

  Data.Next();
  if (!::OpenClipboard(wnd)) GTEST_SKIP() << "the clipboard is held by another program";
  ::EmptyClipboard();
  HGLOBAL text = ::GlobalAlloc(GMEM_MOVEABLE, 4 * sizeof(wchar_t));
  ASSERT_NE(text, nullptr);
  wcscpy(static_cast<wchar_t*>(::GlobalLock(text)), L"Big");
  ::GlobalUnlock(text);
  if (!::SetClipboardData(CF_UNICODETEXT, text)) ::GlobalFree(text);
  ::CloseClipboard();
  ::SendMessageW(wnd, EM_SETSEL, 0, -1);
  ::SendMessageW(wnd, WM_PASTE, 0, 0);
  EXPECT_EQ(Data.GetState(), dsEdit);
  EXPECT_EQ(edit->GetText(), L"Big");
  Data.Post();
  EXPECT_EQ(VarToStr(Data.Backing->GetRow(1).Values[1]), L"Big");
}

TEST_F(DBControlTest, ReadOnlyLinksDataSetsAndInvalidCharactersRefuseTyping) {
  auto* edit = ShownEdit(true);
  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit_tests::Type(L"zz");
  edit_tests::PressKey(VK_DELETE);
  EXPECT_EQ(Data.GetState(), dsBrowse);
  EXPECT_EQ(edit->GetText(), L"Apple");
  EXPECT_TRUE(WindowReadOnly(edit));

  // A data set that cannot be changed: the same.
  edit->SetReadOnly(false);
  Data.ReadOnlyMode = true;
  edit_tests::Type(L"zz");
  EXPECT_EQ(Data.GetState(), dsBrowse);
  EXPECT_EQ(edit->GetText(), L"Apple");
  Data.ReadOnlyMode = false;

  // A number field takes digits only; a digit starts the edit.
  edit->SetDataField(L"e3");
  EXPECT_EQ(edit->GetMaxLength(), 0);
  edit_tests::PressKey(VK_END);
  edit_tests::Type(L"a");
  EXPECT_EQ(Data.GetState(), dsBrowse);
  EXPECT_EQ(edit->GetText(), L"3");
  edit_tests::Type(L"5");
  EXPECT_EQ(Data.GetState(), dsEdit);
  EXPECT_EQ(edit->GetText(), L"35");
  Data.Post();
  EXPECT_EQ(Data.FieldByName(L"e3")->GetAsInteger(), 35);
}

TEST_F(DBControlTest, MemoLoadsTheMemoFieldAndPostsWhatWasTyped) {
  auto* memo = Place<TDBMemo>(Rect(10, 10, 200, 100));
  memo->SetDataSource(Source);
  memo->SetDataField(L"note");
  memo->SetImeName(L"No Such Input Method");  // not installed: the input stays as it is
  Data.Open();
  ShowHost();
  EXPECT_EQ(memo->GetText(), L"first");
  EXPECT_TRUE(WindowReadOnly(memo));
  Data.Next();
  EXPECT_EQ(memo->GetText(), L"");  // a Null memo

  // Without AutoDisplay the memo shows the field's label until it is double-clicked.
  memo->SetAutoDisplay(false);
  Data.First();
  EXPECT_EQ(memo->GetText(), L"(note)");
  const HWND wnd = memo->GetHandle();
  ::SendMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 10));
  ::SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
  EXPECT_EQ(memo->GetText(), L"first");

  ASSERT_TRUE(edit_tests::FocusOn(memo));
  ::SendMessageW(wnd, EM_SETSEL, 5, 5);
  edit_tests::Type(L" note");
  EXPECT_EQ(Data.GetState(), dsEdit);
  Data.Post();
  EXPECT_EQ(VarToStr(Data.Backing->GetRow(0).Values[6]), L"first note");
}

// ---- Layouts ---------------------------------------------------------------------------------------

TEST_F(DBControlTest, LayoutsPlaceTheControlsOverTheirSourcesAndKeepTheirSettings) {
  auto* questions = new TTestDataSet(Host.get());
  questions->SetName(L"Questions");
  FillQuestions(*questions->Backing);
  grid_tests::ReadLayout(Host.get(),
                         L"object Host: TTestHost\n"
                         L"  object DS1: TDataSource\n"
                         L"    DataSet = Questions\n"
                         L"    AutoEdit = False\n"
                         L"  end\n"
                         L"  object DBText1: TDBText\n"
                         L"    DataField = 'a1'\n"
                         L"    DataSource = DS1\n"
                         L"  end\n"
                         L"  object DBEdit1: TDBEdit\n"
                         L"    DataField = 'a1'\n"
                         L"    DataSource = DS1\n"
                         L"    ReadOnly = True\n"
                         L"  end\n"
                         L"  object DBMemo1: TDBMemo\n"
                         L"    DataField = 'note'\n"
                         L"    DataSource = DS1\n"
                         L"    ImeName = 'Chinese (Simplified) - Pinyin'\n"
                         L"    ScrollBars = ssVertical\n"
                         L"  end\n"
                         L"  object DBGrid1: TDBGrid\n"
                         L"    Left = 200\n"
                         L"    Top = 8\n"
                         L"    Width = 280\n"
                         L"    Height = 200\n"
                         L"    DataSource = DS1\n"
                         L"    Options = [dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect]\n"
                         L"    ReadOnly = True\n"
                         L"    Columns = <\n"
                         L"      item\n"
                         L"        FieldName = 'a1'\n"
                         L"        Title.Alignment = taCenter\n"
                         L"        Title.Caption = '名称'\n"
                         L"        Width = 120\n"
                         L"      end\n"
                         L"      item\n"
                         L"        Alignment = taRightJustify\n"
                         L"        FieldName = 'e3'\n"
                         L"        Title.Caption = '次数'\n"
                         L"      end>\n"
                         L"  end\n"
                         L"end\n");
  auto* source = dynamic_cast<TDataSource*>(Host->FindComponent(L"DS1"));
  auto* text = dynamic_cast<TDBText*>(Host->FindComponent(L"DBText1"));
  auto* edit = dynamic_cast<TDBEdit*>(Host->FindComponent(L"DBEdit1"));
  auto* memo = dynamic_cast<TDBMemo*>(Host->FindComponent(L"DBMemo1"));
  auto* grid = dynamic_cast<TDBGrid*>(Host->FindComponent(L"DBGrid1"));
  ASSERT_TRUE(source && text && edit && memo && grid);
  EXPECT_EQ(source->GetDataSet(), questions);
  EXPECT_TRUE(edit->GetReadOnly());
  EXPECT_FALSE(grid->GetOptions().Contains(dgEditing));
  ASSERT_EQ(grid->GetColumns()->GetCount(), 2);
  TColumn* name = grid->GetColumns()->GetItem(0);
  EXPECT_EQ(name->GetTitle()->GetCaption(), L"名称");
  EXPECT_EQ(grid->GetColCount(), 3);  // the indicator and the two columns
  EXPECT_EQ(grid->GetColWidths(1), 120);

  questions->Open();
  EXPECT_EQ(text->GetCaption(), L"Apple");
  EXPECT_EQ(memo->GetText(), L"first");
  EXPECT_EQ(name->GetField(), questions->FieldByName(L"a1"));
  EXPECT_EQ(grid->GetColumns()->GetCount(), 2);  // the given columns stay

  // Written again: the settings are kept, the field's values are not.
  const String written = ComponentToText(Host.get());
  for (const wchar_t* line : {L"DataSet = Questions", L"AutoEdit = False", L"ReadOnly = True",
                              L"ImeName = 'Chinese (Simplified) - Pinyin'", L"ScrollBars = ssVertical",
                              L"dgRowSelect]", L"Title.Alignment = taCenter", L"Title.Caption = ",
                              L"Alignment = taRightJustify", L"FieldName = 'e3'", L"Width = 120"})
    EXPECT_NE(written.find(line), String::npos) << StringToUtf8(line);
  EXPECT_EQ(written.find(L"Apple"), String::npos);
  EXPECT_EQ(written.find(L"Lines.Strings"), String::npos);
  questions->Close();
}

}  // namespace
