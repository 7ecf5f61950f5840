// The arithmetic of the chart control, apart from any drawing: where the title, legend and
// plot area go, the value axis's scale, the rectangle of each bar and the angles of each pie
// slice. Pure functions, so that the pixels a chart draws can be checked against them.
#pragma once
#include <functional>
#include <vector>
#include "../graphics/Canvas.h"

enum TLegendAlignment { laLeft, laRight, laTop, laBottom };

// The value axis: from 0 to Maximum in steps of Increment (1, 2 or 5 times a power of ten).
struct TAxisScale {
  double Maximum = 1;    // value at the top of the plot area; above 0
  double Increment = 1;  // distance of two grid lines; above 0
};

// A scale that holds values up to maxValue with at most about ten grid lines. Values of 0
// or below (or not numbers) give the scale 0..1.
TAxisScale NiceAxisScale(double maxValue);

// The vertical pixel of value on a plot whose bottom is bottom and height is height; values
// are clamped to 0..scale.Maximum.
int ValueToPixel(double value, const TAxisScale& scale, int bottom, int height);

// The front rectangle of the bar of point pointIndex of series seriesIndex, with
// seriesCount bar series side by side in each of pointCount slots across plot. Empty when
// the slot has no room.
TRect BarRect(const TRect& plot, const TAxisScale& scale, int pointIndex, int pointCount,
              int seriesIndex, int seriesCount, double value);

// One slice of a pie: its start and its sweep in degrees, counter-clockwise from three
// o'clock, the first slice starting at 0.
struct TPieSlice {
  double StartAngle = 0;
  double SweepAngle = 0;
};
// The slices of values (negative values count as 0). All sweeps 0 when the sum is 0.
std::vector<TPieSlice> PieSlices(const std::vector<double>& values);

// Moves a column of marks (text rectangles on one side of a pie) apart so that no two
// overlap: they keep their order from top to bottom, their sizes and their left and right,
// and at least gap pixels lie between neighbours. Marks are pushed down as little as needed,
// then up from bottom when the last one runs past it; when the column is taller than top to
// bottom, the marks start at top and run past bottom rather than overlap.
void SpreadMarks(std::vector<TRect>& marks, int top, int bottom, int gap);

// Raises each mark, in order, above every earlier one it would come nearer than gap pixels
// to, as little as needed; a mark that would then start above top is emptied (not drawn).
// Marks keep their sizes and their left and right. Empty marks take no room.
void LiftMarks(std::vector<TRect>& marks, int top, int gap);

// The lines of a label no wider than width (as measure gives the width of a text), broken
// between any two characters, as Chinese text is, but not before a pause or stop mark; each
// line holds at least one character.
// At most maxLines lines (at least one): a longer label's last line ends in "…" (and is
// only that when no character fits beside it).
std::vector<String> WrapLabel(const String& text, int width, int maxLines,
                              const std::function<int(const String&)>& measure);

// The value's share of the total as a whole percent, rounded; 0 when the total is 0.
int PercentOf(double value, double total);

// The rectangle left for the legend and the one left for the plot, from the chart's inner
// rectangle (under the title): the legend takes legendSize (width for left and right,
// height for top and bottom) on its side, never more than half the area.
void SplitLegend(const TRect& area, TLegendAlignment alignment, int legendSize, TRect& legend,
                 TRect& rest);
