// Each monitor is composed at the size the display server gives, whatever
// the scale Qt applies on top.
#include "platform/display/screen.h"

#include <gtest/gtest.h>

namespace vendaro {
namespace {

TEST(DeviceLayout, TheServersPixelsWinOverQtsScaledSizes) {
  struct Row {
    const char* name;
    std::vector<QtScreen> qt;
    Result<MonitorLayout> server;
    MonitorLayout composed = {};  // empty: the server's answer as it came
  };
  const Row rows[] = {
      {"GNOME at 2 on X11: Qt doubles the RandR size",
       {{"eDP-1", {0, 0, 2560, 1600}, 2, true}},
       MonitorLayout{{"eDP-1", {0, 0, 2560, 1600}, true}}},
      {"GNOME at 2 on Wayland",
       {{"eDP-1", {0, 0, 1280, 800}, 2, true}},
       MonitorLayout{{"eDP-1", {0, 0, 2560, 1600}, true}}},
      {"sway at 1.5: Qt rounds the ratio up to 2",
       {{"HEADLESS-1", {0, 0, 1280, 800}, 2, true}},
       MonitorLayout{{"HEADLESS-1", {0, 0, 1920, 1200}, true}}},
      {"KDE at 1.5 on Wayland",
       {{"Virtual-1", {0, 0, 1280, 800}, 1.5, true}},
       MonitorLayout{{"Virtual-1", {0, 0, 1920, 1200}, true}}},
      {"X11 at 144 dpi, two monitors: no pixel gained by rounding",
       {{"A", {0, 0, 427, 267}, 1.5, true}, {"B", {427, 0, 853, 533}, 1.5, false}},
       MonitorLayout{{"A", {0, 0, 640, 400}, true}, {"B", {640, 0, 1280, 800}, false}}},
      {"X11 at 192 dpi, the primary second in RandR's list",
       {{"A", {0, 0, 640, 400}, 2, false}, {"B", {640, 0, 320, 200}, 2, true}},
       MonitorLayout{{"A", {0, 0, 640, 400}, true}, {"B", {640, 0, 320, 200}, false}},
       {{"B", {640, 0, 320, 200}, true}, {"A", {0, 0, 640, 400}, false}}},
      {"a server that does not answer: Qt's sizes in device pixels",
       {{"A", {0, 0, 427, 267}, 1.5, false}, {"B", {427, 0, 200, 100}, 1, true}},
       Status::Error("nie odpowiada"),
       {{"B", {427, 0, 200, 100}, true}, {"A", {0, 0, 641, 401}, false}}},
      {"an empty answer counts as none",
       {{"A", {0, 0, 800, 600}, 1, true}},
       MonitorLayout{},
       {{"A", {0, 0, 800, 600}, true}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DeviceLayout(row.server, row.qt), row.composed.empty() ? *row.server : row.composed);
  }
}

}  // namespace
}  // namespace vendaro
