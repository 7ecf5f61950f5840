// Icon files and TIcon: the directory checks on damaged files, the choice of an image by
// size, and icons drawn onto memory DCs after a save and load round trip.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "GraphicStreams.h"
#include "MemorySurface.h"
#include "classlib/graphics/IcoFormat.h"
#include "classlib/graphics/Icon.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The test picture: red left half, blue right half, a green square in the middle; the
// top-left quarter is transparent (AND mask 1).
bool PatternTransparent(int x, int y, int width, int height) {
  return x < width / 4 && y < height / 4;
}
TColor PatternColor(int x, int y, int width, int height) {
  if (PatternTransparent(x, y, width, height)) return clBlack;
  if (x >= width / 4 && x < width * 3 / 4 && y >= height / 4 && y < height * 3 / 4) return clLime;
  return x < width / 2 ? clRed : clBlue;
}

// The colour rows (24-bit) and mask rows (1-bit) of the pattern, both bottom-up.
struct PatternBits {
  Bytes Color, Mask;
};
PatternBits MakePattern(int width, int height) {
  const size_t colorStride = IcoColorStride(width, 24), maskStride = IcoMaskStride(width);
  PatternBits bits{Bytes(colorStride * height), Bytes(maskStride * height)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int row = height - 1 - y;
      const TColor c = PatternColor(x, y, width, height);
      uint8_t* p = bits.Color.data() + colorStride * row + x * 3;
      p[0] = GetBlueValue(c);
      p[1] = GetGreenValue(c);
      p[2] = GetRedValue(c);
      if (PatternTransparent(x, y, width, height))
        bits.Mask[maskStride * row + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  return bits;
}

Bytes PatternIcoFile(int width, int height) {
  const PatternBits bits = MakePattern(width, height);
  return WriteIcoFile(width, height, 24, bits.Color.data(), bits.Mask.data());
}

// The pattern as a system icon, made from the image in its file as a program would.
HICON PatternIconHandle(int width, int height) {
  Bytes file = PatternIcoFile(width, height);
  return ::CreateIconFromResourceEx(file.data() + 22, static_cast<DWORD>(file.size() - 22), TRUE,
                                    0x00030000, width, height, LR_DEFAULTCOLOR);
}

// Joins single-image icon files into one file with all their images, in order.
Bytes JoinIcoFiles(const std::vector<Bytes>& files) {
  Bytes out = {0, 0, 1, 0, static_cast<uint8_t>(files.size()), 0}, images;
  uint32_t offset = static_cast<uint32_t>(6 + 16 * files.size());
  for (const Bytes& file : files) {
    Bytes entry(file.begin() + 6, file.begin() + 22);
    std::memcpy(entry.data() + 12, &offset, 4);
    out.insert(out.end(), entry.begin(), entry.end());
    images.insert(images.end(), file.begin() + 22, file.end());
    offset += static_cast<uint32_t>(file.size() - 22);
  }
  out.insert(out.end(), images.begin(), images.end());
  return out;
}

// A single-image icon file cut short by `by` bytes, its directory's size of the image made
// to match.
Bytes Shortened(Bytes file, size_t by) {
  file.resize(file.size() - by);
  const uint32_t imageSize = static_cast<uint32_t>(file.size() - 22);
  std::memcpy(file.data() + 14, &imageSize, 4);
  return file;
}

// The pattern as a 32-bit image whose transparent pixels have alpha 0 and the others 255
// (or every pixel alpha 0), in an icon file that ends after the colour rows: no AND mask.
Bytes MasklessPatternIcoFile(int width, int height, bool withAlpha = true) {
  const size_t stride = IcoColorStride(width, 32);
  Bytes color(stride * height), mask(IcoMaskStride(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const TColor c = PatternColor(x, y, width, height);
      uint8_t* p = color.data() + stride * (height - 1 - y) + x * 4;
      p[0] = GetBlueValue(c);
      p[1] = GetGreenValue(c);
      p[2] = GetRedValue(c);
      p[3] = withAlpha && !PatternTransparent(x, y, width, height) ? 255 : 0;
    }
  return Shortened(WriteIcoFile(width, height, 32, color.data(), mask.data()), mask.size());
}

// An icon file of one PNG image whose data is only its signature and IHDR chunk (CRC not
// filled in): enough for the directory, not for the system.
Bytes PngHeaderIcoFile(uint32_t width, uint32_t height) {
  Bytes file = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 33, 0, 0, 0, 22, 0, 0, 0,
                0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t v : {width, height})
    for (int i = 3; i >= 0; --i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
  file.insert(file.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});  // 8-bit RGBA, then the CRC
  return file;
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

TEST(IcoFormat, WrittenFilesReadBackAndTheNearestImageIsChosen) {
  const Bytes file =
      JoinIcoFiles({PatternIcoFile(32, 32), PatternIcoFile(16, 16), PatternIcoFile(20, 12)});
  const std::vector<TIcoEntry> entries = ReadIcoDirectory(file.data(), file.size());
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2].Width, 20);
  EXPECT_EQ(entries[2].Height, 12);
  EXPECT_EQ(entries[2].Offset + entries[2].Size, file.size());

  EXPECT_EQ(ChooseIcoEntry(entries, 0, 0), 0);  // no request: the first
  EXPECT_EQ(ChooseIcoEntry(entries, 16, 16), 1);
  EXPECT_EQ(ChooseIcoEntry(entries, 22, 10), 2);
  EXPECT_EQ(ChooseIcoEntry(entries, 256, 256), 0);

  // Equally near: the deeper image wins.
  std::vector<TIcoEntry> twoDepths(2);
  twoDepths[0].Width = twoDepths[0].Height = twoDepths[1].Width = twoDepths[1].Height = 32;
  twoDepths[0].BitCount = 8;
  twoDepths[1].BitCount = 32;
  EXPECT_EQ(ChooseIcoEntry(twoDepths, 32, 32), 1);
}

TEST(IcoFormat, DamagedFilesRaise) {
  const Bytes good = PatternIcoFile(16, 16);
  ASSERT_NO_THROW(ReadIcoDirectory(good.data(), good.size()));

  // Every shorter prefix is damaged: the image no longer fits.
  for (size_t cut = 0; cut < good.size(); ++cut)
    EXPECT_THROW(ReadIcoDirectory(good.data(), cut), EInvalidGraphic) << "cut at " << cut;

  const struct {
    const char* what;
    size_t offset;
    Bytes bytes;
  } patches[] = {
      {"reserved word", 0, {1}},          {"cursor type", 2, {2}},
      {"no images", 4, {0}},              {"more images than the directory holds", 4, {200}},
      {"image size past the end", 14, {0xFF, 0xFF, 0, 0}},
      {"image size overflowing with the offset", 14, {0xF0, 0xFF, 0xFF, 0xFF}},
      {"offset inside the directory", 18, {4, 0, 0, 0}},
      {"offset past the end", 18, {0, 0, 1, 0}},
      {"header size too small", 22, {12}}, {"header size past the image", 22, {0, 0, 1, 0}},
      {"zero width", 26, {0}},            {"negative width", 26, {0xF0, 0xFF, 0xFF, 0xFF}},
      {"huge width", 26, {0, 0, 1, 0}},   {"odd height", 30, {33}},
      {"negative height", 30, {0xE0, 0xFF, 0xFF, 0xFF}},
      {"two planes", 34, {2}},            {"3 bits per pixel", 36, {3}},
      {"RLE compression", 38, {1}},       {"more pixels than bytes", 36, {32}},
  };
  for (const auto& patch : patches) {
    Bytes bad = good;
    std::copy(patch.bytes.begin(), patch.bytes.end(), bad.begin() + patch.offset);
    EXPECT_THROW(ReadIcoDirectory(bad.data(), bad.size()), EInvalidGraphic) << patch.what;
  }
  Bytes bad = good;  // an 8-bit image with 257 colours
  bad[36] = 8;
  bad[54] = bad[55] = 0x01;
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

  const Bytes file = SavedBytes(original);
  TIcon loaded;
  LoadGraphic(loaded, file);
  EXPECT_EQ(loaded.GetWidth(), 16);

  MemorySurface first(24, 24, clGray), second(24, 24, clGray);
  first.Canvas.Draw(0, 0, &original);
  second.Canvas.Draw(0, 0, &loaded);
  ExpectPatternDrawn(first, 16, 16);
  ExpectPatternDrawn(second, 16, 16);
  EXPECT_TRUE(first.SameAs(second));

  EXPECT_EQ(SavedBytes(loaded), file);  // a loaded icon writes the bytes it read
}

TEST(Icon, ChoosesTheRequestedSizeFromSeveralImages) {
  TIcon icon;
  LoadGraphic(icon, JoinIcoFiles({PatternIcoFile(16, 16), PatternIcoFile(32, 32)}));
  EXPECT_EQ(icon.GetWidth(), 16);
  icon.SetSize(30, 30);
  EXPECT_EQ(icon.GetWidth(), 32);

  MemorySurface surface(40, 40, clGray);
  surface.Canvas.Draw(0, 0, &icon);
  ExpectPatternDrawn(surface, 32, 32);
  EXPECT_EQ(surface.At(33, 33), clGray);
}

TEST(Icon, DamagedFileRaisesAndLeavesTheIconAsItWas) {
  TIcon icon;
  LoadGraphic(icon, PatternIcoFile(16, 16));
  Bytes bad = PatternIcoFile(32, 32);
  bad[36] = 7;  // bits per pixel
  EXPECT_THROW(LoadGraphic(icon, bad), EInvalidGraphic);
  EXPECT_THROW(LoadGraphic(icon, {}), EInvalidGraphic);
  EXPECT_EQ(icon.GetWidth(), 16);
  EXPECT_FALSE(icon.GetEmpty());
}

TEST(Icon, A32BitImageWithoutAMaskTakesItsMaskFromTheAlphaChannel) {
  const Bytes maskless = MasklessPatternIcoFile(16, 16);
  const std::vector<TIcoEntry> entries = ReadIcoDirectory(maskless.data(), maskless.size());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_FALSE(entries[0].HasMask);
  EXPECT_TRUE(ReadIcoDirectory(PatternIcoFile(16, 16).data(), PatternIcoFile(16, 16).size())[0].HasMask);

  TIcon icon;
  LoadGraphic(icon, maskless);
  MemorySurface surface(24, 24, clGray);
  surface.Canvas.Draw(0, 0, &icon);
  ExpectPatternDrawn(surface, 16, 16);
  EXPECT_EQ(SavedBytes(icon), maskless);  // written back as it was read

  // One such image no longer fails a file of several.
  TIcon several;
  LoadGraphic(several, JoinIcoFiles({PatternIcoFile(16, 16), MasklessPatternIcoFile(32, 32)}));
  several.SetSize(32, 32);
  MemorySurface large(40, 40, clGray);
  large.Canvas.Draw(0, 0, &several);
  ExpectPatternDrawn(large, 32, 32);

  // An alpha channel of zeros is none: the image is drawn whole.
  TIcon opaque;
  LoadGraphic(opaque, MasklessPatternIcoFile(16, 16, false));
  MemorySurface whole(24, 24, clGray);
  whole.Canvas.Draw(0, 0, &opaque);
  EXPECT_EQ(whole.At(0, 0), clBlack);
  EXPECT_EQ(whole.At(15, 15), clBlue);

  // Only a 32-bit image may leave its mask out, and its colour rows must be whole.
  const Bytes short24 = Shortened(PatternIcoFile(16, 16), IcoMaskStride(16) * 16);
  EXPECT_THROW(ReadIcoDirectory(short24.data(), short24.size()), EInvalidGraphic);
  const Bytes cut = Shortened(maskless, 1);
  EXPECT_THROW(ReadIcoDirectory(cut.data(), cut.size()), EInvalidGraphic);
}

TEST(Icon, PngImagesAreReadFromTheirHeaderAndCheckedByTheSystem) {
  const Bytes png = PngHeaderIcoFile(48, 40);
  const std::vector<TIcoEntry> entries = ReadIcoDirectory(png.data(), png.size());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(entries[0].IsPng);
  EXPECT_EQ(entries[0].Width, 48);  // from IHDR, not from the directory's bytes
  EXPECT_EQ(entries[0].Height, 40);
  EXPECT_EQ(entries[0].BitCount, 32);
  for (const Bytes& bad : {PngHeaderIcoFile(0, 16), PngHeaderIcoFile(16, 5000),
                           Bytes(png.begin(), png.end() - 1)})
    EXPECT_THROW(ReadIcoDirectory(bad.data(), bad.size()), EInvalidGraphic);

  // The system cannot make an icon of it: the load fails and the icon stays as it was.
  TIcon icon;
  LoadGraphic(icon, PatternIcoFile(16, 16));
  EXPECT_THROW(LoadGraphic(icon, png), EInvalidGraphic);
  EXPECT_EQ(icon.GetWidth(), 16);
}

TEST(Icon, HandleOwnership) {
  TIcon icon;
  EXPECT_EQ(icon.GetHandle(), nullptr);
  EXPECT_THROW(icon.SetWidth(10), EInvalidGraphicOperation);

  LoadGraphic(icon, PatternIcoFile(16, 16));
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
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.GetEmpty());

  TIcon handleOnly;
  handleOnly.SetHandle(PatternIconHandle(16, 16));
  HICON taken = handleOnly.ReleaseHandle();
  EXPECT_TRUE(handleOnly.GetEmpty());
  EXPECT_TRUE(::DestroyIcon(taken));
}

TEST(Icon, NoObjectsLeakOverManyCycles) {
  const Bytes file = PatternIcoFile(16, 16);
  MemorySurface surface(20, 20, clGray);
  ResourceProbe probe;
  for (int i = 0; i < 1000; ++i) {
    TIcon icon;
    LoadGraphic(icon, file);
    surface.Canvas.Draw(0, 0, &icon);
    TIcon fromHandle;
    fromHandle.SetHandle(PatternIconHandle(16, 16));
    SavedBytes(fromHandle);
  }
  probe.ExpectNoLeak();
  ExpectPatternDrawn(surface, 16, 16);
}
