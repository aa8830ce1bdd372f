#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop/desktop.h"
#include "platform/ipc/unique_fd.h"
#include "system/status.h"

namespace vendaro {

// What a backend must put back when the program ends: the user's original
// values, kept in the `restore` file of the state folder so that a killed
// run can be mended at the next start.  Entries keep their order and a key
// may repeat.
struct RestoreJournal {
  DesktopKind kind = DesktopKind::Unknown;
  std::vector<std::pair<std::string, std::string>> entries;

  void Add(std::string key, std::string value) {
    entries.emplace_back(std::move(key), std::move(value));
  }
  // The first value of `key`, if any.
  std::optional<std::string> Find(const std::string& key) const;
  std::vector<std::string> All(const std::string& key) const;
  void Set(const std::string& key, std::string value);  // replaces every `key`
  void Erase(const std::string& key);

  bool operator==(const RestoreJournal&) const = default;
};

std::string JournalPath(const std::string& stateFolder);

// Written to a temporary name and renamed, so a crash leaves the old or the
// new journal, never half of one.
Status WriteJournal(const std::string& stateFolder, const RestoreJournal& journal);
// Nothing when there is no journal; an error when it cannot be read or parsed.
Result<std::optional<RestoreJournal>> ReadJournal(const std::string& stateFolder);
Status RemoveJournal(const std::string& stateFolder);

// Held around reading, changing and writing the journal: the resident
// program and a one-off change from the command line share it, and each
// must read what the other wrote before writing its own.  An flock on the
// state folder, so it goes with a process that dies and leaves no file.
class JournalLock {
 public:
  // Waits up to `waitMs` for the lock.  A folder that cannot be opened is
  // no one's to share: nothing is held, and nothing is busy.
  JournalLock(const std::string& stateFolder, int waitMs);
  // Another process held it all the time waited.
  bool busy() const { return busy_; }

 private:
  UniqueFd fd_;
  bool busy_ = false;
};
inline constexpr int kJournalLockWaitMs = 4000;

}  // namespace vendaro
