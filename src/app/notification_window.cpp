#include "app/notification_window.h"

#include <QApplication>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <algorithm>

#include "platform/session/path_text.h"

namespace vendaro {
namespace {

constexpr double kOpacity = 190.0 / 255.0;

QLabel* MakeLabel(QWidget* parent, const char* name, int top, const QString& text, bool bold,
                  const QColor& colour) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(16, top, 209, 14);
  label->setAlignment(Qt::AlignCenter);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(11);
  font.setItalic(!bold);
  font.setBold(bold);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  return label;
}

QLabel* MakeIcon(QWidget* parent, const char* name, int left) {
  auto* image = new QLabel(parent);
  image->setObjectName(name);
  image->setGeometry(left, 8, 32, 32);
  return image;
}

}  // namespace

NotificationPlacement PlaceNotification(const Rect& workArea, int screenBottom) {
  NotificationPlacement placement;
  placement.left = workArea.left + workArea.width - kNotificationWidth;
  placement.startTop = screenBottom;
  placement.top = workArea.top + workArea.height - kNotificationHeight;
  return placement;
}

TForm5::TForm5()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus) {
  setObjectName(QStringLiteral("TForm5"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFixedSize(kNotificationWidth, kNotificationHeight);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  setWindowOpacity(kOpacity);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setGeometry(0, 0, kNotificationWidth, kNotificationHeight);
  Label1 =
      MakeLabel(Panel1, "Label1", 8, QStringLiteral("Zmiana tapety na :"), false, Qt::darkBlue);
  Label2 = MakeLabel(Panel1, "Label2", 24, QString(), true, Qt::black);
  Image1 = MakeIcon(Panel1, "Image1", 8);
  Image2 = MakeIcon(Panel1, "Image2", 200);
  Image1->setPixmap(QIcon(QStringLiteral(":/app/change.svg")).pixmap(32, 32));
  // A click anywhere on the window hides it, the panel and labels included.
  for (QWidget* child : findChildren<QWidget*>())
    child->setAttribute(Qt::WA_TransparentForMouseEvents);
  FormCreate();

  closeLater_.setSingleShot(true);
  connect(&closeLater_, &QTimer::timeout, this, &TForm5::FadeOut);
  fade_ = new QPropertyAnimation(this, "windowOpacity", this);
  fade_->setDuration(kNotificationFadeMs);
  fade_->setEndValue(0.0);
  connect(fade_, &QPropertyAnimation::finished, this, &QWidget::hide);
}

void TForm5::FormCreate() {
  Image2->setPixmap(Image1->pixmap());
}

void TForm5::ShowFor(const WallpaperEntry& entry) {
  closeLater_.stop();
  fade_->stop();
  setWindowOpacity(kOpacity);
  shownFor_.start();
  QScreen* screen = QGuiApplication::primaryScreen();
  QRect area =
      screen ? screen->availableGeometry() : QRect(0, 0, kNotificationWidth, kNotificationHeight);
  // The primary monitor need not start at the top of the layout.
  int screenBottom = screen ? screen->geometry().bottom() + 1 : area.height();
  NotificationPlacement placement =
      PlaceNotification(Rect{area.left(), area.top(), area.width(), area.height()}, screenBottom);
  move(placement.left, placement.startTop);
  Label2->setText(PathText(FileNamePart(entry.path)));
  QApplication::processEvents();
  move(placement.left, placement.top);
  show();
  QApplication::processEvents();
}

void TForm5::Finish() {
  if (isHidden()) return;
  const qint64 shown = shownFor_.isValid() ? shownFor_.elapsed() : kNotificationShownMs;
  closeLater_.start(static_cast<int>(std::max<qint64>(0, kNotificationShownMs - shown)));
}

void TForm5::FadeOut() {
  fade_->setStartValue(windowOpacity());
  fade_->start();
}

void TForm5::mousePressEvent(QMouseEvent*) {
  FormClick();
}

void TForm5::FormClick() {
  closeLater_.stop();
  fade_->stop();
  hide();
}

}  // namespace vendaro
