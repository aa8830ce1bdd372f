#pragma once

// When the wallpaper changes and to which picture: the timer, the decision at
// start, the Next and Previous commands and the one routine that puts an
// entry on the desktop.  The clock, the random generator and everything that
// shows or composes come in from outside, so every rule tests without waiting.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/change_history.h"
#include "model/entry_list.h"
#include "model/kept_round.h"
#include "model/platform_random.h"
#include "model/settings.h"
#include "system/status.h"

namespace vendaro {

// A tray menu item as the commands see it: the menu and the remote commands
// go through Click, which does nothing while the item is disabled.  Next and
// Previous are disabled for the length of a change.
class MenuItem {
 public:
  void Click() const {
    if (enabled && onClick) onClick();
  }
  bool enabled = true;
  bool visible = true;
  std::function<void()> onClick;
};

struct TrayItems {
  MenuItem Vendaro1;
  MenuItem Nastpnatapeta1;
  MenuItem Poprzedniatapeta1;
  // For the picture on screen; shown only while there is one.
  MenuItem Pokazwmenedzerze1;
  MenuItem Usunzlisty1;
  MenuItem Ustawienia1;
  MenuItem Zamknij1;
};

struct SchedulerClock {
  std::function<std::chrono::system_clock::time_point()> now;
  std::function<std::uint64_t()> millisecondsSinceBoot;
  std::function<std::string()> bootId;

  ChangeStamp Stamp() const;
};

// What the resident program works on.  The scheduler holds it; the windows
// reach it through the ResidentSession that owns the scheduler.
struct ResidentState {
  Settings settings;
  EntryList list;
  bool settingsWindowOpen = false;
  std::string tempFolder;
  std::string dataFolder;
  std::string wallpaperFile;  // the composed file on the desktop now
  // The files of the other monitor sizes on the desktop now, if any.
  std::vector<std::string> monitorFiles;
};

struct SchedulerHooks {
  std::function<bool(const std::string& path)> fileExists;
  // Whether fileExists may be called from two threads at once.
  bool fileExistsOnThreads = false;
  // Called before gone entries are dropped from the list.
  std::function<void()> listChanging;
  // Called before Next chooses a picture: the list may change first.
  std::function<void()> beforeChoosing;
  std::function<void(const WallpaperEntry& entry)> showNotification;
  std::function<void()> hideNotification;
  // Composes the entry and sets it as the wallpaper.
  std::function<Status(const WallpaperEntry& entry)> compose;
  std::function<void(const std::string& text)> showBalloon;
  std::function<void(const std::string& text)> showError;
  // The enabled or visible state of a tray item changed, or a change ended.
  std::function<void()> itemsChanged;
  // How many entries one change shows (the following ones on the other
  // monitors), so that Next in list order moves past all of them; empty: 1.
  std::function<int()> picturesPerChange;
};

inline constexpr const char* kEmptyListBalloon = "Lista plików tła jest pusta.";

class ChangeScheduler {
 public:
  ChangeScheduler(SchedulerClock clock, PlatformRandom& random, SchedulerHooks hooks);

  TrayItems& items() { return items_; }
  ResidentState& state() { return state_; }
  const ResidentState& state() const { return state_; }

  // The change timer's second: a change when the trigger says one is due.
  void Tick();
  void StartUpDecision();
  // The next picture (in order or at random) and the previous one, each
  // stored as the position; nothing happens while a change is in progress.
  void Next();
  void Previous();
  void ApplyCurrentEntry();
  // The tray menu opens: the change items show only with a list, the items
  // for the picture on screen only while there is one.
  void MenuOpening();
  // The path of the entry the last change put on the desktop; empty before
  // the first and after the list has emptied.
  const std::string& shownPath() const { return shownPath_; }
  // The position Next would take now, when it can be known without taking
  // it (a round still to be dealt cannot); what comes in between (an edited
  // list, a history step) may still make Next take another.
  std::optional<std::int32_t> PeekNext() const;
  // A change (or a composition for new screens) is in progress.
  bool changing() const { return changing_; }
  // The monitors changed: the current picture is composed again for them,
  // without the notification window, without moving in the list and without
  // touching the timer or the stored position.  Inside a change it waits
  // until that change has ended, and `stillNeeded` is asked again then (the
  // change may have composed for the new monitors already).
  void ComposeAgain(std::function<bool()> stillNeeded);

 private:
  std::int32_t NextPosition();
  std::int32_t InListOrder(std::uint32_t count) const;
  // The position of the picture one step forward or back in the history,
  // when walking it is chosen and it has one.
  std::optional<std::int32_t> StepInHistory(bool forward);
  void KeepInHistory(const std::string& path);
  ChangeHistory& History();
  void ApplyOnce();
  void ComposeAgainNow();
  void RunWaiting();
  void StorePosition();
  bool DueAtStartUnderSessionTrigger() const;
  void DropVanishedEntries();
  void ComposeCurrent();
  void SetChangeItemsEnabled(bool enabled);
  void Changed() const;
  std::string IniPath() const { return state_.dataFolder + kSettingsFileName; }

  ResidentState state_;
  SchedulerClock clock_;
  PlatformRandom& random_;
  SchedulerHooks hooks_;
  TrayItems items_;
  bool changing_ = false;
  bool applyAgain_ = false;
  std::function<bool()> composeAgain_;
  std::optional<ChangeHistory> history_;  // read from the state folder when first needed
  KeptRound round_;                       // read from the state folder when first needed
  std::string shownPath_;
};

}  // namespace vendaro
