// The library's list box: the layout against tables (one column, columns, variable heights,
// lists smaller than an item), check and selected states through every list operation,
// out-of-range sequences under a watchdog, real mouse, key and wheel input, item and check
// box drawing against the system's, the font and colour lists, layouts with Chinese text,
// leak probes and screenshots.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/controls/SkinListBox.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "tests/classlib/controls/ControlTestSupport.h"

using namespace skin_tests;
using stdctrl_tests::PumpUntil;

namespace {

TSeListLayout Fixed(int count, int height, int columns = 0, int position = 0) {
  TSeListLayout layout;
  layout.Inner = TRect(1, 1, 121, 97);  // 120 x 96
  layout.Count = count;
  layout.Columns = columns;
  layout.BarThickness = 17;
  layout.Position = position;
  layout.FixedHeight = height;
  return layout;
}

TEST(SkinListLayout, RangesColumnsAndScrollingIntoViewAreDirect) {
  int first, last;
  // 96 / 16: six whole rows.
  TSeListLayout one = Fixed(100, 16);
  one.VisibleRange(first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 5);
  EXPECT_EQ(one.PositionShowing(99), 94);
  EXPECT_EQ(one.PositionShowing(3), 0);
  EXPECT_EQ(one.LastFirstIndex(), 94);
  one.Position = 50;
  EXPECT_EQ(one.PositionShowing(10), 10);
  // Smaller than one item: nothing is fully shown, the item itself becomes the first.
  TSeListLayout tiny = Fixed(10, 200);
  tiny.VisibleRange(first, last);
  EXPECT_EQ(last, -1);
  EXPECT_EQ(tiny.PositionShowing(7), 7);
  // Three columns of 6 rows; the bar's room takes two: 4 rows.
  TSeListLayout three = Fixed(10000, 16, 3);
  EXPECT_EQ(three.ColumnsNeeded(), 1667);
  three.BarRoom = true;
  EXPECT_EQ(three.ColumnsNeeded(), 2500);
  EXPECT_EQ(three.ColumnOf(9999), 2499);
  EXPECT_EQ(three.PositionShowing(9999), 2497);
  three.Position = 2497;
  three.VisibleRange(first, last);
  EXPECT_EQ(first, 9988);
  EXPECT_EQ(last, 9999);
  EXPECT_EQ(three.ItemWidth(), 40);
  // Check column and columns in hit testing: column 1 of three, row 2.
  three.CheckColumn = 15;
  three.Position = 0;
  EXPECT_EQ(three.ItemWidth(), 25);
  EXPECT_EQ(three.ItemAt(TPoint(1 + 40 + 15 + 3, 1 + 2 * 16 + 4), false), 6);
  EXPECT_EQ(three.ItemAt(TPoint(1 + 40 + 3, 1 + 2 * 16 + 4), false), -1);  // the check column
  EXPECT_EQ(three.ItemAt(TPoint(1 + 40 + 3, 1 + 2 * 16 + 4), true), 6);
}

TEST(SkinListLayout, VariableHeightsWalkAndAnEmptyColumnTakesOneItem) {
  TSeListLayout layout = Fixed(6, 0);
  const std::vector<int> heights{30, 50, 40, 200, 20, 0};
  layout.HeightOf = [&](int i) { return heights[static_cast<size_t>(i)]; };
  int first, last;
  layout.VisibleRange(first, last);
  EXPECT_EQ(last, 1);  // 30 + 50 fit, + 40 passes 96
  // From the end: 1 (height 0 is taken as 1), 20, then 200 does not fit.
  EXPECT_EQ(layout.LastFirstIndex(), 4);
  EXPECT_EQ(layout.PositionShowing(2), 1);
  EXPECT_EQ(layout.PositionShowing(3), 3);  // taller than the list: itself first
  layout.Columns = 2;
  // Columns: {30,50} {40} {200} {20,1}: the 200 item gets a column of its own.
  EXPECT_EQ(layout.ColumnsNeeded(), 4);
  EXPECT_EQ(layout.ColumnOf(3), 2);
  EXPECT_EQ(layout.ColumnOf(5), 3);
}

class SkinListBoxTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    ShowForm();
    List = new TSeCustomListBox(Form);
    List->SetParent(Form);
    List->SetBounds(20, 20, 200, 100);
    List->SetOnClick([this](TObject*) { ++Clicks; });
    Pump();
  }
  void Fill(int count) {
    List->GetItems()->BeginUpdate();
    for (int i = 0; i < count; ++i) List->GetItems()->Add(L"项目 " + std::to_wstring(i));
    List->GetItems()->EndUpdate();
  }
  void Post(UINT msg, WPARAM keys, int x, int y) {
    ::PostMessageW(List->GetHandle(), msg, keys, At(x, y));
    Pump();
  }
  void Key(WORD vk) {
    List->SetFocus();
    Pump();
    PressKey(vk);
  }
  // The real keyboard (the control reads Shift and Ctrl from it).
  static void SendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof(INPUT));
    Pump();
  }
  void Mouse(DWORD flags, int x, int y) {
    MouseInputAt(List->ClientToScreen(TPoint(x, y)), flags);
  }
  std::vector<String> Marked(bool selected) {
    std::vector<String> texts;
    for (int i = 0; i < List->GetItems()->GetCount(); ++i)
      if (selected ? List->GetSelected(i) : List->GetChecked(i))
        texts.push_back(List->GetItems()->Get(i));
    return texts;
  }
  TSeCustomListBox* List = nullptr;
  int Clicks = 0;
};

TEST_F(SkinListBoxTest, ChecksAndSelectionsStayWithTheirItemsThroughEveryOperation) {
  TStrings* items = List->GetItems();
  for (const wchar_t* s : {L"丁", L"乙", L"丙", L"甲", L"戊"}) items->Add(s);
  EXPECT_EQ(List->GetItemIndex(), 0);  // the first item became the focus item
  EXPECT_EQ(List->GetSelCount(), 0);   // without being selected
  List->SetMultiSelect(true);
  List->SetChecked(1, true);   // 乙
  List->SetChecked(3, true);   // 甲
  List->SetSelected(2, true);  // 丙
  const std::vector<String> checked{L"乙", L"甲"}, selected{L"丙"};
  auto same = [&](const char* step) {
    SCOPED_TRACE(step);
    auto c = Marked(false), s = Marked(true);
    std::sort(c.begin(), c.end());
    std::sort(s.begin(), s.end());
    auto wc = checked, ws = selected;
    std::sort(wc.begin(), wc.end());
    EXPECT_EQ(c, wc);
    EXPECT_EQ(s, ws);
  };
  items->Insert(0, L"新");
  same("insert");
  items->Move(4, 1);
  same("move");
  items->Exchange(0, 5);
  same("exchange");
  items->Delete(items->IndexOf(L"丁"));
  same("delete");
  List->SetSorted(true);
  same("sort");
  items->Add(L"庚");  // sorted add, in the middle
  items->Add(L"阿");
  same("sorted add");
  items->Clear();
  EXPECT_EQ(List->GetItemIndex(), -1);
  items->Add(L"一");
  EXPECT_FALSE(List->GetChecked(0));  // nothing left over from the cleared items
  EXPECT_FALSE(List->GetSelected(0));
  // AllowGrayed: three states; switching it off turns grayed into checked.
  List->SetAllowGrayed(true);
  List->SetShowCheckBoxes(true);
  List->SetFocus();
  Pump();
  PressKey(VK_SPACE);
  PressKey(VK_SPACE);
  EXPECT_EQ(List->GetState(0), cbGrayed);
  List->SetAllowGrayed(false);
  EXPECT_EQ(List->GetState(0), cbChecked);
  EXPECT_THROW(List->GetChecked(5), EStringListError);
}

TEST_F(SkinListBoxTest, OutOfRangeSequencesNeitherHangNorWriteOutsideTheItems) {
  Watchdog watchdog(60);
  // An empty list: keys, Enter and Space change nothing.
  for (WORD vk : {VK_DOWN, VK_UP, VK_NEXT, VK_PRIOR, VK_END, VK_HOME, VK_RETURN, VK_SPACE})
    Key(vk);
  EXPECT_EQ(List->GetItemIndex(), -1);
  EXPECT_EQ(Clicks, 0);
  List->SetItemIndex(5);
  EXPECT_EQ(List->GetItemIndex(), -1);
  Fill(20);
  for (int index : {-7, 1000, 19, INT_MIN, INT_MAX}) List->SetItemIndex(index);
  EXPECT_EQ(List->GetItemIndex(), 19);
  List->SetItemIndex(-1);  // clears the selection
  EXPECT_EQ(List->GetSelCount(), 0);
  EXPECT_EQ(List->GetItemIndex(), -1);
  Key(VK_DOWN);
  EXPECT_EQ(List->GetItemIndex(), 0);
  // Deleting the focused last item and the anchor keeps both within the items.
  List->SetMultiSelect(true);
  List->SetItemIndex(19);
  List->GetItems()->Delete(19);
  EXPECT_EQ(List->GetItemIndex(), 18);
  EXPECT_LE(List->GetAnchor(), 18);
  Key(VK_UP);
  EXPECT_EQ(List->GetItemIndex(), 17);
  // Asked for less than one row, the list keeps its frame alone: no row shows.
  List->SetBounds(20, 20, 200, 12);
  EXPECT_LT(List->GetHeight(), 12);
  EXPECT_EQ(List->GetLastVisible(), -1);
  Key(VK_END);
  EXPECT_EQ(List->GetItemIndex(), 18);
  // Smaller than one item (word wrap keeps the height as set): End and Home end at once.
  List->SetWordWrap(true);
  List->SetBounds(20, 20, 200, 8);
  Key(VK_END);
  EXPECT_EQ(List->GetItemIndex(), 18);
  EXPECT_EQ(List->GetScrollBar()->GetPosition(), 18);
  Key(VK_HOME);
  EXPECT_EQ(List->GetScrollBar()->GetPosition(), 0);
  List->GetItems()->Clear();
  Key(VK_END);
  EXPECT_EQ(List->GetItemIndex(), -1);
}

// Enter and Space cycle the focus item's check state also while no check boxes are shown,
// for callers that read the states; the focus item does not move.
TEST_F(SkinListBoxTest, EnterAndSpaceCycleTheStateWithoutVisibleCheckBoxes) {
  ASSERT_FALSE(List->GetShowCheckBoxes());
  Fill(3);
  Key(VK_SPACE);
  EXPECT_EQ(List->GetState(0), cbChecked);
  Key(VK_RETURN);
  EXPECT_EQ(List->GetState(0), cbUnchecked);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Marked(false), std::vector<String>{L"项目 1"});
  EXPECT_EQ(List->GetItemIndex(), 1);
  EXPECT_EQ(Clicks, 1);  // the Down key's only
}

TEST_F(SkinListBoxTest, KeysWithVariableHeightsAndPagesOfAtLeastOneItem) {
  List->SetListStyle(TSeCustomListBox::lbOwnerDrawVariable);
  List->SetOnMeasureItem([](TSeCustomListBox*, TCanvas*, int index, int& height) {
    height = index % 3 == 0 ? 40 : 20;
  });
  Fill(30);
  List->SetItemIndex(0);
  Key(VK_NEXT);  // 40+20+20 fit in 98: two items past the first
  EXPECT_EQ(List->GetItemIndex(), 2);
  Key(VK_NEXT);
  EXPECT_GT(List->GetItemIndex(), 2);
  Key(VK_END);
  EXPECT_EQ(List->GetItemIndex(), 29);
  EXPECT_EQ(List->GetLastVisible(), 29);
  const int firstAtEnd = List->GetFirstVisible();
  Key(VK_PRIOR);
  EXPECT_LT(List->GetItemIndex(), 29);
  Key(VK_HOME);
  EXPECT_EQ(List->GetItemIndex(), 0);
  EXPECT_EQ(List->GetScrollBar()->GetMax(), firstAtEnd);
  EXPECT_EQ(List->GetScrollBar()->GetPageSize(), 0);
  EXPECT_GE(Clicks, 5);
  // A single item taller than the list: Page Down still moves.
  List->SetOnMeasureItem([](TSeCustomListBox*, TCanvas*, int, int& height) { height = 500; });
  List->UpdateScrollBar();
  Key(VK_NEXT);
  EXPECT_EQ(List->GetItemIndex(), 1);
}

// A handler measuring with the canvas gets the list's font (here larger than the one the list
// last painted with), so the scroll range reaches the last item.
TEST_F(SkinListBoxTest, MeasuredItemsUseTheListsFontAndTheLastOneIsReachedByKeys) {
  List->SetListStyle(TSeCustomListBox::lbOwnerDrawVariable);
  List->SetOnMeasureItem([](TSeCustomListBox*, TCanvas* canvas, int, int& height) {
    height = canvas->TextHeight(L"Pq") + 2;
  });
  List->GetFont()->SetSize(20);
  Fill(30);
  Pump();
  Key(VK_END);
  EXPECT_EQ(List->GetItemIndex(), 29);
  EXPECT_EQ(List->GetLastVisible(), 29);
  SaveScreenshot(Form->GetHandle(), L"skin_listbox_measured_end_1024");
  Form->SetBounds(100, 100, 320, 200);
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_listbox_measured_end_800");
  Key(VK_HOME);
  EXPECT_EQ(List->GetFirstVisible(), 0);
}

// An item's top: -1 above the first shown item, else a y position also below the shown ones.
TEST_F(SkinListBoxTest, ItemTopsAreYPositionsFromTheFirstShownItemOn) {
  TRect inner;
  List->GetFrameRect(inner);
  Fill(40);
  EXPECT_EQ(List->GetItemTop(0), inner.Top);
  EXPECT_EQ(List->GetItemTop(10), inner.Top + 10 * 16);  // below the list's bottom
  List->GetScrollBar()->SetPosition(5);
  EXPECT_EQ(List->GetItemTop(4), -1);
  EXPECT_EQ(List->GetItemTop(5), inner.Top);
  EXPECT_EQ(List->GetItemTop(39), inner.Top + 34 * 16);
  List->SetListStyle(TSeCustomListBox::lbOwnerDrawVariable);
  List->SetOnMeasureItem([](TSeCustomListBox*, TCanvas*, int index, int& height) {
    height = index % 3 == 0 ? 40 : 20;
  });
  List->GetScrollBar()->SetPosition(0);
  EXPECT_EQ(List->GetItemTop(4), inner.Top + 40 + 20 + 20 + 40);
  EXPECT_GT(List->GetItemTop(1000000), 0);  // past the items: no walk, no failure
}

TEST_F(SkinListBoxTest, CtrlAndShiftClicksAndADragPastTheEdgeThatStopsAtRelease) {
  Fill(40);
  List->SetMultiSelect(true);
  const int row = 16, x = 30;
  Post(WM_LBUTTONDOWN, MK_LBUTTON, x, 1 + row * 1 + 4);
  Post(WM_LBUTTONUP, 0, x, 1 + row * 1 + 4);
  EXPECT_EQ(Marked(true), std::vector<String>{L"项目 1"});
  // Shift: the range from the anchor.
  Post(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, x, 1 + row * 3 + 4);
  Post(WM_LBUTTONUP, MK_SHIFT, x, 1 + row * 3 + 4);
  EXPECT_EQ(List->GetSelCount(), 3);
  // Ctrl: only that item toggles, and it becomes the anchor.
  Post(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, x, 1 + row * 5 + 4);
  Post(WM_LBUTTONUP, MK_CONTROL, x, 1 + row * 5 + 4);
  EXPECT_EQ(List->GetSelCount(), 4);
  EXPECT_EQ(List->GetAnchor(), 5);
  Post(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, x, 1 + row * 2 + 4);
  Post(WM_LBUTTONUP, MK_CONTROL, x, 1 + row * 2 + 4);
  EXPECT_EQ(Marked(true), (std::vector<String>{L"项目 1", L"项目 3", L"项目 5"}));
  // Ctrl with Shift toggles as well, and the anchor stays.
  Post(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL | MK_SHIFT, x, 1 + row * 4 + 4);
  Post(WM_LBUTTONUP, MK_CONTROL | MK_SHIFT, x, 1 + row * 4 + 4);
  EXPECT_EQ(Marked(true), (std::vector<String>{L"项目 1", L"项目 3", L"项目 4", L"项目 5"}));
  EXPECT_EQ(List->GetAnchor(), 2);
  // A drag below the list scrolls and moves the focus item, and ends at the release.
  Mouse(MOUSEEVENTF_LEFTDOWN, x, 20);
  Mouse(MOUSEEVENTF_MOVE, x, 60);
  Mouse(MOUSEEVENTF_MOVE, x, 130);
  EXPECT_TRUE(List->GetScrollBar()->GetAutoScrollDown());
  EXPECT_TRUE(PumpUntil([&] { return List->GetScrollBar()->GetPosition() >= 3; }, 4000));
  EXPECT_EQ(List->GetItemIndex(), List->GetLastVisible());
  Mouse(MOUSEEVENTF_LEFTUP, x, 130);
  EXPECT_FALSE(List->GetScrollBar()->GetAutoScrollDown());
  EXPECT_FALSE(List->GetMouseSelecting());
  const int stopped = List->GetScrollBar()->GetPosition();
  ::Sleep(300);
  Pump();
  EXPECT_EQ(List->GetScrollBar()->GetPosition(), stopped);
  // Again, and another window takes the capture: the scrolling ends too.
  Mouse(MOUSEEVENTF_LEFTDOWN, x, 20);
  Mouse(MOUSEEVENTF_MOVE, x, -20);
  EXPECT_TRUE(List->GetScrollBar()->GetAutoScrollUp());
  HWND thief = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
  ::SetCapture(thief);
  Pump();
  EXPECT_FALSE(List->GetScrollBar()->GetAutoScrollUp());
  ::ReleaseCapture();
  ::DestroyWindow(thief);
  Mouse(MOUSEEVENTF_LEFTUP, x, -20);
  // Shift+Down by the real keyboard extends the range; without MultiSelect it moves.
  List->SetItemIndex(10);
  Key(VK_HOME);
  SendKey(VK_SHIFT, false);
  SendKey(VK_DOWN, false);
  SendKey(VK_DOWN, true);
  SendKey(VK_SHIFT, true);
  EXPECT_EQ(List->GetSelCount(), 2);
}

TEST_F(SkinListBoxTest, AutomaticDragStartsFromAPressButNeverWhileCtrlOrShiftExtendsTheSelection) {
  Fill(40);
  List->SetMultiSelect(true);
  List->SetDragMode(dmAutomatic);
  int starts = 0, ends = 0;
  List->SetOnStartDrag([&](TObject*) { ++starts; });
  List->SetOnEndDrag([&](TObject*, TObject*, int, int) { ++ends; });
  const int row = 16, x = 30;
  auto rowY = [&](int index) { return 1 + row * index + 4; };
  // The real mouse at a point of the list, the move and the button in one input event.
  auto mouse = [&](DWORD flags, int px, int py) {
    const TPoint screen = List->ClientToScreen(TPoint(px, py));
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.X, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.Y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof(INPUT));
    Pump();
  };
  // Pressed with the real keyboard's modifier (none: 0), moved past the drag threshold to the
  // right of the list (off every item, so that the move selects nothing), released.
  const int outside = List->GetWidth() + 30;
  auto pressMoveRelease = [&](WORD modifier, int index) {
    if (modifier) SendKey(modifier, false);
    mouse(MOUSEEVENTF_LEFTDOWN, x, rowY(index));
    mouse(0, outside, rowY(index) + 2);
    mouse(0, outside + 10, rowY(index) + 3);
    mouse(MOUSEEVENTF_LEFTUP, outside + 10, rowY(index) + 3);
    if (modifier) SendKey(modifier, true);
  };
  // A plain press selects its item (the list's own handling ran) and a drag follows the move.
  pressMoveRelease(0, 1);
  EXPECT_EQ(Marked(true), std::vector<String>{L"项目 1"});
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(List->Dragging());
  // Ctrl toggles an item into the selection and Shift extends it: neither press drags.
  pressMoveRelease(VK_CONTROL, 3);
  EXPECT_EQ(Marked(true), (std::vector<String>{L"项目 1", L"项目 3"}));
  pressMoveRelease(VK_SHIFT, 5);
  EXPECT_EQ(Marked(true), (std::vector<String>{L"项目 3", L"项目 4", L"项目 5"}));
  EXPECT_EQ(starts, 1);
  EXPECT_FALSE(List->Dragging());
  // A press on an item already selected drags the selection as it stands, with Ctrl too.
  pressMoveRelease(0, 4);
  pressMoveRelease(VK_CONTROL, 3);
  EXPECT_EQ(starts, 3);
  EXPECT_EQ(Marked(true), (std::vector<String>{L"项目 3", L"项目 4", L"项目 5"}));
  // A press released where it was is a plain click: no drag, the item selected.
  mouse(MOUSEEVENTF_LEFTDOWN, x, rowY(2));
  mouse(MOUSEEVENTF_LEFTUP, x, rowY(2));
  EXPECT_EQ(Marked(true), std::vector<String>{L"项目 2"});
  EXPECT_EQ(starts, 3);
  EXPECT_FALSE(List->Dragging());
  // A press on the scroll bar is the bar's: it scrolls, and nothing drags.
  TSeCustomScrollBar* bar = List->GetScrollBar();
  const int barX = bar->GetLeft() + bar->GetWidth() / 2, barY = bar->GetTop() + bar->GetHeight() - 4;
  mouse(MOUSEEVENTF_LEFTDOWN, barX, barY);
  mouse(MOUSEEVENTF_LEFTUP, barX, barY);
  EXPECT_GT(bar->GetPosition(), 0);
  EXPECT_EQ(starts, 3);
  // Without MultiSelect Ctrl means nothing: the press drags.
  List->SetMultiSelect(false);
  pressMoveRelease(VK_CONTROL, List->GetFirstVisible() + 1);
  EXPECT_EQ(starts, 4);
}

// The focus is asked once per paint: each paint shows the focus as it is then.
TEST_F(SkinListBoxTest, EachPaintShowsTheFocusAsItIsThen) {
  Fill(5);
  List->SetItemIndex(1);
  auto* other = new TSeCustomListBox(Form);
  other->SetParent(Form);
  other->SetBounds(240, 20, 100, 60);
  MemorySurface focused(200, 100), unfocused(200, 100), again(200, 100);
  List->SetFocus();
  Pump();
  PaintWindowInto(List, focused);
  other->SetFocus();
  Pump();
  ASSERT_FALSE(List->Focused());
  PaintWindowInto(List, unfocused);
  EXPECT_GT(DifferentPixels(focused, unfocused, TRect(0, 0, 200, 100)), 0);
  List->SetFocus();
  Pump();
  PaintWindowInto(List, again);
  EXPECT_EQ(DifferentPixels(focused, again, TRect(0, 0, 200, 100)), 0);
}

TEST_F(SkinListBoxTest, ThreeColumnsTheEndKeyAndTheWheelInPageMode) {
  List->SetColumns(3);
  Fill(100);
  TSeCustomScrollBar* bar = List->GetScrollBar();
  EXPECT_EQ(bar->GetKind(), sbHorizontal);
  EXPECT_TRUE(bar->GetVisible());
  EXPECT_EQ(bar->GetPageSize(), 3);
  TRect inner;
  List->GetFrameRect(inner);
  const int rows = (RectHeight(inner) - bar->GetHeight()) / 16;
  EXPECT_EQ(bar->GetMax(), (100 + rows - 1) / rows - 1);
  Key(VK_END);
  EXPECT_EQ(List->GetItemIndex(), 99);
  EXPECT_EQ(bar->GetPosition(), bar->GetMax() - 2);
  EXPECT_EQ(List->GetLastVisible(), 99);
  // A click in the middle column hits the item laid out there.
  List->SetItemIndex(0);
  const int width = RectWidth(inner) / 3;
  Post(WM_LBUTTONDOWN, MK_LBUTTON, inner.Left + width + 5, inner.Top + 16 + 4);
  Post(WM_LBUTTONUP, 0, inner.Left + width + 5, inner.Top + 16 + 4);
  EXPECT_EQ(List->GetItemIndex(), rows + 1);
  SaveScreenshot(Form->GetHandle(), L"skin_listbox_columns_1024");

  // Page mode: a notch turns the page; fine deltas add up to one step.
  List->SetColumns(0);
  List->SetItemIndex(0);
  UINT saved = 3;
  ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &saved, 0);
  ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, WHEEL_PAGESCROLL, nullptr, 0);
  const int page = List->GetLastVisible() - List->GetFirstVisible() + 1;
  ::SendMessageW(List->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(bar->GetPosition(), page);
  ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 1, nullptr, 0);
  for (int i = 0; i < 3; ++i)
    ::SendMessageW(List->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -40), 0);
  EXPECT_EQ(bar->GetPosition(), page + 1);
  ::SendMessageW(List->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 4 * WHEEL_DELTA), 0);
  EXPECT_EQ(bar->GetPosition(), page - 3);
  // A wheel passed up from a child (CM_MOUSEWHEEL) scrolls the list alike.
  List->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(bar->GetPosition(), page - 2);
  ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, saved, nullptr, 0);
}

TEST_F(SkinListBoxTest, ItemsAndCheckBoxesDrawAsTheSystemDoes) {
  List->SetShowCheckBoxes(true);
  List->SetAllowGrayed(true);
  List->SetFlat(false);
  for (const wchar_t* s : {L"一", L"-", L"三"}) List->GetItems()->Add(s);
  List->SetState(0, cbGrayed);
  List->SetState(2, cbChecked);
  MemorySurface painted(200, 100);
  PaintWindowInto(List, painted);
  // Grayed and checked both equal the system's checked box; unchecked rows draw no text.
  TRect inner;
  List->GetFrameRect(inner);
  const TRect check0(inner.Left + 1, inner.Top + 1, inner.Left + 14, inner.Top + 14);
  const TRect check2(check0.Left, check0.Top + 32, check0.Right, check0.Bottom + 32);
  MemorySurface system(200, 100);
  RECT r0 = check0, r2 = check2;
  ::DrawFrameControl(system.DC(), &r0, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  ::DrawFrameControl(system.DC(), &r2, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  ::GdiFlush();
  EXPECT_EQ(DifferentPixels(painted, system, check0), 0);
  EXPECT_EQ(DifferentPixels(painted, system, check2), 0);
  // The separator: one line in the font's colour across the middle of its row, no text.
  const int middle = inner.Top + 16 + 16 / 2 - 1;
  EXPECT_EQ(painted.At(60, middle), Rgb(List->GetFont()->GetColor()));
  EXPECT_EQ(painted.At(60, middle + 2), Rgb(clWindow));
  // The colour list: "Black" for "clBlack"; a text that is no colour paints an empty frame.
  List->SetShowCheckBoxes(false);
  List->SetListStyle(TSeCustomListBox::lbColorNames);
  EXPECT_EQ(List->GetItems()->Get(0), L"clBlack");
  EXPECT_EQ(List->GetItemHeight(), 18);
  List->GetItems()->BeginUpdate();
  List->SetSorted(false);
  List->GetItems()->Insert(0, L"不是颜色");
  List->GetItems()->EndUpdate();
  MemorySurface colours(200, 100);
  EXPECT_NO_THROW(PaintWindowInto(List, colours));
  const int left = inner.Left + 2, top = inner.Top + 2;  // the first swatch's corner
  EXPECT_EQ(colours.At(left + 1, top), clBlack);             // the frame
  EXPECT_EQ(colours.At(left + 10, top + 7), Rgb(clWindow));  // nothing inside
  EXPECT_EQ(colours.At(left + 10, top + 18 + 7), clBlack);   // clBlack's swatch
  SaveScreenshot(Form->GetHandle(), L"skin_listbox_colors_1024");
}

TEST_F(SkinListBoxTest, TheFontListFiltersByEachFontsMetrics) {
  List->SetListStyle(TSeCustomListBox::lbFonts);
  const int all = List->GetItems()->GetCount();
  ASSERT_GT(all, 0);
  List->SetFontType(ftTrueType);
  const int trueType = List->GetItems()->GetCount();
  EXPECT_LE(trueType, all);
  for (int i = 0; i < trueType; ++i)
    EXPECT_TRUE(reinterpret_cast<uintptr_t>(List->GetItems()->GetObject(i)) & TMPF_TRUETYPE);
  for (int i = 1; i < trueType; ++i)
    EXPECT_LE(AnsiCompareText(List->GetItems()->Get(i - 1), List->GetItems()->Get(i)), 0);
  List->SetFontType(ftFixedPitch);
  for (int i = 0; i < List->GetItems()->GetCount(); ++i)
    EXPECT_FALSE(reinterpret_cast<uintptr_t>(List->GetItems()->GetObject(i)) & TMPF_FIXED_PITCH);
  // Printer fonts without a printer: an empty list, no exception.
  List->SetFontType(ftAll);
  EXPECT_NO_THROW(List->SetFontDevice(fdPrinter));
  ASSERT_NE(ListTrueTypeGlyph(), nullptr);
  EXPECT_FALSE(ListTrueTypeGlyph()->Empty());
  List->SetFontDevice(fdScreen);
  List->SetFocus();
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_listbox_fonts_1024");
}

TEST_F(SkinListBoxTest, LayoutsKeepEveryPublishedPropertyWithChineseText) {
  Fill(3);
  List->SetName(L"List1");
  List->GetItems()->Add(L"中文：选择题");
  List->SetAllowGrayed(true);
  List->SetAlwaysShowScrlBar(true);
  List->SetColumns(2);
  List->SetFlat(false);
  List->SetItemHeight(20);
  List->SetMultiSelect(true);
  List->SetShowCheckBoxes(true);
  List->SetSorted(true);
  List->SetWordWrap(true);
  List->SetBevelWidth(2);
  List->SetColor(clInfoBk);
  List->SetImeMode(imOpen);
  List->SetImeName(L"中文输入法");
  const String text = ComponentToText(Form);
  auto* copy = TCustomForm::Create<TButtonsForm>(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, copy);
  auto* list = dynamic_cast<TSeCustomListBox*>(copy->FindComponent(L"List1"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetItems()->GetText(), List->GetItems()->GetText());
  EXPECT_NE(list->GetItems()->IndexOf(L"中文：选择题"), -1);
  EXPECT_TRUE(list->GetAllowGrayed());
  EXPECT_TRUE(list->GetAlwaysShowScrlBar());
  EXPECT_EQ(list->GetColumns(), 2);
  EXPECT_FALSE(list->GetFlat());
  EXPECT_EQ(list->GetItemHeight(), 20);
  EXPECT_TRUE(list->GetMultiSelect());
  EXPECT_TRUE(list->GetShowCheckBoxes());
  EXPECT_TRUE(list->GetSorted());
  EXPECT_TRUE(list->GetWordWrap());
  EXPECT_EQ(list->GetBevelWidth(), 2);
  EXPECT_EQ(list->GetBevelKind(), vbkSingle);
  EXPECT_EQ(list->GetColor(), clInfoBk);
  EXPECT_EQ(list->GetImeMode(), imOpen);
  EXPECT_EQ(list->GetImeName(), L"中文输入法");
  delete copy;
}

TEST_F(SkinListBoxTest, ThousandCyclesLeaveNoGdiOrUserObjectsAndShowTheStates) {
  auto cycle = [&] {
    auto* list = new TSeCustomListBox(Form);
    list->SetParent(Form);
    list->SetBounds(0, 150, 120, 60);
    list->GetItems()->Add(L"甲");
    list->GetItems()->Add(L"乙");
    list->SetShowCheckBoxes(true);
    list->SetChecked(1, true);
    MemorySurface surface(120, 60);
    PaintWindowInto(list, surface);
    delete list;
  };
  ExpectNoLeaks(cycle);

  // The states, themed and classic, at both screen sizes.
  Fill(12);
  List->SetShowCheckBoxes(true);
  List->SetMultiSelect(true);
  List->SetChecked(0, true);
  List->SetSelected(1, true);
  List->SetSelected(2, true);
  List->SetFocus();
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_listbox_1024");
  WithoutThemes([&] {
    Form->Repaint();
    Pump();
    SaveScreenshot(Form->GetHandle(), L"skin_listbox_classic");
  });
  Form->SetBounds(100, 100, 320, 200);
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_listbox_800");
}

}  // namespace
