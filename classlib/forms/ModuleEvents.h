// The OnCreate / OnDestroy calls that forms and data modules make alike.
#pragma once
#include "../classes/Events.h"

namespace forms_internal {

// Calls handler with sender when it is set. An exception from it goes to
// ApplicationHandleException(sender), so that creating or destroying goes on.
void NotifyHandlingExceptions(const TNotifyEvent& handler, TObject* sender);

// As NotifyHandlingExceptions, but only the first time: done says whether it ran and is
// set before the handler runs.
void NotifyOnce(bool& done, const TNotifyEvent& handler, TObject* sender);

}  // namespace forms_internal
