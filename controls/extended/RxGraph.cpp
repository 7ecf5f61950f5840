// Colour reduction to 1, 4 or 8 bits per pixel.
//
// The 8-bit path takes the picture as a 24-bit DIB (rows bottom-up, padded to 4 bytes, pixels
// blue, green, red), lets the chosen method fill a 256-entry palette and map every pixel to an
// index, and writes a BMP of header, palette and index rows. All sizes are computed in 64
// bits; a picture beyond GDI's own limits is refused before anything is allocated for it.
#include "RxGraph.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "classlib/stdctrls/MessageDialogs.h"
#include "classlib/system/SysExceptions.h"

TMappingMethod DefaultMappingMethod = mmMostFrequent;

std::function<void(const String& msg)> NotImplementedResponder = [](const String& msg) {
  MessageDlg(msg, mtError, TMsgDlgButtons{mbOK}, 0);
};

void RaiseNotImplemented() {
  if (NotImplementedResponder) NotImplementedResponder(L"Function not yet implemented");
  throw EAbort(L"Operation aborted");
}

namespace {

constexpr uint64_t MaxReducedPixels = 64ull * 1024 * 1024;

size_t RowBytes(int width, int bits) {
  return static_cast<size_t>((static_cast<uint64_t>(width) * bits + 31) / 32 * 4);
}

// For every byte value, the index of the nearest level of a scale (the lower on a tie).
template <size_t N>
std::array<uint8_t, 256> NearestLevels(const std::array<uint8_t, N>& levels) {
  std::array<uint8_t, 256> table{};
  for (int v = 0; v < 256; ++v) {
    int best = 0;
    for (size_t i = 1; i < N; ++i)
      if (std::abs(levels[i] - v) < std::abs(levels[best] - v)) best = static_cast<int>(i);
    table[v] = static_cast<uint8_t>(best);
  }
  return table;
}

const std::array<uint8_t, 4> Levels4{0, 0x55, 0xAA, 0xFF};
const std::array<uint8_t, 6> Levels6{0, 0x33, 0x66, 0x99, 0xCC, 0xFF};
const std::array<uint8_t, 7> Levels7{0, 0x2B, 0x55, 0x80, 0xAA, 0xD5, 0xFF};
const std::array<uint8_t, 8> Levels8{0, 0x24, 0x49, 0x6D, 0x92, 0xB6, 0xDB, 0xFF};
const std::array<uint8_t, 256> Nearest4 = NearestLevels(Levels4);
const std::array<uint8_t, 256> Nearest6 = NearestLevels(Levels6);
const std::array<uint8_t, 256> Nearest7 = NearestLevels(Levels7);
const std::array<uint8_t, 256> Nearest8 = NearestLevels(Levels8);

const RGBQUAD Grey128{128, 128, 128, 128};

// Calls f(x, y, b, g, r, index&) for every pixel; y counts DIB rows.
template <class F>
void ForEachPixel(const uint8_t* pixels24, int width, int height, uint8_t* indices8, F f) {
  const size_t inRow = RowBytes(width, 24), outRow = RowBytes(width, 8);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = pixels24 + inRow * static_cast<size_t>(y);
    uint8_t* out = indices8 + outRow * static_cast<size_t>(y);
    for (int x = 0; x < width; ++x) f(x, y, in[3 * x], in[3 * x + 1], in[3 * x + 2], out[x]);
  }
}

// ---- Method 0: the most frequent colours --------------------------------------------------

struct TColorEntry {
  uint8_t B, G, R;
  uint32_t Count;
  uint8_t Index;
};

class TColorCounter {
 public:
  static constexpr int Slots = 5191;
  static constexpr int MaxEntries = 2049;

  // Counts the colours under the masks; false when a 2050th colour was met.
  bool Count(const uint8_t* pixels24, int width, int height) {
    std::fill(FSlots.begin(), FSlots.end(), uint16_t{0xFFFF});
    FEntries.clear();
    const size_t inRow = RowBytes(width, 24);
    for (int y = 0; y < height; ++y) {
      const uint8_t* in = pixels24 + inRow * static_cast<size_t>(y);
      for (int x = 0; x < width; ++x) {
        const int slot = Find(in[3 * x], in[3 * x + 1], in[3 * x + 2], true);
        if (slot < 0) return false;
        ++FEntries[FSlots[slot]].Count;
      }
    }
    return true;
  }
  // Makes one mask coarser: green, blue or red as their masks compare.
  void Coarsen() {
    if (FMaskR < FMaskG) FMaskG = static_cast<uint8_t>(FMaskG << 1);
    else if (FMaskR <= FMaskB) FMaskB = static_cast<uint8_t>(FMaskB << 1);
    else FMaskR = static_cast<uint8_t>(FMaskR << 1);
  }
  // The slot of the masked colour; with add, a new entry is made (-1 when full).
  int Find(uint8_t b, uint8_t g, uint8_t r, bool add) {
    b &= FMaskB;
    g &= FMaskG;
    r &= FMaskR;
    int slot = static_cast<int>((static_cast<uint32_t>(r + g) * (g + b) * (b + r)) % Slots);
    while (FSlots[slot] != 0xFFFF) {
      const TColorEntry& e = FEntries[FSlots[slot]];
      if (e.B == b && e.G == g && e.R == r) return slot;
      if (++slot == Slots) slot = 0;
    }
    if (!add) return -1;
    if (static_cast<int>(FEntries.size()) >= MaxEntries) return -1;
    FSlots[slot] = static_cast<uint16_t>(FEntries.size());
    FEntries.push_back(TColorEntry{b, g, r, 0, 0});
    return slot;
  }
  std::vector<TColorEntry>& Entries() { return FEntries; }
  uint16_t EntryAt(int slot) const { return FSlots[slot]; }

 private:
  std::vector<uint16_t> FSlots = std::vector<uint16_t>(Slots, 0xFFFF);
  std::vector<TColorEntry> FEntries;
  uint8_t FMaskR = 0xFF, FMaskG = 0xFF, FMaskB = 0xFF;
};

int MostFrequent(const uint8_t* pixels24, int width, int height, uint8_t* indices8, RGBQUAD* palette) {
  TColorCounter counter;
  for (int round = 0; round < 24 && !counter.Count(pixels24, width, height); ++round) counter.Coarsen();
  std::vector<TColorEntry>& entries = counter.Entries();
  std::vector<bool> placed(entries.size(), false);
  std::vector<uint32_t> counts(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) counts[i] = entries[i].Count;
  int used = 0;
  for (; used < 256; ++used) {
    int best = -1;
    for (size_t i = 0; i < entries.size(); ++i)
      if (!placed[i] && (best < 0 || counts[i] > counts[static_cast<size_t>(best)])) best = static_cast<int>(i);
    if (best < 0) break;
    placed[static_cast<size_t>(best)] = true;
    entries[static_cast<size_t>(best)].Index = static_cast<uint8_t>(used);
    palette[used] = RGBQUAD{entries[best].B, entries[best].G, entries[best].R, 0};
  }
  for (int i = used; i < 256; ++i) palette[i] = RGBQUAD{128, 128, 128, 0};
  for (size_t i = 0; i < entries.size(); ++i) {
    if (placed[i]) continue;
    int best = 0;
    int bestDistance = INT_MAX;
    for (int p = 0; p < used; ++p) {
      const int dr = palette[p].rgbRed - entries[i].R, dg = palette[p].rgbGreen - entries[i].G,
                db = palette[p].rgbBlue - entries[i].B;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = p;
      }
    }
    entries[i].Index = static_cast<uint8_t>(best);
  }
  ForEachPixel(pixels24, width, height, indices8, [&](int, int, uint8_t b, uint8_t g, uint8_t r, uint8_t& out) {
    const int slot = counter.Find(b, g, r, false);
    out = slot < 0 ? 0 : entries[counter.EntryAt(slot)].Index;
  });
  return used;
}

// ---- Method 1: median cut -------------------------------------------------------------------

struct TBox {
  int Start = 0;        // first cell of the box in the cell order
  int Cells = 0;        // number of cells
  uint64_t Total = 0;   // pixels in the box
  int Lower[3] = {0, 0, 0};     // red, green, blue
  int Extent[3] = {255, 255, 255};
};

int CellChannel(int cell, int channel) { return (cell >> (8 - 4 * channel)) & 15; }

int MedianCut(const uint8_t* pixels24, int width, int height, uint8_t* indices8, RGBQUAD* palette) {
  std::vector<uint64_t> histogram(4096, 0);
  ForEachPixel(pixels24, width, height, indices8, [&](int, int, uint8_t b, uint8_t g, uint8_t r, uint8_t&) {
    ++histogram[((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4)];
  });
  std::vector<int> cells;
  for (int c = 0; c < 4096; ++c)
    if (histogram[c]) cells.push_back(c);
  std::vector<TBox> boxes(1);
  boxes[0].Cells = static_cast<int>(cells.size());
  boxes[0].Total = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  while (boxes.size() < 256) {
    int pick = -1, channel = 0, largest = -1;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].Cells < 2) continue;
      for (int ch = 0; ch < 3; ++ch)
        if (boxes[i].Extent[ch] > largest) {
          largest = boxes[i].Extent[ch];
          pick = static_cast<int>(i);
          channel = ch;
        }
    }
    if (pick < 0) break;
    TBox& box = boxes[static_cast<size_t>(pick)];
    auto first = cells.begin() + box.Start;
    std::stable_sort(first, first + box.Cells, [channel](int a, int b) {
      return CellChannel(a, channel) < CellChannel(b, channel);
    });
    int kept = 1;
    uint64_t keptTotal = histogram[cells[static_cast<size_t>(box.Start)]];
    while (kept < box.Cells - 1) {
      const uint64_t next = histogram[cells[static_cast<size_t>(box.Start + kept)]];
      if ((keptTotal + next) * 2 > box.Total) break;
      keptTotal += next;
      ++kept;
    }
    TBox split = box;
    split.Start = box.Start + kept;
    split.Cells = box.Cells - kept;
    // The kept cells stay in the old box and the rest form the new one: each is credited
    // with the pixels of its own cells.
    split.Total = box.Total - keptTotal;
    box.Cells = kept;
    box.Total = keptTotal;
    const int upper = box.Lower[channel] + box.Extent[channel];
    const int lastKept = CellChannel(cells[static_cast<size_t>(box.Start + kept - 1)], channel);
    const int firstRest = CellChannel(cells[static_cast<size_t>(split.Start)], channel);
    box.Extent[channel] = std::max(lastKept * 16 - box.Lower[channel], 0);
    split.Lower[channel] = firstRest * 16;
    split.Extent[channel] = std::max(upper - split.Lower[channel], 0);
    boxes.push_back(split);
  }
  std::vector<uint8_t> cellIndex(4096, 0);
  for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{0, 0, 0, 0};
  for (size_t i = 0; i < boxes.size(); ++i) {
    const TBox& box = boxes[i];
    if (box.Cells == 0) continue;
    int sums[3] = {0, 0, 0};
    for (int k = 0; k < box.Cells; ++k) {
      const int cell = cells[static_cast<size_t>(box.Start + k)];
      for (int ch = 0; ch < 3; ++ch) sums[ch] += CellChannel(cell, ch);
      cellIndex[cell] = static_cast<uint8_t>(i);
    }
    int rgb[3];
    for (int ch = 0; ch < 3; ++ch) rgb[ch] = std::min((sums[ch] * 16 + 15) / box.Cells, 255);
    if (rgb[0] <= 16 && rgb[1] <= 16 && rgb[2] <= 16) rgb[0] = rgb[1] = rgb[2] = 0;
    palette[i] = RGBQUAD{static_cast<uint8_t>(rgb[2]), static_cast<uint8_t>(rgb[1]),
                         static_cast<uint8_t>(rgb[0]), 0};
  }
  ForEachPixel(pixels24, width, height, indices8, [&](int, int, uint8_t b, uint8_t g, uint8_t r, uint8_t& out) {
    out = cellIndex[((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4)];
  });
  return cells.empty() ? 0 : static_cast<int>(boxes.size());
}

}  // namespace

int MapPixels(const uint8_t* pixels24, int width, int height, TMappingMethod method,
              uint8_t* indices8, RGBQUAD* palette) {
  switch (method) {
    case mmMostFrequent: return MostFrequent(pixels24, width, height, indices8, palette);
    case mmMedianCut: return MedianCut(pixels24, width, height, indices8, palette);
    case mmFixed784:
      for (int i = 0; i < 256; ++i) palette[i] = Grey128;
      for (int r = 0; r < 7; ++r)
        for (int g = 0; g < 8; ++g)
          for (int b = 0; b < 4; ++b)
            palette[(r * 8 + g) * 4 + b] = RGBQUAD{Levels4[b], Levels8[g], Levels7[r], 0};
      ForEachPixel(pixels24, width, height, indices8, [](int, int, uint8_t b, uint8_t g, uint8_t r, uint8_t& out) {
        out = static_cast<uint8_t>((Nearest7[r] * 8 + Nearest8[g]) * 4 + Nearest4[b]);
      });
      return 224;
    case mmFixed666:
      for (int i = 0; i < 256; ++i) palette[i] = Grey128;
      for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
          for (int b = 0; b < 6; ++b)
            palette[(r * 6 + g) * 6 + b] = RGBQUAD{Levels6[b], Levels6[g], Levels6[r], 0};
      ForEachPixel(pixels24, width, height, indices8, [](int, int, uint8_t b, uint8_t g, uint8_t r, uint8_t& out) {
        out = static_cast<uint8_t>((Nearest6[r] * 6 + Nearest6[g]) * 6 + Nearest6[b]);
      });
      return 216;
    case mmChannelRamps:
      for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{0, 0, 0, 0};
      for (int k = 0; k < 64; ++k) {
        const uint8_t level = static_cast<uint8_t>(4 * k);
        palette[k] = RGBQUAD{0, 0, level, 0};
        palette[64 + k] = RGBQUAD{0, level, 0, 0};
        palette[128 + k] = RGBQUAD{level, 0, 0, 0};
      }
      ForEachPixel(pixels24, width, height, indices8, [](int x, int y, uint8_t b, uint8_t g, uint8_t r, uint8_t& out) {
        switch ((x + y) % 3) {
          case 0: out = static_cast<uint8_t>(r >> 2); break;
          case 1: out = static_cast<uint8_t>((g >> 2) + 64); break;
          default: out = static_cast<uint8_t>((b >> 2) + 128);
        }
      });
      return 192;
    case mmGrayscale:
      for (int i = 0; i < 256; ++i) {
        const uint8_t v = static_cast<uint8_t>(i);
        palette[i] = RGBQUAD{v, v, v, 0};
      }
      ForEachPixel(pixels24, width, height, indices8, [](int, int, uint8_t b, uint8_t g, uint8_t r, uint8_t& out) {
        out = static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8);
      });
      return 256;
  }
  return 0;
}

std::unique_ptr<TMemoryStream> ReduceBitmapToStream(TBitmap* bitmap, TPixelFormat target,
                                                    TMappingMethod method) {
  if (!bitmap || bitmap->GetEmpty() || !bitmap->GetHandle())
    throw EInvalidGraphic(L"Bitmap image is not valid");
  auto stream = std::make_unique<TMemoryStream>();
  if (target == bitmap->GetPixelFormat() && method != mmGrayscale) {
    bitmap->SaveToStream(*stream);
    stream->SetPosition(0);
    return stream;
  }
  if (target != pf1bit && target != pf4bit && target != pf8bit && target != pf24bit)
    RaiseNotImplemented();
  const int width = bitmap->GetWidth(), height = bitmap->GetHeight();
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > MaxReducedPixels)
    throw EInvalidGraphic(L"Bitmap image is not valid");
  TBitmap copy;
  copy.Assign(bitmap);
  if (target != pf8bit) {
    copy.SetPixelFormat(target);
    copy.SaveToStream(*stream);
    stream->SetPosition(0);
    return stream;
  }
  copy.SetPixelFormat(pf24bit);
  const size_t inRow = RowBytes(width, 24), outRow = RowBytes(width, 8);
  std::vector<uint8_t> pixels(inRow * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)  // DIB order: the bottom row first
    std::memcpy(pixels.data() + inRow * static_cast<size_t>(height - 1 - y), copy.GetScanLine(y),
                static_cast<size_t>(width) * 3);
  std::vector<uint8_t> indices(outRow * static_cast<size_t>(height), 0);
  RGBQUAD palette[256];
  const int used = MapPixels(pixels.data(), width, height, method, indices.data(), palette);

  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof(ih);
  ih.biWidth = width;
  ih.biHeight = height;
  ih.biPlanes = 1;
  ih.biBitCount = 8;
  ih.biCompression = BI_RGB;
  ih.biSizeImage = static_cast<DWORD>(indices.size());
  ih.biClrUsed = 256;
  ih.biClrImportant = static_cast<DWORD>(used);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = static_cast<DWORD>(sizeof(fh) + sizeof(ih) + sizeof(palette));
  fh.bfSize = static_cast<DWORD>(fh.bfOffBits + indices.size());
  stream->WriteBuffer(&fh, sizeof(fh));
  stream->WriteBuffer(&ih, sizeof(ih));
  stream->WriteBuffer(palette, sizeof(palette));
  stream->WriteBuffer(indices.data(), static_cast<int>(indices.size()));
  stream->SetPosition(0);
  return stream;
}

void ReduceBitmapToColorCount(TBitmap* bitmap, int colors) {
  const TPixelFormat target =
      colors <= 2 ? pf1bit : colors <= 16 ? pf4bit : colors <= 256 ? pf8bit : pf24bit;
  std::unique_ptr<TMemoryStream> stream = ReduceBitmapToStream(bitmap, target, DefaultMappingMethod);
  bitmap->LoadFromStream(*stream);
}
