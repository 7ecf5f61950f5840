// The string utilities and the number edit's text rules: normalizing and parsing by the
// locale's separators, the typing filter, the range rule, edit and display texts, grouping.
#include <gtest/gtest.h>

#include <cmath>

#include "ExtendedTestSupport.h"
#include "controls/extended/NumberText.h"
#include "controls/extended/StrUtils.h"

using namespace StrUtils;

using extended_tests::FixedLocale;

TEST(StrUtils, Table) {
  EXPECT_TRUE(ConsistsOf(L"", L"abc"));
  EXPECT_TRUE(ConsistsOf(L"abba", L"ab"));
  EXPECT_FALSE(ConsistsOf(L"abc", L"ab"));
  EXPECT_EQ(ReplaceAll(L"a.b.c", L".", L","), L"a,b,c");
  EXPECT_EQ(ReplaceAll(L"aa", L"a", L"aa"), L"aaaa");  // replaced text is not scanned again
  EXPECT_EQ(ReplaceAll(L"abc", L"", L"x"), L"abc");
  EXPECT_EQ(DeleteChars(L"1,234,567", L','), L"1234567");
  EXPECT_EQ(TrimBlanks(L"  \tx \t  "), L"\tx \t");      // only spaces are blanks
  EXPECT_EQ(TrimLeadingBlanks(L"  x  "), L"x  ");
  EXPECT_EQ(TrimTrailingBlanks(L"  x  "), L"  x");
  EXPECT_EQ(TrimBlanks(L"    "), L"");
  EXPECT_EQ(RepeatChar(L'#', 3), L"###");
  EXPECT_EQ(RepeatChar(L'#', 0), L"");
  EXPECT_EQ(RepeatChar(L'#', -2), L"");
}

TEST(NumberText, NormalizeByTheLocaleSeparators) {
  FixedLocale locale;
  EXPECT_EQ(NormalizeNumberText(L"  1,234.5 "), L"1234.5");
  EXPECT_EQ(NormalizeNumberText(L""), L"0");
  EXPECT_EQ(NormalizeNumberText(L"-"), L"-0");
  FormatSettings.DecimalSeparator = L',';
  FormatSettings.ThousandSeparator = L'.';
  EXPECT_EQ(NormalizeNumberText(L"1.234,5"), L"1234,5");
  double value = 0;
  ASSERT_TRUE(TryParseFloat(NormalizeNumberText(L"1.234,5"), value));
  EXPECT_DOUBLE_EQ(value, 1234.5);
  FormatSettings.ThousandSeparator = L' ';
  EXPECT_EQ(NormalizeNumberText(L"3.5"), L"3,5");  // a '.' that is no separator is the decimal one
}

TEST(NumberText, ParsingRefusesStrayCharactersAndOverflow) {
  FixedLocale locale;
  double value = 7;
  EXPECT_TRUE(TryParseFloat(L"-1.5e2", value));
  EXPECT_DOUBLE_EQ(value, -150);
  value = 7;
  EXPECT_FALSE(TryParseFloat(L"12a", value));
  EXPECT_FALSE(TryParseFloat(L"1 2", value));
  EXPECT_FALSE(TryParseFloat(L"1E400", value));  // would be infinite: never "INF"
  EXPECT_FALSE(TryParseFloat(L"INF", value));
  EXPECT_EQ(value, 7);
}

TEST(NumberText, DecimalsAreCountedUpToTheExponent) {
  FixedLocale locale;
  EXPECT_EQ(CountDecimals(L"12"), 0);
  EXPECT_EQ(CountDecimals(L"1.25"), 2);
  EXPECT_EQ(CountDecimals(L"1.25E3"), 2);
  EXPECT_EQ(CountDecimals(L"1.5e-7"), 1);
  EXPECT_EQ(CountDecimals(L"1."), 0);
}

TEST(NumberText, TypingFilter) {
  FixedLocale locale;
  struct Case {
    const wchar_t* text;
    unsigned places;
    double min, max;
    bool accepted;
  } cases[] = {
      {L"1.25", 2, 0, 0, true},   {L"1.255", 2, 0, 0, false},  // a third decimal
      {L"1.25E3", 2, 0, 0, true},                                // the exponent is no decimal
      {L"5", 0, 0, 0, true},      {L"5.", 0, 0, 0, true},     {L"5.1", 0, 0, 0, false},
      {L"-", 2, 0.1, 30, true},                                  // "-0" is not negative
      {L"-3", 2, 0.1, 30, false}, {L"-3", 2, -5, 30, true},   {L"-3", 2, 5, 0, true},
      {L"1x", 2, 0, 0, false},    {L"", 2, 0, 0, true},       {L"1E999", 2, 0, 0, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsAcceptableNumberText(c.text, c.places, c.min, c.max), c.accepted) << c.text;
}

TEST(NumberText, RangeRule) {
  struct Case {
    double x, min, max, expected;
  } cases[] = {
      {45, 0.1, 30, 30},   {0, 0.1, 30, 0.1},  {12, 0.1, 30, 12},
      {-9, 0, 0, -9},      {1e9, 0, 0, 1e9},                     // min = max: no clamping
      {3, 5, 0, 5},        {1000, 5, 0, 1000},                   // lower bound only
      {2, 0, -5, -5},      {-9, 0, -5, -9},                      // upper bound only
      {1, 5, 2, 1},        {9, 5, 2, 9},                         // nothing clamped
  };
  for (const Case& c : cases)
    EXPECT_EQ(ClampToRange(c.x, c.min, c.max), c.expected) << c.x << " " << c.min << " " << c.max;
  FixedLocale locale;
  EXPECT_EQ(RangeErrorText(2, 0.1, 30), L"Value must be between 0.10 and 30.00");
  EXPECT_EQ(RangeErrorText(0, 1, 5), L"Value must be between 1 and 5");
}

TEST(NumberText, EditAndDisplayTexts) {
  FixedLocale locale;
  EXPECT_EQ(NumberEditFormat(0), L"0");
  EXPECT_EQ(NumberEditFormat(2), L"0.##");
  EXPECT_EQ(NumberEditText(1234.5, 2, true), L"1234.5");
  EXPECT_EQ(NumberEditText(0, 2, true), L"");
  EXPECT_EQ(NumberEditText(0, 2, false), L"0");
  EXPECT_EQ(NumberEditText(0.1, 2, true), L"0.1");
  EXPECT_EQ(NumberEditText(2.555, 0, true), L"3");
  EXPECT_EQ(FormatNumberValue(1234.5, L",0.##"), L"1,234.5");
  EXPECT_EQ(FormatNumberValue(1234567, L",0.##"), L"1,234,567");
  EXPECT_EQ(FormatNumberValue(-0.5, L",0.##"), L"-0.5");
  EXPECT_EQ(FormatNumberValue(0, L"0.0"), L"0.0");
  EXPECT_EQ(FormatNumberValue(0.1, L"0.0"), L"0.1");
  EXPECT_EQ(FormatNumberValue(30, L"0.0"), L"30.0");
  EXPECT_EQ(FormatNumberValue(2.5, L""), L"2.5");
  // 0.1 survives the edit text and back.
  double back = 0;
  ASSERT_TRUE(TryParseFloat(NormalizeNumberText(NumberEditText(0.1, 2, true)), back));
  EXPECT_EQ(back, 0.1);
  FormatSettings.DecimalSeparator = L',';
  FormatSettings.ThousandSeparator = L'.';
  EXPECT_EQ(NumberEditText(1234.5, 2, true), L"1234,5");
  EXPECT_EQ(FormatNumberValue(1234.5, L",0.##"), L"1.234,5");
}

TEST(NumberText, CurrencyFormatPlacesTheCurrencyText) {
  FixedLocale locale;
  EXPECT_EQ(CurrencyDisplayFormat(), L"$,0.00;-$,0.00");
  FormatSettings.CurrencyString = L"kr.";
  FormatSettings.CurrencyFormat = 3;
  EXPECT_EQ(CurrencyDisplayFormat(), L",0.00 kr'.';-,0.00 kr'.'");
  EXPECT_EQ(FormatNumberValue(1234.5, CurrencyDisplayFormat()), L"1,234.50 kr.");
}

TEST(NumberText, GroupThousands) {
  FixedLocale locale;
  EXPECT_EQ(GroupThousands(L"1234567.891", true), L"1,234,567.891");
  EXPECT_EQ(GroupThousands(L"-123456", true), L"-123,456");
  EXPECT_EQ(GroupThousands(L"123", true), L"123");
  EXPECT_EQ(GroupThousands(L"12345E10", true), L"12,345E10");
  EXPECT_EQ(GroupThousands(L"1234567", false), L"1234567");
  EXPECT_EQ(GroupThousands(L"", true), L"");
}
