// Registers every class of the data library that a stored layout may name: the data
// source, the field classes and the data-aware controls (see
// classlib/controls/ControlsRegistration.h for why this is called at start-up). Registering
// again does nothing.
#pragma once

void RegisterDbClasses();
