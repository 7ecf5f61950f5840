#include "SysDate.h"

#include <cmath>

#include "SysExceptions.h"
#include "SysMath.h"
#include "Win.h"

namespace {

constexpr int kMSecsPerDay = 86400000;
constexpr int64_t kFirstDay = -693593;    // 0001-01-01
constexpr int64_t kLastDay = 2958465;     // 9999-12-31
constexpr int64_t kUnixEpochDay = 25569;  // 1970-01-01

// ---- Calendar ----------------------------------------------------------------
// Day numbers of the proleptic Gregorian calendar counted from 1970-01-01, computed
// over 400-year cycles (146097 days) whose years start on 1 March, so that the leap
// day falls at the end of the counted year.

int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // 0 = March
  day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

// ---- The OLE date split into its day and its time ---------------------------------
// The whole part counts days from 1899-12-30 and the fraction's magnitude is the time,
// also before that day: -1.25 is 1899-12-29 06:00. The time is rounded to milliseconds;
// a time that rounds up to 24:00 becomes 00:00 of the next calendar day.

struct TDayAndTime {
  bool Valid = false;   // false for NaN, infinities and values far outside any calendar
  int64_t Day = 0;      // calendar day, days from 1899-12-30
  int MSec = 0;         // milliseconds since midnight, 0 .. 86399999
  double Fraction = 0;  // the exact time as a fraction of a day (0 when rounded up)
};

TDayAndTime SplitDateTime(TDateTime dt) {
  TDayAndTime parts;
  if (!std::isfinite(dt) || std::fabs(dt) > 1e8) return parts;
  double whole = std::trunc(dt);
  parts.Valid = true;
  parts.Day = static_cast<int64_t>(whole);
  parts.Fraction = std::fabs(dt - whole);  // exact
  int64_t msec = Round(parts.Fraction * MSecsPerDay);
  if (msec >= kMSecsPerDay) {
    msec = 0;
    parts.Fraction = 0;
    ++parts.Day;
  }
  parts.MSec = static_cast<int>(msec);
  return parts;
}

// The OLE date of a calendar day and a time (a fraction of a day).
TDateTime ComposeDateTime(int64_t day, double fraction) {
  return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

bool DayInRange(int64_t day) { return day >= kFirstDay && day <= kLastDay; }

// 1 = Sunday .. 7 = Saturday; 1899-12-30 was a Saturday.
int DayOfWeekOfDay(int64_t day) { return static_cast<int>(((day % 7) + 7 + 6) % 7) + 1; }

struct TDateFields {
  int Year = 0, Month = 0, Day = 0, DayOfWeek = 0;
  int Hour = 0, Min = 0, Sec = 0, MSec = 0;
};

// Every field of a date and time; the date fields are 0 outside 0001-01-01 .. 9999-12-31.
TDateFields DecodeDateTimeFields(TDateTime dt) {
  TDateFields fields;
  TDayAndTime parts = SplitDateTime(dt);
  if (!parts.Valid) return fields;
  if (DayInRange(parts.Day)) {
    CivilFromDays(parts.Day - kUnixEpochDay, fields.Year, fields.Month, fields.Day);
    fields.DayOfWeek = DayOfWeekOfDay(parts.Day);
  }
  fields.Hour = parts.MSec / 3600000;
  fields.Min = parts.MSec / 60000 % 60;
  fields.Sec = parts.MSec / 1000 % 60;
  fields.MSec = parts.MSec % 1000;
  return fields;
}

SYSTEMTIME LocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now;
}

}  // namespace

// ---- Encoding and decoding ----------------------------------------------------------

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return false;
  date = static_cast<double>(DaysFromCivil(year, month, day) + kUnixEpochDay);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime date;
  if (!TryEncodeDate(year, month, day, date))
    throw EConvertError(L"Invalid argument to date encode");
  return date;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
  TDateFields fields = DecodeDateTimeFields(date);
  year = fields.Year;
  month = fields.Month;
  day = fields.Day;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time) {
  if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 ||
      msec > 999)
    return false;
  time = (hour * 3600000 + min * 60000 + sec * 1000 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime time;
  if (!TryEncodeTime(hour, min, sec, msec, time))
    throw EConvertError(L"Invalid argument to time encode");
  return time;
}

void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec) {
  TDateFields fields = DecodeDateTimeFields(time);
  hour = fields.Hour;
  min = fields.Min;
  sec = fields.Sec;
  msec = fields.MSec;
}

TDateTime Date() {
  SYSTEMTIME now = LocalTime();
  return EncodeDate(now.wYear, now.wMonth, now.wDay);
}

TDateTime Time() {
  SYSTEMTIME now = LocalTime();
  return EncodeTime(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
}

TDateTime Now() {
  SYSTEMTIME now = LocalTime();  // one reading, so that date and time agree at midnight
  return EncodeDate(now.wYear, now.wMonth, now.wDay) +
         EncodeTime(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
}

int DayOfWeek(TDateTime date) {
  TDayAndTime parts = SplitDateTime(date);
  return parts.Valid ? DayOfWeekOfDay(parts.Day) : 0;
}

TDateTime IncMonth(TDateTime date, int months) {
  TDayAndTime parts = SplitDateTime(date);
  if (!parts.Valid || !DayInRange(parts.Day))
    throw EConvertError(L"Invalid argument to date encode");
  int year, month, day;
  CivilFromDays(parts.Day - kUnixEpochDay, year, month, day);
  // Months counted from January of year 0; years 1..9999 are 12 .. 120011.
  int64_t monthIndex = static_cast<int64_t>(year) * 12 + (month - 1) + months;
  if (monthIndex < 12 || monthIndex >= 10000 * 12)
    throw EConvertError(L"Invalid argument to date encode");
  int newYear = static_cast<int>(monthIndex / 12);
  int newMonth = static_cast<int>(monthIndex % 12) + 1;
  int newDay = Min(day, DaysInMonth(newYear, newMonth));
  TDateTime newDate = EncodeDate(newYear, newMonth, newDay);
  return ComposeDateTime(static_cast<int64_t>(newDate), parts.Fraction);
}

// ---- Formatting ---------------------------------------------------------------------

namespace {

wchar_t UpperAscii(wchar_t ch) { return ch >= L'a' && ch <= L'z' ? ch - (L'a' - L'A') : ch; }

bool IsAsciiLetter(wchar_t ch) {
  wchar_t upper = UpperAscii(ch);
  return upper >= L'A' && upper <= L'Z';
}

// True when text holds symbol at pos, ignoring the case of ASCII letters.
bool MatchesAt(const String& text, size_t pos, const String& symbol) {
  if (symbol.empty() || pos + symbol.size() > text.size()) return false;
  for (size_t i = 0; i < symbol.size(); ++i)
    if (UpperAscii(text[pos + i]) != UpperAscii(symbol[i])) return false;
  return true;
}

// Writes one date and time by a format of the class library's specifiers.
class TDateTimeWriter {
 public:
  TDateTimeWriter(TDateTime dt, const TFormatSettings& settings)
      : FSettings(settings), FFields(DecodeDateTimeFields(dt)) {}

  String Write(const String& format) {
    Append(format.empty() ? String(L"C") : format, 0);  // no format: the 'c' form
    return FOut;
  }

 private:
  // Formats that expand to other formats (c, ddddd, t...) nest at most this deep, so a
  // setting that names itself cannot recurse without end.
  static constexpr int kMaxLevel = 2;

  void Append(const String& format, int level);
  void AppendNested(const String& format, int level) {
    if (level < kMaxLevel) Append(format, level + 1);
  }
  void AppendNumber(int value, size_t digits) {
    String text = std::to_wstring(value);
    if (text.size() < digits) FOut.append(digits - text.size(), L'0');
    FOut += text;
  }
  void AppendMarker(size_t& pos, const String& format);
  static bool HourUses12(const String& format, size_t hourStart, size_t from);

  const TFormatSettings& FSettings;
  TDateFields FFields;  // the decoded date and time
  String FOut;          // the text written so far
};

// The length of the am/pm marker at pos (am/pm, a/p or ampm), 0 when there is none.
size_t MarkerLength(const String& format, size_t pos) {
  if (MatchesAt(format, pos, L"am/pm")) return 5;
  if (MatchesAt(format, pos, L"a/p")) return 3;
  if (MatchesAt(format, pos, L"ampm")) return 4;
  return 0;
}

// An hour shows the 12-hour clock when an am/pm marker belongs to it: the next specifier
// after it other than another hour, or else a marker written before it ("AMPM h:nn", as
// some locales put it) since the previous hour. hourStart is the hour's first letter and
// from the position after its letters.
bool TDateTimeWriter::HourUses12(const String& format, size_t hourStart, size_t from) {
  wchar_t quote = 0;
  for (size_t i = from; i < format.size(); ++i) {
    wchar_t ch = format[i];
    if (quote) {
      if (ch == quote) quote = 0;
    } else if (ch == L'"' || ch == L'\'') {
      quote = ch;
    } else if (ch == L'a' || ch == L'A') {
      if (MarkerLength(format, i) > 0) return true;
      break;
    } else if (ch == L'h' || ch == L'H') {
      break;
    }
  }
  bool markerBefore = false;
  quote = 0;
  for (size_t i = 0; i < hourStart; ++i) {
    wchar_t ch = format[i];
    if (quote) {
      if (ch == quote) quote = 0;
    } else if (ch == L'"' || ch == L'\'') {
      quote = ch;
    } else if (size_t length = MarkerLength(format, i)) {
      markerBefore = true;
      i += length - 1;
    } else if (ch == L'h' || ch == L'H') {
      markerBefore = false;
    }
  }
  return markerBefore;
}

// am/pm and a/p show the format's own letters (so their case), ampm the locale's strings;
// any other 'a' is written as it stands. pos is just after the 'a'.
void TDateTimeWriter::AppendMarker(size_t& pos, const String& format) {
  size_t start = pos - 1;
  bool pm = FFields.Hour >= 12;
  if (MatchesAt(format, start, L"am/pm")) {
    FOut += format.substr(start + (pm ? 3 : 0), 2);
    pos = start + 5;
  } else if (MatchesAt(format, start, L"a/p")) {
    FOut += format[start + (pm ? 2 : 0)];
    pos = start + 3;
  } else if (MatchesAt(format, start, L"ampm")) {
    FOut += pm ? FSettings.TimePMString : FSettings.TimeAMString;
    pos = start + 4;
  } else {
    FOut += format[start];
  }
}

void TDateTimeWriter::Append(const String& format, int level) {
  const TDateFields& f = FFields;
  wchar_t lastToken = 0;  // the last specifier letter, so that 'm' after 'h' is minutes
  size_t i = 0;
  while (i < format.size()) {
    const wchar_t starter = format[i++];
    wchar_t token = UpperAscii(starter);
    if (IsAsciiLetter(starter)) {
      if (token == L'M' && lastToken == L'H') token = L'N';
      lastToken = token;
    }
    // The number of times the specifier letter repeats, consumed from the format.
    auto takeCount = [&]() {
      size_t count = 1;
      while (i < format.size() && UpperAscii(format[i]) == UpperAscii(starter)) {
        ++count;
        ++i;
      }
      return count;
    };
    switch (token) {
      case L'Y': {
        size_t count = takeCount();
        if (count <= 2) AppendNumber(f.Year % 100, 2);
        else AppendNumber(f.Year, 4);
        break;
      }
      case L'E':  // the era's year: the plain year in the Gregorian calendar
        AppendNumber(f.Year, takeCount() == 1 ? 1 : 2);
        break;
      case L'G':  // the era's name: none in the Gregorian calendar
        takeCount();
        break;
      case L'M': {
        size_t count = takeCount();
        bool named = f.Month >= 1 && f.Month <= 12;
        if (count <= 2) AppendNumber(f.Month, count);
        else if (named) FOut += count == 3 ? FSettings.ShortMonthNames[f.Month - 1]
                                           : FSettings.LongMonthNames[f.Month - 1];
        break;
      }
      case L'D': {
        size_t count = takeCount();
        bool named = f.DayOfWeek >= 1 && f.DayOfWeek <= 7;
        if (count <= 2) AppendNumber(f.Day, count);
        else if (count == 3 && named) FOut += FSettings.ShortDayNames[f.DayOfWeek - 1];
        else if (count == 4 && named) FOut += FSettings.LongDayNames[f.DayOfWeek - 1];
        else if (count == 5) AppendNested(FSettings.ShortDateFormat, level);
        else if (count >= 6) AppendNested(FSettings.LongDateFormat, level);
        break;
      }
      case L'H': {
        const size_t hourStart = i - 1;
        size_t count = Min<size_t>(takeCount(), 2);
        int hour = f.Hour;
        if (HourUses12(format, hourStart, i)) {
          if (hour == 0) hour = 12;
          else if (hour > 12) hour -= 12;
        }
        AppendNumber(hour, count);
        break;
      }
      case L'N':
        AppendNumber(f.Min, Min<size_t>(takeCount(), 2));
        break;
      case L'S':
        AppendNumber(f.Sec, Min<size_t>(takeCount(), 2));
        break;
      case L'Z':
        AppendNumber(f.MSec, Min<size_t>(takeCount(), 3));
        break;
      case L'T':
        AppendNested(takeCount() == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat,
                     level);
        break;
      case L'C':
        takeCount();
        AppendNested(FSettings.ShortDateFormat, level);
        if (f.Hour != 0 || f.Min != 0 || f.Sec != 0) {
          FOut += L' ';
          AppendNested(FSettings.LongTimeFormat, level);
        }
        break;
      case L'A':
        AppendMarker(i, format);
        break;
      case L'/':
        if (FSettings.DateSeparator) FOut += FSettings.DateSeparator;
        break;
      case L':':
        if (FSettings.TimeSeparator) FOut += FSettings.TimeSeparator;
        break;
      case L'"':
      case L'\'': {  // literal text up to the matching quote (or the end)
        size_t close = format.find(starter, i);
        if (close == String::npos) close = format.size();
        FOut.append(format, i, close - i);
        i = close < format.size() ? close + 1 : close;
        break;
      }
      default:
        FOut += starter;
        break;
    }
  }
}

}  // namespace

String FormatDateTime(const String& format, TDateTime dt, const TFormatSettings& settings) {
  return TDateTimeWriter(dt, settings).Write(format);
}

String FormatDateTime(const String& format, TDateTime dt) {
  return FormatDateTime(format, dt, FormatSettings);
}

String DateToStr(TDateTime date) { return FormatDateTime(L"ddddd", date); }

String TimeToStr(TDateTime time) { return FormatDateTime(L"tt", time); }

String DateTimeToStr(TDateTime dt) { return FormatDateTime(L"c", dt); }

// ---- Parsing ------------------------------------------------------------------------

namespace {

enum class TDateOrder { MDY, DMY, YMD };

// The order of the parts of a date, from the first of them in the short date format.
TDateOrder DateOrderOf(const String& format) {
  wchar_t quote = 0;
  for (wchar_t ch : format) {
    if (quote) {
      if (ch == quote) quote = 0;
      continue;
    }
    switch (UpperAscii(ch)) {
      case L'"':
      case L'\'': quote = ch; break;
      case L'E':
      case L'Y': return TDateOrder::YMD;
      case L'M': return TDateOrder::MDY;
      case L'D': return TDateOrder::DMY;
      default: break;
    }
  }
  return TDateOrder::MDY;
}

// Reads a date and a time from text by the settings' separators and date order.
class TDateTimeScanner {
 public:
  TDateTimeScanner(const String& text, const TFormatSettings& settings)
      : FText(text), FSettings(settings) {}

  bool ScanDate(TDateTime& date);
  bool ScanTime(TDateTime& time);
  bool AtEnd() {
    ScanBlanks();
    return FPos >= FText.size();
  }

 private:
  void ScanBlanks() {
    while (FPos < FText.size() && (FText[FPos] == L' ' || FText[FPos] == L'\t')) ++FPos;
  }
  bool ScanNumber(int& value, int& digits);
  bool ScanFraction(int& msec);
  bool ScanChar(wchar_t ch) {
    ScanBlanks();
    if (ch == 0 || FPos >= FText.size() || FText[FPos] != ch) return false;
    ++FPos;
    return true;
  }
  bool ScanString(const String& symbol) {
    ScanBlanks();
    if (!MatchesAt(FText, FPos, symbol)) return false;
    FPos += symbol.size();
    return true;
  }
  // The hour to add for an am/pm marker at the scan position, or -1 when there is none.
  int ScanMarker() {
    if (ScanString(FSettings.TimeAMString) || ScanString(L"AM")) return 0;
    if (ScanString(FSettings.TimePMString) || ScanString(L"PM")) return 12;
    return -1;
  }

  const String& FText;
  const TFormatSettings& FSettings;
  size_t FPos = 0;  // the next character to read
};

// Up to four digits, so that a longer number fails at the next separator.
bool TDateTimeScanner::ScanNumber(int& value, int& digits) {
  ScanBlanks();
  value = 0;
  digits = 0;
  while (FPos < FText.size() && digits < 4 && FText[FPos] >= L'0' && FText[FPos] <= L'9') {
    value = value * 10 + (FText[FPos++] - L'0');
    ++digits;
  }
  return digits > 0;
}

// Fractional seconds: ".5" is 500 ms; digits past the milliseconds are dropped.
bool TDateTimeScanner::ScanFraction(int& msec) {
  msec = 0;
  int digits = 0;
  while (FPos < FText.size() && FText[FPos] >= L'0' && FText[FPos] <= L'9' && digits < 9) {
    if (digits < 3) msec = msec * 10 + (FText[FPos] - L'0');
    ++FPos;
    ++digits;
  }
  for (int d = digits; d < 3; ++d) msec *= 10;
  return digits > 0;
}

bool TDateTimeScanner::ScanDate(TDateTime& date) {
  const wchar_t separator = FSettings.DateSeparator;
  int n1, n2, n3 = 0, l1, l2, l3 = 0;
  if (!ScanNumber(n1, l1) || !ScanChar(separator) || !ScanNumber(n2, l2)) return false;
  bool hasYear = ScanChar(separator);
  if (hasYear && !ScanNumber(n3, l3)) return false;

  int year, month, day, yearDigits;
  TDateOrder order = DateOrderOf(FSettings.ShortDateFormat);
  if (!hasYear) {  // month and day of the current year
    year = LocalTime().wYear;
    yearDigits = 4;
    if (order == TDateOrder::DMY) {
      day = n1;
      month = n2;
    } else {
      month = n1;
      day = n2;
    }
  } else if (order == TDateOrder::YMD) {
    year = n1, yearDigits = l1, month = n2, day = n3;
  } else if (order == TDateOrder::DMY) {
    day = n1, month = n2, year = n3, yearDigits = l3;
  } else {
    month = n1, day = n2, year = n3, yearDigits = l3;
  }
  // A two-digit year falls in the hundred years that end TwoDigitYearCenturyWindow
  // years after the current one.
  if (yearDigits <= 2) {
    int windowStart = LocalTime().wYear - FSettings.TwoDigitYearCenturyWindow;
    year += windowStart / 100 * 100;
    if (FSettings.TwoDigitYearCenturyWindow > 0 && year < windowStart) year += 100;
  }
  return TryEncodeDate(year, month, day, date);
}

bool TDateTimeScanner::ScanTime(TDateTime& time) {
  int baseHour = ScanMarker();
  int hour, min = 0, sec = 0, msec = 0, digits;
  if (!ScanNumber(hour, digits)) return false;
  bool hasMinutes = ScanChar(FSettings.TimeSeparator);
  if (hasMinutes) {
    if (!ScanNumber(min, digits)) return false;
    if (ScanChar(FSettings.TimeSeparator)) {
      if (!ScanNumber(sec, digits)) return false;
      if (ScanChar(FSettings.DecimalSeparator) && !ScanFraction(msec)) return false;
    }
  }
  if (baseHour < 0) baseHour = ScanMarker();
  if (!hasMinutes && baseHour < 0) return false;  // a lone number is not a time
  if (baseHour >= 0) {
    if (hour == 0 || hour > 12) return false;
    if (hour == 12) hour = 0;
    hour += baseHour;
  }
  return TryEncodeTime(hour, min, sec, msec, time);
}

}  // namespace

// The Try functions leave their output unchanged when the text is not valid.
bool TryStrToDate(const String& s, TDateTime& date) {
  TDateTimeScanner scanner(s, FormatSettings);
  TDateTime value;
  if (!scanner.ScanDate(value) || !scanner.AtEnd()) return false;
  date = value;
  return true;
}

bool TryStrToTime(const String& s, TDateTime& time) {
  TDateTimeScanner scanner(s, FormatSettings);
  TDateTime value;
  if (!scanner.ScanTime(value) || !scanner.AtEnd()) return false;
  time = value;
  return true;
}

bool TryStrToDateTime(const String& s, TDateTime& dt) {
  TDateTimeScanner scanner(s, FormatSettings);
  TDateTime date, time = 0;
  if (scanner.ScanDate(date) &&
      (scanner.AtEnd() || (scanner.ScanTime(time) && scanner.AtEnd()))) {
    dt = ComposeDateTime(static_cast<int64_t>(date), time);
    return true;
  }
  return TryStrToTime(s, dt);  // a time alone is a time on day 0
}

TDateTime StrToDate(const String& s) {
  TDateTime date;
  if (!TryStrToDate(s, date)) throw EConvertError(L"'%s' is not a valid date", {s});
  return date;
}

TDateTime StrToTime(const String& s) {
  TDateTime time;
  if (!TryStrToTime(s, time)) throw EConvertError(L"'%s' is not a valid time", {s});
  return time;
}

TDateTime StrToDateTime(const String& s) {
  TDateTime dt;
  if (!TryStrToDateTime(s, dt)) throw EConvertError(L"'%s' is not a valid date and time", {s});
  return dt;
}
