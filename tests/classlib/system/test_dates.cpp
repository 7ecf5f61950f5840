#include <gtest/gtest.h>

#include "classlib/system/SysDate.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/Win.h"
#include "SystemTestSupport.h"

namespace {

// Runs each test with the fixed English (United States) settings and restores the
// machine's afterwards.
class DateTest : public system_tests::DefaultSettingsTest {
 protected:
  static int CurrentYear() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wYear;
  }
};

constexpr double kMSec = 1.0 / MSecsPerDay;

template <class F>
String MessageOf(F&& f) {
  return ErrorMessageOf<EConvertError>(f, L"(no exception)");
}

}  // namespace

TEST_F(DateTest, EncodeDateGivesOleDayNumbers) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(2024, 5, 7), 45419);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  EXPECT_EQ(EncodeDate(2000, 3, 1) - EncodeDate(2000, 2, 28), 2);  // 2000 is leap
  EXPECT_EQ(EncodeDate(1900, 3, 1) - EncodeDate(1900, 2, 28), 1);  // 1900 is not
}

TEST_F(DateTest, EncodeRejectsInvalidParts) {
  TDateTime d = 123;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, d));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, d));
  EXPECT_FALSE(TryEncodeDate(2024, 4, 31, d));
  EXPECT_EQ(d, 123);
  EXPECT_EQ(MessageOf([] { EncodeDate(2024, 0, 1); }), L"Invalid argument to date encode");
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, d));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, d));
  EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, d));
  EXPECT_EQ(MessageOf([] { EncodeTime(0, 0, 60, 0); }), L"Invalid argument to time encode");
}

TEST_F(DateTest, DecodeDateRoundTripsAcrossTheCalendar) {
  for (int day = -693593; day <= 2958465; day += 97) {
    int y, m, d;
    DecodeDate(day, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), day) << day;
  }
  int y, m, d;
  DecodeDate(EncodeDate(2024, 2, 29) + 0.75, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  DecodeDate(-700000, y, m, d);  // before 0001-01-01
  EXPECT_EQ(y + m + d, 0);
}

TEST_F(DateTest, NegativeDatesKeepTheTimeAsTheFractionsMagnitude) {
  int y, m, d, h, n, s, ms;
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(DayOfWeek(-1.25), 6);  // Friday
  // Just before midnight of 1899-12-29 rounds to 1899-12-30 00:00, not to 12-28.
  DecodeDate(-1.9999999999, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991230);
  EXPECT_EQ(StrToDateTime(L"12/29/1899 6:00 AM"), -1.25);
}

TEST_F(DateTest, DecodeTimeRoundsToMillisecondsWithoutReaching24) {
  int h, n, s, ms;
  DecodeTime(0.99999999, h, n, s, ms);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 235959999);
  DecodeTime(EncodeTime(13, 45, 30, 250), h, n, s, ms);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 134530250);
  // A time that rounds up to 24:00 is midnight of the next day.
  DecodeTime(1.9999999999, h, n, s, ms);
  EXPECT_EQ(h + n + s + ms, 0);
  int y, m, d;
  DecodeDate(1.9999999999, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 19000101);
}

TEST_F(DateTest, CalendarHelpers) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 2), 28);
  EXPECT_EQ(DayOfWeek(0), 7);                       // Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 5, 7)), 3);  // Tuesday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 5, 5) + 0.9), 1);
}

TEST_F(DateTest, IncMonthClampsTheDayAndKeepsTheTime) {
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2023, 11, 30), 3), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 5, 7) + 0.25, 12), EncodeDate(2025, 5, 7) + 0.25);
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
}

TEST_F(DateTest, FormatsTheKnownExamples) {
  EXPECT_EQ(FormatDateTime(L"yyyy\"年\"mm\"月\"dd\"日\"", EncodeDate(2024, 5, 7)),
            L"2024年05月07日");
  EXPECT_EQ(FormatDateTime(L"hh:nn:ss", EncodeTime(9, 5, 3, 0)), L"09:05:03");
}

TEST_F(DateTest, FormatsDatePartsAndNames) {
  TDateTime d = EncodeDate(2024, 5, 7);
  EXPECT_EQ(FormatDateTime(L"d/m/yy", d), L"7/5/24");
  EXPECT_EQ(FormatDateTime(L"ddd dddd mmm mmmm", d), L"Tue Tuesday May May");
  EXPECT_EQ(FormatDateTime(L"ddddd", d), L"5/7/2024");
  EXPECT_EQ(FormatDateTime(L"dddddd", d), L"Tuesday, May 7, 2024");
  EXPECT_EQ(FormatDateTime(L"yyyy", EncodeDate(33, 1, 1)), L"0033");
  EXPECT_EQ(FormatDateTime(L"e gg", d), L"2024 ");
}

TEST_F(DateTest, FormatsTimePartsAndMarkers) {
  TDateTime t = EncodeTime(0, 7, 9, 45);
  TDateTime pm = EncodeTime(13, 7, 9, 5);
  EXPECT_EQ(FormatDateTime(L"h:n:s.z", t), L"0:7:9.45");
  EXPECT_EQ(FormatDateTime(L"hh:nn:ss.zzz", pm), L"13:07:09.005");
  EXPECT_EQ(FormatDateTime(L"h:mm", pm), L"13:07");   // m after h is minutes
  EXPECT_EQ(FormatDateTime(L"mm", pm), L"12");        // otherwise the month (of 1899-12-30)
  EXPECT_EQ(FormatDateTime(L"h am/pm", t), L"12 am");  // 12-hour clock, midnight is 12
  EXPECT_EQ(FormatDateTime(L"h:nn ampm", pm), L"1:07 PM");
  EXPECT_EQ(FormatDateTime(L"h:nn \"am\" h", pm), L"13:07 am 13");  // quoted: not a marker
  EXPECT_EQ(FormatDateTime(L"tt", pm), L"1:07:09 PM");
}

TEST_F(DateTest, FormatsSeparatorsLiteralsAndCombinedForms) {
  TFormatSettings fs = DefaultFormatSettings();
  fs.DateSeparator = L'-';
  fs.TimeSeparator = L'.';
  TDateTime dt = EncodeDate(2024, 5, 7) + EncodeTime(9, 5, 0, 0);
  EXPECT_EQ(FormatDateTime(L"yyyy/mm/dd hh:nn", dt, fs), L"2024-05-07 09.05");
  EXPECT_EQ(FormatDateTime(L"'d/m' \"y\"", dt), L"d/m y");
  EXPECT_EQ(FormatDateTime(L"x\"unclosed", dt), L"xunclosed");
  EXPECT_EQ(FormatDateTime(L"c", dt), L"5/7/2024 9:05:00 AM");
  EXPECT_EQ(FormatDateTime(L"c", EncodeDate(2024, 5, 7)), L"5/7/2024");  // no time part
  EXPECT_EQ(FormatDateTime(L"", dt), L"5/7/2024 9:05:00 AM");
  // A setting that names itself stops after a few levels instead of recursing.
  fs.ShortDateFormat = L"[ddddd]";
  EXPECT_EQ(FormatDateTime(L"ddddd", dt, fs), L"[[]]");
}

TEST_F(DateTest, ToStrUseTheGlobalSettings) {
  TDateTime dt = EncodeDate(2024, 12, 25) + EncodeTime(18, 30, 15, 0);
  EXPECT_EQ(DateTimeToStr(dt), L"12/25/2024 6:30:15 PM");
  FormatSettings.ShortDateFormat = L"yyyy/m/d";
  FormatSettings.LongTimeFormat = L"h:mm:ss";
  EXPECT_EQ(DateTimeToStr(dt), L"2024/12/25 18:30:15");
}

TEST_F(DateTest, StrToDateFollowsTheShortDateOrder) {
  EXPECT_EQ(StrToDate(L" 05/07/2024 "), EncodeDate(2024, 5, 7));
  FormatSettings.ShortDateFormat = L"dd.mm.yyyy";
  FormatSettings.DateSeparator = L'.';
  EXPECT_EQ(StrToDate(L"7.5.2024"), EncodeDate(2024, 5, 7));
  FormatSettings.ShortDateFormat = L"yyyy/m/d";
  FormatSettings.DateSeparator = L'/';
  EXPECT_EQ(StrToDate(L"2024/5/7"), EncodeDate(2024, 5, 7));
  EXPECT_EQ(StrToDate(L"5/7"), EncodeDate(CurrentYear(), 5, 7));  // the year is optional
}

TEST_F(DateTest, StrToDateMapsTwoDigitYearsIntoTheWindow) {
  int year = CurrentYear();
  // With a window of 50 years, the current year's two digits stay in this century and
  // the digits of 60 years ago come back as the past (50 years before now at the latest).
  EXPECT_EQ(StrToDate(L"1/1/" + std::to_wstring(year % 100)), EncodeDate(year, 1, 1));
  int past = year - 60;
  EXPECT_EQ(StrToDate(L"1/1/" + std::to_wstring(past % 100)), EncodeDate(past + 100, 1, 1));
  int recent = year - 49;
  EXPECT_EQ(StrToDate(L"1/1/" + std::to_wstring(recent % 100)), EncodeDate(recent, 1, 1));
  EXPECT_EQ(StrToDate(L"1/1/0024"), EncodeDate(24, 1, 1));  // four digits are taken as is
}

TEST_F(DateTest, StrToDateRejectsBadText) {
  TDateTime d = 5;
  for (const wchar_t* bad : {L"", L"abc", L"13/1/2024", L"2/30/2024", L"5/7/2024x", L"5-7-2024",
                             L"5/7/", L"5/7/20245", L"5/7/2024 10:00"}) {
    EXPECT_FALSE(TryStrToDate(bad, d)) << bad;
  }
  EXPECT_EQ(d, 5);
  EXPECT_EQ(MessageOf([] { StrToDate(L"13/1/2024"); }), L"'13/1/2024' is not a valid date");
}

TEST_F(DateTest, StrToTimeReadsHoursMinutesSecondsAndMarkers) {
  EXPECT_EQ(StrToTime(L"09:05:03.25"), EncodeTime(9, 5, 3, 250));
  EXPECT_EQ(StrToTime(L"9:05 PM"), EncodeTime(21, 5, 0, 0));
  EXPECT_EQ(StrToTime(L"12:00 am"), 0);
  EXPECT_EQ(StrToTime(L"PM 3"), EncodeTime(15, 0, 0, 0));
  FormatSettings.TimeAMString = L"上午";
  FormatSettings.TimePMString = L"下午";
  EXPECT_EQ(StrToTime(L"下午 2:15"), EncodeTime(14, 15, 0, 0));
  TDateTime t = 7;
  for (const wchar_t* bad :
       {L"", L"9", L"25:00", L"9:60", L"13:00 PM", L"0:30 AM", L"9:", L"9:05x"})
    EXPECT_FALSE(TryStrToTime(bad, t)) << bad;
  EXPECT_EQ(t, 7);
  EXPECT_EQ(MessageOf([] { StrToTime(L"25:00"); }), L"'25:00' is not a valid time");
}

TEST_F(DateTest, StrToDateTimeTakesADateATimeOrBoth) {
  EXPECT_EQ(StrToDateTime(L"5/7/2024 9:05:03 PM"),
            EncodeDate(2024, 5, 7) + EncodeTime(21, 5, 3, 0));
  EXPECT_EQ(StrToDateTime(L"5/7/2024"), EncodeDate(2024, 5, 7));
  EXPECT_EQ(StrToDateTime(L"18:30"), EncodeTime(18, 30, 0, 0));
  EXPECT_EQ(MessageOf([] { StrToDateTime(L"5/7/2024 nine"); }),
            L"'5/7/2024 nine' is not a valid date and time");
  // What DateTimeToStr writes, StrToDateTime reads back (to the second).
  TDateTime dt = EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 58, 0);
  EXPECT_NEAR(StrToDateTime(DateTimeToStr(dt)), dt, kMSec);
}

TEST(FormatSettingsTest, SystemPicturesBecomeTheClassLibrarysLetters) {
  EXPECT_EQ(LocalePictureToFormat(L"yyyy/M/d"), L"yyyy/m/d");
  EXPECT_EQ(LocalePictureToFormat(L"yyyy'年'M'月'd'日'"), L"yyyy年m月d日");
  EXPECT_EQ(LocalePictureToFormat(L"d' de 'MMMM' de 'yyyy"), L"d\" de \"mmmm\" de \"yyyy");
  EXPECT_EQ(LocalePictureToFormat(L"h:mm:ss tt"), L"h:mm:ss AMPM");
  EXPECT_EQ(LocalePictureToFormat(L"mm:ss"), L"nn:ss");  // minutes with no hour before
  EXPECT_EQ(LocalePictureToFormat(L"H'h'mm"), L"h\"h\"mm");
  EXPECT_EQ(LocalePictureToFormat(L"d''MM"), L"d\"'\"mm");
  EXPECT_EQ(LocalePictureToFormat(L"gg yyyy"), L" yyyy");
}

TEST(FormatSettingsTest, ConvertedPicturesFormatAsTheSystemWould) {
  TFormatSettings fs = DefaultFormatSettings();
  fs.TimeAMString = L"上午";
  fs.TimePMString = L"下午";
  fs.LongTimeFormat = LocalePictureToFormat(L"tt h:mm:ss");
  TDateTime dt = EncodeDate(2024, 5, 7) + EncodeTime(15, 4, 5, 0);
  EXPECT_EQ(FormatDateTime(L"tt", dt, fs), L"下午 3:04:05");
  EXPECT_EQ(FormatDateTime(LocalePictureToFormat(L"yyyy'年'M'月'd'日'"), dt, fs),
            L"2024年5月7日");
}

TEST(FormatSettingsTest, GetFormatSettingsReadsACompleteSet) {
  TFormatSettings saved = FormatSettings;
  GetFormatSettings();
  EXPECT_NE(FormatSettings.DecimalSeparator, 0);
  EXPECT_FALSE(FormatSettings.ShortDateFormat.empty());
  EXPECT_FALSE(FormatSettings.LongTimeFormat.empty());
  for (const String& name : FormatSettings.LongMonthNames) EXPECT_FALSE(name.empty());
  for (const String& name : FormatSettings.ShortDayNames) EXPECT_FALSE(name.empty());
  // A numeric short date format of the locale reads back what it writes.
  if (FormatSettings.ShortDateFormat.find_first_not_of(L"dmy/") == String::npos) {
    TDateTime d = EncodeDate(2024, 11, 23), back = 0;
    EXPECT_TRUE(TryStrToDate(DateToStr(d), back)) << DateToStr(d);
    EXPECT_EQ(back, d);
  }
  FormatSettings = saved;
}
