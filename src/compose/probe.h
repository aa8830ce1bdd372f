#pragma once

#include <string>

#include "model/entry_list.h"

namespace vendaro {

// Opens a picture, reads its upright size from the header (the stored
// orientation applied) without decoding the pixels, and releases the file at
// once.  Fails for a missing, unreadable or unrecognised file.
PictureSize ProbePicture(const std::string& path);

}  // namespace vendaro
