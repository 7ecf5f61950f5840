// Date texts: the date order of the short date format, the edit's format and mask, two-digit
// years, and reading typed dates in each order with two- and four-digit years and blanks.
#include <gtest/gtest.h>

#include "ExtendedTestSupport.h"
#include "classlib/system/SysExceptions.h"
#include "controls/extended/DateUtil.h"

using extended_tests::FixedLocale;

namespace {

int ThisYear() {
  int y, m, d;
  DecodeDate(Date(), y, m, d);
  return y;
}

// The date read from text in format as "yyyy-mm-dd", or "no date".
String Read(const String& text, const String& format) {
  TDateTime date = 0;
  if (!TryTextToDate(text, format, date)) return L"no date";
  if (date == 0) return L"null";
  return FormatDateTime(L"yyyy-mm-dd", date);
}

}  // namespace

TEST(DateUtil, OrderFormatAndMask) {
  FixedLocale locale;
  struct Case {
    const wchar_t* shortFormat;
    TDateOrder order;
    const wchar_t* four;
    const wchar_t* two;
    const wchar_t* mask;
    bool useFour;
  } cases[] = {
      {L"M/d/yyyy", doMDY, L"MM/DD/YYYY", L"MM/DD/YY", L"!99/99/9999;1;_", true},
      {L"dd.MM.yy", doDMY, L"DD/MM/YYYY", L"DD/MM/YY", L"!99/99/9999;1;_", false},
      {L"yyyy-MM-dd", doYMD, L"YYYY/MM/DD", L"YY/MM/DD", L"!9999/99/99;1;_", true},
      {L"ee/M/d", doYMD, L"YYYY/MM/DD", L"YY/MM/DD", L"!9999/99/99;1;_", false},
      {L"", doDMY, L"DD/MM/YYYY", L"DD/MM/YY", L"!99/99/9999;1;_", false},
  };
  for (const Case& c : cases) {
    FormatSettings.ShortDateFormat = c.shortFormat;
    ReadDateSettings();
    EXPECT_EQ(DateOrderOf(c.shortFormat), c.order) << c.shortFormat;
    EXPECT_EQ(DefaultDateFormat(true), c.four);
    EXPECT_EQ(DefaultDateFormat(false), c.two);
    EXPECT_EQ(DefaultDateMask(L'_', true), c.mask);
    EXPECT_EQ(DefaultDateMask(L' ', false), L"!99/99/99;1; ");
    EXPECT_EQ(UseFourDigitYear, c.useFour) << c.shortFormat;
  }
}

TEST(DateUtil, TwoDigitYearsSlideWithTheCurrentYear) {
  EXPECT_EQ(ExpandTwoDigitYear(5, 2026), 2005);
  EXPECT_EQ(ExpandTwoDigitYear(87, 2026), 1987);
  EXPECT_EQ(ExpandTwoDigitYear(66, 2026), 1966);
  EXPECT_EQ(ExpandTwoDigitYear(65, 2026), 2065);
  EXPECT_EQ(ExpandTwoDigitYear(0, 2026), 2000);
  EXPECT_EQ(ExpandTwoDigitYear(99, 2040), 1999);
  EXPECT_EQ(ExpandTwoDigitYear(80, 2040), 1980);
  EXPECT_EQ(ExpandTwoDigitYear(79, 2040), 2079);
  EXPECT_EQ(ExpandTwoDigitYear(1987, 2026), 1987);
  EXPECT_EQ(ExpandTwoDigitYear(-1, 2026), -1) << "no year stays no year";
}

TEST(DateUtil, ReadingInEachOrder) {
  FixedLocale locale;
  struct Case {
    const wchar_t* shortFormat;
    bool four;
    const wchar_t* text;
    const wchar_t* expected;
  } cases[] = {
      {L"M/d/yyyy", true, L"12/05/2026", L"2026-12-05"},
      {L"M/d/yyyy", false, L"12/05/87", L"1987-12-05"},
      {L"d/M/yyyy", true, L"12/05/2026", L"2026-05-12"},
      {L"d/M/yyyy", false, L"31/01/05", L"2005-01-31"},
      {L"d/M/yyyy", true, L"31/02/2026", L"no date"},
      {L"yyyy/M/d", true, L"2026/03/04", L"2026-03-04"},
      {L"yyyy/M/d", false, L"26/03/04", L"2026-03-04"},
      {L"d/M/yyyy", true, L"", L"null"},
      {L"d/M/yyyy", true, L"  /  /    ", L"no date"},
      {L"d/M/yyyy", true, L"12/05/x   ", L"no date"},
      {L"d/M/yyyy", true, L"  /05/2026", L"no date"},
      {L"d/M/yyyy", true, L"1 /5 /2026", L"2026-05-01"},  // blanks inside a field
      {L"d/M/yyyy", true, L"3/4/2026", L"2026-04-03"},    // free reading
      {L"M/d/yyyy", true, L"3/4/2026", L"2026-03-04"},
      {L"d/M/yyyy", true, L"12/xx/2026", L"no date"},
      {L"d/M/yyyy", true, L"29/02/2024", L"2024-02-29"},
      {L"d/M/yyyy", true, L"29/02/2100", L"no date"},
  };
  for (const Case& c : cases) {
    FormatSettings.ShortDateFormat = c.shortFormat;
    EXPECT_EQ(Read(c.text, DefaultDateFormat(c.four)), c.expected)
        << c.shortFormat << " " << c.text;
  }
}

TEST(DateUtil, TwoNumbersAreThisYear) {
  FixedLocale locale;
  FormatSettings.ShortDateFormat = L"d/M/yyyy";
  TDateTime date = 0;
  ASSERT_TRUE(TryTextToDate(L"3/4", L"DD/MM/YYYY", date));
  EXPECT_EQ(date, EncodeDate(ThisYear(), 4, 3));
  FormatSettings.ShortDateFormat = L"M/d/yyyy";
  ASSERT_TRUE(TryTextToDate(L"3/4", L"MM/DD/YYYY", date));
  EXPECT_EQ(date, EncodeDate(ThisYear(), 3, 4));
  // A mask's year left blank ("0304" typed) is this year too; the separator before it is the
  // optional one after the day and month.
  FormatSettings.ShortDateFormat = L"d/M/yyyy";
  for (const wchar_t* text : {L"03/04/    ", L"3/4/", L"03/04/  "}) {
    date = 0;
    EXPECT_TRUE(TryTextToDate(text, L"DD/MM/YYYY", date)) << StringToUtf8(text);
    EXPECT_EQ(date, EncodeDate(ThisYear(), 4, 3)) << StringToUtf8(text);
  }
  EXPECT_FALSE(TryTextToDate(L"3/4//", L"DD/MM/YYYY", date)) << "one separator may close it";
}

TEST(DateUtil, StrictAndFallbackConversions) {
  FixedLocale locale;
  FormatSettings.ShortDateFormat = L"d/M/yyyy";
  try {
    TextToDateStrict(L"31/02/2026", L"DD/MM/YYYY");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), L"'31/02/2026' is not a valid date");
  }
  EXPECT_EQ(TextToDateOr(L"xx", L"DD/MM/YYYY", 42), 42);
  EXPECT_EQ(DateToText(EncodeDate(2026, 5, 1), L"DD/MM/YYYY"), L"01/05/2026");
  FormatSettings.DateSeparator = L'.';
  EXPECT_EQ(DateToText(EncodeDate(2026, 5, 1), L"YY/MM/DD"), L"26.05.01");
  EXPECT_EQ(DateToText(0, L"DD/MM/YYYY"), L"");
  EXPECT_TRUE(IsValidDateTime(EncodeDate(9999, 12, 31)));
  EXPECT_FALSE(IsValidDateTime(EncodeDate(9999, 12, 31) + 1));
  EXPECT_FALSE(IsValidDateTime(-700000));
}

TEST(DateUtil, FreeReadingSkipsWhatFollowsTheDate) {
  FixedLocale locale;
  FormatSettings.TimeAMString = L"上午";
  FormatSettings.TimePMString = L"下午";
  struct Case {
    bool farEast;
    const wchar_t* shortDate;
    const wchar_t* shortTime;
    const wchar_t* text;
    const wchar_t* expected;
  } cases[] = {
      {false, L"yyyy/M/d", L"h:nn AMPM", L"2026/3/4/", L"2026-03-04"},  // a closing separator
      {false, L"gg yyyy/M/d", L"h:nn AMPM", L"公元 2026/3/4", L"2026-03-04"},
      // A weekday name after the date is skipped on a far-east system with a "ddd" format.
      {true, L"yyyy/M/d dddd", L"h:nn AMPM", L"2026/3/4 星期三", L"2026-03-04"},
      {true, L"yyyy/M/d dddd", L"h:nn AMPM", L"2026/3/4 星期三 第十周", L"2026-03-04"},
      {true, L"yyyy/M/d dddd", L"h:nn AMPM", L"2026/3/4 星期三 下午", L"no date"},
      {true, L"yyyy/M/d dddd", L"0h:nn", L"2026/3/4 星期三", L"2026-03-04"},
      {true, L"yyyy/M/d dddd", L"0h:nn", L"2026/3/4 星期三 10", L"no date"},
      {true, L"yyyy/M/d", L"h:nn AMPM", L"2026/3/4 星期三", L"no date"},
      {false, L"yyyy/M/d dddd", L"h:nn AMPM", L"2026/3/4 星期三", L"no date"},
  };
  for (const Case& c : cases) {
    FormatSettings.ShortDateFormat = c.shortDate;
    FormatSettings.ShortTimeFormat = c.shortTime;
    FarEastSystem = c.farEast;
    EXPECT_EQ(Read(c.text, L"YYYY/MM/DD"), c.expected) << c.shortDate << " " << c.text;
  }
  // Without designators every word after the date is skipped.
  FormatSettings.TimeAMString = FormatSettings.TimePMString = String();
  FormatSettings.ShortTimeFormat = L"h:nn";
  FormatSettings.ShortDateFormat = L"yyyy/M/d dddd";
  FarEastSystem = true;
  EXPECT_EQ(Read(L"2026/3/4 Wed week 10", L"YYYY/MM/DD"), L"2026-03-04");
}
