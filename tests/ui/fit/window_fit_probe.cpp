// Opens every window of the program on whatever screen Qt is given and
// prints each one that reaches outside the screen's free area or cuts a
// text short; exits 1 when it printed anything.  Run by screen_fit_test
// under several scales and screen sizes.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "app/notification_window.h"
#include "support/test_environment.h"
#include "ui/about_window.h"
#include "ui/additional_settings_dialog.h"
#include "ui/preview_window.h"
#include "ui/settings_fixture.h"

namespace vendaro {
namespace {

int faults = 0;

void Report(const QWidget* window, const QWidget* part, const char* what) {
  const QRect place = part != nullptr ? part->geometry() : window->frameGeometry();
  std::printf("%s/%s: %s (%d,%d %dx%d; needs %dx%d)\n", qPrintable(window->objectName()),
              part != nullptr ? qPrintable(part->objectName()) : "-", what, place.x(), place.y(),
              place.width(), place.height(), part != nullptr ? part->minimumSizeHint().width() : 0,
              part != nullptr ? part->sizeHint().width() : 0);
  ++faults;
}

// The room a control's text needs, against the room it has.
bool TextFits(const QWidget* part) {
  if (const auto* label = qobject_cast<const QLabel*>(part)) {
    if (label->text().isEmpty()) return true;
    if (label->wordWrap()) return label->heightForWidth(label->width()) <= label->height();
    return label->sizeHint().width() <= label->width();
  }
  if (const auto* group = qobject_cast<const QGroupBox*>(part)) {
    return group->minimumSizeHint().width() <= group->width();
  }
  if (const auto* button = qobject_cast<const QAbstractButton*>(part)) {
    return button->text().isEmpty() || button->sizeHint().width() <= button->width();
  }
  return true;
}

// A scrolled page is meant to be larger than what shows of it.
bool IsScrolledPage(const QWidget* part) {
  const auto* scroll = qobject_cast<const QScrollArea*>(
      part->parentWidget() ? part->parentWidget()->parentWidget() : nullptr);
  return scroll != nullptr && scroll->widget() == part;
}

void Check(QWidget* window) {
  QApplication::processEvents();
  const QRect area = window->screen()->availableGeometry();
  if (!window->isVisible()) Report(window, nullptr, "not shown");
  if (!area.contains(window->frameGeometry())) Report(window, nullptr, "outside the free area");
  for (const QWidget* part : window->findChildren<QWidget*>()) {
    if (part->isWindow() || !part->isVisibleTo(window)) continue;
    if (!TextFits(part)) Report(window, part, "text cut");
    const QWidget* parent = part->parentWidget();
    if (!IsScrolledPage(part) && !parent->rect().contains(part->geometry()))
      Report(window, part, "outside its parent");
  }
}

// The screen the test asked for (VENDARO_PROBE_SCREEN, "WxH" in device
// pixels) is the one Qt gave: otherwise nothing here would mean anything.
void CheckScreen() {
  const QString wanted = qEnvironmentVariable("VENDARO_PROBE_SCREEN");
  if (wanted.isEmpty()) return;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSizeF device = QSizeF(screen->size()) * screen->devicePixelRatio();
  const QStringList sides = wanted.split('x');
  if (sides.size() != 2 || std::abs(device.width() - sides[0].toDouble()) > 2 ||
      std::abs(device.height() - sides[1].toDouble()) > 2) {
    std::printf("screen: %gx%g, not %s\n", device.width(), device.height(), qPrintable(wanted));
    ++faults;
  }
}

int Run() {
  CheckScreen();
  testing::SettingsWindowFixture fixture;
  const QSize screen = QGuiApplication::primaryScreen()->size();
  fixture.screen = {screen.width(), screen.height()};
  fixture.State().list.push_back(fixture.MakePicture("morze.png", 64, 48));
  fixture.State().settings.IntervalMinutes = 1440;

  TForm1& window = fixture.OpenWindow();
  window.show();
  Check(&window);
  window.CheckBox4->setChecked(true);
  Check(window.Form4);

  QMessageBox box(QMessageBox::Question, QStringLiteral("Zapytanie"),
                  QStringLiteral("Nie znaleziono pliku\n%1\nCzy usunąć go z listy ?")
                      .arg(QString::fromStdString(fixture.pictureFolder) + "morze.png"),
                  QMessageBox::Yes | QMessageBox::No, &window);
  box.show();
  Check(&box);
  box.hide();

  TForm3 preview(window.thumbnailPicture(), &window);
  preview.show();
  Check(&preview);
  preview.hide();

  TForm5 notification;
  notification.ShowFor(fixture.State().list[0]);
  Check(&notification);

  TForm6 about;
  about.show();
  Check(&about);
  about.hide();
  window.hide();

  testing::SettingsWindowFixture empty;
  empty.screen = fixture.screen;
  TForm1& first = empty.OpenWindow();
  first.setObjectName("TForm1 (first start)");
  first.ShowFirstStartHint();
  first.show();
  Check(&first);
  return faults == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vendaro

int main(int argc, char** argv) {
  // The sandbox sets the plain offscreen platform; the screen given with it
  // stays.
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  vendaro::testing::IsolateEnvironment();
  if (platform.startsWith("offscreen")) qputenv("QT_QPA_PLATFORM", platform);
  QApplication app(argc, argv);
  const int result = vendaro::Run();
  vendaro::testing::RemoveSandbox();
  return result;
}
