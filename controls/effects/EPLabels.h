// TepCustomLabel and TepLabel: a one-line caption with an optional 3-D outline (copies of the
// caption shifted up-left and down-right in their own colours) over an optional gradient or
// half-transparent background; the headings of most windows.
//
// The label paints through the effect scheme of TEffectGControl: the background first (its
// Color, or what lies behind it when Transparent), then the effect step, then the caption.
#pragma once
#include "EffBmp.h"
#include "VCLBase.h"
#include "classlib/controls/Panels.h"

class TPropertyTable;

class TepCustomLabel : public TEffectGControl {
  CLASSLIB_CLASS(TepCustomLabel, TEffectGControl)
  // 65 × 17, 3-D outline in green on both sides, left-justified, no gradient.
  explicit TepCustomLabel(TComponent* owner);

  // ---- Attributes (every write repaints) ------------------------------------------------
  // Draw the outline copies of the caption.
  bool GetText3D() const { return FText3D; }
  void SetText3D(bool value);
  // Draw the copy shifted up-left, in InnerColor.
  bool GetUseInnerColor() const { return FUseInnerColor; }
  void SetUseInnerColor(bool value);
  TColor GetInnerColor() const { return FInnerColor; }
  void SetInnerColor(TColor value);
  // Draw the copy shifted down-right, in OuterColor.
  bool GetUseOuterColor() const { return FUseOuterColor; }
  void SetUseOuterColor(bool value);
  TColor GetOuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  // Paint a gradient of GradColor in the direction GradKind over the background.
  bool GetGradEffect() const { return FGradEffect; }
  void SetGradEffect(bool value);
  TGradKind GetGradKind() const { return FGradKind; }
  void SetGradKind(TGradKind value);
  TColor GetGradColor() const { return FGradColor; }
  void SetGradColor(TColor value);
  // With Transparent: what lies behind shows at half strength under Color (or under the
  // gradient with GradEffect).
  bool GetMiddleTransparent() const { return FMiddleTransparent; }
  void SetMiddleTransparent(bool value);

  // Where the caption goes for a text of textWidth × textHeight on a label of width × height.
  static TPoint CaptionPos(TAlignment alignment, int width, int height, int textWidth,
                           int textHeight);

  void Dispatch(TMessage& message) override;

 protected:
  void PaintFace() override;
  void ApplyEffects() override;

 private:
  // True when the background is averaged with a gradient over Color (Transparent,
  // MiddleTransparent and GradEffect all on).
  bool MixesGradient() const;
  void PaintCaption(TCanvas* canvas);

  bool FText3D = true;
  bool FUseInnerColor = true;
  TColor FInnerColor = ColorFromInt(0x00FF00);  // up-left copy
  bool FUseOuterColor = true;
  TColor FOuterColor = ColorFromInt(0x00FF00);  // down-right copy
  TAlignment FAlignment = taLeftJustify;
  bool FGradEffect = false;
  TGradKind FGradKind = gdRight;
  TColor FGradColor = clBlack;
  bool FMiddleTransparent = false;
};

// The label with its properties published.
class TepLabel : public TepCustomLabel {
  CLASSLIB_CLASS(TepLabel, TepCustomLabel)
  static const TPropertyTable* PublishedProperties();
  explicit TepLabel(TComponent* owner) : TepCustomLabel(owner) {}
};
