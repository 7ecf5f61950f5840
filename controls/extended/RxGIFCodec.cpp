// The LZW coder of GIF frames.
//
// Encoded data: one byte, the minimum code size (2..9 accepted here), then data sub-blocks
// (a size byte 1..255 and that many bytes) up to a sub-block of size 0. Codes are packed
// least-significant bit first across sub-block boundaries; a sub-block may be a single
// byte, so a 12-bit code can span three of them. Nothing in the data is trusted: a
// sub-block that claims more bytes than remain ends the data where the bytes end.
//
// Decoding: the string table holds 4096 entries (prefix code, suffix character); the
// characters of one code are pushed on a stack by walking the prefix chain and written out
// in reverse. The table is initialised before the first code, a first code that is not a
// clear code is taken as a literal, a code beyond the next free one ends the decoding as
// corrupt, and the stack is bounded. Output goes through a cursor that stops at the last
// row, so no code writes outside the DIB however the data lies.
//
// Encoding: strings are found through a hash table of 17777 slots over an entry pool of
// 4096 codes; the table is cleared (and a clear code written) when code 4094 is assigned.
#include "RxGIFCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/classes/Streams.h"
#include "classlib/system/SysExceptions.h"

namespace rxgif {
namespace {

constexpr int MaxCodes = 4096;    // 12-bit codes
constexpr int StackSize = 4097;   // the longest string plus one character

// ---- Row order ---------------------------------------------------------------------------

// Walks the image rows in GIF order (straight, or the four interlace passes); passes whose
// start row lies outside the image are skipped.
class TRowOrder {
 public:
  TRowOrder(int height, bool interlaced) : FHeight(height), FInterlaced(interlaced) {
    FDone = height <= 0;
  }
  bool Done() const { return FDone; }
  int Row() const { return FRow; }
  void Next() {
    if (!FInterlaced) {
      FDone = ++FRow >= FHeight;
      return;
    }
    FRow += PassStep[FPass];
    while (FRow >= FHeight) {
      if (++FPass >= 4) {
        FDone = true;
        return;
      }
      FRow = PassStart[FPass];
    }
  }

 private:
  static constexpr int PassStart[4] = {0, 4, 2, 1};
  static constexpr int PassStep[4] = {8, 8, 4, 2};
  int FHeight;
  bool FInterlaced;
  int FRow = 0;
  int FPass = 0;
  bool FDone = false;
};

// ---- Decoder ----------------------------------------------------------------------------

// Reads codes from the sub-blocks that follow the code size byte.
class TBitSource {
 public:
  TBitSource(const uint8_t* data, const uint8_t* end) : FData(data), FEnd(end) {}

  // False when the data ends before width more bits.
  bool Read(int width, int& code) {
    while (FBitCount < width) {
      if (FBlockLeft == 0 && !NextBlock()) return false;
      FBits |= static_cast<uint32_t>(*FData++) << FBitCount;
      FBitCount += 8;
      --FBlockLeft;
    }
    code = static_cast<int>(FBits & ((1u << width) - 1));
    FBits >>= width;
    FBitCount -= width;
    return true;
  }
  const uint8_t* Position() const { return FData; }

 private:
  bool NextBlock() {
    if (FEnded || FData >= FEnd) return (FEnded = true, false);
    FBlockLeft = *FData++;
    // A sub-block that claims more than remains is cut at the end of the data.
    FBlockLeft = std::min<size_t>(FBlockLeft, static_cast<size_t>(FEnd - FData));
    if (FBlockLeft == 0) return (FEnded = true, false);
    return true;
  }

  const uint8_t* FData;    // the next unread byte
  const uint8_t* FEnd;     // one past the last byte
  size_t FBlockLeft = 0;   // bytes left in the current sub-block
  bool FEnded = false;     // the terminator or the end of the data was met
  uint32_t FBits = 0;      // bits read but not yet used, lowest first
  int FBitCount = 0;       // number of valid bits in FBits
};

// Writes pixel values into the DIB row by row in GIF order.
class TPixelSink {
 public:
  TPixelSink(uint8_t* dib, const TDibLayout& layout)
      : FDib(dib), FRowBytes(DibRowBytes(layout.Width, layout.Depth)), FWidth(layout.Width),
        FHeight(layout.Height), FDepth(layout.Depth), FOrder(layout.Height, layout.Interlaced) {
    FDone = FWidth <= 0 || FOrder.Done();
    if (!FDone) SelectRow();
  }
  bool Done() const { return FDone; }
  void Put(unsigned value) {
    if (FDone) return;
    switch (FDepth) {
      case 8: FLine[FColumn] = static_cast<uint8_t>(value); break;
      case 4: FLine[FColumn >> 1] |= static_cast<uint8_t>((FColumn & 1) ? value : value << 4); break;
      default:
        if (value & 1) FLine[FColumn >> 3] |= static_cast<uint8_t>(0x80 >> (FColumn & 7));
    }
    if (++FColumn == FWidth) {
      FColumn = 0;
      FOrder.Next();
      if (FOrder.Done()) FDone = true;
      else SelectRow();
    }
  }

 private:
  void SelectRow() { FLine = FDib + static_cast<size_t>(FHeight - 1 - FOrder.Row()) * FRowBytes; }

  uint8_t* FDib;
  size_t FRowBytes;
  int FWidth, FHeight, FDepth;
  TRowOrder FOrder;
  uint8_t* FLine = nullptr;  // the DIB row of the current image row
  int FColumn = 0;
  bool FDone = false;        // every row has been filled
};

}  // namespace

bool DecodeLZW(const uint8_t* data, size_t size, const TDibLayout& layout, int colorBits,
               uint8_t* dib, bool tolerate, const TCodecProgress& progress) {
  if (layout.Depth != 1 && layout.Depth != 4 && layout.Depth != 8)
    throw EInvalidGraphicOperation(L"Wrong number of colors; must be a power of 2");
  if (size == 0) throw EReadError(L"Stream read error");
  bool corrupt = false;
  int codeSize = data[0];
  if (codeSize < 2 || codeSize > 9) {
    if (!tolerate) throw EInvalidGraphicOperation(L"GIF code size not in range 2 to 9");
    codeSize = std::clamp(codeSize, 2, 9);
    corrupt = true;
  }
  const unsigned pixelMask = (1u << std::clamp(colorBits, 1, layout.Depth)) - 1;
  const int clearCode = 1 << codeSize;
  const int endCode = clearCode + 1;
  const int firstFree = clearCode + 2;

  std::vector<uint16_t> prefix(MaxCodes, 0), suffix(MaxCodes, 0), stack(StackSize, 0);
  for (int i = 0; i < clearCode; ++i) suffix[i] = static_cast<uint16_t>(i);

  TBitSource bits(data + 1, data + size);
  TPixelSink sink(dib, layout);
  int width = codeSize + 1;
  int limit = 1 << width;
  int nextFree = firstFree;
  bool tableFull = false;
  int previous = -1;     // the previous code; -1 at the start and after a clear code
  int firstChar = 0;     // the first character of the previous code's string
  int lastPercent = -1;
  unsigned codesRead = 0;

  while (!sink.Done()) {
    int code;
    if (!bits.Read(width, code)) throw EReadError(L"Stream read error");
    // Progress every 4096 codes, not after each one: a handler call per code would take as
    // long as the decoding itself, and the percentages reported are the same.
    if (progress && (++codesRead & 0xFFF) == 0) {
      const int percent = static_cast<int>((bits.Position() - data) * 100 / static_cast<ptrdiff_t>(size));
      if (percent != lastPercent) progress(lastPercent = percent);
    }
    if (code == endCode) break;
    if (code == clearCode) {
      width = codeSize + 1;
      limit = 1 << width;
      nextFree = firstFree;
      tableFull = false;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      // The first code after a clear code (or of data without one) must be a literal.
      if (code >= clearCode) return true;
      sink.Put(code & pixelMask);
      previous = firstChar = code;
      continue;
    }
    const int inCode = code;
    int depth = 0;
    if (code > nextFree || (code == nextFree && tableFull)) return true;
    if (code == nextFree) {
      stack[depth++] = static_cast<uint16_t>(firstChar);
      code = previous;
    }
    while (code >= firstFree) {
      if (depth >= MaxCodes) {
        if (!tolerate) throw EInvalidGraphicOperation(L"GIF encoded data is corrupt");
        return true;
      }
      stack[depth++] = suffix[code];
      code = prefix[code];
    }
    firstChar = code;
    stack[depth++] = static_cast<uint16_t>(code);
    while (depth > 0) sink.Put(stack[--depth] & pixelMask);
    if (!tableFull) {
      prefix[nextFree] = static_cast<uint16_t>(previous);
      suffix[nextFree] = static_cast<uint16_t>(firstChar);
      if (++nextFree >= limit) {
        if (width < 12) {
          ++width;
          limit <<= 1;
        } else {
          tableFull = true;
        }
      }
    }
    previous = inCode;
  }
  if (progress) progress(100);
  return corrupt;
}

// ---- Encoder -------------------------------------------------------------------------------

namespace {

constexpr int HashSlots = 17777;

// Packs codes into 255-byte sub-blocks.
class TBitSink {
 public:
  explicit TBitSink(TStream& out) : FOut(out) {}
  void Put(int code, int width) {
    FBits |= static_cast<uint32_t>(code) << FBitCount;
    FBitCount += width;
    while (FBitCount >= 8) {
      FBuffer[FCount++] = static_cast<uint8_t>(FBits);
      FBits >>= 8;
      FBitCount -= 8;
      if (FCount == 255) Flush();
    }
  }
  // Writes what is left and the zero-length terminator.
  void Finish() {
    if (FBitCount > 0) FBuffer[FCount++] = static_cast<uint8_t>(FBits);
    FBits = 0;
    FBitCount = 0;
    if (FCount > 0) Flush();
    const uint8_t terminator = 0;
    FOut.WriteBuffer(&terminator, 1);
  }

 private:
  void Flush() {
    const uint8_t count = static_cast<uint8_t>(FCount);
    FOut.WriteBuffer(&count, 1);
    FOut.WriteBuffer(FBuffer, FCount);
    FCount = 0;
  }
  TStream& FOut;
  uint8_t FBuffer[256] = {};
  int FCount = 0;        // bytes in FBuffer
  uint32_t FBits = 0;    // bits not yet in FBuffer, lowest first
  int FBitCount = 0;
};

struct TEncodeEntry {
  int16_t Prefix;
  int16_t Code;
  uint8_t Suffix;
};

}  // namespace

void EncodeLZW(const uint8_t* dib, const TDibLayout& layout, TStream& out,
               const TCodecProgress& progress) {
  if (layout.Depth != 1 && layout.Depth != 4 && layout.Depth != 8)
    throw EInvalidGraphicOperation(L"GIF image encoding error");
  const int startWidth = layout.Depth == 1 ? 3 : layout.Depth + 1;
  const uint8_t minCodeSize = static_cast<uint8_t>(startWidth - 1);
  out.WriteBuffer(&minCodeSize, 1);
  const int clearCode = 1 << (startWidth - 1);
  const int endCode = clearCode + 1;
  const size_t rowBytes = DibRowBytes(layout.Width, layout.Depth);

  std::vector<int16_t> slots(HashSlots, -1);
  std::vector<TEncodeEntry> pool(MaxCodes);
  TBitSink sink(out);
  int width = startWidth;
  int limit = 1 << width;
  int lastCode = endCode;
  int prefix = 0;
  unsigned length = 0;  // characters in the current string
  uint32_t key = 0;
  sink.Put(clearCode, width);

  TRowOrder order(layout.Height, layout.Interlaced);
  int rowsDone = 0;
  for (; !order.Done(); order.Next()) {
    const uint8_t* line = dib + static_cast<size_t>(layout.Height - 1 - order.Row()) * rowBytes;
    for (int x = 0; x < layout.Width; ++x) {
      unsigned c;
      if (layout.Depth == 8) c = line[x];
      else if (layout.Depth == 4) c = (x & 1) ? line[x >> 1] & 0x0F : line[x >> 1] >> 4;
      else c = (line[x >> 3] >> (7 - (x & 7))) & 1;
      ++length;
      if (length == 1) {
        prefix = static_cast<int>(c);
        key = (c + 3) * 301;
        continue;
      }
      key = ((c + length + 4) * key) % HashSlots;
      int slot = static_cast<int>(key);
      bool found = false;
      while (slots[slot] >= 0) {
        const TEncodeEntry& entry = pool[slots[slot]];
        if (entry.Prefix == prefix && entry.Suffix == c) {
          prefix = entry.Code;
          found = true;
          break;
        }
        if (++slot == HashSlots) slot = 0;
      }
      if (found) continue;
      sink.Put(prefix, width);
      ++lastCode;
      pool[lastCode] = TEncodeEntry{static_cast<int16_t>(prefix), static_cast<int16_t>(lastCode),
                                    static_cast<uint8_t>(c)};
      slots[slot] = static_cast<int16_t>(lastCode);
      prefix = static_cast<int>(c);
      key = (c + 3) * 301;
      length = 1;
      if (lastCode == limit) {
        limit <<= 1;
        ++width;
      } else if (lastCode == MaxCodes - 2) {
        sink.Put(prefix, width);
        sink.Put(clearCode, width);
        length = 0;
        lastCode = endCode;
        width = startWidth;
        limit = 1 << width;
        std::fill(slots.begin(), slots.end(), int16_t{-1});
      }
    }
    if (progress && layout.Height > 0) progress(++rowsDone * 100 / layout.Height);
  }
  if (length > 0) {
    sink.Put(prefix, width);
    // A decoder adds an entry for this code too (unless it is the first after a clear) and
    // may widen its codes before it reads the end code.
    if (lastCode != endCode && lastCode + 1 == limit && width < 12) ++width;
  }
  sink.Put(endCode, width);
  sink.Finish();
}

}  // namespace rxgif
