// The effects of TfcBitmap: each runs its pixel loop (fcBitmapPixels.cpp) over the image in
// place and drops the cached mask, whose pixels it has changed. Effects do not fire change
// notifications: whoever runs a chain of them (the imager) tells its listeners once at the
// end.
#include "fcBitmap.h"

#include "classlib/system/SysExceptions.h"

#define FC_EFFECT(call)             \
  do {                              \
    if (GetEmpty()) return;         \
    fcPixels::call;                 \
    DropMask();                     \
  } while (false)

void TfcBitmap::BlurStep(int radius) { FC_EFFECT(BlurStep(GetPixels(), radius)); }
void TfcBitmap::Contrast(int amount) { FC_EFFECT(Contrast(GetPixels(), amount)); }
void TfcBitmap::Emboss() { FC_EFFECT(Emboss(GetPixels())); }
void TfcBitmap::Flip(bool horizontal) { FC_EFFECT(Flip(GetPixels(), horizontal)); }
void TfcBitmap::GaussianBlur(int amount) { FC_EFFECT(GaussianBlur(GetPixels(), amount)); }
void TfcBitmap::GrayScale() { FC_EFFECT(GrayScale(GetPixels())); }
void TfcBitmap::Invert() { FC_EFFECT(Invert(GetPixels())); }
void TfcBitmap::Lightness(int amount) { FC_EFFECT(Lightness(GetPixels(), amount)); }
void TfcBitmap::AddColor(int r, int g, int b) { FC_EFFECT(AddColor(GetPixels(), r, g, b)); }
void TfcBitmap::Rotate(TPoint center, double angle) {
  FC_EFFECT(Rotate(GetPixels(), center, angle));
}
void TfcBitmap::Saturation(int amount) { FC_EFFECT(Saturation(GetPixels(), amount)); }
void TfcBitmap::Sharpen(int amount) { FC_EFFECT(Sharpen(GetPixels(), amount)); }
void TfcBitmap::Sponge(int amount) { FC_EFFECT(Sponge(GetPixels(), amount)); }
void TfcBitmap::Wave(double xDiv, double yDiv, double ratio, bool wrap) {
  FC_EFFECT(Wave(GetPixels(), xDiv, yDiv, ratio, wrap));
}

void TfcBitmap::MaskByColor(TfcPackedColor key) {
  FC_EFFECT(MaskByColor(GetPixels(), UnpackPixel(key)));
}

void TfcBitmap::ReplaceColor(TfcPackedColor newColor, TfcPackedColor oldColor) {
  FC_EFFECT(ReplaceColor(GetPixels(), UnpackPixel(newColor), UnpackPixel(oldColor)));
}

void TfcBitmap::Colorize(int r, int g, int b) {
  // The key colour (a system colour translated) stays as it is.
  const TfcColor keep = ColorToBytes(FTransparentColor);
  FC_EFFECT(Colorize(GetPixels(), r, g, b, FTransparentColor != clNone ? &keep : nullptr));
}

#undef FC_EFFECT

void AlphaBlend(TfcBitmap* image, TfcBitmap* blend, int amount, bool stretchIfNeeded) {
  if (image == nullptr || blend == nullptr) return;
  const bool sameSize = blend->GetWidth() == image->GetWidth() && blend->GetHeight() == image->GetHeight();
  // A blend of another size, an empty one included, is refused unless it may be stretched.
  if (!sameSize && !stretchIfNeeded)
    throw EInvalidOperation(L"In Alpha Blend, Blend Bitmap must be same dimensions as "
                            L"Current Bitmap");
  if (image->GetEmpty() || blend->GetEmpty()) return;
  TfcBitmap stretched;
  TfcBitmap* source = blend;
  if (!sameSize) {
    // The blend is stretched opaquely over the whole of an image of image's size (no
    // change notification reaches the blend's listeners); the stretched copy keeps the
    // blend's transparency for the keying below.
    stretched.SetSize(image->GetWidth(), image->GetHeight());
    if (stretched.GetEmpty()) return;
    stretched.SetTransparentFlag(blend->GetTransparent());
    if (blend->GetSmoothStretching()) {
      fcPixels::SmoothStretch(blend->GetPixels(), stretched.GetPixels());
    } else {
      ::SetStretchBltMode(stretched.GetMemoryDC(), COLORONCOLOR);
      ::StretchBlt(stretched.GetMemoryDC(), 0, 0, stretched.GetWidth(), stretched.GetHeight(),
                   blend->GetMemoryDC(), 0, 0, blend->GetWidth(), blend->GetHeight(), SRCCOPY);
    }
    source = &stretched;
  }
  const TfcPixelView blendPixels = source->GetPixels();
  const TfcColor key = blendPixels.At(0, 0);
  fcPixels::AlphaBlend(image->GetPixels(), blendPixels, amount,
                       source->GetTransparent() ? &key : nullptr);
  image->DropMask();
}
