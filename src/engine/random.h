// The process-wide 32-bit linear congruential generator shared by set building, shuffles and
// randomised algorithms. The sequence from a given seed is fixed.
#pragma once

#include <cstdint>

namespace mv {

extern uint32_t random_seed;

// Advances the seed: seed <- seed * 134775813 + 1 (mod 2^32).
inline uint32_t next_seed() {
  random_seed = random_seed * 134775813u + 1u;
  return random_seed;
}

// An integer in 0 .. k-1 (the high 32 bits of k * seed). k <= 0 gives 0 after advancing.
inline uint32_t Random(int32_t k) {
  const uint32_t s = next_seed();
  if (k <= 0) return 0;
  return static_cast<uint32_t>((static_cast<uint64_t>(k) * s) >> 32);
}

// A real in [0, 1): seed * 2^-32.
inline long double U() {
  return static_cast<long double>(next_seed()) * 0x1p-32L;
}

}  // namespace mv
