// BMPUtils: drawing a bitmap with one colour transparent, and cutting glyphs out of a strip
// of equal-width glyphs.
//
// Colours: clNone ($1FFFFFFF) means no transparent colour (the bitmap is copied as it is);
// clDefault ($20000000) means the colour of the bitmap's bottom-left pixel.
#pragma once
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"

// Copies the source rectangle of the bitmap to (x, y) of dc, stretched to width × height
// (the source size when width or height is 0), leaving dc unchanged where the source has
// transparentColor (an RGB value). The source is clipped to the bitmap; an empty source
// means the whole bitmap. The bitmap must not be selected into a device context. Every
// temporary object is freed before return; the bitmap's pixels are not changed.
void StretchBltTransparent(HDC dc, HBITMAP bitmap, int x, int y, const TRect& source, int width,
                           int height, COLORREF transparentColor);

// Draws the source rectangle of bitmap (the whole bitmap when it is empty) at (x, y) of the
// canvas, stretched to width × height when both are non-zero, with transparentColor
// transparent (clNone: none; clDefault: the bitmap's bottom-left pixel; system colours are
// resolved). An empty or missing bitmap draws nothing.
void DrawTransparentBitmap(TCanvas* canvas, int x, int y, TColor transparentColor, TBitmap* bitmap,
                           const TRect& source, int width, int height);
// The whole bitmap at its own size.
void DrawTransparentBitmap(TCanvas* canvas, int x, int y, TColor transparentColor, TBitmap* bitmap);

// Draws glyph number glyphNumber (1 = the first) of the numGlyphs equal-width glyphs of the
// strip at (x, y), the colour of the glyph's bottom-left pixel transparent. An empty strip,
// numGlyphs below 1 or a glyph number outside 1..numGlyphs draws nothing.
void DrawGlyph(TCanvas* canvas, int x, int y, int numGlyphs, int glyphNumber, TBitmap* bitmap);

// ---- Small routines (the larger and smaller of two integers are Max and Min of SysMath.h) --
inline int RectWidth(const TRect& r) { return r.Right - r.Left; }
inline int RectHeight(const TRect& r) { return r.Bottom - r.Top; }
// The colour of the bitmap's bottom-left pixel; clNone for an empty or missing bitmap.
TColor BottomLeftColor(TBitmap* bitmap);
