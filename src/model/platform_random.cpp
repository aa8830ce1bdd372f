#include "model/platform_random.h"

namespace vendaro {

std::int32_t PlatformRandom::Random(std::int32_t range) {
  seed_ = seed_ * 134775813u + 1u;
  if (range <= 0) return 0;
  std::uint64_t product = std::uint64_t(seed_) * std::uint64_t(static_cast<std::uint32_t>(range));
  return static_cast<std::int32_t>(product >> 32);
}

}  // namespace vendaro
