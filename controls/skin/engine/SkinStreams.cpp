#include "SkinStreams.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "SkinReader.h"

void WriteStreamString(TStream& stream, const String& value) {
  const std::string bytes = StringToCp936(value);
  const int32_t count = static_cast<int32_t>(bytes.size());
  stream.WriteBuffer(&count, sizeof(count));
  if (count > 0) stream.WriteBuffer(bytes.data(), count);
}

String ReadStreamString(TStream& stream, int maxBytes) {
  // The count and at most maxBytes: nothing beyond the string is ever read.
  TSeSkinReader reader(stream, int64_t{4} + std::max(maxBytes, 0));
  return reader.ReadString(maxBytes);
}
