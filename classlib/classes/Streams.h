// Streams: the abstract TStream and the handle, file, memory and string streams.
#pragma once
#include <cstdint>
#include <vector>
#include "../system/Win.h"
#include "../system/SysMath.h"
#include "Object.h"

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
