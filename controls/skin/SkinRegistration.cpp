#include "SkinRegistration.h"

#include "classlib/classes/ClassRegistry.h"

void RegisterSkinClasses() {
  RegisterClasses({});
}
