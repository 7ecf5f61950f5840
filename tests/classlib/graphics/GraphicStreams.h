// Test support for the picture tests: graphics loaded from and saved to byte vectors
// through memory streams, and bitmaps painted with a square.
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/classes/Streams.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Graphic.h"

inline void WriteBytes(TStream& stream, const std::vector<uint8_t>& bytes) {
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

inline std::vector<uint8_t> StreamBytes(TMemoryStream& stream) {
  const auto* data = static_cast<const uint8_t*>(stream.GetMemory());
  return std::vector<uint8_t>(data, data + stream.GetSize());
}

// Loads the graphic from a stream holding exactly the bytes.
inline void LoadGraphic(TGraphic& graphic, const std::vector<uint8_t>& bytes) {
  TMemoryStream stream;
  WriteBytes(stream, bytes);
  stream.SetPosition(0);
  graphic.LoadFromStream(stream);
}

inline std::vector<uint8_t> SavedBytes(TGraphic& graphic) {
  TMemoryStream stream;
  graphic.SaveToStream(stream);
  return StreamBytes(stream);
}

// A bitmap of the format filled with `back`, with a `front` rectangle at `square`.
inline void MakeSquare(TBitmap& bitmap, TPixelFormat format, int width, int height, TColor back,
                       TColor front, const TRect& square = Rect(1, 1, 3, 3)) {
  bitmap.SetPixelFormat(format);
  bitmap.SetSize(width, height);
  TCanvas* canvas = bitmap.GetCanvas();
  canvas->GetBrush()->SetColor(back);
  canvas->FillRect(Rect(0, 0, width, height));
  canvas->GetBrush()->SetColor(front);
  canvas->FillRect(square);
}
