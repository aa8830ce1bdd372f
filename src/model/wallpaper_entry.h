#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "system/status.h"

namespace vendaro {

// A picture of the list and the size it was measured at (upright, after any
// stored orientation).  The path is bytes as the file system gives them;
// nothing is re-encoded.
struct WallpaperEntry {
  std::string path;
  int width = 0;
  int height = 0;

  bool operator==(const WallpaperEntry&) const = default;
};

WallpaperEntry MakeEntry(std::string_view path, int width, int height);

// The entry as tagged text, "<n>PATH</n><w>W</w><h>H</h>", the form entries
// are sorted by.
std::string EntryText(const WallpaperEntry& entry);

// The text between `tag` (such as "<n>") and its closing tag, or empty text.
std::string TagValue(std::string_view entry, std::string_view tag);

// False for a path that an entry or a list file cannot hold intact: one with
// tag text ("<n>", "</n>", ...) or a line break or NUL in it, which Linux file
// names may contain.  Such a path is refused like a picture that does not load.
bool IsStorablePath(std::string_view path);

// True when the file name's extension is one of the accepted formats'
// (model/picture_formats.h), compared lower-cased.
bool IsAcceptedPictureName(std::string_view path);

// The file-name part of a path: everything after the last '/' (and, for a
// path written on Windows, with no '/', after the last '\\' or ':').
std::string FileNamePart(std::string_view path);

}  // namespace vendaro
