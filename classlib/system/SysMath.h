// Arithmetic with the class library's exact semantics: banker's rounding, truncation,
// the linear congruential random generator.
#pragma once
#include <cstdint>

int64_t Round(double x);   // halves to even; EInvalidOp outside the int64 range
int64_t Trunc(double x);   // toward zero
double Frac(double x);     // x - Int(x), keeps the sign
double Int(double x);      // integral part toward zero, as a double
int Ceil(double x);
int Floor(double x);
// MulDiv is the system's own (kernel32): rounded, -1 when the denominator is 0.
template <class T> constexpr T Min(T a, T b) { return a < b ? a : b; }
template <class T> constexpr T Max(T a, T b) { return a > b ? a : b; }

// Integer quotient and remainder: the quotient truncates toward zero and the remainder takes
// the dividend's sign (-7 / 2 = -3, -7 mod 2 = -1); a zero divisor raises EDivByZero.
int Div(int a, int b);
int Mod(int a, int b);

extern int32_t RandSeed;    // RandSeed := RandSeed * 134775813 + 1 on every draw
void Randomize();           // seeds from the tick count
int Random(int range);      // 0 <= result < range: high 32 bits of the unsigned product
double Random();            // 0 <= result < 1
