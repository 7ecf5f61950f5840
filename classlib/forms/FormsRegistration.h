// Registers every class of the forms library that a stored layout may name (see
// ControlsRegistration.h for why this is called at start-up). Registering again does nothing.
#pragma once

void RegisterFormsClasses();
