// TSeSkinItem: the menu item that measures and paints itself from skin objects when its menu
// hands it a skin, and exactly as TSeCustomItem otherwise. Its submenus open in a
// TSeSkinPopupWindow.
//
// The skin objects it draws with (looked up by name in the engine's skin):
//   "MenuBar"    the menu bar; its children "Min", "Restore" and "Close" draw the buttons of a
//                maximized MDI child, its child "Item" draws a bar item;
//   "PopupMenu"  the popup frame; its child "Item" draws a popup item and its child
//                "Separator" (when there is one) a separator.
// The menu that owns the tree keeps private copies of these objects (never the engine's own
// ones, which every menu shares) and hands them to its items; an item draws with them only
// while they exist. The copies are components: an item is told when one is freed (the skin
// changes, the engine goes, the menu goes) and drops it.
#pragma once
#include "SkinItems.h"
#include "controls/skin/engine/SkinEngine.h"

// What a menu hands to its items.
struct TSeMenuSkinObjects {
  TSeLumaweave* Engine = nullptr;      // not owned
  TSeSkinObject* MenuBar = nullptr;    // the copy of "MenuBar"
  TSeSkinObject* BarItem = nullptr;    // its child "Item"
  TSeSkinObject* PopupItem = nullptr;  // the "Item" of the copy of "PopupMenu"
  TSeSkinObject* Separator = nullptr;  // the "Separator" of the copy of "PopupMenu"
  bool UseSkin = false;
};

class TSeSkinItem : public TSeCustomItem {
  CLASSLIB_CLASS(TSeSkinItem, TSeCustomItem)
  explicit TSeSkinItem(TComponent* owner) : TSeCustomItem(owner) {}
  ~TSeSkinItem() override;

  TSeLumaweave* GetLumaweave() const { return FEngine; }
  TSeSkinObject* GetMenuBarObject() const { return FMenuBar; }
  TSeSkinObject* GetBarItemObject() const { return FBarItem; }
  TSeSkinObject* GetPopupItemObject() const { return FPopupItem; }
  TSeSkinObject* GetSeparatorObject() const { return FSeparator; }
  // Takes the engine and the objects (watching each for its freeing) and the flag.
  void SetSkin(const TSeMenuSkinObjects& skin);
  // Draws from the skin: not loading or being destroyed, an engine whose skin is there (not
  // updating, not empty), a menu-bar object and the use-skin flag.
  bool UseSkin() const;
  // The width of the glyph column the skin draws in (the base's image column).
  int ImageSize() const { return ImageColumnWidth(); }

  void MeasureItem(TCanvas* canvas, TSeItemView* view, int& height, int& width) override;
  void DrawItem(TCanvas* canvas, TSeItemView* view, const TRect& r, bool selected,
                bool hot) override;
  void DrawScrollButton(TCanvas* canvas, TSeItemView* view, bool pressed, int direction,
                        const TRect& r) override;
  TSePopupWindowClass PopupWindowClass() const override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // Points field at value, moving the free notification with it.
  void Watch(TSeSkinObject*& field, TSeSkinObject* value);
  bool DrawBarItemSkinned(TCanvas* canvas, const TRect& r, uint8_t state);
  void DrawPopupItemSkinned(TCanvas* canvas, const TRect& r, uint8_t state);
  // Glyph column: the check mark or the image.
  void DrawGlyph(TCanvas* canvas, const TRect& r, TColor color);

  TSeLumaweave* FEngine = nullptr;     // not owned; cleared when it goes
  TSeSkinObject* FMenuBar = nullptr;   // the menu's copies; not owned, cleared when freed
  bool FUseSkin = false;
  TSeSkinObject* FBarItem = nullptr;
  TSeSkinObject* FPopupItem = nullptr;
  TSeSkinObject* FSeparator = nullptr;
};

// The skin state of an item: 0 not selected, 5 selected and hot, 7 selected otherwise.
uint8_t SkinItemState(bool selected, bool hot);

// Hands skin to every TSeSkinItem of the tree under root (root included).
void SetTreeSkin(TSeCustomItem* root, const TSeMenuSkinObjects& skin);
