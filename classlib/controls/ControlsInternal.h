// Helpers the units of the controls layer share; not for use outside classlib/controls.
#pragma once
#include "Controls.h"

namespace controls_internal {

// The outermost windowed parent of control (the control itself when it is a parentless
// windowed control); nullptr for a windowless control on no parent.
TWinControl* RootParent(TControl* control);

// The mouse is now over control (nullptr: over none of ours): CM_MOUSELEAVE goes to the
// control it was over, CM_MOUSEENTER to the new one.
void SetMouseControl(TControl* control);

// Drops every global reference to a control that is going (mouse, capture, drag).
void ForgetControl(TControl* control);

// The windowless control that captured the mouse through its parent's window.
TControl*& CaptureControlRef();

// True on a system with right-to-left support.
bool MiddleEast();

// Releases every DC held by canvases of the controls of window `wnd` (nullptr: all).
void FreeDeviceContexts(HWND wnd);

// Gives a control canvas the functions that get and give back its control's DC, through
// the small cache that keeps few window DCs held at a time.
void BindControlCanvas(TControlCanvas* canvas, TControl* control,
                       std::function<HDC(HWND&)> getDeviceContext);

}  // namespace controls_internal

namespace controls_internal {

// Releases the cached DC of a windowless control's canvas (its origin is stale after a
// move or a new parent).
void FreeControlDC(TControl* control);

// True when a popup menu of control or of one of its parents takes the key as a shortcut.
bool PopupMenuShortCut(TControl* control, TMessage& message);

// The window that last asked for WM_MOUSELEAVE; cleared when it goes.
HWND& TrackedWindowRef();

}  // namespace controls_internal
