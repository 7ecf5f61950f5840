#include "Component.h"
#include <algorithm>
#include "Properties.h"

namespace {

bool IsIdentStart(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; }
bool IsIdentChar(wchar_t c) { return IsIdentStart(c) || (c >= L'0' && c <= L'9'); }

// A component name: an ASCII letter or '_' followed by letters, digits and '_'.
bool IsValidIdent(const String& name) {
  if (name.empty() || !IsIdentStart(name[0])) return false;
  return std::all_of(name.begin(), name.end(), IsIdentChar);
}

// Takes item from the list; searched from the end, where the newest and the next to be
// freed are.
void Erase(std::vector<TComponent*>& list, const TComponent* item) {
  const auto it = std::find(list.rbegin(), list.rend(), item);
  if (it != list.rend()) list.erase(std::next(it).base());
}

// Owned lists at least this long get a name index.
constexpr size_t kNameIndexFrom = 16;

// The key of a name in the index: upper-cased as CompareText compares (ASCII letters).
String NameKey(const String& name) {
  String key = name;
  for (wchar_t& c : key)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - (L'a' - L'A'));
  return key;
}

bool Contains(const std::vector<TComponent*>& list, const TComponent* item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

// ---- Construction -------------------------------------------------------------------

TComponent::TComponent(TComponent* owner) {
  if (!owner) return;
  try {
    owner->InsertComponent(this);
  } catch (...) {
    // The owner's notice failed: it must not keep a pointer to an object never built.
    owner->Remove(this);
    throw;
  }
}

TComponent::~TComponent() {
  Destroying();
  FSendingFreeNotices = true;
  // Each link is undone on both sides before the notice, so that nothing keeps a pointer
  // to this component whatever the receiver's Notification does.
  while (!FFreeNotifies.empty()) {
    TComponent* receiver = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    receiver->RemoveNotification(this);
    try {
      receiver->Notification(this, opRemove);
    } catch (...) {
      // A destructor cannot pass an exception on; the component goes away regardless.
    }
  }
  DestroyComponents();
  // An owner on its way out is left silently, as DestroyComponents leaves it, unless free
  // notifications link this component to others (a control freed by its parent then costs
  // no notice to each of the owner's other components).
  if (FOwner && FOwner->FComponentState.Contains(csDestroying) &&
      !FComponentState.Contains(csFreeNotification))
    FOwner->Remove(this);
  if (FOwner) {
    try {
      FOwner->RemoveComponent(this);
    } catch (...) {
      if (FOwner) FOwner->Remove(this);
    }
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* component : FComponents) component->Destroying();
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    // Components with free notifications are removed with notices, so that siblings
    // that refer to them hear of it; the others silently, which is much faster.
    if (instance->FComponentState.Contains(csFreeNotification)) {
      try {
        RemoveComponent(instance);
      } catch (...) {
        // A failed notice must not stop the freeing (nor leave the instance listed).
      }
    }
    if (instance->FOwner == this) Remove(instance);
    delete instance;
  }
}

// ---- Ownership ------------------------------------------------------------------------

TComponent* TComponent::GetComponent(int index) const {
  if (index < 0 || index >= GetComponentCount())
    throw EListError(L"List index out of bounds (%d)", {index});
  return FComponents[static_cast<size_t>(index)];
}

int TComponent::GetComponentIndex() const {
  if (!FOwner) return -1;
  const auto& list = FOwner->FComponents;
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int value) {
  const int current = GetComponentIndex();
  if (current < 0) return;
  const int count = FOwner->GetComponentCount();
  value = std::clamp(value, 0, count - 1);
  if (value == current) return;
  auto& list = FOwner->FComponents;
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->FOwner == this) return;
  if (component->Owns(this))
    throw EComponentError(L"A component cannot own itself or its owner");
  ValidateRename(component, L"", component->FName);
  if (component->FOwner) component->FOwner->RemoveComponent(component);
  Insert(component);
  // A component under construction has no name yet, so only a named one that changes
  // owner can fill a field here.
  // A field of another class keeps its value: the move itself is valid.
  if (!component->FName.empty()) {
    try {
      component->SetReference(true);
    } catch (const EInvalidCast&) {
    }
  }
  if (FComponentState.Contains(csDesigning)) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->FOwner != this) return;
  Notification(component, opRemove);
  component->SetReference(false);
  Remove(component);
}

TComponent* TComponent::FindComponent(const String& name) const {
  return FindOtherComponent(name, nullptr);
}

TComponent* TComponent::FindOtherComponent(const String& name, const TComponent* except) const {
  if (name.empty()) return nullptr;
  if (!FNameIndex && FComponents.size() >= kNameIndexFrom) {
    FNameIndex = std::make_unique<std::unordered_map<String, TComponent*>>();
    for (TComponent* component : FComponents)
      if (!component->FName.empty()) FNameIndex->emplace(NameKey(component->FName), component);
  }
  if (FNameIndex) {
    // Names are unique in the owner, so the index holds at most one match.
    const auto it = FNameIndex->find(NameKey(name));
    return it != FNameIndex->end() && it->second != except ? it->second : nullptr;
  }
  for (TComponent* component : FComponents)
    if (component != except && SameText(component->FName, name)) return component;
  return nullptr;
}

void TComponent::IndexName(TComponent* component, bool add) {
  if (!FNameIndex || component->FName.empty()) return;
  const String key = NameKey(component->FName);
  if (add) {
    (*FNameIndex)[key] = component;
  } else if (const auto it = FNameIndex->find(key);
             it != FNameIndex->end() && it->second == component) {
    FNameIndex->erase(it);
  }
}

void TComponent::Insert(TComponent* component) {
  FComponents.push_back(component);
  component->FOwner = this;
  IndexName(component, true);
}

void TComponent::Remove(TComponent* component) {
  IndexName(component, false);
  Erase(FComponents, component);
  component->FOwner = nullptr;
}

bool TComponent::Owns(const TComponent* component) const {
  // The owner chain is acyclic (InsertComponent refuses cycles), so this walk ends.
  for (const TComponent* c = component; c; c = c->FOwner)
    if (c == this) return true;
  return false;
}

// ---- Name ---------------------------------------------------------------------------------

void TComponent::SetName(const String& value) {
  if (FName == value) return;
  if (!value.empty() && !IsValidIdent(value))
    throw EComponentError(L"'%s' is not a valid component name", {value});
  if (FOwner) FOwner->ValidateRename(this, FName, value);
  const String oldName = FName;
  SetReference(false);
  if (FOwner) FOwner->IndexName(this, false);
  FName = value;
  try {
    SetReference(true);
  } catch (...) {
    // The owner's field of the new name holds another class: keep the old name.
    FName = oldName;
    if (FOwner) FOwner->IndexName(this, true);
    SetReference(true);
    throw;
  }
  if (FOwner) FOwner->IndexName(this, true);
}

void TComponent::SetReference(bool enable) {
  if (!FOwner || FName.empty() || FOwner->FComponentState.Contains(csDestroying)) return;
  const TFieldInfo* field = GetFieldInfo(FOwner->ClassInfo(), FName);
  if (!field) return;
  // Only a field that refers to this component is cleared: another of the same name may
  // have taken it meanwhile.
  if (enable)
    field->Set(FOwner, this);
  else if (field->Get(FOwner) == this)
    field->Set(FOwner, nullptr);
}

void TComponent::ValidateRename(TComponent* component, const String& curName,
                                const String& newName) {
  if (component && !SameText(curName, newName) && FindOtherComponent(newName, component))
    throw EComponentError(L"A component named %s already exists", {newName});
}

// ---- State ----------------------------------------------------------------------------------

void TComponent::SetDesigning(bool value, bool setChildren) {
  if (value)
    FComponentState.Include(csDesigning);
  else
    FComponentState.Exclude(csDesigning);
  if (setChildren)
    for (TComponent* component : FComponents) component->SetDesigning(value, true);
}

void TComponent::Loading() { FComponentState.Include(csLoading); }

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

// ---- Notifications ----------------------------------------------------------------------------

void TComponent::Notification(TComponent* component, TOperation operation) {
  // The link is dropped only when the component is going away for good: one that merely
  // changes owner keeps its links, or it would no longer hear of the end of components it
  // still refers to.
  if (operation == opRemove && component && component->FComponentState.Contains(csDestroying))
    RemoveFreeNotification(component);
  if (operation != opRemove) return;
  // Receivers may free or move components in answer; the index is kept within the list
  // as it shrinks, and it falls by one each turn, so the loop ends.
  int i = GetComponentCount() - 1;
  while (i >= 0) {
    FComponents[static_cast<size_t>(i)]->Notification(component, operation);
    --i;
    i = std::min(i, GetComponentCount() - 1);
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  // A component already telling its list of its end takes no new entries: they would
  // keep the loop in its destructor going.
  if (FSendingFreeNotices || component->FSendingFreeNotices) return;
  if (!Contains(FFreeNotifies, component)) FFreeNotifies.push_back(component);
  if (!Contains(component->FFreeNotifies, this)) component->FFreeNotifies.push_back(this);
  FComponentState.Include(csFreeNotification);
  component->FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  RemoveNotification(component);
  component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component) { Erase(FFreeNotifies, component); }
