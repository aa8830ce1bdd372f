#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/journaled_desktop.h"

namespace vendaro {

// The GSettings schema that holds the background of a GSettings desktop.
const char* GSettingsSchemaOf(DesktopKind kind);
bool GSettingsSchemaInstalled(const std::string& schema);

// GNOME, Budgie and Unity; Cinnamon; MATE.  The wallpaper goes into the
// desktop's background settings; the user's own values ("has the user set
// this key", not the effective value) are journaled and put back, and a key
// the user never set is reset rather than written.
//
// Where the settings live in dconf, writes go straight to dconf's writer
// service over D-Bus with a time limit: GSettings' own writes are queued
// and g_settings_sync() waits for a stopped service without end (25 s a
// commit), and without a session bus it drops them without a word.  Every
// write is read back.
class GSettingsDesktop : public FileShowingDesktop {
 public:
  GSettingsDesktop(DesktopKind kind, std::string stateFolder);
  ~GSettingsDesktop() override;

  DesktopKind kind() const override { return kind_; }
  Status PutBack(const RestoreJournal& journal, WaitBudget& budget) override;
  // Several monitors: the whole layout's picture made and written now.
  void PrepareWallpapers(const Wallpapers& ahead) override;
  void ForgetPreparedWallpapers() override;

 protected:
  Status Capture(RestoreJournal& journal, WaitBudget& budget) override;
  Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
              WaitBudget& budget) override;
  // One monitor: its picture, zoomed (it has the screen's size).  Several:
  // the whole layout's picture, spanned over them.
  Status ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                      WaitBudget& budget) override;
  Result<std::optional<ColorValue>> ReadBackgroundColor(WaitBudget& budget) override;

 private:
  // Writes the picture's file and the keys that show it with `options`.
  Status ShowPicture(const ShownSource& picture, const char* options, RestoreJournal& journal,
                     WaitBudget& budget);

  // The shown file of the whole layout made ahead, and what it was made of.
  struct Readied {
    std::vector<std::int64_t> stamp;
    std::string shownPath;
  };

  DesktopKind kind_;
  std::optional<Readied> readied_;
};

}  // namespace vendaro
