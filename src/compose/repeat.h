#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "model/canvas.h"

namespace vendaro {

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
