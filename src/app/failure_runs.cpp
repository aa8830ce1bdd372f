#include "app/failure_runs.h"

namespace vendaro {

bool FailureRuns::ShouldTell(const std::string& message) {
  if (!told_.empty() && message == told_) return false;
  told_ = message.empty() ? " " : message;
  return true;
}

}  // namespace vendaro
