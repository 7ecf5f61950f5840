// TCustomGrid: counts and extents, the current cell and the selection, the layout of the
// columns and rows in the client area, scrolling and the scroll bars, and the stored
// column widths and row heights. Painting is in GridPaint.cpp, input in GridInput.cpp.
#include "Grids.h"

#include <algorithm>
#include "../classes/Filer.h"
#include "../system/SysMath.h"

namespace {

const wchar_t* const SIndexOutOfRange = L"Grid index out of range";
const wchar_t* const SFixedColTooBig = L"Fixed column count must be less than column count";
const wchar_t* const SFixedRowTooBig = L"Fixed row count must be less than row count";
const wchar_t* const SGridTooLarge = L"Grid too large for operation";

[[noreturn]] void InvalidOp(const wchar_t* message) { throw EInvalidGridOperation(message); }

// Sets a count that may not exceed MaxGridCount.
int CheckedCount(int value) {
  if (value > MaxGridCount) InvalidOp(SGridTooLarge);
  return value < 1 ? 1 : value;
}

}  // namespace

// ---- Grid rectangles ----------------------------------------------------------------------------

TGridRect GridRect(TGridCoord a, TGridCoord b) {
  return TGridRect{Min(a.X, b.X), Min(a.Y, b.Y), Max(a.X, b.X), Max(a.Y, b.Y)};
}

bool PointInGridRect(int col, int row, const TGridRect& rect) {
  return col >= rect.Left && col <= rect.Right && row >= rect.Top && row <= rect.Bottom;
}

// ---- Axis layout ----------------------------------------------------------------------------------

void CalcFixedAxis(TGridAxisDrawInfo& axis, int lineWidth, int fixedCount, int firstCell,
                   int cellCount, std::function<int(int)> getExtent) {
  axis.EffectiveLineWidth = lineWidth;
  axis.GetExtent = std::move(getExtent);
  axis.FixedBoundary = 0;
  for (int i = 0; i < fixedCount; ++i) axis.FixedBoundary += axis.GetExtent(i) + lineWidth;
  axis.FixedCellCount = fixedCount;
  axis.FirstGridCell = firstCell;
  axis.GridCellCount = cellCount;
}

void CalcAxisExtent(TGridAxisDrawInfo& axis, int extent) {
  axis.GridExtent = extent;
  axis.GridBoundary = axis.FixedBoundary;
  axis.FullVisBoundary = axis.FixedBoundary;
  axis.LastFullVisibleCell = axis.FirstGridCell;
  for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
    axis.GridBoundary += axis.GetExtent(i) + axis.EffectiveLineWidth;
    if (axis.GridBoundary > extent + axis.EffectiveLineWidth) {
      axis.GridBoundary = extent;
      break;
    }
    axis.LastFullVisibleCell = i;
    axis.FullVisBoundary = axis.GridBoundary;
  }
}

int AxisCellAt(const TGridAxisDrawInfo& axis, int pos) {
  if (pos < 0) return -1;
  int start = axis.FirstGridCell;
  int stop = axis.GridCellCount - 1;
  int line = axis.FixedBoundary;
  if (pos < axis.FixedBoundary) {
    start = 0;
    stop = axis.FixedCellCount - 1;
    line = 0;
  }
  for (int i = start; i <= stop; ++i) {
    line += axis.GetExtent(i) + axis.EffectiveLineWidth;
    if (pos < line) return i;
  }
  return -1;
}

int AxisLinePos(const TGridAxisDrawInfo& axis, int cell) {
  int result = 0;
  int start = 0;
  if (cell >= axis.FixedCellCount) {
    if (cell >= axis.FirstGridCell) result = axis.FixedBoundary;
    start = axis.FirstGridCell;
  }
  for (int i = start; i < cell; ++i) {
    result += axis.GetExtent(i) + axis.EffectiveLineWidth;
    if (result > axis.GridExtent) return 0;
  }
  return result;
}

int AxisMaxFirstCell(const TGridAxisDrawInfo& axis, int start) {
  int result = start;
  int line = axis.GridExtent + axis.EffectiveLineWidth;
  for (int i = start; i >= axis.FixedCellCount; --i) {
    const int extent = axis.GetExtent(i);
    if (extent > 0) {
      line -= extent + axis.EffectiveLineWidth;
      if (line < axis.FixedBoundary) {
        if (result == start && axis.GetExtent(start) <= 0) result = i;
        break;
      }
      result = i;
    }
  }
  return result;
}

int GridScrollPos(int firstCell, int minCell, int maxCell) {
  if (maxCell <= minCell) return 0;
  return Max(0, Min(GridScrollRange, ::MulDiv(firstCell - minCell, GridScrollRange,
                                              maxCell - minCell)));
}

int GridScrollCell(int position, int minCell, int maxCell) {
  if (maxCell <= minCell) return minCell;
  return minCell + ::MulDiv(position, maxCell - minCell, GridScrollRange);
}

// ---- TCustomGrid: construction ------------------------------------------------------------------

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks});
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(GetLeft(), GetTop(), FColCount * FDefaultColWidth, FRowCount * FDefaultRowHeight);
  Initialize();
}

TCustomGrid::~TCustomGrid() {
  Destroying();
  if (HandleAllocated()) ::KillTimer(GetHandle(), 1);
}

void TCustomGrid::Initialize() {
  FTopLeft = TGridCoord{FFixedCols, FFixedRows};
  FCurrent = FTopLeft;
  FAnchor = FCurrent;
  if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
}

void TCustomGrid::CheckIndex(int index, int count) {
  if (index < 0 || index >= count) InvalidOp(SIndexOutOfRange);
}

void TCustomGrid::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= WS_TABSTOP;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) params.Style |= WS_HSCROLL;
  params.WindowClass.style = CS_DBLCLKS;
  if (FBorderStyle == bsSingle) {
    if (GetCtl3D()) {
      params.Style &= ~WS_BORDER;
      params.ExStyle |= WS_EX_CLIENTEDGE;
    } else {
      params.Style |= WS_BORDER;
    }
  }
}

// ---- Counts ----------------------------------------------------------------------------------------

void TCustomGrid::SetColCount(int value) {
  value = CheckedCount(value);
  if (value == FColCount) return;
  if (value <= FFixedCols) SetFixedCols(value - 1);
  ChangeSize(value, FRowCount);
  if (FOptions.Contains(goRowSelect)) {
    FAnchor.X = FColCount - 1;
    Invalidate();
  }
}

void TCustomGrid::SetRowCount(int value) {
  value = CheckedCount(value);
  if (value == FRowCount) return;
  if (value <= FFixedRows) SetFixedRows(value - 1);
  ChangeSize(FColCount, value);
}

void TCustomGrid::SetFixedCols(int value) {
  if (value == FFixedCols) return;
  if (value < 0) InvalidOp(SIndexOutOfRange);
  if (value >= FColCount) InvalidOp(SFixedColTooBig);
  FFixedCols = value;
  Initialize();
  InvalidateGrid();
  UpdateScrollRange();
}

void TCustomGrid::SetFixedRows(int value) {
  if (value == FFixedRows) return;
  if (value < 0) InvalidOp(SIndexOutOfRange);
  if (value >= FRowCount) InvalidOp(SFixedRowTooBig);
  FFixedRows = value;
  Initialize();
  InvalidateGrid();
  UpdateScrollRange();
}

void TCustomGrid::ChangeSize(int newColCount, int newRowCount) {
  const int oldColCount = FColCount;
  const int oldRowCount = FRowCount;
  FColCount = newColCount;
  FRowCount = newRowCount;
  if (FFixedCols >= FColCount) FFixedCols = FColCount - 1;
  if (FFixedRows >= FRowCount) FFixedRows = FRowCount - 1;
  if (!FColWidths.empty()) FColWidths.resize(static_cast<size_t>(FColCount), FDefaultColWidth);
  if (!FRowHeights.empty()) FRowHeights.resize(static_cast<size_t>(FRowCount), FDefaultRowHeight);
  // A current cell or anchor left outside moves to the last column or row. It moves
  // whatever SelectCell says: a current cell outside the grid is never kept.
  const TGridRect oldSelection = GetSelection();
  FCurrent.X = Min(FCurrent.X, FColCount - 1);
  FCurrent.Y = Min(FCurrent.Y, FRowCount - 1);
  FAnchor.X = Min(FAnchor.X, FColCount - 1);
  FAnchor.Y = Min(FAnchor.Y, FRowCount - 1);
  if (!(GetSelection() == oldSelection)) SelectionMoved(oldSelection);
  ClampTopLeft();
  InvalidateGrid();
  UpdateScrollRange();
  SizeChanged(oldColCount, oldRowCount);
}

void TCustomGrid::ClampTopLeft() {
  FTopLeft.X = Max(FFixedCols, Min(FTopLeft.X, FColCount - 1));
  FTopLeft.Y = Max(FFixedRows, Min(FTopLeft.Y, FRowCount - 1));
}

// ---- Extents ------------------------------------------------------------------------------------------

void TCustomGrid::SetDefaultColWidth(int value) {
  FColWidths.clear();
  FDefaultColWidth = Max(0, value);
  ColWidthsChanged();
  InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
  FRowHeights.clear();
  FDefaultRowHeight = Max(0, value);
  RowHeightsChanged();
  InvalidateGrid();
}

int TCustomGrid::GetColWidths(int index) const {
  if (index < 0) InvalidOp(SIndexOutOfRange);
  if (FColWidths.empty() || index >= FColCount) return FDefaultColWidth;
  return FColWidths[static_cast<size_t>(index)];
}

void TCustomGrid::SetColWidths(int index, int value) {
  CheckIndex(index, FColCount);
  value = Max(0, value);
  if (FColWidths.empty()) FColWidths.assign(static_cast<size_t>(FColCount), FDefaultColWidth);
  if (FColWidths[static_cast<size_t>(index)] == value) return;
  FColWidths[static_cast<size_t>(index)] = value;
  InvalidateGrid();
  ColWidthsChanged();
}

int TCustomGrid::GetRowHeights(int index) const {
  if (index < 0) InvalidOp(SIndexOutOfRange);
  if (FRowHeights.empty() || index >= FRowCount) return FDefaultRowHeight;
  return FRowHeights[static_cast<size_t>(index)];
}

void TCustomGrid::SetRowHeights(int index, int value) {
  CheckIndex(index, FRowCount);
  value = Max(0, value);
  if (FRowHeights.empty()) FRowHeights.assign(static_cast<size_t>(FRowCount), FDefaultRowHeight);
  if (FRowHeights[static_cast<size_t>(index)] == value) return;
  FRowHeights[static_cast<size_t>(index)] = value;
  InvalidateGrid();
  RowHeightsChanged();
}

void TCustomGrid::ColWidthsChanged() { UpdateScrollRange(); }

void TCustomGrid::RowHeightsChanged() { UpdateScrollRange(); }

void TCustomGrid::SetGridLineWidth(int value) {
  value = Max(0, value);
  if (value == FGridLineWidth) return;
  FGridLineWidth = value;
  InvalidateGrid();
  UpdateScrollRange();
}

// ---- Appearance -------------------------------------------------------------------------------------------

void TCustomGrid::SetOptions(TGridOptions value) {
  if (value == FOptions) return;
  if (value.Contains(goRowSelect)) value.Exclude(goAlwaysShowEditor);
  FOptions = value;
  if (FOptions.Contains(goRowSelect)) {
    // The whole row of the current cell becomes the selection.
    const TGridRect oldSelection = GetSelection();
    FAnchor = TGridCoord{FColCount - 1, FCurrent.Y};
    FCurrent.X = FFixedCols;
    SelectionMoved(oldSelection);
  }
  InvalidateGrid();
}

void TCustomGrid::SetFixedColor(TColor value) {
  if (value == FFixedColor) return;
  FFixedColor = value;
  InvalidateGrid();
}

void TCustomGrid::SetBorderStyle(TBorderStyle value) {
  if (value != bsNone && value != bsSingle) return;
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
}

void TCustomGrid::SetScrollBars(TScrollStyle value) {
  if (value == FScrollBars) return;
  FScrollBars = value;
  RecreateWnd();
}

void TCustomGrid::SetDefaultDrawing(bool value) {
  if (value == FDefaultDrawing) return;
  FDefaultDrawing = value;
  InvalidateGrid();
}

// ---- Current cell and selection -----------------------------------------------------------------------

void TCustomGrid::SetCol(int value) {
  if (value != FCurrent.X) FocusCell(value, FCurrent.Y, true);
}

void TCustomGrid::SetRow(int value) {
  if (value != FCurrent.Y) FocusCell(FCurrent.X, value, true);
}

void TCustomGrid::MoveColRow(int col, int row, bool moveAnchor, bool show) {
  MoveCurrent(col, row, moveAnchor, show);
}

void TCustomGrid::FocusCell(int col, int row, bool moveAnchor) {
  MoveCurrent(col, row, moveAnchor, true);
  Click();
}

void TCustomGrid::MoveCurrent(int col, int row, bool moveAnchor, bool show) {
  if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount) InvalidOp(SIndexOutOfRange);
  const std::weak_ptr<int> alive = GetLifeToken();
  if (!SelectCell(col, row) || alive.expired()) return;
  const TGridRect oldSelection = GetSelection();
  const TGridCoord oldCurrent = FCurrent;
  FCurrent = TGridCoord{col, row};
  if (moveAnchor || !FOptions.Contains(goRangeSelect)) {
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
  }
  if (FOptions.Contains(goRowSelect)) FCurrent.X = FFixedCols;
  if (show) ClampInView(FCurrent);
  SelectionMoved(oldSelection);
  InvalidateCell(oldCurrent.X, oldCurrent.Y);
  InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::MoveAnchor(const TGridCoord& newAnchor) {
  if (FOptions.Contains(goRangeSelect) && !FOptions.Contains(goEditing)) {
    const TGridRect oldSelection = GetSelection();
    FAnchor = newAnchor;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    ClampInView(newAnchor);
    SelectionMoved(oldSelection);
  } else {
    MoveCurrent(newAnchor.X, newAnchor.Y, true, true);
  }
}

TGridRect TCustomGrid::GetSelection() const { return GridRect(FCurrent, FAnchor); }

void TCustomGrid::SetSelection(const TGridRect& value) {
  CheckIndex(value.Left, FColCount);
  CheckIndex(value.Right, FColCount);
  CheckIndex(value.Top, FRowCount);
  CheckIndex(value.Bottom, FRowCount);
  const TGridRect oldSelection = GetSelection();
  FAnchor = value.TopLeft();
  FCurrent = value.BottomRight();
  SelectionMoved(oldSelection);
}

void TCustomGrid::SelectionMoved(const TGridRect& old) {
  if (!HandleAllocated()) return;
  InvalidateGridRect(old);
  InvalidateGridRect(GetSelection());
}

// ---- Layout --------------------------------------------------------------------------------------------

void TCustomGrid::CalcDrawInfoXY(TGridDrawInfo& drawInfo, int useWidth, int useHeight) {
  const int vertLines =
      (FOptions.Contains(goFixedVertLine) || FOptions.Contains(goVertLine)) ? FGridLineWidth : 0;
  const int horzLines =
      (FOptions.Contains(goFixedHorzLine) || FOptions.Contains(goHorzLine)) ? FGridLineWidth : 0;
  CalcFixedAxis(drawInfo.Horz, vertLines, FFixedCols, FTopLeft.X, FColCount,
                [this](int i) { return GetColWidths(i); });
  CalcFixedAxis(drawInfo.Vert, horzLines, FFixedRows, FTopLeft.Y, FRowCount,
                [this](int i) { return GetRowHeights(i); });
  CalcAxisExtent(drawInfo.Horz, useWidth);
  CalcAxisExtent(drawInfo.Vert, useHeight);
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& drawInfo) {
  const TRect client = GetClientRect();
  CalcDrawInfoXY(drawInfo, client.Width(), client.Height());
}

TGridCoord TCustomGrid::CalcMaxTopLeft(const TGridCoord& coord, const TGridDrawInfo& drawInfo) {
  return TGridCoord{AxisMaxFirstCell(drawInfo.Horz, coord.X),
                    AxisMaxFirstCell(drawInfo.Vert, coord.Y)};
}

TRect TCustomGrid::GridRectToScreenRect(const TGridRect& gridRect, bool includeLine) {
  if (gridRect.Left > gridRect.Right || gridRect.Top > gridRect.Bottom) return TRect();
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  if (gridRect.Left > drawInfo.Horz.LastFullVisibleCell + 1) return TRect();
  if (gridRect.Top > drawInfo.Vert.LastFullVisibleCell + 1) return TRect();
  // One axis: false when the block lies wholly in the part scrolled out of view.
  const auto calcAxis = [includeLine](const TGridAxisDrawInfo& axis, int first, int last,
                                      int& screenMin, int& screenMax) {
    if (first >= axis.FixedCellCount && first < axis.FirstGridCell) {
      if (last < axis.FirstGridCell) return false;
      first = axis.FirstGridCell;
    }
    if (last > axis.LastFullVisibleCell) {
      last = axis.LastFullVisibleCell;
      if (last < axis.GridCellCount - 1) ++last;
      if (AxisLinePos(axis, last) == 0) --last;
    }
    screenMin = AxisLinePos(axis, first);
    screenMax = AxisLinePos(axis, last);
    if (screenMax == 0)
      screenMax = screenMin + axis.GetExtent(first);
    else
      screenMax += axis.GetExtent(last);
    if (screenMax > axis.GridExtent) screenMax = axis.GridExtent;
    if (includeLine) screenMax += axis.EffectiveLineWidth;
    return true;
  };
  TRect result;
  if (!calcAxis(drawInfo.Horz, gridRect.Left, gridRect.Right, result.Left, result.Right))
    return TRect();
  if (!calcAxis(drawInfo.Vert, gridRect.Top, gridRect.Bottom, result.Top, result.Bottom))
    return TRect();
  return result;
}

TRect TCustomGrid::CellRect(int col, int row) {
  return GridRectToScreenRect(TGridRect{col, row, col, row}, false);
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) {
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  TGridCoord result{AxisCellAt(drawInfo.Horz, x), AxisCellAt(drawInfo.Vert, y)};
  if (result.X < 0 || result.Y < 0) result = TGridCoord{-1, -1};
  return result;
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) {
  const TGridCoord coord = MouseCoord(x, y);
  col = coord.X;
  row = coord.Y;
}

int TCustomGrid::GetVisibleColCount() {
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  return drawInfo.Horz.LastFullVisibleCell - FTopLeft.X + 1;
}

int TCustomGrid::GetVisibleRowCount() {
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  return drawInfo.Vert.LastFullVisibleCell - FTopLeft.Y + 1;
}

void TCustomGrid::InvalidateGridRect(const TGridRect& rect) {
  if (!HandleAllocated()) return;
  const RECT r = GridRectToScreenRect(rect, true);
  ::InvalidateRect(GetHandle(), &r, FALSE);
}

void TCustomGrid::InvalidateCell(int col, int row) {
  InvalidateGridRect(TGridRect{col, row, col, row});
}

// ---- Scrolling --------------------------------------------------------------------------------------------

void TCustomGrid::SetLeftCol(int value) {
  value = Max(FFixedCols, Min(value, MaxTopLeft().X));
  if (value != FTopLeft.X) MoveTopLeft(value, FTopLeft.Y);
}

void TCustomGrid::SetTopRow(int value) {
  value = Max(FFixedRows, Min(value, MaxTopLeft().Y));
  if (value != FTopLeft.Y) MoveTopLeft(FTopLeft.X, value);
}

TGridCoord TCustomGrid::MaxTopLeft() {
  const TGridCoord lastCell{FColCount - 1, FRowCount - 1};
  if (!HandleAllocated()) return lastCell;
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  return CalcMaxTopLeft(lastCell, drawInfo);
}

void TCustomGrid::MoveTopLeft(int left, int top) {
  if (left == FTopLeft.X && top == FTopLeft.Y) return;
  const TGridCoord oldTopLeft = FTopLeft;
  FTopLeft = TGridCoord{left, top};
  TopLeftMoved(oldTopLeft);
}

void TCustomGrid::TopLeftMoved(const TGridCoord&) {
  InvalidateGrid();
  UpdateScrollPos();
  TopLeftChanged();
}

void TCustomGrid::ClampInView(const TGridCoord& coord) {
  if (!HandleAllocated()) return;
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  const bool outside = coord.X > drawInfo.Horz.LastFullVisibleCell ||
                       coord.Y > drawInfo.Vert.LastFullVisibleCell || coord.X < FTopLeft.X ||
                       coord.Y < FTopLeft.Y;
  if (!outside) return;
  const TGridCoord oldTopLeft = FTopLeft;
  const TGridCoord maxTopLeft = CalcMaxTopLeft(coord, drawInfo);
  // Fixed cells are never scrolled to: they are always shown.
  if (coord.X < FTopLeft.X && coord.X >= FFixedCols)
    FTopLeft.X = coord.X;
  else if (coord.X > drawInfo.Horz.LastFullVisibleCell)
    FTopLeft.X = maxTopLeft.X;
  if (coord.Y < FTopLeft.Y && coord.Y >= FFixedRows)
    FTopLeft.Y = coord.Y;
  else if (coord.Y > drawInfo.Vert.LastFullVisibleCell)
    FTopLeft.Y = maxTopLeft.Y;
  if (!(FTopLeft == oldTopLeft)) TopLeftMoved(oldTopLeft);
}

void TCustomGrid::UpdateScrollRange() {
  if (FScrollBars == ssNone || !HandleAllocated() || !GetShowing() || FScrollUpdating) return;
  FScrollUpdating = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FScrollUpdating};
  const HWND wnd = GetHandle();
  const auto barShown = [wnd](int bar) {
    int low = 0;
    int high = 0;
    ::GetScrollRange(wnd, bar, &low, &high);
    return low != high;
  };
  const bool horz = FScrollBars == ssBoth || FScrollBars == ssHorizontal;
  const bool vert = FScrollBars == ssBoth || FScrollBars == ssVertical;
  // The extents as they would be without the bars; each bar is shown when needed, and
  // the room it takes counts for the other.
  const TRect client = GetClientRect();
  int width = client.Width() + (vert && barShown(SB_VERT) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
  int height = client.Height() + (horz && barShown(SB_HORZ) ? ::GetSystemMetrics(SM_CYHSCROLL) : 0);
  const TGridCoord lastCell{FColCount - 1, FRowCount - 1};
  const auto setBar = [&](int bar) {
    TGridDrawInfo drawInfo;
    CalcDrawInfoXY(drawInfo, width, height);
    const TGridCoord maxTopLeft = CalcMaxTopLeft(lastCell, drawInfo);
    const bool needed = bar == SB_HORZ ? FFixedCols < maxTopLeft.X : FFixedRows < maxTopLeft.Y;
    ::SetScrollRange(wnd, bar, 0, needed ? GridScrollRange : 0, TRUE);
    return needed;
  };
  if (horz && setBar(SB_HORZ)) height -= ::GetSystemMetrics(SM_CYHSCROLL);
  if (vert && setBar(SB_VERT)) {
    width -= ::GetSystemMetrics(SM_CXVSCROLL);
    if (horz && !barShown(SB_HORZ) && setBar(SB_HORZ)) height -= ::GetSystemMetrics(SM_CYHSCROLL);
  }
  // The top-left cell may now lie beyond what needs scrolling to.
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  const TGridCoord maxTopLeft = CalcMaxTopLeft(lastCell, drawInfo);
  const TGridCoord oldTopLeft = FTopLeft;
  FTopLeft.X = Max(FFixedCols, Min(FTopLeft.X, maxTopLeft.X));
  FTopLeft.Y = Max(FFixedRows, Min(FTopLeft.Y, maxTopLeft.Y));
  UpdateScrollPos();
  if (!(FTopLeft == oldTopLeft)) TopLeftMoved(oldTopLeft);
}

void TCustomGrid::UpdateScrollPos() {
  if (!HandleAllocated() || FScrollBars == ssNone) return;
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  const TGridCoord maxTopLeft = CalcMaxTopLeft(TGridCoord{FColCount - 1, FRowCount - 1}, drawInfo);
  const HWND wnd = GetHandle();
  if (FScrollBars == ssBoth || FScrollBars == ssHorizontal)
    ::SetScrollPos(wnd, SB_HORZ, GridScrollPos(FTopLeft.X, FFixedCols, maxTopLeft.X), TRUE);
  if (FScrollBars == ssBoth || FScrollBars == ssVertical)
    ::SetScrollPos(wnd, SB_VERT, GridScrollPos(FTopLeft.Y, FFixedRows, maxTopLeft.Y), TRUE);
}

void TCustomGrid::ModifyScrollBar(int bar, int scrollCode, int pos) {
  if (GetVisible() && CanFocus() && GetTabStop() && !GetComponentState().Contains(csDesigning))
    SetFocus();
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  const TGridCoord maxTopLeft = CalcMaxTopLeft(TGridCoord{FColCount - 1, FRowCount - 1}, drawInfo);
  const bool horz = bar == SB_HORZ;
  const int minCell = horz ? FFixedCols : FFixedRows;
  const int maxCell = Max(minCell, horz ? maxTopLeft.X : maxTopLeft.Y);
  const int first = horz ? FTopLeft.X : FTopLeft.Y;
  const TGridAxisDrawInfo& axis = horz ? drawInfo.Horz : drawInfo.Vert;
  int target = first;
  int step = 0;  // the direction to go on while the target cell is hidden (extent 0)
  switch (scrollCode) {
    case SB_LINEUP: target = first - 1; step = -1; break;
    case SB_LINEDOWN: target = first + 1; step = 1; break;
    case SB_PAGEUP: {
      // Back by as many cells as the page before the top one holds.
      const int maxFirst = AxisMaxFirstCell(axis, first);
      target = first - Max(1, first - maxFirst);
      step = -1;
      break;
    }
    case SB_PAGEDOWN:
      target = first + Max(1, axis.LastFullVisibleCell - first);
      step = 1;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      if (FOptions.Contains(goThumbTracking) || scrollCode == SB_THUMBPOSITION)
        target = GridScrollCell(pos, minCell, maxCell);
      break;
    case SB_TOP: target = minCell; break;
    case SB_BOTTOM: target = maxCell; break;
    default: return;
  }
  // Hidden cells (of no extent) are passed over in the direction of the move.
  for (int guard = 0; step != 0 && guard < MaxGridCount && target > minCell &&
                      target < maxCell && axis.GetExtent(target) <= 0;
       ++guard)
    target += step;
  target = Max(minCell, Min(maxCell, target));
  if (target == first) return;
  if (horz)
    MoveTopLeft(target, FTopLeft.Y);
  else
    MoveTopLeft(FTopLeft.X, target);
}

// ---- Focus ---------------------------------------------------------------------------------------------------

bool TCustomGrid::IsActiveControl() {
  TWinControl* root = this;
  for (int depth = 0; root->GetParent() && depth < 1000; ++depth) root = root->GetParent();
  if (root != this && root->GetFocusedControl() == this) return true;
  if (!HandleAllocated()) return false;
  const HWND focus = ::GetFocus();
  return focus && (focus == GetHandle() || ::IsChild(GetHandle(), focus));
}

// ---- Stored extents ----------------------------------------------------------------------------------------

void TCustomGrid::DefineProperties(TFiler& filer) {
  inherited::DefineProperties(filer);
  const auto* ancestor = dynamic_cast<TCustomGrid*>(filer.GetAncestor());
  const bool colWidths = ancestor ? ancestor->FColWidths != FColWidths : !FColWidths.empty();
  const bool rowHeights = ancestor ? ancestor->FRowHeights != FRowHeights : !FRowHeights.empty();
  // Values beyond the count are read past; a short list leaves the rest at the default.
  filer.DefineProperty(
      L"ColWidths",
      [this](TReader* reader) {
        reader->ReadListBegin();
        for (int i = 0; !reader->EndOfList(); ++i) {
          const int value = reader->ReadInteger();
          if (i < FColCount) SetColWidths(i, value);
        }
        reader->ReadListEnd();
      },
      [this](TWriter* writer) {
        writer->WriteListBegin();
        for (int i = 0; i < FColCount; ++i) writer->WriteInteger(GetColWidths(i));
        writer->WriteListEnd();
      },
      colWidths);
  filer.DefineProperty(
      L"RowHeights",
      [this](TReader* reader) {
        reader->ReadListBegin();
        for (int i = 0; !reader->EndOfList(); ++i) {
          const int value = reader->ReadInteger();
          if (i < FRowCount) SetRowHeights(i, value);
        }
        reader->ReadListEnd();
      },
      [this](TWriter* writer) {
        writer->WriteListBegin();
        for (int i = 0; i < FRowCount; ++i) writer->WriteInteger(GetRowHeights(i));
        writer->WriteListEnd();
      },
      rowHeights);
}
