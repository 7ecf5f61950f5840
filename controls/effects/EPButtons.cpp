// The focusable effect buttons.
#include "EPButtons.h"

#include <algorithm>

#include "GrUtils.h"
#include "PtInForm.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysMath.h"

namespace {

const bool FocusButtonsRegistered = [] {
  RegisterClasses({TepTransparentBtn::StaticClassInfo(), TepFocusButton::StaticClassInfo()});
  return true;
}();

// A rectangle outline with an inverting pen: drawing it twice leaves nothing.
void InvertOutline(TCanvas* canvas, const TRect& r, int cornerSize) {
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->GetPen()->SetWidth(1);
  canvas->GetPen()->SetMode(pmNot);
  if (cornerSize > 0)
    canvas->RoundRect(r.Left, r.Top, r.Right, r.Bottom, cornerSize, cornerSize);
  else
    canvas->Rectangle(r);
  canvas->GetPen()->SetMode(pmCopy);
}

TRect Shrink(const TRect& r, int left, int top, int right, int bottom) {
  TRect s(r.Left + left, r.Top + top, r.Right - right, r.Bottom - bottom);
  if (s.Right < s.Left) s.Right = s.Left;
  if (s.Bottom < s.Top) s.Bottom = s.Top;
  return s;
}

}  // namespace

TRoundFocusMark RoundFocusMark(const TRect& mark, int radius) {
  return {Shrink(mark, 1, 1, 2, 2), Max(2 * radius - 5, 0)};
}

// ---- TepTransparentBtn ---------------------------------------------------------------------------

const TPropertyTable* TepTransparentBtn::PublishedProperties() {
  using P = TPublish<TepTransparentBtn>;
  using C = TepTransparentBtn;
  static const TPropertyTable table{
      P::Boolean(L"Frame", &C::GetFrame, &C::SetFrame).Default(true),
      P::Boolean(L"FrameRnd", &C::GetFrameRnd, &C::SetFrameRnd).Default(false),
      P::Integer(L"Radius", &C::GetRadius, &C::SetRadius).Default(5),
      P::Color(L"FrameColor", &C::GetFrameColor, &C::SetFrameColor).Default(clBlack),
      P::Boolean(L"Frame3D", &C::GetFrame3D, &C::SetFrame3D).Default(false),
      P::Color(L"FrameInnerColor", &C::GetFrameInnerColor, &C::SetFrameInnerColor)
          .Default(clBtnHighlight),
      P::Color(L"FrameOuterColor", &C::GetFrameOuterColor, &C::SetFrameOuterColor)
          .Default(clBtnShadow),
      P::Boolean(L"MiddleTransparent", &C::GetMiddleTransparent, &C::SetMiddleTransparent)
          .Default(false),
      P::Boolean(L"ShowFocus", &C::GetShowFocus, &C::SetShowFocus).Default(true),
  };
  return &table;
}

TepTransparentBtn::TepTransparentBtn(TComponent* owner) : TButtonCControl(owner) {
  SetBounds(GetLeft(), GetTop(), 75, 25);
  SetFocusable();
}

void TepTransparentBtn::SetFrame(bool value) {
  FFrame = value;
  if (!value && FFrameRnd) {
    FFrameRnd = false;
    UpdateButtonRegion();
  }
  Invalidate();
}

void TepTransparentBtn::SetFrameRnd(bool value) {
  FFrameRnd = value;
  UpdateButtonRegion();
  Invalidate();
}

void TepTransparentBtn::SetRadius(int value) {
  FRadius = std::clamp(value, 1, 255);
  UpdateButtonRegion();
  Invalidate();
}

void TepTransparentBtn::SetFrameColor(TColor value) {
  FFrameColor = value;
  Invalidate();
}

void TepTransparentBtn::SetFrame3D(bool value) {
  FFrame3D = value;
  Invalidate();
}

void TepTransparentBtn::SetFrameInnerColor(TColor value) {
  FFrameInnerColor = value;
  Invalidate();
}

void TepTransparentBtn::SetFrameOuterColor(TColor value) {
  FFrameOuterColor = value;
  Invalidate();
}

void TepTransparentBtn::SetMiddleTransparent(bool value) {
  FMiddleTransparent = value;
  Invalidate();
}

void TepTransparentBtn::SetShowFocus(bool value) {
  FShowFocus = value;
  Invalidate();
}

UniqueRegion TepTransparentBtn::CreateButtonRegion() {
  if (!FFrameRnd) return UniqueRegion();
  return UniqueRegion(
      ::CreateRoundRectRgn(0, 0, GetWidth(), GetHeight(), 2 * FRadius, 2 * FRadius));
}

bool TepTransparentBtn::HitTest(int x, int y) {
  const TRect inner = Rect(1, 1, GetWidth() - 1, GetHeight() - 1);
  if (FFrameRnd) return PtInRoundRect(x, y, Div(GetHeight(), 2) - 1, inner);
  return PtInRect(inner, Point(x, y));
}

void TepTransparentBtn::FocusChanged() {
  if (FShowFocus && !GetPressed()) Invalidate();
}

void TepTransparentBtn::PaintFace() {
  TCanvas* canvas = GetBitmap()->GetCanvas();
  if (GetTransparent() && FMiddleTransparent) EffectStep();
  CalcLayout(canvas, FFrame3D && FFrameInnerColor != FFrameOuterColor);
  if (FFrame) PaintFrame(canvas);
  if (GetHasFocus() && FShowFocus) PaintFocusMark(canvas);
  DrawCaptionCentred(canvas);
  DrawButtonGlyph(canvas);
}

void TepTransparentBtn::ApplyEffects() { GetEffectBmp()->MixColor(GetColor()); }

void TepTransparentBtn::PaintFrame(TCanvas* canvas) {
  const int w = GetWidth(), h = GetHeight();
  const int corner = 2 * FRadius;
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->GetPen()->SetWidth(1);
  if (!GetMouseInside()) {
    const TColor color = GetEnabled() ? FFrameColor : FFrameOuterColor;
    const TRect r = FFrame3D ? Rect(1, 1, w - 1, h - 1) : Rect(2, 2, w - 2, h - 2);
    if (FFrameRnd) {
      DrawRoundRectFrame(canvas, r, color, color, corner, 1);
    } else {
      canvas->GetPen()->SetColor(color);
      canvas->Rectangle(FFrame3D ? Rect(0, 0, w, h) : Rect(1, 1, w - 1, h - 1));
    }
    return;
  }
  if (!FFrame3D) {
    if (FFrameRnd) {
      DrawRoundRectFrame(canvas, Rect(1, 1, w - 1, h - 1), FFrameColor, FFrameColor, corner, 1);
    } else {
      canvas->GetPen()->SetColor(FFrameColor);
      canvas->Rectangle(Rect(0, 0, w, h));
    }
    return;
  }
  TColor light = FFrameInnerColor, dark = FFrameOuterColor;
  if (GetPressed()) std::swap(light, dark);
  if (FFrameRnd)
    DrawRoundRectFrame(canvas, Rect(1, 1, w - 1, h - 1), light, dark, corner, 1);
  else
    DrawFrame3D(canvas, GetClientRect(), light, dark, 1);
}

void TepTransparentBtn::PaintFocusMark(TCanvas* canvas) {
  const TRect caption = GetCaptionRect();
  const TRect mark = FFrame ? Rect(4, 4, GetWidth() - 4, GetHeight() - 4)
                            : Rect(caption.Left - 2, caption.Top - 2, caption.Right + 2,
                                   caption.Bottom + 2);
  if (FFrameRnd) {
    const TRoundFocusMark round = RoundFocusMark(mark, FRadius);
    InvertOutline(canvas, round.Rect, round.CornerSize);
  } else if (GetTransparent()) {
    InvertOutline(canvas, Shrink(mark, 1, 1, 1, 1), 0);
  } else {
    canvas->DrawFocusRect(mark);
  }
}

// ---- TepFocusButton --------------------------------------------------------------------------------

const TPropertyTable* TepFocusButton::PublishedProperties() {
  using P = TPublish<TepFocusButton>;
  using C = TepFocusButton;
  static const TPropertyTable table{
      P::Integer(L"FrameWidth", &C::GetFrameWidth, &C::SetFrameWidth).Default(1),
      P::Color(L"InnerColor", &C::GetInnerColor, &C::SetInnerColor).Default(clBtnHighlight),
      P::Color(L"OuterColor", &C::GetOuterColor, &C::SetOuterColor).Default(clBtnShadow),
      P::Boolean(L"GradEffect", &C::GetGradEffect, &C::SetGradEffect).Default(false),
      P::Enum(L"GradKind", GradKindIdents, &C::GetGradKind, &C::SetGradKind).Default(gdRight),
      P::Color(L"GradColor", &C::GetGradColor, &C::SetGradColor).Default(clBlack),
      P::Color(L"ActiveGradColor", &C::GetActiveGradColor, &C::SetActiveGradColor)
          .Default(clBlack),
      P::Boolean(L"MiddleTransparent", &C::GetMiddleTransparent, &C::SetMiddleTransparent)
          .Default(false),
      P::Boolean(L"ShowFocus", &C::GetShowFocus, &C::SetShowFocus).Default(true),
  };
  return &table;
}

TepFocusButton::TepFocusButton(TComponent* owner) : TButtonCControl(owner) {
  SetBounds(GetLeft(), GetTop(), 75, 25);
  SetFocusable();
}

void TepFocusButton::SetFrameWidth(int value) {
  FFrameWidth = std::clamp(value, 0, 50);
  Invalidate();
}

void TepFocusButton::SetInnerColor(TColor value) {
  FInnerColor = value;
  Invalidate();
}

void TepFocusButton::SetOuterColor(TColor value) {
  FOuterColor = value;
  Invalidate();
}

void TepFocusButton::SetGradEffect(bool value) {
  FGradEffect = value;
  Invalidate();
}

void TepFocusButton::SetGradKind(TGradKind value) {
  FGradKind = value;
  Invalidate();
}

void TepFocusButton::SetGradColor(TColor value) {
  FGradColor = value;
  Invalidate();
}

void TepFocusButton::SetActiveGradColor(TColor value) {
  FActiveGradColor = value;
  Invalidate();
}

void TepFocusButton::SetMiddleTransparent(bool value) {
  FMiddleTransparent = value;
  Invalidate();
}

void TepFocusButton::SetShowFocus(bool value) {
  FShowFocus = value;
  Invalidate();
}

void TepFocusButton::FocusChanged() {
  if (FShowFocus) Invalidate();
}

TColor TepFocusButton::CurrentGradColor() const {
  return GetMouseInside() ? FActiveGradColor : FGradColor;
}

void TepFocusButton::PaintFace() {
  TCanvas* canvas = GetBitmap()->GetCanvas();
  if (FGradEffect || (GetTransparent() && FMiddleTransparent)) EffectStep();
  TColor top = FInnerColor, bottom = FOuterColor;
  if (IsPressedInside()) std::swap(top, bottom);
  TRect client = GetClientRect();
  DrawFrame3D(canvas, client, top, bottom, FFrameWidth);
  if (GetHasFocus() && FShowFocus) {
    const TRect mark = Shrink(GetClientRect(), FFrameWidth + 2, FFrameWidth + 2, FFrameWidth + 2,
                              FFrameWidth + 2);
    if (!GetTransparent() && !FGradEffect)
      canvas->DrawFocusRect(mark);
    else
      InvertOutline(canvas, mark, 0);
  }
  CalcLayout(canvas, FFrameWidth > 0);
  DrawCaptionCentred(canvas);
  DrawButtonGlyph(canvas);
}

void TepFocusButton::ApplyEffects() {
  const bool middle = GetTransparent() && FMiddleTransparent;
  if (middle && FGradEffect)
    MixGradientBackground(CurrentGradColor(), FGradKind);
  else if (FGradEffect)
    GetEffectBmp()->FillGradient(CurrentGradColor(), FGradKind);
  else if (middle)
    GetEffectBmp()->MixColor(GetColor());
}
