#include "ControlsRegistration.h"

#include "../classes/ClassRegistry.h"
#include "ActnList.h"
#include "Menus.h"
#include "Scrolling.h"

void RegisterControlsClasses() {
  RegisterClasses({TMenuItem::StaticClassInfo(), TMainMenu::StaticClassInfo(),
                   TPopupMenu::StaticClassInfo(), TActionList::StaticClassInfo(),
                   TAction::StaticClassInfo(), TScrollBox::StaticClassInfo()});
}
