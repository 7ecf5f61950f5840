// Small text routines shared by the number, date and calculator edits. Positions count from
// 1 as the class library's do; none of them raises. They live in a namespace of their own,
// since other libraries of the program have routines of the same names.
#pragma once
#include "classlib/system/SysString.h"

namespace StrUtils {

// True when every character of s is one of chars (true for an empty s).
bool ConsistsOf(const String& s, const String& chars);
// s with every occurrence of find replaced by replacement, left to right; replaced text is
// not scanned again; an empty find leaves s unchanged.
String ReplaceAll(const String& s, const String& find, const String& replacement);
// s without any occurrence of ch.
String DeleteChars(const String& s, wchar_t ch);
// Only the space character (32) counts as a blank here: tabs and other control
// characters stay.
String TrimLeadingBlanks(const String& s);
String TrimTrailingBlanks(const String& s);
String TrimBlanks(const String& s);
// count copies of ch; empty when count < 1.
String RepeatChar(wchar_t ch, int count);

}  // namespace StrUtils
