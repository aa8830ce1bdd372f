// Apply, and the hand-over of the settings window's options and list.
#include <QTimer>
#include <QWidget>
#include <utility>

#include "app/old_bitmaps.h"
#include "app/resident_session.h"
#include "model/folder_rows.h"
#include "platform/desktop/desktop.h"

namespace vendaro {
namespace {

constexpr const char* kAllUsersAutostartRefused =
    "Uruchamianie dla wszystkich użytkowników wymaga uprawnień administratora. "
    "Uruchamianie programu przy starcie systemu pozostaje bez zmian.";

// Keeps the window and the change timer off while Apply runs; a change
// started from the timer inside ApplyCurrentEntry would race the new list.
class ApplyPause {
 public:
  ApplyPause(QWidget* window, QTimer* timer) : window_(window), timer_(timer) {
    if (window_ != nullptr) window_->setEnabled(false);
    timer_->stop();
  }
  ~ApplyPause() {
    timer_->start();
    if (window_ != nullptr) window_->setEnabled(true);
  }
  ApplyPause(const ApplyPause&) = delete;
  ApplyPause& operator=(const ApplyPause&) = delete;

 private:
  QWidget* window_;
  QTimer* timer_;
};

}  // namespace

Status ResidentSession::Apply(const ApplyRequest& request, QWidget* window) {
  ApplyPause pause(window, timer_.get());
  state().dataFolder = ResolvedDataFolder();
  // The program may end during polkit's question; that is no refusal.
  if (services_.autostart &&
      !SyncAutostart(*services_.autostart, request.autostart, executablePath()) && !ended_)
    Tell(UserMessage::Icon::Warning, UserMessage::Way::Box, kAllUsersAutostartRefused);

  const ChangeStamp now = Now();
  if (Status saved = SaveAllOptions(settingsPath(), request.options, now); !saved) return saved;
  TakeOptions(request.options, now);

  // The rows may be the active list itself, which the change below may
  // shorten: their count is taken now.
  const EntryList& rows = *request.rows;
  const auto rowCount = static_cast<std::int64_t>(rows.size());
  Status listWritten;
  if (rows.empty()) {
    TakeList(rows, request.currentRow);
    RestoreUserWallpaper();
  } else {
    listWritten = WriteListFile(dataFolder() + kDefaultListName, rows);
    TakeList(rows, request.currentRow);
  }
  ApplyCurrentEntry();
  // Positions the list no longer has; the change above took care of the
  // others.
  RemoveOldBitmaps(tempFolder(), rowCount, request.windowListCount);
  return listWritten;
}

void ResidentSession::TakeOptions(const Options& options, const ChangeStamp& now) {
  Settings& settings = state().settings;
  static_cast<Options&>(settings) = options;
  // "Info Zmiany" was just written with today's date for the daily trigger.
  if (options.ChangeTrigger == ChangeWhen::OnceADay) settings.LastChangeDate = now.today;
}

void ResidentSession::TakeList(const EntryList& list, int currentRow) {
  ResidentState& s = state();
  s.settings.PreviousPosition = s.settings.CurrentPosition;
  s.settings.CurrentPosition = currentRow >= 0 ? currentRow : 0;
  // The window may hand over the very list it shows unedited.
  if (HasFolderRows(list)) {
    TakeFolderRows(list, currentRow);
  } else if (&list != &s.list) {
    if (listWatcher_) listWatcher_();
    s.list = list;
    rows_.clear();
    FollowFolders();
  }
  // Nothing to change to: the timer rests until a list comes.
  if (list.empty()) {
    s.settings.IntervalMinutes = 0;
  } else {
    s.settings.ElapsedSeconds = 1;
  }
}

void ResidentSession::WatchActiveList(const void* owner, std::function<void()> beforeChange) {
  listWatcherOwner_ = owner;
  listWatcher_ = std::move(beforeChange);
}

void ResidentSession::StopWatchingActiveList(const void* owner) {
  if (owner != listWatcherOwner_) return;
  listWatcherOwner_ = nullptr;
  listWatcher_ = nullptr;
}

void ResidentSession::RestoreUserWallpaper() {
  if (!services_.desktop) return;
  Status status = services_.desktop->RestoreUserWallpaper();
  if (!status) Tell(UserMessage::Icon::Error, UserMessage::Way::Box, status.message());
}

}  // namespace vendaro
