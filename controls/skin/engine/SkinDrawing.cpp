#include "SkinDrawing.h"

#include <algorithm>

#include <array>
#include <memory>
#include <vector>

#include "SkinColors.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/system/SysMath.h"

namespace {

HWND CaptureWindow = nullptr;  // the window BeginCapture captured for
int CaptureCount = 0;          // Begin calls not yet matched by End

const wchar_t* const GlyphResourceNames[] = {
    nullptr,           L"SE_BTN_OK",    L"SE_BTN_CANCEL", L"SE_BTN_HELP",  L"SE_BTN_YES",
    L"SE_BTN_NO",      L"SE_BTN_CLOSE", L"SE_BTN_ABORT",  L"SE_BTN_RETRY", L"SE_BTN_IGNORE",
    L"SE_BTN_ALL"};
constexpr int GlyphSlots = 11;

std::array<std::unique_ptr<TBitmap>, GlyphSlots>& GlyphCache() {
  static std::array<std::unique_ptr<TBitmap>, GlyphSlots> cache;
  return cache;
}

void SolidPen(TCanvas* canvas, TColor color) {
  canvas->GetPen()->SetStyle(psSolid);
  canvas->GetPen()->SetColor(color);
}

void SolidBrush(TCanvas* canvas, TColor color) {
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color);
}

}  // namespace

// ---- Rectangles ----------------------------------------------------------------------------------

TRect RectInflated(const TRect& r, int n) {
  return TRect(r.Left - n, r.Top - n, r.Right + n, r.Bottom + n);
}

TRect RectCenterVertically(TRect& r, const TRect& bounds) {
  r = Bounds(bounds.Left, bounds.Top + Div(RectHeight(bounds) - RectHeight(r), 2), RectWidth(r),
             RectHeight(r));
  return r;
}

TRect RectCenter(TRect& r, const TRect& bounds) {
  r = Bounds(bounds.Left + Div(RectWidth(bounds) - RectWidth(r), 2),
             bounds.Top + Div(RectHeight(bounds) - RectHeight(r), 2), RectWidth(r), RectHeight(r));
  return r;
}

// ---- Text ----------------------------------------------------------------------------------------

int DrawTextUnicode(TCanvas* canvas, const String& text, TRect& r, UINT flags) {
  HDC dc = canvas->GetHandle();  // with the canvas's font, pen and brush selected
  ::SetBkMode(dc, TRANSPARENT);
  RECT rect = r;
  const int height = ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags);
  if (flags & DT_CALCRECT) r = TRect(rect);
  return height;
}

int TextWidthEx(TCanvas* canvas, const String& text, UINT flags) {
  TRect r;
  DrawTextUnicode(canvas, text, r, DT_CALCRECT | flags);
  return RectWidth(r);
}

int TextHeightEx(TCanvas* canvas, const String& text) {
  TRect r;
  DrawTextUnicode(canvas, text, r, DT_CALCRECT);
  return RectHeight(r);
}

String EllipsisText(HDC dc, const String& text, int maxWidth) {
  auto extent = [dc](const String& s) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx;
  };
  if (extent(text) <= maxWidth) return text;
  // The longest prefix that fits with "..." after it, found by one measuring call.
  const int room = maxWidth - extent(L"...");
  int length = 0;
  SIZE size{};
  if (room > 0)
    ::GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), room, &length,
                            nullptr, &size);
  return text.substr(0, static_cast<size_t>(std::max(0, length))) + L"...";
}

void DrawRotatedText(TCanvas* canvas, int x, int y, const String& text, const TRect& r,
                     bool clockwise) {
  const int w = RectWidth(r), h = RectHeight(r);
  if (w < 1 || h < 1) return;
  TSeBitmap flat;
  flat.SetSize(w, h);
  flat.Clear(SeClearPixel);
  TCanvas flatCanvas;
  flatCanvas.SetHandle(flat.GetDC());
  flatCanvas.SetFont(canvas->GetFont());
  TRect box(0, 0, w, h);
  DrawTextUnicode(&flatCanvas, text, box, DT_SINGLELINE | DT_NOPREFIX);
  flatCanvas.SetHandle(nullptr);
  TSeBitmap turned;
  turned.SetSize(h, w);
  turned.Clear(SeClearPixel);
  ::GdiFlush();
  for (int sy = 0; sy < h; ++sy) {
    for (int sx = 0; sx < w; ++sx) {
      const TPixel32 pixel = *flat.PixelPtr(sx, sy);
      if (PixelRGB(pixel) == PixelRGB(SeClearPixel)) continue;
      if (clockwise)
        *turned.PixelPtr(h - 1 - sy, sx) = pixel;
      else
        *turned.PixelPtr(sy, w - 1 - sx) = pixel;
    }
  }
  turned.Draw(canvas, x, y, true);
}

// ---- Lines and shapes ----------------------------------------------------------------------------

void LineToColor(TCanvas* canvas, int x, int y, TColor color) {
  SolidPen(canvas, color);
  canvas->LineTo(x, y);
}

void DrawFrameLines(TCanvas* canvas, const TRect& r, TColor topLeft, TColor bottomRight) {
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->MoveTo(r.Left, r.Bottom - 2);
  LineToColor(canvas, r.Left, r.Top, topLeft);
  LineToColor(canvas, r.Right - 1, r.Top, topLeft);
  LineToColor(canvas, r.Right - 1, r.Bottom - 1, bottomRight);
  LineToColor(canvas, r.Left - 1, r.Bottom - 1, bottomRight);
}

void DrawBevelLines(TCanvas* canvas, TRect& r, unsigned sides, TColor topLeft,
                    TColor bottomRight, int count) {
  for (int i = 0; i < count; ++i) {
    if (sides & 1) {
      canvas->MoveTo(r.Left, r.Top);
      LineToColor(canvas, r.Left, r.Bottom, topLeft);
    }
    if (sides & 2) {
      canvas->MoveTo(r.Left, r.Top);
      LineToColor(canvas, r.Right, r.Top, topLeft);
    }
    if (sides & 8) {
      canvas->MoveTo(r.Left, r.Bottom - 1);
      LineToColor(canvas, r.Right, r.Bottom - 1, bottomRight);
    }
    if (sides & 4) {
      canvas->MoveTo(r.Right - 1, r.Top);
      LineToColor(canvas, r.Right - 1, r.Bottom, bottomRight);
    }
    if (sides & 1) ++r.Left;
    if (sides & 2) ++r.Top;
    if (sides & 4) --r.Right;
    if (sides & 8) --r.Bottom;
  }
}

void FrameRectColor(TCanvas* canvas, const TRect& r, TColor color) {
  canvas->GetBrush()->SetStyle(bsClear);
  SolidPen(canvas, color);
  canvas->Rectangle(r);
}

void FrameRectXY(TCanvas* canvas, int left, int top, int right, int bottom, TColor color) {
  FrameRectColor(canvas, TRect(left, top, right, bottom), color);
}

void FillRectColor(TCanvas* canvas, const TRect& r, TColor color) {
  SolidBrush(canvas, color);
  canvas->FillRect(r);
}

void FillRectXY(TCanvas* canvas, int left, int top, int right, int bottom, TColor color) {
  FillRectColor(canvas, TRect(left, top, right, bottom), color);
}

void FillRoundRect(TCanvas* canvas, const TRect& r, int radius, TColor color) {
  SolidBrush(canvas, color);
  SolidPen(canvas, color);
  canvas->RoundRect(r.Left, r.Top, r.Right, r.Bottom, radius, radius);
}

void DrawFocus(TCanvas* canvas, const TRect& r, TColor color) {
  SolidBrush(canvas, color);
  canvas->DrawFocusRect(r);
}

void FillGradient(TCanvas* canvas, const TRect& r, TColor fromColor, bool vertical,
                  TColor toColor) {
  if (RectIsEmpty(r)) return;
  const int size = vertical ? RectHeight(r) : RectWidth(r);
  const int steps = Min(255, size);
  const COLORREF c1 = ColorToRGB(fromColor), c2 = ColorToRGB(toColor);
  const int from[3] = {GetRValue(c1), GetGValue(c1), GetBValue(c1)};
  const int to[3] = {GetRValue(c2), GetGValue(c2), GetBValue(c2)};
  for (int i = 0; i <= steps; ++i) {
    int channel[3];
    for (int c = 0; c < 3; ++c)
      channel[c] = static_cast<int>(Round(
          (static_cast<double>(i) * (to[c] - from[c]) * 255 / steps + from[c] * 255.0) / 255));
    const int start = ::MulDiv(i, size, steps), end = ::MulDiv(i + 1, size, steps);
    TRect band = vertical ? TRect(r.Left, r.Top + start, r.Right, r.Top + end)
                          : TRect(r.Left + start, r.Top, r.Left + end, r.Bottom);
    IntersectRect(band, band, r);
    if (RectIsEmpty(band)) continue;
    FillRectColor(canvas, band,
                  RGBColor(static_cast<uint8_t>(Min(255, Max(0, channel[0]))),
                           static_cast<uint8_t>(Min(255, Max(0, channel[1]))),
                           static_cast<uint8_t>(Min(255, Max(0, channel[2])))));
  }
}

void FillChecker(TCanvas* canvas, const TRect& r, TColor color1, TColor color2) {
  TRect area(Max(r.Left, 0), Max(r.Top, 0), r.Right, r.Bottom);
  if (RectIsEmpty(area)) return;
  TBitmap pattern;
  pattern.SetSize(8, 8);
  TCanvas* pc = pattern.GetCanvas();
  FillRectColor(pc, TRect(0, 0, 8, 8), color1);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if ((x % 2) == (y % 2)) pc->SetPixels(x, y, color2);
  UniqueBrush brush(::CreatePatternBrush(pattern.GetHandle()));
  if (!brush) return;
  RECT rect = area;
  ::FillRect(canvas->GetHandle(), &rect, brush.get());
}

void DrawRaisedBox(TCanvas* canvas, int left, int top, int right, int bottom) {
  const TRect r(left, top, right, bottom);
  FillRectColor(canvas, r, clBtnFace);
  DrawFrameLines(canvas, RectInflated(r, -1), clBtnHighlight, clBtnShadow);
  DrawFrameLines(canvas, r, cl3DLight, cl3DDkShadow);
}

void DrawFlatBox(TCanvas* canvas, int left, int top, int right, int bottom) {
  const TRect r(left, top, right, bottom);
  FillRectColor(canvas, r, clBtnFace);
  FrameRectColor(canvas, r, clBtnShadow);
}

void DrawIconCentered(TCanvas* canvas, const TRect& r, TIcon* icon) {
  if (!icon || icon->GetEmpty()) return;
  TRect box(0, 0, 16, 16);
  RectCenter(box, r);
  ::DrawIconEx(canvas->GetHandle(), box.Left, box.Top, icon->GetHandle(), 0, 0, 0, nullptr,
               DI_NORMAL);
}

// ---- Regions ---------------------------------------------------------------------------------------

HRGN CreateRegionFromBitmap(const TSeBitmap& bitmap, int xOffset, int yOffset) {
  const int width = bitmap.GetWidth(), height = bitmap.GetHeight();
  if (!bitmap.GetBits() || width < 1 || height < 1) return nullptr;
  std::vector<RECT> runs;
  const uint32_t clear = PixelRGB(SeClearPixel);
  ::GdiFlush();
  for (int y = 0; y < height; ++y) {
    const TPixel32* row = bitmap.PixelPtr(0, y);
    int x = 0;
    while (x < width) {
      while (x < width && PixelRGB(row[x]) == clear) ++x;
      const int start = x;
      while (x < width && PixelRGB(row[x]) != clear) ++x;
      if (x > start)
        runs.push_back(RECT{start + xOffset, y + yOffset, x + xOffset, y + yOffset + 1});
    }
  }
  if (runs.empty()) return nullptr;
  std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(runs.size());
  header->nRgnSize = 0;
  // The bound of the rectangles as moved: the offsets take them out of the bitmap's own.
  header->rcBound = RECT{xOffset, yOffset, width + xOffset, height + yOffset};
  std::copy(runs.begin(), runs.end(),
            reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER)));
  return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                           reinterpret_cast<const RGNDATA*>(data.data()));
}

// ---- Mouse capture ---------------------------------------------------------------------------------

void BeginCapture(HWND wnd) {
  if (CaptureCount == 0) {
    CaptureWindow = wnd;
    ::SetCapture(wnd);
  }
  ++CaptureCount;
}

void EndCapture() {
  if (CaptureCount == 0) return;  // unmatched: nothing to release
  if (--CaptureCount > 0) return;
  if (::GetCapture() == CaptureWindow && CaptureWindow) ::ReleaseCapture();
  CaptureWindow = nullptr;
}

int CaptureDepth() { return CaptureCount; }

// ---- Repeat timing ---------------------------------------------------------------------------------

int GetKeyRepeatDelay() {
  int delay = 0;
  ::SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
  return (delay + 1) * 200;
}

int GetKeyRepeatInterval() {
  DWORD speed = 0;
  ::SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
  return static_cast<int>(Round(1000.0 / ((speed + 1) * 2.3)));
}

// ---- Stock glyphs ----------------------------------------------------------------------------------

TBitmap* GetButtonGlyph(TBitBtnKind kind) {
  const int slot = static_cast<int>(kind) & 0x7F;
  if (slot >= GlyphSlots) {
    static TBitmap empty;
    return &empty;
  }
  auto& cached = GlyphCache()[static_cast<size_t>(slot)];
  if (!cached) {
    auto glyph = std::make_unique<TBitmap>();
    const wchar_t* name = GlyphResourceNames[slot];
    HBITMAP resource =
        name ? ::LoadBitmapW(::GetModuleHandleW(nullptr), name) : nullptr;
    if (resource)
      glyph->SetHandle(resource);
    else
      GetBitBtnGlyph(static_cast<TBitBtnKind>(slot), glyph.get());
    cached = std::move(glyph);
  }
  return cached.get();
}

// ---- The shared paint buffer -------------------------------------------------------------------------

TSize SharedPaintBufferSize() {
  static const TSize size{::GetSystemMetrics(SM_CXSCREEN) + 500,
                          ::GetSystemMetrics(SM_CYSCREEN) + 500};
  return size;
}

TSeBitmap& SharedPaintBuffer() {
  static TSeBitmap buffer;
  if (buffer.Empty()) {
    const TSize size = SharedPaintBufferSize();
    buffer.SetSize(size.cx, size.cy);
  }
  return buffer;
}
