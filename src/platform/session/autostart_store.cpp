#include "platform/session/autostart_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/ipc/child_process.h"
#include "platform/session/answering_wait.h"
#include "platform/session/desktop_entry.h"
#include "system/files.h"

namespace vendaro {
namespace {

constexpr const char* kEntryName = "Vendaro.desktop";
// The user types a password: as long as it takes, within reason.
constexpr int kPolkitWaitMs = 5 * 60 * 1000;

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder itself, or the nearest path above it that exists: where the
// missing folders would be created.  It must be a folder we may write in.
std::string NearestExisting(std::string path) {
  while (path.size() > 1 && access(path.c_str(), F_OK) != 0) {
    const std::size_t slash = path.rfind('/');
    path = slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
  }
  return path;
}

bool MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return IsDirectory(path);
  }
}

std::string ConfigHome() {
  if (const char* value = std::getenv("XDG_CONFIG_HOME"); value && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "") + "/.config";
}

std::string FirstConfigDir() {
  const char* value = std::getenv("XDG_CONFIG_DIRS");
  std::string dirs = value && *value ? value : "";
  std::string first = dirs.substr(0, dirs.find(':'));
  return first.empty() || first[0] != '/' ? std::string("/etc/xdg") : first;
}

}  // namespace

XdgAutostartStore::XdgAutostartStore(std::string userFolder, std::string systemFolder,
                                     Elevate elevate)
    : userFolder_(std::move(userFolder)),
      systemFolder_(std::move(systemFolder)),
      elevate_(std::move(elevate)) {}

const std::string& XdgAutostartStore::FolderOf(AutostartScope scope) const {
  return scope == AutostartScope::AllUsers ? systemFolder_ : userFolder_;
}

std::string XdgAutostartStore::EntryPath(AutostartScope scope) const {
  return FolderOf(scope) + "/" + kEntryName;
}

bool XdgAutostartStore::CanRead(AutostartScope scope) {
  return access(FolderOf(scope).c_str(), R_OK | X_OK) == 0;
}

bool XdgAutostartStore::CanWriteItself(AutostartScope scope) const {
  const std::string folder = NearestExisting(FolderOf(scope));
  return IsDirectory(folder) && access(folder.c_str(), W_OK | X_OK) == 0;
}

bool XdgAutostartStore::CanWrite(AutostartScope scope) {
  return CanWriteItself(scope) || (scope == AutostartScope::AllUsers && elevate_);
}

bool XdgAutostartStore::Exists(AutostartScope scope) {
  return access(EntryPath(scope).c_str(), F_OK) == 0;
}

std::optional<std::string> XdgAutostartStore::ReadCommand(AutostartScope scope) {
  FileBytes file = ReadWholeFile(EntryPath(scope));
  if (file.error != 0) return std::nullopt;
  std::optional<std::string> exec = DesktopEntryValue(file.bytes, "Exec");
  if (!exec) return std::nullopt;
  std::optional<std::vector<std::string>> arguments = ParseExecValue(*exec);
  // A command with arguments does not start the bare program path.
  if (!arguments || arguments->size() != 1) return std::nullopt;
  return arguments->front();
}

bool XdgAutostartStore::Write(AutostartScope scope, const std::string& executablePath) {
  if (!CanWriteItself(scope)) return WriteElevated(scope, executablePath);
  if (!MakeFolders(FolderOf(scope))) return false;
  return ReplaceFileContents(EntryPath(scope), AutostartEntryText(executablePath)) == 0;
}

// The entry is written where we may, then installed in place by the
// administrator's `install`, which makes the missing folders too.
bool XdgAutostartStore::WriteElevated(AutostartScope scope, const std::string& executablePath) {
  if (scope != AutostartScope::AllUsers || !elevate_) return false;
  char name[] = "/tmp/vendaro-autostart-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) return false;
  close(fd);
  const bool written =
      ReplaceFileContents(name, AutostartEntryText(executablePath)) == 0 && chmod(name, 0644) == 0;
  const bool installed =
      written && elevate_({"/usr/bin/install", "-D", "-m", "0644", name, EntryPath(scope)});
  unlink(name);
  return installed && ReadCommand(scope) == executablePath;
}

bool XdgAutostartStore::Remove(AutostartScope scope) {
  if (unlink(EntryPath(scope).c_str()) == 0 || errno == ENOENT) return true;
  const bool denied = errno == EACCES || errno == EPERM;
  if (!denied || scope != AutostartScope::AllUsers || !elevate_) return false;
  return elevate_({"/bin/rm", "-f", EntryPath(scope)}) && !Exists(scope);
}

XdgAutostartStore::Elevate PolkitElevation() {
  const std::string pkexec = FindProgram("pkexec");
  if (pkexec.empty()) return {};
  return [pkexec](const std::vector<std::string>& command) {
    return RunWhileAnswering(
        [pkexec, command] { return bool(RunProgram(pkexec, command, kPolkitWaitMs).status); });
  };
}

std::unique_ptr<XdgAutostartStore> MakeAutostartStore() {
  return std::make_unique<XdgAutostartStore>(ConfigHome() + "/autostart",
                                             FirstConfigDir() + "/autostart", PolkitElevation());
}

std::string AutostartEntryText(const std::string& executablePath) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Vendaro\n"
         "Exec=" +
         ExecValueFor(executablePath) +
         "\n"
         // What a desktop's list of programs started at login shows.
         "Icon=vendaro\n"
         "Comment=Change the desktop wallpaper on a schedule\n"
         "Comment[pl]=Zmienia tapetę pulpitu według harmonogramu\n"
         "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace vendaro
