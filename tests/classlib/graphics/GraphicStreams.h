// Test support for the picture tests: graphics loaded from and saved to byte vectors
// through memory streams.
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/classes/Streams.h"
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
