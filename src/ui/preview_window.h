#pragma once

#include <QDialog>
#include <QImage>

class QLabel;

namespace vendaro {

// The full-screen preview: the composed wallpaper at its own size from the
// top-left corner on black; any click closes it, keys do nothing.
class TForm3 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm3(const QImage& picture, QWidget* parent = nullptr);

  QLabel* Image1 = nullptr;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vendaro
