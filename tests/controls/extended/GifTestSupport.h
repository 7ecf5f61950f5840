// Test support for the GIF, animated-cursor and icon-list tests: files of the reference
// decoder's package, the reference decoder run on bytes in memory, our decoder run on one
// frame, and small GIF and icon files built in code.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "classlib/classes/Streams.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Icon.h"
#include "controls/extended/RxGIF.h"
#include "controls/extended/RxGIFCodec.h"
#include "gif_lib.h"

namespace giftest {

using Bytes = std::vector<uint8_t>;

inline Bytes ReadFileBytes(const std::string& path) {
  Bytes bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
  }
  return bytes;
}

inline std::string ReferenceImage(const char* name) { return std::string(GIF_REFERENCE_IMAGES) + "/" + name; }

// The test images of the reference decoder's package.
inline const std::vector<const char*>& ReferenceImageNames() {
  static const std::vector<const char*> names{"fire.gif",     "gifgrid.gif",   "porsche.gif",
                                              "solid2.gif",   "treescap.gif",  "treescap-interlaced.gif",
                                              "welcome2.gif", "x-trans.gif"};
  return names;
}

// One frame as the reference decoder gives it: indices row by row from the top.
struct TRefFrame {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool Interlaced = false;
  int Delay = 0, Disposal = 0, TransparentIndex = -1;
  std::vector<uint8_t> Indices;
  std::vector<GifColorType> Colors;  // the frame's effective colour table
};

struct TRefImage {
  bool Ok = false;
  int Width = 0, Height = 0;
  std::vector<TRefFrame> Frames;
};

struct TMemoryInput {
  const Bytes* Data;
  size_t Pos = 0;
};

inline int ReadMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* input = static_cast<TMemoryInput*>(gif->UserData);
  const size_t n = std::min<size_t>(static_cast<size_t>(count), input->Data->size() - input->Pos);
  std::memcpy(buffer, input->Data->data() + input->Pos, n);
  input->Pos += n;
  return static_cast<int>(n);
}

inline TRefImage ReferenceDecode(const Bytes& bytes) {
  TRefImage result;
  TMemoryInput input{&bytes};
  int error = 0;
  GifFileType* gif = DGifOpen(&input, ReadMemory, &error);
  if (!gif) return result;
  if (DGifSlurp(gif) == GIF_OK) {
    result.Ok = true;
    result.Width = gif->SWidth;
    result.Height = gif->SHeight;
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& saved = gif->SavedImages[i];
      TRefFrame frame;
      frame.Left = saved.ImageDesc.Left;
      frame.Top = saved.ImageDesc.Top;
      frame.Width = saved.ImageDesc.Width;
      frame.Height = saved.ImageDesc.Height;
      frame.Interlaced = saved.ImageDesc.Interlace;
      GraphicsControlBlock gcb{};
      gcb.TransparentColor = -1;
      if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
        frame.Delay = gcb.DelayTime;
        frame.Disposal = gcb.DisposalMode;
        frame.TransparentIndex = gcb.TransparentColor;
      }
      frame.Indices.assign(saved.RasterBits, saved.RasterBits + size_t(frame.Width) * frame.Height);
      const ColorMapObject* map = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif->SColorMap;
      if (map) frame.Colors.assign(map->Colors, map->Colors + map->ColorCount);
      result.Frames.push_back(std::move(frame));
    }
  }
  DGifCloseFile(gif, &error);
  return result;
}

// Our decoder's indices of one frame, row by row from the top (decoded at 8 bits a pixel).
inline std::vector<uint8_t> OurIndices(TGIFFrame* frame, bool* corrupt = nullptr) {
  TGIFItem* item = frame->GetItem();
  const int width = item->Size.X, height = item->Size.Y;
  const size_t row = rxgif::DibRowBytes(width, 8);
  std::vector<uint8_t> dib(row * height, 0);
  const bool c = rxgif::DecodeLZW(static_cast<const uint8_t*>(item->ImageData.GetMemory()),
                                  static_cast<size_t>(item->ImageData.GetSize()),
                                  rxgif::TDibLayout{width, height, 8, frame->GetInterlaced()}, 8,
                                  dib.data(), true);
  if (corrupt) *corrupt = c;
  std::vector<uint8_t> indices(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    std::memcpy(indices.data() + size_t(y) * width, dib.data() + row * (height - 1 - y), width);
  return indices;
}

// Loads a GIF image, an animated cursor, an icon or an icon list from the bytes.
template <class T>
void LoadImage(T& image, const Bytes& bytes) {
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  image.LoadFromStream(stream);
}

inline Bytes SaveImage(TGIFImage& image) {
  TMemoryStream stream;
  image.SaveToStream(stream);
  const auto* p = static_cast<const uint8_t*>(stream.GetMemory());
  return Bytes(p, p + stream.GetSize());
}

// ---- Building small GIF, cursor and icon files --------------------------------------------

// Indices given row by row from the top, encoded by our encoder at the depth (the code size
// byte through the terminator).
inline Bytes Encode(const std::vector<uint8_t>& indices, int width, int height, int depth, bool interlaced) {
  const size_t row = rxgif::DibRowBytes(width, depth);
  std::vector<uint8_t> dib(row * height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t v = indices[size_t(y) * width + x];
      uint8_t* line = dib.data() + row * (height - 1 - y);
      if (depth == 8) line[x] = v;
      else if (depth == 4) line[x / 2] |= (x & 1) ? v : v << 4;
      else if (v & 1) line[x / 8] |= 0x80 >> (x & 7);
    }
  TMemoryStream out;
  rxgif::EncodeLZW(dib.data(), rxgif::TDibLayout{width, height, depth, interlaced}, out);
  const auto* p = static_cast<const uint8_t*>(out.GetMemory());
  return Bytes(p, p + out.GetSize());
}

// Appends bytes to a file being built.
struct TGifBuilder {
  Bytes Data;
  TGifBuilder& Raw(std::initializer_list<int> bytes) {
    for (int b : bytes) Data.push_back(static_cast<uint8_t>(b));
    return *this;
  }
  TGifBuilder& Text(const char* s) {
    while (*s) Data.push_back(static_cast<uint8_t>(*s++));
    return *this;
  }
  TGifBuilder& Word(int v) { return Raw({v & 0xFF, (v >> 8) & 0xFF}); }
  // "GIF89a", the screen, a global table of 2^bits entries of grey levels.
  TGifBuilder& Header(int width, int height, int bits = 2, const char* version = "GIF89a") {
    Text(version).Word(width).Word(height).Raw({0x80 | ((bits - 1) << 4) | (bits - 1), 0, 0});
    for (int i = 0; i < (1 << bits); ++i) Raw({i * 40 % 256, i * 80 % 256, 255 - i * 30 % 256});
    return *this;
  }
  TGifBuilder& Control(int delay, int transparentIndex = -1, int disposal = 0) {
    return Raw({0x21, 0xF9, 4, (disposal << 2) | (transparentIndex >= 0 ? 1 : 0), delay & 0xFF,
                (delay >> 8) & 0xFF, transparentIndex >= 0 ? transparentIndex : 0, 0});
  }
  // An image of width x height pixels whose indices are given row by row, encoded by our
  // encoder at 8 bits (values must fit the table).
  TGifBuilder& Image(int left, int top, int width, int height, const std::vector<uint8_t>& indices,
                     int depth = 8) {
    Raw({0x2C}).Word(left).Word(top).Word(width).Word(height).Raw({0});
    const Bytes data = Encode(indices, width, height, depth, false);
    Data.insert(Data.end(), data.begin(), data.end());
    return *this;
  }
  TGifBuilder& Trailer() { return Raw({0x3B}); }
};

// Indices of a w x h picture: (x + y) % colors.
inline std::vector<uint8_t> Stripes(int width, int height, int colors) {
  std::vector<uint8_t> v(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) v[size_t(y) * width + x] = static_cast<uint8_t>((x + y) % colors);
  return v;
}

// An icon file of one 16 x 16 image whose colour is solid (made through the system).
inline Bytes MakeIconFile(COLORREF color) {
  HDC screen = ::GetDC(nullptr);
  HBITMAP colorBits = ::CreateCompatibleBitmap(screen, 16, 16);
  HBITMAP maskBits = ::CreateBitmap(16, 16, 1, 1, nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HGDIOBJ old = ::SelectObject(dc, colorBits);
  HBRUSH brush = ::CreateSolidBrush(color);
  RECT r{0, 0, 16, 16};
  ::FillRect(dc, &r, brush);
  ::SelectObject(dc, maskBits);
  ::PatBlt(dc, 0, 0, 16, 16, BLACKNESS);
  ::SelectObject(dc, old);
  ::DeleteObject(brush);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  ICONINFO info{TRUE, 0, 0, maskBits, colorBits};
  TIcon icon;
  icon.SetHandle(::CreateIconIndirect(&info));
  ::DeleteObject(colorBits);
  ::DeleteObject(maskBits);
  TMemoryStream stream;
  icon.SaveToStream(stream);
  const auto* p = static_cast<const uint8_t*>(stream.GetMemory());
  return Bytes(p, p + stream.GetSize());
}

// A RIFF chunk: its tag, its size, its data and a pad byte when the size is odd.
inline void Chunk(Bytes& out, const char* tag, const Bytes& data) {
  out.insert(out.end(), tag, tag + 4);
  const uint32_t size = static_cast<uint32_t>(data.size());
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(size >> (8 * k)));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() & 1) out.push_back(0);
}

inline Bytes U32s(std::initializer_list<uint32_t> values) {
  Bytes out;
  for (uint32_t v : values)
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
  return out;
}

// An animated cursor of the icons shown in the sequence (icon k as step k when empty), with
// the rates, the title and the creator "me".
inline Bytes MakeAniFile(const std::vector<Bytes>& icons, std::initializer_list<uint32_t> sequence,
                         std::initializer_list<uint32_t> rates, const char* title) {
  Bytes body{'A', 'C', 'O', 'N'};
  const uint32_t steps = uint32_t(sequence.size() ? sequence.size() : icons.size());
  Chunk(body, "anih", U32s({36, uint32_t(icons.size()), steps, 0, 0, 0, 0, 10, 1}));
  if (rates.size()) Chunk(body, "rate", U32s(rates));
  if (sequence.size()) Chunk(body, "seq ", U32s(sequence));
  Bytes info{'I', 'N', 'F', 'O'};
  Chunk(info, "INAM", Bytes(title, title + std::strlen(title)));
  Chunk(info, "IART", Bytes{'m', 'e'});
  Chunk(body, "LIST", info);
  Bytes frames{'f', 'r', 'a', 'm'};
  for (const Bytes& icon : icons) Chunk(frames, "icon", icon);
  Chunk(body, "LIST", frames);
  Bytes file;
  Chunk(file, "RIFF", body);
  return file;
}

}  // namespace giftest
