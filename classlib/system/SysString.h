// Text: the UTF-16 String, conversions to and from UTF-8 and code page 936,
// and the 1-based string helpers of the class library.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

using String = std::wstring;
using AnsiString = std::string;  // bytes; used only where a format is made of bytes

// ---- Conversions -----------------------------------------------------------
String Utf8ToString(std::string_view utf8);      // invalid sequences become U+FFFD
std::string StringToUtf8(const String& s);
String Cp936ToString(std::string_view bytes);    // GBK bytes to UTF-16
std::string StringToCp936(const String& s);      // unmappable characters become '?'

// ---- 1-based helpers (positions count from 1, as the class library's do) ----
String Copy(const String& s, int index, int count);      // clamps index and count
int Pos(const String& sub, const String& s);            // 0 when not found
int PosEx(const String& sub, const String& s, int offset);
void Delete(String& s, int index, int count);           // clamps; no-op outside
void Insert(const String& source, String& s, int index);
String Trim(const String& s);                            // removes chars <= ' '
String TrimLeft(const String& s);
String TrimRight(const String& s);
String UpperCase(const String& s);                      // ASCII letters only
String LowerCase(const String& s);
String AnsiUpperCase(const String& s);                  // every letter, by the system
String AnsiLowerCase(const String& s);
int CompareStr(const String& a, const String& b);       // ordinal
int CompareText(const String& a, const String& b);      // ASCII case-insensitive
bool SameText(const String& a, const String& b);
bool SameText(const String& a, const wchar_t* b);  // the same, without making b a String
int AnsiCompareText(const String& a, const String& b);  // system, case-insensitive
int AnsiCompareStr(const String& a, const String& b);
bool SameStr(const String& a, const String& b);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags);
String QuotedStr(const String& s);                      // 'it''s'
String AnsiQuotedStr(const String& s, wchar_t quote);
String AnsiDequotedStr(const String& s, wchar_t quote);
String StringOfChar(wchar_t ch, int count);

// ---- Numbers <-> text --------------------------------------------------------
String IntToStr(int64_t value);
String IntToHex(int64_t value, int digits);
int StrToInt(const String& s);                          // EConvertError on bad input
int64_t StrToInt64(const String& s);
int StrToIntDef(const String& s, int defaultValue);
bool TryStrToInt(const String& s, int& value);
bool TryStrToInt64(const String& s, int64_t& value);
double StrToFloat(const String& s);                     // uses FormatSettings.DecimalSeparator
double StrToFloatDef(const String& s, double defaultValue);
bool TryStrToFloat(const String& s, double& value);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
String FloatToStr(double value);                        // shortest form, 15 significant digits
String FloatToStrF(double value, TFloatFormat format, int precision, int digits);
String FormatFloat(const String& format, double value);
String CurrToStr(double value);
