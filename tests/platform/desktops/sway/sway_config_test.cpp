#include "platform/desktops/sway/sway_config.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::MakeTempDir;
using testing::WriteFileBytes;

struct ConfigRow {
  const char* name;
  const char* config;
  std::vector<std::string> commands;
};

class SwayConfigTest : public ::testing::TestWithParam<ConfigRow> {};

TEST_P(SwayConfigTest, FindsTheBackgroundsTheConfigSets) {
  EXPECT_EQ(SwayBackgroundCommands(GetParam().config), GetParam().commands);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SwayConfigTest,
    ::testing::Values(
        ConfigRow{"debian_default",
                  "# Default wallpaper\noutput * bg /usr/share/backgrounds/sway/a.png fill\n",
                  {"output * bg /usr/share/backgrounds/sway/a.png fill"}},
        ConfigRow{"none", "set $mod Mod4\n# output * bg x fill\n", {}},
        ConfigRow{"several_in_order",
                  "output HDMI-A-1 background ~/a.jpg fit #000000\noutput * bg $wall fill\n",
                  {"output HDMI-A-1 background ~/a.jpg fit #000000", "output * bg $wall fill"}},
        ConfigRow{"other_subcommands_first",
                  "output DP-1 mode 1920x1080 pos 0 0 bg \"/a b.png\" stretch\n",
                  {"output DP-1 bg \"/a b.png\" stretch"}},
        ConfigRow{"block",
                  "output \"DP-1\" {\n  mode 1920x1080\n  bg /x.png center\n}\n",
                  {"output \"DP-1\" bg /x.png center"}},
        ConfigRow{
            "continued_line", "output * \\\n    bg /y.png tile\n", {"output * bg /y.png tile"}},
        ConfigRow{"other_blocks_ignored",
                  "mode \"resize\" {\n  bindsym h resize shrink width 10px\n}\nbar {\n  "
                  "position top\n  colors {\n    background #323232\n  }\n}\n",
                  {}},
        ConfigRow{"solid_colour",
                  "output * bg #112233 solid_color\n",
                  {"output * bg #112233 solid_color"}}),
    [](const ::testing::TestParamInfo<ConfigRow>& row) { return std::string(row.param.name); });

// A user's config in the usual place, with files taken in by `include` the
// ways sway allows: relative to the config's folder with a glob, from home
// with `~`, and an absolute path; a file that includes itself and the main
// config again, a missing one, and one that would run a command.
class SwayIncludesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::getenv("HOME");
    config_ = std::string(std::getenv("XDG_CONFIG_HOME")) + "/sway";
    mkdir(config_.c_str(), 0700);
    mkdir((config_ + "/config.d").c_str(), 0700);
  }
  void TearDown() override {
    std::remove((config_ + "/config").c_str());
    std::remove(marker_.c_str());
  }

  std::string home_, config_;
  std::string other_ = MakeTempDir("sway-other");
  std::string marker_ = MakeTempDir("sway-marker") + "/ran";
};

TEST_F(SwayIncludesTest, TakesTheBackgroundsOfIncludedFilesInSwaysOrder) {
  WriteFileBytes(config_ + "/config.d/10-outputs.conf",
                 "output DP-1 bg /a.png fill\ninclude ../config.d/10-outputs.conf\n"
                 "include " +
                     config_ + "/config\n");
  WriteFileBytes(config_ + "/config.d/20-more.conf", "output DP-2 {\n  bg /b.png fit\n}\n");
  WriteFileBytes(home_ + "/wallpaper.conf", "output * background /c.png center\n");
  WriteFileBytes(other_ + "/last.conf", "output HDMI-A-1 bg /d.png tile\n");
  const std::string text =
      "output * bg /first.png fill\ninclude config.d/*\n"
      "include ~/wallpaper.conf\ninclude " +
      other_ +
      "/last.conf\n"
      "include /no/such/file\ninclude $(touch " +
      marker_ + ")\n";
  WriteFileBytes(config_ + "/config", text);

  const std::string path = SwayConfigPath(text);
  EXPECT_EQ(path, config_ + "/config");
  EXPECT_EQ(
      SwayBackgroundCommands(SwayConfigWithIncludes(text, path)),
      (std::vector<std::string>{"output * bg /first.png fill", "output DP-1 bg /a.png fill",
                                "output DP-2 bg /b.png fit", "output * background /c.png center",
                                "output HDMI-A-1 bg /d.png tile"}))
      << "each file once, in the order sway reads them";
  EXPECT_FALSE(FileExists(marker_)) << "a pattern must never run a command";
}

TEST_F(SwayIncludesTest, AConfigFromElsewhereStillFollowsAbsoluteIncludes) {
  WriteFileBytes(other_ + "/bg.conf", "output * bg /x.png fill\n");
  const std::string text = "include relative.conf\ninclude " + other_ + "/bg.conf\n";
  EXPECT_EQ(SwayConfigPath(text), "") << "no config of ours holds that text";
  EXPECT_EQ(SwayBackgroundCommands(SwayConfigWithIncludes(text, "")),
            std::vector<std::string>{"output * bg /x.png fill"});
}

}  // namespace
}  // namespace vendaro
