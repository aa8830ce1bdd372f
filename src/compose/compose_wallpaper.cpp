#include "compose/compose_wallpaper.h"

#include "compose/edge_copy.h"
#include "compose/renderer.h"

namespace vendaro {

ColorValue ResolveFillColor(ColorValue fill, const SystemColorResolver& systemColor) {
  if (IsSystemColor(fill)) fill = systemColor ? systemColor(static_cast<int>(fill & 0xFF)) : 0;
  return fill & 0xFFFFFFu;
}

std::string ComposedFilePath(const std::string& tempFolder, const WallpaperEntry& entry) {
  return tempFolder + FileNamePart(entry.path) + ".bmp";
}

RenderResult RenderEntry(const WallpaperEntry& entry, const Options& options, ScreenSize screen,
                         const SystemColorResolver& systemColor, CanvasMemory* memory) {
  RenderResult result;
  const ColorValue background = ResolveFillColor(options.FillColor, systemColor);
  result.canvas = MakeCanvas(screen.width, screen.height, background, memory);
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
                               ScreenSize screen, const SystemColorResolver& systemColor) {
  RenderResult rendered = RenderEntry(entry, options, screen, systemColor);
  return {Status::Ok(), std::move(rendered.canvas), rendered.picture};
}

}  // namespace vendaro
