#include "app/resident_session.h"

#include <QDBusConnection>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <utility>

#include "app/desktop_notification.h"
#include "app/failure_runs.h"
#include "app/folder_watch.h"
#include "app/notification_window.h"
#include "app/startup_files.h"
#include "app/version_check.h"
#include "compose/layout_composition.h"
#include "compose/picture_helpers.h"
#include "compose/prepared_pictures.h"
#include "compose/probe.h"
#include "model/wallpaper_entry.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/system_colors.h"
#include "platform/session/folders.h"
#include "platform/session/version_library.h"
#include "system/files.h"
#include "system/old_files.h"
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
  if (!services_.pictureHelper.empty())
    helpers_ = std::make_shared<PictureHelpers>(services_.pictureHelper);
  items().Nastpnatapeta1.onClick = [this] { Next(); };
  items().Poprzedniatapeta1.onClick = [this] { Previous(); };
  items().Pokazwmenedzerze1.onClick = [this] { ShowShownInFileManager(); };
  items().Usunzlisty1.onClick = [this] { RemoveShownFromList(); };
  timer_->setObjectName(QStringLiteral("Timer2"));
  timer_->setInterval(1000);
  QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { scheduler_.Tick(); });
}

ResidentSession::~ResidentSession() {
  StopPreparing();
  if (helpers_) helpers_->CancelAll();
  DeferOldFileRemovals(false);
}

SchedulerHooks ResidentSession::MakeSchedulerHooks() {
  SchedulerHooks hooks;
  hooks.fileExists = PathExists;
  hooks.fileExistsOnThreads = true;
  hooks.listChanging = [this] {
    if (listWatcher_) listWatcher_();
    if (!rows_.empty()) rowsBehind_ = true;
  };
  hooks.beforeChoosing = [this] { LookAtUnwatchedFolders(); };
  // The window outlives its change by a moment so that it can be read; the
  // next change replaces it.
  hooks.showNotification = [this](const WallpaperEntry& entry) {
    // The desktop's notification follows the change: its thumbnail is then
    // drawn by the helper the change has just let go of.
    if (settings().Notice == NoticeWay::Desktop) {
      noticeAfterChange_ = entry;
      return;
    }
    notification_ = std::make_unique<TForm5>();
    notification_->ShowFor(entry);
  };
  hooks.hideNotification = [this] {
    if (auto entry = std::exchange(noticeAfterChange_, std::nullopt)) {
      DesktopNotice().Show(*entry);
    } else if (notification_) {
      notification_->Finish();
    }
  };
  // One box for a run of the same failure.
  auto runs = std::make_shared<FailureRuns>();
  hooks.compose = [this, runs](const WallpaperEntry& entry) {
    Status status = ComposeAndSet(entry);
    if (status) runs->Succeeded();
    return status;
  };
  hooks.showBalloon = [this](const std::string& text) {
    Tell(UserMessage::Icon::Warning, UserMessage::Way::Balloon, text);
  };
  hooks.showError = [this, runs](const std::string& text) {
    if (runs->ShouldTell(text)) Tell(UserMessage::Icon::Error, UserMessage::Way::Box, text);
  };
  hooks.itemsChanged = [this] {
    if (hooks_.itemsChanged) hooks_.itemsChanged();
  };
  hooks.picturesPerChange = [this] { return PicturesPerChange(); };
  return hooks;
}

// Made when first needed: most sessions never announce through the desktop.
DesktopNotification& ResidentSession::DesktopNotice() {
  if (desktopNotice_) return *desktopNotice_;
  ThumbnailMaker thumbnails;
  // Drawn by a helper: a user's picture is never decoded in this process.
  if (helpers_) {
    thumbnails = [helpers = helpers_](const WallpaperEntry& entry, int width, int height) {
      Options options;
      options.DisplayMode = PictureMode::Stretch;
      options.FillColor = Rgb(0, 0, 0);
      const RenderResult drawn = helpers->Render(entry, options, {width, height});
      if (!drawn.picture || drawn.canvas.empty()) return QImage();
      const Canvas& canvas = drawn.canvas;
      return QImage(canvas.rgb.data(), canvas.width, canvas.height, canvas.width * 3,
                    QImage::Format_RGB888)
          .copy();
    };
  }
  desktopNotice_ =
      std::make_unique<DesktopNotification>(QDBusConnection::sessionBus(), std::move(thumbnails));
  return *desktopNotice_;
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
  StartPreparing();
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
  // The remembered sizes outlive the session: they live with the caches,
  // not in the state folder a quit leaves empty.
  const std::string cacheFolder =
      services_.tempFolder.empty() ? ResolveCacheFolder() : services_.tempFolder;
  Status status =
      LoadActiveList(state().dataFolder, cacheFolder, state().list, pictureProbe(), &rows_);
  FollowFolders();
  // One helper stays for the changes; the others' memory goes back, and so
  // does what measuring a large folder's pictures left in this one's heap.
  if (helpers_) helpers_->KeepIdle(1);
  ReleaseFreeMemory();
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
  // A picture being drawn now would only be thrown away.
  StopPreparing();
  ForgetPrepared();
  if (helpers_) helpers_->CancelAll();
  timer_->stop();
  if (services_.desktop) {
    services_.desktop->ForgetPreparedWallpapers();
    Status restored = services_.desktop->RestoreUserWallpaper();
    ReportOnTerminal(restored);
  }
  if (!wallpaperFile().empty()) RemoveFile(wallpaperFile());
  for (const std::string& file : state().monitorFiles) RemoveFile(file);
  DeferOldFileRemovals(false);
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
  // What is drawn ahead is done now, or given up.
  StopPreparing();
  WallpapersSetter setter = [this, backend](const Wallpapers& wallpapers) {
    if (ended_) return Status::Ok();
    return backend->SetWallpapers(wallpapers);
  };
  // The desktop's colour, asked before composing, and the change share one
  // time limit: a stopped service holds the program once, not twice.
  backend->BeginChange();
  // Read once: the screens may change while the desktop is called.
  const MonitorLayout layout = monitorLayout();
  // Copied: the settings may be applied anew while the picture is drawn.
  Options resolved = settings();
  resolved.FillColor = ResolveFillColor(resolved.FillColor, systemColors());
  lastFill_.emplace(settings().FillColor, resolved.FillColor);
  // A desktop that reads files is handed the file drawn ahead: its pixels
  // need not come back into memory.
  LayoutComposition composition =
      RenderWhileAnswering(MonitorEntries(entry, settings().CurrentPosition, layout), resolved,
                           layout, true, !backend->ReadsCanvasFiles());
  // Drawn ahead for another change: not this one's any more.
  ForgetPrepared();
  if (ended_) {
    for (const std::string& file : composition.files)
      if (!file.empty()) RemoveFile(file);
    return Status::Ok();
  }
  if (!composition.picture) ReportOnTerminal(composition.picture);
  WallpaperFiles files{state().wallpaperFile, state().monitorFiles};
  Status status =
      PutWallpapers(composition, entry, tempFolder(), backend->ShowsFromFile(), files, setter);
  // Only a layout the desktop took counts as composed for: after a failure
  // the next screen change composes again.
  if (status) composedLayout_ = layout;
  state().wallpaperFile = files.primary;
  state().monitorFiles = files.others;
  ReportMonitorsLeftOut(composition.skippedMonitors);
  composition = {};
  // The decoded picture and the canvas are freed by now, but the allocator
  // keeps their pages: give them back, the program rests until the next
  // change.
  ReleaseFreeMemory();
  if (status) PrepareNextSoon();
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

std::vector<WallpaperEntry> ResidentSession::MonitorEntries(const WallpaperEntry& entry,
                                                            std::int32_t position,
                                                            const MonitorLayout& layout) const {
  std::vector<WallpaperEntry> entries{entry};
  if (!settings().PicturePerMonitor) return entries;
  const std::vector<std::size_t> positions =
      MonitorPositions(position, activeList().size(), CheckLayout(layout).usable.size());
  // The first is the entry itself, whatever the position says.
  for (std::size_t k = 1; k < positions.size(); ++k) entries.push_back(activeList()[positions[k]]);
  return entries;
}

int ResidentSession::PicturesPerChange() const {
  if (!settings().PicturePerMonitor) return 1;
  return static_cast<int>(std::max<std::size_t>(1, CheckLayout(monitorLayout()).usable.size()));
}

LayoutComposition ResidentSession::RenderWhileAnswering(const std::vector<WallpaperEntry>& entries,
                                                        const Options& resolved,
                                                        const MonitorLayout& layout, bool prepared,
                                                        bool pixels) {
  if (!helpers_) return RenderMonitors(entries, resolved, layout, nullptr);
  std::shared_ptr<PictureHelpers> helpers = helpers_;
  PreparedPictures* ahead = prepared ? prepared_.get() : nullptr;
  const SizeRenderer render = [helpers, ahead, pixels](const WallpaperEntry& e, const Options& o,
                                                       ScreenSize s) {
    if (ahead)
      if (std::optional<RenderResult> taken = ahead->Take(e, o, s, pixels))
        return std::move(*taken);
    return helpers->Render(e, o, s);
  };
  // Files drawn ahead whose pixels stay in them are only taken: threads
  // would cost more than that.
  const unsigned workers = ahead && !pixels && ahead->Covers(entries, resolved, layout) ? 1 : 0;
  LayoutComposition composition;
  std::atomic<bool> done{false};
  QEventLoop loop;
  // The thread only waits on the helpers; this one goes on answering the
  // tray and the remote commands, which refuse what cannot run inside a change.
  std::thread drawing([&] {
    composition = RenderMonitors(entries, resolved, layout, nullptr, workers, render);
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  if (!done) loop.exec();
  // The loop also ends when the program is told to quit.
  if (!done) helpers->CancelAll();
  drawing.join();
  return composition;
}

ComposeResult ResidentSession::ComposePreview(const WallpaperEntry& entry, const Options& options) {
  if (!helpers_) return ComposeWallpaper(entry, options, screenSize(), systemColors());
  Options resolved = options;
  resolved.FillColor = ResolveFillColor(options.FillColor, systemColors());
  const ScreenSize size = screenSize();
  LayoutComposition composition =
      RenderWhileAnswering({entry}, resolved, {{"preview", {0, 0, size.width, size.height}, true}});
  if (!composition.status || composition.canvases.empty()) return {composition.status, {}, {}};
  return {Status::Ok(), std::move(composition.canvases.front()), composition.picture};
}

PictureProbe ResidentSession::pictureProbe() const {
  if (!helpers_) return ProbePicture;
  return [helpers = helpers_](const std::string& path) { return helpers->Probe(path); };
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
