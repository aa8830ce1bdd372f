#pragma once

#include <cstdint>

#include "model/canvas.h"
#include "model/color.h"
#include "model/options.h"

namespace vendaro {

// Per channel (red, green, blue): the two values added and shifted right by
// one bit, capped at 255; the high byte of the result is 0.
ColorValue MeanColor(ColorValue a, ColorValue b);

// Draws the picture's outermost rows and columns out to the canvas borders:
// every margin pixel around the picture rectangle (x0, y0, PW, PH) takes the
// colour of the nearest edge pixel, and the corner rectangles (only those the
// alignment leaves away from both screen edges) the picture's corner pixel.
// Samples are taken before the first write; a sample that lies outside the
// canvas is never written into it.
void CopyEdgesToMargins(Canvas& canvas, std::int32_t x0, std::int32_t y0, std::int32_t PW,
                        std::int32_t PH, std::int32_t SW, std::int32_t SH,
                        Choice<PictureAlign> alignment);

}  // namespace vendaro
