// The plain X11 root picture on a screen split into monitors with
// `xrandr --setmonitor`: each monitor shows its own picture where the server
// says the monitor is, and the rest of the root the fill colour.
#include <gtest/gtest.h>

#include <memory>

#include "platform/desktops/x11/x11_desktop.h"
#include "platform/display/x11_connection.h"
#include "platform/platform_test_util.h"
#include "platform/xvfb_server.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::PatternCanvas;

constexpr ColorValue kFill = Rgb(12, 34, 56);

struct Split {
  const char* name;
  int width, height;       // the root
  MonitorLayout monitors;  // the primary first
};

// `xrandr --setmonitor NAME W/mmxH/mm+X+Y OUTPUT`: the primary takes over the
// screen's one output (so the server's own whole-screen monitor goes), the
// others have none.
Status MakeMonitors(const testing::XvfbServer& server, const MonitorLayout& monitors) {
  for (const Monitor& m : monitors) {
    const std::string geometry = std::to_string(m.area.width) + "/100x" +
                                 std::to_string(m.area.height) + "/100+" +
                                 std::to_string(m.area.left) + "+" + std::to_string(m.area.top);
    Status status = server.Xrandr(
        {"--setmonitor", (m.primary ? "*" : "") + m.name, geometry, m.primary ? "screen" : "none"});
    if (!status) return status;
  }
  return Status::Ok();
}

ColorValue RootPixel(const std::string& display, int x, int y) {
  Display* d = XOpenDisplay(display.c_str());
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  const unsigned long pixel = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  XCloseDisplay(d);
  return Rgb(std::uint8_t(pixel >> 16), std::uint8_t(pixel >> 8), std::uint8_t(pixel));
}

ColorValue CanvasPixel(const Canvas& canvas, int x, int y) {
  const std::uint8_t* p = canvas.row(y) + x * 3;
  return Rgb(p[0], p[1], p[2]);
}

// The corners and the centre of the monitor's area show the canvas's.
void ExpectShows(const std::string& display, const Rect& area, const Canvas& canvas) {
  const std::pair<int, int> points[] = {{0, 0},
                                        {area.width - 1, 0},
                                        {0, area.height - 1},
                                        {area.width - 1, area.height - 1},
                                        {area.width / 2, area.height / 2}};
  for (const auto& [x, y] : points) {
    EXPECT_EQ(RootPixel(display, area.left + x, area.top + y), CanvasPixel(canvas, x, y))
        << "at " << x << "," << y << " of the monitor at " << area.left << "," << area.top;
  }
}

class X11Monitors : public ::testing::Test {
 protected:
  // Xvfb and xrandr, or the reason to skip.
  std::string Start(int width, int height) {
    if (FindProgram("xrandr").empty()) return "xrandr is not installed";
    server_ = std::make_unique<testing::XvfbServer>(width, height);
    return server_->display().empty() ? server_->problem() : "";
  }
  const std::string& display() const { return server_->display(); }

  Wallpapers PicturesFor(const MonitorLayout& monitors) {
    canvases_.clear();
    canvases_.reserve(monitors.size());
    Wallpapers wallpapers;
    wallpapers.background = kFill;
    int seed = 1;
    for (const Monitor& m : monitors)
      canvases_.push_back(PatternCanvas(m.area.width, m.area.height, seed += 40));
    for (std::size_t i = 0; i < monitors.size(); ++i)
      wallpapers.monitors.push_back({monitors[i], &canvases_[i], ""});
    return wallpapers;
  }

  std::unique_ptr<testing::XvfbServer> server_;
  std::vector<Canvas> canvases_;
  std::string state_ = testing::MakeTempDir("x11-monitors");
};

TEST_F(X11Monitors, EachMonitorShowsItsOwnPicture) {
  const Split splits[] = {
      {"two beside each other, of different heights",
       320,
       108,
       {{"A", {0, 0, 192, 108}, true}, {"B", {192, 0, 128, 102}, false}}},
      {"three: one above another, one with an offset",
       320,
       240,
       {{"A", {0, 0, 160, 120}, true},
        {"B", {0, 120, 160, 100}, false},
        {"C", {200, 30, 100, 80}, false}}},
  };
  for (const Split& split : splits) {
    SCOPED_TRACE(split.name);
    if (std::string why = Start(split.width, split.height); !why.empty()) GTEST_SKIP() << why;
    ASSERT_TRUE(MakeMonitors(*server_, split.monitors));
    auto opened = x11::Connection::Open(display());
    ASSERT_TRUE(opened);
    auto connection = std::move(*opened);
    EXPECT_EQ(connection->Monitors(), split.monitors) << "as RandR lists them";
    connection.reset();

    X11Desktop desktop(display(), state_);
    const Wallpapers wallpapers = PicturesFor(split.monitors);
    ASSERT_TRUE(desktop.SetWallpapers(wallpapers));
    for (std::size_t i = 0; i < split.monitors.size(); ++i)
      ExpectShows(display(), split.monitors[i].area, canvases_[i]);
    // What no monitor covers: below the shorter monitor, right of the lower.
    const Rect& last = split.monitors.back().area;
    if (last.bottom() < split.height) {
      EXPECT_EQ(RootPixel(display(), last.left, static_cast<int>(last.bottom())), kFill);
    }
    EXPECT_EQ(RootPixel(display(), split.width - 1, split.height - 1), kFill);
    ASSERT_TRUE(desktop.RestoreUserWallpaper());
  }
}

TEST_F(X11Monitors, TheServersLayoutAtTheMomentOfTheChangeDecides) {
  if (std::string why = Start(320, 108); !why.empty()) GTEST_SKIP() << why;
  const MonitorLayout composedFor{{"A", {0, 0, 192, 108}, true}, {"B", {192, 0, 128, 102}, false}};
  ASSERT_TRUE(MakeMonitors(*server_, composedFor));
  const Wallpapers wallpapers = PicturesFor(composedFor);
  X11Desktop desktop(display(), state_);

  // B unplugged after the composition: A keeps its picture, B's place the
  // fill colour; nothing fails.
  ASSERT_TRUE(server_->Xrandr({"--delmonitor", "B"}));
  ASSERT_TRUE(desktop.SetWallpapers(wallpapers));
  ExpectShows(display(), composedFor[0].area, canvases_[0]);
  EXPECT_EQ(RootPixel(display(), 250, 50), kFill);

  // A new monitor of B's size under another name and place gets B's
  // picture; one of a size nobody composed for waits in the fill colour.
  ASSERT_TRUE(server_->Xrandr({"--setmonitor", "D", "128/100x102/100+192+6", "none"}));
  ASSERT_TRUE(desktop.SetWallpapers(wallpapers));
  ExpectShows(display(), {192, 6, 128, 102}, canvases_[1]);
  ASSERT_TRUE(server_->Xrandr({"--delmonitor", "D"}));
  ASSERT_TRUE(server_->Xrandr({"--setmonitor", "E", "100/100x50/100+200+0", "none"}));
  ASSERT_TRUE(desktop.SetWallpapers(wallpapers));
  EXPECT_EQ(RootPixel(display(), 250, 20), kFill);
  ExpectShows(display(), composedFor[0].area, canvases_[0]);
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
}

TEST_F(X11Monitors, OnePictureGoesOnEveryMonitorOfItsSize) {
  if (std::string why = Start(256, 64); !why.empty()) GTEST_SKIP() << why;
  const MonitorLayout monitors{{"A", {0, 0, 128, 64}, true}, {"B", {128, 0, 128, 64}, false}};
  ASSERT_TRUE(MakeMonitors(*server_, monitors));
  const Canvas canvas = PatternCanvas(128, 64, 3);
  X11Desktop desktop(display(), state_);
  ASSERT_TRUE(desktop.SetWallpaper("", canvas));
  ExpectShows(display(), monitors[0].area, canvas);
  ExpectShows(display(), monitors[1].area, canvas);
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
}

}  // namespace
}  // namespace vendaro
