#pragma once

#include <optional>
#include <string>

#include "model/canvas.h"
#include "system/status.h"

namespace vendaro {

// Writes the canvas as an uncompressed 24-bit BMP (bottom-up BGR rows, each
// padded to 4 bytes, 96 dpi).  The bytes go to a new file beside `path` that
// is renamed over it only when complete, so a failure never leaves a partial
// wallpaper behind.  Errors read "Cannot create file "<path>". <reason>".
Status WriteBmp(const std::string& path, const Canvas& canvas);

// A file WriteBmp wrote, read back: nothing unless it is exactly such a
// file of the given size.
std::optional<Canvas> ReadWrittenBmp(const std::string& path, ScreenSize size);

}  // namespace vendaro
