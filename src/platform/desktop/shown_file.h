#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "model/canvas.h"
#include "model/monitors.h"
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

// Writes the file a desktop is handed into `folder`, under a name no desktop
// can have seen before: GNOME Shell and Plasma cache pictures by name, and a
// new process must not reuse an older process's name either.  BMP: a hard
// link to the composed file `bmpPath` (a copy where links fail), or, for a
// picture made here that has no file (empty `bmpPath`), the canvas written
// as BMP; PNG: the canvas written with fast compression.  Returns the new
// file's path.
Result<std::string> WriteShownFile(const std::string& folder, const std::string& bmpPath,
                                   const Canvas& canvas, ShownFormat format);

// The pixels of a canvas drawn ahead of its change, which keeps them only in
// its composed BMP `bmpPath` (see Canvas::hasPixels); nothing when the file
// cannot be read as the canvas.
std::optional<Canvas> PixelsFromFile(const std::string& bmpPath, const Canvas& canvas);

// `wallpapers` with the pixels of every monitor's canvas, those kept only in
// their files read into `loaded` (which must outlive the result).
Result<Wallpapers> WithPixels(const Wallpapers& wallpapers, std::deque<Canvas>& loaded);

// One picture a change hands the desktop as a file: its composed BMP (empty
// for a picture made here, such as the whole layout) and its pixels, or a
// shown file made ahead of the change (see PrepareWallpapers), handed as it is.
struct ShownSource {
  std::string bmpPath;
  const Canvas* canvas = nullptr;
  std::string readied;
};

// The different pictures of a change, the primary's first (monitors of one
// size share a canvas, and so one file), and for each monitor of the
// Wallpapers, in their order, the index of its picture.
struct MonitorSources {
  std::vector<ShownSource> sources;
  std::vector<std::size_t> sourceOf;
};
MonitorSources DistinctPictures(const Wallpapers& wallpapers);

// WriteShownFile for each source, their paths in the same order; when one
// cannot be written, those written before it are removed again.
Result<std::vector<std::string>> WriteShownFiles(const std::string& folder,
                                                 const std::vector<ShownSource>& sources,
                                                 ShownFormat format);

// What tells a change's pictures apart from any others: each monitor's
// place and its file's device, inode, size and modification time (which a
// file drawn ahead keeps when it is moved into place), and the background.
// Empty when a file cannot be looked at: such pictures match nothing.
std::vector<std::int64_t> WallpapersStamp(const Wallpapers& wallpapers);

// Whether a file name (without folder) is one WriteShownFile makes.
bool IsShownFileName(const std::string& name);
// Whether a text (a path, a URL, a setting's value) names such a file.
bool NamesShownFile(const std::string& text);

// A file:// URI with every byte outside the unreserved set and '/'
// percent-encoded, so it is plain ASCII whatever the path holds.
std::string FileUrl(const std::string& path);

// Removes a file we made; a file already gone is fine.
void RemoveOwnFile(const std::string& path);

}  // namespace vendaro
