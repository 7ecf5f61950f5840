// The owner-drawn menus: TSeCustomMenuBar, a control that shows the first level of its item
// tree as a bar and opens the submenus; TSeCustomPopupMenu, a popup menu whose content is an
// item tree. The windows of an open menu are in SkinPopupWindow.h.
#pragma once
#include "SkinItems.h"
#include "SkinPopupWindow.h"
#include "classlib/controls/Menus.h"
#include "classlib/forms/Forms.h"
#include "controls/skin/controls/SkinControl.h"

class TSeCustomForm;

// ---- Popup menu -------------------------------------------------------------------------------------

class TSeCustomPopupMenu : public TPopupMenu {
  CLASSLIB_CLASS(TSeCustomPopupMenu, TPopupMenu)
  static const TPropertyTable* PublishedProperties();
  // itemClass: the class of the tree's items, of which the root is made.
  explicit TSeCustomPopupMenu(TComponent* owner, const TClassInfo* itemClass = TSeCustomItem::StaticClassInfo());
  ~TSeCustomPopupMenu() override;

  // The root of the item tree; owned.
  TSeCustomItem* GetSeItems() const { return FItems; }
  TCustomImageList* GetSeImages() const { return FItems->GetImages(); }
  void SetSeImages(TCustomImageList* value) { FItems->SetImages(value); }
  TSePopupMenuOptions* GetPopupMenuOptions() const { return FOptions.get(); }
  void SetPopupMenuOptions(TSePopupMenuOptions* value);
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void Loaded() override;
  // Shows the tree at the screen point; returns when the menu closes.
  void Popup(int x, int y) override;
  // Closes the menu: its open levels end their loops and leave the screen at once.
  virtual void CloseMenu();
  // The popup menu showing now, nullptr when none.
  static TSeCustomPopupMenu* Showing();

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TSeCustomItem* FItems = nullptr;  // owned
  std::unique_ptr<TSePopupMenuOptions> FOptions;
};

// ---- Menu bar ---------------------------------------------------------------------------------------------

class TSeMenuBarView;

class TSeCustomMenuBar : public TSeCustomControl {
  CLASSLIB_CLASS(TSeCustomMenuBar, TSeCustomControl)
  static const TPropertyTable* PublishedProperties();
  // itemClass: the class of the tree's items, of which the root is made.
  explicit TSeCustomMenuBar(TComponent* owner, const TClassInfo* itemClass = TSeCustomItem::StaticClassInfo());
  ~TSeCustomMenuBar() override;

  TSeCustomItem* GetItems() const { return FItems; }
  TSeItemView* GetView() const;
  bool GetAutoSize() const { return FAutoSizeBar; }
  void SetAutoSizeBar(bool value) { FAutoSizeBar = value; }
  bool GetShowBevel() const { return FShowBevel; }
  void SetShowBevel(bool value);
  TCustomImageList* GetImages() const { return FItems->GetImages(); }
  void SetImages(TCustomImageList* value) { FItems->SetImages(value); }
  TSePopupMenuOptions* GetPopupMenuOptions() const { return FOptions.get(); }
  void SetPopupMenuOptions(TSePopupMenuOptions* value);

  // The rectangle the items are laid out in (room for the bevel line left).
  virtual TRect GetItemsRect();
  // Lays the items out again and repaints.
  virtual void ApplyLayout();
  // Selects the first item and runs the menu loop.
  void EnterMenuMode();
  // Runs the shortcut of the key message; true when one matched.
  bool IsShortCut(const TMessage& keyMessage) { return FItems->IsShortCut(keyMessage); }

  // ---- The buttons of a maximized MDI child (a bar on an MDI parent form) ------------------
  // Shows the child's icon at the left and minimize, restore and close at the right for the
  // child's decoration component; Unmerge hides them.
  void MergeMDIButtons(TSeCustomForm* childForm);
  void UnmergeMDIButtons();
  // The decoration component whose buttons show; nullptr when none (forgotten when it goes).
  TSeCustomForm* GetMDIChild() const { return FMDIChild; }
  // The button item of a kind (sysChildIcon to sysClose); nullptr on other bars.
  TSeCustomItem* GetMDIButton(TSeSystemKind kind) const;

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void Loaded() override;
  // At design time the bar also becomes the menu bar of its new form's active decoration
  // when that has none.
  void SetParent(TWinControl* value) override;
  void SetBounds(int left, int top, int width, int height) override;
  void Dispatch(TMessage& message) override;
  // The bar's own action, then every top-level item's.
  void InitiateAction() override;
  // The bar stands in a control bar (its parent is one).
  bool InControlBar() const;

 protected:
  void PaintFace() override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TSeMenuBarView;
  // Makes the four hidden button items on an MDI parent form (owned by the form).
  void CreateMDIButtons();
  // Continues the control bar's background under the bar (themed, else the bar's colour).
  void PaintControlBarBackground(TCanvas* canvas);
  // The etched line along the edge away from the form's (themed when themes are in use).
  void PaintBevel(TCanvas* canvas);
  void MDIButtonClick(TObject* sender);
  TSeCustomItem* FItems = nullptr;   // owned
  TSeMenuBarView* FView = nullptr;   // owned (component of this bar)
  std::unique_ptr<TSePopupMenuOptions> FOptions;
  bool FAutoSizeBar = true;
  bool FShowBevel = false;
  bool FUpdating = true;             // during construction and its own re-layout
  bool FMerging = false;             // the MDI buttons are being shown or hidden
  TSeCustomForm* FMDIChild = nullptr;         // not owned; forgotten when it goes
  TSeCustomItem* FMDIButtons[4] = {};         // by kind - 1; owned by the form, forgotten when freed
};

class TSeMenuBarView : public TSeItemView {
  CLASSLIB_CLASS(TSeMenuBarView, TSeItemView)
  explicit TSeMenuBarView(TSeCustomMenuBar* bar);
  void SizeChanged(const TSize& size) override;
  void RepaintView() override;
  void RepaintItem(TSeCustomItem* item) override;

 private:
  TSeCustomMenuBar* FBar;  // not owned
};
