#include "model/monitors.h"

#include <gtest/gtest.h>

namespace vendaro {
namespace {

Monitor M(const char* name, int left, int top, int width, int height, bool primary = false) {
  return {name, {left, top, width, height}, primary};
}

std::vector<std::string> Names(const MonitorLayout& layout) {
  std::vector<std::string> names;
  for (const Monitor& monitor : layout)
    names.push_back(monitor.name + (monitor.primary ? "*" : ""));
  return names;
}

TEST(CheckLayout, KeepsTheMonitorsThatCanGetAWallpaper) {
  using Names_ = std::vector<std::string>;
  struct Row {
    const char* name;
    MonitorLayout layout;
    Names_ usable;
    std::size_t problems;
  };
  const Row rows[] = {
      {"one monitor", {M("A", 0, 0, 1920, 1080, true)}, {"A*"}, 0},
      {"the primary goes first",
       {M("B", 1920, 0, 1280, 1024), M("A", 0, 0, 1920, 1080, true)},
       {"A*", "B"},
       0},
      {"a monitor of 0×0 is left out",
       {M("A", 0, 0, 1920, 1080, true), M("B", 1920, 0, 0, 0)},
       {"A*"},
       1},
      {"a negative size is left out",
       {M("A", 0, 0, -5, 10, true), M("B", 0, 0, 10, 10)},
       {"B*"},
       1},
      {"a primary left out hands over to the next",
       {M("A", 0, 0, 0, 0, true), M("B", 0, 0, 800, 600), M("C", 800, 0, 800, 600)},
       {"B*", "C"},
       1},
      {"no primary named: the first is",
       {M("A", 0, 0, 800, 600), M("B", 800, 0, 800, 600)},
       {"A*", "B"},
       0},
      {"a side over 16384",
       {M("A", 0, 0, 1920, 1080, true), M("B", 1920, 0, 16385, 100)},
       {"A*"},
       1},
      {"exactly 32767 wide fits",
       {M("A", 0, 0, 16384, 1080, true), M("B", 16384, 0, 16383, 1080)},
       {"A*", "B"},
       0},
      {"one pixel more does not, the rest still counts",
       {M("A", 0, 0, 16384, 1080, true), M("B", 16384, 0, 16384, 1080), M("C", 0, 1080, 800, 600)},
       {"A*", "C"},
       1},
      {"far to the left counts as wide",
       {M("A", 0, 0, 1920, 1080, true), M("B", -40000, 0, 1920, 1080)},
       {"A*"},
       1},
      {"positions at the ends of int do not overflow",
       {M("A", 2147483000, 0, 600, 400, true), M("B", -2147483000, 0, 600, 400)},
       {"A*"},
       1},
      {"nothing usable", {M("A", 0, 0, 0, 0, true)}, {}, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const CheckedLayout checked = CheckLayout(row.layout);
    EXPECT_EQ(Names(checked.usable), row.usable);
    EXPECT_EQ(checked.problems.size(), row.problems);
  }
}

TEST(CheckLayout, NamesTheMonitorAndWhy) {
  const CheckedLayout checked = CheckLayout(
      {M("DP-1", 0, 0, 1920, 1080, true), M("HDMI-2", 1920, 0, 0, 0), M("", 40000, 0, 800, 600)});
  ASSERT_EQ(checked.problems.size(), 2u);
  EXPECT_NE(checked.problems[0].find("HDMI-2"), std::string::npos) << checked.problems[0];
  EXPECT_NE(checked.problems[0].find("0×0"), std::string::npos) << checked.problems[0];
  EXPECT_NE(checked.problems[1].find("nr 3"), std::string::npos) << checked.problems[1];
  EXPECT_NE(checked.problems[1].find("32767"), std::string::npos) << checked.problems[1];
}

TEST(LayoutBounds, HoldsEveryMonitor) {
  EXPECT_EQ(LayoutBounds({}), Rect{});
  EXPECT_EQ(LayoutBounds({M("A", 0, 0, 1920, 1080), M("B", 1920, 56, 1280, 1024)}),
            (Rect{0, 0, 3200, 1080}));
  EXPECT_EQ(LayoutBounds({M("A", 0, 0, 1920, 1080), M("B", -1280, -200, 1280, 1024)}),
            (Rect{-1280, -200, 3200, 1280}));
}

Canvas Solid(int width, int height, std::uint8_t value) {
  Canvas canvas;
  canvas.width = width;
  canvas.height = height;
  canvas.rgb.assign(static_cast<std::size_t>(width) * height * 3, value);
  return canvas;
}

std::uint8_t At(const Canvas& canvas, int x, int y) {
  return canvas.row(y)[x * 3];
}

TEST(LayoutPicture, PutsEachPictureAtItsMonitorAndFillsTheRest) {
  // Left of the primary and lower; the second picture is larger than its
  // monitor and must not spill over.
  const Canvas a = Solid(4, 3, 10), b = Solid(5, 5, 20);
  Wallpapers wallpapers;
  wallpapers.background = Rgb(200, 201, 202);
  wallpapers.monitors = {{M("A", 0, 0, 4, 3, true), &a, ""}, {M("B", -2, 1, 2, 2), &b, ""}};
  const Canvas whole = LayoutPicture(wallpapers);
  ASSERT_EQ(whole.width, 6);
  ASSERT_EQ(whole.height, 3);
  const char* expected[] = {
      "..AAAA",
      "BBAAAA",
      "BBAAAA",
  };
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) {
      const std::uint8_t want = expected[y][x] == 'A' ? 10 : expected[y][x] == 'B' ? 20 : 200;
      EXPECT_EQ(At(whole, x, y), want) << x << "," << y;
    }
  }
  EXPECT_EQ(whole.row(0)[2], 202);  // blue of the fill
}

TEST(LayoutPicture, NothingPastTheLimit) {
  const Canvas a = Solid(2, 2, 1);
  Wallpapers wallpapers;
  wallpapers.monitors = {{M("A", 0, 0, 2, 2, true), &a, ""}, {M("B", 32767, 0, 2, 2), &a, ""}};
  EXPECT_TRUE(LayoutPicture(wallpapers).empty());
}

TEST(MonitorPositions, EachMonitorTheNextPictureOfTheList) {
  struct Row {
    std::int64_t current;
    std::size_t listSize, monitors;
    std::vector<std::size_t> positions;
  };
  // From the current picture on, wrapping and repeating; none for no
  // monitor, an empty list or a position outside it.
  const Row rows[] = {{3, 10, 1, {3}},       {2, 10, 3, {2, 3, 4}},
                      {8, 10, 3, {8, 9, 0}}, {1, 2, 5, {1, 0, 1, 0, 1}},
                      {2, 3, 3, {2, 0, 1}},  {0, 4, 0, {}},
                      {0, 0, 2, {}},         {-1, 4, 2, {}},
                      {4, 4, 2, {}}};
  for (const Row& row : rows)
    EXPECT_EQ(MonitorPositions(row.current, row.listSize, row.monitors), row.positions)
        << row.current << " of " << row.listSize << " on " << row.monitors;
}

TEST(KeepOnScreens, BringsBackOnlyWindowsNobodyCanReach) {
  const std::vector<Rect> areas{{0, 0, 1920, 1040}, {1920, 0, 1280, 1024}};
  struct Row {
    const char* name;
    Rect window;
    Rect expected;
  };
  const Row rows[] = {
      {"on the primary", {100, 100, 523, 475}, {100, 100, 523, 475}},
      {"on the second", {2000, 100, 523, 475}, {2000, 100, 523, 475}},
      {"across both", {1800, 100, 523, 475}, {1800, 100, 523, 475}},
      {"a grip's width left in view", {3136, 100, 523, 475}, {3136, 100, 523, 475}},
      {"less than a grip", {3137, 100, 523, 475}, {698, 282, 523, 475}},
      {"where a removed monitor was", {3300, 200, 523, 475}, {698, 282, 523, 475}},
      {"below every monitor", {100, 1030, 523, 475}, {698, 282, 523, 475}},
      {"larger than the primary", {5000, 0, 2000, 1200}, {0, 0, 2000, 1200}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(KeepOnScreens(row.window, areas), row.expected);
  }
  EXPECT_EQ(KeepOnScreens({5000, 0, 10, 10}, {}), (Rect{5000, 0, 10, 10}));
}

}  // namespace
}  // namespace vendaro
