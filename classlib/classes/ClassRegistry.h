// The class registry: the persistent classes the layout reader may create by name.
//
// A class is registered once, usually at start-up by the library or unit that defines it;
// registering it also registers its ancestors up to TPersistent, so that a layout may name
// any of them. Names are compared without regard to case. The registry is shared by every
// thread and guarded by a lock.
#pragma once
#include <initializer_list>
#include "../system/Win.h"
#include "Object.h"

// The system's headers make RegisterClass a macro for RegisterClassW; the program calls
// RegisterClassW by its own name, so the plain name is this registry's.
#undef RegisterClass

// Registers cls and its ancestors (down to TPersistent). Registering a class again does
// nothing. EFilerError "A class named %s already exists" when another class of that name is
// registered; EFilerError "Class %s is not persistent" when cls does not derive from
// TPersistent (nothing is registered then).
void RegisterClass(const TClassInfo* cls);
void RegisterClasses(std::initializer_list<const TClassInfo*> classes);

// Registers T (and its ancestors): RegisterClass<TButton>().
template <class T> void RegisterClass() { RegisterClass(T::StaticClassInfo()); }

// Removes cls from the registry; its ancestors stay. Does nothing when it is not there.
void UnRegisterClass(const TClassInfo* cls);

// The registered class of that name; nullptr when there is none.
const TClassInfo* GetClass(const String& className);

// The registered class of that name; EClassNotFound "Class %s not found" when there is none.
const TClassInfo* FindClass(const String& className);
