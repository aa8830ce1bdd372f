#pragma once

#include <QWidget>

class QToolButton;

namespace vendaro {

// How far one repeat moves the position once a button or key has been held
// for `repeats` repeats: a step of one at first, then faster, so that a long
// way (a day in minutes) takes seconds rather than minutes.
int AcceleratedStep(int repeats);

// Spin buttons beside a read-only edit: a position within a range, moved one
// step by each click (held down, the click repeats and speeds up), by the
// mouse wheel and by the arrow and page keys over the buddy edit.
class UpDown : public QWidget {
  Q_OBJECT

 public:
  explicit UpDown(QWidget* parent = nullptr);

  void setRange(int minimum, int maximum);
  int position() const { return position_; }
  void setPosition(int position);
  // The edit that shows the position: it takes the wheel and the keys too.
  void setBuddy(QWidget* buddy);

  QToolButton* upButton() const { return up_; }
  QToolButton* downButton() const { return down_; }

 signals:
  // After a click has moved the position (or tried to, at a limit).
  void clicked();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Step(int delta);
  void Repeat(QToolButton* button, int direction);
  bool Wheel(QWheelEvent* event);
  bool Key(QKeyEvent* event);

  QToolButton* up_;
  QToolButton* down_;
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
  int repeats_ = 0;     // of the button or key held now
  int wheelAngle_ = 0;  // eighths of a degree not yet turned into steps
};

}  // namespace vendaro
