#pragma once

#include <cstdint>
#include <string>

#include "compose/path_outcome.h"
#include "compose/placement.h"
#include "compose/row_sources.h"
#include "model/canvas.h"
#include "model/color.h"
#include "system/status.h"

namespace vendaro {

// Draws pictures that need no resampling filter (original size, tiles, and
// nearest-neighbour scaling) by copying rows: JPEG pictures read by libjpeg,
// BMP and PNG pictures of moderate size by Qt's own readers.  Transparency
// is blended over `background`.
//
// NotMine when the picture or the placement is not one this path draws; the
// caller then draws it the general way.  After a failure the canvas holds
// part of a picture.
Result<PathOutcome> DrawDirect(Canvas& canvas, const std::string& path, const Placement& placement,
                               Choice<ScaleFilter> interpolation, ColorValue background);

// The copying itself, from any upright rows, for the picture library's
// pictures too: a placement without a filter.
Status DrawRows(Canvas& canvas, RowSource& rows, const Placement& placement);

// The columns and rows of an upright picture of the given size that the
// placement shows on the canvas (for nearest-neighbour scaling, those its
// samples come from).
PicturePart NeededPart(const Canvas& canvas, const Placement& placement, std::int64_t width,
                       std::int64_t height);

}  // namespace vendaro
