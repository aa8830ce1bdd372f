#include "platform/session/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "system/process.h"

namespace vendaro {
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
  return {};
}

// An XDG base folder: the variable when it holds an absolute path (relative
// ones are to be ignored), else HOME + fallback.
std::string XdgFolder(const char* variable, const char* homeRelative) {
  if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
  std::string home = HomeFolder();
  if (home.empty()) return {};
  return home + "/" + homeRelative;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p with the given mode for the folders it creates.
bool MakeFolders(const std::string& path, mode_t mode) {
  if (path.empty()) return false;
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    std::string part = path.substr(0, slash);
    if (!part.empty() && mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  return IsDirectory(path);
}

}  // namespace

std::string ResolveDataFolder() {
  std::string base = XdgFolder("XDG_CONFIG_HOME", ".config");
  if (base.empty()) return ExecutableFolder();
  std::string folder = base + "/Vendaro";
  // The base folder may be missing on a fresh account; a failure is ignored
  // and later reads then give their defaults.
  MakeFolders(folder, 0700);
  return folder + "/";
}

std::string ResolveTempFolder() {
  std::string base = XdgFolder("XDG_STATE_HOME", ".local/state");
  if (base.empty()) return {};
  std::string folder = base + "/Vendaro";
  if (!MakeFolders(folder, 0700)) return {};
  // The composed bitmap has a predictable name: nobody else may write here.
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) return {};
  if ((st.st_mode & 0777) != 0700) chmod(folder.c_str(), 0700);
  return folder + "/";
}

std::string ResolveCacheFolder() {
  std::string base = XdgFolder("XDG_CACHE_HOME", ".cache");
  if (base.empty()) return {};
  std::string folder = base + "/Vendaro";
  return MakeFolders(folder, 0700) ? folder + "/" : std::string();
}

}  // namespace vendaro
