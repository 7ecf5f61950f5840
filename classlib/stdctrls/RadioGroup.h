// TCustomRadioGroup / TRadioGroup: a group box holding one radio button per line of Items,
// laid out in Columns, of which ItemIndex is the checked one.
//
// The buttons belong to the group: they are made and freed as Items changes, captioned from
// it, and never stored in layouts. Checking a button (by a click, the arrow keys or setting
// ItemIndex) makes it ItemIndex and runs OnClick. ItemIndex is clamped to -1..Items.Count-1.
#pragma once
#include <memory>
#include <vector>
#include "../classes/StringList.h"
#include "CheckBoxes.h"
#include "StdPanels.h"

class TCustomRadioGroup;

// Where button index of count goes in a radio group of size group whose font is lineHeight
// pixels high: in columns below the caption, mirrored within clientWidth when rightToLeft.
// Width and height are never negative, however small the group.
TRect RadioGroupButtonBounds(int index, int count, int columns, TSize group, int clientWidth,
                             int lineHeight, bool rightToLeft);
// The line height (tmHeight) of font on the screen.
int ScreenLineHeight(TFont* font);

// A radio button of a radio group. Its keys also go to the group's key events.
class TGroupButton : public TRadioButton {
  CLASSLIB_CLASS(TGroupButton, TRadioButton)
  // Made by group (its owner and parent), hidden until the group lays it out.
  explicit TGroupButton(TCustomRadioGroup* group);
  ~TGroupButton() override;

 protected:
  void CNCommand(TMessage& message) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;

 private:
  friend class TCustomRadioGroup;
  TCustomRadioGroup* FGroup;  // the group that owns this button
  bool FInClick = false;      // a click is being handled (no second one meanwhile)
};

class TCustomRadioGroup : public TCustomGroupBox {
  CLASSLIB_CLASS(TCustomRadioGroup, TCustomGroupBox)
  explicit TCustomRadioGroup(TComponent* owner);
  ~TCustomRadioGroup() override;

  // ---- Attributes ------------------------------------------------------------------------
  // One button per line; owned. SetItems copies value.
  TStrings* GetItems() const { return FItems.get(); }
  void SetItems(TStrings* value);
  // The checked button, -1 for none. Clamped to -1..Items.Count-1; while the group is read
  // from a layout it is kept as given until the buttons exist.
  int GetItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);
  // Clamped to 1..16.
  int GetColumns() const { return FColumns; }
  void SetColumns(int value);
  // The buttons, in Items order; owned by the group.
  int GetButtonCount() const { return static_cast<int>(FButtons.size()); }
  TGroupButton* GetButton(int index) const;  // nullptr when out of range

  // Whether a click may change ItemIndex (a data-aware group refuses while read-only).
  virtual bool CanModify() { return true; }

  // The buttons are the group's own and are not stored.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void ReadState(TReader& reader) override;
  void Loaded() override;
  void Dispatch(TMessage& message) override;

 protected:
  void CMEnabledChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void WMSize(TMessage& message) override;

 private:
  friend class TGroupButton;
  // A button was checked: it becomes ItemIndex, then OnClick.
  void ButtonClick(TObject* sender);
  void ItemsChange(TObject* sender);
  // Makes or frees buttons to match Items, captions them, checks ItemIndex and lays out.
  void UpdateButtons();
  void SetButtonCount(int value);
  // Frees a button no longer needed; one whose click is still running is hidden and freed
  // once the messages queued now are handled.
  void FreeButton(TGroupButton* button);
  // Frees the buttons FreeButton put aside.
  void FreeReleasedButtons();
  // Places the buttons in columns below the caption.
  void ArrangeButtons();

  std::unique_ptr<TStringList> FItems;
  std::vector<TGroupButton*> FButtons;  // owned as components of the group
  std::vector<TGroupButton*> FReleased; // taken off FButtons, to be freed later
  int FItemIndex = -1;
  int FColumns = 1;
  bool FReading = false;   // being read from a layout
  bool FUpdating = false;  // checking ItemIndex's button in UpdateButtons
};

class TRadioGroup : public TCustomRadioGroup {
  CLASSLIB_CLASS(TRadioGroup, TCustomRadioGroup)
  static const TPropertyTable* PublishedProperties();
  explicit TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}
};
