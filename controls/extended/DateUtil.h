// Date texts of the date edit: the date order of the system's short date format, the edit's
// date format and mask, two-digit years, and reading a typed date, first by the positions of
// the format (a masked text) and then freely (numbers between date separators).
// The system's settings come from FormatSettings, so tests can set them.
#pragma once
#include "classlib/system/SysDate.h"

enum TDateOrder { doMDY, doDMY, doYMD };

// The order of the first of the letters D, E, M, Y in format (either case): D day first,
// M month first, E or Y year first; day first when none is there.
TDateOrder DateOrderOf(const String& format);

// True when the system's short date format shows four-digit years; read once at start-up
// (ReadDateSettings reads it again): the date edits keep the year's width the program
// started with, while their date order follows later changes of the settings.
extern bool UseFourDigitYear;
// True on a system with double-byte (far-east) text: a typed date may be followed by the
// weekday name of a long short-date format ("ddd"), which reading skips. Read with
// UseFourDigitYear.
extern bool FarEastSystem;
void ReadDateSettings();

// "DD/MM/YYYY", "MM/DD/YY", "YYYY/MM/DD"... by the system's date order; '/' stands for the
// date separator.
String DefaultDateFormat(bool fourDigitYear);
// "!99/99/9999;1;_", "!9999/99/99;1;_" or "!99/99/99;1;_" with blanksChar for '_'.
String DefaultDateMask(wchar_t blanksChar, bool fourDigitYear);

// A year below 100 moved into the hundred years from currentYear - 60 to currentYear + 39;
// others (and negative ones, which mean no year) unchanged.
int ExpandTwoDigitYear(int year, int currentYear);
int ExpandTwoDigitYear(int year);  // by today's year

bool IsValidDate(int year, int month, int day);
bool IsValidDateTime(TDateTime value);

// Reads text written in format (the date edit's format): an empty text is the null date
// (0); a text whose day, month or year field is blank is no date. False when it is not a
// valid date between the years 1 and 9999.
bool TryTextToDate(const String& text, const String& format, TDateTime& date);
// Raises EConvertError "'<text>' is not a valid date" when the text is not a date.
TDateTime TextToDateStrict(const String& text, const String& format);
TDateTime TextToDateOr(const String& text, const String& format, TDateTime fallback);
// The text of a date in format; empty for the null date.
String DateToText(TDateTime date, const String& format);
