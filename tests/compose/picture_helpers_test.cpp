#include "compose/picture_helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "compose/probe.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::Rgba;

// The program's own executable serves as the helper, as in the installed program.
const std::string kHelper = std::string(VENDARO_BIN_DIR) + "/vendaro";

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class PictureHelpersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::MakeTempDir("helpers") + "/";
    testing::WritePicture(folder_ + "green.png", 64, 48, 3, [](int x, int) {
      return Rgba{0, static_cast<std::uint8_t>(100 + x), 0};
    });
    testing::WritePicture(folder_ + "grey.jpg", 40, 40, 1, [](int, int) {
      return Rgba{90, 90, 90};
    });
    testing::WriteFileBytes(folder_ + "text.png", "not a picture at all");
    ASSERT_EQ(::mkfifo((folder_ + "fifo.png").c_str(), 0600), 0);
  }

  std::string folder_;
};

// A helper measures and draws exactly as this process does, and refuses as
// quickly.
TEST_F(PictureHelpersTest, ProbesAndDrawsAsThisProcessDoes) {
  PictureHelpers helpers(kHelper);
  struct Row {
    const char* name;
    int mode, gap, interp;
    ScreenSize screen;
  };
  const Row rows[] = {
      {"green.png", 1, 2, 2, {320, 200}}, {"grey.jpg", 3, 1, 0, {123, 77}},
      {"text.png", 0, 0, 1, {50, 40}},  // undecodable: the background and the reason
      {"fifo.png", 0, 0, 0, {0, 0}},    // no file: measured only
      {"missing.png", 0, 0, 0, {0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto start = std::chrono::steady_clock::now();
    const Result<PictureSize> there = helpers.Probe(folder_ + row.name);
    EXPECT_LT(SecondsSince(start), 30);
    const Result<PictureSize> here = ProbePicture(folder_ + row.name);
    ASSERT_EQ(there.ok(), here.ok());
    EXPECT_EQ(there.message(), here.message());
    if (here) {
      EXPECT_EQ(std::pair(there->width, there->height), std::pair(here->width, here->height));
    }
    if (row.screen.width == 0) continue;

    Options o;
    o.DisplayMode = row.mode;
    o.GapFill = row.gap;
    o.Interpolation = row.interp;
    o.FillColor = Rgb(10, 20, 30);
    const WallpaperEntry entry = MakeEntry(folder_ + row.name, 64, 48);
    const RenderResult drawn = helpers.Render(entry, o, row.screen);
    const RenderResult own = RenderEntry(entry, o, row.screen, nullptr);
    EXPECT_EQ(drawn.canvas.width, row.screen.width);
    EXPECT_EQ(drawn.canvas.height, row.screen.height);
    EXPECT_TRUE(drawn.canvas.rgb == own.canvas.rgb);
    EXPECT_EQ(drawn.picture.ok(), own.picture.ok());
    EXPECT_EQ(drawn.picture.message(), own.picture.message());
    EXPECT_EQ(drawn.placement.w, own.placement.w);
  }
}

// A decoder that never returns costs its helper, within the wall-clock
// limit, and the next picture gets a new helper.
TEST_F(PictureHelpersTest, AHangingPictureIsUndecodableAndTheNextIsDrawn) {
  ::setenv("VENDARO_TEST_PICTURE_HANGS", "hangs.png", 1);
  testing::WritePicture(folder_ + "hangs.png", 8, 8, 3, [](int, int) { return Rgba{1, 2, 3}; });
  PictureHelpers helpers(kHelper);
  Options o;
  o.FillColor = Rgb(200, 0, 0);
  const auto start = std::chrono::steady_clock::now();
  const RenderResult hung = helpers.Render(MakeEntry(folder_ + "hangs.png", 8, 8), o, {32, 24});
  const double waited = SecondsSince(start);
  EXPECT_GE(waited, BudgetFor({32, 24}).wall.count() / 1000.0 - 0.5);
  EXPECT_LT(waited, BudgetFor({32, 24}).wall.count() / 1000.0 + 10);
  EXPECT_EQ(hung.picture.message(), kBeyondLimitsReason);
  EXPECT_EQ(testing::PixelOf(hung.canvas, 5, 5), Rgb(200, 0, 0));
  const RenderResult next = helpers.Render(MakeEntry(folder_ + "green.png", 64, 48), o, {64, 48});
  EXPECT_TRUE(next.picture.ok()) << next.picture.message();
  ::unsetenv("VENDARO_TEST_PICTURE_HANGS");
}

TEST_F(PictureHelpersTest, CancelEndsAHangingPictureAtOnce) {
  ::setenv("VENDARO_TEST_PICTURE_HANGS", "green.png", 1);
  PictureHelpers helpers(kHelper);
  std::thread canceller([&helpers] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    helpers.CancelAll();
  });
  const auto start = std::chrono::steady_clock::now();
  const RenderResult hung =
      helpers.Render(MakeEntry(folder_ + "green.png", 64, 48), Options(), {1920, 1080});
  EXPECT_LT(SecondsSince(start), BudgetFor({1920, 1080}).wall.count() / 1000.0);
  EXPECT_FALSE(hung.picture.ok());
  canceller.join();
  ::unsetenv("VENDARO_TEST_PICTURE_HANGS");
}

// Whatever stands in for the helper, the caller gets an answer it can use.
// cat sends the greeting back, true ends at once, the missing one never
// runs: none is taken for a helper, and no picture is blamed.
TEST_F(PictureHelpersTest, AProgramThatIsNoHelperIsToldAsSuch) {
  for (const char* program : {"/bin/cat", "/bin/true", "/nonexistent/helper"}) {
    SCOPED_TRACE(program);
    PictureHelpers helpers(program);
    const Result<PictureSize> size = helpers.Probe(folder_ + "green.png");
    ASSERT_FALSE(size.ok());
    EXPECT_NE(size.message(), kBeyondLimitsReason);
    EXPECT_NE(size.message().find(program), std::string::npos) << size.message();
    const RenderResult drawn =
        helpers.Render(MakeEntry(folder_ + "green.png", 64, 48), Options(), {16, 16});
    EXPECT_FALSE(drawn.picture.ok());
    EXPECT_EQ(drawn.canvas.rgb.size(), 16u * 16u * 3u);
  }
}

// Threads probe side by side through one set of helpers. Helpers outlive
// the threads that start them: start-up measures on threads that end, and
// the change that follows uses what they started.
TEST_F(PictureHelpersTest, ThreadsProbeSideBySideAndTheHelpersOutliveThem) {
  PictureHelpers helpers(kHelper);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 20; ++i) {
        const Result<PictureSize> size = helpers.Probe(folder_ + "green.png");
        if (!size || size->width != 64 || size->height != 48) ++wrong;
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const Result<PictureSize> size = helpers.Probe(folder_ + "green.png");
  EXPECT_TRUE(size) << size.message();
}

// A screen with more pixels gets more time and memory, never less than 1080p's.
TEST(PictureBudget, GrowsWithTheScreen) {
  struct Row {
    ScreenSize screen;
    int seconds;
    bool moreMemory;
  };
  const PictureBudget base = BudgetFor({1920, 1080});
  const Row rows[] = {
      {{640, 480}, base.cpuSeconds, false},
      {{1920, 1080}, base.cpuSeconds, false},
      {{3840, 2160}, 4 * base.cpuSeconds, true},
      {{7680, 4320}, 16 * base.cpuSeconds, true},
  };
  for (const Row& row : rows) {
    const PictureBudget budget = BudgetFor(row.screen);
    EXPECT_EQ(budget.cpuSeconds, row.seconds) << row.screen.width;
    EXPECT_EQ(budget.addressSpaceBytes > base.addressSpaceBytes, row.moreMemory);
    // The canvas itself always fits, several times over.
    EXPECT_GT(budget.addressSpaceBytes,
              4ULL * static_cast<unsigned long long>(row.screen.width) * row.screen.height * 3);
  }
}

}  // namespace
}  // namespace vendaro
