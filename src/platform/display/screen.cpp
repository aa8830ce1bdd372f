#include "platform/display/screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace vendaro {
namespace {

// Without a screen (no display, or no application object) the program still
// composes something sensible.
constexpr int kFallbackWidth = 1024;
constexpr int kFallbackHeight = 768;

QScreen* Primary() {
  return qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
}

int Device(int logical, qreal ratio) {
  return static_cast<int>(std::lround(logical * ratio));
}

}  // namespace

ScreenSize PrimaryScreenSize() {
  QScreen* screen = Primary();
  if (!screen) return {kFallbackWidth, kFallbackHeight};
  const qreal ratio = screen->devicePixelRatio();
  const QRect g = screen->geometry();
  if (g.isEmpty()) return {kFallbackWidth, kFallbackHeight};
  return {Device(g.width(), ratio), Device(g.height(), ratio)};
}

MonitorLayout ScreenLayout() {
  MonitorLayout layout;
  QScreen* primary = Primary();
  if (!primary) return {{"screen", {0, 0, kFallbackWidth, kFallbackHeight}, true}};
  for (QScreen* screen : QGuiApplication::screens()) {
    const qreal ratio = screen->devicePixelRatio();
    const QRect g = screen->geometry();
    Monitor monitor{screen->name().toStdString(),
                    {g.left(), g.top(), Device(g.width(), ratio), Device(g.height(), ratio)},
                    screen == primary};
    if (monitor.primary) {
      layout.insert(layout.begin(), std::move(monitor));
    } else {
      layout.push_back(std::move(monitor));
    }
  }
  return layout;
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
