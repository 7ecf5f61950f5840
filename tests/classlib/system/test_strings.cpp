#include <gtest/gtest.h>

#include <cmath>

#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysLocale.h"
#include "classlib/system/SysString.h"
#include "SystemTestSupport.h"

using system_tests::ConvertErrorOf;

namespace {

// Parsing of decimals depends on FormatSettings: fix them for every test.
class StringsTest : public system_tests::DefaultSettingsTest {};

}  // namespace

// ---- Conversions ---------------------------------------------------------------

TEST_F(StringsTest, Cp936RoundTripsChineseThroughGbkBytes) {
  const String text = L"资产评估师";
  std::string bytes = StringToCp936(text);
  EXPECT_EQ(bytes, "\xD7\xCA\xB2\xFA\xC6\xC0\xB9\xC0\xCA\xA6");
  EXPECT_EQ(Cp936ToString(bytes), text);
  EXPECT_EQ(Cp936ToString(std::string("A\0B", 3)), String(L"A\0B", 3));  // length, not NUL, ends
}

TEST_F(StringsTest, Cp936ReplacesWhatGbkCannotHold) {
  EXPECT_EQ(StringToCp936(L"a\x0E01" L"b"), "a?b");  // a Thai letter
  EXPECT_EQ(Cp936ToString(""), L"");
}

TEST_F(StringsTest, Utf8RoundTripsAndMarksBadSequences) {
  const String text = L"题库 Ünïcödé \U0001F600";
  EXPECT_EQ(Utf8ToString(StringToUtf8(text)), text);
  EXPECT_EQ(StringToUtf8(L"题"), "\xE9\xA2\x98");
  EXPECT_EQ(Utf8ToString("a\xFF" "b"), L"a\xFFFD" L"b");
}

// ---- 1-based helpers -------------------------------------------------------------

TEST_F(StringsTest, CopyClampsIndexAndCount) {
  EXPECT_EQ(Copy(L"abcdef", 2, 3), L"bcd");
  EXPECT_EQ(Copy(L"abcdef", -5, 2), L"ab");
  EXPECT_EQ(Copy(L"abcdef", 4, 100), L"def");
  EXPECT_EQ(Copy(L"abcdef", 2, -1), L"");
}

TEST_F(StringsTest, DeleteAndInsertClamp) {
  String s = L"abcdef";
  Delete(s, 2, 2);
  EXPECT_EQ(s, L"adef");
  Delete(s, 3, 100);
  EXPECT_EQ(s, L"ad");
  Delete(s, 0, 1);   // outside: nothing happens
  Delete(s, 3, 1);
  Delete(s, 1, 0);
  EXPECT_EQ(s, L"ad");

  Insert(L"XY", s, 2);
  EXPECT_EQ(s, L"aXYd");
  Insert(L"<", s, -3);
  Insert(L">", s, 99);
  EXPECT_EQ(s, L"<aXYd>");
}

TEST_F(StringsTest, PosFindsOneBasedOrZero) {
  EXPECT_EQ(Pos(L"c", L"abcabc"), 3);
  EXPECT_EQ(Pos(L"x", L"abc"), 0);
  EXPECT_EQ(Pos(L"", L"abc"), 0);
  EXPECT_EQ(PosEx(L"c", L"abcabc", 4), 6);
  EXPECT_EQ(PosEx(L"a", L"abc", 0), 0);
}

TEST_F(StringsTest, TrimRemovesControlCharactersAndBlanks) {
  EXPECT_EQ(Trim(L" \t\r\n ab c \x01"), L"ab c");
  EXPECT_EQ(Trim(L"   "), L"");
  EXPECT_EQ(Trim(L"\x3000全角"), L"\x3000全角");  // an ideographic space is not <= ' '
}

TEST_F(StringsTest, CaseConversionAsciiOnlyOrBySystem) {
  EXPECT_EQ(UpperCase(L"abz-é"), L"ABZ-é");
  EXPECT_EQ(LowerCase(L"ABZ-É"), L"abz-É");
  EXPECT_EQ(AnsiUpperCase(L"abz-é"), L"ABZ-É");
  EXPECT_EQ(AnsiLowerCase(L"ABZ-É"), L"abz-é");
}

TEST_F(StringsTest, CompareTextIgnoresAsciiCaseAndSorts) {
  EXPECT_EQ(CompareText(L"Apple", L"aPPLE"), 0);
  EXPECT_LT(CompareText(L"apple", L"Banana"), 0);
  EXPECT_LT(CompareText(L"ab", L"abc"), 0);
  EXPECT_NE(CompareText(L"é", L"É"), 0);
  EXPECT_LT(CompareStr(L"B", L"a"), 0);  // ordinal: upper case first
  EXPECT_GT(CompareStr(L"abc", L"ab"), 0);

}

TEST_F(StringsTest, StringReplaceHonoursFlags) {
  EXPECT_EQ(StringReplace(L"a-b-c", L"-", L"+", 0), L"a+b-c");
  EXPECT_EQ(StringReplace(L"Ab ab AB", L"ab", L"x", rfReplaceAll), L"Ab x AB");
  EXPECT_EQ(StringReplace(L"Ab ab AB", L"ab", L"x", rfReplaceAll | rfIgnoreCase), L"x x x");
  EXPECT_EQ(StringReplace(L"aaa", L"a", L"aa", rfReplaceAll), L"aaaaaa");  // no re-scan
  EXPECT_EQ(StringReplace(L"abc", L"", L"x", rfReplaceAll), L"abc");
}

TEST_F(StringsTest, QuotingDoublesAndUndoublesQuotes) {
  EXPECT_EQ(QuotedStr(L"it's"), L"'it''s'");
  EXPECT_EQ(AnsiQuotedStr(L"say \"hi\"", L'"'), L"\"say \"\"hi\"\"\"");
  EXPECT_EQ(AnsiDequotedStr(L"'it''s'", L'\''), L"it's");
  EXPECT_EQ(AnsiDequotedStr(L"'abc'def", L'\''), L"abc");
  EXPECT_EQ(AnsiDequotedStr(L"plain", L'\''), L"plain");
  EXPECT_EQ(AnsiDequotedStr(L"'open", L'\''), L"'open");
  EXPECT_EQ(StringOfChar(L'*', 3), L"***");
  EXPECT_EQ(StringOfChar(L'*', -1), L"");
}

// ---- Integers --------------------------------------------------------------------

TEST_F(StringsTest, IntToStrAndIntToHex) {
  EXPECT_EQ(IntToStr(INT64_MIN), L"-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), L"00FF");
  EXPECT_EQ(IntToHex(0xABCDEF, 2), L"ABCDEF");
  EXPECT_EQ(IntToHex(-2, 10), L"00FFFFFFFE");
  EXPECT_EQ(IntToHex(-0x100000000LL, 1), L"FFFFFFFF00000000");
}

TEST_F(StringsTest, StrToIntAcceptsWhatValAccepts) {
  EXPECT_EQ(StrToInt(L"  -45"), -45);
  EXPECT_EQ(StrToInt(L"$FF"), 255);
  EXPECT_EQ(StrToInt(L"0x1f"), 31);
  EXPECT_EQ(StrToInt(L"-$10"), -16);
  EXPECT_EQ(StrToInt(L"$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt(L"-2147483648"), INT32_MIN);
  EXPECT_EQ(StrToInt64(L"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(StrToInt64(L"$FFFFFFFFFFFFFFFF"), -1);
}

TEST_F(StringsTest, StrToIntRejectsBadText) {
  EXPECT_EQ(ConvertErrorOf([] { StrToInt(L"abc"); }), L"'abc' is not a valid integer value");
  for (const wchar_t* bad : {L"", L" ", L"-", L"$", L"0x", L"12 ", L"1 2", L"12a", L"1.0", L"--1",
                             L"2147483648", L"-2147483649", L"$100000000", L"\t1"}) {
    int value = 99;
    EXPECT_FALSE(TryStrToInt(bad, value)) << StringToUtf8(bad);
    EXPECT_EQ(value, 99);
    EXPECT_EQ(StrToIntDef(bad, -7), -7);
  }
  EXPECT_EQ(ConvertErrorOf([] { StrToInt64(L"9223372036854775808"); }),
            L"'9223372036854775808' is not a valid integer value");
}

// ---- Floating point ------------------------------------------------------------

TEST_F(StringsTest, StrToFloatReadsDecimalsAndExponents) {
  EXPECT_EQ(StrToFloat(L"  -2.5e3  "), -2500.0);
  EXPECT_EQ(StrToFloat(L"+.5"), 0.5);
  EXPECT_EQ(StrToFloat(L"3."), 3.0);
  EXPECT_EQ(StrToFloat(L"0.1"), 0.1);  // correctly rounded
  EXPECT_EQ(StrToFloat(L"1e-400"), 0.0);
  EXPECT_EQ(StrToFloatDef(L"x", 4.5), 4.5);
}

TEST_F(StringsTest, StrToFloatFollowsTheDecimalSeparator) {
  FormatSettings.DecimalSeparator = L',';
  EXPECT_EQ(StrToFloat(L"1,25"), 1.25);
  double value = 0;
  EXPECT_FALSE(TryStrToFloat(L"1.25", value));
}

TEST_F(StringsTest, StrToFloatRejectsBadText) {
  EXPECT_EQ(ConvertErrorOf([] { StrToFloat(L"1.2.3"); }), L"'1.2.3' is not a valid floating point value");
  for (const wchar_t* bad : {L"", L".", L"e5", L"1e", L"1e+", L"1,5", L"1 5", L"abc", L"1e400", L"--1"}) {
    double value = 9;
    EXPECT_FALSE(TryStrToFloat(bad, value)) << StringToUtf8(bad);
    EXPECT_EQ(value, 9);
  }
}
