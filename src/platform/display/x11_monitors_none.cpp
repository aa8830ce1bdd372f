#include "platform/display/display_query.h"

// Built without X11 support.
namespace vendaro {

Result<MonitorLayout> QueryX11Monitors(const std::string&) {
  return Status::Error("program zbudowano bez obsługi X11");
}

}  // namespace vendaro
