#include "SkinTabLayout.h"

#include <algorithm>
#include <climits>

#include "classlib/system/SysMath.h"

int TSeTabGeometry::TabSideMargin() const {
  switch (Position) {
    case tpBottom: return MarginBottom;
    case tpLeft: return MarginLeft;
    case tpRight: return MarginRight;
    default: return MarginTop;
  }
}

void TSeTabGeometry::LayoutRows() {
  Rows.clear();
  const int n = Count();
  if (n == 0) return;
  const int length = (Horizontal() ? Width : Height) - MarginLeft - MarginRight;
  // Each tab of a row gets an equal share of the room left (a negative one when a single tab
  // is longer than the strip, which shrinks it to the strip's length), the last tab the rest.
  // The last row, when it took the tabs beyond the table, is only ever widened: shrunk, its
  // tabs could get negative widths.
  auto close = [&](int last, int start, long long running, bool crowded) {
    TSeTabRow row;
    row.LastTab = last;
    const int tabs = last - start + 1;
    const int room = static_cast<int>(std::clamp<long long>(length - running, INT_MIN, INT_MAX));
    if (tabs > 0 && (room > 0 || !crowded)) {
      row.Extra = Div(room, tabs);
      row.Remainder = room - tabs * row.Extra;
    }
    Rows.push_back(row);
  };
  long long running = Widths[0];
  int start = 0;
  bool crowded = false;
  for (int i = 1; i < n; ++i) {
    if (running + Widths[i] < length) {
      running += Widths[i];
    } else if (static_cast<int>(Rows.size()) < MaxTabRows - 1) {
      close(i - 1, start, running, false);
      start = i;
      running = Widths[i];
    } else {
      // The last row takes every tab that would need a row beyond the table.
      running += Widths[i];
      crowded = true;
    }
  }
  close(n - 1, start, running, crowded);
}

int TSeTabGeometry::EffectiveRows() const {
  if (Count() == 0) return 0;
  return MultiLine ? std::max(1, static_cast<int>(Rows.size())) : 1;
}

int TSeTabGeometry::RowLast(int row) const {
  if (!MultiLine || Rows.empty()) return Count() - 1;
  return Rows[std::clamp(row, 0, static_cast<int>(Rows.size()) - 1)].LastTab;
}

int TSeTabGeometry::RowOf(int index) const {
  if (EffectiveRows() == 0) return -1;
  if (!MultiLine || Rows.size() <= 1) return 0;
  for (int r = 0; r < static_cast<int>(Rows.size()); ++r)
    if (index >= RowFirst(r) && index <= Rows[r].LastTab) return r;
  return 0;
}

int TSeTabGeometry::SelectedRow() const { return std::max(0, RowOf(TabIndex)); }

int TSeTabGeometry::EffectiveWidth(int index) const {
  if (index < 0 || index >= Count()) return 0;
  int w = Widths[index];
  if (MultiLine && !RaggedRight && !FixedWidth && !Rows.empty()) {
    const TSeTabRow& row = Rows[RowOf(index)];
    w += row.Extra;
    if (index == row.LastTab) w += row.Remainder;
  }
  return w;
}

int TSeTabGeometry::StripThickness() const {
  const int n = EffectiveRows();
  if (n == 0) return 0;
  const int rows = MultiLine && ScrollOpposite ? n - SelectedRow() : n;
  return TabHeight * rows + TabSideMargin();
}

int TSeTabGeometry::OppositeThickness() const {
  if (Count() == 0 || !MultiLine || !ScrollOpposite) return 0;
  return SelectedRow() * TabHeight;
}

TRect TSeTabGeometry::BodyRect() const {
  const int e = StripThickness(), o = OppositeThickness();
  switch (Position) {
    case tpBottom: return TRect(0, o, Width, Height - e);
    case tpLeft: return TRect(e, 0, Width - o, Height);
    case tpRight: return TRect(o, 0, Width - e, Height);
    default: return TRect(0, e, Width, Height - o);
  }
}

int TSeTabGeometry::RowOffset(int row) const {
  const int s = SelectedRow(), n = EffectiveRows();
  int rows;
  if (MultiLine && ScrollOpposite)
    rows = s > row ? s - row : row - s + 1;
  else
    rows = s > row ? row + n - s + 1 : row - s + 1;
  return rows * TabHeight;
}

bool TSeTabGeometry::OnOppositeSide(int index) const {
  return MultiLine && ScrollOpposite && RowOf(index) < SelectedRow();
}

TTabPosition TSeTabGeometry::SideOf(int index) const {
  if (!OnOppositeSide(index)) return Position;
  switch (Position) {
    case tpTop: return tpBottom;
    case tpBottom: return tpTop;
    case tpLeft: return tpRight;
    default: return tpLeft;
  }
}

TRect TSeTabGeometry::TabRect(int index) const {
  if (index < 0 || index >= Count()) return TRect();
  long long o = 0;
  if (MultiLine) {
    for (int i = RowFirst(RowOf(index)); i < index; ++i) o += EffectiveWidth(i);
  } else if (index >= FirstVisible) {
    for (int i = std::max(0, FirstVisible); i < index; ++i) o += Widths[i];
  } else {
    for (int i = index; i < FirstVisible && i < Count(); ++i) o -= Widths[i];
  }
  const bool opposite = OnOppositeSide(index);
  const int e = opposite ? OppositeThickness() : StripThickness();
  const int d = e - RowOffset(RowOf(index));
  const int w = EffectiveWidth(index);
  const int along = static_cast<int>(std::clamp<long long>(o, -(1LL << 30), 1LL << 30));
  switch (SideOf(index)) {
    case tpBottom: {
      const int left = along + MarginLeft;
      return TRect(left, Height - e - MarginBottom, left + w, Height - d);
    }
    case tpLeft: {
      const int top = along + MarginTop;
      return TRect(d, top, e + MarginLeft, top + w);
    }
    case tpRight: {
      const int top = along + MarginTop;
      return TRect(Width - e - MarginRight, top, Width - d, top + w);
    }
    default: {
      const int left = along + MarginLeft;
      return TRect(left, d, left + w, e + MarginTop);
    }
  }
}

bool TSeTabGeometry::ScrollButtonsShow() const {
  if (!Horizontal() || Count() < 2 || MultiLine) return false;
  return FirstVisible > 0 || TabRect(Count() - 1).Right > Width;
}

TRect TSeTabGeometry::LeftButtonRect() const {
  const int s = ButtonSize;
  // Beside the row next to the body; a button taller than the row stays inside the control
  // instead of being cut off at its edge.
  const int y = Position == tpTop ? std::max(0, StripThickness() - s - MarginTop)
                                  : std::min(Height - s, Height - StripThickness() + MarginBottom);
  return TRect(Width - 2 * s, y, Width - s, y + s);
}

TRect TSeTabGeometry::RightButtonRect() const {
  TRect r = LeftButtonRect();
  return TRect(r.Right, r.Top, r.Right + ButtonSize, r.Bottom);
}

int TSeTabGeometry::LastVisibleTab(bool strict) const {
  const int n = Count();
  if (n == 0) return -1;
  const int first = std::clamp(FirstVisible, 0, n - 1);
  const long long length =
      (Horizontal() ? Width - MarginLeft - MarginRight : Height - MarginTop - MarginBottom);
  long long sum = 0;
  int i = first;
  while (i < n && sum + Widths[i] <= length) sum += Widths[i++];
  int last = i < n ? i : n - 1;  // the next tab shows in part
  if (strict) {
    const bool buttons = ScrollButtonsShow();
    const TRect left = LeftButtonRect();
    while (last > first) {
      const TRect r = TabRect(last);
      const bool beyond = (Horizontal() ? r.Right > Width : r.Bottom > Height);
      const bool overButton = buttons && r.Right > left.Left;
      if (!beyond && !overButton) break;
      --last;
    }
  }
  return last;
}

int TSeTabGeometry::TabAtPos(int x, int y) const {
  const int n = Count();
  if (n == 0) return -1;
  const TPoint p(x, y);
  if (ScrollButtonsShow()) {
    const int e = StripThickness(), s = ButtonSize;
    const TRect zone = Position == tpTop ? TRect(Width - 2 * s, 0, Width, e)
                                         : TRect(Width - 2 * s, Height - e, Width, Height);
    if (PtInRect(zone, p)) return -1;
  }
  if (TabIndex >= 0 && TabIndex < n && PtInRect(TabRect(TabIndex), p)) return TabIndex;
  if (!MultiLine) {
    const int last = LastVisibleTab(false);
    for (int i = std::clamp(FirstVisible, 0, n - 1); i <= last; ++i) {
      TRect r = TabRect(i);
      if (Position == tpTop) r.Bottom -= MarginTop;
      if (Position == tpBottom) r.Top += MarginBottom;
      if (PtInRect(r, p)) return i;
    }
    return -1;
  }
  const int rows = EffectiveRows(), s = SelectedRow();
  std::vector<int> order;
  if (ScrollOpposite)
    for (int r = s - 1; r >= 0; --r) order.push_back(r);
  for (int r = s; r < rows; ++r) order.push_back(r);
  if (!ScrollOpposite)
    for (int r = 0; r < s; ++r) order.push_back(r);
  for (int r : order)
    for (int i = RowFirst(r); i <= RowLast(r); ++i)
      if (PtInRect(TabRect(i), p)) return i;
  return -1;
}

std::vector<int> TSeTabGeometry::DrawRowOrder() const {
  std::vector<int> order;
  const int rows = EffectiveRows(), s = SelectedRow();
  if (!ScrollOpposite)
    for (int r = s - 1; r >= 0; --r) order.push_back(r);
  for (int r = rows - 1; r >= s; --r) order.push_back(r);
  if (ScrollOpposite)
    for (int r = 0; r < s; ++r) order.push_back(r);
  return order;
}
