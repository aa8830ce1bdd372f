#pragma once

#include <string>

#include "model/entry_list.h"
#include "system/status.h"

namespace vendaro {

// Opens a picture, reads its upright size from the header (the stored
// orientation applied) without decoding the pixels, and releases the file at
// once.  Fails, with a short reason, for a missing, unreadable or
// unrecognised file.
Result<PictureSize> ProbePicture(const std::string& path);

}  // namespace vendaro
