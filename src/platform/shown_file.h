#pragma once

#include <string>

#include "model/canvas.h"
#include "system/status.h"

namespace vendaro {

// How a desktop wants the picture: the composed BMP itself, or a PNG of the
// canvas for a loader that cannot read BMP.
enum class ShownFormat { Png, Bmp };

// What the gdk-pixbuf desktops (GNOME, Cinnamon, MATE, XFCE, swaybg) read:
// BMP where the installed gdk-pixbuf lists a BMP loader (Debian 12 does;
// 2.42.11 and later may be built without one), else PNG.
ShownFormat GdkPixbufFormat();
// The same decision from the text of a loaders.cache file.
ShownFormat FormatFromLoaderCache(const std::string& cacheText);

// Writes the file a desktop is handed, beside the composed BMP, under a name
// no desktop can have seen before: GNOME Shell and Plasma cache pictures by
// name, and a new process must not reuse an older process's name either.
// BMP: a hard link to the composed file (a copy where links fail); PNG:
// written with fast compression.  `shownPath` gets the new file's path.
Status WriteShownFile(const std::string& bmpPath, const Canvas& canvas, ShownFormat format,
                      std::string& shownPath);

// Whether a file name (without folder) is one WriteShownFile makes.
bool IsShownFileName(const std::string& name);

// A file:// URI with every byte outside the unreserved set and '/'
// percent-encoded, so it is plain ASCII whatever the path holds.
std::string FileUrl(const std::string& path);

// Removes a file we made; a file already gone is fine.
void RemoveOwnFile(const std::string& path);

}  // namespace vendaro
