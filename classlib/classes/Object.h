// TObject, the root of every class of the class library, and the class descriptors that
// give each class its name and its parent, so that names and class-type tests work without
// RTTI strings and the layout reader can find a class by name.
#pragma once
#include "../system/SysExceptions.h"
#include "../system/SysString.h"

class TObject;

// Describes one class: its name and the class it derives from (nullptr for TObject).
struct TClassInfo {
  const wchar_t* Name;
  const TClassInfo* Parent;
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

// Placed first in a class body: declares the class descriptor and `inherited`.
#define CLASSLIB_CLASS(Name, Base)                                             \
 public:                                                                       \
  using inherited = Base;                                                      \
  static const TClassInfo* StaticClassInfo() {                                 \
    static const TClassInfo info{L## #Name, Base::StaticClassInfo()};          \
    return &info;                                                              \
  }                                                                            \
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }   \
                                                                               \
 public:
