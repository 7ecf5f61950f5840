// Frame geometry as pure functions: the client rectangle per border style, the caption
// buttons classic and themed, the zone and hit-test code at every edge, corner, the caption
// and each button, snapping, and the rectangles a frame drag gives.
#include <gtest/gtest.h>

#include "controls/skin/form/SkinFormFrame.h"

namespace {

TSeFrameLayout Layout(TSeBorderStyle style = vbsStandard, TSeWindowState state = vwsNormal,
                      bool themed = false) {
  TSeFrameLayout l;
  l.Width = 300;
  l.Height = 200;
  l.BorderStyle = style;
  l.State = state;
  l.Themed = themed;
  l.Metrics = TSeFrameMetrics{4, 19, 15};
  return l;
}

TEST(SkinFormFrame, ClientRectPerBorderStyle) {
  EXPECT_EQ(FrameClientRect(Layout()), TRect(4, 23, 296, 196));
  EXPECT_EQ(FrameClientRect(Layout(vbsToolWindow)), TRect(4, 19, 296, 196));
  EXPECT_EQ(FrameClientRect(Layout(vbsNone)), TRect(0, 0, 300, 200));
  TSeFrameLayout child = Layout(vbsStandard, vwsMaximized);
  child.MaximizedMDIChild = true;
  EXPECT_EQ(FrameClientRect(child), TRect(0, 0, 300, 200));
  EXPECT_EQ(FrameCaptionBand(Layout()), TRect(4, 5, 296, 23));
  EXPECT_EQ(FrameCaptionBand(Layout(vbsNone)), TRect());
}

TEST(SkinFormFrame, CaptionButtonsClassicThemedToolWindowAndMinimized) {
  struct Row {
    TSeFrameLayout L;
    TSeBorderIcon Icon;
    TRect Expected;
  };
  TSeFrameLayout helpful = Layout();
  helpful.BorderIcons.Include(vbiHelp);
  TSeFrameLayout helpfulThemed = Layout(vbsStandard, vwsNormal, true);
  helpfulThemed.BorderIcons.Include(vbiHelp);
  TSeFrameLayout noMax = Layout();
  noMax.BorderIcons.Exclude(vbiMaximize);
  const Row rows[] = {
      {Layout(), vbiSystemMenu, TRect(4, 5, 22, 23)},
      {Layout(), vbiClose, TRect(278, 7, 294, 21)},
      {Layout(), vbiMaximize, TRect(260, 7, 276, 21)},
      {Layout(), vbiMinimize, TRect(244, 7, 260, 21)},
      {Layout(), vbiRollup, TRect(226, 7, 242, 21)},
      {Layout(), vbiTray, TRect(210, 7, 226, 21)},
      {Layout(), vbiHelp, TRect()},  // not among the icons
      {helpful, vbiHelp, TRect(192, 7, 208, 21)},
      // A missing button leaves no gap.
      {noMax, vbiMinimize, TRect(260, 7, 276, 21)},
      // Themed: square buttons one pixel higher, two apart, no roll-up or tray.
      {Layout(vbsStandard, vwsNormal, true), vbiClose, TRect(280, 6, 294, 20)},
      {Layout(vbsStandard, vwsNormal, true), vbiMaximize, TRect(264, 6, 278, 20)},
      {Layout(vbsStandard, vwsNormal, true), vbiMinimize, TRect(248, 6, 262, 20)},
      {Layout(vbsStandard, vwsNormal, true), vbiRollup, TRect()},
      {Layout(vbsStandard, vwsNormal, true), vbiTray, TRect()},
      {helpfulThemed, vbiHelp, TRect(230, 6, 244, 20)},
      // A tool window has the close button only, at the right end.
      {Layout(vbsToolWindow), vbiClose, TRect(282, 7, 294, 17)},
      {Layout(vbsToolWindow), vbiSystemMenu, TRect()},
      {Layout(vbsToolWindow), vbiMinimize, TRect()},
      {Layout(vbsToolWindow, vwsNormal, true), vbiClose, TRect(286, 6, 296, 16)},
      // Minimized: no maximize, roll-up or tray; minimize moves to the maximize place.
      {Layout(vbsStandard, vwsMinimized), vbiMaximize, TRect()},
      {Layout(vbsStandard, vwsMinimized), vbiMinimize, TRect(260, 7, 276, 21)},
      {Layout(vbsStandard, vwsMinimized), vbiTray, TRect()},
      {Layout(vbsNone), vbiClose, TRect()},
      {Layout(), static_cast<TSeBorderIcon>(40), TRect()},
  };
  for (const Row& row : rows) {
    const TRect r = FrameButtonRect(row.L, row.Icon);
    EXPECT_EQ(r, row.Expected) << "style " << row.L.BorderStyle << " state " << row.L.State
                               << " themed " << row.L.Themed << " icon " << row.Icon << " got "
                               << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
  }
}

TEST(SkinFormFrame, ZonesAtEveryEdgeCornerCaptionAndButton) {
  struct Row {
    TSeWindowState State;
    TPoint P;
    TSeFrameZone Zone;
  };
  const Row rows[] = {
      {vwsNormal, {1, 1}, fzTopLeft},      {vwsNormal, {150, 1}, fzTop},
      {vwsNormal, {290, 2}, fzTopRight},   {vwsNormal, {1, 100}, fzLeft},
      {vwsNormal, {298, 100}, fzRight},    {vwsNormal, {150, 198}, fzBottom},
      {vwsNormal, {1, 199}, fzBottomLeft}, {vwsNormal, {299, 199}, fzBottomRight},
      {vwsNormal, {1, 190}, fzBottomLeft}, {vwsNormal, {290, 100}, fzNone},
      // The first pixel of the right and bottom frame strips.
      {vwsNormal, {296, 100}, fzRight},    {vwsNormal, {150, 196}, fzBottom},
      {vwsNormal, {150, 10}, fzCaption},   {vwsNormal, {285, 12}, fzClose},
      {vwsNormal, {265, 12}, fzMaximize},  {vwsNormal, {250, 12}, fzMinimize},
      {vwsNormal, {230, 12}, fzRollup},    {vwsNormal, {215, 12}, fzTray},
      {vwsNormal, {10, 10}, fzSystemMenu}, {vwsNormal, {150, 100}, fzNone},
      {vwsNormal, {300, 100}, fzNone},     {vwsNormal, {150, 200}, fzNone},
      // Maximized or rolled up: no edges, the caption reaches the window's top.
      {vwsMaximized, {1, 1}, fzCaption},   {vwsMaximized, {1, 100}, fzNone},
      {vwsRollup, {150, 1}, fzCaption},    {vwsTray, {1, 1}, fzTopLeft},
  };
  const auto zoneAt = [](const TSeFrameLayout& l, TPoint p, const TRect& grip = TRect()) {
    return FrameHitTest(l, p, FrameButtonRects(l), grip);
  };
  for (const Row& row : rows)
    EXPECT_EQ(zoneAt(Layout(vbsStandard, row.State), row.P), row.Zone)
        << "state " << row.State << " at " << row.P.X << "," << row.P.Y;
  // Without a frame there are no edges; a size grip is the bottom-right corner.
  EXPECT_EQ(zoneAt(Layout(vbsNone), {1, 1}), fzNone);
  EXPECT_EQ(zoneAt(Layout(), {280, 180}, TRect(270, 170, 290, 190)), fzBottomRight);
}

TEST(SkinFormFrame, HitCodesFollowMoveableSizeableAndMaximized) {
  EXPECT_EQ(FrameZoneHitCode(fzCaption, true, true, false), HTCAPTION);
  EXPECT_EQ(FrameZoneHitCode(fzCaption, false, true, false), HTCLIENT);
  const std::pair<TSeFrameZone, LRESULT> sizing[] = {
      {fzLeft, HTLEFT},         {fzTop, HTTOP},           {fzRight, HTRIGHT},
      {fzBottom, HTBOTTOM},     {fzTopLeft, HTTOPLEFT},   {fzTopRight, HTTOPRIGHT},
      {fzBottomLeft, HTBOTTOMLEFT}, {fzBottomRight, HTBOTTOMRIGHT}};
  for (const auto& [zone, code] : sizing) {
    EXPECT_EQ(FrameZoneHitCode(zone, true, true, false), code) << zone;
    EXPECT_EQ(FrameZoneHitCode(zone, true, false, false), HTCLIENT) << zone;
    EXPECT_EQ(FrameZoneHitCode(zone, true, true, true), HTCLIENT) << zone;
  }
  EXPECT_EQ(FrameZoneHitCode(fzBorder, true, true, false), HTBORDER);
  EXPECT_EQ(FrameZoneHitCode(fzClose, true, true, false), HTCLOSE);
  EXPECT_EQ(FrameZoneHitCode(fzHelp, true, true, false), HTHELP);
  EXPECT_EQ(FrameZoneHitCode(fzMaximize, true, true, false), HTMAXBUTTON);
  for (TSeFrameZone z : {fzMinimize, fzRollup, fzTray, fzSystemMenu, fzNoHot})
    EXPECT_EQ(FrameZoneHitCode(z, true, true, false), HTMINBUTTON) << z;
  EXPECT_EQ(FrameZoneHitCode(fzNone, true, true, false), HTCLIENT);
}

TEST(SkinFormFrame, SnapToTheNearWorkAreaEdgesOnly) {
  const TRect area(0, 0, 1024, 738);
  EXPECT_EQ(SnapToWorkArea(Bounds(15, 300, 200, 100), area, 20, 0), Bounds(0, 300, 200, 100));
  EXPECT_EQ(SnapToWorkArea(Bounds(20, 300, 200, 100), area, 20, 0), Bounds(20, 300, 200, 100));
  EXPECT_EQ(SnapToWorkArea(Bounds(810, 645, 200, 100), area, 20, 0), Bounds(824, 638, 200, 100));
  // The shadow lies outside the snapped edge.
  EXPECT_EQ(SnapToWorkArea(Bounds(810, 300, 204, 104), area, 20, 4), Bounds(824, 300, 204, 104));
  EXPECT_EQ(SnapToWorkArea(Bounds(-10, -5, 200, 100), area, 20, 0), Bounds(0, 0, 200, 100));
}

TEST(SkinFormFrame, DragRectanglesFullAndOutlineWithTheMinimumSize) {
  const TRect bounds = Bounds(100, 100, 300, 200);
  TSeFrameDrag drag;
  drag.Zone = fzCaption;
  drag.Press = drag.Last = TPoint(150, 10);
  EXPECT_EQ(FrameDragRect(bounds, drag, {170, 5}), Bounds(120, 95, 300, 200));
  drag.Moveable = false;
  EXPECT_EQ(FrameDragRect(bounds, drag, {170, 5}), bounds);
  drag.Moveable = true;
  drag.State = vwsMaximized;
  EXPECT_EQ(FrameDragRect(bounds, drag, {170, 5}), bounds);

  // Right edge: a full drag steps from the last point, an outline from the press.
  drag = TSeFrameDrag();
  drag.Zone = fzRight;
  drag.Press = TPoint(298, 100);
  drag.Last = TPoint(308, 100);
  EXPECT_EQ(FrameDragRect(Bounds(100, 100, 310, 200), drag, {318, 100}), Bounds(100, 100, 320, 200));
  drag.Outline = true;
  EXPECT_EQ(FrameDragRect(bounds, drag, {318, 100}), Bounds(100, 100, 320, 200));

  // Top-left dragged far inside: the edges stop at the minimum size.
  drag = TSeFrameDrag();
  drag.Zone = fzTopLeft;
  drag.Press = drag.Last = TPoint(1, 1);
  EXPECT_EQ(FrameDragRect(bounds, drag, {500, 500}), TRect(250, 260, 400, 300));
  drag.MinTrack = TSize(200, 90);
  EXPECT_EQ(FrameDragRect(bounds, drag, {500, 500}), TRect(200, 210, 400, 300));
  // Not sizeable, rolled up or a button zone: nothing moves.
  drag.Sizeable = false;
  EXPECT_EQ(FrameDragRect(bounds, drag, {50, 50}), bounds);
  drag.Sizeable = true;
  drag.State = vwsRollup;
  EXPECT_EQ(FrameDragRect(bounds, drag, {50, 50}), bounds);
  drag.State = vwsNormal;
  drag.Zone = fzClose;
  EXPECT_EQ(FrameDragRect(bounds, drag, {50, 50}), bounds);
  // Bottom-left: left moves with the mouse, bottom with the step.
  drag.Zone = fzBottomLeft;
  drag.Press = drag.Last = TPoint(2, 198);
  EXPECT_EQ(FrameDragRect(bounds, drag, {-8, 208}), TRect(90, 100, 400, 310));
}

TEST(SkinFormFrame, StateRectangles) {
  EXPECT_EQ(FrameRollupRect(Layout(), 50, 60), Bounds(50, 60, 300, 27));
  EXPECT_EQ(FrameMinimizedRect(Layout(), 160, TRect(0, 0, 1024, 738)), TRect(0, 711, 160, 738));
  EXPECT_EQ(FrameMaximizedRect(Layout(), TRect(0, 0, 1024, 738)), TRect(-4, -4, 1028, 742));
  EXPECT_EQ(FrameMaximizedRect(Layout(vbsNone), TRect(0, 0, 1024, 738)), TRect(0, 0, 1024, 738));
}

}  // namespace
