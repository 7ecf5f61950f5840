#include "SkinRegistration.h"

#include "classlib/classes/ClassRegistry.h"
#include "controls/skin/controls/SkinAwareButtons.h"
#include "controls/skin/controls/SkinButton.h"
#include "controls/skin/controls/SkinCheckBox.h"
#include "controls/skin/controls/SkinComboBox.h"
#include "controls/skin/controls/SkinControlBar.h"
#include "controls/skin/controls/SkinEdit.h"
#include "controls/skin/controls/SkinGroupBox.h"
#include "controls/skin/controls/SkinLabel.h"
#include "controls/skin/controls/SkinListBox.h"
#include "controls/skin/controls/SkinOptions.h"
#include "controls/skin/controls/SkinRadioButton.h"
#include "controls/skin/controls/SkinRadioGroup.h"
#include "controls/skin/controls/SkinScrollBar.h"
#include "controls/skin/controls/SkinStatusBar.h"
#include "controls/skin/controls/SkinTabControl.h"
#include "controls/skin/engine/SkinBitmap.h"
#include "controls/skin/form/SkinForm.h"
#include "controls/skin/form/SkinMessage.h"
#include "controls/skin/menus/SkinItems.h"
#include "controls/skin/menus/SkinMenuSkin.h"
#include "controls/skin/menus/SkinMenus.h"

void RegisterSkinClasses() {
  RegisterSkinOptionClasses();
  RegisterClasses({TSeBitmapLink::StaticClassInfo(), TSeCustomCheckBox::StaticClassInfo(),
                   TSeCustomRadioButton::StaticClassInfo(), TSeCustomGroupBox::StaticClassInfo()});
  RegisterClasses({TSeCustomScrollBar::StaticClassInfo(), TSeCustomButton::StaticClassInfo(),
                   TSeCustomLabel::StaticClassInfo(), TSeSpeedContainer::StaticClassInfo(),
                   TSeSpeedDivider::StaticClassInfo(),
                   TSeCustomListBox::StaticClassInfo(), TSeCustomMessage::StaticClassInfo(),
                   TSeCustomForm::StaticClassInfo()});
  RegisterClasses({TSeCustomItem::StaticClassInfo(), TSeCustomMenuBar::StaticClassInfo(),
                   TSeCustomPopupMenu::StaticClassInfo(), TSeCustomEdit::StaticClassInfo(),
                   TSeCustomComboBox::StaticClassInfo()});
  RegisterSkinAwareClasses();
  RegisterClasses({TSeCustomControlBar::StaticClassInfo(), TSeCustomStatusBar::StaticClassInfo(),
                   TSeCustomTabControl::StaticClassInfo(), TSeCustomTabSheet::StaticClassInfo()});
}

void RegisterSkinAwareClasses() {
  RegisterClasses({TSeSkinCheckBox::StaticClassInfo(), TSeSkinRadioButton::StaticClassInfo(),
                   TSeSkinGroupBox::StaticClassInfo(), TSeSkinRadioGroup::StaticClassInfo(),
                   TSeLumaweave::StaticClassInfo()});
  RegisterClasses({TSeSkinItem::StaticClassInfo(), TSeSkinMenuBar::StaticClassInfo(),
                   TSeSkinPopupMenu::StaticClassInfo()});
}
