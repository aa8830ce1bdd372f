// GSettings in dconf, as on a real GNOME, MATE or Cinnamon session: the
// system's dconf-service, started by a session bus of the test's own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>

#include "platform/desktop/restore_journal.h"
#include "platform/desktops/gsettings/gsettings_desktop.h"
#include "platform/ipc/child_process.h"
#include "platform/platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::MakeTempDir;

// The dconf GSettings module, found where GIO looks for its modules.
bool DconfModuleInstalled() {
  for (const char* dir : {"/usr/lib/x86_64-linux-gnu/gio/modules", "/usr/lib64/gio/modules",
                          "/usr/lib/gio/modules", "/usr/lib/aarch64-linux-gnu/gio/modules"}) {
    if (FileExists(std::string(dir) + "/libdconfsettings.so")) return true;
  }
  return false;
}

class DconfEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (FindProgram("dconf").empty() || !DconfModuleInstalled() ||
        !FileExists("/usr/libexec/dconf-service")) {
      problem = "dconf (dconf-service, dconf-gsettings-backend, dconf-cli) is not installed";
      return;
    }
    if (testing::StartPrivateBus(true).empty()) {
      problem = "dbus-daemon is not available";
      return;
    }
    problem = testing::PrepareGSettings("dconf");
  }
  static std::string problem;
};
std::string DconfEnvironment::problem = "not prepared";
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new DconfEnvironment);

// What dconf holds, read with its own tool (not through this process's GIO).
std::string Dconf(const std::string& key) {
  return RunProgram("dconf", {"read", key}).out;
}

class DconfDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!DconfEnvironment::problem.empty()) GTEST_SKIP() << DconfEnvironment::problem;
    ASSERT_EQ(mkdir(state.c_str(), 0700), 0);
    bmp = testing::WriteComposedFile(state, "photo.jpg.bmp");
    ASSERT_TRUE(RunProgram("dconf", {"write", kUri, "'file:///home/user/own.jpg'"}).status);
    ASSERT_TRUE(
        RunProgram("dconf", {"reset", "/org/gnome/desktop/background/picture-uri-dark"}).status);
  }
  static constexpr const char* kUri = "/org/gnome/desktop/background/picture-uri";
  std::string state = MakeTempDir("dconf") + "/state";
  std::string bmp;
};

TEST_F(DconfDesktopTest, WritesThroughTheServiceAndGivesTheUsersValuesBack) {
  GSettingsDesktop desktop(DesktopKind::Gnome, state);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
  const std::vector<std::string> shown = testing::ShownFiles(state);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(Dconf(kUri), "'" + FileUrl(shown[0]) + "'\n");
  EXPECT_EQ(Dconf("/org/gnome/desktop/background/picture-options"), "'zoom'\n");

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(Dconf(kUri), "'file:///home/user/own.jpg'\n");
  EXPECT_EQ(Dconf("/org/gnome/desktop/background/picture-uri-dark"), "") << "reset, not written";
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
}

// GSettings' own sync waited 25 s a commit for a stopped service, then
// reported nothing; now the change fails within its limit, says why, and
// the journal stays for the next start.
TEST_F(DconfDesktopTest, AStoppedServiceFailsTheChangeInTimeAndKeepsTheJournal) {
  {
    GSettingsDesktop warmUp(DesktopKind::Gnome, state);
    ASSERT_TRUE(warmUp.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
    ASSERT_TRUE(warmUp.RestoreUserWallpaper());
  }
  const int service = testing::BusNameOwnerPid("ca.desrt.dconf");
  ASSERT_GT(service, 0);
  kill(service, SIGSTOP);
  std::string output;
  const auto start = std::chrono::steady_clock::now();
  const bool set = testing::SetInNewProcess(DesktopKind::Gnome, state, bmp, {}, &output);
  const auto took = std::chrono::steady_clock::now() - start;
  kill(service, SIGCONT);
  EXPECT_FALSE(set) << "a change that did not happen is not a success";
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_NE(output.find("GNOME"), std::string::npos) << output;
  EXPECT_NE(output.find("dconf"), std::string::npos) << output;
  ASSERT_TRUE(FileExists(JournalPath(state)));

  ASSERT_TRUE(testing::RecoverInNewProcess(state, &output)) << output;
  EXPECT_EQ(Dconf(kUri), "'file:///home/user/own.jpg'\n");
  EXPECT_EQ(testing::FileNames(state), std::vector<std::string>{});
}

// Without a session bus dconf cannot store anything; GSettings said nothing.
TEST_F(DconfDesktopTest, NoSessionBusIsAFailure) {
  std::string output;
  EXPECT_FALSE(testing::SetInNewProcess(
      DesktopKind::Mate, state, bmp, {"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"}, &output));
  EXPECT_NE(output.find("MATE"), std::string::npos) << output;
  EXPECT_NE(output.find("D-Bus"), std::string::npos) << output;
}

}  // namespace
}  // namespace vendaro
