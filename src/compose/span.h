#pragma once

#include <algorithm>
#include <cstdint>

namespace vendaro {

// A range [first, end) on one axis.
struct Span {
  std::int64_t first = 0, end = 0;

  bool empty() const { return end <= first; }
  Span Shifted(std::int64_t by) const { return {first + by, end + by}; }
  // The same range counted from the other end of an axis of `size`.
  Span Flipped(std::int64_t size, bool flip) const {
    return flip ? Span{size - end, size - first} : *this;
  }
};

// The part of [at, at + size) that lies on a canvas axis of `canvasSize`.
inline Span Visible(std::int64_t at, std::int64_t size, int canvasSize) {
  return {std::max<std::int64_t>(at, 0), std::min<std::int64_t>(at + size, canvasSize)};
}

}  // namespace vendaro
