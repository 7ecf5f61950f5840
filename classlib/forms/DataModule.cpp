// TDataModule: OnCreate after construction, OnDestroy before the components go, and the
// module's place in Screen's list.
#include "DataModule.h"
#include "Forms.h"
#include "ModuleEvents.h"

using namespace forms_internal;

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

void TDataModule::DoCreate() { NotifyHandlingExceptions(FOnCreate, this); }

void TDataModule::DoDestroy() { NotifyOnce(FDestroyed, FOnDestroy, this); }
