// The question-edit window over the data module's shared queries, positioned on one question
// of a copy of the shipped bank as the practice window positions them.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/Ucommon.h"
#include "app/Utedit.h"
#include "app/dm.h"
#include "classlib/db/DB.h"

namespace {

class EditWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Id = SelectText(Data.Cn(), L"select top 1 e.a1 from tab_exer e inner join tab_answ a on a.a1 = e.a1 "
                               L"where e.jx is not null and a.a13 = 11 order by e.a1");
    ASSERT_FALSE(Id.empty());
    Position(Id);
    Timer.SetEnabled(false);
    Window = TCustomForm::Create<TfrmTedit>(Application);
    Window->PracticeTimer = &Timer;
  }
  void TearDown() override {
    delete Window;
    DM1->Cn1Query_tm->Close();
    DM1->cn1query_nr->Close();
    ScreenMode = SavedMode;
    LawPointMode = 0;
    SetLawPointPicker(nullptr);
  }
  // Positions both shared queries on question id.
  void Position(const String& id) {
    DM1->Cn1Query_tm->Close();
    DM1->Cn1Query_tm->GetSQL()->SetText(L"select * from tab_answ where a1 = " + QuotedStr(id));
    DM1->Cn1Query_tm->Open();
    DM1->cn1query_nr->Close();
    DM1->cn1query_nr->GetSQL()->SetText(L"select * from tab_exer where a1 = " + QuotedStr(id));
    DM1->cn1query_nr->Open();
  }
  // A new window for the screen mode.
  void MakeWindowFor(const wchar_t* mode) {
    ScreenMode = mode;
    delete Window;
    Window = TCustomForm::Create<TfrmTedit>(Application);
    Window->PracticeTimer = &Timer;
  }
  void ShowWindow() {
    Window->Show();
    Application->ProcessMessages();
  }
  std::string Blob(const String& column) {
    return SelectBytes(Data.Cn(), L"select " + column + L" from tab_exer where a1 = " + QuotedStr(Id));
  }
  String Answ(const String& column) {
    return SelectText(Data.Cn(), L"select " + column + L" from tab_answ where a1 = " + QuotedStr(Id));
  }
  void Type(TWinControl* control, wchar_t c) {
    control->SetFocus();
    ::SendMessageW(control->GetHandle(), WM_CHAR, c, 1);
  }
  int TypeIndex(const String& name) const {
    for (size_t i = 0; i < Window->TypeList.size(); ++i)
      if (Window->TypeList[i].Name == name) return static_cast<int>(i);
    return -1;
  }

  TProgramData Data;
  TRecordingResponders Responders;
  TTimer Timer{nullptr};
  String Id;
  String SavedMode = ScreenMode;
  TfrmTedit* Window = nullptr;
};

}  // namespace

TEST_F(EditWindowTest, SavingWithoutChangesKeepsTheRichTextAndCountsTheEdit) {
  const std::string stem = Blob(L"a15"), explanation = Blob(L"jx");
  const String key = Answ(L"a2"), options = Answ(L"a2_1"), type = Answ(L"a13"), k3 = Answ(L"k3");
  const int edits = SelectInt(Data.Cn(), L"select ecount from tab_answ where a1 = " + QuotedStr(Id));
  ShowWindow();
  EXPECT_TRUE(Window->RxDBRichEdit1->GetMemoLoaded());
  EXPECT_EQ(Window->Edit1->GetText(), key);
  Window->SaveClick(nullptr);
  EXPECT_FALSE(Window->GetVisible());
  EXPECT_TRUE(Timer.GetEnabled());
  EXPECT_EQ(Blob(L"a15"), stem);
  EXPECT_EQ(Blob(L"jx"), explanation);
  EXPECT_EQ(Answ(L"a2"), key);
  EXPECT_EQ(Answ(L"a2_1"), options);
  EXPECT_EQ(Answ(L"a13"), type);
  EXPECT_EQ(Answ(L"k3"), k3);
  EXPECT_EQ(SelectInt(Data.Cn(), L"select ecount from tab_answ where a1 = " + QuotedStr(Id)), edits + 1);
}

// The box offers six options; a question of the bank with seven keeps them through a save
// that leaves the box alone, and takes the box's count once it is changed by a key.
TEST_F(EditWindowTest, ASaveLeavingTheOptionCountAloneKeepsAStoredSeven) {
  Data.Exec(L"update tab_answ set a2_1 = '7' where a1 = " + QuotedStr(Id));
  Position(Id);
  ShowWindow();
  EXPECT_EQ(Window->SE_Num->GetValue(), 6);
  ASSERT_TRUE(Window->Save());
  EXPECT_EQ(Answ(L"a2_1"), L"7");
  Position(Id);
  MakeWindowFor(L"1024");
  ShowWindow();
  Window->SE_Num->SetFocus();
  ::SendMessageW(Window->SE_Num->GetHandle(), WM_KEYDOWN, VK_DOWN, 0);
  ASSERT_EQ(Window->SE_Num->GetValue(), 5);
  ASSERT_TRUE(Window->Save());
  EXPECT_EQ(Answ(L"a2_1"), L"5");
}

TEST_F(EditWindowTest, ATypedChineseCharacterATypeChangeAndATrimmedKeyAreSaved) {
  ShowWindow();
  Window->RxDBRichEdit1->SetSelStart(0);
  Type(Window->RxDBRichEdit1, L'中');
  Window->Edit1->SetText(L"AB ");
  Window->SaveClick(nullptr);
  EXPECT_EQ(Answ(L"a2"), L"AB");
  Position(Id);
  delete Window;
  Window = TCustomForm::Create<TfrmTedit>(Application);
  ShowWindow();
  EXPECT_EQ(Window->RxDBRichEdit1->GetText().substr(0, 1), L"中");
  // A self-assessed type: one option, the key "1".
  const int index = TypeIndex(L"简答题");
  ASSERT_GE(index, 0);
  Window->ComboBox1->SetItemIndex(index);
  Window->ComboBox1Change(nullptr);
  ASSERT_TRUE(Window->Save());
  EXPECT_EQ(Answ(L"a13"), Window->TypeList[index].Code);
  EXPECT_EQ(Answ(L"a2"), L"1");
  EXPECT_EQ(Answ(L"a2_1"), L"1");
}

TEST_F(EditWindowTest, CancelAndARefusedSaveChangeNothing) {
  const std::string stem = Blob(L"a15");
  const String key = Answ(L"a2");
  const int edits = SelectInt(Data.Cn(), L"select ecount from tab_answ where a1 = " + QuotedStr(Id));
  ShowWindow();
  // No type: refused before anything is posted.
  Window->ComboBox1->SetItemIndex(-1);
  Type(Window->RxDBRichEdit1, L'中');
  EXPECT_FALSE(Window->Save());
  EXPECT_EQ(Responders.Log.Boxes.back(), L"提示|请选择题型！|64");
  EXPECT_EQ(Blob(L"a15"), stem);
  Window->Edit1->SetText(L"XYZ");
  Window->CancelClick(nullptr);
  EXPECT_TRUE(Timer.GetEnabled());
  EXPECT_EQ(DM1->cn1query_nr->GetState(), dsBrowse);
  EXPECT_EQ(DM1->Cn1Query_tm->GetState(), dsBrowse);
  // A later navigation of the practice writes nothing either.
  DM1->cn1query_nr->First();
  DM1->Cn1Query_tm->First();
  Position(SelectText(Data.Cn(), L"select top 1 a1 from tab_answ where a1 <> " + QuotedStr(Id)));
  EXPECT_EQ(Blob(L"a15"), stem);
  EXPECT_EQ(Answ(L"a2"), key);
  EXPECT_EQ(SelectInt(Data.Cn(), L"select ecount from tab_answ where a1 = " + QuotedStr(Id)), edits);
}

TEST_F(EditWindowTest, TheWindowOpensModallyAtBothSizes) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    MakeWindowFor(mode);
    // The six captions are shadowed labels with the default shadow.
    for (TRxLabel* caption : {Window->Label1, Window->Label2, Window->Label3, Window->Label4, Window->Label5,
                              Window->RxLabel4}) {
      ASSERT_NE(caption, nullptr);
      EXPECT_EQ(caption->GetShadowSize(), 1) << caption->GetName();
      EXPECT_EQ(caption->GetShadowPos(), spLeftTop) << caption->GetName();
      EXPECT_EQ(caption->GetShadowColor(), clBtnHighlight) << caption->GetName();
    }
    Timer.SetEnabled(false);
    HWND window = nullptr;
    TModalDriver driver({[&] { return (window = FindOwnWindow(L"试题修改")) != nullptr; },
                         [&] {
                           ::UpdateWindow(window);
                           EXPECT_TRUE(SaveShotsOverMenu(window, L"edit_window_" + String(mode)));
                           ::PostMessageW(window, WM_CLOSE, 0, 0);
                           return true;
                         }});
    Window->ShowModal();
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(Timer.GetEnabled());
  }
}

TEST_F(EditWindowTest, LawPointsAreRecountedLimitedToTenAndARemovedOneIsCleared) {
  LawPointMode = 1;
  const std::vector<String> articles = SelectColumn(Data.Cn(), L"select top 11 ftid from tab_rule order by ftid");
  ASSERT_EQ(articles.size(), 11u);
  String set;
  for (int i = 0; i < 10; ++i) set += (i ? L"," : L"") + String(L"k") + IntToStr(i + 3) + L"=" + QuotedStr(articles[i]);
  Data.Exec(L"update tab_answ set " + set + L" where a1 = " + QuotedStr(Id));
  Data.Exec(L"update tab_rule set q = 99 where ftid = " + QuotedStr(articles[0]));
  Position(Id);
  int picked = 0;
  SetLawPointPicker([&](int) {
    ++picked;
    return std::vector<TLawPoint>{{articles[10], L"法规[第十一条]"}};
  });
  ShowWindow();
  ASSERT_EQ(Window->ListBox1->GetItems()->GetCount(), 10);
  EXPECT_TRUE(Window->BtnAddFg->GetVisible());
  EXPECT_TRUE(Window->ListBox2->GetVisible()) << "the law-point controls include the id list";
  // At ten the picker is not opened.
  Window->BtnAddFgClick(nullptr);
  EXPECT_EQ(picked, 0);
  EXPECT_NE(Responders.Log.Boxes.back().find(L"试题对应知识点最多为10条！"), String::npos);
  // The first point removed: its column is cleared, its count left as it was.
  Window->ListBox1->SetItemIndex(0);
  WORD key = VK_DELETE;
  Window->ListBox1KeyDown(nullptr, key, {});
  ASSERT_TRUE(Window->Save());
  LawPointMode = 0;
  SetLawPointPicker(nullptr);
  EXPECT_EQ(Answ(L"k3"), articles[1]);
  EXPECT_EQ(Answ(L"k12"), L"");
  EXPECT_EQ(SelectInt(Data.Cn(), L"select q from tab_rule where ftid = " + QuotedStr(articles[0])), 99);
  const int listing = SelectInt(Data.Cn(), L"select count(*) from tab_answ where " + QuotedStr(articles[1]) +
                                               L" in (k3,k4,k5,k6,k7,k8,k9,k10,k11,k12)");
  EXPECT_EQ(SelectInt(Data.Cn(), L"select q from tab_rule where ftid = " + QuotedStr(articles[1])), listing);
}

// The type box by real input at both sizes: its dropped list keeps the keys, so nothing lands
// in the stem; every type name reads whole in the box and in the list.
TEST_F(EditWindowTest, TheTypeBoxKeepsTheKeysAndShowsEveryNameWhole) {
  for (const wchar_t* mode : {L"800", L"1024"}) {
    MakeWindowFor(mode);
    ShowWindow();
    ExpectTypeBoxKeepsTheKeys(Window, Window->ComboBox1, Window->RxDBRichEdit1, Window->SE_Num, Window->Edit1);
    EXPECT_EQ(DM1->cn1query_nr->GetState(), dsBrowse);
    ExpectItemsReadWhole(Window->ComboBox1);
    PumpAWhile();
    EXPECT_TRUE(SaveWindowsShot(Window->GetHandle(), Window->ComboBox1->GetListHandle(),
                                L"edit_type_list_" + String(mode)));
    Window->ComboBox1->SetDroppedDown(false);
  }
}
