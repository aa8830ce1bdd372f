#include "model/autostart.h"

namespace vendaro {
namespace {

bool IsOurs(AutostartStore& store, AutostartScope scope, const std::string& executablePath) {
  return store.Exists(scope) && store.ReadCommand(scope) == executablePath;
}

// Deletion does not look at what the registration starts.
void RemoveFrom(AutostartStore& store, AutostartScope scope) {
  if (store.CanWrite(scope) && store.Exists(scope)) store.Remove(scope);
}

void RegisterIn(AutostartStore& store, AutostartScope scope, const std::string& executablePath) {
  if (store.CanWrite(scope) && !IsOurs(store, scope, executablePath)) {
    store.Write(scope, executablePath);
  }
}

}  // namespace

AutostartChoice DetectAutostart(AutostartStore& store, const std::string& executablePath) {
  if (store.CanRead(AutostartScope::AllUsers) &&
      IsOurs(store, AutostartScope::AllUsers, executablePath)) {
    return AutostartChoice::AllUsers;
  }
  if (store.CanRead(AutostartScope::CurrentUser) &&
      IsOurs(store, AutostartScope::CurrentUser, executablePath)) {
    return AutostartChoice::CurrentUser;
  }
  return AutostartChoice::None;
}

bool SyncAutostart(AutostartStore& store, AutostartChoice choice,
                   const std::string& executablePath) {
  switch (choice) {
    case AutostartChoice::None:
      RemoveFrom(store, AutostartScope::AllUsers);
      RemoveFrom(store, AutostartScope::CurrentUser);
      break;
    case AutostartChoice::CurrentUser:
      RemoveFrom(store, AutostartScope::AllUsers);
      RegisterIn(store, AutostartScope::CurrentUser, executablePath);
      break;
    case AutostartChoice::AllUsers:
      RegisterIn(store, AutostartScope::AllUsers, executablePath);
      if (!IsOurs(store, AutostartScope::AllUsers, executablePath)) return false;
      RemoveFrom(store, AutostartScope::CurrentUser);
      break;
  }
  return true;
}

}  // namespace vendaro
