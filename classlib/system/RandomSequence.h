// The class library's random generator over a seed of the caller's, so that a user of its
// own (the transition effects) draws the same sequence without touching the process's
// RandSeed, which other parts (the mock exam's paper) depend on.
#pragma once
#include <cstdint>

// One step of the generator; the multiplication wraps around at 32 bits.
inline uint32_t NextRandomSeed(int32_t& seed) {
  const uint32_t next = static_cast<uint32_t>(seed) * 134775813u + 1u;
  seed = static_cast<int32_t>(next);
  return next;
}

// 0 <= result < range from the high 32 bits of the product; a range of zero or less gives 0
// (the seed still advances).
inline int RandomFromSeed(int32_t& seed, int range) {
  const uint32_t next = NextRandomSeed(seed);
  if (range <= 0) return 0;
  return static_cast<int>((static_cast<uint64_t>(next) * static_cast<uint32_t>(range)) >> 32);
}
