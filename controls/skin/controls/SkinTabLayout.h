// The geometry of the owner-drawn tab control, without a window: rows of a multi-line strip
// (justified, rotated so that the selected row touches the page body, rows before it on the
// opposite side with ScrollOpposite), the single-line strip with its first visible tab and
// two scroll buttons, tab rectangles on each of the four sides, the body rectangle and
// hit-testing.
//
// Every loop here is bounded by the tab count; the row table holds at most MaxTabRows rows,
// the tabs that would need more all go into the last row.
#pragma once
#include <vector>

#include "classlib/graphics/Types.h"
#include "classlib/stdctrls/PageControls.h"  // TTabPosition

constexpr int MaxTabRows = 100;

struct TSeTabRow {
  int LastTab = -1;    // index of the row's last tab
  int Extra = 0;       // width given to each tab of the row (negative to shrink a long tab)
  int Remainder = 0;   // width given in addition to the row's last tab
};

struct TSeTabGeometry {
  // ---- Input ------------------------------------------------------------------------------
  std::vector<int> Widths;        // tab widths as GetTabWidth gives them
  int TabHeight = 0;              // thickness of one row
  TTabPosition Position = tpTop;
  bool MultiLine = false;
  bool RaggedRight = false;
  bool ScrollOpposite = false;
  bool FixedWidth = false;        // TabWidth is set: rows are not justified
  int Width = 0, Height = 0;      // the control
  int MarginLeft = 2, MarginTop = 2, MarginRight = 2, MarginBottom = 2;
  int ButtonSize = 18;            // side of a scroll button
  int FirstVisible = 0;           // first tab of the single-line strip
  int TabIndex = -1;              // selected tab
  // ---- Rows (LayoutRows) -------------------------------------------------------------------
  std::vector<TSeTabRow> Rows;

  int Count() const { return static_cast<int>(Widths.size()); }
  bool Horizontal() const { return Position == tpTop || Position == tpBottom; }
  // The margin on the strip's side of the body.
  int TabSideMargin() const;
  // Closes rows over the available length (multi-line layout).
  void LayoutRows();
  // Rows in use: 1 in single-line mode, 0 without tabs.
  int EffectiveRows() const;
  int RowOf(int index) const;
  int SelectedRow() const;
  int EffectiveWidth(int index) const;
  int StripThickness() const;
  int OppositeThickness() const;
  TRect BodyRect() const;
  int RowOffset(int row) const;
  bool OnOppositeSide(int index) const;
  // The side the tab is drawn on (swapped for a row on the opposite side).
  TTabPosition SideOf(int index) const;
  TRect TabRect(int index) const;
  bool ScrollButtonsShow() const;
  TRect LeftButtonRect() const;
  TRect RightButtonRect() const;
  int LastVisibleTab(bool strict) const;
  int TabAtPos(int x, int y) const;
  // The rows in the order they are drawn before the selected tab (farthest first).
  std::vector<int> DrawRowOrder() const;
  // The first tab of a row.
  int RowFirst(int row) const { return row <= 0 ? 0 : Rows[row - 1].LastTab + 1; }
  int RowLast(int row) const;
};
