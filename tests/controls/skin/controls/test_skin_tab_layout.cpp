// The tab control's geometry without a window: justified rows, the 100-row table, the
// selected row next to the body, the single-line strip and its scroll buttons, and hit-tests
// that find every tab on every side.
#include <gtest/gtest.h>

#include "controls/skin/controls/SkinTabLayout.h"

namespace {

TSeTabGeometry Strip(std::vector<int> widths, int width, int height, TTabPosition side,
                     bool multiLine) {
  TSeTabGeometry g;
  g.Widths = std::move(widths);
  g.TabHeight = 20;
  g.Position = side;
  g.MultiLine = multiLine;
  g.Width = width;
  g.Height = height;
  g.TabIndex = 0;
  g.LayoutRows();
  return g;
}

TEST(TabLayout, RowsAreJustifiedAndTheLastRowFillsUnlessRagged) {
  // Three 40-pixel tabs in a 100-pixel control (96 available): rows {0, 1} and {2}.
  TSeTabGeometry g = Strip({40, 40, 40}, 100, 200, tpTop, true);
  ASSERT_EQ(g.Rows.size(), 2u);
  EXPECT_EQ(g.Rows[0].LastTab, 1);
  EXPECT_EQ(g.Rows[0].Extra, 8);
  EXPECT_EQ(g.EffectiveWidth(0), 48);
  EXPECT_EQ(g.EffectiveWidth(2), 96);
  g.RaggedRight = true;
  EXPECT_EQ(g.EffectiveWidth(2), 40);
  // A tab wider than the strip gets a row of its own and is shrunk to the strip's length,
  // within the control.
  g = Strip({40, 300, 40}, 100, 200, tpTop, true);
  EXPECT_EQ(g.Rows.size(), 3u);
  EXPECT_EQ(g.Rows[1].Extra, -204);
  EXPECT_EQ(g.EffectiveWidth(1), 96);
  g.TabIndex = 1;
  EXPECT_EQ(g.TabRect(1).Right, 98);
}

TEST(TabLayout, AtMostAHundredRowsTheRestInTheLast) {
  TSeTabGeometry g = Strip(std::vector<int>(500, 450), 100, 400, tpLeft, true);
  ASSERT_EQ(g.Rows.size(), 100u);
  EXPECT_EQ(g.Rows.back().LastTab, 499);
  // Rows of one long tab are shrunk to the strip; the crowded last row keeps its widths.
  EXPECT_EQ(g.EffectiveWidth(98), 396);
  EXPECT_EQ(g.EffectiveWidth(99), 450);
  EXPECT_EQ(g.EffectiveWidth(499), 450);
  EXPECT_EQ(g.RowOf(499), 99);
  EXPECT_EQ(g.RowOf(98), 98);
  g.TabIndex = 250;
  EXPECT_EQ(g.SelectedRow(), 99);
  EXPECT_EQ(g.TabAtPos(-5, -5), -1);
}

TEST(TabLayout, TheSelectedRowTouchesTheBodyOnEverySide) {
  for (TTabPosition side : {tpTop, tpBottom, tpLeft, tpRight}) {
    const bool horizontal = side == tpTop || side == tpBottom;
    TSeTabGeometry g = Strip({60, 60, 60, 60, 60, 60}, horizontal ? 150 : 300,
                             horizontal ? 300 : 150, side, true);
    ASSERT_EQ(g.Rows.size(), 3u);
    for (int selected : {0, 2, 5}) {
      g.TabIndex = selected;
      const TRect body = g.BodyRect();
      const TRect tab = g.TabRect(selected);
      // The selected tab overlaps the body by the frame margin.
      switch (side) {
        case tpTop: EXPECT_EQ(tab.Bottom, body.Top + 2); break;
        case tpBottom: EXPECT_EQ(tab.Top, body.Bottom - 2); break;
        case tpLeft: EXPECT_EQ(tab.Right, body.Left + 2); break;
        case tpRight: EXPECT_EQ(tab.Left, body.Right - 2); break;
      }
      // Every tab is found near its outer edge (rows further out reach in under the nearer
      // ones), and that point lies off the body.
      for (int i = 0; i < 6; ++i) {
        const TRect r = g.TabRect(i);
        int x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
        if (side == tpTop) y = r.Top + 3;
        if (side == tpBottom) y = r.Bottom - 3;
        if (side == tpLeft) x = r.Left + 3;
        if (side == tpRight) x = r.Right - 3;
        EXPECT_EQ(g.TabAtPos(x, y), i) << side << " selected " << selected;
        EXPECT_FALSE(PtInRect(TRect(body.Left + 3, body.Top + 3, body.Right - 3, body.Bottom - 3),
                              TPoint(x, y)));
      }
    }
  }
}

TEST(TabLayout, ScrollOppositePutsEarlierRowsBeyondTheBody) {
  TSeTabGeometry g = Strip({60, 60, 60, 60, 60, 60}, 150, 300, tpTop, true);
  g.ScrollOpposite = true;
  g.TabIndex = 4;  // row 2
  EXPECT_TRUE(g.OnOppositeSide(0));
  EXPECT_FALSE(g.OnOppositeSide(4));
  EXPECT_EQ(g.SideOf(0), tpBottom);
  EXPECT_EQ(g.OppositeThickness(), 40);
  EXPECT_GE(g.TabRect(0).Top, g.BodyRect().Bottom - 2);
  for (int i = 0; i < 6; ++i) {
    const TRect r = g.TabRect(i);
    const int y = g.OnOppositeSide(i) ? r.Bottom - 3 : r.Top + 3;
    EXPECT_EQ(g.TabAtPos((r.Left + r.Right) / 2, y), i);
  }
}

TEST(TabLayout, SingleLineStripScrollsAndHidesNothingBehindItsButtons) {
  TSeTabGeometry g = Strip({50, 50, 50, 50, 50}, 120, 100, tpTop, false);
  EXPECT_TRUE(g.ScrollButtonsShow());
  EXPECT_EQ(g.LastVisibleTab(false), 2);  // two whole, the third in part
  const int strict = g.LastVisibleTab(true);
  EXPECT_LE(g.TabRect(strict).Right, g.LeftButtonRect().Left);
  const TRect button = g.LeftButtonRect();
  EXPECT_EQ(g.TabAtPos(button.Left + 2, button.Top + 2), -1);
  g.FirstVisible = 3;
  EXPECT_LT(g.TabRect(0).Right, 0) << "tabs before the first visible lie left of the strip";
  EXPECT_EQ(g.TabAtPos(g.TabRect(3).Left + 5, 10), 3);
  // Fitting tabs show no buttons; a narrow control with one wide tab neither.
  EXPECT_FALSE(Strip({30, 30}, 200, 100, tpTop, false).ScrollButtonsShow());
  TSeTabGeometry narrow = Strip({400}, 30, 100, tpTop, false);
  EXPECT_FALSE(narrow.ScrollButtonsShow());
  EXPECT_EQ(narrow.LastVisibleTab(true), 0);
  EXPECT_EQ(Strip({}, 100, 100, tpTop, false).LastVisibleTab(false), -1);
}

}  // namespace
