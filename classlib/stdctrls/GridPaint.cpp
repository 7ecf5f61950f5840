// Painting of TCustomGrid. The grid is drawn in four areas: the fixed corner, the fixed
// rows above the scrolled columns, the fixed columns beside the scrolled rows, and the
// scrolled cells. Each area first gets its lines (after every cell, in black between
// fixed cells and silver between the others; where the options leave a line out it is
// drawn in the background colour instead), then its cells: filled in the colour of their
// state, drawn by DrawCell, fixed ones framed in 3-D, the current one given a focus
// rectangle. What the cells do not cover is filled with the grid's colour.
#include <vector>
#include "../graphics/GdiHandles.h"
#include "../system/SysMath.h"
#include "Grids.h"

namespace {

// A pen selected into a DC for as long as it lives.
class TLinePen {
 public:
  TLinePen(HDC dc, TColor color, int width) : FDC(dc) {
    const COLORREF rgb = ColorToRGB(color);
    if (width > 1) {
      // Wide lines end square, so that they do not run into the next cell.
      LOGBRUSH brush{BS_SOLID, rgb, 0};
      FPen.reset(::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER,
                                static_cast<DWORD>(width), &brush, 0, nullptr));
    } else {
      FPen.reset(::CreatePen(PS_SOLID, 1, rgb));
    }
    if (FPen) FOld = ::SelectObject(dc, FPen.get());
  }
  ~TLinePen() {
    if (FOld) ::SelectObject(FDC, FOld);
  }
  TLinePen(const TLinePen&) = delete;
  TLinePen& operator=(const TLinePen&) = delete;

 private:
  HDC FDC;
  UniquePen FPen;
  HGDIOBJ FOld = nullptr;  // the DC's pen before, selected back
};

// The bounds of one of the four areas: left, top, right, bottom.
struct TAreaBounds {
  int Bounds[4];
};

// Draws the lines of one axis across an area: after each cell from `cell` on, while they
// fall inside the area. majorIndex 0 draws the vertical lines between columns, 1 the
// horizontal ones between rows.
void DrawAxisLines(HDC dc, const TGridAxisDrawInfo& axis, int cell, int majorIndex,
                   const TAreaBounds& area, TColor color, int lineWidth) {
  if (axis.EffectiveLineWidth == 0) return;
  const int minor = majorIndex ^ 1;
  int line = area.Bounds[majorIndex] + (axis.EffectiveLineWidth >> 1) + axis.GetExtent(cell);
  const int startMinor = area.Bounds[minor];
  const int stopMinor = area.Bounds[2 + minor];
  const int stopMajor = area.Bounds[2 + majorIndex] + axis.EffectiveLineWidth;
  std::vector<POINT> points;
  std::vector<DWORD> strokes;
  // At most one line per pixel of the area: the loop ends with it.
  const int maxLines = Max(1, stopMajor - area.Bounds[majorIndex] + 2);
  do {
    POINT from{};
    POINT to{};
    (majorIndex == 0 ? from.x : from.y) = line;
    (majorIndex == 0 ? from.y : from.x) = startMinor;
    (majorIndex == 0 ? to.x : to.y) = line;
    (majorIndex == 0 ? to.y : to.x) = stopMinor;
    points.push_back(from);
    points.push_back(to);
    strokes.push_back(2);
    // Cells of no extent (hidden) take no line of their own.
    int increment = 0;
    for (int guard = 0; guard < MaxGridCount; ++guard) {
      ++cell;
      increment = axis.GetExtent(cell) + axis.EffectiveLineWidth;
      if (increment > 0 || cell > axis.LastFullVisibleCell) break;
    }
    line += increment;
  } while (line <= stopMajor && cell <= axis.LastFullVisibleCell &&
           static_cast<int>(strokes.size()) < maxLines);
  TLinePen pen(dc, color, lineWidth);
  ::PolyPolyline(dc, points.data(), strokes.data(), static_cast<DWORD>(strokes.size()));
}

}  // namespace

void TCustomGrid::Paint() {
  TCanvas* canvas = GetCanvas();
  const HDC dc = canvas->GetHandle();
  TGridDrawInfo drawInfo;
  CalcDrawInfo(drawInfo);
  const TGridAxisDrawInfo& horz = drawInfo.Horz;
  const TGridAxisDrawInfo& vert = drawInfo.Vert;

  // ---- Lines ----
  // One area's lines: across first where horizontal lines are drawn, so that the
  // vertical ones cross them.
  const auto drawLines = [&](bool doHorz, bool doVert, int col, int row, const TAreaBounds& area,
                             TColor onColor, TColor offColor) {
    if (area.Bounds[0] == area.Bounds[2] || area.Bounds[1] == area.Bounds[3]) return;
    if (!doHorz) {
      DrawAxisLines(dc, vert, row, 1, area, doHorz ? onColor : offColor, FGridLineWidth);
      DrawAxisLines(dc, horz, col, 0, area, doVert ? onColor : offColor, FGridLineWidth);
    } else {
      DrawAxisLines(dc, horz, col, 0, area, doVert ? onColor : offColor, FGridLineWidth);
      DrawAxisLines(dc, vert, row, 1, area, doHorz ? onColor : offColor, FGridLineWidth);
    }
  };
  if (horz.EffectiveLineWidth > 0 || vert.EffectiveLineWidth > 0) {
    const TColor lineColor = ColorToRGB(GetColor()) == ColorToRGB(clSilver) ? clGray : clSilver;
    const bool fixedHorz = FOptions.Contains(goFixedHorzLine);
    const bool fixedVert = FOptions.Contains(goFixedVertLine);
    drawLines(fixedHorz, fixedVert, 0, 0,
              TAreaBounds{{0, 0, horz.FixedBoundary, vert.FixedBoundary}}, clBlack, FFixedColor);
    drawLines(fixedHorz, fixedVert, FTopLeft.X, 0,
              TAreaBounds{{horz.FixedBoundary, 0, horz.GridBoundary, vert.FixedBoundary}},
              clBlack, FFixedColor);
    drawLines(fixedHorz, fixedVert, 0, FTopLeft.Y,
              TAreaBounds{{0, vert.FixedBoundary, horz.FixedBoundary, vert.GridBoundary}},
              clBlack, FFixedColor);
    drawLines(FOptions.Contains(goHorzLine), FOptions.Contains(goVertLine), FTopLeft.X,
              FTopLeft.Y,
              TAreaBounds{{horz.FixedBoundary, vert.FixedBoundary, horz.GridBoundary,
                           vert.GridBoundary}},
              lineColor, GetColor());
  }

  // ---- Cells ----
  const TGridRect selection = GetSelection();
  const bool active = IsActiveControl();
  const bool framed = FDefaultDrawing && FramesFocus();
  UINT frameFlags1 = 0;  // raised edges of fixed cells: bottom and right...
  UINT frameFlags2 = 0;  // ...then top and left
  if (FOptions.Contains(goFixedVertLine)) {
    frameFlags1 = BF_RIGHT;
    frameFlags2 = BF_LEFT;
  }
  if (FOptions.Contains(goFixedHorzLine)) {
    frameFlags1 |= BF_BOTTOM;
    frameFlags2 |= BF_TOP;
  }
  const std::weak_ptr<int> alive = GetLifeToken();
  const auto drawCells = [&](int firstCol, int firstRow, int startX, int startY, int stopX,
                             int stopY, TColor color, TGridDrawState includeState) {
    TRect where;
    where.Top = startY;
    for (int row = firstRow; where.Top < stopY && row < FRowCount; ++row) {
      where.Left = startX;
      where.Bottom = where.Top + GetRowHeights(row);
      for (int col = firstCol; where.Left < stopX && col < FColCount; ++col) {
        where.Right = where.Left + GetColWidths(col);
        const RECT r = where;
        if (where.Right > where.Left && ::RectVisible(dc, &r)) {
          TGridDrawState state = includeState;
          if (active && row == FCurrent.Y && col == FCurrent.X) state.Include(gdFocused);
          if (PointInGridRect(col, row, selection)) state.Include(gdSelected);
          if (FDefaultDrawing) {
            canvas->SetFont(GetFont());
            const bool selectedLook =
                state.Contains(gdSelected) &&
                (!state.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) ||
                 FOptions.Contains(goRowSelect));
            if (selectedLook) {
              canvas->GetBrush()->SetColor(clHighlight);
              canvas->GetFont()->SetColor(clHighlightText);
            } else {
              canvas->GetBrush()->SetColor(color);
            }
            canvas->FillRect(where);
          }
          DrawCell(col, row, where, state);
          if (alive.expired()) return;
          if (FDefaultDrawing && state.Contains(gdFixed) && GetCtl3D() &&
              (frameFlags1 | frameFlags2) != 0) {
            TRect edge = where;
            if ((frameFlags1 & BF_RIGHT) == 0)
              edge.Right += horz.EffectiveLineWidth;
            else if ((frameFlags1 & BF_BOTTOM) == 0)
              edge.Bottom += vert.EffectiveLineWidth;
            RECT e = edge;
            ::DrawEdge(canvas->GetHandle(), &e, BDR_RAISEDINNER, frameFlags1);
            e = edge;
            ::DrawEdge(canvas->GetHandle(), &e, BDR_RAISEDINNER, frameFlags2);
          }
          if (framed && state.Contains(gdFocused) && !FOptions.Contains(goRowSelect))
            canvas->DrawFocusRect(where);
        }
        where.Left = where.Right + horz.EffectiveLineWidth;
      }
      where.Top = where.Bottom + vert.EffectiveLineWidth;
    }
  };
  drawCells(0, 0, 0, 0, horz.FixedBoundary, vert.FixedBoundary, FFixedColor,
            TGridDrawState{gdFixed});
  if (alive.expired()) return;
  drawCells(FTopLeft.X, 0, horz.FixedBoundary, 0, horz.GridBoundary, vert.FixedBoundary,
            FFixedColor, TGridDrawState{gdFixed});
  if (alive.expired()) return;
  drawCells(0, FTopLeft.Y, 0, vert.FixedBoundary, horz.FixedBoundary, vert.GridBoundary,
            FFixedColor, TGridDrawState{gdFixed});
  if (alive.expired()) return;
  drawCells(FTopLeft.X, FTopLeft.Y, horz.FixedBoundary, vert.FixedBoundary, horz.GridBoundary,
            vert.GridBoundary, GetColor(), TGridDrawState{});
  if (alive.expired()) return;

  // A selected row has one focus rectangle around all of it.
  if (FOptions.Contains(goRowSelect) && framed && Focused())
    canvas->DrawFocusRect(GridRectToScreenRect(selection, false));

  // ---- What the cells leave ----
  canvas->GetBrush()->SetColor(GetColor());
  if (horz.GridBoundary < horz.GridExtent)
    canvas->FillRect(Rect(horz.GridBoundary, 0, horz.GridExtent, vert.GridBoundary));
  if (vert.GridBoundary < vert.GridExtent)
    canvas->FillRect(Rect(0, vert.GridBoundary, horz.GridExtent, vert.GridExtent));
}
