// The data-aware rich-text view on a real window over an in-memory table: what it shows,
// typing into it, posting, Escape, and what it never writes back; a form's data-set actions
// reaching it, and the window's keys typed into a stand-in.
#include <gtest/gtest.h>

#include <vector>

#include "RichEditTestSupport.h"
#include "classlib/controls/ActnList.h"

namespace rich_tests {
namespace {

using edit_tests::FocusOn;
using edit_tests::PressKey;
using edit_tests::Type;

class DBRichEditTest : public RichViewTest {
 protected:
  static void Select(TRxCustomRichEdit* edit, int start, int length) {
    edit->SetSelStart(start);
    edit->SetSelLength(length);
  }
  bool Posted() const {
    for (const String& entry : Data.Log)
      if (entry.rfind(L"post", 0) == 0) return true;
    return false;
  }
};

TEST_F(DBRichEditTest, StoredRtfShowsFormattedAndPlainGbkAsChinese) {
  AddRow(1, BoldRedRtf());
  AddRow(2, Gbk(L"第三十二条 评估机构应当依法独立\r\n客观公正地开展业务"));
  ShowHost();
  TRxDBRichEdit* view = OpenView();
  EXPECT_TRUE(view->GetMemoLoaded());
  EXPECT_EQ(view->GetLines()->Get(0), L"加粗 plain");
  Select(view, 0, 2);
  EXPECT_TRUE(view->GetSelAttributes()->GetStyle().Contains(fsBold));
  EXPECT_EQ(view->GetSelAttributes()->GetColor(), ColorFromInt(0x0000FF));
  SaveScreenshot(Host.get(), L"dbrichedit_rtf_1024");
  Host->SetBounds(100, 100, 400, 300);
  view->SetBoundsRect(TRect(5, 5, 390, 290));
  Pump();
  SaveScreenshot(Host.get(), L"dbrichedit_rtf_800");

  Data.Next();
  EXPECT_EQ(view->GetLines()->GetCount(), 2);
  EXPECT_EQ(view->GetLines()->Get(0), L"第三十二条 评估机构应当依法独立");
  EXPECT_EQ(view->GetLines()->Get(1), L"客观公正地开展业务");
  EXPECT_FALSE(Posted());
  Data.Edit();
  Data.Post();
  EXPECT_EQ(StoredStem(0), Bytes(BoldRedRtf()));  // not edited: nothing of the view's written
}

TEST_F(DBRichEditTest, TypingChineseEntersEditModeAndPostWritesRtf) {
  AddRow(1, TextToRtf(L"资产评估"));
  ShowHost();
  TRxDBRichEdit* view = OpenView();
  ASSERT_TRUE(FocusOn(view));
  EXPECT_EQ(Data.GetState(), dsBrowse);
  EXPECT_TRUE(WindowReadOnly(view));
  view->SetSelStart(4);
  Type(L"中");
  EXPECT_EQ(Data.GetState(), dsEdit);
  EXPECT_FALSE(WindowReadOnly(view));
  EXPECT_EQ(view->GetLines()->Get(0), L"资产评估中");
  Data.Post();
  const TBytes stored = StoredStem(0);
  const TRtfContent content = ReadRtf(std::string(stored.begin(), stored.end()));
  EXPECT_TRUE(content.Valid);
  // The stored RTF shows the new character when it is read back.
  TRxRichEdit* check = Place<TRxRichEdit>(TRect(0, 0, 100, 50));
  LoadRich(check, std::string(stored.begin(), stored.end()));
  EXPECT_EQ(check->GetLines()->Get(0), L"资产评估中");
}

TEST_F(DBRichEditTest, InputMethodResultAndPasteEnterEditMode) {
  AddRow(1, TextToRtf(L"abc"));
  ShowHost();
  TRxDBRichEdit* view = OpenView();
  ASSERT_TRUE(FocusOn(view));
  EXPECT_TRUE(WindowReadOnly(view));
  view->Perform(WM_IME_STARTCOMPOSITION, 0, 0);  // composing needs a writable window
  EXPECT_EQ(Data.GetState(), dsEdit);
  EXPECT_FALSE(WindowReadOnly(view));
  view->Perform(WM_IME_ENDCOMPOSITION, 0, 0);
  Data.Cancel();
  EXPECT_TRUE(WindowReadOnly(view));
  view->Perform(WM_IME_CHAR, L'评', 1);
  EXPECT_EQ(Data.GetState(), dsEdit);
  Data.Cancel();
  EXPECT_EQ(Data.GetState(), dsBrowse);
  view->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Data.GetState(), dsEdit);
  Data.Cancel();
}

// A view that counts how often it reads its field.
class TCountingView : public TRxDBRichEdit {
 public:
  using TRxDBRichEdit::TRxDBRichEdit;
  void LoadMemo() override {
    ++Loads;
    TRxDBRichEdit::LoadMemo();
  }
  int Loads = 0;
};

TEST_F(DBRichEditTest, TheEditThatTypingBeginsReloadsOnlyAnEmptyField) {
  AddRow(1, TextToRtf(L"资产"));
  AddRow(2, std::string());
  ShowHost();
  Data.Open();
  auto* view = Place<TCountingView>(TRect(10, 10, 300, 200));
  view->SetDataSource(Source);
  view->SetDataField(L"stem");
  ASSERT_TRUE(FocusOn(view));
  view->SetSelStart(2);
  int loads = view->Loads;
  Type(L"中");
  EXPECT_EQ(view->Loads, loads) << "the content read when the edit began stays";
  EXPECT_EQ(view->GetLines()->Get(0), L"资产中");
  Data.Cancel();
  Data.Next();
  loads = view->Loads;
  Type(L"中");
  EXPECT_EQ(view->Loads, loads + 1) << "an empty field is read again";
  EXPECT_EQ(Data.GetState(), dsEdit);
  EXPECT_EQ(view->GetLines()->Get(0), L"中");
  Data.Cancel();
}

TEST_F(DBRichEditTest, EscapeResetsTheEdit) {
  AddRow(1, TextToRtf(L"原文"));
  ShowHost();
  TRxDBRichEdit* view = OpenView();
  ASSERT_TRUE(FocusOn(view));
  view->SetSelStart(2);
  Type(L"xyz");
  EXPECT_EQ(view->GetLines()->Get(0), L"原文xyz");
  PressKey(VK_ESCAPE);
  Pump();
  EXPECT_EQ(view->GetLines()->Get(0), L"原文");
  Data.Post();
  EXPECT_EQ(StoredStem(0), Bytes(TextToRtf(L"原文")));
}

TEST_F(DBRichEditTest, DefaultFontAndNewWindowAreNoEdits) {
  AddRow(1, BoldRedRtf());
  ShowHost();
  TRxDBRichEdit* view = OpenView();
  view->GetFont()->SetSize(14);
  view->SetSelectionBar(false);
  view->HandleNeeded();
  EXPECT_EQ(Data.GetState(), dsBrowse);
  EXPECT_EQ(view->GetLines()->Get(0), L"加粗 plain");
  // Formatting the selection is an edit.
  Select(view, 0, 2);
  view->GetSelAttributes()->SetStyle(TFontStyles{fsItalic});
  EXPECT_EQ(Data.GetState(), dsEdit);
  Data.Cancel();
}

TEST_F(DBRichEditTest, ReadOnlyViewNeverEdits) {
  AddRow(1, TextToRtf(L"只读"));
  ShowHost();
  TRxDBRichEdit* view = OpenView();
  view->SetReadOnly(true);
  ASSERT_TRUE(FocusOn(view));
  Type(L"x");
  EXPECT_EQ(Data.GetState(), dsBrowse);
  EXPECT_EQ(view->GetLines()->Get(0), L"只读");
}

TEST_F(DBRichEditTest, UnboundAndStandInTexts) {
  AddRow(1, TextToRtf(L"内容"), L"标题");
  ShowHost();
  Data.Open();
  TRxDBRichEdit* view = Place<TRxDBRichEdit>(TRect(10, 10, 300, 200));
  view->SetDataSource(Source);
  EXPECT_EQ(view->GetText(), L"");
  view->SetAutoDisplay(false);
  view->SetDataField(L"stem");
  EXPECT_EQ(view->GetLines()->Get(0), L"(stem)");
  EXPECT_FALSE(view->GetMemoLoaded());
  // Typing into the stand-in does nothing; a double-click loads the field.
  ASSERT_TRUE(FocusOn(view));
  Type(L"x");
  EXPECT_EQ(Data.GetState(), dsBrowse);
  // A paste asks for edit mode; the stand-in stays as it is and is never written.
  view->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Data.GetState(), dsEdit);
  EXPECT_EQ(view->GetLines()->Get(0), L"(stem)");
  EXPECT_TRUE(WindowReadOnly(view));
  Data.Post();
  EXPECT_EQ(StoredStem(0), Bytes(TextToRtf(L"内容")));
  view->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
  EXPECT_TRUE(view->GetMemoLoaded());
  EXPECT_EQ(view->GetLines()->Get(0), L"内容");
  // A non-blob field shows as plain text.
  view->SetDataField(L"title");
  EXPECT_TRUE(view->GetPlainText());
  EXPECT_EQ(view->GetLines()->Get(0), L"标题");
  // Freeing the source lets go of it.
  delete Source;
  Source = nullptr;
  EXPECT_EQ(view->GetDataSource(), nullptr);
}

TEST_F(DBRichEditTest, SelectAllLengthIsTheTextLength) {
  AddRow(1, TextToRtf(L"四个字符"));
  AddRow(2, std::string());
  ShowHost();
  TRxDBRichEdit* view = OpenView();
  view->SelectAll();
  EXPECT_EQ(view->GetSelLength(), 4);
  Data.Next();
  view->SelectAll();
  EXPECT_EQ(view->GetSelLength(), 0);
}

// An action on a data source, as a form's post command: enabled while the data set edits.
class TPostAction : public TAction {
 public:
  using TAction::TAction;
  bool HandlesTarget(TObject* target) override { return dynamic_cast<TDataSource*>(target); }
  void UpdateTarget(TObject* target) override {
    SetEnabled(static_cast<TDataSource*>(target)->GetState() == dsEdit);
  }
  void ExecuteTarget(TObject* target) override {
    static_cast<TDataSource*>(target)->GetDataSet()->Post();
  }
};

TEST_F(DBRichEditTest, FormActionsOnTheDataSourceReachTheFocusedView) {
  AddRow(1, TextToRtf(L"原文"));
  Data.Open();
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(nullptr));
  form->SetBounds(120, 120, 400, 300);
  auto* view = new TRxDBRichEdit(form.get());
  view->SetParent(form.get());
  view->SetBoundsRect(TRect(10, 10, 370, 250));
  view->SetDataSource(Source);
  view->SetDataField(L"stem");
  form->Show();
  grid_tests::ActivateHost(form.get());
  ASSERT_TRUE(FocusOn(view));

  TPostAction post(nullptr);
  post.SetEnabled(true);
  EXPECT_TRUE(post.Update()) << "the view's link answers";
  EXPECT_FALSE(post.GetEnabled()) << "browsing: nothing to post";
  view->SetSelStart(2);
  Type(L"新");
  EXPECT_TRUE(post.Update());
  EXPECT_TRUE(post.GetEnabled());
  EXPECT_TRUE(post.Execute());
  EXPECT_EQ(Data.GetState(), dsBrowse) << "posted";
  // An action that works on no data source is not the link's.
  TAction other(nullptr);
  EXPECT_FALSE(other.Execute());
  form.reset();
  Pump();
}

// Presses the keys in order and releases them in reverse, through the system's input queue.
void TypeChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD vk, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  for (WORD vk : keys) add(vk, 0);
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) add(*it, KEYEVENTF_KEYUP);
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Pump();
}

// A stand-in takes no keys of its own but leaves the window its menu and context-menu keys.
TEST_F(DBRichEditTest, StandInPassesTheWindowsMenuKeys) {
  ShowHost();
  TRxDBRichEdit* view = Place<TRxDBRichEdit>(TRect(10, 10, 300, 200));
  ASSERT_FALSE(view->GetMemoLoaded());
  int popups = 0;
  view->SetOnContextPopup([&](TObject*, TPoint, bool& handled) {
    ++popups;
    handled = true;
  });
  ASSERT_TRUE(FocusOn(view));
  const auto menuCommands = [&] {
    return std::count_if(Host->Log.Messages.begin(), Host->Log.Messages.end(),
                         [](const TMessage& m) {
                           return m.Msg == WM_SYSCOMMAND && (m.WParam & 0xFFF0) == SC_KEYMENU;
                         });
  };
  TypeChord({VK_F10});
  EXPECT_EQ(menuCommands(), 1) << "F10: the window's menu";
  TypeChord({VK_SHIFT, VK_F10});
  EXPECT_EQ(popups, 1) << "Shift+F10";
  TypeChord({VK_APPS});  // (Wine sends this menu at the key's release)
  EXPECT_EQ(popups, 2) << "the context-menu key";
  TypeChord({'X'});
  EXPECT_EQ(view->GetText(), L"");
}

}  // namespace
}  // namespace rich_tests
