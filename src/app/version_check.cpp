#include "app/version_check.h"

#include "platform/session/version_library.h"
#include "vendaro_version.h"

namespace vendaro {

bool RunVersionCheck(std::int32_t flag, const std::string& libraryPath, const WarningBox& warn) {
  VersionLibraryCall call =
      CallVersionLibrary(libraryPath, "vendaro", VENDARO_VERSION, "Vendaro", flag);
  switch (call.outcome) {
    case VersionLibraryCall::Outcome::NotLoaded:
      warn(std::string("Nie znaleziono wymaganej biblioteki '") + VersionLibraryFileName() + "'",
           "Ostrzeżenie");
      return false;
    case VersionLibraryCall::Outcome::NoEntryPoint:
      return false;
    case VersionLibraryCall::Outcome::Called:
      break;
  }
  return (static_cast<std::uint32_t>(call.result) & 0xFFu) != 0;
}

}  // namespace vendaro
