// The owner-drawn status bar: the priority layout as a table, panel values kept in range, a
// layout round trip with Chinese texts, hosted controls, clicks (also when a handler deletes
// the panel), the size grip sizing a real form, drawing against the system's own theme and
// frame drawing (also repainted from kept theme parts), leaks, and screenshots.
#include <gtest/gtest.h>

#include <climits>

#include "classlib/stdctrls/Edits.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/controls/SkinStatusBar.h"
#include "controls/skin/engine/SkinDrawing.h"

using namespace skin_tests;

namespace {

std::vector<TSeStatusSlot> Slots(std::initializer_list<TSeStatusSlot> list) { return list; }

TSeStatusSlot Slot(int width, int view, int stretch = 0, int maxWidth = 10000) {
  TSeStatusSlot s;
  s.Width = width;
  s.ViewPriority = view;
  s.StretchPriority = stretch;
  s.MaxWidth = maxWidth;
  return s;
}

TEST(StatusLayout, PrioritiesHideAndStretchAsTheTableSays) {
  // Three panels of 100 in 250: the middle (lower priority) goes, the others sit side by side.
  auto slots = Slots({Slot(100, 100), Slot(100, 50), Slot(100, 100)});
  LayoutStatusSlots(slots, 0, 250);
  EXPECT_TRUE(slots[0].Shown);
  EXPECT_FALSE(slots[1].Shown);
  EXPECT_EQ(slots[1].Left, slots[1].Right) << "a hidden panel is empty";
  EXPECT_EQ(slots[0].Left, 0);
  EXPECT_EQ(slots[0].Right, 100);
  EXPECT_EQ(slots[2].Left, 100);
  EXPECT_EQ(slots[2].Right, 200);
  // The 50 left go to the stretching panel, which as the last reaches the right edge.
  slots = Slots({Slot(100, 100), Slot(100, 50), Slot(100, 100, 10)});
  LayoutStatusSlots(slots, 2, 252);
  EXPECT_EQ(slots[2].Left, 102);
  EXPECT_EQ(slots[2].Right, 252);
  // A single panel is never hidden for lack of room; ViewPriority 0 always is, and a hidden
  // stretching panel stays empty instead of reaching to the edge.
  slots = Slots({Slot(500, 1)});
  LayoutStatusSlots(slots, 0, 100);
  EXPECT_TRUE(slots[0].Shown);
  EXPECT_EQ(slots[0].Right, 100) << "clipped to the bar";
  slots = Slots({Slot(50, 100), Slot(50, 0, 80)});
  LayoutStatusSlots(slots, 0, 300);
  EXPECT_FALSE(slots[1].Shown);
  EXPECT_EQ(slots[1].Left, slots[1].Right);
  EXPECT_EQ(slots[0].Right, 50);
}

TEST(StatusLayout, StretchHonoursMaxWidthAndEqualPrioritiesKeepTheirOrder) {
  // The first stretcher can take only 30 more; the rest passes to the next by priority.
  auto slots = Slots({Slot(50, 100, 90, 80), Slot(50, 100, 20), Slot(50, 100)});
  LayoutStatusSlots(slots, 0, 300);
  EXPECT_EQ(slots[0].Right - slots[0].Left, 80);
  EXPECT_EQ(slots[1].Right - slots[1].Left, 170);
  EXPECT_EQ(slots[2].Left, 250);
  // Equal view priorities: the later panel gives way first, whatever the sort does.
  for (int round = 0; round < 5; ++round) {
    slots = Slots({Slot(60, 40), Slot(60, 40), Slot(60, 40), Slot(60, 40), Slot(60, 40)});
    LayoutStatusSlots(slots, 0, 130);
    EXPECT_TRUE(slots[0].Shown && slots[1].Shown);
    EXPECT_FALSE(slots[2].Shown || slots[3].Shown || slots[4].Shown);
  }
  // Equal stretch priorities: the first in order takes the room.
  slots = Slots({Slot(10, 100, 5), Slot(10, 100, 5)});
  LayoutStatusSlots(slots, 0, 100);
  EXPECT_EQ(slots[0].Right, 90);
  EXPECT_EQ(slots[1].Right, 100);
}

TEST(StatusLayout, HugeAndBadValuesNeitherOverflowNorEscapeTheBar) {
  auto slots = Slots({Slot(INT_MAX, 100, 0, INT_MAX), Slot(INT_MAX, 100, 0, INT_MAX),
                      Slot(INT_MAX, 100, 100, INT_MAX)});
  LayoutStatusSlots(slots, 0, 400);
  for (const auto& s : slots) {
    EXPECT_GE(s.Left, 0);
    EXPECT_LE(s.Right, 400);
    EXPECT_LE(s.Left, s.Right);
  }
  EXPECT_FALSE(slots[2].Shown) << "nothing left beyond the first two";
  slots = Slots({Slot(-40, 100, 100, -7), Slot(30, 100, 100, INT_MAX)});
  LayoutStatusSlots(slots, 0, INT_MAX);
  EXPECT_EQ(slots[0].MaxWidth, 0);
  EXPECT_EQ(slots[0].Right, slots[0].Left);
  EXPECT_EQ(slots[1].Right, INT_MAX);
  slots = Slots({Slot(10, 100)});
  LayoutStatusSlots(slots, 50, 20);  // a bar narrower than its frame
  EXPECT_EQ(slots[0].Left, 50);
  EXPECT_EQ(slots[0].Right, 50);
}

class StatusBarTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    Bar = new TSeCustomStatusBar(Form);
    Bar->SetName(L"Bar");
    Bar->SetParent(Form);
    Bar->SetAlign(alBottom);
    for (const wchar_t* text : {L"就绪", L"第 3 题 / 共 120 题", L"用时 00:12:31"}) {
      TSeStatusPanel* panel = Bar->GetPanels()->Add();
      panel->SetText(text);
      panel->SetWidth(110);
    }
    Bar->GetPanels()->GetItem(2)->SetStretchPriority(50);
  }
  TSeStatusPanel* Panel(int i) { return Bar->GetPanels()->GetItem(i); }
  // A left click at a bar point.
  void ClickBar(int x, int y) { ClickWindow(Bar->GetHandle(), x, y); }
  TSeCustomStatusBar* Bar = nullptr;
};

TEST_F(StatusBarTest, PanelValuesStayInRangeAlsoFromABadLayout) {
  TSeStatusPanel* p = Panel(0);
  p->SetWidth(20000);
  EXPECT_EQ(p->GetWidth(), 10000);
  p->SetWidth(-5);
  EXPECT_EQ(p->GetWidth(), 0);
  p->SetWidth(300);
  p->SetMaxWidth(120);
  EXPECT_EQ(p->GetWidth(), 120) << "lowering MaxWidth lowers Width";
  p->SetMaxWidth(-1);
  EXPECT_EQ(p->GetMaxWidth(), 0);
  EXPECT_EQ(p->GetWidth(), 0);
  p->SetViewPriority(250);
  EXPECT_EQ(p->GetViewPriority(), 100);
  p->SetStretchPriority(-3);
  EXPECT_EQ(p->GetStretchPriority(), 0);
  ReadLayout(
      L"object Form1: TButtonsForm\n"
      L"  object Stored: TSeCustomStatusBar\n    Top = 200\n    Width = 300\n"
      L"    Panels = <\n      item\n        ViewPriority = 250\n        StretchPriority = 999\n"
      L"        Width = 99999\n        MaxWidth = -20\n      end>\n  end\nend\n");
  auto* stored = Find<TSeCustomStatusBar>(L"Stored");
  ASSERT_EQ(stored->GetPanels()->GetCount(), 1);
  TSeStatusPanel* read = stored->GetPanels()->GetItem(0);
  EXPECT_EQ(read->GetViewPriority(), 100);
  EXPECT_EQ(read->GetStretchPriority(), 100);
  EXPECT_EQ(read->GetMaxWidth(), 0);
  EXPECT_EQ(read->GetWidth(), 0);
}

TEST_F(StatusBarTest, LayoutRoundTripKeepsChineseTextsAndEveryPanelValue) {
  Panel(0)->SetAlignment(taCenter);
  Panel(1)->SetLayout(sglGlyphRight);
  Panel(1)->SetFramed(false);
  Panel(1)->SetViewPriority(30);
  Panel(2)->SetStyle(psOwnerDraw);
  Panel(2)->SetMaxWidth(400);
  Bar->SetSizeGrip(false);
  Bar->SetBorderWidth(1);
  const String text = ComponentToText(Form);
  delete Bar;
  Bar = nullptr;
  ReadLayout(text);
  Bar = Find<TSeCustomStatusBar>(L"Bar");
  ASSERT_NE(Bar, nullptr);
  ASSERT_EQ(Bar->GetPanels()->GetCount(), 3);
  EXPECT_EQ(Panel(0)->GetText(), L"就绪");
  EXPECT_EQ(Panel(1)->GetText(), L"第 3 题 / 共 120 题");
  EXPECT_EQ(Panel(0)->GetAlignment(), taCenter);
  EXPECT_EQ(Panel(1)->GetLayout(), sglGlyphRight);
  EXPECT_FALSE(Panel(1)->GetFramed());
  EXPECT_EQ(Panel(1)->GetViewPriority(), 30);
  EXPECT_EQ(Panel(2)->GetStyle(), psOwnerDraw);
  EXPECT_EQ(Panel(2)->GetMaxWidth(), 400);
  EXPECT_EQ(Panel(2)->GetStretchPriority(), 50);
  EXPECT_FALSE(Bar->GetSizeGrip());
  EXPECT_EQ(Bar->GetBorderWidth(), 1);
  EXPECT_EQ(Bar->GetAlign(), alBottom);
  const String again = ComponentToText(Form);
  EXPECT_EQ(again.substr(again.find(L"object Bar")), text.substr(text.find(L"object Bar")));
}

TEST_F(StatusBarTest, HostedControlsMakeOnePanelFollowItAndLeaveWithIt) {
  ShowForm();
  auto* edit = new TEdit(Form);
  edit->SetName(L"Edit1");
  edit->SetAutoSize(false);
  Panel(1)->SetControl(edit);
  EXPECT_EQ(Bar->GetPanels()->GetCount(), 3) << "hosting adds no second panel";
  EXPECT_EQ(edit->GetParent(), Bar);
  EXPECT_EQ(edit->GetBoundsRect(), Bar->GetPanelContentRect(Panel(1)));
  EXPECT_EQ(Panel(1)->GetDisplayName(), L"第 3 题 / 共 120 题");
  // A control dropped on the bar gets a panel of its own.
  auto* other = new TEdit(Form);
  other->SetParent(Bar);
  ASSERT_EQ(Bar->GetPanels()->GetCount(), 4);
  EXPECT_EQ(Panel(3)->GetControl(), other);
  // Hosting it in another panel releases it from the first.
  Panel(0)->SetControl(other);
  EXPECT_EQ(Panel(3)->GetControl(), nullptr);
  EXPECT_EQ(Panel(0)->GetControl(), other);
  // A hidden panel hides its control.
  Panel(0)->SetWidth(300);
  Panel(1)->SetViewPriority(10);
  EXPECT_FALSE(Panel(1)->GetShown());
  EXPECT_FALSE(edit->GetVisible());
  // The bar itself or its parents cannot be hosted.
  EXPECT_THROW(Panel(2)->SetControl(Bar), EInvalidOperation);
  EXPECT_THROW(Panel(2)->SetControl(Form), EInvalidOperation);
  EXPECT_EQ(Panel(2)->GetControl(), nullptr);
  // Freeing a hosted control frees its panel; nothing refers to it afterwards.
  delete edit;
  EXPECT_EQ(Bar->GetPanels()->GetCount(), 3);
  for (int i = 0; i < Bar->GetPanels()->GetCount(); ++i)
    EXPECT_NE(static_cast<void*>(Panel(i)->GetControl()), static_cast<void*>(edit));
  Bar->Repaint();
  Pump();
}

TEST_F(StatusBarTest, ClicksReachThePanelAndSurviveAHandlerThatDeletesIt) {
  ShowForm();
  std::vector<int> clicked, doubled;
  Bar->SetOnPanelClick([&](TObject*, TSeStatusPanel* p) { clicked.push_back(p->GetIndex()); });
  Bar->SetOnPanelDblClick([&](TObject*, TSeStatusPanel* p) { doubled.push_back(p->GetIndex()); });
  const int y = Bar->GetHeight() / 2;
  ClickBar(Panel(1)->GetLeft() + 5, y);
  ClickBar(Panel(0)->GetLeft() + 5, y);
  EXPECT_EQ(clicked, (std::vector<int>{1, 0}));
  // Pressed on one panel, released on another: no click.
  ::PostMessageW(Bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(Panel(0)->GetLeft() + 5, y));
  ::PostMessageW(Bar->GetHandle(), WM_LBUTTONUP, 0, At(Panel(1)->GetLeft() + 5, y));
  Pump();
  EXPECT_EQ(clicked.size(), 2u);
  ::PostMessageW(Bar->GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(Panel(2)->GetLeft() + 5, y));
  ::PostMessageW(Bar->GetHandle(), WM_LBUTTONUP, 0, At(Panel(2)->GetLeft() + 5, y));
  Pump();
  EXPECT_EQ(doubled, (std::vector<int>{2}));
  // OnMouseDown deletes the panel under the mouse: the press is forgotten, no click follows.
  Bar->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int x, int yy) {
    delete Bar->PanelAt(TPoint(x, yy));
  });
  clicked.clear();
  ClickBar(Panel(1)->GetLeft() + 5, y);
  EXPECT_EQ(Bar->GetPanels()->GetCount(), 2);
  EXPECT_TRUE(clicked.empty()) << "the panel that moved into its place is not clicked";
  EXPECT_EQ(Bar->GetPressedPanel(), nullptr);
  // A press recorded, then the panels change before the release.
  Bar->SetOnMouseDown(nullptr);
  ::PostMessageW(Bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(Panel(0)->GetLeft() + 5, y));
  Pump();
  EXPECT_EQ(Bar->GetPressedPanel(), Panel(0));
  Bar->GetPanels()->Clear();
  EXPECT_EQ(Bar->GetPressedPanel(), nullptr);
  ::PostMessageW(Bar->GetHandle(), WM_LBUTTONUP, 0, At(5, y));
  Pump();
  EXPECT_TRUE(clicked.empty());
}

TEST_F(StatusBarTest, TheGripShowsOnlyOnASizeableFormAndSizesIt) {
  ShowForm();
  EXPECT_FALSE(Bar->SizeGripShows()) << "a borderless form cannot be sized";
  Form->SetBorderStyle(bsSizeable);
  Pump();
  ASSERT_TRUE(Bar->SizeGripShows());
  Bar->SetAlign(alTop);
  Pump();
  EXPECT_FALSE(Bar->SizeGripShows()) << "the bar's corner is not the form's";
  Bar->SetAlign(alBottom);
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_status_bar_grip");
  // The user drags the grip 60 pixels right and 40 down with the real mouse.
  const TRect before = Form->GetBoundsRect();
  const TRect grip = Bar->GetSizeGripRect();
  const TPoint start = Bar->ClientToScreen(TPoint(grip.Left + 8, grip.Top + 8));
  POINT saved{};
  ::GetCursorPos(&saved);
  ::SetCursorPos(start.X, start.Y);
  Pump();
  // Queued first: the press enters the form's sizing loop, which reads the rest (a posted
  // message carries the cursor position it was posted at).
  Watchdog watchdog(30);
  const HWND wnd = Bar->GetHandle();
  const TPoint local = Bar->ScreenToClient(start);
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(local.X, local.Y));
  ::SetCursorPos(start.X + 60, start.Y + 40);
  ::PostMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, At(local.X + 60, local.Y + 40));
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, At(local.X + 60, local.Y + 40));
  stdctrl_tests::PumpUntil([&] { return Form->GetWidth() != before.Width(); }, 3000);
  Pump();
  ::SetCursorPos(saved.x, saved.y);
  EXPECT_EQ(Form->GetWidth(), before.Width() + 60);
  EXPECT_EQ(Form->GetHeight(), before.Height() + 40);
  EXPECT_EQ(::GetCapture(), nullptr);
}

// The bar painted into a surface, and the system's drawing of the same parts beside it.
TEST_F(StatusBarTest, DrawingEqualsTheSystemsThemeAndFrameDrawing) {
  for (int i = 0; i < 3; ++i) Panel(i)->SetText(L"");
  ShowForm();
  const int w = Bar->GetWidth(), h = Bar->GetHeight();
  const TRect pane = Bar->GetPanelRect(0);
  if (UseThemes()) {
    MemorySurface ours(w, h), system(w, h);
    PaintWindowInto(Bar, ours);
    TThemeScope theme(L"Status");
    theme.DrawBackground(system.DC(), 0, 0, RECT{0, 0, w, h});
    theme.DrawBackground(system.DC(), 1, 0, RECT(pane));
    EXPECT_EQ(DifferentPixels(ours, system, pane), 0);
  }
  WithoutThemes([&] {
    MemorySurface ours(w, h), system(w, h, Rgb(clBtnFace));
    PaintWindowInto(Bar, ours);
    RECT edge = pane;
    ::DrawEdge(system.DC(), &edge, BDR_SUNKENOUTER, BF_RECT);
    EXPECT_EQ(DifferentPixels(ours, system, pane), 0);
    // An unframed panel has no frame; the size grip is not drawn on a borderless form.
    Panel(0)->SetFramed(false);
    MemorySurface flat(w, h);
    PaintWindowInto(Bar, flat);
    EXPECT_EQ(flat.CountOf(Rgb(clBtnShadow), pane), 0);
  });
}

// Repaints draw the panes and the grip from kept bitmaps: every paint, also after a theme
// change, must equal the first one, which drew through the theme library.
TEST_F(StatusBarTest, RepaintsFromKeptPartsEqualTheFirstPaint) {
  if (!UseThemes()) GTEST_SKIP() << "no visual styles";
  ShowForm();
  const int w = Bar->GetWidth(), h = Bar->GetHeight();
  MemorySurface first(w, h);
  PaintWindowInto(Bar, first);
  for (int pass = 0; pass < 4; ++pass) {
    if (pass == 2) Bar->Perform(WM_THEMECHANGED, 0, 0);
    MemorySurface again(w, h, clFuchsia);
    PaintWindowInto(Bar, again);
    EXPECT_EQ(DifferentPixels(first, again, TRect(0, 0, w, h)), 0) << "pass " << pass;
  }
}

// The kept parts against the library's own drawing over a background of stripes (what lies
// under a transparent pixel must show through), at the third drawing as at the first.
TEST(ThemePartCache, KeptPartsDrawAsTheLibraryDoesAndStayWithinCapacity) {
  if (!UseThemes()) GTEST_SKIP() << "no visual styles";
  TThemeScope theme(L"Status");
  ASSERT_TRUE(theme);
  const int w = 200, h = 30;
  TThemePartCache cache;
  const RECT sizes[] = {{5, 2, 45, 24}, {50, 0, 66, 16}, {70, 3, 190, 28}};
  // Sizes of one part and state may share a bitmap: twelve of them fill the cache.
  for (int part = 0; part <= 3; ++part)
    for (int state = 0; state <= 2; ++state)
      for (const RECT& r : sizes)
        for (int pass = 0; pass < 3; ++pass)
          ExpectKeptDrawsAsTheLibrary(cache, theme, part, state, r, w, h);
  EXPECT_EQ(cache.Count(), TThemePartCache::kCapacity);
  MemorySurface s(w, h);
  EXPECT_TRUE(cache.Draw(theme, s.DC(), 1, 0, RECT{0, 0, 0, 10}) ==
              theme.DrawBackground(s.DC(), 1, 0, RECT{0, 0, 0, 10}));  // empty: not kept
  EXPECT_EQ(cache.Count(), TThemePartCache::kCapacity);
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0);
  // Kept, replaced and cleared bitmaps and device contexts all go back.
  ExpectNoLeaks([&] {
    TThemePartCache c;
    for (int i = 0; i < 12; ++i)
      for (int pass = 0; pass < 2; ++pass) c.Draw(theme, s.DC(), 1 + i % 3, 0, RECT{0, 0, 10 + i, 20});
  });
}

// A bar resized step by step: the background and the panes at every new width come from one
// kept bitmap each and must still equal the library's drawing over whatever lies under them.
TEST(ThemePartCache, OneKeptBitmapServesEveryWidthOfARepeatingPart) {
  if (!UseThemes()) GTEST_SKIP() << "no visual styles";
  TThemeScope theme(L"Status");
  ASSERT_TRUE(theme);
  const int w = 760, h = 22;
  TThemePartCache cache;
  for (int part = 0; part <= 2; ++part)
    for (int width = 3; width <= 740; width += 41) {
      MemorySurface direct(w, h), kept(w, h);
      for (MemorySurface* s : {&direct, &kept})
        for (int x = 0; x < w; x += 2) {
          s->Canvas.GetBrush()->SetColor(static_cast<TColor>(RGB(30 + x % 200, 90, 140)));
          s->Canvas.FillRect(TRect(x, 0, x + 1, h));
        }
      const RECT r{7, 0, 7 + width, h};
      const bool drawn = theme.DrawBackground(direct.DC(), part, 0, r);
      EXPECT_EQ(cache.Draw(theme, kept.DC(), part, 0, r), drawn);
      ::GdiFlush();
      EXPECT_EQ(DifferentPixels(direct, kept, TRect(0, 0, w, h)), 0)
          << "part " << part << " width " << width;
    }
  EXPECT_LE(cache.Count(), 6) << "widths share their part's bitmap";
}

// A part kept at one width only (an arrow button): another width is kept at its second
// drawing even when a third was seen in between, and then drawn from what was kept.
TEST(ThemePartCache, AWidthSeenBesideOneKeptIsKeptAtItsSecondDrawing) {
  if (!UseThemes()) GTEST_SKIP() << "no visual styles";
  TThemeScope theme(L"ScrollBar");
  ASSERT_TRUE(theme);
  ThemeLookSwap look;
  TThemePartCache cache;
  const int h = 17;
  MemorySurface scratch(40, h);
  for (const int width : {17, 17, 20, 24, 20})
    cache.Draw(theme, scratch.DC(), 1 /* SBP_ARROWBTN */, 1, RECT{0, 0, width, h});
  MemorySurface library(20, h), kept(20, h);
  theme.DrawBackground(library.DC(), 1, 1, RECT{0, 0, 20, h});
  look.SetLook(clLime);  // what the library would draw now
  EXPECT_TRUE(cache.Draw(theme, kept.DC(), 1, 1, RECT{0, 0, 20, h}));
  ::GdiFlush();
  EXPECT_EQ(DifferentPixels(library, kept, TRect(0, 0, 20, h)), 0);
}

// A bar repainted after its panels, texts and font changed shows what a bar made afresh with
// them shows: nothing fitted or measured for an earlier paint is drawn again.
TEST_F(StatusBarTest, RepaintsAfterChangesEqualAFreshBar) {
  ShowForm();
  const auto fresh = [&] {
    auto* other = new TSeCustomStatusBar(Form);
    other->SetParent(Form);
    other->SetAlign(alTop);
    other->SetSizeGrip(false);
    other->GetPanels()->Assign(Bar->GetPanels());
    other->SetFont(Bar->GetFont());
    Pump();
    return other;
  };
  Bar->SetSizeGrip(false);
  const auto expectSame = [&](const char* step) {
    TSeCustomStatusBar* other = fresh();
    ASSERT_EQ(other->GetWidth(), Bar->GetWidth());
    const int w = Bar->GetWidth(), h = Bar->GetHeight();
    MemorySurface ours(w, h), theirs(w, h);
    PaintWindowInto(Bar, ours);
    PaintWindowInto(other, theirs);
    EXPECT_EQ(DifferentPixels(ours, theirs, TRect(0, 0, w, h)), 0) << step;
    delete other;
  };
  for (int i = 0; i < 3; ++i) Bar->GetPanels()->GetItem(i)->SetStretchPriority(0);
  MemorySurface warm(Bar->GetWidth(), Bar->GetHeight());
  PaintWindowInto(Bar, warm);
  expectSame("as made");
  Panel(1)->SetWidth(60);  // the text no longer fits: shortened with "..."
  PaintWindowInto(Bar, warm);
  expectSame("narrowed");
  Panel(1)->SetWidth(200);
  PaintWindowInto(Bar, warm);
  expectSame("widened again");
  Panel(0)->SetText(L"正在保存试卷，请稍候");
  PaintWindowInto(Bar, warm);
  expectSame("new text");
  Bar->GetFont()->SetSize(14);
  PaintWindowInto(Bar, warm);
  expectSame("larger font");
  WithoutThemes([&] { expectSame("classic"); });
}

TEST_F(StatusBarTest, OwnerDrawImagesAndHiddenPanelsPaintAsTold) {
  TImageList images(Form);
  AddSolidImage(images, clRed);
  Bar->SetImages(&images);
  Panel(0)->SetImageIndex(0);
  Panel(1)->SetImageIndex(7);  // beyond the list: no image
  Panel(2)->SetStyle(psOwnerDraw);
  int drawn = 0;
  TRect drawnRect;
  Bar->SetOnDrawPanel([&](TSeCustomStatusBar*, TSeStatusPanel*, const TRect& r) {
    ++drawn;
    drawnRect = r;
  });
  ShowForm();
  MemorySurface surface(Bar->GetWidth(), Bar->GetHeight());
  drawn = 0;
  PaintWindowInto(Bar, surface);
  EXPECT_GT(surface.CountOf(clRed, Bar->GetPanelRect(0)), 200);
  EXPECT_EQ(surface.CountOf(clRed, Bar->GetPanelRect(1)), 0);
  EXPECT_EQ(drawn, 1);
  EXPECT_EQ(drawnRect, Bar->GetPanelRect(2));
  // The image is placed from the panel rectangle's corner: Margin (2) right of its left edge,
  // also in a framed panel.
  const TRect pane = Bar->GetPanelRect(0);
  int firstRed = -1;
  for (int x = pane.Left; x < pane.Right && firstRed < 0; ++x)
    for (int y = pane.Top; y < pane.Bottom; ++y)
      if (surface.At(x, y) == clRed) {
        firstRed = x;
        break;
      }
  EXPECT_EQ(firstRed, pane.Left + 2);
  // "&" marks an underlined letter: "A&B" adds an underline to "AB", not an ampersand.
  const auto inkOf = [&](const wchar_t* text) {
    Panel(1)->SetText(text);
    MemorySurface drawn(Bar->GetWidth(), Bar->GetHeight());
    PaintWindowInto(Bar, drawn);
    return drawn.CountOf(Rgb(Bar->GetFont()->GetColor()), Bar->GetPanelRect(1));
  };
  const int plain = inkOf(L"AB"), marked = inkOf(L"A&B");
  EXPECT_GT(marked, plain);
  EXPECT_LT(marked - plain, 15);
  // A panel that does not show is never painted (its owner-draw handler is not asked).
  Panel(2)->SetViewPriority(0);
  drawn = 0;
  PaintWindowInto(Bar, surface);
  EXPECT_EQ(drawn, 0);
  // Freeing the image list leaves no dangling reference.
  Bar->SetImages(nullptr);
  {
    auto* temporary = new TImageList(Form);
    Bar->SetImages(temporary);
    delete temporary;
  }
  EXPECT_EQ(Bar->GetImages(), nullptr);
  PaintWindowInto(Bar, surface);
}

TEST_F(StatusBarTest, ScreenshotsThemedAndClassicAtTwoWidths) {
  Form->SetBorderStyle(bsSizeable);
  Panel(1)->SetViewPriority(60);
  ShowForm();
  SaveScreenshot(Form->GetHandle(), L"skin_status_bar_themed_400");
  WithoutThemes([&] { SaveScreenshot(Form->GetHandle(), L"skin_status_bar_classic_400"); });
  Form->SetBounds(20, 20, 760, 200);
  Pump();
  SaveScreenshot(Form->GetHandle(), L"skin_status_bar_themed_760");
  WithoutThemes([&] { SaveScreenshot(Form->GetHandle(), L"skin_status_bar_classic_760"); });
  Form->SetBounds(20, 20, 230, 200);
  Pump();
  EXPECT_FALSE(Panel(1)->GetShown()) << "the lower priority gives way on a narrow form";
  SaveScreenshot(Form->GetHandle(), L"skin_status_bar_narrow");
}

TEST_F(StatusBarTest, BarsMadePaintedAndFreedLeakNothing) {
  ShowForm();
  ExpectNoLeaks([&] {
    auto* bar = new TSeCustomStatusBar(Form);
    bar->SetParent(Form);
    bar->SetAlign(alBottom);
    for (int i = 0; i < 5; ++i) bar->GetPanels()->Add()->SetText(L"面板");
    auto* edit = new TEdit(Form);
    bar->GetPanels()->GetItem(1)->SetControl(edit);
    bar->Repaint();
    WithoutThemes([&] { bar->Repaint(); });
    delete bar;
  }, 40);
}

}  // namespace
