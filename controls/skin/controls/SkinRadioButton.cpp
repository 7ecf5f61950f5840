#include "SkinRadioButton.h"

#include "classlib/classes/Properties.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"

const TPropertyTable* TSeCustomRadioButton::PublishedProperties() {
  using P = TPublish<TSeCustomRadioButton>;
  using C = TSeCustomRadioButton;
  static const TPropertyTable table{
      P::WideText(L"Caption", &C::GetCaption, &C::SetCaption).Default(L"RadioButton"),
      P::Enum(L"Alignment", SeLeftRightIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(vtaLeftJustify),
      // GroupIndex comes first so that a layout read excludes within the right group.
      P::Integer(L"GroupIndex", &C::GetGroupIndex, &C::SetGroupIndex).Default(0),
      P::Boolean(L"Checked", &C::GetChecked, &C::SetChecked).Default(false),
      P::Integer(L"Spacing", &C::GetSpacing, &C::SetSpacing).Default(5),
      P::Boolean(L"ItemTabStop", &C::GetItemTabStop, &C::SetItemTabStop).Default(true),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(true),
      P::Enum(L"Performance", SePerformanceIdents, &C::GetPerformance, &C::SetPerformance)
          .Default(vxpDoubleBuffer),
      P::Method(L"OnClick", &C::GetOnClick, &C::SetOnClick),
  };
  return &table;
}

TSeCustomRadioButton::TSeCustomRadioButton(TComponent* owner) : TSeCustomControl(owner) {
  // OnClick is the button's own and fires from SetChecked; the class library's click is not used.
  SetControlStyle(GetControlStyle() - TControlStyle{csClickEvents});
  SetPerformance(vxpDoubleBuffer);
  SetBounds(GetLeft(), GetTop(), 98, 20);
  SetTabStop(false);
  SetTransparent(true);
}

void TSeCustomRadioButton::SetChecked(bool value) {
  if (value == FChecked) return;
  SetTabStop(value);
  FChecked = value;
  const std::weak_ptr<int> alive = GetLifeToken();
  if (value) {
    UncheckSiblings();
    if (!GetComponentState().Contains(csLoading)) DoClick();
  }
  if (!alive.expired()) Invalidate();
}

void TSeCustomRadioButton::UncheckSiblings() {
  TWinControl* parent = GetParent();
  if (!parent) return;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    auto* sibling = dynamic_cast<TSeCustomRadioButton*>(parent->GetControl(i));
    if (sibling && sibling != this && sibling->FGroupIndex == FGroupIndex)
      sibling->SetChecked(false);
  }
}

void TSeCustomRadioButton::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

void TSeCustomRadioButton::SetAlignment(TSeLeftRight value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TSeCustomRadioButton::SetCaption(const String& value) {
  if (value == FCaption) return;
  FCaption = value;
  Invalidate();
}

void TSeCustomRadioButton::DoClick() {
  if (FOnClick && !GetComponentState().Contains(csLoading)) FOnClick(this);
}

void TSeCustomRadioButton::PaintFace() {
  inherited::PaintFace();
  PaintGlyph();
  PaintCaption();
}

void TSeCustomRadioButton::PaintGlyph() {
  RECT r = GlyphButtonRect(GetWidth(), GetHeight(), FAlignment, GetGlyphSize());
  HDC dc = GetCanvas()->GetHandle();
  if (UseThemes()) {
    const int state = (FChecked ? 4 : 0) + (!GetEnabled() ? 4 : GetPressed() ? 3 : GetHot() ? 2 : 1);
    if (TThemeScope(L"Button").DrawBackground(dc, 2 /* BP_RADIOBUTTON */, state, r)) return;
  }
  UINT flags = DFCS_BUTTONRADIO;
  if (FChecked) flags |= DFCS_CHECKED;
  if (!GetEnabled()) flags |= DFCS_INACTIVE;
  ::DrawFrameControl(dc, &r, DFC_BUTTON, flags);
}

void TSeCustomRadioButton::PaintCaption() {
  PaintGlyphButtonCaption(*this, FCaption, FSpacing, FAlignment, FWordWrap, GetFocusedFlag());
}

void TSeCustomRadioButton::DoFocusIn() {
  inherited::DoFocusIn();
  SetChecked(true);
}

void TSeCustomRadioButton::DoFocusOut() {
  FPress.Cancel(*this);
  inherited::DoFocusOut();
}

void TSeCustomRadioButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseDown(button, shift, x, y);
  if (alive.expired() || button != mbLeft) return;
  FPress.MouseDown(*this);
}

void TSeCustomRadioButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  if (button == mbLeft && FPress.MouseUp(*this, x, y) && !FChecked) SetChecked(true);
  if (!alive.expired()) inherited::MouseUp(button, shift, x, y);
}

void TSeCustomRadioButton::KeyDown(WORD& key, TShiftState shift) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyDown(key, shift);
  if (!alive.expired()) FPress.KeyDown(*this, key);
}

void TSeCustomRadioButton::KeyUp(WORD& key, TShiftState) {
  // Key releases are not passed on (OnKeyUp is not raised).
  if (FPress.KeyUp(*this, key) && !FChecked) SetChecked(true);
}

void TSeCustomRadioButton::CMDialogChar(TMessage& message) {
  if (IsAccel(static_cast<WORD>(message.WParam), FCaption) && CanFocus()) {
    SetFocus();
    if (GetFocusedFlag()) SetChecked(true);
    message.Result = 1;
    return;
  }
  inherited::CMDialogChar(message);
}

void TSeCustomRadioButton::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  Invalidate();
}

void TSeCustomRadioButton::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  SetCaption(GetText());
  Invalidate();
}

void TSeCustomRadioButton::CMMouseEnter(TMessage& message) {
  inherited::CMMouseEnter(message);
  Invalidate();
}

void TSeCustomRadioButton::CMMouseLeave(TMessage& message) {
  inherited::CMMouseLeave(message);
  Invalidate();
}
