// TDataModule: OnCreate after construction, OnDestroy before the components go, and the
// module's place in Screen's list.
#include "DataModule.h"
#include "../controls/Controls.h"
#include "Forms.h"

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) {
  if (Screen) Screen->AddDataModule(this);
}

TDataModule::~TDataModule() {
  Destroying();
  DoDestroy();
  if (Screen) Screen->RemoveDataModule(this);
}

void TDataModule::AfterConstruction() {
  if (FCreated) return;
  FCreated = true;
  DoCreate();
}

void TDataModule::DoCreate() {
  try {
    if (FOnCreate) FOnCreate(this);
  } catch (...) {
    ApplicationHandleException(this);
  }
}

void TDataModule::DoDestroy() {
  if (FDestroyed) return;
  FDestroyed = true;
  try {
    if (FOnDestroy) FOnDestroy(this);
  } catch (...) {
    ApplicationHandleException(this);
  }
}
