#include "platform/desktop/journaled_desktop.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/desktop/users_change.h"
#include "system/old_files.h"

namespace vendaro {
namespace {

// A desktop that did not answer within the time limit may still take the
// change a moment later (a stopped settings service carries out its queue
// once it goes on): it is read again for this long before the change
// counts as not confirmed.  Short: with the time limit and the start of a
// process it stays within the 3.5 s a command may keep the user waiting.
constexpr int kConfirmLaterMs = 600;
constexpr int kConfirmStepMs = 100;

std::string BaseName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

}  // namespace

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

bool JournaledDesktop::NamesOurs(const std::string& value, const RestoreJournal&) const {
  return NamesShownFile(value);
}

void JournaledDesktop::ReadWhatOthersWrote() {
  if (!journal_) return;
  Result<std::optional<RestoreJournal>> read = ReadJournal(stateFolder_);
  // Gone or unreadable: ours in memory is what there is to write back.
  if (read && *read && (*read)->kind == kind()) journal_ = std::move(**read);
}

void JournaledDesktop::NoteOurs(WaitBudget& budget) {
  RestoreJournal now;
  now.kind = kind();
  // Not readable now: the reading after an earlier change of ours still
  // serves, as a value of ours differs from it only by naming our file.
  if (Capture(now, budget)) afterOurs_ = std::move(now);
}

void JournaledDesktop::TakeUsersChange(WaitBudget& budget) {
  if (!journal_ || !afterOurs_) return;
  RestoreJournal now;
  now.kind = kind();
  // Not readable now: the journal stays as it is, and so does the reading
  // after our change, for the next time.
  if (!Capture(now, budget)) return;
  const RestoreJournal& journal = *journal_;
  std::optional<RestoreJournal> updated = WithUsersChange(
      journal, *afterOurs_, now,
      [this, &journal](const std::string& value) { return NamesOurs(value, journal); });
  if (!updated) return;
  // Noted once: until our next change the user's values are the ones read.
  afterOurs_ = std::move(now);
  if (WriteJournal(stateFolder_, *updated)) journal_ = std::move(updated);
}

bool JournaledDesktop::ShowsLater(const std::vector<std::string>& files) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::milliseconds(kConfirmLaterMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0) return false;
    WaitBudget budget(int(left.count()));
    RestoreJournal now;
    now.kind = kind();
    if (Capture(now, budget)) {
      for (const auto& [key, value] : now.entries) {
        for (const std::string& file : files) {
          if (value.find(BaseName(file)) != std::string::npos) return true;
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kConfirmStepMs));
  }
}

Status JournaledDesktop::Journaled(
    const std::function<Status(RestoreJournal& journal, WaitBudget& budget)>& show) {
  WaitBudget& budget = BudgetForCall();
  EndChange();
  const JournalLock lock(stateFolder_, kJournalLockWaitMs);
  if (lock.busy()) return Named(Status::Error("inny proces programu trzyma dziennik przywracania"));
  ReadWhatOthersWrote();
  if (!journal_) {
    if (Status status = BeginJournal(budget); !status) return Named(status);
  } else {
    TakeUsersChange(budget);
  }
  RestoreJournal updated = *journal_;
  Status status = show(updated, budget);
  // The files this change handed over, by the journal.
  std::vector<std::string> handed = updated.All(kShownFileKey);
  std::erase_if(handed, [&](const std::string& file) {
    const std::vector<std::string> before = journal_->All(kShownFileKey);
    return std::find(before.begin(), before.end(), file) != before.end();
  });
  if (updated != *journal_) {
    // Even after a failure: what was shown must be cleaned up later.
    Status written = WriteJournal(stateFolder_, updated);
    journal_ = std::move(updated);
    if (status && !written) return written;
  }
  // Out of time is not a refusal: a change that lands late is no failure.
  if (!status && budget.Spent() && !handed.empty()) {
    if (ShowsLater(handed)) return Status::Ok();
    status =
        Status::Error(status.message() + "; zmiana tapety niepotwierdzona, może jeszcze nastąpić");
  }
  if (status) NoteOurs(budget);
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
  // Without the lock the journal is still read and given back: at the end
  // nothing is better than waiting.
  const JournalLock lock(stateFolder_, kJournalLockWaitMs);
  ReadWhatOthersWrote();
  TakeUsersChange(budget);
  Status status = PutBack(*journal_, budget);
  if (!status) return Named(status);
  RemoveJournaledFiles(*journal_);
  journal_.reset();
  afterOurs_.reset();
  return RemoveJournal(stateFolder_);
}

Status FileShowingDesktop::ShowFiles(
    const std::vector<ShownSource>& sources, ShownFormat format, RestoreJournal& journal,
    const std::function<Status(const std::vector<std::string>& shownPaths)>& hand) {
  Result<std::vector<std::string>> written = WriteShownFiles(stateFolder(), sources, format);
  if (!written) return written.status();
  const std::vector<std::string>& shown = *written;
  const std::vector<std::string> before = journal.All(kShownFileKey);
  const std::vector<std::string> earlier = journal.All(kEarlierFileKey);
  for (const std::string& path : shown) journal.Add(kShownFileKey, path);
  if (Status status = hand(shown); !status) return status;
  auto named = [](const std::vector<std::string>& files, const std::string& file) {
    return std::find(files.begin(), files.end(), file) != files.end();
  };
  // The desktop names the new files now; those before them stay for one
  // more change, the earlier ones are ours to drop.
  for (const std::string& file : earlier) {
    if (!named(shown, file) && !named(before, file)) RemoveOldFile(file);
  }
  journal.Erase(kEarlierFileKey);
  for (const std::string& file : before) {
    if (!named(shown, file)) journal.Add(kEarlierFileKey, file);
  }
  journal.Erase(kShownFileKey);
  for (const std::string& path : shown) journal.Add(kShownFileKey, path);
  return Status::Ok();
}

Status FileShowingDesktop::ShowFile(
    const std::string& bmpPath, const Canvas& canvas, ShownFormat format, RestoreJournal& journal,
    const std::function<Status(const std::string& shownPath)>& hand) {
  return ShowFiles({{bmpPath, &canvas, {}}}, format, journal,
                   [&](const std::vector<std::string>& shown) { return hand(shown.front()); });
}

void RemoveJournaledFiles(const RestoreJournal& journal) {
  for (const char* key : {kShownFileKey, kEarlierFileKey}) {
    for (const std::string& file : journal.All(key)) RemoveOwnFile(file);
  }
}

}  // namespace vendaro
