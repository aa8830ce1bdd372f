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
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  SetBackground(this, Qt::black);

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image1->setPixmap(QPixmap::fromImage(picture));
  Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Image1);
  // Covering the screen by geometry works with and without a window manager.
  if (const QScreen* screen =
          parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen()) {
    setGeometry(screen->geometry());
  }
}

void TForm3::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  close();
}

void TForm3::keyPressEvent(QKeyEvent* event) {
  event->accept();
}

}  // namespace vendaro
