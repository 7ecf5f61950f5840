#include "SysMath.h"

#include <cfenv>
#include <climits>
#include <cmath>

#include "RandomSequence.h"
#include "SysExceptions.h"
#include "Win.h"

namespace {

// The int64 range as doubles: [-2^63, 2^63). Both bounds are exact.
constexpr double kInt64Low = -9223372036854775808.0;
constexpr double kInt64High = 9223372036854775808.0;
// Below 2^62 in magnitude a rounded value always fits an int64.
constexpr double kRoundDirectLimit = 4611686018427387904.0;

[[noreturn]] void RaiseInvalidOp() { throw EInvalidOp(L"Invalid floating point operation"); }

int64_t CheckedInt64(double integral) {
  if (!(integral >= kInt64Low && integral < kInt64High)) RaiseInvalidOp();  // also NaN
  return static_cast<int64_t>(integral);
}

int CheckedInt(double integral) {
  if (!(integral >= static_cast<double>(INT_MIN) && integral <= static_cast<double>(INT_MAX)))
    RaiseInvalidOp();
  return static_cast<int>(integral);
}

}  // namespace

int64_t Round(double x) {
  // In the processor's usual mode (to nearest, halves to even) its own conversion gives the
  // answer in one step. The general path below switches the rounding mode twice, which cost
  // a loop of rounding (an image's rotation) up to seven times its time.
  if (std::fabs(x) < kRoundDirectLimit && std::fegetround() == FE_TONEAREST)
    return std::llrint(x);
  if (!std::isfinite(x)) RaiseInvalidOp();
  double whole = std::trunc(x);
  double part = std::fabs(x - whole);  // exact: the fraction is the low bits of x
  double step = x < 0 ? -1.0 : 1.0;
  double rounded = whole;
  if (part > 0.5) {
    rounded = whole + step;
  } else if (part == 0.5 && std::fmod(whole, 2.0) != 0) {
    rounded = whole + step;  // a half goes to the even neighbour
  }
  return CheckedInt64(rounded);
}

int64_t Trunc(double x) {
  if (!std::isfinite(x)) RaiseInvalidOp();
  return CheckedInt64(std::trunc(x));
}

double Int(double x) { return std::trunc(x); }

double Frac(double x) { return x - std::trunc(x); }

int Ceil(double x) {
  if (!std::isfinite(x)) RaiseInvalidOp();
  return CheckedInt(std::ceil(x));
}

int Floor(double x) {
  if (!std::isfinite(x)) RaiseInvalidOp();
  return CheckedInt(std::floor(x));
}

namespace {

void CheckDivisor(int a, int b) {
  if (b == 0) throw EDivByZero(L"Division by zero");
  // The one quotient that does not fit: the processor traps on it as well.
  if (a == INT_MIN && b == -1) throw EIntError(L"Integer overflow");
}

}  // namespace

int Div(int a, int b) {
  CheckDivisor(a, b);
  return a / b;  // the quotient truncates toward zero
}

int Mod(int a, int b) {
  CheckDivisor(a, b);
  return a % b;  // the remainder takes the dividend's sign
}

int32_t RandSeed = 0;

namespace {

uint32_t NextRandSeed() { return NextRandomSeed(RandSeed); }

}  // namespace

void Randomize() {
  LARGE_INTEGER counter;
  if (QueryPerformanceCounter(&counter))
    RandSeed = static_cast<int32_t>(static_cast<uint32_t>(counter.LowPart));
  else
    RandSeed = static_cast<int32_t>(GetTickCount());
}

int Random(int range) { return RandomFromSeed(RandSeed, range); }

double Random() {
  uint32_t seed = NextRandSeed();
  return static_cast<double>(seed) / 4294967296.0;
}
