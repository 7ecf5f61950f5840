// Points, sizes and rectangles of the class library, with the small helpers that make and
// combine them. A TRect is laid out as the system's RECT and converts to and from it, so a
// value can be handed to a Win32 call as it is; the helpers take TRect and never RECT*, so
// they overload the system functions of the same names without ambiguity.
#pragma once
#include "../system/Win.h"

struct TPoint {
  int X = 0;
  int Y = 0;

  constexpr TPoint() = default;
  constexpr TPoint(int x, int y) : X(x), Y(y) {}
  constexpr TPoint(const POINT& p) : X(p.x), Y(p.y) {}
  constexpr operator POINT() const { return POINT{X, Y}; }
  friend constexpr bool operator==(const TPoint& a, const TPoint& b) {
    return a.X == b.X && a.Y == b.Y;
  }
};

struct TSize {
  int cx = 0;
  int cy = 0;

  constexpr TSize() = default;
  constexpr TSize(int width, int height) : cx(width), cy(height) {}
  constexpr TSize(const SIZE& s) : cx(s.cx), cy(s.cy) {}
  constexpr operator SIZE() const { return SIZE{cx, cy}; }
  friend constexpr bool operator==(const TSize& a, const TSize& b) {
    return a.cx == b.cx && a.cy == b.cy;
  }
};

// Left and Top are inside the rectangle, Right and Bottom just outside it.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  constexpr TRect() = default;
  constexpr TRect(int left, int top, int right, int bottom)
      : Left(left), Top(top), Right(right), Bottom(bottom) {}
  constexpr TRect(const TPoint& topLeft, const TPoint& bottomRight)
      : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
  constexpr TRect(const RECT& r) : Left(r.left), Top(r.top), Right(r.right), Bottom(r.bottom) {}
  constexpr operator RECT() const { return RECT{Left, Top, Right, Bottom}; }

  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return TPoint(Left, Top); }
  constexpr TPoint BottomRight() const { return TPoint(Right, Bottom); }
  friend constexpr bool operator==(const TRect& a, const TRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
  }
};

constexpr TPoint Point(int x, int y) { return TPoint(x, y); }
constexpr TRect Rect(int left, int top, int right, int bottom) {
  return TRect(left, top, right, bottom);
}
// A rectangle from its top-left corner and its size.
constexpr TRect Bounds(int left, int top, int width, int height) {
  return TRect(left, top, left + width, top + height);
}

// True when p lies inside r (Left/Top inclusive, Right/Bottom exclusive).
constexpr bool PtInRect(const TRect& r, const TPoint& p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
// True when the rectangle has no area.
constexpr bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

// The common part of a and b; an empty result is all zeros and returns false.
bool IntersectRect(TRect& result, const TRect& a, const TRect& b);
// The smallest rectangle holding a and b (an empty one is ignored); false when both are empty.
bool UnionRect(TRect& result, const TRect& a, const TRect& b);
// Grows the rectangle by dx on the left and right and dy on top and bottom (negative shrinks).
void InflateRect(TRect& r, int dx, int dy);
// Moves the rectangle by dx, dy.
void OffsetRect(TRect& r, int dx, int dy);
