// The desktop's notification service and file manager, played by objects of
// this test on a private session bus.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QVariantMap>

#include "app/desktop_notification.h"
#include "app/file_manager.h"
#include "platform/platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {

class FakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Call {
    quint32 replaces;
    QString body;
    QSize image;          // of the image-data hint; empty without one
    qsizetype bytes = 0;  // its pixel bytes
  };
  std::vector<Call> calls;

 public slots:
  quint32 Notify(const QString&, quint32 replaces, const QString&, const QString&,
                 const QString& body, const QStringList&, const QVariantMap& hints, int) {
    Call call{replaces, body, {}, 0};
    if (hints.contains("image-data")) {
      const auto arg = hints.value("image-data").value<QDBusArgument>();
      int width = 0, height = 0, stride = 0, bits = 0, channels = 0;
      bool alpha = false;
      QByteArray data;
      arg.beginStructure();
      arg >> width >> height >> stride >> alpha >> bits >> channels >> data;
      arg.endStructure();
      call.image = {width, height};
      call.bytes = data.size() == qsizetype{stride} * height ? data.size() : -1;
    }
    calls.push_back(call);
    return replaces != 0 ? replaces : ++lastId_;
  }

 private:
  quint32 lastId_ = 40;
};

class FakeFileManager : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

 public:
  QStringList shown;

 public slots:
  void ShowItems(const QStringList& uris, const QString&) { shown << uris; }
};

namespace {

const char* kNotifications = "org.freedesktop.Notifications";
const char* kFileManager = "org.freedesktop.FileManager1";

class DesktopServices : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::StartPrivateBus(false).empty()) GTEST_SKIP() << "dbus-daemon is not available";
  }
  // The service's side: a connection of its own, as another program has.
  static QDBusConnection ServiceSide() {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, "service-side");
  }
  template <class Fake>
  void Serve(Fake& fake, const char* name, const char* path) {
    QDBusConnection side = ServiceSide();
    ASSERT_TRUE(side.registerObject(path, &fake, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(side.registerService(name));
  }
  void TearDown() override {
    QDBusConnection side = ServiceSide();
    for (const char* name : {kNotifications, kFileManager}) side.unregisterService(name);
    side.unregisterObject("/org/freedesktop/Notifications");
    side.unregisterObject("/org/freedesktop/FileManager1");
  }
};

WallpaperEntry Picture(const std::string& name, int width = 400, int height = 200) {
  return MakeEntry("/pictures/" + name, width, height);
}

TEST_F(DesktopServices, EachNotificationReplacesTheOneBefore) {
  FakeNotifications fake;
  Serve(fake, kNotifications, "/org/freedesktop/Notifications");
  DesktopNotification notice(QDBusConnection::sessionBus(), {});
  QSignalSpy answers(&notice, &DesktopNotification::answered);
  notice.Show(Picture("a.jpg"));
  // Two more before the first is answered: the last one is what shows.
  notice.Show(Picture("b.jpg"));
  notice.Show(Picture("c & d <b>.jpg"));
  QTRY_COMPARE(fake.calls.size(), std::size_t{2});
  QTRY_COMPARE(answers.count(), 2);
  notice.Show(Picture("e.jpg"));
  QTRY_COMPARE(fake.calls.size(), std::size_t{3});
  const quint32 first = notice.shownId();
  EXPECT_NE(first, 0u);
  EXPECT_EQ(fake.calls[0].replaces, 0u);
  EXPECT_EQ(fake.calls[1].replaces, first);
  EXPECT_EQ(fake.calls[2].replaces, first);
  // The body is not read as markup: the name shows as it is.
  EXPECT_EQ(fake.calls[1].body, QString("c &amp; d &lt;b&gt;.jpg"));
  EXPECT_EQ(fake.calls[2].body, QString("e.jpg"));
}

TEST_F(DesktopServices, ThumbnailGoesAlongInThePicturesProportions) {
  FakeNotifications fake;
  Serve(fake, kNotifications, "/org/freedesktop/Notifications");
  const int side = kNotificationThumbnailSide;
  // The picture's size (none known for the last), the thumbnail's.
  const std::pair<QSize, QSize> rows[] = {
      {{400, 200}, {side, side / 2}}, {{30, 3000}, {1, side}}, {{0, 0}, {side, side}}};
  for (const auto& [picture, expected] : rows) {
    SCOPED_TRACE(::testing::Message() << picture.width() << "x" << picture.height());
    fake.calls.clear();
    QSize asked;
    DesktopNotification notice(QDBusConnection::sessionBus(),
                               [&asked](const WallpaperEntry&, int width, int height) {
                                 asked = {width, height};
                                 QImage image(width, height, QImage::Format_RGB888);
                                 image.fill(Qt::red);
                                 return image;
                               });
    notice.Show(Picture("a.jpg", picture.width(), picture.height()));
    QTRY_COMPARE(fake.calls.size(), std::size_t{1});
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(fake.calls[0].image, expected);
    EXPECT_GT(fake.calls[0].bytes, 0);
  }
}

TEST_F(DesktopServices, WithoutAServiceNothingShowsAndNothingWaits) {
  DesktopNotification notice(QDBusConnection::sessionBus(), {});
  QSignalSpy answers(&notice, &DesktopNotification::answered);
  QElapsedTimer took;
  took.start();
  notice.Show(Picture("a.jpg"));
  notice.Show(Picture("b.jpg"));
  EXPECT_LT(took.elapsed(), 200);
  QTRY_COMPARE(answers.count(), 2);
  EXPECT_FALSE(answers.at(0).at(0).toBool());
  EXPECT_EQ(notice.shownId(), 0u);
}

TEST_F(DesktopServices, FileManagerShowsThePictureOrItsFolderOpens) {
  struct Row {
    bool service;
    std::string path;
    QString uri;     // what the file manager is asked to show
    QString folder;  // what opens instead
  };
  const Row rows[] = {
      {true, "/home/ola/zdjęcia/a b.jpg", "file:///home/ola/zdj%C4%99cia/a%20b.jpg", ""},
      {true, "/x/#1?.png", "file:///x/%231%3F.png", ""},
      {false, "/home/ola/zdjęcia/a b.jpg", "", "file:///home/ola/zdjęcia"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    FakeFileManager fake;
    if (row.service) Serve(fake, kFileManager, "/org/freedesktop/FileManager1");
    QObject context;
    QString opened;
    ShowInFileManager(row.path, QDBusConnection::sessionBus(), &context,
                      [&opened](const QUrl& folder) { opened = folder.toString(); });
    if (row.service) {
      QTRY_COMPARE(fake.shown, QStringList{row.uri});
      QTest::qWait(50);
    } else {
      QTRY_COMPARE(opened, row.folder);
    }
    EXPECT_EQ(opened, row.folder);
    TearDown();
  }
}

}  // namespace
}  // namespace vendaro

#include "desktop_services_test.moc"
