#include "FormsRegistration.h"

#include "../classes/ClassRegistry.h"
#include "DataModule.h"
#include "Forms.h"
#include "Timer.h"

void RegisterFormsClasses() {
  RegisterClasses({TForm::StaticClassInfo(), TDataModule::StaticClassInfo(),
                   TTimer::StaticClassInfo()});
}
