// TCustomComboBox/TComboBox over the system's COMBOBOX window class.
//
// Styles: csDropDown (an edit and a drop-down list), csSimple (an edit and a list always
// shown), csDropDownList (a drop-down list; Text is the selected item), csOwnerDrawFixed
// and csOwnerDrawVariable (drop-down lists whose items, and the selected one in the
// closed box, are drawn by DrawItem/OnDrawItem).
//
// The combo box's edit and list are windows of the system inside it; the control replaces
// their window procedures with EditWndProc and ListWndProc (virtual, so that a derived
// control can watch or change their messages) which call the system's, GetDefEditProc and
// GetDefListProc. Keys typed in the edit reach the control's key events as if typed in
// the control itself. The replacement is undone before the control goes.
//
// While the list is dropped down it keeps the keys: the arrows move its choice, Enter chooses
// and closes, Escape closes and brings back the choice from before it opened. The list is as
// wide as the box, or as its widest item when that is wider. Of the system keys the box uses
// Alt+Up and Alt+Down (open and close the list); the others act on the window, open or closed.
//
// Events: OnChange when the user edits the text (CBN_EDITCHANGE) and, when there is no
// OnSelect, when an item is picked; OnSelect when an item is picked from the list (after
// OnClick); OnDropDown before the list opens; OnCloseUp after it closes.
//
// Items and ItemIndex work with or without a window. ItemIndex outside the items selects
// nothing (-1); a bad index to Items raises EStringListError "List index out of bounds (%d)".
// A box whose selection is cleared answers the arrow keys as a new one: the first Down picks
// the first item.
//
// Not done: CharCase, AutoComplete, SelStart/SelLength of the edit part.
#pragma once
#include <functional>
#include <memory>
#include "ListBoxes.h"
#include "OwnerDrawItems.h"

class TListItemStore;
class TComboBoxStrings;

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TCustomComboBox : public TWinControl {
  CLASSLIB_CLASS(TCustomComboBox, TWinControl)
  static const TPropertyTable* PublishedProperties();
  // 145 wide, csDropDown, eight items dropped down, items 16 pixels high, tab stop.
  explicit TCustomComboBox(TComponent* owner);
  // Gives the edit and the list their own window procedures back.
  ~TCustomComboBox() override;

  // ---- Items and selection ------------------------------------------------------------------
  TStrings* GetItems() const;      // owned
  void SetItems(TStrings* value);  // copies value
  int GetItemIndex();
  void SetItemIndex(int value);
  void Clear();  // the items and the text

  // ---- Text -------------------------------------------------------------------------------------
  // The edit's text; of a list style, the selected item's. These hide TControl's: a list
  // style selects the item of that text (none when there is no such item). Text set here
  // runs no OnChange.
  String GetText();
  void SetText(const String& value);

  // ---- Attributes -------------------------------------------------------------------------------
  TComboBoxStyle GetStyle() const { return FStyle; }
  void SetStyle(TComboBoxStyle value);  // makes the window again
  // The system's item height of the standard styles; the value given to owner-draw ones.
  int GetItemHeight();
  void SetItemHeight(int value);  // values below 1 are ignored
  // The most items the dropped-down list shows at once; values below 1 count as 1.
  int GetDropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int value);
  bool GetDroppedDown();
  void SetDroppedDown(bool value);
  bool GetSorted() const { return FSorted; }
  void SetSorted(bool value);  // makes the window again
  // The most characters the user may type in the edit; 0: no limit (negative counts as 0).
  int GetMaxLength() const { return FMaxLength; }
  void SetMaxLength(int value);

  // ---- The windows inside ----------------------------------------------------------------------
  // The edit of csDropDown and csSimple (nullptr for the list styles or without a window).
  HWND GetEditHandle() const { return FEditHandle; }
  // The list (dropped-down or, for csSimple, always shown); nullptr without a window.
  HWND GetListHandle() const { return FListHandle; }
  // The system's procedures of the edit and the list, which EditWndProc and ListWndProc
  // call for what they do not keep.
  WNDPROC GetDefEditProc() const { return FDefEditProc; }
  WNDPROC GetDefListProc() const { return FDefListProc; }

  // Draws owner-drawn items (valid while an item is drawn). Owned.
  TCanvas* GetCanvas() const { return FOwnerDraw.GetCanvas(); }

  // ---- Events -----------------------------------------------------------------------------------
  const TNotifyEvent& GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }
  const TNotifyEvent& GetOnDropDown() const { return FOnDropDown; }
  void SetOnDropDown(TNotifyEvent handler) { FOnDropDown = std::move(handler); }
  const TNotifyEvent& GetOnCloseUp() const { return FOnCloseUp; }
  void SetOnCloseUp(TNotifyEvent handler) { FOnCloseUp = std::move(handler); }
  const TNotifyEvent& GetOnSelect() const { return FOnSelect; }
  void SetOnSelect(TNotifyEvent handler) { FOnSelect = std::move(handler); }
  const TDrawItemEvent& GetOnDrawItem() const { return FOwnerDraw.GetOnDrawItem(); }
  void SetOnDrawItem(TDrawItemEvent handler) { FOwnerDraw.SetOnDrawItem(std::move(handler)); }
  const TMeasureItemEvent& GetOnMeasureItem() const { return FOwnerDraw.GetOnMeasureItem(); }
  void SetOnMeasureItem(TMeasureItemEvent handler) {
    FOwnerDraw.SetOnMeasureItem(std::move(handler));
  }

  void Dispatch(TMessage& message) override;
  void Loaded() override;

 protected:
  // COMBOBOX with the style, sort and the dropped-down height.
  void CreateParams(TCreateParams& params) override;
  // Finds the edit and the list, replaces their procedures, hands over the kept items.
  void CreateWnd() override;
  // Keeps the items and the selection; the edit and the list go with the window.
  void WMDestroy(TMessage& message) override;

  // ---- The edit's and the list's messages -------------------------------------------------------
  // Every message of the edit window: keys go through the control's key events first.
  // Override to watch or change them; call the inherited one for the rest.
  virtual void EditWndProc(TMessage& message);
  // Every message of the list window.
  virtual void ListWndProc(TMessage& message);
  // The work common to both: focus bookkeeping, key events, closing the list on Enter and
  // Escape, then comboProc (the system's procedure of comboWnd) and double clicks.
  virtual void ComboWndProc(TMessage& message, HWND comboWnd, WNDPROC comboProc);

  // ---- Overridable behaviour --------------------------------------------------------------------
  // The user changed the text: CM_CHANGED, then OnChange.
  virtual void Change();
  // An item was picked: OnSelect, or Change when there is none.
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  // Sizes the dropped-down list for min(Items.Count, DropDownCount) items (at least one), and
  // wide enough for its widest item.
  virtual void AdjustDropDown();
  // Escape on the open list marks its choice to be cancelled when it closes.
  void KeyDown(WORD& key, TShiftState shift) override;
  virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
  virtual void MeasureItem(int index, int& height);
  virtual void CNCommand(TMessage& message);
  // CB_SETCURSEL; clearing the selection also puts the list's caret on the first item, so
  // that an emptied box answers the keys as a new one.
  void SetCurSel(TMessage& message);
  virtual void CNDrawItem(TMessage& message);
  virtual void CNMeasureItem(TMessage& message);
  void WMWindowPosChanging(TMessage& message) override;
  // A system key on the box itself (a list style): Alt+Up and Alt+Down to the system's box,
  // which opens and closes the list; every other one to the default procedure, as the edit
  // of the other styles passes them, so that Alt+F4, Alt and F10 act on the window.
  void WMSysKeyDown(TMessage& message) override;
  // True for the styles without an edit (csDropDownList and the owner-drawn ones).
  bool IsListStyle() const { return FStyle >= csDropDownList; }

 private:
  friend class TComboBoxStrings;
  friend LRESULT CALLBACK ComboChildWindowProc(HWND, UINT, WPARAM, LPARAM);
  // The height of the box and a dropped list of count items.
  int DroppedHeight(int count);
  // The width a dropped list needs for its widest item; 0 for owner-drawn items.
  int ItemsWidth();
  // What WM_GETDLGCODE adds while the list is open.
  LRESULT DroppedDownDlgCode();
  // Gives back the item and text from before the list opened, through Select (not over text
  // typed while it was open).
  void RestoreDropChoice();
  // Replaces / restores the procedures of the edit and the list.
  void HookChildren();
  void UnhookChildren();

  std::unique_ptr<TListItemStore> FStore;    // the items (in the window, or kept)
  std::unique_ptr<TComboBoxStrings> FItems;  // Items over FStore
  TOwnerDrawItems FOwnerDraw;                // canvas and events of owner drawing, over FItems
  TComboBoxStyle FStyle = csDropDown;
  int FItemHeight = 16;
  int FDropDownCount = 8;
  bool FSorted = false;
  int FMaxLength = 0;
  HWND FEditHandle = nullptr;      // the edit inside; the window's own
  HWND FListHandle = nullptr;      // the list; the window's own
  WNDPROC FDefEditProc = nullptr;  // the edit's procedure before ours
  WNDPROC FDefListProc = nullptr;  // the list's procedure before ours
  int FKeptItemIndex = -1;         // ItemIndex while there is no window
  int FLoadedItemIndex = -2;       // ItemIndex read from a layout (-2: none)
  bool FDroppingDown = false;      // AdjustDropDown is sizing the window
  bool FSelecting = false;         // the control sets the edit's text itself
  int FDropIndex = -1;             // ItemIndex when the list last opened
  String FDropText;                // the text then
  bool FCancelDrop = false;        // Escape closes the list: FDropIndex comes back
  TNotifyEvent FOnChange;
  TNotifyEvent FOnDropDown;
  TNotifyEvent FOnCloseUp;
  TNotifyEvent FOnSelect;
};

class TComboBox : public TCustomComboBox {
  CLASSLIB_CLASS(TComboBox, TCustomComboBox)
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};
