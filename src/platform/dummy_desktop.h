#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace vendaro {

// A desktop that only records what it was asked, for tests of the layers
// above.  Results and the background colour can be preset.
class DummyDesktop : public DesktopBackend {
 public:
  DesktopKind kind() const override { return DesktopKind::Unknown; }
  Status SetWallpaper(const std::string& path, const Canvas& canvas) override;
  Status RestoreUserWallpaper() override;
  std::optional<ColorValue> BackgroundColor() override { return backgroundColor; }

  // What was asked, in order.
  std::vector<std::string> setPaths;
  Canvas lastCanvas;
  int restoreCount = 0;
  // True between a successful set and the next restore.
  bool ourWallpaperShown = false;

  // Preset answers.
  Status setResult;
  Status restoreResult;
  std::optional<ColorValue> backgroundColor;
};

}  // namespace vendaro
