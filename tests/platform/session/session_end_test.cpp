// The session's end reaches the resident program as one Qt signal, whether
// the session manager sends a signal or the session bus goes away.
#include "platform/session/session_end.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <csignal>

#include "platform/ipc/child_process.h"
#include "platform/platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

// Whether `cause` makes the watcher say the session ends within 5 s.
bool EndsAfter(SessionEndWatcher& watcher, const std::function<void()>& cause) {
  QEventLoop loop;
  bool ended = false;
  auto connection = QObject::connect(&watcher, &SessionEndWatcher::sessionEnding, [&] {
    ended = true;
    loop.quit();
  });
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  cause();
  if (!ended) loop.exec();
  QObject::disconnect(connection);
  return ended;
}

TEST(SessionEnd, EachWayTheSessionEndsIsHeard) {
  // A bus of this test's own, which it can take away.
  const std::string folder = testing::MakeTempDir("end-bus");
  const std::string address = "unix:path=" + folder + "/socket";
  ChildProcess bus;
  ASSERT_TRUE(
      bus.Start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--address=" + address}));
  ASSERT_TRUE(testing::WaitUntil([&] { return testing::FileExists(folder + "/socket"); }));
  setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);

  SessionEndWatcher watcher;
  ASSERT_TRUE(watcher.Watch());
  const std::pair<const char*, std::function<void()>> rows[] = {
      {"SIGTERM", [] { std::raise(SIGTERM); }},
      {"SIGHUP", [] { std::raise(SIGHUP); }},
      {"SIGINT", [] { std::raise(SIGINT); }},
      // Last: the connection is gone for good.
      {"the session bus goes", [&bus] { bus.Stop(); }},
  };
  for (const auto& [name, cause] : rows) EXPECT_TRUE(EndsAfter(watcher, cause)) << name;
}

}  // namespace
}  // namespace vendaro
