// Registers the clock, the indicators, the effect buttons and the flat-style controls of
// the effects library (called by RegisterEffectsClasses). Registering again does nothing.
#pragma once

void RegisterEffectCommandClasses();
