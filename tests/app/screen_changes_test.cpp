// Changes of the monitors while the program runs, and the tray click.
#include "app/screen_changes.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>

#include "app/change_scheduler.h"
#include "app/tray_menu.h"
#include "form_fixture.h"

namespace vendaro::testing {
namespace {

// Handles events until `done` or a generous deadline; nothing is timed.
bool SpinUntil(const std::function<bool()>& done, int ms = 20000) {
  QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

void Spin(int ms) {
  QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(ScreenChanges, ABurstOfChangesCountsOnceAfterItSettles) {
  int settled = 0;
  ScreenChanges changes([&] { ++settled; }, 200);
  for (int i = 0; i < 5; ++i) {
    changes.Changed();
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(settled, 0) << "not while the changes come";
  EXPECT_TRUE(changes.Waiting());
  ASSERT_TRUE(SpinUntil([&] { return settled > 0; }));
  Spin(400);
  EXPECT_EQ(settled, 1);
  changes.Changed();
  ASSERT_TRUE(SpinUntil([&] { return settled > 1; }));
  EXPECT_EQ(settled, 2);
}

// Counts the notification windows that were shown, and does `onShow` as
// each shows.
class ShownWindows : public QObject {
 public:
  explicit ShownWindows(const char* name, std::function<void()> onShow = {})
      : name_(name), onShow_(std::move(onShow)) {
    qApp->installEventFilter(this);
  }
  ~ShownWindows() override { qApp->removeEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() != QEvent::Show || object->objectName() != name_) return false;
    ++count;
    if (onShow_) onShow_();
    return false;
  }

 private:
  QString name_;
  std::function<void()> onShow_;
};

TEST_F(FormTest, TheWallpaperFollowsTheMonitorsWithoutMovingInTheList) {
  WriteList("default.vdl", {Picture("a.png", 16, 12), Picture("b.png", 8, 8)});
  WriteIni("Okno informacji=1\r\nRozciagniecie=0\r\n");
  MonitorLayout monitors{{"A", {0, 0, 64, 48}, true}};
  monitorsHook_ = [&monitors] { return monitors; };
  std::unique_ptr<TForm2> form = MakeForm();
  ShownWindows notifications("TForm5");
  ASSERT_TRUE(form->FormCreate());
  ASSERT_EQ(desktop_->setMonitors.size(), 1u);
  EXPECT_EQ(notifications.count, 1) << "the change at start announces itself";
  const std::string iniBefore = ReadFileBytes(data_ + "vendaro.ini");

  // Nothing changed (a geometry signal without a new size): no composition.
  form->ScreensChanged();
  EXPECT_EQ(desktop_->setMonitors.size(), 1u);

  monitors = {{"A", {0, 0, 64, 48}, true}, {"B", {64, 0, 40, 30}, false}};
  form->ScreensChanged();
  ASSERT_EQ(desktop_->setMonitors.size(), 2u);
  const auto& set = desktop_->setMonitors.back();
  ASSERT_EQ(set.size(), 2u);
  EXPECT_EQ(set[0].first, monitors[0]);
  EXPECT_EQ(set[1].first, monitors[1]);
  EXPECT_EQ(set[0].second, temp_ + "a.png.bmp");
  EXPECT_EQ(set[1].second, temp_ + "a.png.40x30.bmp");
  EXPECT_EQ(form->session().composedLayout(), monitors);
  EXPECT_EQ(form->session().settings().CurrentPosition, 0);
  EXPECT_EQ(notifications.count, 1) << "no notification for a change of screens";
  EXPECT_EQ(ReadFileBytes(data_ + "vendaro.ini"), iniBefore);
  EXPECT_EQ(form->session().settings().ElapsedSeconds, 1);
  form->FormClose();
  EXPECT_FALSE(FileExists(temp_ + "a.png.bmp"));
  EXPECT_FALSE(FileExists(temp_ + "a.png.40x30.bmp")) << "every monitor's file goes at the end";
}

TEST_F(FormTest, ALayoutTheDesktopRefusedIsComposedForAgain) {
  WriteList("default.vdl", {Picture("a.png", 16, 12)});
  WriteIni("Okno informacji=0\r\n");
  MonitorLayout monitors{{"A", {0, 0, 64, 48}, true}};
  monitorsHook_ = [&monitors] { return monitors; };
  std::unique_ptr<TForm2> form = MakeForm();
  ASSERT_TRUE(form->FormCreate());
  monitors.push_back({"B", {64, 0, 40, 30}, false});
  desktop_->setResult = Status::Error("the desktop is busy");
  form->ScreensChanged();
  ASSERT_EQ(desktop_->setMonitors.size(), 2u);
  desktop_->setResult = Status::Ok();
  form->ScreensChanged();
  EXPECT_EQ(desktop_->setMonitors.size(), 3u) << "the refused layout still wants its wallpaper";
  form->FormClose();
}

// The session ends while the notification of a change shows (it runs the
// event loop): the user's wallpaper comes back and ours must not follow it.
TEST_F(FormTest, ASessionEndDuringAChangeLeavesTheUsersWallpaper) {
  WriteList("default.vdl", {Picture("a.png", 16, 12), Picture("b.png", 8, 8)});
  WriteIni("Okno informacji=1\r\n");
  std::unique_ptr<TForm2> form = MakeForm();
  ASSERT_TRUE(form->FormCreate());
  ASSERT_EQ(desktop_->setPaths.size(), 1u);
  ShownWindows notifications("TForm5", [&form] { form->FormClose(); });
  form->session().items().Nastpnatapeta1.Click();
  EXPECT_EQ(notifications.count, 1);
  EXPECT_EQ(desktop_->restoreCount, 1);
  EXPECT_EQ(desktop_->setPaths.size(), 1u);
  EXPECT_FALSE(desktop_->ourWallpaperShown);
}

TEST_F(FormTest, AMonitorThatCannotGetAWallpaperIsToldOnce) {
  WriteList("default.vdl", {Picture("a.png", 16, 12)});
  WriteIni("Okno informacji=0\r\n");
  MonitorLayout monitors{{"A", {0, 0, 64, 48}, true}, {"HDMI-9", {64, 0, 0, 0}, false}};
  monitorsHook_ = [&monitors] { return monitors; };
  std::unique_ptr<TForm2> form = MakeForm();
  ASSERT_TRUE(form->FormCreate());
  ASSERT_EQ(desktop_->setMonitors.size(), 1u);
  EXPECT_EQ(desktop_->setMonitors[0].size(), 1u) << "the other monitor still got its wallpaper";
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].way, UserMessage::Way::Balloon);
  EXPECT_NE(messages_[0].text.find("HDMI-9"), std::string::npos) << messages_[0].text;

  form->session().ApplyCurrentEntry();
  EXPECT_EQ(messages_.size(), 1u) << "not again at every change";
  monitors[1].area = {64, 0, 32, 24};
  form->ScreensChanged();
  EXPECT_EQ(desktop_->setMonitors.back().size(), 2u);
  EXPECT_EQ(messages_.size(), 1u);
  form->FormClose();
}

TEST(TrayActivation, AClickOpensTheSettingsOnlyWhereTheTrayNeverSendsADoubleClick) {
  struct Row {
    const char* name;
    bool statusNotifierTray;
    QSystemTrayIcon::ActivationReason reason;
    bool opens;
  };
  const Row rows[] = {
      {"XEmbed: double click", false, QSystemTrayIcon::DoubleClick, true},
      {"XEmbed: a click selects only", false, QSystemTrayIcon::Trigger, false},
      {"D-Bus: a click", true, QSystemTrayIcon::Trigger, true},
      {"D-Bus: a double click, should one come", true, QSystemTrayIcon::DoubleClick, true},
      {"D-Bus: the middle button", true, QSystemTrayIcon::MiddleClick, false},
      {"D-Bus: the menu", true, QSystemTrayIcon::Context, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TrayItems items;
    int opened = 0;
    TrayMenu tray(items, {[] {}, [&] { ++opened; }, row.statusNotifierTray});
    emit tray.TrayIcon1->activated(row.reason);
    EXPECT_EQ(opened, 0) << "not inside the tray's call";
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, row.opens ? 1 : 0);
  }
}

TEST(KeepWindowsOnScreens, AWindowLeftOffEveryMonitorComesBack) {
  QWidget lost;
  lost.setGeometry(50000, 40000, 200, 100);
  lost.show();
  QWidget seen;
  seen.setGeometry(10, 10, 200, 100);
  seen.show();
  const QPoint seenAt = seen.pos();
  KeepWindowsOnScreens();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.intersects(lost.frameGeometry())) << lost.x() << "," << lost.y();
  EXPECT_EQ(seen.pos(), seenAt);
}

}  // namespace
}  // namespace vendaro::testing
