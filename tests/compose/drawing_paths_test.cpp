// Pictures reach the canvas by three ways: JPEG, PNG and BMP pictures are
// copied row by row where no filter is needed, JPEG pictures are resampled
// row by row, and everything else goes through the picture library.  The
// same pixels must come out whichever way they take; TIFF, which only the
// library reads, stands in for the general way.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vips/vips8>

#include "compose/compose_wallpaper.h"
#include "support/test_environment.h"
#include "test_pictures.h"

namespace vendaro {
namespace {

using testing::PixelOf;
using testing::Rgba;
using testing::WritePicture;

constexpr ColorValue kFill = Rgb(40, 80, 120);

std::string Folder() {
  static const std::string folder = testing::MakeTempDir("paths");
  return folder;
}

struct Job {
  int pw, ph, mode, interpolation, sw, sh, align;
};

Canvas Draw(const std::string& path, const Job& j) {
  Options o;
  o.FillColor = kFill;
  o.GapFill = 1;
  o.DisplayMode = j.mode;
  o.Interpolation = j.interpolation;
  o.Alignment = j.align;
  RenderResult r = RenderEntry(MakeEntry(path, j.pw, j.ph), o, {j.sw, j.sh}, nullptr);
  EXPECT_TRUE(r.status.ok()) << r.status.message();
  EXPECT_TRUE(r.pictureProblem.empty()) << path << ": " << r.pictureProblem;
  return std::move(r.canvas);
}

int LargestDifference(const Canvas& a, const Canvas& b) {
  if (a.rgb.size() != b.rgb.size()) return 256;
  int largest = 0;
  for (std::size_t i = 0; i < a.rgb.size(); ++i)
    largest = std::max(largest, std::abs(int(a.rgb[i]) - int(b.rgb[i])));
  return largest;
}

// Original size at several offsets and clippings, tiles on grids smaller and
// larger than the picture, nearest neighbour shrinking and enlarging.
const Job kCopyJobs[] = {
    {37, 23, 3, 2, 20, 15, 0},  {37, 23, 3, 2, 60, 40, 5},  {37, 23, 3, 2, 30, 30, 8},
    {37, 23, 4, 2, 100, 70, 0}, {30, 40, 4, 0, 100, 70, 0}, {50, 10, 4, 1, 23, 90, 0},
    {37, 23, 0, 0, 11, 7, 0},   {37, 23, 1, 0, 90, 90, 0},  {37, 23, 2, 0, 40, 80, 3},
};

Rgba Pattern(int x, int y) {
  return {std::uint8_t(x * 7 + y), std::uint8_t(y * 11 + x * 3), std::uint8_t((x * y) % 256)};
}

TEST(DrawingPaths, RowCopiesMatchTheLibrary) {
  const std::string png = Folder() + "/pattern.png";
  const std::string tiff = Folder() + "/pattern.tif";
  WritePicture(png, 37, 23, 3, Pattern);
  WritePicture(tiff, 37, 23, 3, Pattern);
  for (const Job& j : kCopyJobs) {
    SCOPED_TRACE(::testing::Message() << "mode " << j.mode << " on " << j.sw << "x" << j.sh);
    EXPECT_EQ(LargestDifference(Draw(png, j), Draw(tiff, j)), 0);
  }
}

TEST(DrawingPaths, TransparencyMatchesTheLibrary) {
  const auto withAlpha = [](int x, int y) {
    Rgba p = Pattern(x, y);
    p.a = std::uint8_t((x * 40 + y * 9) % 256);
    return p;
  };
  const std::string png = Folder() + "/alpha.png";
  const std::string tiff = Folder() + "/alpha.tif";
  WritePicture(png, 37, 23, 4, withAlpha);
  WritePicture(tiff, 37, 23, 4, withAlpha);
  for (const Job& j : kCopyJobs) {
    SCOPED_TRACE(::testing::Message() << "mode " << j.mode << " on " << j.sw << "x" << j.sh);
    EXPECT_LE(LargestDifference(Draw(png, j), Draw(tiff, j)), 1);
  }
}

TEST(DrawingPaths, JpegRowsMatchTheirDecodedPixels) {
  const std::string jpeg = Folder() + "/pattern.jpg";
  WritePicture(jpeg, 37, 23, 3, Pattern);
  const std::string decoded = Folder() + "/decoded.tif";
  vips::VImage::new_from_file(jpeg.c_str()).write_to_file(decoded.c_str());
  for (const Job& j : kCopyJobs) {
    SCOPED_TRACE(::testing::Message() << "mode " << j.mode << " on " << j.sw << "x" << j.sh);
    EXPECT_EQ(LargestDifference(Draw(jpeg, j), Draw(decoded, j)), 0);
  }
}

TEST(DrawingPaths, TurnedJpegRowsMatchTheLibraryTurningThem) {
  // The library turns a PNG holding the same stored pixels and orientation;
  // the picture is 37x23 upright either way.
  for (int orientation = 2; orientation <= 8; ++orientation) {
    const bool quarter = orientation >= 5;
    const std::string jpeg = Folder() + "/turned" + std::to_string(orientation) + ".jpg";
    WritePicture(jpeg, quarter ? 23 : 37, quarter ? 37 : 23, 3, Pattern, orientation);
    const std::string png = testing::TurnedPngOf(jpeg, orientation);
    for (const Job& j : kCopyJobs) {
      SCOPED_TRACE(::testing::Message() << "orientation " << orientation << " mode " << j.mode
                                        << " on " << j.sw << "x" << j.sh);
      EXPECT_EQ(LargestDifference(Draw(jpeg, j), Draw(png, j)), 0);
    }
  }
}

TEST(DrawingPaths, PngWithAStoredOrientationIsDrawnUpright) {
  // Stored 40x20, left half red and right half blue, with an eXIf chunk
  // turning it a quarter clockwise: upright, red is on top.
  const std::string plain = Folder() + "/plain.png";
  WritePicture(plain, 40, 20, 3, [](int x, int) {
    return x < 20 ? Rgba{255, 0, 0} : Rgba{0, 0, 255};
  });
  const std::string path = Folder() + "/turned.png";
  testing::WriteFileBytes(path, testing::PngWithOrientation(testing::ReadFileBytes(plain), 6));
  for (const Job& j : {Job{20, 40, 3, 2, 20, 40, 0}, Job{20, 40, 0, 0, 10, 20, 0}}) {
    const Canvas c = Draw(path, j);
    EXPECT_GT(RedOf(PixelOf(c, j.sw / 2, 1)), 200) << "mode " << j.mode;
    EXPECT_GT(BlueOf(PixelOf(c, j.sw / 2, j.sh - 2)), 200) << "mode " << j.mode;
  }
}

}  // namespace
}  // namespace vendaro
