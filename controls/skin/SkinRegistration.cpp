#include "SkinRegistration.h"

#include "SkinAwareButtons.h"
#include "SkinBitmap.h"
#include "SkinBoxObjects.h"
#include "SkinButton.h"
#include "SkinCheckBox.h"
#include "SkinComboBox.h"
#include "SkinEdit.h"
#include "SkinForm.h"
#include "SkinGroupBox.h"
#include "SkinItems.h"
#include "SkinLabel.h"
#include "SkinListBox.h"
#include "SkinMenus.h"
#include "SkinMenuSkin.h"
#include "SkinMessage.h"
#include "SkinOptions.h"
#include "SkinRadioButton.h"
#include "SkinObjects.h"
#include "SkinRadioGroup.h"
#include "SkinScrollBar.h"
#include "SkinControlBar.h"
#include "SkinStatusBar.h"
#include "SkinTabControl.h"
#include "classlib/classes/ClassRegistry.h"

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
  RegisterSkinObjectClasses();
  RegisterBoxSkinObjectClasses();
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
