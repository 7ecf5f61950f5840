// The Jet functions the program's SQL calls, registered on a SQLite connection:
// LEFT, RIGHT, MID, LEN, UCASE, LCASE, CINT, CLNG, CSTR, NZ, FORMAT, NOW, DATE, YEAR, MONTH,
// DAY, JETCONCAT (the & operator after translation) and LIKE with Jet's wildcards.
// TRIM, LTRIM, RTRIM and IIF are SQLite's own, which behave as Jet's do (blanks only; the
// chosen operand).
#pragma once
#include "../system/SysString.h"

struct sqlite3;

// Registers every function on db; EDatabaseError when SQLite refuses one.
void RegisterJetFunctions(sqlite3* db);

// Jet's LIKE: * or % any run, ? or _ one character, # one digit, [abc] [a-z] [!abc] one
// character of (or not of) a list; without regard to case. False also for a bad pattern;
// valid is then cleared.
bool JetLike(const String& value, const String& pattern, bool& valid);

// The text CSTR and & give a number: an integer in decimal, a real in at most 15
// significant digits, with '.' as the decimal point.
String JetNumberText(double value);
