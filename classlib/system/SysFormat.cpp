// Floating-point text (FloatToStr, FloatToStrF, FormatFloat, CurrToStr) and Format.
//
// Digits are made the way the class library makes them: the value's decimal expansion is
// first taken to 18 significant digits (what the FPU's 18-digit BCD store yields, rounded
// to nearest), then rounded half away from zero to the digits the format asks for. So
// FloatToStrF(0.125, ffFixed, 15, 2) is "0.13", while 2.675 (stored as 2.67499999...) gives
// "2.67". The decimal expansion is computed exactly with a small big-number routine, so
// the result does not depend on the C runtime's printf.
#include "SysFormat.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "SysExceptions.h"
#include "SysLocale.h"
#include "SysMath.h"

namespace {

// ---- Exact decimal expansion -----------------------------------------------------

// A non-negative integer in base 10^9, least significant limb first.
class TBigDecimal {
 public:
  explicit TBigDecimal(uint64_t value) {
    do {
      FLimbs.push_back(static_cast<uint32_t>(value % kBase));
      value /= kBase;
    } while (value != 0);
  }

  void Multiply(uint32_t factor) {
    uint64_t carry = 0;
    for (uint32_t& limb : FLimbs) {
      uint64_t product = static_cast<uint64_t>(limb) * factor + carry;
      limb = static_cast<uint32_t>(product % kBase);
      carry = product / kBase;
    }
    while (carry != 0) {
      FLimbs.push_back(static_cast<uint32_t>(carry % kBase));
      carry /= kBase;
    }
  }

  void MultiplyByPowerOf2(int exponent) {
    for (; exponent >= 29; exponent -= 29) Multiply(1u << 29);
    if (exponent > 0) Multiply(1u << exponent);
  }

  void MultiplyByPowerOf5(int exponent) {
    for (; exponent >= 13; exponent -= 13) Multiply(1220703125u);  // 5^13
    uint32_t rest = 1;
    for (; exponent > 0; --exponent) rest *= 5;
    Multiply(rest);
  }

  std::string ToDigits() const {
    std::string text = std::to_string(FLimbs.back());
    char limbText[16];
    for (size_t i = FLimbs.size() - 1; i-- > 0;) {
      std::snprintf(limbText, sizeof limbText, "%09u", static_cast<unsigned>(FLimbs[i]));
      text += limbText;
    }
    return text;
  }

 private:
  static constexpr uint64_t kBase = 1000000000;
  std::vector<uint32_t> FLimbs;  // never empty
};

// A value as decimal digits: value = 0.Digits x 10^Exponent. Digits has no trailing zeros;
// it is empty for zero (and then Exponent is 0 and Negative false).
struct TFloatRec {
  enum TKind { fkFinite, fkInfinite, fkNaN } Kind = fkFinite;
  bool Negative = false;
  int Exponent = 0;
  std::string Digits;
};

void StripTrailingZeros(TFloatRec& rec) {
  while (!rec.Digits.empty() && rec.Digits.back() == '0') rec.Digits.pop_back();
  if (rec.Digits.empty()) {
    rec.Exponent = 0;
    rec.Negative = false;
  }
}

// The exact digits of a finite, positive double.
void ExactDigits(double value, TFloatRec& rec) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t mantissa = bits & ((1ull << 52) - 1);
  int exponent;
  if (biasedExponent == 0) {
    exponent = -1074;  // subnormal
  } else {
    mantissa |= 1ull << 52;
    exponent = biasedExponent - 1075;
  }
  while ((mantissa & 1) == 0) {  // smaller numbers for the big arithmetic below
    mantissa >>= 1;
    ++exponent;
  }
  TBigDecimal number(mantissa);
  if (exponent >= 0) {
    number.MultiplyByPowerOf2(exponent);
    rec.Digits = number.ToDigits();
    rec.Exponent = static_cast<int>(rec.Digits.size());
  } else {
    // m x 2^-k = m x 5^k x 10^-k
    number.MultiplyByPowerOf5(-exponent);
    rec.Digits = number.ToDigits();
    rec.Exponent = static_cast<int>(rec.Digits.size()) + exponent;
  }
  StripTrailingZeros(rec);
}

// Keeps the first `keep` digits, rounding on the rest: half up, or (halfEven) to nearest
// with ties to an even last digit.
void RoundDigits(TFloatRec& rec, int keep, bool halfEven) {
  std::string& digits = rec.Digits;
  if (keep < 0) {
    digits.clear();
  } else if (static_cast<size_t>(keep) < digits.size()) {
    char next = digits[keep];
    bool roundUp = next >= '5';
    if (halfEven && next == '5' && digits.find_first_not_of('0', keep + 1) == std::string::npos)
      roundUp = keep > 0 && (digits[keep - 1] - '0') % 2 == 1;
    digits.resize(static_cast<size_t>(keep));
    if (roundUp) {
      int i = keep - 1;
      while (i >= 0 && digits[i] == '9') digits[i--] = '0';
      if (i >= 0) {
        ++digits[i];
      } else {
        digits.insert(digits.begin(), '1');
        ++rec.Exponent;
      }
    }
  }
  StripTrailingZeros(rec);
}

constexpr int kMaxPrecision = 18;  // digits of the class library's extended conversion
constexpr int kAllDecimals = 9999;  // "no limit on decimals": round by precision only

// The value rounded to `precision` significant digits and to `decimals` decimal places,
// whichever keeps fewer digits.
TFloatRec FloatToDecimal(double value, int precision, int decimals) {
  TFloatRec rec;
  if (std::isnan(value)) {
    rec.Kind = TFloatRec::fkNaN;
    return rec;
  }
  rec.Negative = std::signbit(value);
  if (std::isinf(value)) {
    rec.Kind = TFloatRec::fkInfinite;
    return rec;
  }
  if (value == 0) {
    rec.Negative = false;
    return rec;
  }
  ExactDigits(std::fabs(value), rec);
  RoundDigits(rec, kMaxPrecision, true);
  if (rec.Digits.empty()) return rec;
  int keep = static_cast<int>(Min<int64_t>(precision, static_cast<int64_t>(rec.Exponent) + decimals));
  RoundDigits(rec, keep, false);
  return rec;
}

String SpecialText(const TFloatRec& rec) {
  if (rec.Kind == TFloatRec::fkNaN) return L"NAN";
  return rec.Negative ? L"-INF" : L"INF";
}

String AsciiToString(const std::string& text) { return String(text.begin(), text.end()); }

String ExponentText(int exponent, int minDigits, bool alwaysSign) {
  String text = std::to_wstring(exponent < 0 ? -exponent : exponent);
  if (static_cast<int>(text.size()) < minDigits)
    text.insert(0, static_cast<size_t>(minDigits) - text.size(), L'0');
  if (exponent < 0) return L"-" + text;
  return alwaysSign ? L"+" + text : text;
}

// d.ddd (trailing digits as far as `digitCount`, or all of rec's) and the exponent.
String ScientificText(const TFloatRec& rec, int digitCount, int expDigits, bool alwaysSign) {
  std::string digits = rec.Digits.empty() ? std::string("0") : rec.Digits;
  if (static_cast<int>(digits.size()) < digitCount) digits.append(digitCount - digits.size(), '0');
  String text(1, static_cast<wchar_t>(digits[0]));
  if (digits.size() > 1) {
    text += FormatSettings.DecimalSeparator;
    text += AsciiToString(digits.substr(1));
  }
  text += L'E';
  text += ExponentText(rec.Digits.empty() ? 0 : rec.Exponent - 1, expDigits, alwaysSign);
  return text;
}

// The unsigned shortest form: fixed notation unless the value is too large for
// `precision` digits or smaller than 0.0001.
String GeneralText(const TFloatRec& rec, int precision, int expDigits) {
  if (rec.Digits.empty()) return L"0";
  if (rec.Exponent > precision || rec.Exponent < -3)
    return ScientificText(rec, 0, expDigits, false);
  String text;
  int digitCount = static_cast<int>(rec.Digits.size());
  if (rec.Exponent <= 0) {
    text = L"0";
    text += FormatSettings.DecimalSeparator;
    text.append(static_cast<size_t>(-rec.Exponent), L'0');
    text += AsciiToString(rec.Digits);
  } else {
    text = AsciiToString(rec.Digits.substr(0, static_cast<size_t>(Min(rec.Exponent, digitCount))));
    if (rec.Exponent > digitCount) text.append(static_cast<size_t>(rec.Exponent - digitCount), L'0');
    if (digitCount > rec.Exponent) {
      text += FormatSettings.DecimalSeparator;
      text += AsciiToString(rec.Digits.substr(static_cast<size_t>(rec.Exponent)));
    }
  }
  return text;
}

// Inserts the thousand separator between groups of three digits of an integer part.
String GroupThousands(const String& integerPart) {
  if (FormatSettings.ThousandSeparator == L'\0') return integerPart;
  String text;
  size_t length = integerPart.size();
  for (size_t i = 0; i < length; ++i) {
    text += integerPart[i];
    size_t remaining = length - 1 - i;
    if (remaining > 0 && remaining % 3 == 0) text += FormatSettings.ThousandSeparator;
  }
  return text;
}

// The unsigned fixed form with exactly `decimals` decimal places.
String FixedText(const TFloatRec& rec, int decimals, bool thousands) {
  String integerPart;
  if (rec.Exponent <= 0 || rec.Digits.empty()) {
    integerPart = L"0";
  } else {
    size_t integerDigits = static_cast<size_t>(rec.Exponent);
    integerPart = AsciiToString(rec.Digits.substr(0, integerDigits));
    if (integerPart.size() < integerDigits) integerPart.append(integerDigits - integerPart.size(), L'0');
  }
  String text = thousands ? GroupThousands(integerPart) : integerPart;
  if (decimals > 0) {
    String fraction;
    if (!rec.Digits.empty()) {
      if (rec.Exponent < 0) fraction.append(static_cast<size_t>(-rec.Exponent), L'0');
      size_t start = rec.Exponent > 0 ? static_cast<size_t>(rec.Exponent) : 0;
      if (start < rec.Digits.size()) fraction += AsciiToString(rec.Digits.substr(start));
    }
    fraction.resize(static_cast<size_t>(decimals), L'0');
    text += FormatSettings.DecimalSeparator;
    text += fraction;
  }
  return text;
}

// Places the currency string and the sign as CurrencyFormat and NegCurrFormat say.
String CurrencyText(const String& amount, bool negative) {
  const String& c = FormatSettings.CurrencyString;
  if (!negative) {
    switch (FormatSettings.CurrencyFormat) {
      case 1: return amount + c;
      case 2: return c + L" " + amount;
      case 3: return amount + L" " + c;
      default: return c + amount;
    }
  }
  switch (FormatSettings.NegCurrFormat) {
    case 1: return L"-" + c + amount;
    case 2: return c + L"-" + amount;
    case 3: return c + amount + L"-";
    case 4: return L"(" + amount + c + L")";
    case 5: return L"-" + amount + c;
    case 6: return amount + L"-" + c;
    case 7: return amount + c + L"-";
    case 8: return L"-" + amount + L" " + c;
    case 9: return L"-" + c + L" " + amount;
    case 10: return amount + L" " + c + L"-";
    case 11: return c + L" " + amount + L"-";
    case 12: return c + L" -" + amount;
    case 13: return amount + L"- " + c;
    case 14: return L"(" + c + L" " + amount + L")";
    case 15: return L"(" + amount + L" " + c + L")";
    default: return L"(" + c + amount + L")";
  }
}

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

String Signed(const TFloatRec& rec, const String& text) { return rec.Negative ? L"-" + text : text; }

String FloatToText(double value, TFloatFormat format, int precision, int digits) {
  precision = Clamp(precision, 1, kMaxPrecision);
  if (format == ffGeneral || format == ffExponent) {
    digits = Clamp(digits, 0, 4);
    TFloatRec rec = FloatToDecimal(value, precision, kAllDecimals);
    if (rec.Kind != TFloatRec::fkFinite) return SpecialText(rec);
    if (format == ffGeneral) return Signed(rec, GeneralText(rec, precision, digits));
    return Signed(rec, ScientificText(rec, precision, digits, true));
  }
  digits = Clamp(digits, 0, kMaxPrecision);
  TFloatRec rec = FloatToDecimal(value, precision, digits);
  if (rec.Kind != TFloatRec::fkFinite) return SpecialText(rec);
  if (rec.Exponent > precision) {
    // More integer digits than the precision holds: the general form, as the class
    // library falls back to.
    rec = FloatToDecimal(value, precision, kAllDecimals);
    return Signed(rec, GeneralText(rec, precision, 0));
  }
  String amount = FixedText(rec, digits, format != ffFixed);
  if (format == ffCurrency) return CurrencyText(amount, rec.Negative);
  return Signed(rec, amount);
}

// ---- FormatFloat ---------------------------------------------------------------------

// Splits a FormatFloat format into its sections (positive;negative;zero). Semicolons in
// quoted text do not split.
std::vector<String> SplitSections(const String& format) {
  std::vector<String> sections(1);
  wchar_t quote = 0;
  for (wchar_t c : format) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == L'\'' || c == L'"') {
      quote = c;
    } else if (c == L';' && sections.size() < 3) {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

bool IsExponentAt(const String& section, size_t i) {
  return (section[i] == L'E' || section[i] == L'e') && i + 1 < section.size() &&
         (section[i + 1] == L'+' || section[i + 1] == L'-');
}

// What one section asks for: its digit placeholders around the decimal point.
struct TSectionLayout {
  int Before = 0;            // '0' and '#' before the decimal point
  int After = 0;             // '0' and '#' after it
  int FirstZero = INT_MAX;   // index among Before of the first '0': digits from it on show
  int LastZero = 0;          // 1-based index among After of the last '0': shown up to it
  bool Thousands = false;    // a ',' anywhere: group the integer part
  bool Scientific = false;   // an E+, E-, e+ or e-
};

TSectionLayout ScanSection(const String& section) {
  TSectionLayout layout;
  bool afterPoint = false;
  for (size_t i = 0; i < section.size(); ++i) {
    wchar_t c = section[i];
    if (c == L'\'' || c == L'"') {
      size_t close = section.find(c, i + 1);
      i = close == String::npos ? section.size() : close;
    } else if (c == L'0' || c == L'#') {
      if (afterPoint) {
        ++layout.After;
        if (c == L'0') layout.LastZero = layout.After;
      } else {
        if (c == L'0' && layout.FirstZero == INT_MAX) layout.FirstZero = layout.Before;
        ++layout.Before;
      }
    } else if (c == L'.') {
      afterPoint = true;
    } else if (c == L',') {
      layout.Thousands = FormatSettings.ThousandSeparator != L'\0';
    } else if (IsExponentAt(section, i)) {
      layout.Scientific = true;
      i += 1;
      while (i + 1 < section.size() && section[i + 1] == L'0') ++i;
    }
  }
  return layout;
}

// Writes one section with the rounded value: literals as they stand, digits into the
// placeholders, the decimal separator, the thousand groups and the exponent.
class TSectionWriter {
 public:
  TSectionWriter(const TSectionLayout& layout, const TFloatRec& rec) : FLayout(layout) {
    bool zero = rec.Digits.empty();
    if (layout.Scientific) {
      // The first Before digits make the integer part; the exponent makes up the rest.
      if (!zero) {
        FInteger = rec.Digits.substr(0, static_cast<size_t>(layout.Before));
        FInteger.resize(static_cast<size_t>(layout.Before), '0');
        FFraction = rec.Digits.size() > FInteger.size() ? rec.Digits.substr(FInteger.size()) : "";
        FExponent = rec.Exponent - layout.Before;
      }
    } else if (!zero) {
      if (rec.Exponent > 0) {
        FInteger = rec.Digits.substr(0, static_cast<size_t>(rec.Exponent));
        FInteger.resize(static_cast<size_t>(rec.Exponent), '0');
        if (rec.Digits.size() > FInteger.size()) FFraction = rec.Digits.substr(FInteger.size());
      } else {
        FFraction = std::string(static_cast<size_t>(-rec.Exponent), '0') + rec.Digits;
      }
    }
    FFractionShown = Max(layout.LastZero, Min(static_cast<int>(FFraction.size()), layout.After));
  }

  String Write(const String& section, bool minus) {
    String out = minus ? L"-" : L"";
    int integerIndex = 0, fractionIndex = 0;
    bool afterPoint = false;
    for (size_t i = 0; i < section.size(); ++i) {
      wchar_t c = section[i];
      if (c == L'\'' || c == L'"') {
        size_t close = section.find(c, i + 1);
        size_t end = close == String::npos ? section.size() : close;
        out.append(section, i + 1, end - i - 1);
        i = end;
      } else if (c == L'0' || c == L'#') {
        if (afterPoint) WriteFractionDigit(out, ++fractionIndex);
        else WriteIntegerPlaceholder(out, integerIndex++);
      } else if (c == L'.') {
        if (!afterPoint && FFractionShown > 0) out += FormatSettings.DecimalSeparator;
        afterPoint = true;
      } else if (c == L',') {
        // a flag for the whole section, written with the digits
      } else if (IsExponentAt(section, i)) {
        bool alwaysSign = section[++i] == L'+';
        int minDigits = 0;
        while (i + 1 < section.size() && section[i + 1] == L'0') {
          ++minDigits;
          ++i;
        }
        out += c;
        out += ExponentText(FExponent, Min(minDigits, 4), alwaysSign);
      } else {
        out += c;
      }
    }
    return out;
  }

 private:
  void WriteIntegerDigit(String& out, char digit, int place) {
    out += static_cast<wchar_t>(digit);
    if (FLayout.Thousands && place > 0 && place % 3 == 0) out += FormatSettings.ThousandSeparator;
  }

  // Placeholder k of Before stands for the digit of place Before-1-k; the first one also
  // takes the digits the placeholders have no room for.
  void WriteIntegerPlaceholder(String& out, int k) {
    int length = static_cast<int>(FInteger.size());
    if (k == 0)
      for (int j = 0; j < length - FLayout.Before; ++j) WriteIntegerDigit(out, FInteger[j], length - 1 - j);
    int place = FLayout.Before - 1 - k;
    if (place < length) WriteIntegerDigit(out, FInteger[length - 1 - place], place);
    else if (k >= FLayout.FirstZero) WriteIntegerDigit(out, '0', place);
  }

  void WriteFractionDigit(String& out, int index) {
    if (index > FFractionShown) return;
    out += index <= static_cast<int>(FFraction.size()) ? static_cast<wchar_t>(FFraction[index - 1]) : L'0';
  }

  const TSectionLayout& FLayout;
  std::string FInteger;    // digits of the integer part, without leading zeros
  std::string FFraction;   // digits after the point, without trailing zeros
  int FFractionShown = 0;  // how many fraction placeholders show a digit
  int FExponent = 0;       // the exponent written after E
};

TFloatRec RoundForSection(double value, const TSectionLayout& layout) {
  if (layout.Scientific)
    return FloatToDecimal(value, Max(1, layout.Before + layout.After), kAllDecimals);
  return FloatToDecimal(value, kMaxPrecision, layout.After);
}

// ---- Format ----------------------------------------------------------------------------

constexpr int kMaxFormatNumber = 1 << 20;  // widths and precisions beyond this are refused

class TFormatter {
 public:
  TFormatter(const String& format, std::initializer_list<TVarRec> args)
      : FFormat(format), FArgs(args.begin()), FArgCount(args.size()) {}

  String Run() {
    String out;
    size_t n = FFormat.size();
    while (FPos < n) {
      wchar_t c = FFormat[FPos++];
      if (c != L'%') {
        out += c;
      } else if (FPos < n && FFormat[FPos] == L'%') {
        out += L'%';
        ++FPos;
      } else {
        out += Directive();
      }
    }
    return out;
  }

 private:
  [[noreturn]] void InvalidFormat() const {
    throw EConvertError(L"Format '%s' invalid or incompatible with argument", {Copy(FFormat, 1, 31)});
  }

  [[noreturn]] void ArgumentMissing() const {
    throw EConvertError(L"No argument for format '%s'", {Copy(FFormat, 1, 31)});
  }

  const TVarRec& NextArg() {
    if (FNextArg >= FArgCount) ArgumentMissing();
    return FArgs[FNextArg++];
  }

  // A number written in the directive, or '*' for one taken from the arguments.
  // Returns -1 when there is neither.
  int ReadNumber() {
    size_t n = FFormat.size();
    if (FPos < n && FFormat[FPos] == L'*') {
      ++FPos;
      const TVarRec& arg = NextArg();
      if (arg.VType != TVarRec::vtInteger && arg.VType != TVarRec::vtInt64) InvalidFormat();
      if (arg.VInt > kMaxFormatNumber) InvalidFormat();
      return arg.VInt < 0 ? 0 : static_cast<int>(arg.VInt);
    }
    if (FPos >= n || FFormat[FPos] < L'0' || FFormat[FPos] > L'9') return -1;
    int value = 0;
    while (FPos < n && FFormat[FPos] >= L'0' && FFormat[FPos] <= L'9') {
      value = value * 10 + (FFormat[FPos++] - L'0');
      if (value > kMaxFormatNumber) InvalidFormat();
    }
    return value;
  }

  String Directive() {
    size_t n = FFormat.size();
    int number = ReadNumber();
    if (number >= 0 && FPos < n && FFormat[FPos] == L':') {
      ++FPos;
      FNextArg = static_cast<size_t>(number);
      number = -1;
    }
    bool leftJustify = false;
    if (number < 0 && FPos < n && FFormat[FPos] == L'-') {
      leftJustify = true;
      ++FPos;
    }
    int width = number >= 0 ? number : ReadNumber();
    int precision = -1;
    if (FPos < n && FFormat[FPos] == L'.') {
      ++FPos;
      precision = ReadNumber();
      if (precision < 0) precision = 0;
    }
    if (FPos >= n) InvalidFormat();
    wchar_t type = FFormat[FPos++];
    if (type >= L'a' && type <= L'z') type = static_cast<wchar_t>(type - 32);
    String text = Convert(type, NextArg(), precision);
    if (width > static_cast<int>(text.size())) {
      size_t padding = static_cast<size_t>(width) - text.size();
      if (leftJustify) text.append(padding, L' ');
      else text.insert(0, padding, L' ');
    }
    return text;
  }

  static String PadDigits(String digits, int precision) {
    if (precision > static_cast<int>(digits.size()))
      digits.insert(0, static_cast<size_t>(precision) - digits.size(), L'0');
    return digits;
  }

  static String HexDigits(uint64_t value) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    String text;
    do {
      text.insert(text.begin(), kHex[value & 0xF]);
      value >>= 4;
    } while (value != 0);
    return text;
  }

  bool IsInteger(const TVarRec& arg) const {
    return arg.VType == TVarRec::vtInteger || arg.VType == TVarRec::vtInt64;
  }

  // The bits of an integer argument: 32 of them for a 32-bit integer.
  uint64_t UnsignedBits(const TVarRec& arg) const {
    if (arg.VType == TVarRec::vtInteger) return static_cast<uint32_t>(arg.VInt);
    return static_cast<uint64_t>(arg.VInt);
  }

  String Convert(wchar_t type, const TVarRec& arg, int precision) {
    switch (type) {
      case L'D': {
        if (!IsInteger(arg)) InvalidFormat();
        uint64_t magnitude = arg.VInt < 0 ? 0 - static_cast<uint64_t>(arg.VInt) : static_cast<uint64_t>(arg.VInt);
        String digits = PadDigits(std::to_wstring(magnitude), precision);
        return arg.VInt < 0 ? L"-" + digits : digits;
      }
      case L'U':
        if (!IsInteger(arg)) InvalidFormat();
        return PadDigits(std::to_wstring(UnsignedBits(arg)), precision);
      case L'X':
        if (!IsInteger(arg)) InvalidFormat();
        return PadDigits(HexDigits(UnsignedBits(arg)), precision);
      case L'P':
        if (arg.VType != TVarRec::vtPointer) InvalidFormat();
        return PadDigits(HexDigits(reinterpret_cast<uintptr_t>(arg.VPointer)), sizeof(void*) * 2);
      case L'S':
        if (arg.VType != TVarRec::vtString && arg.VType != TVarRec::vtChar) InvalidFormat();
        return precision >= 0 ? arg.VString.substr(0, static_cast<size_t>(precision)) : arg.VString;
      case L'E':
      case L'F':
      case L'G':
      case L'N':
      case L'M':
        if (arg.VType != TVarRec::vtExtended) InvalidFormat();
        return ConvertFloat(type, arg.VExtended, precision);
      default:
        InvalidFormat();
    }
  }

  static String ConvertFloat(wchar_t type, double value, int precision) {
    switch (type) {
      case L'E': return FloatToText(value, ffExponent, precision < 0 ? 15 : precision, 3);
      case L'G': return FloatToText(value, ffGeneral, precision < 0 ? 15 : precision, 3);
      case L'F': return FloatToText(value, ffFixed, kMaxPrecision, precision < 0 ? 2 : precision);
      case L'N': return FloatToText(value, ffNumber, kMaxPrecision, precision < 0 ? 2 : precision);
      default:
        return FloatToText(value, ffCurrency, kMaxPrecision,
                           precision < 0 ? FormatSettings.CurrencyDecimals : precision);
    }
  }

  const String& FFormat;
  const TVarRec* FArgs;
  size_t FArgCount;
  size_t FPos = 0;      // next character of the format to read
  size_t FNextArg = 0;  // next argument a directive without an index takes
};

}  // namespace

// ---- Public functions ----------------------------------------------------------------

String FloatToStr(double value) { return FloatToText(value, ffGeneral, 15, 0); }

String FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  return FloatToText(value, format, precision, digits);
}

String FormatFloat(const String& format, double value) {
  TFloatRec probe = FloatToDecimal(value, kMaxPrecision, kAllDecimals);
  if (format.empty() || probe.Kind != TFloatRec::fkFinite) return FloatToStr(value);
  std::vector<String> sections = SplitSections(format);
  auto usable = [&](size_t index) { return index < sections.size() && !sections[index].empty(); };

  size_t chosen = 0;
  if (value < 0 && usable(1)) chosen = 1;
  else if (value == 0 && usable(2)) chosen = 2;
  if (sections[chosen].empty()) return FloatToStr(value);

  TSectionLayout layout = ScanSection(sections[chosen]);
  TFloatRec rec = RoundForSection(value, layout);
  if (rec.Digits.empty() && chosen != 2) {
    // Rounded to nothing: the zero section if there is one, else no minus sign.
    if (usable(2)) chosen = 2;
    else if (chosen == 1) chosen = 0;
    layout = ScanSection(sections[chosen]);
    rec = RoundForSection(0.0, layout);
  }
  if (!layout.Scientific && rec.Exponent > kMaxPrecision) return FloatToStr(value);
  TSectionWriter writer(layout, rec);
  return writer.Write(sections[chosen], rec.Negative && chosen == 0);
}

// Currency holds four decimals exactly: the value is rounded to them (halves to even, as
// the FPU stores it) and shown in the shortest form.
String CurrToStr(double value) {
  int64_t scaled = Round(value * 10000.0);
  uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  TFloatRec rec;
  rec.Negative = scaled < 0;
  rec.Digits = std::to_string(magnitude);
  rec.Exponent = static_cast<int>(rec.Digits.size()) - 4;
  StripTrailingZeros(rec);
  return Signed(rec, GeneralText(rec, 19, 0));
}

String Format(const String& format, std::initializer_list<TVarRec> args) {
  return TFormatter(format, args).Run();
}
