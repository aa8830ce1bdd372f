#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vips/vips8>

#include "compose/picture_library.h"
#include "compose/renderer.h"
#include "support/test_environment.h"
#include "tools/compose_command.h"
#include "vendaro_paths.h"
#include "vendaro_version.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::ReadFileBytes;

using ToolRun = testing::CommandRun;

// Runs the built tool with arguments that hold no quote characters.
ToolRun Tool(const std::string& arguments) {
  return testing::RunShellCommand(std::string("'") + VENDARO_BIN_DIR + "/vendaro-compose' " +
                                  arguments);
}

class ComposeTool : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string(testing::MakeTempDir("pictures"));
    ASSERT_TRUE(StartPictureLibrary());
    vips::VImage::black(800, 600, vips::VImage::option()->set("bands", 3))
        .new_from_image({0, 200, 0})
        .cast(VIPS_FORMAT_UCHAR)
        .write_to_file((*folder_ + "/las.png").c_str());
    testing::WriteFileBytes(*folder_ + "/broken.png", "not a picture");
  }
  static std::string Path(const std::string& name) { return *folder_ + "/" + name; }
  static std::string* folder_;
};
std::string* ComposeTool::folder_ = nullptr;

TEST_F(ComposeTool, ExplainPrintsTheTwoLinesAndWritesTheBmp) {
  const std::string out = Path("explained.bmp");
  const ToolRun r = Tool("--screen 1024x768 --mode 3 --fill 1 --color clRed --explain " +
                         Path("las.png") + " " + out);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // The options line as the parser's own explanation of the same command.
  Options asked;
  asked.DisplayMode = PictureMode::OriginalSize;
  asked.GapFill = MarginFill::ChosenColour;
  asked.FillColor = Rgb(255, 0, 0);
  EXPECT_EQ(r.out,
            ExplainOptions(asked) + "placement: Unscaled x=112 y=84 w=800 h=600 edgeFill=1\n");
  const std::string bmp = ReadFileBytes(out);
  ASSERT_EQ(bmp.size(), 54u + 1024 * 768 * 3);
  const std::size_t row84 = 54 + (767 - 84) * 1024 * 3;
  EXPECT_EQ(std::uint8_t(bmp[row84 + 111 * 3 + 2]), 255);
  EXPECT_EQ(std::uint8_t(bmp[row84 + 112 * 3 + 1]), 200);
}

TEST_F(ComposeTool, RecordedSizeDrivesPlacement) {
  const ToolRun r = Tool("--screen 1024x768 --size 3375x400 --mode 2 --explain " + Path("las.png"));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("placement: Scaled x=-2728 y=0 w=6480 h=768 edgeFill=0\n"),
            std::string::npos);
}

TEST_F(ComposeTool, JpegSizeIsMeasuredUpright) {
  // Stored 40x20, left half red and right half blue, turned a quarter
  // clockwise: upright it is 20x40, red on top.
  const std::string turned = Path("turned.jpg");
  vips::VImage red = vips::VImage::black(20, 20, vips::VImage::option()->set("bands", 3))
                         .new_from_image({255, 0, 0});
  vips::VImage blue = red.new_from_image({0, 0, 255});
  vips::VImage stored = red.join(blue, VIPS_DIRECTION_HORIZONTAL).cast(VIPS_FORMAT_UCHAR).copy();
  stored.set(VIPS_META_ORIENTATION, 6);
  stored.write_to_file(turned.c_str());
  const ToolRun r = Tool("--screen 20x40 --mode 3 --explain " + turned);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("placement: Unscaled x=0 y=0 w=20 h=40 "), std::string::npos) << r.out;

  // Scaled, upright, into a file: bottom-up rows of blue, green, red bytes.
  const std::string out = Path("turned.bmp");
  EXPECT_EQ(Tool("--screen 10x20 --mode 0 " + turned + " " + out).exitCode, 0);
  const std::string bmp = ReadFileBytes(out);
  ASSERT_EQ(bmp.size(), 54u + 20 * 32);
  const auto pixel = [&bmp](int x, int y) { return bmp.substr(54 + (19 - y) * 32 + x * 3, 3); };
  EXPECT_GT(std::uint8_t(pixel(5, 2)[2]), 200);
  EXPECT_GT(std::uint8_t(pixel(5, 17)[0]), 200);
}

TEST_F(ComposeTool, BadInputFailsWithOneLineAndNoFile) {
  const std::string out = Path("never.bmp");
  const std::string cases[] = {
      "--screen 1024x768 " + Path("broken.png") + " " + out,
      "--screen 1024x768 " + Path("missing.png") + " " + out,
      "--screen 1024x768 --size 10x10 " + Path("broken.png") + " " + out,
      "--screen 1024x768 --mode 9 " + Path("las.png") + " " + out,
      "--screen 1024x768 --size abc " + Path("las.png") + " " + out,
      Path("las.png") + " " + out,  // no display in the tests: --screen needed
      "--screen 4x4 " + Path("las.png") + " " + Path("no/such/folder/x.bmp"),
  };
  for (const std::string& args : cases) {
    const ToolRun r = Tool(args);
    EXPECT_NE(r.exitCode, 0) << args;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << args;
    EXPECT_FALSE(FileExists(out)) << args;
  }
}

TEST_F(ComposeTool, SetWithoutADesktopFailsWithTheBackendsReason) {
  const ToolRun r = Tool("--screen 64x48 --set " + Path("las.png"));
  EXPECT_NE(r.exitCode, 0);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.err.find("pulpitu"), std::string::npos) << r.err;
}

// Given without a display, on a platform that would end the tool at once if
// it tried to reach one.
TEST_F(ComposeTool, HelpAndVersionNeedNoDisplay) {
  const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ";
  const ToolRun help =
      testing::RunShellCommand(noDisplay + "'" + VENDARO_BIN_DIR + "/vendaro-compose' --help");
  EXPECT_EQ(help.exitCode, 0) << help.err;
  EXPECT_EQ(help.out.rfind("Użycie: vendaro-compose [OPCJA]... OBRAZEK [WYNIK.bmp]\n", 0), 0u)
      << help.out;
  EXPECT_EQ(help.err, "");
  const ToolRun version =
      testing::RunShellCommand(noDisplay + "'" + VENDARO_BIN_DIR + "/vendaro-compose' --version");
  EXPECT_EQ(version.exitCode, 0) << version.err;
  EXPECT_EQ(version.out, "vendaro-compose " VENDARO_VERSION "\n");
  EXPECT_EQ(Tool("--version >/dev/full").exitCode, 1) << "a version that was not written";
}

TEST_F(ComposeTool, MisuseGivesTheReasonThenTheUsageAndEnds2) {
  const struct {
    std::string arguments;
    std::string reason;
  } cases[] = {
      {"--bogus " + Path("las.png"), "vendaro-compose: nieznana opcja --bogus\n"},
      {"--screen 64x48", "vendaro-compose: oczekiwano OBRAZEK [WYNIK.bmp]\n"},
      {Path("las.png") + " --mode", "vendaro-compose: --mode wymaga wartości\n"},
  };
  for (const auto& c : cases) {
    const ToolRun r = Tool(c.arguments);
    EXPECT_EQ(r.exitCode, 2) << c.arguments;
    EXPECT_EQ(r.out, "") << c.arguments;
    EXPECT_EQ(r.err.rfind(c.reason + ComposeUsage(), 0), 0u) << r.err;
  }
}

TEST_F(ComposeTool, FindsThePictureModuleBesideItOrWhereInstalled) {
  enum class Module { Beside, Installed, Missing };
  const struct {
    const char* name;
    Module module;
  } rows[] = {{"build folder", Module::Beside},
              {"installed layout", Module::Installed},
              {"missing", Module::Missing}};
  namespace fs = std::filesystem;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string bin = testing::MakeTempDir("tree") + "/bin/";
    const std::string installed = bin + VENDARO_PRIVATE_LIB_DIR "/";
    fs::create_directories(bin);
    fs::create_directories(installed);
    fs::copy_file(std::string(VENDARO_BIN_DIR) + "/vendaro-compose", bin + "vendaro-compose");
    if (row.module != Module::Missing) {
      fs::copy_file(std::string(VENDARO_BIN_DIR) + "/" + kPictureLibraryFile,
                    (row.module == Module::Beside ? bin : installed) + kPictureLibraryFile);
    }
    // A PNG scaled with the bicubic filter is drawn by the module.
    const ToolRun r = testing::RunShellCommand("'" + bin + "vendaro-compose' --screen 64x48 " +
                                               Path("las.png") + " " + bin + "out.bmp");
    if (row.module == Module::Missing) {
      EXPECT_EQ(r.exitCode, 1);
      EXPECT_NE(r.err.find(std::string(kPictureLibraryFile) + " is in none of " + bin + " "),
                std::string::npos)
          << r.err;
      EXPECT_FALSE(FileExists(bin + "out.bmp"));
    } else {
      EXPECT_EQ(r.exitCode, 0) << r.err;
      EXPECT_EQ(ReadFileBytes(bin + "out.bmp").size(), 54u + 64 * 48 * 3);
    }
  }
}

}  // namespace
}  // namespace vendaro
