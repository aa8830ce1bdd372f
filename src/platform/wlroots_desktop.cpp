#include "platform/wlroots_desktop.h"

#include <unistd.h>

#include <csignal>
#include <thread>

#include "platform/sway_desktop.h"
#include "system/files.h"

namespace vendaro {
namespace {

constexpr const char* kPidFileName = "vendaro-swaybg.pid";
// swaybg gives up at once on a compositor without layer shell.
constexpr auto kStartCheck = std::chrono::milliseconds(150);

std::vector<std::string> SwaybgArguments(const std::string& shownPath) {
  return {"-o", "*", "-i", shownPath, "-m", "stretch"};
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.rfind('/') + 1);
}

std::string WithSlash(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// The kept swaybg named in the pid file, if that process is still a swaybg
// showing a file of this folder (a pid may have been reused since), and the
// file it shows.
pid_t KeptSwaybg(const std::string& folder, std::string& shown) {
  FileBytes text = ReadWholeFile(folder + kPidFileName);
  if (text.error != 0) return -1;
  const pid_t pid = static_cast<pid_t>(std::atol(text.bytes.c_str()));
  if (pid <= 0) return -1;
  FileBytes command = ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline");
  const std::string marker = std::string(1, '\0') + folder + "vendaro-shown-";
  const std::size_t at = command.bytes.find(marker);
  if (command.error != 0 || command.bytes.find("swaybg") == std::string::npos ||
      at == std::string::npos)
    return -1;
  shown = command.bytes.c_str() + at + 1;
  return pid;
}

ShownFormat SwaybgFormat() {
  return SwaybgReadsBmp() ? ShownFormat::Bmp : ShownFormat::Png;
}

}  // namespace

WlrootsDesktop::~WlrootsDesktop() = default;

Status WlrootsDesktop::SetWallpaper(const std::string& path, const Canvas& canvas) {
  EndChange();
  std::string shownPath;
  if (Status status = WriteShownFile(path, canvas, SwaybgFormat(), shownPath); !status)
    return status;
  Status status;
  if (keep_) {
    status = StartKept(shownPath);
  } else {
    // The new child draws before the old one goes, so the desktop never
    // flashes the user's background between two of ours.
    ChildProcess next;
    status = next.Start("swaybg", SwaybgArguments(shownPath));
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
    RemoveOwnFile(shownPath);
    return status;
  }
  if (!keep_) RemoveOwnFile(current_);
  current_ = shownPath;
  return Status::Ok();
}

Status WlrootsDesktop::StartKept(const std::string& shownPath) {
  const std::string folder = FolderOf(shownPath);
  std::string previousFile;
  const pid_t previous = KeptSwaybg(folder, previousFile);
  const Result<pid_t> started = ChildProcess::StartDetached("swaybg", SwaybgArguments(shownPath));
  if (!started) return started.status();
  const pid_t pid = *started;
  if (int error = ReplaceFileContents(folder + kPidFileName, std::to_string(pid)); error != 0) {
    kill(pid, SIGTERM);
    return Status::Error("Nie można zapisać pliku " + folder + kPidFileName + ": " +
                         ErrorText(error));
  }
  if (previous > 0) {
    kill(previous, SIGTERM);
    RemoveOwnFile(previousFile);
  }
  return Status::Ok();
}

void WlrootsDesktop::StopKept() {
  const std::string folder = WithSlash(stateFolder_);
  std::string file;
  if (const pid_t pid = KeptSwaybg(folder, file); pid > 0) {
    kill(pid, SIGTERM);
    RemoveOwnFile(file);
  }
  RemoveOwnFile(folder + kPidFileName);
}

Status WlrootsDesktop::RestoreUserWallpaper() {
  if (keep_) return Status::Ok();
  child_.Stop();
  RemoveOwnFile(current_);
  current_.clear();
  StopKept();
  return Status::Ok();
}

}  // namespace vendaro
