#include "platform/desktop/journaled_desktop.h"

#include <algorithm>

namespace vendaro {

Status JournaledDesktop::Named(const Status& status) const {
  if (status) return status;
  return Status::Error(std::string("Pulpit ") + DesktopTitle(kind()) + ": " + status.message());
}

Status JournaledDesktop::BeginJournal(WaitBudget& budget) {
  Result<std::optional<RestoreJournal>> left = ReadJournal(stateFolder_);
  // A journal of the same desktop left by a killed run (or by a one-off
  // change) still holds the user's values; what the desktop shows now may be
  // that run's wallpaper, so it must not be taken for the user's.
  if (left && *left && (*left)->kind == kind()) {
    journal_ = std::move(*left);
    return Status::Ok();
  }
  RestoreJournal journal;
  journal.kind = kind();
  if (Status status = Capture(journal, budget); !status) return status;
  if (Status status = WriteJournal(stateFolder_, journal); !status) return status;
  journal_ = std::move(journal);
  return Status::Ok();
}

Status JournaledDesktop::SetWallpaper(const std::string& path, const Canvas& canvas) {
  return Journaled([&](RestoreJournal& journal, WaitBudget& budget) {
    return Show(path, canvas, journal, budget);
  });
}

Status JournaledDesktop::SetWallpapers(const Wallpapers& wallpapers) {
  return Journaled([&](RestoreJournal& journal, WaitBudget& budget) {
    return ShowMonitors(wallpapers, journal, budget);
  });
}

Status JournaledDesktop::Journaled(
    const std::function<Status(RestoreJournal& journal, WaitBudget& budget)>& show) {
  WaitBudget& budget = BudgetForCall();
  EndChange();
  if (!journal_) {
    if (Status status = BeginJournal(budget); !status) return Named(status);
  }
  RestoreJournal updated = *journal_;
  Status status = show(updated, budget);
  if (updated != *journal_) {
    // Even after a failure: what was shown must be cleaned up later.
    Status written = WriteJournal(stateFolder_, updated);
    journal_ = std::move(updated);
    if (status && !written) return written;
  }
  return Named(status);
}

std::optional<ColorValue> JournaledDesktop::BackgroundColor() {
  if (!color_) {
    const Result<std::optional<ColorValue>> read = ReadBackgroundColor(BudgetForCall());
    if (!read) return std::nullopt;
    color_ = *read;
  }
  return *color_;
}

Status JournaledDesktop::RestoreUserWallpaper() {
  if (!journal_) return Status::Ok();
  WaitBudget budget;
  Status status = PutBack(*journal_, budget);
  if (!status) return Named(status);
  RemoveJournaledFiles(*journal_);
  journal_.reset();
  return RemoveJournal(stateFolder_);
}

Status FileShowingDesktop::ShowFiles(
    const std::vector<ShownSource>& sources, ShownFormat format, RestoreJournal& journal,
    const std::function<Status(const std::vector<std::string>& shownPaths)>& hand) {
  Result<std::vector<std::string>> written = WriteShownFiles(stateFolder(), sources, format);
  if (!written) return written.status();
  const std::vector<std::string>& shown = *written;
  const std::vector<std::string> before = journal.All(kShownFileKey);
  for (const std::string& path : shown) journal.Add(kShownFileKey, path);
  if (Status status = hand(shown); !status) return status;
  // The desktop names the new files now; the older ones are ours to drop.
  for (const std::string& file : before) {
    if (std::find(shown.begin(), shown.end(), file) == shown.end()) RemoveOwnFile(file);
  }
  journal.Erase(kShownFileKey);
  for (const std::string& path : shown) journal.Add(kShownFileKey, path);
  return Status::Ok();
}

Status FileShowingDesktop::ShowFile(
    const std::string& bmpPath, const Canvas& canvas, ShownFormat format, RestoreJournal& journal,
    const std::function<Status(const std::string& shownPath)>& hand) {
  return ShowFiles({{bmpPath, &canvas}}, format, journal,
                   [&](const std::vector<std::string>& shown) { return hand(shown.front()); });
}

void RemoveJournaledFiles(const RestoreJournal& journal) {
  for (const std::string& file : journal.All(kShownFileKey)) RemoveOwnFile(file);
}

}  // namespace vendaro
