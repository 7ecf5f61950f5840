#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysFormat.h"
#include "classlib/system/SysLocale.h"
#include "classlib/system/SysString.h"
#include "SystemTestSupport.h"

using system_tests::ConvertErrorOf;

namespace {

// Number formatting depends on FormatSettings: fix them for every test.
class FormatTest : public system_tests::DefaultSettingsTest {
 protected:
  void SetUp() override {
    DefaultSettingsTest::SetUp();
    FormatSettings.DecimalSeparator = L'.';
    FormatSettings.ThousandSeparator = L',';
    FormatSettings.CurrencyString = L"$";
    FormatSettings.CurrencyFormat = 0;
    FormatSettings.NegCurrFormat = 0;
    FormatSettings.CurrencyDecimals = 2;
  }
};

}  // namespace

// ---- FloatToStr ---------------------------------------------------------------------

TEST_F(FormatTest, FloatToStrGivesTheShortestForm) {
  EXPECT_EQ(FloatToStr(0), L"0");
  EXPECT_EQ(FloatToStr(-0.0), L"0");
  EXPECT_EQ(FloatToStr(-2.5), L"-2.5");
  EXPECT_EQ(FloatToStr(123.456), L"123.456");
  EXPECT_EQ(FloatToStr(1.0 / 3), L"0.333333333333333");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), L"0.3");  // 15 digits hide the binary error
}

TEST_F(FormatTest, FloatToStrSwitchesToExponentAtTheLimits) {
  EXPECT_EQ(FloatToStr(1e14), L"100000000000000");
  EXPECT_EQ(FloatToStr(123456789012345.0), L"123456789012345");
  EXPECT_EQ(FloatToStr(1e15), L"1E15");
  EXPECT_EQ(FloatToStr(-1.25e100), L"-1.25E100");
  EXPECT_EQ(FloatToStr(0.0001), L"0.0001");
  EXPECT_EQ(FloatToStr(0.00001), L"1E-5");
  EXPECT_EQ(FloatToStr(5e-324), L"4.94065645841247E-324");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::max()), L"1.79769313486232E308");
}

TEST_F(FormatTest, FloatToStrSpecialValuesAndSeparator) {
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), L"INF");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), L"-INF");
  EXPECT_EQ(FloatToStr(std::nan("")), L"NAN");
  FormatSettings.DecimalSeparator = L',';
  EXPECT_EQ(FloatToStr(1.5e-7), L"1,5E-7");
}

// ---- FloatToStrF ----------------------------------------------------------------------

TEST_F(FormatTest, FloatToStrFRoundsHalfAwayFromZeroOnTheDecimalDigits) {
  EXPECT_EQ(FloatToStrF(0.125, ffFixed, 15, 2), L"0.13");     // exactly a half
  EXPECT_EQ(FloatToStrF(2.675, ffFixed, 15, 2), L"2.67");     // stored just below the half
  EXPECT_EQ(FloatToStrF(2.5, ffFixed, 15, 0), L"3");
  EXPECT_EQ(FloatToStrF(9.995, ffFixed, 15, 2), L"9.99");
  EXPECT_EQ(FloatToStrF(9.9951, ffFixed, 15, 2), L"10.00");
  EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), L"0.00");   // no minus on a zero
}

TEST_F(FormatTest, FloatToStrFFormats) {
  EXPECT_EQ(FloatToStrF(1.23456, ffFixed, 3, 4), L"1.2300");  // precision cuts first
  EXPECT_EQ(FloatToStrF(1234567.891, ffNumber, 15, 2), L"1,234,567.89");
  EXPECT_EQ(FloatToStrF(-999.5, ffNumber, 15, 0), L"-1,000");
  EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), L"1.235E+03");
  EXPECT_EQ(FloatToStrF(-0.00012, ffExponent, 3, 0), L"-1.20E-4");
  EXPECT_EQ(FloatToStrF(0, ffExponent, 3, 1), L"0.00E+0");
  EXPECT_EQ(FloatToStrF(123456.0, ffGeneral, 4, 2), L"1.235E05");
  EXPECT_EQ(FloatToStrF(1e20, ffFixed, 15, 2), L"1E20");
}

TEST_F(FormatTest, FloatToStrFCurrencyPlacesSymbolAndSign) {
  EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2), L"$1,234.50");
  EXPECT_EQ(FloatToStrF(-5, ffCurrency, 15, 2), L"($5.00)");
  FormatSettings.CurrencyString = L"¥";
  FormatSettings.NegCurrFormat = 1;
  EXPECT_EQ(FloatToStrF(-5, ffCurrency, 15, 2), L"-¥5.00");
  FormatSettings.CurrencyString = L"元";
  FormatSettings.CurrencyFormat = 3;
  FormatSettings.NegCurrFormat = 8;
  EXPECT_EQ(FloatToStrF(5, ffCurrency, 15, 1), L"5.0 元");
  EXPECT_EQ(FloatToStrF(-5, ffCurrency, 15, 1), L"-5.0 元");
  FormatSettings.NegCurrFormat = 15;
  EXPECT_EQ(FloatToStrF(-5, ffCurrency, 15, 0), L"(5 元)");
}

TEST_F(FormatTest, CurrToStrKeepsFourDecimals) {
  EXPECT_EQ(CurrToStr(-1234.5678), L"-1234.5678");
  EXPECT_EQ(CurrToStr(0.12344), L"0.1234");
  EXPECT_EQ(CurrToStr(100000000000000.0), L"100000000000000");
}

// ---- FormatFloat ----------------------------------------------------------------------

TEST_F(FormatTest, FormatFloatPlaceholders) {
  EXPECT_EQ(FormatFloat(L"0.00", 3.14159), L"3.14");
  EXPECT_EQ(FormatFloat(L"#.##", 0.5), L".5");
  EXPECT_EQ(FormatFloat(L"0.0#", 1.256), L"1.26");
  EXPECT_EQ(FormatFloat(L"#", 1234.5), L"1235");
  EXPECT_EQ(FormatFloat(L"0", 2.5), L"3");  // half away from zero, not to even
  EXPECT_EQ(FormatFloat(L"#,##0.00", 1234567.891), L"1,234,567.89");
  EXPECT_EQ(FormatFloat(L"#,##0", 0), L"0");
  EXPECT_EQ(FormatFloat(L"0.00", 1e20), L"1E20");
  EXPECT_EQ(FormatFloat(L"", 0.25), L"0.25");
}

TEST_F(FormatTest, FormatFloatLiteralsAndSign) {
  EXPECT_EQ(FormatFloat(L"\"$\"#,##0.00", -1234.5), L"-$1,234.50");
  EXPECT_EQ(FormatFloat(L"0.0 'km;h'", 12.34), L"12.3 km;h");
  EXPECT_EQ(FormatFloat(L"0 %", 42), L"42 %");
  FormatSettings.DecimalSeparator = L',';
  FormatSettings.ThousandSeparator = L'.';
  EXPECT_EQ(FormatFloat(L"#,##0.00", 1234.5), L"1.234,50");
}

TEST_F(FormatTest, FormatFloatSections) {
  const String format = L"0.00;(0.00);'zero'";
  EXPECT_EQ(FormatFloat(format, 1.5), L"1.50");
  EXPECT_EQ(FormatFloat(format, -1.5), L"(1.50)");
  EXPECT_EQ(FormatFloat(format, 0), L"zero");
  EXPECT_EQ(FormatFloat(format, 0.001), L"zero");  // rounds to zero
  EXPECT_EQ(FormatFloat(L"0.00;", -2), L"-2.00");  // empty negative section
  EXPECT_EQ(FormatFloat(L"0.00", -0.001), L"0.00");
}

TEST_F(FormatTest, FormatFloatScientific) {
  EXPECT_EQ(FormatFloat(L"0.00E+00", 1234.5), L"1.23E+03");
  EXPECT_EQ(FormatFloat(L"0.0e-0", 0.00012), L"1.2e-4");
  EXPECT_EQ(FormatFloat(L"00.0E+0", 1234.5), L"12.3E+2");
  EXPECT_EQ(FormatFloat(L"0.00E+00", 0), L"0.00E+00");
  EXPECT_EQ(FormatFloat(L"0.###E+0", 1.5), L"1.5E+0");
}

// ---- Format ---------------------------------------------------------------------------

TEST_F(FormatTest, FormatIntegers) {
  EXPECT_EQ(Format(L"%-5d|", {42}), L"42   |");
  EXPECT_EQ(Format(L"%.3d", {-7}), L"-007");
  EXPECT_EQ(Format(L"%d", {INT64_MIN}), L"-9223372036854775808");
  EXPECT_EQ(Format(L"%u", {-1}), L"4294967295");
  EXPECT_EQ(Format(L"%x", {-1}), L"FFFFFFFF");
  EXPECT_EQ(Format(L"%.4x", {255}), L"00FF");
  EXPECT_EQ(Format(L"%p", {reinterpret_cast<const void*>(0x1234)}), L"00001234");
}

TEST_F(FormatTest, FormatFloats) {
  EXPECT_EQ(Format(L"%2.2f", {200.0 / 3}), L"66.67");
  EXPECT_EQ(Format(L"%f", {1.005}), L"1.00");
  EXPECT_EQ(Format(L"%n", {1234567.891}), L"1,234,567.89");
  EXPECT_EQ(Format(L"%e", {1234.5}), L"1.23450000000000E+003");
  EXPECT_EQ(Format(L"%.3e", {-0.000123}), L"-1.23E-004");
  EXPECT_EQ(Format(L"%g", {1.0 / 3}), L"0.333333333333333");
  EXPECT_EQ(Format(L"%m", {1234.5}), L"$1,234.50");
  EXPECT_EQ(Format(L"%.0m", {-3.0}), L"($3)");
  FormatSettings.DecimalSeparator = L',';
  FormatSettings.ThousandSeparator = L' ';
  EXPECT_EQ(Format(L"%.1n", {12345.67}), L"12 345,7");
}

TEST_F(FormatTest, FormatTextIndexesAndStars) {
  EXPECT_EQ(Format(L"%s=%s", {L"name", String(L"题库")}), L"name=题库");
  EXPECT_EQ(Format(L"[%6s][%-6s]", {L"ab", L"cd"}), L"[    ab][cd    ]");
  EXPECT_EQ(Format(L"%.0s", {L"abc"}), L"");  // a precision of none is one, not "no limit"
  EXPECT_EQ(Format(L"%1:s %0:s %s", {L"a", L"b", L"c"}), L"b a b");
  EXPECT_EQ(Format(L"%*d|%-*.*f|", {4, 7, 6, 1, 2.25}), L"   7|2.3   |");
  EXPECT_EQ(Format(L"100%% %D", {5}), L"100% 5");
}

TEST_F(FormatTest, FormatRejectsMismatchedArguments) {
  const String invalid = L"Format '%d' invalid or incompatible with argument";
  EXPECT_EQ(ConvertErrorOf([] { Format(L"%d", {1.5}); }), invalid);
  EXPECT_EQ(ConvertErrorOf([] { Format(L"%f", {1}); }),
            L"Format '%f' invalid or incompatible with argument");
  EXPECT_EQ(ConvertErrorOf([] { Format(L"%s", {1}); }),
            L"Format '%s' invalid or incompatible with argument");
  EXPECT_EQ(ConvertErrorOf([] { Format(L"%d", {true}); }), invalid);
  EXPECT_EQ(ConvertErrorOf([] { Format(L"%k", {1}); }),
            L"Format '%k' invalid or incompatible with argument");
  EXPECT_EQ(ConvertErrorOf([] { Format(L"abc %", {1}); }),
            L"Format 'abc %' invalid or incompatible with argument");
  EXPECT_EQ(ConvertErrorOf([] { Format(L"%d %d", {1}); }), L"No argument for format '%d %d'");
  EXPECT_EQ(ConvertErrorOf([] { Format(L"%3:d", {1}); }), L"No argument for format '%3:d'");
  EXPECT_EQ(ConvertErrorOf([] { Format(L"%999999999d", {1}); }),
            L"Format '%999999999d' invalid or incompatible with argument");
  // The format is quoted up to 31 characters.
  EXPECT_EQ(ConvertErrorOf([] { Format(L"0123456789012345678901234567890123 %d", {}); }),
            L"No argument for format '0123456789012345678901234567890'");
}
