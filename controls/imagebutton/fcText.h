// TfcText and TfcCaptionText: the caption renderer of the image-button library's buttons and
// of TfcLabel. It writes a caption of one or more lines ("\r\n" between them) on a canvas,
// centred on the rectangle its owner gives it and then aligned, rotated by whole degrees
// (the font's escapement), in one of four styles (plain, lowered, raised, outlined), with
// an optional drop shadow and a stepped 3-D extrusion, and in separate colours while the
// owner is disabled.
//
// The owner hands over its font and canvas (neither owned) and three callbacks: OnChange
// (repaint), OnRecalc (lay out again: the caption's size changed) and IsEnabled.
//
// The placement arithmetic (rotated sizes, the start point of a rotated caption, the
// extrusion colours) is in free functions below, so that it can be checked without a DC.
//
// Not done: the caption is measured and drawn with DrawTextEx, which ignores the rotation
// when it breaks words or centres lines; rotated captions are meant to be one line.
#pragma once
#include <functional>
#include <memory>
#include "classlib/classes/Persistent.h"
#include "classlib/classes/Sets.h"
#include "classlib/controls/Panels.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Colors.h"
#include "classlib/graphics/Types.h"

class TfcText;
class TPropertyTable;

// ---- Enumerations ------------------------------------------------------------------------------

enum TfcTextStyle { fclsDefault, fclsLowered, fclsRaised, fclsOutline };
enum TfcVAlignment { vaTop, vaVCenter, vaBottom };
// The direction of the extrusion's steps and the order of the outline's copies.
enum TfcOrientation {
  fcTopLeft, fcTopRight, fcBottomLeft, fcBottomRight, fcTop, fcRight, fcLeft, fcBottom
};
enum TfcTextOption { toShowAccel, toShowEllipsis };
using TfcTextOptions = TSet<TfcTextOption>;

// The step of one extrusion layer (and the offset of one outline copy) per orientation.
TPoint OrientationStep(TfcOrientation orientation);

// ---- Arithmetic ---------------------------------------------------------------------------------

// The nearest integer to v - 0.4999, halves to even: floor(v), except that a value within
// 0.0001 below an integer goes up to it (so 2.99995 counts as 3).
int NearFloor(double v);
// An angle in whole degrees brought into 0..359 (-90 gives 270, 360 gives 0).
int NormalizeRotation(int degrees);
// The size a box of `size` covers when it is turned by `degrees`.
TSize RotatedExtent(TSize size, int degrees);
// The shadow's offset as it counts for the caption's size: (xOffset, yOffset) when the shadow
// is on, else nothing; with the extrusion on, a component that points against the
// extrusion's step on its axis counts as 0 (the extrusion already covers that side).
TPoint EffectiveShadowOffset(bool shadowEnabled, int xOffset, int yOffset, bool extrudeEnabled,
                             TfcOrientation orientation);
// What the effects add to the text's unturned extent: the extrusion's depth along its step,
// the shadow's offset (as above) and, for the outline style, 2 on both axes.
TSize CaptionEffectsExtent(TPoint shadowOffset, bool extrudeEnabled, int depth,
                           TfcOrientation orientation, bool outline);
// The top-left corner where a caption of unturned text extent `text` starts so that it sits
// in the middle of `layout`, turned by `degrees`, moved back by half the shadow offset and
// (extrusion on) by half the depth.
TPoint CaptionOrigin(const TRect& layout, TSize text, int degrees, TPoint shadowOffset,
                     bool extrudeEnabled, int depth);
// The colour of extrusion layer `layer` (1..depth) between far (layer 0) and near (layer
// depth), per blue, green and red channel; both colours are plain RGB. The striated form
// darkens every second layer. A depth below 1 gives near.
TColor ExtrusionLayerColor(TColor nearColor, TColor farColor, int layer, int depth,
                           bool striated);

// ---- Effect objects -----------------------------------------------------------------------------

// The drop shadow: a copy of the caption in Color, offset by (XOffset, YOffset).
class TfcShadowEffects : public TPersistent {
  CLASSLIB_CLASS(TfcShadowEffects, TPersistent)
  static const TPropertyTable* PublishedProperties();
  explicit TfcShadowEffects(TfcText* owner) : FOwner(owner) {}

  TColor GetColor() const { return FColor; }
  void SetColor(TColor value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  int GetXOffset() const { return FXOffset; }
  void SetXOffset(int value);
  int GetYOffset() const { return FYOffset; }
  void SetYOffset(int value);

  TPersistent* GetOwner() const override;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  TfcText* FOwner;              // the caption it belongs to; not owned
  TColor FColor = clBtnShadow;  // shadow colour
  bool FEnabled = false;
  int FXOffset = 10;
  int FYOffset = 10;
};

// The stepped 3-D extrusion: Depth layers behind the caption, from FarColor to NearColor.
class TfcExtrudeEffects : public TPersistent {
  CLASSLIB_CLASS(TfcExtrudeEffects, TPersistent)
  static const TPropertyTable* PublishedProperties();
  explicit TfcExtrudeEffects(TfcText* owner) : FOwner(owner) {}

  int GetDepth() const { return FDepth; }
  void SetDepth(int value);  // a negative depth is taken as 0
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  TColor GetFarColor() const { return FFarColor; }
  void SetFarColor(TColor value);
  TColor GetNearColor() const { return FNearColor; }
  void SetNearColor(TColor value);
  TfcOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TfcOrientation value);
  bool GetStriated() const { return FStriated; }
  void SetStriated(bool value);

  TPersistent* GetOwner() const override;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  TfcText* FOwner;                             // not owned
  int FDepth = 10;                             // number of layers
  bool FEnabled = false;
  TColor FFarColor = clBlack;                  // colour of the layer furthest back
  TColor FNearColor = clBlack;                 // colour of the layer next to the face
  TfcOrientation FOrientation = fcBottomRight;
  bool FStriated = false;                      // every second layer darker
};

// The colours of the caption while its owner is disabled.
class TfcDisabledColors : public TPersistent {
  CLASSLIB_CLASS(TfcDisabledColors, TPersistent)
  static const TPropertyTable* PublishedProperties();
  explicit TfcDisabledColors(TfcText* owner) : FOwner(owner) {}

  TColor GetHighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor value);
  TColor GetShadeColor() const { return FShadeColor; }
  void SetShadeColor(TColor value);

  TPersistent* GetOwner() const override;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  TfcText* FOwner;                         // not owned
  TColor FHighlightColor = clBtnHighlight;
  TColor FShadeColor = clBtnShadow;
};

// ---- The renderer ----------------------------------------------------------------------------

// What the owner gives the renderer to call back. Each may be empty.
struct TfcTextCallbacks {
  std::function<void()> OnChange;   // the caption's look changed: repaint
  std::function<void()> OnRecalc;   // the caption's size changed: lay out again
  std::function<bool()> IsEnabled;  // the owner's enabled state (empty: enabled)
};

class TfcText : public TPersistent {
  CLASSLIB_CLASS(TfcText, TPersistent)
  // font and canvas are the owner's and must outlive the renderer.
  TfcText(TfcTextCallbacks callbacks, TFont* font, TCanvas* canvas);
  ~TfcText() override;

  // ---- Attributes ---------------------------------------------------------------------
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TfcVAlignment GetVAlignment() const { return FVAlignment; }
  void SetVAlignment(TfcVAlignment value);
  TfcDisabledColors* GetDisabledColors() const { return FDisabledColors.get(); }  // owned
  void SetDisabledColors(TfcDisabledColors* value);  // copies value
  TfcExtrudeEffects* GetExtrudeEffects() const { return FExtrudeEffects.get(); }  // owned
  void SetExtrudeEffects(TfcExtrudeEffects* value);
  TfcShadowEffects* GetShadow() const { return FShadow.get(); }  // owned
  void SetShadow(TfcShadowEffects* value);
  TColor GetHighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor value);
  TColor GetShadeColor() const { return FShadeColor; }
  void SetShadeColor(TColor value);
  TColor GetOutlineColor() const { return FOutlineColor; }
  void SetOutlineColor(TColor value);
  int GetLineSpacing() const { return FLineSpacing; }
  void SetLineSpacing(int value);
  TfcTextOptions GetOptions() const { return FOptions; }
  void SetOptions(TfcTextOptions value);
  // Degrees, kept in 0..359.
  int GetRotation() const { return FRotation; }
  void SetRotation(int value);
  bool GetScaleByScreen() const { return FScaleByScreen; }
  void SetScaleByScreen(bool value);
  TfcTextStyle GetStyle() const { return FStyle; }
  void SetStyle(TfcTextStyle value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  // The caption; lines separated by "\r\n". Storing it notifies nobody: the owner sets it
  // before it measures or draws.
  const String& GetText() const { return FText; }
  void SetText(const String& value);

  // The DrawTextEx flags: no clipping, plus what Options, WordWrap and the alignment say.
  UINT GetDrawFlags() const { return FDrawFlags; }
  // The rectangle the owner gives the caption, and where the caption was last placed.
  const TRect& GetLayoutRect() const { return FLayoutRect; }
  void SetLayoutRect(const TRect& value) { FLayoutRect = value; }
  const TRect& GetTextRect() const { return FTextRect; }
  TCanvas* GetCanvas() const { return FCanvas; }  // not owned
  void SetCanvas(TCanvas* value) { FCanvas = value; }
  TFont* GetFont() const { return FFont; }        // not owned
  void SetFont(TFont* value) { FFont = value; }

  // ---- Operations ---------------------------------------------------------------------
  // Copies the extrusion, the shadow, the colours, the line spacing, the options, the
  // rotation, the style and the text of another caption.
  void Assign(TPersistent* source) override;
  // Measures the caption in its rotated font on Canvas: rect becomes the rectangle it would
  // be drawn in. Unclipped, the size is not limited to LayoutRect's.
  virtual void CalcRect(bool unclipped, TRect& rect);
  // Draws the caption in LayoutRect on Canvas.
  virtual void Draw();
  // Calls OnChange.
  virtual void Changed();

  // The font the caption is drawn in: the owner's font turned by Rotation.
  virtual LOGFONTW GetLogFont();
  // The unturned size of the text in the canvas's current font (accelerator marks left
  // out while they are shown; wrapped at LayoutRect's width with WordWrap).
  virtual TSize GetTextExtent();
  // The turned size of the text with its effects; limited to LayoutRect's size unless
  // unclipped.
  virtual TSize GetRotatedSize(bool unclipped);
  // Where the caption goes in LayoutRect (the canvas holds the turned font).
  virtual void CalcTextRect(TRect& rect, bool unclipped = false);

  // The shadow offset as it counts for sizes and placement (EffectiveShadowOffset).
  TPoint GetShadowOffset() const;
  // The owner's enabled state.
  bool IsEnabled() const;

  // Called by the effect objects.
  void NotifyRecalc();
  void NotifyChange();

 protected:
  // The parts of drawing, each on Canvas at TextRect.
  virtual void DrawHighlightCopy();
  virtual void DrawOutline();
  virtual void DrawShadow();
  virtual void DrawLines(TRect rect);
  virtual void DrawDefaultStyle();
  virtual void DrawOutlineStyle();
  virtual void DrawEmbossedStyle(bool raised);
  // Puts the turned font on Canvas and places TextRect.
  virtual void PrepareFont();
  // Gives the canvas its owner's font back (the turned font is freed with it).
  void ReleaseFont();
  // The extrusion layers behind the face; moves TextRect to where the face goes.
  void DrawExtrusion();
  // DrawLines at TextRect moved by (dx, dy), in colour.
  void DrawCopy(int dx, int dy, TColor color);

 private:
  TfcTextCallbacks FCallbacks;
  TFont* FFont;                                        // the owner's font; not owned
  TCanvas* FCanvas;                                    // drawn on; not owned
  TRect FTextRect;                                     // where the text was last placed
  TRect FLayoutRect;                                   // what the owner gives the caption
  TAlignment FAlignment = taLeftJustify;
  TfcVAlignment FVAlignment = vaTop;
  std::unique_ptr<TfcDisabledColors> FDisabledColors;
  std::unique_ptr<TfcExtrudeEffects> FExtrudeEffects;
  std::unique_ptr<TfcShadowEffects> FShadow;
  TColor FHighlightColor = clBtnHighlight;             // light edge of lowered and raised
  TColor FShadeColor = clBtnShadow;                    // dark edge of lowered and raised
  TColor FOutlineColor = clBlack;
  UINT FDrawFlags = DT_NOCLIP;
  int FLineSpacing = 5;                                // extra pixels between lines
  TfcTextOptions FOptions{toShowAccel};
  int FRotation = 0;                                   // degrees, 0..359
  bool FScaleByScreen = false;                         // font height scaled by the dpi
  TfcTextStyle FStyle = fclsDefault;
  String FText;
  bool FWordWrap = false;
};

// The published form that buttons and labels own as TextOptions.
class TfcCaptionText : public TfcText {
  CLASSLIB_CLASS(TfcCaptionText, TfcText)
  static const TPropertyTable* PublishedProperties();
  TfcCaptionText(TfcTextCallbacks callbacks, TFont* font, TCanvas* canvas)
      : TfcText(std::move(callbacks), font, canvas) {}
};
