// The effect buttons without keyboard focus.
#include "EffBtns.h"

#include <algorithm>

#include "GrUtils.h"
#include "PtInForm.h"
#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysMath.h"

namespace {

const bool EffectButtonsRegistered = [] {
  RegisterClasses({TepEfTrBtn::StaticClassInfo(), TepEfButton::StaticClassInfo(),
                   TepEfRndBtn::StaticClassInfo()});
  return true;
}();

const wchar_t* const BtnKindNames[] = {L"bkEllipse", L"bkRndRect"};

// The light and dark edge of a face of the colour.
TColor LightOf(TColor color) { return ShadeColor(color, EffectEdgeShift); }
TColor DarkOf(TColor color) { return ShadeColor(color, -EffectEdgeShift); }

}  // namespace

const TEnumInfo BtnKindIdents = MakeEnumInfo(BtnKindNames);

// ---- TepEfTrBtn ------------------------------------------------------------------------------------

const TPropertyTable* TepEfTrBtn::PublishedProperties() {
  using P = TPublish<TepEfTrBtn>;
  using C = TepEfTrBtn;
  static const TPropertyTable table{
      P::Integer(L"FrameWidth", &C::GetFrameWidth, &C::SetFrameWidth),
      P::Boolean(L"Noise", &C::GetNoise, &C::SetNoise),
  };
  return &table;
}

TepEfTrBtn::TepEfTrBtn(TComponent* owner) : TButtonGControl(owner) {
  SetBounds(GetLeft(), GetTop(), 75, 25);
  SetTransparent(true);
}

void TepEfTrBtn::SetFrameWidth(int value) {
  FFrameWidth = std::clamp(value, 0, 100);
  Invalidate();
}

void TepEfTrBtn::SetNoise(bool value) {
  FNoise = value;
  Invalidate();
}

void TepEfTrBtn::PaintFace() {
  TCanvas* canvas = GetBitmap()->GetCanvas();
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->GetPen()->SetColor(clBlack);
  TColor top = LightOf(GetColor()), bottom = DarkOf(GetColor());
  if (IsPressedInside()) std::swap(top, bottom);
  DrawFrame3D(canvas, Rect(-1, 0, GetWidth() + 1, GetHeight() + 1), top, bottom, FFrameWidth + 1);
  EffectStep();
  CalcLayout(canvas);
  DrawCaptionText(canvas, CaptionColor());
  DrawButtonGlyph(canvas);
}

void TepEfTrBtn::ApplyEffects() {
  if (GetTransparent()) GetEffectBmp()->MixColor(GetColor());
  GetEffectBmp()->Blur(1);
  if (FNoise) GetEffectBmp()->AddColorNoise(30);
}

// ---- TepEfButton -------------------------------------------------------------------------------------

const TPropertyTable* TepEfButton::PublishedProperties() {
  using P = TPublish<TepEfButton>;
  using C = TepEfButton;
  static const TPropertyTable table{
      P::Integer(L"FrameWidth", &C::GetFrameWidth, &C::SetFrameWidth),
      P::Integer(L"BtnFrameWidth", &C::GetBtnFrameWidth, &C::SetBtnFrameWidth),
      P::Color(L"BtnColor", &C::GetBtnColor, &C::SetBtnColor),
      P::Boolean(L"EfCaption", &C::GetEfCaption, &C::SetEfCaption),
  };
  return &table;
}

TepEfButton::TepEfButton(TComponent* owner) : TButtonGControl(owner) {
  SetBounds(GetLeft(), GetTop(), 65, 25);
  SetActiveTextColor(ColorFromInt(0xFF0000));
}

void TepEfButton::SetFrameWidth(int value) {
  FFrameWidth = std::clamp(value, 0, 50);
  Invalidate();
}

void TepEfButton::SetBtnFrameWidth(int value) {
  FBtnFrameWidth = std::clamp(value, 0, 50);
  Invalidate();
}

void TepEfButton::SetBtnColor(TColor value) {
  FBtnColor = value;
  Invalidate();
}

void TepEfButton::SetEfCaption(bool value) {
  FEfCaption = value;
  Invalidate();
}

void TepEfButton::PaintFace() {
  TCanvas* canvas = GetBitmap()->GetCanvas();
  const int w = GetWidth(), h = GetHeight(), f = FFrameWidth, b = FBtnFrameWidth;
  const bool pressed = IsPressedInside();
  const TColor dark = DarkOf(GetColor()), light = LightOf(GetColor());
  const TColor btnDark = DarkOf(FBtnColor), btnLight = LightOf(FBtnColor);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(FBtnColor);
  canvas->GetPen()->SetColor(FBtnColor);
  if (!GetTransparent()) canvas->FillRect(Rect(0, 0, w, h));
  DrawFrame3D(canvas, Rect(0, 0, w, h), dark, light, f);  // the sunken plate
  if (pressed)
    DrawFrame3D(canvas, Rect(f + 3, f + 3, w - f, h - f - 1), btnLight, btnDark, b - 1);
  else
    DrawFrame3D(canvas, Rect(f + 2, f + 2, w - f - 1, h - f - 1), btnLight, btnDark, b);
  DrawFrame3D(canvas, Rect(f, f, w - f, h - f), clBlack, clBlack, pressed ? 3 : 2);
  if (pressed) {
    canvas->GetPen()->SetColor(clBlack);
    canvas->GetBrush()->SetStyle(bsClear);
    canvas->Rectangle(f + 1, f + 1, w - f - 1, h - f - 1);
  }
  CalcLayout(canvas);
  // The glow: the caption in ActiveTextColor, blurred by the effect step below.
  if (FEfCaption && GetMouseInside()) DrawCaptionText(canvas, GetActiveTextColor());
  EffectStep();
  DrawCaptionText(canvas, FEfCaption ? GetFont()->GetColor() : CaptionColor());
  if (f != 0) {
    DrawFrame3D(canvas, Rect(0, 0, w, h), dark, light, 1);
    DrawFrame3D(canvas, Rect(f, f, w - f, h - f), clBlack, clBlack, 1);
  }
  DrawButtonGlyph(canvas);
}

void TepEfButton::ApplyEffects() { GetEffectBmp()->Blur(1); }

// ---- TepEfRndBtn --------------------------------------------------------------------------------------

const TPropertyTable* TepEfRndBtn::PublishedProperties() {
  using P = TPublish<TepEfRndBtn>;
  using C = TepEfRndBtn;
  static const TPropertyTable table{
      P::Enum(L"BtnKind", BtnKindIdents, &C::GetBtnKind, &C::SetBtnKind),
      P::Integer(L"Radius", &C::GetRadius, &C::SetRadius),
      P::Integer(L"FrameWidth", &C::GetFrameWidth, &C::SetFrameWidth),
      P::Integer(L"ShadowOffset", &C::GetShadowOffset, &C::SetShadowOffset),
      P::Boolean(L"Noise", &C::GetNoise, &C::SetNoise),
  };
  return &table;
}

TepEfRndBtn::TepEfRndBtn(TComponent* owner) : TButtonCControl(owner) {
  SetBounds(GetLeft(), GetTop(), 65, 65);
}

void TepEfRndBtn::SetBtnKind(TBtnKind value) {
  FBtnKind = value;
  UpdateButtonRegion();
  Invalidate();
}

void TepEfRndBtn::SetRadius(int value) {
  FRadius = value;
  UpdateButtonRegion();
  Invalidate();
}

void TepEfRndBtn::SetFrameWidth(int value) {
  FFrameWidth = std::clamp(value, 0, 100);
  Invalidate();
}

void TepEfRndBtn::SetShadowOffset(int value) {
  FShadowOffset = std::clamp(value, 0, 100);
  Invalidate();
}

void TepEfRndBtn::SetNoise(bool value) {
  FNoise = value;
  Invalidate();
}

UniqueRegion TepEfRndBtn::CreateButtonRegion() {
  const int w = GetWidth(), h = GetHeight();
  if (FBtnKind == bkEllipse) return UniqueRegion(::CreateEllipticRgn(1, 1, w, h));
  if (FRadius <= 0) return UniqueRegion();
  return UniqueRegion(::CreateRoundRectRgn(1, 1, w, h, 2 * FRadius, 2 * FRadius));
}

bool TepEfRndBtn::HitTest(int x, int y) {
  const TRect shape = Rect(1, 1, GetWidth(), GetHeight());
  if (FBtnKind == bkEllipse) return PtInEllipse(x, y, shape);
  return PtInRoundRect(x, y, Max(FRadius, 0), shape);
}

void TepEfRndBtn::PaintFace() {
  TCanvas* canvas = GetBitmap()->GetCanvas();
  const int w = GetWidth(), h = GetHeight();
  TColor light = LightOf(GetColor()), dark = DarkOf(GetColor());
  if (IsPressedInside()) std::swap(light, dark);
  canvas->GetBrush()->SetStyle(bsClear);
  if (FBtnKind == bkEllipse) {
    const TRect r = FFrameWidth % 2 ? Rect(1, 2, w, h) : Rect(1, 2, w - 1, h - 1);
    DrawEllipseFrame(canvas, light, dark, FFrameWidth + 1, r);
  } else if (FRadius > 0) {
    DrawRoundRectFrame(canvas, Rect(0, 1, w, h), light, dark, 2 * FRadius, FFrameWidth + 1);
  } else {
    DrawFrame3D(canvas, Rect(0, 1, w + 1, h + 1), light, dark, FFrameWidth + 1);
  }
  CalcLayout(canvas);
  if (FShadowOffset != 0) DrawCaptionText(canvas, clBlack, FShadowOffset, FShadowOffset);
  EffectStep();
  DrawCaptionText(canvas, CaptionColor());
  DrawButtonGlyph(canvas);
}

void TepEfRndBtn::ApplyEffects() {
  GetEffectBmp()->Blur(1);
  if (FNoise) GetEffectBmp()->AddColorNoise(30);
}
