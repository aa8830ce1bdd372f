#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/canvas.h"
#include "model/color.h"
#include "model/monitors.h"
#include "platform/desktop/environment.h"
#include "platform/desktop/wait_budget.h"
#include "platform/desktops/registry.h"
#include "system/status.h"

namespace vendaro {

// Sets the composed wallpaper for this session and gives the user's own
// back.  Every call returns within a couple of seconds with a checked result.
class DesktopBackend {
 public:
  virtual ~DesktopBackend() = default;
  virtual DesktopKind kind() const = 0;
  // Starts one change: BackgroundColor and SetWallpaper until it returns
  // share one time limit for waiting on the desktop.  Without it each of
  // them has a limit of its own.
  void BeginChange() {
    budget_.Refill();
    inChange_ = true;
  }
  // `path` is the composed 24-bit BMP; `canvas` holds the same pixels.
  virtual Status SetWallpaper(const std::string& path, const Canvas& canvas) = 0;
  // Each monitor its own picture.  A desktop that shows one picture on every
  // monitor shows the primary monitor's, as SetWallpaper does.
  virtual Status SetWallpapers(const Wallpapers& wallpapers) {
    const MonitorPicture& primary = wallpapers.primary();
    return SetWallpaper(primary.path, *primary.canvas);
  }
  // Gives the desktop back the user's own wallpaper; harmless when nothing
  // was set or when called twice.
  virtual Status RestoreUserWallpaper() = 0;
  // The desktop's background colour (RGB colour value), if it has one.
  virtual std::optional<ColorValue> BackgroundColor() = 0;
  // What the user should hear about how the wallpaper is set here (a
  // fallback, say); empty when nothing.
  const std::string& notice() const { return notice_; }
  void SetNotice(std::string notice) { notice_ = std::move(notice); }
  // For a one-off change from the command line: what SetWallpaper shows
  // stays after this process ends (where the desktop would otherwise drop it
  // with us).  Call before SetWallpaper.
  virtual void KeepAfterExit() {}
  // Whether the desktop shows the wallpaper from its file (most do); where
  // it takes the pixels instead, a one-off change needs no file.
  virtual bool ShowsFromFile() const { return true; }
  // Whether SetWallpapers takes canvases whose pixels are only in their
  // files (drawn ahead, Canvas::hasPixels false) and reads what it needs.
  virtual bool ReadsCanvasFiles() const { return ShowsFromFile(); }
  // The pictures the next change will likely hand SetWallpapers, drawn
  // ahead (their pixels may be only in their files).  A desktop whose own
  // part of a change is heavy (one picture made of every monitor's, a
  // picture sent to the display server) readies it now, and SetWallpapers
  // uses it when handed these very files, else drops it.  Called off the
  // GUI thread, never while a change or another call runs.
  virtual void PrepareWallpapers(const Wallpapers& ahead) { (void)ahead; }
  // Drops what PrepareWallpapers readied.
  virtual void ForgetPreparedWallpapers() {}

 protected:
  // The budget of the change begun, or a full one for a call on its own.
  WaitBudget& BudgetForCall() {
    if (!inChange_) budget_.Refill();
    return budget_;
  }
  // SetWallpaper's end ends the change.
  void EndChange() { inChange_ = false; }

 private:
  WaitBudget budget_;
  bool inChange_ = false;
  std::string notice_;
};

// The backend for the detected desktop, confirmed at run time (its service
// answers or its tool exists); falls back as the detection rules say.
// `stateFolder` is the private temp folder that holds the restore journal.
std::unique_ptr<DesktopBackend> MakeDesktopBackend(const Environment& env,
                                                   const std::string& stateFolder);

// Gives back what a killed earlier run left set (its restore journal in
// `stateFolder`), before anything else happens at start, and removes what
// earlier runs left in the folder.
Status RecoverFromJournal(const std::string& stateFolder);

}  // namespace vendaro
