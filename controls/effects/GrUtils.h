// GrUtils: drawing helpers of the effect and flat controls: what lies beneath a transparent
// windowless control, three-dimensional frames of rectangles, ellipses and rounded
// rectangles, and the shift of a colour's channels.
//
// Rectangles are left, top, right, bottom with right and bottom exclusive. A colour of
// clNone ($1FFFFFFF) given for a frame half means that half is not drawn.
#pragma once
#include <cstdint>
#include "classlib/controls/Controls.h"

// Paints into the canvas's device context what lies beneath the windowless control: the
// parent's background (its erase message with the DC) and what it paints of its own window
// (PaintWindow: a system window's own drawing, a form's OnPaint), then the parent's visible
// windowless children below the control in z-order that overlap it, each in its own
// coordinates and clipped to itself. The canvas's (0, 0) is the control's top-left corner.
// Nothing happens when the control has no parent. The DC's state is restored afterwards.
void PaintParentBackground(TControl* control, TCanvas* canvas);

// A frame of `width` rings inside rect with a pen of width 1: the top and left lines in
// topColor, the bottom and right ones in bottomColor. rect ends shrunk by width on every
// side (the rectangle of what lies inside the frame).
void DrawFrame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);
// The same on a rectangle the caller does not need back.
inline void DrawFrame3D(TCanvas* canvas, const TRect& rect, TColor topColor, TColor bottomColor,
                        int width) {
  TRect r = rect;
  DrawFrame3D(canvas, r, topColor, bottomColor, width);
}

// The ellipse inscribed in rect drawn as two arcs with a pen of penWidth: the upper-left half
// in lightColor and the lower-right half in darkColor, split near the rising diagonal.
void DrawEllipseFrame(TCanvas* canvas, TColor lightColor, TColor darkColor, int penWidth,
                      const TRect& rect);

// A rounded rectangle's frame with corners of cornerSize pixels across and a pen of
// penWidth: top and left edges with their corners in lightColor, right and bottom edges
// with theirs in darkColor, split near the rising diagonal.
void DrawRoundRectFrame(TCanvas* canvas, const TRect& rect, TColor lightColor, TColor darkColor,
                        int cornerSize, int penWidth);

// The colour with each delta added to its channel, each channel clamped to 0..255; the top
// byte is kept. The colour is taken as it is (a system colour is not resolved).
TColor ShiftColor(TColor color, int8_t redDelta, int8_t greenDelta, int8_t blueDelta);
// The colour resolved to RGB (a system colour through ColorToRGB) and then shifted by the
// same delta on all three channels: the light and dark edges of the effect buttons.
TColor ShadeColor(TColor color, int8_t delta);
