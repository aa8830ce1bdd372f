#include "app/notification_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include "app/tray_menu.h"

namespace vendaro::testing {
namespace {

TEST(NotificationWindow, SitsInTheLowerRightCornerOfTheWorkArea) {
  struct Row {
    const char* name;
    Rect workArea;
    int screenHeight;
    NotificationPlacement expected;
  };
  const Row rows[] = {
      {"taskbar at the bottom", {0, 0, 1024, 738}, 768, {784, 768, 690}},
      {"taskbar on the right", {0, 0, 984, 768}, 768, {744, 768, 720}},
      {"taskbar at the top", {0, 30, 1024, 738}, 768, {784, 768, 720}},
      {"taskbar on the left", {60, 0, 1860, 1080}, 1080, {1680, 1080, 1032}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    NotificationPlacement p = PlaceNotification(row.workArea, row.screenHeight);
    EXPECT_EQ(p.left, row.expected.left);
    EXPECT_EQ(p.startTop, row.expected.startTop);
    EXPECT_EQ(p.top, row.expected.top);
  }
  // 1024 x 768 with a 30-pixel taskbar: x 784 to 1023, y 690 to 737.
  NotificationPlacement p = PlaceNotification({0, 0, 1024, 738}, 768);
  EXPECT_EQ(p.left + kNotificationWidth - 1, 1023);
  EXPECT_EQ(p.top + kNotificationHeight - 1, 737);
}

TEST(NotificationWindow, NamesThePictureAndHidesOnAClick) {
  struct Row {
    const char* path;
    const char* name;
  };
  const Row rows[] = {
      {"/home/ola/Tapety/morze.png", "morze.png"},
      {"D:\\Tapety\\morze.png", "morze.png"},
      {"/home/ola/Tapety/12:30 morze.png", "12:30 morze.png"},
      {"/x/z\xC5\x82ota jesie\xC5\x84.jpg", "z\xC5\x82ota jesie\xC5\x84.jpg"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    TForm5 window;
    window.ShowFor(MakeEntry(row.path, 4, 3));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.size(), QSize(240, 48));
    EXPECT_NEAR(window.windowOpacity(), 190.0 / 255.0, 0.01);
    EXPECT_EQ(window.Label1->text(), QStringLiteral("Zmiana tapety na :"));
    EXPECT_EQ(window.Label2->text(), QString::fromUtf8(row.name));
    EXPECT_FALSE(window.Image2->pixmap().isNull());
    QTest::mouseClick(window.Label2, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
  }
}

// A change far shorter than the window's time: it stays until its time is
// up, then goes by itself; a new change while it lingers starts it afresh.
TEST(NotificationWindow, OutlivesAShortChangeThenGoes) {
  const struct {
    const char* name;
    int changeMs;       // from showing to the end of the change
    bool secondChange;  // another change starts while it lingers
  } rows[] = {
      {"a quick change", 0, false},
      {"a change near the window's time", kNotificationShownMs - 200, false},
      {"a second change while it lingers", 0, true},
  };
  const WallpaperEntry entry = MakeEntry("/x/morze.png", 4, 3);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TForm5 window;
    QElapsedTimer clock;
    window.ShowFor(entry);
    clock.start();
    if (row.changeMs > 0) QTest::qWait(row.changeMs);
    window.Finish();
    if (row.secondChange) {
      QTest::qWait(kNotificationShownMs / 2);
      window.ShowFor(entry);
      clock.restart();
      window.Finish();
    }
    EXPECT_TRUE(window.isVisible()) << "Finish returns at once, the window stays";
    while (window.isVisible() && clock.elapsed() < 3 * kNotificationShownMs) QTest::qWait(20);
    EXPECT_FALSE(window.isVisible());
    EXPECT_GE(clock.elapsed(), kNotificationShownMs) << "seen long enough";
    EXPECT_LT(clock.elapsed(), kNotificationShownMs + kNotificationFadeMs + 500);
  }
}

// The menu's items show or hide as soon as the list changes, before the menu
// opens: a tray host that lays the menu out first keeps no stale gaps.
TEST(TrayMenu, ItemsFollowTheListBeforeTheMenuOpens) {
  TrayItems items;
  bool listEmpty = true;
  TrayMenu* menu = nullptr;
  const auto opening = [&] {
    items.Nastpnatapeta1.visible = !listEmpty;
    items.Poprzedniatapeta1.visible = !listEmpty;
    menu->Sync();  // as the program's item changes do
  };
  TrayMenu tray(items, {opening, [] {}, false});
  menu = &tray;
  const auto nextShown = [&] {
    return tray.PopupMenu1->findChild<QAction*>("Nastpnatapeta1")->isVisible();
  };
  const struct {
    const char* name;
    bool empty;
  } rows[] = {{"empty list", true}, {"one picture", false}, {"emptied again", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    listEmpty = row.empty;
    tray.Sync();  // any change of the items, the menu closed
    EXPECT_EQ(nextShown(), !row.empty);
  }
}

}  // namespace
}  // namespace vendaro::testing
