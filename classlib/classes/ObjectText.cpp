#include "ObjectText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include "../system/SysMath.h"

namespace {

const wchar_t* const SParseError = L"%s on line %d";
const wchar_t* const SIdentifierExpected = L"Identifier expected";
const wchar_t* const SStringExpected = L"String expected";
const wchar_t* const SNumberExpected = L"Number expected";
const wchar_t* const SCharExpected = L"'%s' expected";
const wchar_t* const SSymbolExpected = L"%s expected";
const wchar_t* const SInvalidBinary = L"Invalid binary value";
const wchar_t* const SInvalidString = L"Invalid string constant";
const wchar_t* const SInvalidProperty = L"Invalid property value";
const wchar_t* const SInvalidInteger = L"'%s' is not a valid integer value";
const wchar_t* const SInvalidFloat = L"'%s' is not a valid floating point value";
const wchar_t* const SReadError = L"Stream read error";

// Objects may nest this deep in either form; layouts nest a handful of levels.
constexpr int MaxObjectDepth = 64;
// Characters of a string on one line of the text form before it is continued with '+'.
constexpr int LineLength = 64;
// Bytes of a binary block on one line of the text form.
constexpr int BytesPerLine = 32;

bool IsIdentStart(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; }
bool IsIdentChar(wchar_t c) { return IsIdentStart(c) || (c >= L'0' && c <= L'9'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsHexDigit(wchar_t c) {
  return IsDigit(c) || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
}
int HexValue(wchar_t c) {
  if (IsDigit(c)) return c - L'0';
  if (c >= L'a') return c - L'a' + 10;
  return c - L'A' + 10;
}

// ---- Decoding the source ------------------------------------------------------------------

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(const std::string& bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    int extra;
    uint32_t code;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (bytes.size() - i <= static_cast<size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

String DecodeSource(const std::string& bytes) {
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    return Utf8ToString(std::string_view(bytes).substr(3));
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    String text;
    text.reserve((bytes.size() - 2) / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
  }
  return IsValidUtf8(bytes) ? Utf8ToString(bytes) : Cp936ToString(bytes);
}

std::string ReadRest(TStream& stream) {
  const int64_t count = stream.GetSize() - stream.GetPosition();
  if (count <= 0) return std::string();
  if (count > INT_MAX) throw EReadError(SReadError);
  std::string bytes(static_cast<size_t>(count), '\0');
  stream.ReadBuffer(bytes.data(), static_cast<int>(count));
  return bytes;
}

// ---- Numbers ------------------------------------------------------------------------------------

std::string Narrow(const String& text) {
  std::string result;
  result.reserve(text.size());
  for (wchar_t c : text) result.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return result;
}

// -digits, digits or $hex: the integer literals of the text form.
bool ParseInteger(const String& text, int64_t& value) {
  if (text.empty()) return false;
  if (text[0] == L'$') {
    if (text.size() < 2 || text.size() > 17) return false;
    uint64_t bits = 0;
    for (size_t i = 1; i < text.size(); ++i) {
      if (!IsHexDigit(text[i])) return false;
      bits = (bits << 4) | static_cast<uint64_t>(HexValue(text[i]));
    }
    value = static_cast<int64_t>(bits);
    return true;
  }
  const std::string narrow = Narrow(text);
  const char* end = narrow.data() + narrow.size();
  const auto result = std::from_chars(narrow.data(), end, value, 10);
  return result.ec == std::errc() && result.ptr == end;
}

template <class F>
bool ParseFloat(const String& text, F& value) {
  const std::string narrow = Narrow(text);
  const char* end = narrow.data() + narrow.size();
  const auto result = std::from_chars(narrow.data(), end, value);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

// The shortest text that reads back as the same value, always with a '.' or an exponent so
// that it is read as a float. NaNs and infinities have no text form.
template <class F>
std::string FloatText(F value) {
  if (!std::isfinite(value)) throw EReadError(L"Invalid floating point value");
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  std::replace(text.begin(), text.end(), 'e', 'E');
  if (text.find_first_of(".E") == std::string::npos) text += ".0";
  return text;
}

// ---- Names ------------------------------------------------------------------------------------------

bool IsIdent(const String& text) {
  return !text.empty() && IsIdentStart(text[0]) && std::all_of(text.begin(), text.end(), IsIdentChar);
}

// Name.Name...: how property names and component references are written.
bool IsDottedIdent(const String& text) {
  size_t start = 0;
  for (;;) {
    const size_t dot = text.find(L'.', start);
    if (!IsIdent(text.substr(start, dot == String::npos ? String::npos : dot - start))) return false;
    if (dot == String::npos) return true;
    start = dot + 1;
  }
}

// A member of a set: an identifier or an integer literal, as the tokenizer reads them.
bool IsSetMember(const String& text) {
  int64_t value;
  if (IsIdent(text)) return true;
  if (!ParseInteger(text, value)) return false;
  // "+5" or "1e5" are not single integer tokens.
  return text[0] == L'$' || text[0] == L'-' || IsDigit(text[0]);
}

// The words that end a property list in the text form, so no property may have them as name.
bool IsKeyword(const String& name) {
  return SameText(name, L"object") || SameText(name, L"inherited") || SameText(name, L"inline") ||
         SameText(name, L"end");
}

}  // namespace

// ---- TParser ---------------------------------------------------------------------------------------

TParser::TParser(TStream& stream) : FText(DecodeSource(ReadRest(stream))) { NextToken(); }

void TParser::Error(const String& message) const {
  throw EParserError(SParseError, {message, FTokenLine});
}

void TParser::SkipBlanks() {
  // Every control character counts as a blank; LF counts the lines.
  while (FPos < FText.size() && FText[FPos] <= L' ') {
    if (FText[FPos] == L'\n') ++FLine;
    ++FPos;
  }
}

wchar_t TParser::NextToken() {
  SkipBlanks();
  FTokenStart = FPos;
  FTokenLine = FLine;
  FTokenText.clear();
  FFloatType = 0;
  if (FPos >= FText.size()) {
    FToken = toEOF;
    return FToken;
  }
  const wchar_t c = FText[FPos];
  if (IsIdentStart(c)) {
    while (FPos < FText.size() && IsIdentChar(FText[FPos])) ++FPos;
    FToken = toSymbol;
  } else if (c == L'#' || c == L'\'') {
    ReadStringToken();
  } else if (c == L'$') {
    ++FPos;
    while (FPos < FText.size() && IsHexDigit(FText[FPos])) ++FPos;
    FToken = toInteger;
  } else if (c == L'-' || IsDigit(c)) {
    ReadNumberToken();
  } else {
    ++FPos;
    FToken = c;
  }
  return FToken;
}

// 'text' parts (a doubled quote inside stands for one) and #n characters, written next to
// each other, make one string. It may not run past the end of its line.
void TParser::ReadStringToken() {
  bool wide = false;
  for (;;) {
    if (FPos >= FText.size()) break;
    if (FText[FPos] == L'#') {
      ++FPos;
      uint32_t code = 0;
      const size_t digitsStart = FPos;
      while (FPos < FText.size() && IsDigit(FText[FPos])) {
        code = code * 10 + static_cast<uint32_t>(FText[FPos] - L'0');
        if (code > 0xFFFF) Error(SInvalidString);
        ++FPos;
      }
      if (FPos == digitsStart) Error(SInvalidString);
      FTokenText.push_back(static_cast<wchar_t>(code));
    } else if (FText[FPos] == L'\'') {
      ++FPos;
      for (;;) {
        if (FPos >= FText.size() || FText[FPos] == L'\r' || FText[FPos] == L'\n') Error(SInvalidString);
        if (FText[FPos] == L'\'') {
          ++FPos;
          if (FPos >= FText.size() || FText[FPos] != L'\'') break;
        }
        FTokenText.push_back(FText[FPos]);
        ++FPos;
      }
    } else {
      break;
    }
  }
  for (wchar_t ch : FTokenText)
    if (ch > 127) wide = true;
  FToken = wide ? toWString : toString;
}

// -digits, optionally followed by more of . e E + - (a float) and a type suffix s, c or d.
void TParser::ReadNumberToken() {
  ++FPos;
  while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
  FToken = toInteger;
  while (FPos < FText.size() && (IsDigit(FText[FPos]) || FText[FPos] == L'.' || FText[FPos] == L'e' ||
                                 FText[FPos] == L'E' || FText[FPos] == L'+' || FText[FPos] == L'-')) {
    ++FPos;
    FToken = toFloat;
  }
  if (FPos < FText.size()) {
    const wchar_t suffix = FText[FPos];
    if (suffix == L's' || suffix == L'S' || suffix == L'c' || suffix == L'C' || suffix == L'd' ||
        suffix == L'D') {
      FToken = toFloat;
      FFloatType = static_cast<wchar_t>(suffix | 0x20);
      ++FPos;
    }
  }
}

String TParser::TokenString() const { return FText.substr(FTokenStart, FPos - FTokenStart); }

int64_t TParser::TokenInt() const {
  int64_t value = 0;
  if (!ParseInteger(TokenString(), value)) Error(Format(SInvalidInteger, {TokenString()}));
  return value;
}

double TParser::TokenFloat() const {
  String text = TokenString();
  if (FFloatType != 0) text.pop_back();
  double value = 0;
  if (!ParseFloat(text, value)) Error(Format(SInvalidFloat, {TokenString()}));
  return value;
}

const String& TParser::TokenComponentIdent() {
  CheckToken(toSymbol);
  while (FPos < FText.size() && FText[FPos] == L'.') {
    ++FPos;
    if (FPos >= FText.size() || !IsIdentStart(FText[FPos])) Error(SIdentifierExpected);
    while (FPos < FText.size() && IsIdentChar(FText[FPos])) ++FPos;
  }
  FIdentText.assign(FText, FTokenStart, FPos - FTokenStart);
  return FIdentText;
}

bool TParser::TokenSymbolIs(const String& symbol) const { return TokenSymbolIs(symbol.c_str()); }

bool TParser::TokenSymbolIs(const wchar_t* symbol) const {
  // Compared in place: the converter asks this several times for every property.
  if (FToken != toSymbol || !symbol) return false;
  const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; };
  size_t i = FTokenStart;
  for (; *symbol; ++symbol, ++i)
    if (i >= FPos || upper(FText[i]) != upper(*symbol)) return false;
  return i == FPos;
}

void TParser::HexToBinary(TStream& stream) {
  SkipBlanks();
  std::string bytes;
  while (FPos >= FText.size() || FText[FPos] != L'}') {
    FTokenLine = FLine;
    if (FText.size() - FPos < 2 || !IsHexDigit(FText[FPos]) || !IsHexDigit(FText[FPos + 1]))
      Error(SInvalidBinary);
    bytes.push_back(static_cast<char>(HexValue(FText[FPos]) * 16 + HexValue(FText[FPos + 1])));
    FPos += 2;
    SkipBlanks();
  }
  ++FPos;  // the '}'
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  NextToken();
}

void TParser::CheckToken(wchar_t token) const {
  if (FToken == token) return;
  switch (token) {
    case toSymbol:
      Error(SIdentifierExpected);
    case toString:
    case toWString:
      Error(SStringExpected);
    case toInteger:
    case toFloat:
      Error(SNumberExpected);
    default:
      Error(Format(SCharExpected, {token}));
  }
}

void TParser::CheckTokenSymbol(const String& symbol) const {
  if (!TokenSymbolIs(symbol)) Error(Format(SSymbolExpected, {symbol}));
}

// ---- TObjectTextLineMap -------------------------------------------------------------------------

void TObjectTextLineMap::Add(int64_t offset, int line) {
  // Offsets arrive in increasing order; one that does not is dropped, so LineAt can search.
  if (!FEntries.empty() && offset < FEntries.back().Offset) return;
  FEntries.push_back(TEntry{offset, line});
}

int TObjectTextLineMap::LineAt(int64_t offset) const {
  const auto after = std::upper_bound(FEntries.begin(), FEntries.end(), offset,
                                      [](int64_t value, const TEntry& e) { return value < e.Offset; });
  return after == FEntries.begin() ? 0 : std::prev(after)->Line;
}

// ---- Text to binary -------------------------------------------------------------------------------

namespace {

class TTextToBinary {
 public:
  TTextToBinary(TStream& input, TStream& output, TObjectTextLineMap* lines)
      : FParser(input), FWriter(output), FLines(lines), FBase(output.GetPosition()) {}

  void Convert() {
    FWriter.WriteSignature();
    ConvertObject(0);
    if (FParser.GetToken() != toEOF) FParser.Error(L"End of text expected");
  }

 private:
  void Mark() {
    if (FLines) FLines->Add(FWriter.GetPosition() - FBase, FParser.GetSourceLine());
  }

  // A name or identifier for a short string: at most 255 characters.
  const String& Short(const String& text) {
    if (text.size() > 255) FParser.Error(L"Identifier too long");
    return text;
  }

  // " [n]" after a header or an item; a value of the int32 range.
  std::optional<int> ConvertOrderModifier() {
    if (FParser.GetToken() != L'[') return std::nullopt;
    FParser.NextToken();
    FParser.CheckToken(toInteger);
    const int64_t value = FParser.TokenInt();
    if (value < INT_MIN || value > INT_MAX) FParser.Error(Format(SInvalidInteger, {FParser.TokenString()}));
    FParser.NextToken();
    FParser.CheckToken(L']');
    FParser.NextToken();
    return static_cast<int>(value);
  }

  void ConvertHeader(bool isInherited, bool isInline) {
    FParser.CheckToken(toSymbol);
    String className = FParser.TokenString();
    String objectName;
    if (FParser.NextToken() == L':') {
      FParser.NextToken();
      FParser.CheckToken(toSymbol);
      objectName = className;
      className = FParser.TokenString();
      FParser.NextToken();
    }
    const std::optional<int> position = ConvertOrderModifier();
    TFilerFlags flags;
    if (isInherited) flags.Include(ffInherited);
    if (isInline) flags.Include(ffInline);
    if (position) flags.Include(ffChildPos);
    FWriter.WritePrefix(flags, position.value_or(0));
    FWriter.WriteStr(Short(className));
    FWriter.WriteStr(Short(objectName));
  }

  bool AtObjectEnd() const {
    return FParser.TokenSymbolIs(L"end") || FParser.TokenSymbolIs(L"object") ||
           FParser.TokenSymbolIs(L"inherited") || FParser.TokenSymbolIs(L"inline");
  }

  void ConvertObject(int depth) {
    if (depth >= MaxObjectDepth) FParser.Error(L"Objects nested too deeply");
    const bool isInherited = FParser.TokenSymbolIs(L"inherited");
    const bool isInline = FParser.TokenSymbolIs(L"inline");
    if (!isInherited && !isInline) FParser.CheckTokenSymbol(L"object");
    Mark();
    FParser.NextToken();
    ConvertHeader(isInherited, isInline);
    while (!AtObjectEnd()) ConvertProperty(0);
    FWriter.WriteListEnd();
    while (!FParser.TokenSymbolIs(L"end")) ConvertObject(depth + 1);
    FWriter.WriteListEnd();
    FParser.NextToken();
  }

  void ConvertProperty(int depth) {
    Mark();
    const String& name = FParser.TokenComponentIdent();  // used before the next token
    if (IsKeyword(name)) FParser.Error(SInvalidProperty);
    FWriter.WriteStr(Short(name));
    FParser.NextToken();
    FParser.CheckToken(L'=');
    FParser.NextToken();
    ConvertValue(depth, false);
  }

  void ConvertValue(int depth, bool inList) {
    if (depth >= MaxValueDepth) FParser.Error(L"Values nested too deeply");
    switch (FParser.GetToken()) {
      case toInteger:
        FWriter.WriteInteger(FParser.TokenInt());
        FParser.NextToken();
        break;
      case toFloat:
        ConvertFloat();
        FParser.NextToken();
        break;
      case toString:
      case toWString:
        ConvertString();
        break;
      case toSymbol: {
        const String& ident = FParser.TokenComponentIdent();  // used before the next token
        // vaNull ends a list, so Null cannot be one of its values.
        if (inList && SameText(ident, L"Null")) FParser.Error(SInvalidProperty);
        FWriter.WriteIdent(Short(ident));
        FParser.NextToken();
        break;
      }
      case L'[':
        ConvertSet();
        break;
      case L'(':
        FParser.NextToken();
        FWriter.WriteListBegin();
        while (FParser.GetToken() != L')') ConvertValue(depth + 1, true);
        FWriter.WriteListEnd();
        FParser.NextToken();
        break;
      case L'{': {
        TMemoryStream data;
        FParser.HexToBinary(data);
        FWriter.WriteBinary(data.GetMemory(), static_cast<int>(data.GetSize()));
        break;
      }
      case L'<':
        ConvertCollection(depth);
        break;
      default:
        FParser.Error(SInvalidProperty);
    }
  }

  void ConvertFloat() {
    switch (FParser.GetFloatType()) {
      case L's': {
        String text = FParser.TokenString();
        text.pop_back();
        float value = 0;
        if (!ParseFloat(text, value)) FParser.Error(Format(SInvalidFloat, {FParser.TokenString()}));
        FWriter.WriteSingle(value);
        break;
      }
      case L'c': {
        // The text holds the raw value (times 10000); an integer is taken exactly.
        String text = FParser.TokenString();
        text.pop_back();
        int64_t raw = 0;
        if (!ParseInteger(text, raw)) {
          const double value = FParser.TokenFloat();
          if (!(std::fabs(value) < 9.2e18)) FParser.Error(Format(SInvalidFloat, {FParser.TokenString()}));
          raw = Round(value);
        }
        uint8_t bytes[8];
        for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(raw) >> (8 * i));
        FWriter.WriteValue(vaCurrency);
        FWriter.Write(bytes, 8);
        break;
      }
      case L'd':
        FWriter.WriteDate(FParser.TokenFloat());
        break;
      default:
        FWriter.WriteFloat(FParser.TokenFloat());
    }
  }

  void ConvertString() {
    // One buffer for every string value, its storage reused.
    FStringValue = FParser.TokenWideString();
    while (FParser.NextToken() == L'+') {
      FParser.NextToken();
      if (FParser.GetToken() != toString && FParser.GetToken() != toWString) FParser.CheckToken(toString);
      FStringValue += FParser.TokenWideString();
    }
    FWriter.WriteString(FStringValue);
  }

  void ConvertSet() {
    FParser.NextToken();
    FWriter.WriteValue(vaSet);
    if (FParser.GetToken() != L']') {
      for (;;) {
        if (FParser.GetToken() == toInteger)
          FParser.TokenInt();  // a member that is a number must be one
        else
          FParser.CheckToken(toSymbol);
        FWriter.WriteStr(Short(FParser.TokenString()));
        if (FParser.NextToken() == L']') break;
        FParser.CheckToken(L',');
        FParser.NextToken();
      }
    }
    FWriter.WriteStr(String());
    FParser.NextToken();
  }

  void ConvertCollection(int depth) {
    FParser.NextToken();
    FWriter.WriteValue(vaCollection);
    while (FParser.GetToken() != L'>') {
      FParser.CheckTokenSymbol(L"item");
      Mark();
      FParser.NextToken();
      if (const std::optional<int> order = ConvertOrderModifier()) FWriter.WriteInteger(*order);
      FWriter.WriteListBegin();
      while (!FParser.TokenSymbolIs(L"end")) ConvertProperty(depth + 1);
      FWriter.WriteListEnd();
      FParser.NextToken();
    }
    FWriter.WriteListEnd();
    FParser.NextToken();
  }

  TParser FParser;
  TWriter FWriter;
  String FStringValue;         // the string value being converted
  TObjectTextLineMap* FLines;  // where the lines go; may be nullptr; not owned
  int64_t FBase;               // the output's position at the start
};

// ---- Binary to text -----------------------------------------------------------------------------

class TBinaryToText {
 public:
  explicit TBinaryToText(TStream& input) : FReader(input) {}

  const std::string& Convert() {
    FReader.ReadSignature();
    ConvertObject(0);
    return FText;
  }

 private:
  [[noreturn]] static void Invalid() { throw EReadError(SInvalidProperty); }

  void Put(const std::string& text) { FText += text; }
  void Put(const String& text) { FText += Narrow(text); }
  void EndLine() { FText += "\r\n"; }
  void Indent() { FText.append(static_cast<size_t>(FLevel) * 2, ' '); }
  void NewLine() {
    EndLine();
    Indent();
  }

  void ConvertHeader() {
    TFilerFlags flags;
    int position = 0;
    FReader.ReadPrefix(flags, position);
    const String className = FReader.ReadStr();
    const String objectName = FReader.ReadStr();
    if (!IsIdent(className) || (!objectName.empty() && !IsIdent(objectName))) Invalid();
    // The text has one word for the kind of object; it cannot say both.
    if (flags.Contains(ffInherited) && flags.Contains(ffInline)) Invalid();
    Indent();
    if (flags.Contains(ffInherited))
      Put("inherited ");
    else if (flags.Contains(ffInline))
      Put("inline ");
    else
      Put("object ");
    if (!objectName.empty()) {
      Put(objectName);
      Put(": ");
    }
    Put(className);
    if (flags.Contains(ffChildPos)) Put(" [" + std::to_string(position) + "]");
    EndLine();
  }

  void ConvertObject(int depth) {
    if (depth >= MaxObjectDepth) throw EReadError(L"Invalid stream format");
    ConvertHeader();
    ++FLevel;
    while (!FReader.EndOfList()) ConvertProperty(0);
    FReader.ReadListEnd();
    while (!FReader.EndOfList()) ConvertObject(depth + 1);
    FReader.ReadListEnd();
    --FLevel;
    Indent();
    Put("end");
    EndLine();
  }

  void ConvertProperty(int depth) {
    const String name = FReader.ReadStr();
    if (!IsDottedIdent(name) || IsKeyword(name)) Invalid();
    Indent();
    Put(name);
    Put(" = ");
    ConvertValue(depth);
    EndLine();
  }

  void ConvertValue(int depth) {
    if (depth >= MaxValueDepth) throw EReadError(L"Invalid stream format");
    uint8_t bytes[10];
    switch (FReader.NextValue()) {
      case vaList:
        FReader.ReadValue();
        Put("(");
        ++FLevel;
        while (!FReader.EndOfList()) {
          NewLine();
          ConvertValue(depth + 1);
        }
        FReader.ReadListEnd();
        --FLevel;
        Put(")");
        break;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        Put(std::to_string(FReader.ReadInt64()));
        break;
      case vaExtended:
        Put(FloatText(FReader.ReadFloat()));
        break;
      case vaSingle:
        FReader.ReadValue();
        FReader.Read(bytes, 4);
        {
          float value;
          uint32_t bits = 0;
          for (int i = 3; i >= 0; --i) bits = (bits << 8) | bytes[i];
          std::memcpy(&value, &bits, sizeof value);
          Put(FloatText(value) + "s");
        }
        break;
      case vaCurrency: {
        FReader.ReadValue();
        FReader.Read(bytes, 8);
        uint64_t raw = 0;
        for (int i = 7; i >= 0; --i) raw = (raw << 8) | bytes[i];
        Put(std::to_string(static_cast<int64_t>(raw)) + "c");
        break;
      }
      case vaDate:
        Put(FloatText(FReader.ReadDate()) + "d");
        break;
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String:
        ConvertString(FReader.ReadString());
        break;
      case vaIdent: {
        const String ident = FReader.ReadIdent();
        if (!IsDottedIdent(ident)) Invalid();
        Put(ident);
        break;
      }
      case vaFalse:
      case vaTrue:
      case vaNil:
      case vaNull:
        Put(FReader.ReadIdent());
        break;
      case vaBinary:
        ConvertBinary();
        break;
      case vaSet: {
        Put("[");
        bool first = true;
        for (const String& member : FReader.ReadSet()) {
          if (!IsSetMember(member)) Invalid();
          if (!first) Put(", ");
          Put(member);
          first = false;
        }
        Put("]");
        break;
      }
      case vaCollection:
        ConvertCollection(depth);
        break;
      default:
        Invalid();
    }
  }

  // Printable ASCII between quotes, everything else (the quote too) as #n; long strings
  // start on their own line and are continued with '+' every LineLength characters.
  void ConvertString(const String& text) {
    if (text.empty()) {
      Put("''");
      return;
    }
    const auto printable = [](wchar_t c) { return c >= L' ' && c <= L'~' && c != L'\''; };
    ++FLevel;
    if (text.size() > static_cast<size_t>(LineLength)) NewLine();
    size_t i = 0;
    size_t lineStart = 0;
    while (i < text.size()) {
      bool lineBreak = false;
      if (printable(text[i])) {
        const size_t runStart = i;
        do {
          ++i;
        } while (i < text.size() && printable(text[i]) && i - lineStart < static_cast<size_t>(LineLength));
        lineBreak = i - lineStart >= static_cast<size_t>(LineLength);
        Put("'");
        Put(text.substr(runStart, i - runStart));
        Put("'");
      } else {
        Put("#" + std::to_string(static_cast<unsigned>(static_cast<uint16_t>(text[i]))));
        ++i;
        lineBreak = i - lineStart >= static_cast<size_t>(LineLength);
      }
      if (lineBreak && i < text.size()) {
        Put(" +");
        NewLine();
        lineStart = i;
      }
    }
    --FLevel;
  }

  void ConvertBinary() {
    static const char Digits[] = "0123456789ABCDEF";
    FReader.ReadValue();
    uint8_t header[4];
    FReader.Read(header, 4);
    int64_t count = static_cast<int32_t>(header[0] | (header[1] << 8) | (header[2] << 16) |
                                         (static_cast<uint32_t>(header[3]) << 24));
    if (count < 0 || count > FReader.GetBytesLeft()) throw EReadError(SReadError);
    Put("{");
    ++FLevel;
    const bool multiLine = count >= BytesPerLine;
    uint8_t line[BytesPerLine];
    while (count > 0) {
      if (multiLine) NewLine();
      const int chunk = static_cast<int>(std::min<int64_t>(count, BytesPerLine));
      FReader.Read(line, chunk);
      for (int i = 0; i < chunk; ++i) {
        FText.push_back(Digits[line[i] >> 4]);
        FText.push_back(Digits[line[i] & 15]);
      }
      count -= chunk;
    }
    --FLevel;
    Put("}");
  }

  void ConvertCollection(int depth) {
    FReader.ReadValue();
    Put("<");
    ++FLevel;
    while (!FReader.EndOfList()) {
      NewLine();
      Put("item");
      const TValueType next = FReader.NextValue();
      if (next == vaInt8 || next == vaInt16 || next == vaInt32)
        Put(" [" + std::to_string(FReader.ReadInteger()) + "]");
      EndLine();
      FReader.ReadListBegin();
      ++FLevel;
      while (!FReader.EndOfList()) ConvertProperty(depth + 1);
      FReader.ReadListEnd();
      --FLevel;
      Indent();
      Put("end");
    }
    FReader.ReadListEnd();
    --FLevel;
    Put(">");
  }

  TReader FReader;
  std::string FText;  // the text so far, ASCII
  int FLevel = 0;     // the indentation in steps of two blanks
};

}  // namespace

void ObjectTextToBinary(TStream& input, TStream& output, TObjectTextLineMap* lines) {
  TTextToBinary(input, output, lines).Convert();
}

void ObjectBinaryToText(TStream& input, TStream& output) {
  TBinaryToText converter(input);
  const std::string& text = converter.Convert();
  // Written only once the whole input has converted, so a damaged binary leaves no half text.
  if (text.size() > INT_MAX) throw EWriteError(L"Stream write error");
  output.WriteBuffer(text.data(), static_cast<int>(text.size()));
}
