#include "ExtendedRegistration.h"

#include "GIFCtrl.h"
#include "classlib/classes/ClassRegistry.h"

void RegisterExtendedClasses() {
  RegisterClasses({});
  RegisterRxGIFClasses();
}
