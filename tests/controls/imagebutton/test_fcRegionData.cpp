// Stored region blocks: an exact round trip of a 21-rectangle region (a 372-byte block), the
// four zero bytes of no region, and blocks that lie about their length or their header,
// which are dropped without being read past.
#include <gtest/gtest.h>

#include <cstring>

#include "classlib/classes/Streams.h"
#include "controls/imagebutton/fcRegionData.h"

namespace {

// A 40 x 40 outline with cut corners: 10 narrowing bands, a full middle and 10 more.
UniqueRegion CutCornerRegion() {
  UniqueRegion region(::CreateRectRgn(0, 10, 40, 30));
  for (int r = 0; r < 10; ++r) {
    UniqueRegion top(::CreateRectRgn(10 - r, r, 30 + r, r + 1));
    UniqueRegion bottom(::CreateRectRgn(10 - r, 39 - r, 30 + r, 40 - r));
    ::CombineRgn(region.get(), region.get(), top.get(), RGN_OR);
    ::CombineRgn(region.get(), region.get(), bottom.get(), RGN_OR);
  }
  return region;
}

std::vector<uint8_t> Block(const TfcRegionBytes& bytes) {
  TMemoryStream stream;
  WriteRegionBlock(stream, bytes);
  const auto* data = static_cast<const uint8_t*>(stream.GetMemory());
  return std::vector<uint8_t>(data, data + stream.GetSize());
}

bool ReadBlock(const std::vector<uint8_t>& block, TfcRegionBytes& bytes) {
  TMemoryStream stream;
  if (!block.empty()) stream.WriteBuffer(block.data(), static_cast<int>(block.size()));
  stream.SetPosition(0);
  return ReadRegionBlock(stream, bytes);
}

void PutU32(std::vector<uint8_t>& block, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(FcRegionData, A21RectangleRegionMakesA372ByteBlockAndComesBackTheSame) {
  UniqueRegion region = CutCornerRegion();
  const TfcRegionBytes bytes = RegionToBytes(region.get());
  const std::vector<uint8_t> block = Block(bytes);
  ASSERT_EQ(block.size(), 372u);
  EXPECT_EQ(block[0] | block[1] << 8, 368);  // N, then the region data
  EXPECT_EQ(block[4], 32);                    // dwSize
  EXPECT_EQ(block[8], RDH_RECTANGLES);
  EXPECT_EQ(block[12], 21);                   // nCount
  TfcRegionBytes read;
  ASSERT_TRUE(ReadBlock(block, read));
  UniqueRegion back = RegionFromBytes(read);
  ASSERT_TRUE(back);
  EXPECT_TRUE(::EqualRgn(back.get(), region.get()));
  EXPECT_FALSE(::PtInRegion(back.get(), 0, 0));
  EXPECT_TRUE(::PtInRegion(back.get(), 20, 20));
}

TEST(FcRegionData, NoRegionIsFourZeroBytes) {
  EXPECT_EQ(Block({}), std::vector<uint8_t>(4, 0));
  TfcRegionBytes read{1, 2, 3};
  EXPECT_TRUE(ReadBlock(std::vector<uint8_t>(4, 0), read));
  EXPECT_TRUE(read.empty());
  EXPECT_FALSE(RegionFromBytes(read));
}

TEST(FcRegionData, LyingAndTruncatedBlocksAreDropped) {
  UniqueRegion region = CutCornerRegion();
  const std::vector<uint8_t> good = Block(RegionToBytes(region.get()));
  struct Lie {
    const char* What;
    size_t At;
    uint32_t Value;
  };
  const Lie lies[] = {
      {"N past the block", 0, 369},       {"N far past the block", 0, 0x7FFFFFF0},
      {"N below the header", 0, 16},      {"N short of the rectangles", 0, 352},
      {"header size", 4, 40},             {"region type", 8, 2},
      {"more rectangles than bytes", 12, 22}, {"fewer rectangles", 12, 20},
      {"a count that wraps", 12, 0x10000001}, {"a turned rectangle", 36 + 16 * 3, 1000},
      {"a turned bound", 20, 5000},
  };
  for (const Lie& lie : lies) {
    std::vector<uint8_t> block = good;
    PutU32(block, lie.At, lie.Value);
    TfcRegionBytes read{9};
    EXPECT_FALSE(ReadBlock(block, read)) << lie.What;
    EXPECT_TRUE(read.empty()) << lie.What;
  }
  // Every truncation of the block, down to nothing.
  for (size_t size = 0; size < good.size(); ++size) {
    TfcRegionBytes read;
    EXPECT_FALSE(ReadBlock(std::vector<uint8_t>(good.begin(), good.begin() + size), read)) << size;
    EXPECT_TRUE(read.empty());
  }
  // An ill-formed record never reaches the system.
  TfcRegionBytes forged(32 + 16, 0);
  EXPECT_FALSE(RegionFromBytes(forged));
}

}  // namespace
