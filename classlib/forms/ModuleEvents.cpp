// The OnCreate / OnDestroy calls that forms and data modules make alike.
#include "ModuleEvents.h"
#include "../controls/Controls.h"

namespace forms_internal {

void NotifyHandlingExceptions(const TNotifyEvent& handler, TObject* sender) {
  try {
    if (handler) handler(sender);
  } catch (...) {
    ApplicationHandleException(sender);
  }
}

void NotifyOnce(bool& done, const TNotifyEvent& handler, TObject* sender) {
  if (done) return;
  done = true;
  NotifyHandlingExceptions(handler, sender);
}

}  // namespace forms_internal
