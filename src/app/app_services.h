#pragma once

// What the resident program asks of the world, passed in so that tests run
// on a fake clock, a dummy desktop and temporary folders.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "model/autostart.h"
#include "model/monitors.h"

namespace vendaro {

class DesktopBackend;

// A message for the user: a box, or a tray balloon where a tray exists.
struct UserMessage {
  enum class Icon { Information, Warning, Error };
  enum class Way { ModalBox, Box, Balloon };
  Icon icon = Icon::Warning;
  Way way = Way::Box;
  std::string caption;
  std::string text;
};

// Everything the resident program asks of the world.
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
  // How long a followed folder must stay still before its pictures are
  // looked for again, in milliseconds; 0: the kFolderSettleMs default.
  int folderSettleMs = 0;
  // Whether the tray speaks D-Bus, where a click stands for the double
  // click; empty: it does not.
  std::function<bool()> statusNotifierTray;
  std::unique_ptr<DesktopBackend> desktop;
  std::unique_ptr<AutostartStore> autostart;
  std::string executablePath;
  // The program run (with kPictureHelperArgument) to measure and draw
  // pictures out of this process; empty: both happen here, unbounded (tests).
  std::string pictureHelper;
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
  // Asks a yes-or-no question; empty: a question box.
  std::function<bool(const std::string& question)> askUser;
  // Whether to take commands from `vendaro next|previous|settings|quit`.
  bool remoteControl = true;

  // The real world: system clock, CLOCK_BOOTTIME, the detected desktop, the
  // XDG autostart folders, the primary screen.
  static AppServices System();
};

}  // namespace vendaro
