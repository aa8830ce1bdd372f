#include "ui/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QWidget>
#include <algorithm>

namespace vendaro {
namespace {

// A title bar and thin borders, as most window managers draw them; used only
// until the real frame is known.
constexpr QMargins kGuessedDecoration(4, 32, 4, 4);
constexpr const char* kScrollName = "scrollArea";

int FitAxis(int start, int length, int areaStart, int areaLength) {
  if (length >= areaLength) return areaStart;
  return std::clamp(start, areaStart, areaStart + areaLength - length);
}

// Moves the window's child widgets, where they are, onto a page of the
// window's size inside a scroll area that covers the window.
QScrollArea* ScrollChildren(QWidget* window) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("scrolledPage"));
  page->setFixedSize(window->size());
  const QObjectList children = window->children();
  for (QObject* child : children) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || widget->isWindow()) continue;
    const bool shown = !widget->isHidden();
    const QRect place = widget->geometry();
    widget->setParent(page);
    widget->setGeometry(place);
    widget->setVisible(shown);
  }
  auto* scroll = new QScrollArea(window);
  scroll->setObjectName(kScrollName);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(page);
  scroll->show();
  return scroll;
}

}  // namespace

QRect FrameOf(const QWidget* window) {
  // pos() is where the frame starts; before the first show it is where the
  // window was asked to go.
  return {window->pos(), window->size().grownBy(FrameMargins(window))};
}

QPoint FitFrameInto(const QRect& wanted, const QRect& area) {
  return {FitAxis(wanted.x(), wanted.width(), area.x(), area.width()),
          FitAxis(wanted.y(), wanted.height(), area.y(), area.height())};
}

QPoint PlaceBeside(const QRect& anchor, const QSize& frame, const QRect& area) {
  const QRect right(QPoint(anchor.right() + 2, anchor.top()), frame);
  if (area.contains(right)) return right.topLeft();
  const QRect left(QPoint(anchor.left() - 1 - frame.width(), anchor.top()), frame);
  if (area.contains(left)) return left.topLeft();
  return FitFrameInto(right, area);
}

QRect AvailableArea(const QWidget* window) {
  const QScreen* screen = window != nullptr ? window->screen() : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

QMargins FrameMargins(const QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect inner = window->geometry();
  const QMargins known(inner.left() - frame.left(), inner.top() - frame.top(),
                       frame.right() - inner.right(), frame.bottom() - inner.bottom());
  if (!known.isNull() || window->isVisible()) return known;
  if (window->windowFlags().testFlag(Qt::FramelessWindowHint)) return {};
  return kGuessedDecoration;
}

void ShrinkToArea(QWidget* window, const QRect& area) {
  if (area.isEmpty()) return;
  auto* scroll = window->findChild<QScrollArea*>(kScrollName, Qt::FindDirectChildrenOnly);
  const QSize full = scroll != nullptr ? scroll->widget()->size() : window->size();
  const QMargins frame = FrameMargins(window);
  const QSize room(area.width() - frame.left() - frame.right(),
                   area.height() - frame.top() - frame.bottom());
  if (full.width() <= room.width() && full.height() <= room.height()) return;
  if (scroll == nullptr) scroll = ScrollChildren(window);
  const QSize shrunk(std::min(full.width(), room.width()), std::min(full.height(), room.height()));
  window->setFixedSize(shrunk);
  scroll->setGeometry(0, 0, shrunk.width(), shrunk.height());
}

void KeepOnScreen(QWidget* window) {
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) return;
  ShrinkToArea(window, area);
  const QRect frame = FrameOf(window);
  const QPoint place = FitFrameInto(frame, area);
  if (place != frame.topLeft()) window->move(place);
}

void CentreOnScreen(QWidget* window) {
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) return;
  ShrinkToArea(window, area);
  QRect frame = FrameOf(window);
  // The centre of the whole screen, as ever; the free area only bounds it.
  const QScreen* screen = window->screen();
  frame.moveCenter(screen != nullptr ? screen->geometry().center() : area.center());
  window->move(FitFrameInto(frame, area));
}

}  // namespace vendaro
