// `vendaro-compose --set` on a plain X server: the root window shows the
// composed pixels after the tool has ended.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vips/vips8>

#include "compose/renderer.h"
#include "platform/ipc/child_process.h"
#include "platform/session/folders.h"
#include "platform/xvfb_server.h"
#include "support/test_environment.h"

// Last: Xlib defines macros (None, Status) that other headers use as names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vendaro {
namespace {

unsigned long RootPixel(const std::string& display, int x, int y) {
  Display* d = XOpenDisplay(display.c_str());
  if (!d) return ~0ul;
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  const unsigned long pixel = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : ~0ul;
  if (image) XDestroyImage(image);
  XCloseDisplay(d);
  return pixel;
}

TEST(ComposeSet, ThePictureGoesToTheRootWindowWithoutABitmapFile) {
  testing::XvfbServer server(64, 48);
  if (server.display().empty()) GTEST_SKIP() << server.problem();
  const std::string folder = testing::MakeTempDir("set");
  ASSERT_TRUE(StartPictureLibrary());
  vips::VImage::black(32, 24, vips::VImage::option()->set("bands", 3))
      .new_from_image({0, 200, 0})
      .cast(VIPS_FORMAT_UCHAR)
      .write_to_file((folder + "/las.png").c_str());

  // A JPEG is drawn without the picture library, which the tool then leaves
  // unloaded; a PNG in this mode too, but that the tool cannot know early.
  vips::VImage::new_from_file((folder + "/las.png").c_str())
      .write_to_file((folder + "/las.jpg").c_str());

  for (const char* name : {"las.png", "las.jpg"}) {
    const std::string command =
        std::string("DISPLAY=") + server.display() + " '" + VENDARO_BIN_DIR +
        "/vendaro-compose' --screen 64x48 --mode 3 --fill 1 --color clRed --set '" + folder + "/" +
        name + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;

    const unsigned long centre = RootPixel(server.display(), 32, 24);  // the picture, centred
    EXPECT_LE(centre >> 16, 2u) << name;
    EXPECT_NEAR(double(centre >> 8 & 0xFF), 200, 2) << name;
    EXPECT_EQ(RootPixel(server.display(), 0, 0), 0xFF0000u) << name;  // the margin colour
    // The X server holds the pixels; no bitmap file is written for it.
    EXPECT_FALSE(testing::FileExists(ResolveTempFolder() + "/" + name + ".bmp"));
  }
}

// On a screen split into two monitors each shows the picture composed for
// it: a stretched picture's corners sit at each monitor's corners.  With
// --screen, the primary's composition has that size.
TEST(ComposeSet, EachMonitorGetsItsOwnComposition) {
  if (FindProgram("xrandr").empty()) GTEST_SKIP() << "xrandr is not installed";
  testing::XvfbServer server(320, 108);
  if (server.display().empty()) GTEST_SKIP() << server.problem();
  ASSERT_TRUE(server.Xrandr({"--setmonitor", "*A", "192/100x108/100+0+0", "screen"}));
  ASSERT_TRUE(server.Xrandr({"--setmonitor", "B", "128/100x102/100+192+0", "none"}));
  const std::string picture = testing::MakeTempDir("set") + "/cwiartki.png";
  ASSERT_TRUE(StartPictureLibrary());
  // Red, green / blue, yellow quarters.
  vips::VImage top = vips::VImage::black(20, 15, vips::VImage::option()->set("bands", 3))
                         .new_from_image({255, 0, 0})
                         .join(vips::VImage::black(20, 15, vips::VImage::option()->set("bands", 3))
                                   .new_from_image({0, 255, 0}),
                               VIPS_DIRECTION_HORIZONTAL);
  vips::VImage bottom =
      vips::VImage::black(20, 15, vips::VImage::option()->set("bands", 3))
          .new_from_image({0, 0, 255})
          .join(vips::VImage::black(20, 15, vips::VImage::option()->set("bands", 3))
                    .new_from_image({255, 255, 0}),
                VIPS_DIRECTION_HORIZONTAL);
  top.join(bottom, VIPS_DIRECTION_VERTICAL).cast(VIPS_FORMAT_UCHAR).write_to_file(picture.c_str());

  const auto corners = [&](int left, int top_, int width, int height) {
    return std::vector<unsigned long>{
        RootPixel(server.display(), left, top_),
        RootPixel(server.display(), left + width - 1, top_),
        RootPixel(server.display(), left, top_ + height - 1),
        RootPixel(server.display(), left + width - 1, top_ + height - 1)};
  };
  const std::vector<unsigned long> quarters{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
  for (const char* screen : {"", "96x54"}) {
    SCOPED_TRACE(screen);
    // The monitors come from the X server, not from the tests' offscreen
    // platform.  libxkbcommon-x11 calls strndup on unterminated names, which
    // is legal but trips the strict string checks.
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::string command = std::string("QT_QPA_PLATFORM=xcb ASAN_OPTIONS='") + (asan ? asan : "") +
                          ":strict_string_checks=0' DISPLAY=" + server.display() + " '" +
                          VENDARO_BIN_DIR +
                          "/vendaro-compose' --mode 0 --interp 0 --color clBlack --set";
    if (*screen) command += std::string(" --screen ") + screen;
    command += " '" + picture + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    EXPECT_EQ(corners(192, 0, 128, 102), quarters) << "the second monitor";
    if (*screen) {
      EXPECT_EQ(corners(0, 0, 96, 54), quarters) << "the primary at --screen's size";
      EXPECT_EQ(RootPixel(server.display(), 191, 107), 0u) << "the rest of it in the fill";
    } else {
      EXPECT_EQ(corners(0, 0, 192, 108), quarters) << "the primary";
    }
  }
}

}  // namespace
}  // namespace vendaro
