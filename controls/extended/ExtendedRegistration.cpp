#include "ExtendedRegistration.h"

#include "classlib/classes/ClassRegistry.h"

void RegisterExtendedClasses() {
  RegisterClasses({});
}
