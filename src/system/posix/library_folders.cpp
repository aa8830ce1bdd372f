#include "system/files.h"
#include "system/process.h"
#include "vendaro_paths.h"

namespace vendaro {

// Not normalised: the kernel resolves the "..", which stays right where the
// executable's folder is reached through a link.
std::vector<std::string> PrivateLibraryFolders(const std::string& executableFolder) {
  return {executableFolder, executableFolder + VENDARO_PRIVATE_LIB_DIR "/"};
}

std::string FindPrivateLibrary(const std::string& executableFolder, const std::string& fileName) {
  for (const std::string& folder : PrivateLibraryFolders(executableFolder)) {
    if (IsNonFolder(folder + fileName)) return folder + fileName;
  }
  return {};
}

}  // namespace vendaro
