// Text conversions, the 1-based string helpers and integer/float parsing.
// Number-to-text formatting (FloatToStr and friends) lives in SysFormat.cpp beside the
// decimal digit generator it shares with Format.
#include "SysString.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "SysExceptions.h"
#include "SysLocale.h"
#include "SysMath.h"
#include "Win.h"

// ---- Conversions -------------------------------------------------------------

namespace {

// Lengths handed to the system are ints; longer text is refused rather than cut silently.
int CheckedLength(size_t length) {
  if (length > static_cast<size_t>(INT_MAX)) throw EConvertError(L"Text too long to convert");
  return static_cast<int>(length);
}

String BytesToString(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return String();
  int byteCount = CheckedLength(bytes.size());
  int charCount = MultiByteToWideChar(codePage, 0, bytes.data(), byteCount, nullptr, 0);
  if (charCount <= 0) return String();
  String result(static_cast<size_t>(charCount), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), byteCount, result.data(), charCount);
  return result;
}

std::string StringToBytes(UINT codePage, const String& s) {
  if (s.empty()) return std::string();
  int charCount = CheckedLength(s.size());
  int byteCount = WideCharToMultiByte(codePage, 0, s.data(), charCount, nullptr, 0, nullptr, nullptr);
  if (byteCount <= 0) return std::string();
  std::string result(static_cast<size_t>(byteCount), '\0');
  WideCharToMultiByte(codePage, 0, s.data(), charCount, result.data(), byteCount, nullptr, nullptr);
  return result;
}

constexpr UINT kCodePageGbk = 936;

}  // namespace

String Utf8ToString(std::string_view utf8) { return BytesToString(CP_UTF8, utf8); }
std::string StringToUtf8(const String& s) { return StringToBytes(CP_UTF8, s); }
String Cp936ToString(std::string_view bytes) { return BytesToString(kCodePageGbk, bytes); }
// The code page's own default character ('?') stands for what GBK cannot hold.
std::string StringToCp936(const String& s) { return StringToBytes(kCodePageGbk, s); }

// ---- 1-based helpers -----------------------------------------------------------

String Copy(const String& s, int index, int count) {
  if (index < 1) index = 1;
  int length = static_cast<int>(s.size());
  if (count <= 0 || index > length) return String();
  int available = length - index + 1;
  return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(Min(count, available)));
}

int Pos(const String& sub, const String& s) { return PosEx(sub, s, 1); }

int PosEx(const String& sub, const String& s, int offset) {
  if (sub.empty() || offset < 1 || offset > static_cast<int>(s.size())) return 0;
  size_t found = s.find(sub, static_cast<size_t>(offset - 1));
  return found == String::npos ? 0 : static_cast<int>(found) + 1;
}

void Delete(String& s, int index, int count) {
  int length = static_cast<int>(s.size());
  if (index < 1 || index > length || count <= 0) return;
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(Min(count, length - index + 1)));
}

void Insert(const String& source, String& s, int index) {
  int length = static_cast<int>(s.size());
  if (index < 1) index = 1;
  if (index > length + 1) index = length + 1;
  s.insert(static_cast<size_t>(index - 1), source);
}

String Trim(const String& s) { return TrimLeft(TrimRight(s)); }

String TrimLeft(const String& s) {
  size_t first = 0;
  while (first < s.size() && s[first] <= L' ') ++first;
  return s.substr(first);
}

String TrimRight(const String& s) {
  size_t end = s.size();
  while (end > 0 && s[end - 1] <= L' ') --end;
  return s.substr(0, end);
}

namespace {
wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }
wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// CompareStringW answers 1, 2 or 3 (less, equal, greater); 0 only on bad arguments.
int SystemCompare(const String& a, const String& b, DWORD flags) {
  int result = CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), CheckedLength(a.size()),
                              b.data(), CheckedLength(b.size()));
  if (result == 0) return CompareStr(a, b);
  return result - CSTR_EQUAL;
}
}  // namespace

String UpperCase(const String& s) {
  String result = s;
  for (wchar_t& c : result) c = AsciiUpper(c);
  return result;
}

String LowerCase(const String& s) {
  String result = s;
  for (wchar_t& c : result) c = AsciiLower(c);
  return result;
}

String AnsiUpperCase(const String& s) {
  String result = s;
  if (!result.empty()) CharUpperBuffW(result.data(), static_cast<DWORD>(CheckedLength(result.size())));
  return result;
}

String AnsiLowerCase(const String& s) {
  String result = s;
  if (!result.empty()) CharLowerBuffW(result.data(), static_cast<DWORD>(CheckedLength(result.size())));
  return result;
}

int CompareStr(const String& a, const String& b) {
  size_t common = Min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i)
    if (a[i] != b[i]) return static_cast<int>(a[i]) - static_cast<int>(b[i]);
  return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
}

int CompareText(const String& a, const String& b) {
  size_t common = Min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    wchar_t ca = AsciiUpper(a[i]), cb = AsciiUpper(b[i]);
    if (ca != cb) return static_cast<int>(ca) - static_cast<int>(cb);
  }
  return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
}

bool SameText(const String& a, const String& b) { return CompareText(a, b) == 0; }

bool SameText(const String& a, const wchar_t* b) {
  if (!b) return a.empty();
  size_t i = 0;
  for (; b[i]; ++i)
    if (i >= a.size() || AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return i == a.size();
}
int AnsiCompareText(const String& a, const String& b) { return SystemCompare(a, b, NORM_IGNORECASE); }
int AnsiCompareStr(const String& a, const String& b) { return SystemCompare(a, b, 0); }
bool SameStr(const String& a, const String& b) { return a == b; }

String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags) {
  if (oldPattern.empty()) return s;
  // Case-insensitive search runs on upper-cased copies; CharUpperBuffW keeps lengths, so
  // positions found there are positions in s.
  bool ignoreCase = (flags & rfIgnoreCase) != 0;
  String searchText = ignoreCase ? AnsiUpperCase(s) : s;
  String pattern = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
  String result;
  size_t from = 0;
  while (from <= s.size()) {
    size_t found = searchText.find(pattern, from);
    if (found == String::npos) break;
    result.append(s, from, found - from);
    result += newPattern;
    from = found + pattern.size();
    if ((flags & rfReplaceAll) == 0) break;
  }
  if (from < s.size()) result.append(s, from, String::npos);
  return result;
}

String QuotedStr(const String& s) { return AnsiQuotedStr(s, L'\''); }

String AnsiQuotedStr(const String& s, wchar_t quote) {
  String result(1, quote);
  for (wchar_t c : s) {
    if (c == quote) result += quote;
    result += c;
  }
  result += quote;
  return result;
}

// A text that is not wholly quoted comes back unchanged; an empty quoted text ('') gives
// the empty string, not the quotes themselves.
String AnsiDequotedStr(const String& s, wchar_t quote) {
  if (s.size() < 2 || s.front() != quote) return s;
  String result;
  size_t i = 1;
  bool closed = false;
  while (i < s.size()) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        result += quote;
        i += 2;
        continue;
      }
      closed = true;
      break;
    }
    result += s[i++];
  }
  return closed ? result : s;
}

String StringOfChar(wchar_t ch, int count) {
  return count > 0 ? String(static_cast<size_t>(count), ch) : String();
}

// ---- Integers -------------------------------------------------------------------

String IntToStr(int64_t value) { return std::to_wstring(value); }

// A negative value that fits in 32 bits is shown as the 32-bit two's complement, as the
// class library's Integer overload does (IntToHex(-1, 2) = "FFFFFFFF"); other negatives
// as 64-bit.
String IntToHex(int64_t value, int digits) {
  uint64_t bits = static_cast<uint64_t>(value);
  if (value < 0 && value >= INT32_MIN) bits &= 0xFFFFFFFFull;
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  String result;
  do {
    result.insert(result.begin(), kHex[bits & 0xF]);
    bits >>= 4;
  } while (bits != 0);
  if (digits > 64) digits = 64;  // bounds the padding a careless caller can ask for
  if (static_cast<int>(result.size()) < digits)
    result.insert(0, static_cast<size_t>(digits) - result.size(), L'0');
  return result;
}

namespace {

// Parses as the class library's Val does: leading spaces, one optional sign, then decimal
// digits or '$'/'0x' and hex digits, and nothing after. Decimal values must fit the signed
// range [-(maxPositive+1), maxPositive]; hex values may use all the bits (maxUnsigned) and
// wrap to negative as the class library allows ($FFFFFFFF = -1).
bool ParseInteger(const String& s, uint64_t maxPositive, uint64_t maxUnsigned, int64_t& value) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == L' ') ++i;
  bool negative = false;
  if (i < n && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
  bool hex = false;
  if (i < n && s[i] == L'$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == L'0' && (s[i + 1] == L'x' || s[i + 1] == L'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  uint64_t magnitude = 0;
  uint64_t limit = hex ? maxUnsigned : maxPositive + (negative ? 1 : 0);
  unsigned base = hex ? 16 : 10;
  for (; i < n; ++i) {
    wchar_t c = s[i];
    unsigned digit;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    else if (hex && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    else if (hex && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    else return false;
    if (magnitude > (limit - digit) / base) return false;
    magnitude = magnitude * base + digit;
  }
  // Negation and the hex wrap both work on the bit pattern of the target width.
  uint64_t bits = negative ? 0 - magnitude : magnitude;
  value = maxUnsigned == 0xFFFFFFFFull ? static_cast<int32_t>(static_cast<uint32_t>(bits))
                                       : static_cast<int64_t>(bits);
  return true;
}

[[noreturn]] void RaiseInvalidInteger(const String& s) {
  throw EConvertError(L"'%s' is not a valid integer value", {s});
}

}  // namespace

bool TryStrToInt(const String& s, int& value) {
  int64_t parsed;
  if (!ParseInteger(s, INT32_MAX, 0xFFFFFFFFull, parsed)) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool TryStrToInt64(const String& s, int64_t& value) {
  return ParseInteger(s, INT64_MAX, UINT64_MAX, value);
}

int StrToInt(const String& s) {
  int value;
  if (!TryStrToInt(s, value)) RaiseInvalidInteger(s);
  return value;
}

int64_t StrToInt64(const String& s) {
  int64_t value;
  if (!TryStrToInt64(s, value)) RaiseInvalidInteger(s);
  return value;
}

int StrToIntDef(const String& s, int defaultValue) {
  int value;
  return TryStrToInt(s, value) ? value : defaultValue;
}

// ---- Floating point -------------------------------------------------------------

// Accepts what the class library's TextToFloat accepts: blanks, an optional sign, digits
// with at most one FormatSettings.DecimalSeparator, an optional exponent (E or e, optional
// sign, digits) and blanks. The number is rewritten in the C form and converted with
// from_chars, which rounds correctly and ignores the C locale.
bool TryStrToFloat(const String& s, double& value) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == L' ') ++i;
  std::string text;
  if (i < n && (s[i] == L'+' || s[i] == L'-')) {
    if (s[i] == L'-') text += '-';
    ++i;
  }
  int mantissaDigits = 0;
  int64_t decimalExponent = 0;   // power of ten of the first significant digit, roughly
  bool seenNonZero = false;
  auto takeDigits = [&](bool fraction) {
    while (i < n && s[i] >= L'0' && s[i] <= L'9') {
      if (s[i] != L'0') seenNonZero = true;
      if (!seenNonZero && fraction) --decimalExponent;
      if (seenNonZero && !fraction) ++decimalExponent;
      text += static_cast<char>(s[i]);
      ++mantissaDigits;
      ++i;
    }
  };
  takeDigits(false);
  if (i < n && s[i] == FormatSettings.DecimalSeparator) {
    text += '.';
    ++i;
    takeDigits(true);
  }
  if (mantissaDigits == 0) return false;
  int64_t exponent = 0;
  if (i < n && (s[i] == L'E' || s[i] == L'e')) {
    ++i;
    bool negativeExponent = false;
    if (i < n && (s[i] == L'+' || s[i] == L'-')) negativeExponent = s[i++] == L'-';
    int exponentDigits = 0;
    while (i < n && s[i] >= L'0' && s[i] <= L'9') {
      if (exponent < 100000) exponent = exponent * 10 + (s[i] - L'0');
      ++exponentDigits;
      ++i;
    }
    if (exponentDigits == 0) return false;
    if (negativeExponent) exponent = -exponent;
    text += 'e';
    text += std::to_string(exponent);
  }
  while (i < n && s[i] == L' ') ++i;
  if (i != n) return false;

  double parsed = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (end != text.data() + text.size()) return false;
  if (error == std::errc::result_out_of_range) {
    // Too small to hold is zero; too large is an error, as the class library's is.
    if (!seenNonZero || decimalExponent + exponent < 0) parsed = text[0] == '-' ? -0.0 : 0.0;
    else return false;
  } else if (error != std::errc()) {
    return false;
  }
  value = parsed;
  return true;
}

double StrToFloat(const String& s) {
  double value;
  if (!TryStrToFloat(s, value))
    throw EConvertError(L"'%s' is not a valid floating point value", {s});
  return value;
}

double StrToFloatDef(const String& s, double defaultValue) {
  double value;
  return TryStrToFloat(s, value) ? value : defaultValue;
}
