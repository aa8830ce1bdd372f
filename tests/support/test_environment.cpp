#include "support/test_environment.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vendaro::testing {
namespace {

std::string& Root() {
  static std::string root;
  return root;
}

std::string MakeDir(const std::string& parent, const std::string& name) {
  std::string path = parent + "/" + name;
  if (mkdir(path.c_str(), 0700) != 0) throw std::runtime_error("cannot create " + path);
  return path;
}

}  // namespace

std::string IsolateEnvironment() {
  if (!Root().empty()) return Root();
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/vendaro-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  Root() = pattern;
  std::string home = MakeDir(pattern, "home");
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", MakeDir(home, ".config").c_str(), 1);
  setenv("XDG_STATE_HOME", MakeDir(home, ".state").c_str(), 1);
  setenv("XDG_DATA_HOME", MakeDir(home, ".data").c_str(), 1);
  setenv("XDG_CACHE_HOME", MakeDir(home, ".cache").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", MakeDir(pattern, "runtime").c_str(), 1);
  setenv("XDG_CONFIG_DIRS", MakeDir(pattern, "etc-xdg").c_str(), 1);
  setenv("XDG_DATA_DIRS", MakeDir(pattern, "share").c_str(), 1);
  // No test may talk to the developer's desktop session.
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  unsetenv("XDG_CURRENT_DESKTOP");
  unsetenv("DESKTOP_SESSION");
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("DISPLAY");
  unsetenv("SWAYSOCK");
  unsetenv("HYPRLAND_INSTANCE_SIGNATURE");
  unsetenv("KDE_FULL_SESSION");
  setenv("GSETTINGS_BACKEND", "memory", 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  return pattern;
}

const std::string& SandboxRoot() {
  return Root();
}

void RemoveSandbox() {
  const char* keep = std::getenv("VENDARO_KEEP_TEST_FILES");
  if (Root().empty() || (keep && *keep)) return;
  std::error_code ignored;
  std::filesystem::remove_all(Root(), ignored);
}

std::string MakeTempDir(const std::string& prefix) {
  std::string pattern = IsolateEnvironment() + "/" + prefix + "-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

CommandRun RunShellCommand(const std::string& commandLine) {
  const std::string dir = MakeTempDir("command");
  // In a group, so that a redirection in `commandLine` wins over these.
  const std::string command = "{ " + commandLine + "; } >'" + dir + "/out' 2>'" + dir + "/err'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(dir + "/out"),
          ReadFileBytes(dir + "/err")};
}

}  // namespace vendaro::testing
