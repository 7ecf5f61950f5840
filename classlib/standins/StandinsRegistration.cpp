#include "StandinsRegistration.h"

#include "ShockwaveFlash.h"
#include "classlib/classes/ClassRegistry.h"

void RegisterStandinsClasses() { RegisterClasses({TShockwaveFlash::StaticClassInfo()}); }
