#include "platform/desktop/users_change.h"

#include <algorithm>
#include <vector>

namespace vendaro {

std::optional<RestoreJournal> WithUsersChange(const RestoreJournal& journal,
                                              const RestoreJournal& afterOurs,
                                              const RestoreJournal& now, const NamesOurs& ours) {
  // In the order the desktop gave them, each once.
  std::vector<std::string> keys;
  for (const auto& [key, value] : now.entries) {
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
  }
  RestoreJournal updated = journal;
  bool changed = false;
  for (const std::string& key : keys) {
    // A key may repeat (one line each): the values count together.
    const std::vector<std::string> values = now.All(key);
    const std::vector<std::string> before = afterOurs.All(key);
    if (before.empty() || values == before || journal.All(key).empty()) continue;
    if (std::any_of(values.begin(), values.end(), ours)) continue;
    if (values == journal.All(key)) continue;
    updated.Erase(key);
    for (const std::string& value : values) updated.Add(key, value);
    changed = true;
  }
  if (!changed) return std::nullopt;
  return updated;
}

}  // namespace vendaro
