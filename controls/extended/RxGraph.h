// Colour reduction: a TBitmap of any depth turned into a Windows BMP file of 1, 4 or 8 bits
// per pixel held in a memory stream, reducing true-colour pictures to at most 256 colours
// with one of six mapping methods.
#pragma once
#include <functional>
#include <memory>
#include "classlib/classes/Streams.h"
#include "classlib/graphics/Bitmap.h"

enum TMappingMethod {
  mmMostFrequent = 0,  // the most frequent colours, the rest mapped to the nearest
  mmMedianCut = 1,     // boxes of the colour cube split at the median
  mmFixed784 = 2,      // a fixed palette of 7 x 8 x 4 levels (224 colours)
  mmFixed666 = 3,      // a fixed palette of 6 x 6 x 6 levels (216 colours)
  mmChannelRamps = 4,  // each pixel shows one channel on a ramp of its own
  mmGrayscale = 5,     // 256 greys
};

// Shows "Function not yet implemented" as an error message and ends the operation silently
// (EAbort). The message goes through NotImplementedResponder, which tests replace; by
// default it is the class library's error message box.
[[noreturn]] void RaiseNotImplemented();
extern std::function<void(const String& msg)> NotImplementedResponder;

// The method ReduceBitmapToColorCount and the GIF encoder use.
extern TMappingMethod DefaultMappingMethod;

// A new stream, positioned at 0, holding the bitmap as a BMP file of the target format.
// EInvalidGraphic "Bitmap image is not valid" for a bitmap without an image; targets other
// than 1, 4, 8 and 24 bits show "Function not yet implemented" and end silently (EAbort).
std::unique_ptr<TMemoryStream> ReduceBitmapToStream(TBitmap* bitmap, TPixelFormat target,
                                                    TMappingMethod method);
// The bitmap reduced in place to at most colors colours (1, 4, 8 or 24 bits).
void ReduceBitmapToColorCount(TBitmap* bitmap, int colors);

// ---- The mapping methods on raw pixels (for tests and the methods themselves) -------------

// Maps width x height pixels of 24 bits (rows bottom-up as in a DIB, each padded to 4 bytes)
// to 8-bit indices (rows padded to 4 bytes) and fills palette (256 entries). Returns the
// number of palette entries in use.
int MapPixels(const uint8_t* pixels24, int width, int height, TMappingMethod method,
              uint8_t* indices8, RGBQUAD* palette);
