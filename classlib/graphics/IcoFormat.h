// The icon file format (.ico): reading and checking its directory, choosing an image, and
// writing a file of one image. Pure: no GDI; TIcon (Icon.h) turns images into handles.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The largest icon side accepted, in pixels (the system's own icons stop at 256).
constexpr int kMaxIconSide = 1024;

// One image of an icon file, as checked by ReadIcoDirectory.
struct TIcoEntry {
  int Width = 0;        // from the image's own header, not from the directory byte
  int Height = 0;
  int BitCount = 0;     // bits per pixel of the colour image (32 for PNG images)
  bool IsPng = false;   // a PNG file rather than a bitmap with an AND mask
  uint32_t Offset = 0;  // where the image starts in the file, in bytes
  uint32_t Size = 0;    // its length in bytes; Offset + Size lies inside the file
  // A 32-bit bitmap image may end after its colour rows, without the AND mask (common in
  // files from the web; the system accepts them): its alpha channel then serves as mask.
  bool HasMask = true;
  uint32_t MaskOffset = 0;  // bitmap images: where the mask starts (the colour rows end)
};

// Reads the directory of an icon file held in memory and checks every image it lists:
// offsets and sizes inside the data, headers complete, dimensions within kMaxIconSide, the
// colour table, pixels and mask inside the image's bytes. Raises EInvalidGraphic
// "Icon image is not valid" at the first fault.
std::vector<TIcoEntry> ReadIcoDirectory(const uint8_t* data, size_t size);

// The bitmap image of entry (HasMask false) with the AND mask its alpha channel gives
// appended: a pixel of alpha 0 is transparent. An image whose alpha is 0 everywhere has no
// alpha channel and is taken as opaque. image points at the entry's bytes.
std::vector<uint8_t> IcoImageWithAlphaMask(const uint8_t* image, const TIcoEntry& entry);

// The index of the entry nearest to width x height (the first entry's size when either is
// 0). Among equally near entries the one with more colours wins. entries must not be empty.
int ChooseIcoEntry(const std::vector<TIcoEntry>& entries, int width, int height);

// Writes an icon file of one bitmap image. colorBits holds height rows of the colour image
// bottom-up, each padded to 4 bytes, at bitCount bits per pixel (24 or 32, no colour table);
// maskBits holds the AND mask: height rows bottom-up of 1 bit per pixel, padded to 4 bytes.
std::vector<uint8_t> WriteIcoFile(int width, int height, int bitCount, const uint8_t* colorBits,
                                  const uint8_t* maskBits);

// Row sizes of the two images of a bitmap icon.
inline size_t IcoColorStride(int width, int bitCount) {
  return ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
}
inline size_t IcoMaskStride(int width) { return ((static_cast<size_t>(width) + 31) / 32) * 4; }
