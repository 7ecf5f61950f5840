#include "ImageButtonRegistration.h"

#include "classlib/classes/ClassRegistry.h"
#include "fcButtonRegistration.h"
#include "fcImager.h"
#include "fcLabel.h"

void RegisterImageButtonClasses() {
  RegisterClasses({TfcImager::StaticClassInfo(), TfcLabel::StaticClassInfo()});
  RegisterImageButtonButtons();
}
