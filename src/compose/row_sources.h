#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compose/path_outcome.h"
#include "compose/turn.h"
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

// The columns and rows of an upright picture that will be read, each list
// ascending without repeats: what the canvas shows, or for nearest-neighbour
// scaling the pixels its samples come from.  Either way no more of them
// than the canvas has.
struct PicturePart {
  std::vector<std::int64_t> columns, rows;
  bool empty() const { return columns.empty() || rows.empty(); }
};

// The part of an upright picture of the given size that will be read.
using PartNeeded = std::function<PicturePart(std::int64_t width, std::int64_t height)>;

// The upright rows of a picture stored turned (`turn`), read from `stored`,
// its rows as stored.  Upright rows run across the stored ones, so every
// stored row is read first and only the pixels `part` names are kept: the
// memory held is that of the canvas, whatever the picture's size.  The rows
// given hold those pixels only.
Result<std::unique_ptr<RowSource>> TurnRows(RowSource& stored, Turn turn, const PicturePart& part);

// The rows of a JPEG picture (read by libjpeg, turned upright where it is
// stored turned: then only the part needed is kept, see TurnRows), or of a
// BMP or PNG picture of moderate size (read whole by Qt's own readers), with
// transparency blended over `background`.  NotMine when the picture is none
// of these; an error when it is one of them and cannot be read.
Result<Claimed<std::unique_ptr<RowSource>>> OpenRows(const std::string& path, ColorValue background,
                                                     const PartNeeded& needed);

}  // namespace vendaro
