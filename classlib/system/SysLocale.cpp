#include "SysLocale.h"

#include "Win.h"

namespace {

// One locale value as text; empty when the system has none.
String LocaleText(LCID locale, LCTYPE type) {
  int length = GetLocaleInfoW(locale, type, nullptr, 0);  // counts the terminating null
  if (length <= 1) return String();
  String text(static_cast<size_t>(length), L'\0');
  length = GetLocaleInfoW(locale, type, text.data(), length);
  if (length <= 1) return String();
  text.resize(static_cast<size_t>(length) - 1);
  return text;
}

wchar_t LocaleChar(LCID locale, LCTYPE type, wchar_t fallback) {
  String text = LocaleText(locale, type);
  return text.empty() ? fallback : text[0];
}

// A small number of the locale (a count or a format index) within [0, maximum].
unsigned char LocaleNumber(LCID locale, LCTYPE type, int maximum, unsigned char fallback) {
  String text = LocaleText(locale, type);
  if (text.empty() || text.size() > 3) return fallback;
  int value = 0;
  for (wchar_t ch : text) {
    if (ch < L'0' || ch > L'9') return fallback;
    value = value * 10 + (ch - L'0');
  }
  return value <= maximum ? static_cast<unsigned char>(value) : fallback;
}

String LocaleFormat(LCID locale, LCTYPE type, const String& fallback) {
  String picture = LocaleText(locale, type);
  return picture.empty() ? fallback : LocalePictureToFormat(picture);
}

bool IsAsciiLetter(wchar_t ch) { return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z'); }

// Appends literal text so that the class library's formatter prints it as it stands:
// text with letters or quote characters goes between quotes.
void AppendLiteral(String& out, const String& literal) {
  bool needsQuotes = false, hasDouble = false, hasSingle = false;
  for (wchar_t ch : literal) {
    if (IsAsciiLetter(ch) || ch == L'"' || ch == L'\'') needsQuotes = true;
    if (ch == L'"') hasDouble = true;
    if (ch == L'\'') hasSingle = true;
  }
  if (!needsQuotes) {
    out += literal;
  } else if (!hasDouble) {
    out += L'"' + literal + L'"';
  } else if (!hasSingle) {
    out += L'\'' + literal + L'\'';
  } else {
    for (wchar_t ch : literal) {
      wchar_t quote = ch == L'"' ? L'\'' : L'"';
      out += quote;
      out += ch;
      out += quote;
    }
  }
}

// The short time format when the system has no LOCALE_SSHORTTIME: the long one without
// its seconds (the seconds and the separator before them).
String WithoutSeconds(const String& format) {
  size_t first = format.find(L's');
  if (first == String::npos) return format;
  size_t last = format.find_last_of(L's');
  size_t start = first;
  while (start > 0 && !IsAsciiLetter(format[start - 1]) && format[start - 1] != L' ') --start;
  return format.substr(0, start) + format.substr(last + 1);
}

TFormatSettings ReadFormatSettings(LCID locale) {
  TFormatSettings fs;  // English (United States) where the system gives nothing
  fs.DecimalSeparator = LocaleChar(locale, LOCALE_SDECIMAL, fs.DecimalSeparator);
  fs.ThousandSeparator = LocaleChar(locale, LOCALE_STHOUSAND, fs.ThousandSeparator);
  String currency = LocaleText(locale, LOCALE_SCURRENCY);
  if (!currency.empty()) fs.CurrencyString = currency;
  fs.CurrencyFormat = LocaleNumber(locale, LOCALE_ICURRENCY, 3, fs.CurrencyFormat);
  fs.NegCurrFormat = LocaleNumber(locale, LOCALE_INEGCURR, 15, fs.NegCurrFormat);
  fs.CurrencyDecimals = LocaleNumber(locale, LOCALE_ICURRDIGITS, 99, fs.CurrencyDecimals);
  fs.DateSeparator = LocaleChar(locale, LOCALE_SDATE, fs.DateSeparator);
  fs.TimeSeparator = LocaleChar(locale, LOCALE_STIME, fs.TimeSeparator);
  fs.ShortDateFormat = LocaleFormat(locale, LOCALE_SSHORTDATE, fs.ShortDateFormat);
  fs.LongDateFormat = LocaleFormat(locale, LOCALE_SLONGDATE, fs.LongDateFormat);
  fs.LongTimeFormat = LocaleFormat(locale, LOCALE_STIMEFORMAT, fs.LongTimeFormat);
  fs.ShortTimeFormat =
      LocaleFormat(locale, LOCALE_SSHORTTIME, WithoutSeconds(fs.LongTimeFormat));
  String am = LocaleText(locale, LOCALE_S1159), pm = LocaleText(locale, LOCALE_S2359);
  if (!am.empty() && !pm.empty()) {
    fs.TimeAMString = am;
    fs.TimePMString = pm;
  }
  for (int i = 0; i < 12; ++i) {
    String shortName = LocaleText(locale, LOCALE_SABBREVMONTHNAME1 + i);
    String longName = LocaleText(locale, LOCALE_SMONTHNAME1 + i);
    if (!shortName.empty()) fs.ShortMonthNames[i] = shortName;
    if (!longName.empty()) fs.LongMonthNames[i] = longName;
  }
  // The system counts days from Monday (DAYNAME1) to Sunday (DAYNAME7); ours from Sunday.
  for (int i = 0; i < 7; ++i) {
    int systemIndex = (i + 6) % 7;
    String shortName = LocaleText(locale, LOCALE_SABBREVDAYNAME1 + systemIndex);
    String longName = LocaleText(locale, LOCALE_SDAYNAME1 + systemIndex);
    if (!shortName.empty()) fs.ShortDayNames[i] = shortName;
    if (!longName.empty()) fs.LongDayNames[i] = longName;
  }
  return fs;
}

}  // namespace

// Read before the other units' static objects are built, so that none of them sees
// the settings unset.
TFormatSettings FormatSettings __attribute__((init_priority(1000))) =
    ReadFormatSettings(LOCALE_USER_DEFAULT);

void GetFormatSettings() { FormatSettings = ReadFormatSettings(LOCALE_USER_DEFAULT); }

TFormatSettings DefaultFormatSettings() { return TFormatSettings(); }

String LocalePictureToFormat(const String& picture) {
  String out, literal;
  bool afterHour = false;  // the last specifier was an hour, so 'mm' reads as minutes
  auto flush = [&] {
    if (!literal.empty()) AppendLiteral(out, literal);
    literal.clear();
  };
  size_t i = 0;
  const size_t n = picture.size();
  while (i < n) {
    wchar_t ch = picture[i];
    if (ch == L'\'') {
      if (i + 1 < n && picture[i + 1] == L'\'') {  // '' is a quote character
        literal += L'\'';
        i += 2;
        continue;
      }
      for (++i; i < n; ++i) {  // quoted text up to the closing quote
        if (picture[i] == L'\'') {
          if (i + 1 < n && picture[i + 1] == L'\'') {
            literal += L'\'';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        literal += picture[i];
      }
      continue;
    }
    size_t count = 1;
    while (i + count < n && picture[i + count] == ch) ++count;
    size_t timeCount = count > 2 ? 2 : count;
    switch (ch) {
      case L'd':
      case L'y':
        flush();
        out.append(count, ch);
        afterHour = false;
        break;
      case L'M':
        flush();
        out.append(count, L'm');
        afterHour = false;
        break;
      case L'g':  // the era is not shown for the Gregorian calendar
        break;
      case L'h':
      case L'H':
        flush();
        out.append(timeCount, L'h');
        afterHour = true;
        break;
      case L'm':
        flush();
        out.append(timeCount, afterHour ? L'm' : L'n');
        afterHour = false;
        break;
      case L's':
        flush();
        out.append(timeCount, L's');
        afterHour = false;
        break;
      case L't':
        flush();
        out += L"AMPM";
        afterHour = false;
        break;
      default:
        literal.append(count, ch);
        break;
    }
    i += count;
  }
  flush();
  return out;
}
