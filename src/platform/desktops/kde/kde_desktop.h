#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/journaled_desktop.h"

namespace vendaro {

// KDE Plasma 5.7 and later: each desktop's image plugin, driven through
// plasmashell's evaluateScript over D-Bus.  Plasma reads BMP itself.
class KdeDesktop : public FileShowingDesktop {
 public:
  using FileShowingDesktop::FileShowingDesktop;

  DesktopKind kind() const override { return DesktopKind::Kde; }
  Status PutBack(const RestoreJournal& journal, WaitBudget& budget) override;

 protected:
  Status Capture(RestoreJournal& journal, WaitBudget& budget) override;
  Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
              WaitBudget& budget) override;
  // Each screen's desktop the picture of its monitor; desktops of screens we
  // have no picture for, and of no screen, the primary's.
  Status ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                      WaitBudget& budget) override;
  Result<std::optional<ColorValue>> ReadBackgroundColor(WaitBudget& budget) override;
};

// Runs a script in plasmashell; its printed output, or an error once the
// budget is spent.
Result<std::string> EvaluatePlasmaScript(const std::string& script, WaitBudget& budget);

// The screens' geometries ReadScreensScript printed, by Plasma's screen
// number; nothing where the text is not such a list.
std::optional<std::vector<Rect>> ParsePlasmaScreens(const std::string& json);

// Which monitor of `wallpapers` each of Plasma's screens is (-1: none).
// Plasma numbers its screens in its own order, so they are matched by
// place: the monitor with the screen's rectangle, else the one at its
// top-left corner whose size is the screen's times one scale (Plasma's
// geometry is in logical pixels, ours in device pixels).
std::vector<int> MonitorsOfScreens(const std::vector<Rect>& screens, const Wallpapers& wallpapers);

// The colour text Plasma stores ("r,g,b" or "#rrggbb").
std::optional<ColorValue> ParsePlasmaColor(const std::string& text);

}  // namespace vendaro
