#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop/desktop.h"

namespace vendaro {

// A desktop that only records what it was asked, for tests of the layers
// above.  Results and the background colour can be preset.
class DummyDesktop : public DesktopBackend {
 public:
  DesktopKind kind() const override { return DesktopKind::Unknown; }
  Status SetWallpaper(const std::string& path, const Canvas& canvas) override;
  // Records each monitor, then sets the primary's picture as SetWallpaper.
  Status SetWallpapers(const Wallpapers& wallpapers) override;
  Status RestoreUserWallpaper() override;
  std::optional<ColorValue> BackgroundColor() override { return backgroundColor; }

  // What was asked, in order.
  std::vector<std::string> setPaths;
  Canvas lastCanvas;
  // Per SetWallpapers call: each monitor with the path of its picture.
  std::vector<std::vector<std::pair<Monitor, std::string>>> setMonitors;
  int restoreCount = 0;
  // True between a successful set and the next restore.
  bool ourWallpaperShown = false;

  // Preset answers.
  Status setResult;
  Status restoreResult;
  std::optional<ColorValue> backgroundColor;
};

}  // namespace vendaro
