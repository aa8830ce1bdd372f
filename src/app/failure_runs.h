#pragma once

#include <string>

namespace vendaro {

// Changes that keep failing the same way tell the user once: a box at every
// scheduled change for a service that is gone only stacks up.  A run ends
// with a change that works or a failure of another kind.
class FailureRuns {
 public:
  // Whether to tell the user of this failure.
  bool ShouldTell(const std::string& message);
  void Succeeded() { told_.clear(); }

 private:
  std::string told_;  // the failure of the run told; empty: none
};

}  // namespace vendaro
