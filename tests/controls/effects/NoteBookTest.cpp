// The page notebook: pages made, shown, swapped and deleted through Pages (the page index
// staying valid whatever page goes), pages read from a layout with the stored page showing,
// a control on a hidden page bringing its page forward, wallpaper tiling, and the page
// letting the mouse through.
#include <gtest/gtest.h>

#include "EffectControlsTestSupport.h"
#include "controls/effects/EPNote.h"
#include "tests/ErrorMessages.h"

using namespace effect_tests;
using control_tests::TLogWindow;
using control_tests::TTestHost;

namespace {

using Pages = std::vector<int>;

// The indexes of the visible pages.
Pages VisiblePages(TepNoteBook* notebook) {
  Pages visible;
  for (int i = 0; i < notebook->GetPageCount(); ++i)
    if (notebook->GetPage(i)->GetVisible()) visible.push_back(i);
  return visible;
}

class NoteBook : public ::testing::Test {
 protected:
  void SetUp() override {
    Host = std::make_unique<TTestHost>(100, 100, 300, 200);
    Book = new TepNoteBook(Host.get());
    Book->SetBounds(10, 10, 200, 150);
    Book->SetParent(Host.get());
    Book->SetOnPageChanged([this](TObject*) { ++Changes; });
    Host->ShowHost();
  }
  void TearDown() override { Host.reset(); }
  void AddPages(std::initializer_list<const wchar_t*> captions) {
    for (const wchar_t* caption : captions) Book->GetPages()->Add(caption);
  }
  // The page index, the active page's caption and the visible pages must agree.
  void ExpectShown(int index, const String& caption) {
    EXPECT_EQ(Book->GetPageIndex(), index);
    EXPECT_EQ(Book->GetActivePage(), caption);
    EXPECT_EQ(VisiblePages(Book), index < 0 ? Pages{} : Pages{index});
  }

  std::unique_ptr<TTestHost> Host;
  TepNoteBook* Book = nullptr;
  int Changes = 0;
};

}  // namespace

TEST_F(NoteBook, ShowsEachPageAsItIsAddedAndIgnoresIndexesNamingNoPage) {
  ExpectShown(-1, L"");
  AddPages({L"提示", L"警告", L"错误"});
  ExpectShown(2, L"错误");
  EXPECT_EQ(Changes, 3);
  EXPECT_EQ(Book->GetPage(1)->GetBoundsRect(), Book->GetClientRect());
  EXPECT_EQ(Book->GetPage(0)->GetOwner(), Book);
  // At run time the mouse goes through a page to the notebook beneath.
  EXPECT_EQ(::SendMessageW(Book->GetPage(1)->GetHandle(), WM_NCHITTEST, 0, 0), HTTRANSPARENT);

  Book->SetPageIndex(0);
  Changes = 0;
  Book->SetPageIndex(5);
  Book->SetPageIndex(-1);
  Book->SetPageIndex(0);  // the current one: no event
  Book->SetActivePage(L"无此页");
  ExpectShown(0, L"提示");
  EXPECT_EQ(Changes, 0);
  Book->SetActivePage(L"警告");
  ExpectShown(1, L"警告");
  EXPECT_EQ(Changes, 1);
  const auto listError = [](const std::function<void()>& action) {
    return ErrorMessageOf<EListError>(action, L"(no error)");
  };
  EXPECT_EQ(listError([&] { Book->GetPages()->Get(7); }), L"List index out of bounds (7)");
  EXPECT_EQ(listError([&] { Book->GetPages()->Delete(-1); }), L"List index out of bounds (-1)");
  // Renaming, and moving, which swaps the two pages; the shown page stays shown.
  Book->GetPages()->Put(0, L"First");
  Book->SetPageIndex(2);
  Book->GetPages()->Move(2, 0);
  EXPECT_EQ(Book->GetPages()->Get(2), L"First");
  ExpectShown(0, L"错误");
}

TEST_F(NoteBook, DeletingAPageJumpsToAValidFirstPage) {
  AddPages({L"A", L"B", L"C"});
  Book->GetPages()->Delete(2);  // the page shown (the last)
  ExpectShown(0, L"A");
  Book->GetPages()->Delete(0);  // the current page 0: the page now first, not a stale index
  ExpectShown(0, L"B");
  AddPages({L"D", L"E"});
  ASSERT_EQ(Book->GetPageIndex(), 2);
  Book->GetPages()->Delete(1);  // a page before the current one
  ExpectShown(0, L"B");
  Book->GetPages()->Clear();
  AddPages({L"Only"});
  Book->GetPages()->Delete(0);
  EXPECT_EQ(Book->GetPageCount(), 0);
  ExpectShown(-1, L"");
  AddPages({L"Again"});
  EXPECT_EQ(Book->GetPageIndex(), 0);
}

TEST_F(NoteBook, APageFreedOrTakenAwayLeavesTheList) {
  AddPages({L"A", L"B", L"C"});
  Book->SetPageIndex(2);
  delete Book->GetPage(0);  // before the shown page: the index follows it
  EXPECT_EQ(Book->GetPageCount(), 2);
  ExpectShown(1, L"C");
  Book->GetPage(1)->SetParent(Host.get());  // the shown page leaves: none shows
  EXPECT_EQ(Book->GetPageCount(), 1);
  ExpectShown(-1, L"");
  auto* page = new TepPage(Host.get());  // a page given the notebook as parent joins it
  page->SetCaption(L"Joined");
  page->SetParent(Book);
  EXPECT_EQ(Book->GetPages()->Get(1), L"Joined");
}

TEST_F(NoteBook, AControlOnAHiddenPageBringsItsPageForward) {
  AddPages({L"A", L"B"});
  Book->SetPageIndex(0);
  auto* control = new TLogWindow(Host.get(), Book->GetPage(1), Bounds(5, 5, 30, 20));
  control->SetVisible(false);
  Changes = 0;
  control->Show();
  EXPECT_EQ(Book->GetPageIndex(), 1);
  EXPECT_EQ(Changes, 1);
  EXPECT_TRUE(control->GetShowing());
  // A notebook holding the focus itself hands it to the first control of the page it shows.
  auto* first = new TLogWindow(Host.get(), Book->GetPage(0), Bounds(5, 5, 30, 20));
  first->SetTabStop(true);
  Book->SetTabStop(true);
  Book->SetFocus();
  ASSERT_TRUE(Book->Focused());
  Book->SetPageIndex(0);
  EXPECT_TRUE(first->Focused());
}

TEST(NoteBookPage, PaintsItsWallPaperTiledOrItsColour) {
  TTestHost host;
  auto* page = new TepPage(&host);
  page->SetAlign(alNone);
  page->SetBounds(0, 0, 100, 40);
  page->SetParent(&host);
  page->SetColor(clLime);
  MemorySurface surface(100, 40, clWhite);
  PaintInto(page, surface);
  EXPECT_EQ(CountAll(surface, clLime), 4000);
  TBitmap picture;  // 32 x 32: red, with a blue top-left pixel
  picture.SetSize(32, 32);
  picture.GetCanvas()->GetBrush()->SetColor(clRed);
  picture.GetCanvas()->FillRect(Rect(0, 0, 32, 32));
  picture.GetCanvas()->SetPixels(0, 0, clBlue);
  page->SetWallPaper(&picture);
  PaintInto(page, surface);
  EXPECT_EQ(CountAll(surface, clBlue), 8);  // 4 columns × 2 rows of tiles
  EXPECT_EQ(surface.At(96, 32), clBlue);
  EXPECT_EQ(CountAll(surface, clRed), 4000 - 8);
}

TEST(NoteBookLayout, TheStoredPageShowsOnceThePagesAreRead) {
  // PageIndex comes before the pages: while loading it is only stored, and checked once
  // the pages are read. Without it the first page shows; an index naming no page shows none.
  const struct {
    const wchar_t* Line;
    int PageIndex;
  } cases[] = {{L"    PageIndex = 2\n", 2}, {L"", 0}, {L"    PageIndex = 7\n", -1}};
  for (const auto& c : cases) {
    TTestHost host;
    ReadLayout(&host, String(L"object Host: TTestHost\n"
                             L"  object Book: TepNoteBook\n") +
                          c.Line +
                          L"    object TepPage\n"
                          L"      Caption = '提示'\n"
                          L"    end\n"
                          L"    object TepPage\n"
                          L"      Caption = '警告'\n"
                          L"      object Inner: TepPage\n"
                          L"        Caption = 'not a page of the notebook'\n"
                          L"      end\n"
                          L"    end\n"
                          L"    object TepPage\n"
                          L"      Caption = '错误'\n"
                          L"    end\n"
                          L"  end\n"
                          L"end\n");
    auto* book = dynamic_cast<TepNoteBook*>(host.FindComponent(L"Book"));
    ASSERT_NE(book, nullptr);
    ASSERT_EQ(book->GetPageCount(), 3);
    EXPECT_EQ(book->GetPages()->Get(2), L"错误");
    EXPECT_EQ(book->GetPageIndex(), c.PageIndex) << StringToUtf8(c.Line);
    EXPECT_EQ(VisiblePages(book), c.PageIndex < 0 ? Pages{} : Pages{c.PageIndex});
    book->SetPageIndex(1);  // after loading, writes take effect at once
    EXPECT_EQ(VisiblePages(book), Pages{1});
  }
}
