// Dates as the database keeps them: ISO-8601 text 'yyyy-mm-dd hh:nn:ss', which sorts and
// compares as text in date order; and the #...# date literals of Jet SQL.
#pragma once
#include "../system/SysDate.h"
#include "../system/SysString.h"

// 'yyyy-mm-dd hh:nn:ss', the time rounded to the nearest second.
String DateTimeToIso(TDateTime dt);
// Accepts 'yyyy-mm-dd', optionally followed by ' ' or 'T' and 'hh:nn', 'hh:nn:ss' or
// 'hh:nn:ss.fff'. False for anything else, also for a date that does not exist.
bool TryIsoToDateTime(const String& text, TDateTime& dt);
// The text between the #s of a Jet date literal: an ISO date (and time), a date in the
// fixed order month/day/year, either followed by a time 'h:nn[:ss] [AM|PM]', or a time
// alone (on 1899-12-30). Independent of the machine's locale.
bool TryJetDateLiteral(const String& body, TDateTime& dt);
