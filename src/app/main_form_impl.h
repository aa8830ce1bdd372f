#pragma once

// The main form's private parts, shared by its source files.

#include <memory>

#include "app/main_form.h"
#include "app/remote_control.h"
#include "app/resident_session.h"
#include "app/screen_changes.h"
#include "app/tray_menu.h"
#include "platform/session/instance_lock.h"

namespace vendaro {

struct TForm2::Impl {
  std::unique_ptr<ResidentSession> session;
  std::unique_ptr<InstanceLock> lock;
  std::unique_ptr<TrayMenu> tray;
  std::unique_ptr<RemoteServer> remote;
  std::unique_ptr<ScreenChanges> screens;
  bool resident = false;
  bool closed = false;
  // "Zamknij" arrived inside a change: the close runs once it has ended.
  bool closePending = false;
};

}  // namespace vendaro
