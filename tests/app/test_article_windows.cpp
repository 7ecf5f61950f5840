// The explanation window and the linked-articles window as real windows on a copy of the
// shipped bank: the explanation cannot be changed by typing; the linked articles of two laws
// are listed in the question's column order, each with its own law's title, a click on an
// item or a move by keys shows that article and a click below the items changes nothing.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/UanswFagui.h"
#include "app/Ucommon.h"
#include "app/Ujx.h"
#include "app/dm.h"

namespace {

class ArticleWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    FId = SelectText(FData.Cn(), L"select min(a1) from tab_answ");
    ASSERT_FALSE(FId.empty());
  }

  TProgramData FData;
  String FId;
};

// Clicks the list box at a point of its client area with real mouse messages.
void ClickList(TListBox* list, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  HWND wnd = list->GetHandle();
  ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  POINT screen{x, y};
  ::ClientToScreen(wnd, &screen);
  ::SetCursorPos(screen.x, screen.y);
  ::SendMessageW(wnd, WM_LBUTTONUP, 0, at);
}

TEST_F(ArticleWindows, TheExplanationIsReadOnly) {
  FData.Exec(L"update tab_exer set jx = 'Read the first article' where a1 = '" + FId + L"'");
  TADOQuery* text = DM1->cn1query_nr;
  text->GetSQL()->SetText(L"select * from tab_exer where a1 = '" + FId + L"'");
  text->Open();
  TFrmJx* window = TCustomForm::Create<TFrmJx>(Application);
  window->SetSource(DM1->Cn1DS_nr, L"jx");
  String shown;
  TModalDriver driver({[&] {
    HWND wnd = FindOwnWindow(L"解析");
    if (!wnd) return false;
    HWND memo = window->Re->GetHandle();
    ::SetFocus(memo);
    for (wchar_t ch : String(L"改")) ::SendMessageW(memo, WM_CHAR, ch, 1);
    shown = window->Re->GetText();
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(SaveShotsOverMenu(wnd, L"explanation"));
    ClickGraphic(window->epEfTrBtn1);
    return true;
  }});
  window->ShowModal();
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(L"Read the first article", shown);
  EXPECT_EQ(dsBrowse, text->GetState());
  delete window;
  text->Close();
  EXPECT_EQ(L"Read the first article", SelectText(FData.Cn(), L"select jx from tab_exer where a1 = '" + FId + L"'"));
}

TEST_F(ArticleWindows, LinkedArticlesOfTwoLaws) {
  // Column order differs from the bank's order, and an empty column lies between them.
  FData.Exec(L"update tab_answ set k3 = '2101001', k4 = '', k5 = '1101002', k6 = 'nosuch''id', k7 = null, "
             L"k8 = null, k9 = null, k10 = null, k11 = null, k12 = null where a1 = '" + FId + L"'");
  TfrmAnswFagui* window = TCustomForm::Create<TfrmAnswFagui>(Application);
  ASSERT_TRUE(window->LoadLinkedRules(FId));
  ASSERT_EQ(3, window->m_listbox->GetItems()->GetCount());
  EXPECT_EQ(L"nosuch'id", window->m_listbox->GetItems()->Get(2));

  std::vector<String> titles, texts, items;
  TModalDriver driver({[&] {
    HWND wnd = FindOwnWindow(L"相关考点");
    if (!wnd) return false;
    TListBox* list = window->ListBox1;
    for (int i = 0; i < list->GetItems()->GetCount(); ++i) items.push_back(list->GetItems()->Get(i));
    titles.push_back(window->epLabel1->GetCaption());
    texts.push_back(window->Re->GetText());
    // Rows 16 pixels high, as the layout gives them.
    EXPECT_EQ(16, list->ItemRect(0).Height());
    EXPECT_EQ(16, list->ItemRect(1).Top);
    ClickList(list, 10, 16 + 8);  // the second item
    titles.push_back(window->epLabel1->GetCaption());
    texts.push_back(window->Re->GetText());
    ClickList(list, 10, list->GetClientHeight() - 4);  // below the items
    titles.push_back(window->epLabel1->GetCaption());
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(SaveShotsOverMenu(wnd, L"linked_articles"));
    ClickGraphic(window->epEfTrBtn1);
    return true;
  }});
  window->ShowModal();
  EXPECT_TRUE(driver.Done());
  delete window;

  ASSERT_EQ(2u, items.size()) << "the id that matches no article is not listed";
  EXPECT_EQ(L"有限责任公司的股东人数", items[0]);
  EXPECT_EQ(L"自愿评估与法定评估", items[1]);
  ASSERT_EQ(3u, titles.size());
  EXPECT_EQ(L"中华人民共和国公司法", titles[0]);
  EXPECT_EQ(L"中华人民共和国资产评估法", titles[1]);
  EXPECT_EQ(L"中华人民共和国资产评估法", titles[2]);
  EXPECT_NE(String::npos, texts[1].find(L"自愿委托评估机构评估")) << "the article's text, formatted";
  EXPECT_EQ(String::npos, texts[1].find(L"\\rtf"));
  EXPECT_NE(texts[0], texts[1]);
}

TEST_F(ArticleWindows, KeysMovingTheListShowTheSelectedArticle) {
  FData.Exec(L"update tab_answ set k3 = '2101001', k4 = '1101002', k5 = null, k6 = null, k7 = null, "
             L"k8 = null, k9 = null, k10 = null, k11 = null, k12 = null where a1 = '" + FId + L"'");
  // The small screen's layout, shot as it is.
  const String savedMode = ScreenMode;
  ScreenMode = L"800";
  TfrmAnswFagui* window = TCustomForm::Create<TfrmAnswFagui>(Application);
  ASSERT_TRUE(window->LoadLinkedRules(FId));
  struct TSeen {
    int Index;
    String Title, Text;
  };
  std::vector<TSeen> seen;
  auto note = [&] {
    seen.push_back({window->ListBox1->GetItemIndex(), window->epLabel1->GetCaption(), window->Re->GetText()});
  };
  // Each key is posted as the keyboard would and takes effect in the next step.
  auto press = [&](WORD vk) {
    return [&, vk] {
      note();
      return PostKey(vk);
    };
  };
  TModalDriver driver({[&] {
                         if (!FindOwnWindow(L"相关考点")) return false;
                         ::SetFocus(window->ListBox1->GetHandle());
                         return ::GetFocus() == window->ListBox1->GetHandle();
                       },
                       press(VK_DOWN), press(VK_DOWN), press(VK_UP), press(VK_END),
                       [&] {
                         note();
                         ::RedrawWindow(window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
                         return true;
                       },
                       [&] {
                         PumpAWhile();
                         EXPECT_TRUE(SaveWindowShot(window->GetHandle(), L"linked_articles_keys_800"));
                         ClickGraphic(window->epEfTrBtn1);
                         return true;
                       }});
  window->ShowModal();
  EXPECT_TRUE(driver.Done());
  delete window;
  ScreenMode = savedMode;

  // At the start, after Down, after Down at the end, after Up, after End.
  ASSERT_EQ(5u, seen.size());
  const int expected[] = {0, 1, 1, 0, 1};
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(expected[i], seen[i].Index) << i;
    const bool second = expected[i] == 1;
    EXPECT_EQ(second ? L"中华人民共和国资产评估法" : L"中华人民共和国公司法", seen[i].Title) << i;
    EXPECT_EQ(second, seen[i].Text.find(L"自愿委托评估机构评估") != String::npos) << i;
  }
}

TEST_F(ArticleWindows, AQuestionWithoutLinksOpensNothing) {
  FData.Exec(L"update tab_answ set k3 = null, k4 = '', k5 = null, k6 = null, k7 = null, k8 = null, k9 = null, "
             L"k10 = null, k11 = null, k12 = null where a1 = '" + FId + L"'");
  TfrmAnswFagui* window = TCustomForm::Create<TfrmAnswFagui>(Application);
  EXPECT_FALSE(window->LoadLinkedRules(FId));
  EXPECT_FALSE(window->LoadLinkedRules(L"no'such"));
  delete window;
}

}  // namespace
