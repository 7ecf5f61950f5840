// FlatUtilitys: what the flat-style controls share: the advanced-colour rule that derives
// hover, pressed and border colours from the parent's colour, the embossed glyph of a
// disabled button, the glyph-and-caption layout of the flat buttons, and font heights.
#pragma once
#include <memory>
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/stdctrls/ButtonGlyphs.h"

enum TColorCalcType { lighten, darken };

// 0..100: the percentage of the advanced colours.
inline int ClampAdvColors(int value) { return value < 0 ? 0 : value > 100 ? 100 : value; }

// percent 0: current unchanged. Otherwise the parent colour (a system colour resolved) on
// the 0..240 lightness scale, its lightness + 10, then + percent held at most 100
// (lighten) or - percent held at least 0 (darken), same hue and saturation.
TColor CalcAdvancedColor(TColor parentColor, TColor current, int percent, TColorCalcType kind);

// The embossed look of a glyph: a bitmap of source's size in backColor where the pixels of
// outlineColor in source (white, when source is monochrome) are drawn in highlightColor
// moved by (1, 1) when drawHighlight, then in shadowColor. The caller owns the result; an
// empty source gives an empty bitmap.
std::unique_ptr<TBitmap> CreateDisabledBitmap(TBitmap* source, TColor outlineColor,
                                              TColor backColor, TColor highlightColor,
                                              TColor shadowColor, bool drawHighlight);

// Where a flat button puts its glyph and caption.
struct TFlatButtonLayout {
  TPoint GlyphPos;   // top-left corner of the glyph
  TRect TextBounds;  // the caption's rectangle
};
// The glyph (numGlyphs equal images in the strip; none when empty) and the caption
// (measured with DrawText on canvas; none when empty) on client by layout, margin (-1:
// centred) and spacing (-1: shared out), moved by client's origin plus offset.
TFlatButtonLayout CalcFlatButtonLayout(TCanvas* canvas, const TRect& client, TPoint offset,
                                       const String& caption, TButtonLayout layout, int margin,
                                       int spacing, TBitmap* glyph, int numGlyphs);

// The text height of font on the screen plus an eighth of it, rounded: the row height the
// flat combo box gives a drop-down list.
int FlatFontHeight(TFont* font);
// The text height of font on the screen.
int FontTextHeight(TFont* font);
