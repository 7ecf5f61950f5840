#include "BMPUtils.h"

#include "classlib/graphics/GdiHandles.h"
#include "classlib/system/SysMath.h"

namespace {

// A memory DC compatible with `reference` holding `bitmap` selected for its lifetime.
struct MemoryDC {
  MemoryDC(HDC reference, HBITMAP bitmap)
      : DC(::CreateCompatibleDC(reference)), Select(DC.get(), bitmap) {}
  UniqueDC DC;
  SelectObjectScope Select;  // declared after DC: deselects before the DC is deleted
};

// The source rectangle as drawn: the whole bitmap when empty, else clipped to the bitmap.
TRect SourceInBitmap(const TRect& source, int bitmapWidth, int bitmapHeight) {
  const TRect whole(0, 0, bitmapWidth, bitmapHeight);
  if (IsRectEmpty(source)) return whole;
  TRect clipped;
  IntersectRect(clipped, source, whole);
  return clipped;
}

}  // namespace

void StretchBltTransparent(HDC dc, HBITMAP bitmap, int x, int y, const TRect& source, int width,
                           int height, COLORREF transparentColor) {
  if (!dc || !bitmap) return;
  BITMAP info{};
  if (::GetObjectW(bitmap, sizeof(info), &info) != sizeof(info)) return;
  const TRect src = SourceInBitmap(source, info.bmWidth, Max(info.bmHeight, -info.bmHeight));
  if (IsRectEmpty(src)) return;
  const int srcWidth = src.Width(), srcHeight = src.Height();
  if (width == 0 || height == 0) {
    width = srcWidth;
    height = srcHeight;
  }

  // The source part, copied so that the bitmap itself is never written.
  UniqueBitmap imageBitmap(::CreateCompatibleBitmap(dc, srcWidth, srcHeight));
  // The mask: 1 where the source has the transparent colour.
  UniqueBitmap maskBitmap(::CreateBitmap(srcWidth, srcHeight, 1, 1, nullptr));
  // The destination area, on which the picture is put together before one copy back.
  UniqueBitmap backBitmap(::CreateCompatibleBitmap(dc, width, height));
  if (!imageBitmap || !maskBitmap || !backBitmap) return;
  {
    MemoryDC sourceDC(dc, bitmap);
    MemoryDC imageDC(dc, imageBitmap.get());
    MemoryDC maskDC(dc, maskBitmap.get());
    MemoryDC backDC(dc, backBitmap.get());
    if (!sourceDC.DC || !imageDC.DC || !maskDC.DC || !backDC.DC) return;

    ::BitBlt(imageDC.DC.get(), 0, 0, srcWidth, srcHeight, sourceDC.DC.get(), src.Left, src.Top,
             SRCCOPY);
    // Colour to monochrome: pixels of the background colour become 1.
    ::SetBkColor(imageDC.DC.get(), transparentColor);
    ::BitBlt(maskDC.DC.get(), 0, 0, srcWidth, srcHeight, imageDC.DC.get(), 0, 0, SRCCOPY);
    // The picture's transparent pixels become black (mask 1 -> background black, 0 -> text
    // white), so that OR puts only its other pixels onto the destination.
    ::SetBkColor(imageDC.DC.get(), RGB(0, 0, 0));
    ::SetTextColor(imageDC.DC.get(), RGB(255, 255, 255));
    ::BitBlt(imageDC.DC.get(), 0, 0, srcWidth, srcHeight, maskDC.DC.get(), 0, 0, SRCAND);

    ::BitBlt(backDC.DC.get(), 0, 0, width, height, dc, x, y, SRCCOPY);
    // Where the picture is not transparent the destination becomes black (mask 1 -> white).
    ::SetStretchBltMode(backDC.DC.get(), COLORONCOLOR);
    ::SetBkColor(backDC.DC.get(), RGB(255, 255, 255));
    ::SetTextColor(backDC.DC.get(), RGB(0, 0, 0));
    ::StretchBlt(backDC.DC.get(), 0, 0, width, height, maskDC.DC.get(), 0, 0, srcWidth,
                 srcHeight, SRCAND);
    ::StretchBlt(backDC.DC.get(), 0, 0, width, height, imageDC.DC.get(), 0, 0, srcWidth,
                 srcHeight, SRCPAINT);
    ::BitBlt(dc, x, y, width, height, backDC.DC.get(), 0, 0, SRCCOPY);
  }
}

void DrawTransparentBitmap(TCanvas* canvas, int x, int y, TColor transparentColor, TBitmap* bitmap,
                           const TRect& source, int width, int height) {
  if (!canvas || !bitmap || bitmap->GetEmpty()) return;
  if (transparentColor == clNone) {
    const TRect src = SourceInBitmap(source, bitmap->GetWidth(), bitmap->GetHeight());
    if (IsRectEmpty(src)) return;
    TBitmap part;
    part.SetSize(src.Width(), src.Height());
    part.GetCanvas()->CopyRect(Rect(0, 0, src.Width(), src.Height()), bitmap->GetCanvas(), src);
    if (width != 0 && height != 0)
      canvas->StretchDraw(Rect(x, y, x + width, y + height), &part);
    else
      canvas->Draw(x, y, &part);
    return;
  }
  // A copy of its own, whose handle is selected into no device context.
  TBitmap copy;
  copy.Assign(bitmap);
  if (transparentColor == clDefault) transparentColor = BottomLeftColor(&copy);
  const COLORREF key = ColorToRGB(transparentColor);
  HBITMAP handle = copy.GetHandle();
  StretchBltTransparent(canvas->GetHandle(), handle, x, y, source, width, height, key);
}

void DrawTransparentBitmap(TCanvas* canvas, int x, int y, TColor transparentColor,
                           TBitmap* bitmap) {
  DrawTransparentBitmap(canvas, x, y, transparentColor, bitmap, TRect(), 0, 0);
}

void DrawGlyph(TCanvas* canvas, int x, int y, int numGlyphs, int glyphNumber, TBitmap* bitmap) {
  if (!canvas || !bitmap || bitmap->GetEmpty()) return;
  if (numGlyphs < 1 || glyphNumber < 1 || glyphNumber > numGlyphs) return;
  const int glyphWidth = Div(bitmap->GetWidth(), numGlyphs);
  if (glyphWidth <= 0) return;
  const int height = bitmap->GetHeight();
  const TRect source(glyphWidth * (glyphNumber - 1), 0, glyphWidth * glyphNumber, height);
  const TColor key = bitmap->GetCanvas()->GetPixels(source.Left, height - 1);
  DrawTransparentBitmap(canvas, x, y, key, bitmap, source, 0, 0);
}

TColor BottomLeftColor(TBitmap* bitmap) {
  if (!bitmap || bitmap->GetEmpty()) return clNone;
  return bitmap->GetCanvas()->GetPixels(0, bitmap->GetHeight() - 1);
}
