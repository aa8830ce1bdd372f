#include "app/main_form.h"

#include <QTimer>
#include <cstdio>

#include "app/main_form_impl.h"
#include "app/startup_files.h"
#include "app/version_check.h"
#include "compose/layout_composition.h"
#include "compose/probe.h"
#include "model/wallpaper_entry.h"
#include "platform/desktop.h"
#include "platform/folders.h"
#include "platform/system_colors.h"
#include "platform/version_library.h"
#include "system/files.h"
#include "system/process.h"
#include "system/report.h"

// Resources of a static library are registered by hand.
static void InitResources() {
  Q_INIT_RESOURCE(vendaro);
}

namespace vendaro {
namespace {

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

TForm2::TForm2(AppServices services, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      impl_(std::make_unique<Impl>()),
      services_(std::move(services)) {
  InitResources();
  setObjectName(QStringLiteral("TForm2"));
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(1000);
  connect(Timer2, &QTimer::timeout, this, &TForm2::Timer2Timer);
  BuildScheduler();
  impl_->screens = std::make_unique<ScreenChanges>(
      [this] { ScreensChanged(); },
      services_.screenSettleMs > 0 ? services_.screenSettleMs : kScreenSettleMs);
}

TForm2::~TForm2() = default;

void TForm2::SetWindowHooks(WindowHooks hooks) {
  hooks_ = std::move(hooks);
}

void TForm2::BuildScheduler() {
  SchedulerClock clock{services_.now, services_.millisecondsSinceBoot, services_.bootId};
  SchedulerHooks hooks;
  hooks.fileExists = PathExists;
  hooks.showNotification = [this](const WallpaperEntry& entry) {
    impl_->notification = std::make_unique<TForm5>();
    impl_->notification->ShowFor(entry);
  };
  hooks.hideNotification = [this] { impl_->notification.reset(); };
  hooks.compose = [this](const WallpaperEntry& entry) { return ComposeAndSet(entry); };
  hooks.showBalloon = [this](const std::string& text) {
    Tell({UserMessage::Icon::Warning, UserMessage::Way::Balloon, "Vendaro", text});
  };
  hooks.showError = [this](const std::string& text) {
    Tell({UserMessage::Icon::Error, UserMessage::Way::Box, "Vendaro", text});
  };
  hooks.itemsChanged = [this] { ItemsChanged(); };
  impl_->scheduler = std::make_unique<ChangeScheduler>(clock, impl_->random, std::move(hooks));
  TrayItems& tray = items();
  tray.Vendaro1.onClick = [this] { Vendaro1Click(); };
  tray.Ustawienia1.onClick = [this] { Ustawienia1Click(); };
  tray.Zamknij1.onClick = [this] { Zamknij1Click(); };
  impl_->tray = std::make_unique<TrayMenu>(
      tray, TrayMenu::Handlers{[this] { impl_->scheduler->PopupMenu1Popup(); },
                               [this] { items().Ustawienia1.Click(); },
                               services_.statusNotifierTray && services_.statusNotifierTray()});
}

bool TForm2::FormCreate() {
  ResidentState& s = state();
  s.wallpaperFile.clear();
  // The form itself is never shown, so it has no window and no taskbar entry.
  if (services_.lowerPriority) services_.lowerPriority();

  impl_->lock = std::make_unique<InstanceLock>(FileNamePart(services_.executablePath));
  if (!impl_->lock->TryAcquire()) {
    Tell({UserMessage::Icon::Warning, UserMessage::Way::ModalBox, "Informacja",
          "Program jest już uruchomiony"});
    return false;
  }

  s.dataFolder = services_.dataFolder.empty() ? ResolveDataFolder() : services_.dataFolder;
  s.tempFolder = services_.tempFolder.empty() ? ResolveTempFolder() : services_.tempFolder;
  if (s.tempFolder.empty()) {
    // Never fall back to a shared folder: the bitmap's name is predictable.
    Tell({UserMessage::Icon::Error, UserMessage::Way::ModalBox, "Vendaro",
          "Nie można utworzyć prywatnego folderu na tapety (~/.local/state/Vendaro)."});
    return false;
  }
  if (!services_.desktop && services_.makeDesktop)
    services_.desktop = services_.makeDesktop(s.tempFolder);
  s.settingsWindowOpen = false;

  s.settings = LoadSettings(settingsPath());
  if (s.settings.VersionCheck) {
    const std::string folder = FolderOf(services_.executablePath);
    std::string library = FindPrivateLibrary(folder, VersionLibraryFileName());
    // Found nowhere: loading the path beside us fails and warns about the file.
    if (library.empty()) library = folder + VersionLibraryFileName();
    auto warn = [this](const std::string& text, const std::string& caption) {
      Tell({UserMessage::Icon::Warning, UserMessage::Way::ModalBox, caption, text});
    };
    if (RunVersionCheck(1, library, warn)) return false;
  }
  if (s.settings.IntervalMinutes < 1) s.settings.IntervalMinutes = 5;

  MoveLegacyList(s.dataFolder);
  if (!LoadList()) return false;

  s.settings.ElapsedSeconds = 0;
  s.settings.PreviousPosition = -1;
  if (services_.performanceCounter) impl_->random.Randomize(services_.performanceCounter());
  impl_->tray->Show();
  // A stand-in for the desktop's own way (the X root window under a desktop
  // whose service is missing) is said once.
  if (services_.desktop && !services_.desktop->notice().empty())
    Tell({UserMessage::Icon::Warning, UserMessage::Way::Balloon, "Vendaro",
          services_.desktop->notice()});
  s.settings.ElapsedSeconds = 1;
  impl_->resident = true;
  // Before the first change, so that a command sent as soon as the first
  // wallpaper shows is heard.
  StartRemoteControl();
  impl_->screens->Watch();
  impl_->scheduler->StartUpDecision();
  Timer2->start();
  return true;
}

bool TForm2::LoadList() {
  Status status = LoadActiveList(state().dataFolder, state().list, ProbePicture);
  if (status) return true;
  // Going on with an empty list would let the next save replace the list the
  // user cannot read now; end instead, nothing lost.
  Tell({UserMessage::Icon::Error, UserMessage::Way::ModalBox, "Vendaro", status.message()});
  return false;
}

void TForm2::StartRemoteControl() {
  if (!services_.remoteControl) return;
  impl_->remote =
      std::make_unique<RemoteServer>([this](RemoteCommand command) { RunRemoteCommand(command); });
  Status status = impl_->remote->Listen(RemoteSocketPath(FileNamePart(services_.executablePath)));
  ReportOnTerminal(status);
}

void TForm2::FormClose() {
  if (!impl_->resident || impl_->closed) return;
  impl_->closed = true;
  impl_->resident = false;
  Timer2->stop();
  if (impl_->remote) impl_->remote->Close();
  if (services_.desktop) {
    Status restored = services_.desktop->RestoreUserWallpaper();
    ReportOnTerminal(restored);
  }
  if (!state().wallpaperFile.empty()) RemoveFile(state().wallpaperFile);
  for (const std::string& file : state().monitorFiles) RemoveFile(file);
  Status saved =
      SavePosition(settingsPath(), settings().CurrentPosition, settings().ChangeTrigger, Now());
  ReportOnTerminal(saved);
  impl_->tray->Hide();
}

void TForm2::ApplyCurrentEntry() {
  impl_->scheduler->ApplyCurrentEntry();
}

void TForm2::Timer2Timer() {
  impl_->scheduler->Timer2Timer();
}

Status TForm2::ComposeAndSet(const WallpaperEntry& entry) {
  // The session may have ended while a notification showed: the user's
  // wallpaper is back by now, and ours must not come after it.
  if (impl_->closed) return Status::Ok();
  DesktopBackend* backend = desktop();
  if (!backend) return Status::Error("Nie znaleziono pulpitu, na którym można ustawić tapetę.");
  WallpapersSetter setter = [this, backend](const Wallpapers& wallpapers) {
    if (impl_->closed) return Status::Ok();
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
  if (result.status) impl_->composedLayout = layout;
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

void TForm2::ReportMonitorsLeftOut(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& problem : problems) text += (text.empty() ? "" : " ") + problem;
  if (text.empty() || text == impl_->monitorsLeftOut) {
    impl_->monitorsLeftOut = text;
    return;
  }
  impl_->monitorsLeftOut = text;
  ReportOnTerminal(text);
  Tell({UserMessage::Icon::Warning, UserMessage::Way::Balloon, "Vendaro", text});
}

void TForm2::ScreensChanged() {
  KeepWindowsOnScreens();
  if (!resident()) return;
  impl_->scheduler->ComposeAgain([this] { return monitorLayout() != impl_->composedLayout; });
}

MonitorLayout TForm2::monitorLayout() const {
  if (services_.monitors) return services_.monitors();
  const ScreenSize size = screenSize();
  return {{"screen", {0, 0, size.width, size.height}, true}};
}

const MonitorLayout& TForm2::composedLayout() const {
  return impl_->composedLayout;
}

ComposeResult TForm2::ComposePreview(const WallpaperEntry& entry, const Options& options) {
  std::string untouched = state().wallpaperFile;
  return ComposeWallpaper(entry, options, screenSize(), systemColors(), true, tempFolder(),
                          untouched, {});
}

void TForm2::ResolveDataFolderAgain() {
  state().dataFolder = services_.dataFolder.empty() ? ResolveDataFolder() : services_.dataFolder;
}

void TForm2::TakeOptions(const Options& options, const ChangeStamp& now) {
  Settings& settings = state().settings;
  static_cast<Options&>(settings) = options;
  if (options.ChangeTrigger == ChangeWhen::OnceADay) settings.LastChangeDate = now.today;
}

void TForm2::TakeList(const EntryList& list, int currentRow) {
  ResidentState& s = state();
  s.settings.PreviousPosition = s.settings.CurrentPosition;
  s.settings.CurrentPosition = currentRow >= 0 ? currentRow : 0;
  s.list = list;
  // Nothing to change to: the timer rests until a list comes.
  if (list.empty()) {
    s.settings.IntervalMinutes = 0;
  } else {
    s.settings.ElapsedSeconds = 1;
  }
}

ResidentState& TForm2::state() {
  return impl_->scheduler->state();
}

const Settings& TForm2::settings() const {
  return impl_->scheduler->state().settings;
}

const EntryList& TForm2::activeList() const {
  return impl_->scheduler->state().list;
}

bool TForm2::settingsWindowOpen() const {
  return impl_->scheduler->state().settingsWindowOpen;
}

const std::string& TForm2::tempFolder() const {
  return impl_->scheduler->state().tempFolder;
}

const std::string& TForm2::dataFolder() const {
  return impl_->scheduler->state().dataFolder;
}

const std::string& TForm2::wallpaperFile() const {
  return impl_->scheduler->state().wallpaperFile;
}

ChangeStamp TForm2::Now() const {
  return SchedulerClock{services_.now, services_.millisecondsSinceBoot, services_.bootId}.Stamp();
}

ScreenSize TForm2::screenSize() const {
  // The primary monitor's, as the wallpaper is composed for it.
  if (services_.monitors) {
    const CheckedLayout checked = CheckLayout(services_.monitors());
    if (!checked.usable.empty()) return checked.usable.front().size();
  }
  return services_.screenSize();
}

SystemColorResolver TForm2::systemColors() const {
  DesktopBackend* backend = services_.desktop.get();
  return [backend](int index) { return SystemColorRgb(index, backend); };
}

void TForm2::RestoreUserWallpaper() {
  if (!services_.desktop) return;
  Status status = services_.desktop->RestoreUserWallpaper();
  if (!status) Tell({UserMessage::Icon::Error, UserMessage::Way::Box, "Vendaro", status.message()});
}

AutostartStore& TForm2::autostartStore() {
  return *services_.autostart;
}

const std::string& TForm2::executablePath() const {
  return services_.executablePath;
}

DesktopBackend* TForm2::desktop() {
  return services_.desktop.get();
}

TrayItems& TForm2::items() {
  return impl_->scheduler->items();
}

ChangeScheduler& TForm2::scheduler() {
  return *impl_->scheduler;
}

bool TForm2::resident() const {
  return impl_->resident;
}

QSystemTrayIcon* TForm2::trayIcon() const {
  return impl_->tray->TrayIcon1;
}

QMenu* TForm2::popupMenu() const {
  return impl_->tray->PopupMenu1;
}

}  // namespace vendaro
