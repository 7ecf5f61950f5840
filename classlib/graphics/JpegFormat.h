// Decoding of JPEG files into plain 24-bit pixels. Pure: no GDI, no class-library objects;
// TJPEGImage (Jpeg.h) builds its bitmap from the result.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A decoded picture: Width * Height pixels, rows top-down, each row Width * 3 bytes in the
// order blue, green, red, with no padding between rows.
struct TJpegPixels {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Bgr;
};

// The largest picture the decoder accepts, in pixels (width * height); anything larger is
// refused before memory is allocated for it.
constexpr int64_t kMaxJpegPixels = 40'000'000;

// Decodes a whole JPEG file held in memory (baseline or progressive; grayscale, YCbCr, RGB,
// CMYK and YCCK are all converted to BGR). Raises EInvalidGraphic when the data is not a
// JPEG, is damaged or cut short, or declares dimensions beyond kMaxJpegPixels.
TJpegPixels DecodeJpeg(const uint8_t* data, size_t size);

// Reads only the header and gives the picture's dimensions; same errors as DecodeJpeg for
// a header that is missing, damaged or too large.
void ReadJpegSize(const uint8_t* data, size_t size, int& width, int& height);
