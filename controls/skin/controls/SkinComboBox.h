// TSeCustomComboBox: the owner-drawn edit with a drop-down button and the library's list box,
// shown in a borderless top-most window (TSeComboWindow) below or above the combo. A typed
// style and a pick-only style, completion of typed text from the items, keys and the wheel
// moving the choice, and OnAllowChange, which may refuse a choice made in the list.
//
// Each combo has one drop-down window for its whole life, and the list stays in it once it
// was first shown: closing only hides them, so a close from inside their own handlers frees
// or re-creates nothing under them. A combo freed by a handler while the list or the window
// handles a message hands both to the message queue, which frees them afterwards.
// ItemIndex stays within -1 .. count - 1 and is -1 whenever the list is empty.
#pragma once
#include <memory>

#include "SkinEdit.h"
#include "SkinListBox.h"
#include "classlib/forms/Forms.h"
#include "classlib/forms/Timer.h"

class TSeCustomComboBox;

enum TSeComboButtonAlign { cbaLeft, cbaRight };
enum TSeComboStyle { vcsDropDown, vcsDropDownList };
extern const TEnumInfo SeComboButtonAlignIdents;
extern const TEnumInfo SeComboStyleIdents;

using TSeComboBoxAllowChangeEvent =
    std::function<void(TObject* sender, int itemIndex, const String& text, bool& allow)>;

// The list of a combo: a list box whose item painter the combo borrows for its face.
class TSeComboListBox : public TSeCustomListBox {
  CLASSLIB_CLASS(TSeComboListBox, TSeCustomListBox)
  explicit TSeComboListBox(TComponent* owner) : TSeCustomListBox(owner) {}
  // Draws one item on canvas (the combo's face); OnDrawItem gets that canvas too.
  void PaintItem(TCanvas* canvas, int index, const TRect& rect);
  void WndProc(TMessage& message) override;
  // A message of the list is being handled (a handler may free the combo meanwhile).
  bool Busy() const { return FBusy > 0; }
  // The items changed, outside a begin/end update: the combo is told through OnItemsChanged.
  void ItemsChanged() override;
  std::function<void()> OnItemsChanged;  // the combo's; cleared when the combo goes

 protected:
  void DoDrawItem(int index, const TRect& rect, TOwnerDrawState state) override;

 private:
  TCanvas* FFaceCanvas = nullptr;  // during PaintItem: the canvas items go to; not owned
  int FBusy = 0;                   // messages being handled
};

class TSeComboWindow : public TForm {
  CLASSLIB_CLASS(TSeComboWindow, TForm)
  explicit TSeComboWindow(TSeCustomComboBox* combo);
  void Dispatch(TMessage& message) override;
  // The combo is going: the window no longer reaches it.
  void Forget() { FCombo = nullptr; }
  // A message of the window is being handled.
  bool Busy() const { return FBusy > 0; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void KeyDown(WORD& key, TShiftState shift) override;

 private:
  TSeCustomComboBox* FCombo;  // the combo that owns this window, nullptr once it is gone
  int FBusy = 0;              // messages being handled
};

class TSeCustomComboBox : public TSeCustomEdit {
  CLASSLIB_CLASS(TSeCustomComboBox, TSeCustomEdit)
  static const TPropertyTable* PublishedProperties();
  explicit TSeCustomComboBox(TComponent* owner);
  ~TSeCustomComboBox() override;

  TStrings* GetItems() const;
  void SetItems(TStrings* value);
  int GetItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);
  TSeComboStyle GetComboStyle() const { return FComboStyle; }
  void SetComboStyle(TSeComboStyle value);
  TSeComboButtonAlign GetButtonAlign() const { return FButtonAlign; }
  void SetButtonAlign(TSeComboButtonAlign value);
  int GetDropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int value);  // kept within 1..100
  int GetItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);     // kept within 1..1000
  bool GetAutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool value) { FAutoComplete = value; }
  TSeCustomListBox::TSeListBoxStyle GetListStyle() const { return GetList()->GetListStyle(); }
  void SetListStyle(TSeCustomListBox::TSeListBoxStyle value);
  void SetFlat(bool value) { GetList()->SetFlat(value); }
  bool GetSorted() const { return GetList()->GetSorted(); }
  void SetSorted(bool value) { GetList()->SetSorted(value); }
  // The list's own draw and measure events; the face of the pick-only style is drawn by the
  // same handler.
  const TSeDrawItemEvent& GetOnDrawItem() const { return GetList()->GetOnDrawItem(); }
  void SetOnDrawItem(TSeDrawItemEvent handler);
  const TSeMeasureItemEvent& GetOnMeasureItem() const { return GetList()->GetOnMeasureItem(); }
  void SetOnMeasureItem(TSeMeasureItemEvent handler) { GetList()->SetOnMeasureItem(std::move(handler)); }

  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TNotifyEvent OnListBoxClick;
  TSeComboBoxAllowChangeEvent OnAllowChange;

  // The list, made through CreateList when it is first needed (after construction, so that a
  // descendant's CreateList is the one called).
  TSeComboListBox* GetList() const;
  TSeComboWindow* GetDropDownWindow() const { return FWindow.get(); }
  bool GetDroppedDown() const { return FDropped; }
  // Counts the openings of the list (the current one while it is open).
  WPARAM GetDropDownNumber() const { return FDropDownNumber; }
  bool GetButtonPressed() const { return FButtonPressed; }
  bool GetButtonHot() const { return FButtonHot; }
  bool CompletionPending() const { return FTimer->GetEnabled(); }

  virtual void DropDown();
  // Shows the list in the drop-down window when it is not shown yet (in the window, in the
  // combo's font, recorded as the open drop-down), then OnDropDown.
  virtual void DoDropDown();
  // Hides the list and gives it back; with notify, focus returns and OnCloseUp runs.
  virtual void CloseUp();
  // The list's item offered as the choice (click, Enter, Space): OnAllowChange may refuse.
  void ChooseFromList();
  virtual int GetButtonWidth();
  TRect GetButtonRect();
  TRect GetTextRect() override;
  // Where the drop-down goes on a screen of the size given, for a combo at screen rectangle
  // combo: below, else above, else on the larger side shortened; never over the combo and
  // never off the screen.
  static TRect DropDownBounds(const TRect& combo, int listHeight, const TSize& screen);

  void Dispatch(TMessage& message) override;

 protected:
  void PaintFace() override;
  virtual void PaintButton();
  // A new list for the combo, owned by it (made with the combo as owner).
  virtual TSeComboListBox* CreateList();
  bool PaintsOwnContent() const override { return FComboStyle == vcsDropDownList; }
  void Change() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void DoFocusOut() override;
  void DoMouseLeave() override;
  void Loaded() override;
  void WMContextMenu(TMessage& message) override;

 private:
  class TQuietActivation;

  // The ItemIndex writer; tellSame: the pick-only style fires the change notification also
  // when the text shown stays the same (false when the index is only checked again).
  void StoreItemIndex(int value, bool tellSame);
  // value kept within -1 .. count - 1 (-1 for no items; below -1 the first item).
  int ClampedIndex(int value) const;
  // The items changed: the index stays within them, and the pick-only text is the chosen
  // item's.
  void ListItemsChanged();
  void Complete();
  // The list's OnClick (a release over it, or a key that moved its item): the list's item
  // is offered as the choice.
  void ListClick();
  void Wheel(int delta);

  mutable TSeComboListBox* FList = nullptr;  // owned as a component; made on first use
  TSeComboButtonAlign FButtonAlign = cbaRight;
  bool FButtonHot = false;
  bool FButtonPressed = false;
  int FDropDownCount = 8;
  int FItemHeight = 15;
  int FItemIndex = -1;
  TSeComboStyle FComboStyle = vcsDropDown;
  bool FAutoComplete = false;
  String FLastTyped;                         // the text the last completion saw
  bool FCompleting = false;
  TTimer* FTimer = nullptr;                  // owned as a component; 100 ms, off until typing
  bool FSavedReadOnly = false;               // ReadOnly before the pick-only style forced it
  std::unique_ptr<TSeComboWindow> FWindow;   // made on the first drop-down, kept until the end
  bool FDropped = false;                     // the list is in the window and shown
  WPARAM FDropDownNumber = 0;                // see GetDropDownNumber
  std::unique_ptr<TQuietActivation> FQuiet;  // while the list is open
  int FWheelDelta = 0;                       // wheel delta short of a notch
  bool FFollowingItems = false;              // ListItemsChanged is running
};
