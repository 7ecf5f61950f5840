// TCustomPanel: the frame arithmetic, the pixels a panel paints into a memory DC, the room
// its frame leaves to aligned children, and what it repaints on a resize.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/controls/Panels.h"
#include "ControlTestSupport.h"
#include "classlib/graphics/MemorySurface.h"

using control_tests::PumpMessages;
using control_tests::TShownHost;

namespace {

// ---- Frame arithmetic ----------------------------------------------------------------------

TEST(PanelFrame, WidthCountsTheBorderAndTheDrawnBevelsAndTheCaptionBandIsCentred) {
  EXPECT_EQ(PanelFrameWidth(bvRaised, bvLowered, 2, 3), 7);
  EXPECT_EQ(PanelFrameWidth(bvNone, bvNone, 5, 4), 4);
  EXPECT_EQ(PanelFrameWidth(bvNone, bvSpace, 2, 0), 2);
  EXPECT_EQ(PanelFrameWidth(bvRaised, bvRaised, -3, -1), 0);  // bad widths count as 0
  // (1 + 40 - 12) div 2 = 14
  EXPECT_EQ(PanelCaptionRect(Rect(1, 1, 99, 40), 12), Rect(1, 14, 99, 26));
  // A font taller than the panel: the band reaches above it (div truncates toward 0).
  EXPECT_EQ(PanelCaptionRect(Rect(0, 0, 50, 5), 12), Rect(0, -3, 50, 9));
}

// ---- Windows ----------------------------------------------------------------------------------

TColor Rgb(TColor color) { return ColorFromInt(static_cast<int32_t>(ColorToRGB(color))); }

// The smallest rectangle holding every pixel that is not `background`.
TRect InkBounds(const MemorySurface& s, TColor background) {
  TRect ink(s.Width(), s.Height(), -1, -1);
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      if (!(s.At(x, y) == background)) {
        ink.Left = std::min(ink.Left, x);
        ink.Top = std::min(ink.Top, y);
        ink.Right = std::max(ink.Right, x + 1);
        ink.Bottom = std::max(ink.Bottom, y + 1);
      }
  return ink;
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Panel = new TCustomPanel(nullptr);
    Panel->SetParent(&host);
  }
  void TearDown() override { delete Panel; }

  // Paints the panel into a fresh surface of its size.
  std::unique_ptr<MemorySurface> PaintPanel() {
    auto s = std::make_unique<MemorySurface>(Panel->GetWidth(), Panel->GetHeight(), clFuchsia);
    Panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(s->DC()), 0);
    return s;
  }

  TShownHost host;
  TCustomPanel* Panel = nullptr;
};

TEST_F(PanelTest, LockedPanelsDoNotAnswerAsToolControls) {
  EXPECT_EQ(Panel->Perform(CM_ISTOOLCONTROL, 0, 0), 1);
  Panel->SetLocked(true);
  EXPECT_EQ(Panel->Perform(CM_ISTOOLCONTROL, 0, 0), 0);
}

TEST_F(PanelTest, RaisedOuterBevelIsLightAboveAndDarkBelow) {
  Panel->SetBounds(0, 0, 40, 20);
  Panel->SetColor(clYellow);
  auto s = PaintPanel();
  const TColor light = Rgb(clBtnHighlight), dark = Rgb(clBtnShadow);
  EXPECT_EQ(s->At(0, 0), light);
  EXPECT_EQ(s->At(20, 0), light);
  EXPECT_EQ(s->At(0, 10), light);
  EXPECT_EQ(s->At(39, 0), dark);  // the top-right corner belongs to the dark side
  EXPECT_EQ(s->At(39, 10), dark);
  EXPECT_EQ(s->At(20, 19), dark);
  EXPECT_EQ(s->At(0, 19), dark);
  EXPECT_EQ(s->CountOf(clYellow, Rect(1, 1, 39, 19)), 38 * 18);  // the rest is filled
}

TEST_F(PanelTest, BorderAndInnerBevelAreDrawnInsideTheOuterOne) {
  Panel->SetBounds(0, 0, 40, 30);
  Panel->SetColor(clYellow);
  Panel->SetBevelOuter(bvLowered);
  Panel->SetBevelInner(bvRaised);
  Panel->SetBevelWidth(2);
  Panel->SetBorderWidth(3);
  auto s = PaintPanel();
  const TColor light = Rgb(clBtnHighlight), dark = Rgb(clBtnShadow);
  // Outer lowered bevel: rows/columns 0 and 1.
  EXPECT_EQ(s->At(1, 15), dark);
  EXPECT_EQ(s->At(38, 15), light);
  // Border in the panel's colour: 2..4.
  EXPECT_EQ(s->At(2, 15), clYellow);
  EXPECT_EQ(s->At(4, 15), clYellow);
  EXPECT_EQ(s->At(20, 27), clYellow);
  // Inner raised bevel: 5 and 6 from each edge.
  EXPECT_EQ(s->At(5, 15), light);
  EXPECT_EQ(s->At(6, 15), light);
  EXPECT_EQ(s->At(33, 15), dark);
  EXPECT_EQ(s->At(20, 24), dark);
  // Inside.
  EXPECT_EQ(s->CountOf(clYellow, Rect(7, 7, 33, 23)), 26 * 16);
}

TEST_F(PanelTest, CaptionIsCentredVerticallyAndPlacedByAlignment) {
  Panel->SetBounds(0, 0, 160, 40);
  Panel->SetBevelOuter(bvNone);
  Panel->SetColor(clWhite);
  Panel->GetFont()->SetColor(clBlack);
  Panel->SetCaption(L"MMM");
  auto s = PaintPanel();
  TRect ink = InkBounds(*s, clWhite);
  ASSERT_LT(ink.Left, ink.Right) << "no caption was drawn";
  EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 80, 3);
  EXPECT_NEAR((ink.Top + ink.Bottom) / 2.0, 20, 4);
  const int textWidth = ink.Width();

  Panel->SetAlignment(taLeftJustify);
  ink = InkBounds(*PaintPanel(), clWhite);
  EXPECT_LE(ink.Left, 2);
  EXPECT_EQ(ink.Width(), textWidth);

  Panel->SetAlignment(taRightJustify);
  ink = InkBounds(*PaintPanel(), clWhite);
  EXPECT_GE(ink.Right, 158);

  // The frame pushes the caption in.
  Panel->SetAlignment(taLeftJustify);
  Panel->SetBorderWidth(10);
  ink = InkBounds(*PaintPanel(), clWhite);
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Left, 12);
}

TEST_F(PanelTest, AlignedChildrenSitInsideTheFrame) {
  Panel->SetBounds(0, 0, 200, 100);
  auto* child = new TGraphicControl(Panel);  // freed with the panel
  child->SetAlign(alClient);
  child->SetParent(Panel);
  EXPECT_EQ(child->GetBoundsRect(), Bounds(1, 1, 198, 98));
  Panel->SetBevelInner(bvLowered);
  Panel->SetBevelWidth(2);
  Panel->SetBorderWidth(3);
  EXPECT_EQ(child->GetBoundsRect(), Bounds(7, 7, 186, 86));
  Panel->SetBevelOuter(bvNone);
  EXPECT_EQ(child->GetBoundsRect(), Bounds(5, 5, 190, 90));
  Panel->SetBorderWidth(-4);  // counts as 0
  EXPECT_EQ(Panel->GetBorderWidth(), 0);
  EXPECT_EQ(child->GetBoundsRect(), Bounds(2, 2, 196, 96));
  Panel->SetBounds(0, 0, 300, 50);
  EXPECT_EQ(child->GetBoundsRect(), Bounds(2, 2, 296, 46));
}

TEST_F(PanelTest, BorderStyleMakesANewWindowWithAnEdge) {
  auto* child = new TCustomPanel(Panel);
  child->SetParent(Panel);
  Panel->SetCaption(L"framed");
  const HWND before = Panel->GetHandle();
  EXPECT_FALSE(::GetWindowLongW(before, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  Panel->SetBorderStyle(bsSingle);
  const HWND after = Panel->GetHandle();
  EXPECT_NE(after, before);
  EXPECT_TRUE(::GetWindowLongW(after, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(::GetParent(child->GetHandle()), after);
  EXPECT_EQ(Panel->GetCaption(), L"framed");
  Panel->SetCtl3D(false);
  EXPECT_TRUE(::GetWindowLongW(Panel->GetHandle(), GWL_STYLE) & WS_BORDER);
  Panel->SetBorderStyle(bsSizeable);  // not a panel border: ignored
  EXPECT_EQ(Panel->GetBorderStyle(), bsSingle);
}

// After a resize the whole panel is repainted with FullRepaint or a caption; otherwise only
// the strip of the frame along the moved edge.
TEST_F(PanelTest, ResizeRepaintsAllOrOnlyTheFrameStrip) {
  Panel->SetBounds(0, 0, 200, 100);
  PumpMessages();
  HWND wnd = Panel->GetHandle();
  ::ValidateRect(wnd, nullptr);
  Panel->SetBounds(0, 0, 180, 100);
  RECT update{};
  ASSERT_TRUE(::GetUpdateRect(wnd, &update, FALSE));
  EXPECT_EQ(TRect(update), Rect(0, 0, 180, 100));

  PumpMessages();
  ::ValidateRect(wnd, nullptr);
  Panel->SetFullRepaint(false);
  Panel->SetBounds(0, 0, 160, 100);
  ASSERT_TRUE(::GetUpdateRect(wnd, &update, FALSE));
  EXPECT_EQ(TRect(update), Rect(158, 0, 160, 100));  // frame 1 + the line beside it

  // The strip is found in the client area also behind a window border.
  Panel->SetBorderStyle(bsSingle);
  wnd = Panel->GetHandle();
  PumpMessages();
  ::ValidateRect(wnd, nullptr);
  RECT client{};
  ::GetClientRect(wnd, &client);
  Panel->SetBounds(0, 0, 160, 90);
  ASSERT_TRUE(::GetUpdateRect(wnd, &update, FALSE));
  EXPECT_EQ(TRect(update), Rect(0, client.bottom - 10 - 2, client.right, client.bottom - 10));
  Panel->SetBorderStyle(bsNone);
  wnd = Panel->GetHandle();

  PumpMessages();
  ::ValidateRect(wnd, nullptr);
  Panel->SetCaption(L"text");
  PumpMessages();
  ::ValidateRect(wnd, nullptr);
  Panel->SetBounds(0, 0, 150, 100);
  ASSERT_TRUE(::GetUpdateRect(wnd, &update, FALSE));
  EXPECT_EQ(TRect(update), Rect(0, 0, 150, 100));
}

}  // namespace
