#pragma once

#include <string>

#include "platform/journaled_desktop.h"

namespace vendaro {

// The GSettings schema that holds the background of a GSettings desktop.
const char* GSettingsSchemaOf(DesktopKind kind);
bool GSettingsSchemaInstalled(const std::string& schema);

// GNOME, Budgie and Unity; Cinnamon; MATE.  The wallpaper goes into the
// desktop's background settings; the user's own values ("has the user set
// this key", not the effective value) are journaled and put back, and a key
// the user never set is reset rather than written.
class GSettingsDesktop : public FileShowingDesktop {
 public:
  GSettingsDesktop(DesktopKind kind, std::string stateFolder);

  DesktopKind kind() const override { return kind_; }
  std::optional<ColorValue> BackgroundColor() override;
  Status PutBack(const RestoreJournal& journal) override;

 protected:
  Status Capture(RestoreJournal& journal) override;
  Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal) override;

 private:
  DesktopKind kind_;
};

}  // namespace vendaro
