#pragma once

#include <cstdint>

#include "model/options.h"

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

Placement PlacePicture(std::int32_t PW, std::int32_t PH, std::int32_t SW, std::int32_t SH,
                       Choice<PictureMode> displayMode, Choice<PictureAlign> alignment);

const char* PlacementKindName(PlacementKind kind);

}  // namespace vendaro
