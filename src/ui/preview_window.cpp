#include "ui/preview_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/look.h"

namespace vendaro {

TForm3::TForm3(const QImage& picture, QWidget* parent) : QDialog(parent) {
  setObjectName("TForm3");
  // A window of its own rather than a dialog: window managers keep a
  // full-screen dialog below their panels.
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  SetBackground(this, Qt::black);

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image1->setPixmap(QPixmap::fromImage(picture));
  Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Image1);
  // Full screen on the screen of the window it was opened from, above the
  // panels; the geometry too, for a display without a window manager.
  if (QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen()) {
    setScreen(screen);
    setGeometry(screen->geometry());
  }
  setWindowState(windowState() | Qt::WindowFullScreen);
}

void TForm3::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  close();
}

void TForm3::keyPressEvent(QKeyEvent* event) {
  event->accept();
}

}  // namespace vendaro
