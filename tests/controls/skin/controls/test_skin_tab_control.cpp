// The owner-drawn tab control as a real window: page bookkeeping (adding, hiding, removing,
// freeing, destruction), OnChanging seeing the new index, clicks on every tab on all four
// sides and in three rows, the scroll buttons held and let go, 500 side tabs, drawing against
// the system's theme and frame drawing, a hover that leaves the page alone, a layout round
// trip with Chinese captions, leaks and screenshots.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "classlib/stdctrls/StdPanels.h"
#include "classlib/system/SysFormat.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/controls/SkinTabControl.h"
#include "controls/skin/controls/ThemeTurnedPart.h"
#include "controls/skin/engine/SkinDrawing.h"

using namespace skin_tests;

namespace {

// A windowed child that counts its paints.
class TPaintCounter : public TCustomControl {
  CLASSLIB_CLASS(TPaintCounter, TCustomControl)
  explicit TPaintCounter(TComponent* owner) : TCustomControl(owner) {}
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    GetCanvas()->GetBrush()->SetColor(clYellow);
    GetCanvas()->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
  }
};

class TabControlTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    Tabs = new TSeCustomTabControl(Form);
    Tabs->SetName(L"Tabs");
    Tabs->SetParent(Form);
    Tabs->SetBounds(10, 10, 380, 280);
  }
  // Page mode with pages of these captions.
  void MakePages(std::initializer_list<const wchar_t*> captions) {
    Tabs->SetUsePages(true);
    for (const wchar_t* caption : captions) {
      auto* page = new TSeCustomTabSheet(Form);
      page->SetText(caption);
      Tabs->InsertPage(page);
    }
  }
  // Clicks a tab near its outer edge (rows further out reach under the nearer ones).
  void ClickTab(int index) {
    const TRect r = Tabs->GetTabRect(index);
    const TTabPosition side = Tabs->Geometry().SideOf(index);
    int x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
    if (side == tpTop) y = r.Top + 4;
    if (side == tpBottom) y = r.Bottom - 4;
    if (side == tpLeft) x = r.Left + 4;
    if (side == tpRight) x = r.Right - 4;
    ClickWindow(Tabs->GetHandle(), x, y);
  }
  int OwnedPages() const {
    int count = 0;
    for (int i = 0; i < Form->GetComponentCount(); ++i)
      count += dynamic_cast<TSeCustomTabSheet*>(Form->GetComponent(i)) ? 1 : 0;
    return count;
  }
  TSeCustomTabControl* Tabs = nullptr;
};

TEST_F(TabControlTest, PagesAndTabsStayInStep) {
  MakePages({L"基础", L"练习", L"考试"});
  ShowForm();
  ASSERT_EQ(Tabs->GetTabs()->GetCount(), 3);
  EXPECT_EQ(Tabs->GetTabs()->Get(1), L"练习");
  EXPECT_EQ(Tabs->GetActivePage(), Tabs->GetPage(0));
  EXPECT_TRUE(Tabs->GetPage(0)->GetVisible());
  // A caption added to Tabs makes a page and selects it; a second one makes a second.
  Tabs->GetTabs()->Add(L"Page");
  Tabs->GetTabs()->Add(L"Page");
  ASSERT_EQ(Tabs->GetPageCount(), 5);
  EXPECT_EQ(Tabs->GetPage(4)->GetText(), L"Page");
  EXPECT_EQ(Tabs->GetTabIndex(), 4);
  EXPECT_EQ(Tabs->GetActivePage(), Tabs->GetPage(4));
  // A hidden page has no tab; selected through ActivePage it gets no tab index.
  TSeCustomTabSheet* hidden = Tabs->GetPage(1);
  hidden->SetPageVisible(false);
  EXPECT_EQ(Tabs->GetTabs()->GetCount(), 4);
  // TabIndex 4 has no tab left: it follows the active page to its tab.
  EXPECT_EQ(Tabs->GetTabIndex(), 3);
  EXPECT_EQ(Tabs->GetActivePage(), Tabs->GetPage(4));
  EXPECT_EQ(Tabs->PageToTab(1), -1);
  EXPECT_EQ(Tabs->PageToTab(2), 1);
  EXPECT_EQ(Tabs->PageToTab(4), 3) << "the last page has a tab";
  EXPECT_EQ(Tabs->PageToTab(5), -1);
  EXPECT_EQ(Tabs->TabToPage(1), 2);
  Tabs->SetActivePage(hidden);
  EXPECT_EQ(Tabs->GetTabIndex(), -1);
  // Removing the active page activates the first visible one.
  Tabs->RemovePage(hidden);
  EXPECT_EQ(Tabs->GetPageCount(), 4);
  EXPECT_EQ(Tabs->GetActivePage(), Tabs->GetPage(0));
  EXPECT_EQ(Tabs->GetTabIndex(), 0);
  // A page freed by its owner leaves the lists; freeing the active page moves on.
  delete Tabs->GetPage(0);
  EXPECT_EQ(Tabs->GetPageCount(), 3);
  EXPECT_EQ(Tabs->GetTabs()->GetCount(), 3);
  EXPECT_EQ(Tabs->GetActivePage(), Tabs->GetPage(0));
  EXPECT_EQ(Tabs->GetTabs()->Get(0), L"考试");
  // A caption change follows to the tab.
  Tabs->GetPage(0)->SetText(L"模拟考试");
  EXPECT_EQ(Tabs->GetTabs()->Get(0), L"模拟考试");
  // A page put before the selected tab changes the tabs: the page now at TabIndex is shown.
  Tabs->SetTabIndex(2);
  TSeCustomTabSheet* second = Tabs->GetPage(1);
  auto* front = new TSeCustomTabSheet(Form);
  front->SetText(L"新");
  Tabs->InsertPage(front, 0);
  EXPECT_EQ(Tabs->GetTabIndex(), 2);
  EXPECT_EQ(Tabs->GetActivePage(), second);
  EXPECT_TRUE(second->GetVisible());
  // Removing every page leaves no tab and no page selected.
  while (Tabs->GetPageCount() > 0) Tabs->RemovePage(Tabs->GetPage(0));
  EXPECT_EQ(Tabs->GetTabIndex(), -1);
  EXPECT_EQ(Tabs->GetActivePage(), nullptr);
  Tabs->SetActivePage(nullptr);  // nil is harmless
  // Switching pages off at run time frees no child.
  auto* child = new TPaintCounter(Form);
  child->SetParent(Tabs);
  Tabs->SetUsePages(false);
  Tabs->SetUsePages(true);
  EXPECT_EQ(child->GetParent(), Tabs);
}

TEST_F(TabControlTest, DestructionMakesNoPagesAndFreesThem) {
  MakePages({L"一", L"二"});
  ShowForm();
  const int before = OwnedPages();
  EXPECT_EQ(before, 2);
  delete Tabs;
  Tabs = nullptr;
  EXPECT_EQ(OwnedPages(), 0);
}

TEST_F(TabControlTest, OnChangingSeesTheNewIndexAndMayRefuse) {
  for (const wchar_t* s : {L"甲", L"乙", L"丙"}) Tabs->GetTabs()->Add(s);
  ShowForm();
  std::vector<int> seen;
  int changes = 0;
  bool allow = true;
  Tabs->SetOnChanging([&](TObject*, bool& ok) {
    seen.push_back(Tabs->GetTabIndex());
    ok = allow;
  });
  Tabs->SetOnChange([&](TObject*) { ++changes; });
  ClickTab(2);
  EXPECT_EQ(Tabs->GetTabIndex(), 2);
  EXPECT_EQ(seen, std::vector<int>{2});
  allow = false;
  ClickTab(1);
  EXPECT_EQ(seen, (std::vector<int>{2, 1}));
  EXPECT_EQ(Tabs->GetTabIndex(), 2);  // refused: the old index is back
  EXPECT_EQ(changes, 1);
  allow = true;
  Tabs->SetFocus();
  PressKey(VK_RIGHT);  // on the last tab: nothing
  EXPECT_EQ(Tabs->GetTabIndex(), 2);
  PressKey(VK_LEFT);
  EXPECT_EQ(Tabs->GetTabIndex(), 1);
  EXPECT_EQ(changes, 2);
  Tabs->SetTabIndex(7);  // out of range: ignored
  Tabs->SetTabIndex(-2);
  EXPECT_EQ(Tabs->GetTabIndex(), 1);
}

TEST_F(TabControlTest, EveryTabIsClickableOnAllSidesInThreeRows) {
  for (int i = 0; i < 9; ++i) Tabs->GetTabs()->Add(L"选项卡" + IntToStr(i));
  Tabs->SetMultiLine(true);
  ShowForm();
  // The rows of the shown strip are counted, not those of the empty control's last resize.
  const int rowsShown = Tabs->GetRowCount();
  EXPECT_GT(rowsShown, 1);
  EXPECT_EQ(rowsShown, Tabs->Geometry().EffectiveRows());
  for (TTabPosition side : {tpTop, tpBottom, tpLeft, tpRight}) {
    Tabs->SetTabPosition(side);
    const bool horizontal = side == tpTop || side == tpBottom;
    Tabs->SetBounds(10, 10, horizontal ? 230 : 360, horizontal ? 280 : 200);
    Pump();
    const TSeTabGeometry& g = Tabs->Geometry();
    ASSERT_EQ(g.EffectiveRows(), 3) << side;
    for (int i : {8, 0, 4, 1, 7, 3}) {
      ClickTab(i);
      ASSERT_EQ(Tabs->GetTabIndex(), i) << side;
      // The selected row is the one next to the body.
      const TSeTabGeometry& now = Tabs->Geometry();
      EXPECT_EQ(now.RowOffset(now.RowOf(i)), now.TabHeight);
    }
    SaveScreenshot(Form->GetHandle(), String(L"skin_tabs_side_") + IntToStr(side));
    WithoutThemes([&] {
      SaveScreenshot(Form->GetHandle(), String(L"skin_tabs_side_") + IntToStr(side) + L"_classic");
    });
    // A larger form: the rows take the room and the selected row still touches the body.
    const TRect small = Form->GetBoundsRect();
    Form->SetBounds(small.Left, small.Top, 760, 560);
    Tabs->SetBounds(10, 10, 720, 500);
    Pump();
    SaveScreenshot(Form->GetHandle(), String(L"skin_tabs_side_") + IntToStr(side) + L"_large");
    WithoutThemes([&] {
      SaveScreenshot(Form->GetHandle(),
                     String(L"skin_tabs_side_") + IntToStr(side) + L"_large_classic");
    });
    Form->SetBoundsRect(small);
  }
  EXPECT_THROW(Tabs->SetMultiLine(false), Exception);
  EXPECT_TRUE(Tabs->GetMultiLine());
  // One row again leaves ScrollOpposite as it was; one row has no opposite side.
  Tabs->SetTabPosition(tpTop);
  Tabs->SetScrollOpposite(true);
  Tabs->SetTabIndex(8);
  Tabs->SetMultiLine(false);
  EXPECT_TRUE(Tabs->GetScrollOpposite());
  const TRect body = Tabs->Geometry().BodyRect();
  EXPECT_EQ(body.Top, Tabs->Geometry().TabHeight + Tabs->FrameMarginTop());
  EXPECT_EQ(body.Bottom, Tabs->GetHeight());
}

TEST_F(TabControlTest, HeldScrollButtonRepeatsWithinBoundsAndStops) {
  for (int i = 0; i < 30; ++i) Tabs->GetTabs()->Add(L"第" + IntToStr(i) + L"章");
  ShowForm();
  const TSeTabGeometry& g = Tabs->Geometry();
  ASSERT_TRUE(g.ScrollButtonsShow());
  const TRect right = g.RightButtonRect();
  const HWND wnd = Tabs->GetHandle();
  ::PostMessageW(wnd, WM_MOUSEMOVE, 0, At(right.Left + 3, right.Top + 3));
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(right.Left + 3, right.Top + 3));
  Pump();
  EXPECT_EQ(Tabs->GetFirstVisible(), 1) << "the first step comes at once";
  const auto start = std::chrono::steady_clock::now();
  stdctrl_tests::PumpUntil([] { return false; }, 720);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  // One step at once, one after 300 ms, then one every 100 ms.
  const int bound = 2 + static_cast<int>((ms - 300) / 100) + 1;
  EXPECT_GE(Tabs->GetFirstVisible(), 2);
  EXPECT_LE(Tabs->GetFirstVisible(), bound);
  // Losing the capture stops the repeat.
  ::ReleaseCapture();
  Pump();
  EXPECT_FALSE(Tabs->ScrollTimerRunning());
  const int stopped = Tabs->GetFirstVisible();
  stdctrl_tests::PumpUntil([] { return false; }, 250);
  EXPECT_EQ(Tabs->GetFirstVisible(), stopped);
  // Held to the end, it stops at the limit by itself.
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(right.Left + 3, right.Top + 3));
  Pump();
  EXPECT_TRUE(Tabs->ScrollTimerRunning());
  EXPECT_TRUE(stdctrl_tests::PumpUntil([&] { return !Tabs->ScrollTimerRunning(); }, 6000));
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, At(right.Left + 3, right.Top + 3));
  Pump();
  EXPECT_LT(Tabs->GetFirstVisible(), 30);
  EXPECT_EQ(Tabs->Geometry().LastVisibleTab(false), 29);
  // Disabling stops it too.
  const TRect left = Tabs->Geometry().LeftButtonRect();
  ::PostMessageW(wnd, WM_MOUSEMOVE, 0, At(left.Left + 3, left.Top + 3));
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(left.Left + 3, left.Top + 3));
  Pump();
  EXPECT_TRUE(Tabs->ScrollTimerRunning());
  Tabs->SetEnabled(false);
  EXPECT_FALSE(Tabs->ScrollTimerRunning());
  Tabs->SetEnabled(true);
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, 0);
  Pump();
}

// The scroll buttons are the theme's arrow buttons in the state the mouse gives them, or the
// system's classic scroll frames: drawn again over the control's own paint, nothing changes.
TEST_F(TabControlTest, ScrollButtonsEqualTheSystemsDrawingInEveryState) {
  for (int i = 0; i < 30; ++i) Tabs->GetTabs()->Add(L"第" + IntToStr(i) + L"章");
  ShowForm();
  const int w = Tabs->GetWidth(), h = Tabs->GetHeight();
  const HWND wnd = Tabs->GetHandle();
  ASSERT_TRUE(Tabs->Geometry().ScrollButtonsShow());
  const TRect left = Tabs->Geometry().LeftButtonRect(), right = Tabs->Geometry().RightButtonRect();
  // Taller than a row of this font, they still lie wholly inside the control.
  EXPECT_GT(RectHeight(left), Tabs->Geometry().TabHeight);
  for (const TRect& button : {left, right})
    EXPECT_TRUE(button.Top >= 0 && button.Bottom <= h && button.Right <= w) << button.Top;
  Tabs->SetTabPosition(tpBottom);
  EXPECT_EQ(Tabs->Geometry().RightButtonRect().Bottom, h);
  Tabs->SetTabPosition(tpTop);
  // Changed pixels in both buttons when the system draws them over our paint.
  const auto changed = [&](const std::function<void(HDC, RECT, RECT)>& system) {
    MemorySurface ours(w, h), again(w, h);
    PaintWindowInto(Tabs, ours);
    PaintWindowInto(Tabs, again);
    system(again.DC(), RECT(left), RECT(right));
    ::GdiFlush();
    return DifferentPixels(ours, again, left) + DifferentPixels(ours, again, right);
  };
  if (UseThemes()) {
    const auto themed = [&](int leftState, int rightState) {
      return changed([&](HDC dc, RECT l, RECT r) {
        TThemeScope theme(L"ScrollBar");
        theme.DrawBackground(dc, 1, leftState, l);
        theme.DrawBackground(dc, 1, rightState, r);
      });
    };
    EXPECT_EQ(themed(9, 13), 0) << "normal";
    EXPECT_GT(themed(12, 16), 0) << "the states differ";
    ::SendMessageW(wnd, WM_MOUSEMOVE, 0, At(left.Left + 3, left.Top + 3));
    EXPECT_EQ(themed(10, 13), 0) << "left hot";
    Tabs->SetEnabled(false);
    EXPECT_EQ(themed(12, 16), 0) << "disabled";
    Tabs->SetEnabled(true);
  }
  WithoutThemes([&] {
    const auto classic = [&](UINT leftState, UINT rightState) {
      return changed([&](HDC dc, RECT l, RECT r) {
        ::DrawFrameControl(dc, &l, DFC_SCROLL, DFCS_SCROLLLEFT | leftState);
        ::DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLRIGHT | rightState);
      });
    };
    EXPECT_EQ(classic(0, 0), 0);
    // Held down with the mouse on it, the right button is drawn pushed.
    ::SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, At(right.Left + 3, right.Top + 3));
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(right.Left + 3, right.Top + 3));
    EXPECT_EQ(classic(0, DFCS_PUSHED), 0);
    ::SendMessageW(wnd, WM_LBUTTONUP, 0, At(right.Left + 3, right.Top + 3));
    EXPECT_EQ(classic(0, 0), 0);
  });
}

TEST_F(TabControlTest, NarrowControlsAndFiveHundredSideTabsDoNotHang) {
  Watchdog watchdog(120);
  Tabs->GetTabs()->Add(L"一个非常非常非常长的选项卡标题");
  Tabs->SetBounds(10, 10, 30, 60);
  ShowForm();
  Tabs->SetTabIndex(0);
  Tabs->ScrollTabs(5);
  EXPECT_EQ(Tabs->GetFirstVisible(), 0);
  Tabs->Repaint();
  // In rows, the long tab is shrunk to the strip and ends inside the control.
  Tabs->SetMultiLine(true);
  Tabs->SetBounds(10, 10, 150, 60);
  Pump();
  EXPECT_EQ(Tabs->GetTabRect(0).Right, 148);
  SaveScreenshot(Form->GetHandle(), L"skin_tabs_long_in_rows");
  Tabs->SetMultiLine(false);
  Tabs->SetBounds(10, 10, 30, 60);
  Tabs->GetTabs()->Add(L"第二");
  Tabs->SetTabIndex(1);
  EXPECT_LE(Tabs->GetFirstVisible(), 1);
  Tabs->GetTabs()->Clear();
  Tabs->ScrollTabs(-3);
  EXPECT_EQ(Tabs->GetFirstVisible(), 0);
  // 500 tabs on the left side.
  Tabs->SetBounds(10, 10, 380, 280);
  Tabs->GetTabs()->BeginUpdate();
  for (int i = 0; i < 500; ++i) Tabs->GetTabs()->Add(L"卷" + IntToStr(i));
  Tabs->GetTabs()->EndUpdate();
  Tabs->SetTabPosition(tpLeft);
  Pump();
  EXPECT_LE(Tabs->GetRowCount(), MaxTabRows);
  Tabs->SetTabIndex(3);
  ClickTab(2);
  EXPECT_EQ(Tabs->GetTabIndex(), 2);
  SaveScreenshot(Form->GetHandle(), L"skin_tabs_500_left");
}

TEST_F(TabControlTest, DrawingEqualsTheSystemsAndHoverLeavesThePageAlone) {
  MakePages({L"页一", L"页二"});
  auto* child = new TPaintCounter(Form);
  child->SetParent(Tabs->GetPage(0));
  child->SetBounds(10, 10, 60, 30);
  ShowForm();
  const int w = Tabs->GetWidth(), h = Tabs->GetHeight();
  const TRect body = Tabs->Geometry().BodyRect();
  if (UseThemes()) {
    MemorySurface ours(w, h), system(w, h);
    PaintWindowInto(Tabs, ours);
    TThemeScope(L"Tab").DrawBackground(system.DC(), 9, 1, RECT(body));
    const TRect inside(body.Left, body.Top + 6, body.Right, body.Bottom);
    EXPECT_EQ(DifferentPixels(ours, system, inside), 0);
  }
  WithoutThemes([&] {
    MemorySurface ours(w, h);
    PaintWindowInto(Tabs, ours);
    EXPECT_EQ(ours.At(body.Left, body.Bottom - 5), Rgb(clBtnHighlight));
    EXPECT_EQ(ours.At(body.Left + 5, body.Bottom - 1), Rgb(cl3DDkShadow));
    EXPECT_EQ(ours.At(body.Right - 1, body.Bottom - 1), Rgb(cl3DDkShadow));
    EXPECT_EQ(ours.At(body.Right - 2, body.Bottom - 2), Rgb(clBtnShadow));
    EXPECT_EQ(ours.At(body.Left + 1, body.Bottom - 3), Rgb(clBtnFace));
  });
  // Hovering the tabs repaints the strip only: the page's child is not painted again.
  Pump();
  const int paints = child->Paints;
  for (int i = 0; i < 2; ++i) {
    const TRect r = Tabs->GetTabRect(i);
    ::PostMessageW(Tabs->GetHandle(), WM_MOUSEMOVE, 0, At(r.Left + 5, r.Top + 5));
    Pump();
    EXPECT_EQ(Tabs->GetHotTab(), i);
  }
  EXPECT_EQ(child->Paints, paints);
}

TEST_F(TabControlTest, LayoutRoundTripAndBadStoredValues) {
  MakePages({L"听力", L"阅读", L"写作"});
  Tabs->GetPage(1)->SetPageVisible(false);
  Tabs->SetTabPosition(tpRight);
  Tabs->SetScrollOpposite(true);
  Tabs->SetTabHeight(24);
  Tabs->SetActivePage(Tabs->GetPage(2));
  const String text = ComponentToText(Form);
  delete Tabs;
  Tabs = nullptr;
  ReadLayout(text);
  Tabs = Find<TSeCustomTabControl>(L"Tabs");
  ASSERT_NE(Tabs, nullptr);
  ASSERT_EQ(Tabs->GetPageCount(), 3);
  EXPECT_EQ(Tabs->GetPage(0)->GetText(), L"听力");
  EXPECT_FALSE(Tabs->GetPage(1)->GetPageVisible());
  EXPECT_EQ(Tabs->GetTabs()->GetCount(), 2);
  EXPECT_EQ(Tabs->GetTabPosition(), tpRight);
  EXPECT_TRUE(Tabs->GetMultiLine());
  EXPECT_TRUE(Tabs->GetScrollOpposite());
  EXPECT_EQ(Tabs->GetTabHeight(), 24);
  EXPECT_EQ(Tabs->GetActivePage(), Tabs->GetPage(2));
  const String again = ComponentToText(Form);
  EXPECT_EQ(again.substr(again.find(L"object Tabs")), text.substr(text.find(L"object Tabs")));
  // One row that keeps ScrollOpposite comes back as one row.
  Tabs->SetTabPosition(tpTop);
  Tabs->SetMultiLine(false);
  const String oneRow = ComponentToText(Form);
  delete Tabs;
  Tabs = nullptr;
  ReadLayout(oneRow);
  Tabs = Find<TSeCustomTabControl>(L"Tabs");
  ASSERT_NE(Tabs, nullptr);
  EXPECT_FALSE(Tabs->GetMultiLine());
  EXPECT_TRUE(Tabs->GetScrollOpposite());
  ReadLayout(
      L"object Form1: TButtonsForm\n"
      L"  object Bad: TSeCustomTabControl\n    TabWidth = -1\n    TabHeight = 99999\n"
      L"    TabIndex = 40\n    Tabs.Strings = (\n      'a'\n      'b')\n  end\nend\n");
  auto* bad = Find<TSeCustomTabControl>(L"Bad");
  EXPECT_EQ(bad->GetTabWidth(), 0);
  EXPECT_EQ(bad->GetTabHeight(), TSeCustomTabControl::MaxTabExtent);
  EXPECT_EQ(bad->GetTabIndex(), 1);
}

// Page images go at the tab's start (the bottom of a left tab), not beyond the list; a hot
// tab's caption turns clHighlight only with HotTrack; owner-drawn tabs are the handler's alone.
TEST_F(TabControlTest, TabImagesHotTrackAndOwnerDrawnTabsPaintAsTold) {
  TImageList images(Form);
  AddSolidImage(images, clRed);
  MakePages({L"第一页", L"第二页", L"第三页"});
  Tabs->GetPage(1)->SetImageIndex(0);
  Tabs->GetPage(2)->SetImageIndex(9);  // beyond the list: no image
  Tabs->SetImages(&images);
  ShowForm();
  const int w = Tabs->GetWidth(), h = Tabs->GetHeight();
  EXPECT_GE(Tabs->Geometry().TabHeight, 20) << "a row holds the image";
  for (TTabPosition side : {tpTop, tpBottom, tpLeft}) {
    Tabs->SetTabPosition(side);
    Pump();
    MemorySurface surface(w, h);
    PaintWindowInto(Tabs, surface);
    SaveScreenshot(Form->GetHandle(), String(L"skin_tabs_images_") + IntToStr(side));
    const TRect r = Tabs->GetTabRect(1);
    EXPECT_GT(surface.CountOf(clRed, r), 150) << side;
    if (side != tpLeft) {  // the row next to the body: 3 pixels inside the whole tab
      int top = r.Bottom;
      for (int y = r.Bottom - 1; y >= r.Top; --y)
        if (surface.CountOf(clRed, TRect(r.Left, y, r.Right, y + 1)) > 0) top = y;
      EXPECT_EQ(top, r.Top + 3) << side;
    }
    EXPECT_EQ(surface.CountOf(clRed, Tabs->GetTabRect(2)), 0) << side;
    EXPECT_EQ(surface.CountOf(clRed, Tabs->GetTabRect(0)), 0) << side;
    const TRect start = side != tpLeft ? TRect(r.Left, r.Top, r.Left + RectWidth(r) / 2, r.Bottom)
                                      : TRect(r.Left, r.Top + RectHeight(r) / 2, r.Right, r.Bottom);
    EXPECT_EQ(surface.CountOf(clRed, start), surface.CountOf(clRed, r)) << "at the start " << side;
  }
  // In a row further out the image keeps to that row's band, clear of the nearer row.
  Tabs->SetTabPosition(tpBottom);
  Tabs->SetMultiLine(true);
  Tabs->SetBounds(10, 10, 150, h);
  Tabs->SetTabIndex(2);
  Pump();
  {
    const TSeTabGeometry& g = Tabs->Geometry();
    ASSERT_EQ(g.EffectiveRows(), 2);
    ASSERT_GT(g.RowOffset(g.RowOf(1)), g.TabHeight);
    const TRect r = g.TabRect(1);
    MemorySurface surface(150, h);
    PaintWindowInto(Tabs, surface);
    EXPECT_GT(surface.CountOf(clRed, TRect(r.Left, r.Bottom - g.TabHeight, r.Right, r.Bottom)), 150);
    SaveScreenshot(Form->GetHandle(), L"skin_tabs_images_two_rows");
  }
  Tabs->SetMultiLine(false);
  Tabs->SetBounds(10, 10, w, h);
  Tabs->SetTabIndex(0);
  Tabs->SetTabPosition(tpTop);
  Tabs->SetImages(nullptr);
  Pump();
  // The mouse over tab 0: its caption is drawn in clHighlight when HotTrack is on.
  const TRect hot = Tabs->GetTabRect(0);
  ::SendMessageW(Tabs->GetHandle(), WM_MOUSEMOVE, 0, At(hot.Left + 5, hot.Top + 5));
  ASSERT_EQ(Tabs->GetHotTab(), 0);
  const auto highlighted = [&](int tab) {
    MemorySurface surface(w, h);
    PaintWindowInto(Tabs, surface);
    return surface.CountOf(Rgb(clHighlight), Tabs->GetTabRect(tab));
  };
  const int plainHot = highlighted(0), plainOther = highlighted(1);
  Tabs->SetHotTrack(true);
  EXPECT_GT(highlighted(0), plainHot + 20);
  EXPECT_EQ(highlighted(1), plainOther) << "only the hot tab";
  // Owner-drawn: one call per tab with its rectangle, the selected one active, and nothing
  // of the control's own tab drawing.
  struct TCall {
    int Index;
    TRect Rect;
    bool Active;
  };
  std::vector<TCall> calls;
  Tabs->SetOnDrawTab([&](TSeCustomTabControl*, int index, const TRect& rect, bool active) {
    calls.push_back({index, rect, active});
  });
  Tabs->SetOwnerDraw(true);
  Tabs->SetTabIndex(2);
  MemorySurface drawn(w, h, clFuchsia);
  calls.clear();
  PaintWindowInto(Tabs, drawn);
  ASSERT_EQ(calls.size(), 3u);
  for (const TCall& call : calls) {
    EXPECT_EQ(call.Rect, Tabs->GetTabRect(call.Index));
    EXPECT_EQ(call.Active, call.Index == 2);
  }
  EXPECT_EQ(calls.back().Index, 2) << "the selected tab last, over its neighbours";
  const TRect first = Tabs->GetTabRect(0);
  EXPECT_EQ(drawn.CountOf(Rgb(clBtnShadow), TRect(first.Left, first.Top, first.Right, first.Top + 4)), 0);
}

// A page inserted at design time without a name takes the first free one of its class's
// stem; an empty caption becomes "New Page " and the tab number.
TEST_F(TabControlTest, DesignerPagesGetTheFirstFreeNameAndNewPageCaptions) {
  Tabs->SetUsePages(true);
  auto* taken = new TPanel(Form);
  taken->SetName(L"SeCustomTabSheet1");
  Form->SetDesigning(true);
  auto* first = new TSeCustomTabSheet(Form);
  Tabs->InsertPage(first);
  auto* second = new TSeCustomTabSheet(Form);
  Tabs->InsertPage(second);
  auto* named = new TSeCustomTabSheet(Form);
  named->SetName(L"Exam");
  named->SetText(L"考试");
  Tabs->InsertPage(named);
  Form->SetDesigning(false);
  EXPECT_EQ(first->GetName(), L"SeCustomTabSheet2");
  EXPECT_EQ(second->GetName(), L"SeCustomTabSheet3");
  EXPECT_EQ(named->GetName(), L"Exam");
  EXPECT_EQ(first->GetText(), L"New Page 0");
  EXPECT_EQ(second->GetText(), L"New Page 1");
  EXPECT_EQ(Tabs->GetTabs()->Get(2), L"考试");
  // At run time a page keeps no name of the designer's making. The number counts the tabs,
  // and a hidden page has none.
  named->SetPageVisible(false);
  auto* runtime = new TSeCustomTabSheet(Form);
  Tabs->InsertPage(runtime);
  EXPECT_EQ(runtime->GetName(), L"");
  EXPECT_EQ(runtime->GetText(), L"New Page 2");
  EXPECT_EQ(Tabs->GetTabs()->Get(2), L"New Page 2");
}

// The theme draws tabs only for a strip above the body. Tabs on the other sides are that
// drawing turned: compared pixel by pixel with the library's upright drawing over stripes.
TEST_F(TabControlTest, ThemedTabsOnEverySideAreTheUprightTabTurned) {
  if (!UseThemes()) GTEST_SKIP() << "no visual styles";
  TThemeScope theme(L"Tab");
  ASSERT_TRUE(theme);
  const auto stripes = [](MemorySurface& s) {
    for (int x = 0; x < s.Width(); x += 2) {
      s.Canvas.GetBrush()->SetColor(static_cast<TColor>(RGB(40 + x % 180, 200 - x % 150, 90)));
      s.Canvas.FillRect(TRect(x, 0, x + 2, s.Height()));
    }
  };
  const int tw = 70, th = 24;  // the upright tab
  for (int state = 1; state <= 3; ++state)
    for (TTabPosition side : {tpTop, tpBottom, tpLeft, tpRight}) {
      const bool across = side == tpLeft || side == tpRight;
      const int w = across ? th : tw, h = across ? tw : th;
      MemorySurface turned(w + 10, h + 10);
      stripes(turned);
      MemorySurface under(w + 10, h + 10);
      stripes(under);
      ASSERT_TRUE(DrawTurnedThemePart(theme, turned.DC(), 1, state, RECT{5, 5, 5 + w, 5 + h}, side));
      // What lay under each target pixel, put where the upright drawing has it.
      MemorySurface upright(tw, th);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const int ux = side == tpBottom ? x : side == tpTop ? x : y;
          const int uy = side == tpBottom ? th - 1 - y : side == tpLeft ? x : side == tpRight ? w - 1 - x : y;
          ::SetPixelV(upright.DC(), ux, uy, static_cast<COLORREF>(under.At(5 + x, 5 + y)));
        }
      ASSERT_TRUE(theme.DrawBackground(upright.DC(), 1, state, RECT{0, 0, tw, th}));
      int different = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const int ux = side == tpBottom ? x : side == tpTop ? x : y;
          const int uy = side == tpBottom ? th - 1 - y : side == tpLeft ? x : side == tpRight ? w - 1 - x : y;
          different += turned.At(5 + x, 5 + y) == upright.At(ux, uy) ? 0 : 1;
        }
      EXPECT_EQ(different, 0) << "state " << state << " side " << side;
      // Nothing outside the target changes.
      EXPECT_EQ(DifferentPixels(turned, under, TRect(0, 0, w + 10, 5)), 0);
      EXPECT_EQ(DifferentPixels(turned, under, TRect(0, h + 5, w + 10, h + 10)), 0);
    }
  // The control draws its left tabs so: its selected tab redrawn turned over its own paint
  // changes at most a few blended corner pixels, redrawn upright it changes many.
  for (const wchar_t* caption : {L"", L"", L""}) Tabs->GetTabs()->Add(caption);
  Tabs->SetTabPosition(tpLeft);
  Tabs->SetTabIndex(1);
  ShowForm();
  const int w = Tabs->GetWidth(), h = Tabs->GetHeight();
  MemorySurface ours(w, h), again(w, h), upright(w, h);
  PaintWindowInto(Tabs, ours);
  PaintWindowInto(Tabs, again);
  PaintWindowInto(Tabs, upright);
  const TRect r = Tabs->GetTabRect(1);
  DrawTurnedThemePart(theme, again.DC(), 1, 3, RECT(r), tpLeft);
  theme.DrawBackground(upright.DC(), 1, 3, RECT(r));
  EXPECT_LE(DifferentPixels(ours, again, r), 8);
  EXPECT_GT(DifferentPixels(ours, upright, r), 50);
  // On top, the tab that starts the strip reaches the body's left edge; the others keep a
  // gap of the frame margin at both ends.
  Tabs->SetTabPosition(tpTop);
  Tabs->SetMultiLine(false);
  Tabs->SetTabIndex(2);
  Pump();
  MemorySurface top(w, h), first(w, h), second(w, h);
  PaintWindowInto(Tabs, top);
  PaintWindowInto(Tabs, first);
  PaintWindowInto(Tabs, second);
  const TRect r0 = Tabs->GetTabRect(0), r1 = Tabs->GetTabRect(1);
  theme.DrawBackground(first.DC(), 1, 1, RECT{0, r0.Top, r0.Right - 2, r0.Bottom});
  theme.DrawBackground(second.DC(), 1, 1, RECT{r1.Left + 2, r1.Top, r1.Right - 2, r1.Bottom});
  // Compared above the body, which is drawn over the unselected tabs' last rows.
  EXPECT_LE(DifferentPixels(top, first, TRect(0, r0.Top, r0.Right, r0.Bottom - 2)), 8);
  EXPECT_LE(DifferentPixels(top, second, TRect(r1.Left, r1.Top, r1.Right, r1.Bottom - 2)), 8);
}

// Tabs of rows further out reach in under the nearer rows, so a tall strip draws its tabs at
// many heights and widths: each state of the tab comes from one kept bitmap, and every size
// must still equal the library's own drawing over whatever lies under it.
TEST(ThemePartCache, OneKeptBitmapServesEveryHeightAndWidthOfATab) {
  if (!UseThemes()) GTEST_SKIP() << "no visual styles";
  TThemeScope theme(L"Tab");
  ASSERT_TRUE(theme);
  const int w = 300, h = 260;
  TThemePartCache cache;
  const auto compare = [&](int part, int state, const RECT& r) {
    ExpectKeptDrawsAsTheLibrary(cache, theme, part, state, r, w, h);
  };
  const RECT sizes[] = {{3, 5, 63, 25},    {70, 2, 118, 42},  {3, 30, 75, 250},
                        {80, 7, 121, 257}, {130, 4, 290, 17}, {125, 60, 296, 200}};
  for (int pass = 0; pass < 2; ++pass)
    for (int state = 1; state <= 3; ++state)
      for (const RECT& r : sizes) compare(1 /* TABP_TABITEM */, state, r);
  EXPECT_EQ(cache.Count(), 3) << "sizes share their state's bitmap";
  // Shorter than its sizing margins the library shrinks a part's ends: such a size is not
  // served by the stretched bitmap. The pane, kept per size where it does not repeat.
  for (int pass = 0; pass < 2; ++pass) {
    for (int state = 1; state <= 3; ++state) compare(1, state, RECT{130, 4, 290, 9});
    for (const RECT& r : sizes) compare(9 /* TABP_PANE */, 1, r);
  }
}

// Another theme or other system colours change what the theme draws: the kept tabs, pane and
// scroll buttons stay until either message tells of it, then give way to the new drawing.
TEST_F(TabControlTest, KeptTabsAndPaneGiveWayToANewLook) {
  for (int i = 0; i < 30; ++i) Tabs->GetTabs()->Add(L"第" + IntToStr(i) + L"题");
  Tabs->SetTabIndex(3);
  ShowForm();
  if (!UseThemes()) GTEST_SKIP() << "no visual styles";
  ThemeLookSwap look;
  const int w = Tabs->GetWidth(), h = Tabs->GetHeight();
  const TRect tab = Tabs->GetTabRect(1), selected = Tabs->GetTabRect(3);
  const TRect body = Tabs->Geometry().BodyRect();
  ASSERT_TRUE(Tabs->Geometry().ScrollButtonsShow());
  const TRect button = Tabs->Geometry().RightButtonRect();
  struct Shown {
    TColor Tab, Selected, Pane, Button;
  };
  const auto paint = [&] {
    MemorySurface s(w, h, clFuchsia);
    for (int i = 0; i < 3; ++i) PaintWindowInto(Tabs, s);
    return Shown{s.At(tab.Left + 6, tab.Top + 3), s.At(selected.Left + 6, selected.Top + 3),
                 s.At(body.Left + 40, body.Top + 40), s.At(button.Left + 2, button.Top + 2)};
  };
  const Shown library = paint();
  ASSERT_NE(library.Tab, clLime);
  // Until a change is announced the tabs, the pane and the buttons are drawn as kept.
  look.SetLook(clLime);
  const Shown kept = paint();
  EXPECT_EQ(kept.Tab, library.Tab);
  EXPECT_EQ(kept.Selected, library.Selected);
  EXPECT_EQ(kept.Pane, library.Pane);
  EXPECT_EQ(kept.Button, library.Button);
  const struct {
    TColor Look;
    UINT Message;
  } steps[] = {{clLime, WM_THEMECHANGED}, {clBlue, WM_SYSCOLORCHANGE}, {clNone, WM_THEMECHANGED}};
  for (const auto& step : steps) {
    look.SetLook(step.Look);
    // As the system sends them: a theme change to every window, new colours to the form.
    ::SendMessageW(step.Message == WM_THEMECHANGED ? Tabs->GetHandle() : Form->GetHandle(),
                   step.Message, 0, 0);
    const Shown now = paint();
    if (step.Look == clNone) {
      EXPECT_EQ(now.Tab, library.Tab);
      EXPECT_EQ(now.Pane, library.Pane);
      continue;
    }
    EXPECT_EQ(now.Tab, step.Look) << "message " << step.Message;
    EXPECT_EQ(now.Selected, step.Look) << "message " << step.Message;
    EXPECT_EQ(now.Pane, step.Look) << "message " << step.Message;
    EXPECT_EQ(now.Button, step.Look) << "message " << step.Message;
  }
}

// A paint draws the tabs that reach into the area being painted and no others; that area comes
// out as a paint of the whole control draws it. 500 tabs in 600 x 400 make rows reaching far
// above and below the control.
TEST_F(TabControlTest, APaintDrawsOnlyTheTabsReachingIntoWhatIsPainted) {
  Watchdog watchdog(120);
  Tabs->SetBounds(0, 0, 600, 400);
  Tabs->GetTabs()->BeginUpdate();
  for (int i = 0; i < 500; ++i) Tabs->GetTabs()->Add(L"第" + IntToStr(i) + L"题");
  Tabs->GetTabs()->EndUpdate();
  Tabs->SetMultiLine(true);
  Tabs->SetTabIndex(250);
  ShowForm();
  const TSeTabGeometry g = Tabs->Geometry();
  const TRect band(0, 150, 600, 190);
  int reaching = 0;
  for (int i = 0; i < g.Count(); ++i) {
    TRect r = g.TabRect(i);
    InflateRect(r, 3, 3);
    TRect common;
    reaching += IntersectRect(common, r, band) ? 1 : 0;
  }
  ASSERT_GT(reaching, 0);
  ASSERT_LT(reaching, 250);
  // Themed or classic: the band as the whole paint has it.
  for (int pass = 0; pass < 2; ++pass) {
    const auto compare = [&] {
      MemorySurface whole(600, 400), part(600, 400, clFuchsia);
      PaintWindowInto(Tabs, whole);
      ::IntersectClipRect(part.DC(), band.Left, band.Top, band.Right, band.Bottom);
      PaintWindowInto(Tabs, part);
      EXPECT_EQ(DifferentPixels(whole, part, band), 0) << "pass " << pass;
    };
    if (pass == 0) compare();
    else WithoutThemes(compare);
  }
  // Owner-drawn: the tabs asked for.
  int drawn = 0;
  Tabs->SetOwnerDraw(true);
  Tabs->SetOnDrawTab([&](TSeCustomTabControl*, int, const TRect&, bool) { ++drawn; });
  MemorySurface part(600, 400);
  ::IntersectClipRect(part.DC(), band.Left, band.Top, band.Right, band.Bottom);
  PaintWindowInto(Tabs, part);
  EXPECT_EQ(drawn, reaching);
}

TEST_F(TabControlTest, TabControlsMadeUsedAndFreedLeakNothing) {
  ShowForm();
  int round = 0;
  ExpectNoLeaks([&] {
    ++round;
    auto* tabs = new TSeCustomTabControl(Form);
    tabs->SetParent(Form);
    tabs->SetBounds(0, 0, 200, 150);
    tabs->SetUsePages(true);
    for (int i = 0; i < 4; ++i) tabs->GetTabs()->Add(L"页");
    tabs->SetTabPosition(round % 2 ? tpLeft : tpTop);
    Pump();
    const TRect r = tabs->GetTabRect(1);
    ::SendMessageW(tabs->GetHandle(), WM_MOUSEMOVE, 0, At(r.Left + 4, r.Top + 4));
    WithoutThemes([&] { tabs->Repaint(); });
    delete tabs;
  }, 25);
}

}  // namespace
