#pragma once

#include "system/files.h"

namespace vendaro {

// What the chunk list of a PNG file says, walked by the chunks' headers
// without reading their data.  libpng allocates whatever length a chunk
// states, before it can find the file too short: a 1 x 1 picture with a
// text chunk claiming 2 GB cost 2 GB and seconds, in Qt's reader and in the
// picture library's alike.
enum class PngChunks {
  Plain,
  Oriented,        // an eXIf chunk before the pixels (Qt would not apply it)
  LargeAncillary,  // a chunk the picture does not need, over 1 MB
  Oversized,       // a chunk the picture does not need, over 16 MB
  BeyondTheFile,   // a chunk claiming more than the file holds
  TextTooLarge,    // compressed text chunks unpacking to more than 16 MB
};
// Compressed text (zTXt, and iTXt marked compressed) is unpacked here into
// a small buffer and dropped, only to count its size: libpng unpacks it
// whole and the picture library then copies it with every step, so a file
// of a megabyte whose text unpacks to gigabytes took 3.6 GB and forty
// seconds to draw.  Unpacking stops at the bound, so this costs a few
// milliseconds at most.
PngChunks WalkPngChunks(const InputFile& file);

}  // namespace vendaro
