// Shared routines of the image-button library: colour adjustments, small geometry and text
// helpers, text measuring, regions taken from pictures, invalidation of windows, transparent
// and disabled drawing, dithering, tiling and the placing of a glyph beside a caption.
// Min and Max are those of classlib/system/SysMath.h; Point those of Types.h.
#pragma once
#include <cstdint>
#include "classlib/classes/Component.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/system/SysMath.h"

class TfcBitmap;
class TControl;

// The version of the library, "2000.5".
extern const String fcVersion;

// ---- Colours ------------------------------------------------------------------------------

// clNone gives the image list's none value ($FFFFFFFF), clDefault its default value
// ($FF000000), anything else its RGB.
COLORREF ImageListColor(TColor color);
// Adjusts blue, green and red separately: by amount (0..255 steps), or with percent by
// amount percent of the distance to white (amount >= 1) or of the value itself (amount < 1).
// A channel at 0 whose brightest other channel is 255 is set to amount (or amount percent
// of 255) when amount >= 1.
TColor AdjustColor(TColor color, int amount, bool percent);

// ---- Geometry and small routines ----------------------------------------------------------

constexpr int RectWidth(const TRect& r) { return r.Right - r.Left; }
constexpr int RectHeight(const TRect& r) { return r.Bottom - r.Top; }
template <class T> constexpr T IfThen(bool condition, T a, T b) { return condition ? a : b; }
// Sets (value True) or clears the bits of `bits` in `set`.
constexpr void SetSetBit(bool value, uint32_t& set, uint32_t bits) {
  set = value ? (set | bits) : (set & ~bits);
}
// The largest rectangle of the proportions w x h that starts at r's top-left corner and fits
// r. r itself when r or the proportions have no area.
TRect FitRectProportional(const TRect& r, int w, int h);

// ---- Text (1-based positions, as the class library counts) --------------------------------

// Characters from position `from` to position `to` inclusive; to 0 means to the end.
String CopyBetween(const String& s, int from, int to);
// Position of sub in s at or after position from; 0 when absent.
int PosFrom(const String& sub, const String& s, int from);
// Position of the n-th (1-based) occurrence of sub in s; 0 when there are fewer.
int NthPos(const String& sub, const String& s, int n);
// Occurrences of the delimiter plus 1; 0 for an empty text.
int CountPieces(const String& s, const String& delimiter);
// The piece of the given 0-based index; empty when index is outside the pieces.
String GetPiece(const String& s, const String& delimiter, int index);
// Index of the first piece equal to piece; -1 when absent.
int PieceIndex(const String& s, const String& delimiter, const String& piece);
String ReplaceAll(const String& s, const String& oldText, const String& newText);
// Removes every single "&" and turns every "&&" into one "&".
String StripAccelerators(const String& s);

// base followed by 1, 2, ... : the first name no component of owner has (case-sensitive).
String UniqueComponentName(TComponent* owner, const String& base);
// True when cls or one of its ancestors has the class name (case-insensitive).
bool IsClassNamed(const TClassInfo* cls, const String& name);

// ---- Text measuring ------------------------------------------------------------------------

// Height of one line drawn with the flags at the given width (DT_CALCRECT added).
int LineHeight(TCanvas* canvas, UINT flags, int width, const String& line);
// Size of a text of lines separated by "\r\n": heights summed with lineSpacing between lines,
// the widest line's width. width > 0 measures each line wrapped at that width (DrawTextEx);
// width <= 0 measures it on one line with the canvas's font.
TSize MeasureText(TCanvas* canvas, const String& text, int lineSpacing, UINT flags, int width);

// ---- Regions and invalidation --------------------------------------------------------------

// The region of the image's pixels that differ from transparentColor (-1: the top-left
// pixel's colour; a system colour is translated to RGB first), one rectangle per run of a
// row. No region when the image is empty or every pixel is transparent. The caller owns it.
UniqueRegion CreateRegionFromBitmap(TfcBitmap* image, TColor transparentColor);
// Fills the part of the image outside region with the image's TransparentColor.
void FillOutsideRegion(TfcBitmap* image, HRGN region);
// Invalidates the window without erasing, then every child window, recursively.
void InvalidateWithChildren(HWND window);
// InvalidateWithChildren of every child of parent whose rectangle meets control's.
void InvalidateOverlappingChildren(HWND parent, HWND control);
// Invalidates the control's bounds on its parent's window (when the parent has one).
void InvalidateControlBounds(TControl* control, bool erase);

// ---- Drawing ---------------------------------------------------------------------------------

// Draws image into r of the canvas, keyed by mask: where the mask is black the target is left
// unchanged, where it is white the image is copied (three blits: source invert, destination
// and not source, source invert). offScreen does the three blits on a copy of r and copies it
// back once, so the target never shows the intermediate state.
void TransparentBlit(TCanvas* canvas, const TRect& r, TBitmap* image, bool offScreen,
                     TBitmap* mask);
// The same from DCs: imageDC and maskDC hold the image and mask at (0, 0).
void TransparentBlitDC(HDC target, const TRect& r, HDC imageDC, HDC maskDC, bool offScreen);
// Draws the image with the pixels of transparentColor (-1: the top-left pixel's colour)
// left out.
void DrawTransparentImage(TCanvas* canvas, const TRect& r, TfcBitmap* image,
                          TColor transparentColor);
// dest := the embossed grey look of source: button face, with the shape of source's
// non-white pixels in the button-highlight colour one pixel down and right, under the same
// shape in the button-shadow colour.
void DrawDisabledGlyph(TBitmap* source, TBitmap* dest);
// Draws image `index` of the list at (x, y) with ILD_ style flags; disabled images are drawn
// embossed as DrawDisabledGlyph does.
void DrawImageListImage(TCustomImageList* list, int index, TCanvas* canvas, int x, int y,
                        UINT style, bool enabled);
// As DrawImageListImage, for buttons: an enabled image is drawn one pixel further left when
// x is odd.
void DrawButtonImageListImage(TCustomImageList* list, int index, TCanvas* canvas, int x,
                              int y, UINT style, bool enabled);
// An 8x8 checker pattern brush (rows $AAAA and $5555); the caller owns it.
UniqueBrush CheckerBrush();
// Fills r with a checker of color1 and color2; color1 clNone leaves its cells unchanged.
// EInvalidOperation "Color2 cannot be clNone" when color2 is clNone.
void FillDither(TCanvas* canvas, const TRect& r, TColor color1, TColor color2);
// Tiles the graphic over r, from r's top-left corner at the graphic's size.
void TileGraphic(TGraphic* graphic, TCanvas* canvas, const TRect& r);

// Places item A (a glyph) and item B (a caption) around centre, spacing pixels apart:
// layout 0 A left of B, 1 A right of B, 2 A above B, 3 A below B. Each rectangle is written
// when its pointer is given.
void LayoutGlyphAndText(TPoint centre, int spacing, int layout, TSize sizeA, TSize sizeB,
                        TRect* rectA, TRect* rectB);
