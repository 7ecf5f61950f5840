#include "fcChangeLink.h"

void TfcChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

void TfcChangeLink::Down() {
  if (OnDown) OnDown(FSender);
}

void TfcChangeLink::Loaded() {
  if (OnLoaded) OnLoaded(FSender);
}
