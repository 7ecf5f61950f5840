// Registers every class of the extended-controls library that a stored layout may name
// (see classlib/controls/ControlsRegistration.h for why this is called at start-up).
// Registering again does nothing.
#pragma once

void RegisterExtendedClasses();
