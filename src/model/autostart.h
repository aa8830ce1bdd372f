#pragma once

#include <optional>
#include <string>

#include "model/options.h"

namespace vendaro {

// The two places a start at log-on can be registered.
enum class AutostartScope { CurrentUser, AllUsers };

// Where the registrations live (desktop entries on Linux, the Run key on
// Windows).  Tests use an in-memory or temporary-folder store.
class AutostartStore {
 public:
  virtual ~AutostartStore() = default;
  // Whether the place can be opened for reading, or for changing.
  virtual bool CanRead(AutostartScope scope) = 0;
  virtual bool CanWrite(AutostartScope scope) = 0;
  // Whether a registration named "Vendaro" exists there.
  virtual bool Exists(AutostartScope scope) = 0;
  // The program path the registration starts; nothing when it cannot be read
  // as one (another type, unparsable), which counts as not ours.
  virtual std::optional<std::string> ReadCommand(AutostartScope scope) = 0;
  virtual bool Write(AutostartScope scope, const std::string& executablePath) = 0;
  virtual bool Remove(AutostartScope scope) = 0;
};

// Which choice is in force: a machine-wide registration of ours wins.
AutostartChoice DetectAutostart(AutostartStore& store, const std::string& executablePath);

// Makes the store match the choice, writing only when needed: the other
// place is cleared first, except for the user's own registration, which
// goes only once the one for all users exists (never no autostart at all).
// False when the registration for all users could not be made (it needs an
// administrator); other failures are silent.
bool SyncAutostart(AutostartStore& store, AutostartChoice choice,
                   const std::string& executablePath);

}  // namespace vendaro
