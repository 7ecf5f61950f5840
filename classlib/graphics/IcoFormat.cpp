// Icon files.
//
// An icon file starts with a 6-byte directory header: reserved (0), type (1 for icons),
// image count. Then one 16-byte entry per image: width, height (0 meaning 256), colour
// count, reserved, planes, bits per pixel, the image's size in bytes and its offset from
// the start of the file. All numbers are little-endian.
//
// An image is either a PNG file or a bitmap without its file header: a BITMAPINFOHEADER
// whose height counts both halves (twice the icon's height), the colour table, the colour
// (XOR) rows and then the 1-bit AND mask rows, both bottom-up and padded to 4 bytes.
//
// Nothing in the directory is trusted: each offset and size is checked against the file,
// each image header against its own bytes, and the sizes the directory's single bytes
// give are ignored in favour of the image headers.
#include "IcoFormat.h"

#include <cstdlib>
#include <cstring>

#include "../system/SysExceptions.h"

namespace {

constexpr size_t kDirHeaderSize = 6;
constexpr size_t kDirEntrySize = 16;
constexpr size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr size_t kPngHeaderEnd = 8 + 8 + 13;  // signature, IHDR length and type, IHDR data

[[noreturn]] void RaiseInvalidIcon() { throw EInvalidGraphic(L"Icon image is not valid"); }

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadU32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }
uint32_t ReadU32BigEndian(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

void WriteU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void WriteU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool IsSideValid(int64_t side) { return side >= 1 && side <= kMaxIconSide; }

// A PNG image: the signature and the IHDR chunk that must follow it.
void CheckPngImage(const uint8_t* image, TIcoEntry& entry) {
  if (entry.Size < kPngHeaderEnd) RaiseInvalidIcon();
  if (ReadU32BigEndian(image + 8) != 13 || std::memcmp(image + 12, "IHDR", 4) != 0)
    RaiseInvalidIcon();
  const int64_t width = ReadU32BigEndian(image + 16);
  const int64_t height = ReadU32BigEndian(image + 20);
  if (!IsSideValid(width) || !IsSideValid(height)) RaiseInvalidIcon();
  entry.Width = static_cast<int>(width);
  entry.Height = static_cast<int>(height);
  entry.BitCount = 32;
  entry.IsPng = true;
}

// A bitmap image: header, optional bit-field masks, colour table, colour rows, mask rows.
void CheckBitmapImage(const uint8_t* image, TIcoEntry& entry) {
  if (entry.Size < kInfoHeaderSize) RaiseInvalidIcon();
  const uint32_t headerSize = ReadU32(image);
  const int64_t width = ReadI32(image + 4);
  const int64_t doubleHeight = ReadI32(image + 8);
  const uint16_t planes = ReadU16(image + 12);
  const uint16_t bitCount = ReadU16(image + 14);
  const uint32_t compression = ReadU32(image + 16);
  const uint32_t colorsUsed = ReadU32(image + 32);

  if (headerSize < kInfoHeaderSize || headerSize > entry.Size) RaiseInvalidIcon();
  if (doubleHeight <= 0 || doubleHeight % 2 != 0) RaiseInvalidIcon();
  const int64_t height = doubleHeight / 2;
  if (!IsSideValid(width) || !IsSideValid(height) || planes != 1) RaiseInvalidIcon();
  switch (bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: RaiseInvalidIcon();
  }

  uint64_t masksSize = 0;
  if (compression == kBiBitfields) {
    if (bitCount != 16 && bitCount != 32) RaiseInvalidIcon();
    if (headerSize == kInfoHeaderSize) masksSize = 12;  // larger headers hold the masks
  } else if (compression != kBiRgb) {
    RaiseInvalidIcon();
  }

  uint64_t colorCount = colorsUsed;
  if (bitCount <= 8) {
    const uint32_t maxColors = 1u << bitCount;
    if (colorCount == 0) colorCount = maxColors;
    if (colorCount > maxColors) RaiseInvalidIcon();
  } else if (colorCount > 256) {
    RaiseInvalidIcon();
  }

  const uint64_t colorEnd = headerSize + masksSize + colorCount * 4 +
                            IcoColorStride(static_cast<int>(width), bitCount) * height;
  const uint64_t needed = colorEnd + IcoMaskStride(static_cast<int>(width)) * height;
  entry.HasMask = needed <= entry.Size;
  if (!entry.HasMask && (bitCount != 32 || colorEnd > entry.Size)) RaiseInvalidIcon();
  entry.MaskOffset = static_cast<uint32_t>(colorEnd);
  entry.Width = static_cast<int>(width);
  entry.Height = static_cast<int>(height);
  entry.BitCount = bitCount;
  entry.IsPng = false;
}

}  // namespace

std::vector<TIcoEntry> ReadIcoDirectory(const uint8_t* data, size_t size) {
  if (!data || size < kDirHeaderSize) RaiseInvalidIcon();
  const uint16_t reserved = ReadU16(data);
  const uint16_t type = ReadU16(data + 2);
  const uint16_t count = ReadU16(data + 4);
  if (reserved != 0 || type != 1 || count == 0) RaiseInvalidIcon();
  const uint64_t directoryEnd = kDirHeaderSize + uint64_t{count} * kDirEntrySize;
  if (directoryEnd > size) RaiseInvalidIcon();

  std::vector<TIcoEntry> entries(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* raw = data + kDirHeaderSize + i * kDirEntrySize;
    TIcoEntry& entry = entries[i];
    entry.Size = ReadU32(raw + 8);
    entry.Offset = ReadU32(raw + 12);
    if (entry.Offset < directoryEnd || uint64_t{entry.Offset} + entry.Size > size)
      RaiseInvalidIcon();
    const uint8_t* image = data + entry.Offset;
    if (entry.Size >= sizeof kPngSignature &&
        std::memcmp(image, kPngSignature, sizeof kPngSignature) == 0)
      CheckPngImage(image, entry);
    else
      CheckBitmapImage(image, entry);
  }
  return entries;
}

std::vector<uint8_t> IcoImageWithAlphaMask(const uint8_t* image, const TIcoEntry& entry) {
  const size_t colorStride = IcoColorStride(entry.Width, 32);
  const size_t maskStride = IcoMaskStride(entry.Width);
  const size_t height = static_cast<size_t>(entry.Height);
  const uint8_t* rows = image + entry.MaskOffset - colorStride * height;
  bool anyAlpha = false;
  for (size_t i = 3; i < colorStride * height && !anyAlpha; i += 4) anyAlpha = rows[i] != 0;
  std::vector<uint8_t> out(image, image + entry.MaskOffset);
  out.resize(out.size() + maskStride * height, 0);
  if (!anyAlpha) return out;
  uint8_t* mask = out.data() + entry.MaskOffset;
  for (size_t y = 0; y < height; ++y)
    for (int x = 0; x < entry.Width; ++x)
      if (rows[colorStride * y + static_cast<size_t>(x) * 4 + 3] == 0)
        mask[maskStride * y + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  return out;
}

int ChooseIcoEntry(const std::vector<TIcoEntry>& entries, int width, int height) {
  if (width <= 0 || height <= 0) {
    width = entries.front().Width;
    height = entries.front().Height;
  }
  int best = 0;
  int bestDistance = -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    const int distance = std::abs(entries[i].Width - width) + std::abs(entries[i].Height - height);
    if (bestDistance < 0 || distance < bestDistance ||
        (distance == bestDistance && entries[i].BitCount > entries[best].BitCount)) {
      best = static_cast<int>(i);
      bestDistance = distance;
    }
  }
  return best;
}

std::vector<uint8_t> WriteIcoFile(int width, int height, int bitCount, const uint8_t* colorBits,
                                  const uint8_t* maskBits) {
  const size_t colorBytes = IcoColorStride(width, bitCount) * height;
  const size_t maskBytes = IcoMaskStride(width) * height;
  const uint32_t imageSize = static_cast<uint32_t>(kInfoHeaderSize + colorBytes + maskBytes);
  const uint32_t imageOffset = kDirHeaderSize + kDirEntrySize;

  std::vector<uint8_t> out;
  out.reserve(imageOffset + imageSize);
  WriteU16(out, 0);  // reserved
  WriteU16(out, 1);  // icon
  WriteU16(out, 1);  // one image
  out.push_back(static_cast<uint8_t>(width >= 256 ? 0 : width));
  out.push_back(static_cast<uint8_t>(height >= 256 ? 0 : height));
  out.push_back(0);  // colour count: none below 8 bits per pixel
  out.push_back(0);
  WriteU16(out, 1);  // planes
  WriteU16(out, static_cast<uint16_t>(bitCount));
  WriteU32(out, imageSize);
  WriteU32(out, imageOffset);

  WriteU32(out, kInfoHeaderSize);
  WriteU32(out, static_cast<uint32_t>(width));
  WriteU32(out, static_cast<uint32_t>(height * 2));  // colour and mask halves
  WriteU16(out, 1);
  WriteU16(out, static_cast<uint16_t>(bitCount));
  WriteU32(out, kBiRgb);
  WriteU32(out, static_cast<uint32_t>(colorBytes + maskBytes));
  for (int i = 0; i < 4; ++i) WriteU32(out, 0);  // resolution and colour counts
  out.insert(out.end(), colorBits, colorBits + colorBytes);
  out.insert(out.end(), maskBits, maskBits + maskBytes);
  return out;
}
