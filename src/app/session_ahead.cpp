// The next change drawn while the program rests.  After a change the
// session draws what the next one is likely to show, in a helper of its own
// and one picture at a time (the program runs at the lowest ordinary
// priority, and its helpers with it), and keeps the canvases as files.  The
// change then takes them instead of drawing: a change in list order, at
// random or from a round is as quick on two 4K monitors as on one.
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "app/resident_session.h"
#include "compose/layout_composition.h"
#include "compose/picture_helpers.h"
#include "compose/prepared_pictures.h"
#include "platform/desktop/desktop.h"
#include "system/old_files.h"
#include "system/process.h"

namespace vendaro {
namespace {

// Long enough for the desktop to have taken the change's picture (a fade,
// a file read) before a helper competes with it.
constexpr int kPrepareDelayMs = 1500;

}  // namespace

void ResidentSession::StartPreparing() {
  StopPreparing();
  ForgetPrepared();
  if (!helpers_ || tempFolder().empty()) return;
  prepared_ = std::make_unique<PreparedPictures>(tempFolder());
  // The files a change makes old go while the program rests, before the
  // next drawing ahead.
  DeferOldFileRemovals(true);
  aheadHelpers_ = std::make_shared<PictureHelpers>(services_.pictureHelper);
  aheadTimer_ = std::make_unique<QTimer>();
  aheadTimer_->setSingleShot(true);
  aheadTimer_->setInterval(kPrepareDelayMs);
  QObject::connect(aheadTimer_.get(), &QTimer::timeout, aheadTimer_.get(),
                   [this] { PrepareNext(); });
}

void ResidentSession::PrepareNextSoon() {
  if (aheadTimer_ && !ended_) aheadTimer_->start();
}

void ResidentSession::PrepareNext() {
  RemoveWaitingOldFiles();
  if (ended_ || changing() || preparing_.joinable() || !prepared_) return;
  const std::optional<std::int32_t> position = scheduler_.PeekNext();
  if (!position) return;
  Options resolved = settings();
  // A desktop colour is asked of the desktop only inside a change (it shares
  // the change's time limit); here the one that change found stands in, and
  // a colour changed since makes the next change draw afresh.
  if (IsSystemColor(resolved.FillColor)) {
    if (!lastFill_ || lastFill_->first != resolved.FillColor) return;
    resolved.FillColor = lastFill_->second;
  }
  resolved.FillColor = ResolveFillColor(resolved.FillColor, nullptr);
  const MonitorLayout layout = monitorLayout();
  std::vector<WallpaperEntry> entries =
      MonitorEntries(activeList()[static_cast<std::size_t>(*position)], *position, layout);
  prepared_->Clear();
  DesktopBackend* desktop = this->desktop();
  if (desktop) desktop->ForgetPreparedWallpapers();
  stopPreparing_ = std::make_shared<std::atomic<bool>>(false);
  const unsigned generation = ++preparingGeneration_;
  QTimer* context = aheadTimer_.get();
  preparing_ = std::thread([this, context, generation, entries = std::move(entries), resolved,
                            layout, desktop, prepared = prepared_.get(), helpers = aheadHelpers_,
                            stop = stopPreparing_] {
    const SizeRenderer render = [&](const WallpaperEntry& e, const Options& o, ScreenSize s) {
      RenderResult none;
      none.picture = Status::Error("");
      if (*stop) return none;
      // Looked at before drawing: a picture that changes while it is drawn
      // is then drawn again by its change.
      const std::optional<PreparedKey> key = KeyFor(e, o, s);
      if (!key) return none;
      RenderResult drawn = helpers->Render(e, o, s);
      if (*stop) return none;
      Result<std::string> file = prepared->Keep(*key, drawn);
      if (!file) return none;
      // The canvas is in its file: none is held until every size is drawn.
      drawn.canvas = Canvas{s.width, s.height, {}};
      drawn.file = std::move(*file);
      return drawn;
    };
    const LayoutComposition ahead = RenderMonitors(entries, resolved, layout, nullptr, 1, render);
    // The desktop readies its own part when the whole change was drawn.
    const bool whole = ahead.status && !ahead.files.empty() &&
                       std::ranges::none_of(ahead.files, &std::string::empty);
    if (desktop && whole && !*stop) desktop->PrepareWallpapers(ahead.View(ahead.files));
    QMetaObject::invokeMethod(
        context, [this, generation] { FinishPreparing(generation); }, Qt::QueuedConnection);
  });
}

void ResidentSession::FinishPreparing(unsigned generation) {
  // A preparation stopped by a change was joined then; a later one may be
  // drawing now.
  if (generation != preparingGeneration_ || !preparing_.joinable()) return;
  preparing_.join();
  // No helper waits at rest for a drawing minutes away.
  aheadHelpers_->KeepIdle(0);
  ReleaseFreeMemory();
}

void ResidentSession::StopPreparing() {
  if (aheadTimer_) aheadTimer_->stop();
  if (!preparing_.joinable()) return;
  *stopPreparing_ = true;
  aheadHelpers_->CancelAll();
  preparing_.join();
  aheadHelpers_->KeepIdle(0);
}

void ResidentSession::ForgetPrepared() {
  if (prepared_) prepared_->Clear();
}

}  // namespace vendaro
