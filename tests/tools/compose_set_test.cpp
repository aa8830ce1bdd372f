// `vendaro-compose --set` on a plain X server: the root window shows the
// composed pixels after the tool has ended.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vips/vips8>

#include "compose/renderer.h"
#include "platform/folders.h"
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

}  // namespace
}  // namespace vendaro
