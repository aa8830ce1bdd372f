#include "app/screen_changes.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <utility>

#include "model/monitors.h"
#include "platform/display/screen.h"

namespace vendaro {

ScreenChanges::ScreenChanges(std::function<void()> settled, int settleMs, QObject* parent)
    : QObject(parent), settled_(std::move(settled)), timer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  timer_->setInterval(settleMs);
  connect(timer_, &QTimer::timeout, this, [this] { settled_(); });
}

void ScreenChanges::Watch() {
  if (!qGuiApp) return;
  for (QScreen* screen : QGuiApplication::screens()) Follow(screen);
  connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
    Follow(screen);
    Changed();
  });
  connect(qGuiApp, &QGuiApplication::screenRemoved, this, &ScreenChanges::Changed);
  connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &ScreenChanges::Changed);
}

void ScreenChanges::Follow(QScreen* screen) {
  connect(screen, &QScreen::geometryChanged, this, &ScreenChanges::Changed);
  // A new scale changes the device pixels a screen has.
  connect(screen, &QScreen::logicalDotsPerInchChanged, this, &ScreenChanges::Changed);
  connect(screen, &QScreen::physicalDotsPerInchChanged, this, &ScreenChanges::Changed);
}

void ScreenChanges::Changed() {
  timer_->start();  // again from the start at each change
}

bool ScreenChanges::Waiting() const {
  return timer_->isActive();
}

void KeepWindowsOnScreens() {
  const std::vector<Rect> areas = ScreenWorkAreas();
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible()) continue;
    const QRect frame = window->frameGeometry();
    const Rect kept =
        KeepOnScreens(Rect{frame.left(), frame.top(), frame.width(), frame.height()}, areas);
    if (kept.left != frame.left() || kept.top != frame.top()) window->move(kept.left, kept.top);
  }
}

}  // namespace vendaro
