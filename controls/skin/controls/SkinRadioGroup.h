// TSeSkinGroupBox: the owner-drawn group box that paints its frame and caption from the skin
// object SkinObject (children "Frame" and "Caption") of the engine Lumaweave when it has a
// skin; otherwise it draws exactly as its base. Its caption check box is a TSeSkinCheckBox
// with the same engine. Transparent by default.
//
// TSeSkinRadioGroup: a TSeSkinGroupBox holding one TSeSkinGroupButton per line of Items, laid
// out in Columns below the caption, of which ItemIndex is the checked one. The buttons belong
// to the group: they are made and freed as Items changes and never stored in layouts. A button
// becoming checked (by a click, the keys, or setting ItemIndex in code) makes it ItemIndex and
// fires the group's OnClick once.
#pragma once
#include <memory>
#include <vector>

#include "SkinAwareButtons.h"
#include "SkinGroupBox.h"
#include "classlib/classes/StringList.h"

class TSeSkinGroupBox : public TSeCustomGroupBox {
  CLASSLIB_CLASS(TSeSkinGroupBox, TSeCustomGroupBox)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSkinGroupBox(TComponent* owner);

  TSeLumaweave* GetLumaweave() const { return FSkin.Engine(); }
  // Rebuilds the copy and hands the engine to the caption check box.
  void SetLumaweave(TSeLumaweave* value);
  // The name of the skin object; stored only (used at the next engine assignment or change).
  const String& GetSkinObject() const { return FSkin.ObjectName(); }
  void SetSkinObject(const String& value) { FSkin.SetObjectName(value); }
  bool UseSkin() const { return FSkin.UseSkin(*this); }
  TSeSkinObject* GetSkinCopy() const { return FSkin.Copy(); }

  void Dispatch(TMessage& message) override;
  void Loaded() override;

 protected:
  TSeCustomCheckBox* CreateCheckBox() override;
  void PaintFace() override;
  void Notification(TComponent* component, TOperation operation) override;
  // Told after the engine's change (1702) was handled.
  virtual void SkinChanged() {}

 private:
  TSeSkinClient FSkin{L"GroupBox"};
};

class TSeSkinRadioGroup;

// One radio button of a TSeSkinRadioGroup; its keys also go to the group's key events.
class TSeSkinGroupButton : public TSeSkinRadioButton {
  CLASSLIB_CLASS(TSeSkinGroupButton, TSeSkinRadioButton)
  // Made by group (its owner and parent), hidden until the group lays it out.
  explicit TSeSkinGroupButton(TSeSkinRadioGroup* group);
  ~TSeSkinGroupButton() override;

 protected:
  void DoClick() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;

 private:
  friend class TSeSkinRadioGroup;
  TSeSkinRadioGroup* FGroup;  // the group that owns this button
  bool FInClick = false;      // the button's click is running
};

class TSeSkinRadioGroup : public TSeSkinGroupBox {
  CLASSLIB_CLASS(TSeSkinRadioGroup, TSeSkinGroupBox)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSkinRadioGroup(TComponent* owner);
  ~TSeSkinRadioGroup() override;

  // One button per line; owned. SetItems copies value.
  TStrings* GetItems() const { return FItems.get(); }
  void SetItems(TStrings* value);
  // The checked button, -1 for none; clamped to -1..Items.Count-1. While the group is read
  // from a layout the value is kept as given and clamped when the buttons are built.
  int GetItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);
  // Clamped to 1..16.
  int GetColumns() const { return FColumns; }
  void SetColumns(int value);
  int GetButtonCount() const { return static_cast<int>(FButtons.size()); }
  TSeSkinGroupButton* GetButton(int index) const;  // nullptr when out of range
  // Whether the user may change ItemIndex; always.
  bool CanModify() const { return true; }

  // The buttons are the group's own and are not stored.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void ReadState(TReader& reader) override;
  void Loaded() override;
  void Dispatch(TMessage& message) override;

 protected:
  void SkinChanged() override { UpdateButtons(); }
  void CMEnabledChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void WMSize(TMessage& message) override;

 private:
  friend class TSeSkinGroupButton;
  // A button became checked: it becomes ItemIndex, then OnClick.
  void ButtonClick(TObject* sender);
  void ItemsChange(TObject* sender);
  // Makes or frees buttons to match Items, captions them, checks ItemIndex and lays out.
  void UpdateButtons();
  void SetButtonCount(int value);
  // A button whose click is still running is hidden and freed once the queued messages are
  // handled: its own mouse or key handler is still on the stack.
  void FreeButton(TSeSkinGroupButton* button);
  void FreeReleasedButtons();
  void ArrangeButtons();

  std::unique_ptr<TStringList> FItems;
  std::vector<TSeSkinGroupButton*> FButtons;   // owned as components of the group
  std::vector<TSeSkinGroupButton*> FReleased;  // taken off FButtons, freed later
  int FItemIndex = -1;
  int FColumns = 1;
  bool FReading = false;   // being read from a layout
  bool FUpdating = false;  // checking ItemIndex's button in UpdateButtons
};
