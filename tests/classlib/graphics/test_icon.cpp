// Icon files and TIcon: the directory checks on damaged files, the choice of an image by
// size, and icons drawn onto memory DCs after a save and load round trip.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "MemorySurface.h"
#include "classlib/classes/Streams.h"
#include "classlib/graphics/IcoFormat.h"
#include "classlib/graphics/Icon.h"

namespace {

// ---- Making icons ----------------------------------------------------------------------

// The test picture: red left half, blue right half, a green square in the middle; the
// top-left quarter is transparent (AND mask 1).
TColor PatternColor(int x, int y, int width, int height) {
  if (x >= width / 4 && x < width * 3 / 4 && y >= height / 4 && y < height * 3 / 4) return clLime;
  return x < width / 2 ? clRed : clBlue;
}
bool PatternTransparent(int x, int y, int width, int height) {
  return x < width / 4 && y < height / 4;
}

// The colour rows (24-bit, bottom-up) and mask rows (1-bit, bottom-up) of the pattern.
std::vector<uint8_t> PatternColorBits(int width, int height) {
  const size_t stride = IcoColorStride(width, 24);
  std::vector<uint8_t> bits(stride * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = bits.data() + stride * (height - 1 - y) + x * 3;
      const TColor c = PatternTransparent(x, y, width, height) ? clBlack
                                                              : PatternColor(x, y, width, height);
      p[0] = GetBlueValue(c);
      p[1] = GetGreenValue(c);
      p[2] = GetRedValue(c);
    }
  return bits;
}

std::vector<uint8_t> PatternMaskBits(int width, int height) {
  const size_t stride = IcoMaskStride(width);
  std::vector<uint8_t> bits(stride * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (PatternTransparent(x, y, width, height))
        bits[stride * (height - 1 - y) + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  return bits;
}

std::vector<uint8_t> PatternIcoFile(int width, int height) {
  const std::vector<uint8_t> color = PatternColorBits(width, height);
  const std::vector<uint8_t> mask = PatternMaskBits(width, height);
  return WriteIcoFile(width, height, 24, color.data(), mask.data());
}

// The pattern as a system icon, made from a colour bitmap and a mask as a program would.
HICON PatternIconHandle(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  UniqueBitmap color(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const std::vector<uint8_t> colorBits = PatternColorBits(width, height);
  std::memcpy(bits, colorBits.data(), colorBits.size());

  // CreateBitmap takes top-down rows padded to 16 bits.
  const std::vector<uint8_t> maskBits = PatternMaskBits(width, height);
  const size_t dibStride = IcoMaskStride(width), wordStride = ((width + 15) / 16) * 2;
  std::vector<uint8_t> topDown(wordStride * height);
  for (int y = 0; y < height; ++y)
    std::memcpy(topDown.data() + wordStride * y, maskBits.data() + dibStride * (height - 1 - y),
                wordStride);
  UniqueBitmap mask(::CreateBitmap(width, height, 1, 1, topDown.data()));

  ICONINFO icon{TRUE, 0, 0, mask.get(), color.get()};
  return ::CreateIconIndirect(&icon);  // copies the bitmaps
}

// Joins single-image icon files into one file with all their images, in order.
std::vector<uint8_t> JoinIcoFiles(const std::vector<std::vector<uint8_t>>& files) {
  const size_t count = files.size();
  std::vector<uint8_t> out = {0, 0, 1, 0, static_cast<uint8_t>(count), 0};
  std::vector<uint8_t> images;
  uint32_t offset = static_cast<uint32_t>(6 + 16 * count);
  for (const std::vector<uint8_t>& file : files) {
    std::vector<uint8_t> entry(file.begin() + 6, file.begin() + 22);
    const uint32_t size = static_cast<uint32_t>(file.size() - 22);
    std::memcpy(entry.data() + 12, &offset, 4);
    out.insert(out.end(), entry.begin(), entry.end());
    images.insert(images.end(), file.begin() + 22, file.end());
    offset += size;
  }
  out.insert(out.end(), images.begin(), images.end());
  return out;
}

// A PNG file of an opaque width x height picture in one colour, stored without compression.
std::vector<uint8_t> SolidPng(int width, int height, TColor color) {
  auto put32 = [](std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 3; i >= 0; --i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
  };
  auto crc32 = [](const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
      crc ^= p[i];
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
  };
  auto chunk = [&](std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    put32(png, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    put32(png, crc32(body.data(), body.size()));
  };
  std::vector<uint8_t> raw;  // filter byte 0, then RGBA per pixel
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x)
      raw.insert(raw.end(), {GetRedValue(color), GetGreenValue(color), GetBlueValue(color), 255});
  }
  std::vector<uint8_t> zlib = {0x78, 0x01, 0x01};  // one final stored block
  const uint16_t len = static_cast<uint16_t>(raw.size());
  zlib.insert(zlib.end(), {static_cast<uint8_t>(len), static_cast<uint8_t>(len >> 8),
                           static_cast<uint8_t>(~len), static_cast<uint8_t>(~len >> 8)});
  zlib.insert(zlib.end(), raw.begin(), raw.end());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  put32(zlib, (b << 16) | a);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> header;
  put32(header, width);
  put32(header, height);
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", zlib);
  chunk(png, "IEND", {});
  return png;
}

std::vector<uint8_t> IcoOfPng(const std::vector<uint8_t>& png, int side) {
  std::vector<uint8_t> out = {0, 0, 1, 0, 1, 0, static_cast<uint8_t>(side),
                              static_cast<uint8_t>(side), 0, 0, 1, 0, 32, 0};
  const uint32_t size = static_cast<uint32_t>(png.size()), offset = 22;
  out.insert(out.end(), reinterpret_cast<const uint8_t*>(&size),
             reinterpret_cast<const uint8_t*>(&size) + 4);
  out.insert(out.end(), reinterpret_cast<const uint8_t*>(&offset),
             reinterpret_cast<const uint8_t*>(&offset) + 4);
  out.insert(out.end(), png.begin(), png.end());
  return out;
}

void LoadIcon(TIcon& icon, const std::vector<uint8_t>& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  icon.LoadFromStream(stream);
}

// Checks the pattern drawn at (0, 0) on a surface filled with clGray.
void ExpectPatternDrawn(const MemorySurface& surface, int width, int height) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const TColor expected =
          PatternTransparent(x, y, width, height) ? clGray : PatternColor(x, y, width, height);
      ASSERT_EQ(surface.At(x, y), expected) << "at " << x << "," << y;
    }
}

}  // namespace

// ---- The file format -----------------------------------------------------------------------

TEST(IcoFormat, WrittenFileReadsBack) {
  const std::vector<uint8_t> file = PatternIcoFile(20, 12);
  const std::vector<TIcoEntry> entries = ReadIcoDirectory(file.data(), file.size());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Width, 20);
  EXPECT_EQ(entries[0].Height, 12);
  EXPECT_EQ(entries[0].BitCount, 24);
  EXPECT_FALSE(entries[0].IsPng);
  EXPECT_EQ(entries[0].Offset, 22u);
  EXPECT_EQ(entries[0].Offset + entries[0].Size, file.size());
}

TEST(IcoFormat, ChoosesTheNearestImage) {
  const std::vector<uint8_t> file =
      JoinIcoFiles({PatternIcoFile(32, 32), PatternIcoFile(16, 16), PatternIcoFile(48, 48)});
  const std::vector<TIcoEntry> entries = ReadIcoDirectory(file.data(), file.size());
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(ChooseIcoEntry(entries, 0, 0), 0);  // no request: the first
  EXPECT_EQ(ChooseIcoEntry(entries, 16, 16), 1);
  EXPECT_EQ(ChooseIcoEntry(entries, 20, 20), 1);
  EXPECT_EQ(ChooseIcoEntry(entries, 44, 44), 2);
  EXPECT_EQ(ChooseIcoEntry(entries, 256, 256), 2);

  // Equally near: the deeper image wins.
  std::vector<TIcoEntry> twoDepths(2);
  twoDepths[0].Width = twoDepths[0].Height = twoDepths[1].Width = twoDepths[1].Height = 32;
  twoDepths[0].BitCount = 8;
  twoDepths[1].BitCount = 32;
  EXPECT_EQ(ChooseIcoEntry(twoDepths, 32, 32), 1);
}

TEST(IcoFormat, DamagedFilesRaise) {
  const std::vector<uint8_t> good = PatternIcoFile(16, 16);
  ASSERT_NO_THROW(ReadIcoDirectory(good.data(), good.size()));

  // Every shorter prefix is damaged: the image no longer fits.
  for (size_t cut = 0; cut < good.size(); ++cut)
    EXPECT_THROW(ReadIcoDirectory(good.data(), cut), EInvalidGraphic) << "cut at " << cut;

  struct Patch {
    const char* what;
    size_t offset;
    std::vector<uint8_t> bytes;
  };
  const Patch patches[] = {
      {"reserved word", 0, {1}},
      {"cursor type", 2, {2}},
      {"no images", 4, {0}},
      {"more images than the directory holds", 4, {200}},
      {"image size past the end", 14, {0xFF, 0xFF, 0, 0}},
      {"image size overflowing with the offset", 14, {0xF0, 0xFF, 0xFF, 0xFF}},
      {"offset inside the directory", 18, {4, 0, 0, 0}},
      {"offset past the end", 18, {0, 0, 1, 0}},
      {"header size too small", 22, {12}},
      {"header size past the image", 22, {0, 0, 1, 0}},
      {"zero width", 26, {0}},
      {"negative width", 26, {0xF0, 0xFF, 0xFF, 0xFF}},
      {"huge width", 26, {0, 0, 1, 0}},
      {"odd height", 30, {33}},
      {"negative height", 30, {0xE0, 0xFF, 0xFF, 0xFF}},
      {"two planes", 34, {2}},
      {"3 bits per pixel", 36, {3}},
      {"RLE compression", 38, {1}},
      {"more pixels than bytes", 36, {32}},
  };
  for (const Patch& patch : patches) {
    std::vector<uint8_t> bad = good;
    std::copy(patch.bytes.begin(), patch.bytes.end(), bad.begin() + patch.offset);
    EXPECT_THROW(ReadIcoDirectory(bad.data(), bad.size()), EInvalidGraphic) << patch.what;
  }

  // An 8-bit image whose colour table is larger than 8 bits allow.
  std::vector<uint8_t> bad = good;
  bad[36] = 8;
  bad[54] = 0x01;
  bad[55] = 0x01;  // 257 colours
  EXPECT_THROW(ReadIcoDirectory(bad.data(), bad.size()), EInvalidGraphic);

  try {
    ReadIcoDirectory(good.data(), 10);
    FAIL() << "no exception";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), L"Icon image is not valid");
  }
}

// ---- TIcon ----------------------------------------------------------------------------------

TEST(Icon, RoundTripFromAHandleThroughAFile) {
  TIcon original;
  int changes = 0;
  original.OnChange = [&](TObject*) { ++changes; };
  original.SetHandle(PatternIconHandle(16, 16));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(original.GetWidth(), 16);
  EXPECT_EQ(original.GetHeight(), 16);

  TMemoryStream stream;
  original.SaveToStream(stream);
  stream.SetPosition(0);
  TIcon loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.GetWidth(), 16);
  EXPECT_EQ(loaded.GetHeight(), 16);

  MemorySurface first(24, 24, clGray), second(24, 24, clGray);
  first.Canvas.Draw(0, 0, &original);
  second.Canvas.Draw(0, 0, &loaded);
  ExpectPatternDrawn(first, 16, 16);
  ExpectPatternDrawn(second, 16, 16);
  EXPECT_TRUE(first.SameAs(second));

  // Saving a loaded icon writes the bytes it read.
  TMemoryStream again;
  loaded.SaveToStream(again);
  ASSERT_EQ(again.GetSize(), stream.GetSize());
  EXPECT_EQ(std::memcmp(again.GetMemory(), stream.GetMemory(),
                        static_cast<size_t>(again.GetSize())),
            0);
}

TEST(Icon, ChoosesTheRequestedSizeFromSeveralImages) {
  TIcon icon;
  LoadIcon(icon, JoinIcoFiles({PatternIcoFile(16, 16), PatternIcoFile(32, 32)}));
  EXPECT_EQ(icon.GetWidth(), 16);
  icon.SetSize(30, 30);
  EXPECT_EQ(icon.GetWidth(), 32);
  EXPECT_EQ(icon.GetHeight(), 32);

  MemorySurface surface(40, 40, clGray);
  surface.Canvas.Draw(0, 0, &icon);
  ExpectPatternDrawn(surface, 32, 32);
  EXPECT_EQ(surface.At(33, 33), clGray);
}

TEST(Icon, DamagedFileRaisesAndLeavesTheIconAsItWas) {
  TIcon icon;
  LoadIcon(icon, PatternIcoFile(16, 16));
  std::vector<uint8_t> bad = PatternIcoFile(32, 32);
  bad[36] = 7;  // bits per pixel
  EXPECT_THROW(LoadIcon(icon, bad), EInvalidGraphic);
  EXPECT_THROW(LoadIcon(icon, {}), EInvalidGraphic);
  EXPECT_EQ(icon.GetWidth(), 16);
  EXPECT_FALSE(icon.GetEmpty());
}

TEST(Icon, PngImagesAreHandedToTheSystem) {
  TIcon icon;
  LoadIcon(icon, IcoOfPng(SolidPng(16, 16, clRed), 16));
  EXPECT_EQ(icon.GetWidth(), 16);
  MemorySurface surface(20, 20, clGray);
  surface.Canvas.Draw(0, 0, &icon);
  EXPECT_EQ(surface.At(0, 0), clRed);
  EXPECT_EQ(surface.At(15, 15), clRed);
  EXPECT_EQ(surface.At(16, 16), clGray);

  // A PNG whose image data is broken cannot become an icon.
  std::vector<uint8_t> png = SolidPng(16, 16, clRed);
  png[png.size() - 20] ^= 0xFF;  // inside the stored data's checksum
  png[45] ^= 0xFF;               // the stored block's length
  EXPECT_THROW(LoadIcon(icon, IcoOfPng(png, 16)), EInvalidGraphic);
}

TEST(Icon, HandleOwnershipAndSize) {
  TIcon icon;
  EXPECT_TRUE(icon.GetEmpty());
  EXPECT_EQ(icon.GetHandle(), nullptr);
  EXPECT_THROW(icon.SetWidth(10), EInvalidGraphicOperation);

  LoadIcon(icon, PatternIcoFile(16, 16));
  HICON released = icon.ReleaseHandle();
  ASSERT_NE(released, nullptr);
  EXPECT_FALSE(icon.GetEmpty());  // the file's bytes remain: a new handle is made
  HICON remade = icon.GetHandle();
  EXPECT_NE(remade, nullptr);
  EXPECT_NE(remade, released);
  EXPECT_TRUE(::DestroyIcon(released));

  TIcon copy;
  copy.Assign(&icon);
  EXPECT_EQ(copy.GetWidth(), 16);
  EXPECT_NE(copy.GetHandle(), icon.GetHandle());  // each owns its own handle

  TIcon handleOnly;
  handleOnly.SetHandle(PatternIconHandle(16, 16));
  HICON taken = handleOnly.ReleaseHandle();
  EXPECT_TRUE(handleOnly.GetEmpty());
  EXPECT_TRUE(::DestroyIcon(taken));

  copy.Assign(nullptr);
  EXPECT_TRUE(copy.GetEmpty());
}

TEST(Icon, NoObjectsLeakOverManyCycles) {
  const std::vector<uint8_t> file = PatternIcoFile(16, 16);
  MemorySurface surface(20, 20, clGray);
  ResourceProbe probe;
  for (int i = 0; i < 1000; ++i) {
    TIcon icon;
    LoadIcon(icon, file);
    surface.Canvas.Draw(0, 0, &icon);
    TIcon fromHandle;
    fromHandle.SetHandle(PatternIconHandle(16, 16));
    TMemoryStream stream;
    fromHandle.SaveToStream(stream);
  }
  probe.ExpectNoLeak();
  ExpectPatternDrawn(surface, 16, 16);
}
