#include "app/change_scheduler.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "app/old_bitmaps.h"
#include "model/ini_file.h"
#include "model/wallpaper_entry.h"

namespace vendaro {
namespace {

// Ends a change however it ends (an error or an exception inside the
// composition included): the menu items come back and the change is over.
class ChangeScope {
 public:
  explicit ChangeScope(std::function<void()> end) : end_(std::move(end)) {}
  ~ChangeScope() { end_(); }
  ChangeScope(const ChangeScope&) = delete;
  ChangeScope& operator=(const ChangeScope&) = delete;

 private:
  std::function<void()> end_;
};

}  // namespace

ChangeStamp SchedulerClock::Stamp() const {
  ChangeStamp stamp;
  stamp.today = LocalDateOf(now());
  stamp.secondsSinceBoot = static_cast<std::uint32_t>(millisecondsSinceBoot() / 1000u);
  stamp.bootId = bootId();
  return stamp;
}

ChangeScheduler::ChangeScheduler(SchedulerClock clock, PlatformRandom& random, SchedulerHooks hooks)
    : clock_(std::move(clock)), random_(random), hooks_(std::move(hooks)) {}

void ChangeScheduler::Tick() {
  // With nothing to show, a change would only repeat the empty-list balloon
  // (every second when Apply has set the interval to 0): rest instead.
  if (state_.list.empty()) return;
  Settings& s = state_.settings;
  if (s.ChangeTrigger == ChangeWhen::AfterInterval) {
    ++s.ElapsedSeconds;
    // Computed in 32 bits as the original did, then widened with its sign.
    auto limit = static_cast<std::int32_t>(static_cast<std::uint32_t>(s.IntervalMinutes) * 60u);
    if (s.ElapsedSeconds < std::int64_t{limit}) return;
    Next();
    s.ElapsedSeconds = 0;
  } else if (s.ChangeTrigger == ChangeWhen::OnceADay) {
    if (DaySpan(s.LastChangeDate, LocalDateOf(clock_.now())) > 0) Next();
  }
}

void ChangeScheduler::StartUpDecision() {
  Settings& s = state_.settings;
  bool due = false;
  if (s.ChangeTrigger == ChangeWhen::OnceADay) {
    DateTime today = LocalDateOf(clock_.now());
    s.LastChangeDate = IniFile(IniPath()).ReadDate(ini::kChanges, ini::kChangeInfo, today);
    due = DaySpan(s.LastChangeDate, today) > 0;
  } else if (s.ChangeTrigger == ChangeWhen::OncePerStart) {
    due = DueAtStartUnderSessionTrigger();
  }
  if (due) {
    Next();
  } else {
    ApplyCurrentEntry();
  }
}

// A new system start since the last change?  The boot identity decides when
// both it and a stored one exist; otherwise the stored second since boot is
// compared with now, which misses a restart when the program starts later
// after boot than it last changed.
bool ChangeScheduler::DueAtStartUnderSessionTrigger() const {
  IniFile ini(IniPath());
  std::string current = clock_.bootId();
  std::string stored = ini.ReadString(ini::kChanges, ini::kBootId, "");
  if (!current.empty() && !stored.empty()) return stored != current;
  std::uint64_t nowMs = clock_.millisecondsSinceBoot();
  auto nowSeconds = static_cast<std::int32_t>(static_cast<std::uint32_t>(nowMs / 1000u));
  std::int64_t threshold =
      std::int64_t{ini.ReadInteger(ini::kChanges, ini::kChangeInfo, nowSeconds)} * 1000;
  return threshold > static_cast<std::int64_t>(nowMs);
}

void ChangeScheduler::Next() {
  if (changing_) return;
  if (hooks_.beforeChoosing) hooks_.beforeChoosing();
  Settings& s = state_.settings;
  s.PreviousPosition = s.CurrentPosition;
  // Not value_or: a new pick would use up a place of the round (and a
  // number of the generator) while the history leads.
  const std::optional<std::int32_t> ahead = StepInHistory(true);
  s.CurrentPosition = ahead ? *ahead : NextPosition();
  s.ElapsedSeconds = 1;
  ApplyCurrentEntry();
  StorePosition();
}

std::int32_t ChangeScheduler::NextPosition() {
  const Settings& s = state_.settings;
  const EntryList& list = state_.list;
  auto count = static_cast<std::uint32_t>(list.size());
  if (s.RandomOrder && s.NoRepeats) {
    const auto at = static_cast<std::size_t>(s.CurrentPosition);
    const std::string onScreen = at < list.size() ? list[at].path : std::string();
    return static_cast<std::int32_t>(
        round_.Next(state_.tempFolder, list, random_, onScreen).value_or(0));
  }
  if (s.RandomOrder) return random_.Random(static_cast<std::int32_t>(count));
  return InListOrder(count);
}

std::int32_t ChangeScheduler::InListOrder(std::uint32_t count) const {
  const int step = hooks_.picturesPerChange ? std::max(1, hooks_.picturesPerChange()) : 1;
  const auto current = static_cast<std::uint32_t>(state_.settings.CurrentPosition);
  const std::uint32_t next = current + static_cast<std::uint32_t>(step);
  // After the last entry comes the first; a position outside the list
  // starts it again.
  if (next < count) return static_cast<std::int32_t>(next);
  return current < count ? static_cast<std::int32_t>(next % count) : 0;
}

std::optional<std::int32_t> ChangeScheduler::PeekNext() const {
  const Settings& s = state_.settings;
  const EntryList& list = state_.list;
  if (list.empty()) return std::nullopt;
  const auto positionOf = [&list](const std::string& path) -> std::optional<std::int32_t> {
    const auto found = std::find_if(
        list.begin(), list.end(), [&](const WallpaperEntry& entry) { return entry.path == path; });
    if (found == list.end()) return std::nullopt;
    return static_cast<std::int32_t>(found - list.begin());
  };
  if (s.WalkHistory) {
    // Not read yet: the next change reads it, and may walk it.
    if (!history_) return std::nullopt;
    const std::vector<std::string>& paths = history_->paths();
    for (std::size_t at = history_->cursor() + 1; at < paths.size(); ++at)
      if (auto position = positionOf(paths[at])) return position;
  }
  if (s.RandomOrder && s.NoRepeats) {
    // A round still to be dealt takes numbers of the generator in its own way.
    if (round_.round().waiting().empty()) return std::nullopt;
    return positionOf(round_.round().waiting().back());
  }
  if (s.RandomOrder) {
    // The same number the generator gives the change, from a copy.
    PlatformRandom copy = random_;
    return copy.Random(static_cast<std::int32_t>(list.size()));
  }
  return InListOrder(static_cast<std::uint32_t>(list.size()));
}

std::optional<std::int32_t> ChangeScheduler::StepInHistory(bool forward) {
  if (!state_.settings.WalkHistory) return std::nullopt;
  const EntryList& list = state_.list;
  auto find = [&list](const std::string& path) {
    return std::find_if(list.begin(), list.end(),
                        [&](const WallpaperEntry& entry) { return entry.path == path; });
  };
  auto known = [&](const std::string& path) { return find(path) != list.end(); };
  ChangeHistory& history = History();
  const std::optional<std::string> path = forward ? history.Forward(known) : history.Back(known);
  // A history that cannot be written is only a shorter memory next time.
  if (!state_.tempFolder.empty()) SaveChangeHistory(state_.tempFolder, history);
  if (!path) return std::nullopt;
  return static_cast<std::int32_t>(find(*path) - list.begin());
}

void ChangeScheduler::KeepInHistory(const std::string& path) {
  if (!state_.settings.WalkHistory) return;
  if (History().Landed(path) && !state_.tempFolder.empty())
    SaveChangeHistory(state_.tempFolder, *history_);
}

ChangeHistory& ChangeScheduler::History() {
  if (!history_)
    history_ = state_.tempFolder.empty() ? ChangeHistory{} : LoadChangeHistory(state_.tempFolder);
  return *history_;
}

void ChangeScheduler::Previous() {
  if (changing_) return;
  Settings& s = state_.settings;
  // Walking the history, the oldest picture stays where there is nothing
  // further back.
  const std::int32_t fallback = s.WalkHistory ? s.CurrentPosition : s.PreviousPosition;
  s.CurrentPosition = StepInHistory(false).value_or(fallback);
  s.ElapsedSeconds = 1;
  ApplyCurrentEntry();
  StorePosition();
}

void ChangeScheduler::StorePosition() {
  Settings& s = state_.settings;
  ChangeStamp stamp = clock_.Stamp();
  if (s.ChangeTrigger == ChangeWhen::OnceADay) s.LastChangeDate = stamp.today;
  Status status = SavePosition(IniPath(), s.CurrentPosition, s.ChangeTrigger, stamp);
  if (!status) hooks_.showError(status.message());
}

void ChangeScheduler::ApplyCurrentEntry() {
  // Apply in the settings window can be pressed inside the notification
  // window's message pumps: its change follows once this one has ended.
  if (changing_) {
    applyAgain_ = true;
    return;
  }
  do {
    ApplyOnce();
  } while (std::exchange(applyAgain_, false));
  RunWaiting();
}

void ChangeScheduler::ComposeAgain(std::function<bool()> stillNeeded) {
  if (changing_) {
    composeAgain_ = std::move(stillNeeded);
    return;
  }
  if (!stillNeeded || stillNeeded()) ComposeAgainNow();
  RunWaiting();
}

// What was asked for inside a change that has now ended.
void ChangeScheduler::RunWaiting() {
  if (std::exchange(applyAgain_, false)) {
    ApplyCurrentEntry();  // runs what waits after it in turn
  } else if (auto again = std::exchange(composeAgain_, nullptr)) {
    ComposeAgain(std::move(again));
  }
}

void ChangeScheduler::ComposeAgainNow() {
  const auto position = static_cast<std::size_t>(state_.settings.CurrentPosition);
  if (state_.settings.CurrentPosition < 0 || position >= state_.list.size()) return;
  // A copy: the list may be edited while the desktop is called.
  const WallpaperEntry entry = state_.list[position];
  // A picture that went away is the next change's to drop; putting another
  // one up now would move in the list.
  if (!hooks_.fileExists(entry.path)) return;
  changing_ = true;
  SetChangeItemsEnabled(false);
  ChangeScope scope([this] {
    SetChangeItemsEnabled(true);
    changing_ = false;
    Changed();
  });
  Changed();
  Status status;
  try {
    status = hooks_.compose(entry);
  } catch (const std::exception& error) {
    status = Status::Error(error.what());
  }
  if (!status) hooks_.showError(status.message());
}

void ChangeScheduler::ApplyOnce() {
  changing_ = true;
  SetChangeItemsEnabled(false);
  ChangeScope scope([this] {
    // Every position but the current one.
    RemoveOldBitmaps(state_.tempFolder, 0, static_cast<std::int64_t>(state_.list.size()),
                     state_.settings.CurrentPosition);
    SetChangeItemsEnabled(true);
    changing_ = false;
    Changed();
  });
  Changed();

  Settings& s = state_.settings;
  DropVanishedEntries();
  auto count = static_cast<std::uint32_t>(state_.list.size());
  if (static_cast<std::uint32_t>(s.CurrentPosition) >= count) {
    s.CurrentPosition = 0;
    s.PreviousPosition = 0;
  }
  if (count > 0) {
    ComposeCurrent();
  } else {
    s.CurrentPosition = 0;
    s.PreviousPosition = 0;
    shownPath_.clear();
    hooks_.showBalloon(kEmptyListBalloon);
  }
}

void ChangeScheduler::DropVanishedEntries() {
  DropMissingEntries(state_.list, hooks_.fileExists, hooks_.listChanging,
                     hooks_.fileExistsOnThreads);
}

void ChangeScheduler::ComposeCurrent() {
  // A copy: the list may be edited inside the notification window's pumps.
  WallpaperEntry entry = state_.list[static_cast<std::size_t>(state_.settings.CurrentPosition)];
  bool announced = state_.settings.ShowChangeWindow;
  if (announced) hooks_.showNotification(entry);
  Status status;
  try {
    status = hooks_.compose(entry);
  } catch (const std::exception& error) {
    status = Status::Error(error.what());
  }
  if (announced) hooks_.hideNotification();
  if (!status) hooks_.showError(status.message());
  // Only a picture that reached the desktop counts as shown.
  if (!status) return;
  shownPath_ = entry.path;
  KeepInHistory(entry.path);
}

void ChangeScheduler::SetChangeItemsEnabled(bool enabled) {
  items_.Nastpnatapeta1.enabled = enabled;
  items_.Poprzedniatapeta1.enabled = enabled;
  items_.Pokazwmenedzerze1.enabled = enabled;
  items_.Usunzlisty1.enabled = enabled;
  items_.Ustawienia1.enabled = enabled && !state_.settingsWindowOpen;
}

void ChangeScheduler::MenuOpening() {
  bool any = !state_.list.empty();
  items_.Nastpnatapeta1.visible = any;
  items_.Poprzedniatapeta1.visible = any;
  items_.Pokazwmenedzerze1.visible = any && !shownPath_.empty();
  items_.Usunzlisty1.visible = items_.Pokazwmenedzerze1.visible;
  Changed();
}

void ChangeScheduler::Changed() const {
  if (hooks_.itemsChanged) hooks_.itemsChanged();
}

}  // namespace vendaro
