#pragma once

#include <optional>
#include <string>
#include <vector>

#include "system/status.h"

namespace vendaro {

// The running executable's full path, and its folder with a trailing '/'
// ("./" when the path is unknown).
std::string ExecutablePath();
std::string ExecutableFolder();

// The folders the program's private libraries (the picture module, the
// version-check library) are looked for in, in order, each with a trailing
// '/': beside the executable, where a build folder has them, then the
// private library folder of the installed layout, found from the
// executable's folder so that a moved or unpacked tree still works.
std::vector<std::string> PrivateLibraryFolders(const std::string& executableFolder);

// The full path of `fileName` in the first of those folders that holds it;
// empty when none does.
std::string FindPrivateLibrary(const std::string& executableFolder, const std::string& fileName);

// Lowers this process to the lowest ordinary priority.
void LowerProcessPriority();

// Gives memory the allocator keeps after large frees back to the system.
void ReleaseFreeMemory();

// A function exported by a shared library, loaded on first use and kept for
// the life of the process; an error with the loader's reason when it cannot
// be loaded.
Result<void*> LoadLibrarySymbol(const std::string& library, const char* symbol);

// Sets an environment variable for as long as it lives, then puts back what
// was there.  Not for programs whose other threads read the environment.
class TemporaryEnvironment {
 public:
  TemporaryEnvironment(const char* name, const char* value);
  ~TemporaryEnvironment();
  TemporaryEnvironment(const TemporaryEnvironment&) = delete;
  TemporaryEnvironment& operator=(const TemporaryEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace vendaro
