// The event types shared by every layer: an event is a std::function member that the
// owner of the handler assigns; an empty function means no handler.
#pragma once
#include <functional>

class TObject;

// The plain event: the object that raised it, nothing more.
using TNotifyEvent = std::function<void(TObject* sender)>;
