#include "fcRegionData.h"

#include <cstring>

namespace {

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

constexpr size_t HeaderSize = sizeof(RGNDATAHEADER);  // 32
constexpr size_t RectSize = sizeof(RECT);             // 16
static_assert(HeaderSize == 32 && RectSize == 16, "the stored layout of a region");

bool IsWellFormedRect(const uint8_t* p) {
  return ReadI32(p) <= ReadI32(p + 8) && ReadI32(p + 4) <= ReadI32(p + 12);
}

}  // namespace

bool IsValidRegionData(const TfcRegionBytes& bytes) {
  if (bytes.size() < HeaderSize || bytes.size() > fcMaxRegionBytes) return false;
  const uint8_t* header = bytes.data();
  const uint32_t headerSize = ReadU32(header);
  const uint32_t type = ReadU32(header + 4);
  const uint32_t count = ReadU32(header + 8);
  if (headerSize != HeaderSize || type != RDH_RECTANGLES) return false;
  if (count > (fcMaxRegionBytes - HeaderSize) / RectSize) return false;
  if (bytes.size() != HeaderSize + count * RectSize) return false;
  if (!IsWellFormedRect(header + 16)) return false;  // the bounding rectangle
  for (uint32_t i = 0; i < count; ++i)
    if (!IsWellFormedRect(header + HeaderSize + i * RectSize)) return false;
  return true;
}

bool ReadRegionBlock(TStream& stream, TfcRegionBytes& bytes) {
  bytes.clear();
  const int64_t left = stream.GetSize() - stream.GetPosition();
  uint8_t prefix[4];
  if (left < 4 || stream.Read(prefix, 4) != 4) return false;
  const uint32_t count = ReadU32(prefix);
  if (count == 0) return true;
  if (count > fcMaxRegionBytes || count > static_cast<uint64_t>(left - 4)) return false;
  TfcRegionBytes record(count);
  if (stream.Read(record.data(), static_cast<int>(count)) != static_cast<int>(count)) return false;
  if (!IsValidRegionData(record)) return false;
  bytes = std::move(record);
  return true;
}

void WriteRegionBlock(TStream& stream, const TfcRegionBytes& bytes) {
  const uint32_t count = static_cast<uint32_t>(bytes.size());
  const uint8_t prefix[4] = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                             static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
  stream.WriteBuffer(prefix, 4);
  if (count) stream.WriteBuffer(bytes.data(), static_cast<int>(count));
}

TfcRegionBytes RegionToBytes(HRGN region) {
  if (!region) return {};
  const DWORD size = ::GetRegionData(region, 0, nullptr);
  if (size < HeaderSize || size > fcMaxRegionBytes) return {};
  TfcRegionBytes bytes(size);
  if (::GetRegionData(region, size, reinterpret_cast<RGNDATA*>(bytes.data())) != size) return {};
  // The system may give more room than the rectangles take; the record is exact.
  const uint32_t count = ReadU32(bytes.data() + 8);
  if (HeaderSize + count * RectSize > bytes.size()) return {};
  bytes.resize(HeaderSize + count * RectSize);
  return bytes;
}

UniqueRegion RegionFromBytes(const TfcRegionBytes& bytes) {
  if (!IsValidRegionData(bytes)) return UniqueRegion();
  return UniqueRegion(::ExtCreateRegion(nullptr, static_cast<DWORD>(bytes.size()),
                                        reinterpret_cast<const RGNDATA*>(bytes.data())));
}

UniqueRegion CopyRegion(HRGN region) {
  if (!region) return UniqueRegion();
  UniqueRegion copy(::CreateRectRgn(0, 0, 0, 0));
  if (copy && ::CombineRgn(copy.get(), region, nullptr, RGN_COPY) == ERROR) copy.reset();
  return copy;
}
