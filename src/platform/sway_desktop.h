#pragma once

#include <string>
#include <vector>

#include "platform/journaled_desktop.h"

namespace vendaro {

// sway: the wallpaper is set through sway itself, `output NAME bg FILE
// stretch` for each output, which replaces the swaybg sway started from the
// user's own `output … bg` line (a swaybg of ours would be drawn under it).
// The user's lines are read from the loaded config (`swaymsg -t get_config`)
// before the first change, journaled, and sent again to give it back.
class SwayDesktop : public FileShowingDesktop {
 public:
  explicit SwayDesktop(std::string stateFolder) : FileShowingDesktop(std::move(stateFolder)) {}

  DesktopKind kind() const override { return DesktopKind::Sway; }
  Status PutBack(const RestoreJournal& journal, WaitBudget& budget) override;

 protected:
  Status Capture(RestoreJournal& journal, WaitBudget& budget) override;
  Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
              WaitBudget& budget) override;
};

// The `output NAME bg …` commands that give back the backgrounds a sway
// config sets, in its order: single lines and `output NAME { … }` blocks,
// `bg` or `background`, comments and line continuations as sway reads them.
std::vector<std::string> SwayBackgroundCommands(const std::string& configText);

// The path as one word of a sway command: quoted for sway's parser and for
// the shell-style expansion sway applies to background files.  Nothing for
// a path that sway cannot be given (a line break).
std::optional<std::string> SwayQuotedPath(const std::string& path);

// The names of sway's active outputs from `swaymsg -t get_outputs`.
std::vector<std::string> SwayOutputNames(const std::string& outputsJson);

// Whether swaybg can read BMP (it reads through gdk-pixbuf when built with it).
bool SwaybgReadsBmp();

}  // namespace vendaro
