#pragma once

#include <optional>

#include "model/picture_formats.h"
#include "system/files.h"

namespace vendaro {

// Which reader opens each accepted format (model/picture_formats.h): the
// format is always named to the reader, never guessed by it from the
// content or the file name.

// The format the file's first bytes say; nothing for an unreadable file or
// one of any other kind.
std::optional<PictureFormat> FormatOfFile(const InputFile& file);

// Qt's name for the reader of `format`, or null where Qt has none: the
// probe and the rows path name it so that Qt asks no other reader.
const char* QtReaderOf(PictureFormat format);

// The picture library's loader for `format`, reading from a source (so that
// nothing in the file's name is taken as options), or null for BMP, which
// the library cannot read and Qt reads for it.  Every other loader of the
// library is blocked.
const char* LibraryLoaderOf(PictureFormat format);

// The class of that loader, as the library names the family to unblock.
const char* LibraryLoaderClassOf(PictureFormat format);

// Silences Qt's image readers, which warn on the terminal in English about
// damaged files that the program already reports in its own words.  The
// environment's QT_LOGGING_RULES still turn them back on.
void QuietQtReaders();

}  // namespace vendaro
