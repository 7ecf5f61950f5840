#include "SkinCheckBox.h"

#include "classlib/classes/Properties.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/ThemeBinding.h"

namespace {
const wchar_t* const CheckBoxStateNames[] = {L"cbUnchecked", L"cbChecked", L"cbGrayed"};
}

const TEnumInfo SeCheckBoxStateIdents = MakeEnumInfo(CheckBoxStateNames);

const TPropertyTable* TSeCustomCheckBox::PublishedProperties() {
  using P = TPublish<TSeCustomCheckBox>;
  using C = TSeCustomCheckBox;
  static const TPropertyTable table{
      P::WideText(L"Caption", &C::GetCaption, &C::SetCaption).Default(L"CheckBox"),
      P::Boolean(L"AllowGrayed", &C::GetAllowGrayed, &C::SetAllowGrayed).Default(false),
      P::Enum(L"Alignment", SeLeftRightIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(vtaLeftJustify),
      // State carries the value in layouts.
      P::Boolean(L"Checked", &C::GetChecked, &C::SetChecked).Default(false).Stored(false),
      P::Integer(L"Spacing", &C::GetSpacing, &C::SetSpacing).Default(5),
      P::Enum(L"State", SeCheckBoxStateIdents, &C::GetState, &C::SetState).Default(cbUnchecked),
      P::Boolean(L"WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false),
      P::Boolean(L"Transparent", &C::GetTransparent, &C::SetTransparent).Default(true),
      P::Boolean(L"TabStop", &C::GetTabStop, &C::SetTabStop).Default(true),
      P::Enum(L"Performance", SePerformanceIdents, &C::GetPerformance, &C::SetPerformance)
          .Default(vxpDoubleBuffer),
      P::Method(L"OnClick", &C::GetOnClick, &C::SetOnClick),
  };
  return &table;
}

TSeCustomCheckBox::TSeCustomCheckBox(TComponent* owner) : TSeCustomControl(owner) {
  // OnClick is the box's own and fires from SetState; the class library's click is not used.
  SetControlStyle(GetControlStyle() - TControlStyle{csClickEvents});
  SetBounds(GetLeft(), GetTop(), 98, 20);
  SetTabStop(true);
  SetTransparent(true);
  SetPerformance(vxpDoubleBuffer);
}

void TSeCustomCheckBox::SetState(TCheckBoxState value) {
  if (value == FState || value < cbUnchecked || value > cbGrayed) return;
  FState = value;
  const std::weak_ptr<int> alive = GetLifeToken();
  DoClick();
  if (!alive.expired()) Invalidate();
}

void TSeCustomCheckBox::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

void TSeCustomCheckBox::SetAlignment(TSeLeftRight value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TSeCustomCheckBox::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  Invalidate();
}

void TSeCustomCheckBox::SetCaption(const String& value) {
  if (value == FCaption) return;
  FCaption = value;
  Invalidate();
}

void TSeCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TSeCustomCheckBox::DoClick() {
  if (FOnClick && !GetComponentState().Contains(csLoading)) FOnClick(this);
}

void TSeCustomCheckBox::PaintFace() {
  inherited::PaintFace();
  PaintGlyph();
  PaintCaption();
}

void TSeCustomCheckBox::PaintGlyph() {
  RECT r = GlyphButtonRect(GetWidth(), GetHeight(), FAlignment, GetGlyphSize());
  HDC dc = GetCanvas()->GetHandle();
  if (UseThemes()) {
    const int base = FState == cbChecked ? 4 : FState == cbGrayed ? 8 : 0;
    const int state = base + (!GetEnabled() ? 4 : GetPressed() ? 3 : GetHot() ? 2 : 1);
    if (TThemeScope(L"Button").DrawBackground(dc, 3 /* BP_CHECKBOX */, state, r)) return;
  }
  UINT flags = DFCS_BUTTONCHECK;
  if (FState == cbChecked) flags |= DFCS_CHECKED;
  if (FState == cbGrayed) flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
  if (!GetEnabled()) flags |= DFCS_INACTIVE;
  ::DrawFrameControl(dc, &r, DFC_BUTTON, flags);
}

void TSeCustomCheckBox::PaintCaption() {
  PaintGlyphButtonCaption(*this, FCaption, FSpacing, FAlignment, FWordWrap, GetFocusedFlag());
}

void TSeCustomCheckBox::DoFocusOut() {
  FPress.Cancel(*this);
  inherited::DoFocusOut();
}

void TSeCustomCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::MouseDown(button, shift, x, y);
  if (alive.expired() || button != mbLeft) return;
  FPress.MouseDown(*this);
}

void TSeCustomCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const std::weak_ptr<int> alive = GetLifeToken();
  if (button == mbLeft && FPress.MouseUp(*this, x, y)) Toggle();
  if (!alive.expired()) inherited::MouseUp(button, shift, x, y);
}

void TSeCustomCheckBox::KeyDown(WORD& key, TShiftState shift) {
  const std::weak_ptr<int> alive = GetLifeToken();
  inherited::KeyDown(key, shift);
  if (!alive.expired()) FPress.KeyDown(*this, key);
}

void TSeCustomCheckBox::KeyUp(WORD& key, TShiftState) {
  // Key releases are not passed on (OnKeyUp is not raised).
  if (FPress.KeyUp(*this, key)) Toggle();
}

void TSeCustomCheckBox::CMDialogChar(TMessage& message) {
  if (IsAccel(static_cast<WORD>(message.WParam), FCaption) && CanFocus()) {
    SetFocus();
    if (GetFocusedFlag()) Toggle();
    message.Result = 1;
    return;
  }
  inherited::CMDialogChar(message);
}

void TSeCustomCheckBox::CMEnabledChanged(TMessage& message) {
  inherited::CMEnabledChanged(message);
  Invalidate();
}

void TSeCustomCheckBox::CMTextChanged(TMessage& message) {
  inherited::CMTextChanged(message);
  SetCaption(GetText());
  Invalidate();
}

void TSeCustomCheckBox::CMSysColorChange(TMessage& message) {
  inherited::CMSysColorChange(message);
  Invalidate();
}

void TSeCustomCheckBox::CMMouseEnter(TMessage& message) {
  inherited::CMMouseEnter(message);
  Invalidate();
}

void TSeCustomCheckBox::CMMouseLeave(TMessage& message) {
  inherited::CMMouseLeave(message);
  Invalidate();
}
