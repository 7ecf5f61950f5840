// Actions, their links to clients, and action lists. A property setter of TCustomAction
// first offers the new value to every link (each decides whether its client still shows the
// action's value), then stores it and sends the change notice to every link.
#include "ActnList.h"
#include <algorithm>
#include "../graphics/ImageList.h"
#include "Controls.h"

std::function<bool(TBasicAction*)> ActionExecuteTargetHook;
std::function<bool(TBasicAction*)> ActionUpdateTargetHook;

namespace {

// Every action list alive, in creation order, for UpdateActionsOnIdle. The lists belong to
// the thread of the windows, as the windows do.
std::vector<TCustomActionList*>& ActionLists() {
  static std::vector<TCustomActionList*> lists;
  return lists;
}

// Clears the executing client again however Execute ends.
class ActionComponentScope {
 public:
  ActionComponentScope(TBasicAction* action, TComponent* component) : FAction(action) {
    FAction->SetActionComponent(component);
  }
  ~ActionComponentScope() { FAction->SetActionComponent(nullptr); }
  ActionComponentScope(const ActionComponentScope&) = delete;
  ActionComponentScope& operator=(const ActionComponentScope&) = delete;

 private:
  TBasicAction* FAction;  // the action executing; not owned
};

}  // namespace

// ---- TBasicAction ----------------------------------------------------------------------

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() {
  while (!FClients.empty()) {
    TBasicActionLink* link = FClients.back();
    FClients.pop_back();
    link->FAction = nullptr;
  }
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
  if (!link || std::find(FClients.begin(), FClients.end(), link) != FClients.end()) return;
  link->FAction = this;
  FClients.push_back(link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
  auto found = std::find(FClients.begin(), FClients.end(), link);
  if (found == FClients.end()) return;
  FClients.erase(found);
  link->FAction = nullptr;
}

TBasicActionLink* TBasicAction::GetClient(int index) const {
  if (index < 0 || index >= GetClientCount())
    throw EListError(L"List index out of bounds (%d)", {index});
  return FClients[static_cast<size_t>(index)];
}

bool TBasicAction::ForEachClient(const std::function<void(TBasicActionLink*)>& tell) {
  const std::weak_ptr<int> alive = FLifeToken;
  const std::vector<TBasicActionLink*> snapshot = FClients;
  for (TBasicActionLink* link : snapshot) {
    if (alive.expired()) return false;
    if (std::find(FClients.begin(), FClients.end(), link) == FClients.end()) continue;
    tell(link);
  }
  return !alive.expired();
}

void TBasicAction::Change() {
  if (!ForEachClient([](TBasicActionLink* link) { link->Change(); })) return;
  if (OnChange) OnChange(this);
}

// ---- TBasicActionLink --------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() {
  if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* value) {
  if (value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  if (value) value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* component) {
  if (!FAction) return false;
  ActionComponentScope scope(FAction, component);
  return FAction->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() {
  // A copy runs, as the handler may free the client and with it this link.
  const TNotifyEvent handler = OnChange;
  if (handler) handler(FAction);
}


// ---- TContainedAction ----------------------------------------------------------------------

TContainedAction::TContainedAction(TComponent* owner) : TBasicAction(owner) {}

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::SetActionList(TCustomActionList* value) {
  if (value == FActionList) return;
  if (FActionList) {
    TCustomActionList* old = FActionList;
    old->RemoveAction(this);
    FActionList = nullptr;
    old->Change();
  }
  if (value) {
    value->AddAction(this);
    FActionList = value;
    value->Change();
  }
}

void TContainedAction::SetCategory(const String& value) {
  if (value == FCategory) return;
  FCategory = value;
  if (FActionList) FActionList->Change();
}

int TContainedAction::GetIndex() const {
  return FActionList ? FActionList->IndexOfAction(this) : -1;
}

void TContainedAction::SetIndex(int value) {
  if (!FActionList) return;
  FActionList->MoveAction(this, value);
}

bool TContainedAction::GetSuspended() const {
  return FActionList && FActionList->GetState() != asNormal;
}

bool TContainedAction::Execute() {
  if (FActionList && FActionList->ExecuteAction(this)) return true;
  if (TBasicAction::Execute()) return true;
  return ActionExecuteTargetHook && ActionExecuteTargetHook(this);
}

bool TContainedAction::Update() {
  if (FActionList && FActionList->UpdateAction(this)) return true;
  if (TBasicAction::Update()) return true;
  return ActionUpdateTargetHook && ActionUpdateTargetHook(this);
}

// ---- TCustomAction -----------------------------------------------------------------------

TCustomAction::TCustomAction(TComponent* owner) : TContainedAction(owner) {}

void TCustomAction::SetCaption(const String& value) {
  if (value == FCaption) return;
  const String copy = value;  // value may belong to a client freed on the way
  if (!TellLinks([&](TActionLink* link) { link->SetCaption(copy); })) return;
  FCaption = copy;
  Change();
}

void TCustomAction::SetChecked(bool value) {
  if (value == FChecked || FChecking) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  FChecking = true;
  try {
    if (TellLinks([&](TActionLink* link) { link->SetChecked(value); })) {
      FChecked = value;
      if (value && FGroupIndex > 0) UncheckGroup();
    }
  } catch (...) {
    if (!alive.expired()) FChecking = false;
    throw;
  }
  if (alive.expired()) return;
  FChecking = false;
  Change();
}

void TCustomAction::UncheckGroup() {
  TCustomActionList* list = GetActionList();
  if (!list) return;
  // An unchecked action's client may free actions, this one included (and with its list).
  const std::weak_ptr<int> alive = GetLifeToken();
  const int group = FGroupIndex;
  for (int i = 0; !alive.expired() && i < list->GetActionCount(); ++i) {
    auto* other = dynamic_cast<TCustomAction*>(list->GetAction(i));
    if (other && other != this && other->FGroupIndex == group) other->SetChecked(false);
  }
}

bool TCustomAction::TellLinks(const std::function<void(TActionLink*)>& set) {
  return ForEachClient([&](TBasicActionLink* client) {
    if (auto* link = dynamic_cast<TActionLink*>(client)) set(link);
  });
}

void TCustomAction::SetEnabled(bool value) {
  if (value == FEnabled) return;
  // A suspended-enabled list keeps its actions enabled.
  if (!value && GetActionList() && GetActionList()->GetState() == asSuspendedEnabled) return;
  if (!TellLinks([&](TActionLink* link) { link->SetEnabled(value); })) return;
  FEnabled = value;
  Change();
}

void TCustomAction::SetHelpContext(int value) {
  if (value == FHelpContext) return;
  if (!TellLinks([&](TActionLink* link) { link->SetHelpContext(value); })) return;
  FHelpContext = value;
  Change();
}

void TCustomAction::SetHint(const String& value) {
  if (value == FHint) return;
  const String copy = value;  // value may belong to a client freed on the way
  if (!TellLinks([&](TActionLink* link) { link->SetHint(copy); })) return;
  FHint = copy;
  Change();
}

void TCustomAction::SetImageIndex(int value) {
  if (value == FImageIndex) return;
  if (!TellLinks([&](TActionLink* link) { link->SetImageIndex(value); })) return;
  FImageIndex = value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut value) {
  if (value == FShortCut) return;
  if (!TellLinks([&](TActionLink* link) { link->SetShortCut(value); })) return;
  FShortCut = value;
  Change();
}

void TCustomAction::SetVisible(bool value) {
  if (value == FVisible) return;
  if (!TellLinks([&](TActionLink* link) { link->SetVisible(value); })) return;
  FVisible = value;
  Change();
}

void TCustomAction::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  if (!TellLinks([&](TActionLink* link) { link->SetGroupIndex(value); })) return;
  FGroupIndex = value;
  const std::weak_ptr<int> alive = GetLifeToken();
  if (FChecked && FGroupIndex > 0) UncheckGroup();
  if (alive.expired()) return;
  Change();
}

void TCustomAction::SetAutoCheck(bool value) {
  if (value == FAutoCheck) return;
  if (!TellLinks([&](TActionLink* link) { link->SetAutoCheck(value); })) return;
  FAutoCheck = value;
  Change();
}

bool TCustomAction::Execute() {
  if (GetSuspended()) return false;
  Update();
  if (!FEnabled) return false;
  // Within a group a checked action stays checked: choosing it again changes nothing.
  if (FAutoCheck && (!FChecked || FGroupIndex == 0)) SetChecked(!FChecked);
  return TContainedAction::Execute();
}

bool TCustomAction::Update() {
  if (GetSuspended()) return false;
  const bool handled = TContainedAction::Update();
  // Nothing can carry the action out: its clients must not offer it.
  if (!handled && FDisableIfNoHandler && !OnExecute &&
      !(GetActionList() && GetActionList()->OnExecute))
    SetEnabled(false);
  return handled;
}

// ---- TActionLink ---------------------------------------------------------------------------

TCustomAction* TActionLink::GetCustomAction() const {
  return dynamic_cast<TCustomAction*>(GetAction());
}

// ---- TControlActionLink --------------------------------------------------------------------

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() &&
         FClient->GetCaption() == GetCustomAction()->GetCaption();
}

bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() &&
         FClient->GetEnabled() == GetCustomAction()->GetEnabled();
}

bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->GetHint() == GetCustomAction()->GetHint();
}

bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() &&
         FClient->GetVisible() == GetCustomAction()->GetVisible();
}

void TControlActionLink::SetCaption(const String& value) {
  if (IsCaptionLinked()) FClient->SetCaption(value);
}

void TControlActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) FClient->SetEnabled(value);
}

void TControlActionLink::SetHint(const String& value) {
  if (IsHintLinked()) FClient->SetHint(value);
}

void TControlActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) FClient->SetVisible(value);
}

// ---- TCustomActionList ---------------------------------------------------------------------

TCustomActionList::TCustomActionList(TComponent* owner) : TComponent(owner) {
  ActionLists().push_back(this);
}

TCustomActionList::~TCustomActionList() {
  auto& lists = ActionLists();
  lists.erase(std::remove(lists.begin(), lists.end(), this), lists.end());
  SetImages(nullptr);
  // The list frees its actions; each takes itself out of FActions as it goes.
  while (!FActions.empty()) {
    TContainedAction* action = FActions.back();
    FActions.pop_back();
    action->FActionList = nullptr;
    delete action;
  }
}

TContainedAction* TCustomActionList::GetAction(int index) const {
  if (index < 0 || index >= GetActionCount())
    throw EListError(L"List index out of bounds (%d)", {index});
  return FActions[static_cast<size_t>(index)];
}

void TCustomActionList::SetImages(TCustomImageList* value) {
  if (value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = value;
  if (FImages) FImages->FreeNotification(this);
  Change();
}

void TCustomActionList::SetState(TActionListState value) {
  if (value == FState) return;
  FState = value;
  if (value != asSuspendedEnabled) return;
  for (TContainedAction* action : std::vector<TContainedAction*>(FActions))
    if (auto* custom = dynamic_cast<TCustomAction*>(action)) custom->SetEnabled(true);
}

bool TCustomActionList::ExecuteAction(TBasicAction* action) {
  bool handled = false;
  if (FState == asNormal && OnExecute) OnExecute(action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* action) {
  bool handled = false;
  if (FState == asNormal && OnUpdate) OnUpdate(action, handled);
  return handled;
}

bool TCustomActionList::IsShortCut(WORD key, TShiftState shift) {
  const TShortCut shortCut = ShortCut(key, shift);
  if (shortCut == scNone) return false;
  for (TContainedAction* action : FActions) {
    auto* custom = dynamic_cast<TCustomAction*>(action);
    if (custom && custom->GetShortCut() == shortCut) {
      custom->HandleShortCut();
      return true;
    }
  }
  return false;
}

bool TCustomActionList::IsShortCut(const TWMKey& message) {
  return IsShortCut(message.GetCharCode(), KeyDataToShiftState(message.GetKeyData()));
}

void TCustomActionList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FImages) FImages = nullptr;
}

void TCustomActionList::Change() {
  if (OnChange) OnChange(this);
}

void TCustomActionList::AddAction(TContainedAction* action) { FActions.push_back(action); }

void TCustomActionList::RemoveAction(TContainedAction* action) {
  FActions.erase(std::remove(FActions.begin(), FActions.end(), action), FActions.end());
}

int TCustomActionList::IndexOfAction(const TContainedAction* action) const {
  auto found = std::find(FActions.begin(), FActions.end(), action);
  return found == FActions.end() ? -1 : static_cast<int>(found - FActions.begin());
}

void TCustomActionList::MoveAction(TContainedAction* action, int index) {
  const int current = IndexOfAction(action);
  if (current < 0) return;
  const int target = std::clamp(index, 0, GetActionCount() - 1);
  if (target == current) return;
  FActions.erase(FActions.begin() + current);
  FActions.insert(FActions.begin() + target, action);
  Change();
}

// ---- Idle updates ----------------------------------------------------------------------------

namespace {

bool IsActionListAlive(const TCustomActionList* list) {
  const auto& lists = ActionLists();
  return std::find(lists.begin(), lists.end(), list) != lists.end();
}

}  // namespace

void UpdateActionsOnIdle() {
  // A handler may free actions or whole lists: each list and index is checked again before
  // it is used, and the walk is bounded by the lists and actions there were at the start.
  const std::vector<TCustomActionList*> lists = ActionLists();
  for (TCustomActionList* list : lists) {
    if (!IsActionListAlive(list)) continue;
    if (list->GetState() != asNormal ||
        list->GetComponentState().Contains(csDesigning))
      continue;
    const std::vector<TContainedAction*> actions = list->FActions;
    for (TContainedAction* action : actions) {
      if (!IsActionListAlive(list) || list->IndexOfAction(action) < 0) continue;
      try {
        action->Update();
      } catch (...) {
        ApplicationHandleException(action);
      }
    }
  }
}
