// `vendaro-compose` on desktops other than a plain X server: without any
// windowing platform, and leaving nothing behind but what the desktop shows.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>
#include <string>
#include <vips/vips8>

#include "compose/renderer.h"
#include "platform/desktop/restore_journal.h"
#include "platform/desktop/shown_file.h"
#include "platform/ipc/child_process.h"
#include "platform/platform_test_util.h"
#include "platform/session/folders.h"
#include "platform/xvfb_server.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::ReadFileBytes;

class ComposeOnDesktop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    problem_ = new std::string(testing::PrepareGSettings("keyfile"));
    folder_ = new std::string(testing::MakeTempDir("pictures"));
    ASSERT_TRUE(StartPictureLibrary());
    vips::VImage::black(32, 24, vips::VImage::option()->set("bands", 3))
        .new_from_image({0, 200, 0})
        .cast(VIPS_FORMAT_UCHAR)
        .write_to_file((*folder_ + "/las.png").c_str());
  }
  void SetUp() override {
    if (!problem_->empty()) GTEST_SKIP() << *problem_;
  }
  // Runs the tool as a GNOME session without X would (a key file for the
  // settings), with no Qt platform chosen and WAYLAND_DISPLAY as given.
  ProgramResult Run(const std::vector<std::string>& args, const std::string& wayland) {
    std::vector<std::string> command{"-u",
                                     "QT_QPA_PLATFORM",
                                     "-u",
                                     "DISPLAY",
                                     "XDG_CURRENT_DESKTOP=GNOME",
                                     "WAYLAND_DISPLAY=" + wayland,
                                     VENDARO_BIN_DIR "/vendaro-compose"};
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram("env", command, 30000);
  }
  static std::string Picture() { return *folder_ + "/las.png"; }
  static std::string* problem_;
  static std::string* folder_;
};
std::string* ComposeOnDesktop::problem_ = nullptr;
std::string* ComposeOnDesktop::folder_ = nullptr;

// Qt used to be started for --set, and with no X and no Qt Wayland plugin
// (or no compositor) the tool aborted.
TEST_F(ComposeOnDesktop, SetsWithoutAWindowingPlatform) {
  const ProgramResult r = Run({"--screen", "64x48", "--set", Picture()}, "no-such-compositor");
  EXPECT_TRUE(r.status) << r.err;
  const std::string state = ResolveTempFolder();
  EXPECT_EQ(testing::ShownFiles(state).size(), 1u);
}

// Eight changes, each from a new process: each gets a name never used (GNOME
// caches by name), and only the current file and the one before stay (the
// desktop may still be loading that); the composed bitmap never does.
TEST_F(ComposeOnDesktop, OneOffChangesLeaveOnlyTheCurrentFile) {
  const std::string state = ResolveTempFolder();
  // What an earlier test left is no name of this one's.
  const std::vector<std::string> earlier = testing::ShownFiles(state);
  std::set<std::string> seen(earlier.begin(), earlier.end());
  for (int i = 0; i < 8; ++i) {
    const ProgramResult r = Run({"--screen", "64x48", "--set", Picture()}, "no-such-compositor");
    ASSERT_TRUE(r.status) << r.err;
    const std::vector<std::string> shown = testing::ShownFiles(state);
    ASSERT_LE(shown.size(), 2u);
    const std::size_t fresh = std::count_if(shown.begin(), shown.end(),
                                            [&](const std::string& s) { return !seen.count(s); });
    EXPECT_EQ(fresh, 1u) << "one name never used before";
    seen.insert(shown.begin(), shown.end());
    std::vector<std::string> names = testing::FileNames(state);
    EXPECT_EQ(names.size(), shown.size() + 1)
        << "the journal and the shown files, no composed bitmap";
  }
  ASSERT_TRUE(RecoverFromJournal(state));
  EXPECT_EQ(testing::FileNames(state), std::vector<std::string>{});
}

// A compositor that takes the connection and never answers (stopped).
TEST_F(ComposeOnDesktop, AStoppedCompositorDoesNotHoldTheTool) {
  const std::string runtime = std::getenv("XDG_RUNTIME_DIR");
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = runtime + "/stopped-compositor";
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  const auto start = std::chrono::steady_clock::now();
  const ProgramResult r = Run({"--set", Picture()}, "stopped-compositor");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  close(listener);
  EXPECT_FALSE(r.status);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("--screen"), std::string::npos) << r.err;
}

TEST_F(ComposeOnDesktop, FindsTheScreenSizeOfAnXServerItself) {
  testing::XvfbServer server(96, 40);
  if (server.display().empty()) GTEST_SKIP() << server.problem();
  const std::string out = testing::MakeTempDir("out") + "/x.bmp";
  const ProgramResult r =
      RunProgram("env",
                 {"-u", "QT_QPA_PLATFORM", "-u", "WAYLAND_DISPLAY", "DISPLAY=" + server.display(),
                  VENDARO_BIN_DIR "/vendaro-compose", "--mode", "3", "--explain", Picture(), out},
                 30000);
  EXPECT_TRUE(r.status) << r.err;
  EXPECT_NE(r.out.find("x=32 y=8 w=32 h=24"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFileBytes(out).size(), 54u + 96 * 40 * 3);
}

}  // namespace
}  // namespace vendaro
