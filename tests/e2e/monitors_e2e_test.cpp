// The resident program on an X screen split into monitors with
// `xrandr --setmonitor`: each monitor shows the picture composed for it, and
// a change of the layout while the program runs brings a new composition
// without a move in the list.  A D-Bus tray's click opens the settings.

#include <QElapsedTimer>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "resident_fixture.h"

namespace vendaro::testing {
namespace {

constexpr std::uint32_t kTopLeft = 0xFF0000, kTopRight = 0x00FF00, kBottomLeft = 0x0000FF,
                        kBottomRight = 0xFFFF00;

struct Area {
  int left, top, width, height;
};

class MonitorsEndToEnd : public ResidentEndToEnd {
 protected:
  void SetUp() override {
    ResidentEndToEnd::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (QStandardPaths::findExecutable("xrandr").isEmpty()) GTEST_SKIP() << "no xrandr";
    // Quarters of four colours, stretched: the corners of every monitor's
    // composition show them.  Then a plain picture, so a move in the list
    // would show.
    const std::string pictures = MakeTempDir("quarters") + "/";
    QImage quarters(40, 30, QImage::Format_RGB32);
    QPainter painter(&quarters);
    painter.fillRect(0, 0, 20, 15, QColor(kTopLeft));
    painter.fillRect(20, 0, 20, 15, QColor(kTopRight));
    painter.fillRect(0, 15, 20, 15, QColor(kBottomLeft));
    painter.fillRect(20, 15, 20, 15, QColor(kBottomRight));
    painter.end();
    ASSERT_TRUE(quarters.save(QString::fromStdString(pictures + "cwiartki.png")));
    QImage plain(8, 8, QImage::Format_RGB32);
    plain.fill(Qt::white);
    ASSERT_TRUE(plain.save(QString::fromStdString(pictures + "biel.png")));
    WriteFileBytes(data_ + "default.vdl",
                   pictures + "cwiartki.png\r\n" + pictures + "biel.png\r\n");
    WriteFileBytes(ini_,
                   "[Zmiany]\r\nRozciagniecie=0\r\nInterpolacja=0\r\nOkno informacji=0\r\n"
                   "[Opcje]\r\nWersja=0\r\n");
  }

  void Start() {
    resident_.setProcessEnvironment(environment_);
    resident_.setProcessChannelMode(QProcess::ForwardedChannels);
    resident_.start(QString::fromStdString(kProgram), {});
    ASSERT_TRUE(resident_.waitForStarted(30000));
  }

  // The four corners of `area` show the four quarters.
  bool ShowsQuarters(const Area& a) {
    return Near(x_.RootPixel(a.left, a.top), kTopLeft) &&
           Near(x_.RootPixel(a.left + a.width - 1, a.top), kTopRight) &&
           Near(x_.RootPixel(a.left, a.top + a.height - 1), kBottomLeft) &&
           Near(x_.RootPixel(a.left + a.width - 1, a.top + a.height - 1), kBottomRight);
  }

  // Waits (bounded) until the area shows the quarters: the splash covers
  // the primary for a second after the start, and a change's composition
  // follows the last change of a burst.
  bool ShowsQuartersSoon(const Area& area) {
    QDeadlineTimer deadline(60000);
    while (!ShowsQuarters(area) && !deadline.hasExpired() && resident_.state() == QProcess::Running)
      resident_.waitForFinished(100);
    return ShowsQuarters(area);
  }

  // After a change of layout: waits (bounded, not timed) for a new root
  // pixmap and says how long it took, for the record.
  unsigned long NewCompositionAfter(unsigned long old, const char* what) {
    QElapsedTimer took;
    took.start();
    const unsigned long now = WaitForRootPixmapOtherThan(old);
    std::printf("%s: new composition after %lld ms\n", what, took.elapsed());
    return now;
  }

  void Quit() {
    QProcess command;
    command.setProcessEnvironment(environment_);
    command.start(QString::fromStdString(kProgram), {"quit"});
    command.waitForFinished(120000);
    ASSERT_TRUE(resident_.waitForFinished(60000));
  }

  // Waits (bounded) until the centre of each area shows its colour.
  bool ShowSoon(const std::vector<std::pair<Area, std::uint32_t>>& wanted) {
    const auto shown = [&] {
      for (const auto& [a, colour] : wanted)
        if (!Near(x_.RootPixel(a.left + a.width / 2, a.top + a.height / 2), colour)) return false;
      return true;
    };
    QDeadlineTimer deadline(60000);
    while (!shown() && !deadline.hasExpired() && resident_.state() == QProcess::Running)
      resident_.waitForFinished(100);
    return shown();
  }
};

TEST_F(MonitorsEndToEnd, EachMonitorItsOwnAndTheLayoutFollowed) {
  ASSERT_TRUE(x_.Xrandr({"--setmonitor", "*A", "192/100x108/100+0+0", "screen"}));
  ASSERT_TRUE(x_.Xrandr({"--setmonitor", "B", "128/100x102/100+192+0", "none"}));
  Start();
  unsigned long pixmap = WaitForRootPixmapOtherThan(0);
  ASSERT_NE(pixmap, 0u) << "no wallpaper was set";
  EXPECT_TRUE(ShowsQuartersSoon({0, 0, 192, 108}));
  EXPECT_TRUE(ShowsQuarters({192, 0, 128, 102}));

  // B moves below A and shrinks; a third monitor comes, with an offset.
  ASSERT_TRUE(x_.Xrandr({"--delmonitor", "B"}));
  ASSERT_TRUE(x_.Xrandr({"--setmonitor", "B", "100/100x80/100+0+108", "none"}));
  ASSERT_TRUE(x_.Xrandr({"--setmonitor", "C", "90/100x60/100+210+130", "none"}));
  pixmap = NewCompositionAfter(pixmap, "B moved, C added");
  ASSERT_NE(pixmap, 0u);
  EXPECT_TRUE(ShowsQuartersSoon({210, 130, 90, 60}));
  EXPECT_TRUE(ShowsQuarters({0, 0, 192, 108}));
  EXPECT_TRUE(ShowsQuarters({0, 108, 100, 80}));
  EXPECT_TRUE(ShowsQuarters({210, 130, 90, 60}));

  // Back to the one whole-screen monitor, then a smaller screen (xrandr --fb).
  for (const char* name : {"A", "B", "C"}) ASSERT_TRUE(x_.Xrandr({"--delmonitor", name}));
  pixmap = NewCompositionAfter(pixmap, "monitors removed");
  EXPECT_TRUE(ShowsQuartersSoon({0, 0, kWidth, kHeight}));
  ASSERT_TRUE(x_.Xrandr({"--newmode", "smaller", "0", "200", "0", "0", "0", "150", "0", "0", "0"}));
  ASSERT_TRUE(x_.Xrandr({"--addmode", "screen", "smaller"}));
  ASSERT_TRUE(x_.Xrandr({"--output", "screen", "--mode", "smaller", "--fb", "200x150"}));
  pixmap = NewCompositionAfter(pixmap, "xrandr --fb");
  ASSERT_NE(pixmap, 0u);
  EXPECT_TRUE(ShowsQuartersSoon({0, 0, 200, 150}));

  Quit();
  // Still the first picture of the list: no layout change moved in it.
  EXPECT_EQ(IniFile(ini_).ReadInteger("Zmiany", "Ostatnia pozycja", -1), 0);
}

// With a picture per monitor each monitor shows its own picture of the
// list, and Next and Previous move every monitor on.
TEST_F(MonitorsEndToEnd, APicturePerMonitorAndNextMovesThemAll) {
  const std::string pictures = MakeTempDir("solid") + "/";
  std::string list;
  for (const std::uint32_t colour : {0xFF0000u, 0x00FF00u, 0x0000FFu}) {
    QImage plain(8, 8, QImage::Format_RGB32);
    plain.fill(QColor(colour));
    list += pictures + std::to_string(colour) + ".png\r\n";
    ASSERT_TRUE(plain.save(QString::fromStdString(pictures + std::to_string(colour) + ".png")));
  }
  WriteFileBytes(data_ + "default.vdl", list);
  WriteFileBytes(ini_,
                 "[Zmiany]\r\nRozciagniecie=0\r\nOkno informacji=0\r\nTapeta na monitor=1\r\n"
                 "[Opcje]\r\nWersja=0\r\n");
  const Area a{0, 0, 192, 108}, b{192, 0, 128, 102};
  ASSERT_TRUE(x_.Xrandr({"--setmonitor", "*A", "192/100x108/100+0+0", "screen"}));
  ASSERT_TRUE(x_.Xrandr({"--setmonitor", "B", "128/100x102/100+192+0", "none"}));
  Start();
  EXPECT_TRUE(ShowSoon({{a, 0xFF0000}, {b, 0x00FF00}}));
  // Pressed after the rest in which the program draws the next change ahead,
  // and the root pixmap of it.
  const auto drawn = [this] {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp_))
      files += entry.path().filename().string().rfind("ahead-", 0) == 0;
    return files;
  };
  QDeadlineTimer rest(60000);
  while (drawn() < 2 && !rest.hasExpired()) resident_.waitForFinished(100);
  resident_.waitForFinished(2000);
  // Past both shown: the third picture, then the list again from its start.
  EXPECT_EQ(RunCommand("next"), 0);
  EXPECT_TRUE(ShowSoon({{a, 0x0000FF}, {b, 0xFF0000}}));
  EXPECT_EQ(RunCommand("previous"), 0);
  EXPECT_TRUE(ShowSoon({{a, 0xFF0000}, {b, 0x00FF00}}));
  Quit();
  EXPECT_EQ(IniFile(ini_).ReadInteger("Zmiany", "Ostatnia pozycja", -1), 0);
}

// A tray that speaks D-Bus reports a click as Trigger only: the settings
// window opens at a click there.
TEST_F(MonitorsEndToEnd, AClickOnADBusTrayOpensTheSettings) {
  if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) GTEST_SKIP() << "no dbus-daemon";
  const QString busFolder = QString::fromStdString(MakeTempDir("bus"));
  const QString address = "unix:path=" + busFolder + "/socket";
  QProcess bus;
  bus.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--address=" + address});
  ASSERT_TRUE(bus.waitForStarted(10000));
  QDeadlineTimer up(30000);
  while (!up.hasExpired() && !QFile::exists(busFolder + "/socket")) bus.waitForFinished(50);
  environment_.insert("DBUS_SESSION_BUS_ADDRESS", address);

  QProcess watcher;
  watcher.setProcessEnvironment(environment_);
  watcher.start(
      QString::fromStdString(std::string(VENDARO_BIN_DIR) + "/platform_fake_tray_watcher"),
      {"1", "activate"});
  ASSERT_TRUE(watcher.waitForStarted(10000));
  // The watcher's name must be taken before the program asks for it.
  QDeadlineTimer named(30000);
  while (!named.hasExpired()) {
    QProcess ask;
    ask.setProcessEnvironment(environment_);
    ask.start("dbus-send",
              {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
               "org.freedesktop.DBus.NameHasOwner", "string:org.kde.StatusNotifierWatcher"});
    ask.waitForFinished(10000);
    if (ask.readAllStandardOutput().contains("true")) break;
  }

  Start();
  QDeadlineTimer opened(120000);
  while (!opened.hasExpired() && !x_.WindowShown("Ustawienia programu, wybór tapet") &&
         resident_.state() == QProcess::Running) {
    resident_.waitForFinished(100);
  }
  EXPECT_TRUE(x_.WindowShown("Ustawienia programu, wybór tapet"))
      << watcher.readAllStandardOutput().toStdString();
  Quit();
  watcher.terminate();
  watcher.waitForFinished(10000);
  bus.terminate();
  bus.waitForFinished(10000);
}

}  // namespace
}  // namespace vendaro::testing
