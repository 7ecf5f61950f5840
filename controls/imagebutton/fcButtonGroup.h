// TfcCustomButtonGroup and TfcButtonGroup: a transparent panel holding buttons of one class
// (ButtonClassName) as a collection of items (ButtonItems), laid out in a grid of Columns,
// that behave as a radio group, a check list or plain buttons (ClickStyle) and tell which
// item is selected (OnChanging before a button goes down, OnChange once the selection is
// recorded). The answer pads and question-number pads of the practice and exam windows are
// such groups of image buttons.
//
// Items are not stored in layouts: while a layout is read every button that is inserted as
// a child gets an item, in child order. Nothing is laid out and no selection event fires
// while the group is being read.
//
// Not done: the designer's parts (the confirmation before ButtonClassName clears items,
// renaming the buttons with the group, the dashed outline of an empty group).
#pragma once
#include <functional>
#include <memory>
#include "fcButton.h"
#include "fcClearPanel.h"
#include "fcCollection.h"

class TfcCustomButtonGroup;
class TfcButtonGroupItem;

enum TfcButtonGroupClickStyle { bcsCheckList, bcsRadioGroup, bcsClick };
enum TfcLayout { loVertical, loHorizontal };
extern const TEnumInfo fcButtonGroupClickStyleIdents;
extern const TEnumInfo fcLayoutIdents;

using TfcButtonGroupChangeEvent = std::function<void(
    TfcCustomButtonGroup* group, TfcButtonGroupItem* oldSelected, TfcButtonGroupItem* selected)>;

// One button of a group.
class TfcButtonGroupItem : public TfcCollectionItem {
  CLASSLIB_CLASS(TfcButtonGroupItem, TfcCollectionItem)
  // Outside loading, makes a button of the group's class (owned by the group's owner,
  // parented by the group).
  explicit TfcButtonGroupItem(TCollection* collection);
  // Frees the button when the group is freeing its items.
  ~TfcButtonGroupItem() override;

  // The button; not owned by the item (its owner is the group's owner).
  TfcCustomBitBtn* GetButton() const { return FButton; }
  void SetButton(TfcCustomBitBtn* value) { FButton = value; }
  TfcCustomButtonGroup* GetGroup() const;
  int GetGroupIndex() const;
  void SetGroupIndex(int value);
  // The button's recorded selection; writing puts the button down (or up).
  bool GetSelected() const;
  void SetSelected(bool value);
  String GetDisplayName() const override;
  void SetIndex(int value) override;

 private:
  TfcCustomBitBtn* FButton = nullptr;  // not owned
};

class TfcButtonGroupItems : public TfcCollection {
  CLASSLIB_CLASS(TfcButtonGroupItems, TfcCollection)
  explicit TfcButtonGroupItems(TfcCustomButtonGroup* group);

  TfcCustomButtonGroup* GetGroup() const { return FGroup; }
  TfcButtonGroupItem* GetItem(int index) const;
  // A new item with a new button that shares the first button's settings and takes the
  // group's click style; then the buttons are laid out.
  TfcButtonGroupItem* Add();
  // An item for a button read from a layout.
  TfcButtonGroupItem* AddForButton(TfcCustomBitBtn* button);
  // Frees every item and its button, the last first.
  void Clear();
  TfcButtonGroupItem* FindButton(const TObject* button) const;
  TfcButtonGroupItem* FindItemID(int id) const;
  // Places the buttons in the group (see fcButtonGroup.cpp).
  void UpdateLayout();

  bool InLayout() const { return FInLayout; }
  void SetInLayout(bool value) { FInLayout = value; }
  bool Adding() const { return FAdding; }
  bool Deleting() const { return FDeleting; }
  void SetDeleting(bool value) { FDeleting = value; }

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TfcCustomButtonGroup* FGroup;  // the owner; not owned
  bool FInLayout = true;         // a layout pass runs (and from construction until Loaded)
  bool FAdding = false;          // inside Add, or a read button is being attached
  bool FDeleting = false;        // items free their buttons
};

// One cell of a layout pass, worked out without windows (see fcButtonGroup.cpp).
struct TfcGroupGrid {
  int Columns = 0;  // cells across
  int Rows = 0;     // cells down
  int Quotient = 0;   // items div Columns
  int Remainder = 0;  // items mod Columns
};
// The grid of `count` items with `columns` (rows for loHorizontal); Columns 0 when there is
// nothing to lay out (no items or columns below 1).
TfcGroupGrid GroupGrid(int count, int columns, TfcLayout layout);
// The (column, row) cell of the 0-based position in a grid.
TPoint GroupCell(const TfcGroupGrid& grid, int position, int columns, TfcLayout layout);
// The bounds of every position for an inner area of width x height (border excluded, at
// (border, border)), spacing between cells and a cap on the height (loVertical) or width
// (loHorizontal) of 0 for none.
std::vector<TRect> GroupLayout(int count, int columns, TfcLayout layout, int width, int height,
                               int border, int spacing, int maxControlSize);

class TfcCustomButtonGroup : public TfcCustomTransparentPanel {
  CLASSLIB_CLASS(TfcCustomButtonGroup, TfcCustomTransparentPanel)
  static const TPropertyTable* PublishedProperties();
  explicit TfcCustomButtonGroup(TComponent* owner);
  ~TfcCustomButtonGroup() override;

  // ---- Attributes ----------------------------------------------------------------------
  bool GetAutoBold() const { return FAutoBold; }
  void SetAutoBold(bool value);
  // The class of the buttons (a registered TfcCustomBitBtn class). A name that is not such
  // a class keeps the previous one. A new class frees the items (outside loading).
  String GetButtonClassName() const;
  void SetButtonClassName(const String& value);
  const TClassInfo* GetButtonClass() const { return FButtonClass; }
  virtual void SetButtonClass(const TClassInfo* value);
  TfcButtonGroupItems* GetButtonItems() const { return FButtonItems.get(); }  // owned
  void SetButtonItems(TfcButtonGroupItems* value);
  TfcButtonGroupClickStyle GetClickStyle() const { return FClickStyle; }
  void SetClickStyle(TfcButtonGroupClickStyle value);
  int GetColumns() const { return FColumns; }
  void SetColumns(int value);  // values below 0 are ignored; 0 lays nothing out
  int GetControlSpacing() const { return FControlSpacing; }
  void SetControlSpacing(int value);
  TfcLayout GetLayout() const { return FLayout; }
  void SetLayout(TfcLayout value);
  int GetMaxControlSize() const { return FMaxControlSize; }
  virtual void SetMaxControlSize(int value);
  bool GetTransparent() const override;

  // ---- Events ----------------------------------------------------------------------------
  TfcButtonGroupChangeEvent OnChanging;
  TfcButtonGroupChangeEvent OnChange;

  // ---- Operations --------------------------------------------------------------------------
  // The first selected item, or nullptr.
  virtual TfcButtonGroupItem* GetSelected() const;
  // Sizes the group to hold its items as buttons of button's size (the first item's when
  // nullptr); applied when apply. Returns that size.
  virtual TSize SizeToButtons(TfcCustomBitBtn* button, bool apply);
  // Sends CM_MOUSELEAVE to the group once for every other item's button.
  virtual void LeaveOthers(TfcCustomBitBtn* button);
  virtual void ApplyAutoBold(bool value);

  void Loaded() override;
  void Dispatch(TMessage& message) override;
  // Orders the buttons like the items first, so that a layout stores them in item order.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 protected:
  virtual void ButtonChanged(TfcCustomBitBtn* button);
  virtual void ButtonChanging(TfcCustomBitBtn* button);
  virtual void DoChanging(TfcButtonGroupItem* oldSelected, TfcButtonGroupItem* selected);
  virtual void DoChange(TfcButtonGroupItem* oldSelected, TfcButtonGroupItem* selected);
  void AlignControls(TControl* control, TRect& rect) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void Paint() override;
  void Resize() override;
  void CMBorderChanged(TMessage& message) override;

 private:
  friend class TfcButtonGroupItems;
  friend class TfcButtonGroupItem;
  bool IsLoading() const { return GetComponentState().Contains(csLoading); }
  void ControlChange(TMessage& message);
  void ControlListChange(TMessage& message);

  bool FAutoBold = true;
  const TClassInfo* FButtonClass;                   // class of new buttons
  std::unique_ptr<TfcButtonGroupItems> FButtonItems;
  TfcButtonGroupClickStyle FClickStyle = bcsRadioGroup;
  int FColumns = 1;
  int FControlSpacing = 1;
  TfcLayout FLayout = loVertical;
  int FMaxControlSize = 0;                          // 0: no cap
  std::unique_ptr<TfcChangeLink> FLink;             // hears the buttons' changes
  TfcButtonGroupItem* FOldSelected = nullptr;       // selected before the running change
};

class TfcButtonGroup : public TfcCustomButtonGroup {
  CLASSLIB_CLASS(TfcButtonGroup, TfcCustomButtonGroup)
  explicit TfcButtonGroup(TComponent* owner) : TfcCustomButtonGroup(owner) {}
};
