// Drawing and system utilities shared by the extended controls: transparent and stretched
// bitmap drawing, a parent's image under a windowless control, greyed ("disabled") glyphs,
// one cell of a glyph strip, texts shortened with "...", small memory and message routines,
// the hand and drag cursors, and the directory test.
#pragma once
#include <cstddef>
#include <cstring>
#include <memory>

#include "classlib/controls/Controls.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/ImageList.h"

// Screen cursors registered from this library's resources "RX_HANDCUR" and "RX_DRAGCUR"
// (RegisterExtendedCursors, called by the library's registration).
constexpr TCursor crHand = 14000;
constexpr TCursor crDragHand = 14001;
void RegisterExtendedCursors();

// True when name is an existing folder (a file or a missing path is not).
bool DirExists(const String& name);

// Makes dest the cell index of source cut into cols x rows cells (cols, rows below 1 count
// as 1, an index below 0 as 0), counted row by row.
void AssignBitmapCell(TGraphic* source, TBitmap* dest, int cols, int rows, int index);

// Saves a DC's state and restores it on every path.
class TSavedDC {
 public:
  explicit TSavedDC(HDC dc) : FDC(dc), FSaved(::SaveDC(dc)) {}
  ~TSavedDC() {
    if (FSaved) ::RestoreDC(FDC, FSaved);
  }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

 private:
  HDC FDC;
  int FSaved;
};

// Paints into dest what lies under control: its parent's background and painting, and the
// windowless siblings below it, so a windowless control can look transparent.
void CopyParentImage(TControl* control, TCanvas* dest);

// Stretches the source rectangle onto the destination rectangle, leaving the destination
// where the source has transparentColor (an RGB value). palette may be nullptr.
void StretchBltMasked(HDC destDC, const TRect& dest, HDC sourceDC, const TRect& source,
                      HPALETTE palette, COLORREF transparentColor);
// Draws bitmap (or its source part; an empty rectangle is the whole bitmap) stretched to
// (x, y, w, h); w or h below 1 take the bitmap's size. transparentColor clNone draws it
// opaque, clDefault keys on the bottom-left pixel (white for a monochrome bitmap).
void StretchBitmapRectTransparent(TCanvas* dest, int x, int y, int w, int h,
                                  const TRect& source, TBitmap* bitmap, TColor transparentColor);
void DrawBitmapRectTransparent(TCanvas* dest, int x, int y, const TRect& source,
                               TBitmap* bitmap, TColor transparentColor);

// A greyed picture of source: backColor everywhere, and where source has outlineColor (for
// a monochrome source: its black pixels) the shadow colour, with a highlight copy one
// pixel down and right under it when drawHighlight. The caller owns the result.
std::unique_ptr<TBitmap> CreateGrayedBitmapEx(TBitmap* source, TColor outlineColor,
                                              TColor backColor, TColor highlightColor,
                                              TColor shadowColor, bool drawHighlight);
std::unique_ptr<TBitmap> CreateGrayedBitmap(TBitmap* source, TColor outlineColor);

// Draws image index of the list as a disabled picture at (x, y): its shape (from the mask)
// in grayColor, with a highlightColor copy one pixel down-right under it when drawHighlight.
void ImageListDrawDisabled(TCustomImageList* images, TCanvas* canvas, int x, int y, int index,
                           TColor highlightColor, TColor grayColor, bool drawHighlight);

// Makes font the default font of windows built in code: the system's message font, or
// "MS Sans Serif" of 8 points when the system gives none; plain, clWindowText.
void SetDefaultFont(TFont* font);

// s, or as much of it as fits in maxWidth on the canvas followed by "..." ("..." alone
// when nothing more fits).
String ShortenString(const String& s, TCanvas* canvas, int maxWidth);

// Tells the user "Function not yet implemented" (the cursor back to the default first) and
// ends the operation silently with EAbort.
[[noreturn]] void NotImplemented();

// Removes one pending message msg of the window; a removed WM_QUIT is posted again.
void KillMessage(HWND window, UINT msg);
// True when the active window belongs to this thread.
bool IsForegroundTask();
// Enables the window of a control kept disabled so that it never takes the focus (a
// drop-down's calendar or keypad), so that it still gets the mouse; not while designing
// nor without a window.
void EnableWindowForMouse(TWinControl* control);

// A zero-filled block of size bytes from the process heap (fixed memory, never a movable
// handle); nullptr for a size below 1. FreeMemo frees it and clears p.
void* AllocMemo(long size);
void FreeMemo(void*& p);
bool CompareMem(const void* p1, const void* p2, size_t length);
inline void* HugeOffset(void* p, long offset) { return static_cast<char*>(p) + offset; }
inline void HMemCpy(void* dest, const void* source, long count) {
  if (count > 0) std::memmove(dest, source, static_cast<size_t>(count));
}
// RGB of a colour with the palette-relative flag set.
COLORREF PaletteColor(TColor color);
