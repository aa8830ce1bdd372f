#include "platform/journaled_desktop.h"

namespace vendaro {

Status JournaledDesktop::BeginJournal() {
  Status status;
  std::optional<RestoreJournal> left = ReadJournal(stateFolder_, status);
  // A journal of the same desktop left by a killed run that could not be
  // mended still holds the user's values; what the desktop shows now may be
  // that run's wallpaper, so it must not be taken for the user's.
  if (left && left->kind == kind()) {
    journal_ = std::move(left);
    return Status::Ok();
  }
  RestoreJournal journal;
  journal.kind = kind();
  if (status = Capture(journal); !status) return status;
  if (status = WriteJournal(stateFolder_, journal); !status) return status;
  journal_ = std::move(journal);
  return Status::Ok();
}

Status JournaledDesktop::SetWallpaper(const std::string& path, const Canvas& canvas) {
  return Journaled([&](RestoreJournal& journal) { return Show(path, canvas, journal); });
}

Status JournaledDesktop::SetWallpapers(const Wallpapers& wallpapers) {
  return Journaled([&](RestoreJournal& journal) { return ShowMonitors(wallpapers, journal); });
}

Status JournaledDesktop::Journaled(const std::function<Status(RestoreJournal& journal)>& show) {
  if (!journal_) {
    if (Status status = BeginJournal(); !status) return status;
  }
  RestoreJournal updated = *journal_;
  Status status = show(updated);
  if (updated != *journal_) {
    // Even after a failure: what was shown must be cleaned up later.
    Status written = WriteJournal(stateFolder_, updated);
    journal_ = std::move(updated);
    if (status && !written) return written;
  }
  return status;
}

Status JournaledDesktop::RestoreUserWallpaper() {
  if (!journal_) return Status::Ok();
  Status status = PutBack(*journal_);
  if (!status) return status;
  RemoveJournaledFiles(*journal_);
  Forget();
  journal_.reset();
  return RemoveJournal(stateFolder_);
}

Status FileShowingDesktop::ShowFile(
    const std::string& bmpPath, const Canvas& canvas, ShownFormat format, RestoreJournal& journal,
    const std::function<Status(const std::string& shownPath)>& hand) {
  std::string shownPath;
  if (Status status = shown_.Prepare(bmpPath, canvas, format, shownPath); !status) return status;
  if (Status status = hand(shownPath); !status) {
    shown_.Discard();
    return status;
  }
  shown_.Commit();
  journal.Set(kShownFileKey, shown_.current());
  return Status::Ok();
}

void RemoveJournaledFiles(const RestoreJournal& journal) {
  for (const std::string& file : journal.All(kShownFileKey)) RemoveOwnFile(file);
}

}  // namespace vendaro
