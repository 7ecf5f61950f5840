// Speed of the effect bitmap's operations, against the cost of merely copying its pixels.
//
// Makes a 1024 x 768 picture as a bitmap, then times each operation of TEffectBmp on it:
// making the buffer from the bitmap, the pixel operations (noise, colour mix, blur, the six
// gradients, mixing with a second buffer) and drawing it back, each in turns with a memcpy of
// the buffer's bytes (so the copy meets the caches as the operation leaves them). Prints the
// best and the median time of each, the copies' median and the median of the pairs' ratios
// operation / copy. The
// operations work in place, so every run starts from the previous run's result; their cost
// does not depend on the pixel values. Usage: bench_effects [runs] (default 21).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysMath.h"
#include "classlib/system/Win.h"
#include "controls/effects/EffBmp.h"
#include "BenchTiming.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kDefaultRuns = 21;
constexpr int kMaxRuns = 1000;

// A picture with gradients crossed by a fine pattern, drawn into a bitmap of the screen's
// format, as a control's off-screen bitmap is.
void MakePicture(TBitmap& bitmap) {
  bitmap.SetSize(kWidth, kHeight);
  TCanvas* canvas = bitmap.GetCanvas();
  for (int y = 0; y < kHeight; y += 8) {
    canvas->GetBrush()->SetColor(RGBColor(static_cast<uint8_t>(y * 255 / kHeight), 120,
                                          static_cast<uint8_t>(255 - y * 255 / kHeight)));
    canvas->FillRect(Rect(0, y, kWidth, y + 8));
  }
  canvas->GetPen()->SetColor(clWhite);
  for (int x = 0; x < kWidth; x += 16) {
    canvas->MoveTo(x, 0);
    canvas->LineTo(x + kHeight, kHeight);
  }
}

int Run(int runs) {
  TBitmap picture;
  MakePicture(picture);
  HBITMAP handle = picture.GetHandle();
  std::unique_ptr<TEffectBmp> effect = TEffectBmp::CreateFromBitmap(handle);
  std::unique_ptr<TEffectBmp> second = TEffectBmp::CreateFromBitmap(handle);
  const size_t imageBytes = static_cast<size_t>(effect->GetImageSize());
  std::vector<uint8_t> target(imageBytes);
  const uint8_t* pixels = effect->ScanLine(0);
  volatile uint8_t sink = 0;  // keeps the copies from being optimised away

  // The drawing target: a memory DC with a bitmap of the screen's format.
  TBitmap screen;
  screen.SetSize(kWidth, kHeight);
  HDC screenDC = screen.GetCanvas()->GetHandle();

  RandSeed = 1;
  const auto copy = [&] {
    std::memcpy(target.data(), pixels, imageBytes);
    sink = sink + target[imageBytes / 2];
  };
  struct Operation {
    const char* Name;
    std::function<void()> Work;
  };
  const Operation operations[] = {
      {"CreateFromBitmap",
       [&] { sink = sink + TEffectBmp::CreateFromBitmap(handle)->ScanLine(1)[0]; }},
      {"Draw", [&] { effect->Draw(screenDC, 0, 0); ::GdiFlush(); }},
      {"AddColorNoise(30)", [&] { effect->AddColorNoise(30); }},
      {"MixColor", [&] { effect->MixColor(clBtnFace); }},
      {"Blur(1)", [&] { effect->Blur(1); }},
      {"FillGradient gdRight", [&] { effect->FillGradient(clNavy, gdRight); }},
      {"FillGradient gdLeft", [&] { effect->FillGradient(clNavy, gdLeft); }},
      {"FillGradient gdTop", [&] { effect->FillGradient(clNavy, gdTop); }},
      {"FillGradient gdBottom", [&] { effect->FillGradient(clNavy, gdBottom); }},
      {"FillGradient gdVCenter", [&] { effect->FillGradient(clNavy, gdVCenter); }},
      {"FillGradient gdHCenter", [&] { effect->FillGradient(clNavy, gdHCenter); }},
      {"MixBitmap", [&] { effect->MixBitmap(*second); }},
  };
  std::vector<Paired> timings;
  for (const Operation& operation : operations) timings.push_back(MeasurePairs(runs, copy, operation.Work));

  const char* build = BuildKind();
  std::printf("Effect bitmap %d x %d, %zu bytes; %d runs each, %s\n", kWidth, kHeight,
              imageBytes, runs, build);
  for (size_t i = 0; i < timings.size(); ++i) PrintAgainstCopy(operations[i].Name, timings[i], 22);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_effects", kDefaultRuns, kMaxRuns, Run);
}
