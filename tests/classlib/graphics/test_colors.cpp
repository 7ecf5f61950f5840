// Colours, their names and pixels; the rectangle helpers; the GDI handle holders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "classlib/graphics/Colors.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/graphics/Types.h"
#include "classlib/system/SysExceptions.h"

// A colour and a packed pixel never stand in for each other, nor for a plain integer.
static_assert(!std::is_convertible_v<TColor, TPixel32>);
static_assert(!std::is_convertible_v<TPixel32, TColor>);
static_assert(!std::is_convertible_v<int, TColor>);
static_assert(!std::is_convertible_v<TColor, int>);
static_assert(!std::is_convertible_v<TColor, COLORREF>);

TEST(Colors, ColorToRGBResolvesSystemColoursAndMasksMarkers) {
  EXPECT_EQ(ColorToInt(PaletteRGBColor(1, 2, 3)), 0x02030201);
  EXPECT_EQ(ColorToRGB(clBtnFace), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clNone), 0xFFFFFFu);
  EXPECT_EQ(ColorToRGB(clDefault), 0u);
  EXPECT_EQ(ColorToRGB(PaletteRGBColor(1, 2, 3)), 0x02030201u);  // palette forms pass
  EXPECT_EQ(ColorToRGB(PaletteIndexColor(7)), 0x01000007u);
}

TEST(Colors, ToStringUsesNamesElseEightHexDigits) {
  EXPECT_EQ(ColorToString(clBtnFace), L"clBtnFace");
  EXPECT_EQ(ColorToString(clLtGray), L"clSilver");  // an alias is written by its main name
  EXPECT_EQ(ColorToString(RGBColor(0x40, 0x80, 0xFF)), L"$00FF8040");
  EXPECT_EQ(ColorToString(SystemColor(25)), L"$80000019");  // an index without a name
}

TEST(Colors, FromStringAcceptsNamesHexAndDecimal) {
  EXPECT_EQ(StringToColor(L"CLBTNFACE"), clBtnFace);  // names in any case
  EXPECT_EQ(StringToColor(L"$00FF8040"), RGBColor(0x40, 0x80, 0xFF));
  EXPECT_EQ(StringToColor(L"0x0000FF"), clRed);
  EXPECT_EQ(StringToColor(L"-2147483633"), clBtnFace);
  for (const wchar_t* bad : {L"", L"clNope", L"$", L"$123456789", L"12x", L"4294967296", L"$GG"}) {
    try {
      StringToColor(bad);
      ADD_FAILURE() << "accepted " << StringToUtf8(bad);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), L"'" + String(bad) + L"' is not a valid integer value");
    }
  }
}

TEST(Colors, EveryNameRoundTripsAndIsListedOnce) {
  std::vector<String> names;
  GetColorValues([&](const String& name) { names.push_back(name); });
  ASSERT_EQ(names.size(), 42u);
  EXPECT_EQ(names.front(), L"clBlack");
  EXPECT_EQ(names.back(), L"clWindowText");
  EXPECT_EQ(std::count(names.begin(), names.end(), L"clMoneyGreen"), 0);
  // Names that are not listed are still read and written.
  for (const wchar_t* unlisted : {L"clMoneyGreen", L"clHotLight", L"clDefault"}) names.push_back(unlisted);
  for (const String& name : names) {
    TColor color;
    ASSERT_TRUE(IdentToColor(name, color)) << StringToUtf8(name);
    String back;
    ASSERT_TRUE(ColorToIdent(color, back));
    EXPECT_EQ(back, name);
    EXPECT_EQ(StringToColor(ColorToString(color)), color);
  }
  for (TColor c : {RGBColor(1, 2, 3), SystemColor(25), ColorFromInt(-1), PaletteRGBColor(9, 8, 7)})
    EXPECT_EQ(StringToColor(ColorToString(c)), c);
}

TEST(Colors, PixelsAreStoredBlueGreenRedAlpha) {
  const TPixel32 p = PixelFromColor(RGBColor(0x11, 0x22, 0x33));
  uint32_t bits = 0;
  std::memcpy(&bits, &p, sizeof bits);
  EXPECT_EQ(bits, 0x00112233u);  // as a 32-bit DIB holds it: 0x00RRGGBB
  EXPECT_EQ(PixelFromColor(clRed, 0xFF).A, 0xFF);
  EXPECT_EQ(ColorFromPixel(p), RGBColor(0x11, 0x22, 0x33));
  EXPECT_EQ(ColorFromPixel(PixelFromColor(clHighlight)),
            ColorFromInt(static_cast<int32_t>(::GetSysColor(COLOR_HIGHLIGHT))));
}

TEST(Types, RectangleHelpers) {
  TRect r = Bounds(10, 20, 30, 40);
  EXPECT_EQ(r, Rect(10, 20, 40, 60));
  EXPECT_FALSE(PtInRect(r, Point(40, 30)));  // right edge is outside

  TRect common;
  EXPECT_TRUE(IntersectRect(common, r, Rect(0, 0, 15, 25)));
  EXPECT_EQ(common, Rect(10, 20, 15, 25));
  EXPECT_FALSE(IntersectRect(common, r, Rect(40, 0, 50, 10)));
  EXPECT_EQ(common, TRect());

  TRect all;
  EXPECT_TRUE(UnionRect(all, r, Rect(0, 0, 5, 5)));
  EXPECT_EQ(all, Rect(0, 0, 40, 60));
  EXPECT_TRUE(UnionRect(all, TRect(), r));  // an empty side is ignored
  EXPECT_EQ(all, r);

  InflateRect(r, 2, -3);
  EXPECT_EQ(r, Rect(8, 23, 42, 57));
}

TEST(GdiHandles, OwnMoveReleaseAndRestoreSelection) {
  HBRUSH raw = ::CreateSolidBrush(RGB(1, 2, 3));
  {
    UniqueBrush a(raw);
    UniqueBrush b(std::move(a));
    EXPECT_FALSE(a);
    a = std::move(b);
    EXPECT_EQ(a.get(), raw);
  }
  EXPECT_EQ(::GetObjectType(raw), 0u);  // deleted exactly once, by the last holder

  HRGN region = ::CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(UniqueRegion(region).release(), region);
  EXPECT_EQ(::GetObjectType(region), static_cast<DWORD>(OBJ_REGION));  // released, not deleted
  ::DeleteObject(region);

  UniqueDC dc(::CreateCompatibleDC(nullptr));
  UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
  HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_PEN);
  {
    SelectObjectScope scope(dc.get(), pen.get());
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_PEN), pen.get());
  }
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_PEN), original);
}
