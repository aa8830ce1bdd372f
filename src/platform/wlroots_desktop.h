#pragma once

#include <string>

#include "platform/child_process.h"
#include "platform/desktop.h"
#include "platform/shown_file.h"

namespace vendaro {

// sway, Hyprland and other compositors with the layer-shell protocol: our own
// swaybg child draws the wallpaper and dies with us, so the user's background
// (the compositor's, or the user's own swaybg below ours) shows again when
// we stop it or are killed.  Nothing needs a journal.
class WlrootsDesktop : public DesktopBackend {
 public:
  DesktopKind kind() const override { return DesktopKind::Wlroots; }
  Status SetWallpaper(const std::string& path, const Canvas& canvas) override;
  Status RestoreUserWallpaper() override;
  std::optional<ColorValue> BackgroundColor() override { return std::nullopt; }
  // The swaybg of a one-off change runs on by itself; the next one-off
  // change from the same folder replaces it.
  void KeepAfterExit() override { keep_ = true; }

 private:
  Status StartKept(const std::string& shownPath);

  ChildProcess child_;
  ShownFiles shown_;
  bool keep_ = false;
};

}  // namespace vendaro
