#include "platform/x11/x11_connection.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
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

void KeepRunningOnLostConnection(Display*, void*) { g_lost = true; }

// Big bands cost memory for no speed; small ones cost round trips.
constexpr std::size_t kBandBytes = std::size_t(4) << 20;

struct ChannelShift {
  int shift = 0;
  bool ok = false;
};

ChannelShift ShiftOf(unsigned long mask) {
  if (mask == 0) return {};
  const int shift = std::countr_zero(mask);
  return {shift, (mask >> shift) == 0xFF};
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

struct PixelLayout {
  int red = 0;
  int green = 0;
  int blue = 0;
  std::uint32_t fixedBits = 0;  // alpha of a 32-bit visual: opaque
};

void ConvertRows(const Canvas& canvas, int firstRow, int rows, const PixelLayout& layout, std::uint32_t* out) {
  for (int y = firstRow; y < firstRow + rows; ++y) {
    const std::uint8_t* in = canvas.row(y);
    for (int x = 0; x < canvas.width; ++x, in += 3) {
      *out++ = layout.fixedBits | (std::uint32_t(in[0]) << layout.red) | (std::uint32_t(in[1]) << layout.green) |
               (std::uint32_t(in[2]) << layout.blue);
    }
  }
}

}  // namespace

std::unique_ptr<Connection> Connection::Open(const std::string& name, Status& status) {
  Display* display = XOpenDisplay(name.c_str());
  if (!display) {
    status = Status::Error("Nie można połączyć się z serwerem X " + name);
    return nullptr;
  }
  status = Status::Ok();
  return std::unique_ptr<Connection>(new Connection(display));
}

Connection::Connection(Display* display) : display_(display), root_(DefaultRootWindow(display)) {
  g_firstError = 0;
  g_lost = false;
  previousHandler_ = XSetErrorHandler(CollectError);
  XSetIOErrorExitHandler(display, KeepRunningOnLostConnection, nullptr);
}

Connection::~Connection() {
  if (!g_lost) XSync(display_.get(), False);
  XSetErrorHandler(previousHandler_);
}

bool Connection::Lost() const { return g_lost; }

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
  if (XGetWindowProperty(display(), root_, property, 0, 1, False, XA_PIXMAP, &type, &format, &count, &after,
                         &data) == Success &&
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
  const bool answered = XGetGeometry(display(), pixmap, &root, &x, &y, &width, &height, &border, &depth) != 0;
  return Sync("XGetGeometry") && answered;
}

Status Connection::Upload(const Canvas& canvas, Pixmap& pixmap) {
  Display* dpy = display();
  const int screen = DefaultScreen(dpy);
  Visual* visual = DefaultVisual(dpy, screen);
  const int depth = DefaultDepth(dpy, screen);
  const ChannelShift red = ShiftOf(visual->red_mask), green = ShiftOf(visual->green_mask),
                     blue = ShiftOf(visual->blue_mask);
  if (visual->c_class != TrueColor || (depth != 24 && depth != 32) || BitsPerPixel(dpy, depth) != 32 || !red.ok ||
      !green.ok || !blue.ok) {
    return Status::Error("Nieobsługiwany format ekranu X (głębia " + std::to_string(depth) + ")");
  }
  const PixelLayout layout{red.shift, green.shift, blue.shift,
                           static_cast<std::uint32_t>(~(visual->red_mask | visual->green_mask | visual->blue_mask))};
  const std::size_t rowBytes = std::size_t(canvas.width) * 4;
  const std::size_t budget = std::min(kBandBytes, MaxRequestBytes(dpy) - 1024);
  const int bandRows = static_cast<int>(std::clamp<std::size_t>(budget / rowBytes, 1, std::size_t(canvas.height)));
  std::vector<std::uint32_t> band(std::size_t(canvas.width) * std::size_t(bandRows));
  XImage* image = XCreateImage(dpy, visual, unsigned(depth), ZPixmap, 0, reinterpret_cast<char*>(band.data()),
                               unsigned(canvas.width), unsigned(bandRows), 32, int(rowBytes));
  if (!image) return Status::Error("Brak pamięci na obraz X");
  // The band holds native 32-bit words; Xlib swaps them for the server.
  image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  pixmap = XCreatePixmap(dpy, root_, unsigned(canvas.width), unsigned(canvas.height), unsigned(depth));
  GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
  for (int y = 0; y < canvas.height && !g_lost; y += bandRows) {
    const int rows = std::min(bandRows, canvas.height - y);
    ConvertRows(canvas, y, rows, layout, band.data());
    XPutImage(dpy, pixmap, gc, image, 0, 0, 0, y, unsigned(canvas.width), unsigned(rows));
  }
  XFreeGC(dpy, gc);
  image->data = nullptr;  // the band owns the pixels
  XDestroyImage(image);
  return Sync("XPutImage");
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
