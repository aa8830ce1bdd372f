// The sway and wlroots backends against stand-in programs on PATH that
// record how they were called (tests/platform/fakes).
#include "platform/desktops/wlroots/wlroots_desktop.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <csignal>

#include "platform/desktop/restore_journal.h"
#include "platform/desktops/sway/sway_desktop.h"
#include "platform/platform_test_util.h"
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
  WlrootsDesktop desktop(state);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(10, 5, 1)));
  ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 1; }));
  const pid_t firstPid = Runs(runs)[0];
  const std::vector<std::string> first = testing::ShownFiles(state);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(ArgsOf(firstPid),
            (std::vector<std::string>{"-o", "*", "-i", first[0], "-m", "stretch"}));

  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(10, 5, 2)));
  ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 2; }));
  EXPECT_TRUE(Ended(firstPid)) << "the previous child is stopped";
  const std::vector<std::string> second = testing::ShownFiles(state);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_NE(second, first);

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  for (pid_t pid : Runs(runs)) EXPECT_TRUE(Ended(pid));
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
}

TEST_F(WlrootsDesktopTest, AOneOffSwaybgThatEndsAtOnceFailsAndTheLastOneStays) {
  WlrootsDesktop first(state);
  first.KeepAfterExit();
  ASSERT_TRUE(first.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
  ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 1; }));
  const pid_t shown = Runs(runs)[0];
  const std::vector<std::string> files = testing::ShownFiles(state);

  setenv("FAKE_SWAYBG_FAILS", "1", 1);
  WlrootsDesktop next(state);
  next.KeepAfterExit();
  EXPECT_FALSE(next.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 2)));
  unsetenv("FAKE_SWAYBG_FAILS");
  EXPECT_FALSE(Ended(shown)) << "the wallpaper on screen stays";
  EXPECT_EQ(testing::ShownFiles(state), files);
  kill(shown, SIGTERM);
  waitpid(shown, nullptr, 0);
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

TEST_F(WlrootsDesktopTest, AOneOffChangeOutlivesUsUntilTheResidentProgramEnds) {
  pid_t first = -1;
  {
    WlrootsDesktop desktop(state);
    desktop.KeepAfterExit();
    ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
    ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 1; }));
    first = Runs(runs)[0];
  }
  EXPECT_FALSE(Ended(first)) << "the command-line tool's wallpaper stays";
  const std::vector<std::string> firstFile = testing::ShownFiles(state);
  WlrootsDesktop next(state);
  next.KeepAfterExit();
  ASSERT_TRUE(next.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 2)));
  ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 2; }));
  const pid_t second = Runs(runs)[0] == first ? Runs(runs)[1] : Runs(runs)[0];
  EXPECT_NE(ArgsOf(second)[3], firstFile.at(0)) << "a new name";
  EXPECT_TRUE(testing::WaitUntil([&] { return Ended(first); }));
  EXPECT_EQ(testing::ShownFiles(state).size(), 1u) << "the replaced one-off's file went with it";

  // The resident program draws over it, and at its end nothing of either stays.
  WlrootsDesktop resident(state);
  ASSERT_TRUE(resident.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 3)));
  EXPECT_TRUE(testing::WaitUntil([&] { return Ended(second); }))
      << "ours would be drawn under the one-off's";
  ASSERT_TRUE(resident.RestoreUserWallpaper());
  for (pid_t pid : Runs(runs)) EXPECT_TRUE(testing::WaitUntil([&] { return Ended(pid); }));
  EXPECT_EQ(testing::FileNames(state), std::vector<std::string>{"photo.jpg.bmp"});
  for (pid_t pid : {first, second}) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
}

// swaybg takes the named output's picture over `-o *`'s.
TEST_F(WlrootsDesktopTest, EachNamedOutputGetsItsMonitorsPictureAndOldFilesGo) {
  const MonitorLayout layout{{"A", {0, 0, 16, 8}, true}, {"B", {16, 0, 8, 4}}, {"", {24, 0, 8, 4}}};
  WlrootsDesktop desktop(state);
  std::vector<std::string> before;
  for (int change = 0; change < 2; ++change) {
    const testing::TestWallpapers pictures(state, layout, change * 10);
    ASSERT_TRUE(desktop.SetWallpapers(pictures.view()));
    ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == std::size_t(change + 1); }));
    const std::vector<std::string> shown = testing::ShownFiles(state);
    ASSERT_EQ(shown.size(), 2u) << "one file a monitor size, the previous change's gone";
    for (const std::string& file : before)
      EXPECT_EQ(std::find(shown.begin(), shown.end(), file), shown.end()) << "gone: " << file;
    const std::string a = pictures.Which(shown[0]) == pictures.SizeOf("A") ? shown[0] : shown[1];
    const std::string b = a == shown[0] ? shown[1] : shown[0];
    EXPECT_EQ(pictures.Which(b), pictures.SizeOf("B"));
    pid_t newest = Runs(runs)[0];
    for (pid_t pid : Runs(runs)) newest = Ended(pid) ? newest : pid;
    EXPECT_EQ(ArgsOf(newest),
              (std::vector<std::string>{"-o", "*", "-i", a, "-m", "stretch", "-o", "A", "-i", a,
                                        "-m", "stretch", "-o", "B", "-i", b, "-m", "stretch"}));
    before = shown;
  }
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  for (pid_t pid : Runs(runs)) EXPECT_TRUE(Ended(pid));
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
}

// The swaybg a one-off change left shows a file for each monitor size.
TEST_F(WlrootsDesktopTest, EveryFileOfAReplacedOneOffGoesWithIt) {
  const MonitorLayout layout{{"A", {0, 0, 16, 8}, true}, {"B", {16, 0, 8, 4}}};
  const testing::TestWallpapers pictures(state, layout);
  pid_t oneOff = -1;
  {
    WlrootsDesktop desktop(state);
    desktop.KeepAfterExit();
    ASSERT_TRUE(desktop.SetWallpapers(pictures.view()));
    ASSERT_TRUE(testing::WaitUntil([&] { return Runs(runs).size() == 1; }));
    oneOff = Runs(runs)[0];
  }
  ASSERT_EQ(testing::ShownFiles(state).size(), 2u);
  WlrootsDesktop resident(state);
  ASSERT_TRUE(resident.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 3)));
  EXPECT_TRUE(testing::WaitUntil([&] { return Ended(oneOff); }));
  EXPECT_EQ(testing::ShownFiles(state).size(), 1u) << "only the resident program's own";
  ASSERT_TRUE(resident.RestoreUserWallpaper());
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
  kill(oneOff, SIGTERM);
  waitpid(oneOff, nullptr, 0);
}

TEST_F(WlrootsDesktopTest, AMissingSwaybgIsReported) {
  setenv("PATH", "/nonexistent", 1);
  WlrootsDesktop desktop(state);
  Status status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 0));
  unsetenv("PATH");
  testing::UseFakePrograms();
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("swaybg"), std::string::npos) << status.message();
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
}

// sway: a stand-in swaymsg that answers from files and logs the commands.
class SwayDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseFakePrograms();
    setenv("FAKE_SWAY_DIR", sway.c_str(), 1);
    SetConfig("set $mod Mod4\noutput * bg /usr/share/backgrounds/user.png fill\n");
    WriteFileBytes(sway + "/outputs.json",
                   R"([{"name": "HEADLESS-1", "active": true}, {"name": "DP-2", "active": true},)"
                   R"( {"name": "HDMI-A-1", "active": false}])");
  }
  void SetConfig(const std::string& text) {
    WriteFileBytes(sway + "/config.json",
                   QJsonDocument(QJsonObject{{"config", QString::fromStdString(text)}})
                       .toJson()
                       .toStdString());
  }
  std::vector<std::string> Commands() { return SplitNul(ReadFileBytes(sway + "/commands.log")); }

  std::string sway = MakeTempDir("sway");
  std::string state = MakeTempDir("sway-state");
  std::string bmp = testing::WriteComposedFile(state, "photo.jpg.bmp");
};

TEST_F(SwayDesktopTest, SetsEachOutputThroughSwayAndGivesTheConfigsBackgroundBack) {
  SwayDesktop desktop(state);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
  const std::vector<std::string> shown = testing::ShownFiles(state);
  ASSERT_EQ(shown.size(), 1u);
  const std::string file = *SwayQuotedPath(shown[0]);
  EXPECT_EQ(Commands(),
            std::vector<std::string>{"output \"HEADLESS-1\" bg " + file +
                                     " stretch; output \"DP-2\" bg " + file + " stretch"})
      << "every active output by name, in one call";

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(Commands().back(), "output * bg /usr/share/backgrounds/user.png fill");
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
  EXPECT_FALSE(FileExists(JournalPath(state)));
}

// Ours: HEADLESS-1, the primary, and a monitor whose name the display
// server did not give at HEADLESS-2's place; sway also has an output that
// came after the composition.
TEST_F(SwayDesktopTest, EachOutputGetsItsMonitorsPictureInOneCall) {
  WriteFileBytes(sway + "/outputs.json", R"([
    {"name": "HEADLESS-1", "active": true, "rect": {"x": 0, "y": 0, "width": 16, "height": 8},
     "current_mode": {"width": 16, "height": 8}},
    {"name": "HEADLESS-2", "active": true, "rect": {"x": 16, "y": 0, "width": 8, "height": 4},
     "current_mode": {"width": 8, "height": 4}},
    {"name": "DP-9", "active": true, "rect": {"x": 24, "y": 0, "width": 8, "height": 4},
     "current_mode": {"width": 8, "height": 4}}])");
  const testing::TestWallpapers pictures(
      state, {{"HEADLESS-1", {0, 0, 16, 8}, true}, {"", {16, 0, 8, 4}}});
  SwayDesktop desktop(state);
  ASSERT_TRUE(desktop.SetWallpapers(pictures.view()));
  const std::vector<std::string> shown = testing::ShownFiles(state);
  ASSERT_EQ(shown.size(), 2u);
  const std::string a =
      pictures.Which(shown[0]) == pictures.SizeOf("HEADLESS-1") ? shown[0] : shown[1];
  const std::string b = a == shown[0] ? shown[1] : shown[0];
  EXPECT_EQ(Commands(), std::vector<std::string>{
                            "output \"HEADLESS-1\" bg " + *SwayQuotedPath(a) +
                            " stretch; output \"HEADLESS-2\" bg " + *SwayQuotedPath(b) +
                            " stretch; output \"DP-9\" bg " + *SwayQuotedPath(a) + " stretch"});
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
}

struct OutputRow {
  const char* name;
  SwayOutput output;
  int monitor;
};

class SwayOutputTest : public ::testing::TestWithParam<OutputRow> {};

// Ours: DP-1 (the primary) and HDMI-A-1 right of it, in device pixels.
TEST_P(SwayOutputTest, FindsTheMonitorAnOutputShows) {
  Canvas canvas;
  Wallpapers ours;
  ours.monitors = {{{"DP-1", {0, 0, 1920, 1080}, true}, &canvas, ""},
                   {{"HDMI-A-1", {1920, 0, 3840, 2160}}, &canvas, ""}};
  EXPECT_EQ(MonitorOfOutput(GetParam().output, ours), GetParam().monitor);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SwayOutputTest,
    ::testing::Values(OutputRow{"by_name", {"HDMI-A-1", {5, 5, 1, 1}}, 1},
                      OutputRow{"by_place_without_our_name", {"X-1", {1920, 0, 3840, 2160}}, 1},
                      OutputRow{"came_later", {"DP-3", {5760, 0, 1920, 1080}}, -1}),
    [](const ::testing::TestParamInfo<OutputRow>& row) { return std::string(row.param.name); });

// sway's rect is in logical pixels; our monitors are in the mode's.
TEST(SwayOutputs, TakeThePlaceFromTheRectAndTheSizeFromTheMode) {
  EXPECT_EQ(SwayOutputs(R"([{"name": "DP-1", "active": true,
      "rect": {"x": 1920, "y": 0, "width": 1920, "height": 1080},
      "current_mode": {"width": 3840, "height": 2160, "refresh": 60000}},
    {"name": "DP-2", "active": false}])"),
            (std::vector<SwayOutput>{{"DP-1", {1920, 0, 3840, 2160}}}));
}

TEST_F(SwayDesktopTest, AOneOffChangeIsGivenBackByTheNextStart) {
  {
    SwayDesktop oneOff(state);
    oneOff.KeepAfterExit();
    ASSERT_TRUE(oneOff.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
  }
  // sway's own config no longer tells what the user had: the journal does.
  SetConfig("");
  const Status recovered = RecoverFromJournal(state);
  ASSERT_TRUE(recovered) << recovered.message();
  EXPECT_EQ(Commands().back(), "output * bg /usr/share/backgrounds/user.png fill");
  EXPECT_EQ(testing::FileNames(state), std::vector<std::string>{});
}

TEST_F(SwayDesktopTest, ARefusedCommandIsAFailureWithSwaysReason) {
  WriteFileBytes(sway + "/refuse", "");
  SwayDesktop desktop(state);
  const Status status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1));
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("Invalid output"), std::string::npos) << status.message();
}

// Ours went to every output; the user's lines may name only some.
TEST_F(SwayDesktopTest, OutputsTheConfigDoesNotNameGetAPlainBackgroundBack) {
  SetConfig("output HEADLESS-1 bg /usr/share/backgrounds/user.png fill\n");
  SwayDesktop desktop(state);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(Commands().back(),
            "output * bg #000000 solid_color; output HEADLESS-1 bg /usr/share/backgrounds/user.png "
            "fill");
}

TEST_F(SwayDesktopTest, AStoppedSwayCostsOneTimeLimit) {
  WriteFileBytes(sway + "/hang", "");
  SwayDesktop desktop(state);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// sway expands the file like a shell word and parses its own quoting
// first; each row was checked against sway 1.7's swaybg arguments.
TEST(SwayQuotedPath, KeepsEveryCharacterLiteralThroughBothParsers) {
  const std::pair<std::string, std::string> rows[] = {
      {"/plain/f.png", "\"'/plain/f.png'\""},
      {"/it's", "\"'/it'\\''s'\""},
      {"/two  spaces", "\"'/two'\\ ''\\ 'spaces'\""},
      {"/$mod/`id`/$(id)", "\"'/'\\$'mod/`id`/'\\$'(id)'\""},
      {"/say \"hi\"", "\"'/say'\\ ''\\\"'hi'\\\"''\""},
      {"/back\\slash;a,b", "\"'/back\\slash;a,b'\""},
  };
  for (const auto& [path, word] : rows) EXPECT_EQ(SwayQuotedPath(path), word) << path;
  EXPECT_EQ(SwayQuotedPath("/new\nline"), std::nullopt);
}

}  // namespace
}  // namespace vendaro
