// sway's config reload brings our background back, through a stand-in for
// sway's IPC socket and the fake swaymsg.
#include "platform/desktops/sway/sway_reload.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <cstring>
#include <thread>

#include "platform/desktops/sway/sway_desktop.h"
#include "platform/platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::MakeTempDir;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

constexpr unsigned kWorkspace = 0x80000000u;

TEST(SwayReloadEvent, OnlyAWorkspaceReloadCounts) {
  struct Row {
    unsigned type;
    const char* payload;
    bool reload;
  };
  const Row rows[] = {
      {kWorkspace, R"({"change": "reload"})", true},
      {kWorkspace, R"({"change": "focus", "current": {"name": "reload"}})", false},
      {0x80000001u, R"({"change": "reload"})", false},
      {2, R"({"change": "reload"})", false},
      {kWorkspace, "not json", false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(IsSwayReloadEvent(row.type, row.payload), row.reload) << row.payload;
}

// Answers one subscription on a thread of its own (the program waits for
// the answer), then sends what the test gives it.
class FakeSwayIpc {
 public:
  explicit FakeSwayIpc(const std::string& path) {
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(listen(listener_, 4), 0);
    thread_ = std::thread([this] { Serve(); });
  }
  ~FakeSwayIpc() {
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    if (client_ >= 0) close(client_);
    close(listener_);
  }
  bool Subscribed() const { return subscribed_; }
  void Send(unsigned type, const std::string& payload) {
    const std::string message = SwayIpcMessage(type, payload);
    EXPECT_EQ(write(client_, message.data(), message.size()), ssize_t(message.size()));
  }

 private:
  void Serve() {
    const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    std::string got;
    char buffer[256];
    while (got.find("[\"workspace\"]") == std::string::npos) {
      const ssize_t n = read(client, buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, std::size_t(n));
    }
    client_ = client;
    Send(2, R"({"success": true})");
    subscribed_ = true;
  }

  int listener_ = -1;
  int client_ = -1;
  std::atomic<bool> subscribed_ = false;
  std::thread thread_;
};

class SwayReloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseFakePrograms();
    setenv("FAKE_SWAY_DIR", sway.c_str(), 1);
    setenv("SWAYSOCK", socket.c_str(), 1);
    const std::string config = "output * bg /home/u/user.png fill\n";
    WriteFileBytes(sway + "/config.json",
                   QJsonDocument(QJsonObject{{"config", QString::fromStdString(config)}})
                       .toJson()
                       .toStdString());
    WriteFileBytes(sway + "/outputs.json", R"([{"name": "HEADLESS-1", "active": true}])");
  }
  void TearDown() override { unsetenv("SWAYSOCK"); }
  // The command lines swaymsg was given, NUL-separated in the log.
  std::size_t Count(const std::string& line) {
    const std::string log = ReadFileBytes(sway + "/commands.log");
    std::size_t count = 0;
    for (std::size_t at = 0; (at = log.find(line + '\0', at)) != std::string::npos; ++at) ++count;
    return count;
  }
  std::string LastLine() {
    std::string log = ReadFileBytes(sway + "/commands.log");
    if (!log.empty()) log.pop_back();
    return log.substr(log.rfind('\0') + 1);
  }

  std::string sway = MakeTempDir("sway-reload");
  std::string state = MakeTempDir("sway-reload-state");
  std::string socket = sway + "/ipc.sock";
  Canvas canvas = testing::SolidCanvas(4, 2, 9, 8, 7);
};

TEST_F(SwayReloadTest, AReloadSetsOursAgainUntilTheUsersIsBack) {
  FakeSwayIpc ipc(socket);
  SwayDesktop desktop(state);
  ASSERT_TRUE(desktop.SetWallpaper("", canvas));
  ASSERT_TRUE(ipc.Subscribed()) << "the resident program subscribes as it sets";
  const std::string ours = LastLine();
  ipc.Send(kWorkspace, R"({"change": "focus"})");
  ipc.Send(kWorkspace, R"({"change": "reload"})");
  EXPECT_TRUE(testing::WaitUntil([&] { return Count(ours) == 2; })) << "set again, once";
  usleep(400 * 1000);
  EXPECT_EQ(Count(ours), 2u) << "a focus change is no reload";

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  const std::string users = LastLine();
  ipc.Send(kWorkspace, R"({"change": "reload"})");
  usleep(400 * 1000);
  EXPECT_EQ(LastLine(), users) << "after the give-back a reload is the user's";
}

TEST_F(SwayReloadTest, AOneOffChangeDoesNotListen) {
  FakeSwayIpc ipc(socket);
  SwayDesktop oneOff(state);
  oneOff.KeepAfterExit();
  ASSERT_TRUE(oneOff.SetWallpaper("", canvas));
  EXPECT_FALSE(ipc.Subscribed());
}

TEST_F(SwayReloadTest, NoSocketNoListening) {
  setenv("SWAYSOCK", (sway + "/none.sock").c_str(), 1);
  SwayDesktop desktop(state);
  EXPECT_TRUE(desktop.SetWallpaper("", canvas)) << "the change itself stands";
  EXPECT_TRUE(desktop.RestoreUserWallpaper());
}

}  // namespace
}  // namespace vendaro
