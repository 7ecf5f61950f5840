// TSeSkinReader: the one reader of skin data. Everything a skin stream declares (string
// lengths, block sizes, bitmap sides, counts) is checked against what the reader may still
// take before anything is allocated, and data is read in chunks, so a lying count costs no
// more memory than the bytes that really arrive. Every refusal is EReadError "Stream read
// error", corrupt compressed data included.
#pragma once
#include <cstdint>

#include "SkinBitmap.h"
#include "classlib/classes/Streams.h"
#include "classlib/system/SysString.h"

class TSeSkinReader {
 public:
  static constexpr int64_t MaxBody = int64_t(64) << 20;  // a decompressed body at most
  static constexpr int MaxBitmapSide = 8192;
  static constexpr int MaxBitmaps = 4096;
  static constexpr int MaxNameBytes = 4096;

  // Reads stream from its position; at most budget bytes are ever taken. budget is lowered
  // to what the stream holds when it can tell its size.
  TSeSkinReader(TStream& stream, int64_t budget);

  int64_t BytesLeft() const { return FLeft; }
  // Exactly count bytes.
  void Read(void* buffer, int64_t count);
  int32_t ReadInt32();
  // A count that must be 0 or more and at most BytesLeft() / minBytesEach.
  int32_t ReadCount(int minBytesEach);
  // A string as WriteStreamString writes it, of at most maxBytes bytes.
  String ReadString(int64_t maxBytes);
  // Exactly count bytes into a new memory stream positioned at 0.
  void ReadBlock(int64_t count, TMemoryStream& into);
  // A TSeBitmap stream record (sides at most MaxBitmapSide). A record with a side of 0 leaves
  // the bitmap empty.
  void ReadBitmap(TSeBitmap& bitmap);
  // stream.Read, with a zlib error raised as EReadError.
  static int ReadSome(TStream& stream, void* buffer, int count);

 private:
  TStream& FStream;
  int64_t FLeft;
};

[[noreturn]] void SkinReadError();
