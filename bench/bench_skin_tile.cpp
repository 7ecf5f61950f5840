// Tiling skin pictures of different sizes over the same area: TSeBitmap::TileTo fills two
// areas of 180 x 90 and 200 x 90 (two controls' backgrounds) on a 32-bit memory DC with a
// 16 x 16 picture (the reference), a 1 x 1 picture, a 1 x 90 strip (a vertical gradient, as
// skins draw their tiled parts) and a 90 x 1 strip, each opaque and transparent (the clear
// colour left out). One run draws both areas; the pictures take turns, one run each. Prints
// each one's best and median of N runs (default 21) and the median of the turns' ratios to
// the 16 x 16 picture drawn the same way. Usage: bench_skin_tile [runs].
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchTiming.h"
#include "controls/skin/engine/SkinBitmap.h"

namespace {

constexpr int kDefaultRuns = 21;
constexpr int kMaxRuns = 1000;

// A w x h picture of a gradient, every fifth pixel of the clear colour.
std::unique_ptr<TSeBitmap> Picture(int w, int h) {
  auto bitmap = std::make_unique<TSeBitmap>();
  bitmap->SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bitmap->SetPixel(x, y, (x + y) % 5 == 4 ? SeClearPixel : PackPixel(x * 3, y * 2, 128, 255));
  return bitmap;
}

// A top-down 32-bit DIB section selected into a memory DC.
class Surface {
 public:
  Surface(int w, int h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    FBitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    FDC = ::CreateCompatibleDC(nullptr);
    FOld = ::SelectObject(FDC, FBitmap);
    Canvas.SetHandle(FDC);
  }
  ~Surface() {
    Canvas.SetHandle(nullptr);
    ::SelectObject(FDC, FOld);
    ::DeleteDC(FDC);
    ::DeleteObject(FBitmap);
  }
  TCanvas Canvas;

 private:
  HBITMAP FBitmap;
  HDC FDC;
  HGDIOBJ FOld;
};

int Run(int runs) {
  std::printf("tiling over two areas of 180 x 90 and 200 x 90, %d runs (%s)\n", runs, BuildKind());
  const struct {
    const char* Name;
    int W, H;
  } pictures[] = {{"16 x 16", 16, 16}, {"1 x 1", 1, 1}, {"1 x 90", 1, 90}, {"90 x 1", 90, 1}};
  std::vector<std::unique_ptr<TSeBitmap>> bitmaps;
  for (const auto& p : pictures) bitmaps.push_back(Picture(p.W, p.H));
  Surface surface(400, 100);
  for (bool transparent : {false, true}) {
    std::vector<Turn> turns;
    for (auto& bitmap : bitmaps) {
      TSeBitmap* b = bitmap.get();
      turns.push_back(Turn{.Work = [b, &surface, transparent] {
        const TRect all(0, 0, b->GetWidth(), b->GetHeight());
        b->TileTo(&surface.Canvas, TRect(0, 0, 180, 90), all, transparent);
        b->TileTo(&surface.Canvas, TRect(190, 5, 390, 95), all, transparent);
        ::GdiFlush();
      }});
    }
    const std::vector<TurnTiming> t = MeasureRounds(runs, turns);
    std::printf("%s\n", transparent ? "transparent" : "opaque");
    for (size_t i = 0; i < t.size(); ++i)
      std::printf("  %-8s best %8.3f ms  median %8.3f ms  /16 x 16, median of the turns %5.2f\n", pictures[i].Name,
                  t[i].Time.Best, t[i].Time.Median, t[i].RatioToFirst);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_tile", kDefaultRuns, kMaxRuns, Run);
}
