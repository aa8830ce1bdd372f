#pragma once

// A private Xvfb server for one test, with a root background of our own
// set the way a desktop setter sets it, and pixels read back.

#include <QProcess>
#include <cstdint>
#include <string>

// Last: Xlib defines macros (Status, Bool) that break Qt's headers.
#include <X11/Xlib.h>

namespace vendaro::testing {

class XvfbSession {
 public:
  XvfbSession() = default;
  ~XvfbSession();
  XvfbSession(const XvfbSession&) = delete;
  XvfbSession& operator=(const XvfbSession&) = delete;

  // Starts Xvfb on a free display; false when it cannot be started.
  bool Start(int width, int height);
  const std::string& display() const { return display_; }

  // A pixmap of one colour as the root background, named by _XROOTPMAP_ID
  // and ESETROOT_PMAP_ID and kept after our connection closes.
  unsigned long SetRootBackground(std::uint32_t rgb);
  // The root pixmap the desktop properties name now (0: none).
  unsigned long RootPixmap();
  std::uint32_t RootPixel(int x, int y);
  // Runs xrandr on this display; true when it succeeded.
  bool Xrandr(const QStringList& args);
  // Whether a window of the root titled `title` is mapped.
  bool WindowShown(const std::string& title);

 private:
  QProcess server_;
  Display* connection_ = nullptr;
  std::string display_;
};

}  // namespace vendaro::testing
