// TButtonControl, the base of the controls over the system's BUTTON class, and
// TCustomButton / TButton, the push button.
//
// A press of the mouse on a button that has not the focus first gives it the focus with its
// clicks held back (a radio button would otherwise be clicked by the focus alone); only the
// system's BN_CLICKED of the release clicks it.
//
// A push button clicked sets its form's ModalResult to its own and runs OnClick. A Default
// button is clicked by Enter anywhere on its form (unless another button has the focus, which
// then is the one Enter clicks), a Cancel button by Escape, and any button by its
// accelerator. The button that Enter would click draws as the default button.
#pragma once
#include "../controls/Controls.h"
#include "../forms/Forms.h"

class TButtonControl : public TWinControl {
  CLASSLIB_CLASS(TButtonControl, TWinControl)
  explicit TButtonControl(TComponent* owner);

  // The caption breaks into lines where it does not fit (makes the window again).
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  // Whether the button is checked; push buttons are never checked.
  virtual bool GetChecked() const { return false; }
  virtual void SetChecked(bool /*value*/) {}

  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  // True while a change made in code must not click the button.
  bool GetClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool value) { FClicksDisabled = value; }

 private:
  bool FClicksDisabled = false;  // BN_CLICKED is ignored meanwhile
  bool FWordWrap = false;
};

class TCustomButton : public TButtonControl {
  CLASSLIB_CLASS(TCustomButton, TButtonControl)
  // 75 x 25, a tab stop.
  explicit TCustomButton(TComponent* owner);

  // ---- Attributes -----------------------------------------------------------------------
  // Enter on the form clicks a Default button (when no other button has the focus).
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool value);
  // Escape on the form clicks a Cancel button.
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  // What a click sets its form's ModalResult to (mrNone ends no modal loop).
  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  // True when Enter would click this button now (it draws as the default button).
  bool GetActive() const { return FActive; }

  // Sets the form's ModalResult, then OnClick.
  void Click() override;

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // Shows the button as the default button or not.
  virtual void SetButtonStyle(bool isDefault);
  virtual void CNCommand(TMessage& message);
  void CMDialogKey(TMessage& message) override;
  void CMDialogChar(TMessage& message) override;
  void CMFocusChanged(TMessage& message) override;

 private:
  bool FDefault = false;
  bool FCancel = false;
  bool FActive = false;              // Enter clicks this button now
  TModalResult FModalResult = mrNone;
};

class TButton : public TCustomButton {
  CLASSLIB_CLASS(TButton, TCustomButton)
  static const TPropertyTable* PublishedProperties();
  explicit TButton(TComponent* owner) : TCustomButton(owner) {}
};
