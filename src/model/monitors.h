#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/canvas.h"
#include "model/color.h"

namespace vendaro {

// A rectangle in device pixels.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  // One past the last column and row.
  long long right() const { return static_cast<long long>(left) + width; }
  long long bottom() const { return static_cast<long long>(top) + height; }
  bool empty() const { return width <= 0 || height <= 0; }
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

// X11 keeps coordinates and sizes in 16 signed bits, and the whole-layout
// picture of the desktops that span one picture is bound by the same number.
inline constexpr int kMaxLayoutExtent = 32767;
// A canvas of 16384×16384 already takes 800 MB; no monitor sold comes near.
inline constexpr int kMaxMonitorSide = 16384;

// The monitors a wallpaper can be composed for, the primary first, and a
// sentence for each one left out: no area, larger than any canvas we make,
// or beyond the 32,767 pixels a layout may span (counted from the monitors
// kept before it, the primary's first).  When the primary is left out, the
// first monitor kept becomes the primary.
struct CheckedLayout {
  MonitorLayout usable;
  std::vector<std::string> problems;
};
CheckedLayout CheckLayout(const MonitorLayout& layout);

// The smallest rectangle holding every monitor (empty for no monitors).
Rect LayoutBounds(const MonitorLayout& layout);

// The list positions a change shows with a picture per monitor, one for
// each of `monitors` monitors in the layout's order: the current position
// on the first (the primary), the k-th position after it on the k-th,
// wrapping at the end of the list; a list shorter than the layout repeats.
// Empty for an empty list or a current position outside it.
std::vector<std::size_t> MonitorPositions(std::int64_t current, std::size_t listSize,
                                          std::size_t monitors);

// Where a window goes after the monitors changed: where it is while a piece
// a person can grab (64×32, or all of a smaller window) lies on one of the
// work areas; otherwise centred on the first area (the primary's), and
// within it where it fits.  Unchanged when there is no area.
Rect KeepOnScreens(const Rect& window, const std::vector<Rect>& workAreas);

// One monitor's composed picture in a change.  Monitors of the same size
// share one canvas and one file.
struct MonitorPicture {
  Monitor monitor;
  const Canvas* canvas = nullptr;
  std::string path;  // its 24-bit BMP; empty where none was written
};

// What one change shows: each monitor's picture, the primary's first, and
// the fill colour for whatever no monitor covers.  A desktop that shows one
// picture everywhere takes the primary's; one that spans a single picture
// over every monitor takes LayoutPicture; one that sets each monitor takes
// each.
struct Wallpapers {
  std::vector<MonitorPicture> monitors;
  ColorValue background = 0;  // RGB

  const MonitorPicture& primary() const { return monitors.front(); }
};

// A single screen's picture as a change's pictures: one monitor of the
// canvas's size at the origin, without a name.
Wallpapers OneScreen(const Canvas& canvas, const std::string& path);

// The whole layout as one picture: LayoutBounds of the monitors, each
// monitor's canvas at its place (clipped to its area), the rest in the
// background colour.  Empty when the bounds exceed kMaxLayoutExtent.
Canvas LayoutPicture(const Wallpapers& wallpapers);

}  // namespace vendaro
