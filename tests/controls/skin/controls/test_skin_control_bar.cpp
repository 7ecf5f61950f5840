// The control bar as a real window: rows with RowSnap, bands that cannot share a row, values
// from OnBandInfo kept in range, 200 seeded drags by real messages keeping every band inside
// the client and apart, a child freed during a drag, hand-over to dragging, painting options,
// classic frames against DrawEdge, a layout round trip, leaks and screenshots.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "classlib/forms/FloatingHost.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/StdPanels.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/controls/SkinControlBar.h"

using namespace skin_tests;

namespace {

class ControlBarTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    Bar = new TSeCustomControlBar(Form);
    Bar->SetName(L"Bar");
    Bar->SetParent(Form);
    Bar->SetBounds(0, 0, 400, 50);
    Bar->SetAlign(alTop);
  }
  TPanel* AddChild(int x, int y, int w, int h, TColor color = clBlue) {
    auto* panel = new TPanel(Form);
    panel->SetParent(Bar);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(color);
    panel->SetBounds(x, y, w, h);
    return panel;
  }
  // Every visible band inside the client width and apart from the others.
  void ExpectBandsApart() {
    const auto bands = Bar->GetBands();
    for (size_t i = 0; i < bands.size(); ++i) {
      EXPECT_GE(bands[i].Rect.Left, 0);
      EXPECT_LE(bands[i].Rect.Right, Bar->GetClientWidth());
      for (size_t j = i + 1; j < bands.size(); ++j) {
        TRect common;
        EXPECT_FALSE(IntersectRect(common, bands[i].Rect, bands[j].Rect))
            << "bands " << i << " and " << j << " overlap";
      }
    }
  }
  TSeCustomControlBar* Bar = nullptr;
};

TEST_F(ControlBarTest, RowSnapRoundsRowsUpAndStoredValuesAreClamped) {
  Bar->SetRowSnap(true);
  TPanel* tall = AddChild(0, 0, 60, 30);   // 34 with insets: two rows of 26
  TPanel* low = AddChild(80, 0, 60, 22);   // 26: one row
  TPanel* odd = AddChild(160, 0, 60, 23);  // 27: two rows, rounded up
  ShowForm();
  EXPECT_EQ(Bar->GetRowCountOf(tall), 2);
  EXPECT_EQ(Bar->GetRowCountOf(low), 1);
  EXPECT_EQ(Bar->GetRowCountOf(odd), 2);
  EXPECT_EQ(tall->GetHeight(), 2 * 26 - 4);
  ExpectBandsApart();
  EXPECT_GE(Bar->GetHeight(), 52) << "AutoSize follows the lowest band";
  // OnBandInfo asks for absurd values: they are kept in range.
  Bar->SetOnBandInfo([](TObject*, TControl*, TRect& insets, int&, int& rows) {
    rows = 1000000;
    insets.Left = -40;
  });
  Bar->SetRowSize(0);
  EXPECT_EQ(Bar->GetRowSize(), 1);
  Bar->SetRowSize(26);
  TPanel* added = AddChild(300, 0, 40, 20);
  EXPECT_EQ(Bar->GetRowCountOf(added), TSeCustomControlBar::MaxBandRows);
  delete added;
  Bar->SetOnBandInfo(nullptr);
  Bar->SetRowSnap(false);
  Bar->Realign();
  Pump();
}

TEST_F(ControlBarTest, BandsThatCannotShareARowTakeARowEach) {
  Bar->SetAlign(alNone);
  Bar->SetBounds(0, 0, 150, 50);
  for (int i = 0; i < 5; ++i) AddChild(i * 20, 0, 100, 20);
  ShowForm();
  const auto bands = Bar->GetBands();
  ASSERT_EQ(bands.size(), 5u);
  std::vector<int> rows;
  for (const auto& b : bands) rows.push_back(b.Row);
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 3, 4}));
  ExpectBandsApart();
  EXPECT_EQ(Bar->GetHeight(), 5 * 24) << "AutoSize: five rows of 20 + insets";
}

TEST_F(ControlBarTest, ARowTooWideNarrowsItsLastBandDownToItsMinimumWidth) {
  Bar->SetAlign(alNone);
  Bar->SetBounds(0, 0, 150, 50);
  AddChild(0, 0, 100, 20);                   // band 113 wide
  TPanel* narrow = AddChild(124, 0, 40, 20);  // band 53 wide, 16 too many
  narrow->GetConstraints()->SetMinWidth(24);  // 37 with the insets: the row fits exactly
  ShowForm();
  const auto bands = Bar->GetBands();
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_EQ(bands[0].Row, 0);
  EXPECT_EQ(bands[1].Row, 0);
  EXPECT_EQ(narrow->GetWidth(), 24);
  ExpectBandsApart();
  // A band alone in a row narrower than its grabber and insets keeps a pixel of its control.
  TControl* wide = bands[0].Control == narrow ? bands[1].Control : bands[0].Control;
  Bar->SetBounds(0, 0, 12, 50);
  Bar->Realign();
  Pump();
  EXPECT_EQ(wide->GetWidth(), 1);
}

// OnConstrainedResize holds the auto-sized height; OnCanResize may refuse a size.
TEST_F(ControlBarTest, ResizeEventsHoldTheAutoSizedHeight) {
  Bar->SetAlign(alNone);
  Bar->SetBounds(0, 0, 150, 50);
  Bar->SetOnConstrainedResize([](TObject*, int&, int&, int&, int& maxHeight) { maxHeight = 72; });
  for (int i = 0; i < 5; ++i) AddChild(i * 20, 0, 100, 20);
  ShowForm();
  EXPECT_EQ(Bar->GetHeight(), 72) << "five rows would take 120";
  int asked = 0;
  Bar->SetOnConstrainedResize(nullptr);
  Bar->SetOnCanResize([&](TObject*, int&, int&, bool& resize) {
    ++asked;
    resize = false;
  });
  Bar->SetBounds(0, 0, 150, 200);
  Pump();
  EXPECT_GT(asked, 0);
  EXPECT_EQ(Bar->GetHeight(), 72);
}

TEST_F(ControlBarTest, SeededDragsKeepBandsInsideApartAndAtThePointer) {
  std::vector<TPanel*> children;
  for (int i = 0; i < 6; ++i) children.push_back(AddChild(i * 60, 0, 40 + 7 * i, 20));
  ShowForm();
  std::mt19937 random(20260607);
  const HWND wnd = Bar->GetHandle();
  int atPointer = 0, rowsSeen = 1;
  for (int drag = 0; drag < 200; ++drag) {
    TPanel* child = children[random() % children.size()];
    const TPoint grab(child->GetLeft() - 6, child->GetTop() + 3);
    // Targets stay within the bar and its neighbourhood, where the band is not handed over.
    const int x = static_cast<int>(random() % 380);
    const int y = static_cast<int>(random() % static_cast<unsigned>(Bar->GetClientHeight() + 15));
    ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(grab.X, grab.Y));
    ::PostMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, At(x, y));
    Pump();
    ASSERT_EQ(Bar->GetDraggedControl(), child) << "drag " << drag;
    // The dragged band sits at the pointer where the row leaves it room.
    const int left = child->GetLeft() - 11;
    const int wanted = x - 5;
    atPointer += left == wanted ? 1 : 0;
    if (wanted >= 0 && wanted + child->GetWidth() + 13 <= Bar->GetClientWidth() && left != wanted) {
      const auto bands = Bar->GetBands();
      int rowBands = 0, row = -1;
      for (const auto& b : bands)
        if (b.Control == child) row = b.Row;
      for (const auto& b : bands) rowBands += b.Row == row ? 1 : 0;
      EXPECT_GT(rowBands, 1) << "a band alone in its row sits at the pointer (drag " << drag << ")";
    }
    ::PostMessageW(wnd, WM_LBUTTONUP, 0, At(x, y));
    Pump();
    EXPECT_EQ(Bar->GetDraggedControl(), nullptr);
    ExpectBandsApart();
    for (const auto& b : Bar->GetBands()) rowsSeen = std::max(rowsSeen, b.Row + 1);
    if (HasFailure()) break;
  }
  EXPECT_GT(atPointer, 60) << "most drags leave the band at the pointer";
  EXPECT_GT(rowsSeen, 1) << "bands moved to other rows";
  SaveScreenshot(Form->GetHandle(), L"skin_control_bar_after_drags");
}

TEST_F(ControlBarTest, AChildFreedDuringADragIsForgotten) {
  TPanel* first = AddChild(0, 0, 60, 20);
  AddChild(100, 0, 60, 20);
  ShowForm();
  const HWND wnd = Bar->GetHandle();
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(first->GetLeft() - 6, 5));
  Pump();
  ASSERT_EQ(Bar->GetDraggedControl(), first);
  delete first;
  EXPECT_EQ(Bar->GetDraggedControl(), nullptr);
  ::PostMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, At(200, 5));
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, At(200, 5));
  Pump();
  EXPECT_EQ(Bar->GetBands().size(), 1u);
  // The last dragged control is forgotten when it goes too.
  TPanel* second = dynamic_cast<TPanel*>(Bar->GetControl(0));
  ASSERT_NE(second, nullptr);
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(second->GetLeft() - 6, 5));
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, At(second->GetLeft() - 6, 5));
  Pump();
  EXPECT_EQ(Bar->GetLastDraggedControl(), second);
  delete second;
  EXPECT_EQ(Bar->GetLastDraggedControl(), nullptr);
  EXPECT_TRUE(Bar->GetBands().empty());
}

TEST_F(ControlBarTest, DraggedFarOutTheBandIsHandedOverAndStaysWhenDroppedNowhere) {
  TPanel* child = AddChild(0, 0, 60, 20);
  ShowForm();
  std::vector<TControl*> asked;
  bool allow = false;
  Bar->SetOnBandDrag([&](TObject*, TControl* c, bool& drag) {
    asked.push_back(c);
    drag = allow;
  });
  const HWND wnd = Bar->GetHandle();
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  ::PostMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, At(5, 200));  // more than its height below
  Pump();
  EXPECT_EQ(asked, std::vector<TControl*>{child});
  EXPECT_EQ(Bar->GetDraggedControl(), child) << "refused: the band goes on being dragged";
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, At(5, 200));
  Pump();
  allow = true;
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  ::PostMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, At(5, 200));
  Pump();
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_TRUE(child->Dragging());
  child->EndDrag(false);
  Pump();
  EXPECT_EQ(child->GetParent(), Bar);
  EXPECT_EQ(Bar->GetBands().size(), 1u);
}

TEST_F(ControlBarTest, FramesAndGrabbersPaintAsAskedAndEqualDrawEdge) {
  TPanel* child = AddChild(0, 0, 80, 20);
  ShowForm();
  const int w = Bar->GetWidth(), h = Bar->GetHeight();
  TRect band = child->GetBoundsRect();
  band.Left -= 11;
  band.Top -= 2;
  band.Right += 2;
  band.Bottom += 2;
  WithoutThemes([&] {
    MemorySurface ours(w, h), system(w, h, Rgb(Bar->GetColor()));
    PaintWindowInto(Bar, ours);
    RECT edge = band;
    ::DrawEdge(system.DC(), &edge, BDR_RAISEDINNER, BF_RECT);
    const TRect top(band.Left, band.Top, band.Right, band.Top + 1);
    EXPECT_EQ(DifferentPixels(ours, system, top), 0);
    const TRect bottom(band.Left, band.Bottom - 1, band.Right, band.Bottom);
    EXPECT_EQ(DifferentPixels(ours, system, bottom), 0);
    EXPECT_EQ(ours.At(band.Left + 3, band.Top + 5), Rgb(clBtnHighlight)) << "grabber";
  });
  // A handler that clears both options leaves the band plain.
  Bar->SetOnBandPaint([](TObject*, TControl*, TCanvas*, TRect&, TBandPaintOptions& options) {
    options = TBandPaintOptions();
  });
  WithoutThemes([&] {
    MemorySurface ours(w, h);
    PaintWindowInto(Bar, ours);
    const TRect grabber(band.Left, band.Top, band.Left + 11, band.Bottom);
    EXPECT_EQ(ours.CountOf(Rgb(Bar->GetColor()), grabber), 11 * band.Height());
  });
}

TEST_F(ControlBarTest, LayoutRoundTripWithChineseAndBadRowSize) {
  auto* edit = new TEdit(Form);
  edit->SetName(L"Edit1");
  edit->SetParent(Bar);
  edit->SetText(L"题库升级");
  edit->SetBounds(20, 2, 100, 21);
  Bar->SetRowSnap(true);
  Bar->SetRowSize(30);
  const String text = ComponentToText(Form);
  delete Bar;
  Bar = nullptr;
  ReadLayout(text);
  Bar = Find<TSeCustomControlBar>(L"Bar");
  ASSERT_NE(Bar, nullptr);
  EXPECT_TRUE(Bar->GetRowSnap());
  EXPECT_EQ(Bar->GetRowSize(), 30);
  EXPECT_TRUE(Bar->GetAutoSize());
  auto* read = Find<TEdit>(L"Edit1");
  EXPECT_EQ(read->GetText(), L"题库升级");
  EXPECT_EQ(read->GetParent(), Bar);
  ReadLayout(
      L"object Form1: TButtonsForm\n"
      L"  object Bad: TSeCustomControlBar\n    RowSize = 0\n    RowSnap = True\n  end\nend\n");
  EXPECT_EQ(Find<TSeCustomControlBar>(L"Bad")->GetRowSize(), 1);
}

TEST_F(ControlBarTest, ScreenshotsAndNoLeaks) {
  AddChild(0, 0, 120, 20, clTeal);
  AddChild(140, 0, 90, 20, clOlive);
  AddChild(0, 30, 200, 20, clMaroon);
  ShowForm();
  EXPECT_EQ(Bar->GetColor(), Form->GetColor()) << "the bar takes its parent's colour";
  SaveScreenshot(Form->GetHandle(), L"skin_control_bar_themed");
  WithoutThemes([&] { SaveScreenshot(Form->GetHandle(), L"skin_control_bar_classic"); });
  ExpectNoLeaks([&] {
    auto* bar = new TSeCustomControlBar(Form);
    bar->SetParent(Form);
    bar->SetBounds(0, 100, 300, 40);
    for (int i = 0; i < 4; ++i) {
      auto* p = new TPanel(Form);
      p->SetParent(bar);
      p->SetBounds(i * 50, 0, 40, 20);
    }
    bar->Repaint();
    WithoutThemes([&] { bar->Repaint(); });
    delete bar;
  }, 30);
}

// Presses at from, moves to to in steps and releases there.
void MouseDrag(const TPoint& from, const TPoint& to) {
  MouseInputAt(from, MOUSEEVENTF_LEFTDOWN);
  for (int i = 1; i <= 4; ++i)
    MouseInputAt(TPoint(from.X + (to.X - from.X) * i / 4, from.Y + (to.Y - from.Y) * i / 4), MOUSEEVENTF_MOVE);
  MouseInputAt(to, MOUSEEVENTF_LEFTUP);
}

int FloatingHosts() {
  int count = 0;
  for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
    count += dynamic_cast<TFloatingHost*>(Screen->GetCustomForms(i)) ? 1 : 0;
  return count;
}

class FloatingBandTest : public ControlBarTest {
 protected:
  void SetUp() override {
    ControlBarTest::SetUp();
    Form->SetBounds(100, 100, 500, 300);
    Floater = AddChild(0, 0, 60, 20, clTeal);
    Floater->SetDragKind(dkDock);
    Other = AddChild(80, 0, 60, 20, clOlive);
    ShowForm();
  }
  // Drags the floater's band by its grabber far below the bar and drops it on the form; the
  // nth press lies elsewhere on the grabber, so that two presses never make a double click.
  void DragOut(int n) {
    const TRect band = BandRect(Floater);
    const TPoint grab = Bar->ClientToScreen(TPoint(band.Left + 4, band.Top + 4 + (n % 4) * 4));
    MouseDrag(grab, TPoint(grab.X + 40, grab.Y + 150));
  }
  // Drags the floating window by its caption onto the bar right of the other band.
  void DragBack(int n) {
    RECT w{};
    ::GetWindowRect(Floater->GetParent()->GetHandle(), &w);
    const TPoint caption(w.left + 10 + (n % 4) * 6, w.top + ::GetSystemMetrics(SM_CYSMCAPTION) / 2);
    const TRect other = BandRect(Other);
    MouseDrag(caption, Bar->ClientToScreen(TPoint(other.Right + 30, other.Top + 5)));
  }
  TRect BandRect(TControl* control) const {
    for (const auto& band : Bar->GetBands())
      if (band.Control == control) return band.Rect;
    return TRect();
  }
  TPanel* Floater = nullptr;
  TPanel* Other = nullptr;
};

TEST_F(FloatingBandTest, ABandDraggedOutFloatsAndDroppedOnTheBarDocksInItsRow) {
  // Where the control and the mouse were when the bar handed the band to the dock drag.
  TPoint handedAt, mouseAt;
  int dockStarts = 0, dragStarts = 0;  // the caption's drags begin past the threshold
  Floater->SetOnStartDrag([&](TObject*) { ++dragStarts; });
  Floater->SetOnStartDock([&](TObject*, TDragDockObject* drag) {
    ++dockStarts;
    handedAt = drag->GetDockRect().TopLeft();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    mouseAt = TPoint(cursor.x, cursor.y);
  });
  std::vector<TObject*> dockTargets;
  Floater->SetOnEndDock([&](TObject*, TObject* target, int, int) { dockTargets.push_back(target); });
  // The bar is told of the band leaving (for nowhere: it floats) and of the control dropped
  // on it, and asked whether it takes the control.
  bool allowUndock = true;
  std::vector<TWinControl*> undockTargets;
  std::vector<TControl*> dropped;
  int siteAsked = 0;
  Bar->SetOnUnDock([&](TObject*, TControl* client, TWinControl* target, bool& allow) {
    EXPECT_EQ(client, Floater);
    undockTargets.push_back(target);
    allow = allowUndock;
  });
  Bar->SetOnDockDrop([&](TObject*, TDragDockObject* source, int, int) { dropped.push_back(source->GetControl()); });
  Bar->SetOnGetSiteInfo([&](TObject*, TControl* client, TRect&, TPoint, bool& canDock) {
    ++siteAsked;
    EXPECT_EQ(client, Floater);
    EXPECT_TRUE(canDock);
  });
  DragOut(0);
  EXPECT_EQ(undockTargets, std::vector<TWinControl*>{nullptr});
  EXPECT_TRUE(dropped.empty());
  ASSERT_TRUE(Floater->GetFloating());
  auto* host = dynamic_cast<TFloatingHost*>(Floater->GetParent());
  ASSERT_NE(host, nullptr);
  EXPECT_TRUE(::IsWindowVisible(host->GetHandle()));
  EXPECT_TRUE(::GetWindowLongW(host->GetHandle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(host->GetHeld(), Floater);
  EXPECT_EQ(host->GetClientWidth(), 60);
  EXPECT_EQ(host->GetClientHeight(), 20);
  EXPECT_EQ(BandRect(Floater), TRect()) << "no band is left for it";
  ASSERT_EQ(Bar->GetBands().size(), 1u);
  EXPECT_EQ(Bar->GetClientHeight(), BandRect(Other).Bottom) << "the bar shrinks to the bands left";
  // Where the mouse let go: the control's top-left moved as far as the mouse did, in X and Y.
  const TPoint floated = Floater->ClientToScreen(TPoint(0, 0));
  EXPECT_GT(floated.Y, Bar->ClientToScreen(TPoint(0, Bar->GetHeight())).Y);
  POINT released{};
  ::GetCursorPos(&released);
  EXPECT_EQ(floated, TPoint(handedAt.X + released.x - mouseAt.X, handedAt.Y + released.y - mouseAt.Y));
  EXPECT_EQ(dockTargets, std::vector<TObject*>{nullptr}) << "floated, not docked";
  SaveScreenshot(Form->GetHandle(), L"skin_control_bar_band_floating");
  // Dropped elsewhere on the form by its caption, it floats on, moved with the mouse.
  RECT w{};
  ::GetWindowRect(host->GetHandle(), &w);
  const TPoint caption(w.left + 10, w.top + ::GetSystemMetrics(SM_CYSMCAPTION) / 2);
  MouseDrag(caption, TPoint(caption.X + 30, caption.Y + 20));
  EXPECT_EQ(Floater->GetParent(), host);
  EXPECT_EQ(Floater->ClientToScreen(TPoint(0, 0)), TPoint(floated.X + 30, floated.Y + 20));
  // Onto the bar: docked again, in the other band's row, right of it.
  DragBack(1);
  Pump();
  EXPECT_EQ(Floater->GetParent(), Bar);
  EXPECT_FALSE(Floater->GetFloating());
  EXPECT_EQ(dockTargets.back(), Bar);
  EXPECT_EQ(dockStarts, 3);
  EXPECT_EQ(dragStarts, 0);
  EXPECT_EQ(FloatingHosts(), 0) << "the window goes with its control";
  const TRect docked = BandRect(Floater), other = BandRect(Other);
  ASSERT_FALSE(IsRectEmpty(docked));
  EXPECT_EQ(docked.Top, other.Top);
  EXPECT_GE(docked.Left, other.Right);
  ExpectBandsApart();
  EXPECT_EQ(Bar->GetDraggedControl(), nullptr);
  EXPECT_EQ(dropped, std::vector<TControl*>{Floater});
  EXPECT_GT(siteAsked, 0);
  SaveScreenshot(Form->GetHandle(), L"skin_control_bar_band_docked_again");
  // A bar that keeps its band: dragged out again, the control stays on the bar.
  allowUndock = false;
  DragOut(2);
  Pump();
  EXPECT_EQ(Floater->GetParent(), Bar);
  EXPECT_EQ(undockTargets.size(), 2u);
  EXPECT_EQ(FloatingHosts(), 0);
}

TEST_F(FloatingBandTest, AHundredFloatAndDockCyclesLeakNothing) {
  Watchdog watchdog(120);
  int n = 0;
  ExpectNoLeaks([&] {
    DragOut(n);
    ASSERT_TRUE(Floater->GetFloating());
    DragBack(n++);
    Pump();
    ASSERT_EQ(Floater->GetParent(), Bar);
  }, 100);
  EXPECT_EQ(FloatingHosts(), 0);
}

}  // namespace

namespace {

// A form whose layout names the bar's resize and docking handlers.
class TBarEventsForm : public TButtonsForm {
  CLASSLIB_CLASS(TBarEventsForm, TButtonsForm)
  explicit TBarEventsForm(TComponent* owner) : TButtonsForm(owner) {}
  void BarCanResize(TObject*, int&, int&, bool&) {}
  void BarConstrainedResize(TObject*, int&, int&, int&, int&) {}
  void BarDockDrop(TObject*, TDragDockObject*, int, int) {}
  void BarGetSiteInfo(TObject*, TControl*, TRect&, TPoint, bool&) {}
  void BarUnDock(TObject*, TControl*, TWinControl*, bool&) {}
  static void RegisterHandlers() {
    TButtonsForm::RegisterHandlers();
    using M = TPublishMethods<TBarEventsForm>;
    RegisterMethods<TBarEventsForm>({
        M::Handler(L"BarCanResize", &TBarEventsForm::BarCanResize),
        M::Handler(L"BarConstrainedResize", &TBarEventsForm::BarConstrainedResize),
        M::Handler(L"BarDockDrop", &TBarEventsForm::BarDockDrop),
        M::Handler(L"BarGetSiteInfo", &TBarEventsForm::BarGetSiteInfo),
        M::Handler(L"BarUnDock", &TBarEventsForm::BarUnDock),
    });
  }
};

class ControlBarEventsTest : public stdctrl_tests::LayoutFormTest<TBarEventsForm> {};

TEST_F(ControlBarEventsTest, ALayoutNamingTheResizeAndDockingEventsIsReadAndWritten) {
  RegisterSkinClasses();
  const wchar_t* const lines[] = {L"OnCanResize = BarCanResize", L"OnConstrainedResize = BarConstrainedResize",
                                  L"OnDockDrop = BarDockDrop", L"OnGetSiteInfo = BarGetSiteInfo",
                                  L"OnUnDock = BarUnDock"};
  String text = L"object Form1: TBarEventsForm\n  object Bar: TSeCustomControlBar\n";
  for (const wchar_t* line : lines) text += String(L"    ") + line + L"\n";
  ReadLayout(text + L"  end\nend\n");
  auto* bar = Find<TSeCustomControlBar>(L"Bar");
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->GetOnCanResize() && bar->GetOnConstrainedResize() && bar->GetOnDockDrop() &&
              bar->GetOnGetSiteInfo() && bar->GetOnUnDock());
  const String written = ComponentToText(Form);
  for (const wchar_t* line : lines) EXPECT_NE(written.find(line), String::npos) << StringToUtf8(line);
}

}  // namespace
