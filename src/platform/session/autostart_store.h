#pragma once

#include <memory>
#include <string>

#include "model/autostart.h"

namespace vendaro {

// Autostart as XDG desktop entries named "Vendaro.desktop": one folder for
// this user, one for every user of the machine.  The entry's Exec key holds
// the program path; "ours" means it unquotes to exactly that path and
// nothing more.
class XdgAutostartStore : public AutostartStore {
 public:
  XdgAutostartStore(std::string userFolder, std::string systemFolder);

  bool CanRead(AutostartScope scope) override;
  bool CanWrite(AutostartScope scope) override;
  bool Exists(AutostartScope scope) override;
  std::optional<std::string> ReadCommand(AutostartScope scope) override;
  bool Write(AutostartScope scope, const std::string& executablePath) override;
  bool Remove(AutostartScope scope) override;

  std::string EntryPath(AutostartScope scope) const;

 private:
  const std::string& FolderOf(AutostartScope scope) const;

  std::string userFolder_;
  std::string systemFolder_;
};

// ${XDG_CONFIG_HOME:-~/.config}/autostart and the first of
// ${XDG_CONFIG_DIRS:-/etc/xdg} + /autostart.
std::unique_ptr<XdgAutostartStore> MakeAutostartStore();

// The whole text of our desktop entry for a program path.
std::string AutostartEntryText(const std::string& executablePath);

}  // namespace vendaro
