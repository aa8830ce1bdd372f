#pragma once

// The hidden main form: the tray icon and its menu, the remote commands, the
// screens watched, and the start and the end of the resident program.  What
// the program works on, and every operation on it, is its ResidentSession.

#include <QWidget>
#include <functional>
#include <memory>

#include "app/app_services.h"
#include "system/status.h"

class QTimer;
class QMenu;
class QSystemTrayIcon;

namespace vendaro {

class ResidentSession;
enum class RemoteCommand;

// Hooks to the windows above this layer, set by main().
struct WindowHooks {
  std::function<void()> showSettings;  // modal settings window
  std::function<void()> showAbout;     // modal About window
  // The settings window with the hint where pictures are added (first start).
  std::function<void()> showFirstStart = nullptr;
};

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm2(AppServices services, QWidget* parent = nullptr);
  ~TForm2() override;

  // The change timer (one tick a second); the session's.
  QTimer* Timer2 = nullptr;

  // The resident state and its operations, for the windows and the tray.
  ResidentSession& session();

  void SetWindowHooks(WindowHooks hooks);

  // The whole start-up sequence; false when the program is to end (another
  // copy runs, or the version check said so).
  bool FormCreate();
  // Shutdown: gives back the user's wallpaper, removes the composed file,
  // stores the position.  Running it twice is harmless.
  void FormClose();

  // The screens have settled after a change: windows that were left off
  // every monitor come back, and the current picture is composed again when
  // the monitors differ from those it was composed for.
  void ScreensChanged();
  // Acts exactly as the tray item does (a disabled item does nothing).
  Status RunRemoteCommand(RemoteCommand command);
  // True once FormCreate has completed and until FormClose.
  bool resident() const;
  QSystemTrayIcon* trayIcon() const;
  QMenu* popupMenu() const;
  // Shows a message the way `tellUser` or the message boxes do.
  void Tell(const UserMessage& message);

 private:
  void BuildTray();
  void Ustawienia1Click();
  void OpenSettings(const std::function<void()>& show);
  void Vendaro1Click();
  void Zamknij1Click();
  void ItemsChanged();
  void StartRemoteControl();

  struct Impl;
  std::unique_ptr<Impl> impl_;
  WindowHooks hooks_;
};

}  // namespace vendaro
