#pragma once

#include <string>

#include "platform/desktop/journaled_desktop.h"

namespace vendaro {

// XFCE: every `…/last-image` property of the xfce4-desktop channel (and its
// `…/image-style`), each monitor's with that monitor's picture, written to
// xfconfd over D-Bus: one round trip a property instead of an xfconf-query
// process each, all within one change's time limit.  The user's values are journaled with their
// types and written back; properties we had to create are removed again.
class XfceDesktop : public FileShowingDesktop {
 public:
  using FileShowingDesktop::FileShowingDesktop;

  DesktopKind kind() const override { return DesktopKind::Xfce; }
  Status PutBack(const RestoreJournal& journal, WaitBudget& budget) override;

 protected:
  Status Capture(RestoreJournal& journal, WaitBudget& budget) override;
  Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
              WaitBudget& budget) override;
  // Each monitor's `…/monitor<NAME>/…/last-image` its own picture (created
  // where xfdesktop has not stored one yet); the primary's on properties of
  // monitors we have no picture for.
  Status ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                      WaitBudget& budget) override;
  Result<std::optional<ColorValue>> ReadBackgroundColor(WaitBudget& budget) override;
};

// The bus name of XFCE's settings service.
inline constexpr const char* kXfconfBusName = "org.xfce.Xfconf";

}  // namespace vendaro
