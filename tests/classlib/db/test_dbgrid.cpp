// The data-aware grid as a real window over forty question records: it shows the first
// records, keys, the wheel, clicks and its scroll bar move the data set and the window of
// rows follows, moves made in code are followed too, row selection paints whole rows, and
// columns take their titles, widths and alignment from the program or the fields.
#include "DBWindowTestSupport.h"

#include <map>

#include "classlib/db/DBCtrls.h"
#include "classlib/db/DBGrids.h"
#include "tests/classlib/ado/AdoTestFiles.h"

using namespace db_window_tests;

namespace {

class DBGridTest : public DBWindowTest {
 protected:
  void SetUp() override {
    DBWindowTest::SetUp();
    for (int i = 6; i <= 40; ++i)
      Data.Backing->AddRow({i, L"Q" + IntToStr(i), i % 7, Variant::Null(), i % 2 == 0, i * 0.5,
                            Variant::Null()});
    Grid = Place<TDBGrid>(Rect(10, 10, 410, 210));
    Grid->SetDataSource(Source);
    Data.Open();
    ShowHost();
    Grid->SetFocus();
    grid_tests::Pump();
  }
  HWND Wnd() { return Grid->GetHandle(); }
  int Shown() { return Grid->GetRowCount() - 1; }  // data rows under the titles
  // Paints the grid into a memory surface, noting the text each data cell shows.
  void Paint(MemorySurface& surface) {
    Drawn.clear();
    grid_tests::PaintInto(Grid, surface);
  }
  // The text of a data cell, drawn by painting the grid.
  String CellText(int row, int dataCol) {
    const TRect client = Grid->GetClientRect();
    MemorySurface surface(client.Width(), client.Height());
    Drawn.clear();
    // The handler sees the column and the record; the row comes from the rectangle.
    Grid->SetOnDrawColumnCell([&](TObject*, TRect rect, int col, TColumn* column, TGridDrawState) {
      int drawnRow = -1;
      for (int r = 0; r < Grid->GetRowCount(); ++r)
        if (Grid->CellRect(col + 1, r) == rect) drawnRow = r;
      Drawn[{drawnRow, col}] = column->GetField() ? column->GetField()->GetDisplayText() : L"?";
    });
    grid_tests::PaintInto(Grid, surface);
    const auto it = Drawn.find({row, dataCol});
    return it == Drawn.end() ? L"(not drawn)" : it->second;
  }
  void Wheel(int notches) {
    const POINT screen = Grid->ClientToScreen(TPoint(50, 50));
    ::SendMessageW(Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-notches * WHEEL_DELTA)),
                   MAKELPARAM(screen.x, screen.y));
    grid_tests::Pump();
  }
  void ClickRow(int row, WPARAM keys = 0) {
    const TRect r = Grid->CellRect(2, row);
    grid_tests::Click(Wnd(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, keys);
  }
  SCROLLINFO VerticalBar() {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ::GetScrollInfo(Wnd(), SB_VERT, &info);
    return info;
  }

  TDBGrid* Grid = nullptr;
  std::map<std::pair<int, int>, String> Drawn;  // (row, data column) -> text drawn
};

TEST_F(DBGridTest, ShowsTheFirstRecordsInColumnsMadeFromTheFields) {
  ASSERT_EQ(Grid->GetColumns()->GetCount(), 7);  // every field
  EXPECT_FALSE(Grid->GetColumns()->IsCustomized());
  EXPECT_GT(Shown(), 3);
  EXPECT_LT(Shown(), 40);
  EXPECT_EQ(Grid->GetRow(), 1);
  EXPECT_EQ(Grid->GetColumns()->GetItem(1)->GetTitle()->GetCaption(), L"a1");
  EXPECT_EQ(Grid->GetColumns()->GetItem(2)->GetAlignment(), taRightJustify);  // a number
  EXPECT_EQ(CellText(1, 1), L"Apple");
  EXPECT_EQ(CellText(2, 1), L"banana");
  EXPECT_EQ(CellText(Shown(), 1), L"Q" + IntToStr(Shown()));
  EXPECT_EQ(CellText(Shown() + 1, 1), L"(not drawn)");
  EXPECT_EQ(Data.GetRecNo(), 1);  // drawing other rows left the data set where it was
  EXPECT_EQ(Data.FieldByName(L"a1")->GetAsString(), L"Apple");
}

TEST_F(DBGridTest, KeysMoveTheRecordAndTheWindowOfRowsFollows) {
  grid_tests::PressKey(Wnd(), VK_DOWN);
  EXPECT_EQ(Data.GetRecNo(), 2);
  EXPECT_EQ(Grid->GetRow(), 2);
  grid_tests::PressKey(Wnd(), VK_NEXT);
  EXPECT_EQ(Data.GetRecNo(), 2 + Shown());
  EXPECT_EQ(Grid->GetRow(), Shown());  // the current record at the bottom of the window
  EXPECT_EQ(Grid->GetTopRow(), 1);     // the grid itself never scrolls its rows
  EXPECT_EQ(CellText(Shown(), 1), L"Q" + IntToStr(2 + Shown()));
  grid_tests::PressKey(Wnd(), VK_UP);
  EXPECT_EQ(Data.GetRecNo(), 1 + Shown());
  EXPECT_EQ(Grid->GetRow(), Shown() - 1);
  {
    grid_tests::HeldKeys ctrl(false, true);
    grid_tests::PressKey(Wnd(), VK_END);
  }
  EXPECT_EQ(Data.GetRecNo(), 40);
  EXPECT_TRUE(Data.GetEof());
  EXPECT_EQ(CellText(Shown(), 1), L"Q40");
  EXPECT_EQ(CellText(1, 1), L"Q" + IntToStr(41 - Shown()));
  grid_tests::PressKey(Wnd(), VK_DOWN);  // nothing after the last
  EXPECT_EQ(Data.GetRecNo(), 40);
  {
    grid_tests::HeldKeys ctrl(false, true);
    grid_tests::PressKey(Wnd(), VK_HOME);
  }
  EXPECT_EQ(Data.GetRecNo(), 1);
  EXPECT_EQ(Grid->GetRow(), 1);
  EXPECT_EQ(CellText(1, 1), L"Apple");
  // Left and right pick the column.
  grid_tests::PressKey(Wnd(), VK_RIGHT);
  EXPECT_EQ(Grid->GetSelectedIndex(), 1);
  EXPECT_EQ(Grid->GetSelectedField(), Data.FieldByName(L"a1"));
  EXPECT_EQ(Data.GetRecNo(), 1);
}

TEST_F(DBGridTest, WheelClicksAndTheScrollBarMoveTheRecord) {
  Wheel(3);
  EXPECT_EQ(Data.GetRecNo(), 4);
  Wheel(-1);
  EXPECT_EQ(Data.GetRecNo(), 3);
  Data.First();
  ClickRow(3);
  EXPECT_EQ(Data.GetRecNo(), 3);
  EXPECT_EQ(Grid->GetRow(), 3);
  EXPECT_EQ(Grid->GetCol(), 2);

  SCROLLINFO bar = VerticalBar();
  EXPECT_EQ(bar.nMin, 1);
  EXPECT_EQ(static_cast<int>(bar.nPage), Shown());
  EXPECT_EQ(bar.nMax, 40 + Shown() - 1);
  EXPECT_EQ(bar.nPos, 3);
  ::SendMessageW(Wnd(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Data.GetRecNo(), 40);
  EXPECT_EQ(VerticalBar().nPos, 40);
  ::SendMessageW(Wnd(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(Data.GetRecNo(), 1);
  ::SendMessageW(Wnd(), WM_VSCROLL, SB_LINEDOWN, 0);  // the record just under the window
  EXPECT_EQ(Data.GetRecNo(), Shown() + 1);
  EXPECT_EQ(CellText(1, 1), L"banana");                // the window moved by one
  ::SendMessageW(Wnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 25), 0);
  EXPECT_EQ(Data.GetRecNo(), 25);
  EXPECT_EQ(VerticalBar().nPos, 25);
  ::SendMessageW(Wnd(), WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(Data.GetRecNo(), 25 - Shown());
}

TEST_F(DBGridTest, DoubleClickReportsTheRecordOfTheRowClicked) {
  int doubleClicks = 0;
  String clicked;
  Grid->SetOnDblClick([&](TObject*) {
    ++doubleClicks;
    clicked = Data.FieldByName(L"a1")->GetAsString();
  });
  const TRect r = Grid->CellRect(1, 4);
  const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    ::SendMessageW(Wnd(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
  grid_tests::Pump();
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(clicked, L"apricot");
}

TEST_F(DBGridTest, ReadOnlyRowSelectionPaintsTheWholeCurrentRow) {
  Grid->SetOptions(TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect});
  Grid->SetReadOnly(true);
  Grid->SetColor(clWhite);
  EXPECT_FALSE(Grid->GetOptions().Contains(dgEditing));  // row selection edits nothing
  Data.SetRecNo(3);
  EXPECT_EQ(Grid->GetRow(), 3);
  const TRect client = Grid->GetClientRect();
  MemorySurface surface(client.Width(), client.Height(), clFuchsia);
  Paint(surface);
  const TColor highlight = ColorFromInt(static_cast<int32_t>(ColorToRGB(clHighlight)));
  const TRect first = Grid->CellRect(1, 3);
  const TRect third = Grid->CellRect(3, 3);
  const TRect other = Grid->CellRect(3, 2);
  EXPECT_GT(first.Width(), 0);
  EXPECT_EQ(surface.At(first.Right - 2, first.Bottom - 2), highlight);
  EXPECT_EQ(surface.At(third.Right - 2, third.Bottom - 2), highlight);
  EXPECT_EQ(surface.At(other.Right - 2, other.Bottom - 2), clWhite);
  // The indicator marks the current record only.
  const TRect marker = Grid->CellRect(0, 3);
  const TRect noMarker = Grid->CellRect(0, 2);
  EXPECT_GT(surface.CountOf(clBlack, marker), 5);
  EXPECT_EQ(surface.CountOf(clBlack, noMarker), 0);

  // Typing into a read-only grid changes nothing; the arrows still move.
  edit_tests::KeyTargetRef() = Wnd();
  edit_tests::Type(L"abc");
  grid_tests::PressKey(Wnd(), VK_INSERT);
  EXPECT_EQ(Data.GetState(), dsBrowse);
  EXPECT_EQ(Data.GetRecordCount(), 40);
  grid_tests::PressKey(Wnd(), VK_DOWN);
  EXPECT_EQ(Data.GetRecNo(), 4);
  grid_tests::PressKey(Wnd(), VK_END);  // with row selection End goes to the last record
  EXPECT_EQ(Data.GetRecNo(), 40);
}

// With no record left (every row filtered out) the grid's one row is blank: no selection bar,
// no marker and no focus frame, so nothing looks chosen that could be acted on.
TEST_F(DBGridTest, AnEmptyDataSetLeavesItsRowBlank) {
  Grid->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect});
  Grid->SetColor(clWhite);
  Data.SetFilter(L"id < 0");
  Data.SetFiltered(true);
  grid_tests::Pump();
  ASSERT_TRUE(Data.IsEmpty());
  ASSERT_EQ(Grid->GetRowCount(), 2);
  const TRect client = Grid->GetClientRect();
  MemorySurface surface(client.Width(), client.Height(), clFuchsia);
  Paint(surface);
  const TColor highlight = ColorFromInt(static_cast<int32_t>(ColorToRGB(clHighlight)));
  const TRect cell = Grid->CellRect(2, 1);
  EXPECT_EQ(surface.CountOf(highlight, cell), 0);
  EXPECT_EQ(surface.At(cell.Right - 2, cell.Bottom - 2), clWhite);
  EXPECT_EQ(surface.CountOf(clBlack, Grid->CellRect(0, 1)), 0);
  // The grid has the focus, yet frames neither the row nor, selecting cells, the cell.
  ASSERT_TRUE(Grid->Focused());
  for (const bool rows : {true, false}) {
    if (!rows) Grid->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines});
    Paint(surface);
    const TRect first = Grid->CellRect(1, 1);
    EXPECT_EQ(surface.CountOf(clWhite, first), first.Width() * first.Height()) << (rows ? "row" : "cell");
  }
}

TEST_F(DBGridTest, ColumnsGivenByTheProgramTakeTheRestFromTheirFields) {
  TDBGridColumns* columns = Grid->GetColumns();
  TColumn* name = columns->Add();  // the columns made for the fields give way
  name->SetFieldName(L"a1");
  name->GetTitle()->SetCaption(L"名称");
  name->SetWidth(120);
  name->SetAlignment(taRightJustify);
  TColumn* times = columns->Add();
  times->SetFieldName(L"e3");
  EXPECT_TRUE(columns->IsCustomized());
  EXPECT_EQ(columns->GetCount(), 2);
  EXPECT_EQ(Grid->GetColCount(), 3);
  EXPECT_EQ(Grid->GetColWidths(1), 120);
  EXPECT_EQ(times->GetTitle()->GetCaption(), L"e3");  // the field's label
  EXPECT_FALSE(times->IsWidthStored());
  EXPECT_GT(times->GetWidth(), 0);
  EXPECT_EQ(CellText(2, 0), L"banana");
  EXPECT_EQ(CellText(2, 1), L"0");

  // Dragging a column edge in the title row keeps the width in the column.
  Grid->SetOptions(Grid->GetOptions() + TDBGridOptions{dgColumnResize});
  const int edge = Grid->CellRect(1, 0).Right;
  ::SendMessageW(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(edge, 5));
  ::SendMessageW(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge + 30, 5));
  ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(edge + 30, 5));
  EXPECT_EQ(name->GetWidth(), 150);

  // Closing the data set leaves the columns and an empty row; reopening shows the records.
  Data.Close();
  EXPECT_EQ(Grid->GetRowCount(), 2);
  EXPECT_EQ(columns->GetCount(), 2);
  EXPECT_EQ(name->GetField(), nullptr);
  EXPECT_EQ(CellText(1, 0), L"(not drawn)");
  Data.Open();
  EXPECT_EQ(CellText(1, 0), L"Apple");
  columns->Clear();  // back to the fields' columns
  EXPECT_EQ(columns->GetCount(), 7);
  EXPECT_FALSE(columns->IsCustomized());
}

// A column's Alignment places the text of its cells, Title.Alignment that of its title.
TEST_F(DBGridTest, CellsAndTitlesAreWrittenAsTheirColumnAligns) {
  TColumn* name = Grid->GetColumns()->Add();
  name->SetFieldName(L"a1");
  name->SetWidth(240);
  name->SetAlignment(taRightJustify);
  name->GetTitle()->SetAlignment(taCenter);
  Grid->SetColor(clWhite);
  const TRect client = Grid->GetClientRect();
  MemorySurface surface(client.Width(), client.Height(), clFuchsia);
  Paint(surface);
  // Pixels of the part [from, to) of a cell's width (inside its edges) that are not the
  // cell's background, taken at the cell's inner corner.
  auto ink = [&](const TRect& cell, int from, int to) {
    const TColor background = surface.At(cell.Left + 3, cell.Top + 3);
    const TRect part(cell.Left + from, cell.Top + 3, cell.Left + to, cell.Bottom - 3);
    return part.Width() * part.Height() - surface.CountOf(background, part);
  };
  const TRect cell = Grid->CellRect(1, 2);  // banana, not the current record
  EXPECT_EQ(ink(cell, 3, 120), 0);
  EXPECT_GT(ink(cell, 120, 237), 10);
  const TRect title = Grid->CellRect(1, 0);
  EXPECT_EQ(ink(title, 3, 80), 0);
  EXPECT_GT(ink(title, 80, 160), 10);
  EXPECT_EQ(ink(title, 160, 237), 0);
}

TEST_F(DBGridTest, MovesMadeInCodeAndAFreedSourceAreFollowed) {
  Data.Last();
  EXPECT_EQ(Grid->GetRow(), Shown());
  EXPECT_EQ(VerticalBar().nPos, 40);
  Data.SetRecNo(10);
  EXPECT_EQ(CellText(Grid->GetRow(), 1), L"Q10");
  // A filter narrows the records the grid walks through.
  Data.SetFilter(L"e3 = 3");
  Data.SetFiltered(true);
  EXPECT_EQ(Data.GetRecordCount(), 2 + 5);  // Apple, apricot and five of the added ones
  EXPECT_EQ(Grid->GetRowCount(), 1 + 7);
  EXPECT_EQ(CellText(1, 1), L"Apple");
  EXPECT_EQ(CellText(2, 1), L"apricot");
  delete Source;
  EXPECT_EQ(Grid->GetDataSource(), nullptr);
  EXPECT_EQ(Grid->GetRowCount(), 2);
  EXPECT_EQ(GetDataLinkOf(Grid)->GetDataSource(), nullptr);
}

// ---- Over a database file --------------------------------------------------------------------------

class DBGridOverAQuery : public DBWindowTest {
 protected:
  TTempDatabase db{L"dbgrid"};  // outlives the host's windows and query (freed in TearDown)
};

TEST_F(DBGridOverAQuery, ScrollsTheRecordsOfTheFileAndAnEditBesideItPostsToTheFile) {
  db.Exec(L"CREATE TABLE tab_kmmc (bh TEXT(10) NOT NULL PRIMARY KEY, C2 TEXT(50), C3 LONG)");
  db.Connection().BeginTrans();
  for (int i = 1; i <= 30; ++i)
    db.Exec(Format(L"INSERT INTO tab_kmmc (bh, C2, C3) VALUES ('%.3d', 'Chapter %d', %d)", {i, i, i * 10}));
  db.Connection().CommitTrans();

  auto* query = new TADOQuery(Host.get());
  query->SetConnection(&db.Connection());
  query->GetSQL()->SetText(L"select bh, C2, C3 from tab_kmmc order by bh");
  Source->SetDataSet(query);
  auto* grid = Place<TDBGrid>(Rect(10, 10, 410, 210));
  grid->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect});
  grid->SetReadOnly(true);
  TColumn* title = grid->GetColumns()->Add();
  title->SetFieldName(L"C2");
  title->GetTitle()->SetCaption(L"章节名称");
  grid->GetColumns()->Add()->SetFieldName(L"C3");
  grid->SetDataSource(Source);
  auto* edit = Place<TDBEdit>(Rect(10, 230, 210, 255));
  edit->SetDataSource(Source);
  edit->SetDataField(L"C2");
  query->Open();
  ShowHost();
  grid->SetFocus();
  grid_tests::Pump();

  const int shown = grid->GetRowCount() - 1;
  EXPECT_GT(shown, 3);
  for (int i = 0; i < 3; ++i) grid_tests::PressKey(grid->GetHandle(), VK_DOWN);
  EXPECT_EQ(query->GetRecNo(), 4);
  EXPECT_EQ(grid->GetRow(), 4);
  EXPECT_EQ(edit->GetText(), L"Chapter 4");
  {
    grid_tests::HeldKeys ctrl(false, true);
    grid_tests::PressKey(grid->GetHandle(), VK_END);
  }
  EXPECT_EQ(query->GetRecNo(), 30);
  EXPECT_EQ(grid->GetRow(), shown);
  EXPECT_EQ(edit->GetText(), L"Chapter 30");
  ::SendMessageW(grid->GetHandle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 12), 0);
  EXPECT_EQ(query->GetRecNo(), 12);

  ASSERT_TRUE(edit_tests::FocusOn(edit));
  edit_tests::PressKey(VK_END);
  edit_tests::Type(L" (revised)");
  EXPECT_EQ(query->GetState(), dsEdit);
  query->Post();
  EXPECT_EQ(Column0(db.Connection(), L"select C2 from tab_kmmc where bh = '012'"), L"Chapter 12 (revised)");
}

}  // namespace
