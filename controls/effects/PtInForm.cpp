#include "PtInForm.h"

#include <cstdint>
#include <cstdlib>
#include "classlib/system/SysMath.h"

namespace {

// Within radius of (cx, cy), in integers wide enough for any pair of int coordinates.
bool InCircle(int x, int y, int cx, int cy, int radius) {
  const int64_t dx = static_cast<int64_t>(x) - cx;
  const int64_t dy = static_cast<int64_t>(y) - cy;
  return dx * dx + dy * dy <= static_cast<int64_t>(radius) * radius;
}

}  // namespace

bool PtInRoundRect(int x, int y, int radius, const TRect& rect) {
  // The corner circles reach the right and bottom edges, which the rectangle tests leave
  // out; without this a radius of 0 would take in the point (Right, Bottom).
  if (!PtInRect(rect, TPoint(x, y))) return false;
  const int r = Max(radius, 0);
  if (PtInRect(TRect(rect.Left + r, rect.Top, rect.Right - r, rect.Bottom), TPoint(x, y)))
    return true;
  if (InCircle(x, y, rect.Left + r, rect.Top + r, r) ||
      InCircle(x, y, rect.Left + r, rect.Bottom - r, r) ||
      InCircle(x, y, rect.Right - r, rect.Bottom - r, r) ||
      InCircle(x, y, rect.Right - r, rect.Top + r, r))
    return true;
  return rect.Top + r < rect.Bottom - r &&
         PtInRect(TRect(rect.Left, rect.Top + r, rect.Right, rect.Bottom - r), TPoint(x, y));
}

bool PtInEllipse(int x, int y, const TRect& rect) {
  int a = Div(rect.Right - rect.Left, 2);
  int b = Div(rect.Bottom - rect.Top, 2);
  if (a == 0) a = 1;
  if (b == 0) b = 1;
  const double cx = static_cast<double>(rect.Left) + a;
  const double cy = static_cast<double>(rect.Top) + b;
  const double dx = std::abs(x - cx) / a;
  const double dy = std::abs(y - cy) / b;
  return dx * dx + dy * dy <= 1;
}
