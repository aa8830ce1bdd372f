#pragma once

#include "platform/desktop/desktop.h"

namespace vendaro {

// No desktop that we can reach (no display, or the named desktop's service
// and the display server both missing): a change fails with the reason, and
// there is never anything to give back.
class NoDesktop : public DesktopBackend {
 public:
  explicit NoDesktop(std::string reason = "Nie rozpoznano pulpitu, na którym można ustawić tapetę")
      : reason_(std::move(reason)) {}
  DesktopKind kind() const override { return DesktopKind::Unknown; }
  Status SetWallpaper(const std::string&, const Canvas&) override {
    EndChange();
    return Status::Error(reason_);
  }
  Status RestoreUserWallpaper() override { return Status::Ok(); }
  std::optional<ColorValue> BackgroundColor() override { return std::nullopt; }

 private:
  std::string reason_;
};

}  // namespace vendaro
