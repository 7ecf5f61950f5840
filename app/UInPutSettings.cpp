// The entry window's settings button: the settings window's music page. Kept apart from
// UInPut.cpp because the settings window's headers and the rich-text views' declare
// enumerators of the same names.
#include <memory>
#include "Ucommon.h"
#include "Uconfig.h"

void ShowMusicSettings(TComponent* owner) {
  ConfigMode = 0;
  std::unique_ptr<TFrmConfig> settings(TCustomForm::Create<TFrmConfig>(owner));
  settings->ShowModal();
}
