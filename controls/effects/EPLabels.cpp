// TepCustomLabel and TepLabel: 3-D captions over gradient or half-transparent backgrounds.
#include "EPLabels.h"

#include "classlib/classes/ClassRegistry.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysMath.h"

namespace {

const bool LabelRegistered = [] {
  RegisterClass<TepLabel>();
  return true;
}();

const wchar_t* const LabelAlignmentNames[] = {L"taLeftJustify", L"taRightJustify", L"taCenter"};
const TEnumInfo LabelAlignmentIdents = MakeEnumInfo(LabelAlignmentNames);

}  // namespace

// ---- TepCustomLabel ----------------------------------------------------------------------------

TepCustomLabel::TepCustomLabel(TComponent* owner) : TEffectGControl(owner) {
  SetBounds(GetLeft(), GetTop(), 65, 17);
}

void TepCustomLabel::SetText3D(bool value) {
  FText3D = value;
  Invalidate();
}

void TepCustomLabel::SetUseInnerColor(bool value) {
  FUseInnerColor = value;
  Invalidate();
}

void TepCustomLabel::SetInnerColor(TColor value) {
  FInnerColor = value;
  Invalidate();
}

void TepCustomLabel::SetUseOuterColor(bool value) {
  FUseOuterColor = value;
  Invalidate();
}

void TepCustomLabel::SetOuterColor(TColor value) {
  FOuterColor = value;
  Invalidate();
}

void TepCustomLabel::SetAlignment(TAlignment value) {
  FAlignment = value;
  Invalidate();
}

void TepCustomLabel::SetGradEffect(bool value) {
  FGradEffect = value;
  Invalidate();
}

void TepCustomLabel::SetGradKind(TGradKind value) {
  FGradKind = value;
  Invalidate();
}

void TepCustomLabel::SetGradColor(TColor value) {
  FGradColor = value;
  Invalidate();
}

void TepCustomLabel::SetMiddleTransparent(bool value) {
  FMiddleTransparent = value;
  Invalidate();
}

void TepCustomLabel::Dispatch(TMessage& message) {
  inherited::Dispatch(message);
  if (message.Msg == CM_TEXTCHANGED) Invalidate();
}

TPoint TepCustomLabel::CaptionPos(TAlignment alignment, int width, int height, int textWidth,
                                  int textHeight) {
  const int y = Div(height, 2) - Div(textHeight, 2);
  switch (alignment) {
    case taRightJustify:
      return Point(width - textWidth - 2, y);
    case taCenter:
      return Point(Div(width, 2) - Div(textWidth, 2), y);
    default:
      return Point(2, y);
  }
}

bool TepCustomLabel::MixesGradient() const {
  return GetTransparent() && FMiddleTransparent && FGradEffect;
}

void TepCustomLabel::PaintFace() {
  const bool effects = FGradEffect || (GetTransparent() && FMiddleTransparent);
  if (effects) EffectStep();
  PaintCaption(GetBitmap()->GetCanvas());
}

void TepCustomLabel::ApplyEffects() {
  if (MixesGradient())
    MixGradientBackground(FGradColor, FGradKind);
  else if (FGradEffect)
    GetEffectBmp()->FillGradient(FGradColor, FGradKind);
  else if (GetTransparent() && FMiddleTransparent)
    GetEffectBmp()->MixColor(GetColor());
}

void TepCustomLabel::PaintCaption(TCanvas* canvas) {
  const String caption = GetCaption();
  if (caption.empty()) return;
  canvas->GetBrush()->SetStyle(bsClear);
  const TPoint at = CaptionPos(FAlignment, GetWidth(), GetHeight(), canvas->TextWidth(caption),
                               canvas->TextHeight(caption));
  const TColor fontColor = GetFont()->GetColor();
  if (FText3D) {
    if (FUseInnerColor) {
      canvas->GetFont()->SetColor(FInnerColor);
      canvas->TextOut(at.X - 1, at.Y - 1, caption);
    }
    if (FUseOuterColor) {
      canvas->GetFont()->SetColor(FOuterColor);
      canvas->TextOut(at.X + 1, at.Y + 1, caption);
    }
  }
  canvas->GetFont()->SetColor(fontColor);
  canvas->TextOut(at.X, at.Y, caption);
}

// ---- TepLabel ------------------------------------------------------------------------------------

const TPropertyTable* TepLabel::PublishedProperties() {
  using P = TPublish<TepLabel>;
  using C = TepLabel;
  static const TPropertyTable table{
      P::Boolean(L"Text3D", &C::GetText3D, &C::SetText3D).Default(true),
      P::Boolean(L"UseInnerColor", &C::GetUseInnerColor, &C::SetUseInnerColor).Default(true),
      P::Color(L"InnerColor", &C::GetInnerColor, &C::SetInnerColor).Default(ColorFromInt(0x00FF00)),
      P::Boolean(L"UseOuterColor", &C::GetUseOuterColor, &C::SetUseOuterColor).Default(true),
      P::Color(L"OuterColor", &C::GetOuterColor, &C::SetOuterColor).Default(ColorFromInt(0x00FF00)),
      P::Enum(L"Alignment", LabelAlignmentIdents, &C::GetAlignment, &C::SetAlignment)
          .Default(taLeftJustify),
      P::Boolean(L"GradEffect", &C::GetGradEffect, &C::SetGradEffect).Default(false),
      P::Enum(L"GradKind", GradKindIdents, &C::GetGradKind, &C::SetGradKind).Default(gdRight),
      P::Color(L"GradColor", &C::GetGradColor, &C::SetGradColor).Default(clBlack),
      P::Boolean(L"MiddleTransparent", &C::GetMiddleTransparent, &C::SetMiddleTransparent)
          .Default(false),
  };
  return &table;
}
