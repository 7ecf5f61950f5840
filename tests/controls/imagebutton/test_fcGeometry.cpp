// Arithmetic of the button group's layout pass and of the shape button's polygons, checked
// without windows against tables.
#include <gtest/gtest.h>

#include "controls/imagebutton/fcButtonGroup.h"
#include "controls/imagebutton/fcShapeBtn.h"

namespace {

struct LayoutCase {
  const char* What;
  int Count, Columns;
  TfcLayout Layout;
  int Width, Height, Border, Spacing, MaxSize;
  std::vector<TRect> Expected;  // the first, the second and the last places
};

TEST(FcGroupLayout, PlacesTheButtonsOfATable) {
  const LayoutCase cases[] = {
      {"six in a row", 6, 1, loHorizontal, 240, 40, 0, 0, 0,
       {TRect(0, 0, 40, 40), TRect(40, 0, 80, 40), TRect(200, 0, 240, 40)}},
      {"seven in two columns", 7, 2, loVertical, 80, 160, 0, 0, 0,
       {TRect(0, 0, 40, 40), TRect(0, 40, 40, 80), TRect(40, 80, 80, 120)}},
      {"twenty in four rows", 20, 4, loHorizontal, 200, 160, 0, 0, 0,
       {TRect(0, 0, 40, 40), TRect(0, 40, 40, 80), TRect(160, 120, 200, 160)}},
      {"leftover from the left", 3, 3, loVertical, 100, 40, 0, 0, 0,
       {TRect(0, 0, 34, 40), TRect(34, 0, 67, 40), TRect(67, 0, 100, 40)}},
      {"border and spacing", 4, 2, loVertical, 81, 81, 2, 1, 0,
       {TRect(2, 2, 42, 42), TRect(2, 43, 42, 83), TRect(43, 43, 83, 83)}},
      {"capped height, no leftover", 2, 1, loVertical, 40, 100, 0, 0, 30,
       {TRect(0, 0, 40, 30), TRect(0, 30, 40, 60), TRect(0, 30, 40, 60)}},
      {"leftover rows from the top", 3, 1, loVertical, 10, 11, 0, 0, 0,
       {TRect(0, 0, 10, 4), TRect(0, 4, 10, 8), TRect(0, 8, 10, 11)}},
      {"no room at all: empty cells", 3, 3, loVertical, 2, 0, 0, 5, 0,
       {TRect(0, 0, 0, 0), TRect(5, 0, 5, 0), TRect(10, 0, 10, 0)}},
  };
  for (const LayoutCase& c : cases) {
    const std::vector<TRect> places = GroupLayout(c.Count, c.Columns, c.Layout, c.Width,
                                                  c.Height, c.Border, c.Spacing, c.MaxSize);
    ASSERT_EQ(places.size(), static_cast<size_t>(c.Count)) << c.What;
    EXPECT_EQ(places[0], c.Expected[0]) << c.What;
    EXPECT_EQ(places[1], c.Expected[1]) << c.What;
    EXPECT_EQ(places.back(), c.Expected[2]) << c.What;
    for (const TRect& r : places) EXPECT_TRUE(r.Width() >= 0 && r.Height() >= 0) << c.What;
  }
  // No columns or no items: nothing is laid out.
  EXPECT_TRUE(GroupLayout(5, 0, loVertical, 80, 80, 0, 0, 0).empty());
  EXPECT_TRUE(GroupLayout(5, -1, loHorizontal, 80, 80, 0, 0, 0).empty());
  EXPECT_TRUE(GroupLayout(0, 2, loHorizontal, 80, 80, 0, 0, 0).empty());
}

TEST(FcShapeGeometry, PolygonsForEveryShapeAreClosedAndStayInside) {
  for (int shape = bsTriangle; shape <= bsTrapezoid; ++shape) {
    for (int turn = soLeft; turn <= soDown; ++turn) {
      const auto points = ShapePolygon(static_cast<TfcButtonShape>(shape),
                                       static_cast<TfcShapeOrientation>(turn), 74, 24);
      ASSERT_GE(points.size(), 4u) << shape << " " << turn;
      EXPECT_EQ(points.front(), points.back());
      for (const TPoint& p : points) {
        EXPECT_GE(p.X, 0);
        EXPECT_LE(p.X, 74);
        EXPECT_GE(p.Y, 0);
        EXPECT_LE(p.Y, 24);
      }
    }
  }
  EXPECT_EQ(ShapePolygon(bsStar, soUp, 74, 24).size(), 11u);
  EXPECT_TRUE(ShapePolygon(bsRoundRect, soUp, 74, 24).empty());
  EXPECT_TRUE(ShapePolygon(bsEllipse, soUp, 74, 24).empty());
}

TEST(FcShapeGeometry, TurnsAndTinyControls) {
  // A rectangle turned on a square is the same square.
  const auto left = ShapePolygon(bsRect, soLeft, 39, 39);
  const auto up = ShapePolygon(bsRect, soUp, 39, 39);
  ASSERT_EQ(left.size(), up.size());
  for (const TPoint& p : left) EXPECT_NE(std::find(up.begin(), up.end(), p), up.end());
  // A triangle pointing up, turned right, points right: its tip is on the right edge.
  const auto right = ShapePolygon(bsTriangle, soRight, 40, 20);
  EXPECT_EQ(right[0], TPoint(40, 10));
  const auto down = ShapePolygon(bsTriangle, soDown, 40, 20);
  EXPECT_EQ(down[0], TPoint(20, 20));
  // Narrower or lower than 2 pixels (w or h of 0): nothing to turn or draw.
  EXPECT_TRUE(ShapePolygon(bsTriangle, soRight, 0, 20).empty());
  EXPECT_TRUE(ShapePolygon(bsRect, soUp, 30, 0).empty());
  std::vector<TPoint> points{{1, 1}, {2, 2}};
  TurnShapePoints(points, soLeft, 0, 5);
  EXPECT_EQ(points[1], TPoint(2, 2));
}

}  // namespace
