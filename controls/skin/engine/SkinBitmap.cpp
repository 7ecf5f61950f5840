#include "SkinBitmap.h"

#include <algorithm>
#include <cstdlib>

#include "SkinReader.h"
#include "SkinStreams.h"
#include "SystemBlits.h"
#include "classlib/classes/Properties.h"
#include "classlib/graphics/Graphic.h"
#include "classlib/stdctrls/Clipboard.h"
#include "classlib/system/SysMath.h"

namespace {

int64_t Width64(const TRect& r) { return int64_t{r.Right} - r.Left; }
int64_t Height64(const TRect& r) { return int64_t{r.Bottom} - r.Top; }

// r intersected with (0, 0, width, height); empty rectangles stay empty.
TRect Intersect(const TRect& r, int width, int height) {
  return TRect(std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, width),
               std::min(r.Bottom, height));
}

bool IsEmptyRect(const TRect& r) { return Width64(r) < 1 || Height64(r) < 1; }

// The part of dest inside a destination of width x height; false when none is. Scaled copies
// walk this part and map each pixel back into the whole source rectangle, so the source needs
// no cutting here.
bool ClipDest(const TRect& dest, int width, int height, TRect& clipped) {
  if (IsEmptyRect(dest)) return false;
  clipped = Intersect(dest, width, height);
  return !IsEmptyRect(clipped);
}

// Nearest-neighbour stepping along one axis in 16.16 fixed point: each destination pixel
// moves the source position on by sourceSize * 65536 / destSize, and a destination whose
// first `skipped` pixels are clipped away starts at MulDiv(skipped * sourceSize, 65535,
// destSize). An axis whose sizes are equal is copied one to one: the fixed-point start would
// put a clipped copy one pixel off and lose its last column. Sizes are at least 1 and skipped
// lies below destSize; the arithmetic is 64-bit, and each offset is kept below sourceSize, so
// no step reads outside the source rectangle.
class TFixedStep {
 public:
  TFixedStep(int64_t sourceSize, int64_t destSize, int64_t skipped)
      : FStep(sourceSize * 65536 / destSize), FLast(sourceSize - 1) {
    if (sourceSize == destSize) {
      FPosition = skipped * 65536;
    } else {
      // MulDiv's rounding (half up) without its 32-bit limit: both factors are below 2^32,
      // so their product fits 64 unsigned bits; it is divided first, so that the factor 65535
      // multiplies only values below 2^32.
      const uint64_t product = static_cast<uint64_t>(skipped) * static_cast<uint64_t>(sourceSize);
      const uint64_t size = static_cast<uint64_t>(destSize);
      const uint64_t whole = product / size, rest = product % size;
      FPosition = static_cast<int64_t>(whole * 65535 + (rest * 65535 + size / 2) / size);
    }
  }
  // The source offset of the next destination pixel.
  int64_t Next() {
    const int64_t offset = std::min(FPosition >> 16, FLast);
    FPosition += FStep;
    return offset;
  }

 private:
  int64_t FPosition;    // 16.16 source position of the next destination pixel
  const int64_t FStep;  // 16.16 advance per destination pixel
  const int64_t FLast;  // the last source offset
};

// Calls write(destination pixel, source pixel) for each pixel of d, the part of dest inside
// dst, with the source pixel it maps to by TFixedStep; a pixel whose source lies outside src
// is left alone.
template <class Write>
void ForEachScaledPixel(const TSeBitmap& src, const TRect& source, TSeBitmap& dst,
                        const TRect& dest, const TRect& d, Write write) {
  const int64_t dw = Width64(dest), dh = Height64(dest);
  const int64_t sw = Width64(source), sh = Height64(source);
  TFixedStep rows(sh, dh, int64_t{d.Top} - dest.Top);
  for (int y = d.Top; y < d.Bottom; ++y) {
    const int64_t sy = source.Top + rows.Next();
    if (sy < 0 || sy >= src.GetHeight()) continue;
    TFixedStep columns(sw, dw, int64_t{d.Left} - dest.Left);
    TPixel32* to = dst.PixelPtr(d.Left, y);
    for (int x = d.Left; x < d.Right; ++x, ++to) {
      const int64_t sx = source.Left + columns.Next();
      if (sx < 0 || sx >= src.GetWidth()) continue;
      write(*to, *src.PixelPtr(static_cast<int>(sx), static_cast<int>(sy)));
    }
  }
}

// The size of the bitmap selected into a memory DC, or of the DC's clip box for other DCs.
TRect DestinationArea(HDC dc) {
  RECT box{};
  if (::GetClipBox(dc, &box) == ERROR) return TRect();
  return TRect(box);
}

// The four-step masked blit with a mask that is white (1) where the picture is transparent:
// the source with its transparent part blackened, the destination with the opaque part
// blackened, then the two combined (OR and XOR of them are the same). The source is
// blackened by DestAndNotSource: SRCERASE (the mask AND the inverted picture) would draw the
// opaque pixels black and cross the background with the inverted picture.
void MaskBlit(HDC dest, const TRect& d, HDC source, const TRect& s, HDC mask) {
  const int sw = s.Width(), sh = s.Height();
  UniqueDC memory(::CreateCompatibleDC(dest));
  UniqueBitmap bitmap(::CreateCompatibleBitmap(dest, sw, sh));
  if (!memory || !bitmap) return;
  SelectObjectScope select(memory.get(), bitmap.get());
  const COLORREF text = ::SetTextColor(dest, RGB(0, 0, 0));
  const COLORREF back = ::SetBkColor(dest, RGB(255, 255, 255));
  constexpr DWORD DestAndNotSource = 0x00220326;
  ::BitBlt(memory.get(), 0, 0, sw, sh, source, s.Left, s.Top, SRCCOPY);
  ::BitBlt(memory.get(), 0, 0, sw, sh, mask, s.Left, s.Top, DestAndNotSource);
  ::StretchBlt(dest, d.Left, d.Top, d.Width(), d.Height(), mask, s.Left, s.Top, sw, sh, SRCAND);
  ::StretchBlt(dest, d.Left, d.Top, d.Width(), d.Height(), memory.get(), 0, 0, sw, sh,
               SRCPAINT);
  ::SetTextColor(dest, text);
  ::SetBkColor(dest, back);
}

// Tiling: a picture smaller than TileSide a side may be repeated into a tile of whole copies
// of about that side (at most TilePixels pixels, and no larger than the area drawn) before it
// is drawn, when that costs less than drawing it copy by copy (TilingPays).
constexpr int TileSide = 256;
constexpr int64_t TilePixels = 256 * 1024;

// How many copies of a picture side (with otherSide the tile's extent the other way) a tile
// takes along a visible extent: enough to cover it up to TileSide, within TilePixels; 1 or more.
int CopiesPerTile(int side, int64_t otherSide, int visibleExtent) {
  if (side >= TileSide) return 1;
  const int64_t wanted = std::min<int64_t>((int64_t{visibleExtent} + side - 1) / side, TileSide / side);
  const int64_t allowed = TilePixels / std::max<int64_t>(otherSide * side, 1);
  return static_cast<int>(std::max<int64_t>(1, std::min(wanted, allowed)));
}

// How many copies of a w x h picture tiled from dest's top-left corner meet visible.
int64_t TileCount(const TRect& dest, const TRect& visible, int w, int h) {
  const int64_t columns = (int64_t{visible.Right} - dest.Left + w - 1) / w - (int64_t{visible.Left} - dest.Left) / w;
  const int64_t rows = (int64_t{visible.Bottom} - dest.Top + h - 1) / h - (int64_t{visible.Top} - dest.Top) / h;
  return columns * rows;
}

// What tiling costs, in units of one opaque drawing call, as timed under Wine: making a tile
// (a DIB section and a memory DC, made and freed) about MakeTile calls, filling it a call for
// every FillPixels pixels; a transparent drawing call about TransparentCall opaque ones, and
// one through the software transparent blit about MakeTile, as it makes a buffer for every
// call. The pixels drawn are the same either way and are left out. MakeTile is set some
// times above what was timed: a tile that does not pay draws slower than copy by copy, while
// one not made where it would have paid only gives up a gain.
constexpr int64_t MakeTile = 300;
constexpr int64_t FillPixels = 4000;
constexpr int64_t TransparentCall = 100;

}  // namespace

bool TilingPays(int64_t copies, int64_t tileCalls, int64_t tilePixels, bool transparent, bool systemBlit) {
  const int64_t call = !transparent ? 1 : systemBlit ? TransparentCall : MakeTile;
  return MakeTile + tilePixels / FillPixels + tileCalls * call < copies * call;
}

bool ClipCopy(int sourceWidth, int sourceHeight, int destWidth, int destHeight, TRect& source,
              int& x, int& y) {
  source = Intersect(source, sourceWidth, sourceHeight);
  if (IsEmptyRect(source)) return false;
  int64_t left = x, top = y;
  int64_t right = left + Width64(source), bottom = top + Height64(source);
  if (left < 0) { source.Left += static_cast<int>(-left); left = 0; }
  if (top < 0) { source.Top += static_cast<int>(-top); top = 0; }
  if (right > destWidth) source.Right -= static_cast<int>(right - destWidth);
  if (bottom > destHeight) source.Bottom -= static_cast<int>(bottom - destHeight);
  if (IsEmptyRect(source)) return false;
  x = static_cast<int>(left);
  y = static_cast<int>(top);
  return true;
}

// ---- TSeBitmap ------------------------------------------------------------------------------------

TSeBitmap::TSeBitmap() : FFont(std::make_unique<TFont>()) {
  FHeader.biSize = sizeof(BITMAPINFOHEADER);
  FHeader.biPlanes = 1;
  FHeader.biBitCount = 32;
  FHeader.biCompression = BI_RGB;
}

TSeBitmap::~TSeBitmap() {
  if (OnBeforeChange) OnBeforeChange(this);
  FreeDIB();
}

void TSeBitmap::FreeDIB() {
  if (FDC) {
    if (FOldBitmap) ::SelectObject(FDC, FOldBitmap);
    ::DeleteDC(FDC);
  }
  if (FHandle) ::DeleteObject(FHandle);
  FDC = nullptr;
  FOldBitmap = nullptr;
  FHandle = nullptr;
  FBits = nullptr;
  FWidth = 0;
  FHeight = 0;
}

void TSeBitmap::SetSize(int width, int height) {
  const int64_t w = std::llabs(int64_t{width}), h = std::llabs(int64_t{height});
  if (w == 0 || h == 0) return;
  if (w == FWidth && h == FHeight) return;
  if (OnBeforeChange) OnBeforeChange(this);
  FreeDIB();
  if (w > INT32_MAX || h > INT32_MAX || w * h > INT32_MAX / 4)
    throw Exception(L"Can't allocate the DIB handle");
  FHeader.biWidth = static_cast<LONG>(w);
  FHeader.biHeight = -static_cast<LONG>(h);
  BITMAPINFO info{};
  info.bmiHeader = FHeader;
  void* bits = nullptr;
  // Neither call needs the screen's DC (a DIB of RGB colours takes no palette, and a null DC
  // gives a memory DC for the screen); fetching and releasing it took about as long under
  // Wine as all the rest, which a tile made to save drawing calls (TileTo) paid each time.
  FHandle = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!FHandle) {
    FreeDIB();
    throw Exception(L"Can't allocate the DIB handle");
  }
  FDC = ::CreateCompatibleDC(nullptr);
  if (!FDC) {
    FreeDIB();
    throw Exception(L"Can't create compatible DC");
  }
  FOldBitmap = ::SelectObject(FDC, FHandle);
  if (!FOldBitmap) {
    FreeDIB();
    throw Exception(L"Can't select an object into DC");
  }
  FBits = static_cast<TPixel32*>(bits);
  FWidth = static_cast<int>(w);
  FHeight = static_cast<int>(h);
  if (OnChange) OnChange(this);
}

void TSeBitmap::MakeEmpty() {
  if (!FHandle) return;
  if (OnBeforeChange) OnBeforeChange(this);
  FreeDIB();
  FDeviceCopy.reset();
  FDeviceCopyDue = false;
  if (OnChange) OnChange(this);
}

TPixel32 TSeBitmap::GetPixel(int x, int y) const {
  if (!FBits || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return SeOutOfRangePixel;
  ::GdiFlush();
  return *PixelPtr(x, y);
}

void TSeBitmap::SetPixel(int x, int y, TPixel32 value) {
  if (!FBits || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
  ::GdiFlush();
  *PixelPtr(x, y) = value;
}

void TSeBitmap::Clear(TPixel32 value) {
  if (!FBits) return;
  ::GdiFlush();
  std::fill(FBits, FBits + static_cast<size_t>(FWidth) * FHeight, value);
}

void TSeBitmap::SetAlpha(uint8_t value) { SetAlphaRect(TRect(0, 0, FWidth, FHeight), value); }

void TSeBitmap::SetAlphaRect(const TRect& r, uint8_t value) {
  const TRect c = ClipToBitmap(r);
  if (IsEmptyRect(c)) return;
  ::GdiFlush();
  for (int y = c.Top; y < c.Bottom; ++y) {
    TPixel32* p = PixelPtr(c.Left, y);
    for (int x = c.Left; x < c.Right; ++x, ++p) p->A = value;
  }
}

void TSeBitmap::FillRect(const TRect& r, TPixel32 value) {
  const TRect c = ClipToBitmap(r);
  if (IsEmptyRect(c)) return;
  ::GdiFlush();
  for (int y = c.Top; y < c.Bottom; ++y) {
    TPixel32* p = PixelPtr(c.Left, y);
    for (int x = c.Left; x < c.Right; ++x, ++p) *p = FAlphaBlend ? BlendPixel(value, *p) : value;
  }
}

void TSeBitmap::ShiftHue(int delta) {
  if (!FBits) return;
  ::GdiFlush();
  TPixel32* end = FBits + static_cast<size_t>(FWidth) * FHeight;
  for (TPixel32* p = FBits; p != end; ++p)
    if (p->A != 0) *p = ::ShiftHue(*p, delta);
  // The device copy is made again from the shifted pixels when it is next drawn from, not
  // now: a skin's hue is shifted as it is loaded, and a screen copy of every picture then
  // would double what the load takes for copies that may never be drawn.
  RequestDeviceCopy();
}

void TSeBitmap::ApplyColorKey(TColor key) {
  if (!FBits) return;
  const TPixel32 k = ColorToPixel(key);
  ::GdiFlush();
  TPixel32* end = FBits + static_cast<size_t>(FWidth) * FHeight;
  for (TPixel32* p = FBits; p != end; ++p)
    if (std::abs(p->B - k.B) < 6 && std::abs(p->G - k.G) < 6 && std::abs(p->R - k.R) < 6)
      *p = SeClearPixel;
}

TRect TSeBitmap::ClipToBitmap(const TRect& r) const { return Intersect(r, FWidth, FHeight); }

// ---- Drawing on a DC ------------------------------------------------------------------------------

void TSeBitmap::Draw(HDC dc, int x, int y, bool transparent) {
  DrawRect(dc, x, y, TRect(0, 0, FWidth, FHeight), transparent);
}

void TSeBitmap::Draw(TCanvas* canvas, int x, int y, bool transparent) {
  if (canvas) Draw(canvas->GetHandle(), x, y, transparent);
}

void TSeBitmap::DrawRect(HDC dc, int x, int y, const TRect& source, bool transparent) {
  const TRect s = ClipToBitmap(source);
  if (IsEmptyRect(s)) return;
  StretchDraw(dc, Bounds(x + (s.Left - source.Left), y + (s.Top - source.Top), s.Width(),
                         s.Height()),
              s, transparent);
}

void TSeBitmap::StretchDraw(HDC dc, const TRect& dest, const TRect& source, bool transparent) {
  if (!dc || !FDC || IsEmptyRect(dest) || IsEmptyRect(source)) return;
  const TRect s = ClipToBitmap(source);
  if (!(s == source)) {
    // Draw only the part of the source inside the bitmap, at its place in dest.
    if (IsEmptyRect(s)) return;
    const int64_t sw = Width64(source), sh = Height64(source);
    const TRect d(static_cast<int>(dest.Left + (s.Left - source.Left) * Width64(dest) / sw),
                  static_cast<int>(dest.Top + (s.Top - source.Top) * Height64(dest) / sh),
                  static_cast<int>(dest.Left + (s.Right - source.Left) * Width64(dest) / sw),
                  static_cast<int>(dest.Top + (s.Bottom - source.Top) * Height64(dest) / sh));
    StretchDraw(dc, d, s, transparent);
    return;
  }
  ::GdiFlush();
  if (!transparent) {
    ::StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), FDC, s.Left, s.Top,
                 s.Width(), s.Height(), SRCCOPY);
  } else if (TTransparentBltProc blt = SystemTransparentBlt()) {
    blt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), FDC, s.Left, s.Top, s.Width(),
        s.Height(), RGB(SeClearPixel.R, SeClearPixel.G, SeClearPixel.B));
  } else {
    SoftwareTransparentBlt(dc, dest, s);
  }
}

void TSeBitmap::SoftwareTransparentBlt(HDC dc, const TRect& dest, const TRect& source) {
  // Only the part of dest the DC can show is worked on.
  TRect area;
  if (!IntersectRect(area, dest, DestinationArea(dc))) return;
  TSeBitmap buffer;
  buffer.SetSize(area.Width(), area.Height());
  ::BitBlt(buffer.GetDC(), 0, 0, area.Width(), area.Height(), dc, area.Left, area.Top, SRCCOPY);
  TRect local = dest;
  OffsetRect(local, -area.Left, -area.Top);
  TransparentCopy(*this, source, buffer, local, PixelRGB(SeClearPixel));
  ::BitBlt(dc, area.Left, area.Top, area.Width(), area.Height(), buffer.GetDC(), 0, 0, SRCCOPY);
}

void TSeBitmap::TileTo(TCanvas* canvas, const TRect& dest, const TRect& source, bool transparent) {
  TRect s, visible;
  HDC dc = TilingArea(canvas, dest, source, s, visible);
  if (!dc) return;
  // A small picture (a 1-pixel strip, say) would cost a drawing call per pixel or two: it is
  // first repeated into a tile of whole copies, which draws the same pixels in far fewer calls,
  // when making that tile costs less than the calls it saves. The tile's size is worked out
  // only where even a tile drawn in one call and filled for nothing would pay.
  const int64_t copies = TileCount(dest, visible, s.Width(), s.Height());
  const bool systemBlit = SystemTransparentBlt() != nullptr;
  if (TilingPays(copies, 1, 0, transparent, systemBlit)) {
    const int across = CopiesPerTile(s.Width(), s.Height(), visible.Width());
    const int down = CopiesPerTile(s.Height(), s.Width() * across, visible.Height());
    const int tileWidth = s.Width() * across, tileHeight = s.Height() * down;
    if (int64_t{across} * down > 1 && TilingPays(copies, TileCount(dest, visible, tileWidth, tileHeight),
                                                  int64_t{tileWidth} * tileHeight, transparent, systemBlit)) {
      TSeBitmap tile;
      try {
        tile.SetSize(tileWidth, tileHeight);
      } catch (const Exception&) {
        // No memory for the tile: drawn copy by copy below instead.
      }
      if (tile.GetBits()) {
        RepeatInto(tile, s);
        tile.DrawTiles(dc, dest, visible, TRect(0, 0, tile.GetWidth(), tile.GetHeight()), transparent);
        return;
      }
    }
  }
  DrawTiles(dc, dest, visible, s, transparent);
}

void TSeBitmap::TileCopyByCopy(TCanvas* canvas, const TRect& dest, const TRect& source, bool transparent) {
  TRect s, visible;
  if (HDC dc = TilingArea(canvas, dest, source, s, visible)) DrawTiles(dc, dest, visible, s, transparent);
}

HDC TSeBitmap::TilingArea(TCanvas* canvas, const TRect& dest, const TRect& source, TRect& s, TRect& visible) const {
  if (!canvas || IsEmptyRect(dest)) return nullptr;
  s = ClipToBitmap(source);
  if (IsEmptyRect(s)) return nullptr;
  HDC dc = canvas->GetHandle();
  // Tiles outside what the DC shows are skipped, which also bounds the loops.
  return IntersectRect(visible, dest, DestinationArea(dc)) ? dc : nullptr;
}

void TSeBitmap::DrawTiles(HDC dc, const TRect& dest, const TRect& visible, const TRect& s,
                          bool transparent) {
  const int sw = s.Width(), sh = s.Height();
  const int firstColumn = static_cast<int>((int64_t{visible.Left} - dest.Left) / sw);
  const int firstRow = static_cast<int>((int64_t{visible.Top} - dest.Top) / sh);
  for (int64_t ty = dest.Top + int64_t{firstRow} * sh; ty < visible.Bottom; ty += sh) {
    for (int64_t tx = dest.Left + int64_t{firstColumn} * sw; tx < visible.Right; tx += sw) {
      const int w = static_cast<int>(std::min<int64_t>(sw, dest.Right - tx));
      const int h = static_cast<int>(std::min<int64_t>(sh, dest.Bottom - ty));
      StretchDraw(dc, Bounds(static_cast<int>(tx), static_cast<int>(ty), w, h),
                  Bounds(s.Left, s.Top, w, h), transparent);
    }
  }
}

void TSeBitmap::RepeatInto(TSeBitmap& tile, const TRect& s) const {
  const int sw = s.Width(), sh = s.Height();
  ::GdiFlush();
  for (int row = 0; row < sh; ++row) {
    const TPixel32* from = PixelPtr(s.Left, s.Top + row);
    TPixel32* to = tile.PixelPtr(0, row);
    std::copy(from, from + sw, to);
    // The copies made so far copied after them, doubling them each time; every prefix of
    // whole copies continues the pattern, so the last, shorter step does too.
    for (int filled = sw; filled < tile.FWidth; filled += std::min(filled, tile.FWidth - filled))
      std::copy(to, to + std::min(filled, tile.FWidth - filled), to + filled);
  }
  for (int row = sh; row < tile.FHeight; ++row)
    std::copy(tile.PixelPtr(0, row - sh), tile.PixelPtr(0, row - sh) + tile.FWidth, tile.PixelPtr(0, row));
}

// ---- Drawing on another TSeBitmap ---------------------------------------------------------------------

void TSeBitmap::DrawTo(TSeBitmap& other, int x, int y, const TRect& source) {
  if (!FBits || !other.FBits) return;
  TRect s = source;
  if (!ClipCopy(FWidth, FHeight, other.FWidth, other.FHeight, s, x, y)) return;
  ::GdiFlush();
  if (!FAlphaBlend) {
    ::BitBlt(other.FDC, x, y, s.Width(), s.Height(), FDC, s.Left, s.Top, SRCCOPY);
    return;
  }
  for (int row = 0; row < s.Height(); ++row) {
    const TPixel32* from = PixelPtr(s.Left, s.Top + row);
    TPixel32* to = other.PixelPtr(x, y + row);
    for (int column = 0; column < s.Width(); ++column) to[column] = BlendPixel(from[column], to[column]);
  }
}

void TSeBitmap::StretchTo(TSeBitmap& other, const TRect& dest, const TRect& source) {
  if (!FBits || !other.FBits || IsEmptyRect(dest) || IsEmptyRect(source)) return;
  if (Width64(dest) == Width64(source) && Height64(dest) == Height64(source)) {
    // Clip the source first so that DrawTo keeps the pixels where they belong.
    TRect s = source;
    int x = dest.Left, y = dest.Top;
    if (s.Left < 0) { x -= s.Left; s.Left = 0; }
    if (s.Top < 0) { y -= s.Top; s.Top = 0; }
    DrawTo(other, x, y, s);
    return;
  }
  TRect d;
  if (!ClipDest(dest, other.FWidth, other.FHeight, d)) return;
  ::GdiFlush();
  if (!FAlphaBlend) {
    const TRect s = ClipToBitmap(source);
    if (!(s == source)) {
      // Keep the scale of the whole source: work pixel by pixel below instead.
    } else {
      ::SetStretchBltMode(other.FDC, COLORONCOLOR);
      ::StretchBlt(other.FDC, dest.Left, dest.Top, dest.Width(), dest.Height(), FDC, s.Left,
                   s.Top, s.Width(), s.Height(), SRCCOPY);
      return;
    }
  }
  const bool blend = FAlphaBlend;
  ForEachScaledPixel(*this, source, other, dest, d, [blend](TPixel32& to, TPixel32 pixel) {
    to = (!blend || pixel.A == 255) ? pixel : BlendPixel(pixel, to);
  });
}

void TSeBitmap::MergeAt(TSeBitmap& other, int x, int y) {
  if (!FBits || !other.FBits) return;
  TRect s(0, 0, FWidth, FHeight);
  if (!ClipCopy(FWidth, FHeight, other.FWidth, other.FHeight, s, x, y)) return;
  ::GdiFlush();
  for (int row = 0; row < s.Height(); ++row) {
    const TPixel32* from = PixelPtr(s.Left, s.Top + row);
    TPixel32* to = other.PixelPtr(x, y + row);
    for (int column = 0; column < s.Width(); ++column) {
      if (to[column].A == 0)
        to[column] = from[column];
      else if (to[column].A < 255)
        to[column] = BlendPixel(to[column], from[column]);
    }
  }
}

void TransparentCopy(const TSeBitmap& src, const TRect& source, TSeBitmap& dst, const TRect& dest,
                     uint32_t key) {
  if (!src.GetBits() || !dst.GetBits() || IsEmptyRect(source) || IsEmptyRect(dest)) return;
  TRect d;
  if (!ClipDest(dest, dst.GetWidth(), dst.GetHeight(), d)) return;
  ::GdiFlush();
  ForEachScaledPixel(src, source, dst, dest, d, [key](TPixel32& to, TPixel32 pixel) {
    if (PixelRGB(pixel) != key) to = pixel;
  });
}

// ---- The device copy --------------------------------------------------------------------------------

void TSeBitmap::UpdateDeviceCopy() {
  FDeviceCopyDue = false;
  if (!FDC) return;
  ::GdiFlush();
  if (FDeviceCopy && FDeviceCopy->GetHandleType() == bmDDB && FDeviceCopy->GetWidth() == FWidth &&
      FDeviceCopy->GetHeight() == FHeight) {
    ::BitBlt(FDeviceCopy->GetCanvas()->GetHandle(), 0, 0, FWidth, FHeight, FDC, 0, 0, SRCCOPY);
  } else {
    // A new screen bitmap made from the pixels in one step: sizing the TBitmap first would
    // paint the whole picture white only for the copy to cover it again.
    BITMAPINFO info{};
    info.bmiHeader = FHeader;
    HDC screen = ::GetDC(nullptr);
    HBITMAP copy = ::CreateDIBitmap(screen, &FHeader, CBM_INIT, FBits, &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (!copy) throw EOutOfResources(L"Out of system resources");
    if (!FDeviceCopy) FDeviceCopy = std::make_unique<TBitmap>();
    FDeviceCopy->SetHandle(copy);  // owned by the TBitmap from here
  }
  FDeviceCopy->SetTransparentColor(PixelToColor(SeClearPixel));
}

TBitmap* TSeBitmap::GetDeviceCopy() {
  if (FDeviceCopyDue) {
    try {
      UpdateDeviceCopy();
    } catch (const Exception&) {
      // Out of system resources: drawn without the copy (nothing) and tried again next time.
      FDeviceCopyDue = true;
    }
  }
  return FDeviceCopy.get();
}

void TSeBitmap::DeviceDraw(HDC dc, const TRect& dest, const TRect& source, bool transparent) {
  if (!dc || IsEmptyRect(dest) || !GetDeviceCopy()) return;
  const TRect s = ClipToBitmap(source);
  if (IsEmptyRect(s) || !(s == source)) {
    if (!IsEmptyRect(s)) StretchDraw(dc, dest, source, transparent);
    return;
  }
  HDC copy = FDeviceCopy->GetCanvas()->GetHandle();
  if (transparent && FMaskedDraw >= 1) {
    UniqueDC maskDC(::CreateCompatibleDC(dc));
    if (!maskDC) return;
    SelectObjectScope select(maskDC.get(), FDeviceCopy->GetMaskHandle());
    MaskBlit(dc, dest, copy, s, maskDC.get());
    return;
  }
  ::StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), copy, s.Left, s.Top,
               s.Width(), s.Height(), SRCCOPY);
}

void TSeBitmap::DeviceDrawAt(HDC dc, int x, int y, const TRect& source, bool transparent) {
  DeviceDraw(dc, Bounds(x, y, source.Width(), source.Height()), source, transparent);
}

void TSeBitmap::DeviceTile(HDC dc, const TRect& dest, const TRect& source) {
  if (!dc || IsEmptyRect(dest) || !GetDeviceCopy()) return;
  const TRect s = ClipToBitmap(source);
  if (IsEmptyRect(s)) return;
  TRect visible;
  if (!IntersectRect(visible, dest, DestinationArea(dc))) return;
  const int sw = s.Width(), sh = s.Height();
  const int firstColumn = static_cast<int>((int64_t{visible.Left} - dest.Left) / sw);
  const int firstRow = static_cast<int>((int64_t{visible.Top} - dest.Top) / sh);
  for (int64_t ty = dest.Top + int64_t{firstRow} * sh; ty < visible.Bottom; ty += sh) {
    for (int64_t tx = dest.Left + int64_t{firstColumn} * sw; tx < visible.Right; tx += sw) {
      const int w = static_cast<int>(std::min<int64_t>(sw, dest.Right - tx));
      const int h = static_cast<int>(std::min<int64_t>(sh, dest.Bottom - ty));
      DeviceDraw(dc, Bounds(static_cast<int>(tx), static_cast<int>(ty), w, h),
                 Bounds(s.Left, s.Top, w, h), false);
    }
  }
}

// ---- Persistence -------------------------------------------------------------------------------------

void TSeBitmap::Assign(TPersistent* source) {
  if (dynamic_cast<TSeBitmap*>(source)) return;  // kept as the library has always done
  TGraphic* graphic = dynamic_cast<TGraphic*>(source);
  if (auto* picture = dynamic_cast<TPicture*>(source)) graphic = picture->GetGraphic();
  if (!graphic) {
    inherited::Assign(source);
    return;
  }
  if (graphic->GetEmpty()) return;
  SetSize(graphic->GetWidth(), graphic->GetHeight());
  if (!FDC) return;
  if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) {
    ::BitBlt(FDC, 0, 0, FWidth, FHeight, bitmap->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
  } else {
    TCanvas canvas;
    canvas.SetHandle(FDC);
    canvas.Draw(0, 0, graphic);
    canvas.SetHandle(nullptr);
  }
  ::GdiFlush();
  SetAlpha(255);
  RequestDeviceCopy();  // the device copy follows the new pixels at its next use
}

void TSeBitmap::AssignTo(TPersistent* dest) {
  if (auto* clipboard = dynamic_cast<TClipboard*>(dest)) {
    TBitmap copy;
    AssignTo(&copy);
    clipboard->Assign(&copy);
    return;
  }
  TBitmap* bitmap = dynamic_cast<TBitmap*>(dest);
  if (auto* picture = dynamic_cast<TPicture*>(dest)) bitmap = picture->GetBitmap();
  if (!bitmap) {
    inherited::AssignTo(dest);
    return;
  }
  bitmap->SetSize(FWidth, FHeight);
  if (FDC) Draw(bitmap->GetCanvas()->GetHandle(), 0, 0, false);
}

void TSeBitmap::LoadFromStream(TStream& stream) {
  TSeSkinReader reader(stream, TSeSkinReader::MaxBody);
  reader.ReadBitmap(*this);
  RequestDeviceCopy();  // made from the loaded pixels at the first device draw
}

void TSeBitmap::SaveToStream(TStream& stream) const {
  WriteStreamString(stream, FName);
  const int32_t size[2]{FWidth, FHeight};
  stream.WriteBuffer(size, sizeof(size));
  if (!FBits) return;
  ::GdiFlush();
  for (int y = 0; y < FHeight; ++y) stream.WriteBuffer(PixelPtr(0, y), FWidth * 4);
}

// ---- TSeBitmapLink -------------------------------------------------------------------------------------

const TPropertyTable* TSeBitmapLink::PublishedProperties() {
  using P = TPublish<TSeBitmapLink>;
  using C = TSeBitmapLink;
  static const TPropertyTable table{
      P::Integer(L"Left", &C::GetLeft, &C::SetLeft),
      P::Integer(L"Top", &C::GetTop, &C::SetTop),
      P::Integer(L"Right", &C::GetRight, &C::SetRight),
      P::Integer(L"Bottom", &C::GetBottom, &C::SetBottom),
      P::Text(L"Name", &C::GetName, &C::SetName),
  };
  return &table;
}

bool TSeBitmapLink::Valid() const { return FBitmap && !IsEmptyRect(FRect); }

void TSeBitmapLink::Assign(TPersistent* source) {
  if (auto* link = dynamic_cast<TSeBitmapLink*>(source)) {
    FBitmap = link->FBitmap;
    FRect = link->FRect;
    FName = link->FName;
    return;
  }
  inherited::Assign(source);
}

// ---- TSeBitmapList -------------------------------------------------------------------------------------

TSeBitmap* TSeBitmapList::Get(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return FItems[static_cast<size_t>(index)].get();
}

void TSeBitmapList::Add(std::unique_ptr<TSeBitmap> bitmap) {
  if (bitmap) FItems.push_back(std::move(bitmap));
}

std::unique_ptr<TSeBitmapLink> TSeBitmapList::GetBitmapLink(const String& name,
                                                            const TRect& rect) const {
  TSeBitmap* found = nullptr;
  for (const auto& item : FItems)
    if (AnsiCompareText(item->GetName(), name) == 0) found = item.get();
  if (!found) return nullptr;
  auto link = std::make_unique<TSeBitmapLink>();
  link->SetBitmap(found);
  link->SetName(found->GetName());
  link->SetRect(rect);
  return link;
}
