#include "SkinOpenDropDown.h"

#include <utility>

namespace {
// Main thread only, like the windows that use it.
struct TOpenDropDown {
  TComponent* Owner = nullptr;
  TSeDropDownCloseUp CloseUp;
};

TOpenDropDown& Record() {
  static TOpenDropDown record;
  return record;
}

TSeFrameHold& FrameHold() {
  static TSeFrameHold hold;
  return hold;
}
}  // namespace

void RegisterOpenDropDown(TComponent* owner, TSeDropDownCloseUp closeUp) {
  Record() = TOpenDropDown{owner, std::move(closeUp)};
}

void UnregisterOpenDropDown(TComponent* owner) {
  if (owner && Record().Owner == owner) Record() = TOpenDropDown{};
}

TComponent* OpenDropDownOwner() { return Record().Owner; }

bool CloseOpenDropDown(TComponent* caller) {
  TOpenDropDown open = std::exchange(Record(), TOpenDropDown{});
  if (!open.Owner || !open.CloseUp) return false;
  open.CloseUp(caller);
  return true;
}

void SetDropDownFrameHold(TSeFrameHold hold) { FrameHold() = std::move(hold); }

std::function<void()> HoldDropDownFrame(TControl* window) {
  return window && FrameHold() ? FrameHold()(window) : std::function<void()>();
}
