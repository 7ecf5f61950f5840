// Tiling skin pictures of different sizes against drawing them copy by copy: TSeBitmap::TileTo
// fills two areas of 180 x 90 and 200 x 90 (two controls' backgrounds) on a 32-bit memory DC
// with pictures of 1 x 1, 16 x 16, 32 x 32 and 48 x 48, a 1 x 90 strip (a vertical gradient,
// as skins draw their tiled parts) and a 90 x 1 strip, each opaque and transparent (the clear
// colour left out); the reference is TSeBitmap::TileCopyByCopy, one drawing call per copy, on
// the same areas. One run draws both areas; the two take turns, one run each. Prints each
// side's best and median of N runs (default 21) and the median of the pairs' ratios
// TileTo / copy by copy. Usage: bench_skin_tile [runs].
#include <cstdio>
#include <memory>

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

// Both areas of the surface tiled with the whole of bitmap, one way or the other.
void TileBothAreas(TSeBitmap& bitmap, Surface& surface, bool transparent, bool copyByCopy) {
  const TRect all(0, 0, bitmap.GetWidth(), bitmap.GetHeight());
  for (const TRect& area : {TRect(0, 0, 180, 90), TRect(190, 5, 390, 95)}) {
    if (copyByCopy)
      bitmap.TileCopyByCopy(&surface.Canvas, area, all, transparent);
    else
      bitmap.TileTo(&surface.Canvas, area, all, transparent);
  }
  ::GdiFlush();
}

int Run(int runs) {
  std::printf("tiling over two areas of 180 x 90 and 200 x 90 against copy by copy, %d runs (%s)\n", runs,
              BuildKind());
  const struct {
    const char* Name;
    int W, H;
  } pictures[] = {{"1 x 1", 1, 1},   {"16 x 16", 16, 16}, {"32 x 32", 32, 32},
                  {"48 x 48", 48, 48}, {"1 x 90", 1, 90},   {"90 x 1", 90, 1}};
  Surface surface(400, 100);
  for (bool transparent : {false, true}) {
    std::printf("%s\n", transparent ? "transparent" : "opaque");
    for (const auto& p : pictures) {
      const std::unique_ptr<TSeBitmap> bitmap = Picture(p.W, p.H);
      TSeBitmap* b = bitmap.get();
      const Paired t = MeasurePairs(
          runs, [b, &surface, transparent] { TileBothAreas(*b, surface, transparent, true); },
          [b, &surface, transparent] { TileBothAreas(*b, surface, transparent, false); });
      std::printf("  %-8s copy by copy median %8.3f ms  TileTo best %8.3f ms  median %8.3f ms  "
                  "/copy by copy, median of the pairs %5.2f\n",
                  p.Name, t.A.Median, t.B.Best, t.B.Median, t.Ratio);
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmark(argc, argv, "bench_skin_tile", kDefaultRuns, kMaxRuns, Run);
}
