#include "xvfb_server.h"

#include <unistd.h>

#include "platform/desktops/x11/x11_desktop.h"
#include "platform_test_util.h"

namespace vendaro::testing {

XvfbServer::XvfbServer(int width, int height) {
  if (FindProgram("Xvfb").empty()) {
    problem_ = "Xvfb is not installed";
    return;
  }
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  for (int number = 70 + getpid() % 50; number < 400; ++number) {
    const std::string n = std::to_string(number);
    if (access(("/tmp/.X" + n + "-lock").c_str(), F_OK) == 0 ||
        access(("/tmp/.X11-unix/X" + n).c_str(), F_OK) == 0) {
      continue;
    }
    const std::string display = ":" + n;
    if (!server_.Start("Xvfb", {display, "-noreset", "-nolisten", "tcp", "-screen", "0", screen}))
      continue;
    if (WaitUntil([&] { return !server_.Running() || X11DisplayOpens(display); }) &&
        server_.Running()) {
      display_ = display;
      return;
    }
  }
  problem_ = "Xvfb did not start";
}

Status XvfbServer::Xrandr(const std::vector<std::string>& args) const {
  std::vector<std::string> all{"-display", display_};
  all.insert(all.end(), args.begin(), args.end());
  return RunProgram("xrandr", all, 20000).status;
}

}  // namespace vendaro::testing
