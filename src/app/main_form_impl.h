#pragma once

// The main form's private parts, shared by its source files.

#include <memory>

#include "app/change_scheduler.h"
#include "app/main_form.h"
#include "app/notification_window.h"
#include "app/remote_control.h"
#include "app/screen_changes.h"
#include "app/tray_menu.h"
#include "model/platform_random.h"
#include "platform/session/instance_lock.h"

namespace vendaro {

struct TForm2::Impl {
  PlatformRandom random;
  std::unique_ptr<ChangeScheduler> scheduler;
  std::unique_ptr<InstanceLock> lock;
  std::unique_ptr<TrayMenu> tray;
  std::unique_ptr<TForm5> notification;
  std::unique_ptr<RemoteServer> remote;
  std::unique_ptr<ScreenChanges> screens;
  // The monitors the wallpaper on the desktop was composed for.
  MonitorLayout composedLayout;
  // The monitors last reported as left out, so a message is not repeated at
  // every change.
  std::string monitorsLeftOut;
  bool resident = false;
  bool closed = false;
  // "Zamknij" arrived inside a change: the close runs once it has ended.
  bool closePending = false;
};

}  // namespace vendaro
