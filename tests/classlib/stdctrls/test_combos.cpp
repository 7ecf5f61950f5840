// Combo boxes of every style and scroll bars read from a layout and driven by typing, arrow
// keys and dropping down, with their events counted; the edit and list windows and their
// replaced window procedures; bad indexes and ranges.
#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "classlib/classes/StringList.h"
#include "classlib/stdctrls/ComboBoxes.h"
#include "classlib/stdctrls/ScrollBar.h"
#include "tests/ErrorMessages.h"

using namespace edit_tests;

namespace {

class ComboBoxTest : public EditFormTest {
 protected:
  void SetUp() override {
    EditFormTest::SetUp();
    ReadLayout(
        L"object Form1: TEditsForm\n"
        L"  object Combo1: TComboBox\n    Left = 8\n    Top = 8\n"
        L"    Items.Strings = (\n      'red'\n      'green'\n      'blue')\n    Text = 'green'\n"
        L"    OnChange = Changed\n    OnClick = Clicked\n    OnSelect = Selected\n"
        L"    OnDropDown = DroppedDown\n    OnCloseUp = ClosedUp\n    OnKeyPress = KeyPressed\n"
        L"  end\n"
        L"  object List1: TComboBox\n    Left = 8\n    Top = 40\n    Style = csDropDownList\n"
        L"    Items.Strings = (\n      'small'\n      'medium'\n      'large')\n    ItemIndex = 2\n"
        L"    OnChange = Changed\n    OnClick = Clicked\n  end\n"
        L"  object Draw1: TComboBox\n    Left = 200\n    Top = 8\n    Style = csOwnerDrawVariable\n"
        L"    Items.Strings = (\n      'x'\n      'y')\n"
        L"    OnDrawItem = ItemDrawn\n    OnMeasureItem = ItemMeasured\n  end\n"
        L"  object Simple1: TComboBox\n"
        L"    Left = 200\n    Top = 60\n    Height = 100\n    Style = csSimple\n  end\n"
        L"end\n");
    Combo = Find<TComboBox>(L"Combo1");
    List = Find<TComboBox>(L"List1");
    Draw = Find<TComboBox>(L"Draw1");
    Simple = Find<TComboBox>(L"Simple1");
    ShowForm();
  }
  TComboBox* Combo = nullptr;
  TComboBox* List = nullptr;
  TComboBox* Draw = nullptr;
  TComboBox* Simple = nullptr;
};

TEST_F(ComboBoxTest, TheEditAndTheListAreFoundAndHooked) {
  ASSERT_TRUE(Combo && List && Draw && Simple);
  ASSERT_NE(Combo->GetEditHandle(), nullptr);
  ASSERT_NE(Combo->GetListHandle(), nullptr);
  EXPECT_EQ(::GetParent(Combo->GetEditHandle()), Combo->GetHandle());
  EXPECT_NE(Combo->GetDefEditProc(), nullptr);
  EXPECT_NE(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(Combo->GetEditHandle(), GWLP_WNDPROC)),
            Combo->GetDefEditProc());
  EXPECT_EQ(List->GetEditHandle(), nullptr);  // a list style has no edit
  EXPECT_NE(List->GetListHandle(), nullptr);
  EXPECT_EQ(::GetParent(Simple->GetListHandle()), Simple->GetHandle());
  EXPECT_EQ(WindowText(Combo->GetEditHandle()), L"green");
  EXPECT_EQ(Combo->GetItemIndex(), -1);  // text typed, not picked
  EXPECT_EQ(List->GetText(), L"large");
  EXPECT_LT(Combo->GetHeight(), 40);  // the closed box, not the dropped one
}

TEST_F(ComboBoxTest, TypingInTheEditRunsTheKeyAndChangeEvents) {
  ASSERT_TRUE(FocusOn(Combo));  // the focus is in the edit
  ::SendMessageW(Combo->GetEditHandle(), EM_SETSEL, 5, 5);
  Form->Reset();
  Type(L"!ish");
  EXPECT_EQ(Combo->GetText(), L"greenish");
  EXPECT_EQ(Count(L"KeyPress", Combo), 4);
  EXPECT_EQ(Count(L"Change", Combo), 3);  // '!' was eaten by OnKeyPress
  EXPECT_EQ(Count(L"Select", Combo), 0);
}

TEST_F(ComboBoxTest, PickingAnItemWithTheKeysRunsClickThenSelectOrChange) {
  ASSERT_TRUE(FocusOn(Combo));
  Form->Reset();
  PressKey(VK_DOWN);  // in the edit: the next item
  EXPECT_EQ(Combo->GetItemIndex(), 0);
  EXPECT_EQ(Combo->GetText(), L"red");
  EXPECT_EQ(Count(L"Click", Combo), 1);
  EXPECT_EQ(Count(L"Select", Combo), 1);
  EXPECT_EQ(Count(L"Change", Combo), 0);  // OnSelect takes the place of OnChange

  ASSERT_TRUE(FocusOn(List));
  PressKey(VK_UP);
  EXPECT_EQ(List->GetItemIndex(), 1);
  EXPECT_EQ(List->GetText(), L"medium");
  EXPECT_EQ(Count(L"Click", List), 1);
  EXPECT_EQ(Count(L"Change", List), 1);  // no OnSelect: OnChange
}

TEST_F(ComboBoxTest, DroppingDownAndClosingUpRunTheirEvents) {
  ASSERT_TRUE(FocusOn(Combo));
  // Checked at once: the list would close if another program took the activation.
  Combo->SetDroppedDown(true);
  EXPECT_TRUE(Combo->GetDroppedDown());
  EXPECT_EQ(Count(L"DropDown", Combo), 1);
  EXPECT_EQ(Combo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
  RECT dropped{};
  ::GetWindowRect(Combo->GetListHandle(), &dropped);
  const int itemHeight = Combo->GetItemHeight();
  EXPECT_GE(dropped.bottom - dropped.top, 3 * itemHeight);  // the three items
  EXPECT_LT(dropped.bottom - dropped.top, 8 * itemHeight);
  PressKey(VK_ESCAPE);  // closes the list, not the form
  EXPECT_FALSE(Combo->GetDroppedDown());
  EXPECT_EQ(Count(L"CloseUp", Combo), 1);
  Simple->SetDroppedDown(true);  // nothing to drop
  EXPECT_FALSE(Simple->GetDroppedDown());
  Combo->SetDropDownCount(2147483647);  // no overflow in the dropped height
  Combo->SetItemHeight(1000000);
  Combo->SetDroppedDown(true);
  Combo->SetDroppedDown(false);
  Pump();
  EXPECT_EQ(Count(L"DropDown", Combo), 2);
  EXPECT_EQ(Count(L"CloseUp", Combo), 2);
}

// A dropped list keeps its keys: the arrows move its selection (not the focus to the next
// control), Enter chooses and closes, Escape closes and brings the old choice back.
TEST_F(ComboBoxTest, ADroppedListKeepsTheArrowsEnterAndEscape) {
  ASSERT_TRUE(FocusOn(List));
  List->SetItemIndex(0);
  List->SetDroppedDown(true);
  Form->Reset();
  PressKey(VK_DOWN);
  EXPECT_TRUE(List->GetDroppedDown());
  EXPECT_EQ(::GetFocus(), List->GetHandle());
  EXPECT_EQ(List->GetItemIndex(), 1);
  PressKey(VK_RETURN);
  EXPECT_FALSE(List->GetDroppedDown());
  EXPECT_EQ(List->GetText(), L"medium");

  List->SetDroppedDown(true);
  PressKey(VK_DOWN);
  EXPECT_EQ(List->GetItemIndex(), 2);
  const int changes = Count(L"Change", List);
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(List->GetDroppedDown());
  EXPECT_EQ(List->GetText(), L"medium");
  EXPECT_EQ(Count(L"Change", List), changes + 1);  // the handler sees the old choice again
  EXPECT_EQ(::GetFocus(), List->GetHandle());

  // In the edit of a drop-down box the same, and the text typed before comes back.
  ASSERT_TRUE(FocusOn(Combo));
  Combo->SetDroppedDown(true);
  PressKey(VK_DOWN);  // the list opened on the item of the text
  EXPECT_EQ(Combo->GetText(), L"blue");
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(Combo->GetDroppedDown());
  EXPECT_EQ(Combo->GetText(), L"green");
  EXPECT_EQ(::GetFocus(), Combo->GetEditHandle());
}

// A box emptied in code after a choice by the keys answers them as a new box: the first Down
// picks the first item, closed or dropped, of either style.
TEST_F(ComboBoxTest, AnEmptiedBoxStartsAgainAtTheFirstItem) {
  for (TComboBox* box : {List, Combo}) {
    for (bool dropped : {false, true}) {
      SCOPED_TRACE(std::string(box == List ? "list style" : "drop-down style") + (dropped ? ", dropped" : ", closed"));
      ASSERT_TRUE(FocusOn(box));
      box->SetItemIndex(0);
      PressKey(VK_DOWN);
      ASSERT_EQ(box->GetItemIndex(), 1);
      box->SetItemIndex(-1);
      EXPECT_EQ(box->GetText(), L"");
      box->SetDroppedDown(dropped);
      PressKey(VK_DOWN);
      EXPECT_EQ(box->GetItemIndex(), 0);
      if (dropped) PressKey(VK_RETURN);
      EXPECT_FALSE(box->GetDroppedDown());
      EXPECT_EQ(box->GetText(), box->GetItems()->Get(0));
    }
  }
}

TEST_F(ComboBoxTest, ADroppedListIsAsWideAsItsWidestItem) {
  List->SetWidth(30);
  List->GetItems()->Add(L"extra large");
  List->GetItems()->Add(L"xs");  // the widest item is not the last
  List->SetDroppedDown(true);
  RECT client{};
  ::GetClientRect(List->GetListHandle(), &client);
  HDC dc = ::GetDC(List->GetHandle());
  const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(List->Perform(WM_GETFONT, 0, 0)));
  SIZE text{};
  ::GetTextExtentPoint32W(dc, L"extra large", 11, &text);
  ::SelectObject(dc, old);
  ::ReleaseDC(List->GetHandle(), dc);
  EXPECT_GE(client.right, text.cx + 2);
  List->SetDroppedDown(false);
}

TEST_F(ComboBoxTest, BadIndexesSelectNothingAndTextPicksTheItemOfAListStyle) {
  List->SetItemIndex(7);
  EXPECT_EQ(List->GetItemIndex(), -1);
  EXPECT_EQ(List->GetText(), L"");
  List->SetText(L"MEDIUM");  // as the items compare: without regard to case
  EXPECT_EQ(List->GetItemIndex(), 1);
  List->SetText(L"huge");
  EXPECT_EQ(List->GetItemIndex(), -1);
  EXPECT_THROW(List->GetItems()->Get(3), EStringListError);
  Combo->SetItemIndex(1);
  EXPECT_EQ(Combo->GetText(), L"green");
  Combo->SetItemIndex(-1);
  EXPECT_EQ(Combo->GetText(), L"");  // the system clears the edit with the selection
  Form->Reset();
  Combo->SetText(L"free text");
  EXPECT_EQ(Combo->GetText(), L"free text");
  EXPECT_EQ(Count(L"Change", Combo), 0);  // set by the program
}

TEST_F(ComboBoxTest, ItemsAndSelectionSurviveANewWindow) {
  List->GetItems()->AddObject(L"tiny", reinterpret_cast<TObject*>(intptr_t{42}));
  List->SetItemIndex(0);
  List->SetSorted(true);
  EXPECT_EQ(List->GetItems()->GetCommaText(), L"large,medium,small,tiny");
  EXPECT_EQ(List->GetText(), L"small");
  EXPECT_EQ(List->GetItems()->GetObject(3), reinterpret_cast<TObject*>(intptr_t{42}));
  Combo->SetText(L"typed");
  Combo->SetStyle(csSimple);
  EXPECT_EQ(Combo->GetText(), L"typed");
  EXPECT_EQ(Combo->GetItems()->GetCount(), 3);
  ASSERT_NE(Combo->GetEditHandle(), nullptr);
  EXPECT_EQ(::GetParent(Combo->GetListHandle()), Combo->GetHandle());
  Combo->Clear();
  EXPECT_EQ(Combo->GetText(), L"");
  EXPECT_EQ(Combo->GetItems()->GetCount(), 0);
}

TEST_F(ComboBoxTest, OwnerDrawnItemsAreMeasuredAndTheClosedBoxIsDrawn) {
  EXPECT_GE(Count(L"MeasureItem", Draw), 2);
  Form->Reset();
  Draw->SetItemIndex(1);
  Draw->Invalidate();
  ::UpdateWindow(Draw->GetHandle());
  bool boxDrawn = false;
  for (const TEditsForm::TDrawn& drawn : Form->Drawn)
    if (drawn.Index == 1 && drawn.State.Contains(odComboBoxEdit)) boxDrawn = true;
  EXPECT_TRUE(boxDrawn);
}

// A combo box that watches its edit's characters.
class TWatchCombo : public TComboBox {
  CLASSLIB_CLASS(TWatchCombo, TComboBox)
  explicit TWatchCombo(TComponent* owner) : TComboBox(owner) {}
  int Chars = 0;

 protected:
  void EditWndProc(TMessage& message) override {
    if (message.Msg == WM_CHAR) ++Chars;
    inherited::EditWndProc(message);
  }
};

TEST_F(ComboBoxTest, ADerivedControlSeesTheEditsMessagesAndTheHookGoesWithIt) {
  auto* watch = new TWatchCombo(Form);
  watch->SetBounds(8, 200, 150, 25);
  watch->SetParent(Form);
  ASSERT_TRUE(FocusOn(watch));
  const HWND edit = watch->GetEditHandle();
  ASSERT_NE(edit, nullptr);
  Type(L"abc");
  EXPECT_EQ(watch->Chars, 3);
  EXPECT_EQ(watch->GetText(), L"abc");
  const WNDPROC original = watch->GetDefEditProc();
  watch->SetSorted(true);  // a new window, hooked again
  EXPECT_NE(watch->GetEditHandle(), edit);
  EXPECT_FALSE(::IsWindow(edit));
  EXPECT_EQ(watch->GetDefEditProc(), original);
  delete watch;
  Pump();
  EXPECT_TRUE(Form->HandleAllocated());
}

TEST(ComboBoxWithoutWindow, KeepsItemsTextAndSelection) {
  TComboBox combo(nullptr);
  combo.GetItems()->Add(L"b");
  combo.GetItems()->Add(L"a");
  combo.SetSorted(true);
  EXPECT_EQ(combo.GetItems()->GetCommaText(), L"a,b");
  combo.SetStyle(csDropDownList);
  combo.SetText(L"b");
  EXPECT_EQ(combo.GetItemIndex(), 1);
  EXPECT_EQ(combo.GetText(), L"b");
  combo.GetItems()->Delete(0);
  EXPECT_EQ(combo.GetItemIndex(), 0);
  combo.SetItemIndex(5);
  EXPECT_EQ(combo.GetItemIndex(), -1);
  combo.SetDropDownCount(-4);
  EXPECT_EQ(combo.GetDropDownCount(), 1);
  combo.SetDroppedDown(true);  // no window: nothing
  EXPECT_FALSE(combo.GetDroppedDown());
}

// ---- TScrollBar ---------------------------------------------------------------------------------

TEST(ScrollBarCodes, MoveByTheStepsWithinTheRange) {
  EXPECT_EQ(ScrollBarCodePosition(scLineDown, 5, 0, 10, 2, 4, 0), 7);
  EXPECT_EQ(ScrollBarCodePosition(scLineUp, 1, 0, 10, 2, 4, 0), 0);
  EXPECT_EQ(ScrollBarCodePosition(scPageDown, 8, 0, 10, 2, 4, 0), 10);
  EXPECT_EQ(ScrollBarCodePosition(scPageUp, 8, 0, 10, 2, 4, 0), 4);
  EXPECT_EQ(ScrollBarCodePosition(scTrack, 8, 0, 10, 2, 4, 3), 3);
  EXPECT_EQ(ScrollBarCodePosition(scPosition, 8, 0, 10, 2, 4, 30), 10);
  EXPECT_EQ(ScrollBarCodePosition(scTop, 8, -5, 10, 2, 4, 0), -5);
  EXPECT_EQ(ScrollBarCodePosition(scBottom, 8, -5, 10, 2, 4, 0), 10);
  EXPECT_EQ(ScrollBarCodePosition(scEndScroll, 8, -5, 10, 2, 4, 0), 8);
  EXPECT_EQ(ScrollBarCodePosition(scLineDown, 2147483647, 0, 2147483647, 32767, 1, 0), 2147483647);
}

class ScrollBarTest : public EditFormTest {
 protected:
  void SetUp() override {
    EditFormTest::SetUp();
    ReadLayout(
        L"object Form1: TEditsForm\n"
        L"  object Bar1: TScrollBar\n    Left = 8\n    Top = 8\n    Width = 200\n"
        L"    LargeChange = 10\n    Max = 50\n    SmallChange = 2\n"
        L"    OnChange = Changed\n    OnScroll = Scrolled\n  end\n"
        L"  object Bar2: TScrollBar\n    Left = 250\n    Top = 8\n    Width = 17\n    Height = 150\n"
        L"    Kind = sbVertical\n    Max = -5\n    Min = -20\n    Position = -30\n  end\n"
        L"end\n");
    Bar = Find<TScrollBar>(L"Bar1");
    Vertical = Find<TScrollBar>(L"Bar2");
    ShowForm();
  }
  int SystemPosition(TScrollBar* bar) { return ::GetScrollPos(bar->GetHandle(), SB_CTL); }
  TScrollBar* Bar = nullptr;
  TScrollBar* Vertical = nullptr;
};

TEST_F(ScrollBarTest, ARangeReadInAnyOrderIsCheckedOnceRead) {
  ASSERT_TRUE(Bar && Vertical);
  EXPECT_EQ(Vertical->GetMin(), -20);
  EXPECT_EQ(Vertical->GetMax(), -5);
  EXPECT_EQ(Vertical->GetPosition(), -20);  // clamped once the range was read
  EXPECT_EQ(SystemPosition(Vertical), -20);
  EXPECT_NE(::GetWindowLongW(Vertical->GetHandle(), GWL_STYLE) & SBS_VERT, 0);
  int min = 0;
  int max = 0;
  ::GetScrollRange(Bar->GetHandle(), SB_CTL, &min, &max);
  EXPECT_EQ(max, 50);
}

TEST_F(ScrollBarTest, KeysAndScrollMessagesMoveThePositionThroughOnScroll) {
  ASSERT_TRUE(FocusOn(Bar));
  PressKey(VK_RIGHT);
  EXPECT_EQ(Bar->GetPosition(), 2);
  PressKey(VK_NEXT);
  EXPECT_EQ(Bar->GetPosition(), 12);
  PressKey(VK_END);
  EXPECT_EQ(Bar->GetPosition(), 50);
  EXPECT_EQ(SystemPosition(Bar), 50);
  EXPECT_EQ(Count(L"Change", Bar), 3);
  EXPECT_GE(Count(L"Scroll", Bar), 3);  // also the end of each scroll
  PressKey(VK_HOME);
  EXPECT_EQ(Bar->GetPosition(), 0);

  // OnScroll may change where the bar goes.
  Form->Reset();
  Form->ScrollLimit = 5;
  ::SendMessageW(Form->GetHandle(), WM_HSCROLL, SB_PAGEDOWN,
                 reinterpret_cast<LPARAM>(Bar->GetHandle()));
  EXPECT_EQ(Bar->GetPosition(), 5);
  ASSERT_EQ(Form->ScrollCodes.size(), 1u);
  EXPECT_EQ(Form->ScrollCodes[0], scPageDown);
  EXPECT_EQ(Count(L"Change", Bar), 1);
}

TEST_F(ScrollBarTest, BadRangesRaiseAndPositionsAreClamped) {
  EXPECT_EQ(ErrorMessageOf<EInvalidOperation>([&] { Bar->SetMin(60); }, L"(no error)"),
            L"Scrollbar property out of range");
  EXPECT_EQ(Bar->GetMin(), 0);
  Bar->SetPageSize(20);
  EXPECT_THROW(Bar->SetMax(10), EInvalidOperation);
  Bar->SetPageSize(500);  // above Max: ignored
  EXPECT_EQ(Bar->GetPageSize(), 20);
  Bar->SetPosition(-100);
  EXPECT_EQ(Bar->GetPosition(), 0);
  Bar->SetPosition(1000);
  EXPECT_EQ(Bar->GetPosition(), 50);
  Bar->SetParams(25, 20, 60);
  EXPECT_EQ(SystemPosition(Bar), 25);
  Bar->SetSmallChange(0);
  EXPECT_EQ(Bar->GetSmallChange(), 1);
  Bar->SetLargeChange(100000);
  EXPECT_EQ(Bar->GetLargeChange(), 32767);
  Bar->SetKind(sbVertical);  // width and height change places
  EXPECT_EQ(Bar->GetWidth(), ::GetSystemMetrics(SM_CYHSCROLL));
  EXPECT_EQ(Bar->GetHeight(), 200);
  EXPECT_NE(::GetWindowLongW(Bar->GetHandle(), GWL_STYLE) & SBS_VERT, 0);
  EXPECT_EQ(SystemPosition(Bar), 25);
}

}  // namespace
