#include "compose/placement.h"

namespace vendaro {

const char* PlacementKindName(PlacementKind kind) {
  switch (kind) {
    case PlacementKind::Unscaled:
      return "Unscaled";
    case PlacementKind::Scaled:
      return "Scaled";
    case PlacementKind::Tiled:
      return "Tiled";
    case PlacementKind::Nothing:
      return "Nothing";
  }
  return "Nothing";
}

}  // namespace vendaro
