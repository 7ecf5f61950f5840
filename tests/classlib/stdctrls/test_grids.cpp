// Grids: the layout of columns and rows along an axis, counts and indexes out of range,
// the current cell and the selection driven by keys, clicks, drags, the wheel and the scroll
// bars, column sizing with the mouse, painting into a memory DC, and grids read from a
// layout text.
#include <gtest/gtest.h>

#include "GridTestSupport.h"
#include "classlib/stdctrls/Grids.h"
#include "tests/ErrorMessages.h"

using namespace grid_tests;

// ---- One axis ------------------------------------------------------------------------------------

namespace {

// Five cells of 64 pixels with 1-pixel lines and one fixed cell, first scrolled cell `first`.
TGridAxisDrawInfo FiveCells(int first, int extent, std::function<int(int)> widths = nullptr) {
  TGridAxisDrawInfo axis;
  if (!widths) widths = [](int) { return 64; };
  CalcFixedAxis(axis, 1, 1, first, 5, widths);
  CalcAxisExtent(axis, extent);
  return axis;
}

}  // namespace

TEST(GridAxis, ExtentTellsWhichCellsShowWholeAndWhereTheyEnd) {
  const TGridAxisDrawInfo axis = FiveCells(1, 200);
  EXPECT_EQ(axis.FixedBoundary, 65);
  EXPECT_EQ(axis.LastFullVisibleCell, 2);  // cells 1 and 2 end at 195
  EXPECT_EQ(axis.FullVisBoundary, 195);
  EXPECT_EQ(axis.GridBoundary, 200);       // cell 3 is cut by the edge
  const TGridAxisDrawInfo wide = FiveCells(1, 1000);
  EXPECT_EQ(wide.LastFullVisibleCell, 4);
  EXPECT_EQ(wide.GridBoundary, 325);       // all cells shown; the rest is empty
}

TEST(GridAxis, CellAtAndLinePosFollowTheScrolling) {
  const TGridAxisDrawInfo axis = FiveCells(3, 300);
  EXPECT_EQ(AxisCellAt(axis, 10), 0);      // the fixed cell stays
  EXPECT_EQ(AxisCellAt(axis, 70), 3);      // the first scrolled cell after it
  EXPECT_EQ(AxisCellAt(axis, 64), 0);      // the fixed cell's line belongs to it
  EXPECT_EQ(AxisCellAt(axis, 135), 4);
  EXPECT_EQ(AxisCellAt(axis, 250), -1);    // beyond the last cell
  EXPECT_EQ(AxisCellAt(axis, -3), -1);
  EXPECT_EQ(AxisLinePos(axis, 3), 65);
  EXPECT_EQ(AxisLinePos(axis, 4), 130);
}

TEST(GridAxis, MaxFirstCellShowsTheGivenCellWholeAtTheFarEdge) {
  TGridAxisDrawInfo axis = FiveCells(1, 200);
  EXPECT_EQ(AxisMaxFirstCell(axis, 4), 3);  // 65 + 2 * 65 = 195 fits, three cells do not
  // A wide last cell: it alone fills the window, so it is the first cell.
  axis = FiveCells(1, 200, [](int i) { return i == 4 ? 150 : 64; });
  EXPECT_EQ(AxisMaxFirstCell(axis, 4), 4);
}

TEST(GridAxis, ScrollPositionsScaleBetweenTheFixedCountAndTheLastTopRow) {
  EXPECT_EQ(GridScrollPos(1, 1, 51), 0);
  EXPECT_EQ(GridScrollPos(51, 1, 51), GridScrollRange);
  EXPECT_EQ(GridScrollPos(26, 1, 51), 64);  // MulDiv rounds 63.5 up
  EXPECT_EQ(GridScrollPos(5, 1, 1), 0);     // nothing to scroll
  EXPECT_EQ(GridScrollCell(GridScrollRange, 1, 51), 51);
  EXPECT_EQ(GridScrollCell(0, 1, 51), 1);
}

// ---- A grid on a window -------------------------------------------------------------------------------

namespace {

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Host = std::make_unique<TTestHost>(100, 100, 500, 400);
    Grid = new TStringGrid(Host.get());
    Grid->SetParent(Host.get());
    // 4 columns and 3 rows of 64 x 24 show in the client (1 + 3 scrolled columns, 1 + 2
    // scrolled rows); the rest scrolls.
    Grid->SetBounds(10, 10, 4 * 65 + 4 + ::GetSystemMetrics(SM_CXVSCROLL),
                    3 * 25 + 4 + ::GetSystemMetrics(SM_CYHSCROLL));
    Grid->SetColCount(10);
    Grid->SetRowCount(20);
    Grid->SetOnClick([this](TObject*) { ++Clicks; });
    Host->ShowHost();
    ActivateHost(Host.get());
    Grid->SetFocus();
    Pump();
  }
  void TearDown() override {
    Host.reset();
    Pump();
  }
  HWND Wnd() { return Grid->GetHandle(); }
  TGridCoord Current() { return TGridCoord{Grid->GetCol(), Grid->GetRow()}; }
  // The centre of a cell in client coordinates.
  TPoint Centre(int col, int row) {
    const TRect r = Grid->CellRect(col, row);
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void ClickCell(int col, int row, WPARAM keys = 0) {
    const TPoint p = Centre(col, row);
    Click(Wnd(), p.X, p.Y, keys);
  }
  // Keys pressed in turn, with Shift and/or Ctrl held.
  void Press(std::initializer_list<WORD> keys, bool shift = false, bool ctrl = false) {
    HeldKeys held(shift, ctrl);
    for (const WORD key : keys) PressKey(Wnd(), key);
  }

  std::unique_ptr<TTestHost> Host;
  TStringGrid* Grid = nullptr;
  int Clicks = 0;
};

String Message(const std::function<void()>& action) {
  return ErrorMessageOf<EInvalidGridOperation>(action, L"(no error)");
}

}  // namespace

TEST_F(GridTest, BadCountsAndIndexesRaiseGridErrorsOrAreClamped) {
  EXPECT_EQ(Message([&] { Grid->GetColWidths(-1); }), L"Grid index out of range");
  EXPECT_EQ(Message([&] { Grid->SetColWidths(10, 10); }), L"Grid index out of range");
  EXPECT_EQ(Message([&] { Grid->SetRowHeights(20, 10); }), L"Grid index out of range");
  EXPECT_EQ(Grid->GetColWidths(99), 64);  // beyond the count: the default
  EXPECT_EQ(Message([&] { Grid->SetCol(10); }), L"Grid index out of range");
  EXPECT_EQ(Message([&] { Grid->SetFixedCols(-1); }), L"Grid index out of range");
  EXPECT_EQ(Message([&] { Grid->SetFixedCols(10); }),
            L"Fixed column count must be less than column count");
  EXPECT_EQ(Message([&] { Grid->SetFixedRows(20); }),
            L"Fixed row count must be less than row count");
  EXPECT_EQ(Message([&] { Grid->SetRowCount(MaxGridCount + 1); }), L"Grid too large for operation");
  EXPECT_EQ(Message([&] { Grid->SetCells(-1, 0, L"x"); }), L"Grid index out of range");
  EXPECT_EQ(Message([&] { Grid->SetSelection(TGridRect{1, 1, 10, 2}); }),
            L"Grid index out of range");
  EXPECT_EQ(Grid->GetRowCount(), 20);  // nothing changed by the failures
  EXPECT_EQ(Current(), (TGridCoord{1, 1}));

  Grid->SetTopRow(100000);  // kept inside the grid
  EXPECT_EQ(Grid->GetTopRow(), 18);  // the last row shown whole at the bottom
  Grid->SetTopRow(-5);
  EXPECT_EQ(Grid->GetTopRow(), 1);
  Grid->SetRowCount(-7);  // below one row counts as one, and no fixed row is left
  EXPECT_EQ(Grid->GetRowCount(), 1);
  EXPECT_EQ(Grid->GetFixedRows(), 0);
  EXPECT_EQ(Grid->GetRow(), 0);
}

TEST_F(GridTest, ShrinkingTheCountsMovesTheCurrentCellInsideEvenWhenSelectCellRefuses) {
  Grid->SetRow(15);
  Grid->SetCol(8);
  Grid->SetOnSelectCell([](TObject*, int, int, bool& canSelect) { canSelect = false; });
  Grid->SetRowCount(6);
  Grid->SetColCount(3);
  EXPECT_EQ(Current(), (TGridCoord{2, 5}));
  EXPECT_LE(Grid->GetTopRow(), 5);
  EXPECT_EQ(Grid->GetSelection(), (TGridRect{2, 5, 2, 5}));
}

TEST_F(GridTest, MoveColRowPlacesTheCurrentCellWithoutScrollingOrClicking) {
  Grid->MoveColRow(6, 15, true, false);
  EXPECT_EQ(Current(), (TGridCoord{6, 15}));
  EXPECT_EQ(Grid->GetTopRow(), 1);
  EXPECT_EQ(Grid->GetLeftCol(), 1);
  EXPECT_EQ(Clicks, 0);
  Grid->SetRow(16);  // Row scrolls to the cell and clicks
  EXPECT_EQ(Grid->GetTopRow(), 15);
  EXPECT_EQ(Clicks, 1);
}

TEST_F(GridTest, CellsKeepTheirTextAndObjectsBeyondTheCounts) {
  TObject marker;
  Grid->SetCells(2, 3, L"kept");
  Grid->SetObjects(2, 3, &marker);
  Grid->SetCells(0, 40, L"far");  // beyond RowCount: kept for later
  Grid->SetRowCount(2);
  Grid->SetRowCount(50);
  EXPECT_EQ(Grid->GetCells(2, 3), L"kept");
  EXPECT_EQ(Grid->GetObjects(2, 3), &marker);
  EXPECT_EQ(Grid->GetCells(0, 40), L"far");
  EXPECT_EQ(Grid->GetCells(7, 7), L"");
  EXPECT_EQ(Grid->GetObjects(7, 7), nullptr);
}

TEST_F(GridTest, CellRectAndMouseToCellAgreeWithWidthsAndScrolling) {
  EXPECT_EQ(Grid->GetVisibleColCount(), 3);
  EXPECT_EQ(Grid->GetVisibleRowCount(), 2);
  Grid->SetColWidths(1, 30);
  EXPECT_EQ(Grid->CellRect(1, 1), Rect(65, 25, 95, 49));
  EXPECT_EQ(Grid->CellRect(2, 1), Rect(96, 25, 160, 49));
  int col = 0;
  int row = 0;
  Grid->MouseToCell(100, 30, col, row);
  EXPECT_EQ((TGridCoord{col, row}), (TGridCoord{2, 1}));
  Grid->MouseToCell(-4, 30, col, row);
  EXPECT_EQ((TGridCoord{col, row}), (TGridCoord{-1, -1}));
  // Scrolled: column 1 leaves the window, column 4 follows the fixed one.
  Grid->SetLeftCol(4);
  EXPECT_EQ(Grid->CellRect(1, 1), TRect());
  EXPECT_EQ(Grid->CellRect(4, 1).Left, 65);
  EXPECT_EQ(Grid->CellRect(0, 1).Left, 0);
  EXPECT_EQ(Grid->MouseCoord(70, 30), (TGridCoord{4, 1}));
  // Setting the default width forgets the width of column 1.
  Grid->SetDefaultColWidth(40);
  EXPECT_EQ(Grid->GetColWidths(1), 40);
}

TEST_F(GridTest, ArrowKeysMoveTheCurrentCellAndClickEachTime) {
  Press({VK_DOWN, VK_RIGHT, VK_RIGHT});
  EXPECT_EQ(Current(), (TGridCoord{3, 2}));
  EXPECT_EQ(Clicks, 3);
  Press({VK_LEFT, VK_LEFT, VK_LEFT});  // the fixed column is not entered
  EXPECT_EQ(Grid->GetCol(), 1);
  EXPECT_EQ(Clicks, 5);
  Press({VK_END});
  EXPECT_EQ(Grid->GetCol(), 9);
  EXPECT_GE(Grid->GetLeftCol(), 7);  // scrolled so that it shows
  Press({VK_HOME});
  EXPECT_EQ(Grid->GetCol(), 1);
  EXPECT_EQ(Grid->GetLeftCol(), 1);
  EXPECT_EQ(Host->GetFocusedControl(), Grid);  // the arrows stayed in the grid
}

TEST_F(GridTest, PageKeysScrollAndCtrlKeysJumpToTheCorners) {
  Press({VK_NEXT});
  EXPECT_EQ(Grid->GetRow(), 2);  // a page of the one scrolled row shown whole
  EXPECT_EQ(Grid->GetTopRow(), 2);
  Press({VK_END}, false, true);
  EXPECT_EQ(Current(), (TGridCoord{9, 19}));
  EXPECT_EQ(Grid->GetTopRow(), 18);
  Press({VK_HOME}, false, true);
  EXPECT_EQ(Grid->GetRow(), 1);
  EXPECT_EQ(Grid->GetTopRow(), 1);
}

TEST_F(GridTest, ShiftArrowsSelectARangeOnlyWithRangeSelect) {
  Press({VK_DOWN, VK_RIGHT}, true);
  EXPECT_EQ(Grid->GetSelection(), (TGridRect{1, 1, 2, 2}));
  Grid->SetOptions(Grid->GetOptions() - TGridOptions{goRangeSelect});
  Press({VK_DOWN}, true);
  EXPECT_EQ(Grid->GetSelection(), (TGridRect{2, 3, 2, 3}));
}

TEST_F(GridTest, SelectCellRefusalKeepsTheCurrentCell) {
  int asked = 0;
  Grid->SetOnSelectCell([&](TObject*, int col, int row, bool& canSelect) {
    ++asked;
    canSelect = !(col == 2 && row == 1);
  });
  Press({VK_RIGHT});
  EXPECT_EQ(Grid->GetCol(), 1);
  EXPECT_EQ(asked, 1);
  ClickCell(3, 2);
  EXPECT_EQ(Current(), (TGridCoord{3, 2}));
}

TEST_F(GridTest, ClicksPickCellsAndDragsSelectRanges) {
  int doubleClicks = 0;
  Grid->SetOnDblClick([&](TObject*) { ++doubleClicks; });
  ClickCell(2, 2);
  EXPECT_EQ(Current(), (TGridCoord{2, 2}));
  EXPECT_EQ(Clicks, 1);
  // A press on a fixed cell picks nothing.
  Click(Wnd(), 10, 40);
  EXPECT_EQ(Grid->GetCol(), 2);
  const TPoint from = Centre(1, 1);
  const TPoint to = Centre(3, 2);
  ::SendMessageW(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.X, from.Y));
  ::SendMessageW(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.X, to.Y));
  ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(to.X, to.Y));
  EXPECT_EQ(Grid->GetSelection(), (TGridRect{1, 1, 3, 2}));
  EXPECT_EQ(Grid->GetCol(), 1);  // the press's cell stays current
  // Shift+click extends from there.
  ClickCell(2, 2, MK_SHIFT);
  EXPECT_EQ(Grid->GetSelection(), (TGridRect{1, 1, 2, 2}));
  const TPoint p = Centre(2, 1);
  ::SendMessageW(Wnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.X, p.Y));
  EXPECT_EQ(doubleClicks, 1);
}

TEST_F(GridTest, RowSelectSelectsWholeRowsAndKeepsTheFirstColumnCurrent) {
  Grid->SetOptions(Grid->GetOptions() + TGridOptions{goRowSelect});
  ClickCell(3, 2);
  EXPECT_EQ(Current(), (TGridCoord{1, 2}));
  EXPECT_EQ(Grid->GetSelection(), (TGridRect{1, 2, 9, 2}));
  Press({VK_RIGHT});  // scrolls rather than moving to a column
  EXPECT_EQ(Grid->GetLeftCol(), 2);
  EXPECT_EQ(Grid->GetSelection(), (TGridRect{1, 2, 9, 2}));
}

TEST_F(GridTest, WheelMovesTheCurrentRow) {
  const POINT screen = Grid->ClientToScreen(Centre(1, 1));
  const auto wheel = [&](int delta) {
    ::SendMessageW(Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                   MAKELPARAM(screen.x, screen.y));
  };
  wheel(-WHEEL_DELTA);
  wheel(-WHEEL_DELTA);
  EXPECT_EQ(Grid->GetRow(), 3);
  wheel(WHEEL_DELTA);
  EXPECT_EQ(Grid->GetRow(), 2);
}

TEST_F(GridTest, ScrollBarsFollowTheRowsAndScrollTheGrid) {
  int low = 0;
  int high = 0;
  ::GetScrollRange(Wnd(), SB_VERT, &low, &high);
  EXPECT_EQ(high, GridScrollRange);
  int topLeftChanges = 0;
  Grid->SetOnTopLeftChanged([&](TObject*) { ++topLeftChanges; });
  ::SendMessageW(Wnd(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Grid->GetTopRow(), 2);
  EXPECT_EQ(Grid->GetRow(), 1);  // scrolling leaves the current cell where it was
  ::SendMessageW(Wnd(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Grid->GetTopRow(), 18);
  EXPECT_EQ(::GetScrollPos(Wnd(), SB_VERT), GridScrollRange);
  // Dragging the thumb scrolls only with goThumbTracking; its release always does.
  ::SendMessageW(Wnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), 0);
  EXPECT_EQ(Grid->GetTopRow(), 18);
  ::SendMessageW(Wnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
  EXPECT_EQ(Grid->GetTopRow(), 1);
  Grid->SetOptions(Grid->GetOptions() + TGridOptions{goThumbTracking});
  ::SendMessageW(Wnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 64), 0);
  EXPECT_EQ(Grid->GetTopRow(), 10);
  ::SendMessageW(Wnd(), WM_HSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(Grid->GetLeftCol(), 3);
  EXPECT_EQ(topLeftChanges, 5);
  // Rows that fit need no bar.
  Grid->SetRowCount(2);
  ::GetScrollRange(Wnd(), SB_VERT, &low, &high);
  EXPECT_EQ(high, 0);
  EXPECT_EQ(Grid->GetTopRow(), 1);
}

TEST_F(GridTest, DraggingAColumnEdgeInTheFixedRowSizesItOnlyWithColSizing) {
  const int edge = Grid->CellRect(2, 0).Right;  // the right edge of column 2
  const auto drag = [&] {
    ::SendMessageW(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(edge, 10));
    ::SendMessageW(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge + 30, 10));
    ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(edge + 30, 10));
  };
  drag();
  EXPECT_EQ(Grid->GetColWidths(2), 64);
  Grid->SetOptions(Grid->GetOptions() + TGridOptions{goColSizing});
  drag();
  EXPECT_EQ(Grid->GetColWidths(2), 94);
  EXPECT_EQ(Grid->GetColWidths(1), 64);
  EXPECT_EQ(Clicks, 0);  // sizing is no click
}

// ---- Painting ---------------------------------------------------------------------------------------------

TEST_F(GridTest, PaintsFixedCellsSelectionLinesAndText) {
  Grid->SetFixedColor(clYellow);
  Grid->SetColor(clWhite);
  Grid->SetOptions(Grid->GetOptions() + TGridOptions{goDrawFocusSelected});
  Grid->SetSelection(TGridRect{1, 1, 2, 1});
  Grid->SetCells(3, 2, L"WWWW");
  std::vector<std::pair<int, int>> drawn;
  Grid->SetOnDrawCell([&](TObject*, int col, int row, TRect rect, TGridDrawState state) {
    drawn.emplace_back(col, row);
    EXPECT_EQ(rect, Grid->CellRect(col, row));
    EXPECT_EQ(state.Contains(gdFixed), col == 0 || row == 0);
  });
  const TRect client = Grid->GetClientRect();
  MemorySurface surface(client.Width(), client.Height(), clFuchsia);
  PaintInto(Grid, surface);
  const TColor Highlight = ColorFromInt(static_cast<int32_t>(ColorToRGB(clHighlight)));
  EXPECT_EQ(surface.At(30, 40), clYellow);                       // fixed column
  EXPECT_EQ(surface.At(80, 30), Highlight);   // selected cell
  EXPECT_EQ(surface.At(150, 30), Highlight);
  EXPECT_EQ(surface.At(80, 60), clWhite);                        // plain cell
  EXPECT_EQ(surface.At(129, 60), clSilver);                      // line after column 1
  EXPECT_EQ(surface.At(64, 60), clBlack);                        // line after the fixed column
  const TRect text = Grid->CellRect(3, 2);
  EXPECT_GT(surface.CountOf(clBlack, text), 10);                 // the text's pixels
  EXPECT_EQ(surface.CountOf(clFuchsia, client), 0);              // every pixel painted
  EXPECT_EQ(drawn.size(), 12u);  // the 4 columns x 3 rows that show
}

TEST_F(GridTest, LeftOutLinesAreDrawnInTheBackgroundAndWideLinesWiden) {
  Grid->SetColor(clWhite);
  Grid->SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goHorzLine});
  Grid->SetGridLineWidth(3);
  EXPECT_EQ(Grid->CellRect(1, 1), Rect(67, 27, 131, 51));
  const TRect client = Grid->GetClientRect();
  MemorySurface surface(client.Width(), client.Height(), clFuchsia);
  PaintInto(Grid, surface);
  EXPECT_EQ(surface.At(132, 40), clWhite);   // no vertical line between scrolled columns
  for (int y = 51; y <= 53; ++y) EXPECT_EQ(surface.At(100, y), clSilver) << y;  // 3-pixel line
}

// ---- Layouts ------------------------------------------------------------------------------------------------

TEST(GridLayout, AGridIsReadWithItsCountsOptionsAndColumnWidths) {
  TTestHost host;
  ReadLayout(&host,
             L"object Host: TTestHost\n"
             L"  object LawGrid: TStringGrid\n"
             L"    Left = 4\n    Top = 6\n    Width = 300\n    Height = 200\n"
             L"    ColCount = 3\n    FixedCols = 0\n    RowCount = 12\n    FixedRows = 2\n"
             L"    Options = [goFixedVertLine, goFixedHorzLine, goRowSelect, goThumbTracking]\n"
             L"    ColWidths = (\n      120\n      40\n      80\n      99)\n"
             L"  end\n"
             L"end\n");
  auto* grid = dynamic_cast<TStringGrid*>(host.FindComponent(L"LawGrid"));
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->GetParent(), &host);
  EXPECT_EQ(grid->GetColCount(), 3);
  EXPECT_EQ(grid->GetRowCount(), 12);
  EXPECT_EQ(grid->GetFixedCols(), 0);
  EXPECT_EQ(grid->GetFixedRows(), 2);
  EXPECT_EQ(grid->GetOptions(),
            (TGridOptions{goFixedVertLine, goFixedHorzLine, goRowSelect, goThumbTracking}));
  EXPECT_EQ(grid->GetColWidths(0), 120);
  EXPECT_EQ(grid->GetColWidths(2), 80);  // the fourth value has no column and is passed
  EXPECT_EQ(grid->GetRow(), 2);
  // Written again, the widths and the changed values are kept; defaults are left out.
  const String text = ComponentToText(&host);
  const size_t widths = text.find(L"ColWidths = (");
  ASSERT_NE(widths, String::npos);
  EXPECT_NE(text.find(L"120", widths), String::npos);
  EXPECT_EQ(text.find(L"99", widths), String::npos);
  EXPECT_NE(text.find(L"FixedRows = 2"), String::npos);
  EXPECT_EQ(text.find(L"DefaultColWidth"), String::npos);
  EXPECT_EQ(text.find(L"RowHeights"), String::npos);
}
