#include "CheckBoxes.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"

namespace {

const wchar_t* const LeftRightNames[] = {L"taLeftJustify", L"taRightJustify"};
const TEnumInfo LeftRightIdents = MakeEnumInfo(LeftRightNames);
const wchar_t* const CheckBoxStateNames[] = {L"cbUnchecked", L"cbChecked", L"cbGrayed"};
const TEnumInfo CheckBoxStateIdents = MakeEnumInfo(CheckBoxStateNames);

const bool CheckBoxClassesRegistered = [] {
  RegisterClasses({TCheckBox::StaticClassInfo(), TRadioButton::StaticClassInfo()});
  return true;
}();

// The BUTTON style that puts the caption on the given side.
DWORD CaptionSideStyle(TLeftRight alignment, bool rightToLeft) {
  const bool captionLeft = alignment == taLeftJustify;
  return captionLeft != rightToLeft ? BS_LEFTTEXT : 0;
}

}  // namespace

// ---- TCustomCheckBox ------------------------------------------------------------------------------

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
  SetBounds(GetLeft(), GetTop(), 97, 17);
  SetTabStop(true);
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
}

void TCustomCheckBox::SetAlignment(TLeftRight value) {
  if (value == taCenter || value == FAlignment) return;
  FAlignment = value;
  RecreateWnd();
}

void TCustomCheckBox::SetState(TCheckBoxState value) {
  if (value < cbUnchecked || value > cbGrayed || value == FState) return;
  FState = value;
  if (HandleAllocated()) ::SendMessageW(GetHandle(), BM_SETCHECK, static_cast<WPARAM>(FState), 0);
  if (!GetClicksDisabled()) Click();
}

void TCustomCheckBox::SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::Click() {
  const std::weak_ptr<int> alive = GetLifeToken();
  Changed();
  if (!alive.expired()) inherited::Click();
}

void TCustomCheckBox::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, L"BUTTON");
  params.Style |= BS_3STATE | CaptionSideStyle(FAlignment, UseRightToLeftAlignment());
  params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomCheckBox::CreateWnd() {
  inherited::CreateWnd();
  ::SendMessageW(GetHandle(), BM_SETCHECK, static_cast<WPARAM>(FState), 0);
}

void TCustomCheckBox::Dispatch(TMessage& message) {
  if (message.Msg == CN_COMMAND)
    CNCommand(message);
  else
    inherited::Dispatch(message);
}

void TCustomCheckBox::CNCommand(TMessage& message) {
  if (TWMCommand(message).GetNotifyCode() == BN_CLICKED) Toggle();
}

void TCustomCheckBox::CMDialogChar(TMessage& message) {
  if (IsAccel(TWMKey(message).GetCharCode(), GetCaption()) && CanFocus()) {
    SetFocus();
    if (Focused()) Toggle();
    message.Result = 1;
    return;
  }
  inherited::CMDialogChar(message);
}

const TPropertyTable* TCheckBox::PublishedProperties() {
  using P = TPublish<TCheckBox>;
  using C = TCheckBox;
  static const TPropertyTable table{
      P::Enum(L"Alignment", LeftRightIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(taRightJustify),
      P::Boolean(L"AllowGrayed", &C::GetAllowGrayed, &C::SetAllowGrayed).Default(false),
      P::Boolean(L"Checked", &C::GetChecked, &C::SetChecked).Default(false),
      P::Enum(L"State", CheckBoxStateIdents, &C::GetState, &C::SetState).Default(cbUnchecked),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
  };
  return &table;
}

// ---- TRadioButton ---------------------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
  SetBounds(GetLeft(), GetTop(), 113, 17);
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
}

void TRadioButton::SetAlignment(TLeftRight value) {
  if (value == taCenter || value == FAlignment) return;
  FAlignment = value;
  RecreateWnd();
}

void TRadioButton::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  SetTabStop(value);
  if (HandleAllocated()) ::SendMessageW(GetHandle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!value) return;
  // The radio buttons beside it go off.
  if (TWinControl* parent = GetParent()) {
    for (int i = 0; i < parent->GetControlCount(); ++i) {
      auto* sibling = dynamic_cast<TRadioButton*>(parent->GetControl(i));
      if (sibling && sibling != this) sibling->SetChecked(false);
    }
  }
  const std::weak_ptr<int> alive = GetLifeToken();
  Changed();
  if (!alive.expired() && !GetClicksDisabled()) Click();
}

void TRadioButton::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, L"BUTTON");
  params.Style |= BS_RADIOBUTTON | CaptionSideStyle(FAlignment, UseRightToLeftAlignment());
}

void TRadioButton::CreateWnd() {
  inherited::CreateWnd();
  ::SendMessageW(GetHandle(), BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::Dispatch(TMessage& message) {
  if (message.Msg == CN_COMMAND)
    CNCommand(message);
  else
    inherited::Dispatch(message);
}

void TRadioButton::CNCommand(TMessage& message) {
  switch (TWMCommand(message).GetNotifyCode()) {
    case BN_CLICKED: SetChecked(true); break;
    case BN_DOUBLECLICKED: DblClick(); break;
  }
}

void TRadioButton::WMSetFocus(TMessage& message) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::WMSetFocus(message);
  // Some systems' buttons report the click of a focused radio button themselves and some do
  // not; a click reported twice checks once. A press of the mouse holds clicks back here:
  // its release clicks.
  if (!alive.expired() && !FChecked && !GetClicksDisabled() && HandleAllocated())
    Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(GetHandle()));
}

void TRadioButton::CMDialogChar(TMessage& message) {
  if (IsAccel(TWMKey(message).GetCharCode(), GetCaption()) && CanFocus()) {
    SetFocus();
    message.Result = 1;
    return;
  }
  inherited::CMDialogChar(message);
}

const TPropertyTable* TRadioButton::PublishedProperties() {
  using P = TPublish<TRadioButton>;
  using C = TRadioButton;
  static const TPropertyTable table{
      P::Enum(L"Alignment", LeftRightIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(taRightJustify),
      P::Boolean(L"Checked", &C::GetChecked, &C::SetChecked).Default(false),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
  };
  return &table;
}
