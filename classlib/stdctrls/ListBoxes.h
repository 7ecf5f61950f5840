// TCustomListBox/TListBox over the system's LISTBOX window class. The owner-draw types the
// list controls share come with it (OwnerDrawItems.h).
//
// Items, ItemIndex, TopIndex and the selection of a multiple-selection list work with or
// without a window (ListItems.h keeps them until the window is made). Owner-drawn lists
// draw each item in DrawItem (OnDrawItem) on Canvas, which is set up with the control's
// font and brush, in the highlight colours for a selected item; variable-height lists ask
// MeasureItem (OnMeasureItem) for each item's height.
//
// A bad index to Items or Selected raises EStringListError / EListError "List index out of
// bounds (%d)". ItemIndex outside the items selects nothing (-1).
//
// Not done: virtual (data-less) styles, TabWidth, IntegralHeight (the height is always the
// control's own), AutoComplete.
#pragma once
#include <memory>
#include "../controls/Controls.h"
#include "OwnerDrawItems.h"

class TStrings;
class TListItemStore;
class TListBoxStrings;

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

// ---- TCustomListBox -----------------------------------------------------------------------------
class TCustomListBox : public TWinControl {
  CLASSLIB_CLASS(TCustomListBox, TWinControl)
  static const TPropertyTable* PublishedProperties();
  // 121 x 97, single border, tab stop, clWindow, items 16 pixels high, extended selection.
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;

  // ---- Items and selection --------------------------------------------------------------------
  TStrings* GetItems() const;      // owned
  void SetItems(TStrings* value);  // copies value
  int GetCount() const;
  // The selected item (the focused one in a multiple-selection list); -1 for none.
  int GetItemIndex();
  void SetItemIndex(int value);
  // EListError "List index out of bounds (%d)" for a bad index.
  bool GetSelected(int index);
  void SetSelected(int index, bool value);
  // The first item shown.
  int GetTopIndex();
  void SetTopIndex(int value);
  void Clear();
  // The item at a client point: with existing, -1 when the point is past the last item;
  // without, the nearest item. -1 without a window.
  int ItemAtPos(const TPoint& pos, bool existing);
  // The item's rectangle in client coordinates; empty for a bad index or without a window.
  TRect ItemRect(int index);

  // ---- Attributes (all but ItemHeight of an owner-draw list make the window again) ------------
  TListBoxStyle GetStyle() const { return FStyle; }
  void SetStyle(TListBoxStyle value);
  // The system's height of a standard list's items; the value given to owner-draw lists.
  int GetItemHeight();
  void SetItemHeight(int value);  // values below 1 are ignored
  bool GetMultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value);
  // Shift and Ctrl extend a multiple selection (otherwise each click toggles an item).
  bool GetExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool value);
  bool GetSorted() const { return FSorted; }
  void SetSorted(bool value);
  // Items in that many columns (0: one column that scrolls vertically). Negative values
  // count as 0.
  int GetColumns() const { return FColumns; }
  void SetColumns(int value);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);  // bsNone or bsSingle

  // Draws owner-drawn items (valid while an item is drawn). Owned.
  TCanvas* GetCanvas() const { return FOwnerDraw.GetCanvas(); }

  // ---- Events ------------------------------------------------------------------------------
  const TDrawItemEvent& GetOnDrawItem() const { return FOwnerDraw.GetOnDrawItem(); }
  void SetOnDrawItem(TDrawItemEvent handler) { FOwnerDraw.SetOnDrawItem(std::move(handler)); }
  const TMeasureItemEvent& GetOnMeasureItem() const { return FOwnerDraw.GetOnMeasureItem(); }
  void SetOnMeasureItem(TMeasureItemEvent handler) {
    FOwnerDraw.SetOnMeasureItem(std::move(handler));
  }

  void Dispatch(TMessage& message) override;
  void Loaded() override;

 protected:
  // LISTBOX with the styles of the attributes.
  void CreateParams(TCreateParams& params) override;
  // Hands the kept items, selection and top item to the new window.
  void CreateWnd() override;
  // Keeps the items, selection and top item before the window goes.
  void WMDestroy(TMessage& message) override;
  void WMSize(TMessage& message) override;
  // Draws an item: OnDrawItem, or the item's text on the prepared canvas.
  virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
  // The height of a variable-height item: OnMeasureItem.
  virtual void MeasureItem(int index, int& height);
  // LBN_SELCHANGE clicks, LBN_DBLCLK double-clicks.
  virtual void CNCommand(TMessage& message);
  virtual void CNDrawItem(TMessage& message);
  virtual void CNMeasureItem(TMessage& message);

  // ---- Item data (a derived control may keep its own data with the items) ----------------------
  // The data Items.Objects gives and takes.
  virtual LRESULT GetItemData(int index);
  virtual void SetItemData(int index, LRESULT data);
  // The data as stored with the item.
  LRESULT InternalGetItemData(int index);
  void InternalSetItemData(int index, LRESULT data);
  // Removes one item / all items (a derived control frees its data here first).
  virtual void DeleteString(int index);
  virtual void ResetContent();
  // EListError "List index out of bounds (%d)" unless 0 <= index < Count.
  void CheckItemIndex(int index) const;

 private:
  friend class TListBoxStrings;
  void SetColumnWidth();

  std::unique_ptr<TListItemStore> FStore;   // the items (in the window, or kept)
  std::unique_ptr<TListBoxStrings> FItems;  // Items over FStore
  TOwnerDrawItems FOwnerDraw;               // canvas and events of owner drawing, over FItems
  TListBoxStyle FStyle = lbStandard;
  int FItemHeight = 16;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  bool FSorted = false;
  int FColumns = 0;
  TBorderStyle FBorderStyle = bsSingle;
  int FKeptItemIndex = -1;    // ItemIndex while there is no window
  int FKeptTopIndex = 0;      // TopIndex while there is no window
  int FLoadedItemIndex = -2;  // ItemIndex read from a layout, applied by Loaded (-2: none)
};

class TListBox : public TCustomListBox {
  CLASSLIB_CLASS(TListBox, TCustomListBox)
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};
