#include "fcClearPanel.h"

TfcCustomTransparentPanel::TfcCustomTransparentPanel(TComponent* owner) : TCustomPanel(owner) {
  TControlStyle style = GetControlStyle();
  style.Exclude(csSetCaption);
  style.Exclude(csOpaque);
  SetControlStyle(style);
  SetBevelOuter(bvRaised);
}

void TfcCustomTransparentPanel::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  if (!GetComponentState().Contains(csLoading) && HandleAllocated()) Invalidate();
}

void TfcCustomTransparentPanel::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  if (GetTransparent()) params.ExStyle |= WS_EX_TRANSPARENT;
}

void TfcCustomTransparentPanel::Paint() {
  if (!GetTransparent()) {
    inherited::Paint();
    return;
  }
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  const auto bevel = [&](TPanelBevel cut) {
    if (cut == bvNone) return;
    const TBevelColors colors = BevelColors(cut);
    Frame3D(canvas, r, colors.Top, colors.Bottom, GetBevelWidth());
  };
  bevel(GetBevelOuter());
  if (GetBorderWidth() > 0) Frame3D(canvas, r, GetColor(), GetColor(), GetBorderWidth());
  bevel(GetBevelInner());
}

void TfcCustomTransparentPanel::WMEraseBkgnd(TMessage& message) {
  // Nothing is erased either way: a transparent panel shows its parent, an opaque one
  // fills itself when it paints.
  message.Result = GetTransparent() ? 1 : 0;
}

void TfcCustomTransparentPanel::Invalidate() {
  TWinControl* parent = GetParent();
  if (!GetTransparent() || !parent || !parent->HandleAllocated() ||
      GetComponentState().Contains(csDestroying)) {
    inherited::Invalidate();
    return;
  }
  const RECT bounds = GetBoundsRect();
  ::InvalidateRect(parent->GetHandle(), &bounds, TRUE);
  for (int i = 0; i < GetControlCount(); ++i)
    if (TControl* child = GetControl(i)) child->Invalidate();
}

void TfcCustomTransparentPanel::AlignControls(TControl* control, TRect& rect) {
  inherited::AlignControls(control, rect);
  if (GetTransparent()) Invalidate();
}

void TfcCustomTransparentPanel::Dispatch(TMessage& message) {
  inherited::Dispatch(message);
  if (message.Msg == WM_MOVE && GetTransparent()) Invalidate();
}
