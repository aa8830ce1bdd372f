#pragma once

#include <QWidget>

class QToolButton;

namespace vendaro {

// Spin buttons beside a read-only edit: a position within a range, moved one
// step by each click (held down, the click repeats).
class UpDown : public QWidget {
  Q_OBJECT

 public:
  explicit UpDown(QWidget* parent = nullptr);

  void setRange(int minimum, int maximum);
  int position() const { return position_; }
  void setPosition(int position);

  QToolButton* upButton() const { return up_; }
  QToolButton* downButton() const { return down_; }

 signals:
  // After a click has moved the position (or tried to, at a limit).
  void clicked();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Step(int delta);

  QToolButton* up_;
  QToolButton* down_;
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
};

}  // namespace vendaro
