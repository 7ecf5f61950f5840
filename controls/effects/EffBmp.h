// EffBmp: the pixel buffer the effect controls compute their effects on.
//
// TEffectPixels is a view of 24-bit top-down rows in memory (3 bytes a pixel, blue, green,
// red; every row padded to a 4-byte boundary, 3 × width + width mod 4 bytes) with the
// per-pixel operations: colour noise, colour mixing, a small blur, linear colour gradients
// in six directions and averaging with a second buffer. It owns nothing, so the operations
// run on any buffer of that layout, also without a window or a device context.
//
// TEffectBmp owns such rows as a DIB section: it is made from a bitmap handle (a copy of
// the bitmap converted to 24 bits), runs the operations on its rows, and draws itself onto a
// device context. A control makes one from its off-screen bitmap, runs its effects, draws it
// back and frees it.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include "classlib/classes/Object.h"
#include "classlib/classes/Properties.h"
#include "classlib/graphics/Colors.h"
#include "classlib/graphics/GdiHandles.h"

// Direction of FillGradient: where the gradient colour covers the image fully (the weight
// of the image t is 0 there) and from where t grows to 1.
enum TGradKind {
  gdRight,    // from the right column leftwards
  gdLeft,     // from the left column rightwards
  gdTop,      // from the top row downwards
  gdBottom,   // from the bottom row upwards
  gdVCenter,  // from the middle column outwards, to the left and to the right
  gdHCenter   // from the middle row outwards, downwards and upwards
};
extern const TEnumInfo GradKindIdents;  // "gdRight" ... "gdHCenter", for published properties

// Bytes of one row of `width` pixels: 3 × width + width mod 4 (a multiple of 4).
int EffectRowBytes(int width);

// ---- TEffectPixels ----------------------------------------------------------------------
// A view of Height rows of Width 24-bit pixels starting at Bits (row 0 the top one), each
// EffectRowBytes(Width) bytes long. The view owns nothing; the memory must outlive it.
// An empty view (no bits, or a zero size) makes every operation do nothing.
class TEffectPixels {
 public:
  TEffectPixels() = default;
  TEffectPixels(uint8_t* bits, int width, int height);

  // ---- Attributes ----------------------------------------------------------------------
  uint8_t* GetBits() const { return FBits; }
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  int GetRowBytes() const { return FRowBytes; }
  int GetImageSize() const { return FRowBytes * FHeight; }
  bool GetEmpty() const { return !FBits || FWidth <= 0 || FHeight <= 0; }

  // ---- Rows ----------------------------------------------------------------------------
  // The first byte of row y. ERangeError "Scan line index out of range" outside 0..Height-1.
  uint8_t* ScanLine(int y) const;
  // Copies the 3 × Width pixel bytes of row y out to buffer / in from buffer (no padding).
  // ERangeError when y is out of range or the buffer is shorter than 3 × Width bytes.
  void GetLine(int y, std::span<uint8_t> buffer) const;
  void SetLine(int y, std::span<const uint8_t> buffer) const;

  // ---- Operations (all in place; results clamped to 0..255) ------------------------------
  // Adds r - amount div 2 to red, then green, then blue of every pixel (rows from the top,
  // pixels from the left), r a fresh Random(amount) each time. amount <= 0 does nothing.
  void AddColorNoise(int amount) const;
  // Every channel becomes (channel + colour's channel) div 2; system colours are resolved.
  void MixColor(TColor color) const;
  // Every channel becomes the average (div 4) of the four pixels `distance` rows above and
  // below and `distance` columns left and right; where one of them lies outside the image
  // the pixel's own row or column stands in. Rows are done from the top, so the rows above
  // have already been blurred when they are read. distance <= 0 does nothing.
  void Blur(int distance) const;
  // Every channel becomes Round(channel × t + colour's channel × (1 - t)) with the weight t
  // running from 0 to 1 in the direction of kind (see TGradKind). t never leaves 0..1;
  // along a direction of one pixel t is 0. An unknown kind does nothing.
  void FillGradient(TColor color, TGradKind kind) const;
  // Every channel becomes (own channel + other's channel) div 2; nothing when the sizes differ.
  void MixBitmap(const TEffectPixels& other) const;

  // The weight t of the image at position `index` (0-based column or row) of FillGradient
  // of `kind` over an image of width × height: what the operation mixes with.
  static double GradientWeight(TGradKind kind, int width, int height, int index);

 private:
  uint8_t* FBits = nullptr;  // row 0; not owned
  int FWidth = 0;            // pixels per row
  int FHeight = 0;           // rows
  int FRowBytes = 0;         // EffectRowBytes(FWidth)
};

// ---- TEffectBmp -------------------------------------------------------------------------
class TEffectBmp : public TObject {
  CLASSLIB_CLASS(TEffectBmp, TObject)
  // An image of width × height pixels, all black. A size of 0 (or less) gives an empty
  // buffer on which every operation does nothing. EOutOfResources when the system cannot
  // make the DIB section.
  TEffectBmp(int width, int height);
  ~TEffectBmp() override = default;  // the DIB section goes with FSection

  // A copy of the bitmap (any format) as 24-bit pixels. The bitmap must not be selected
  // into a device context. EInvalidGraphic when the handle is not a bitmap;
  // EOutOfResources when the system cannot make the DIB section.
  static std::unique_ptr<TEffectBmp> CreateFromBitmap(HBITMAP bitmap);

  // ---- Attributes ----------------------------------------------------------------------
  int GetWidth() const { return FPixels.GetWidth(); }
  int GetHeight() const { return FPixels.GetHeight(); }
  int GetImageSize() const { return FPixels.GetImageSize(); }  // bytes of all rows
  HBITMAP GetHandle() const { return FSection.get(); }           // the DIB section; still owned
  // The rows as a view for the raw-buffer operations.
  const TEffectPixels& GetPixels() const { return FPixels; }

  // ---- Rows (as TEffectPixels) -----------------------------------------------------------
  uint8_t* ScanLine(int y) const { return FPixels.ScanLine(y); }
  void GetLine(int y, std::span<uint8_t> buffer) const { FPixels.GetLine(y, buffer); }
  void SetLine(int y, std::span<const uint8_t> buffer) const { FPixels.SetLine(y, buffer); }

  // ---- Operations ----------------------------------------------------------------------
  // Copies the whole image to dc at (x, y) without stretching.
  void Draw(HDC dc, int x, int y) const;
  void AddColorNoise(int amount) const { FPixels.AddColorNoise(amount); }
  void MixColor(TColor color) const { FPixels.MixColor(color); }
  void Blur(int distance) const { FPixels.Blur(distance); }
  void FillGradient(TColor color, TGradKind kind) const { FPixels.FillGradient(color, kind); }
  void MixBitmap(const TEffectBmp& other) const { FPixels.MixBitmap(other.FPixels); }

 private:
  BITMAPINFO FBitmapInfo{};  // 24 bits, top-down (negative height); given to the GDI calls
  UniqueBitmap FSection;     // the DIB section holding the rows; owned
  TEffectPixels FPixels;     // view of the section's rows
};
