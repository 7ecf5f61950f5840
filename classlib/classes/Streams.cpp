#include "Streams.h"

int64_t TStream::GetSize() {
  int64_t position = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(position, soBeginning);
  return size;
}

void TStream::SetSize(int64_t) { throw EStreamError(L"Stream cannot change its size"); }

void TStream::ReadBuffer(void* buffer, int count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count))
    throw EReadError(L"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count))
    throw EWriteError(L"Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  const int64_t total = count;
  std::vector<unsigned char> buffer(static_cast<size_t>(Min<int64_t>(count, 0xF000) + 1));
  while (count > 0) {
    int chunk = static_cast<int>(Min<int64_t>(count, 0xF000));
    source.ReadBuffer(buffer.data(), chunk);
    WriteBuffer(buffer.data(), chunk);
    count -= chunk;
  }
  return total;
}
