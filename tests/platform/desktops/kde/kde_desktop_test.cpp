#include "platform/desktops/kde/kde_desktop.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <set>

#include "platform/desktop/desktop_probe.h"
#include "platform/desktop/restore_journal.h"
#include "platform/desktop/shown_file.h"
#include "platform/desktops/kde/kde_script.h"
#include "platform/ipc/child_process.h"
#include "platform/platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::MakeTempDir;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

TEST(JsStringLiteral, EscapesEverythingThatCouldEndOrBendTheString) {
  const std::pair<std::string, std::string> rows[] = {
      {"/plain/path.bmp", "'/plain/path.bmp'"},
      {"it's", "'it\\u0027s'"},
      {"say \"hi\"", "'say \\u0022hi\\u0022'"},
      {"back\\slash", "'back\\u005Cslash'"},
      {"line\nend\r", "'line\\u000Aend\\u000D'"},
      {"sep\xe2\x80\xa8par\xe2\x80\xa9", "'sep\\u2028par\\u2029'"},
      {"\xc5\xbc", "'\\u017C'"},
      {"bad\xff", "'bad\\uFFFD'"},
      {"');evil();('", "'\\u0027);evil();(\\u0027'"},
  };
  for (const auto& [text, literal] : rows) EXPECT_EQ(JsStringLiteral(text), literal) << text;
}

TEST(FileUrl, PercentEncodesEveryByteButTheSafeOnes) {
  EXPECT_EQ(FileUrl("/a b/it's\"\\$\n\xff~x-y_z.png"),
            "file:///a%20b/it%27s%22%5C%24%0A%FF~x-y_z.png");
}

TEST(PlasmaColor, ReadsBothStoredForms) {
  EXPECT_EQ(ParsePlasmaColor("10,20,30"), Rgb(10, 20, 30));
  EXPECT_EQ(ParsePlasmaColor("10,20,30,255"), Rgb(10, 20, 30));
  EXPECT_EQ(ParsePlasmaColor("#0a141e"), Rgb(10, 20, 30));
  EXPECT_EQ(ParsePlasmaColor("a,b,c"), std::nullopt);
  EXPECT_EQ(ParsePlasmaColor(""), std::nullopt);
}

// Plasma's scripting API in node: desktops whose wallpaper config lives in
// a JSON object, so the scripts run as Plasma would run them.
constexpr const char* kPlasmaApi = R"JS(
var configs = JSON.parse(process.argv[2]);
var plasmaScreens = JSON.parse(process.argv[3]);
var screenCount = plasmaScreens.length;
function screenGeometry(i) { return plasmaScreens[i]; }
function desktops() {
  return configs.map(function (c, i) {
    return {
      id: i + 1,
      screen: c.screen === undefined ? -1 : c.screen,
      get wallpaperPlugin() { return c.plugin; },
      set wallpaperPlugin(p) { c.plugin = p; },
      set currentConfigGroup(g) { c.group = g.join('/'); c.keys = c.keys || {};
                                  c.keys[c.group] = c.keys[c.group] || {}; },
      get configKeys() { return Object.keys(c.keys[c.group]); },
      // Plasma answers a key that is not there with an empty string.
      readConfig: function (k) { var v = c.keys[c.group][k]; return v === undefined ? '' : v; },
      writeConfig: function (k, v) { c.keys[c.group][k] = String(v); },
      reloadConfig: function () {}
    };
  });
}
var printed = '';
function print(text) { printed += text; }
)JS";

struct ScriptRun {
  std::string printed;
  std::string configs;  // the desktops' configs afterwards, as JSON
};

// The scripts run in node; scripts/packages.txt installs it, so a run
// without it is a broken test machine, not a test to leave out.
::testing::AssertionResult NodeInstalled() {
  if (!FindProgram("node").empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "node is not installed (scripts/deps.sh installs it)";
}

// Runs a script against desktops in `configs` on `screens` (geometries by
// Plasma's screen number); nothing without node.
std::optional<ScriptRun> RunInPlasma(const std::string& script, const std::string& configs,
                                     const std::string& screens = "[]") {
  const std::string file = MakeTempDir("js") + "/script.js";
  WriteFileBytes(file, std::string(kPlasmaApi) + script +
                           "\nprocess.stdout.write(JSON.stringify({printed: printed, configs: "
                           "configs.map(function (c) { delete c.group; return c; })}));\n");
  ProgramResult result = RunProgram("node", {file, configs, screens}, 20000);
  if (!result.status) return std::nullopt;
  const QJsonObject out = QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).object();
  return ScriptRun{out.value("printed").toString().toStdString(),
                   QJsonDocument(out.value("configs").toArray()).toJson().toStdString()};
}

// A monitor plugged in while ours showed: Plasma made a desktop for it, and
// the change that followed gave it ours.  Its file goes at the end, so the
// give-back must not leave it there.
TEST(PlasmaScripts, ADesktopThatCameLaterGetsTheUsersWallpaperBack) {
  ASSERT_TRUE(NodeInstalled());
  const std::string group = "Wallpaper/org.kde.image/General";
  const std::string one = R"({"plugin": "org.kde.image", "keys": {")" + group +
                          R"(": {"Image": "file:///u.jpg", "FillMode": "1"}}})";
  const auto read = RunInPlasma(ReadDesktopsScript(), "[" + one + "]");
  ASSERT_TRUE(read);
  const std::string later = R"({"plugin": "org.kde.image", "keys": {")" + group +
                            R"(": {"Image": "file:///plasma/default.png"}}})";
  const auto set = RunInPlasma(SetImageScript("file:///state/vendaro-shown-1-2.bmp"),
                               "[" + one + "," + later + "]");
  ASSERT_TRUE(set);
  const auto back = RunInPlasma(RestoreDesktopsScript(read->printed), set->configs);
  ASSERT_TRUE(back);
  const QJsonArray desktops =
      QJsonDocument::fromJson(QByteArray::fromStdString(back->configs)).array();
  ASSERT_EQ(desktops.size(), 2);
  for (const QJsonValue& d : desktops) {
    const QJsonObject keys =
        d.toObject().value("keys").toObject().value(QString::fromStdString(group)).toObject();
    EXPECT_EQ(keys.value("Image").toString(), "file:///u.jpg") << back->configs;
    EXPECT_EQ(keys.value("FillMode").toString(), "1");
  }
}

// What a give-back leaves must be what was there: no key added, none lost.
TEST(PlasmaScripts, GivingBackLeavesTheConfigAsItWas) {
  ASSERT_TRUE(NodeInstalled());
  const std::string group = "Wallpaper/org.kde.image/General";
  const std::string rows[] = {
      // The user set only the picture: FillMode and Color stay unset.
      R"([{"plugin": "org.kde.image", "keys": {")" + group + R"(": {"Image": "file:///u.jpg"}}}])",
      // A tiling mode is changed for ours and comes back.
      R"([{"plugin": "org.kde.image", "keys": {")" + group +
          R"(": {"Image": "file:///t.png", "FillMode": "3", "Color": "1,2,3"}}}])",
      // Another plugin, and a second desktop that never had an image.
      R"([{"plugin": "org.kde.slideshow", "keys": {}}, {"plugin": "org.kde.color", "keys": {}}])",
  };
  for (const std::string& before : rows) {
    const auto read = RunInPlasma(ReadDesktopsScript(), before);
    ASSERT_TRUE(read) << before;
    const auto set = RunInPlasma(SetImageScript("file:///state/new.bmp"), before);
    ASSERT_TRUE(set);
    EXPECT_NE(set->printed.find("file:///state/new.bmp"), std::string::npos) << set->printed;
    const auto back = RunInPlasma(RestoreDesktopsScript(read->printed), set->configs);
    ASSERT_TRUE(back);
    // Each desktop's plugin and the keys of that plugin's group.  (A desktop
    // that used another plugin keeps the Image we wrote in the image
    // plugin's group, unused: Plasma's scripts cannot delete a key.)
    auto inUse = [](const std::string& json) {
      std::string text;
      for (const QJsonValue& c : QJsonDocument::fromJson(QByteArray::fromStdString(json)).array()) {
        const std::string plugin = c.toObject().value("plugin").toString().toStdString();
        const QJsonObject keys =
            c.toObject()
                .value("keys")
                .toObject()
                .value(QString::fromStdString("Wallpaper/" + plugin + "/General"))
                .toObject();
        text +=
            plugin + " " + QJsonDocument(keys).toJson(QJsonDocument::Compact).toStdString() + ";";
      }
      return text;
    };
    EXPECT_EQ(inUse(back->configs), inUse(before)) << "after: " << back->configs;
  }
}

// Plasma's screens in Plasma's order, ours the primary first.
TEST(PlasmaScripts, EachScreensDesktopGetsItsScreensPicture) {
  ASSERT_TRUE(NodeInstalled());
  const std::string screens =
      R"([{"x": 1280, "y": 0, "width": 640, "height": 400}, {"x": 0, "y": 0, "width": 1280, "height": 800}])";
  const auto read = RunInPlasma(ReadScreensScript(), "[]", screens);
  ASSERT_TRUE(read);
  EXPECT_EQ(ParsePlasmaScreens(read->printed),
            (std::vector<Rect>{{1280, 0, 640, 400}, {0, 0, 1280, 800}}));

  // A desktop of no screen (another activity's, a screen gone), and one of a
  // screen that came after the composition.
  const std::string desktops =
      R"([{"plugin": "org.kde.image", "screen": 0, "keys": {}}, {"plugin": "org.kde.image", "screen": 1, "keys": {}},)"
      R"( {"plugin": "org.kde.slideshow", "screen": -1, "keys": {}}, {"plugin": "org.kde.image", "screen": 2, "keys": {}}])";
  const auto set = RunInPlasma(
      SetScreenImagesScript({"file:///s/b.bmp", "file:///s/a'\"\u2028.bmp"}, "file:///s/a.bmp"),
      desktops, screens);
  ASSERT_TRUE(set);
  std::vector<std::string> images;
  for (const QJsonValue& c :
       QJsonDocument::fromJson(QByteArray::fromStdString(set->configs)).array())
    images.push_back(c.toObject()
                         .value("keys")
                         .toObject()
                         .value("Wallpaper/org.kde.image/General")
                         .toObject()
                         .value("Image")
                         .toString()
                         .toStdString());
  EXPECT_EQ(images, (std::vector<std::string>{"file:///s/b.bmp", "file:///s/a'\"\u2028.bmp",
                                              "file:///s/a.bmp", "file:///s/a.bmp"}));
  const QJsonArray shown = QJsonDocument::fromJson(QByteArray::fromStdString(set->printed)).array();
  ASSERT_EQ(shown.size(), 4);
  EXPECT_EQ(shown[1].toObject().value("screen").toInt(), 1);
  EXPECT_EQ(shown[1].toObject().value("image").toString().toStdString(),
            "file:///s/a'\"\u2028.bmp");
}

struct ScreensRow {
  const char* name;
  std::vector<Rect> screens;  // Plasma's, by its screen number
  std::vector<int> monitors;  // ours for each
};

class PlasmaScreensTest : public ::testing::TestWithParam<ScreensRow> {};

// Ours: the primary 1920×1080 at the origin, a 2560×1440 one right of it.
TEST_P(PlasmaScreensTest, MatchesPlasmasScreensToOurMonitorsByPlace) {
  Canvas canvas;
  Wallpapers ours;
  ours.monitors = {{{"DP-1", {0, 0, 1920, 1080}, true}, &canvas, ""},
                   {{"HDMI-A-1", {1920, 0, 2560, 1440}}, &canvas, ""}};
  EXPECT_EQ(MonitorsOfScreens(GetParam().screens, ours), GetParam().monitors);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlasmaScreensTest,
    ::testing::Values(
        ScreensRow{"same_order", {{0, 0, 1920, 1080}, {1920, 0, 2560, 1440}}, {0, 1}},
        ScreensRow{"plasmas_own_order", {{1920, 0, 2560, 1440}, {0, 0, 1920, 1080}}, {1, 0}},
        // Plasma's geometry in logical pixels: the second monitor at scale 2.
        ScreensRow{"scaled", {{0, 0, 1920, 1080}, {1920, 0, 1280, 720}}, {0, 1}},
        // Scaled to a fraction: 2560 / 1.5 rounds to 1707.
        ScreensRow{"fractional_scale", {{1920, 0, 1707, 960}}, {1}},
        // A screen that came after the composition, one that moved, one
        // with another aspect at a monitor's corner.
        ScreensRow{"unknown",
                   {{4480, 0, 1024, 768}, {0, 100, 1920, 1080}, {1920, 0, 2560, 1600}},
                   {-1, -1, -1}},
        ScreensRow{"none", {}, {}}),
    [](const ::testing::TestParamInfo<ScreensRow>& row) { return std::string(row.param.name); });

// A session bus of our own with the fake plasmashell on it.
class KdeDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::StartPrivateBus(false).empty()) GTEST_SKIP() << "dbus-daemon is not available";
    WriteFileBytes(shell + "/reply.json", kReply);
    ASSERT_TRUE(fake.Start(VENDARO_BIN_DIR "/platform_fake_plasmashell", {shell}));
    SystemProbe probe;
    ASSERT_TRUE(testing::WaitUntil([&] { return probe.BusNameHasOwner("org.kde.plasmashell"); }));
  }

  std::string Script(int n) {
    return ReadFileBytes(shell + "/script-" + std::to_string(n) + ".js");
  }
  bool HasScript(int n) { return FileExists(shell + "/script-" + std::to_string(n) + ".js"); }

  static constexpr const char* kReply =
      R"([{"id":1,"plugin":"org.kde.slideshow","Image":"file:///home/u/it's.jpg","FillMode":"1","Color":"10,20,30"},)"
      "{\"id\":2,\"plugin\":\"org.kde.image\",\"Image\":\"x\xe2\x80\xa8y\"}]";
  std::string shell = MakeTempDir("plasma");
  std::string state = testing::AwkwardFolder("kde");
  std::string bmp = testing::WriteComposedFile(state, "photo.jpg.bmp");
  ChildProcess fake;
};

// The JSON between "var saved = " and the first ";\n".
QJsonDocument SavedJson(const std::string& script) {
  const std::string head = "var saved = ";
  const std::string json = script.substr(head.size(), script.find(";\n") - head.size());
  return QJsonDocument::fromJson(QByteArray::fromStdString(json));
}

// The script starts with a literal that holds nothing but URL characters, so
// no byte of the path can end the string or start a statement.
bool IsInertUrlLiteral(const std::string& script) {
  const std::string head = "var url = 'file:///";
  const std::size_t end = script.find("';\n");
  if (script.rfind(head, 0) != 0 || end == std::string::npos) return false;
  const std::string body = script.substr(head.size(), end - head.size());
  return body.find_first_not_of(
             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789%/._~-") ==
         std::string::npos;
}

// The shown files in the state folder, joined by "|" (one, normally).
std::string ShownFile(const std::string& folder) {
  std::string found;
  for (const std::string& path : testing::ShownFiles(folder))
    found += (found.empty() ? "" : "|") + path;
  return found;
}

// The one shown file not among `known`; empty when there is not exactly one.
std::string NewShownFile(const std::string& folder, const std::set<std::string>& known) {
  std::vector<std::string> found;
  for (const std::string& path : testing::ShownFiles(folder)) {
    if (!known.count(path)) found.push_back(path);
  }
  return found.size() == 1 ? found.front() : std::string();
}

TEST_F(KdeDesktopTest, SetsEveryDesktopAndWritesTheUsersValuesBack) {
  KdeDesktop desktop(state);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1)));
  EXPECT_EQ(Script(1), ReadDesktopsScript())
      << "the user's values are read before the first change";
  const std::string first = ShownFile(state);
  EXPECT_EQ(Script(2), SetImageScript(FileUrl(first)));
  EXPECT_TRUE(IsInertUrlLiteral(Script(2))) << Script(2);
  EXPECT_EQ(ReadFileBytes(first), ReadFileBytes(bmp)) << "Plasma reads the composed BMP itself";

  EXPECT_EQ(Script(3), ReadDesktopsScript()) << "what the desktop holds after our change";

  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 2)));
  const std::string second = NewShownFile(state, {first});
  EXPECT_NE(second, "") << "a new name to reload";
  EXPECT_EQ(Script(4), ReadDesktopsScript()) << "the user's own change is looked for first";
  EXPECT_EQ(Script(5), SetImageScript(FileUrl(second)));
  EXPECT_TRUE(FileExists(first)) << "kept one change longer: Plasma may still be loading it";

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  const std::string restore = Script(8);
  EXPECT_EQ(restore.find("\xe2\x80\xa8"), std::string::npos) << "U+2028 is escaped";
  EXPECT_EQ(SavedJson(restore), QJsonDocument::fromJson(kReply));
  EXPECT_EQ(ShownFile(state), "");
  EXPECT_FALSE(FileExists(JournalPath(state)));
  EXPECT_EQ(desktop.BackgroundColor(), Rgb(10, 20, 30));
}

// Plasma keeps showing a picture whose URL it has seen: a new process (each
// one-off change) must not come back to an earlier name.
TEST_F(KdeDesktopTest, EveryChangeFromEveryProcessGetsANameNeverUsed) {
  std::set<std::string> names;
  for (int run = 0; run < 4; ++run) {
    KdeDesktop oneOff(state);
    oneOff.KeepAfterExit();
    ASSERT_TRUE(oneOff.SetWallpaper(bmp, testing::PatternCanvas(4, 4, run)));
    EXPECT_LE(testing::ShownFiles(state).size(), 2u) << "this change's file and the one before";
    const std::string shown = NewShownFile(state, names);
    EXPECT_NE(shown, "") << "a name not used before";
    names.insert(shown);
  }
}

TEST_F(KdeDesktopTest, ADesktopThatDoesNotTakeThePictureIsAFailure) {
  WriteFileBytes(shell + "/shown.json", R"(["file:///home/u/it's.jpg"])");
  KdeDesktop desktop(state);
  const Status status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1));
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("KDE Plasma"), std::string::npos) << status.message();
}

// Plasma's screen 0 is our second monitor, and a desktop belongs to no screen.
TEST_F(KdeDesktopTest, EachScreensDesktopGetsItsMonitorsPictureUnderNewNamesEachChange) {
  WriteFileBytes(shell + "/reply.json",
                 R"([{"id":1,"screen":0,"plugin":"org.kde.image","Image":"file:///u.jpg"},)"
                 R"({"id":2,"screen":1,"plugin":"org.kde.image","Image":"file:///u.jpg"},)"
                 R"({"id":3,"screen":-1,"plugin":"org.kde.image"}])");
  WriteFileBytes(shell + "/screens.json",
                 R"([{"x":16,"y":0,"width":8,"height":4},{"x":0,"y":0,"width":16,"height":8}])");
  const MonitorLayout layout{{"A", {0, 0, 16, 8}, true}, {"B", {16, 0, 8, 4}}};
  KdeDesktop desktop(state);
  std::vector<std::string> before;
  for (int change = 0; change < 2; ++change) {
    const testing::TestWallpapers pictures(state, layout, change * 10);
    ASSERT_TRUE(desktop.SetWallpapers(pictures.view()));
    std::vector<std::string> shown = testing::ShownFiles(state);
    ASSERT_EQ(shown.size(), before.size() + 2) << "one file a monitor size; the previous stay";
    std::erase_if(shown, [&](const std::string& file) {
      return std::find(before.begin(), before.end(), file) != before.end();
    });
    ASSERT_EQ(shown.size(), 2u) << "new names";
    std::string a, b;
    for (const std::string& file : shown)
      (pictures.Which(file) == pictures.SizeOf("A") ? a : b) = file;
    ASSERT_EQ(pictures.Which(b), pictures.SizeOf("B"));
    // Each change: the user's change looked for (from the second on), the
    // screens, the pictures, what the desktop then holds.
    const int set = change == 0 ? 3 : 7;
    EXPECT_EQ(Script(set - 1), ReadScreensScript()) << "the screens are read at each change";
    EXPECT_EQ(Script(set), SetScreenImagesScript({FileUrl(b), FileUrl(a)}, FileUrl(a)));
    before = shown;
  }
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(ShownFile(state), "");
}

TEST_F(KdeDesktopTest, ADesktopWithoutItsScreensPictureIsAFailure) {
  WriteFileBytes(shell + "/screens.json", R"([{"x":0,"y":0,"width":16,"height":8}])");
  WriteFileBytes(shell + "/shown.json", R"([{"screen":0,"image":"file:///home/u/it's.jpg"}])");
  KdeDesktop desktop(state);
  const testing::TestWallpapers pictures(state, {{"A", {0, 0, 16, 8}, true}, {"B", {16, 0, 8, 4}}});
  const Status status = desktop.SetWallpapers(pictures.view());
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("nie przyjął"), std::string::npos) << status.message();
}

TEST_F(KdeDesktopTest, AKilledRunIsMendedAtTheNextStart) {
  std::string output;
  ASSERT_TRUE(testing::SetAndGetKilled(DesktopKind::Kde, state, bmp, 4, 4, 1, 2, 3, &output))
      << output;
  ASSERT_TRUE(HasScript(2));
  ASSERT_NE(ShownFile(state), "");
  ASSERT_TRUE(RecoverFromJournal(state));
  // The killed run read the desktop once more after its change.
  EXPECT_EQ(SavedJson(Script(4)), QJsonDocument::fromJson(kReply));
  EXPECT_FALSE(FileExists(JournalPath(state)));
  EXPECT_EQ(testing::FileNames(state), std::vector<std::string>{})
      << "neither the shown file nor the killed run's composed BMP stays";
}

// Reading the colour and the user's values and setting the picture all wait
// on plasmashell: together they may wait one time limit, not one each.
TEST_F(KdeDesktopTest, AStalledShellCostsOneTimeLimitForAWholeChange) {
  WriteFileBytes(shell + "/hang", "");
  KdeDesktop desktop(state);
  desktop.BeginChange();
  EXPECT_EQ(desktop.BackgroundColor(), std::nullopt);
  const auto start = std::chrono::steady_clock::now();
  const Status status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1))
      << "the limit was spent on the colour";
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("plasmashell"), std::string::npos) << status.message();
}

TEST_F(KdeDesktopTest, AShellThatDoesNotAnswerGivesAnErrorAndChangesNothing) {
  WriteFileBytes(shell + "/hang", "");
  KdeDesktop desktop(state);
  Status status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1));
  EXPECT_FALSE(status);
  EXPECT_FALSE(FileExists(JournalPath(state)));
  fake.Stop();
  status = desktop.SetWallpaper(bmp, testing::PatternCanvas(4, 4, 1));
  EXPECT_FALSE(status) << "no shell on the bus at all";
  EXPECT_TRUE(desktop.RestoreUserWallpaper()) << "nothing was changed, so nothing to give back";
}

}  // namespace
}  // namespace vendaro
