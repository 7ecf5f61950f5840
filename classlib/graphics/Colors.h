// Colours of the class library and the packed pixels of 32-bit bitmaps.
//
// TColor holds $00BBGGRR for a plain colour; with the top bit set the low byte is a system
// colour index (COLOR_xxx); a top byte of $01 or $02 is a palette index or a palette-relative
// RGB. clNone and clDefault are markers, not colours. TPixel32 is one pixel of a 32-bit DIB
// (bytes B, G, R, A in memory). The two are distinct types: converting one into the other is
// always an explicit call.
#pragma once
#include <cstdint>
#include <functional>
#include "../system/SysString.h"
#include "../system/Win.h"

enum class TColor : int32_t {};

constexpr TColor ColorFromInt(int32_t value) { return static_cast<TColor>(value); }
constexpr int32_t ColorToInt(TColor color) { return static_cast<int32_t>(color); }

// ---- Plain colours ------------------------------------------------------------
inline constexpr TColor clBlack = ColorFromInt(0x000000);
inline constexpr TColor clMaroon = ColorFromInt(0x000080);
inline constexpr TColor clGreen = ColorFromInt(0x008000);
inline constexpr TColor clOlive = ColorFromInt(0x008080);
inline constexpr TColor clNavy = ColorFromInt(0x800000);
inline constexpr TColor clPurple = ColorFromInt(0x800080);
inline constexpr TColor clTeal = ColorFromInt(0x808000);
inline constexpr TColor clGray = ColorFromInt(0x808080);
inline constexpr TColor clSilver = ColorFromInt(0xC0C0C0);
inline constexpr TColor clRed = ColorFromInt(0x0000FF);
inline constexpr TColor clLime = ColorFromInt(0x00FF00);
inline constexpr TColor clYellow = ColorFromInt(0x00FFFF);
inline constexpr TColor clBlue = ColorFromInt(0xFF0000);
inline constexpr TColor clFuchsia = ColorFromInt(0xFF00FF);
inline constexpr TColor clAqua = ColorFromInt(0xFFFF00);
inline constexpr TColor clLtGray = ColorFromInt(0xC0C0C0);
inline constexpr TColor clDkGray = ColorFromInt(0x808080);
inline constexpr TColor clWhite = ColorFromInt(0xFFFFFF);
inline constexpr TColor clMoneyGreen = ColorFromInt(0xC0DCC0);
inline constexpr TColor clSkyBlue = ColorFromInt(0xF0CAA6);
inline constexpr TColor clCream = ColorFromInt(0xF0FBFF);
inline constexpr TColor clMedGray = ColorFromInt(0xA4A0A0);

// ---- System colours: the top bit set, the COLOR_xxx index in the low byte ---------
inline constexpr int32_t clSystemColor = static_cast<int32_t>(0x80000000u);
constexpr TColor SystemColor(int index) { return ColorFromInt(clSystemColor | index); }

inline constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
inline constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
inline constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
inline constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
inline constexpr TColor clMenu = SystemColor(COLOR_MENU);
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
inline constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
inline constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
inline constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
inline constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
inline constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
inline constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
inline constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
inline constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
inline constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
inline constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
inline constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
inline constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

// ---- Markers ----------------------------------------------------------------------
inline constexpr TColor clNone = ColorFromInt(0x1FFFFFFF);     // no colour (transparent)
inline constexpr TColor clDefault = ColorFromInt(0x20000000);  // the owner's own colour

// ---- Palette forms: a top byte of $01 (palette index) or $02 (palette-relative RGB) ----
inline constexpr int32_t PaletteIndexFlag = 0x01000000;
inline constexpr int32_t PaletteRelativeFlag = 0x02000000;
constexpr TColor PaletteIndexColor(uint16_t index) {
  return ColorFromInt(PaletteIndexFlag | index);
}

// ---- Components ----------------------------------------------------------------------
constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
  return ColorFromInt(static_cast<int32_t>(r | (g << 8) | (b << 16)));
}
constexpr TColor PaletteRGBColor(uint8_t r, uint8_t g, uint8_t b) {
  return ColorFromInt(PaletteRelativeFlag | ColorToInt(RGBColor(r, g, b)));
}
constexpr uint8_t GetRedValue(TColor c) { return static_cast<uint8_t>(ColorToInt(c)); }
constexpr uint8_t GetGreenValue(TColor c) { return static_cast<uint8_t>(ColorToInt(c) >> 8); }
constexpr uint8_t GetBlueValue(TColor c) { return static_cast<uint8_t>(ColorToInt(c) >> 16); }

constexpr bool IsSystemColor(TColor c) { return ColorToInt(c) < 0; }

// The value for GDI: a system colour becomes the system's current RGB; a palette form stays
// as it is; anything else (including clNone and clDefault) is masked to its RGB bytes, so GDI
// never sees a value it cannot take.
COLORREF ColorToRGB(TColor color);

// ---- Names ----------------------------------------------------------------------------
// "clRed" for a named colour, otherwise "$" and eight hexadecimal digits ("$00FF8040").
String ColorToString(TColor color);
// A colour name (any case), "$" or "0x" hexadecimal, or a decimal number; EConvertError
// ("'x' is not a valid integer value") otherwise.
TColor StringToColor(const String& text);
bool ColorToIdent(TColor color, String& ident);
bool IdentToColor(const String& ident, TColor& color);
// Calls proc with every colour name, in the order the class library lists them.
void GetColorValues(const std::function<void(const String&)>& proc);

// ---- Packed pixels ------------------------------------------------------------------------
// One pixel of a 32-bit top-down or bottom-up DIB, in memory order. GDI's drawing functions
// write 0 in A; an alpha-blended picture uses A as premultiplied opacity.
struct TPixel32 {
  uint8_t B = 0;
  uint8_t G = 0;
  uint8_t R = 0;
  uint8_t A = 0;

  friend constexpr bool operator==(const TPixel32& a, const TPixel32& b) {
    return a.B == b.B && a.G == b.G && a.R == b.R && a.A == b.A;
  }
};
static_assert(sizeof(TPixel32) == 4, "a TPixel32 is one 32-bit DIB pixel");

// The pixel of a colour (system colours resolved through ColorToRGB), with the given alpha.
TPixel32 PixelFromColor(TColor color, uint8_t alpha = 0);
// The plain colour of a pixel; its alpha is dropped.
constexpr TColor ColorFromPixel(TPixel32 pixel) { return RGBColor(pixel.R, pixel.G, pixel.B); }
