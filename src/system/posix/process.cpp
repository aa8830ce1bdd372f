#include "system/process.h"

#include <dlfcn.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "system/files.h"

namespace vendaro {

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(n));
}

std::string ExecutableFolder() {
  return FolderOfPath(ExecutablePath());
}

void LowerProcessPriority() {
  // Lowering is always allowed, so the result is not worth a message.  Not
  // SCHED_IDLE: Linux gives such a thread no boost for input, and on a busy
  // machine the tray menu and message boxes then stay unpainted for minutes.
  setpriority(PRIO_PROCESS, 0, 19);
}

void ReleaseFreeMemory() {
  // glibc keeps the pages of large frees in its arenas (one per decoding
  // thread) until asked.
  malloc_trim(0);
}

Result<void*> LoadLibrarySymbol(const std::string& library, const char* symbol) {
  // dlerror() gives null when the symbol exists with the value null.
  const auto failed = [] {
    const char* reason = dlerror();
    return Status::Error(reason ? reason : "symbol nie ma adresu");
  };
  void* handle = dlopen(library.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr) return failed();
  void* address = dlsym(handle, symbol);
  if (address == nullptr) return failed();
  return address;
}

TemporaryEnvironment::TemporaryEnvironment(const char* name, const char* value) : name_(name) {
  if (const char* now = std::getenv(name)) previous_ = now;
  setenv(name, value, 1);
}

TemporaryEnvironment::~TemporaryEnvironment() {
  if (previous_)
    setenv(name_.c_str(), previous_->c_str(), 1);
  else
    unsetenv(name_.c_str());
}

}  // namespace vendaro
