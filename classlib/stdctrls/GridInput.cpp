// Input of TCustomGrid: the keys that move the current cell and scroll, the mouse that
// picks cells, selects ranges (scrolling on a timer while the mouse is outside the cells)
// and sizes columns, the wheel, and the messages of the window's own scroll bars.
#include "../system/SysMath.h"
#include "Grids.h"

namespace {

// The timer that scrolls while a range is dragged outside the cells.
constexpr UINT_PTR SelectTimerId = 1;
constexpr UINT SelectTimerMs = 60;

void Restrict(TGridCoord& coord, int minX, int minY, int maxX, int maxY) {
  coord.X = Max(minX, Min(coord.X, maxX));
  coord.Y = Max(minY, Min(coord.Y, maxY));
}

}  // namespace

// ---- Messages ------------------------------------------------------------------------------------

void TCustomGrid::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE: WMGetDlgCode(message); break;
    case WM_TIMER: WMTimer(message); break;
    default: inherited::Dispatch(message); break;
  }
}

void TCustomGrid::WMGetDlgCode(TMessage& message) {
  // The arrows move between cells rather than between controls.
  message.Result = DLGC_WANTARROWS;
}

void TCustomGrid::WMEraseBkgnd(TMessage& message) {
  // Paint covers every pixel; erasing first would only flicker.
  message.Result = 1;
}

void TCustomGrid::WMSize(TMessage& message) {
  inherited::WMSize(message);
  UpdateScrollRange();
}

void TCustomGrid::CMShowingChanged(TMessage& message) {
  inherited::CMShowingChanged(message);
  if (GetShowing()) UpdateScrollRange();
}

void TCustomGrid::CMFontChanged(TMessage& message) {
  inherited::CMFontChanged(message);
  InvalidateGrid();
}

void TCustomGrid::CMColorChanged(TMessage& message) {
  inherited::CMColorChanged(message);
  InvalidateGrid();
}

void TCustomGrid::WMSetFocus(TMessage& message) {
  inherited::WMSetFocus(message);
  InvalidateGridRect(GetSelection());
}

void TCustomGrid::WMKillFocus(TMessage& message) {
  inherited::WMKillFocus(message);
  InvalidateGridRect(GetSelection());
}

void TCustomGrid::WMHScroll(TMessage& message) {
  if (message.LParam != 0) {  // a scroll bar control of a child, not the grid's own bar
    inherited::WMHScroll(message);
    return;
  }
  ModifyScrollBar(SB_HORZ, LOWORD(message.WParam), HIWORD(message.WParam));
}

void TCustomGrid::WMVScroll(TMessage& message) {
  if (message.LParam != 0) {
    inherited::WMVScroll(message);
    return;
  }
  ModifyScrollBar(SB_VERT, LOWORD(message.WParam), HIWORD(message.WParam));
}

void TCustomGrid::WMCancelMode(TMessage& message) {
  inherited::WMCancelMode(message);
  if (FGridState == gsSelecting && HandleAllocated()) ::KillTimer(GetHandle(), SelectTimerId);
  if (FGridState == gsColSizing || FGridState == gsRowSizing) {
    TGridDrawInfo drawInfo;
    CalcDrawInfo(drawInfo);
    DrawSizingLine(drawInfo);  // XOR it away
  }
  FGridState = gsNormal;
}

void TCustomGrid::WMSetCursor(TMessage& message) {
  const TWMSetCursor setCursor(message);
  if (setCursor.GetHitTest() == HTCLIENT && HandleAllocated()) {
    TGridState state = FGridState;
    if (state == gsNormal) {
      POINT p{};
      ::GetCursorPos(&p);
      ::ScreenToClient(GetHandle(), &p);
      TGridDrawInfo drawInfo;
      int index = 0;
      int pos = 0;
      int ofs = 0;
      CalcDrawInfo(drawInfo);
      CalcSizingState(p.x, p.y, state, index, pos, ofs, drawInfo);
    }
    if (state == gsColSizing || state == gsRowSizing) {
      ::SetCursor(StandardCursorHandle(state == gsColSizing ? crHSplit : crVSplit));
      message.Result = 1;
      return;
    }
  }
  inherited::WMSetCursor(message);
}

// ---- Keys -------------------------------------------------------------------------------------------

void TCustomGrid::KeyDown(WORD& key, TShiftState shift) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyDown(key, shift);
  if (alive.expired() || key == 0) return;
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  const int pageWidth = Max(1, drawInfo.Horz.LastFullVisibleCell - FTopLeft.X);
  const int pageHeight = Max(1, drawInfo.Vert.LastFullVisibleCell - FTopLeft.Y);
  const bool rowSelect = FOptions.Contains(goRowSelect);
  TGridCoord newCurrent = FCurrent;
  TGridCoord newTopLeft = FTopLeft;
  if (shift.Contains(ssCtrl)) {
    switch (key) {
      case VK_UP: --newTopLeft.Y; break;
      case VK_DOWN: ++newTopLeft.Y; break;
      case VK_LEFT:
        if (!rowSelect) {
          newCurrent.X -= pageWidth;
          newTopLeft.X -= pageWidth;
        }
        break;
      case VK_RIGHT:
        if (!rowSelect) {
          newCurrent.X += pageWidth;
          newTopLeft.X += pageWidth;
        }
        break;
      case VK_PRIOR: newCurrent.Y = FTopLeft.Y; break;
      case VK_NEXT: newCurrent.Y = drawInfo.Vert.LastFullVisibleCell; break;
      case VK_HOME:
        newCurrent.X = FFixedCols;
        newCurrent.Y = FFixedRows;
        break;
      case VK_END:
        newCurrent.X = FColCount - 1;
        newCurrent.Y = FRowCount - 1;
        break;
    }
  } else {
    switch (key) {
      case VK_UP: --newCurrent.Y; break;
      case VK_DOWN: ++newCurrent.Y; break;
      case VK_LEFT:
        if (rowSelect)
          --newTopLeft.X;  // a selected row has no column to move to: scroll instead
        else
          --newCurrent.X;
        break;
      case VK_RIGHT:
        if (rowSelect)
          ++newTopLeft.X;
        else
          ++newCurrent.X;
        break;
      case VK_NEXT:
        newCurrent.Y += pageHeight;
        newTopLeft.Y += pageHeight;
        break;
      case VK_PRIOR:
        newCurrent.Y -= pageHeight;
        newTopLeft.Y -= pageHeight;
        break;
      case VK_HOME:
        if (rowSelect)
          newCurrent.Y = FFixedRows;
        else
          newCurrent.X = FFixedCols;
        break;
      case VK_END:
        if (rowSelect)
          newCurrent.Y = FRowCount - 1;
        else
          newCurrent.X = FColCount - 1;
        break;
    }
  }
  const TGridCoord maxTopLeft =
      CalcMaxTopLeft(TGridCoord{FColCount - 1, FRowCount - 1}, drawInfo);
  Restrict(newTopLeft, FFixedCols, FFixedRows, Max(FFixedCols, maxTopLeft.X),
           Max(FFixedRows, maxTopLeft.Y));
  if (!(newTopLeft == FTopLeft)) MoveTopLeft(newTopLeft.X, newTopLeft.Y);
  Restrict(newCurrent, FFixedCols, FFixedRows, FColCount - 1, FRowCount - 1);
  if (newCurrent.X != FCurrent.X || newCurrent.Y != FCurrent.Y)
    FocusCell(newCurrent.X, newCurrent.Y, !shift.Contains(ssShift));
}

// ---- Mouse ------------------------------------------------------------------------------------------

int TCustomGrid::CellStart(const TGridAxisDrawInfo& axis, int cell) {
  int result = 0;
  int first = 0;
  if (cell >= axis.FixedCellCount) {
    result = axis.FixedBoundary;
    first = axis.FirstGridCell;
  }
  for (int i = first; i < cell; ++i) result += axis.GetExtent(i) + axis.EffectiveLineWidth;
  return result;
}

void TCustomGrid::CalcSizingState(int x, int y, TGridState& state, int& index, int& sizingPos,
                                  int& sizingOfs, TGridDrawInfo& drawInfo) {
  state = gsNormal;
  index = -1;
  if (!FOptions.Contains(goColSizing)) return;
  // Column edges are taken in the fixed rows, right of the fixed columns.
  if (x <= drawInfo.Horz.FixedBoundary || y >= drawInfo.Vert.FixedBoundary) return;
  const TGridAxisDrawInfo& axis = drawInfo.Horz;
  int line = axis.FixedBoundary;
  int range = axis.EffectiveLineWidth;
  int back = 0;
  if (range < 7) {  // a thin line is hard to hit: take a few pixels around it
    range = 7;
    back = (range - axis.EffectiveLineWidth) >> 1;
  }
  for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
    line += axis.GetExtent(i);
    if (line > axis.GridBoundary) break;
    if (x >= line - back && x <= line - back + range) {
      state = gsColSizing;
      sizingPos = line;
      sizingOfs = line - x;
      index = i;
      return;
    }
    line += axis.EffectiveLineWidth;
  }
  if (axis.GridBoundary == axis.GridExtent && x >= axis.GridExtent - back &&
      x <= axis.GridExtent) {
    state = gsColSizing;
    sizingPos = axis.GridExtent;
    sizingOfs = axis.GridExtent - x;
    index = axis.LastFullVisibleCell + 1;
  }
}

void TCustomGrid::DrawSizingLine(const TGridDrawInfo& drawInfo) {
  if (!HandleAllocated()) return;
  const HWND wnd = GetHandle();
  const HDC dc = ::GetDC(wnd);
  if (!dc) return;
  if (FGridState == gsRowSizing)
    ::PatBlt(dc, 0, FSizingPos, drawInfo.Horz.GridBoundary, 1, DSTINVERT);
  else
    ::PatBlt(dc, FSizingPos, 0, 1, drawInfo.Vert.GridBoundary, DSTINVERT);
  ::ReleaseDC(wnd, dc);
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  if (!GetComponentState().Contains(csDesigning) && CanFocus()) {
    SetFocus();
    if (alive.expired()) return;
    if (!IsActiveControl()) {
      SetMouseCapture(false);
      return;
    }
  }
  if (button == mbLeft && shift.Contains(ssDouble)) {
    DblClick();
    if (alive.expired()) return;
  } else if (button == mbLeft) {
    TGridDrawInfo drawInfo;
    CalcDrawInfo(drawInfo);
    CalcSizingState(x, y, FGridState, FSizingIndex, FSizingPos, FSizingOfs, drawInfo);
    if (FGridState != gsNormal) {
      DrawSizingLine(drawInfo);
      return;
    }
    const TGridCoord cellHit{AxisCellAt(drawInfo.Horz, x), AxisCellAt(drawInfo.Vert, y)};
    if (cellHit.X >= FFixedCols && cellHit.Y >= FFixedRows) {
      FGridState = gsSelecting;
      ::SetTimer(GetHandle(), SelectTimerId, SelectTimerMs, nullptr);
      if (shift.Contains(ssShift))
        MoveAnchor(cellHit);
      else
        MoveCurrent(cellHit.X, cellHit.Y, true, true);
      if (alive.expired()) return;
    }
  }
  inherited::MouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y) {
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  if (FGridState == gsSelecting) {
    const TGridCoord cellHit{AxisCellAt(drawInfo.Horz, x), AxisCellAt(drawInfo.Vert, y)};
    if (cellHit.X >= FFixedCols && cellHit.Y >= FFixedRows &&
        cellHit.X <= drawInfo.Horz.LastFullVisibleCell + 1 &&
        cellHit.Y <= drawInfo.Vert.LastFullVisibleCell + 1 && !(cellHit == FAnchor))
      MoveAnchor(cellHit);
  } else if (FGridState == gsColSizing || FGridState == gsRowSizing) {
    DrawSizingLine(drawInfo);  // XOR the old line away
    FSizingPos = (FGridState == gsRowSizing ? y : x) + FSizingOfs;
    DrawSizingLine(drawInfo);
  }
  inherited::MouseMove(shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  const TGridState state = FGridState;
  FGridState = gsNormal;
  if (state == gsSelecting) {
    FGridState = gsSelecting;  // the last move still extends the range
    MouseMove(shift, x, y);
    if (alive.expired()) return;
    FGridState = gsNormal;
    if (HandleAllocated()) ::KillTimer(GetHandle(), SelectTimerId);
    Click();
    if (alive.expired()) return;
  } else if (state == gsColSizing) {
    TGridDrawInfo drawInfo;
    CalcDrawInfo(drawInfo);
    FGridState = state;
    DrawSizingLine(drawInfo);
    FGridState = gsNormal;
    const int newSize = FSizingPos - CellStart(drawInfo.Horz, FSizingIndex);
    if (newSize > 1 && FSizingIndex >= 0 && FSizingIndex < FColCount)
      SetColWidths(FSizingIndex, newSize);
  }
  inherited::MouseUp(button, shift, x, y);
}

void TCustomGrid::WMTimer(TMessage& message) {
  if (message.WParam != SelectTimerId || FGridState != gsSelecting || !HandleAllocated()) return;
  POINT p{};
  ::GetCursorPos(&p);
  ::ScreenToClient(GetHandle(), &p);
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  TimedScroll(p.x < drawInfo.Horz.FixedBoundary, p.x > drawInfo.Horz.FullVisBoundary,
              p.y < drawInfo.Vert.FixedBoundary, p.y > drawInfo.Vert.FullVisBoundary);
}

void TCustomGrid::TimedScroll(bool left, bool right, bool up, bool down) {
  TGridCoord newAnchor = FAnchor;
  if (left && FAnchor.X > FFixedCols) --newAnchor.X;
  if (right && FAnchor.X < FColCount - 1) ++newAnchor.X;
  if (up && FAnchor.Y > FFixedRows) --newAnchor.Y;
  if (down && FAnchor.Y < FRowCount - 1) ++newAnchor.Y;
  if (!(newAnchor == FAnchor)) MoveAnchor(newAnchor);
}

bool TCustomGrid::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (inherited::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  // Each notch moves the current row by one.
  if (wheelDelta < 0 && FCurrent.Y < FRowCount - 1)
    SetRow(FCurrent.Y + 1);
  else if (wheelDelta > 0 && FCurrent.Y > FFixedRows)
    SetRow(FCurrent.Y - 1);
  return true;
}
