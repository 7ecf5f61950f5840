// The page list the notebooks and the page control share (TPageStack), driven directly: the
// index of the page shown following its page as pages are inserted, moved, swapped, freed
// or given another parent from outside, and the stored order and index of a layout.
#include <gtest/gtest.h>

#include "GridTestSupport.h"
#include "classlib/stdctrls/PageStack.h"
#include "tests/ErrorMessages.h"

using namespace grid_tests;

namespace {

// A page: hidden until the stack shows it.
class TStackPage : public TCustomControl {
  CLASSLIB_CLASS(TStackPage, TCustomControl)
  explicit TStackPage(TComponent* owner) : TCustomControl(owner) { SetVisible(false); }
};

// The least notebook over a stack: its TStackPage children join and leave the list through
// CM_CONTROLCHANGE, as the notebooks' do.
class TStackBook : public TCustomControl {
  CLASSLIB_CLASS(TStackBook, TCustomControl)
  explicit TStackBook(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
    SetBounds(10, 10, 200, 150);
  }
  void Dispatch(TMessage& message) override {
    auto* control = reinterpret_cast<TControl*>(message.WParam);
    if (message.Msg != CM_CONTROLCHANGE)
      inherited::Dispatch(message);
    else if (message.LParam)
      Pages.ControlInserted(dynamic_cast<TStackPage*>(control));
    else
      Pages.ControlRemoved(control);
  }
  TPageStack Pages{this};  // the TStackPage children
};

// The captions of the pages in list order, "A B C".
String Captions(const TPageStack& pages) {
  String text;
  for (int i = 0; i < pages.GetCount(); ++i)
    text += (i ? L" " : L"") + pages.GetPage(i)->GetCaption();
  return text;
}

// The message of the EListError action raises; "" when it raises none.
String ListErrorOf(const std::function<void()>& action) {
  return ErrorMessageOf<EListError>(action, String());
}

// A notebook over a stack in a host window.
class PageStackTest : public ::testing::Test {
 protected:
  PageStackTest() { Book->SetParent(&Host); }
  // A page owned by the host, made a child of the notebook as a layout's pages are.
  TStackPage* OutsidePage(const String& caption) {
    auto* page = new TStackPage(&Host);
    page->SetCaption(caption);
    page->SetParent(Book);
    return page;
  }

  TTestHost Host;
  TStackBook* Book = new TStackBook(&Host);  // owned by Host
  TPageStack& Pages = Book->Pages;
};

}  // namespace

TEST_F(PageStackTest, TheShownIndexFollowsItsPageThroughInsertsMovesAndSwaps) {
  Pages.Insert<TStackPage>(0, L"A");
  Pages.Insert<TStackPage>(1, L"C");
  Pages.Insert<TStackPage>(1, L"B");
  ASSERT_EQ(Captions(Pages), L"A B C");
  EXPECT_EQ(Pages.GetPage(1)->GetOwner(), Book);
  EXPECT_EQ(Pages.GetPage(1)->GetParent(), Book);
  EXPECT_EQ(Pages.GetPageIndex(), -1);  // inserting shows nothing

  Host.ShowHost();
  EXPECT_TRUE(Pages.Show(1));
  for (int index : {1, 3, -1}) EXPECT_FALSE(Pages.Show(index));  // shown already, or outside
  EXPECT_EQ(Pages.GetActiveCaption(), L"B");
  EXPECT_TRUE(Pages.GetPage(1)->GetVisible());
  EXPECT_EQ(Pages.GetPage(1)->GetBoundsRect(), Book->GetClientRect());
  EXPECT_TRUE(Pages.Show(2));
  EXPECT_FALSE(Pages.GetPage(1)->GetVisible());
  Pages.Show(1);

  Pages.Insert<TStackPage>(0, L"Z");  // before the page shown: the index moves along
  Pages.Insert<TStackPage>(4, L"E");  // after it: the index stays
  EXPECT_EQ(Captions(Pages), L"Z A B C E");
  EXPECT_EQ(Pages.GetActiveCaption(), L"B");
  EXPECT_EQ(Pages.GetPageIndex(), 2);
  Pages.Move(2, 0);  // the page shown itself
  EXPECT_EQ(Pages.GetPageIndex(), 0);
  Pages.Move(4, 0);  // another page across it
  EXPECT_EQ(Captions(Pages), L"E B Z A C");
  EXPECT_EQ(Pages.GetPageIndex(), 1);
  Pages.Exchange(1, 4);
  EXPECT_EQ(Captions(Pages), L"E C Z A B");
  EXPECT_EQ(Pages.GetPageIndex(), 4);
  Pages.Exchange(0, 2);  // neither is the page shown
  EXPECT_EQ(Pages.GetPageIndex(), 4);

  EXPECT_EQ(ListErrorOf([&] { Pages.Insert<TStackPage>(6, L"X"); }),
            L"List index out of bounds (6)");
  EXPECT_EQ(Book->GetComponentCount(), 5);  // no page was made for it
  EXPECT_EQ(ListErrorOf([&] { Pages.Move(0, 5); }), L"List index out of bounds (5)");
  EXPECT_EQ(ListErrorOf([&] { Pages.Exchange(-1, 0); }), L"List index out of bounds (-1)");
  EXPECT_EQ(ListErrorOf([&] { Pages.FreePage(5); }), L"List index out of bounds (5)");
  EXPECT_EQ(Captions(Pages), L"Z C E A B");

  Pages.FreePage(0);  // a page before the one shown
  EXPECT_EQ(Pages.GetActiveCaption(), L"B");
  Pages.FreePage(3);  // the one shown: none is shown in its place
  EXPECT_EQ(Pages.GetPageIndex(), -1);
  Pages.Show(0);
  Pages.FreeAll();
  EXPECT_EQ(Pages.GetCount(), 0);
  EXPECT_EQ(Pages.GetPageIndex(), -1);
  EXPECT_EQ(Book->GetComponentCount(), 0);
}

TEST_F(PageStackTest, PagesFreedOrGivenAnotherParentFromOutsideLeaveTheList) {
  TStackPage* a = OutsidePage(L"A");
  TStackPage* b = OutsidePage(L"B");
  TStackPage* c = OutsidePage(L"C");
  (new TCustomControl(&Host))->SetParent(Book);  // a child that is no page
  ASSERT_EQ(Captions(Pages), L"A B C");          // in the order they came
  Host.ShowHost();
  Pages.Show(2);

  delete a;  // before the page shown
  EXPECT_EQ(Captions(Pages), L"B C");
  EXPECT_EQ(Pages.GetPage(Pages.GetPageIndex()), c);
  b->SetParent(&Host);  // moved out of the notebook
  EXPECT_EQ(Captions(Pages), L"C");
  EXPECT_EQ(Pages.GetPageIndex(), 0);
  b->SetParent(Book);  // and back: at the end
  EXPECT_EQ(Captions(Pages), L"C B");
  EXPECT_FALSE(Pages.ControlInserted(b));  // listed already
  EXPECT_FALSE(Pages.ControlInserted(nullptr));

  delete c;  // the page shown
  EXPECT_EQ(Captions(Pages), L"B");
  EXPECT_EQ(Pages.GetPageIndex(), -1);
  EXPECT_EQ(Pages.GetActiveCaption(), L"");
}

TEST_F(PageStackTest, ALayoutsStoredOrderAndIndexApplyOnceItsPagesAreRead) {
  TStackPage* a = OutsidePage(L"A");
  OutsidePage(L"B");
  TStackPage* c = OutsidePage(L"C");
  Host.ShowHost();

  EXPECT_TRUE(Pages.SetChildOrder(c, 0));
  EXPECT_EQ(Captions(Pages), L"C A B");
  EXPECT_FALSE(Pages.SetChildOrder(a, 3));     // a bad order
  EXPECT_FALSE(Pages.SetChildOrder(Book, 0));  // no page
  EXPECT_EQ(Captions(Pages), L"C A B");

  Pages.StoreIndex(1);
  Pages.ShowStoredPage();
  EXPECT_TRUE(a->GetVisible());
  EXPECT_FALSE(c->GetVisible());
  EXPECT_EQ(a->GetBoundsRect(), Book->GetClientRect());
  Pages.StoreIndex(3);  // names no page: none shows
  Pages.ShowStoredPage();
  EXPECT_EQ(Pages.GetPageIndex(), -1);
}
