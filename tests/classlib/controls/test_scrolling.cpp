// Scroll ranges, positions and scroll messages: the arithmetic directly, then scroll boxes
// as real windows driven by WM_VSCROLL/WM_HSCROLL.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/controls/Panels.h"
#include "classlib/controls/Scrolling.h"
#include "ControlTestSupport.h"

using control_tests::PumpMessages;
using control_tests::TShownHost;

namespace {

// ---- Arithmetic -----------------------------------------------------------------------------

TEST(ScrollArithmetic, RangeIsTheFurthestChildPlusTrailingSizesAndMargin) {
  const TScrollExtent extents[] = {
      {erExtent, 10, 100},    // reaches 110
      {erExtent, 150, 40},    // reaches 190
      {erIgnored, 500, 500},  // a stretched child does not count
      {erTrailing, 0, 25},    // right-aligned: added after the rest
  };
  EXPECT_EQ(CalcScrollRange(extents, 0, 0), 215);
  EXPECT_EQ(CalcScrollRange(extents, 0, 5), 220);
  // Children scrolled by 30 lie 30 pixels further left; the range stays the same.
  const TScrollExtent scrolled[] = {{erExtent, -20, 100}, {erExtent, 120, 40}};
  EXPECT_EQ(CalcScrollRange(scrolled, 30, 0), 190);
  EXPECT_EQ(CalcScrollRange({}, 0, 0), 0);
  const TScrollExtent leftOfOrigin[] = {{erExtent, -50, 10}};
  EXPECT_EQ(CalcScrollRange(leftOfOrigin, 0, 0), 0);
}

TEST(ScrollArithmetic, ControlSizeAllowsForTheOtherBar) {
  EXPECT_EQ(ScrollControlSize(200, true, true, false, 16), 200);   // as it is
  EXPECT_EQ(ScrollControlSize(200, false, true, false, 16), 184);  // bar would come
  EXPECT_EQ(ScrollControlSize(184, false, true, true, 16), 184);   // bar is there
  EXPECT_EQ(ScrollControlSize(184, false, false, true, 16), 200);  // bar would go
  EXPECT_EQ(ScrollControlSize(200, false, false, false, 16), 200);
  EXPECT_EQ(ScrollCalcRange(340, 84), 256);
  EXPECT_EQ(ScrollCalcRange(50, 84), 0);
}

TEST(ScrollArithmetic, ScrollCodesMoveByLinePageThumbAndEnds) {
  // code, position, increment 8, page 84, calc range 256, thumb 50
  EXPECT_EQ(ScrollCodePosition(SB_LINEDOWN, 10, 8, 84, 256, 50, false), 18);
  EXPECT_EQ(ScrollCodePosition(SB_LINEUP, 10, 8, 84, 256, 50, false), 2);
  EXPECT_EQ(ScrollCodePosition(SB_PAGEDOWN, 10, 8, 84, 256, 50, false), 94);
  EXPECT_EQ(ScrollCodePosition(SB_PAGEUP, 10, 8, 84, 256, 50, false), -74);  // clamped later
  EXPECT_EQ(ScrollCodePosition(SB_THUMBPOSITION, 10, 8, 84, 256, 50, false), 50);
  EXPECT_EQ(ScrollCodePosition(SB_THUMBTRACK, 10, 8, 84, 256, 50, false), 10);
  EXPECT_EQ(ScrollCodePosition(SB_THUMBTRACK, 10, 8, 84, 256, 50, true), 50);
  EXPECT_EQ(ScrollCodePosition(SB_TOP, 10, 8, 84, 256, 50, false), 0);
  EXPECT_EQ(ScrollCodePosition(SB_BOTTOM, 10, 8, 84, 256, 50, false), 256);
  EXPECT_EQ(ScrollCodePosition(SB_ENDSCROLL, 10, 8, 84, 256, 50, false), 10);
  EXPECT_EQ(ScrollCodePosition(12345, 10, 8, 84, 256, 50, false), 10);
}

TEST(ScrollArithmetic, SmoothStepsAddUpToTheAmount) {
  const TSmoothScroll line = SmoothScrollSteps(10, 4);
  EXPECT_EQ(line.Step, 2);
  EXPECT_EQ(line.Final, 2);
  EXPECT_EQ(line.Count, 4);
  const TSmoothScroll page = SmoothScrollSteps(80, 12);
  EXPECT_EQ(page.Step * page.Count + page.Final, 80);
  const TSmoothScroll none = SmoothScrollSteps(7, 0);  // no divisions: one jump
  EXPECT_EQ(none.Count, 0);
  EXPECT_EQ(none.Final, 7);
}

TEST(ScrollArithmetic, ScrollInViewMovesAsLittleAsPossible) {
  EXPECT_EQ(ScrollInViewPosition(0, 150, 190, 184), 6);     // past the right edge
  EXPECT_EQ(ScrollInViewPosition(100, -20, 10, 184), 80);   // before the left edge
  EXPECT_EQ(ScrollInViewPosition(40, 10, 100, 184), 40);    // already in view
  EXPECT_EQ(ScrollInViewPosition(0, 100, 400, 184), 100);   // too big: its start shows
}

// ---- Windows ----------------------------------------------------------------------------------

TPoint WindowPosInParent(HWND wnd) {
  RECT r;
  ::GetWindowRect(wnd, &r);
  POINT p{r.left, r.top};
  ::ScreenToClient(::GetParent(wnd), &p);
  return TPoint(p.x, p.y);
}

void VScroll(TWinControl* control, int code, int pos = 0) {
  ::SendMessageW(control->GetHandle(), WM_VSCROLL, MAKEWPARAM(code, pos), 0);
}

// A 200 x 100 scroll box without border holding a windowed panel at (0, 0, 100, 50) and a
// windowless control at (150, 300, 40, 40).
class ScrollBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Box = new TScrollBox(nullptr);
    Box->SetBorderStyle(bsNone);
    Box->SetBounds(10, 10, 200, 100);
    Box->SetParent(&host);
    PanelChild = new TCustomPanel(nullptr);
    PanelChild->SetBounds(0, 0, 100, 50);
    PanelChild->SetParent(Box);
    Windowless = new TGraphicControl(nullptr);
    Windowless->SetBounds(150, 300, 40, 40);
    Windowless->SetParent(Box);
    PumpMessages();
  }
  void TearDown() override { delete Box; }  // frees the children

  TShownHost host;
  TScrollBox* Box = nullptr;
  TCustomPanel* PanelChild = nullptr;
  TGraphicControl* Windowless = nullptr;
};

TEST_F(ScrollBoxTest, RangesFollowTheChildrenAndBothBarsShow) {
  EXPECT_EQ(Box->GetVertScrollBar()->GetRange(), 340);
  EXPECT_EQ(Box->GetHorzScrollBar()->GetRange(), 190);
  // 340 > 100 needs the vertical bar; then 190 no longer fits beside it.
  EXPECT_TRUE(Box->GetVertScrollBar()->IsScrollBarVisible());
  EXPECT_TRUE(Box->GetHorzScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(Box->GetClientWidth(), 200 - ::GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(Box->GetClientHeight(), 100 - ::GetSystemMetrics(SM_CYHSCROLL));

  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  ASSERT_TRUE(::GetScrollInfo(Box->GetHandle(), SB_VERT, &info));
  EXPECT_EQ(info.nMax, 340);
  EXPECT_EQ(static_cast<int>(info.nPage), Box->GetClientHeight() + 1);
  EXPECT_EQ(info.nPos, 0);

  // Moving a child changes the range.
  Windowless->SetTop(400);
  EXPECT_EQ(Box->GetVertScrollBar()->GetRange(), 440);
  // A margin is kept beyond the furthest child.
  Box->GetVertScrollBar()->SetMargin(10);
  Box->Realign();
  EXPECT_EQ(Box->GetVertScrollBar()->GetRange(), 450);
}

TEST_F(ScrollBoxTest, ScrollInViewBringsAChildInAndMovesEveryChild) {
  const int clientWidth = Box->GetClientWidth();
  const int clientHeight = Box->GetClientHeight();
  Box->ScrollInView(Windowless);
  const int h = 190 - clientWidth;
  const int v = 340 - clientHeight;
  EXPECT_EQ(Box->GetHorzScrollBar()->GetPosition(), h);
  EXPECT_EQ(Box->GetVertScrollBar()->GetPosition(), v);
  EXPECT_EQ(Windowless->GetBoundsRect(), Bounds(150 - h, 300 - v, 40, 40));
  EXPECT_EQ(PanelChild->GetBoundsRect(), Bounds(-h, -v, 100, 50));
  EXPECT_EQ(WindowPosInParent(PanelChild->GetHandle()), TPoint(-h, -v));
  EXPECT_EQ(::GetScrollPos(Box->GetHandle(), SB_VERT), v);
  // The range does not change with the position.
  EXPECT_EQ(Box->GetVertScrollBar()->GetRange(), 340);

  Box->ScrollInView(PanelChild);
  EXPECT_EQ(Box->GetHorzScrollBar()->GetPosition(), 0);
  EXPECT_EQ(Box->GetVertScrollBar()->GetPosition(), 0);
  EXPECT_EQ(Windowless->GetBoundsRect(), Bounds(150, 300, 40, 40));
  EXPECT_EQ(WindowPosInParent(PanelChild->GetHandle()), TPoint(0, 0));

  // With a margin the control keeps that much room from the edge.
  Box->GetVertScrollBar()->SetMargin(6);
  Box->Realign();  // the range takes the margin too
  EXPECT_EQ(Box->GetVertScrollBar()->GetRange(), 346);
  Box->ScrollInView(Windowless);
  EXPECT_EQ(Box->GetVertScrollBar()->GetPosition(), 340 + 6 - clientHeight);
  // Something that is not inside the box is ignored.
  TGraphicControl stranger(nullptr);
  Box->ScrollInView(&stranger);
  Box->ScrollInView(nullptr);
  EXPECT_EQ(Box->GetVertScrollBar()->GetPosition(), 340 + 6 - clientHeight);
}

TEST_F(ScrollBoxTest, ScrollMessagesMoveThePosition) {
  TControlScrollBar* bar = Box->GetVertScrollBar();
  const int page = Box->GetClientHeight();
  const int last = 340 - page;
  VScroll(Box, SB_LINEDOWN);
  EXPECT_EQ(bar->GetPosition(), 8);
  EXPECT_EQ(Windowless->GetTop(), 292);
  VScroll(Box, SB_PAGEDOWN);
  EXPECT_EQ(bar->GetPosition(), 8 + page);
  VScroll(Box, SB_BOTTOM);
  EXPECT_EQ(bar->GetPosition(), last);
  VScroll(Box, SB_LINEDOWN);  // no further than the end
  EXPECT_EQ(bar->GetPosition(), last);
  VScroll(Box, SB_TOP);
  EXPECT_EQ(bar->GetPosition(), 0);
  VScroll(Box, SB_LINEUP);  // no further than the start
  EXPECT_EQ(bar->GetPosition(), 0);
  EXPECT_EQ(Windowless->GetTop(), 300);

  VScroll(Box, SB_THUMBTRACK, 50);  // dragging does not scroll without Tracking
  EXPECT_EQ(bar->GetPosition(), 0);
  VScroll(Box, SB_THUMBPOSITION, 50);
  EXPECT_EQ(bar->GetPosition(), 50);
  bar->SetTracking(true);
  VScroll(Box, SB_THUMBTRACK, 70);
  EXPECT_EQ(bar->GetPosition(), 70);
  EXPECT_EQ(WindowPosInParent(PanelChild->GetHandle()).Y, -70);

  // The horizontal bar answers WM_HSCROLL.
  ::SendMessageW(Box->GetHandle(), WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  EXPECT_EQ(Box->GetHorzScrollBar()->GetPosition(), 190 - Box->GetClientWidth());
  EXPECT_EQ(Windowless->GetLeft(), 150 - (190 - Box->GetClientWidth()));

  // Setting the position directly clamps it.
  bar->SetPosition(-5);
  EXPECT_EQ(bar->GetPosition(), 0);
  bar->SetPosition(100000);
  EXPECT_EQ(bar->GetPosition(), last);
}

TEST_F(ScrollBoxTest, SmoothLinesStillMoveByTheIncrement) {
  TControlScrollBar* bar = Box->GetVertScrollBar();
  bar->SetSmooth(true);
  Box->UpdateScrollBars();
  const int increment = bar->GetIncrement();
  EXPECT_EQ(increment, (Box->GetClientHeight() * 9 / 10) / 10);
  VScroll(Box, SB_LINEDOWN);
  EXPECT_EQ(bar->GetPosition(), increment);
  VScroll(Box, SB_PAGEDOWN);
  EXPECT_EQ(bar->GetPosition(), increment + Box->GetClientHeight() * 9 / 10);
}

TEST_F(ScrollBoxTest, GrowingTheBoxHidesTheBarsAndScrollsBack) {
  VScroll(Box, SB_BOTTOM);
  ::SendMessageW(Box->GetHandle(), WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  ASSERT_GT(Box->GetVertScrollBar()->GetPosition(), 0);
  Box->SetBounds(10, 10, 400, 400);
  EXPECT_FALSE(Box->GetVertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(Box->GetHorzScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(Box->GetVertScrollBar()->GetPosition(), 0);
  EXPECT_EQ(Box->GetHorzScrollBar()->GetPosition(), 0);
  EXPECT_EQ(Windowless->GetBoundsRect(), Bounds(150, 300, 40, 40));
  EXPECT_EQ(WindowPosInParent(PanelChild->GetHandle()), TPoint(0, 0));
  EXPECT_EQ(Box->GetClientWidth(), 400);

  Box->SetBounds(10, 10, 400, 200);  // only the vertical bar is needed now
  EXPECT_TRUE(Box->GetVertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(Box->GetHorzScrollBar()->IsScrollBarVisible());
}

TEST_F(ScrollBoxTest, AutoScrollOffOrAFixedRangeLeavesTheChildrenOutOfIt) {
  Box->SetAutoScroll(false);
  EXPECT_EQ(Box->GetVertScrollBar()->GetRange(), 0);
  EXPECT_FALSE(Box->GetVertScrollBar()->IsScrollBarVisible());
  Windowless->SetTop(500);
  EXPECT_EQ(Box->GetVertScrollBar()->GetRange(), 0);

  Box->GetVertScrollBar()->SetRange(1000);
  EXPECT_TRUE(Box->GetVertScrollBar()->IsScrollBarVisible());
  VScroll(Box, SB_BOTTOM);
  EXPECT_EQ(Box->GetVertScrollBar()->GetPosition(), 1000 - Box->GetClientHeight());

  Box->SetAutoScroll(true);  // back to the children's extent
  EXPECT_EQ(Box->GetVertScrollBar()->GetRange(), 540);
  // A fixed range turns AutoScroll off again.
  Box->GetHorzScrollBar()->SetRange(300);
  EXPECT_FALSE(Box->GetAutoScroll());

  // A hidden bar does not scroll.
  Box->GetVertScrollBar()->SetVisible(false);
  EXPECT_FALSE(Box->GetVertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(Box->GetVertScrollBar()->GetPosition(), 0);
  EXPECT_EQ(Windowless->GetTop(), 500);
}

TEST_F(ScrollBoxTest, AFocusedChildIsScrolledIntoView) {
  auto* field = new TCustomPanel(Box);
  field->SetBounds(10, 200, 60, 30);
  field->SetParent(Box);
  field->SetFocus();
  PumpMessages();
  ASSERT_TRUE(field->Focused());
  EXPECT_EQ(Box->GetVertScrollBar()->GetPosition(), 230 - Box->GetClientHeight());
  EXPECT_EQ(WindowPosInParent(field->GetHandle()).Y + 30, Box->GetClientHeight());
}

TEST(ScrollBox, AlignedAndAnchoredChildrenCountByTheirSide) {
  TShownHost host;
  auto* box = new TScrollBox(nullptr);
  std::unique_ptr<TScrollBox> owner(box);
  box->SetBorderStyle(bsNone);
  box->SetBounds(0, 0, 200, 100);
  box->SetParent(&host);
  auto add = [&](TAlign align, TRect bounds) {
    auto* c = new TGraphicControl(nullptr);
    c->SetBoundsRect(bounds);
    c->SetAlign(align);
    c->SetParent(box);
    return c;
  };
  add(alTop, Bounds(0, 0, 10, 30));       // vertical extent 30
  add(alBottom, Bounds(0, 0, 10, 20));    // vertical trailing 20
  add(alRight, Bounds(0, 0, 25, 10));     // horizontal trailing 25
  add(alClient, Bounds(0, 0, 900, 900));  // follows the client: counts nowhere
  TControl* free = add(alNone, Bounds(0, 90, 10, 60));  // vertical 150, horizontal 10
  EXPECT_EQ(box->GetVertScrollBar()->GetRange(), 150 + 20);
  EXPECT_EQ(box->GetHorzScrollBar()->GetRange(), 10 + 25);

  // Anchored to both sides, a child stretches with the client and does not count.
  free->SetAnchors(TAnchors{akLeft, akTop, akBottom});
  box->Realign();
  EXPECT_EQ(box->GetVertScrollBar()->GetRange(), 30 + 20);
  EXPECT_EQ(box->GetHorzScrollBar()->GetRange(), 10 + 25);
}

TEST(ScrollBox, HotTrackBarsScrollAsRegularOnes) {
  TShownHost host;
  std::unique_ptr<TScrollBox> box(new TScrollBox(nullptr));
  box->GetVertScrollBar()->SetStyle(ssHotTrack);
  box->GetVertScrollBar()->SetSize(12);
  box->GetVertScrollBar()->SetColor(clYellow);
  box->SetBounds(0, 0, 150, 120);
  box->SetParent(&host);
  auto* tall = new TGraphicControl(nullptr);
  tall->SetBounds(0, 0, 50, 600);
  tall->SetParent(box.get());
  EXPECT_TRUE(box->GetVertScrollBar()->IsScrollBarVisible());
  VScroll(box.get(), SB_LINEDOWN);
  VScroll(box.get(), SB_LINEDOWN);
  EXPECT_EQ(box->GetVertScrollBar()->GetPosition(), 16);
  EXPECT_EQ(tall->GetTop(), -16);

  // A new window keeps the bars' state (flat bars are set up again).
  const bool flat = box->GetFlatScrollBars();
  box->SetBorderStyle(bsNone);
  EXPECT_EQ(box->GetFlatScrollBars(), flat);
  EXPECT_TRUE(box->GetVertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->GetVertScrollBar()->GetRange(), 600);
}

TEST(ScrollBox, BorderStyleGivesASunkenEdgeOrAFrame) {
  TShownHost host;
  std::unique_ptr<TScrollBox> box(new TScrollBox(nullptr));
  box->SetParent(&host);
  EXPECT_TRUE(::GetWindowLongW(box->GetHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  box->SetCtl3D(false);
  EXPECT_FALSE(::GetWindowLongW(box->GetHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(::GetWindowLongW(box->GetHandle(), GWL_STYLE) & WS_BORDER);
  box->SetBorderStyle(bsNone);
  EXPECT_FALSE(::GetWindowLongW(box->GetHandle(), GWL_STYLE) & WS_BORDER);
  box->SetBorderStyle(bsDialog);  // not a border of a scroll box: ignored
  EXPECT_EQ(box->GetBorderStyle(), bsNone);
}

TEST(ControlScrollBar, AssignCopiesTheBarsSettings) {
  TScrollBox a(nullptr), b(nullptr);
  TControlScrollBar* source = a.GetVertScrollBar();
  source->SetIncrement(20);
  source->SetMargin(4);
  source->SetTracking(true);
  source->SetStyle(ssFlat);
  source->SetRange(700);
  b.SetVertScrollBar(source);
  TControlScrollBar* copy = b.GetVertScrollBar();
  EXPECT_EQ(copy->GetIncrement(), 20);
  EXPECT_EQ(copy->GetMargin(), 4);
  EXPECT_TRUE(copy->GetTracking());
  EXPECT_EQ(copy->GetStyle(), ssFlat);
  EXPECT_EQ(copy->GetRange(), 700);
  EXPECT_FALSE(b.GetAutoScroll());  // a fixed range was copied
  copy->SetIncrement(0);  // out of range: clamped
  EXPECT_EQ(copy->GetIncrement(), 1);
}

}  // namespace
