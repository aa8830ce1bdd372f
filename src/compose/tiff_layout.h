#pragma once

#include <cstdint>

#include "system/files.h"

namespace vendaro {

// How many bytes the picture library's TIFF reader holds at once for the
// first picture of a TIFF file: a whole row of its tiles, or one strip,
// decoded.  A file of 49 KB in 4096 x 4096 tiles, 65536 pixels wide, had it
// hold 908 MB.  0 when the header cannot be read (the reader then fails on
// it too).
std::int64_t TiffBandBytes(const InputFile& file);

}  // namespace vendaro
