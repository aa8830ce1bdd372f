#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
// Xlib's macro for int would replace our result type from here on.
#undef Status

#include <memory>

#include "platform/display_query.h"

namespace vendaro {
namespace {

struct DisplayClose {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

std::string AtomName(Display* display, Atom atom) {
  char* text = atom != None ? XGetAtomName(display, atom) : nullptr;
  std::string name = text ? text : "";
  if (text) XFree(text);
  return name;
}

}  // namespace

Result<MonitorLayout> QueryX11Monitors(const std::string& name) {
  std::unique_ptr<Display, DisplayClose> display(XOpenDisplay(name.c_str()));
  if (!display) return Status::Error("nie można połączyć się z serwerem X " + name);
  Display* d = display.get();
  const int screen = DefaultScreen(d);
  MonitorLayout layout;
  int event = 0;
  int error = 0;
  if (XRRQueryExtension(d, &event, &error)) {
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(d, RootWindow(d, screen), True, &count);
    for (int i = 0; i < count; ++i) {
      const XRRMonitorInfo& m = monitors[i];
      Monitor monitor{AtomName(d, m.name), {m.x, m.y, m.width, m.height}, m.primary != 0};
      if (monitor.primary) {
        layout.insert(layout.begin(), monitor);
      } else {
        layout.push_back(monitor);
      }
    }
    if (monitors) XRRFreeMonitors(monitors);
  }
  if (layout.empty()) {
    layout.push_back({"screen", {0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)}, true});
  }
  // Without a primary monitor named, the first one counts as it.
  layout.front().primary = true;
  return layout;
}

}  // namespace vendaro
