// The About window and the full-screen preview.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QUrl>

#include "ui/about_window.h"
#include "ui/preview_window.h"
#include "ui/windows.h"
#include "vendaro_version.h"

namespace vendaro {
namespace {

// Catches the links the window opens, so that no test starts a browser.
class LinkRecorder : public QObject {
  Q_OBJECT

 public:
  LinkRecorder() {
    for (const char* scheme : {"mailto", "https"}) {
      QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
  }
  ~LinkRecorder() override {
    for (const char* scheme : {"mailto", "https"}) QDesktopServices::unsetUrlHandler(scheme);
  }
  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& url) { opened << url; }
};

void Hover(QWidget* widget, QEvent::Type type) {
  QEvent event(type);
  QApplication::sendEvent(widget, &event);
}

TEST(AboutWindow, LooksAsSpecified) {
  TForm6 about;
  EXPECT_EQ(about.size(), QSize(342, 225));
  EXPECT_NEAR(about.windowOpacity(), 160.0 / 255.0, 0.01);
  EXPECT_TRUE(about.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(about.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(about.Label1->text(), QString("Vendaro v" VENDARO_VERSION));
  EXPECT_TRUE(about.Label1->font().bold());
  const struct {
    QLabel* label;
    int top;
    QColor color;
  } labels[] = {{about.Label1, 16, QColor(0, 64, 128)},    {about.Label2, 56, QColor(34, 124, 134)},
                {about.Label3, 80, QColor(34, 124, 134)},  {about.Label4, 100, QColor(0, 64, 128)},
                {about.Label7, 132, QColor(34, 124, 134)}, {about.Label5, 152, QColor(0, 64, 128)},
                {about.Label6, 192, QColor(34, 124, 134)}};
  for (const auto& l : labels) {
    EXPECT_EQ(l.label->y(), l.top) << l.label->objectName().toStdString();
    EXPECT_EQ(l.label->palette().color(QPalette::WindowText), l.color);
    EXPECT_NEAR(l.label->x() + l.label->width() / 2.0, 171, 1) << "centred";
  }
  EXPECT_EQ(TForm6::MailUrl(), QString("mailto:vendaro@example.org?subject=temacik"));
}

TEST(AboutWindow, HoverUnderlinesOnlyTheLink) {
  TForm6 about;
  about.show();
  Hover(about.Label4, QEvent::Enter);
  EXPECT_TRUE(about.Label4->font().underline());
  EXPECT_FALSE(about.Label5->font().underline());
  Hover(about.Label4, QEvent::Leave);
  EXPECT_FALSE(about.Label4->font().underline());
  Hover(about.Label2, QEvent::Enter);
  EXPECT_FALSE(about.Label2->font().underline());
}

TEST(AboutWindow, ClickOnTextClosesButNotOnALink) {
  LinkRecorder links;
  TForm6 about;
  about.show();
  QTest::mouseClick(about.Label4, Qt::LeftButton);
  QTest::mouseClick(about.Label5, Qt::LeftButton);
  EXPECT_TRUE(about.isVisible());
  EXPECT_EQ(links.opened, (QList<QUrl>{QUrl(TForm6::MailUrl()), QUrl(TForm6::PageUrl())}));
  QTest::mouseClick(about.Label6, Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());

  TForm6 again;
  again.show();
  QTest::mouseClick(again.Label1, Qt::LeftButton);
  EXPECT_FALSE(again.isVisible());
}

TEST(Splash, IsShownWithoutWaiting) {
  std::unique_ptr<QWidget> splash(CreateSplash());
  EXPECT_TRUE(splash->isVisible());
  EXPECT_FALSE(splash->isModal());
}

TEST(PreviewWindow, ShowsThePictureOneToOneAndClosesOnAClick) {
  QImage picture(200, 100, QImage::Format_RGB888);
  picture.fill(QColor(10, 200, 30));
  TForm3 preview(picture);
  EXPECT_EQ(preview.geometry(), QGuiApplication::primaryScreen()->geometry())
      << "covers the screen";
  EXPECT_TRUE(preview.windowState().testFlag(Qt::WindowFullScreen)) << "above the panels";
  EXPECT_TRUE(preview.isWindow());
  preview.resize(300, 200);
  preview.show();
  const QImage shown = preview.grab().toImage();
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(10, 200, 30));
  EXPECT_EQ(shown.pixelColor(199, 99), QColor(10, 200, 30));
  EXPECT_EQ(shown.pixelColor(250, 150), QColor(Qt::black)) << "from the top-left, not centred";

  QTest::keyClick(&preview, Qt::Key_Escape);
  EXPECT_TRUE(preview.isVisible()) << "keys do nothing";
  QTest::mouseClick(preview.Image1, Qt::LeftButton, {}, QPoint(280, 190));
  EXPECT_FALSE(preview.isVisible());
}

}  // namespace
}  // namespace vendaro

#include "small_windows_test.moc"
