// VCLBase: the painting scheme of every effect control and the behaviour of every effect
// button.
//
// An effect control never paints straight onto the screen. Paint makes an off-screen bitmap
// one pixel larger than the control, fills it with Color (or, when Transparent, with what
// lies behind the control), lets the class paint its face there (PaintFace), and copies the
// bitmap to the control's canvas in one step. A face painter that wants pixel effects calls
// EffectStep: the off-screen bitmap is copied into a TEffectBmp, ApplyEffects works on it,
// and it is drawn back.
//
// The scheme exists twice, windowless (TEffectGControl, over TGraphicControl) and windowed
// (TEffectCControl, over TCustomControl), and so do the buttons built on it
// (TButtonGControl, TButtonCControl). The shared code lives in the two class templates
// TEffectControlBase and TButtonControlBase, instantiated once for each side; they add no
// class of their own to the class chain that layouts and class tests see.
//
// A button has two flags: the mouse is inside, and it was pressed on the button. A left
// press where HitTest answers true sets both; the release clicks (click sound, OnClick or
// the action) only when the press started on the button and the mouse is still inside it.
#pragma once
#include <memory>
#include "EffBmp.h"
#include "classlib/controls/Controls.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/stdctrls/ButtonGlyphs.h"
#include "wavctrl.h"

class TPropertyTable;

// The glyph and caption placement of the effect buttons; the values are TButtonLayout's
// (blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom).
using TLayout = TButtonLayout;
extern const TEnumInfo EffectLayoutIdents;  // "blGlyphLeft" ... "blGlyphBottom"

// ---- Pure rules of the buttons -----------------------------------------------------------------

// Where an effect button puts its glyph and caption.
struct TEffectButtonLayout {
  TPoint Glyph;    // top-left corner of the glyph
  TPoint Caption;  // top-left corner of the caption
};
// The layout routine: a glyph of glyphSize and a caption of textSize on client, by layout,
// margin (-1: the pair is centred) and spacing; the other coordinate of each is centred.
// Halves divide towards zero.
TEffectButtonLayout CalcEffectLayout(const TRect& client, TSize glyphSize, TSize textSize,
                                     TLayout layout, int margin, int spacing);

// The glyph of the strip a button shows (1 = the first): 3 when the mouse is inside and the
// button pressed and there are more than 3; else 2 when inside and there are more than 2;
// else the last when disabled; else 1.
int ChooseEffectGlyph(int numGlyphs, bool mouseInside, bool pressed, bool enabled);

// ---- The painting scheme -----------------------------------------------------------------------

// Shared by TEffectGControl (Base = TGraphicControl) and TEffectCControl (Base = TCustomControl).
template <class Base>
class TEffectControlBase : public Base {
 public:
  explicit TEffectControlBase(TComponent* owner);
  ~TEffectControlBase() override;

  // False: the control is opaque and fills itself with Color. True: it first draws what lies
  // behind it (the parent's Color, the parent's own drawing and the windowless siblings
  // below it).
  bool GetTransparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);

 protected:
  // Paints the control: off-screen bitmap, background, PaintFace, one copy to the canvas.
  void Paint() override;
  // Draws the face on GetBitmap()'s canvas; nothing in the base.
  virtual void PaintFace() {}
  // Works on GetEffectBmp() during EffectStep; nothing in the base.
  virtual void ApplyEffects() {}
  // Runs the pixel effects over the off-screen bitmap: copies it into an effect buffer,
  // calls ApplyEffects and draws the buffer back at (0, 0). Only while painting.
  void EffectStep();
  // For ApplyEffects: averages the effect buffer with a bitmap of the control's size filled
  // with Color and given the gradient of gradColor in the direction kind, enlarged to the
  // off-screen size (the added column and row take Color).
  void MixGradientBackground(TColor gradColor, TGradKind kind);

  // The off-screen bitmap, (Width + 1) × (Height + 1), with the control's font on its
  // canvas; alive only during Paint (nullptr otherwise). Owned by the control.
  TBitmap* GetBitmap() const { return FBitmap.get(); }
  // The effect buffer; alive only during EffectStep (nullptr otherwise). Owned by the control.
  TEffectBmp* GetEffectBmp() const { return FEffectBmp.get(); }

 private:
  // Fills the off-screen bitmap with Color, or with the background when Transparent.
  void PaintBackground();

  bool FTransparent = false;                // draw what lies behind before the face
  std::unique_ptr<TBitmap> FBitmap;         // the off-screen bitmap, during Paint
  std::unique_ptr<TEffectBmp> FEffectBmp;   // the effect buffer, during EffectStep
};

extern template class TEffectControlBase<TGraphicControl>;
extern template class TEffectControlBase<TCustomControl>;

// The windowless effect control. Transparent also takes the opaque control style away (and
// False gives it back). A repaint asked while transparent invalidates only the control's own
// rectangle, without erasing the parent beneath it.
class TEffectGControl : public TEffectControlBase<TGraphicControl> {
  CLASSLIB_CLASS(TEffectGControl, TEffectControlBase<TGraphicControl>)
  static const TPropertyTable* PublishedProperties();
  explicit TEffectGControl(TComponent* owner);

  void SetTransparent(bool value) override;
  void Invalidate() override;
};

// The windowed effect control: it ignores the background-erase message (the face covers
// everything, so erasing would only flicker), and a transparent one repaints when it is
// moved, as its background changed.
class TEffectCControl : public TEffectControlBase<TCustomControl> {
  CLASSLIB_CLASS(TEffectCControl, TEffectControlBase<TCustomControl>)
  static const TPropertyTable* PublishedProperties();
  explicit TEffectCControl(TComponent* owner);

  void Dispatch(TMessage& message) override;
};

// ---- The buttons -------------------------------------------------------------------------------

// Shared by TButtonGControl (Base = TEffectGControl) and TButtonCControl (Base =
// TEffectCControl).
template <class Base>
class TButtonControlBase : public Base {
 public:
  explicit TButtonControlBase(TComponent* owner);
  ~TButtonControlBase() override;

  // ---- Published attributes ------------------------------------------------------------------
  // Played on a click / when the mouse enters; not owned (the references are cleared when
  // the players go).
  TepWavePlayer* GetClickSound() const { return FClickSound; }
  void SetClickSound(TepWavePlayer* value);
  TepWavePlayer* GetActiveSound() const { return FActiveSound; }
  void SetActiveSound(TepWavePlayer* value);
  // The glyph strip; owned. SetGlyph copies value.
  TBitmap* GetGlyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* value);
  // The number of glyphs in the strip, 1..4 (other values are brought into that range).
  int GetNumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int value);
  // The caption colour while the mouse is inside.
  TColor GetActiveTextColor() const { return FActiveTextColor; }
  void SetActiveTextColor(TColor value);
  // Pixels between glyph and caption; repaints only on a change.
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int value);
  // Pixels between the edge and the glyph, -1 for a centred pair; values below -1 are
  // ignored; repaints only on a change.
  int GetMargin() const { return FMargin; }
  void SetMargin(int value);
  TLayout GetLayout() const { return FLayout; }
  void SetLayout(TLayout value);

  // ---- State ----------------------------------------------------------------------------------
  bool GetMouseInside() const { return FMouseInside; }
  bool GetPressed() const { return FPressed; }
  // Where the last layout put the caption and the glyph.
  TPoint GetCaptionPos() const { return FCaptionPos; }
  TPoint GetGlyphPos() const { return FGlyphPos; }

  // True when a press at (x, y) presses the button: 1 <= x < Width and 1 <= y < Height.
  virtual bool HitTest(int x, int y);

  void Dispatch(TMessage& message) override;

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void ActionChange(TObject* sender, bool checkDefaults) override;
  void Notification(TComponent* component, TOperation operation) override;

  // For the face painters: runs the layout routine over the client rectangle with the
  // caption measured on canvas (the off-screen bitmap's) and the size of one glyph, and
  // stores the positions. With pressedOffset, both move by (1, 1) while the button is
  // pressed with the mouse inside.
  void CalcLayout(TCanvas* canvas, bool pressedOffset = true);
  // The caption's rectangle of the last layout (its position and measured size).
  TRect GetCaptionRect() const;
  // True while pressed with the mouse inside: the sunken look.
  bool IsPressedInside() const { return FPressed && FMouseInside; }
  // ActiveTextColor while the mouse is inside, else the font's colour.
  TColor CaptionColor() const;
  // Writes the caption at the caption position moved by (dx, dy), in color, over a clear
  // brush.
  void DrawCaptionText(TCanvas* canvas, TColor color, int dx = 0, int dy = 0);
  // The caption centred in the caption rectangle with DrawText, in the caption colour.
  void DrawCaptionCentred(TCanvas* canvas);
  // The click of the button from the keyboard: the click sound, then
  // Click (OnClick or the action). Nothing after the button was freed by the sound.
  void ButtonClick();
  // Sets the two flags (the keyboard presses a windowed button this way).
  void SetButtonState(bool mouseInside, bool pressed);
  // Draws the glyph ChooseEffectGlyph picks at the glyph position, its bottom-left pixel
  // colour transparent; nothing for an empty glyph.
  void DrawButtonGlyph(TCanvas* canvas);
  // The size of one glyph of the strip (0 × 0 when empty).
  TSize GlyphSize() const;

 private:
  void GlyphChanged(TObject* sender);

  TPoint FCaptionPos;                     // caption position of the last layout
  TPoint FGlyphPos;                       // glyph position of the last layout
  TSize FCaptionSize;                     // caption size measured by the last layout
  TepWavePlayer* FClickSound = nullptr;   // played on a click; not owned
  TepWavePlayer* FActiveSound = nullptr;  // played when the mouse enters; not owned
  std::unique_ptr<TBitmap> FGlyph;        // the glyph strip; owned
  int FNumGlyphs = 1;                     // glyphs in the strip, 1..4
  TColor FActiveTextColor = clBlack;      // caption colour under the mouse
  int FSpacing = 0;                       // glyph to caption
  int FMargin = -1;                       // edge to glyph; -1 centred
  TLayout FLayout = blGlyphLeft;
  bool FMouseInside = false;              // the mouse is over the button
  bool FPressed = false;                  // a left press started on the button
  bool FGlyphFromAction = false;          // the glyph is the action's image
};

extern template class TButtonControlBase<TEffectGControl>;
extern template class TButtonControlBase<TEffectCControl>;

class TButtonGControl : public TButtonControlBase<TEffectGControl> {
  CLASSLIB_CLASS(TButtonGControl, TButtonControlBase<TEffectGControl>)
  static const TPropertyTable* PublishedProperties();
  explicit TButtonGControl(TComponent* owner) : TButtonControlBase<TEffectGControl>(owner) {}
};

// The windowed button. A descendant that is not rectangular gives its window a region
// (CreateButtonRegion); the region is made again whenever the window is made or sized.
//
// A focusable descendant (SetFocusable in its constructor) also takes the keyboard: a left
// press first focuses it (and is dropped when the focus did not come); Space down presses
// it and Space up clicks; Enter (as a dialog key, without shift keys) and the caption's
// accelerator click it; the mouse is ignored while Space holds it down. Every one of these
// clicks goes through ButtonClick (the mouse's sounds before OnMouseUp and clicks after it).
class TButtonCControl : public TButtonControlBase<TEffectCControl> {
  CLASSLIB_CLASS(TButtonCControl, TButtonControlBase<TEffectCControl>)
  static const TPropertyTable* PublishedProperties();
  explicit TButtonCControl(TComponent* owner) : TButtonControlBase<TEffectCControl>(owner) {}

  bool GetHasFocus() const { return FHasFocus; }
  bool GetKeyPressed() const { return FKeyPressed; }

  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;

 protected:
  // Makes the button a tab stop that takes the keyboard (constructors only).
  void SetFocusable();
  // Called when the focus came or went; repaints in the base.
  virtual void FocusChanged() { Invalidate(); }

  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;

  // The window region for the present size, in window coordinates; none (a rectangular
  // window) in the base.
  virtual UniqueRegion CreateButtonRegion() { return UniqueRegion(); }
  // Hands the window the region CreateButtonRegion makes, or takes its region away. Once
  // the window has a region the system owns it and frees it when it is replaced, so the
  // button never deletes a region it handed over. Nothing without a window.
  void UpdateButtonRegion();

  void CreateWnd() override;
  void WMSize(TMessage& message) override;

 private:
  // Whether the mouse cursor is over the window now.
  bool CursorInside();
  // Ends a Space press without a click (the focus went).
  void EndKeyPress();

  bool FHasRegion = false;      // the window has a region of ours (owned by the system)
  bool FFocusable = false;      // takes the keyboard (SetFocusable)
  bool FHasFocus = false;       // the window has the keyboard focus
  bool FKeyPressed = false;     // Space holds the button down
  bool FClicksDisabled = false; // a press is focusing the button: command clicks are dropped
};
