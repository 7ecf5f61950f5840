// The windows of open menus and whole menu journeys: the popup window's frame, size and
// activation, the show effect of a menu activation, and menus driven through their modal
// loops by real keys and mouse messages (the bar walked from the form's Alt key, hovering,
// clicks outside, placement at the screen's edges, scrolling), leak counts and screenshots.
#include <functional>
#include <memory>
#include <vector>

#include "classlib/stdctrls/StdPanels.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/controls/SkinComboBox.h"
#include "controls/skin/controls/SkinControlBar.h"
#include "controls/skin/controls/SkinOpenDropDown.h"
#include "controls/skin/form/SkinForm.h"
#include "controls/skin/menus/SkinItems.h"
#include "controls/skin/menus/SkinMenus.h"
#include "tests/classlib/forms/FormsTestSupport.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace skin_tests {
namespace {

TSeCustomItem* Add(TSeCustomItem* parent, const String& caption, TComponent* owner) {
  auto* item = new TSeCustomItem(owner);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

// The open popup window showing item's children; nullptr when none.
TSePopupWindow* PopupOf(const TSeCustomItem* item) {
  for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
    if (auto* w = dynamic_cast<TSePopupWindow*>(Screen->GetCustomForms(i)))
      if (w->GetView()->GetItem() == item && ::IsWindowVisible(w->GetHandle())) return w;
  return nullptr;
}

int PopupCount() {
  int count = 0;
  for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
    if (dynamic_cast<TSePopupWindow*>(Screen->GetCustomForms(i))) ++count;
  return count;
}

TRect WindowRectOf(HWND wnd) {
  RECT r{};
  ::GetWindowRect(wnd, &r);
  return r;
}

TColor Rgb(TColor color) { return static_cast<TColor>(ColorToRGB(color)); }

TPoint Centre(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }

// The screen rectangle of an item shown in an open view.
TRect ScreenRectOf(TSeItemView* view, const TSeCustomItem* item) {
  return view->HostToScreen(item->GetBoundsRect());
}

// Moves the mouse to a screen point as the system would tell the menu loop.
void MouseTo(HWND anyWindow, const TPoint& p, UINT message = WM_MOUSEMOVE) {
  ::SetCursorPos(p.X, p.Y);
  ::PostMessageW(anyWindow, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, 0);
}

// Runs the steps one per timer tick while a modal menu loop runs; a step returns false to
// be run again at the next tick (waiting for something to happen).
class Steps {
 public:
  explicit Steps(std::vector<std::function<bool()>> steps, unsigned interval = 120)
      : FSteps(std::move(steps)) {
    FTimer.SetInterval(interval);
    FTimer.SetOnTimer([this](TObject*) {
      if (FDone < FSteps.size() && FSteps[FDone]()) ++FDone;
      if (FDone == FSteps.size()) FTimer.SetEnabled(false);
    });
  }
  size_t Done() const { return FDone; }

 private:
  std::vector<std::function<bool()>> FSteps;
  size_t FDone = 0;
  TTimer FTimer{nullptr};
};

class MenuJourneyTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    ::SetCursorPos(5, 5);
  }
  // A bar of three menus: 文件 (打开, -, 最近的文件 > 一, 二), 编辑 (复制, 粘贴), 帮助 (关于).
  TSeCustomMenuBar* MakeBar() {
    auto* bar = new TSeCustomMenuBar(Form);
    bar->SetParent(Form);
    bar->SetAlign(alTop);
    File = Add(bar->GetItems(), L"文件(&F)", Form);
    Edit = Add(bar->GetItems(), L"编辑(&E)", Form);
    Help = Add(bar->GetItems(), L"帮助(&H)", Form);
    Add(File, L"打开(&O)", Form);
    Add(File, L"-", Form);
    Recent = Add(File, L"最近的文件(&R)", Form);
    Add(Recent, L"一.txt", Form);
    Add(Recent, L"二.txt", Form);
    Add(Edit, L"复制(&C)", Form);
    Add(Edit, L"粘贴(&P)", Form);
    About = Add(Help, L"关于(&A)", Form);
    About->OnClick = [this](TObject*) { ++Abouts; };
    return bar;
  }
  void Key(WORD vk) { ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, vk, 1); }

  TSeCustomItem *File = nullptr, *Edit = nullptr, *Help = nullptr, *Recent = nullptr, *About = nullptr;
  int Abouts = 0;
};

// ---- The popup window ------------------------------------------------------------------------

TEST_F(MenuJourneyTest, PopupWindowSizeFrameAndClientFollowTheItemsAndTheShadow) {
  std::unique_ptr<TSeCustomItem> root = std::make_unique<TSeCustomItem>(nullptr);
  Add(root.get(), L"第一项", nullptr)->SetChecked(true);
  Add(root.get(), L"第二项", nullptr);
  ShowForm();
  std::unique_ptr<TSePopupWindow> window(TSePopupWindow::Make(Form, nullptr, root.get()));
  window->SetBounds(200, 200, 50, 50);
  window->LayoutView();
  TSeItemView* view = window->GetView();
  // Three pixels of frame on each side; the items sit at the client's origin.
  EXPECT_EQ(window->GetWidth(), view->GetViewWidth() + 6);
  EXPECT_EQ(window->GetHeight(), view->GetViewHeight() + 6);
  EXPECT_EQ(window->GetDecoration()->GetFrameClientRect(),
            TRect(3, 3, window->GetWidth() - 3, window->GetHeight() - 3));
  EXPECT_EQ(window->ClientToScreen(TPoint(0, 0)), TPoint(203, 203));
  EXPECT_EQ(root->GetItem(0)->GetBoundsRect().TopLeft(), TPoint(0, 0));
  // The client origin lands on the point it is moved to.
  static_cast<TSePopupView*>(view)->MoveTo(300, 250);
  EXPECT_EQ(window->GetBoundsRect().TopLeft(), TPoint(297, 247));
  // Far smaller than a form may be: ten pixels at least.
  window->SetBounds(300, 250, 2, 2);
  EXPECT_EQ(window->GetWidth(), 10);
  EXPECT_EQ(window->GetHeight(), 10);

  // The frame's three rings, classic and themed, painted through the decoration.
  window->LayoutView();
  const int w = window->GetWidth(), h = window->GetHeight();
  auto paint = [&](MemorySurface& surface) {
    ::SendMessageW(window->GetHandle(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(surface.DC()));
    ::GdiFlush();
  };
  WithoutThemes([&] {
    MemorySurface surface(w, h, clLime);
    paint(surface);
    EXPECT_EQ(surface.At(0, 0), Rgb(clBtnFace));
    EXPECT_EQ(surface.At(w - 1, h - 1), Rgb(clBtnFace));
    EXPECT_EQ(surface.At(1, 1), Rgb(clBtnHighlight));
    EXPECT_EQ(surface.At(w - 2, h - 2), Rgb(clBtnShadow));
    EXPECT_EQ(surface.At(2, h / 2), Rgb(clMenu));
    EXPECT_EQ(surface.CountOf(clLime, TRect(0, 0, w, h)), 0);
  });
  if (UseThemes()) {
    MemorySurface surface(w, h, clLime);
    paint(surface);
    EXPECT_EQ(surface.At(0, 0), Rgb(clBtnShadow));
    EXPECT_EQ(surface.At(1, 1), Rgb(clMenu));
    EXPECT_EQ(surface.At(w - 3, h - 3), Rgb(clMenu));
  }

  // With the menu's shadow the window grows by the shadow's size.
  TSePopupMenuOptions options;
  options.GetShadow()->SetEnabled(true);
  options.GetShadow()->SetSize(5);
  root->SetTreePopupOptions(&options);
  std::unique_ptr<TSePopupWindow> shadowed(TSePopupWindow::Make(Form, nullptr, root.get()));
  shadowed->LayoutView();
  EXPECT_EQ(shadowed->GetWidth(), shadowed->GetView()->GetViewWidth() + 6 + 5);
  EXPECT_EQ(shadowed->GetHeight(), shadowed->GetView()->GetViewHeight() + 6 + 5);
  EXPECT_TRUE(shadowed->GetDecoration()->GetShadow()->GetEnabled());
  root->SetTreePopupOptions(nullptr);
}

TEST_F(MenuJourneyTest, TheItemAtAnIndexIsRepaintedOnTheShownPopupInEitherPaintMode) {
  std::unique_ptr<TSeCustomItem> root = std::make_unique<TSeCustomItem>(nullptr);
  Add(root.get(), L"第一项", nullptr);
  Add(root.get(), L"第二项", nullptr);
  Add(root.get(), L"第三项", nullptr);
  ShowForm();
  for (const TSeFormPerformance mode : {vxfpNoBuffer, vxfpDoubleBuffer}) {
    SCOPED_TRACE(static_cast<int>(mode));
    std::unique_ptr<TSePopupWindow> window(TSePopupWindow::Make(Form, nullptr, root.get()));
    window->GetDecoration()->SetPerformance(mode);
    window->LayoutView();
    window->SetBounds(150, 150, window->GetWidth(), window->GetHeight());
    window->ShowPopup(false);
    Pump();
    TSeItemView* view = window->GetView();
    const TRect r = root->GetItem(1)->GetBoundsRect();
    const TPoint p = window->ClientToScreen(TPoint(r.Right - 4, (r.Top + r.Bottom) / 2));
    HDC screen = ::GetDC(nullptr);
    const auto shown = [&] { return ::GetPixel(screen, p.X, p.Y); };
    const COLORREF menu = ColorToRGB(clMenu), highlight = ColorToRGB(clHighlight);
    // The display gets a window's pixels a little after the paint: both are waited for.
    EXPECT_TRUE(forms_tests::PumpUntil([&] { return shown() == menu; }, 2000));
    view->SetSelected(root->GetItem(1));  // chosen, not repainted by that
    forms_tests::PumpFor(200);
    EXPECT_EQ(shown(), menu);
    view->RepaintItemAt(1);
    EXPECT_TRUE(forms_tests::PumpUntil([&] { return shown() == highlight; }, 2000));
    view->RepaintItemAt(3);   // past the items: nothing
    view->RepaintItemAt(-1);
    ::ReleaseDC(nullptr, screen);
    window->SetVisible(false);
  }
}

TEST_F(MenuJourneyTest, PopupWindowNeverActivatesAndKeepsTheOwnersCaptionActive) {
  auto* skin = new TSeCustomForm(Form);
  std::unique_ptr<TSeCustomItem> root = std::make_unique<TSeCustomItem>(nullptr);
  Add(root.get(), L"项目", nullptr);
  ShowForm();
  std::unique_ptr<TSePopupWindow> window(TSePopupWindow::Make(Form, nullptr, root.get()));
  window->LayoutView();
  EXPECT_EQ(window->GetDecoration()->GetOwnerWindow(), Form->GetHandle());
  ::SendMessageW(Form->GetHandle(), WM_NCACTIVATE, 0, 0);
  ASSERT_FALSE(skin->GetFormActive());
  EXPECT_EQ(::SendMessageW(window->GetHandle(), WM_MOUSEACTIVATE,
                           reinterpret_cast<WPARAM>(Form->GetHandle()), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATE);
  EXPECT_TRUE(skin->GetFormActive());
  // Shown through Visible it appears without taking the activation.
  window->SetVisible(true);
  Pump();
  EXPECT_TRUE(::IsWindowVisible(window->GetHandle()));
  EXPECT_EQ(::GetActiveWindow(), Form->GetHandle());
  window->SetVisible(false);
  EXPECT_FALSE(::IsWindowVisible(window->GetHandle()));
}

TEST_F(MenuJourneyTest, OnlyTheFirstPopupOfAMenuActivationGetsTheShowEffect) {
  std::unique_ptr<TSeCustomItem> root = std::make_unique<TSeCustomItem>(nullptr);
  TSeCustomItem* sub = Add(root.get(), L"子菜单", nullptr);
  Add(sub, L"项目", nullptr);
  TSePopupMenuOptions options;
  options.GetAnimation()->SetEnabled(true);
  options.GetBlending()->SetEnabled(true);
  options.GetBlending()->SetValue(200);
  root->SetTreePopupOptions(&options);
  root->SetTreeMenuMode(true);
  root->SetTreeAnimateNext(true);
  auto animated = [&](TSeCustomItem* item) {
    std::unique_ptr<TSePopupWindow> window(TSePopupWindow::Make(Form, nullptr, item));
    EXPECT_EQ(window->GetDecoration()->GetBlending()->GetValue(), 200);
    EXPECT_TRUE(window->GetDecoration()->GetBlending()->GetEnabled());
    return window->GetDecoration()->GetAnimation()->GetEnabled();
  };
  EXPECT_TRUE(animated(root.get()));
  EXPECT_FALSE(animated(sub));
  EXPECT_FALSE(animated(root.get()));  // the same activation
  root->SetTreeAnimateNext(true);      // a new activation
  EXPECT_TRUE(animated(sub));
  root->SetTreeMenuMode(false);        // outside menu mode every popup shows its effect
  EXPECT_TRUE(animated(sub));
  EXPECT_TRUE(animated(sub));
  root->SetTreePopupOptions(nullptr);
}

TEST_F(MenuJourneyTest, ASelectionChangeRepaintsBothItemsWithAndWithoutBlending) {
  Watchdog watchdog(30);
  auto* menu = new TSeCustomPopupMenu(Form);
  TSeCustomItem* first = Add(menu->GetSeItems(), L"第一项", Form);
  TSeCustomItem* second = Add(menu->GetSeItems(), L"第二项", Form);
  ShowForm();
  auto screenPixel = [](TSePopupWindow* w, const TSeCustomItem* item) {
    const TRect r = ScreenRectOf(w->GetView(), item);
    HDC screen = ::GetDC(nullptr);
    const COLORREF c = ::GetPixel(screen, r.Left + 2, r.Top + 2);
    ::ReleaseDC(nullptr, screen);
    return static_cast<TColor>(c);
  };
  for (bool blending : {false, true}) {
    // Fully opaque: the blended repaint path, with colours that do not depend on the screen.
    menu->GetPopupMenuOptions()->GetBlending()->SetValue(255);
    menu->GetPopupMenuOptions()->GetBlending()->SetEnabled(blending);
    Steps steps({
        [&] {
          TSePopupWindow* w = PopupOf(menu->GetSeItems());
          if (!w) return false;
          EXPECT_EQ(screenPixel(w, first), Rgb(clHighlight));
          EXPECT_EQ(screenPixel(w, second), Rgb(clMenu));
          Key(VK_DOWN);
          return true;
        },
        [&] {
          TSePopupWindow* w = PopupOf(menu->GetSeItems());
          EXPECT_EQ(screenPixel(w, first), Rgb(clMenu)) << blending;
          EXPECT_EQ(screenPixel(w, second), Rgb(clHighlight)) << blending;
          Key(VK_ESCAPE);
          return true;
        },
    });
    menu->Popup(150, 150);
    EXPECT_EQ(steps.Done(), 2u);
  }
}

// A form decoration that counts its frame paints.
class TCountingForm : public TSeCustomForm {
 public:
  using TSeCustomForm::TSeCustomForm;
  void PaintFrame(TCanvas* canvas) override {
    ++Paints;
    TSeCustomForm::PaintFrame(canvas);
  }
  int Paints = 0;
};

TEST_F(MenuJourneyTest, TheHostFormsFrameIsNotPaintedWhileItsPopupComesUp) {
  auto* skin = new TCountingForm(Form);
  std::unique_ptr<TSeCustomItem> root = std::make_unique<TSeCustomItem>(nullptr);
  Add(root.get(), L"项目", nullptr);
  root->SetHostComponent(Form);
  root->SetForegroundOnPopup(true);  // the form loses the foreground to the popup
  ShowForm();
  std::unique_ptr<TSePopupWindow> window(TSePopupWindow::Make(Form, nullptr, root.get()));
  window->LayoutView();
  window->SetBounds(150, 150, window->GetWidth(), window->GetHeight());
  skin->Paints = 0;
  window->ShowPopup(true);
  EXPECT_EQ(skin->Paints, 0);
  // Painting goes on afterwards.
  skin->PaintNonClient();
  EXPECT_EQ(skin->Paints, 1);
  root->SetHostComponent(nullptr);
}

// ---- Journeys ----------------------------------------------------------------------------------

TEST_F(MenuJourneyTest, AltLetterOnTheFormOpensTheBarAndLeftRightWalkItsMenus) {
  Watchdog watchdog(30);
  auto* skin = new TSeCustomForm(Form);
  TSeCustomMenuBar* bar = MakeBar();
  skin->SetMenuBar(bar);
  ShowForm();
  Steps steps({
      [&] { EXPECT_NE(PopupOf(Edit), nullptr); Key(VK_RIGHT); return true; },
      [&] { EXPECT_NE(PopupOf(Help), nullptr); Key(VK_RIGHT); return true; },  // wraps
      [&] { EXPECT_NE(PopupOf(File), nullptr); Key(VK_LEFT); return true; },
      [&] { EXPECT_NE(PopupOf(Help), nullptr); Key(VK_LEFT); return true; },
      [&] {
        EXPECT_NE(PopupOf(Edit), nullptr);
        Key(VK_ESCAPE);  // back to the bar, Edit still chosen
        return true;
      },
      [&] {
        EXPECT_EQ(PopupCount(), 0);
        EXPECT_TRUE(bar->GetView()->GetTracking());
        EXPECT_EQ(bar->GetView()->GetSelected(), Edit);
        Key(VK_ESCAPE);
        return true;
      },
  });
  // Alt+E as the system gives it to the form.
  ::PostMessageW(Form->GetHandle(), WM_SYSCOMMAND, SC_KEYMENU, L'e');
  Pump();
  EXPECT_EQ(steps.Done(), 6u);
  EXPECT_EQ(PopupCount(), 0);
  EXPECT_FALSE(bar->GetView()->GetTracking());
  EXPECT_EQ(::GetCapture(), nullptr);
  // Alt alone (or F10) as the system gives it: the bar's menu mode too.
  Steps alone({[&] {
    EXPECT_TRUE(bar->GetView()->GetTracking());
    Key(VK_ESCAPE);
    return true;
  }});
  ::PostMessageW(Form->GetHandle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
  Pump();
  EXPECT_EQ(alone.Done(), 1u);
  EXPECT_FALSE(bar->GetView()->GetTracking());
}

// An open drop-down list goes before any menu comes up: the bar entered by Alt+letter, a
// popup menu by the context-menu key, the system menu by Alt+Space.
TEST_F(MenuJourneyTest, AMenuOpenedByKeysClosesAnOpenDropDownListFirst) {
  Watchdog watchdog(30);
  auto* skin = new TSeCustomForm(Form);
  TSeCustomMenuBar* bar = MakeBar();
  skin->SetMenuBar(bar);
  auto* combo = new TSeCustomComboBox(Form);
  combo->SetParent(Form);
  combo->SetBounds(8, 60, 160, 24);
  combo->GetItems()->Add(L"考试");
  combo->GetItems()->Add(L"题库");
  auto* popup = new TSeCustomPopupMenu(Form);
  Add(popup->GetSeItems(), L"刷新(&R)", Form);
  Form->SetPopupMenu(popup);
  ShowForm();
  const auto openList = [&] {
    combo->SetFocus();
    Pump();
    ::PostMessageW(combo->GetHandle(), WM_SYSKEYDOWN, VK_DOWN, 0x20000001);  // Alt+Down
    Pump();
    return combo->GetDroppedDown() && OpenDropDownOwner() == combo;
  };
  // Inside the menu's loop: the list is already closed, and its record cleared.
  const auto listClosedThenEscape = [&](TSeCustomItem* shown) {
    return [&, shown] {
      if (!PopupOf(shown)) return false;
      EXPECT_FALSE(combo->GetDroppedDown());
      EXPECT_EQ(OpenDropDownOwner(), nullptr);
      ::PostMessageW(PopupOf(shown)->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
      return true;
    };
  };
  ASSERT_TRUE(openList());
  {
    Steps steps({listClosedThenEscape(Edit), [&] { Key(VK_ESCAPE); return true; }});
    ::PostMessageW(Form->GetHandle(), WM_SYSCOMMAND, SC_KEYMENU, L'e');  // Alt+E
    Pump();
    EXPECT_EQ(steps.Done(), 2u);
  }
  ASSERT_TRUE(openList());
  {
    Steps steps({listClosedThenEscape(popup->GetSeItems())});
    ::PostMessageW(Form->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Form->GetHandle()), -1);
    Pump();
    EXPECT_EQ(steps.Done(), 1u);
  }
  ASSERT_TRUE(openList());
  {
    skin->BuildSystemMenu();
    Steps steps({[&] {
      TSeCustomItem* menu = skin->GetSystemMenu();
      return menu && listClosedThenEscape(menu)();
    }});
    ::PostMessageW(Form->GetHandle(), WM_SYSCOMMAND, SC_KEYMENU, L' ');  // Alt+Space
    Pump();
    EXPECT_EQ(steps.Done(), 1u);
  }
  EXPECT_EQ(PopupCount(), 0);
}

TEST_F(MenuJourneyTest, KeysOfTheFormReachTheBarsShortcutsBeforeTheFormsOwnHandler) {
  Watchdog watchdog(30);
  int opens = 0, formShortCuts = 0;
  Form->SetOnShortCut([&](TMessage&, bool&) { ++formShortCuts; });
  auto* skin = new TSeCustomForm(Form);
  TSeCustomMenuBar* bar = MakeBar();
  skin->SetMenuBar(bar);
  About->SetShortCut(static_cast<TShortCut>(VK_F5));
  TSeCustomItem* open = File->GetItem(0);
  open->SetShortCut(static_cast<TShortCut>('O' + scAlt));
  open->OnClick = [&](TObject*) { ++opens; };
  ShowForm();
  ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_F5, 1);
  Pump();
  Pump();
  ::PostMessageW(::GetFocus(), WM_SYSKEYDOWN, 'O', 0x20000001);
  Pump();
  Pump();
  EXPECT_EQ(Abouts, 1);
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(formShortCuts, 0);  // the bar took them
  ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_F6, 1);  // no item has it: the form's handler
  Pump();
  EXPECT_EQ(formShortCuts, 1);
  EXPECT_EQ(PopupCount(), 0);
}

TEST_F(MenuJourneyTest, HoveringAnotherBarItemOpensItsMenuAndAClickThereRunsAfterwards) {
  Watchdog watchdog(30);
  TSeCustomMenuBar* bar = MakeBar();
  ShowForm();
  int windowsAtClick = -1;
  About->OnClick = [&](TObject*) { windowsAtClick = PopupCount(); };
  Steps steps({
      [&] {
        if (!PopupOf(File)) return false;
        MouseTo(Form->GetHandle(), Centre(ScreenRectOf(bar->GetView(), Help)));
        return true;
      },
      [&] {
        TSePopupWindow* help = PopupOf(Help);
        if (!help) return false;
        EXPECT_EQ(PopupOf(File), nullptr);
        const TPoint about = Centre(ScreenRectOf(help->GetView(), About));
        MouseTo(help->GetHandle(), about);
        MouseTo(help->GetHandle(), about, WM_LBUTTONUP);
        return true;
      },
  });
  ::PostMessageW(Form->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);  // opens File
  bar->EnterMenuMode();
  EXPECT_EQ(steps.Done(), 2u);
  Pump();
  EXPECT_EQ(windowsAtClick, 0);  // the click ran after every menu window was gone
}

TEST_F(MenuJourneyTest, AClickOutsideClosesTheMenuAndReachesTheWindowUnderIt) {
  Watchdog watchdog(30);
  auto* panel = new TPanel(Form);
  panel->SetParent(Form);
  panel->SetBounds(250, 180, 100, 50);
  int downs = 0;
  panel->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; });
  auto* menu = new TSeCustomPopupMenu(Form);
  int clicks = 0;
  Add(menu->GetSeItems(), L"项目一", Form)->OnClick = [&](TObject*) { ++clicks; };
  Add(menu->GetSeItems(), L"项目二", Form);
  ShowForm();
  Steps steps({[&] {
    if (PopupCount() == 0) return false;
    MouseTo(Form->GetHandle(), panel->ClientToScreen(Centre(panel->GetClientRect())), WM_LBUTTONDOWN);
    return true;
  }});
  menu->Popup(110, 110);
  EXPECT_EQ(PopupCount(), 0);
  Pump();
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(clicks, 0);
  ::PostMessageW(panel->GetHandle(), WM_LBUTTONUP, 0, 0);
  Pump();
}

TEST_F(MenuJourneyTest, MenusFlipAtTheScreenEdges) {
  Watchdog watchdog(30);
  const TRect work = Screen->GetWorkAreaRect();
  // A popup menu at the bottom-right corner opens up and to the left of the point; its
  // submenu opens on the left of its item and ends at the item's bottom.
  auto* menu = new TSeCustomPopupMenu(Form);
  Add(menu->GetSeItems(), L"项目一", Form);
  TSeCustomItem* sub = Add(menu->GetSeItems(), L"子菜单", Form);
  for (int i = 0; i < 3; ++i) Add(sub, L"子项" + IntToStr(i), Form);
  ShowForm();
  const TPoint at(work.Right - 4, work.Bottom - 4);
  TRect menuRect, subItemRect, subRect;
  Steps steps({
      [&] {
        TSePopupWindow* w = PopupOf(menu->GetSeItems());
        if (!w) return false;
        menuRect = WindowRectOf(w->GetHandle());
        subItemRect = ScreenRectOf(w->GetView(), sub);
        Key(VK_DOWN);
        Key(VK_RETURN);  // Right opens nothing in a menu without a parent view
        return true;
      },
      [&] {
        TSePopupWindow* w = PopupOf(sub);
        if (!w) return false;
        subRect = WindowRectOf(w->GetHandle());
        Key(VK_ESCAPE);
        Key(VK_ESCAPE);
        return true;
      },
  });
  menu->Popup(at.X, at.Y);
  ASSERT_EQ(steps.Done(), 2u);
  EXPECT_EQ(menuRect.BottomRight(), at);
  EXPECT_EQ(subRect.Right, subItemRect.Left);
  EXPECT_EQ(subRect.Bottom, subItemRect.Bottom);

  // A bar at the bottom of the screen opens its menus above the bar item.
  TSeCustomMenuBar* bar = MakeBar();
  Form->SetBounds(work.Right - 200, work.Bottom - 80, 200, 80);
  Pump();
  TRect fileRect, fileMenu;
  Steps barSteps({[&] {
    TSePopupWindow* w = PopupOf(File);
    if (!w) return false;
    fileRect = ScreenRectOf(bar->GetView(), File);
    fileMenu = WindowRectOf(w->GetHandle());
    Key(VK_ESCAPE);
    Key(VK_ESCAPE);
    return true;
  }});
  Key(VK_DOWN);
  bar->EnterMenuMode();
  ASSERT_EQ(barSteps.Done(), 1u);
  EXPECT_EQ(fileMenu.Bottom, fileRect.Top);
  EXPECT_EQ(fileMenu.Left, fileRect.Left);
}

TEST_F(MenuJourneyTest, ScrollButtonsStepToTheEndsAndNoTimerOutlivesTheMenu) {
  Watchdog watchdog(30);
  auto* menu = new TSeCustomPopupMenu(Form);
  for (int i = 0; i < 12; ++i) Add(menu->GetSeItems(), L"项目" + IntToStr(i), Form);
  TSeCustomItem* root = menu->GetSeItems();
  root->SetScrolled(true);
  root->SetScrollCount(5);
  ShowForm();
  bool timerRan = false;
  std::vector<int> tops;
  auto button = [&](int direction) {
    TSeItemView* view = PopupOf(root)->GetView();
    return Centre(view->HostToScreen(view->ScrollButtonRect(direction)));
  };
  Steps steps({
      [&] {
        if (!PopupOf(root)) return false;
        MouseTo(Form->GetHandle(), button(2));
        return true;
      },
      [&] {
        tops.push_back(root->GetTopIndex());
        if (root->GetTopIndex() < 7) return false;  // one row every 100 ms
        timerRan = PopupOf(root)->GetView()->ScrollTimerRunning();
        MouseTo(Form->GetHandle(), button(1));
        return true;
      },
      [&] {
        if (root->GetTopIndex() > 0) return false;
        Key(VK_ESCAPE);
        return true;
      },
  });
  menu->Popup(150, 150);
  ASSERT_EQ(steps.Done(), 3u);
  EXPECT_TRUE(timerRan);
  // It stepped row by row, never past the last five rows.
  for (size_t i = 1; i < tops.size(); ++i) EXPECT_LE(tops[i] - tops[i - 1], 2);
  EXPECT_EQ(tops.back(), 7);
  // No timer message comes once the menu is gone.
  forms_tests::PumpFor(350);
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
}

TEST_F(MenuJourneyTest, SeparatorsOnlyMenusAndAQuitInASubmenuEndTheLoops) {
  Watchdog watchdog(30);
  auto* menu = new TSeCustomPopupMenu(Form);
  int clicks = 0;
  for (int i = 0; i < 3; ++i) Add(menu->GetSeItems(), L"-", Form)->OnClick = [&](TObject*) { ++clicks; };
  Add(menu->GetSeItems(), L"隐藏", Form)->SetVisible(false);
  ShowForm();
  for (WORD vk : {VK_DOWN, VK_UP, VK_RETURN, VK_ESCAPE}) Key(vk);
  menu->Popup(150, 150);
  Pump();
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(PopupCount(), 0);

  // WM_QUIT while a submenu of the bar is open closes every level and stays queued.
  TSeCustomMenuBar* bar = MakeBar();
  Pump();
  Steps steps({[&] {
    if (!PopupOf(Recent)) return false;
    ::PostQuitMessage(5);
    return true;
  }});
  for (WORD vk : {VK_DOWN, VK_DOWN, VK_RIGHT}) Key(vk);
  bar->EnterMenuMode();
  EXPECT_EQ(steps.Done(), 1u);
  EXPECT_EQ(PopupCount(), 0);
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(MenuJourneyTest, HundredMenuCyclesLeaveExactGdiAndWindowCountsAndNoTimer) {
  Watchdog watchdog(120);
  ShowForm();
  TPoint downButton;
  auto cycle = [&] {
    // A bar opened to a submenu and closed by keys...
    TSeCustomMenuBar* bar = MakeBar();
    for (WORD vk : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE, VK_ESCAPE}) Key(vk);
    bar->EnterMenuMode();
    delete bar;
    // ...and a scrolled popup menu opened with the mouse resting on its down button.
    auto* menu = new TSeCustomPopupMenu(Form);
    for (int i = 0; i < 12; ++i) Add(menu->GetSeItems(), L"项目" + IntToStr(i), Form)->SetChecked(i == 3);
    menu->GetSeItems()->SetScrolled(true);
    menu->GetSeItems()->SetScrollCount(5);
    ::SetCursorPos(downButton.X, downButton.Y);
    Key(VK_ESCAPE);
    menu->Popup(150, 150);
    delete menu;
    Pump();
  };
  {
    // Where the down button lies (the first cycle also makes the shared glyphs and fonts).
    auto* menu = new TSeCustomPopupMenu(Form);
    for (int i = 0; i < 12; ++i) Add(menu->GetSeItems(), L"项目" + IntToStr(i), Form);
    menu->GetSeItems()->SetScrolled(true);
    menu->GetSeItems()->SetScrollCount(5);
    Steps steps({[&] {
      TSeItemView* view = PopupOf(menu->GetSeItems())->GetView();
      downButton = Centre(view->HostToScreen(view->ScrollButtonRect(2)));
      Key(VK_ESCAPE);
      return true;
    }});
    menu->Popup(150, 150);
    delete menu;
  }
  cycle();
  forms_tests::PumpFor(150);
  const int gdi = control_tests::GdiObjectCount(), windows = forms_tests::UserObjectCount();
  for (int i = 0; i < 100; ++i) cycle();
  forms_tests::PumpFor(150);
  EXPECT_EQ(control_tests::GdiObjectCount(), gdi);
  EXPECT_EQ(forms_tests::UserObjectCount(), windows);
  EXPECT_EQ(PopupCount(), 0);
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
}

TEST_F(MenuJourneyTest, ScreenshotsOfTheBarWithAnOpenMenuAndSubmenuAtBothScreenSizes) {
  Watchdog watchdog(30);
  TSeCustomMenuBar* bar = MakeBar();
  ShowForm();
  auto shoot = [&](const String& look) {
    for (const TSize size : {TSize(1024, 768), TSize(800, 600)}) {
      Form->SetBounds(0, 0, size.cx, size.cy);
      Pump();
      const String name = L"skin_menu_open_" + look + IntToStr(size.cx) + L"x" + IntToStr(size.cy);
      Steps steps({[&] {
        if (!PopupOf(Recent)) return false;
        EXPECT_TRUE(SaveWindowScreenshot(Form->GetHandle(), name));
        for (WORD vk : {VK_ESCAPE, VK_ESCAPE, VK_ESCAPE}) Key(vk);
        return true;
      }});
      for (WORD vk : {VK_DOWN, VK_DOWN, VK_RIGHT}) Key(vk);
      bar->EnterMenuMode();
      EXPECT_EQ(steps.Done(), 1u) << StringToUtf8(name);
    }
  };
  shoot(L"");
  WithoutThemes([&] { shoot(L"classic_"); });
}

// ---- Menu settings spread over the tree, and the host each menu kind sets ------------------

TEST_F(MenuJourneyTest, HostForegroundAndExcludedSpreadOverTheSubtreeAndAFreedHostIsDropped) {
  std::unique_ptr<TSeCustomItem> root = std::make_unique<TSeCustomItem>(nullptr);
  TSeCustomItem* a = Add(root.get(), L"甲", nullptr);
  TSeCustomItem* deep = Add(Add(a, L"乙", nullptr), L"丙", nullptr);
  TSeCustomItem* b = Add(root.get(), L"丁", nullptr);
  auto* host = new TComponent(nullptr);
  a->SetHostComponent(host);
  a->SetForegroundOnPopup(true);
  a->SetExcluded(true);
  EXPECT_EQ(deep->GetHostComponent(), host);
  EXPECT_TRUE(deep->GetForegroundOnPopup());
  EXPECT_TRUE(deep->GetExcluded());
  // Only below the item it was set on.
  EXPECT_EQ(b->GetHostComponent(), nullptr);
  EXPECT_FALSE(root->GetForegroundOnPopup());
  EXPECT_FALSE(b->GetExcluded());
  a->SetExcluded(false);
  EXPECT_FALSE(deep->GetExcluded());
  // The host goes: no item keeps it.
  delete host;
  EXPECT_EQ(a->GetHostComponent(), nullptr);
  EXPECT_EQ(deep->GetHostComponent(), nullptr);
}

// Notes, for each menu window coming up, whether the decoration's frame painting was held.
class FrameHeldProbe {
 public:
  explicit FrameHeldProbe(TSeCustomForm* skin) {
    Skin() = skin;
    Held().clear();
    FHook = ::SetWindowsHookExW(WH_CALLWNDPROC, &Proc, nullptr, ::GetCurrentThreadId());
  }
  ~FrameHeldProbe() {
    ::UnhookWindowsHookEx(FHook);
    Skin() = nullptr;
  }
  FrameHeldProbe(const FrameHeldProbe&) = delete;
  FrameHeldProbe& operator=(const FrameHeldProbe&) = delete;
  static std::vector<bool>& Held() {
    static std::vector<bool> held;
    return held;
  }

 private:
  static TSeCustomForm*& Skin() {
    static TSeCustomForm* skin = nullptr;
    return skin;
  }
  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGING && Skin() &&
        (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_SHOWWINDOW) &&
        dynamic_cast<TSePopupWindow*>(FindControl(call->hwnd)))
      Held().push_back(!Skin()->GetFramePaint());
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }
  HHOOK FHook = nullptr;
};

// Every item of the tree has host as its host component.
void ExpectTreeHost(TSeCustomItem* item, TComponent* host) {
  EXPECT_EQ(item->GetHostComponent(), host) << StringToUtf8(item->GetCaption());
  for (int i = 0; i < item->GetCount(); ++i) ExpectTreeHost(item->GetItem(i), host);
}

TEST_F(MenuJourneyTest, EveryMenuKindSetsItsFormAsHostAndTheFrameIsHeldWhileEachLevelComesUp) {
  Watchdog watchdog(60);
  auto* skin = new TSeCustomForm(Form);
  TSeCustomMenuBar* bar = MakeBar();
  skin->SetMenuBar(bar);
  auto* popup = new TSeCustomPopupMenu(Form);
  TSeCustomItem* first = Add(popup->GetSeItems(), L"第一(&A)", Form);
  Add(first, L"子项", Form);
  Add(popup->GetSeItems(), L"第二(&B)", Form);
  ShowForm();
  // Opens a menu two levels deep (the keys posted first walk it), closes every level once
  // the deepest shows, and checks the tree's host and the frame held for both levels.
  const auto twoLevels = [&](TSeCustomItem* root, TSeCustomItem* deepest, const std::vector<WORD>& keys,
                             const std::function<void()>& open) {
    FrameHeldProbe probe(skin);
    Steps steps({[&] {
      if (!PopupOf(deepest)) return false;
      Key(VK_MENU);  // closes every level
      return true;
    }});
    for (WORD vk : keys) Key(vk);
    open();
    EXPECT_EQ(steps.Done(), 1u);
    ExpectTreeHost(root, Form);
    EXPECT_EQ(FrameHeldProbe::Held(), (std::vector<bool>{true, true}));
  };
  {
    SCOPED_TRACE("menu bar");
    twoLevels(bar->GetItems(), Recent, {VK_DOWN, VK_DOWN, VK_RIGHT}, [&] { bar->EnterMenuMode(); });
  }
  {
    SCOPED_TRACE("popup menu");
    // The first item is selected: Return opens its submenu.
    twoLevels(popup->GetSeItems(), first, {VK_RETURN}, [&] { popup->Popup(200, 200); });
  }
  {
    SCOPED_TRACE("system menu");
    FrameHeldProbe probe(skin);
    Steps steps({[&] {
      TSeCustomItem* menu = skin->GetSystemMenu();
      if (!menu || !PopupOf(menu)) return false;
      ExpectTreeHost(menu, Form);
      Key(VK_ESCAPE);
      return true;
    }});
    skin->ShowSystemMenu();
    EXPECT_EQ(steps.Done(), 1u);
    EXPECT_EQ(FrameHeldProbe::Held(), (std::vector<bool>{true}));
  }
  EXPECT_TRUE(skin->GetFramePaint());
  EXPECT_EQ(PopupCount(), 0);
}

// ---- A menu bar inside a control bar ----------------------------------------------------------

TEST_F(MenuJourneyTest, AMenuBarInAControlBarContinuesItsBackgroundAndDrawsToolBarButtons) {
  auto* host = new TSeCustomControlBar(Form);
  host->SetParent(Form);
  host->SetBounds(0, 0, 400, 50);
  host->SetAlign(alTop);
  TSeCustomMenuBar* bar = MakeBar();
  bar->SetAlign(alNone);
  bar->SetParent(host);
  bar->SetWidth(300);
  // A colour of its own shows where the bar would fill instead of continuing the background.
  bar->SetColor(clYellow);
  ShowForm();
  // The tree is marked, down to the deepest item; out of the control bar it is not.
  for (TSeCustomItem* item : {bar->GetItems(), File, Recent, Recent->GetItem(1)})
    EXPECT_TRUE(item->GetInControlBar()) << StringToUtf8(item->GetCaption());
  const int w = bar->GetWidth(), h = bar->GetHeight();
  const TRect file = File->GetBoundsRect(), edit = Edit->GetBoundsRect();
  const TRect rest(Help->GetBoundsRect().Right, 0, w, h);  // no item there
  ASSERT_FALSE(IsRectEmpty(rest));
  // The edges of an item's rectangle (its caption is in the middle).
  const auto edges = [](const TRect& r) {
    return std::vector<TRect>{TRect(r.Left, r.Top, r.Right, r.Top + 2), TRect(r.Left, r.Top, r.Left + 2, r.Bottom),
                              TRect(r.Left, r.Bottom - 2, r.Right, r.Bottom)};
  };
  // What the theme draws: the control bar's background moved to the bar's place, tool-bar
  // buttons under the items (File normal, Edit chosen), the etched line in the bar's theme.
  const auto themed = [&](MemorySurface& expected, bool bevel) {
    RECT whole{};
    ::GetClientRect(host->GetHandle(), &whole);
    ::OffsetRect(&whole, -bar->GetLeft(), -bar->GetTop());
    ASSERT_TRUE(TThemeScope(L"Rebar").DrawBackground(expected.DC(), 0, 0, whole));
    ASSERT_TRUE(TThemeScope(L"Toolbar").DrawBackground(expected.DC(), 1, 1, file));
    ASSERT_TRUE(TThemeScope(L"Toolbar").DrawBackground(expected.DC(), 1, 2, edit));
    if (bevel) ASSERT_TRUE(TThemeScope(L"Rebar").DrawEdge(expected.DC(), 0, 0, RECT{0, h - 2, w, h}, EDGE_ETCHED, BF_TOP));
    ::GdiFlush();
  };
  bar->GetView()->SetSelected(Edit);  // chosen and hot
  if (UseThemes()) {
    MemorySurface ours(w, h), expected(w, h);
    PaintWindowInto(bar, ours);
    themed(expected, false);
    EXPECT_EQ(DifferentPixels(ours, expected, rest), 0);
    for (const TRect& r : edges(file)) EXPECT_EQ(DifferentPixels(ours, expected, r), 0) << "normal button";
    for (const TRect& r : edges(edit)) EXPECT_EQ(DifferentPixels(ours, expected, r), 0) << "hot button";
    bar->SetShowBevel(true);
    MemorySurface lined(w, h), expectedLine(w, h);
    PaintWindowInto(bar, lined);
    themed(expectedLine, true);
    EXPECT_EQ(DifferentPixels(lined, expectedLine, TRect(rest.Left, h - 2, w, h)), 0);
    bar->SetShowBevel(false);
    SaveScreenshot(Form->GetHandle(), L"skin_menu_bar_in_control_bar_themed");
  }
  WithoutThemes([&] {
    MemorySurface ours(w, h);
    PaintWindowInto(bar, ours);
    EXPECT_EQ(ours.CountOf(Rgb(bar->GetColor()), rest), rest.Width() * rest.Height());
    bar->SetShowBevel(true);
    PaintWindowInto(bar, ours);
    EXPECT_EQ(ours.At(rest.Left + 1, h - 2), Rgb(clBtnShadow));
    EXPECT_EQ(ours.At(rest.Left + 1, h - 1), Rgb(clBtnHighlight));
    bar->SetShowBevel(false);
    SaveScreenshot(Form->GetHandle(), L"skin_menu_bar_in_control_bar_classic");
  });
  bar->GetView()->SetSelected(nullptr);
  bar->SetParent(Form);
  for (TSeCustomItem* item : {bar->GetItems(), File, Recent->GetItem(1)})
    EXPECT_FALSE(item->GetInControlBar()) << StringToUtf8(item->GetCaption());
}

}  // namespace
}  // namespace skin_tests
