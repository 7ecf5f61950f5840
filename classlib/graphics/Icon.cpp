#include "Icon.h"

#include <climits>
#include <cstring>
#include <utility>

#include "Canvas.h"

namespace {

// Larger than any real icon file (a 256-pixel 32-bit image is 256 KB); refused unread.
constexpr int64_t kMaxIconFileBytes = 32 * 1024 * 1024;
// The version of the icon resource format CreateIconFromResourceEx is told to read.
constexpr DWORD kIconResourceVersion = 0x00030000;

[[noreturn]] void RaiseInvalidIcon() { throw EInvalidGraphic(L"Icon image is not valid"); }

// Makes a system icon of one checked image of an icon file.
UniqueIcon CreateIconFromEntry(const std::vector<uint8_t>& data, const TIcoEntry& entry) {
  const uint8_t* image = data.data() + entry.Offset;
  DWORD size = entry.Size;
  std::vector<uint8_t> withMask;  // an image without an AND mask gets one from its alpha
  if (!entry.IsPng && !entry.HasMask) {
    withMask = IcoImageWithAlphaMask(image, entry);
    image = withMask.data();
    size = static_cast<DWORD>(withMask.size());
  }
  HICON icon = ::CreateIconFromResourceEx(const_cast<PBYTE>(image), size, TRUE,
                                          kIconResourceVersion, entry.Width, entry.Height,
                                          LR_DEFAULTCOLOR);
  if (!icon) RaiseInvalidIcon();
  return UniqueIcon(icon);
}

// The bitmaps of an icon handle; GetIconInfo hands out copies that we must delete.
struct IconBitmaps {
  UniqueBitmap Color;  // nullptr for a monochrome icon
  UniqueBitmap Mask;   // AND mask; for a monochrome icon the AND and XOR halves stacked
};

IconBitmaps GetIconBitmaps(HICON icon) {
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) RaiseInvalidIcon();
  IconBitmaps bitmaps{UniqueBitmap(info.hbmColor), UniqueBitmap(info.hbmMask)};
  if (!bitmaps.Mask) RaiseInvalidIcon();
  return bitmaps;
}

BITMAP GetBitmapInfo(HBITMAP bitmap) {
  BITMAP bm{};
  if (!::GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
    RaiseInvalidIcon();
  return bm;
}

// The size of an icon handle's image.
void GetIconSize(HICON icon, int& width, int& height) {
  IconBitmaps bitmaps = GetIconBitmaps(icon);
  if (bitmaps.Color) {
    BITMAP bm = GetBitmapInfo(bitmaps.Color.get());
    width = bm.bmWidth;
    height = bm.bmHeight;
  } else {
    BITMAP bm = GetBitmapInfo(bitmaps.Mask.get());
    width = bm.bmWidth;
    height = bm.bmHeight / 2;
  }
}

// Reads rows [0, rows) of a bitmap, bottom-up, at bitCount bits per pixel.
std::vector<uint8_t> ReadDibRows(HDC dc, HBITMAP bitmap, int width, int rows, int bitCount) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];  // room for the table GetDIBits writes for 1-bit rows
  } info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = width;
  info.header.biHeight = rows;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitCount);
  info.header.biCompression = BI_RGB;
  std::vector<uint8_t> bits(IcoColorStride(width, bitCount) * rows);
  if (::GetDIBits(dc, bitmap, 0, rows, bits.data(), reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) != rows)
    RaiseInvalidIcon();
  return bits;
}

}  // namespace

// ---- Attributes -------------------------------------------------------------------------

bool TIcon::GetEmpty() const { return FData.empty() && !FHandle; }

int TIcon::GetWidth() const {
  if (FData.empty()) return FHandleWidth;
  return FEntries[ChooseIcoEntry(FEntries, FRequestedWidth, FRequestedHeight)].Width;
}

int TIcon::GetHeight() const {
  if (FData.empty()) return FHandleHeight;
  return FEntries[ChooseIcoEntry(FEntries, FRequestedWidth, FRequestedHeight)].Height;
}

void TIcon::SetWidth(int) {
  throw EInvalidGraphicOperation(L"Cannot change the size of an icon");
}

void TIcon::SetHeight(int) {
  throw EInvalidGraphicOperation(L"Cannot change the size of an icon");
}

void TIcon::SetSize(int width, int height) {
  if (width == FRequestedWidth && height == FRequestedHeight) return;
  const int before =
      FData.empty() ? -1 : ChooseIcoEntry(FEntries, FRequestedWidth, FRequestedHeight);
  FRequestedWidth = width;
  FRequestedHeight = height;
  if (FData.empty() || ChooseIcoEntry(FEntries, width, height) == before) return;
  FHandle.reset();
  Changed(this);
}

HICON TIcon::GetHandle() {
  HandleNeeded();
  return FHandle.get();
}

void TIcon::SetHandle(HICON value) {
  int width = 0, height = 0;
  if (value) GetIconSize(value, width, height);
  FData.clear();
  FEntries.clear();
  FHandle.reset(value);
  FHandleWidth = width;
  FHandleHeight = height;
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HandleNeeded();
  HICON handle = FHandle.release();
  if (FData.empty()) {
    FHandleWidth = 0;
    FHandleHeight = 0;
  }
  Changed(this);
  return handle;
}

// ---- Operations ---------------------------------------------------------------------------

void TIcon::Assign(TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    SetImage({}, {});
    FHandleWidth = FHandleHeight = 0;
    Changed(this);
    return;
  }
  auto* icon = dynamic_cast<TIcon*>(source);
  if (!icon) {
    inherited::Assign(source);
    return;
  }
  UniqueIcon copy;
  if (icon->FData.empty() && icon->FHandle) {
    copy.reset(::CopyIcon(icon->FHandle.get()));
    if (!copy) throw EOutOfResources(L"Out of system resources");
  }
  SetImage(icon->FData, icon->FEntries);
  FRequestedWidth = icon->FRequestedWidth;
  FRequestedHeight = icon->FRequestedHeight;
  FHandle = std::move(copy);
  FHandleWidth = icon->FHandleWidth;
  FHandleHeight = icon->FHandleHeight;
  Changed(this);
}

void TIcon::Draw(TCanvas* canvas, const TRect& r) {
  if (!canvas || GetEmpty()) return;
  HICON handle = GetHandle();
  const int width = r.Width() > 0 ? r.Width() : 0;  // 0: the image's own size
  const int height = r.Height() > 0 ? r.Height() : 0;
  ::DrawIconEx(canvas->GetHandle(), r.Left, r.Top, handle, width, height, 0, nullptr,
               DI_NORMAL);
}

void TIcon::LoadFromStream(TStream& stream) {
  const int64_t count = stream.GetSize() - stream.GetPosition();
  if (count <= 0 || count > kMaxIconFileBytes) RaiseInvalidIcon();
  std::vector<uint8_t> data(static_cast<size_t>(count));
  stream.ReadBuffer(data.data(), static_cast<int>(count));
  std::vector<TIcoEntry> entries = ReadIcoDirectory(data.data(), data.size());
  // Making the handle now proves the chosen image to the system before anything changes.
  UniqueIcon handle = CreateIconFromEntry(
      data, entries[ChooseIcoEntry(entries, FRequestedWidth, FRequestedHeight)]);
  SetImage(std::move(data), std::move(entries));
  FHandle = std::move(handle);
  FHandleWidth = FHandleHeight = 0;
  Changed(this);
}

void TIcon::SaveToStream(TStream& stream) {
  if (!FData.empty()) {
    stream.WriteBuffer(FData.data(), static_cast<int>(FData.size()));
  } else if (FHandle) {
    const std::vector<uint8_t> file = WriteHandleImage();
    stream.WriteBuffer(file.data(), static_cast<int>(file.size()));
  }
}

// Icons travel through the clipboard format registered for TIcon (by a control library),
// as an icon file in global memory; without one the clipboard does not take icons.
void TIcon::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE) {
  const UINT own = ClipboardFormatForGraphicClass(TGraphicClass::Of<TIcon>());
  if (own == 0 || format != own || !data) throw EInvalidGraphic(L"Clipboard does not support Icons");
  const SIZE_T size = ::GlobalSize(data);
  const auto* bytes = static_cast<const uint8_t*>(::GlobalLock(data));
  if (!bytes) throw EInvalidGraphic(L"Icon image is not valid");
  TMemoryStream stream;
  try {
    if (size > 0 && size <= INT_MAX) stream.WriteBuffer(bytes, static_cast<int>(size));
  } catch (...) {
    ::GlobalUnlock(data);
    throw;
  }
  ::GlobalUnlock(data);
  stream.SetPosition(0);
  LoadFromStream(stream);
}

void TIcon::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  const UINT own = ClipboardFormatForGraphicClass(TGraphicClass::Of<TIcon>());
  if (own == 0) throw EInvalidGraphic(L"Clipboard does not support Icons");
  TMemoryStream stream;
  SaveToStream(stream);
  const SIZE_T size = static_cast<SIZE_T>(stream.GetSize());
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size > 0 ? size : 1);
  if (!memory) throw EOutOfResources(L"Out of system resources");
  void* target = ::GlobalLock(memory);
  if (!target) {
    ::GlobalFree(memory);
    throw EOutOfResources(L"Out of system resources");
  }
  if (size > 0) std::memcpy(target, stream.GetMemory(), size);
  ::GlobalUnlock(memory);
  format = own;
  data = memory;
  palette = nullptr;
}

// ---- Private ----------------------------------------------------------------------------

void TIcon::SetImage(std::vector<uint8_t> data, std::vector<TIcoEntry> entries) {
  FHandle.reset();
  FData = std::move(data);
  FEntries = std::move(entries);
}

void TIcon::HandleNeeded() {
  if (FHandle || FData.empty()) return;
  FHandle = CreateIconFromEntry(
      FData, FEntries[ChooseIcoEntry(FEntries, FRequestedWidth, FRequestedHeight)]);
}

// A colour icon keeps its colour bitmap's depth where it has an alpha channel (32 bits) and
// is written at 24 bits otherwise. A monochrome icon's mask holds the AND half on top and
// the XOR half below; its XOR half becomes the colour image.
std::vector<uint8_t> TIcon::WriteHandleImage() const {
  IconBitmaps bitmaps = GetIconBitmaps(FHandle.get());
  UniqueDC dc(::CreateCompatibleDC(nullptr));
  if (!dc) throw EOutOfResources(L"Out of system resources");

  if (bitmaps.Color) {
    const BITMAP bm = GetBitmapInfo(bitmaps.Color.get());
    const int bitCount = bm.bmBitsPixel == 32 ? 32 : 24;
    if (bm.bmWidth > kMaxIconSide || bm.bmHeight > kMaxIconSide) RaiseInvalidIcon();
    std::vector<uint8_t> color =
        ReadDibRows(dc.get(), bitmaps.Color.get(), bm.bmWidth, bm.bmHeight, bitCount);
    std::vector<uint8_t> mask =
        ReadDibRows(dc.get(), bitmaps.Mask.get(), bm.bmWidth, bm.bmHeight, 1);
    return WriteIcoFile(bm.bmWidth, bm.bmHeight, bitCount, color.data(), mask.data());
  }

  const BITMAP bm = GetBitmapInfo(bitmaps.Mask.get());
  const int width = bm.bmWidth;
  const int height = bm.bmHeight / 2;
  if (height <= 0 || width > kMaxIconSide || height > kMaxIconSide) RaiseInvalidIcon();
  // Bottom-up rows: the first `height` rows are the lower (XOR) half.
  std::vector<uint8_t> color = ReadDibRows(dc.get(), bitmaps.Mask.get(), width, height * 2, 24);
  std::vector<uint8_t> mask = ReadDibRows(dc.get(), bitmaps.Mask.get(), width, height * 2, 1);
  return WriteIcoFile(width, height, 24, color.data(),
                      mask.data() + IcoMaskStride(width) * height);
}
