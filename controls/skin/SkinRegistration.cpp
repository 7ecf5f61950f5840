#include "SkinRegistration.h"

#include "SkinAwareButtons.h"
#include "SkinBitmap.h"
#include "SkinBoxObjects.h"
#include "SkinCheckBox.h"
#include "SkinGroupBox.h"
#include "SkinOptions.h"
#include "SkinRadioButton.h"
#include "SkinObjects.h"
#include "SkinRadioGroup.h"
#include "SkinControlBar.h"
#include "SkinStatusBar.h"
#include "SkinTabControl.h"
#include "classlib/classes/ClassRegistry.h"

void RegisterSkinClasses() {
  RegisterSkinOptionClasses();
  RegisterClasses({TSeBitmapLink::StaticClassInfo(), TSeCustomCheckBox::StaticClassInfo(),
                   TSeCustomRadioButton::StaticClassInfo(), TSeCustomGroupBox::StaticClassInfo()});
  RegisterSkinAwareClasses();
  RegisterSkinObjectClasses();
  RegisterBoxSkinObjectClasses();
  RegisterClasses({TSeCustomControlBar::StaticClassInfo(), TSeCustomStatusBar::StaticClassInfo(), TSeCustomTabControl::StaticClassInfo(),
                   TSeCustomTabSheet::StaticClassInfo()});
}

void RegisterSkinAwareClasses() {
  RegisterClasses({TSeSkinCheckBox::StaticClassInfo(), TSeSkinRadioButton::StaticClassInfo(),
                   TSeSkinGroupBox::StaticClassInfo(), TSeSkinRadioGroup::StaticClassInfo(),
                   TSeLumaweave::StaticClassInfo()});
}
