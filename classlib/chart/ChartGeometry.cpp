// The chart control's arithmetic.
#include "ChartGeometry.h"

#include <algorithm>
#include <cmath>
#include <string_view>

TAxisScale NiceAxisScale(double maxValue) {
  TAxisScale scale;
  if (!(maxValue > 0) || !std::isfinite(maxValue)) return scale;
  // The smallest step of 1, 2 or 5 times a power of ten that needs at most ten lines.
  const double raw = maxValue / 10;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = power * 10;
  for (double factor : {1.0, 2.0, 5.0}) {
    if (power * factor >= raw) {
      step = power * factor;
      break;
    }
  }
  scale.Increment = step;
  scale.Maximum = std::ceil(maxValue / step - 1e-9) * step;
  if (scale.Maximum < maxValue) scale.Maximum += step;
  return scale;
}

int ValueToPixel(double value, const TAxisScale& scale, int bottom, int height) {
  if (!(value > 0)) value = 0;
  if (value > scale.Maximum) value = scale.Maximum;
  return bottom - static_cast<int>(std::lround(value * height / scale.Maximum));
}

TRect BarRect(const TRect& plot, const TAxisScale& scale, int pointIndex, int pointCount,
              int seriesIndex, int seriesCount, double value) {
  if (pointCount < 1 || seriesCount < 1 || pointIndex < 0 || pointIndex >= pointCount ||
      seriesIndex < 0 || seriesIndex >= seriesCount)
    return TRect{};
  const int plotWidth = plot.Right - plot.Left;
  // Each slot keeps a fifth of its width free on either side: bars of neighbouring
  // points do not touch.
  const int slotLeft = plot.Left + static_cast<int>(int64_t(plotWidth) * pointIndex / pointCount);
  const int slotRight =
      plot.Left + static_cast<int>(int64_t(plotWidth) * (pointIndex + 1) / pointCount);
  const int slotWidth = slotRight - slotLeft;
  const int margin = slotWidth / 5;
  const int barsWidth = slotWidth - 2 * margin;
  if (barsWidth < seriesCount) return TRect{};
  const int left = slotLeft + margin + barsWidth * seriesIndex / seriesCount;
  const int right = slotLeft + margin + barsWidth * (seriesIndex + 1) / seriesCount;
  const int height = plot.Bottom - plot.Top;
  return TRect{left, ValueToPixel(value, scale, plot.Bottom, height), right, plot.Bottom};
}

std::vector<TPieSlice> PieSlices(const std::vector<double>& values) {
  std::vector<TPieSlice> slices(values.size());
  double total = 0;
  for (double v : values)
    if (v > 0) total += v;
  if (!(total > 0)) return slices;
  double start = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    const double v = values[i] > 0 ? values[i] : 0;
    slices[i].StartAngle = start;
    slices[i].SweepAngle = v * 360.0 / total;
    start += slices[i].SweepAngle;
  }
  return slices;
}

void SpreadMarks(std::vector<TRect>& marks, int top, int bottom, int gap) {
  std::vector<TRect*> column;
  column.reserve(marks.size());
  for (TRect& mark : marks) column.push_back(&mark);
  std::stable_sort(column.begin(), column.end(), [](const TRect* a, const TRect* b) { return a->Top < b->Top; });
  auto moveTo = [](TRect& r, int newTop) {
    r.Bottom += newTop - r.Top;
    r.Top = newTop;
  };
  auto pushDown = [&] {
    for (size_t k = 1; k < column.size(); ++k)
      if (column[k]->Top < column[k - 1]->Bottom + gap) moveTo(*column[k], column[k - 1]->Bottom + gap);
  };
  pushDown();
  if (column.empty() || column.back()->Bottom <= bottom) return;
  // Up from the bottom, each as little as the one below it needs.
  moveTo(*column.back(), bottom - (column.back()->Bottom - column.back()->Top));
  for (size_t k = column.size() - 1; k-- > 0;) {
    const int limit = column[k + 1]->Top - gap;
    if (column[k]->Bottom > limit) moveTo(*column[k], limit - (column[k]->Bottom - column[k]->Top));
  }
  if (column.front()->Top >= top) return;
  // Taller than the room: from the top down, past the bottom.
  moveTo(*column.front(), top);
  pushDown();
}

void LiftMarks(std::vector<TRect>& marks, int top, int gap) {
  auto meets = [gap](const TRect& a, const TRect& b) {
    return a.Left < b.Right + gap && b.Left < a.Right + gap && a.Top < b.Bottom + gap && b.Top < a.Bottom + gap;
  };
  auto empty = [](const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; };
  for (size_t i = 0; i < marks.size(); ++i) {
    TRect& mark = marks[i];
    if (empty(mark)) continue;
    // Each move goes above the top of another earlier mark, so i moves are the most.
    for (size_t moves = 0; moves <= i; ++moves) {
      const TRect* blocker = nullptr;
      for (size_t j = 0; j < i && !blocker; ++j)
        if (!empty(marks[j]) && meets(mark, marks[j])) blocker = &marks[j];
      if (!blocker) break;
      const int height = mark.Bottom - mark.Top;
      mark.Bottom = blocker->Top - gap;
      mark.Top = mark.Bottom - height;
    }
    if (mark.Top < top) mark = TRect{};
  }
}

std::vector<String> WrapLabel(const String& text, int width, int maxLines,
                              const std::function<int(const String&)>& measure) {
  std::vector<String> lines;
  maxLines = std::max(1, maxLines);
  size_t start = 0;
  while (start < text.size()) {
    // The longest run from start that fits, one character at least.
    size_t end = start + 1;
    while (end < text.size() && measure(text.substr(start, end + 1 - start)) <= width) ++end;
    // A pause or stop mark does not begin a line: the character before it goes along.
    if (end < text.size() && end - start > 1 && std::wstring_view(L"、，。；：！？）》」』").find(text[end]) != std::wstring_view::npos)
      --end;
    if (static_cast<int>(lines.size()) + 1 == maxLines && end < text.size()) {
      // The last line there is room for: as much as fits before the ellipsis.
      String line = text.substr(start, end - start);
      while (!line.empty() && measure(line + L"…") > width) line.pop_back();
      lines.push_back(line + L"…");
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

int PercentOf(double value, double total) {
  if (!(total > 0) || !(value > 0)) return 0;
  return static_cast<int>(std::lround(value * 100.0 / total));
}

void SplitLegend(const TRect& area, TLegendAlignment alignment, int legendSize, TRect& legend,
                 TRect& rest) {
  legend = area;
  rest = area;
  const int width = area.Right - area.Left;
  const int height = area.Bottom - area.Top;
  switch (alignment) {
    case laLeft:
      legendSize = std::clamp(legendSize, 0, width / 2);
      legend.Right = area.Left + legendSize;
      rest.Left = legend.Right;
      break;
    case laRight:
      legendSize = std::clamp(legendSize, 0, width / 2);
      legend.Left = area.Right - legendSize;
      rest.Right = legend.Left;
      break;
    case laTop:
      legendSize = std::clamp(legendSize, 0, height / 2);
      legend.Bottom = area.Top + legendSize;
      rest.Top = legend.Bottom;
      break;
    case laBottom:
      legendSize = std::clamp(legendSize, 0, height / 2);
      legend.Top = area.Bottom - legendSize;
      rest.Bottom = legend.Top;
      break;
  }
}
