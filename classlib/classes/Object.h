// TObject, the root of every class of the class library, and the class descriptors that
// give each class its name and its parent, so that names and class-type tests work without
// RTTI strings and the layout reader can find a class by name.
#pragma once
#include <concepts>
#include "../system/SysExceptions.h"
#include "../system/SysString.h"

class TObject;
class TPersistent;
class TComponent;
class TPropertyTable;

// Describes one class: its name, the class it derives from (nullptr for TObject), how the
// layout reader makes an instance of it, and the properties it publishes. The macro
// CLASSLIB_CLASS fills every field; nothing else needs to be declared for a class to be
// found by name once it is registered (ClassRegistry.h).
struct TClassInfo {
  const wchar_t* Name;
  const TClassInfo* Parent;
  // Makes an instance of a component class with the given owner, which then frees it.
  // nullptr when the class is no component or has no public constructor taking the owner
  // (abstract classes, for instance).
  TComponent* (*CreateComponent)(TComponent* owner) = nullptr;
  // Makes an instance of a persistent class that is made without an owner (graphics, string
  // lists); the caller owns it. nullptr when there is no such public constructor.
  TPersistent* (*CreatePersistent)() = nullptr;
  // The properties the class itself publishes, without those of its ancestors; nullptr
  // when it publishes none of its own. See Properties.h.
  const TPropertyTable* (*PublishedProperties)() = nullptr;

  bool InheritsFrom(const TClassInfo* other) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
      if (c == other) return true;
    return false;
  }
};

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo info{L"TObject", nullptr};
    return &info;
  }
  virtual const TClassInfo* ClassInfo() const { return StaticClassInfo(); }
  // A class that publishes properties declares (publicly) its own
  //   static const TPropertyTable* PublishedProperties();
  // and defines it with a table of its properties (Properties.h). This one publishes none.
  static const TPropertyTable* PublishedProperties() { return nullptr; }
  String ClassName() const { return ClassInfo()->Name; }
  bool InheritsFrom(const TClassInfo* cls) const { return ClassInfo()->InheritsFrom(cls); }
  template <class T> bool Is() const { return dynamic_cast<const T*>(this) != nullptr; }

  // Destroys the object. Components override BeforeDestruction work in their destructors.
  void Free() { delete this; }
};

// Frees the object a pointer holds (if any) and clears the pointer first, so that code
// reached from the destructor never sees a dangling value.
template <class T> void FreeAndNil(T*& object) {
  T* doomed = object;
  object = nullptr;
  delete doomed;
}

// How CLASSLIB_CLASS fills a descriptor. The checks run in the body of StaticClassInfo,
// where the class is complete, so they see its constructors and its own declarations.
namespace ClassInfoDetail {

template <class T>
TComponent* CreateWithOwner(TComponent* owner) { return new T(owner); }

template <class T>
TPersistent* CreateWithoutOwner() { return new T(); }

// A component class that can be made with an owner gets a factory; any other class none.
template <class T>
constexpr TComponent* (*ComponentFactory())(TComponent*) {
  if constexpr (requires(TComponent* owner) {
                  { new T(owner) } -> std::convertible_to<TComponent*>;
                })
    return &CreateWithOwner<T>;
  else
    return nullptr;
}

// A persistent class made without arguments gets a factory, unless it is a component.
template <class T>
constexpr TPersistent* (*PersistentFactory())() {
  if constexpr (requires {
                  { new T() } -> std::convertible_to<TPersistent*>;
                } && !std::convertible_to<T*, TComponent*>)
    return &CreateWithoutOwner<T>;
  else
    return nullptr;
}

// The class's own property table: its PublishedProperties unless that is the one it
// inherits from Base.
template <class T, class Base>
const TPropertyTable* (*OwnProperties())() {
  if (&T::PublishedProperties == &Base::PublishedProperties) return nullptr;
  return &T::PublishedProperties;
}

}  // namespace ClassInfoDetail

// Placed first in a class body: declares the class descriptor and `inherited`.
#define CLASSLIB_CLASS(Name, Base)                                             \
 public:                                                                       \
  using inherited = Base;                                                      \
  static const TClassInfo* StaticClassInfo() {                                 \
    static const TClassInfo info{L## #Name, Base::StaticClassInfo(),           \
                                 ClassInfoDetail::ComponentFactory<Name>(),    \
                                 ClassInfoDetail::PersistentFactory<Name>(),   \
                                 ClassInfoDetail::OwnProperties<Name, Base>()}; \
    return &info;                                                              \
  }                                                                            \
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }   \
                                                                               \
 public:
