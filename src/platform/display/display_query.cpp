#include "platform/display/display_query.h"

namespace vendaro {

Result<MonitorLayout> QueryMonitors(const Environment& env, int timeoutMs) {
  auto value = [&env](const char* name) {
    auto it = env.find(name);
    return it == env.end() ? std::string() : it->second;
  };
  // A Wayland session's own view first: under Xwayland, X may report a
  // scaled size.
  if (const std::string wayland = value("WAYLAND_DISPLAY"); !wayland.empty()) {
    Result<MonitorLayout> outputs = QueryWaylandOutputs(wayland, timeoutMs);
    if (outputs || value("DISPLAY").empty()) return outputs;
  }
  if (const std::string x = value("DISPLAY"); !x.empty()) return QueryX11Monitors(x);
  return Status::Error("brak ekranu (ani WAYLAND_DISPLAY, ani DISPLAY)");
}

}  // namespace vendaro
