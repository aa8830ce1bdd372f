#pragma once

// The resident program's state and the operations on it, in one place: the
// settings and the active list, the folders, the change timer, the
// composition of a change and Apply.  The settings window and its dialogs
// reach the program only through the first part of this class; the main
// form (tray, remote commands, start and end) uses the second.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/app_services.h"
#include "app/change_scheduler.h"
#include "compose/compose_wallpaper.h"
#include "model/autostart.h"
#include "model/entry_list.h"
#include "model/monitors.h"
#include "model/settings.h"
#include "system/status.h"

class QTimer;
class QWidget;

namespace vendaro {

class TForm5;
class DesktopNotification;
class FolderWatch;
class PictureHelpers;
class PreparedPictures;
struct LayoutComposition;

// What the settings window hands over on Apply, read from its controls and
// from the additional-settings dialog.
struct ApplyRequest {
  Options options;
  AutostartChoice autostart = AutostartChoice::None;
  const EntryList* rows = nullptr;  // the edited list, in row order
  int currentRow = -1;              // the row holding the focus; -1 for none
  int windowListCount = 0;          // entries of the active list when the window opened
};

class ResidentSession {
 public:
  // What the session asks of the program around it.
  struct Hooks {
    // Shows a message (a box, or the tray's balloon).
    std::function<void(const UserMessage&)> tell;
    // The enabled or visible state of a tray item changed, or a change ended.
    std::function<void()> itemsChanged;
  };
  explicit ResidentSession(AppServices services, Hooks hooks = {});
  ~ResidentSession();
  ResidentSession(const ResidentSession&) = delete;
  ResidentSession& operator=(const ResidentSession&) = delete;

  // --- what the windows see and do ---
  const Settings& settings() const;
  const EntryList& activeList() const;
  // The list as the user made it, what the settings window shows and the
  // list file holds: a folder row stands there for its pictures, which the
  // active list holds instead.  The active list itself when it has no
  // folder rows.
  const EntryList& listRows() const;
  const std::string& dataFolder() const;
  const std::string& tempFolder() const;
  // The composed file on the desktop now; empty before the first change.
  const std::string& wallpaperFile() const;
  const std::string& executablePath() const;
  std::string settingsPath() const { return dataFolder() + kSettingsFileName; }
  // Measures pictures as start-up does: in helper processes when the
  // program has them, a picture that breaks their limits undecodable.
  PictureProbe pictureProbe() const;
  // The primary monitor's size, which a preview is composed for.
  ScreenSize screenSize() const;
  SystemColorResolver systemColors() const;
  // The autostart entry the system holds for this program now.
  AutostartChoice autostart() const;
  // A preview of `entry` with `options`; touches neither the desktop nor the
  // wallpaper file.  Events are answered while a helper draws it.
  ComposeResult ComposePreview(const WallpaperEntry& entry, const Options& options);
  // The whole Apply, in this order: the data folder resolved again, the
  // autostart entry, the settings file, the options, the list (and
  // "default.vdl"), the change itself and the clean-up of leftover bitmaps.
  // `window` is disabled and the change timer stopped for the duration; both
  // come back however Apply ends.  A failed settings write stops Apply
  // there; a failed list write still hands the list over.  The returned
  // error is for the user to see.
  Status Apply(const ApplyRequest& request, QWidget* window = nullptr);
  // `beforeChange` is called before the active list changes (a change drops
  // gone entries, Apply takes another list), so that a window showing the
  // list without a copy can take one.  One watcher at a time, known by
  // `owner`; a newer watch replaces an older one, and only its owner ends it.
  void WatchActiveList(const void* owner, std::function<void()> beforeChange);
  void StopWatchingActiveList(const void* owner);
  // The next and the previous picture: what the tray items do.  Nothing
  // happens while a change is in progress.
  void Next();
  void Previous();
  // The tray's commands for the picture on screen: shown selected in the
  // file manager, or taken out of the list (after asking; the list saved and
  // the picture after it shown).
  void ShowShownInFileManager();
  void RemoveShownFromList();
  bool changing() const { return scheduler_.changing(); }

  // --- for the main form ---
  AppServices& services() { return services_; }
  ResidentState& state() { return scheduler_.state(); }
  TrayItems& items() { return scheduler_.items(); }
  ChangeScheduler& scheduler() { return scheduler_; }
  QTimer* changeTimer() const { return timer_.get(); }
  // Start-up after the instance lock: folders, desktop, settings, version
  // check and list.  False when the program is to end (told to the user).
  bool Load();
  // The first change (or the current picture again) and the timer.
  void Begin();
  // The end of the session: the user's wallpaper back, the composed files
  // removed, the position stored.  Nothing composed later reaches the desktop.
  void End();
  // Puts the entry at CurrentPosition on the desktop.
  void ApplyCurrentEntry();
  // The monitors have changed: the current picture is composed again when
  // they differ from those it was composed for.
  void ComposeForNewScreens();
  // The monitors now, and those the wallpaper on the desktop was composed for.
  MonitorLayout monitorLayout() const;
  const MonitorLayout& composedLayout() const { return composedLayout_; }
  ChangeStamp Now() const;
  DesktopBackend* desktop();
  // What follows the folder rows' folders; null without folder rows.
  FolderWatch* folderWatch() const { return folderWatch_.get(); }
  // The pictures of these folder rows (their paths) are looked for again;
  // the active list takes what has come and drops what has gone, the
  // positions staying on their pictures.
  void LookAtFolders(const std::vector<std::string>& rowPaths);
  // The first picture of a folder row (its path), in name order: from the
  // active list when the row is in it, else found in the folder now.
  std::optional<WallpaperEntry> FirstPictureOf(const std::string& rowPath) const;

 private:
  SchedulerHooks MakeSchedulerHooks();
  bool AskUser(const std::string& question);
  DesktopNotification& DesktopNotice();
  void Tell(UserMessage::Icon icon, UserMessage::Way way, const std::string& text);
  bool LoadList();
  bool PassVersionCheck();
  Status ComposeAndSet(const WallpaperEntry& entry);
  // The picture of each usable monitor of `layout`: `entry` on all of them,
  // or, with a picture per monitor, the list's pictures from `position` on.
  std::vector<WallpaperEntry> MonitorEntries(const WallpaperEntry& entry, std::int32_t position,
                                             const MonitorLayout& layout) const;
  // How many pictures a change shows now.
  int PicturesPerChange() const;
  // RenderMonitors with the canvases drawn by the helpers, on a thread of
  // its own while this one answers events; in this process without helpers.
  // With `prepared`, a canvas drawn ahead for the same picture, options and
  // size is taken instead of drawn, its pixels read back only with `pixels`.
  LayoutComposition RenderWhileAnswering(const std::vector<WallpaperEntry>& entries,
                                         const Options& resolved, const MonitorLayout& layout,
                                         bool prepared = false, bool pixels = true);
  // The next change drawn ahead while the program rests (session_ahead.cpp):
  // set up once the state folder is known, started a moment after a change,
  // stopped when a change begins.
  void StartPreparing();
  void PrepareNextSoon();
  void PrepareNext();
  void FinishPreparing(unsigned generation);
  void StopPreparing();
  void ForgetPrepared();
  void ReportMonitorsLeftOut(const std::vector<std::string>& problems);
  void TakeOptions(const Options& options, const ChangeStamp& now);
  void TakeList(const EntryList& list, int currentRow);
  std::optional<std::size_t> RowNaming(const std::string& path) const;
  // The active list of `rows` with folder rows in them; the current row's
  // first picture becomes current.
  void TakeFolderRows(EntryList rows, int currentRow);
  void FollowFolders();
  void LookAtUnwatchedFolders();
  void RestoreUserWallpaper();
  std::string ResolvedDataFolder() const;

  AppServices services_;
  Hooks hooks_;
  PlatformRandom random_;
  ChangeScheduler scheduler_;
  std::unique_ptr<QTimer> timer_;
  std::unique_ptr<TForm5> notification_;
  std::unique_ptr<DesktopNotification> desktopNotice_;
  std::optional<WallpaperEntry> noticeAfterChange_;
  // Null when pictures are drawn in this process.
  std::shared_ptr<PictureHelpers> helpers_;
  // What the next change may take, drawn by helpers of its own; null
  // without helpers.
  std::unique_ptr<PreparedPictures> prepared_;
  std::shared_ptr<PictureHelpers> aheadHelpers_;
  std::unique_ptr<QTimer> aheadTimer_;
  std::thread preparing_;
  std::shared_ptr<std::atomic<bool>> stopPreparing_;
  unsigned preparingGeneration_ = 0;
  // The fill colour setting of the last change and the colour it stood for.
  std::optional<std::pair<ColorValue, ColorValue>> lastFill_;
  // The monitors the wallpaper on the desktop was composed for.
  MonitorLayout composedLayout_;
  // The monitors last reported as left out, so a message is not repeated at
  // every change.
  std::string monitorsLeftOut_;
  bool ended_ = false;
  // The list's rows when it has folder rows, else empty.  Behind the active
  // list after a change dropped pictures that went, until next asked for.
  mutable EntryList rows_;
  mutable bool rowsBehind_ = false;
  std::unique_ptr<FolderWatch> folderWatch_;
  std::vector<std::string> foldersWaiting_;
  bool lookingAtFolders_ = false;
  const void* listWatcherOwner_ = nullptr;
  std::function<void()> listWatcher_;
};

}  // namespace vendaro
