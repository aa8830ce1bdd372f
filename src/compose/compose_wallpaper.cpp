#include "compose/compose_wallpaper.h"

#include "compose/bmp_writer.h"
#include "compose/edge_copy.h"
#include "compose/renderer.h"
#include "system/files.h"

namespace vendaro {

ColorValue ResolveFillColor(ColorValue fill, const SystemColorResolver& systemColor) {
  if (IsSystemColor(fill)) fill = systemColor ? systemColor(static_cast<int>(fill & 0xFF)) : 0;
  return fill & 0xFFFFFFu;
}

std::string ComposedFilePath(const std::string& tempFolder, const WallpaperEntry& entry) {
  return tempFolder + FileNamePart(entry.path) + ".bmp";
}

RenderResult RenderEntry(const WallpaperEntry& entry, const Options& options, ScreenSize screen,
                         const SystemColorResolver& systemColor) {
  RenderResult result;
  const ColorValue background = ResolveFillColor(options.FillColor, systemColor);
  result.canvas = MakeCanvas(screen.width, screen.height, background);
  result.placement = PlacePicture(entry.width, entry.height, screen.width, screen.height,
                                  options.DisplayMode, options.Alignment);
  result.picture =
      DrawPicture(result.canvas, entry.path, result.placement, options.Interpolation, background);
  const Placement& p = result.placement;
  if (options.GapFill == MarginFill::EdgeCopy && p.edgeFill)
    CopyEdgesToMargins(result.canvas, p.x, p.y, p.w, p.h, screen.width, screen.height,
                       options.Alignment);
  return result;
}

ComposeResult ComposeWallpaper(const WallpaperEntry& entry, const Options& options,
                               ScreenSize screen, const SystemColorResolver& systemColor,
                               bool preview, const std::string& tempFolder,
                               std::string& wallpaperFile, const WallpaperSetter& setter) {
  RenderResult rendered = RenderEntry(entry, options, screen, systemColor);
  ComposeResult result{Status::Ok(), std::move(rendered.canvas), {}, rendered.picture};
  if (preview) return result;

  // Without the private folder the file would land in whatever the current
  // folder happens to be.
  if (tempFolder.empty()) {
    result.status = Status::Error("No private folder to write the wallpaper to");
    return result;
  }
  const std::string output = ComposedFilePath(tempFolder, entry);
  result.status = WriteBmp(output, result.canvas);
  if (!result.status) return result;
  result.status = setter ? setter(output, result.canvas) : Status::Error("no desktop to set");
  if (!result.status) {
    // The desktop still shows the previous file; only a new name is removed.
    if (output != wallpaperFile) RemoveFile(output);
    return result;
  }
  result.outputPath = output;
  // The new wallpaper is in place; a previous file that cannot be removed is
  // only clutter, not a reason to report the change as failed.
  if (!wallpaperFile.empty() && wallpaperFile != output) RemoveFile(wallpaperFile);
  wallpaperFile = output;
  return result;
}

}  // namespace vendaro
