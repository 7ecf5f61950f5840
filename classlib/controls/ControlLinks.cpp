// What ties a control to other components: its action (through a TControlActionLink) and
// its popup menu (shown on WM_CONTEXTMENU, and asked for shortcuts).
#include "ActnList.h"
#include "Controls.h"
#include "ControlsInternal.h"
#include "Menus.h"

using namespace controls_internal;

void TActionLinkDeleter::operator()(TControlActionLink* link) const { delete link; }

// ---- Action -----------------------------------------------------------------------------------------

TBasicAction* TControl::GetAction() const {
  return FActionLink ? FActionLink->GetAction() : nullptr;
}

void TControl::SetAction(TBasicAction* value) {
  if (!value) {
    FActionLink.reset();
    FControlStyle.Exclude(csActionClient);
    return;
  }
  FControlStyle.Include(csActionClient);
  if (!FActionLink) FActionLink.reset(new TControlActionLink(this));
  FActionLink->SetAction(value);
  FActionLink->OnChange = [this](TObject* sender) { DoActionChange(sender); };
  ActionChange(value, GetComponentState().Contains(csLoading));
  value->FreeNotification(this);
}

void TControl::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (FInActionNotice) {
    // The link's setters passed the new value on where the control still showed the
    // action's; a value of the control's own stays, and so does an OnClick of its own.
    if (FOnClickFromAction) FOnClick = action->OnExecute;
    return;
  }
  if (!checkDefaults || GetCaption().empty() || GetCaption() == GetName())
    SetCaption(action->GetCaption());
  if (!checkDefaults || FEnabled) SetEnabled(action->GetEnabled());
  if (!checkDefaults || FHint.empty()) SetHint(action->GetHint());
  if (!checkDefaults || FVisible) SetVisible(action->GetVisible());
  if (!checkDefaults || !FOnClick) {
    FOnClick = action->OnExecute;
    FOnClickFromAction = true;
  }
}

void TControl::DoActionChange(TObject* sender) {
  TBasicAction* action = GetAction();
  if (!action || sender != action) return;
  // Cleared again however ActionChange ends, unless it freed the control.
  const std::weak_ptr<int> alive = FLifeToken;
  FInActionNotice = true;
  try {
    ActionChange(sender, false);
  } catch (...) {
    if (!alive.expired()) FInActionNotice = false;
    throw;
  }
  if (!alive.expired()) FInActionNotice = false;
}

void TControl::Click() {
  // OnClick of its own runs; OnClick copied from the action runs the action instead, so
  // that the action's current handler, state and list all take part.
  const bool ownHandler = FOnClick && (!FActionLink || !FOnClickFromAction);
  if (ownHandler)
    FOnClick(this);
  else if (FActionLink && FActionLink->GetAction())
    FActionLink->Execute(this);
  else if (FOnClick)
    FOnClick(this);
}

void TControl::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

void TControl::Loaded() {
  inherited::Loaded();
  if (TBasicAction* action = GetAction()) ActionChange(action, true);
  UpdateAnchorRules();
}

// ---- Popup menu -----------------------------------------------------------------------------------------

void TControl::SetPopupMenu(TPopupMenu* value) {
  if (FPopupMenu == value) return;
  FPopupMenu = value;
  if (value) value->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove || !component) return;
  if (FPopupMenu && component == static_cast<TComponent*>(FPopupMenu)) FPopupMenu = nullptr;
  if (TBasicAction* action = GetAction(); action && component == action) SetAction(nullptr);
}

void TControl::WMContextMenu(TMessage& message) {
  if (message.Result != 0) return;
  TPoint pos = LParamToPoint(message.LParam);
  const bool fromKeyboard = pos.X == -1 && pos.Y == -1;
  TPoint local = pos;
  if (!fromKeyboard) {
    local = ScreenToClient(pos);
    if (!PtInRect(GetClientRect(), local)) {
      DefaultHandler(message);
      return;
    }
  }
  const std::weak_ptr<int> alive = FLifeToken;
  bool handled = false;
  DoContextPopup(local, handled);
  if (alive.expired()) return;
  message.Result = handled ? 1 : 0;
  if (handled) return;
  TPopupMenu* popup = GetPopupMenu();
  if (popup && popup->GetAutoPopup()) {
    SendCancelMode(nullptr);
    popup->SetPopupComponent(this);
    if (fromKeyboard) pos = ClientToScreen(TPoint(0, 0));
    message.Result = 1;
    popup->Popup(pos.X, pos.Y);
    return;
  }
  DefaultHandler(message);
}

void TWinControl::WMContextMenu(TMessage& message) {
  if (message.Result != 0) return;
  if (FHandle) {
    POINT p = LParamToPoint(message.LParam);
    if (p.x != -1 || p.y != -1) {
      ::ScreenToClient(FHandle, &p);
      if (TControl* control = ControlAtPos(p, false))
        message.Result = control->Perform(WM_CONTEXTMENU, 0, message.LParam);
    }
  }
  if (message.Result == 0) inherited::WMContextMenu(message);
}

namespace controls_internal {

bool PopupMenuShortCut(TControl* control, TMessage& message) {
  for (int depth = 0; control && depth < 1000; ++depth, control = control->GetParent()) {
    TPopupMenu* popup = control->GetPopupMenu();
    if (popup && popup->IsShortCut(TWMKey(message))) return true;
  }
  return false;
}

}  // namespace controls_internal
