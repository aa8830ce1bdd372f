#include "platform/wlroots_desktop.h"

namespace vendaro {

Status WlrootsDesktop::SetWallpaper(const std::string& path, const Canvas& canvas) {
  std::string shownPath;
  if (Status status = shown_.Prepare(path, canvas, ShownFormat::Png, shownPath); !status) return status;
  // The new child draws before the old one goes, so the desktop never
  // flashes the user's background between two of ours.
  ChildProcess next;
  Status status = next.Start("swaybg", {"-o", "*", "-i", shownPath, "-m", "stretch"});
  if (!status) {
    shown_.Discard();
    return status;
  }
  child_ = std::move(next);
  shown_.Commit();
  return Status::Ok();
}

Status WlrootsDesktop::RestoreUserWallpaper() {
  child_.Stop();
  shown_.RemoveAll();
  return Status::Ok();
}

}  // namespace vendaro
