#pragma once

#include <string>

#include "platform/desktop/desktop.h"
#include "platform/desktop/shown_file.h"
#include "platform/ipc/child_process.h"

namespace vendaro {

// Hyprland and other compositors with the layer-shell protocol but no
// command of their own for the background: our own swaybg child draws the
// wallpaper and dies with us, so the user's background shows again when we
// stop it or are killed.  Nothing needs a journal.
class WlrootsDesktop : public DesktopBackend {
 public:
  explicit WlrootsDesktop(std::string stateFolder) : stateFolder_(std::move(stateFolder)) {}
  ~WlrootsDesktop() override;

  DesktopKind kind() const override { return DesktopKind::Wlroots; }
  Status SetWallpaper(const std::string& path, const Canvas& canvas) override;
  // One swaybg for every output: `-o NAME` for each monitor's picture, and
  // the primary's on `-o *`, which swaybg uses for an output that no name
  // matches (one that came after the composition).
  Status SetWallpapers(const Wallpapers& wallpapers) override;
  Status RestoreUserWallpaper() override;
  std::optional<ColorValue> BackgroundColor() override { return std::nullopt; }
  // The swaybg of a one-off change runs on by itself; the next one-off
  // change replaces it, and the resident program ends it.
  void KeepAfterExit() override { keep_ = true; }

 private:
  Status StartKept(const std::vector<std::string>& arguments);
  // Ends the swaybg a one-off change left running, and its files.
  void StopKept();

  std::string stateFolder_;
  ChildProcess child_;
  std::vector<std::string> current_;
  bool keep_ = false;
};

}  // namespace vendaro
