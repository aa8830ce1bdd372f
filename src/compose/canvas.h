#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vendaro {

// A composed wallpaper: opaque 8-bit RGB, three bytes a pixel, rows from the
// top, no padding between rows.
struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  bool empty() const { return width <= 0 || height <= 0; }
  std::uint8_t* row(int y) { return rgb.data() + static_cast<std::size_t>(y) * width * 3; }
  const std::uint8_t* row(int y) const {
    return rgb.data() + static_cast<std::size_t>(y) * width * 3;
  }
};

// Repeats the first `period` bytes over the first `total`, in doubling
// copies: a few large moves instead of one per pixel.
inline void RepeatPrefix(std::uint8_t* data, std::size_t period, std::size_t total) {
  for (std::size_t filled = period; filled < total;) {
    const std::size_t n = std::min(filled, total - filled);
    std::memcpy(data + filled, data, n);
    filled += n;
  }
}

// Repeats the canvas's top-left cell over the whole canvas; the cell is at
// most the canvas's size.
inline void RepeatCell(Canvas& canvas, int cellWidth, int cellHeight) {
  const std::size_t rowBytes = static_cast<std::size_t>(canvas.width) * 3;
  for (int y = 0; y < cellHeight; ++y)
    RepeatPrefix(canvas.row(y), static_cast<std::size_t>(cellWidth) * 3, rowBytes);
  for (int y = cellHeight; y < canvas.height; ++y)
    std::memcpy(canvas.row(y), canvas.row(y - cellHeight), rowBytes);
}

}  // namespace vendaro
