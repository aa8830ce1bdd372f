#pragma once

#include <string>

#include "model/canvas.h"
#include "system/status.h"

namespace vendaro {

// Writes the canvas as an uncompressed 24-bit BMP (bottom-up BGR rows, each
// padded to 4 bytes, 96 dpi).  The bytes go to a new file beside `path` that
// is renamed over it only when complete, so a failure never leaves a partial
// wallpaper behind.  Errors read "Cannot create file "<path>". <reason>".
Status WriteBmp(const std::string& path, const Canvas& canvas);

}  // namespace vendaro
