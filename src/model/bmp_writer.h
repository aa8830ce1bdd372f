#pragma once

#include <cstdint>
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

// The size of the file WriteBmp writes for a canvas of `size`.
std::uint64_t WrittenBmpBytes(ScreenSize size);

// A file WriteBmp wrote, read back: nothing unless it is exactly such a
// file of the given size.
std::optional<Canvas> ReadWrittenBmp(const std::string& path, ScreenSize size);

}  // namespace vendaro
