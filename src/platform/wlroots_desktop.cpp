#include "platform/wlroots_desktop.h"

#include <csignal>

#include "system/files.h"

namespace vendaro {
namespace {

std::vector<std::string> SwaybgArguments(const std::string& shownPath) {
  return {"-o", "*", "-i", shownPath, "-m", "stretch"};
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.rfind('/') + 1);
}

// The kept swaybg named in the pid file, if that process is still a swaybg
// showing a file of this folder (a pid may have been reused since).
pid_t KeptSwaybg(const std::string& pidFile, const std::string& folder) {
  FileBytes text = ReadWholeFile(pidFile);
  if (text.error != 0) return -1;
  const pid_t pid = static_cast<pid_t>(std::atol(text.bytes.c_str()));
  if (pid <= 0) return -1;
  FileBytes command = ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline");
  const bool ours =
      command.error == 0 && command.bytes.find("swaybg") != std::string::npos &&
      command.bytes.find(std::string(1, '\0') + folder + "vendaro-shown-") != std::string::npos;
  return ours ? pid : -1;
}

}  // namespace

Status WlrootsDesktop::SetWallpaper(const std::string& path, const Canvas& canvas) {
  std::string shownPath;
  if (Status status = shown_.Prepare(path, canvas, ShownFormat::Png, shownPath); !status)
    return status;
  Status status;
  if (keep_) {
    status = StartKept(shownPath);
  } else {
    // The new child draws before the old one goes, so the desktop never
    // flashes the user's background between two of ours.
    ChildProcess next;
    status = next.Start("swaybg", SwaybgArguments(shownPath));
    if (status) child_ = std::move(next);
  }
  if (!status) {
    shown_.Discard();
    return status;
  }
  shown_.Commit();
  return Status::Ok();
}

Status WlrootsDesktop::StartKept(const std::string& shownPath) {
  const std::string folder = FolderOf(shownPath);
  const std::string pidFile = folder + "vendaro-swaybg.pid";
  const pid_t previous = KeptSwaybg(pidFile, folder);
  pid_t pid = -1;
  if (Status status = ChildProcess::StartDetached("swaybg", SwaybgArguments(shownPath), pid);
      !status)
    return status;
  if (previous > 0) kill(previous, SIGTERM);
  if (int error = ReplaceFileContents(pidFile, std::to_string(pid)); error != 0) {
    return Status::Error("Nie można zapisać pliku " + pidFile + ": " + ErrorText(error));
  }
  return Status::Ok();
}

Status WlrootsDesktop::RestoreUserWallpaper() {
  child_.Stop();
  if (!keep_) shown_.RemoveAll();
  return Status::Ok();
}

}  // namespace vendaro
