// Dates and times as the OLE date: days since 1899-12-30, time as the fraction of a day.
#pragma once
#include "SysString.h"
#include "SysLocale.h"

using TDateTime = double;

constexpr double HoursPerDay = 24, MinsPerDay = 24 * 60, SecsPerDay = 24 * 60 * 60,
                 MSecsPerDay = SecsPerDay * 1000;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
TDateTime EncodeDate(int year, int month, int day);        // EConvertError when invalid
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
void DecodeDate(TDateTime date, int& year, int& month, int& day);
TDateTime EncodeTime(int hour, int min, int sec, int msec); // EConvertError when invalid
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec);
TDateTime Date();
TDateTime Time();
TDateTime Now();
int DayOfWeek(TDateTime date);                            // 1 = Sunday .. 7 = Saturday
TDateTime IncMonth(TDateTime date, int months);           // clamps the day to the month's end

// Specifiers: c d dd ddd dddd ddddd dddddd e ee g gg m mm mmm mmmm yy yyyy h hh n nn
// s ss z zzz t tt am/pm a/p ampm / : and "..." or '...' literals.
String FormatDateTime(const String& format, TDateTime dt);
String FormatDateTime(const String& format, TDateTime dt, const TFormatSettings& settings);
String DateToStr(TDateTime date);
String TimeToStr(TDateTime time);
String DateTimeToStr(TDateTime dt);
TDateTime StrToDate(const String& s);                     // EConvertError when not a date
TDateTime StrToTime(const String& s);
TDateTime StrToDateTime(const String& s);
bool TryStrToDate(const String& s, TDateTime& date);
bool TryStrToTime(const String& s, TDateTime& time);
bool TryStrToDateTime(const String& s, TDateTime& dt);
