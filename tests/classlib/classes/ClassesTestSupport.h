// Test support for the classes units: bytes in a memory stream and back, for the tests of
// the binary and text forms of objects, and the message of an exception a test provokes.
#pragma once
#include <string>

#include "classlib/classes/Streams.h"
#include "tests/ErrorMessages.h"

namespace classes_tests {

// The message of the E that action raises, or "<no exception>".
template <class E, class F>
String MessageOf(F action) {
  return ErrorMessageOf<E>(action, L"<no exception>");
}

using Bytes = std::string;

// Everything a memory stream holds.
inline Bytes Contents(TMemoryStream& stream) {
  return Bytes(static_cast<const char*>(stream.GetMemory()), static_cast<size_t>(stream.GetSize()));
}

// A memory stream holding bytes, positioned at its start.
struct TBytesStream : TMemoryStream {
  explicit TBytesStream(const Bytes& bytes) {
    if (!bytes.empty()) WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
    SetPosition(0);
  }
};

}  // namespace classes_tests
