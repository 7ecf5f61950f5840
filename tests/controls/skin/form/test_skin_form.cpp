// The form decoration on real windows driven by real messages: the frame and hit-testing,
// dragging and sizing by mouse messages in both modes with snapping and a capture lost
// mid-drag, the window-state machine, painting classic and themed against the system's own
// drawing, the four buffer modes, layouts with Chinese text and bad values, leak probes and
// screenshots.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "classlib/classes/Layouts.h"
#include "classlib/controls/MiddleEast.h"
#include "classlib/forms/Monitors.h"
#include "classlib/stdctrls/Buttons.h"
#include "classlib/system/SysMath.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/controls/SkinCheckBox.h"
#include "controls/skin/controls/SkinLabel.h"
#include "controls/skin/controls/SkinScrollBar.h"
#include "controls/skin/form/SkinForm.h"
#include "tests/classlib/forms/FormsTestSupport.h"
// clang-format off
#include <vssym32.h>
// clang-format on

using namespace skin_tests;

namespace {

class SkinFormTestBase : public SkinFormTest {
 public:
  void SetUp() override {
    SkinFormTest::SetUp();
    Form->SetCaption(L"考试练习 — 窗体");
  }
  void TearDown() override {
    delete Skin;
    Skin = nullptr;
    SkinFormTest::TearDown();
  }
  // Decorates the form and shows it.
  void Decorate(bool minimizeApplication = false) {
    Skin = new TSeCustomForm(Form);
    Skin->SetMinimizeApplication(minimizeApplication);
    ShowForm();
  }
  HWND Wnd() const { return Form->GetHandle(); }
  TPoint WindowOrigin() const {
    RECT r{};
    ::GetWindowRect(Wnd(), &r);
    return TPoint(r.left, r.top);
  }
  // The screen point of a window point.
  TPoint Screen(int x, int y) const {
    const TPoint o = WindowOrigin();
    return TPoint(o.X + x, o.Y + y);
  }
  LRESULT HitAt(int x, int y) const {
    const TPoint s = Screen(x, y);
    return ::SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(s.X, s.Y));
  }
  // A frame press at window point (x, y), moves by (dx, dy) in steps, and the release, as
  // the system delivers them once the window has the capture.
  void DragFrame(int x, int y, int dx, int dy, int steps = 4) {
    const TPoint s = Screen(x, y);
    const LRESULT hit = HitAt(x, y);
    ::SendMessageW(Wnd(), WM_NCLBUTTONDOWN, hit, MAKELPARAM(s.X, s.Y));
    for (int i = 1; i <= steps; ++i) MoveMouseTo(s.X + dx * i / steps, s.Y + dy * i / steps);
    const TPoint c = ClientPoint(s.X + dx, s.Y + dy);
    ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(c.X, c.Y));
    Pump();
  }
  void MoveMouseTo(int sx, int sy) {
    const TPoint c = ClientPoint(sx, sy);
    ::SendMessageW(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.X, c.Y));
  }
  TPoint ClientPoint(int sx, int sy) const {
    POINT p{sx, sy};
    ::ScreenToClient(Wnd(), &p);
    return TPoint(p.x, p.y);
  }
  // A click on a caption button: press and release at its centre.
  void ClickButton(TSeBorderIcon icon) {
    const TRect r = Skin->GetButtonRect(icon);
    ASSERT_FALSE(IsRectEmpty(r)) << icon;
    ClickFrame((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void ClickFrame(int x, int y) {
    const TPoint s = Screen(x, y);
    const LRESULT hit = HitAt(x, y);
    ::SendMessageW(Wnd(), WM_NCLBUTTONDOWN, hit, MAKELPARAM(s.X, s.Y));
    ::SendMessageW(Wnd(), WM_NCLBUTTONUP, hit, MAKELPARAM(s.X, s.Y));
    Pump();
  }
  // The second press is queued while the first click acts, as it is when the first click
  // opens the system menu (whose loop ends on it and leaves it to the form).
  void DoubleClickFrame(int x, int y) {
    const TPoint s = Screen(x, y);
    ::PostMessageW(Wnd(), WM_NCLBUTTONDBLCLK, HitAt(x, y), MAKELPARAM(s.X, s.Y));
    ClickFrame(x, y);
    Pump();
  }
  // What the screen shows of the window's frame.
  void CaptureWindow(MemorySurface& surface) {
    Pump();
    RECT r{};
    ::GetWindowRect(Wnd(), &r);
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(surface.DC(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
  }
  void StateMachine();
  TSeCustomForm* Skin = nullptr;
};

TEST_F(SkinFormTestBase, FrameReplacesTheSystemsAndAnswersHitTestingEverywhere) {
  Decorate();
  const TSeFrameMetrics m = SystemFrameMetrics();
  // The client area is what the frame leaves.
  RECT client{};
  ::GetClientRect(Wnd(), &client);
  EXPECT_EQ(client.right, 400 - 2 * m.Frame);
  EXPECT_EQ(client.bottom, 300 - 2 * m.Frame - m.Caption);
  POINT origin{0, 0};
  ::ClientToScreen(Wnd(), &origin);
  EXPECT_EQ(TPoint(origin.x, origin.y), Screen(m.Frame, m.Frame + m.Caption));
  // Every edge, corner, the caption and the buttons.
  EXPECT_EQ(HitAt(0, 0), HTTOPLEFT);
  EXPECT_EQ(HitAt(200, 0), HTTOP);
  EXPECT_EQ(HitAt(399, 1), HTTOPRIGHT);
  EXPECT_EQ(HitAt(0, 150), HTLEFT);
  EXPECT_EQ(HitAt(399, 150), HTRIGHT);
  EXPECT_EQ(HitAt(200, 299), HTBOTTOM);
  EXPECT_EQ(HitAt(0, 299), HTBOTTOMLEFT);
  EXPECT_EQ(HitAt(399, 299), HTBOTTOMRIGHT);
  EXPECT_EQ(HitAt(200, m.Frame + 3), HTCAPTION);
  EXPECT_EQ(HitAt(200, 150), HTCLIENT);
  const auto centre = [&](TSeBorderIcon icon) {
    const TRect r = Skin->GetButtonRect(icon);
    return HitAt((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  };
  EXPECT_EQ(centre(vbiClose), HTCLOSE);
  EXPECT_EQ(centre(vbiMaximize), HTMAXBUTTON);
  EXPECT_EQ(centre(vbiMinimize), HTMINBUTTON);
  // Not sizeable, not moveable.
  Skin->GetDragging()->SetSizeable(false);
  Skin->GetDragging()->SetMoveable(false);
  EXPECT_EQ(HitAt(0, 0), HTCLIENT);
  EXPECT_EQ(HitAt(200, m.Frame + 3), HTCLIENT);
  Skin->GetDragging()->SetSizeable(true);
  Skin->GetDragging()->SetMoveable(true);
  // Maximized: no sizing, the caption moves nothing but still answers as one.
  Skin->Maximize();
  EXPECT_EQ(Skin->GetWindowState(), vwsMaximized);
  EXPECT_EQ(HitAt(m.Frame + 30, m.Frame + 3), HTCAPTION);
  EXPECT_EQ(HitAt(2, 200), HTCLIENT);
  Skin->Restore();
  // Without a border the whole window is client.
  Skin->SetBorderStyle(vbsNone);
  ::GetClientRect(Wnd(), &client);
  RECT window{};
  ::GetWindowRect(Wnd(), &window);
  EXPECT_EQ(client.right, window.right - window.left);
  EXPECT_EQ(HitAt(0, 0), HTCLIENT);
  // The form's shortcut handler is wrapped while decorated and given back at the end.
  int shortcuts = 0;
  Form->SetOnShortCut([&](TMessage&, bool&) { ++shortcuts; });
  auto* second = new TSeCustomForm(Form);
  TMessage key{WM_KEYDOWN, 'O', 0, 0};
  bool handled = false;
  Form->GetOnShortCut()(key, handled);
  EXPECT_EQ(shortcuts, 1);
  delete second;
  Form->GetOnShortCut()(key, handled);
  EXPECT_EQ(shortcuts, 2);
  // The message skins use, and the message component's factory.
  EXPECT_EQ(FormSkinOf(Form), static_cast<TSeFormSkin*>(Skin));
  EXPECT_EQ(FindFormSkin(Form), Skin);
  EXPECT_TRUE(FormSkinOf(Form)->HasBorderIcon(TSeFormSkin::biRollUp));
  EXPECT_FALSE(FormSkinOf(Form)->HasBorderIcon(TSeFormSkin::biHelp));
}

// Transparent controls on a decorated form, windowed and windowless, buffered or not, ask the
// decoration for their background: they show its painting, not the form's plain colour.
TEST_F(SkinFormTestBase, TransparentControlsShowTheDecorationsPaintingOfTheClient) {
  Form->SetColor(clBtnFace);
  auto* box = new TSeCustomCheckBox(Form);
  box->SetParent(Form);
  box->SetBounds(10, 10, 120, 20);
  box->SetCaption(L"听力");
  auto* label = new TSeCustomLabel(Form);
  label->SetParent(Form);
  label->SetAutoSize(false);
  label->SetBounds(10, 40, 120, 20);
  label->SetCaption(L"姓名");
  Decorate();
  Skin->OnPaint = [this](TObject*) {
    TCanvas* canvas = Skin->GetCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->GetBrush()->SetColor(clLime);
    canvas->FillRect(TRect(0, 0, 2000, 2000));
  };
  Pump();
  for (TSePerformance performance : {vxpNoBuffer, vxpSharedBuffer, vxpDoubleBuffer}) {
    box->SetPerformance(performance);
    label->SetPerformance(performance);
    MemorySurface boxSurface(120, 20, clWhite);
    PaintWindowInto(box, boxSurface);
    EXPECT_EQ(boxSurface.At(117, 2), clLime) << performance;  // right of the caption
    MemorySurface labelSurface(120, 20, clWhite);
    label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(labelSurface.DC()), 0);
    ::GdiFlush();
    EXPECT_EQ(labelSurface.At(117, 2), clLime) << performance;
    // And so on the screen.
    ::RedrawWindow(Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    for (TControl* control : {static_cast<TControl*>(box), static_cast<TControl*>(label)}) {
      const TPoint at = control->ClientToScreen(TPoint(117, 2));
      HDC screen = ::GetDC(nullptr);
      const COLORREF pixel = ::GetPixel(screen, at.X, at.Y);
      ::ReleaseDC(nullptr, screen);
      EXPECT_EQ(pixel, RGB(0, 255, 0)) << performance << " " << StringToUtf8(control->ClassName());
    }
  }
  SaveScreenshot(Wnd(), L"skin_form_transparent_children_1024");
  Form->SetBounds(100, 100, 320, 200);
  Pump();
  SaveScreenshot(Wnd(), L"skin_form_transparent_children_800");
}

TEST_F(SkinFormTestBase, ChildrenPastTheClientGiveNoScrollBarsAndTheWheelScrollsNothing) {
  auto* beyond = new TButton(Form);
  beyond->SetParent(Form);
  beyond->SetBounds(500, 420, 80, 24);  // right of and below the client
  Decorate();
  EXPECT_FALSE(Form->GetAutoScroll());
  const LONG style = ::GetWindowLongW(Wnd(), GWL_STYLE);
  EXPECT_EQ(style & (WS_HSCROLL | WS_VSCROLL), 0);
  const TPoint middle = Screen(200, 150);
  ::SendMessageW(Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)),
                 MAKELPARAM(middle.X, middle.Y));
  Pump();
  EXPECT_EQ(beyond->GetTop(), 420);
  EXPECT_EQ(beyond->GetLeft(), 500);
  SaveScreenshot(Wnd(), L"skin_form_children_past_client");
}

// The program's shortcut handlers survive components that come and go in any order: one set
// while a component is on the form stays when it goes, and a component freed under another
// leaves only a pass-through behind.
TEST_F(SkinFormTestBase, ShortCutHandlersSetMeanwhileStayWhenComponentsGo) {
  int before = 0, later = 0;
  TMessage key{WM_KEYDOWN, 'O', 0, 0};
  bool handled = false;
  const auto press = [&] { Form->GetOnShortCut()(key, handled); };
  Form->SetOnShortCut([&](TMessage&, bool&) { ++before; });
  Skin = new TSeCustomForm(Form);
  Form->SetOnShortCut([&](TMessage&, bool&) { ++later; });
  delete Skin;
  Skin = nullptr;
  press();
  EXPECT_EQ(later, 1);  // the program's later handler was not overwritten
  EXPECT_EQ(before, 0);
  // Two components freed in the order they came: the earliest handler is reached throughout.
  Form->SetOnShortCut([&](TMessage&, bool&) { ++before; });
  auto* first = new TSeCustomForm(Form);
  auto* second = new TSeCustomForm(Form);
  delete first;
  press();
  EXPECT_EQ(before, 1);
  delete second;
  press();
  EXPECT_EQ(before, 2);
  EXPECT_EQ(later, 1);
}

TEST_F(SkinFormTestBase, DraggingAndSizingByMouseWithSnappingAndTheMinimumSize) {
  Watchdog watchdog(60);
  Decorate();
  Skin->GetGravitation()->SetEnabled(false);
  const int f = SystemFrameMetrics().Frame;
  DragFrame(200, f + 3, 50, 30);
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(150, 130, 400, 300));
  // Every edge and corner.
  DragFrame(399, 150, 20, 0);
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(150, 130, 420, 300));
  DragFrame(200, 299, 0, 25);
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(150, 130, 420, 325));
  DragFrame(0, 150, -10, 0);
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(140, 130, 430, 325));
  DragFrame(200, 0, 0, -10);
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(140, 120, 430, 335));
  DragFrame(429, 334, 10, 5);
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(140, 120, 440, 340));
  // Dragged far inside, the form stops at 150 x 40, then at the constraints.
  DragFrame(0, 0, 600, 600);
  EXPECT_EQ(Form->GetBoundsRect(), TRect(580 - 150, 460 - 40, 580, 460));
  DragFrame(149, 39, 300, 200);
  Skin->GetConstraints()->SetMinWidth(220);
  Skin->GetConstraints()->SetMinHeight(90);
  Form->SetBounds(100, 100, 400, 300);
  DragFrame(0, 0, 600, 600);
  EXPECT_EQ(Form->GetWidth(), 220);
  EXPECT_EQ(Form->GetHeight(), 90);
  // Snapping: near the work area's edge the form lies on it.
  Skin->GetGravitation()->SetEnabled(true);
  const TRect area = MonitorWorkAreaOf(Wnd());
  Form->SetBounds(area.Left + 100, area.Top + 100, 300, 200);
  DragFrame(150, f + 3, -90, -95);
  EXPECT_EQ(Form->GetLeft(), area.Left);
  EXPECT_EQ(Form->GetTop(), area.Top);
  // Only a caption drag that moves the form snaps: a maximized form (whose frame lies past
  // the work area) and one that may not be moved stay where they are.
  Skin->Maximize();
  const TRect maximized = Form->GetBoundsRect();
  DragFrame(150, f + 3, 30, 20);
  EXPECT_EQ(Form->GetBoundsRect(), maximized);
  Skin->Restore();
  Skin->GetDragging()->SetMoveable(false);
  Form->SetBounds(area.Left + 10, area.Top + 10, 300, 200);
  DragFrame(150, f + 3, 30, 20);
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(area.Left + 10, area.Top + 10, 300, 200));
}

TEST_F(SkinFormTestBase, OutlineDragMovesOnReleaseAndALostCaptureEndsTheDrag) {
  Watchdog watchdog(60);
  Decorate();
  Skin->GetGravitation()->SetEnabled(false);
  Skin->GetDragging()->SetDragMode(vfdmBorder);
  const int f = SystemFrameMetrics().Frame;
  const TPoint s = Screen(200, f + 3);
  ::SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(s.X, s.Y));
  EXPECT_TRUE(Skin->IsFrameDragging());
  MoveMouseTo(s.X + 40, s.Y + 20);
  // Only the outline moves.
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(100, 100, 400, 300));
  const TPoint c = ClientPoint(s.X + 40, s.Y + 20);
  ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(c.X, c.Y));
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(140, 120, 400, 300));
  EXPECT_FALSE(Skin->IsFrameDragging());

  // The capture taken away mid-drag: the drag ends, frame painting comes back, the form
  // stays where it was.
  ::SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(s.X + 40, s.Y + 20));
  MoveMouseTo(s.X + 100, s.Y + 80);
  ::SendMessageW(Wnd(), WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(Skin->IsFrameDragging());
  MoveMouseTo(s.X + 120, s.Y + 90);
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(140, 120, 400, 300));
  // Frame painting is on again: a repaint draws the caption.
  ::RedrawWindow(Wnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  MemorySurface shot(400, 300);
  CaptureWindow(shot);
  const TRect band = FrameCaptionBand(Skin->FrameLayout());
  EXPECT_NE(shot.At(band.Left + band.Width() / 2, band.Top + 2), shot.At(200, 150));
  // A full drag loses its capture the same way.
  Skin->GetDragging()->SetDragMode(vfdmFullDrag);
  ::SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(s.X + 40, s.Y + 20));
  ::SendMessageW(Wnd(), WM_CAPTURECHANGED, 0, 0);
  EXPECT_FALSE(Skin->IsFrameDragging());
}

TEST_F(SkinFormTestBase, StateMachineByButtonsDoubleClicksAndEvents) {
  Watchdog watchdog(60);
  WithoutThemes([&] { StateMachine(); });
}

void SkinFormTestBase::StateMachine() {
  Decorate();
  const TRect normal = Bounds(100, 100, 400, 300);
  // Maximize twice restores.
  ClickButton(vbiMaximize);
  EXPECT_EQ(Skin->GetWindowState(), vwsMaximized);
  EXPECT_EQ(Form->GetBoundsRect(), Skin->GetMaximizedRect());
  ClickButton(vbiMaximize);
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
  EXPECT_EQ(Form->GetBoundsRect(), normal);
  // Maximized, minimized, restored: maximized again, then back to the normal bounds.
  Skin->Maximize();
  ClickButton(vbiMinimize);
  EXPECT_EQ(Skin->GetWindowState(), vwsMinimized);
  EXPECT_EQ(Form->GetBoundsRect(), Skin->GetMinimizedRect());
  EXPECT_EQ(Skin->GetSavedBounds(), normal);
  // The minimized flag of WM_ACTIVATE on a minimized form restores nothing.
  ::SendMessageW(Wnd(), WM_NCACTIVATE, FALSE, 0);
  ::SendMessageW(Wnd(), WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, TRUE), 0);
  EXPECT_EQ(Skin->GetWindowState(), vwsMinimized);
  Skin->Restore();
  EXPECT_EQ(Skin->GetWindowState(), vwsMaximized);
  Skin->Restore();
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
  EXPECT_EQ(Form->GetBoundsRect(), normal);
  // Rolled up, moved, restored: the new place with the old size.
  ClickButton(vbiRollup);
  EXPECT_EQ(Skin->GetWindowState(), vwsRollup);
  EXPECT_EQ(Form->GetHeight(), Skin->GetRollupRect().Height());
  Form->SetBounds(160, 170, Form->GetWidth(), Form->GetHeight());
  ClickButton(vbiRollup);
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(160, 170, 400, 300));
  // A caption double-click maximizes only with the maximize button.
  const int f = SystemFrameMetrics().Frame;
  DoubleClickFrame(200, f + 3);
  EXPECT_EQ(Skin->GetWindowState(), vwsMaximized);
  DoubleClickFrame(200, f + 3);
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
  Skin->SetBorderIcons(TSeBorderIcons{vbiClose, vbiSystemMenu});
  DoubleClickFrame(200, f + 3);
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
  // Events that refuse.
  int asked = 0;
  Skin->OnMaximize = [&](TObject*, bool& allow) { ++asked, allow = false; };
  Skin->SetWindowState(vwsMaximized);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
  // A state beyond the last is ignored.
  Skin->SetWindowState(static_cast<TSeWindowState>(9));
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
  // A system-menu double-click closes the form (hidden: it is not the main form).
  Skin->OnClose = [&](TObject*, bool& allow) { allow = false; };
  const TRect menu = Skin->GetButtonRect(vbiSystemMenu);
  DoubleClickFrame(menu.Left + 3, menu.Top + 3);
  EXPECT_TRUE(::IsWindowVisible(Wnd()));
  Skin->OnClose = nullptr;
  DoubleClickFrame(menu.Left + 3, menu.Top + 3);
  EXPECT_FALSE(::IsWindowVisible(Wnd()));
}

// The close actions OnClose picks, carried out by the component; a quit asked for before a
// state change still ends the program's loop; the frame drawn again after context help.
TEST_F(SkinFormTestBase, CloseActionsAQuitBeforeAStateChangeAndContextHelp) {
  Watchdog watchdog(60);
  WithoutThemes([&] {
    Decorate();
    const TRect normal = Form->GetBoundsRect();
    // caMinimize is the component's Minimize, which its Restore takes back.
    Form->SetOnClose([](TObject*, TCloseAction& action) { action = caMinimize; });
    ClickButton(vbiClose);
    EXPECT_EQ(Skin->GetWindowState(), vwsMinimized);
    EXPECT_EQ(Form->GetBoundsRect(), Skin->GetMinimizedRect());
    Skin->Restore();
    EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
    EXPECT_EQ(Form->GetBoundsRect(), normal);
    EXPECT_TRUE(::IsWindowVisible(Wnd()));
    Form->SetOnClose(nullptr);

    // The quit the program asked for is still there for its loop after the state changes.
    for (const bool maximize : {true, false}) {
      ::PostQuitMessage(7);
      if (maximize) Skin->Maximize();
      else Skin->Restore();
      MSG msg{};
      EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << maximize;
      EXPECT_EQ(msg.wParam, 7u) << maximize;
    }
    EXPECT_EQ(Skin->GetWindowState(), vwsNormal);

    // The form's own procedure handles context help (here it paints over the caption): the
    // frame is drawn again after it.
    const TWndMethod original = Form->GetWindowProc();
    Form->SetWindowProc([&](TMessage& message) {
      if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_CONTEXTHELP) {
        HDC dc = ::GetWindowDC(Wnd());
        RECT all{0, 0, Form->GetWidth(), Form->GetHeight()};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        ::ReleaseDC(Wnd(), dc);
        return;
      }
      original(message);
    });
    Skin->ShowContextHelp();
    Form->SetWindowProc(original);
    MemorySurface shown(Form->GetWidth(), Form->GetHeight(), clWhite);
    CaptureWindow(shown);
    const int f = SystemFrameMetrics().Frame;
    EXPECT_NE(shown.At(Form->GetWidth() - 150, f + 2), clBlack);
    EXPECT_NE(shown.At(3, Form->GetHeight() / 2), clBlack);  // the left frame strip
  });
}

// caFree hides the form at once; the release frees it when the queue is handled.
TEST_F(SkinFormTestBase, AFormFreedByItsCloseIsHiddenFirst) {
  Watchdog watchdog(30);
  TForm* other = TCustomForm::Create<TForm>(nullptr);
  other->SetBounds(150, 120, 300, 200);
  new TSeCustomForm(other);
  other->Show();
  Pump();
  const HWND wnd = other->GetHandle();
  other->SetOnClose([](TObject*, TCloseAction& action) { action = caFree; });
  ActiveFormSkinOf(other)->CloseForm();
  EXPECT_FALSE(::IsWindowVisible(wnd));
  Pump();
  EXPECT_FALSE(::IsWindow(wnd)) << "released";
}

// A decoration whose client rectangle is its own: wider margins and a taller caption.
class TOwnClientForm : public TSeCustomForm {
  CLASSLIB_CLASS(TOwnClientForm, TSeCustomForm)
  explicit TOwnClientForm(TComponent* owner) : TSeCustomForm(owner) {}
  TRect ClientRectOf(const TSeFrameLayout& layout) const override {
    return TRect(8, 40, layout.Width - 8, layout.Height - 12);
  }
};

TEST_F(SkinFormTestBase, ADescendantsOwnClientRectangleLeadsHitTestingAndTheCaption) {
  Watchdog watchdog(30);
  WithoutThemes([&] {
    Skin = new TOwnClientForm(Form);
    Skin->SetMinimizeApplication(false);
    ShowForm();
    Skin->RefreshFrame();  // the window's frame as this class lays it out
    Pump();
    const int w = Form->GetWidth(), h = Form->GetHeight();
    // Inside the frame's own rule's client, outside this form's.
    EXPECT_EQ(HitAt(6, h / 2), HTLEFT);
    EXPECT_EQ(HitAt(w / 2, 30), HTCAPTION);
    EXPECT_EQ(HitAt(w / 2, h - 8), HTBOTTOM);
    EXPECT_EQ(HitAt(w / 2, h / 2), HTCLIENT);
    // The caption band lies over this client: the close button ends 2 pixels inside its right.
    const TRect close = Skin->GetButtonRect(vbiClose);
    EXPECT_EQ(close.Right, w - 8 - 2);
    EXPECT_LE(close.Bottom, 40);
    // And is painted there: the caption's horizontal gradient reaches below the frame rule's
    // caption, down to this client.
    MemorySurface shown(w, h, clWhite);
    CaptureWindow(shown);
    EXPECT_EQ(shown.At(w / 2, 36), shown.At(w / 2, 8));
    SaveScreenshot(Wnd(), L"skin_form_own_client");
    Form->SetBounds(Form->GetLeft(), Form->GetTop(), 260, 160);  // as on an 800 x 600 screen
    SaveScreenshot(Wnd(), L"skin_form_own_client_small");
  });
}

// Looks at the window while the close button is placed for painting: what the screen shows
// then of that button and of the caption band.
class TWatchedCaptionForm : public TSeCustomForm {
  CLASSLIB_CLASS(TWatchedCaptionForm, TSeCustomForm)
  explicit TWatchedCaptionForm(TComponent* owner) : TSeCustomForm(owner) {}
  bool Watch = false;
  TPoint InBand;
  mutable COLORREF Button = CLR_INVALID, Band = CLR_INVALID;
  TRect GetButtonRect(TSeBorderIcon icon) const override {
    const TRect r = TSeCustomForm::GetButtonRect(icon);
    if (Watch && icon == vbiClose && Button == CLR_INVALID) {
      HDC dc = ::GetWindowDC(GetHandle());
      Button = ::GetPixel(dc, r.Left + 3, r.Top + 3);
      Band = ::GetPixel(dc, InBand.X, InBand.Y);
      ::ReleaseDC(GetHandle(), dc);
    }
    return r;
  }
};

// Without a buffer the caption is still drawn in one step: a repaint (as at every hot change
// over the buttons) never shows the band drawn over the buttons or filled grey.
TEST_F(SkinFormTestBase, TheUnbufferedCaptionNeverShowsHalfDrawn) {
  Watchdog watchdog(30);
  WithoutThemes([&] {
    auto* skin = new TWatchedCaptionForm(Form);
    Skin = skin;
    Skin->SetMinimizeApplication(false);
    ASSERT_EQ(Skin->GetPerformance(), vxfpNoBuffer);
    ShowForm();
    const TRect close = Skin->GetButtonRect(vbiClose);
    skin->InBand = TPoint(Form->GetWidth() / 2, SystemFrameMetrics().Frame + 2);
    skin->Watch = true;
    ::SendMessageW(Wnd(), WM_NCPAINT, 1, 0);
    skin->Watch = false;
    ASSERT_NE(skin->Button, CLR_INVALID);
    HDC dc = ::GetWindowDC(Wnd());
    EXPECT_EQ(skin->Button, ::GetPixel(dc, close.Left + 3, close.Top + 3)) << "the button";
    EXPECT_EQ(skin->Band, ::GetPixel(dc, skin->InBand.X, skin->InBand.Y)) << "the band";
    ::ReleaseDC(Wnd(), dc);
  });
}

SkinFormTestBase* ModalTest = nullptr;
void CALLBACK ClickCloseLater(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ModalTest->ClickButton(vbiClose);
}

TEST_F(SkinFormTestBase, AModalFormClosedByItsCloseButtonIsCancelledWithoutCloseQuery) {
  Watchdog watchdog(30);
  Skin = new TSeCustomForm(Form);
  int queries = 0;
  Form->SetOnCloseQuery([&](TObject*, bool&) { ++queries; });
  // The press and release reach the form inside its modal loop.
  ModalTest = this;
  ::SetTimer(nullptr, 0, 50, &ClickCloseLater);
  EXPECT_EQ(Form->ShowModal(), mrCancel);
  // Asked once, by the modal loop itself; the close button does not ask.
  EXPECT_EQ(queries, 1);
  // A modal form neither minimizes nor goes to the tray.
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
}

TEST_F(SkinFormTestBase, TrayKeepsTheFormAndADoubleClickOnTheIconBringsItBack) {
  struct TCall {
    DWORD Message;
    NOTIFYICONDATAW Data;
  };
  std::vector<TCall> calls;
  TSeTrayResponder previous = SetTrayResponder([&](DWORD message, NOTIFYICONDATAW& data) {
    calls.push_back({message, data});
    return true;
  });
  Decorate();
  Form->SetCaption(String(100, L'练'));
  Skin->Maximize();
  Skin->MinToTray();
  EXPECT_EQ(Skin->GetWindowState(), vwsTray);
  EXPECT_FALSE(::IsWindowVisible(Wnd()));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(calls[0].Data.uCallbackMessage, SE_FORM_TRAYNOTIFY);
  EXPECT_EQ(String(calls[0].Data.szTip), String(63, L'练'));
  EXPECT_NE(calls[0].Data.hIcon, nullptr);
  // A double-click on the icon: the form is back, maximized as it was, and the icon gone.
  ::SendMessageW(calls[0].Data.hWnd, SE_FORM_TRAYNOTIFY, calls[0].Data.uID, WM_LBUTTONDBLCLK);
  Pump();
  EXPECT_TRUE(::IsWindowVisible(Wnd()));
  EXPECT_EQ(Skin->GetWindowState(), vwsMaximized);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].Message, static_cast<DWORD>(NIM_DELETE));
  Skin->Restore();
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(100, 100, 400, 300));
  // Freed while in the tray: the icon goes with it.
  Skin->MinToTray();
  delete Skin;
  Skin = nullptr;
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[3].Message, static_cast<DWORD>(NIM_DELETE));
  SetTrayResponder(previous);
}

TEST_F(SkinFormTestBase, AnimatedShowKeepsTheRandomSequenceAndTheStates) {
  Watchdog watchdog(60);
  auto* edit = new TButton(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 10, 120, 30);
  edit->SetCaption(L"开始考试");
  Skin = new TSeCustomForm(Form);
  Skin->SetMinimizeApplication(false);
  Skin->GetAnimation()->SetEnabled(true);
  Skin->GetAnimation()->SetTime(60);
  Skin->GetAnimation()->SetEffect(vePixel);
  RandSeed = 4242;
  ShowForm();
  EXPECT_EQ(RandSeed, 4242);
  EXPECT_TRUE(::IsWindowVisible(Wnd()));
  ASSERT_NE(Skin->GetBackground(), nullptr);
  EXPECT_EQ(Skin->GetBackground()->GetWidth(), 400);
  // Maximized, hidden and shown again with another effect: still maximized, the normal
  // bounds kept.
  Skin->Maximize();
  Skin->GetAnimation()->SetEffect(veSmoothRectIn);
  Form->Hide();
  Pump();
  Form->Show();
  Pump();
  EXPECT_EQ(Skin->GetWindowState(), vwsMaximized);
  EXPECT_EQ(Skin->GetSavedBounds(), Bounds(100, 100, 400, 300));
  Skin->Restore();
  EXPECT_EQ(Form->GetBoundsRect(), Bounds(100, 100, 400, 300));
  EXPECT_EQ(RandSeed, 4242);
}

TEST_F(SkinFormTestBase, ClassicPaintingMatchesTheSystemsPartsInEveryBufferMode) {
  WithoutThemes([&] {
    Decorate();
    const TSeFrameLayout layout = Skin->FrameLayout();
    ASSERT_FALSE(layout.Themed);
    // The close button is the system's own drawing of it.
    MemorySurface ours(400, 300), system(400, 300);
    ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(ours.DC()));
    ::GdiFlush();
    RECT close = Skin->GetButtonRect(vbiClose);
    ::DrawFrameControl(system.DC(), &close, DFC_CAPTION, DFCS_CAPTIONCLOSE);
    ::GdiFlush();
    EXPECT_EQ(DifferentPixels(ours, system, close), 0);
    // The caption band's left end is the active caption colour, the client the form's.
    const TRect band = FrameCaptionBand(layout);
    EXPECT_EQ(ours.At(band.Left + band.Height() + 1, band.Top + 1), Rgb(clActiveCaption));
    const TRect c = FrameClientRect(layout);
    EXPECT_EQ(ours.At(c.Left + 5, c.Top + 5), Rgb(Form->GetColor()));
    // All four buffer modes put the same frame on the screen.
    MemorySurface first(400, 300);
    for (TSeFormPerformance mode : {vxfpNoBuffer, vxfpSharedBuffer, vxfpPersistentBuffer, vxfpDoubleBuffer}) {
      Skin->SetPerformance(mode);
      Skin->PaintNonClient();
      MemorySurface shot(400, 300);
      CaptureWindow(shot);
      if (mode == vxfpNoBuffer) {
        CaptureWindow(first);
        continue;
      }
      EXPECT_EQ(DifferentPixels(first, shot, TRect(0, 0, 400, c.Top)), 0) << mode;
      EXPECT_EQ(DifferentPixels(first, shot, TRect(0, c.Bottom, 400, 300)), 0) << mode;
    }
    // A kept frame is painted again when what it shows changes.
    Skin->SetPerformance(vxfpPersistentBuffer);
    Skin->PaintNonClient();
    Form->SetCaption(L"第一套");
    ::SendMessageW(Wnd(), WM_NCACTIVATE, FALSE, 0);
    MemorySurface kept(400, 300), fresh(400, 300);
    CaptureWindow(kept);
    Skin->SetPerformance(vxfpNoBuffer);
    Skin->PaintNonClient();
    CaptureWindow(fresh);
    EXPECT_EQ(DifferentPixels(kept, fresh, TRect(0, 0, 400, c.Top)), 0);
    // A caption set afterwards: ours is drawn, the system draws none of its own.
    Form->SetCaption(L"模拟考试 — 第二套");
    ::SetWindowTextW(Wnd(), L"模拟考试 — 第三套");
    EXPECT_EQ(Skin->GetCaption(), L"模拟考试 — 第三套");
    ::SendMessageW(Wnd(), WM_NCACTIVATE, TRUE, 0);
    CaptureWindow(first);
    EXPECT_EQ(first.At(band.Right - 60, band.Top + 1), Rgb(clGradientActiveCaption));
    EXPECT_TRUE(SaveWindowScreenshot(Wnd(), L"skin_form_classic_active"));
    ::SendMessageW(Wnd(), WM_NCACTIVATE, FALSE, 0);
    MemorySurface inactive(400, 300);
    CaptureWindow(inactive);
    EXPECT_EQ(inactive.At(band.Left + band.Height() + 1, band.Top + 1), Rgb(clInactiveCaption));
    EXPECT_TRUE(SaveWindowScreenshot(Wnd(), L"skin_form_classic_inactive"));
    Skin->Maximize();
    SaveScreenshot(::GetDesktopWindow(), L"skin_form_classic_maximized");
    Skin->Restore();
    Skin->Rollup();
    SaveScreenshot(Wnd(), L"skin_form_classic_rolled_up");
    Skin->Restore();
    // A small window (as on an 800 x 600 screen).
    Form->SetBounds(20, 20, 300, 200);
    SaveScreenshot(Wnd(), L"skin_form_classic_small");
  });
}

// The bounding box of the black pixels inside r.
TRect BlackBox(const MemorySurface& s, const TRect& r) {
  TRect box(r.Right, r.Bottom, r.Left, r.Top);
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (s.At(x, y) == Rgb(clBlack)) {
        box.Left = std::min(box.Left, x), box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1), box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box;
}

TEST_F(SkinFormTestBase, ClassicGlyphsIconAndRightToLeftCaption) {
  WithoutThemes([&] {
    Decorate();
    // The roll-up glyph goes one pixel down and right while its button is held.
    const TRect rollup = Skin->GetButtonRect(vbiRollup);
    TRect face = rollup;
    InflateRect(face, -3, -3);
    MemorySurface up(400, 300), held(400, 300);
    ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(up.DC()));
    const TPoint s = Screen((rollup.Left + rollup.Right) / 2, (rollup.Top + rollup.Bottom) / 2);
    ::SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTMINBUTTON, MAKELPARAM(s.X, s.Y));
    ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(held.DC()));
    const TPoint away = Screen(200, 150);
    ::SendMessageW(Wnd(), WM_NCLBUTTONUP, HTCLIENT, MAKELPARAM(away.X, away.Y));
    ::GdiFlush();
    TRect moved = BlackBox(up, face);
    ASSERT_FALSE(IsRectEmpty(moved));
    OffsetRect(moved, 1, 1);
    EXPECT_EQ(BlackBox(held, face), moved);
    EXPECT_EQ(Skin->GetWindowState(), vwsNormal);

    // The form's icon fills the system-menu button, stretched from the small-icon size.
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    MemorySurface red(size, size, clRed);
    HBITMAP mask = ::CreateBitmap(size, size, 1, 1, nullptr);
    HBITMAP colour = ::CreateCompatibleBitmap(red.DC(), size, size);
    HDC dc = ::CreateCompatibleDC(red.DC());
    HGDIOBJ old = ::SelectObject(dc, colour);
    ::BitBlt(dc, 0, 0, size, size, red.DC(), 0, 0, SRCCOPY);
    HDC maskDC = ::CreateCompatibleDC(red.DC());
    HGDIOBJ oldMask = ::SelectObject(maskDC, mask);
    ::PatBlt(maskDC, 0, 0, size, size, BLACKNESS);
    ::SelectObject(maskDC, oldMask);
    ::DeleteDC(maskDC);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    Form->GetIcon()->SetHandle(::CreateIconIndirect(&info));
    ::DeleteObject(mask);
    ::DeleteObject(colour);
    MemorySurface icon(400, 300);
    ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(icon.DC()));
    const TRect menu = Skin->GetButtonRect(vbiSystemMenu);
    ASSERT_GT(menu.Width(), size);
    EXPECT_EQ(icon.CountOf(Rgb(clRed), menu), menu.Width() * menu.Height());

    // A right-to-left form in a right-to-left locale: the caption lies at the band's right end.
    SetSysMiddleEast(true);
    Form->SetBiDiMode(bdRightToLeft);
    Skin->SetBorderIcons(TSeBorderIcons{vbiSystemMenu});
    Form->SetCaption(L"");
    MemorySurface empty(400, 300), text(400, 300);
    ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(empty.DC()));
    Form->SetCaption(L"WWW");
    ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(text.DC()));
    ::GdiFlush();
    SetSysMiddleEast(std::nullopt);
    Form->SetBiDiMode(bdLeftToRight);
    const TRect band = FrameCaptionBand(Skin->FrameLayout());
    const int middle = (band.Left + band.Right) / 2;
    EXPECT_EQ(DifferentPixels(empty, text, TRect(band.Left, band.Top, middle, band.Bottom)), 0);
    EXPECT_GT(DifferentPixels(empty, text, TRect(middle, band.Top, band.Right, band.Bottom)), 10);
  });
}

TEST_F(SkinFormTestBase, ThemedPaintingUsesTheThemesParts) {
  Decorate();
  if (!UseThemes()) GTEST_SKIP() << "no visual styles here";
  const TSeFrameLayout layout = Skin->FrameLayout();
  EXPECT_TRUE(IsRectEmpty(Skin->GetButtonRect(vbiRollup)));
  EXPECT_TRUE(IsRectEmpty(Skin->GetButtonRect(vbiTray)));
  MemorySurface ours(400, 300), theirs(400, 300);
  ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(ours.DC()));
  HTHEME theme = ThemeApi().OpenThemeData(Wnd(), L"Window");
  ASSERT_NE(theme, nullptr);
  RECT close = Skin->GetButtonRect(vbiClose);
  ThemeApi().DrawThemeBackground(theme, theirs.DC(), WP_CLOSEBUTTON, 1, &close, nullptr);
  ThemeApi().CloseThemeData(theme);
  ::GdiFlush();
  EXPECT_EQ(DifferentPixels(ours, theirs, close), 0);
  SaveScreenshot(Wnd(), L"skin_form_themed_active");
  ::SendMessageW(Wnd(), WM_NCACTIVATE, FALSE, 0);
  EXPECT_TRUE(SaveWindowScreenshot(Wnd(), L"skin_form_themed_inactive"));
  Skin->Maximize();
  SaveScreenshot(::GetDesktopWindow(), L"skin_form_themed_maximized");
  Skin->Restore();
  Skin->Rollup();
  SaveScreenshot(Wnd(), L"skin_form_themed_rolled_up");
  Skin->Restore();
  Form->SetBounds(20, 20, 300, 200);
  SaveScreenshot(Wnd(), L"skin_form_themed_small");
}

// Each DrawThemeText call of the binding, passed on to the library's own.
struct ThemeTextCall {
  int Part, State;
  String Text;
};
std::vector<ThemeTextCall>& ThemeTextCalls() {
  static std::vector<ThemeTextCall> calls;
  return calls;
}
decltype(&::DrawThemeText)& RealDrawThemeText() {
  static decltype(&::DrawThemeText) real = nullptr;
  return real;
}
HRESULT WINAPI RecordingDrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text,
                                      int length, DWORD flags, DWORD flags2, LPCRECT r) {
  ThemeTextCalls().push_back({part, state, String(text, length < 0 ? wcslen(text) : length)});
  return RealDrawThemeText()(theme, dc, part, state, text, length, flags, flags2, r);
}

TEST_F(SkinFormTestBase, ThemedCaptionTextGoesThroughTheThemesTextDrawing) {
  Decorate();
  if (!UseThemes()) GTEST_SKIP() << "no visual styles here";
  // The binding's table entry is swapped for a recorder for the length of the test.
  auto& entry = const_cast<TThemeApi&>(ThemeApi()).DrawThemeText;
  RealDrawThemeText() = entry;
  entry = &RecordingDrawThemeText;
  ThemeTextCalls().clear();
  MemorySurface active(400, 300);
  ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(active.DC()));
  ::SendMessageW(Wnd(), WM_NCACTIVATE, FALSE, 0);
  MemorySurface inactive(400, 300);
  ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(inactive.DC()));
  ::GdiFlush();
  entry = RealDrawThemeText();
  ASSERT_GE(ThemeTextCalls().size(), 2u);
  const ThemeTextCall& first = ThemeTextCalls().front();
  const ThemeTextCall& last = ThemeTextCalls().back();
  EXPECT_EQ(first.Part, WP_CAPTION);
  EXPECT_EQ(first.State, CS_ACTIVE);
  EXPECT_EQ(first.Text, L"考试练习 — 窗体");
  EXPECT_EQ(last.Part, WP_CAPTION);
  EXPECT_EQ(last.State, CS_INACTIVE);
  // The text shows in the theme's caption text colour.
  const TRect band = FrameCaptionBand(Skin->FrameLayout());
  HTHEME theme = ThemeApi().OpenThemeData(nullptr, L"Window");
  const TColor text = static_cast<TColor>(ThemeApi().GetThemeSysColor(theme, COLOR_CAPTIONTEXT));
  ThemeApi().CloseThemeData(theme);
  EXPECT_GT(active.CountOf(text, band), 10);
}

// Another theme or other system colours change what the theme draws: the kept frame and
// caption-button parts give way to the new drawing after either message, and a windowless
// control on the decorated form hears of the theme change as well.
TEST_F(SkinFormTestBase, KeptFramePartsGiveWayToANewLook) {
  auto* bar = new TSeCustomScrollBar(Form);
  bar->SetParent(Form);
  bar->SetBounds(10, 10, 200, 17);
  Decorate();
  if (!UseThemes()) GTEST_SKIP() << "no visual styles here";
  ThemeLookSwap look;
  const RECT close = Skin->GetButtonRect(vbiClose);
  const TRect client = Skin->GetFrameClientRect();
  const TPoint button((close.left + close.right) / 2, (close.top + close.bottom) / 2);
  const TPoint edge(client.Left / 2, (client.Top + client.Bottom) / 2);  // the left frame part
  const TRect thumb = bar->GetThumbRect();
  // Frame and bar painted three times each, so that their parts are kept; what they show.
  struct Shown {
    TColor Button, Edge, Thumb;
  };
  const auto paint = [&] {
    MemorySurface frame(600, 500, clFuchsia), face(200, 17, clFuchsia);
    for (int i = 0; i < 3; ++i) {
      ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(frame.DC()));
      PaintInto(bar, face);
    }
    ::GdiFlush();
    return Shown{frame.At(button.X, button.Y), frame.At(edge.X, edge.Y),
                 face.At((thumb.Left + thumb.Right) / 2, thumb.Top + 8)};
  };
  const Shown library = paint();
  ASSERT_NE(library.Button, clLime);
  ASSERT_NE(library.Edge, clLime);
  look.SetLook(clLime);
  ::SendMessageW(Wnd(), WM_SYSCOLORCHANGE, 0, 0);
  Shown now = paint();
  EXPECT_EQ(now.Button, clLime) << "colour change";
  EXPECT_EQ(now.Edge, clLime) << "colour change";
  EXPECT_EQ(now.Thumb, clLime) << "colour change";
  look.SetLook(clBlue);
  ::SendMessageW(Wnd(), WM_THEMECHANGED, 0, 0);
  now = paint();
  EXPECT_EQ(now.Button, clBlue) << "theme change";
  EXPECT_EQ(now.Edge, clBlue) << "theme change";
  EXPECT_EQ(now.Thumb, clBlue) << "theme change";
  look.SetLook(clNone);
  ::SendMessageW(Wnd(), WM_THEMECHANGED, 0, 0);
  now = paint();
  EXPECT_EQ(now.Button, library.Button);
  EXPECT_EQ(now.Thumb, library.Thumb);
}

TEST_F(SkinFormTestBase, LayoutsKeepEveryPropertyWithChineseTextAndIgnoreBadValues) {
  Skin = new TSeCustomForm(Form);
  Skin->SetName(L"FormSkin");
  Skin->SetBorderStyle(vbsToolWindow);
  Skin->SetBorderIcons(TSeBorderIcons{vbiClose, vbiHelp});
  Skin->SetCaption(L"模拟考试（第一套）");
  Skin->SetPerformance(vxfpPersistentBuffer);
  Skin->SetMinimizeApplication(false);
  Skin->SetStretchBackground(true);
  Skin->GetShadow()->SetEnabled(true);
  Skin->GetShadow()->SetSize(7);
  Skin->GetAnimation()->SetTime(800);
  Skin->GetGravitation()->SetSize(12);
  Skin->GetDragging()->SetDragMode(vfdmBorder);
  Skin->GetConstraints()->SetMinWidth(240);
  const String text = ComponentToText(Form);
  auto* copy = TCustomForm::Create<TButtonsForm>(nullptr);
  {
    TStringStream stream(text);
    ReadComponentFromStream(stream, copy);
  }
  auto* skin = dynamic_cast<TSeCustomForm*>(copy->FindComponent(L"FormSkin"));
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->GetBorderStyle(), vbsToolWindow);
  EXPECT_EQ(skin->GetBorderIcons(), (TSeBorderIcons{vbiClose, vbiHelp}));
  EXPECT_EQ(skin->GetCaption(), L"模拟考试（第一套）");
  EXPECT_EQ(copy->GetCaption(), L"模拟考试（第一套）");
  EXPECT_EQ(skin->GetPerformance(), vxfpPersistentBuffer);
  EXPECT_FALSE(skin->GetMinimizeApplication());
  EXPECT_TRUE(skin->GetStretchBackground());
  EXPECT_TRUE(skin->GetShadow()->GetEnabled());
  EXPECT_EQ(skin->GetShadow()->GetSize(), 7);
  EXPECT_EQ(skin->GetAnimation()->GetTime(), 800);
  EXPECT_EQ(skin->GetGravitation()->GetSize(), 12);
  EXPECT_EQ(skin->GetDragging()->GetDragMode(), vfdmBorder);
  EXPECT_EQ(skin->GetConstraints()->GetMinWidth(), 240);
  delete copy;

  // A stored state is applied at the first show, not while loading; extreme values are
  // clamped by the options; a 10,000-character caption is kept whole.
  const String caption(10000, L'题');
  const String stored = L"object Host: TButtonsForm\n  Left = 50\n  Top = 60\n  Width = 400\n"
                        L"  Height = 300\n  object FormSkin: TSeCustomForm\n"
                        L"    WindowState = vwsMaximized\n    Animation.Time = 2000000000\n"
                        L"    Shadow.Size = -5\n    Gravitation.Size = 999\n"
                        L"    MinimizeApplication = False\n    Caption = '" + caption + L"'\n  end\nend\n";
  copy = TCustomForm::Create<TButtonsForm>(nullptr);
  {
    TStringStream stream(stored);
    ReadComponentFromStream(stream, copy);
  }
  skin = dynamic_cast<TSeCustomForm*>(copy->FindComponent(L"FormSkin"));
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->GetWindowState(), vwsNormal);
  EXPECT_FALSE(::IsWindowVisible(copy->GetHandle()));
  EXPECT_EQ(skin->GetAnimation()->GetTime(), 9000);
  EXPECT_EQ(skin->GetGravitation()->GetSize(), 50);
  EXPECT_EQ(skin->GetCaption().size(), 10000u);
  copy->Show();
  Pump();
  EXPECT_EQ(skin->GetWindowState(), vwsMaximized);
  skin->Restore();
  EXPECT_EQ(copy->GetBoundsRect(), Bounds(50, 60, 400, 300));
  delete copy;
  // A bad identifier is refused by the reader, and nothing is left half made.
  copy = TCustomForm::Create<TButtonsForm>(nullptr);
  const String bad = L"object Host: TButtonsForm\n  object FormSkin: TSeCustomForm\n"
                     L"    BorderStyle = vbsRound\n  end\nend\n";
  TStringStream stream(bad);
  EXPECT_ANY_THROW(ReadComponentFromStream(stream, copy));
  delete copy;
}

TEST_F(SkinFormTestBase, HundredCyclesInEveryModeLeaveNoHandlesAndTheProcedureAsItWas) {
  Watchdog watchdog(400);
  for (TSeFormPerformance mode : {vxfpNoBuffer, vxfpSharedBuffer, vxfpPersistentBuffer, vxfpDoubleBuffer}) {
    bool procedureBack = true;
    // A form made and shown, decorated with a shadow, translucency and an animated show,
    // dragged, maximized and restored; the decoration goes first, then the form.
    const auto cycle = [&] {
      auto* form = TCustomForm::Create<TButtonsForm>(nullptr);
      form->SetBorderStyle(bsNone);
      form->SetBounds(100, 100, 400, 300);
      const LONG_PTR original = ::GetWindowLongPtrW(form->GetHandle(), GWLP_WNDPROC);
      auto* skin = new TSeCustomForm(form);
      skin->SetPerformance(mode);
      skin->SetMinimizeApplication(false);
      skin->GetShadow()->SetEnabled(true);
      skin->GetBlending()->SetEnabled(true);
      skin->GetAnimation()->SetEnabled(true);
      skin->GetAnimation()->SetTime(0);
      form->Show();
      Pump();
      std::swap(Form, form);
      Skin = skin;
      DragFrame(200, 6, 10, 10, 2);
      skin->Maximize();
      skin->Restore();
      std::swap(Form, form);
      Skin = nullptr;
      delete skin;
      Pump();
      procedureBack = procedureBack && ::GetWindowLongPtrW(form->GetHandle(), GWLP_WNDPROC) == original;
      delete form;
      Pump();
    };
    cycle();
    const int gdi = control_tests::GdiObjectCount(), user = forms_tests::UserObjectCount();
    for (int i = 0; i < 100; ++i) cycle();
    EXPECT_EQ(control_tests::GdiObjectCount(), gdi) << mode;
    EXPECT_EQ(forms_tests::UserObjectCount(), user) << mode;
    EXPECT_TRUE(procedureBack) << mode;
  }
}

}  // namespace
