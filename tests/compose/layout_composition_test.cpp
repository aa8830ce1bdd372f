#include "compose/layout_composition.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

#include "compose/prepared_pictures.h"
#include "model/bmp_writer.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::PixelOf;
using testing::Rgba;

constexpr ColorValue kTopLeft = Rgb(255, 0, 0), kTopRight = Rgb(0, 255, 0),
                     kBottomLeft = Rgb(0, 0, 255), kBottomRight = Rgb(255, 255, 0);

Monitor M(const char* name, int left, int top, int width, int height, bool primary = false) {
  return {name, {left, top, width, height}, primary};
}

// Four quarters of different colours: stretched, each canvas's corners show
// them, whatever its size.
std::string Quarters(const std::string& folder) {
  const std::string path = folder + "/quarters.png";
  testing::WritePicture(path, 40, 30, 3, [](int x, int y) {
    const ColorValue c =
        y < 15 ? (x < 20 ? kTopLeft : kTopRight) : (x < 20 ? kBottomLeft : kBottomRight);
    return Rgba{RedOf(c), GreenOf(c), BlueOf(c)};
  });
  return path;
}

Options Stretched() {
  Options options;
  options.DisplayMode = 0;
  options.Interpolation = 0;
  return options;
}

void ExpectCorners(const Canvas& canvas) {
  EXPECT_EQ(PixelOf(canvas, 0, 0), kTopLeft);
  EXPECT_EQ(PixelOf(canvas, canvas.width - 1, 0), kTopRight);
  EXPECT_EQ(PixelOf(canvas, 0, canvas.height - 1), kBottomLeft);
  EXPECT_EQ(PixelOf(canvas, canvas.width - 1, canvas.height - 1), kBottomRight);
}

class LayoutComposition_ : public ::testing::Test {
 protected:
  std::string folder = testing::MakeTempDir("layout");
  WallpaperEntry entry = MakeEntry(Quarters(folder), 40, 30);
};

TEST_F(LayoutComposition_, OneMonitorIsExactlyTheSingleScreenComposition) {
  Options options;
  options.DisplayMode = 1;
  options.Alignment = 3;
  options.GapFill = 2;
  options.Interpolation = 2;
  const RenderResult single = RenderEntry(entry, options, {300, 170}, nullptr);
  const LayoutComposition layout =
      RenderLayout(entry, options, {M("A", 0, 0, 300, 170, true)}, nullptr);
  ASSERT_TRUE(layout.status) << layout.status.message();
  ASSERT_EQ(layout.canvases.size(), 1u);
  EXPECT_EQ(layout.primary().rgb, single.canvas.rgb);
  EXPECT_EQ(layout.primaryPlacement().x, single.placement.x);
  EXPECT_EQ(layout.primaryPlacement().w, single.placement.w);
}

TEST_F(LayoutComposition_, MonitorsOfOneSizeShareAComposition) {
  struct Row {
    const char* name;
    MonitorLayout layout;
    std::vector<std::size_t> canvasOf;
    std::vector<std::pair<int, int>> sizes;
  };
  const Row rows[] = {
      {"two alike", {M("A", 0, 0, 64, 36, true), M("B", 64, 0, 64, 36)}, {0, 0}, {{64, 36}}},
      {"two sizes",
       {M("A", 0, 0, 64, 36, true), M("B", 64, 0, 40, 32)},
       {0, 1},
       {{64, 36}, {40, 32}}},
      {"the primary's size first, wherever it is listed",
       {M("B", 0, 0, 40, 32), M("A", 40, 0, 64, 36, true), M("C", 0, 32, 40, 32)},
       {0, 1, 1},
       {{64, 36}, {40, 32}}},
      {"three sizes, one shared",
       {M("A", 0, 0, 64, 36, true), M("B", 64, 0, 40, 32), M("C", 0, 36, 64, 36),
        M("D", 64, 32, 30, 50)},
       {0, 1, 0, 2},
       {{64, 36}, {40, 32}, {30, 50}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const LayoutComposition layout = RenderLayout(entry, Stretched(), row.layout, nullptr);
    ASSERT_TRUE(layout.status) << layout.status.message();
    EXPECT_EQ(layout.canvasOf, row.canvasOf);
    ASSERT_EQ(layout.canvases.size(), row.sizes.size());
    for (std::size_t c = 0; c < row.sizes.size(); ++c) {
      EXPECT_EQ(layout.canvases[c].width, row.sizes[c].first);
      EXPECT_EQ(layout.canvases[c].height, row.sizes[c].second);
      ExpectCorners(layout.canvases[c]);
    }
    const Wallpapers view = layout.View();
    ASSERT_EQ(view.monitors.size(), row.canvasOf.size());
    EXPECT_TRUE(view.primary().monitor.primary);
    for (const MonitorPicture& picture : view.monitors) {
      EXPECT_EQ(picture.canvas->width, picture.monitor.area.width);
      EXPECT_EQ(picture.canvas->height, picture.monitor.area.height);
    }
  }
}

TEST_F(LayoutComposition_, EachSizeHasItsOwnPlacement) {
  // Fit, centred: a 4:3 picture is pillarboxed on the wide monitor and
  // letterboxed on the tall one.
  Options options;
  options.DisplayMode = 1;
  options.Alignment = 0;
  const LayoutComposition layout =
      RenderLayout(entry, options, {M("A", 0, 0, 160, 60, true), M("B", 160, 0, 60, 160)}, nullptr);
  ASSERT_TRUE(layout.status);
  ASSERT_EQ(layout.placements.size(), 2u);
  EXPECT_EQ(layout.placements[0].x, 40);
  EXPECT_EQ(layout.placements[0].w, 80);
  EXPECT_EQ(layout.placements[1].y, 57);
  EXPECT_EQ(layout.placements[1].h, 45);
}

TEST_F(LayoutComposition_, WorkersSideBySideDrawTheSamePixels) {
  // A PNG scaled smoothly goes through the picture library, which the
  // workers share.
  Options options;
  options.DisplayMode = 2;
  options.Interpolation = 2;
  const MonitorLayout monitors{M("A", 0, 0, 96, 54, true), M("B", 96, 0, 50, 40),
                               M("C", 0, 54, 33, 77)};
  const LayoutComposition one = RenderLayout(entry, options, monitors, nullptr, 1);
  const LayoutComposition two = RenderLayout(entry, options, monitors, nullptr, 2);
  const LayoutComposition many = RenderLayout(entry, options, monitors, nullptr, 8);
  ASSERT_EQ(one.canvases.size(), 3u);
  for (std::size_t c = 0; c < 3; ++c) {
    EXPECT_EQ(one.canvases[c].rgb, two.canvases[c].rgb);
    EXPECT_EQ(one.canvases[c].rgb, many.canvases[c].rgb);
  }
}

TEST_F(LayoutComposition_, TheDesktopsColourIsAskedOnceOnTheCallingThread) {
  Options options = Stretched();
  options.DisplayMode = 3;
  options.FillColor = kClBackground;
  std::mutex mutex;
  std::set<std::thread::id> askedOn;
  int asked = 0;
  const SystemColorResolver resolver = [&](int) {
    std::lock_guard lock(mutex);
    ++asked;
    askedOn.insert(std::this_thread::get_id());
    return Rgb(1, 2, 3);
  };
  const LayoutComposition layout = RenderLayout(
      entry, options, {M("A", 0, 0, 90, 60, true), M("B", 90, 0, 70, 50), M("C", 0, 60, 80, 44)},
      resolver, 3);
  ASSERT_TRUE(layout.status);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(askedOn, std::set<std::thread::id>{std::this_thread::get_id()});
  EXPECT_EQ(layout.background, Rgb(1, 2, 3));
  for (const Canvas& canvas : layout.canvases) EXPECT_EQ(PixelOf(canvas, 0, 0), Rgb(1, 2, 3));
}

TEST_F(LayoutComposition_, UnusableMonitorsAreNamedAndTheOthersStillComposed) {
  const LayoutComposition some = RenderLayout(
      entry, Stretched(), {M("A", 0, 0, 0, 0, true), M("B", 0, 0, 64, 36), M("C", 40000, 0, 8, 8)},
      nullptr);
  ASSERT_TRUE(some.status) << some.status.message();
  ASSERT_EQ(some.monitors.size(), 1u);
  EXPECT_EQ(some.monitors[0].name, "B");
  EXPECT_TRUE(some.monitors[0].primary);
  EXPECT_EQ(some.skippedMonitors.size(), 2u);
  ExpectCorners(some.primary());

  const LayoutComposition none =
      RenderLayout(entry, Stretched(), {M("A", 0, 0, 0, 0, true)}, nullptr);
  EXPECT_FALSE(none.status);
  EXPECT_NE(none.status.message().find("0×0"), std::string::npos) << none.status.message();
  EXPECT_TRUE(none.canvases.empty());
}

TEST_F(LayoutComposition_, TheWholeLayoutPictureHasEachCompositionAtItsMonitor) {
  // The second monitor below the first and shifted right; the corner left
  // of it shows the fill colour.
  Options options = Stretched();
  options.FillColor = Rgb(9, 9, 9);
  const LayoutComposition layout =
      RenderLayout(entry, options, {M("A", 0, 0, 64, 36, true), M("B", 24, 36, 40, 32)}, nullptr);
  const Canvas whole = LayoutPicture(layout.View());
  ASSERT_EQ(whole.width, 64);
  ASSERT_EQ(whole.height, 68);
  EXPECT_EQ(PixelOf(whole, 63, 35), kBottomRight);
  EXPECT_EQ(PixelOf(whole, 24, 36), kTopLeft);
  EXPECT_EQ(PixelOf(whole, 63, 36), kTopRight);
  EXPECT_EQ(PixelOf(whole, 24, 67), kBottomLeft);
  EXPECT_EQ(PixelOf(whole, 23, 50), Rgb(9, 9, 9));
}

// A plain picture of one colour, named `name` in `folder`.
WallpaperEntry Solid(const std::string& folder, const std::string& name, ColorValue colour) {
  std::filesystem::create_directories(folder);
  testing::WritePicture(folder + "/" + name, 8, 6, 3, [colour](int, int) {
    return Rgba{RedOf(colour), GreenOf(colour), BlueOf(colour)};
  });
  return MakeEntry(folder + "/" + name, 8, 6);
}

constexpr ColorValue kRed = Rgb(255, 0, 0), kGreen = Rgb(0, 255, 0), kBlue = Rgb(0, 0, 255);

TEST_F(LayoutComposition_, EachMonitorItsOwnPictureAtItsOwnSize) {
  const WallpaperEntry red = Solid(folder, "red.png", kRed),
                       green = Solid(folder, "green.png", kGreen),
                       blue = Solid(folder, "blue.png", kBlue);
  const Monitor big = M("A", 0, 0, 64, 36, true), small = M("B", 64, 0, 40, 32);
  struct Row {
    MonitorLayout layout;
    std::vector<WallpaperEntry> entries;
    std::vector<std::size_t> canvasOf;
    std::vector<ColorValue> colourOf;  // each monitor's
  };
  const Row rows[] = {
      {{big, small}, {red, green}, {0, 1}, {kRed, kGreen}},
      {{big, M("B", 64, 0, 64, 36)}, {red, green}, {0, 1}, {kRed, kGreen}},  // no sharing
      {{big, small, M("C", 104, 0, 64, 36)}, {red, green, red}, {0, 1, 0}, {kRed, kGreen, kRed}},
      {{big, small}, {blue, blue}, {0, 1}, {kBlue, kBlue}},  // one picture, two sizes
      // Fewer pictures than monitors: the first for the rest.
      {{big, small, M("C", 0, 36, 30, 20)}, {green, blue}, {0, 1, 2}, {kGreen, kBlue, kGreen}},
      {{small, big}, {red, green}, {0, 1}, {kRed, kGreen}},  // the primary gets the first
  };
  for (const Row& row : rows) {
    for (unsigned workers : {1u, 2u}) {
      SCOPED_TRACE(::testing::Message() << &row - rows << " workers " << workers);
      const LayoutComposition layout =
          RenderMonitors(row.entries, Stretched(), row.layout, nullptr, workers);
      ASSERT_TRUE(layout.status) << layout.status.message();
      EXPECT_EQ(layout.canvasOf, row.canvasOf);
      ASSERT_EQ(layout.entries.size(), layout.canvases.size());
      const Wallpapers view = layout.View();
      ASSERT_EQ(view.monitors.size(), row.colourOf.size());
      EXPECT_TRUE(view.monitors[0].monitor.primary);
      for (std::size_t i = 0; i < view.monitors.size(); ++i) {
        const Canvas& canvas = *view.monitors[i].canvas;
        EXPECT_EQ(canvas.width, view.monitors[i].monitor.area.width) << i;
        EXPECT_EQ(canvas.height, view.monitors[i].monitor.area.height) << i;
        EXPECT_EQ(PixelOf(canvas, canvas.width - 1, canvas.height - 1), row.colourOf[i]) << i;
      }
    }
  }
}

// The change for a layout: files per size, the desktop asked once, old
// files removed only after it said yes.
struct FilesFixture {
  std::string folder = testing::MakeTempDir("files");
  std::string temp = folder + "/state/";
  WallpaperEntry entry;
  WallpaperFiles files;
  std::vector<Wallpapers> seen;
  std::vector<bool> filesExistedWhenSet;
  bool refuse = false;

  FilesFixture() {
    std::filesystem::create_directories(temp);
    entry = MakeEntry(Quarters(folder), 40, 30);
    files = {temp + "old.png.bmp", {temp + "old.png.40x32.bmp"}};
    for (const std::string& old : {files.primary, files.others[0]})
      testing::WriteFileBytes(old, "x");
  }

  LayoutComposeResult Compose(const MonitorLayout& monitors, bool everyFile) {
    return ComposeWallpapers(
        entry, Stretched(), monitors, nullptr, temp, everyFile, files,
        [this](const Wallpapers& wallpapers) {
          seen.push_back(wallpapers);
          for (const MonitorPicture& p : wallpapers.monitors)
            filesExistedWhenSet.push_back(p.path.empty() || FileExists(p.path));
          return refuse ? Status::Error("no") : Status::Ok();
        });
  }
};

TEST(ComposeWallpapers, WritesOneFilePerSizeAndRemovesTheOldOnesAfterTheDesktop) {
  FilesFixture f;
  const MonitorLayout monitors{M("A", 0, 0, 64, 36, true), M("B", 64, 0, 40, 32),
                               M("C", 104, 0, 64, 36)};
  const LayoutComposeResult r = f.Compose(monitors, true);
  ASSERT_TRUE(r.status) << r.status.message();
  ASSERT_EQ(f.seen.size(), 1u);
  const std::string primary = f.temp + "quarters.png.bmp";
  const std::string second = f.temp + "quarters.png.40x32.bmp";
  ASSERT_EQ(f.seen[0].monitors.size(), 3u);
  EXPECT_EQ(f.seen[0].monitors[0].path, primary);
  EXPECT_EQ(f.seen[0].monitors[1].path, second);
  EXPECT_EQ(f.seen[0].monitors[2].path, primary);
  EXPECT_EQ(f.filesExistedWhenSet, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(f.files.primary, primary);
  EXPECT_EQ(f.files.others, std::vector<std::string>{second});
  EXPECT_TRUE(FileExists(primary));
  EXPECT_TRUE(FileExists(second));
  EXPECT_FALSE(FileExists(f.temp + "old.png.bmp"));
  EXPECT_FALSE(FileExists(f.temp + "old.png.40x32.bmp"));

  // One monitor fewer: the second size's file goes.
  ASSERT_TRUE(f.Compose({monitors[0]}, true).status);
  EXPECT_TRUE(f.files.others.empty());
  EXPECT_FALSE(FileExists(second));
  EXPECT_TRUE(FileExists(primary));
}

TEST(ComposeWallpapers, WithoutFilesPerMonitorOnlyThePrimarysIsWritten) {
  FilesFixture f;
  ASSERT_TRUE(f.Compose({M("A", 0, 0, 64, 36, true), M("B", 64, 0, 40, 32)}, false).status);
  EXPECT_EQ(f.seen[0].monitors[1].path, "");
  EXPECT_NE(f.seen[0].monitors[1].canvas, nullptr);
  EXPECT_FALSE(FileExists(f.temp + "quarters.png.40x32.bmp"));
  EXPECT_TRUE(f.files.others.empty());
}

TEST(ComposeWallpapers, ARefusingDesktopKeepsTheOldFiles) {
  FilesFixture f;
  f.refuse = true;
  const WallpaperFiles before = f.files;
  const LayoutComposeResult r =
      f.Compose({M("A", 0, 0, 64, 36, true), M("B", 64, 0, 40, 32)}, true);
  EXPECT_FALSE(r.status);
  EXPECT_EQ(f.files.primary, before.primary);
  EXPECT_EQ(f.files.others, before.others);
  EXPECT_TRUE(FileExists(before.primary));
  EXPECT_TRUE(FileExists(before.others[0]));
  EXPECT_FALSE(FileExists(f.temp + "quarters.png.bmp"));
  EXPECT_FALSE(FileExists(f.temp + "quarters.png.40x32.bmp"));
}

// Each canvas gets a file of its own, even for two pictures of one name
// from different folders on monitors of one size; a file of the previous
// change the new one does not reuse goes once the desktop took the new ones.
TEST(ComposeWallpapers, APicturePerMonitorWritesAFilePerPicture) {
  FilesFixture f;
  const WallpaperEntry first = Solid(f.folder + "/a", "las.png", kRed),
                       second = Solid(f.folder + "/b", "las.png", kGreen),
                       third = Solid(f.folder + "/a", "morze.png", kBlue);
  const auto change = [&](const std::vector<WallpaperEntry>& entries, const Monitor& last) {
    const MonitorLayout monitors{M("A", 0, 0, 64, 36, true), M("B", 64, 0, 64, 36), last};
    LayoutComposition layout = RenderMonitors(entries, Stretched(), monitors, nullptr);
    EXPECT_TRUE(PutWallpapers(layout, entries[0], f.temp, true, f.files, [&](const Wallpapers& w) {
      f.seen.push_back(w);
      return Status::Ok();
    }));
    std::vector<std::string> paths;
    for (const MonitorPicture& picture : f.seen.back().monitors) paths.push_back(picture.path);
    return paths;
  };
  const std::vector<std::string> paths = change({first, second, third}, M("C", 128, 0, 40, 32));
  EXPECT_EQ(paths, (std::vector<std::string>{f.temp + "las.png.bmp", f.temp + "las.png.64x36.bmp",
                                             f.temp + "morze.png.40x32.bmp"}));
  for (const std::string& path : paths) EXPECT_TRUE(FileExists(path)) << path;
  EXPECT_EQ(f.files.others, (std::vector<std::string>{paths[1], paths[2]}));

  // Same name, same size, both from one change: the second is numbered and
  // does not overwrite the first; the previous change's other files go.
  const std::vector<std::string> shown = change({third, first, second}, M("C", 128, 0, 64, 36));
  EXPECT_EQ(shown[1], f.temp + "las.png.64x36.bmp");
  EXPECT_EQ(shown[2], f.temp + "las.png.64x36.2.bmp");
  EXPECT_NE(testing::ReadFileBytes(shown[1]), testing::ReadFileBytes(shown[2]));
  EXPECT_FALSE(FileExists(f.temp + "las.png.bmp"));
  EXPECT_FALSE(FileExists(f.temp + "morze.png.40x32.bmp"));
  EXPECT_EQ(f.files.primary, f.temp + "morze.png.bmp");
}

TEST(ComposeWallpapers, NoUsableMonitorAsksNoDesktop) {
  FilesFixture f;
  const LayoutComposeResult r = f.Compose({M("A", 0, 0, 0, 0, true)}, true);
  EXPECT_FALSE(r.status);
  EXPECT_TRUE(f.seen.empty());
  EXPECT_TRUE(FileExists(f.files.primary));
}

// A change takes a canvas drawn ahead only while its picture, options and
// size are as they were: anything else shows the picture as it is now.
TEST(ComposeWallpapers, ACanvasDrawnAheadIsTakenOnlyWhileNothingChanged) {
  namespace fs = std::filesystem;
  struct Row {
    const char* change;
    std::function<void(const std::string& picture, Options&)> apply;
    bool taken;
  };
  const Row rows[] = {
      {"nothing", [](const std::string&, Options&) {}, true},
      {"the picture rewritten, same size",
       [](const std::string& p, Options&) {
         const fs::file_time_type time = fs::last_write_time(p);
         Solid(fs::path(p).parent_path(), "las.png", kBlue);
         fs::last_write_time(p, time);
       },
       false},
      {"another file renamed over it",
       [](const std::string& p, Options&) {
         const std::string other = Solid(fs::path(p).parent_path() / "x", "las.png", kBlue).path;
         fs::last_write_time(other, fs::last_write_time(p));
         fs::rename(other, p);
       },
       false},
      {"another fill colour", [](const std::string&, Options& o) { o.FillColor = kBlue; }, false},
      {"another mode", [](const std::string&, Options& o) { o.DisplayMode = 1; }, false},
  };
  for (const auto& [row, pixels] : {std::pair{rows[0], false},
                                    {rows[0], true},
                                    {rows[1], true},
                                    {rows[2], false},
                                    {rows[3], true},
                                    {rows[4], false}}) {
    SCOPED_TRACE(::testing::Message() << row.change << (pixels ? ", pixels" : ", file only"));
    FilesFixture f;
    const WallpaperEntry shown = Solid(f.folder, "las.png", kGreen);
    const MonitorLayout monitors{M("A", 0, 0, 64, 36, true), M("B", 64, 0, 40, 32)};
    Options options = Stretched();
    options.FillColor = kRed;  // as the session keys it: resolved
    PreparedPictures ahead(f.temp);
    for (ScreenSize size : {ScreenSize{64, 36}, ScreenSize{40, 32}})
      ASSERT_TRUE(ahead.Keep(*KeyFor(shown, options, size), RenderEntry(shown, options, size, {})));
    row.apply(shown.path, options);
    bool drawn = false;
    const SizeRenderer render = [&](const WallpaperEntry& e, const Options& o, ScreenSize s) {
      if (auto taken = ahead.Take(e, o, s, pixels)) {
        EXPECT_EQ(taken->canvas.hasPixels(), pixels);
        return std::move(*taken);
      }
      drawn = true;
      return RenderEntry(e, o, s, nullptr);
    };
    const LayoutComposition layout = RenderMonitors({shown}, options, monitors, nullptr, 1, render);
    // A desktop that takes pixels, not files (the X11 root), still gets the
    // file of a canvas whose pixels are only there.
    const bool everyMonitorFile = pixels || !row.taken;
    const WallpapersSetter readable = [](const Wallpapers& w) {
      for (const MonitorPicture& m : w.monitors) {
        const ScreenSize size{m.canvas->width, m.canvas->height};
        if (!m.canvas->hasPixels() && !ReadWrittenBmp(m.path, size))
          return Status::Error("no pixels for " + m.monitor.name);
      }
      return Status::Ok();
    };
    ASSERT_TRUE(PutWallpapers(layout, shown, f.temp, everyMonitorFile, f.files, readable));
    ahead.Clear();
    EXPECT_EQ(drawn, !row.taken);
    const LayoutComposition now = RenderMonitors({shown}, options, monitors, nullptr);
    for (std::size_t c = 0; c < now.canvases.size(); ++c) {
      const std::string path = c == 0 ? f.files.primary : f.files.others[c - 1];
      EXPECT_EQ(ReadWrittenBmp(path, {now.canvases[c].width, now.canvases[c].height})->rgb,
                now.canvases[c].rgb);
    }
    for (const auto& file : fs::directory_iterator(f.temp))
      EXPECT_EQ(file.path().filename().string().rfind("ahead-", 0), std::string::npos);
  }
}

}  // namespace
}  // namespace vendaro
