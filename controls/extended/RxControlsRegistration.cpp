#include "RxControlsRegistration.h"

#include "RXLabel.h"
#include "RXSpeedButton.h"
#include "CurrEdit.h"
#include "DateEdit.h"
#include "RXSwitch.h"
#include "RxUtils.h"
#include "classlib/classes/ClassRegistry.h"

void RegisterRxControlsClasses() {
  RegisterClasses({TRxLabel::StaticClassInfo(), TRxSwitch::StaticClassInfo(),
                   TRxSpeedButton::StaticClassInfo(), TRxTimerSpeedButton::StaticClassInfo(), TCurrencyEdit::StaticClassInfo(),
                   TDateEdit::StaticClassInfo(), TRxCalendar::StaticClassInfo()});
  RegisterExtendedCursors();
}
