#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model/canvas.h"
#include "model/color.h"

namespace vendaro::testing {

// One pixel of a generated picture: red, green, blue, alpha.
struct Rgba {
  std::uint8_t r, g, b, a = 255;
};
using PixelAt = std::function<Rgba(int x, int y)>;

// Writes a picture through the picture library; the format follows the
// extension.  `bands` 3 drops the alpha.  `orientation` 1 writes none.
void WritePicture(const std::string& path, int width, int height, int bands, const PixelAt& at,
                  int orientation = 1);

// Frames stacked as pages (an animated GIF, a multi-page TIFF).
void WritePages(const std::string& path, int width, int height, const Rgba* colours, int pages);

ColorValue PixelOf(const Canvas& canvas, int x, int y);

// The CRC of PNG chunks, for tests that forge them.
std::uint32_t Crc32(const std::string& bytes);

// A PNG file's bytes with an eXIf chunk storing `orientation` added.
std::string PngWithOrientation(std::string png, int orientation);

// A PNG beside `jpeg` holding its decoded, stored pixels and `orientation`:
// the library turns it as the JPEG should be turned.  Returns its path.
std::string TurnedPngOf(const std::string& jpeg, int orientation);

}  // namespace vendaro::testing
