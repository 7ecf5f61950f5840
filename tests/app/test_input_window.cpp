// The entry window on a copy of the shipped bank: the type rule, the refusals, a save with
// rich text read back exactly, the 9999 limit, a failing save that keeps the form, law
// points, and the window opened modally as the chooser opens it, at both screen sizes.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "WindowTestSupport.h"
#include "app/UInPut.h"
#include "app/Ucommon.h"
#include "app/Ukmmc.h"
#include "classlib/classes/Streams.h"
#include "classlib/db/DB.h"
#include "classlib/stdctrls/Clipboard.h"
#include "tests/ApplicationTestSupport.h"
#include "tests/KeyInput.h"

namespace {

// A stem with formatting and Chinese text, longer than the explanation.
const char kStemRtf[] =
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
    "\\f0\\fs20 \\b \\'d6\\'d0\\'ce\\'c4\\b0  stem text that is long enough to run past the explanation\\par}";
const char kExplanationRtf[] = "{\\rtf1\\ansi\\ansicpg936 \\'bd\\'e2\\'ce\\'f6\\par}";

void LoadRtf(TRxRichEdit& view, const std::string& rtf) {
  TStringStream stream{AnsiString(rtf)};
  view.GetRichLines()->LoadFromStream(stream);
}

std::string SavedRtf(TRxRichEdit& view) {
  TStringStream stream;
  view.GetRichLines()->SaveToStream(stream);
  return stream.GetBytes();
}

class InputWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Chapter = SelectText(Data.Cn(), L"select top 1 C1 from tab_kmmc where len(C1) = 6 order by C1");
    Window = TCustomForm::Create<TFrmInPut>(Application);
    Window->ChapterCode = Chapter;
  }
  void TearDown() override {
    delete Window;
    LawPointMode = 0;
    SetLawPointPicker(nullptr);
  }
  int TypeIndex(const String& name) const {
    for (size_t i = 0; i < Window->TypeList.size(); ++i)
      if (Window->TypeList[i].Name == name) return static_cast<int>(i);
    return -1;
  }
  // "caption|text|flags" of the last message box.
  String LastBox() const { return Responders.Log.Boxes.empty() ? String() : Responders.Log.Boxes.back(); }
  int Rows(const String& table) { return SelectInt(Data.Cn(), L"select count(*) from " + table); }
  void Fill() {
    LoadRtf(*Window->Re1, kStemRtf);
    LoadRtf(*Window->Re2, kExplanationRtf);
    Window->SE_Num->SetValue(4);
    Window->Edit1->SetText(L"AB");
  }
  std::string Blob(const String& id, const String& column) {
    return SelectBytes(Data.Cn(), L"select " + column + L" from tab_exer where a1 = " + QuotedStr(id));
  }

  TProgramData Data;
  TRecordingResponders Responders;
  String Chapter;
  TFrmInPut* Window = nullptr;
};

}  // namespace

TEST_F(InputWindowTest, TheTypeRuleRunsOnChoiceInCodeAndAfterClearing) {
  ASSERT_EQ(Window->TypeList.size(), static_cast<size_t>(Window->ComboBox1->GetItems()->GetCount()));
  EXPECT_EQ(Window->ComboBox1->GetItemIndex(), 0);
  EXPECT_EQ(Window->SE_Num->GetValue(), 5);
  for (const wchar_t* name : {L"简答题", L"综合题", L"计算题"}) {
    const int index = TypeIndex(name);
    ASSERT_GE(index, 0) << StringToUtf8(name);
    Window->Edit1->SetText(L"ABC");
    Window->SelectType(index);
    EXPECT_EQ(Window->SE_Num->GetValue(), 1);
    EXPECT_FALSE(Window->SE_Num->GetEnabled());
    EXPECT_EQ(Window->Edit1->GetText(), L"1");
    EXPECT_FALSE(Window->Edit1->GetEnabled());
  }
  Window->ClearClick(nullptr);
  EXPECT_EQ(Window->ComboBox1->GetItemIndex(), 0);
  EXPECT_TRUE(Window->SE_Num->GetEnabled());
  EXPECT_TRUE(Window->Edit1->GetEnabled());
  EXPECT_EQ(Window->Edit1->GetText(), L"");

  // A self-assessed question is saved with one option and the key "1".
  LoadRtf(*Window->Re1, kStemRtf);
  Window->SelectType(TypeIndex(L"简答题"));
  ASSERT_TRUE(Window->Save());
  const String id = SelectText(Data.Cn(), L"select a1 from tab_answ where f1 = 2");
  EXPECT_EQ(id, L"U1" + Window->TypeList[TypeIndex(L"简答题")].Code + Chapter + L"0001");
  EXPECT_EQ(SelectText(Data.Cn(), L"select a2 from tab_answ where a1 = " + QuotedStr(id)), L"1");
  EXPECT_EQ(SelectInt(Data.Cn(), L"select a2_1 from tab_answ where a1 = " + QuotedStr(id)), 1);
}

TEST_F(InputWindowTest, EachRefusalWritesNothing) {
  const int questions = Rows(L"tab_answ"), texts = Rows(L"tab_exer");
  Window->Edit1->SetText(L"A");
  Window->Re1->SetText(L"   ");
  EXPECT_FALSE(Window->Save());
  EXPECT_EQ(LastBox(), L"提示|请填写试题内容！|64");
  LoadRtf(*Window->Re1, kStemRtf);
  Window->Edit1->SetText(L"  ");
  EXPECT_FALSE(Window->Save());
  EXPECT_EQ(LastBox(), L"提示|请填写试题答案！|64");
  Window->Edit1->SetText(L"A");
  Window->ComboBox1->SetItemIndex(-1);
  EXPECT_FALSE(Window->Save());
  EXPECT_EQ(LastBox(), L"提示|请选择题型！|64");
  // At serial 9999 nothing more is taken.
  Window->SelectType(0);
  Data.Exec(L"insert into tab_answ(a1,a10,f1) values('U411" + Chapter + L"9999'," + QuotedStr(Chapter) + L",2)");
  EXPECT_FALSE(Window->Save());
  EXPECT_EQ(LastBox(), L"提示|最多只能录入9999道题！|48");
  EXPECT_EQ(Rows(L"tab_answ"), questions + 1);
  EXPECT_EQ(Rows(L"tab_exer"), texts);
  EXPECT_EQ(Window->SavedCount, 0);
}

TEST_F(InputWindowTest, ASaveWritesEachViewsOwnRichTextAndClearsTheForm) {
  Fill();
  const std::string stem = SavedRtf(*Window->Re1), explanation = SavedRtf(*Window->Re2);
  ASSERT_LT(explanation.size(), stem.size());
  const int typeIndex = Window->ComboBox1->GetItemIndex();
  ASSERT_TRUE(Window->Save());
  EXPECT_EQ(Window->SavedCount, 1);
  const String id = L"U4" + Window->TypeList[typeIndex].Code + Chapter + L"0001";
  EXPECT_EQ(SelectText(Data.Cn(), L"select a2 from tab_answ where a1 = " + QuotedStr(id)), L"AB");
  const std::string a15 = Blob(id, L"a15");
  EXPECT_EQ(a15, stem);
  // The explanation holds its own text and nothing of the longer stem.
  EXPECT_EQ(Blob(id, L"jx"), explanation);
  // Read back, the stem shows its Chinese text exactly.
  LoadRtf(*Window->Re1, a15);
  EXPECT_NE(Window->Re1->GetText().find(L"中文 stem text"), String::npos);
  Window->ClearClick(nullptr);
  // The form is empty again; the next question, without explanation, continues the serial.
  EXPECT_EQ(Window->Edit1->GetText(), L"");
  LoadRtf(*Window->Re1, kStemRtf);
  Window->Edit1->SetText(L"C");
  ASSERT_TRUE(Window->Save());
  const String second = L"U5" + Window->TypeList[0].Code + Chapter + L"0002";
  EXPECT_TRUE(Blob(second, L"jx").empty());
  EXPECT_EQ(Window->SavedCount, 2);
}

// A student's click into the option count (the mouse then resting on the text) leaves the
// spin edit's arrows on the screen as they were.
TEST_F(InputWindowTest, ClickingIntoTheOptionCountLeavesItsArrowsInSight) {
  Window->Show();
  PumpAWhile();
  ASSERT_TRUE(BringForward(Window));
  const HWND arrows = Window->SE_Num->GetButtonHandle();
  ASSERT_NE(arrows, nullptr);
  Window->Edit1->SetFocus();
  PumpAWhile();
  const TClientPixels before = GrabClient(arrows);
  ASSERT_FALSE(before.Pixels.empty());
  const TPoint text = Window->SE_Num->ClientToScreen(TPoint(6, Window->SE_Num->GetClientHeight() / 2));
  MouseInput(text, MOUSEEVENTF_LEFTDOWN);
  MouseInput(text, MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(::GetFocus(), Window->SE_Num->GetHandle());
  EXPECT_TRUE(before.Pixels == GrabClient(arrows).Pixels) << "the arrows were painted over";
  EXPECT_TRUE(SaveWindowShot(Window->GetHandle(), L"entry_option_count_clicked"));
}

// The option-count box by real keys: a pasted "1 2" is refused and stays refused after Tab,
// a pasted "3" is taken, and 保存试题 stores the 3 the box shows.
TEST_F(InputWindowTest, TheOptionCountTakesOnlyAWholeNumberAndSavesWhatItShows) {
  Window->Show();
  PumpAWhile();
  LoadRtf(*Window->Re1, kStemRtf);
  Window->Edit1->SetText(L"B");
  Window->SelectType(TypeIndex(L"单项选择题"));
  // The box entered (which selects its text), the text pasted with Ctrl+V and left by Tab;
  // what the box showed before Tab.
  const auto pasteAndLeave = [&](const String& text) {
    Window->SE_Num->SetFocus();
    PumpAWhile();
    Clipboard()->SetAsText(text);
    EXPECT_TRUE(TypeChord({VK_CONTROL, 'V'}));
    PumpAWhile();
    const String shown = Window->SE_Num->GetText();
    EXPECT_TRUE(TypeChord({VK_TAB}));
    PumpAWhile();
    EXPECT_NE(::GetFocus(), Window->SE_Num->GetHandle());
    return shown;
  };
  EXPECT_EQ(pasteAndLeave(L"1 2"), L"5");
  EXPECT_EQ(Window->SE_Num->GetText(), L"5");
  EXPECT_EQ(pasteAndLeave(L"3"), L"3");
  EXPECT_EQ(Window->SE_Num->GetText(), L"3");
  ClickGraphic(Window->SpeedButton4);
  PumpAWhile();
  EXPECT_EQ(Window->SavedCount, 1);
  const String id = SelectText(Data.Cn(), L"select a1 from tab_answ where f1 = 2");
  EXPECT_EQ(id.substr(0, 2), L"U3");
  EXPECT_EQ(SelectText(Data.Cn(), L"select a2 from tab_answ where a1 = " + QuotedStr(id)), L"B");
  EXPECT_EQ(SelectInt(Data.Cn(), L"select a2_1 from tab_answ where a1 = " + QuotedStr(id)), 3);
  EXPECT_EQ(Window->SE_Num->GetText(), L"3");
}

TEST_F(InputWindowTest, AFailingSaveKeepsTheFormAndWritesNothing) {
  Fill();
  const String id = L"U4" + Window->TypeList[0].Code + Chapter + L"0001";
  Data.Exec(L"insert into tab_exer(a1) values(" + QuotedStr(id) + L")");
  const int questions = Rows(L"tab_answ");
  const int c3 = SelectInt(Data.Cn(), L"select c3 from tab_kmmc where C1 = " + QuotedStr(Chapter));
  EXPECT_FALSE(Window->Save());
  EXPECT_EQ(LastBox(), L"提示|保存试题出现错误！|64");
  EXPECT_EQ(Rows(L"tab_answ"), questions);
  EXPECT_EQ(SelectInt(Data.Cn(), L"select c3 from tab_kmmc where C1 = " + QuotedStr(Chapter)), c3);
  EXPECT_EQ(Window->SavedCount, 0);
  EXPECT_EQ(Window->Edit1->GetText(), L"AB");
  EXPECT_FALSE(Trim(Window->Re1->GetText()).empty());
}

TEST_F(InputWindowTest, LawPointsArePickedDeletedLimitedAndSaved) {
  LawPointMode = 1;
  const String a1 = SelectText(Data.Cn(), L"select top 1 ftid from tab_rule order by ftid");
  const String a2 = SelectText(Data.Cn(), L"select top 1 ftid from tab_rule where ftid <> " + QuotedStr(a1) + L" order by ftid");
  std::vector<int> pages;
  SetLawPointPicker([&](int page) {
    pages.push_back(page);
    if (page == 0) EXPECT_EQ(LawPointCount, Window->ListBox1->GetItems()->GetCount());
    return std::vector<TLawPoint>{{a1, L"法规[第一条]"}, {a2, L"法规[第二条]"}};
  });
  Window->FormShow(nullptr);
  EXPECT_TRUE(Window->BtnAddFg->GetVisible());
  Window->BtnAddFgClick(nullptr);
  ASSERT_EQ(Window->ListBox1->GetItems()->GetCount(), 2);
  EXPECT_EQ(Window->ListBox1->GetItems()->Get(1), L"法规[第二条]");
  // Delete removes the selected point from both lists.
  Window->ListBox1->SetItemIndex(0);
  WORD key = VK_DELETE;
  Window->ListBox1KeyDown(nullptr, key, {});
  ASSERT_EQ(Window->ListBox2->GetItems()->GetCount(), 1);
  EXPECT_EQ(Window->ListBox2->GetItems()->Get(0), a2);
  // Past seven the picker is not opened.
  for (int i = 0; i < 3; ++i) Window->BtnAddFgClick(nullptr);
  EXPECT_EQ(Window->ListBox1->GetItems()->GetCount(), 7);
  const size_t opened = pages.size();
  Window->BtnAddFgClick(nullptr);
  EXPECT_EQ(pages.size(), opened);
  EXPECT_NE(LastBox().find(L"试题对应考点最多为7条！"), String::npos);
  // The help button shows the picker's usage notes.
  Window->HelpClick(nullptr);
  EXPECT_EQ(pages.back(), 1);
  Fill();
  ASSERT_TRUE(Window->Save());
  const String id = SelectText(Data.Cn(), L"select a1 from tab_answ where f1 = 2");
  EXPECT_EQ(SelectText(Data.Cn(), L"select k3 from tab_answ where a1 = " + QuotedStr(id)), a2);
  EXPECT_EQ(SelectText(Data.Cn(), L"select k9 from tab_answ where a1 = " + QuotedStr(id)), a2);
  EXPECT_EQ(Window->ListBox1->GetItems()->GetCount(), 0);
}

TEST_F(InputWindowTest, NoStudentSeesTheDisabledSecondClose) {
  const String saved = ScreenMode;
  for (const wchar_t* mode : {L"800", L"1024"}) {
    ScreenMode = mode;
    Window->Show();
    PumpAWhile();
    EXPECT_TRUE(InSight(Window->SpeedButton7)) << mode;
    EXPECT_FALSE(InSight(Window->SpeedButton6)) << mode;
    Window->Hide();
  }
  ScreenMode = saved;
}

// The background picture of each layout, with a plate under every flat button (which keeps
// its caption), the inputs inside its panels and the labels standing on the picture;
// 关闭窗口 clicked on its plate closes.
TEST(InputWindowShownTest, ButtonsKeepTheirCaptionsOnPlatesOfThePictureAtBothSizes) {
  TProgramData data;
  TRecordingResponders responders;
  const String saved = ScreenMode;
  for (const wchar_t* mode : {L"800", L"1024"}) {
    ScreenMode = mode;
    const bool small = String(mode) == L"800";
    std::unique_ptr<TFrmInPut> form(TCustomForm::Create<TFrmInPut>(Application));
    form->Show();
    PumpAWhile();
    TImage* picture = small ? form->Image1 : form->Image2;
    ExpectPictures(form.get(), picture, small ? form->Image2 : form->Image1);
    const std::pair<TSpeedButton*, const char*> buttons[] = {
        {form->SpeedButton4, "保存试题"}, {form->SpeedButton3, "清空重录"}, {form->SpeedButton2, "使用说明"},
        {form->SpeedButton1, "声音设置"}, {form->SpeedButton7, "关闭窗口"}};
    for (const auto& [button, label] : buttons) {
      EXPECT_FALSE(button->GetCaption().empty()) << label;
      ExpectPlateUnder(picture, button, label);
    }
    for (TLabel* label : {form->Lb_cap, form->Label1, form->Label2, form->Label3, form->Label4, form->Label5})
      EXPECT_TRUE(label->GetTransparent()) << StringToUtf8(label->GetName());
    for (TControl* input : std::initializer_list<TControl*>{form->Re1, form->Re2, form->SE_Num, form->Edit1,
                                                            form->ComboBox1})
      ExpectOnPanel(picture, input);
    EXPECT_TRUE(SaveWindowShot(form->GetHandle(), L"picture_entry_" + String(mode)));
    ClickGraphic(form->SpeedButton7);
    PumpAWhile();
    EXPECT_FALSE(form->GetVisible());
  }
  ScreenMode = saved;
  EXPECT_TRUE(responders.Log.Empty());
}

TEST(InputWindowShownTest, TheChoosersEntryWindowOpensModallyAtBothSizes) {
  TProgramData data;
  TRecordingResponders responders;
  InstallEntryWindow();
  const TEntryWindowMaker maker = SetEntryWindowMaker(nullptr);
  ASSERT_TRUE(maker);
  const String saved = ScreenMode;
  for (const auto& [mode, lawPoints] : {std::pair{L"800", 0}, std::pair{L"1024", 0}, std::pair{L"800", 1}}) {
    ScreenMode = mode;
    LawPointMode = lawPoints;
    std::unique_ptr<TChooserEntry> entry = maker();
    entry->Prepare(L"试题录入 [测试章节]", L"101010");
    HWND window = nullptr;
    TModalDriver driver({[&] { return (window = FindOwnWindow(L"试题录入")) != nullptr; },
                         [&] {
                           // A stem typed in, drawn as the bank's stems are.
                           if (auto* form = dynamic_cast<TFrmInPut*>(FindControl(window)))
                             for (wchar_t ch : String(L"下列各项中，属于资产评估对象的是（　）。"))
                               ::PostMessageW(form->Re1->GetHandle(), WM_CHAR, ch, 1);
                           return true;
                         },
                         [&] {
                           ::UpdateWindow(window);
                           RECT client{};
                           ::GetClientRect(window, &client);
                           EXPECT_EQ(client.right, String(mode) == L"800" ? 759 : 931);
                           EXPECT_TRUE(SaveShotsOverMenu(
                               window, L"entry_window_" + String(mode) + (lawPoints ? L"_lawpoints" : L"")));
                           ::PostMessageW(window, WM_CLOSE, 0, 0);
                           return true;
                         }});
    entry->ShowModal();
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(entry->GetSavedCount(), 0);
  }
  ScreenMode = saved;
  LawPointMode = 0;
}

// The type box by real input at both sizes (and with the law-point row): its dropped list keeps
// the keys, the type rule follows the choice Escape kept, and every type name reads whole in
// the box and in the list while the box stays on its panel; Alt+F4 in the box closes.
TEST(InputWindowShownTest, TheTypeBoxKeepsTheKeysAndShowsEveryNameWhole) {
  TProgramData data;
  TRecordingResponders responders;
  const String saved = ScreenMode;
  for (const auto& [mode, lawPoints] : {std::pair{L"800", 0}, std::pair{L"1024", 0}, std::pair{L"800", 1}}) {
    ScreenMode = mode;
    LawPointMode = lawPoints;
    std::unique_ptr<TFrmInPut> form(TCustomForm::Create<TFrmInPut>(Application));
    form->Show();
    PumpAWhile();
    ExpectTypeBoxKeepsTheKeys(form.get(), form->ComboBox1, form->Re1, form->SE_Num, form->Edit1);
    EXPECT_TRUE(form->Edit1->GetEnabled()) << "多项选择题 is no self-assessed type";
    ExpectOnPanel(String(mode) == L"800" ? form->Image1 : form->Image2, form->ComboBox1);
    ExpectItemsReadWhole(form->ComboBox1);
    PumpAWhile();
    EXPECT_TRUE(SaveWindowsShot(form->GetHandle(), form->ComboBox1->GetListHandle(),
                                L"entry_type_list_" + String(mode) + (lawPoints ? L"_lawpoints" : L"")));
    form->ComboBox1->SetDroppedDown(false);
    EXPECT_EQ(::GetFocus(), form->ComboBox1->GetHandle());
    EXPECT_TRUE(TypeChord({VK_MENU, VK_F4}));
    PumpApplicationUntil([&] { return !form->GetVisible(); }, 3000, 10);
    EXPECT_FALSE(form->GetVisible()) << "Alt+F4 in the type box closes the window";
  }
  ScreenMode = saved;
  LawPointMode = 0;
}
