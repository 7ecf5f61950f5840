// Streams: the abstract TStream and the handle, file, memory, string and resource streams.
//
// Positions and sizes are 64-bit; a single Read or Write moves at most an int's worth of
// bytes. Memory-backed streams allow the position to go past the end: reading there gives
// nothing, writing there extends the stream and fills the gap with zero bytes.
#pragma once
#include <memory>
#include <cstdint>
#include <string>
#include <vector>
#include "../system/Win.h"
#include "../system/SysMath.h"
#include "Object.h"

CLASSLIB_EXCEPTION(EResNotFound, Exception)

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream : public TObject {
  CLASSLIB_CLASS(TStream, TObject)
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual int Read(void* buffer, int count) = 0;
  // Writes up to count bytes; returns how many were written.
  virtual int Write(const void* buffer, int count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
  virtual int64_t GetSize();
  virtual void SetSize(int64_t newSize);

  void ReadBuffer(void* buffer, int count);          // EReadError "Stream read error"
  void WriteBuffer(const void* buffer, int count);   // EWriteError "Stream write error"
  // Copies count bytes from source (all of it from its start when count is 0).
  int64_t CopyFrom(TStream& source, int64_t count);
};

// stream itself when it can tell its size; otherwise (a one-way stream such as a
// decompression stream) what is left of it copied into holder, from its start. Readers that
// check counts against the bytes left take what this returns.
class TMemoryStream;
TStream& SizedStream(TStream& stream, std::unique_ptr<TMemoryStream>& holder);

// ---- Streams over file handles ---------------------------------------------------

// Open modes: one access mode or'ed with one share mode. fmCreate creates (or empties) the
// file and opens it for reading and writing.
enum : unsigned {
  fmCreate = 0xFF00,
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,     // as exclusive: no one else may open the file
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
};

// A stream over a file handle that someone else owns and closes.
class THandleStream : public TStream {
  CLASSLIB_CLASS(THandleStream, TStream)
  explicit THandleStream(HANDLE handle) : FHandle(handle) {}

  HANDLE GetHandle() const { return FHandle; }

  // Read and Write return 0 when count <= 0 or the system call fails.
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  // Returns the new position, or -1 when the system refuses it (a negative position).
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // Moves to newSize and ends the file there; EStreamError when the system refuses.
  void SetSize(int64_t newSize) override;

 protected:
  HANDLE FHandle;  // the file handle; not owned here
};

// A stream over a named file; it opens the file in its constructor and closes it in its
// destructor.
class TFileStream : public THandleStream {
  CLASSLIB_CLASS(TFileStream, THandleStream)
  // mode is fmCreate or an fmOpen* access mode, or'ed with an fmShare* mode.
  // EFCreateError / EFOpenError name the file and give the system's reason.
  TFileStream(const String& fileName, unsigned mode);
  ~TFileStream() override;

  const String& GetFileName() const { return FFileName; }

 private:
  String FFileName;  // the name as given to the constructor
};

// ---- Streams over memory --------------------------------------------------------

// A stream over a block of memory it owns. The block grows in steps of 8 KB (and by a
// quarter of its size when written to sequentially), so writing byte by byte stays cheap.
class TMemoryStream : public TStream {
  CLASSLIB_CLASS(TMemoryStream, TStream)
  TMemoryStream() = default;

  // The first byte of the data (nullptr while nothing was allocated). Valid until the next
  // call that changes the size.
  void* GetMemory() { return FMemory.empty() ? nullptr : FMemory.data(); }

  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  // Any non-negative position is accepted, also past the end; returns -1 (and keeps the
  // position) when the result would be out of range.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t GetSize() override { return FSize; }
  // Keeps the position unless it lies past the new end; new bytes are zero.
  // EStreamError "Out of memory while expanding memory stream" when the memory is not there.
  void SetSize(int64_t newSize) override;

  void Clear();                              // frees the memory; size and position 0
  void LoadFromStream(TStream& stream);      // replaces the data by all of stream
  void SaveToStream(TStream& stream);        // writes all data at stream's position
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);

 private:
  void SetCapacity(int64_t newCapacity);

  std::vector<unsigned char> FMemory;  // the allocated block; its size is the capacity
  int64_t FSize = 0;                   // bytes of data in FMemory
  int64_t FPosition = 0;               // may exceed FSize
};

// A stream over a byte string. Text enters and leaves it through code page 936, as byte
// text does everywhere in the program. The position is kept between 0 and the size.
class TStringStream : public TStream {
  CLASSLIB_CLASS(TStringStream, TStream)
  explicit TStringStream(const AnsiString& bytes = AnsiString()) : FDataString(bytes) {}
  explicit TStringStream(const String& text);  // text as code page 936 bytes

  String GetDataString() const;                 // the bytes decoded from code page 936
  const AnsiString& GetBytes() const { return FDataString; }

  int Read(void* buffer, int count) override;
  // Overwrites from the position and extends the string where it runs past the end.
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t GetSize() override { return static_cast<int64_t>(FDataString.size()); }
  void SetSize(int64_t newSize) override;

 private:
  AnsiString FDataString;  // the bytes
  int64_t FPosition = 0;   // 0..size
};

// A read-only stream over a resource of a loaded module. The data belongs to the module,
// which must stay loaded while the stream is used.
class TResourceStream : public TStream {
  CLASSLIB_CLASS(TResourceStream, TStream)
  // resType is a resource type name or an integer type (RT_RCDATA and the like).
  // EResNotFound "Resource %s not found" when the module has no such resource.
  TResourceStream(HINSTANCE instance, const String& resName, const wchar_t* resType);
  TResourceStream(HINSTANCE instance, int resId, const wchar_t* resType);

  const void* GetMemory() const { return FData; }

  int Read(void* buffer, int count) override;
  // EStreamError: the data cannot be changed.
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t GetSize() override { return FSize; }

 private:
  void Initialize(HINSTANCE instance, const wchar_t* name, const wchar_t* resType,
                  const String& nameForMessage);

  const unsigned char* FData = nullptr;  // the resource's bytes, owned by the module
  int64_t FSize = 0;
  int64_t FPosition = 0;                 // may exceed FSize
};
