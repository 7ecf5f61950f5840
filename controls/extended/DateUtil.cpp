#include "DateUtil.h"

#include <cwctype>

#include "StrUtils.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/Win.h"

using namespace StrUtils;

bool UseFourDigitYear = true;
bool FarEastSystem = false;

namespace {

const bool DateSettingsRead = [] {
  ReadDateSettings();
  return true;
}();

int CurrentYear() {
  int y, m, d;
  DecodeDate(Date(), y, m, d);
  return y;
}

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }

// The field of text under the first run of letter in the upper-cased format: -1 when the
// field is all blank or not a number, fallback when the format has no such letter or the
// text is longer than the format.
int ReadField(const String& text, const String& format, wchar_t letter, int fallback) {
  const size_t start = format.find(letter);
  if (start == String::npos || text.size() > format.size()) return fallback;
  size_t end = start;
  while (end < format.size() && format[end] == letter) ++end;
  if (start >= text.size()) return -1;
  const String field = DeleteChars(text.substr(start, end - start), L' ');
  if (field.empty()) return -1;
  int value = 0;
  for (wchar_t c : field) {
    if (c < L'0' || c > L'9') return -1;
    value = value * 10 + (c - L'0');
  }
  return value;
}

// The month of a long month name under the first "MMM" of the format; -1 when none
// matches the typed prefix.
int ReadMonthName(const String& text, const String& format, size_t start) {
  const String typed = TrimBlanks(text.substr(start < text.size() ? start : text.size()));
  if (typed.empty()) return -1;
  for (int m = 0; m < 12; ++m) {
    const String& name = FormatSettings.LongMonthNames[m];
    if (typed.size() <= name.size() && AnsiCompareText(name.substr(0, typed.size()), typed) == 0)
      return m + 1;
  }
  return -1;
}

// Free reading: numbers separated by the date separator, ordered as the system's short date
// format orders them; two numbers are day and month (or month and day) of this year.
class TDateScanner {
 public:
  explicit TDateScanner(const String& text) : FText(text) {}

  bool Scan(int& year, int& month, int& day) {
    if (!FormatSettings.ShortDateFormat.empty() && Upper(FormatSettings.ShortDateFormat[0]) == L'G')
      while (FPos < FText.size() && !std::iswdigit(FText[FPos])) ++FPos;
    int n1, n2, n3;
    if (!Number(n1) || !Separator() || !Number(n2)) return false;
    const TDateOrder order = DateOrderOf(FormatSettings.ShortDateFormat);
    const size_t afterSecond = FPos;
    // A third number needs its separator; without one (a mask's year left blank, "03/04/")
    // the two numbers are a date of this year and the separator is the optional one after.
    const bool third = Separator() && Number(n3);
    if (!third) FPos = afterSecond;
    if (third) {
      switch (order) {
        case doMDY: month = n1; day = n2; year = n3; break;
        case doDMY: day = n1; month = n2; year = n3; break;
        case doYMD: year = n1; month = n2; day = n3; break;
      }
      year = ExpandTwoDigitYear(year);
    } else {
      year = CurrentYear();
      if (order == doDMY) {
        day = n1;
        month = n2;
      } else {
        month = n1;
        day = n2;
      }
    }
    Separator();
    Blanks();
    // A far-east long form may follow the date with a weekday name: it is not part of it.
    if (FarEastSystem && LowerCase(FormatSettings.ShortDateFormat).find(L"ddd") != String::npos)
      SkipTrailingText();
    return FPos == FText.size() && IsValidDate(year, month, day);
  }

 private:
  // Skips to the time: to its first digit when the short time format starts with one, else
  // word by word to the AM or PM designator (or the end).
  void SkipTrailingText() {
    const String& timeFormat = FormatSettings.ShortTimeFormat;
    if (!timeFormat.empty() && std::iswdigit(timeFormat[0])) {
      while (FPos < FText.size() && !std::iswdigit(FText[FPos])) ++FPos;
      return;
    }
    do {  // the first word is the weekday's, whatever it reads
      while (FPos < FText.size() && FText[FPos] != L' ') ++FPos;
      Blanks();
    } while (FPos < FText.size() && !AtDesignator(FormatSettings.TimeAMString) &&
             !AtDesignator(FormatSettings.TimePMString));
  }
  // An empty designator marks nothing (it would stop the skipping at once).
  bool AtDesignator(const String& designator) const {
    return !designator.empty() &&
           AnsiCompareText(FText.substr(FPos, designator.size()), designator) == 0;
  }
  void Blanks() {
    while (FPos < FText.size() && FText[FPos] == L' ') ++FPos;
  }
  bool Number(int& value) {
    Blanks();
    const size_t start = FPos;
    value = 0;
    while (FPos < FText.size() && std::iswdigit(FText[FPos]) && value < 1000)
      value = value * 10 + (FText[FPos++] - L'0');
    return FPos > start;
  }
  bool Separator() {
    Blanks();
    if (FPos < FText.size() && FText[FPos] == FormatSettings.DateSeparator) {
      ++FPos;
      return true;
    }
    return false;
  }

  const String& FText;
  size_t FPos = 0;
};

}  // namespace

TDateOrder DateOrderOf(const String& format) {
  for (wchar_t c : format) {
    switch (Upper(c)) {
      case L'D': return doDMY;
      case L'M': return doMDY;
      case L'E':
      case L'Y': return doYMD;
      default: break;
    }
  }
  return doDMY;
}

void ReadDateSettings() {
  UseFourDigitYear = UpperCase(FormatSettings.ShortDateFormat).find(L"YYYY") != String::npos;
  FarEastSystem = ::GetSystemMetrics(SM_DBCSENABLED) != 0;
}

String DefaultDateFormat(bool fourDigitYear) {
  switch (DateOrderOf(FormatSettings.ShortDateFormat)) {
    case doMDY: return fourDigitYear ? L"MM/DD/YYYY" : L"MM/DD/YY";
    case doDMY: return fourDigitYear ? L"DD/MM/YYYY" : L"DD/MM/YY";
    case doYMD: break;
  }
  return fourDigitYear ? L"YYYY/MM/DD" : L"YY/MM/DD";
}

String DefaultDateMask(wchar_t blanksChar, bool fourDigitYear) {
  String mask;
  if (!fourDigitYear)
    mask = L"!99/99/99;1;";
  else if (DateOrderOf(FormatSettings.ShortDateFormat) == doYMD)
    mask = L"!9999/99/99;1;";
  else
    mask = L"!99/99/9999;1;";
  return mask + blanksChar;
}

int ExpandTwoDigitYear(int year, int currentYear) {
  if (year < 0 || year >= 100) return year;
  const int first = currentYear - 60;
  year += first / 100 * 100;
  if (year < first) year += 100;
  return year;
}

int ExpandTwoDigitYear(int year) { return ExpandTwoDigitYear(year, CurrentYear()); }

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

bool IsValidDateTime(TDateTime value) {
  // Years 1..9999 span these serial days.
  if (!(value >= -693593 && value < 2958466)) return false;
  int y, m, d;
  DecodeDate(value, y, m, d);
  return IsValidDate(y, m, d);
}

bool TryTextToDate(const String& text, const String& format, TDateTime& date) {
  if (text.empty()) {
    date = 0;
    return true;
  }
  const String upper = UpperCase(format);
  int month;
  const size_t monthName = upper.find(L"MMM");
  if (monthName != String::npos)
    month = text.size() > format.size() ? -1 : ReadMonthName(text, upper, monthName);
  else
    month = ReadField(text, upper, L'M', -1);
  int day = ReadField(text, upper, L'D', 1);
  int year = ReadField(text, upper, L'Y', CurrentYear());
  year = ExpandTwoDigitYear(year);
  if (!IsValidDate(year, month, day) && !TDateScanner(text).Scan(year, month, day))
    return false;
  return TryEncodeDate(year, month, day, date);
}

TDateTime TextToDateStrict(const String& text, const String& format) {
  TDateTime date = 0;
  if (!TryTextToDate(text, format, date))
    throw EConvertError(L"'%s' is not a valid date", {text});
  return date;
}

TDateTime TextToDateOr(const String& text, const String& format, TDateTime fallback) {
  TDateTime date = 0;
  return TryTextToDate(text, format, date) ? date : fallback;
}

String DateToText(TDateTime date, const String& format) {
  if (date == 0) return String();
  // The edit's format letters are the class library's date letters, upper-cased.
  return FormatDateTime(LowerCase(format), date);
}
