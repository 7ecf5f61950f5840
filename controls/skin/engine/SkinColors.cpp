#include "SkinColors.h"

#include <algorithm>
#include <cmath>

#include "classlib/system/SysMath.h"

namespace {

uint8_t Clamp255(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// One channel of HSL to RGB, 0..255.
int HueChannel(float m1, float m2, float h) {
  h = h - std::floor(h);
  float value;
  if (6 * h < 1)
    value = m1 + (m2 - m1) * 6 * h;
  else if (2 * h < 1)
    value = m2;
  else if (3 * h < 2)
    value = m1 + (m2 - m1) * (2.0f / 3.0f - h) * 6;
  else
    value = m1;
  return static_cast<int>(Round(static_cast<double>(value) * 255));
}

}  // namespace

TPixel32 ColorToPixel(TColor color) {
  const COLORREF rgb = ColorToRGB(color);
  return TPixel32{GetBValue(rgb), GetGValue(rgb), GetRValue(rgb), 255};
}

TPixel32 PackPixel(int r, int g, int b, uint8_t a) {
  return TPixel32{Clamp255(b), Clamp255(g), Clamp255(r), a};
}

TColor PixelToColor(TPixel32 pixel) { return RGBColor(pixel.R, pixel.G, pixel.B); }

TPixel32 SubtractPixel(TPixel32 pixel, int r, int g, int b, int a) {
  return PackPixel(pixel.R - r, pixel.G - g, pixel.B - b, static_cast<uint8_t>(pixel.A - a));
}

THSL RGBToHSL(TPixel32 pixel) {
  const float r = pixel.R / 255.0f, g = pixel.G / 255.0f, b = pixel.B / 255.0f;
  const float max = std::max({r, g, b}), min = std::min({r, g, b});
  THSL hsl;
  hsl.L = (max + min) / 2;
  if (max == min) return hsl;
  const float delta = max - min;
  hsl.S = hsl.L < 0.5f ? delta / (max + min) : delta / (2 - max - min);
  if (r == max)
    hsl.H = (g - b) / delta;
  else if (g == max)
    hsl.H = 2 + (b - r) / delta;
  else
    hsl.H = 4 + (r - g) / delta;
  hsl.H /= 6;
  if (hsl.H < 0) hsl.H += 1;
  return hsl;
}

TPixel32 HSLToRGB(float l, float s, float h) {
  if (s == 0) {
    const int v = static_cast<int>(Round(static_cast<double>(l) * 255));
    return PackPixel(v, v, v, 255);
  }
  const float m2 = l <= 0.5f ? l * (1 + s) : l + s - l * s;
  const float m1 = 2 * l - m2;
  return PackPixel(HueChannel(m1, m2, h + 1.0f / 3.0f), HueChannel(m1, m2, h),
                   HueChannel(m1, m2, h - 1.0f / 3.0f), 255);
}

TPixel32 ShiftHue(TPixel32 pixel, int delta) {
  const THSL hsl = RGBToHSL(pixel);
  int step = static_cast<int>(Round(static_cast<double>(hsl.H) * 255)) + delta % 255;
  if (step >= 256) step -= 255;
  if (step < 0) step += 255;
  TPixel32 result = HSLToRGB(hsl.L, hsl.S, static_cast<float>(step) / 255.0f);
  result.A = pixel.A;
  return result;
}

TPixel32 BlendPixel(TPixel32 source, TPixel32 destination) {
  const unsigned a = source.A;
  if (a == 255) return source;
  if (a == 0) return destination;
  auto mix = [a](unsigned s, unsigned d) {
    return static_cast<uint8_t>((s * a + 128) / 256 + (d * (255 - a) + 128) / 256);
  };
  return TPixel32{mix(source.B, destination.B), mix(source.G, destination.G),
                  mix(source.R, destination.R), mix(source.A, destination.A)};
}
