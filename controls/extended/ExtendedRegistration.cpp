#include "ExtendedRegistration.h"

#include "RxControlsRegistration.h"
#include "classlib/classes/ClassRegistry.h"

void RegisterExtendedClasses() {
  RegisterClasses({});
  RegisterRxControlsClasses();
}
