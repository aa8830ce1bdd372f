#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vendaro {

// A wallpaper entry is one line of text "<n>PATH</n><w>W</w><h>H</h>".
// Paths are bytes as the file system gives them; nothing is re-encoded.
using WallpaperEntry = std::string;

WallpaperEntry MakeEntry(std::string_view path, std::int64_t width, std::int64_t height);

// The text between `tag` (such as "<n>") and its closing tag, or empty text.
std::string TagValue(std::string_view entry, std::string_view tag);

// False for a path that an entry or a list file cannot hold intact: one with
// tag text ("<n>", "</n>", ...) or a line break or NUL in it, which Linux file
// names may contain.  Such a path is refused like a picture that does not load.
bool IsStorablePath(std::string_view path);

// True when the file name's extension is one of the accepted picture
// extensions (.bmp .jpg .jpeg .tif .tiff .png .gif), compared lower-cased.
bool IsAcceptedPictureName(std::string_view path);

// The file-name part of a path: everything after the last '/' (and, for a
// path written on Windows, with no '/', after the last '\\' or ':').
std::string FileNamePart(std::string_view path);

}  // namespace vendaro
