// The windowing platform the resident program asks for, Qt's own texts in
// Polish, and whether the tray speaks D-Bus.
#include "platform/display/windowing.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <chrono>

#include "platform/desktop/desktop_probe.h"
#include "platform/ipc/child_process.h"
#include "platform/platform_test_util.h"
#include "platform/session/tray_host.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

TEST(WindowingPlatform, XWhereAWaylandSessionOffersIt) {
  struct Row {
    const char* name;
    Environment env;
    std::optional<std::string> platform;
  };
  const Row rows[] = {
      {"Wayland with Xwayland", {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, "xcb"},
      {"Wayland without X: Qt's own choice", {{"WAYLAND_DISPLAY", "wayland-0"}}, std::nullopt},
      {"an empty DISPLAY is no X",
       {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ""}},
       std::nullopt},
      {"plain X", {{"DISPLAY", ":0"}}, std::nullopt},
      {"the user's choice stays",
       {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}},
       std::nullopt},
      {"no display at all", {}, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(WindowingPlatformFor(row.env), row.platform);
  }
}

TEST(QtPolish, TheQuestionBoxSaysTakAndNie) {
  ASSERT_TRUE(LoadQtPolish()) << "qt6-translations-l10n is installed";
  QMessageBox box(QMessageBox::Question, "Zapytanie", "?", QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), "Tak");
  EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Nie");
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Szukaj w:");
}

// A session bus of our own, with or without a tray on it.  Qt keeps one
// session bus connection a process, and remembers what a D-Bus interface
// looks like once it has asked: the hung tray comes first, as at start.
TEST(StatusNotifierTray, AskedAsQtAsks) {
  const std::string folder = testing::MakeTempDir("tray-bus");
  const std::string address = "unix:path=" + folder + "/socket";
  ChildProcess bus;
  if (!bus.Start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--address=" + address}) ||
      !testing::WaitUntil([&] { return testing::FileExists(folder + "/socket"); })) {
    GTEST_SKIP() << "dbus-daemon is not available";
  }
  setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  EXPECT_FALSE(StatusNotifierTrayInUse()) << "no watcher: an XEmbed tray, or none";

  SystemProbe probe;
  const auto watcherOnBus = [&probe](bool on) {
    return testing::WaitUntil(
        [&] { return probe.BusNameHasOwner("org.kde.StatusNotifierWatcher") == on; });
  };
  {
    ChildProcess hung;
    ASSERT_TRUE(hung.Start(VENDARO_BIN_DIR "/platform_fake_tray_watcher", {"1"}));
    ASSERT_TRUE(watcherOnBus(true));
    kill(hung.pid(), SIGSTOP);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(StatusNotifierTrayInUse()) << "a hung tray is no tray";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15))
        << "not D-Bus's 25 seconds";
    kill(hung.pid(), SIGCONT);
    hung.Stop();
    ASSERT_TRUE(watcherOnBus(false));
  }
  for (const char* host : {"0", "1"}) {
    SCOPED_TRACE(host);
    ChildProcess watcher;
    ASSERT_TRUE(watcher.Start(VENDARO_BIN_DIR "/platform_fake_tray_watcher", {host}));
    ASSERT_TRUE(watcherOnBus(true));
    EXPECT_EQ(StatusNotifierTrayInUse(), std::string(host) == "1");
    watcher.Stop();
    ASSERT_TRUE(watcherOnBus(false));
  }
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

}  // namespace
}  // namespace vendaro
