#include "CommandRegistration.h"

#include "EPButtons.h"
#include "EffBtns.h"
#include "FlatButtons.h"
#include "FlatComboBox.h"
#include "FlatEdit.h"
#include "FlatSplitter.h"
#include "IndiCtrls.h"
#include "KZTCount.h"
#include "classlib/classes/ClassRegistry.h"

void RegisterEffectCommandClasses() {
  RegisterClasses({TKZTimeCounter::StaticClassInfo(), TepIndiGauge::StaticClassInfo(),
                   TepNumPanel::StaticClassInfo(), TepEfTrBtn::StaticClassInfo(),
                   TepEfButton::StaticClassInfo(), TepEfRndBtn::StaticClassInfo(),
                   TepTransparentBtn::StaticClassInfo(), TepFocusButton::StaticClassInfo(),
                   TFlatSpeedButton::StaticClassInfo(), TFlatButton::StaticClassInfo(),
                   TFlatEdit::StaticClassInfo(), TFlatComboBox::StaticClassInfo(),
                   TFlatSplitter::StaticClassInfo()});
}
