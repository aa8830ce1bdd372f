#include "platform/dummy_desktop.h"

namespace vendaro {

Status DummyDesktop::SetWallpaper(const std::string& path, const Canvas& canvas) {
  setPaths.push_back(path);
  lastCanvas = canvas;
  if (setResult) ourWallpaperShown = true;
  return setResult;
}

Status DummyDesktop::RestoreUserWallpaper() {
  ++restoreCount;
  if (restoreResult) ourWallpaperShown = false;
  return restoreResult;
}

}  // namespace vendaro
