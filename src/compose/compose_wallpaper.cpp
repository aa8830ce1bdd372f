#include "compose/compose_wallpaper.h"

#include <cerrno>
#include <optional>

#include "compose/bmp_writer.h"
#include "compose/edge_copy.h"
#include "compose/renderer.h"
#include "model/text_rules.h"
#include "system/files.h"

namespace vendaro {

ComposeOptions ComposeOptionsOf(const Settings& settings) {
  ComposeOptions options;
  options.fillColor = settings.FillColor;
  options.gapFill = settings.GapFill;
  options.alignment = settings.Alignment;
  options.displayMode = settings.DisplayMode;
  options.smoothing = settings.Smoothing;
  options.interpolation = settings.Interpolation;
  return options;
}
namespace {

// The recorded size as the platform's integer conversion reads it.
std::optional<std::int32_t> RecordedSize(const WallpaperEntry& entry, const char* tag,
                                         Status& status) {
  const std::string text = TagValue(entry, tag);
  const auto value = ParseInteger(text);
  if (!value) status = Status::Error("'" + text + "' is not a valid integer value");
  return value;
}

ColorValue ResolveBackground(ColorValue fill, const SystemColorResolver& systemColor) {
  if (IsSystemColor(fill)) fill = systemColor ? systemColor(static_cast<int>(fill & 0xFF)) : 0;
  return fill & 0xFFFFFFu;
}

}  // namespace

std::string ComposedFilePath(const std::string& tempFolder, const WallpaperEntry& entry) {
  return tempFolder + FileNamePart(TagValue(entry, "<n>")) + ".bmp";
}

RenderResult RenderEntry(const WallpaperEntry& entry, const ComposeOptions& options,
                         ScreenSize screen, const SystemColorResolver& systemColor) {
  RenderResult result;
  const auto width = RecordedSize(entry, "<w>", result.status);
  if (!width) return result;
  const auto height = RecordedSize(entry, "<h>", result.status);
  if (!height) return result;

  const ColorValue background = ResolveBackground(options.fillColor, systemColor);
  result.canvas = MakeCanvas(screen.width, screen.height, background);
  result.placement = PlacePicture(*width, *height, screen.width, screen.height, options.displayMode,
                                  options.alignment);
  result.picture = DrawPicture(result.canvas, TagValue(entry, "<n>"), result.placement,
                               options.interpolation, background);
  const Placement& p = result.placement;
  if (options.gapFill == 2 && p.edgeFill)
    CopyEdgesToMargins(result.canvas, p.x, p.y, p.w, p.h, screen.width, screen.height,
                       options.alignment);
  return result;
}

ComposeResult ComposeWallpaper(const WallpaperEntry& entry, const ComposeOptions& options,
                               ScreenSize screen, const SystemColorResolver& systemColor,
                               bool preview, const std::string& tempFolder,
                               std::string& wallpaperFile, const WallpaperSetter& setter) {
  RenderResult rendered = RenderEntry(entry, options, screen, systemColor);
  ComposeResult result{rendered.status, std::move(rendered.canvas), {}, rendered.picture};
  if (!result.status || preview) return result;

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
