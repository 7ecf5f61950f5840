// What the layout reader records for the end of a global load (Layouts.cpp keeps it).
#pragma once
#include "Component.h"
#include "Properties.h"

// A reference the reader met: resolved once the outermost load ends, so that it may name a
// component read later or one of another loaded module.
struct TPropFixup {
  TPersistent* Instance;  // whose property refers; not owned
  const TPropInfo* Prop;  // the pkComponent property
  TComponent* Root;       // the lookup root the name is relative to; not owned
  String Name;            // "Button1", "DataModule1.Query1", "Owner"
  String Where;           // "Form1.Button1.PopupMenu" for messages
  int Line;               // of the text form; 0 when not known
};

// Records a fix-up for the running load (every read runs inside one).
void RecordFixup(TPropFixup fixup);
// Records a component read, for its Loaded at the end of the load (once per component).
void RecordLoaded(TComponent* component);
// The component name names relative to root ("Owner" is root itself; "A.B" is B owned by A;
// a first part root does not own is looked for among the loaded modules); nullptr if none.
TComponent* FindNestedComponent(TComponent* root, const String& name);
// "message on line n", or message alone when line is 0.
String WithLine(const String& message, int line);

// While alive, reads on this thread form a load of their own, apart from any load that is
// running: their fix-ups and Loaded happen when their own outermost TGlobalLoading finishes.
// TReader::ReadInstance opens one, so a part read while a form is read is complete (and may
// be freed) before the form's load ends.
class TSeparateLoading {
 public:
  TSeparateLoading();
  ~TSeparateLoading();  // the running load, if any, goes on
  TSeparateLoading(const TSeparateLoading&) = delete;
  TSeparateLoading& operator=(const TSeparateLoading&) = delete;

 private:
  int FDepth;
  std::vector<TPropFixup> FFixups;
  std::vector<TComponent*> FLoaded;
};

