#pragma once

#include <cstdint>

namespace vendaro {

enum class PlacementKind { Unscaled, Scaled, Tiled, Nothing };

// Where and how large a picture is drawn on the screen-sized canvas.
// `Nothing` is our own kind for recorded sizes of 0 or below: no draw.
struct Placement {
  PlacementKind kind = PlacementKind::Nothing;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t w = 0;
  std::int32_t h = 0;
  bool edgeFill = false;
};

// Display modes 0..4: stretch, fit, fill and crop, original size, tiles.
// Alignments 0..8: centre, then clockwise from the top-left corner.
Placement PlacePicture(std::int32_t PW, std::int32_t PH, std::int32_t SW, std::int32_t SH,
                       int displayMode, int alignment);

const char* PlacementKindName(PlacementKind kind);

}  // namespace vendaro
