// Messages between controls: reflection of notifications to the child as CN_xxx, the
// CM_xxx messages property changes send, ParentFont/ParentColor, RecreateWnd, and the
// GDI/user objects of many controls made and freed.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "classlib/graphics/MemorySurface.h"

using namespace control_tests;

namespace {

// A system BUTTON made into a control of ours: its notifications come back as CN_COMMAND.
class TSystemButton : public TWinControl {
  CLASSLIB_CLASS(TSystemButton, TWinControl)
  explicit TSystemButton(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 80, 25); }
  void WndProc(TMessage& message) override {
    Log.Messages.push_back(message);
    inherited::WndProc(message);
  }
  MessageLog Log;

 protected:
  void CreateParams(TCreateParams& params) override {
    inherited::CreateParams(params);
    CreateSubClass(params, L"BUTTON");
    params.Style |= BS_PUSHBUTTON;
  }
};

// A windowless child that frees another child when it hears of a new theme.
class TThemeFreer : public TLogGraphic {
  CLASSLIB_CLASS(TThemeFreer, TLogGraphic)
  using TLogGraphic::TLogGraphic;
  TControl* Victim = nullptr;  // freed on WM_THEMECHANGED
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_THEMECHANGED && Victim) delete std::exchange(Victim, nullptr);
    inherited::WndProc(message);
  }
};

class ControlMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    Host = std::make_unique<TTestHost>();
    Child = new TLogWindow(Host.get(), Host.get(), Bounds(10, 10, 50, 50));
    Host->ShowHost();
  }
  std::unique_ptr<TTestHost> Host;
  TLogWindow* Child = nullptr;
};

}  // namespace

TEST_F(ControlMessages, NotificationsAreReflectedToTheChildAsCN) {
  HWND host = Host->GetHandle();
  HWND child = Child->GetHandle();

  ::SendMessageW(host, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), reinterpret_cast<LPARAM>(child));
  const TMessage* command = Child->Log.Last(CN_COMMAND);
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(command->WParam, MAKEWPARAM(7, BN_CLICKED));

  NMHDR header{child, 7, static_cast<UINT>(-2)};  // NM_CLICK
  ::SendMessageW(host, WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header));
  ASSERT_NE(Child->Log.Last(CN_NOTIFY), nullptr);
  EXPECT_EQ(Child->Log.Last(CN_NOTIFY)->LParam, reinterpret_cast<LPARAM>(&header));

  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_BUTTON;
  draw.hwndItem = child;
  ::SendMessageW(host, WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(Child->Log.Count(CN_DRAWITEM), 1);

  ::SendMessageW(host, WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(child));
  EXPECT_EQ(Child->Log.Count(CN_HSCROLL), 1);

  // WM_CTLCOLOR*: the child answers with its brush and sets the DC's colours.
  Child->SetColor(clYellow);
  Child->GetFont()->SetColor(clMaroon);
  MemorySurface surface(4, 4);
  const LRESULT brush = ::SendMessageW(host, WM_CTLCOLORSTATIC,
                                       reinterpret_cast<WPARAM>(surface.DC()),
                                       reinterpret_cast<LPARAM>(child));
  EXPECT_EQ(Child->Log.Count(CN_CTLCOLORSTATIC), 1);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), Child->GetBrush()->GetHandle());
  EXPECT_EQ(::GetTextColor(surface.DC()), ColorToRGB(clMaroon));
  EXPECT_EQ(::GetBkColor(surface.DC()), ColorToRGB(clYellow));

  // A command from no control (a menu) is not reflected.
  const int before = Child->Log.Count(CN_COMMAND);
  ::SendMessageW(host, WM_COMMAND, 100, 0);
  EXPECT_EQ(Child->Log.Count(CN_COMMAND), before);
}

TEST_F(ControlMessages, ASubclassedSystemControlGetsItsOwnNotificationBack) {
  auto* button = new TSystemButton(Host.get());
  button->SetCaption(L"OK");
  button->SetParent(Host.get());
  ASSERT_TRUE(button->HandleAllocated());
  wchar_t className[32] = {};
  ::GetClassNameW(button->GetHandle(), className, 32);
  EXPECT_STREQ(className, L"TSystemButton");
  EXPECT_EQ(button->GetText(), L"OK");

  ::SendMessageW(button->GetHandle(), BM_CLICK, 0, 0);  // the system button clicks itself
  const TMessage* command = button->Log.Last(CN_COMMAND);
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(HIWORD(command->WParam), BN_CLICKED);
  // The control's id is its window, so owner-drawn items find it too.
  EXPECT_EQ(::GetDlgCtrlID(button->GetHandle()),
            static_cast<int>(reinterpret_cast<intptr_t>(button->GetHandle())));
}

TEST_F(ControlMessages, PropertyChangesSendTheirControlMessages) {
  Child->Log.Clear();
  Child->SetEnabled(false);
  EXPECT_EQ(Child->Log.Count(CM_ENABLEDCHANGED), 1);
  EXPECT_FALSE(::IsWindowEnabled(Child->GetHandle()));
  Child->SetEnabled(false);
  EXPECT_EQ(Child->Log.Count(CM_ENABLEDCHANGED), 1);

  Child->SetVisible(false);
  ASSERT_EQ(Child->Log.Count(CM_VISIBLECHANGED), 1);
  EXPECT_EQ(Child->Log.Last(CM_VISIBLECHANGED)->WParam, 0u);
  EXPECT_FALSE(::IsWindowVisible(Child->GetHandle()));
  EXPECT_FALSE(Child->GetShowing());
  Child->SetVisible(true);
  EXPECT_TRUE(::IsWindowVisible(Child->GetHandle()));
  EXPECT_EQ(Child->Log.Count(CM_SHOWINGCHANGED), 2);

  Child->SetText(L"Caption");
  Child->SetText(L"Caption");
  EXPECT_EQ(Child->Log.Count(CM_TEXTCHANGED), 1);
  wchar_t text[32] = {};
  ::GetWindowTextW(Child->GetHandle(), text, 32);
  EXPECT_STREQ(text, L"Caption");

  Child->SetColor(clGreen);
  EXPECT_EQ(Child->Log.Count(CM_COLORCHANGED), 1);
  EXPECT_EQ(Child->GetBrush()->GetColor(), clGreen);
  Child->GetFont()->SetSize(20);
  EXPECT_EQ(Child->Log.Count(CM_FONTCHANGED), 1);

  // A windowless control keeps its text itself.
  auto* graphic = new TLogGraphic(Host.get(), Host.get(), Bounds(0, 0, 5, 5));
  graphic->SetCaption(L"abc");
  EXPECT_EQ(graphic->Log.Count(CM_TEXTCHANGED), 1);
}

TEST_F(ControlMessages, ParentFontAndColorFlowDownToChildrenThatFollowTheirParent) {
  auto* follower = new TLogGraphic(Host.get(), Child, Bounds(0, 0, 5, 5));
  auto* own = new TLogGraphic(Host.get(), Child, Bounds(5, 5, 5, 5));
  auto* grandParent = new TLogWindow(Host.get(), Child, Bounds(10, 10, 20, 20));
  auto* grandChild = new TLogGraphic(Host.get(), grandParent, Bounds(0, 0, 5, 5));
  own->SetColor(clAqua);
  EXPECT_FALSE(own->GetParentColor());
  own->GetFont()->SetName(L"Arial");
  EXPECT_FALSE(own->GetParentFont());

  Child->SetColor(clPurple);
  EXPECT_EQ(follower->GetColor(), clPurple);
  EXPECT_TRUE(follower->GetParentColor());
  EXPECT_EQ(follower->Log.Count(CM_PARENTCOLORCHANGED), 2);  // on insertion and now
  EXPECT_EQ(follower->Log.Count(CM_COLORCHANGED), 1);
  EXPECT_EQ(own->GetColor(), clAqua);
  EXPECT_EQ(grandChild->GetColor(), clPurple);  // through the windowed child between

  Child->GetFont()->SetSize(14);
  EXPECT_EQ(follower->GetFont()->GetSize(), 14);
  EXPECT_TRUE(follower->GetParentFont());
  EXPECT_EQ(grandChild->GetFont()->GetSize(), 14);
  EXPECT_EQ(own->GetFont()->GetName(), L"Arial");
  EXPECT_NE(own->GetFont()->GetSize(), 14);

  // Turning ParentColor back on takes the parent's colour at once.
  own->SetParentColor(true);
  EXPECT_EQ(own->GetColor(), clPurple);

  // A control inserted later takes its new parent's font and colour.
  auto* late = new TLogGraphic(Host.get(), nullptr, Bounds(0, 0, 5, 5));
  late->SetParent(Child);
  EXPECT_EQ(late->GetColor(), clPurple);
  EXPECT_EQ(late->GetFont()->GetSize(), 14);
}

TEST_F(ControlMessages, RecreateWndKeepsCaptionBoundsChildrenAndTheirOrder) {
  Child->SetCaption(L"Keep me");
  Child->SetBounds(20, 30, 150, 120);
  auto* first = new TLogWindow(Host.get(), Child, Bounds(5, 5, 40, 40));
  auto* second = new TLogWindow(Host.get(), Child, Bounds(20, 20, 40, 40));
  auto* graphic = new TLogGraphic(Host.get(), Child, Bounds(60, 60, 10, 10));
  first->SetCaption(L"first");
  first->BringToFront();  // first is now above second
  const HWND oldHandle = Child->GetHandle();
  ASSERT_EQ(::GetWindow(oldHandle, GW_CHILD), first->GetHandle());

  Child->RecreateWnd();
  const HWND newHandle = Child->GetHandle();
  EXPECT_NE(newHandle, oldHandle);
  EXPECT_FALSE(::IsWindow(oldHandle));
  EXPECT_EQ(FindControl(newHandle), Child);
  EXPECT_EQ(FindControl(oldHandle), nullptr);
  EXPECT_EQ(Child->GetCaption(), L"Keep me");
  EXPECT_EQ(first->GetCaption(), L"first");
  EXPECT_EQ(Child->GetBoundsRect(), Bounds(20, 30, 150, 120));
  RECT r{};
  ::GetWindowRect(newHandle, &r);
  ::MapWindowPoints(nullptr, Host->GetHandle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(TRect(r), Bounds(20, 30, 150, 120));
  EXPECT_TRUE(::IsWindowVisible(newHandle));

  // The children are back, in their window and in their z-order.
  ASSERT_TRUE(first->HandleAllocated());
  ASSERT_TRUE(second->HandleAllocated());
  EXPECT_EQ(::GetParent(first->GetHandle()), newHandle);
  EXPECT_EQ(::GetWindow(newHandle, GW_CHILD), first->GetHandle());
  EXPECT_EQ(::GetWindow(first->GetHandle(), GW_HWNDNEXT), second->GetHandle());
  EXPECT_EQ(Child->GetControlCount(), 3);
  EXPECT_EQ(Child->GetControl(0), graphic);
}

TEST_F(ControlMessages, FindControlKnowsOurWindowsOnly) {
  EXPECT_EQ(FindControl(Child->GetHandle()), Child);
  EXPECT_EQ(FindControl(Host->GetHandle()), Host.get());
  EXPECT_EQ(FindControl(::GetDesktopWindow()), nullptr);
  EXPECT_EQ(FindControl(nullptr), nullptr);
  POINT inChild{15, 15};
  ::ClientToScreen(Host->GetHandle(), &inChild);
  EXPECT_EQ(FindVCLWindow(inChild), Child);
  EXPECT_EQ(FindDragTarget(inChild, false), Child);
}

TEST_F(ControlMessages, UtilityWindowsRunTheirMethodAndExceptionsStopAtTheHook) {
  int timers = 0;
  HWND wnd = nullptr;
  wnd = AllocateHWnd([&](TMessage& message) {
    if (message.Msg == WM_TIMER) {
      ++timers;
      throw EInvalidOperation(L"timer failed");
    }
    message.Result = ::DefWindowProcW(wnd, message.Msg, message.WParam, message.LParam);
  });
  ASSERT_NE(wnd, nullptr);
  ExceptionRecorder recorder;
  ::SendMessageW(wnd, WM_TIMER, 1, 0);
  EXPECT_EQ(timers, 1);
  ASSERT_EQ(recorder.Messages.size(), 1u);
  DeallocateHWnd(wnd);
  EXPECT_FALSE(::IsWindow(wnd));
}

TEST(ControlResources, ManyControlsMadeAndFreedLeaveNoObjects) {
  const auto cycle = []() {
    TTestHost host;
    for (int i = 0; i < 10; ++i) {
      auto* panel = new TLogWindow(&host, &host, Bounds(i * 10, 0, 30, 30));
      panel->SetCaption(L"panel");
      panel->GetFont()->SetSize(8 + i % 3);
      panel->SetColor(RGBColor(static_cast<uint8_t>(i * 20), 0, 0));
      auto* graphic = new TLogGraphic(&host, panel, Bounds(2, 2, 10, 10));
      graphic->GetCanvas()->GetBrush()->SetColor(clRed);
    }
    host.ShowHost();
    ::RedrawWindow(host.GetHandle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Canvases drawing outside painting hold window DCs; freeing gives them back.
    for (int i = 0; i < host.GetControlCount(); ++i)
      if (auto* panel = dynamic_cast<TCustomControl*>(host.GetControl(i)))
        panel->GetCanvas()->FillRect(Rect(0, 0, 3, 3));
  };
  cycle();  // the first run makes what is made once (window classes, cached tools)
  const int windows = ThreadWindowCount();
  const int gdiObjects = GdiObjectCount();  // exact under Wine too, unlike the probe's slots
  ResourceProbe probe;
  for (int i = 0; i < 60; ++i) cycle();
  PumpMessages();
  probe.ExpectNoLeak();
  EXPECT_EQ(ThreadWindowCount(), windows);
  EXPECT_LE(GdiObjectCount(), gdiObjects + 2);
}

TEST_F(ControlMessages, TheParentHearsOfChildrenComingAndGoing) {
  Host->Log.Clear();
  auto* graphic = new TLogGraphic(Host.get(), Host.get(), Bounds(0, 0, 5, 5));
  ASSERT_EQ(Host->Log.Count(CM_CONTROLCHANGE), 1);
  EXPECT_EQ(Host->Log.Last(CM_CONTROLCHANGE)->WParam, reinterpret_cast<WPARAM>(graphic));
  EXPECT_EQ(Host->Log.Last(CM_CONTROLCHANGE)->LParam, TRUE);
  EXPECT_EQ(Host->Log.Count(CM_CONTROLLISTCHANGE), 1);
  graphic->SetParent(nullptr);
  EXPECT_EQ(Host->Log.Count(CM_CONTROLCHANGE), 2);
  EXPECT_EQ(Host->Log.Last(CM_CONTROLCHANGE)->LParam, FALSE);
  EXPECT_EQ(Host->GetControlCount(), 1);
  // Windowless children come before windowed ones, whatever the order of insertion.
  graphic->SetParent(Host.get());
  EXPECT_EQ(Host->GetControl(0), graphic);
  EXPECT_EQ(Host->GetControl(1), Child);
  EXPECT_THROW(Host->SetParent(Child), EInvalidOperation);  // a parent inside itself
  EXPECT_THROW(Child->SetParent(Child), EInvalidOperation);
}

// The system tells windows of a new theme; a parent passes it on to its windowless children,
// except one that a sibling's handler freed on the way.
TEST_F(ControlMessages, AThemeChangeReachesTheWindowlessChildrenStillThere) {
  auto* freer = new TThemeFreer(Host.get(), Host.get(), Bounds(0, 0, 5, 5));
  auto* freed = new TLogGraphic(Host.get(), Host.get(), Bounds(5, 0, 5, 5));
  auto* last = new TLogGraphic(Host.get(), Host.get(), Bounds(10, 0, 5, 5));
  freer->Victim = freed;
  ::SendMessageW(Host->GetHandle(), WM_THEMECHANGED, 0, 0);
  EXPECT_EQ(freer->Victim, nullptr);
  EXPECT_EQ(freer->Log.Count(WM_THEMECHANGED), 1);
  EXPECT_EQ(last->Log.Count(WM_THEMECHANGED), 1);
}
