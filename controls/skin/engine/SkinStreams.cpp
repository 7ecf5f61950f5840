#include "SkinStreams.h"

#include <cstdint>
#include <string>

void WriteStreamString(TStream& stream, const String& value) {
  const std::string bytes = StringToCp936(value);
  const int32_t count = static_cast<int32_t>(bytes.size());
  stream.WriteBuffer(&count, sizeof(count));
  if (count > 0) stream.WriteBuffer(bytes.data(), count);
}

String ReadStreamString(TStream& stream, int maxBytes) {
  int32_t count = 0;
  stream.ReadBuffer(&count, sizeof(count));
  const int64_t remaining = stream.GetSize() - stream.GetPosition();
  if (count < 0 || count > maxBytes || count > remaining) throw EReadError(L"Stream read error");
  std::string bytes(static_cast<size_t>(count), '\0');
  if (count > 0) stream.ReadBuffer(bytes.data(), count);
  return Cp936ToString(bytes);
}
