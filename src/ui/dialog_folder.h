#pragma once

#include <string>

namespace vendaro {

// Where the list's file dialogs (add pictures, add a folder, load and save a
// list) open: the folder last used in any of them while the program runs,
// else the user's Pictures folder (XDG user-dirs: "~/Obrazy" in Polish),
// else the home folder.  Kept in memory for the run, not in the settings
// file: the file's keys are shared with other versions of the program, and a
// folder remembered across runs may be an unmounted drive's by the next
// one.  Paths are bytes, folders end in '/'.
class DialogFolder {
 public:
  // `pictures` is the Pictures folder; empty asks the system.
  explicit DialogFolder(std::string pictures = {});

  std::string Start() const;
  // A chosen file remembers its folder; a chosen folder itself.
  void UsedFile(const std::string& path);
  void UsedFolder(const std::string& path);

  // The one memory of the program's run, which every settings window shares.
  static DialogFolder& OfThisRun();

 private:
  std::string pictures_;
  std::string last_;
};

}  // namespace vendaro
