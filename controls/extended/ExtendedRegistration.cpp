#include "ExtendedRegistration.h"

#include "GIFCtrl.h"
#include "RxControlsRegistration.h"
#include "RxRichEd.h"
#include "classlib/classes/ClassRegistry.h"

void RegisterExtendedClasses() {
  RegisterClasses({});
  RegisterRxGIFClasses();
  RegisterRxControlsClasses();
  RegisterRichEditClasses();
}
