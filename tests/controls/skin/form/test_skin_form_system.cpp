// The form decoration's system menu, tray icon, application minimize and restore, and MDI
// support, on real windows driven by real messages: the menu's items per state and border
// icons and what choosing them does (also a click left pending across a rebuild), the tray
// through its replaceable shell call, the application's own minimize and restore, and an MDI
// parent with its menu bar and maximized children.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "classlib/classes/Layouts.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/form/SkinForm.h"
#include "controls/skin/form/SkinFormFrame.h"
#include "controls/skin/menus/SkinItems.h"
#include "controls/skin/menus/SkinMenuData.h"
#include "controls/skin/menus/SkinMenus.h"

using namespace skin_tests;

namespace {

// ---- Inside a menu loop -----------------------------------------------------------------------
// A probe runs inside the next menu loop (the loop dispatches timer messages), then the menu
// is closed with Escape (unless the probe is to close it some other way).

std::function<void(TSePopupWindow*)>& ProbeAction() {
  static std::function<void(TSePopupWindow*)> action;
  return action;
}

bool& ProbeEscapes() {
  static bool escapes = true;
  return escapes;
}

TSePopupWindow* ShownPopup() {
  for (int i = 0; i < Screen->GetCustomFormCount(); ++i)
    if (auto* popup = dynamic_cast<TSePopupWindow*>(Screen->GetCustomForms(i))) return popup;
  return nullptr;
}

void CALLBACK ProbeTimer(HWND, UINT, UINT_PTR, DWORD) {
  TSePopupWindow* popup = ShownPopup();
  if (!popup || !ProbeAction()) return;  // not open yet, or done
  auto action = std::move(ProbeAction());
  ProbeAction() = nullptr;
  action(popup);
  if (ProbeEscapes()) ::PostMessageW(popup->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
}

// Runs open (which shows a menu and returns when it closes) with the probe armed.
void WithOpenMenu(std::function<void(TSePopupWindow*)> action, const std::function<void()>& open,
                  bool escape = true) {
  ProbeAction() = std::move(action);
  ProbeEscapes() = escape;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, ProbeTimer);
  open();
  ::KillTimer(nullptr, timer);
  EXPECT_FALSE(ProbeAction()) << "no menu was shown";
  ProbeAction() = nullptr;
}

std::vector<String> Captions(const TSeCustomItem* root) {
  std::vector<String> captions;
  for (int i = 0; root && i < root->GetCount(); ++i) captions.push_back(root->GetItem(i)->GetCaption());
  return captions;
}

// The tray calls the component made, answered by a replaceable result.
struct TrayCalls {
  struct Call {
    DWORD Message;
    NOTIFYICONDATAW Data;
  };
  std::vector<Call> Calls;
  bool Answer = true;
  TSeTrayResponder Previous;
  TrayCalls() {
    Previous = SetTrayResponder([this](DWORD message, NOTIFYICONDATAW& data) {
      Calls.push_back({message, data});
      return message == NIM_DELETE || Answer;
    });
  }
  ~TrayCalls() { SetTrayResponder(std::move(Previous)); }
  int Count(DWORD message) const {
    int count = 0;
    for (const Call& call : Calls) count += call.Message == message ? 1 : 0;
    return count;
  }
};

BOOL CALLBACK CountUtilWindow(HWND wnd, LPARAM counter) {
  wchar_t name[64]{};
  ::GetClassNameW(wnd, name, 64);
  if (String(name) == L"ExamPrepUtilWindow") ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

// The hidden helper windows of the thread (timers, tray icons, deferred clicks).
int UtilWindowCount() {
  int count = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), CountUtilWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

class SkinFormSystemTest : public SkinFormTest {
 protected:
  void SetUp() override {
    SkinFormTest::SetUp();
    ::SetCursorPos(5, 5);
    Form->SetCaption(L"考试练习");
  }
  void TearDown() override {
    delete Skin;
    Skin = nullptr;
    SkinFormTest::TearDown();
  }
  void Decorate(bool minimizeApplication = false) {
    Skin = new TSeCustomForm(Form);
    Skin->SetMinimizeApplication(minimizeApplication);
    ShowForm();
  }
  std::vector<String> BuiltCaptions() {
    Skin->BuildSystemMenu();
    return Captions(Skin->GetSystemMenu());
  }
  // A notification of the tray icon to its window, as the shell sends it.
  void TrayNotify(const TrayCalls& tray, UINT mouseMessage) {
    const NOTIFYICONDATAW& data = tray.Calls.front().Data;
    ::SendMessageW(data.hWnd, SE_FORM_TRAYNOTIFY, data.uID, mouseMessage);
    Pump();
  }
  TSeCustomForm* Skin = nullptr;
};

// ---- System menu ------------------------------------------------------------------------------

TEST_F(SkinFormSystemTest, SystemMenuItemsFollowTheStateAndBorderIcons) {
  Decorate();
  using V = std::vector<String>;
  EXPECT_EQ(BuiltCaptions(), (V{L"Mi&nimize", L"Ma&ximize", L"Ro&llup", L"Minimize to &Tray", L"-", L"&Close"}));
  const TSeCustomItem* root = Skin->GetSystemMenu();
  EXPECT_EQ(root->GetItem(5)->GetShortCut(), ShortCut(VK_F4, TShiftState{ssAlt}));
  EXPECT_EQ(root->GetItem(0)->GetImageIndex(), cgMinimize);
  EXPECT_EQ(root->GetItem(3)->GetImageIndex(), cgTray);
  EXPECT_EQ(root->GetItem(5)->EffectiveImages(), CaptionGlyphs());
  EXPECT_EQ(CaptionGlyphs()->GetCount(), 6);
  Skin->Maximize();
  EXPECT_EQ(BuiltCaptions(), (V{L"&Restore", L"Mi&nimize", L"Ro&llup", L"Minimize to &Tray", L"-", L"&Close"}));
  Skin->Restore();
  Skin->Rollup();
  EXPECT_EQ(BuiltCaptions(), (V{L"&Restore", L"Mi&nimize", L"Ma&ximize", L"Minimize to &Tray", L"-", L"&Close"}));
  Skin->Restore();
  // Without Close neither the separator nor the item; without any icon the menu is empty.
  Skin->SetBorderIcons(TSeBorderIcons{vbiSystemMenu, vbiMaximize});
  EXPECT_EQ(BuiltCaptions(), (V{L"Ma&ximize"}));
  Skin->SetBorderIcons(TSeBorderIcons{vbiClose});
  EXPECT_EQ(BuiltCaptions(), (V{L"&Close"}));
  Skin->SetBorderIcons(TSeBorderIcons{});
  EXPECT_TRUE(BuiltCaptions().empty());
}

TEST_F(SkinFormSystemTest, ChosenItemsActAfterTheMenuClosesAndARebuildDropsAPendingClick) {
  Watchdog watchdog(30);
  Decorate();
  // Alt+Space opens the menu; the accelerator of "Ma&ximize" chooses it.
  ::PostMessageW(Form->GetHandle(), WM_CHAR, L'x', 1);
  ::SendMessageW(Form->GetHandle(), WM_SYSCOMMAND, SC_KEYMENU, L' ');
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);  // not inside the menu
  Pump();
  EXPECT_EQ(Skin->GetWindowState(), vwsMaximized);
  // "Ro&llup" chosen, then the menu rebuilt before the click arrives: no click, no crash.
  ::PostMessageW(Form->GetHandle(), WM_CHAR, L'l', 1);
  Skin->ShowSystemMenu();
  Skin->BuildSystemMenu();
  Pump();
  EXPECT_EQ(Skin->GetWindowState(), vwsMaximized);
  // "&Restore", then "&Close" of a modeless form hides it.
  ::PostMessageW(Form->GetHandle(), WM_CHAR, L'r', 1);
  Skin->ShowSystemMenu();
  Pump();
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
  ::PostMessageW(Form->GetHandle(), WM_CHAR, L'c', 1);
  Skin->ShowSystemMenu();
  Pump();
  EXPECT_FALSE(::IsWindowVisible(Form->GetHandle()));
}

TEST_F(SkinFormSystemTest, RightClickOnTheCaptionOpensTheMenuThereAndTheLinkReplacesIt) {
  Watchdog watchdog(30);
  Decorate();
  const TRect c = Skin->GetFrameClientRect();
  RECT window{};
  ::GetWindowRect(Form->GetHandle(), &window);
  const POINT press{window.left + 120, window.top + c.Top / 2 + 2};
  TRect shown;
  const auto bounds = [&](TSePopupWindow* popup) { shown = popup->GetBoundsRect(); };
  WithOpenMenu(bounds, [&] {
    ::SendMessageW(Form->GetHandle(), WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(press.x, press.y));
    ::SendMessageW(Form->GetHandle(), WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(press.x, press.y));
  });
  EXPECT_EQ(TPoint(shown.Left, shown.Top), TPoint(press.x, press.y));
  // From the keyboard it opens at the client area's origin.
  POINT origin{0, 0};
  ::ClientToScreen(Form->GetHandle(), &origin);
  WithOpenMenu(bounds, [&] { Skin->ShowSystemMenu(); });
  EXPECT_EQ(TPoint(shown.Left, shown.Top), TPoint(origin.x, origin.y));
  // A linked popup menu is shown instead, with the component's options.
  auto* link = new TSeCustomPopupMenu(Form);
  auto* item = new TSeCustomItem(Form);
  item->SetCaption(L"关于(&A)");
  link->GetSeItems()->Add(item);
  Skin->SetSystemMenuLink(link);
  Skin->GetSystemMenuOptions()->GetShadow()->SetEnabled(false);
  link->GetPopupMenuOptions()->GetShadow()->SetEnabled(true);
  String first;
  WithOpenMenu([&](TSePopupWindow* popup) { first = popup->GetView()->GetItem()->GetItem(0)->GetCaption(); },
               [&] { Skin->ShowSystemMenu(); });
  EXPECT_EQ(first, L"关于(&A)");
  EXPECT_FALSE(link->GetPopupMenuOptions()->GetShadow()->GetEnabled());
  delete link;  // the reference goes with it
  EXPECT_EQ(Skin->GetSystemMenuLink(), nullptr);
}

TEST_F(SkinFormSystemTest, ScreenshotsOfTheOpenSystemMenuAtBothScreenSizes) {
  Watchdog watchdog(30);
  Decorate();
  for (const TSize size : {TSize(800, 600), TSize(1024, 768)}) {
    Form->SetBounds(0, 0, size.cx * 2 / 3, size.cy * 2 / 3);
    Pump();
    const String name = L"skin_form_system_menu_" + IntToStr(size.cx);
    bool saved = false;
    WithOpenMenu(
        [&](TSePopupWindow* popup) {
          ::RedrawWindow(Form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
          ::UpdateWindow(popup->GetHandle());
          saved = SaveWindowScreenshot(Form->GetHandle(), name);
        },
        [&] { Skin->ShowSystemMenu(); });
    EXPECT_TRUE(saved) << StringToUtf8(name);
  }
}

// ---- Tray ---------------------------------------------------------------------------------------

TEST(SkinTrayTip, ALongTipIsCutAtACharacterAndAlwaysTerminated) {
  wchar_t tip[64 + 2];
  const auto fill = [&] { std::fill(std::begin(tip), std::end(tip), L'#'); };
  fill();
  CopyTrayTip(String(100, L'练'), tip, 64);
  EXPECT_EQ(String(tip), String(63, L'练'));
  EXPECT_EQ(tip[64], L'#');  // nothing written beyond the capacity
  // A pair of surrogates across the limit is left out whole.
  fill();
  CopyTrayTip(String(62, L'题') + L"\U0001F600", tip, 64);
  EXPECT_EQ(String(tip), String(62, L'题'));
  fill();
  CopyTrayTip(String(61, L'题') + L"\U0001F600", tip, 64);
  EXPECT_EQ(String(tip), String(61, L'题') + L"\U0001F600");
  fill();
  CopyTrayTip(L"", tip, 64);
  EXPECT_EQ(tip[0], L'\0');
  CopyTrayTip(L"x", tip, 0);  // no room: nothing written
  EXPECT_EQ(tip[0], L'\0');
}

TEST_F(SkinFormSystemTest, TrayWindowAnswersTheShellAndHasNoDefaultProcessing) {
  Watchdog watchdog(30);
  TrayCalls tray;
  Decorate();
  Form->SetCaption(String(80, L'练'));
  Skin->MinToTray();
  ASSERT_EQ(tray.Calls.size(), 1u);
  const NOTIFYICONDATAW data = tray.Calls[0].Data;
  EXPECT_EQ(data.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
  EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(String(data.szTip), String(63, L'练'));
  HWND trayWnd = data.hWnd;
  // A single click, a notification of another icon: nothing.
  TrayNotify(tray, WM_LBUTTONUP);
  ::SendMessageW(trayWnd, SE_FORM_TRAYNOTIFY, data.uID + 1, WM_LBUTTONDBLCLK);
  Pump();
  EXPECT_EQ(Skin->GetWindowState(), vwsTray);
  // Other messages get no default handling: the window keeps no text, and a close leaves it.
  EXPECT_EQ(::SendMessageW(trayWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"托盘")), 0);
  wchar_t text[16]{};
  EXPECT_EQ(::SendMessageW(trayWnd, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text)), 0);
  ::SendMessageW(trayWnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(::IsWindow(trayWnd));
  EXPECT_EQ(Skin->GetWindowState(), vwsTray);
  // A cancelled end of the session keeps the icon; a restarted shell gets it again.
  EXPECT_EQ(::SendMessageW(trayWnd, WM_QUERYENDSESSION, 0, 0), 1);
  ::SendMessageW(trayWnd, WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(tray.Count(NIM_DELETE), 0);
  ::SendMessageW(trayWnd, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(tray.Count(NIM_ADD), 2);
  // Right-button release: the tray menu at the cursor, in front.
  ::SetCursorPos(300, 320);
  TRect shown;
  bool foreground = false, applicationEventsJoined = true;
  WithOpenMenu(
      [&](TSePopupWindow* popup) {
        shown = popup->GetBoundsRect();
        foreground = popup->GetView()->GetItem()->GetForegroundOnPopup();
        applicationEventsJoined = !Application->GetOnMinimize().Empty();
      },
      [&] { TrayNotify(tray, WM_RBUTTONUP); });
  EXPECT_EQ(TPoint(shown.Left, shown.Top), TPoint(300, 320));
  EXPECT_TRUE(foreground);
  EXPECT_FALSE(applicationEventsJoined);  // a menu window never minimizes the program
  EXPECT_EQ(Captions(Skin->GetSystemMenu()), (std::vector<String>{L"&Restore", L"-", L"&Close"}));
  // Double-click: the form is back and the icon gone.
  TrayNotify(tray, WM_LBUTTONDBLCLK);
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
  EXPECT_TRUE(::IsWindowVisible(Form->GetHandle()));
  EXPECT_EQ(tray.Count(NIM_DELETE), 1);
  // The session really ends while in the tray: the icon goes.
  Skin->MinToTray();
  ::SendMessageW(trayWnd, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(tray.Count(NIM_DELETE), 2);
  // The form freed with its component while in the tray: the icon goes too.
  Skin->Restore();
  Skin->MinToTray();
  delete Form;
  Form = nullptr;
  Skin = nullptr;
  EXPECT_EQ(tray.Count(NIM_DELETE), 3);
}

TEST_F(SkinFormSystemTest, TheTrayWindowComesWithTheFirstIconAndNeverWithAMenuWindow) {
  Watchdog watchdog(30);
  TrayCalls tray;
  DeferredClickWindow();  // made once by the first menu; not counted
  const int base = UtilWindowCount();
  Decorate();
  EXPECT_EQ(UtilWindowCount(), base);
  int whileOpen = -1;
  WithOpenMenu([&](TSePopupWindow*) { whileOpen = UtilWindowCount(); }, [&] { Skin->ShowSystemMenu(); });
  EXPECT_EQ(whileOpen, base);  // the menu window's decoration made none
  Skin->MinToTray();
  ASSERT_EQ(tray.Count(NIM_ADD), 1);
  const HWND trayWnd = tray.Calls[0].Data.hWnd;
  EXPECT_EQ(UtilWindowCount(), base + 1);
  // A restarted shell gets the icon again only while there is one.
  const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
  Skin->Restore();
  ::SendMessageW(trayWnd, taskbarCreated, 0, 0);
  EXPECT_EQ(tray.Count(NIM_ADD), 1);
  Skin->MinToTray();
  EXPECT_EQ(tray.Calls.back().Data.hWnd, trayWnd);  // the same window serves again
  ::SendMessageW(trayWnd, taskbarCreated, 0, 0);
  EXPECT_EQ(tray.Count(NIM_ADD), 3);
  // Freeing takes the icon and the window away.
  delete Skin;
  Skin = nullptr;
  EXPECT_EQ(tray.Count(NIM_DELETE), 2);
  EXPECT_FALSE(::IsWindow(trayWnd));
  EXPECT_EQ(UtilWindowCount(), base);
}

TEST_F(SkinFormSystemTest, AFailedTrayIconHidesNothingAndFreeingInTheTrayShowsTheFormsAgain) {
  TrayCalls tray;
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBounds(50, 50, 300, 200);
  main->Show();
  Decorate(true);
  Skin->Maximize();
  tray.Answer = false;
  Skin->MinToTray();
  EXPECT_EQ(Skin->GetWindowState(), vwsMaximized);
  EXPECT_TRUE(::IsWindowVisible(Form->GetHandle()));
  EXPECT_TRUE(::IsWindowVisible(main->GetHandle()));
  Skin->Restore();  // the state before the failed attempt is where Restore goes
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(100, 100, 400, 300));
  // In the tray with MinimizeApplication the main form is hidden too; freeing the component
  // there brings both back.
  tray.Answer = true;
  Skin->MinToTray();
  EXPECT_FALSE(::IsWindowVisible(main->GetHandle()));
  EXPECT_FALSE(::IsWindowVisible(Form->GetHandle()));
  delete Skin;
  Skin = nullptr;
  EXPECT_EQ(tray.Count(NIM_DELETE), 1);
  EXPECT_TRUE(::IsWindowVisible(main->GetHandle()));
  EXPECT_TRUE(::IsWindowVisible(Form->GetHandle()));
  delete main;
  EXPECT_EQ(Application->GetMainForm(), nullptr);
}

// A component whose memory is filled with a pattern when freed, and kept: a write into it
// after it went shows in the pattern.
class PoisonedSkin : public TSeCustomForm {
 public:
  using TSeCustomForm::TSeCustomForm;
  static void operator delete(void* block, size_t size) {
    std::memset(block, 0xDD, size);
    Block = static_cast<unsigned char*>(block);
    Size = size;
  }
  static bool Untouched() {
    return Block && std::all_of(Block, Block + Size, [](unsigned char b) { return b == 0xDD; });
  }
  static void FreeBlock() {
    ::operator delete(Block);
    Block = nullptr;
  }
  static inline unsigned char* Block = nullptr;
  static inline size_t Size = 0;
};

// Opened by a direct call, by Alt+Space through the form's window, and by a right click on
// the caption: each time the form is released inside the menu's loop.
TEST_F(SkinFormSystemTest, AFormReleasedWhileItsSystemMenuIsOpenEndsTheMenuAndIsNotTouchedAfter) {
  Watchdog watchdog(60);
  const std::function<void(HWND)> opens[] = {
      [&](HWND) { Skin->ShowSystemMenu(); },
      [](HWND wnd) { ::SendMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, L' '); },
      [](HWND wnd) {
        RECT r{};
        ::GetWindowRect(wnd, &r);
        const LPARAM caption = MAKELPARAM(r.left + 80, r.top + 8);
        ::SendMessageW(wnd, WM_NCRBUTTONDOWN, HTCAPTION, caption);
        ::SendMessageW(wnd, WM_NCRBUTTONUP, HTCAPTION, caption);
      },
  };
  for (std::size_t i = 0; i < std::size(opens); ++i) {
    if (!Form) {
      Form = TCustomForm::Create<std::remove_pointer_t<decltype(Form)>>(nullptr);
      Form->SetBounds(100, 100, 400, 300);
    }
    Skin = new PoisonedSkin(Form);
    ShowForm();
    const HWND wnd = Form->GetHandle();
    bool released = false;
    // A release, and a key that would choose "&Close" of the freed form: neither the click
    // nor anything else reaches the component.
    WithOpenMenu(
        [&](TSePopupWindow*) {
          Form->Release();
          ::PostMessageW(wnd, WM_CHAR, L'c', 1);
          released = true;
        },
        [&] { opens[i](wnd); }, false);
    Form = nullptr;
    Skin = nullptr;
    EXPECT_TRUE(released) << i;
    EXPECT_EQ(ShownPopup(), nullptr) << i;  // the loop ended with the form, not by a key
    Pump();
    EXPECT_FALSE(::IsWindow(wnd)) << i;
    EXPECT_TRUE(PoisonedSkin::Untouched()) << i;
    PoisonedSkin::FreeBlock();
  }
}

// ---- Application minimize and restore -----------------------------------------------------------

TEST_F(SkinFormSystemTest, TheApplicationsMinimizeAndRestoreReachTheFormUntilTheComponentGoes) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetCaption(L"主窗体");
  main->SetBounds(150, 150, 400, 300);
  auto* skin = new TSeCustomForm(main);
  skin->SetMinimizeApplication(true);
  main->Show();
  main->SetFocus();
  ::SendMessageW(main->GetHandle(), WM_NCACTIVATE, TRUE, 0);  // joins the application's events
  Pump();
  ASSERT_FALSE(Application->GetOnMinimize().Empty());
  // The system's minimize of the main form minimizes the application and the component.
  ::SendMessageW(main->GetHandle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Pump();
  EXPECT_EQ(skin->GetWindowState(), vwsMinimized);
  EXPECT_TRUE(::IsIconic(main->GetHandle()));
  ::SendMessageW(main->GetHandle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_EQ(skin->GetWindowState(), vwsNormal);
  EXPECT_FALSE(::IsIconic(main->GetHandle()));
  EXPECT_EQ(main->GetBoundsRect(), Bounds(150, 150, 400, 300));
  // The component's own minimize goes through the application once.
  int minimizes = 0;
  const int key = Application->GetOnMinimize().Add([&](TObject*) { ++minimizes; });
  skin->Minimize();
  EXPECT_EQ(minimizes, 1);
  skin->Restore();
  EXPECT_EQ(skin->GetWindowState(), vwsNormal);
  Application->GetOnMinimize().Remove(key);
  // Freed, it leaves the application's events as they were.
  delete skin;
  EXPECT_TRUE(Application->GetOnMinimize().Empty());
  EXPECT_TRUE(Application->GetOnRestore().Empty());
  Application->Minimize();
  Application->Restore();
  delete main;
}

// ---- MDI ------------------------------------------------------------------------------------------------

class SkinMdiTest : public SkinFormSystemTest {
 protected:
  void SetUp() override {
    SkinFormSystemTest::SetUp();
    Application->CreateForm(Parent);
    Parent->SetFormStyle(fsMDIForm);
    Parent->SetCaption(L"题库[2026]");
    Parent->SetBounds(20, 20, 640, 480);
    Parent->Show();
    ClientProc = ::GetWindowLongPtrW(Parent->GetClientHandle(), GWLP_WNDPROC);
    ParentSkin = new TSeCustomForm(Parent);
    Bar = new TSeCustomMenuBar(Parent);
    Bar->SetParent(Parent);
    Bar->SetAlign(alTop);
    for (const wchar_t* caption : {L"文件(&F)", L"窗口(&W)"}) {
      auto* item = new TSeCustomItem(Parent);
      item->SetCaption(caption);
      Bar->GetItems()->Add(item);
    }
    ParentSkin->SetMenuBar(Bar);
    Pump();
  }
  void TearDown() override {
    for (TForm* child : Children) delete child;
    delete Parent;
    Pump();
    SkinFormSystemTest::TearDown();
  }
  // A decorated MDI child, shown.
  TSeCustomForm* AddChild(const String& caption) {
    TForm* child = TCustomForm::Create<TForm>(nullptr);
    child->SetFormStyle(fsMDIChild);
    child->SetCaption(caption);
    child->SetBounds(10 + 30 * static_cast<int>(Children.size()), 10, 260, 180);
    auto* skin = new TSeCustomForm(child);
    child->Show();
    Pump();
    Children.push_back(child);
    return skin;
  }
  bool ButtonsShown() const {
    for (TSeSystemKind kind : {sysClose, sysRestore, sysMinimize, sysChildIcon})
      if (!Bar->GetMDIButton(kind) || !Bar->GetMDIButton(kind)->GetVisible()) return false;
    return true;
  }
  TRect ClientArea() const {
    RECT r{};
    ::GetClientRect(Parent->GetClientHandle(), &r);
    return r;
  }
  // What the MDI client window shows.
  void CaptureClient(MemorySurface& surface) const {
    HWND client = Parent->GetClientHandle();
    HDC dc = ::GetDC(client);
    ::BitBlt(surface.DC(), 0, 0, surface.Width(), surface.Height(), dc, 0, 0, SRCCOPY);
    ::ReleaseDC(client, dc);
    ::GdiFlush();
  }
  TForm* Parent = nullptr;
  TSeCustomForm* ParentSkin = nullptr;
  TSeCustomMenuBar* Bar = nullptr;
  std::vector<TForm*> Children;
  LONG_PTR ClientProc = 0;
};

TEST_F(SkinMdiTest, AMaximizedChildMergesItsCaptionAndButtonsAndRestoringTakesThemBack) {
  Watchdog watchdog(30);
  TSeCustomForm* child = AddChild(L"练习 [第1章]");
  EXPECT_FALSE(child->IsMDIChildMaximized());
  child->Maximize();
  EXPECT_TRUE(child->IsMDIChildMaximized());
  EXPECT_EQ(Parent->GetCaption(), L"题库[2026] - [练习 [第1章]]");
  EXPECT_EQ(child->GetForm()->GetBoundsRect(), ClientArea());
  // The bar: the child's icon at the left, minimize, restore and close at the right edge.
  ASSERT_TRUE(ButtonsShown());
  EXPECT_EQ(Bar->GetMDIChild(), child);
  const int square = Bar->GetMDIButton(sysClose)->GetBoundsRect().Width();
  EXPECT_EQ(Bar->GetMDIButton(sysChildIcon)->GetBoundsRect().Left, 0);
  EXPECT_EQ(Bar->GetMDIButton(sysClose)->GetBoundsRect().Right, Bar->GetWidth());
  EXPECT_EQ(Bar->GetMDIButton(sysRestore)->GetBoundsRect().Right, Bar->GetWidth() - square);
  EXPECT_EQ(Bar->GetMDIButton(sysMinimize)->GetBoundsRect().Right, Bar->GetWidth() - 2 * square);
  EXPECT_EQ(Bar->GetMDIButton(sysChildIcon)->GetMdiForm(), child);
  // A caption the child gets meanwhile shows in the parent's (through the component or the
  // window).
  child->SetCaption(L"练习");
  EXPECT_EQ(Parent->GetCaption(), L"题库[2026] - [练习]");
  ::SetWindowTextW(child->GetForm()->GetHandle(), L"练习二");
  EXPECT_EQ(Parent->GetCaption(), L"题库[2026] - [练习二]");
  // The child's icon on the bar opens the child's own system menu (no tray for a child).
  std::vector<String> shown;
  WithOpenMenu([&](TSePopupWindow* popup) { shown = Captions(popup->GetView()->GetItem()); },
               [&] {
                 Bar->GetMDIButton(sysChildIcon)->Click();
                 Pump();
               });
  EXPECT_EQ(shown, (std::vector<String>{L"&Restore", L"Mi&nimize", L"Ro&llup", L"-", L"&Close"}));
  // The parent resized: the child fills the client area again.
  Parent->SetBounds(20, 20, 700, 520);
  Pump();
  EXPECT_EQ(child->GetForm()->GetBoundsRect(), ClientArea());
  // The bar's restore button (its click runs after the menus, through the click window).
  ASSERT_NE(DeferredClickWindow(), nullptr);
  Bar->GetMDIButton(sysRestore)->Click();
  Pump();
  EXPECT_EQ(child->GetWindowState(), vwsNormal);
  EXPECT_EQ(Parent->GetCaption(), L"题库[2026]");  // the "[" of its own caption kept
  EXPECT_FALSE(Bar->GetMDIButton(sysClose)->GetVisible());
  EXPECT_EQ(Bar->GetMDIChild(), nullptr);
  // A caption the program gives the parent while a child is maximized is its own caption.
  child->Maximize();
  Parent->SetCaption(L"新题库");
  child->Minimize();
  EXPECT_EQ(Parent->GetCaption(), L"新题库");
}

TEST_F(SkinMdiTest, AChildDraggedByTheMouseSnapsToItsClientsEdgesAndItsOutlineIsDrawnInTheClient) {
  Watchdog watchdog(60);
  TSeCustomForm* skin = AddChild(L"练习 [拖动]");
  TForm* child = Children[0];
  const TRect area = ClientArea();
  ASSERT_EQ(skin->GetGravitation()->GetSize(), 9);
  // The client lies below the top-aligned menu bar, not under it.
  RECT clientOnScreen{};
  ::GetWindowRect(Parent->GetClientHandle(), &clientOnScreen);
  EXPECT_EQ(clientOnScreen.top, Bar->ClientToScreen(TPoint(0, Bar->GetHeight())).Y);
  const int f = SystemFrameMetrics().Frame;
  const TRect start = Bounds(100, 80, 260, 180);
  int presses = 0;
  // Drags the child by its caption towards bounds at target; the outline (outline mode) is
  // checked before the release: its edge nearest the snapped side is inverted in the client.
  const auto drag = [&](TPoint target, TRect expected, bool outline) {
    SCOPED_TRACE(testing::Message() << "to " << target.X << "," << target.Y);
    child->SetBoundsRect(start);
    Pump();
    RECT w{};
    ::GetWindowRect(child->GetHandle(), &w);
    // Each press at another point of the caption: two at one point would be a double click.
    const TPoint press(w.left + 30 + 10 * presses++, w.top + f + 3);
    const TPoint to(press.X + target.X - start.Left, press.Y + target.Y - start.Top);
    MouseInputAt(press, MOUSEEVENTF_LEFTDOWN);
    if (!skin->IsFrameDragging()) {
      MouseInputAt(press, MOUSEEVENTF_LEFTUP);  // the button is never left held
      FAIL() << "the press did not start a frame drag";
    }
    MemorySurface before(area.Width(), area.Height());
    CaptureClient(before);
    MouseInputAt(TPoint((press.X + to.X) / 2, (press.Y + to.Y) / 2), MOUSEEVENTF_MOVE);
    MouseInputAt(to, MOUSEEVENTF_MOVE);
    if (outline) {
      EXPECT_EQ(child->GetBoundsRect(), start);  // only the outline moved
      MemorySurface during(area.Width(), area.Height());
      CaptureClient(during);
      const auto inverted = [&](int x, int y) {
        return static_cast<int32_t>(during.At(x, y)) == (static_cast<int32_t>(before.At(x, y)) ^ 0xFFFFFF);
      };
      const TRect& e = expected;
      const int midX = (e.Left + e.Right) / 2, midY = (e.Top + e.Bottom) / 2;
      std::vector<TPoint> edge;  // the outline's two pixels across its snapped side
      if (e.Left == 0) edge = {TPoint(0, midY), TPoint(1, midY)};
      if (e.Top == 0) edge = {TPoint(midX, 0), TPoint(midX, 1)};
      if (e.Right == area.Right) edge = {TPoint(e.Right - 1, midY), TPoint(e.Right - 2, midY)};
      if (e.Bottom == area.Bottom) edge = {TPoint(midX, e.Bottom - 1), TPoint(midX, e.Bottom - 2)};
      ASSERT_FALSE(edge.empty());
      for (const TPoint p : edge) EXPECT_TRUE(inverted(p.X, p.Y)) << p.X << "," << p.Y;
      EXPECT_FALSE(inverted(midX, midY));  // the inside is left alone
    }
    MouseInputAt(to, MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(skin->IsFrameDragging());
    EXPECT_EQ(child->GetBoundsRect(), expected);
  };
  const int w = start.Width(), h = start.Height();
  for (const TSeFormDragMode mode : {vfdmFullDrag, vfdmBorder}) {
    SCOPED_TRACE(mode == vfdmBorder ? "outline" : "full drag");
    skin->GetDragging()->SetDragMode(mode);
    const bool outline = mode == vfdmBorder;
    // 5 px short of each edge of the client: on the edge.
    drag(TPoint(5, 80), Bounds(0, 80, w, h), outline);
    drag(TPoint(100, 4), Bounds(100, 0, w, h), outline);
    drag(TPoint(area.Right - w - 5, 80), Bounds(area.Right - w, 80, w, h), outline);
    drag(TPoint(100, area.Bottom - h - 5), Bounds(100, area.Bottom - h, w, h), outline);
    // Near the screen's right edge, far outside the client: it stays where it was dropped.
    const int screenRight = ::GetSystemMetrics(SM_CXSCREEN);
    drag(TPoint(screenRight - 5 - w, 80), Bounds(screenRight - 5 - w, 80, w, h), false);
  }
  // Into the bottom-right corner: on both edges.
  drag(TPoint(area.Right - w - 5, area.Bottom - h - 4), Bounds(area.Right - w, area.Bottom - h, w, h), false);
  SaveScreenshot(Parent->GetHandle(), L"skin_mdi_child_dragged");
}

TEST_F(SkinMdiTest, AChildActivatedWhileAnotherIsMaximizedTakesItsPlaceAndAFreedChildIsForgotten) {
  Watchdog watchdog(30);
  TSeCustomForm* first = AddChild(L"第一");
  first->Maximize();
  TSeCustomForm* second = AddChild(L"第二");
  Pump();
  EXPECT_EQ(second->GetWindowState(), vwsMaximized);
  EXPECT_EQ(Bar->GetMDIChild(), second);
  EXPECT_EQ(Parent->GetCaption(), L"题库[2026] - [第二]");
  // The bar's minimize button; the other maximized child is restored with it.
  Bar->GetMDIButton(sysMinimize)->Click();
  Pump();
  EXPECT_EQ(second->GetWindowState(), vwsMinimized);
  EXPECT_EQ(first->GetWindowState(), vwsNormal);
  EXPECT_EQ(Parent->GetCaption(), L"题库[2026]");
  // The bar's close button: the child's OnClose frees it, and the caption lets it go.
  second->Maximize();
  TForm* secondForm = Children[1];
  Children.pop_back();
  secondForm->SetOnClose([](TObject*, TCloseAction& action) { action = caFree; });
  Bar->GetMDIButton(sysClose)->Click();
  Pump();
  EXPECT_EQ(Parent->GetMDIChildCount(), 1);
  EXPECT_EQ(Parent->GetCaption(), L"题库[2026]");
  EXPECT_EQ(Bar->GetMDIChild(), nullptr);
  // Without a handler a close minimizes.
  first->CloseForm();
  EXPECT_EQ(first->GetWindowState(), vwsMinimized);
  first->Restore();
  // Freed while maximized: nothing keeps a reference to it.
  first->Maximize();
  ASSERT_EQ(Bar->GetMDIChild(), first);
  delete Children[0];
  Children.erase(Children.begin());
  EXPECT_EQ(Bar->GetMDIChild(), nullptr);
  EXPECT_EQ(Parent->GetCaption(), L"题库[2026]");
  EXPECT_EQ(Bar->GetMDIButton(sysChildIcon)->GetMdiForm(), nullptr);
  EXPECT_FALSE(ButtonsShown());
  SaveScreenshot(Parent->GetHandle(), L"skin_mdi_child_freed");
}

TEST_F(SkinMdiTest, ALoadedBarHasHiddenChildButtonsThatLayoutsNeverKeep) {
  Bar->SetName(L"Bar");
  ParentSkin->SetName(L"Skin");
  for (int i = 0; i < Bar->GetItems()->GetCount(); ++i) Bar->GetItems()->GetItem(i)->SetName(L"Item" + IntToStr(i));
  AddChild(L"练习")->Maximize();  // the buttons exist and show
  const String text = ComponentToText(Parent);
  auto* copy = TCustomForm::Create<TForm>(nullptr);
  TStringStream stream(text);
  ReadComponentFromStream(stream, copy);
  auto* bar = dynamic_cast<TSeCustomMenuBar*>(copy->FindComponent(L"Bar"));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(dynamic_cast<TSeCustomForm*>(copy->FindComponent(L"Skin"))->GetMenuBar(), bar);
  // The two stored items and the four buttons made at loading, hidden, icon first.
  ASSERT_EQ(bar->GetItems()->GetCount(), 6);
  EXPECT_EQ(bar->GetItems()->GetItem(0), bar->GetMDIButton(sysChildIcon));
  EXPECT_EQ(bar->GetItems()->GetItem(1)->GetCaption(), L"文件(&F)");
  EXPECT_EQ(bar->GetItems()->GetItem(5), bar->GetMDIButton(sysClose));
  EXPECT_FALSE(bar->GetMDIButton(sysClose)->GetVisible());
  delete copy;
}

TEST_F(SkinMdiTest, TheClientWindowIsSubclassedWhileTheComponentLives) {
  HWND client = Parent->GetClientHandle();
  EXPECT_NE(::GetWindowLongPtrW(client, GWLP_WNDPROC), ClientProc);
  POINT inside{40, 40};
  ::ClientToScreen(client, &inside);
  EXPECT_EQ(::SendMessageW(client, WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), HTTRANSPARENT);
  ::SendMessageW(client, 0x003F, 0, 0);  // the client recalculates its scroll bars
  EXPECT_FALSE(::GetWindowLongW(client, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  delete ParentSkin;
  ParentSkin = nullptr;
  EXPECT_EQ(::GetWindowLongPtrW(client, GWLP_WNDPROC), ClientProc);
  EXPECT_EQ(::SendMessageW(client, WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), HTCLIENT);
}

TEST_F(SkinMdiTest, MaximizingAndRestoringChildrenLeaksNothingAndScreenshotsShowTheParent) {
  Watchdog watchdog(60);
  TSeCustomForm* child = AddChild(L"模拟考试");
  const auto cycle = [&] {
    child->Maximize();
    ::RedrawWindow(Parent->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    child->Restore();
    Pump();
  };
  cycle();
  const int gdi = control_tests::GdiObjectCount(), user = control_tests::ThreadWindowCount();
  for (int i = 0; i < 30; ++i) cycle();
  EXPECT_EQ(control_tests::GdiObjectCount(), gdi);
  EXPECT_EQ(control_tests::ThreadWindowCount(), user);
  child->Maximize();
  for (const TSize size : {TSize(800, 600), TSize(1024, 768)}) {
    Parent->SetBounds(0, 0, size.cx, size.cy);
    Pump();
    EXPECT_EQ(child->GetForm()->GetBoundsRect(), ClientArea());
    SaveScreenshot(Parent->GetHandle(), L"skin_mdi_maximized_child_" + IntToStr(size.cx));
  }
}

}  // namespace
