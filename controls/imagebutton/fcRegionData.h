// The stored form of a button's window region ("RegionData" and "DownRegionData" in a
// layout), and the region it stands for.
//
// A block is little-endian: a 4-byte unsigned byte count N, then N bytes that are the region
// exactly as GetRegionData returns it: a 32-byte RGNDATAHEADER (dwSize 32, iType 1 =
// RDH_RECTANGLES, nCount rectangles, nRgnSize, the bounding RECT) followed by nCount RECTs of
// 16 bytes. N = 0 means no region (a four-byte block).
//
// Blocks come from layout files and are not trusted: N is checked against the bytes that
// remain in the block and against a cap before anything is allocated, and the header is
// checked (its size and type, N = 32 + 16 * nCount, every rectangle well formed) before the
// bytes ever reach ExtCreateRegion. A block that fails is dropped whole: the button is then
// rectangular until it builds its region from its picture.
#pragma once
#include <cstdint>
#include <vector>
#include "classlib/classes/Streams.h"
#include "classlib/graphics/GdiHandles.h"

// The N bytes of a region record (empty: no region).
using TfcRegionBytes = std::vector<uint8_t>;

// The largest N accepted: 65,534 rectangles and the header.
inline constexpr uint32_t fcMaxRegionBytes = 32 + 16 * 65534;

// True when bytes hold a well-formed rectangle region as described above.
bool IsValidRegionData(const TfcRegionBytes& bytes);
// Reads one block from the stream's position to its end. True with the record in bytes
// when the block is sound (N = 0 gives an empty record); false with bytes empty when it is
// not, having read no further than the block's declared or actual end.
bool ReadRegionBlock(TStream& stream, TfcRegionBytes& bytes);
// Writes N and the record.
void WriteRegionBlock(TStream& stream, const TfcRegionBytes& bytes);
// The record of a region; empty for nullptr or when the system gives none.
TfcRegionBytes RegionToBytes(HRGN region);
// A new region from a record; none for an empty or ill-formed record. The caller owns it.
UniqueRegion RegionFromBytes(const TfcRegionBytes& bytes);
// A copy of a region (none for nullptr). The caller owns it.
UniqueRegion CopyRegion(HRGN region);
