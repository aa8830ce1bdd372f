#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/autostart.h"

namespace vendaro {

// Autostart as XDG desktop entries named "Vendaro.desktop": one folder for
// this user, one for every user of the machine.  The entry's Exec key holds
// the program path; "ours" means it unquotes to exactly that path and
// nothing more.
//
// The folder for every user belongs to root.  An ordinary user changes it
// through `elevate`, which runs a command with an administrator's rights
// once one has said yes (polkit asks for the password); without it the
// folder cannot be written.
class XdgAutostartStore : public AutostartStore {
 public:
  // Whether the command (an absolute program path and its arguments) ran
  // as an administrator and succeeded.
  using Elevate = std::function<bool(const std::vector<std::string>& command)>;

  XdgAutostartStore(std::string userFolder, std::string systemFolder, Elevate elevate = {});

  bool CanRead(AutostartScope scope) override;
  bool CanWrite(AutostartScope scope) override;
  bool Exists(AutostartScope scope) override;
  std::optional<std::string> ReadCommand(AutostartScope scope) override;
  bool Write(AutostartScope scope, const std::string& executablePath) override;
  bool Remove(AutostartScope scope) override;

  std::string EntryPath(AutostartScope scope) const;

 private:
  const std::string& FolderOf(AutostartScope scope) const;
  bool CanWriteItself(AutostartScope scope) const;
  bool WriteElevated(AutostartScope scope, const std::string& executablePath);

  std::string userFolder_;
  std::string systemFolder_;
  Elevate elevate_;
};

// ${XDG_CONFIG_HOME:-~/.config}/autostart and the first of
// ${XDG_CONFIG_DIRS:-/etc/xdg} + /autostart; the folder for every user
// through pkexec where it is installed.
std::unique_ptr<XdgAutostartStore> MakeAutostartStore();

// Runs a command through pkexec, waiting for the user to answer polkit's
// question while the program's windows go on repainting; empty when pkexec
// is not installed.
XdgAutostartStore::Elevate PolkitElevation();

// The whole text of our desktop entry for a program path.
std::string AutostartEntryText(const std::string& executablePath);

}  // namespace vendaro
