// The zlib streams: round trips at every level and size, zlib's own format on the wire, the
// one-way rules, and bad input: trailing data (left unread), truncation (the bytes made so
// far), a preset dictionary and corrupt bytes (the zlib error), a decompression bomb and tens
// of thousands of mutated bodies, each under a watchdog.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "controls/skin/Watchdog.h"
#include "controls/skin/engine/ZlibStreams.h"
#include "tests/ErrorMessages.h"

namespace {

using skin_tests::Watchdog;
using Bytes = std::vector<unsigned char>;

Bytes Sample(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes data(size);
  // Runs and noise, so that the levels differ.
  for (size_t i = 0; i < size; ++i)
    data[i] = (i / 64) % 3 == 0 ? static_cast<unsigned char>(random()) : static_cast<unsigned char>(i / 7);
  return data;
}

Bytes StreamBytes(TMemoryStream& stream) {
  const auto* first = static_cast<const unsigned char*>(stream.GetMemory());
  return first ? Bytes(first, first + stream.GetSize()) : Bytes();
}

Bytes Compress(const Bytes& data, int levelIndex) {
  TMemoryStream out;
  {
    TCompressionStream z(levelIndex, out);
    if (!data.empty()) z.WriteBuffer(data.data(), static_cast<int>(data.size()));
    z.Finish();
  }
  return StreamBytes(out);
}

TMemoryStream* Holding(const Bytes& bytes, TMemoryStream& stream) {
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  return &stream;
}

// Everything the stream gives, read in pieces of the given size.
Bytes Inflate(TDecompressionStream& z, int piece = 3000) {
  Bytes all, block(static_cast<size_t>(piece));
  for (int guard = 0; guard < 1 << 22; ++guard) {
    const int got = z.Read(block.data(), piece);
    all.insert(all.end(), block.begin(), block.begin() + got);
    if (got < piece) break;
  }
  return all;
}

TEST(ZlibStreams, RoundTripsAtEveryLevelAndSizeInZlibsOwnFormat) {
  for (int level = 0; level < 4; ++level)
    for (size_t size : {size_t(0), size_t(1), size_t(8191), size_t(8192), size_t(100000)}) {
      const Bytes data = Sample(size, static_cast<unsigned>(size + level));
      const Bytes packed = Compress(data, level);
      // zlib's uncompress reads it: nothing of our own around it.
      uLongf length = static_cast<uLongf>(size + 1);
      Bytes plain(size + 1);
      ASSERT_EQ(uncompress(plain.data(), &length, packed.data(), static_cast<uLong>(packed.size())), Z_OK);
      plain.resize(length);
      EXPECT_EQ(plain, data) << level << " " << size;
      TMemoryStream source;
      TDecompressionStream z(*Holding(packed, source));
      EXPECT_EQ(Inflate(z, size > 5000 ? 4097 : 7), data);
      EXPECT_EQ(z.Seek(0, soCurrent), static_cast<int64_t>(size));
    }
  // Level 9 packs the sample tighter than level 0 (stored).
  EXPECT_LT(Compress(Sample(100000, 1), 3).size(), Compress(Sample(100000, 1), 0).size());
}

TEST(ZlibStreams, OneWayRulesAndSeeking) {
  TMemoryStream out;
  TCompressionStream c(1, out);
  char byte = 0;
  EXPECT_THROW(c.Read(&byte, 1), ECompressionError);
  EXPECT_THROW(c.Seek(1, soCurrent), ECompressionError);
  c.WriteBuffer("abcdef", 6);
  EXPECT_EQ(c.Seek(0, soCurrent), 6);
  EXPECT_THROW(TCompressionStream(4, out), ECompressionError);

  const Bytes data = Sample(20000, 5);
  const Bytes packed = Compress(data, 2);
  // The body stands after 3 other bytes: seeking to 0 starts again at the body.
  TMemoryStream source;
  source.WriteBuffer("xyz", 3);
  source.WriteBuffer(packed.data(), static_cast<int>(packed.size()));
  source.SetPosition(3);
  TDecompressionStream z(source);
  EXPECT_THROW(z.Write("a", 1), EDecompressionError);
  EXPECT_THROW(z.Read(&byte, -1), EDecompressionError);
  EXPECT_EQ(z.Read(&byte, 0), 0);
  EXPECT_EQ(z.Seek(100, soCurrent), 100);
  EXPECT_THROW(z.Seek(-1, soCurrent), EDecompressionError);
  EXPECT_THROW(z.Seek(50, soBeginning), EDecompressionError);
  EXPECT_EQ(z.Seek(0, soBeginning), 0);
  unsigned char first[10];
  z.ReadBuffer(first, 10);
  EXPECT_TRUE(std::equal(first, first + 10, data.begin()));
  // Someone else moving the source between reads does not disturb the stream.
  source.SetPosition(0);
  EXPECT_EQ(z.Seek(5000, soBeginning), 5000);
  source.SetPosition(1);
  const Bytes rest = Inflate(z);
  EXPECT_TRUE(std::equal(rest.begin(), rest.end(), data.begin() + 5000));
  EXPECT_EQ(rest.size(), data.size() - 5000);
  EXPECT_EQ(z.Read(first, 10), 0);  // past the end: nothing more
}

TEST(ZlibStreams, CompressionContinuesWhereItLeftOffWhenTheDestinationMoved) {
  const Bytes data = Sample(50000, 9);
  TMemoryStream out;
  {
    TCompressionStream c(3, out);
    c.WriteBuffer(data.data(), 25000);
    out.SetPosition(0);  // moved by someone else
    c.WriteBuffer(data.data() + 25000, 25000);
  }  // finished by the destructor
  TDecompressionStream z(*[&] { out.SetPosition(0); return &out; }());
  EXPECT_EQ(Inflate(z), data);
}

TEST(ZlibStreams, BadBodiesRaiseZlibErrorsOrEndShortAndNeverLoop) {
  Watchdog watchdog(60);
  const Bytes data = Sample(30000, 3);
  const Bytes packed = Compress(data, 1);
  auto inflateAll = [](const Bytes& bytes, int64_t limit = TDecompressionStream::NoLimit) {
    TMemoryStream source;
    TDecompressionStream z(*Holding(bytes, source), limit);
    return Inflate(z);
  };
  // Data after the zlib stream is left unread: the source stands at its first byte.
  {
    Bytes trailing = packed;
    trailing.insert(trailing.end(), {'n', 'e', 'x', 't'});
    TMemoryStream source;
    TDecompressionStream z(*Holding(trailing, source));
    EXPECT_EQ(Inflate(z), data);
    EXPECT_TRUE(z.StreamEnded());
    EXPECT_EQ(source.GetPosition(), static_cast<int64_t>(packed.size()));
  }
  // Every truncation gives the bytes made so far, and the stream has not ended.
  for (size_t cut = 0; cut < packed.size(); cut += 97) {
    const Bytes shorter(packed.begin(), packed.begin() + static_cast<long>(cut));
    TMemoryStream source;
    TDecompressionStream z(*Holding(shorter, source));
    const Bytes got = Inflate(z);
    EXPECT_LT(got.size(), data.size()) << cut;
    EXPECT_TRUE(std::equal(got.begin(), got.end(), data.begin())) << cut;
    EXPECT_FALSE(z.StreamEnded()) << cut;
  }
  // Corrupt bytes (a header zlib refuses): zlib's error, "error", which EZlibError catches.
  Bytes corrupt = packed;
  corrupt[0] ^= 0xFF;
  EXPECT_EQ(ErrorMessageOf<EZlibError>([&] { inflateAll(corrupt); }, L"(none)"), L"error");
  // A body that asks for a preset dictionary.
  Bytes dictionary(100);
  {
    z_stream s{};
    ASSERT_EQ(deflateInit(&s, 6), Z_OK);
    const unsigned char dict[] = "abcabcabc";
    ASSERT_EQ(deflateSetDictionary(&s, dict, 9), Z_OK);
    unsigned char in[] = "abcabcabcabc";
    s.next_in = in;
    s.avail_in = 12;
    s.next_out = dictionary.data();
    s.avail_out = 100;
    ASSERT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
    dictionary.resize(100 - s.avail_out);
    deflateEnd(&s);
  }
  EXPECT_THROW(inflateAll(dictionary), EDecompressionError);
  // 200 MiB of zeros packed into a few hundred KiB.
  Bytes bomb;
  {
    TMemoryStream out;
    {
      TCompressionStream c(3, out);
      const Bytes zeros(1 << 20, 0);
      for (int i = 0; i < 200; ++i) c.WriteBuffer(zeros.data(), static_cast<int>(zeros.size()));
      c.Finish();
    }
    bomb = StreamBytes(out);
  }
  EXPECT_LT(bomb.size(), size_t(1) << 20);
  // Without a limit of the caller's, the stream gives it whole; with one, it stops there.
  {
    TMemoryStream source;
    TDecompressionStream z(*Holding(bomb, source));
    Bytes block(1 << 16);
    int64_t total = 0;
    for (int got; (got = z.Read(block.data(), static_cast<int>(block.size()))) > 0;) total += got;
    EXPECT_EQ(total, int64_t(200) << 20);
  }
  {
    TMemoryStream source;
    TDecompressionStream z(*Holding(bomb, source), int64_t(64) << 20);
    Bytes block(1 << 16);
    EXPECT_THROW(
        for (int got; (got = z.Read(block.data(), static_cast<int>(block.size()))) > 0;) {}, EReadError);
  }
  EXPECT_THROW(inflateAll(packed, 29999), EReadError);
  EXPECT_EQ(inflateAll(packed, 30000), data);
  // A stream freed in the middle of a body, or after an error, frees quietly.
  {
    TMemoryStream source;
    auto z = std::make_unique<TDecompressionStream>(*Holding(packed, source));
    unsigned char some[100];
    z->ReadBuffer(some, 100);
    EXPECT_NO_THROW(z.reset());
  }
}

TEST(ZlibStreams, BodiesOfManyInputBlocksReadWholeAndFailCleanlyAtEveryBlockEdge) {
  Bytes data(300000);
  std::mt19937 random(11);
  for (unsigned char& byte : data) byte = static_cast<unsigned char>(random());
  const Bytes packed = Compress(data, 1);
  ASSERT_GT(packed.size(), size_t(4 * 65536));
  // Odd pieces, with the source moved by someone else between reads.
  TMemoryStream source;
  TDecompressionStream z(*Holding(packed, source));
  Bytes all, piece(65537);
  for (int got = 1; got > 0;) {
    got = z.Read(piece.data(), all.size() < 70000 ? 13 : 65537);
    all.insert(all.end(), piece.begin(), piece.begin() + got);
    source.SetPosition(0);
  }
  EXPECT_EQ(all, data);
  // Cut at and around the block edges: what was there (all of it when only the checksum is
  // cut), not ended; followed by a stray byte past a block edge: read whole, the byte left in
  // the source.
  for (size_t cut : {size_t(65535), size_t(65536), size_t(65537), size_t(131072), packed.size() - 1}) {
    TMemoryStream shorter;
    const Bytes head(packed.begin(), packed.begin() + static_cast<long>(cut));
    TDecompressionStream cutShort(*Holding(head, shorter));
    const Bytes got = Inflate(cutShort, 65536);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), data.begin())) << cut;
    EXPECT_FALSE(cutShort.StreamEnded()) << cut;
  }
  Bytes trailing = packed;
  trailing.push_back(0);
  TMemoryStream withTrailing;
  TDecompressionStream extra(*Holding(trailing, withTrailing));
  EXPECT_EQ(Inflate(extra, 100000), data);
  EXPECT_EQ(withTrailing.GetPosition(), static_cast<int64_t>(packed.size()));
}

TEST(ZlibStreams, MutatedBodiesNeverCrashHangOrOverflowTheBudget) {
  Watchdog watchdog(240);
  constexpr int64_t Budget = 256 * 1024;
  std::mt19937 random(20261207);
  std::vector<Bytes> seeds;
  for (int level = 0; level < 4; ++level) seeds.push_back(Compress(Sample(3000 + level * 500, level), level));
  int outcomes[3] = {0, 0, 0};
  constexpr int Mutations = 60000;
  for (int round = 0; round < Mutations; ++round) {
    Bytes body = seeds[static_cast<size_t>(round) % seeds.size()];
    switch (random() % 4) {
      case 0:  // bit flips
        for (int i = 0, n = 1 + static_cast<int>(random() % 4); i < n; ++i)
          body[random() % body.size()] ^= static_cast<unsigned char>(1u << (random() % 8));
        break;
      case 1:  // a truncation
        body.resize(random() % body.size());
        break;
      case 2:  // a byte overwritten
        body[random() % body.size()] = static_cast<unsigned char>(random());
        break;
      default:  // a block repeated or garbage appended
        body.insert(body.end(), body.begin(), body.begin() + static_cast<long>(random() % body.size()));
        break;
    }
    TMemoryStream source;
    try {
      TDecompressionStream z(*Holding(body, source), Budget);
      const Bytes out = Inflate(z, 1 + static_cast<int>(random() % 5000));
      ASSERT_LE(static_cast<int64_t>(out.size()), Budget);
      ++outcomes[0];
    } catch (const EZlibError&) {
      ++outcomes[1];
    } catch (const EReadError&) {  // beyond the budget
      ++outcomes[2];
    }
  }
  EXPECT_EQ(outcomes[0] + outcomes[1] + outcomes[2], Mutations);
  EXPECT_GT(outcomes[1], Mutations / 4);  // many mutations are caught by zlib itself
}

}  // namespace
