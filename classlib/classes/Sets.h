// TSet<Enum>: a set over the values of an enumeration, held as one bit per value, with the
// operations sets have in the class library (membership, union, difference, intersection).
// Enumerations of up to 64 values fit; a value outside 0..63 is never a member and is
// ignored by Include and Exclude.
#pragma once
#include <cstdint>
#include <initializer_list>

template <class Enum>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<Enum> values) {
    for (Enum value : values) Include(value);
  }

  // ---- Attributes -----------------------------------------------------------
  constexpr bool Contains(Enum value) const { return (FBits & Bit(value)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }

  // ---- Operations -----------------------------------------------------------
  constexpr TSet& Include(Enum value) {
    FBits |= Bit(value);
    return *this;
  }
  constexpr TSet& Exclude(Enum value) {
    FBits &= ~Bit(value);
    return *this;
  }

  constexpr TSet& operator+=(TSet other) {
    FBits |= other.FBits;
    return *this;
  }
  constexpr TSet& operator-=(TSet other) {
    FBits &= ~other.FBits;
    return *this;
  }
  constexpr TSet& operator*=(TSet other) {
    FBits &= other.FBits;
    return *this;
  }
  friend constexpr TSet operator+(TSet a, TSet b) { return a += b; }  // union
  friend constexpr TSet operator-(TSet a, TSet b) { return a -= b; }  // difference
  friend constexpr TSet operator*(TSet a, TSet b) { return a *= b; }  // intersection
  friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }

 private:
  static constexpr uint64_t Bit(Enum value) {
    const auto index = static_cast<int64_t>(value);
    return (index >= 0 && index < 64) ? (uint64_t{1} << index) : 0;
  }

  uint64_t FBits = 0;  // bit n set when the value n is a member
};
