#include "ProgramClasses.h"

#include "WebCopy.h"

#include "classlib/ado/AdoRegistration.h"
#include "classlib/controls/ControlsRegistration.h"
#include "classlib/db/DbRegistration.h"
#include "classlib/forms/FormsRegistration.h"
#include "classlib/standins/StandinsRegistration.h"
#include "classlib/stdctrls/StdCtrlsRegistration.h"
#include "controls/effects/EffectsRegistration.h"
#include "controls/extended/ExtendedRegistration.h"
#include "controls/imagebutton/ImageButtonRegistration.h"
#include "controls/skin/SkinRegistration.h"

void RegisterLayoutClasses() {
  RegisterControlsClasses();
  RegisterFormsClasses();
  RegisterStdCtrlsClasses();
  RegisterDbClasses();
  RegisterAdoClasses();
  RegisterStandinsClasses();
  RegisterEffectsClasses();
  RegisterImageButtonClasses();
  RegisterExtendedClasses();
  RegisterSkinClasses();
  RegisterWebCopyClasses();
}
