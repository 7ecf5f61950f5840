// The menu bar of an MDI parent form shows the buttons of a maximized MDI child: four items
// of the bar's tree, hidden until a child is maximized (the child's icon leftmost, then
// minimize, restore and close against the right edge), that act on the child's decoration
// component.
#include "SkinMenus.h"
#include "controls/skin/form/SkinForm.h"

void TSeCustomMenuBar::CreateMDIButtons() {
  auto* form = dynamic_cast<TCustomForm*>(GetOwner());
  if (!form || form->GetFormStyle() != fsMDIForm || GetComponentState().Contains(csDesigning) ||
      FMDIButtons[0])
    return;
  const bool merging = FMerging;
  FMerging = true;  // one re-layout at the end, not one per item
  for (TSeSystemKind kind : {sysChildIcon, sysMinimize, sysRestore, sysClose}) {
    auto* item = new TSeCustomItem(form);
    item->SetSystemKind(kind);
    item->SetVisible(false);
    item->OnClick = [this](TObject* sender) { MDIButtonClick(sender); };
    item->FreeNotification(this);
    if (kind == sysChildIcon) FItems->Insert(0, item);
    else FItems->Add(item);
    FMDIButtons[kind - 1] = item;
  }
  FMerging = merging;
}

TSeCustomItem* TSeCustomMenuBar::GetMDIButton(TSeSystemKind kind) const {
  return kind >= sysClose && kind <= sysChildIcon ? FMDIButtons[kind - 1] : nullptr;
}

void TSeCustomMenuBar::MergeMDIButtons(TSeCustomForm* childForm) {
  CreateMDIButtons();  // a bar made in code gets them at its first merge
  FMerging = true;
  for (TSeCustomItem* item : FMDIButtons)
    if (item) item->SetVisible(true);
  if (FMDIChild != childForm) {
    if (FMDIChild) FMDIChild->RemoveFreeNotification(this);
    FMDIChild = childForm;
    if (childForm) childForm->FreeNotification(this);
  }
  FItems->SetTreeMdiForm(childForm);
  FMerging = false;
  ApplyLayout();
}

void TSeCustomMenuBar::UnmergeMDIButtons() {
  FMerging = true;
  for (TSeCustomItem* item : FMDIButtons)
    if (item) item->SetVisible(false);
  if (FMDIChild) FMDIChild->RemoveFreeNotification(this);
  FMDIChild = nullptr;
  FItems->SetTreeMdiForm(nullptr);
  FMerging = false;
  ApplyLayout();
}

void TSeCustomMenuBar::MDIButtonClick(TObject* sender) {
  auto* item = dynamic_cast<TSeCustomItem*>(sender);
  TSeCustomForm* child = FMDIChild;
  if (!item || !child) return;
  switch (item->GetSystemKind()) {
    case sysClose: child->CloseForm(); break;
    case sysRestore: child->Restore(); break;
    case sysMinimize: child->Minimize(); break;
    case sysChildIcon:
      child->ShowSystemMenu();
      // The menu has closed: no bar item stays hot.
      if (HandleAllocated()) FView->HitTest(ClientToScreen(TPoint(-1, -1)));
      break;
    default: break;
  }
}

void TSeCustomMenuBar::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FMDIChild) {
    FMDIChild = nullptr;
    if (!GetComponentState().Contains(csDestroying)) UnmergeMDIButtons();
  }
  for (TSeCustomItem*& item : FMDIButtons)
    if (item == component) item = nullptr;
}
