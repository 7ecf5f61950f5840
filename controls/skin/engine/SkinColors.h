// The pixel and colour routines the owner-drawn library shares: packing and unpacking of
// 32-bit pixels (bytes B, G, R, A in memory), alpha blending, RGB/HSL conversion and the hue
// shift a skin applies.
#pragma once
#include <cstdint>

#include "classlib/graphics/Colors.h"

// The colour keyed-out pixels become and the transparent colour of transparent blits: B 0x7F,
// G 0, R 0x7F, alpha 0.
inline constexpr TPixel32 SeClearPixel{0x7F, 0x00, 0x7F, 0x00};
// What a read outside a bitmap gives: opaque black.
inline constexpr TPixel32 SeOutOfRangePixel{0x00, 0x00, 0x00, 0xFF};

// The low 24 bits of a pixel (its colour without alpha), as 0x00RRGGBB.
constexpr uint32_t PixelRGB(TPixel32 p) {
  return static_cast<uint32_t>(p.B) | (static_cast<uint32_t>(p.G) << 8) |
         (static_cast<uint32_t>(p.R) << 16);
}

// The pixel of a colour (system colours resolved), alpha 255.
TPixel32 ColorToPixel(TColor color);
// R, G and B each clamped to 0..255, with alpha a.
TPixel32 PackPixel(int r, int g, int b, uint8_t a);
// RGB of the pixel; alpha dropped.
TColor PixelToColor(TPixel32 pixel);
// Each channel less the given amount; R, G, B clamped to 0..255, alpha wraps as a byte.
TPixel32 SubtractPixel(TPixel32 pixel, int r, int g, int b, int a);

// Hue, saturation and lightness, each 0..1.
struct THSL {
  float H = 0;
  float S = 0;
  float L = 0;
};
THSL RGBToHSL(TPixel32 pixel);
// The pixel of a lightness, saturation and hue; alpha 255. Channels round halves to even.
TPixel32 HSLToRGB(float l, float s, float h);
// The pixel with its hue moved by delta steps of 1/255 (wrapping by 255); the pixel keeps its
// own alpha, so a half-transparent skin pixel stays half transparent.
TPixel32 ShiftHue(TPixel32 pixel, int delta);

// source over destination by the source's alpha: 255 gives the source, 0 the destination,
// otherwise per channel floor((s*a + 128)/256) + floor((d*(255-a) + 128)/256).
TPixel32 BlendPixel(TPixel32 source, TPixel32 destination);
