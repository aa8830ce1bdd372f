// GIO first: its headers use a member named `signals`, which Qt defines.
#include "platform/gsettings_desktop.h"

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/child_process.h"
#include "platform/restore_journal.h"
#include "platform_test_util.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::MakeTempDir;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

constexpr const char* kSystemSchemas = "/usr/share/glib-2.0/schemas";

// The Cinnamon and MATE keys we touch, as those desktops declare them.
constexpr const char* kOtherSchemas = R"(<schemalist>
  <schema id="org.cinnamon.desktop.background" path="/org/cinnamon/desktop/background/">
    <key name="picture-uri" type="s"><default>'file:///usr/share/cinnamon.jpg'</default></key>
    <key name="picture-options" type="s"><default>'zoom'</default></key>
    <key name="primary-color" type="s"><default>'#000000'</default></key>
  </schema>
  <schema id="org.mate.background" path="/org/mate/desktop/background/">
    <key name="picture-filename" type="s"><default>'/usr/share/mate.jpg'</default></key>
    <key name="picture-options" type="s"><default>'zoom'</default></key>
    <key name="primary-color" type="s"><default>'#3c8f25'</default></key>
  </schema>
</schemalist>
)";

// Schemas in a folder of the test's own, settings in a key file under the
// sandbox's XDG_CONFIG_HOME.  Must run before anything asks GIO for settings.
std::string PrepareSettings() {
  const std::string dir = MakeTempDir("schemas");
  for (const char* name :
       {"org.gnome.desktop.background.gschema.xml", "org.gnome.desktop.enums.xml"}) {
    const std::string source = std::string(kSystemSchemas) + "/" + name;
    if (!FileExists(source)) return "gsettings-desktop-schemas is not installed";
    WriteFileBytes(dir + "/" + name, ReadFileBytes(source));
  }
  WriteFileBytes(dir + "/test.other.gschema.xml", kOtherSchemas);
  ProgramResult compiled = RunProgram("glib-compile-schemas", {dir}, 20000);
  if (!compiled.status) return compiled.status.message();
  setenv("GSETTINGS_SCHEMA_DIR", dir.c_str(), 1);
  setenv("GSETTINGS_BACKEND", "keyfile", 1);
  return {};
}

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
  void SetUp() override { problem = PrepareSettings(); }
  static std::string problem;
};
std::string SettingsEnvironment::problem = "not prepared";
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SettingsEnvironment);

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
  const std::string shownA = state + "/vendaro-shown-a.png";
  EXPECT_EQ(settings.Get(PictureKey()), PictureValue(shownA));
  EXPECT_EQ(settings.Get("picture-options"), "zoom");
  EXPECT_TRUE(testing::PngShows(shownA, first));

  const Canvas second = testing::PatternCanvas(16, 8, 2);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, second)) << "the same composed file name again";
  const std::string shownB = state + "/vendaro-shown-b.png";
  EXPECT_EQ(settings.Get(PictureKey()), PictureValue(shownB))
      << "a new name makes the desktop reload";
  EXPECT_TRUE(testing::PngShows(shownB, second));
  EXPECT_FALSE(FileExists(shownA));

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(settings.Get(PictureKey()), PictureValue("/home/user/own.jpg"));
  EXPECT_EQ(settings.Get("picture-options"), "scaled");
  if (GetParam() == DesktopKind::Gnome) {
    EXPECT_FALSE(settings.UserSet("picture-uri-dark"))
        << "never set by the user: reset, not written";
  }
  EXPECT_FALSE(FileExists(shownB));
  EXPECT_FALSE(FileExists(JournalPath(state)));
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
  EXPECT_FALSE(FileExists(state + "/vendaro-shown-a.png"));
  EXPECT_TRUE(desktop.RestoreUserWallpaper());
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
  EXPECT_NE(ReadFileBytes(keyfile).find("vendaro-shown-a.png"), std::string::npos);
  ASSERT_TRUE(FileExists(JournalPath(state)));

  ASSERT_TRUE(testing::RecoverInNewProcess(state, &output)) << output;
  const std::string text = ReadFileBytes(keyfile);
  EXPECT_NE(text.find("picture-uri='file:///home/user/mine.png'"), std::string::npos) << text;
  EXPECT_EQ(text.find("picture-uri-dark"), std::string::npos) << text;
  EXPECT_FALSE(FileExists(JournalPath(state)));
  EXPECT_FALSE(FileExists(state + "/vendaro-shown-a.png"));
}

}  // namespace
}  // namespace vendaro
