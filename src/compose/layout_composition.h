#pragma once

// Composition for every monitor of a layout: each monitor gets the picture
// composed for its own size with the same options and placement arithmetic
// as a single screen; monitors of one size share one composition.

#include <cstddef>
#include <string>
#include <vector>

#include "compose/compose_wallpaper.h"
#include "model/monitors.h"

namespace vendaro {

struct LayoutComposition {
  Status status;
  // The monitors that get a wallpaper, the primary first (CheckLayout), and
  // for each the index of its canvas.
  MonitorLayout monitors;
  std::vector<std::size_t> canvasOf;
  // One composition per distinct monitor size; the primary's is first.
  std::vector<Canvas> canvases;
  // For each canvas, a BMP file already holding it (drawn ahead), or empty.
  std::vector<std::string> files;
  std::vector<Placement> placements;
  std::vector<WallpaperEntry> entries;       // the picture of each canvas
  ColorValue background = 0;                 // RGB, resolved once for every size
  Status picture;                            // as RenderResult's, from the first size that had one
  std::vector<std::string> skippedMonitors;  // CheckLayout's sentences

  const Canvas& primary() const { return canvases.front(); }
  const Placement& primaryPlacement() const { return placements.front(); }
  // The pictures for a desktop; `files` holds one path per canvas (or none).
  Wallpapers View(const std::vector<std::string>& files = {}) const;
};

// Draws the entry for one size with the fill colour already RGB: RenderEntry,
// or the same in a helper process (PictureHelpers::Render).
using SizeRenderer = std::function<RenderResult(const WallpaperEntry&, const Options&, ScreenSize)>;

// Composes `entry` for each usable monitor of `layout`.  Sizes are composed
// side by side on up to `workers` threads (0: one per core); each worker
// holds one canvas in the making at a time, and the one size of a
// single-monitor layout is composed on the calling thread exactly as
// RenderEntry does (or `render`, when given).  Fails only when no monitor is
// usable or a composition cannot be made at all; a monitor left out is named
// in skippedMonitors.
LayoutComposition RenderLayout(const WallpaperEntry& entry, const Options& options,
                               const MonitorLayout& layout, const SystemColorResolver& systemColor,
                               unsigned workers = 0, const SizeRenderer& render = nullptr);

// As RenderLayout, each usable monitor with its own picture: the i-th
// monitor of CheckLayout's order gets entries[i] (the first entry where
// there are fewer), composed at its size.  Monitors of one picture and one
// size share a canvas; the different ones are composed side by side as the
// sizes of RenderLayout are.
LayoutComposition RenderMonitors(const std::vector<WallpaperEntry>& entries, const Options& options,
                                 const MonitorLayout& layout,
                                 const SystemColorResolver& systemColor, unsigned workers = 0,
                                 const SizeRenderer& render = nullptr);

// Hands a change's pictures to the desktop.
using WallpapersSetter = std::function<Status(const Wallpapers& wallpapers)>;

// The files of the wallpaper on the desktop now: the primary monitor's, and
// those of the other monitor sizes.
struct WallpaperFiles {
  std::string primary;
  std::vector<std::string> others;
};

struct LayoutComposeResult {
  Status status;
  LayoutComposition composition;
};

// The whole change, for one screen or several: the primary's canvas is
// written as ComposedFilePath names it, and, with `everyMonitorFile` or when
// a canvas has its pixels only in its file, each other canvas beside it
// (MonitorFilePath of its own picture; a name two canvases would share gets
// a number); the pictures are handed to `setter`; only then are the files of
// the previous wallpaper that the new one does not reuse removed (RemoveOldFile)
// and `files` updated.  A failure leaves the desktop and `files` as they were.
LayoutComposeResult ComposeWallpapers(const WallpaperEntry& entry, const Options& options,
                                      const MonitorLayout& layout,
                                      const SystemColorResolver& systemColor,
                                      const std::string& tempFolder, bool everyMonitorFile,
                                      WallpaperFiles& files, const WallpapersSetter& setter);
// Its second half, for a composition made elsewhere (RenderLayout): the
// files written, the desktop set, the old files removed.
Status PutWallpapers(const LayoutComposition& composition, const WallpaperEntry& entry,
                     const std::string& tempFolder, bool everyMonitorFile, WallpaperFiles& files,
                     const WallpapersSetter& setter);

// tempFolder + the picture's file name + ".WxH.bmp": a monitor size other
// than the primary's.
std::string MonitorFilePath(const std::string& tempFolder, const WallpaperEntry& entry,
                            ScreenSize size);

}  // namespace vendaro
