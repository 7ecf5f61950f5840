// The skinned menus: TSeMenuSkin, the private copies of a menu's skin objects that a menu
// keeps and hands to its items; TSeSkinMenuBar and TSeSkinPopupMenu, the menu bar and popup
// menu that draw their items from the skin of their engine (Lumaweave).
//
// A menu bar keeps its copies while it has an engine: it drops them when the engine announces
// a change (1703) or goes, and builds them again after the change (1702). A popup menu builds
// them when it pops up and drops them when it closes; while it is open, its windows pass the
// engine's announcements on to it.
#pragma once
#include <functional>
#include <memory>

#include "SkinMenuItems.h"
#include "SkinMenus.h"

class TSeMenuSkin : public TComponent {
  CLASSLIB_CLASS(TSeMenuSkin, TComponent)
  // onChange runs after every rebuild and drop (the menu hands the copies down then).
  explicit TSeMenuSkin(std::function<void()> onChange);
  ~TSeMenuSkin() override;

  TSeLumaweave* GetEngine() const { return FEngine; }
  // Stores the engine (watching for its freeing) and drops the copies of the old one.
  void SetEngine(TSeLumaweave* engine);
  // Copies of "MenuBar" and "PopupMenu" from the engine's skin (none without an engine, a
  // skin or a "MenuBar").
  void Rebuild();
  void Drop();
  TSeMenuSkinObjects Objects() const;
  // The engine's change messages: 1703 drops, 1702 rebuilds (unless the copies were made
  // again already). True when message was one of them from this engine.
  bool HandleSkinMessage(UINT message, LPARAM engine);
  // Stops the change notice (while the menu is being destroyed).
  void Detach() { FOnChange = nullptr; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void Changed() {
    if (FOnChange) FOnChange();
  }
  TSeLumaweave* FEngine = nullptr;  // not owned; cleared when it goes
  std::unique_ptr<TSeSkinObject> FMenuBar;
  std::unique_ptr<TSeSkinObject> FPopupMenu;
  std::function<void()> FOnChange;
};

// The skin keeper of the menu item belongs to (through the container of its tree's root);
// nullptr when it is not in a skinned menu.
TSeMenuSkin* MenuSkinOf(TSeCustomItem* item);

class TSeSkinMenuBar : public TSeCustomMenuBar {
  CLASSLIB_CLASS(TSeSkinMenuBar, TSeCustomMenuBar)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSkinMenuBar(TComponent* owner);
  ~TSeSkinMenuBar() override;

  TSeLumaweave* GetLumaweave() const { return FSkin->GetEngine(); }
  void SetLumaweave(TSeLumaweave* value);
  TSeMenuSkin* GetMenuSkin() const { return FSkin.get(); }

  // Hands the skin to the items, then lays them out.
  void ApplyLayout() override;
  void Loaded() override;
  void Dispatch(TMessage& message) override;

 private:
  std::unique_ptr<TSeMenuSkin> FSkin;
};

class TSeSkinPopupMenu : public TSeCustomPopupMenu {
  CLASSLIB_CLASS(TSeSkinPopupMenu, TSeCustomPopupMenu)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSkinPopupMenu(TComponent* owner);
  ~TSeSkinPopupMenu() override;

  TSeLumaweave* GetLumaweave() const { return FSkin->GetEngine(); }
  void SetLumaweave(TSeLumaweave* value) { FSkin->SetEngine(value); }
  TSeMenuSkin* GetMenuSkin() const { return FSkin.get(); }

  // Builds the copies, shows the menu, drops them when it closes.
  void Popup(int x, int y) override;

 private:
  std::unique_ptr<TSeMenuSkin> FSkin;
};
