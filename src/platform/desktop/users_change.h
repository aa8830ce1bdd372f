#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/desktop/restore_journal.h"

namespace vendaro {

// Whether a value the desktop holds names a picture of ours (this
// process's or another of ours, such as a one-off change's).
using NamesOurs = std::function<bool(const std::string& value)>;

// The user picked a wallpaper with the desktop's own settings: what the
// desktop holds `now` differs from what it held right after our last change
// (`afterOurs`, read the same way).  Returns `journal` with the user's new
// values in place of the old ones, for every key the journal keeps, both
// readings have, that changed and that names nothing of ours; nothing when
// there is no such key.  Keys the desktop gained since (a monitor that came)
// are left to the next change, which journals them as it finds them.
std::optional<RestoreJournal> WithUsersChange(const RestoreJournal& journal,
                                              const RestoreJournal& afterOurs,
                                              const RestoreJournal& now, const NamesOurs& ours);

}  // namespace vendaro
