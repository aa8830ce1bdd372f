#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/desktop/journaled_desktop.h"
#include "platform/desktops/sway/sway_config.h"
#include "platform/desktops/sway/sway_reload.h"

namespace vendaro {

// One of sway's active outputs: its name, and where it lies in device
// pixels (its position in the layout, the size of its mode).
struct SwayOutput {
  std::string name;
  Rect area;
  bool operator==(const SwayOutput&) const = default;
};

// sway: the wallpaper is set through sway itself, `output NAME bg FILE
// stretch` for each output, which replaces the swaybg sway started from the
// user's own `output … bg` line (a swaybg of ours would be drawn under it).
// The user's lines are read from the loaded config (`swaymsg -t get_config`)
// and the files it includes before the first change, journaled, and sent
// again to give it back.  A reload of sway's config (`swaymsg reload`)
// brings the config's background back over ours: the resident program
// listens for reloads on sway's IPC socket and sets ours again.  The config
// is all that can be read of the user's wallpaper: one they set at run time
// with swaymsg is not known, and the config's comes back at the end.
class SwayDesktop : public FileShowingDesktop {
 public:
  explicit SwayDesktop(std::string stateFolder) : FileShowingDesktop(std::move(stateFolder)) {}
  ~SwayDesktop() override;

  DesktopKind kind() const override { return DesktopKind::Sway; }
  Status PutBack(const RestoreJournal& journal, WaitBudget& budget) override;
  void KeepAfterExit() override { oneOff_ = true; }

 protected:
  Status Capture(RestoreJournal& journal, WaitBudget& budget) override;
  Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
              WaitBudget& budget) override;
  // Each output its own monitor's picture; one we have none for, the primary's.
  Status ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                      WaitBudget& budget) override;

 private:
  // Asks sway for its outputs and sets on each the file `FileOf` names for it.
  Status ShowOnOutputs(
      const std::vector<ShownSource>& sources, RestoreJournal& journal, WaitBudget& budget,
      const std::function<const std::string&(const SwayOutput& output,
                                             const std::vector<std::string>& shown)>& fileOf);
  // Once ours is shown, sway's reloads are listened for, and each sets
  // ours again.
  void ListenForReloads();
  void ShowAgain();

  bool oneOff_ = false;
  std::mutex mutex_;
  std::vector<std::string> shownCommands_;  // under mutex_
  // Last: it ends (and stops calling ShowAgain) before the rest goes.
  std::unique_ptr<SwayReloadWatcher> watcher_;
};

// The path as one word of a sway command: quoted for sway's parser and for
// the shell-style expansion sway applies to background files.  Nothing for
// a path that sway cannot be given (a line break).
std::optional<std::string> SwayQuotedPath(const std::string& path);

// sway's active outputs from `swaymsg -t get_outputs`.
std::vector<SwayOutput> SwayOutputs(const std::string& outputsJson);

// Which monitor of `wallpapers` an output shows: the one of its name, else
// the one at its place with its size (a name the display server did not
// give), else none (-1): the output came after the composition.
int MonitorOfOutput(const SwayOutput& output, const Wallpapers& wallpapers);

// Whether swaybg can read BMP (it reads through gdk-pixbuf when built with it).
bool SwaybgReadsBmp();

}  // namespace vendaro
