#pragma once

#include <functional>
#include <string>

#include "compose/placement.h"
#include "model/canvas.h"
#include "model/color.h"
#include "model/options.h"
#include "model/wallpaper_entry.h"
#include "system/status.h"

namespace vendaro {

// Resolves a system colour index (low byte of a 0xFF...... value) to an RGB
// colour value; index 1 is the desktop background.
using SystemColorResolver = std::function<ColorValue(int index)>;

// The fill colour as RGB: a system colour is asked of `systemColor` (black
// without one).
ColorValue ResolveFillColor(ColorValue fill, const SystemColorResolver& systemColor);

// The composition in memory.  An undecodable picture gives a plain
// background canvas with the reason in `picture`.
struct RenderResult {
  Canvas canvas;
  Placement placement;
  Status picture;
};
RenderResult RenderEntry(const WallpaperEntry& entry, const Options& options, ScreenSize screen,
                         const SystemColorResolver& systemColor);

// Hands a written wallpaper file (and its pixels) to the desktop.
using WallpaperSetter = std::function<Status(const std::string& path, const Canvas& canvas)>;

struct ComposeResult {
  Status status;
  Canvas canvas;
  std::string outputPath;  // the file written (apply mode)
  Status picture;          // as in RenderResult
};

// The whole change.  Apply mode (preview false): the canvas is written as a
// 24-bit BMP named after the picture in tempFolder through a temporary file,
// handed to `setter`, and only then is the previous `wallpaperFile` deleted
// (when its path differs) and `wallpaperFile` set to the new path.  A failure
// leaves the desktop and `wallpaperFile` as they were.  Preview mode writes
// nothing and never touches `wallpaperFile`: the caller shows the canvas.
ComposeResult ComposeWallpaper(const WallpaperEntry& entry, const Options& options,
                               ScreenSize screen, const SystemColorResolver& systemColor,
                               bool preview, const std::string& tempFolder,
                               std::string& wallpaperFile, const WallpaperSetter& setter);

// tempFolder + the picture's file name + ".bmp".
std::string ComposedFilePath(const std::string& tempFolder, const WallpaperEntry& entry);

}  // namespace vendaro
