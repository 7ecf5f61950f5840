// The effect buttons without keyboard focus: TepEfTrBtn (a see-through face with a blurred
// 3-D frame; most command buttons of the windows), TepEfButton (a framed button on a sunken
// plate) and TepEfRndBtn (a windowed round or rounded button with a window region of its
// shape).
//
// Mouse, sounds, glyph choice and caption layout are the bases' (VCLBase); each class only
// paints its face and chooses its pixel effects. The light and dark edges are Color shifted
// by +65 and -65 on every channel, a system colour resolved first.
#pragma once
#include "VCLBase.h"

class TPropertyTable;

enum TBtnKind { bkEllipse, bkRndRect };
extern const TEnumInfo BtnKindIdents;  // "bkEllipse", "bkRndRect"

// The edge shift of the effect buttons' frames.
inline constexpr int8_t EffectEdgeShift = 65;

class TepEfTrBtn : public TButtonGControl {
  CLASSLIB_CLASS(TepEfTrBtn, TButtonGControl)
  static const TPropertyTable* PublishedProperties();
  // 75 × 25, transparent, frame of 2.
  explicit TepEfTrBtn(TComponent* owner);

  // Rings of the frame less one, 0..100.
  int GetFrameWidth() const { return FFrameWidth; }
  void SetFrameWidth(int value);
  // Colour noise on every repaint.
  bool GetNoise() const { return FNoise; }
  void SetNoise(bool value);

 protected:
  void PaintFace() override;
  void ApplyEffects() override;

 private:
  int FFrameWidth = 2;  // 0..100
  bool FNoise = false;
};

class TepEfButton : public TButtonGControl {
  CLASSLIB_CLASS(TepEfButton, TButtonGControl)
  static const TPropertyTable* PublishedProperties();
  // 65 × 25, blue caption under the mouse.
  explicit TepEfButton(TComponent* owner);

  // Rings of the sunken plate, 0..50.
  int GetFrameWidth() const { return FFrameWidth; }
  void SetFrameWidth(int value);
  // Rings of the button's own frame, 0..50.
  int GetBtnFrameWidth() const { return FBtnFrameWidth; }
  void SetBtnFrameWidth(int value);
  TColor GetBtnColor() const { return FBtnColor; }
  void SetBtnColor(TColor value);
  // Under the mouse the caption glows in ActiveTextColor (blurred) under a sharp caption.
  bool GetEfCaption() const { return FEfCaption; }
  void SetEfCaption(bool value);

 protected:
  void PaintFace() override;
  void ApplyEffects() override;

 private:
  int FFrameWidth = 2;         // 0..50
  int FBtnFrameWidth = 3;      // 0..50
  TColor FBtnColor = clBtnFace;
  bool FEfCaption = false;
};

class TepEfRndBtn : public TButtonCControl {
  CLASSLIB_CLASS(TepEfRndBtn, TButtonCControl)
  static const TPropertyTable* PublishedProperties();
  // 65 × 65, an ellipse with a frame of 3 and a caption shadow of 2.
  explicit TepEfRndBtn(TComponent* owner);

  // The shape; the window region and the hit test follow it.
  TBtnKind GetBtnKind() const { return FBtnKind; }
  void SetBtnKind(TBtnKind value);
  // Corner radius of bkRndRect; 0 (or less) makes a rectangle without region.
  int GetRadius() const { return FRadius; }
  void SetRadius(int value);
  // Frame pen width less one, 0..100.
  int GetFrameWidth() const { return FFrameWidth; }
  void SetFrameWidth(int value);
  // Offset of the black caption shadow, 0..100 (0: none).
  int GetShadowOffset() const { return FShadowOffset; }
  void SetShadowOffset(int value);
  bool GetNoise() const { return FNoise; }
  void SetNoise(bool value);

  bool HitTest(int x, int y) override;

 protected:
  void PaintFace() override;
  void ApplyEffects() override;
  UniqueRegion CreateButtonRegion() override;

 private:
  TBtnKind FBtnKind = bkEllipse;
  int FRadius = 10;
  int FFrameWidth = 3;    // 0..100
  int FShadowOffset = 2;  // 0..100
  bool FNoise = false;
};
