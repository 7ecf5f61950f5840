#include "Buttons.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"

namespace {

const bool ButtonClassesRegistered = [] {
  RegisterClass<TButton>();
  return true;
}();

// The outermost parent of control (control itself when it has none).
TWinControl* RootOf(TWinControl* control) {
  for (int depth = 0; depth < 1000 && control->GetParent(); ++depth) control = control->GetParent();
  return control;
}

}  // namespace

// ---- TButtonControl ------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {}

void TButtonControl::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  RecreateWnd();
}

void TButtonControl::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  if (FWordWrap) params.Style |= BS_MULTILINE;
}

void TButtonControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // Focusing must not click (a radio button reports BN_CLICKED when it is focused); the
      // release will.
      if (!FocusBeforePress(FClicksDisabled)) return;
      break;
    case CN_COMMAND:
      if (FClicksDisabled) return;
      break;
  }
  inherited::WndProc(message);
}

// ---- TCustomButton ----------------------------------------------------------------------------------

TCustomButton::TCustomButton(TComponent* owner) : TButtonControl(owner) {
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
  SetBounds(GetLeft(), GetTop(), 75, 25);
  SetTabStop(true);
}

void TCustomButton::SetDefault(bool value) {
  FDefault = value;
  if (!HandleAllocated()) return;
  // The buttons work out again which one Enter clicks.
  if (TCustomForm* form = GetParentForm(this)) {
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->GetActiveControl()));
  } else {
    TWinControl* root = RootOf(this);
    root->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(root->GetFocusedControl()));
  }
}

void TCustomButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  inherited::Click();
}

void TCustomButton::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, L"BUTTON");
  params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TCustomButton::CreateWnd() {
  inherited::CreateWnd();
  FActive = FDefault;
}

void TCustomButton::SetButtonStyle(bool isDefault) {
  if (!HandleAllocated()) return;
  const LONG_PTR style = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if ((::GetWindowLongW(GetHandle(), GWL_STYLE) & 0x0F) != style)
    ::SendMessageW(GetHandle(), BM_SETSTYLE, static_cast<WPARAM>(style), 1);
}

void TCustomButton::Dispatch(TMessage& message) {
  if (message.Msg == CN_COMMAND)
    CNCommand(message);
  else
    inherited::Dispatch(message);
}

void TCustomButton::CNCommand(TMessage& message) {
  if (TWMCommand(message).GetNotifyCode() == BN_CLICKED) Click();
}

void TCustomButton::CMDialogKey(TMessage& message) {
  const TWMKey key(message);
  const WORD code = key.GetCharCode();
  if (((code == VK_RETURN && FActive) || (code == VK_ESCAPE && FCancel)) &&
      KeyDataToShiftState(key.GetKeyData()).Empty() && CanFocus()) {
    Click();
    message.Result = 1;
    return;
  }
  inherited::CMDialogKey(message);
}

void TCustomButton::CMDialogChar(TMessage& message) {
  if (IsAccel(TWMKey(message).GetCharCode(), GetCaption()) && CanFocus()) {
    Click();
    message.Result = 1;
    return;
  }
  inherited::CMDialogChar(message);
}

void TCustomButton::CMFocusChanged(TMessage& message) {
  auto* focused = reinterpret_cast<TWinControl*>(message.LParam);
  if (auto* button = dynamic_cast<TCustomButton*>(focused))
    FActive = button == this;
  else
    FActive = FDefault;
  SetButtonStyle(FActive);
  inherited::CMFocusChanged(message);
}

// ---- TButton ---------------------------------------------------------------------------------------

const TPropertyTable* TButton::PublishedProperties() {
  using P = TPublish<TButton>;
  using C = TButton;
  static const TPropertyTable table{
      P::Boolean(L"Cancel", &C::GetCancel, &C::SetCancel).Default(false),
      P::Boolean(L"Default", &C::GetDefault, &C::SetDefault).Default(false),
      P::Integer(L"ModalResult", &C::GetModalResult, &C::SetModalResult).Default(mrNone),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
  };
  return &table;
}
