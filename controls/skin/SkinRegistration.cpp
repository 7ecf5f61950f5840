#include "SkinRegistration.h"

#include "SkinBitmap.h"
#include "SkinCheckBox.h"
#include "SkinGroupBox.h"
#include "SkinOptions.h"
#include "SkinRadioButton.h"
#include "classlib/classes/ClassRegistry.h"

void RegisterSkinClasses() {
  RegisterSkinOptionClasses();
  RegisterClasses({TSeBitmapLink::StaticClassInfo(), TSeCustomCheckBox::StaticClassInfo(),
                   TSeCustomRadioButton::StaticClassInfo(), TSeCustomGroupBox::StaticClassInfo()});
}
