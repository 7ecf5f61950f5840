// TFlatSpeedButton (windowless) and TFlatButton (windowed): flat push buttons with a
// one-pixel border, a hover colour while the mouse is over them, optional grouping as
// radio-style buttons (GroupIndex, Down, AllowAllUp) and a glyph strip.
//
// Both are one class template over their base, TFlatButtonBase. The mouse is tracked with
// one window timer per class (100 ms) and one tracked button per class: a button becomes
// the tracked one when the mouse moves over it and loses its hover look when the timer finds
// the cursor elsewhere. A tracked button that is freed stops the timer and is forgotten.
#pragma once
#include <memory>
#include "FlatUtilitys.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/Controls.h"
#include "classlib/forms/Timer.h"

class TPropertyTable;

extern const TEnumInfo FlatLayoutIdents;  // "blGlyphLeft" ... "blGlyphBottom"

// The image of the strip a flat button shows (1 = the first) for its glyph count and state.
int ChooseFlatGlyph(int numGlyphs, TButtonState state);

template <class Base>
class TFlatButtonBase : public Base {
 public:
  explicit TFlatButtonBase(TComponent* owner);
  ~TFlatButtonBase() override;

  // ---- Colours (writes repaint) ---------------------------------------------------------------
  TColor GetColorFocused() const { return FColorFocused; }  // fill under the mouse
  void SetColorFocused(TColor value);
  TColor GetColorDown() const { return FColorDown; }  // fill while pressed
  void SetColorDown(TColor value);
  TColor GetColorBorder() const { return FColorBorder; }  // the flat border
  void SetColorBorder(TColor value);
  TColor GetColorHighLight() const { return FColorHighLight; }  // light edge of 3-D frames
  void SetColorHighLight(TColor value);
  TColor GetColorShadow() const { return FColorShadow; }  // dark edge of 3-D frames
  void SetColorShadow(TColor value);
  // Derive ColorFocused, ColorDown and ColorBorder from Color (which follows the parent).
  bool GetUseAdvColors() const { return FUseAdvColors; }
  void SetUseAdvColors(bool value);
  int GetAdvColorFocused() const { return FAdvColorFocused; }  // 0..100
  void SetAdvColorFocused(int value);
  int GetAdvColorDown() const { return FAdvColorDown; }  // 0..100
  void SetAdvColorDown(int value);
  int GetAdvColorBorder() const { return FAdvColorBorder; }  // 0..100
  void SetAdvColorBorder(int value);

  // ---- Grouping --------------------------------------------------------------------------------
  int GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  // Only a button of a group can be down; a down button without AllowAllUp stays down
  // until another of its group goes down.
  bool GetDown() const { return FDown; }
  void SetDown(bool value);
  bool GetAllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);

  // ---- Glyph and layout --------------------------------------------------------------------
  // The glyph strip; owned. A strip whose width is a whole multiple of its height sets
  // NumGlyphs (1 when that would be above 4).
  TBitmap* GetGlyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* value);
  int GetNumGlyphs() const { return FNumGlyphs; }  // 1..4
  void SetNumGlyphs(int value);
  TButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  int GetMargin() const { return FMargin; }  // -1 centred; below -1 ignored
  void SetMargin(int value);
  int GetSpacing() const { return FSpacing; }  // -1 shared out
  void SetSpacing(int value);
  // Given to the owning form on a click.
  int GetModalResult() const { return FModalResult; }
  void SetModalResult(int value) { FModalResult = value; }

  // ---- State ---------------------------------------------------------------------------------
  TButtonState GetState() const { return FState; }
  bool GetMouseInControl() const { return FMouseInControl; }
  // The tracked button of this class, if any (tests).
  static TFlatButtonBase* TrackedButton() { return FTracked; }
  static bool TrackTimerRunning() { return FTrackTimer && FTrackTimer->GetEnabled(); }

  void Click() override;
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void Loaded() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void CalcAdvancedColors();
  void UpdateExclusive();
  void ButtonPressed(TMessage& message);
  void FlatMouseEnter();
  void FlatMouseLeave();
  void StopTracking();
  bool IsInside(int x, int y);
  bool CursorOverMe();
  void PaintGlyph(TCanvas* canvas, TPoint at);
  static void TrackTimerTick();

  static inline TTimer* FTrackTimer = nullptr;      // shared by the class; owned here
  static inline int FInstances = 0;                 // buttons of the class alive
  static inline TFlatButtonBase* FTracked = nullptr;  // the button the timer watches

  TColor FColorFocused = ColorFromInt(0xE1EAEB);
  TColor FColorDown = ColorFromInt(0xC5D6D9);
  TColor FColorBorder = ColorFromInt(0x8396A0);
  TColor FColorHighLight = ColorFromInt(0xFFFFFF);
  TColor FColorShadow = clBlack;
  bool FUseAdvColors = false;
  int FAdvColorFocused = 10;
  int FAdvColorDown = 10;
  int FAdvColorBorder = 50;
  int FGroupIndex = 0;             // 0: no group
  bool FDown = false;
  bool FAllowAllUp = false;
  std::unique_ptr<TBitmap> FGlyph; // owned
  int FNumGlyphs = 1;              // 1..4
  TButtonLayout FLayout = blGlyphTop;
  int FMargin = -1;
  int FSpacing = 4;
  int FModalResult = 0;
  TButtonState FState = bsUp;
  bool FMouseInControl = false;    // hot: the mouse is over it
  bool FDragging = false;          // a left press on it is held
  TPoint FGlyphPos;                // of the last paint
  TRect FTextBounds;               // of the last paint
};

extern template class TFlatButtonBase<TGraphicControl>;
extern template class TFlatButtonBase<TCustomControl>;

class TFlatSpeedButton : public TFlatButtonBase<TGraphicControl> {
  CLASSLIB_CLASS(TFlatSpeedButton, TFlatButtonBase<TGraphicControl>)
  static const TPropertyTable* PublishedProperties();
  explicit TFlatSpeedButton(TComponent* owner) : TFlatButtonBase<TGraphicControl>(owner) {}
};

class TFlatButton : public TFlatButtonBase<TCustomControl> {
  CLASSLIB_CLASS(TFlatButton, TFlatButtonBase<TCustomControl>)
  static const TPropertyTable* PublishedProperties();
  // Not a tab stop until told.
  explicit TFlatButton(TComponent* owner);
};
