#include "NumberText.h"

#include <cmath>

#include "StrUtils.h"
#include "classlib/system/SysFormat.h"
#include "classlib/system/SysLocale.h"

using namespace StrUtils;

String NormalizeNumberText(const String& text) {
  const wchar_t decimal = FormatSettings.DecimalSeparator;
  const wchar_t thousands = FormatSettings.ThousandSeparator;
  String s = TrimBlanks(text);
  if (decimal != thousands) s = DeleteChars(s, thousands);
  if (decimal != L'.' && thousands != L'.') s = ReplaceAll(s, L".", String(1, decimal));
  if (decimal != L',' && thousands != L',') s = ReplaceAll(s, L",", String(1, decimal));
  if (s.empty()) return L"0";
  if (s == L"-") return L"-0";
  return s;
}

bool TryParseFloat(const String& s, double& value) {
  const String allowed = String(L"+-0123456789Ee") + FormatSettings.DecimalSeparator;
  if (!ConsistsOf(s, allowed)) return false;
  double parsed = 0;
  if (!TryStrToFloat(s.substr(0, 63), parsed) || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

int CountDecimals(const String& normalized) {
  const size_t point = normalized.find(FormatSettings.DecimalSeparator);
  if (point == String::npos) return 0;
  const size_t exponent = UpperCase(normalized).find(L'E');
  // The digits between the separator and the exponent, or to the end.
  const size_t end = exponent != String::npos && exponent > point ? exponent : normalized.size();
  return static_cast<int>(end - point - 1);
}

bool IsAcceptableNumberText(const String& text, unsigned decimalPlaces, double minValue,
                            double maxValue) {
  const String s = NormalizeNumberText(text);
  if (CountDecimals(s) > static_cast<int>(decimalPlaces)) return false;
  double value = 0;
  if (!TryParseFloat(s, value)) return false;
  return !(minValue >= 0 && maxValue > 0 && value < 0);
}

double ClampToRange(double x, double minValue, double maxValue) {
  if (maxValue == minValue) return x;
  if (maxValue > minValue) return x < minValue ? minValue : x > maxValue ? maxValue : x;
  if (maxValue == 0) return x < minValue ? minValue : x;
  if (minValue == 0) return x > maxValue ? maxValue : x;
  return x;
}

String RangeErrorText(unsigned decimalPlaces, double minValue, double maxValue) {
  const int places = static_cast<int>(decimalPlaces);
  return Format(L"Value must be between %.*f and %.*f", {places, minValue, places, maxValue});
}

String NumberEditFormat(unsigned decimalPlaces) {
  return decimalPlaces == 0 ? String(L"0")
                            : L"0." + RepeatChar(L'#', static_cast<int>(decimalPlaces));
}

String NumberEditText(double value, unsigned decimalPlaces, bool zeroEmpty) {
  if (value == 0 && zeroEmpty) return String();
  return FormatFloat(NumberEditFormat(decimalPlaces), value);
}

String FormatNumberValue(double value, const String& displayFormat) {
  return displayFormat.empty() ? FloatToStr(value) : FormatFloat(displayFormat, value);
}

String CurrencyDisplayFormat() {
  String format = L",0." + RepeatChar(L'0', FormatSettings.CurrencyDecimals);
  String currency;
  for (wchar_t c : FormatSettings.CurrencyString) {
    if (c == L',' || c == L'.')
      currency += String(L"'") + c + L"'";
    else
      currency += c;
  }
  if (!currency.empty()) {
    switch (FormatSettings.CurrencyFormat) {
      case 0: format = currency + format; break;
      case 1: format = format + currency; break;
      case 2: format = currency + L" " + format; break;
      default: format = format + L" " + currency; break;
    }
  }
  return format + L";-" + format;
}

String GroupThousands(const String& s, bool thousands) {
  String sign, body = s;
  if (!body.empty() && (body[0] == L'+' || body[0] == L'-')) {
    sign = body.substr(0, 1);
    body.erase(0, 1);
  }
  size_t intEnd = body.find(FormatSettings.DecimalSeparator);
  const size_t exponent = UpperCase(body).find(L'E');
  if (exponent != String::npos && (intEnd == String::npos || exponent < intEnd))
    intEnd = exponent;
  if (intEnd == String::npos) intEnd = body.size();
  const String digits = body.substr(0, intEnd);
  String grouped;
  int count = 0;
  for (size_t i = digits.size(); i-- > 0;) {
    if (thousands && count > 0 && count % 3 == 0) grouped.insert(grouped.begin(), FormatSettings.ThousandSeparator);
    grouped.insert(grouped.begin(), digits[i]);
    ++count;
  }
  return sign + grouped + body.substr(intEnd);
}
