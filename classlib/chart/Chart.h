// TDBChart, the chart control, with its bar series TBarSeries and pie series TPieSeries.
//
// The chart draws a title, a legend, an optional 3-D view and its series: bars side by side
// over a value axis with a left and a bottom axis title and the points' labels under their
// slots, or one pie. Each point has a value, a label and a colour (clDefault: the series'
// colour). Marks above bars show the value, raised above each other where they would meet; marks
// beside pie slices show the label and the percent, moved apart where they would overlap,
// each with a line to its slice. The chart draws with GDI into a buffer
// (double-buffered), and prints or saves itself as a bitmap through the same drawing.
//
// Not done: data binding to a data set (the program fills the series in code), zooming and
// scrolling, more than one pie, axis labels of the value axis's own choosing (it uses 1-2-5
// steps), gradients and anti-aliasing.
#pragma once
#include <vector>
#include "../controls/Controls.h"
#include "ChartGeometry.h"

class TDBChart;

// One point of a series.
struct TChartPoint {
  double Value = 0;
  String Label;
  TColor Color = clDefault;  // clDefault: the series' colour
};

// What the marks of a series show.
enum TSeriesMarksStyle { smsValue, smsLabelPercent };

// The points of one series and how they look. A component owned by the window that holds
// the chart; it tells its chart when it goes.
class TChartSeries : public TComponent {
  CLASSLIB_CLASS(TChartSeries, TComponent)
  explicit TChartSeries(TComponent* owner);
  ~TChartSeries() override;

  // The chart that draws the series (not owned), or nullptr. Setting it moves the series.
  TDBChart* GetParentChart() const { return FParentChart; }
  void SetParentChart(TDBChart* value);

  const String& GetTitle() const { return FTitle; }
  void SetTitle(const String& value);
  TColor GetSeriesColor() const { return FSeriesColor; }
  void SetSeriesColor(TColor value);
  bool GetMarksVisible() const { return FMarksVisible; }
  void SetMarksVisible(bool value);
  TSeriesMarksStyle GetMarksStyle() const { return FMarksStyle; }
  void SetMarksStyle(TSeriesMarksStyle value);

  // Adds a point; returns its index.
  int Add(double value, const String& label, TColor color = clDefault);
  void Clear();
  int Count() const { return static_cast<int>(FPoints.size()); }
  const TChartPoint& Point(int index) const { return FPoints.at(index); }
  // The colour a point is drawn in.
  TColor PointColor(int index) const;
  double MaxValue() const;
  double Total() const;

 private:
  friend class TDBChart;
  void Changed();

  TDBChart* FParentChart = nullptr;     // draws the series; not owned
  String FTitle;                        // name in the legend
  TColor FSeriesColor = clRed;          // colour of points without their own
  bool FMarksVisible = true;            // marks drawn
  TSeriesMarksStyle FMarksStyle = smsValue;
  std::vector<TChartPoint> FPoints;
};

class TBarSeries : public TChartSeries {
  CLASSLIB_CLASS(TBarSeries, TChartSeries)
  explicit TBarSeries(TComponent* owner) : TChartSeries(owner) {}
};

class TPieSeries : public TChartSeries {
  CLASSLIB_CLASS(TPieSeries, TChartSeries)
  explicit TPieSeries(TComponent* owner);
};

// The chart control.
class TDBChart : public TCustomControl {
  CLASSLIB_CLASS(TDBChart, TCustomControl)
  static const TPropertyTable* PublishedProperties();
  explicit TDBChart(TComponent* owner);
  // Lets its series go (their owner frees them).
  ~TDBChart() override;

  // ---- Attributes -----------------------------------------------------------------------
  const String& GetTitleText() const { return FTitleText; }
  void SetTitleText(const String& value);
  bool GetLegendVisible() const { return FLegendVisible; }
  void SetLegendVisible(bool value);
  TLegendAlignment GetLegendAlignment() const { return FLegendAlignment; }
  void SetLegendAlignment(TLegendAlignment value);
  bool GetView3D() const { return FView3D; }
  void SetView3D(bool value);
  // Depth of the 3-D view in percent of the bar slot (of the pie's height for a pie), 0..100.
  int GetChart3DPercent() const { return FChart3DPercent; }
  void SetChart3DPercent(int value);
  const String& GetLeftAxisTitle() const { return FLeftAxisTitle; }
  void SetLeftAxisTitle(const String& value);
  const String& GetBottomAxisTitle() const { return FBottomAxisTitle; }
  void SetBottomAxisTitle(const String& value);
  // The bottom axis shows the points' labels, each under its slot, broken into lines that
  // fit the slot when it is narrower than the label.
  bool GetBottomAxisLabels() const { return FBottomAxisLabels; }
  void SetBottomAxisLabels(bool value);
  // The bottom axis title is drawn (it may be kept while hidden).
  bool GetBottomAxisTitleVisible() const { return FBottomAxisTitleVisible; }
  void SetBottomAxisTitleVisible(bool value);

  int SeriesCount() const { return static_cast<int>(FSeries.size()); }
  TChartSeries* Series(int index) const { return FSeries.at(index); }

  // ---- Geometry (of the chart drawn in a rectangle) ---------------------------------------
  // Where the title, legend and plot go when the chart is drawn in bounds.
  struct TChartLayout {
    TRect Title;   // the title's line
    TRect Legend;  // empty when the legend is hidden
    TRect Plot;    // the bars' area (the front face in 3-D) or the pie's square
    TRect Area;    // what the title and legend leave: the plot with its labels and marks
    int Depth = 0; // the 3-D offset in pixels, right and up
    TAxisScale Scale;
    int LabelLines = 0;  // lines of the tallest bottom axis label
  };
  TChartLayout LayoutIn(TCanvas& canvas, const TRect& bounds);
  // A pie's mark: its text, where the text is drawn, and the point on its slice's rim the
  // line to the text starts from.
  struct TPieMark {
    String Text;
    TRect Rect;
    TPoint Anchor;
  };
  // The marks of the pie as drawn in bounds: each beside its slice, those on one side of
  // the pie moved apart so that none overlaps another. Empty when the chart holds no pie or
  // its marks are hidden.
  std::vector<TPieMark> PieMarksIn(TCanvas& canvas, const TRect& bounds);
  // A text of the bars' chart (a value mark or a bottom axis label) and the rectangle its
  // lines are drawn in.
  struct TChartText {
    std::vector<String> Lines;
    TRect Rect;
  };
  // The value marks of the bars as drawn in bounds: each above its bar, raised above the
  // marks before it where they would meet, left out where no room is left above them.
  std::vector<TChartText> BarMarksIn(TCanvas& canvas, const TRect& bounds);
  // The bottom axis labels as drawn in bounds, one per point of the first series.
  std::vector<TChartText> AxisLabelsIn(TCanvas& canvas, const TRect& bounds);

  // The legend's entries: one per series, each its colour, its title and, on the right, the
  // total of its values.
  struct TLegendItem {
    TColor Color;
    String Text;
    String Value;
  };
  std::vector<TLegendItem> LegendItems() const;

  // ---- Operations -------------------------------------------------------------------------
  // Draws the whole chart into bounds of canvas.
  void DrawChart(TCanvas& canvas, const TRect& bounds);
  // The chart drawn into a new bitmap of the chart's size; the caller owns it.
  std::unique_ptr<class TBitmap> CreateBitmap();
  // Saves the chart as a bitmap file of its size. Raises what the file's writing raises.
  void SaveToBitmapFile(const String& fileName);
  // Prints the chart on one landscape page of the program's printer. EPrinter when there
  // is no printer; the document is thrown away when drawing fails.
  void Print();
  // The printed page: the chart drawn on canvas, scaled into a page of pageWidth x
  // pageHeight device pixels with a margin, keeping the chart's proportions.
  void PrintPage(TCanvas& canvas, int pageWidth, int pageHeight);

 protected:
  void Paint() override;

 private:
  friend class TChartSeries;
  void AddSeries(TChartSeries* series);
  void RemoveSeries(TChartSeries* series);
  void Changed();

  void DrawLegend(TCanvas& canvas, const TRect& r);
  void DrawBars(TCanvas& canvas, const TChartLayout& layout);
  void DrawPie(TCanvas& canvas, const TChartLayout& layout, TPieSeries& series);
  std::vector<TPieMark> PieMarks(TCanvas& canvas, const TChartLayout& layout, TPieSeries& series);
  void DrawAxes(TCanvas& canvas, const TChartLayout& layout);
  std::vector<TChartText> BarMarks(TCanvas& canvas, const TChartLayout& layout);
  std::vector<TChartText> AxisLabels(TCanvas& canvas, const TChartLayout& layout);
  // The points of the longest series: the slots across the plot.
  int PointCount() const;
  // The room a bottom axis label has: the width of one point's slot.
  int LabelWidth(const TChartLayout& layout) const;

  String FTitleText;                        // the line above the chart
  bool FLegendVisible = true;
  TLegendAlignment FLegendAlignment = laRight;
  bool FView3D = true;
  int FChart3DPercent = 15;
  String FLeftAxisTitle;                    // drawn turned up beside the value axis
  String FBottomAxisTitle;                  // drawn under the labels
  bool FBottomAxisLabels = true;
  bool FBottomAxisTitleVisible = true;
  std::vector<TChartSeries*> FSeries;       // in drawing order; not owned
};
