#include "EffBmp.h"

#include <climits>
#include <cstring>
#include <vector>
#include "classlib/system/SysMath.h"

namespace {

const wchar_t* const GradKindNames[] = {L"gdRight",  L"gdLeft",    L"gdTop",
                                        L"gdBottom", L"gdVCenter", L"gdHCenter"};

uint8_t ClampByte(int value) { return static_cast<uint8_t>(Max(0, Min(255, value))); }

// Byte offsets of the channels inside a pixel (blue, green, red in memory).
constexpr int kBlue = 0;
constexpr int kGreen = 1;
constexpr int kRed = 2;

// The largest width whose row length still fits an int.
constexpr int kMaxWidth = (INT_MAX - 3) / 3;

[[noreturn]] void RaiseScanLine() { throw ERangeError(L"Scan line index out of range"); }

}  // namespace

const TEnumInfo GradKindIdents = MakeEnumInfo(GradKindNames);

int EffectRowBytes(int width) {
  if (width <= 0) return 0;
  return 3 * width + Mod(width, 4);
}

// ---- TEffectPixels --------------------------------------------------------------------------

TEffectPixels::TEffectPixels(uint8_t* bits, int width, int height)
    : FBits(bits),
      FWidth(Max(width, 0)),
      FHeight(Max(height, 0)),
      FRowBytes(width > 0 && width <= kMaxWidth ? EffectRowBytes(width) : 0) {
  if (FRowBytes == 0) FWidth = 0;
}

uint8_t* TEffectPixels::ScanLine(int y) const {
  if (GetEmpty() || y < 0 || y >= FHeight) RaiseScanLine();
  return FBits + static_cast<ptrdiff_t>(y) * FRowBytes;
}

void TEffectPixels::GetLine(int y, std::span<uint8_t> buffer) const {
  const uint8_t* row = ScanLine(y);
  const size_t bytes = static_cast<size_t>(3) * FWidth;
  if (buffer.size() < bytes) throw ERangeError(L"Line buffer too small");
  std::memcpy(buffer.data(), row, bytes);
}

void TEffectPixels::SetLine(int y, std::span<const uint8_t> buffer) const {
  uint8_t* row = ScanLine(y);
  const size_t bytes = static_cast<size_t>(3) * FWidth;
  if (buffer.size() < bytes) throw ERangeError(L"Line buffer too small");
  std::memcpy(row, buffer.data(), bytes);
}

void TEffectPixels::AddColorNoise(int amount) const {
  if (GetEmpty() || amount <= 0) return;
  const int half = Div(amount, 2);
  for (int y = 0; y < FHeight; ++y) {
    uint8_t* pixel = ScanLine(y);
    for (int x = 0; x < FWidth; ++x, pixel += 3) {
      // Three draws per pixel, red first, as the generator's sequence is part of the result.
      const int red = Random(amount) - half;
      const int green = Random(amount) - half;
      const int blue = Random(amount) - half;
      pixel[kRed] = ClampByte(pixel[kRed] + red);
      pixel[kGreen] = ClampByte(pixel[kGreen] + green);
      pixel[kBlue] = ClampByte(pixel[kBlue] + blue);
    }
  }
}

// The operations below look their results up in small tables made with the arithmetic
// helpers once per call, rather than calling the helpers for every byte of the image.

void TEffectPixels::MixColor(TColor color) const {
  if (GetEmpty()) return;
  const COLORREF rgb = ColorToRGB(color);
  uint8_t mixed[3][256];  // [byte offset in the pixel][channel value]
  const int colour[3] = {GetBValue(rgb), GetGValue(rgb), GetRValue(rgb)};
  for (int c = 0; c < 3; ++c)
    for (int v = 0; v < 256; ++v) mixed[c][v] = static_cast<uint8_t>(Div(v + colour[c], 2));
  for (int y = 0; y < FHeight; ++y) {
    uint8_t* pixel = ScanLine(y);
    for (int x = 0; x < FWidth; ++x, pixel += 3) {
      pixel[kBlue] = mixed[kBlue][pixel[kBlue]];
      pixel[kGreen] = mixed[kGreen][pixel[kGreen]];
      pixel[kRed] = mixed[kRed][pixel[kRed]];
    }
  }
}

void TEffectPixels::Blur(int distance) const {
  if (GetEmpty() || distance <= 0) return;
  const int d = distance;
  uint8_t quarter[4 * 255 + 1];  // sum of four channel values div 4
  for (int sum = 0; sum <= 4 * 255; ++sum) quarter[sum] = static_cast<uint8_t>(Div(sum, 4));
  // The new row is made in a buffer and written back at the end, so the row's own pixels
  // (which stand in for rows outside the image) are read unchanged, while the rows above
  // have been blurred already.
  std::vector<uint8_t> line(static_cast<size_t>(3) * FWidth);
  for (int y = 0; y < FHeight; ++y) {
    const uint8_t* upper = ScanLine(d <= y ? y - d : y);
    const uint8_t* lower = ScanLine(d < FHeight - y ? y + d : y);
    uint8_t* out = line.data();
    for (int x = 0; x < FWidth; ++x, out += 3) {
      const int left = 3 * (d <= x ? x - d : x);
      const int right = 3 * (d < FWidth - x ? x + d : x);
      for (int c = 0; c < 3; ++c)
        out[c] = quarter[upper[left + c] + lower[left + c] + upper[right + c] + lower[right + c]];
    }
    SetLine(y, line);
  }
}

double TEffectPixels::GradientWeight(TGradKind kind, int width, int height, int index) {
  // The weight at `index` of a run that is 0 at `start` and grows by 1 / steps per pixel;
  // a run of one pixel (no steps) stays 0.
  auto along = [](int distance, int steps) {
    return steps > 0 ? static_cast<double>(distance) / steps : 0.0;
  };
  switch (kind) {
    case gdLeft:
      return along(index, width - 1);
    case gdRight:
      return along(width - 1 - index, width - 1);
    case gdTop:
      return along(index, height - 1);
    case gdBottom:
      return along(height - 1 - index, height - 1);
    case gdVCenter: {
      // From the middle column (width div 2) leftwards to column 0; on odd widths then again
      // from 0 at the next column rightwards, both by 1 / ((width - 1) div 2). On even widths
      // that step would take the left run past 1: there each run keeps its own step and ends
      // at exactly 1 on its outer column (on width 2 there is no right run).
      const int middle = Div(width, 2);
      if (index <= middle) return along(middle - index, middle);
      if (width % 2 == 1) return along(index - middle - 1, middle);
      return along(index - middle, width - 1 - middle);
    }
    case gdHCenter: {
      // From the middle row (height div 2) down to the last row; on odd heights then again
      // from 0 at the row above it up to row 0, both by 1 / ((height - 1) div 2). Even
      // heights keep a step of their own for each run, as the columns do.
      const int middle = Div(height, 2);
      if (index >= middle) return along(index - middle, height - 1 - middle);
      if (height % 2 == 1) return along(middle - 1 - index, middle);
      return along(middle - index, middle);
    }
  }
  return 1.0;
}

namespace {

// One channel of a gradient: the image's value weighted t, the colour's 1 - t.
uint8_t GradientChannel(int value, double colour, double t) {
  return ClampByte(static_cast<int>(Round(value * t + colour * (1 - t))));
}

// How many pixels must share a weight before a table of the 3 × 256 results pays.
constexpr int kGradientTableUse = 256;

}  // namespace

void TEffectPixels::FillGradient(TColor color, TGradKind kind) const {
  if (GetEmpty()) return;
  if (kind < gdRight || kind > gdHCenter) return;
  const COLORREF rgb = ColorToRGB(color);
  const double colour[3] = {static_cast<double>(GetBValue(rgb)),
                            static_cast<double>(GetGValue(rgb)),
                            static_cast<double>(GetRValue(rgb))};
  // t depends on the column for the kinds that run along a row, else on the row.
  const bool byColumn = kind == gdRight || kind == gdLeft || kind == gdVCenter;
  const int weightCount = byColumn ? FWidth : FHeight;
  std::vector<double> weights(static_cast<size_t>(weightCount));
  for (int i = 0; i < weightCount; ++i) {
    const double t = GradientWeight(kind, FWidth, FHeight, i);
    weights[static_cast<size_t>(i)] = Max(0.0, Min(1.0, t));
  }

  const int sharing = byColumn ? FHeight : FWidth;  // pixels that share one weight
  if (sharing < kGradientTableUse) {
    for (int y = 0; y < FHeight; ++y) {
      uint8_t* pixel = ScanLine(y);
      for (int x = 0; x < FWidth; ++x, pixel += 3) {
        const double t = weights[static_cast<size_t>(byColumn ? x : y)];
        for (int c = 0; c < 3; ++c) pixel[c] = GradientChannel(pixel[c], colour[c], t);
      }
    }
    return;
  }
  // Large images: every result for a weight is worked out once, in a table of 3 × 256.
  std::vector<uint8_t> tables(static_cast<size_t>(weightCount) * 3 * 256);
  for (int i = 0; i < weightCount; ++i)
    for (int c = 0; c < 3; ++c)
      for (int v = 0; v < 256; ++v)
        tables[(static_cast<size_t>(i) * 3 + c) * 256 + v] =
            GradientChannel(v, colour[c], weights[static_cast<size_t>(i)]);
  for (int y = 0; y < FHeight; ++y) {
    uint8_t* pixel = ScanLine(y);
    for (int x = 0; x < FWidth; ++x, pixel += 3) {
      const uint8_t* table = &tables[static_cast<size_t>(byColumn ? x : y) * 3 * 256];
      for (int c = 0; c < 3; ++c) pixel[c] = table[c * 256 + pixel[c]];
    }
  }
}

void TEffectPixels::MixBitmap(const TEffectPixels& other) const {
  if (GetEmpty() || other.GetEmpty()) return;
  if (other.FWidth != FWidth || other.FHeight != FHeight) return;
  uint8_t half[2 * 255 + 1];  // sum of two channel values div 2
  for (int sum = 0; sum <= 2 * 255; ++sum) half[sum] = static_cast<uint8_t>(Div(sum, 2));
  const int bytes = 3 * FWidth;
  for (int y = 0; y < FHeight; ++y) {
    uint8_t* own = ScanLine(y);
    const uint8_t* theirs = other.ScanLine(y);
    for (int i = 0; i < bytes; ++i) own[i] = half[own[i] + theirs[i]];
  }
}

// ---- TEffectBmp -----------------------------------------------------------------------------

TEffectBmp::TEffectBmp(int width, int height) {
  if (width <= 0 || height <= 0) return;
  if (width > kMaxWidth || EffectRowBytes(width) > INT_MAX / height)
    throw EOutOfResources(L"Out of system resources");
  BITMAPINFOHEADER& header = FBitmapInfo.bmiHeader;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = -height;  // top-down: row 0 is the top row
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  void* bits = nullptr;
  FSection.reset(::CreateDIBSection(nullptr, &FBitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!FSection || !bits) throw EOutOfResources(L"Out of system resources");
  FPixels = TEffectPixels(static_cast<uint8_t*>(bits), width, height);
}

std::unique_ptr<TEffectBmp> TEffectBmp::CreateFromBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || ::GetObjectW(bitmap, sizeof(info), &info) != sizeof(info))
    throw EInvalidGraphic(L"Bitmap image is not valid");
  auto result = std::make_unique<TEffectBmp>(info.bmWidth, info.bmHeight < 0 ? -info.bmHeight
                                                                            : info.bmHeight);
  if (result->FPixels.GetEmpty()) return result;
  UniqueDC display(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
  if (!display) throw EOutOfResources(L"Out of system resources");
  // GetDIBits may write into the header it is given: it gets a copy.
  BITMAPINFO header = result->FBitmapInfo;
  const int rows = result->GetHeight();
  if (::GetDIBits(display.get(), bitmap, 0, static_cast<UINT>(rows), result->FPixels.GetBits(),
                  &header, DIB_RGB_COLORS) != rows)
    throw EInvalidGraphic(L"Bitmap image is not valid");
  ::GdiFlush();
  return result;
}

void TEffectBmp::Draw(HDC dc, int x, int y) const {
  if (!dc || FPixels.GetEmpty()) return;
  ::GdiFlush();
  BITMAPINFO header = FBitmapInfo;
  ::SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(GetWidth()), static_cast<DWORD>(GetHeight()),
                      0, 0, 0, static_cast<UINT>(GetHeight()), FPixels.GetBits(), &header,
                      DIB_RGB_COLORS);
}
