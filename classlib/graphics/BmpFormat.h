// BMP files and packed DIBs, decoded from and encoded to byte buffers. Nothing here touches
// GDI: the decoded image is laid out as a DIB section wants its bits, so the bitmap class
// copies it into one as it is, and the tests check the decoder directly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
#include "../system/Win.h"

// A decoded image in DIB layout.
struct TBmpImage {
  int Width = 0;                  // pixels, 1..32768
  int Height = 0;                 // pixels, 1..32768; rows in Bits are bottom-up
  int BitCount = 0;               // 1, 4, 8, 16, 24 or 32
  bool Bitfields565 = false;      // 16-bit pixels are 5-6-5 (BI_BITFIELDS); otherwise 5-5-5
  std::vector<RGBQUAD> Palette;   // the colour table of a 1-, 4- or 8-bit image
  std::vector<uint8_t> Bits;      // Height rows of RowBytes() bytes, the bottom row first

  int RowBytes() const;
};

// Bytes in one DIB row: width * bitCount bits, rounded up to whole 32-bit words.
// Returns -1 when the result does not fit in an int.
int DibRowBytes(int width, int bitCount);

// Largest width and height accepted, and the largest pixel count (Width * Height).
inline constexpr int MaxBmpDimension = 32768;
inline constexpr int64_t MaxBmpPixels = 256LL * 1024 * 1024;

// Decodes a BMP file (file header, info header, colour table, pixels). EInvalidGraphic names
// what is wrong; nothing outside [data, data + size) is read.
TBmpImage DecodeBmp(const uint8_t* data, size_t size);
// The sides a BMP file's info header declares (the height always positive), read and checked
// as DecodeBmp reads them, before any pixel is decoded. EInvalidGraphic as DecodeBmp.
void ReadBmpSides(const uint8_t* data, size_t size, int& width, int& height);
// Decodes a packed DIB (info header, colour table, pixels) as the clipboard's CF_DIB and
// bitmap resources hold it.
TBmpImage DecodePackedDib(const uint8_t* data, size_t size);

// Encodes a BMP file: BITMAPFILEHEADER, BITMAPINFOHEADER, the colour masks of a 5-6-5 image
// or the colour table of a <= 8-bit one, and the rows bottom-up. EInvalidGraphic when the
// image is not consistent (size, bit count, Bits too short).
std::vector<uint8_t> EncodeBmp(const TBmpImage& image);
