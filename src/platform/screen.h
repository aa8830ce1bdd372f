#pragma once

#include "model/canvas.h"
#include "model/monitors.h"

namespace vendaro {

// The primary screen's full size and its work area (without panels), in
// device pixels.  Needs a QGuiApplication.
ScreenSize PrimaryScreenSize();
Rect PrimaryWorkArea();

}  // namespace vendaro
