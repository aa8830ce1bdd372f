#pragma once

#include <string>

#include "model/monitors.h"
#include "platform/desktop/desktop.h"
#include "system/status.h"

namespace vendaro {

// The monitors of the display this session shows, in device pixels, the
// primary first, asked of the display server itself: the Wayland
// compositor's outputs where WAYLAND_DISPLAY is set, else X11 RandR.  No
// windowing toolkit is started, and a compositor that does not answer (a
// stopped one) costs at most `timeoutMs`.  For a command-line tool, which
// must not need a windowing platform to find the screen's size.
Result<MonitorLayout> QueryMonitors(const Environment& env, int timeoutMs);

// The two ways, for the tests.
Result<MonitorLayout> QueryWaylandOutputs(const std::string& display, int timeoutMs);
Result<MonitorLayout> QueryX11Monitors(const std::string& display);

}  // namespace vendaro
