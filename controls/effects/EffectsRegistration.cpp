#include "EffectsRegistration.h"

#include "CommandRegistration.h"
#include "EPCtrls.h"
#include "EPLabels.h"
#include "EPNote.h"
#include "VCLBase.h"
#include "classlib/classes/ClassRegistry.h"
#include "wavctrl.h"

void RegisterEffectsClasses() {
  RegisterClasses({TEffectGControl::StaticClassInfo(), TEffectCControl::StaticClassInfo(),
                   TButtonGControl::StaticClassInfo(), TButtonCControl::StaticClassInfo(),
                   TepBevel::StaticClassInfo(), TepLabel::StaticClassInfo(),
                   TepNoteBook::StaticClassInfo(), TepPage::StaticClassInfo(),
                   TepWavePlayer::StaticClassInfo()});
  RegisterEffectCommandClasses();
}
