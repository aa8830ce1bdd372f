#pragma once

#include <string>

#include "compose/path_outcome.h"
#include "compose/placement.h"
#include "model/canvas.h"
#include "system/status.h"

namespace vendaro {

// Draws a JPEG picture resampled to the placement's rectangle (bilinear for
// ScaleFilter::Bilinear, bicubic otherwise), decoding on the calling thread while
// a second thread resamples the rows as they come, straight into the canvas.
// Only the rows and columns that land on the canvas are computed, and the
// picture is never held whole in memory.
//
// Pictures stored turned (EXIF orientation) are resampled as stored and
// turned as they are placed.
//
// NotMine when the picture is not one this path draws (not a JPEG, CMYK,
// beyond the size limit): the caller draws it the general way.  After a
// failure the canvas holds part of a picture.
Result<PathOutcome> DrawJpegScaled(Canvas& canvas, const std::string& path,
                                   const Placement& placement, Choice<ScaleFilter> interpolation);

}  // namespace vendaro
