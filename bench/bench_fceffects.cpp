// Speed of the image-button library's effects, against the cost of merely copying the image.
//
// Makes a 1024 x 768 TfcBitmap (24 bits, rows padded to 4 bytes), then times every effect on
// it, the alpha blend with a second image and the smooth stretch to 1280 x 960, each in turns
// with a memcpy of the image's bytes (so the copy meets the caches as the effect leaves them).
// Before each timed run the picture is put back (untimed), so every run starts from the same
// pixels. Prints the best and the median time of each, the copies' median and the median of
// the pairs' ratios effect / copy. Usage: bench_fceffects [runs] (default 11).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysMath.h"
#include "classlib/system/Win.h"
#include "controls/imagebutton/fcBitmap.h"
#include "BenchTiming.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kDefaultRuns = 11;
constexpr int kMaxRuns = 1000;

// Gradients crossed by a fine diagonal pattern, so that neighbouring pixels differ.
void Paint(TfcBitmap& image, int shift) {
  const TfcPixelView pixels = image.GetPixels();
  for (int y = 0; y < pixels.Height; ++y)
    for (int x = 0; x < pixels.Width; ++x) {
      const int pattern = ((x + y + shift) % 16 < 8) ? 24 : 0;
      pixels.At(x, y) = TfcColor{static_cast<uint8_t>(((x ^ y) & 0xFF) / 2 + 40),
                                 static_cast<uint8_t>(y * 200 / kHeight + pattern),
                                 static_cast<uint8_t>(x * 200 / kWidth + pattern)};
    }
}

struct Effect {
  const char* Name;
  std::function<void(TfcBitmap&)> Run;
};

int Run(int runs) {
  TfcBitmap image, original, blend, stretched;
  image.SetSize(kWidth, kHeight);
  original.SetSize(kWidth, kHeight);
  blend.SetSize(kWidth, kHeight);
  stretched.SetSize(1280, 960);
  if (image.GetEmpty() || original.GetEmpty() || blend.GetEmpty() || stretched.GetEmpty()) {
    std::fprintf(stderr, "the images could not be made\n");
    return 1;
  }
  Paint(original, 0);
  Paint(blend, 5);
  const size_t imageBytes = static_cast<size_t>(original.GetImageSize());
  const uint8_t* source = original.GetPixels().Bits;
  uint8_t* target = image.GetPixels().Bits;
  auto restore = [&] { std::memcpy(target, source, imageBytes); };

  volatile uint8_t sink = 0;  // keeps the work from being optimised away
  const auto copy = [&] {
    restore();
    sink = sink + target[imageBytes / 2];
  };

  const TfcPackedColor someColor = PackPixel(original.GetPixel(3, 3));
  const std::vector<Effect> effects = {
      {"GrayScale", [](TfcBitmap& b) { b.GrayScale(); }},
      {"Lightness 40", [](TfcBitmap& b) { b.Lightness(40); }},
      {"Contrast 40", [](TfcBitmap& b) { b.Contrast(40); }},
      {"Saturation 128", [](TfcBitmap& b) { b.Saturation(128); }},
      {"Colorize", [](TfcBitmap& b) { b.Colorize(200, 150, 100); }},
      {"AddColor", [](TfcBitmap& b) { b.AddColor(20, 10, 5); }},
      {"Invert", [](TfcBitmap& b) { b.Invert(); }},
      {"Emboss", [](TfcBitmap& b) { b.Emboss(); }},
      {"BlurStep 2", [](TfcBitmap& b) { b.BlurStep(2); }},
      {"GaussianBlur 3", [](TfcBitmap& b) { b.GaussianBlur(3); }},
      {"Sharpen 2", [](TfcBitmap& b) { b.Sharpen(2); }},
      {"Sponge 3", [](TfcBitmap& b) { b.Sponge(3); }},
      {"Flip horiz.", [](TfcBitmap& b) { b.Flip(true); }},
      {"Flip vert.", [](TfcBitmap& b) { b.Flip(false); }},
      {"Wave wrap", [](TfcBitmap& b) { b.Wave(20, 20, 5, true); }},
      {"Rotate 30", [](TfcBitmap& b) { b.Rotate(TPoint(-1, -1), 30); }},
      {"MaskByColor", [=](TfcBitmap& b) { b.MaskByColor(someColor); }},
      {"ReplaceColor", [=](TfcBitmap& b) { b.ReplaceColor(0x123456, someColor); }},
      {"AlphaBlend 128", [&](TfcBitmap& b) { AlphaBlend(&b, &blend, 128, false); }},
      {"SmoothStretch", [&](TfcBitmap& b) {
         fcPixels::SmoothStretch(b.GetPixels(), stretched.GetPixels());
       }},
  };

  const char* build = BuildKind();
  std::printf("Image %d x %d, %zu bytes (rows of %d bytes)\n", kWidth, kHeight, imageBytes,
              original.GetRowStride());
  std::printf("%d runs each, %s\n", runs, build);
  for (const Effect& effect : effects) {
    RandSeed = 1;
    const Paired t = MeasurePairs(runs, [] {}, copy, restore, [&] {
      effect.Run(image);
      sink = sink + target[imageBytes / 2];
    });
    PrintAgainstCopy(effect.Name, t, 16);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_fceffects", kDefaultRuns, kMaxRuns, Run);
}
