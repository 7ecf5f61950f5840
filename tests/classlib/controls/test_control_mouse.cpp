// The mouse: CM_MOUSEENTER/CM_MOUSELEAVE for windowed and windowless controls (also while
// the mouse is captured), the click rules, double clicks, and an exception from a handler.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"

using namespace control_tests;

namespace {

// The enter and leave events of several controls, as "+name" and "-name".
struct EnterLeaveLog {
  std::vector<String> Events;
  void Watch(TControl* control, const String& name) {
    control->SetOnMouseEnter([this, name](TObject*) { Events.push_back(L"+" + name); });
    control->SetOnMouseLeave([this, name](TObject*) { Events.push_back(L"-" + name); });
  }
  std::vector<String> Take() { return std::exchange(Events, {}); }
};

using Events = std::vector<String>;

class ControlMouse : public ::testing::Test {
 protected:
  void SetUp() override {
    PutPointerAway();  // leave messages then find nothing there, and no window is entered
    Host = std::make_unique<TTestHost>(100, 100, 400, 300);
    Graphic = new TLogGraphic(Host.get(), Host.get(), Bounds(10, 10, 50, 50));
    Window = new TLogWindow(Host.get(), Host.get(), Bounds(200, 10, 50, 50));
    Host->ShowHost();
    Log.Watch(Host.get(), L"host");
    Log.Watch(Graphic, L"graphic");
    Log.Watch(Window, L"window");
    Graphic->SetOnClick([this](TObject*) { ++GraphicClicks; });
    Window->SetOnClick([this](TObject*) { ++WindowClicks; });
  }
  void TearDown() override {
    ::ReleaseCapture();
    Host.reset();
  }
  void MoveOnHost(int x, int y, WPARAM keys = 0) {
    ::SendMessageW(Host->GetHandle(), WM_MOUSEMOVE, keys, At(x, y));
  }

  std::unique_ptr<TTestHost> Host;
  TLogGraphic* Graphic = nullptr;
  TLogWindow* Window = nullptr;
  EnterLeaveLog Log;
  int GraphicClicks = 0;
  int WindowClicks = 0;
};

}  // namespace

TEST_F(ControlMouse, EnterAndLeaveFollowTheMouseAcrossWindowlessAndWindowedControls) {
  MoveOnHost(100, 100);
  EXPECT_EQ(Log.Take(), (Events{L"+host"}));
  MoveOnHost(20, 20);
  EXPECT_EQ(Log.Take(), (Events{L"-host", L"+graphic"}));
  MoveOnHost(25, 25);  // still inside: nothing new
  EXPECT_TRUE(Log.Take().empty());
  // The parent hears of its child's enter with the child in LParam.
  const TMessage* enter = Host->Log.Last(CM_MOUSEENTER);
  ASSERT_NE(enter, nullptr);
  EXPECT_EQ(enter->LParam, reinterpret_cast<LPARAM>(Graphic));
  EXPECT_EQ(Graphic->Log.Last(CM_MOUSEENTER)->LParam, 0);

  ::SendMessageW(Window->GetHandle(), WM_MOUSEMOVE, 0, At(5, 5));
  EXPECT_EQ(Log.Take(), (Events{L"-graphic", L"+window"}));

  // The system says the mouse left the window (it is now over no window of ours).
  ::SendMessageW(Window->GetHandle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Log.Take(), (Events{L"-window"}));
  EXPECT_EQ(GetMouseControl(), nullptr);

  // A leave of a window the mouse is not in any more changes nothing.
  MoveOnHost(20, 20);
  Log.Take();
  ::SendMessageW(Window->GetHandle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_TRUE(Log.Take().empty());
  ::SendMessageW(Host->GetHandle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Log.Take(), (Events{L"-graphic"}));
}

TEST_F(ControlMouse, EnterAndLeaveAlsoWhileTheMouseIsCaptured) {
  MoveOnHost(20, 20);
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  ASSERT_EQ(GetCaptureControl(), Graphic);
  Log.Take();

  MoveOnHost(150, 150, MK_LBUTTON);  // over the host, captured by the graphic control
  EXPECT_EQ(Log.Take(), (Events{L"-graphic", L"+host"}));
  MoveOnHost(-500, -500, MK_LBUTTON);  // off the host, over no window of ours
  EXPECT_EQ(Log.Take(), (Events{L"-host"}));
  MoveOnHost(20, 20, MK_LBUTTON);
  EXPECT_EQ(Log.Take(), (Events{L"+graphic"}));
  EXPECT_EQ(GetCaptureControl(), Graphic);  // the moves went to the capturing control
  EXPECT_EQ(Graphic->Log.Count(WM_MOUSEMOVE), 4);

  ::SendMessageW(Host->GetHandle(), WM_LBUTTONUP, 0, At(20, 20));
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(GraphicClicks, 1);
}

TEST_F(ControlMouse, APressAndAReleaseOnTheControlClickIt) {
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  EXPECT_TRUE(Graphic->GetMouseCapture());
  EXPECT_EQ(::GetCapture(), Host->GetHandle());  // through the parent's window
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONUP, 0, At(30, 30));
  EXPECT_EQ(GraphicClicks, 1);
  EXPECT_FALSE(Graphic->GetMouseCapture());

  // Released outside: captured all the same, but no click.
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONUP, 0, At(150, 150));
  EXPECT_EQ(GraphicClicks, 1);
  // The release went to the graphic control, not to the host under the mouse.
  EXPECT_EQ(Graphic->Log.Count(WM_LBUTTONUP), 2);

  // A windowed control: the same rule through its own window.
  ::SendMessageW(Window->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  EXPECT_EQ(::GetCapture(), Window->GetHandle());
  ::SendMessageW(Window->GetHandle(), WM_LBUTTONUP, 0, At(6, 6));
  EXPECT_EQ(WindowClicks, 1);
  EXPECT_EQ(::GetCapture(), nullptr);

  // Pressed outside, released inside: the press and release were the host's.
  int hostClicks = 0;
  Host->SetOnClick([&](TObject*) { ++hostClicks; });
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(150, 150));
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONUP, 0, At(20, 20));
  EXPECT_EQ(GraphicClicks, 1);
  EXPECT_EQ(hostClicks, 1);
}

TEST_F(ControlMouse, AControlThatClicksByItselfClicksOnce) {
  // Such a control drops csClickEvents and calls Click from its own MouseUp.
  class TSelfClicker : public TGraphicControl {
   public:
    using TGraphicControl::TGraphicControl;
   protected:
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
      TGraphicControl::MouseUp(button, shift, x, y);
      if (button == mbLeft) Click();
    }
  };
  auto* clicker = new TSelfClicker(Host.get());
  clicker->SetControlStyle(clicker->GetControlStyle() - TControlStyle{csClickEvents});
  clicker->SetBounds(100, 100, 30, 30);
  clicker->SetParent(Host.get());
  int clicks = 0;
  clicker->SetOnClick([&](TObject*) { ++clicks; });
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(110, 110));
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONUP, 0, At(110, 110));
  EXPECT_EQ(clicks, 1);
}

TEST_F(ControlMouse, DoubleClicksFollowCsDoubleClicks) {
  int doubleClicks = 0;
  Graphic->SetOnDblClick([&](TObject*) { ++doubleClicks; });
  const auto doubleClick = [this] {
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
      ::SendMessageW(Host->GetHandle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, At(20, 20));
  };
  doubleClick();
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(GraphicClicks, 1);  // the second press was a double click, not a press

  // Without csDoubleClicks the double click arrives as a second press: two clicks.
  Graphic->SetControlStyle(Graphic->GetControlStyle() - TControlStyle{csDoubleClicks});
  doubleClick();
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(GraphicClicks, 3);
}

TEST_F(ControlMouse, MouseEventsCarryTheControlsOwnCoordinates) {
  std::vector<TPoint> downs;
  Graphic->SetOnMouseDown([&](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    EXPECT_EQ(button, mbRight);
    EXPECT_TRUE(shift.Contains(ssShift));
    downs.push_back(TPoint(x, y));
  });
  ::SendMessageW(Host->GetHandle(), WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, At(15, 25));
  ::SendMessageW(Host->GetHandle(), WM_RBUTTONUP, 0, At(15, 25));
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0], TPoint(5, 15));
}

TEST_F(ControlMouse, AnExceptionInAHandlerReachesTheHookAndTheProgramGoesOn) {
  ExceptionRecorder recorder;
  Window->SetOnClick([](TObject*) { throw EInvalidOperation(L"click failed"); });
  ::SendMessageW(Window->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  ::SendMessageW(Window->GetHandle(), WM_LBUTTONUP, 0, At(5, 5));
  ASSERT_EQ(recorder.Messages.size(), 1u);
  EXPECT_EQ(recorder.Messages[0], L"click failed");
  EXPECT_EQ(recorder.Senders[0], Window);

  // The window still works, and so does a posted message through the message loop.
  Window->SetOnClick([this](TObject*) { ++WindowClicks; });
  ::PostMessageW(Window->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  ::PostMessageW(Window->GetHandle(), WM_LBUTTONUP, 0, At(5, 5));
  PumpMessages();
  EXPECT_EQ(WindowClicks, 1);
  EXPECT_EQ(recorder.Messages.size(), 1u);

  // An exception while painting a windowless child also stops at the hook.
  class TFailingPaint : public TGraphicControl {
   public:
    using TGraphicControl::TGraphicControl;
   protected:
    void Paint() override { throw EInvalidGraphic(L"paint failed"); }
  };
  auto* failing = new TFailingPaint(Host.get());
  failing->SetBounds(300, 200, 20, 20);
  failing->SetParent(Host.get());
  ::RedrawWindow(Host->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_EQ(recorder.Messages.size(), 2u);
  EXPECT_EQ(recorder.Messages[1], L"paint failed");
}

TEST_F(ControlMouse, FreeingTheControlUnderTheMouseForgetsIt) {
  MoveOnHost(20, 20);
  EXPECT_EQ(GetMouseControl(), Graphic);
  delete Graphic;
  Graphic = nullptr;
  EXPECT_EQ(GetMouseControl(), nullptr);
  Log.Take();
  MoveOnHost(30, 30);  // no leave to the freed control; the host is entered
  EXPECT_EQ(Log.Take(), (Events{L"+host"}));
}

TEST_F(ControlMouse, AClickThatFreesItsControlIsSafe) {
  Graphic->SetOnClick([this](TObject*) {
    delete Graphic;
    Graphic = nullptr;
  });
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONUP, 0, At(20, 20));
  EXPECT_EQ(Graphic, nullptr);
  EXPECT_EQ(Host->GetControlCount(), 1);
}

TEST_F(ControlMouse, DraggingAControlOntoATargetThatAcceptsIt) {
  auto* target = new TLogGraphic(Host.get(), Host.get(), Bounds(100, 100, 50, 50), clBlue);
  std::vector<String> trail;
  target->SetOnDragOver([&](TObject*, TObject* source, int x, int y, TDragState state,
                            bool& accept) {
    EXPECT_EQ(source, Graphic);
    trail.push_back(state == dsDragEnter ? L"enter" : state == dsDragMove ? L"move" : L"leave");
    accept = true;
  });
  TPoint dropped(-1, -1);
  target->SetOnDragDrop([&](TObject*, TObject* source, int x, int y) { dropped = TPoint(x, y); });
  TObject* endTarget = nullptr;
  Graphic->SetOnEndDrag([&](TObject*, TObject* t, int, int) { endTarget = t; });
  Graphic->SetDragMode(dmAutomatic);

  ::SendMessageW(Host->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  EXPECT_TRUE(Graphic->Dragging());
  EXPECT_EQ(GraphicClicks, 0);
  MoveOnHost(110, 110, MK_LBUTTON);
  MoveOnHost(120, 125, MK_LBUTTON);
  ::SendMessageW(Host->GetHandle(), WM_LBUTTONUP, 0, At(120, 125));
  EXPECT_FALSE(Graphic->Dragging());
  EXPECT_EQ(trail, (std::vector<String>{L"enter", L"move"}));
  EXPECT_EQ(dropped, TPoint(20, 25));
  EXPECT_EQ(endTarget, target);
  EXPECT_EQ(GraphicClicks, 0);  // a drag is not a click
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

// A dock drag tells OnStartDock and OnEndDock, never the drag events, whether it begins at
// once (automatic) or once the mouse passes the threshold (begun by code, as a floating
// window's caption begins it). The dock rectangle is the control's own; the end tells where
// in the site it was dropped.
TEST_F(ControlMouse, ADockDragTellsTheDockEventsInsteadOfTheDragEvents) {
  Window->SetDockSite(true);
  Graphic->SetDragKind(dkDock);
  Events events;
  Graphic->SetOnStartDrag([&](TObject*) { events.push_back(L"start drag"); });
  Graphic->SetOnEndDrag([&](TObject*, TObject*, int, int) { events.push_back(L"end drag"); });
  TRect dockRect;
  Graphic->SetOnStartDock([&](TObject* sender, TDragDockObject* drag) {
    EXPECT_EQ(sender, Graphic);
    EXPECT_EQ(drag->GetControl(), Graphic);
    dockRect = drag->GetDockRect();
    events.push_back(L"start dock");
  });
  TObject* site = nullptr;
  TPoint droppedAt;
  Graphic->SetOnEndDock([&](TObject*, TObject* target, int x, int y) {
    site = target;
    droppedAt = TPoint(x, y);
    events.push_back(L"end dock");
  });
  for (const bool atOnce : {true, false}) {
    SCOPED_TRACE(atOnce ? "at once" : "past the threshold");
    events.clear(), dockRect = TRect(), site = nullptr, droppedAt = TPoint();
    Graphic->SetParent(Host.get());
    Graphic->SetBounds(10, 10, 60, 30);  // not square: width and height cannot pass swapped
    const TPoint origin = Host->ClientToScreen(TPoint(10, 10));
    Graphic->SetDragMode(atOnce ? dmAutomatic : dmManual);
    const TPoint press = Host->ClientToScreen(TPoint(20, 20));
    ::SetCursorPos(press.X, press.Y);
    ::SendMessageW(Host->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    if (!atOnce) {
      Graphic->BeginDrag(false, 5);
      MoveOnHost(23, 22, MK_LBUTTON);  // inside the threshold: not begun
      EXPECT_TRUE(events.empty());
    }
    MoveOnHost(120, 120, MK_LBUTTON);
    MoveOnHost(215, 30, MK_LBUTTON);  // over the dock site, at (15, 20) in it
    ::SendMessageW(Host->GetHandle(), WM_LBUTTONUP, 0, At(215, 30));
    EXPECT_EQ(events, (Events{L"start dock", L"end dock"}));
    EXPECT_EQ(site, Window);
    EXPECT_EQ(droppedAt, TPoint(15, 20));
    EXPECT_EQ(Graphic->GetParent(), Window);
    EXPECT_EQ(dockRect, Bounds(origin.X, origin.Y, 60, 30));  // where it was when the drag began
  }
}

TEST_F(ControlMouse, AnUnhandledWheelGoesToTheParent) {
  int hostWheels = 0;
  Host->SetOnMouseWheel([&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
    EXPECT_EQ(delta, -120);
    ++hostWheels;
    handled = true;
  });
  POINT screen{210, 20};
  ::ClientToScreen(Host->GetHandle(), &screen);
  ::SendMessageW(Window->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)),
                 MAKELPARAM(screen.x, screen.y));
  EXPECT_EQ(hostWheels, 1);
  EXPECT_EQ(Window->Log.Count(CM_MOUSEWHEEL), 1);
}
