#pragma once

#include <cstdint>

namespace vendaro::testing {

// The most heap memory held at once while it lives, counted over every
// thread and every library (libjpeg, libpng, Qt, libvips), from the bytes
// the allocator hands out.  Under AddressSanitizer it counts through the
// allocator's hooks; elsewhere it bounds the address space instead, so an
// allocation beyond `limitBytes` fails.  One at a time.
class HeapPeak {
 public:
  explicit HeapPeak(std::int64_t limitBytes);
  ~HeapPeak();
  HeapPeak(const HeapPeak&) = delete;
  HeapPeak& operator=(const HeapPeak&) = delete;

  // The peak above what was held when it started; -1 where the allocator
  // cannot tell (then the address-space bound stands for the check).
  std::int64_t bytes() const;
  // Whether the peak stayed within the limit given.
  bool within() const;

 private:
  std::int64_t limit_;
  std::int64_t saved_[2] = {0, 0};
};

}  // namespace vendaro::testing
