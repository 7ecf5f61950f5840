// Registers the label, switch, speed button and edit classes of the extended library and its
// hand and drag cursors; called by RegisterExtendedClasses. Registering again does nothing.
#pragma once

void RegisterRxControlsClasses();
