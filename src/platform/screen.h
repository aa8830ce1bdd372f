#pragma once

#include "model/canvas.h"

namespace vendaro {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The primary screen's full size and its work area (without panels), in
// device pixels.  Needs a QGuiApplication.
ScreenSize PrimaryScreenSize();
Rect PrimaryWorkArea();

}  // namespace vendaro
