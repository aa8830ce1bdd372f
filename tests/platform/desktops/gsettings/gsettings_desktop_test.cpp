// GIO first: its headers use a member named `signals`, which Qt defines.
#include "platform/desktops/gsettings/gsettings_desktop.h"

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <deque>

#include "platform/desktop/restore_journal.h"
#include "platform/ipc/child_process.h"
#include "platform/platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::MakeTempDir;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

struct Settings {
  explicit Settings(DesktopKind kind) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        g_settings_schema_source_lookup(source, GSettingsSchemaOf(kind), TRUE);
    settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
  }
  ~Settings() { g_object_unref(settings); }
  std::string Get(const char* key) {
    gchar* value = g_settings_get_string(settings, key);
    std::string text = value;
    g_free(value);
    return text;
  }
  void Set(const char* key, const std::string& value) {
    ASSERT_TRUE(g_settings_set_string(settings, key, value.c_str()));
    g_settings_sync();
  }
  bool UserSet(const char* key) {
    GVariant* value = g_settings_get_user_value(settings, key);
    if (value) g_variant_unref(value);
    return value != nullptr;
  }
  void Reset(const char* key) { g_settings_reset(settings, key); }
  GSettings* settings;
};

// Prepared once, before any test asks GIO for settings.
class SettingsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { problem = testing::PrepareGSettings("keyfile"); }
  static std::string problem;
};
std::string SettingsEnvironment::problem = "not prepared";
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SettingsEnvironment);

// The desktop gets the composed BMP itself where gdk-pixbuf reads BMP, else
// a PNG of the same pixels.
void ExpectShows(const std::string& shown, const std::string& bmp, const Canvas& canvas) {
  if (GdkPixbufFormat() == ShownFormat::Bmp) {
    EXPECT_EQ(ReadFileBytes(shown), ReadFileBytes(bmp));
  } else {
    EXPECT_TRUE(testing::PngShows(shown, canvas));
  }
}

#define SKIP_WITHOUT_SCHEMAS() \
  if (!SettingsEnvironment::problem.empty()) GTEST_SKIP() << SettingsEnvironment::problem

class GSettingsDesktopTest : public ::testing::TestWithParam<DesktopKind> {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SCHEMAS();
    Settings settings(GetParam());
    GSettingsSchema* schema = nullptr;
    g_object_get(settings.settings, "settings-schema", &schema, nullptr);
    for (const char* key :
         {"picture-uri", "picture-uri-dark", "picture-filename", "picture-options"}) {
      if (g_settings_schema_has_key(schema, key)) settings.Reset(key);
    }
    g_settings_schema_unref(schema);
    g_settings_sync();
    ASSERT_EQ(mkdir(state.c_str(), 0700), 0);
  }
  // The key that names the picture, and its value for a file.
  const char* PictureKey() const {
    return GetParam() == DesktopKind::Mate ? "picture-filename" : "picture-uri";
  }
  std::string PictureValue(const std::string& path) const {
    return GetParam() == DesktopKind::Mate ? path : FileUrl(path);
  }

  // Quotes, a backslash, '$' and a newline, but UTF-8: MATE stores plain paths as UTF-8 text.
  std::string state = MakeTempDir("gs") + "/-it's \"a\" $HOME`x`\\n \nfolder";
};

TEST_P(GSettingsDesktopTest, UsersValuesComeBackAndUnsetKeysAreReset) {
  Settings settings(GetParam());
  settings.Set(PictureKey(), PictureValue("/home/user/own.jpg"));
  settings.Set("picture-options", "scaled");
  GSettingsDesktop desktop(GetParam(), state);
  const std::string bmp = testing::WriteComposedFile(state, "photo.jpg.bmp");

  const Canvas first = testing::PatternCanvas(16, 8, 1);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, first));
  std::vector<std::string> shown = testing::ShownFiles(state);
  ASSERT_EQ(shown.size(), 1u);
  const std::string shownA = shown[0];
  EXPECT_EQ(settings.Get(PictureKey()), PictureValue(shownA));
  EXPECT_EQ(settings.Get("picture-options"), "zoom");
  ExpectShows(shownA, bmp, first);

  const Canvas second = testing::PatternCanvas(16, 8, 2);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, second)) << "the same composed file name again";
  shown = testing::ShownFiles(state);
  ASSERT_EQ(shown.size(), 2u) << "the previous file stays while the shell may still load it";
  const std::string shownB = shown[0] == shownA ? shown[1] : shown[0];
  EXPECT_NE(shownB, shownA) << "a new name makes the desktop reload";
  EXPECT_EQ(settings.Get(PictureKey()), PictureValue(shownB));
  ExpectShows(shownB, bmp, second);

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(settings.Get(PictureKey()), PictureValue("/home/user/own.jpg"));
  EXPECT_EQ(settings.Get("picture-options"), "scaled");
  if (GetParam() == DesktopKind::Gnome) {
    EXPECT_FALSE(settings.UserSet("picture-uri-dark"))
        << "never set by the user: reset, not written";
  }
  EXPECT_FALSE(FileExists(shownA));
  EXPECT_FALSE(FileExists(shownB));
  EXPECT_FALSE(FileExists(JournalPath(state)));
}

// These desktops take one picture: with several monitors it is the whole
// layout, spanned, and the user's picture-options comes back as it was.
TEST_P(GSettingsDesktopTest, SeveralMonitorsGetTheWholeLayoutSpannedOneGetsItsOwnZoomed) {
  Settings settings(GetParam());
  settings.Set("picture-options", "scaled");
  GSettingsDesktop desktop(GetParam(), state);
  const testing::TestWallpapers two(state, {{"A", {0, 0, 16, 8}, true}, {"B", {16, 2, 8, 4}}});
  ASSERT_TRUE(desktop.SetWallpapers(two.view()));
  std::vector<std::string> shown = testing::ShownFiles(state);
  ASSERT_EQ(shown.size(), 1u);
  const std::string spanned = shown[0];
  EXPECT_EQ(settings.Get(PictureKey()), PictureValue(spanned));
  EXPECT_EQ(settings.Get("picture-options"), "spanned");
  EXPECT_TRUE(testing::ImageFileShows(spanned, LayoutPicture(two.view())))
      << "each monitor's picture where it lies, the fill colour elsewhere";

  const testing::TestWallpapers one(state, {{"A", {0, 0, 16, 8}, true}}, 5);
  ASSERT_TRUE(desktop.SetWallpapers(one.view()));
  shown = testing::ShownFiles(state);
  ASSERT_EQ(shown.size(), 2u) << "the spanned picture stays for one more change";
  std::erase(shown, spanned);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(settings.Get("picture-options"), "zoom");
  EXPECT_EQ(two.Which(shown[0]), "?");
  EXPECT_EQ(one.Which(shown[0]), "16x8");

  // Canvases drawn ahead of their change keep their pixels only in their
  // composed files: the spanned picture is made of those.
  Wallpapers bare = two.view();
  std::deque<Canvas> kept;
  for (MonitorPicture& picture : bare.monitors) {
    picture.path = state + "/ahead-" + picture.monitor.name + ".bmp";
    const Canvas& c = *picture.canvas;
    ASSERT_TRUE(QImage(c.rgb.data(), c.width, c.height, c.width * 3, QImage::Format_RGB888)
                    .save(QString::fromStdString(picture.path), "BMP"));
    picture.canvas = &kept.emplace_back(Canvas{c.width, c.height, {}});
  }
  ASSERT_TRUE(desktop.SetWallpapers(bare));
  shown = testing::ShownFiles(state);
  EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const std::string& path) {
    return testing::ImageFileShows(path, LayoutPicture(two.view()));
  }));

  // Made ahead of the change from those files, the spanned picture is handed
  // over as it was made; a monitor's file replaced since makes it anew.
  const testing::TestWallpapers other(state, {{"A", {0, 0, 16, 8}, true}, {"B", {16, 2, 8, 4}}}, 7);
  Wallpapers mixed = two.view();
  mixed.monitors[1].canvas = other.view().monitors[1].canvas;
  for (const bool replaced : {false, true}) {
    SCOPED_TRACE(replaced ? "a file replaced" : "the same files");
    desktop.PrepareWallpapers(bare);
    const std::vector<std::string> readied = testing::ShownFiles(state);
    if (replaced) {
      const Canvas& c = *other.view().monitors[1].canvas;
      const std::string path = bare.monitors[1].path;
      ASSERT_TRUE(QImage(c.rgb.data(), c.width, c.height, c.width * 3, QImage::Format_RGB888)
                      .save(QString::fromStdString(path + ".new"), "BMP"));
      ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
    }
    ASSERT_TRUE(desktop.SetWallpapers(bare));
    const std::string url = settings.Get(PictureKey());
    const std::vector<std::string> now = testing::ShownFiles(state);
    const auto named =
        std::ranges::find_if(now, [&](const std::string& f) { return PictureValue(f) == url; });
    ASSERT_NE(named, now.end());
    EXPECT_EQ(std::ranges::count(readied, *named), replaced ? 0 : 1);
    EXPECT_TRUE(testing::ImageFileShows(*named, LayoutPicture(replaced ? mixed : two.view())));
  }

  ASSERT_TRUE(desktop.SetWallpapers(two.view()));
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(settings.Get("picture-options"), "scaled");
  EXPECT_FALSE(settings.UserSet(PictureKey()));
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
}

TEST_P(GSettingsDesktopTest, NeverSetKeysStayUnset) {
  GSettingsDesktop desktop(GetParam(), state);
  ASSERT_TRUE(desktop.SetWallpaper(testing::WriteComposedFile(state, "a.bmp"),
                                   testing::PatternCanvas(4, 4, 0)));
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  Settings settings(GetParam());
  EXPECT_FALSE(settings.UserSet(PictureKey()));
  EXPECT_FALSE(settings.UserSet("picture-options"));
}

TEST_P(GSettingsDesktopTest, ReportsTheDesktopColour) {
  Settings settings(GetParam());
  settings.Set("primary-color", "#102030");
  GSettingsDesktop desktop(GetParam(), state);
  EXPECT_EQ(desktop.BackgroundColor(), Rgb(0x10, 0x20, 0x30));
  settings.Reset("primary-color");
}

std::string KindName(const ::testing::TestParamInfo<DesktopKind>& kind) {
  return DesktopKindName(kind.param);
}

INSTANTIATE_TEST_SUITE_P(Desktops, GSettingsDesktopTest,
                         ::testing::Values(DesktopKind::Gnome, DesktopKind::Cinnamon,
                                           DesktopKind::Mate),
                         KindName);

TEST(GSettingsMate, APathThatIsNotUtf8IsRefusedNotMangled) {
  SKIP_WITHOUT_SCHEMAS();
  const std::string state = MakeTempDir("mate") + "/\xff\xfe";
  ASSERT_EQ(mkdir(state.c_str(), 0700), 0);
  GSettingsDesktop desktop(DesktopKind::Mate, state);
  Settings settings(DesktopKind::Mate);
  const std::string before = settings.Get("picture-filename");
  EXPECT_FALSE(desktop.SetWallpaper(testing::WriteComposedFile(state, "a.bmp"),
                                    testing::PatternCanvas(4, 4, 0)));
  EXPECT_EQ(settings.Get("picture-filename"), before);
  EXPECT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(testing::ShownFiles(state), std::vector<std::string>{});
}

// The other processes change the key file behind this process's back; this
// test only reads the file itself afterwards.
TEST(GSettingsKilledRun, IsMendedAtTheNextStart) {
  SKIP_WITHOUT_SCHEMAS();
  {
    Settings settings(DesktopKind::Gnome);
    settings.Set("picture-uri", "file:///home/user/mine.png");
    settings.Reset("picture-uri-dark");
    g_settings_sync();
  }
  const std::string state = MakeTempDir("gs-kill");
  const std::string bmp = testing::WriteComposedFile(state, "photo.bmp");
  std::string output;
  ASSERT_TRUE(testing::SetAndGetKilled(DesktopKind::Gnome, state, bmp, 8, 8, 1, 2, 3, &output))
      << output;
  const std::string keyfile =
      std::string(std::getenv("XDG_CONFIG_HOME")) + "/glib-2.0/settings/keyfile";
  ASSERT_EQ(testing::ShownFiles(state).size(), 1u);
  EXPECT_NE(ReadFileBytes(keyfile).find(FileUrl(testing::ShownFiles(state)[0])), std::string::npos);
  ASSERT_TRUE(FileExists(JournalPath(state)));

  ASSERT_TRUE(testing::RecoverInNewProcess(state, &output)) << output;
  const std::string text = ReadFileBytes(keyfile);
  EXPECT_NE(text.find("picture-uri='file:///home/user/mine.png'"), std::string::npos) << text;
  EXPECT_EQ(text.find("picture-uri-dark"), std::string::npos) << text;
  EXPECT_FALSE(FileExists(JournalPath(state)));
  EXPECT_EQ(testing::FileNames(state), std::vector<std::string>{})
      << "neither the shown file nor the killed run's composed BMP stays";
}

}  // namespace
}  // namespace vendaro
