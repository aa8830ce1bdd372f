#include "platform/display/screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "platform/desktop/environment.h"
#include "platform/display/display_query.h"

namespace vendaro {
namespace {

// Without a screen (no display, or no application object) the program still
// composes something sensible.
constexpr int kFallbackWidth = 1024;
constexpr int kFallbackHeight = 768;
// A compositor that does not answer holds the program this long at most.
constexpr int kQueryLimitMs = 1000;

QScreen* Primary() {
  return qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
}

int Device(int logical, double ratio) {
  return static_cast<int>(std::lround(logical * ratio));
}

std::vector<QtScreen> QtScreens() {
  std::vector<QtScreen> screens;
  QScreen* primary = Primary();
  if (!primary) return screens;
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry();
    screens.push_back({screen->name().toStdString(),
                       {g.left(), g.top(), g.width(), g.height()},
                       screen->devicePixelRatio(),
                       screen == primary});
  }
  return screens;
}

// The display server Qt draws on; an offscreen or other platform has none
// to ask.
Result<MonitorLayout> AskServer() {
  if (!qGuiApp) return Status::Error("brak aplikacji");
  const QString platform = QGuiApplication::platformName();
  Environment env = CurrentEnvironment();
  if (platform == QLatin1String("xcb")) {
    env.erase("WAYLAND_DISPLAY");
  } else if (platform == QLatin1String("wayland")) {
    env.erase("DISPLAY");
  } else {
    return Status::Error("platforma bez serwera wyświetlania");
  }
  return QueryMonitors(env, kQueryLimitMs);
}

}  // namespace

MonitorLayout DeviceLayout(const Result<MonitorLayout>& server, const std::vector<QtScreen>& qt) {
  MonitorLayout layout;
  if (server && !server->empty()) {
    layout = *server;
    auto qtPrimary =
        std::find_if(qt.begin(), qt.end(), [](const QtScreen& s) { return s.primary; });
    auto named = qtPrimary == qt.end()
                     ? layout.end()
                     : std::find_if(layout.begin(), layout.end(),
                                    [&](const Monitor& m) { return m.name == qtPrimary->name; });
    if (named != layout.end()) {
      for (Monitor& monitor : layout) monitor.primary = false;
      named->primary = true;
      std::rotate(layout.begin(), named, named + 1);
    }
    return layout;
  }
  for (const QtScreen& screen : qt) {
    const Rect& g = screen.geometry;
    Monitor monitor{screen.name,
                    {g.left, g.top, Device(g.width, screen.ratio), Device(g.height, screen.ratio)},
                    screen.primary};
    if (monitor.primary) {
      layout.insert(layout.begin(), std::move(monitor));
    } else {
      layout.push_back(std::move(monitor));
    }
  }
  if (layout.empty()) layout.push_back({"screen", {0, 0, kFallbackWidth, kFallbackHeight}, true});
  return layout;
}

MonitorLayout ScreenLayout() {
  const std::vector<QtScreen> qt = QtScreens();
  if (qt.empty()) return DeviceLayout(Status::Error("brak ekranu"), qt);
  return DeviceLayout(AskServer(), qt);
}

ScreenSize PrimaryScreenSize() {
  const Rect area = ScreenLayout().front().area;
  if (area.width <= 0 || area.height <= 0) return {kFallbackWidth, kFallbackHeight};
  return {area.width, area.height};
}

std::vector<Rect> ScreenWorkAreas() {
  std::vector<Rect> areas;
  QScreen* primary = Primary();
  if (!primary) return areas;
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect a = screen->availableGeometry();
    Rect area{a.left(), a.top(), a.width(), a.height()};
    if (screen == primary) {
      areas.insert(areas.begin(), area);
    } else {
      areas.push_back(area);
    }
  }
  return areas;
}

}  // namespace vendaro
