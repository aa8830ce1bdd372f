#pragma once

#include <optional>
#include <string>

#include "compose/placement.h"
#include "model/canvas.h"
#include "model/color.h"

namespace vendaro {

// Draws pictures that need no resampling filter (original size, tiles, and
// nearest-neighbour scaling) by copying rows: JPEG pictures read by libjpeg,
// BMP and PNG pictures of moderate size by Qt's own readers.  Transparency
// is blended over `background`.
//
// Returns nothing when the picture or the placement is not one this path
// draws; the caller then draws it the general way.  Otherwise returns the
// reason it could not be drawn, or empty text; after a failure the canvas
// holds part of a picture.
std::optional<std::string> DrawDirect(Canvas& canvas, const std::string& path,
                                      const Placement& placement, int interpolation,
                                      ColorValue background);

}  // namespace vendaro
