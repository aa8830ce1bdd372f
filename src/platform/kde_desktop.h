#pragma once

#include <string>

#include "platform/journaled_desktop.h"

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
  Result<std::optional<ColorValue>> ReadBackgroundColor(WaitBudget& budget) override;
};

// Runs a script in plasmashell; its printed output, or an error once the
// budget is spent.
Result<std::string> EvaluatePlasmaScript(const std::string& script, WaitBudget& budget);

// The colour text Plasma stores ("r,g,b" or "#rrggbb").
std::optional<ColorValue> ParsePlasmaColor(const std::string& text);

}  // namespace vendaro
