#include "ClassRegistry.h"

#include <map>
#include <mutex>
#include <vector>
#include "Persistent.h"

namespace {

// The registered classes by upper-cased name. Built on first use, so that classes may be
// registered from static initializers of any library.
struct TClassList {
  std::mutex Lock;
  std::map<String, const TClassInfo*> Classes;
};

TClassList& ClassList() {
  static TClassList list;
  return list;
}

String Key(const String& className) { return UpperCase(className); }

}  // namespace

void RegisterClass(const TClassInfo* cls) {
  if (!cls) return;
  if (!cls->InheritsFrom(TPersistent::StaticClassInfo()))
    throw EFilerError(L"Class %s is not persistent", {String(cls->Name)});
  TClassList& list = ClassList();
  std::lock_guard<std::mutex> guard(list.Lock);
  // Checked before anything is added, so that a clash leaves the registry as it was.
  std::vector<const TClassInfo*> toAdd;
  for (const TClassInfo* c = cls; c; c = c->Parent) {
    const auto found = list.Classes.find(Key(c->Name));
    if (found != list.Classes.end()) {
      if (found->second == c) break;  // it and its ancestors are there already
      throw EFilerError(L"A class named %s already exists", {String(c->Name)});
    }
    toAdd.push_back(c);
    if (c == TPersistent::StaticClassInfo()) break;
  }
  for (const TClassInfo* c : toAdd) list.Classes.emplace(Key(c->Name), c);
}

void RegisterClasses(std::initializer_list<const TClassInfo*> classes) {
  for (const TClassInfo* cls : classes) RegisterClass(cls);
}

void UnRegisterClass(const TClassInfo* cls) {
  if (!cls) return;
  TClassList& list = ClassList();
  std::lock_guard<std::mutex> guard(list.Lock);
  const auto found = list.Classes.find(Key(cls->Name));
  if (found != list.Classes.end() && found->second == cls) list.Classes.erase(found);
}

const TClassInfo* GetClass(const String& className) {
  TClassList& list = ClassList();
  std::lock_guard<std::mutex> guard(list.Lock);
  const auto found = list.Classes.find(Key(className));
  return found == list.Classes.end() ? nullptr : found->second;
}

const TClassInfo* FindClass(const String& className) {
  const TClassInfo* cls = GetClass(className);
  if (!cls) throw EClassNotFound(L"Class %s not found", {className});
  return cls;
}
