// The item tree: children, change notices, actions, clicks, accelerators, shortcuts and the
// stored form of items.
#include "SkinItems.h"

#include <algorithm>
#include <unordered_map>

#include "SkinMenuData.h"
#include "classlib/classes/Properties.h"

namespace {

// The living items by serial number: posted messages name an item by its number, so that an
// item freed in between is simply not found.
std::unordered_map<uint32_t, TSeCustomItem*>& LiveItems() {
  static std::unordered_map<uint32_t, TSeCustomItem*> items;
  return items;
}
uint32_t NextSerial() {
  static uint32_t last = 0;
  if (++last == 0) ++last;  // 0 never names an item
  return last;
}

String Upper(String text) {
  if (!text.empty()) ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Depth first, an item before its children; disabled or hidden items and what lies under
// them are out of reach of the keyboard.
// Depth first, an item before its children; hidden and disabled items are found too (a
// disabled one then stops the chain of clicks, and the key counts as taken).
TSeCustomItem* FindShortCut(TSeCustomItem* item, TShortCut shortCut) {
  for (int i = 0; i < item->GetCount(); ++i) {
    TSeCustomItem* child = item->GetItem(i);
    if (child->GetShortCut() == shortCut) return child;
    if (TSeCustomItem* found = FindShortCut(child, shortCut)) return found;
  }
  return nullptr;
}

// An OnClick copied from an action: the action's OnExecute, marked so that a click can tell
// it from an OnClick of the item's own (which runs instead of the action).
struct TActionClick {
  TNotifyEvent Execute;
  void operator()(TObject* sender) const { Execute(sender); }
};

bool IsActionClick(const TNotifyEvent& handler) { return handler.target<TActionClick>() != nullptr; }

// How often a shortcut search starts again after a click changed the tree.
constexpr int ShortCutSearchLimit = 8;

}  // namespace

// ---- Stored form ---------------------------------------------------------------------------------------

const TPropertyTable* TSeCustomItem::PublishedProperties() {
  using P = TPublish<TSeCustomItem>;
  using C = TSeCustomItem;
  using L = TSeCustomItemActionLink;
  static const TPropertyTable table{
      P::Component(L"Action", &C::GetAction, &C::SetAction),
      P::Integer(L"HelpContext", &C::GetHelpContext, &C::SetHelpContext)
          .Default(0)
          .Stored([](C* c) { return c->IsStoredUnlinked(&L::IsHelpContextLinked); }),
      P::WideText(L"Hint", &C::GetHint, &C::SetHint)
          .Stored([](C* c) { return c->IsStoredUnlinked(&L::IsHintLinked); }),
      P::Boolean(L"Checked", &C::GetChecked, &C::SetChecked)
          .Default(false)
          .Stored([](C* c) { return c->IsStoredUnlinked(&L::IsCheckedLinked); }),
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled)
          .Default(true)
          .Stored([](C* c) { return c->IsStoredUnlinked(&L::IsEnabledLinked); }),
      P::WideText(L"Caption", &C::GetCaption, &C::SetCaption)
          .Stored([](C* c) { return c->IsStoredUnlinked(&L::IsCaptionLinked); }),
      P::Integer(L"ImageIndex", &C::GetImageIndex, &C::SetImageIndex)
          .Default(-1)
          .Stored([](C* c) { return c->IsStoredUnlinked(&L::IsImageIndexLinked); }),
      P::Component(L"Images", &C::GetImages, &C::SetImages),
      P::Boolean(L"Scrolled", &C::GetScrolled, &C::SetScrolled).Default(false),
      P::Integer(L"ScrollCount", &C::GetScrollCount, &C::SetScrollCount).Default(0),
      P::ShortCut(L"ShortCut", &C::GetShortCut, &C::SetShortCut)
          .Default(scNone)
          .Stored([](C* c) { return c->IsStoredUnlinked(&L::IsShortCutLinked); }),
      P::Boolean(L"Visible", &C::GetVisible, &C::SetVisible)
          .Default(true)
          .Stored([](C* c) { return c->IsStoredUnlinked(&L::IsVisibleLinked); }),
      P::Method(L"OnClick", &C::OnClick, &C::OnClick)
          .Stored([](C* c) { return c->IsStoredUnlinked(&L::IsOnExecuteLinked); }),
      P::Method(L"OnBeforeDropDown", &C::OnBeforeDropDown, &C::OnBeforeDropDown),
  };
  return &table;
}

bool TSeCustomItem::IsStoredUnlinked(bool (TSeCustomItemActionLink::*linked)()) const {
  return !FActionLink || !(FActionLink.get()->*linked)();
}

TComponent* TSeCustomItem::GetParentComponent() const {
  if (!FParent) return nullptr;
  return FParent->FParentComponent ? FParent->FParentComponent : FParent;
}

void TSeCustomItem::SetParentComponent(TComponent* value) {
  if (FParent) FParent->Remove(this);
  if (auto* item = dynamic_cast<TSeCustomItem*>(value))
    item->Add(this);
  else if (value)
    AddItemToMenuContainer(value, this);
}

void TSeCustomItem::GetChildren(const TGetChildProc& proc, TComponent* root) {
  const std::vector<TSeCustomItem*> items = FItems;
  for (TSeCustomItem* item : items) proc(item);
}

void TSeCustomItem::Loaded() {
  inherited::Loaded();
  if (TBasicAction* action = GetAction()) ActionChange(action, true);
}

// ---- Life ----------------------------------------------------------------------------------------------

TSeCustomItem::TSeCustomItem(TComponent* owner) : TComponent(owner), FSerial(NextSerial()) {
  LiveItems()[FSerial] = this;
}

TSeCustomItem::~TSeCustomItem() {
  Destroying();
  LiveItems().erase(FSerial);
  while (!FItems.empty()) delete FItems.back();  // each child leaves the list as it goes
  if (FParent) FParent->Remove(this);
  FActionLink.reset();
  SetMdiForm(nullptr);
  SetImages(nullptr);
  SetHostComponent(nullptr);
}

TSeCustomItem* TSeCustomItem::FromSerial(uint32_t serial) {
  const auto it = LiveItems().find(serial);
  return it == LiveItems().end() ? nullptr : it->second;
}

void TSeCustomItem::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == GetAction()) SetAction(nullptr);
  if (component == FImages) FImages = nullptr;
  if (component == FMdiForm) FMdiForm = nullptr;
  if (component == FHostComponent) FHostComponent = nullptr;
}

// Keeps a not-owned reference with a free notification, so that it is dropped when it goes.
template <class T>
static void SetWatched(TComponent* self, T*& field, T* value) {
  if (field == value) return;
  if (field) field->RemoveFreeNotification(self);
  field = value;
  if (value) value->FreeNotification(self);
}

void TSeCustomItem::SetImages(TCustomImageList* value) { SetWatched(this, FImages, value); }
void TSeCustomItem::SetMdiForm(TComponent* value) { SetWatched(this, FMdiForm, value); }

TCustomImageList* TSeCustomItem::EffectiveImages() const {
  for (const TSeCustomItem* item = this; item; item = item->FParent)
    if (item->FImages) return item->FImages;
  return nullptr;
}

// ---- State ------------------------------------------------------------------------------------------------

void TSeCustomItem::SetCaption(const String& value) {
  if (value == FCaption) return;
  FCaption = value;
  Changed();
}

void TSeCustomItem::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  Changed();
}

void TSeCustomItem::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Changed();
}

void TSeCustomItem::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  Changed();
}

void TSeCustomItem::SetTopIndex(int value) {
  FTopIndex = std::clamp(value, 0, std::max(0, GetCount() - 1));
}

template <class F>
void TSeCustomItem::ForTree(F fn) {
  fn(this);
  for (TSeCustomItem* child : FItems) child->ForTree(fn);
}

void TSeCustomItem::SetHostComponent(TComponent* value) {
  ForTree([value](TSeCustomItem* i) { SetWatched(i, i->FHostComponent, value); });
}
void TSeCustomItem::SetForegroundOnPopup(bool value) {
  ForTree([value](TSeCustomItem* i) { i->FForegroundOnPopup = value; });
}
void TSeCustomItem::SetExcluded(bool value) {
  ForTree([value](TSeCustomItem* i) { i->FExcluded = value; });
}
void TSeCustomItem::SetTreeMenuMode(bool value) {
  ForTree([value](TSeCustomItem* i) { i->FMenuMode = value; });
}
void TSeCustomItem::SetTreeAnimateNext(bool value) {
  ForTree([value](TSeCustomItem* i) { i->FAnimateNext = value; });
}
void TSeCustomItem::SetTreeInControlBar(bool value) {
  ForTree([value](TSeCustomItem* i) { i->FInControlBar = value; });
}
void TSeCustomItem::SetTreeOwnerControl(TWinControl* value) {
  ForTree([value](TSeCustomItem* i) { i->FOwnerControl = value; });
}
void TSeCustomItem::SetTreePopupOptions(TSePopupMenuOptions* value) {
  ForTree([value](TSeCustomItem* i) { i->FPopupOptions = value; });
}
void TSeCustomItem::SetTreeMdiForm(TComponent* value) {
  ForTree([value](TSeCustomItem* i) { i->SetMdiForm(value); });
}
void TSeCustomItem::SetBiDiMode(TBiDiMode value) {
  FBiDiMode = value;
  for (TSeCustomItem* child : FItems) child->FBiDiMode = value;
}

void TSeCustomItem::Changed() {
  const TComponentState state = GetComponentState();
  if (state.Contains(csLoading) || state.Contains(csDestroying)) return;
  if (OnChange) OnChange(this);
  TSeCustomItem* root = GetRoot();
  if (root != this && root->OnChange) root->OnChange(root);
}

// ---- Tree --------------------------------------------------------------------------------------------------

TSeCustomItem* TSeCustomItem::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError(L"List index out of bounds (%d)", {index});
  return FItems[static_cast<size_t>(index)];
}

TSeCustomItem* TSeCustomItem::GetRoot() {
  TSeCustomItem* item = this;
  while (item->FParent) item = item->FParent;
  return item;
}

int TSeCustomItem::IndexOf(const TSeCustomItem* item) const {
  const auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

bool TSeCustomItem::IsAncestorOf(const TSeCustomItem* item) const {
  for (; item; item = item->FParent)
    if (item == this) return true;
  return false;
}

void TSeCustomItem::Add(TSeCustomItem* item) { Insert(GetCount(), item); }

void TSeCustomItem::Insert(int index, TSeCustomItem* item) {
  if (!item) return;
  if (item->FParent || item->IsAncestorOf(this)) throw EVxItemError(L"Toolbar item already inserted");
  if (index < 0 || index > GetCount()) throw EListError(L"List index out of bounds (%d)", {index});
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  Changed();
}

void TSeCustomItem::Delete(int index) {
  TSeCustomItem* item = GetItem(index);
  FItems.erase(FItems.begin() + index);
  item->FParent = nullptr;
  Changed();
}

void TSeCustomItem::Remove(TSeCustomItem* item) {
  const int index = IndexOf(item);
  if (index >= 0) Delete(index);
}

bool TSeCustomItem::HasVisibleChild() const {
  return std::any_of(FItems.begin(), FItems.end(), [](auto* i) { return i->FVisible; });
}

TSeCustomItem* TSeCustomItem::FindByAccelerator(wchar_t key) const {
  if (key == 0) return nullptr;
  const String mark = Upper(String(L"&") + key);
  for (TSeCustomItem* child : FItems)
    if (child->IsSelectable() && Upper(child->FCaption).find(mark) != String::npos) return child;
  return nullptr;
}

bool TSeCustomItem::IsShortCut(const TMessage& keyMessage) {
  TShortCut shortCut = static_cast<TShortCut>(keyMessage.WParam & 0xFF);
  if (::GetKeyState(VK_SHIFT) < 0) shortCut |= scShift;
  if (::GetKeyState(VK_CONTROL) < 0) shortCut |= scCtrl;
  if (keyMessage.LParam & 0x20000000) shortCut |= scAlt;
  if ((shortCut & 0xFF) == 0) return false;
  const uint32_t rootSerial = GetRoot()->FSerial;
  bool found = false;
  for (int attempt = 0; attempt < ShortCutSearchLimit; ++attempt) {
    TSeCustomItem* root = FromSerial(rootSerial);
    if (!root) break;  // a click freed the tree
    TSeCustomItem* item = FindShortCut(root, shortCut);
    if (!item) break;
    found = true;
    std::vector<uint32_t> chain;  // root side first, the item last
    for (TSeCustomItem* i = item; i; i = i->FParent) chain.insert(chain.begin(), i->FSerial);
    bool changed = false;
    for (uint32_t serial : chain) {
      TSeCustomItem* link = FromSerial(serial);
      if (!link || !link->FEnabled) {
        changed = link == nullptr;
        break;
      }
      const bool last = serial == chain.back();
      link->Click();
      if (last) break;
      // The click may have changed the tree: the found item must still carry the shortcut.
      TSeCustomItem* target = FromSerial(chain.back());
      if (!target || target->FShortCut != shortCut) {
        changed = true;
        break;
      }
    }
    if (!changed) break;
  }
  return found;
}

// ---- Clicks -------------------------------------------------------------------------------------------------

void TSeCustomItem::Click() {
  if (IsSeparator() || !FItems.empty() || !FEnabled) return;
  if (DeferredClickWindowExists()) {
    ::PostMessageW(DeferredClickWindow(), SE_ITEMCLICK, 0, static_cast<LPARAM>(FSerial));
    return;
  }
  DoClick();
}

void TSeCustomItem::DoClick() {
  // An OnClick of the item's own comes first; one copied from the action runs the action
  // through the link, so that its list and its current handler take part.
  if (OnClick && FActionLink && !IsActionClick(OnClick)) OnClick(this);
  else if (FActionLink && !GetComponentState().Contains(csDesigning)) FActionLink->Execute(this);
  else if (OnClick) OnClick(this);
}

// ---- Action --------------------------------------------------------------------------------------------------

TBasicAction* TSeCustomItem::GetAction() const { return FActionLink ? FActionLink->GetAction() : nullptr; }

void TSeCustomItem::SetAction(TBasicAction* value) {
  if (!value) {
    if (TBasicAction* old = GetAction()) old->RemoveFreeNotification(this);
    FActionLink.reset();
    return;
  }
  if (!FActionLink) FActionLink = std::make_unique<TSeCustomItemActionLink>(this);
  FActionLink->SetAction(value);
  value->FreeNotification(this);
  ActionChange(value, value->GetComponentState().Contains(csLoading));
}

void TSeCustomItem::ActionChange(TBasicAction* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (!checkDefaults || FCaption.empty()) SetCaption(action->GetCaption());
  if (!checkDefaults || !FChecked) SetChecked(action->GetChecked());
  if (!checkDefaults || FEnabled) SetEnabled(action->GetEnabled());
  if (!checkDefaults || FHelpContext == 0) SetHelpContext(action->GetHelpContext());
  if (!checkDefaults || FHint.empty()) SetHint(action->GetHint());
  if (!checkDefaults || FImageIndex == -1) SetImageIndex(action->GetImageIndex());
  if (!checkDefaults || FShortCut == scNone) SetShortCut(action->GetShortCut());
  if (!checkDefaults || FVisible) SetVisible(action->GetVisible());
  if (!checkDefaults || !OnClick)
    OnClick = action->OnExecute ? TNotifyEvent(TActionClick{action->OnExecute}) : TNotifyEvent();
}

void TSeCustomItem::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

// ---- TSeCustomItemActionLink --------------------------------------------------------------------------------------
// A property is linked while the item still shows the action's value.

bool TSeCustomItemActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient->GetCaption() == GetCustomAction()->GetCaption();
}
bool TSeCustomItemActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && FClient->GetChecked() == GetCustomAction()->GetChecked();
}
bool TSeCustomItemActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->GetEnabled() == GetCustomAction()->GetEnabled();
}
bool TSeCustomItemActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() &&
         FClient->GetHelpContext() == GetCustomAction()->GetHelpContext();
}
bool TSeCustomItemActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->GetHint() == GetCustomAction()->GetHint();
}
bool TSeCustomItemActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() &&
         FClient->GetImageIndex() == GetCustomAction()->GetImageIndex();
}
bool TSeCustomItemActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() &&
         FClient->GetShortCut() == GetCustomAction()->GetShortCut();
}
bool TSeCustomItemActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->GetVisible() == GetCustomAction()->GetVisible();
}
// The item's click runs the action unless the item has an OnClick of its own.
bool TSeCustomItemActionLink::IsOnExecuteLinked() {
  return GetAction() && (!FClient->OnClick || IsActionClick(FClient->OnClick));
}

void TSeCustomItemActionLink::SetCaption(const String& value) {
  if (IsCaptionLinked()) FClient->SetCaption(value);
}
void TSeCustomItemActionLink::SetChecked(bool value) {
  if (IsCheckedLinked()) FClient->SetChecked(value);
}
void TSeCustomItemActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) FClient->SetEnabled(value);
}
void TSeCustomItemActionLink::SetHelpContext(int value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(value);
}
void TSeCustomItemActionLink::SetHint(const String& value) {
  if (IsHintLinked()) FClient->SetHint(value);
}
void TSeCustomItemActionLink::SetImageIndex(int value) {
  if (IsImageIndexLinked()) FClient->SetImageIndex(value);
}
void TSeCustomItemActionLink::SetShortCut(TShortCut value) {
  if (IsShortCutLinked()) FClient->SetShortCut(value);
}
void TSeCustomItemActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) FClient->SetVisible(value);
}
void TSeCustomItemActionLink::Change() {
  TActionLink::Change();
  FClient->Changed();
}
