// TCheckListBox: a list box with a check box before each item. A click on an item's box,
// or Space on the focused item, toggles it (unchecked and grayed become checked, checked
// becomes unchecked) and runs OnClickCheck. The states stay with their items when items
// are moved, sorted into place or the window is made again.
//
// The list is owner-drawn: a standard style draws the text itself after the box; an
// owner-draw style gets the rectangle right of the box in DrawItem/OnDrawItem.
//
// Not done: AllowGrayed, Flat, per-item Enabled and header items.
#pragma once
#include "CheckBoxes.h"
#include "ListBoxes.h"

class TCheckListBox : public TCustomListBox {
  CLASSLIB_CLASS(TCheckListBox, TCustomListBox)
  static const TPropertyTable* PublishedProperties();
  explicit TCheckListBox(TComponent* owner);
  // Frees the states kept with the items.
  ~TCheckListBox() override;

  // ---- Check states (EListError "List index out of bounds (%d)" for a bad index) ----------
  bool GetChecked(int index);
  void SetChecked(int index, bool value);
  TCheckBoxState GetState(int index);
  void SetState(int index, TCheckBoxState value);

  // The user toggled a box.
  const TNotifyEvent& GetOnClickCheck() const { return FOnClickCheck; }
  void SetOnClickCheck(TNotifyEvent handler) { FOnClickCheck = std::move(handler); }

 protected:
  // Owner-drawn fixed when the style is standard.
  void CreateParams(TCreateParams& params) override;
  // OnClickCheck.
  virtual void ClickCheck();
  // The box left of rect, then the item (as the list box draws it) in rect.
  void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override;
  // The item's rectangle starts after the box.
  void CNDrawItem(TMessage& message) override;
  // A standard style is high enough for the font and the box.
  void CNMeasureItem(TMessage& message) override;
  void KeyPress(wchar_t& key) override;
  void WMLButtonDown(TMessage& message) override;
  // Objects live beside the state in a record the item's data points to.
  LRESULT GetItemData(int index) override;
  void SetItemData(int index, LRESULT data) override;
  void DeleteString(int index) override;
  void ResetContent() override;

 private:
  struct TCheckItem {
    LRESULT Data = 0;  // Items.Objects
    TCheckBoxState State = cbUnchecked;
  };
  // The record of an item; made when create is true and there is none.
  TCheckItem* ItemOf(int index, bool create);
  void FreeItem(int index);
  void ToggleClickCheck(int index);
  void InvalidateCheck(int index);

  TNotifyEvent FOnClickCheck;
};

// The width taken by the box before each item (the box and a margin).
int CheckListBoxCheckWidth();
