// Locale settings used by number and date formatting. Read from the system at start
// (GetFormatSettings re-reads them) and settable, so tests need not depend on the machine.
// The member defaults are the fixed English (United States) settings; date and time
// formats use the class library's letters (m month, n minute, AMPM the locale's marker).
#pragma once
#include "SysString.h"

struct TFormatSettings {
  wchar_t DecimalSeparator = L'.';
  wchar_t ThousandSeparator = L',';
  String CurrencyString = L"$";
  unsigned char CurrencyFormat = 0;   // 0 $1, 1 1$, 2 $ 1, 3 1 $
  unsigned char NegCurrFormat = 0;    // 0..15 as the system's LOCALE_INEGCURR
  unsigned char CurrencyDecimals = 2;
  wchar_t DateSeparator = L'/';
  wchar_t TimeSeparator = L':';
  String ShortDateFormat = L"m/d/yyyy";
  String LongDateFormat = L"dddd, mmmm d, yyyy";
  String ShortTimeFormat = L"h:nn AMPM";
  String LongTimeFormat = L"h:nn:ss AMPM";
  String TimeAMString = L"AM";
  String TimePMString = L"PM";
  String ShortMonthNames[12] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
  String LongMonthNames[12] = {L"January", L"February", L"March",     L"April",
                               L"May",     L"June",     L"July",      L"August",
                               L"September", L"October", L"November", L"December"};
  String ShortDayNames[7] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
  String LongDayNames[7] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                            L"Thursday", L"Friday", L"Saturday"};  // Sunday first
  int TwoDigitYearCenturyWindow = 50;
};

extern TFormatSettings FormatSettings;

void GetFormatSettings();             // re-reads FormatSettings from the user's locale
TFormatSettings DefaultFormatSettings();  // fixed English (United States) settings for tests

// Converts a date or time picture of the system ("yyyy/M/d", "H:mm:ss", "h:mm tt") into
// the class library's letters ("yyyy/m/d", "h:mm:ss", "h:mm AMPM"); GetFormatSettings
// uses it for the four date and time formats.
String LocalePictureToFormat(const String& picture);
