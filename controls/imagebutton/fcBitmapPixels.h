// Pixel work of the image-button library on raw 24-bit buffers: the colour helpers, a view
// over a buffer, and every effect, the smooth stretch, the mask and the region runs. None of
// this touches GDI (except the system-colour lookup of ColorToBytes), so all of it can be
// exercised on plain memory.
//
// Buffer layout: 3 bytes per pixel in the order blue, green, red; rows top to bottom; every
// row is Width * 3 + Width mod 4 bytes long, so that it ends on a multiple of 4. The bytes
// that pad a row are never read or written by the effects.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
#include "classlib/graphics/Colors.h"
#include "classlib/graphics/Types.h"

// ---- Colours -------------------------------------------------------------------------------

// One pixel as it is stored: blue, green, red.
struct TfcColor {
  uint8_t B = 0;
  uint8_t G = 0;
  uint8_t R = 0;

  friend constexpr bool operator==(const TfcColor& a, const TfcColor& b) {
    return a.B == b.B && a.G == b.G && a.R == b.R;
  }
};
static_assert(sizeof(TfcColor) == 3, "a TfcColor is one pixel of the buffer");

inline constexpr TfcColor fcWhitePixel{255, 255, 255};
inline constexpr TfcColor fcBlackPixel{0, 0, 0};

// A colour packed as red shl 16 + green shl 8 + blue: the pixel's three bytes read as one
// little-endian number. The keys of MaskByColor and ReplaceColor are given this way.
using TfcPackedColor = uint32_t;

constexpr TfcPackedColor PackPixel(TfcColor c) {
  return static_cast<TfcPackedColor>(c.R) << 16 | static_cast<TfcPackedColor>(c.G) << 8 | c.B;
}
constexpr TfcColor UnpackPixel(TfcPackedColor packed) {
  return TfcColor{static_cast<uint8_t>(packed), static_cast<uint8_t>(packed >> 8),
                  static_cast<uint8_t>(packed >> 16)};
}

// The colour's bytes in pixel order; a system colour is first translated to its RGB.
TfcColor ColorToBytes(TColor color);
// The colour value red + green shl 8 + blue shl 16 of a packed colour.
TColor PackedToColor(TfcPackedColor packed);
// The plain colour of a stored pixel.
constexpr TColor PixelToColor(TfcColor c) { return RGBColor(c.R, c.G, c.B); }

// A colour split into its four bytes, most significant first: the high byte (0 after the
// RGB translation), blue, green, red.
struct TfcColorQuad {
  uint8_t High = 0;
  uint8_t Blue = 0;
  uint8_t Green = 0;
  uint8_t Red = 0;
};
TfcColorQuad ColorToRGBQuad(TColor color);

// 0 below 0, 255 above 255, else v.
constexpr uint8_t ClampByte(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }
// hi when v > hi, lo when v < lo, else v (hi wins when lo > hi).
constexpr int ClampRange(int v, int lo, int hi) { return v > hi ? hi : (v < lo ? lo : v); }

// Turns colour-table entries from blue-green-red-x into red-green-blue-0 (and back): byte 0
// and byte 2 of each entry are swapped and byte 3 cleared, from the last entry to the first.
void SwapColorEntries(uint32_t* entries, int count);

// ---- Buffers --------------------------------------------------------------------------------

// Bytes of one row of a 24-bit image of that width (a multiple of 4).
constexpr int fcRowStride(int width) { return width * 3 + width % 4; }

// A view over a 24-bit top-down buffer someone else owns. Empty when it has no pixels.
struct TfcPixelView {
  uint8_t* Bits = nullptr;  // first byte of row 0 (the top row); not owned
  int Width = 0;
  int Height = 0;
  int RowStride = 0;  // bytes from one row to the next

  bool Empty() const { return Bits == nullptr || Width <= 0 || Height <= 0; }
  uint8_t* Row(int y) const { return Bits + static_cast<ptrdiff_t>(y) * RowStride; }
  TfcColor* Pixels(int y) const { return reinterpret_cast<TfcColor*>(Row(y)); }
  TfcColor& At(int x, int y) const { return Pixels(y)[x]; }
  bool SameSize(const TfcPixelView& other) const {
    return Width == other.Width && Height == other.Height;
  }
};

// A 24-bit buffer in memory, for temporary images and for tests. Dimensions below 1 give an
// empty buffer.
class TfcPixelBuffer {
 public:
  TfcPixelBuffer() = default;
  TfcPixelBuffer(int width, int height, TfcColor fill = fcWhitePixel);

  TfcPixelView View();
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  TfcColor& At(int x, int y) { return View().At(x, y); }

 private:
  std::vector<uint8_t> FBytes;  // the rows, padding included
  int FWidth = 0;
  int FHeight = 0;
};

namespace fcPixels {

// Every pixel := colour. Copies src into dst when both have the same size (rows only, the
// padding is left alone).
void Fill(const TfcPixelView& image, TfcColor color);
void Copy(const TfcPixelView& src, const TfcPixelView& dst);

// ---- Effects (all in place) ----------------------------------------------------------------
void GrayScale(const TfcPixelView& image);
void Lightness(const TfcPixelView& image, int amount);
void Contrast(const TfcPixelView& image, int amount);
void Saturation(const TfcPixelView& image, int amount);
// Pixels equal to *keep (when given) are left alone.
void Colorize(const TfcPixelView& image, int r, int g, int b, const TfcColor* keep);
void AddColor(const TfcPixelView& image, int r, int g, int b);
void Invert(const TfcPixelView& image);
void Emboss(const TfcPixelView& image);
void BlurStep(const TfcPixelView& image, int radius);
void GaussianBlur(const TfcPixelView& image, int amount);
void Sharpen(const TfcPixelView& image, int amount);
// Draws three numbers per pixel from the class library's generator (Random).
void Sponge(const TfcPixelView& image, int amount);
void Flip(const TfcPixelView& image, bool horizontal);
void Wave(const TfcPixelView& image, double xDiv, double yDiv, double ratio, bool wrap);
// A negative center.X or center.Y means the middle of that axis.
void Rotate(const TfcPixelView& image, TPoint center, double angle);
// Key pixels black, all others white.
void MaskByColor(const TfcPixelView& image, TfcColor key);
void ReplaceColor(const TfcPixelView& image, TfcColor newColor, TfcColor oldColor);
// Mixes blend (of image's size) into image by amount/256; blend pixels equal to *key (when
// given) leave image unchanged.
void AlphaBlend(const TfcPixelView& image, const TfcPixelView& blend, int amount,
                const TfcColor* key);

// ---- Resampling and regions ----------------------------------------------------------------
// Bilinear resampling of src into the whole of dst (15-bit fixed point).
void SmoothStretch(const TfcPixelView& src, const TfcPixelView& dst);
// The runs of pixels that differ from key, row by row, each a rectangle one pixel high.
std::vector<TRect> RegionRuns(const TfcPixelView& image, TfcColor key);

}  // namespace fcPixels
