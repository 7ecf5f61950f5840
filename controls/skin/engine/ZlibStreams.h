// One-way streams that compress into, or decompress from, another stream in zlib's format
// (two-byte header, deflate body, Adler-32 trailer) and add nothing of their own.
//
// TCompressionStream takes bytes by Write and passes deflate's output on to the destination
// in blocks of 8192 bytes; Finish (or the destructor) ends the zlib stream. TDecompressionStream
// gives the inflated bytes by Read, taking the compressed bytes from the source in blocks of
// 64 KiB (inflate keeps a copy of what each call produced for back-references, so fewer, larger
// calls inflate a large body markedly faster than 8 KiB ones); at the end of the zlib stream it
// moves the source back to the first byte after it, so whatever follows can be read from there.
// Both use the wrapped stream from the position it had when they were made, and move it back
// there when someone else moved it between calls. Neither owns the wrapped stream.
//
// A zlib call that fails raises ECompressionError or EDecompressionError "error".
#pragma once
#include <zlib.h>

#include <cstdint>
#include <memory>

#include "classlib/classes/Events.h"
#include "classlib/classes/Streams.h"
#include "classlib/system/SysExceptions.h"

CLASSLIB_EXCEPTION(EZlibError, Exception)
CLASSLIB_EXCEPTION(ECompressionError, EZlibError)
CLASSLIB_EXCEPTION(EDecompressionError, EZlibError)

class TCustomZlibStream : public TStream {
  CLASSLIB_CLASS(TCustomZlibStream, TStream)
  TNotifyEvent OnProgress;  // after each block exchanged with the wrapped stream

 protected:
  TCustomZlibStream(TStream& stream, int bufferSize);

  TStream& FStream;                     // the wrapped stream; not owned
  int64_t FStreamPos;                   // its position as this stream last left it
  z_stream FZ{};                        // zlib's state
  std::unique_ptr<unsigned char[]> FBuffer;  // bytes on their way to or from FStream (BufferSize)
};

class TCompressionStream : public TCustomZlibStream {
  CLASSLIB_CLASS(TCompressionStream, TCustomZlibStream)
  static constexpr int BufferSize = 8192;
  // levelIndex picks from [0, 1, -1, 9] (none, fastest, zlib's default, maximum); an index
  // outside 0..3 raises ECompressionError "error".
  TCompressionStream(int levelIndex, TStream& destination);
  // Finishes when Finish was not called; a failure then is swallowed (call Finish to see it).
  ~TCompressionStream() override;

  int Write(const void* buffer, int count) override;
  // ECompressionError "Invalid stream operation".
  int Read(void* buffer, int count) override;
  // Only Seek(0, soCurrent): the number of bytes taken so far.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // Writes the rest of the zlib stream; later writes raise. Doing it twice does nothing.
  void Finish();

 private:
  // Writes the filled part of the buffer to the destination.
  void Flush(int bytes);
  bool FFinished = false;
  bool FInitialised = false;
};

class TDecompressionStream : public TCustomZlibStream {
  CLASSLIB_CLASS(TDecompressionStream, TCustomZlibStream)
  static constexpr int BufferSize = 64 * 1024;
  // No limit: the stream gives the whole body.
  static constexpr int64_t NoLimit = INT64_MAX;
  // maxOutput bounds the bytes the stream will ever give; reading beyond it raises EReadError
  // "Stream read error". A reader that must bound what a body may cost (a skin file's reader)
  // passes its own limit.
  explicit TDecompressionStream(TStream& source, int64_t maxOutput = NoLimit);
  ~TDecompressionStream() override;

  // Reads up to count bytes; fewer at the end of the zlib stream and when the source has no
  // more bytes (a body cut short: StreamEnded() tells the two apart). A negative count raises
  // EDecompressionError "Invalid stream operation"; corrupt data and a body that asks for a
  // preset dictionary raise EDecompressionError "error".
  int Read(void* buffer, int count) override;
  // EDecompressionError "Invalid stream operation".
  int Write(const void* buffer, int count) override;
  // Seek(0, soBeginning) starts again at the body's start; forward seeks read and drop;
  // anything else raises EDecompressionError "Invalid stream operation".
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // True once inflate reached the end of the zlib stream (its checksum matched).
  bool StreamEnded() const { return FEnded; }

 private:
  // Refills the input from the source; false at the source's end.
  bool Refill();
  // At the zlib stream's end: the source back at the first byte after it.
  void LeaveTheRestUnread();

  int64_t FStart;         // the source position of the body's first byte
  int64_t FLimit;         // most bytes ever given
  int64_t FOutput = 0;    // bytes given so far
  bool FEnded = false;    // inflate reached the end of the zlib stream
  bool FInitialised = false;
};
