#include "SkinTransitions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "classlib/system/RandomSequence.h"
#include "classlib/system/SysMath.h"
#include "controls/skin/engine/SkinBitmap.h"
#include "controls/skin/engine/SkinColors.h"

namespace {

int Nearest(double x) { return static_cast<int>(Round(x)); }
uint8_t Clamp255(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

// The fading value of the smooth effects for step k of a sweep with step q.
uint8_t FadingValue(int percent, int k, double q) {
  if (percent >= 100) return 255;
  return Clamp255(::MulDiv(Nearest(2.0 * percent - k * q), 255, 100));
}

// Rectangles (or diamonds) around the centre growing to n div 2 steps; value(k) of each.
template <class V>
void Rings(TSeMask& mask, int n, bool diamond, V value) {
  const int w = mask.Width, h = mask.Height;
  const double ax = w <= h ? static_cast<double>(w) / h : 1.0;
  const double ay = w <= h ? 1.0 : static_cast<double>(h) / w;
  const int cx = w / 2, cy = h / 2;
  for (int k = 0; k <= n / 2; ++k) {
    const int dx = Nearest(k * ax), dy = Nearest(k * ay);
    const uint8_t v = value(k);
    if (diamond) {
      DrawMaskLine(mask, v, cx, cy + dy, cx - dx, cy);
      DrawMaskLine(mask, v, cx - dx, cy, cx, cy - dy);
      DrawMaskLine(mask, v, cx, cy - dy, cx + dx, cy);
      DrawMaskLine(mask, v, cx + dx, cy, cx, cy + dy);
    } else {
      DrawMaskLine(mask, v, cx - dx, cy + dy, cx - dx, cy - dy);
      DrawMaskLine(mask, v, cx - dx, cy - dy, cx + dx, cy - dy);
      DrawMaskLine(mask, v, cx + dx, cy - dy, cx + dx, cy + dy);
      DrawMaskLine(mask, v, cx + dx, cy + dy, cx - dx, cy + dy);
    }
  }
}

void Row(TSeMask& mask, int y, uint8_t value) { DrawMaskLine(mask, value, 0, y, mask.Width - 1, y); }

// count distinct random cells set to 255, from a generator seeded with the cell count, so
// that every frame draws the same sequence and the set only grows. A cell drawn twice is
// replaced by the next free one after a few tries, so the search always ends.
void RandomCells(TSeMask& mask, int percent) {
  const int cells = mask.Width * mask.Height;
  int32_t seed = cells;
  const int count = std::min(cells, Nearest(static_cast<double>(cells) * percent / 100.0));
  for (int i = 0; i < count; ++i) {
    int index = RandomFromSeed(seed, cells);
    for (int tries = 0; tries < 8 && mask.Cells[index] != 0; ++tries) index = RandomFromSeed(seed, cells);
    for (int step = 0; step < cells && mask.Cells[index] != 0; ++step) index = (index + 1) % cells;
    mask.Cells[index] = 255;
  }
}

void Invert(TSeMask& mask) {
  for (uint8_t& c : mask.Cells) c = static_cast<uint8_t>(255 - c);
}

}  // namespace

void TSeMask::Reset(int width, int height) {
  Width = std::max(0, width);
  Height = std::max(0, height);
  Cells.assign(static_cast<size_t>(Width) * Height, 0);
}

void TSeMask::Set(int x, int y, uint8_t value) {
  if (x >= 0 && y >= 0 && x < Width && y < Height) Cells[static_cast<size_t>(y) * Width + x] = value;
}

void DrawMaskLine(TSeMask& mask, uint8_t value, int x0, int y0, int x1, int y1) {
  mask.Set(x0, y0, value);
  const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  const int sx = x1 > x0 ? 1 : -1, sy = y1 > y0 ? 1 : -1;
  const int n = std::max(dx, dy);
  int ex = 0, ey = 0, x = x0, y = y0;
  for (int i = 0; i <= n; ++i) {
    ex += dx;
    ey += dy;
    bool stepped = false;
    if (ex > n) ex -= n, x += sx, stepped = true;
    if (ey > n) ey -= n, y += sy, stepped = true;
    if (stepped) mask.Set(x, y, value);
  }
}

void DrawEffect(TSeMask& mask, TveEffect effect, int percent) {
  const int w = mask.Width, h = mask.Height;
  if (percent <= 0 || w <= 0 || h <= 0) return;
  const int p = std::min(percent, 100);
  const uint8_t full = Clamp255(::MulDiv(p, 255, 100));
  const int longer = std::max(w, h);
  switch (effect) {
    case veFade:
      std::fill(mask.Cells.begin(), mask.Cells.end(), Clamp255(Nearest(p / 100.0 * 255)));
      break;
    case veDiagonal: {
      const int a = ::MulDiv(w - 1, p, 100), b = ::MulDiv(h - 1, p, 100);
      if (2 * a <= 2 * b) {
        for (int k = 0; k <= 2 * b; ++k) DrawMaskLine(mask, full, 0, k, std::min(k, 2 * a), 0);
      } else {
        for (int k = 0; k <= 2 * a; ++k) DrawMaskLine(mask, full, 0, std::min(k, 2 * b), k, 0);
      }
      break;
    }
    case veDown:
      for (int y = 0; y <= ::MulDiv(p, h - 1, 100); ++y) Row(mask, y, full);
      break;
    case veIn: {
      const int t = ::MulDiv(p, h / 2, 100);
      for (int y = h - 1; y >= h - 1 - t; --y) Row(mask, y, full);
      for (int y = 0; y <= t; ++y) Row(mask, y, full);
      break;
    }
    case veOut: {
      const int c = h / 2, t = ::MulDiv(p, h / 2, 100);
      for (int k = 0; k <= t; ++k) Row(mask, c - k, full), Row(mask, c + k, full);
      break;
    }
    case veRectOut:
      Rings(mask, ::MulDiv(p, w <= h ? h : w, 100), false, [&](int) { return full; });
      break;
    case veRectIn: {
      TSeMask rings;
      rings.Reset(w, h);
      DrawEffect(rings, veRectOut, 100 - p);
      for (size_t i = 0; i < mask.Cells.size(); ++i) mask.Cells[i] = rings.Cells[i] == 0 ? full : 0;
      break;
    }
    case vePixel: RandomCells(mask, p); break;
    case vePixelLine: {
      TSeMask cells;
      cells.Reset(w, h);
      RandomCells(cells, p);
      const int last = std::min(w - 1, Nearest(p / 100.0 * (2 * w - 1)));
      for (int x = 0; x <= last; ++x) {
        const int v = std::max(0, Nearest(2.0 * p - x * (w * 0.1) / p));
        const uint8_t value = Clamp255(Nearest(v / 100.0 * 255));
        for (int y = 0; y < h; ++y)
          if (cells.At(x, y)) mask.Set(x, y, value);
      }
      break;
    }
    case veDiamondOut: {
      const int n = ::MulDiv(p, Nearest(longer * 2.5), 100), m = n / 2;
      const double q = m == 0 ? 2.0 * p : 2.0 * p / m;
      Rings(mask, n, true, [&](int k) { return FadingValue(p, k, q); });
      break;
    }
    case veDiamondIn:
      DrawEffect(mask, veDiamondOut, 100 - p);
      Invert(mask);
      break;
    case veSmoothDiagonal: {
      const int n = ::MulDiv(p, Nearest(std::sqrt(double(w) * w + double(h) * h) * 2.5), 100);
      const double rx = w <= h ? static_cast<double>(w) / h : 1.0;
      const double ry = w <= h ? 1.0 : static_cast<double>(h) / w;
      const double q = n == 0 ? 2.0 * p : 2.0 * p / n;
      for (int k = 0; k <= n; ++k)
        DrawMaskLine(mask, FadingValue(p, k, q), 0, Nearest(k * ry), Nearest(k * rx), 0);
      break;
    }
    case veSmoothRectOut: {
      const int n = ::MulDiv(p, Nearest(longer * 1.6), 100);
      const double q = n / 2 == 0 ? 2.0 * p : 2.0 * p / (n / 2);
      Rings(mask, n, false, [&](int k) { return FadingValue(p, k, q); });
      break;
    }
    case veSmoothRectIn:
      DrawEffect(mask, veSmoothRectOut, 100 - p);
      Invert(mask);
      break;
    default: break;
  }
}

bool ComposeFrame(TSeBitmap& frame, const TSeBitmap& newImage, const TSeBitmap& oldImage,
                  const TSeTransition& transition, int percent) {
  const int wi = newImage.GetWidth(), hi = newImage.GetHeight();
  if (newImage.Empty() || oldImage.Empty() || wi != oldImage.GetWidth() || hi != oldImage.GetHeight())
    return false;
  if (&frame == &newImage || &frame == &oldImage) return false;
  frame.SetSize(wi, hi);
  const int res = std::max(1, transition.Resolution), tc = std::max(1, transition.TileCount);
  const int rows = (hi / res) / tc + 1, cols = (wi / res) / tc + 1;
  const int tileH = hi / tc + 1, tileW = wi / tc + 1;
  const TSeDirection dir = transition.Direction;
  const bool turned = dir == vdRotate90 || dir == vdRotate270;
  TSeMask mask;
  mask.Reset(turned ? cols : rows, turned ? rows : cols);
  DrawEffect(mask, transition.Effect, percent);
  // The mask index of each pixel row and column (a sum of the two): cells overlap by one pixel
  // at their ends, where the later cell (and the later tile) wins.
  std::vector<size_t> rowIndex(hi), colIndex(wi);
  for (int y = 0; y < hi; ++y) {
    const int r = std::min((y % tileH) / res, rows - 1);
    switch (dir) {
      case vdRotate90: rowIndex[y] = static_cast<size_t>(rows - 1 - r) * cols; break;
      case vdRotate180: rowIndex[y] = rows - 1 - r; break;
      case vdRotate270: rowIndex[y] = static_cast<size_t>(r) * cols; break;
      default: rowIndex[y] = r; break;
    }
  }
  for (int x = 0; x < wi; ++x) {
    const int c = std::min((x % tileW) / res, cols - 1);
    switch (dir) {
      case vdRotate90: colIndex[x] = c; break;
      case vdRotate180: colIndex[x] = static_cast<size_t>(cols - 1 - c) * rows; break;
      case vdRotate270: colIndex[x] = cols - 1 - c; break;
      default: colIndex[x] = static_cast<size_t>(c) * rows; break;
    }
  }
  const uint8_t* cells = mask.Cells.data();
  const uint32_t clear = PixelRGB(SeClearPixel);
  for (int y = 0; y < hi; ++y) {
    const TPixel32* n = newImage.PixelPtr(0, y);
    const TPixel32* o = oldImage.PixelPtr(0, y);
    TPixel32* out = frame.PixelPtr(0, y);
    const uint8_t* row = cells + rowIndex[y];
    for (int x = 0; x < wi; ++x) {
      const uint8_t m = row[colIndex[x]];
      if (m == 0 || PixelRGB(n[x]) == clear) {
        out[x] = o[x];
      } else if (m == 255) {
        out[x] = n[x];
      } else {
        TPixel32 source = n[x];
        source.A = m;
        out[x] = BlendPixel(source, o[x]);
      }
    }
  }
  return true;
}

void PlayTransition(HDC dc, int x, int y, const TSeAnimation& animation, TSeBitmap& newImage,
                    const TSeBitmap& oldImage) {
  if (!dc || newImage.Empty() || oldImage.Empty()) return;
  TSeTransition transition{animation.GetEffect(), animation.GetResolution(),
                           animation.GetTileCount(), animation.GetDirection()};
  if (transition.Effect == veRandomSelect) {
    int32_t seed = static_cast<int32_t>(::GetTickCount());
    transition.Effect = static_cast<TveEffect>(RandomFromSeed(seed, 14) + 1);
  }
  TSeBitmap frame;
  TSeTimer timer;
  const int time = std::max(0, animation.GetTime());
  // Each frame advances the clock by at least a millisecond, so the loop always ends.
  for (double elapsed = 0; elapsed <= time;) {
    timer.Start();
    const int percent = time > 0 ? std::min(100, Nearest(elapsed / time * 100)) : 0;
    if (ComposeFrame(frame, newImage, oldImage, transition, percent)) frame.Draw(dc, x, y, false);
    timer.Stop();
    if (time == 0) break;
    elapsed += std::max(1.0, timer.Elapsed() * 1000);
  }
  newImage.Draw(dc, x, y, true);
}
