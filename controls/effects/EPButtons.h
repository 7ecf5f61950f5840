// The focusable effect buttons: TepTransparentBtn (a thin flat or 3-D frame, optionally
// rounded with a window region of its shape, over a see-through face) and TepFocusButton
// (a 3-D frame over a face that can carry a colour gradient). Both are tab stops with a
// focus mark, and click on Space, Enter and their accelerator (TButtonCControl's keyboard).
#pragma once
#include "EffBmp.h"
#include "VCLBase.h"

class TPropertyTable;

// The rectangle of a focus mark drawn with corners of cornerSize: mark shrunk by 1 at the
// top-left and by 2 at the bottom-right, never turned inside out, and the corner size never
// below 0. For the rounded mark of TepTransparentBtn.
struct TRoundFocusMark {
  TRect Rect;
  int CornerSize;
};
TRoundFocusMark RoundFocusMark(const TRect& mark, int radius);

class TepTransparentBtn : public TButtonCControl {
  CLASSLIB_CLASS(TepTransparentBtn, TButtonCControl)
  static const TPropertyTable* PublishedProperties();
  // 75 × 25, a black flat frame, radius 5, showing its focus.
  explicit TepTransparentBtn(TComponent* owner);

  // ---- Attributes (writes repaint) -----------------------------------------------------------
  // Draw the frame; False also turns FrameRnd off.
  bool GetFrame() const { return FFrame; }
  void SetFrame(bool value);
  // Rounded frame and a window region of its shape.
  bool GetFrameRnd() const { return FFrameRnd; }
  void SetFrameRnd(bool value);
  // Corner radius, 1..255.
  int GetRadius() const { return FRadius; }
  void SetRadius(int value);
  TColor GetFrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor value);
  // Raised under the mouse and sunken while pressed, in the two colours below.
  bool GetFrame3D() const { return FFrame3D; }
  void SetFrame3D(bool value);
  TColor GetFrameInnerColor() const { return FFrameInnerColor; }
  void SetFrameInnerColor(TColor value);
  TColor GetFrameOuterColor() const { return FFrameOuterColor; }
  void SetFrameOuterColor(TColor value);
  // With Transparent: what lies behind shows at half strength under Color.
  bool GetMiddleTransparent() const { return FMiddleTransparent; }
  void SetMiddleTransparent(bool value);
  bool GetShowFocus() const { return FShowFocus; }
  void SetShowFocus(bool value);

  bool HitTest(int x, int y) override;

 protected:
  void PaintFace() override;
  void ApplyEffects() override;
  UniqueRegion CreateButtonRegion() override;
  void FocusChanged() override;

 private:
  void PaintFrame(TCanvas* canvas);
  void PaintFocusMark(TCanvas* canvas);

  bool FFrame = true;
  bool FFrameRnd = false;
  int FRadius = 5;                          // 1..255
  TColor FFrameColor = clBlack;             // the flat frame
  bool FFrame3D = false;
  TColor FFrameInnerColor = clBtnHighlight; // light edge of the 3-D frame
  TColor FFrameOuterColor = clBtnShadow;    // dark edge; the flat frame when disabled
  bool FMiddleTransparent = false;
  bool FShowFocus = true;
};

class TepFocusButton : public TButtonCControl {
  CLASSLIB_CLASS(TepFocusButton, TButtonCControl)
  static const TPropertyTable* PublishedProperties();
  // 75 × 25, a frame of 1, showing its focus.
  explicit TepFocusButton(TComponent* owner);

  // ---- Attributes (writes repaint) -----------------------------------------------------------
  // Rings of the 3-D frame, 0..50.
  int GetFrameWidth() const { return FFrameWidth; }
  void SetFrameWidth(int value);
  TColor GetInnerColor() const { return FInnerColor; }
  void SetInnerColor(TColor value);
  TColor GetOuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor value);
  // A gradient of GradColor (ActiveGradColor under the mouse) in the direction GradKind.
  bool GetGradEffect() const { return FGradEffect; }
  void SetGradEffect(bool value);
  TGradKind GetGradKind() const { return FGradKind; }
  void SetGradKind(TGradKind value);
  TColor GetGradColor() const { return FGradColor; }
  void SetGradColor(TColor value);
  TColor GetActiveGradColor() const { return FActiveGradColor; }
  void SetActiveGradColor(TColor value);
  // With Transparent: what lies behind shows at half strength under Color (or under the
  // gradient with GradEffect).
  bool GetMiddleTransparent() const { return FMiddleTransparent; }
  void SetMiddleTransparent(bool value);
  bool GetShowFocus() const { return FShowFocus; }
  void SetShowFocus(bool value);

 protected:
  void PaintFace() override;
  void ApplyEffects() override;
  void FocusChanged() override;

 private:
  TColor CurrentGradColor() const;

  int FFrameWidth = 1;               // 0..50
  TColor FInnerColor = clBtnHighlight;
  TColor FOuterColor = clBtnShadow;
  bool FGradEffect = false;
  TGradKind FGradKind = gdRight;
  TColor FGradColor = clBlack;
  TColor FActiveGradColor = clBlack;
  bool FMiddleTransparent = false;
  bool FShowFocus = true;
};
