// The flat-style controls' shared routines.
#include "FlatUtilitys.h"

#include "HSLUtils.h"
#include "classlib/graphics/GdiHandles.h"
#include "classlib/system/SysMath.h"

TColor CalcAdvancedColor(TColor parentColor, TColor current, int percent, TColorCalcType kind) {
  if (percent == 0) return current;
  int h = 0, s = 0, l = 0;
  RGBToHSLRange(ColorFromInt(static_cast<int32_t>(ColorToRGB(parentColor))), h, s, l);
  l += 10;
  // The cap is 100 on the 0..240 scale: the stored colours of the flat controls were made so.
  l = kind == lighten ? Min(l + percent, 100) : Max(l - percent, 0);
  return HSLRangeToRGB(h, s, l);
}

namespace {

// Selects an object into a DC for the scope.
class TSelected {
 public:
  TSelected(HDC dc, HGDIOBJ object) : FDC(dc), FOld(::SelectObject(dc, object)) {}
  ~TSelected() { ::SelectObject(FDC, FOld); }
  TSelected(const TSelected&) = delete;
  TSelected& operator=(const TSelected&) = delete;

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// The brush colour where the monochrome source is set, the destination elsewhere.
constexpr DWORD RopBrushWhereSet = 0x00E20746;

}  // namespace

std::unique_ptr<TBitmap> CreateDisabledBitmap(TBitmap* source, TColor outlineColor,
                                              TColor backColor, TColor highlightColor,
                                              TColor shadowColor, bool drawHighlight) {
  auto result = std::make_unique<TBitmap>();
  if (!source || source->GetEmpty()) return result;
  const int w = source->GetWidth(), h = source->GetHeight();
  result->SetSize(w, h);
  TCanvas* canvas = result->GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(backColor);
  canvas->FillRect(Rect(0, 0, w, h));

  // A colour copy of the source (a monochrome one turns black and white, and white is then
  // the colour that marks the glyph).
  const bool monochrome = source->GetMonochrome();
  const COLORREF marked = monochrome ? RGB(255, 255, 255) : ColorToRGB(outlineColor);
  const HDC screen = ::GetDC(nullptr);
  UniqueDC colorDC(::CreateCompatibleDC(screen));
  UniqueBitmap colorCopy(::CreateCompatibleBitmap(screen, w, h));
  ::ReleaseDC(nullptr, screen);
  UniqueDC maskDC(::CreateCompatibleDC(nullptr));
  UniqueBitmap mask(::CreateBitmap(w, h, 1, 1, nullptr));
  if (!colorDC || !colorCopy || !maskDC || !mask) return result;
  {
    const TSelected colorSelected(colorDC.get(), colorCopy.get());
    ::SetTextColor(colorDC.get(), RGB(0, 0, 0));
    ::SetBkColor(colorDC.get(), RGB(255, 255, 255));
    ::BitBlt(colorDC.get(), 0, 0, w, h, source->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    const TSelected maskSelected(maskDC.get(), mask.get());
    // Copying to one bit per pixel sets the pixels of the background colour.
    ::SetBkColor(colorDC.get(), marked);
    ::BitBlt(maskDC.get(), 0, 0, w, h, colorDC.get(), 0, 0, SRCCOPY);

    const HDC dc = canvas->GetHandle();
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    const auto paintMask = [&](TColor color, int at) {
      UniqueBrush brush(::CreateSolidBrush(ColorToRGB(color)));
      const TSelected brushSelected(dc, brush.get());
      ::BitBlt(dc, at, at, w, h, maskDC.get(), 0, 0, RopBrushWhereSet);
    };
    if (drawHighlight) paintMask(highlightColor, 1);
    paintMask(shadowColor, 0);
  }
  canvas->Refresh();
  return result;
}

TFlatButtonLayout CalcFlatButtonLayout(TCanvas* canvas, const TRect& client, TPoint offset,
                                       const String& caption, TButtonLayout layout, int margin,
                                       int spacing, TBitmap* glyph, int numGlyphs) {
  const int clientW = client.Right - client.Left, clientH = client.Bottom - client.Top;
  TSize glyphSize(0, 0);
  if (glyph && !glyph->GetEmpty())
    glyphSize = TSize(Div(glyph->GetWidth(), Max(numGlyphs, 1)), glyph->GetHeight());
  TRect text = Rect(0, 0, clientW, 0);
  if (!caption.empty()) {
    RECT r = text;
    ::DrawTextW(canvas->GetHandle(), caption.c_str(), static_cast<int>(caption.size()), &r,
                DT_CALCRECT | DT_SINGLELINE);
    text = TRect(r);
  } else {
    text = Rect(0, 0, 0, 0);
  }
  const TSize textSize(text.Right - text.Left, text.Bottom - text.Top);
  TPoint glyphPos, textPos;
  const bool vertical = layout == blGlyphTop || layout == blGlyphBottom;
  if (vertical) {
    glyphPos.X = Div(clientW - glyphSize.cx + 1, 2);
    textPos.X = Div(clientW - textSize.cx + 1, 2);
  } else {
    glyphPos.Y = Div(clientH - glyphSize.cy + 1, 2);
    textPos.Y = Div(clientH - textSize.cy + 1, 2);
  }
  if (glyphSize.cx == 0 || textSize.cx == 0) spacing = 0;
  const int room = vertical ? clientH : clientW;
  const int g = vertical ? glyphSize.cy : glyphSize.cx;
  const int t = vertical ? textSize.cy : textSize.cx;
  if (margin == -1 && spacing == -1) {
    margin = spacing = Div(room - g - t, 3);
  } else if (margin == -1) {
    margin = Div(room - g - spacing - t + 1, 2);
  } else if (spacing == -1) {
    spacing = Div(room - margin - g - t, 2);
  }
  int gAt = 0, tAt = 0;
  if (layout == blGlyphLeft || layout == blGlyphTop) {
    gAt = margin;
    tAt = margin + g + spacing;
  } else {
    gAt = room - margin - g;
    tAt = gAt - spacing - t;
  }
  (vertical ? glyphPos.Y : glyphPos.X) = gAt;
  (vertical ? textPos.Y : textPos.X) = tAt;
  const int dx = client.Left + offset.X, dy = client.Top + offset.Y;
  TFlatButtonLayout result;
  result.GlyphPos = Point(glyphPos.X + dx, glyphPos.Y + dy);
  result.TextBounds = Bounds(textPos.X + dx, textPos.Y + dy, textSize.cx, textSize.cy);
  return result;
}

int FontTextHeight(TFont* font) {
  const HDC screen = ::GetDC(nullptr);
  TCanvas canvas;
  canvas.SetHandle(screen);
  canvas.SetFont(font);
  const int height = canvas.TextHeight(L"0");
  canvas.SetHandle(nullptr);
  ::ReleaseDC(nullptr, screen);
  return height;
}

int FlatFontHeight(TFont* font) {
  const int h = FontTextHeight(font);
  return h + Round(h / 8.0);
}
