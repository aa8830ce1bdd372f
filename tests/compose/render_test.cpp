#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "compose/compose_wallpaper.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::PixelOf;
using testing::Rgba;
using testing::WritePicture;

constexpr ColorValue kRed = Rgb(255, 0, 0);

ColorValue NoSystemColours(int) {
  return Rgb(1, 1, 1);
}

Options Choices(int mode, int interpolation = 2, ColorValue fill = kRed, int align = 0) {
  Options o;
  o.FillColor = fill;
  o.GapFill = 1;
  o.DisplayMode = mode;
  o.Interpolation = interpolation;
  o.Alignment = align;
  return o;
}

RenderResult Render(const std::string& path, int pw, int ph, const Options& o, int sw, int sh,
                    const SystemColorResolver& colours = NoSystemColours) {
  return RenderEntry(MakeEntry(path, pw, ph), o, {sw, sh}, colours);
}

// Each pixel has its own colour, so any misplaced copy shows.
Rgba Distinct(int x, int y) {
  return {std::uint8_t(10 + x * 20), std::uint8_t(10 + y * 30), 77};
}

std::string Folder() {
  static const std::string folder = testing::MakeTempDir("render");
  return folder;
}

TEST(RenderEntry, BackgroundColourSources) {
  const std::string path = Folder() + "/dot.png";
  WritePicture(path, 1, 1, 3, [](int, int) { return Rgba{0, 0, 0}; });
  auto colours = [](int index) { return index == 1 ? Rgb(12, 34, 56) : Rgb(index, 0, 0); };
  struct Case {
    ColorValue fill;
    ColorValue want;
  };
  const Case cases[] = {
      {Rgb(1, 2, 3), Rgb(1, 2, 3)},
      {kClBackground, Rgb(12, 34, 56)},
      {0xFF00000Fu, Rgb(15, 0, 0)},
      {0x1FFFFFFFu, Rgb(255, 255, 255)},  // clNone: the low bytes as they stand
  };
  for (const Case& c : cases) {
    const RenderResult r = Render(path, 1, 1, Choices(3, 2, c.fill), 5, 3, colours);
    EXPECT_EQ(PixelOf(r.canvas, 0, 0), c.want);
    EXPECT_EQ(PixelOf(r.canvas, 4, 2), c.want);
    EXPECT_EQ(PixelOf(r.canvas, 2, 1), Rgb(0, 0, 0));
  }
}

TEST(RenderEntry, TransparencyBlendsOverTheBackground) {
  const std::string path = Folder() + "/alpha.png";
  const std::uint8_t alphas[4] = {0, 64, 128, 255};
  WritePicture(path, 4, 1, 4, [&](int x, int) { return Rgba{0, 0, 255, alphas[x]}; });
  const RenderResult r = Render(path, 4, 1, Choices(3), 4, 1);
  for (int x = 0; x < 4; ++x) {
    const double a = alphas[x] / 255.0;
    const ColorValue p = PixelOf(r.canvas, x, 0);
    EXPECT_NEAR(RedOf(p), 255 * (1 - a), 1.0) << x;
    EXPECT_EQ(GreenOf(p), 0);
    EXPECT_NEAR(BlueOf(p), 255 * a, 1.0) << x;
  }
}

TEST(RenderEntry, TilesRepeatFromTheTopLeft) {
  const std::string path = Folder() + "/tile.png";
  WritePicture(path, 3, 2, 3, Distinct);
  const RenderResult r = Render(path, 3, 2, Choices(4, 0), 10, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x) {
      const Rgba want = Distinct(x % 3, y % 2);
      ASSERT_EQ(PixelOf(r.canvas, x, y), Rgb(want.r, want.g, want.b)) << x << "," << y;
    }
}

TEST(RenderEntry, TilesStepByTheRecordedSize) {
  // Copies are drawn row by row on the recorded grid: a larger picture is
  // covered by the next copy, a smaller one leaves the background between.
  const std::string path = Folder() + "/tile3x2.png";
  WritePicture(path, 3, 2, 3, Distinct);
  struct Case {
    int pw, ph;
  };
  for (const Case c : {Case{2, 1}, Case{4, 3}, Case{3, 1}, Case{2, 5}}) {
    const RenderResult r = Render(path, c.pw, c.ph, Choices(4, 0), 11, 7);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 11; ++x) {
        const int px = x % c.pw, py = y % c.ph;
        const Rgba d = px < 3 && py < 2 ? Distinct(px, py) : Rgba{255, 0, 0};
        ASSERT_EQ(PixelOf(r.canvas, x, y), Rgb(d.r, d.g, d.b))
            << "grid " << c.pw << "x" << c.ph << " at " << x << "," << y;
      }
  }
}

TEST(RenderEntry, OriginalSizeIsCopiedAtItsOffsetAndClipped) {
  const std::string path = Folder() + "/five.png";
  WritePicture(path, 5, 4, 3, Distinct);
  struct Case {
    int sw, sh, align, x, y;
  };
  const Case cases[] = {{3, 3, 0, -1, -1}, {9, 7, 0, 2, 1}, {3, 2, 5, -2, -2}, {8, 8, 1, 0, 0}};
  for (const Case& c : cases) {
    const RenderResult r = Render(path, 5, 4, Choices(3, 2, kRed, c.align), c.sw, c.sh);
    ASSERT_EQ(r.placement.x, c.x);
    ASSERT_EQ(r.placement.y, c.y);
    for (int y = 0; y < c.sh; ++y)
      for (int x = 0; x < c.sw; ++x) {
        const int px = x - c.x, py = y - c.y;
        const bool inside = px >= 0 && py >= 0 && px < 5 && py < 4;
        const Rgba d = inside ? Distinct(px, py) : Rgba{255, 0, 0};
        ASSERT_EQ(PixelOf(r.canvas, x, y), Rgb(d.r, d.g, d.b)) << x << "," << y;
      }
  }
}

TEST(RenderEntry, NearestNeighbourDoublingGivesExactBlocks) {
  const std::string path = Folder() + "/two.png";
  WritePicture(path, 2, 2, 3, Distinct);
  const RenderResult r = Render(path, 2, 2, Choices(0, 0), 4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const Rgba d = Distinct(x / 2, y / 2);
      EXPECT_EQ(PixelOf(r.canvas, x, y), Rgb(d.r, d.g, d.b)) << x << "," << y;
    }
}

// Shrinking by nearest neighbour takes the picture pixel under each canvas
// pixel's centre, also for factors large enough to tempt a pre-shrink.
TEST(RenderEntry, NearestNeighbourShrinkTakesTheCentreSample) {
  const struct { int pw, ph, sw, sh; } cases[] = {{27, 27, 3, 3}, {25, 27, 6, 3}, {63, 9, 7, 3}};
  for (const auto& c : cases) {
    const std::string path = Folder() + "/shrink" + std::to_string(c.pw) + ".png";
    WritePicture(path, c.pw, c.ph, 3, Distinct);
    const RenderResult r = Render(path, c.pw, c.ph, Choices(0, 0), c.sw, c.sh);
    for (int y = 0; y < c.sh; ++y)
      for (int x = 0; x < c.sw; ++x) {
        const Rgba d = Distinct((2 * x + 1) * c.pw / (2 * c.sw), (2 * y + 1) * c.ph / (2 * c.sh));
        EXPECT_EQ(PixelOf(r.canvas, x, y), Rgb(d.r, d.g, d.b))
            << c.pw << "x" << c.ph << " at " << x << "," << y;
      }
  }
}

double MeanRed(const Canvas& c) {
  double sum = 0;
  for (std::size_t i = 0; i < c.rgb.size(); i += 3) sum += c.rgb[i];
  return sum / (c.rgb.size() / 3);
}

TEST(RenderEntry, ScaledDrawFitsTheRealPictureIntoTheRecordedPlacement) {
  // Recorded as 8x2 though the file holds 2x2: mode 1 places a 12x3 band on
  // 12x9, and the whole real picture is stretched into it.
  const std::string path = Folder() + "/stale.png";
  WritePicture(path, 2, 2, 3, Distinct);
  const RenderResult r = Render(path, 8, 2, Choices(1, 0), 12, 9);
  ASSERT_EQ(r.placement.y, 3);
  ASSERT_EQ(r.placement.h, 3);
  const Rgba topLeft = Distinct(0, 0), bottomRight = Distinct(1, 1);
  EXPECT_EQ(PixelOf(r.canvas, 0, 3), Rgb(topLeft.r, topLeft.g, topLeft.b));
  EXPECT_EQ(PixelOf(r.canvas, 11, 5), Rgb(bottomRight.r, bottomRight.g, bottomRight.b));
  EXPECT_EQ(PixelOf(r.canvas, 5, 2), kRed);
  EXPECT_EQ(PixelOf(r.canvas, 5, 6), kRed);
}

TEST(RenderEntry, SmoothFiltersKeepMeanSymmetryAndFlatAreas) {
  // A left-right mirror picture stays mirrored: no half-pixel shift.
  const std::string ramp = Folder() + "/ramp.png";
  WritePicture(ramp, 8, 4, 3, [](int x, int) {
    return Rgba{std::uint8_t(x < 4 ? 40 + x * 50 : 40 + (7 - x) * 50), 0, 0};
  });
  const std::string flat = Folder() + "/flat.png";
  WritePicture(flat, 7, 5, 3, [](int, int) { return Rgba{200, 100, 50}; });
  for (int interpolation : {1, 2}) {
    for (auto size : {std::pair{24, 12}, std::pair{5, 3}, std::pair{13, 7}}) {
      SCOPED_TRACE(::testing::Message() << "filter " << interpolation << " to " << size.first);
      const RenderResult r = Render(ramp, 8, 4, Choices(0, interpolation), size.first, size.second);
      EXPECT_NEAR(MeanRed(r.canvas), (40 + 90 + 140 + 190) / 4.0, 6.0);
      for (int y = 0; y < size.second; ++y)
        for (int x = 0; x < size.first / 2; ++x)
          EXPECT_NEAR(RedOf(PixelOf(r.canvas, x, y)),
                      RedOf(PixelOf(r.canvas, size.first - 1 - x, y)), 1.0);
      // A flat picture has no seams at its borders or anywhere else.
      const RenderResult f = Render(flat, 7, 5, Choices(0, interpolation), size.first, size.second);
      for (int y = 0; y < size.second; ++y)
        for (int x = 0; x < size.first; ++x)
          ASSERT_EQ(PixelOf(f.canvas, x, y), Rgb(200, 100, 50)) << x << "," << y;
    }
  }
}

TEST(RenderEntry, ShrinkingPrefiltersFineDetail) {
  const std::string path = Folder() + "/checks.png";
  WritePicture(path, 64, 64, 3, [](int x, int y) {
    const std::uint8_t v = (x + y) % 2 ? 255 : 0;
    return Rgba{v, v, v};
  });
  for (int interpolation : {1, 2}) {
    const RenderResult r = Render(path, 64, 64, Choices(0, interpolation), 13, 13);
    for (std::size_t i = 0; i < r.canvas.rgb.size(); ++i)
      ASSERT_NEAR(r.canvas.rgb[i], 128, 24) << "filter " << interpolation << " byte " << i;
  }
}

TEST(RenderEntry, CropModeComputesTheSamePixelsAsTheWholeRectangle) {
  const std::string path = Folder() + "/wide.png";
  WritePicture(path, 40, 10, 3, [](int x, int y) {
    return Rgba{std::uint8_t(x * 6), std::uint8_t(y * 20), std::uint8_t((x * y) % 255)};
  });
  // Mode 2 on 30x30 draws 120x30 at x = -45; mode 0 on 120x30 draws all of it.
  const RenderResult crop = Render(path, 40, 10, Choices(2), 30, 30);
  const RenderResult whole = Render(path, 40, 10, Choices(0), crop.placement.w, crop.placement.h);
  ASSERT_EQ(crop.placement.w, 120);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x)
      ASSERT_EQ(PixelOf(crop.canvas, x, y), PixelOf(whole.canvas, x - crop.placement.x, y));
}

TEST(RenderEntry, BottomOfATallPictureInOriginalSize) {
  const std::string path = Folder() + "/column.png";
  WritePicture(path, 4, 2000, 3, [](int x, int y) {
    return Rgba{std::uint8_t(x * 50), std::uint8_t(y % 256), std::uint8_t(y / 256)};
  });
  const RenderResult r = Render(path, 4, 2000, Choices(3, 2, kRed, 5), 4, 4);
  ASSERT_TRUE(r.picture.ok()) << r.picture.message();
  for (int y = 0; y < 4; ++y)
    EXPECT_EQ(PixelOf(r.canvas, 3, y), Rgb(150, (1996 + y) % 256, (1996 + y) / 256));
}

TEST(RenderEntry, CropFromTheBottomOfATallPictureMatchesTheWholeRectangle) {
  // The rows above the canvas are read and dropped first; the result must
  // equal the bottom of the whole resampled rectangle, for every filter.
  const std::string path = Folder() + "/tall.png";
  WritePicture(path, 12, 3000, 3, [](int x, int y) {
    return Rgba{std::uint8_t(x * 20), std::uint8_t(y % 256), std::uint8_t((x * y) % 251)};
  });
  for (int interpolation : {0, 1, 2}) {
    for (auto screen : {std::pair{6, 10}, std::pair{30, 20}}) {
      const RenderResult crop =
          Render(path, 12, 3000, Choices(2, interpolation, kRed, 6), screen.first, screen.second);
      ASSERT_TRUE(crop.picture.ok()) << crop.picture.message();
      const RenderResult whole =
          Render(path, 12, 3000, Choices(0, interpolation), crop.placement.w, crop.placement.h);
      ASSERT_TRUE(whole.picture.ok()) << whole.picture.message();
      for (int y = 0; y < screen.second; ++y)
        for (int x = 0; x < screen.first; ++x)
          ASSERT_EQ(PixelOf(crop.canvas, x, y), PixelOf(whole.canvas, x, y - crop.placement.y))
              << "filter " << interpolation << " screen " << screen.first << " at " << x << ","
              << y;
    }
  }
}

}  // namespace
}  // namespace vendaro
