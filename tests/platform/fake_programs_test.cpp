// The XFCE and wlroots backends against stand-in programs on PATH that
// record how they were called (tests/platform/fakes).
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>

#include "platform/restore_journal.h"
#include "platform/wlroots_desktop.h"
#include "platform/xfce_desktop.h"
#include "platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::MakeTempDir;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

std::vector<std::string> SplitNul(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  return parts;
}

class XfceDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseFakePrograms();
    setenv("FAKE_XFCONF_DIR", store.c_str(), 1);
    mkdir((store + "/props").c_str(), 0700);
    Put(kImage0, "/home/u/own.jpg");
    Put(kImage1, "/home/u/two words.png");
    Put(kStyle0, "1");
  }
  void Put(const std::string& property, const std::string& value) {
    std::string name = property;
    std::replace(name.begin(), name.end(), '/', '%');
    WriteFileBytes(store + "/props/" + name, value);
  }
  std::optional<std::string> Get(const std::string& property) {
    std::string name = property;
    std::replace(name.begin(), name.end(), '/', '%');
    if (!FileExists(store + "/props/" + name)) return std::nullopt;
    return ReadFileBytes(store + "/props/" + name);
  }

  static constexpr const char* kImage0 = "/backdrop/screen0/monitorVirtual1/workspace0/last-image";
  static constexpr const char* kImage1 = "/backdrop/screen0/monitorVirtual1/workspace1/last-image";
  static constexpr const char* kStyle0 = "/backdrop/screen0/monitorVirtual1/workspace0/image-style";
  static constexpr const char* kStyle1 = "/backdrop/screen0/monitorVirtual1/workspace1/image-style";
  std::string store = MakeTempDir("xfconf");
  std::string state = testing::AwkwardFolder("xfce");
  std::string bmp = testing::WriteComposedFile(state, "photo.jpg.bmp");
};

TEST_F(XfceDesktopTest, EveryWorkspaceGetsItAndTheUsersValuesComeBack) {
  XfceDesktop desktop(state);
  const Canvas first = testing::PatternCanvas(12, 6, 1);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, first));
  const std::string shownA = state + "/vendaro-shown-a.png";
  EXPECT_EQ(Get(kImage0), shownA);
  EXPECT_EQ(Get(kImage1), shownA);
  EXPECT_EQ(Get(kStyle0), "5");
  EXPECT_EQ(Get(kStyle1), "5");
  EXPECT_TRUE(testing::PngShows(shownA, first));
  const std::vector<std::string> calls = SplitNul(ReadFileBytes(store + "/calls.log"));
  EXPECT_NE(std::find(calls.begin(), calls.end(), "--set=" + shownA), calls.end())
      << "the path travels as one argument, untouched";

  const Canvas second = testing::PatternCanvas(12, 6, 2);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, second)) << "the same composed name again";
  EXPECT_EQ(Get(kImage0), state + "/vendaro-shown-b.png");
  EXPECT_TRUE(testing::PngShows(state + "/vendaro-shown-b.png", second));
  EXPECT_FALSE(FileExists(shownA));

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(Get(kImage0), "/home/u/own.jpg");
  EXPECT_EQ(Get(kImage1), "/home/u/two words.png");
  EXPECT_EQ(Get(kStyle0), "1");
  EXPECT_EQ(Get(kStyle1), std::nullopt) << "created by us, so removed";
  EXPECT_FALSE(FileExists(state + "/vendaro-shown-b.png"));
  EXPECT_FALSE(FileExists(JournalPath(state)));
}

TEST_F(XfceDesktopTest, AKilledRunIsMendedAtTheNextStart) {
  std::string output;
  ASSERT_TRUE(testing::SetAndGetKilled(DesktopKind::Xfce, state, bmp, 4, 4, 9, 9, 9, &output))
      << output;
  EXPECT_EQ(Get(kImage0), state + "/vendaro-shown-a.png");
  ASSERT_TRUE(RecoverFromJournal(state));
  EXPECT_EQ(Get(kImage0), "/home/u/own.jpg");
  EXPECT_EQ(Get(kStyle1), std::nullopt);
  EXPECT_FALSE(FileExists(state + "/vendaro-shown-a.png"));
}

TEST_F(XfceDesktopTest, NoChangeWithoutAJournalFirst) {
  XfceDesktop desktop(state + "/missing");
  EXPECT_FALSE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 0)));
  EXPECT_EQ(Get(kImage0), "/home/u/own.jpg");
  const std::vector<std::string> calls = SplitNul(ReadFileBytes(store + "/calls.log"));
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const std::string& a) { return a.rfind("--set=", 0) == 0; }),
            0);
}

TEST_F(XfceDesktopTest, AServiceThatHangsGivesAnError) {
  WriteFileBytes(store + "/hang", "");
  XfceDesktop desktop(state);
  Status status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 0));
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("xfconf-query"), std::string::npos) << status.message();
}

TEST_F(XfceDesktopTest, ReportsTheDesktopColour) {
  Put("/backdrop/screen0/monitorVirtual1/workspace0/rgba1",
      "Value is an array with 4 items:\n\n0,062745\n0.125490\n0.188235\n1.000000");
  XfceDesktop desktop(state);
  EXPECT_EQ(desktop.BackgroundColor(), Rgb(16, 32, 48));
}

class WlrootsDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseFakePrograms();
    setenv("FAKE_SWAYBG_DIR", runs.c_str(), 1);
  }
  // The arguments of the fake swaybg with that process id.
  std::vector<std::string> ArgsOf(pid_t pid) {
    return SplitNul(ReadFileBytes(runs + "/" + std::to_string(pid) + ".args"));
  }
  std::string runs = MakeTempDir("swaybg");
  std::string state = testing::AwkwardFolder("wlr");
  std::string bmp = testing::WriteComposedFile(state, "photo.jpg.bmp");
};

// Gone, or only a zombie waiting for whoever adopted it.
bool Ended(pid_t pid) {
  const std::string stat = ReadFileBytes("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t paren = stat.rfind(')');
  return stat.empty() || (paren != std::string::npos && stat.compare(paren + 2, 1, "Z") == 0);
}

std::vector<pid_t> Runs(const std::string& folder) {
  std::vector<pid_t> pids;
  DIR* dir = opendir(folder.c_str());
  while (dirent* entry = readdir(dir)) {
    if (std::string(entry->d_name).find(".args") != std::string::npos)
      pids.push_back(std::stoi(entry->d_name));
  }
  closedir(dir);
  return pids;
}

TEST_F(WlrootsDesktopTest, OurChildDrawsAndStopsWhenGivenBack) {
  WlrootsDesktop desktop;
  const Canvas first = testing::PatternCanvas(10, 5, 1);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, first));
  ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 1; }));
  const pid_t firstPid = Runs(runs)[0];
  const std::string shownA = state + "/vendaro-shown-a.png";
  EXPECT_EQ(ArgsOf(firstPid), (std::vector<std::string>{"-o", "*", "-i", shownA, "-m", "stretch"}));
  EXPECT_TRUE(testing::PngShows(shownA, first));

  const Canvas second = testing::PatternCanvas(10, 5, 2);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, second));
  ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 2; }));
  EXPECT_TRUE(Ended(firstPid)) << "the previous child is stopped";
  EXPECT_TRUE(testing::PngShows(state + "/vendaro-shown-b.png", second));
  EXPECT_FALSE(FileExists(shownA));

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  for (pid_t pid : Runs(runs)) EXPECT_TRUE(Ended(pid));
  EXPECT_FALSE(FileExists(state + "/vendaro-shown-b.png"));
}

TEST_F(WlrootsDesktopTest, TheChildDiesWhenWeAreKilled) {
  std::string output;
  ASSERT_TRUE(testing::SetAndGetKilled(DesktopKind::Wlroots, state, bmp, 4, 4, 1, 2, 3, &output))
      << output;
  ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 1; }));
  const pid_t child = Runs(runs)[0];
  EXPECT_TRUE(testing::WaitUntil([&] { return Ended(child); }));
  if (!Ended(child)) kill(child, SIGKILL);
}

TEST_F(WlrootsDesktopTest, AOneOffChangeOutlivesUsAndTheNextOneReplacesIt) {
  pid_t first = -1;
  {
    WlrootsDesktop desktop;
    desktop.KeepAfterExit();
    ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
    ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 1; }));
    first = Runs(runs)[0];
  }
  EXPECT_FALSE(Ended(first)) << "the command-line tool's wallpaper stays";
  WlrootsDesktop next;
  next.KeepAfterExit();
  ASSERT_TRUE(next.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 2)));
  ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 2; }));
  const pid_t second = Runs(runs)[0] == first ? Runs(runs)[1] : Runs(runs)[0];
  EXPECT_EQ(ArgsOf(second)[3], state + "/vendaro-shown-b.png")
      << "a new name, since the old one is still shown";
  EXPECT_TRUE(testing::WaitUntil([&] { return Ended(first); }));
  kill(first, SIGTERM);
  kill(second, SIGTERM);
  waitpid(first, nullptr, 0);
  waitpid(second, nullptr, 0);
}

TEST_F(WlrootsDesktopTest, AMissingSwaybgIsReported) {
  setenv("PATH", "/nonexistent", 1);
  WlrootsDesktop desktop;
  Status status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 0));
  unsetenv("PATH");
  testing::UseFakePrograms();
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("swaybg"), std::string::npos) << status.message();
  EXPECT_FALSE(FileExists(state + "/vendaro-shown-a.png"));
}

}  // namespace
}  // namespace vendaro
