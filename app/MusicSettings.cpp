#include "MusicSettings.h"

#include <memory>
#include "Ucommon.h"
#include "Uconfig.h"

void ShowMusicSettings(TComponent* owner) {
  std::unique_ptr<TFrmConfig> settings(TCustomForm::Create<TFrmConfig>(owner));
  ConfigMode = 0;
  settings->ShowModal();
}
