#include "SkinControlBar.h"

#include <algorithm>
#include <climits>

#include "classlib/classes/Properties.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"

// One band: a child control's place, or a placeholder keeping a taller control's place in a
// row below its own.
struct TSeCustomControlBar::TBand {
  TControl* Control = nullptr;     // the child; nullptr for a placeholder
  TRect Insets;                    // space around the control inside the band
  bool Visible = true;
  bool Break = false;              // starts a row
  int ReqX = 0, ReqY = 0;          // where the band wants to be (client coordinates)
  int Width = 0, Height = 0;       // band size; Height is one row's piece for a tall control
  int PreferredSize = 0;
  int RowCount = 1;
  TBand* Parent = nullptr;         // the band a placeholder continues
  TBand* NextPlaceholder = nullptr;
  bool TempBreak = false;          // a break forced by an overflowing row
  int PlacedX = 0, PlacedY = 0;    // where the layout put it
  int PlacedWidth = 0;
  int Row = 0;                     // row number of the last layout
  bool Placed = false;             // PlacedX/PlacedY hold a layout's result
};

const TPropertyTable* TSeCustomControlBar::PublishedProperties() {
  using P = TPublish<TSeCustomControlBar>;
  using C = TSeCustomControlBar;
  static const TPropertyTable table{
      P::Boolean(L"AutoDock", &C::GetAutoDock, &C::SetAutoDock).Default(true),
      P::Boolean(L"AutoDrag", &C::GetAutoDrag, &C::SetAutoDrag).Default(true),
      // The constructor sets True; the declared default follows it so that it round-trips.
      P::Boolean(L"AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(true),
      P::Boolean(L"DockSite", &C::GetDockSite, &C::SetDockSite).Default(true),
      P::Boolean(L"ParentColor", &C::GetParentColor, &C::SetParentColor).Default(true),
      P::Integer(L"RowSize", &C::GetRowSize, &C::SetRowSize).Default(26),
      P::Boolean(L"RowSnap", &C::GetRowSnap, &C::SetRowSnap).Default(false),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(false),
      P::Method(L"OnBandDrag", &C::GetOnBandDrag, &C::SetOnBandDrag),
      P::Method(L"OnBandInfo", &C::GetOnBandInfo, &C::SetOnBandInfo),
      P::Method(L"OnBandMove", &C::GetOnBandMove, &C::SetOnBandMove),
      P::Method(L"OnBandPaint", &C::GetOnBandPaint, &C::SetOnBandPaint),
      P::Method(L"OnCanResize", &C::GetOnCanResize, &C::SetOnCanResize),
      P::Method(L"OnConstrainedResize", &C::GetOnConstrainedResize, &C::SetOnConstrainedResize),
      P::Method(L"OnDockDrop", &C::GetOnDockDrop, &C::SetOnDockDrop),
      P::Method(L"OnGetSiteInfo", &C::GetOnGetSiteInfo, &C::SetOnGetSiteInfo),
      P::Method(L"OnPaint", &C::GetOnPaint, &C::SetOnPaint),
      P::Method(L"OnUnDock", &C::GetOnUnDock, &C::SetOnUnDock),
  };
  return &table;
}

TSeCustomControlBar::TSeCustomControlBar(TComponent* owner) : TSeCustomControl(owner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque,
                                csDoubleClicks});
  SetParentColor(true);
  SetBounds(GetLeft(), GetTop(), 100, 50);
  SetAutoSize(true);
  SetDockSite(true);
}

TSeCustomControlBar::~TSeCustomControlBar() {
  Destroying();
  FreeBands();
}

void TSeCustomControlBar::SetRowSize(int value) { FRowSize = std::clamp(value, 1, 10000); }

void TSeCustomControlBar::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

// ---- Bands ------------------------------------------------------------------------------------

TSeCustomControlBar::TBand* TSeCustomControlBar::BandOf(const TControl* control) const {
  if (!control) return nullptr;
  for (const auto& band : FBands)
    if (band->Control == control) return band.get();
  return nullptr;
}

int TSeCustomControlBar::IndexOf(const TBand* band) const {
  for (size_t i = 0; i < FBands.size(); ++i)
    if (FBands[i].get() == band) return static_cast<int>(i);
  return -1;
}

void TSeCustomControlBar::RemoveBand(TBand* band) {
  if (!band) return;
  // The band and its placeholders leave; a band after a breaking one inherits the break.
  std::vector<TBand*> going;
  for (TBand* b = band; b; b = b->NextPlaceholder) going.push_back(b);
  for (TBand* b : going) {
    const int index = IndexOf(b);
    if (index < 0) continue;
    if (b->Break && index + 1 < static_cast<int>(FBands.size())) FBands[index + 1]->Break = true;
    FBands.erase(FBands.begin() + index);
  }
  if (!FBands.empty()) FBands.front()->Break = true;
}

void TSeCustomControlBar::FreeBands() { FBands.clear(); }

void TSeCustomControlBar::GetControlInfo(TControl* control, TRect& insets, int& preferredSize,
                                         int& rowCount) {
  if (rowCount == 0) rowCount = 1;
  if (FOnBandInfo) FOnBandInfo(this, control, insets, preferredSize, rowCount);
  rowCount = std::clamp(rowCount, 1, MaxBandRows);
  insets.Left = std::clamp(insets.Left, 0, 1000);
  insets.Top = std::clamp(insets.Top, 0, 1000);
  insets.Right = std::clamp(insets.Right, 0, 1000);
  insets.Bottom = std::clamp(insets.Bottom, 0, 1000);
}

void TSeCustomControlBar::InsertBand(TControl* control, bool moving) {
  auto band = std::make_unique<TBand>();
  band->Control = control;
  band->Insets = TRect(GetGrabberSize(), 2, 2, 2);
  band->Visible = control->GetVisible() || GetComponentState().Contains(csDesigning);
  // With RowSnap a band takes its height divided by RowSize, rounded up, rows.
  auto rowsFor = [this](int height) { return std::max(1, (height + FRowSize - 1) / FRowSize); };
  int rows = FRowSnap ? rowsFor(control->GetHeight() + 4) : 1;
  GetControlInfo(control, band->Insets, band->PreferredSize, rows);
  const int height = control->GetHeight() + band->Insets.Top + band->Insets.Bottom;
  if (FRowSnap) rows = std::clamp(std::max(rows, rowsFor(height)), 1, MaxBandRows);
  (void)moving;
  band->RowCount = rows;
  band->ReqX = control->GetLeft() - band->Insets.Left;
  band->ReqY = control->GetTop() - band->Insets.Top;
  if (control == FDragControl) {
    band->ReqX = FDragPos.X;
    band->ReqY = FDragPos.Y;
  }
  band->Width = control->GetWidth() + band->Insets.Left + band->Insets.Right;
  // Each row piece of a control spanning rows is one row high.
  band->Height = FRowSnap ? FRowSize : rows > 1 ? (height + rows - 1) / rows : height;
  TBand* previous = band.get();
  const int firstY = band->ReqY;
  const int pieceHeight = band->Height;
  InsertByPosition(std::move(band));
  for (int k = 1; k < rows; ++k) {
    auto piece = std::make_unique<TBand>();
    piece->Parent = previous->Parent ? previous->Parent : previous;
    piece->Visible = previous->Visible;
    piece->ReqX = previous->ReqX;
    piece->ReqY = firstY + k * pieceHeight;
    piece->Width = previous->Width;
    piece->Height = pieceHeight;
    previous->NextPlaceholder = piece.get();
    previous = piece.get();
    InsertByPosition(std::move(piece));
  }
}

void TSeCustomControlBar::InsertByPosition(std::unique_ptr<TBand> band) {
  const int m = band->ReqY + FRowSize / 2;
  const int n = static_cast<int>(FBands.size());
  int start = 0;
  while (start < n) {
    int end = start + 1;
    while (end < n && !FBands[end]->Break) ++end;
    int bottom = INT_MIN;
    int at = start;
    for (int i = start; i < end; ++i) {
      const TBand& b = *FBands[i];
      const int y = b.Placed ? b.PlacedY : b.ReqY;
      const int x = b.Placed ? b.PlacedX : b.ReqX;
      bottom = std::max(bottom, y + b.Height);
      if (x < band->ReqX && y < m) at = i + 1;
    }
    if (m < bottom) {
      if (at == start) {
        band->Break = true;
        FBands[start]->Break = false;
      }
      FBands.insert(FBands.begin() + at, std::move(band));
      return;
    }
    start = end;
  }
  band->Break = true;
  FBands.push_back(std::move(band));
}

bool TSeCustomControlBar::Rebuild(TControl* aligning) {
  bool visibilityChanged = false, left = false;
  // Bands of controls that left the bar go.
  for (size_t i = 0; i < FBands.size();) {
    TBand* b = FBands[i].get();
    if (b->Control && b->Control->GetParent() != this) {
      RemoveBand(b);
      left = true;
      i = 0;
      continue;
    }
    ++i;
  }
  std::vector<TControl*> fresh;
  for (int i = 0; i < GetControlCount(); ++i) {
    TControl* child = GetControl(i);
    if (!child) continue;
    if (TBand* band = BandOf(child)) {
      const bool visible = child->GetVisible() || GetComponentState().Contains(csDesigning);
      if (band->Visible != visible) visibilityChanged = true;
      for (TBand* b = band; b; b = b->NextPlaceholder) b->Visible = visible;
      if (child == aligning) RemoveBand(band);
      else continue;
    }
    if (child != aligning) fresh.push_back(child);
  }
  std::stable_sort(fresh.begin(), fresh.end(), [](TControl* a, TControl* b) {
    return a->GetTop() < b->GetTop() || (a->GetTop() == b->GetTop() && a->GetLeft() < b->GetLeft());
  });
  for (TControl* child : fresh) InsertBand(child, false);
  if (aligning && aligning->GetParent() == this) InsertBand(aligning, true);
  if (!FBands.empty()) FBands.front()->Break = true;
  if (visibilityChanged) Invalidate();
  return left;
}

// ---- Layout -----------------------------------------------------------------------------------------

bool TSeCustomControlBar::LayoutPass() {
  const int width = std::max(0, GetClientWidth());
  const bool designing = GetComponentState().Contains(csDesigning);
  const int n = static_cast<int>(FBands.size());
  int y = 0, row = 0, start = 0;
  while (start < n) {
    int end = start + 1;
    while (end < n && !FBands[end]->Break && !FBands[end]->TempBreak) ++end;
    int e = 0, rowHeight = 0;
    for (int j = start; j < end; ++j) {
      TBand& b = *FBands[j];
      b.Row = row;
      if (!b.Visible && !designing) {
        b.PlacedX = e;
        b.PlacedWidth = 0;
        continue;
      }
      if (b.Control) {
        int rows = b.RowCount;
        GetControlInfo(b.Control, b.Insets, b.PreferredSize, rows);
        b.Width = b.Control->GetWidth() + b.Insets.Left + b.Insets.Right;
      } else if (b.Parent) {
        b.ReqX = b.Parent->PlacedX;
        b.Width = b.Parent->PlacedWidth;
      }
      int x = std::max(0, b.ReqX);
      if (x < e) {
        // Push the bands before it left as far as the free space before each allows; a
        // placeholder keeps its place under its control.
        int remaining = e - x;
        std::vector<int> gaps;
        for (int k = start; k < j; ++k) {
          const int before = k > start ? FBands[k - 1]->PlacedX + FBands[k - 1]->PlacedWidth : 0;
          gaps.push_back(std::max(0, FBands[k]->PlacedX - before));
        }
        int available = 0;
        for (int k = j - 1; k >= start && !FBands[k]->Parent; --k) available += gaps[k - start];
        remaining = std::min(remaining, available);
        for (int k = j - 1; k >= start && remaining > 0; --k) {
          FBands[k]->PlacedX -= remaining;
          remaining = std::max(0, remaining - gaps[k - start]);
        }
        e = FBands[j - 1]->PlacedX + FBands[j - 1]->PlacedWidth;
        x = std::max(x, e);
      }
      b.PlacedX = x;
      b.PlacedWidth = b.Width;
      e = x + b.Width;
      rowHeight = std::max(rowHeight, b.Height);
    }
    for (int j = start; j < end; ++j) {
      TBand& b = *FBands[j];
      b.PlacedY = y;
      b.Placed = true;
      if (b.Control && b.Visible) {
        TRect r(b.PlacedX, b.PlacedY, b.PlacedX + b.PlacedWidth, b.PlacedY + b.Height);
        DoBandMove(b.Control, r);
        b.PlacedX = r.Left;
        b.PlacedY = r.Top;
        b.PlacedWidth = std::max(0, r.Right - r.Left);
      }
    }
    if (e > width) {
      // Pulled left from the right end as far as the free space allows, then narrowed from
      // the right end down to the controls' minimum widths.
      int limit = width;
      for (int j = end - 1; j >= start; --j) {
        TBand& b = *FBands[j];
        if (b.Parent) break;
        b.PlacedX = std::max(0, std::min(b.PlacedX, limit - b.PlacedWidth));
        limit = b.PlacedX;
      }
      int x = 0;
      for (int j = start; j < end; ++j) {
        TBand& b = *FBands[j];
        b.PlacedX = std::max(b.PlacedX, x);
        x = b.PlacedX + b.PlacedWidth;
      }
      // Only a control with a minimum width is narrowed (down to it); others would vanish.
      // A band alone in its row is narrowed to the client width.
      int excess = x - width;
      const bool alone = end - start == 1;
      for (int j = end - 1; j >= start && excess > 0; --j) {
        TBand& b = *FBands[j];
        if (!b.Control) continue;
        const int minWidth = b.Control->GetConstraints()->GetMinWidth();
        if (minWidth <= 0 && !alone) continue;
        // Down to the minimum width; a control without one keeps a pixel.
        const int minimum = std::max(minWidth, 1) + b.Insets.Left + b.Insets.Right;
        const int cut = std::min(excess, std::max(0, b.PlacedWidth - minimum));
        b.PlacedWidth -= cut;
        excess -= cut;
        for (int k = j + 1; k < end; ++k) FBands[k]->PlacedX -= cut;
        for (int k = j; k < end; ++k) FBands[k]->PlacedX = std::max(0, FBands[k]->PlacedX);
      }
      if (excess > 0 && end - start > 1) {
        FBands[end - 1]->TempBreak = true;
        return false;
      }
    }
    y += rowHeight;
    ++row;
    start = end;
  }
  return true;
}

void TSeCustomControlBar::ApplyBounds(bool aligning) {
  bool changed = aligning;
  for (const auto& band : FBands) {
    TBand& b = *band;
    if (!b.Control || !b.Visible) continue;
    int bottom = b.PlacedY + b.Height;
    for (TBand* p = b.NextPlaceholder; p; p = p->NextPlaceholder) bottom = p->PlacedY + p->Height;
    const TRect r(b.PlacedX + b.Insets.Left, b.PlacedY + b.Insets.Top,
                  b.PlacedX + b.PlacedWidth - b.Insets.Right, bottom - b.Insets.Bottom);
    if (r == b.Control->GetBoundsRect()) continue;
    b.Control->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
    changed = true;
  }
  if (changed) {
    Invalidate();
    AdjustSize();
  }
}

void TSeCustomControlBar::AlignControls(TControl* control, TRect&) {
  if (FAligning || GetComponentState().Contains(csDestroying)) return;
  FAligning = true;
  try {
    // A band that left changes the bar's extent even when no other band moves.
    const bool left = Rebuild(control);
    if (!FBands.empty()) {
      for (auto& b : FBands) b->TempBreak = b->Break;
      // Each pass that overflows sends one band to a new row: at most one pass per band.
      const size_t passes = FBands.size() + 1;
      for (size_t pass = 0; pass < passes; ++pass)
        if (LayoutPass()) break;
      ApplyBounds(control != nullptr || left);
    }
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

void TSeCustomControlBar::Relayout() {
  TRect r = GetClientRect();
  AlignControls(nullptr, r);
}

bool TSeCustomControlBar::CanAutoSize(int& newWidth, int& newHeight) {
  if (!HandleAllocated()) return false;
  if (GetComponentState().Contains(csDesigning) && GetControlCount() == 0) return true;
  int extent = 0;
  const bool sideways = GetAlign() == alLeft || GetAlign() == alRight;
  for (const auto& band : FBands) {
    const TBand& b = *band;
    if (!b.Control || !b.Visible) continue;
    if (sideways) {
      extent = std::max(extent, b.PlacedX + b.Control->GetWidth() + b.Insets.Left + b.Insets.Right);
    } else {
      int bottom = b.PlacedY + b.Height;
      for (TBand* p = b.NextPlaceholder; p; p = p->NextPlaceholder) bottom = p->PlacedY + p->Height;
      extent = std::max(extent, bottom);
    }
  }
  if (sideways)
    newWidth = extent + GetWidth() - GetClientWidth();
  else
    newHeight = extent + GetHeight() - GetClientHeight();
  return true;
}

void TSeCustomControlBar::StickControls() {
  for (const auto& band : FBands) {
    TBand& b = *band;
    if (b.Parent) {
      const TBand* above = b.Parent;
      for (const TBand* p = b.Parent; p && p != &b; p = p->NextPlaceholder) above = p;
      b.ReqX = b.Parent->ReqX;
      b.ReqY = above->ReqY + above->Height;
    } else if (b.Control) {
      b.ReqX = b.Control->GetLeft() - b.Insets.Left;
      b.ReqY = b.Control->GetTop() - b.Insets.Top;
      b.Width = b.Control->GetWidth() + b.Insets.Left + b.Insets.Right;
    }
    b.Break = b.TempBreak;
  }
  if (!FBands.empty()) FBands.front()->Break = true;
}

// ---- Queries -----------------------------------------------------------------------------------------

std::vector<TSeCustomControlBar::TBandInfo> TSeCustomControlBar::GetBands() const {
  std::vector<TBandInfo> list;
  for (const auto& band : FBands) {
    const TBand& b = *band;
    if (!b.Visible) continue;
    list.push_back({b.Control, TRect(b.PlacedX, b.PlacedY, b.PlacedX + b.PlacedWidth,
                                     b.PlacedY + b.Height),
                    b.Row, b.Parent ? b.Parent->RowCount : b.RowCount});
  }
  return list;
}

int TSeCustomControlBar::GetRowCountOf(TControl* control) const {
  const TBand* b = BandOf(control);
  return b ? b->RowCount : 0;
}

TControl* TSeCustomControlBar::BandAt(const TPoint& point) const {
  for (const auto& band : FBands) {
    const TBand& b = *band;
    if (!b.Control || !b.Visible) continue;
    TRect r = b.Control->GetBoundsRect();
    r.Left -= b.Insets.Left;
    r.Top -= b.Insets.Top;
    r.Right += b.Insets.Right;
    r.Bottom += b.Insets.Bottom;
    if (PtInRect(r, point)) return b.Control;
  }
  return nullptr;
}

// ---- Events ------------------------------------------------------------------------------------------

void TSeCustomControlBar::DoBandMove(TControl* control, TRect& rect) {
  if (FOnBandMove) FOnBandMove(this, control, rect);
}

void TSeCustomControlBar::DoBandPaint(TControl* control, TCanvas* canvas, TRect& rect,
                                      TBandPaintOptions& options) {
  if (FOnBandPaint) FOnBandPaint(this, control, canvas, rect, options);
}

bool TSeCustomControlBar::DragControl(TControl* control, int, int, bool) {
  bool drag = true;
  if (FOnBandDrag) FOnBandDrag(this, control, drag);
  if (drag) {
    FDragControl = nullptr;
    SetMouseCapture(false);
    control->BeginDrag(true, -1);
  }
  return drag;
}

// ---- Painting ----------------------------------------------------------------------------------------

bool DrawControlBarBackground(TCanvas* canvas, const RECT& whole) {
  if (!UseThemes()) return false;
  const bool drawn = TThemeScope(L"Rebar").DrawBackground(canvas->GetHandle(), 0, 0, whole);
  canvas->Refresh();
  return drawn;
}

void TSeCustomControlBar::PaintBackground() {
  TCanvas* canvas = GetCanvas();
  const RECT whole{0, 0, GetWidth(), GetHeight()};
  if (!DrawControlBarBackground(canvas, whole)) FillRectColor(canvas, TRect(whole), GetColor());
}

void TSeCustomControlBar::PaintFace() {
  const std::weak_ptr<int> alive = GetLifeToken();
  PaintBackground();
  if (FOnPaint) {
    FOnPaint(this);
    if (alive.expired()) return;
  }
  TCanvas* canvas = GetCanvas();
  for (const auto& band : FBands) {
    if (!band->Control || !band->Visible) continue;
    TRect r = band->Control->GetBoundsRect();
    r.Left -= band->Insets.Left;
    r.Top -= band->Insets.Top;
    r.Right += band->Insets.Right;
    r.Bottom += band->Insets.Bottom;
    PaintControlFrame(canvas, band->Control, r);
  }
}

void TSeCustomControlBar::PaintControlFrame(TCanvas* canvas, TControl* control, TRect& rect) {
  TBandPaintOptions options{bpoGrabber, bpoFrame};
  DoBandPaint(control, canvas, rect, options);
  HDC dc = canvas->GetHandle();
  if (options.Contains(bpoFrame)) {
    RECT r = rect;
    ::DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  }
  if (!options.Contains(bpoGrabber)) return;
  if (UseThemes()) {
    const RECT grip{rect.Left + 2, rect.Top + 2, rect.Left + 8, rect.Bottom - 2};
    const bool drawn = TThemeScope(L"Rebar").DrawBackground(dc, 1, 1, grip);
    canvas->Refresh();
    if (drawn) return;
  }
  for (int i = 0; i < 2; ++i) {
    const int left = rect.Left + 3 + 3 * i;
    DrawFrameLines(canvas, TRect(left, rect.Top + 2, left + 2, rect.Bottom - 3), clBtnHighlight,
                   clBtnShadow);
  }
}

// ---- Mouse and keys ------------------------------------------------------------------------------------

void TSeCustomControlBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseDown(button, shift, x, y);
  if (alive.expired() || button != mbLeft || !GetMouseCapture()) return;
  // The list is made afresh from the controls as they stand.
  FreeBands();
  FDragControl = nullptr;
  FLastDragControl = nullptr;
  Relayout();
  TControl* control = BandAt(TPoint(x, y));
  if (!control) return;
  if (shift.Contains(ssDouble) && !GetComponentState().Contains(csDesigning) &&
      DragControl(control, x, y, false))
    return;
  FDragControl = control;
  if (control != FLastDragControl)
    StickControls();
  else
    FLastDragControl = nullptr;
  const TBand* band = BandOf(control);
  FDragOffset = TPoint(band->PlacedX - x, band->PlacedY - y);
  FDragPos = TPoint(band->PlacedX, band->PlacedY);
}

void TSeCustomControlBar::MouseMove(TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseMove(shift, x, y);
  if (alive.expired() || !FDragControl || !GetMouseCapture()) return;
  TBand* band = BandOf(FDragControl);
  if (!band) {
    FDragControl = nullptr;
    return;
  }
  FDragPos = TPoint(x + FDragOffset.X, y + FDragOffset.Y);
  band->ReqX = band->PlacedX = FDragPos.X;
  band->ReqY = band->PlacedY = FDragPos.Y;
  band->Width = FDragControl->GetWidth() + band->Insets.Left + band->Insets.Right;
  TControl* dragged = FDragControl;
  if (!GetComponentState().Contains(csDesigning) && FAutoDrag) {
    const int h = dragged->GetHeight();
    const bool inside = FDragPos.X >= -h && FDragPos.X <= GetClientWidth() + h &&
                        FDragPos.Y >= -h && FDragPos.Y <= GetClientHeight() + h;
    if (!inside && DragControl(dragged, x, y, true)) return;
  }
  TRect r = GetClientRect();
  AlignControls(dragged, r);
}

void TSeCustomControlBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (TControl* dragged = std::exchange(FDragControl, nullptr)) {
    if (dragged != FLastDragControl) {
      StickControls();
      FLastDragControl = dragged;
    } else {
      FLastDragControl = nullptr;
    }
  }
  inherited::MouseUp(button, shift, x, y);
}

void TSeCustomControlBar::ControlRemoved(TControl* control) {
  if (control == FDragControl) FDragControl = nullptr;
  if (control == FLastDragControl) FLastDragControl = nullptr;
  RemoveBand(BandOf(control));
  if (GetAutoSize()) AdjustSize();
  Invalidate();
}

void TSeCustomControlBar::DockOver(TDragDockObject* source, int x, int y, TDragState state,
                                   bool& accept) {
  inherited::DockOver(source, x, y, state, accept);
  if (!FAutoDrag || !accept || state != dsDragEnter || !FAutoDock || !source) return;
  TControl* control = source->GetControl();
  if (!control || !control->GetFloating() || !HandleAllocated()) return;
  // A floating control taken back: its band goes on being dragged inside the bar.
  FDragControl = control;
  control->EndDrag(true);
  FDockPressPending = true;
  ::PostMessageW(GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(control->GetLeft(), control->GetTop()));
}

void TSeCustomControlBar::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_CONTROLCHANGE:
      if (!message.LParam && !GetComponentState().Contains(csDestroying))
        ControlRemoved(reinterpret_cast<TControl*>(message.WParam));
      break;
    case WM_LBUTTONDOWN:
      if (std::exchange(FDockPressPending, false)) {
        // The press was posted: it counts only while the button is still held.
        const int key = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
        if (::GetAsyncKeyState(key) >= 0) {
          FDragControl = nullptr;
          message.Result = 0;
          return;
        }
      }
      break;
    case CN_KEYDOWN:
      inherited::Dispatch(message);
      if (message.WParam == VK_CONTROL && FDragControl && FAutoDrag &&
          !GetComponentState().Contains(csDesigning)) {
        POINT p{};
        ::GetCursorPos(&p);
        ::ScreenToClient(GetHandle(), &p);
        DragControl(FDragControl, p.x, p.y, true);
      }
      return;
    case CM_DESIGNHITTEST: {
      const TPoint p(static_cast<int16_t>(LOWORD(message.LParam)),
                     static_cast<int16_t>(HIWORD(message.LParam)));
      message.Result = FDragControl || BandAt(p) ? 1 : 0;
      return;
    }
    default: break;
  }
  inherited::Dispatch(message);
}
