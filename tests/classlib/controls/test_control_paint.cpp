// Painting: windowless controls painted by their parent in z-order and clipped to their
// bounds, Perform(WM_PAINT, DC) into a memory DC, WM_ERASEBKGND into a given DC, and
// invalidation of the parent's rectangle.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "classlib/graphics/MemorySurface.h"

using namespace control_tests;

namespace {

class ControlPaint : public ::testing::Test {
 protected:
  std::unique_ptr<TTestHost> Host = std::make_unique<TTestHost>();
};

}  // namespace

TEST_F(ControlPaint, WindowlessChildrenArePaintedInZOrderClippedToTheirBounds) {
  auto* lower = new TLogGraphic(Host.get(), Host.get(), Bounds(10, 10, 40, 40), clRed);
  auto* upper = new TLogGraphic(Host.get(), Host.get(), Bounds(30, 30, 40, 40), clLime);
  auto* hidden = new TLogGraphic(Host.get(), Host.get(), Bounds(0, 0, 100, 100), clBlue);
  hidden->SetVisible(false);
  upper->Overdraw = true;  // paints far outside itself; the parent clips it

  MemorySurface surface(120, 120, clWhite);
  Host->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);

  EXPECT_EQ(surface.At(15, 15), clRed);   // only the lower one
  EXPECT_EQ(surface.At(35, 35), clLime);  // the overlap: the upper one wins
  EXPECT_EQ(surface.At(65, 65), clLime);
  EXPECT_EQ(surface.At(5, 5), clWhite);   // outside both: the overdraw was clipped
  EXPECT_EQ(surface.At(75, 35), clWhite);
  EXPECT_EQ(hidden->Paints, 0);

  lower->BringToFront();
  surface.Fill(clWhite);
  Host->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  EXPECT_EQ(surface.At(35, 35), clRed);
  EXPECT_EQ(Host->GetControl(0), upper);

  // The DC comes back as it was given: a rectangle drawn afterwards lands where asked.
  ::SetPixel(surface.DC(), 1, 1, RGB(0, 0, 255));
  EXPECT_EQ(surface.At(1, 1), clBlue);
}

TEST_F(ControlPaint, PaintsIntoAForeignDCWithAndWithoutAWindow) {
  // A windowed custom control paints itself with Perform(WM_PAINT, DC) whether or not it
  // has a window, and its windowless children over it.
  auto* panel = new TLogWindow(Host.get(), Host.get(), Bounds(0, 0, 60, 60), clBlue);
  new TLogGraphic(Host.get(), panel, Bounds(20, 20, 10, 10), clYellow);

  MemorySurface surface(60, 60, clWhite);
  panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  EXPECT_EQ(surface.At(5, 5), clBlue);
  EXPECT_EQ(surface.At(25, 25), clYellow);
  EXPECT_FALSE(panel->HandleAllocated());

  Host->ShowHost();
  ASSERT_TRUE(panel->HandleAllocated());
  surface.Fill(clWhite);
  panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  EXPECT_EQ(surface.At(5, 5), clBlue);
  EXPECT_EQ(surface.At(25, 25), clYellow);

  // A windowless control alone paints at its own origin.
  auto* graphic = new TLogGraphic(Host.get(), Host.get(), Bounds(200, 200, 10, 10), clFuchsia);
  surface.Fill(clWhite);
  graphic->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  EXPECT_EQ(surface.At(5, 5), clFuchsia);
  EXPECT_EQ(surface.At(15, 15), clWhite);
}

TEST_F(ControlPaint, EraseBackgroundFillsTheGivenDCWithTheControlColour) {
  Host->SetColor(clRed);
  MemorySurface surface(500, 400, clWhite);
  EXPECT_EQ(Host->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.DC()), 0), 1);
  EXPECT_EQ(surface.At(0, 0), clRed);
  EXPECT_EQ(surface.At(399, 299), clRed);
  EXPECT_EQ(surface.At(400, 300), clWhite);  // only the client area

  // Double buffered: the system's erase (LParam 0) is skipped; the buffer's (LParam = DC)
  // is painted.
  Host->SetDoubleBuffered(true);
  surface.Fill(clWhite);
  Host->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.DC()), 0);
  EXPECT_EQ(surface.At(10, 10), clWhite);
  Host->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.DC()),
                reinterpret_cast<LPARAM>(surface.DC()));
  EXPECT_EQ(surface.At(10, 10), clRed);
}

TEST_F(ControlPaint, RealPaintingOfTheWindowPaintsTheChildren) {
  auto* child = new TLogGraphic(Host.get(), Host.get(), Bounds(10, 10, 20, 20), clRed);
  Host->ShowHost();
  ::RedrawWindow(Host->GetHandle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_GE(child->Paints, 1);

  // Invalidate asks the parent to repaint just the control's rectangle.
  ::ValidateRect(Host->GetHandle(), nullptr);
  child->Invalidate();
  RECT update{};
  ASSERT_TRUE(::GetUpdateRect(Host->GetHandle(), &update, FALSE));
  EXPECT_EQ(TRect(update), Bounds(10, 10, 20, 20));
  const int before = child->Paints;
  child->Update();
  EXPECT_EQ(child->Paints, before + 1);
}

TEST_F(ControlPaint, CanvasOutsidePaintingDrawsOnTheParentWindowAtTheControl) {
  Host->ShowHost();
  auto* child = new TLogGraphic(Host.get(), Host.get(), Bounds(30, 40, 20, 20), clRed);
  ::UpdateWindow(Host->GetHandle());
  child->GetCanvas()->GetBrush()->SetColor(clLime);
  child->GetCanvas()->FillRect(Rect(0, 0, 100, 100));  // clipped to the control
  HDC screen = ::GetDC(Host->GetHandle());
  const COLORREF inside = ::GetPixel(screen, 35, 45);
  const COLORREF outside = ::GetPixel(screen, 55, 45);
  ::ReleaseDC(Host->GetHandle(), screen);
  EXPECT_EQ(inside, RGB(0, 255, 0));
  EXPECT_NE(outside, RGB(0, 255, 0));
}

TEST_F(ControlPaint, CanvasesHoldFewWindowDCsAndGiveThemBackWithTheWindow) {
  Host->ShowHost();
  std::vector<TLogGraphic*> children;
  for (int i = 0; i < 6; ++i) {
    children.push_back(new TLogGraphic(Host.get(), Host.get(), Bounds(i * 30, 0, 20, 20)));
    children.back()->GetCanvas()->FillRect(Rect(0, 0, 5, 5));  // gets a window DC
  }
  // Only the last few keep theirs; the oldest were taken back.
  EXPECT_FALSE(children[0]->GetCanvas()->HandleAllocated());
  EXPECT_FALSE(children[1]->GetCanvas()->HandleAllocated());
  EXPECT_TRUE(children[5]->GetCanvas()->HandleAllocated());
  // A moved control draws at its new place: its DC is got again.
  children[5]->SetLeft(300);
  EXPECT_FALSE(children[5]->GetCanvas()->HandleAllocated());
  // Painting uses the paint DC, not a held one, and lets it go afterwards.
  MemorySurface surface(400, 40);
  Host->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.DC()), 0);
  EXPECT_FALSE(children[4]->GetCanvas()->HandleAllocated());
  children[3]->GetCanvas()->FillRect(Rect(0, 0, 5, 5));
  ASSERT_TRUE(children[3]->GetCanvas()->HandleAllocated());
  Host->RecreateWnd();  // the window goes: every DC of it is given back
  EXPECT_FALSE(children[3]->GetCanvas()->HandleAllocated());
}

namespace {

// A windowed control with the sunken client edge.
class TEdgedWindow : public TLogWindow {
 public:
  using TLogWindow::TLogWindow;

 protected:
  void CreateParams(TCreateParams& params) override {
    TLogWindow::CreateParams(params);
    params.ExStyle |= WS_EX_CLIENTEDGE;
  }
};

}  // namespace

TEST_F(ControlPaint, PaintToDrawsTheControlAsTheScreenShowsItAtAnyPlace) {
  auto* panel = new TEdgedWindow(Host.get(), Host.get(), Bounds(20, 20, 160, 120), clBlue);
  new TLogWindow(Host.get(), panel, Bounds(10, 10, 30, 30), clLime);
  new TLogGraphic(Host.get(), panel, Bounds(60, 10, 20, 20), clYellow);
  auto* hidden = new TLogWindow(Host.get(), panel, Bounds(90, 50, 30, 30), clRed);
  hidden->SetVisible(false);
  MemorySurface surface(400, 300, clWhite);
  // Without a window nothing is drawn.
  panel->PaintTo(surface.DC(), 0, 0);
  EXPECT_EQ(surface.CountOf(clWhite, TRect(0, 0, 400, 300)), 400 * 300);
  Host->ShowHost();
  ::RedrawWindow(Host->GetHandle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  // The screen's picture of the host next to the host painted to memory. Wine hands a
  // window's pixels to the display a little later than the paint, so on a busy machine the
  // screen is read again (a bounded number of times) until it has caught up.
  Host->PaintTo(surface.DC(), 0, 0);
  MemorySurface screen(400, 300, clWhite);
  int different = -1;
  for (int attempt = 0; attempt < 50 && different != 0; ++attempt) {
    if (attempt > 0) {
      MSG msg;
      for (int i = 0; i < 100 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) ::DispatchMessageW(&msg);
      ::Sleep(20);
    }
    HDC screenDC = ::GetDC(nullptr);
    ::BitBlt(screen.DC(), 0, 0, 400, 300, screenDC, 100, 100, SRCCOPY);
    ::ReleaseDC(nullptr, screenDC);
    different = 0;
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 400; ++x) different += screen.At(x, y) == surface.At(x, y) ? 0 : 1;
  }
  EXPECT_EQ(different, 0);
  EXPECT_EQ(surface.At(20 + 2 + 15, 20 + 2 + 15), clLime);
  EXPECT_EQ(surface.At(20 + 2 + 65, 20 + 2 + 15), clYellow);
  EXPECT_EQ(surface.At(20 + 2 + 100, 20 + 2 + 60), clBlue);  // the hidden child is left out
  EXPECT_NE(surface.At(20, 20), clBlue);                     // the edge
  // At another place, clipped to the control; the DC comes back as it was given.
  surface.Fill(clWhite);
  panel->PaintTo(surface.DC(), 7, 5);
  EXPECT_EQ(surface.At(7 + 2 + 15, 5 + 2 + 15), clLime);
  EXPECT_EQ(surface.At(7 + 160, 5 + 60), clWhite);
  EXPECT_EQ(surface.At(6, 5), clWhite);
  ::SetPixel(surface.DC(), 1, 1, RGB(0, 0, 255));
  EXPECT_EQ(surface.At(1, 1), clBlue);
}
