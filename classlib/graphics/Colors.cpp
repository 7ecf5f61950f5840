#include "Colors.h"

#include "../system/SysExceptions.h"

namespace {

struct TColorName {
  TColor Color;
  const wchar_t* Name;
  bool Listed = true;  // named by GetColorValues; the others are only read and written
};

// The colour names in the order the class library lists them (GetColorValues, colour
// pickers: the 16 basic colours, the classic system colours and clNone, 42 names). The
// four extra named colours, the newer system colours and clDefault (no colour of its own)
// are read and written but not listed. clLtGray and clDkGray are read as names but written
// as clSilver and clGray.
const TColorName ColorNames[] = {
    {clBlack, L"clBlack"},
    {clMaroon, L"clMaroon"},
    {clGreen, L"clGreen"},
    {clOlive, L"clOlive"},
    {clNavy, L"clNavy"},
    {clPurple, L"clPurple"},
    {clTeal, L"clTeal"},
    {clGray, L"clGray"},
    {clSilver, L"clSilver"},
    {clRed, L"clRed"},
    {clLime, L"clLime"},
    {clYellow, L"clYellow"},
    {clBlue, L"clBlue"},
    {clFuchsia, L"clFuchsia"},
    {clAqua, L"clAqua"},
    {clWhite, L"clWhite"},
    {clMoneyGreen, L"clMoneyGreen", false},
    {clSkyBlue, L"clSkyBlue", false},
    {clCream, L"clCream", false},
    {clMedGray, L"clMedGray", false},
    {clActiveBorder, L"clActiveBorder"},
    {clActiveCaption, L"clActiveCaption"},
    {clAppWorkSpace, L"clAppWorkSpace"},
    {clBackground, L"clBackground"},
    {clBtnFace, L"clBtnFace"},
    {clBtnHighlight, L"clBtnHighlight"},
    {clBtnShadow, L"clBtnShadow"},
    {clBtnText, L"clBtnText"},
    {clCaptionText, L"clCaptionText"},
    {clDefault, L"clDefault", false},
    {clGradientActiveCaption, L"clGradientActiveCaption", false},
    {clGradientInactiveCaption, L"clGradientInactiveCaption", false},
    {clGrayText, L"clGrayText"},
    {clHighlight, L"clHighlight"},
    {clHighlightText, L"clHighlightText"},
    {clHotLight, L"clHotLight", false},
    {clInactiveBorder, L"clInactiveBorder"},
    {clInactiveCaption, L"clInactiveCaption"},
    {clInactiveCaptionText, L"clInactiveCaptionText"},
    {clInfoBk, L"clInfoBk"},
    {clInfoText, L"clInfoText"},
    {clMenu, L"clMenu"},
    {clMenuBar, L"clMenuBar", false},
    {clMenuHighlight, L"clMenuHighlight", false},
    {clMenuText, L"clMenuText"},
    {clNone, L"clNone"},
    {clScrollBar, L"clScrollBar"},
    {cl3DDkShadow, L"cl3DDkShadow"},
    {cl3DLight, L"cl3DLight"},
    {clWindow, L"clWindow"},
    {clWindowFrame, L"clWindowFrame"},
    {clWindowText, L"clWindowText"},
};

const TColorName ColorAliases[] = {
    {clLtGray, L"clLtGray"},
    {clDkGray, L"clDkGray"},
};

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Reads 1 to 8 hexadecimal digits as the 32 bits of a colour ("$80000005" is a system
// colour, as it is written).
bool TryParseHex(const String& digits, int32_t& value) {
  if (digits.empty() || digits.size() > 8) return false;
  uint32_t bits = 0;
  for (wchar_t c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    bits = (bits << 4) | static_cast<uint32_t>(d);
  }
  value = static_cast<int32_t>(bits);
  return true;
}

bool TryParseDecimal(const String& text, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  if (i == text.size() || text.size() - i > 10) return false;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    magnitude = magnitude * 10 + (text[i] - L'0');
  }
  const int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue < INT32_MIN || signedValue > INT32_MAX) return false;
  value = static_cast<int32_t>(signedValue);
  return true;
}

}  // namespace

COLORREF ColorToRGB(TColor color) {
  const int32_t value = ColorToInt(color);
  if (value < 0) return ::GetSysColor(value & 0xFF);
  const int32_t top = value & 0xFF000000;
  if (top == PaletteIndexFlag || top == PaletteRelativeFlag) return static_cast<COLORREF>(value);
  return static_cast<COLORREF>(value & 0x00FFFFFF);
}

bool ColorToIdent(TColor color, String& ident) {
  for (const TColorName& entry : ColorNames) {
    if (entry.Color == color) {
      ident = entry.Name;
      return true;
    }
  }
  return false;
}

bool IdentToColor(const String& ident, TColor& color) {
  auto find = [&](const auto& table) {
    for (const TColorName& entry : table) {
      if (SameText(ident, entry.Name)) {
        color = entry.Color;
        return true;
      }
    }
    return false;
  };
  return find(ColorNames) || find(ColorAliases);
}

String ColorToString(TColor color) {
  String ident;
  if (ColorToIdent(color, ident)) return ident;
  static const wchar_t Digits[] = L"0123456789ABCDEF";
  const uint32_t bits = static_cast<uint32_t>(ColorToInt(color));
  String text = L"$";
  for (int shift = 28; shift >= 0; shift -= 4) text += Digits[(bits >> shift) & 0xF];
  return text;
}

TColor StringToColor(const String& text) {
  TColor color;
  if (IdentToColor(text, color)) return color;
  int32_t value = 0;
  bool ok;
  if (!text.empty() && text[0] == L'$')
    ok = TryParseHex(text.substr(1), value);
  else if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
    ok = TryParseHex(text.substr(2), value);
  else
    ok = TryParseDecimal(text, value);
  if (!ok) throw EConvertError(L"'%s' is not a valid integer value", {text});
  return ColorFromInt(value);
}

void GetColorValues(const std::function<void(const String&)>& proc) {
  if (!proc) return;
  for (const TColorName& entry : ColorNames)
    if (entry.Listed) proc(entry.Name);
}

TPixel32 PixelFromColor(TColor color, uint8_t alpha) {
  const COLORREF rgb = ColorToRGB(color);
  TPixel32 pixel;
  pixel.R = static_cast<uint8_t>(rgb);
  pixel.G = static_cast<uint8_t>(rgb >> 8);
  pixel.B = static_cast<uint8_t>(rgb >> 16);
  pixel.A = alpha;
  return pixel;
}
