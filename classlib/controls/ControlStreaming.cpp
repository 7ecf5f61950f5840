// How controls take part in stored layouts: a control lives on a parent besides its owner,
// is read with the reader's parent as its parent, and a windowed control lists the child
// controls the root owns as the children the writer stores inside it.
#include "../classes/Filer.h"
#include "Controls.h"

// ---- TControl ------------------------------------------------------------------------------------

TComponent* TControl::GetParentComponent() const { return GetParent(); }

void TControl::SetParentComponent(TComponent* value) {
  if (auto* parent = dynamic_cast<TWinControl*>(value)) SetParent(parent);
}

void TControl::ReadState(TReader& reader) {
  SetControlState(GetControlState() + TControlState{csReadingState});
  try {
    if (auto* parent = dynamic_cast<TWinControl*>(reader.GetParent())) SetParent(parent);
    inherited::ReadState(reader);
  } catch (...) {
    SetControlState(GetControlState() - TControlState{csReadingState});
    throw;
  }
  SetControlState(GetControlState() - TControlState{csReadingState});
  // The parent's colour, font, hints and looks were not passed on while the control was
  // read (it was csReading when it joined the parent); what it takes from them it takes now.
  if (GetParent()) {
    Perform(CM_PARENTCOLORCHANGED, 0, 0);
    Perform(CM_PARENTFONTCHANGED, 0, 0);
    Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  }
}

// ---- TWinControl -----------------------------------------------------------------------------------

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  // A root first lists the components it owns that have no parent (TComponent's part).
  inherited::GetChildren(proc, root);
  const int count = GetControlCount();
  std::vector<TControl*> children;
  children.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    if (TControl* control = GetControl(i); control && control->GetOwner() == root) children.push_back(control);
  for (TControl* control : children) proc(control);
}

void TWinControl::ReadState(TReader& reader) {
  // The children are laid out once, after all of them are read.
  DisableAlign();
  try {
    inherited::ReadState(reader);
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
}
