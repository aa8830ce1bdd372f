#pragma once

#include <string>

#include "platform/desktop.h"

namespace vendaro {

// The display server alone (wlroots-style Wayland, X11 or none), ignoring the
// variables that name a desktop: what is left when the named desktop's
// service turns out to be absent.
DesktopKind DetectDisplayServer(const Environment& env);

}  // namespace vendaro
