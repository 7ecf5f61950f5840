// Transition effects: a window's new look revealed over the old screen content through a
// mask of cells (0 shows the old image, 255 the new, values between blend), drawn by one of
// fourteen effects for a percentage 0..100, repeated over tiles and turned by a direction.
//
// The effects draw from a random generator of their own, so a transition never changes the
// process's random sequence. Every effect writes only cells inside the mask.
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/system/Win.h"
#include "controls/skin/controls/SkinOptions.h"

class TSeBitmap;

// A w x h grid of cells, cell (x, y) at index y * w + x.
struct TSeMask {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Cells;

  void Reset(int width, int height);
  uint8_t At(int x, int y) const { return Cells[static_cast<size_t>(y) * Width + x]; }
  // Sets the cell when it lies inside; cells outside are skipped.
  void Set(int x, int y, uint8_t value);
};

// A line of cells from (x0, y0) to (x1, y1), both ends included.
void DrawMaskLine(TSeMask& mask, uint8_t value, int x0, int y0, int x1, int y1);
// The picture of an effect at percent (0..100; 0 draws nothing) on a cleared mask.
// veRandomSelect draws nothing.
void DrawEffect(TSeMask& mask, TveEffect effect, int percent);

// What a transition is played with.
struct TSeTransition {
  TveEffect Effect = veFade;
  int Resolution = 1;          // cell size in pixels
  int TileCount = 1;           // tiles per axis
  TSeDirection Direction = vdNone;
};
// One frame at percent: each pixel of frame is the new image's, the old one's or a blend by
// its mask cell. The new image's pixels of the clear colour always show the old image.
// False (frame untouched) when the images are empty or differ in size; the inputs are only
// read.
bool ComposeFrame(TSeBitmap& frame, const TSeBitmap& newImage, const TSeBitmap& oldImage,
                  const TSeTransition& transition, int percent);

// Plays the transition on dc at (x, y) for animation's time, then draws the new image (its
// clear-colour pixels left out). Nothing when either image is empty.
void PlayTransition(HDC dc, int x, int y, const TSeAnimation& animation, TSeBitmap& newImage,
                    const TSeBitmap& oldImage);
