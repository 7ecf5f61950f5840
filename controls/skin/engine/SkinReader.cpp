#include "SkinReader.h"

#include <algorithm>
#include <string>


namespace {

constexpr int64_t Chunk = 64 * 1024;

// The innermost reader reading on this thread.
thread_local TSeSkinReader* gReading = nullptr;

}  // namespace

void SkinReadError() { throw EReadError(L"Stream read error"); }

TSeSkinReader::TSeSkinReader(TStream& stream, int64_t budget)
    : FStream(stream), FLeft(std::max<int64_t>(budget, 0)), FOuter(gReading) {
  try {
    FLeft = std::min(FLeft, std::max<int64_t>(stream.GetSize() - stream.GetPosition(), 0));
  } catch (const Exception&) {
    // A one-way stream: the budget alone bounds it.
  }
  gReading = this;
}

TSeSkinReader::~TSeSkinReader() { gReading = FOuter; }

void TSeSkinReader::Read(void* buffer, int64_t count) {
  if (count < 0 || count > FLeft) SkinReadError();
  auto* at = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    const int part = static_cast<int>(std::min(count, Chunk));
    // A body cut short is the readers' error; corrupt compressed data raises the
    // decompression stream's own EDecompressionError, which callers may catch as such.
    if (FStream.Read(at, part) != part) SkinReadError();
    at += part;
    count -= part;
    FLeft -= part;
  }
}

int32_t TSeSkinReader::ReadInt32() {
  int32_t value = 0;
  Read(&value, sizeof value);
  return value;
}

int32_t TSeSkinReader::ReadCount(int minBytesEach) {
  const int32_t count = ReadInt32();
  if (count < 0 || static_cast<int64_t>(count) * std::max(minBytesEach, 1) > FLeft) SkinReadError();
  return count;
}

String TSeSkinReader::ReadString(int64_t maxBytes) {
  const int32_t count = ReadInt32();
  if (count > maxBytes) SkinReadError();
  return ReadStringBytes(count);
}

String TSeSkinReader::ReadStringBytes(int64_t count) {
  if (count < 0 || count > FLeft) SkinReadError();
  std::string bytes;
  int64_t left = count;
  char block[4096];
  while (left > 0) {
    const int64_t part = std::min<int64_t>(left, sizeof block);
    Read(block, part);
    bytes.append(block, static_cast<size_t>(part));
    left -= part;
  }
  return Cp936ToString(bytes);
}

void TSeSkinReader::ReadBlock(int64_t count, TMemoryStream& into) {
  if (count < 0 || count > FLeft) SkinReadError();
  into.Clear();
  unsigned char block[8192];
  while (count > 0) {
    const int part = static_cast<int>(std::min<int64_t>(count, sizeof block));
    Read(block, part);
    into.WriteBuffer(block, part);
    count -= part;
  }
  into.SetPosition(0);
}

void TSeSkinReader::TakePicture(int64_t width, int64_t height, int transientBytesPerPixel) {
  if (width < 1 || height < 1 || width > MaxBitmapSide || height > MaxBitmapSide) SkinReadError();
  const int64_t pixels = width * height;
  if (pixels * (4 + std::max(transientBytesPerPixel, 0)) > FPicturesLeft) SkinReadError();
  FPicturesLeft -= pixels * 4;
}

TSeSkinReader& TSeSkinReader::Outermost() {
  TSeSkinReader* reader = this;
  while (reader->FOuter) reader = reader->FOuter;
  return *reader;
}

void TSeSkinReader::CheckObjectCount(int64_t count) {
  if (count < 0 || count > Outermost().FObjectsLeft) SkinReadError();
}

void TSeSkinReader::TakeObject() {
  CheckObjectCount(1);
  --Outermost().FObjectsLeft;
}

int32_t TSeSkinReader::ReadObjectDataSize() {
  const int32_t size = ReadInt32();
  TSeSkinReader& outermost = Outermost();
  if (size < 0 || size > FLeft || size > outermost.FObjectDataLeft) SkinReadError();
  outermost.FObjectDataLeft -= size;
  return size;
}

void TSeSkinReader::ReadBitmap(TSeBitmap& bitmap) {
  const String name = ReadString(MaxNameBytes);
  const int32_t width = ReadInt32(), height = ReadInt32();
  if (width < 0 || height < 0 || width > MaxBitmapSide || height > MaxBitmapSide)
    SkinReadError();
  // Checked against what may still be read before the picture is made: at most the budget.
  if (int64_t(width) * height * 4 > FLeft) SkinReadError();
  bitmap.SetName(name);
  if (width == 0 || height == 0) {
    bitmap.MakeEmpty();  // no picture, as the record says, whatever the bitmap held before
    return;
  }
  TakePicture(width, height, 0);
  try {
    bitmap.SetSize(width, height);
  } catch (const Exception&) {
    SkinReadError();  // no DIB to be had: the bitmap is left empty
  }
  if (bitmap.GetWidth() != width || bitmap.GetHeight() != height || !bitmap.GetBits())
    SkinReadError();
  ::GdiFlush();
  Read(bitmap.GetBits(), int64_t(width) * height * 4);
}
