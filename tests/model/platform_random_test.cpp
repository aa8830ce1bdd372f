#include "model/platform_random.h"

#include <gtest/gtest.h>

#include <vector>

namespace vendaro {
namespace {

// Picks worked out from seed * 134775813 + 1 (mod 2^32) and the high half of
// seed * range; e.g. seed 1: the new seed is 134775814, times 100 is
// 13477581400, and 13477581400 / 2^32 = 3.14, so the first pick is 3.
TEST(PlatformRandom, ReproducesTheClassicSequence) {
  const struct {
    std::uint32_t seed;
    std::int32_t range;
    std::vector<std::int32_t> picks;
    std::uint32_t seedAfter;
  } cases[] = {
      {0, 10, {0, 0, 8, 2, 2, 6}, 0xABF18B42u},
      {1, 100, {3, 86, 20, 27, 67, 31}, 0x5195C04Bu},
      {12345, 6, {2, 1, 0, 3, 3, 2}, 0x57730A43u},
      {0xFFFFFFFFu, 1000, {968, 201, 519, 132, 874, 24}, 0x064D5639u},
      {0x80000000u, 20000, {10000, 10627, 7220, 14051, 15458, 3433}, 0x2BF18B42u},
  };
  for (const auto& c : cases) {
    PlatformRandom random(c.seed);
    std::vector<std::int32_t> picks;
    for (std::size_t i = 0; i < c.picks.size(); ++i) picks.push_back(random.Random(c.range));
    EXPECT_EQ(picks, c.picks) << c.seed;
    EXPECT_EQ(random.seed(), c.seedAfter) << c.seed;
  }
}

TEST(PlatformRandom, EmptyAndSingleRanges) {
  PlatformRandom random(99);
  EXPECT_EQ(random.Random(0), 0);
  EXPECT_EQ(random.seed(), 99u * 134775813u + 1u);  // the seed still advances
  for (int i = 0; i < 50; ++i) EXPECT_EQ(random.Random(1), 0);
}

TEST(PlatformRandom, RandomizeKeepsTheLow32Bits) {
  PlatformRandom random;
  random.Randomize(0x123456789ABCDEF0ull);
  EXPECT_EQ(random.seed(), 0x9ABCDEF0u);
}

}  // namespace
}  // namespace vendaro
