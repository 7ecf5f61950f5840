// Registers every class of the controls library that a stored layout may name. Each unit
// also registers its classes from a static initializer, but the linker drops a unit that
// nothing references; calling this at start-up references them all. Registering again does
// nothing.
#pragma once

void RegisterControlsClasses();
