// Grids: TCustomGrid (a window of cells in columns and rows, drawn entirely by us, with
// fixed rows and columns at the top and left that do not scroll), TDrawGrid (a grid whose
// cells the application draws in OnDrawCell) and TStringGrid (a grid that keeps a text and
// an object per cell and writes the text into the cell).
//
// Coordinates. Cells are addressed (column, row) from 0. The first FixedCols columns and
// FixedRows rows are fixed: they stay at the left and top while the rest scrolls, so that
// LeftCol and TopRow (the first scrolled column and row shown after the fixed ones) are
// never below FixedCols and FixedRows. Col and Row are the current cell, which has the focus
// rectangle; the selection runs from the current cell to the anchor (the other corner of a
// range picked with Shift or by dragging). Lines of GridLineWidth pixels follow each cell.
//
// Scroll bars. As the class library does, each bar has the range 0..127 and its position
// is the place of TopRow (LeftCol) between the fixed count and the largest top row that
// still fills the window, scaled to that range.
//
// Not done: the in-place editor (goEditing, goAlwaysShowEditor, EditorMode, Tab between
// cells with goTabs), moving rows and columns (goRowMoving, goColMoving), sizing rows with
// the mouse (goRowSizing), pixel-wise horizontal scrolling of a grid of one column, and
// right-to-left drawing. Those options are accepted (stored layouts may name them) and kept.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <vector>
#include "../classes/Sets.h"
#include "../controls/Controls.h"
#include "Edits.h"  // TScrollStyle

CLASSLIB_EXCEPTION(EInvalidGridOperation, Exception)

// ---- Types ------------------------------------------------------------------------------------

enum TGridOption {
  goFixedVertLine,      // lines between the fixed columns
  goFixedHorzLine,      // lines between the fixed rows
  goVertLine,           // lines between the scrolled columns
  goHorzLine,           // lines between the scrolled rows
  goRangeSelect,        // Shift+arrows and dragging select a range of cells
  goDrawFocusSelected,  // the current cell is drawn in the selection colour too
  goRowSizing,          // (kept, not acted upon)
  goColSizing,          // the column edges in the fixed rows can be dragged
  goRowMoving,          // (kept, not acted upon)
  goColMoving,          // (kept, not acted upon)
  goEditing,            // (kept, not acted upon)
  goTabs,               // (kept, not acted upon)
  goRowSelect,          // whole rows are selected; the current cell is the row's first
  goAlwaysShowEditor,   // (kept, not acted upon)
  goThumbTracking       // the grid scrolls while the thumb is dragged, not on release
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

// What a press of the left button started.
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

struct TGridCoord {
  int X = 0;  // column
  int Y = 0;  // row
  friend constexpr bool operator==(const TGridCoord& a, const TGridCoord& b) {
    return a.X == b.X && a.Y == b.Y;
  }
};

// A block of cells; Right and Bottom are inside it (unlike TRect's).
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  constexpr TGridCoord TopLeft() const { return TGridCoord{Left, Top}; }
  constexpr TGridCoord BottomRight() const { return TGridCoord{Right, Bottom}; }
  friend constexpr bool operator==(const TGridRect& a, const TGridRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
  }
};

// The block with corners a and b, whichever way round they are given.
TGridRect GridRect(TGridCoord a, TGridCoord b);
bool PointInGridRect(int col, int row, const TGridRect& rect);

using TDrawCellEvent = std::function<void(TObject* sender, int col, int row, TRect rect,
                                          TGridDrawState state)>;
using TSelectCellEvent =
    std::function<void(TObject* sender, int col, int row, bool& canSelect)>;

// The largest column or row count; more raises "Grid too large for operation".
inline constexpr int MaxGridCount = 134217727;
// The range of the grid's scroll bars.
inline constexpr int GridScrollRange = 127;

// ---- Layout of one axis (pure: no window needed) -------------------------------------------------

// One axis of the grid as it lies in the client area: the columns across, or the rows down.
struct TGridAxisDrawInfo {
  int EffectiveLineWidth = 0;   // GridLineWidth where this axis draws lines, else 0
  int FixedBoundary = 0;        // pixels the fixed cells take, their lines included
  int GridBoundary = 0;         // where the last cell shown (even in part) ends
  int GridExtent = 0;           // the client width or height
  int LastFullVisibleCell = 0;  // the last cell shown whole
  int FullVisBoundary = 0;      // where that cell's line ends
  int FixedCellCount = 0;       // FixedCols or FixedRows
  int FirstGridCell = 0;        // LeftCol or TopRow
  int GridCellCount = 0;        // ColCount or RowCount
  std::function<int(int)> GetExtent;  // the width or height of a cell
};

struct TGridDrawInfo {
  TGridAxisDrawInfo Horz;  // columns
  TGridAxisDrawInfo Vert;  // rows
};

// Fills in the fixed part of an axis: the line width, the fixed boundary and the counts.
void CalcFixedAxis(TGridAxisDrawInfo& axis, int lineWidth, int fixedCount, int firstCell,
                   int cellCount, std::function<int(int)> getExtent);
// Fills in the rest for a client extent: how far the cells from FirstGridCell reach.
void CalcAxisExtent(TGridAxisDrawInfo& axis, int extent);
// The cell at pixel pos along the axis; -1 when none is there.
int AxisCellAt(const TGridAxisDrawInfo& axis, int pos);
// Where cell starts along the axis; 0 when it is scrolled out of view or lies beyond the
// extent (as the class library answers).
int AxisLinePos(const TGridAxisDrawInfo& axis, int cell);
// The smallest first cell that still shows cell `start` whole at the far edge (the largest
// useful TopRow or LeftCol when start is the last cell).
int AxisMaxFirstCell(const TGridAxisDrawInfo& axis, int start);
// The scroll bar position of a first cell between minCell and maxCell, 0..GridScrollRange.
int GridScrollPos(int firstCell, int minCell, int maxCell);
// The first cell of a scroll bar position (the reverse of GridScrollPos).
int GridScrollCell(int position, int minCell, int maxCell);

// ---- TCustomGrid -------------------------------------------------------------------------------

// Publishes nothing itself: each kind of grid publishes the members its layouts keep (a
// data-aware grid keeps other options and no counts).
class TCustomGrid : public TCustomControl {
  CLASSLIB_CLASS(TCustomGrid, TCustomControl)
  // 5 x 5 cells of 64 x 24 pixels, one fixed row and column, lines everywhere, range
  // selection, both scroll bars, a single border, clWindow, a tab stop.
  explicit TCustomGrid(TComponent* owner);
  ~TCustomGrid() override;

  // ---- Size ----------------------------------------------------------------------------
  // Column and row counts. Values below 1 count as 1; above MaxGridCount raise
  // EInvalidGridOperation "Grid too large for operation". A count at or below the fixed
  // count lowers the fixed count; the current cell and the anchor move inside.
  int GetColCount() const { return FColCount; }
  virtual void SetColCount(int value);
  int GetRowCount() const { return FRowCount; }
  virtual void SetRowCount(int value);
  // EInvalidGridOperation "Grid index out of range" below 0, "Fixed column count must be
  // less than column count" (rows alike) at or above the count.
  int GetFixedCols() const { return FFixedCols; }
  virtual void SetFixedCols(int value);
  int GetFixedRows() const { return FFixedRows; }
  virtual void SetFixedRows(int value);
  // The extent of the cells without a width or height of their own. Setting it forgets
  // every column width (row height) set before, as the class library does. Below 0: 0.
  int GetDefaultColWidth() const { return FDefaultColWidth; }
  virtual void SetDefaultColWidth(int value);
  int GetDefaultRowHeight() const { return FDefaultRowHeight; }
  virtual void SetDefaultRowHeight(int value);
  // The width of one column (height of one row). Reading beyond the count gives the
  // default; a negative index, or writing beyond the count, raises EInvalidGridOperation
  // "Grid index out of range". Widths below 0 count as 0.
  int GetColWidths(int index) const;
  void SetColWidths(int index, int value);
  int GetRowHeights(int index) const;
  void SetRowHeights(int index, int value);
  // Pixels of each grid line; below 0 counts as 0.
  int GetGridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int value);

  // ---- Appearance --------------------------------------------------------------------------
  TGridOptions GetOptions() const { return FOptions; }
  virtual void SetOptions(TGridOptions value);
  TColor GetFixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor value);
  // bsNone or bsSingle (a sunken edge with Ctl3D); changing it makes the window again.
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  TScrollStyle GetScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  // The grid fills each cell and writes what it has before OnDrawCell; off, OnDrawCell
  // paints the cell alone.
  bool GetDefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool value);

  // ---- Current cell, selection, scrolling -------------------------------------------------------
  // The current cell. Setting it asks SelectCell, moves the anchor along, scrolls the cell
  // into view and calls Click; EInvalidGridOperation "Grid index out of range" outside the
  // grid (fixed cells may be made current from code).
  int GetCol() const { return FCurrent.X; }
  void SetCol(int value);
  int GetRow() const { return FCurrent.Y; }
  void SetRow(int value);
  // Moves the current cell without Click; with show false the grid does not scroll to it
  // (a calendar places its day this way). moveAnchor collapses the selection onto it.
  void MoveColRow(int col, int row, bool moveAnchor, bool show);
  // The first scrolled column and row shown. Values are kept between the fixed count and
  // the largest that still fills the window (the last column or row without a window).
  int GetLeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int value);
  int GetTopRow() const { return FTopLeft.Y; }
  void SetTopRow(int value);
  // The selected block (the current cell and the anchor as corners). Setting it makes its
  // top-left the anchor and its bottom-right current; EInvalidGridOperation "Grid index out
  // of range" when a corner lies outside the grid.
  TGridRect GetSelection() const;
  void SetSelection(const TGridRect& value);
  // The scrolled columns and rows shown whole.
  int GetVisibleColCount();
  int GetVisibleRowCount();

  // ---- Geometry ----------------------------------------------------------------------------
  // The rectangle of a cell in client coordinates, without its lines; empty (all zeros)
  // when the cell is scrolled out of view or lies beyond the window.
  TRect CellRect(int col, int row);
  // The cell under a client point; -1 for both when there is none.
  TGridCoord MouseCoord(int x, int y);
  void MouseToCell(int x, int y, int& col, int& row);
  // The column and row layout of the client area now.
  void CalcDrawInfo(TGridDrawInfo& drawInfo);

  // ---- Painting ------------------------------------------------------------------------------
  // Invalidates one cell, or the whole grid.
  void InvalidateCell(int col, int row);
  void InvalidateGrid() { Invalidate(); }

  void Dispatch(TMessage& message) override;
  // Stores the custom widths and heights as the lists ColWidths and RowHeights.
  void DefineProperties(TFiler& filer) override;

 protected:
  // ---- What derived grids change ------------------------------------------------------------
  // Draws one cell into rect on Canvas. The grid has filled it (with DefaultDrawing) in the
  // colour of its state, set the canvas font and will frame fixed cells and draw the focus
  // rectangle after. Derived grids (a data-aware grid, a calendar) draw their content here.
  virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) = 0;
  // Whether the cell may become current; true by default. A derived grid refuses cells it
  // cannot show (an empty calendar day, say).
  virtual bool SelectCell(int col, int row) { return true; }
  // Told after LeftCol or TopRow changed.
  virtual void TopLeftChanged() {}
  // Told after the counts changed (the old counts are given).
  virtual void SizeChanged(int oldColCount, int oldRowCount) {}
  // Told after a column width or row height changed.
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  // Told after the selection moved (old is the block selected before).
  virtual void SelectionMoved(const TGridRect& old);
  // Sets the new counts and puts current cell, anchor and scrolling right after them.
  virtual void ChangeSize(int newColCount, int newRowCount);
  // Moves the current cell: asks SelectCell, collapses the selection when moveAnchor (or
  // without goRangeSelect), scrolls it into view when show. Raises EInvalidGridOperation
  // "Grid index out of range" outside the grid.
  virtual void MoveCurrent(int col, int row, bool moveAnchor, bool show);
  // MoveCurrent with show, then Click.
  void FocusCell(int col, int row, bool moveAnchor);
  // Moves the anchor (the range's other corner) with goRangeSelect, else the current cell.
  void MoveAnchor(const TGridCoord& newAnchor);
  // Scrolls so that coord is shown whole.
  virtual void ClampInView(const TGridCoord& coord);
  // Scrolls so that (left, top) are the first scrolled column and row.
  virtual void MoveTopLeft(int left, int top);
  // Repaints after a scroll and tells TopLeftChanged.
  virtual void TopLeftMoved(const TGridCoord& oldTopLeft);
  // The largest LeftCol and TopRow that still show coord whole.
  TGridCoord CalcMaxTopLeft(const TGridCoord& coord, const TGridDrawInfo& drawInfo);
  // Shows or hides the bars and sets their ranges and positions from the counts.
  virtual void UpdateScrollRange();
  void UpdateScrollPos();
  // Handles one scroll bar message (bar SB_HORZ or SB_VERT).
  virtual void ModifyScrollBar(int bar, int scrollCode, int pos);
  // True while this grid is the focused control of its window.
  bool IsActiveControl();
  // False when the focused grid has nothing to act on and so draws no focus rectangle.
  virtual bool FramesFocus() { return true; }
  TGridState GetGridState() const { return FGridState; }
  // Invalidates a block of cells (lines included).
  void InvalidateGridRect(const TGridRect& rect);
  // The client rectangle of a block of cells; lines are included when includeLine.
  TRect GridRectToScreenRect(const TGridRect& gridRect, bool includeLine);
  // The layout for a given client size.
  void CalcDrawInfoXY(TGridDrawInfo& drawInfo, int useWidth, int useHeight);
  // The sizing state a press at (x, y) would start; index is the column being sized.
  void CalcSizingState(int x, int y, TGridState& state, int& index, int& sizingPos,
                       int& sizingOfs, TGridDrawInfo& drawInfo);

  // ---- Window and input ---------------------------------------------------------------------------
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void WMSize(TMessage& message) override;
  void WMSetCursor(TMessage& message) override;
  void WMSetFocus(TMessage& message) override;
  void WMKillFocus(TMessage& message) override;
  void WMHScroll(TMessage& message) override;
  void WMVScroll(TMessage& message) override;
  void WMEraseBkgnd(TMessage& message) override;
  void WMCancelMode(TMessage& message) override;
  void CMShowingChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void CMColorChanged(TMessage& message) override;
  virtual void WMGetDlgCode(TMessage& message);
  virtual void WMTimer(TMessage& message);

 private:
  // Puts current cell, anchor and top-left at the fixed counts.
  void Initialize();
  // A negative index or one at or above count raises "Grid index out of range".
  static void CheckIndex(int index, int count);
  // Scrolls the anchor one cell toward the mouse while selecting outside the cells.
  void TimedScroll(bool left, bool right, bool up, bool down);
  // XORs the line that shows where a sized column edge would go.
  void DrawSizingLine(const TGridDrawInfo& drawInfo);
  // The start of cell along the axis for the sizing drag (fixed cells included).
  static int CellStart(const TGridAxisDrawInfo& axis, int cell);
  // Keeps FTopLeft between the fixed counts and the last column and row.
  void ClampTopLeft();
  // The largest useful LeftCol and TopRow: those that still fill the window (the last
  // column and row while there is no window).
  TGridCoord MaxTopLeft();

  int FColCount = 5;
  int FRowCount = 5;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  std::vector<int> FColWidths;    // one per column once any was set; empty: all default
  std::vector<int> FRowHeights;   // one per row once any was set; empty: all default
  int FGridLineWidth = 1;
  TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                        goRangeSelect};
  TColor FFixedColor = clBtnFace;
  TBorderStyle FBorderStyle = bsSingle;
  TScrollStyle FScrollBars = ssBoth;
  bool FDefaultDrawing = true;
  TGridCoord FCurrent{1, 1};      // the current cell
  TGridCoord FAnchor{1, 1};       // the selection's other corner
  TGridCoord FTopLeft{1, 1};      // LeftCol, TopRow
  TGridState FGridState = gsNormal;
  int FSizingIndex = -1;          // the column being sized
  int FSizingPos = 0;             // where its edge is now (client x)
  int FSizingOfs = 0;             // the press's distance from that edge
  bool FScrollUpdating = false;   // UpdateScrollRange is running (no re-entry)
};

// ---- TDrawGrid -------------------------------------------------------------------------------------
// A grid whose cells OnDrawCell paints; OnSelectCell may refuse a cell.
class TDrawGrid : public TCustomGrid {
  CLASSLIB_CLASS(TDrawGrid, TCustomGrid)
  static const TPropertyTable* PublishedProperties();  // GridProperties.cpp
  explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}

  const TDrawCellEvent& GetOnDrawCell() const { return FOnDrawCell; }
  void SetOnDrawCell(TDrawCellEvent handler) { FOnDrawCell = std::move(handler); }
  const TSelectCellEvent& GetOnSelectCell() const { return FOnSelectCell; }
  void SetOnSelectCell(TSelectCellEvent handler) { FOnSelectCell = std::move(handler); }
  const TNotifyEvent& GetOnTopLeftChanged() const { return FOnTopLeftChanged; }
  void SetOnTopLeftChanged(TNotifyEvent handler) { FOnTopLeftChanged = std::move(handler); }

 protected:
  // Calls OnDrawCell.
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  // Calls OnSelectCell (true when there is none).
  bool SelectCell(int col, int row) override;
  void TopLeftChanged() override;

 private:
  TDrawCellEvent FOnDrawCell;
  TSelectCellEvent FOnSelectCell;
  TNotifyEvent FOnTopLeftChanged;
};

// ---- TStringGrid -----------------------------------------------------------------------------------
// A grid that keeps a text and an object (not owned) per cell. Cells outside the counts keep
// what was put in them, as the class library's grid does: they show again when the counts
// grow.
class TStringGrid : public TDrawGrid {
  CLASSLIB_CLASS(TStringGrid, TDrawGrid)
  explicit TStringGrid(TComponent* owner) : TDrawGrid(owner) {}

  // The text of a cell; empty where none was put. A negative column or row raises
  // EInvalidGridOperation "Grid index out of range".
  String GetCells(int col, int row) const;
  void SetCells(int col, int row, const String& value);
  // The object of a cell (not owned); nullptr where none was put. Indexes as Cells.
  TObject* GetObjects(int col, int row) const;
  void SetObjects(int col, int row, TObject* value);

 protected:
  // Writes the cell's text at (2, 2) inside it (with DefaultDrawing), then OnDrawCell.
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;

 private:
  struct TCell {
    String Text;
    TObject* Object = nullptr;  // not owned
  };
  // The cell's data; nullptr when nothing was put there.
  const TCell* FindCell(int col, int row) const;
  // The cell's data, made when there is none yet.
  TCell& CellAt(int col, int row);

  std::map<int, std::map<int, TCell>> FData;  // row -> column -> cell; only cells put
};
