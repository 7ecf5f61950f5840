// TCustomCheckBox / TCheckBox and TRadioButton, over the system's BUTTON class.
//
// A check box is unchecked, checked or (with AllowGrayed) grayed; a click moves it to the
// next state (unchecked, grayed, checked), and so does its accelerator. Setting State or
// Checked in code also runs OnClick. A radio button is checked by a click or by taking the
// focus with the arrow keys; checking it unchecks the radio buttons beside it on the same
// parent and runs OnClick.
#pragma once
#include "../controls/Panels.h"
#include "Buttons.h"

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// The side of the box the caption is on: taLeftJustify puts it on the left,
// taRightJustify on the right.
using TLeftRight = TAlignment;

class TCustomCheckBox : public TButtonControl {
  CLASSLIB_CLASS(TCustomCheckBox, TButtonControl)
  // 97 x 17, unchecked, caption on the right, a tab stop.
  explicit TCustomCheckBox(TComponent* owner);

  // ---- Attributes ----------------------------------------------------------------------
  TLeftRight GetAlignment() const { return FAlignment; }
  // taCenter is ignored. Makes the window again.
  void SetAlignment(TLeftRight value);
  bool GetAllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value) { FAllowGrayed = value; }
  TCheckBoxState GetState() const { return FState; }
  // Runs OnClick when the state changes (unless clicks are held back).
  void SetState(TCheckBoxState value);
  bool GetChecked() const override { return FState == cbChecked; }
  void SetChecked(bool value) override;

  // Moves to the next state as a click does.
  virtual void Toggle();
  // Tells the parent of the change (CM_CHANGED), then OnClick.
  void Click() override;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  virtual void CNCommand(TMessage& message);
  void CMDialogChar(TMessage& message) override;

 private:
  TLeftRight FAlignment = taRightJustify;
  bool FAllowGrayed = false;
  TCheckBoxState FState = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
  CLASSLIB_CLASS(TCheckBox, TCustomCheckBox)
  static const TPropertyTable* PublishedProperties();
  explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

class TRadioButton : public TButtonControl {
  CLASSLIB_CLASS(TRadioButton, TButtonControl)
  static const TPropertyTable* PublishedProperties();
  // 113 x 17, unchecked, caption on the right.
  explicit TRadioButton(TComponent* owner);

  TLeftRight GetAlignment() const { return FAlignment; }
  // taCenter is ignored. Makes the window again.
  void SetAlignment(TLeftRight value);
  bool GetChecked() const override { return FChecked; }
  // A checked radio button is a tab stop and unchecks the radio buttons beside it; checking
  // runs OnClick (unless clicks are held back).
  void SetChecked(bool value) override;

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  virtual void CNCommand(TMessage& message);
  // Taking the focus from the keyboard (not from a press of the mouse) checks it.
  void WMSetFocus(TMessage& message) override;
  void CMDialogChar(TMessage& message) override;

 private:
  TLeftRight FAlignment = taRightJustify;
  bool FChecked = false;
};
