#include "xvfb_session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QThread>

namespace vendaro::testing {
namespace {

bool DisplayTaken(int number) {
  std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
  std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
  return access(lock.c_str(), F_OK) == 0 || access(socket.c_str(), F_OK) == 0;
}

}  // namespace

XvfbSession::~XvfbSession() {
  if (connection_) XCloseDisplay(connection_);
  if (server_.state() != QProcess::NotRunning) {
    server_.terminate();
    server_.waitForFinished(10000);
  }
}

bool XvfbSession::Start(int width, int height) {
  int number = 140 + static_cast<int>(getpid() % 50);
  while (DisplayTaken(number)) ++number;
  display_ = ":" + std::to_string(number);
  QString screen = QStringLiteral("%1x%2x24").arg(width).arg(height);
  server_.start(QStringLiteral("Xvfb"), {QString::fromStdString(display_), "-screen", "0", screen,
                                         "-noreset", "-nolisten", "tcp"});
  if (!server_.waitForStarted(10000)) return false;
  // The deadline only bounds a broken machine; nothing here is timed.
  QDeadlineTimer deadline(30000);
  while (!connection_ && !deadline.hasExpired() && server_.state() == QProcess::Running) {
    connection_ = XOpenDisplay(display_.c_str());
    if (!connection_) QThread::msleep(50);
  }
  return connection_ != nullptr;
}

unsigned long XvfbSession::SetRootBackground(std::uint32_t rgb) {
  // A connection of its own, kept permanent so the pixmap outlives it.
  Display* setter = XOpenDisplay(display_.c_str());
  Window root = DefaultRootWindow(setter);
  int screen = DefaultScreen(setter);
  Pixmap pixmap =
      XCreatePixmap(setter, root, DisplayWidth(setter, screen), DisplayHeight(setter, screen),
                    static_cast<unsigned>(DefaultDepth(setter, screen)));
  GC gc = XCreateGC(setter, pixmap, 0, nullptr);
  XSetForeground(setter, gc, rgb);
  XFillRectangle(setter, pixmap, gc, 0, 0, static_cast<unsigned>(DisplayWidth(setter, screen)),
                 static_cast<unsigned>(DisplayHeight(setter, screen)));
  XFreeGC(setter, gc);
  for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
    Atom atom = XInternAtom(setter, name, False);
    XChangeProperty(setter, root, atom, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&pixmap), 1);
  }
  XSetWindowBackgroundPixmap(setter, root, pixmap);
  XClearWindow(setter, root);
  XSetCloseDownMode(setter, RetainPermanent);
  XCloseDisplay(setter);
  return pixmap;
}

unsigned long XvfbSession::RootPixmap() {
  Atom atom = XInternAtom(connection_, "_XROOTPMAP_ID", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  unsigned long pixmap = 0;
  if (XGetWindowProperty(connection_, DefaultRootWindow(connection_), atom, 0, 1, False, XA_PIXMAP,
                         &type, &format, &count, &after, &data) == Success &&
      data && count == 1 && format == 32) {
    pixmap = *reinterpret_cast<unsigned long*>(data);
  }
  if (data) XFree(data);
  return pixmap;
}

std::uint32_t XvfbSession::RootPixel(int x, int y) {
  XImage* image =
      XGetImage(connection_, DefaultRootWindow(connection_), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0xFFFFFFFFu;
  auto pixel = static_cast<std::uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
  XDestroyImage(image);
  return pixel;
}

bool XvfbSession::Xrandr(const QStringList& args) {
  QProcess xrandr;
  xrandr.start(QStringLiteral("xrandr"),
               QStringList{"-display", QString::fromStdString(display_)} + args);
  return xrandr.waitForFinished(30000) && xrandr.exitStatus() == QProcess::NormalExit &&
         xrandr.exitCode() == 0;
}

bool XvfbSession::WindowShown(const std::string& title) {
  Window root = DefaultRootWindow(connection_), parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  bool found = false;
  if (XQueryTree(connection_, root, &root, &parent, &children, &count)) {
    Atom utf8 = XInternAtom(connection_, "UTF8_STRING", False);
    Atom netName = XInternAtom(connection_, "_NET_WM_NAME", False);
    for (unsigned i = 0; i < count && !found; ++i) {
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(connection_, children[i], &attributes) ||
          attributes.map_state != IsViewable)
        continue;
      Atom type = None;
      int format = 0;
      unsigned long length = 0, after = 0;
      unsigned char* name = nullptr;
      if (XGetWindowProperty(connection_, children[i], netName, 0, 1024, False, utf8, &type,
                             &format, &length, &after, &name) == Success &&
          name) {
        found = std::string(reinterpret_cast<char*>(name), length) == title;
      }
      if (name) XFree(name);
    }
  }
  if (children) XFree(children);
  return found;
}

}  // namespace vendaro::testing
