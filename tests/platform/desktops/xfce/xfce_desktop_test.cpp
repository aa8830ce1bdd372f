// The XFCE backend against a stand-in xfconfd on a private session bus.
// GIO first: its headers use a member named `signals`, which Qt defines.
#include "platform/desktops/xfce/xfce_desktop.h"

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>

#include "platform/desktop/desktop_probe.h"
#include "platform/desktop/restore_journal.h"
#include "platform/ipc/child_process.h"
#include "platform/ipc/session_bus.h"
#include "platform/platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::MakeTempDir;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

constexpr const char* kImage0 = "/backdrop/screen0/monitorVirtual1/workspace0/last-image";
constexpr const char* kImage1 = "/backdrop/screen0/monitorVirtual1/workspace1/last-image";
constexpr const char* kStyle0 = "/backdrop/screen0/monitorVirtual1/workspace0/image-style";
constexpr const char* kStyle1 = "/backdrop/screen0/monitorVirtual1/workspace1/image-style";

class XfceDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::StartPrivateBus(false).empty()) GTEST_SKIP() << "dbus-daemon is not available";
    WriteFileBytes(service + "/props.json", R"({
      ")" + std::string(kImage0) + R"(": "/home/u/own.jpg",
      ")" + std::string(kImage1) + R"(": "/home/u/two words.png",
      ")" + std::string(kStyle0) + R"(": 1,
      "/backdrop/screen0/monitorVirtual1/workspace0/rgba1": [0.062745, 0.12549, 0.188235, 1.0]
    })");
    ASSERT_TRUE(fake.Start(VENDARO_BIN_DIR "/platform_fake_xfconfd", {service}));
    SystemProbe probe;
    ASSERT_TRUE(testing::WaitUntil([&] { return probe.BusNameHasOwner(kXfconfBusName); }));
  }
  void TearDown() override { fake.Stop(); }

  // The service again, holding `props` (JSON).
  void Restart(const std::string& props) {
    fake.Stop();
    WriteFileBytes(service + "/props.json", props);
    ASSERT_TRUE(fake.Start(VENDARO_BIN_DIR "/platform_fake_xfconfd", {service}));
    SystemProbe probe;
    ASSERT_TRUE(testing::WaitUntil([&] { return probe.BusNameHasOwner(kXfconfBusName); }));
  }

  // A property as the service holds it: "string:…", "int:…", or "" when missing.
  std::string Get(const char* property) {
    const QJsonObject state =
        QJsonDocument::fromJson(QByteArray::fromStdString(ReadFileBytes(service + "/state.json")))
            .object();
    const QJsonObject value = state.value(property).toObject();
    if (value.contains("string")) return "string:" + value.value("string").toString().toStdString();
    if (value.contains("int")) return "int:" + std::to_string(value.value("int").toInt());
    return "";
  }

  std::string service = MakeTempDir("xfconfd");
  // Quotes, a backslash, '$' and a line break, but UTF-8: xfconf's strings are.
  std::string state = testing::AwkwardUtf8Folder("xfce");
  std::string bmp = testing::WriteComposedFile(state, "photo.jpg.bmp");
  ChildProcess fake;
};

TEST_F(XfceDesktopTest, EveryWorkspaceGetsItAndTheUsersValuesComeBackWithTheirTypes) {
  XfceDesktop desktop(state);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(12, 6, 1)));
  std::vector<std::string> shown = testing::ShownFiles(state);
  ASSERT_EQ(shown.size(), 1u);
  const std::string first = shown[0];
  EXPECT_EQ(Get(kImage0), "string:" + first) << "the path travels untouched";
  EXPECT_EQ(Get(kImage1), "string:" + first);
  EXPECT_EQ(Get(kStyle0), "int:5");
  EXPECT_EQ(Get(kStyle1), "int:5");

  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(12, 6, 2)))
      << "the same composed name again";
  shown = testing::ShownFiles(state);
  ASSERT_EQ(shown.size(), 2u) << "the previous file stays one change longer";
  std::erase(shown, first);
  ASSERT_EQ(shown.size(), 1u) << "a new name";
  EXPECT_EQ(Get(kImage0), "string:" + shown[0]);

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(Get(kImage0), "string:/home/u/own.jpg");
  EXPECT_EQ(Get(kImage1), "string:/home/u/two words.png");
  EXPECT_EQ(Get(kStyle0), "int:1") << "an int again, as xfdesktop reads it";
  EXPECT_EQ(Get(kStyle1), "") << "created by us, so removed";
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
  EXPECT_FALSE(FileExists(JournalPath(state)));
}

// Our monitors: A (the primary), B, C of B's size, and one whose name no
// xfconf property can hold.  xfdesktop has stored backdrops for A, B and a
// monitor that is gone.
TEST_F(XfceDesktopTest, EachMonitorsPropertiesGetItsPictureAndComeBackAsTheyWere) {
  constexpr const char* kA0 = "/backdrop/screen0/monitorA/workspace0/last-image";
  constexpr const char* kA1 = "/backdrop/screen0/monitorA/workspace1/last-image";
  constexpr const char* kA0Style = "/backdrop/screen0/monitorA/workspace0/image-style";
  constexpr const char* kB0 = "/backdrop/screen0/monitorB/workspace0/last-image";
  constexpr const char* kB1 = "/backdrop/screen0/monitorB/workspace1/last-image";
  constexpr const char* kGone = "/backdrop/screen0/monitorGone/workspace0/last-image";
  constexpr const char* kC0 = "/backdrop/screen0/monitorC/workspace0/last-image";
  constexpr const char* kC1 = "/backdrop/screen0/monitorC/workspace1/last-image";
  constexpr const char* kC1Style = "/backdrop/screen0/monitorC/workspace1/image-style";
  Restart(R"({")" + std::string(kA0) + R"(": "/home/u/a0.jpg", ")" + kA1 +
          R"(": "/home/u/a1.jpg", ")" + kA0Style + R"(": 1, ")" + kB0 +
          R"(": "/home/u/b0.jpg", ")" + kGone + R"(": "/home/u/g.jpg"})");
  const MonitorLayout layout{{"A", {0, 0, 16, 8}, true},
                             {"B", {16, 0, 8, 4}},
                             {"C", {24, 0, 8, 4}},
                             {"two words", {32, 0, 16, 8}}};
  XfceDesktop desktop(state);
  const auto picture = [&](const testing::TestWallpapers& pictures, const char* property) {
    const std::string value = Get(property);
    return value.rfind("string:", 0) == 0 ? pictures.Which(value.substr(7)) : value;
  };

  const testing::TestWallpapers first(state, layout, 0);
  const Status set = desktop.SetWallpapers(first.view());
  ASSERT_TRUE(set) << set.message();
  EXPECT_EQ(picture(first, kA0), first.SizeOf("A"));
  EXPECT_EQ(picture(first, kA1), first.SizeOf("A"));
  EXPECT_EQ(picture(first, kB0), first.SizeOf("B"));
  EXPECT_EQ(picture(first, kGone), first.SizeOf("A")) << "no picture for it: the primary's";
  EXPECT_EQ(picture(first, kC0), first.SizeOf("C")) << "created for each workspace";
  EXPECT_EQ(picture(first, kC1), first.SizeOf("C"));
  EXPECT_EQ(Get(kC1Style), "int:5");
  EXPECT_EQ(Get(kB1), "") << "xfdesktop has not stored it";
  EXPECT_EQ(ReadFileBytes(service + "/calls.log").find("monitortwo"), std::string::npos);
  EXPECT_EQ(testing::ShownFiles(state).size(), 2u) << "one file for each monitor size";

  // xfdesktop stores a backdrop of its own for a workspace of B.
  WaitBudget budget;
  ASSERT_TRUE(CallSessionBus(
      {kXfconfBusName, "/org/xfce/Xfconf", "org.xfce.Xfconf", "xfconfd"}, "SetProperty",
      g_variant_new("(ssv)", "xfce4-desktop", kB1, g_variant_new_string("/home/u/b1.jpg")), nullptr,
      budget));
  const std::vector<std::string> before = testing::ShownFiles(state);
  const testing::TestWallpapers second(state, layout, 10);
  ASSERT_TRUE(desktop.SetWallpapers(second.view()));
  EXPECT_EQ(picture(second, kB1), second.SizeOf("B"));
  EXPECT_EQ(picture(second, kC0), second.SizeOf("C"));
  EXPECT_EQ(testing::ShownFiles(state).size(), 4u) << "the previous change's stay for one more";
  const testing::TestWallpapers third(state, layout, 20);
  ASSERT_TRUE(desktop.SetWallpapers(third.view()));
  const std::vector<std::string> now = testing::ShownFiles(state);
  EXPECT_EQ(now.size(), 4u);
  for (const std::string& file : before)
    EXPECT_EQ(std::find(now.begin(), now.end(), file), now.end()) << "gone: " << file;

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(Get(kA0), "string:/home/u/a0.jpg");
  EXPECT_EQ(Get(kA1), "string:/home/u/a1.jpg");
  EXPECT_EQ(Get(kA0Style), "int:1");
  EXPECT_EQ(Get(kB0), "string:/home/u/b0.jpg");
  EXPECT_EQ(Get(kB1), "string:/home/u/b1.jpg") << "journaled when it came";
  EXPECT_EQ(Get(kGone), "string:/home/u/g.jpg");
  EXPECT_EQ(Get(kC0), "") << "created by us, so removed";
  EXPECT_EQ(Get(kC1Style), "");
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
}

// Before xfdesktop has stored a backdrop, xfconfd answers with an error.
TEST_F(XfceDesktopTest, AFreshAccountGetsTheFirstMonitorsPropertiesAndLosesThemAgain) {
  fake.Stop();
  WriteFileBytes(service + "/props.json", "{}");
  ASSERT_TRUE(fake.Start(VENDARO_BIN_DIR "/platform_fake_xfconfd", {service}));
  SystemProbe probe;
  ASSERT_TRUE(testing::WaitUntil([&] { return probe.BusNameHasOwner(kXfconfBusName); }));
  constexpr const char* kFirst = "/backdrop/screen0/monitor0/workspace0/last-image";
  constexpr const char* kFirstStyle = "/backdrop/screen0/monitor0/workspace0/image-style";
  XfceDesktop desktop(state);
  const Status set = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 0));
  ASSERT_TRUE(set) << set.message();
  EXPECT_EQ(Get(kFirst), "string:" + testing::ShownFiles(state).at(0));
  EXPECT_EQ(Get(kFirstStyle), "int:5");
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(Get(kFirst), "");
  EXPECT_EQ(Get(kFirstStyle), "");
}

TEST_F(XfceDesktopTest, AKilledRunIsMendedAtTheNextStart) {
  std::string output;
  ASSERT_TRUE(testing::SetAndGetKilled(DesktopKind::Xfce, state, bmp, 4, 4, 9, 9, 9, &output))
      << output;
  EXPECT_NE(Get(kImage0), "string:/home/u/own.jpg");
  ASSERT_TRUE(RecoverFromJournal(state));
  EXPECT_EQ(Get(kImage0), "string:/home/u/own.jpg");
  EXPECT_EQ(Get(kStyle1), "");
  EXPECT_EQ(testing::FileNames(state), std::vector<std::string>{})
      << "neither the shown file nor the killed run's composed BMP stays";
}

TEST_F(XfceDesktopTest, NoChangeWithoutAJournalFirst) {
  XfceDesktop desktop(state + "/missing");
  EXPECT_FALSE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 0)));
  EXPECT_EQ(ReadFileBytes(service + "/calls.log").find("SetProperty"), std::string::npos);
}

TEST_F(XfceDesktopTest, APathThatIsNotUtf8IsRefusedNotMangled) {
  const std::string folder = MakeTempDir("xfce") + "/\xff\xfe";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  XfceDesktop desktop(folder);
  const Status status = desktop.SetWallpaper(testing::WriteComposedFile(folder, "a.bmp"),
                                             testing::PatternCanvas(4, 4, 0));
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("UTF-8"), std::string::npos) << status.message();
  EXPECT_EQ(Get(kImage0), "string:/home/u/own.jpg");
  EXPECT_TRUE(desktop.RestoreUserWallpaper());
}

TEST_F(XfceDesktopTest, ReportsTheDesktopColour) {
  XfceDesktop desktop(state);
  EXPECT_EQ(desktop.BackgroundColor(), Rgb(16, 32, 48));
}

// xfconf-query took up to 2 s a call, and a change made several in a row.
TEST_F(XfceDesktopTest, AStalledServiceCostsOneTimeLimitForAWholeChange) {
  WriteFileBytes(service + "/hang", "");
  XfceDesktop desktop(state);
  desktop.BeginChange();
  EXPECT_EQ(desktop.BackgroundColor(), std::nullopt);
  const auto start = std::chrono::steady_clock::now();
  const Status status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 0));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1))
      << "the limit was spent on the colour";
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("XFCE"), std::string::npos) << status.message();
  EXPECT_NE(status.message().find("xfconfd"), std::string::npos) << status.message();
}

TEST_F(XfceDesktopTest, AMissingServiceIsNamed) {
  fake.Stop();
  XfceDesktop desktop(state);
  const Status status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 0));
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("org.xfce.Xfconf"), std::string::npos) << status.message();
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
}

}  // namespace
}  // namespace vendaro
