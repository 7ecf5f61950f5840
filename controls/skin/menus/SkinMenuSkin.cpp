#include "SkinMenuSkin.h"

#include "classlib/classes/Properties.h"

// ---- TSeMenuSkin ------------------------------------------------------------------------------

TSeMenuSkin::TSeMenuSkin(std::function<void()> onChange) : TComponent(nullptr), FOnChange(std::move(onChange)) {}

TSeMenuSkin::~TSeMenuSkin() {
  FOnChange = nullptr;
  SetEngine(nullptr);
}

void TSeMenuSkin::SetEngine(TSeLumaweave* engine) {
  if (engine == FEngine) return;
  Drop();
  if (FEngine) FEngine->RemoveFreeNotification(this);
  FEngine = engine;
  if (FEngine) FEngine->FreeNotification(this);
}

void TSeMenuSkin::Rebuild() {
  FMenuBar.reset();
  FPopupMenu.reset();
  if (FEngine && FEngine->HasSkin()) {
    TSeSkinSource* source = FEngine->GetSkinSource();
    if (TSeSkinObject* bar = source->FindObject(L"MenuBar")) FMenuBar.reset(CloneSkinObject(bar, nullptr));
    if (TSeSkinObject* popup = source->FindObject(L"PopupMenu")) FPopupMenu.reset(CloneSkinObject(popup, nullptr));
  }
  Changed();
}

void TSeMenuSkin::Drop() {
  const bool had = FMenuBar || FPopupMenu;
  // Freeing a copy tells every item that holds a part of it.
  FMenuBar.reset();
  FPopupMenu.reset();
  if (had) Changed();
}

TSeMenuSkinObjects TSeMenuSkin::Objects() const {
  TSeMenuSkinObjects objects;
  if (!FEngine || !FMenuBar) return objects;
  objects.Engine = FEngine;
  objects.MenuBar = FMenuBar.get();
  objects.BarItem = FMenuBar->FindObject(L"Item");
  if (FPopupMenu) {
    objects.PopupItem = FPopupMenu->FindObject(L"Item");
    objects.Separator = FPopupMenu->FindObject(L"Separator");
  }
  objects.UseSkin = true;
  return objects;
}

bool TSeMenuSkin::HandleSkinMessage(UINT message, LPARAM engine) {
  if (!FEngine || engine != reinterpret_cast<LPARAM>(FEngine)) return false;
  if (message == SE_SKINCHANGING) {
    Drop();
    return true;
  }
  if (message == SE_SKINCHANGED) {
    // A menu bar hears of the change both itself and through its open popup windows: the
    // copies are made once.
    if (!FMenuBar && !FPopupMenu) Rebuild();
    return true;
  }
  return false;
}

void TSeMenuSkin::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component && component == FEngine) {
    FEngine = nullptr;
    Drop();
  }
}

TSeMenuSkin* MenuSkinOf(TSeCustomItem* item) {
  TComponent* container = item ? item->GetRoot()->GetContainer() : nullptr;
  if (auto* bar = dynamic_cast<TSeSkinMenuBar*>(container)) return bar->GetMenuSkin();
  if (auto* menu = dynamic_cast<TSeSkinPopupMenu*>(container)) return menu->GetMenuSkin();
  return nullptr;
}

// ---- TSeSkinMenuBar ---------------------------------------------------------------------------

const TPropertyTable* TSeSkinMenuBar::PublishedProperties() {
  using P = TPublish<TSeSkinMenuBar>;
  using C = TSeSkinMenuBar;
  static const TPropertyTable table{
      P::Component(L"Lumaweave", &C::GetLumaweave, &C::SetLumaweave),
  };
  return &table;
}

TSeSkinMenuBar::TSeSkinMenuBar(TComponent* owner)
    : TSeCustomMenuBar(owner, TSeSkinItem::StaticClassInfo()), FSkin(std::make_unique<TSeMenuSkin>([this] { ApplyLayout(); })) {}

TSeSkinMenuBar::~TSeSkinMenuBar() {
  FSkin->Detach();
  FSkin.reset();  // the items are still there to be told
}

void TSeSkinMenuBar::SetLumaweave(TSeLumaweave* value) {
  FSkin->SetEngine(value);
  if (!GetComponentState().Contains(csLoading)) FSkin->Rebuild();
}

void TSeSkinMenuBar::ApplyLayout() {
  if (FSkin) SetTreeSkin(GetItems(), FSkin->Objects());
  inherited::ApplyLayout();
}

void TSeSkinMenuBar::Loaded() {
  inherited::Loaded();
  if (FSkin->GetEngine()) FSkin->Rebuild();
}

void TSeSkinMenuBar::Dispatch(TMessage& message) {
  if ((message.Msg == SE_SKINCHANGING || message.Msg == SE_SKINCHANGED) && FSkin) {
    FSkin->HandleSkinMessage(message.Msg, message.LParam);
    return;
  }
  inherited::Dispatch(message);
}

// ---- TSeSkinPopupMenu -------------------------------------------------------------------------

const TPropertyTable* TSeSkinPopupMenu::PublishedProperties() {
  using P = TPublish<TSeSkinPopupMenu>;
  using C = TSeSkinPopupMenu;
  static const TPropertyTable table{
      P::Component(L"Lumaweave", &C::GetLumaweave, &C::SetLumaweave),
  };
  return &table;
}

TSeSkinPopupMenu::TSeSkinPopupMenu(TComponent* owner)
    : TSeCustomPopupMenu(owner, TSeSkinItem::StaticClassInfo()),
      FSkin(std::make_unique<TSeMenuSkin>([this] { SetTreeSkin(GetSeItems(), FSkin->Objects()); })) {}

TSeSkinPopupMenu::~TSeSkinPopupMenu() {
  FSkin->Detach();
  FSkin.reset();
}

void TSeSkinPopupMenu::Popup(int x, int y) {
  FSkin->Rebuild();
  inherited::Popup(x, y);
  FSkin->Drop();
}
