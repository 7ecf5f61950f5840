#include "Filer.h"

#include <climits>
#include <cstring>
#include "../system/SysMath.h"

namespace {

const wchar_t* const SReadError = L"Stream read error";
const wchar_t* const SInvalidImage = L"Invalid stream format";
const wchar_t* const SInvalidPropertyValue = L"Invalid property value";

const char FilerSignature[4] = {'T', 'P', 'F', '0'};

// ---- Little-endian integers -------------------------------------------------------------

template <class T>
T LoadLE(const uint8_t* bytes) {
  uint64_t value = 0;
  for (size_t i = sizeof(T); i-- > 0;) value = (value << 8) | bytes[i];
  return static_cast<T>(value);
}

template <class T>
void StoreLE(T value, uint8_t* bytes) {
  uint64_t bits = static_cast<uint64_t>(value);
  for (size_t i = 0; i < sizeof(T); ++i, bits >>= 8) bytes[i] = static_cast<uint8_t>(bits);
}

bool IsAscii(const String& text) {
  for (wchar_t c : text)
    if (c >= 0x80) return false;
  return true;
}

bool IsAscii(const std::string& bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

String WidenAscii(const std::string& bytes) { return String(bytes.begin(), bytes.end()); }

// Byte text as the reader gives it: code page 936 when the bytes are valid 936 text (they
// encode back to themselves); otherwise each byte as the character of the same code, so
// that no byte sequence loses information on its way to text and back.
String DecodeByteString(const std::string& bytes) {
  if (IsAscii(bytes)) return WidenAscii(bytes);
  String text = Cp936ToString(bytes);
  if (StringToCp936(text) == bytes) return text;
  String latin;
  latin.reserve(bytes.size());
  for (char c : bytes) latin.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return latin;
}

// A short byte string (at most 255 bytes, the length in one byte) read and decoded: plain
// ASCII, by far the most common, goes straight into the text without a byte copy.
String ReadShortByteString(TReader& reader, uint8_t length) {
  char bytes[256];
  reader.Read(bytes, length);
  bool ascii = true;
  for (uint8_t i = 0; i < length && ascii; ++i) ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
  if (ascii) return String(bytes, bytes + length);
  return DecodeByteString(std::string(bytes, length));
}

}  // namespace

// ---- 80-bit extended floats ----------------------------------------------------------------
//
// An extended is a 64-bit significand with an explicit integer bit (bit 63), a 15-bit
// exponent biased by 16383 and a sign bit: bytes 0..7 the significand, bytes 8..9 the sign
// and exponent. Exponent 0 holds zeros and denormals (scale 2^-16382), 0x7FFF infinities
// and NaNs.

void DoubleToExtended(double value, uint8_t extended[10]) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const uint16_t sign = (bits >> 63) ? 0x8000 : 0;
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  uint64_t significand = 0;
  int biased = 0;
  if (exponent == 0x7FF) {
    biased = 0x7FFF;
    significand = (uint64_t{1} << 63) | (fraction << 11);
  } else if (exponent != 0) {
    biased = exponent - 1023 + 16383;
    significand = (uint64_t{1} << 63) | (fraction << 11);
  } else if (fraction != 0) {
    // A denormal double is a normal extended: shift its leading one up to bit 63.
    int scale = -1022;
    significand = fraction << 11;
    while (!(significand >> 63)) {
      significand <<= 1;
      --scale;
    }
    biased = scale + 16383;
  }
  StoreLE<uint64_t>(significand, extended);
  StoreLE<uint16_t>(static_cast<uint16_t>(sign | biased), extended + 8);
}

double ExtendedToDouble(const uint8_t extended[10]) {
  uint64_t significand = LoadLE<uint64_t>(extended);
  const uint16_t signExponent = LoadLE<uint16_t>(extended + 8);
  const uint64_t sign = static_cast<uint64_t>(signExponent >> 15) << 63;
  const int biased = signExponent & 0x7FFF;
  uint64_t bits = sign;
  if (biased == 0x7FFF) {
    const uint64_t fraction = significand & ~(uint64_t{1} << 63);
    bits |= uint64_t{0x7FF} << 52;
    // A NaN keeps the top of its payload and stays a NaN even when that is all zero.
    if (fraction != 0) bits |= (fraction >> 11) ? (fraction >> 11) : (uint64_t{1} << 51);
  } else if (significand != 0) {
    // The value is significand * 2^(scale - 63); normalise so that bit 63 is set (this
    // also accepts the unnormal encodings, whose integer bit is clear).
    int scale = (biased == 0 ? 1 : biased) - 16383;
    while (!(significand >> 63)) {
      significand <<= 1;
      --scale;
    }
    // Keep 53 bits (fewer for a denormal result) and round the rest half to even.
    int drop = 11;
    if (scale < -1022) drop += -1022 - scale;
    if (drop >= 64) {
      // At most half the smallest denormal: zero, or that denormal when above the half.
      const bool aboveHalf = drop == 64 && significand > (uint64_t{1} << 63);
      bits |= aboveHalf ? 1 : 0;
    } else {
      uint64_t kept = significand >> drop;
      const uint64_t rest = significand & ((uint64_t{1} << drop) - 1);
      const uint64_t half = uint64_t{1} << (drop - 1);
      if (rest > half || (rest == half && (kept & 1))) ++kept;
      if (scale < -1022) {
        // A denormal: its pattern is the kept bits; rounding up into bit 52 gives the
        // smallest normal by the same pattern.
        bits |= kept;
      } else {
        if (kept >> 53) {
          kept >>= 1;
          ++scale;
        }
        if (scale > 1023)
          bits |= uint64_t{0x7FF} << 52;
        else
          bits |= (static_cast<uint64_t>(scale + 1023) << 52) | (kept & ((uint64_t{1} << 52) - 1));
      }
    }
  }
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// ---- TReader: position and raw data ---------------------------------------------------------

TReader::TReader(TStream& stream) : TFiler(stream), FSize(stream.GetSize()) {}

int64_t TReader::GetBytesLeft() const {
  const int64_t left = FSize - FStream.GetPosition();
  return left > 0 ? left : 0;
}

void TReader::Read(void* buffer, int count) { FStream.ReadBuffer(buffer, count); }

void TReader::CheckCount(int64_t count) const {
  if (count < 0 || count > GetBytesLeft()) throw EReadError(SReadError);
}

void TReader::SkipBytes(int64_t count) {
  CheckCount(count);
  FStream.Seek(count, soCurrent);
}

void TReader::PropValueError() { throw EReadError(SInvalidPropertyValue); }

void TReader::ReadSignature() {
  char signature[4];
  Read(signature, sizeof signature);
  if (std::memcmp(signature, FilerSignature, sizeof signature) != 0) throw EReadError(SInvalidImage);
}

void TReader::ReadPrefix(TFilerFlags& flags, int& childPos) {
  flags = TFilerFlags();
  if ((NextValue() & 0xF0) != 0xF0) return;
  uint8_t prefix;
  Read(&prefix, 1);
  if (prefix & 1) flags.Include(ffInherited);
  if (prefix & 2) flags.Include(ffChildPos);
  if (prefix & 4) flags.Include(ffInline);
  if (flags.Contains(ffChildPos)) childPos = ReadInteger();
}

String TReader::ReadStr() {
  uint8_t length;
  Read(&length, 1);
  return ReadShortByteString(*this, length);
}

// ---- TReader: value types --------------------------------------------------------------------

TValueType TReader::ReadValue() {
  uint8_t value;
  Read(&value, 1);
  return static_cast<TValueType>(value);
}

TValueType TReader::NextValue() {
  const TValueType value = ReadValue();
  FStream.Seek(-1, soCurrent);
  return value;
}

void TReader::CheckValue(TValueType value) {
  if (ReadValue() != value) PropValueError();
}

bool TReader::EndOfList() { return NextValue() == vaNull; }

void TReader::ReadListBegin() { CheckValue(vaList); }

void TReader::ReadListEnd() { CheckValue(vaNull); }

// ---- TReader: values ---------------------------------------------------------------------------

int32_t TReader::ReadInteger() {
  uint8_t bytes[4];
  switch (ReadValue()) {
    case vaInt8:
      Read(bytes, 1);
      return static_cast<int8_t>(bytes[0]);
    case vaInt16:
      Read(bytes, 2);
      return LoadLE<int16_t>(bytes);
    case vaInt32:
      Read(bytes, 4);
      return LoadLE<int32_t>(bytes);
    default:
      PropValueError();
  }
}

int64_t TReader::ReadInt64() {
  if (NextValue() != vaInt64) return ReadInteger();
  ReadValue();
  uint8_t bytes[8];
  Read(bytes, 8);
  return LoadLE<int64_t>(bytes);
}

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaFalse:
      return false;
    case vaTrue:
      return true;
    default:
      PropValueError();
  }
}

char TReader::ReadChar() {
  const TValueType type = NextValue();
  if (type == vaString || type == vaLString) {
    // The byte itself, whatever the code page makes of it alone.
    ReadValue();
    uint32_t length = 0;
    uint8_t bytes[4];
    if (type == vaString) {
      Read(bytes, 1);
      length = bytes[0];
    } else {
      Read(bytes, 4);
      length = LoadLE<uint32_t>(bytes);
    }
    if (length != 1) PropValueError();
    char c;
    Read(&c, 1);
    return c;
  }
  const wchar_t c = ReadWideChar();
  if (c < 0x80) return static_cast<char>(c);
  const std::string bytes = StringToCp936(String(1, c));
  if (bytes.size() == 1 && bytes[0] != '?') return bytes[0];
  if (c <= 0xFF) return static_cast<char>(c);  // a byte that came through text as its code
  PropValueError();
}

wchar_t TReader::ReadWideChar() {
  const TValueType type = NextValue();
  if (type != vaString && type != vaLString && type != vaWString && type != vaUTF8String)
    PropValueError();
  const String text = ReadString();
  if (text.size() != 1) PropValueError();
  return text[0];
}

double TReader::ReadFloat() {
  uint8_t bytes[10];
  switch (NextValue()) {
    case vaExtended:
      ReadValue();
      Read(bytes, 10);
      return ExtendedToDouble(bytes);
    case vaSingle: {
      ReadValue();
      Read(bytes, 4);
      const uint32_t bits = LoadLE<uint32_t>(bytes);
      float value;
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
    case vaDate: {
      ReadValue();
      Read(bytes, 8);
      const uint64_t bits = LoadLE<uint64_t>(bytes);
      double value;
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
    case vaCurrency:
      ReadValue();
      Read(bytes, 8);
      return static_cast<double>(LoadLE<int64_t>(bytes)) / 10000.0;
    default:
      return static_cast<double>(ReadInt64());
  }
}

float TReader::ReadSingle() { return static_cast<float>(ReadFloat()); }

double TReader::ReadCurrency() { return ReadFloat(); }

double TReader::ReadDate() { return ReadFloat(); }

String TReader::ReadString() {
  uint8_t bytes[4];
  const TValueType type = ReadValue();
  switch (type) {
    case vaString:
      Read(bytes, 1);
      return ReadShortByteString(*this, bytes[0]);
    case vaLString:
    case vaUTF8String: {
      Read(bytes, 4);
      const int32_t length = LoadLE<int32_t>(bytes);
      CheckCount(length);
      std::string text(static_cast<size_t>(length), '\0');
      Read(text.data(), length);
      return type == vaUTF8String ? Utf8ToString(text) : DecodeByteString(text);
    }
    case vaWString: {
      Read(bytes, 4);
      const int32_t count = LoadLE<int32_t>(bytes);
      CheckCount(int64_t{count} * 2);
      std::string data(static_cast<size_t>(count) * 2, '\0');
      Read(data.data(), count * 2);
      const auto* units = reinterpret_cast<const uint8_t*>(data.data());
      String text(static_cast<size_t>(count), L'\0');
      for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(LoadLE<uint16_t>(units + 2 * i));
      return text;
    }
    default:
      PropValueError();
  }
}

String TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent:
      return ReadStr();
    case vaFalse:
      return L"False";
    case vaTrue:
      return L"True";
    case vaNil:
      return L"nil";
    case vaNull:
      return L"Null";
    default:
      PropValueError();
  }
}

std::vector<String> TReader::ReadSet() {
  CheckValue(vaSet);
  std::vector<String> idents;
  // Every member takes at least one byte, so the stream's end bounds the loop.
  for (String ident = ReadStr(); !ident.empty(); ident = ReadStr()) idents.push_back(ident);
  return idents;
}

uint64_t TReader::ReadSet(const TEnumInfo& info) {
  uint64_t bits = 0;
  for (const String& ident : ReadSet()) {
    const int value = GetEnumValue(info, ident);
    if (value < 0 || value >= 64) PropValueError();
    bits |= uint64_t{1} << value;
  }
  return bits;
}

void TReader::ReadBinary(TStream& dest) {
  CheckValue(vaBinary);
  uint8_t bytes[4];
  Read(bytes, 4);
  int32_t count = LoadLE<int32_t>(bytes);
  CheckCount(count);
  uint8_t buffer[4096];
  while (count > 0) {
    const int chunk = count < static_cast<int32_t>(sizeof buffer) ? count : static_cast<int>(sizeof buffer);
    Read(buffer, chunk);
    dest.WriteBuffer(buffer, chunk);
    count -= chunk;
  }
}

void TReader::SkipValue() { SkipValue(0); }

void TReader::SkipValue(int depth) {
  if (depth >= MaxValueDepth) throw EReadError(SInvalidImage);
  uint8_t bytes[4];
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      break;
    case vaList:
      while (!EndOfList()) SkipValue(depth + 1);
      ReadListEnd();
      break;
    case vaInt8:
      SkipBytes(1);
      break;
    case vaInt16:
      SkipBytes(2);
      break;
    case vaInt32:
    case vaSingle:
      SkipBytes(4);
      break;
    case vaInt64:
    case vaCurrency:
    case vaDate:
      SkipBytes(8);
      break;
    case vaExtended:
      SkipBytes(10);
      break;
    case vaString:
    case vaIdent:
      Read(bytes, 1);
      SkipBytes(bytes[0]);
      break;
    case vaLString:
    case vaUTF8String:
    case vaBinary:
      Read(bytes, 4);
      SkipBytes(LoadLE<int32_t>(bytes));
      break;
    case vaWString:
      Read(bytes, 4);
      SkipBytes(int64_t{LoadLE<int32_t>(bytes)} * 2);
      break;
    case vaSet:
      for (;;) {
        Read(bytes, 1);
        if (bytes[0] == 0) break;
        SkipBytes(bytes[0]);
      }
      break;
    case vaCollection:
      while (!EndOfList()) {
        const TValueType next = NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();
        ReadListBegin();
        while (!EndOfList()) {
          Read(bytes, 1);  // the property's name
          SkipBytes(bytes[0]);
          SkipValue(depth + 1);
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
    default:
      PropValueError();
  }
}

// ---- TReader: defined properties -----------------------------------------------------------------

void TReader::DefineProperty(const String& name, const TReaderProc& readData,
                             const TWriterProc& writeData, bool hasData) {
  if (!readData || FPropName.empty() || !SameText(name, FPropName)) return;
  readData(this);
  FPropName.clear();
}

void TReader::DefineBinaryProperty(const String& name, const TStreamProc& readData,
                                   const TStreamProc& writeData, bool hasData) {
  if (!readData || FPropName.empty() || !SameText(name, FPropName)) return;
  TMemoryStream data;
  ReadBinary(data);
  data.SetPosition(0);
  readData(data);
  FPropName.clear();
}

// ---- TWriter: raw data -------------------------------------------------------------------------------

void TWriter::Write(const void* buffer, int count) { FStream.WriteBuffer(buffer, count); }

void TWriter::WriteSignature() { Write(FilerSignature, sizeof FilerSignature); }

void TWriter::WritePrefix(TFilerFlags flags, int childPos) {
  if (flags.Empty()) return;
  uint8_t prefix = 0xF0;
  if (flags.Contains(ffInherited)) prefix |= 1;
  if (flags.Contains(ffChildPos)) prefix |= 2;
  if (flags.Contains(ffInline)) prefix |= 4;
  Write(&prefix, 1);
  if (flags.Contains(ffChildPos)) WriteInteger(childPos);
}

void TWriter::WriteStr(const String& value) {
  if (value.size() <= 255 && IsAscii(value)) {
    // The common case, narrowed on the stack.
    char narrow[256];
    for (size_t i = 0; i < value.size(); ++i) narrow[i] = static_cast<char>(value[i]);
    const uint8_t length = static_cast<uint8_t>(value.size());
    Write(&length, 1);
    Write(narrow, length);
    return;
  }
  std::string bytes;
  if (IsAscii(value)) {
    bytes.assign(value.begin(), value.end());
  } else {
    bytes = StringToCp936(value);
    if (DecodeByteString(bytes) != value)
      throw EWriteError(L"Character not representable in a short string: %s", {value});
  }
  if (bytes.size() > 255) throw EWriteError(L"String too long for a short string: %s", {value});
  const uint8_t length = static_cast<uint8_t>(bytes.size());
  Write(&length, 1);
  Write(bytes.data(), length);
}

void TWriter::WritePropName(const String& name) { WriteStr(FPropPath + name); }

// ---- TWriter: values -----------------------------------------------------------------------------------

void TWriter::WriteValue(TValueType value) {
  const uint8_t byte = value;
  Write(&byte, 1);
}

void TWriter::WriteListBegin() { WriteValue(vaList); }

void TWriter::WriteListEnd() { WriteValue(vaNull); }

void TWriter::WriteInteger(int64_t value) {
  uint8_t bytes[8];
  if (value >= INT8_MIN && value <= INT8_MAX) {
    WriteValue(vaInt8);
    bytes[0] = static_cast<uint8_t>(value);
    Write(bytes, 1);
  } else if (value >= INT16_MIN && value <= INT16_MAX) {
    WriteValue(vaInt16);
    StoreLE<int16_t>(static_cast<int16_t>(value), bytes);
    Write(bytes, 2);
  } else if (value >= INT32_MIN && value <= INT32_MAX) {
    WriteValue(vaInt32);
    StoreLE<int32_t>(static_cast<int32_t>(value), bytes);
    Write(bytes, 4);
  } else {
    WriteValue(vaInt64);
    StoreLE<int64_t>(value, bytes);
    Write(bytes, 8);
  }
}

void TWriter::WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }

void TWriter::WriteChar(char value) {
  WriteValue(vaString);
  const uint8_t length = 1;
  Write(&length, 1);
  Write(&value, 1);
}

void TWriter::WriteWideChar(wchar_t value) { WriteString(String(1, value)); }

void TWriter::WriteFloat(double value) {
  uint8_t extended[10];
  DoubleToExtended(value, extended);
  WriteValue(vaExtended);
  Write(extended, 10);
}

void TWriter::WriteSingle(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  uint8_t bytes[4];
  StoreLE<uint32_t>(bits, bytes);
  WriteValue(vaSingle);
  Write(bytes, 4);
}

void TWriter::WriteCurrency(double value) {
  uint8_t bytes[8];
  StoreLE<int64_t>(Round(value * 10000.0), bytes);
  WriteValue(vaCurrency);
  Write(bytes, 8);
}

void TWriter::WriteDate(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  uint8_t bytes[8];
  StoreLE<uint64_t>(bits, bytes);
  WriteValue(vaDate);
  Write(bytes, 8);
}

void TWriter::WriteString(const String& value) {
  if (!IsAscii(value)) {
    WriteWideString(value);
    return;
  }
  if (value.size() > INT32_MAX) throw EWriteError(L"Stream write error");
  if (value.size() <= 255) {
    // The common case: narrowed on the stack behind its one-byte length.
    char bytes[1 + 1 + 255];
    bytes[0] = static_cast<char>(vaString);
    bytes[1] = static_cast<char>(value.size());
    for (size_t i = 0; i < value.size(); ++i) bytes[2 + i] = static_cast<char>(value[i]);
    Write(bytes, static_cast<int>(2 + value.size()));
    return;
  }
  const std::string bytes(value.begin(), value.end());
  uint8_t header[4];
  if (bytes.size() <= 255) {
    WriteValue(vaString);
    header[0] = static_cast<uint8_t>(bytes.size());
    Write(header, 1);
  } else {
    WriteValue(vaLString);
    StoreLE<int32_t>(static_cast<int32_t>(bytes.size()), header);
    Write(header, 4);
  }
  Write(bytes.data(), static_cast<int>(bytes.size()));
}

void TWriter::WriteWideString(const String& value) {
  if (value.size() > INT32_MAX / 2) throw EWriteError(L"Stream write error");
  std::string data(value.size() * 2, '\0');
  for (size_t i = 0; i < value.size(); ++i)
    StoreLE<uint16_t>(static_cast<uint16_t>(value[i]), reinterpret_cast<uint8_t*>(data.data()) + 2 * i);
  uint8_t header[4];
  StoreLE<int32_t>(static_cast<int32_t>(value.size()), header);
  WriteValue(vaWString);
  Write(header, 4);
  Write(data.data(), static_cast<int>(data.size()));
}

void TWriter::WriteIdent(const String& ident) {
  if (SameText(ident, L"False"))
    WriteValue(vaFalse);
  else if (SameText(ident, L"True"))
    WriteValue(vaTrue);
  else if (SameText(ident, L"Null"))
    WriteValue(vaNull);
  else if (SameText(ident, L"nil"))
    WriteValue(vaNil);
  else {
    WriteValue(vaIdent);
    WriteStr(ident);
  }
}

void TWriter::WriteSet(const std::vector<String>& idents) {
  WriteValue(vaSet);
  for (const String& ident : idents) {
    // An empty member would end the set early.
    if (ident.empty()) throw EWriteError(L"Invalid property value");
    WriteStr(ident);
  }
  WriteStr(String());
}

void TWriter::WriteSet(uint64_t bits, const TEnumInfo& info) {
  std::vector<String> idents;
  for (int i = 0; i < info.Count && i < 64; ++i)
    if (bits & (uint64_t{1} << i)) idents.push_back(GetEnumName(info, i));
  WriteSet(idents);
}

void TWriter::WriteBinary(const void* data, int count) {
  if (count < 0) throw EWriteError(L"Stream write error");
  uint8_t header[4];
  StoreLE<int32_t>(count, header);
  WriteValue(vaBinary);
  Write(header, 4);
  Write(data, count);
}

void TWriter::WriteBinary(const TStreamProc& writeData) {
  TMemoryStream data;
  if (writeData) writeData(data);
  const int64_t size = data.GetSize();
  if (size > INT32_MAX) throw EWriteError(L"Stream write error");
  WriteBinary(data.GetMemory(), static_cast<int>(size));
}

// ---- TWriter: defined properties ------------------------------------------------------------------------

void TWriter::DefineProperty(const String& name, const TReaderProc& readData,
                             const TWriterProc& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  writeData(this);
}

void TWriter::DefineBinaryProperty(const String& name, const TStreamProc& readData,
                                   const TStreamProc& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  WriteBinary(writeData);
}
