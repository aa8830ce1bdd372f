#pragma once

#include <string>
#include <vector>

#include "platform/ipc/child_process.h"

namespace vendaro::testing {

// A private Xvfb on a free display number, stopped with the object.
class XvfbServer {
 public:
  // Empty display() when Xvfb is not installed or would not start.
  XvfbServer(int width, int height);
  const std::string& display() const { return display_; }
  const std::string& problem() const { return problem_; }
  void Stop() { server_.Stop(); }
  // Runs xrandr on this display (monitors are made with --setmonitor).
  Status Xrandr(const std::vector<std::string>& args) const;

 private:
  ChildProcess server_;
  std::string display_;
  std::string problem_;
};

}  // namespace vendaro::testing
