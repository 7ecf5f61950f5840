// The one drop-down list of the owner-drawn controls that is open in the process, so that
// code elsewhere (a form frame pressed, a menu opened) can close it first. The control that
// opens its list registers itself and its close routine; every close clears the record.
#pragma once
#include <functional>

class TComponent;
class TControl;

// Closes the open list; caller is the component that asks (a form's frame component).
using TSeDropDownCloseUp = std::function<void(TComponent* caller)>;

// Records owner's list as the open one (replacing any earlier record).
void RegisterOpenDropDown(TComponent* owner, TSeDropDownCloseUp closeUp);
// Clears the record when it is owner's; nothing otherwise.
void UnregisterOpenDropDown(TComponent* owner);
// The control whose list is open; nullptr when none.
TComponent* OpenDropDownOwner();
// Runs the open list's close routine with caller; false when no list is open. The record
// is cleared before the routine runs, so a routine that frees its control is safe.
bool CloseOpenDropDown(TComponent* caller);

// The frame of a form decoration held back while a drop-down window comes up: the routine that
// HoldDropDownFrame returns paints the frame once and lets it paint again (empty when window has
// no decoration or nothing was held). The form decoration, which builds on the controls, puts in
// the routine that does it at start-up; without it nothing is held.
using TSeFrameHold = std::function<std::function<void()>(TControl* window)>;
void SetDropDownFrameHold(TSeFrameHold hold);
std::function<void()> HoldDropDownFrame(TControl* window);
