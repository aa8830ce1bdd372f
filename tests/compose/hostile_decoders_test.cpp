// Pictures whose decoders, not their headers alone, would spend gigabytes or
// seconds: each is refused before decoding, or drawn within about 300 MB
// and 3 s at 1920 x 1080.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <string>

#include "compose/compose_wallpaper.h"
#include "compose/probe.h"
#include "hostile_pictures.h"
#include "support/heap_peak.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using Clock = std::chrono::steady_clock;
using testing::HeapPeak;
using testing::PixelOf;

constexpr ColorValue kFill = Rgb(20, 40, 60);
constexpr std::int64_t kAllowed = 300LL << 20;
constexpr ScreenSize kScreen{1920, 1080};

std::string Folder() {
  static const std::string folder = testing::MakeTempDir("hostile-decoders");
  return folder;
}

std::string Save(const std::string& name, const std::string& bytes) {
  const std::string path = Folder() + "/" + name;
  testing::WriteFileBytes(path, bytes);
  return path;
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The processor time of every thread: the machine's other work does not
// count, as it would in the time on the clock.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

struct Drawn {
  RenderResult result;
  std::int64_t peak;
  bool withinMemory;
  double seconds;
  double cpuSeconds;
};

Drawn Draw(const std::string& path, int width, int height, int mode, int interpolation) {
  Options o;
  o.FillColor = kFill;
  o.GapFill = 1;
  o.DisplayMode = std::int8_t(mode);
  o.Interpolation = std::int8_t(interpolation);
  const Clock::time_point start = Clock::now();
  const double cpuStart = CpuSeconds();
  const HeapPeak peak(kAllowed);
  RenderResult r = RenderEntry(MakeEntry(path, width, height), o, kScreen, [](int) { return 0u; });
  return {std::move(r), peak.bytes(), peak.within(), Seconds(start), CpuSeconds() - cpuStart};
}

bool AllBackground(const Canvas& c) {
  for (int y = 0; y < c.height; y += 7)
    for (int x = 0; x < c.width; x += 7)
      if (PixelOf(c, x, y) != kFill) return false;
  return true;
}

// Stretched bicubic (the library), stretched nearest and original size (the
// copying paths).
constexpr int kWays[][2] = {{0, 2}, {0, 0}, {3, 2}};

TEST(HostileDecoders, RefusedBeforeTheDecoderSpendsWhatTheHeaderClaims) {
  struct Case {
    std::string name;
    int width, height;
    const char* reason;  // part of the reason given
  };
  std::vector<Case> cases = {
      {Save("text-unpacking-to-400mb.png", testing::PngWithTextUnpackingTo(4 << 20, 100)), 1, 1,
       "tekst"},
      {Save("gif-16384.gif", testing::GifClaiming(16384, 16384)), 16384, 16384, "pamięci"},
      {Save("webp-8000.webp", testing::WebpClaiming(8000, 8000)), 8000, 8000, "pamięci"},
      {Save("rle-filled-8000.bmp", testing::RleBmpFilled(8000, 8000)), 8000, 8000, "RLE"},
  };
  const std::string tiled = Folder() + "/tiled-65536x4096.tif";
  testing::WriteTiledTiff(tiled, 65536, 4096);
  cases.push_back({tiled, 65536, 4096, "pamięci"});
  const std::string floats = Folder() + "/float-16384.tif";
  testing::WriteFloatTiff(floats, 16384, 16384);
  cases.push_back({floats, 16384, 16384, "szerszych niż bajt"});

  for (const Case& c : cases) {
    for (const auto& way : kWays) {
      SCOPED_TRACE(::testing::Message() << c.name << ", mode " << way[0] << "/" << way[1]);
      const Drawn d = Draw(c.name, c.width, c.height, way[0], way[1]);
      EXPECT_TRUE(d.withinMemory) << d.peak / (1 << 20) << " MB";
      EXPECT_LT(d.seconds, 3.0);
      EXPECT_FALSE(d.result.picture.ok());
      EXPECT_NE(d.result.picture.message().find(c.reason), std::string::npos)
          << d.result.picture.message();
      EXPECT_TRUE(AllBackground(d.result.canvas));
    }
  }
}

// Compressed text is counted, not kept: within the bound a picture is
// drawn, and its size is read without unpacking any.
TEST(HostileDecoders, TextWithinTheBoundIsNoReasonToRefuse) {
  const std::string path = Save("some-text.png", testing::PngWithTextUnpackingTo(1 << 20, 4));
  for (const auto& way : kWays) {
    const Drawn d = Draw(path, 1, 1, way[0], way[1]);
    EXPECT_TRUE(d.result.picture.ok()) << d.result.picture.message();
    const Placement& p = d.result.placement;
    EXPECT_EQ(PixelOf(d.result.canvas, std::max(0, p.x), std::max(0, p.y)), Rgb(90, 140, 40));
  }
  const std::string bomb = Save("probed-bomb.png", testing::PngWithTextUnpackingTo(4 << 20, 100));
  const HeapPeak peak(16LL << 20);
  const Result<PictureSize> size = ProbePicture(bomb);
  ASSERT_TRUE(size.ok()) << size.message();
  EXPECT_EQ(size->width, 1);
  EXPECT_TRUE(peak.within()) << peak.bytes() / (1 << 20) << " MB to probe";
}

// CMYK and YCCK reach the picture library, which decoded and converted
// every pixel for nearest neighbour: thirty times as long as the YCbCr twin
// that the JPEG path skips through.
TEST(HostileDecoders, CmykTakesNoLongerThanAboutTwiceItsYcbcrTwin) {
  const std::string twin = Folder() + "/twin.jpg";
  testing::WriteLargeJpeg(twin, 8192, 8192, testing::JpegColours::Ycbcr);
  const double twinSeconds = Draw(twin, 8192, 8192, 0, 0).cpuSeconds;
  for (const bool ycck : {false, true}) {
    SCOPED_TRACE(ycck ? "YCCK" : "CMYK");
    const std::string path = Folder() + (ycck ? "/ycck.jpg" : "/cmyk.jpg");
    testing::WriteLargeJpeg(path, 8192, 8192,
                            ycck ? testing::JpegColours::Ycck : testing::JpegColours::Cmyk);
    const Drawn d = Draw(path, 8192, 8192, 0, 0);
    EXPECT_TRUE(d.result.picture.ok()) << d.result.picture.message();
    EXPECT_TRUE(d.withinMemory) << d.peak / (1 << 20) << " MB";
    // Twice, and a second for setting up the library's pipeline, which the
    // sanitizers do not slow as they slow the JPEG path's own code.
    EXPECT_LT(d.cpuSeconds, 2 * twinSeconds + 1.0) << "the twin took " << twinSeconds << " s";
  }
}

// The probe and the drawing paths read a header, never the file: what
// follows a JPEG's header is not searched for its markers.
TEST(HostileDecoders, JunkAfterAJpegHeaderIsNotRead) {
  const std::string path = Save("header-then-10gb.jpg", testing::JpegHeaderOnly());
  const int file = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(file, 0);
  ASSERT_EQ(::ftruncate(file, 10LL << 30), 0);  // sparse: takes no disk
  ::close(file);
  const Clock::time_point start = Clock::now();
  const Result<PictureSize> size = ProbePicture(path);
  EXPECT_LT(Seconds(start), 1.0);
  EXPECT_FALSE(size.ok());
  for (const auto& way : kWays) {
    const Drawn d = Draw(path, 64, 48, way[0], way[1]);
    EXPECT_LT(d.seconds, 3.0);
    EXPECT_FALSE(d.result.picture.ok());
  }
}

}  // namespace
}  // namespace vendaro
