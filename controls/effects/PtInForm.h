// PtInForm: hit tests of the shaped buttons, for points in the control's client coordinates.
#pragma once
#include "classlib/graphics/Types.h"

// True when (x, y) lies in the rectangle rounded with corner circles of the given radius:
// in the rectangle narrowed by radius on the left and right, in the one narrowed by radius
// at the top and bottom (when that one is not empty), or within radius of one of the four
// corner-circle centres (integer squared distance). The point must also lie in the
// rectangle itself (left and top edges in, right and bottom edges out), so radius 0 (or a
// negative one) gives the plain rectangle test.
bool PtInRoundRect(int x, int y, int radius, const TRect& rect);

// True when (x, y) lies in the ellipse of rect: with a = width div 2 and b = height div 2
// (each 1 when 0) around (Left + a, Top + b), (|x - cx| / a)² + (|y - cy| / b)² <= 1.
bool PtInEllipse(int x, int y, const TRect& rect);
