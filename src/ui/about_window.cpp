#include "ui/about_window.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

#include "ui/look.h"
#include "ui/screen_fit.h"
#include "vendaro_version.h"

namespace vendaro {
namespace {

constexpr int kWidth = 342;
constexpr int kHeight = 225;
constexpr const char* kAuthor = "Zespół Vendaro";
constexpr const char* kMail = "vendaro@example.org";
constexpr const char* kPage = "https://example.org/vendaro";

const QColor kTitleBlue(0, 64, 128);
const QColor kTeal(34, 124, 134);

void SetUnderline(QLabel* label, bool on) {
  QFont font = label->font();
  font.setUnderline(on);
  label->setFont(font);
}

}  // namespace

TForm6::TForm6(QWidget* parent) : QDialog(parent) {
  setObjectName("TForm6");
  setWindowTitle("Vendaro");
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  setFixedSize(kWidth, kHeight);
  setWindowOpacity(160.0 / 255.0);
  SetBackground(this, Qt::white);

  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setGeometry(0, 0, kWidth, kHeight);
  auto* innerBevel = new QFrame(Panel1);
  innerBevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  innerBevel->setGeometry(1, 1, kWidth - 2, kHeight - 2);

  Label1 =
      AddLabel("Label1", 16, QStringLiteral("Vendaro v" VENDARO_VERSION), kTitleBlue, 19, true);
  Label2 = AddLabel("Label2", 56, "Autor programu :", kTeal, 12);
  Label3 = AddLabel("Label3", 80, kAuthor, kTeal, 12);
  Label4 = AddLabel("Label4", 100, kMail, kTitleBlue, 12);
  Label7 = AddLabel("Label7", 132, "Strona programu :", kTeal, 12);
  Label5 = AddLabel("Label5", 152, kPage, kTitleBlue, 12);
  Label6 = AddLabel("Label6", 192, "Kliknij, aby zamknąć", kTeal, 12);
  for (QLabel* link : {Label4, Label5}) {
    link->setCursor(Qt::PointingHandCursor);
    link->installEventFilter(this);
  }

  CentreOnScreen(this);
}

QString TForm6::MailUrl() {
  return QStringLiteral("mailto:%1?subject=temacik").arg(kMail);
}
QString TForm6::PageUrl() {
  return QString::fromUtf8(kPage);
}

QLabel* TForm6::AddLabel(const char* name, int top, const QString& text, QColor color,
                         int pixelSize, bool bold) {
  auto* label = new QLabel(text, Panel1);
  label->setObjectName(name);
  label->setFont(UiFont(kVerdana, pixelSize, bold));
  QPalette colors = label->palette();
  colors.setColor(QPalette::WindowText, color);
  label->setPalette(colors);
  label->adjustSize();
  label->move((kWidth - label->width()) / 2, top);
  return label;
}

bool TForm6::eventFilter(QObject* watched, QEvent* event) {
  auto* link = qobject_cast<QLabel*>(watched);
  if (link == nullptr) return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Enter:
      Label4MouseEnter(link);
      break;
    case QEvent::Leave:
      Label4MouseLeave(link);
      break;
    case QEvent::MouseButtonRelease:
      if (link == Label4) Label4Click();
      if (link == Label5) Label5Click();
      return true;
    case QEvent::MouseButtonPress:
      return true;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void TForm6::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  close();
}

void TForm6::Label4MouseEnter(QLabel* link) {
  SetUnderline(link, true);
}
void TForm6::Label4MouseLeave(QLabel* link) {
  SetUnderline(link, false);
}

// What the system does with a link is its own business: the window stays.
void TForm6::Label4Click() {
  QDesktopServices::openUrl(QUrl(MailUrl()));
}
void TForm6::Label5Click() {
  QDesktopServices::openUrl(QUrl(PageUrl()));
}

}  // namespace vendaro
