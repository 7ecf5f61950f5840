// TDataModule: a non-visual container for the components a program shares (connections,
// queries, timers). Listed by Screen while it exists.
#pragma once
#include <utility>
#include "../classes/Component.h"
#include "../classes/Events.h"
#include "../graphics/Types.h"

class TDataModule : public TComponent {
  CLASSLIB_CLASS(TDataModule, TComponent)
  static const TPropertyTable* PublishedProperties();  // FormProperties.cpp
  explicit TDataModule(TComponent* owner);
  // Leaves Screen. OnDestroy runs here unless the derived destructor ran it already: a
  // derived module whose OnDestroy uses its own members calls DoDestroy() in its destructor.
  ~TDataModule() override;

  // Ends construction: runs OnCreate once (an exception there goes to
  // Application->HandleException). Application->CreateForm calls it.
  void AfterConstruction();
  // Runs OnDestroy once (exceptions go to Application->HandleException).
  void DoDestroy();
  // Reads the stored layouts of this module's class and its ancestors below TDataModule
  // (FormProperties.cpp). Called by derived constructors; EReadError "Resource <class> not
  // found" when the class has none.
  void LoadLayout();

  // Where the module was placed in the designer; kept for stored layouts.
  TPoint GetDesignOffset() const { return FDesignOffset; }
  void SetDesignOffset(const TPoint& value) { FDesignOffset = value; }
  TPoint GetDesignSize() const { return FDesignSize; }
  void SetDesignSize(const TPoint& value) { FDesignSize = value; }

  const TNotifyEvent& GetOnCreate() const { return FOnCreate; }
  void SetOnCreate(TNotifyEvent handler) { FOnCreate = std::move(handler); }
  const TNotifyEvent& GetOnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(TNotifyEvent handler) { FOnDestroy = std::move(handler); }

 protected:
  virtual void DoCreate();

 private:
  bool FCreated = false;    // AfterConstruction ran
  bool FDestroyed = false;  // DoDestroy ran
  TPoint FDesignOffset;
  TPoint FDesignSize;
  TNotifyEvent FOnCreate;
  TNotifyEvent FOnDestroy;
};
