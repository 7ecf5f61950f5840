#include "Jpeg.h"

#include <cstring>
#include <utility>

#include "Bitmap.h"
#include "Canvas.h"
#include "JpegFormat.h"

namespace {

// A JPEG file larger than this is not read (the pixel limit stops its image anyway).
constexpr int64_t kMaxJpegFileBytes = 128 * 1024 * 1024;

[[noreturn]] void RaiseSizeChange() {
  throw EInvalidGraphicOperation(L"Cannot change the size of a JPEG image");
}

// Reads count bytes from the stream's position. EReadError when the stream has fewer;
// EInvalidGraphic for a file beyond kMaxJpegFileBytes.
std::vector<uint8_t> ReadBytes(TStream& stream, int64_t count) {
  if (count < 0 || count > stream.GetSize() - stream.GetPosition())
    throw EReadError(L"Stream read error");
  if (count > kMaxJpegFileBytes) throw EInvalidGraphic(L"JPEG image is too large");
  std::vector<uint8_t> data(static_cast<size_t>(count));
  stream.ReadBuffer(data.data(), static_cast<int>(count));
  return data;
}

// A 24-bit bitmap holding the decoded pixels.
std::unique_ptr<TBitmap> MakeBitmap(const TJpegPixels& pixels) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(pixels.Width, pixels.Height);
  const size_t rowBytes = static_cast<size_t>(pixels.Width) * 3;
  for (int y = 0; y < pixels.Height; ++y)
    std::memcpy(bitmap->GetScanLine(y), pixels.Bgr.data() + rowBytes * y, rowBytes);
  return bitmap;
}

}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::SetWidth(int) { RaiseSizeChange(); }
void TJPEGImage::SetHeight(int) { RaiseSizeChange(); }

TBitmap* TJPEGImage::GetBitmap() {
  if (!FBitmap && !FData.empty()) {
    try {
      FBitmap = MakeBitmap(DecodeJpeg(FData.data(), FData.size()));
    } catch (const EInvalidGraphic&) {
      FDecodeFailed = true;
      throw;
    }
  }
  return FBitmap.get();
}

void TJPEGImage::Assign(TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    FData.clear();
    FWidth = FHeight = 0;
    FBitmap.reset();
    FDecodeFailed = false;
    Changed(this);
    return;
  }
  if (auto* jpeg = dynamic_cast<TJPEGImage*>(source)) {
    FData = jpeg->FData;
    FWidth = jpeg->FWidth;
    FHeight = jpeg->FHeight;
    FBitmap.reset();
    FDecodeFailed = false;
    Changed(this);
    return;
  }
  inherited::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent* dest) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    bitmap->Assign(GetBitmap());
    return;
  }
  inherited::AssignTo(dest);
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& r) {
  if (!canvas || GetEmpty() || FDecodeFailed) return;
  canvas->StretchDraw(r, GetBitmap());
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  SetData(ReadBytes(stream, stream.GetSize() - stream.GetPosition()));
}

void TJPEGImage::SaveToStream(TStream& stream) {
  if (!FData.empty()) stream.WriteBuffer(FData.data(), static_cast<int>(FData.size()));
}

void TJPEGImage::LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) {
  throw EInvalidGraphic(L"Unsupported clipboard format");
}

void TJPEGImage::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  if (TBitmap* bitmap = GetBitmap()) bitmap->SaveToClipboardFormat(format, data, palette);
}

void TJPEGImage::ReadData(TStream& stream) {
  int32_t count = 0;
  stream.ReadBuffer(&count, sizeof count);
  if (count == 0) {  // an empty image writes a count of 0 and nothing else
    Assign(nullptr);
    return;
  }
  SetData(ReadBytes(stream, count));
}

void TJPEGImage::WriteData(TStream& stream) {
  const int32_t count = static_cast<int32_t>(FData.size());
  stream.WriteBuffer(&count, sizeof count);
  SaveToStream(stream);
}

void TJPEGImage::SetData(std::vector<uint8_t> data) {
  int width = 0, height = 0;
  ReadJpegSize(data.data(), data.size(), width, height);
  FData = std::move(data);
  FWidth = width;
  FHeight = height;
  FBitmap.reset();
  FDecodeFailed = false;
  Changed(this);
}
