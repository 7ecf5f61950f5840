// The notes window as a real window on a copy of the shipped bank: a note typed with key
// messages and closed with a mouse click is posted and sets NotesSaved; a note of blanks is
// not; the input method stays as it is when neither named one is installed.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/Ubj.h"
#include "app/Ucommon.h"
#include "app/dm.h"

namespace {

class NotesWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TADOQuery* set = DM1->Cn1Query_tm;
    set->GetSQL()->SetText(L"select * from tab_answ order by a1");
    set->Open();
    ASSERT_FALSE(set->IsEmpty());
    FId = set->FieldByName(L"a1")->GetAsString();
  }
  void TearDown() override { DM1->Cn1Query_tm->Close(); }

  String StoredNote() {
    return SelectText(FData.Cn(), L"select a14 from tab_answ where a1 = '" + FId + L"'");
  }

  // Opens the window over a14, types text into the memo and clicks 关  闭.
  void WriteNote(const String& text, const String& shot) {
    TFrmBj* window = TCustomForm::Create<TFrmBj>(Application);
    window->Label1->SetCaption(L"lx");
    window->SetSource(DM1->Cn1DS_tm, L"A14");
    TModalDriver driver({[&] {
      HWND wnd = FindOwnWindow(L"笔记");
      if (!wnd || !window->GetVisible()) return false;
      HWND memo = window->DBMemo1->GetHandle();
      ::SendMessageW(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
      for (wchar_t ch : text) ::SendMessageW(memo, WM_CHAR, ch, 1);
      ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      if (!shot.empty()) {
        EXPECT_TRUE(SaveWindowShot(wnd, shot));
        ExpectCommandButtonsGlowBlue(window, window->epEfTrBtn1, shot + L"_close_hovered");
      }
      ClickGraphic(window->epEfTrBtn1);
      return true;
    }});
    window->ShowModal();
    EXPECT_TRUE(driver.Done());
    EXPECT_FALSE(window->Label1->GetVisible());
    EXPECT_EQ(L"", window->DBMemo1->GetImeName()) << "neither named input method is installed here";
    delete window;
  }

  TProgramData FData;
  String FId;
};

TEST_F(NotesWindow, ANoteIsPostedAndSaysSo) {
  NotesSaved = false;
  WriteNote(L"记住第二条", L"notes");
  EXPECT_TRUE(NotesSaved);
  EXPECT_EQ(L"记住第二条", StoredNote());
  EXPECT_EQ(dsBrowse, DM1->Cn1Query_tm->GetState());
}

TEST_F(NotesWindow, BlanksAreNotPosted) {
  NotesSaved = true;
  WriteNote(L"   ", L"");
  EXPECT_FALSE(NotesSaved);
  EXPECT_EQ(L"", StoredNote());
}

}  // namespace
