#pragma once

#include <optional>
#include <utility>

namespace vendaro {

// A picture reaches the canvas by the first drawing path that takes it; the
// others answer NotMine, which sends it on to the next one.  A failure on the
// path that took it is the error of the Result around these, and ends the
// search: the next path would fail on the same picture.
enum class PathOutcome { Drawn, NotMine };

// What a reader on one of those paths makes of a picture: the value it read,
// or NotMine when the picture is not of its kinds.
template <typename T>
class Claimed {
 public:
  static Claimed NotMine() { return Claimed(); }
  Claimed(T value) : value_(std::move(value)) {}  // NOLINT: a value converts

  bool mine() const { return value_.has_value(); }
  T& value() { return *value_; }
  const T& value() const { return *value_; }

 private:
  Claimed() = default;
  std::optional<T> value_;
};

}  // namespace vendaro
