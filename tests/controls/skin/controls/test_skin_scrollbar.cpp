// The library's scroll bar: geometry against tables (half-way rounding, tiny bars, extreme
// ranges), the range writers, the codes of a thumb drag, repeating by real mouse input (start,
// stop on release and on a lost capture, a handler that frees the bar), themed and classic
// drawing against the system's own, and the control base's own bars (styles 1 to 3).
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/controls/SkinScrollBar.h"
#include "controls/skin/engine/ThemeBinding.h"
#include "tests/classlib/controls/ControlTestSupport.h"

using namespace skin_tests;
using stdctrl_tests::PumpUntil;

namespace {

TSeScrollGeometry Bar(int width, int height, int min, int max, int page, int position,
                      TScrollBarKind kind = sbHorizontal) {
  TSeScrollGeometry g;
  g.Kind = kind;
  g.Width = width;
  g.Height = height;
  g.BorderWidth = 1;
  g.ThumbMetric = 17;
  g.Min = min;
  g.Max = max;
  g.PageSize = page;
  g.Position = position;
  return g;
}

TEST(SkinScrollGeometry, RoundsHalvesToEvenAndKeepsTinyBarsSane) {
  EXPECT_EQ(RoundDivEven(1, 2), 0);
  EXPECT_EQ(RoundDivEven(3, 2), 2);
  EXPECT_EQ(RoundDivEven(5, 2), 2);
  EXPECT_EQ(RoundDivEven(-3, 2), -2);
  struct Row {
    TSeScrollGeometry G;
    int Button, ThumbSize, ThumbOffset;
    TRect Track;
  };
  const Row rows[] = {
      // 121 x 17: buttons 17, track 18..103 (85), thumb 17, offset 18 + round(50 x 68 / 100).
      {Bar(121, 17, 0, 100, 0, 50), 17, 17, 52, TRect(18, 1, 103, 16)},
      // Track 20, thumb 17: avail 3 over 2 steps; 1.5 rounds to 2.
      {Bar(56, 17, 0, 2, 0, 1), 17, 17, 20, TRect(18, 1, 38, 16)},
      // avail 1 over 2 steps: 0.5 rounds to 0.
      {Bar(54, 17, 0, 2, 0, 1), 17, 17, 18, TRect(18, 1, 36, 16)},
      // Shorter than two buttons: half the inside each, no thumb.
      {Bar(20, 17, 0, 100, 0, 50), 9, 0, 10, TRect(10, 1, 10, 16)},
      // Smaller than its frame: nothing negative.
      {Bar(1, 17, 0, 100, 0, 50), 0, 0, 1, TRect(1, 1, 1, 16)},
      // A page as large as the range: the thumb sits at the start.
      {Bar(121, 17, 0, 9, 10, 5), 17, 0, 18, TRect(18, 1, 103, 16)},
      // Proportional thumb: 10 of 101 on 85 pixels is 8, at least 10.
      {Bar(121, 17, 0, 100, 10, 0), 17, 10, 18, TRect(18, 1, 103, 16)},
      // The widest range: no overflow, no wrap.
      {Bar(121, 17, INT_MIN, INT_MAX, 0, INT_MAX), 17, 17, 86, TRect(18, 1, 103, 16)},
      {Bar(121, 17, INT_MIN, INT_MAX, 0, 0), 17, 17, 52, TRect(18, 1, 103, 16)},
      {Bar(121, 17, INT_MIN, INT_MAX, 1000, INT_MIN), 17, 10, 18, TRect(18, 1, 103, 16)},
      // Vertical: along y.
      {Bar(17, 121, 0, 100, 0, 100, sbVertical), 17, 17, 86, TRect(1, 18, 16, 103)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.G.Width << "x" << row.G.Height << " " << row.G.Min
                                      << ".." << row.G.Max << " page " << row.G.PageSize);
    EXPECT_EQ(row.G.ButtonSize(), row.Button);
    EXPECT_EQ(row.G.TrackRect(), row.Track);
    EXPECT_EQ(row.G.ThumbSize(), row.ThumbSize);
    EXPECT_EQ(row.G.ThumbOffset(), row.ThumbOffset);
    EXPECT_LE(row.G.PageUpRect().Left, row.G.PageUpRect().Right);
  }
}

TEST(SkinScrollGeometry, PositionFromThePixelOfTheThumb) {
  const TSeScrollGeometry g = Bar(121, 17, 0, 100, 0, 0);
  EXPECT_EQ(g.PositionAt(18), 0);
  EXPECT_EQ(g.PositionAt(18 + 68), 100);
  EXPECT_EQ(g.PositionAt(18 + 34), 50);
  EXPECT_EQ(g.PositionAt(0), 0);  // raised to Min
  // 1 pixel of 68 is 100/68 = 1.47 -> 1; 17 pixels -> 25.
  EXPECT_EQ(g.PositionAt(19), 1);
  EXPECT_EQ(g.PositionAt(35), 25);
  // With a page the last position is Max - PageSize + 1.
  EXPECT_EQ(Bar(121, 17, 0, 100, 10, 0).PositionAt(103), 91);
  // No travel: Min.
  EXPECT_EQ(Bar(121, 17, 5, 5, 0, 5).PositionAt(60), 5);
  EXPECT_EQ(Bar(121, 17, 0, 9, 10, 5).PositionAt(60), 0);
  // The widest range reaches both ends.
  const TSeScrollGeometry wide = Bar(121, 17, INT_MIN, INT_MAX, 0, 0);
  EXPECT_EQ(wide.PositionAt(18), INT_MIN);
  EXPECT_EQ(wide.PositionAt(86), INT_MAX);
}

TEST(SkinScrollBarRange, WritersClampAndALayoutReadsInAnyOrder) {
  TSeCustomScrollBar bar(nullptr);
  int changes = 0;
  bar.SetOnChange([&](TObject*) { ++changes; });
  bar.SetPosition(80);
  bar.SetMax(50);  // below Position: Position follows, with OnChange
  EXPECT_EQ(bar.GetPosition(), 50);
  EXPECT_EQ(changes, 2);
  bar.SetMin(70);  // above Max: stored as Max
  EXPECT_EQ(bar.GetMin(), 50);
  bar.SetMin(0);
  bar.SetPageSize(80);
  EXPECT_EQ(bar.GetPageSize(), 51);
  bar.SetPageSize(-3);
  EXPECT_EQ(bar.GetPageSize(), 51);
  bar.SetSmallChange(0);
  bar.SetLargeChange(100000);
  EXPECT_EQ(bar.GetSmallChange(), 1);
  EXPECT_EQ(bar.GetLargeChange(), 32767);
  // A value past the end is stored as the end and still told; the value it holds is not.
  TSeCustomScrollBar end(nullptr);
  int told = 0;
  end.SetOnChange([&](TObject*) { ++told; });
  end.SetPosition(100);
  end.SetPosition(150);
  EXPECT_EQ(end.GetPosition(), 100);
  EXPECT_EQ(told, 2);
  end.SetPosition(100);
  EXPECT_EQ(told, 2);

  // Position before Max, Min after Max: all kept as the layout says.
  RegisterSkinClasses();
  TStringStream stream(
      L"object Bar: TSeCustomScrollBar\n  Position = 150\n  Max = 200\n  Min = 120\n"
      L"  PageSize = 500\nend\n");
  TSeCustomScrollBar read(nullptr);
  ReadComponentFromStream(stream, &read);
  EXPECT_EQ(read.GetPosition(), 150);
  EXPECT_EQ(read.GetMax(), 200);
  EXPECT_EQ(read.GetMin(), 120);
  EXPECT_EQ(read.GetPageSize(), 81);
}

class SkinScrollBarTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    ShowForm();
    Bar = new TSeCustomScrollBar(Form);
    Bar->SetParent(Form);
    Bar->SetBounds(20, 20, 200, 17);
    Bar->SetOnScroll([this](TObject*, TScrollCode code, int& pos) {
      Codes.push_back(code);
      Positions.push_back(pos);
    });
    Pump();
  }
  void Post(UINT msg, int x, int y) {
    ::PostMessageW(Form->GetHandle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                   At(Bar->GetLeft() + x, Bar->GetTop() + y));
    Pump();
  }
  // Real mouse input at a point of the bar (the code reads the button's state).
  void Mouse(DWORD flags, int x, int y) {
    MouseInputAt(Form->ClientToScreen(TPoint(20 + x, 20 + y)), flags);
  }
  TSeCustomScrollBar* Bar = nullptr;
  std::vector<TScrollCode> Codes;
  std::vector<int> Positions;
};

TEST_F(SkinScrollBarTest, ThumbDragSendsTrackThenPositionAndEndScroll) {
  const TRect thumb = Bar->GetThumbRect();
  Post(WM_LBUTTONDOWN, thumb.Left, 8);  // grabbed at its very first pixel
  EXPECT_TRUE(Bar->IsDragging());
  Post(WM_MOUSEMOVE, thumb.Left + 40, 8);
  Post(WM_MOUSEMOVE, 500, 8);  // far past the end: limited to Max
  Post(WM_LBUTTONUP, 500, 8);
  EXPECT_FALSE(Bar->IsDragging());
  const std::vector<TScrollCode> codes{scTrack, scTrack, scTrack, scPosition, scEndScroll};
  EXPECT_EQ(Codes, codes);
  ASSERT_EQ(Positions.size(), 5u);
  EXPECT_EQ(Positions[0], 0);
  EXPECT_EQ(Positions[1], static_cast<int>(RoundDivEven(40 * 100, 200 - 34 - 17 - 2)));
  EXPECT_EQ(Positions[2], 100);
  EXPECT_EQ(Bar->GetPosition(), 100);
  // A handler that changes the value decides the position.
  Codes.clear();
  Bar->SetOnScroll([](TObject*, TScrollCode code, int& pos) {
    if (code == scEndScroll) pos = 7;
  });
  Post(WM_LBUTTONDOWN, 190, 8);
  Post(WM_LBUTTONUP, 190, 8);
  EXPECT_EQ(Bar->GetPosition(), 7);
}

TEST_F(SkinScrollBarTest, RepeatStartsAtOnceAndStopsOnReleaseAndOnALostCapture) {
  Mouse(MOUSEEVENTF_LEFTDOWN, 195, 8);  // line-down button
  EXPECT_EQ(Bar->GetPosition(), 1);     // the immediate step
  EXPECT_TRUE(Bar->IsRepeating());
  EXPECT_TRUE(PumpUntil([&] { return Bar->GetPosition() >= 4; }, 4000));
  Mouse(MOUSEEVENTF_LEFTUP, 195, 8);
  EXPECT_FALSE(Bar->IsRepeating());
  const int stopped = Bar->GetPosition();
  ::Sleep(300);
  Pump();
  EXPECT_EQ(Bar->GetPosition(), stopped);
  EXPECT_EQ(Codes.back(), scEndScroll);

  // Another window takes the capture while the button is held: the next tick ends it.
  Mouse(MOUSEEVENTF_LEFTDOWN, 195, 8);
  ASSERT_TRUE(Bar->IsRepeating());
  HWND thief = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ::SetCapture(thief);
  EXPECT_TRUE(PumpUntil([&] { return !Bar->IsRepeating(); }, 3000));
  ::ReleaseCapture();
  ::DestroyWindow(thief);
  Mouse(MOUSEEVENTF_LEFTUP, 195, 8);

  // Pressing in the page area steps by pages until the thumb reaches the pointer.
  Bar->SetPosition(0);
  Bar->SetLargeChange(10);
  Mouse(MOUSEEVENTF_LEFTDOWN, 150, 8);
  EXPECT_EQ(Bar->GetPosition(), 10);
  EXPECT_TRUE(PumpUntil([&] { return Bar->GetThumbRect().Right >= 150; }, 6000));
  ::Sleep(300);
  Pump();
  EXPECT_LT(Bar->GetThumbRect().Left, 150);  // stopped under the pointer
  Mouse(MOUSEEVENTF_LEFTUP, 150, 8);
  // Disabling while pressed stops the repeat.
  Mouse(MOUSEEVENTF_LEFTDOWN, 5, 8);
  ASSERT_TRUE(Bar->IsRepeating());
  Bar->SetEnabled(false);
  EXPECT_FALSE(Bar->IsRepeating());
  Mouse(MOUSEEVENTF_LEFTUP, 5, 8);
}

// Set by its owner, automatic scrolling needs no press: it steps at the repeat rate until it
// reaches the end it runs to, or the owner clears it.
TEST_F(SkinScrollBarTest, AutomaticScrollingRunsWithoutAPressUntilTheEndOrTheOwnerStopsIt) {
  Bar->SetMax(10);
  Bar->SetAutoScrollDown(true);
  EXPECT_EQ(Bar->GetPosition(), 0);  // no immediate step
  EXPECT_TRUE(PumpUntil([&] { return Bar->GetPosition() == 10; }, 4000));
  EXPECT_FALSE(Bar->GetAutoScrollDown());
  EXPECT_FALSE(Bar->IsRepeating());
  Bar->SetAutoScrollUp(true);
  EXPECT_TRUE(PumpUntil([&] { return Bar->GetPosition() <= 7; }, 4000));
  Bar->SetAutoScrollUp(false);
  EXPECT_FALSE(Bar->IsRepeating());
  const int stopped = Bar->GetPosition();
  ::Sleep(200);
  Pump();
  EXPECT_EQ(Bar->GetPosition(), stopped);
}

TEST_F(SkinScrollBarTest, AHandlerThatFreesTheBarDuringATickIsSafe) {
  Bar->SetOnChange([this](TObject*) {
    if (Bar->GetPosition() == 3) {
      delete Bar;
      Bar = nullptr;
    }
  });
  Mouse(MOUSEEVENTF_LEFTDOWN, 195, 8);
  EXPECT_TRUE(PumpUntil([&] { return Bar == nullptr; }, 4000));
  Mouse(MOUSEEVENTF_LEFTUP, 195, 8);
  ::Sleep(200);
  Pump();
}

TEST_F(SkinScrollBarTest, ButtonsOffPutTheEndsInThePageAreasAndLeavingClearsHot) {
  Bar->SetShowButtons(false);
  Post(WM_LBUTTONDOWN, 198, 8);
  Post(WM_LBUTTONUP, 198, 8);
  EXPECT_EQ(Codes.front(), scPageDown);
  Post(WM_MOUSEMOVE, Bar->GetThumbRect().Left + 2, 8);
  EXPECT_TRUE(Bar->GetHotThumb());
  int leaves = 0;
  Bar->SetOnMouseLeave([&](TObject*) { ++leaves; });
  Bar->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(Bar->GetHotAny());
  EXPECT_EQ(leaves, 0);  // the bar fires no OnMouseLeave of its own
}

// Themed parts are the theme's own; classic ones the frame-control and checker drawing.
TEST_F(SkinScrollBarTest, DrawsTheSystemsOwnPartsThemedAndClassic) {
  Bar->SetBorderWidth(0);
  Bar->SetPosition(0);
  const TRect up = Bar->GetLineUpButtonRect(), thumb = Bar->GetThumbRect();
  auto ours = [&] {
    auto surface = std::make_unique<MemorySurface>(200, 17, Rgb(clBtnFace));
    PaintInto(Bar, *surface);
    return surface;
  };
  ASSERT_TRUE(UseThemes());
  {
    auto painted = ours();
    MemorySurface system(200, 17, Rgb(clBtnFace));
    TThemeScope theme(L"ScrollBar");
    RECT r = Bar->GetTrackRect();
    theme.DrawBackground(system.DC(), 4, 1, r);
    r = up;
    theme.DrawBackground(system.DC(), 1, 9, r);  // ABS_LEFTNORMAL
    r = thumb;
    theme.DrawBackground(system.DC(), 2, 1, r);
    ::GdiFlush();
    EXPECT_EQ(DifferentPixels(*painted, system, up), 0);
    EXPECT_EQ(DifferentPixels(*painted, system, thumb), 0);
  }
  SaveScreenshot(Form->GetHandle(), L"skin_scrollbar_themed");
  WithoutThemes([&] {
    auto painted = ours();
    MemorySurface system(200, 17);
    RECT r = up;
    ::DrawFrameControl(system.DC(), &r, DFC_SCROLL, DFCS_SCROLLLEFT);
    ::GdiFlush();
    EXPECT_EQ(DifferentPixels(*painted, system, up), 0);
    EXPECT_EQ(painted->At(thumb.Left + 3, 8), Rgb(clBtnFace));
    EXPECT_EQ(painted->At(thumb.Left, 8), Rgb(cl3DLight));
    Form->Repaint();
    Pump();
    SaveScreenshot(Form->GetHandle(), L"skin_scrollbar_classic");
  });
}

// Repaints draw the themed parts from kept bitmaps: every paint, also after a theme or colour
// change, equals the theme library's own drawing of the track, both arrows and the thumb.
TEST_F(SkinScrollBarTest, ThemedRepaintsFromKeptPartsEqualTheLibrarysDrawing) {
  if (!UseThemes()) GTEST_SKIP() << "no visual styles";
  Bar->SetBorderWidth(0);
  Bar->SetPosition(30);
  MemorySurface library(200, 17, Rgb(clBtnFace));
  {
    TThemeScope theme(L"ScrollBar");
    theme.DrawBackground(library.DC(), 4, 1, Bar->GetTrackRect());
    theme.DrawBackground(library.DC(), 1, 9, Bar->GetLineUpButtonRect());     // ABS_LEFTNORMAL
    theme.DrawBackground(library.DC(), 1, 13, Bar->GetLineDownButtonRect());  // ABS_RIGHTNORMAL
    theme.DrawBackground(library.DC(), 2, 1, Bar->GetThumbRect());
    ::GdiFlush();
  }
  for (int pass = 0; pass < 5; ++pass) {
    if (pass == 3) Bar->Perform(WM_THEMECHANGED, 0, 0);
    if (pass == 4) Bar->Perform(CM_SYSCOLORCHANGE, 0, 0);
    MemorySurface painted(200, 17, Rgb(clFuchsia));
    PaintInto(Bar, painted);
    EXPECT_EQ(DifferentPixels(painted, library, TRect(0, 0, 200, 17)), 0) << "pass " << pass;
  }
}

// A control of the library with its own bars: forwarded scroll messages and their codes.
class TBarsProbe : public TSeCustomControl {
  CLASSLIB_CLASS(TBarsProbe, TSeCustomControl)
  explicit TBarsProbe(TComponent* owner) : TSeCustomControl(owner) {}
  std::vector<std::pair<UINT, WPARAM>> Scrolls;
  void Dispatch(TMessage& message) override {
    if (message.Msg == WM_HSCROLL || message.Msg == WM_VSCROLL) {
      Scrolls.emplace_back(message.Msg, message.WParam);
      TSeCustomScrollBar* bar = message.Msg == WM_HSCROLL ? GetHorzScrollBar() : GetVertScrollBar();
      bar->SetPosition(static_cast<int>(message.LParam));
      return;
    }
    inherited::Dispatch(message);
  }
};

// Another theme or other system colours change what the theme draws: a bar's kept parts give
// way to the new drawing after the message, wherever the bar sits. A bar directly on a form of
// the class library hears of a theme change through the form (the system tells windows only),
// a control's own bar through its control; both hear of new colours through the form.
TEST_F(SkinScrollBarTest, KeptPartsGiveWayToANewLookWhereverTheBarSits) {
  if (!UseThemes()) GTEST_SKIP() << "no visual styles";
  auto* probe = new TBarsProbe(Form);
  probe->SetScrollBarStyle(1);
  probe->SetBounds(10, 60, 200, 120);
  probe->SetParent(Form);
  Pump();
  TSeCustomScrollBar* own = probe->GetHorzScrollBar();
  ASSERT_NE(own, nullptr);
  ThemeLookSwap look;
  // The colour the middle of the bar's thumb shows, painted twice so that its parts are kept.
  const auto thumbColour = [](TSeCustomScrollBar* bar) {
    const TRect thumb = bar->GetThumbRect();
    MemorySurface painted(bar->GetWidth(), bar->GetHeight(), clFuchsia);
    PaintInto(bar, painted);
    PaintInto(bar, painted);
    return painted.At((thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2);
  };
  const TColor library = thumbColour(Bar);
  ASSERT_EQ(thumbColour(own), library);
  ASSERT_NE(library, clLime);
  struct Step {
    TColor Look;
    HWND To;  // where the message goes, as the system sends it
    UINT Message;
  };
  const Step steps[] = {
      {clLime, Form->GetHandle(), WM_THEMECHANGED},
      {clBlue, Form->GetHandle(), WM_SYSCOLORCHANGE},
      {clNone, Form->GetHandle(), WM_THEMECHANGED},
  };
  for (const Step& step : steps) {
    look.SetLook(step.Look);
    ::SendMessageW(step.To, step.Message, 0, 0);
    if (step.Message == WM_THEMECHANGED) ::SendMessageW(probe->GetHandle(), step.Message, 0, 0);
    const TColor expected = step.Look == clNone ? library : step.Look;
    EXPECT_EQ(thumbColour(Bar), expected) << "on the form, message " << step.Message;
    EXPECT_EQ(thumbColour(own), expected) << "a control's own bar, message " << step.Message;
  }
}

TEST_F(SkinScrollBarTest, ControlBaseMakesItsOwnBarsOnceAndForwardsTheirCodes) {
  auto* probe = new TBarsProbe(Form);
  probe->SetScrollBarStyle(3);
  probe->SetBevelWidth(1);
  probe->SetBevelKind(vbkSingle);
  probe->SetBounds(10, 60, 200, 120);
  probe->SetParent(Form);
  probe->SetColor(clWhite);
  Pump();
  TSeCustomScrollBar* h = probe->GetHorzScrollBar();
  TSeCustomScrollBar* v = probe->GetVertScrollBar();
  ASSERT_TRUE(h && v);
  const int size = ::GetSystemMetrics(SM_CYVTHUMB);
  EXPECT_EQ(h->GetBoundsRect(), TRect(2, 118 - size, 198 - size, 118));
  EXPECT_EQ(v->GetBoundsRect(), TRect(198 - size, 2, 198, 118 - size));
  EXPECT_EQ(probe->GetClientRect(), TRect(2, 2, 198 - size, 118 - size));
  // Made again: the same two bars, keeping their position.
  v->SetPosition(30);
  probe->RecreateWnd();
  Pump();
  int bars = 0;
  for (int i = 0; i < probe->GetControlCount(); ++i)
    bars += dynamic_cast<TSeCustomScrollBar*>(probe->GetControl(i)) ? 1 : 0;
  EXPECT_EQ(bars, 2);
  EXPECT_EQ(probe->GetVertScrollBar()->GetPosition(), 30);
  // A click on the vertical bar's line-down button: WM_VSCROLL with SB_LINEDOWN, then the end.
  ::PostMessageW(probe->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(198 - 3, 118 - size - 3));
  ::PostMessageW(probe->GetHandle(), WM_LBUTTONUP, 0, At(198 - 3, 118 - size - 3));
  Pump();
  ASSERT_EQ(probe->Scrolls.size(), 2u);
  EXPECT_EQ(probe->Scrolls[0], std::make_pair(UINT{WM_VSCROLL}, WPARAM{SB_LINEDOWN}));
  EXPECT_EQ(probe->Scrolls[1], std::make_pair(UINT{WM_VSCROLL}, WPARAM{SB_ENDSCROLL}));
  EXPECT_EQ(probe->GetVertScrollBar()->GetPosition(), 31);
  // The scroll lock keeps the control out of it.
  probe->SetScrollLock(true);
  WORD right = VK_RIGHT;
  h->ScrollByKey(right);
  EXPECT_EQ(probe->Scrolls.size(), 2u);
  probe->SetScrollLock(false);
  // The corner between the bars is the control's colour (classic).
  WithoutThemes([&] {
    probe->SetThemesAllowed(false);
    MemorySurface surface(200, 120, clRed);
    PaintWindowInto(probe, surface);
    EXPECT_EQ(surface.At(198 - 2, 118 - 2), clWhite);
    Form->Repaint();
    Pump();
    SaveScreenshot(Form->GetHandle(), L"skin_control_bars_classic");
  });
  // Themed, the corner is the theme's edit background in its common state (0).
  {
    probe->SetThemesAllowed(true);
    TRect frame;
    probe->GetFrameRect(frame);
    const TRect client = probe->GetClientRect();
    const TRect corner(client.Right, client.Bottom, frame.Right, frame.Bottom);
    ThemePartLog log;
    MemorySurface surface(200, 120, clRed);
    PaintWindowInto(probe, surface);
    int drawn = 0;
    for (const ThemePartLog::Call& call : log.Calls()) {
      if (call.Rect != corner) continue;
      ++drawn;
      EXPECT_EQ(call.Part, 1);   // EP_EDITTEXT
      EXPECT_EQ(call.State, 0);  // not a state of the edit: the part's common look
    }
    EXPECT_EQ(drawn, 1);
  }
  SaveScreenshot(Form->GetHandle(), L"skin_control_bars_themed");
  // Styles 1 and 2 keep one bar; 0 none.
  probe->SetScrollBarStyle(2);
  EXPECT_EQ(probe->GetHorzScrollBar(), nullptr);
  EXPECT_NE(probe->GetVertScrollBar(), nullptr);
  EXPECT_EQ(probe->GetClientRect().Bottom, 118);
  probe->SetScrollBarStyle(1);
  EXPECT_EQ(probe->GetVertScrollBar(), nullptr);
  probe->SetScrollBarStyle(0);
  EXPECT_EQ(probe->GetHorzScrollBar(), nullptr);
  EXPECT_NE(GetScrollBarInfoProc(), nullptr);
}

TEST_F(SkinScrollBarTest, ThousandCyclesLeaveNoGdiOrUserObjects) {
  auto cycle = [&] {
    auto* bar = new TSeCustomScrollBar(Form);
    bar->SetParent(Form);
    bar->SetBounds(0, 250, 150, 17);
    MemorySurface surface(150, 17);
    PaintInto(bar, surface);
    delete bar;
  };
  ExpectNoLeaks(cycle);
}

}  // namespace
