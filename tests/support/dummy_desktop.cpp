#include "support/dummy_desktop.h"

namespace vendaro {

Status DummyDesktop::SetWallpaper(const std::string& path, const Canvas& canvas) {
  setPaths.push_back(path);
  lastCanvas = canvas;
  if (setResult) ourWallpaperShown = true;
  return setResult;
}

Status DummyDesktop::SetWallpapers(const Wallpapers& wallpapers) {
  auto& monitors = setMonitors.emplace_back();
  for (const MonitorPicture& picture : wallpapers.monitors)
    monitors.emplace_back(picture.monitor, picture.path);
  return DesktopBackend::SetWallpapers(wallpapers);
}

Status DummyDesktop::RestoreUserWallpaper() {
  ++restoreCount;
  if (restoreResult) ourWallpaperShown = false;
  return restoreResult;
}

}  // namespace vendaro
