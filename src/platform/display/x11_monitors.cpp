#include "platform/display/display_query.h"
#include "platform/display/x11_connection.h"

namespace vendaro {

Result<MonitorLayout> QueryX11Monitors(const std::string& name) {
  const Result<std::unique_ptr<x11::Connection>> connection = x11::Connection::Open(name);
  if (!connection) return connection.status();
  MonitorLayout layout = (*connection)->Monitors();
  if (layout.empty()) {
    const ScreenSize root = (*connection)->RootSize();
    layout.push_back({"screen", {0, 0, root.width, root.height}, true});
  }
  // Without a primary monitor named, the first one counts as it.
  layout.front().primary = true;
  return layout;
}

}  // namespace vendaro
