#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/desktop/desktop.h"
#include "platform/desktop/restore_journal.h"
#include "platform/desktop/shown_file.h"

namespace vendaro {

// A desktop that remembers the user's wallpaper in its own settings: the
// user's values are read and journaled before our first change, and written
// back (then the journal removed) when the user's wallpaper is given back.
class JournaledDesktop : public DesktopBackend {
 public:
  explicit JournaledDesktop(std::string stateFolder) : stateFolder_(std::move(stateFolder)) {}

  Status SetWallpaper(const std::string& path, const Canvas& canvas) final;
  Status SetWallpapers(const Wallpapers& wallpapers) final;
  Status RestoreUserWallpaper() final;
  // Asked of the desktop once, then remembered: every composition asks, and
  // a slow service must not slow each one.
  std::optional<ColorValue> BackgroundColor() final;

  // Puts back what a journal (ours or a killed run's) holds, within the budget.
  virtual Status PutBack(const RestoreJournal& journal, WaitBudget& budget) = 0;

 protected:
  // Reads the user's values into the journal.
  virtual Status Capture(RestoreJournal& journal, WaitBudget& budget) = 0;
  // Shows the wallpaper; may note in the journal what it must clean up.
  virtual Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
                      WaitBudget& budget) = 0;
  // Shows each monitor's picture; a desktop that does not tell its monitors
  // apart shows the primary's.
  virtual Status ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                              WaitBudget& budget) {
    const MonitorPicture& primary = wallpapers.primary();
    return Show(primary.path, *primary.canvas, journal, budget);
  }

  // The colour the desktop stores now (nothing where it has none), or an
  // error when it cannot say within the budget: then it is asked again the
  // next time.
  virtual Result<std::optional<ColorValue>> ReadBackgroundColor(WaitBudget& budget) {
    (void)budget;
    return std::optional<ColorValue>();
  }
  // For a backend that learns the colour on the way (reading the settings).
  void RememberBackgroundColor(std::optional<ColorValue> color) { color_ = color; }

  const std::string& stateFolder() const { return stateFolder_; }
  // "Pulpit GNOME: " and the reason, for a failure the user is told of.
  Status Named(const Status& status) const;
  // Whether a value Capture reads names a picture of ours rather than the
  // user's: one of our shown files, by default.
  virtual bool NamesOurs(const std::string& value, const RestoreJournal& journal) const;

 private:
  Status BeginJournal(WaitBudget& budget);
  Status Journaled(const std::function<Status(RestoreJournal& journal, WaitBudget& budget)>& show);
  // Takes up what another of our processes wrote to the journal meanwhile.
  void ReadWhatOthersWrote();
  // What the desktop holds right after our change, to tell the user's own
  // change by later.
  void NoteOurs(WaitBudget& budget);
  // Makes a wallpaper the user chose since our last change the one given
  // back at the end.
  void TakeUsersChange(WaitBudget& budget);
  // Whether the desktop, read again for a short while, names one of `files`.
  bool ShowsLater(const std::vector<std::string>& files);

  std::string stateFolder_;
  std::optional<RestoreJournal> journal_;
  std::optional<RestoreJournal> afterOurs_;
  std::optional<std::optional<ColorValue>> color_;
};

// A journaled desktop that reads the wallpaper from a file we hand it.
class FileShowingDesktop : public JournaledDesktop {
 public:
  using JournaledDesktop::JournaledDesktop;

 protected:
  // Writes a new shown file for each source, in the state folder, and hands
  // their paths, in the same order, to `hand` (which tells the desktop).
  // When that works, the files of the change before stay, as the desktop
  // may still be loading them (GNOME Shell loads in the background, and a
  // file gone under it stops its wallpapers for good), and those of the
  // change before that go.  When it fails the new files stay listed in the
  // journal, since a service that timed out may still take them later, and
  // go with a later change or the give-back.
  Status ShowFiles(const std::vector<ShownSource>& sources, ShownFormat format,
                   RestoreJournal& journal,
                   const std::function<Status(const std::vector<std::string>& shownPaths)>& hand);
  // The same for a single picture.
  Status ShowFile(const std::string& bmpPath, const Canvas& canvas, ShownFormat format,
                  RestoreJournal& journal,
                  const std::function<Status(const std::string& shownPath)>& hand);
};

// Removes the files a journal lists as shown by us.
void RemoveJournaledFiles(const RestoreJournal& journal);
inline constexpr const char* kShownFileKey = "file";
// The files of the change before the last, kept for one more change.
inline constexpr const char* kEarlierFileKey = "earlier";

}  // namespace vendaro
