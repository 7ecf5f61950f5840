// Registers every class of the owner-drawn control library that a stored layout may name
// (see classlib/controls/ControlsRegistration.h for why this is called at start-up).
// Registering again does nothing.
#pragma once

void RegisterSkinClasses();
// The skin-aware check box, radio button, group box and radio group.
void RegisterSkinAwareClasses();
