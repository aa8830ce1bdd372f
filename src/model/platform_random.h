#pragma once

#include <cstdint>

namespace vendaro {

// The classic linear congruential generator: each call makes the seed
// seed * 134775813 + 1 (mod 2^32) and the pick is the high 32 bits of the
// 64-bit product of the new seed and the range.  The same seed gives the same
// picks as the original program.
class PlatformRandom {
 public:
  explicit PlatformRandom(std::uint32_t seed = 0) : seed_(seed) {}

  // Seeds from a counter reading (the low 32 bits are kept).
  void Randomize(std::uint64_t counter) { seed_ = static_cast<std::uint32_t>(counter); }

  // A number from 0 to range - 1; 0 when range is 0 or less.
  std::int32_t Random(std::int32_t range);

  std::uint32_t seed() const { return seed_; }

 private:
  std::uint32_t seed_;
};

}  // namespace vendaro
