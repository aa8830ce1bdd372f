#include "platform/desktops/wlroots/wlroots_desktop.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <thread>

#include "platform/desktops/sway/sway_desktop.h"
#include "system/files.h"

namespace vendaro {
namespace {

constexpr const char* kPidFileName = "vendaro-swaybg.pid";
// swaybg gives up at once on a compositor without layer shell.
constexpr auto kStartCheck = std::chrono::milliseconds(150);

// The primary's picture on every output no name matches; with several
// monitors each named one its own.
std::vector<std::string> SwaybgArguments(const Wallpapers& wallpapers,
                                         const MonitorSources& sources,
                                         const std::vector<std::string>& shown) {
  std::vector<std::string> arguments{"-o", "*", "-i", shown.front(), "-m", "stretch"};
  if (wallpapers.monitors.size() < 2) return arguments;
  for (std::size_t i = 0; i < wallpapers.monitors.size(); ++i) {
    const std::string& name = wallpapers.monitors[i].monitor.name;
    if (name.empty() || name == "*") continue;
    arguments.insert(arguments.end(),
                     {"-o", name, "-i", shown[sources.sourceOf[i]], "-m", "stretch"});
  }
  return arguments;
}

std::string WithSlash(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// The kept swaybg named in the pid file, if that process is still a swaybg
// showing files of this folder (a pid may have been reused since), and the
// files it shows.
struct KeptProcess {
  pid_t pid = -1;
  std::vector<std::string> shown;
};

KeptProcess KeptSwaybg(const std::string& folder) {
  FileBytes text = ReadWholeFile(folder + kPidFileName);
  if (text.error != 0) return {};
  const pid_t pid = static_cast<pid_t>(std::atol(text.bytes.c_str()));
  if (pid <= 0) return {};
  FileBytes command = ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline");
  if (command.error != 0 || command.bytes.find("swaybg") == std::string::npos) return {};
  KeptProcess kept;
  const std::string marker = std::string(1, '\0') + folder + "vendaro-shown-";
  for (std::size_t at = command.bytes.find(marker); at != std::string::npos;
       at = command.bytes.find(marker, at + 1)) {
    const std::string file = command.bytes.c_str() + at + 1;
    if (std::find(kept.shown.begin(), kept.shown.end(), file) == kept.shown.end())
      kept.shown.push_back(file);
  }
  if (kept.shown.empty()) return {};
  kept.pid = pid;
  return kept;
}

ShownFormat SwaybgFormat() {
  return SwaybgReadsBmp() ? ShownFormat::Bmp : ShownFormat::Png;
}

}  // namespace

WlrootsDesktop::~WlrootsDesktop() = default;

Status WlrootsDesktop::SetWallpaper(const std::string& path, const Canvas& canvas) {
  return SetWallpapers(OneScreen(canvas, path));
}

Status WlrootsDesktop::SetWallpapers(const Wallpapers& wallpapers) {
  EndChange();
  if (wallpapers.monitors.empty()) return Status::Error("Pusty obraz tapety");
  const MonitorSources sources = DistinctPictures(wallpapers);
  Result<std::vector<std::string>> written =
      WriteShownFiles(stateFolder_, sources.sources, SwaybgFormat());
  if (!written) return written.status();
  std::vector<std::string>& shown = *written;
  const std::vector<std::string> arguments = SwaybgArguments(wallpapers, sources, shown);
  Status status;
  if (keep_) {
    status = StartKept(arguments);
  } else {
    // The new child draws before the old one goes, so the desktop never
    // flashes the user's background between two of ours.
    ChildProcess next;
    status = next.Start("swaybg", arguments);
    if (status) {
      std::this_thread::sleep_for(kStartCheck);
      if (!next.Running()) status = Status::Error("swaybg zakończył się od razu");
    }
    if (status) {
      child_ = std::move(next);
      // Ours is drawn under a one-off's swaybg: that one goes now.
      StopKept();
    }
  }
  if (!status) {
    for (const std::string& file : shown) RemoveOwnFile(file);
    return status;
  }
  if (!keep_) {
    for (const std::string& file : current_) RemoveOwnFile(file);
  }
  current_ = std::move(shown);
  return Status::Ok();
}

Status WlrootsDesktop::StartKept(const std::vector<std::string>& arguments) {
  const std::string folder = WithSlash(stateFolder_);
  const KeptProcess previous = KeptSwaybg(folder);
  const Result<pid_t> started = ChildProcess::StartDetached("swaybg", arguments);
  if (!started) return started.status();
  const pid_t pid = *started;
  // One that cannot draw (no layer shell, a file it cannot read) ends at
  // once; the wallpaper shown until now stays then.
  std::this_thread::sleep_for(kStartCheck);
  if (waitpid(pid, nullptr, WNOHANG) == pid) return Status::Error("swaybg zakończył się od razu");
  if (int error = ReplaceFileContents(folder + kPidFileName, std::to_string(pid)); error != 0) {
    kill(pid, SIGTERM);
    return Status::Error("Nie można zapisać pliku " + folder + kPidFileName + ": " +
                         ErrorText(error));
  }
  if (previous.pid > 0) {
    kill(previous.pid, SIGTERM);
    for (const std::string& file : previous.shown) RemoveOwnFile(file);
  }
  return Status::Ok();
}

void WlrootsDesktop::StopKept() {
  const std::string folder = WithSlash(stateFolder_);
  if (const KeptProcess kept = KeptSwaybg(folder); kept.pid > 0) {
    kill(kept.pid, SIGTERM);
    for (const std::string& file : kept.shown) RemoveOwnFile(file);
  }
  RemoveOwnFile(folder + kPidFileName);
}

Status WlrootsDesktop::RestoreUserWallpaper() {
  if (keep_) return Status::Ok();
  child_.Stop();
  for (const std::string& file : current_) RemoveOwnFile(file);
  current_.clear();
  StopKept();
  return Status::Ok();
}

}  // namespace vendaro
