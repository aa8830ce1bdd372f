#include "platform/display/x11_connection.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace vendaro::x11 {
namespace {

// Xlib reports errors through one process-wide handler; our connections are
// only used on the GUI thread, one at a time.
int g_firstError = 0;
bool g_lost = false;

int CollectError(Display*, XErrorEvent* event) {
  if (g_firstError == 0) g_firstError = event->error_code;
  return 0;
}

// The default handlers print and exit the program; a lost server must only
// fail the change.
int NoteLostConnection(Display*) {
  g_lost = true;
  return 0;
}
void KeepRunningOnLostConnection(Display*, void*) {
  g_lost = true;
}

// Big bands cost memory for no speed; small ones cost round trips.
constexpr std::size_t kBandBytes = std::size_t(4) << 20;

// Where a colour channel's mask puts its byte; nothing when the mask is not
// one byte wide.
std::optional<int> ShiftOf(unsigned long mask) {
  if (mask == 0) return std::nullopt;
  const int shift = std::countr_zero(mask);
  if ((mask >> shift) != 0xFF) return std::nullopt;
  return shift;
}

int BitsPerPixel(Display* display, int depth) {
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  int bits = 0;
  for (int i = 0; i < count; ++i) {
    if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
  }
  if (formats) XFree(formats);
  return bits;
}

std::size_t MaxRequestBytes(Display* display) {
  long words = XExtendedMaxRequestSize(display);
  if (words <= 0) words = XMaxRequestSize(display);
  return std::size_t(words) * 4;
}

using PixelLayout = Connection::PixelLayout;

template <int Red, int Green, int Blue>
void ConvertFixed(const std::uint8_t* in, std::size_t pixels, std::uint32_t fixedBits,
                  std::uint32_t* out) {
  for (std::size_t i = 0; i < pixels; ++i, in += 3) {
    out[i] = fixedBits | (std::uint32_t(in[0]) << Red) | (std::uint32_t(in[1]) << Green) |
             (std::uint32_t(in[2]) << Blue);
  }
}

void ConvertRows(const Canvas& canvas, int firstRow, int rows, const PixelLayout& layout,
                 std::uint32_t* out) {
  const std::uint8_t* in = canvas.row(firstRow);
  const std::size_t pixels = std::size_t(canvas.width) * std::size_t(rows);
  // Nearly every server is x8r8g8b8; fixed shifts let the compiler vectorise.
  if (layout.red == 16 && layout.green == 8 && layout.blue == 0) {
    ConvertFixed<16, 8, 0>(in, pixels, layout.fixedBits, out);
    return;
  }
  for (std::size_t i = 0; i < pixels; ++i, in += 3) {
    out[i] = layout.fixedBits | (std::uint32_t(in[0]) << layout.red) |
             (std::uint32_t(in[1]) << layout.green) | (std::uint32_t(in[2]) << layout.blue);
  }
}

}  // namespace

Result<std::unique_ptr<Connection>> Connection::Open(const std::string& name) {
  Display* display = XOpenDisplay(name.c_str());
  if (!display) return Status::Error("Nie można połączyć się z serwerem X " + name);
  return std::unique_ptr<Connection>(new Connection(display));
}

Connection::Connection(Display* display) : display_(display), root_(DefaultRootWindow(display)) {
  g_firstError = 0;
  g_lost = false;
  previousHandler_ = XSetErrorHandler(CollectError);
  previousIoHandler_ = XSetIOErrorHandler(NoteLostConnection);
  XSetIOErrorExitHandler(display, KeepRunningOnLostConnection, nullptr);
  // Asked while the server is surely there: libXext frees its record of an
  // extension twice when the connection is lost in the middle of the first
  // question about it (and the close that follows).
  XShmQueryExtension(display);
}

Connection::~Connection() {
  if (!g_lost) XSync(display_.get(), False);
  display_.reset();
  XSetErrorHandler(previousHandler_);
  XSetIOErrorHandler(previousIoHandler_);
}

Status Connection::Sync(const char* what) {
  if (!g_lost) XSync(display_.get(), False);
  if (g_lost) return Status::Error(std::string("Utracono połączenie z serwerem X: ") + what);
  const int error = std::exchange(g_firstError, 0);
  if (error == 0) return Status::Ok();
  char text[128] = {};
  XGetErrorText(display_.get(), error, text, sizeof text);
  return Status::Error(std::string("Błąd serwera X (") + what + "): " + text);
}

Pixmap Connection::RootPixmap() {
  Atom property = XInternAtom(display(), "_XROOTPMAP_ID", True);
  if (property == None) return None;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  Pixmap pixmap = None;
  if (XGetWindowProperty(display(), root_, property, 0, 1, False, XA_PIXMAP, &type, &format, &count,
                         &after, &data) == Success &&
      type == XA_PIXMAP && format == 32 && count == 1) {
    pixmap = *reinterpret_cast<Pixmap*>(data);
  }
  if (data) XFree(data);
  return pixmap;
}

void Connection::SetRootPixmap(Pixmap pixmap) {
  for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
    Atom property = XInternAtom(display(), name, False);
    XChangeProperty(display(), root_, property, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&pixmap), 1);
  }
  XSetWindowBackgroundPixmap(display(), root_, pixmap);
  XClearWindow(display(), root_);
}

void Connection::DeleteRootPixmap() {
  for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
    XDeleteProperty(display(), root_, XInternAtom(display(), name, False));
  }
  // None on the root window brings back the server's own background.
  XSetWindowBackgroundPixmap(display(), root_, None);
  XClearWindow(display(), root_);
}

bool Connection::PixmapExists(Pixmap pixmap) {
  if (pixmap == None || !Sync("XSync")) return false;
  Window root = 0;
  int x = 0;
  int y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  const bool answered =
      XGetGeometry(display(), pixmap, &root, &x, &y, &width, &height, &border, &depth) != 0;
  return Sync("XGetGeometry") && answered;
}

Result<Connection::PixelLayout> Connection::LayoutOfScreen() {
  Display* dpy = display();
  const int screen = DefaultScreen(dpy);
  const Visual* visual = DefaultVisual(dpy, screen);
  const int depth = DefaultDepth(dpy, screen);
  const std::optional<int> red = ShiftOf(visual->red_mask), green = ShiftOf(visual->green_mask),
                           blue = ShiftOf(visual->blue_mask);
  if (visual->c_class != TrueColor || (depth != 24 && depth != 32) ||
      BitsPerPixel(dpy, depth) != 32 || !red || !green || !blue) {
    return Status::Error("Nieobsługiwany format ekranu X (głębia " + std::to_string(depth) + ")");
  }
  return PixelLayout{
      *red, *green, *blue,
      static_cast<std::uint32_t>(~(visual->red_mask | visual->green_mask | visual->blue_mask))};
}

Result<Pixmap> Connection::CreateFilled(int width, int height, ColorValue rgb) {
  const Result<PixelLayout> layout = LayoutOfScreen();
  if (!layout) return layout.status();
  if (width <= 0 || height <= 0 || width > kMaxLayoutExtent || height > kMaxLayoutExtent)
    return Status::Error("Nieobsługiwany rozmiar ekranu X " + std::to_string(width) + "×" +
                         std::to_string(height));
  Display* dpy = display();
  const Pixmap pixmap = XCreatePixmap(dpy, root_, unsigned(width), unsigned(height),
                                      unsigned(DefaultDepth(dpy, DefaultScreen(dpy))));
  GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
  XSetForeground(dpy, gc,
                 layout->fixedBits | (std::uint32_t(RedOf(rgb)) << layout->red) |
                     (std::uint32_t(GreenOf(rgb)) << layout->green) |
                     (std::uint32_t(BlueOf(rgb)) << layout->blue));
  XFillRectangle(dpy, pixmap, gc, 0, 0, unsigned(width), unsigned(height));
  XFreeGC(dpy, gc);
  if (Status status = Sync("XFillRectangle"); !status) {
    XFreePixmap(dpy, pixmap);
    return status;
  }
  return pixmap;
}

Status Connection::Put(const Canvas& canvas, Pixmap pixmap, const std::vector<Rect>& places) {
  if (!canvas.hasPixels()) return Status::Error("brak obrazu tapety do wysłania");
  const Result<PixelLayout> layout = LayoutOfScreen();
  if (!layout) return layout.status();
  Display* dpy = display();
  GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
  if (!UploadShared(canvas, *layout, pixmap, gc, places))
    UploadInBands(canvas, *layout, pixmap, gc, places);
  XFreeGC(dpy, gc);
  return Sync("XPutImage");
}

ScreenSize Connection::RootSize() {
  Display* dpy = display();
  return {DisplayWidth(dpy, DefaultScreen(dpy)), DisplayHeight(dpy, DefaultScreen(dpy))};
}

MonitorLayout Connection::Monitors() {
  Display* dpy = display();
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(dpy, &event, &error) || !XRRQueryVersion(dpy, &major, &minor) ||
      major < 1 || (major == 1 && minor < 5)) {
    return {};
  }
  int count = 0;
  XRRMonitorInfo* info = XRRGetMonitors(dpy, root_, True, &count);
  MonitorLayout layout;
  for (int i = 0; i < count; ++i) {
    char* name = info[i].name != None ? XGetAtomName(dpy, info[i].name) : nullptr;
    layout.push_back({name ? name : "",
                      {info[i].x, info[i].y, info[i].width, info[i].height},
                      info[i].primary != 0});
    if (name) XFree(name);
  }
  if (info) XRRFreeMonitors(info);
  std::stable_partition(layout.begin(), layout.end(), [](const Monitor& m) { return m.primary; });
  return layout;
}

namespace {

struct SharedSegment {
  XShmSegmentInfo info{};
  ~SharedSegment() {
    if (info.shmaddr) shmdt(info.shmaddr);
  }
};

struct ImageFree {
  void operator()(XImage* image) const {
    image->data = nullptr;  // owned elsewhere
    XDestroyImage(image);
  }
};

}  // namespace

namespace {

// Where the canvas goes, each place cut to the canvas.
std::vector<Rect> Targets(const Canvas& canvas, const std::vector<Rect>& places) {
  if (places.empty()) return {{0, 0, canvas.width, canvas.height}};
  std::vector<Rect> targets;
  for (const Rect& place : places) {
    Rect target{place.left, place.top, std::min(place.width, canvas.width),
                std::min(place.height, canvas.height)};
    if (!target.empty()) targets.push_back(target);
  }
  return targets;
}

}  // namespace

bool Connection::UploadShared(const Canvas& canvas, const PixelLayout& layout, Pixmap pixmap, GC gc,
                              const std::vector<Rect>& places) {
  Display* dpy = display();
  const int screen = DefaultScreen(dpy);
  if (!XShmQueryExtension(dpy)) return false;
  SharedSegment segment;
  std::unique_ptr<XImage, ImageFree> image(
      XShmCreateImage(dpy, DefaultVisual(dpy, screen), unsigned(DefaultDepth(dpy, screen)), ZPixmap,
                      nullptr, &segment.info, unsigned(canvas.width), unsigned(canvas.height)));
  if (!image || image->bytes_per_line != canvas.width * 4) return false;
  segment.info.shmid =
      shmget(IPC_PRIVATE, std::size_t(image->bytes_per_line) * std::size_t(canvas.height),
             IPC_CREAT | 0600);
  if (segment.info.shmid < 0) return false;
  void* address = shmat(segment.info.shmid, nullptr, 0);
  const bool mapped = address != reinterpret_cast<void*>(-1);
  if (mapped) segment.info.shmaddr = image->data = static_cast<char*>(address);
  segment.info.readOnly = True;
  const bool attached = mapped && XShmAttach(dpy, &segment.info) && Sync("XShmAttach");
  // Marked for removal now: it goes away once both sides have detached.
  shmctl(segment.info.shmid, IPC_RMID, nullptr);
  if (!attached) return false;
  ConvertRows(canvas, 0, canvas.height, layout, reinterpret_cast<std::uint32_t*>(image->data));
  for (const Rect& target : Targets(canvas, places)) {
    XShmPutImage(dpy, pixmap, gc, image.get(), 0, 0, target.left, target.top,
                 unsigned(target.width), unsigned(target.height), False);
  }
  // The server must have read the segment before it is detached.
  XSync(dpy, False);
  XShmDetach(dpy, &segment.info);
  XSync(dpy, False);
  return true;
}

void Connection::UploadInBands(const Canvas& canvas, const PixelLayout& layout, Pixmap pixmap,
                               GC gc, const std::vector<Rect>& places) {
  Display* dpy = display();
  const int screen = DefaultScreen(dpy);
  const std::size_t rowBytes = std::size_t(canvas.width) * 4;
  const std::size_t budget = std::min(kBandBytes, MaxRequestBytes(dpy) - 1024);
  const int bandRows =
      static_cast<int>(std::clamp<std::size_t>(budget / rowBytes, 1, std::size_t(canvas.height)));
  std::vector<std::uint32_t> band(std::size_t(canvas.width) * std::size_t(bandRows));
  std::unique_ptr<XImage, ImageFree> image(
      XCreateImage(dpy, DefaultVisual(dpy, screen), unsigned(DefaultDepth(dpy, screen)), ZPixmap, 0,
                   reinterpret_cast<char*>(band.data()), unsigned(canvas.width), unsigned(bandRows),
                   32, int(rowBytes)));
  if (!image) return;
  // The band holds native 32-bit words; Xlib swaps them for the server.
  image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  const std::vector<Rect> targets = Targets(canvas, places);
  for (int y = 0; y < canvas.height && !g_lost; y += bandRows) {
    const int rows = std::min(bandRows, canvas.height - y);
    ConvertRows(canvas, y, rows, layout, band.data());
    for (const Rect& target : targets) {
      const int shown = std::min(rows, target.height - y);
      if (shown <= 0) continue;
      XPutImage(dpy, pixmap, gc, image.get(), 0, 0, target.left, target.top + y,
                unsigned(target.width), unsigned(shown));
    }
  }
}

std::string PixmapText(Pixmap pixmap) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(pixmap));
  return text;
}

Pixmap PixmapFromText(const std::string& text) {
  unsigned long value = 0;
  return std::sscanf(text.c_str(), "0x%lx", &value) == 1 ? Pixmap(value) : None;
}

}  // namespace vendaro::x11
