#include "Streams.h"

#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>
#include "../system/SysFiles.h"

namespace {

// The largest block a memory stream asks for; a 32-bit process never gets near it.
constexpr int64_t kMaxMemorySize = 0x7FFFF000;
// Memory streams allocate in multiples of this.
constexpr int64_t kMemoryDelta = 0x2000;

// The position that offset from origin gives, for a stream of the given size at the given
// position; false when the origin is unknown or the sum leaves the int64 range.
bool SeekTarget(int64_t position, int64_t size, int64_t offset, TSeekOrigin origin,
                int64_t& target) {
  int64_t base;
  switch (origin) {
    case soBeginning: base = 0; break;
    case soCurrent: base = position; break;
    case soEnd: base = size; break;
    default: return false;
  }
  return !__builtin_add_overflow(base, offset, &target);
}

// Copies up to count bytes of a block of size bytes from position on; returns how many.
int ReadFromBlock(const unsigned char* data, int64_t size, int64_t& position, void* buffer,
                  int count) {
  if (count <= 0 || position < 0 || position >= size) return 0;
  const int bytes = static_cast<int>(Min<int64_t>(count, size - position));
  std::memcpy(buffer, data + position, static_cast<size_t>(bytes));
  position += bytes;
  return bytes;
}

[[noreturn]] void RaiseMemoryStreamError() {
  throw EStreamError(L"Out of memory while expanding memory stream");
}

}  // namespace

// ---- TStream ------------------------------------------------------------------

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
  if (count <= 0) return 0;  // a negative count copies nothing
  const int64_t total = count;
  std::vector<unsigned char> buffer(static_cast<size_t>(Min<int64_t>(count, 0xF000)));
  while (count > 0) {
    int chunk = static_cast<int>(Min<int64_t>(count, 0xF000));
    source.ReadBuffer(buffer.data(), chunk);
    WriteBuffer(buffer.data(), chunk);
    count -= chunk;
  }
  return total;
}

// ---- THandleStream --------------------------------------------------------------

int THandleStream::Read(void* buffer, int count) {
  if (count <= 0) return 0;
  DWORD done = 0;
  if (!ReadFile(FHandle, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<int>(done);
}

int THandleStream::Write(const void* buffer, int count) {
  if (count <= 0) return 0;
  DWORD done = 0;
  if (!WriteFile(FHandle, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<int>(done);
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
  DWORD method;
  switch (origin) {
    case soBeginning: method = FILE_BEGIN; break;
    case soCurrent: method = FILE_CURRENT; break;
    case soEnd: method = FILE_END; break;
    default: return -1;
  }
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER position;
  if (!SetFilePointerEx(FHandle, distance, &position, method)) return -1;
  return position.QuadPart;
}

void THandleStream::SetSize(int64_t newSize) {
  if (newSize < 0 || Seek(newSize, soBeginning) != newSize || !SetEndOfFile(FHandle))
    throw EStreamError(L"Error setting stream size: %s", {SysErrorMessage(GetLastError())});
}

// ---- TFileStream ----------------------------------------------------------------

namespace {

// Access and share flags of an open mode; false when the mode has bits it does not know.
bool MapOpenMode(unsigned mode, DWORD& access, DWORD& share) {
  static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE};
  const unsigned accessIndex = mode & 0x3;
  const unsigned shareIndex = (mode & 0xF0) >> 4;
  if (accessIndex > 2 || shareIndex > 4 || (mode & ~0xF3u) != 0) return false;
  access = kAccess[accessIndex];
  share = kShare[shareIndex];
  return true;
}

}  // namespace

TFileStream::TFileStream(const String& fileName, unsigned mode)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(fileName) {
  const bool create = (mode & fmCreate) == fmCreate;
  DWORD access = 0;
  DWORD share = 0;
  // fmCreate always reads and writes; its share bits still apply.
  const bool known = MapOpenMode(create ? (mode & 0xF0) | fmOpenReadWrite : mode, access, share);
  if (known)
    FHandle = CreateFileW(fileName.c_str(), access, share, nullptr,
                          create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (FHandle == INVALID_HANDLE_VALUE) {
    const DWORD error = known ? GetLastError() : ERROR_INVALID_PARAMETER;
    const String name = ExpandFileName(fileName);
    if (create)
      throw EFCreateError(L"Cannot create file \"%s\". %s", {name, SysErrorMessage(error)});
    throw EFOpenError(L"Cannot open file \"%s\". %s", {name, SysErrorMessage(error)});
  }
}

TFileStream::~TFileStream() {
  if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
}

// ---- TMemoryStream ----------------------------------------------------------------

void TMemoryStream::SetCapacity(int64_t newCapacity) {
  if (newCapacity < 0 || newCapacity > kMaxMemorySize) RaiseMemoryStreamError();
  if (newCapacity > 0 && newCapacity != FSize)
    newCapacity = Min<int64_t>((newCapacity + kMemoryDelta - 1) & ~(kMemoryDelta - 1),
                               kMaxMemorySize);
  if (newCapacity == static_cast<int64_t>(FMemory.size())) return;
  try {
    if (newCapacity == 0) {
      std::vector<unsigned char>().swap(FMemory);
    } else if (newCapacity < static_cast<int64_t>(FMemory.size())) {
      FMemory.resize(static_cast<size_t>(newCapacity));
      FMemory.shrink_to_fit();
    } else {
      FMemory.resize(static_cast<size_t>(newCapacity));
    }
  } catch (const std::bad_alloc&) {
    RaiseMemoryStreamError();
  } catch (const std::length_error&) {
    RaiseMemoryStreamError();
  }
}

int TMemoryStream::Read(void* buffer, int count) {
  return ReadFromBlock(FMemory.data(), FSize, FPosition, buffer, count);
}

int TMemoryStream::Write(const void* buffer, int count) {
  if (count <= 0 || FPosition < 0) return 0;
  if (FPosition > kMaxMemorySize - count) RaiseMemoryStreamError();
  const int64_t end = FPosition + count;
  if (end > FSize) {
    const int64_t capacity = static_cast<int64_t>(FMemory.size());
    if (end > capacity) SetCapacity(Max<int64_t>(end, Min(capacity + capacity / 4, kMaxMemorySize)));
    // Bytes between the old end and the position may hold old data of a shrunk stream.
    if (FPosition > FSize)
      std::memset(FMemory.data() + FSize, 0, static_cast<size_t>(FPosition - FSize));
    FSize = end;
  }
  std::memcpy(FMemory.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t target;
  if (!SeekTarget(FPosition, FSize, offset, origin, target) || target < 0) return -1;
  FPosition = target;
  return FPosition;
}

void TMemoryStream::SetSize(int64_t newSize) {
  if (newSize < 0) RaiseMemoryStreamError();
  const int64_t oldSize = FSize;
  SetCapacity(newSize);
  if (newSize > oldSize)
    std::memset(FMemory.data() + oldSize, 0, static_cast<size_t>(newSize - oldSize));
  FSize = newSize;
  if (FPosition > newSize) FPosition = newSize;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  FSize = 0;
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  const int64_t count = stream.GetSize();
  if (count < 0 || count > INT_MAX) RaiseMemoryStreamError();
  SetSize(count);
  if (count != 0) stream.ReadBuffer(FMemory.data(), static_cast<int>(count));
}

void TMemoryStream::SaveToStream(TStream& stream) {
  if (FSize != 0) stream.WriteBuffer(FMemory.data(), static_cast<int>(FSize));
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const String& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

// ---- TStringStream ------------------------------------------------------------------

TStringStream::TStringStream(const String& text) : FDataString(StringToCp936(text)) {}

String TStringStream::GetDataString() const { return Cp936ToString(FDataString); }

int TStringStream::Read(void* buffer, int count) {
  return ReadFromBlock(reinterpret_cast<const unsigned char*>(FDataString.data()),
                       GetSize(), FPosition, buffer, count);
}

int TStringStream::Write(const void* buffer, int count) {
  if (count <= 0) return 0;
  const size_t position = static_cast<size_t>(FPosition);
  const size_t end = position + static_cast<size_t>(count);
  if (end < position || end > static_cast<size_t>(kMaxMemorySize)) RaiseMemoryStreamError();
  try {
    if (end > FDataString.size()) FDataString.resize(end);
  } catch (const std::bad_alloc&) {
    RaiseMemoryStreamError();
  }
  std::memcpy(FDataString.data() + position, buffer, static_cast<size_t>(count));
  FPosition = static_cast<int64_t>(end);
  return count;
}

int64_t TStringStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t target;
  if (!SeekTarget(FPosition, GetSize(), offset, origin, target)) return FPosition;
  FPosition = Max<int64_t>(0, Min(target, GetSize()));
  return FPosition;
}

void TStringStream::SetSize(int64_t newSize) {
  if (newSize < 0 || newSize > kMaxMemorySize) RaiseMemoryStreamError();
  try {
    FDataString.resize(static_cast<size_t>(newSize));
  } catch (const std::bad_alloc&) {
    RaiseMemoryStreamError();
  }
  if (FPosition > newSize) FPosition = newSize;
}

// ---- TResourceStream ------------------------------------------------------------------

TResourceStream::TResourceStream(HINSTANCE instance, const String& resName,
                                 const wchar_t* resType) {
  Initialize(instance, resName.c_str(), resType, resName);
}

TResourceStream::TResourceStream(HINSTANCE instance, int resId, const wchar_t* resType) {
  // An integer name is passed in the pointer's low word, as the system expects.
  if (resId < 0 || resId > 0xFFFF)
    throw EResNotFound(L"Resource %s not found", {IntToStr(resId)});
  Initialize(instance, MAKEINTRESOURCEW(resId), resType, IntToStr(resId));
}

void TResourceStream::Initialize(HINSTANCE instance, const wchar_t* name, const wchar_t* resType,
                                 const String& nameForMessage) {
  HRSRC info = FindResourceW(instance, name, resType);
  HGLOBAL handle = info ? LoadResource(instance, info) : nullptr;
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data) throw EResNotFound(L"Resource %s not found", {nameForMessage});
  FData = static_cast<const unsigned char*>(data);
  FSize = SizeofResource(instance, info);
}

int TResourceStream::Read(void* buffer, int count) {
  return ReadFromBlock(FData, FSize, FPosition, buffer, count);
}

int TResourceStream::Write(const void*, int) {
  throw EStreamError(L"Can't write to a read-only resource stream");
}

int64_t TResourceStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t target;
  if (!SeekTarget(FPosition, FSize, offset, origin, target) || target < 0) return -1;
  FPosition = target;
  return FPosition;
}

TStream& SizedStream(TStream& stream, std::unique_ptr<TMemoryStream>& holder) {
  try {
    stream.GetSize();
    return stream;
  } catch (const EStreamError&) {
  } catch (const Exception&) {
    // A stream that cannot seek says so with its own exception class.
  }
  holder = std::make_unique<TMemoryStream>();
  unsigned char block[8192];
  for (;;) {
    const int got = stream.Read(block, sizeof block);
    if (got <= 0) break;
    holder->WriteBuffer(block, got);
  }
  holder->SetPosition(0);
  return *holder;
}
