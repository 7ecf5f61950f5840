#include "Persistent.h"

void TPersistent::Assign(TPersistent* source) {
  if (!source) AssignError(nullptr);
  source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) { RaiseAssignError(this, dest); }

void TPersistent::AssignError(const TPersistent* source) const { RaiseAssignError(source, this); }

void TPersistent::RaiseAssignError(const TPersistent* source, const TPersistent* dest) {
  const String sourceName = source ? source->ClassName() : String(L"nil");
  const String destName = dest ? dest->ClassName() : String(L"nil");
  throw EConvertError(L"Cannot assign a %s to a %s", {sourceName, destName});
}

String TPersistent::GetNamePath() const {
  String result = ClassName();
  if (const TPersistent* owner = GetOwner()) {
    const String ownerPath = owner->GetNamePath();
    if (!ownerPath.empty()) result = ownerPath + L"." + result;
  }
  return result;
}
