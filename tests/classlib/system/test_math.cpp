#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysMath.h"

TEST(Math, RoundTakesHalvesToEven) {
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(-0.5), 0);
  EXPECT_EQ(Round(2.5000000001), 3);
  EXPECT_EQ(Round(0.49999999999999994), 0);  // the largest double below one half
  EXPECT_EQ(Round(4503599627370497.0), 4503599627370497LL);  // 2^52 + 1, already whole
  EXPECT_EQ(Round(-9223372036854775808.0), INT64_MIN);
}

// The rounding does not follow a rounding mode some other code left set.
TEST(Math, RoundTakesHalvesToEvenInEveryRoundingMode) {
  const int saved = std::fegetround();
  for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO, FE_TONEAREST}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    EXPECT_EQ(Round(2.5), 2) << mode;
    EXPECT_EQ(Round(-3.5), -4) << mode;
    EXPECT_EQ(Round(2.2), 2) << mode;
    EXPECT_EQ(Round(-2.7), -3) << mode;
    EXPECT_EQ(Round(4611686018427387904.0), 4611686018427387904LL) << mode;  // 2^62
  }
  std::fesetround(saved);
}

TEST(Math, RoundAndTruncRejectWhatNoInt64Holds) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_THROW(Round(nan), EInvalidOp);
  EXPECT_THROW(Round(9223372036854775808.0), EInvalidOp);
  EXPECT_THROW(Round(-1e19), EInvalidOp);
  EXPECT_THROW(Trunc(nan), EInvalidOp);
  EXPECT_THROW(Trunc(1e19), EInvalidOp);
  EXPECT_THROW(Ceil(3e9), EInvalidOp);
  EXPECT_THROW(Floor(-inf), EInvalidOp);
  try {
    Round(nan);
  } catch (const EMathError& e) {
    EXPECT_EQ(e.Message(), L"Invalid floating point operation");
  }
}

TEST(Math, TruncIntFracCeilFloor) {
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_EQ(Int(-2.75), -2.0);
  EXPECT_EQ(Frac(-2.75), -0.75);
  EXPECT_EQ(Ceil(-1.5), -1);
  EXPECT_EQ(Ceil(4.0), 4);
  EXPECT_EQ(Floor(-1.5), -2);
}

TEST(Math, DivAndModTruncateTowardZero) {
  EXPECT_EQ(Div(-7, 2), -3);
  EXPECT_EQ(Div(7, -2), -3);
  EXPECT_EQ(Mod(-7, 2), -1);
  EXPECT_EQ(Mod(7, -2), 1);
  try {
    Div(1, 0);
    ADD_FAILURE() << "no exception";
  } catch (const EDivByZero& e) {
    EXPECT_EQ(e.Message(), L"Division by zero");
  }
  EXPECT_THROW(Mod(1, 0), EDivByZero);
  EXPECT_THROW(Div(INT32_MIN, -1), EIntError);  // the quotient does not fit
}

TEST(Math, RandomFollowsTheLinearCongruentialGenerator) {
  RandSeed = 0;
  const int expected[] = {0, 3, 86, 20, 27, 67, 31, 16};
  for (int value : expected) EXPECT_EQ(Random(100), value);
  // Seeds after the first two draws: 0*134775813+1 and 1*134775813+1.
  RandSeed = 0;
  Random(10);
  EXPECT_EQ(RandSeed, 1);
  Random(10);
  EXPECT_EQ(RandSeed, 134775814);
  // The seed wraps around at 32 bits and reads as a signed value.
  RandSeed = -1;
  Random(2);
  EXPECT_EQ(RandSeed, -134775812);  // 0xFFFFFFFF * 134775813 + 1 mod 2^32
}

TEST(Math, RandomRealIsTheSeedOver2To32) {
  RandSeed = 0;
  EXPECT_EQ(Random(), 1.0 / 4294967296.0);
  EXPECT_EQ(Random(), 134775814.0 / 4294967296.0);
  RandSeed = 1;  // the next seed 134775814
  EXPECT_EQ(Random(1000000000), 31379939);  // 134775814 * 10^9 >> 32
  for (int i = 0; i < 1000; ++i) {
    double r = Random();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
  }
  // An empty range gives 0, and the seed advances all the same.
  RandSeed = 5;
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-10), 0);
  EXPECT_NE(RandSeed, 5);
}
