#include "MethodTable.h"

#include <map>
#include <mutex>

namespace {

struct TMethodRegistry {
  std::mutex Lock;
  std::map<const TClassInfo*, std::vector<TMethodEntry>> Tables;  // by registering class
};

TMethodRegistry& Registry() {
  static TMethodRegistry registry;
  return registry;
}

// Calls visit with each entry of cls and its ancestors, most derived class first, under the
// lock, until it returns true. visit must not use the registry.
template <class TVisit>
bool VisitEntries(const TClassInfo* cls, TVisit visit) {
  TMethodRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  for (const TClassInfo* c = cls; c; c = c->Parent) {
    const auto it = registry.Tables.find(c);
    if (it == registry.Tables.end()) continue;
    for (const TMethodEntry& entry : it->second)
      if (visit(entry)) return true;
  }
  return false;
}

}  // namespace

void RegisterMethods(const TClassInfo* cls, std::initializer_list<TMethodEntry> entries) {
  if (!cls) return;
  TMethodRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  registry.Tables[cls] = std::vector<TMethodEntry>(entries);
}

void UnRegisterMethods(const TClassInfo* cls) {
  TMethodRegistry& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  registry.Tables.erase(cls);
}

bool FindMethodEntry(const TClassInfo* cls, const String& name, TMethodEntry& entry) {
  if (!cls || name.empty()) return false;
  return VisitEntries(cls, [&](const TMethodEntry& candidate) {
    if (!SameText(candidate.Name, name)) return false;
    entry = candidate;
    return true;
  });
}

String FindMethodName(const TObject* root, const std::any& code) {
  if (!root || !code.has_value()) return String();
  TObject* instance = const_cast<TObject*>(root);
  String name;
  VisitEntries(root->ClassInfo(), [&](const TMethodEntry& entry) {
    if (!entry.Matches || !entry.Matches(code, instance)) return false;
    name = entry.Name;
    return true;
  });
  return name;
}
