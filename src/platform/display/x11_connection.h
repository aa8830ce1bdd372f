#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>
// Xlib's macro for int would replace our result type from here on.
#undef Status

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/canvas.h"
#include "model/color.h"
#include "model/monitors.h"
#include "system/status.h"

namespace vendaro::x11 {

struct DisplayClose {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

// One short-lived X connection.  Protocol errors are collected rather than
// ending the program, and a lost connection is reported instead of exiting.
class Connection {
 public:
  static Result<std::unique_ptr<Connection>> Open(const std::string& name);
  ~Connection();

  Display* display() const { return display_.get(); }
  Window root() const { return root_; }
  // Waits for the server to handle everything sent; the first error since
  // the last call (or since opening), if any.
  Status Sync(const char* what);

  // The pixmap _XROOTPMAP_ID names, or None.
  Pixmap RootPixmap();
  void SetRootPixmap(Pixmap pixmap);
  void DeleteRootPixmap();
  bool PixmapExists(Pixmap pixmap);
  // A pixmap of the root's depth and the given size in one RGB colour.
  Result<Pixmap> CreateFilled(int width, int height, ColorValue rgb);
  // Draws the canvas into the pixmap at each of `places`, cut to the place's
  // size (and by the server to the pixmap's).
  Status Put(const Canvas& canvas, Pixmap pixmap, const std::vector<Rect>& places);

  // The size of the root window.
  ScreenSize RootSize();
  // The monitors the server lists (RandR 1.5 RRGetMonitors, active ones),
  // the primary first; empty without RandR 1.5.
  MonitorLayout Monitors();

  // How canvas bytes become the server's 32-bit pixels.
  struct PixelLayout {
    int red = 0;
    int green = 0;
    int blue = 0;
    std::uint32_t fixedBits = 0;  // alpha of a 32-bit visual: opaque
  };
  // An error for a screen format we cannot fill (not 24/32-bit TrueColor).
  Result<PixelLayout> LayoutOfScreen();

  // The two roads of Upload.  Through shared memory, when the server is on this machine; false when
  // that is not possible (then nothing was drawn).
  // Each of `places` gets the canvas cut to its size; none: the whole
  // canvas at the pixmap's corner.
  bool UploadShared(const Canvas& canvas, const PixelLayout& layout, Pixmap pixmap, GC gc,
                    const std::vector<Rect>& places = {});
  // Through the connection, in bands under the maximum request length.
  void UploadInBands(const Canvas& canvas, const PixelLayout& layout, Pixmap pixmap, GC gc,
                     const std::vector<Rect>& places = {});

 private:
  explicit Connection(Display* display);

  std::unique_ptr<Display, DisplayClose> display_;
  Window root_ = 0;
  XErrorHandler previousHandler_ = nullptr;
  XIOErrorHandler previousIoHandler_ = nullptr;
};

std::string PixmapText(Pixmap pixmap);
Pixmap PixmapFromText(const std::string& text);

}  // namespace vendaro::x11
