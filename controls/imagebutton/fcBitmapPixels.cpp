// The pixel loops of the image-button library. Every effect walks rows top to bottom and
// pixels left to right, reading neighbours from the buffer it writes, so a neighbour above or
// to the left has already been replaced when it is read; the results the tests expect
// depend on that order. Per-channel maps go through 256-entry tables.
#include "fcBitmapPixels.h"

#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

#include "classlib/system/SysMath.h"

// ---- Colours -------------------------------------------------------------------------------

TfcColor ColorToBytes(TColor color) {
  const COLORREF rgb = ColorToRGB(color);
  return TfcColor{GetBValue(rgb), GetGValue(rgb), GetRValue(rgb)};
}

TColor PackedToColor(TfcPackedColor packed) {
  return RGBColor(static_cast<uint8_t>(packed >> 16), static_cast<uint8_t>(packed >> 8),
                  static_cast<uint8_t>(packed));
}

TfcColorQuad ColorToRGBQuad(TColor color) {
  const COLORREF rgb = ColorToRGB(color);
  return TfcColorQuad{static_cast<uint8_t>(rgb >> 24), GetBValue(rgb), GetGValue(rgb),
                      GetRValue(rgb)};
}

namespace {

// Older processors lack the byte-swap instruction; both forms give the same entry.
uint32_t SwapByShuffle(uint32_t e) {
  return (e & 0x0000FF00u) | ((e & 0xFFu) << 16) | ((e >> 16) & 0xFFu);
}
uint32_t SwapByByteSwap(uint32_t e) { return __builtin_bswap32(e) >> 8; }

int ProcessorLevel() {
  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  return info.wProcessorLevel;
}

}  // namespace

void SwapColorEntries(uint32_t* entries, int count) {
  if (entries == nullptr) return;
  static const bool shuffle = ProcessorLevel() == 3;
  for (int i = count - 1; i >= 0; --i)
    entries[i] = shuffle ? SwapByShuffle(entries[i]) : SwapByByteSwap(entries[i]);
}

// ---- Buffers ---------------------------------------------------------------------------------

TfcPixelBuffer::TfcPixelBuffer(int width, int height, TfcColor fill) {
  if (width <= 0 || height <= 0) return;
  FWidth = width;
  FHeight = height;
  FBytes.assign(static_cast<size_t>(fcRowStride(width)) * static_cast<size_t>(height), 0);
  fcPixels::Fill(View(), fill);
}

TfcPixelView TfcPixelBuffer::View() {
  if (FBytes.empty()) return TfcPixelView{};
  return TfcPixelView{FBytes.data(), FWidth, FHeight, fcRowStride(FWidth)};
}

namespace fcPixels {

namespace {

using TByteTable = std::array<uint8_t, 256>;

// Maps the three channels of every pixel through their tables.
void MapChannels(const TfcPixelView& image, const TByteTable& tb, const TByteTable& tg,
                 const TByteTable& tr) {
  for (int y = 0; y < image.Height; ++y) {
    TfcColor* p = image.Pixels(y);
    for (int x = 0; x < image.Width; ++x) {
      p[x].B = tb[p[x].B];
      p[x].G = tg[p[x].G];
      p[x].R = tr[p[x].R];
    }
  }
}

void MapChannels(const TfcPixelView& image, const TByteTable& t) { MapChannels(image, t, t, t); }

// third[j] = j div 3; the sum of three entries of bytes is at most 255.
std::array<int, 258> ThirdTable() {
  std::array<int, 258> third{};
  for (int j = 0; j < 258; ++j) third[j] = j / 3;
  return third;
}

// The nearest integer, halves to even, of a value first kept within +-2^30: far beyond any
// pixel offset, and small enough that sums with coordinates stay inside an int.
int NearestOf(double v) {
  constexpr double limit = 1073741824.0;
  return static_cast<int>(Round(v > limit ? limit : (v < -limit ? -limit : v)));
}

// The value brought into 0..n-1 by a true modulo (n > 0).
int Wrap(int v, int n) {
  if (v >= 0 && v < n) return v;
  const int m = v % n;
  return m < 0 ? m + n : m;
}

}  // namespace

void Fill(const TfcPixelView& image, TfcColor color) {
  if (image.Empty()) return;
  for (int y = 0; y < image.Height; ++y) {
    TfcColor* p = image.Pixels(y);
    for (int x = 0; x < image.Width; ++x) p[x] = color;
  }
}

void Copy(const TfcPixelView& src, const TfcPixelView& dst) {
  if (src.Empty() || dst.Empty() || !src.SameSize(dst)) return;
  const size_t rowBytes = static_cast<size_t>(src.Width) * 3;
  for (int y = 0; y < src.Height; ++y) std::memmove(dst.Row(y), src.Row(y), rowBytes);
}

// ---- Effects ---------------------------------------------------------------------------------

void GrayScale(const TfcPixelView& image) {
  if (image.Empty()) return;
  static const std::array<int, 258> third = ThirdTable();
  for (int y = 0; y < image.Height; ++y) {
    TfcColor* p = image.Pixels(y);
    for (int x = 0; x < image.Width; ++x) {
      const auto gray = static_cast<uint8_t>(third[p[x].B] + third[p[x].G] + third[p[x].R]);
      p[x] = TfcColor{gray, gray, gray};
    }
  }
}

void Lightness(const TfcPixelView& image, int amount) {
  if (image.Empty()) return;
  TByteTable t{};
  const int64_t a = amount;
  for (int i = 0; i < 256; ++i) {
    const int64_t v = amount >= 1 ? i + ((static_cast<int64_t>(i ^ 255) * a) >> 8)
                                  : i - ((-a * i) >> 8);
    t[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
  MapChannels(image, t);
}

void Contrast(const TfcPixelView& image, int amount) {
  if (image.Empty()) return;
  TByteTable t{};
  const int64_t a = amount;
  for (int i = 0; i < 256; ++i) {
    // 127 belongs to the upper half; both halves truncate toward zero.
    const int64_t v = i <= 126 ? i - (static_cast<int64_t>(128 - i) * a / 256)
                               : i + (static_cast<int64_t>(std::abs(i - 128)) * a / 256);
    t[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
  MapChannels(image, t);
}

void Saturation(const TfcPixelView& image, int amount) {
  if (image.Empty()) return;
  static const std::array<int, 258> third = ThirdTable();
  // a[i] = (i * amount) shr 8 with a logical shift, kept in 16 bits.
  std::array<int, 256> a{};
  for (int i = 0; i < 256; ++i)
    a[i] = static_cast<uint16_t>(static_cast<uint32_t>(i * amount) >> 8);
  for (int y = 0; y < image.Height; ++y) {
    TfcColor* p = image.Pixels(y);
    for (int x = 0; x < image.Width; ++x) {
      const int gray = third[p[x].R] + third[p[x].G] + third[p[x].B];
      p[x].B = ClampByte(gray + a[p[x].B] - a[gray]);
      p[x].G = ClampByte(gray + a[p[x].G] - a[gray]);
      p[x].R = ClampByte(gray + a[p[x].R] - a[gray]);
    }
  }
}

void Colorize(const TfcPixelView& image, int r, int g, int b, const TfcColor* keep) {
  if (image.Empty()) return;
  for (int y = 0; y < image.Height; ++y) {
    TfcColor* p = image.Pixels(y);
    for (int x = 0; x < image.Width; ++x) {
      if (keep != nullptr && p[x] == *keep) continue;
      p[x].B = ClampByte(p[x].B - 192 + b);
      p[x].G = ClampByte(p[x].G - 192 + g);
      p[x].R = ClampByte(p[x].R - 192 + r);
    }
  }
}

void AddColor(const TfcPixelView& image, int r, int g, int b) {
  if (image.Empty()) return;
  TByteTable tb{}, tg{}, tr{};
  for (int i = 0; i < 256; ++i) {
    tb[i] = ClampByte(ClampRange(b, -256, 256) + i);
    tg[i] = ClampByte(ClampRange(g, -256, 256) + i);
    tr[i] = ClampByte(ClampRange(r, -256, 256) + i);
  }
  MapChannels(image, tb, tg, tr);
}

void Invert(const TfcPixelView& image) {
  if (image.Empty()) return;
  for (int y = 0; y < image.Height; ++y) {
    TfcColor* p = image.Pixels(y);
    for (int x = 0; x < image.Width; ++x) {
      p[x].B ^= 255;
      p[x].G ^= 255;
      p[x].R ^= 255;
    }
  }
}

// Each pixel is averaged with the inverse of its lower-right neighbour (clamped to the last
// column). The last two rows have no row two below them: both use pixel 1 of the last row as
// it was before the effect, for every one of their pixels.
void Emboss(const TfcPixelView& image) {
  if (image.Empty()) return;
  const int w = image.Width, h = image.Height;
  const int lastCol = w - 1;
  const TfcColor fixed = image.At(Min(1, lastCol), h - 1);  // the saved copy's pixel 1
  auto mix = [](uint8_t c, uint8_t n) { return static_cast<uint8_t>((c + (255 - n)) >> 1); };
  for (int y = 0; y < h; ++y) {
    TfcColor* p = image.Pixels(y);
    const TfcColor* below = y < h - 2 ? image.Pixels(y + 1) : nullptr;
    for (int x = 0; x < w; ++x) {
      const TfcColor n = below != nullptr ? below[Min(x + 1, lastCol)] : fixed;
      p[x] = TfcColor{mix(p[x].B, n.B), mix(p[x].G, n.G), mix(p[x].R, n.R)};
    }
  }
}

void BlurStep(const TfcPixelView& image, int radius) {
  if (image.Empty()) return;
  const int w = image.Width, h = image.Height;
  for (int y = 0; y < h; ++y) {
    const TfcColor* a = image.Pixels(ClampRange(y + radius, 0, h - 1));
    const TfcColor* b = image.Pixels(ClampRange(y - radius, 0, h - 1));
    TfcColor* p = image.Pixels(y);
    for (int x = 0; x < w; ++x) {
      const int r = ClampRange(x + radius, 0, w - 1);
      const int l = ClampRange(x - radius, 0, w - 1);
      p[x].B = static_cast<uint8_t>((a[r].B + b[r].B + a[l].B + b[l].B) >> 2);
      p[x].G = static_cast<uint8_t>((a[r].G + b[r].G + a[l].G + b[l].G) >> 2);
      p[x].R = static_cast<uint8_t>((a[r].R + b[r].R + a[l].R + b[l].R) >> 2);
    }
  }
}

void GaussianBlur(const TfcPixelView& image, int amount) {
  for (int i = amount; i >= 1; --i) BlurStep(image, i);
}

void Sharpen(const TfcPixelView& image, int amount) {
  if (image.Empty()) return;
  const int w = image.Width, h = image.Height;
  for (int y = 0; y < h; ++y) {
    const TfcColor* up = image.Pixels(ClampRange(y - amount, 0, h - 1));
    TfcColor* mid = image.Pixels(y);
    const TfcColor* down = image.Pixels(ClampRange(y + amount, 0, h - 1));
    for (int x = 0; x < w; ++x) {
      const int l = ClampRange(x - amount, 0, w - 1);
      const int r = ClampRange(x + amount, 0, w - 1);
      // 2 x centre - mean of the other eight, as 256 x centre - 16 x sum over 128.
      auto sharpen = [&](auto channel) {
        const int sum = channel(up[l]) + channel(up[x]) + channel(up[r]) + channel(mid[l]) +
                        channel(mid[r]) + channel(down[l]) + channel(down[x]) + channel(down[r]);
        return ClampByte((256 * channel(mid[x]) - 16 * sum) / 128);
      };
      const uint8_t nb = sharpen([](const TfcColor& c) { return int{c.B}; });
      mid[x].B = nb;
      const uint8_t ng = sharpen([](const TfcColor& c) { return int{c.G}; });
      mid[x].G = ng;
      const uint8_t nr = sharpen([](const TfcColor& c) { return int{c.R}; });
      mid[x].R = nr;
    }
  }
}

void Sponge(const TfcPixelView& image, int amount) {
  if (image.Empty()) return;
  const int w = image.Width, h = image.Height;
  amount = Min(amount, 1 << 29);  // 2k must stay an int; farther sources clamp to the edge
  for (int y = 0; y < h; ++y) {
    TfcColor* p = image.Pixels(y);
    for (int x = 0; x < w; ++x) {
      const int k = Random(amount);
      const int sx = ClampRange(x + k - Random(2 * k), 0, w - 1);
      const int sy = ClampRange(y + k - Random(2 * k), 0, h - 1);
      p[x] = image.At(sx, sy);
    }
  }
}

void Flip(const TfcPixelView& image, bool horizontal) {
  if (image.Empty()) return;
  const int w = image.Width, h = image.Height;
  if (horizontal) {
    for (int y = 0; y < h; ++y) {
      TfcColor* p = image.Pixels(y);
      for (int x = 0; x <= (w - 1) / 2; ++x) std::swap(p[x], p[w - 1 - x]);
    }
    return;
  }
  std::vector<uint8_t> row(static_cast<size_t>(image.RowStride));
  const size_t rowBytes = static_cast<size_t>(w) * 3;
  for (int y = 0; y <= (h - 1) / 2; ++y) {
    uint8_t* top = image.Row(y);
    uint8_t* bottom = image.Row(h - 1 - y);
    if (top == bottom) continue;
    std::memcpy(row.data(), top, rowBytes);
    std::memcpy(top, bottom, rowBytes);
    std::memcpy(bottom, row.data(), rowBytes);
  }
}

// Pixel (x, y) is taken from column x + rowOff[y] and row y + colOff[x]; with wrap both are
// brought back into the image by a true modulo, without it pixels taken from outside stay
// white.
void Wave(const TfcPixelView& image, double xDiv, double yDiv, double ratio, bool wrap) {
  if (image.Empty() || xDiv == 0 || yDiv == 0) return;
  if (!std::isfinite(xDiv) || !std::isfinite(yDiv) || !std::isfinite(ratio)) return;
  const int w = image.Width, h = image.Height;
  std::vector<int> rowOff(static_cast<size_t>(h)), colOff(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) rowOff[y] = NearestOf(std::sin(y / yDiv) * ratio);
  for (int x = 0; x < w; ++x) colOff[x] = NearestOf(std::sin(x / xDiv) * ratio);

  // Every pixel of the result depends on the source alone, so rows are walked in memory
  // order.
  TfcPixelBuffer result(w, h, fcWhitePixel);
  const TfcPixelView d = result.View();
  for (int y = 0; y < h; ++y) {
    TfcColor* out = d.Pixels(y);
    for (int x = 0; x < w; ++x) {
      int v = colOff[x] + y;  // source row
      int u = rowOff[y] + x;  // source column
      if (wrap) {
        v = Wrap(v, h);
        u = Wrap(u, w);
      } else if (v < 0 || v >= h || u < 0 || u >= w) {
        continue;
      }
      out[x] = image.At(u, v);
    }
  }
  Copy(d, image);
}

void Rotate(const TfcPixelView& image, TPoint center, double angle) {
  if (image.Empty() || !std::isfinite(angle)) return;
  const int w = image.Width, h = image.Height;
  // A centre farther out than 2^29 turns every pixel out of the image just the same.
  const int cx = center.X < 0 ? w / 2 : Min(center.X, 1 << 29);
  const int cy = center.Y < 0 ? h / 2 : Min(center.Y, 1 << 29);
  TfcPixelBuffer result(w, h, image.At(0, 0));
  const TfcPixelView d = result.View();
  const double a = -angle * std::numbers::pi / 180.0;
  const double s = std::sin(a), c = std::cos(a);
  for (int y = 0; y < h; ++y) {
    const double yd = 2.0 * (static_cast<double>(y) - cy) + 1;
    for (int x = 0; x < w; ++x) {
      const double xd = 2.0 * (static_cast<double>(x) - cx) + 1;
      // Nearest integers in 64 bits, then halves truncated toward zero as the library's div
      // does. The halves fit an int for any image a 32-bit process holds; the range test
      // keeps every read inside the image whatever they are.
      const int sx = static_cast<int>((Round(xd * c - yd * s) - 1) / 2) + cx;
      const int sy = static_cast<int>((Round(xd * s + yd * c) - 1) / 2) + cy;
      if (sx >= 0 && sx < w && sy >= 0 && sy < h) d.At(x, y) = image.At(sx, sy);
    }
  }
  Copy(d, image);
}

void MaskByColor(const TfcPixelView& image, TfcColor key) {
  if (image.Empty()) return;
  for (int y = 0; y < image.Height; ++y) {
    TfcColor* p = image.Pixels(y);
    for (int x = 0; x < image.Width; ++x) p[x] = p[x] == key ? fcBlackPixel : fcWhitePixel;
  }
}

void ReplaceColor(const TfcPixelView& image, TfcColor newColor, TfcColor oldColor) {
  if (image.Empty()) return;
  for (int y = 0; y < image.Height; ++y) {
    TfcColor* p = image.Pixels(y);
    for (int x = 0; x < image.Width; ++x)
      if (p[x] == oldColor) p[x] = newColor;
  }
}

void AlphaBlend(const TfcPixelView& image, const TfcPixelView& blend, int amount,
                const TfcColor* key) {
  if (image.Empty() || blend.Empty() || !image.SameSize(blend)) return;
  amount = ClampRange(amount, 0, 255);
  // m[d + 255] = floor(amount * d / 256) for d = -255..255 (an arithmetic shift).
  std::array<int, 511> m{};
  for (int d = -255; d <= 255; ++d) m[d + 255] = (amount * d) >> 8;
  for (int y = 0; y < image.Height; ++y) {
    TfcColor* p = image.Pixels(y);
    const TfcColor* q = blend.Pixels(y);
    for (int x = 0; x < image.Width; ++x) {
      if (key != nullptr && q[x] == *key) continue;
      p[x].B = static_cast<uint8_t>(p[x].B + m[q[x].B - p[x].B + 255]);
      p[x].G = static_cast<uint8_t>(p[x].G + m[q[x].G - p[x].G + 255]);
      p[x].R = static_cast<uint8_t>(p[x].R + m[q[x].R - p[x].R + 255]);
    }
  }
}

// ---- Resampling and regions ----------------------------------------------------------------

void SmoothStretch(const TfcPixelView& src, const TfcPixelView& dst) {
  if (src.Empty() || dst.Empty()) return;
  if (src.SameSize(dst)) {
    Copy(src, dst);
    return;
  }
  const int64_t xStep = (static_cast<int64_t>(src.Width - 1) << 15) / dst.Width;
  const int64_t yStep = (static_cast<int64_t>(src.Height - 1) << 15) / dst.Height;
  const int lastCol = src.Width - 1;
  int64_t sy = 0;
  for (int y = 0; y < dst.Height; ++y, sy += yStep) {
    const int r0 = static_cast<int>(sy >> 15);
    const TfcColor* row0 = src.Pixels(r0);
    const TfcColor* row1 = r0 < src.Height - 1 ? src.Pixels(r0 + 1) : row0;
    const int fy = static_cast<int>(sy & 0x7FFF);
    const int iy = 32768 - fy;
    TfcColor* out = dst.Pixels(y);
    int64_t sx = 0;
    for (int x = 0; x < dst.Width; ++x, sx += xStep) {
      const int c0 = static_cast<int>(sx >> 15);
      const int c1 = Min(c0 + 1, lastCol);  // a one-pixel-wide source has no right neighbour
      const int fx = static_cast<int>(sx & 0x7FFF);
      const int w01 = (fx * iy) >> 15;
      const int w00 = iy - w01;
      const int w11 = (fx * fy) >> 15;
      const int w10 = fy - w11;
      auto mix = [&](uint8_t p, uint8_t pn, uint8_t q, uint8_t qn) {
        return static_cast<uint8_t>((p * w00 + pn * w01 + q * w10 + qn * w11) >> 15);
      };
      out[x].B = mix(row0[c0].B, row0[c1].B, row1[c0].B, row1[c1].B);
      out[x].G = mix(row0[c0].G, row0[c1].G, row1[c0].G, row1[c1].G);
      out[x].R = mix(row0[c0].R, row0[c1].R, row1[c0].R, row1[c1].R);
    }
  }
}

std::vector<TRect> RegionRuns(const TfcPixelView& image, TfcColor key) {
  std::vector<TRect> runs;
  if (image.Empty()) return runs;
  for (int y = 0; y < image.Height; ++y) {
    const TfcColor* p = image.Pixels(y);
    int x = 0;
    while (x < image.Width) {
      while (x < image.Width && p[x] == key) ++x;
      if (x >= image.Width) break;
      const int start = x;
      while (x < image.Width && !(p[x] == key)) ++x;
      runs.push_back(TRect(start, y, x, y + 1));
    }
  }
  return runs;
}

}  // namespace fcPixels
