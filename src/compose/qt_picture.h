#pragma once

#include <QImage>
#include <cstdint>
#include <string>

namespace vendaro {

// Pictures Qt reads with the readers built into it (no plugins to load):
// BMP, which the picture library has no loader for, and PNG.  The path's
// bytes reach the system unchanged, as everywhere else.
struct QtPicture {
  bool handled = false;  // false: not a picture for Qt's own readers
  QImage image;          // RGB888, or RGBA8888 where the file has alpha
  std::string problem;   // why a handled picture cannot be decoded
};

// Reads a BMP file, or with `png` also a PNG file that stores no
// orientation, of at most `maxPixels` pixels; larger ones are not handled.
// A cut-off BMP counts as undecodable, like any other truncated picture.
QtPicture ReadWithQt(const std::string& path, bool png, std::int64_t maxPixels);

}  // namespace vendaro
