#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "compose/path_outcome.h"
#include "model/color.h"
#include "system/status.h"

namespace vendaro {

// The rows of an upright, opaque RGB picture, from the top.
class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // The next row, width() * 3 bytes.  A source made for part of the
  // picture fills only that part of each row.
  virtual Status Read(std::uint8_t* row) = 0;
  virtual Status Skip(int rows) = 0;
};

// A part of an upright picture: columns [left, right), rows [top, bottom).
struct PicturePart {
  std::int64_t left = 0, right = 0, top = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
};

// The part of an upright picture of the given size that will be read.
using PartNeeded = std::function<PicturePart(std::int64_t width, std::int64_t height)>;

// The rows of a JPEG picture (read by libjpeg, turned upright where it is
// stored turned: then only the part needed is decoded and kept), or of a
// BMP or PNG picture of moderate size (read whole by Qt's own readers), with
// transparency blended over `background`.  NotMine when the picture is none
// of these; an error when it is one of them and cannot be read.
Result<Claimed<std::unique_ptr<RowSource>>> OpenRows(const std::string& path, ColorValue background,
                                                     const PartNeeded& needed);

}  // namespace vendaro
