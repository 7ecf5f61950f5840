#include "Types.h"

#include "../system/SysMath.h"

bool IntersectRect(TRect& result, const TRect& a, const TRect& b) {
  result = TRect(Max(a.Left, b.Left), Max(a.Top, b.Top), Min(a.Right, b.Right),
                 Min(a.Bottom, b.Bottom));
  if (IsRectEmpty(result)) {
    result = TRect();
    return false;
  }
  return true;
}

bool UnionRect(TRect& result, const TRect& a, const TRect& b) {
  if (IsRectEmpty(a)) {
    result = IsRectEmpty(b) ? TRect() : b;
  } else if (IsRectEmpty(b)) {
    result = a;
  } else {
    result = TRect(Min(a.Left, b.Left), Min(a.Top, b.Top), Max(a.Right, b.Right),
                   Max(a.Bottom, b.Bottom));
  }
  return !IsRectEmpty(result);
}

void InflateRect(TRect& r, int dx, int dy) {
  r.Left -= dx;
  r.Top -= dy;
  r.Right += dx;
  r.Bottom += dy;
}

void OffsetRect(TRect& r, int dx, int dy) {
  r.Left += dx;
  r.Top += dy;
  r.Right += dx;
  r.Bottom += dy;
}
