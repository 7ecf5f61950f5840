// The chart control: its series, its layout and its drawing, printing and saving.
#include "Chart.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#include "../classes/Properties.h"
#include "../graphics/Bitmap.h"
#include "../stdctrls/Printers.h"
#include "../system/SysFormat.h"

namespace {

constexpr int kMargin = 8;       // free border inside the chart
constexpr int kSwatch = 12;      // side of a legend entry's colour box
constexpr int kLegendGap = 6;    // space between legend parts
constexpr int kMaxLegendItems = 1000;  // entries beyond this are not laid out
constexpr int kLabelGap = 2;     // least space between the labels of neighbouring slots
constexpr int kMarkGap = 3;      // least space between two value marks of bars

// A colour's RGB scaled toward black (factor below 1) for the shaded 3-D faces.
TColor Shaded(TColor color, double factor) {
  const COLORREF rgb = ColorToRGB(color);
  auto part = [factor](int v) { return std::clamp(static_cast<int>(v * factor), 0, 255); };
  return ColorFromInt(RGB(part(GetRValue(rgb)), part(GetGValue(rgb)), part(GetBValue(rgb))));
}

// The text of a value: whole numbers without decimals.
String ValueText(double value) {
  if (std::isfinite(value) && std::fabs(value) < 1e15 && value == std::floor(value))
    return IntToStr(static_cast<int64_t>(value));
  return FloatToStr(value);
}

// A point on the ellipse of rect at angle degrees (counter-clockwise from three o'clock).
TPoint EllipsePoint(const TRect& rect, double degrees, int extra = 0) {
  const double radians = degrees * std::numbers::pi / 180;
  const double cx = (rect.Left + rect.Right) / 2.0;
  const double cy = (rect.Top + rect.Bottom) / 2.0;
  const double rx = (rect.Right - rect.Left) / 2.0 + extra;
  const double ry = (rect.Bottom - rect.Top) / 2.0 + extra;
  return TPoint{static_cast<int>(std::lround(cx + rx * std::cos(radians))),
                static_cast<int>(std::lround(cy - ry * std::sin(radians)))};
}

// A font like the canvas's, turned 90 degrees to write upward; the caller deletes it.
HFONT UpwardFont(TCanvas& canvas) {
  LOGFONTW lf{};
  ::GetObjectW(canvas.GetFont()->GetHandle(), sizeof lf, &lf);
  lf.lfEscapement = 900;
  lf.lfOrientation = 900;
  return ::CreateFontIndirectW(&lf);
}

void FillPolygon(TCanvas& canvas, std::span<const TPoint> points, TColor color) {
  canvas.GetBrush()->SetColor(color);
  canvas.GetPen()->SetColor(Shaded(color, 0.5));
  canvas.Polygon(points);
}

}  // namespace

// ---- Series ------------------------------------------------------------------------------------------

TChartSeries::TChartSeries(TComponent* owner) : TComponent(owner) {}

TChartSeries::~TChartSeries() { SetParentChart(nullptr); }

void TChartSeries::SetParentChart(TDBChart* value) {
  if (value == FParentChart) return;
  if (FParentChart) FParentChart->RemoveSeries(this);
  FParentChart = value;
  if (FParentChart) FParentChart->AddSeries(this);
}

void TChartSeries::SetTitle(const String& value) {
  FTitle = value;
  Changed();
}

void TChartSeries::SetSeriesColor(TColor value) {
  FSeriesColor = value;
  Changed();
}

void TChartSeries::SetMarksVisible(bool value) {
  FMarksVisible = value;
  Changed();
}

void TChartSeries::SetMarksStyle(TSeriesMarksStyle value) {
  FMarksStyle = value;
  Changed();
}

int TChartSeries::Add(double value, const String& label, TColor color) {
  FPoints.push_back(TChartPoint{value, label, color});
  Changed();
  return Count() - 1;
}

void TChartSeries::Clear() {
  FPoints.clear();
  Changed();
}

TColor TChartSeries::PointColor(int index) const {
  const TColor color = Point(index).Color;
  return color == clDefault ? FSeriesColor : color;
}

double TChartSeries::MaxValue() const {
  double result = 0;
  for (const TChartPoint& p : FPoints) result = std::max(result, p.Value);
  return result;
}

double TChartSeries::Total() const {
  double result = 0;
  for (const TChartPoint& p : FPoints)
    if (p.Value > 0) result += p.Value;
  return result;
}

void TChartSeries::Changed() {
  if (FParentChart) FParentChart->Changed();
}

TPieSeries::TPieSeries(TComponent* owner) : TChartSeries(owner) {
  SetMarksStyle(smsLabelPercent);
}

// ---- The chart -------------------------------------------------------------------------------------

const TPropertyTable* TDBChart::PublishedProperties() {
  using P = TPublish<TDBChart>;
  using C = TDBChart;
  static const TPropertyTable table{
      P::WideText(L"TitleText", &C::GetTitleText, &C::SetTitleText),
      P::Boolean(L"LegendVisible", &C::GetLegendVisible, &C::SetLegendVisible).Default(true),
      P::Boolean(L"View3D", &C::GetView3D, &C::SetView3D).Default(true),
      P::Integer(L"Chart3DPercent", &C::GetChart3DPercent, &C::SetChart3DPercent).Default(15),
      P::WideText(L"LeftAxisTitle", &C::GetLeftAxisTitle, &C::SetLeftAxisTitle),
      P::WideText(L"BottomAxisTitle", &C::GetBottomAxisTitle, &C::SetBottomAxisTitle),
      P::Boolean(L"BottomAxisLabels", &C::GetBottomAxisLabels, &C::SetBottomAxisLabels)
          .Default(true),
      P::Boolean(L"BottomAxisTitleVisible", &C::GetBottomAxisTitleVisible,
                 &C::SetBottomAxisTitleVisible)
          .Default(true),
  };
  return &table;
}

TDBChart::TDBChart(TComponent* owner) : TCustomControl(owner) {
  TControlStyle style = GetControlStyle();
  style.Include(csOpaque);
  style.Include(csAcceptsControls);  // labels may stand on the chart
  SetControlStyle(style);
  SetDoubleBuffered(true);
  SetColor(clWhite);
  SetBounds(GetLeft(), GetTop(), 400, 250);
}

TDBChart::~TDBChart() {
  // The series outlive the chart when their owner frees them later.
  for (TChartSeries* series : FSeries) series->FParentChart = nullptr;
  FSeries.clear();
}

void TDBChart::SetTitleText(const String& value) { FTitleText = value; Changed(); }
void TDBChart::SetLegendVisible(bool value) { FLegendVisible = value; Changed(); }
void TDBChart::SetLegendAlignment(TLegendAlignment value) { FLegendAlignment = value; Changed(); }
void TDBChart::SetView3D(bool value) { FView3D = value; Changed(); }
void TDBChart::SetChart3DPercent(int value) { FChart3DPercent = std::clamp(value, 0, 100); Changed(); }
void TDBChart::SetLeftAxisTitle(const String& value) { FLeftAxisTitle = value; Changed(); }
void TDBChart::SetBottomAxisTitle(const String& value) { FBottomAxisTitle = value; Changed(); }
void TDBChart::SetBottomAxisLabels(bool value) { FBottomAxisLabels = value; Changed(); }
void TDBChart::SetBottomAxisTitleVisible(bool value) { FBottomAxisTitleVisible = value; Changed(); }

void TDBChart::AddSeries(TChartSeries* series) {
  FSeries.push_back(series);
  Changed();
}

void TDBChart::RemoveSeries(TChartSeries* series) {
  std::erase(FSeries, series);
  Changed();
}

void TDBChart::Changed() {
  if (HandleAllocated()) Invalidate();
}

std::vector<TDBChart::TLegendItem> TDBChart::LegendItems() const {
  std::vector<TLegendItem> items;
  for (const TChartSeries* series : FSeries) {
    if (static_cast<int>(items.size()) >= kMaxLegendItems) break;
    items.push_back({series->GetSeriesColor(), series->GetTitle(), ValueText(series->Total())});
  }
  return items;
}

TDBChart::TChartLayout TDBChart::LayoutIn(TCanvas& canvas, const TRect& bounds) {
  TChartLayout layout;
  canvas.GetFont()->Assign(GetFont());
  const int lineHeight = canvas.TextHeight(L"0Ag章");
  TRect area{bounds.Left + kMargin, bounds.Top + kMargin, bounds.Right - kMargin,
             bounds.Bottom - kMargin};
  if (!FTitleText.empty()) {
    layout.Title = TRect{area.Left, area.Top, area.Right, area.Top + lineHeight + 4};
    area.Top = layout.Title.Bottom + 2;
  }

  // The legend: one column beside the chart, or rows above or below it.
  if (FLegendVisible) {
    const std::vector<TLegendItem> items = LegendItems();
    if (!items.empty()) {
      int widest = 0;
      for (const TLegendItem& item : items) {
        int w = kSwatch + kLegendGap + canvas.TextWidth(item.Text);
        if (!item.Value.empty()) w += kLegendGap + canvas.TextWidth(item.Value);
        widest = std::max(widest, w);
      }
      const int itemWidth = widest + 2 * kLegendGap;
      int size;
      if (FLegendAlignment == laLeft || FLegendAlignment == laRight) {
        size = itemWidth + kLegendGap;
      } else {
        const int perRow = std::max(1, (area.Right - area.Left) / std::max(1, itemWidth));
        const int rows = (static_cast<int>(items.size()) + perRow - 1) / perRow;
        size = rows * (lineHeight + 2) + kLegendGap;
      }
      TRect rest;
      SplitLegend(area, FLegendAlignment, size, layout.Legend, rest);
      area = rest;
    }
  }

  layout.Area = area;
  const bool pie = !FSeries.empty() && dynamic_cast<TPieSeries*>(FSeries.front()) != nullptr;
  if (pie) {
    // Room for the marks around the pie; the pie is flattened by the 3-D depth.
    const int width = area.Right - area.Left - 2 * (lineHeight * 4);
    const int height = area.Bottom - area.Top - 2 * (lineHeight + 4);
    const int diameter = std::max(10, std::min(width, height));
    const int cx = (area.Left + area.Right) / 2;
    const int cy = (area.Top + area.Bottom) / 2;
    int ry = diameter / 2;
    if (FView3D) {
      ry = diameter * (100 - FChart3DPercent / 2) / 200;
      layout.Depth = diameter * FChart3DPercent / 400;
    }
    layout.Plot = TRect{cx - diameter / 2, cy - ry - layout.Depth / 2, cx + diameter / 2,
                        cy + ry - layout.Depth / 2};
    return layout;
  }

  double maxValue = 0;
  int pointCount = 0;
  for (const TChartSeries* series : FSeries) {
    maxValue = std::max(maxValue, series->MaxValue());
    pointCount = std::max(pointCount, series->Count());
  }
  layout.Scale = NiceAxisScale(maxValue);
  int left = canvas.TextWidth(ValueText(layout.Scale.Maximum)) + 8;
  if (!FLeftAxisTitle.empty()) left += lineHeight + 4;
  int bottom = 4;
  if (FBottomAxisTitleVisible && !FBottomAxisTitle.empty()) bottom += lineHeight + 4;
  TRect plot{area.Left + left, area.Top + lineHeight + 4, area.Right - 4, area.Bottom - bottom};
  if (FView3D && pointCount > 0) {
    const int slot = (plot.Right - plot.Left) / pointCount;
    const int limit = std::min(plot.Right - plot.Left, plot.Bottom - plot.Top) / 6;
    // Half the percent of a slot, and never deeper than 20 pixels: deep boxes hide their
    // neighbours.
    layout.Depth = std::clamp(slot * FChart3DPercent / 200, 1, std::clamp(limit, 1, 20));
    plot.Right -= layout.Depth;
    plot.Top += layout.Depth;
  }
  plot.Right = std::max(plot.Right, plot.Left + 1);
  if (FBottomAxisLabels) {
    // The labels take as many lines as the tallest of them needs in its slot, and never
    // more than half the plot's height.
    layout.Plot = plot;
    const int maxLines = std::max(1, (plot.Bottom - plot.Top) / 2 / std::max(1, lineHeight));
    const int width = LabelWidth(layout);
    const auto measure = [&canvas](const String& text) { return canvas.TextWidth(text); };
    size_t lines = 1;
    if (!FSeries.empty() && width > 0)
      for (int i = 0; i < FSeries.front()->Count(); ++i)
        lines = std::max(lines, WrapLabel(FSeries.front()->Point(i).Label, width, maxLines, measure).size());
    layout.LabelLines = static_cast<int>(lines);
    plot.Bottom -= layout.LabelLines * lineHeight + 4;
  }
  plot.Bottom = std::max(plot.Bottom, plot.Top + 1);
  layout.Plot = plot;
  return layout;
}

void TDBChart::DrawLegend(TCanvas& canvas, const TRect& r) {
  const std::vector<TLegendItem> items = LegendItems();
  if (items.empty() || r.Right <= r.Left) return;
  const int lineHeight = canvas.TextHeight(L"0Ag章");
  int widest = 0;
  int widestValue = 0;
  for (const TLegendItem& item : items) {
    widest = std::max(widest, kSwatch + kLegendGap + canvas.TextWidth(item.Text));
    widestValue = std::max(widestValue, canvas.TextWidth(item.Value));
  }
  const int itemWidth = widest + (widestValue ? kLegendGap + widestValue : 0) + 2 * kLegendGap;
  const bool column = FLegendAlignment == laLeft || FLegendAlignment == laRight;
  const int perRow = column ? 1 : std::max(1, (r.Right - r.Left) / std::max(1, itemWidth));
  const int rows = (static_cast<int>(items.size()) + perRow - 1) / perRow;
  const int usedWidth = std::min(r.Right - r.Left, perRow * itemWidth);
  const int x0 = r.Left + (r.Right - r.Left - usedWidth) / 2;
  const TRect frame{x0, r.Top + 2, x0 + usedWidth,
                    std::min(r.Bottom, r.Top + 4 + rows * (lineHeight + 2))};
  canvas.GetBrush()->SetColor(clWhite);
  canvas.GetPen()->SetColor(clBlack);
  canvas.Rectangle(frame);
  for (size_t i = 0; i < items.size(); ++i) {
    const int row = static_cast<int>(i) / perRow;
    const int col = static_cast<int>(i) % perRow;
    const int x = x0 + col * itemWidth + kLegendGap;
    const int y = frame.Top + 2 + row * (lineHeight + 2);
    if (y + lineHeight > frame.Bottom) break;
    canvas.GetBrush()->SetColor(items[i].Color);
    canvas.Rectangle(x, y + (lineHeight - kSwatch) / 2, x + kSwatch,
                     y + (lineHeight - kSwatch) / 2 + kSwatch);
    canvas.GetBrush()->SetStyle(bsClear);
    canvas.TextOut(x + kSwatch + kLegendGap, y, items[i].Text);
    if (!items[i].Value.empty()) {
      // The value on the right of the entry.
      const int right = x + itemWidth - 2 * kLegendGap;
      canvas.TextOut(right - canvas.TextWidth(items[i].Value), y, items[i].Value);
    }
    canvas.GetBrush()->SetStyle(bsSolid);
  }
}

void TDBChart::DrawAxes(TCanvas& canvas, const TChartLayout& layout) {
  const TRect& p = layout.Plot;
  const int d = layout.Depth;
  const int lineHeight = canvas.TextHeight(L"0Ag章");
  // The back wall (offset by the depth in 3-D) with its grid lines.
  canvas.GetBrush()->SetColor(clWhite);
  canvas.GetPen()->SetColor(clGray);
  canvas.Rectangle(p.Left + d, p.Top - d, p.Right + d + 1, p.Bottom - d + 1);
  canvas.GetBrush()->SetStyle(bsClear);
  const int steps = static_cast<int>(std::lround(layout.Scale.Maximum / layout.Scale.Increment));
  for (int k = 0; k <= steps && k <= 100; ++k) {
    const double value = k * layout.Scale.Increment;
    const int y = ValueToPixel(value, layout.Scale, p.Bottom, p.Bottom - p.Top);
    canvas.GetPen()->SetColor(clSilver);
    canvas.MoveTo(p.Left + d, y - d);
    canvas.LineTo(p.Right + d, y - d);
    const String text = ValueText(value);
    canvas.TextOut(p.Left - 4 - canvas.TextWidth(text), y - lineHeight / 2, text);
  }
  // The floor and the left wall of the 3-D box.
  canvas.GetPen()->SetColor(clBlack);
  const TPoint floor[] = {{p.Left, p.Bottom}, {p.Right, p.Bottom}, {p.Right + d, p.Bottom - d},
                          {p.Left + d, p.Bottom - d}};
  canvas.Polygon(floor);
  canvas.MoveTo(p.Left, p.Top);
  canvas.LineTo(p.Left, p.Bottom);
  if (d > 0) {
    canvas.MoveTo(p.Left, p.Top);
    canvas.LineTo(p.Left + d, p.Top - d);
  }
  if (!FLeftAxisTitle.empty()) {
    const int x = p.Left - 8 - canvas.TextWidth(ValueText(layout.Scale.Maximum)) - lineHeight;
    const int y = (p.Top + p.Bottom) / 2 + canvas.TextWidth(FLeftAxisTitle) / 2;
    HFONT upward = UpwardFont(canvas);
    HDC dc = canvas.GetHandle();
    HGDIOBJ old = ::SelectObject(dc, upward);
    ::TextOutW(dc, x, y, FLeftAxisTitle.c_str(), static_cast<int>(FLeftAxisTitle.size()));
    ::SelectObject(dc, old);
    ::DeleteObject(upward);
  }
  for (const TChartText& label : AxisLabels(canvas, layout))
    for (size_t k = 0; k < label.Lines.size(); ++k)
      canvas.TextOut((label.Rect.Left + label.Rect.Right - canvas.TextWidth(label.Lines[k])) / 2,
                     label.Rect.Top + static_cast<int>(k) * lineHeight, label.Lines[k]);
  int labelsBottom = p.Bottom + 4;
  if (FBottomAxisLabels) labelsBottom += layout.LabelLines * lineHeight + 4;
  if (FBottomAxisTitleVisible && !FBottomAxisTitle.empty())
    canvas.TextOut((p.Left + p.Right - canvas.TextWidth(FBottomAxisTitle)) / 2, labelsBottom,
                   FBottomAxisTitle);
  canvas.GetBrush()->SetStyle(bsSolid);
}

void TDBChart::DrawBars(TCanvas& canvas, const TChartLayout& layout) {
  DrawAxes(canvas, layout);
  const int pointCount = PointCount();
  const int seriesCount = static_cast<int>(FSeries.size());
  for (int s = 0; s < seriesCount; ++s) {
    const TChartSeries& series = *FSeries[s];
    for (int i = 0; i < series.Count(); ++i) {
      const TRect bar = BarRect(layout.Plot, layout.Scale, i, pointCount, s, seriesCount,
                                series.Point(i).Value);
      if (bar.Right <= bar.Left) continue;
      const TColor color = series.PointColor(i);
      const int d = std::min(layout.Depth, bar.Right - bar.Left);
      if (d > 0) {
        const TPoint top[] = {{bar.Left, bar.Top}, {bar.Left + d, bar.Top - d},
                              {bar.Right + d, bar.Top - d}, {bar.Right, bar.Top}};
        FillPolygon(canvas, top, Shaded(color, 0.85));
        const TPoint side[] = {{bar.Right, bar.Top}, {bar.Right + d, bar.Top - d},
                               {bar.Right + d, bar.Bottom - d}, {bar.Right, bar.Bottom}};
        FillPolygon(canvas, side, Shaded(color, 0.6));
      }
      if (bar.Bottom > bar.Top) {
        canvas.GetBrush()->SetColor(color);
        canvas.FillRect(bar);
      }
    }
  }
  // The marks go over every bar, so that no box hides the value of its neighbour.
  canvas.GetBrush()->SetStyle(bsClear);
  for (const TChartText& mark : BarMarks(canvas, layout))
    canvas.TextOut(mark.Rect.Left, mark.Rect.Top, mark.Lines.front());
  canvas.GetBrush()->SetStyle(bsSolid);
}

int TDBChart::PointCount() const {
  int count = 0;
  for (const TChartSeries* series : FSeries) count = std::max(count, series->Count());
  return count;
}

int TDBChart::LabelWidth(const TChartLayout& layout) const {
  const int pointCount = PointCount();
  if (pointCount == 0) return 0;
  // A little room between the labels of neighbouring slots.
  return (layout.Plot.Right - layout.Plot.Left) / pointCount - kLabelGap;
}

std::vector<TDBChart::TChartText> TDBChart::AxisLabels(TCanvas& canvas, const TChartLayout& layout) {
  std::vector<TChartText> labels;
  if (!FBottomAxisLabels || FSeries.empty()) return labels;
  const int pointCount = PointCount();
  const TRect& p = layout.Plot;
  const int lineHeight = canvas.TextHeight(L"0Ag章");
  const int width = std::max(1, LabelWidth(layout));
  const auto measure = [&canvas](const String& text) { return canvas.TextWidth(text); };
  const TChartSeries& first = *FSeries.front();
  int lastRight = INT_MIN;
  for (int i = 0; i < first.Count(); ++i) {
    TChartText label;
    label.Lines = WrapLabel(first.Point(i).Label, width, layout.LabelLines, measure);
    int widest = 0;
    for (const String& line : label.Lines) widest = std::max(widest, canvas.TextWidth(line));
    if (widest == 0) continue;
    const int left = p.Left + static_cast<int>(int64_t(p.Right - p.Left) * i / pointCount);
    const int right = p.Left + static_cast<int>(int64_t(p.Right - p.Left) * (i + 1) / pointCount);
    const int x = (left + right - widest) / 2;
    label.Rect = TRect{x, p.Bottom + 4, x + widest,
                       p.Bottom + 4 + static_cast<int>(label.Lines.size()) * lineHeight};
    // Slots narrower than one character: the labels that would meet the one before are
    // left out.
    if (label.Rect.Left <= lastRight) continue;
    lastRight = label.Rect.Right;
    labels.push_back(std::move(label));
  }
  return labels;
}

std::vector<TDBChart::TChartText> TDBChart::BarMarks(TCanvas& canvas, const TChartLayout& layout) {
  const int pointCount = PointCount();
  const int seriesCount = static_cast<int>(FSeries.size());
  const int lineHeight = canvas.TextHeight(L"0");
  std::vector<TChartText> marks;
  std::vector<TRect> rects;
  // Slot by slot from the left, so that the marks of one slot rise above each other.
  for (int i = 0; i < pointCount; ++i) {
    for (int s = 0; s < seriesCount; ++s) {
      const TChartSeries& series = *FSeries[s];
      if (!series.GetMarksVisible() || i >= series.Count()) continue;
      const TRect bar = BarRect(layout.Plot, layout.Scale, i, pointCount, s, seriesCount,
                                series.Point(i).Value);
      if (bar.Right <= bar.Left) continue;
      const int d = std::min(layout.Depth, bar.Right - bar.Left);
      const String text = ValueText(series.Point(i).Value);
      const int x = (bar.Left + bar.Right + d - canvas.TextWidth(text)) / 2;
      const int y = bar.Top - d - lineHeight - 1;
      marks.push_back(TChartText{{text}, TRect{x, y, x + canvas.TextWidth(text), y + lineHeight}});
      rects.push_back(marks.back().Rect);
    }
  }
  // Apart by a few pixels: two zeros a pixel apart read as one number.
  LiftMarks(rects, layout.Area.Top, kMarkGap);
  std::vector<TChartText> placed;
  for (size_t k = 0; k < marks.size(); ++k) {
    if (rects[k].Right <= rects[k].Left) continue;
    marks[k].Rect = rects[k];
    placed.push_back(std::move(marks[k]));
  }
  return placed;
}

std::vector<TDBChart::TChartText> TDBChart::BarMarksIn(TCanvas& canvas, const TRect& bounds) {
  return BarMarks(canvas, LayoutIn(canvas, bounds));
}

std::vector<TDBChart::TChartText> TDBChart::AxisLabelsIn(TCanvas& canvas, const TRect& bounds) {
  return AxisLabels(canvas, LayoutIn(canvas, bounds));
}

void TDBChart::DrawPie(TCanvas& canvas, const TChartLayout& layout, TPieSeries& series) {
  std::vector<double> values;
  values.reserve(series.Count());
  for (int i = 0; i < series.Count(); ++i) values.push_back(series.Point(i).Value);
  const std::vector<TPieSlice> slices = PieSlices(values);
  const TRect& r = layout.Plot;
  const int d = layout.Depth;
  // The rim: where a slice lies in the front half (180..360 degrees), a band of its shaded
  // colour from the top face down by the depth.
  if (d > 0) {
    for (size_t i = 0; i < slices.size(); ++i) {
      const double from = std::max(slices[i].StartAngle, 180.0);
      const double to = std::min(slices[i].StartAngle + slices[i].SweepAngle, 360.0);
      if (to <= from) continue;
      std::vector<TPoint> band;
      const int steps = std::clamp(static_cast<int>((to - from) / 3) + 1, 1, 120);
      for (int k = 0; k <= steps; ++k) band.push_back(EllipsePoint(r, from + (to - from) * k / steps));
      for (int k = steps; k >= 0; --k) {
        TPoint pt = EllipsePoint(r, from + (to - from) * k / steps);
        band.push_back(TPoint{pt.X, pt.Y + d});
      }
      FillPolygon(canvas, band, Shaded(series.PointColor(static_cast<int>(i)), 0.6));
    }
  }
  for (size_t i = 0; i < slices.size(); ++i) {
    if (slices[i].SweepAngle <= 0) continue;
    const TColor color = series.PointColor(static_cast<int>(i));
    canvas.GetBrush()->SetColor(color);
    canvas.GetPen()->SetColor(Shaded(color, 0.5));
    if (slices[i].SweepAngle >= 359.999) {
      canvas.Ellipse(r);
      continue;
    }
    // GDI takes the slice's ends as directions; far points keep them exact.
    const TPoint a = EllipsePoint(r, slices[i].StartAngle, 1000);
    const TPoint b = EllipsePoint(r, slices[i].StartAngle + slices[i].SweepAngle, 1000);
    if (a.X == b.X && a.Y == b.Y) continue;  // too thin to draw: a whole ellipse otherwise
    canvas.Pie(r.Left, r.Top, r.Right, r.Bottom, a.X, a.Y, b.X, b.Y);
  }
  const std::vector<TPieMark> marks = PieMarks(canvas, layout, series);
  canvas.GetBrush()->SetStyle(bsClear);
  canvas.GetPen()->SetColor(clGray);
  for (const TPieMark& mark : marks) {
    // A line from the nearer side of the text to its slice.
    const int x = mark.Anchor.X <= mark.Rect.Left ? mark.Rect.Left - 1 : mark.Rect.Right;
    canvas.MoveTo(x, (mark.Rect.Top + mark.Rect.Bottom) / 2);
    canvas.LineTo(mark.Anchor.X, mark.Anchor.Y);
    canvas.TextOut(mark.Rect.Left, mark.Rect.Top, mark.Text);
  }
  canvas.GetBrush()->SetStyle(bsSolid);
}

std::vector<TDBChart::TPieMark> TDBChart::PieMarks(TCanvas& canvas, const TChartLayout& layout,
                                                   TPieSeries& series) {
  std::vector<TPieMark> marks;
  if (!series.GetMarksVisible()) return marks;
  std::vector<double> values;
  values.reserve(series.Count());
  for (int i = 0; i < series.Count(); ++i) values.push_back(series.Point(i).Value);
  const std::vector<TPieSlice> slices = PieSlices(values);
  const TRect& r = layout.Plot;
  const double total = series.Total();
  const int lineHeight = canvas.TextHeight(L"0Ag章");
  // Each side of the pie is one column of marks, moved apart on its own: texts on the left
  // end at their slice, texts on the right start there, so the two sides never meet.
  std::vector<TRect> left, right;
  std::vector<size_t> leftIndex, rightIndex;
  for (size_t i = 0; i < slices.size(); ++i) {
    const TChartPoint& point = series.Point(static_cast<int>(i));
    TPieMark mark;
    mark.Text = series.GetMarksStyle() == smsValue
                    ? ValueText(point.Value)
                    : point.Label + L" " + IntToStr(PercentOf(point.Value, total)) + L"%";
    const double middle = slices[i].StartAngle + slices[i].SweepAngle / 2;
    const bool lower = std::sin(middle * std::numbers::pi / 180) < 0;
    mark.Anchor = EllipsePoint(r, middle);
    TPoint at = EllipsePoint(r, middle, 8);
    if (lower) {
      // Below the middle the rim's side face is in front: the line starts at its lower edge.
      mark.Anchor.Y += layout.Depth;
      at.Y += layout.Depth;
    }
    const int width = canvas.TextWidth(mark.Text);
    const bool onRight = std::cos(middle * std::numbers::pi / 180) >= 0;
    const int x = onRight ? at.X : at.X - width;
    mark.Rect = TRect{x, at.Y - lineHeight / 2, x + width, at.Y - lineHeight / 2 + lineHeight};
    (onRight ? right : left).push_back(mark.Rect);
    (onRight ? rightIndex : leftIndex).push_back(marks.size());
    marks.push_back(std::move(mark));
  }
  SpreadMarks(left, layout.Area.Top, layout.Area.Bottom, 1);
  SpreadMarks(right, layout.Area.Top, layout.Area.Bottom, 1);
  for (size_t k = 0; k < left.size(); ++k) marks[leftIndex[k]].Rect = left[k];
  for (size_t k = 0; k < right.size(); ++k) marks[rightIndex[k]].Rect = right[k];
  return marks;
}

std::vector<TDBChart::TPieMark> TDBChart::PieMarksIn(TCanvas& canvas, const TRect& bounds) {
  auto* pie = FSeries.empty() ? nullptr : dynamic_cast<TPieSeries*>(FSeries.front());
  if (!pie) return {};
  return PieMarks(canvas, LayoutIn(canvas, bounds), *pie);
}

void TDBChart::DrawChart(TCanvas& canvas, const TRect& bounds) {
  canvas.GetBrush()->SetStyle(bsSolid);
  canvas.GetBrush()->SetColor(GetColor());
  canvas.FillRect(bounds);
  const TChartLayout layout = LayoutIn(canvas, bounds);
  canvas.GetPen()->SetWidth(1);
  if (!FTitleText.empty()) {
    canvas.GetBrush()->SetStyle(bsClear);
    canvas.TextOut((layout.Title.Left + layout.Title.Right - canvas.TextWidth(FTitleText)) / 2,
                   layout.Title.Top + 2, FTitleText);
    canvas.GetBrush()->SetStyle(bsSolid);
  }
  if (FLegendVisible) DrawLegend(canvas, layout.Legend);
  if (!FSeries.empty())
    if (auto* pie = dynamic_cast<TPieSeries*>(FSeries.front())) {
      DrawPie(canvas, layout, *pie);
      return;
    }
  DrawBars(canvas, layout);
}

void TDBChart::Paint() {
  DrawChart(*GetCanvas(), GetClientRect());
}

std::unique_ptr<TBitmap> TDBChart::CreateBitmap() {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetWidth(std::max(1, GetWidth()));
  bitmap->SetHeight(std::max(1, GetHeight()));
  DrawChart(*bitmap->GetCanvas(), TRect{0, 0, bitmap->GetWidth(), bitmap->GetHeight()});
  return bitmap;
}

void TDBChart::SaveToBitmapFile(const String& fileName) { CreateBitmap()->SaveToFile(fileName); }

void TDBChart::PrintPage(TCanvas& canvas, int pageWidth, int pageHeight) {
  std::unique_ptr<TBitmap> bitmap = CreateBitmap();
  // A twentieth of the page free on each side; the chart keeps its proportions.
  const int marginX = pageWidth / 20;
  const int marginY = pageHeight / 20;
  const int availW = std::max(1, pageWidth - 2 * marginX);
  const int availH = std::max(1, pageHeight - 2 * marginY);
  int w = availW;
  int h = static_cast<int>(int64_t(availW) * bitmap->GetHeight() / bitmap->GetWidth());
  if (h > availH) {
    h = availH;
    w = static_cast<int>(int64_t(availH) * bitmap->GetWidth() / bitmap->GetHeight());
  }
  const int x = marginX + (availW - w) / 2;
  const int y = marginY + (availH - h) / 2;
  canvas.StretchDraw(TRect{x, y, x + w, y + h}, bitmap.get());
}

void TDBChart::Print() {
  TPrinter* printer = Printer();
  printer->SetOrientation(poLandscape);
  printer->BeginDoc();
  try {
    PrintPage(*printer->GetCanvas(), printer->GetPageWidth(), printer->GetPageHeight());
  } catch (...) {
    printer->Abort();
    throw;
  }
  printer->EndDoc();
}
