// The drawing routines every owner-drawn control shares: rectangle arithmetic, Unicode text,
// coloured lines, frames and fills on a canvas, a gradient and a checker fill, rotated text, a
// window region from a 32-bit bitmap, nested mouse capture, keyboard repeat timing, the stock
// button glyphs and the shared paint buffer.
#pragma once
#include <cstdint>

#include "SkinBitmap.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Icon.h"
#include "classlib/graphics/Types.h"
#include "classlib/stdctrls/BitBtn.h"

// ---- Rectangles ----------------------------------------------------------------------------------
inline int RectWidth(const TRect& r) { return r.Right - r.Left; }
inline int RectHeight(const TRect& r) { return r.Bottom - r.Top; }
inline bool RectIsEmpty(const TRect& r) { return RectWidth(r) < 1 || RectHeight(r) < 1; }
inline bool RectEquals(const TRect& a, const TRect& b) { return a == b; }
TRect RectInflated(const TRect& r, int n);
// r moved to bounds' left, centred vertically in bounds (halves truncated), size kept.
TRect RectCenterVertically(TRect& r, const TRect& bounds);
// r centred in bounds in both directions.
TRect RectCenter(TRect& r, const TRect& bounds);

// ---- Text ----------------------------------------------------------------------------------------
// DrawTextW with a transparent background; with DT_CALCRECT it only measures into r. Gives
// the text's height.
int DrawTextUnicode(TCanvas* canvas, const String& text, TRect& r, UINT flags);
int TextWidthEx(TCanvas* canvas, const String& text, UINT flags);
int TextHeightEx(TCanvas* canvas, const String& text);
// text when it fits maxWidth on dc; else the longest prefix that fits with "..." after it.
String EllipsisText(HDC dc, const String& text, int maxWidth);
// text turned by 90 degrees (clockwise or not), drawn at (x, y) with the canvas font; r gives
// the size of the unturned text.
void DrawRotatedText(TCanvas* canvas, int x, int y, const String& text, const TRect& r,
                     bool clockwise);

// ---- Lines and shapes (each routine sets the pen or brush it needs) --------------------------------
void LineToColor(TCanvas* canvas, int x, int y, TColor color);
void DrawFrameLines(TCanvas* canvas, const TRect& r, TColor topLeft, TColor bottomRight);
// Sides: bit 1 left, 2 top, 4 right, 8 bottom. Draws count rings, r moving inward by one on
// every drawn side per ring.
void DrawBevelLines(TCanvas* canvas, TRect& r, unsigned sides, TColor topLeft,
                    TColor bottomRight, int count);
void FrameRectColor(TCanvas* canvas, const TRect& r, TColor color);
void FrameRectXY(TCanvas* canvas, int left, int top, int right, int bottom, TColor color);
void FillRectColor(TCanvas* canvas, const TRect& r, TColor color);
void FillRectXY(TCanvas* canvas, int left, int top, int right, int bottom, TColor color);
void FillRoundRect(TCanvas* canvas, const TRect& r, int radius, TColor color);
void DrawFocus(TCanvas* canvas, const TRect& r, TColor color);
// Up to 256 bands from one colour to the other, left to right or (vertical) top to bottom.
void FillGradient(TCanvas* canvas, const TRect& r, TColor fromColor, bool vertical,
                  TColor toColor);
void FillChecker(TCanvas* canvas, const TRect& r, TColor color1, TColor color2);
void DrawRaisedBox(TCanvas* canvas, int left, int top, int right, int bottom);
void DrawFlatBox(TCanvas* canvas, int left, int top, int right, int bottom);
void DrawIconCentered(TCanvas* canvas, const TRect& r, TIcon* icon);

// ---- Regions ---------------------------------------------------------------------------------------
// The region of every pixel of bitmap whose colour is not the clear colour's, moved by the
// offsets; nullptr for an empty bitmap or one without such pixels. The caller owns it.
HRGN CreateRegionFromBitmap(const TSeBitmap& bitmap, int xOffset, int yOffset);

// ---- Mouse capture ---------------------------------------------------------------------------------
// Nested capture: the first Begin captures for wnd, the matching last End releases it (when
// wnd still has it). An End without a Begin does nothing.
void BeginCapture(HWND wnd);
void EndCapture();
int CaptureDepth();

// ---- Repeat timing ---------------------------------------------------------------------------------
int GetKeyRepeatDelay();     // milliseconds before the first repeat
int GetKeyRepeatInterval();  // milliseconds between repeats

// ---- Stock glyphs ----------------------------------------------------------------------------------
// The glyph of a button kind, made on first use and owned by the library: the program's
// bitmap resource of the kind's name ("SE_BTN_OK", ...) when it has one, else our own drawing
// of the kind. bkCustom and kinds outside the table give an empty bitmap.
TBitmap* GetButtonGlyph(TBitBtnKind kind);

// ---- The shared paint buffer -------------------------------------------------------------------------
// One bitmap of (screen width + 500) x (screen height + 500), made on first use and kept until
// the program ends; controls of vxpSharedBuffer paint in it one after the other.
TSeBitmap& SharedPaintBuffer();
// The size the shared buffer has (or will have).
TSize SharedPaintBufferSize();
