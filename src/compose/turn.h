#pragma once

namespace vendaro {

// How a picture stored in EXIF orientation 1 to 8 is turned upright.  With
// `transposed`, the upright picture's rows run along the stored columns.
// `flipX` and `flipY`: the upright X and Y axes run against the stored axes
// they lie on.
struct Turn {
  bool transposed = false;
  bool flipX = false;
  bool flipY = false;
};

inline Turn TurnOf(int orientation) {
  switch (orientation) {
    case 2:
      return {false, true, false};
    case 3:
      return {false, true, true};
    case 4:
      return {false, false, true};
    case 5:
      return {true, false, false};
    case 6:
      return {true, true, false};
    case 7:
      return {true, true, true};
    case 8:
      return {true, false, true};
    default:
      return {};
  }
}

}  // namespace vendaro
