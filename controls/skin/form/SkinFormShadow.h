// The see-through parts of a decorated form, drawn into the 32-bit image of the whole window
// over a picture of the screen beneath it: the drop shadow (a grey band right of and below the
// form, fading towards its outer edges) and translucency (parts of the form mixed with the
// screen by an opacity).
//
// Composing a rectangle means: each pixel of the image there is blended over the background's
// pixel at the same place by the image pixel's alpha (255 keeps the image, 0 shows the
// background); a pixel of the clear colour shows the background. The result is opaque.
#pragma once
#include "controls/skin/engine/SkinBitmap.h"

// The grey the shadow is drawn in.
inline constexpr TPixel32 SeShadowPixel{63, 63, 63, 0};

// What the shadow of a form is drawn from (image coordinates: the window's top-left is 0, 0).
struct TSeShadowLayout {
  int Width = 0;   // the form, without the shadow
  int Height = 0;
  int Size = 0;    // the shadow's width; the window is Width + Size by Height + Size
  TRect Client;    // the form's client rectangle
  bool Region = false;  // the window has a shaped region (themed corners)
};

// Composes r of image over background, whose top-left corner lies at origin of the image.
// Pixels outside either bitmap are left alone.
void ComposeOverBackground(TSeBitmap& image, const TRect& r, const TSeBitmap& background,
                           TPoint origin);
// The shadow of layout into image, composed over background (at origin). The form's own
// pixels are painted over it afterwards.
void PaintFormShadow(TSeBitmap& image, const TSeShadowLayout& layout, const TSeBitmap& background,
                     TPoint origin);
// Sets the alpha of r to opacity (0..255) and composes it over background (at origin).
void BlendOverBackground(TSeBitmap& image, const TRect& r, int opacity, const TSeBitmap& background,
                         TPoint origin);
