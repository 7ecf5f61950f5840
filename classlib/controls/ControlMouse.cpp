// The mouse: capture (a windowless control captures through its parent's window), the
// routing of mouse messages to windowless children, CM_MOUSEENTER/CM_MOUSELEAVE, and
// dragging.
//
// Enter and leave follow the control under the mouse. Every WM_MOUSEMOVE a control window
// receives names the control there: the windowless child under the point, or the window's
// own control; while the window has the mouse captured and the point is outside it, the
// control at that screen point, whoever's it is. When that control changes, the old one
// gets CM_MOUSELEAVE and the new one CM_MOUSEENTER. WM_MOUSELEAVE (asked with
// TrackMouseEvent) ends it when the mouse leaves our windows.
#include <algorithm>
#include <cstdlib>
#include "Controls.h"
#include "ControlsInternal.h"

using namespace controls_internal;

namespace {

TControl* gMouseControl = nullptr;    // the control the mouse was last over
TControl* gCaptureControl = nullptr;  // windowless control capturing through its parent
HWND gTrackedWindow = nullptr;        // the window TrackMouseEvent watches

// The drag in progress, if any.
struct DragState {
  TControl* Source = nullptr;   // the control dragged; nullptr when none
  bool Started = false;         // the mouse has moved past the threshold
  TPoint StartPos;              // screen position where the drag began
  int Threshold = 0;            // pixels to move before the drag starts
  TControl* Target = nullptr;   // the control under the mouse that was asked last
  bool Accepted = false;        // the target accepts the source
  TPoint TargetPos;             // the last position in the target's client coordinates
  bool* Answer = nullptr;       // the target's answer while it is being asked (a handler may
                                // drop the drag on its control before it has answered)
};
DragState gDrag;

// Whether site takes client docked at screenPos: its answer to GetSiteInfo, and the point
// within the rectangle it names.
bool TakesDock(TWinControl* site, TControl* client, const TPoint& screenPos) {
  TRect influence;
  bool canDock = true;
  site->GetSiteInfo(client, influence, screenPos, canDock);
  return canDock && PtInRect(influence, screenPos);
}

// True when control is w or a windowless child of w.
bool IsWindowOrItsWindowless(TControl* control, TWinControl* w) {
  return control && (control == w ||
                     (control->GetParent() == w && !dynamic_cast<TWinControl*>(control)));
}

}  // namespace

namespace controls_internal {

TControl*& CaptureControlRef() { return gCaptureControl; }

HWND& TrackedWindowRef() { return gTrackedWindow; }

void SetMouseControl(TControl* control) {
  if (control == gMouseControl) return;
  TControl* old = gMouseControl;
  gMouseControl = control;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  // The leave handler may have moved on or freed the new control (ForgetControl).
  if (control && gMouseControl == control) control->Perform(CM_MOUSEENTER, 0, 0);
}

void ForgetControl(TControl* control) {
  if (gMouseControl == control) gMouseControl = nullptr;
  if (gCaptureControl == control) {
    gCaptureControl = nullptr;
    if (TWinControl* parent = control->GetParent();
        parent && parent->HandleAllocated() && ::GetCapture() == parent->GetHandle())
      ::ReleaseCapture();
  }
  if (gDrag.Source == control) gDrag = DragState();
  if (gDrag.Target == control) {
    gDrag.Target = nullptr;
    gDrag.Accepted = false;
  }
}

}  // namespace controls_internal

TControl* GetMouseControl() { return gMouseControl; }

// ---- Capture ----------------------------------------------------------------------------------------

TControl* GetCaptureControl() {
  TControl* result = FindControl(::GetCapture());
  if (result && gCaptureControl && gCaptureControl->GetParent() == result)
    result = gCaptureControl;
  return result;
}

void SetCaptureControl(TControl* control) {
  ::ReleaseCapture();
  gCaptureControl = nullptr;
  if (!control) return;
  auto* window = dynamic_cast<TWinControl*>(control);
  if (!window) {
    if (!control->GetParent()) return;
    gCaptureControl = control;
    window = control->GetParent();
  }
  ::SetCapture(window->GetHandle());
}

bool TControl::GetMouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool value) {
  if (GetMouseCapture() == value) return;
  SetCaptureControl(value ? this : nullptr);
}

// ---- Routing and tracking ------------------------------------------------------------------------------

bool TWinControl::IsControlMouseMsg(TMessage& message) {
  TControl* control = nullptr;
  if (FHandle && ::GetCapture() == FHandle) {
    if (gCaptureControl && gCaptureControl->GetParent() == this) control = gCaptureControl;
  } else {
    control = ControlAtPos(LParamToPoint(message.LParam), false);
  }
  if (!control) return false;
  const TPoint pos = LParamToPoint(message.LParam);
  const TPoint local(pos.X - control->GetLeft(), pos.Y - control->GetTop());
  message.Result = control->Perform(message.Msg, message.WParam, PointToLParam(local));
  return true;
}

void TWinControl::TrackMouseMove(TMessage& message) {
  const TPoint clientPos = LParamToPoint(message.LParam);
  TControl* target = nullptr;
  const bool captured = ::GetCapture() == FHandle;
  if (captured && !PtInRect(GetClientRect(), clientPos)) {
    POINT screen = clientPos;
    ::ClientToScreen(FHandle, &screen);
    target = FindDragTarget(screen, true);
  } else {
    target = ControlAtPos(clientPos, true);
    if (!target) target = this;
  }
  if (gTrackedWindow != FHandle) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = FHandle;
    if (::TrackMouseEvent(&track)) gTrackedWindow = FHandle;
  }
  SetMouseControl(target);
}

void TWinControl::WMMouseLeave(TMessage& message) {
  if (gTrackedWindow == FHandle) gTrackedWindow = nullptr;
  // While captured the moves keep coming and say where the mouse is.
  if (!FHandle || ::GetCapture() != FHandle) {
    if (IsWindowOrItsWindowless(gMouseControl, this)) {
      POINT cursor{};
      TControl* now = ::GetCursorPos(&cursor) ? FindDragTarget(cursor, true) : nullptr;
      if (IsWindowOrItsWindowless(now, this)) now = nullptr;
      SetMouseControl(now);
    }
  }
  DefaultHandler(message);
}

// ---- Dragging ---------------------------------------------------------------------------------------------

bool TControl::Dragging() const { return gDrag.Source == this; }

bool TControl::GetFloating() const { return FParent && FParent->IsFloatingHost(); }

void TControl::BeginDrag(bool immediate, int threshold) {
  if (gDrag.Source) return;
  POINT cursor{};
  ::GetCursorPos(&cursor);
  gDrag = DragState();
  gDrag.Source = this;
  gDrag.Started = immediate;
  gDrag.StartPos = cursor;
  gDrag.Threshold = threshold >= 0 ? threshold : ::GetSystemMetrics(SM_CXDRAG);
  SetMouseCapture(true);
  if (immediate) {
    DragStarted();
    if (Dragging()) DragTo(cursor);
  }
}

void TControl::DragStarted() {
  if (FDragKind != dkDock) {
    DoStartDrag();
    return;
  }
  TDragDockObject dock(this);
  const TPoint origin = ClientToScreen(TPoint(0, 0));
  dock.SetDockRect(Bounds(origin.X, origin.Y, FWidth, FHeight));
  DoStartDock(&dock);
}

void TControl::DoStartDrag() {
  if (FOnStartDrag) FOnStartDrag(this);
}

void TControl::DoStartDock(TDragDockObject* dragObject) {
  if (FOnStartDock) FOnStartDock(this, dragObject);
}

void TControl::DoEndDock(TObject* target, int x, int y) {
  if (FOnEndDock) FOnEndDock(this, target, x, y);
}

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
  accept = false;
  if (FOnDragOver) {
    accept = true;
    FOnDragOver(this, source, x, y, state, accept);
  }
}

void TControl::DragDrop(TObject* source, int x, int y) {
  if (FOnDragDrop) FOnDragDrop(this, source, x, y);
}

void TControl::DoEndDrag(TObject* target, int x, int y) {
  if (FOnEndDrag) FOnEndDrag(this, target, x, y);
}

void TWinControl::DockOver(TDragDockObject* source, int x, int y, TDragState state,
                           bool& accept) {
  accept = FDockSite;
  if (FOnDockOver) FOnDockOver(this, source, x, y, state, accept);
}

void TWinControl::DockDrop(TDragDockObject* source, int x, int y) {
  if (FOnDockDrop) FOnDockDrop(this, source, x, y);
}

void TWinControl::GetSiteInfo(TControl* client, TRect& influenceRect, TPoint mousePos,
                              bool& canDock) {
  RECT window{};
  if (HandleAllocated()) ::GetWindowRect(GetHandle(), &window);
  influenceRect = TRect(window.left - 10, window.top - 10, window.right + 10, window.bottom + 10);
  if (FOnGetSiteInfo) FOnGetSiteInfo(this, client, influenceRect, mousePos, canDock);
}

bool TWinControl::DoUnDock(TWinControl* newTarget, TControl* client) {
  bool allow = true;
  if (FOnUnDock) FOnUnDock(this, client, newTarget, allow);
  return allow;
}

void TControl::DragTo(const TPoint& screenPos) {
  TControl* target = FindDragTarget(screenPos, false);
  if (FDragKind == dkDock) {
    // A dock drag looks for a dock site among the controls under the mouse.
    TWinControl* site = dynamic_cast<TWinControl*>(target);
    if (!site && target) site = target->GetParent();
    while (site && !(site->GetDockSite() && TakesDock(site, this, screenPos))) site = site->GetParent();
    target = site;
  }
  const auto ask = [this](TControl* control, const TPoint& pos, TDragState state) {
    bool accept = false;
    const TPoint local = control->ScreenToClient(pos);
    gDrag.Answer = &accept;
    if (FDragKind == dkDock) {
      TDragDockObject dock(this);
      dock.SetDockRect(Bounds(pos.X, pos.Y, FWidth, FHeight));
      static_cast<TWinControl*>(control)->DockOver(&dock, local.X, local.Y, state, accept);
    } else {
      control->DragOver(this, local.X, local.Y, state, accept);
    }
    if (Dragging()) gDrag.Answer = nullptr;
    return accept;
  };
  if (target != gDrag.Target) {
    if (gDrag.Target) ask(gDrag.Target, screenPos, dsDragLeave);
    if (!Dragging()) return;  // a handler ended the drag
    gDrag.Target = target;
    gDrag.Accepted = target && ask(target, screenPos, dsDragEnter);
  } else if (target) {
    gDrag.Accepted = ask(target, screenPos, dsDragMove);
  }
  if (!Dragging()) return;
  if (gDrag.Target) gDrag.TargetPos = gDrag.Target->ScreenToClient(screenPos);
  const TCursor cursor = gDrag.Accepted ? FDragCursor : crNoDrop;
  const auto& cursorHandle = ControlHooks().CursorHandle;
  ::SetCursor(cursorHandle ? cursorHandle(cursor) : StandardCursorHandle(cursor));
}

void TControl::EndDrag(bool drop) {
  if (!Dragging()) return;
  const DragState drag = gDrag;
  gDrag = DragState();
  SetMouseCapture(false);
  const bool accepted = drag.Answer ? *drag.Answer : drag.Accepted;
  TControl* target = drop && drag.Started && accepted ? drag.Target : nullptr;
  const std::weak_ptr<int> alive = FLifeToken;
  // The site the control is docked in may keep it (OnUnDock); then nothing moves.
  if (drop && drag.Started && FDragKind == dkDock && FParent &&
      (target || ControlHooks().FloatControl) && target != FParent &&
      !FParent->DoUnDock(static_cast<TWinControl*>(target), this)) {
    if (alive.expired()) return;
    target = nullptr;
    drop = false;
  }
  if (alive.expired()) return;
  if (target) {
    if (FDragKind == dkDock) {
      auto* site = static_cast<TWinControl*>(target);
      SetParent(site);
      TDragDockObject dock(this);
      const TPoint origin = ClientToScreen(TPoint(0, 0));
      dock.SetDockRect(Bounds(origin.X, origin.Y, FWidth, FHeight));
      site->DockDrop(&dock, drag.TargetPos.X, drag.TargetPos.Y);
    } else {
      target->DragDrop(this, drag.TargetPos.X, drag.TargetPos.Y);
    }
  } else if (drop && drag.Started && FDragKind == dkDock && ControlHooks().FloatControl) {
    // Dropped where no dock site takes it: it floats, moved as far as the mouse moved.
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const TPoint origin = ClientToScreen(TPoint(0, 0));
    ControlHooks().FloatControl(this, Bounds(origin.X + cursor.x - drag.StartPos.X,
                                             origin.Y + cursor.y - drag.StartPos.Y, FWidth, FHeight));
  } else if (drag.Target && drag.Started) {
    bool accept = false;
    drag.Target->DragOver(this, drag.TargetPos.X, drag.TargetPos.Y, dsDragLeave, accept);
  }
  if (alive.expired() || !drag.Started) return;
  const int x = target ? drag.TargetPos.X : 0, y = target ? drag.TargetPos.Y : 0;
  if (FDragKind == dkDock)
    DoEndDock(target, x, y);
  else
    DoEndDrag(target, x, y);
}

bool TControl::DragMouseMessage(TMessage& message) {
  POINT screen = LParamToPoint(message.LParam);
  switch (message.Msg) {
    case WM_MOUSEMOVE: {
      const TPoint pos = ClientToScreen(TPoint(screen.x, screen.y));
      if (!gDrag.Started) {
        if (std::abs(pos.X - gDrag.StartPos.X) < gDrag.Threshold &&
            std::abs(pos.Y - gDrag.StartPos.Y) < gDrag.Threshold)
          return true;
        gDrag.Started = true;
        DragStarted();
        if (!Dragging()) return true;
      }
      DragTo(pos);
      return true;
    }
    case WM_LBUTTONUP:
      if (!gDrag.Started) {
        // Released before the drag began: no drag, the release is a plain one.
        gDrag = DragState();
        if (!FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
        return false;
      }
      EndDrag(true);
      return true;
    case WM_RBUTTONDOWN:
      EndDrag(false);
      return true;
    default: return false;
  }
}
