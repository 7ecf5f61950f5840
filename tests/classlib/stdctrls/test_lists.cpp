// List boxes and check list boxes read from a layout, driven by clicks, arrow keys and
// Space, with their events counted; owner drawing; items kept without a window and across
// a new window; bad indexes raise the list errors or select nothing.
#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "classlib/classes/StringList.h"
#include "classlib/stdctrls/CheckListBox.h"
#include "classlib/stdctrls/ListBoxes.h"
#include "tests/ErrorMessages.h"

using namespace edit_tests;

namespace {

// The centre of an item of a list box, in its client coordinates.
TPoint ItemCentre(TCustomListBox* list, int index, int x = -1) {
  const TRect rect = list->ItemRect(index);
  return TPoint(x >= 0 ? x : (rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2);
}

void ClickItem(TCustomListBox* list, int index, int x = -1, bool doubleClick = false) {
  const TPoint at = ItemCentre(list, index, x);
  ClickWindow(list->GetHandle(), at.X, at.Y, doubleClick);
}

TObject* Tag(int n) { return reinterpret_cast<TObject*>(static_cast<intptr_t>(0x1000 + n)); }

class ListBoxTest : public EditFormTest {
 protected:
  void SetUp() override {
    EditFormTest::SetUp();
    ReadLayout(
        L"object Form1: TEditsForm\n"
        L"  object List1: TListBox\n    Left = 8\n    Top = 8\n    Width = 150\n    Height = 120\n"
        L"    Items.Strings = (\n      'one'\n      'two'\n      'three'\n      'four')\n"
        L"    ItemIndex = 1\n    OnClick = Clicked\n    OnDblClick = DoubleClicked\n  end\n"
        L"  object Multi1: TListBox\n    Left = 170\n    Top = 8\n    MultiSelect = True\n"
        L"    Sorted = True\n    Items.Strings = (\n      'pear'\n      'Apple'\n      'fig')\n  end\n"
        L"  object Draw1: TListBox\n    Left = 8\n    Top = 140\n    Width = 150\n    Height = 140\n"
        L"    Style = lbOwnerDrawVariable\n    Items.Strings = (\n      'a'\n      'b'\n      'c')\n"
        L"    OnDrawItem = ItemDrawn\n    OnMeasureItem = ItemMeasured\n  end\n"
        L"end\n");
    List = Find<TListBox>(L"List1");
    Multi = Find<TListBox>(L"Multi1");
    Draw = Find<TListBox>(L"Draw1");
    ShowForm();
  }
  TListBox* List = nullptr;
  TListBox* Multi = nullptr;
  TListBox* Draw = nullptr;
};

TEST_F(ListBoxTest, LayoutFillsTheWindowAndClicksAndArrowKeysSelectAndRunOnClick) {
  ASSERT_TRUE(List && Multi && Draw);
  EXPECT_EQ(::SendMessageW(List->GetHandle(), LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(List->GetItemIndex(), 1);
  EXPECT_EQ(::SendMessageW(List->GetHandle(), LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Multi->GetItems()->GetCommaText(), L"Apple,fig,pear");
  EXPECT_NE(::GetWindowLongW(Multi->GetHandle(), GWL_STYLE) & LBS_EXTENDEDSEL, 0);
  EXPECT_EQ(Count(L"Click", List), 0);  // reading selects without clicking

  ClickItem(List, 2);
  EXPECT_EQ(List->GetItemIndex(), 2);
  EXPECT_TRUE(List->GetSelected(2));
  EXPECT_EQ(Count(L"Click", List), 1);
  PressKey(VK_DOWN);
  EXPECT_EQ(List->GetItemIndex(), 3);
  EXPECT_EQ(Count(L"Click", List), 2);
  PressKey(VK_HOME);
  EXPECT_EQ(List->GetItemIndex(), 0);
  ClickItem(List, 1, -1, true);
  EXPECT_EQ(List->GetItemIndex(), 1);
  EXPECT_EQ(Count(L"DblClick", List), 1);
  EXPECT_EQ(List->ItemAtPos(ItemCentre(List, 3), true), 3);
  EXPECT_EQ(List->ItemAtPos(TPoint(5, 115), true), -1);  // below the last item
  EXPECT_EQ(List->ItemAtPos(TPoint(5, 115), false), 4);
  // Setting the index in code runs no OnClick.
  const int clicks = Count(L"Click", List);
  List->SetItemIndex(0);
  EXPECT_EQ(Count(L"Click", List), clicks);
}

TEST_F(ListBoxTest, BadIndexesRaiseListErrorsOrSelectNothing) {
  List->SetItemIndex(-5);
  EXPECT_EQ(List->GetItemIndex(), -1);
  List->SetItemIndex(2);
  List->SetItemIndex(2147483647);
  EXPECT_EQ(List->GetItemIndex(), -1);
  TStrings* items = List->GetItems();
  EXPECT_THROW(items->Get(4), EStringListError);
  EXPECT_THROW(items->Delete(-1), EStringListError);
  EXPECT_THROW(items->Insert(6, L"x"), EStringListError);
  EXPECT_THROW(items->Exchange(0, 9), EStringListError);
  EXPECT_EQ(ErrorMessageOf<EListError>([&] { List->GetSelected(-1); }, L"(no error)"),
            L"List index out of bounds (-1)");
  EXPECT_THROW(List->SetSelected(4, true), EListError);
  EXPECT_EQ(List->GetCount(), 4);
  EXPECT_EQ(List->ItemRect(-1), TRect());
  List->SetTopIndex(-3);
  EXPECT_EQ(List->GetTopIndex(), 0);
  List->SetColumns(2147483647);  // huge counts and heights: no overflow, no failure
  List->SetColumns(-4);
  EXPECT_EQ(List->GetColumns(), 0);
  Draw->SetOnMeasureItem(nullptr);
  Draw->SetItemHeight(1000000);
  EXPECT_LE(Draw->ItemRect(0).Height(), MaxListItemHeight);
  EXPECT_GT(Draw->ItemRect(0).Height(), 100);
}

TEST_F(ListBoxTest, ItemsObjectsAndSelectionSurviveANewWindow) {
  TStrings* items = Multi->GetItems();
  items->PutObject(0, Tag(0));
  items->PutObject(2, Tag(2));
  EXPECT_EQ(items->Add(L"banana"), 1);  // sorted into place
  EXPECT_EQ(items->GetObject(3), Tag(2));
  Multi->SetSelected(0, true);
  Multi->SetSelected(3, true);
  EXPECT_FALSE(Multi->GetSelected(1));
  const HWND before = Multi->GetHandle();
  Multi->SetSorted(false);
  Multi->SetColumns(2);
  EXPECT_NE(Multi->GetHandle(), before);
  EXPECT_EQ(items->GetCommaText(), L"Apple,banana,fig,pear");
  EXPECT_EQ(items->GetObject(0), Tag(0));
  EXPECT_EQ(items->GetObject(3), Tag(2));
  EXPECT_TRUE(Multi->GetSelected(0));
  EXPECT_TRUE(Multi->GetSelected(3));
  EXPECT_FALSE(Multi->GetSelected(2));
  EXPECT_NE(::GetWindowLongW(Multi->GetHandle(), GWL_STYLE) & LBS_MULTICOLUMN, 0);
  // Moving and replacing keep the objects.
  items->Move(3, 0);
  items->Put(0, L"plum");
  items->Exchange(0, 1);
  EXPECT_EQ(items->GetCommaText(), L"Apple,plum,banana,fig");
  EXPECT_EQ(items->GetObject(1), Tag(2));
  Multi->Clear();
  EXPECT_EQ(Multi->GetCount(), 0);
}

TEST_F(ListBoxTest, OwnerDrawnItemsAreMeasuredAndDrawnByTheEvents) {
  EXPECT_GE(Count(L"MeasureItem", Draw), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Draw->ItemRect(i).Height(), 14 + 6 * i);
  Form->Reset();
  Draw->SetItemIndex(1);
  Draw->Invalidate();
  ::UpdateWindow(Draw->GetHandle());
  EXPECT_GE(Count(L"DrawItem", Draw), 3);
  bool selectedDrawn = false;
  for (const TEditsForm::TDrawn& drawn : Form->Drawn) {
    if (drawn.Index == 1) {
      selectedDrawn = drawn.State.Contains(odSelected);
      EXPECT_EQ(drawn.Rect.Height(), 20);
    }
  }
  EXPECT_TRUE(selectedDrawn);
}

TEST_F(ListBoxTest, AnOwnerDrawnListWithoutHandlerDrawsTheSelectedItemHighlighted) {
  Draw->SetOnDrawItem(nullptr);
  Draw->SetStyle(lbOwnerDrawFixed);
  Draw->SetItemHeight(18);
  Draw->SetItemIndex(0);
  Draw->Invalidate();
  ::UpdateWindow(Draw->GetHandle());
  EXPECT_EQ(Draw->ItemRect(2).Top, 36);
  HDC dc = ::GetDC(Draw->GetHandle());
  const COLORREF selected = ::GetPixel(dc, 100, 9);  // right of the text of item 0
  const COLORREF plain = ::GetPixel(dc, 100, 27);
  ::ReleaseDC(Draw->GetHandle(), dc);
  EXPECT_EQ(selected, ColorToRGB(clHighlight));
  EXPECT_EQ(plain, ColorToRGB(clWindow));
}

TEST(ListBoxWithoutWindow, KeepsItemsAndSelectionForTheWindow) {
  TEditsForm::RegisterHandlers();
  TForm* form = TCustomForm::Create<TForm>(nullptr);
  auto* list = new TListBox(form);
  list->SetSorted(true);
  list->GetItems()->Add(L"delta");
  list->GetItems()->Add(L"alpha");
  list->GetItems()->AddObject(L"charlie", Tag(7));
  list->SetItemIndex(1);
  list->GetItems()->Delete(0);  // the selection follows its item
  EXPECT_EQ(list->GetItemIndex(), 0);
  EXPECT_TRUE(list->GetSelected(0));
  EXPECT_THROW(list->GetSelected(3), EListError);
  EXPECT_FALSE(list->HandleAllocated());
  list->SetParent(form);
  form->Show();
  Pump();
  ASSERT_TRUE(list->HandleAllocated());
  EXPECT_EQ(list->GetItems()->GetCommaText(), L"charlie,delta");
  EXPECT_EQ(list->GetItems()->GetObject(0), Tag(7));
  EXPECT_EQ(list->GetItemIndex(), 0);
  delete form;
  Pump();
}

// ---- TCheckListBox ------------------------------------------------------------------------------

class CheckListBoxTest : public EditFormTest {
 protected:
  void SetUp() override {
    EditFormTest::SetUp();
    ReadLayout(
        L"object Form1: TEditsForm\n"
        L"  object Checks1: TCheckListBox\n"
        L"    Left = 8\n    Top = 8\n    Width = 180\n    Height = 120\n"
        L"    Items.Strings = (\n      'bread'\n      'milk'\n      'eggs')\n"
        L"    OnClick = Clicked\n    OnClickCheck = CheckClicked\n  end\n"
        L"end\n");
    Checks = Find<TCheckListBox>(L"Checks1");
    ShowForm();
  }
  TCheckListBox* Checks = nullptr;
};

TEST_F(CheckListBoxTest, AClickOnTheBoxOrSpaceTogglesTheItem) {
  ASSERT_TRUE(Checks);
  EXPECT_NE(::GetWindowLongW(Checks->GetHandle(), GWL_STYLE) & LBS_OWNERDRAWFIXED, 0);
  ClickItem(Checks, 1, 5);  // on the box
  EXPECT_TRUE(Checks->GetChecked(1));
  EXPECT_EQ(Count(L"ClickCheck", Checks), 1);
  EXPECT_EQ(Checks->GetItemIndex(), 1);
  ClickItem(Checks, 2, 80);  // on the text: selects only
  EXPECT_FALSE(Checks->GetChecked(2));
  EXPECT_EQ(Checks->GetItemIndex(), 2);
  EXPECT_EQ(Count(L"ClickCheck", Checks), 1);
  EXPECT_EQ(Count(L"Click", Checks), 2);
  Type(L" ");
  EXPECT_TRUE(Checks->GetChecked(2));
  Type(L" ");
  EXPECT_FALSE(Checks->GetChecked(2));
  EXPECT_EQ(Count(L"ClickCheck", Checks), 3);

  Checks->SetState(0, cbGrayed);  // by code: no OnClickCheck
  EXPECT_EQ(Checks->GetState(0), cbGrayed);
  EXPECT_FALSE(Checks->GetChecked(0));
  ClickItem(Checks, 0, 5);
  EXPECT_EQ(Checks->GetState(0), cbChecked);
  EXPECT_EQ(Count(L"ClickCheck", Checks), 4);
}

TEST_F(CheckListBoxTest, StatesStayWithTheirItemsBesideTheObjects) {
  TStrings* items = Checks->GetItems();
  Checks->SetChecked(0, true);
  Checks->SetState(2, cbGrayed);
  items->PutObject(0, Tag(1));
  EXPECT_EQ(items->GetObject(2), nullptr);  // the grayed state is no object
  items->Move(0, 2);
  EXPECT_EQ(items->GetCommaText(), L"milk,eggs,bread");
  EXPECT_TRUE(Checks->GetChecked(2));
  EXPECT_EQ(items->GetObject(2), Tag(1));
  EXPECT_EQ(Checks->GetState(1), cbGrayed);
  Checks->SetSorted(true);  // a new window sorts the items, states and all
  EXPECT_EQ(items->GetCommaText(), L"bread,eggs,milk");
  EXPECT_TRUE(Checks->GetChecked(0));
  EXPECT_EQ(Checks->GetState(1), cbGrayed);
  EXPECT_EQ(items->GetObject(0), Tag(1));
  items->Delete(0);
  EXPECT_FALSE(Checks->GetChecked(0));
  EXPECT_THROW(Checks->GetChecked(2), EListError);
  EXPECT_THROW(Checks->SetState(-1, cbChecked), EListError);
  items->Clear();
  EXPECT_EQ(Checks->GetCount(), 0);
}

}  // namespace
