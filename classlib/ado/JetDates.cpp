#include "JetDates.h"
#include <cmath>
#include <cwctype>
#include "../system/SysMath.h"

namespace {

// Reads 1..maxDigits decimal digits at pos; false when there is none.
bool ReadNumber(const String& s, size_t& pos, int maxDigits, int& value) {
  size_t start = pos;
  value = 0;
  while (pos < s.size() && pos - start < size_t(maxDigits) && s[pos] >= L'0' && s[pos] <= L'9')
    value = value * 10 + (s[pos++] - L'0');
  return pos > start;
}

bool Expect(const String& s, size_t& pos, wchar_t ch) {
  if (pos < s.size() && s[pos] == ch) {
    ++pos;
    return true;
  }
  return false;
}

void SkipBlanks(const String& s, size_t& pos) {
  while (pos < s.size() && s[pos] == L' ') ++pos;
}

// 'h:nn[:ss[.fff]]' with an optional AM/PM marker when allowAmPm; the time as a fraction.
bool ReadTime(const String& s, size_t& pos, bool allowAmPm, double& fraction) {
  int hour, minute, second = 0, msec = 0;
  if (!ReadNumber(s, pos, 2, hour) || !Expect(s, pos, L':') || !ReadNumber(s, pos, 2, minute))
    return false;
  if (Expect(s, pos, L':')) {
    if (!ReadNumber(s, pos, 2, second)) return false;
    if (Expect(s, pos, L'.')) {
      size_t start = pos;
      int digits;
      if (!ReadNumber(s, pos, 3, digits)) return false;
      for (size_t n = pos - start; n < 3; ++n) digits *= 10;
      msec = digits;
      while (pos < s.size() && s[pos] >= L'0' && s[pos] <= L'9') ++pos;  // finer digits
    }
  }
  if (allowAmPm) {
    size_t save = pos;
    SkipBlanks(s, pos);
    String rest = UpperCase(s.substr(pos, 2));
    if (rest == L"AM" || rest == L"PM") {
      if (hour < 1 || hour > 12) return false;
      if (rest == L"AM" && hour == 12) hour = 0;
      if (rest == L"PM" && hour != 12) hour += 12;
      pos += 2;
    } else {
      pos = save;
    }
  }
  TDateTime time;
  if (!TryEncodeTime(hour, minute, second, msec, time)) return false;
  fraction = time;
  return true;
}

TDateTime Combine(TDateTime date, double fraction) {
  return date >= 0 ? date + fraction : date - fraction;
}

}  // namespace

String DateTimeToIso(TDateTime dt) {
  if (!std::isfinite(dt)) dt = 0;
  double whole = Int(dt);
  int64_t seconds = Round(std::fabs(dt - whole) * SecsPerDay);
  if (seconds >= 86400) {
    seconds -= 86400;
    whole += 1;
  }
  int year, month, day;
  DecodeDate(whole, year, month, day);
  wchar_t text[32];
  swprintf(text, 32, L"%04d-%02d-%02d %02d:%02d:%02d", year, month, day,
           int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));
  return text;
}

bool TryIsoToDateTime(const String& text, TDateTime& dt) {
  size_t pos = 0;
  int year, month, day;
  if (!ReadNumber(text, pos, 4, year) || pos != 4 || !Expect(text, pos, L'-') ||
      !ReadNumber(text, pos, 2, month) || !Expect(text, pos, L'-') ||
      !ReadNumber(text, pos, 2, day))
    return false;
  TDateTime date;
  if (!TryEncodeDate(year, month, day, date)) return false;
  double fraction = 0;
  if (pos < text.size()) {
    if (text[pos] != L' ' && text[pos] != L'T') return false;
    ++pos;
    if (!ReadTime(text, pos, false, fraction)) return false;
  }
  if (pos != text.size()) return false;
  dt = Combine(date, fraction);
  return true;
}

bool TryJetDateLiteral(const String& body, TDateTime& dt) {
  String s = Trim(body);
  if (TryIsoToDateTime(s, dt)) return true;
  size_t pos = 0;
  double fraction = 0;
  // A time alone: digits followed by ':'.
  size_t probe = 0;
  int ignored;
  if (ReadNumber(s, probe, 2, ignored) && probe < s.size() && s[probe] == L':') {
    if (!ReadTime(s, pos, true, fraction) || pos != s.size()) return false;
    dt = fraction;
    return true;
  }
  int month, day, year;
  if (!ReadNumber(s, pos, 2, month) || !Expect(s, pos, L'/') || !ReadNumber(s, pos, 2, day) ||
      !Expect(s, pos, L'/'))
    return false;
  size_t yearStart = pos;
  if (!ReadNumber(s, pos, 4, year)) return false;
  if (pos - yearStart <= 2) year += year < 30 ? 2000 : 1900;  // two-digit years as Jet reads them
  TDateTime date;
  if (!TryEncodeDate(year, month, day, date)) return false;
  if (pos < s.size()) {
    SkipBlanks(s, pos);
    if (!ReadTime(s, pos, true, fraction)) return false;
    if (pos != s.size()) return false;
  }
  dt = Combine(date, fraction);
  return true;
}
