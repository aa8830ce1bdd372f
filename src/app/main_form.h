#pragma once

// The hidden main form: owner of the active list, the settings in memory,
// the change timer and the tray icon.  This header is the contract the
// settings window builds on; the start-up, scheduler and tray live behind it.

#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compose/compose_wallpaper.h"
#include "model/autostart.h"
#include "model/entry_list.h"
#include "model/monitors.h"
#include "model/settings.h"

class QTimer;
class QMenu;
class QSystemTrayIcon;

namespace vendaro {

class DesktopBackend;
class ChangeScheduler;
struct ResidentState;
struct TrayItems;
enum class RemoteCommand;

// A message for the user: a box, or a tray balloon where a tray exists.
struct UserMessage {
  enum class Icon { Information, Warning, Error };
  enum class Way { ModalBox, Box, Balloon };
  Icon icon = Icon::Warning;
  Way way = Way::Box;
  std::string caption;
  std::string text;
};

// Everything the main form asks of the world, passed in so that tests run on
// a fake clock, a dummy desktop and temporary folders.
struct AppServices {
  AppServices();
  AppServices(AppServices&&) noexcept;
  AppServices& operator=(AppServices&&) noexcept;
  ~AppServices();  // out of line: DesktopBackend is only declared here

  std::function<std::chrono::system_clock::time_point()> now;
  std::function<std::uint64_t()> millisecondsSinceBoot;
  std::function<std::string()> bootId;
  std::function<ScreenSize()> screenSize;
  // Every monitor in device pixels, the primary first; empty: one monitor of
  // screenSize's size.
  std::function<MonitorLayout()> monitors;
  // How long the screens must stay still before the wallpaper is composed
  // for them again, in milliseconds; 0: the kScreenSettleMs default.
  int screenSettleMs = 0;
  // Whether the tray speaks D-Bus, where a click stands for the double
  // click; empty: it does not.
  std::function<bool()> statusNotifierTray;
  std::unique_ptr<DesktopBackend> desktop;
  std::unique_ptr<AutostartStore> autostart;
  std::string executablePath;
  std::string dataFolder;  // empty: resolved as at start
  std::string tempFolder;  // empty: resolved as at start

  // Seeds the random generator at start.
  std::function<std::uint64_t()> performanceCounter;
  // Idle priority for the process; empty: left as it is (tests).
  std::function<void()> lowerPriority;
  // Makes the desktop backend once the private temp folder is known, when
  // `desktop` is empty; gives back what a killed run left set first.
  std::function<std::unique_ptr<DesktopBackend>(const std::string& tempFolder)> makeDesktop;
  // Shows a message; empty: message boxes and the tray balloon.
  std::function<void(const UserMessage&)> tellUser;
  // Whether to take commands from `vendaro next|previous|settings|quit`.
  bool remoteControl = true;

  // The real world: system clock, CLOCK_BOOTTIME, the detected desktop, the
  // XDG autostart folders, the primary screen.
  static AppServices System();
};

// Hooks to the windows above this layer, set by main().
struct WindowHooks {
  std::function<void()> showSettings;  // modal settings window
  std::function<void()> showAbout;     // modal About window
};

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm2(AppServices services, QWidget* parent = nullptr);
  ~TForm2() override;

  // The change timer (one tick a second).
  QTimer* Timer2 = nullptr;

  // --- state, read here; Apply hands its changes over through Take* ---
  const Settings& settings() const;
  const EntryList& activeList() const;
  bool settingsWindowOpen() const;
  const std::string& tempFolder() const;
  const std::string& dataFolder() const;
  const std::string& wallpaperFile() const;

  void SetWindowHooks(WindowHooks hooks);

  // The whole start-up sequence; false when the program is to end (another
  // copy runs, or the version check said so).
  bool FormCreate();
  // Shutdown: gives back the user's wallpaper, removes the composed file,
  // stores the position.  Running it twice is harmless.
  void FormClose();

  // Puts the entry at CurrentPosition on the desktop.
  void ApplyCurrentEntry();
  // The screens have settled after a change: windows that were left off
  // every monitor come back, and the current picture is composed again when
  // the monitors differ from those it was composed for.
  void ScreensChanged();
  // The monitors now, and those the wallpaper on the desktop was composed for.
  MonitorLayout monitorLayout() const;
  const MonitorLayout& composedLayout() const;

  // --- services for the settings window ---
  std::string settingsPath() const { return dataFolder() + kSettingsFileName; }
  // Apply: the options chosen (with "Info Zmiany"'s date for the daily
  // trigger), then the edited list with the row to show; an empty list rests
  // the timer.
  void TakeOptions(const Options& options, const ChangeStamp& now);
  void TakeList(const EntryList& list, int currentRow);
  // Resolves the data folder again, as at start (Apply does this first).
  void ResolveDataFolderAgain();
  ChangeStamp Now() const;
  ScreenSize screenSize() const;
  SystemColorResolver systemColors() const;
  // A preview of `entry` with `options`; touches neither the desktop nor
  // the wallpaper file.
  ComposeResult ComposePreview(const WallpaperEntry& entry, const Options& options);
  // Gives the desktop back the user's own wallpaper (Apply with an empty list).
  void RestoreUserWallpaper();
  AutostartStore& autostartStore();
  const std::string& executablePath() const;
  DesktopBackend* desktop();

  // --- the resident program ---
  // The tray items the commands go through (timer, menu, remote control).
  TrayItems& items();
  ChangeScheduler& scheduler();
  void Timer2Timer();
  // Acts exactly as the tray item does (a disabled item does nothing).
  void RunRemoteCommand(RemoteCommand command);
  // True once FormCreate has completed and until FormClose.
  bool resident() const;
  QSystemTrayIcon* trayIcon() const;
  QMenu* popupMenu() const;
  // Shows a message the way `tellUser` or the message boxes do.
  void Tell(const UserMessage& message);

 private:
  void BuildScheduler();
  void Ustawienia1Click();
  void Vendaro1Click();
  void Zamknij1Click();
  void ItemsChanged();
  Status ComposeAndSet(const WallpaperEntry& entry);
  void ReportMonitorsLeftOut(const std::vector<std::string>& problems);
  bool LoadList();
  ResidentState& state();
  void StartRemoteControl();

  struct Impl;
  std::unique_ptr<Impl> impl_;
  AppServices services_;
  WindowHooks hooks_;
};

}  // namespace vendaro
