#include "HSLUtils.h"

#include <cstdint>
#include "classlib/system/SysMath.h"

namespace {

// One channel of HSLToRGB: the value at hue h between the two lightness bounds m1 and m2.
uint8_t HueToChannel(double m1, double m2, double h) {
  if (h < 0)
    h += 1;
  else if (h > 1)
    h -= 1;
  double v;
  if (6 * h < 1)
    v = m1 + (m2 - m1) * 6 * h;
  else if (2 * h < 1)
    v = m2;
  else if (3 * h < 2)
    v = m1 + (m2 - m1) * (2.0 / 3.0 - h) * 6;
  else
    v = m1;
  // Out-of-range inputs (a saturation above 1, say) must not wrap around a byte.
  return static_cast<uint8_t>(Max<int64_t>(0, Min<int64_t>(255, Round(255 * v))));
}

}  // namespace

void RGBToHSL(TColor color, double& h, double& s, double& l) {
  const double r = GetRedValue(color) / 255.0;
  const double g = GetGreenValue(color) / 255.0;
  const double b = GetBlueValue(color) / 255.0;
  const double cmax = Max(r, Max(g, b));
  const double cmin = Min(r, Min(g, b));
  l = (cmax + cmin) / 2;
  if (cmax == cmin) {
    h = 0;
    s = 0;
    return;
  }
  const double delta = cmax - cmin;
  s = l < 0.5 ? delta / (cmax + cmin) : delta / (2 - cmax - cmin);
  if (r == cmax)
    h = (g - b) / delta;
  else if (g == cmax)
    h = 2 + (b - r) / delta;
  else
    h = 4 + (r - g) / delta;
  h /= 6;
  if (h < 0) h += 1;
}

TColor HSLToRGB(double h, double s, double l) {
  if (s == 0) {
    const uint8_t v = static_cast<uint8_t>(Max<int64_t>(0, Min<int64_t>(255, Round(255 * l))));
    return RGBColor(v, v, v);
  }
  const double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
  const double m1 = 2 * l - m2;
  return RGBColor(HueToChannel(m1, m2, h + 1.0 / 3.0), HueToChannel(m1, m2, h),
                  HueToChannel(m1, m2, h - 1.0 / 3.0));
}

void RGBToHSLRange(TColor color, int& h, int& s, int& l) {
  double hf, sf, lf;
  RGBToHSL(color, hf, sf, lf);
  h = static_cast<int>(Round(hf * (HSLRange - 1)));
  s = static_cast<int>(Round(sf * HSLRange));
  l = static_cast<int>(Round(lf * HSLRange));
}

TColor HSLRangeToRGB(int h, int s, int l) {
  return HSLToRGB(static_cast<double>(h) / (HSLRange - 1), static_cast<double>(s) / HSLRange,
                  static_cast<double>(l) / HSLRange);
}
