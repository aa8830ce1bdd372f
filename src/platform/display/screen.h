#pragma once

#include <vector>

#include "model/canvas.h"
#include "model/monitors.h"

namespace vendaro {

// The primary screen's full size in device pixels.  Needs a QGuiApplication.
ScreenSize PrimaryScreenSize();

// Every screen Qt knows, the primary first, in device pixels: each
// screen's size times its device pixel ratio at the position Qt gives, which
// keeps the native origin.  Without screens, one monitor of the fallback size.
MonitorLayout ScreenLayout();

// The work area (without panels) of every screen, in Qt's coordinates, the
// primary's first; empty without screens.
std::vector<Rect> ScreenWorkAreas();

}  // namespace vendaro
