#pragma once

#include <QImage>
#include <cstdint>
#include <string>

#include "compose/path_outcome.h"
#include "compose/png_chunks.h"
#include "system/status.h"

namespace vendaro {

// Pictures Qt reads with the readers built into it (no plugins to load):
// BMP, which the picture library has no loader for, and PNG.  The path's
// bytes reach the system unchanged, as everywhere else.
//
// Reads a BMP file, or with `png` also a PNG file that stores no
// orientation and no unusual chunks, of at most `maxPixels` pixels, as
// RGBX8888 or, where the file has alpha, RGBA8888.  Anything else, larger
// pictures included, is not Qt's: NotMine.  An error says why one of Qt's
// cannot be decoded; a cut-off BMP counts as undecodable, like any other
// truncated picture, and so does one that would need more memory than
// decode_limits.h allows.
Result<Claimed<QImage>> ReadWithQt(const std::string& path, bool png, std::int64_t maxPixels);

// Why a PNG file with these chunks cannot be decoded by any reader, or Ok.
Status PngProblem(PngChunks chunks);

}  // namespace vendaro
