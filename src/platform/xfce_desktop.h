#pragma once

#include <string>

#include "platform/journaled_desktop.h"

namespace vendaro {

// XFCE: every workspace's `…/last-image` property of the xfce4-desktop
// channel, set through xfconf-query.  The user's values are journaled and
// written back; properties we had to create are removed again.
class XfceDesktop : public FileShowingDesktop {
 public:
  explicit XfceDesktop(std::string stateFolder) : FileShowingDesktop(std::move(stateFolder)) {}

  DesktopKind kind() const override { return DesktopKind::Xfce; }
  std::optional<ColorValue> BackgroundColor() override;
  Status PutBack(const RestoreJournal& journal) override;

 protected:
  Status Capture(RestoreJournal& journal) override;
  Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal) override;

 private:
  std::optional<std::optional<ColorValue>> color_;
};

}  // namespace vendaro
