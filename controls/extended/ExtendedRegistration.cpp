#include "ExtendedRegistration.h"

#include "classlib/classes/ClassRegistry.h"
#include "RxRichEd.h"

void RegisterExtendedClasses() {
  RegisterClasses({});
  RegisterRichEditClasses();
}
