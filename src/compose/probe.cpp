#include "compose/probe.h"

namespace vendaro {

// Placeholder until the header reader lands.
PictureSize ProbePicture(const std::string&) { return {}; }

}  // namespace vendaro
