// Menus: trees of TMenuItem shown as system menus. Every item tree keeps a real menu handle
// (HMENU) that is rebuilt from the items whenever an item changes, so that the window a menu
// is attached to always shows the tree as it is. Each item has a command number unique in the
// process; the window that receives WM_COMMAND for it hands the number to DispatchCommand
// (or looks the item up with FindMenuItemByCommand), which clicks the item.
//
// Not done: merging of menus (GroupIndex only groups radio items here), owner-drawn items,
// menu bar breaks, the automatic accelerator and separator clean-ups, right-to-left menus.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "../classes/Component.h"
#include "../classes/Events.h"
#include "../graphics/GdiHandles.h"
#include "ActnList.h"
#include "Messages.h"
#include "ShortCuts.h"

class TMenu;
class TMenuItem;
class TMenuActionLink;
class TCustomImageList;

CLASSLIB_EXCEPTION(EMenuError, Exception)

// Owns one menu handle and destroys it (with every submenu still attached) with DestroyMenu.
struct MenuDeleter {
  void operator()(HMENU h) const { ::DestroyMenu(h); }
};
using UniqueMenu = UniqueGdiHandle<HMENU, MenuDeleter>;

// ---- TMenuItem -----------------------------------------------------------------------------

// One item of a menu, and the submenu of its own items. An item frees the items under it;
// the owner given to the constructor frees it too, whichever comes first.
class TMenuItem : public TComponent {
  CLASSLIB_CLASS(TMenuItem, TComponent)
  // ---- Stored layouts (MenuStreaming.cpp) -------------------------------------------------
  // An item is stored inside the menu or item whose submenu holds it.
  static const TPropertyTable* PublishedProperties();
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

  explicit TMenuItem(TComponent* owner);
  // Takes itself out of its parent, frees its items and gives its command number back.
  ~TMenuItem() override;

  // ---- Appearance and state (each change rebuilds the system menu) ------------------------
  // The text; "&" marks the access key ("&&" shows an ampersand), "-" makes a separator.
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& value);
  bool IsLine() const { return FCaption == L"-"; }
  bool GetChecked() const { return FChecked; }
  // Checking a radio item unchecks the radio items of its group among its siblings.
  void SetChecked(bool value);
  // Shows the check as a dot; the siblings of one GroupIndex form a group.
  bool GetRadioItem() const { return FRadioItem; }
  void SetRadioItem(bool value);
  int GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  // Drawn in bold; the one item a double click on the menu chooses. Only one item of a
  // submenu is the default: setting one clears it on its siblings.
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value);
  // Shown after a tab in the item's text; chosen by IsShortCut of the menu.
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value);
  // The image of the menu's Images drawn beside the text; -1 for none.
  int GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  const String& GetHint() const { return FHint; }
  void SetHint(const String& value) { FHint = value; }
  int GetHelpContext() const { return FHelpContext; }
  void SetHelpContext(int value) { FHelpContext = value; }

  // ---- Action --------------------------------------------------------------------------------
  // The action whose properties the item shows and which a click executes (when the item
  // has no OnClick of its own); nullptr for none. Not owned.
  TBasicAction* GetAction() const;
  void SetAction(TBasicAction* value);

  // ---- Tree ----------------------------------------------------------------------------------
  int GetCount() const { return static_cast<int>(FItems.size()); }
  // EMenuError "Menu index out of range" for a bad index.
  TMenuItem* GetItem(int index) const;
  TMenuItem* GetParent() const { return FParent; }
  // The item's position among its parent's items; -1 without a parent.
  int GetMenuIndex() const;
  // Moves the item among its siblings; the index is clamped to them.
  void SetMenuIndex(int value);
  // The menu whose tree holds this item; nullptr for an item in no menu.
  TMenu* GetMenu() const;

  // Appends item (see Insert).
  void Add(TMenuItem* item);
  // Inserts item at index (0..Count). EMenuError "Menu inserted twice" when item is already
  // in a menu tree or would come under itself, "Menu index out of range" for a bad index.
  void Insert(int index, TMenuItem* item);
  // Takes the item at index out without freeing it (the caller frees it now).
  void Delete(int index);
  // Takes item out without freeing it; EMenuError "Sub-menu is not in menu" when it is not
  // one of this item's items.
  void Remove(TMenuItem* item);
  // Frees every item.
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  // The first item whose caption, without the "&" marks, is caption (regardless of case).
  TMenuItem* Find(const String& caption) const;

  // ---- System menu -----------------------------------------------------------------------------
  // The number WM_COMMAND carries for this item; unique in the process while the item lives.
  WORD GetCommand() const { return FCommand; }
  // The submenu of this item's items, made and filled when first asked; owned by the item.
  HMENU GetHandle();
  bool HandleAllocated() const { return static_cast<bool>(FHandle); }

  // ---- Operations --------------------------------------------------------------------------------
  // Does what choosing the item does: when enabled, OnClick, or the action when there is
  // no OnClick.
  virtual void Click();
  // Updates the item's action (on idle, or before a submenu opens).
  void InitiateAction();
  // InitiateAction of every item under this one.
  void InitiateActions();

  // ---- Events ------------------------------------------------------------------------------------
  // The item was chosen; for an item with a submenu, the submenu is about to open.
  TNotifyEvent OnClick;

 protected:
  // Copies the action's properties; with checkDefaults only into properties still at their
  // defaults (for an action read from a stored layout).
  virtual void ActionChange(TBasicAction* sender, bool checkDefaults);

 private:
  friend class TMenu;
  friend class TMenuActionLink;
  // The item shows different contents: the system menu of its parent is rebuilt and the
  // menu told. rebuild: the tree changed (rather than an item's text or state).
  void MenuChanged(bool rebuild);
  // Refills FHandle from the visible items (when there is a handle).
  void RebuildHandle();
  // Rebuilds FHandle here and under here.
  void RebuildTree();
  // Appends this item to menu as entry number position.
  void AppendTo(HMENU menu, UINT position, bool onMenuBar);
  // The text shown for the item: caption and, off the menu bar, the shortcut after a tab.
  String DisplayText(bool onMenuBar) const;
  // Makes FBitmap from the menu's image for ImageIndex (or drops it).
  void UpdateBitmap();
  // Unchecks the radio items of this item's group among its siblings.
  void TurnSiblingsOff();
  // Whether this item is item or above it.
  bool IsAncestorOf(const TMenuItem* item) const;

  String FCaption;                    // text; "-" is a separator
  bool FChecked = false;              // shows a check mark
  bool FRadioItem = false;            // check shown as a dot; grouped by FGroupIndex
  int FGroupIndex = 0;                // radio group among the siblings
  bool FDefault = false;              // bold default item
  bool FEnabled = true;               // can be chosen
  bool FVisible = true;               // is in the system menu
  TShortCut FShortCut = scNone;       // key that chooses the item
  int FImageIndex = -1;               // image of the menu's Images; -1 for none
  String FHint;                       // help text for the status line
  int FHelpContext = 0;               // help topic
  std::vector<TMenuItem*> FItems;     // the submenu's items; freed by this item
  TMenuItem* FParent = nullptr;       // the item whose submenu holds this one; not owned
  TMenu* FMenu = nullptr;             // set on the root item of a menu only; not owned
  WORD FCommand = 0;                  // command number, unique in the process
  UniqueMenu FHandle;                 // the submenu; its entries' submenus belong to the items
  UniqueBitmap FBitmap;               // the image shown beside the text, or none
  std::unique_ptr<TMenuActionLink> FActionLink;  // link to the action, once one was set
};

// The item that has command number command, anywhere in the process; nullptr if none.
TMenuItem* FindMenuItemByCommand(WORD command);

// ---- TMenuActionLink -------------------------------------------------------------------------

// Passes a TCustomAction's properties on to a menu item.
class TMenuActionLink : public TActionLink {
  CLASSLIB_CLASS(TMenuActionLink, TActionLink)
  explicit TMenuActionLink(TMenuItem* client);

  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsGroupIndexLinked() override;

  void SetCaption(const String& value) override;
  void SetChecked(bool value) override;
  void SetEnabled(bool value) override;
  void SetHelpContext(int value) override;
  void SetHint(const String& value) override;
  void SetImageIndex(int value) override;
  void SetShortCut(TShortCut value) override;
  void SetVisible(bool value) override;
  void SetGroupIndex(int value) override;

 private:
  TMenuItem* FClient;  // the item that owns this link
};

// ---- TMenu ----------------------------------------------------------------------------------------

// Told of a change of the menu: source is the item that changed (nullptr: the whole menu);
// rebuild says that items were added, removed or moved.
using TMenuChangeEvent = std::function<void(TObject* sender, TMenuItem* source, bool rebuild)>;

// What FindItem compares.
enum TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent {
  CLASSLIB_CLASS(TMenu, TComponent)
  // ---- Stored layouts (MenuStreaming.cpp): the items are stored inside the menu ----------
  static const TPropertyTable* PublishedProperties();
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

  explicit TMenu(TComponent* owner);
  // Frees the items and the system menu.
  ~TMenu() override;

  // ---- Attributes ----------------------------------------------------------------------------------
  // The root item, whose items are the menu's; owned by the menu.
  TMenuItem* GetItems() const { return FItems; }
  // The system menu of the root, made and filled when first asked; owned by the menu.
  HMENU GetHandle() { return FItems->GetHandle(); }
  // The images the items' ImageIndex refers to; not owned (dropped when freed).
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* value);
  // The window showing the menu (set by the form for its main menu); nullptr for none.
  HWND GetWindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND value) { FWindowHandle = value; }

  // ---- Operations ----------------------------------------------------------------------------------
  // The item of the menu whose command number, submenu handle or shortcut (an enabled and
  // visible item under enabled, visible parents) is value; nullptr if none.
  TMenuItem* FindItem(UINT_PTR value, TFindItemKind kind) const;
  // Clicks the item of the menu with command number command (WM_COMMAND); false when the
  // number is not one of this menu's.
  bool DispatchCommand(WORD command);
  // The submenu menu is about to open (WM_INITMENUPOPUP): updates the actions of its items
  // and clicks the item that owns it. false when the submenu is not this menu's.
  bool DispatchPopup(HMENU menu);
  // Chooses the enabled, visible item whose ShortCut is the shortcut of key and shift, as
  // choosing it from the menu would (its parents' OnClick first, which may set it up).
  // false when no such item exists.
  bool IsShortCut(WORD key, TShiftState shift);
  // The same for a WM_KEYDOWN or WM_SYSKEYDOWN, with the modifier keys' state now.
  bool IsShortCut(const TWMKey& message);

  // ---- Events --------------------------------------------------------------------------------------
  TMenuChangeEvent OnChange;  // after the menu's contents changed

 protected:
  // The root's system menu is a menu bar (TMainMenu) rather than a popup menu.
  virtual bool IsMenuBar() const { return false; }
  // Called after an item changed; raises OnChange.
  virtual void MenuChanged(TObject* sender, TMenuItem* source, bool rebuild);
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TMenuItem;
  TMenuItem* FItems = nullptr;        // the root item; freed by the menu
  TCustomImageList* FImages = nullptr;  // images of the items; not owned
  HWND FWindowHandle = nullptr;       // window showing the menu; not owned
};

// ---- TMainMenu ---------------------------------------------------------------------------------

// The menu bar of a form. The form puts GetHandle() on its window with SetMenu and sets
// WindowHandle; the menu then redraws the bar after every change. Before its window is
// destroyed the form takes the menu off it (SetMenu(window, nullptr)), since a window
// destroys the menu it still has, and this menu is the owner of its handle.
class TMainMenu : public TMenu {
  CLASSLIB_CLASS(TMainMenu, TMenu)
  explicit TMainMenu(TComponent* owner) : TMenu(owner) {}

 protected:
  bool IsMenuBar() const override { return true; }
  void MenuChanged(TObject* sender, TMenuItem* source, bool rebuild) override;
};

// ---- TPopupMenu ---------------------------------------------------------------------------------

// How a popup menu lies against the point it pops up at.
enum TPopupAlignment { paLeft, paRight, paCenter };

// A menu shown at a point, by a control's right click (when AutoPopup) or by Popup.
class TPopupMenu : public TMenu {
  CLASSLIB_CLASS(TPopupMenu, TMenu)
  static const TPropertyTable* PublishedProperties();  // MenuStreaming.cpp
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  // ---- Attributes ----------------------------------------------------------------------------------
  // The control's right click shows the menu; otherwise only Popup does.
  bool GetAutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool value) { FAutoPopup = value; }
  TPopupAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment value) { FAlignment = value; }
  // The component whose right click showed the menu last; nullptr if none (dropped when
  // freed). Not owned.
  TComponent* GetPopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* value);
  // The screen point of the last Popup.
  TPoint GetPopupPoint() const { return FPopupPoint; }

  // ---- Operations ----------------------------------------------------------------------------------
  // Shows the menu with its corner at the screen point (x, y), after OnPopup, and waits
  // until the user chooses an item (which is then clicked) or closes the menu.
  virtual void Popup(int x, int y);

  // ---- Events --------------------------------------------------------------------------------------
  TNotifyEvent OnPopup;  // just before the menu shows; may set up its items

 protected:
  virtual void DoPopup(TObject* sender);
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TPopupAlignment FAlignment = paLeft;     // side of the point the menu lies on
  bool FAutoPopup = true;                  // shown by the control's right click
  TComponent* FPopupComponent = nullptr;   // control that showed it last; not owned
  TPoint FPopupPoint;                      // where it was shown last
};
