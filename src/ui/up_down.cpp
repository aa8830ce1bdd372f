#include "ui/up_down.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

namespace vendaro {
namespace {

constexpr int kWheelNotch = 120;  // eighths of a degree
constexpr int kPageStep = 10;

}  // namespace

int AcceleratedStep(int repeats) {
  if (repeats < 10) return 1;
  if (repeats < 30) return 5;
  return 30;
}

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  up_->setObjectName("up");
  down_->setObjectName("down");
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* button : {up_, down_}) {
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    // The button repeats press and release itself while held; only the
    // mouse's own press starts a new count.
    button->installEventFilter(this);
  }
  connect(up_, &QToolButton::clicked, this, [this] { Repeat(up_, 1); });
  connect(down_, &QToolButton::clicked, this, [this] { Repeat(down_, -1); });
}

void UpDown::setRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  setPosition(position_);
}

void UpDown::setPosition(int position) {
  position_ = std::clamp(position, minimum_, maximum_);
}

void UpDown::setBuddy(QWidget* buddy) {
  buddy->installEventFilter(this);
}

void UpDown::Step(int delta) {
  setPosition(position_ + delta);
  emit clicked();
}

// A click while the button is still down is one of its repeats.
void UpDown::Repeat(QToolButton* button, int direction) {
  Step(direction * AcceleratedStep(repeats_));
  if (button->isDown()) ++repeats_;
}

void UpDown::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

void UpDown::wheelEvent(QWheelEvent* event) {
  if (!Wheel(event)) QWidget::wheelEvent(event);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && (watched == up_ || watched == down_)) {
    repeats_ = 0;
    return false;
  }
  if (isEnabled()) {
    if (event->type() == QEvent::Wheel && Wheel(static_cast<QWheelEvent*>(event))) return true;
    if (event->type() == QEvent::KeyPress && Key(static_cast<QKeyEvent*>(event))) return true;
  }
  return QWidget::eventFilter(watched, event);
}

// Fine-grained wheels send parts of a notch; they add up to whole steps.
bool UpDown::Wheel(QWheelEvent* event) {
  if (!isEnabled()) return false;
  wheelAngle_ += event->angleDelta().y();
  const int steps = wheelAngle_ / kWheelNotch;
  wheelAngle_ -= steps * kWheelNotch;
  if (steps != 0) Step(steps);
  event->accept();
  return true;
}

bool UpDown::Key(QKeyEvent* event) {
  int direction = 0;
  int size = 1;
  switch (event->key()) {
    case Qt::Key_Up:
      direction = 1;
      break;
    case Qt::Key_Down:
      direction = -1;
      break;
    case Qt::Key_PageUp:
      direction = 1;
      size = kPageStep;
      break;
    case Qt::Key_PageDown:
      direction = -1;
      size = kPageStep;
      break;
    default:
      return false;
  }
  repeats_ = event->isAutoRepeat() ? repeats_ + 1 : 0;
  Step(direction * std::max(size, AcceleratedStep(repeats_)));
  return true;
}

}  // namespace vendaro
