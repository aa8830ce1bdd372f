#include <cstdio>

#include "app/main_form.h"
#include "platform/desktop/desktop.h"
#include "platform/display/screen.h"
#include "platform/session/autostart_store.h"
#include "platform/session/folders.h"
#include "platform/session/tray_host.h"
#include "system/clock.h"
#include "system/process.h"
#include "system/report.h"

namespace vendaro {

AppServices::AppServices() = default;
AppServices::AppServices(AppServices&&) noexcept = default;
AppServices& AppServices::operator=(AppServices&&) noexcept = default;
AppServices::~AppServices() = default;

AppServices AppServices::System() {
  AppServices services;
  services.now = [] { return std::chrono::system_clock::now(); };
  services.millisecondsSinceBoot = MillisecondsSinceBoot;
  services.bootId = BootId;
  services.screenSize = PrimaryScreenSize;
  services.monitors = ScreenLayout;
  services.statusNotifierTray = StatusNotifierTrayInUse;
  services.executablePath = ExecutablePath();
  // This very program, even after an upgrade has replaced its file.
  services.pictureHelper = "/proc/self/exe";
  services.performanceCounter = PerformanceCounter;
  services.lowerPriority = LowerProcessPriority;
  services.autostart = MakeAutostartStore();
  services.makeDesktop = [](const std::string& tempFolder) {
    // A run that was killed may have left its wallpaper set.
    Status recovered = RecoverFromJournal(tempFolder);
    ReportOnTerminal(recovered);
    return MakeDesktopBackend(CurrentEnvironment(), tempFolder);
  };
  return services;
}

}  // namespace vendaro
