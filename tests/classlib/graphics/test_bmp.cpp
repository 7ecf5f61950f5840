// BMP decoding and encoding on byte buffers: round trips of every bit count, hand-written
// RLE, OS/2 and top-down files, and damaged files that must be refused without a crash.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "classlib/graphics/BmpFormat.h"
#include "classlib/system/SysExceptions.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes& out, uint32_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void PutU32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void SetU32(Bytes& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// What a hand-written file declares.
struct FileSpec {
  int32_t Width = 0;
  int32_t Height = 0;
  uint16_t BitCount = 8;
  uint32_t Compression = BI_RGB;
  uint32_t ColorsUsed = 0;
  std::vector<uint32_t> Masks = {};  // written after a 40-byte header
  Bytes ColorTable = {};             // as it stands in the file
  Bytes Pixels = {};
  bool SizeImage = false;       // declare the size of Pixels in the header
};

// A BMP file with a BITMAPINFOHEADER.
Bytes InfoFile(const FileSpec& spec) {
  const uint32_t offset =
      14 + 40 + static_cast<uint32_t>(spec.Masks.size() * 4 + spec.ColorTable.size());
  const uint32_t pixels = static_cast<uint32_t>(spec.Pixels.size());
  Bytes out{'B', 'M'};
  for (uint32_t v : {offset + pixels, 0u, offset, 40u, uint32_t(spec.Width), uint32_t(spec.Height)})
    PutU32(out, v);
  PutU16(out, 1);
  PutU16(out, spec.BitCount);
  for (uint32_t v : {spec.Compression, spec.SizeImage ? pixels : 0u, 0u, 0u, spec.ColorsUsed, 0u})
    PutU32(out, v);
  for (uint32_t m : spec.Masks) PutU32(out, m);
  out.insert(out.end(), spec.ColorTable.begin(), spec.ColorTable.end());
  out.insert(out.end(), spec.Pixels.begin(), spec.Pixels.end());
  return out;
}

// A grey ramp of `count` colour-table entries (blue, green, red, 0).
Bytes GreyTable(int count) {
  Bytes table;
  for (int i = 0; i < count; ++i) table.insert(table.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
  return table;
}

// An image of the given layout whose pixel bits are a pattern that differs per row.
TBmpImage PatternImage(int width, int height, int bitCount, bool bitfields565 = false) {
  TBmpImage image;
  image.Width = width;
  image.Height = height;
  image.BitCount = bitCount;
  image.Bitfields565 = bitfields565;
  if (bitCount <= 8)
    for (int i = 0; i < (1 << bitCount); ++i)
      image.Palette.push_back(RGBQUAD{uint8_t(i * 3), uint8_t(255 - i), uint8_t(i * 7), 0});
  const int rowBytes = image.RowBytes();
  const int usedBytes = (width * bitCount + 7) / 8;
  const int usedBits = width * bitCount % 8;
  image.Bits.assign(static_cast<size_t>(rowBytes) * height, 0);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.Bits.data() + static_cast<size_t>(y) * rowBytes;
    for (int x = 0; x < usedBytes; ++x) row[x] = static_cast<uint8_t>(x * 31 + y * 17 + 5);
    // Keep the padding bits of the last byte clear, as GDI leaves them.
    if (usedBits != 0) row[usedBytes - 1] &= static_cast<uint8_t>(0xFF << (8 - usedBits));
  }
  return image;
}

// The index of pixel (x, row) of a decoded 4- or 8-bit image; row 0 is the bottom row.
int IndexAt(const TBmpImage& image, int x, int row) {
  const uint8_t* line = image.Bits.data() + static_cast<size_t>(image.RowBytes()) * row;
  if (image.BitCount == 8) return line[x];
  return x % 2 == 0 ? line[x / 2] >> 4 : line[x / 2] & 0x0F;
}

TBmpImage Decode(const Bytes& file) { return DecodeBmp(file.data(), file.size()); }

// Every damaged variant must be refused with EInvalidGraphic: no other exception, no crash.
void ExpectRefused(const Bytes& file, const char* what) {
  try {
    Decode(file);
    ADD_FAILURE() << what << ": accepted";
  } catch (const EInvalidGraphic&) {
  } catch (const std::exception& e) {
    ADD_FAILURE() << what << ": " << e.what();
  }
}

// A valid 8-bit file of 7 x 5 pixels with a full grey colour table.
Bytes Valid8BitFile() {
  FileSpec spec{.Width = 7, .Height = 5, .ColorTable = GreyTable(256)};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 8; ++x) spec.Pixels.push_back(static_cast<uint8_t>(x + 10 * y));
  return InfoFile(spec);
}

}  // namespace

// ---- Round trips -------------------------------------------------------------------------------

TEST(BmpFormat, EveryBitCountSurvivesARoundTrip) {
  struct Case {
    int BitCount;
    bool Bitfields565;
  };
  for (Case c : {Case{1, false}, Case{4, false}, Case{8, false}, Case{16, false},
                 Case{16, true}, Case{24, false}, Case{32, false}}) {
    SCOPED_TRACE(c.BitCount);
    const TBmpImage original = PatternImage(13, 6, c.BitCount, c.Bitfields565);
    const TBmpImage decoded = Decode(EncodeBmp(original));
    EXPECT_EQ(decoded.Width, 13);
    EXPECT_EQ(decoded.Height, 6);
    EXPECT_EQ(decoded.BitCount, c.BitCount);
    EXPECT_EQ(decoded.Bitfields565, c.Bitfields565);
    EXPECT_EQ(decoded.Bits, original.Bits);
    ASSERT_EQ(decoded.Palette.size(), original.Palette.size());
    for (size_t i = 0; i < decoded.Palette.size(); ++i)
      EXPECT_EQ(std::memcmp(&decoded.Palette[i], &original.Palette[i], sizeof(RGBQUAD)), 0);
  }
}

// ---- Hand-written files ---------------------------------------------------------------------------

TEST(BmpFormat, Rle8AndRle4EscapesDecode) {
  const TBmpImage rle8 = Decode(InfoFile({.Width = 6, .Height = 3, .Compression = BI_RLE8,
                                          .ColorsUsed = 8, .ColorTable = GreyTable(8),
                                          .Pixels = {
                                              3, 1,              // three pixels of 1
                                              0, 3, 2, 3, 4, 0,  // absolute run of 3, padded
                                              0, 0,              // end of line
                                              2, 5,              // two pixels of 5
                                              0, 2, 2, 1,        // delta: 2 right, 1 up
                                              2, 7,              // two pixels of 7
                                              0, 1},             // end of bitmap
                                          .SizeImage = true}));
  ASSERT_EQ(rle8.BitCount, 8);
  ASSERT_EQ(rle8.Palette.size(), 8u);
  const int expected8[3][6] = {{1, 1, 1, 2, 3, 4}, {5, 5, 0, 0, 0, 0}, {0, 0, 0, 0, 7, 7}};
  for (int row = 0; row < 3; ++row)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(IndexAt(rle8, x, row), expected8[row][x]) << x << "," << row;

  const TBmpImage rle4 = Decode(InfoFile({.Width = 5, .Height = 2, .BitCount = 4,
                                          .Compression = BI_RLE4, .ColorTable = GreyTable(16),
                                          .Pixels = {
                                              5, 0x12,  // 1 2 1 2 1
                                              0, 0,     // end of line
                                              0, 5, 0x34, 0x56, 0x70, 0x00,  // 5 nibbles, padded
                                              0, 1},
                                          .SizeImage = true}));
  ASSERT_EQ(rle4.BitCount, 4);
  const int expected4[2][5] = {{1, 2, 1, 2, 1}, {3, 4, 5, 6, 7}};
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(IndexAt(rle4, x, row), expected4[row][x]) << x << "," << row;
}

TEST(BmpFormat, RleRunsPastTheEdgeAreClipped) {
  const TBmpImage image = Decode(InfoFile(
      {.Width = 2, .Height = 2, .Compression = BI_RLE8, .ColorsUsed = 4, .ColorTable = GreyTable(4),
       .Pixels = {255, 3, 255, 3, 0, 2, 255, 255, 9, 1, 0, 1}}));  // long runs, a huge delta
  EXPECT_EQ(IndexAt(image, 0, 0), 3);
  EXPECT_EQ(IndexAt(image, 1, 0), 3);
  EXPECT_EQ(IndexAt(image, 0, 1), 0);
}

TEST(BmpFormat, Os2CoreHeaderFileDecodes) {
  Bytes file{'B', 'M'};
  for (uint32_t v : {0u, 0u, 14u + 12 + 6, 12u}) PutU32(file, v);  // untrusted size; core header
  for (uint32_t v : {3u, 2u, 1u, 1u}) PutU16(file, v);             // width, height, planes, bits
  file.insert(file.end(), {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00});  // red, blue (B, G, R)
  file.insert(file.end(), {0xA0, 0, 0, 0, 0x40, 0, 0, 0});        // rows: 101, 010
  const TBmpImage image = Decode(file);
  EXPECT_EQ(image.Width, 3);
  EXPECT_EQ(image.Height, 2);
  ASSERT_EQ(image.Palette.size(), 2u);
  EXPECT_EQ(image.Palette[0].rgbRed, 0xFF);
  EXPECT_EQ(image.Palette[1].rgbBlue, 0xFF);
  EXPECT_EQ(image.Bits[0], 0xA0);
  EXPECT_EQ(image.Bits[4], 0x40);
}

TEST(BmpFormat, TopDownFilesAndPackedDibsDecode) {
  const TBmpImage image = Decode(InfoFile(
      {.Width = 1, .Height = -3, .BitCount = 24, .Pixels = {1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0}}));
  EXPECT_EQ(image.Height, 3);
  EXPECT_EQ(image.Bits[0], 3);  // the bottom row first
  EXPECT_EQ(image.Bits[8], 1);

  const Bytes file = Valid8BitFile();
  const TBmpImage packed = DecodePackedDib(file.data() + 14, file.size() - 14);
  EXPECT_EQ(packed.Bits, Decode(file).Bits);
  EXPECT_EQ(packed.Palette.size(), 256u);
}

TEST(BmpFormat, TheSidesAreReadFromTheHeaderEachInItsPlace) {
  // Not square, so that a side read from the other's place shows; bottom-up and top-down.
  for (int32_t height : {5, -5}) {
    FileSpec spec;
    spec.Width = 3;
    spec.Height = height;
    spec.BitCount = 24;
    spec.Pixels.assign(12 * 5, 0x40);
    const Bytes file = InfoFile(spec);
    int width = 0, sideHeight = 0;
    ReadBmpSides(file.data(), file.size(), width, sideHeight);
    EXPECT_EQ(width, 3) << height;
    EXPECT_EQ(sideHeight, 5) << height;
  }
}

TEST(BmpFormat, UnusualBitFieldsAreUnpackedTo32Bits) {
  FileSpec spec{.Width = 2, .Height = 1, .BitCount = 16, .Compression = BI_BITFIELDS,
                .Masks = {0x0F00, 0x00F0, 0x000F},   // 4-4-4
                .Pixels = {0x00, 0x0F, 0x5A, 0x00}};  // red at full; green 5, blue 10
  TBmpImage image = Decode(InfoFile(spec));
  ASSERT_EQ(image.BitCount, 32);
  const uint8_t expected[8] = {0, 0, 255, 0, 170, 85, 0, 0};
  EXPECT_EQ(std::memcmp(image.Bits.data(), expected, 8), 0);

  spec.Masks = {0x0F00, 0x00F1, 0x000F};  // not contiguous
  ExpectRefused(InfoFile(spec), "broken mask");
}

// ---- Damaged files -----------------------------------------------------------------------------------

TEST(BmpFormat, TruncatedFilesAreRefused) {
  const Bytes file = Valid8BitFile();
  for (size_t size = 0; size < file.size(); size += 7)  // headers, colour table and pixels
    ExpectRefused(Bytes(file.begin(), file.begin() + size), "cut");

  // A compressed file that declares more data than it holds.
  const Bytes rle = InfoFile({.Width = 4, .Height = 4, .Compression = BI_RLE8, .ColorsUsed = 2,
                              .ColorTable = GreyTable(2),
                              .Pixels = {4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 1},
                              .SizeImage = true});
  for (int tenth = 1; tenth < 10; ++tenth)
    ExpectRefused(Bytes(rle.begin(), rle.begin() + rle.size() * tenth / 10), "cut RLE");
}

TEST(BmpFormat, AbsurdDeclarationsAreRefused) {
  Bytes file = Valid8BitFile();
  file[0] = 'X';
  try {
    Decode(file);
    ADD_FAILURE() << "bad signature accepted";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), L"Bitmap image is not valid");
  }
  file[0] = 'B';
  const struct {
    size_t Offset;
    uint32_t Value;
    const char* What;
  } cases[] = {
      {18, 0x7FFFFFFF, "width"},        {18, 0, "zero width"},
      {18, 40000, "wide"},              {22, 0x80000000, "most negative height"},
      {22, 0, "zero height"},           {22, 30000, "tall"},
      {10, 0xFFFFFFF0, "pixel offset"}, {10, 20, "pixel offset inside the header"},
      {46, 0x10000000, "colour count"}, {46, 100000, "colour count larger than the file"},
      {14, 0xFFFFFFFF, "header size"},  {14, 41, "header size"},
      {28, 7, "bit count"},             {30, 9, "compression"},
      {30, BI_RLE4, "RLE4 at 8 bits"},
  };
  for (const auto& c : cases) {
    Bytes bad = file;
    if (c.Offset == 28)
      bad[28] = static_cast<uint8_t>(c.Value);
    else
      SetU32(bad, c.Offset, c.Value);
    ExpectRefused(bad, c.What);
  }
  // 30000 x 30000 passes the dimension check but not the pixel-count limit.
  Bytes huge = file;
  SetU32(huge, 18, 30000);
  SetU32(huge, 22, 30000);
  ExpectRefused(huge, "too many pixels");
}

TEST(BmpFormat, RandomDamageNeverCrashes) {
  const Bytes file = Valid8BitFile();
  uint32_t seed = 12345;
  auto next = [&seed]() { return seed = seed * 134775813u + 1u; };
  for (int round = 0; round < 3000; ++round) {
    Bytes bad = file;
    for (int changes = 1 + next() % 4; changes > 0; --changes)
      bad[(next() >> 8) % 120] = static_cast<uint8_t>(next() >> 16);  // headers and table
    try {
      const TBmpImage image = Decode(bad);
      EXPECT_GE(image.Bits.size(), static_cast<size_t>(image.RowBytes()) * image.Height);
    } catch (const EInvalidGraphic&) {
    } catch (const EOutOfResources&) {
    }
  }
}

TEST(BmpFormat, EncodingRefusesAnInconsistentImage) {
  TBmpImage image = PatternImage(4, 4, 24);
  image.Bits.resize(10);
  EXPECT_THROW(EncodeBmp(image), EInvalidGraphic);
  TBmpImage noPalette = PatternImage(4, 4, 8);
  noPalette.Palette.clear();
  EXPECT_THROW(EncodeBmp(noPalette), EInvalidGraphic);
}
