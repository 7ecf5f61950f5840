// TSeBitmap: the 32-bit picture of the owner-drawn library, a top-down DIB section kept
// selected in a memory DC so that it can be drawn with GDI and read and written pixel by
// pixel; TSeBitmapLink, a named rectangle inside one; TSeBitmapList, the owning list of them.
//
// Every operation that copies between two bitmaps clips the source rectangle to the source and
// the destination rectangle to the destination on all four sides, and does nothing when a
// rectangle is empty, so no operation reads or writes outside a buffer.
//
// Stream record (little-endian): name byte count (4), the name's bytes (code page 936, no
// terminator), width (4), height (4), then width * height pixels B, G, R, A, rows top to
// bottom. A record is read by its own lengths (TSeSkinReader), so a one-way stream that cannot
// tell its size (a decompression stream) serves as well as a file. It is checked before anything
// is allocated: the name length and both sizes must not be negative, the sides at most
// TSeSkinReader::MaxBitmapSide, and the pixels' bytes within what the stream still holds (a
// stream that cannot tell: within TSeSkinReader::MaxBody); otherwise, and when no DIB of that
// size can be made, EReadError "Stream read error".
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "SkinColors.h"
#include "classlib/classes/Events.h"
#include "classlib/classes/Lists.h"
#include "classlib/classes/Persistent.h"
#include "classlib/classes/Streams.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/GraphicsObjects.h"
#include "classlib/graphics/Types.h"

// The part of a copy that lies inside both bitmaps. source is first clipped to the source
// (sourceWidth x sourceHeight) and is drawn with its top-left corner at (x, y); the copy is
// then clipped to the destination on every side, moving x, y and the source rectangle together.
// False when nothing remains.
bool ClipCopy(int sourceWidth, int sourceHeight, int destWidth, int destHeight, TRect& source,
              int& x, int& y);

// Whether filling an area with copies of a picture costs less through a tile of tilePixels
// pixels made first and drawn in tileCalls calls than drawn one copy a call (copies calls):
// making the tile costs about what some hundreds of opaque drawing calls do, a transparent
// call far more than an opaque one, and most without the system's transparent blit
// (systemBlit false), which makes a buffer for every call.
bool TilingPays(int64_t copies, int64_t tileCalls, int64_t tilePixels, bool transparent, bool systemBlit);

class TSeBitmap : public TPersistent {
  CLASSLIB_CLASS(TSeBitmap, TPersistent)
  TSeBitmap();
  ~TSeBitmap() override;  // tells the before-change notification first

  // ---- Attributes ----------------------------------------------------------------------
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  // True while there is no DIB.
  bool Empty() const { return FHandle == nullptr; }
  const String& GetName() const { return FName; }
  void SetName(const String& value) { FName = value; }
  // With alpha blending on, drawing onto another TSeBitmap and filling blend by each pixel's
  // alpha instead of copying.
  bool GetAlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool value) { FAlphaBlend = value; }
  // Transparent device drawing goes through the mask only when this is 1 or more.
  int GetMaskedDraw() const { return FMaskedDraw; }
  void SetMaskedDraw(int value) { FMaskedDraw = value; }
  TFont* GetFont() const { return FFont.get(); }  // owned
  // The memory DC with the DIB selected (nullptr while empty); owned.
  HDC GetDC() const { return FDC; }
  HBITMAP GetHandle() const { return FHandle; }
  // The pixels, Width * Height of them, rows top to bottom (nullptr while empty).
  TPixel32* GetBits() const { return FBits; }
  // The device-dependent copy the Device* operations draw from, made now when it is due
  // (RequestDeviceCopy); nullptr until UpdateDeviceCopy or RequestDeviceCopy, or when it
  // cannot be made (a later call tries again).
  TBitmap* GetDeviceCopy();

  // Told after every resize; told before the pixels are replaced and before destruction.
  TNotifyEvent OnChange;
  TNotifyEvent OnBeforeChange;

  // ---- Size and pixels -----------------------------------------------------------------
  // Makes a new DIB of |width| x |height|; nothing when either is 0 or the size is the same.
  // Failing, it leaves the bitmap empty and raises Exception "Can't allocate the DIB handle",
  // "Can't create compatible DC" or "Can't select an object into DC".
  void SetSize(int width, int height);
  // Drops the picture (and its device copy): no DIB, size 0, both notifications told as for a
  // resize. Nothing when there is no picture.
  void MakeEmpty();
  // The pixel at (x, y); SeOutOfRangePixel outside the bitmap or while it is empty.
  TPixel32 GetPixel(int x, int y) const;
  void SetPixel(int x, int y, TPixel32 value);  // nothing outside the bitmap
  // The address of (x, y), unchecked: callers clip first.
  TPixel32* PixelPtr(int x, int y) const { return FBits + (y * FWidth + x); }
  void Clear(TPixel32 value);
  // The alpha byte of every pixel.
  void SetAlpha(uint8_t value);
  // The alpha byte of the pixels of r (clipped).
  void SetAlphaRect(const TRect& r, uint8_t value);
  // Fills r (clipped): set, or blended over the old pixels with alpha blending on.
  void FillRect(const TRect& r, TPixel32 value);
  // Moves the hue of every pixel whose alpha is not 0; each keeps its alpha. The device copy
  // is made again from the new pixels at its next use (RequestDeviceCopy).
  void ShiftHue(int delta);
  // Replaces every pixel whose B, G and R each differ from key's by at most 5 with the clear
  // pixel; alpha is not compared.
  void ApplyColorKey(TColor key);

  // ---- Drawing on a DC -----------------------------------------------------------------
  // The whole bitmap at (x, y); transparent leaves out the clear colour's pixels.
  void Draw(HDC dc, int x, int y, bool transparent);
  void Draw(TCanvas* canvas, int x, int y, bool transparent);
  // The part source of the bitmap at (x, y).
  void DrawRect(HDC dc, int x, int y, const TRect& source, bool transparent);
  // The part source scaled into dest.
  void StretchDraw(HDC dc, const TRect& dest, const TRect& source, bool transparent);
  // Fills dest with copies of source, the last column and row cut at dest's edge. Where
  // drawing copy by copy would cost more than making a larger tile of whole copies first (a
  // small source over a large area), the tile is made and drawn instead: the same pixels in
  // far fewer drawing calls, so that the cost follows dest's area, not the number of copies.
  void TileTo(TCanvas* canvas, const TRect& dest, const TRect& source, bool transparent);
  // Fills dest as TileTo does, always with one drawing call per copy.
  void TileCopyByCopy(TCanvas* canvas, const TRect& dest, const TRect& source, bool transparent);

  // ---- Drawing on another TSeBitmap ------------------------------------------------------
  // The part source at (x, y) of other: blended with alpha blending on, else copied.
  void DrawTo(TSeBitmap& other, int x, int y, const TRect& source);
  // The part source scaled into dest of other (nearest neighbour, blended with alpha
  // blending on unless a pixel is opaque); equal sizes go to DrawTo.
  void StretchTo(TSeBitmap& other, const TRect& dest, const TRect& source);
  // This bitmap's pixels into other at (x, y), per destination pixel: alpha 0 takes the
  // source pixel, alpha below 255 the destination blended over the source, 255 is kept.
  void MergeAt(TSeBitmap& other, int x, int y);

  // ---- The device copy -------------------------------------------------------------------
  // Makes the device copy the bitmap's size and draws the bitmap onto it.
  void UpdateDeviceCopy();
  // Makes the device copy from the pixels as they are at the first device draw (or
  // GetDeviceCopy) instead of now: a loaded skin's bitmaps need not pay for a screen copy
  // that may never be drawn.
  void RequestDeviceCopy() { FDeviceCopyDue = true; }
  // From the device copy; nothing while there is none. Transparent drawing goes through the
  // device copy's mask when MaskedDraw is 1 or more.
  void DeviceDraw(HDC dc, const TRect& dest, const TRect& source, bool transparent);
  void DeviceDrawAt(HDC dc, int x, int y, const TRect& source, bool transparent);
  void DeviceTile(HDC dc, const TRect& dest, const TRect& source);

  // ---- Persistence -----------------------------------------------------------------------
  // From a TBitmap, another TGraphic or a TPicture: sized to it, drawn, alpha 255, and the
  // device copy due (RequestDeviceCopy). From another TSeBitmap nothing is copied.
  void Assign(TPersistent* source) override;
  // The record read, and the device copy due. EReadError "Stream read error" on a damaged
  // record (see the top of this file).
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;

 protected:
  // To a TBitmap or a TPicture's bitmap: sized and drawn at (0, 0); to the clipboard as a
  // bitmap.
  void AssignTo(TPersistent* dest) override;

 private:
  void FreeDIB();
  // Copies source of this bitmap to dest of a DC, leaving out the clear colour, without the
  // system's transparent blit.
  void SoftwareTransparentBlt(HDC dc, const TRect& dest, const TRect& source);
  // The source rectangle clipped to the bitmap.
  TRect ClipToBitmap(const TRect& r) const;
  // The part of source inside the bitmap (s) and the part of dest canvas's DC shows
  // (visible); that DC, or nullptr when there is no canvas or either part is empty.
  HDC TilingArea(TCanvas* canvas, const TRect& dest, const TRect& source, TRect& s, TRect& visible) const;
  // Draws the copies of s (inside the bitmap) that tile dest from its top-left corner and
  // meet visible, one drawing call each.
  void DrawTiles(HDC dc, const TRect& dest, const TRect& visible, const TRect& s, bool transparent);
  // Fills tile (a whole number of copies of s a side) with copies of s, alpha included.
  void RepeatInto(TSeBitmap& tile, const TRect& s) const;

  BITMAPINFOHEADER FHeader{};             // kept ready for CreateDIBSection
  HBITMAP FHandle = nullptr;              // the DIB section; owned
  HDC FDC = nullptr;                      // memory DC with FHandle selected; owned
  HGDIOBJ FOldBitmap = nullptr;           // what FDC held before FHandle
  TPixel32* FBits = nullptr;              // FHandle's pixels
  int FWidth = 0;
  int FHeight = 0;
  bool FAlphaBlend = false;               // blend rather than copy onto other bitmaps
  String FName;                           // the key skin objects find the bitmap by
  std::unique_ptr<TFont> FFont;           // owned
  std::unique_ptr<TBitmap> FDeviceCopy;   // device-dependent copy; owned
  bool FDeviceCopyDue = false;            // made from the pixels at its first use
  int FMaskedDraw = 0;                    // >= 1: transparent device drawing uses the mask
};

// Copies source of src into dest of dst (nearest neighbour when the sizes differ), leaving out
// the source pixels whose colour (alpha ignored) is key. Both rectangles are clipped to their
// bitmaps first; nothing when either is then empty.
void TransparentCopy(const TSeBitmap& src, const TRect& source, TSeBitmap& dst, const TRect& dest,
                     uint32_t key);

// A named rectangle inside a TSeBitmap: the value of every bitmap property of a skin object.
class TSeBitmapLink : public TPersistent {
  CLASSLIB_CLASS(TSeBitmapLink, TPersistent)
  static const TPropertyTable* PublishedProperties();
  TSeBitmapLink() = default;

  TSeBitmap* GetBitmap() const { return FBitmap; }  // not owned
  void SetBitmap(TSeBitmap* value) { FBitmap = value; }
  int GetLeft() const { return FRect.Left; }
  void SetLeft(int value) { FRect.Left = value; }
  int GetTop() const { return FRect.Top; }
  void SetTop(int value) { FRect.Top = value; }
  int GetRight() const { return FRect.Right; }
  void SetRight(int value) { FRect.Right = value; }
  int GetBottom() const { return FRect.Bottom; }
  void SetBottom(int value) { FRect.Bottom = value; }
  TRect GetRect() const { return FRect; }
  void SetRect(const TRect& value) { FRect = value; }
  const String& GetName() const { return FName; }
  void SetName(const String& value) { FName = value; }
  // A bitmap is linked and the rectangle has a positive area.
  bool Valid() const;

  void Assign(TPersistent* source) override;

 private:
  TSeBitmap* FBitmap = nullptr;  // not owned; nullptr until resolved
  TRect FRect;                   // the part of the bitmap
  String FName;                  // the name of the bitmap it points into
};

// The bitmaps of a skin, owned.
class TSeBitmapList {
 public:
  TSeBitmapList() = default;
  ~TSeBitmapList() = default;
  TSeBitmapList(const TSeBitmapList&) = delete;
  TSeBitmapList& operator=(const TSeBitmapList&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  // nullptr outside 0..Count-1.
  TSeBitmap* Get(int index) const;
  // Takes ownership.
  void Add(std::unique_ptr<TSeBitmap> bitmap);
  void Clear() { FItems.clear(); }
  // A new link (the caller owns it) to rect of the last bitmap named name (without regard to
  // case); nullptr when none is.
  std::unique_ptr<TSeBitmapLink> GetBitmapLink(const String& name, const TRect& rect) const;

 private:
  std::vector<std::unique_ptr<TSeBitmap>> FItems;
};
