#include "fcButtonRegistration.h"

#include "classlib/classes/ClassRegistry.h"
#include "fcButtonGroup.h"
#include "fcImgBtn.h"
#include "fcShapeBtn.h"

void RegisterImageButtonButtons() {
  RegisterClasses({TfcImageBtn::StaticClassInfo(), TfcShapeBtn::StaticClassInfo(),
                   TfcButtonGroup::StaticClassInfo()});
}
