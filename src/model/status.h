#pragma once

#include <string>
#include <utility>

namespace vendaro {

// The result of an operation that can fail with a message for the user.
// The core never exits or throws across a layer: it returns one of these and
// the caller decides what the user sees.
class Status {
 public:
  Status() = default;
  static Status Ok() { return {}; }
  static Status Error(std::string message) {
    Status s;
    s.ok_ = false;
    s.message_ = std::move(message);
    return s;
  }

  bool ok() const { return ok_; }
  explicit operator bool() const { return ok_; }
  const std::string& message() const { return message_; }

 private:
  bool ok_ = true;
  std::string message_;
};

}  // namespace vendaro
