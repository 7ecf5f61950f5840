// The LZW coder of GIF frames, working between a frame's encoded data (the minimum code
// size byte followed by data sub-blocks) and the rows of a Windows DIB of 1, 4 or 8 bits per
// pixel (bottom-up, each row padded to 4 bytes, the leftmost pixel in the high bits).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

class TStream;

namespace rxgif {

// Bytes in one DIB row of the given width and depth.
inline size_t DibRowBytes(int width, int depth) {
  return ((static_cast<size_t>(depth) * static_cast<size_t>(width) + 31) / 32) * 4;
}

// Called with a percentage while coding; may be empty.
using TCodecProgress = std::function<void(int percent)>;

// The geometry of the DIB a frame is decoded into or encoded from.
struct TDibLayout {
  int Width = 0;
  int Height = 0;
  int Depth = 8;           // 1, 4 or 8 bits per pixel
  bool Interlaced = false; // the GIF rows are in interlaced order
};

// Decodes data (size bytes) into dib, which holds DibRowBytes * Height zeroed bytes. The
// pixel values are masked to colorBits bits. Returns true when the data was corrupt (a bad
// code size, an invalid code, a chain too long), in which case the rows decoded so far
// stay. tolerate false raises EInvalidGraphicOperation for a bad code size or a corrupt
// chain instead. Data that ends before the end code while rows remain raises EReadError
// "Stream read error" (callers that tolerate it catch it). Never writes outside dib.
bool DecodeLZW(const uint8_t* data, size_t size, const TDibLayout& layout, int colorBits,
               uint8_t* dib, bool tolerate, const TCodecProgress& progress = nullptr);

// Encodes the pixels of dib into out as a frame's encoded data (the code size byte, the
// sub-blocks and the zero terminator).
void EncodeLZW(const uint8_t* dib, const TDibLayout& layout, TStream& out,
               const TCodecProgress& progress = nullptr);

}  // namespace rxgif
