#pragma once

#include <string>
#include <vector>

#include "model/canvas.h"
#include "model/monitors.h"
#include "system/status.h"

namespace vendaro {

// The primary monitor's full size in device pixels.  Needs a
// QGuiApplication.
ScreenSize PrimaryScreenSize();

// Every monitor, the primary first, in device pixels, asked of the display
// server Qt is connected to (RandR, or the Wayland compositor's outputs):
// the same sizes the command-line tool composes for.  Qt's logical sizes
// times its pixel ratio are off on a fractional scale (a 640-pixel monitor
// at 1.5 becomes 427 × 1.5 = 641) and doubled where the desktop scales
// itself (GNOME at 2 under X11); they serve only when the server does not
// answer.  Without screens, one monitor of the fallback size.
MonitorLayout ScreenLayout();

// One screen as Qt reports it: logical geometry and pixel ratio.
struct QtScreen {
  std::string name;
  Rect geometry;
  double ratio = 1;
  bool primary = false;
};

// The layout from the server's answer, with Qt's primary first where the
// server names it too; Qt's screens in device pixels when the server gave
// nothing.
MonitorLayout DeviceLayout(const Result<MonitorLayout>& server, const std::vector<QtScreen>& qt);

// The work area (without panels) of every screen, in Qt's coordinates, the
// primary's first; empty without screens.
std::vector<Rect> ScreenWorkAreas();

}  // namespace vendaro
