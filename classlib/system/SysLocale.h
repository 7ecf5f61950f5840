// Locale settings used by number and date formatting. Read from the system at start
// (GetFormatSettings re-reads them) and settable, so tests need not depend on the machine.
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
  String ShortDateFormat = L"M/d/yyyy";
  String LongDateFormat = L"dddd, MMMM d, yyyy";
  String ShortTimeFormat = L"h:mm AMPM";
  String LongTimeFormat = L"h:mm:ss AMPM";
  String TimeAMString = L"AM";
  String TimePMString = L"PM";
  String ShortMonthNames[12];
  String LongMonthNames[12];
  String ShortDayNames[7];            // Sunday first
  String LongDayNames[7];
  int TwoDigitYearCenturyWindow = 50;
};

extern TFormatSettings FormatSettings;

void GetFormatSettings();             // re-reads FormatSettings from the user's locale
TFormatSettings DefaultFormatSettings();  // fixed English (United States) settings for tests
