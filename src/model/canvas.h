#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vendaro {

// A size of a screen or monitor in device pixels.
struct ScreenSize {
  int width = 0;
  int height = 0;
};

// A composed wallpaper: opaque 8-bit RGB, three bytes a pixel, rows from the
// top, no padding between rows.
struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  bool empty() const { return width <= 0 || height <= 0; }
  // A canvas drawn ahead of its change may keep its pixels only in its file
  // where the desktop reads files (see PutWallpapers).
  bool hasPixels() const {
    return !empty() &&
           rgb.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  }
  std::uint8_t* row(int y) {
    return rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
  }
  const std::uint8_t* row(int y) const {
    return rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
  }
};

}  // namespace vendaro
