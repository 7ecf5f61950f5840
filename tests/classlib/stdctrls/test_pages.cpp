// Notebooks and page controls: pages made, shown, moved and freed from code and from a
// layout, tabs clicked and switched with Ctrl+Tab as a user does, the focus following the
// page shown, and bad page indexes.
#include <gtest/gtest.h>

#include "GridTestSupport.h"
#include "classlib/stdctrls/Grids.h"
#include "classlib/stdctrls/Notebooks.h"
#include "classlib/stdctrls/PageControls.h"
#include "tests/ErrorMessages.h"

#include <commctrl.h>  // after Win.h, which the headers above bring

using namespace grid_tests;

namespace {

String ListErrorOf(const std::function<void()>& action) {
  return ErrorMessageOf<EListError>(action, L"(no error)");
}

// The text of a tab of the system's tab control.
String TabText(HWND tabs, int index) {
  wchar_t buffer[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buffer;
  item.cchTextMax = 64;
  ::SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

int TabCount(HWND tabs) { return static_cast<int>(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)); }

// Clicks the centre of a tab as the user does.
void ClickTab(HWND tabs, int index) {
  RECT r{};
  ::SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  Click(tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// ---- TNotebook ----------------------------------------------------------------------------------------

TEST(Notebook, PagesAddedShownAndDeletedThroughThePagesListOrFreedFromOutside) {
  TTestHost host;
  auto* notebook = new TNotebook(&host);
  notebook->SetParent(&host);
  int changes = 0;
  notebook->SetOnPageChanged([&](TObject*) { ++changes; });
  host.ShowHost();
  ASSERT_EQ(notebook->GetPageCount(), 1);
  EXPECT_EQ(notebook->GetActivePage(), L"Default");
  EXPECT_EQ(notebook->GetPage(0)->GetBoundsRect(), notebook->GetClientRect());

  notebook->GetPages()->Add(L"Second");  // a new page shows at once
  EXPECT_EQ(notebook->GetPageIndex(), 1);
  EXPECT_FALSE(notebook->GetPage(0)->GetVisible());
  EXPECT_TRUE(notebook->GetPage(1)->GetVisible());
  EXPECT_EQ(changes, 1);

  notebook->SetPageIndex(5);  // outside the pages: ignored
  notebook->SetPageIndex(-1);
  notebook->SetActivePage(L"No such page");
  EXPECT_EQ(notebook->GetPageIndex(), 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ListErrorOf([&] { notebook->GetPages()->Get(7); }), L"List index out of bounds (7)");

  notebook->SetActivePage(L"Default");
  EXPECT_EQ(notebook->GetPageIndex(), 0);
  notebook->GetPages()->Delete(0);  // the page shown goes: the first page shows
  EXPECT_EQ(notebook->GetPageCount(), 1);
  EXPECT_EQ(notebook->GetActivePage(), L"Second");
  EXPECT_TRUE(notebook->GetPage(0)->GetVisible());

  auto* page = new TPage(&host);  // owned by the host, as a layout's pages are
  page->SetParent(notebook);
  notebook->SetPageIndex(1);
  delete page;  // it leaves the list, and none shows in its place
  EXPECT_EQ(notebook->GetPageCount(), 1);
  EXPECT_EQ(notebook->GetPageIndex(), -1);

  notebook->GetPages()->Clear();
  EXPECT_EQ(notebook->GetPageIndex(), -1);
  EXPECT_EQ(notebook->GetActivePage(), L"");
}

TEST(Notebook, ReadFromALayoutWithItsPagesAndTheStoredPageShowing) {
  TTestHost host;
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object Book: TNotebook\n    Width = 300\n    Height = 200\n    PageIndex = 1\n"
             L"    object TPage\n      Caption = 'List'\n"
             L"      object FirstGrid: TDrawGrid\n      end\n    end\n"
             L"    object TPage\n      Caption = 'Detail'\n"
             L"      object SecondGrid: TDrawGrid\n      end\n    end\n"
             L"  end\n"
             L"end\n");
  auto* notebook = dynamic_cast<TNotebook*>(host.FindComponent(L"Book"));
  ASSERT_NE(notebook, nullptr);
  ASSERT_EQ(notebook->GetPageCount(), 2);  // the default page made way for the layout's
  EXPECT_EQ(notebook->GetPages()->Get(0), L"List");
  EXPECT_EQ(notebook->GetActivePage(), L"Detail");
  EXPECT_FALSE(notebook->GetPage(0)->GetVisible());
  EXPECT_TRUE(notebook->GetPage(1)->GetVisible());
  auto* second = dynamic_cast<TDrawGrid*>(host.FindComponent(L"SecondGrid"));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetParent(), notebook->GetPage(1));

  // The focus follows the page shown: from the grid of the page that goes to the first
  // control of the new one.
  host.ShowHost();
  ActivateHost(&host);
  second->SetFocus();
  notebook->SetPageIndex(0);
  Pump();
  EXPECT_EQ(host.GetFocusedControl(), host.FindComponent(L"FirstGrid"));

  // Written again: both pages, inside the notebook, without their Visible or Align.
  const String text = ComponentToText(&host);
  const size_t first = text.find(L"object TPage");
  ASSERT_NE(first, String::npos);
  EXPECT_NE(text.find(L"object TPage", first + 1), String::npos);
  EXPECT_EQ(text.find(L"Visible"), String::npos);
  EXPECT_EQ(text.find(L"alClient"), String::npos);
}

// ---- TPageControl ------------------------------------------------------------------------------------------

class PageControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Host = std::make_unique<TTestHost>(100, 100, 400, 300);
    ReadLayout(Host.get(),
               L"object Host: TTestHost\n"
               L"  object Pages: TPageControl\n    Left = 10\n    Top = 10\n    Width = 300\n"
               L"    Height = 200\n    ActivePage = DetailSheet\n"
               L"    object ListSheet: TTabSheet\n      Caption = 'List'\n"
               L"      object ListGrid: TStringGrid\n      end\n    end\n"
               L"    object DetailSheet: TTabSheet\n      Caption = 'Detail'\n"
               L"      object DetailGrid: TStringGrid\n      end\n    end\n"
               L"  end\n"
               L"end\n");
    Pages = dynamic_cast<TPageControl*>(Host->FindComponent(L"Pages"));
    ASSERT_NE(Pages, nullptr);
    ListSheet = dynamic_cast<TTabSheet*>(Host->FindComponent(L"ListSheet"));
    DetailSheet = dynamic_cast<TTabSheet*>(Host->FindComponent(L"DetailSheet"));
    Pages->SetOnChanging([this](TObject*, bool& allow) {
      ++Changings;
      allow = AllowChange;
    });
    Pages->SetOnChange([this](TObject*) { ++Changes; });
    Host->ShowHost();
  }
  void TearDown() override {
    Host.reset();
    Pump();
  }
  HWND Tabs() { return Pages->GetHandle(); }

  std::unique_ptr<TTestHost> Host;
  TPageControl* Pages = nullptr;
  TTabSheet* ListSheet = nullptr;
  TTabSheet* DetailSheet = nullptr;
  int Changings = 0;
  int Changes = 0;
  bool AllowChange = true;
};

TEST_F(PageControlTest, ReadFromALayoutWithTabsAndTheStoredActivePage) {
  ASSERT_EQ(Pages->GetPageCount(), 2);
  EXPECT_EQ(Pages->GetPages(0), ListSheet);
  EXPECT_EQ(Pages->GetActivePage(), DetailSheet);
  EXPECT_TRUE(DetailSheet->GetVisible());
  EXPECT_FALSE(ListSheet->GetVisible());
  ASSERT_EQ(TabCount(Tabs()), 2);
  EXPECT_EQ(TabText(Tabs(), 0), L"List");
  EXPECT_EQ(TabText(Tabs(), 1), L"Detail");
  EXPECT_EQ(Pages->GetTabIndex(), 1);
  // The page fills the part the tabs leave.
  const TRect display = Pages->GetDisplayRect();
  EXPECT_EQ(DetailSheet->GetBoundsRect(), display);
  EXPECT_GT(display.Top, 10);  // below the row of tabs
  EXPECT_EQ(Changes, 0);       // reading tells no change
}

TEST_F(PageControlTest, ClickingATabAsksOnChangingAndShowsItsPage) {
  ClickTab(Tabs(), 0);
  EXPECT_EQ(Changings, 1);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Pages->GetActivePage(), ListSheet);
  EXPECT_TRUE(ListSheet->GetVisible());
  EXPECT_FALSE(DetailSheet->GetVisible());
  // Refused: the page and its tab stay.
  AllowChange = false;
  ClickTab(Tabs(), 1);
  EXPECT_EQ(Changings, 2);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Pages->GetActivePage(), ListSheet);
  EXPECT_EQ(Pages->GetTabIndex(), 0);
}

TEST_F(PageControlTest, CtrlTabInsideTheControlGoesToTheNextPageAndTheFocusFollows) {
  auto* detailGrid = dynamic_cast<TStringGrid*>(Host->FindComponent(L"DetailGrid"));
  ActivateHost(Host.get());
  detailGrid->SetFocus();
  {
    HeldKeys ctrl(false, true);
    PressKey(detailGrid->GetHandle(), VK_TAB);
  }
  EXPECT_EQ(Pages->GetActivePage(), ListSheet);  // round from the last page to the first
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Host->GetFocusedControl(), Host->FindComponent(L"ListGrid"));
  // From code: no events.
  Pages->SetActivePage(DetailSheet);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Changings, 1);
  EXPECT_EQ(Pages->GetTabIndex(), 1);
}

TEST_F(PageControlTest, BadPageIndexesRaiseListErrorsOrShowNoPage) {
  EXPECT_EQ(ListErrorOf([&] { Pages->GetPages(-1); }), L"List index out of bounds (-1)");
  EXPECT_EQ(ListErrorOf([&] { Pages->GetPages(2); }), L"List index out of bounds (2)");
  EXPECT_EQ(ListErrorOf([&] { ListSheet->SetPageIndex(5); }),
            L"5 is an invalid PageIndex value.  PageIndex must be between 0 and 1");
  EXPECT_EQ(ListErrorOf([&] { ListSheet->SetPageIndex(-1); }), L"List index out of bounds (-1)");
  Pages->SetActivePageIndex(9);  // outside: no page shows
  EXPECT_EQ(Pages->GetActivePage(), nullptr);
  EXPECT_FALSE(DetailSheet->GetVisible());
  EXPECT_EQ(Pages->GetTabIndex(), -1);
  Pages->SetActivePageIndex(0);
  EXPECT_EQ(Pages->GetActivePage(), ListSheet);
}

TEST_F(PageControlTest, MovingHidingAndRemovingSheetsKeepsTheTabsAndTheShownSheetInStep) {
  DetailSheet->SetPageIndex(0);
  EXPECT_EQ(Pages->GetPages(0), DetailSheet);
  EXPECT_EQ(TabText(Tabs(), 0), L"Detail");
  EXPECT_EQ(Pages->GetTabIndex(), 0);  // the active page's tab moved with it
  ListSheet->SetCaption(L"Laws");
  EXPECT_EQ(TabText(Tabs(), 1), L"Laws");

  // A sheet made in code joins through PageControl, hidden until made active.
  auto* extra = new TTabSheet(Host.get());
  extra->SetCaption(L"Extra");
  extra->SetPageControl(Pages);
  EXPECT_EQ(extra->GetPageIndex(), 2);
  EXPECT_EQ(TabText(Tabs(), 2), L"Extra");
  EXPECT_FALSE(extra->GetVisible());
  Pages->SetChildOrder(DetailSheet, 2);  // a layout's stored order: Laws Extra Detail
  EXPECT_EQ(Pages->GetActivePageIndex(), 2);
  EXPECT_EQ(Pages->GetTabIndex(), 2);

  ListSheet->SetTabVisible(false);
  EXPECT_EQ(TabCount(Tabs()), 2);
  EXPECT_EQ(ListSheet->GetTabIndex(), -1);
  EXPECT_EQ(extra->GetTabIndex(), 0);
  // The sheet shown leaves: the next with a tab, round past the end, shows.
  DetailSheet->SetParent(Host.get());
  EXPECT_EQ(DetailSheet->GetPageControl(), nullptr);
  EXPECT_EQ(Pages->GetPageCount(), 2);
  EXPECT_EQ(Pages->GetActivePage(), extra);
  EXPECT_TRUE(extra->GetVisible());
  EXPECT_EQ(Pages->GetTabIndex(), 0);
  EXPECT_EQ(Pages->FindNextPage(extra, true, true), extra);  // the only tab

  ListSheet->SetTabVisible(true);
  delete extra;  // freed while shown: the next one shows
  EXPECT_EQ(Pages->GetPageCount(), 1);
  EXPECT_EQ(Pages->GetActivePage(), ListSheet);
  EXPECT_TRUE(ListSheet->GetVisible());
  EXPECT_EQ(TabCount(Tabs()), 1);
}

}  // namespace
