// Decoding and encoding of BMP files.
//
// The format. A BMP file is a 14-byte file header, an info header, optional colour masks, an
// optional colour table and the pixel rows:
//
//   file header   "BM", file size (u32, not trusted), two reserved u16, pixel offset (u32)
//   info header   its own size first (u32), which tells the kind:
//                 12       the old core header: width, height, planes, bit count as u16;
//                          the colour table holds 3-byte entries (blue, green, red)
//                 40       width and height (i32), planes, bit count (u16), compression,
//                          image size, two resolutions, colours used, colours important (u32)
//                 52, 56   as 40 with the red, green, blue (and alpha) masks following
//                 108, 124 the V4 and V5 headers: as 56 plus colour space data we ignore
//   masks         with BI_BITFIELDS and a 40-byte header: three u32 masks after the header
//   colour table  for 1, 4 and 8 bits: "colours used" entries of 4 bytes (0 means 2^bits);
//                 for more bits the table is optional and skipped
//   pixels        rows of width * bits, each padded to a multiple of 4 bytes; the bottom
//                 row first when the height is positive, the top row first when negative
//
// Compression BI_RLE8 (8 bits) and BI_RLE4 (4 bits) replace the rows by byte pairs: a
// count n > 0 and a value repeat the value (RLE4: its two nibbles alternately) n times; a 0
// and an escape byte end the line (0), end the bitmap (1), move by a delta (2, then dx, dy)
// or start an absolute run (3..255 pixels copied as they stand, padded to a 16-bit word).
// 16-bit pixels are 5-5-5 unless BI_BITFIELDS gives other masks; 32-bit pixels are B, G, R
// and an unused (or alpha) byte unless BI_BITFIELDS says otherwise.
//
// The method. The whole file is in memory. Every length and offset the file declares is
// checked against the bytes that remain before it is used: the header size, the masks, the
// colour table (its declared count times its entry size), the pixel offset and the pixel
// rows (row bytes times height, computed in 64 bits). Width and height must lie in
// 1..32768 and their product within 256M pixels before anything is allocated. The RLE
// decoder reads only inside the compressed data, clips every pixel it writes to the image,
// and ends when the data, the rows or the end-of-bitmap code run out; each step consumes at
// least two bytes, so it always ends. Layouts a DIB section can hold as they are (palette
// images, 5-5-5, 5-6-5, 24-bit, 32-bit B-G-R-x) are copied; other bit fields are unpacked
// to 32-bit B-G-R-A. RLE images come out as plain 4- or 8-bit rows.
#include "BmpFormat.h"
#include <bit>
#include <cstring>
#include <new>
#include <stdexcept>
#include "../system/SysExceptions.h"

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

const wchar_t* const kInvalidBitmap = L"Bitmap image is not valid";

[[noreturn]] void Invalid() { throw EInvalidGraphic(kInvalidBitmap); }
[[noreturn]] void Invalid(const wchar_t* what) {
  throw EInvalidGraphic(String(kInvalidBitmap) + L": " + what);
}

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// What the info header says, after its own checks.
struct TDibHeader {
  size_t HeaderSize = 0;    // bytes of the info header
  bool Core = false;        // the 12-byte header with 3-byte colour entries
  int Width = 0;
  int Height = 0;           // always positive
  bool TopDown = false;     // the first stored row is the top one
  int BitCount = 0;
  uint32_t Compression = kBiRgb;
  uint32_t SizeImage = 0;   // declared bytes of compressed pixels (0: not given)
  uint32_t ColorsUsed = 0;  // declared colour table entries (0: 2^bits for <= 8 bits)
  uint32_t Masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha with BI_BITFIELDS
  bool MasksInHeader = false;        // the masks are part of the header (52 bytes or more)
};

bool IsValidBitCount(int bits, bool core) {
  switch (bits) {
    case 1: case 4: case 8: case 24: return true;
    case 16: case 32: return !core;
    default: return false;
  }
}

// Reads and checks the info header at data[0..size).
TDibHeader ParseInfoHeader(const uint8_t* data, size_t size) {
  TDibHeader h;
  if (size < 4) Invalid();
  h.HeaderSize = ReadU32(data);
  int64_t width = 0;
  int64_t height = 0;
  unsigned planes = 0;
  if (h.HeaderSize == 12) {
    if (size < 12) Invalid();
    h.Core = true;
    width = ReadU16(data + 4);
    height = ReadU16(data + 6);
    planes = ReadU16(data + 8);
    h.BitCount = ReadU16(data + 10);
  } else if (h.HeaderSize == 40 || h.HeaderSize == 52 || h.HeaderSize == 56 ||
             h.HeaderSize == 108 || h.HeaderSize == 124) {
    if (size < h.HeaderSize) Invalid();
    width = ReadI32(data + 4);
    height = ReadI32(data + 8);
    planes = ReadU16(data + 12);
    h.BitCount = ReadU16(data + 14);
    h.Compression = ReadU32(data + 16);
    h.SizeImage = ReadU32(data + 20);
    h.ColorsUsed = ReadU32(data + 32);
    if (h.HeaderSize >= 52) {
      h.MasksInHeader = true;
      for (int i = 0; i < 3; ++i) h.Masks[i] = ReadU32(data + 40 + 4 * i);
      if (h.HeaderSize >= 56) h.Masks[3] = ReadU32(data + 52);
    }
  } else {
    Invalid();
  }

  if (planes != 1) Invalid(L"the plane count is not 1");
  if (!IsValidBitCount(h.BitCount, h.Core)) Invalid(L"the bit count is not supported");
  switch (h.Compression) {
    case kBiRgb: break;
    case kBiRle8:
      if (h.BitCount != 8) Invalid(L"RLE8 compression needs 8 bits per pixel");
      break;
    case kBiRle4:
      if (h.BitCount != 4) Invalid(L"RLE4 compression needs 4 bits per pixel");
      break;
    case kBiBitfields:
      if (h.BitCount != 16 && h.BitCount != 32)
        Invalid(L"bit fields need 16 or 32 bits per pixel");
      break;
    default: Invalid(L"the compression method is not supported");
  }

  h.TopDown = height < 0;
  if (height < 0) height = -height;
  if (width < 1 || width > MaxBmpDimension) Invalid(L"the width is out of range");
  if (height < 1 || height > MaxBmpDimension) Invalid(L"the height is out of range");
  if (width * height > MaxBmpPixels) Invalid(L"the image has too many pixels");
  h.Width = static_cast<int>(width);
  h.Height = static_cast<int>(height);
  if (h.Compression != kBiRgb && h.Compression != kBiBitfields && h.TopDown)
    Invalid(L"a compressed image cannot be stored top-down");
  return h;
}

// One colour component of a bit-field pixel: where it lies and how wide it is.
struct TMaskField {
  int Shift = 0;
  int Bits = 0;  // 0: the component is absent

  explicit TMaskField(uint32_t mask) {
    if (mask == 0) return;
    Shift = std::countr_zero(mask);
    Bits = std::popcount(mask);
    if ((mask >> Shift) != (Bits == 32 ? 0xFFFFFFFFu : ((1u << Bits) - 1u)))
      Invalid(L"the colour masks are not valid");
  }
  // The component as 0..255.
  uint8_t Extract(uint32_t pixel) const {
    if (Bits == 0) return 0;
    uint32_t v = (pixel >> Shift) & (Bits == 32 ? 0xFFFFFFFFu : ((1u << Bits) - 1u));
    if (Bits >= 8) return static_cast<uint8_t>(v >> (Bits - 8));
    return static_cast<uint8_t>((v * 255u + ((1u << Bits) - 1u) / 2) / ((1u << Bits) - 1u));
  }
};

bool MasksAre(const uint32_t masks[3], uint32_t r, uint32_t g, uint32_t b) {
  return masks[0] == r && masks[1] == g && masks[2] == b;
}

// Allocates the pixel rows of the image; the size was checked against the limits before.
void AllocateBits(TBmpImage& image) {
  int rowBytes = image.RowBytes();
  if (rowBytes < 0) Invalid(L"the image has too many pixels");
  try {
    image.Bits.assign(static_cast<size_t>(rowBytes) * static_cast<size_t>(image.Height), 0);
  } catch (const std::bad_alloc&) {
    throw EOutOfResources(L"Out of system resources");
  } catch (const std::length_error&) {
    throw EOutOfResources(L"Out of system resources");
  }
}

// The output row (bottom-up) that stored row `stored` goes to.
int OutputRow(const TDibHeader& h, int stored) {
  return h.TopDown ? h.Height - 1 - stored : stored;
}

// Copies uncompressed rows that a DIB section holds as they are.
void CopyRows(const TDibHeader& h, const uint8_t* pixels, TBmpImage& image) {
  size_t rowBytes = static_cast<size_t>(image.RowBytes());
  for (int row = 0; row < h.Height; ++row)
    std::memcpy(image.Bits.data() + rowBytes * OutputRow(h, row), pixels + rowBytes * row,
                rowBytes);
}

// Unpacks 16- or 32-bit bit-field rows into 32-bit B-G-R-A rows.
void UnpackBitfieldRows(const TDibHeader& h, const uint8_t* pixels, TBmpImage& image) {
  TMaskField red(h.Masks[0]), green(h.Masks[1]), blue(h.Masks[2]), alpha(h.Masks[3]);
  size_t srcRowBytes = static_cast<size_t>(DibRowBytes(h.Width, h.BitCount));
  size_t dstRowBytes = static_cast<size_t>(image.RowBytes());
  int bytesPerPixel = h.BitCount / 8;
  for (int row = 0; row < h.Height; ++row) {
    const uint8_t* src = pixels + srcRowBytes * row;
    uint8_t* dst = image.Bits.data() + dstRowBytes * OutputRow(h, row);
    for (int x = 0; x < h.Width; ++x, src += bytesPerPixel, dst += 4) {
      uint32_t pixel = bytesPerPixel == 2 ? ReadU16(src) : ReadU32(src);
      dst[0] = blue.Extract(pixel);
      dst[1] = green.Extract(pixel);
      dst[2] = red.Extract(pixel);
      dst[3] = alpha.Extract(pixel);
    }
  }
}

// Writes one 4- or 8-bit pixel into a row, ignoring pixels outside the image.
void SetIndexPixel(TBmpImage& image, int rowBytes, int x, int row, uint8_t value) {
  if (x < 0 || x >= image.Width || row < 0 || row >= image.Height) return;
  uint8_t* line = image.Bits.data() + static_cast<size_t>(rowBytes) * row;
  if (image.BitCount == 8) {
    line[x] = value;
  } else if (x % 2 == 0) {
    line[x / 2] = static_cast<uint8_t>((line[x / 2] & 0x0F) | (value << 4));
  } else {
    line[x / 2] = static_cast<uint8_t>((line[x / 2] & 0xF0) | (value & 0x0F));
  }
}

// Expands RLE8 or RLE4 data (the bottom row first) into the image's rows.
void DecodeRle(const uint8_t* data, size_t size, bool rle4, TBmpImage& image) {
  const int rowBytes = image.RowBytes();
  int x = 0;
  int row = 0;
  size_t pos = 0;
  // x and row are clamped just outside the image, so they never overflow however many
  // runs the data holds; pixels there are dropped.
  auto advance = [](int& value, int by, int limit) {
    value = value + by > limit ? limit : value + by;
  };
  while (row < image.Height) {
    if (pos == size) return;  // the data ends without the end-of-bitmap code: keep what came
    if (size - pos < 2) Invalid(L"the compressed pixel data is cut short");
    uint8_t count = data[pos];
    uint8_t value = data[pos + 1];
    pos += 2;
    if (count > 0) {  // a run of one value (RLE4: two nibbles alternately)
      for (int i = 0; i < count && x + i < image.Width; ++i) {
        uint8_t pixel = rle4 ? static_cast<uint8_t>(i % 2 == 0 ? value >> 4 : value & 0x0F) : value;
        SetIndexPixel(image, rowBytes, x + i, row, pixel);
      }
      advance(x, count, image.Width);
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++row;
        break;
      case 1:  // end of bitmap
        return;
      case 2:  // delta
        if (size - pos < 2) Invalid(L"the compressed pixel data is cut short");
        advance(x, data[pos], image.Width);
        advance(row, data[pos + 1], image.Height);
        pos += 2;
        break;
      default: {  // absolute run of `value` pixels, padded to a whole 16-bit word
        size_t dataBytes = rle4 ? (value + 1u) / 2u : value;
        size_t paddedBytes = (dataBytes + 1u) & ~static_cast<size_t>(1);
        if (size - pos < paddedBytes) Invalid(L"the compressed pixel data is cut short");
        for (int i = 0; i < value && x + i < image.Width; ++i) {
          uint8_t b = data[pos + (rle4 ? i / 2 : i)];
          uint8_t pixel = rle4 ? static_cast<uint8_t>(i % 2 == 0 ? b >> 4 : b & 0x0F) : b;
          SetIndexPixel(image, rowBytes, x + i, row, pixel);
        }
        advance(x, value, image.Width);
        pos += paddedBytes;
        break;
      }
    }
  }
}

// Decodes the DIB whose info header starts at data + headerOffset. pixelOffset is the
// file's pixel offset from data (0: right after the colour table, as in a packed DIB).
TBmpImage DecodeDibAt(const uint8_t* data, size_t size, size_t headerOffset,
                      size_t pixelOffset) {
  if (headerOffset > size) Invalid();
  TDibHeader h = ParseInfoHeader(data + headerOffset, size - headerOffset);
  uint64_t tableStart = headerOffset + h.HeaderSize;

  if (h.Compression == kBiBitfields && !h.MasksInHeader) {
    if (size - tableStart < 12) Invalid(L"the colour masks are cut short");
    for (int i = 0; i < 3; ++i) h.Masks[i] = ReadU32(data + tableStart + 4 * i);
    tableStart += 12;
  }

  // The colour table: the declared entries must lie inside the data.
  const uint64_t entrySize = h.Core ? 3 : 4;
  uint64_t tableEntries = h.ColorsUsed;
  if (h.BitCount <= 8 && tableEntries == 0) tableEntries = 1u << h.BitCount;
  if (h.Core && pixelOffset != 0 && pixelOffset >= tableStart) {
    // Old files may hold a shorter table; the pixel offset tells how long it is.
    uint64_t room = (pixelOffset - tableStart) / entrySize;
    if (room < tableEntries) tableEntries = room;
  }
  if (tableEntries * entrySize > size - tableStart)
    Invalid(L"the colour table is longer than the file");
  uint64_t tableEnd = tableStart + tableEntries * entrySize;

  TBmpImage image;
  image.Width = h.Width;
  image.Height = h.Height;
  if (h.BitCount <= 8) {
    uint64_t used = tableEntries < (1u << h.BitCount) ? tableEntries : (1u << h.BitCount);
    if (used == 0) Invalid(L"the colour table is missing");
    image.Palette.resize(static_cast<size_t>(used));
    for (size_t i = 0; i < image.Palette.size(); ++i) {
      const uint8_t* e = data + tableStart + i * entrySize;
      image.Palette[i] = RGBQUAD{e[0], e[1], e[2], 0};
    }
  }

  if (pixelOffset == 0) pixelOffset = static_cast<size_t>(tableEnd);
  if (pixelOffset > size) Invalid(L"the pixel data offset lies beyond the end of the file");
  if (pixelOffset < tableEnd) Invalid(L"the pixel data offset lies inside the headers");
  const uint8_t* pixels = data + pixelOffset;
  const uint64_t pixelBytes = size - pixelOffset;

  // The output layout.
  bool unpack = false;
  image.BitCount = h.BitCount;
  if (h.Compression == kBiBitfields) {
    if (h.BitCount == 16 && MasksAre(h.Masks, 0xF800, 0x07E0, 0x001F)) {
      image.Bitfields565 = true;
    } else if (h.BitCount == 16 && MasksAre(h.Masks, 0x7C00, 0x03E0, 0x001F)) {
    } else if (h.BitCount == 32 && MasksAre(h.Masks, 0xFF0000, 0xFF00, 0xFF)) {
    } else {
      unpack = true;
      image.BitCount = 32;
    }
  }

  if (h.Compression == kBiRle8 || h.Compression == kBiRle4) {
    uint64_t dataBytes = h.SizeImage == 0 ? pixelBytes : h.SizeImage;
    if (dataBytes > pixelBytes) Invalid(L"the compressed pixel data is cut short");
    AllocateBits(image);
    DecodeRle(pixels, static_cast<size_t>(dataBytes), h.Compression == kBiRle4, image);
    return image;
  }

  uint64_t rowBytes = static_cast<uint64_t>(DibRowBytes(h.Width, h.BitCount));
  if (rowBytes * static_cast<uint64_t>(h.Height) > pixelBytes)
    Invalid(L"the pixel data is cut short");
  AllocateBits(image);
  if (unpack)
    UnpackBitfieldRows(h, pixels, image);
  else
    CopyRows(h, pixels, image);
  return image;
}

}  // namespace

int TBmpImage::RowBytes() const { return DibRowBytes(Width, BitCount); }

int DibRowBytes(int width, int bitCount) {
  if (width < 0 || bitCount < 0) return -1;
  int64_t bytes = (static_cast<int64_t>(width) * bitCount + 31) / 32 * 4;
  return bytes > 0x7FFFFFFF ? -1 : static_cast<int>(bytes);
}

TBmpImage DecodeBmp(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kFileHeaderSize + 4) Invalid();
  if (data[0] != 'B' || data[1] != 'M') Invalid();
  return DecodeDibAt(data, size, kFileHeaderSize, ReadU32(data + 10));
}

void ReadBmpSides(const uint8_t* data, size_t size, int& width, int& height) {
  if (data == nullptr || size < kFileHeaderSize + 4) Invalid();
  if (data[0] != 'B' || data[1] != 'M') Invalid();
  const TDibHeader h = ParseInfoHeader(data + kFileHeaderSize, size - kFileHeaderSize);
  width = h.Width;
  height = h.Height;
}

TBmpImage DecodePackedDib(const uint8_t* data, size_t size) {
  if (data == nullptr) Invalid();
  return DecodeDibAt(data, size, 0, 0);
}

std::vector<uint8_t> EncodeBmp(const TBmpImage& image) {
  if (image.Width < 1 || image.Height < 1 || image.Width > MaxBmpDimension ||
      image.Height > MaxBmpDimension || !IsValidBitCount(image.BitCount, false))
    Invalid();
  const size_t rowBytes = static_cast<size_t>(image.RowBytes());
  const size_t pixelBytes = rowBytes * static_cast<size_t>(image.Height);
  if (image.Bits.size() < pixelBytes) Invalid(L"the pixel data is cut short");
  size_t paletteEntries = 0;
  if (image.BitCount <= 8) {
    paletteEntries = image.Palette.size();
    if (paletteEntries == 0 || paletteEntries > (1u << image.BitCount))
      Invalid(L"the colour table does not fit the bit count");
  }
  const bool masks = image.BitCount == 16 && image.Bitfields565;
  const size_t pixelOffset =
      kFileHeaderSize + kInfoHeaderSize + (masks ? 12 : 0) + paletteEntries * 4;
  const size_t fileSize = pixelOffset + pixelBytes;
  if (fileSize > 0xFFFFFFFFu) Invalid(L"the image has too many pixels");

  std::vector<uint8_t> out;
  out.reserve(fileSize);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  PutU32(out, static_cast<uint32_t>(fileSize));
  PutU16(out, 0);
  PutU16(out, 0);
  PutU32(out, static_cast<uint32_t>(pixelOffset));
  // BITMAPINFOHEADER
  PutU32(out, kInfoHeaderSize);
  PutU32(out, static_cast<uint32_t>(image.Width));
  PutU32(out, static_cast<uint32_t>(image.Height));  // positive: bottom-up
  PutU16(out, 1);
  PutU16(out, static_cast<uint16_t>(image.BitCount));
  PutU32(out, masks ? kBiBitfields : kBiRgb);
  PutU32(out, static_cast<uint32_t>(pixelBytes));
  PutU32(out, 0);  // horizontal resolution: not known
  PutU32(out, 0);  // vertical resolution
  PutU32(out, static_cast<uint32_t>(paletteEntries));
  PutU32(out, 0);  // every colour is important
  if (masks) {
    PutU32(out, 0xF800);
    PutU32(out, 0x07E0);
    PutU32(out, 0x001F);
  }
  for (size_t i = 0; i < paletteEntries; ++i) {
    const RGBQUAD& q = image.Palette[i];
    out.push_back(q.rgbBlue);
    out.push_back(q.rgbGreen);
    out.push_back(q.rgbRed);
    out.push_back(0);
  }
  out.insert(out.end(), image.Bits.begin(), image.Bits.begin() + pixelBytes);
  return out;
}
