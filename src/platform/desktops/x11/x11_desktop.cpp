#include "platform/desktops/x11/x11_desktop.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "platform/display/x11_connection.h"

namespace vendaro {
namespace {

constexpr const char* kDisplayKey = "display";
constexpr const char* kOriginalKey = "original";
constexpr const char* kOursKey = "ours";

// The picture for a monitor the server lists: the one composed for the
// monitor of that name, else for a monitor of that size, else (a single
// picture) that one.  A monitor that came after the composition and has
// none keeps the fill colour until the layout's next composition.
const MonitorPicture* PictureFor(const Monitor& monitor, const Wallpapers& wallpapers) {
  for (const MonitorPicture& picture : wallpapers.monitors)
    if (!monitor.name.empty() && picture.monitor.name == monitor.name) return &picture;
  for (const MonitorPicture& picture : wallpapers.monitors) {
    if (picture.canvas->width == monitor.area.width &&
        picture.canvas->height == monitor.area.height)
      return &picture;
  }
  return wallpapers.monitors.size() == 1 ? &wallpapers.monitors.front() : nullptr;
}

}  // namespace

bool X11DisplayOpens(const std::string& display) {
  return x11::Connection::Open(display).ok();
}

namespace {

bool HasWindowType(Display* display, Window window, Atom property, Atom wanted) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, property, 0, 16, False, XA_ATOM, &type, &format, &count,
                         &after, &data) != Success ||
      !data)
    return false;
  bool found = false;
  if (format == 32) {
    const Atom* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) found = found || atoms[i] == wanted;
  }
  XFree(data);
  return found;
}

// A mapped desktop window among the root's children or, under a window
// manager that frames it, their children.
bool DesktopWindowShown(Display* display, Window parent, Atom property, Atom desktop, int depth) {
  Window root = None;
  Window up = None;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, parent, &root, &up, &children, &count)) return false;
  bool found = false;
  for (unsigned int i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, children[i], &attributes) ||
        attributes.map_state != IsViewable)
      continue;
    found = HasWindowType(display, children[i], property, desktop) ||
            (depth > 0 && DesktopWindowShown(display, children[i], property, desktop, depth - 1));
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

bool X11RootBackgroundVisible(const std::string& name) {
  auto opened = x11::Connection::Open(name);
  if (!opened) return false;
  x11::Connection* connection = opened->get();
  Display* display = connection->display();
  // A compositing manager draws the whole screen and may never show the root.
  const std::string manager = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
  if (XGetSelectionOwner(display, XInternAtom(display, manager.c_str(), False)) != None)
    return false;
  const Atom property = XInternAtom(display, "_NET_WM_WINDOW_TYPE", True);
  const Atom desktop = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", True);
  if (property == None || desktop == None) return true;
  return !DesktopWindowShown(display, connection->root(), property, desktop, 1);
}

namespace {

// Where the monitors are now: the layout may have changed since the
// pictures were composed for it.
MonitorLayout ServerMonitors(x11::Connection& connection, const Wallpapers& wallpapers) {
  MonitorLayout monitors = connection.Monitors();
  if (monitors.empty()) {
    for (const MonitorPicture& picture : wallpapers.monitors) monitors.push_back(picture.monitor);
  }
  return monitors;
}

// A new pixmap of the root's size in the background colour, with each
// monitor's picture where the server has the monitor.
Result<Pixmap> DrawRoot(x11::Connection& connection, const Wallpapers& wallpapers,
                        const MonitorLayout& monitors) {
  const ScreenSize root = connection.RootSize();
  const Result<Pixmap> filled =
      connection.CreateFilled(root.width, root.height, wallpapers.background);
  if (!filled) return filled.status();
  const Pixmap pixmap = *filled;
  // Monitors of one size share a canvas: it is converted and sent once.
  std::vector<const Canvas*> sent;
  for (const MonitorPicture& picture : wallpapers.monitors) {
    if (std::find(sent.begin(), sent.end(), picture.canvas) != sent.end()) continue;
    sent.push_back(picture.canvas);
    std::vector<Rect> places;
    for (const Monitor& monitor : monitors) {
      const MonitorPicture* shown = PictureFor(monitor, wallpapers);
      if (shown && shown->canvas == picture.canvas) places.push_back(monitor.area);
    }
    if (places.empty()) continue;
    if (Status status = connection.Put(*picture.canvas, pixmap, places); !status) {
      XFreePixmap(connection.display(), pixmap);
      return status;
    }
  }
  return pixmap;
}

// Makes `pixmap` the root background, kept after the connection closes, and
// frees our previous one.
Status Present(x11::Connection& connection, Pixmap pixmap, RestoreJournal& journal) {
  const Pixmap before = connection.RootPixmap();
  connection.SetRootPixmap(pixmap);
  XSetCloseDownMode(connection.display(), RetainPermanent);
  if (Status status = connection.Sync("tło okna głównego"); !status) return status;
  // Our previous pixmap lives on in the retained resources of our previous
  // connection; ending that client frees it.  Only while it is still the
  // background: once another program replaced it, its id may name a stranger.
  const Pixmap previous = x11::PixmapFromText(journal.Find(kOursKey).value_or(""));
  const Pixmap original = x11::PixmapFromText(journal.Find(kOriginalKey).value_or(""));
  if (previous != None && previous == before && previous != original) {
    XKillClient(connection.display(), previous);
    (void)connection.Sync("XKillClient");  // it may be gone already
  }
  journal.Set(kOursKey, x11::PixmapText(pixmap));
  return Status::Ok();
}

}  // namespace

// A pixmap sent ahead, on the connection that made it.
struct X11Desktop::Readied {
  std::unique_ptr<x11::Connection> connection;
  Pixmap pixmap = None;
  std::vector<std::int64_t> stamp;
  MonitorLayout monitors;
  ScreenSize root;
};

X11Desktop::X11Desktop(std::string display, std::string stateFolder)
    : JournaledDesktop(std::move(stateFolder)), display_(std::move(display)) {}

X11Desktop::~X11Desktop() = default;

Status X11Desktop::Capture(RestoreJournal& journal, WaitBudget&) {
  auto opened = x11::Connection::Open(display_);
  if (!opened) return opened.status();
  x11::Connection* connection = opened->get();
  journal.Add(kDisplayKey, display_);
  journal.Add(kOriginalKey, x11::PixmapText(connection->RootPixmap()));
  return connection->Sync("_XROOTPMAP_ID");
}

bool X11Desktop::NamesOurs(const std::string& value, const RestoreJournal& journal) const {
  const std::optional<std::string> ours = journal.Find(kOursKey);
  return ours && *ours == value;
}

Status X11Desktop::Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
                        WaitBudget& budget) {
  return ShowMonitors(OneScreen(canvas, path), journal, budget);
}

void X11Desktop::PrepareWallpapers(const Wallpapers& ahead) {
  ForgetPreparedWallpapers();
  auto readied = std::make_unique<Readied>();
  readied->stamp = WallpapersStamp(ahead);
  std::deque<Canvas> loaded;
  const Result<Wallpapers> pictures = WithPixels(ahead, loaded);
  if (readied->stamp.empty() || !pictures || pictures->monitors.empty()) return;
  auto opened = x11::Connection::Open(display_);
  if (!opened) return;
  readied->connection = std::move(*opened);
  x11::Connection& connection = *readied->connection;
  readied->monitors = ServerMonitors(connection, *pictures);
  readied->root = connection.RootSize();
  const Result<Pixmap> pixmap = DrawRoot(connection, *pictures, readied->monitors);
  if (!pixmap || !connection.Sync("tło okna głównego")) return;
  readied->pixmap = *pixmap;
  readied_ = std::move(readied);
}

void X11Desktop::ForgetPreparedWallpapers() {
  // Closing its connection frees the pixmap.
  readied_.reset();
}

Status X11Desktop::ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                                WaitBudget&) {
  if (wallpapers.monitors.empty() || wallpapers.primary().canvas->empty())
    return Status::Error("Pusty obraz tapety");
  // What was sent ahead serves this change, where the screen is still as it
  // was, or none.
  std::unique_ptr<Readied> readied = std::move(readied_);
  if (readied && readied->stamp == WallpapersStamp(wallpapers)) {
    x11::Connection& connection = *readied->connection;
    if (connection.RootSize() == readied->root &&
        ServerMonitors(connection, wallpapers) == readied->monitors)
      return Present(connection, readied->pixmap, journal);
  }
  readied.reset();
  auto opened = x11::Connection::Open(display_);
  if (!opened) return opened.status();
  x11::Connection& connection = **opened;
  std::deque<Canvas> loaded;
  const Result<Wallpapers> pictures = WithPixels(wallpapers, loaded);
  if (!pictures) return pictures.status();
  const Result<Pixmap> pixmap =
      DrawRoot(connection, *pictures, ServerMonitors(connection, *pictures));
  if (!pixmap) return pixmap.status();
  return Present(connection, *pixmap, journal);
}

Status X11Desktop::PutBack(const RestoreJournal& journal, WaitBudget&) {
  auto opened = x11::Connection::Open(journal.Find(kDisplayKey).value_or(display_));
  // No server, no wallpaper of ours: it went with the server.
  if (!opened) return Status::Ok();
  x11::Connection* connection = opened->get();
  const Pixmap ours = x11::PixmapFromText(journal.Find(kOursKey).value_or(""));
  const Pixmap original = x11::PixmapFromText(journal.Find(kOriginalKey).value_or(""));
  // Someone else set the background since (or the server was restarted): the
  // user's newer choice stays.
  if (ours == None || connection->RootPixmap() != ours) return connection->Sync("_XROOTPMAP_ID");
  if (original != None && connection->PixmapExists(original)) {
    connection->SetRootPixmap(original);
  } else {
    connection->DeleteRootPixmap();
  }
  XKillClient(connection->display(), ours);
  return connection->Sync("przywracanie tła");
}

}  // namespace vendaro
