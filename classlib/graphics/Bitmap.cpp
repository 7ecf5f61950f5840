// TBitmap: the image handles, the bitmap canvas, copy-on-write sharing, pixel formats,
// BMP reading and writing, and transparent drawing.
//
// Sharing. Assign makes two bitmaps hold one TBitmapImage. Everything that writes the
// pixels (drawing on the canvas, ScanLine, GetHandle, a new size or format) first calls
// Unshare, which gives the writer a copy of its own. The mask of the key colour belongs to
// each bitmap, since two bitmaps sharing pixels may use different key colours.
//
// Selection. GDI lets a bitmap be selected into one DC at a time, and an image handle must
// be selected nowhere when it is read with GetDIBits or deleted. Every bitmap canvas that has
// a DC is listed, so that DeselectImage can take an image out of whichever canvas holds it.
#include "Bitmap.h"
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>
#include "BmpFormat.h"
#include "Canvas.h"

// ---- Small helpers ------------------------------------------------------------------------------

namespace {

const wchar_t* const kOutOfResources = L"Out of system resources";
const wchar_t* const kInvalidBitmap = L"Bitmap image is not valid";

[[noreturn]] void OutOfResources() { throw EOutOfResources(kOutOfResources); }

template <class H> H Check(H handle) {
  if (!handle) OutOfResources();
  return handle;
}

// Raster operation D & ~S: clears the destination where the source is white.
constexpr DWORD ropDestAndNotSource = 0x00220326;

// A BITMAPINFO with room for a full colour table (or the three colour masks).
struct TDibInfo {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];
  BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

TDibInfo MakeDibInfo(int width, int height, int bitCount, bool bitfields565,
                     const std::vector<RGBQUAD>& colorTable) {
  TDibInfo info{};
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = width;
  info.Header.biHeight = height;  // bottom-up
  info.Header.biPlanes = 1;
  info.Header.biBitCount = static_cast<WORD>(bitCount);
  info.Header.biCompression = BI_RGB;
  if (bitCount == 16 && bitfields565) {
    info.Header.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.Colors, masks, sizeof(masks));
  } else if (bitCount <= 8) {
    size_t count = std::min<size_t>(colorTable.size(), size_t{1} << bitCount);
    info.Header.biClrUsed = static_cast<DWORD>(count);
    std::copy_n(colorTable.begin(), count, info.Colors);
  }
  return info;
}

// Black and white, for 1-bit images.
std::vector<RGBQUAD> MonochromeColors() { return {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}}; }

// The sixteen colours of the system palette, for 4-bit images.
std::vector<RGBQUAD> SixteenColors() {
  static const COLORREF colors[16] = {
      RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
      RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
      RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
      RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
  std::vector<RGBQUAD> table;
  for (COLORREF c : colors) table.push_back(RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0});
  return table;
}

// The 16 system colours, a 6x6x6 colour cube and a ramp of 24 greys: 256 colours that
// cover the colour space evenly, for 8-bit images.
std::vector<RGBQUAD> HalftoneColors() {
  std::vector<RGBQUAD> table = SixteenColors();
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        table.push_back(RGBQUAD{static_cast<BYTE>(b * 51), static_cast<BYTE>(g * 51),
                                static_cast<BYTE>(r * 51), 0});
  for (int i = 1; i <= 24; ++i) {
    BYTE v = static_cast<BYTE>(i * 255 / 25);
    table.push_back(RGBQUAD{v, v, v, 0});
  }
  return table;
}

UniquePalette PaletteFromColors(const std::vector<RGBQUAD>& colors) {
  if (colors.empty()) return UniquePalette();
  std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + colors.size() * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(colors.size());
  for (size_t i = 0; i < colors.size(); ++i)
    log->palPalEntry[i] = PALETTEENTRY{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
  return UniquePalette(Check(::CreatePalette(log)));
}

std::vector<RGBQUAD> ColorsOfPalette(HPALETTE palette, size_t limit) {
  std::vector<RGBQUAD> colors;
  UINT count = ::GetPaletteEntries(palette, 0, 0, nullptr);
  if (count == 0) return colors;
  std::vector<PALETTEENTRY> entries(count);
  count = ::GetPaletteEntries(palette, 0, count, entries.data());
  for (UINT i = 0; i < count && colors.size() < limit; ++i)
    colors.push_back(RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
  return colors;
}

UniquePalette CopyPalette(HPALETTE palette) {
  if (palette == nullptr) return UniquePalette();
  return PaletteFromColors(ColorsOfPalette(palette, 256));
}

// A new DIB section; its pixels are zero.
UniqueBitmap CreateDib(int width, int height, int bitCount, bool bitfields565,
                       const std::vector<RGBQUAD>& colorTable, uint8_t*& bits) {
  TDibInfo info = MakeDibInfo(width, height, bitCount, bitfields565, colorTable);
  void* pixels = nullptr;
  UniqueBitmap handle(::CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!handle || pixels == nullptr) OutOfResources();
  bits = static_cast<uint8_t*>(pixels);
  return handle;
}

// A new device-dependent bitmap: one bit per pixel, or the screen's format.
UniqueBitmap CreateDdb(int width, int height, bool monochrome) {
  if (monochrome) return UniqueBitmap(Check(::CreateBitmap(width, height, 1, 1, nullptr)));
  WindowDC screen = WindowDC::FromClient(nullptr);
  if (!screen) OutOfResources();
  return UniqueBitmap(Check(::CreateCompatibleBitmap(screen.get(), width, height)));
}

UniqueDC CreateMemoryDC() { return UniqueDC(Check(::CreateCompatibleDC(nullptr))); }

// Bits per pixel of what a DC draws on: the selected bitmap's for a memory DC.
int TargetBitsPerPixel(HDC dc) {
  if (::GetObjectType(dc) == OBJ_MEMDC) {
    BITMAP bm{};
    if (::GetObjectW(::GetCurrentObject(dc, OBJ_BITMAP), sizeof(bm), &bm) != 0)
      return bm.bmBitsPixel * bm.bmPlanes;
  }
  return ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES);
}

// Draws the source stretched into the target's rectangle, leaving the target unchanged where
// the mask is 1. The target must hold true colour: the raster operations combine the bits.
void ComposeTransparent(HDC target, int x, int y, int width, int height, HDC source,
                        int sourceWidth, int sourceHeight, HBITMAP mask) {
  uint8_t* bits = nullptr;
  UniqueBitmap work = CreateDib(sourceWidth, sourceHeight, 32, false, {}, bits);
  UniqueDC workDC = CreateMemoryDC();
  UniqueDC maskDC = CreateMemoryDC();
  SelectObjectScope selectWork(workDC.get(), work.get());
  SelectObjectScope selectMask(maskDC.get(), mask);

  // The image with its key-coloured pixels made black. A monochrome source takes its two
  // colours from the target, as it would when drawn directly.
  ::SetTextColor(workDC.get(), ::GetTextColor(target));
  ::SetBkColor(workDC.get(), ::GetBkColor(target));
  ::BitBlt(workDC.get(), 0, 0, sourceWidth, sourceHeight, source, 0, 0, SRCCOPY);
  ::SetTextColor(workDC.get(), RGB(0, 0, 0));
  ::SetBkColor(workDC.get(), RGB(255, 255, 255));
  ::BitBlt(workDC.get(), 0, 0, sourceWidth, sourceHeight, maskDC.get(), 0, 0, ropDestAndNotSource);

  // Black out the image's part of the target, then paint the image into it.
  const COLORREF oldText = ::SetTextColor(target, RGB(0, 0, 0));
  const COLORREF oldBack = ::SetBkColor(target, RGB(255, 255, 255));
  const int oldMode = ::SetStretchBltMode(target, COLORONCOLOR);
  ::StretchBlt(target, x, y, width, height, maskDC.get(), 0, 0, sourceWidth, sourceHeight, SRCAND);
  ::StretchBlt(target, x, y, width, height, workDC.get(), 0, 0, sourceWidth, sourceHeight,
               SRCPAINT);
  ::SetStretchBltMode(target, oldMode);
  ::SetBkColor(target, oldBack);
  ::SetTextColor(target, oldText);
}

// Transparent drawing on any target. A target of 8 bits or fewer holds palette indices, on
// which the raster operations would mix unrelated colours, so the drawing is composed in a
// true-colour copy of the target's rectangle and copied back.
void DrawTransparent(HDC target, const TRect& r, HDC source, int sourceWidth, int sourceHeight,
                     HBITMAP mask) {
  if (TargetBitsPerPixel(target) > 8) {
    ComposeTransparent(target, r.Left, r.Top, r.Width(), r.Height(), source, sourceWidth,
                       sourceHeight, mask);
    return;
  }
  const int width = r.Width();
  const int height = r.Height();
  if (width <= 0 || height <= 0) return;
  uint8_t* bits = nullptr;
  UniqueBitmap copy = CreateDib(width, height, 32, false, {}, bits);
  UniqueDC copyDC = CreateMemoryDC();
  SelectObjectScope selectCopy(copyDC.get(), copy.get());
  ::SetTextColor(copyDC.get(), ::GetTextColor(target));
  ::SetBkColor(copyDC.get(), ::GetBkColor(target));
  ::BitBlt(copyDC.get(), 0, 0, width, height, target, r.Left, r.Top, SRCCOPY);
  ComposeTransparent(copyDC.get(), 0, 0, width, height, source, sourceWidth, sourceHeight, mask);
  ::BitBlt(target, r.Left, r.Top, width, height, copyDC.get(), 0, 0, SRCCOPY);
}

// Copies the leftmost `bits` bits of a row (pixels are stored high bit first).
void CopyRowBits(uint8_t* dst, const uint8_t* src, int64_t bits) {
  size_t wholeBytes = static_cast<size_t>(bits / 8);
  std::memcpy(dst, src, wholeBytes);
  int rest = static_cast<int>(bits % 8);
  if (rest != 0) {
    uint8_t keep = static_cast<uint8_t>(0xFF >> rest);  // the low bits stay the target's
    dst[wholeBytes] = static_cast<uint8_t>((src[wholeBytes] & ~keep) | (dst[wholeBytes] & keep));
  }
}

}  // namespace

// ---- The list of bitmap canvases ----------------------------------------------------------------

class TBitmapCanvas;

namespace {

std::mutex& CanvasListLock() {
  static std::mutex lock;
  return lock;
}

std::vector<TBitmapCanvas*>& CanvasList() {
  static std::vector<TBitmapCanvas*> list;
  return list;
}

void DeselectImage(HBITMAP bitmap, HPALETTE palette);

}  // namespace

// The canvas of a bitmap: its DC is a memory DC with the bitmap's image (and palette)
// selected, made when a drawing needs it and freed whenever the image is replaced.
class TBitmapCanvas : public TCanvas {
  CLASSLIB_CLASS(TBitmapCanvas, TCanvas)
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  // Lets the DC go: the tools, the image and the palette are selected out, the DC deleted.
  void FreeContext() {
    if (!FDC) return;
    SetHandle(nullptr);
    if (FOldPalette) ::SelectPalette(FDC.get(), FOldPalette, TRUE);
    if (FOldBitmap) ::SelectObject(FDC.get(), FOldBitmap);
    FDC.reset();
    FOldBitmap = nullptr;
    FOldPalette = nullptr;
    FSelectedBitmap = nullptr;
    FSelectedPalette = nullptr;
    std::lock_guard<std::mutex> guard(CanvasListLock());
    std::erase(CanvasList(), this);
  }

  // The DC with the image selected, for reading it; not a change of the image.
  HDC SourceDC() {
    RequiredState({csHandleValid});
    return FDC.get();
  }

  bool Holds(HBITMAP bitmap, HPALETTE palette) const {
    return (bitmap && FSelectedBitmap == bitmap) || (palette && FSelectedPalette == palette);
  }

 protected:
  void CreateHandle() override {
    FreeContext();
    FBitmap->HandleNeeded();
    FBitmap->PaletteNeeded();
    TBitmapImage* image = FBitmap->FImage;
    HBITMAP bitmap = image->FHandle.get();
    HPALETTE palette = image->FPalette.get();
    DeselectImage(bitmap, palette);
    UniqueDC dc = CreateMemoryDC();
    if (bitmap) {
      FOldBitmap = ::SelectObject(dc.get(), bitmap);
      FSelectedBitmap = bitmap;
    }
    if (palette) {
      FOldPalette = ::SelectPalette(dc.get(), palette, TRUE);
      ::RealizePalette(dc.get());
      FSelectedPalette = palette;
    }
    FDC = std::move(dc);
    {
      std::lock_guard<std::mutex> guard(CanvasListLock());
      CanvasList().push_back(this);
    }
    SetHandle(FDC.get());
  }

  // Drawing separates a shared image first and drops the mask; afterwards the bitmap
  // reports the change.
  void Changing() override {
    FBitmap->Changing();
    inherited::Changing();
  }
  void Changed() override {
    FBitmap->Changed(this);
    inherited::Changed();
  }

 private:
  TBitmap* FBitmap;                     // the bitmap this canvas draws on (it owns the canvas)
  UniqueDC FDC;                         // the memory DC, while there is one
  HGDIOBJ FOldBitmap = nullptr;         // the DC's own bitmap, selected back on release
  HPALETTE FOldPalette = nullptr;       // the DC's own palette
  HBITMAP FSelectedBitmap = nullptr;    // the image selected into FDC
  HPALETTE FSelectedPalette = nullptr;  // the palette selected into FDC
};

namespace {

// Frees the DC of every canvas that holds the bitmap or the palette.
void DeselectImage(HBITMAP bitmap, HPALETTE palette) {
  if (!bitmap && !palette) return;
  std::vector<TBitmapCanvas*> holders;
  {
    std::lock_guard<std::mutex> guard(CanvasListLock());
    for (TBitmapCanvas* canvas : CanvasList())
      if (canvas->Holds(bitmap, palette)) holders.push_back(canvas);
  }
  for (TBitmapCanvas* canvas : holders) canvas->FreeContext();
}

// The first byte of row y (0 = top) of a DIB section image.
uint8_t* RowPointer(const TBitmapImage& image, int y) {
  int stored = image.FTopDown ? y : image.FHeight - 1 - y;
  return image.FBits + static_cast<size_t>(image.FRowBytes) * stored;
}

// True for the DIB layouts this unit makes and writes as they are.
bool IsStandardDib(const DIBSECTION& dib) {
  const DWORD* masks = dib.dsBitfields;
  switch (dib.dsBmih.biBitCount) {
    case 1: case 4: case 8: case 24:
      return dib.dsBmih.biCompression == BI_RGB;
    case 16:
      return dib.dsBmih.biCompression == BI_RGB ||
             (dib.dsBmih.biCompression == BI_BITFIELDS &&
              ((masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) ||
               (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F)));
    case 32:
      return dib.dsBmih.biCompression == BI_RGB ||
             (dib.dsBmih.biCompression == BI_BITFIELDS && masks[0] == 0xFF0000 &&
              masks[1] == 0xFF00 && masks[2] == 0xFF);
    default:
      return false;
  }
}

// The colour table of a DIB section of <= 8 bits (empty when it cannot be read).
std::vector<RGBQUAD> ReadColorTable(HBITMAP bitmap, int bitCount) {
  std::vector<RGBQUAD> table(size_t{1} << bitCount);
  UniqueDC dc = CreateMemoryDC();
  HGDIOBJ old = ::SelectObject(dc.get(), bitmap);
  if (old == nullptr || old == HGDI_ERROR) return {};
  UINT count = ::GetDIBColorTable(dc.get(), 0, static_cast<UINT>(table.size()), table.data());
  ::SelectObject(dc.get(), old);
  table.resize(count);
  return table;
}

// True when row 0 of the DIB section's memory is its top row. The system does not say so
// reliably (some versions report a positive height for every section), so a top-down section
// is recognised by where GDI sees a change made to the first row in memory; the row is
// restored afterwards.
bool IsTopDown(HBITMAP bitmap, const DIBSECTION& dib) {
  if (dib.dsBmih.biHeight < 0) return true;
  const int width = dib.dsBm.bmWidth;
  const int height = std::abs(dib.dsBm.bmHeight);
  if (height < 2 || width < 1 || dib.dsBm.bmBits == nullptr) return false;
  auto* firstRow = static_cast<uint8_t*>(dib.dsBm.bmBits);
  const size_t rowBytes = static_cast<size_t>(dib.dsBm.bmWidthBytes);
  const std::vector<uint8_t> saved(firstRow, firstRow + rowBytes);
  UniqueDC dc = CreateMemoryDC();
  TDibInfo info = MakeDibInfo(width, height, 32, false, {});
  std::vector<uint32_t> seen[2] = {std::vector<uint32_t>(width), std::vector<uint32_t>(width)};
  const uint8_t patterns[2] = {0x00, 0xFF};
  for (int i = 0; i < 2; ++i) {
    ::GdiFlush();
    std::memset(firstRow, patterns[i], rowBytes);
    // Scan lines count from the bottom: the top row is scan line height - 1.
    ::GetDIBits(dc.get(), bitmap, static_cast<UINT>(height - 1), 1, seen[i].data(), info.Get(),
                DIB_RGB_COLORS);
  }
  std::memcpy(firstRow, saved.data(), rowBytes);
  return seen[0] != seen[1];
}

}  // namespace

void FreeMemoryContexts() {
  std::vector<TBitmapCanvas*> idle;
  {
    std::lock_guard<std::mutex> guard(CanvasListLock());
    for (TBitmapCanvas* canvas : CanvasList())
      if (canvas->GetLockCount() == 0) idle.push_back(canvas);
  }
  // A canvas another thread locked meanwhile keeps its DC.
  for (TBitmapCanvas* canvas : idle) {
    if (!canvas->TryLock()) continue;
    canvas->FreeContext();
    canvas->Unlock();
  }
}

namespace {
std::atomic<bool> BitmapDrawLocking{false};
}  // namespace

void LockBitmapDrawing() { BitmapDrawLocking = true; }
bool BitmapDrawingLocked() { return BitmapDrawLocking.load(); }

// ---- TBitmapImage ---------------------------------------------------------------------------------

TBitmapImage::~TBitmapImage() { FreeHandle(); }

void TBitmapImage::FreeHandle() {
  DeselectImage(FHandle.get(), FPalette.get());
  FHandle.reset();
  FPalette.reset();
  FBits = nullptr;
}

// ---- TBitmap: layout --------------------------------------------------------------------------------

// How an image is laid out, apart from its size.
struct TBitmap::TLayout {
  bool IsDIB = false;
  bool Monochrome = false;          // of a DDB
  int BitCount = 0;                 // of a DIB
  bool Bitfields565 = false;
  std::vector<RGBQUAD> ColorTable;  // of a DIB of <= 8 bits

  bool SameAs(const TBitmapImage& image) const {
    if (IsDIB != image.FIsDIB || image.FCustom) return false;
    if (!IsDIB) return Monochrome == image.FMonochrome;
    if (BitCount != image.FBitCount || Bitfields565 != image.FBitfields565) return false;
    if (ColorTable.size() != image.FColorTable.size()) return false;
    return std::memcmp(ColorTable.data(), image.FColorTable.data(),
                       ColorTable.size() * sizeof(RGBQUAD)) == 0;
  }

  void ApplyTo(TBitmapImage& image) const {
    image.FIsDIB = IsDIB;
    image.FMonochrome = !IsDIB && Monochrome;
    image.FBitCount = IsDIB ? BitCount : 0;
    image.FBitfields565 = IsDIB && Bitfields565;
    image.FColorTable = IsDIB && BitCount <= 8 ? ColorTable : std::vector<RGBQUAD>();
    image.FCustom = false;
  }
};

TBitmap::TLayout TBitmap::CurrentLayout() const {
  const TBitmapImage& image = *FImage;
  TLayout layout;
  layout.IsDIB = image.FIsDIB;
  layout.Monochrome = image.FMonochrome;
  if (image.FCustom) {  // copies of an unusual layout become 32-bit
    layout.BitCount = 32;
    return layout;
  }
  layout.BitCount = image.FBitCount;
  layout.Bitfields565 = image.FBitfields565;
  layout.ColorTable = image.FColorTable;
  if (layout.IsDIB && layout.BitCount <= 8 && layout.ColorTable.empty())
    layout.ColorTable = layout.BitCount == 1 ? MonochromeColors()
                        : layout.BitCount == 4 ? SixteenColors()
                                               : HalftoneColors();
  return layout;
}

// ---- TBitmap: construction ------------------------------------------------------------------------

TBitmap::TBitmap() {
  FImage = new TBitmapImage();
  FImage->Reference();
}

TBitmap::~TBitmap() {
  FCanvas.reset();
  DropMask();
  TSharedImage::Release(FImage);
}

// ---- TBitmap: image handling -------------------------------------------------------------------------

void TBitmap::FreeCanvasContext() {
  if (FCanvas) FCanvas->FreeContext();
}

void TBitmap::DropMask() {
  FMaskHandle.reset();
  FMaskValid = false;
}

void TBitmap::ReplaceImage(TBitmapImage* image) {
  FreeCanvasContext();
  DropMask();
  image->Reference();
  TSharedImage::Release(FImage);
  FImage = image;
}

void TBitmap::HandleNeeded() const {
  TBitmapImage& image = *FImage;
  if (image.FHandle || image.FDormantBits.empty()) return;
  TBmpImage bmp = DecodeBmp(image.FDormantBits.data(), image.FDormantBits.size());
  uint8_t* bits = nullptr;
  UniqueBitmap dib = CreateDib(bmp.Width, bmp.Height, bmp.BitCount, bmp.Bitfields565, bmp.Palette, bits);
  std::memcpy(bits, bmp.Bits.data(), bmp.Bits.size());
  if (image.FIsDIB) {
    image.FHandle = std::move(dib);
    image.FBits = bits;
    image.FBitCount = bmp.BitCount;
    image.FBitfields565 = bmp.Bitfields565;
    image.FColorTable = bmp.Palette;
    image.FCustom = false;
    image.FTopDown = false;
    image.FRowBytes = bmp.RowBytes();
  } else {
    UniqueBitmap ddb = CreateDdb(bmp.Width, bmp.Height, image.FMonochrome);
    UniqueDC source = CreateMemoryDC();
    UniqueDC target = CreateMemoryDC();
    SelectObjectScope selectSource(source.get(), dib.get());
    SelectObjectScope selectTarget(target.get(), ddb.get());
    ::BitBlt(target.get(), 0, 0, bmp.Width, bmp.Height, source.get(), 0, 0, SRCCOPY);
    image.FHandle = std::move(ddb);
  }
  image.FDormantBits.clear();
  image.FDormantBits.shrink_to_fit();
}

void TBitmap::PaletteNeeded() const {
  TBitmapImage& image = *FImage;
  if (image.FPalette || !image.FIsDIB || image.FBitCount > 8 || image.FColorTable.empty()) return;
  image.FPalette = PaletteFromColors(image.FColorTable);
}

void TBitmap::Unshare() {
  if (FImage->GetRefCount() > 1) CopyImage(CurrentLayout(), FImage->FWidth, FImage->FHeight);
}

void TBitmap::Changing() {
  HandleNeeded();
  Unshare();
  DropMask();
}

HDC TBitmap::SourceDC() {
  GetCanvas();
  return FCanvas->SourceDC();
}

void TBitmap::CopyImage(const TLayout& layout, int width, int height) {
  HandleNeeded();
  TBitmapImage& old = *FImage;
  auto image = std::make_unique<TBitmapImage>();
  layout.ApplyTo(*image);
  image->FWidth = std::max(width, 0);
  image->FHeight = std::max(height, 0);
  // A palette made from a colour table is made again from the new one when needed.
  if (!(layout.IsDIB && layout.BitCount <= 8) || layout.SameAs(old))
    image->FPalette = CopyPalette(old.FPalette.get());

  if (image->FWidth > 0 && image->FHeight > 0) {
    if (layout.IsDIB) {
      image->FHandle = CreateDib(image->FWidth, image->FHeight, layout.BitCount,
                                 layout.Bitfields565, layout.ColorTable, image->FBits);
      image->FRowBytes = DibRowBytes(image->FWidth, layout.BitCount);
    } else {
      image->FHandle = CreateDdb(image->FWidth, image->FHeight, layout.Monochrome);
    }
    UniqueDC target = CreateMemoryDC();
    SelectObjectScope selectTarget(target.get(), image->FHandle.get());

    const bool hasOld = static_cast<bool>(old.FHandle);
    const int copyWidth = hasOld ? std::min(image->FWidth, old.FWidth) : 0;
    const int copyHeight = hasOld ? std::min(image->FHeight, old.FHeight) : 0;
    if (copyWidth < image->FWidth || copyHeight < image->FHeight) {
      // What the old image does not cover takes the canvas's brush colour.
      TColor fill = FCanvas ? FCanvas->GetBrush()->GetColor() : clWhite;
      UniqueBrush brush(Check(::CreateSolidBrush(ColorToRGB(fill))));
      RECT all{0, 0, image->FWidth, image->FHeight};
      ::FillRect(target.get(), &all, brush.get());
    }
    if (copyWidth > 0 && copyHeight > 0) {
      if (layout.IsDIB && layout.SameAs(old) && old.FBits) {
        ::GdiFlush();
        const int64_t rowBits = static_cast<int64_t>(copyWidth) * layout.BitCount;
        for (int y = 0; y < copyHeight; ++y)
          CopyRowBits(RowPointer(*image, y), RowPointer(old, y), rowBits);
      } else {
        // Through GDI, which converts between layouts; colour to monochrome turns white
        // into 1 and everything else into 0.
        HDC source = SourceDC();
        const COLORREF oldText = ::SetTextColor(source, RGB(0, 0, 0));
        const COLORREF oldBack = ::SetBkColor(source, RGB(255, 255, 255));
        ::BitBlt(target.get(), 0, 0, copyWidth, copyHeight, source, 0, 0, SRCCOPY);
        ::SetBkColor(source, oldBack);
        ::SetTextColor(source, oldText);
      }
    }
    ::GdiFlush();
  }
  ReplaceImage(image.release());
}

void TBitmap::LoadFromBmp(const TBmpImage& bmp) {
  auto image = std::make_unique<TBitmapImage>();
  image->FIsDIB = true;
  image->FWidth = bmp.Width;
  image->FHeight = bmp.Height;
  image->FBitCount = bmp.BitCount;
  image->FBitfields565 = bmp.Bitfields565;
  image->FColorTable = bmp.Palette;
  image->FRowBytes = bmp.RowBytes();
  image->FHandle = CreateDib(bmp.Width, bmp.Height, bmp.BitCount, bmp.Bitfields565, bmp.Palette,
                             image->FBits);
  std::memcpy(image->FBits, bmp.Bits.data(),
              std::min(bmp.Bits.size(), static_cast<size_t>(image->FRowBytes) * bmp.Height));
  ReplaceImage(image.release());
  SetPaletteModified(bmp.BitCount <= 8);
  Changed(this);
}

void TBitmap::LoadFromBytes(const uint8_t* data, size_t size) {
  if (size == 0) {
    ReplaceImage(new TBitmapImage());
    Changed(this);
    return;
  }
  LoadFromBmp(DecodeBmp(data, size));
}

TBmpImage TBitmap::ImageToBmp() const {
  HandleNeeded();
  const TBitmapImage& image = *FImage;
  TBmpImage bmp;
  if (!image.FHandle) return bmp;
  bmp.Width = image.FWidth;
  bmp.Height = image.FHeight;

  const bool direct = image.FIsDIB && !image.FCustom && image.FBits &&
                      (image.FBitCount > 8 || !image.FColorTable.empty());
  if (direct) {
    ::GdiFlush();
    bmp.BitCount = image.FBitCount;
    bmp.Bitfields565 = image.FBitfields565;
    bmp.Palette = image.FColorTable;
    const size_t rowBytes = static_cast<size_t>(bmp.RowBytes());
    bmp.Bits.resize(rowBytes * bmp.Height);
    for (int y = 0; y < bmp.Height; ++y)  // BMP rows go bottom-up
      std::memcpy(bmp.Bits.data() + rowBytes * (bmp.Height - 1 - y), RowPointer(image, y), rowBytes);
    return bmp;
  }

  // A DDB or an unusual DIB: GDI converts it to 24 bits (one bit for a monochrome DDB).
  bmp.BitCount = image.FMonochrome ? 1 : (image.FIsDIB && image.FBitCount == 32 ? 32 : 24);
  if (bmp.BitCount == 1) bmp.Palette = MonochromeColors();
  TDibInfo info = MakeDibInfo(bmp.Width, bmp.Height, bmp.BitCount, false, bmp.Palette);
  bmp.Bits.resize(static_cast<size_t>(bmp.RowBytes()) * bmp.Height);
  DeselectImage(image.FHandle.get(), nullptr);
  UniqueDC dc = CreateMemoryDC();
  if (::GetDIBits(dc.get(), image.FHandle.get(), 0, static_cast<UINT>(bmp.Height), bmp.Bits.data(),
                  info.Get(), DIB_RGB_COLORS) == 0)
    OutOfResources();
  if (bmp.BitCount == 1) bmp.Palette.assign(info.Colors, info.Colors + 2);
  return bmp;
}

std::vector<uint8_t> TBitmap::SaveToBytes() const {
  if (GetEmpty()) return {};
  if (!FImage->FHandle && !FImage->FDormantBits.empty()) return FImage->FDormantBits;
  return EncodeBmp(ImageToBmp());
}

UniqueBitmap TBitmap::MakeMask(COLORREF key) {
  const int width = FImage->FWidth;
  const int height = FImage->FHeight;
  UniqueBitmap mask(Check(::CreateBitmap(width, height, 1, 1, nullptr)));
  HDC source = SourceDC();
  UniqueDC dc = CreateMemoryDC();
  SelectObjectScope selectMask(dc.get(), mask.get());
  if (FImage->FMonochrome) {
    // Monochrome to monochrome copies the bits as they are: the image is its own mask for
    // white and its inverse for black; no pixel has any other colour.
    const COLORREF rgb = key & 0xFFFFFF;
    const DWORD rop = rgb == RGB(255, 255, 255) ? SRCCOPY : rgb == 0 ? NOTSRCCOPY : BLACKNESS;
    ::BitBlt(dc.get(), 0, 0, width, height, source, 0, 0, rop);
  } else {
    // Colour to monochrome: pixels of the source DC's background colour become 1, the rest 0.
    const COLORREF oldBack = ::SetBkColor(source, key);
    ::BitBlt(dc.get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    ::SetBkColor(source, oldBack);
  }
  return mask;
}

void TBitmap::MaskHandleNeeded() {
  if (FMaskValid && FMaskHandle) return;
  DropMask();
  if (GetEmpty()) return;
  FMaskHandle = MakeMask(ColorToRGB(GetTransparentColor()));
  FMaskValid = true;
}

// ---- TBitmap: attributes ------------------------------------------------------------------------------

bool TBitmap::GetEmpty() const { return FImage->FWidth == 0 || FImage->FHeight == 0; }

int TBitmap::GetWidth() const { return FImage->FWidth; }

int TBitmap::GetHeight() const { return FImage->FHeight; }

void TBitmap::SetWidth(int value) { SetSize(value, FImage->FHeight); }

void TBitmap::SetHeight(int value) { SetSize(FImage->FWidth, value); }

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FImage->FWidth && height == FImage->FHeight) return;
  CopyImage(CurrentLayout(), width, height);
  Changed(this);
}

HPALETTE TBitmap::GetPalette() const {
  HandleNeeded();
  PaletteNeeded();
  return FImage->FPalette.get();
}

void TBitmap::SetPalette(HPALETTE value) {
  UniquePalette palette(value);
  if (value != nullptr && value == FImage->FPalette.get()) {
    palette.release();
    return;
  }
  if (value != nullptr && FImage->FIsDIB && FImage->FBitCount <= 8 && !FImage->FCustom) {
    // The palette's colours become the colour table; the pixels map to the nearest.
    TLayout layout = CurrentLayout();
    layout.ColorTable = ColorsOfPalette(value, size_t{1} << FImage->FBitCount);
    if (layout.ColorTable.empty()) layout.ColorTable = CurrentLayout().ColorTable;
    CopyImage(layout, FImage->FWidth, FImage->FHeight);
  } else {
    Unshare();
    FreeCanvasContext();
  }
  DeselectImage(nullptr, FImage->FPalette.get());
  FImage->FPalette = std::move(palette);
  SetPaletteModified(true);
  Changed(this);
}

TBitmapHandleType TBitmap::GetHandleType() const { return FImage->FIsDIB ? bmDIB : bmDDB; }

void TBitmap::SetHandleType(TBitmapHandleType value) {
  if (value == GetHandleType()) return;
  TLayout layout;
  if (value == bmDDB) {
    layout.IsDIB = false;
    layout.Monochrome = GetMonochrome();
  } else {
    layout.IsDIB = true;
    if (FImage->FMonochrome) {
      layout.BitCount = 1;
      layout.ColorTable = MonochromeColors();
    } else {
      BITMAP bm{};
      if (FImage->FHandle) ::GetObjectW(FImage->FHandle.get(), sizeof(bm), &bm);
      layout.BitCount = bm.bmBitsPixel == 32 ? 32 : 24;
    }
  }
  CopyImage(layout, FImage->FWidth, FImage->FHeight);
  Changed(this);
}

TPixelFormat TBitmap::GetPixelFormat() const {
  const TBitmapImage& image = *FImage;
  if (!image.FIsDIB) return pfDevice;
  if (image.FCustom) return pfCustom;
  switch (image.FBitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return image.FBitfields565 ? pf16bit : pf15bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfCustom;
  }
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == GetPixelFormat()) return;
  if (value == pfDevice) {
    SetHandleType(bmDDB);
    return;
  }
  TLayout layout;
  layout.IsDIB = true;
  switch (value) {
    case pf1bit: layout.BitCount = 1; layout.ColorTable = MonochromeColors(); break;
    case pf4bit: layout.BitCount = 4; layout.ColorTable = SixteenColors(); break;
    case pf8bit: layout.BitCount = 8; layout.ColorTable = HalftoneColors(); break;
    case pf15bit: layout.BitCount = 16; break;
    case pf16bit: layout.BitCount = 16; layout.Bitfields565 = true; break;
    case pf24bit: layout.BitCount = 24; break;
    case pf32bit: layout.BitCount = 32; break;
    default: throw EInvalidGraphic(L"Invalid pixel format");
  }
  CopyImage(layout, FImage->FWidth, FImage->FHeight);
  SetPaletteModified(layout.BitCount <= 8);
  Changed(this);
}

bool TBitmap::GetMonochrome() const {
  return FImage->FIsDIB ? FImage->FBitCount == 1 && !FImage->FCustom : FImage->FMonochrome;
}

void TBitmap::SetMonochrome(bool value) {
  if (value == GetMonochrome()) return;
  TLayout layout;
  layout.IsDIB = false;
  layout.Monochrome = value;
  CopyImage(layout, FImage->FWidth, FImage->FHeight);
  Changed(this);
}

TCanvas* TBitmap::GetCanvas() {
  if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
  return FCanvas.get();
}

bool TBitmap::HandleAllocated() const { return static_cast<bool>(FImage->FHandle); }

HBITMAP TBitmap::GetHandle() {
  FreeCanvasContext();
  Changing();
  return FImage->FHandle.get();
}

void TBitmap::SetHandle(HBITMAP value) {
  UniqueBitmap handle(value);
  if (value != nullptr && value == FImage->FHandle.get()) {
    handle.release();
    return;
  }
  auto image = std::make_unique<TBitmapImage>();
  if (value != nullptr) {
    DIBSECTION dib{};
    const int size = ::GetObjectW(value, sizeof(dib), &dib);
    if (size == 0) throw EInvalidGraphic(kInvalidBitmap);
    image->FWidth = dib.dsBm.bmWidth;
    image->FHeight = std::abs(dib.dsBm.bmHeight);
    if (size == sizeof(DIBSECTION) && dib.dsBm.bmBits != nullptr) {
      image->FIsDIB = true;
      image->FBits = static_cast<uint8_t*>(dib.dsBm.bmBits);
      image->FBitCount = dib.dsBmih.biBitCount;
      image->FTopDown = IsTopDown(value, dib);
      image->FRowBytes = dib.dsBm.bmWidthBytes;
      image->FBitfields565 = dib.dsBmih.biCompression == BI_BITFIELDS && dib.dsBitfields[1] == 0x07E0;
      image->FCustom = !IsStandardDib(dib);
      if (!image->FCustom && image->FBitCount <= 8) {
        image->FColorTable = ReadColorTable(value, image->FBitCount);
        image->FCustom = image->FColorTable.empty();
      }
    } else {
      image->FMonochrome = dib.dsBm.bmBitsPixel == 1 && dib.dsBm.bmPlanes == 1;
    }
    image->FHandle = std::move(handle);
  }
  ReplaceImage(image.release());
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  HandleNeeded();
  Unshare();
  FreeCanvasContext();
  DropMask();
  HBITMAP result = FImage->FHandle.release();
  FImage->FBits = nullptr;
  FImage->FWidth = 0;
  FImage->FHeight = 0;
  return result;
}

HBITMAP TBitmap::GetMaskHandle() {
  MaskHandleNeeded();
  return FMaskHandle.get();
}

void TBitmap::SetMaskHandle(HBITMAP value) {
  FMaskHandle.reset(value);
  FMaskValid = value != nullptr;
}

HBITMAP TBitmap::ReleaseMaskHandle() {
  MaskHandleNeeded();
  FMaskValid = false;
  return FMaskHandle.release();
}

HPALETTE TBitmap::ReleasePalette() {
  HandleNeeded();
  Unshare();
  FreeCanvasContext();
  return FImage->FPalette.release();
}

TColor TBitmap::GetTransparentColor() {
  if (FTransparentColor != clDefault)
    return ColorFromInt(static_cast<int32_t>(ColorToRGB(FTransparentColor)));
  if (GetEmpty()) return clDefault;
  const COLORREF pixel = ::GetPixel(SourceDC(), 0, FImage->FHeight - 1);
  return pixel == CLR_INVALID ? clWhite : ColorFromInt(static_cast<int32_t>(pixel));
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == FTransparentColor) return;
  FTransparentMode = value == clDefault ? tmAuto : tmFixed;
  FTransparentColor = value;
  DropMask();
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == FTransparentMode) return;
  if (value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(GetTransparentColor());
}

void* TBitmap::GetScanLine(int row) {
  if (row < 0 || row >= FImage->FHeight)
    throw EInvalidGraphicOperation(L"Scan line index out of range");
  Changing();
  if (!FImage->FIsDIB) SetHandleType(bmDIB);
  ::GdiFlush();
  return RowPointer(*FImage, row);
}

// ---- TBitmap: operations ------------------------------------------------------------------------------

void TBitmap::Assign(TPersistent* source) {
  if (source == nullptr) {
    ReplaceImage(new TBitmapImage());
    SetPaletteModified(false);
    Changed(this);
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(source);
  if (bitmap == nullptr) {
    inherited::Assign(source);
    return;
  }
  if (bitmap == this) return;
  ReplaceImage(bitmap->FImage);
  SetTransparentFlag(bitmap->GetTransparent());
  FTransparentColor = bitmap->FTransparentColor;
  FTransparentMode = bitmap->FTransparentMode;
  SetPaletteModified(static_cast<bool>(FImage->FPalette));
  Changed(this);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r) {
  if (canvas == nullptr || GetEmpty()) return;
  // Another thread may draw this bitmap too: the draw holds its canvas lock (see
  // LockBitmapDrawing).
  struct TDrawLock {
    TCanvas* Held;
    explicit TDrawLock(TCanvas* own) : Held(own) {
      if (Held) Held->Lock();
    }
    ~TDrawLock() {
      if (Held) Held->Unlock();
    }
  } drawLock(BitmapDrawingLocked() ? GetCanvas() : nullptr);
  HDC target = canvas->GetHandle();
  HandleNeeded();
  PaletteNeeded();

  // Restores what the drawing changes in the target DC, also when it throws.
  struct TTargetState {
    HDC DC;
    HPALETTE OldPalette = nullptr;
    int OldMode = 0;
    POINT OldOrigin{};
    bool OriginSet = false;
    ~TTargetState() {
      if (OriginSet) ::SetBrushOrgEx(DC, OldOrigin.x, OldOrigin.y, nullptr);
      if (OldMode) ::SetStretchBltMode(DC, OldMode);
      if (OldPalette) ::SelectPalette(DC, OldPalette, TRUE);
    }
  } state{target};

  HPALETTE palette = FIgnorePalette ? nullptr : FImage->FPalette.get();
  if (palette) {
    state.OldPalette = ::SelectPalette(target, palette, TRUE);
    ::RealizePalette(target);
  }
  const int targetBits = TargetBitsPerPixel(target);
  const int imageBits = FImage->FIsDIB ? FImage->FBitCount : 32;
  if (targetBits <= 8 && targetBits < imageBits) {
    // Many colours onto few: halftoning keeps the picture recognisable.
    ::GetBrushOrgEx(target, &state.OldOrigin);
    state.OldMode = ::SetStretchBltMode(target, HALFTONE);
    ::SetBrushOrgEx(target, state.OldOrigin.x, state.OldOrigin.y, nullptr);
    state.OriginSet = true;
  } else if (!GetMonochrome()) {
    state.OldMode = ::SetStretchBltMode(target, COLORONCOLOR);
  }

  const int width = FImage->FWidth;
  const int height = FImage->FHeight;
  if (GetTransparent()) {
    MaskHandleNeeded();
    DrawTransparent(target, r, SourceDC(), width, height, FMaskHandle.get());
  } else {
    ::StretchBlt(target, r.Left, r.Top, r.Width(), r.Height(), SourceDC(), 0, 0, width, height,
                 canvas->GetCopyMode());
  }
}

void TBitmap::LoadFromStream(TStream& stream) {
  const int64_t remaining = stream.GetSize() - stream.GetPosition();
  if (remaining <= 0) {
    LoadFromBytes(nullptr, 0);
    return;
  }
  if (remaining > INT_MAX) throw EInvalidGraphic(kInvalidBitmap);
  std::vector<uint8_t> data(static_cast<size_t>(remaining));
  stream.ReadBuffer(data.data(), static_cast<int>(data.size()));
  LoadFromBytes(data.data(), data.size());
}

void TBitmap::SaveToStream(TStream& stream) {
  std::vector<uint8_t> data = SaveToBytes();
  if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<int>(data.size()));
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const String& name) {
  TResourceStream stream(instance, name, RT_BITMAP);
  LoadFromBmp(DecodePackedDib(static_cast<const uint8_t*>(stream.GetMemory()),
                              static_cast<size_t>(stream.GetSize())));
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id) {
  TResourceStream stream(instance, id, RT_BITMAP);
  LoadFromBmp(DecodePackedDib(static_cast<const uint8_t*>(stream.GetMemory()),
                              static_cast<size_t>(stream.GetSize())));
}

void TBitmap::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  if (format == CF_DIB) {
    HGLOBAL global = static_cast<HGLOBAL>(data);
    const SIZE_T size = global ? ::GlobalSize(global) : 0;
    const void* memory = size ? ::GlobalLock(global) : nullptr;
    if (memory == nullptr) throw EInvalidGraphic(kInvalidBitmap);
    struct TUnlock {
      HGLOBAL Global;
      ~TUnlock() { ::GlobalUnlock(Global); }
    } unlock{global};
    LoadFromBmp(DecodePackedDib(static_cast<const uint8_t*>(memory), size));
    return;
  }
  if (format != CF_BITMAP) throw EInvalidGraphic(L"Unsupported clipboard format");

  // The clipboard keeps its bitmap: the image is a copy of it.
  HBITMAP source = static_cast<HBITMAP>(data);
  BITMAP bm{};
  if (source == nullptr || ::GetObjectW(source, sizeof(bm), &bm) == 0)
    throw EInvalidGraphic(kInvalidBitmap);
  auto image = std::make_unique<TBitmapImage>();
  image->FWidth = bm.bmWidth;
  image->FHeight = std::abs(bm.bmHeight);
  image->FMonochrome = bm.bmBitsPixel == 1 && bm.bmPlanes == 1;
  image->FHandle = CreateDdb(image->FWidth, image->FHeight, image->FMonochrome);
  image->FPalette = CopyPalette(palette);
  {
    UniqueDC sourceDC = CreateMemoryDC();
    UniqueDC targetDC = CreateMemoryDC();
    SelectObjectScope selectSource(sourceDC.get(), source);
    SelectObjectScope selectTarget(targetDC.get(), image->FHandle.get());
    ::BitBlt(targetDC.get(), 0, 0, image->FWidth, image->FHeight, sourceDC.get(), 0, 0, SRCCOPY);
  }
  ReplaceImage(image.release());
  SetPaletteModified(palette != nullptr);
  Changed(this);
}

void TBitmap::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  format = CF_BITMAP;
  data = nullptr;
  palette = nullptr;
  if (GetEmpty()) return;
  HandleNeeded();
  UniqueBitmap copy = CreateDdb(FImage->FWidth, FImage->FHeight, GetMonochrome());
  {
    UniqueDC target = CreateMemoryDC();
    SelectObjectScope selectTarget(target.get(), copy.get());
    ::BitBlt(target.get(), 0, 0, FImage->FWidth, FImage->FHeight, SourceDC(), 0, 0, SRCCOPY);
  }
  PaletteNeeded();
  UniquePalette paletteCopy = CopyPalette(FImage->FPalette.get());
  data = copy.release();
  palette = paletteCopy.release();
}

void TBitmap::ReadData(TStream& stream) {
  int32_t size = 0;
  stream.ReadBuffer(&size, sizeof(size));
  if (size < 0 || size > stream.GetSize() - stream.GetPosition())
    throw EInvalidGraphic(L"Bitmap image is not valid: the stored size exceeds the data");
  std::vector<uint8_t> data(static_cast<size_t>(size));
  if (size > 0) stream.ReadBuffer(data.data(), size);
  LoadFromBytes(data.data(), data.size());
}

void TBitmap::WriteData(TStream& stream) {
  std::vector<uint8_t> data = SaveToBytes();
  const int32_t size = static_cast<int32_t>(data.size());
  stream.WriteBuffer(&size, sizeof(size));
  if (size > 0) stream.WriteBuffer(data.data(), size);
}

bool TBitmap::Equals(TGraphic* other) {
  auto* bitmap = dynamic_cast<TBitmap*>(other);
  if (bitmap != nullptr && bitmap->ClassInfo() == ClassInfo() && bitmap->FImage == FImage)
    return true;
  return inherited::Equals(other);
}

void TBitmap::Dormant() {
  if (GetEmpty() || !FImage->FHandle) return;
  auto image = std::make_unique<TBitmapImage>();
  image->FDormantBits = SaveToBytes();
  image->FWidth = FImage->FWidth;
  image->FHeight = FImage->FHeight;
  image->FIsDIB = FImage->FIsDIB;
  image->FMonochrome = FImage->FMonochrome;
  image->FBitCount = FImage->FBitCount;
  image->FBitfields565 = FImage->FBitfields565;
  image->FColorTable = FImage->FColorTable;
  ReplaceImage(image.release());
}

void TBitmap::FreeImage() {
  if (FImage->GetRefCount() > 1)
    Unshare();
  else
    DropMask();
}

void TBitmap::Mask(TColor transparentColor) {
  if (GetEmpty()) return;
  HandleNeeded();
  auto image = std::make_unique<TBitmapImage>();
  image->FWidth = FImage->FWidth;
  image->FHeight = FImage->FHeight;
  image->FMonochrome = true;
  image->FHandle = MakeMask(ColorToRGB(transparentColor));
  ReplaceImage(image.release());
  Changed(this);
}

void TBitmap::Changed(TObject* sender) {
  FMaskValid = false;
  inherited::Changed(sender);
}
