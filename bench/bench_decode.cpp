// Decoding speed of the picture formats, against the cost of merely copying the pixels.
//
// Makes a 1024 x 768 picture in memory, encodes it as a JPEG (with libjpeg's compressor)
// and as a 24-bit BMP, then times DecodeJpeg and DecodeBmp, each in turns with a memcpy of the
// same number of pixel bytes (copy, decode, copy, decode …: the copy meets the caches as the
// decode leaves them, not kept warm by a block of copies). Prints the best and the median time
// of each decoder, the copies' median and the median of the pairs' ratios decode / copy.
// Usage: bench_decode [runs] (default 21).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include <jpeglib.h>

#include "classlib/graphics/BmpFormat.h"
#include "classlib/graphics/JpegFormat.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/Win.h"
#include "BenchTiming.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kJpegQuality = 85;
constexpr int kDefaultRuns = 21;
constexpr int kMaxRuns = 1000;

// A picture with smooth areas and fine detail, as photographs have: gradients crossed by a
// fine diagonal pattern. Rows top-down, red, green, blue.
std::vector<uint8_t> MakeRgbPicture() {
  std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  uint8_t* p = rgb.data();
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const int pattern = ((x + y) % 16 < 8) ? 24 : 0;
      *p++ = static_cast<uint8_t>(x * 200 / kWidth + pattern);
      *p++ = static_cast<uint8_t>(y * 200 / kHeight + pattern);
      *p++ = static_cast<uint8_t>(((x ^ y) & 0xFF) / 2 + 40);
    }
  return rgb;
}

std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& rgb) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);  // a failure here ends the benchmark, as it should
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = kWidth;
  cinfo.image_height = kHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, kJpegQuality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row[1] = {const_cast<uint8_t*>(rgb.data()) +
                       static_cast<size_t>(cinfo.next_scanline) * kWidth * 3};
    jpeg_write_scanlines(&cinfo, row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

std::vector<uint8_t> EncodeBmpFile(const std::vector<uint8_t>& rgb) {
  TBmpImage image;
  image.Width = kWidth;
  image.Height = kHeight;
  image.BitCount = 24;
  const size_t rowBytes = static_cast<size_t>(image.RowBytes());
  image.Bits.resize(rowBytes * kHeight);
  for (int y = 0; y < kHeight; ++y) {  // bottom-up, blue-green-red
    const uint8_t* source = rgb.data() + static_cast<size_t>(y) * kWidth * 3;
    uint8_t* row = image.Bits.data() + rowBytes * (kHeight - 1 - y);
    for (int x = 0; x < kWidth; ++x) {
      row[x * 3] = source[x * 3 + 2];
      row[x * 3 + 1] = source[x * 3 + 1];
      row[x * 3 + 2] = source[x * 3];
    }
  }
  return EncodeBmp(image);
}

int Run(int runs) {
  const std::vector<uint8_t> rgb = MakeRgbPicture();
  const std::vector<uint8_t> jpeg = EncodeJpeg(rgb);
  const std::vector<uint8_t> bmp = EncodeBmpFile(rgb);
  const size_t pixelBytes = static_cast<size_t>(kWidth) * kHeight * 3;

  // Each decoder is run once first, so that a decoder that fails is reported, not timed.
  const TJpegPixels check = DecodeJpeg(jpeg.data(), jpeg.size());
  const TBmpImage bmpCheck = DecodeBmp(bmp.data(), bmp.size());
  if (check.Width != kWidth || check.Height != kHeight || bmpCheck.Width != kWidth ||
      bmpCheck.Height != kHeight) {
    std::fprintf(stderr, "a decoder gave the wrong size\n");
    return 1;
  }

  std::vector<uint8_t> target(pixelBytes);
  volatile uint8_t sink = 0;  // keeps the copies and decodes from being optimised away
  const auto copy = [&] {
    std::memcpy(target.data(), rgb.data(), pixelBytes);
    sink = sink + target[pixelBytes / 2];
  };
  const Paired jpegTime = MeasurePairs(runs, copy, [&] {
    TJpegPixels pixels = DecodeJpeg(jpeg.data(), jpeg.size());
    sink = sink + pixels.Bgr[pixelBytes / 2];
  });
  const Paired bmpTime = MeasurePairs(runs, copy, [&] {
    TBmpImage image = DecodeBmp(bmp.data(), bmp.size());
    sink = sink + image.Bits[pixelBytes / 2];
  });

  const char* build = BuildKind();
  std::printf("Picture %d x %d, %zu pixel bytes; JPEG %zu bytes (quality %d), BMP %zu bytes\n",
              kWidth, kHeight, pixelBytes, jpeg.size(), kJpegQuality, bmp.size());
  std::printf("%d runs each, %s\n", runs, build);
  PrintAgainstCopy("JPEG decode", jpegTime, 12);
  PrintAgainstCopy("BMP decode", bmpTime, 12);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_decode", kDefaultRuns, kMaxRuns, Run);
}
