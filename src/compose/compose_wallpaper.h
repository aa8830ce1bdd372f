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
// background canvas with the reason in `picture`.  The canvas is drawn in
// `memory` when that is given and of its size.
struct RenderResult {
  Canvas canvas;
  Placement placement;
  Status picture;
  // A BMP file already holding the canvas (one drawn ahead of its change);
  // empty when it is only in memory.
  std::string file;
};
RenderResult RenderEntry(const WallpaperEntry& entry, const Options& options, ScreenSize screen,
                         const SystemColorResolver& systemColor, CanvasMemory* memory = nullptr);

struct ComposeResult {
  Status status;
  Canvas canvas;
  Status picture;  // as in RenderResult
};

// A preview of the change: the composition in memory, nothing written and
// the desktop untouched; the caller shows the canvas.  Changes themselves go
// through ComposeWallpapers (layout_composition.h).
ComposeResult ComposeWallpaper(const WallpaperEntry& entry, const Options& options,
                               ScreenSize screen, const SystemColorResolver& systemColor);

// tempFolder + the picture's file name + ".bmp".
std::string ComposedFilePath(const std::string& tempFolder, const WallpaperEntry& entry);

}  // namespace vendaro
