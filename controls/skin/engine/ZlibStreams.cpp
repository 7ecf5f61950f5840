#include "ZlibStreams.h"

#include <algorithm>

namespace {

const int Levels[4] = {0, 1, -1, 9};

[[noreturn]] void ReadError() { throw EReadError(L"Stream read error"); }

}  // namespace

TCustomZlibStream::TCustomZlibStream(TStream& stream, int bufferSize)
    : FStream(stream),
      FStreamPos(stream.GetPosition()),
      FBuffer(std::make_unique<unsigned char[]>(static_cast<size_t>(bufferSize))) {}

// ---- TCompressionStream -------------------------------------------------------------------------

TCompressionStream::TCompressionStream(int levelIndex, TStream& destination)
    : TCustomZlibStream(destination, BufferSize) {
  if (levelIndex < 0 || levelIndex > 3) throw ECompressionError(L"error");
  FZ.next_out = FBuffer.get();
  FZ.avail_out = BufferSize;
  if (deflateInit(&FZ, Levels[levelIndex]) < 0) throw ECompressionError(L"error");
  FInitialised = true;
}

TCompressionStream::~TCompressionStream() {
  try {
    Finish();
  } catch (...) {
    // A destructor must not throw; Finish called by the owner reports the failure.
  }
  if (FInitialised) deflateEnd(&FZ);
}

void TCompressionStream::Flush(int bytes) {
  if (FStream.GetPosition() != FStreamPos) FStream.SetPosition(FStreamPos);
  FStream.WriteBuffer(FBuffer.get(), bytes);
  FStreamPos = FStream.GetPosition();
  FZ.next_out = FBuffer.get();
  FZ.avail_out = BufferSize;
  if (OnProgress) OnProgress(this);
}

int TCompressionStream::Write(const void* buffer, int count) {
  if (FFinished || count < 0) throw ECompressionError(L"Invalid stream operation");
  FZ.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
  FZ.avail_in = static_cast<uInt>(count);
  // Each round either takes input or fills the buffer, which is then emptied.
  for (int guard = 0; FZ.avail_in > 0 && guard < count + 16; ++guard) {
    if (deflate(&FZ, Z_NO_FLUSH) < 0) throw ECompressionError(L"error");
    if (FZ.avail_out == 0) Flush(BufferSize);
  }
  FZ.next_in = nullptr;
  return count;
}

void TCompressionStream::Finish() {
  if (FFinished || !FInitialised) return;
  FFinished = true;
  // deflate produces at most a bounded amount more; the guard only stops a misbehaving zlib.
  for (int guard = 0; guard < 1 << 20; ++guard) {
    const int result = deflate(&FZ, Z_FINISH);
    if (result < 0 && result != Z_BUF_ERROR) throw ECompressionError(L"error");
    if (result == Z_STREAM_END) break;
    if (FZ.avail_out == 0) Flush(BufferSize);
  }
  const int rest = BufferSize - static_cast<int>(FZ.avail_out);
  if (rest > 0) Flush(rest);
}

int TCompressionStream::Read(void*, int) { throw ECompressionError(L"Invalid stream operation"); }

int64_t TCompressionStream::Seek(int64_t offset, TSeekOrigin origin) {
  if (offset == 0 && origin == soCurrent) return static_cast<int64_t>(FZ.total_in);
  throw ECompressionError(L"Invalid stream operation");
}

// ---- TDecompressionStream -----------------------------------------------------------------------

TDecompressionStream::TDecompressionStream(TStream& source, int64_t maxOutput)
    : TCustomZlibStream(source, BufferSize), FStart(FStreamPos), FLimit(std::max<int64_t>(maxOutput, 0)) {
  FZ.next_in = FBuffer.get();
  FZ.avail_in = 0;
  if (inflateInit(&FZ) < 0) throw EDecompressionError(L"error");
  FInitialised = true;
}

TDecompressionStream::~TDecompressionStream() {
  if (FInitialised) inflateEnd(&FZ);
}

bool TDecompressionStream::Refill() {
  if (FStream.GetPosition() != FStreamPos) FStream.SetPosition(FStreamPos);
  const int got = FStream.Read(FBuffer.get(), BufferSize);
  if (got <= 0) return false;
  FStreamPos += got;
  FZ.next_in = FBuffer.get();
  FZ.avail_in = static_cast<uInt>(got);
  if (OnProgress) OnProgress(this);
  return true;
}

void TDecompressionStream::LeaveTheRestUnread() {
  if (FZ.avail_in == 0) return;
  FStreamPos -= FZ.avail_in;
  FZ.avail_in = 0;
  FStream.SetPosition(FStreamPos);
}

int TDecompressionStream::Read(void* buffer, int count) {
  if (count < 0) throw EDecompressionError(L"Invalid stream operation");
  if (count == 0 || FEnded) return 0;
  FZ.next_out = static_cast<Bytef*>(buffer);
  FZ.avail_out = static_cast<uInt>(count);
  // Every round consumes input, produces output or ends: a round that can do none of these
  // raises, so the loop is bounded by the input and output sizes.
  while (FZ.avail_out > 0) {
    if (FZ.avail_in == 0 && !Refill()) break;  // the source has nothing more
    const uInt inBefore = FZ.avail_in, outBefore = FZ.avail_out;
    const int result = inflate(&FZ, Z_NO_FLUSH);
    const int64_t produced = static_cast<int64_t>(outBefore - FZ.avail_out);
    FOutput += produced;
    if (FOutput > FLimit) ReadError();
    if (result == Z_STREAM_END) {
      FEnded = true;
      LeaveTheRestUnread();
      break;
    }
    // Without the dictionary it asks for, inflate cannot go on.
    if (result < 0 || result == Z_NEED_DICT) throw EDecompressionError(L"error");
    if (produced == 0 && FZ.avail_in == inBefore) throw EDecompressionError(L"error");
  }
  return count - static_cast<int>(FZ.avail_out);
}

int TDecompressionStream::Write(const void*, int) {
  throw EDecompressionError(L"Invalid stream operation");
}

int64_t TDecompressionStream::Seek(int64_t offset, TSeekOrigin origin) {
  // The source goes back to where the body starts, not to its own first byte: a skin file's
  // body comes after four bytes, which inflate would take for a broken header.
  if (offset == 0 && origin == soBeginning) {
    if (inflateReset(&FZ) < 0) throw EDecompressionError(L"error");
    FZ.next_in = FBuffer.get();
    FZ.avail_in = 0;
    FStreamPos = FStart;
    FStream.SetPosition(FStart);
    FOutput = 0;
    FEnded = false;
    return 0;
  }
  int64_t skip = -1;
  if (origin == soCurrent && offset >= 0) skip = offset;
  // Where the stream stands already is a seek of nothing, as Seek(0, soCurrent) is, so that
  // setting the position it has does not fail.
  if (origin == soBeginning && offset >= FOutput) skip = offset - FOutput;
  if (skip < 0) throw EDecompressionError(L"Invalid stream operation");
  unsigned char scratch[4096];
  while (skip > 0) {
    const int want = static_cast<int>(std::min<int64_t>(skip, sizeof scratch));
    const int got = Read(scratch, want);
    if (got <= 0) break;
    skip -= got;
  }
  return FOutput;
}
