#pragma once

#include <memory>
#include <string>

#include "platform/desktop/journaled_desktop.h"

namespace vendaro {

// Whether an X connection to `display` opens (and closes again).
bool X11DisplayOpens(const std::string& display);
// Whether the root window's background shows on `display`: no compositing
// manager draws the screen and no desktop window (xfdesktop, caja, Plasma)
// is mapped over it.
bool X11RootBackgroundVisible(const std::string& display);

// A plain X server without a desktop that draws its own background: one
// pixmap of the root window's size, with each monitor's picture where the
// server says the monitor is (RandR) and the fill colour elsewhere, named in _XROOTPMAP_ID and
// ESETROOT_PMAP_ID for programs that draw pseudo-transparency.  The pixmap is
// kept after our short connection closes (RetainPermanent) and freed at the
// next change.  Giving back puts the root background found before the first
// change in place again.  The next change's pixmap can be sent to the
// server ahead (PrepareWallpapers): the change then only names it.
class X11Desktop : public JournaledDesktop {
 public:
  X11Desktop(std::string display, std::string stateFolder);
  ~X11Desktop() override;

  DesktopKind kind() const override { return DesktopKind::X11; }
  bool ShowsFromFile() const override { return false; }
  bool ReadsCanvasFiles() const override { return true; }
  Status PutBack(const RestoreJournal& journal, WaitBudget& budget) override;
  // The pixmap drawn on a connection of its own, left open: the server frees
  // the pixmap with it should we never use it, even when we crash.
  void PrepareWallpapers(const Wallpapers& ahead) override;
  void ForgetPreparedWallpapers() override;

 protected:
  Status Capture(RestoreJournal& journal, WaitBudget& budget) override;
  // The one canvas on every monitor.
  Status Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
              WaitBudget& budget) override;
  Status ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                      WaitBudget& budget) override;
  // Ours is the pixmap the journal names (this process's or a one-off
  // change's); any other background is someone else's.
  bool NamesOurs(const std::string& value, const RestoreJournal& journal) const override;

 private:
  struct Readied;

  std::string display_;
  std::unique_ptr<Readied> readied_;
};

}  // namespace vendaro
