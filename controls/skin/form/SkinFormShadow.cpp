#include "SkinFormShadow.h"

#include <algorithm>

namespace {

// r cut to the image.
TRect InImage(const TSeBitmap& image, TRect r) {
  r.Left = std::max(r.Left, 0);
  r.Top = std::max(r.Top, 0);
  r.Right = std::min(r.Right, image.GetWidth());
  r.Bottom = std::min(r.Bottom, image.GetHeight());
  return r;
}

void Fill(TSeBitmap& image, const TRect& r, TPixel32 pixel) {
  const TRect in = InImage(image, r);
  for (int y = in.Top; y < in.Bottom; ++y)
    std::fill(image.PixelPtr(in.Left, y), image.PixelPtr(in.Right, y), pixel);
}

TPixel32 ShadowAt(uint8_t alpha) {
  TPixel32 p = SeShadowPixel;
  p.A = alpha;
  return p;
}

// The edges a shadow strip fades towards; the corner between them is rounded off.
enum TFadeEdges { feRightTop, feBottomLeft, feRightBottom };

// Rings of growing alpha from the outer edges inwards: each ring one pixel, its corner pixel
// as faint as the ring outside it.
void Rings(TSeBitmap& image, TRect r, TFadeEdges edges) {
  static constexpr uint8_t ring[] = {8, 58, 108, 128};
  static constexpr uint8_t corner[] = {8, 8, 58};
  for (int k = 0; k < 4 && !IsRectEmpty(r); ++k) {
    Fill(image, r, ShadowAt(ring[k]));
    if (k < 3) {
      const int x = edges == feBottomLeft ? r.Left : r.Right - 1;
      const int y = edges == feRightTop ? r.Top : r.Bottom - 1;
      image.SetPixel(x, y, ShadowAt(corner[k]));
    }
    switch (edges) {
      case feRightTop: --r.Right, ++r.Top; break;
      case feBottomLeft: --r.Bottom, ++r.Left; break;
      case feRightBottom: --r.Right, --r.Bottom; break;
    }
  }
}

}  // namespace

void ComposeOverBackground(TSeBitmap& image, const TRect& r, const TSeBitmap& background,
                           TPoint origin) {
  TRect in = InImage(image, r);
  in.Left = std::max(in.Left, origin.X);
  in.Top = std::max(in.Top, origin.Y);
  in.Right = std::min(in.Right, origin.X + background.GetWidth());
  in.Bottom = std::min(in.Bottom, origin.Y + background.GetHeight());
  if (IsRectEmpty(in) || background.Empty()) return;
  for (int y = in.Top; y < in.Bottom; ++y) {
    TPixel32* p = image.PixelPtr(in.Left, y);
    const TPixel32* b = background.PixelPtr(in.Left - origin.X, y - origin.Y);
    for (int x = in.Left; x < in.Right; ++x, ++p, ++b) {
      TPixel32 under = *b;
      under.A = 255;
      *p = PixelRGB(*p) == PixelRGB(SeClearPixel) ? under : BlendPixel(*p, under);
      p->A = 255;
    }
  }
}

void PaintFormShadow(TSeBitmap& image, const TSeShadowLayout& l, const TSeBitmap& background,
                     TPoint origin) {
  const int s = l.Size;
  if (s <= 0 || image.Empty()) return;
  const int ww = l.Width + s, wh = l.Height + s;
  const TRect& c = l.Client;
  // Behind the shaped corners of the frame.
  if (l.Region) {
    const TRect top(s, s, l.Width, c.Top), left(s, s, c.Left, l.Height);
    for (const TRect& r : {top, left}) {
      Fill(image, r, ShadowAt(128));
      ComposeOverBackground(image, r, background, origin);
    }
  }
  // Right of the form.
  Fill(image, TRect(c.Right, 0, ww, s), SeClearPixel);
  Rings(image, TRect(c.Right, s, ww, c.Bottom), feRightTop);
  ComposeOverBackground(image, TRect(c.Right, 0, ww, wh), background, origin);
  // Below it.
  Fill(image, TRect(0, c.Bottom, s, wh), SeClearPixel);
  Rings(image, TRect(s, c.Bottom, l.Width, wh), feBottomLeft);
  ComposeOverBackground(image, TRect(0, c.Bottom, c.Right, wh), background, origin);
  // The corner.
  const TRect corner(c.Right, c.Bottom, ww, wh);
  Rings(image, corner, feRightBottom);
  ComposeOverBackground(image, corner, background, origin);
}

void BlendOverBackground(TSeBitmap& image, const TRect& r, int opacity, const TSeBitmap& background,
                         TPoint origin) {
  image.SetAlphaRect(r, static_cast<uint8_t>(std::clamp(opacity, 0, 255)));
  ComposeOverBackground(image, r, background, origin);
}
