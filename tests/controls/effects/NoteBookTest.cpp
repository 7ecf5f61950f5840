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

String ListErrorOf(const std::function<void()>& action) {
  return ErrorMessageOf<EListError>(action, L"(no error)");
}

// The indexes of the visible pages.
std::vector<int> VisiblePages(TepNoteBook* notebook) {
  std::vector<int> visible;
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

  std::unique_ptr<TTestHost> Host;
  TepNoteBook* Book = nullptr;
  int Changes = 0;
};

}  // namespace

TEST_F(NoteBook, StartsEmptyAndShowsEachPageAsItIsAdded) {
  EXPECT_EQ(Book->GetPageCount(), 0);
  EXPECT_EQ(Book->GetPageIndex(), -1);
  EXPECT_EQ(Book->GetActivePage(), L"");
  EXPECT_EQ(TepNoteBook(nullptr).GetWidth(), 150);

  AddPages({L"提示", L"警告"});
  EXPECT_EQ(Book->GetPageIndex(), 1);
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(VisiblePages(Book), std::vector<int>{1});
  EXPECT_EQ(Book->GetPage(1)->GetBoundsRect(), Book->GetClientRect());
  EXPECT_EQ(Book->GetPages()->GetObject(0), Book->GetPage(0));
  EXPECT_EQ(Book->GetPage(0)->GetOwner(), Book);
  EXPECT_EQ(Book->GetPage(0)->GetParent(), Book);
  // At run time the mouse goes through a page to the notebook beneath.
  EXPECT_EQ(::SendMessageW(Book->GetPage(1)->GetHandle(), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
}

TEST_F(NoteBook, PageIndexAndActivePageIgnoreWhatNamesNoOtherPage) {
  AddPages({L"提示", L"警告", L"错误"});
  Book->SetPageIndex(0);
  Changes = 0;
  Book->SetPageIndex(5);  // 3 pages: ignored
  Book->SetPageIndex(-1);
  Book->SetPageIndex(0);  // the current one: no event
  Book->SetActivePage(L"无此页");
  EXPECT_EQ(Book->GetPageIndex(), 0);
  EXPECT_EQ(Changes, 0);
  Book->SetActivePage(L"错误");
  EXPECT_EQ(Book->GetPageIndex(), 2);
  EXPECT_EQ(Book->GetActivePage(), L"错误");
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(VisiblePages(Book), std::vector<int>{2});
  EXPECT_EQ(ListErrorOf([&] { Book->GetPages()->Get(7); }), L"List index out of bounds (7)");
  EXPECT_EQ(ListErrorOf([&] { Book->GetPages()->Delete(-1); }), L"List index out of bounds (-1)");
}

TEST_F(NoteBook, RenamingAndMovingPages) {
  AddPages({L"A", L"B", L"C"});
  Book->GetPages()->Put(0, L"First");
  EXPECT_EQ(Book->GetPage(0)->GetCaption(), L"First");
  TepPage* shown = Book->GetPage(2);
  Book->GetPages()->Move(2, 0);  // the two pages change places
  EXPECT_EQ(Book->GetPages()->Get(0), L"C");
  EXPECT_EQ(Book->GetPages()->Get(1), L"B");
  EXPECT_EQ(Book->GetPages()->Get(2), L"First");
  EXPECT_EQ(Book->GetPage(Book->GetPageIndex()), shown);  // the shown page stays shown
}

TEST_F(NoteBook, DeletingAPageJumpsToAValidFirstPage) {
  AddPages({L"A", L"B", L"C"});
  // The page shown (the last) goes: page 0 shows.
  Book->GetPages()->Delete(2);
  EXPECT_EQ(Book->GetPageIndex(), 0);
  EXPECT_EQ(Book->GetActivePage(), L"A");
  EXPECT_EQ(VisiblePages(Book), std::vector<int>{0});

  // The current page 0 goes: the page that is now first shows, not a stale index.
  Book->GetPages()->Delete(0);
  EXPECT_EQ(Book->GetPageIndex(), 0);
  EXPECT_EQ(Book->GetActivePage(), L"B");
  EXPECT_EQ(VisiblePages(Book), std::vector<int>{0});

  // A page before the current one goes: still a valid index, one page visible.
  AddPages({L"D", L"E"});
  ASSERT_EQ(Book->GetPageIndex(), 2);
  Book->GetPages()->Delete(1);
  EXPECT_EQ(Book->GetPageIndex(), 0);
  EXPECT_EQ(VisiblePages(Book), std::vector<int>{0});

  // The only page goes: no page.
  Book->GetPages()->Clear();
  AddPages({L"Only"});
  Book->GetPages()->Delete(0);
  EXPECT_EQ(Book->GetPageCount(), 0);
  EXPECT_EQ(Book->GetPageIndex(), -1);
  EXPECT_EQ(Book->GetActivePage(), L"");
  AddPages({L"Again"});
  EXPECT_EQ(Book->GetPageIndex(), 0);
}

TEST_F(NoteBook, APageFreedOrTakenAwayLeavesTheList) {
  AddPages({L"A", L"B", L"C"});
  Book->SetPageIndex(2);
  delete Book->GetPage(0);  // before the shown page: the index follows it
  EXPECT_EQ(Book->GetPageCount(), 2);
  EXPECT_EQ(Book->GetPageIndex(), 1);
  EXPECT_EQ(Book->GetActivePage(), L"C");
  Book->GetPage(1)->SetParent(Host.get());  // the shown page leaves: none shows
  EXPECT_EQ(Book->GetPageCount(), 1);
  EXPECT_EQ(Book->GetPageIndex(), -1);
  EXPECT_EQ(Book->GetActivePage(), L"");
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
}

// ---- Wallpaper -----------------------------------------------------------------------------------

TEST(NoteBookPage, PaintsItsWallPaperTiledOrItsColour) {
  TTestHost host;
  auto* page = new TepPage(&host);
  page->SetAlign(alNone);
  page->SetBounds(0, 0, 100, 40);
  page->SetParent(&host);
  page->SetColor(clLime);
  MemorySurface plain(100, 40, clWhite);
  page->Perform(WM_PAINT, reinterpret_cast<WPARAM>(plain.DC()), 0);
  EXPECT_EQ(plain.CountOf(clLime, Rect(0, 0, 100, 40)), 4000);

  TBitmap picture;  // 32 x 32: red, with a blue top-left pixel
  picture.SetSize(32, 32);
  picture.GetCanvas()->GetBrush()->SetColor(clRed);
  picture.GetCanvas()->FillRect(Rect(0, 0, 32, 32));
  picture.GetCanvas()->SetPixels(0, 0, clBlue);
  page->SetWallPaper(&picture);
  MemorySurface tiled(100, 40, clWhite);
  page->Perform(WM_PAINT, reinterpret_cast<WPARAM>(tiled.DC()), 0);
  EXPECT_EQ(tiled.CountOf(clBlue, Rect(0, 0, 100, 40)), 8);
  EXPECT_EQ(tiled.At(96, 32), clBlue);
  EXPECT_EQ(tiled.At(99, 39), clRed);
  EXPECT_EQ(tiled.CountOf(clWhite, Rect(0, 0, 100, 40)), 0);
}

// ---- Layouts ---------------------------------------------------------------------------------------

namespace {

String NoteBookLayout(const wchar_t* pageIndexLine) {
  return String(L"object Host: TTestHost\n"
                L"  object Book: TepNoteBook\n"
                L"    Left = 8\n"
                L"    Top = 8\n"
                L"    Width = 32\n"
                L"    Height = 32\n") +
         pageIndexLine +
         L"    object TepPage\n"
         L"      Left = 0\n"
         L"      Top = 0\n"
         L"      Caption = '提示'\n"
         L"    end\n"
         L"    object TepPage\n"
         L"      Left = 0\n"
         L"      Top = 0\n"
         L"      Caption = '警告'\n"
         L"      object Inner: TepPage\n"
         L"        Caption = 'not a page of the notebook'\n"
         L"      end\n"
         L"    end\n"
         L"    object TepPage\n"
         L"      Left = 0\n"
         L"      Top = 0\n"
         L"      Caption = '错误'\n"
         L"    end\n"
         L"  end\n"
         L"end\n";
}

TepNoteBook* ReadNoteBook(TTestHost& host, const wchar_t* pageIndexLine) {
  ReadLayout(&host, NoteBookLayout(pageIndexLine));
  return dynamic_cast<TepNoteBook*>(host.FindComponent(L"Book"));
}

}  // namespace

TEST(NoteBookLayout, TheStoredPageShowsOnceThePagesAreRead) {
  // PageIndex comes before the pages: while loading it is only stored, and checked once
  // the pages are read. Without it the first page shows; an index naming no page shows none.
  const struct {
    const wchar_t* Line;
    int PageIndex;
  } cases[] = {{L"    PageIndex = 2\n", 2}, {L"", 0}, {L"    PageIndex = -1\n", -1},
               {L"    PageIndex = 7\n", -1}};
  for (const auto& c : cases) {
    TTestHost host;
    TepNoteBook* book = ReadNoteBook(host, c.Line);
    ASSERT_NE(book, nullptr);
    ASSERT_EQ(book->GetPageCount(), 3);
    EXPECT_EQ(book->GetPages()->Get(2), L"错误");
    EXPECT_EQ(book->GetPageIndex(), c.PageIndex) << StringToUtf8(c.Line);
    EXPECT_EQ(VisiblePages(book), c.PageIndex < 0 ? std::vector<int>{} : std::vector<int>{c.PageIndex});
  }
  // After loading, writes take effect at once.
  TTestHost host;
  TepNoteBook* book = ReadNoteBook(host, L"    PageIndex = -1\n");
  int changes = 0;
  book->SetOnPageChanged([&](TObject*) { ++changes; });
  book->SetPageIndex(1);
  EXPECT_EQ(VisiblePages(book), std::vector<int>{1});
  EXPECT_EQ(changes, 1);
}

TEST(NoteBookLayout, PagesWithWallPaperSurviveAWriteAndARead) {
  TTestHost host;
  auto* book = new TepNoteBook(&host);
  book->SetName(L"Icons");
  book->SetParent(&host);
  book->GetPages()->Add(L"提示");
  book->GetPages()->Add(L"警告");
  TBitmap picture;
  picture.SetSize(32, 32);
  picture.GetCanvas()->GetBrush()->SetColor(clYellow);
  picture.GetCanvas()->FillRect(Rect(0, 0, 32, 32));
  book->GetPage(1)->SetWallPaper(&picture);
  book->SetPageIndex(0);
  const String text = ComponentToText(&host);
  EXPECT_NE(text.find(L"WallPaper.Data = {"), String::npos);
  EXPECT_EQ(text.find(L"PageIndex"), String::npos);  // 0 is the default

  TTestHost copy;
  ReadLayout(&copy, text);
  auto* read = dynamic_cast<TepNoteBook*>(copy.FindComponent(L"Icons"));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->GetPageCount(), 2);
  EXPECT_EQ(read->GetPages()->Get(1), L"警告");
  EXPECT_EQ(read->GetPageIndex(), 0);
  EXPECT_EQ(read->GetPage(1)->GetWallPaper()->GetWidth(), 32);
  EXPECT_EQ(read->GetPage(1)->GetWallPaper()->GetCanvas()->GetPixels(5, 5), clYellow);
  EXPECT_TRUE(read->GetPage(0)->GetWallPaper()->GetEmpty());
}
