// JPEG decoding and TJPEGImage: pictures encoded here with libjpeg's compressor from known
// gradients are decoded (and drawn) and compared with their source; damaged data must raise
// EInvalidGraphic.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "GraphicStreams.h"
#include "MemorySurface.h"
#include "classlib/classes/Streams.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Jpeg.h"
#include "classlib/graphics/JpegFormat.h"
#include "classlib/system/SysExceptions.h"

namespace {

// A synthetic picture: one byte per component, rows top-down, no padding.
struct SourceImage {
  int Width;
  int Height;
  int Components;  // 1 gray, 3 RGB, 4 CMYK
  std::vector<uint8_t> Samples;
};

// Smooth gradients, which JPEG reproduces closely: red across, green down, blue diagonal.
SourceImage MakeGradient(int width, int height, int components) {
  SourceImage image{width, height, components, {}};
  image.Samples.resize(static_cast<size_t>(width) * height * components);
  uint8_t* p = image.Samples.data();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < components; ++c)
        *p++ = static_cast<uint8_t>(c == 0   ? x * 255 / (width - 1)
                                    : c == 1 ? y * 255 / (height - 1)
                                    : c == 2 ? (x + y) * 255 / (width + height - 2)
                                             : 255 - x * 128 / (width - 1));
  return image;
}

enum class Mode { Baseline, Progressive };

// Encodes with libjpeg. colorSpace is the file's colour space (JCS_YCCK to store CMYK
// samples as YCCK); the input is gray, RGB or CMYK by image.Components.
std::vector<uint8_t> Encode(const SourceImage& image, Mode mode,
                            J_COLOR_SPACE colorSpace = JCS_UNKNOWN) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = image.Width;
  cinfo.image_height = image.Height;
  cinfo.input_components = image.Components;
  cinfo.in_color_space = image.Components == 1   ? JCS_GRAYSCALE
                         : image.Components == 3 ? JCS_RGB
                                                 : JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  if (colorSpace != JCS_UNKNOWN) jpeg_set_colorspace(&cinfo, colorSpace);
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (mode == Mode::Progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowBytes = static_cast<size_t>(image.Width) * image.Components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row[1] = {const_cast<uint8_t*>(image.Samples.data()) + cinfo.next_scanline * rowBytes};
    jpeg_write_scanlines(&cinfo, row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

// The BGR pixel the decoder should give for each source pixel.
std::vector<uint8_t> ExpectedBgr(const SourceImage& image) {
  std::vector<uint8_t> bgr;
  const uint8_t* p = image.Samples.data();
  for (int i = 0; i < image.Width * image.Height; ++i, p += image.Components) {
    if (image.Components == 1) {
      bgr.insert(bgr.end(), {p[0], p[0], p[0]});
    } else if (image.Components == 3) {
      bgr.insert(bgr.end(), {p[2], p[1], p[0]});
    } else {
      // Adobe's inverted CMYK: each stored value is 255 minus the ink.
      const int k = p[3];
      bgr.insert(bgr.end(), {static_cast<uint8_t>(p[2] * k / 255),
                             static_cast<uint8_t>(p[1] * k / 255),
                             static_cast<uint8_t>(p[0] * k / 255)});
    }
  }
  return bgr;
}

double MeanAbsError(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  EXPECT_EQ(a.size(), b.size());
  if (a.size() != b.size() || a.empty()) return 1e9;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
  return sum / a.size();
}

// Offset of the first marker FF <code> after the start-of-image marker.
size_t FindMarker(const std::vector<uint8_t>& jpeg, uint8_t code) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
  ADD_FAILURE() << "no marker " << int(code);
  return 0;
}

// Mean error of the surface's top-left width x height pixels against the source picture.
double SurfaceError(const MemorySurface& surface, const SourceImage& source) {
  std::vector<uint8_t> drawn;
  for (int y = 0; y < source.Height; ++y)
    for (int x = 0; x < source.Width; ++x) {
      const TPixel32& p = surface.PixelAt(x, y);
      drawn.insert(drawn.end(), {p.B, p.G, p.R});
    }
  return MeanAbsError(drawn, ExpectedBgr(source));
}

}  // namespace

TEST(JpegDecode, EveryKindMatchesTheSource) {
  const struct {
    int Components;
    Mode Kind;
    J_COLOR_SPACE FileSpace;
    double Tolerance;
  } cases[] = {{3, Mode::Baseline, JCS_UNKNOWN, 3.0},  {3, Mode::Progressive, JCS_UNKNOWN, 3.0},
               {1, Mode::Progressive, JCS_UNKNOWN, 2.0}, {4, Mode::Baseline, JCS_CMYK, 4.0},
               {4, Mode::Baseline, JCS_YCCK, 4.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Components * 10 + static_cast<int>(c.Kind));
    const SourceImage source = MakeGradient(97, 61, c.Components);  // odd sizes: partial blocks
    const std::vector<uint8_t> jpeg = Encode(source, c.Kind, c.FileSpace);
    const TJpegPixels pixels = DecodeJpeg(jpeg.data(), jpeg.size());
    ASSERT_EQ(pixels.Width, source.Width);
    ASSERT_EQ(pixels.Height, source.Height);
    EXPECT_LT(MeanAbsError(pixels.Bgr, ExpectedBgr(source)), c.Tolerance);
  }
  // Grayscale becomes equal blue, green and red.
  const std::vector<uint8_t> gray = Encode(MakeGradient(64, 40, 1), Mode::Baseline);
  const TJpegPixels pixels = DecodeJpeg(gray.data(), gray.size());
  ASSERT_EQ(pixels.Bgr.size(), 64u * 40 * 3);
  for (size_t i = 0; i < pixels.Bgr.size(); i += 3) {
    ASSERT_EQ(pixels.Bgr[i], pixels.Bgr[i + 1]);
    ASSERT_EQ(pixels.Bgr[i], pixels.Bgr[i + 2]);
  }
}

TEST(JpegDecode, TruncatedOrGarbledDataRaises) {
  const SourceImage source = MakeGradient(120, 90, 3);
  for (Mode mode : {Mode::Baseline, Mode::Progressive}) {
    std::vector<uint8_t> jpeg = Encode(source, mode);
    for (int tenth = 0; tenth < 10; ++tenth) {
      const size_t cut = jpeg.size() * tenth / 10;
      EXPECT_THROW(DecodeJpeg(jpeg.data(), cut), EInvalidGraphic) << "cut at " << cut;
    }
    // Only the end marker missing: the picture is complete but the file is still damaged.
    EXPECT_THROW(DecodeJpeg(jpeg.data(), jpeg.size() - 2), EInvalidGraphic);
    // A real header followed by noise instead of entropy-coded data.
    uint32_t seed = 12345;
    for (size_t i = jpeg.size() / 2; i < jpeg.size(); ++i)
      jpeg[i] = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
    EXPECT_THROW(DecodeJpeg(jpeg.data(), jpeg.size()), EInvalidGraphic);
  }
  EXPECT_THROW(DecodeJpeg(nullptr, 0), EInvalidGraphic);
  const uint8_t soiOnly[] = {0xFF, 0xD8};
  EXPECT_THROW(DecodeJpeg(soiOnly, sizeof soiOnly), EInvalidGraphic);
}

TEST(JpegDecode, SizeFromTheHeaderAlone_AbsurdSizesRefusedBeforeAllocating) {
  const SourceImage source = MakeGradient(33, 17, 3);
  for (Mode mode : {Mode::Baseline, Mode::Progressive}) {
    std::vector<uint8_t> jpeg = Encode(source, mode);
    int width = 0, height = 0;
    // The header is enough: the entropy-coded data is cut away.
    ReadJpegSize(jpeg.data(), FindMarker(jpeg, 0xDA) + 20, width, height);
    EXPECT_EQ(width, 33);
    EXPECT_EQ(height, 17);
    const size_t sof = FindMarker(jpeg, mode == Mode::Baseline ? 0xC0 : 0xC2);
    // Height and width (big-endian) follow the length and the precision byte.
    jpeg[sof + 5] = 0xFD;
    jpeg[sof + 6] = 0xE8;  // 65000
    jpeg[sof + 7] = 0xFD;
    jpeg[sof + 8] = 0xE8;
    EXPECT_THROW(DecodeJpeg(jpeg.data(), jpeg.size()), EInvalidGraphic);
    EXPECT_THROW(ReadJpegSize(jpeg.data(), jpeg.size(), width, height), EInvalidGraphic);
  }
}

// ---- TJPEGImage ---------------------------------------------------------------------------

TEST(JPEGImage, LoadsTheRestOfTheStreamDrawsAndSavesTheSameBytes) {
  const SourceImage source = MakeGradient(64, 48, 3);
  const std::vector<uint8_t> jpeg = Encode(source, Mode::Progressive);
  TMemoryStream stream;
  WriteBytes(stream, {1, 2, 3});  // something before the picture
  WriteBytes(stream, jpeg);
  stream.SetPosition(3);
  TJPEGImage image;
  int changes = 0;
  image.OnChange = [&](TObject*) { ++changes; };
  image.LoadFromStream(stream);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(image.GetWidth(), 64);
  EXPECT_EQ(image.GetHeight(), 48);

  MemorySurface surface(64, 48, clBlack);
  surface.Canvas.Draw(0, 0, &image);
  EXPECT_LT(SurfaceError(surface, source), 3.0);

  TBitmap* bitmap = image.GetBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetPixelFormat(), pf24bit);
  TBitmap copy;
  copy.Assign(&image);
  EXPECT_EQ(copy.GetWidth(), 64);

  EXPECT_EQ(SavedBytes(image), jpeg);
  EXPECT_THROW(image.SetWidth(10), EInvalidGraphicOperation);
}

TEST(JPEGImage, LayoutDataIsACountAndTheFile) {
  const std::vector<uint8_t> jpeg = Encode(MakeGradient(20, 10, 3), Mode::Baseline);
  TJPEGImage image;
  LoadGraphic(image, jpeg);
  TMemoryStream data;
  image.WriteData(data);
  std::vector<uint8_t> expected = {static_cast<uint8_t>(jpeg.size()),
                                   static_cast<uint8_t>(jpeg.size() >> 8), 0, 0};
  expected.insert(expected.end(), jpeg.begin(), jpeg.end());
  EXPECT_EQ(StreamBytes(data), expected);

  // As a picture's Data in a stored layout: the class name, then the graphic's Data. The
  // class is registered for both extensions.
  EXPECT_EQ(GraphicClassForExtension(L"JPG").Info, TJPEGImage::StaticClassInfo());
  EXPECT_EQ(GraphicClassForExtension(L"jpeg").Info, TJPEGImage::StaticClassInfo());
  TMemoryStream pictureData;
  WriteBytes(pictureData, {10, 'T', 'J', 'P', 'E', 'G', 'I', 'm', 'a', 'g', 'e'});
  WriteBytes(pictureData, expected);
  pictureData.SetPosition(0);
  TPicture picture;
  picture.ReadPictureData(pictureData);
  ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.GetGraphic()), nullptr);
  EXPECT_EQ(picture.GetWidth(), 20);
  EXPECT_EQ(static_cast<TJPEGImage*>(picture.GetGraphic())->GetData(), jpeg);

  // A count beyond the stream's end is a read error, not a read past the data.
  TMemoryStream shortData;
  WriteBytes(shortData, {0xFF, 0xFF, 0, 0, 0xFF, 0xD8});
  shortData.SetPosition(0);
  TJPEGImage other;
  EXPECT_THROW(other.ReadData(shortData), EReadError);
  EXPECT_TRUE(other.GetEmpty());
}

TEST(JPEGImage, DamagedDataRaises) {
  const std::vector<uint8_t> jpeg = Encode(MakeGradient(64, 48, 3), Mode::Baseline);
  TJPEGImage image;
  LoadGraphic(image, jpeg);
  EXPECT_THROW(LoadGraphic(image, {'B', 'M', 0, 0, 0, 0}), EInvalidGraphic);
  EXPECT_THROW(LoadGraphic(image, {}), EInvalidGraphic);
  EXPECT_EQ(image.GetWidth(), 64);  // unchanged by the failed loads
  EXPECT_EQ(image.GetData(), jpeg);

  // Cut in the middle of the scan: the header is whole, so loading works; decoding reports
  // the damage once and drawing stays silent afterwards.
  TJPEGImage cut;
  const size_t scan = FindMarker(jpeg, 0xDA);
  LoadGraphic(cut, std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + (scan + jpeg.size()) / 2));
  EXPECT_EQ(cut.GetWidth(), 64);
  MemorySurface surface(64, 48, clBlack);
  EXPECT_THROW(surface.Canvas.Draw(0, 0, &cut), EInvalidGraphic);
  EXPECT_NO_THROW(surface.Canvas.Draw(0, 0, &cut));
  EXPECT_THROW(cut.GetBitmap(), EInvalidGraphic);
}

TEST(JPEGImage, NoObjectsLeakOverManyCycles) {
  const SourceImage source = MakeGradient(32, 24, 3);
  const std::vector<uint8_t> jpeg = Encode(source, Mode::Baseline);
  MemorySurface surface(32, 24, clBlack);
  ResourceProbe probe;
  for (int i = 0; i < 1000; ++i) {
    TJPEGImage image;
    LoadGraphic(image, jpeg);
    surface.Canvas.Draw(0, 0, &image);
  }
  probe.ExpectNoLeak();
  EXPECT_LT(SurfaceError(surface, source), 3.0);
}
