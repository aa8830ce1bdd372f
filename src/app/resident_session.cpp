#include "app/resident_session.h"

#include <QTimer>
#include <utility>

#include "app/notification_window.h"
#include "app/startup_files.h"
#include "app/version_check.h"
#include "compose/layout_composition.h"
#include "compose/probe.h"
#include "model/wallpaper_entry.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/system_colors.h"
#include "platform/session/folders.h"
#include "platform/session/version_library.h"
#include "system/files.h"
#include "system/process.h"
#include "system/report.h"

// Resources of a static library are registered by hand: the tray's and the
// notification window's icons.
static void InitResources() {
  Q_INIT_RESOURCE(vendaro);
}

namespace vendaro {

ResidentSession::ResidentSession(AppServices services, Hooks hooks)
    : services_(std::move(services)),
      hooks_(std::move(hooks)),
      scheduler_(SchedulerClock{services_.now, services_.millisecondsSinceBoot, services_.bootId},
                 random_, MakeSchedulerHooks()),
      timer_(std::make_unique<QTimer>()) {
  InitResources();
  items().Nastpnatapeta1.onClick = [this] { Next(); };
  items().Poprzedniatapeta1.onClick = [this] { Previous(); };
  timer_->setObjectName(QStringLiteral("Timer2"));
  timer_->setInterval(1000);
  QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { scheduler_.Tick(); });
}

ResidentSession::~ResidentSession() = default;

SchedulerHooks ResidentSession::MakeSchedulerHooks() {
  SchedulerHooks hooks;
  hooks.fileExists = PathExists;
  // The window outlives its change by a moment so that it can be read; the
  // next change replaces it.
  hooks.showNotification = [this](const WallpaperEntry& entry) {
    notification_ = std::make_unique<TForm5>();
    notification_->ShowFor(entry);
  };
  hooks.hideNotification = [this] {
    if (notification_) notification_->Finish();
  };
  hooks.compose = [this](const WallpaperEntry& entry) { return ComposeAndSet(entry); };
  hooks.showBalloon = [this](const std::string& text) {
    Tell(UserMessage::Icon::Warning, UserMessage::Way::Balloon, text);
  };
  hooks.showError = [this](const std::string& text) {
    Tell(UserMessage::Icon::Error, UserMessage::Way::Box, text);
  };
  hooks.itemsChanged = [this] {
    if (hooks_.itemsChanged) hooks_.itemsChanged();
  };
  return hooks;
}

void ResidentSession::Tell(UserMessage::Icon icon, UserMessage::Way way, const std::string& text) {
  if (hooks_.tell) hooks_.tell({icon, way, "Vendaro", text});
}

std::string ResidentSession::ResolvedDataFolder() const {
  return services_.dataFolder.empty() ? ResolveDataFolder() : services_.dataFolder;
}

bool ResidentSession::Load() {
  ResidentState& s = state();
  s.wallpaperFile.clear();
  s.dataFolder = ResolvedDataFolder();
  s.tempFolder = services_.tempFolder.empty() ? ResolveTempFolder() : services_.tempFolder;
  if (s.tempFolder.empty()) {
    // Never fall back to a shared folder: the bitmap's name is predictable.
    Tell(UserMessage::Icon::Error, UserMessage::Way::ModalBox,
         "Nie można utworzyć prywatnego folderu na tapety (~/.local/state/Vendaro).");
    return false;
  }
  if (!services_.desktop && services_.makeDesktop)
    services_.desktop = services_.makeDesktop(s.tempFolder);
  s.settingsWindowOpen = false;

  s.settings = LoadSettings(settingsPath());
  if (s.settings.VersionCheck && !PassVersionCheck()) return false;
  if (s.settings.IntervalMinutes < 1) s.settings.IntervalMinutes = 5;

  MoveLegacyList(s.dataFolder);
  if (!LoadList()) return false;

  s.settings.PreviousPosition = -1;
  if (services_.performanceCounter) random_.Randomize(services_.performanceCounter());
  s.settings.ElapsedSeconds = 1;
  return true;
}

bool ResidentSession::PassVersionCheck() {
  const std::string folder = FolderOfPath(services_.executablePath);
  std::string library = FindPrivateLibrary(folder, VersionLibraryFileName());
  // Found nowhere: loading the path beside us fails and warns about the file.
  if (library.empty()) library = folder + VersionLibraryFileName();
  auto warn = [this](const std::string& text, const std::string& caption) {
    if (hooks_.tell)
      hooks_.tell({UserMessage::Icon::Warning, UserMessage::Way::ModalBox, caption, text});
  };
  return !RunVersionCheck(1, library, warn);
}

bool ResidentSession::LoadList() {
  Status status = LoadActiveList(state().dataFolder, state().list, ProbePicture);
  if (status) return true;
  // Going on with an empty list would let the next save replace the list the
  // user cannot read now; end instead, nothing lost.
  Tell(UserMessage::Icon::Error, UserMessage::Way::ModalBox, status.message());
  return false;
}

void ResidentSession::Begin() {
  scheduler_.StartUpDecision();
  timer_->start();
}

void ResidentSession::End() {
  ended_ = true;
  timer_->stop();
  if (services_.desktop) {
    Status restored = services_.desktop->RestoreUserWallpaper();
    ReportOnTerminal(restored);
  }
  if (!wallpaperFile().empty()) RemoveFile(wallpaperFile());
  for (const std::string& file : state().monitorFiles) RemoveFile(file);
  Status saved =
      SavePosition(settingsPath(), settings().CurrentPosition, settings().ChangeTrigger, Now());
  ReportOnTerminal(saved);
}

void ResidentSession::Next() {
  scheduler_.Next();
}

void ResidentSession::Previous() {
  scheduler_.Previous();
}

void ResidentSession::ApplyCurrentEntry() {
  scheduler_.ApplyCurrentEntry();
}

Status ResidentSession::ComposeAndSet(const WallpaperEntry& entry) {
  // The session may have ended while a notification showed: the user's
  // wallpaper is back by now, and ours must not come after it.
  if (ended_) return Status::Ok();
  DesktopBackend* backend = desktop();
  if (!backend) return Status::Error("Nie znaleziono pulpitu, na którym można ustawić tapetę.");
  WallpapersSetter setter = [this, backend](const Wallpapers& wallpapers) {
    if (ended_) return Status::Ok();
    return backend->SetWallpapers(wallpapers);
  };
  // The desktop's colour, asked while composing, and the change share one
  // time limit: a stopped service holds the program once, not twice.
  backend->BeginChange();
  // Read once: the screens may change while the desktop is called.
  const MonitorLayout layout = monitorLayout();
  WallpaperFiles files{state().wallpaperFile, state().monitorFiles};
  LayoutComposeResult result =
      ComposeWallpapers(entry, settings(), layout, systemColors(), tempFolder(),
                        backend->ShowsFromFile(), files, setter);
  // Only a layout the desktop took counts as composed for: after a failure
  // the next screen change composes again.
  if (result.status) composedLayout_ = layout;
  state().wallpaperFile = files.primary;
  state().monitorFiles = files.others;
  ReportMonitorsLeftOut(result.composition.skippedMonitors);
  Status status = std::move(result.status);
  result.composition = {};
  // The decoded picture and the canvas are freed by now, but the allocator
  // keeps their pages: give them back, the program rests until the next
  // change.
  ReleaseFreeMemory();
  return status;
}

void ResidentSession::ReportMonitorsLeftOut(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& problem : problems) text += (text.empty() ? "" : " ") + problem;
  if (text.empty() || text == monitorsLeftOut_) {
    monitorsLeftOut_ = text;
    return;
  }
  monitorsLeftOut_ = text;
  ReportOnTerminal(text);
  Tell(UserMessage::Icon::Warning, UserMessage::Way::Balloon, text);
}

void ResidentSession::ComposeForNewScreens() {
  scheduler_.ComposeAgain([this] { return monitorLayout() != composedLayout_; });
}

MonitorLayout ResidentSession::monitorLayout() const {
  if (services_.monitors) return services_.monitors();
  const ScreenSize size = screenSize();
  return {{"screen", {0, 0, size.width, size.height}, true}};
}

ComposeResult ResidentSession::ComposePreview(const WallpaperEntry& entry, const Options& options) {
  return ComposeWallpaper(entry, options, screenSize(), systemColors());
}

const Settings& ResidentSession::settings() const {
  return scheduler_.state().settings;
}

const EntryList& ResidentSession::activeList() const {
  return scheduler_.state().list;
}

const std::string& ResidentSession::tempFolder() const {
  return scheduler_.state().tempFolder;
}

const std::string& ResidentSession::dataFolder() const {
  return scheduler_.state().dataFolder;
}

const std::string& ResidentSession::wallpaperFile() const {
  return scheduler_.state().wallpaperFile;
}

const std::string& ResidentSession::executablePath() const {
  return services_.executablePath;
}

ChangeStamp ResidentSession::Now() const {
  return SchedulerClock{services_.now, services_.millisecondsSinceBoot, services_.bootId}.Stamp();
}

ScreenSize ResidentSession::screenSize() const {
  // The primary monitor's, as the wallpaper is composed for it.
  if (services_.monitors) {
    const CheckedLayout checked = CheckLayout(services_.monitors());
    if (!checked.usable.empty()) return checked.usable.front().size();
  }
  return services_.screenSize();
}

SystemColorResolver ResidentSession::systemColors() const {
  DesktopBackend* backend = services_.desktop.get();
  return [backend](int index) { return SystemColorRgb(index, backend); };
}

AutostartChoice ResidentSession::autostart() const {
  if (!services_.autostart) return AutostartChoice::None;
  return DetectAutostart(*services_.autostart, executablePath());
}

DesktopBackend* ResidentSession::desktop() {
  return services_.desktop.get();
}

}  // namespace vendaro
