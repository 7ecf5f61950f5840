// TfcBitmap: life cycle, conversion from and to other graphics, streaming, kept pixels,
// drawing and palettes. The effects are in fcBitmapEffects.cpp.
//
// The section is a 24-bit top-down DIB; GDI may still be drawing into it when the pixels are
// read directly, so every direct read or write starts with GdiFlush.
#include "fcBitmap.h"

#include <algorithm>
#include <cstring>

#include "classlib/classes/Properties.h"
#include "classlib/system/FlagScope.h"
#include "fcCommon.h"

namespace {

BITMAPINFO InfoHeaderFor(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The largest image the class makes: its bytes must fit a 32-bit size.
bool SizeFits(int width, int height) {
  if (width <= 0 || height <= 0 || width > 0x7FFFFFFF / 4) return false;
  return static_cast<int64_t>(fcRowStride(width)) * height <= 0x7FFFFFFF;
}

int ScreenBitsPerPixel() {
  WindowDC screen = WindowDC::FromClient(nullptr);
  if (!screen) return 24;
  return ::GetDeviceCaps(screen.get(), BITSPIXEL) * ::GetDeviceCaps(screen.get(), PLANES);
}

TPixelFormat PixelFormatOfBitCount(int bitCount) {
  switch (bitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return pf16bit;
    case 32: return pf32bit;
    default: return pf24bit;
  }
}

}  // namespace

// ---- Published properties -------------------------------------------------------------------

const TPropertyTable* TfcBitmap::PublishedProperties() {
  using P = TPublish<TfcBitmap>;
  static const TPropertyTable table{
      P::Boolean(L"SmoothStretching", &TfcBitmap::GetSmoothStretching,
                 &TfcBitmap::SetSmoothStretching)
          .Default(false),
      P::Boolean(L"Transparent", &TfcBitmap::GetTransparent, &TfcBitmap::SetTransparent)
          .Default(false),
      P::Color(L"TransparentColor", &TfcBitmap::GetTransparentColor,
               &TfcBitmap::SetTransparentColor)
          .Default(clNone),
  };
  return &table;
}

// ---- Life cycle ----------------------------------------------------------------------------------

TfcBitmap::TfcBitmap() : FCanvas(std::make_unique<TCanvas>()) {
  // Whatever is drawn on the image's own canvas changes pixels the mask was made from.
  FCanvas->SetOnChange([this](TObject*) { DropMask(); });
}

TfcBitmap::~TfcBitmap() {
  FChangeLinks.clear();
  FreeKeptPixels();
  FreeImage();
}

bool TfcBitmap::GetEmpty() const { return !FDIBHandle; }

void TfcBitmap::SetWidth(int value) { SetSizeIfChanged(value, FHeight); }

void TfcBitmap::SetHeight(int value) { SetSizeIfChanged(FWidth, value); }

void TfcBitmap::SetTransparentColor(TColor value) {
  if (value == FTransparentColor) return;
  FTransparentColor = value;
  DropMask();
  Changed(this);
}

uint8_t* TfcBitmap::GetRow(int y) const {
  if (y < 0 || y >= static_cast<int>(FRowTable.size())) return nullptr;
  return FRowTable[static_cast<size_t>(y)];
}

TfcPixelView TfcBitmap::GetPixels() const {
  if (GetEmpty()) return TfcPixelView{};
  ::GdiFlush();
  return TfcPixelView{FBits, FWidth, FHeight, FRowStride};
}

TfcColor TfcBitmap::GetPixel(int x, int y) const {
  if (GetEmpty() || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return fcBlackPixel;
  return GetPixels().At(x, y);
}

TBitmap* TfcBitmap::GetMask() {
  if (!FMaskBitmap && !GetEmpty()) {
    const TfcPixelView pixels = GetPixels();
    const TfcColor key =
        FTransparentColor != clNone ? ColorToBytes(FTransparentColor) : pixels.At(0, 0);
    FMaskBitmap = CreateMaskBitmap(pixels, key);
  }
  return FMaskBitmap.get();
}

// ---- Change notification ---------------------------------------------------------------------

void TfcBitmap::RegisterChanges(TfcChangeLink* link) {
  if (link != nullptr) FChangeLinks.push_back(link);
}

void TfcBitmap::UnRegisterChanges(TfcChangeLink* link) { std::erase(FChangeLinks, link); }

void TfcBitmap::Changed(TObject* sender) {
  if (FAssigning) return;
  DropMask();
  inherited::Changed(sender);
  NotifyChangeLinks();
}

void TfcBitmap::NotifyChangeLinks() {
  // A link may unregister itself (or another) from its handler: walk a copy and skip the
  // links that left meanwhile.
  const std::vector<TfcChangeLink*> links = FChangeLinks;
  for (TfcChangeLink* link : links) {
    if (std::find(FChangeLinks.begin(), FChangeLinks.end(), link) == FChangeLinks.end()) continue;
    link->SetSender(this);
    link->Change();
  }
}

// ---- Size -------------------------------------------------------------------------------------------

void TfcBitmap::Clear() { FreeImage(); }

void TfcBitmap::FreeImage() {
  FCanvas->SetHandle(nullptr);
  if (FMemoryDC && FOldBitmap != nullptr) ::SelectObject(FMemoryDC.get(), FOldBitmap);
  FOldBitmap = nullptr;
  FMemoryDC.reset();
  FDIBHandle.reset();
  FRowTable.clear();
  FMaskBitmap.reset();
  FWidth = FHeight = 0;
  FRowPadding = FRowStride = FImageSize = 0;
  FBits = nullptr;
}

bool TfcBitmap::CreateSection() {
  if (!SizeFits(FWidth, FHeight)) {
    FreeImage();
    return false;
  }
  const BITMAPINFO info = InfoHeaderFor(FWidth, FHeight);
  void* bits = nullptr;
  FDIBHandle.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  FBits = static_cast<uint8_t*>(bits);
  if (!FDIBHandle || FBits == nullptr) {
    FreeImage();
    return false;
  }
  FRowPadding = FWidth % 4;
  FRowStride = FWidth * 3 + FRowPadding;
  FImageSize = FRowStride * FHeight;
  return true;
}

void TfcBitmap::InitImage() {
  if (!FDIBHandle) {
    FreeImage();
    Changed(this);
    return;
  }
  FRowPadding = FWidth % 4;
  FRowStride = FWidth * 3 + FRowPadding;
  FImageSize = FRowStride * FHeight;
  FRowTable.resize(static_cast<size_t>(FHeight));
  for (int y = 0; y < FHeight; ++y) FRowTable[static_cast<size_t>(y)] = FBits + y * FRowStride;
  FMemoryDC.reset(::CreateCompatibleDC(nullptr));
  if (!FMemoryDC) {
    FreeImage();
    Changed(this);
    return;
  }
  FOldBitmap = ::SelectObject(FMemoryDC.get(), FDIBHandle.get());
  FCanvas->SetHandle(FMemoryDC.get());
  Changed(this);
}

void TfcBitmap::SetSize(int width, int height) {
  const bool wasEmpty = GetEmpty();
  FreeImage();
  if (width <= 0 || height <= 0) {
    if (!wasEmpty) Changed(this);
    return;
  }
  FWidth = width;
  FHeight = height;
  if (!CreateSection()) {
    Changed(this);
    return;
  }
  std::memset(FBits, 0xFF, static_cast<size_t>(FImageSize));  // a new image is white
  InitImage();
}

void TfcBitmap::SetSizeIfChanged(int width, int height) {
  if (width != FWidth || height != FHeight) SetSize(width, height);
}

void TfcBitmap::Resize(int width, int height) {
  if (width == FWidth && height == FHeight) return;
  TfcBitmap copy;
  copy.Assign(this);
  // Stretched opaquely, so that the key colour's pixels come back as they were.
  copy.SetTransparent(false);
  {
    // Listeners hear of the new size once, when the picture is back in it.
    TFlagScope assigning(FAssigning);
    SetSize(width, height);
    if (!GetEmpty() && !copy.GetEmpty()) FCanvas->StretchDraw(Rect(0, 0, width, height), &copy);
  }
  Changed(this);
}

// ---- Conversion in --------------------------------------------------------------------------------

void TfcBitmap::LoadFromBitmap(TBitmap* bitmap) {
  // The old section, DC and mask go first, so that nothing of the old picture leaks.
  FreeImage();
  if (bitmap == nullptr || bitmap->GetEmpty()) {
    Changed(this);
    return;
  }
  FWidth = bitmap->GetWidth();
  FHeight = bitmap->GetHeight();
  if (!CreateSection()) {
    Changed(this);
    return;
  }
  TPixelFormat format = bitmap->GetPixelFormat();
  HBITMAP source = bitmap->GetHandle();  // the bitmap's own DC lets it go first
  DIBSECTION dib{};
  const int objectSize = ::GetObjectW(source, sizeof(dib), &dib);
  {
    WindowDC screen = WindowDC::FromClient(nullptr);
    BITMAPINFO info = InfoHeaderFor(FWidth, FHeight);
    ::GetDIBits(screen.get(), source, 0, static_cast<UINT>(FHeight), FBits, &info,
                DIB_RGB_COLORS);
    const int bitmapBits = objectSize > 0 ? dib.dsBm.bmBitsPixel * dib.dsBm.bmPlanes : 24;
    FNeedsHalftone = ScreenBitsPerPixel() < bitmapBits;
  }
  const bool isDib = objectSize == static_cast<int>(sizeof(DIBSECTION));
  if (format == pfCustom) format = PixelFormatOfBitCount(isDib ? dib.dsBmih.biBitCount : 24);
  FPixelFormat = format;
  // Up to 256 entries of the colour table of a DIB of 8 bits or fewer.
  FColorTable.fill(RGBQUAD{});
  UINT entries = 0;
  if (isDib && dib.dsBmih.biBitCount <= 8) {
    UniqueDC dc(::CreateCompatibleDC(nullptr));
    if (dc) {
      SelectObjectScope select(dc.get(), source);
      entries = ::GetDIBColorTable(dc.get(), 0, 256, FColorTable.data());
    }
  }
  FColorTableFound = entries > 0;
  InitImage();
}

void TfcBitmap::LoadFromGraphic(TGraphic* graphic) {
  if (graphic == nullptr || graphic->GetEmpty()) {
    FreeImage();
    Changed(this);
    return;
  }
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(graphic->GetWidth(), graphic->GetHeight());
  bitmap.GetCanvas()->Draw(0, 0, graphic);
  LoadFromBitmap(&bitmap);
}

void TfcBitmap::LoadViaBitmap(TPersistent* source) {
  TBitmap bitmap;
  try {
    bitmap.Assign(source);
  } catch (const EConvertError&) {
    // A graphic that cannot hand itself to a bitmap can still draw itself on one.
    auto* graphic = dynamic_cast<TGraphic*>(source);
    if (graphic == nullptr) throw;
    LoadFromGraphic(graphic);
    return;
  }
  LoadFromBitmap(&bitmap);
}

void TfcBitmap::LoadFromDIBits(const void* pixelData, int size, TPoint dimensions) {
  FreeImage();
  if (pixelData == nullptr || size <= 0 || dimensions.X <= 0 || dimensions.Y <= 0) {
    Changed(this);
    return;
  }
  FWidth = dimensions.X;
  FHeight = dimensions.Y;
  if (!CreateSection()) {
    Changed(this);
    return;
  }
  // The bytes are in this class's own layout; what the block lacks stays white.
  const int count = Min(size, FImageSize);
  std::memcpy(FBits, pixelData, static_cast<size_t>(count));
  if (count < FImageSize) std::memset(FBits + count, 0xFF, static_cast<size_t>(FImageSize - count));
  InitImage();
}

void TfcBitmap::Assign(TPersistent* source) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
    {
      TFlagScope assigning(FAssigning);
      if (!bitmap->GetEmpty()) {
        LoadFromBitmap(bitmap);
        SetTransparentFlag(bitmap->GetTransparent());
      } else {
        FreeImage();
      }
    }
    Changed(this);
    return;
  }
  if (source == nullptr) {
    FreeImage();
    Changed(this);
    return;
  }
  if (dynamic_cast<TGraphic*>(source) != nullptr && dynamic_cast<TfcBitmap*>(source) == nullptr) {
    LoadViaBitmap(source);
    return;
  }
  inherited::Assign(source);
}

// ---- Conversion out ----------------------------------------------------------------------------

void TfcBitmap::SaveToBitmap(TBitmap* bitmap) {
  if (bitmap == nullptr) return;
  bitmap->SetPixelFormat(FPixelFormat == pfCustom ? pf24bit : FPixelFormat);
  const bool paletted = FPixelFormat == pf1bit || FPixelFormat == pf4bit || FPixelFormat == pf8bit;
  if (paletted && FColorTableFound) {
    // The colour table goes in as the bitmap's palette, which becomes its DIB colour table.
    const int count = FPixelFormat == pf1bit ? 2 : (FPixelFormat == pf4bit ? 16 : 256);
    std::vector<uint8_t> memory(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 256);
    auto* palette = reinterpret_cast<LOGPALETTE*>(memory.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i)
      palette->palPalEntry[i] = PALETTEENTRY{FColorTable[i].rgbRed, FColorTable[i].rgbGreen,
                                             FColorTable[i].rgbBlue, 0};
    bitmap->SetPalette(::CreatePalette(palette));
  }
  bitmap->SetSize(FWidth, FHeight);
  if (GetEmpty()) return;
  TFlagScope suppress(FSuppressTransparency);
  bitmap->GetCanvas()->Draw(0, 0, this);
}

void TfcBitmap::AssignTo(TPersistent* dest) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    SaveToBitmap(bitmap);
    bitmap->SetTransparent(GetTransparent());
    // clNone (this image's top-left pixel) would key white in a TBitmap: it keeps its own
    // automatic key instead.
    if (FTransparentColor != clNone) bitmap->SetTransparentColor(FTransparentColor);
    return;
  }
  auto* image = dynamic_cast<TfcBitmap*>(dest);
  if (image == nullptr) {
    inherited::AssignTo(dest);
    return;
  }
  if (image == this) return;
  if (GetEmpty()) {
    image->FreeImage();
    image->Changed(image);
    return;
  }
  {
    TFlagScope assigning(image->FAssigning);
    image->FRespectPalette = FRespectPalette;
    image->FUseHalftonePalette = FUseHalftonePalette;
    image->SetSize(FWidth, FHeight);
    if (!image->GetEmpty()) {
      ::GdiFlush();
      std::memcpy(image->FBits, FBits, static_cast<size_t>(FImageSize));
    }
    image->SetTransparentFlag(GetTransparent());
    image->FSmoothStretching = FSmoothStretching;
    image->FTransparentColor = FTransparentColor;
    image->FPixelFormat = FPixelFormat;
    image->FColorTable = FColorTable;
    image->FColorTableFound = FColorTableFound;
    image->FNeedsHalftone = FNeedsHalftone;
  }
  image->Changed(image);
}

// ---- Streaming -------------------------------------------------------------------------------------

void TfcBitmap::SaveToStream(TStream& stream) {
  if (GetEmpty()) return;
  TBitmap bitmap;
  SaveToBitmap(&bitmap);
  bitmap.SaveToStream(stream);
}

void TfcBitmap::LoadFromStream(TStream& stream) {
  TBitmap bitmap;
  bitmap.LoadFromStream(stream);
  LoadFromBitmap(&bitmap);
}

// ---- Kept pixels ---------------------------------------------------------------------------------------

void TfcBitmap::ReleaseHandle() {
  FreeKeptPixels();
  if (!GetEmpty()) {
    ::GdiFlush();
    FKeptPixels.assign(FBits, FBits + FImageSize);
    FKeptDimensions = TPoint(FWidth, FHeight);
  }
  FreeImage();
}

void TfcBitmap::RestoreHandle() {
  if (FKeptPixels.empty()) return;
  {
    // The picture is the one set aside: no one is told of a change.
    TFlagScope silent(FAssigning);
    LoadFromDIBits(FKeptPixels.data(), static_cast<int>(FKeptPixels.size()), FKeptDimensions);
  }
  FreeKeptPixels();
}

void TfcBitmap::FreeKeptPixels() {
  FKeptPixels.clear();
  FKeptPixels.shrink_to_fit();
  FKeptDimensions = TPoint(0, 0);
}

// ---- Drawing -------------------------------------------------------------------------------------

void TfcBitmap::Draw(TCanvas* canvas, const TRect& r) {
  if (canvas == nullptr || GetEmpty()) return;
  HPALETTE previous = FIgnorePalette ? nullptr : ApplyPalette(canvas);
  try {
    if (r.Width() == FWidth && r.Height() == FHeight) {
      if (GetTransparent() && !FSuppressTransparency)
        TransparentDraw(canvas, r);
      else
        ::BitBlt(canvas->GetHandle(), r.Left, r.Top, FWidth, FHeight, FMemoryDC.get(), 0, 0,
                 SRCCOPY);
    } else if (FSmoothStretching) {
      SmoothStretchDraw(canvas, r);
    } else {
      StretchDrawTo(canvas, r);
    }
  } catch (...) {
    if (!FIgnorePalette) RestorePalette(canvas, previous);
    throw;
  }
  if (!FIgnorePalette) RestorePalette(canvas, previous);
}

void TfcBitmap::StretchDrawTo(TCanvas* canvas, const TRect& r) {
  if (canvas == nullptr || GetEmpty()) return;
  if (GetTransparent()) {
    // Stretched into an image of the target's size first, then keyed at that size. The
    // device stretch keeps colours exact, so the key survives it.
    TfcBitmap stretched;
    stretched.SetSize(r.Width(), r.Height());
    if (stretched.GetEmpty()) return;
    ::SetStretchBltMode(stretched.GetMemoryDC(), COLORONCOLOR);
    ::StretchBlt(stretched.GetMemoryDC(), 0, 0, r.Width(), r.Height(), FMemoryDC.get(), 0, 0,
                 FWidth, FHeight, SRCCOPY);
    stretched.SetTransparentColor(FTransparentColor);
    stretched.TransparentDraw(canvas, r);
    return;
  }
  HDC dc = canvas->GetHandle();
  const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchBlt(dc, r.Left, r.Top, r.Width(), r.Height(), FMemoryDC.get(), 0, 0, FWidth, FHeight,
               SRCCOPY);
  if (oldMode != 0) ::SetStretchBltMode(dc, oldMode);
}

void TfcBitmap::SmoothStretchDraw(TCanvas* canvas, const TRect& r) {
  if (canvas == nullptr || GetEmpty() || r.Width() < 1 || r.Height() < 1) return;
  TfcBitmap resampled;
  resampled.SetSize(r.Width(), r.Height());
  if (resampled.GetEmpty()) return;
  fcPixels::SmoothStretch(GetPixels(), resampled.GetPixels());
  if (GetTransparent()) {
    // The resampled top-left pixel equals this image's, so clNone keys the same colour.
    resampled.SetTransparentColor(FTransparentColor);
    resampled.TransparentDraw(canvas, r);
  } else {
    ::BitBlt(canvas->GetHandle(), r.Left, r.Top, r.Width(), r.Height(), resampled.GetMemoryDC(),
             0, 0, SRCCOPY);
  }
}

void TfcBitmap::TileDraw(TCanvas* canvas, const TRect& r) {
  if (canvas == nullptr || GetEmpty()) return;
  TFlagScope ignore(FIgnorePalette);
  HPALETTE previous = ApplyPalette(canvas);
  try {
    for (int y = 0; y < r.Bottom; y += FHeight)
      for (int x = 0; x < r.Right; x += FWidth)
        Draw(canvas, Bounds(x - r.Left, y - r.Top, FWidth, FHeight));
  } catch (...) {
    RestorePalette(canvas, previous);
    throw;
  }
  RestorePalette(canvas, previous);
}

void TfcBitmap::TransparentDraw(TCanvas* canvas, const TRect& r) {
  if (canvas == nullptr || GetEmpty()) return;
  TBitmap* mask = GetMask();
  if (mask == nullptr) return;
  TransparentBlitDC(canvas->GetHandle(), Bounds(r.Left, r.Top, FWidth, FHeight),
                    FMemoryDC.get(), mask->GetCanvas()->GetHandle(), true);
}

// ---- Palettes --------------------------------------------------------------------------------------

HPALETTE TfcBitmap::ApplyPalette(TCanvas* canvas) {
  if (canvas == nullptr || (!FRespectPalette && !FUseHalftonePalette)) return nullptr;
  if (ScreenBitsPerPixel() >= 9) return nullptr;
  if (FRespectPalette) {
    CreateImagePalette();
  } else if (!FPalette) {
    WindowDC screen = WindowDC::FromClient(nullptr);
    FPalette.reset(::CreateHalftonePalette(screen.get()));
  }
  if (!FPalette) return nullptr;
  HDC dc = canvas->GetHandle();
  HPALETTE previous = ::SelectPalette(dc, FPalette.get(), TRUE);
  ::RealizePalette(dc);
  return previous;
}

void TfcBitmap::CopyPaletteFrom(const TfcBitmap& source) {
  if (&source == this) return;
  FColorTable = source.FColorTable;
  FColorTableFound = source.FColorTableFound;
  FNeedsHalftone = source.FNeedsHalftone;
  FPalette.reset();
}

void TfcBitmap::RestorePalette(TCanvas* canvas, HPALETTE previous) {
  if (canvas != nullptr && previous != nullptr)
    ::SelectPalette(canvas->GetHandle(), previous, TRUE);
  FPalette.reset();
}

void TfcBitmap::CreateImagePalette() {
  if (FPalette) return;
  if (FColorTableFound) {
    std::vector<uint8_t> memory(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 256);
    auto* palette = reinterpret_cast<LOGPALETTE*>(memory.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = 256;
    // Blue-green-red-reserved entries become red-green-blue-0 palette entries.
    std::array<uint32_t, 256> entries{};
    std::memcpy(entries.data(), FColorTable.data(), sizeof(entries));
    SwapColorEntries(entries.data(), 256);
    std::memcpy(palette->palPalEntry, entries.data(), sizeof(entries));
    FPalette.reset(::CreatePalette(palette));
  } else if (FNeedsHalftone) {
    WindowDC screen = WindowDC::FromClient(nullptr);
    FPalette.reset(::CreateHalftonePalette(screen.get()));
  }
}

// ---- Masks ------------------------------------------------------------------------------------------

std::unique_ptr<TBitmap> CreateMaskBitmap(const TfcPixelView& image, TfcColor key) {
  if (image.Empty()) return nullptr;
  // Rows of a monochrome bitmap are padded to 16 bits; the first pixel is the top bit.
  const size_t rowBytes = static_cast<size_t>((image.Width + 15) / 16) * 2;
  std::vector<uint8_t> bits(rowBytes * static_cast<size_t>(image.Height), 0);
  for (int y = 0; y < image.Height; ++y) {
    const TfcColor* p = image.Pixels(y);
    uint8_t* row = bits.data() + rowBytes * static_cast<size_t>(y);
    for (int x = 0; x < image.Width; ++x)
      if (!(p[x] == key)) row[x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
  }
  UniqueBitmap mono(::CreateBitmap(image.Width, image.Height, 1, 1, bits.data()));
  if (!mono) return nullptr;
  auto mask = std::make_unique<TBitmap>();
  mask->SetHandle(mono.release());
  return mask;
}
