// Menus and actions in stored layouts: a menu stores its items inside it and an item its
// submenu's items; an action list stores the actions the root owns. Each item and action
// is read with the object it is stored inside as its parent, and the properties they
// publish are listed here.
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../graphics/ImageList.h"
#include "ActnList.h"
#include "Menus.h"

namespace {

const wchar_t* const PopupAlignmentNames[] = {L"paLeft", L"paRight", L"paCenter"};
constexpr TEnumInfo PopupAlignmentIdents = MakeEnumInfo(PopupAlignmentNames);
const wchar_t* const ActionListStateNames[] = {L"asNormal", L"asSuspended", L"asSuspendedEnabled"};
constexpr TEnumInfo ActionListStateIdents = MakeEnumInfo(ActionListStateNames);

// Layouts name these classes without the form having a field of them (an item or an
// action often has none); they are known from the start.
const bool MenuClassesRegistered = [] {
  RegisterClasses({TMenuItem::StaticClassInfo(), TMainMenu::StaticClassInfo(), TPopupMenu::StaticClassInfo(),
                   TActionList::StaticClassInfo(), TAction::StaticClassInfo()});
  return true;
}();

}  // namespace

// ---- TMenuItem -----------------------------------------------------------------------------------

const TPropertyTable* TMenuItem::PublishedProperties() {
  using P = TPublish<TMenuItem>;
  using C = TMenuItem;
  static const TPropertyTable table{
      P::Component(L"Action", &C::GetAction, &C::SetAction),
      P::Text(L"Caption", &C::GetCaption, &C::SetCaption),
      P::Boolean(L"Checked", &C::GetChecked, &C::SetChecked).Default(false),
      P::Boolean(L"Default", &C::GetDefault, &C::SetDefault).Default(false),
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(true),
      P::Integer(L"GroupIndex", &C::GetGroupIndex, &C::SetGroupIndex).Default(0),
      P::Integer(L"HelpContext", &C::GetHelpContext, &C::SetHelpContext).Default(0),
      P::Text(L"Hint", &C::GetHint, &C::SetHint),
      P::Integer(L"ImageIndex", &C::GetImageIndex, &C::SetImageIndex).Default(-1),
      P::Boolean(L"RadioItem", &C::GetRadioItem, &C::SetRadioItem).Default(false),
      P::ShortCut(L"ShortCut", &C::GetShortCut, &C::SetShortCut).Default(scNone),
      P::Boolean(L"Visible", &C::GetVisible, &C::SetVisible).Default(true),
      P::Method(L"OnClick", &C::OnClick, &C::OnClick),
  };
  return &table;
}

TComponent* TMenuItem::GetParentComponent() const {
  TMenuItem* parent = GetParent();
  if (!parent) return nullptr;
  // The items of a menu's root item are stored inside the menu itself.
  if (!parent->GetParent())
    if (TMenu* menu = parent->GetMenu()) return menu;
  return parent;
}

void TMenuItem::SetParentComponent(TComponent* value) {
  if (TMenuItem* parent = GetParent()) parent->Remove(this);
  if (auto* menu = dynamic_cast<TMenu*>(value))
    menu->GetItems()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(value))
    item->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent* root) {
  const std::vector<TMenuItem*> items = FItems;
  for (TMenuItem* item : items) proc(item);
}

void TMenuItem::SetChildOrder(TComponent* child, int order) {
  if (auto* item = dynamic_cast<TMenuItem*>(child); item && item->GetParent() == this) item->SetMenuIndex(order);
}

// ---- TMenu and TPopupMenu ---------------------------------------------------------------------------

const TPropertyTable* TMenu::PublishedProperties() {
  using P = TPublish<TMenu>;
  static const TPropertyTable table{
      P::Component(L"Images", &TMenu::GetImages, &TMenu::SetImages),
  };
  return &table;
}

void TMenu::GetChildren(const TGetChildProc& proc, TComponent* root) { FItems->GetChildren(proc, root); }

void TMenu::SetChildOrder(TComponent* child, int order) { FItems->SetChildOrder(child, order); }

const TPropertyTable* TPopupMenu::PublishedProperties() {
  using P = TPublish<TPopupMenu>;
  using C = TPopupMenu;
  static const TPropertyTable table{
      P::Enum(L"Alignment", PopupAlignmentIdents, &C::GetAlignment, &C::SetAlignment).Default(paLeft),
      P::Boolean(L"AutoPopup", &C::GetAutoPopup, &C::SetAutoPopup).Default(true),
      P::Method(L"OnPopup", &C::OnPopup, &C::OnPopup),
  };
  return &table;
}

// ---- Actions ------------------------------------------------------------------------------------------

const TPropertyTable* TContainedAction::PublishedProperties() {
  using P = TPublish<TContainedAction>;
  static const TPropertyTable table{
      P::Text(L"Category", &TContainedAction::GetCategory, &TContainedAction::SetCategory),
  };
  return &table;
}

TComponent* TContainedAction::GetParentComponent() const { return GetActionList(); }

void TContainedAction::SetParentComponent(TComponent* value) {
  if (auto* list = dynamic_cast<TCustomActionList*>(value)) SetActionList(list);
}

const TPropertyTable* TCustomAction::PublishedProperties() {
  using P = TPublish<TCustomAction>;
  using C = TCustomAction;
  static const TPropertyTable table{
      P::Boolean(L"AutoCheck", &C::GetAutoCheck, &C::SetAutoCheck).Default(false),
      P::Text(L"Caption", &C::GetCaption, &C::SetCaption),
      P::Boolean(L"Checked", &C::GetChecked, &C::SetChecked).Default(false),
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(true),
      P::Integer(L"GroupIndex", &C::GetGroupIndex, &C::SetGroupIndex).Default(0),
      P::Integer(L"HelpContext", &C::GetHelpContext, &C::SetHelpContext).Default(0),
      P::Text(L"Hint", &C::GetHint, &C::SetHint),
      P::Integer(L"ImageIndex", &C::GetImageIndex, &C::SetImageIndex).Default(-1),
      P::ShortCut(L"ShortCut", &C::GetShortCut, &C::SetShortCut).Default(scNone),
      P::Boolean(L"Visible", &C::GetVisible, &C::SetVisible).Default(true),
      P::Method(L"OnExecute", &C::OnExecute, &C::OnExecute),
      P::Method(L"OnUpdate", &C::OnUpdate, &C::OnUpdate),
  };
  return &table;
}

const TPropertyTable* TCustomActionList::PublishedProperties() {
  using P = TPublish<TCustomActionList>;
  using C = TCustomActionList;
  static const TPropertyTable table{
      P::Component(L"Images", &C::GetImages, &C::SetImages),
      P::Enum(L"State", ActionListStateIdents, &C::GetState, &C::SetState).Default(asNormal),
      P::Method(L"OnChange", &C::OnChange, &C::OnChange),
      P::Method(L"OnExecute", &C::OnExecute, &C::OnExecute),
      P::Method(L"OnUpdate", &C::OnUpdate, &C::OnUpdate),
  };
  return &table;
}

void TCustomActionList::GetChildren(const TGetChildProc& proc, TComponent* root) {
  const std::vector<TContainedAction*> actions = FActions;
  for (TContainedAction* action : actions)
    if (action->GetOwner() == root) proc(action);
}

void TCustomActionList::SetChildOrder(TComponent* child, int order) {
  if (auto* action = dynamic_cast<TContainedAction*>(child); action && action->GetActionList() == this)
    action->SetIndex(order);
}
