// The calculator keypad: a panel of keys over the calculator engine (CalcEngine.h), in a
// dialog layout (memory keys, OK and Cancel) or a compact popup layout, and the drop-down
// calculator of the number edit (TPopupCalculator) that holds the popup layout.
//
// Not done: the dialog that runs the dialog layout on its own (the program does not use it).
#pragma once
#include "CalcEngine.h"
#include "ToolEdit.h"
#include "classlib/controls/Panels.h"
#include "classlib/stdctrls/StdLabels.h"

enum TCalcPanelLayout { clDialog, clPopup };

// A key of the keypad; its kind (1..28) says what it sends. It takes its parent's font, in
// the colour of its kind.
class TCalcButton : public TRxSpeedButton {
  CLASSLIB_CLASS(TCalcButton, TRxSpeedButton)
  TCalcButton(TComponent* owner, int kind);
  int GetKind() const { return FKind; }
  // clNavy, clPurple, clMaroon or clBtnText by kind.
  TColor KeyColor() const;

 protected:
  void CMParentFontChanged(TMessage& message) override;

 private:
  int FKind;  // 1..10 digits, 11 sign ... 28 Cancel
};

class TCalculatorPanel : public TCustomPanel {
  CLASSLIB_CLASS(TCalculatorPanel, TCustomPanel)
  TCalculatorPanel(TComponent* owner, TCalcPanelLayout layout);

  TCalcEngine& Engine() { return FEngine; }
  TCalcPanelLayout GetLayout() const { return FLayout; }
  // The key that sends character ch (after the keyboard's mapping); nullptr when none.
  TCalcButton* FindKey(wchar_t ch);
  TCalcButton* KeyOfKind(int kind);
  // A typed character: clicks its key as a mouse would, or goes to the engine.
  void CalcKeyPress(wchar_t key);
  // Control-C and control-V.
  void Copy();
  void Paste();
  String GetMemoryText() const;
  TLabel* GetMemoryLabel() const { return FMemoryLabel; }  // nullptr in the popup layout

  // The control whose text mirrors the display text (nullptr: none); not owned, forgotten
  // when it is freed.
  TControl* GetDisplayControl() const { return FDisplayControl; }
  void SetDisplayControl(TControl* value);

  TNotifyEvent OnError, OnOk, OnCancel, OnResult, OnTextChange;
  TNotifyEvent OnDisplayChange;  // a shown value changed the display text
  TKeyPressEvent OnKey;          // may change a key before the engine takes it

 protected:
  // Copies the display text to the display control and fires OnTextChange.
  virtual void DisplayTextChanged();
  void Notification(TComponent* component, TOperation operation) override;
  // Keys and the memory panel follow Ctl3D: new-style keys and a lowered panel with it,
  // old-style keys and a single-border panel without.
  void CMCtl3DChanged(TMessage& message) override;

 private:
  void KeyClick(TCalcButton* key);
  void UpdateMemoryLabel();

  TCalcEngine FEngine;
  TCalcPanelLayout FLayout;
  TLabel* FMemoryLabel = nullptr;  // dialog layout only; owned as a component
  TCustomPanel* FMemoryPanel = nullptr;  // holds the memory label; dialog layout only
  TControl* FDisplayControl = nullptr;   // mirrors the display text; not owned
};

// The popup-layout panel inside the drop-down calculator: takes the mouse but never the focus
// (disabled, its window enabled whatever Enabled says).
class TLocCalculator : public TCalculatorPanel {
  CLASSLIB_CLASS(TLocCalculator, TCalculatorPanel)
  explicit TLocCalculator(TComponent* owner);

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
};

class TPopupCalculator : public TPopupWindow {
  CLASSLIB_CLASS(TPopupCalculator, TPopupWindow)
  explicit TPopupCalculator(TWinControl* owner);

  void GetChosenValue(Variant& value) override;
  void SetStartValue(const Variant& value) override;
  String GetDisplayValueText() override;
  TLocCalculator* GetCalculator() const { return FCalculator; }
  // A key typed in the edit while the drop-down is open.
  void PopupKeyPress(wchar_t key);

 private:
  TLocCalculator* FCalculator = nullptr;  // owned as a component
};

// Passes the precision (at least 2) and the beep flag to a drop-down calculator.
void ConfigureCalculatorPopup(TPopupWindow* popup, int precision, bool beepOnError);
