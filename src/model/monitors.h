#pragma once

#include <string>
#include <vector>

#include "model/canvas.h"

namespace vendaro {

// A rectangle in device pixels.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool operator==(const Rect&) const = default;
};

// One monitor of the desktop: its name as the display server gives it
// ("DP-1", "HDMI-A-1", "screen"), and where it lies in the whole layout, in
// device pixels.
struct Monitor {
  std::string name;
  Rect area;
  bool primary = false;

  ScreenSize size() const { return {area.width, area.height}; }
  bool operator==(const Monitor&) const = default;
};

// Every monitor, the primary one first.
using MonitorLayout = std::vector<Monitor>;

}  // namespace vendaro
