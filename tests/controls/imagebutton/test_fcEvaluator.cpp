// The point-expression evaluator: precedence, left-to-right order worked on tokens, leading
// zeros, and the exact texts of its errors; and the custom points built from it.
#include <gtest/gtest.h>

#include "classlib/classes/StringList.h"
#include "classlib/system/SysExceptions.h"
#include "controls/imagebutton/fcEvaluator.h"
#include "controls/imagebutton/fcShapeBtn.h"
#include "tests/ErrorMessages.h"

namespace {

struct Expression {
  const wchar_t* Text;
  int Value;
};

TEST(FcEvaluator, ComputesATableOfExpressions) {
  const Expression table[] = {
      {L"2 + 3 * 4", 14},     {L"7 / 2", 3},          {L"10 - 2 - 3", 5},
      {L"1 - 1 - 1 - 1", -2}, {L"1 + 007", 8},        {L"74", 74},
      {L"2*3+4*5", 26},       {L"  12   /  4 ", 3},   {L"100 - 7 * 2 / 3", 96},
      {L"5 - 10", -5},        {L"0 / 5", 0},          {L"2147483647", 2147483647},
      {L"9 / 4 * 4", 8},      {L"1 - 2 + 3", 2},
  };
  for (const Expression& e : table)
    EXPECT_EQ(TfcEvaluator::Evaluate(e.Text), e.Value) << StringToUtf8(e.Text);
}

TEST(FcEvaluator, RaisesItsOwnTextsAndTheConversionError) {
  const String none = L"(none)";
  EXPECT_EQ(ErrorMessageOf<EInvalidOperation>([] { TfcEvaluator::Evaluate(L"2 x 3"); }, none),
            L"Only alpha characters \"+\", \"-\", \"x\", and \"/\" are allowed.");
  EXPECT_EQ(ErrorMessageOf<EInvalidOperation>([] { TfcEvaluator::Evaluate(L"4 / 0"); }, none),
            L"Divide By Zero Error");
  EXPECT_EQ(ErrorMessageOf<EInvalidOperation>([] { TfcEvaluator::Evaluate(L"(1)"); }, none),
            L"Only alpha characters \"+\", \"-\", \"x\", and \"/\" are allowed.");
  // No unary minus, no operand, two numbers, a comma inside a number, an empty text, and
  // results past 32 bits: the class library's conversion error, never a loop.
  for (const wchar_t* bad : {L"-1", L"3 +", L"1 2", L"1,2 + 1", L"", L"* 2",
                             L"2147483647 + 1", L"65536 * 65536", L"99999999999"}) {
    EXPECT_NE(ErrorMessageOf<EConvertError>([&] { TfcEvaluator::Evaluate(bad); }, none), none)
        << StringToUtf8(bad);
  }
}

TEST(FcCustomPoints, ReadWidthAndHeightAndRefuseALineWithoutAComma) {
  TStringList lines;
  lines.SetText(L"WIDTH, HEIGHT\r\nwidth / 2,0\r\n0,  height - 4\r\n");
  const std::vector<TPoint> points = ParseCustomPoints(lines, TPoint(74, 24));
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0], TPoint(74, 24));
  EXPECT_EQ(points[1], TPoint(37, 0));
  EXPECT_EQ(points[2], TPoint(0, 20));
  lines.SetText(L"0, 0\r\n10 20\r\n5, 5\r\n");
  EXPECT_EQ(ErrorMessageOf<EInvalidOperation>([&] { ParseCustomPoints(lines, TPoint(9, 9)); },
                                              L"(none)"),
            L"Invalid Custom Points Format.  X and Y Coordinates must be separated by a comma "
            L"and space.");
  lines.SetText(L"0, 0\r\n10, 20\r\n");
  EXPECT_TRUE(ParseCustomPoints(lines, TPoint(9, 9)).empty());  // two lines: no polygon
}

}  // namespace
