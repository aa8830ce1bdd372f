#pragma once

#include "platform/desktop.h"

namespace vendaro {

// No desktop that we can reach (no display, or the named desktop's service
// and the display server both missing): a change fails with the reason, and
// there is never anything to give back.
class NoDesktop : public DesktopBackend {
 public:
  DesktopKind kind() const override { return DesktopKind::Unknown; }
  Status SetWallpaper(const std::string&, const Canvas&) override {
    return Status::Error("Nie rozpoznano pulpitu, na którym można ustawić tapetę");
  }
  Status RestoreUserWallpaper() override { return Status::Ok(); }
  std::optional<ColorValue> BackgroundColor() override { return std::nullopt; }
};

}  // namespace vendaro
